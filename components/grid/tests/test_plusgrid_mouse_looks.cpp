// The string grid under the mouse: the selection resizer's handle, disjunct cell selections,
// the hot looks of headers, buttons and links, presses that may start an OLE drag, the
// header buttons a sort click leaves alone, the filter list under a header and Tab through a
// custom cell editor; driven by real Qt input through the framework stand-in, offscreen.
#include "components/grid/PlusGrid.h"
#include "components/grid/tests/GridInputFixture.h"

#include "platform/framework/Clipbrd.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"
#include "platform/win/WinToolTip.h"

#include <QCursor>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class MouseLooks : public ShownGridTest {
protected:
    MouseLooks() : ShownGridTest(8, 70, false) {}
    QPoint At(int col, int row, int dx, int dy) const
    {
        const TRect r = grid->CellRect(col, row);
        return QPoint(r.Left + dx, r.Top + dy);
    }
    void Move(QPoint at)
    {
        QTest::mouseMove(grid->Host(), at);
        QApplication::processEvents();
    }
    void Click(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mouseClick(grid->Host(), Qt::LeftButton, mods, at);
        QApplication::processEvents();
    }
    void Drag(QPoint from, QPoint to)
    {
        QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(grid->Host(), QPoint((from.x() + to.x()) / 2, (from.y() + to.y()) / 2));
        QTest::mouseMove(grid->Host(), to);
        QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, to);
        QApplication::processEvents();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* w = QApplication::focusWidget();
        QTest::keyClick(w ? w : grid->Host(), key, mods);
        QApplication::processEvents();
    }
    QPoint HandleCentre()
    {
        const TRect h = grid->SelectionResizerHandle();
        return QPoint((h.Left + h.Right) / 2, (h.Top + h.Bottom) / 2);
    }
    // The grid with the move indicator and the drop arrows over it, as on the screen.
    void SaveMove(TPopupButton* indicator, const char* name = "move.png")
    {
        const char* dir = std::getenv("QUELM_PICTURES");
        if (!dir)
            return;
        // a margin around the grid shows the arrows that stand outside it
        const int margin = 16;
        const QPoint origin = grid->Host()->mapToGlobal(QPoint(0, 0)) - QPoint(margin, margin);
        QImage picture(grid->Host()->size() + QSize(2 * margin, 2 * margin), QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter p(&picture);
        p.drawPixmap(margin, margin, grid->Host()->grab());
        auto over = [&](TWinControl* w) {
            const QPoint at = w->Host()->mapToGlobal(QPoint(0, 0)) - origin;
            p.setClipRegion(w->Host()->mask().isEmpty() ? QRegion(QRect(at, w->Host()->size()))
                                                        : w->Host()->mask().translated(at));
            p.drawPixmap(at, w->Host()->grab());
        };
        if (indicator->Visible())
            over(indicator);
        if (TDragCellsWindow* cells = grid->DragCellsWindow())
            over(cells);
        for (int i = 0; i < 4; ++i)
            if (grid->DropArrow(i)->Visible())
                over(grid->DropArrow(i));
        p.end();
        picture.save(QString(dir) + "/" + name);
    }
    void Save(const char* name)
    {
        if (const char* dir = std::getenv("QUELM_PICTURES"))
            grid->Host()->grab().save(QString(dir) + "/" + name);
    }
};

// ---------------------------------------------------------------- selection resizer

