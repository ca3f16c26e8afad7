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
    std::vector<std::pair<int, int>> sizeChanges; // the counts SizeChanged was given
    using TStringGrid::SetGridState;
    using TStringGrid::TimedScroll;
    void SizeChanged(int oldColCount, int oldRowCount) override { sizeChanges.emplace_back(oldColCount, oldRowCount); }
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

namespace {

// One axis of the grid through its public names, so that one case runs on the columns and on
// the rows: "along" indexes the axis' lines, "across" the other axis.
struct GridAxisNames {
    const char* name;
    bool columns;
    int (TCustomGrid::*count)() const;
    void (TCustomGrid::*setCount)(int);
    int (TCustomGrid::*fixed)() const;
    void (TCustomGrid::*setFixed)(int);
    int (TCustomGrid::*size)(int) const;
    void (TCustomGrid::*setSize)(int, int);
    void (TCustomGrid::*setDefaultSize)(int);
    int (TCustomGrid::*current)() const;
    void (TCustomGrid::*setCurrent)(int);
    int (TCustomGrid::*first)() const;
    void (TCustomGrid::*setFirst)(int);
    int (TCustomGrid::*visible)() const;
    void (TCustomGrid::*move)(int, int);
    void (TCustomGrid::*remove)(int);
    UINT scrollMessage;
    int bar;
    TGridOption line, fixedLine;

    String Cell(const TStringGrid& g, int along, int across) const
    {
        return columns ? g.Cells(along, across) : g.Cells(across, along);
    }
    void SetCell(TStringGrid& g, int along, int across, const String& s) const
    {
        columns ? g.SetCells(along, across, s) : g.SetCells(across, along, s);
    }
    TRect Rect(const TCustomGrid& g, int along, int across) const
    {
        return columns ? g.CellRect(along, across) : g.CellRect(across, along);
    }
    int Start(const TRect& r) const { return columns ? r.Left : r.Top; }
    // The same count for this axis and another for the other one, as SizeChanged gets them.
    std::pair<int, int> Counts(int thisAxis, int other) const
    {
        return columns ? std::pair{thisAxis, other} : std::pair{other, thisAxis};
    }
};

const GridAxisNames kGridAxes[] = {
    {"columns", true, &TCustomGrid::ColCount, &TCustomGrid::SetColCount, &TCustomGrid::FixedCols,
     &TCustomGrid::SetFixedCols, &TCustomGrid::ColWidths, &TCustomGrid::SetColWidths,
     &TCustomGrid::SetDefaultColWidth, &TCustomGrid::Col, &TCustomGrid::SetCol, &TCustomGrid::LeftCol,
     &TCustomGrid::SetLeftCol, &TCustomGrid::VisibleColCount, &TCustomGrid::MoveColumn, &TCustomGrid::DeleteColumn,
     WM_HSCROLL, SB_HORZ, goVertLine, goFixedVertLine},
    {"rows", false, &TCustomGrid::RowCount, &TCustomGrid::SetRowCount, &TCustomGrid::FixedRows,
     &TCustomGrid::SetFixedRows, &TCustomGrid::RowHeights, &TCustomGrid::SetRowHeights,
     &TCustomGrid::SetDefaultRowHeight, &TCustomGrid::Row, &TCustomGrid::SetRow, &TCustomGrid::TopRow,
     &TCustomGrid::SetTopRow, &TCustomGrid::VisibleRowCount, &TCustomGrid::MoveRow, &TCustomGrid::DeleteRow,
     WM_VSCROLL, SB_VERT, goHorzLine, goFixedHorzLine},
};

// A square grid of 20 x 20 cells of 30 pixels.
struct SquareGridForm : GridForm {
    SquareGridForm()
    {
        form.SetClientHeight(400);
        grid->SetBounds(0, 0, 300, 300);
        grid->SetRowCount(20);
        grid->SetColCount(20);
        grid->SetDefaultColWidth(30);
        grid->SetDefaultRowHeight(30);
        grid->sizeChanges.clear();
    }
};

} // namespace

// Sizes, counts and fixed lines keep the same rules on both axes: the current cell and the first
// scrolled line stay after the fixed lines and inside the count.
TEST(Grids, SizesCountsAndFixedLinesOnBothAxes)
{
    for (const GridAxisNames& a : kGridAxes) {
        SCOPED_TRACE(a.name);
        SquareGridForm f;
        CountingGrid& g = *f.grid;
        EXPECT_EQ((g.*a.size)(3), 30);
        EXPECT_EQ((g.*a.size)(-1), 30); // outside: the default size
        (g.*a.setSize)(2, 50);
        EXPECT_EQ((g.*a.size)(2), 50);
        EXPECT_EQ(a.Start(a.Rect(g, 3, 1)) - a.Start(a.Rect(g, 2, 1)), 51);
        (g.*a.setSize)(2, -5);
        EXPECT_EQ((g.*a.size)(2), -1);
        EXPECT_THROW((g.*a.setSize)(20, 10), EInvalidGridOperation);
        (g.*a.setDefaultSize)(25);
        EXPECT_EQ((g.*a.size)(2), 25);

        (g.*a.setFixed)(3);
        EXPECT_EQ((g.*a.current)(), 3);
        EXPECT_EQ((g.*a.first)(), 3);
        EXPECT_THROW((g.*a.setFixed)(20), EInvalidGridOperation);
        (g.*a.setCurrent)(19);
        (g.*a.setCount)(5);
        EXPECT_EQ((g.*a.count)(), 5);
        EXPECT_EQ((g.*a.current)(), 4);
        EXPECT_GE((g.*a.first)(), 3);
        EXPECT_LE((g.*a.first)(), 4);
        (g.*a.setCount)(2); // fewer than the fixed lines: one scrolled line stays
        EXPECT_EQ((g.*a.fixed)(), 1);
        EXPECT_EQ((g.*a.current)(), 1);
        const std::vector<std::pair<int, int>> changes{a.Counts(20, 20), a.Counts(5, 20)};
        EXPECT_EQ(g.sizeChanges, changes);
    }
}

