// The string grid's scrolling: the scroll messages with the position hint, scroll bars that are
// always shown, proportional thumbs, scrolling while something is dragged over the edges,
// stretching one column to fill the width and the reactions to size changes.
//
// The grid's scroll bars count rows and columns: a bar's position is the top row (left column)
// itself, from FixedRows (FixedCols) to the last top row that still fills the window.
#include "components/grid/PlusGrid.h"
#include "components/grid/asgcheck.h"

#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ImgList.h"
#include "platform/framework/StdCtrls.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------- window messages

void TPlusStringGrid::DispatchScrollMessages(TMessage& message)
{
    switch (message.Msg) {
    case WM_HSCROLL: WMHScroll(message); break;
    case WM_VSCROLL: WMVScroll(message); break;
    case WM_GETDLGCODE: WMGetDlgCode(message); break;
    default: TBaseGrid::Dispatch(message); break;
    }
}

void TPlusStringGrid::ShowScrollHint(const String& text)
{
    if (!scrollHintWindow_)
        scrollHintWindow_ = std::make_unique<THintWindow>(nullptr);
    TRect r = scrollHintWindow_->CalcHintRect(100, text, nullptr);
    POINT cursor{};
    GetCursorPos(&cursor);
    r = TRect(r.Left + cursor.x + 10, r.Top + cursor.y, r.Right + cursor.x + 10, r.Bottom + cursor.y);
    scrollHintWindow_->SetColor(HintColor);
    scrollHintWindow_->ActivateHint(r, text);
    ScrollHintShown = true;
}

void TPlusStringGrid::HideScrollHint()
{
    if (scrollHintWindow_)
        scrollHintWindow_->ReleaseHandle();
    ScrollHintShown = false;
}

String TPlusStringGrid::ScrollHintText() const
{
    return scrollHintWindow_ && scrollHintWindow_->Showing() ? scrollHintWindow_->Caption() : String();
}

void TPlusStringGrid::WMHScroll(TMessage& message)
{
    const int code = message.ScrollCode();
    if (ScrollHints == shHorizontal || ScrollHints == shBoth) {
        if (code == SB_ENDSCROLL) {
            HideScrollHint();
        } else if (code == SB_THUMBTRACK) {
            const int c = std::clamp(message.ScrollPos(), FixedCols(), std::max(FixedCols(), ColCount() - 1));
            String text = "Col : " + std::to_string(c);
            if (OnScrollHint)
                OnScrollHint(this, c, text);
            ShowScrollHint(text);
        }
    }
    if (code == SB_THUMBTRACK && ScrollSynch)
        SetLeftCol(std::clamp(message.ScrollPos(), FixedCols(), std::max(FixedCols(), ColCount() - 1)));
    TBaseGrid::Dispatch(message);
    if (code == SB_ENDSCROLL && ColCount() == 1)
        Repaint();
    UpdateFlatHorzScrollBar();
    UpdateFlatVertScrollBar();
    UpdateHorzScrollProportional();
}

void TPlusStringGrid::WMVScroll(TMessage& message)
{
    if (HasState(csDesigning)) {
        TBaseGrid::Dispatch(message);
        return;
    }
    // the scroll bar over a scroll-bar cell scrolls that cell, not the grid
    if (cellScrollBar_ && reinterpret_cast<HWND>(message.LParam) == cellScrollBar_->Handle()) {
        CellScrollBarScroll(message);
        return;
    }
    const int code = message.ScrollCode();
    const int r = std::clamp(message.ScrollPos(), FixedRows(), std::max(FixedRows(), RowCount() - 1));
    if (ScrollHints == shVertical || ScrollHints == shBoth) {
        if (code == SB_ENDSCROLL) {
            HideScrollHint();
        } else if (code == SB_THUMBTRACK) {
            String text = "Row : " + std::to_string(r);
            if (OnScrollHint)
                OnScrollHint(this, r, text);
            ShowScrollHint(text);
        }
    }
    if (code == SB_THUMBTRACK && ScrollSynch)
        SetTopRowChecked(r);
    if ((code == SB_ENDSCROLL || code == SB_LINEDOWN) && searchFooter_->Visible() && LastRowAboveSearchFooter()) {
        message.Result = 1;
        return;
    }
    TBaseGrid::Dispatch(message);
    if (searchFooter_->Visible()) {
        if (code == SB_LINEUP && RowCount() - VisibleRowCount() == TopRow())
            SetTopRowChecked(TopRow() - 1);
        else if ((code == SB_ENDSCROLL || code == SB_LINEDOWN) && RowCount() - VisibleRowCount() == TopRow())
            KeepLastRowAboveSearchFooter();
    }
    UpdateFlatVertScrollBar();
    UpdateFlatHorzScrollBar();
    UpdateVertScrollProportional();
}

