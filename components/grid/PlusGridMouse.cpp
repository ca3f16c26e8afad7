// TPlusStringGrid: the mouse. A left press records the mouse state (press point, header index,
// sizing candidate) and gives the press to the framework grid, which selects cells and starts
// sizing and moving columns; mouse moves report sizing and keep the hover looks; the release
// ends sizing and moving and sorts on a click in the header row. Presses on a merged range act
// on its base cell.
#include "PlusGrid.h"

#include "platform/framework/Forms.h"

#include <algorithm>

// ---------------------------------------------------------------- the press

void TPlusStringGrid::WMLButtonDown(TMessage& m)
{
    pressMark_ = true;
    buttonDown_ = true;
    int x = m.XPos(), y = m.YPos();
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    TMouseActions* actions = MouseActions();

    if (actions->RangeSelectAndEdit && Options().Contains(goEditing) && !Selection().Contains(col, row))
        SetOptions(Options() - TGridOptions{goEditing});
    if (OnCanClickCell) {
        bool allow = true;
        OnCanClickCell(this, row, col, allow);
        if (!allow)
            return;
    }
    LookupText = "";
    pressedControl_ = TPoint(-1, -1);
    leftAtPress_ = LeftCol();
    topAtPress_ = TopRow();

    // the cell left of and above the press: the one whose edge a press near it would size
    int sc = -1, sr = -1;
    if (row == 0)
        MouseToCell(x - 5, y, sc, sr);
    else if (col != 0)
        MouseToCell(x - 5, y - 4, sc, sr);
    else
        MouseToCell(x, y - 4, sc, sr);
    sizingCandidate_ = TPoint(sc, sr);
    downPoint_ = TPoint(x, y);

    if (col < 0 || row < 0) {
        HideInplaceEditor();
        if (!FixedRowAlways)
            Inherited(m);
        return;
    }
    const bool fixedCell = row < TBaseGrid::FixedRows() || col < TBaseGrid::FixedCols();
    const TPoint base = BaseCellOf(col, row);
    const TRect cellRect = MergedCellRect(base.X, base.Y);
    if (fixedCell || IsFixedCell(col, row))
        HideInplaceEditor();
    const bool extraFixed = !fixedCell && IsFixedCell(col, row);

    // a press inside a merged range acts on its base cell
    if (!fixedCell && InMergedRange(col, row) && !(base.X == col && base.Y == row)) {
        x = cellRect.Left + 2;
        y = cellRect.Top + 2;
        m.LParam = MAKELPARAM(x, y);
    }
    if (col >= ColCount() || row >= RowCount()) {
        Inherited(m);
        return;
    }
    if (sc >= 0 && sr >= 0) {
        const TRect candidate = CellRect(sc, sr);
        sizingOffset_ = TPoint(downPoint_.X - candidate.Right, downPoint_.Y - candidate.Bottom);
    } else {
        sizingOffset_ = TPoint(0, 0);
    }
    if (actions->DisjunctRowSelect() && row >= TBaseGrid::FixedRows() &&
        (col != 0 || !actions->HotmailRowSelect())) {
        const TShiftState keys = KeyboardShift();
        if (keys.Contains(ssShift)) {
            const TGridRect before = Selection();
            Inherited(m);
            SetSelection(TGridRect{std::min(base.X, before.Left), std::min(base.Y, before.Top),
                                   std::max(base.X, before.Left), std::max(base.Y, before.Top)});
            return;
        }
        if (!keys.Contains(ssCtrl) && !actions->DisjunctRowSelectNoCtrl && !keys.Contains(ssAlt))
            ClearRowSelection();
    }
    headerIndex_ = -1;
    if (row < TBaseGrid::FixedRows() && col >= TBaseGrid::FixedCols())
        headerIndex_ = col;
    else if (col < TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows())
        headerIndex_ = row;
    clickOffset_ = TPoint(x - cellRect.Left, y - cellRect.Top);

    if (extraFixed) {
        if (OnClickCell)
            OnClickCell(this, row, col);
        return;
    }
    const bool alwaysEdit = Navigation()->AlwaysEdit;
    const bool keepLeft = Options().Contains(goRowSelect) && Navigation()->KeepHorizScroll;
    if (keepLeft)
        BeginUpdate();
    const auto alive = Life();
    try {
        Navigation()->AlwaysEdit = false;
        Inherited(m);
        if (!*alive)
            return;
        Navigation()->AlwaysEdit = alwaysEdit;
    } catch (...) {
        if (*alive) {
            Navigation()->AlwaysEdit = alwaysEdit;
            if (keepLeft) {
                SetLeftCol(leftAtPress_);
                EndUpdate();
            }
        }
        throw;
    }
    if (keepLeft) {
        SetLeftCol(leftAtPress_);
        EndUpdate();
    }
    // whatever the framework selected, the current cell stands on a base cell
    SnapToBaseCell();
    if (actions->NoScrollOnPartialRow && TopRow() != topAtPress_)
        SetTopRowChecked(topAtPress_);
    const bool onEdge = x - cellRect.Left <= 3 || cellRect.Right - x <= 3;
    if ((!onEdge || !Options().Contains(goColSizing) || row >= TBaseGrid::FixedRows()) && OnClickCell)
        OnClickCell(this, row, col);
    if (OnCellValidate)
        StoreCellSnapshot(Col(), Row());
}

void TPlusStringGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TMouseActions* actions = MouseActions();
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    if (actions->RangeSelectAndEdit && button == mbLeft && !actions->EditOnDblClickOnly()) {
        if (col == Col() && row == Row() && !Options().Contains(goEditing) && CanEditCellAt(col, row)) {
            SetOptions(Options() + TGridOptions{goEditing});
            inMouseDown_ = true;
            TBaseGrid::MouseDown(button, shift, x, y);
            inMouseDown_ = false;
            ShowInplaceEditor();
            return;
        }
        if (shift.Contains(ssShift) && !(col == Col() && row == Row()) && Options().Contains(goEditing)) {
            SetOptions(Options() - TGridOptions{goEditing});
            inMouseDown_ = true;
            TBaseGrid::MouseDown(button, shift, x, y);
            inMouseDown_ = false;
            return;
        }
    }
    inMouseDown_ = true;
    try {
        TBaseGrid::MouseDown(button, shift, x, y);
    } catch (...) {
        inMouseDown_ = false;
        throw;
    }
    inMouseDown_ = false;
    if (shift.Contains(ssShift) && SelectionRectangle())
        InvalidateRangeArea(Selection());
}

// ---------------------------------------------------------------- moving the mouse

void TPlusStringGrid::MouseMove(TShiftState shift, int x, int y)
{
    TMouseActions* actions = MouseActions();
    if (buttonDown_ && actions->RangeSelectAndEdit && Options().Contains(goEditing) && !Editing)
        SetOptions(Options() - TGridOptions{goEditing});
    const TGridRect before = Selection();
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    if (col >= 0 && row >= 0 && !HasState(csDesigning)) {
        if (HoverRow && row != HoverRowIndex) {
            const int old = HoverRowIndex;
            HoverRowIndex = row;
            RepaintRow(row);
            if (old >= 0 && old < RowCount())
                RepaintRow(old);
        }
    }
    if (HoverFixedCells != hfNone && !(hoverFixedCell_ == TPoint(col, row))) {
        const TPoint old = hoverFixedCell_;
        hoverFixedCell_ = TPoint(col, row);
        auto inFixedBand = [this](TPoint c) {
            return c.X >= 0 && c.Y >= 0 && (c.Y < TBaseGrid::FixedRows() || c.X < TBaseGrid::FixedCols());
        };
        if (inFixedBand(old))
            RepaintCell(old.X, old.Y);
        if (inFixedBand(hoverFixedCell_))
            RepaintCell(col, row);
    }
    if (!HasState(csDesigning)) {
        if (GridState() == gsColSizing)
            colSized_ = true;
        if (GridState() == gsRowSizing)
            rowSized_ = true;
        mouseZone_ = 0;
    }
    if (col != HintCell.X || row != HintCell.Y) {
        Application->CancelHint();
        HintCell = TPoint(-1, -1);
    }
    TBaseGrid::MouseMove(shift, x, y);
    if (Navigation()->KeepHorizScroll && buttonDown_ && GridState() != gsColMoving && LeftCol() != leftAtPress_) {
        SuspendPaint();
        SetLeftCol(leftAtPress_);
        ResetUpdateCount();
        Invalidate();
    }
    // the current cell never rests inside a merged range while the mouse selects
    if (GridState() == gsSelecting && InMergedRange(Col(), Row()) && !IsBaseOrPlainCell(Col(), Row()))
        SnapToBaseCell();
    if (GridState() == gsColSizing && OnColumnSizing && sizingCandidate_.X >= 0) {
        const TRect candidate = CellRect(sizingCandidate_.X, std::max(0, sizingCandidate_.Y));
        OnColumnSizing(this, sizingCandidate_.X, x - candidate.Left - sizingOffset_.X);
    }
    if (GridState() == gsRowSizing && OnRowSizing && sizingCandidate_.Y >= 0) {
        const TRect candidate = CellRect(std::max(0, sizingCandidate_.X), sizingCandidate_.Y);
        OnRowSizing(this, sizingCandidate_.Y, y - candidate.Top - sizingOffset_.Y);
    }
    if (GridState() == gsColMoving && headerIndex_ >= 0 && OnColumnMove) {
        bool allow = true;
        OnColumnMove(this, headerIndex_, allow);
        if (!allow)
            Perform(WM_CANCELMODE, 0, 0);
    }
    if (GridState() == gsRowMoving && headerIndex_ >= 0 && OnRowMove) {
        bool allow = true;
        OnRowMove(this, headerIndex_, allow);
        if (!allow)
            Perform(WM_CANCELMODE, 0, 0);
    }
    const TGridRect now = Selection();
    if (!(now == before))
        SelectionChanged(now.Left, now.Top, now.Right, now.Bottom);
}

