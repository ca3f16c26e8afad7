// The calculator drop-down: key sequences on the panel, typing in the edit, errors.
#include "components/dropdown/PlusCalculatorDropdown.h"

#include "platform/framework/Forms.h"

#include <gtest/gtest.h>

namespace {

// One character per key: digits, + - * / = % . , '~' sign, 'C' clear, 'B' back,
// 'S' memory store, 'R' recall, 'P' memory add, 'Z' memory clear, 'Q' square root, 'I' 1/x.
int CodeOf(char k)
{
    if (k >= '0' && k <= '9')
        return k - '0';
    switch (k) {
    case '+': return 10;
    case '-': return 11;
    case '*': return 12;
    case '/': return 13;
    case '~': return 14;
    case '.': return 15;
    case 'C': return 16;
    case '=': return 17;
    case '%': return 18;
    case 'B': return 31;
    case 'Z': return 33;
    case 'R': return 34;
    case 'S': return 35;
    case 'P': return 36;
    case 'Q': return 37;
    case 'I': return 38;
    default: ADD_FAILURE() << "no key " << k; return -1;
    }
}

struct Calc {
    TForm* form = New<TForm>(nullptr);
    TPlusCalculatorDropdown* c = new TPlusCalculatorDropdown(form);
    Calc() { c->SetParent(form); }
    ~Calc() { delete form; }
    void Keys(const String& keys)
    {
        for (char k : keys)
            c->PressKey(CodeOf(k));
    }
    void Type(const String& chars)
    {
        for (char ch : chars)
            c->Perform(WM_CHAR, WPARAM(uint8_t(ch)), 0);
    }
};

struct SequenceCase {
    const char* name;
    String keys;
    String display;
};

class CalculatorKeys : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(CalculatorKeys, ShowTheResult)
{
    Calc k;
    k.Keys(GetParam().keys);
    EXPECT_EQ(k.c->GetText(), GetParam().display);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, CalculatorKeys,
    ::testing::Values(SequenceCase{"NoPrecedence", "2+3*4=", "20.00"},
                      SequenceCase{"DivisionByZero", "7/0=", "Error"},
                      SequenceCase{"ErrorReadsAsZeroAfterwards", "7/0=+5=", "5.00"},
                      SequenceCase{"PercentOfTheRunningValue", "200+10%", "20.00"},
                      SequenceCase{"PercentThenEquals", "200+10%=", "220.00"},
                      SequenceCase{"DecimalKey", "1.5", "1.50"},
                      SequenceCase{"SecondDecimalKeyCountsTenthsAgain", "1.5.2", "1.70"},
                      SequenceCase{"MemoryStoreClearRecall", "12.5SCR", "12.50"},
                      SequenceCase{"MemoryAdd", "12.5SC3PR", "15.50"},
                      SequenceCase{"MemoryClear", "12.5SZR", "0.00"},
                      SequenceCase{"ChangeSign", "4~", "-4.00"},
                      SequenceCase{"ChangeSignBack", "4~~", "4.00"},
                      SequenceCase{"RootOfNegativeIsError", "4~Q", "Error"},
                      SequenceCase{"Root", "9Q", "3.00"},
                      SequenceCase{"ReciprocalOfZeroIsError", "0I", "Error"},
                      SequenceCase{"Reciprocal", "4I", "0.25"},
                      SequenceCase{"BackRemovesTheLastDigit", "123B", "12.00"},
                      SequenceCase{"ClearForgetsThePendingOperation", "5+3C2=", "2.00"},
                      SequenceCase{"SubtractAndDivide", "9-3/4=", "1.50"}),
    [](const auto& info) { return String(info.param.name); });

TEST(Calculator, OverflowIsAnErrorNotInfinity)
{
    Calc k;
    k.c->SetFloatValue(1e300);
    k.Keys("*");
    k.c->SetFloatValue(1e300);
    k.Keys("=");
    EXPECT_EQ(k.c->GetText(), "Error");
    k.Keys("+2=");
    EXPECT_EQ(k.c->GetText(), "2.00") << "the running value went back to 0";
}

TEST(Calculator, DivisionByZeroResetsTheRunningValue)
{
    Calc k;
    k.Keys("8/0");
    k.c->CompleteCalculation();
    EXPECT_EQ(k.c->GetText(), "Error");
    EXPECT_EQ(k.c->PendingOperation(), -1);
    k.Keys("+1=");
    EXPECT_EQ(k.c->GetText(), "1.00");
}

TEST(Calculator, AFullDisplayTakesNoMoreDigits)
{
    Calc k;
    k.Keys("1");
    ASSERT_EQ(k.c->GetText(), "1.00");
    k.c->SetMaxLength(4);
    k.c->SetValueModified(false);
    k.Keys("2.~");
    EXPECT_EQ(k.c->GetText(), "1.00");
    EXPECT_FALSE(k.c->ValueModified());
}

TEST(Calculator, ThousandSeparatorsShowAndAreRead)
{
    Calc k;
    k.c->SetShowThousandSeparator(true);
    k.c->SetFloatValue(1234.5);
    EXPECT_EQ(k.c->GetText(), "1,234.50");
    k.Keys("S+1=");
    EXPECT_EQ(k.c->GetText(), "1,235.50");
    EXPECT_DOUBLE_EQ(k.c->Memory(), 1234.5);
}

TEST(Calculator, TypingOperatorsInTheClosedEdit)
{
    Calc k;
    k.Type("5");
    EXPECT_EQ(k.c->GetText(), "5.00");
    k.Type("+");
    EXPECT_EQ(k.c->GetText(), "5.00") << "the operator is not inserted";
    EXPECT_EQ(k.c->PendingOperation(), 0);
    k.Type("3");
    EXPECT_EQ(k.c->GetText(), "3.00");
    k.Type("=");
    EXPECT_EQ(k.c->GetText(), "8.00");
    k.Type("x");
    EXPECT_EQ(k.c->GetText(), "8.00") << "letters are dropped";
    k.Type("c");
    EXPECT_EQ(k.c->GetText(), "0.00");
}

TEST(Calculator, PanelKeysAndLayout)
{
    Calc k;
    TCustomButtonPanel* p = k.c->ButtonPanel();
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->Buttons()->Count(), 28);
    p->SetBounds(0, 0, 230, 150);
    p->LayoutButtons();
    const TRect area = p->GetButtonArea();
    const int W = (area.Width() - 8) / 6, H = (area.Height() - 4) / 5;
    TButtonItem* seven = p->Buttons()->Items(11);
    TButtonItem* memory = p->Buttons()->Items(4);
    EXPECT_EQ(seven->Caption, "7");
    EXPECT_EQ(seven->Left, memory->Left + W + 4) << "the memory column stands 4 pixels apart";
    EXPECT_EQ(p->Buttons()->Items(12)->Left, seven->Left + W - 1) << "digit columns share a border";
    EXPECT_EQ(p->Buttons()->Items(10)->Top, seven->Top + H - 1);
    TButtonItem* equals = p->Buttons()->Items(24);
    TButtonItem* clear = p->Buttons()->Items(3);
    EXPECT_EQ(clear->Caption, "C");
    EXPECT_EQ(clear->Left + clear->Width, equals->Left + equals->Width) << "C ends at the last column";
    EXPECT_EQ(p->ButtonAtPos(seven->Left + 2, seven->Top + 2), 11);
    // a click on key 13 (five) goes through the panel's click event
    const TButtonItem* five = p->Buttons()->Items(13);
    p->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(five->Left + 3, five->Top + 3));
    p->Perform(WM_LBUTTONUP, 0, MAKELPARAM(five->Left + 3, five->Top + 3));
    EXPECT_EQ(k.c->GetText(), "5.00");
    // pressed on five, released on six: no click, nothing stays pressed
    const TButtonItem* six = p->Buttons()->Items(18);
    p->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(five->Left + 3, five->Top + 3));
    p->Perform(WM_LBUTTONUP, 0, MAKELPARAM(six->Left + 3, six->Top + 3));
    EXPECT_EQ(k.c->GetText(), "5.00");
    EXPECT_EQ(p->PressedIndex(), -1);
    // a disabled key never becomes hot or pressed
    p->Buttons()->Items(18)->Enabled = false;
    p->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(six->Left + 3, six->Top + 3));
    EXPECT_EQ(p->HotIndex(), -1);
    p->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(six->Left + 3, six->Top + 3));
    EXPECT_EQ(p->PressedIndex(), -1);
}

} // namespace
