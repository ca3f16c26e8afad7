#include "components/grid/FilterMatch.h"

#include "components/grid/TextRoutines.h"

#include <cstring>
#include <algorithm>
#include <unordered_map>
#include <vector>

namespace {

// String comparisons of a term look at no more than this many characters.
constexpr size_t kMaxCompareLength = 255;

bool TextToNumber(const String& text, double& value)
{
    TFormatSettings dot = FormatSettings();
    dot.DecimalSeparator = '.';
    return TryStrToFloat(text, value, dot);
}

// Sign of (text - value): numbers when both are numbers and neither a date, date-times
// when both are date-times, otherwise bytes of at most 255 characters.
int CompareWithValue(const char* text, const String& value)
{
    double numText = 0, numValue = 0;
    TDateTime dateText = 0, dateValue = 0;
    const bool valueIsDate = ParseDateTimeText(value, dateValue);
    const bool textIsDate = ParseDateTimeText(text, dateText);
    const bool valueIsNumber = !valueIsDate && TextToNumber(NormalizeDecimalText(value.c_str()), numValue);
    const bool textIsNumber = !textIsDate && TextToNumber(NormalizeDecimalText(text), numText);
    if (valueIsNumber && textIsNumber)
        return numText < numValue ? -1 : (numText > numValue ? 1 : 0);
    if (valueIsDate && textIsDate)
        return dateText < dateValue ? -1 : (dateText > dateValue ? 1 : 0);
    const int c = std::strncmp(value.c_str(), text, kMaxCompareLength);
    return c < 0 ? 1 : (c > 0 ? -1 : 0);
}

// The value after a comparison sign. It ends at a blank, the end of the term or, outside
// quotes, at "&" or "|". After ">" a single blank inside quotes that follows a value
// character belongs to the value ("New York"); after "<" every blank ends it.
String ReadComparisonValue(const char* p, bool greaterBlankRule)
{
    while (*p == ' ')
        ++p;
    String value;
    bool inQuotes = false;
    bool first = true;
    char last = 0;
    for (; *p != 0; ++p) {
        const char c = *p;
        if (c == ' ') {
            if (greaterBlankRule && inQuotes && last != 0 && last != ' ' && last != '"') {
                value.push_back(c);
                last = c;
                continue;
            }
            break;
        }
        if (!inQuotes && (c == '&' || c == '|'))
            break;
        if (c == '"') {
            inQuotes = !inQuotes;
            if (first) {
                first = false;
                last = c;
                continue;
            }
        }
        first = false;
        value.push_back(c);
        last = c;
    }
    if (last == '"' && !value.empty() && value.back() == '"')
        value.pop_back();
    return value;
}

// Pattern matching with "*" re-enters the full term procedure for the rest of the term on
// every suffix of the text. The result for a (rest, suffix) pair is pure, and "some suffix
// from position i on holds" is "position i holds or some suffix from i + 1 on holds"; each
// rest keeps that table, so long texts with many "*" take polynomial time.
class Matcher {
public:
    Matcher(const char* term, const char* text)
        : term_(term), text_(text), textLength_(std::strlen(text))
    {
    }

    // nested: the rest of a pattern after "*"; its "!" does not negate again.
    bool Condition(const char* term, const char* text, bool nested);

private:
    bool Pattern(const char* term, const char* text, bool nested);
    bool AnySuffix(const char* term, const char* text);

    struct SuffixTable {
        size_t lowest = 0;      // any[j] is known for j >= lowest
        std::vector<char> any;  // any[textLength_ + 1] is the "no suffix" sentinel
    };