void TPlusStringGrid::CMMouseLeave(TMessage& m)
{
    Inherited(m);
    mouseZone_ = 0;
    if (HoverFixedCells != hfNone && hoverFixedCell_.X >= 0) {
        const TPoint old = hoverFixedCell_;
        hoverFixedCell_ = TPoint(-1, -1);
        RepaintCell(old.X, old.Y);
    }
    if (HoverRow && HoverRowIndex >= 0) {
        const int old = HoverRowIndex;
        HoverRowIndex = -1;
        RepaintRow(old);
    }
}

void TPlusStringGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                      TGridDrawInfo& FixedInfo)
{
    TBaseGrid::CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs, FixedInfo);
    if (State == gsColSizing && OnColumnSize) {
        int col = -1, row = -1;
        MouseToCell(X - 6, Y, col, row);
        if (col >= 0) {
            bool allow = true;
            OnColumnSize(this, col, allow);
            if (!allow)
                State = gsNormal;
        }
    }
    if (State == gsRowSizing && OnRowSize) {
        int col = -1, row = -1;
        MouseToCell(X, Y - 6, col, row);
        if (row >= 0) {
            bool allow = true;
            OnRowSize(this, row, allow);
            if (!allow)
                State = gsNormal;
        }
    }
}

bool TPlusStringGrid::IsOnColumnSizingEdge(int x, int y)
{
    TGridDrawInfo info;
    TGridState state = gsNormal;
    int index = -1, pos = 0, ofs = 0;
    TBaseGrid::CalcSizingState(x, y, state, index, pos, ofs, info);
    return state == gsColSizing;
}

// ---------------------------------------------------------------- columns and rows moved or sized

void TPlusStringGrid::ColumnMoved(int fromIndex, int toIndex)
{
    const int from = DisplayToRealColumn(fromIndex), to = DisplayToRealColumn(toIndex);
    if (EnhRowColMove)
        movedMark_ = true;
    TBaseGrid::ColumnMoved(fromIndex, toIndex);
    // the sort follows its data: the sorted column and the index list move with the columns
    auto follow = [from, to](int c) {
        if (c == from)
            return to;
        if (from < to && c > from && c <= to)
            return c - 1;
        if (from > to && c >= to && c < from)
            return c + 1;
        return c;
    };
    TSortSettings* sort = SortSettings();
    if (sort->Column >= 0)
        sort->Column = follow(sort->Column);
    TSortIndexList* index = SortIndexList();
    for (int i = 0; i < index->Count(); ++i) {
        const int item = index->GetItem(i);
        const int column = item & 0xFFFF;
        index->SetItem(i, (item & ~0xFFFF) | (follow(column) & 0xFFFF));
    }
}

