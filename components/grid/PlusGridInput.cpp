// TPlusStringGrid: the window procedure, focus, cursor, timer and paint messages, the wheel with
// panning and zooming, and the start and end of in-place editing.
//
// The grid's messages arrive at WndProc first; what it does not end goes to the base grid's
// window procedure (the framework grid's handling, then the control's events). Invariant kept by
// every path here: after a message the current cell lies inside the grid and, in a merged
// range, on its base cell.
#include "components/grid/PlusGrid.h"

#include "components/grid/HtmlUtils.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinGdi.h"

#include <algorithm>
#include <cmath>

namespace {

// The pan cursors by direction (x, y each -1, 0 or 1): the grid's cursor resources are stood in
// for by the framework's sizing cursors.
TCursor PanCursor(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return crSizeAll;
    if (dx == 0)
        return crSizeNS;
    if (dy == 0)
        return crSizeWE;
    return (dx > 0) == (dy < 0) ? crSizeNESW : crSizeNWSE;
}

} // namespace

// ---------------------------------------------------------------- version

int TPlusStringGrid::GetVersionNr()
{
    return (5 << 24) | (8 << 16) | (7 << 8) | 0;
}

String TPlusStringGrid::GetVersionString()
{
    const int v = GetVersionNr();
    return IntToStr((v >> 24) & 0xFF) + "." + IntToStr((v >> 16) & 0xFF) + "." + IntToStr((v >> 8) & 0xFF) + "." +
           IntToStr(v & 0xFF) + " Mar, 2009";
}

// ---------------------------------------------------------------- small services

bool TPlusStringGrid::IsHoverFixedCell(int col, int row) const
{
    switch (HoverFixedCells) {
    case hfAll: return (col >= 0 && col < TBaseGrid::FixedCols()) || (row >= 0 && row < TBaseGrid::FixedRows());
    case hfFixedRows: return row < TBaseGrid::FixedRows();
    case hfFixedColumns: return col < TBaseGrid::FixedCols();
    default: return false;
    }
}

void TPlusStringGrid::StoreCellSnapshot(int col, int row)
{
    cellSnapshot_ = TPoint(col, row);
    const int real = DisplayToRealColumn(col);
    cellSnapshotText_ = real >= 0 && row >= 0 && row < RowCount() ? Cells(real, row) : String();
}

TShiftState TPlusStringGrid::KeyboardShift() const
{
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0)
        shift << ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        shift << ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        shift << ssAlt;
    return shift;
}