TEST_F(MouseLooks, DraggingTheSelectionResizerFillsTheNewSelectionFromTheOldOne)
{
    grid->SetSelectionRectangle(true);
    grid->SetOptions(grid->Options() + TGridOptions{goRangeSelect});
    grid->Navigation()->AllowSmartClipboard = true;
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    EXPECT_EQ(grid->SelectionResizerHandle(), TRect()); // only with SelectionResizer on
    grid->SetSelectionResizer(true);
    grid->SetCells(1, 1, "1");
    grid->SetCells(1, 2, "2");
    grid->SetSelection(TGridRect{1, 1, 1, 2});
    const TRect cell = grid->CellRect(1, 2);
    EXPECT_EQ(grid->SelectionResizerHandle(), TRect(cell.Right - 6, cell.Bottom - 6, cell.Right, cell.Bottom));
    Move(HandleCentre());
    EXPECT_EQ(grid->MouseZone(), 5);
    Save("resizer.png");

    std::vector<std::string> events;
    auto note = [&](const char* what) {
        return [&events, what](TObject*, const TGridRect& from, const TGridRect& to) {
            events.push_back(std::string(what) + " " + IntToStr(from.Bottom) + ">" + IntToStr(to.Bottom));
        };
    };
    grid->OnSelectionResize = note("resize");
    grid->OnSelectionResized = note("resized");
    Drag(HandleCentre(), Middle(1, 5));
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 1, 5}));
    EXPECT_FALSE(grid->SelectionResizing());
    // the two numbers continue as a series into the rows added
    for (int r = 1; r <= 5; ++r)
        EXPECT_EQ(grid->Cells(1, r), IntToStr(r)) << r;
    EXPECT_EQ(events, (std::vector<std::string>{"resize 2>5", "resized 2>5"}));

    // a press beside the handle selects as before, without pasting
    events.clear();
    Drag(Middle(3, 3), Middle(4, 4));
    EXPECT_EQ(grid->Selection(), (TGridRect{3, 3, 4, 4}));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(grid->Cells(3, 3), "D3");
}

// ---------------------------------------------------------------- disjunct cells

TEST_F(MouseLooks, DisjunctCellsAreAddedWithCtrlAndStartAgainOnAPlainClick)
{
    grid->MouseActions()->SetDisjunctCellSelect(true);
    struct Step {
        int col, row;
        Qt::KeyboardModifiers mods;
        std::vector<std::pair<int, int>> selected;
    } steps[] = {
        {1, 1, Qt::NoModifier, {{1, 1}}},
        {3, 2, Qt::ControlModifier, {{1, 1}, {3, 2}}},
        {2, 4, Qt::ControlModifier, {{1, 1}, {3, 2}, {2, 4}}},
        {3, 2, Qt::ControlModifier, {{1, 1}, {2, 4}}},   // a listed cell goes
        // Shift: the range from the current cell to the click replaces the list
        {4, 5, Qt::ShiftModifier, {{3, 2}, {3, 3}, {3, 4}, {3, 5}, {4, 2}, {4, 3}, {4, 4}, {4, 5}}},
        {0, 3, Qt::NoModifier, {{3, 2}, {3, 3}, {3, 4}, {3, 5}, {4, 2}, {4, 3}, {4, 4}, {4, 5}}}, // fixed
        {5, 6, Qt::NoModifier, {{5, 6}}},                 // a plain click starts again
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(IntToStr(s.col) + "," + IntToStr(s.row));
        Click(Middle(s.col, s.row), s.mods);
        int count = 0;
        for (int r = 1; r < grid->RowCount(); ++r)
            for (int c = 1; c < grid->ColCount(); ++c) {
                const bool want =
                    std::find(s.selected.begin(), s.selected.end(), std::make_pair(c, r)) != s.selected.end();
                EXPECT_EQ(grid->IsCellSelected(c, r), want) << c << "," << r;
                count += want;
            }
        EXPECT_EQ(grid->SelectedCells()->Count(), count);
    }
    // a refused OnSelectCell adds nothing
    grid->OnSelectCell = [](TObject*, int, int, bool& can) { can = false; };
    Click(Middle(2, 2), Qt::ControlModifier);
    EXPECT_TRUE(grid->IsCellSelected(5, 6));
    EXPECT_FALSE(grid->IsCellSelected(2, 2));
}

// ---------------------------------------------------------------- hover looks

