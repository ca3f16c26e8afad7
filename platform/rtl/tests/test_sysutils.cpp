#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct FloatCase {
    double value;
    const char* text;
};

TEST(FloatToStr, GeneralFormatWith15SignificantDigits)
{
    const FloatCase cases[] = {
        {0, "0"}, {5, "5"}, {-3, "-3"}, {0.5, "0.5"}, {0.25, "0.25"}, {90, "90"},
        {1e-5, "1E-5"}, {2.5e-7, "2.5E-7"}, {0.0001, "0.0001"}, {0.00012, "0.00012"},
        {1e15, "1E15"}, {999999999999999.0, "999999999999999"}, {1e20, "1E20"},
        {3000000000.0, "3000000000"}, {1.0 / 3.0, "0.333333333333333"}, {2.0 / 3.0, "0.666666666666667"},
        {0.1 + 0.2, "0.3"}, {-1.5e-10, "-1.5E-10"}, {123456.789, "123456.789"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStr(c.value), c.text) << c.value;
}

// The digits of the general format are those of the exact binary value rounded to the
// precision, whether they come from the shortest round-trip text or the exact expansion.
TEST(FloatToStr, DigitsAreTheExactValueRounded)
{
    uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (int i = 0; i < 20000; ++i) {
        const double mantissa = static_cast<double>(next() % 1000000007ull) / 1000000007.0 + 0.1;
        const int scale = static_cast<int>(next() % 41) - 20;
        const double x = (i % 3 == 0 ? std::round(mantissa * 1e4) / 1e4 : mantissa) * std::pow(10.0, scale);
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.15g", x);
        // An exact tie at the 16th digit rounds away from zero here, to even in printf.
        char exact[80];
        std::snprintf(exact, sizeof exact, "%.60e", x);
        const std::string tail = std::string(exact).substr(16, 45);
        if (tail.find_first_not_of('0', 1) == std::string::npos && tail[0] == '5')
            continue;
        EXPECT_EQ(std::strtod(FloatToStr(x).c_str(), nullptr), std::strtod(expected, nullptr)) << exact;
    }
    // Rounding half away from zero of values whose shortest text is longer than the precision.
    EXPECT_EQ(FloatToStrF(0.125, ffGeneral, 2, 0), "0.13");
    EXPECT_EQ(FloatToStrF(2.675, ffGeneral, 3, 0), "2.67"); // 2.67499999... in binary
    EXPECT_EQ(FloatToStrF(1.5, ffGeneral, 1, 0), "2");
    EXPECT_EQ(FloatToStrF(0.1 + 0.2, ffGeneral, 17, 0), "0.30000000000000004");
}

TEST(FloatToStrF, ExponentFixedAndNumberForms)
{
    EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), "1.235E+03");
    EXPECT_EQ(FloatToStrF(-0.00012, ffExponent, 3, 0), "-1.20E-4");
    EXPECT_EQ(FloatToStrF(3.14159, ffFixed, 15, 2), "3.14");
    EXPECT_EQ(FloatToStrF(0.0, ffFixed, 8, 1), "0.0");
    EXPECT_EQ(FloatToStrF(0.004, ffFixed, 8, 2), "0.00");
    EXPECT_EQ(FloatToStrF(1234567.891, ffNumber, 15, 2), "1,234,567.89");
    EXPECT_EQ(FloatToStrF(1e20, ffGeneral, 15, 4), "1E20");
}

TEST(FormatFloat, PicturePatterns)
{
    EXPECT_EQ(FormatFloat("0.00", 3.14159), "3.14");
    EXPECT_EQ(FormatFloat("#,##0.0", 1234567.25), "1,234,567.3");
    EXPECT_EQ(FormatFloat("0.###", 2.5), "2.5");
    EXPECT_EQ(FormatFloat("0", -0.4), "0");
    EXPECT_EQ(FormatFloat("0.0E+00", 12345.0), "1.2E+04");
    EXPECT_EQ(FormatFloat("0.0;(0.0)", -2.0), "(2.0)");
}

