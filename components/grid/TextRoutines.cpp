#include "components/grid/TextRoutines.h"

#include "platform/win/WinOem.h"

#include <algorithm>

// ---------------------------------------------------------------- character classes

bool IsDigitChar(char c)
{
    return c >= '0' && c <= '9';
}

bool IsDigitOrMinus(char c)
{
    return IsDigitChar(c) || c == '-';
}

bool IsNumberChar(char c)
{
    const TFormatSettings& fs = FormatSettings();
    return IsDigitChar(c) || c == 'E' || c == 'e' || c == fs.ThousandSeparator || c == fs.DecimalSeparator;
}

bool IsSignedNumberChar(char c)
{
    return IsNumberChar(c) || c == '+' || c == '-';
}

bool IsFloatChar(char c)
{
    return c == '+' || c == '-' || c == '.' || IsDigitChar(c) || c == 'E' || c == 'e';
}

bool IsWordBreakChar(char c)
{
    return c == ' ' || c == '\'' || c == ',' || c == '-' || c == '.';
}

bool IsUrlChar(char c)
{
    if (IsDigitChar(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
        return true;
    switch (c) {
    case '%': case '(': case ')': case '-': case '.': case '/': case ':': case '@':
    case '\\': case '_': case '{': case '}':
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- strings and positions

int ClampToLimits(int value, int min, int max)
{
    if (min == max)
        return value;
    if (value < min && min > 0)
        value = min;
    if (value > max && max > 0)
        value = max;
    return value;
}

int IntMax(int a, int b)
{
    return a > b ? a : b;
}

int IntMin(int a, int b)
{
    return a < b ? a : b;
}

int PosWithResult(const String& substr, const String& text, int& pos)
{
    pos = Pos(substr, text);
    return pos;
}

int UpperCasePos(const String& substr, const String& text)
{
    return Pos(substr, UpperCase(text));
}

int CharPos(char ch, const String& text)
{
    const size_t p = text.find(ch);
    return p == String::npos ? 0 : static_cast<int>(p) + 1;
}

int FindCharPos(char ch, const String& text, int& pos)
{
    const int p = CharPos(ch, text);
    if (p > 0)
        pos = p;
    return p;
}

void SplitAtDelimiter(String& text, const String& delimiter, String& head)
{
    head.clear();
    const int p = Pos(delimiter, text);
    if (p == 0)
        return;
    head = text.substr(0, p - 1);
    text.erase(0, p);
}

void FillWithChar(String& text, char ch)
{
    std::fill(text.begin(), text.end(), ch);
}

String CollapseDoubledChar(char ch, const String& text)
{
    if (text.find(ch) == String::npos)
        return text;
    String result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        result.push_back(text[i]);
        if (text[i] == ch && i + 1 < text.size() && text[i + 1] == ch)
            ++i;
    }
    return result;
}

int CountCharOccurrences(char ch, const String& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), ch));
}

int FindUnpairedChar(char ch, const String& text, int& pos)
{
    const int length = static_cast<int>(text.size());
    int run = 0;
    pos = 0;
    for (int i = 1; i <= length; ++i) {
        if (text[i - 1] == ch) {
            if (i == length) {
                pos = i;
                break;
            }
            ++run;
        } else if (run % 2 == 1) {
            pos = i - 1;
            break;
        } else {
            run = 0;
        }
    }
    return pos;
}

int CountUnpairedChars(char ch, const String& text)
{
    String rest = text;
    int count = 0;
    int p = 0;
    while (FindUnpairedChar(ch, rest, p) > 0) {
        ++count;
        rest.erase(0, p);
    }
    return count;
}

void OemToAnsiText(String& text)
{
    const size_t end = text.find('\0');
    if (end != String::npos)
        text.resize(end);
    OemToCharBuffA(text.data(), text.data(), static_cast<DWORD>(text.size()));
}

char LowerAsciiChar(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + ('a' - 'A')) : ch;
}

namespace {

char UpperAsciiChar(char ch)
{
    return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - ('a' - 'A')) : ch;
}

