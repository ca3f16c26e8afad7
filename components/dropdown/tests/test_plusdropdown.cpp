#include "components/dropdown/PlusDropDown.h"

#include "platform/win/WinWindow.h"

#include <gtest/gtest.h>

namespace {

struct EditSetup {
    TDropDownEditRule rule = erText;
    String prefix, suffix;
    int precision = 0;
    bool isSigned = false;
    int digitLimit = 0;
};

// a drop-down edit holding value (no formatting), caret/selection in value positions
TDropDownValueText Make(const EditSetup& s, const String& value, int selStart, int selLength = 0)
{
    TDropDownValueText d;
    d.EditRule = s.rule;
    d.TextPrefix = s.prefix;
    d.TextSuffix = s.suffix;
    d.Precision = s.precision;
    d.Signed = s.isSigned;
    d.IntegerDigitLimit = s.digitLimit;
    d.SetTextDirect(s.prefix + value + s.suffix);
    d.SelStart = static_cast<int>(s.prefix.size()) + selStart;
    d.SelLength = selLength;
    return d;
}

struct TypingCase {
    const char* name;
    EditSetup setup;
    String value;
    int selStart, selLength;
    String keys;       // typed one after the other; '\b' is Backspace
    String expected;   // the value afterwards
    int expectedCaret; // value position of SelStart afterwards
};

class Typing : public ::testing::TestWithParam<TypingCase> {};

TEST_P(Typing, ValueAndCaretFollowTheRule)
{
    const TypingCase& c = GetParam();
    TDropDownValueText d = Make(c.setup, c.value, c.selStart, c.selLength);
    for (char ch : c.keys)
        d.TypeChar(ch);
    EXPECT_EQ(d.GetText(), c.expected);
    EXPECT_EQ(d.SelStart - static_cast<int>(c.setup.prefix.size()), c.expectedCaret);
    EXPECT_EQ(d.EditText.substr(0, c.setup.prefix.size()), c.setup.prefix) << "the prefix stays whole";
    EXPECT_TRUE(d.IsReadableValue(d.GetText()));
}

const EditSetup kFloat2{erFloat, "", "", 2, false, 0};
const EditSetup kFloat2Signed{erFloat, "", "", 2, true, 0};
const EditSetup kFloat0{erFloat, "", "", 0, true, 0};
const EditSetup kFloatAffixes{erFloat, "$ ", " kg", 2, true, 0};
const EditSetup kFloatLimit3{erFloat, "", "", 2, false, 3};
const EditSetup kMoney{erMoney, "", "", 2, true, 0};
const EditSetup kMoney0{erMoney, "", "", 0, false, 0};
const EditSetup kMoneyAffixes{erMoney, "EUR ", " net", 2, false, 0};
const EditSetup kInt{erInteger, "", "", 0, false, 0};
const EditSetup kIntSigned{erInteger, "# ", "", 0, true, 0};
const EditSetup kIntLimit2{erInteger, "", " pcs", 0, false, 2};
const EditSetup kRange{erRangeList, "", "", 0, false, 0};
const EditSetup kRangeAffixes{erRangeList, "R: ", " !", 0, false, 0};

INSTANTIATE_TEST_SUITE_P(
    Float, Typing,
    ::testing::Values(
        TypingCase{"DigitReplacesNextDecimalWhenFull", kFloat2, "1.25", 3, 0, "7", "1.27", 4},
        TypingCase{"DigitAtEndOfFullDecimalsDropped", kFloat2, "1.25", 4, 0, "9", "1.25", 4},
        TypingCase{"SecondSeparatorMovesCaretBehindFirst", kFloat2, "1.25", 1, 0, ".", "1.25", 2},
        TypingCase{"SeparatorOverSelectedDigitDropped", kFloat2, "1.5", 0, 1, ".", "1.5", 2},
        TypingCase{"SeparatorIntoEmptyValueGivesZero", kFloat2, "", 0, 0, ".5", "0.5", 3},
        TypingCase{"NoSeparatorWithoutDecimals", kFloat0, "15", 1, 0, ".", "15", 1},
        TypingCase{"LetterDropped", kFloat2, "15", 2, 0, "a", "15", 2},
        TypingCase{"ThousandSeparatorAtItsPlace", kFloat2, "1234", 1, 0, ",", "1,234", 2},
        TypingCase{"ThousandSeparatorTooClose", kFloat2, "1,234", 3, 0, ",", "1,234", 3},
        TypingCase{"SignTogglesAtFront", kFloat2Signed, "12.5", 2, 0, "-", "-12.5", 3},
        TypingCase{"SignTogglesBack", kFloat2Signed, "-12.5", 3, 0, "-", "12.5", 2},
        TypingCase{"SignWithoutSignedDropped", kFloat2, "12.5", 0, 0, "-", "12.5", 0},
        TypingCase{"SignOverSelectionInMiddleDropped", kFloat2Signed, "12.5", 1, 1, "-", "12.5", 1},
        TypingCase{"AffixesStayAroundTypedDigits", kFloatAffixes, "12", 2, 0, "3.4", "123.4", 5},
        TypingCase{"SignGoesBehindPrefix", kFloatAffixes, "12", 0, 0, "-", "-12", 1},
        TypingCase{"DigitLimitRefusesIntegerDigit", kFloatLimit3, "123.4", 1, 0, "5", "123.4", 1},
        TypingCase{"DigitLimitKeepsDecimals", kFloatLimit3, "123.4", 5, 0, "5", "123.45", 6},
        TypingCase{"DigitLimitAllowsBackspace", kFloatLimit3, "123.4", 1, 0, "\b", "23.4", 0},
        TypingCase{"BackspaceMayNotJoinTooManyDigits", kFloatLimit3, "123.4", 4, 0, "\b", "123.4", 4}),
    [](const auto& info) { return String(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Money, Typing,
    ::testing::Values(
        TypingCase{"ThousandsAppearWhileTyping", kMoney, "", 0, 0, "1234567", "1,234,567", 9},
        TypingCase{"DecimalsAfterGroupedDigits", kMoney, "", 0, 0, "1234.5", "1,234.5", 7},
        TypingCase{"ThousandSeparatorNeverTyped", kMoney, "1,234", 5, 0, ",", "1,234", 5},
        TypingCase{"LongValueKeepsEveryDigit", kMoney, "", 0, 0, "12345678901234567890",
                   "12,345,678,901,234,567,890", 26},
        TypingCase{"SignInFrontOfGroups", kMoney, "1,234", 2, 0, "-", "-1,234", 3},
        TypingCase{"SeparatorOverWholeValueStartsDecimals", kMoney0, "1,234", 0, 5, ".", "0.0", 0},
        TypingCase{"AffixesStay", kMoneyAffixes, "999", 3, 0, "9", "9,999", 5},
        TypingCase{"BackspaceRegroupsOnNextDigit", kMoney, "1,234", 5, 0, "\b5", "1,235", 5}),
    [](const auto& info) { return String(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Integer, Typing,
    ::testing::Values(
        TypingCase{"DigitsTaken", kInt, "12", 2, 0, "3", "123", 3},
        TypingCase{"LetterDropped", kInt, "12", 2, 0, "a", "12", 2},
        TypingCase{"SeparatorDropped", kInt, "12", 1, 0, ".,", "12", 1},
        TypingCase{"SignWithoutSignedDropped", kInt, "12", 0, 0, "-", "12", 0},
        TypingCase{"SignTogglesFromAnywhere", kIntSigned, "12", 1, 0, "-", "-12", 2},
        TypingCase{"SignTogglesBackBehindPrefix", kIntSigned, "-12", 0, 0, "-", "12", 0},
        TypingCase{"SignOverWholeValueStartsNegative", kIntSigned, "12", 0, 2, "-5", "-5", 2},
        TypingCase{"BackspaceNeverEntersPrefix", kIntSigned, "12", 0, 0, "\b", "12", 0},
        TypingCase{"DigitLimitRefusesThirdDigit", kIntLimit2, "12", 2, 0, "3", "12", 2},
        TypingCase{"DigitOverSelectionWithinLimit", kIntLimit2, "12", 0, 1, "9", "92", 1}),
    [](const auto& info) { return String(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    RangeList, Typing,
    ::testing::Values(
        TypingCase{"SeparatorAfterNumber", kRange, "1-5", 3, 0, ",7", "1-5,7", 5},
        TypingCase{"SeparatorAfterSeparatorDropped", kRange, "1-", 2, 0, "-;,", "1-", 2},
        TypingCase{"SeparatorBeforeSeparatorDropped", kRange, "1-5", 1, 0, ";", "1-5", 1},
        TypingCase{"SeparatorAtStartDropped", kRange, "", 0, 0, ",-;5", "5", 1},
        TypingCase{"SeparatorReplacingSelectionNextToOneDropped", kRange, "1-5", 2, 1, ",", "1-5", 2},
        TypingCase{"LetterDropped", kRange, "1", 1, 0, "x ", "1", 1},
        TypingCase{"SeparatorBehindPrefixDropped", kRangeAffixes, "2", 0, 0, ",", "2", 0},
        TypingCase{"DigitsAndSeparatorsBeforeSuffix", kRangeAffixes, "2", 1, 0, "-4;6", "2-4;6", 5}),
    [](const auto& info) { return String(info.param.name); });

const EditSetup kHex{erHex, "0x", "", 0, false, 0};

INSTANTIATE_TEST_SUITE_P(
    Hex, Typing,
    ::testing::Values(
        TypingCase{"HexDigitsBothCases", kHex, "", 0, 0, "aF9", "aF9", 3},
        TypingCase{"LetterBeyondFDropped", kHex, "A", 1, 0, "g", "A", 1},
        TypingCase{"SignInFrontTaken", kHex, "FF", 0, 0, "-", "-FF", 1},
        TypingCase{"SignInMiddleDropped", kHex, "FF", 1, 0, "-", "FF", 1},
        TypingCase{"SignAtEndDropped", kHex, "FF", 2, 0, "-", "FF", 2},
        TypingCase{"SecondSignDropped", kHex, "-FF", 0, 0, "-", "-FF", 0},
        TypingCase{"SignOverSelectedSignTaken", kHex, "-FF", 0, 1, "-", "-FF", 1}),
    [](const auto& info) { return String(info.param.name); });

struct PasteCase {
    const char* name;
    EditSetup setup;
    String value;
    int selStart, selLength;
    String clip;
    String expected;
    bool changed;
};

class Pasting : public ::testing::TestWithParam<PasteCase> {};

TEST_P(Pasting, FollowsTheTypingRules)
{
    const PasteCase& c = GetParam();
    TDropDownValueText d = Make(c.setup, c.value, c.selStart, c.selLength);
    EXPECT_EQ(d.Paste(c.clip), c.changed);
    EXPECT_EQ(d.GetText(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Pasting,
    ::testing::Values(
        PasteCase{"IntegerDigits", kInt, "12", 2, 0, "34", "1234", true},
        PasteCase{"IntegerWithLetterRefused", kInt, "", 0, 0, "12a", "", false},
        PasteCase{"IntegerSignInMiddleRefused", kIntSigned, "12", 1, 0, "-", "12", false},
        PasteCase{"IntegerSignWithoutSignedRefused", kInt, "", 0, 0, "-12", "", false},
        PasteCase{"IntegerSignedNegative", kIntSigned, "", 0, 0, "-12", "-12", true},
        PasteCase{"IntegerOverDigitLimitRefused", kIntLimit2, "1", 1, 0, "23", "1", false},
        PasteCase{"IntegerLineBreakRefused", kInt, "1", 1, 0, "2\r\n", "1", false},
        PasteCase{"FloatFormattedToPrecision", kFloat2, "", 0, 0, "3.14159", "3.14", true},
        PasteCase{"FloatSecondSeparatorRefused", kFloat2, "1.5", 3, 0, ".2", "1.5", false},
        PasteCase{"FloatTwoSignsRefused", kFloat2Signed, "-1", 0, 0, "-", "-1", false},
        PasteCase{"FloatSignAtEndRefused", kFloat2Signed, "12", 2, 0, "-", "12", false},
        PasteCase{"FloatWithoutDecimalsRefusesSeparator", kFloat0, "", 0, 0, "1.5", "", false},
        PasteCase{"FloatOverDigitLimitRefused", kFloatLimit3, "", 0, 0, "1234", "", false},
        PasteCase{"FloatExponentRefused", kFloat2, "", 0, 0, "1E5", "", false},
        PasteCase{"MoneyGrouped", kMoney, "", 0, 0, "1234567", "1,234,567.00", true},
        PasteCase{"MoneyKeepsAffixes", kMoneyAffixes, "1", 1, 0, "000", "1,000.00", true},
        PasteCase{"RangeListNeverPasted", kRange, "1", 1, 0, "-5", "1", false},
        PasteCase{"HexNeverPasted", EditSetup{erHex}, "A", 1, 0, "B", "A", false},
        PasteCase{"UpperCased", EditSetup{erUpperCase}, "ab", 2, 0, "cd", "ABCD", true},
        PasteCase{"CharSetOnlyAllowed", EditSetup{erCharSet}, "", 0, 0, "a-b", "", false}),
    [](const auto& info) { return String(info.param.name); });

TEST(Pasting, RefusedPasteOnlyMovesTheSelection)
{
    TDropDownValueText d = Make(kInt, "77", 1, 1);
    EXPECT_FALSE(d.Paste("12a"));
    EXPECT_EQ(d.GetText(), "77");
    EXPECT_EQ(d.SelStart, 1);
    EXPECT_EQ(d.SelLength, 1) << "clipped to the text";
}

TEST(Pasting, VetoAndMaxLengthStopIt)
{
    TDropDownValueText d = Make(EditSetup{erText}, "ab", 2);
    String seen;
    d.OnPasteText = [&](const String& predicted, bool& allow) {
        seen = predicted;
        allow = false;
    };
    EXPECT_FALSE(d.Paste("cd"));
    EXPECT_EQ(seen, "abcd");
    d.OnPasteText = nullptr;
    d.MaxLength = 3;
    EXPECT_FALSE(d.Paste("cd"));
    EXPECT_EQ(d.GetText(), "ab");
}

TEST(ValueText, PrefixAndSuffixFrameTheValue)
{
    TDropDownValueText d;
    d.EditRule = erInteger;
    d.TextPrefix = "$ ";
    d.TextSuffix = " kg";
    d.SetText("12");
    EXPECT_EQ(d.EditText, "$ 12 kg");
    EXPECT_EQ(d.GetText(), "12");
    EXPECT_EQ(d.LastSetText(), "12");

    d.SelStart = 0;
    EXPECT_TRUE(d.KeyDown(VK_END, false));
    EXPECT_EQ(d.SelStart, 4);
    EXPECT_TRUE(d.KeyDown(VK_RIGHT, false)) << "Right at the end of the value does nothing";
    EXPECT_TRUE(d.KeyDown(VK_DELETE, false)) << "Delete may not eat the suffix";
    EXPECT_TRUE(d.KeyDown(VK_HOME, false));
    EXPECT_EQ(d.SelStart, 2);
    EXPECT_TRUE(d.KeyDown(VK_LEFT, false));
    d.SelStart = 4;
    EXPECT_TRUE(d.KeyDown(VK_HOME, true));
    EXPECT_EQ(d.EditText.substr(d.SelStart, d.SelLength), "12");

    d.SetTextDirect("$ 12 XY"); // a damaged suffix still counts by its length
    EXPECT_EQ(d.GetText(), "12");
}

TEST(ValueText, MouseSelectionStaysInValue)
{
    struct Case {
        int selStart, selLength; // edit positions in "$ 12 kg"
        int expectedStart, expectedLength;
    } cases[] = {
        {0, 0, 2, 2}, // a click into the prefix selects the value
        {6, 0, 4, 0}, // a click into the suffix puts the caret at the end of "12"
        {3, 4, 3, 1}, // a selection into the suffix ends with the value
        {3, 1, 3, 1}, // a selection inside the value stays
    };
    for (const Case& c : cases) {
        TDropDownValueText d = Make(EditSetup{erText, "$ ", " kg"}, "12", 0);
        d.SelStart = c.selStart;
        d.SelLength = c.selLength;
        d.KeepSelectionInValue();
        EXPECT_EQ(d.SelStart, c.expectedStart) << c.selStart;
        EXPECT_EQ(d.SelLength, c.expectedLength) << c.selStart;
    }
}

TEST(ValueText, DeleteMayNotJoinTooManyIntegerDigits)
{
    TDropDownValueText d = Make(kFloatLimit3, "123.4", 3);
    EXPECT_TRUE(d.KeyDown(VK_DELETE, false));
    d.SelStart = 4;
    EXPECT_FALSE(d.KeyDown(VK_DELETE, false));
    d.DeleteForward();
    EXPECT_EQ(d.GetText(), "123.");
}

TEST(ValueText, SetTextFormatsByRule)
{
    struct Case {
        TDropDownEditRule rule;
        int precision;
        String in, out;
    } cases[] = {
        {erHex, 0, "", "0"},          {erHex, 0, "ff", "FF"},           {erInteger, 0, "", "0"},
        {erFloat, 2, "1.5", "1.50"},  {erFloat, 2, "Error", "Error"},   {erMoney, 2, "1234.5", "1,234.50"},
        {erText, 2, "abc", "abc"},    {erMoney, 0, "", "0"},
    };
    for (const Case& c : cases) {
        TDropDownValueText d;
        d.EditRule = c.rule;
        d.Precision = c.precision;
        d.Modified = true;
        d.SetText(c.in);
        EXPECT_EQ(d.GetText(), c.out) << c.in;
        EXPECT_FALSE(d.Modified);
    }
}

TEST(ValueText, PrecisionTurnsNonNumberIntoFormattedZero)
{
    TDropDownValueText d;
    d.SetText("abc");
    d.SetPrecision(2);
    EXPECT_EQ(d.GetText(), "0.00");
    d.EditRule = erInteger;
    d.SetPrecision(4);
    EXPECT_EQ(d.Precision, 2) << "integer rule does not store it";
}

TEST(ValueText, IntegerFloatValueStaysReadableDigits)
{
    TDropDownValueText d;
    d.EditRule = erInteger;
    d.Precision = 2;
    d.SetFloatValue(1234.6);
    EXPECT_EQ(d.GetText(), "1235");
    d.SetFloatValue(1e300);
    EXPECT_TRUE(d.IsReadableValue(d.GetText()));
}

TEST(ValueText, MoneyLargeValueHasNoExponent)
{
    TDropDownValueText d;
    d.EditRule = erMoney;
    d.Precision = -1;
    d.SetFloatValue(1e20);
    EXPECT_EQ(d.GetText(), "100,000,000,000,000,000,000");
}

TEST(ValueText, EditRuleResetsUnreadableValue)
{
    TDropDownValueText d;
    d.SetText("12x");
    d.SetEditRule(erInteger);
    EXPECT_EQ(d.GetText(), "0");
    d.SetEditRule(erHex);
    d.SetText("1f");
    d.SetEditRule(erFloat);
    EXPECT_EQ(d.GetText(), "0") << "hexadecimal text is no float";
}

TEST(ValueText, FocusLossNormalisesNumbers)
{
    struct Case {
        TDropDownEditRule rule;
        int precision;
        bool allowEmpty;
        String in, out;
    } cases[] = {
        {erInteger, 0, false, "", "0"}, {erInteger, 0, true, "", ""},   {erFloat, 2, false, "1.5", "1.50"},
        {erFloat, 2, false, "", "0.00"}, {erFloat, 2, true, "", ""},   {erMoney, 2, false, "1,234.", "1,234.00"},
    };
    for (const Case& c : cases) {
        TDropDownValueText d;
        d.EditRule = c.rule;
        d.Precision = c.precision;
        d.AllowEmptyNumber = c.allowEmpty;
        d.SetTextDirect(c.in);
        d.FocusLost();
        EXPECT_EQ(d.GetText(), c.out) << c.in;
    }
}

TEST(NumberText, Classification)
{
    struct Case {
        String text;
        int kind;
    } cases[] = {{"123", 0}, {"-1", 0},  {"1.5", 1},   {"1,234.5", 1}, {"ff", 5}, {"1.2.3", 2},
                 {"--1", 2}, {"", 2},    {"xyz", 2},   {",123", 2},    {"1,23", 1}};
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyNumberText(c.text), c.kind) << c.text;
    EXPECT_EQ(HexToInt("fF"), 255);
    EXPECT_EQ(HexToInt("-fF"), -255) << "a sign in front reads as negative";
    EXPECT_EQ(TextToFloat("1,234.5"), 1234.5);
    EXPECT_EQ(TextToFloat("nonsense"), 0);
}

TEST(NumberText, DecimalCommaUser)
{
    const TFormatSettings saved = UserFormatSettings();
    TFormatSettings comma = saved;
    comma.DecimalSeparator = ',';
    comma.ThousandSeparator = '.';
    SetUserFormatSettings(comma);

    TDropDownValueText money = Make(kMoney, "", 0);
    for (char ch : String("1234,5"))
        money.TypeChar(ch);
    EXPECT_EQ(money.GetText(), "1.234,5");
    EXPECT_DOUBLE_EQ(money.GetFloatValue(), 1234.5);

    TDropDownValueText number = Make(kFloat2, "1,5", 3);
    number.TypeChar(',');
    EXPECT_EQ(number.GetText(), "1,5") << "second decimal comma dropped";

    SetUserFormatSettings(saved);
}

} // namespace
