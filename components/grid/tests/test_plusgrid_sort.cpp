#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

struct SortFixture {
    // A header row and one data row per entry of `column` in column 1; column 0 numbers the
    // data rows in their first order (1, 2, ...), column 2 holds "k<i>".
    explicit SortFixture(const std::vector<String>& column)
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(3);
        grid->SetRowCount(int(column.size()) + 1);
        grid->SetFixedRows(1);
        grid->SetCells(0, 0, "header");
        for (size_t i = 0; i < column.size(); ++i) {
            grid->SetCells(0, int(i) + 1, IntToStr(int(i) + 1));
            grid->SetCells(1, int(i) + 1, column[i]);
            grid->SetCells(2, int(i) + 1, "k" + IntToStr(int(i) + 1));
        }
    }
    std::vector<String> Column(int col)
    {
        std::vector<String> out;
        for (int r = grid->FixedRows(); r < grid->RowCount(); ++r)
            out.push_back(grid->Cells(col, r));
        return out;
    }
    TForm form{nullptr};
    TPlusStringGrid* grid;
};

using V = std::vector<String>;

struct StyleCase {
    const char* name;
    TSortStyle style;
    V input;
    V ascending;
};

class SortStyles : public ::testing::TestWithParam<StyleCase> {};

TEST_P(SortStyles, OrdersTheColumnAscendingAndDescending)
{
    const StyleCase& c = GetParam();
    SortFixture f(c.input);
    f.grid->OnGetFormat = [&](TObject*, int, TSortStyle& style, String&, String&) {
        if (c.style != ssAutomatic)
            style = c.style;
    };
    f.grid->SortSettings()->Column = 1;
    f.grid->SortByColumn();
    EXPECT_EQ(f.Column(1), c.ascending);
    // descending is the exact reverse whenever no two keys are equal
    f.grid->SortSettings()->Direction = sdDescending;
    f.grid->SortByColumn();
    V reversed(c.ascending.rbegin(), c.ascending.rend());
    EXPECT_EQ(f.Column(1), reversed);
    EXPECT_EQ(f.grid->Cells(0, 0), "header");
}

INSTANTIATE_TEST_SUITE_P(
    EachStyle, SortStyles,
    ::testing::Values(
        StyleCase{"automatic_numbers", ssAutomatic, {"10", "9", "100"}, {"9", "10", "100"}},
        StyleCase{"automatic_mixed", ssAutomatic, {"pear", "10", "", "9", "apple"}, {"", "9", "10", "apple", "pear"}},
        StyleCase{"automatic_dates", ssAutomatic, {"1/2/2003", "12/11/2002", "3/1/2003"},
                  {"12/11/2002", "3/1/2003", "1/2/2003"}}, // day first
        StyleCase{"automatic_times", ssAutomatic, {"12:30", "9:05", "10:00"}, {"9:05", "10:00", "12:30"}},
        StyleCase{"alphabetic", ssAlphabetic, {"b", "B", "a", "10", "9"}, {"10", "9", "B", "a", "b"}},
        StyleCase{"alpha_nocase", ssAlphaNoCase, {"b", "C", "a"}, {"a", "b", "C"}},
        StyleCase{"ansi_case", ssAnsiAlphaCase, {"B", "a", "b", "A"}, {"a", "A", "b", "B"}},
        StyleCase{"ansi_nocase", ssAnsiAlphaNoCase, {"b", "C", "a"}, {"a", "b", "C"}},
        StyleCase{"numeric", ssNumeric, {"5", "-3", "1e2", "0.5"}, {"-3", "0.5", "5", "1e2"}},
        StyleCase{"numeric_text", ssNumeric, {"x", "5", "-3", "abc"}, {"-3", "5", "abc", "x"}},
        StyleCase{"financial", ssFinancial, {"1,000", "200", "3,000.5"}, {"200", "1,000", "3,000.5"}},
        StyleCase{"date", ssDate, {"03/02/2001", "01/02/2001", "02/02/2001"}, {"01/02/2001", "02/02/2001", "03/02/2001"}},
        StyleCase{"date_eu", ssShortDateEU, {"02/01/2001", "01/02/2001"}, {"02/01/2001", "01/02/2001"}},
        StyleCase{"date_us", ssShortDateUS, {"02/01/2001", "01/02/2001"}, {"01/02/2001", "02/01/2001"}},
        StyleCase{"time", ssTime, {"13:00", "08:15", "09:00"}, {"08:15", "09:00", "13:00"}},
        StyleCase{"html", ssHTML, {"<b>c</b>", "a", "<i>b</i>"}, {"a", "<i>b</i>", "<b>c</b>"}},
        StyleCase{"alphanumeric", ssAlphaNumeric, {"b", "10", "9", "a"}, {"9", "10", "a", "b"}},
        StyleCase{"alphanumeric_nocase", ssAlphaNumericNoCase, {"b", "A", "2"}, {"2", "A", "b"}}),
    [](const ::testing::TestParamInfo<StyleCase>& info) { return String(info.param.name); });

