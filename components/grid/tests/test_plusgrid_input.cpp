// The string grid's keyboard, wheel, panning, zoom and mouse handling, driven by real Qt input
// through the framework stand-in on a grid shown offscreen.
#include "platform/testing/quelm_test_support.h"
#include "components/grid/PlusGrid.h"
#include "components/grid/tests/GridInputFixture.h"

#include "platform/framework/Forms.h"

#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

struct Cell {
    int col;
    int row;
    bool operator==(const Cell& o) const { return col == o.col && row == o.row; }
};
std::ostream& operator<<(std::ostream& os, const Cell& c)
{
    return os << "(" << c.col << ", " << c.row << ")";
}

class GridInput : public ShownGridTest {
protected:
    GridInput() : ShownGridTest(9, 60, true) {}

    Cell Current() const { return Cell{grid->Col(), grid->Row()}; }
    void Go(int col, int row)
    {
        grid->SetCol(col);
        grid->SetRow(row);
    }
    QWidget* Target() const
    {
        QWidget* w = QApplication::focusWidget();
        return w ? w : grid->Host();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(Target(), key, mods);
    }
    void Type(const char* text)
    {
        for (const char* p = text; *p; ++p)
            QTest::keyClick(Target(), *p);
    }
    void Wheel(int notches, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QPoint at = Middle(2, 2);
        QWheelEvent e(at, grid->Host()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->Host(), &e);
    }
    bool EditorShown() const { return grid->InplaceEditor() && grid->InplaceEditor()->Visible(); }
};

// ---------------------------------------------------------------- keyboard

struct KeyCase {
    const char* name;
    std::function<void(TPlusStringGrid*)> setup;
    Cell start;
    std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
    Cell expected;
};

TEST_F(GridInput, KeysMoveTheCurrentCellByTheGridsOptions)
{
    const auto none = Qt::NoModifier;
    const auto shift = Qt::ShiftModifier;
    const auto ctrl = Qt::ControlModifier;
    auto merged = [](TPlusStringGrid* g) { g->MergeCellRange(2, 3, 3, 1); };
    auto tabs = [](TPlusStringGrid* g) { g->SetOptions(g->Options() + TGridOptions{goTabs}); };
    const std::vector<KeyCase> cases = {
        {"right", nullptr, {1, 1}, {{Qt::Key_Right, none}}, {2, 1}},
        {"right onto a merged range, then over it", merged, {1, 3}, {{Qt::Key_Right, none}, {Qt::Key_Right, none}},
         {5, 3}},
        {"left back over a merged range to its base", merged, {5, 3}, {{Qt::Key_Left, none}}, {2, 3}},
        {"down into a covered cell lands on its base", merged, {3, 2}, {{Qt::Key_Down, none}}, {2, 3}},
        {"up and down at the edges stay", nullptr, {1, 1}, {{Qt::Key_Up, none}}, {1, 1}},
        {"home and end: first and last column", nullptr, {3, 5}, {{Qt::Key_End, none}}, {5, 5}},
        {"home: first column", nullptr, {3, 5}, {{Qt::Key_Home, none}}, {1, 5}},
        {"home and end by cell", [](TPlusStringGrid* g) { g->Navigation()->HomeEndKey = heFirstLastCell; },
         {3, 5}, {{Qt::Key_End, none}}, {5, 8}},
        {"home by cell", [](TPlusStringGrid* g) { g->Navigation()->HomeEndKey = heFirstLastCell; }, {3, 5},
         {{Qt::Key_Home, none}}, {1, 1}},
        {"home and end by row", [](TPlusStringGrid* g) { g->Navigation()->HomeEndKey = heFirstLastRow; }, {3, 5},
         {{Qt::Key_End, none}}, {3, 8}},
        {"ctrl+end: last row", nullptr, {3, 2}, {{Qt::Key_End, ctrl}}, {3, 8}},
        {"ctrl+home: first row", nullptr, {3, 7}, {{Qt::Key_Home, ctrl}}, {3, 1}},
        {"page down then page up", nullptr, {2, 1}, {{Qt::Key_PageDown, none}, {Qt::Key_PageUp, none}}, {2, 1}},
        {"page down to the last row", nullptr, {2, 1}, {{Qt::Key_PageDown, none}, {Qt::Key_PageDown, none}},
         {2, 8}},
        {"snake: right at the last column goes to the next row",
         [](TPlusStringGrid* g) { g->Navigation()->CursorAdvance = caSnake; }, {5, 2}, {{Qt::Key_Right, none}},
         {1, 3}},
        {"snake: left at the first column goes to the row above's last column",
         [](TPlusStringGrid* g) { g->Navigation()->CursorAdvance = caSnake; }, {1, 3}, {{Qt::Key_Left, none}},
         {5, 2}},
        {"loop: down at the last row wraps to the first",
         [](TPlusStringGrid* g) { g->Navigation()->CursorAdvance = caLoop; }, {2, 8}, {{Qt::Key_Down, none}},
         {2, 1}},
        {"scroll only: the cell stays", [](TPlusStringGrid* g) { g->Navigation()->MoveScrollOnly = true; }, {2, 2},
         {{Qt::Key_Down, none}, {Qt::Key_PageDown, none}}, {2, 2}},
        {"scroll only: left and right still move",
         [](TPlusStringGrid* g) { g->Navigation()->MoveScrollOnly = true; }, {2, 2}, {{Qt::Key_Right, none}},
         {3, 2}},
        {"disabled rows are skipped",
         [](TPlusStringGrid* g) {
             g->SetRowEnabled(3, false);
             g->SetRowEnabled(4, false);
         },
         {2, 2}, {{Qt::Key_Down, none}}, {2, 5}},
        {"tab without goTabs leaves the cell", nullptr, {1, 1}, {{Qt::Key_Tab, none}}, {1, 1}},
        {"tab", tabs, {1, 1}, {{Qt::Key_Tab, none}}, {2, 1}},
        {"tab over a merged range",
         [&](TPlusStringGrid* g) {
             tabs(g);
             merged(g);
         },
         {1, 3}, {{Qt::Key_Tab, none}, {Qt::Key_Tab, none}}, {5, 3}},
        {"shift+tab back onto the range's base",
         [&](TPlusStringGrid* g) {
             tabs(g);
             merged(g);
         },
         {5, 3}, {{Qt::Key_Backtab, shift}}, {2, 3}},
        {"tab at the end of a row goes to the next row", tabs, {5, 2}, {{Qt::Key_Tab, none}}, {1, 3}},
        {"tab at the last cell goes to the first data row",
         [&](TPlusStringGrid* g) {
             tabs(g);
             g->Navigation()->TabToNextAtEnd = true;
         },
         {5, 8}, {{Qt::Key_Tab, none}}, {1, 1}},
        {"shift+tab in the first data cell goes to the last cell", tabs, {1, 1}, {{Qt::Key_Backtab, shift}},
         {5, 8}},
        {"tab top to bottom",
         [&](TPlusStringGrid* g) {
             tabs(g);
             g->Navigation()->TabAdvanceDirection = adTopBottom;
         },
         {2, 2}, {{Qt::Key_Tab, none}}, {2, 3}},
    };
    for (const KeyCase& k : cases) {
        SCOPED_TRACE(k.name);
        TearDown();
        SetUp();
        if (k.setup)
            k.setup(grid);
        Go(k.start.col, k.start.row);
        for (const auto& [key, mods] : k.keys)
            Key(key, mods);
        EXPECT_EQ(Current(), k.expected);
    }
}