// Moving a line takes its cells and size along and tells the axis' event; deleting one closes
// the gap.
TEST(Grids, MovingAndDeletingLinesOnBothAxes)
{
    for (const GridAxisNames& a : kGridAxes) {
        SCOPED_TRACE(a.name);
        SquareGridForm f;
        CountingGrid& g = *f.grid;
        std::vector<std::tuple<bool, int, int>> moved;
        g.OnColumnMoved = [&](TObject*, int from, int to) { moved.emplace_back(true, from, to); };
        g.OnRowMoved = [&](TObject*, int from, int to) { moved.emplace_back(false, from, to); };
        std::vector<int> order;
        for (int i = 0; i < 20; ++i) {
            a.SetCell(g, i, 1, "L" + std::to_string(i));
            order.push_back(i);
        }
        (g.*a.setSize)(2, 40);
        const auto expectOrder = [&] {
            for (int i = 0; i < int(order.size()); ++i)
                EXPECT_EQ(a.Cell(g, i, 1), "L" + std::to_string(order[size_t(i)])) << i;
        };
        (g.*a.move)(2, 5);
        order.erase(order.begin() + 2);
        order.insert(order.begin() + 5, 2);
        expectOrder();
        EXPECT_EQ((g.*a.size)(5), 40);
        EXPECT_EQ((g.*a.size)(2), 30);
        (g.*a.move)(5, 5);
        EXPECT_THROW((g.*a.move)(0, 20), EInvalidGridOperation);
        const std::vector<std::tuple<bool, int, int>> events{{a.columns, 2, 5}};
        EXPECT_EQ(moved, events);

        (g.*a.remove)(1);
        order.erase(order.begin() + 1);
        EXPECT_EQ((g.*a.count)(), 19);
        expectOrder();
        EXPECT_EQ((g.*a.size)(4), 40);
    }
}

// Scrolling an axis: to the current cell, by scroll messages, by the drag-scroll step, and the
// lines drawn between the cells.
TEST(Grids, ScrollingAndGridLinesOnBothAxes)
{
    for (const GridAxisNames& a : kGridAxes) {
        SCOPED_TRACE(a.name);
        SquareGridForm f;
        CountingGrid& g = *f.grid;
        const int page = (g.*a.visible)();
        ASSERT_GT(page, 2);
        ASSERT_LT(page, 15);
        (g.*a.setCurrent)(19); // the last line is scrolled into view, whole
        EXPECT_EQ((g.*a.first)() + page - 1, 19);
        EXPECT_EQ(GetScrollPos(g.Handle(), a.bar), (g.*a.first)());
        EXPECT_EQ(a.Start(a.Rect(g, (g.*a.first)(), 1)), 31); // after the fixed line
        EXPECT_TRUE(a.Rect(g, (g.*a.first)() - 1, 1).IsEmpty());
        (g.*a.setFirst)(1000);
        EXPECT_EQ((g.*a.first)(), 19);

        struct Step {
            int code, first;
        };
        const int last = 20 - page;
        const Step steps[] = {{SB_TOP, 1},      {SB_LINEDOWN, 2},       {SB_PAGEDOWN, 2 + page},
                              {SB_LINEUP, 1 + page}, {SB_BOTTOM, last}, {SB_LINEDOWN, last}, {SB_PAGEUP, last - page}};
        for (const Step& s : steps) {
            g.Perform(a.scrollMessage, WPARAM(s.code), 0);
            EXPECT_EQ((g.*a.first)(), s.first) << s.code;
            EXPECT_EQ(GetScrollPos(g.Handle(), a.bar), s.first) << s.code;
        }

        // a drag-scroll step while selecting scrolls one line and takes the current cell to
        // the edge that came into view
        g.Perform(a.scrollMessage, WPARAM(SB_TOP), 0);
        (g.*a.setCurrent)(2);
        g.SetGridState(gsSelecting);
        g.TimedScroll(a.columns ? 1 : 0, a.columns ? 0 : 1);
        EXPECT_EQ((g.*a.first)(), 2);
        EXPECT_EQ((g.*a.current)(), 1 + page);
        g.TimedScroll(a.columns ? -1 : 0, a.columns ? 0 : -1);
        EXPECT_EQ((g.*a.first)(), 1);
        EXPECT_EQ((g.*a.current)(), 1);
        g.SetGridState(gsNormal);
        EXPECT_EQ(g.Selection(), (a.columns ? TGridRect{1, 1, 2, 1} : TGridRect{1, 1, 1, 2}));

        // the line after a cell of this axis: black beside the fixed cells, silver between the others
        f.Paint();
        const QImage* image = g.ControlHost()->SurfaceImage();
        const auto lineColor = [&](int along, int across) {
            const TRect r = a.Rect(g, along, across);
            return a.columns ? image->pixelColor(r.Right, r.Top + 5) : image->pixelColor(r.Left + 5, r.Bottom);
        };
        EXPECT_EQ(lineColor(2, 3), QColor(192, 192, 192));
        EXPECT_EQ(lineColor(2, 0), QColor(0, 0, 0));
        EXPECT_EQ(lineColor(0, 3), QColor(0, 0, 0));
    }
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
