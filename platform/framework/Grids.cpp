#include "platform/framework/Grids.h"

#include "platform/rtl/Invariant.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"

#include <QKeyEvent>
#include <algorithm>
#include <iterator>

// ---------------------------------------------------------------- in-place editor

TInplaceEdit::TInplaceEdit(TCustomGrid* grid) : TCustomMaskEdit(grid), grid_(grid)
{
    TControl::SetVisible(false);
    SetBorderStyle(bsNone);
    AutoSelect = false;
    TCreateParams params;
    TInplaceEdit::CreateParams(params);
    ApplyStyle(params.Style);
}

void TInplaceEdit::CreateParams(TCreateParams& params)
{
    TCustomMaskEdit::CreateParams(params);
    params.Style |= ES_MULTILINE;
}

void TInplaceEdit::SetEditText(const String& text)
{
    updating_ = true;
    try {
        TCustomMaskEdit::SetEditText(text);
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

void TInplaceEdit::Deselect()
{
    Perform(EM_SETSEL, WPARAM(0x7FFFFFFF), LPARAM(-1));
}

void TInplaceEdit::Move(const TRect& r)
{
    HandleNeeded();
    SetWindowPos(Handle(), HWND_TOP, r.Left, r.Top, r.Width(), r.Height(), SWP_NOREDRAW);
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    BoundsChanged();
    Show();
    Host()->raise();
}

void TInplaceEdit::BoundsChanged()
{
    RECT r{2, 2, Width() - 2, Height()};
    Perform(EM_SETRECTNP, 0, LPARAM(&r));
    Perform(EM_SCROLLCARET, 0, 0);
}

void TInplaceEdit::UpdateContents()
{
    const int col = grid_->Col(), row = grid_->Row();
    SetEditText(String());
    SetEditMask(grid_->GetEditMask(col, row));
    const String text = grid_->GetEditText(col, row);
    original_ = text;
    SetEditText(text);
    SetMaxLength(grid_->GetEditLimit());
}

void TInplaceEdit::Change()
{
    if (!updating_)
        grid_->SetEditText(grid_->Col(), grid_->Row(), Text());
    TCustomMaskEdit::Change();
}

bool TInplaceEdit::KeyGoesToGrid(WORD key, TShiftState shift) const
{
    const int start = SelStart(), length = SelLength();
    switch (key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_RETURN: return true;
    case VK_TAB: return grid_->Options().Contains(goTabs) && !shift.Contains(ssAlt);
    case VK_LEFT: return length == 0 && start == 0;
    case VK_RIGHT: return length == 0 && start == GetTextLen();
    case VK_HOME: case VK_END: return shift.Contains(ssCtrl);
    default: return false;
    }
}

void TInplaceEdit::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_ESCAPE) {
        const String original = original_;
        SetEditText(original);
        grid_->SetEditText(grid_->Col(), grid_->Row(), original);
        grid_->HideEditor();
        key = 0;
        return;
    }
    if (KeyGoesToGrid(key, shift)) {
        grid_->KeyDown(key, shift);
        key = 0;
        return;
    }
    if ((key == VK_DELETE || (key == VK_INSERT && shift.Contains(ssShift))) && !grid_->CanEditModify()) {
        key = 0;
        return;
    }
    TCustomMaskEdit::KeyDown(key, shift);
}

void TInplaceEdit::KeyPress(char& key)
{
    grid_->KeyPress(key);
    const unsigned char k = static_cast<unsigned char>(key);
    if (k >= 32 && !grid_->CanEditAcceptKey(key)) {
        key = 0;
        MessageBeep(0);
    }
    switch (static_cast<unsigned char>(key)) {
    case 9: case 27: key = 0; break;
    case 13:
        if (SelStart() == 0 && SelLength() == GetTextLen())
            Deselect();
        else
            SelectAll();
        key = 0;
        break;
    case 8: case 22: case 24:
        if (!grid_->CanEditModify())
            key = 0;
        break;
    default:
        if (static_cast<unsigned char>(key) >= 32 && !grid_->CanEditModify())
            key = 0;
        break;
    }
    if (key != 0)
        TCustomMaskEdit::KeyPress(key);
}

void TInplaceEdit::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETDLGCODE:
        TCustomMaskEdit::Dispatch(m);
        if (grid_->Options().Contains(goTabs))
            m.Result |= DLGC_WANTTAB;
        break;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
        if (grid_->CanEditModify())
            TCustomMaskEdit::Dispatch(m);
        break;
    default: TCustomMaskEdit::Dispatch(m); break;
    }
}

// ---------------------------------------------------------------- TCustomGrid

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner)
{
    colWidths_.assign(5, defaultColWidth_);
    rowHeights_.assign(5, defaultRowHeight_);
    options_ = TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TControl::SetColor(clWindow);
    ControlStyle << csOpaque;
    TabStop = true;
    SetBounds(0, 0, 320, 120);
    UpdateScrollBars();
}

TCustomGrid::~TCustomGrid() = default;

const TCustomGrid::GridAxis TCustomGrid::colAxis_{&TCustomGrid::colWidths_, &TCustomGrid::fixedCols_,
                                                   &TCustomGrid::defaultColWidth_, &TGridCoord::X, true};
const TCustomGrid::GridAxis TCustomGrid::rowAxis_{&TCustomGrid::rowHeights_, &TCustomGrid::fixedRows_,
                                                   &TCustomGrid::defaultRowHeight_, &TGridCoord::Y, false};

int TCustomGrid::LineSize(const GridAxis& a, int index) const
{
    const std::vector<int>& sizes = this->*a.sizes;
    return index >= 0 && index < int(sizes.size()) ? sizes[size_t(index)] : this->*a.defaultSize;
}

int TCustomGrid::ColWidths(int col) const
{
    return LineSize(colAxis_, col);
}

int TCustomGrid::RowHeights(int row) const
{
    return LineSize(rowAxis_, row);
}

void TCustomGrid::LineSizesChanged(const GridAxis& a)
{
    if (a.horizontal)
        ColWidthsChanged();
    else
        RowHeightsChanged();
}

void TCustomGrid::SetLineSize(const GridAxis& a, int index, int size)
{
    if (index < 0 || index >= LineCount(a))
        throw EInvalidGridOperation("Grid index out of range");
    size = std::max(-1, size);
    int& stored = (this->*a.sizes)[size_t(index)];
    if (stored == size)
        return;
    stored = size;
    LineSizesChanged(a);
}

void TCustomGrid::SetColWidths(int col, int width)
{
    SetLineSize(colAxis_, col, width);
}

void TCustomGrid::SetRowHeights(int row, int height)
{
    SetLineSize(rowAxis_, row, height);
}

void TCustomGrid::SetDefaultLineSize(const GridAxis& a, int size)
{
    this->*a.defaultSize = size;
    std::vector<int>& sizes = this->*a.sizes;
    std::fill(sizes.begin(), sizes.end(), size);
    LineSizesChanged(a);
}

void TCustomGrid::SetDefaultColWidth(int width)
{
    SetDefaultLineSize(colAxis_, width);
}

void TCustomGrid::SetDefaultRowHeight(int height)
{
    SetDefaultLineSize(rowAxis_, height);
}

void TCustomGrid::SetGridLineWidth(int width)
{
    gridLineWidth_ = std::max(0, width);
    ColWidthsChanged();
}