void TPlusStringGrid::InvalidateRangeArea(const TGridRect& r)
{
    if (!HandleAllocated())
        return;
    const TRect a = CellRect(r.Left, r.Top), b = CellRect(r.Right, r.Bottom);
    RECT u{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
    InvalidateRect(Handle(), &u, FALSE);
}

void TPlusStringGrid::KeepCellInDataArea()
{
    const int lastRow = std::max(FixedRows(), RowCount() - fixedFooters_ - 1);
    const int lastCol = std::max(FixedCols(), ColCount() - fixedRightCols_ - 1);
    const int row = std::clamp(Row(), std::min(FixedRows(), RowCount() - 1), std::min(lastRow, RowCount() - 1));
    const int col = std::clamp(Col(), std::min(FixedCols(), ColCount() - 1), std::min(lastCol, ColCount() - 1));
    if (row != Row())
        SetRow(row);
    if (col != Col())
        SetCol(col);
}

// ---------------------------------------------------------------- the window procedure

void TPlusStringGrid::WndProc(TMessage& m)
{
    if (m.Msg == WM_DESTROY) {
        if (panning_)
            PanEnd();
        KillTimer(Handle(), GridTimerId);
        // the balloon tool tip goes with the window it watches
        if (BalloonToolTip.Exists)
            DoneBalloonHints();
    }
    if (destroying_ || HasState(csDestroying)) {
        Inherited(m);
        return;
    }
    // a lost capture ends a column or row move with its display
    if (m.Msg == WM_CANCELMODE)
        EndMoveDisplay();
    if (m.Msg == CM_DESIGNHITTEST) {
        CMDesignHitTest(m);
        return;
    }
    wndSelection_ = Selection();

    const bool panKnown = wheelMessage_ != 0 && IntelliPan != ipNone;
    if (m.Msg == WM_TIMER && panning_ && panKnown) {
        PanStep();
        return;
    }
    if (m.Msg == WM_MBUTTONDOWN && panKnown && !panning_ && RowCount() > FixedRows()) {
        PanStart(m);
        return;
    }
    if (panning_ && (m.Msg == WM_MBUTTONDOWN || m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN ||
                     m.Msg == WM_KEYDOWN))
        PanEnd();
    if (wheelMessage_ != 0 && m.Msg == wheelMessage_ && !panning_) {
        if (!WheelMessageHandled(m))
            Inherited(m);
        return;
    }

    const auto alive = Life();
    ++inputDepth_;
    struct Leave {
        TPlusStringGrid* grid;
        std::shared_ptr<bool> alive;
        ~Leave()
        {
            if (*alive)
                --grid->inputDepth_;
        }
    } leave{this, alive};
    switch (m.Msg) {
    case WM_CREATE:
        Inherited(m);
        SetTimer(Handle(), GridTimerId, GridTimerPeriod, nullptr);
        SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &wheelLines_, 0);
        if (wheelLines_ == -1)
            wheelLines_ = std::max(1, VisibleRowCount());
        break;
    case WM_SETFOCUS: WMSetFocus(m); break;
    case WM_KILLFOCUS: WMKillFocus(m); break;
    case WM_SETCURSOR: WMSetCursor(m); break;
    case WM_TIMER: WMTimer(m); break;
    case WM_PAINT:
        // nothing is painted while updates are suspended; EndUpdate repaints the whole grid
        if (UpdateCount > 0) {
            m.Result = 0;
            break;
        }
        Inherited(m);
        break;
    case WM_ERASEBKGND: m.Result = 0; break;
    case WM_KEYDOWN: WMKeyDown(m); break;
    case WM_CHAR: WMChar(m); break;
    case WM_LBUTTONDOWN: WMLButtonDown(m); break;
    case WM_LBUTTONUP: WMLButtonUp(m); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(m); break;
    case WM_RBUTTONDOWN: WMRButtonDown(m); break;
    case CM_MOUSELEAVE: CMMouseLeave(m); break;
    case WM_NCPAINT: WMNCPaint(m); break;
    case WM_NOTIFY: WMNotify(m); break;
    case CM_HINTSHOW: {
        auto* info = reinterpret_cast<THintInfo*>(m.LParam);
        m.Result = info && HintShow(*info) ? 0 : 1;
        break;
    }
    case CM_ENABLEDCHANGED:
        Inherited(m);
        Invalidate();
        break;
    case CM_CURSORCHANGED:
        Inherited(m);
        if (!keepMouseZone_)
            mouseZone_ = 0;
        keepMouseZone_ = false;
        break;
    default: Inherited(m); break;
    }
    if (!*alive)
        return;
    if (inputDepth_ == 1) {
        // whatever the message did, the current cell rests on the base cell of a merged range
        if (!IsBaseOrPlainCell(Col(), Row()) && Col() < ColCount() && Row() < RowCount()) {
            const TPoint base = BaseCellOf(Col(), Row());
            if (base.X >= TBaseGrid::FixedCols() && base.Y >= TBaseGrid::FixedRows())
                MoveColRow(base.X, base.Y, false, true);
        }
    }
}

// ---------------------------------------------------------------- focus

void TPlusStringGrid::WMSetFocus(TMessage& m)
{
    if (ignoreSetFocus_) {
        ignoreSetFocus_ = false;
        return;
    }
    Inherited(m);
    const int realCol = DisplayToRealColumn(Col());
    if (GetCellType(realCol, Row()) == ctCheckBox)
        return;
    TInplaceEdit* editor = InplaceEditor();
    const bool fromEditor = editor && reinterpret_cast<HWND>(m.WParam) == editor->Handle();
    if (Navigation()->AlwaysEdit && !fromEditor && GridState() != gsRowMoving && GridState() != gsColMoving &&
        ActiveEditorType == edNormal) {
        const bool visible = Col() >= LeftCol() && Col() < LeftCol() + VisibleColCount() && Row() >= TopRow() &&
                             Row() < TopRow() + VisibleRowCount();
        if (visible && CanEditCellAt(Col(), Row())) {
            ShowInplaceEditor();
            m.Result = 0;
            return;
        }
    }
    if (InMergedRange(Col(), Row()))
        InvalidateCell(Col(), Row());
}

void TPlusStringGrid::WMKillFocus(TMessage& m)
{
    if (committing_) {
        m.Result = 1;
        return;
    }
    Inherited(m);
    if (InMergedRange(Col(), Row()))
        InvalidateCell(Col(), Row());
    if (pressedControl_.X >= 0) {
        const TPoint cell = pressedControl_;
        pressedControl_ = TPoint(-1, -1);
        RepaintCell(cell.X, cell.Y);
    }
}