TEST(Sort, PrefixAndSuffixFromGetFormatAreIgnoredByNumbers)
{
    SortFixture f({"$40", "$5", "$100 kg"});
    f.grid->OnGetFormat = [](TObject*, int, TSortStyle& style, String& prefix, String& suffix) {
        style = ssNumeric;
        prefix = "$";
        suffix = " kg";
    };
    f.grid->SortSettings()->Column = 1;
    f.grid->SortByColumn();
    EXPECT_EQ(f.Column(1), (V{"$5", "$40", "$100 kg"}));
}

TEST(Sort, CustomRawCheckBoxAndImagesUseTheirSources)
{
    {
        SortFixture f({"aa", "a", "aaa"});
        f.grid->OnGetFormat = [](TObject*, int, TSortStyle& s, String&, String&) { s = ssCustom; };
        f.grid->OnCustomCompare = [](TObject*, const String& a, const String& b, int& res) {
            res = int(a.size()) - int(b.size());
        };
        f.grid->SortSettings()->Column = 1;
        f.grid->SortByColumn();
        EXPECT_EQ(f.Column(1), (V{"a", "aa", "aaa"}));
    }
    {
        SortFixture f({"x", "y", "z"});
        f.grid->OnGetFormat = [](TObject*, int, TSortStyle& s, String&, String&) { s = ssRaw; };
        f.grid->OnRawCompare = [&](TObject*, int, int r1, int r2, int& res) { res = r2 - r1; };
        f.grid->SortSettings()->Column = 1;
        f.grid->SortByColumn();
        EXPECT_EQ(f.Column(1), (V{"z", "y", "x"}));
    }
    {
        SortFixture f({"a", "b", "c"});
        f.grid->AddCheckBox(1, 1, true);
        f.grid->AddCheckBox(1, 2, false);
        f.grid->AddCheckBox(1, 3, true);
        f.grid->SortSettings()->Column = 1;
        f.grid->SortByColumn(); // automatic: check box cells compare by their state
        EXPECT_EQ(f.Column(0), (V{"2", "1", "3"}));
        EXPECT_FALSE(f.grid->GetCheckBoxState(1, 1));
        EXPECT_TRUE(f.grid->GetCheckBoxState(1, 2));
    }
}

TEST(Sort, BlanksGoToTheirPlaceInBothDirections)
{
    SortFixture f({"b", "", "a", ""});
    f.grid->SortSettings()->IgnoreBlanks = true;
    f.grid->SortSettings()->BlankPos = blLast;
    f.grid->SortSettings()->Column = 1;
    f.grid->SortByColumn();
    EXPECT_EQ(f.Column(1), (V{"a", "b", "", ""}));
    f.grid->SortSettings()->Direction = sdDescending;
    f.grid->SortByColumn();
    EXPECT_EQ(f.Column(1), (V{"b", "a", "", ""}));
}

