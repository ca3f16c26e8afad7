// Drop-downs on a shown form driven by key presses and clicks as a user makes them: the
// clipboard keys of the value edit, Tab out of the edit, keys typed ahead of an opening pop-up,
// the date-time picker's calendar keys and the track bar's Esc.
#include "components/dropdown/PlusCalculatorDropdown.h"
#include "components/dropdown/PlusDropDown.h"
#include "components/dropdown/PlusTrackBarDropDown.h"
#include "platform/testing/quelm_test_support.h"

#include "platform/framework/Forms.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using quelmtest::WaitFor;

// A shown form with a money drop-down "$ 1,234.50 net" and a plain edit after it.
struct UserKeysForm {
    TForm* form = New<TForm>(nullptr);
    TPlusCustomDropDown* d = new TPlusCustomDropDown(form);
    TEdit* next = new TEdit(form);
    std::vector<String> events;
    UserKeysForm()
    {
        form->SetBounds(100, 100, 400, 200);
        d->SetParent(form);
        d->SetBounds(20, 20, 200, 21);
        d->TabOrder = 0;
        next->SetParent(form);
        next->SetBounds(20, 60, 100, 21);
        next->TabOrder = 1;
        d->SetEditRule(erMoney);
        d->SetPrecision(2);
        d->SetTextPrefix("$ ");
        d->SetTextSuffix(" net");
        d->SetText("1234.5");
        form->Show();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
        d->SetFocus();
        EXPECT_TRUE(WaitFor([&] { return d->Focused(); }));
    }
    ~UserKeysForm() { delete form; }
    void Log(const char* what, bool allow)
    {
        auto log = [this, what, allow](TObject* sender, const String& value, bool& a) {
            EXPECT_EQ(sender, d);
            events.push_back(String(what) + ":" + value);
            a = allow;
        };
        (String(what) == "copy" ? d->OnCopyText : d->OnCutText) = log;
    }
    void Ctrl(Qt::Key k) { QTest::keyClick(d->Host(), k, Qt::ControlModifier); }
};

String ClipboardText() { return QApplication::clipboard()->text().toStdString(); }

TEST(DropDownClipboard, CopyAndCutRaiseTheirOwnEventWithTheSelectedValue)
{
    UserKeysForm f;
    f.Log("copy", true);
    f.Log("cut", true);
    QApplication::clipboard()->setText("before");
    f.d->SelectValue();
    f.Ctrl(Qt::Key_C);
    EXPECT_EQ(ClipboardText(), "1,234.50");
    EXPECT_EQ(f.events, (std::vector<String>{"copy:1,234.50"}));

    // part of the value: the event sees that part only
    f.events.clear();
    f.d->SetSelStart(4);
    f.d->SetSelLength(3);
    f.Ctrl(Qt::Key_C);
    EXPECT_EQ(ClipboardText(), "234");
    EXPECT_EQ(f.events, (std::vector<String>{"copy:234"}));

    // the copy that a cut makes raises no copy event of its own
    f.events.clear();
    f.d->SelectValue();
    f.Ctrl(Qt::Key_X);
    EXPECT_EQ(f.events, (std::vector<String>{"cut:1,234.50"}));
    EXPECT_EQ(ClipboardText(), "1,234.50");
    EXPECT_EQ(f.d->GetText(), "");
    EXPECT_EQ(f.d->EditText(), "$  net");

    // and a later copy is heard again
    f.events.clear();
    QTest::keyClicks(f.d->Host(), "77");
    f.d->SelectValue();
    f.Ctrl(Qt::Key_C);
    EXPECT_EQ(f.events, (std::vector<String>{"copy:77"}));
    EXPECT_EQ(ClipboardText(), "77");
}

TEST(DropDownClipboard, AVetoKeepsTheClipboardAndTheValue)
{
    UserKeysForm f;
    f.Log("copy", false);
    f.Log("cut", false);
    QApplication::clipboard()->setText("before");
    f.d->SelectValue();
    f.Ctrl(Qt::Key_C);
    EXPECT_EQ(ClipboardText(), "before");
    f.Ctrl(Qt::Key_X);
    EXPECT_EQ(ClipboardText(), "before");
    EXPECT_EQ(f.d->GetText(), "1,234.50") << "a refused cut removes nothing";
    EXPECT_EQ(f.events, (std::vector<String>{"copy:1,234.50", "cut:1,234.50"}));

    // a refused cut leaves copies unblocked
    f.events.clear();
    f.Log("copy", true);
    f.Ctrl(Qt::Key_C);
    EXPECT_EQ(f.events, (std::vector<String>{"copy:1,234.50"}));
    EXPECT_EQ(ClipboardText(), "1,234.50");
}

