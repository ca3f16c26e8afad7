// The string grid's structure: index mapping, hidden rows and columns, inserting and removing
// rows and columns, clearing, grouping, and the ownership of cell records through all of them.
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

struct StructureGrid {
    explicit StructureGrid(int cols = 5, int rows = 10)
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(cols);
        grid->SetRowCount(rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                grid->SetCells(c, r, Name(c, r));
    }
    static String Name(int c, int r) { return "c" + std::to_string(c) + "r" + std::to_string(r); }
    // Texts of one column, display rows from..to.
    std::vector<String> Column(int col, int from = 0, int to = -1)
    {
        if (to < 0)
            to = grid->RowCount() - 1;
        std::vector<String> out;
        for (int r = from; r <= to; ++r)
            out.push_back(grid->GetCellText(col, r));
        return out;
    }
    TForm form{nullptr};
    TPlusStringGrid* grid = nullptr;
};

} // namespace

TEST(PlusGridColumns, HiddenColumnMappingAndWidthsComeBack)
{
    StructureGrid f(5, 4);
    auto* g = f.grid;
    g->SetColWidths(2, 77);
    g->HideColumn(2);
    EXPECT_EQ(g->ColCount(), 4);
    EXPECT_EQ(g->HiddenColCount, 1);
    EXPECT_TRUE(g->IsColumnHidden(2));
    EXPECT_EQ(g->TotalColCount(), 5);
    struct Case {
        int real, display;
    };
    for (const Case& c : {Case{0, 0}, Case{1, 1}, Case{2, 2}, Case{3, 2}, Case{4, 3}})
        EXPECT_EQ(g->RealToDisplayColumn(c.real), c.display) << c.real;
    for (const Case& c : {Case{0, 0}, Case{1, 1}, Case{3, 2}, Case{4, 3}})
        EXPECT_EQ(g->DisplayToRealColumn(c.display), c.real) << c.display;
    EXPECT_EQ(g->DisplayToRealColumn(9), 0); // beyond the shown columns
    // the cells of the hidden column wait at their real column
    EXPECT_EQ(g->GetCellText(2, 1), "c2r1");
    EXPECT_EQ(g->GetAllColCount(), 5);

    g->UnhideColumns(2, 2);
    EXPECT_EQ(g->ColCount(), 5);
    EXPECT_EQ(g->ColWidths(2), 77);
    EXPECT_FALSE(g->IsColumnHidden(2));

    // requests that cannot apply change nothing
    g->HideColumn(600);
    EXPECT_FALSE(g->IsColumnHidden(600));
    EXPECT_EQ(g->RealToDisplayColumn(600), 600);
    g->HideColumns(0, 3);
    g->HideColumn(4); // the last shown column stays
    EXPECT_EQ(g->ColCount(), 1);
    EXPECT_EQ(g->HiddenColCount, 4);
    g->UnhideAllColumns();
    EXPECT_EQ(g->ColCount(), 5);
    EXPECT_EQ(g->HiddenColCount, 0);
}

TEST(PlusGridColumns, HidingTheCurrentLastColumnMovesColLeft)
{
    StructureGrid f(5, 4);
    auto* g = f.grid;
    g->SetCol(4);
    g->HideColumn(4);
    EXPECT_EQ(g->Col(), 3);
}