TEST(Sort, FullBreaksTiesByTheColumnsToTheRight)
{
    SortFixture f({"x", "x", "a"});
    f.grid->SetCells(2, 1, "2");
    f.grid->SetCells(2, 2, "1");
    f.grid->SortSettings()->Column = 1;
    f.grid->SortByColumn();
    EXPECT_EQ(f.Column(0), (V{"3", "2", "1"}));
}

TEST(Sort, IndexedSortOnThreeColumnsBuiltByHeaderClicks)
{
    TForm form(nullptr);
    auto* g = new TPlusStringGrid(&form);
    g->SetParent(&form);
    g->SetColCount(4);
    g->SetRowCount(7);
    g->SetFixedRows(1);
    g->SortSettings()->Show = true;
    g->SortSettings()->IndexShow = true;
    const char* rows[6][3] = {{"b", "2", "x"}, {"a", "2", "y"}, {"b", "1", "z"},
                              {"a", "2", "x"}, {"b", "1", "a"}, {"a", "1", "q"}};
    for (int r = 0; r < 6; ++r) {
        g->SetCells(0, r + 1, IntToStr(r));
        for (int c = 0; c < 3; ++c)
            g->SetCells(c + 1, r + 1, rows[r][c]);
    }
    g->SortByHeaderClick(1, false); // column 1 alone
    g->SortByHeaderClick(2, true);  // Shift: column 2 added
    g->SortByHeaderClick(3, true);  // Shift: column 3 added
    g->SortByHeaderClick(3, true);  // Shift on a listed column: it flips to descending
    ASSERT_EQ(g->SortIndexList()->Count(), 3);
    EXPECT_TRUE(g->SortIndexList()->AscendingAt(0));
    EXPECT_FALSE(g->SortIndexList()->AscendingAt(2));
    EXPECT_EQ(g->SortSettings()->Column, 1);
    std::vector<String> got;
    for (int r = 1; r < 7; ++r)
        got.push_back(g->Cells(1, r) + g->Cells(2, r) + g->Cells(3, r) + ":" + g->Cells(0, r));
    EXPECT_EQ(got, (V{"a1q:5", "a2y:1", "a2x:3", "b1z:2", "b1a:4", "b2x:0"}));
    // a plain click makes the clicked column the only entry; a second plain click flips it
    g->SortByHeaderClick(2, false);
    EXPECT_EQ(g->SortIndexList()->Count(), 1);
    g->SortByHeaderClick(2, false);
    EXPECT_FALSE(g->SortIndexList()->AscendingAt(0));
    EXPECT_EQ(g->SortSettings()->Column, 2); // the column number, without the direction bit
    EXPECT_EQ(g->Cells(2, 1), "2");
}

TEST(Sort, EmptyIndexListRaisesAndLeavesTheGrid)
{
    SortFixture f({"b", "a"});
    try {
        f.grid->SortByIndex();
        FAIL() << "no exception";
    } catch (const EPlusGridError& e) {
        EXPECT_EQ(String(e.Message()), "No indexes specified for indexed sort");
    }
    EXPECT_EQ(f.Column(1), (V{"b", "a"}));
}

TEST(Sort, SortRowMustLieInTheFixedRows)
{
    SortFixture f({"a"});
    EXPECT_THROW(f.grid->SortSettings()->SetRow(1), Exception);
    EXPECT_EQ(f.grid->SortSettings()->Row, 0);
    try {
        f.grid->SortSettings()->SetRow(1);
    } catch (const Exception& e) {
        EXPECT_EQ(String(e.Message()), "Sort row should be smaller than number of fixed rows");
    }
}

