// The value rules on the real drop-down edit: characters and pastes reach the edit window as
// messages and the rules decide what the text becomes.
#include "components/dropdown/PlusDropDown.h"

#include "platform/framework/Clipbrd.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ControlHost.h"
#include "platform/win/WinGdi.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct EditCase {
    const char* name;
    TDropDownEditRule rule;
    const char* prefix;
    const char* suffix;
    int precision;
    bool isSigned;
    const char* start;  // set through Text
    int caret;          // in the value, after the prefix
    const char* typed;  // characters; '\b' is Backspace
    const char* pasted; // then pasted at the caret (nullptr: nothing)
    const char* value;  // Text afterwards
    const char* shown;  // the whole edit text afterwards
    bool selectAll = false; // the value selected before typing
};

class RealEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(RealEdit, TypingAndPastingFollowTheRule)
{
    const EditCase& c = GetParam();
    TForm* form = New<TForm>(nullptr);
    auto* d = new TPlusCustomDropDown(form);
    d->SetParent(form);
    d->SetEditRule(c.rule);
    d->SetPrecision(c.precision);
    d->SetSigned(c.isSigned);
    d->SetTextPrefix(c.prefix);
    d->SetTextSuffix(c.suffix);
    d->SetText(c.start);
    d->SetSelStart(int(String(c.prefix).size()) + c.caret);
    d->SetSelLength(0);
    if (c.selectAll)
        d->SelectValue();
    for (const char* p = c.typed; *p; ++p)
        d->Perform(WM_CHAR, WPARAM(uint8_t(*p)), 0);
    if (c.pasted) {
        Clipboard()->SetAsText(c.pasted);
        d->Perform(WM_PASTE, 0, 0);
    }
    EXPECT_EQ(d->GetText(), c.value);
    EXPECT_EQ(d->EditText(), c.shown);
    delete form;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RealEdit,
    ::testing::Values(
        EditCase{"FloatDigitsBeforeSuffix", erFloat, "", " kg", 2, false, "12.50", 2, "3", nullptr, "123.50", "123.50 kg"},
        EditCase{"FloatSecondSeparatorDropped", erFloat, "", "", 2, false, "1.50", 1, ".", nullptr, "1.50", "1.50"},
        EditCase{"FloatSignOnlyWhenSigned", erFloat, "", "", 2, false, "4.00", 0, "-", nullptr, "4.00", "4.00"},
        EditCase{"FloatSignedTogglesBehindPrefix", erFloat, "$ ", "", 2, true, "4.00", 2, "-", nullptr, "-4.00",
                 "$ -4.00"},
        EditCase{"MoneyGroupsWhileTyping", erMoney, "EUR ", "", 0, false, "1", 1, "2345", nullptr, "12,345",
                 "EUR 12,345"},
        EditCase{"IntegerLettersDropped", erInteger, "", " pcs", 0, false, "12", 2, "a3b", nullptr, "123", "123 pcs"},
        EditCase{"IntegerBackspaceStopsAtThePrefix", erInteger, "# ", "", 0, false, "5", 0, "\b", nullptr, "5", "# 5"},
        EditCase{"RangeListBetweenAffixes", erRangeList, "Pages ", ".", 0, false, "1", 1, "-4,,7", nullptr, "1-4,7",
                 "Pages 1-4,7."},
        EditCase{"HexSignOnlyInFront", erHex, "0x", "", 0, false, "FF", 1, "-a", nullptr, "FaF", "0xFaF"},
        EditCase{"PasteOverTheValueFormats", erFloat, "", "", 2, false, "", 0, "", "3.14159", "3.14", "3.14", true},
        EditCase{"PasteOfASecondSeparatorRefused", erFloat, "", "", 2, false, "1.50", 4, "", ".2", "1.50", "1.50"},
        EditCase{"PasteOfASignInTheMiddleRefused", erInteger, "", "", 0, true, "12", 1, "", "-", "12", "12"},
        EditCase{"PasteKeepsTheAffixes", erMoney, "EUR ", " net", 2, false, "1", 1, "", "000", "1,000.00",
                 "EUR 1,000.00 net"},
        EditCase{"PasteOfLettersIntoIntegerRefused", erInteger, "", "", 0, false, "7", 1, "", "12a", "7", "7"}),
    [](const auto& info) { return String(info.param.name); });