TEST_F(MouseLooks, HeadersButtonsAndLinksLookHotUnderTheMouseUntilItLeaves)
{
    grid->SetLook(glListView);
    grid->AddButton(2, 3, 50, 18, "Go", haCenter, vaCenter);
    grid->URLUnderlineOnHover = true;
    grid->SetColWidths(4, 110);
    grid->SetCells(4, 2, "see <a href=\"first\">one</a> or <a href=\"second\">two</a>");
    std::vector<std::string> anchors;
    grid->OnAnchorEnter = [&](TObject*, int row, int col, const String& a) {
        anchors.push_back("enter " + IntToStr(col) + "," + IntToStr(row) + " " + a);
    };
    grid->OnAnchorExit = [&](TObject*, int, int, const String& a) { anchors.push_back("exit" + a); };

    Move(Middle(2, 0));
    EXPECT_EQ(grid->ListViewHoverCell(), TPoint(2, 0));
    Save("hotheader.png");
    Move(Middle(2, 3));
    EXPECT_EQ(grid->HotButtonCell(), TPoint(2, 3));
    Save("hotbutton.png");
    Move(At(2, 3, 2, 2)); // beside the button
    EXPECT_EQ(grid->HotButtonCell(), TPoint(-1, -1));
    Move(Middle(2, 3));

    // the links of the HTML cell: found by walking across the cell
    const TRect cell = grid->CellRect(4, 2);
    int firstX = -1;
    for (int x = cell.Left; x < cell.Right && firstX < 0; ++x) {
        Move(QPoint(x, (cell.Top + cell.Bottom) / 2));
        if (!grid->EnteredAnchor().empty())
            firstX = x;
    }
    ASSERT_GE(firstX, 0);
    EXPECT_EQ(grid->EnteredAnchor(), "first");
    EXPECT_EQ(grid->LinkHoverCell(), TPoint(4, 2));
    EXPECT_EQ(grid->Cursor(), crHandPoint);
    Save("hover.png");
    Move(QPoint(cell.Left + 2, (cell.Top + cell.Bottom) / 2));
    EXPECT_EQ(grid->EnteredAnchor(), "");
    EXPECT_EQ(grid->LinkHoverCell(), TPoint(-1, -1));
    EXPECT_NE(grid->Cursor(), crHandPoint);
    EXPECT_EQ(anchors, (std::vector<std::string>{"enter 4,2 first", "exit"}));

    // leaving the grid ends every hover look
    Move(Middle(3, 0));
    EXPECT_EQ(grid->ListViewHoverCell(), TPoint(3, 0));
    TMessage leave{CM_MOUSELEAVE, 0, 0, 0};
    grid->WindowProc(leave);
    EXPECT_EQ(grid->ListViewHoverCell(), TPoint(-1, -1));
    EXPECT_EQ(grid->HotButtonCell(), TPoint(-1, -1));
}

// ---------------------------------------------------------------- drag candidates

TEST_F(MouseLooks, APressOnTheSelectionKeepsItUntilTheReleaseWhenItMayBeDragged)
{
    grid->SetOptions(grid->Options() + TGridOptions{goRangeSelect});
    struct Case {
        const char* name;
        bool source, editing;
        int col, row;
        bool candidate;
        TGridRect afterPress, afterRelease;
    } cases[] = {
        {"selected cell", true, false, 2, 2, true, {1, 1, 3, 3}, {2, 2, 2, 2}},
        {"not a drag source", false, false, 2, 2, false, {2, 2, 2, 2}, {2, 2, 2, 2}},
        {"editable grid", true, true, 2, 2, false, {2, 2, 2, 2}, {2, 2, 2, 2}},
        {"outside the selection", true, false, 5, 5, false, {5, 5, 5, 5}, {5, 5, 5, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->DragDropSettings()->OleDropSource = c.source;
        grid->SetOptions(c.editing ? grid->Options() + TGridOptions{goEditing} : grid->Options() - TGridOptions{goEditing});
        grid->SetSelection(TGridRect{1, 1, 3, 3});
        QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(c.col, c.row));
        QApplication::processEvents();
        EXPECT_EQ(grid->DragCandidate(), c.candidate);
        EXPECT_EQ(grid->Selection(), c.afterPress);
        QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(c.col, c.row));
        QApplication::processEvents();
        grid->HideInplaceEditor();
        EXPECT_FALSE(grid->DragCandidate());
        EXPECT_EQ(grid->Selection(), c.afterRelease);
    }
}

