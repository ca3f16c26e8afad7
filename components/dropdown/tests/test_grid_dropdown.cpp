// The grid drop-down on a real (offscreen) edit with its string-grid list: narrowing and lookup
// while typing, the item-row link through sorting, rows hidden by a filter never chosen, grid
// mode, the list's keys and mouse rules, and the styles.
#include "components/dropdown/PlusCustomGridDropDown.h"
#include "platform/testing/quelm_test_support.h"

#include "platform/framework/Forms.h"
#include "platform/framework/ImgList.h"
#include "platform/win/WinWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using GridItem = PlusCustomGridDropDown::TDropDownItem;

using quelmtest::WaitFor;

const char* const kCities[][2] = {{"Berlin", "DE"}, {"Arles", "FR"},    {"Bremen", "DE"}, {"Paris", "FR"},
                                  {"Carthage", "TN"}, {"Zagreb", "HR"}, {"Brno", "CZ"}};

struct GridFixture {
    TForm* form = New<TForm>(nullptr);
    TPlusGridDropDown* d = new TPlusGridDropDown(form);
    int selects = 0;
    GridFixture()
    {
        form->SetBounds(100, 100, 400, 300);
        d->SetParent(form);
        d->SetBounds(20, 20, 200, 21);
        d->Columns()->Add()->Header = "City";
        d->Columns()->Add()->Header = "Country";
        for (const auto& c : kCities) {
            GridItem* it = d->Items()->Add();
            it->Text()->Add(c[0]);
            it->Text()->Add(c[1]);
        }
        d->UpdateLookupList();
        d->OnSelect = [this](TObject*) { ++selects; };
        form->Show();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
        d->SetFocus();
    }
    ~GridFixture() { delete form; }
    TPlusGridDropDown::TPlusColGrid* List() const { return d->GetGrid(); }
    String Selected() const { return d->EditText().substr(size_t(d->SelStart()), size_t(d->SelLength())); }
    void Open()
    {
        d->ShowDropDown();
        ASSERT_TRUE(WaitFor([&] { return d->IsDroppedDown() && d->DropDownForm()->Visible(); }));
        ASSERT_TRUE(WaitFor([&] { return List()->Focused(); }));
    }
    void TypeInList(const char* keys)
    {
        for (const char* k = keys; *k; ++k) {
            if (*k == '\b')
                QTest::keyClick(List()->Host(), Qt::Key_Backspace);
            else
                QTest::keyClick(List()->Host(), *k);
        }
    }
    // The lookup texts of the list's data rows, top to bottom.
    std::vector<String> Shown() const
    {
        std::vector<String> out;
        for (int r = List()->FixedRows(); r < List()->RowCount(); ++r)
            out.push_back(List()->Cells(0, r));
        return out;
    }
};

struct NarrowCase {
    const char* name;
    const char* keys;
    std::vector<String> shown;
    const char* text;
    const char* selected;
    int itemIndex;
};

class GridDropDownNarrowing : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(GridDropDownNarrowing, TypingInTheOpenListNarrowsTheRows)
{
    const NarrowCase& c = GetParam();
    GridFixture f;
    f.d->LookupMethod = lmNarrowDown;
    f.Open();
    f.TypeInList(c.keys);
    EXPECT_EQ(f.Shown(), c.shown);
    EXPECT_EQ(f.d->EditText(), c.text);
    EXPECT_EQ(f.Selected(), c.selected);
    EXPECT_EQ(f.d->ItemIndex(), c.itemIndex);
    if (!c.shown.empty())
        EXPECT_EQ(f.List()->Row(), f.List()->FixedRows()) << "the first remaining row is current";
}

INSTANTIATE_TEST_SUITE_P(
    Table, GridDropDownNarrowing,
    ::testing::Values(
        NarrowCase{"ContainsIgnoringCase", "ar", {"Arles", "Paris", "Carthage"}, "Arles", "les", 1},
        NarrowCase{"OneMoreLetter", "arl", {"Arles"}, "Arles", "es", 1},
        NarrowCase{"FirstLetter", "b", {"Berlin", "Bremen", "Zagreb", "Brno"}, "Berlin", "erlin", 0},
        NarrowCase{"NothingLeft", "arx", {}, "Arles", "les", 1},
        NarrowCase{"BackspaceKeepsTheRowsUntilTheNextLetter", "ar\b", {"Arles", "Paris", "Carthage"}, "Ar", "", 1},
        NarrowCase{"BlankEntryShowsAllRowsAgain", " ", {"Berlin", "Arles", "Bremen", "Paris", "Carthage", "Zagreb", "Brno"},
                   "Berlin", "", 0}),
    [](const auto& info) { return String(info.param.name); });

