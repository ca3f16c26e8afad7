// Controls in cells: check boxes (stored, bound to the cell text, virtual, row
// selection), radio groups and radio buttons, push buttons, scroll-bar cells,
// ratings and the small queries of shapes, comments, images and balloons. The
// state of every control lives in its cell's graphic or text, so it travels
// with the cell. The mouse and key handling reaches the controls through
// CellControlMouseDown / CellControlMouseUp / CellControlKey.
#include "components/grid/PlusGrid.h"

#include "components/grid/PlusGridUndoRedo.h"
#include "components/grid/TextRoutines.h"
#include "platform/framework/StdCtrls.h"
#include "platform/win/WinFrameControl.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsCheckCellType(TCellType t)
{
    return t == ctCheckBox || t == ctDataCheckBox || t == ctVirtCheckBox || t == ctRowCheckBox;
}

double CellAsFloat(const String& text)
{
    double value = 0;
    TFormatSettings dot = FormatSettings();
    dot.DecimalSeparator = '.';
    if (!TryStrToFloat(ExtractNumberText(text), value, dot))
        return 0;
    return value;
}

} // namespace

// ---------------------------------------------------------------- check texts
// and events

String TPlusStringGrid::GetCheckTrue(int col, int row)
{
    String value = CheckTrueText;
    if (OnGetCheckTrue)
        OnGetCheckTrue(this, col, row, value);
    return value;
}

String TPlusStringGrid::GetCheckFalse(int col, int row)
{
    String value = CheckFalseText;
    if (OnGetCheckFalse)
        OnGetCheckFalse(this, col, row, value);
    return value;
}

void TPlusStringGrid::DoCanAddRow(bool& canAdd)
{
    if (OnCanAddRow)
        OnCanAddRow(this, canAdd);
}

void TPlusStringGrid::DoCanInsertRow(int row, bool& canInsert)
{
    if (OnCanInsertRow)
        OnCanInsertRow(this, row, canInsert);
}

void TPlusStringGrid::DoCheckBoxChange(int col, int row, bool state)
{
    if (OnCheckBoxChange)
        OnCheckBoxChange(this, col, row, state);
}

bool TPlusStringGrid::DoRatingChange(int col, int row, double& newRate)
{
    bool allow = true;
    if (OnRatingChange)
        OnRatingChange(this, col, row, newRate, allow);
    return allow;
}

// ---------------------------------------------------------------- queries

namespace {

// The merge-resolved cell of (col, row), or false for a cell outside the store.
bool Resolve(TPlusStringGrid* g, int& col, int& row)
{
    if (col < 0 || row < 0 || col >= g->TotalColCount() || row >= g->RowCount())
        return false;
    const TPoint base = g->BaseCellOf(col, row);
    col = base.X;
    row = base.Y;
    return true;
}

} // namespace

bool TPlusStringGrid::IsCheckBoxCell(int col, int row)
{
    return Resolve(this, col, row) && IsCheckCellType(GetCellType(col, row));
}

bool TPlusStringGrid::IsClickableControlCell(int col, int row)
{
    if (!Resolve(this, col, row))
        return false;
    switch (GetCellType(col, row)) {
    case ctCheckBox:
    case ctDataCheckBox:
    case ctRadio:
    case ctButton:
    case ctVirtCheckBox:
    case ctRowCheckBox:
    case ctRadioButton:
        return true;
    default:
        return false;
    }
}

bool TPlusStringGrid::IsRadioCell(int col, int row)
{
    return Resolve(this, col, row) && GetCellType(col, row) == ctRadio;
}

bool TPlusStringGrid::IsRadioButtonCell(int col, int row)
{
    return Resolve(this, col, row) && GetCellType(col, row) == ctRadioButton;
}

bool TPlusStringGrid::IsButtonCell(int col, int row)
{
    if (!Resolve(this, col, row))
        return false;
    const TCellType t = GetCellType(col, row);
    return t == ctButton || t == ctBitButton;
}

bool TPlusStringGrid::IsRatingCell(int col, int row)
{
    return Resolve(this, col, row) && GetCellType(col, row) == ctRating;
}

bool TPlusStringGrid::IsScrollBarCell(int col, int row)
{
    return Resolve(this, col, row) && GetCellType(col, row) == ctScrollbar;
}

bool TPlusStringGrid::IsScrollBarCellTracking(int col, int row)
{
    if (!Resolve(this, col, row))
        return false;
    const TCellGraphic* g = GetCellGraphicOf(col, row);
    return g && g->CellType == ctScrollbar && g->CellBoolean;
}

int TPlusStringGrid::GetScrollBarCellPosition(int col, int row)
{
    if (!Resolve(this, col, row))
        return -1;
    const TCellGraphic* g = GetCellGraphicOf(col, row);
    return g && g->CellType == ctScrollbar ? g->CellIndex : -1;
}

void TPlusStringGrid::GetScrollBarCellRange(int col, int row, int& page, int& max)
{
    page = max = -1;
    if (!Resolve(this, col, row))
        return;
    if (const TCellGraphic* g = GetCellGraphicOf(col, row); g && g->CellType == ctScrollbar) {
        page = g->CellAngle;
        max = g->CellErrFrom;
    }
}

TStrings* TPlusStringGrid::GetRadioItems(int col, int row)
{
    if (!Resolve(this, col, row))
        return nullptr;
    const TCellGraphic* g = GetCellGraphicOf(col, row);
    return g && g->CellType == ctRadio ? dynamic_cast<TStrings*>(g->CellData) : nullptr;
}

bool TPlusStringGrid::GetRadioIndex(int col, int row, int& index)
{
    const TCellGraphic* g = GetCellGraphicOf(col, row);
    if (!g || row >= RowCount())
        return false;
    index = g->CellIndex;
    return g->CellType == ctRadio;
}