void TPlusStringGrid::WMGetDlgCode(TMessage& message)
{
    TBaseGrid::Dispatch(message);
    if (navigation_->AutoGotoWhenSorted || !Options().Contains(goEditing))
        message.Result |= DLGC_WANTCHARS;
}

// ---------------------------------------------------------------- scroll bar settings

void TPlusStringGrid::SetScrollBars(TScrollStyle value)
{
    scrollBarsValue_ = value;
    TBaseGrid::SetScrollBars(value);
}

void TPlusStringGrid::SetScrollBarAlways(TScrollBarAlways value)
{
    scrollBarAlways_ = value;
    UpdateScrollBarsAlways(true);
}

void TPlusStringGrid::SetScrollType(TScrollType value)
{
    if (value != scrollType_) {
        scrollType_ = value;
        if (value == ssNormal)
            DoneFlatScrollBars();
        else {
            InitFlatScrollBars();
            ApplyFlatScrollBars();
        }
    }
    ApplyFlatScrollStyle();
}

void TPlusStringGrid::SetScrollColor(TColor value)
{
    scrollColor_ = value;
    ApplyFlatScrollColor();
}

void TPlusStringGrid::SetScrollWidth(int value)
{
    scrollWidth_ = value;
    ApplyFlatScrollWidth();
}

void TPlusStringGrid::SetScrollProportional(bool value)
{
    scrollProportional_ = value;
    if (value) {
        UpdateVertScrollProportional();
        UpdateHorzScrollProportional();
        return;
    }
    if (FlatScrollBarsReady && scrollType_ == ssNormal)
        DoneFlatScrollBars();
    // the thumbs go back to one row (column) each
    for (int bar : {SB_HORZ, SB_VERT}) {
        SCROLLINFO info;
        info.fMask = SIF_PAGE;
        info.nPage = 1;
        SetScrollInfo(Handle(), bar, &info, TRUE);
    }
}

// No flat scroll bar library exists on this platform: the look stays that of ordinary bars and
// the calls below find nothing to call, as on a system without it.
void TPlusStringGrid::InitFlatScrollBars() { FlatScrollBarsReady = false; }
void TPlusStringGrid::DoneFlatScrollBars() { FlatScrollBarsReady = false; }
void TPlusStringGrid::ApplyFlatScrollStyle() {}
void TPlusStringGrid::ApplyFlatScrollColor() {}
void TPlusStringGrid::ApplyFlatScrollWidth() {}
void TPlusStringGrid::ShowFlatScrollBar(int, bool) {}
void TPlusStringGrid::UpdateFlatHorzScrollBar() {}
void TPlusStringGrid::UpdateFlatVertScrollBar() {}

void TPlusStringGrid::ApplyFlatScrollBars()
{
    ApplyFlatScrollStyle();
    ApplyFlatScrollColor();
    ApplyFlatScrollWidth();
    ShowFlatScrollBar(SB_VERT, VisibleRowCount() + FixedRows() < RowCount());
    UpdateFlatVertScrollBar();
    ShowFlatScrollBar(SB_HORZ, VisibleColCount() + FixedCols() < ColCount());
    UpdateFlatHorzScrollBar();
}

// ---------------------------------------------------------------- proportional thumbs

namespace {

// The page of a bar whose positions run over `steps` places so that the thumb takes the share
// `ratio` of the bar: page / (steps + page) = ratio.
int ProportionalPage(double ratio, int steps)
{
    if (steps <= 0)
        return 1;
    return std::max(1, int(std::lround(ratio * steps / (1.0 - ratio))));
}

} // namespace

