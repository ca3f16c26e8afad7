// The multi-column drop-down on a real (offscreen) edit: auto-completion while typing, Return
// and Esc, the item index rules, the keys of the closed edit and of the open list with its
// type-ahead, cancelling, and the list grid's rows and sizes.
#include "components/dropdown/PlusMultiColumnDropDown.h"
#include "platform/testing/quelm_test_support.h"

#include "platform/framework/Forms.h"
#include "platform/framework/ImgList.h"
#include "platform/win/WinWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using ColumnItem = PlusMultiColumnDropDown::TDropDownItem;

using quelmtest::WaitFor;

struct MultiFixture {
    TForm* form = New<TForm>(nullptr);
    TPlusMultiColumnDropDown* d = new TPlusMultiColumnDropDown(form);
    int selects = 0;
    explicit MultiFixture(std::initializer_list<const char*> names = {"Apple", "apricot", "Banana", "Brazil nut",
                                                                      "Cherry", "Zucchini"})
    {
        form->SetBounds(100, 100, 400, 300);
        d->SetParent(form);
        d->SetBounds(20, 20, 200, 21);
        d->Columns()->Add()->Header = "Name";
        d->Columns()->Add()->Header = "Kind";
        for (const char* n : names) {
            ColumnItem* it = d->Items()->Add();
            it->Text()->Add(n);
            it->Text()->Add(String("kind of ") + n);
        }
        d->UpdateLookupList();
        d->OnSelect = [this](TObject*) { ++selects; };
        form->Show();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
        d->SetFocus();
    }
    ~MultiFixture() { delete form; }
    String Selected() const { return d->EditText().substr(size_t(d->SelStart()), size_t(d->SelLength())); }
    void Open()
    {
        d->ShowDropDown();
        ASSERT_TRUE(WaitFor([&] { return d->IsDroppedDown() && d->DropDownForm()->Visible(); }));
    }
    void Keys(QWidget* w, const char* keys)
    {
        for (const char* k = keys; *k; ++k) {
            if (*k == '\b')
                QTest::keyClick(w, Qt::Key_Backspace);
            else
                QTest::keyClick(w, *k);
        }
    }
};

struct ColumnCompletionCase {
    const char* name;
    const char* keys; // '\b' is Backspace
    const char* text;
    const char* selected;
    int itemIndex;
};

class MultiColumnCompletion : public ::testing::TestWithParam<ColumnCompletionCase> {};