void TCustomGrid::SetOptions(const TGridOptions& options)
{
    options_ = options;
    if (options_.Contains(goRowSelect))
        options_ >> goAlwaysShowEditor;
    if (options_.Contains(goAlwaysShowEditor))
        editorMode_ = true;
    else if (!options_.Contains(goEditing))
        HideEditor();
    InvalidateGrid();
    UpdateEditor();
}

void TCustomGrid::SetFixedColor(TColor color)
{
    fixedColor_ = color;
    InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollStyle bars)
{
    scrollBars_ = bars;
    UpdateScrollBars();
}

void TCustomGrid::SetLineCount(const GridAxis& a, int count)
{
    count = std::max(1, count);
    if (count == LineCount(a))
        return;
    int& fixed = this->*a.fixed;
    if (count <= fixed)
        fixed = count - 1;
    const int oldCols = ColCount(), oldRows = RowCount();
    (this->*a.sizes).resize(size_t(count), this->*a.defaultSize);
    current_.*a.coord = std::clamp(current_.*a.coord, fixed, count - 1);
    anchor_.*a.coord = std::clamp(anchor_.*a.coord, fixed, count - 1);
    topLeft_.*a.coord = std::clamp(topLeft_.*a.coord, fixed, std::max(fixed, count - 1));
    SizeChanged(oldCols, oldRows);
    UpdateScrollBars();
    InvalidateGrid();
}

void TCustomGrid::SetColCount(int count)
{
    SetLineCount(colAxis_, count);
}

void TCustomGrid::SetRowCount(int count)
{
    SetLineCount(rowAxis_, count);
}

void TCustomGrid::SetFixedLines(const GridAxis& a, int count, const char* tooMany)
{
    if (count < 0 || count >= LineCount(a))
        throw EInvalidGridOperation(tooMany);
    this->*a.fixed = count;
    for (TGridCoord* coord : {&current_, &anchor_, &topLeft_})
        coord->*a.coord = std::max(coord->*a.coord, count);
    UpdateScrollBars();
    InvalidateGrid();
}

void TCustomGrid::SetFixedCols(int count)
{
    SetFixedLines(colAxis_, count, "Fixed column count must be less than column count");
}

void TCustomGrid::SetFixedRows(int count)
{
    SetFixedLines(rowAxis_, count, "Fixed row count must be less than row count");
}

// ---------------------------------------------------------------- geometry

int TCustomGrid::LineStart(const GridAxis& a, int index) const
{
    int pos = 0;
    const int lw = gridLineWidth_;
    const int fixed = this->*a.fixed, first = topLeft_.*a.coord;
    if (index < fixed) {
        for (int i = 0; i < index; ++i)
            pos += LineSize(a, i) + lw;
        return pos;
    }
    for (int i = 0; i < fixed; ++i)
        pos += LineSize(a, i) + lw;
    if (index >= first) {
        for (int i = first; i < index; ++i)
            pos += LineSize(a, i) + lw;
    } else {
        for (int i = index; i < first; ++i)
            pos -= LineSize(a, i) + lw;
    }
    return pos;
}

int TCustomGrid::AxisClientExtent(const GridAxis& a) const
{
    return a.horizontal ? ClientWidth() : RowsClientHeight();
}

int TCustomGrid::FixedExtent(const GridAxis& a) const
{
    int extent = 0;
    for (int i = 0; i < this->*a.fixed; ++i)
        extent += LineSize(a, i) + gridLineWidth_;
    return extent;
}

int TCustomGrid::LastVisibleLine(const GridAxis& a, bool full) const
{
    const int limit = AxisClientExtent(a);
    int i = topLeft_.*a.coord;
    int pos = LineStart(a, i);
    for (; i < LineCount(a); ++i) {
        const int end = pos + LineSize(a, i);
        if (full ? end > limit : pos >= limit)
            break;
        pos += LineSize(a, i) + gridLineWidth_;
    }
    return i - 1;
}

int TCustomGrid::VisibleLineCount(const GridAxis& a) const
{
    return std::max(0, LastVisibleLine(a, true) - topLeft_.*a.coord + 1);
}

int TCustomGrid::VisibleColCount() const
{
    return VisibleLineCount(colAxis_);
}

int TCustomGrid::VisibleRowCount() const
{
    return VisibleLineCount(rowAxis_);
}

int TCustomGrid::MaxFirstLine(const GridAxis& a) const
{
    const int fixed = this->*a.fixed;
    const int space = AxisClientExtent(a) - FixedExtent(a);
    int i = LineCount(a) - 1;
    int used = LineSize(a, i);
    while (i - 1 >= fixed && used + gridLineWidth_ + LineSize(a, i - 1) <= space) {
        used += gridLineWidth_ + LineSize(a, i - 1);
        --i;
    }
    return std::max(fixed, i);
}

TRect TCustomGrid::CellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return TRect();
    if (col >= fixedCols_ && (col < topLeft_.X || col > LastVisibleCol(false)))
        return TRect();
    if (row >= fixedRows_ && (row < topLeft_.Y || row > LastVisibleRow(false)))
        return TRect();
    const int x = ColLeft(col), y = RowTop(row);
    return TRect(x, y, x + ColWidths(col), y + RowHeights(row));
}

void TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const
{
    const TGridCoord c = MouseCoord(x, y);
    col = c.X;
    row = c.Y;
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const
{
    TGridCoord result{-1, -1};
    if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight())
        return result;
    auto find = [&](const GridAxis& a, int pos) {
        const int lastVisible = LastVisibleLine(a, false), count = LineCount(a);
        const auto within = [&](int i) { return pos >= LineStart(a, i) && pos < LineStart(a, i) + LineSize(a, i) + gridLineWidth_; };
        for (int i = 0; i < this->*a.fixed && i < count; ++i)
            if (within(i))
                return i;
        for (int i = topLeft_.*a.coord; i <= lastVisible && i < count; ++i)
            if (within(i))
                return i;
        return -1;
    };
    result.X = find(colAxis_, x);
    result.Y = find(rowAxis_, y);
    if (result.X < 0 || result.Y < 0)
        return TGridCoord{-1, -1};
    return result;
}

// ---------------------------------------------------------------- repaint

void TCustomGrid::InvalidateCell(int col, int row)
{
    const TRect r = CellRect(col, row);
    if (r.IsEmpty())
        return;
    RECT rr = TRect(r.Left, r.Top, r.Right + gridLineWidth_, r.Bottom + gridLineWidth_);
    InvalidateRect(Handle(), &rr, FALSE);
}

void TCustomGrid::InvalidateCol(int col)
{
    for (int r = 0; r < RowCount(); ++r)
        InvalidateCell(col, r);
}

void TCustomGrid::InvalidateRow(int row)
{
    for (int c = 0; c < ColCount(); ++c)
        InvalidateCell(c, row);
}

void TCustomGrid::InvalidateGrid()
{
    Invalidate();
}

void TCustomGrid::InvalidateGridRect(const TGridRect& g)
{
    const int firstCol = std::max(g.Left, 0), lastCol = std::min(g.Right, ColCount() - 1);
    const int firstRow = std::max(g.Top, 0), lastRow = std::min(g.Bottom, RowCount() - 1);
    if ((lastCol - firstCol + 1) * (lastRow - firstRow + 1) > 400) {
        InvalidateGrid();
        return;
    }
    for (int c = firstCol; c <= lastCol; ++c)
        for (int r = firstRow; r <= lastRow; ++r)
            InvalidateCell(c, r);
}

// ---------------------------------------------------------------- paint

bool TCustomGrid::HasFocusForDrawing() const
{
    return Focused() || (editor_ && editor_->Focused());
}

