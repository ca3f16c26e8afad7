// Accelerators: an '&' in a caption marks the character that clicks a button, toggles a check
// box or clicks a speed button, through CM_DIALOGCHAR from the form; with Alt even while an
// edit that takes characters has the focus.
#include "platform/framework/Buttons.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

TEST(Accelerators, IsAccelFindsTheCharacterAfterASingleAmpersand)
{
    struct Case {
        WORD vk;
        const char* caption;
        bool accel;
    };
    const Case cases[] = {
        {'S', "&Save", true},     {'s', "&Save", true},      {'A', "&Save", false},
        {'V', "Sa&ve", true},     {'S', "&&Save", false},    {'C', "A&&B&c", true},
        {'B', "A&&B&c", false},   {'S', "Save&", false},     {'S', "Save", false},
        {'1', "Option &1", true}, {0x153, "&Save", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsAccel(c.vk, c.caption), c.accel) << c.caption << " " << c.vk;
}

TEST(Accelerators, DialogCharClicksTheControlWhoseAcceleratorItIs)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 320, 200);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(10, 10, 120, 24);
    auto* save = new TButton(&form);
    save->SetParent(&form);
    save->SetBounds(10, 40, 80, 26);
    save->SetCaption("&Save");
    int saved = 0;
    save->OnClick = [&](TObject*) { ++saved; };
    auto* other = new TButton(&form);
    other->SetParent(&form);
    other->SetBounds(100, 40, 80, 26);
    other->SetCaption("&Stop");
    other->SetEnabled(false);
    int stopped = 0;
    other->OnClick = [&](TObject*) { ++stopped; };
    auto* keep = new TCheckBox(&form);
    keep->SetParent(&form);
    keep->SetBounds(10, 70, 120, 24);
    keep->SetCaption("&Keep");
    auto* run = new TSpeedButton(&form);
    run->SetParent(&form);
    run->SetBounds(10, 100, 60, 24);
    run->SetCaption("&Run");
    int ran = 0;
    run->OnClick = [&](TObject*) { ++ran; };
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
    edit->SetFocus();
    QApplication::processEvents();

    // the form asks its controls directly: the first enabled match wins
    EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 's', 0), 1);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(stopped, 0);
    EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'q', 0), 0);
    EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'R', 0), 1);
    EXPECT_EQ(ran, 1);
    // typed into the edit, a plain letter is text; with Alt it is the accelerator
    QTest::keyClick(edit->Host(), Qt::Key_S);
    EXPECT_EQ(edit->Text(), "s");
    EXPECT_EQ(saved, 1);
    QTest::keyClick(edit->Host(), Qt::Key_K, Qt::AltModifier);
    EXPECT_TRUE(keep->Checked());
    EXPECT_TRUE(keep->Focused());
    EXPECT_EQ(edit->Text(), "s");
    edit->SetFocus();
    QTest::keyClick(edit->Host(), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(saved, 2);
}

// A label's accelerator focuses its FocusControl; a label without one, or whose control
// cannot take the focus, leaves the key to the next control.
TEST(Accelerators, LabelAcceleratorFocusesItsControl)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 320, 200);
    auto* first = new TEdit(&form);
    first->SetParent(&form);
    first->SetBounds(80, 10, 120, 24);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetBounds(10, 40, 60, 20);
    label->SetCaption("&Name");
    auto* name = new TEdit(&form);
    name->SetParent(&form);
    name->SetBounds(80, 40, 120, 24);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
    first->SetFocus();
    QApplication::processEvents();

    EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'N', 0), 0); // no control to focus yet
    label->SetFocusControl(name);
    name->SetEnabled(false);
    EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'N', 0), 0);
    name->SetEnabled(true);
    QTest::keyClick(first->Host(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(name->Focused());
    EXPECT_EQ(first->Text(), "");
    EXPECT_EQ(name->Text(), "");
    label->SetShowAccelChar(false); // the '&' is shown, so it marks nothing
    first->SetFocus();
    EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'N', 0), 0);
    label->SetShowAccelChar(true);
    delete name;
    EXPECT_EQ(label->FocusControl(), nullptr);
    EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'N', 0), 0);
}