// Page Down (and Ctrl+End) walk to the last data row and no further: a footer row (fixed
// footers, or the floating footer's fixed last row) is never the current cell, with rows hidden
// too, and the last data row ends in full view; Page Up walks back to the first data row.
TEST_F(GridInput, PageKeysReachTheLastDataRowAndNeverTheFooter)
{
    struct Case {
        const char* name;
        int footers;         // FixedFooters set directly
        bool floatingFooter; // the floating footer's fixed last row
        bool hiddenRows;
    } cases[] = {
        {"no footer", 0, false, false},
        {"one fixed footer", 1, false, false},
        {"two fixed footers", 2, false, false},
        {"floating footer", 0, true, false},
        {"no footer, hidden rows", 0, false, true},
        {"one fixed footer, hidden rows", 1, false, true},
        {"floating footer, hidden rows", 0, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        grid->SetDefaultRowHeight(20);
        grid->SetRowCount(40);
        if (c.hiddenRows) {
            grid->HideRows(5, 9);
            grid->HideRow(30);
        }
        if (c.floatingFooter)
            grid->FloatingFooter()->SetVisible(true);
        else
            grid->SetFixedFooters(c.footers);
        const int lastData = grid->RowCount() - grid->FixedFooters() - 1;
        Go(2, 1);
        for (int i = 0; i < 8; ++i) {
            Key(Qt::Key_PageDown);
            ASSERT_LE(grid->Row(), lastData) << "after " << i + 1 << " pages";
        }
        EXPECT_EQ(grid->Row(), lastData);
        const TRect r = grid->CellRect(2, lastData);
        EXPECT_GT(r.Bottom, r.Top) << "the last data row is not in view";
        EXPECT_LE(r.Bottom, grid->ClientHeight() - (c.floatingFooter ? grid->FooterPanel()->Height() : 0));
        for (int i = 0; i < 8; ++i)
            Key(Qt::Key_PageUp);
        EXPECT_EQ(grid->Row(), 1);
        Key(Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(grid->Row(), lastData);
    }
}

TEST_F(GridInput, AKeyHandlerThatTakesTabKeepsTheCell)
{
    grid->SetOptions(grid->Options() + TGridOptions{goTabs});
    grid->OnKeyDown = [](TObject*, WORD& key, TShiftState) {
        if (key == VK_TAB)
            key = 0;
    };
    Go(2, 2);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Current(), (Cell{2, 2}));
}

TEST_F(GridInput, EnterOnAReadOnlyGridOnlyReportsTheKey)
{
    int seen = 0;
    grid->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { seen += key == VK_RETURN; };
    Go(2, 2);
    Key(Qt::Key_Return);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(Current(), (Cell{2, 2}));
    EXPECT_FALSE(EditorShown());
}

TEST_F(GridInput, EditingStartsByTypingOrF2AndEndsWithEnterOrEscape)
{
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    std::vector<String> validated;
    grid->OnCellValidate = [&](TObject*, int, int, String& value, bool&) { validated.push_back(value); };
    int done = 0;
    grid->OnEditCellDone = [&](TObject*, int, int) { ++done; };

    Go(2, 2);
    Type("xy");
    ASSERT_TRUE(EditorShown()) << "typing opens the editor with the character";
    EXPECT_EQ(grid->InplaceEditor()->Text(), "xy");
    Key(Qt::Key_Return);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(grid->Cells(2, 2), "xy");
    EXPECT_EQ(validated, std::vector<String>{"xy"});
    QApplication::processEvents();
    EXPECT_EQ(done, 1) << "the end of the edit is announced once, after the key";

    // F2 opens, Escape puts the text back without a change event
    Go(3, 3);
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    Type("zz");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(grid->Cells(3, 3), "D3");
    EXPECT_EQ(validated.size(), 1u);

    // an edit that leaves the text as it was fires no change event
    Go(4, 4);
    Key(Qt::Key_F2);
    Key(Qt::Key_Return);
    EXPECT_EQ(validated.size(), 1u);
    EXPECT_FALSE(grid->Modified && validated.size() > 1);
}

TEST_F(GridInput, ARefusedValueReopensTheEditorOnTheSameCell)
{
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    grid->OnCellValidate = [](TObject*, int, int, String& value, bool& valid) { valid = value != "bad"; };
    Go(2, 2);
    Type("bad");
    Key(Qt::Key_Down);
    EXPECT_EQ(Current(), (Cell{2, 2}));
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(grid->Cells(2, 2), "C2");
    EXPECT_FALSE(grid->LastValidationPassed);
    // the replacement a handler gives is shown in the reopened editor
    grid->OnCellValidate = [](TObject*, int, int, String& value, bool& valid) {
        if (value == "C2x") {
            value = "fixed";
            valid = false;
        }
    };
    Key(Qt::Key_End);
    Type("x");
    Key(Qt::Key_Down);
    EXPECT_EQ(Current(), (Cell{2, 2}));
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(grid->InplaceEditor()->Text(), "fixed");
}

TEST_F(GridInput, EnterWithAdvanceStepsOverAMergedRange)
{
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    grid->Navigation()->AdvanceOnEnter = true;
    grid->MergeCellRange(2, 3, 3, 1);
    Go(2, 3);
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    Key(Qt::Key_Return);
    EXPECT_EQ(Current(), (Cell{5, 3}));
    Key(Qt::Key_Return);
    EXPECT_EQ(Current(), (Cell{1, 4})) << "the end of the row goes on in the next";
    // the last data cell loops to the first
    Go(5, 8);
    Key(Qt::Key_F2);
    Key(Qt::Key_Return);
    EXPECT_EQ(Current(), (Cell{1, 1}));
}

TEST_F(GridInput, AdvanceAppendsARowAtTheEndAndAHandlerMayRedirectIt)
{
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    grid->Navigation()->AdvanceOnEnter = true;
    grid->Navigation()->SetAdvanceInsert(true);
    int added = -1;
    grid->OnAutoAddRow = [&](TObject*, int row) { added = row; };
    Go(5, 8);
    grid->AdvanceToNextCell(5, 8, false, false, true, false, false);
    EXPECT_EQ(grid->RowCount(), 10);
    EXPECT_EQ(added, 9);
    EXPECT_EQ(Current(), (Cell{1, 9}));

    grid->OnAutoAdvance = [](TObject*, int, int, int& newRow, int& newCol, bool&) {
        newRow = 6;
        newCol = 4;
    };
    grid->AdvanceToNextCell(1, 2, false, false, true, false, false);
    EXPECT_EQ(Current(), (Cell{4, 6}));
}

TEST_F(GridInput, TypingLooksUpTheSortedColumnUntilTheTextExpires)
{
    const char* names[] = {"apple", "apricot", "banana", "blue", "cherry", "damson", "elder", "fig"};
    for (int r = 1; r < 9; ++r)
        grid->SetCells(1, r, names[r - 1]);
    grid->SortSettings()->Column = 1;
    grid->Navigation()->AutoGotoWhenSorted = true;
    grid->Navigation()->AutoGotoIncremental = true;
    Go(3, 1);
    Type("b");
    EXPECT_EQ(grid->Row(), 3);
    Type("l");
    EXPECT_EQ(grid->Row(), 4) << "the typed text grows: \"bl\"";
    EXPECT_EQ(grid->IncrementalSearchText(), "bl");
    for (int tick = 0; tick < 3; ++tick)
        grid->Perform(WM_TIMER, TPlusStringGrid::GridTimerId, 0);
    EXPECT_EQ(grid->IncrementalSearchText(), "bl") << "three ticks: not yet";
    grid->Perform(WM_TIMER, TPlusStringGrid::GridTimerId, 0);
    EXPECT_EQ(grid->IncrementalSearchText(), "") << "the fourth tick forgets the text";
    Type("ap");
    EXPECT_EQ(grid->Row(), 1);
    Type("x");
    EXPECT_EQ(grid->IncrementalSearchText(), "") << "a text that finds nothing is dropped";
    EXPECT_EQ(grid->Row(), 1);
    // navigation keys forget it at once, Home does not
    Type("c");
    Key(Qt::Key_Home);
    EXPECT_EQ(grid->IncrementalSearchText(), "c");
    Key(Qt::Key_End);
    EXPECT_EQ(grid->IncrementalSearchText(), "");
    // without the incremental setting each character is looked up alone
    grid->Navigation()->AutoGotoIncremental = false;
    Type("bd");
    EXPECT_EQ(grid->Row(), 6);
}

TEST_F(GridInput, RowInsertAndDeleteKeysAskFirst)
{
    grid->Navigation()->AllowInsertRow = true;
    grid->Navigation()->AllowDeleteRow = true;
    bool allow = false;
    grid->OnCanInsertRow = [&](TObject*, int, bool& can) { can = allow; };
    grid->OnCanDeleteRow = [&](TObject*, int, bool& can) { can = allow; };
    Go(2, 4);
    Key(Qt::Key_Insert);
    Key(Qt::Key_Delete);
    EXPECT_EQ(grid->RowCount(), 9);
    allow = true;
    Key(Qt::Key_Insert);
    EXPECT_EQ(grid->RowCount(), 10);
    EXPECT_EQ(grid->Cells(2, 4), "");
    EXPECT_EQ(grid->Cells(2, 5), "C4");
    Key(Qt::Key_Delete);
    EXPECT_EQ(grid->RowCount(), 9);
    EXPECT_EQ(grid->Cells(2, 4), "C4");
}

// ---------------------------------------------------------------- wheel, panning, zoom

TEST_F(GridInput, WheelMovesTheRowByItsStepOrScrollsTheView)
{
    grid->MouseActions()->WheelIncrement = 3;
    Go(2, 1);
    Wheel(-1);
    EXPECT_EQ(grid->Row(), 4) << "a notch towards the user moves three rows down";
    Wheel(-1);
    Wheel(-1);
    EXPECT_EQ(grid->Row(), 8) << "held at the last row";
    Wheel(1);
    EXPECT_EQ(grid->Row(), 5);

    grid->MouseActions()->SetWheelAction(waScroll);
    grid->SetRowCount(40);
    Go(2, 1);
    const int top = grid->TopRow();
    Wheel(-1);
    EXPECT_EQ(grid->TopRow(), top + 3);
    EXPECT_EQ(grid->Row(), 1) << "scrolling leaves the current cell";
    Wheel(1);
    EXPECT_EQ(grid->TopRow(), top);

    // a grid of one row that stays fixed: nothing moves and nothing is passed on
    grid->MouseActions()->SetWheelAction(waMoveSelection);
    grid->FixedRowAlways = true;
    grid->SetRowCount(1);
    Wheel(-1);
    EXPECT_EQ(grid->RowCount(), 1);
}

TEST_F(GridInput, WheelOntoAMergedRangeStopsAtItsBase)
{
    grid->MouseActions()->WheelIncrement = 2;
    grid->MergeCellRange(1, 2, 2, 3);
    Go(2, 1);
    Wheel(-1);
    EXPECT_EQ(Current(), (Cell{1, 2}));
}

TEST_F(GridInput, CtrlWheelZoomsWithinItsLimits)
{
    grid->SetColWidths(3, 40);
    const int height = grid->RowHeights(2);
    Wheel(-1, Qt::ControlModifier);
    EXPECT_EQ(grid->ZoomLevel(), 3);
    EXPECT_EQ(grid->ColWidths(3), 43);
    EXPECT_EQ(grid->RowHeights(2), height + 3);
    for (int i = 0; i < 5; ++i)
        Wheel(-1, Qt::ControlModifier);
    EXPECT_EQ(grid->ZoomLevel(), 9) << "a step past 10 changes nothing";
    EXPECT_EQ(grid->ColWidths(3), 49);
    for (int i = 0; i < 10; ++i)
        Wheel(1, Qt::ControlModifier);
    EXPECT_EQ(grid->ZoomLevel(), -9);
    EXPECT_EQ(grid->ColWidths(3), 31);
    // a column that would become 0 wide keeps its width
    grid->SetColWidths(4, 1);
    grid->ZoomCells(-1);
    EXPECT_EQ(grid->ColWidths(4), 1);
    EXPECT_EQ(grid->ColWidths(3), 30);
    // without IntelliZoom Ctrl+wheel moves the row as usual
    grid->IntelliZoom = false;
    Go(2, 1);
    Wheel(-1, Qt::ControlModifier);
    EXPECT_EQ(grid->ZoomLevel(), -10);
    EXPECT_GT(grid->Row(), 1);
}

TEST_F(GridInput, MiddleButtonPansTowardsTheMouse)
{
    Go(2, 2);
    const QPoint anchor = Middle(2, 4);
    QTest::mousePress(grid->Host(), Qt::MiddleButton, Qt::NoModifier, anchor);
    ASSERT_TRUE(grid->Panning());
    EXPECT_EQ(grid->PanAnchor(), TPoint(anchor.x(), anchor.y()));
    auto step = [&](QPoint at) {
        QCursor::setPos(grid->Host()->mapToGlobal(at));
        grid->Perform(WM_TIMER, TPlusStringGrid::PanTimerId, 0);
    };
    step(anchor + QPoint(3, 4));
    EXPECT_EQ(Current(), (Cell{2, 2})) << "within 5 pixels of the anchor nothing moves";
    step(anchor + QPoint(0, 30));
    EXPECT_EQ(Current(), (Cell{2, 3}));
    step(anchor + QPoint(40, 30));
    EXPECT_EQ(Current(), (Cell{2, 4})) << "vertical panning ignores the horizontal distance";
    step(anchor + QPoint(0, -30));
    EXPECT_EQ(Current(), (Cell{2, 3}));
    for (int i = 0; i < 12; ++i)
        step(anchor + QPoint(0, 30));
    EXPECT_EQ(Current(), (Cell{2, 8})) << "never past the last data row";
    // any button press ends panning
    QTest::mouseClick(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(3, 3));
    EXPECT_FALSE(grid->Panning());
    // no panning without IntelliPan
    grid->IntelliPan = ipNone;
    QTest::mousePress(grid->Host(), Qt::MiddleButton, Qt::NoModifier, anchor);
    EXPECT_FALSE(grid->Panning());
    QTest::mouseRelease(grid->Host(), Qt::MiddleButton, Qt::NoModifier, anchor);
}

// ---------------------------------------------------------------- sizing and moving

TEST_F(GridInput, ColumnSizingStartsWithinItsThresholdAndReportsTheWidth)
{
    grid->SetOptions(grid->Options() + TGridOptions{goColSizing});
    const TRect header = grid->CellRect(2, 0);
    const int line = header.Right; // the grid line after column 2
    struct Case {
        int offset;
        bool sizes;
    } cases[] = {{-3, true}, {4, true}, {-4, false}, {5, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        grid->SetColWidths(2, 60);
        std::vector<int> sizing;
        grid->OnColumnSizing = [&](TObject*, int col, int width) { sizing.push_back(col * 1000 + width); };
        const QPoint at(line + c.offset, 5);
        QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseMove(grid->Host(), at + QPoint(20, 0));
        QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, at + QPoint(20, 0));
        EXPECT_EQ(grid->ColWidths(2), c.sizes ? 80 : 60);
        if (c.sizes) {
            ASSERT_FALSE(sizing.empty());
            EXPECT_EQ(sizing.back(), 2 * 1000 + 80);
        }
        grid->OnColumnSizing = nullptr;
    }
    // a release right of the grid leaves the width
    grid->SetColWidths(2, 60);
    const QPoint at(line, 5);
    QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseMove(grid->Host(), QPoint(grid->Width() + 10, 5));
    QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(grid->Width() + 10, 5));
    EXPECT_EQ(grid->ColWidths(2), 60);
    // a handler may refuse the sizing
    grid->OnColumnSize = [](TObject*, int, bool& allow) { allow = false; };
    QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseMove(grid->Host(), at + QPoint(20, 0));
    QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, at + QPoint(20, 0));
    EXPECT_EQ(grid->ColWidths(2), 60);
}