namespace {
// The geometry that painting and hit-testing rely on.
void GridsCheckGeometry(const TCustomGrid& g)
{
    QUELM_INVARIANT(g.FixedCols() >= 0 && g.FixedCols() <= g.ColCount() && g.FixedRows() >= 0 &&
                        g.FixedRows() <= g.RowCount(),
                    "the fixed columns and rows fit in the grid");
    QUELM_INVARIANT((g.ColCount() == 0 || (g.Col() >= 0 && g.Col() < g.ColCount())) &&
                        (g.RowCount() == 0 || (g.Row() >= 0 && g.Row() < g.RowCount())),
                    "the current cell lies inside the grid");
    QUELM_INVARIANT((g.ColCount() <= g.FixedCols() || (g.LeftCol() >= g.FixedCols() && g.LeftCol() < g.ColCount())) &&
                        (g.RowCount() <= g.FixedRows() || (g.TopRow() >= g.FixedRows() && g.TopRow() < g.RowCount())),
                    "the first scrolled column and row follow the fixed ones inside the grid");
}
} // namespace

std::vector<int> TCustomGrid::ShownLines(const GridAxis& a) const
{
    std::vector<int> lines;
    for (int i = 0; i < this->*a.fixed; ++i)
        lines.push_back(i);
    for (int i = topLeft_.*a.coord, last = LastVisibleLine(a, false); i <= last; ++i)
        lines.push_back(i);
    return lines;
}

void TCustomGrid::Paint()
{
    GridsCheckGeometry(*this);
    TCanvas* canvas = Canvas();
    const TRect clip = canvas->ClipRect();
    const std::vector<int> cols = ShownLines(colAxis_), rows = ShownLines(rowAxis_);
    const TGridRect sel = Selection();
    const bool focused = HasFocusForDrawing();
    const int lw = gridLineWidth_;
    for (int r : rows) {
        for (int c : cols) {
            const TRect cell(ColLeft(c), RowTop(r), ColLeft(c) + ColWidths(c), RowTop(r) + RowHeights(r));
            TRect visible;
            if (!IntersectRect(visible, TRect(cell.Left, cell.Top, cell.Right + lw, cell.Bottom + lw), clip))
                continue;
            TGridDrawState state;
            const bool fixed = c < fixedCols_ || r < fixedRows_;
            const bool isCurrent = c == current_.X && r == current_.Y;
            if (fixed) {
                state << gdFixed;
            } else {
                if (isCurrent && focused)
                    state << gdFocused;
                if (sel.Contains(c, r) &&
                    (!isCurrent || !focused || options_.Contains(goDrawFocusSelected) || options_.Contains(goRowSelect)))
                    state << gdSelected;
            }
            canvas->Font->Assign(Font());
            canvas->Brush->Style = bsSolid;
            if (DefaultDrawing) {
                canvas->Brush->Color = fixed ? fixedColor_ : state.Contains(gdSelected) ? clHighlight : Color();
                if (state.Contains(gdSelected))
                    canvas->Font->Color = clHighlightText;
                canvas->FillRect(cell);
            } else {
                canvas->Brush->Color = fixed ? fixedColor_ : Color();
            }
            DrawCell(c, r, cell, state);
            if (DefaultDrawing && state.Contains(gdFocused) && !options_.Contains(goRowSelect) && !editorMode_)
                canvas->DrawFocusRect(cell);
        }
    }
    // grid lines
    int right = 0, bottom = 0;
    if (!cols.empty())
        right = ColLeft(cols.back()) + ColWidths(cols.back()) + lw;
    if (!rows.empty())
        bottom = RowTop(rows.back()) + RowHeights(rows.back()) + lw;
    if (lw > 0) {
        canvas->Pen->Width = lw;
        canvas->Brush->Style = bsSolid;
        // the line after each shown cell of one axis, across each shown cell of the other
        const auto drawLines = [&](const GridAxis& a, const std::vector<int>& along, const GridAxis& other,
                                   const std::vector<int>& across, TGridOption line, TGridOption fixedLine) {
            for (int i : along) {
                const bool fixedAlong = i < this->*a.fixed;
                const int pos = LineStart(a, i) + LineSize(a, i);
                for (int j : across) {
                    const bool fixed = fixedAlong || j < this->*other.fixed;
                    if (!options_.Contains(fixed ? fixedLine : line))
                        continue;
                    canvas->Brush->Color = fixed ? clBlack : clSilver;
                    const int from = LineStart(other, j), to = from + LineSize(other, j) + lw;
                    canvas->FillRect(a.horizontal ? TRect(pos, from, pos + lw, to) : TRect(from, pos, to, pos + lw));
                }
            }
        };
        drawLines(colAxis_, cols, rowAxis_, rows, goVertLine, goFixedVertLine);
        drawLines(rowAxis_, rows, colAxis_, cols, goHorzLine, goFixedHorzLine);
    }
    // the rest of the client area
    canvas->Brush->Color = Color();
    canvas->Brush->Style = bsSolid;
    if (right < ClientWidth())
        canvas->FillRect(TRect(right, 0, ClientWidth(), ClientHeight()));
    if (bottom < ClientHeight())
        canvas->FillRect(TRect(0, bottom, std::min(right, ClientWidth()), ClientHeight()));
    // a sizing line shown before this paint stays shown
    if (sizingLineShown_ && (gridState_ == gsColSizing || gridState_ == gsRowSizing)) {
        HDC dc = canvas->Handle();
        TGridDrawInfo info;
        CalcDrawInfo(info);
        InvertSizingLine(dc, info);
    }
}

void TCustomGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state)
{
    if (OnDrawCell)
        OnDrawCell(this, col, row, rect, state);
}

// ---------------------------------------------------------------- position and selection

bool TCustomGrid::SelectCell(int col, int row)
{
    bool can = true;
    if (OnSelectCell)
        OnSelectCell(this, col, row, can);
    return can;
}

TGridRect TCustomGrid::Selection() const
{
    TGridRect r{std::min(anchor_.X, current_.X), std::min(anchor_.Y, current_.Y), std::max(anchor_.X, current_.X),
                std::max(anchor_.Y, current_.Y)};
    if (options_.Contains(goRowSelect)) {
        r.Left = fixedCols_;
        r.Right = ColCount() - 1;
    }
    return r;
}

void TCustomGrid::SetSelection(const TGridRect& r)
{
    const TGridRect old = Selection();
    anchor_ = TGridCoord{std::clamp(r.Left, fixedCols_, ColCount() - 1), std::clamp(r.Top, fixedRows_, RowCount() - 1)};
    current_ = TGridCoord{std::clamp(r.Right, fixedCols_, ColCount() - 1),
                          std::clamp(r.Bottom, fixedRows_, RowCount() - 1)};
    InvalidateGridRect(old);
    InvalidateGridRect(Selection());
}

void TCustomGrid::MoveColRow(int col, int row, bool moveAnchor, bool show)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        throw EInvalidGridOperation("Grid index out of range");
    if (!SelectCell(col, row))
        return;
    const TGridRect old = Selection();
    if (!options_.Contains(goAlwaysShowEditor))
        HideEditor();
    current_ = TGridCoord{col, row};
    if (moveAnchor || !options_.Contains(goRangeSelect))
        anchor_ = current_;
    if (show)
        ClampInView(col, row);
    InvalidateGridRect(old);
    InvalidateGridRect(Selection());
    if (options_.Contains(goAlwaysShowEditor))
        UpdateEditor();
}

void TCustomGrid::FocusCell(int col, int row, bool moveAnchor)
{
    MoveColRow(col, row, moveAnchor, true);
    Click();
}