bool TPlusStringGrid::GetCellComment(int col, int row, String& comment)
{
    const TCellGraphic* g = row < RowCount() ? GetCellGraphicOf(col, row) : nullptr;
    if (!g || g->CellType != ctComment)
        return false;
    comment = g->CellText;
    return true;
}

TColor TPlusStringGrid::GetShapeColor(int col, int row)
{
    const TCellGraphic* g = row < RowCount() ? GetCellGraphicOf(col, row) : nullptr;
    return g && g->CellType == ctShape ? TColor(g->CellIndex) : clNone;
}

bool TPlusStringGrid::GetCellImageIndex(int col, int row, int& index)
{
    const TCellGraphic* g = row < RowCount() ? GetCellGraphicOf(col, row) : nullptr;
    if (!GridImages || !g || g->CellType != ctImageList)
        return false;
    index = g->CellIndex;
    return true;
}

bool TPlusStringGrid::GetCellRotation(int col, int row, int& angle)
{
    const TCellGraphic* g = row < RowCount() ? GetCellGraphicOf(col, row) : nullptr;
    if (!g || g->CellType != ctRotated)
        return false;
    angle = g->CellAngle;
    return true;
}

void TPlusStringGrid::GetCellErrorRange(int col, int row, int& from, int& len)
{
    const TCellGraphic* g = row < RowCount() ? GetCellGraphicOf(col, row) : nullptr;
    from = g ? g->CellErrFrom : 0;
    len = g ? g->CellErrLen : 0;
}

bool TPlusStringGrid::GetCellBalloonInfo(int col, int row, int& icon, String& text, String& title)
{
    const TCellGraphic* g = row < RowCount() ? GetCellGraphicOf(col, row) : nullptr;
    if (!g)
        return false;
    const bool balloon =
        g->CellType == ctBalloon ||
        ((g->CellType == ctCheckBox || g->CellType == ctDataCheckBox || g->CellType == ctRadioButton) &&
         g->CellAngle == 1);
    if (!balloon)
        return false;
    auto* list = dynamic_cast<TStrings*>(g->CellData);
    title = list && list->Count() > 0 ? list->Get(0) : String();
    text = list && list->Count() > 1 ? list->Get(1) : String();
    icon = uint8_t(g->CellIndex);
    return true;
}

// The check state is read and written on the displayed cell: graphic and text
// of one row.
bool TPlusStringGrid::GetCheckBoxState(int col, int row, bool& state)
{
    if (col < 0 || row < 0 || col >= TotalColCount() || row >= RowCount())
        return false;
    switch (GetCellType(col, row)) {
    case ctCheckBox:
        state = GetCellGraphicOf(col, row)->CellBoolean;
        return true;
    case ctDataCheckBox:
    case ctVirtCheckBox:
        state = GetCellText(col, row) == GetCheckTrue(col, row);
        return true;
    case ctRowCheckBox:
        if (col != 0)
            return false;
        state = GetRowSelected(row);
        return true;
    default:
        return false;
    }
}

bool TPlusStringGrid::GetCellControlRect(int col, int row, TRect& rect)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return false;
    const TCellGraphic* g = GetCellGraphicOf(DisplayToRealColumn(col), row);
    if (!g)
        return false;
    const int v = int(std::lround(g->CellValue));
    const TRect r = CellRect(col, row);
    TRect out;
    out.Left = r.Left + (v & 0xFFFF);
    out.Top = r.Top + int(unsigned(v) >> 16);
    out.Right = out.Left + (g->CellIndex & 0xFFFF);
    out.Bottom = out.Top + int(unsigned(g->CellIndex) >> 16);
    if (g->CellVAlign == vaFull) {
        out.Top = r.Top;
        out.Bottom = r.Bottom;
    }
    if (g->CellHAlign == haFull) {
        out.Left = r.Left;
        out.Right = r.Right;
    }
    rect = out;
    return true;
}

bool TPlusStringGrid::HitCellCheckBox(int col, int row, int x, int y)
{
    if (col < 0 || row < 0 || col >= TotalColCount() || row >= RowCount())
        return false;
    const TCellType t = GetCellType(col, row);
    if (!IsCheckCellType(t) && t != ctRadioButton)
        return false;
    if (!mouseActions_->PreciseCheckBoxCheck)
        return true;
    const TCellGraphic* g = GetCellGraphicOf(col, row);
    const TRect r = MergedCellRect(MapDisplayColumn(col), row);
    const int s = controlLook_->CheckSize();
    int top = r.Top + (r.Bottom - r.Top - s) / 2;
    if (g && g->CellVAlign == vaTop)
        top = r.Top + 2;
    else if (g && g->CellVAlign == vaBottom)
        top = r.Bottom - 2 - s;
    TAlignment h = taLeftJustify;
    TVAlignment v = vtaTop;
    GetCellAlignment(col, row, h, v);
    int left = r.Left + 2;
    if (h == taRightJustify) {
        left = r.Right - 2 - s;
        const String text = GetCellText(col, row);
        if (!text.empty())
            left -= Canvas()->TextWidth(text);
    } else if (h == taCenter) {
        left = r.Left + (r.Right - r.Left - s) / 2;
    }
    return x >= left && x < left + s && y >= top && y < top + s;
}

// ---------------------------------------------------------------- changes

bool TPlusStringGrid::ToggleCheckBox(int col, int row, bool fromUser)
{
    if (col < 0 || row < 0 || col >= TotalColCount() || row >= RowCount())
        return false;
    const TCellType t = GetCellType(col, row);
    if (!IsCheckCellType(t))
        return false;
    if (fromUser && !controlLook_->CheckAlwaysActive && !CanEditCell(col, row))
        return false;
    bool state;
    if (t == ctCheckBox) {
        TCellGraphic* g = GetCellGraphicOf(col, row);
        g->CellBoolean = !g->CellBoolean;
        state = g->CellBoolean;
    } else if (t == ctRowCheckBox) {
        // a row check box shows the row's selection: toggling it selects or
        // deselects the row
        state = !GetRowSelected(row);
        SetRowSelected(row, state);
    } else {
        const String yes = GetCheckTrue(col, row);
        state = GetCellText(col, row) != yes;
        SetCellText(col, row, state ? yes : GetCheckFalse(col, row));
    }
    RepaintCell(RealToDisplayColumn(col), row);
    DoCheckBoxChange(col, row, state);
    if (UndoRedo()) {
        const String yes = GetCheckTrue(col, row), no = GetCheckFalse(col, row);
        UndoRedo()->AddChange(col, row, state ? no : yes, state ? yes : no);
    }
    return true;
}

