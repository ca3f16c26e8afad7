// The time picker drop-down (typed text, stepping, seconds on and off, the pop-up's clock) and
// the date-time picker (date with a companion time picker, moving on after typed digits).
#include "components/dropdown/PlusDateTimePicker.h"
#include "components/dropdown/PlusTimePickerDropDown.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinWindow.h"

#include <QTest>

#include <cmath>
#include <gtest/gtest.h>

namespace {

const String TS(1, FormatSettings().TimeSeparator);

String T(const char* pattern)
{
    String s = pattern;
    for (char& ch : s)
        if (ch == ':')
            ch = TS[0];
    return s;
}

struct TimeFixture {
    TForm* form = New<TForm>(nullptr);
    TPlusTimePickerDropDown* t = new TPlusTimePickerDropDown(form);
    TimeFixture() { t->SetParent(form); }
    ~TimeFixture() { delete form; }
};

TEST(TimePicker, StartsAtMidnight)
{
    TimeFixture f;
    EXPECT_EQ(f.t->GetText(), T("00:00:00"));
    EXPECT_EQ(f.t->Time(), 0);
    EXPECT_FALSE(f.t->EditorEnabled());
}

struct ParseCase {
    const char* name;
    bool seconds;
    const char* typed;
    bool parsed;
    int h, m, s;
    const char* textAfter;
};

class TimeParsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TimeParsing, CompleteTextsSetTheTime)
{
    const ParseCase& c = GetParam();
    TimeFixture f;
    f.t->SetShowSeconds(c.seconds);
    const TDateTime before = EncodeTime(1, 2, 0, 0);
    f.t->SetTime(before);
    f.t->SetTextDirect(T(c.typed));
    const TDateTime expected = c.parsed ? EncodeTime(c.h, c.m, c.s, 0) : before;
    EXPECT_NEAR(f.t->Time(), expected, 1e-9);
    EXPECT_EQ(f.t->GetText(), T(c.textAfter));
}

INSTANTIATE_TEST_SUITE_P(
    Table, TimeParsing,
    ::testing::Values(ParseCase{"Full", true, "12:34:56", true, 12, 34, 56, "12:34:56"},
                      ParseCase{"BlankSecondsNotParsed", true, "12:34:  ", false, 0, 0, 0, "12:34:  "},
                      ParseCase{"OneHourDigitKeptAsTyped", true, " 9:30:  ", true, 9, 30, 0, " 9:30:  "},
                      ParseCase{"FullHourRewrittenWhenMinutesAreZero", true, " 9:00:  ", true, 9, 0, 0, "09:00:00"},
                      ParseCase{"HourOutOfRangeIgnored", true, "25:00:00", false, 0, 0, 0, "25:00:00"},
                      ParseCase{"WithoutSecondsOneHourDigitNotParsed", false, " 9:30", false, 0, 0, 0, " 9:30"},
                      ParseCase{"WithoutSeconds", false, "09:30", true, 9, 30, 0, "09:30"}),
    [](const auto& info) { return String(info.param.name); });

struct StepCase {
    const char* name;
    bool seconds;
    int h, m, s;
    int caret;
    WORD key;
    int eh, em, es;
};

class TimeStepping : public ::testing::TestWithParam<StepCase> {};

