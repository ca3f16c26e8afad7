#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(StdCtrls, ButtonsCloseTheirModalFormWithTheirResult)
{
    TForm form(nullptr);
    auto* ok = new TButton(&form);
    ok->SetParent(&form);
    ok->SetCaption("OK");
    ok->ModalResult = mrOk;
    ok->SetDefault(true);
    auto* cancel = new TButton(&form);
    cancel->SetParent(&form);
    cancel->SetCaption("Cancel");
    cancel->ModalResult = mrCancel;
    cancel->Cancel = true;
    std::vector<String> log;
    ok->OnClick = [&](TObject*) { log.push_back("ok clicked, result " + IntToStr(form.ModalResult())); };
    EXPECT_EQ(ok->Widget()->text(), "OK");

    QTimer::singleShot(0, [&] { QTest::mouseClick(ok->Widget(), Qt::LeftButton); });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(log, (std::vector<String>{"ok clicked, result 1"})); // the result is set before OnClick
    QTimer::singleShot(0, [&] { QTest::keyClick(form.Host(), Qt::Key_Escape); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    QTimer::singleShot(0, [&] { QTest::keyClick(form.Host(), Qt::Key_Return); });
    EXPECT_EQ(form.ShowModal(), mrOk);
}

TEST(StdCtrls, LabelsEditsAndCheckBoxes)
{
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetCaption("&Name && title:");
    EXPECT_EQ(label->Widget()->text(), "Name & title:");
    label->SetShowAccelChar(false);
    EXPECT_EQ(label->Widget()->text(), "&Name && title:");

    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    edit->SetText("abc");
    EXPECT_EQ(changes, 1);
    edit->SetMaxLength(4);
    QTest::keyClick(edit->Host(), Qt::Key_End);
    QTest::keyClicks(edit->Host(), "xyz");
    EXPECT_EQ(edit->Text(), "abcx");
    EXPECT_EQ(edit->MaxLength(), 4);

    auto* box = new TCheckBox(&form);
    box->SetParent(&form);
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    box->SetChecked(true);
    EXPECT_TRUE(box->Checked());
    box->SetChecked(true); // no change, no click
    QTest::mouseClick(box->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, box->Widget()->height() / 2));
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(GetParentForm(box), &form);

    // a box in a colour of its own covers what lies below it with that colour, caption included
    auto* below = new TLabel(&form);
    below->SetParent(&form);
    below->SetBounds(0, 40, 120, 20);
    below->SetCaption("WWWWWWWWWWWWWWWWWWWW");
    box->SetBounds(0, 40, 120, 20);
    box->BringToFront();
    box->SetColor(clYellow);
    form.Show();
    const QImage shot = form.Host()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(100, 50), QColor(Qt::yellow));
}

TEST(StdCtrls, ComboBoxItemsReachTheWidget)
{
    TForm form(nullptr);
    auto* combo = new TComboBox(&form);
    combo->SetParent(&form);
    combo->SetStyle(csDropDownList);
    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(combo->DropDownCount(), 8);

    TObject marker;
    combo->Items()->Add("Alpha");
    combo->Items()->AddObject("Beta", &marker);
    combo->Items()->Insert(0, "First");
    EXPECT_EQ(combo->Widget()->count(), 3);
    EXPECT_EQ(combo->Widget()->itemText(0), "First");
    EXPECT_EQ(combo->Items()->Objects(2), &marker);
    EXPECT_EQ(combo->Items()->IndexOf("beta"), 2);
    EXPECT_EQ(combo->ItemIndex(), -1) << "adding items selects nothing";
    EXPECT_EQ(combo->Text(), "");

    combo->SetItemIndex(1);
    EXPECT_EQ(combo->Text(), "Alpha");
    combo->Items()->Put(1, "Changed");
    EXPECT_EQ(combo->Widget()->currentText(), "Changed");
    combo->SetText("BETA");
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(changes, 0) << "selecting in code is no user change";
    EXPECT_THROW(combo->Items()->Get(3), EStringListError);

    QTest::keyClick(combo->Widget(), Qt::Key_Up);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(changes, 1);

    combo->SetDropDownCount(3);
    EXPECT_EQ(combo->Widget()->maxVisibleItems(), 3);
    combo->SetDropDownCount(0);
    EXPECT_EQ(combo->DropDownCount(), 0);
    EXPECT_EQ(combo->Widget()->maxVisibleItems(), 1);

    combo->Items()->Delete(0);
    EXPECT_EQ(combo->Items()->Count(), 2);
    combo->Items()->Clear();
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "");
}

TEST(StdCtrls, EditableComboBoxKeepsTypedText)
{
    TForm form(nullptr);
    auto* combo = new TComboBox(&form);
    combo->SetParent(&form);
    EXPECT_EQ(combo->Style(), csDropDown);
    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };
    QTest::keyClicks(combo->Widget()->lineEdit(), "ab");
    EXPECT_EQ(changes, 2);
    combo->Items()->Add("x");
    EXPECT_EQ(combo->Text(), "ab");
    EXPECT_EQ(combo->ItemIndex(), -1);
    QTest::keyClick(combo->Widget()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(combo->Items()->Count(), 1) << "Enter adds no item";
    combo->Items()->Clear();
    EXPECT_EQ(combo->Text(), "");
}