TEST_F(GridInput, ColumnMovingTakesTheSortAlongAndMayBeRefused)
{
    grid->SetOptions(grid->Options() + TGridOptions{goColMoving});
    grid->SortSettings()->Column = 3;
    auto drag = [&](int from, int to) {
        QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(from, 0));
        QTest::mouseMove(grid->Host(), Middle(to, 0));
        QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(to, 0));
    };
    drag(1, 3);
    EXPECT_EQ(grid->Cells(3, 1), "B1");
    EXPECT_EQ(grid->Cells(2, 1), "D1");
    EXPECT_EQ(grid->SortSettings()->Column, 2) << "the sort stays on the data that moved left";
    grid->OnColumnMove = [](TObject*, int, bool& allow) { allow = false; };
    drag(3, 5);
    EXPECT_EQ(grid->Cells(3, 1), "B1");
}

TEST_F(GridInput, HeaderDoubleClickOnAnEdgeFitsTheColumnToItsText)
{
    grid->SetOptions(grid->Options() + TGridOptions{goColSizing});
    grid->SetCells(2, 4, "a much longer text than the column shows");
    const TRect header = grid->CellRect(3, 0);
    QTest::mouseDClick(grid->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(header.Left + 2, 5));
    EXPECT_GT(grid->ColWidths(2), 150);
}

