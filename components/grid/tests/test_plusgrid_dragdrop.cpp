// OLE drag and drop of the string grid: drags between two grids and within one, run by the
// platform's drag layer offscreen (a scripted pointer), and drops of foreign data.
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinDragScript.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class GridOleDragDrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 700, 300);
        a = MakeGrid(0);
        b = MakeGrid(350);
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Host()));
        QApplication::processEvents();
    }
    void TearDown() override
    {
        QApplication::processEvents();
        form.reset();
    }
    TPlusStringGrid* MakeGrid(int left)
    {
        auto* g = new TPlusStringGrid(form.get());
        g->SetParent(form.get());
        g->SetBounds(left, 0, 340, 280);
        g->SetColCount(5);
        g->SetRowCount(10);
        g->SetDefaultColWidth(60);
        g->SetDefaultRowHeight(22);
        g->SetOptions(g->Options() + TGridOptions{goEditing});
        for (int r = 1; r < 10; ++r)
            for (int c = 1; c < 5; ++c)
                g->SetCells(c, r, String(1, char('a' + c - 1)) + IntToStr(r));
        return g;
    }
    static POINT Middle(TPlusStringGrid* g, int col, int row)
    {
        const TRect r = g->CellRect(col, row);
        return POINT{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    static POINT ScreenMiddle(TPlusStringGrid* g, int col, int row)
    {
        const POINT p = Middle(g, col, row);
        const TPoint s = g->ClientToScreen(TPoint(p.x, p.y));
        return POINT{s.X, s.Y};
    }
    // Clicks a cell to select it, presses on it again and moves the mouse far enough to start
    // a drag (only a press on the selection of a grid that is not being edited starts one).
    static void PressAndDrag(TPlusStringGrid* g, int col, int row)
    {
        g->SetOptions(g->Options() - TGridOptions{goEditing});
        const POINT p = Middle(g, col, row);
        g->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        g->Perform(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        g->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        g->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x + 6, p.y + 1));
        g->Perform(WM_LBUTTONUP, 0, MAKELPARAM(p.x + 6, p.y + 1));
    }
    static DWORD Drop(TPlusStringGrid* g, const QMimeData& mime, POINT screen, DWORD keys = 0)
    {
        return DeliverDrop(g->Handle(), &mime, screen, keys, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    }
    std::unique_ptr<TForm> form;
    TPlusStringGrid* a = nullptr;
    TPlusStringGrid* b = nullptr;
};

} // namespace

