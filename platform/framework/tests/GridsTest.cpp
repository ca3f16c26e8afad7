#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Grids.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class CountingGrid : public TStringGrid {
public:
    using TStringGrid::TStringGrid;
    std::map<std::pair<int, int>, int> drawn;
    int topLeftChanges = 0;
    void DrawCell(int c, int r, const TRect& rect, TGridDrawState s) override
    {
        ++drawn[{c, r}];
        TStringGrid::DrawCell(c, r, rect, s);
    }
    void TopLeftChanged() override
    {
        ++topLeftChanges;
        TStringGrid::TopLeftChanged();
    }
};

struct GridForm {
    GridForm()
    {
        form.SetClientWidth(400);
        form.SetClientHeight(300);
        grid = new CountingGrid(&form);
        grid->SetParent(&form);
        grid->SetBounds(0, 0, 300, 200);
        grid->SetColCount(10);
        grid->SetRowCount(20);
        form.Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
        grid->SetFocus();
        QApplication::processEvents();
    }
    void Paint()
    {
        grid->drawn.clear();
        grid->Invalidate();
        grid->Update();
    }
    TForm form{nullptr};
    CountingGrid* grid = nullptr;
};

} // namespace

TEST(Grids, GeometryWithFixedCellsAndScrolling)
{
    GridForm f;
    auto* g = f.grid;
    g->SetGridLineWidth(1);
    EXPECT_EQ(g->CellRect(0, 0), TRect(0, 0, 64, 24));
    EXPECT_EQ(g->CellRect(2, 3), TRect(130, 75, 194, 99));
    int col = -1, row = -1;
    g->MouseToCell(131, 76, col, row);
    EXPECT_EQ(col, 2);
    EXPECT_EQ(row, 3);
    g->SetLeftCol(3);
    EXPECT_TRUE(g->CellRect(2, 3).IsEmpty()); // scrolled out of view
    EXPECT_EQ(g->CellRect(3, 3).Left, 65);    // right after the fixed column
    g->MouseToCell(70, 10, col, row);
    EXPECT_EQ(col, 3);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(g->topLeftChanges, 1);
    g->MouseToCell(-1, 5, col, row);
    EXPECT_EQ(col, -1);
}

TEST(Grids, PaintDrawsEveryVisibleCellOnceAndFillsTheRest)
{
    GridForm f;
    auto* g = f.grid;
    g->SetColCount(3);
    g->SetRowCount(3);
    g->SetGridLineWidth(0);
    g->SetColor(clYellow);
    f.Paint();
    EXPECT_EQ(g->drawn.size(), 9u);
    for (const auto& [cell, count] : g->drawn)
        EXPECT_EQ(count, 1) << cell.first << "," << cell.second;
    const QImage* image = g->ControlHost()->SurfaceImage();
    EXPECT_EQ(image->pixelColor(250, 150), QColor(255, 255, 0)); // beyond the cells
    EXPECT_EQ(image->pixelColor(5, 5), ColorRefToQColor(GetSysColor(COLOR_BTNFACE))); // fixed cell
}