void TPlusStringGrid::UpdateHorzScrollProportional()
{
    if (!scrollProportional_ || Loading() || HasState(csDesigning) || !Handle() || updatingProportional_)
        return;
    const int w = TCustomGrid::GridLineWidth();
    int fixedW = w, total = w, all = 0;
    for (int c = 0; c < ColCount(); ++c) {
        all += ColWidths(c);
        (c < FixedCols() ? fixedW : total) += ColWidths(c) + w;
    }
    if (total <= 0)
        return;
    const double ratio = double(ClientWidth() - fixedW) / total;
    if (ratio >= 0.9999)
        return;
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(Handle(), SB_HORZ, &info);
    const int last = std::max(info.nMin, info.nMax - std::max(int(info.nPage), 1) + 1);
    const int page = ProportionalPage(ratio, last - info.nMin);
    info.nMax = last + page - 1;
    info.nPage = UINT(page);
    info.nPos = LeftCol();
    updatingProportional_ = true;
    SetScrollInfo(Handle(), SB_HORZ, &info, TRUE);
    updatingProportional_ = false;
    UpdateFlatHorzScrollBar();
    if ((scrollBarAlways_ == saNone || scrollBarAlways_ == saVert) &&
        !(all >= Width() && (scrollBarsValue_ == ssHorizontal || scrollBarsValue_ == ssBoth)))
        ShowScrollBar(Handle(), SB_HORZ, FALSE);
}

void TPlusStringGrid::UpdateVertScrollProportional()
{
    if (!scrollProportional_ || Loading() || HasState(csDesigning) || !Handle() || updatingProportional_ ||
        VisibleRowCount() + FixedRows() >= RowCount())
        return;
    const int w = TCustomGrid::GridLineWidth();
    int64_t fixedH = w, total = w;
    for (int r = 0; r < RowCount(); ++r)
        (r < FixedRows() ? fixedH : total) += RowHeights(r) + w;
    if (total == 0)
        return;
    const double ratio = double(ClientHeight() - fixedH) / double(total);
    if (ratio >= 0.9999)
        return;
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(Handle(), SB_VERT, &info);
    const int last = std::max(info.nMin, info.nMax - std::max(int(info.nPage), 1) + 1);
    const int page = ProportionalPage(ratio, last - info.nMin);
    info.nMax = last + page - 1;
    info.nPage = UINT(page);
    info.nPos = TopRow();
    updatingProportional_ = true;
    SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
    updatingProportional_ = false;
    UpdateFlatVertScrollBar();
}

// ---------------------------------------------------------------- scroll bars always shown

void TPlusStringGrid::UpdateScrollBarsAlways(bool hideUnneeded)
{
    if (!Handle())
        return;
    const bool rowsFit = VisibleRowCount() + FixedRows() >= RowCount();
    const bool colsFit = VisibleColCount() + FixedCols() >= ColCount();
    if (scrollBarAlways_ != saNone) {
        if (rowsFit)
            ShowScrollBar(Handle(), SB_VERT, scrollBarAlways_ == saVert || scrollBarAlways_ == saBoth);
        if (colsFit)
            ShowScrollBar(Handle(), SB_HORZ, scrollBarAlways_ == saHorz || scrollBarAlways_ == saBoth);
        if (rowsFit)
            EnableScrollBar(Handle(), SB_VERT, ESB_DISABLE_BOTH);
        if (colsFit)
            EnableScrollBar(Handle(), SB_HORZ, ESB_DISABLE_BOTH);
        if (!rowsFit)
            EnableScrollBar(Handle(), SB_VERT, ESB_ENABLE_BOTH);
        if (!colsFit)
            EnableScrollBar(Handle(), SB_HORZ, ESB_ENABLE_BOTH);
    } else if (hideUnneeded) {
        if (rowsFit)
            ShowScrollBar(Handle(), SB_VERT, FALSE);
        if (colsFit)
            ShowScrollBar(Handle(), SB_HORZ, FALSE);
    }
}

void TPlusStringGrid::ScrollBarsUpdated()
{
    // the framework sets its bars again after every move and size change
    if (scrollBarAlways_ != saNone)
        UpdateScrollBarsAlways(false);
    UpdateVertScrollProportional();
    UpdateHorzScrollProportional();
}

// ---------------------------------------------------------------- drag scrolling

void TPlusStringGrid::StopDragScrollTimer()
{
    delete dragScrollTimer_;
    dragScrollTimer_ = nullptr;
}