TEST_F(GridOleDragDrop, SelectionMovesFromOneGridToAnother)
{
    a->DragDropSettings()->OleDropSource = true;
    a->SetOptions(a->Options() + TGridOptions{goRowSelect});
    b->DragDropSettings()->SetOleDropTarget(true);
    std::vector<std::string> events;
    a->OnOleDrag = [&](TObject*, int row, int col, const String& text, bool&) {
        events.push_back("drag " + IntToStr(col) + "," + IntToStr(row) + " " + text);
    };
    a->OnOleDragStop = [&](TObject*, int effect) { events.push_back("stop " + IntToStr(effect)); };
    a->OnStartDrag = [&](TObject*, TObject*&) { events.push_back("start"); };
    a->OnEndDrag = [&](TObject*, TObject*, int, int) { events.push_back("end"); };
    b->OnOleDropped = [&](TObject*, const TGridRect& r) {
        events.push_back("dropped " + IntToStr(r.Left) + "," + IntToStr(r.Top) + "-" + IntToStr(r.Right) + "," +
                         IntToStr(r.Bottom));
    };
    TScriptedDrag drag;
    drag.Over(a->Handle(), Middle(a, 2, 3)).Over(b->Handle(), Middle(b, 2, 6)).Over(b->Handle(), Middle(b, 1, 7));
    PressAndDrag(a, 2, 3);
    ASSERT_EQ(drag.Runs, 1);
    EXPECT_EQ(drag.LastResult, DRAGDROP_S_DROP);
    EXPECT_EQ(drag.LastEffect, DWORD(DROPEFFECT_MOVE));
    // a row-select grid drops from its first data column; the row moved and left its place empty
    for (int c = 1; c < 5; ++c) {
        EXPECT_EQ(b->Cells(c, 7), String(1, char('a' + c - 1)) + "3") << c;
        EXPECT_EQ(a->Cells(c, 3), "") << c;
    }
    EXPECT_EQ(b->Cells(1, 8), "a8");
    EXPECT_EQ(events, (std::vector<std::string>{"drag 2,3 b3", "start", "dropped 1,7-4,7", "end", "stop 2"}));
    EXPECT_FALSE(b->DropArrow(2)->Visible());

    // with Ctrl held the drop copies: the source keeps its cells; OleCopyAlways keeps them on a move
    TScriptedDrag copy;
    copy.Over(b->Handle(), Middle(b, 1, 2), MK_CONTROL);
    PressAndDrag(a, 1, 4);
    EXPECT_EQ(copy.LastEffect, DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(b->Cells(2, 2), "b4");
    EXPECT_EQ(a->Cells(2, 4), "b4");
    a->DragDropSettings()->OleCopyAlways = true;
    TScriptedDrag keep;
    keep.Over(b->Handle(), Middle(b, 1, 2));
    PressAndDrag(a, 1, 5);
    EXPECT_EQ(keep.LastEffect, DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(a->Cells(2, 5), "b5");

    // a drag refused by OnOleDrag never starts; Escape ends one without a drop
    a->OnOleDrag = [](TObject*, int, int, const String&, bool& allow) { allow = false; };
    TScriptedDrag refused;
    refused.Over(b->Handle(), Middle(b, 1, 2));
    PressAndDrag(a, 1, 6);
    EXPECT_EQ(refused.Runs, 0);
    a->OnOleDrag = nullptr;
    refused.CancelAtEnd();
    PressAndDrag(a, 1, 6);
    EXPECT_EQ(refused.LastResult, DRAGDROP_S_CANCEL);
    EXPECT_EQ(a->Cells(1, 6), "a6");
}

TEST_F(GridOleDragDrop, CellStreamAndColumnDrags)
{
    // with AllowFmtClipboard the cell stream travels and wins over the text
    a->DragDropSettings()->OleDropSource = true;
    a->Navigation()->AllowFmtClipboard = true;
    a->DragDropSettings()->OleCopyAlways = true;
    b->DragDropSettings()->SetOleDropTarget(true);
    a->SetSelection(TGridRect{1, 1, 2, 2});
    bool textDropped = false;
    b->OnOleDrop = [&](TObject*, int, int, const String&, bool&) { textDropped = true; };
    TScriptedDrag cells;
    cells.Over(b->Handle(), Middle(b, 3, 0)); // a header row takes a cell stream
    a->SetOptions(a->Options() - TGridOptions{goEditing});
    const POINT p = Middle(a, 1, 1);
    a->Perform(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(p.x, p.y));
    a->SetSelection(TGridRect{1, 1, 2, 2});
    a->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x + 9, p.y));
    a->Perform(WM_LBUTTONUP, 0, MAKELPARAM(p.x + 9, p.y));
    EXPECT_EQ(cells.LastResult, DRAGDROP_S_DROP);
    EXPECT_FALSE(textDropped);
    EXPECT_EQ(b->Cells(3, 0), "a1");
    EXPECT_EQ(b->Cells(4, 1), "b2");

    // a press in the header row with OleColumnDragDrop (headers not moved by the grid itself)
    // drags the column index onto a header
    a->DragDropSettings()->OleColumnDragDrop = true;
    a->EnhRowColMove = false;
    std::vector<std::string> dropped;
    b->OnOleDropCol = [&](TObject*, int row, int col, int index) {
        dropped.push_back(IntToStr(col) + "," + IntToStr(row) + " " + IntToStr(index));
    };
    TScriptedDrag column;
    column.Over(b->Handle(), Middle(b, 2, 3)); // not onto a data cell
    PressAndDrag(a, 3, 0);
    EXPECT_EQ(column.LastResult, DRAGDROP_S_CANCEL);
    b->DropTarget()->AcceptsColumns = true;
    column.Over(b->Handle(), Middle(b, 4, 0));
    PressAndDrag(a, 3, 0);
    EXPECT_EQ(column.LastResult, DRAGDROP_S_DROP);
    EXPECT_EQ(dropped, std::vector<std::string>{"4,0 3"});
    EXPECT_EQ(b->Cells(4, 0), "b1"); // the grid moves nothing itself
}