void TCustomGrid::SetCol(int col)
{
    if (col != current_.X)
        FocusCell(col, current_.Y, true);
}

void TCustomGrid::SetRow(int row)
{
    if (row != current_.Y)
        FocusCell(current_.X, row, true);
}

void TCustomGrid::SetLeftCol(int col)
{
    MoveTopLeft(col, topLeft_.Y);
}

void TCustomGrid::SetTopRow(int row)
{
    MoveTopLeft(topLeft_.X, row);
}

void TCustomGrid::MoveTopLeft(int col, int row)
{
    col = std::clamp(col, fixedCols_, std::max(fixedCols_, ColCount() - 1));
    row = std::clamp(row, fixedRows_, std::max(fixedRows_, RowCount() - 1));
    if (col == topLeft_.X && row == topLeft_.Y)
        return;
    // a vertical move by less than a page copies what stays in view and paints only the rows
    // that come into view
    bool copied = false;
    if (col == topLeft_.X && Handle() && CanScrollByCopy()) {
        const int fixedHeight = FixedExtent(rowAxis_);
        const int space = RowsClientHeight() - fixedHeight;
        int dy = 0;
        const int from = std::min(row, topLeft_.Y), to = std::max(row, topLeft_.Y);
        for (int i = from; i < to && dy < space; ++i)
            dy += std::max(0, RowHeights(i)) + gridLineWidth_;
        if (dy < space) {
            UpdateWindow(Handle()); // what is pending is painted at its old place first
            const RECT area{0, fixedHeight, ClientWidth(), RowsClientHeight()};
            topLeft_ = TGridCoord{col, row};
            ScrollWindow(Handle(), 0, row > from ? -dy : dy, &area, &area);
            copied = true;
        }
    }
    topLeft_ = TGridCoord{col, row};
    if (!copied)
        InvalidateGrid();
    UpdateScrollBars();
    TopLeftChanged();
    if (editorMode_)
        UpdateEditor();
}

int TCustomGrid::FirstLineShowing(const GridAxis& a, int index) const
{
    const int first = topLeft_.*a.coord;
    if (index < this->*a.fixed)
        return first;
    if (index < first)
        return index;
    // walk back from the line while the lines up to it still fit: the cost is the lines in
    // view, whatever the distance of the move
    const int space = AxisClientExtent(a) - FixedExtent(a);
    int result = index;
    int64_t extent = int64_t(LineSize(a, index)) + gridLineWidth_;
    while (result > first) {
        const int64_t wider = extent + LineSize(a, result - 1) + gridLineWidth_;
        if (wider - gridLineWidth_ > space)
            break;
        extent = wider;
        --result;
    }
    return result;
}

void TCustomGrid::ClampInView(int col, int row)
{
    MoveTopLeft(FirstLineShowing(colAxis_, col), FirstLineShowing(rowAxis_, row));
}

void TCustomGrid::TopLeftChanged()
{
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
}

void TCustomGrid::ColWidthsChanged()
{
    UpdateScrollBars();
    InvalidateGrid();
    if (editorMode_)
        UpdateEditor();
}

void TCustomGrid::RowHeightsChanged()
{
    UpdateScrollBars();
    InvalidateGrid();
    if (editorMode_)
        UpdateEditor();
}

void TCustomGrid::ColumnMoved(int fromIndex, int toIndex)
{
    if (OnColumnMoved)
        OnColumnMoved(this, fromIndex, toIndex);
}

void TCustomGrid::RowMoved(int fromIndex, int toIndex)
{
    if (OnRowMoved)
        OnRowMoved(this, fromIndex, toIndex);
}

void TCustomGrid::MoveLine(const GridAxis& a, int fromIndex, int toIndex)
{
    const int count = LineCount(a);
    if (fromIndex < 0 || toIndex < 0 || fromIndex >= count || toIndex >= count)
        throw EInvalidGridOperation("Grid index out of range");
    if (fromIndex == toIndex)
        return;
    HideEditor();
    std::vector<int>& sizes = this->*a.sizes;
    const int size = sizes[size_t(fromIndex)];
    sizes.erase(sizes.begin() + fromIndex);
    sizes.insert(sizes.begin() + toIndex, size);
    if (a.horizontal)
        ColumnMoved(fromIndex, toIndex);
    else
        RowMoved(fromIndex, toIndex);
    InvalidateGrid();
}

void TCustomGrid::MoveColumn(int fromIndex, int toIndex)
{
    MoveLine(colAxis_, fromIndex, toIndex);
}

void TCustomGrid::MoveRow(int fromIndex, int toIndex)
{
    MoveLine(rowAxis_, fromIndex, toIndex);
}

void TCustomGrid::DeleteLine(const GridAxis& a, int index)
{
    MoveLine(a, index, LineCount(a) - 1);
    SetLineCount(a, LineCount(a) - 1);
}

void TCustomGrid::DeleteColumn(int col)
{
    DeleteLine(colAxis_, col);
}

void TCustomGrid::DeleteRow(int row)
{
    DeleteLine(rowAxis_, row);
}

void TCustomGrid::ChangeScale(int m, int d)
{
    // the sizes of the columns and rows; the default sizes stay
    if (m == d || d == 0)
        return;
    for (std::vector<int>* sizes : {&colWidths_, &rowHeights_})
        for (int& size : *sizes)
            size = MulDiv(size, m, d);
    ColWidthsChanged();
}

// ---------------------------------------------------------------- scroll bars

bool TCustomGrid::WantsScrollBar(const GridAxis& a) const
{
    const TScrollStyle own = a.horizontal ? ssHorizontal : ssVertical;
    return (scrollBars_ == own || scrollBars_ == ssBoth) && MaxFirstLine(a) > this->*a.fixed;
}

void TCustomGrid::SetScrollBarInfo(const GridAxis& a, int bar)
{
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = this->*a.fixed;
    info.nMax = std::max(this->*a.fixed, MaxFirstLine(a));
    info.nPage = 1;
    info.nPos = topLeft_.*a.coord;
    SetScrollInfo(Handle(), bar, &info, TRUE);
}

void TCustomGrid::UpdateScrollBars()
{
    if (updatingBars_ || !Handle())
        return;
    updatingBars_ = true;
    const bool wantV = WantsScrollBar(rowAxis_);
    const bool wantH = WantsScrollBar(colAxis_);
    ShowScrollBar(Handle(), SB_VERT, wantV);
    ShowScrollBar(Handle(), SB_HORZ, wantH);
    SetScrollBarInfo(rowAxis_, SB_VERT);
    SetScrollBarInfo(colAxis_, SB_HORZ);
    updatingBars_ = false;
}

void TCustomGrid::ScrollMessage(int bar, TMessage& m)
{
    const GridAxis& a = bar == SB_VERT ? rowAxis_ : colAxis_;
    int pos = topLeft_.*a.coord;
    const int page = std::max(1, VisibleLineCount(a));
    const int first = this->*a.fixed;
    const int last = MaxFirstLine(a);
    switch (m.ScrollCode()) {
    case SB_LINEUP: --pos; break;
    case SB_LINEDOWN: ++pos; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_TOP: pos = first; break;
    case SB_BOTTOM: pos = last; break;
    case SB_THUMBTRACK:
        if (!options_.Contains(goThumbTracking))
            return;
        pos = m.ScrollPos();
        break;
    case SB_THUMBPOSITION: pos = m.ScrollPos(); break;
    default: return;
    }
    TGridCoord topLeft = topLeft_;
    topLeft.*a.coord = std::clamp(pos, first, std::max(first, last));
    MoveTopLeft(topLeft.X, topLeft.Y);
    UpdateScrollBars();
}