bool TPlusStringGrid::ChangeCheckBoxState(int col, int row, bool state)
{
    if (col < 0 || row < 0 || col >= TotalColCount() || row >= RowCount())
        return false;
    switch (GetCellType(col, row)) {
    case ctCheckBox: {
        TCellGraphic* g = GetCellGraphicOf(col, row);
        if (g->CellBoolean != state) {
            g->CellBoolean = state;
            DoCheckBoxChange(col, row, state);
            RepaintCell(RealToDisplayColumn(col), row);
        }
        return true;
    }
    case ctDataCheckBox:
    case ctVirtCheckBox: {
        const String yes = GetCheckTrue(col, row);
        const bool old = GetCellText(col, row) == yes;
        SetCellText(col, row, state ? yes : GetCheckFalse(col, row));
        if (state != old)
            DoCheckBoxChange(col, row, state);
        return true;
    }
    case ctRowCheckBox:
        if (col != 0)
            return false;
        if (state != GetRowSelected(row)) {
            SetRowSelected(row, state);
            DoCheckBoxChange(col, row, state);
        }
        return true;
    default:
        return false;
    }
}

bool TPlusStringGrid::SetCheckBoxState(int col, int row, bool state)
{
    if (col < 0 || row < 0 || col >= TotalColCount() || row >= RowCount())
        return false;
    switch (GetCellType(col, row)) {
    case ctCheckBox:
        GetCellGraphicOf(col, row)->CellBoolean = state;
        RepaintCell(RealToDisplayColumn(col), row);
        return true;
    case ctDataCheckBox:
    case ctVirtCheckBox:
        SetCellText(col, row, state ? GetCheckTrue(col, row) : GetCheckFalse(col, row));
        return true;
    case ctRowCheckBox:
        if (col != 0)
            return false;
        SetRowSelected(row, state);
        return true;
    default:
        return false;
    }
}

bool TPlusStringGrid::SelectRadioButton(int col, int row, bool fromUser)
{
    if (col < 0 || row < 0 || col >= TotalColCount() || row >= RowCount())
        return false;
    TCellGraphic* g = GetCellGraphicOf(col, row);
    if (!g || g->CellType != ctRadioButton)
        return false;
    if (fromUser && !controlLook_->CheckAlwaysActive && !CanEditCell(col, row))
        return false;
    if (!g->CellBoolean) {
        g->CellBoolean = true;
        const int dc = RealToDisplayColumn(col);
        RepaintCell(dc, row);
        for (int r = 0; r < RowCount(); ++r) {
            if (r == row)
                continue;
            TCellGraphic* other = GetCellGraphicOf(col, r);
            if (other && other->CellType == ctRadioButton && other->CellBoolean) {
                other->CellBoolean = false;
                RepaintCell(dc, r);
            }
        }
    }
    return true;
}

bool TPlusStringGrid::SetRadioIndex(int col, int row, int index)
{
    TCellGraphic* g = row < RowCount() ? GetCellGraphicOf(col, row) : nullptr;
    if (!g || g->CellType != ctRadio)
        return false;
    g->CellIndex = index;
    if (index == -1)
        SetCellText(col, row, String());
    RepaintCell(RealToDisplayColumn(col), row);
    return true;
}

void TPlusStringGrid::SelectRadioGroupItem(int col, int row, bool fromUser)
{
    TCellGraphic* g = row >= 0 && row < RowCount() ? GetCellGraphicOf(col, row) : nullptr;
    if (!g || g->CellType != ctRadio)
        return;
    if (fromUser && !controlLook_->RadioAlwaysActive && !CanEditCell(col, row))
        return;
    auto* items = dynamic_cast<TStrings*>(g->CellData);
    // a group without captions has nothing to select
    if (!items || items->Count() == 0)
        return;
    int next = g->CellIndex < 0 ? items->IndexOf(GetCellText(col, row)) + 1 : g->CellIndex + 1;
    if (next >= items->Count() || next < 0)
        next = 0;
    if (g->CellIndex >= -1)
        g->CellIndex = next;
    g->CellVariant = next;
    SetCellText(col, row, items->Get(next));
    RepaintCell(RealToDisplayColumn(col), row);
}

bool TPlusStringGrid::SetRadioButtonState(int col, int row, bool checked)
{
    int c = col, r = row;
    if (!Resolve(this, c, r))
        return false;
    TCellGraphic* g = GetCellGraphicOf(c, r);
    if (!g || g->CellType != ctRadioButton)
        return false;
    if (g->CellBoolean != checked) {
        g->CellBoolean = checked;
        RepaintCell(RealToDisplayColumn(col), row);
    }
    return true;
}

void TPlusStringGrid::CheckRadioButtonInColumn(int col, int row)
{
    for (int r = TBaseGrid::FixedRows(); r < RowCount(); ++r)
        SetRadioButtonState(col, r, r == row);
}

void TPlusStringGrid::SetCellControlDown(int col, int row, bool down)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return;
    TCellGraphic* g = GetCellGraphicOf(DisplayToRealColumn(col), row);
    if (g && g->CellType != ctNode)
        g->CellBoolean = down;
    RepaintCell(col, row);
}