TEST_F(GridOleDragDrop, DragPicturesFollowTheCursorAndGoWithTheDrag)
{
    // the floating cells window shows the dragged cells at the cursor + (4, 4); without
    // ShowCells a column drag's header-button window rides on the cursor instead; neither stays
    // after a drop or an Escape
    a->DragDropSettings()->OleDropSource = true;
    a->DragDropSettings()->OleCopyAlways = true;
    a->DragDropSettings()->OleColumnDragDrop = true;
    a->EnhRowColMove = false;
    a->SetOptions(a->Options() - TGridOptions{goEditing}); // a press on the selection may drag
    a->SetCells(3, 0, "Three");
    b->DragDropSettings()->SetOleDropTarget(true);
    b->DropTarget()->AcceptsColumns = true;
    struct Seen {
        bool cells = false, header = false;
        TPoint at, cursor;
        int width = 0, height = 0;
        QColor inside; // a point inside the first dragged cell of the picture
    };
    std::vector<Seen> seen;
    b->OnOleDragOver = [&](TObject*, int, int, bool&) {
        Seen s;
        POINT cursor;
        GetCursorPos(&cursor);
        s.cursor = TPoint(cursor.x, cursor.y);
        if (TDragCellsWindow* w = a->DragCellsWindow(); w && w->Visible()) {
            s.cells = true;
            s.at = TPoint(w->Left(), w->Top());
            s.width = w->Width();
            s.height = w->Height();
            s.inside = w->Picture().pixelColor(3, 3);
            if (const char* dir = std::getenv("QUELM_PICTURES"); dir && seen.empty()) {
                w->Repaint();
                w->Host()->grab().save(QString(dir) + "/grid_drag_cells.png");
            }
        }
        if (TPopupButton* h = a->ColumnDragImage(); h->Visible()) {
            s.header = true;
            s.at = TPoint(h->Left(), h->Top() + h->Height());
            if (const char* dir = std::getenv("QUELM_PICTURES"); dir && seen.empty()) {
                h->Repaint();
                h->Host()->grab().save(QString(dir) + "/grid_drag_header.png");
            }
        }
        seen.push_back(s);
    };
    const struct {
        const char* name;
        bool showCells, cancel, column;
    } cases[] = {
        {"cells, dropped", true, false, false},
        {"cells, Escape", true, true, false},
        {"column without ShowCells, dropped", false, false, true},
        {"column without ShowCells, Escape", false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        a->DragDropSettings()->SetShowCells(c.showCells);
        a->SetSelection(TGridRect{1, 2, 2, 3});
        TScriptedDrag drag;
        const int targetRow = c.column ? 0 : 5;
        drag.Over(b->Handle(), Middle(b, 2, targetRow)).Over(b->Handle(), Middle(b, 3, targetRow));
        if (c.cancel)
            drag.CancelAtEnd();
        if (c.column) {
            PressAndDrag(a, 3, 0);
        } else {
            // a press on the selection, then the move that starts the drag
            const POINT p = Middle(a, 1, 2);
            a->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
            a->SetSelection(TGridRect{1, 2, 2, 3});
            a->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x + 9, p.y));
            a->Perform(WM_LBUTTONUP, 0, MAKELPARAM(p.x + 9, p.y));
        }
        ASSERT_EQ(drag.Runs, 1);
        EXPECT_EQ(drag.LastResult, c.cancel ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP);
        ASSERT_EQ(seen.size(), 2u);
        // the cells are pictured without the selection's highlight: as a cell that is not selected
        const TRect plain = a->CellRect(3, 6), selected = a->CellRect(1, 2);
        a->SetSelection(TGridRect{1, 2, 2, 3});
        const QImage grid = a->Host()->grab().toImage();
        const QColor unselected = grid.pixelColor(plain.Left + 3, plain.Top + 3);
        EXPECT_NE(grid.pixelColor(selected.Left + 3, selected.Top + 3), unselected); // the highlight shows
        for (const Seen& s : seen) {
            if (c.showCells)
                EXPECT_EQ(s.inside, unselected);
            EXPECT_EQ(s.cells, c.showCells);
            EXPECT_EQ(s.header, c.column);
            if (c.showCells) {
                EXPECT_EQ(s.at, TPoint(s.cursor.X + 4, s.cursor.Y + 4));
                // two columns of 60 and two rows of 22, with their grid lines
                const TRect r1 = a->CellRect(1, 2), r2 = a->CellRect(2, 3);
                EXPECT_EQ(s.width, r2.Right - r1.Left);
                EXPECT_EQ(s.height, r2.Bottom - r1.Top);
            } else {
                EXPECT_EQ(s.at, s.cursor); // the header's bottom-left corner
            }
        }
        EXPECT_EQ(a->DragCellsWindow(), nullptr);
        EXPECT_FALSE(a->ColumnDragImage()->Visible());
    }
}