TEST(DropDownClipboard, ACutOfAReadOnlyValueDoesNothing)
{
    UserKeysForm f;
    f.Log("cut", true);
    f.Log("copy", true);
    f.d->SetReadOnly(true);
    QApplication::clipboard()->setText("before");
    f.d->SelectValue();
    f.d->CutToClipboard();
    EXPECT_TRUE(f.events.empty());
    EXPECT_EQ(ClipboardText(), "before");
    EXPECT_EQ(f.d->GetText(), "1,234.50");
}

TEST(DropDownTab, TabLeavesTheMoneyAndCalculatorEdits)
{
    UserKeysForm f;
    auto* calc = new TPlusCalculatorDropdown(f.form);
    calc->SetParent(f.form);
    calc->SetBounds(20, 100, 200, 21);
    calc->TabOrder = 2;
    calc->SetFloatValue(42.5);

    // arrows stay the edit's own
    f.d->SetSelStart(4);
    f.d->SetSelLength(0);
    QTest::keyClick(f.d->Host(), Qt::Key_Left);
    EXPECT_TRUE(f.d->Focused());
    EXPECT_EQ(f.d->SelStart(), 3);

    QTest::keyClick(f.d->Host(), Qt::Key_Tab);
    EXPECT_TRUE(WaitFor([&] { return f.next->Focused(); }));
    EXPECT_EQ(f.d->GetText(), "1,234.50") << "no tab character in the value";
    QTest::keyClick(f.next->Host(), Qt::Key_Tab);
    EXPECT_TRUE(WaitFor([&] { return calc->Focused(); }));
    QTest::keyClick(calc->Host(), Qt::Key_Tab);
    EXPECT_TRUE(WaitFor([&] { return f.d->Focused(); })) << "round to the first";
    QTest::keyClick(f.d->Host(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(WaitFor([&] { return calc->Focused(); }));
    EXPECT_EQ(calc->GetFloatValue(), 42.5);
}

// A shown form with a track-bar drop-down (0 to 20) holding 7.
struct UserKeysTrack {
    TForm* form = New<TForm>(nullptr);
    TPlusTrackBarDropDown* t = new TPlusTrackBarDropDown(form);
    UserKeysTrack()
    {
        form->SetBounds(100, 100, 400, 200);
        t->SetParent(form);
        t->SetBounds(20, 20, 200, 21);
        t->SetMax(20);
        t->SetPosition(7);
        form->Show();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
        t->SetFocus();
        EXPECT_TRUE(WaitFor([&] { return t->Focused(); }));
    }
    ~UserKeysTrack() { delete form; }
    QWidget* Popup() const { return t->DropDownForm()->Host(); }
    // Alt+Down, then the pop-up has the keyboard (a user typing at a slow pace)
    void OpenAndWait()
    {
        QTest::keyClick(t->Host(), Qt::Key_Down, Qt::AltModifier);
        ASSERT_TRUE(t->IsDroppedDown());
        ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == Popup() && QApplication::focusWidget(); }));
    }
    // a key where the keyboard is now
    static void Type(Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); }
};

TEST(TrackBarEscape, EscGivesBackTheNumberShownAtOpening)
{
    UserKeysTrack f;
    QTest::keyClick(f.t->Host(), Qt::Key_Down);
    EXPECT_EQ(f.t->Position(), 8) << "Down on the closed edit steps";
    f.OpenAndWait();
    f.Type(Qt::Key_Right);
    f.Type(Qt::Key_Right);
    EXPECT_EQ(f.t->GetText(), "10");
    f.Type(Qt::Key_Escape);
    EXPECT_FALSE(f.t->IsDroppedDown());
    EXPECT_EQ(f.t->GetText(), "8");
    EXPECT_EQ(f.t->Position(), 8);

    // Return keeps the slider's number, and the next Esc goes back to that one
    QTest::qWait(300);
    f.OpenAndWait();
    f.Type(Qt::Key_Right);
    f.Type(Qt::Key_Return);
    EXPECT_FALSE(f.t->IsDroppedDown());
    EXPECT_EQ(f.t->Position(), 9);
    QTest::qWait(300);
    f.OpenAndWait();
    f.Type(Qt::Key_Left);
    f.Type(Qt::Key_Left);
    EXPECT_EQ(f.t->Position(), 7);
    f.Type(Qt::Key_Escape);
    EXPECT_EQ(f.t->Position(), 9);
    EXPECT_EQ(f.t->GetText(), "9");
}

} // namespace