// ---------------------------------------------------------------- sort by a header click

class GridSortClick : public GridInput {
protected:
    void SetUp() override
    {
        GridInput::SetUp();
        const char* a[] = {"3", "1", "2", "1", "3", "2", "1", "2"};
        const char* b[] = {"x", "y", "z", "x", "y", "z", "w", "w"};
        for (int r = 1; r < 9; ++r) {
            grid->SetCells(1, r, a[r - 1]);
            grid->SetCells(2, r, b[r - 1]);
            grid->SetCells(0, r, IntToStr(r));
        }
        grid->SortSettings()->Show = true;
    }
    String Column(int col)
    {
        String text;
        for (int r = 1; r < grid->RowCount(); ++r)
            text += grid->Cells(col, r);
        return text;
    }
    void ClickHeader(int col, Qt::KeyboardModifiers mods = Qt::NoModifier, int x = -1)
    {
        const TRect r = grid->CellRect(col, 0);
        const QPoint at(x >= 0 ? x : (r.Left + r.Right) / 2, 6);
        QTest::mouseClick(grid->Host(), Qt::LeftButton, mods, at);
    }
};

TEST_F(GridSortClick, HeaderClicksSortAscendingThenDescending)
{
    std::vector<int> sorted;
    grid->OnClickSort = [&](TObject*, int col) { sorted.push_back(col); };
    ClickHeader(1);
    EXPECT_EQ(Column(1), "11122233");
    ClickHeader(1);
    EXPECT_EQ(Column(1), "33222111");
    ClickHeader(1);
    EXPECT_EQ(Column(1), "11122233");
    EXPECT_EQ(sorted, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(grid->SortSettings()->Column, 1);
}

TEST_F(GridSortClick, ShiftClicksBuildAnIndexOfSeveralColumns)
{
    grid->SortSettings()->IndexShow = true;
    ClickHeader(1);
    ClickHeader(2, Qt::ShiftModifier);
    TSortIndexList* index = grid->SortIndexList();
    ASSERT_EQ(index->Count(), 2);
    EXPECT_EQ(index->ColumnAt(0), 1);
    EXPECT_EQ(index->ColumnAt(1), 2);
    EXPECT_EQ(Column(1) + "|" + Column(2), "11122233|wxywzzxy");
    ClickHeader(2, Qt::ShiftModifier);
    EXPECT_FALSE(index->AscendingAt(1)) << "a second Shift-click turns the column round, in its place";
    EXPECT_EQ(Column(1) + "|" + Column(2), "11122233|yxwzzwyx");
    ClickHeader(2);
    ASSERT_EQ(index->Count(), 1) << "a plain click sorts by the column alone";
    EXPECT_EQ(index->ColumnAt(0), 2);
    EXPECT_TRUE(index->AscendingAt(0));
    ClickHeader(2);
    EXPECT_EQ(index->Count(), 1);
    EXPECT_FALSE(index->AscendingAt(0)) << "the only sorted column clicked again turns round";
    EXPECT_EQ(grid->SortSettings()->Column, 2);
}

TEST_F(GridSortClick, ClicksThatAreNotSortClicksLeaveTheOrder)
{
    grid->SetOptions(grid->Options() + TGridOptions{goColSizing});
    const String before = Column(1);
    const TRect r = grid->CellRect(1, 0);
    ClickHeader(1, Qt::NoModifier, r.Right - 3);
    EXPECT_EQ(Column(1), before) << "a release 3 pixels from the edge belongs to column sizing";
    ClickHeader(1, Qt::NoModifier, r.Left + 3);
    EXPECT_EQ(Column(1), before);
    ClickHeader(1, Qt::NoModifier, r.Right - 4);
    EXPECT_EQ(Column(1), "11122233") << "4 pixels away it sorts";

    // a press in a data row released on the header
    grid->SetCells(1, 1, "9");
    QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(1, 2));
    QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(1, 0));
    EXPECT_EQ(grid->Cells(1, 1), "9");
    // a handler may refuse
    grid->OnCanSort = [](TObject*, int, bool& doSort) { doSort = false; };
    ClickHeader(1);
    EXPECT_EQ(grid->Cells(1, 1), "9");
    grid->OnCanSort = nullptr;
    // a grid of a header and one row does not sort
    grid->SetRowCount(2);
    grid->SetCells(1, 1, "b");
    ClickHeader(1);
    EXPECT_EQ(grid->SortSettings()->Column, 1);
    // without sort indicators nothing sorts
    grid->SetRowCount(4);
    grid->SortSettings()->Show = false;
    grid->SetCells(1, 1, "9");
    ClickHeader(1);
    EXPECT_EQ(grid->Cells(1, 1), "9");
}

