#include "components/grid/BaseGrid.h"
#include "components/grid/CellText.h"
#include "components/grid/PlusGridUndoRedo.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"

#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace {

// A base grid that counts the ranges it draws and the hook calls.
class ProbeGrid : public TBaseGrid {
public:
    using TBaseGrid::TBaseGrid;
    std::map<std::pair<int, int>, int> textDraws;
    std::map<std::pair<int, int>, TRect> textRects;
    int lastRowChanges = 0;
    void DrawCellText(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state) override
    {
        ++textDraws[{col, row}];
        textRects[{col, row}] = rect;
        TBaseGrid::DrawCellText(canvas, col, row, rect, state);
    }
    void LastRowChanged() override { ++lastRowChanges; }
    using TBaseGrid::KeyDown;
};

struct Fixture {
    Fixture(int cols = 8, int rows = 10)
    {
        form.SetClientWidth(640);
        form.SetClientHeight(400);
        grid = new ProbeGrid(&form);
        grid->SetParent(&form);
        grid->SetBounds(0, 0, 600, 300);
        grid->SetColCount(cols);
        grid->SetRowCount(rows);
        form.Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
        grid->SetFocus();
        QApplication::processEvents();
    }
    // One full paint with its drawing logged.
    void Paint()
    {
        grid->textDraws.clear();
        log.Clear();
        grid->ControlHost()->PaintRecorder = &log;
        grid->Invalidate();
        grid->Update();
        grid->ControlHost()->PaintRecorder = nullptr;
    }
    void Key(WORD key)
    {
        grid->Perform(WM_KEYDOWN, key, 0);
    }
    TForm form{nullptr};
    ProbeGrid* grid = nullptr;
    TGdiRecorder log;
};

} // namespace

TEST(BaseGridMerge, MergeStoresSpansAndTextGoesThroughTheBaseCell)
{
    Fixture f;
    auto* g = f.grid;
    g->SetCells(1, 1, "base");
    g->SetCells(3, 2, "own");
    ASSERT_TRUE(g->MergeCellRange(1, 1, 3, 2));
    struct Expect {
        int col, row;
        bool base;
        int spanX, spanY;
    };
    for (const Expect& e : {Expect{1, 1, true, 2, 1}, Expect{3, 2, false, 2, 1}, Expect{2, 1, false, 1, 0},
                            Expect{1, 2, false, 0, 1}}) {
        const TCellProperties* p = g->CellProperties(e.col, e.row);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->IsBaseCell, e.base) << e.col << "," << e.row;
        EXPECT_EQ(p->CellSpanX, e.spanX) << e.col << "," << e.row;
        EXPECT_EQ(p->CellSpanY, e.spanY) << e.col << "," << e.row;
    }
    EXPECT_EQ(g->GetCellText(3, 2), "base");
    g->SetCellText(2, 2, "x");
    EXPECT_EQ(g->GetRawCell(1, 1), "x");
    EXPECT_EQ(g->MergedRangeCount, 1);
    EXPECT_TRUE(g->InMergedRange(3, 2));
    EXPECT_TRUE(g->IsCoveredCell(3, 2));
    EXPECT_FALSE(g->IsCoveredCell(1, 1));
    EXPECT_TRUE(g->IsMergedAcross(2, 2));
    EXPECT_TRUE(g->IsMergedDown(3, 1));
    EXPECT_EQ(g->BaseCellOf(3, 2), TPoint(1, 1));
    EXPECT_EQ(g->MergeSpanOf(2, 2), TPoint(2, 1));
    int bc = 0, br = 0;
    EXPECT_FALSE(g->LocateBaseCell(3, 2, bc, br));
    EXPECT_EQ(TPoint(bc, br), TPoint(1, 1));
    EXPECT_TRUE(g->RowsInSameMerge(1, 2));
    EXPECT_FALSE(g->RowsInSameMerge(2, 3));

    // unmerging through any cell restores every record and the covered cells' own text
    g->UnmergeCellRange(3, 2);
    for (int c = 1; c <= 3; ++c)
        for (int r = 1; r <= 2; ++r) {
            const TCellProperties* p = g->CellProperties(c, r);
            ASSERT_NE(p, nullptr);
            EXPECT_TRUE(p->IsBaseCell);
            EXPECT_EQ(p->CellSpanX, -1);
            EXPECT_EQ(p->CellSpanY, -1);
        }
    EXPECT_EQ(g->GetCellText(3, 2), "own");
    EXPECT_EQ(g->MergedRangeCount, 0);
}

