#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using V = std::vector<String>;

struct FilterFixture {
    // A header row, then one row per name: column 0 the row's number, column 1 the name,
    // column 2 a price.
    FilterFixture()
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        const V names = {"apple", "banana", "cherry", "avocado", "blueberry", "apricot"};
        grid->SetColCount(3);
        grid->SetRowCount(int(names.size()) + 1);
        grid->SetFixedRows(1);
        grid->SetCells(1, 0, "fruit");
        for (size_t i = 0; i < names.size(); ++i) {
            grid->SetCells(0, int(i) + 1, IntToStr(int(i) + 1));
            grid->SetCells(1, int(i) + 1, names[i]);
            grid->SetCells(2, int(i) + 1, IntToStr(int(i + 1) * 10));
        }
        grid->SetColors(1, 3, clRed); // a cell record on "cherry"
    }
    V Shown()
    {
        V out;
        for (int r = grid->FixedRows(); r < grid->RowCount(); ++r)
            out.push_back(grid->Cells(1, r));
        return out;
    }
    TForm form{nullptr};
    TPlusStringGrid* grid;
};

TEST(Filter, ConditionsHideRowsAndRemovingThemBringsBackExactlyThose)
{
    const V all = {"apple", "banana", "cherry", "avocado", "blueberry", "apricot"};
    const struct {
        const char* name;
        std::vector<std::tuple<int, const char*, TFilterOperation>> items;
        V shown;
    } cases[] = {
        {"empty filter", {}, all},
        {"wildcard", {{1, "a*", foSHORT}}, {"apple", "avocado", "apricot"}},
        {"two short items", {{1, "a*", foSHORT}, {2, ">30", foSHORT}}, {"avocado", "apricot"}},
        {"or", {{1, "b*", foNONE}, {1, "c*", foOR}}, {"banana", "cherry", "blueberry"}},
        {"xor first inverts", {{1, "a*", foXOR}}, {"banana", "cherry", "blueberry"}},
        {"nothing matches", {{1, "zzz", foSHORT}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FilterFixture f;
        f.grid->FixedRowAlways = true; // the header stays fixed when every row is hidden
        for (const auto& [col, cond, op] : c.items) {
            TFilterData* d = f.grid->Filter()->Add();
            d->Column = int16_t(col);
            d->Condition = cond;
            d->Operation = op;
        }
        f.grid->SetFilterActive(true);
        EXPECT_EQ(f.Shown(), c.shown);
        EXPECT_EQ(f.grid->Cells(1, 0), "fruit"); // the fixed row stays
        f.grid->SetFilterActive(false);
        EXPECT_EQ(f.Shown(), all);
        EXPECT_EQ(f.grid->Cells(0, 3), "3");
        EXPECT_EQ(f.grid->GetColors(1, 3), clRed); // the record came back with its row
        EXPECT_EQ(f.grid->FixedRows(), 1);
        EXPECT_EQ(f.grid->HiddenRowCount(), 0);
    }
}

TEST(Filter, StackedLevelsKeepLongTextsAndRecordsOfTheirRows)
{
    // hidden rows of two levels, one of them read while hidden; each level comes back whole,
    // and a grid that goes while rows are hidden frees their records
    const String longText = "a text longer than fifteen bytes";
    for (const bool removeLevels : {true, false}) {
        SCOPED_TRACE(removeLevels ? "levels removed" : "grid freed while filtered");
        FilterFixture f;
        f.grid->SetCells(2, 3, longText);
        f.grid->SetColors(2, 5, clBlue); // "blueberry"
        TFilterData* d = f.grid->Filter()->Add();
        d->Column = 1;
        d->Condition = "a*";
        d->Operation = foNONE;
        TFilterData* e = f.grid->Filter()->Add();
        e->Column = 1;
        e->Condition = "b*";
        e->Operation = foOR;
        f.grid->ApplyFilterLevel(); // cherry goes
        f.grid->Filter()->Clear();
        d = f.grid->Filter()->Add();
        d->Column = 1;
        d->Condition = "a*";
        f.grid->ApplyFilterLevel(); // banana and blueberry go
        EXPECT_EQ(f.Shown(), (V{"apple", "avocado", "apricot"}));
        ASSERT_EQ(f.grid->HiddenRowCount(), 3);
        const TGridItem* cherry = f.grid->HiddenRowItem(1);
        ASSERT_NE(cherry, nullptr);
        EXPECT_EQ(cherry->Items->Strings(1), "cherry");
        EXPECT_EQ(cherry->Items->Strings(2), longText);
        EXPECT_NE(dynamic_cast<TCellProperties*>(cherry->Items->Objects(1)), nullptr);
        if (!removeLevels)
            continue;
        f.grid->RemoveFilterLevel();
        EXPECT_EQ(f.Shown(), (V{"apple", "banana", "avocado", "blueberry", "apricot"}));
        EXPECT_EQ(f.grid->GetColors(2, 4), clBlue);
        f.grid->RemoveFilterLevel();
        EXPECT_EQ(f.Shown(), (V{"apple", "banana", "cherry", "avocado", "blueberry", "apricot"}));
        EXPECT_EQ(f.grid->Cells(2, 3), longText);
        EXPECT_EQ(f.grid->GetColors(1, 3), clRed);
        EXPECT_EQ(f.grid->GetColors(2, 5), clBlue);
        EXPECT_EQ(f.grid->Cells(2, 6), "60");
    }
}

TEST(Filter, CustomFilterAndWholeRowText)
{
    FilterFixture f;
    TFilterData* d = f.grid->Filter()->Add();
    d->Data = fcRow;
    d->Condition = "RR"; // case-blind substring of the whole row
    f.grid->OnCustomFilter = [](TObject*, int, bool&) {};
    f.grid->SetFilterActive(true);
    EXPECT_EQ(f.Shown(), (V{"cherry", "blueberry"}));
    f.grid->SetFilterActive(false);
    f.grid->OnCustomFilter = [&](TObject*, int row, bool& accept) { accept = row % 2 == 0; };
    f.grid->SetFilterActive(true);
    EXPECT_EQ(f.Shown(), (V{"banana", "avocado", "apricot"}));
}

TEST(Filter, NarrowDownStacksOneLevelPerCharacter)
{
    FilterFixture f;
    f.grid->NarrowDownRows("a", 1);
    f.grid->NarrowDownRows("ap", 1);
    EXPECT_EQ(f.grid->HideLevel, 2);
    EXPECT_EQ(f.Shown(), (V{"apple", "apricot"}));
    f.grid->NarrowDownRows("apr", 1);
    EXPECT_EQ(f.Shown(), (V{"apricot"}));
    f.grid->NarrowDownRows("ap", 1); // one character less: one level off
    EXPECT_EQ(f.grid->HideLevel, 2);
    EXPECT_EQ(f.Shown(), (V{"apple", "apricot"}));
    f.grid->NarrowDownRows("err", 1); // another text starts over
    EXPECT_EQ(f.grid->HideLevel, 1);
    EXPECT_EQ(f.Shown(), (V{"cherry", "blueberry"}));
    f.grid->NarrowDownRows("", 1);
    EXPECT_EQ(f.grid->HideLevel, 0);
    EXPECT_EQ(f.Shown().size(), 6u);
}

TEST(Filter, DropDownPickFiltersAndAllRemovesTheCondition)
{
    FilterFixture f;
    f.grid->SetFilterDropDownAuto(true);
    f.grid->SetCells(1, 2, "big banana");
    ASSERT_TRUE(f.grid->BuildColumnFilterList(1));
    TStringList& list = *f.grid->FilterValues();
    ASSERT_GE(list.Count(), 2);
    EXPECT_EQ(list.Strings(0), "(All)");
    const int big = list.IndexOf("big banana=\"big banana\"");
    ASSERT_GE(big, 0);
    f.grid->FilterDropDownCol = 1;
    f.grid->FilterListSelect(nullptr, big);
    EXPECT_EQ(f.Shown(), (V{"big banana"}));
    EXPECT_EQ(f.grid->FilterDropDownCol, -1);
    f.grid->FilterDropDownCol = 1;
    f.grid->FilterListSelect(nullptr, 0); // (All)
    EXPECT_FALSE(f.grid->Filter()->HasColumnFilter(1));
    EXPECT_EQ(f.Shown().size(), 6u);
    f.grid->SetFilterDropDownRow(1); // not below FixedRows: ignored
    EXPECT_EQ(f.grid->FilterDropDownRow(), 0);
}

TEST(Filter, TheDropDownListsEachValueOnceInOrderWithHiddenRows)
{
    FilterFixture f;
    f.grid->SetFilterDropDownAuto(true);
    const V names = {"pear", "Pear", " apple ", "PEAR", "apple pie", ""};
    for (size_t i = 0; i < names.size(); ++i)
        f.grid->SetCells(1, int(i) + 1, names[i]);
    f.grid->HideRows(5, 5); // "apple pie" is listed from its hidden row
    ASSERT_TRUE(f.grid->BuildColumnFilterList(1));
    EXPECT_EQ(f.grid->FilterValues()->Lines(), (V{"(All)", "", "apple", "apple pie=\"apple pie\"", "pear"}))
        << "values equal but for case are listed once, as first met";
}

TEST(Filter, SortingTheFilteredRowsThenRemovingTheFilterKeepsEveryRow)
{
    FilterFixture f;
    TFilterData* d = f.grid->Filter()->Add();
    d->Column = 1;
    d->Condition = "b*";
    f.grid->SetFilterActive(true);
    f.grid->SortSettings()->Column = 1;
    f.grid->SortSettings()->Direction = sdDescending;
    f.grid->SortByColumn();
    EXPECT_EQ(f.Shown(), (V{"blueberry", "banana"}));
    f.grid->SetFilterActive(false);
    V shown = f.Shown();
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (V{"apple", "apricot", "avocado", "banana", "blueberry", "cherry"}));
}

} // namespace