TEST_F(GridSortClick, AColumnSizedOrMovedByTheReleaseIsNotSorted)
{
    grid->SetOptions(grid->Options() + TGridOptions{goColSizing, goColMoving});
    const String before = Column(1);
    const TRect r = grid->CellRect(1, 0);
    QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(r.Right, 6));
    QTest::mouseMove(grid->Host(), QPoint(r.Right + 30, 6));
    QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(r.Right + 30, 6));
    EXPECT_EQ(grid->ColWidths(1), 90);
    EXPECT_EQ(Column(1), before);
    QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(1, 0));
    QTest::mouseMove(grid->Host(), Middle(3, 0));
    QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(3, 0));
    EXPECT_EQ(Column(3), before) << "moved, not sorted";
}

// ---------------------------------------------------------------- cells and the current cell

TEST_F(GridInput, APressOnAMergedRangeSelectsItsBaseCell)
{
    grid->MergeCellRange(2, 3, 2, 2);
    QTest::mouseClick(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(3, 4));
    EXPECT_EQ(Current(), (Cell{2, 3}));
    // also while a handler listens to presses
    grid->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) {};
    Go(1, 1);
    QTest::mouseClick(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(3, 4));
    EXPECT_EQ(Current(), (Cell{2, 3}));
    // a handler may refuse a press
    grid->OnCanClickCell = [](TObject*, int, int, bool& allow) { allow = false; };
    QTest::mouseClick(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(1, 6));
    EXPECT_EQ(Current(), (Cell{2, 3}));
}

