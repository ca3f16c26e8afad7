#include "components/grid/CellText.h"

#include "platform/rtl/SysUtils.h"
#include "components/grid/TextRoutines.h"

const char kWideCellMarker[3] = {0x7C, 0x5C, 0};
const char kRtfMarker[3] = {0x7B, 0x5C, 0};

namespace {

bool StartsWithMarker(const String& text, const char* marker)
{
    return text.size() >= 2 && text[0] == marker[0] && text[1] == marker[1];
}

String ReplaceAllChars(const String& text, char from, char to)
{
    String r = text;
    for (char& c : r)
        if (c == from)
            c = to;
    return r;
}

} // namespace

uint8_t GetCellTextKind(const String& text, bool htmlAllowed)
{
    if (text.empty())
        return ctkPlain;
    // The appended blank makes a wide "=" alone (marker, 0, "=") stay a wide text: its 5th
    // byte is that blank, not 0.
    const String work = text + ' ';
    if (work[0] == '=')
        return ctkFormula;
    if (StartsWithMarker(work, kWideCellMarker)) {
        if (work.size() > 4 && work[3] == '=' && work[4] == '\0')
            return ctkFormula;
        return ctkWide;
    }
    if (StartsWithMarker(work, kRtfMarker))
        return ctkRtf;
    if (htmlAllowed) {
        for (const char* tag : {"</", "<B", "<I", "<C"})
            if (work.find(tag) != String::npos)
                return ctkHtml;
    }
    return ctkPlain;
}

WideString DecodeWideCellText(const String& text)
{
    if (!StartsWithMarker(text, kWideCellMarker))
        return StringToWide(text);
    const size_t n = (text.size() - 2) / 2;
    WideString result(n, u'\0');
    for (size_t i = 0; i < n; ++i) {
        const auto hi = static_cast<unsigned char>(text[2 + 2 * i]);
        const auto lo = static_cast<unsigned char>(text[3 + 2 * i]);
        result[i] = static_cast<char16_t>(hi * 256 + lo);
    }
    return result;
}

String EncodeWideCellText(const WideString& text)
{
    String result(kWideCellMarker, 2);
    result.reserve(2 + 2 * text.size());
    for (char16_t unit : text) {
        result.push_back(static_cast<char>(unit >> 8));
        result.push_back(static_cast<char>(unit & 0xFF));
    }
    return result;
}

const char16_t* WideStrScan(const char16_t* str, const char16_t* substr)
{
    if (str == nullptr || substr == nullptr || *substr == 0)
        return nullptr;
    const size_t strLen = std::char_traits<char16_t>::length(str);
    const size_t subLen = std::char_traits<char16_t>::length(substr);
    if (subLen > strLen)
        return nullptr;
    for (const char16_t* p = str; p + subLen <= str + strLen; ++p) {
        if (*p == *substr && std::char_traits<char16_t>::compare(p + 1, substr + 1, subLen - 1) == 0)
            return p;
    }
    return nullptr;
}

int WidePos(const WideString& substr, const WideString& s)
{
    const char16_t* hit = WideStrScan(s.c_str(), substr.c_str());
    return hit ? static_cast<int>(hit - s.c_str()) + 1 : 0;
}

String EncodeLineBreaks(const String& text)
{
    if (text.find('\r') == String::npos)
        return text;
    String r = text;
    for (char& c : r) {
        if (c == '\r')
            c = 9;
        else if (c == '\n')
            c = 8;
        else if (c == 0)
            c = 1;
    }
    return r;
}

String DecodeLineBreaks(const String& text, bool wholeText)
{
    String r = text;
    if (r.find('\x08') != String::npos) {
        for (char& c : r) {
            if (c == 9)
                c = '\r';
            else if (c == 8)
                c = '\n';
            else if (c == 1)
                c = 0;
        }
    }
    if (wholeText)
        return r;
    String line;
    CutFirstLine(r, false, line);
    return line;
}

void CutFirstLine(String& text, bool keepRest, String& line)
{
    const size_t cr = text.find('\r');
    if (cr == String::npos) {
        line = text;
        text.clear();
        return;
    }
    line = text.substr(0, cr);
    size_t restStart = cr + 1;
    if (restStart < text.size() && text[restStart] == '\n')
        ++restStart;
    if (keepRest)
        text.erase(0, restStart);
    else
        text.clear();
}

int CountTextLines(const String& text, bool multiLine)
{
    if (!multiLine)
        return 1;
    return 1 + CountCharOccurrences('\r', text);
}

void QuoteMultiLineText(String& text)
{
    text = '"' + StringReplace(text, "\r\n", "\x0B", rfReplaceAll) + '"';
}

void VTabToLineBreaks(String& text)
{
    if (text.find('\x0B') != String::npos)
        text = StringReplace(text, "\x0B", "\r\n", rfReplaceAll);
}

void TildeToLineBreaks(String& text)
{
    text = StringReplace(text, "~", "\r\n", rfReplaceAll);
    if (text == "^")
        text.clear();
}

String BackslashNToCR(const String& text)
{
    return StringReplace(text, "\\n", "\r", rfReplaceAll);
}

String CRToLF(const String& text)
{
    return ReplaceAllChars(text, '\r', '\n');
}