void TPlusStringGrid::SetShapeColor(int col, int row, TColor color)
{
    TCellGraphic* g = row < RowCount() ? GetCellGraphicOf(col, row) : nullptr;
    if (g && g->CellType == ctShape)
        g->CellIndex = int(color);
}

void TPlusStringGrid::SetCellImageIndex(int col, int row, int index)
{
    TCellGraphic* g = row < RowCount() ? GetCellGraphicOf(col, row) : nullptr;
    if (GridImages && g && g->CellType == ctImageList)
        g->CellIndex = index;
}

void TPlusStringGrid::SetScrollBarCellPosition(int col, int row, int position)
{
    int c = col, r = row;
    if (!Resolve(this, c, r))
        return;
    TCellGraphic* g = GetCellGraphicOf(c, r);
    if (g && g->CellType == ctScrollbar) {
        g->CellIndex = position;
        RepaintCell(col, row);
    }
}

void TPlusStringGrid::SetScrollBarCellRange(int col, int row, int page, int max)
{
    if (!Resolve(this, col, row))
        return;
    TCellGraphic* g = GetCellGraphicOf(col, row);
    if (g && g->CellType == ctScrollbar) {
        g->CellAngle = page;
        g->CellErrFrom = max;
    }
}

TControl* TPlusStringGrid::GetCellControl(int col, int row)
{
    if (col < 0 || row < 0 || col >= TotalColCount() || row >= RowCount())
        return nullptr;
    const TCellProperties* p = CellProperties(col, row);
    return p ? p->Control : nullptr;
}

void TPlusStringGrid::UpdateCellControls(bool recollect)
{
    if (!HandleAllocated())
        return;
    if (recollect) {
        while (cellControlList_->Count() > 0)
            cellControlList_->Delete(cellControlList_->Count() - 1);
        for (int c = 0; c < ColCount(); ++c)
            for (int r = 0; r < RowCount(); ++r)
                if (const TCellProperties* p = CellProperties(c, r); p && p->Control)
                    cellControlList_->AddControl(c, r, p->Control);
    }
    PlaceCellScrollBar();
}

// ---------------------------------------------------------------- the scroll bar over a
// scroll-bar cell

namespace {

constexpr int CellScrollBarWidth = 17;

// The bar's place at the right edge of a cell, inside its grid lines.
TRect CellScrollBarBounds(const TRect& cell, int lineWidth)
{
    return TRect(cell.Right - CellScrollBarWidth - lineWidth, cell.Top + lineWidth, cell.Right - lineWidth,
                 cell.Bottom - lineWidth);
}

} // namespace

void TPlusStringGrid::HoverScrollBarCell(int col, int row)
{
    const int real = DisplayToRealColumn(col);
    int page = -1, max = -1;
    const bool scrollCell = IsScrollBarCell(real, row);
    if (scrollCell)
        GetScrollBarCellRange(real, row, page, max);
    // A scroll-bar cell whose range leaves nothing to scroll hides the bar as any other cell
    // does, so that the bar never serves one cell while it stands over another.
    if (!scrollCell || page >= max) {
        if (cellScrollBar_)
            cellScrollBar_->SetVisible(false);
        scrollBarCell_ = TPoint(-1, -1);
        return;
    }
    if (!cellScrollBar_) {
        cellScrollBar_ = new TScrollBar(this);
        cellScrollBar_->SetVisible(false);
        cellScrollBar_->SetKind(sbVertical);
        cellScrollBar_->TabStop = false;
        cellScrollBar_->SetTakesFocus(false);
        cellScrollBar_->SetParent(this);
    }
    TScrollBar* bar = cellScrollBar_;
    scrollBarCell_ = TPoint(col, row);
    const int position = GetScrollBarCellPosition(real, row);
    const TRect b = CellScrollBarBounds(CellRect(col, row), GridLineWidth());
    const bool inPlace = bar->Visible() && bar->Left() == b.Left && bar->Top() == b.Top &&
                         bar->Height() == b.Bottom - b.Top && bar->PageSize() == page && bar->Max() == max;
    if (!inPlace) {
        bar->SetParams(position, 0, max);
        bar->SetPageSize(page);
        bar->SetBounds(b.Left, b.Top, b.Right - b.Left, b.Bottom - b.Top);
    }
    bar->SetPosition(position);
    bar->SetVisible(true);
}

void TPlusStringGrid::PlaceCellScrollBar()
{
    if (!cellScrollBar_ || !cellScrollBar_->Visible())
        return;
    const int col = scrollBarCell_.X, row = scrollBarCell_.Y;
    const int fixedCols = TBaseGrid::FixedCols(), fixedRows = TBaseGrid::FixedRows();
    const bool inView = col >= 0 && row >= 0 && col < ColCount() && row < RowCount() &&
                        (col < fixedCols || (col >= LeftCol() && col < LeftCol() + VisibleColCount())) &&
                        (row < fixedRows || (row >= TopRow() && row < TopRow() + VisibleRowCount()));
    // The bar follows the cell it serves (not the current cell) and goes when that cell leaves
    // the view or holds a scroll bar no more.
    if (!inView || !IsScrollBarCell(DisplayToRealColumn(col), row)) {
        cellScrollBar_->SetVisible(false);
        scrollBarCell_ = TPoint(-1, -1);
        return;
    }
    const TRect b = CellScrollBarBounds(CellRect(col, row), GridLineWidth());
    cellScrollBar_->SetBounds(b.Left, b.Top, b.Right - b.Left, b.Bottom - b.Top);
}

void TPlusStringGrid::CellTextChanged(int col, int row)
{
    int c = col, r = row;
    if (!Resolve(this, c, r) || !IsScrollBarCellTracking(c, r))
        return;
    TPoint size;
    MeasureCellText(c, RealToDisplayColumn(c), size, true, true, r);
    SetScrollBarCellRange(c, r, RowHeights(r), size.Y);
}