void TCustomGrid::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_VSCROLL: ScrollMessage(SB_VERT, m); break;
    case WM_HSCROLL: ScrollMessage(SB_HORZ, m); break;
    case WM_TIMER:
        if (m.WParam == DragScrollTimerId && dragScrolling_) {
            DragScrollTick();
            break;
        }
        TCustomControl::Dispatch(m);
        break;
    case WM_CANCELMODE:
        // a lost capture ends sizing (the line goes), selecting and moving
        if (gridState_ == gsColSizing || gridState_ == gsRowSizing) {
            if (sizingLineShown_) {
                TGridDrawInfo info;
                CalcDrawInfo(info);
                DrawSizingLine(info);
            }
        }
        StopDragScroll();
        gridState_ = gsNormal;
        TCustomControl::Dispatch(m);
        break;
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS | (options_.Contains(goTabs) ? DLGC_WANTTAB : 0) |
                   (options_.Contains(goEditing) ? DLGC_WANTCHARS : 0);
        break;
    case WM_CHAR: {
        const unsigned char c = static_cast<unsigned char>(m.CharCode());
        if (options_.Contains(goEditing) && !editorMode_ && (c == 8 || c >= 32) && !options_.Contains(goRowSelect) &&
            current_.X >= fixedCols_ && current_.Y >= fixedRows_) {
            ShowEditor();
            // the character goes on to the editor, which now holds the whole text selected
            if (editor_ && editor_->Visible()) {
                editor_->SelectAll();
                editor_->Perform(WM_CHAR, m.WParam, m.LParam);
            }
            break;
        }
        TCustomControl::Dispatch(m);
        break;
    }
    default: TCustomControl::Dispatch(m); break;
    }
}

void TCustomGrid::Resize()
{
    UpdateScrollBars();
    TCustomControl::Resize();
}

// ---------------------------------------------------------------- keys, wheel, mouse

void TCustomGrid::KeyDown(WORD& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (key == 0)
        return;
    TGridCoord next = current_;
    TGridCoord topLeft = topLeft_;
    const bool ctrl = shift.Contains(ssCtrl);
    const int page = std::max(1, VisibleRowCount());
    switch (key) {
    case VK_UP: --next.Y; break;
    case VK_DOWN: ++next.Y; break;
    case VK_LEFT: --next.X; break;
    case VK_RIGHT: ++next.X; break;
    case VK_NEXT:
        next.Y += page;
        topLeft.Y += page;
        break;
    case VK_PRIOR:
        next.Y -= page;
        topLeft.Y -= page;
        break;
    case VK_HOME:
        if (ctrl)
            next.Y = fixedRows_;
        else
            next.X = fixedCols_;
        break;
    case VK_END:
        if (ctrl)
            next.Y = RowCount() - 1;
        else
            next.X = ColCount() - 1;
        break;
    case VK_TAB:
        if (!options_.Contains(goTabs))
            return;
        if (shift.Contains(ssShift)) {
            if (--next.X < fixedCols_) {
                next.X = ColCount() - 1;
                if (--next.Y < fixedRows_)
                    next.Y = RowCount() - 1;
            }
        } else if (++next.X >= ColCount()) {
            next.X = fixedCols_;
            if (++next.Y >= RowCount())
                next.Y = fixedRows_;
        }
        break;
    case VK_F2:
        SetEditorMode(true);
        return;
    default: return;
    }
    next.X = std::clamp(next.X, fixedCols_, ColCount() - 1);
    next.Y = std::clamp(next.Y, fixedRows_, RowCount() - 1);
    if (!(topLeft == topLeft_))
        MoveTopLeft(topLeft.X, std::min(topLeft.Y, MaxTopRow()));
    if (!(next == current_))
        FocusCell(next.X, next.Y, !(shift.Contains(ssShift) && options_.Contains(goRangeSelect)));
}

void TCustomGrid::KeyPress(char& key)
{
    TCustomControl::KeyPress(key);
    if (key == '\r' && !options_.Contains(goAlwaysShowEditor) && options_.Contains(goEditing)) {
        if (editorMode_)
            HideEditor();
        else
            ShowEditor();
        key = 0;
    }
}

bool TCustomGrid::DoMouseWheelDown(TShiftState shift, TPoint mousePos)
{
    if (TCustomControl::DoMouseWheelDown(shift, mousePos))
        return true;
    if (current_.Y < RowCount() - 1)
        SetRow(current_.Y + 1);
    return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState shift, TPoint mousePos)
{
    if (TCustomControl::DoMouseWheelUp(shift, mousePos))
        return true;
    if (current_.Y > fixedRows_)
        SetRow(current_.Y - 1);
    return true;
}

void TCustomGrid::CalcAxis(TGridAxisDrawInfo& axis, const GridAxis& a, bool fixedOnly) const
{
    const int lw = gridLineWidth_;
    axis.EffectiveLineWidth = lw;
    axis.FixedCellCount = this->*a.fixed;
    axis.GridCellCount = LineCount(a);
    axis.GridExtent = AxisClientExtent(a);
    int line = FixedExtent(a);
    axis.FixedBoundary = line;
    if (fixedOnly) {
        axis.FirstGridCell = axis.FixedCellCount;
        axis.GridBoundary = axis.FullVisBoundary = std::min(line, axis.GridExtent);
        axis.LastFullVisibleCell = axis.FixedCellCount - 1;
        return;
    }
    axis.FirstGridCell = topLeft_.*a.coord;
    axis.LastFullVisibleCell = axis.FirstGridCell - 1;
    axis.FullVisBoundary = line;
    for (int i = axis.FirstGridCell; i < axis.GridCellCount && line < axis.GridExtent; ++i) {
        line += LineSize(a, i);
        if (line <= axis.GridExtent) {
            axis.LastFullVisibleCell = i;
            axis.FullVisBoundary = line + lw;
        }
        line += lw;
    }
    axis.GridBoundary = std::min(line, axis.GridExtent);
    axis.FullVisBoundary = std::min(axis.FullVisBoundary, axis.GridExtent);
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& info) const
{
    GridsCheckGeometry(*this);
    CalcAxis(info.Horz, colAxis_, false);
    CalcAxis(info.Vert, rowAxis_, false);
}

void TCustomGrid::CalcFixedInfo(TGridDrawInfo& info) const
{
    CalcAxis(info.Horz, colAxis_, true);
    CalcAxis(info.Vert, rowAxis_, true);
}

void TCustomGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                  TGridDrawInfo& FixedInfo)
{
    State = gsNormal;
    Index = -1;
    CalcDrawInfo(FixedInfo);
    const auto edge = [&](const TGridAxisDrawInfo& axis, const GridAxis& a, int pos) {
        const int lw = axis.EffectiveLineWidth;
        int line = axis.FixedBoundary;
        for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
            line += LineSize(a, i);
            if (line > axis.GridBoundary)
                break;
            const int from = lw <= 6 ? line - (7 - lw) / 2 : line;
            const int to = lw <= 6 ? from + 7 : line + lw;
            if (pos >= from && pos <= to) {
                Index = i;
                SizingPos = line;
                SizingOfs = line - pos;
                return true;
            }
            line += lw;
        }
        return false;
    };
    if (options_.Contains(goColSizing) && Y >= 0 && Y < FixedInfo.Vert.FixedBoundary && edge(FixedInfo.Horz, colAxis_, X))
        State = gsColSizing;
    else if (options_.Contains(goRowSizing) && X >= 0 && X < FixedInfo.Horz.FixedBoundary &&
             edge(FixedInfo.Vert, rowAxis_, Y))
        State = gsRowSizing;
}