TEST(PlusGridRows, HideAndUnhideRowsKeepTextsColoursAndHeights)
{
    StructureGrid f(4, 10);
    auto* g = f.grid;
    g->SetColors(1, 4, clRed);
    g->SetRowHeights(5, 40);
    const size_t records = g->LiveRecordCount();
    g->HideRows(3, 5);
    EXPECT_EQ(g->RowCount(), 7);
    EXPECT_EQ(g->HiddenRowCount(), 3);
    EXPECT_EQ(g->GetCellText(1, 3), "c1r6");
    EXPECT_EQ(g->RealToDisplayRow(4), 3);
    EXPECT_EQ(g->DisplayToRealRow(3), 6);
    EXPECT_TRUE(g->IsRowHidden(4));
    EXPECT_EQ(g->GetAllCells(1, 4), "c1r4");
    EXPECT_EQ(g->GetAllRowCount(), 10);
    // the record waits with its row and is not freed meanwhile
    QApplication::processEvents();
    EXPECT_EQ(g->LiveRecordCount(), records);

    g->UnhideRows(2, 4); // its first row is shown: nothing happens
    EXPECT_EQ(g->RowCount(), 7);
    g->UnhideRows(3, 4);
    EXPECT_EQ(g->RowCount(), 9);
    EXPECT_TRUE(g->IsRowHidden(5));
    EXPECT_EQ(f.Column(1, 2, 5), (std::vector<String>{"c1r2", "c1r3", "c1r4", "c1r6"}));
    EXPECT_EQ(g->GetColors(1, 4), clRed);
    g->UnhideRows(5, 5);
    EXPECT_EQ(g->RowCount(), 10);
    EXPECT_EQ(g->RowHeights(5), 40);
    EXPECT_EQ(f.Column(0), (std::vector<String>{"c0r0", "c0r1", "c0r2", "c0r3", "c0r4", "c0r5", "c0r6", "c0r7",
                                                "c0r8", "c0r9"}));
    EXPECT_EQ(g->HiddenRowCount(), 0);
}

TEST(PlusGridRows, HiddenColumnCellsTravelWithHiddenRows)
{
    StructureGrid f(4, 8);
    auto* g = f.grid;
    g->HideColumn(2);
    g->HideRow(3);
    EXPECT_EQ(g->GetCellText(2, 3), "c2r4");
    g->UnhideRow(3);
    g->UnhideColumn(2);
    EXPECT_EQ(g->GetCellText(2, 3), "c2r3");
    EXPECT_EQ(g->GetCellText(2, 4), "c2r4");
}

TEST(PlusGridRows, HideRowListAndUnhideLastLevelRestoreTheOrder)
{
    StructureGrid f(3, 8);
    auto* g = f.grid;
    TIntList list(-1, -1);
    list.Add(2);
    list.Add(5);
    g->HideRowList(&list);
    EXPECT_EQ(g->HideLevel, 1);
    EXPECT_EQ(g->RowCount(), 6);
    EXPECT_EQ(f.Column(0, 1, 4), (std::vector<String>{"c0r1", "c0r3", "c0r4", "c0r6"}));
    g->UnhideLastLevel();
    --g->HideLevel; // the caller lowers the level
    EXPECT_EQ(g->RowCount(), 8);
    EXPECT_EQ(f.Column(0, 0, 7), (std::vector<String>{"c0r0", "c0r1", "c0r2", "c0r3", "c0r4", "c0r5", "c0r6",
                                                      "c0r7"}));
}

TEST(PlusGridRows, RemovingRowsShiftsHiddenRowsAndMovesHiddenColumnCells)
{
    StructureGrid f(4, 10);
    auto* g = f.grid;
    g->HideColumn(3);
    g->HideRow(7);
    g->RemoveRows(2, 2);
    EXPECT_EQ(g->RowCount(), 7);
    // the hidden row's real index went down by the two removed rows
    EXPECT_TRUE(g->IsRowHidden(5));
    EXPECT_EQ(g->GetAllCells(0, 5), "c0r7");
    // the hidden column's cells moved up with their rows
    EXPECT_EQ(g->GetCellText(3, 2), "c3r4");
    g->UnhideRow(5);
    g->UnhideColumn(3);
    EXPECT_EQ(f.Column(3), (std::vector<String>{"c3r0", "c3r1", "c3r4", "c3r5", "c3r6", "c3r7", "c3r8", "c3r9"}));
    // rows that left the grid do not come back when it grows again
    g->SetRowCount(12);
    EXPECT_EQ(g->GetCellText(0, 10), "");
    EXPECT_EQ(g->GetCellText(0, 11), "");
}