TEST_F(GridInput, ClickCellReportsPressesAwayFromHeaderEdges)
{
    grid->SetOptions(grid->Options() + TGridOptions{goColSizing});
    std::vector<std::pair<int, int>> clicks;
    grid->OnClickCell = [&](TObject*, int row, int col) { clicks.push_back({col, row}); };
    QTest::mouseClick(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(2, 3));
    const TRect header = grid->CellRect(2, 0);
    QTest::mouseClick(grid->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(header.Left + 2, 5));
    QTest::mouseClick(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(2, 0));
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{2, 3}, {2, 0}}));
}

// ---------------------------------------------------------------- hints and graphic sizes

TEST_F(GridInput, HintsShowBelowTheCellOrAtACommentsCorner)
{
    auto hintAt = [&](int col, int row, String& text) {
        THintInfo info;
        const TRect r = grid->CellRect(col, row);
        info.CursorPos = TPoint(r.Left + 5, r.Top + 3);
        info.HintStr = "grid hint";
        EXPECT_EQ(grid->Perform(CM_HINTSHOW, 0, LPARAM(&info)), 0);
        text = info.HintStr;
        return grid->ScreenToClient(info.HintPos);
    };
    String text;
    const TRect r = grid->CellRect(2, 3);
    EXPECT_EQ(hintAt(2, 3, text), TPoint(r.Left + 5, r.Bottom + 6));
    EXPECT_EQ(text, "grid hint");
    grid->AddComment(3, 3, "a remark");
    const TRect c = grid->CellRect(3, 3);
    EXPECT_EQ(hintAt(3, 3, text), TPoint(c.Right, c.Top));
    EXPECT_EQ(text, "a remark");
    grid->HintShowLargeText = true;
    grid->SetCells(4, 3, "a text much wider than the sixty pixels of its column");
    const TRect l = grid->CellRect(4, 3);
    EXPECT_EQ(hintAt(4, 3, text).Y, l.Top);
    EXPECT_EQ(text, "a text much wider than the sixty pixels of its column");
    hintAt(2, 3, text);
    EXPECT_EQ(text, "grid hint") << "a text that fits keeps the grid's hint";
}