void TCustomGrid::InvertSizingLine(HDC dc, const TGridDrawInfo& info) const
{
    const int rop = SetROP2(dc, R2_NOT);
    HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    if (gridState_ == gsColSizing) {
        MoveToEx(dc, sizingPos_, 0, nullptr);
        LineTo(dc, sizingPos_, info.Vert.GridBoundary);
    } else {
        MoveToEx(dc, 0, sizingPos_, nullptr);
        LineTo(dc, info.Horz.GridBoundary, sizingPos_);
    }
    SelectObject(dc, pen);
    SetROP2(dc, rop);
}

void TCustomGrid::DrawSizingLine(const TGridDrawInfo& DrawInfo)
{
    sizingLineShown_ = !sizingLineShown_;
    if (!HandleAllocated())
        return;
    HDC dc = GetDC(Handle());
    InvertSizingLine(dc, DrawInfo);
    ReleaseDC(Handle(), dc);
}

void TCustomGrid::SetGridState(TGridState state)
{
    if ((state != gsNormal && state != gsSelecting) || state == gridState_)
        return;
    if (gridState_ != gsNormal && gridState_ != gsSelecting)
        return;
    gridState_ = state;
    if (state == gsSelecting)
        StartDragScroll();
    else
        StopDragScroll();
}

void TCustomGrid::StartDragScroll()
{
    if (!HandleAllocated())
        return;
    SetTimer(Handle(), DragScrollTimerId, DragScrollPeriod, nullptr);
    dragScrolling_ = true;
}

void TCustomGrid::StopDragScroll()
{
    if (dragScrolling_ && HandleAllocated())
        KillTimer(Handle(), DragScrollTimerId);
    dragScrolling_ = false;
}

void TCustomGrid::DragScrollTick()
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    // towards the fixed cells, or beyond the last cell shown whole at the far edge
    const auto direction = [](const TGridAxisDrawInfo& axis, int pos) {
        if (pos < axis.FixedBoundary)
            return -1;
        return pos >= axis.FullVisBoundary && pos >= axis.GridExtent - 1 ? 1 : 0;
    };
    const int dx = gridState_ != gsRowMoving ? direction(info.Horz, lastMouse_.X) : 0;
    const int dy = gridState_ != gsColMoving ? direction(info.Vert, lastMouse_.Y) : 0;
    if (dx != 0 || dy != 0)
        TimedScroll(dx, dy);
}