TEST_P(TimeStepping, UpAndDownStepTheFieldAtTheCaret)
{
    const StepCase& c = GetParam();
    TimeFixture f;
    f.t->SetShowSeconds(c.seconds);
    f.t->SetTime(EncodeTime(c.h, c.m, c.s, 0));
    int changes = 0;
    f.t->OnTimeChange = [&](TObject*) { ++changes; };
    f.t->SetSelStart(c.caret);
    WORD key = c.key;
    f.t->KeyDown(key, TShiftState());
    EXPECT_NEAR(f.t->Time(), EncodeTime(c.eh, c.em, c.es, 0), 1e-9);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(f.t->SelStart(), c.caret) << "the caret stays";
    EXPECT_EQ(key, c.key);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TimeStepping,
    ::testing::Values(StepCase{"HourWrapsDown", true, 23, 0, 0, 0, VK_DOWN, 0, 0, 0},
                      StepCase{"HourWrapsUp", true, 0, 5, 0, 1, VK_UP, 23, 5, 0},
                      StepCase{"MinuteWrapsUp", true, 10, 0, 0, 3, VK_UP, 10, 59, 0},
                      StepCase{"MinuteDown", true, 10, 15, 0, 4, VK_DOWN, 10, 16, 0},
                      StepCase{"SecondDown", true, 10, 15, 59, 6, VK_DOWN, 10, 15, 0},
                      StepCase{"WithoutSecondsEveryPlaceAfterTheSeparatorIsTheMinute", false, 10, 15, 0, 5,
                               VK_DOWN, 10, 16, 0}),
    [](const auto& info) { return String(info.param.name); });

TEST(TimePicker, AltAndCtrlDoNotStep)
{
    TimeFixture f;
    f.t->SetTime(EncodeTime(5, 0, 0, 0));
    WORD key = VK_DOWN;
    f.t->KeyDown(key, TShiftState() << ssCtrl);
    EXPECT_NEAR(f.t->Time(), EncodeTime(5, 0, 0, 0), 1e-9);
}

TEST(TimePicker, SecondsOffRewritesTheText)
{
    TimeFixture f;
    f.t->SetTime(EncodeTime(10, 20, 30, 0));
    f.t->SetShowSeconds(false);
    EXPECT_EQ(f.t->GetText(), T("10:20"));
    EXPECT_NEAR(f.t->Time(), EncodeTime(10, 20, 0, 0), 1e-9);
}

TEST(TimePicker, ATimeWithADateShowsItsTimeOfDay)
{
    TimeFixture f;
    f.t->SetTime(EncodeDate(2026, 3, 4) + EncodeTime(8, 9, 10, 500));
    EXPECT_EQ(f.t->GetText(), T("08:09:10"));
    EXPECT_NEAR(f.t->Time(), EncodeTime(8, 9, 10, 0), 1e-9) << "parsing dropped the date and milliseconds";
}

TEST(TimePicker, CancelledCloseKeepsTheTimeAndAnyOtherTakesTheClock)
{
    TimeFixture f;
    f.form->SetBounds(100, 100, 300, 200);
    f.form->Show();
    f.t->SetTime(EncodeTime(6, 0, 0, 0));
    f.t->ShowDropDown();
    ASSERT_TRUE(f.t->IsDroppedDown());
    f.t->Clock()->SetAnimation(false);
    WORD up = VK_RIGHT;
    f.t->DropDownFormKeyDown(up, TShiftState()); // the clock steps a minute
    EXPECT_NEAR(f.t->Clock()->Time(), EncodeTime(6, 1, 0, 0), 1e-9);
    EXPECT_EQ(f.t->GetText(), T("06:01:00")) << "the edit follows the clock";
    f.t->HideDropDown(true);
    EXPECT_NEAR(f.t->Clock()->Time(), f.t->Time(), 1e-9);
    f.t->ShowDropDown();
    f.t->DropDownFormKeyDown(up, TShiftState());
    f.t->HideDropDown(false);
    EXPECT_NEAR(f.t->Time(), f.t->Clock()->Time(), 1e-9);
}

// ---------------------------------------------------------------- date-time picker

struct AutoTabCase {
    const char* name;
    const char* format;
    int y0, m0, d0, y, m, d;
    TAutoTabStep expected;
};

class AutoTab : public ::testing::TestWithParam<AutoTabCase> {};

