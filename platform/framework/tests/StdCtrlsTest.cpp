#include "Forms.h"
#include "StdCtrls.h"

#include <QCheckBox>
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
    QTest::keyClicks(edit->Widget(), "xyz");
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
}