TEST(Grids, KeysMoveTheCurrentCellWithinTheGridAndScroll)
{
    GridForm f;
    auto* g = f.grid;
    struct Step {
        WORD key;
        TShiftState shift;
        int col, row;
    };
    const Step steps[] = {
        {VK_DOWN, {}, 1, 2}, {VK_RIGHT, {}, 2, 2}, {VK_LEFT, {}, 1, 2}, {VK_LEFT, {}, 1, 2},
        {VK_UP, {}, 1, 1},   {VK_UP, {}, 1, 1},    {VK_END, {}, 9, 1},  {VK_HOME, {}, 1, 1},
    };
    for (const Step& s : steps) {
        WORD key = s.key;
        g->Perform(WM_KEYDOWN, key, 0);
        EXPECT_EQ(g->Col(), s.col) << s.key;
        EXPECT_EQ(g->Row(), s.row) << s.key;
    }
    // Ctrl+End through a real key event: the last row
    QTest::keyClick(g->Host(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(g->Row(), 19);
    EXPECT_GT(g->TopRow(), 1); // the last row was scrolled into view
    EXPECT_LE(g->TopRow() + g->VisibleRowCount() - 1, 19);
    EXPECT_GE(g->TopRow() + g->VisibleRowCount() - 1, 19);
}

TEST(Grids, SelectCellCanRefuseAndWheelMovesTheRow)
{
    GridForm f;
    auto* g = f.grid;
    g->OnSelectCell = [](TObject*, int c, int, bool& can) { can = c != 2; };
    g->SetCol(2);
    EXPECT_EQ(g->Col(), 1);
    g->SetCol(3);
    EXPECT_EQ(g->Col(), 3);
    QWheelEvent wheel(QPointF(5, 5), QPointF(g->Host()->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(g->Host(), &wheel);
    EXPECT_EQ(g->Row(), 2);
}

TEST(Grids, CellStoreReachesBeyondTheColumnCountAndMovesWithColumns)
{
    GridForm f;
    auto* g = f.grid;
    g->SetCells(25, 3, "hidden");
    EXPECT_EQ(g->Cells(25, 3), "hidden");
    EXPECT_EQ(g->Cells(40, 40), "");
    TObject marker;
    g->SetObjects(2, 2, &marker);
    g->SetCells(2, 1, "two");
    g->MoveColumn(2, 4);
    EXPECT_EQ(g->Cells(4, 1), "two");
    EXPECT_EQ(g->Objects(4, 2), &marker);
    int objects = 0;
    g->ForEachObject([&](int, int, TObject*) { ++objects; });
    EXPECT_EQ(objects, 1);
}

TEST(Grids, TypingStartsTheInplaceEditorWhichWritesTheCell)
{
    GridForm f;
    auto* g = f.grid;
    g->SetOptions(g->Options() + TGridOptions{goEditing});
    QTest::keyClick(g->Host(), Qt::Key_X);
    ASSERT_TRUE(g->EditorMode());
    ASSERT_NE(g->InplaceEditor(), nullptr);
    EXPECT_EQ(g->Cells(1, 1), "x");
    QTest::keyClicks(g->InplaceEditor()->Host(), "yz");
    EXPECT_EQ(g->Cells(1, 1), "xyz");
    QTest::keyClick(g->InplaceEditor()->Host(), Qt::Key_Down); // leaves the cell
    EXPECT_EQ(g->Row(), 2);
    EXPECT_FALSE(g->InplaceEditor()->Visible());
    QTest::keyClick(g->Host(), Qt::Key_F2);
    ASSERT_TRUE(g->InplaceEditor()->Visible());
    QTest::keyClicks(g->InplaceEditor()->Host(), "abc");
    QTest::keyClick(g->InplaceEditor()->Host(), Qt::Key_Escape); // takes the change back
    EXPECT_EQ(g->Cells(1, 2), "");
}

TEST(Grids, ScrollBarsColumnSizingAndMoving)
{
    GridForm f;
    auto* g = f.grid;
    g->SetOptions(g->Options() + TGridOptions{goColSizing, goColMoving});
    const int top = g->TopRow();
    g->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(g->TopRow(), top + 1);
    EXPECT_EQ(GetScrollPos(g->Handle(), SB_VERT), top + 1);
    g->Perform(WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(g->TopRow() + g->VisibleRowCount(), g->RowCount());
    // drag the right edge of column 1 in the fixed row 20 pixels to the right
    const TRect c1 = g->CellRect(1, 0);
    QTest::mousePress(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(c1.Right, 5));
    QTest::mouseMove(g->Host(), QPoint(c1.Right + 20, 5));
    QTest::mouseRelease(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(c1.Right + 20, 5));
    EXPECT_EQ(g->ColWidths(1), 64 + 20);
    // drag the header of column 1 onto column 3: the column and its cells move
    g->SetCells(1, 1, "moving");
    QTest::mousePress(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(c1.Left + 10, 5));
    const TRect c3 = g->CellRect(3, 0);
    QTest::mouseRelease(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(c3.Left + 10, 5));
    EXPECT_EQ(g->Cells(3, 1), "moving");
    EXPECT_EQ(g->ColWidths(3), 84);
}

TEST(Grids, ColumnsAndRowsAsStringLists)
{
    GridForm f;
    auto* g = f.grid;
    g->SetColCount(3);
    g->SetRowCount(3);
    g->Rows(1)->SetCommaText("a,b,c");
    EXPECT_EQ(g->Cells(0, 1), "a");
    EXPECT_EQ(g->Cells(2, 1), "c");
    EXPECT_EQ(g->Cols(2)->Count(), 3);
    EXPECT_EQ(g->Cols(2)->Get(1), "c");
    g->Cols(0)->Clear();
    EXPECT_EQ(g->Cells(0, 1), "");
    EXPECT_EQ(g->Cols(0)->Add("x"), 0);
    EXPECT_THROW(g->Rows(0)->Insert(0, "y"), EInvalidGridOperation);
}

namespace {

// A grid that refuses to size column 2 and counts the sizing line's showings and hidings.
class SizingGrid : public TStringGrid {
public:
    using TStringGrid::TStringGrid;
    int lineDrawn = 0;
    std::vector<int> linePositions;
    using TStringGrid::CalcSizingState;
    using TStringGrid::MoveColRow;
    void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                         TGridDrawInfo& FixedInfo) override
    {
        TStringGrid::CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs, FixedInfo);
        if (State == gsColSizing && Index == 2)
            State = gsNormal;
    }
    void DrawSizingLine(const TGridDrawInfo& DrawInfo) override
    {
        ++lineDrawn;
        linePositions.push_back(SizingPos());
        TStringGrid::DrawSizingLine(DrawInfo);
    }
};

struct SizingForm {
    SizingForm()
    {
        form.SetClientWidth(400);
        form.SetClientHeight(300);
        grid = new SizingGrid(&form);
        grid->SetParent(&form);
        grid->SetBounds(0, 0, 300, 200);
        grid->SetColCount(10);
        grid->SetRowCount(20);
        grid->SetOptions(grid->Options() + TGridOptions{goColSizing, goRowSizing, goRangeSelect});
        form.Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
        QApplication::processEvents();
    }
    TForm form{nullptr};
    SizingGrid* grid = nullptr;
};

} // namespace

// The sizing rule: a column edge counts in the fixed rows from (7 - line width) / 2 pixels
// before its line to 7 after that start (wide lines: on the line); row edges likewise in the
// fixed columns; edges of fixed cells never size.
TEST(Grids, CalcSizingStateFindsEdgesOfScrolledColumnsAndRows)
{
    SizingForm f;
    auto* g = f.grid;
    struct Case {
        int lineWidth, x, y;
        TGridState state;
        int index, pos, ofs;
    };
    // line width 1: column 1's line at 65 + 64 = 129, row 1's at 25 + 24 = 49
    // line width 8: column 1's line at 72 + 64 = 136, row 1's at 32 + 24 = 56
    const Case cases[] = {
        {1, 126, 5, gsColSizing, 1, 129, 3},   {1, 125, 5, gsNormal, -1, 0, 0},
        {1, 133, 5, gsColSizing, 1, 129, -4},  {1, 134, 5, gsNormal, -1, 0, 0},
        {1, 129, 30, gsNormal, -1, 0, 0},      // below the fixed row
        {1, 64, 5, gsNormal, -1, 0, 0},        // the fixed column's edge
        {1, 5, 46, gsRowSizing, 1, 49, 3},     {1, 5, 53, gsRowSizing, 1, 49, -4},
        {1, 5, 45, gsNormal, -1, 0, 0},        {1, 100, 49, gsNormal, -1, 0, 0},
        {1, 5, 24, gsNormal, -1, 0, 0},        // the fixed row's edge
        {8, 135, 5, gsNormal, -1, 0, 0},       {8, 136, 5, gsColSizing, 1, 136, 0},
        {8, 144, 5, gsColSizing, 1, 136, -8},  {8, 145, 5, gsNormal, -1, 0, 0},
        {8, 5, 60, gsRowSizing, 1, 56, -4},
    };
    for (const Case& c : cases) {
        g->SetGridLineWidth(c.lineWidth);
        TGridDrawInfo info;
        TGridState state = gsSelecting;
        int index = 99, pos = 0, ofs = 0;
        g->CalcSizingState(c.x, c.y, state, index, pos, ofs, info);
        const std::string where = std::to_string(c.lineWidth) + ": " + std::to_string(c.x) + "," + std::to_string(c.y);
        EXPECT_EQ(state, c.state) << where;
        EXPECT_EQ(info.Horz.FixedBoundary, 64 + c.lineWidth) << where;
        if (c.state == gsNormal)
            continue;
        EXPECT_EQ(index, c.index) << where;
        EXPECT_EQ(pos, c.pos) << where;
        EXPECT_EQ(ofs, c.ofs) << where;
    }
}

// A press on an edge shows the sizing line, each move moves it, the release hides it and sets
// the size from the line; an override that refuses a column keeps it from being sized.
TEST(Grids, SizingDrawsTheLineAndAnOverrideCanRefuseAColumn)
{
    SizingForm f;
    auto* g = f.grid;
    QTest::mousePress(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(127, 5)); // 2 before the line
    EXPECT_EQ(g->GridState(), gsColSizing);
    EXPECT_EQ(g->lineDrawn, 1);
    QApplication::processEvents();
    const QImage shown = g->Host()->grab().toImage();
    QTest::mouseMove(g->Host(), QPoint(157, 5));
    EXPECT_EQ(g->lineDrawn, 3); // hidden, then shown at the new place
    EXPECT_EQ(g->linePositions.back(), 159);
    QTest::mouseRelease(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(157, 5));
    EXPECT_EQ(g->lineDrawn, 4);
    EXPECT_EQ(g->GridState(), gsNormal);
    EXPECT_EQ(g->ColWidths(1), 64 + 30);
    // the line was drawn inverted over the cells while shown
    const QColor onLine = shown.pixelColor(129, 100), beside = shown.pixelColor(120, 100);
    EXPECT_NE(onLine, beside);

    const int col2Line = g->CellRect(2, 0).Right;
    QTest::mousePress(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(col2Line, 5));
    EXPECT_NE(g->GridState(), gsColSizing);
    QTest::mouseRelease(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(col2Line + 30, 5));
    EXPECT_EQ(g->ColWidths(2), 64);
    // rows size from the fixed column
    QTest::mousePress(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 49));
    EXPECT_EQ(g->GridState(), gsRowSizing);
    QTest::mouseRelease(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 59));
    EXPECT_EQ(g->RowHeights(1), 34);
}

// The drag-scroll timer scrolls while the mouse is held beyond the last visible row and the
// current cell follows; it stops with the release. Cancel mode ends a sizing.
TEST(Grids, DragScrollTimerScrollsWhileTheMouseIsBeyondTheGrid)
{
    SizingForm f;
    auto* g = f.grid;
    const TRect cell = g->CellRect(2, 2);
    QTest::mousePress(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(cell.Left + 5, cell.Top + 5));
    EXPECT_EQ(g->GridState(), gsSelecting);
    QTest::mouseMove(g->Host(), QPoint(cell.Left + 5, g->ClientHeight() + 20));
    QTest::qWait(400);
    EXPECT_GT(g->TopRow(), 1);
    EXPECT_GT(g->Row(), g->TopRow());
    EXPECT_EQ(g->Selection().Top, 2); // the anchor stays, the range grows
    QTest::mouseRelease(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(cell.Left + 5, g->ClientHeight() + 20));
    const int top = g->TopRow();
    QTest::qWait(200);
    EXPECT_EQ(g->TopRow(), top);

    QTest::mousePress(g->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(129, 5));
    ASSERT_EQ(g->GridState(), gsColSizing);
    g->Perform(WM_CANCELMODE, 0, 0);
    EXPECT_EQ(g->GridState(), gsNormal);
    EXPECT_EQ(g->lineDrawn % 2, 0); // the line is hidden again
}

// MoveColRow moves the current cell without the anchor; InvalidateEditor reloads the shown
// editor from the cell.
TEST(Grids, MoveColRowAndInvalidateEditor)
{
    SizingForm f;
    auto* g = f.grid;
    g->SetOptions(g->Options() + TGridOptions{goEditing});
    g->MoveColRow(2, 2, false, true);
    EXPECT_EQ(g->Col(), 2);
    EXPECT_EQ(g->Selection().Left, 1); // the anchor stayed at (1, 1)
    EXPECT_EQ(g->Selection().Bottom, 2);
    g->MoveColRow(3, 3, true, true);
    EXPECT_EQ(g->Selection().Left, 3);
    g->SetCells(3, 3, "first");
    g->ShowEditor();
    ASSERT_NE(g->InplaceEditor(), nullptr);
    EXPECT_EQ(g->InplaceEditor()->Text(), "first");
    g->SetCells(3, 3, "second");
    EXPECT_EQ(g->InplaceEditor()->Text(), "first");
    g->InvalidateEditor();
    EXPECT_EQ(g->InplaceEditor()->Text(), "second");
}