void TCustomGrid::TimedScroll(int directionX, int directionY)
{
    const TGridCoord before = topLeft_;
    const std::pair<const GridAxis*, int> steps[] = {{&colAxis_, directionX}, {&rowAxis_, directionY}};
    TGridCoord topLeft = topLeft_;
    for (const auto& [a, direction] : steps) {
        int& first = topLeft.*a->coord;
        if (direction < 0 && first > this->*a->fixed)
            --first;
        else if (direction > 0 && first < MaxFirstLine(*a))
            ++first;
    }
    MoveTopLeft(topLeft.X, topLeft.Y);
    if (gridState_ != gsSelecting || (topLeft_ == before))
        return;
    // the selection follows to the cell now at the edge scrolled towards
    TGridCoord target = current_;
    for (const auto& [a, direction] : steps) {
        if (direction < 0)
            target.*a->coord = topLeft_.*a->coord;
        else if (direction > 0)
            target.*a->coord = std::max(topLeft_.*a->coord, LastVisibleLine(*a, true));
    }
    if (!(target == current_))
        MoveColRow(target.X, target.Y, !options_.Contains(goRangeSelect), false);
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    clickedCurrent_ = false;
    lastMouse_ = TPoint(x, y);
    if (!Focused() && CanFocus() && !(editor_ && editor_->Focused()))
        SetFocus();
    if (button == mbLeft && gridState_ == gsNormal) {
        TGridDrawInfo info;
        TGridState state = gsNormal;
        int index = -1, pos = 0, ofs = 0;
        CalcSizingState(x, y, state, index, pos, ofs, info);
        if ((state == gsColSizing || state == gsRowSizing) && index >= 0) {
            gridState_ = state;
            sizingIndex_ = index;
            sizingPos_ = pos;
            sizingOfs_ = ofs;
            sizingLineShown_ = false;
            CalcDrawInfo(info);
            DrawSizingLine(info);
        } else {
            const TGridCoord cell = MouseCoord(x, y);
            if (cell.X >= 0) {
                if (cell.Y < fixedRows_ && cell.X >= fixedCols_ && options_.Contains(goColMoving)) {
                    gridState_ = gsColMoving;
                    moveFrom_ = cell.X;
                    StartDragScroll();
                } else if (cell.X < fixedCols_ && cell.Y >= fixedRows_ && options_.Contains(goRowMoving)) {
                    gridState_ = gsRowMoving;
                    moveFrom_ = cell.Y;
                    StartDragScroll();
                } else if (cell.X >= fixedCols_ && cell.Y >= fixedRows_) {
                    if (options_.Contains(goEditing) && cell == current_ && !shift.Contains(ssDouble)) {
                        clickedCurrent_ = true;
                    } else if (shift.Contains(ssShift) && options_.Contains(goRangeSelect)) {
                        MoveColRow(cell.X, cell.Y, false, true);
                    } else {
                        FocusCell(cell.X, cell.Y, true);
                    }
                    gridState_ = gsSelecting;
                    StartDragScroll();
                }
            }
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y)
{
    lastMouse_ = TPoint(x, y);
    switch (gridState_) {
    case gsSelecting: {
        const TGridCoord cell = MouseCoord(x, y);
        if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && !(cell == current_))
            MoveColRow(cell.X, cell.Y, !options_.Contains(goRangeSelect), true);
        break;
    }
    case gsColSizing:
    case gsRowSizing: {
        const bool column = gridState_ == gsColSizing;
        TGridDrawInfo info;
        CalcDrawInfo(info);
        if (sizingLineShown_)
            DrawSizingLine(info);
        const int start = LineStart(column ? colAxis_ : rowAxis_, sizingIndex_);
        sizingPos_ = std::max(start, (column ? x : y) + sizingOfs_);
        DrawSizingLine(info);
        break;
    }
    default: {
        TCursor cursor = crDefault;
        if (gridState_ == gsNormal) {
            TGridDrawInfo info;
            TGridState state = gsNormal;
            int index = -1, pos = 0, ofs = 0;
            CalcSizingState(x, y, state, index, pos, ofs, info);
            if (state == gsColSizing)
                cursor = crHSplit;
            else if (state == gsRowSizing)
                cursor = crVSplit;
        }
        SetCursor(cursor);
        break;
    }
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    lastMouse_ = TPoint(x, y);
    const TGridState state = gridState_;
    StopDragScroll();
    if (state == gsColSizing || state == gsRowSizing) {
        const bool column = state == gsColSizing;
        const GridAxis& a = column ? colAxis_ : rowAxis_;
        TGridDrawInfo info;
        CalcDrawInfo(info);
        if (sizingLineShown_)
            DrawSizingLine(info);
        const int start = LineStart(a, sizingIndex_);
        sizingPos_ = std::max(start, (column ? x : y) + sizingOfs_);
        gridState_ = gsNormal;
        const int size = sizingPos_ - start;
        if (size > 1 && sizingIndex_ >= 0 && sizingIndex_ < LineCount(a))
            SetLineSize(a, sizingIndex_, size);
        TCustomControl::MouseUp(button, shift, x, y);
        return;
    }
    gridState_ = gsNormal;
    if (state == gsColMoving || state == gsRowMoving) {
        const GridAxis& a = state == gsColMoving ? colAxis_ : rowAxis_;
        const int to = MouseCoord(x, y).*a.coord;
        if (to >= this->*a.fixed && to != moveFrom_)
            MoveLine(a, moveFrom_, to);
    }
    if (state == gsSelecting && clickedCurrent_)
        ShowEditor();
    clickedCurrent_ = false;
    TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomGrid::DoExit()
{
    TCustomControl::DoExit();
    InvalidateCell(current_.X, current_.Y);
}

// ---------------------------------------------------------------- editor

String TCustomGrid::GetEditText(int col, int row)
{
    String value;
    if (OnGetEditText)
        OnGetEditText(this, col, row, value);
    return value;
}

String TCustomGrid::GetEditMask(int col, int row)
{
    String value;
    if (OnGetEditMask)
        OnGetEditMask(this, col, row, value);
    return value;
}

void TCustomGrid::SetEditText(int col, int row, const String& value)
{
    if (OnSetEditText)
        OnSetEditText(this, col, row, value);
}

bool TCustomGrid::CanEditShow()
{
    return options_.Contains(goEditing) && !options_.Contains(goRowSelect) && editorMode_ &&
           current_.X >= fixedCols_ && current_.Y >= fixedRows_;
}

TInplaceEdit* TCustomGrid::CreateEditor()
{
    return new TInplaceEdit(this);
}

void TCustomGrid::SetEditorMode(bool on)
{
    if (on)
        ShowEditor();
    else
        HideEditor();
}

void TCustomGrid::ShowEditor()
{
    editorMode_ = true;
    UpdateEditor();
}

void TCustomGrid::HideEditor()
{
    editorMode_ = options_.Contains(goAlwaysShowEditor) && options_.Contains(goEditing);
    if (editor_ && editor_->Visible()) {
        const bool hadFocus = editor_->Focused();
        editor_->Hide();
        if (hadFocus)
            SetFocus();
        InvalidateCell(current_.X, current_.Y);
    }
}

void TCustomGrid::InvalidateEditor()
{
    if (editorMode_)
        UpdateEditor();
}

void TCustomGrid::UpdateEditor()
{
    if (!CanEditShow()) {
        if (editor_ && editor_->Visible())
            editor_->Hide();
        return;
    }
    const TRect r = CellRect(current_.X, current_.Y);
    if (r.IsEmpty()) {
        if (editor_)
            editor_->Hide();
        return;
    }
    if (!editor_) {
        editor_ = CreateEditor();
        editor_->SetParent(this);
    }
    editor_->UpdateContents();
    editor_->Move(r);
    editor_->SelectAll();
    if (Focused() || Host()->isActiveWindow())
        editor_->SetFocus();
}

// ---------------------------------------------------------------- TStringGrid

TStringGrid::TStringGrid(TComponent* owner) : TCustomGrid(owner) {}

std::string_view TStringGrid::CellText::View() const
{
    const auto tag = static_cast<unsigned char>(raw_[15]);
    if (tag != kHeap)
        return std::string_view(raw_, tag);
    char* heap;
    uint32_t length;
    std::memcpy(&heap, raw_, sizeof heap);
    std::memcpy(&length, raw_ + 8, sizeof length);
    return std::string_view(heap, length);
}

void TStringGrid::CellText::Release()
{
    if (static_cast<unsigned char>(raw_[15]) == kHeap) {
        char* heap;
        std::memcpy(&heap, raw_, sizeof heap);
        delete[] heap;
    }
    std::memset(raw_, 0, sizeof raw_);
}

void TStringGrid::CellText::Assign(std::string_view text)
{
    Release();
    if (text.size() <= 15) {
        std::memcpy(raw_, text.data(), text.size());
        raw_[15] = char(text.size());
        return;
    }
    if (text.size() > UINT32_MAX)
        throw EInvalidGridOperation("Cell text too long");
    char* heap = new char[text.size()];
    std::memcpy(heap, text.data(), text.size());
    const auto length = uint32_t(text.size());
    std::memcpy(raw_, &heap, sizeof heap);
    std::memcpy(raw_ + 8, &length, sizeof length);
    raw_[15] = char(kHeap);
}

String TStringGrid::Cells(int col, int row) const
{
    if (col < 0 || row < 0 || col >= int(columns_.size()))
        return String();
    const auto& texts = columns_[size_t(col)].texts;
    return row < int(texts.size()) ? String(texts[size_t(row)].View()) : String();
}

void TStringGrid::SetCells(int col, int row, const String& text)
{
    if (col < 0 || row < 0)
        throw EInvalidGridOperation("Grid index out of range");
    if (col < int(columns_.size()) || !text.empty()) {
        if (col >= int(columns_.size()))
            columns_.resize(size_t(col) + 1);
        auto& texts = columns_[size_t(col)].texts;
        if (row < int(texts.size()))
            texts[size_t(row)].Assign(text);
        else if (!text.empty()) {
            texts.resize(size_t(row) + 1);
            texts[size_t(row)].Assign(text);
        }
    }
    InvalidateCell(col, row);
}

void TStringGrid::ForEachStoredCell(int col1, int row1, int col2, int row2,
                                    const std::function<void(int col, int row)>& visit) const
{
    const int lastCol = std::min(col2, int(columns_.size()) - 1);
    for (int c = std::max(col1, 0); c <= lastCol; ++c) {
        const Column& column = columns_[size_t(c)];
        const int stored = int(std::max(column.texts.size(), column.objects.size()));
        const int lastRow = std::min(row2, stored - 1);
        for (int r = std::max(row1, 0); r <= lastRow; ++r) {
            const bool text = size_t(r) < column.texts.size() && !column.texts[size_t(r)].Empty();
            const bool object = size_t(r) < column.objects.size() && column.objects[size_t(r)];
            if (text || object)
                visit(c, r);
        }
    }
}

TObject* TStringGrid::Objects(int col, int row) const
{
    if (col < 0 || row < 0 || col >= int(columns_.size()))
        return nullptr;
    const auto& objects = columns_[size_t(col)].objects;
    return row < int(objects.size()) ? objects[size_t(row)] : nullptr;
}

void TStringGrid::SetObjects(int col, int row, TObject* object)
{
    if (col < 0 || row < 0)
        throw EInvalidGridOperation("Grid index out of range");
    if (!object && (col >= int(columns_.size()) || row >= int(columns_[size_t(col)].objects.size())))
        return;
    if (col >= int(columns_.size()))
        columns_.resize(size_t(col) + 1);
    auto& objects = columns_[size_t(col)].objects;
    if (row >= int(objects.size()))
        objects.resize(std::max(size_t(row) + 1, objects.size() + objects.size() / 2));
    objects[size_t(row)] = object;
}

void TStringGrid::ForEachObject(const std::function<void(int, int, TObject*)>& visit) const
{
    for (size_t c = 0; c < columns_.size(); ++c) {
        const auto& objects = columns_[c].objects;
        for (size_t r = 0; r < objects.size(); ++r)
            if (objects[r])
                visit(int(c), int(r), objects[r]);
    }
}

namespace {

class TStringGridStrings : public TStrings {
public:
    TStringGridStrings(TStringGrid* grid, bool column, int index) : grid_(grid), column_(column), index_(index) {}
    int Count() const override { return column_ ? grid_->RowCount() : grid_->ColCount(); }
    String Get(int i) const override { return grid_->Cells(Col(i), Row(i)); }
    void Put(int i, const String& s) override { grid_->SetCells(Col(i), Row(i), s); }
    TObject* GetObject(int i) const override { return grid_->Objects(Col(i), Row(i)); }
    void PutObject(int i, TObject* object) override { grid_->SetObjects(Col(i), Row(i), object); }
    int Add(const String& s) override
    {
        for (int i = 0; i < Count(); ++i)
            if (Get(i).empty()) {
                Put(i, s);
                return i;
            }
        return -1;
    }
    void Insert(int, const String&) override { throw EInvalidGridOperation("Cannot insert or delete rows from grid"); }
    void Delete(int) override { throw EInvalidGridOperation("Cannot insert or delete rows from grid"); }
    void Clear() override
    {
        for (int i = 0; i < Count(); ++i) {
            Put(i, "");
            PutObject(i, nullptr);
        }
    }

private:
    int Col(int i) const { return column_ ? index_ : i; }
    int Row(int i) const { return column_ ? i : index_; }
    TStringGrid* grid_;
    bool column_;
    int index_;
};

} // namespace

TStrings* TStringGrid::LineStrings(bool column, int index)
{
    auto& line = lines_[{column, index}];
    if (!line)
        line = std::make_unique<TStringGridStrings>(this, column, index);
    return line.get();
}

TStrings* TStringGrid::Cols(int col)
{
    return LineStrings(true, col);
}

TStrings* TStringGrid::Rows(int row)
{
    return LineStrings(false, row);
}

String TStringGrid::GetEditText(int col, int row)
{
    String value = Cells(col, row);
    if (OnGetEditText)
        OnGetEditText(this, col, row, value);
    return value;
}

void TStringGrid::SetEditText(int col, int row, const String& value)
{
    SetCells(col, row, value);
    TCustomGrid::SetEditText(col, row, value);
}

void TStringGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state)
{
    if (DefaultDrawing)
        Canvas()->TextRect(rect, rect.Left + 2, rect.Top + 2, Cells(col, row));
    TCustomGrid::DrawCell(col, row, rect, state);
}

void TStringGrid::RotateStoreRows(int first, int middle, int last)
{
    if (first < 0 || middle < first || last < middle || first == middle || middle == last)
        return;
    auto rotate = [&](auto& items) {
        if (items.size() <= size_t(first))
            return; // nothing stored in the range
        if (items.size() < size_t(last))
            items.resize(size_t(last));
        std::rotate(items.begin() + first, items.begin() + middle, items.begin() + last);
    };
    for (auto& column : columns_) {
        rotate(column.texts);
        rotate(column.objects);
    }
}

void TStringGrid::PermuteStoreRows(int first, const std::vector<int>& order)
{
    if (first < 0 || order.empty())
        return;
    const size_t n = order.size();
    auto permute = [&](auto& items) {
        if (items.size() <= size_t(first))
            return;
        if (items.size() < size_t(first) + n)
            items.resize(size_t(first) + n);
        using Item = typename std::decay_t<decltype(items)>::value_type;
        std::vector<Item> moved;
        moved.reserve(n);
        for (size_t i = 0; i < n; ++i)
            moved.push_back(std::move(items[size_t(first) + size_t(order[i])]));
        for (size_t i = 0; i < n; ++i)
            items[size_t(first) + i] = std::move(moved[i]);
    };
    for (auto& column : columns_) {
        permute(column.texts);
        permute(column.objects);
    }
}

void TStringGrid::TruncateStoreRows(int rowCount)
{
    rowCount = std::max(0, rowCount);
    for (auto& column : columns_) {
        if (column.texts.size() > size_t(rowCount))
            column.texts.resize(size_t(rowCount));
        if (column.objects.size() > size_t(rowCount))
            column.objects.resize(size_t(rowCount));
    }
}

std::shared_ptr<TStringGrid::TStoreRows> TStringGrid::TakeStoreRowsFrom(int rowCount)
{
    rowCount = std::max(0, rowCount);
    auto block = std::make_shared<TStoreRows>();
    block->texts_.resize(columns_.size());
    for (size_t c = 0; c < columns_.size(); ++c) {
        std::vector<CellText>& texts = columns_[c].texts;
        if (texts.size() <= size_t(rowCount))
            continue;
        // cell texts move as their 16 bytes: nothing is copied or allocated per cell
        block->rows_ = std::max(block->rows_, int(texts.size()) - rowCount);
        block->texts_[c].assign(std::make_move_iterator(texts.begin() + rowCount),
                                std::make_move_iterator(texts.end()));
        texts.resize(size_t(rowCount));
        if (columns_[c].objects.size() > size_t(rowCount))
            columns_[c].objects.resize(size_t(rowCount));
    }
    return block;
}

String TStringGrid::TStoreRows::Text(int col, int row) const
{
    if (col < 0 || row < 0 || size_t(col) >= texts_.size() || size_t(row) >= texts_[size_t(col)].size())
        return String();
    return String(texts_[size_t(col)][size_t(row)].View());
}

TObject* TStringGrid::TStoreRows::Object(int col, int row) const
{
    if (col < 0 || row < 0 || size_t(col) >= objects_.size() || size_t(row) >= objects_[size_t(col)].size())
        return nullptr;
    return objects_[size_t(col)][size_t(row)];
}

void TStringGrid::TStoreRows::SetObject(int col, int row, TObject* object)
{
    if (col < 0 || row < 0)
        return;
    if (size_t(col) >= objects_.size())
        objects_.resize(size_t(col) + 1);
    std::vector<TObject*>& column = objects_[size_t(col)];
    if (size_t(row) >= column.size())
        column.resize(size_t(row) + 1, nullptr);
    column[size_t(row)] = object;
}

namespace {
// Moves items[fromIndex] to toIndex, shifting those between; a place beyond the end is empty.
template <class Items>
void GridsMoveItem(Items& items, int fromIndex, int toIndex)
{
    if (items.size() <= size_t(std::min(fromIndex, toIndex)))
        return; // both places are empty
    const size_t needed = size_t(std::max(fromIndex, toIndex)) + 1;
    if (items.size() < needed)
        items.resize(needed);
    auto first = items.begin();
    if (fromIndex < toIndex)
        std::rotate(first + fromIndex, first + fromIndex + 1, first + toIndex + 1);
    else
        std::rotate(first + toIndex, first + fromIndex, first + fromIndex + 1);
}
} // namespace

void TStringGrid::MoveWithin(Column& column, int fromIndex, int toIndex)
{
    GridsMoveItem(column.texts, fromIndex, toIndex);
    GridsMoveItem(column.objects, fromIndex, toIndex);
}

void TStringGrid::MoveStoreColumn(int fromIndex, int toIndex)
{
    if (fromIndex < 0 || toIndex < 0 || fromIndex == toIndex)
        return;
    GridsMoveItem(columns_, fromIndex, toIndex);
}

void TStringGrid::ColumnMoved(int fromIndex, int toIndex)
{
    MoveStoreColumn(fromIndex, toIndex);
    TCustomGrid::ColumnMoved(fromIndex, toIndex);
}

void TStringGrid::RowMoved(int fromIndex, int toIndex)
{
    if (fromIndex != toIndex)
        for (auto& column : columns_)
            MoveWithin(column, fromIndex, toIndex);
    TCustomGrid::RowMoved(fromIndex, toIndex);
}