bool EndsAt(const String& s, int i, const char* tail)
{
    const int n = static_cast<int>(std::char_traits<char>::length(tail));
    return i >= n && s.compare(i - n, n, tail) == 0;
}

} // namespace

String CapitalizeWords(const String& text)
{
    String s = text;
    const int length = static_cast<int>(s.size());
    bool capNext = true;
    for (int i = 1; i <= length; ++i) {
        char& c = s[i - 1];
        if (IsWordBreakChar(c)) {
            capNext = true;
        } else if (capNext) {
            c = UpperAsciiChar(c);
            capNext = false;
        } else {
            c = LowerAsciiChar(c);
        }
        // "Mc" at the start, or the first " Mc" of the text, capitalises the next letter;
        // so does a last word I or II standing after a blank (Roman numerals).
        if (i == 2 && s.compare(0, 2, "Mc") == 0)
            capNext = true;
        const size_t mc = s.find(" Mc");
        if (mc != String::npos && static_cast<int>(mc) + 3 == i && i > 2)
            capNext = true;
        if (i > length - 3 && (EndsAt(s, i, " I") || EndsAt(s, i, " II")))
            capNext = true;
    }
    return s;
}

bool ParseRCCellRef(const String& text, int& col, int& row)
{
    if (text.size() < 4)
        return false;
    const String s = UpperCase(text);
    if (s[0] != 'R')
        return false;
    const size_t c = s.find('C', 1);
    if (c == String::npos)
        return false;
    int r = 0, k = 0;
    if (!TryStrToInt(s.substr(1, c - 1), r) || !TryStrToInt(s.substr(c + 1), k))
        return false;
    col = k;
    row = r;
    return true;
}

// ---------------------------------------------------------------- numbers

uint8_t GetNumberKind(const String& text)
{
    if (text.empty())
        return nkNoNumber;
    const TFormatSettings& fs = FormatSettings();
    const int length = static_cast<int>(text.size());
    bool intOK = true, decOK = true, expOK = true, hasE = false;
    int decimals = 0, minus = 0, lastSep = 0;
    for (int i = 1; i <= length; ++i) {
        const char c = text[i - 1];
        const bool isE = c == 'e' || c == 'E';
        if (!IsDigitOrMinus(c))
            intOK = false;
        if (isE) {
            if (hasE)
                expOK = false;
            hasE = true;
        }
        if (i > 1 && c == '-') {
            intOK = false;
            decOK = false;
        }
        if (i == 1 && isE)
            expOK = false;
        if (i == length && (isE || c == '+' || c == '-'))
            expOK = false;
        if (!IsDigitOrMinus(c) && c != fs.ThousandSeparator && c != fs.DecimalSeparator)
            decOK = false;
        if (!IsSignedNumberChar(c) || c == fs.ThousandSeparator)
            expOK = false;
        if (c == fs.ThousandSeparator) {
            if (lastSep > 0 && i - lastSep < 4)
                decOK = false;
            lastSep = i;
        }
        if (c == fs.DecimalSeparator)
            ++decimals;
        if (c == '-')
            ++minus;
    }
    if (intOK)
        return nkInteger;
    uint8_t kind = nkNoNumber;
    if (decOK && !hasE)
        kind = nkDecimal;
    if (expOK && hasE) {
        kind = nkExponent;
        if (minus == 2) // a signed mantissa with a signed exponent
            minus = 1;
    }
    if (minus > 1 || decimals > 1)
        kind = nkNoNumber;
    return kind;
}

String ExtractNumberText(const String& text)
{
    if (text.empty())
        return String();
    const TFormatSettings& fs = FormatSettings();
    String s = Trim(text);
    bool negative = !s.empty() && s.front() == '(' && s.back() == ')';
    while (s.size() >= 2 && !IsNumberChar(s[0])) {
        if (s[0] == '-')
            negative = true;
        s.erase(0, 1);
    }
    String result;
    for (char c : s) {
        if (c == fs.ThousandSeparator)
            continue;
        if (c == fs.DecimalSeparator)
            result.push_back('.');
        else if (IsFloatChar(c))
            result.push_back(c);
        else
            break;
    }
    if (negative)
        result.insert(result.begin(), '-');
    return result;
}

// ---------------------------------------------------------------- dates