TEST(RealEdit, LostFocusNormalisesAFloat)
{
    TForm* form = New<TForm>(nullptr);
    auto* d = new TPlusCustomDropDown(form);
    d->SetParent(form);
    d->SetEditRule(erFloat);
    d->SetPrecision(2);
    d->SetText("1");
    d->SetSelStart(4);
    d->Perform(WM_CHAR, WPARAM('\b'), 0);
    d->Perform(WM_CHAR, WPARAM('\b'), 0);
    d->Perform(WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(d->GetText(), "1.00");
    d->SetTextDirect("");
    d->Perform(WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(d->GetText(), "0.00") << "an empty number becomes zero";
    delete form;
}

TEST(RealEdit, ReturnNeverReachesTheEditAsACharacter)
{
    TForm* form = New<TForm>(nullptr);
    auto* d = new TPlusCustomDropDown(form);
    d->SetParent(form);
    d->SetText("ab");
    d->SetSelStart(2);
    std::vector<char> seen;
    d->OnKeyPress = [&](TObject*, char& k) { seen.push_back(k); };
    d->Perform(WM_CHAR, WPARAM('\r'), 0);
    EXPECT_EQ(d->GetText(), "ab");
    EXPECT_EQ(seen, std::vector<char>{'\r'}) << "OnKeyPress still hears of it";
    delete form;
}

} // namespace

namespace {

struct KeyFixture {
    TForm* form = New<TForm>(nullptr);
    TPlusCustomDropDown* d = new TPlusCustomDropDown(form);
    TPlusCustomDropDown* next = new TPlusCustomDropDown(form);
    std::vector<String> formKeys;
    KeyFixture()
    {
        form->SetBounds(100, 100, 300, 120);
        d->SetParent(form);
        d->SetBounds(10, 10, 200, 21);
        next->SetParent(form);
        next->SetBounds(10, 50, 200, 21);
        form->OnKeyDown = [this](TObject*, WORD& k, TShiftState) { formKeys.push_back("down " + IntToStr(k)); };
        form->OnKeyUp = [this](TObject*, WORD& k, TShiftState) { formKeys.push_back("up " + IntToStr(k)); };
        form->Show();
        for (int i = 0; i < 200 && !d->Focused(); ++i) {
            d->SetFocus();
            QTest::qWait(5);
        }
    }
    ~KeyFixture() { delete form; }
};

TEST(EditKeys, ReturnAsTabMovesTheFocusOn)
{
    KeyFixture f;
    f.d->ReturnAsTab = true;
    ASSERT_TRUE(f.d->Focused());
    QTest::keyClick(f.d->Host(), Qt::Key_Return);
    for (int i = 0; i < 100 && !f.next->Focused(); ++i)
        QTest::qWait(5);
    EXPECT_TRUE(f.next->Focused());
}

TEST(EditKeys, WithoutForwardOnKeyDownReturnReachesTheParentAsAPair)
{
    KeyFixture f;
    f.d->ForwardOnKeyDown = false;
    f.d->SetText("ab");
    f.d->Perform(WM_CHAR, WPARAM('\r'), 0);
    for (int i = 0; i < 100 && f.formKeys.size() < 2; ++i)
        QTest::qWait(5);
    EXPECT_EQ(f.formKeys, (std::vector<String>{"down 13", "up 13"}));
    EXPECT_EQ(f.d->GetText(), "ab");
}

TEST(EditKeys, EscapeSelectsTheValueAndClearsTheModifiedFlag)
{
    KeyFixture f;
    f.d->SetTextPrefix("<");
    f.d->SetTextSuffix(">");
    f.d->SetText("value");
    f.d->SetSelStart(3);
    f.d->Perform(WM_CHAR, WPARAM('x'), 0);
    ASSERT_TRUE(f.d->ValueModified());
    f.d->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0);
    EXPECT_EQ(f.d->SelStart(), 1);
    EXPECT_EQ(f.d->SelLength(), 6);
    EXPECT_FALSE(f.d->ValueModified());
    // while the pop-up is open the edit claims Esc
    f.d->ShowDropDown();
    ASSERT_TRUE(f.d->IsDroppedDown());
    EXPECT_EQ(f.d->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 1);
}

TEST(EditKeys, AnEditInNoFormGetsNoSpecialKeyHandling)
{
    auto* d = new TPlusCustomDropDown(nullptr);
    d->SetText("value");
    d->SetSelStart(2);
    d->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0);
    EXPECT_EQ(d->SelStart(), 2);
    EXPECT_EQ(d->SelLength(), 0);
    delete d;
}

} // namespace

