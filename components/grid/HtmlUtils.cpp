#include "components/grid/HtmlUtils.h"

#include "components/grid/HtmlFormat.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

struct ControlInText {
    size_t TagStart; // index of the character after "<"
    size_t TagEnd;   // index after the tag's ">" (or the text's end)
    THtmlControlTag Tag;
};

// Every "<CONTROL " tag of the text (any case), in order.
std::vector<ControlInText> FindControls(const String& text)
{
    std::vector<ControlInText> controls;
    const String upper = UpperCase(text);
    size_t from = 0;
    size_t p;
    while ((p = upper.find("<CONTROL ", from)) != String::npos) {
        const size_t start = p + 1;
        const size_t gt = text.find('>', start);
        const size_t end = gt == String::npos ? text.size() : gt + 1;
        controls.push_back({start, end, ParseControlTag(text.substr(start, end - start))});
        from = end;
    }
    return controls;
}

String ReadAttribute(const String& tagText, const String& upperTag, const char* nameWithEquals)
{
    int p = 0;
    if (UpperPosWithResult(nameWithEquals, upperTag, p) == 0)
        return String();
    const size_t q1 = tagText.find('"', static_cast<size_t>(p));
    if (q1 == String::npos)
        return String();
    const size_t q2 = tagText.find('"', q1 + 1);
    return tagText.substr(q1 + 1, q2 == String::npos ? String::npos : q2 - q1 - 1);
}

void AppendAttribute(String& out, const char* name, const String& value)
{
    out += ' ';
    out += name;
    out += "=\"";
    out += value;
    out += '"';
}

bool IsEditableType(const String& type)
{
    return type != "BUTTON" && type != "CHECK" && type != "RADIO";
}

// Inserts at a 1-based position: a position below 1 inserts at the front, past the end appends.
void InsertAt(String& text, const String& what, int position)
{
    const size_t at = position < 1 ? 0 : std::min(static_cast<size_t>(position - 1), text.size());
    text.insert(at, what);
}

String ReplaceAllNoCase(const String& text, const char* upperNeedle, const String& with)
{
    const String upper = UpperCase(text);
    const size_t n = std::strlen(upperNeedle);
    String out;
    size_t from = 0, p;
    while ((p = upper.find(upperNeedle, from)) != String::npos) {
        out.append(text, from, p - from);
        out += with;
        from = p + n;
    }
    out.append(text, from, String::npos);
    return out;
}

String RemoveAllNoCase(const String& text, const String& upperNeedle)
{
    return ReplaceAllNoCase(text, upperNeedle.c_str(), String());
}

} // namespace

THtmlControlTag ParseControlTag(const String& tagText)
{
    const String upper = UpperCase(tagText);
    THtmlControlTag tag;
    tag.Type = UpperCase(ReadAttribute(tagText, upper, "TYPE="));
    tag.Width = ReadAttribute(tagText, upper, "WIDTH=");
    tag.Height = ReadAttribute(tagText, upper, "HEIGHT=");
    tag.ID = ReadAttribute(tagText, upper, "ID=");
    tag.Value = DecodeHtmlEntities(ReadAttribute(tagText, upper, "VALUE="));
    tag.Prop = DecodeHtmlEntities(ReadAttribute(tagText, upper, "PROP="));
    tag.MaxLen = ReadAttribute(tagText, upper, "MAXLEN=");
    return tag;
}

bool HasControlTag(const String& text)
{
    return UpperCase(text).find("<CONTROL") != String::npos;
}

String NextEditControlID(const String& text, const String& id)
{
    bool found = id.empty();
    for (const ControlInText& c : FindControls(text)) {
        if (found && IsEditableType(c.Tag.Type))
            return c.Tag.ID;
        if (c.Tag.ID == id)
            found = true;
    }
    return String();
}