TEST(BaseGridMerge, EdgeCasesOfMergeAndUnmerge)
{
    Fixture f;
    auto* g = f.grid;
    // unmerging a never-merged cell creates its record and lowers the count
    EXPECT_FALSE(g->HasCellProperties(5, 5));
    g->UnmergeCellRange(5, 5);
    EXPECT_TRUE(g->HasCellProperties(5, 5));
    EXPECT_EQ(g->MergedRangeCount, -1);
    // a 1 x 1 merge counts for geometry only
    ASSERT_TRUE(g->MergeCellRange(4, 4, 1, 1));
    EXPECT_FALSE(g->InMergedRange(4, 4));
    EXPECT_TRUE(g->IsBaseOrPlainCell(4, 4));
    EXPECT_EQ(g->MergeSpanOf(4, 4), TPoint(0, 0));
    EXPECT_EQ(g->MergedCellRect(4, 4), g->ComputeCellRect(4, 4));
    // zero or negative sizes merge nothing but still count
    const int count = g->MergedRangeCount;
    EXPECT_TRUE(g->MergeCellRange(2, 2, 0, 3));
    EXPECT_EQ(g->MergedRangeCount, count + 1);
    EXPECT_FALSE(g->HasCellProperties(2, 2));
}

TEST(BaseGridMerge, OverlappingOrOutsideMergesAreRefused)
{
    Fixture f(6, 6);
    auto* g = f.grid;
    ASSERT_TRUE(g->MergeCellRange(1, 1, 2, 2));
    const int count = g->MergedRangeCount;
    struct Case {
        int col, row, cols, rows;
    };
    for (const Case& c : {Case{2, 2, 2, 2}, Case{0, 0, 2, 2}, Case{1, 1, 1, 1}, Case{4, 4, 3, 1}, Case{5, 5, 1, 2},
                          Case{-1, 0, 2, 2}}) {
        EXPECT_FALSE(g->MergeCellRange(c.col, c.row, c.cols, c.rows)) << c.col << "," << c.row;
    }
    EXPECT_EQ(g->MergedRangeCount, count);
    // the first range is untouched
    EXPECT_EQ(g->CellProperties(2, 2)->CellSpanX, 1);
    EXPECT_FALSE(g->CellProperties(2, 2)->IsBaseCell);
    EXPECT_FALSE(g->HasCellProperties(3, 3));
    EXPECT_FALSE(g->HasCellProperties(0, 0));
}

TEST(BaseGridCells, ObjectsResetsAndDisplayHooks)
{
    Fixture f;
    auto* g = f.grid;
    TObject mine;
    g->SetCellObject(6, 6, &mine);
    EXPECT_EQ(g->GetCellObject(6, 6), &mine);
    EXPECT_EQ(g->GetCellText(6, 6), "");
    EXPECT_EQ(g->GetCellObject(6, 7), nullptr);

    g->SetCells(1, 1, "base");
    g->SetCells(2, 1, "covered");
    g->MergeCellRange(1, 1, 2, 1);
    g->ResetCell(2, 1); // a covered cell empties the base cell
    EXPECT_EQ(g->GetRawCell(1, 1), "");
    EXPECT_EQ(g->GetRawCell(2, 1), "covered");
    g->SetCells(1, 3, "a");
    g->SetCells(2, 3, "b");
    g->MergeCellRange(1, 3, 2, 1);
    g->ResetRow(3); // slots first: each cell empties its own text
    EXPECT_EQ(g->GetRawCell(1, 3), "");
    EXPECT_EQ(g->GetRawCell(2, 3), "");
    EXPECT_FALSE(g->HasCellProperties(1, 3));
    QApplication::processEvents(); // records nobody took are freed after the event

    g->DisplayRowLimit = 5;
    g->SetCells(3, 2, "plain");
    g->SetCells(3, 6, "beyond");
    g->OnGetDisplText = [](TObject*, int, int, String& v) { v += "!"; };
    EXPECT_EQ(g->GetCellText(3, 2), "plain!");
    EXPECT_EQ(g->GetCellText(3, 6), "beyond");
    g->OnGetDisplWideText = [](TObject*, int, int, WideString& v) { v += u"?"; };
    EXPECT_EQ(g->GetCellText(3, 2), EncodeWideCellText(u"plain!?"));
    EXPECT_EQ(g->GetCellText(3, 6), "beyond");

    g->LastRowHidden = true;
    g->SetCellText(0, g->RowCount() - 1, "x");
    g->SetCellText(1, g->RowCount() - 1, "y");
    g->SetCellText(1, 0, "z");
    EXPECT_EQ(g->lastRowChanges, 2);
}