TEST_P(AutoTab, ADigitMovesOnByTheFieldItChanged)
{
    const AutoTabCase& c = GetParam();
    EXPECT_EQ(AutoTabStep(c.format, c.y0, c.m0, c.d0, c.y, c.m, c.d), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AutoTab,
    ::testing::Values(AutoTabCase{"DayMovesOn", "", 2026, 1, 1, 2026, 1, 3, atNextField},
                      AutoTabCase{"MonthMovesOn", "", 2026, 1, 1, 2026, 2, 1, atNextField},
                      AutoTabCase{"YearGoesToTheTime", "", 2026, 1, 1, 2027, 1, 1, atCompanion},
                      AutoTabCase{"UnchangedStays", "", 2026, 1, 1, 2026, 1, 1, atNone},
                      AutoTabCase{"LastFieldDayGoesToTheTime", "yyyy/MM/dd", 2026, 1, 1, 2026, 1, 9, atCompanion},
                      AutoTabCase{"OtherFieldMovesOn", "yyyy/MM/dd", 2026, 1, 1, 2025, 1, 1, atNextField},
                      AutoTabCase{"LastFieldMonth", "dd.MM", 2026, 1, 1, 2026, 5, 1, atCompanion}),
    [](const auto& info) { return String(info.param.name); });

struct DatePickerFixture {
    TForm* form = New<TForm>(nullptr);
    TPlusDateTimePicker* p = new TPlusDateTimePicker(form);
    DatePickerFixture()
    {
        p->SetParent(form);
        p->SetBounds(10, 10, 240, 23);
    }
    ~DatePickerFixture() { delete form; }
};

TEST(DateTimePicker, SetDateKeepsTheTimeOfDayWithoutMilliseconds)
{
    DatePickerFixture f;
    f.p->SetDateTime(EncodeDate(2020, 5, 6) + EncodeTime(14, 30, 15, 500));
    f.p->SetDate(EncodeDate(2026, 12, 10) + 0.75);
    EXPECT_NEAR(f.p->DateTime(), EncodeDate(2026, 12, 10) + EncodeTime(14, 30, 15, 0), 1e-9);
}

TEST(DateTimePicker, TheCompanionHoldsTheTimeOfDay)
{
    DatePickerFixture f;
    ASSERT_NE(f.p->TimePicker(), nullptr);
    f.p->SetDateTime(EncodeDate(2026, 1, 2) + EncodeTime(8, 0, 0, 0));
    f.p->TimePicker()->SetTime(EncodeTime(9, 45, 0, 0));
    EXPECT_NEAR(f.p->DateTime(), EncodeDate(2026, 1, 2) + EncodeTime(9, 45, 0, 0), 1e-9);
    EXPECT_NEAR(f.p->Time(), EncodeTime(9, 45, 0, 0), 1e-9);
}

TEST(DateTimePicker, KindDecidesAboutTheCompanion)
{
    DatePickerFixture f;
    EXPECT_EQ(f.p->Kind(), dkDateTime);
    f.p->SetKind(dkDate);
    EXPECT_EQ(f.p->TimePicker(), nullptr);
    f.p->SetKind(dkDateTime);
    ASSERT_NE(f.p->TimePicker(), nullptr);
    EXPECT_TRUE(f.p->TimePicker()->Visible());
    EXPECT_LE(f.p->TimePicker()->Left() + f.p->TimePicker()->Width(), f.p->Width()) << "inside the picker";
    f.p->SetKind(dkTime);
    EXPECT_EQ(f.p->TimePicker(), nullptr);
    EXPECT_EQ(f.p->TDateTimePicker::Kind(), dtkTime);
}

TEST(DateTimePicker, LabelAndVersion)
{
    DatePickerFixture f;
    EXPECT_EQ(f.p->LabelCaption(), "");
    f.p->SetLabelCaption("When");
    ASSERT_NE(f.p->EditLabel(), nullptr);
    EXPECT_EQ(f.p->EditLabel()->Left() + f.p->EditLabel()->Width() + 4, f.p->Left());
    EXPECT_EQ(TPlusDateTimePicker::Version(), "1.1.2.0");
    EXPECT_EQ(TPlusDateTimePicker::GetVersionNr(), 0x01010200u);
}

TEST(DateTimePicker, CheckBoxDisablesTheCompanionAndADateChangeStartsTheFocusTimer)
{
    DatePickerFixture f;
    f.p->ShowCheckbox = true;
    ASSERT_NE(f.p->TimePicker(), nullptr);
    f.p->Perform(DTM_SETSYSTEMTIME, GDT_NONE, 0);
    EXPECT_FALSE(f.p->Checked);
    EXPECT_FALSE(f.p->TimePicker()->Enabled());
    f.p->Perform(DTM_SETSYSTEMTIME, GDT_VALID, 0);
    EXPECT_TRUE(f.p->Checked);
    EXPECT_TRUE(f.p->TimePicker()->Enabled());

    f.form->Show();
    f.p->SetFormat("dd/MM/yyyy");
    f.p->SetDateTime(EncodeDate(2026, 3, 4));
    f.p->SetFocus();
    EXPECT_FALSE(f.p->FocusTimer()->Enabled());
    QTest::keyClick(f.p->Host(), Qt::Key_Up); // steps the day
    EXPECT_TRUE(f.p->FocusTimer()->Enabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.p->FocusTimer()->Enabled(); }, 5000)) << "its tick stops it";
}