TEST(PlusGridRows, InsertAndRemoveAroundMergedCellsKeepRecordsWithTheirRows)
{
    StructureGrid f(5, 8);
    auto* g = f.grid;
    ASSERT_TRUE(g->MergeCellRange(1, 4, 2, 2));
    g->SetColors(3, 6, clLime);
    g->InsertRows(2, 3);
    EXPECT_EQ(g->RowCount(), 11);
    EXPECT_EQ(g->GetCellText(1, 2), "");
    EXPECT_EQ(g->GetCellText(1, 5), "c1r2");
    EXPECT_EQ(g->RowHeights(2), g->DefaultRowHeight());
    // the merge moved down with its rows
    EXPECT_TRUE(g->IsMergedAcross(1, 7));
    EXPECT_EQ(g->BaseCellOf(2, 8), TPoint(1, 7));
    EXPECT_EQ(g->GetColors(3, 9), clLime);
    const size_t records = g->LiveRecordCount();
    g->RemoveRows(9, 1);
    EXPECT_EQ(g->LiveRecordCount(), records - 1);
    EXPECT_EQ(g->GetColors(3, 9), clNone);
    g->ClearAll();
    EXPECT_EQ(g->LiveRecordCount(), 0u);
}

TEST(PlusGridColumns, InsertAndRemoveColumns)
{
    StructureGrid f(5, 3);
    auto* g = f.grid;
    g->SetColWidths(1, 90);
    g->InsertCols(1, 2);
    EXPECT_EQ(g->ColCount(), 7);
    EXPECT_EQ(g->GetCellText(1, 1), "");
    EXPECT_EQ(g->GetCellText(3, 1), "c1r1");
    EXPECT_EQ(g->ColWidths(1), g->DefaultColWidth());
    EXPECT_EQ(g->ColWidths(3), 90);
    g->RemoveCols(1, 2);
    EXPECT_EQ(g->ColCount(), 5);
    EXPECT_EQ(g->GetCellText(1, 1), "c1r1");
    g->RemoveCols(3, 10); // shortened to the two last columns
    EXPECT_EQ(g->ColCount(), 3);
    EXPECT_EQ(g->GetCellText(2, 2), "c2r2");
    g->SetColCount(5);
    EXPECT_EQ(g->GetCellText(3, 2), "");
}

TEST(PlusGridRows, OutOfRangeIndexesAreNoOps)
{
    StructureGrid f(4, 6);
    auto* g = f.grid;
    const std::vector<std::function<void()>> calls = {
        [&] { g->HideRows(-5, -1); },     [&] { g->HideRows(50, 60); },     [&] { g->UnhideRows(7, 2); },
        [&] { g->InsertRows(-1, 2); },    [&] { g->InsertRows(99, 1); },    [&] { g->RemoveRows(-3, 2); },
        [&] { g->RemoveRows(6, 1); },     [&] { g->RemoveRows(2, 0); },     [&] { g->InsertCols(-1, 1); },
        [&] { g->RemoveCols(9, 1); },     [&] { g->RemoveCols(0, 99); },    [&] { g->ClearRect(-9, -9, -1, -1); },
        [&] { g->SetColors(-1, 2, clRed); }, [&] { g->SetColors(2, 99, clRed); }, [&] { g->MergeColumnCells(42, true); },
        [&] { g->CreateCellGraphic(-1, 0); }, [&] { g->AddCheckBox(9, 9, true); }, [&] { g->GroupRowsByColumn(77); },
        [&] { g->SetRowColor(-4, clRed); }, [&] { g->HideRows(0, 5); }, // would leave only the fixed row
    };
    for (size_t i = 0; i < calls.size(); ++i) {
        calls[i]();
        EXPECT_EQ(g->RowCount(), 6) << i;
        EXPECT_EQ(g->ColCount(), 4) << i;
        EXPECT_EQ(g->GetCellText(3, 5), "c3r5") << i;
    }
    EXPECT_EQ(g->GetAllCells(-1, 0), "");
    EXPECT_EQ(g->GetAllCells(1, 99), "");
    EXPECT_EQ(g->GetCellType(-1, 0), ctEmpty);
    EXPECT_EQ(g->LiveRecordCount(), 0u);
}