TEST_F(MouseLooks, APressThatCannotDragTurnsIntoARangeSelectionFromThePressedCell)
{
    grid->SetOptions(grid->Options() + TGridOptions{goRangeSelect});
    grid->SetSelectionRectangle(true);
    grid->SetSelectionResizer(true);
    const TRect pressed = grid->CellRect(2, 2);
    const QPoint press(pressed.Right - 14, pressed.Bottom - 3);
    struct Case {
        const char* name;
        bool sourceOffAfterPress, refuse;
        QPoint firstMove; // 4 pixels or more from the press
        TGridState during;
        TGridRect afterRelease;
    } cases[] = {
        {"onto the selection resizer's handle", false, false, QPoint(pressed.Right - 3, pressed.Bottom - 3),
         gsSelecting, {2, 2, 4, 4}},
        {"drag source switched off after the press", true, false, press + QPoint(0, 8), gsSelecting, {2, 2, 4, 4}},
        {"the drag refused by OnOleDrag", false, true, press + QPoint(0, 8), gsNormal, {1, 1, 2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->DragDropSettings()->OleDropSource = true;
        grid->OnOleDrag = [&](TObject*, int, int, const String&, bool& allow) { allow = !c.refuse; };
        grid->SetSelection(TGridRect{1, 1, 2, 2});
        QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, press);
        QApplication::processEvents();
        ASSERT_TRUE(grid->DragCandidate());
        if (c.sourceOffAfterPress)
            grid->DragDropSettings()->OleDropSource = false;
        Move(c.firstMove);
        EXPECT_EQ(grid->GridState(), c.during);
        EXPECT_FALSE(grid->DragCandidate());
        Move(Middle(4, 4));
        QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(4, 4));
        QApplication::processEvents();
        EXPECT_EQ(grid->GridState(), gsNormal);
        EXPECT_EQ(grid->Selection(), c.afterRelease);
    }
}

// ---------------------------------------------------------------- header buttons and the filter list

TEST_F(MouseLooks, ASortClickLeavesTheHeaderDropDownAndFilterButtonsAlone)
{
    grid->SortSettings()->Show = true;
    for (int r = 1; r < grid->RowCount(); ++r)
        grid->SetCells(2, r, IntToStr(10 - r));
    const TRect h = grid->CellRect(2, 0);
    struct Case {
        const char* name;
        bool dropDown, filter;
        int fromRight;
        bool sorts;
    } cases[] = {
        {"plain header", false, false, 10, true},
        {"drop-down button", true, false, 10, false},
        {"beside the drop-down button", true, false, 20, true},
        {"filter button", false, true, 10, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->ControlLook()->FixedDropDownButton = c.dropDown;
        grid->OnGetColumnFilter = c.filter ? TGetColumnFilterEvent([](TObject*, int, TStrings* list) {
            list->Add("low=< 5");
        })
                                           : TGetColumnFilterEvent();
        grid->SortSettings()->Column = -1;
        Click(QPoint(h.Right - c.fromRight, (h.Top + h.Bottom) / 2));
        EXPECT_EQ(grid->SortSettings()->Column == 2, c.sorts);
        grid->SetFocus();
    }
}

TEST_F(MouseLooks, TheFilterListOpensUnderItsButtonAndFiltersByTheItemPicked)
{
    grid->OnGetColumnFilter = [](TObject*, int col, TStrings* list) {
        if (col == 3) {
            list->Add("Two=D2");
            list->Add("Five=D5");
        }
    };
    grid->FilterDropDown()->AutoSize = true;
    const TRect h = grid->CellRect(3, 0);
    Click(QPoint(h.Right - 8, h.Top + 5));
    ASSERT_EQ(grid->FilterListColumn(), 3);
    TListBox* list = grid->FilterList();
    ASSERT_TRUE(list && list->Visible());
    ASSERT_EQ(list->Items()->Count(), 2);
    const int two = list->Items()->IndexOf("Two");
    EXPECT_GE(two, 0);
    EXPECT_GE(list->Items()->IndexOf("Five"), 0);
    EXPECT_EQ(list->Top(), h.Top + 16);
    Save("filterlist.png");

    // a click on another header closes it; the button of a column without a filter opens none
    Click(Middle(1, 0));
    EXPECT_FALSE(list->Visible());
    const TRect other = grid->CellRect(1, 0);
    Click(QPoint(other.Right - 8, other.Top + 5));
    EXPECT_EQ(grid->FilterListColumn(), -1);

    // Return picks the item: only the row of "D2" stays
    Click(QPoint(h.Right - 8, h.Top + 5));
    ASSERT_TRUE(list->Visible());
    list->SetItemIndex(two);
    TMessage enter{WM_KEYDOWN, VK_RETURN, 0, 0};
    list->WindowProc(enter);
    QApplication::processEvents();
    EXPECT_FALSE(list->Visible());
    EXPECT_TRUE(grid->FilterActive());
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Cells(3, 1), "D2");
}

// ---------------------------------------------------------------- the balloon