String ClearRadioControls(const String& text)
{
    std::vector<String> radios;
    for (const ControlInText& c : FindControls(text))
        if (c.Tag.Type == "RADIO")
            radios.push_back(c.Tag.ID);
    String result = text;
    for (const String& id : radios)
        SetControlValue(result, id, "FALSE");
    return result;
}

String GetControlProp(const String& text, const String& id)
{
    for (const ControlInText& c : FindControls(text))
        if (c.Tag.ID == id)
            return c.Tag.Prop;
    return String();
}

int GetControlMaxLen(const String& text, const String& id)
{
    for (const ControlInText& c : FindControls(text))
        if (c.Tag.ID == id)
            return TextToIntQuiet(c.Tag.MaxLen);
    return 0;
}

bool SetControlValue(String& text, const String& id, const String& value)
{
    const String encoded = EncodeHtmlEntities(value);
    String out;
    size_t copied = 0;
    bool found = false;
    for (const ControlInText& c : FindControls(text)) {
        if (c.Tag.ID != id)
            continue;
        found = true;
        out.append(text, copied, c.TagStart - copied);
        String tag = "CONTROL";
        AppendAttribute(tag, "ID", id);
        AppendAttribute(tag, "VALUE", encoded);
        AppendAttribute(tag, "WIDTH", c.Tag.Width);
        AppendAttribute(tag, "TYPE", c.Tag.Type);
        if (!c.Tag.Prop.empty())
            AppendAttribute(tag, "PROP", EncodeHtmlEntities(c.Tag.Prop));
        if (!c.Tag.MaxLen.empty())
            AppendAttribute(tag, "MAXLEN", c.Tag.MaxLen);
        if (!c.Tag.Height.empty())
            AppendAttribute(tag, "HEIGHT", c.Tag.Height);
        out += tag;
        out += '>';
        copied = c.TagEnd;
    }
    if (!found)
        return false;
    out.append(text, copied, String::npos);
    text = out;
    return true;
}

String MaskText(const String& text)
{
    return String(text.size(), '*');
}

String DecodeHtmlEntities(const String& text)
{
    static const THtmlEntity basic[4] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}};
    if (text.find('&') == String::npos)
        return text;
    String out;
    out.reserve(text.size());
    size_t i = 0;
    auto tryTable = [&](const THtmlEntity* table, int count) {
        for (int k = 0; k < count; ++k) {
            const size_t n = std::strlen(table[k].Entity);
            if (text.compare(i, n, table[k].Entity) == 0) {
                out.push_back(table[k].Char);
                i += n;
                return true;
            }
        }
        return false;
    };
    while (i < text.size()) {
        if (text[i] == '&' && (tryTable(basic, 4) || tryTable(HtmlEntityTable, HtmlEntityCount)))
            continue;
        out.push_back(text[i++]);
    }
    return out;
}

String EncodeHtmlEntities(const String& text)
{
    String out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; continue;
        case '"': out += "&quot;"; continue;
        case '<': out += "&lt;"; continue;
        case '>': out += "&gt;"; continue;
        default: break;
        }
        const char* entity = nullptr;
        if (static_cast<unsigned char>(c) >= 0x80) {
            for (const THtmlEntity& e : HtmlEntityTable) {
                if (e.Char == c) {
                    entity = e.Entity;
                    break;
                }
            }
        }
        if (entity)
            out += entity;
        else
            out.push_back(c);
    }
    return out;
}

String HtmlToPlainText(const String& text)
{
    String s = ReplaceAllNoCase(text, "<BR>", "\r\n");
    s = ReplaceAllNoCase(s, "<HR>", "\r\n");
    String result;
    size_t from = 0;
    while (true) {
        const size_t lt = s.find('<', from);
        if (lt == String::npos)
            break;
        const size_t gt = s.find('>', lt);
        if (gt == String::npos)
            break;
        result.append(s, from, lt - from);
        from = gt + 1;
    }
    result.append(s, from, String::npos);
    return result;
}