namespace {

// ---------------------------------------------------------------- keypad, border looks, label

struct EditOnForm {
    TForm* form = New<TForm>(nullptr);
    TPlusCustomDropDown* d = new TPlusCustomDropDown(form);
    EditOnForm()
    {
        form->SetBounds(200, 200, 400, 120);
        d->SetParent(form);
        d->SetBounds(100, 40, 200, 21);
    }
    ~EditOnForm() { delete form; }
    QColor Pixel(int x, int y)
    {
        d->Repaint();
        return d->Host()->grab().toImage().pixelColor(x, y);
    }
};

TEST(DropDownEdit, KeypadDecimalKeyTypesTheDecimalSeparator)
{
    const char saved = FormatSettings().DecimalSeparator, savedThousands = FormatSettings().ThousandSeparator;
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = ' ';
    EditOnForm f;
    f.d->SetEditRule(erFloat);
    f.d->SetPrecision(2);
    f.d->SetTextDirect("");
    const LPARAM keypad = LPARAM(0x53) << 16; // the keypad's decimal key: bit 6 of the scan code
    f.d->Perform(WM_CHAR, '1', 0);
    f.d->Perform(WM_CHAR, '.', keypad);
    EXPECT_EQ(f.d->GetText(), "1") << "off: a '.' is no separator here";
    f.d->KeypadDecimalSeparator = true;
    f.d->Perform(WM_CHAR, '.', 0);
    EXPECT_EQ(f.d->GetText(), "1") << "the main keyboard's '.' stays a '.'";
    f.d->Perform(WM_CHAR, '.', keypad);
    f.d->Perform(WM_CHAR, '5', 0);
    EXPECT_EQ(f.d->GetText(), "1,5");
    FormatSettings().DecimalSeparator = saved;
    FormatSettings().ThousandSeparator = savedThousands;
}

TEST(DropDownEdit, BorderLooks)
{
    EditOnForm f;
    f.form->SetColor(clYellow);
    const QColor yellow(255, 255, 0), silver(0xC0, 0xC0, 0xC0), red(255, 0, 0);
    f.form->Show();
    f.d->SetBorderColor(clRed);
    EXPECT_EQ(f.Pixel(0, 10), red);
    f.d->SetBorderColor(clNone);
    f.d->FlatStyle = true;
    // flat and inactive: two frames in the parent's colour
    EXPECT_EQ(f.Pixel(0, 10), yellow);
    EXPECT_EQ(f.Pixel(1, 10), yellow);
    // flat and active: a sunken edge, then a frame in the button face colour
    f.d->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(f.Pixel(0, 10), ColorRefToQColor(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_EQ(f.Pixel(1, 10), ColorRefToQColor(GetSysColor(COLOR_BTNFACE)));
    f.d->Perform(CM_MOUSELEAVE, 0, 0);
    f.d->SetEnabled(false);
    EXPECT_EQ(f.Pixel(0, 10), silver);
}

TEST(DropDownEdit, LabelFontTransparencyAndEnabledState)
{
    EditOnForm f;
    f.d->LabelFont()->Color = clRed;
    f.d->SetLabelCaption("Name");
    TLabel* label = f.d->EditLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Font()->Color, clRed);
    EXPECT_FALSE(label->Transparent());
    f.d->SetLabelTransparent(true);
    EXPECT_TRUE(label->Transparent());
    f.d->LabelFont()->Color = clBlue;
    f.d->LabelFont()->Changed();
    EXPECT_EQ(label->Font()->Color, clBlue) << "a change of the font object itself reaches the label";

    // at load the label follows the edit's Enabled unless LabelAlwaysEnabled
    f.d->SetEnabled(false);
    f.d->Loaded();
    EXPECT_FALSE(label->Enabled());
    f.d->SetLabelAlwaysEnabled(true);
    EXPECT_TRUE(label->Enabled());
    f.d->Loaded();
    EXPECT_TRUE(label->Enabled());
}

} // namespace
