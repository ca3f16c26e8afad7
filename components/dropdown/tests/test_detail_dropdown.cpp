// The detail drop-down on a real (offscreen) edit: completion while typing, Return and Esc,
// the item index rules, the list keys while open and closed, and the type-ahead.
#include "components/dropdown/PlusDetailDropDown.h"
#include "platform/testing/quelm_test_support.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using quelmtest::WaitFor;

struct DetailFixture {
    TForm* form = New<TForm>(nullptr);
    TPlusDetailDropDown* d = new TPlusDetailDropDown(form);
    int selects = 0, changes = 0;
    DetailFixture()
    {
        form->SetBounds(100, 100, 400, 300);
        d->SetParent(form);
        d->SetBounds(20, 20, 200, 21);
        for (const char* c : {"Apple", "Apricot", "Banana", "Cherry", "Damson", "Elder"}) {
            TDetailItem* it = d->Items()->Add();
            it->SetCaption(c);
            it->Notes = String("<i>") + c + " notes</i>";
        }
        d->OnSelect = [this](TObject*) { ++selects; };
        d->OnChange = [this](TObject*) { ++changes; };
        form->Show();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
        d->SetFocus();
    }
    ~DetailFixture() { delete form; }
    String Selected() const { return d->EditText().substr(size_t(d->SelStart()), size_t(d->SelLength())); }
    void Open()
    {
        d->ShowDropDown();
        EXPECT_TRUE(WaitFor([&] { return d->IsDroppedDown() && d->DropDownForm()->Visible(); }));
    }
};

struct DetailCompletionCase {
    const char* name;
    const char* keys; // '\b' is Backspace
    const char* text;
    const char* selected;
    int itemIndex;
};

class DetailCompletion : public ::testing::TestWithParam<DetailCompletionCase> {};

TEST_P(DetailCompletion, TypingCompletesFromTheCaptions)
{
    const DetailCompletionCase& c = GetParam();
    DetailFixture f;
    for (const char* k = c.keys; *k; ++k) {
        if (*k == '\b')
            QTest::keyClick(f.d->Host(), Qt::Key_Backspace);
        else
            QTest::keyClick(f.d->Host(), *k);
    }
    EXPECT_EQ(f.d->EditText(), c.text);
    EXPECT_EQ(f.Selected(), c.selected);
    EXPECT_EQ(f.d->ItemIndex(), c.itemIndex);
    EXPECT_EQ(f.selects, 0) << "completion fires no OnSelect";
}

INSTANTIATE_TEST_SUITE_P(
    Table, DetailCompletion,
    ::testing::Values(DetailCompletionCase{"PrefixCompletes", "ap", "apple", "ple", 0},
                      DetailCompletionCase{"TheUsersCaseIsKept", "apr", "apricot", "icot", 1},
                      DetailCompletionCase{"BackspaceSwitchesCompletionOff", "ap\b", "ap", "", 0},
                      DetailCompletionCase{"TheNextLetterSwitchesItOn", "ap\b\bp", "apple", "ple", 0},
                      DetailCompletionCase{"NoCaptionKeepsTheTypedText", "bx", "bx", "", 2}),
    [](const auto& info) { return String(info.param.name); });

TEST(DetailDropDown, WhatFollowsTheCaretIsDroppedWhenNothingMatches)
{
    DetailFixture f;
    f.d->SetTextDirect("xyz");
    f.d->SetSelStart(1);
    f.d->SetSelLength(0);
    QTest::keyClick(f.d->Host(), 'q');
    EXPECT_EQ(f.d->EditText(), "xq");
}

TEST(DetailDropDown, ReturnTakesOnlyAnExactCaption)
{
    DetailFixture f;
    f.d->SetTextDirect("banana");
    QTest::keyClick(f.d->Host(), Qt::Key_Return);
    EXPECT_EQ(f.d->ItemIndex(), -1);
    EXPECT_EQ(f.selects, 0);
    f.d->SetTextDirect("Banana");
    f.changes = 0;
    QTest::keyClick(f.d->Host(), Qt::Key_Return);
    EXPECT_EQ(f.d->ItemIndex(), 2);
    EXPECT_EQ(f.selects, 1);
    EXPECT_GE(f.changes, 1);
}