TEST(GridDropDown, LookupJumpsAndTheEntryRuleFollowsTheStyle)
{
    GridFixture f;
    f.Open();
    f.TypeInList("br");
    EXPECT_EQ(f.d->ItemIndex(), 2) << "the first item starting with 'br'";
    EXPECT_EQ(f.List()->Cells(0, f.List()->Row()), "Bremen");
    EXPECT_EQ(f.d->EditText(), "Bremen");
    EXPECT_EQ(f.Selected(), "emen");
    f.d->HideDropDown(true);
    ASSERT_TRUE(WaitFor([&] { return f.d->Focused(); }));
    for (char c : {'b', 'r', 'z'})
        QTest::keyClick(f.d->Host(), c);
    EXPECT_EQ(f.d->EditText(), "Brz") << "the found lookup text was shown for 'b' and 'br'";
    EXPECT_EQ(f.d->LookupEntry(), "brz") << "with dsDropDown a miss keeps the typed entry";

    GridFixture g;
    g.d->SetStyle(dsDropDownList);
    EXPECT_FALSE(g.d->EditorEnabled());
    g.Open();
    g.TypeInList("q");
    EXPECT_EQ(g.d->LookupEntry(), "") << "with dsDropDownList a miss clears the entry";
    g.TypeInList("bz");
    EXPECT_EQ(g.d->LookupEntry(), "z") << "a miss searches again with the letter alone";
    EXPECT_EQ(g.d->ItemIndex(), 5);
}

TEST(GridDropDown, SortingKeepsEachItemWithItsRow)
{
    GridFixture f;
    f.d->Sorting = gsSingleColumn;
    f.d->SetItemIndex(3); // Paris
    f.Open();
    auto* list = f.List();
    EXPECT_EQ(list->Cells(0, list->Row()), "Paris");
    list->SortByHeaderClick(0, false);
    ASSERT_NE(f.Shown().front(), "Berlin") << "the list is sorted";
    for (int c = 0; c < 2; ++c)
        EXPECT_EQ(list->GetCellObject(c, 0), reinterpret_cast<TObject*>(intptr_t(-1))) << "header cells carry -1";
    for (int r = 1; r < list->RowCount(); ++r) {
        const int item = f.d->ItemOfRow(r);
        ASSERT_GE(item, 0);
        EXPECT_EQ(list->Cells(0, r), kCities[item][0]) << "row " << r;
        EXPECT_EQ(f.d->RowOfItem(item), r);
    }
    EXPECT_EQ(list->Cells(0, list->Row()), "Paris") << "the chosen item's row stays current";
    EXPECT_EQ(f.d->ItemIndex(), 3);

    // a jump and a pick land on the sorted row of the item
    f.TypeInList("c");
    EXPECT_EQ(list->Cells(0, list->Row()), "Carthage");
    QTest::keyClick(list->Host(), Qt::Key_Down);
    const String below = list->Cells(0, list->Row());
    QTest::keyClick(list->Host(), Qt::Key_Return);
    EXPECT_FALSE(f.d->IsDroppedDown());
    EXPECT_EQ(f.d->EditText(), below);
    EXPECT_EQ(kCities[f.d->ItemIndex()][0], below);
    EXPECT_EQ(f.selects, 1);
}

TEST(GridDropDown, RowsTheFilterHidesAreNeverChosen)
{
    GridFixture f;
    f.d->LookupMethod = lmNarrowDown;
    f.Open();
    f.TypeInList("ar"); // Arles, Paris, Carthage remain
    f.d->LookupMethod = lmLookup;
    f.TypeInList("\bb");
    EXPECT_EQ(f.d->ItemIndex(), 1) << "Berlin, Bremen and Brno are hidden: no jump";
    EXPECT_EQ(f.Shown(), (std::vector<String>{"Arles", "Paris", "Carthage"}));

    EXPECT_EQ(f.List()->Cells(0, f.List()->Row()), "Arles");

    // the edit's auto-completion skips the hidden rows too
    GridFixture g;
    g.Open(); // fills the list
    g.d->HideDropDown(false);
    ASSERT_TRUE(WaitFor([&] { return g.d->Focused(); }));
    g.List()->NarrowDownRows("ar", 0);
    QTest::keyClick(g.d->Host(), 'b');
    EXPECT_EQ(g.d->ItemIndex(), -1) << "Berlin, Bremen and Brno are hidden";
    EXPECT_EQ(g.d->EditText(), "b");
    g.d->SetTextDirect("");
    QTest::keyClick(g.d->Host(), 'c');
    EXPECT_EQ(g.d->ItemIndex(), 4);
    EXPECT_EQ(g.d->EditText(), "carthage");
}

TEST(GridDropDown, GridModeReadsTheListCells)
{
    GridFixture f;
    f.d->UseItems = false;
    f.d->Items()->Clear();
    auto* list = f.List();
    list->SetColCount(2);
    list->SetRowCount(5);
    const char* rows[] = {"Oslo", "Lima", "Lisbon", "Quito"};
    for (int r = 0; r < 4; ++r)
        list->SetCells(0, r + 1, rows[r]);
    f.d->SetItemIndex(0);
    EXPECT_EQ(f.d->EditText(), "Oslo");
    f.d->SetItemIndex(4);
    EXPECT_EQ(f.d->ItemIndex(), 0) << "past the rows: ignored";
    f.Open();
    f.TypeInList("lis");
    EXPECT_EQ(f.d->ItemIndex(), 2) << "list row 3 with one fixed row";
    EXPECT_EQ(list->Row(), 3);
    QTest::keyClick(list->Host(), Qt::Key_Return);
    EXPECT_EQ(f.d->ItemIndex(), 2);
    EXPECT_EQ(f.d->EditText(), "Lisbon");
    EXPECT_EQ(f.d->ItemCount(), 4);
}