TEST_P(MultiColumnCompletion, TypingCompletesFromTheLookupColumn)
{
    const ColumnCompletionCase& c = GetParam();
    MultiFixture f;
    f.Keys(f.d->Host(), c.keys);
    EXPECT_EQ(f.d->EditText(), c.text);
    EXPECT_EQ(f.Selected(), c.selected);
    EXPECT_EQ(f.d->ItemIndex(), c.itemIndex);
    EXPECT_EQ(f.selects, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MultiColumnCompletion,
    ::testing::Values(ColumnCompletionCase{"TypedLetterKeptTailSelected", "a", "apple", "pple", 0},
                      ColumnCompletionCase{"WholeTextTakesTheItemsCaseOnRelease", "APPLE", "Apple", "", 0},
                      ColumnCompletionCase{"SecondMatchByLongerPrefix", "apr", "apricot", "icot", 1},
                      ColumnCompletionCase{"NoMatchKeepsTheTypedText", "apx", "apx", "", 0},
                      ColumnCompletionCase{"BackspaceSwitchesCompletionOff", "ap\b", "ap", "", 0},
                      ColumnCompletionCase{"TheNextLetterSwitchesItOn", "ap\bb", "apb", "", 0},
                      ColumnCompletionCase{"CompletionAgainAfterBackspace", "b\b\bz", "zucchini", "ucchini", 5}),
    [](const auto& info) { return String(info.param.name); });

TEST(MultiColumnDropDown, ItemIndexReturnEscAndTheLookupList)
{
    MultiFixture f;
    f.d->SetItemIndex(2);
    EXPECT_EQ(f.d->EditText(), "Banana");
    f.d->SetItemIndex(f.d->Items()->Count());
    EXPECT_EQ(f.d->ItemIndex(), 2) << "an index past the items changes nothing";
    f.d->SetItemIndex(-1);
    EXPECT_EQ(f.d->EditText(), "");

    f.d->SetTextDirect("APPLE");
    QTest::keyClick(f.d->Host(), Qt::Key_Return);
    EXPECT_EQ(f.d->ItemIndex(), 0);
    EXPECT_EQ(f.d->EditText(), "Apple");

    f.d->SetTextDirect("no such fruit");
    QTest::keyClick(f.d->Host(), Qt::Key_Escape);
    EXPECT_EQ(f.d->ItemIndex(), -1);
    EXPECT_EQ(f.d->EditText(), "");

    f.d->Items()->Clear();
    f.d->UpdateLookupList();
    EXPECT_EQ(f.d->LookupItems()->Count(), 6) << "the previous lookup texts stay";
    EXPECT_EQ(f.d->IndexOfLookupText("Apple"), -1);
}

TEST(MultiColumnDropDown, ClosedEditStepsWithPageAndArrowKeys)
{
    MultiFixture f({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"});
    struct Step {
        int from;
        Qt::Key key;
        int to;
    } steps[] = {{5, Qt::Key_PageDown, 11}, {5, Qt::Key_PageUp, 0}, {-1, Qt::Key_PageDown, 0},
                 {0, Qt::Key_Up, 0},        {11, Qt::Key_Down, 11}, {3, Qt::Key_Down, 4},
                 {3, Qt::Key_End, 3}};
    for (const Step& s : steps) {
        f.d->SetItemIndex(s.from);
        QTest::keyClick(f.d->Host(), s.key);
        EXPECT_EQ(f.d->ItemIndex(), s.to) << s.from << " key " << s.key;
    }
    f.d->SetEditorEnabled(false);
    f.d->SetItemIndex(3);
    QTest::keyClick(f.d->Host(), Qt::Key_End);
    EXPECT_EQ(f.d->ItemIndex(), 11) << "End goes to the last row when the editor is off";
}

TEST(MultiColumnDropDown, OpenListTypeAheadJumpsAndKeysTakeRowsLive)
{
    MultiFixture f;
    f.d->SetItemIndex(0);
    f.Open();
    TPlusMultiColumnDropDown::TPlusColGrid* list = f.d->ListGrid();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->RowCount(), 7);
    EXPECT_EQ(list->ColCount(), 2);
    EXPECT_EQ(list->Row(), 1);
    list->SetFocus();
    QTest::keyClick(list->Host(), 'b');
    QTest::keyClick(list->Host(), 'r');
    EXPECT_EQ(f.d->ItemIndex(), 3);
    EXPECT_EQ(list->Row(), 4);
    EXPECT_EQ(f.d->EditText(), "Brazil nut");
    EXPECT_EQ(f.Selected(), "azil nut");
    QTest::keyClick(list->Host(), 'z');
    EXPECT_EQ(f.d->LookupEntry(), "z") << "no 'brz': the search starts again with the letter";
    EXPECT_EQ(f.d->ItemIndex(), 5);
    QTest::keyClick(list->Host(), '!');
    EXPECT_EQ(f.d->LookupEntry(), "") << "'!' does not search";
    EXPECT_EQ(f.d->ItemIndex(), 5);

    QTest::keyClick(list->Host(), Qt::Key_Up);
    EXPECT_EQ(f.d->ItemIndex(), 4);
    EXPECT_EQ(f.d->EditText(), "Cherry");
    f.d->HideDropDown(true);
    EXPECT_EQ(f.d->ItemIndex(), 0) << "cancelling restores the row of opening time";
    EXPECT_EQ(f.d->EditText(), "Apple");

    QTest::qWait(300);
    f.Open();
    list->SetFocus();
    QTest::keyClick(list->Host(), Qt::Key_Down);
    QTest::keyClick(list->Host(), Qt::Key_Return);
    EXPECT_FALSE(f.d->IsDroppedDown());
    EXPECT_EQ(f.d->ItemIndex(), 1);
    EXPECT_EQ(f.selects, 1);
}

TEST(MultiColumnDropDown, WheelScrollingLeavesTheChoiceAlone)
{
    MultiFixture f;
    f.d->SetItemIndex(1);
    f.Open();
    auto* list = f.d->ListGrid();
    const QPoint at(10, 40);
    QWheelEvent wheel(at, list->Host()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(list->Host(), &wheel);
    EXPECT_EQ(f.d->EditText(), "apricot");
    f.d->HideDropDown(false);
    EXPECT_EQ(f.d->ItemIndex(), 1);
}

TEST(MultiColumnDropDown, ListGridRowsAndSizes)
{
    MultiFixture f({"one", "two", "three"});
    f.d->Columns()->Items(1)->Wordwrap = true;
    f.Open();
    auto* list = f.d->ListGrid();
    EXPECT_EQ(list->RowCount(), 4);
    EXPECT_EQ(list->FixedRows(), 1);
    for (int r = 1; r < 4; ++r)
        EXPECT_GE(list->RowHeights(r), 24) << "a word-wrapped column never gives a lower row";
    f.d->HideDropDown(false);

    MultiFixture empty({});
    empty.Open();
    EXPECT_EQ(empty.d->ListGrid()->RowCount(), 1);
    EXPECT_EQ(empty.d->ListGrid()->FixedRows(), 0);
}

TEST(MultiColumnDropDown, AutoSizedImageColumnTakesImageAndTextWidth)
{
    MultiFixture f({"x", "a much longer text"});
    auto* images = new TImageList(16, 16, f.form);
    f.d->SetImages(images);
    auto* column = f.d->Columns()->Items(0);
    column->AutoSize = true;
    column->ColumnType = PlusMultiColumnDropDown::ctImage;
    f.d->Items()->Items(1)->ImageIndex = 0;
    f.d->ColumnSizeWithDropDown = false;
    f.Open();
    TBitmap measure;
    measure.SetSize(1, 1);
    TCanvas* c = measure.Canvas();
    c->Font->Assign(column->Font());
    RECT rc{0, 0, 1000, 500};
    c->RequiredState();
    DrawText(c->Handle(), "a much longer text", -1, &rc, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(f.d->ListGrid()->ColWidths(0), 16 + 4 + int(rc.right - rc.left) + 6);
}

TEST(MultiColumnDropDown, ColumnsFollowThePopupWidthInProportion)
{
    EXPECT_EQ(PlusMultiColumnDropDown::ColumnWidthsToFill({100, 100}, 201), (std::vector<int>{100, 100}));
    const std::vector<int> w = PlusMultiColumnDropDown::ColumnWidthsToFill({50, 100, 50}, 400);
    EXPECT_NEAR(w[0] + w[1] + w[2], 398, 1) << "widths in proportion, rounding carried on";
    EXPECT_NEAR(w[1], 2 * w[0], 2);
}

TEST(MultiColumnDropDown, AssignCopiesTheListSettings)
{
    MultiFixture f;
    auto* other = new TPlusMultiColumnDropDown(f.form);
    f.d->HeaderFont()->Color = 0x123456;
    f.d->LookupColumn = 1;
    f.d->SetItemIndex(2);
    other->Assign(f.d);
    EXPECT_EQ(other->HeaderFont()->Color, TColor(0x123456));
    EXPECT_EQ(other->Items()->Count(), 6);
    EXPECT_EQ(other->ItemIndex(), 2);
    EXPECT_EQ(other->EditText(), "") << "the index is copied without setting the text";
    EXPECT_EQ(other->LineColor, TColor(0xF1EDEB));
}

TEST(MultiColumnDropDown, ColourStylesSetTheListLook)
{
    MultiFixture f;
    EXPECT_EQ(f.d->HeaderFont()->Color, TColor(0x723708)) << "the header font keeps the colour of style 4";
    f.d->ApplyColorStyle(0);
    EXPECT_EQ(f.d->HeaderColor, TColor(0xD68759));
    EXPECT_EQ(f.d->LineColor, TColor(0x962D00));
    f.d->ApplyColorStyle(12);
    EXPECT_EQ(f.d->LineColor, TColor(0x808080));
    EXPECT_EQ(f.d->SelectionTextColor, clHighlightText);
    f.d->ApplyColorStyle(14);
    EXPECT_EQ(f.d->HeaderColor, TColor(0xEDE9E5));
    EXPECT_EQ(f.d->HeaderColorTo, clNone);
}

} // namespace
