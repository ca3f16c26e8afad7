#include "components/grid/TextRoutines.h"

#include <gtest/gtest.h>

namespace {

// Plays a user with other separators for one test and restores the settings after it.
class SeparatorsScope {
public:
    SeparatorsScope(char decimal, char thousand, char date = '/') : saved_(FormatSettings())
    {
        FormatSettings().DecimalSeparator = decimal;
        FormatSettings().ThousandSeparator = thousand;
        FormatSettings().DateSeparator = date;
    }
    ~SeparatorsScope() { FormatSettings() = saved_; }

private:
    TFormatSettings saved_;
};

TEST(TextRoutines, ClampToLimitsTreatsZeroAsNoLimit)
{
    struct Case { int value, min, max, expected; };
    const Case cases[] = {{5, 10, 0, 10}, {5, 3, 3, 5}, {50, 0, 20, 20}, {-7, 0, 0, -7}, {15, 10, 20, 15}, {25, 10, 20, 20}};
    for (const Case& c : cases)
        EXPECT_EQ(ClampToLimits(c.value, c.min, c.max), c.expected) << c.value << " " << c.min << " " << c.max;
}

TEST(TextRoutines, NumberKindsWithCommaThousands)
{
    SeparatorsScope scope('.', ',');
    struct Case { const char* text; int kind; };
    const Case cases[] = {
        {"-12", nkInteger}, {"-", nkInteger}, {"12-", nkNoNumber}, {"1,234.5", nkDecimal},
        {"1,23,456", nkNoNumber}, {"1e5", nkExponent}, {"-1E-5", nkExponent}, {"e5", nkNoNumber},
        {"1e", nkNoNumber}, {"+5", nkNoNumber}, {"1.2.3", nkNoNumber}, {"", nkNoNumber},
        {"12.5", nkDecimal}, {"1,234,567", nkDecimal}, {"abc", nkNoNumber}, {"1e5e6", nkNoNumber},
        {"1E+5", nkExponent}, {"1,000e5", nkNoNumber},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetNumberKind(c.text), c.kind) << c.text;
}

TEST(TextRoutines, NumberKindsUnderDecimalComma)
{
    SeparatorsScope scope(',', '.');
    EXPECT_EQ(GetNumberKind("1.234,5"), nkDecimal);
    EXPECT_EQ(GetNumberKind("1,5"), nkDecimal);
    EXPECT_EQ(GetNumberKind("1,2,3"), nkNoNumber);
}

TEST(TextRoutines, ExtractNumberTextNormalisesFormattedCells)
{
    SeparatorsScope scope('.', ',');
    struct Case { const char* text; const char* expected; };
    const Case cases[] = {
        {" (5) ", "-5"}, {"-5", "-5"}, {"12 kg", "12"}, {"$ 12", "12"}, {"", ""},
        {"1,234.50", "1234.50"}, {"USD -3.5", "-3.5"}, {"1.5E3", "1.5E3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtractNumberText(c.text), c.expected) << c.text;
}

TEST(TextRoutines, ExtractNumberTextUnderDecimalComma)
{
    SeparatorsScope scope(',', '.');
    EXPECT_EQ(ExtractNumberText("(1.234,50)"), "-1234.50");
    EXPECT_EQ(ExtractNumberText("3,25 m"), "3.25");
}

TEST(TextRoutines, PairedDelimitersOfCsvText)
{
    EXPECT_EQ(CollapseDoubledChar('"', "a\"\"b"), "a\"b");
    EXPECT_EQ(CollapseDoubledChar('"', "a\"\"\"b"), "a\"\"b");
    EXPECT_EQ(CollapseDoubledChar('"', "plain"), "plain");
    int pos = -1;
    EXPECT_EQ(FindUnpairedChar('"', "ab\"\"c\"d", pos), 6);
    EXPECT_EQ(pos, 6);
    EXPECT_EQ(FindUnpairedChar('"', "abc\"", pos), 4);
    EXPECT_EQ(FindUnpairedChar('"', "a\"\"b", pos), 0);
    EXPECT_EQ(FindUnpairedChar('"', "", pos), 0);
    EXPECT_EQ(CountUnpairedChars('"', "a\"b\"c\"\"d\""), 3);
    EXPECT_EQ(CountCharOccurrences(',', "a,b,,c"), 3);
}

TEST(TextRoutines, PositionsAndSplitting)
{
    String text = "a,b,c", head;
    SplitAtDelimiter(text, ",", head);
    EXPECT_EQ(head, "a");
    EXPECT_EQ(text, "b,c");
    text = "abc";
    SplitAtDelimiter(text, ",", head);
    EXPECT_EQ(head, "");
    EXPECT_EQ(text, "abc");

    int pos = 42;
    EXPECT_EQ(FindCharPos('z', "abc", pos), 0);
    EXPECT_EQ(pos, 42);
    EXPECT_EQ(FindCharPos('c', "abc", pos), 3);
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(PosWithResult("", "abc", pos), 0);
    EXPECT_EQ(UpperCasePos("<BLI", "x<blink>y"), 2);
    String masked = "secret";
    FillWithChar(masked, '*');
    EXPECT_EQ(masked, "******");

    struct Rect { int Left, Top, Right, Bottom; } rect{1, 2, 3, 4};
    EXPECT_TRUE(CellInGridRect(rect, 1, 4));
    EXPECT_FALSE(CellInGridRect(rect, 4, 2));
}

TEST(TextRoutines, CapitalizeWordsForNames)
{
    struct Case { const char* text; const char* expected; };
    const Case cases[] = {
        {"mcdonald", "McDonald"}, {"henry iii", "Henry III"}, {"JOHN SMITH", "John Smith"},
        {"o'brien-smith", "O'Brien-Smith"}, {"ronald mcdonald", "Ronald McDonald"}, {"", ""},
        {"louis ii", "Louis II"}, {"isaac", "Isaac"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CapitalizeWords(c.text), c.expected) << c.text;
}

TEST(TextRoutines, RCCellReferences)
{
    struct Point { int X = -1, Y = -1; } cell;
    EXPECT_TRUE(ParseRCCellRef("r12c3", cell));
    EXPECT_EQ(cell.X, 3);
    EXPECT_EQ(cell.Y, 12);
    Point untouched;
    for (const char* bad : {"R1C", "X1C2", "R1X2", "RaC2", "R1Cb", ""}) {
        EXPECT_FALSE(ParseRCCellRef(bad, untouched)) << bad;
        EXPECT_EQ(untouched.X, -1);
    }
}

TEST(TextRoutines, DatesInBothOrders)
{
    int y, m, d;
    struct Case { const char* text; bool dmy; int year, month, day; };
    const Case cases[] = {
        {"31.12.99", true, 1999, 12, 31}, {"1-2-25", true, 2025, 2, 1}, {"2/1/26", false, 1926, 2, 1},
        {"1/2/2004", true, 2004, 2, 1}, {"12/31/1999", false, 1999, 12, 31}, {"5/6/00", false, 2000, 5, 6},
    };
    for (const Case& c : cases) {
        const TDateTime dt = c.dmy ? ParseDateDMY(c.text) : ParseDateMDY(c.text);
        DecodeDate(dt, y, m, d);
        EXPECT_EQ(y, c.year) << c.text;
        EXPECT_EQ(m, c.month) << c.text;
        EXPECT_EQ(d, c.day) << c.text;
    }
    EXPECT_EQ(ParseDateMDY("1/2"), 0);
    EXPECT_EQ(ParseDateMDY("abc"), 0);
    EXPECT_EQ(ParseDateDMY("a/2/3"), 0);
    EXPECT_THROW(ParseDateDMY("31/4/2004"), EConvertError);
}

TEST(TextRoutines, LooksLikeDateNeedsTwoSeparators)
{
    EXPECT_TRUE(LooksLikeDate("1/2/3"));
    EXPECT_FALSE(LooksLikeDate("/1/2"));
    EXPECT_FALSE(LooksLikeDate("1//2"));
    EXPECT_FALSE(LooksLikeDate("12/5"));
    SeparatorsScope scope(',', '.', '.');
    EXPECT_TRUE(LooksLikeDate("1.2.2004"));
}

TEST(TextRoutines, DateSeriesSteps)
{
    int y, m, d;
    DecodeDate(AddDateStep(0, 1, 0, EncodeDate(2003, 12, 15), 31), y, m, d);
    EXPECT_EQ(EncodeDate(y, m, d), EncodeDate(2004, 1, 15));
    EXPECT_EQ(AddDateStep(0, -1, 0, EncodeDate(2004, 1, 15), -31), EncodeDate(2003, 12, 15));
    EXPECT_EQ(AddDateStep(0, 0, -1, EncodeDate(2004, 3, 1), -1), EncodeDate(2004, 2, 29));
    EXPECT_EQ(AddDateStep(1, 0, 0, EncodeDate(2004, 3, 1), 365), EncodeDate(2005, 3, 1));
    EXPECT_EQ(AddDateStep(0, 1, 1, EncodeDate(2004, 3, 1), 32), EncodeDate(2004, 4, 2));
    EXPECT_THROW(AddDateStep(0, 1, 0, EncodeDate(2004, 1, 31), 29), EConvertError);
    EXPECT_THROW(AddDateStep(1, 0, 0, EncodeDate(2004, 2, 29), 366), EConvertError);
}

TEST(TextRoutines, UrlDetectionAndScheme)
{
    EXPECT_TRUE(IsUrlText("see http://x.org"));
    EXPECT_TRUE(IsUrlText("mailto:a@b.c"));
    EXPECT_FALSE(IsUrlText("MAILTO:a@b.c"));
    String t = "http://x.org/a";
    StripUrlScheme(t);
    EXPECT_EQ(t, "x.org/a");
    t = "mailto:a@b.c";
    StripUrlScheme(t);
    EXPECT_EQ(t, "a@b.c");
    t = "plain";
    StripUrlScheme(t);
    EXPECT_EQ(t, "plain");
}

TEST(TextRoutines, WrapUrlInAnchor)
{
    String result = "untouched";
    EXPECT_FALSE(WrapUrlInAnchor("no link here", "HTTP://", result));
    EXPECT_EQ(result, "untouched");
    ASSERT_TRUE(WrapUrlInAnchor("see http://x.org/a now", "HTTP://", result));
    EXPECT_EQ(result, "see <a href=\"http://x.org/a\">http://x.org/a</a> now");
    ASSERT_TRUE(WrapUrlInAnchor("a<b> www.q.nl?x=1", "WWW.", result));
    EXPECT_EQ(result, "a&lt;b&gt; <a href=\"www.q.nl\">www.q.nl</a>?x=1");
    ASSERT_TRUE(WrapUrlInAnchor("MAILTO:me@x.org", "MAILTO:", result));
    EXPECT_EQ(result, "<a href=\"MAILTO:me@x.org\">MAILTO:me@x.org</a>");
}

TEST(TextRoutines, OemTextEndsAtZeroByte)
{
    String text("\x82t\x82", 3);
    text += String("\0tail", 5);
    OemToAnsiText(text);
    EXPECT_EQ(text, "\xE9t\xE9");
}

TEST(TextRoutines, CharacterClassesFollowTheSeparators)
{
    SeparatorsScope scope(',', '.');
    EXPECT_TRUE(IsNumberChar(','));
    EXPECT_TRUE(IsNumberChar('.'));
    EXPECT_FALSE(IsNumberChar('+'));
    EXPECT_TRUE(IsSignedNumberChar('+'));
    EXPECT_FALSE(IsFloatChar(','));
    EXPECT_TRUE(IsWordBreakChar('\''));
    EXPECT_EQ(LowerAsciiChar('Q'), 'q');
    EXPECT_EQ(LowerAsciiChar('\xC9'), '\xC9');
}

} // namespace