TEST_F(GridInput, GraphicSizesFollowTheirKindAndAlignment)
{
    grid->AddButton(1, 2, 80, 20, "Go", haLeft, vaTop);
    grid->SetCells(1, 2, "");
    grid->AddButton(2, 2, 80, 20, "Go", haCenter, vaTop);
    grid->AddRating(3, 2, 5, clYellow, clWhite);
    grid->CellProperties(3, 2);
    grid->AddCheckBox(4, 2, true);
    TPoint size;
    grid->GetCellGraphicSize(1, 2, size);
    EXPECT_EQ(size, TPoint(80, 20));
    grid->GetCellGraphicSize(2, 2, size);
    EXPECT_EQ(size.X, 0) << "a centred button beside text counts no width";
    grid->GetCellGraphicSize(3, 2, size);
    EXPECT_EQ(size, TPoint(90, 16));
    grid->GetCellGraphicSize(5, 5, size);
    EXPECT_EQ(size, TPoint(0, 0));

    grid->Multilinecells = true;
    grid->SetCells(1, 6, "a");
    grid->SetCells(2, 6, "b\rc");
    grid->SetCells(3, 6, "");
    EXPECT_EQ(grid->MaxRowLineCount(6), 2);
    grid->Multilinecells = false;
    EXPECT_EQ(grid->MaxRowLineCount(6), 1);
}

// ---------------------------------------------------------------- the project summary's grid

// Configured as the project summary window configures its grid: read-only, whole rows
// selected, columns sized and moved by the user, sorted by header clicks with the index shown.
class SummaryGrid : public GridSortClick {
protected:
    void SetUp() override
    {
        GridSortClick::SetUp();
        grid->SetFixedCols(0);
        grid->SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing,
                                      goColMoving, goRowSelect});
        grid->SortSettings()->Show = true;
        grid->SortSettings()->IndexShow = true;
        grid->SetHint("Click on column header to sort on that column and <Shift> click for two or more columns");
        grid->ShowHint = true;
        for (int c = 0; c < grid->ColCount(); ++c)
            grid->SetCells(c, 0, String("COL") + IntToStr(c));
        grid->SetCol(0);
        grid->SetLeftCol(0);
    }
};