    const char* term_;
    const char* text_;
    size_t textLength_;
    std::unordered_map<size_t, SuffixTable> suffixes_; // by offset of the rest in the term
};

bool Matcher::AnySuffix(const char* term, const char* text)
{
    // element references of an unordered_map survive the insertions of nested calls, which
    // only ever use rests further on in the term
    SuffixTable& table = suffixes_[static_cast<size_t>(term - term_)];
    if (table.any.empty()) {
        table.any.assign(textLength_ + 2, 0);
        table.lowest = textLength_ + 1;
    }
    const size_t from = static_cast<size_t>(text - text_);
    while (table.lowest > from) {
        const size_t j = table.lowest - 1;
        table.any[j] = table.any[j + 1] || Condition(term, text_ + j, true);
        table.lowest = j;
    }
    return table.any[from] != 0;
}

bool Matcher::Condition(const char* term, const char* text, bool nested)
{
    bool hasGt = false, hasLt = false, gtResult = true, ltResult = true;
    const char* gt = std::strchr(term, '>');
    const char* lt = std::strchr(term, '<');
    if (gt != nullptr) {
        const char* p = gt + 1;
        const bool orEqual = *p == '=';
        if (orEqual)
            ++p;
        const int c = CompareWithValue(text, ReadComparisonValue(p, true));
        gtResult = orEqual ? c >= 0 : c > 0;
        hasGt = true;
    }
    if (lt != nullptr) {
        const char* p = lt + 1;
        const bool orEqual = *p == '=';
        if (orEqual)
            ++p;
        const int c = CompareWithValue(text, ReadComparisonValue(p, false));
        ltResult = orEqual ? c <= 0 : c < 0;
        hasLt = true;
    }
    if (std::strchr(term, '!') != nullptr) {
        if (gt == nullptr)
            hasGt = true;
        if (lt == nullptr)
            hasLt = true;
    }
    // "^" and "&" reach a term only inside quotes; the expression level splits at them.
    if (std::strchr(term, '^') != nullptr && (hasGt || hasLt))
        return gtResult || ltResult;
    if (std::strchr(term, '&') != nullptr && hasGt && hasLt)
        return gtResult && ltResult;
    if (gt != nullptr && gtResult)
        return true;
    if (lt != nullptr && ltResult)
        return true;
    return Pattern(term, text, nested);
}

// A "!" anywhere in the term negates the match of the whole term; it matches nothing itself.
bool Matcher::Pattern(const char* term, const char* text, bool nested)
{
    const bool negate = !nested && std::strchr(term, '!') != nullptr;
    bool ok = true;
    while (ok && !(*term == 0 && *text == 0)) {
        switch (*term) {
        case '!':
        case '"':
            ++term;
            break;
        case '*': {
            while (*term == '*')
                ++term;
            const bool any = AnySuffix(term, text);
            return negate ? !any : any;
        }
        case '?':
            ok = *text != 0;
            if (ok) {
                ++term;
                ++text;
            }
            break;
        default:
            ok = *term == *text;
            if (ok) {
                ++term;
                ++text;
            }
            break;
        }
    }
    return negate ? !ok : ok;
}

void Combine(bool& acc, char pending, bool value)
{
    switch (pending) {
    case 0:
        acc = value;
        break;
    case '&':
        acc = acc && value;
        break;
    case ';':
    case '^':
    case '|':
        acc = acc || value;
        break;
    default: // "(": the empty operand after a group is dropped
        break;
    }
}

const TCharSet& ExpressionChars()
{
    static const TCharSet chars = [] {
        TCharSet s;
        for (unsigned char c : {'&', '(', ';', '^', '|'})
            s.set(c);
        return s;
    }();
    return chars;
}

bool TakeWord(const String& s, uint16_t& value)
{
    int v = 0;
    if (!TryStrToInt(s, v) || v < 0 || v > 0xFFFF)
        return false;
    value = static_cast<uint16_t>(v);
    return true;
}

} // namespace

bool MatchFilterExpression(const String& condition, const String& text, bool caseSensitive)
{
    String cond = RemoveSpacesOutsideQuotes(Trim(condition));
    if (!cond.empty() && cond[0] == '=')
        cond.erase(0, 1);
    bool acc = true;
    char pending = 0;
    int k = 0;
    char found;
    while ((found = FirstSetCharOutsideQuotes(ExpressionChars(), cond, k)) != 0) {
        bool value;
        if (cond[0] == '(') {
            // a group without its ")" runs to the end of the condition
            int e = MatchingParenPos(cond);
            if (e == 0)
                e = static_cast<int>(cond.size()) + 1;
            value = MatchFilterExpression(cond.substr(1, e - 2), text, caseSensitive);
            cond.erase(0, std::min<size_t>(e, cond.size()));
        } else {
            value = MatchFilterTerm(cond.substr(0, k - 1), text, caseSensitive);
            cond.erase(0, k);
        }
        Combine(acc, pending, value);
        pending = found;
    }
    Combine(acc, pending, MatchFilterTerm(cond, text, caseSensitive));
    return acc;
}