TEST(BaseGridCells, RecordsAreFreedWithTheGridAndHiddenColumnsToo)
{
    // the leak check of the sanitizer build watches this one
    auto* form = new TForm(nullptr);
    auto* g = new ProbeGrid(form);
    g->SetColCount(4);
    g->EnsureCellProperties(2, 2);
    g->EnsureCellProperties(9, 1); // a hidden column beyond ColCount
    g->SetRowCount(12);
    g->EnsureCellProperties(1, 11);
    g->SetRowCount(5); // the record of row 11 is now beyond RowCount
    g->MergeCellRange(1, 1, 2, 2);
    TObject* taken = g->GetRawObject(2, 2);
    g->ResetCell(2, 2);
    g->SetRawObject(3, 3, taken); // taken and stored elsewhere: still alive
    EXPECT_EQ(g->CellProperties(3, 3), taken);
    delete form;
}

TEST(BaseGridCells, TakenRecordsOutliveEventsAndComeBackIntact)
{
    Fixture f;
    auto* g = f.grid;
    g->SetCells(1, 4, "parked");
    TCellProperties* record = g->EnsureCellProperties(1, 4);
    record->SetBrushColor(0x123456);
    TCellProperties* loose = g->EnsureCellProperties(2, 4);
    const size_t before = g->LiveRecordCount();

    EXPECT_EQ(g->TakeCellProperties(1, 4), record);
    EXPECT_FALSE(g->HasCellProperties(1, 4));
    EXPECT_TRUE(g->IsTakenRecord(record));
    g->SetObjects(2, 4, nullptr); // a plain slot write leaves a loose record
    QApplication::processEvents(); // the end-of-event sweep frees only the loose one
    EXPECT_EQ(g->LiveRecordCount(), before - 1);
    (void)loose;

    // put back in another row, as a row unhidden elsewhere would
    ASSERT_TRUE(g->PutCellProperties(1, 6, record));
    EXPECT_FALSE(g->IsTakenRecord(record));
    EXPECT_EQ(g->CellProperties(1, 6)->BrushColor(), TColor(0x123456));
    QApplication::processEvents();
    EXPECT_EQ(g->CellProperties(1, 6), record);

    // a record put over another frees the one it replaces; the taker can free what it holds
    TCellProperties* other = g->TakeCellProperties(1, 6);
    g->EnsureCellProperties(1, 6);
    ASSERT_TRUE(g->PutCellProperties(1, 6, other));
    EXPECT_EQ(g->CellProperties(1, 6), other);
    TCellProperties* dropped = g->TakeCellProperties(1, 6);
    g->ReleaseCellProperties(dropped);
    EXPECT_EQ(g->LiveRecordCount(), before - 2);

    // indices and records the grid does not own are refused
    EXPECT_EQ(g->TakeCellProperties(-1, 0), nullptr);
    EXPECT_EQ(g->TakeCellProperties(0, 100000), nullptr);
    TCellProperties foreign(nullptr, 0, 0);
    EXPECT_FALSE(g->PutCellProperties(0, 0, &foreign));
    EXPECT_FALSE(g->PutCellProperties(-1, 0, nullptr));
    g->ReleaseCellProperties(&foreign); // not taken from this grid: left alone
}

TEST(BaseGridCells, RecordsStillTakenAreFreedWithTheGrid)
{
    // the leak check of the sanitizer build watches this one
    auto* form = new TForm(nullptr);
    auto* g = new ProbeGrid(form);
    g->SetColCount(3);
    g->SetRowCount(3);
    g->EnsureCellProperties(1, 1);
    ASSERT_NE(g->TakeCellProperties(1, 1), nullptr);
    delete form;
}

TEST(BaseGridCells, UndoLinkIsClearedWhenTheRecorderGoes)
{
    Fixture f;
    auto* undo = new TPlusGridUndoRedo(nullptr);
    f.grid->SetUndoRedo(undo);
    EXPECT_EQ(undo->LinkedGrid(), f.grid);
    delete undo;
    EXPECT_EQ(f.grid->UndoRedo(), nullptr);
}

