// The spin edit and the edit-button editors, driven through real key and mouse events.
#include "components/grid/PSGEdit.h"
#include "components/grid/asgspin.h"

#include "platform/framework/Forms.h"
#include "platform/rtl/DateUtils.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <cstdlib>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct EditorFixture : ::testing::Test {
    EditorFixture()
    {
        saved = FormatSettings();
        FormatSettings().DecimalSeparator = '.';
        FormatSettings().ThousandSeparator = ',';
        FormatSettings().DateSeparator = '/';
        FormatSettings().TimeSeparator = ':';
        FormatSettings().ShortDateFormat = "dd/mm/yyyy";
        FormatSettings().LongTimeFormat = "hh:nn:ss";
        form.SetBounds(0, 0, 300, 200);
    }
    ~EditorFixture() override
    {
        TPopupMenu::ChooseHook = nullptr;
        FormatSettings() = saved;
    }
    template <class T>
    T* Make()
    {
        auto* c = new T(&form);
        c->SetParent(&form);
        c->SetBounds(10, 10, 140, 24);
        return c;
    }
    void Focus(TWinControl* c)
    {
        form.Show();
        QApplication::setActiveWindow(form.Host());
        c->SetFocus();
    }
    static void Key(TWinControl* c, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(c->Host(), k, m); }
    static void Place(TCustomEdit* e, int start, int length = 0)
    {
        e->SetSelStart(start);
        e->SetSelLength(length);
    }
    TFormatSettings saved;
    TForm form{nullptr};
};

} // namespace