bool MatchFilterTerm(const String& term, const String& text, bool caseSensitive)
{
    if (caseSensitive)
        return MatchFilterCondition(term.c_str(), text.c_str());
    const String upperTerm = AnsiUpperCase(term);
    const String upperText = AnsiUpperCase(text);
    return MatchFilterCondition(upperTerm.c_str(), upperText.c_str());
}

bool MatchFilterCondition(const char* term, const char* text)
{
    Matcher matcher(term, text);
    return matcher.Condition(term, text, false);
}

bool ParseDateTimeText(const String& text, TDateTime& value)
{
    const TFormatSettings& fs = FormatSettings();
    const String format = UpperCase(fs.ShortDateFormat);
    // order of the three components by their first letter in the format
    struct Slot { char letter; size_t pos; } parts[3] = {{'D', format.find('D')}, {'M', format.find('M')}, {'Y', format.find('Y')}};
    for (Slot& s : parts)
        if (s.pos == String::npos)
            s.pos = 0;
    std::stable_sort(std::begin(parts), std::end(parts), [](const Slot& a, const Slot& b) { return a.pos < b.pos; });

    uint16_t day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
    auto assign = [&](char letter, uint16_t v) {
        if (letter == 'D')
            day = v;
        else if (letter == 'M')
            month = v;
        else
            year = v;
    };
    String rest = text;
    for (int i = 0; i < 2; ++i) {
        const size_t p = rest.find(fs.DateSeparator);
        uint16_t v = 0;
        if (p == String::npos || !TakeWord(rest.substr(0, p), v))
            return false;
        assign(parts[i].letter, v);
        rest.erase(0, p + 1);
    }
    rest = Trim(rest);
    String timePart;
    const size_t blank = rest.find(' ');
    String last = rest;
    if (blank != String::npos) {
        timePart = rest.substr(blank);
        last = rest.substr(0, blank);
    }
    uint16_t v = 0;
    if (!TakeWord(last, v))
        return false;
    assign(parts[2].letter, v);
    if (day > 31 || month > 12)
        return false;
    if (!timePart.empty()) {
        size_t p = timePart.find(fs.TimeSeparator);
        if (p == String::npos || !TakeWord(TrimLeft(timePart.substr(0, p)), hour) || hour > 23)
            return false;
        timePart.erase(0, p + 1);
        p = timePart.find(fs.TimeSeparator);
        if (p != String::npos) {
            if (!TakeWord(timePart.substr(0, p), minute) || !TakeWord(timePart.substr(p + 1), second) || second > 60)
                return false;
        } else if (!TakeWord(timePart, minute)) {
            return false;
        }
        if (minute > 59)
            return false;
    }
    TDateTime date = 0, time = 0;
    if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, minute, second, 0, time))
        return false;
    value = date + time;
    return true;
}

String NormalizeDecimalText(const char* text)
{
    const TFormatSettings& fs = FormatSettings();
    String result;
    for (const char* p = text; *p != 0; ++p) {
        if (*p == fs.DecimalSeparator)
            result.push_back('.');
        else if (*p != fs.ThousandSeparator)
            result.push_back(*p);
    }
    return result;
}

String RemoveSpacesOutsideQuotes(const String& text)
{
    String result;
    bool inQuotes = false;
    for (char c : text) {
        if (c == '"')
            inQuotes = !inQuotes;
        if (c == ' ' && !inQuotes)
            continue;
        result.push_back(c);
    }
    return result;
}

int MatchingParenPos(const String& text)
{
    int open = 0, close = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '(')
            ++open;
        else if (text[i] == ')') {
            ++close;
            if (close == open)
                return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

char FirstSetCharOutsideQuotes(const TCharSet& chars, const String& text, int& index)
{
    bool inQuotes = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"')
            inQuotes = !inQuotes;
        else if (!inQuotes && chars.test(c)) {
            index = static_cast<int>(i) + 1;
            return text[i];
        }
    }
    index = -1;
    return 0;
}