TEST(BaseGridKeys, MovementOverMergedRanges)
{
    Fixture f(8, 10);
    auto* g = f.grid;
    ASSERT_TRUE(g->MergeCellRange(2, 2, 3, 2)); // columns 2..4, rows 2..3
    ASSERT_TRUE(g->MergeCellRange(1, 6, 2, 2)); // starts at the first scrolled column
    struct Step {
        int fromCol, fromRow;
        WORD key;
        int col, row;
    };
    const Step steps[] = {
        {2, 2, VK_RIGHT, 5, 2}, // base cell: the first column after the range
        {3, 3, VK_RIGHT, 5, 3}, // a covered cell: past the range, in its own row
        {4, 2, VK_LEFT, 1, 2},  // covered: the cell just before the range
        {2, 2, VK_LEFT, 1, 2},
        {3, 3, VK_UP, 3, 1},    // covered: the row just before the range
        {2, 2, VK_DOWN, 2, 4},
        {3, 3, VK_DOWN, 3, 4},
        {2, 7, VK_LEFT, 1, 6},  // range at the first column: stays on its base cell
        {7, 2, VK_RIGHT, 7, 2}, // the last column: nothing special
        {5, 3, VK_LEFT, 2, 2},  // from outside into a range: its base cell
    };
    for (const Step& s : steps) {
        // place the current cell directly, as a mouse click may
        g->FocusCell(s.fromCol, s.fromRow, true);
        f.Key(s.key);
        EXPECT_EQ(g->Col(), s.col) << s.fromCol << "," << s.fromRow << " key " << s.key;
        EXPECT_EQ(g->Row(), s.row) << s.fromCol << "," << s.fromRow << " key " << s.key;
        EXPECT_GE(g->Col(), g->FixedCols());
    }
    // the wheel snaps back to the base cell too
    g->FocusCell(3, 1, true);
    QWheelEvent wheel(QPointF(5, 5), QPointF(g->Host()->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(g->Host(), &wheel);
    EXPECT_EQ(TPoint(g->Col(), g->Row()), TPoint(2, 2));
}

TEST(BaseGridPaint, OneDrawOfAMergedRangePerPaint)
{
    Fixture f(8, 10);
    auto* g = f.grid;
    g->SetCells(2, 2, "merged");
    ASSERT_TRUE(g->MergeCellRange(2, 2, 2, 2));
    f.Paint();
    // the base cell draws the range, the first covered cell once more, the others not at all
    EXPECT_EQ((g->textDraws[{2, 2}]), 2);
    for (const auto& [cell, n] : g->textDraws)
        if (cell != std::make_pair(2, 2))
            EXPECT_FALSE(g->InMergedRange(cell.first, cell.second)) << cell.first << "," << cell.second;
    const int pass = g->PaintPass;
    f.Paint();
    EXPECT_EQ(g->PaintPass, pass + 1);
    EXPECT_EQ((g->textDraws[{2, 2}]), 2);

    // base cell scrolled out of view: the first covered cell draws the range at its full place,
    // clipped below the fixed cells
    g->SetLeftCol(3);
    f.Paint();
    EXPECT_EQ((g->textDraws[{2, 2}]), 1);
    const TRect range = g->MergedCellRect(3, 3);
    EXPECT_LT(range.Left, g->FixedColsWidth());
    EXPECT_EQ(range.Width(), 2 * g->DefaultColWidth());
    bool clipped = false;
    for (const auto& r : f.log.Records)
        clipped = clipped || r.Op == "DrawText";
    EXPECT_TRUE(clipped);
    const QImage* image = g->ControlHost()->SurfaceImage();
    // the fixed column keeps its own colour where the range reaches under it
    EXPECT_EQ(image->pixelColor(30, range.Top + 10), ColorRefToQColor(GetSysColor(COLOR_BTNFACE)));
}

TEST(BaseGridPaint, LinesTextRectanglesAndTheHiddenLastRow)
{
    Fixture f(5, 6);
    auto* g = f.grid;
    g->SetGridLineWidth(3);
    f.Paint();
    const TRect cell = g->CellRect(2, 2);
    const TRect fixedCell = g->CellRect(2, 0);
    // a normal cell: bottom line at Bottom - 2, 3 wide, text rect inset by 3
    bool normalLine = false, fixedLine = false;
    for (const auto& r : f.log.Of("LineTo")) {
        if (r.Rect.top == cell.Bottom - 2 && r.Rect.left == cell.Left - 1 && r.PenWidth == 3 &&
            r.PenColor == 0xC0C0C0)
            normalLine = true;
        if (r.Rect.top == fixedCell.Bottom - 1 && r.Rect.left == fixedCell.Left && r.PenWidth == 1 &&
            r.PenColor == 0x808080)
            fixedLine = true;
    }
    EXPECT_TRUE(normalLine);
    EXPECT_TRUE(fixedLine);
    EXPECT_EQ((g->textRects[{2, 2}]), TRect(cell.Left + 3, cell.Top + 3, cell.Right - 3, cell.Bottom - 3));
    EXPECT_EQ((g->textRects[{2, 0}]), TRect(fixedCell.Left, fixedCell.Top, fixedCell.Right - 1, fixedCell.Bottom - 2));
    const QImage* image = g->ControlHost()->SurfaceImage();
    EXPECT_EQ(image->pixelColor(cell.Left + 10, cell.Bottom - 2), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(image->pixelColor(cell.Left + 10, cell.Bottom - 5), QColor(255, 255, 255));

    g->LastRowHidden = true;
    g->SetCells(1, 5, "hidden");
    f.Paint();
    EXPECT_EQ(g->textDraws.count({1, 5}), 0u); // no text
    const TRect last = g->CellRect(1, 5);
    EXPECT_EQ(image->pixelColor(last.Left + 5, last.Bottom - 1), QColor(255, 255, 255)); // no line
}

TEST(BaseGridPaint, SelectionLookKindsAcrossTheSelectedColumns)
{
    Fixture f(7, 6);
    auto* g = f.grid;
    g->SetOptions(g->Options() + TGridOptions{goRangeSelect, goDrawFocusSelected});
    g->SetSelectionLook(1);
    g->SetSelection(TGridRect{2, 2, 4, 2});
    f.Paint();
    // the frame's outer line: inset 2 at a rounded end, none for a middle piece
    auto outerTop = [&](int col) {
        const TRect r = g->CellRect(col, 2);
        for (const auto& rec : f.log.Of("LineTo"))
            if (rec.PenColor == 0xFDDE99 && rec.Rect.top == r.Top && rec.Rect.bottom == r.Top)
                if (rec.Rect.left >= r.Left && rec.Rect.left < r.Right)
                    return std::make_pair(int(rec.Rect.left - r.Left), int(r.Right - 1 - rec.Rect.right));
        return std::make_pair(-1, -1);
    };
    EXPECT_EQ(outerTop(2), std::make_pair(2, 0)); // kind 1: left end
    EXPECT_EQ(outerTop(3), std::make_pair(0, 0)); // kind 3: middle
    EXPECT_EQ(outerTop(4), std::make_pair(0, 2)); // kind 2: right end
    g->SetSelection(TGridRect{3, 4, 3, 4});
    f.Paint();
    const TRect single = g->CellRect(3, 4);
    bool both = false;
    for (const auto& rec : f.log.Of("LineTo"))
        if (rec.PenColor == 0xFDDE99 && rec.Rect.top == single.Top && rec.Rect.left == single.Left + 2 &&
            rec.Rect.right == single.Right - 1 - 2)
            both = true;
    EXPECT_TRUE(both); // kind 0: both ends rounded
}

TEST(BaseGridGeometry, RectanglesInAndOutOfView)
{
    Fixture f(20, 40);
    auto* g = f.grid;
    EXPECT_EQ(g->MergedCellRect(15, 35), TRect(0, 0, 64, 24)); // a plain cell out of view
    EXPECT_EQ(g->ComputeCellRect(2, 3), TRect(128, 72, 192, 96));
    g->SetTopRow(5);
    EXPECT_EQ(g->ComputeCellRect(2, 3), TRect(128, -24, 192, 0));
    EXPECT_EQ(g->ComputeCellRect(0, 3), TRect(0, -24, 64, 0));
    g->MergeCellRange(2, 6, 2, 3);
    EXPECT_EQ(g->MergedCellRect(3, 8), TRect(128, 48, 256, 120));
    EXPECT_EQ(g->MergedCellExtent(2, 6), TPoint(128, 72));
    EXPECT_EQ(g->FixedColsWidth(), 64);
    EXPECT_EQ(g->FixedRowsHeight(), 24);
}

TEST(BaseGridPaint, ActiveAndHoverRowColours)
{
    Fixture f(6, 8);
    auto* g = f.grid;
    g->SetActiveRowShow(true);
    g->FocusCell(2, 3, true);
    g->HoverRow = true;
    g->HoverRowIndex = 5;
    g->HoverRowColor = clLime;
    f.Paint();
    const QImage* image = g->ControlHost()->SurfaceImage();
    auto inside = [&](int col, int row) {
        const TRect r = g->CellRect(col, row);
        return image->pixelColor(r.Left + 4, r.Top + 3);
    };
    EXPECT_EQ(inside(4, 3), ColorRefToQColor(GetSysColor(COLOR_INFOBK))); // the current row
    EXPECT_EQ(inside(4, 5), QColor(0, 255, 0));                           // the row under the mouse
    EXPECT_EQ(inside(4, 4), QColor(255, 255, 255));
    EXPECT_EQ(inside(0, 3), ColorRefToQColor(GetSysColor(COLOR_BTNFACE))); // fixed cells keep theirs
    g->SetActiveRowColor(clAqua);
    f.Paint();
    EXPECT_EQ(inside(4, 3), QColor(0, 255, 255));
}