void TPlusStringGrid::ScrollBarCellHitArea(int realCol, int row, TRect& textRect)
{
    if (!IsScrollBarCell(realCol, row))
        return;
    textRect.Right -= GetSystemMetrics(SM_CXVSCROLL);
    int page = -1, max = -1;
    GetScrollBarCellRange(realCol, row, page, max);
    // the offset the cell is painted with: its position within the range, none without one
    if (page < max)
        textRect.Top -= std::clamp(GetScrollBarCellPosition(realCol, row), 0, std::max(0, max - std::max(page - 1, 0)));
}

int TPlusStringGrid::DrawScrollBarCell(TCanvas* canvas, int realCol, int row, TRect& r)
{
    if (!paintedScrollBar_) {
        paintedScrollBar_ = new TScrollBar(this);
        paintedScrollBar_->SetKind(sbVertical);
        paintedScrollBar_->TabStop = false;
    }
    TScrollBar* bar = paintedScrollBar_;
    int page = -1, max = -1;
    GetScrollBarCellRange(realCol, row, page, max);
    // A cell with nothing to scroll shows an empty range and its text from the top, never the
    // range of the cell painted before it.
    if (page < max) {
        bar->SetParams(GetScrollBarCellPosition(realCol, row), 0, max);
        bar->SetPageSize(page);
    } else {
        bar->SetPageSize(0);
        bar->SetParams(0, 0, 0);
    }
    bar->SetBounds(0, 0, bar->Width(), std::max(0, r.Bottom - r.Top));
    r.Right = std::max(r.Left, r.Right - bar->Width());
    canvas->RequiredState();
    bar->PaintTo(canvas->Handle(), r.Right, r.Top);
    return bar->Position();
}

void TPlusStringGrid::CellScrollBarScroll(TMessage& message)
{
    message.Result = 1;
    TScrollBar* bar = cellScrollBar_;
    const TPoint cell = scrollBarCell_;
    const int real = cell.X >= 0 ? DisplayToRealColumn(cell.X) : -1;
    if (!IsScrollBarCell(real, cell.Y))
        return;
    // the cell's own steps: a line is one pixel of its text, a page ten
    int position = bar->Position();
    switch (message.ScrollCode()) {
    case SB_LINEUP: position -= 1; break;
    case SB_LINEDOWN: position += 1; break;
    case SB_PAGEUP: position -= 10; break;
    case SB_PAGEDOWN: position += 10; break;
    case SB_THUMBTRACK: position = bar->TrackPosition(); break;
    default: break;
    }
    bar->SetPosition(position);
    position = bar->Position();
    if (position != GetScrollBarCellPosition(real, cell.Y)) {
        SetScrollBarCellPosition(real, cell.Y, position);
        RepaintCell(cell.X, cell.Y);
    }
    if (OnScrollCell)
        OnScrollCell(this, real, cell.Y, position, bar->Min(), bar->Max());
}

void TPlusStringGrid::MoveColumnControls(int fromCol, int toCol)
{
    for (int i = 0; i < cellControlList_->Count(); ++i) {
        TControlItem* item = cellControlList_->ItemAt(i);
        if (item->CellCol == fromCol)
            item->CellCol = toCol;
        else if (toCol < fromCol && item->CellCol >= toCol && item->CellCol < fromCol)
            ++item->CellCol;
        else if (toCol >= fromCol && item->CellCol > fromCol && item->CellCol <= toCol)
            --item->CellCol;
    }
    UpdateCellControls(false);
}

void TPlusStringGrid::MoveRowControls(int fromRow, int toRow)
{
    for (int i = 0; i < cellControlList_->Count(); ++i) {
        TControlItem* item = cellControlList_->ItemAt(i);
        if (item->CellRow == fromRow)
            item->CellRow = toRow;
        else if (toRow < fromRow && item->CellRow >= toRow && item->CellRow < fromRow)
            ++item->CellRow;
        else if (toRow >= fromRow && item->CellRow > fromRow && item->CellRow <= toRow)
            --item->CellRow;
    }
    UpdateCellControls(false);
}

void TPlusStringGrid::ScrollCellIntoView(int col, int row)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return;
    int l = LeftCol(), t = TopRow();
    const int fixedCols = TBaseGrid::FixedCols(), fixedRows = TBaseGrid::FixedRows();
    if (col < LeftCol() || col >= LeftCol() + VisibleColCount()) {
        if (col >= fixedCols)
            SetCol(col);
        l = std::max(fixedCols, col - VisibleColCount() / 2);
    }
    if (row < TopRow() || row >= TopRow() + VisibleRowCount()) {
        if (row >= fixedRows)
            SetRow(row);
        t = std::max(fixedRows, row - VisibleRowCount() / 2);
    }
    l = std::min(l, ColCount() - VisibleColCount() + 1);
    if (fixedCols + VisibleColCount() < ColCount())
        SetLeftCol(std::clamp(l, fixedCols, ColCount() - 1));
    t = std::min(t, RowCount() - VisibleRowCount() + 1);
    if (fixedRows + VisibleRowCount() >= RowCount())
        return;
    SetTopRowChecked(t);
}

// While parked nothing is painted selected (the framework keeps a selection
// inside the grid).
void TPlusStringGrid::ParkSelection()
{
    ParkedSelection = Selection();
    TGridRect outside;
    outside.Left = outside.Right = ColCount();
    outside.Top = outside.Bottom = RowCount();
    SetSelection(outside);
    SelectionParked = true;
}

void TPlusStringGrid::RestoreSelection()
{
    SelectionParked = false;
    if (ParkedSelection.Top < RowCount() && ParkedSelection.Left < ColCount() && ParkedSelection.Bottom < RowCount() &&
        ParkedSelection.Right < ColCount()) {
        SetSelection(ParkedSelection);
        return;
    }
    const int top = FixedRowAlways && TBaseGrid::FixedRows() == RowCount() ? 0 : TBaseGrid::FixedRows();
    const int left = FixedColAlways && TBaseGrid::FixedCols() == ColCount() ? 0 : TBaseGrid::FixedCols();
    TGridRect one;
    one.Left = one.Right = left;
    one.Top = one.Bottom = top;
    SetSelection(one);
}