TEST(Sort, FixedRowsFootersAndColumnZeroStayAndRestoreBringsTheOrderBack)
{
    SortFixture f({"c", "a", "b", "total"});
    f.grid->SetFixedFooters(1);
    f.grid->SetFixedCols(1);
    f.grid->SortSettings()->NormalCellsOnly = true;
    f.grid->SortSettings()->Column = 1;
    f.grid->SortByColumn();
    EXPECT_EQ(f.Column(1), (V{"a", "b", "c", "total"}));
    EXPECT_EQ(f.Column(0), (V{"1", "2", "3", "4"})); // column 0 keeps its texts
    EXPECT_EQ(f.Column(2), (V{"k2", "k3", "k1", "k4"}));
    f.grid->SortSettings()->Direction = sdDescending;
    f.grid->SortByColumn();
    f.grid->RestoreRowOrder();
    EXPECT_EQ(f.Column(1), (V{"c", "a", "b", "total"}));
    EXPECT_EQ(f.grid->Cells(0, 0), "header");
}

TEST(Sort, CurrentRowFollowsItsContentOnlyWithMoveRowOnSort)
{
    SortFixture f({"c", "a", "b"});
    f.grid->SetRow(1); // "c"
    f.grid->SortSettings()->Column = 1;
    f.grid->SortByColumn();
    EXPECT_EQ(f.grid->Row(), 1);
    f.grid->SortSettings()->Direction = sdDescending;
    f.grid->Navigation()->MoveRowOnSort = true;
    f.grid->SetRow(1); // "a"
    f.grid->SortByColumn();
    EXPECT_EQ(f.grid->Cells(1, f.grid->Row()), "a");
}

TEST(Sort, RowsKeepTheirObjectsHeightsAndFlags)
{
    SortFixture f({"b", "a"});
    f.grid->SetColors(2, 1, clRed); // a cell record in row "b"
    f.grid->SetRowHeights(1, 40);
    f.grid->ShowModified()->Enabled = true;
    f.grid->SetRowModified(1, true);
    f.grid->SortSettings()->Column = 1;
    f.grid->SortByColumn();
    EXPECT_EQ(f.grid->GetColors(2, 2), clRed);
    EXPECT_EQ(f.grid->GetColors(2, 1), clNone);
    EXPECT_EQ(f.grid->RowHeights(2), 40);
    EXPECT_TRUE(f.grid->GetRowModified(2));
    EXPECT_FALSE(f.grid->GetRowModified(1));
    EXPECT_EQ(f.grid->RowOrderList()->GetItem(1), 2);
}

TEST(Sort, ExcludedColumnCompareEqualAndUndoSortRestores)
{
    SortFixture f({"b", "a", "c"});
    f.grid->ExcludedColumns()->Add(1);
    f.grid->SortSettings()->Column = 1;
    f.grid->SortByColumn();
    EXPECT_EQ(f.Column(1), (V{"b", "a", "c"})); // column 2 (k1, k2, k3) decides
    f.grid->ExcludedColumns()->Clear();
    f.grid->SortSettings()->UndoSort = true;
    f.grid->SortSettings()->Column = -1;
    f.grid->SortByHeaderClick(1, false);
    EXPECT_EQ(f.Column(1), (V{"a", "b", "c"}));
    f.grid->SortByHeaderClick(1, false);
    EXPECT_EQ(f.Column(1), (V{"c", "b", "a"}));
    f.grid->SortByHeaderClick(1, false); // the third click restores
    EXPECT_EQ(f.Column(1), (V{"b", "a", "c"}));
    EXPECT_EQ(f.grid->SortSettings()->Column, -1);
}