void TPlusStringGrid::RowMoved(int fromIndex, int toIndex)
{
    if (EnhRowColMove)
        movedMark_ = true;
    TBaseGrid::RowMoved(fromIndex, toIndex);
}

// ---------------------------------------------------------------- the release

void TPlusStringGrid::WMLButtonUp(TMessage& m)
{
    movedMark_ = false;
    sizedMark_ = false;
    buttonDown_ = false;
    mouseZone_ = 0;
    const int x = m.XPos(), y = m.YPos();
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    const int displayCol = col;
    if (pressedControl_.X >= 0) {
        const TPoint pressed = pressedControl_;
        pressedControl_ = TPoint(-1, -1);
        RepaintCell(pressed.X, pressed.Y);
        SetMouseCapture(false);
    }
    const bool sizingRelease =
        row >= 0 && row < TBaseGrid::FixedRows() && col >= 0 && Options().Contains(goColSizing) &&
        (GridState() == gsColSizing || Cursor() == crHSplit);
    if (OnClick && pressMark_ && !sizingRelease && col >= 0 && row >= 0 &&
        (row < TBaseGrid::FixedRows() || col < TBaseGrid::FixedCols()))
        OnClick(this);
    pressMark_ = false;
    const auto alive = Life();
    Inherited(m);
    if (!*alive)
        return;
    SnapToBaseCell();
    if (colSized_ && OnEndColumnSize && sizedMark_ && sizingCandidate_.X >= 0)
        OnEndColumnSize(this, sizingCandidate_.X);
    if (rowSized_ && OnEndRowSize && sizingCandidate_.Y >= 0)
        OnEndRowSize(this, sizingCandidate_.Y);
    colSized_ = false;
    rowSized_ = false;
    if (movedMark_ || sizedMark_ || col < 0 || row < 0)
        return;
    if (col >= TBaseGrid::FixedCols() || SortSettings()->FixedCols)
        HeaderSortClick(displayCol, row, x);
}

void TPlusStringGrid::HeaderSortClick(int displayCol, int row, int x)
{
    // a double click on a header edge sized a column: its release does not sort
    if (sizingClick_) {
        sizingClick_ = false;
        return;
    }
    const TRect r = CellRect(displayCol, row);
    if (row == 0 && Options().Contains(goColSizing) && (x - r.Left < 4 || r.Right - x < 4))
        return;
    int pressCol = -1, pressRow = -1;
    MouseToCell(downPoint_.X, downPoint_.Y, pressCol, pressRow);
    TSortSettings* sort = SortSettings();
    if (row != sort->Row || pressRow != row || TBaseGrid::FixedRows() == 0 || !sort->Show || RowCount() <= 2 ||
        IsClickableControlCell(displayCol, row))
        return;
    HideInplaceEditor();
    const bool indexKey = GetKeyState(sort->IndexSortKey == ikCtrl ? VK_CONTROL : VK_SHIFT) < 0;
    const bool keepLeft = Navigation()->KeepHorizScroll && Options().Contains(goRowSelect);
    const int left = LeftCol();
    if (keepLeft)
        BeginUpdate();
    const DWORD start = GetTickCount();
    try {
        SortByHeaderClick(DisplayToRealColumn(displayCol), indexKey);
    } catch (...) {
        if (keepLeft) {
            SetLeftCol(left);
            EndUpdate();
        }
        throw;
    }
    if (keepLeft) {
        SetLeftCol(left);
        EndUpdate();
    }
    sortDuration_ = GetTickCount() - start;
    SnapToBaseCell();
}

void TPlusStringGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (GridState() == gsColSizing && x > Width()) {
        Perform(WM_CANCELMODE, 0, 0);
        return;
    }
    if (GridState() == gsRowSizing && y > Height()) {
        Perform(WM_CANCELMODE, 0, 0);
        return;
    }
    const TGridRect before = Selection();
    if (GridState() == gsColMoving && button == mbRight)
        return;
    TBaseGrid::MouseUp(button, shift, x, y);
    const TGridRect now = Selection();
    if (!(now == before))
        SelectionChanged(now.Left, now.Top, now.Right, now.Bottom);
}