TEST_F(SummaryGrid, ReadOnlyRowsSelectedWholeSizedMovedAndSortedByClicks)
{
    Go(2, 1);
    Type("a");
    Key(Qt::Key_F2);
    Key(Qt::Key_Return);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(grid->Cells(2, 1), "x");
    Key(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 2);
    const TGridRect s = grid->Selection();
    EXPECT_EQ(s.Left, 0);
    EXPECT_EQ(s.Right, grid->ColCount() - 1);
    EXPECT_EQ(s.Top, 2);

    ClickHeader(1);
    ClickHeader(2, Qt::ShiftModifier);
    EXPECT_EQ(Column(1) + "|" + Column(2), "11122233|wxywzzxy");
    EXPECT_EQ(grid->SortIndexList()->Count(), 2);

    const TRect header = grid->CellRect(1, 0);
    QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(header.Right, 6));
    QTest::mouseMove(grid->Host(), QPoint(header.Right + 25, 6));
    QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(header.Right + 25, 6));
    EXPECT_EQ(grid->ColWidths(1), 85);
    EXPECT_EQ(Column(1) + "|" + Column(2), "11122233|wxywzzxy") << "sizing does not sort";

    QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(4, 0));
    QTest::mouseMove(grid->Host(), Middle(0, 0));
    QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(0, 0));
    EXPECT_EQ(grid->Cells(0, 0), "COL4");
    EXPECT_EQ(grid->SortIndexList()->ColumnAt(0), 2) << "the sort index follows the moved columns";
    EXPECT_EQ(grid->SortIndexList()->ColumnAt(1), 3);

    // the picture: the sorted headers show their places, the current row is highlighted
    grid->Repaint();
    QApplication::processEvents();
    const QImage picture = grid->Host()->grab().toImage();
    EXPECT_FALSE(picture.isNull());
    picture.save(QString::fromStdString(quelmtest::PicturePath("summary_grid.png")));
}

// ---------------------------------------------------------------- no sequence breaks the current cell

// Random keys, wheel turns and presses on a grid with fixed rows and columns, footers, hidden
// rows and merged ranges: after each, the current cell lies inside the grid's scrolled cells,
// on a shown row and column and, in a merged range, on its base cell.
TEST_F(GridInput, NoKeyOrMouseSequenceLeavesTheCurrentCellOutOfPlace)
{
    grid->SetColCount(9);
    grid->SetRowCount(30);
    grid->SetFixedRows(2);
    grid->SetFixedCols(1);
    grid->SetFixedFooters(1);
    grid->HideRows(6, 8);
    grid->HideRow(15);
    ASSERT_TRUE(grid->MergeCellRange(2, 3, 3, 2));
    ASSERT_TRUE(grid->MergeCellRange(5, 9, 2, 4));
    ASSERT_TRUE(grid->MergeCellRange(1, 12, 1, 3));
    ASSERT_TRUE(grid->MergeCellRange(7, 2, 2, 2));
    grid->SetOptions(grid->Options() + TGridOptions{goTabs, goColSizing, goColMoving, goRangeSelect});
    grid->Navigation()->AdvanceOnEnter = true;
    grid->MouseActions()->WheelIncrement = 2;

    std::mt19937 random(20261210);
    const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,   Qt::Key_Home,
                            Qt::Key_End,  Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Tab, Qt::Key_Return};
    const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier};
    for (int step = 0; step < 1500; ++step) {
        const int what = int(random() % 10);
        std::string done;
        if (what < 6) {
            const Qt::Key key = keys[random() % std::size(keys)];
            const Qt::KeyboardModifiers mod = mods[random() % std::size(mods)];
            done = "key " + std::to_string(int(key)) + " mods " + std::to_string(int(mod));
            QTest::keyClick(Target(), key == Qt::Key_Tab && mod == Qt::ShiftModifier ? Qt::Key_Backtab : key, mod);
        } else if (what < 7) {
            const int n = random() % 2 ? 1 : -1;
            done = "wheel " + std::to_string(n);
            Wheel(n);
        } else {
            const QPoint at(int(random() % 520), int(random() % 310));
            done = "click " + std::to_string(at.x()) + "," + std::to_string(at.y());
            QTest::mouseClick(grid->Host(), Qt::LeftButton, mods[random() % std::size(mods)], at);
        }
        const int col = grid->Col(), row = grid->Row();
        ASSERT_TRUE(col >= grid->FixedCols() && col < grid->ColCount() && row >= grid->FixedRows() &&
                    row < grid->RowCount())
            << "step " << step << " " << done << ": " << col << "," << row;
        ASSERT_GT(grid->ColWidths(col), 0) << "step " << step << " " << done;
        ASSERT_GT(grid->RowHeights(row), 0) << "step " << step << " " << done;
        ASSERT_TRUE(grid->IsBaseOrPlainCell(col, row))
            << "step " << step << " " << done << ": inside a merged range at " << col << "," << row;
    }
}

} // namespace