TEST_F(MouseLooks, TheBalloonShowsTheCellOnTheToolTipWindowAndGoesOnAnotherCell)
{
    grid->Balloon()->InitialDelay = 30;
    grid->Balloon()->AutoHideDelay = 3000;
    grid->Balloon()->Transparency = 40;
    grid->Balloon()->SetEnable(true);
    HWND tip = grid->BalloonToolTip.Window;
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessage(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 30);
    EXPECT_EQ(SendMessage(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 3000);
    EXPECT_TRUE(GetWindowLong(tip, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_NEAR(tip->windowOpacity(), 215 / 255.0, 0.01);
    grid->Balloon()->Transparency = 0;
    grid->Balloon()->SetEnable(false);
    EXPECT_EQ(grid->BalloonToolTip.Window, nullptr);
    EXPECT_FALSE(DestroyWindow(tip)); // gone already
    grid->Balloon()->SetEnable(true);
    tip = grid->BalloonToolTip.Window;
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

    grid->SetCells(2, 3, "Balance:\t1,250.00");
    grid->OnCellBalloon = [](TObject*, int col, int row, String& title, String&, int& icon) {
        title = "Cell " + IntToStr(col) + "," + IntToStr(row);
        icon = 2;
    };
    auto hoverAt = [&](QPoint at) {
        QCursor::setPos(grid->Host()->mapToGlobal(at));
        Move(at);
    };
    hoverAt(Middle(2, 3));
    QTRY_VERIFY_WITH_TIMEOUT(IsWindowVisible(tip), 2000);
    char text[128] = {};
    SendMessage(tip, WM_GETTEXT, sizeof text, LPARAM(text));
    EXPECT_STREQ(text, "Balance: 1,250.00");
    char title[64] = {};
    TTGETTITLE get;
    get.cch = sizeof title;
    get.pszTitle = title;
    SendMessage(tip, TTM_GETTITLE, 0, LPARAM(&get));
    EXPECT_STREQ(title, "Cell 2,3");
    EXPECT_EQ(get.uTitleBitmap, 2u);
    EXPECT_EQ(grid->BalloonCell, TPoint(2, 3));
    if (const char* dir = std::getenv("QUELM_PICTURES")) {
        // the grid and the balloon above it, as they stand on the screen
        const QPoint origin = grid->Host()->mapToGlobal(QPoint(0, 0));
        QImage picture(grid->Host()->size() + QSize(0, 120), QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter p(&picture);
        p.drawPixmap(0, 0, grid->Host()->grab());
        p.setClipRegion(tip->mask().isEmpty() ? QRegion(tip->rect()).translated(tip->pos() - origin)
                                              : tip->mask().translated(tip->pos() - origin));
        p.drawPixmap(tip->pos() - origin, tip->grab());
        p.end();
        picture.save(QString(dir) + "/balloon.png");
    }
    // another cell takes the balloon away
    hoverAt(Middle(4, 5));
    EXPECT_FALSE(IsWindowVisible(tip));
    EXPECT_EQ(grid->BalloonCell, TPoint(-1, -1));
    grid->Balloon()->SetEnable(false);
}

// ---------------------------------------------------------------- enhanced column move

TEST_F(MouseLooks, AHeaderDraggedWithTheEnhancedDisplayMovesOnlyWhereItMayDrop)
{
    grid->SetOptions(grid->Options() + TGridOptions{goColMoving});
    grid->SortSettings()->Show = true;
    struct Case {
        const char* name;
        bool enhanced, refuse;
        TCursor during;
        const char* landedAt4;
        bool showCells = false; // the picture of the column instead of the indicator
    } cases[] = {
        {"enhanced display", true, false, crDrag, "C1"},
        {"refused by OnColumnMoving", true, true, crNoDrop, "E1"},
        {"framework display", false, false, crDefault, "C1"},
        {"enhanced display with the column's picture", true, false, crDrag, "C1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->DragDropSettings()->SetShowCells(c.showCells);
        for (int col = 0; col < grid->ColCount(); ++col)
            for (int r = 0; r < grid->RowCount(); ++r)
                grid->SetCells(col, r, String(1, char('A' + col)) + IntToStr(r));
        grid->EnhRowColMove = c.enhanced;
        std::vector<int> moving;
        grid->OnColumnMoving = [&](TObject*, int col, bool& allow) {
            moving.push_back(col);
            allow = !c.refuse;
        };
        // the grid's own drag notifications frame an enhanced move
        int starts = 0, ends = 0;
        grid->OnStartDrag = [&](TObject*, TObject*&) { ++starts; };
        grid->OnEndDrag = [&](TObject*, TObject*, int, int) { ++ends; };
        QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(2, 0));
        QTest::mouseMove(grid->Host(), Middle(3, 0));
        QTest::mouseMove(grid->Host(), Middle(4, 0));
        QApplication::processEvents();
        EXPECT_EQ(Screen->Cursor(), c.during);
        TPopupButton* indicator = grid->MoveIndicator();
        if (c.enhanced) {
            ASSERT_TRUE(indicator);
            EXPECT_EQ(indicator->Visible(), !c.showCells);
            EXPECT_EQ(indicator->Caption(), "C0");
            EXPECT_EQ(indicator->Width(), grid->ColWidths(2));
            EXPECT_EQ(grid->MoveTarget(), TPoint(4, 0));
            EXPECT_TRUE(grid->DropArrow(0)->Visible());
            EXPECT_EQ(moving.back(), 4);
            // the indicator keeps the grip point: its left edge lies where the header's was, moved
            const TPoint screen = grid->ClientToScreen(TPoint(grid->CellRect(2, 0).Left, 0));
            EXPECT_NEAR(indicator->Left(), screen.X + (Middle(4, 0).x() - Middle(2, 0).x()), 2); // its frame
            // the picture: the column from its header to the last row in view, at the same place
            TDragCellsWindow* picture = grid->DragCellsWindow();
            ASSERT_EQ(picture != nullptr, c.showCells);
            if (picture) {
                const TRect top = grid->CellRect(2, 0), bottom = grid->CellRect(2, grid->RowCount() - 1);
                EXPECT_TRUE(picture->Visible());
                EXPECT_EQ(TPoint(picture->Left(), picture->Top()), TPoint(indicator->Left(), indicator->Top()));
                EXPECT_EQ(picture->Width(), top.Right - top.Left);
                EXPECT_EQ(picture->Height(), bottom.Bottom - top.Top);
            }
            if (!c.refuse)
                SaveMove(indicator, c.showCells ? "move_picture.png" : "move.png");
            // a right button release goes on moving
            QTest::mouseClick(grid->Host(), Qt::RightButton, Qt::NoModifier, Middle(4, 0));
            EXPECT_EQ(grid->GridState(), gsColMoving);
        } else {
            EXPECT_TRUE(!indicator || !indicator->Visible());
            EXPECT_TRUE(moving.empty());
        }
        QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(4, 0));
        QApplication::processEvents();
        EXPECT_EQ(grid->GridState(), gsNormal);
        EXPECT_EQ(grid->Cells(4, 1), c.landedAt4);
        EXPECT_EQ(Screen->Cursor(), crDefault);
        EXPECT_TRUE(!indicator || !indicator->Visible());
        EXPECT_EQ(grid->DragCellsWindow(), nullptr);
        EXPECT_FALSE(grid->DropArrow(0)->Visible());
        EXPECT_EQ(grid->SortSettings()->Column, -1); // a move never sorts
        EXPECT_EQ(starts > 0, c.enhanced);
        EXPECT_EQ(ends, c.enhanced ? 1 : 0);
    }
}

// ---------------------------------------------------------------- enhanced row move

TEST_F(MouseLooks, ARowDraggedWithTheEnhancedDisplayShowsAnArrowOnEachSideOfItsDropEdge)
{
    grid->SetOptions(grid->Options() + TGridOptions{goRowMoving});
    struct Case {
        const char* name;
        int from, to;
        bool footer;     // the floating footer's fixed last row
        int target;      // the move target at the release
        bool bottomEdge; // the arrows mark the target's bottom edge, else its top edge
        const char* at2; // what row 2 holds after the release
    } cases[] = {
        {"down: the bottom edge of the target", 2, 5, false, 5, true, "B3"},
        {"up: the top edge of the target", 5, 2, false, 2, false, "B5"},
        {"onto the footer row: no target there, nothing moves", 2, 7, true, 4, true, "B2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        grid->SetOptions(grid->Options() + TGridOptions{goRowMoving});
        grid->FloatingFooter()->SetVisible(c.footer);
        std::vector<int> moving;
        grid->OnRowMoving = [&](TObject*, int row, bool&) { moving.push_back(row); };
        int movedEvents = 0;
        grid->OnRowMoved = [&](TObject*, int, int) { ++movedEvents; };
        QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(0, c.from));
        QTest::mouseMove(grid->Host(), Middle(0, c.footer ? 4 : (c.from + c.to) / 2));
        QTest::mouseMove(grid->Host(), Middle(0, c.to));
        QApplication::processEvents();
        ASSERT_EQ(grid->GridState(), gsRowMoving);
        EXPECT_EQ(grid->MoveTarget(), TPoint(0, c.target));
        EXPECT_EQ(moving.back(), c.target);
        if (!c.footer) {
            // right-pointing left of the row's first cell, left-pointing right of it, each
            // centred on the drop edge and as large as its outline
            const TRect r = grid->CellRect(0, c.target);
            const int edge = c.bottomEdge ? r.Bottom : r.Top;
            const struct {
                int which;
                uint8_t direction;
                TPoint at;
            } arrows[] = {{2, 2, TPoint(r.Left - 10, edge - 5)}, {3, 3, TPoint(r.Right, edge - 5)}};
            for (const auto& a : arrows) {
                TArrowWindow* arrow = grid->DropArrow(a.which);
                ASSERT_TRUE(arrow->Visible()) << a.which;
                EXPECT_EQ(arrow->Direction(), a.direction);
                EXPECT_EQ(TPoint(arrow->Left(), arrow->Top()), grid->ClientToScreen(a.at)) << a.which;
                EXPECT_EQ(arrow->Width(), 11);
                EXPECT_EQ(arrow->Height(), 11);
            }
            EXPECT_FALSE(grid->DropArrow(0)->Visible());
            SaveMove(grid->MoveIndicator(), c.bottomEdge ? "rowmove_down.png" : "rowmove_up.png");
        }
        QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(0, c.to));
        QApplication::processEvents();
        EXPECT_EQ(grid->GridState(), gsNormal);
        EXPECT_EQ(grid->Cells(1, 2), c.at2);
        EXPECT_EQ(movedEvents, c.footer ? 0 : 1);
        for (int i = 0; i < 4; ++i)
            EXPECT_FALSE(grid->DropArrow(i)->Visible()) << i;
    }
}

// ---------------------------------------------------------------- Tab through a custom editor

class TabEditLink : public TEditLink {
public:
    using TEditLink::TEditLink;
    void CreateEditor(TWinControl* parent) override
    {
        if (!edit) {
            edit = new TEdit(this);
            edit->OnKeyDown = [this](TObject* sender, WORD& key, TShiftState shift) { HandleEditKey(sender, key, shift); };
        }
        edit->SetParent(parent);
    }
    TWinControl* GetEditControl() override { return edit; }
    void GetEditorValue(String& s) override { s = edit ? edit->Text() : String(); }
    void SetEditorValue(const String& s) override
    {
        if (edit)
            edit->SetText(s);
    }
    TEdit* edit = nullptr;
};

TEST_F(MouseLooks, TabInACustomEditorWritesTheCellAndMovesOnWithGoTabs)
{
    grid->SetOptions(grid->Options() + TGridOptions{goEditing, goTabs});
    auto* link = new TabEditLink(form.get());
    grid->EditLink = link;
    grid->OnGetEditorType = [](TObject*, int, int, TEditorType& e) { e = edCustom; };
    grid->SetCol(4);
    grid->SetRow(1);
    Key(Qt::Key_F2);
    ASSERT_TRUE(link->edit && link->edit->Visible());
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* typed;
        int col, row;
    } steps[] = {
        {Qt::Key_Tab, Qt::NoModifier, "x", 5, 1},
        {Qt::Key_Tab, Qt::NoModifier, "y", 1, 2},      // past the last column: the next row
        {Qt::Key_Backtab, Qt::ShiftModifier, "z", 5, 1}, // back over the row's start
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.typed);
        const int col = grid->Col(), row = grid->Row();
        link->edit->SetText(s.typed);
        Key(s.key, s.mods);
        EXPECT_EQ(grid->Cells(col, row), s.typed);
        EXPECT_EQ(grid->Col(), s.col);
        EXPECT_EQ(grid->Row(), s.row);
    }
    grid->HideInplaceEditor();
    grid->EditLink = nullptr;
}

} // namespace