TEST_F(GridOleDragDrop, DropArrowsMarkTheTargetInTheSizeOfTheirOutline)
{
    // cells dragged over a data cell: one arrow, pointing right, 10 pixels left of the cell;
    // a column dragged over a header: one arrow above it pointing down and one below pointing
    // up. Each window is 11 x 11 pixels whatever size it had before.
    a->DragDropSettings()->OleDropSource = true;
    a->DragDropSettings()->OleCopyAlways = true;
    a->DragDropSettings()->OleColumnDragDrop = true;
    a->EnhRowColMove = false;
    b->DragDropSettings()->SetOleDropTarget(true);
    b->DropTarget()->AcceptsColumns = true;
    for (int i = 0; i < 4; ++i)
        b->DropArrow(i)->SetBounds(0, 0, 40, 3);
    struct Shown {
        int which;
        uint8_t direction;
        TPoint at;
    };
    struct Seen {
        int which;
        uint8_t direction;
        TRect bounds;
    };
    std::vector<Seen> seen;
    int overs = 0;
    // the arrows of the first position are read over the second one
    b->OnOleDragOver = [&](TObject*, int, int, bool&) {
        if (++overs != 2)
            return;
        for (int i = 0; i < 4; ++i)
            if (TArrowWindow* w = b->DropArrow(i); w->Visible())
                seen.push_back(Seen{i, w->Direction(), TRect(w->Left(), w->Top(), w->Left() + w->Width(),
                                                             w->Top() + w->Height())});
        if (const char* dir = std::getenv("QUELM_PICTURES")) {
            const int margin = 16;
            const QPoint origin = b->Host()->mapToGlobal(QPoint(-margin, -margin));
            QImage picture(b->Host()->size() + QSize(2 * margin, 2 * margin), QImage::Format_RGB32);
            picture.fill(Qt::white);
            QPainter p(&picture);
            p.drawPixmap(margin, margin, b->Host()->grab());
            for (int i = 0; i < 4; ++i)
                if (TArrowWindow* w = b->DropArrow(i); w->Visible()) {
                    const QPoint at = w->Host()->mapToGlobal(QPoint(0, 0)) - origin;
                    p.setClipRegion(w->Host()->mask().translated(at));
                    p.drawPixmap(at, w->Host()->grab());
                }
            p.end();
            picture.save(QString(dir) + "/grid_drop_arrows_" + QString::number(seen.front().which) + ".png");
        }
    };
    const TRect cell = b->CellRect(2, 5), header = b->CellRect(4, 0);
    const struct {
        const char* name;
        bool column;
        int col, row;
        std::vector<Shown> expected;
    } cases[] = {
        {"cells over a data cell", false, 2, 5, {{2, 2, TPoint(cell.Left - 10, cell.Top)}}},
        {"a column over a header",
         true,
         4,
         0,
         {{0, 1, TPoint(header.Left, header.Top - 8)}, {1, 0, TPoint(header.Left, header.Bottom)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        overs = 0;
        TScriptedDrag drag;
        drag.Over(b->Handle(), Middle(b, c.col, c.row)).Over(b->Handle(), Middle(b, c.col - 1, c.row));
        if (c.column) {
            PressAndDrag(a, 3, 0);
        } else {
            a->SetSelection(TGridRect{1, 2, 1, 2});
            PressAndDrag(a, 1, 2);
        }
        ASSERT_EQ(drag.Runs, 1);
        ASSERT_EQ(seen.size(), c.expected.size());
        for (size_t i = 0; i < seen.size(); ++i) {
            const TPoint at = b->ClientToScreen(c.expected[i].at);
            EXPECT_EQ(seen[i].which, c.expected[i].which);
            EXPECT_EQ(seen[i].direction, c.expected[i].direction);
            EXPECT_EQ(seen[i].bounds, TRect(at.X, at.Y, at.X + 11, at.Y + 11)) << i;
        }
        for (int i = 0; i < 4; ++i)
            EXPECT_FALSE(b->DropArrow(i)->Visible()) << i;
    }
}

TEST_F(GridOleDragDrop, RowsMovedUpWithinOneGridRemoveTheirOldPlace)
{
    a->SetOptions(a->Options() + TGridOptions{goRowSelect});
    TDragDropSettings* s = a->DragDropSettings();
    s->OleDropSource = true;
    s->SetOleDropTarget(true);
    s->OleInsertRows = true;
    s->OleRemoveRows = true;
    // a drag starts only from a grid that is not being edited; the drop goes into editable cells
    a->OnOleDragStart = [this](TObject*, int, int) { a->SetOptions(a->Options() + TGridOptions{goEditing}); };
    TScriptedDrag drag;
    drag.Over(a->Handle(), Middle(a, 2, 6)).Over(a->Handle(), Middle(a, 2, 2));
    PressAndDrag(a, 2, 6);
    ASSERT_EQ(drag.LastResult, DRAGDROP_S_DROP);
    EXPECT_EQ(a->RowCount(), 10);
    const char* expected[] = {"a1", "a6", "a2", "a3", "a4", "a5", "a7", "a8", "a9"};
    for (int r = 1; r < 10; ++r)
        EXPECT_EQ(a->Cells(1, r), expected[r - 1]) << r;
}

TEST_F(GridOleDragDrop, DropsOfForeignData)
{
    // no drops until OleDropTarget is on; switching it on and off registers and revokes
    QMimeData text;
    text.setText("x\ty\tz\r\nu\tv\tw");
    EXPECT_EQ(Drop(b, text, ScreenMiddle(b, 2, 5)), DWORD(DROPEFFECT_NONE));
    TDragDropSettings* s = b->DragDropSettings();
    s->SetOleDropTarget(true);
    ASSERT_TRUE(b->OleDropRegistered);
    s->SetOleDropTarget(true); // a second switch-on keeps the registration
    EXPECT_TRUE(b->OleDropRegistered);
    EXPECT_EQ(RegisteredDropTarget(b->Handle()), b->DropTarget());

    // text over a fixed row is refused; two lines of three fields with OleInsertRows insert two
    // rows, paste there and select what was pasted
    EXPECT_EQ(Drop(b, text, ScreenMiddle(b, 2, 0)), DWORD(DROPEFFECT_NONE));
    s->OleInsertRows = true;
    EXPECT_EQ(Drop(b, text, ScreenMiddle(b, 2, 5)), DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(b->RowCount(), 12);
    EXPECT_EQ(b->Cells(2, 5), "x");
    EXPECT_EQ(b->Cells(4, 6), "w");
    EXPECT_EQ(b->Cells(2, 7), "b5");
    EXPECT_EQ(b->Selection(), (TGridRect{2, 5, 4, 6}));

    // rich text and URLs land in the cell unless the events refuse them
    s->SetOleDropRTF(true);
    EXPECT_TRUE(RtfDragDropMode);
    TPlusStringGrid* other = a;
    other->DragDropSettings()->SetOleDropRTF(false); // one switch for every grid
    EXPECT_FALSE(RtfDragDropMode);
    s->SetOleDropRTF(true);
    QMimeData rtf;
    rtf.setData("text/rtf", "{\\rtf1 bold}");
    Drop(b, rtf, ScreenMiddle(b, 3, 3));
    EXPECT_EQ(b->Cells(3, 3), "{\\rtf1 bold}");
    s->SetOleDropRTF(false);

    // one file: a CSV name loads the file, a spreadsheet name goes to the workbook import, and
    // OnOleDrop answering false stops both; two files do nothing
    QTemporaryDir dir;
    const QString csv = dir.filePath("a.csv");
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("p,q\r\nr,s\r\n");
    f.close();
    std::vector<std::string> asked;
    bool answer = false;
    b->OnOleDrop = [&](TObject*, int row, int col, const String& name, bool& allow) {
        asked.push_back(IntToStr(col) + "," + IntToStr(row) + " " + QFileInfo(QString::fromStdString(name)).fileName().toStdString());
        allow = answer;
    };
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(csv)});
    Drop(b, file, ScreenMiddle(b, 1, 1));
    EXPECT_EQ(b->Cells(1, 1), "a1");
    answer = true;
    Drop(b, file, ScreenMiddle(b, 1, 1));
    EXPECT_EQ(b->Cells(0, 0), "p");
    EXPECT_EQ(b->Cells(1, 1), "s");
    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(csv), QUrl::fromLocalFile(dir.filePath("b.csv"))});
    Drop(b, two, ScreenMiddle(b, 1, 1));
    answer = false;
    QMimeData workbook;
    workbook.setUrls({QUrl::fromLocalFile(dir.filePath("DATA.XLSX"))});
    Drop(b, workbook, ScreenMiddle(b, 1, 1));
    EXPECT_EQ(asked, (std::vector<std::string>{"-1,-1 a.csv", "-1,-1 a.csv", "-1,-1 DATA.XLSX"}));

    s->SetOleDropTarget(false);
    EXPECT_FALSE(b->OleDropRegistered);
    EXPECT_EQ(RegisteredDropTarget(b->Handle()), nullptr);
}
