#include "components/grid/PlusGrid.h"
#include "components/grid/PlusGridSearchPanel.h"

#include "platform/framework/Forms.h"
#include "platform/rtl/SysUtils.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct FindFixture {
    // 3 data columns x 3 data rows under a header row and a fixed column:
    //        c1      c2      c3
    //  r1    abc     x       Cab
    //  r2    (empty) ab      y
    //  r3    ABC     q       abc
    FindFixture()
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(4);
        grid->SetRowCount(4);
        grid->SetFixedRows(1);
        grid->SetFixedCols(1);
        const char* cells[3][3] = {{"abc", "x", "Cab"}, {"", "ab", "y"}, {"ABC", "q", "abc"}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                grid->SetCells(c + 1, r + 1, cells[r][c]);
        grid->SetCells(1, 0, "abc header");
    }
    TForm form{nullptr};
    TPlusStringGrid* grid;
};

TCellSearchOptions Opts(std::initializer_list<TCellSearchOption> list)
{
    TCellSearchOptions o;
    for (auto v : list)
        o << v;
    return o;
}

TEST(Find, SearchesInScanOrderWithTheOptions)
{
    const struct {
        const char* name;
        TPoint start;
        const char* text;
        TCellSearchOptions options;
        TPoint found;
    } cases[] = {
        {"column order, case-blind", {-1, -1}, "ab", Opts({}), {1, 1}},
        {"next after (1,1) goes down the column", {1, 1}, "ab", Opts({}), {1, 3}},
        {"then the next column", {1, 3}, "ab", Opts({}), {2, 2}},
        {"row by row", {1, 1}, "ab", Opts({soRowByRow}), {3, 1}},
        {"match case", {-1, -1}, "ABC", Opts({soMatchCase}), {1, 3}},
        {"whole cell", {-1, -1}, "ab", Opts({soMatchFull}), {2, 2}},
        {"match start", {1, 3}, "ab", Opts({soMatchStart}), {2, 2}},
        {"backward from the end", {-1, -1}, "ab", Opts({soBackward}), {3, 3}},
        {"backward step", {3, 3}, "ab", Opts({soBackward}), {3, 1}},
        {"no wrap at the end", {3, 3}, "ab", Opts({}), {-1, -1}},
        {"restart beyond the last cell", {9, 9}, "ab", Opts({}), {1, 1}},
        {"fixed cells", {-1, -1}, "header", Opts({soIncludeFixed}), {1, 0}},
        {"empty cell", {-1, -1}, "\"\"", Opts({}), {1, 2}},
        {"expression", {-1, -1}, "y|q", Opts({soMatchExpression}), {2, 3}},
        {"nothing", {-1, -1}, "zzz", Opts({}), {-1, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FindFixture f;
        TPoint found;
        f.grid->FindCellFrom(c.start, c.text, found, c.options);
        EXPECT_EQ(found, c.found);
    }
}

TEST(Find, AutoGotoMovesTheCurrentCellAndExcludedColumnsAreSkipped)
{
    FindFixture f;
    f.grid->ExcludedColumns()->Add(1);
    TPoint found;
    f.grid->FindCellFrom(TPoint(-1, -1), "ab", found, Opts({soAutoGoto}));
    EXPECT_EQ(found, TPoint(2, 2));
    EXPECT_EQ(f.grid->Col(), 2);
    EXPECT_EQ(f.grid->Row(), 2);
    EXPECT_EQ(f.grid->LastFoundCell, found);
}

TEST(Find, LookupInTheSortColumn)
{
    FindFixture f;
    f.grid->SortSettings()->Show = true;
    f.grid->SortSettings()->Column = 3;
    EXPECT_EQ(f.grid->LookupInSortedColumn("AB"), 3);
    EXPECT_EQ(f.grid->LookupInSortedColumn("Z"), -1);
}

TEST(Find, SearchFooterFindsFromItsEditAndColoursAMiss)
{
    FindFixture f;
    f.form.SetBounds(0, 0, 600, 300);
    f.grid->SetBounds(0, 0, 600, 300);
    f.grid->SearchFooter()->SetVisible(true);
    f.grid->UpdateSearchPanel();
    TSearchPanel* panel = f.grid->SearchPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Height(), 32);
    EXPECT_FALSE(panel->ForwardButton->Enabled());
    std::vector<TSearchAction> actions;
    f.grid->OnSearchFooterAction = [&](TObject*, const String&, int, int, TSearchAction a) { actions.push_back(a); };
    panel->Edit->SetText("ab");
    EXPECT_TRUE(panel->ForwardButton->Enabled());
    EXPECT_EQ(f.grid->LastFoundCell, TPoint(1, 1));
    f.grid->SearchFooterFindNext(nullptr);
    EXPECT_EQ(f.grid->LastFoundCell, TPoint(1, 3));
    f.grid->SearchFooterFindPrevious(nullptr);
    EXPECT_EQ(f.grid->LastFoundCell, TPoint(1, 1));
    EXPECT_EQ(actions, (std::vector<TSearchAction>{saFindFirst, saFindNext, saFindPrevious}));
    panel->Edit->SetText("zzz");
    EXPECT_EQ(panel->Edit->Color(), clRed);
    panel->Edit->SetText("");
    EXPECT_EQ(panel->Edit->Color(), clWindow);
    // the picture of the footer, for the eye
    f.form.Show();
    panel->Edit->SetText("ab");
    const QImage shot = f.form.Host()->grab().toImage();
    if (const char* dir = std::getenv("QUELM_PICTURE_DIR"))
        shot.save(QString(dir) + "/search_footer.png");
    f.grid->SearchFooterClose(nullptr);
    EXPECT_FALSE(f.grid->SearchFooter()->Visible());
    EXPECT_EQ(panel->Height(), 0);
}

// The footer's column and match-case settings hold for the search as typed and for Find next.
TEST(Find, SearchFooterSettingsHoldForTypingAndFindNext)
{
    FindFixture f;
    f.grid->SearchFooter()->SetVisible(true);
    f.grid->SearchFooter()->SearchColumn = 3;
    f.grid->UpdateSearchPanel();
    TSearchPanel* panel = f.grid->SearchPanel();
    ASSERT_NE(panel, nullptr);
    panel->MatchCase->SetChecked(true);
    panel->Edit->SetText("ab");
    EXPECT_EQ(f.grid->LastFoundCell, TPoint(3, 1));
    f.grid->SearchFooterFindNext(nullptr);
    EXPECT_EQ(f.grid->LastFoundCell, TPoint(3, 3));
    panel->Edit->SetText("AB");
    EXPECT_EQ(panel->Edit->Color(), clRed);
    f.grid->SearchFooterFindNext(nullptr);
    EXPECT_LT(f.grid->LastFoundCell.X, 0);
}

} // namespace

TEST(FindHighlight, RangeHighlightMarksOnlyItsCellsAndComesOffAgain)
{
    FindFixture f;
    // the range reaches past the grid's last column and row: it is clipped
    f.grid->HighlightInRange("ab", "hi", 9, 9, 2, 2, false);
    EXPECT_EQ(f.grid->Cells(1, 1), "abc");           // left of the range
    EXPECT_EQ(f.grid->Cells(2, 1), "x");             // above the range
    EXPECT_EQ(f.grid->Cells(2, 2), "<hi>ab</hi>");
    EXPECT_EQ(f.grid->Cells(3, 3), "<hi>ab</hi>c");
    EXPECT_EQ(f.grid->Cells(3, 2), "y");
    f.grid->UnHighlightInRange("hi", 0, 9, 9, 0);
    EXPECT_EQ(f.grid->Cells(2, 2), "ab");
    EXPECT_EQ(f.grid->Cells(3, 3), "abc");
}