// ---------------------------------------------------------------- double click, right button

void TPlusStringGrid::WMLButtonDblClk(TMessage& m)
{
    int col = -1, row = -1;
    const int x = m.XPos(), y = m.YPos();
    MouseToCell(x, y, col, row);
    if (col < 0 && !FixedRowAlways) {
        col = ColCount() - 1;
        row = 0;
    }
    if (row >= 0 && row < TBaseGrid::FixedRows() && col >= 0 && Options().Contains(goColSizing) &&
        MouseActions()->AutoSizeColOnDblClick) {
        const TRect r = CellRect(col, row);
        // a double click on a header edge sizes the column left of that edge to its text
        int sizeCol = -1;
        if (std::abs(x - r.Left) < 4 && col - 1 >= TBaseGrid::FixedCols())
            sizeCol = col - 1;
        else if (std::abs(r.Right - x) < 4 && col >= TBaseGrid::FixedCols())
            sizeCol = col;
        if (sizeCol >= 0) {
            sizingClick_ = true;
            bool allow = true;
            if (OnColumnSize)
                OnColumnSize(this, sizeCol, allow);
            if (allow) {
                int width = 0;
                TBitmap measure;
                measure.SetSize(1, 1);
                TCanvas* canvas = measure.Canvas();
                for (int rr = 0; rr < RowCount(); ++rr) {
                    canvas->Font->Assign(rr < TBaseGrid::FixedRows() ? FixedFont() : Font());
                    width = std::max(width, canvas->TextWidth(Cells(DisplayToRealColumn(sizeCol), rr)));
                }
                if (width > 0)
                    SetColWidths(sizeCol, width + 2 * XYOffset.X + 4);
                if (OnEndColumnSize)
                    OnEndColumnSize(this, sizeCol);
            }
            Inherited(m);
            return;
        }
    }
    if (col >= 0 && row >= 0 && IsClickableControlCell(col, row)) {
        Inherited(m);
        return;
    }
    Inherited(m);
    int hitCol = -1, hitRow = -1;
    MouseToCell(x, y, hitCol, hitRow);
    if (OnDblClickCell && hitCol >= 0 && hitRow >= 0)
        OnDblClickCell(this, hitRow, hitCol);
    if (MouseActions()->EditOnDblClickOnly() && hitCol >= 0 && hitRow >= 0) {
        TMouseActions* actions = MouseActions();
        const bool saved = actions->RangeSelectAndEdit;
        actions->RangeSelectAndEdit = true;
        if (CanEditCellAt(hitCol, hitRow)) {
            SetOptions(Options() + TGridOptions{goEditing});
            ShowInplaceEditor();
        }
        actions->RangeSelectAndEdit = saved;
    }
}

void TPlusStringGrid::WMRButtonDown(TMessage& m)
{
    const auto alive = Life();
    Inherited(m);
    if (!*alive)
        return;
    int col = -1, row = -1;
    MouseToCell(m.XPos(), m.YPos(), col, row);
    TMouseActions* actions = MouseActions();
    if (actions->SelectOnRightClick && col >= TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows() &&
        !IsFixedCell(col, row)) {
        const TGridRect s = Selection();
        if (!s.Contains(col, row)) {
            const int left = LeftCol();
            const TPoint base = BaseCellOf(col, row);
            MoveColRow(base.X, base.Y, true, true);
            if (Navigation()->KeepHorizScroll)
                SetLeftCol(left);
        } else if (OnSelectCell) {
            bool canSelect = true;
            OnSelectCell(this, col, row, canSelect);
        }
        if (actions->DisjunctRowSelect()) {
            if (GetKeyState(VK_CONTROL) < 0 || actions->DisjunctRowSelectNoCtrl) {
                SetRowSelected(row, !GetRowSelected(row));
            } else {
                ClearRowSelection();
                SetRowSelected(row, true);
            }
        }
    }
    if (OnRightClickCell)
        OnRightClickCell(this, row, col);
}