void TPlusStringGrid::DragOver(TObject* source, int x, int y, TDragState state, bool& accept)
{
    if (!dragScrollOptions_->Active) {
        StopDragScrollTimer();
        TBaseGrid::DragOver(source, x, y, state, accept);
        return;
    }
    const bool wasSet = !dragScrollDirection_.Empty();
    dragScrollDirection_ = TDragScrollDirection();
    if (state == dsDragLeave) {
        StopDragScrollTimer();
    } else {
        if (y < dragScrollOptions_->TopMargin)
            dragScrollDirection_ << dsdUp;
        else if (y > Height() - dragScrollOptions_->BottomMargin)
            dragScrollDirection_ << dsdDown;
        if (x < dragScrollOptions_->LeftMargin)
            dragScrollDirection_ << dsdLeft;
        else if (x > Width() - dragScrollOptions_->RightMargin)
            dragScrollDirection_ << dsdRight;
        if (dragScrollDirection_.Empty()) {
            StopDragScrollTimer();
        } else if (!dragScrollTimer_) {
            dragScrollTimer_ = new TTimer(Parent());
            dragScrollTimer_->SetInterval(UINT(dragScrollOptions_->InitialDelay));
            dragScrollTimer_->SetOnTimer([this](TObject*) { DragScrollTick(); });
            dragScrollTimer_->SetEnabled(true);
        } else if (wasSet) {
            // a pointer that moves delays the next step
            dragScrollTimer_->SetInterval(UINT(dragScrollOptions_->InitialDelay));
        }
    }
    TBaseGrid::DragOver(source, x, y, state, accept);
}

void TPlusStringGrid::DragScrollTick()
{
    if (!dragScrollOptions_->Active) {
        StopDragScrollTimer();
        return;
    }
    if (dragScrollTimer_)
        dragScrollTimer_->SetInterval(UINT(dragScrollOptions_->RepeatDelay));
    TDragScrollDirection direction = dragScrollDirection_;
    if (OnDragScroll) {
        bool canScroll = true;
        OnDragScroll(this, TopRow(), LeftCol(), direction, canScroll);
        if (!canScroll)
            return;
    }
    if (direction.Contains(dsdUp) && TopRow() > FixedRows())
        SetTopRowChecked(TopRow() - 1);
    if (direction.Contains(dsdDown) && TopRow() + VisibleRowCount() < RowCount())
        SetTopRowChecked(TopRow() + 1);
    if (direction.Contains(dsdLeft) && LeftCol() > FixedCols())
        SetLeftCol(LeftCol() - 1);
    if (direction.Contains(dsdRight) && VisibleColCount() + LeftCol() < ColCount())
        SetLeftCol(LeftCol() + 1);
}

// ---------------------------------------------------------------- stretching and sizing

void TPlusStringGrid::StretchColumn(int col)
{
    if (Loading() || destroying_ || Application->Terminated())
        return;
    if (col == -1)
        col = ColCount() - 1;
    if (col >= ColCount() || col < -1)
        throw Exception("Stretch column index out of range");
    if (ColCount() == 0 || !columnSize_->Stretch() || StretchBusy)
        return;
    StretchBusy = true;
    StretchPending = false;
    struct Done {
        TPlusStringGrid* grid;
        ~Done()
        {
            grid->StretchPending = true;
            grid->StretchBusy = false;
        }
    } done{this};
    const int clientRight = ClientWidth();
    if (ColCount() == 1) {
        SetColWidths(col, clientRight);
        return;
    }
    int others = 0;
    for (int c = 0; c < ColCount(); ++c)
        if (c != col)
            others += ColWidths(c);
    if (clientRight > others)
        SetColWidths(col, clientRight - others - 1);
    else if (LeftCol() == FixedCols())
        SetColWidths(col, DefaultColWidth());
}

void TPlusStringGrid::SizeChanged(int oldColCount, int oldRowCount)
{
    if (!Parent() || Loading() || Application->Terminated())
        return;
    if (columnSize_->Stretch())
        StretchColumn(columnSize_->StretchColumn);
    TBaseGrid::SizeChanged(oldColCount, oldRowCount);
    ShowFlatScrollBar(SB_VERT, VisibleRowCount() + FixedRows() < RowCount());
    UpdateFlatVertScrollBar();
    ShowFlatScrollBar(SB_HORZ, VisibleColCount() + FixedCols() < ColCount());
    UpdateFlatHorzScrollBar();
}