// ---------------------------------------------------------------- clicks and
// keys

int TPlusStringGrid::HitRadioItem(int displayCol, int row, int x, int y)
{
    if (displayCol < 0 || row < 0 || displayCol >= ColCount() || row >= RowCount())
        return -1;
    const int col = DisplayToRealColumn(displayCol);
    const TCellGraphic* g = GetCellGraphicOf(col, row);
    if (!g || g->CellType != ctRadio)
        return -1;
    auto* items = dynamic_cast<TStrings*>(g->CellData);
    if (!items)
        return -1;
    const TRect r = CellRect(displayCol, row);
    const std::vector<TRect> boxes = RadioItemRects(Canvas(), r, items, items->Count(), g->CellBoolean);
    for (size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i].Contains(TPoint(x, y)))
            return int(i);
    return -1;
}

bool TPlusStringGrid::CellControlMouseDown(int displayCol, int row, int x, int y)
{
    if (displayCol < 0 || row < 0 || displayCol >= ColCount() || row >= RowCount())
        return false;
    const int col = DisplayToRealColumn(displayCol);
    const TPoint base = BaseCellOf(col, row);
    const TCellType t = GetCellType(base.X, base.Y);
    switch (t) {
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox:
        if (!HitCellCheckBox(base.X, base.Y, x, y))
            return false;
        if (ToggleCheckBox(base.X, base.Y, true) && OnCheckBoxClick) {
            bool state = false;
            GetCheckBoxState(base.X, base.Y, state);
            OnCheckBoxClick(this, base.X, base.Y, state);
        }
        return true;
    case ctRadioButton:
        if (!HitCellCheckBox(base.X, base.Y, x, y))
            return false;
        if (SelectRadioButton(base.X, base.Y, true) && OnRadioClick)
            OnRadioClick(this, base.X, base.Y, 0);
        return true;
    case ctRadio: {
        TCellGraphic* g = GetCellGraphicOf(base.X, base.Y);
        const int item = HitRadioItem(RealToDisplayColumn(base.X), base.Y, x, y);
        if (item < 0)
            return false;
        if (!controlLook_->RadioAlwaysActive && !CanEditCell(base.X, base.Y))
            return true;
        auto* items = dynamic_cast<TStrings*>(g->CellData);
        if (g->CellIndex >= -1)
            g->CellIndex = item;
        g->CellVariant = item;
        SetCellText(base.X, base.Y, items->Get(item));
        RepaintCell(RealToDisplayColumn(base.X), base.Y);
        if (OnRadioClick)
            OnRadioClick(this, base.X, base.Y, item);
        return true;
    }
    case ctButton: {
        TRect r;
        if (!GetCellControlRect(RealToDisplayColumn(base.X), base.Y, r) || !r.Contains(TPoint(x, y)))
            return false;
        if (!controlLook_->NoDisabledButtonLook() && !CanEditCell(base.X, base.Y))
            return true;
        PressedButtonCell = TPoint(RealToDisplayColumn(base.X), base.Y);
        SetCellControlDown(PressedButtonCell.X, base.Y, true);
        return true;
    }
    case ctRating: {
        const TCellGraphic* g = GetCellGraphicOf(base.X, base.Y);
        const TRect r = CellRect(RealToDisplayColumn(base.X), base.Y);
        const int left = r.Left + XYOffset.X - 1;
        const int star = (x - left) / 18 + 1;
        if (x < left || star < 1 || star > g->CellAngle)
            return false;
        if (!CanEditCell(base.X, base.Y))
            return true;
        double rate = star;
        if (DoRatingChange(base.X, base.Y, rate))
            SetCellText(base.X, base.Y, FloatToStr(rate));
        return true;
    }
    default:
        return false;
    }
}

bool TPlusStringGrid::CellControlMouseUp(int displayCol, int row, int x, int y)
{
    if (PressedButtonCell.X < 0)
        return false;
    const TPoint pressed = PressedButtonCell;
    PressedButtonCell = TPoint(-1, -1);
    if (pressed.X >= ColCount() || pressed.Y >= RowCount())
        return true;
    SetCellControlDown(pressed.X, pressed.Y, false);
    TRect r;
    if (displayCol == pressed.X && row == pressed.Y && GetCellControlRect(pressed.X, pressed.Y, r) &&
        r.Contains(TPoint(x, y)))
        DoButtonClick(DisplayToRealColumn(pressed.X), pressed.Y);
    return true;
}