void TPlusStringGrid::DoEnter()
{
    if (skipEnter_)
        return;
    try {
        TBaseGrid::DoEnter();
    } catch (...) {
        if (!Editing)
            StoreCellSnapshot(Col(), Row());
        throw;
    }
    if (!Editing)
        StoreCellSnapshot(Col(), Row());
}

void TPlusStringGrid::DoExit()
{
    if (!committing_)
        TBaseGrid::DoExit();
}

void TPlusStringGrid::Click()
{
    TBaseGrid::Click();
    // an edit whose editor has just closed keeps its cell until it is validated
    if (!Editing)
        StoreCellSnapshot(Col(), Row());
}

void TPlusStringGrid::WMSetCursor(TMessage& m)
{
    const int zone = mouseZone_;
    if (zone != 0 && GridState() != gsColSizing && GridState() != gsRowSizing) {
        // the row, column and select-all zones show an arrow pointing into the cells they select
        SetCursor(zone == 2 ? crSizeWE : zone == 1 ? crSizeNS : crSizeAll);
        m.Result = 1;
        return;
    }
    Inherited(m);
}

// ---------------------------------------------------------------- the grid timer

void TPlusStringGrid::WMTimer(TMessage& m)
{
    if (m.WParam != GridTimerId) {
        Inherited(m);
        return;
    }
    ++tickCount_;
    if (Navigation()->AutoGotoIncremental) {
        if (++searchAge_ == 4) {
            LookupText = "";
            searchAge_ = 0;
        }
    }
    if (Hovering && !HasState(csDesigning) && Showing()) {
        POINT p{};
        GetCursorPos(&p);
        const TPoint client = ScreenToClient(TPoint(p.x, p.y));
        if (ClientRect().Contains(client)) {
            int col = -1, row = -1;
            MouseToCell(client.X, client.Y, col, row);
            if (col >= FixedCols() && row >= FixedRows() && col < ColCount() && row < RowCount()) {
                if (CanFocus())
                    SetFocus();
                const TPoint base = BaseCellOf(col, row);
                SetRow(base.Y);
                SetCol(base.X);
            }
        }
    }
    if (EnableBlink) {
        blinkPhase_ = !blinkPhase_;
        auto blinkAt = [this](int col, int row) {
            if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
                return;
            if (UpperCase(GetCellText(DisplayToRealColumn(col), row)).find("<BLI") != String::npos)
                RepaintCell(col, row);
        };
        for (int r = TopRow(); r < TopRow() + VisibleRowCount(); ++r)
            for (int c = LeftCol(); c < LeftCol() + VisibleColCount() + HiddenColCount; ++c)
                blinkAt(c, r);
        for (int r = 0; r < TBaseGrid::FixedRows(); ++r)
            for (int c = LeftCol(); c < LeftCol() + VisibleColCount(); ++c)
                blinkAt(c, r);
        for (int c = 0; c < TBaseGrid::FixedCols(); ++c)
            for (int r = TopRow(); r < TopRow() + VisibleRowCount(); ++r)
                blinkAt(c, r);
    }
}

// ---------------------------------------------------------------- scrolling

// ---------------------------------------------------------------- wheel