void TPlusStringGrid::ColWidthsChanged()
{
    if (StretchPending && columnSize_->Stretch())
        StretchColumn(columnSize_->StretchColumn);
    TBaseGrid::ColWidthsChanged();
    ColumnWidthChangedMark = true;
    if (!zooming_)
        sizedMark_ = true;
    if (AllColSizing && mouseActions_->AllColumnSize && ColumnSizeStartWidth > 0 && SizingCol >= 0 &&
        SizingCol < ColCount()) {
        const double f = double(ColWidths(SizingCol)) / ColumnSizeStartWidth;
        AllColSizing = false;
        for (int c = FixedCols(); c < ColCount(); ++c)
            if (c != SizingCol)
                SetColWidths(c, int(std::lround(ColWidths(c) * f)));
        AllColSizing = true;
    }
    if (AllColSizing) {
        const int sized = SizingCol;
        if (OnEndColumnSize)
            OnEndColumnSize(this, sized);
        if (sized >= 0 && sized < ColCount()) {
            int width = ColWidths(sized);
            DoUpdateColumnSize(sized, width);
            if (width != ColWidths(sized)) {
                AllColSizing = false;
                SetColWidths(sized, width);
            }
        }
        SizingCol = -1;
        SizingRow = -1;
    }
    AllColSizing = false;
    UpdateCellControls(false);
    if (columnSize_->Stretch() && scrollProportional_)
        UpdateVertScrollProportional();
    UpdateHorzScrollProportional();
}

void TPlusStringGrid::RowHeightsChanged()
{
    TBaseGrid::RowHeightsChanged();
    if (AllRowSizing && mouseActions_->AllRowSize && RowSizeStartHeight > 0 && SizingRow >= 0 &&
        SizingRow < RowCount()) {
        const double f = double(RowHeights(SizingRow)) / RowSizeStartHeight;
        AllRowSizing = false;
        for (int r = FixedRows(); r < RowCount(); ++r)
            if (r != SizingRow)
                SetRowHeights(r, int(std::lround(RowHeights(r) * f)));
        AllRowSizing = true;
    }
    if (AllRowSizing) {
        if (OnEndRowSize)
            OnEndRowSize(this, SizingRow);
        SizingCol = -1;
        SizingRow = -1;
    }
    AllRowSizing = false;
    UpdateCellControls(false);
    UpdateVertScrollProportional();
}

void TPlusStringGrid::DoUpdateColumnSize(int col, int& width)
{
    if (OnUpdateColumnSize)
        OnUpdateColumnSize(this, col, width);
}

void TPlusStringGrid::DoUpdateColumnSize2(int col, int& width)
{
    if (OnUpdateColumnSize)
        OnUpdateColumnSize(this, col, width);
}

void TPlusStringGrid::TopLeftChanged()
{
    TBaseGrid::TopLeftChanged();
    MoveEditFrame();
    ScrollBarsUpdated();
    UpdateCellControls(false);
    if (SelectionRectangle() && Selection().Bottom > Selection().Top)
        Invalidate();
    if (Editing && ActiveEditorType != edNormal)
        HideInplaceEditor();
}

// ---------------------------------------------------------------- positions

void TPlusStringGrid::ScreenToCell(TPoint screen, int& col, int& row)
{
    const TPoint p = ScreenToClient(screen);
    MouseToCell(p.X, p.Y, col, row);
}

bool TPlusStringGrid::IsOnSizingEdge(int x, int y)
{
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    if (col < 0 || row < 0)
        return false;
    const TRect r = MergedCellRect(col, row);
    bool answer = false;
    if (row <= FixedRows() && Options().Contains(goColSizing))
        answer = std::abs(x - r.Left) < 4 || std::abs(x - r.Right) < 4;
    if (col <= FixedCols() && Options().Contains(goRowSizing))
        answer = std::abs(y - r.Top) < 4 || std::abs(y - r.Bottom) < 4;
    return answer;
}

void TPlusStringGrid::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove) {
        if (GridImages && component == static_cast<TComponent*>(GridImages))
            GridImages = nullptr;
        if (cellChecker_ && component == static_cast<TComponent*>(cellChecker_))
            cellChecker_ = nullptr;
        if (editFrameWindow_ && component == static_cast<TComponent*>(editFrameWindow_))
            editFrameWindow_ = nullptr;
        if (!destroying_ && syncGrid_ && syncGrid_->Grid() && component == syncGrid_->Grid())
            syncGrid_->SetGrid(nullptr);
    }
    TBaseGrid::Notification(component, operation);
}