bool TPlusStringGrid::CellControlKey(int displayCol, int row)
{
    if (displayCol < 0 || row < 0 || displayCol >= ColCount() || row >= RowCount())
        return false;
    const int col = DisplayToRealColumn(displayCol);
    switch (GetCellType(col, row)) {
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox:
        if (ToggleCheckBox(col, row, true) && OnCheckBoxClick) {
            bool state = false;
            GetCheckBoxState(col, row, state);
            OnCheckBoxClick(this, col, row, state);
        }
        return true;
    case ctRadioButton:
        if (SelectRadioButton(col, row, true) && OnRadioClick)
            OnRadioClick(this, col, row, 0);
        return true;
    case ctRadio: {
        SelectRadioGroupItem(col, row, true);
        int index = -1;
        GetRadioIndex(col, row, index);
        if (OnRadioClick)
            OnRadioClick(this, col, row, GetCellGraphicOf(col, row)->CellVariant);
        return true;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------- drawing

namespace {

int StyleBoxSize(TCellControlStyle style, int radioSize)
{
    return style == csClassic || style == csFlat ? radioSize : 16;
}

} // namespace

std::vector<TRect> TPlusStringGrid::RadioItemRects(TCanvas* canvas, const TRect& r, TStrings* items, int count,
                                                   bool horizontal)
{
    TCellControlStyle style = controlLook_->ControlStyle();
    if (style == csTheme)
        style = csClassic;
    const int s = StyleBoxSize(style, controlLook_->RadioSize());
    int lh = canvas->TextHeight("gh");
    if (style != csClassic && style != csFlat)
        lh = std::max(lh, 16);
    std::vector<TRect> out;
    int pad = 0;
    for (int i = 0; i < count; ++i) {
        const String text = items && i < items->Count() ? items->Get(i) : String();
        TRect box;
        int textRight;
        if (horizontal) {
            box.Left = r.Left + pad + 2 + i * s;
            box.Top = r.Top + (r.Bottom - r.Top - s) / 2;
            const int tx = style == csWinXP || style == csVirel || style == csGlyph ? box.Left + 16 : box.Left + s + 2;
            // side by side, each caption keeps a small gap to the next glyph
            const int tw = text.empty() ? 0 : canvas->TextWidth(text);
            textRight = tx + tw;
            pad += text.empty() ? 0 : tw + 4;
        } else if (!text.empty()) {
            box.Left = r.Left + 2;
            box.Top = r.Top + 2 + i * lh;
            const int tx = style == csClassic || style == csFlat    ? box.Left + s + 4
                           : style == csKestrix || style == csTheme ? box.Left + 18
                                                                    : box.Left + 16;
            textRight = tx + canvas->TextWidth(text);
        } else {
            box.Left = r.Left + (r.Right - r.Left - s) / 2;
            box.Top = r.Top + 2 + i * lh;
            textRight = box.Left + s;
        }
        box.Right = std::max(box.Left + s, textRight);
        box.Bottom = box.Top + std::max(s, horizontal ? s : lh);
        out.push_back(box);
    }
    return out;
}

void TPlusStringGrid::DrawCheckBox(TCanvas* canvas, const TRect& r, bool checked, bool enabled, bool grayed)
{
    if (controlLook_->NoDisabledCheckRadioLook() || controlLook_->CheckAlwaysActive)
        enabled = true;
    TCellControlStyle style = controlLook_->ControlStyle();
    const int s = controlLook_->CheckSize();
    if (style == csGlyph) {
        TBitmap* glyph = checked ? controlLook_->CheckedGlyph() : controlLook_->UnCheckedGlyph();
        if (!glyph->Empty()) {
            DrawTransparentBitmap(canvas, glyph, canvas->Brush->Color,
                                  TRect(r.Left, r.Top, r.Left + glyph->Width(), r.Top + glyph->Height()));
            return;
        }
        style = csFlat;
    }
    if (style == csKestrix) {
        const TRect box(r.Left, r.Top, r.Left + s, r.Top + s);
        const TColor savedBrush = canvas->Brush->Color, savedPen = canvas->Pen->Color;
        canvas->Brush->Color = enabled ? clBtnFace : clBtnShadow;
        canvas->Pen->Color = clBtnFace;
        canvas->Rectangle(box);
        canvas->Pen->Color = clBtnHighlight;
        canvas->MoveTo(box.Left, box.Bottom);
        canvas->LineTo(box.Left, box.Top);
        canvas->LineTo(box.Right, box.Top);
        canvas->Pen->Color = clBtnShadow;
        canvas->LineTo(box.Right, box.Bottom);
        canvas->LineTo(box.Left, box.Bottom);
        if (checked) {
            const int h = s / 2;
            canvas->Pen->Color = enabled ? controlLook_->Color() : clGray;
            canvas->Pen->Width = 1;
            canvas->MoveTo(box.Left + 2, box.Top + h);
            canvas->LineTo(box.Left + 2, box.Bottom - 2);
            canvas->MoveTo(box.Left + 3, box.Top + h - 1);
            canvas->LineTo(box.Left + 3, box.Bottom - 3);
            canvas->MoveTo(box.Left + 2, box.Bottom - 2);
            canvas->LineTo(box.Right - 2, box.Top + 2);
            canvas->MoveTo(box.Left + 3, box.Bottom - 2);
            canvas->LineTo(box.Right - 1, box.Top + 2);
        }
        canvas->Brush->Color = savedBrush;
        canvas->Pen->Color = savedPen;
        return;
    }
    // the drawn styles, with the visual-style and bitmap looks in the classic
    // drawing here
    const int left = r.Left + (r.Right - r.Left - s) / 2;
    const int top = r.Top + (r.Bottom - r.Top - s) / 2;
    UINT flags = DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0) | (grayed ? DFCS_BUTTON3STATE : 0) |
                 (style == csFlat ? DFCS_FLAT : 0) | (enabled ? 0 : DFCS_INACTIVE);
    RECT wr = TRect(left, top, left + s, top + s);
    canvas->RequiredState();
    DrawFrameControl(canvas->Handle(), &wr, DFC_BUTTON, flags);
}

void TPlusStringGrid::DrawRadioGroup(TCanvas* canvas, const TRect& r, int count, int checkedIndex, bool horizontal,
                                     bool disabled, TStrings* items, int col, int row)
{
    if (controlLook_->NoDisabledCheckRadioLook() || controlLook_->RadioAlwaysActive)
        disabled = false;
    TCellControlStyle style = controlLook_->ControlStyle();
    if (style == csTheme || style == csWinXP || style == csVirel)
        style = csClassic;
    if (style == csGlyph && (controlLook_->RadioOnGlyph()->Empty() || controlLook_->RadioOffGlyph()->Empty()))
        style = csFlat;
    const int s = StyleBoxSize(style, controlLook_->RadioSize());
    const std::vector<TRect> boxes = RadioItemRects(canvas, r, items, count, horizontal);
    const String cellText = items && checkedIndex == -1 ? GetCellText(col, row) : String();
    canvas->Brush->Style = bsClear;
    for (int i = 0; i < count; ++i) {
        const String text = items && i < items->Count() ? items->Get(i) : String();
        const bool checked = i == checkedIndex || (checkedIndex == -1 && items && text == cellText);
        const TRect& b = boxes[size_t(i)];
        const int l = b.Left, t = b.Top;
        if (style == csGlyph) {
            TBitmap* glyph = checked ? controlLook_->RadioOnGlyph() : controlLook_->RadioOffGlyph();
            DrawTransparentBitmap(canvas, glyph, canvas->Brush->Color,
                                  TRect(l, t, l + glyph->Width(), t + glyph->Height()));
        } else if (style == csKestrix) {
            const TColor savedBrush = canvas->Brush->Color;
            canvas->Brush->Style = bsSolid;
            canvas->Brush->Color = clBtnFace;
            canvas->Pen->Color = clBtnFace;
            canvas->Polygon({TPoint(l + 2, t + 8), TPoint(l + 8, t + 2), TPoint(l + 14, t + 8), TPoint(l + 8, t + 14)});
            canvas->Pen->Color = checked ? clGray : clWhite;
            canvas->MoveTo(l + 8, t + 14);
            canvas->LineTo(l + 2, t + 8);
            canvas->LineTo(l + 8, t + 2);
            canvas->Pen->Color = checked ? clWhite : clGray;
            canvas->LineTo(l + 14, t + 8);
            canvas->LineTo(l + 8, t + 14);
            if (checked) {
                canvas->Brush->Color = controlLook_->Color();
                canvas->Pen->Color = controlLook_->Color();
                canvas->Polygon(
                    {TPoint(l + 6, t + 8), TPoint(l + 8, t + 6), TPoint(l + 10, t + 8), TPoint(l + 8, t + 10)});
            }
            canvas->Brush->Color = savedBrush;
            canvas->Brush->Style = bsClear;
        } else {
            const int side = style == csFlat ? s + 2 : s;
            RECT wr = TRect(l, t, l + side, t + side);
            canvas->RequiredState();
            DrawFrameControl(canvas->Handle(), &wr, DFC_BUTTON,
                             DFCS_BUTTONRADIO | (style == csFlat ? DFCS_FLAT : 0) | (disabled ? DFCS_INACTIVE : 0) |
                                 (checked ? DFCS_CHECKED : 0));
        }
        if (!text.empty()) {
            int tx, ty;
            if (horizontal) {
                tx = style == csGlyph || style == csWinXP || style == csVirel ? l + 16 : l + s + 2;
                ty = style == csGlyph ? t + 1 : t - 2;
            } else {
                tx = style == csClassic || style == csFlat ? l + s + 4 : style == csKestrix ? l + 18 : l + 16;
                ty = style == csGlyph ? t + 1 : t - 2;
            }
            canvas->TextOut(tx, ty, text);
        }
    }
    canvas->Brush->Style = bsSolid;
}

void TPlusStringGrid::DrawControlGraphic(TCanvas* canvas, TCellGraphic* g, int col, int row, const TRect& cell,
                                         TRect& textRect, const String& text)
{
    const int rc = DisplayToRealColumn(col);
    TAlignment h = taLeftJustify;
    TVAlignment v = vtaTop;
    GetCellAlignment(rc, row, h, v);
    const bool enabled = CanEditCell(rc, row);
    const TRect outer(cell.Left + XYOffset.X - 1, cell.Top + XYOffset.Y - 1, cell.Right - XYOffset.X + 1,
                      cell.Bottom - XYOffset.Y + 1);
    auto vertical = [&](int size) {
        TCellVAlign va = g->CellVAlign;
        if (v != VAlignment())
            va = v == vtaTop ? vaTop : v == vtaCenter ? vaCenter : vaBottom;
        if (va == vaBottom)
            return outer.Bottom - 1 - size;
        if (va == vaCenter)
            return size >= outer.Bottom - outer.Top ? outer.Top + 1 : outer.Top + (outer.Bottom - outer.Top - size) / 2;
        return outer.Top + 1;
    };
    auto horizontal = [&](int size) {
        if (h == taRightJustify) {
            const int tw = text.empty() || g->CellType != ctCheckBox ? 0 : canvas->TextWidth(text) + 2;
            return outer.Right - tw - size - 1;
        }
        if (h == taCenter)
            return outer.Left + std::max(0, outer.Right - size - outer.Left) / 2;
        return outer.Left + 1;
    };
    switch (g->CellType) {
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox: {
        const int s = controlLook_->CheckSize();
        const int left = horizontal(s), top = vertical(s);
        bool checked = false;
        if (g->CellType == ctCheckBox)
            checked = g->CellBoolean;
        else if (g->CellType == ctRowCheckBox)
            checked = GetRowSelected(row);
        else
            checked = GetCellText(rc, row) == GetCheckTrue(rc, row);
        DrawCheckBox(canvas, TRect(left, top, left + s, top + s), checked, enabled,
                     g->CellType == ctCheckBox && g->CellAngle >= 1 && g->CellAngle != 1);
        if (h == taLeftJustify)
            textRect.Left = std::max(textRect.Left, left + s + 1);
        break;
    }
    case ctRadioButton: {
        const int s = controlLook_->RadioSize();
        const int left = horizontal(s) + XYOffset.X, top = vertical(s);
        DrawRadioGroup(canvas, TRect(left - 2, top - 2, left + s, top + s), 1, g->CellBoolean ? 0 : -1, false, !enabled,
                       nullptr, rc, row);
        if (h == taLeftJustify)
            textRect.Left = std::max(textRect.Left, left + s + 4);
        break;
    }
    case ctRadio: {
        auto* items = dynamic_cast<TStrings*>(g->CellData);
        DrawRadioGroup(canvas, cell, items ? items->Count() : 0, g->CellIndex, g->CellBoolean, !enabled, items, rc,
                       row);
        textRect = TRect(textRect.Left, textRect.Top, textRect.Left, textRect.Top);
        break;
    }
    default:
        break;
    }
}