TEST(DateTimePicker, CompanionSitsLeftOfTheButton)
{
    // this platform has no GetLocaleInfoEx in kernel32: the placement of the older systems
    DatePickerFixture f;
    TCustomDateTimePicker* c = f.p->TimePicker();
    ASSERT_NE(c, nullptr);
    f.p->SetBounds(10, 10, 250, 23);
    EXPECT_EQ(c->Left(), 250 - c->Width() - 21);
    EXPECT_EQ(c->Top(), -2);
    EXPECT_EQ(c->Height(), 23);
    EXPECT_GT(c->Width(), 31) << "its text's width plus 31";
}

TEST(DateTimePicker, LabelLooksAndFocusBold)
{
    DatePickerFixture f;
    f.p->LabelFont()->Color = clRed;
    f.p->SetLabelCaption("When");
    TLabel* label = f.p->EditLabel();
    EXPECT_EQ(label->Font()->Color, clRed);
    f.p->SetLabelTransparent(true);
    EXPECT_TRUE(label->Transparent());
    f.p->SetEnabled(false);
    EXPECT_FALSE(label->Enabled());
    f.p->SetLabelAlwaysEnabled(true);
    f.p->SetEnabled(true);
    f.p->SetEnabled(false);
    EXPECT_TRUE(label->Enabled());
    f.p->FocusLabel = true;
    f.p->Perform(WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(label->Font()->Style.Contains(fsBold));
    f.p->Perform(WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(label->Font()->Style.Contains(fsBold));
}

// The picker's frame as the screen shows it: the 2-pixel edge around the field, with Ctl3D the
// sunken edge, without it the plain one-pixel frame in the colour its border style chooses.
class FramedPicker : public TPlusDateTimePicker {
public:
    using TPlusDateTimePicker::TPlusDateTimePicker;
    void Unthemed(TColor frame)
    {
        themed_ = false;
        frameColor_ = frame;
    }
};

struct FrameCase {
    const char* name;
    bool ctl3D;
    TBorderStyle border;
    bool themed;
    TColor outer, inner, corner; // at (0, 0), (1, 1) and the bottom right pixel
};

class PickerFrame : public ::testing::TestWithParam<FrameCase> {};

TEST_P(PickerFrame, ShowsTheFrameOfItsLook)
{
    const FrameCase& c = GetParam();
    TForm* form = New<TForm>(nullptr);
    form->SetColor(clYellow);
    auto* p = new FramedPicker(form);
    p->SetParent(form);
    p->SetBounds(10, 10, 200, 23);
    p->SetKind(dkDate);
    if (!c.themed)
        p->Unthemed(clRed);
    p->SetBorderStyle(c.border);
    p->SetCtl3D(c.ctl3D);
    form->Show();
    const QImage shot = p->Host()->grab().toImage();
    delete form;
    auto at = [&](int x, int y) { return QColorToColorRef(shot.pixelColor(x, y)); };
    const int W = shot.width(), H = shot.height();
    ASSERT_EQ(W, 200);
    EXPECT_EQ(at(0, 0), ColorToRGB(c.outer));
    EXPECT_EQ(at(W - 1, H - 1), ColorToRGB(c.corner));
    EXPECT_EQ(at(0, H / 2), ColorToRGB(c.outer));
    EXPECT_EQ(at(1, 1), ColorToRGB(c.inner));
    EXPECT_EQ(at(W / 2, 1), ColorToRGB(c.inner));
    EXPECT_NE(at(W / 3, H / 2), ColorToRGB(c.outer)) << "the field inside is the picker's own";
}

INSTANTIATE_TEST_SUITE_P(
    DateTimePicker, PickerFrame,
    ::testing::Values(
        FrameCase{"Ctl3DSunkenEdge", true, bsSingle, true, clBtnShadow, cl3DDkShadow, clBtnHighlight},
        FrameCase{"SingleThemedColour", false, bsSingle, true, TColor(0xB99D7F), clYellow, TColor(0xB99D7F)},
        FrameCase{"NoneParentColour", false, bsNone, true, clYellow, clYellow, clYellow},
        FrameCase{"SingleUnthemedFrameColour", false, bsSingle, false, clRed, clYellow, clRed},
        FrameCase{"NoneUnthemedStillParent", false, bsNone, false, clYellow, clYellow, clYellow}),
    [](const auto& info) { return String(info.param.name); });

TEST(DateTimePicker, Ctl3DChangeRepaintsTheFrame)
{
    TForm* form = New<TForm>(nullptr);
    auto* p = new TPlusDateTimePicker(form);
    p->SetParent(form);
    p->SetBounds(10, 10, 200, 23);
    form->Show();
    const QRgb sunken = p->Host()->grab().toImage().pixel(0, 0);
    p->SetCtl3D(false);
    const QRgb plain = p->Host()->grab().toImage().pixel(0, 0);
    EXPECT_NE(sunken, plain);
    EXPECT_EQ(QColorToColorRef(QColor(plain)), ColorToRGB(TColor(0xB99D7F)));
    p->SetCtl3D(true);
    EXPECT_EQ(p->Host()->grab().toImage().pixel(0, 0), sunken);
    delete form;
}

// The mouse-in, button-hover and focus flags as the mouse and focus messages leave them; a
// disabled picker keeps the mouse out.
TEST(DateTimePicker, MouseAndFocusFlagsFollowTheirMessages)
{
    TForm* form = New<TForm>(nullptr);
    auto* p = new TPlusDateTimePicker(form);
    p->SetParent(form);
    p->SetBounds(10, 10, 200, 23);
    form->Show();
    const int W = p->Width(), B = p->ButtonWidth();
    struct Step {
        UINT msg;
        int x;
        bool mouseIn, buttonHover;
    };
    const Step steps[] = {
        {CM_MOUSEENTER, 0, true, false},  {WM_MOUSEMOVE, 20, true, false},
        {WM_MOUSEMOVE, W - 2, true, true}, {WM_MOUSEMOVE, W - B, true, false},
        {WM_MOUSEMOVE, W - B + 1, true, true}, {WM_MOUSEMOVE, W, true, false},
        {WM_MOUSEMOVE, W - 1, true, true}, {CM_MOUSELEAVE, 0, false, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.msg << " at " << s.x);
        p->Perform(s.msg, 0, s.msg == WM_MOUSEMOVE ? MAKELPARAM(s.x, 5) : 0);
        EXPECT_EQ(p->MouseInControl(), s.mouseIn);
        EXPECT_EQ(p->ButtonHover(), s.buttonHover);
    }
    p->SetEnabled(false);
    p->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_FALSE(p->MouseInControl());
    p->Perform(CM_ENTER, 0, 0);
    EXPECT_TRUE(p->HasFocus());
    p->Perform(CM_EXIT, 0, 0);
    EXPECT_FALSE(p->HasFocus());
    delete form;
}

} // namespace