// The row colour setters give every cell from the first scrolled column on its fill, gradient
// end or text colour, and clNone takes it off again; the fill also drops the records of empty
// cells.
TEST(PlusGridCells, RowColourSettersMarkTheRowAndClearIt)
{
    struct Case {
        const char* name;
        void (TPlusStringGrid::*set)(int, TColor);
        TColor (*get)(const TCellProperties&);
        bool dropsEmptyRecords;
        bool clearsToNone; // else back to a new record's colour
    };
    const Case cases[] = {
        {"fill", &TPlusStringGrid::SetRowColor, [](const TCellProperties& p) { return p.BrushColor(); }, true, false},
        {"gradient end", &TPlusStringGrid::SetRowColorTo, [](const TCellProperties& p) { return p.BrushColorTo(); },
         false, false},
        {"text", &TPlusStringGrid::SetRowFontColor, [](const TCellProperties& p) { return p.FontColor; }, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StructureGrid f(4, 5);
        auto* g = f.grid;
        g->SetCells(3, 2, "");
        (g->*c.set)(2, clRed);
        EXPECT_FALSE(g->HasCellProperties(0, 2)); // the fixed column
        for (int col = 1; col < 4; ++col) {
            ASSERT_TRUE(g->HasCellProperties(col, 2)) << col;
            EXPECT_EQ(c.get(*g->EnsureCellProperties(col, 2)), clRed) << col;
        }
        EXPECT_FALSE(g->HasCellProperties(1, 3));
        (g->*c.set)(2, clNone);
        EXPECT_EQ(g->HasCellProperties(3, 2), !c.dropsEmptyRecords);
        (g->*c.set)(7, clRed); // beyond the grid: nothing
        EXPECT_FALSE(g->HasCellProperties(1, 7));
        const TColor fresh = c.get(*g->EnsureCellProperties(1, 3));
        EXPECT_EQ(c.get(*g->EnsureCellProperties(1, 2)), c.clearsToNone ? clNone : fresh);
    }
}

TEST(PlusGridGroups, GroupingWithSummaryGivesTheLayoutAndUngroupRestoresIt)
{
    StructureGrid f(4, 7);
    auto* g = f.grid;
    const char* values[] = {"A", "B", "A", "C", "B", "B"};
    for (int r = 1; r <= 6; ++r)
        g->SetCells(2, r, values[r - 1]);
    g->SetColWidths(2, 55);
    g->SetCells(2, 0, "Key");
    g->Grouping()->Summary = true;
    g->Grouping()->HeaderColor = clYellow;
    g->GroupRowsByColumn(2);
    EXPECT_EQ(g->GroupColumn, 2);
    EXPECT_EQ(g->ColCount(), 3);
    EXPECT_EQ(g->RowCount(), 13);
    struct Expect {
        int row;
        const char* kind; // H header, S summary, D data
        const char* header;
        int span;
    };
    const Expect layout[] = {{1, "H", "A", 3},  {2, "D", "", 0}, {3, "D", "", 0},  {4, "S", "", 0}, {5, "H", "B", 4},
                             {6, "D", "", 0},  {7, "D", "", 0}, {8, "D", "", 0},  {9, "S", "", 0}, {10, "H", "C", 2},
                             {11, "D", "", 0}, {12, "S", "", 0}};
    for (const Expect& e : layout) {
        const String kind = e.kind;
        EXPECT_EQ(g->IsNodeRow(e.row), kind == "H") << e.row;
        EXPECT_EQ(g->IsSummaryRow(e.row), kind == "S") << e.row;
        if (kind == "H") {
            EXPECT_EQ(g->GetCellText(1, e.row), e.header) << e.row;
            EXPECT_EQ(g->GetNodeSpan(e.row), e.span) << e.row;
            EXPECT_EQ(g->GetColors(1, e.row), TColor(clYellow)) << e.row;
        }
    }
    // the data rows kept their other columns, in the sorted order
    EXPECT_EQ(g->GetCellText(1, 2), "c1r1");
    EXPECT_EQ(g->GetCellText(1, 3), "c1r3");
    EXPECT_EQ(g->GetCellText(2, 6), "c3r2");

    g->Ungroup();
    EXPECT_EQ(g->GroupColumn, -1);
    EXPECT_EQ(g->ColCount(), 4);
    EXPECT_EQ(g->RowCount(), 7);
    EXPECT_EQ(g->ColWidths(2), 55);
    EXPECT_EQ(f.Column(2), (std::vector<String>{"Key", "A", "A", "B", "B", "B", "C"}));
    EXPECT_EQ(f.Column(1), (std::vector<String>{"c1r0", "c1r1", "c1r3", "c1r2", "c1r5", "c1r6", "c1r4"}));
    EXPECT_EQ(g->NodeCount, 0);
    for (int r = 0; r < g->RowCount(); ++r)
        EXPECT_FALSE(g->IsNodeRow(r) || g->IsSummaryRow(r)) << r;
    EXPECT_EQ(g->GetColors(1, 1), clNone);
}

// Header and summary rows take the grouping's colours (fill, gradient end, text), along the
// row or, merged, on the one cell that spans it.
TEST(PlusGridGroups, HeaderAndSummaryRowsTakeTheirColoursMergedOrNot)
{
    for (const bool merged : {false, true}) {
        SCOPED_TRACE(merged ? "merged" : "per row");
        StructureGrid f(4, 7);
        auto* g = f.grid;
        const char* values[] = {"A", "B", "A", "C", "B", "B"};
        for (int r = 1; r <= 6; ++r)
            g->SetCells(2, r, values[r - 1]);
        TGrouping& grouping = *g->Grouping();
        grouping.Summary = true;
        grouping.MergeHeader = grouping.MergeSummary = merged;
        grouping.HeaderColor = clYellow;
        grouping.HeaderColorTo = clRed;
        grouping.HeaderTextColor = clBlue;
        grouping.SummaryColor = clLime;
        grouping.SummaryColorTo = clAqua;
        grouping.SummaryTextColor = clMaroon;
        g->GroupRowsByColumn(2);
        ASSERT_EQ(g->RowCount(), 13);
        const auto look = [&](int col, int row) {
            if (!g->HasCellProperties(col, row))
                return std::tuple<TColor, TColor, TColor>{clNone, clNone, clNone};
            const TCellProperties* p = g->EnsureCellProperties(col, row);
            return std::tuple<TColor, TColor, TColor>{p->BrushColor(), p->BrushColorTo(), p->FontColor};
        };
        const std::tuple<TColor, TColor, TColor> header{clYellow, clRed, clBlue}, summary{clLime, clAqua, clMaroon};
        for (const int row : {1, 5, 10})
            EXPECT_EQ(look(1, row), header) << row;
        for (const int row : {4, 9, 12})
            EXPECT_EQ(look(1, row), summary) << row;
        EXPECT_EQ(look(1, 2), (std::tuple<TColor, TColor, TColor>{clNone, clNone, clNone}));
        for (const int row : {1, 4, 10, 12}) {
            EXPECT_EQ(g->EnsureCellProperties(1, row)->CellSpanX, merged ? 1 : -1) << row;
            if (!merged)
                EXPECT_EQ(look(2, row), row == 1 || row == 10 ? header : summary) << row;
        }
    }
}

TEST(PlusGridGroups, ContractedGroupsHideTheirRowsAndCalculationsSkipHeaders)
{
    StructureGrid f(4, 6);
    auto* g = f.grid;
    const char* keys[] = {"x", "x", "y", "y", "y"};
    const char* numbers[] = {"2", "4", "6", "8", "10"};
    for (int r = 1; r <= 5; ++r) {
        g->SetCells(1, r, keys[r - 1]);
        g->SetCells(3, r, numbers[r - 1]);
    }
    g->GroupRowsByColumn(1);
    // header rows carry their text in column 1 once the grouped column is gone
    ASSERT_TRUE(g->IsNodeRow(1));
    EXPECT_EQ(g->GetCellText(1, 1), "x");
    EXPECT_DOUBLE_EQ(g->ColumnSum(2, 1, g->RowCount() - 1), 30);
    EXPECT_DOUBLE_EQ(g->ColumnMin(2, 2, g->RowCount() - 1), 2);
    EXPECT_DOUBLE_EQ(g->ColumnMax(2, 2, g->RowCount() - 1), 10);
    EXPECT_DOUBLE_EQ(g->ColumnMin(2, 5, 6), 6);
    EXPECT_DOUBLE_EQ(g->ColumnMax(2, 2, 3), 4);
    g->ContractNode(1);
    EXPECT_TRUE(g->GetNodeState(1));
    EXPECT_EQ(g->RowCount(), 6);
    // the hidden rows are still counted through their real indexes
    EXPECT_DOUBLE_EQ(g->ColumnSum(2, 1, g->GetAllRowCount() - 1), 30);
    EXPECT_DOUBLE_EQ(g->ColumnMin(2, 3, g->GetAllRowCount() - 1), 4);
    EXPECT_DOUBLE_EQ(g->ColumnMax(2, 3, g->GetAllRowCount() - 1), 10);
    g->ExpandNode(1);
    EXPECT_EQ(g->RowCount(), 8);
    g->Ungroup();
    EXPECT_EQ(f.Column(3, 1), (std::vector<String>{"2", "4", "6", "8", "10"}));
}

// Rows hidden before grouping stay out of the groups' shown rows and keep their cells: every
// group gets a node over its shown rows, only the inserted rows are summaries, contracting and
// expanding leave the hidden rows hidden, and ungrouping gives back every row and cell.
TEST(PlusGridGroups, HiddenRowsSurviveGroupingContractingAndUngrouping)
{
    for (const bool summary : {true, false}) {
        SCOPED_TRACE(summary ? "with summaries" : "without summaries");
        StructureGrid f(4, 9);
        auto* g = f.grid;
        const char* keys[] = {"A", "A", "A", "B", "B", "C", "C", "C"};
        for (int r = 1; r <= 8; ++r)
            g->SetCells(2, r, keys[r - 1]);
        const auto cellsOf = [&](int row) {
            std::vector<String> out;
            for (int c = 0; c < g->ColCount(); ++c)
                out.push_back(g->GetCellText(c, row));
            return out;
        };
        std::vector<std::vector<String>> before;
        for (int r = 0; r < g->RowCount(); ++r)
            before.push_back(cellsOf(r));
        // one hidden row inside a group, one that opens a group, one inside the last group
        g->HideRow(2);
        g->HideRow(4);
        g->HideRow(7);
        g->Grouping()->Summary = summary;
        g->GroupRowsByColumn(2);

        // H header, S summary, D data; the shown data rows are 1, 3 | 5 | 6, 8
        const String layout = summary ? "-HDDSHDSHDDS" : "-HDDHDHDD";
        ASSERT_EQ(g->RowCount(), int(layout.size()));
        EXPECT_EQ(g->NodeCount, 3);
        EXPECT_EQ(g->HiddenRowCount(), 3);
        for (int r = 1; r < g->RowCount(); ++r) {
            EXPECT_EQ(g->IsNodeRow(r), layout[size_t(r)] == 'H') << r;
            EXPECT_EQ(g->IsSummaryRow(r), layout[size_t(r)] == 'S') << r;
        }

        g->ContractAllNodes();
        EXPECT_EQ(g->RowCount(), summary ? 7 : 4);
        for (int r = 1; r < g->RowCount(); ++r)
            if (g->IsNodeRow(r))
                EXPECT_TRUE(g->IsNodeContracted(r)) << r;
        g->ExpandAllNodes();
        ASSERT_EQ(g->RowCount(), int(layout.size()));
        EXPECT_EQ(g->HiddenRowCount(), 3);
        // the last group closes and opens on its own as well
        const int last = summary ? 8 : 6;
        g->ContractNode(g->RealRowIndex(last));
        EXPECT_EQ(g->RowCount(), int(layout.size()) - 2);
        g->ExpandNode(g->RealRowIndex(last));
        EXPECT_EQ(g->RowCount(), int(layout.size()));

        g->Ungroup();
        EXPECT_EQ(g->NodeCount, 0);
        EXPECT_EQ(g->ColCount(), 4);
        EXPECT_EQ(g->GetAllRowCount(), 9);
        EXPECT_EQ(g->RowCount(), 6);
        for (const int r : {2, 4, 7})
            EXPECT_TRUE(g->IsRowHidden(r)) << r;
        for (int d = 0; d < g->RowCount(); ++d) {
            EXPECT_FALSE(g->IsNodeRow(d) || g->IsSummaryRow(d)) << d;
            EXPECT_EQ(cellsOf(d), before[size_t(g->RealRowIndex(d))]) << d;
        }
        g->UnhideAllRows();
        ASSERT_EQ(g->RowCount(), 9);
        for (int r = 0; r < g->RowCount(); ++r)
            EXPECT_EQ(cellsOf(r), before[size_t(r)]) << r;
    }
}

TEST(PlusGridRows, ShrinkingAndClearingALargeSparseGridTakeWhatLeavesAndKeepTheRest)
{
    // a grid of many rows that were never written: shrinking and clearing visit only the cells
    // the store holds, yet every text, record and merge in the area goes
    StructureGrid f(6, 4);
    auto* g = f.grid;
    g->SetRowCount(300000);
    g->SetCells(5, 250000, "far");
    g->SetColors(2, 260000, clLime);
    g->SetCells(1, 120000, "middle");
    g->SetColors(1, 120000, clRed);
    ASSERT_TRUE(g->MergeCellRange(3, 199999, 2, 2)); // straddles the cut below
    const size_t records = g->LiveRecordCount();
    g->SetRowCount(200000);
    EXPECT_EQ(g->RowCount(), 200000);
    EXPECT_FALSE(g->IsMergedAcross(3, 199999));
    EXPECT_EQ(g->GetCellText(1, 120000), "middle");
    EXPECT_EQ(g->GetColors(1, 120000), clRed);
    EXPECT_LT(g->LiveRecordCount(), records);
    g->SetRowCount(300000);
    EXPECT_EQ(g->GetCellText(5, 250000), "");
    EXPECT_EQ(g->GetColors(2, 260000), clNone);
    // a clear over columns of different stored lengths reaches the longest
    g->SetCells(0, 2, "short");
    g->SetCells(4, 290000, "long");
    g->ClearRect(0, 1, 5, 299999);
    EXPECT_EQ(g->GetCellText(0, 2), "");
    EXPECT_EQ(g->GetCellText(4, 290000), "");
    EXPECT_EQ(g->GetCellText(1, 120000), "");
    EXPECT_EQ(g->GetCellText(2, 0), "c2r0");
    g->ClearAll();
    EXPECT_EQ(g->LiveRecordCount(), 0u);
}