TEST(Format, DirectivesOfTheFramework)
{
    EXPECT_EQ(Format("%s - %s", {"Quelm", "Main"}), "Quelm - Main");
    EXPECT_EQ(Format("%.2d-%s-%.4d", {5, "Mar", 2001}), "05-Mar-2001");
    EXPECT_EQ(Format("%5d|%-5d|", {42, 42}), "   42|42   |");
    EXPECT_EQ(Format("%x %.4x", {255, 255}), "FF 00FF");
    EXPECT_EQ(Format("%f %.3f", {2.0, 1.23456}), "2.00 1.235");
    EXPECT_EQ(Format("%g", {0.00001}), "1E-5");
    EXPECT_EQ(Format("%e", {1234.5}), "1.23450000000000E+003");
    EXPECT_EQ(Format("%1:s %0:s", {"a", "b"}), "b a");
    EXPECT_EQ(Format("%*d", {4, 7}), "   7");
    EXPECT_EQ(Format("100%%", {}), "100%");
    EXPECT_THROW(Format("%d", {"text"}), EConvertError);
    EXPECT_THROW(Format("%s %s", {"one"}), EConvertError);
}

TEST(Conversions, ParseIntegersAndReals)
{
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt(" -7"), -7);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_THROW(StrToInt("4 2"), EConvertError);
    EXPECT_THROW(StrToInt("3000000000"), EConvertError);
    EXPECT_EQ(StrToIntDef("x", -1), -1);
    EXPECT_DOUBLE_EQ(StrToFloat(" 1.5e3 "), 1500.0);
    EXPECT_DOUBLE_EQ(StrToFloat("-.25"), -0.25);
    EXPECT_THROW(StrToFloat("1,5"), EConvertError);
    EXPECT_THROW(StrToFloat("inf"), EConvertError);
    EXPECT_THROW(StrToFloat(""), EConvertError);
    try {
        StrToFloat("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid floating point value");
    }
}

TEST(Conversions, IgnoreTheCLocaleOfTheUser)
{
    // A user locale with a decimal comma must not change any conversion.
    const char* previous = std::setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    bool haveCommaLocale = std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "de_DE") ||
                           std::setlocale(LC_ALL, "fr_FR.UTF-8") || std::setlocale(LC_ALL, "nl_NL.UTF-8");
    EXPECT_EQ(FloatToStr(2.5), "2.5");
    EXPECT_EQ(Format("%.2f", {2.5}), "2.50");
    EXPECT_DOUBLE_EQ(StrToFloat("2.5"), 2.5);
    EXPECT_EQ(FormatFloat("0.00", 2.5), "2.50");
    std::setlocale(LC_ALL, saved.c_str());
    if (!haveCommaLocale)
        GTEST_LOG_(INFO) << "no decimal-comma locale installed; checked under the current locale only";
}

TEST(Conversions, ProcessSettingsChooseTheSeparator)
{
    TFormatSettings saved = FormatSettings();
    FormatSettings().DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(2.5), "2,5");
    EXPECT_DOUBLE_EQ(StrToFloat("2,5"), 2.5);
    FormatSettings() = saved;
}

TEST(TextRoutines, CopyPosReplaceAndCase)
{
    EXPECT_EQ(Pos("lo", "hello"), 4);
    EXPECT_EQ(Pos("x", "hello"), 0);
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 0, 2), "he");
    EXPECT_EQ(Copy("hello", 9, 2), "");
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
    EXPECT_EQ(StringReplace("A-b-c", "a", "x", rfIgnoreCase), "x-b-c");
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(Trim("  a b \t"), "a b");
    EXPECT_EQ(AnsiUpperCase("\xe9t\xe9"), "\xc9T\xc9");
    EXPECT_EQ(UpperCase("\xe9t\xe9"), "\xe9T\xe9");
    EXPECT_TRUE(SameText("Yes", "YES"));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
}

TEST(Assertions, ReportUnitAndLine)
{
    try {
        Assert(false, "", "CommonUnits\\GeneralUnits\\secOutput", 37);
        FAIL();
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), "Assertion failed (CommonUnits\\GeneralUnits\\secOutput, line 37)");
    }
    EXPECT_NO_THROW(Assert(true, "x", "u", 1));
    EXPECT_THROW(Abort(), EAbort);
}

} // namespace

TEST(Conversions, FloatWithExplicitSettingsIgnoresTheProcessSeparator)
{
    TFormatSettings dot = FormatSettings();
    dot.DecimalSeparator = '.';
    const TFormatSettings saved = FormatSettings();
    FormatSettings().DecimalSeparator = ',';
    double v = 0;
    EXPECT_TRUE(TryStrToFloat("4.5", v, dot));
    EXPECT_DOUBLE_EQ(v, 4.5);
    EXPECT_FALSE(TryStrToFloat("4,5", v, dot));
    EXPECT_TRUE(TryStrToFloat("4,5", v));
    FormatSettings() = saved;
}