bool TPlusStringGrid::WheelMessageHandled(TMessage& m)
{
    if (Parent() && Parent()->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam) != 0)
        return false;
    const bool down = m.WheelDelta() < 0;
    if ((GetKeyState(VK_CONTROL) < 0 || (m.Keys() & MK_CONTROL)) && IntelliZoom) {
        ZoomCells(down ? wheelLines_ : -wheelLines_);
        return true;
    }
    if (!EnableWheel)
        return false;
    if (FixedRowAlways && RowCount() == 1) {
        m.Result = 0;
        return true;
    }
    TMouseActions* actions = MouseActions();
    int step = actions->WheelIncrement >= 1 ? actions->WheelIncrement : wheelLines_;
    int target = Row();
    if (actions->WheelAction() == waScroll) {
        if (down) {
            if (TopRow() < RowCount() - VisibleRowCount())
                SetTopRowChecked(TopRow() + step);
        } else {
            step = std::min(step, TopRow() - FixedRows());
            if (TopRow() > FixedRows())
                SetTopRowChecked(TopRow() - step);
        }
    } else {
        target = down ? Row() + step : Row() - step;
    }
    const int lastData = std::max(FixedRows(), RowCount() - fixedFooters_ - 1);
    target = std::clamp(target, FixedRows(), lastData);
    if (Col() >= ColCount())
        SetCol(ColCount() - 1);
    if (Col() < FixedCols() && FixedCols() < ColCount())
        SetCol(FixedCols());
    int moved = 0;
    if (target >= 0 && target < RowCount()) {
        const int oldLeft = LeftCol();
        SuspendPaint();
        if (actions->DisjunctRowSelect() && actions->WheelAction() == waMoveSelection)
            ClearRowSelection();
        moved = target - Row();
        if (actions->WheelAction() == waMoveSelection) {
            SetRow(target);
            if (Row() != target) {
                // a row the grid refused: half the way (ties to the even row)
                const int half = int(std::nearbyint((target - Row()) / 2.0));
                const int next = std::clamp(Row() + half, FixedRows(), lastData);
                if (next != Row())
                    SetRow(next);
                if (!down && TopRow() > FixedRows())
                    SetTopRowChecked(TopRow() - 1);
            }
            SnapToBaseCell();
        }
        if (Options().Contains(goRowSelect) && Navigation()->KeepHorizScroll)
            SetLeftCol(oldLeft);
        ResetUpdateCount();
        Invalidate();
    }
    bool handled = true;
    WheelRowsMoved(moved, handled);
    if ((actions->WheelIncrement != 0 || actions->DisjunctRowSelect()) && handled) {
        m.Result = 1;
        if (actions->DisjunctRowSelect()) {
            bool eventHandled = false;
            const TPoint at(m.XPos(), m.YPos());
            if (down && OnMouseWheelDown)
                OnMouseWheelDown(this, KeyboardShift(), at, eventHandled);
            else if (!down && OnMouseWheelUp)
                OnMouseWheelUp(this, KeyboardShift(), at, eventHandled);
        }
    }
    const TGridRect now = Selection();
    if (!(now == wndSelection_))
        SelectionChanged(now.Left, now.Top, now.Right, now.Bottom);
    return actions->WheelIncrement != 0 && handled;
}

bool TPlusStringGrid::DoMouseWheelDown(TShiftState shift, TPoint mousePos)
{
    if (MouseActions()->WheelAction() == waScroll || !EnableWheel) {
        bool handled = false;
        if (OnMouseWheelDown)
            OnMouseWheelDown(this, shift, mousePos, handled);
        return handled;
    }
    TMouseActions* actions = MouseActions();
    const bool directEdit = actions->DirectEdit;
    actions->DirectEdit = false;
    bool result;
    if (Options().Contains(goRowSelect) && Navigation()->KeepHorizScroll) {
        SuspendPaint();
        const int left = LeftCol();
        result = TBaseGrid::DoMouseWheelDown(shift, mousePos);
        SetLeftCol(left);
        ResetUpdateCount();
        Invalidate();
    } else {
        const bool wasEditing = Editing;
        result = TBaseGrid::DoMouseWheelDown(shift, mousePos);
        if (wasEditing && CanFocus())
            SetFocus();
    }
    actions->DirectEdit = directEdit;
    return result;
}

bool TPlusStringGrid::DoMouseWheelUp(TShiftState shift, TPoint mousePos)
{
    if (MouseActions()->WheelAction() == waScroll || !EnableWheel) {
        bool handled = false;
        if (OnMouseWheelUp)
            OnMouseWheelUp(this, shift, mousePos, handled);
        return handled;
    }
    TMouseActions* actions = MouseActions();
    const bool directEdit = actions->DirectEdit;
    actions->DirectEdit = false;
    bool result = true;
    if (Options().Contains(goRowSelect) && Navigation()->KeepHorizScroll) {
        SuspendPaint();
        const int left = LeftCol();
        result = TBaseGrid::DoMouseWheelUp(shift, mousePos);
        SetLeftCol(left);
        ResetUpdateCount();
        Invalidate();
    } else if (Row() < RowCount() && Col() < ColCount()) {
        const bool wasEditing = Editing;
        result = TBaseGrid::DoMouseWheelUp(shift, mousePos);
        if (wasEditing && CanFocus())
            SetFocus();
    }
    actions->DirectEdit = directEdit;
    return result;
}