TEST(DetailDropDown, ItemIndexRules)
{
    DetailFixture f;
    f.d->SetItemIndex(3);
    EXPECT_EQ(f.d->EditText(), "Cherry");
    EXPECT_EQ(f.Selected(), "Cherry");
    EXPECT_EQ(f.selects, 1);
    f.d->SetItemIndex(3);
    EXPECT_EQ(f.selects, 1) << "the same index fires nothing";
    f.d->SetItemIndex(9);
    f.d->SetItemIndex(-2);
    EXPECT_EQ(f.d->ItemIndex(), 3);
    f.d->SetItemIndex(-1);
    EXPECT_EQ(f.d->EditText(), "");
    EXPECT_EQ(f.d->ItemIndex(), -1);
    EXPECT_EQ(f.selects, 1);
}

TEST(DetailDropDown, ListKeysTakeEachItemAndEscRestores)
{
    DetailFixture f;
    // closed: Up and Down step the own list
    QTest::keyClick(f.d->Host(), Qt::Key_Down);
    EXPECT_EQ(f.d->ItemIndex(), 0);
    QTest::keyClick(f.d->Host(), Qt::Key_Down);
    EXPECT_EQ(f.d->ItemIndex(), 1);
    f.Open();
    TPlusCustomItemSelector* list = f.d->ItemSelector();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Items()->Count(), 6);
    EXPECT_EQ(list->ItemIndex(), 1);
    f.d->SetSelStart(2);
    QTest::keyClick(f.d->Host(), Qt::Key_Down);
    EXPECT_EQ(f.d->ItemIndex(), 2);
    EXPECT_EQ(f.d->EditText(), "Banana");
    EXPECT_TRUE(f.d->IsDroppedDown());
    QTest::keyClick(f.d->Host(), Qt::Key_PageDown);
    EXPECT_EQ(f.d->ItemIndex(), 5) << "a page of visible items, held at the last";
    QTest::keyClick(f.d->Host(), Qt::Key_PageUp);
    EXPECT_EQ(f.d->ItemIndex(), 1);
    QTest::keyClick(f.d->Host(), Qt::Key_End);
    EXPECT_EQ(f.d->ItemIndex(), 5);
    QTest::keyClick(f.d->Host(), Qt::Key_Escape);
    EXPECT_FALSE(f.d->IsDroppedDown());
    EXPECT_EQ(f.d->ItemIndex(), 1) << "the item chosen at opening comes back";

    // a click on an item takes it and closes
    QTest::qWait(300);
    f.Open();
    const TRect r = list->Items()->Items(4)->ItemRect;
    QTest::mouseClick(list->Panel()->Host(), Qt::LeftButton, {}, QPoint(r.Left + 5, r.Top + 5));
    EXPECT_FALSE(f.d->IsDroppedDown());
    EXPECT_EQ(f.d->ItemIndex(), 4);
    EXPECT_EQ(f.d->EditText(), "Damson");
}

TEST(DetailDropDown, CancelWithNoItemChosenAtOpeningKeepsTheSteppedOne)
{
    DetailFixture f;
    f.Open();
    QTest::keyClick(f.d->Host(), Qt::Key_Down);
    QTest::keyClick(f.d->Host(), Qt::Key_Down);
    EXPECT_EQ(f.d->ItemIndex(), 1);
    QTest::keyClick(f.d->Host(), Qt::Key_Escape);
    EXPECT_EQ(f.d->ItemIndex(), 1);
}

TEST(DetailDropDown, TypeAheadBuildsTheSearchForHalfASecond)
{
    DetailFixture f;
    f.Open(); // loads the list
    f.d->HideDropDown(false);
    f.d->Perform(WM_KEYDOWN, 'D', 0);
    f.d->Perform(WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(f.d->SearchText(), "DA");
    EXPECT_EQ(f.d->ItemIndex(), 4);
    EXPECT_EQ(f.selects, 1);
    EXPECT_EQ(f.Selected(), "Damson") << "the caption fully selected";
    EXPECT_TRUE(WaitFor([&] { return f.d->SearchText().empty(); }, 1000));
    f.d->Perform(WM_KEYDOWN, 'E', 0);
    EXPECT_EQ(f.d->SearchText(), "E");
    EXPECT_EQ(f.d->ItemIndex(), 5);
}

} // namespace