TEST_F(EditorFixture, IntegerSpinStepsWithinItsLimitsAndReadsBadTextSafely)
{
    auto* spin = Make<TPsgSpinEdit>();
    EXPECT_EQ(spin->Text(), "0");
    Focus(spin);
    struct Case {
        int min, max, start, inc;
        Qt::Key key;
        String expected;
    } cases[] = {
        {0, 100, 100, 1, Qt::Key_Up, "100"},    // held at the upper limit
        {0, 100, 0, 1, Qt::Key_Down, "0"},      // and at the lower
        {0, 0, 100, 1, Qt::Key_Up, "101"},      // equal limits: none
        {0, 0, -5, 1, Qt::Key_Down, "-6"},
        {0, 100, 50, 5, Qt::Key_PageUp, "55"},  // page keys step by Increment too
        {0, 100, 50, 5, Qt::Key_PageDown, "45"},
        {0, 100, 98, 5, Qt::Key_Up, "100"},
    };
    for (const Case& c : cases) {
        spin->MinValue = c.min;
        spin->MaxValue = c.max;
        spin->Increment = c.inc;
        spin->SetText(IntToStr(c.start));
        Key(spin, c.key);
        EXPECT_EQ(spin->Text(), c.expected) << c.start << " key " << c.key;
    }
    int keyDowns = 0;
    spin->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { keyDowns += k == VK_UP; };
    Key(spin, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(keyDowns, 0) << "the stepping keys never reach OnKeyDown";

    spin->MinValue = 7;
    spin->MaxValue = 100;
    spin->SetText("abc");
    EXPECT_EQ(spin->Value(), 7);
    spin->SetText("  ");
    EXPECT_EQ(spin->Value(), 0);
    spin->SetReadOnly(true);
    spin->SetText("10");
    spin->StepUp(false);
    EXPECT_EQ(spin->Text(), "10") << "a read-only spin does not step";
}

TEST_F(EditorFixture, TypedCharactersFollowTheTypeSeparatorsAndSignRules)
{
    auto* spin = Make<TPsgSpinEdit>();
    Focus(spin);
    struct Case {
        TPsgSpinType type;
        int precision;
        char decimal;
        String text;
        int selStart, selLength;
        Qt::Key key;
        String expected;
    } cases[] = {
        {sptNormal, 0, '.', "12", 2, 0, Qt::Key_5, "125"},
        {sptNormal, 0, '.', "12", 2, 0, Qt::Key_A, "12"},
        {sptNormal, 0, '.', "12", 2, 0, Qt::Key_Period, "12"},     // no separator in an integer
        {sptNormal, 0, '.', "12", 2, 0, Qt::Key_Minus, "12"},      // no sign in the middle
        {sptNormal, 0, '.', "12", 0, 0, Qt::Key_Minus, "-12"},     // one in front
        {sptNormal, 0, '.', "-12", 0, 0, Qt::Key_Minus, "-12"},    // and only one
        {sptNormal, 0, '.', "-12", 0, 1, Qt::Key_Minus, "-12"},    // typed over the selected one
        {sptNormal, 0, '.', "12", 2, 0, Qt::Key_Colon, "12"},      // time separator outside times
        {sptNormal, 0, '.', "12", 2, 0, Qt::Key_Slash, "12"},      // date separator outside dates
        {sptFloat, 0, '.', "1.5", 3, 0, Qt::Key_Period, "1.5"},    // never two separators
        {sptFloat, 0, '.', "1.5", 1, 1, Qt::Key_Period, "1.5"},    // over the existing one
        {sptFloat, 0, '.', "15", 1, 0, Qt::Key_Period, "1.5"},
        {sptFloat, 0, '.', "15", 1, 0, Qt::Key_Comma, "15"},       // thousand separator refused
        {sptFloat, 0, ',', "15", 1, 0, Qt::Key_Comma, "1,5"},      // the forced decimal comma
        {sptFloat, 0, ',', "15", 1, 0, Qt::Key_Period, "15"},      // and then no point
        {sptFloat, 0, ',', "1,5", 3, 0, Qt::Key_Comma, "1,5"},
        {sptFloat, 2, '.', "1.25", 4, 0, Qt::Key_7, "1.25"},       // precision reached
        {sptFloat, 2, '.', "1.25", 3, 1, Qt::Key_7, "1.27"},       // over a selected digit
        {sptFloat, 2, '.', "1.25", 0, 0, Qt::Key_3, "31.25"},      // left of the separator
        {sptFloat, 0, '.', "1.5", 2, 0, Qt::Key_Minus, "1.5"},
        {sptTime, 0, '.', "10:20:30", 8, 0, Qt::Key_Colon, "10:20:30"}, // a third separator
        {sptTime, 0, '.', "10:20", 5, 0, Qt::Key_Colon, "10:20:"},
        {sptDate, 0, '.', "15/03", 5, 0, Qt::Key_Slash, "15/03/"},
        {sptDate, 0, '.', "15/03", 5, 0, Qt::Key_Colon, "15/03"},
    };
    for (const Case& c : cases) {
        FormatSettings().DecimalSeparator = c.decimal;
        FormatSettings().ThousandSeparator = c.decimal == ',' ? '.' : ',';
        spin->MinValue = spin->MaxValue = 0;
        spin->MinFloatValue = spin->MaxFloatValue = 0;
        spin->SetSpinType(c.type);
        spin->SetPrecision(c.precision);
        spin->SetText(c.text);
        Place(spin, c.selStart, c.selLength);
        Key(spin, c.key);
        EXPECT_EQ(spin->Text(), c.expected) << c.text << " at " << c.selStart << " key " << c.key << " type " << c.type;
    }
    spin->SetSpinType(sptNormal);
    spin->EditorEnabled = false;
    spin->SetText("12");
    Place(spin, 2);
    Key(spin, Qt::Key_3);
    Key(spin, Qt::Key_Backspace);
    EXPECT_EQ(spin->Text(), "12") << "a disabled editor takes no typing";
    Key(spin, Qt::Key_Up);
    EXPECT_EQ(spin->Text(), "13") << "but steps";
}

TEST_F(EditorFixture, FloatDateAndTimeStepByTheFieldUnderTheCaret)
{
    auto* spin = Make<TPsgSpinEdit>();
    Focus(spin);
    spin->SetSpinType(sptFloat);
    spin->SetPrecision(2);
    spin->SetFloatValue(1.25);
    EXPECT_EQ(spin->Text(), "1.25");
    Key(spin, Qt::Key_Up);
    EXPECT_EQ(spin->Text(), "1.35");
    Key(spin, Qt::Key_PageDown);
    EXPECT_EQ(spin->Text(), "0.35");
    Key(spin, Qt::Key_PageDown);
    EXPECT_EQ(spin->Text(), "0.00") << "clamped at MinFloatValue";
    spin->SetText("x");
    EXPECT_EQ(spin->FloatValue(), spin->MinFloatValue);

    spin->SetSpinType(sptDate);
    struct DateCase {
        String text;
        int caret;
        bool up;
        String expected;
    } dates[] = {
        {"15/03/2024", 4, true, "15/04/2024"},
        {"15/03/2024", 7, true, "15/03/2025"},
        {"15/03/2024", 0, true, "16/03/2024"},
        {"01/03/2024", 1, false, "29/02/2024"},
        {"31/01/2023", 3, true, "28/02/2023"}, // the month's last day at most
        {"15/03/2024", 8, false, "15/03/2023"},
    };
    for (const DateCase& c : dates) {
        spin->SetText(c.text);
        Place(spin, c.caret);
        Key(spin, c.up ? Qt::Key_Up : Qt::Key_Down);
        EXPECT_EQ(spin->Text(), c.expected) << c.text << " at " << c.caret;
        EXPECT_EQ(spin->SelStart(), c.caret) << "the caret stays in its field";
    }
    spin->SetText("29/02/2024");
    Place(spin, 8);
    EXPECT_THROW(spin->StepUp(false), EConvertError) << "no 29 February in 2025";
    spin->MinDateValue = EncodeDate(2024, 1, 1);
    spin->MaxDateValue = EncodeDate(2024, 12, 31);
    spin->SetText("31/12/2024");
    Place(spin, 0);
    Key(spin, Qt::Key_Up);
    EXPECT_EQ(spin->Text(), "31/12/2024");

    spin->MinDateValue = spin->MaxDateValue = 0;
    spin->SetSpinType(sptTime);
    struct TimeCase {
        String text;
        int caret;
        bool up;
        String expected;
    } times[] = {
        {"00:00:00", 0, false, "23:00:00"},
        {"23:30:00", 1, true, "00:30:00"},
        {"10:59:00", 3, true, "11:00:00"},
        {"10:00:00", 4, false, "09:59:00"},
        {"10:00:59", 6, true, "10:01:00"},
        {"00:00:00", 7, false, "23:59:59"},
    };
    for (const TimeCase& c : times) {
        spin->SetText(c.text);
        Place(spin, c.caret);
        Key(spin, c.up ? Qt::Key_Up : Qt::Key_Down);
        EXPECT_EQ(spin->Text(), c.expected) << c.text << " at " << c.caret;
    }
    spin->SetText("nonsense");
    EXPECT_EQ(spin->TimeValue(), 0.0);
    spin->ShowSeconds = false;
    spin->SetTimeValue(EncodeTime(9, 5, 0, 0));
    EXPECT_EQ(spin->Text(), "9:05");
}

TEST_F(EditorFixture, SpinButtonsLayOutAndRepeatWhileHeld)
{
    auto* pair = new TPsgSpinButton(&form);
    pair->SetParent(&form);
    pair->SetBounds(0, 0, 15, 25);
    EXPECT_EQ(pair->UpButton()->Height(), 12);
    EXPECT_EQ(pair->DownButton()->Top(), 11);
    EXPECT_EQ(pair->DownButton()->Height(), 14);
    pair->SetDirection(spHorizontal);
    EXPECT_EQ(pair->Width(), 20);
    EXPECT_EQ(pair->DownButton()->Left(), 0);
    EXPECT_EQ(pair->UpButton()->Left(), 11);

    auto* spin = Make<TPsgSpinEdit>();
    spin->MaxValue = 1000;
    Focus(spin);
    TPlusTimerSpeedButton* up = spin->Button()->UpButton();
    ASSERT_EQ(up->Parent(), spin->Button());
    EXPECT_GE(up->Width(), 10);
    QTest::mouseClick(up->Host(), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(spin->Text(), "1") << "a short click steps once, at release";
    QTest::mousePress(up->Host(), Qt::LeftButton, {}, QPoint(4, 4));
    QTest::qWait(200);
    EXPECT_EQ(spin->Text(), "1") << "no repeat before 400 ms";
    QTRY_VERIFY_WITH_TIMEOUT(spin->Value() >= 3, 5000); // 400 ms, then 100 ms steps
    const int held = spin->Value();
    QTest::mouseRelease(up->Host(), Qt::LeftButton, {}, QPoint(4, 4));
    const int released = spin->Value();
    EXPECT_GE(released, held + 1) << "and once more at release";
    QTest::qWait(300);
    EXPECT_EQ(spin->Value(), released) << "the repeat stops with the release";
    QTest::mouseClick(spin->Button()->DownButton()->Host(), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(spin->Value(), released - 1);
    EXPECT_TRUE(spin->Focused()) << "pressing a button leaves the focus on the edit";
}

TEST_F(EditorFixture, UnitEditSplitsTheValueAtTheFirstMatchingUnit)
{
    auto* edit = Make<TPsgUnitEditBtn>();
    struct Case {
        std::vector<String> units;
        String value;
        String text, unit;
    } cases[] = {
        {{"kg", "g"}, "12kg", "12", "kg"},
        {{"kg", "g"}, "12g", "12", "g"},
        {{"kg", "g"}, "12 lb", "old", "u"},  // nothing matches: both kept
        {{"g", "kg"}, "3kg", "3k", "g"},     // list order wins
        {{"m"}, "m", "", "m"},
        {{"m"}, "mm", "old", "u"},           // the first occurrence must end the value
        {{}, "5kg", "old", "u"},
    };
    for (const Case& c : cases) {
        edit->Units()->Clear();
        for (const String& u : c.units)
            edit->Units()->Add(u);
        edit->SetText("old");
        edit->SetUnitID("u");
        edit->SetValueWithUnit(c.value);
        EXPECT_EQ(edit->Text(), c.text) << c.value;
        EXPECT_EQ(edit->UnitID(), c.unit) << c.value;
        EXPECT_EQ(edit->GetValueWithUnit(), c.text + c.unit);
    }
    EXPECT_TRUE(edit->RightAlign());
    EXPECT_EQ(edit->UnitSpace(), 20);
}

TEST_F(EditorFixture, UnitChooserAndButtonFireTheirEventsInOrder)
{
    auto* edit = Make<TPsgUnitEditBtn>();
    edit->Units()->Add("kg");
    edit->Units()->Add("g");
    edit->SetUnitID("kg");
    Focus(edit);
    std::vector<String> events;
    edit->OnClickBtn = [&](TObject* s) { events.push_back(s == edit ? "click(edit)" : "click(other)"); };
    edit->OnUnitChanged = [&](TObject*, String u) { events.push_back("unit " + u); };
    int choose = 0;
    std::vector<String> captions;
    TPopupMenu::ChooseHook = [&](TPopupMenu* m) -> TMenuItem* {
        captions.clear();
        for (int i = 0; i < m->Items()->Count(); ++i)
            captions.push_back(m->Items()->Items(i)->Caption());
        return m->Items()->Items(choose);
    };
    choose = 0; // the unit already shown
    QTest::mouseClick(edit->ButtonHolder()->Button()->Host(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(captions, (std::vector<String>{"kg", "g"}));
    choose = 1;
    Key(edit, Qt::Key_F4);
    Key(edit, Qt::Key_F4, Qt::AltModifier); // nothing
    EXPECT_EQ(events, (std::vector<String>{"click(edit)", "click(edit)", "unit g"}));
    EXPECT_EQ(edit->GetValueWithUnit(), "0g");
    edit->Perform(WM_COMMAND, 3, 0); // outside the units
    edit->Perform(WM_COMMAND, MAKEWPARAM(1, EN_CHANGE), 0);
    EXPECT_EQ(edit->UnitID(), "g");
}

TEST_F(EditorFixture, EditButtonFiresOnReleaseAndF4AndKeepsTypingOutWhenDisabled)
{
    auto* edit = Make<TPsgEditBtn>();
    edit->SetButtonCaption("...");
    Focus(edit);
    std::vector<TObject*> senders;
    edit->OnClickBtn = [&](TObject* s) { senders.push_back(s); };
    TPlusSpeedButton* button = edit->ButtonHolder()->Button();
    QTest::mousePress(button->Host(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(senders.empty());
    QTest::mouseRelease(button->Host(), Qt::LeftButton, {}, QPoint(200, 200)); // outside
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], edit->ButtonHolder());
    Key(edit, Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(senders.size(), 1u) << "Ctrl+F4 is not the button";
    edit->OnKeyDown = [](TObject*, WORD& k, TShiftState) {
        if (k == VK_F4)
            k = 0;
    };
    Key(edit, Qt::Key_F4);
    EXPECT_EQ(senders.size(), 1u) << "OnKeyDown took the key";
    edit->OnKeyDown = nullptr;
    Key(edit, Qt::Key_F4);
    ASSERT_EQ(senders.size(), 2u);
    EXPECT_EQ(senders[1], edit);

    edit->SetText("ab");
    Place(edit, 2);
    Key(edit, Qt::Key_C);
    EXPECT_EQ(edit->Text(), "abc");
    edit->EditorEnabled = false;
    Key(edit, Qt::Key_D);
    EXPECT_EQ(edit->Text(), "abc");
    QTest::mouseClick(button->Host(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(senders.size(), 3u) << "the button still works";

    // the holder sits at the right edge and the text keeps clear of it
    EXPECT_EQ(edit->ButtonHolder()->Left() + edit->ButtonHolder()->Width(), edit->Width() - 5);
    RECT r{};
    edit->Perform(EM_GETRECT, 0, LPARAM(&r));
    EXPECT_EQ(r.right, edit->ClientWidth() - edit->ButtonHolder()->Width() - 5);
    edit->SetBounds(10, 10, 140, 4);
    EXPECT_EQ(edit->Height(), edit->MinimumHeight()) << "grows back to its minimum height";
}

// Pictures of the editors for a person to look at: QUELM_SHOTS=dir writes them there.
TEST_F(EditorFixture, EditorsRenderForALook)
{
    const char* dir = std::getenv("QUELM_SHOTS");
    auto* spin = Make<TPsgSpinEdit>();
    spin->SetSpinType(sptFloat);
    spin->SetPrecision(2);
    spin->SetFloatValue(12.5);
    auto* date = Make<TPsgSpinEdit>();
    date->SetBounds(10, 40, 140, 24);
    date->SetSpinType(sptDate);
    date->SetDateValue(EncodeDate(2024, 3, 15));
    auto* btn = Make<TPsgEditBtn>();
    btn->SetBounds(10, 70, 140, 24);
    btn->SetButtonCaption("...");
    btn->SetText("C:\\data");
    auto* unit = Make<TPsgUnitEditBtn>();
    unit->SetBounds(10, 100, 140, 24);
    unit->Units()->Add("kg");
    unit->SetText("12.5");
    unit->SetUnitID("kg");
    auto* hspin = Make<TPsgSpinEdit>();
    hspin->SetBounds(160, 10, 120, 24);
    hspin->SetDirection(spHorizontal);
    hspin->SetValue(42);
    form.Show();
    QApplication::processEvents();
    const QImage shot = form.Host()->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    if (dir)
        shot.save(QString::fromUtf8(dir) + "/editors.png");
}