void TPlusStringGrid::ZoomCells(int delta)
{
    if (zoomLevel_ + delta < -10 || zoomLevel_ + delta > 10)
        return;
    zooming_ = true;
    zoomLevel_ += delta;
    BeginUpdate();
    for (int c = 0; c < ColCount(); ++c)
        if (ColWidths(c) > 0 && ColWidths(c) + delta > 0)
            SetColWidths(c, ColWidths(c) + delta);
    for (int r = 0; r < RowCount(); ++r)
        if (RowHeights(r) > 0 && RowHeights(r) + delta > 0)
            SetRowHeights(r, RowHeights(r) + delta);
    EndUpdate();
    zooming_ = false;
}

// ---------------------------------------------------------------- middle-button panning

void TPlusStringGrid::PanStart(TMessage& m)
{
    panning_ = true;
    SetTimer(Handle(), PanTimerId, 10, nullptr);
    panAnchor_ = TPoint(m.XPos(), m.YPos());
    SetMouseCapture(true);
    savedShowHint_ = ShowHint;
    ShowHint = false;
    SetCursor(PanCursor(0, 0));
    // the anchor mark: a ring at the press with a dot in its middle
    TCanvas* canvas = Canvas();
    canvas->Pen->Color = clGray;
    canvas->Brush->Style = bsClear;
    canvas->Ellipse(panAnchor_.X - 8, panAnchor_.Y - 8, panAnchor_.X + 9, panAnchor_.Y + 9);
    canvas->Brush->Style = bsSolid;
    canvas->Brush->Color = clGray;
    canvas->Ellipse(panAnchor_.X - 2, panAnchor_.Y - 2, panAnchor_.X + 3, panAnchor_.Y + 3);
}

void TPlusStringGrid::PanStep()
{
    POINT p{};
    GetCursorPos(&p);
    const TPoint at = ScreenToClient(TPoint(p.x, p.y));
    int dx = at.X < panAnchor_.X - 5 ? -1 : at.X > panAnchor_.X + 5 ? 1 : 0;
    int dy = at.Y < panAnchor_.Y - 5 ? -1 : at.Y > panAnchor_.Y + 5 ? 1 : 0;
    if (IntelliPan == ipHorizontal)
        dy = 0;
    if (IntelliPan == ipVertical)
        dx = 0;
    KeepCellInDataArea();
    if (MouseActions()->WheelAction() == waScroll) {
        int left = LeftCol(), top = TopRow();
        if (dx < 0 && left > FixedCols())
            --left;
        else if (dx > 0 && left < ColCount() - VisibleColCount())
            ++left;
        if (dy < 0 && top > FixedRows())
            --top;
        else if (dy > 0 && top < RowCount() - VisibleRowCount())
            ++top;
        if (left != LeftCol())
            SetLeftCol(left);
        if (top != TopRow())
            SetTopRowChecked(top);
    } else {
        int col = Col(), row = Row();
        if (dx < 0 && col > FixedCols())
            --col;
        else if (dx > 0 && col < ColCount() - fixedRightCols_ - 1)
            ++col;
        if (dy < 0 && row > FixedRows())
            --row;
        else if (dy > 0 && row < RowCount() - fixedFooters_ - 1)
            ++row;
        col = std::min(col, ColCount() - 1);
        row = std::min(row, RowCount() - 1);
        if (col != Col() || row != Row()) {
            // a step onto a merged range lands on its base cell, and goes past it when that
            // would mean standing still
            TPoint base = BaseCellOf(col, row);
            if (base.X == Col() && base.Y == Row()) {
                const TPoint span = MergeSpanOf(base.X, base.Y);
                const int nextCol = dx > 0 ? base.X + std::max(0, span.X) + 1 : col;
                const int nextRow = dy > 0 ? base.Y + std::max(0, span.Y) + 1 : row;
                if (nextCol < ColCount() - fixedRightCols_ && nextRow < RowCount() - fixedFooters_)
                    base = BaseCellOf(nextCol, nextRow);
            }
            if (!(base.X == Col() && base.Y == Row()))
                MoveColRow(base.X, base.Y, true, true);
        }
    }
    SetCursor(PanCursor(dx, dy));
    const TGridRect now = Selection();
    if (!(now == wndSelection_))
        SelectionChanged(now.Left, now.Top, now.Right, now.Bottom);
}

void TPlusStringGrid::PanEnd()
{
    SetMouseCapture(false);
    KillTimer(Handle(), PanTimerId);
    SetCursor(crDefault);
    ShowHint = savedShowHint_;
    panning_ = false;
    if (HandleAllocated()) {
        RECT r{panAnchor_.X - 16, panAnchor_.Y - 16, panAnchor_.X + 16, panAnchor_.Y + 16};
        InvalidateRect(Handle(), &r, FALSE);
    }
}