// Every style's comparison is a total order on mixed data: the sorted column is in
// non-decreasing order by the grid's own comparison, and sorting again changes nothing.
TEST(Sort, EveryStyleIsATotalOrderOnRandomData)
{
    const V pool = {"", "0", "-1", "10", "9", "1e3", "abc", "ABC", "1,000", "$5", "01/02/2003",
                    "12/11/2002", "10:30", "9:5", "<b>x</b>", "x", " 5", "5 ", "-", ".", "1.5", "1/2"};
    std::mt19937 rng(7);
    for (int style = ssAutomatic; style <= ssAlphaNumericNoCase; ++style) {
        if (style == ssCustom || style == ssRaw)
            continue;
        V data;
        for (int i = 0; i < 60; ++i)
            data.push_back(pool[rng() % pool.size()]);
        SortFixture f(data);
        for (int r = 1; r <= 60; r += 7)
            f.grid->AddCheckBox(1, r, r % 2 == 0);
        f.grid->OnGetFormat = [style](TObject*, int, TSortStyle& s, String&, String&) { s = TSortStyle(style); };
        f.grid->SortSettings()->Full = false;
        f.grid->SortSettings()->Column = 1;
        f.grid->SortByColumn();
        for (int r = 1; r < 60; ++r)
            ASSERT_LE(f.grid->CompareCellsForSort(1, r, 0, r + 1), 0) << "style " << style << " row " << r;
        // antisymmetry and transitivity over all triples
        for (int a = 1; a <= 60; ++a)
            for (int b = 1; b <= 60; ++b) {
                const int ab = f.grid->CompareCellsForSort(1, a, 0, b);
                ASSERT_EQ(ab, -f.grid->CompareCellsForSort(1, b, 0, a)) << "style " << style;
            }
        const V once = f.Column(0);
        f.grid->SortByColumn();
        EXPECT_EQ(f.Column(0), once) << "style " << style;
    }
}

// A sort puts the rows where a stable sort by the grid's public row comparison puts them, for
// every style, both directions, blanks placed or not and ties broken by the next columns or
// not: equal keys keep their order, blanks go to their place, the next column decides ties.
TEST(Sort, RowsLandWhereAStableSortByTheRowComparisonPutsThem)
{
    const V pool = {"", "", "0", "-1", "10", "9", "1e3", "abc", "ABC", "abc", "1,000", "01/02/2003",
                    "10:30", "<b>x</b>", "x", " 5", "1.5", "9"};
    std::mt19937 rng(11);
    for (int style = ssAutomatic; style <= ssAlphaNumericNoCase; ++style) {
        if (style == ssRaw)
            continue;
        for (int variant = 0; variant < 8; ++variant) {
            const bool descending = variant & 1, ignoreBlanks = variant & 2, full = variant & 4;
            V data;
            for (int i = 0; i < 40; ++i)
                data.push_back(pool[rng() % pool.size()]);
            SortFixture f(data);
            for (int r = 1; r <= 40; ++r)
                f.grid->SetCells(2, r, pool[rng() % 4 + 2]); // few values: ties go on to column 0
            f.grid->AddCheckBox(1, 5, true);
            f.grid->AddCheckBox(1, 6, false);
            f.grid->OnGetFormat = [style](TObject*, int, TSortStyle& s, String&, String&) { s = TSortStyle(style); };
            f.grid->OnCustomCompare = [](TObject*, const String& a, const String& b, int& res) {
                res = int(a.size()) - int(b.size());
            };
            TSortSettings& s = *f.grid->SortSettings();
            s.Direction = descending ? sdDescending : sdAscending;
            s.IgnoreBlanks = ignoreBlanks;
            s.BlankPos = variant % 3 == 0 ? blFirst : blLast;
            s.Full = full;
            s.Column = 1;
            std::vector<int> expected(40);
            for (int i = 0; i < 40; ++i)
                expected[size_t(i)] = i + 1;
            const int target = descending ? -1 : 1;
            std::stable_sort(expected.begin(), expected.end(),
                             [&](int a, int b) { return target * f.grid->CompareRowsByColumn(1, a, b) < 0; });
            V want;
            for (int r : expected)
                want.push_back(IntToStr(r));
            f.grid->SortByColumn();
            ASSERT_EQ(f.Column(0), want) << "style " << style << " variant " << variant;
        }
    }
}

} // namespace