namespace {

bool TakeWord(const String& s, uint16_t& value)
{
    int v = 0;
    if (!TryStrToInt(s, v) || v < 0 || v > 0xFFFF)
        return false;
    value = static_cast<uint16_t>(v);
    return true;
}

// Splits "a<sep>b<sep>c" into three 16-bit numbers; yearDigits is the length of c.
bool SplitDateText(const String& text, uint16_t& first, uint16_t& second, uint16_t& third, size_t& yearDigits)
{
    char sep;
    if (text.find('/') != String::npos)
        sep = '/';
    else if (text.find('.') != String::npos)
        sep = '.';
    else if (text.find('-') != String::npos)
        sep = '-';
    else
        return false;
    const size_t p1 = text.find(sep);
    const size_t p2 = text.find(sep, p1 + 1);
    if (p2 == String::npos)
        return false;
    const String yearText = text.substr(p2 + 1);
    if (!TakeWord(text.substr(0, p1), first) || !TakeWord(text.substr(p1 + 1, p2 - p1 - 1), second)
        || !TakeWord(yearText, third))
        return false;
    yearDigits = Trim(yearText).size();
    return true;
}

int WindowedYear(uint16_t year, size_t digits)
{
    if (digits > 2)
        return year;
    return year <= 25 ? year + 2000 : year + 1900;
}

} // namespace

TDateTime ParseDateMDY(const String& text)
{
    uint16_t first = 0, second = 0, third = 0;
    size_t digits = 0;
    if (!SplitDateText(text, first, second, third, digits))
        return 0;
    return EncodeDate(WindowedYear(third, digits), first, second);
}

TDateTime ParseDateDMY(const String& text)
{
    uint16_t first = 0, second = 0, third = 0;
    size_t digits = 0;
    if (!SplitDateText(text, first, second, third, digits))
        return 0;
    return EncodeDate(WindowedYear(third, digits), second, first);
}

bool LooksLikeDate(const String& text)
{
    const char sep = FormatSettings().DateSeparator;
    const size_t p = text.find(sep);
    if (p == String::npos || p == 0)
        return false;
    const size_t q = text.find(sep, p + 1);
    return q != String::npos && q >= p + 2;
}

TDateTime AddDateStep(int16_t years, int16_t months, int16_t days, TDateTime date, double step)
{
    int year = 0, month = 0, day = 0;
    DecodeDate(date, year, month, day);
    if (days != 0 && months == 0 && years == 0)
        return date + days;
    if (years != 0 && months == 0 && days == 0)
        return EncodeDate(year + years, month, day);
    if (months != 0 && years == 0 && days == 0) {
        int m = month + months;
        if (m == 0) {
            m = 12;
            --year;
        } else if (m > 12) {
            m -= 12;
            ++year;
        }
        return EncodeDate(year, m, day);
    }
    return date + step;
}

// ---------------------------------------------------------------- URLs

bool IsUrlText(const String& text)
{
    return text.find("://") != String::npos || text.find("mailto:") != String::npos;
}

void StripUrlScheme(String& text)
{
    size_t p = text.find("://");
    if (p != String::npos) {
        text.erase(0, p + 3);
        return;
    }
    p = text.find("mailto:");
    if (p != String::npos)
        text.erase(0, p + 7);
}

bool WrapUrlInAnchor(const String& text, const String& scheme, String& result)
{
    if (Pos(scheme, UpperCase(text)) == 0)
        return false;
    String r = StringReplace(text, "<", "&lt;", rfReplaceAll);
    r = StringReplace(r, ">", "&gt;", rfReplaceAll);
    const int start = Pos(scheme, UpperCase(r));
    if (start == 0)
        return false;
    int finish = static_cast<int>(r.size());
    for (int i = start; i <= static_cast<int>(r.size()); ++i) {
        if (!IsUrlChar(r[i - 1])) {
            finish = i - 1;
            break;
        }
    }
    const String url = r.substr(start - 1, finish - start + 1);
    r.insert(start - 1, "<a href=\"" + url + "\">");
    r.insert(start - 1 + 2 * url.size() + 11, "</a>");
    result = r;
    return true;
}