String RemoveHtmlTags(const String& text)
{
    String result;
    size_t from = 0;
    while (true) {
        const size_t lt = text.find('<', from);
        if (lt == String::npos)
            break;
        const size_t gt = text.find('>', lt);
        if (gt == String::npos)
            break;
        result.append(text, from, lt - from);
        from = gt + 1;
    }
    result.append(text, from, String::npos);
    return result;
}

int PlainIndexToHtmlIndex(const String& text, int n)
{
    int visible = 1;
    bool inTag = false;
    const int length = static_cast<int>(text.size());
    for (int j = 1; j <= length; ++j) {
        if (visible == n)
            return j;
        const char c = text[j - 1];
        if (c == '<')
            inTag = true;
        if (!inTag)
            ++visible;
        if (c == '>')
            inTag = false;
    }
    return visible == n ? length + 1 : 0;
}

int FindTextFrom(const String& search, const String& text, int start, int& position, bool caseSensitive)
{
    position = 0;
    if (start < 0)
        start = 0;
    if (static_cast<size_t>(start) > text.size())
        return 0;
    const String rest = text.substr(start);
    const int p = caseSensitive ? Pos(search, rest) : Pos(AnsiUpperCase(search), AnsiUpperCase(rest));
    if (p > 0)
        position = start + p;
    return position;
}

String InsertHighlightTags(const String& text, const String& search, const String& tagName, bool caseSensitive)
{
    String result = text;
    String what = search;
    String plain = RemoveHtmlTags(text);
    if (Pos(search, text) > 0 && plain.find_first_of("<>") != String::npos) {
        // visible angle brackets: the mark-up is dropped and the brackets become entities,
        // so that inserted tags cannot be confused with them
        auto escape = [](const String& s) {
            return StringReplace(StringReplace(s, "<", "&lt;", rfReplaceAll), ">", "&gt;", rfReplaceAll);
        };
        plain = escape(plain);
        result = plain;
        what = escape(what);
    }
    const String open = "<" + tagName + ">";
    const String close = "</" + tagName + ">";
    int start = 0, p = 0;
    while (FindTextFrom(what, plain, start, p, caseSensitive) > 0) {
        start = p + static_cast<int>(what.size());
        InsertAt(result, open, PlainIndexToHtmlIndex(result, p));
        InsertAt(result, close, PlainIndexToHtmlIndex(result, start));
    }
    return result;
}

String RemoveHighlightTags(const String& text, const String& tagName)
{
    const String name = UpperCase(tagName);
    String s = RemoveAllNoCase(text, "<" + name + ">");
    s = RemoveAllNoCase(s, "</" + name + ">");
    s = StringReplace(s, "&lt;", "<", rfReplaceAll);
    return StringReplace(s, "&gt;", ">", rfReplaceAll);
}

String RemoveFieldMarks(const String& text)
{
    String s = text;
    size_t from = 0, p;
    while ((p = s.find("<#", from)) != String::npos) {
        s.erase(p, 1);
        const size_t gt = s.find('>', p);
        if (gt != String::npos)
            s.erase(gt, 1);
        from = p;
    }
    return s;
}

String LineBreaksToBR(const String& text, bool toBR)
{
    String out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            continue;
        if (c == '\r') {
            if (toBR)
                out += "<BR>";
            continue;
        }
        out.push_back(c);
    }
    return out;
}

int CaseInsensitivePos(const String& search, const String& text)
{
    return Pos(UpperCase(search), UpperCase(text));
}

int UpperPosWithResult(const String& search, const String& text, int& position)
{
    position = Pos(search, UpperCase(text));
    return position;
}

int HtmlPosWithResult(const String& search, const String& text, int& position)
{
    position = Pos(search, text);
    return position;
}

bool ReplaceFirstNoCase(const String& oldText, const String& newText, String& text)
{
    const int p = CaseInsensitivePos(oldText, text);
    if (p == 0)
        return false;
    text.replace(p - 1, oldText.size(), newText);
    return true;
}

int TextToIntQuiet(const String& text)
{
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(value);
}