TEST(GridDropDown, ListKeysAndMouseRules)
{
    GridFixture f;
    f.d->SetItemIndex(0);
    f.Open();
    auto* list = f.List();
    int gridKeys = 0;
    f.d->OnGridKeyDown = [&](TObject* Sender, WORD&, TShiftState) {
        EXPECT_EQ(Sender, f.d);
        ++gridKeys;
    };
    QTest::keyClick(list->Host(), Qt::Key_Down);
    EXPECT_EQ(f.d->ItemIndex(), 1) << "keys in the list take the row at once";
    EXPECT_EQ(gridKeys, 1);
    QTest::keyClick(list->Host(), Qt::Key_Tab);
    EXPECT_TRUE(f.d->IsDroppedDown()) << "Tab does nothing in the list";

    // the right button released over a row does not pick it
    const TRect r = list->CellRect(0, 3);
    QTest::mouseClick(list->Host(), Qt::RightButton, {}, QPoint(r.Left + 5, r.Top + 5));
    EXPECT_TRUE(f.d->IsDroppedDown());
    EXPECT_EQ(f.selects, 0);
    QTest::mouseClick(list->Host(), Qt::LeftButton, {}, QPoint(r.Left + 5, r.Top + 5));
    EXPECT_FALSE(f.d->IsDroppedDown());
    EXPECT_EQ(f.d->ItemIndex(), 2);
    EXPECT_EQ(f.selects, 1);

    // cancelling restores the row of opening time
    QTest::qWait(300);
    f.Open();
    QTest::keyClick(list->Host(), Qt::Key_Down);
    QTest::keyClick(list->Host(), Qt::Key_Escape);
    EXPECT_FALSE(f.d->IsDroppedDown());
    EXPECT_EQ(f.d->ItemIndex(), 2);
    EXPECT_EQ(f.d->EditText(), "Bremen");
}

TEST(GridDropDown, ReturnInTheEditRightAfterOpeningKeepsTheShownRow)
{
    GridFixture f;
    f.d->SetItemIndex(4);
    f.Open();
    f.d->Perform(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(f.d->IsDroppedDown());
    EXPECT_EQ(f.d->ItemIndex(), 4);
    EXPECT_EQ(f.d->EditText(), "Carthage");
}

TEST(GridDropDown, ClosedEditHomeEndOnlyForTheDropDownList)
{
    GridFixture f;
    f.d->SetItemIndex(3);
    QTest::keyClick(f.d->Host(), Qt::Key_End);
    EXPECT_EQ(f.d->ItemIndex(), 3);
    f.d->SetStyle(dsDropDownList);
    QTest::keyClick(f.d->Host(), Qt::Key_End);
    EXPECT_EQ(f.d->ItemIndex(), 6);
    QTest::keyClick(f.d->Host(), Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(f.d->ItemIndex(), 6) << "not with Shift held";
    QTest::keyClick(f.d->Host(), Qt::Key_Home);
    EXPECT_EQ(f.d->ItemIndex(), 0);
}

TEST(GridDropDown, VersionStylesAndLineWidth)
{
    EXPECT_EQ(TCustomPlusGridDropDown::GetVersionNr(), 0x02030001u);
    GridFixture f;
    f.d->ApplyColorStyle(10);
    EXPECT_EQ(f.d->HeaderColor, TColor(0xFFFDF9));
    EXPECT_EQ(f.d->LineColor, TColor(0xFCF2DA));
    const TColor before = f.d->HeaderColor;
    f.d->ApplyColorStyle(14);
    EXPECT_EQ(f.d->HeaderColor, before) << "styles 13 to 15 add no list colours";
    auto* list = f.List();
    list->SetGridLineWidth(2);
    EXPECT_EQ(list->GridLineWidth(), 2);
    EXPECT_EQ(list->TPlusStringGrid::GridLineWidth(), 0) << "the grid's own lines are gone";
}

TEST(GridDropDown, RemovedGridImagesAreClearedInTheDropDownAndTheList)
{
    GridFixture f;
    auto* images = new TImageList(16, 16, f.form);
    f.d->SetGridImages(images);
    f.Open();
    EXPECT_EQ(f.List()->GridImages, images);
    f.d->HideDropDown(false);
    delete images;
    EXPECT_EQ(f.d->GridImages(), nullptr);
    EXPECT_EQ(f.List()->GridImages, nullptr);
}

TEST(GridDropDown, ListKeepsExtraColumnsWhenLoaded)
{
    GridFixture f;
    f.d->UseItems = false;
    f.List()->SetColCount(4);
    f.Open();
    EXPECT_EQ(f.List()->ColCount(), 4);
    EXPECT_EQ(f.d->Columns()->Count(), 4) << "grid mode adds columns up to the list's";
}

} // namespace
