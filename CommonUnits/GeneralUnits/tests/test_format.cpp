#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_RegionalSettings_Unit.h"

#include <gtest/gtest.h>

TEST(GeneralRealFormat, FifteenSignificantDigitsPlainOrScientific)
{
    const struct {
        double value;
        String text;
    } cases[] = {
        {0, "0"},
        {5, "5"},
        {-3, "-3"},
        {0.5, "0.5"},
        {90, "90"},
        {1e-5, "1E-5"},
        {2.5e-7, "2.5E-7"},
        {1e15, "1E15"},
        {999999999999999.0, "999999999999999"},
        {0.0001, "0.0001"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"},
        {-1234.5678, "-1234.5678"},
        {1e20, "1E20"},
        {123456789012345678.0, "1.23456789012346E17"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStr(c.value), c.text) << c.value;
}

TEST(FloatField, WholeNumbersGetPointZeroAndAreLeftAligned)
{
    const struct {
        double value;
        int width;
        String text;
    } cases[] = {
        {3, 18, "3.0" + String(15, ' ')},
        {0.25, 18, "0.25" + String(14, ' ')},
        {0, 18, "0.0" + String(15, ' ')},
        {-3, 6, "-3.0  "},
        {90, 4, "90.0 "},              // as long as the width: one blank
        {1e-5, 6, "1E-5  "},
        {1e20, 18, "1E20" + String(14, ' ')},
        {3e9, 18, "3000000000" + String(8, ' ')}, // beyond 32 bits: no ".0"
        {2147483647.0, 12, "2147483647.0 "},
        {-2147483648.0, 13, "-2147483648.0 "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatField(c.value, c.width), c.text) << c.value;
}

TEST(FloatFieldRight, GeneralFormWithFourExponentDigitsRightAligned)
{
    const struct {
        double value;
        int width;
        String text;
    } cases[] = {
        {3, 6, "     3"},
        {0.25, 8, "    0.25"},
        {1e-5, 9, "  1E-0005"},
        {2.5e-7, 9, "2.5E-0007 "},
        {1e20, 8, "  1E0020"},
        {-12.5, 3, "-12.5 "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatFieldRight(c.value, c.width), c.text) << c.value;
}

TEST(TextFields, PadRightPadLeftAndTheOtherForms)
{
    EXPECT_EQ(PadRight("abc", 6), "abc   ");
    EXPECT_EQ(PadRight("abcdef", 6), "abcdef ");
    EXPECT_EQ(PadRight("", 2), "  ");
    EXPECT_EQ(PadLeft("abc", 6), "   abc");
    EXPECT_EQ(PadLeft("123456", 4), "123456 ");
    EXPECT_EQ(PadLeft("1234", 4), "1234 ");
    EXPECT_EQ(IntField(-42, 5), "-42  ");
    EXPECT_EQ(IntFieldRight(42, 5), "   42");
    EXPECT_EQ(YesNoField(true, 4), "Yes ");
    EXPECT_EQ(YesNoField(false, 1), "No ");
    EXPECT_EQ(DateField(EncodeDate(2003, 3, 5), 12), "05-Mar-2003 ");
}

TEST(FormatDateDMY, EnglishMonthWhateverTheSettings)
{
    TFormatSettings& fs = FormatSettings();
    const TFormatSettings saved = fs;
    fs.ShortMonthNames[2] = "Mrz";
    fs.DateSeparator = '.';
    const struct {
        int y, m, d;
        String text;
    } cases[] = {
        {2001, 3, 5, "05-Mar-2001"},
        {2002, 2, 5, "05-Feb-2002"},
        {1999, 12, 31, "31-Dec-1999"},
        {900, 1, 1, "01-Jan-0900"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateDMY(EncodeDate(c.y, c.m, c.d)), c.text);
    fs = saved;
}

TEST(ExtendedAscii, DetectAndStrip)
{
    EXPECT_FALSE(HasExtendedAscii("plain text ~\x7f"));
    EXPECT_TRUE(HasExtendedAscii("caf\xE9"));
    EXPECT_TRUE(HasExtendedAscii("\x80"));
    EXPECT_EQ(StripExtendedAscii("caf\xE9 cr\xE8me"), "caf crme");
    EXPECT_EQ(StripExtendedAscii("abc"), "abc");
}

TEST(SqlDateLiteral, IsoDateInQuotesAndTheForcedSettingsComeBack)
{
    ForceRegionalSettings();
    EXPECT_EQ(SqlDateLiteral(EncodeDate(2001, 3, 5)), "'2001-03-05'");
    EXPECT_EQ(FormatSettings().ShortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(FormatSettings().DateSeparator, '/');
    EXPECT_EQ(DateToStr(EncodeDate(2001, 3, 5)), "05/03/2001");
}
