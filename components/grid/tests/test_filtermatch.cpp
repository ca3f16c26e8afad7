#include "components/grid/FilterMatch.h"

#include <gtest/gtest.h>

namespace {

class LocaleScope {
public:
    LocaleScope(char decimal, char thousand, const char* shortDate, char dateSep = '/', char timeSep = ':')
        : saved_(FormatSettings())
    {
        TFormatSettings& fs = FormatSettings();
        fs.DecimalSeparator = decimal;
        fs.ThousandSeparator = thousand;
        fs.ShortDateFormat = shortDate;
        fs.DateSeparator = dateSep;
        fs.TimeSeparator = timeSep;
    }
    ~LocaleScope() { FormatSettings() = saved_; }

private:
    TFormatSettings saved_;
};

struct FilterCase {
    const char* condition;
    const char* text;
    bool caseSensitive;
    bool expected;
};

void CheckCases(const std::vector<FilterCase>& cases)
{
    for (const FilterCase& c : cases)
        EXPECT_EQ(MatchFilterExpression(c.condition, c.text, c.caseSensitive), c.expected)
            << "condition [" << c.condition << "] text [" << c.text << "] case " << c.caseSensitive;
}

TEST(FilterMatch, WildcardsAndNegation)
{
    LocaleScope locale('.', ',', "d/m/yyyy");
    CheckCases({
        {"*x", "x", false, true}, {"*x", "abx", false, true}, {"*x", "xa", false, false},
        {"x*", "x", false, true}, {"x*", "xyz", false, true}, {"x*", "ax", false, false},
        {"?", "a", false, true}, {"?", "", false, false}, {"?", "ab", false, false},
        {"", "", false, true}, {"", "a", false, false},
        {"a?c", "abc", false, true}, {"a*c*e", "abcde", false, true}, {"a*c*e", "abcd", false, false},
        {"!*old*", "my old car", false, false}, {"!*old*", "new car", false, true},
        {"ol!d", "old", false, false}, {"ol!d", "cold", false, true}, {"*!old", "bold", false, false},
        {"*!old", "bolder", false, true}, {"a*!b", "axb", false, false}, {"a*!b", "axc", false, true},
        {"abc", "ABC", false, true}, {"abc", "ABC", true, false}, {"ABC", "ABC", true, true},
        {"=abc", "abc", false, true},
        {"*", "", false, true}, {"***", "anything", false, true},
    });
}

TEST(FilterMatch, BlanksAndQuotes)
{
    LocaleScope locale('.', ',', "d/m/yyyy");
    CheckCases({
        {"New York", "NewYork", false, true}, {"New York", "New York", false, false},
        {"\"New York\"", "New York", false, true}, {"  abc  ", "abc", false, true},
        {"\"a|b\"", "a|b", false, true}, {"\"a|b\"", "a", false, false},
        {"\"a&b\"", "a&b", false, true}, {"\"(x)\"", "(x)", false, true},
    });
}

TEST(FilterMatch, OperatorsLeftToRightWithGroups)
{
    LocaleScope locale('.', ',', "d/m/yyyy");
    CheckCases({
        {"a|b", "a", false, true}, {"a;b", "b", false, true}, {"a^b", "b", false, true},
        {"a^b", "c", false, false}, {"a|b", "ab", false, false},
        // ((a & b) | c) and ((a | b) & c): no precedence
        {"a&b|c", "c", false, true}, {"a*&*b|x", "ab", false, true}, {"a|b&c", "a", false, false},
        {"a*|b*&*c", "ac", false, true}, {"a*|b*&*c", "ab", false, false},
        {"(a|b)&c*", "a", false, false}, {"(a*|b*)&*c", "bc", false, true},
        {"(a&b)|c", "c", false, true}, {"(a&b)|c", "a", false, false},
        {"(a*|x)", "abc", false, true}, {"c|(a*|x)", "abc", false, true},
        // a "(" inside an operand ends it; the rest up to the next operator is dropped
        {"a(b)|c", "a", false, true}, {"a(b)|c", "c", false, true}, {"a(b)|c", "b)", false, false},
        // an unclosed group runs to the end of the condition
        {"(a|b", "b", false, true}, {"(a|b", "c", false, false}, {"((((", "", false, true},
    });
}

TEST(FilterMatch, ComparisonsOfNumbersDatesAndStrings)
{
    LocaleScope locale('.', ',', "d/m/yyyy");
    CheckCases({
        {">5", "10", false, true}, {">5", "4", false, false}, {">=5", "5", false, true},
        {"<5", "10", false, false}, {"<=5", "5", false, true}, {"<5", "-2.5", false, true},
        {">5", "abc", false, true}, {"<5", "abc", false, false}, {">1,000", "1,500", false, true},
        {">5&<10", "7", false, true}, {">5&<10", "12", false, false}, {">5|<1", "0", false, true},
        {">=1/1/2004", "2/1/2004", false, true}, {">=1/1/2004", "31/12/2003", false, false},
        {"<1/2/2004 12:00", "1/2/2004 11:59", false, true},
        // a time alone is no date-time: strings compare
        {">12:00", "9:00", false, true},
        {">b", "c", false, true}, {">b", "a", false, false}, {">b", "C", true, false}, {">B", "c", true, true},
        {">\"New York\"", "Paris", false, true}, {">\"New York\"", "Amsterdam", false, false},
        // a failed comparison falls back to the pattern match of the whole term
        {"x>5", "3", false, false},
    });
}

TEST(FilterMatch, DecimalCommaLocale)
{
    LocaleScope locale(',', '.', "dd.mm.yyyy", '.');
    CheckCases({
        {">5", "4,5", false, false}, {">4", "4,5", false, true}, {">1.000", "1.500,5", false, true},
        {"<2,5", "2,25", false, true}, {">=1.2.2004", "15.2.2004", false, true},
        {">=1.2.2004", "31.1.2004", false, false}, {"*,5", "4,5", false, true},
    });
}

TEST(FilterMatch, LongComparisonValuesAreNotCut)
{
    LocaleScope locale('.', ',', "d/m/yyyy");
    const String longValue(400, 'm');
    EXPECT_TRUE(MatchFilterExpression(">" + longValue, "z", false));
    EXPECT_FALSE(MatchFilterExpression("<" + longValue, "z", false));
}

TEST(FilterMatch, ParseDateTimeText)
{
    LocaleScope locale('.', ',', "d/m/y");
    TDateTime v = 0;
    ASSERT_TRUE(ParseDateTimeText("1/2/2004 12:34", v));
    int h, n, s, ms;
    DecodeTime(v, h, n, s, ms);
    EXPECT_EQ(h, 12);
    EXPECT_EQ(n, 34);
    EXPECT_EQ(s, 0);
    EXPECT_TRUE(ParseDateTimeText("1/2/2004 12:34:56", v));
    EXPECT_FALSE(ParseDateTimeText("1/2/2004 12:34:60", v));
    EXPECT_FALSE(ParseDateTimeText("31/4/2004", v));
    EXPECT_FALSE(ParseDateTimeText("1/13/2004", v));
    EXPECT_FALSE(ParseDateTimeText("1/2/2004 24:00", v));
    EXPECT_FALSE(ParseDateTimeText("1/2/2004 12", v));
    EXPECT_FALSE(ParseDateTimeText("12:00", v));
    EXPECT_FALSE(ParseDateTimeText("1/2/0", v));
    // the year stands as written
    ASSERT_TRUE(ParseDateTimeText("1/2/04", v));
    int y, m, d;
    DecodeDate(v, y, m, d);
    EXPECT_EQ(y, 4);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(d, 1);
    LocaleScope us('.', ',', "m/d/yyyy");
    ASSERT_TRUE(ParseDateTimeText("2/1/2004", v));
    EXPECT_EQ(v, EncodeDate(2004, 2, 1));
}

TEST(FilterMatch, HelperRoutines)
{
    EXPECT_EQ(RemoveSpacesOutsideQuotes("a b \"c d\" e"), "ab\"c d\"e");
    EXPECT_EQ(MatchingParenPos("(a(b))c"), 6);
    EXPECT_EQ(MatchingParenPos("(a"), 0);
    TCharSet set;
    set.set('|');
    int index = 0;
    EXPECT_EQ(FirstSetCharOutsideQuotes(set, "\"a|b\"|c", index), '|');
    EXPECT_EQ(index, 6);
    EXPECT_EQ(FirstSetCharOutsideQuotes(set, "abc", index), 0);
    EXPECT_EQ(index, -1);
    LocaleScope locale(',', '.', "d.m.yyyy", '.');
    EXPECT_EQ(NormalizeDecimalText("1.234,5"), "1234.5");
}

TEST(FilterMatch, ManyStarsStayFast)
{
    const String text(3000, 'a');
    String pattern;
    for (int i = 0; i < 30; ++i)
        pattern += "*a";
    pattern += "*b";
    EXPECT_FALSE(MatchFilterExpression(pattern, text, true));
    EXPECT_TRUE(MatchFilterExpression(pattern, text + "b", true));
}

} // namespace
