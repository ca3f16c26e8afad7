#include "components/grid/BaseGrid.h"

#include "components/grid/CellText.h"
#include "components/grid/DrawRoutines.h"
#include "components/grid/PlusGridUndoRedo.h"

#include <algorithm>
#include <vector>

// ---------------------------------------------------------------- TCellProperties

TCellProperties::TCellProperties(TBaseGrid* grid, int col, int row) : OwningGrid(grid), OwnerCol(col), OwnerRow(row)
{
    if (grid)
        grid->RecordCreated(this);
}

TCellProperties::~TCellProperties()
{
    if (OwningGrid)
        OwningGrid->RecordDestroyed(this);
}

void TCellProperties::Repaint()
{
    if (OwningGrid)
        OwningGrid->InvalidateCell(OwnerCol, OwnerRow);
}

void TCellProperties::SetBrushColor(TColor color)
{
    brushColor_ = color;
    Repaint();
}

void TCellProperties::SetBrushColorTo(TColor color)
{
    brushColorTo_ = color;
    Repaint();
}

void TCellProperties::SetVAlignment(TVAlignment alignment)
{
    vAlignment_ = alignment;
    Repaint();
}

void TCellProperties::SetWordWrap(bool wrap)
{
    wordWrap_ = wrap;
    Repaint();
}

void TCellProperties::Assign(TPersistent* source)
{
    auto* s = dynamic_cast<TCellProperties*>(source);
    if (!s) {
        TPersistent::Assign(source);
        return;
    }
    IsBaseCell = s->IsBaseCell;
    CellSpanX = s->CellSpanX;
    CellSpanY = s->CellSpanY;
    OwnerRow = s->OwnerRow;
    OwnerCol = s->OwnerCol;
    CellObject = s->CellObject;
    Alignment = s->Alignment;
    BorderColor = s->BorderColor;
    BorderWidth = s->BorderWidth;
    brushColor_ = s->brushColor_;
    BrushStyle = s->BrushStyle;
    FontColor = s->FontColor;
    FontStyle = s->FontStyle;
    FontName = s->FontName;
    FontSize = s->FontSize;
    ReadOnly = s->ReadOnly;
    Editor = s->Editor;
    vAlignment_ = s->vAlignment_;
    wordWrap_ = s->wordWrap_;
    NodeLevel = s->NodeLevel;
    Control = s->Control;
}

TPoint TCellProperties::ResolveBaseCell(int col, int row) const
{
    if (!IsBaseCell && CellSpanX != -1 && CellSpanY != -1)
        return TPoint(col - CellSpanX, row - CellSpanY);
    return TPoint(col, row);
}

// ---------------------------------------------------------------- TBaseGrid: life

TBaseGrid::TBaseGrid(TComponent* owner) : TStringGrid(owner)
{
    TStringGrid::DefaultDrawing = false;
    SetGridLineWidth(1);
    SetGridLineColor(0xC0C0C0);
    SetGridFixedLineColor(0x808080);
}

TBaseGrid::~TBaseGrid()
{
    destroying_ = true;
    ClearAllCellProperties();
    FreeOrphanRecords();
    // records that someone took and never gave back are still ours to free
    taken_.clear();
    std::vector<TCellProperties*> left;
    for (const auto& [record, count] : slots_)
        left.push_back(record);
    for (TCellProperties* record : left)
        FreeRecord(record);
    if (undoRedo_)
        undoRedo_->SetLinkedGrid(nullptr, nullptr);
}

void TBaseGrid::RecordCreated(TCellProperties* record)
{
    slots_.emplace(record, 0);
    CellPropsCreated = true;
    // a record that ends the event in no slot (and not taken) is freed then
    PostSweep();
}

void TBaseGrid::PostSweep()
{
    if (destroying_ || sweepPosted_ || !Host())
        return;
    sweepPosted_ = true;
    PostCall([this] { FreeOrphanRecords(); });
}

void TBaseGrid::RecordDestroyed(TCellProperties* record)
{
    slots_.erase(record);
    taken_.erase(record);
}

TCellProperties* TBaseGrid::TakeCellProperties(int col, int row)
{
    if (col < 0 || row < 0)
        return nullptr;
    TCellProperties* record = CellProperties(col, row);
    if (!record)
        return nullptr;
    // marked before the slot empties, so no sweep can count it as loose
    taken_.insert(record);
    SetObjects(col, row, nullptr);
    return record;
}

bool TBaseGrid::PutCellProperties(int col, int row, TCellProperties* record)
{
    if (col < 0 || row < 0 || (record && !slots_.count(record)))
        return false;
    TCellProperties* old = CellProperties(col, row);
    if (old == record)
        return true;
    SetObjects(col, row, record);
    if (record)
        taken_.erase(record);
    if (old && !taken_.count(old) && slots_.count(old) && slots_[old] <= 0)
        FreeRecord(old);
    return true;
}

void TBaseGrid::ReleaseCellProperties(TCellProperties* record)
{
    if (!record || !taken_.count(record))
        return;
    taken_.erase(record);
    if (slots_.count(record) && slots_[record] <= 0)
        FreeRecord(record);
}

bool TBaseGrid::IsTakenRecord(const TCellProperties* record) const
{
    return record && taken_.count(record) != 0;
}

void TBaseGrid::FreeRecord(TCellProperties* record)
{
    if (!record)
        return;
    if (auto* graphic = dynamic_cast<TPersistent*>(record->Graphic); graphic && graphic->ClassName() == "TCellGraphic")
        delete graphic;
    record->Graphic = nullptr;
    delete record;
}

void TBaseGrid::FreeOrphanRecords()
{
    sweepPosted_ = false;
    std::vector<TCellProperties*> orphans;
    for (const auto& [record, count] : slots_)
        if (count <= 0 && !taken_.count(record))
            orphans.push_back(record);
    for (TCellProperties* record : orphans)
        FreeRecord(record);
}

void TBaseGrid::SetObjects(int col, int row, TObject* object)
{
    auto* old = dynamic_cast<TCellProperties*>(Objects(col, row));
    if (old == object) {
        TStringGrid::SetObjects(col, row, object);
        return;
    }
    if (auto* record = dynamic_cast<TCellProperties*>(object)) {
        const auto it = slots_.find(record);
        if (it != slots_.end()) {
            ++it->second;
            // stored in a slot again: the grid owns it once more
            taken_.erase(record);
        }
    }
    TStringGrid::SetObjects(col, row, object);
    if (old) {
        const auto it = slots_.find(old);
        if (it != slots_.end() && --it->second <= 0 && !taken_.count(old))
            PostSweep();
    }
}

void TBaseGrid::Notification(TComponent* component, TOperation operation)
{
    TStringGrid::Notification(component, operation);
    if (operation == opRemove && component && component == static_cast<TComponent*>(undoRedo_))
        undoRedo_ = nullptr;
}

void TBaseGrid::SetUndoRedo(TPlusGridUndoRedo* undoRedo)
{
    if (undoRedo_ == undoRedo)
        return;
    if (undoRedo_)
        RemoveFreeNotification(undoRedo_);
    undoRedo_ = undoRedo;
    if (undoRedo_) {
        FreeNotification(undoRedo_);
        undoRedo_->SetLinkedGrid(this, this);
    }
}

// ---------------------------------------------------------------- TBaseGrid: settings

void TBaseGrid::SetGridLineWidth(int width)
{
    gridLineWidth_ = width;
    TStringGrid::SetGridLineWidth(0);
    Invalidate();
}

void TBaseGrid::SetGridLineColor(TColor color)
{
    gridLineColor_ = color;
    Invalidate();
}

void TBaseGrid::SetGridFixedLineColor(TColor color)
{
    gridFixedLineColor_ = color;
    Invalidate();
}

void TBaseGrid::SetActiveRowShow(bool show)
{
    if (show == activeRowShow_)
        return;
    activeRowShow_ = show;
    Invalidate();
}

void TBaseGrid::SetActiveRowColor(TColor color)
{
    if (color == activeRowColor_)
        return;
    activeRowColor_ = color;
    Invalidate();
}

void TBaseGrid::SetSelectionLook(BYTE look)
{
    if (look == selectionLook_)
        return;
    selectionLook_ = look;
    Invalidate();
}

// ---------------------------------------------------------------- cell records

TCellProperties* TBaseGrid::CellProperties(int col, int row) const
{
    return dynamic_cast<TCellProperties*>(Objects(col, row));
}

bool TBaseGrid::HasCellProperties(int col, int row) const
{
    return col >= 0 && col < TotalColCount() && row >= 0 && row < RowCount() && CellProperties(col, row) != nullptr;
}

void TBaseGrid::ApplyDefaultFormat(TCellProperties* record, int col, int row)
{
    TFont font;
    TBrush brush;
    TColor colorTo = clNone, mirrorColor = clNone, mirrorColorTo = clNone;
    TAlignment alignment = taLeftJustify;
    TVAlignment vAlignment = vtaTop;
    bool wordWrap = WordWrap;
    TCellGradientDirection direction = GradientVertical;
    GetCellFormat(col, row, &font, &brush, colorTo, mirrorColor, mirrorColorTo, alignment, vAlignment, wordWrap,
                  direction);
    record->Alignment = alignment;
    record->SetVAlignment(vAlignment);
    record->SetWordWrap(wordWrap);
    record->FontName = font.Name;
    record->FontSize = font.Size();
    record->FontStyle = font.Style;
    record->FontColor = font.Color;
    record->SetBrushColor(brush.Color);
    record->SetBrushColorTo(colorTo);
    record->GradientDirection = direction;
}

TCellProperties* TBaseGrid::EnsureCellProperties(int col, int row)
{
    if (TCellProperties* existing = CellProperties(col, row))
        return existing;
    auto* record = new TCellProperties(this, col, row);
    SetObjects(col, row, record);
    record->FooterCalcKind = 0;
    ApplyDefaultFormat(record, col, row);
    return record;
}

void TBaseGrid::ReplaceCellProperties(int col, int row, TCellProperties* record)
{
    TCellProperties* old = CellProperties(col, row);
    SetObjects(col, row, record);
    if (old && old != record)
        FreeRecord(old);
}

void TBaseGrid::ClearCellProperties(int col, int row)
{
    TCellProperties* old = CellProperties(col, row);
    if (!old)
        return;
    SetObjects(col, row, nullptr);
    FreeRecord(old);
}

void TBaseGrid::ClearCellPropertiesRange(int col1, int row1, int col2, int row2)
{
    if (!CellPropsCreated)
        return;
    for (int c = col1; c <= col2; ++c)
        for (int r = row1; r <= row2; ++r)
            ClearCellProperties(c, r);
}

void TBaseGrid::ClearAllCellProperties()
{
    if (!CellPropsCreated)
        return;
    std::vector<std::pair<int, int>> cells;
    ForEachObject([&](int c, int r, TObject* object) {
        if (dynamic_cast<TCellProperties*>(object))
            cells.emplace_back(c, r);
    });
    for (const auto& [c, r] : cells)
        ClearCellProperties(c, r);
}

TObject* TBaseGrid::GetCellObject(int col, int row) const
{
    const TCellProperties* record = CellProperties(col, row);
    return record ? record->CellObject : nullptr;
}

void TBaseGrid::SetCellObject(int col, int row, TObject* object)
{
    const bool spaced = GetCellText(col, row).empty();
    if (spaced)
        SetCellText(col, row, " ");
    EnsureCellProperties(col, row)->CellObject = object;
    if (spaced)
        SetCellText(col, row, "");
}

TObject* TBaseGrid::GetCellGraphic(int col, int row) const
{
    const TCellProperties* record = CellProperties(col, row);
    return record ? record->Graphic : nullptr;
}

void TBaseGrid::SetCellGraphic(int col, int row, TObject* graphic)
{
    if (destroying_)
        return;
    const bool spaced = GetCellText(col, row).empty();
    if (spaced)
        SetCellText(col, row, " ");
    EnsureCellProperties(col, row)->Graphic = graphic;
    if (spaced)
        SetCellText(col, row, "");
}

void TBaseGrid::ResetCell(int col, int row)
{
    SetCellText(col, row, "");
    SetObjects(col, row, nullptr);
}

void TBaseGrid::ResetRow(int row)
{
    for (int c = 0; c < TotalColCount(); ++c) {
        SetObjects(c, row, nullptr);
        SetCellText(c, row, "");
    }
}

void TBaseGrid::ResetColumn(int col)
{
    for (int r = 0; r < RowCount(); ++r) {
        SetObjects(col, r, nullptr);
        SetCellText(col, r, "");
    }
}

String TBaseGrid::GetCellText(int col, int row)
{
    TPoint base(col, row);
    if (const TCellProperties* record = HasCellProperties(col, row) ? CellProperties(col, row) : nullptr)
        base = record->ResolveBaseCell(col, row);
    String text = Cells(base.X, base.Y);
    if (base.Y < DisplayRowLimit) {
        GetDisplText(base.X, base.Y, text);
        if (OnGetDisplWideText) {
            WideString wide = DecodeWideCellText(text);
            GetDisplWideText(base.X, base.Y, wide);
            text = EncodeWideCellText(wide);
        }
    }
    return text;
}

void TBaseGrid::SetCellText(int col, int row, const String& text)
{
    // a cell outside the grid is not written
    if (col < 0 || row < 0 || col >= TotalColCount() || row >= RowCount())
        return;
    if (const TCellProperties* record = HasCellProperties(col, row) ? CellProperties(col, row) : nullptr) {
        const TPoint base = record->ResolveBaseCell(col, row);
        SetCells(base.X, base.Y, text);
        if (Parent())
            InvalidateCell(col, row);
    } else {
        SetCells(col, row, text);
    }
    if (LastRowHidden && row == RowCount() - 1)
        LastRowChanged();
}

// ---------------------------------------------------------------- merged cells

bool TBaseGrid::MergeCellRange(int col, int row, int numCols, int numRows)
{
    if (numCols <= 0 || numRows <= 0) {
        ++MergedRangeCount; // counts, merges nothing
        return true;
    }
    if (col < 0 || row < 0 || col + numCols > TotalColCount() || row + numRows > RowCount())
        return false;
    for (int c = col; c < col + numCols; ++c)
        for (int r = row; r < row + numRows; ++r) {
            const TCellProperties* record = CellProperties(c, r);
            if (record && (record->CellSpanX != -1 || record->CellSpanY != -1))
                return false; // would overlap a merged range
        }
    ++MergedRangeCount;
    for (int c = col; c < col + numCols; ++c)
        for (int r = row; r < row + numRows; ++r) {
            TCellProperties* record = EnsureCellProperties(c, r);
            record->IsBaseCell = c == col && r == row;
            if (record->IsBaseCell) {
                record->CellSpanX = numCols - 1;
                record->CellSpanY = numRows - 1;
            } else {
                record->CellSpanX = c - col;
                record->CellSpanY = r - row;
            }
        }
    for (int c = col; c < col + numCols; ++c)
        for (int r = row; r < row + numRows; ++r)
            InvalidateCell(c, r);
    return true;
}

void TBaseGrid::UnmergeCellRange(int col, int row)
{
    // a cell outside the grid has no range to split
    if (col < 0 || row < 0 || col >= TotalColCount() || row >= RowCount())
        return;
    TCellProperties* record = EnsureCellProperties(col, row);
    const TPoint base = record->ResolveBaseCell(col, row);
    const TCellProperties* baseRecord = CellProperties(base.X, base.Y);
    const int spanX = baseRecord ? baseRecord->CellSpanX : -1;
    const int spanY = baseRecord ? baseRecord->CellSpanY : -1;
    std::vector<TPoint> cells;
    for (int c = base.X; c <= base.X + spanX; ++c)
        for (int r = base.Y; r <= base.Y + spanY; ++r)
            cells.emplace_back(c, r);
    for (const TPoint& p : cells) {
        if (TCellProperties* rec = CellProperties(p.X, p.Y)) {
            rec->IsBaseCell = true;
            rec->CellSpanX = -1;
            rec->CellSpanY = -1;
        }
    }
    for (const TPoint& p : cells)
        InvalidateCell(p.X, p.Y);
    --MergedRangeCount;
}

bool TBaseGrid::InMergedRange(int col, int row) const
{
    const TCellProperties* record = HasCellProperties(col, row) ? CellProperties(col, row) : nullptr;
    return record && (record->CellSpanX > 0 || record->CellSpanY > 0);
}

bool TBaseGrid::IsCoveredCell(int col, int row) const
{
    return InMergedRange(col, row) && !CellProperties(col, row)->IsBaseCell;
}

bool TBaseGrid::IsMergedAcross(int col, int row) const
{
    if (!HasCellProperties(col, row))
        return false;
    const TPoint base = CellProperties(col, row)->ResolveBaseCell(col, row);
    const TCellProperties* b = CellProperties(base.X, base.Y);
    return b && b->CellSpanX > 0;
}

bool TBaseGrid::IsMergedDown(int col, int row) const
{
    if (!HasCellProperties(col, row))
        return false;
    const TPoint base = CellProperties(col, row)->ResolveBaseCell(col, row);
    const TCellProperties* b = CellProperties(base.X, base.Y);
    return b && b->CellSpanY > 0;
}

bool TBaseGrid::IsBaseOrPlainCell(int col, int row) const
{
    return HasCellProperties(col, row) ? CellProperties(col, row)->IsBaseCell : true;
}

TPoint TBaseGrid::BaseCellOf(int col, int row) const
{
    return HasCellProperties(col, row) ? CellProperties(col, row)->ResolveBaseCell(col, row) : TPoint(col, row);
}

bool TBaseGrid::LocateBaseCell(int col, int row, int& baseCol, int& baseRow) const
{
    baseCol = col;
    baseRow = row;
    if (!HasCellProperties(col, row))
        return true;
    const TCellProperties* record = CellProperties(col, row);
    const TPoint base = record->ResolveBaseCell(col, row);
    if (record->IsBaseCell || (base.X == col && base.Y == row))
        return true;
    baseCol = base.X;
    baseRow = base.Y;
    return false;
}

TPoint TBaseGrid::MergeSpanOf(int col, int row) const
{
    if (!HasCellProperties(col, row))
        return TPoint(0, 0);
    const TCellProperties* record = CellProperties(col, row);
    if (record->CellSpanX == -1 || record->CellSpanY == -1)
        return TPoint(0, 0);
    const TPoint base = record->ResolveBaseCell(col, row);
    const TCellProperties* b = CellProperties(base.X, base.Y);
    return b ? TPoint(b->CellSpanX, b->CellSpanY) : TPoint(0, 0);
}

bool TBaseGrid::RowsInSameMerge(int row1, int row2) const
{
    bool found = false;
    for (int c = 0; c < ColCount(); ++c) {
        if (MergeSpanOf(c, row1).Y > 0 && MergeSpanOf(c, row2).Y > 0) {
            found = true;
            if (BaseCellOf(c, row1).Y != BaseCellOf(c, row2).Y)
                return false;
        }
    }
    return found;
}

// ---------------------------------------------------------------- geometry

TRect TBaseGrid::ComputeCellRect(int col, int row) const
{
    // measured from the top-left scrolled cell, so that the cost follows the distance to the
    // view and not the cell's index
    auto span = [](int from, int to, auto&& size) {
        int sum = 0;
        for (int i = from; i < to; ++i)
            sum += size(i);
        return sum;
    };
    auto width = [this](int i) { return ColWidths(i); };
    auto height = [this](int i) { return RowHeights(i); };
    const TRect anchor = CellRect(LeftCol(), TopRow());
    int x, y;
    if (col < FixedCols())
        x = span(0, col, width);
    else
        x = anchor.Left + (col >= LeftCol() ? span(LeftCol(), col, width) : -span(col, LeftCol(), width));
    if (row < FixedRows())
        y = span(0, row, height);
    else
        y = anchor.Top + (row >= TopRow() ? span(TopRow(), row, height) : -span(row, TopRow(), height));
    return TRect(x, y, x + ColWidths(col), y + RowHeights(row));
}

TRect TBaseGrid::MergedCellRect(int col, int row) const
{
    if (HasCellProperties(col, row)) {
        const TCellProperties* record = CellProperties(col, row);
        if (record->CellSpanX != -1 || record->CellSpanY != -1) {
            const TPoint base = record->ResolveBaseCell(col, row);
            const TCellProperties* b = CellProperties(base.X, base.Y);
            QUELM_INVARIANT(!b || b->CellSpanX < 0 || b->CellSpanY < 0 ||
                                (base.X <= col && col <= base.X + b->CellSpanX && base.Y <= row &&
                                 row <= base.Y + b->CellSpanY && base.X + b->CellSpanX < TotalColCount() &&
                                 base.Y + b->CellSpanY < RowCount()),
                            "a merged range stays inside the grid and covers the cells that point at its base");
            if (b && b->CellSpanX >= 0 && b->CellSpanY >= 0)
                return UnionRect(ComputeCellRect(base.X, base.Y),
                                 ComputeCellRect(base.X + b->CellSpanX, base.Y + b->CellSpanY));
            return ComputeCellRect(col, row);
        }
        if (record->Control)
            return ComputeCellRect(col, row);
    }
    const TRect r = CellRect(col, row);
    return TRect(r.Left, r.Top, r.Left + ColWidths(col), r.Top + RowHeights(row));
}

TPoint TBaseGrid::MergedCellExtent(int col, int row) const
{
    TRect r = ComputeCellRect(col, row);
    if (HasCellProperties(col, row)) {
        const TCellProperties* record = CellProperties(col, row);
        if (record->CellSpanX != -1 || record->CellSpanY != -1)
            r = MergedCellRect(col, row);
    }
    return TPoint(r.Width(), r.Height());
}

int TBaseGrid::FixedColsWidth() const
{
    int w = 0;
    for (int i = 0; i < FixedCols(); ++i)
        w += ColWidths(i);
    return w;
}

int TBaseGrid::FixedRowsHeight() const
{
    int h = 0;
    for (int i = 0; i < FixedRows(); ++i)
        h += RowHeights(i);
    return h;
}

bool TBaseGrid::CellOutOfView(int col, int row) const
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return true;
    const int lw = TCustomGrid::GridLineWidth();
    // the first scrolled row (column) whose start lies at or past the client's end and every
    // one after it are out of view; only the rows between the top row and this one are walked
    if (row >= TCustomGrid::FixedRows()) {
        if (row < TopRow())
            return true;
        const int limit = RowsClientHeight();
        int y = 0;
        for (int i = 0; i < TCustomGrid::FixedRows(); ++i)
            y += RowHeights(i) + lw;
        for (int r = TopRow(); r <= row; ++r) {
            if (y >= limit)
                return true;
            y += RowHeights(r) + lw;
        }
    }
    if (col >= TCustomGrid::FixedCols()) {
        if (col < LeftCol())
            return true;
        const int limit = ClientWidth();
        int x = 0;
        for (int i = 0; i < TCustomGrid::FixedCols(); ++i)
            x += ColWidths(i) + lw;
        for (int c = LeftCol(); c <= col; ++c) {
            if (x >= limit)
                return true;
            x += ColWidths(c) + lw;
        }
    }
    return false;
}

void TBaseGrid::InvalidateCell(int col, int row)
{
    if (!Handle())
        return;
    // a cell that is not part of a merged range and holds no control shows only inside its own
    // rectangle: out of view, it has nothing to repaint (filling many rows stays cheap)
    if (CellOutOfView(col, row)) {
        const TCellProperties* record = CellProperties(col, row);
        if (!record || (record->CellSpanX == -1 && record->CellSpanY == -1 && !record->Control))
            return;
    }
    const RECT r = MergedCellRect(col, row);
    InvalidateRect(Handle(), &r, TRUE);
}

void TBaseGrid::SnapToBaseCell()
{
    if (!HasCellProperties(Col(), Row()))
        return;
    const TPoint base = BaseCellOf(Col(), Row());
    SetCol(base.X);
    SetRow(base.Y);
}

// ---------------------------------------------------------------- virtual hooks

bool TBaseGrid::IsFixedCell(int, int) { return false; }
int TBaseGrid::GetNodeIndent(int) { return 0; }
bool TBaseGrid::HasNodes() { return false; }

void TBaseGrid::DrawCellText(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState)
{
    const String text = GetCellText(col, row);
    canvas->RequiredState();
    RECT r = rect;
    ::DrawText(canvas->Handle(), text, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void TBaseGrid::LastRowChanged() {}

void TBaseGrid::GetDisplText(int col, int row, String& value)
{
    if (OnGetDisplText)
        OnGetDisplText(this, col, row, value);
}

void TBaseGrid::GetDisplWideText(int col, int row, WideString& value)
{
    if (OnGetDisplWideText)
        OnGetDisplWideText(this, col, row, value);
}

void TBaseGrid::GetCellFormat(int, int, TFont* font, TBrush* brush, TColor& colorTo, TColor& mirrorColor,
                              TColor& mirrorColorTo, TAlignment& alignment, TVAlignment& vAlignment, bool& wordWrap,
                              TCellGradientDirection& gradientDirection)
{
    font->Assign(Font());
    brush->Color = Color();
    colorTo = clNone;
    mirrorColor = clNone;
    mirrorColorTo = clNone;
    alignment = taLeftJustify;
    vAlignment = vtaTop;
    wordWrap = WordWrap;
    gradientDirection = GradientVertical;
}

void TBaseGrid::CellTextChanged(int, int) {}
bool TBaseGrid::HasCellBorders() { return false; }

void TBaseGrid::GetCellColors(int, int, TGridDrawState&, bool, bool, bool, TBrush*, TColor&, TColor&, TColor&, TFont*,
                              TAlignment&, TVAlignment&, bool&, TCellGradientDirection&)
{
}

int TBaseGrid::MapDisplayColumn(int col) { return col; }
int TBaseGrid::TotalColCount() const { return ColCount(); }

// ---------------------------------------------------------------- painting

void TBaseGrid::Paint()
{
    TStringGrid::Paint();
    ++PaintPass;
}

bool TBaseGrid::GridFocused() const
{
    return HasFocusForDrawing() || Options().Contains(goDrawFocusSelected);
}

namespace {

struct SelectionPalette {
    TColor color, colorTo, mirror, mirrorTo, innerTop, innerBottom, outer, corner;
};

const SelectionPalette kLooks[3] = {
    {0xFDF8F1, 0xFCEFD5, clNone, clNone, 0xFDFBF6, 0xFDF5E7, 0xFDDE99, 0xFCEDCB},
    {0xFCEBDC, 0xFCDBC1, clNone, clNone, 0xFDF4EB, 0xFDEADB, 0xCEA27D, 0xE0C5AE},
    {0xD7FFFD, 0x58D4FC, 0x58D4FC, 0xB3F1FC, 0xF4FEFF, 0xCAF8FF, 0x8DD7D3, 0xC3D9DF},
};
const SelectionPalette kUnfocused = {0xF8F8F8, 0xE5E5E5, clNone, clNone, 0xFBFAFA, 0xF0F0F0, 0xD9D9D9, 0xEFEFEF};

} // namespace

void TBaseGrid::DrawSelectionLookFrame(TCanvas* canvas, int col, const TRect& r)
{
    int left = Selection().Left, right = Selection().Right;
    if (right < left)
        std::swap(left, right);
    int kind = 0;
    if (col == left && col < right)
        kind = 1;
    else if (col == right && left < col)
        kind = 2;
    else if (left < col && col < right)
        kind = 3;
    TRect frame = r;
    if (!Options().Contains(goHorzLine))
        frame.Bottom += 1;
    if (!Options().Contains(goVertLine))
        frame.Right += 1;
    if (HasCellBorders()) {
        frame.Left += 1;
        frame.Right -= 1;
        frame.Bottom -= 1;
    }
    if (UseRightToLeftAlignment()) {
        frame.Right += 1;
        frame.Bottom += 1;
    }
    const bool focused = GridFocused();
    const SelectionPalette* palette = nullptr;
    if (!focused)
        palette = &kUnfocused;
    else if (selectionLook_ >= 1 && selectionLook_ <= 3)
        palette = &kLooks[selectionLook_ - 1];
    if (palette)
        DrawOfficeButtonFrame(canvas, palette->color, palette->colorTo, palette->mirror, palette->mirrorTo,
                              palette->innerTop, palette->innerBottom, palette->outer, palette->corner, Color(),
                              frame, kind);
}

void TBaseGrid::DrawCellLines(TCanvas* canvas, int col, const TRect& r, bool fixed)
{
    // the line pen: fixed lines are one pixel wide, and a line width of 0 draws no lines
    int half = 0;
    bool lines = true;
    if (fixed) {
        canvas->Pen->Color = gridFixedLineColor_;
        canvas->Pen->Width = 1;
        half = 1;
    } else if (gridLineWidth_ > 0) {
        canvas->Pen->Color = gridLineColor_;
        canvas->Pen->Width = gridLineWidth_;
        half = (gridLineWidth_ + 1) / 2;
    } else {
        lines = false; // no line width, no lines
    }
    // the bottom line
    if (lines && !(col == 0 && HasNodes()) &&
        ((Options().Contains(goHorzLine) && !fixed) || (Options().Contains(goFixedHorzLine) && fixed))) {
        canvas->MoveTo(r.Left - half + 1, r.Bottom - half);
        canvas->LineTo(r.Right - half + 1, r.Bottom - half);
    }
    // the right line, on the left edge for right-to-left grids
    if (lines && ((Options().Contains(goVertLine) && !fixed) || (Options().Contains(goFixedVertLine) && fixed))) {
        if (UseRightToLeftAlignment()) {
            canvas->MoveTo(r.Right - half + 1, r.Bottom - half);
            canvas->LineTo(r.Right - half + 1, r.Top - half);
        } else {
            canvas->MoveTo(r.Right - half, r.Bottom - half);
            canvas->LineTo(r.Right - half, r.Top - half);
        }
    }
}

void TBaseGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state)
{
    TCanvas* canvas = Canvas();
    // a hidden last row shows only the grid's colour
    if (row == RowCount() - 1 && LastRowHidden) {
        canvas->Brush->Color = Color();
        canvas->Pen->Color = Color();
        canvas->Rectangle(rect);
        return;
    }
    // a covered cell draws its range once per paint, as the base cell
    int baseCol = col, baseRow = row;
    if (!LocateBaseCell(col, row, baseCol, baseRow)) {
        TCellProperties* record = EnsureCellProperties(baseCol, baseRow);
        if (record->LastPaintPass == PaintPass)
            return;
        record->LastPaintPass = PaintPass;
        DrawCell(baseCol, baseRow, rect, state);
        return;
    }
    // fixed cells are never drawn selected
    if (IsFixedCell(col, row)) {
        state << gdFixed;
        state >> gdSelected;
    }
    const bool fixed = state.Contains(gdFixed);
    // the cell's rectangle spans its merged range
    const TRect r = MergedCellRect(col, row);
    // a range that reaches under the fixed cells stays out of them
    const int fixedW = col >= FixedCols() ? FixedColsWidth() : 0;
    const int fixedH = row >= FixedRows() ? FixedRowsHeight() : 0;
    HRGN clip = nullptr;
    if ((col >= FixedCols() && FixedCols() > 0 && r.Left < fixedW) ||
        (row >= FixedRows() && FixedRows() > 0 && r.Top < fixedH)) {
        clip = CreateRectRgn(fixedW, fixedH, Width(), Height());
        canvas->RequiredState();
        SelectClipRgn(canvas->Handle(), clip);
    }
    // start from the grid's font and a thin pen; the cell's colours, font and alignment follow
    canvas->Pen->Width = 1;
    canvas->Font->Assign(Font());
    TColor colorTo = clNone, mirrorColor = clNone, mirrorColorTo = clNone;
    TCellGradientDirection direction = GradientVertical;
    TAlignment alignment = taLeftJustify;
    TVAlignment vAlignment = vtaTop;
    bool wordWrap = WordWrap;
    GetCellColors(col, row, state, false, true, true, canvas->Brush, colorTo, mirrorColor, mirrorColorTo, canvas->Font,
                  alignment, vAlignment, wordWrap, direction);
    canvas->Pen->Color = canvas->Brush->Color;
    // the hover row's colours, unless the cell is selected
    if (row == HoverRowIndex && HoverRow && !state.Contains(gdSelected)) {
        canvas->Brush->Color = HoverRowColor;
        colorTo = HoverRowColorTo;
        mirrorColor = clNone;
        mirrorColorTo = clNone;
        direction = GradientVertical;
    }
    // the active row's colours, except on the current cell when the selection shows
    if (activeRowShow_ && row == Row() && (col != Col() || !ShowSelection) && col >= FixedCols()) {
        canvas->Brush->Color = activeRowColor_;
        colorTo = ActiveRowGradientTo;
        mirrorColor = ActiveRowMirrorFrom;
        mirrorColorTo = ActiveRowMirrorTo;
        canvas->Pen->Color = canvas->Brush->Color;
    }
    // the background: the selection look, a gradient or a mirrored gradient
    const TColor brushColor = canvas->Brush->Color;
    if (state.Contains(gdSelected) && selectionLook_ != 0 && ShowSelection) {
        DrawSelectionLookFrame(canvas, col, r);
    } else if (mirrorColorTo == clNone) {
        FillGradient(canvas, brushColor, colorTo, 64, r, direction == GradientHorizontal);
    } else {
        DrawGradientBackground(canvas, r, brushColor, colorTo, mirrorColor, mirrorColorTo, true, clNone, false, true);
    }
    DrawCellLines(canvas, col, r, fixed);
    // the text goes inside the lines
    TRect inner = r;
    if (fixed) {
        inner.Right -= 1;
        inner.Bottom -= 2;
    } else {
        inner = TRect(r.Left + gridLineWidth_, r.Top + gridLineWidth_, r.Right - gridLineWidth_,
                      r.Bottom - gridLineWidth_);
    }
    canvas->Pen->Width = 1;
    DrawCellText(canvas, col, row, inner, state);
    if (clip) {
        SelectClipRgn(canvas->Handle(), nullptr);
        DeleteObject(clip);
    }
    canvas->Brush->Style = bsSolid;
    canvas->Pen->Style = psSolid;
}

// ---------------------------------------------------------------- selection, keys, wheel

bool TBaseGrid::SelectCell(int col, int row)
{
    if (UseRightToLeftAlignment()) {
        const bool result = TStringGrid::SelectCell(col, row);
        Invalidate();
        return result;
    }
    InvalidateCell(Col(), Row());
    const bool result = TStringGrid::SelectCell(col, row);
    InvalidateCell(col, row);
    return result;
}

void TBaseGrid::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_NEXT && TopRow() + VisibleRowCount() - FixedRows() == RowCount() - 1 && LastRowHidden &&
        RowCount() > 1)
        SetRow(RowCount() - 2);
    if (HasCellProperties(Col(), Row())) {
        const TPoint base = BaseCellOf(Col(), Row());
        const TCellProperties* rec = CellProperties(base.X, base.Y);
        const int spanX = rec ? rec->CellSpanX : -1;
        const int spanY = rec ? rec->CellSpanY : -1;
        switch (key) {
        case VK_LEFT:
            // to the base cell, so that the framework's step lands just before the range
            if (Col() > base.X && Col() > FixedCols() && base.X > 0)
                SetCol(base.X);
            break;
        case VK_UP:
            if (Row() > base.Y && Row() > FixedRows() && base.Y > 0)
                SetRow(base.Y);
            break;
        case VK_RIGHT:
            if (base.X + spanX >= Col() && Col() < ColCount() - 1 && base.X < ColCount() - 1 &&
                base.X + spanX < ColCount())
                SetCol(base.X + spanX);
            break;
        case VK_DOWN:
            if (base.Y + spanY >= Row() && Row() < RowCount() - 1 && base.Y < RowCount() - 1)
                SetRow(base.Y + spanY);
            break;
        default: break;
        }
    }
    TStringGrid::KeyDown(key, shift);
    SnapToBaseCell();
}

bool TBaseGrid::DoMouseWheelDown(TShiftState shift, TPoint mousePos)
{
    const bool result = TStringGrid::DoMouseWheelDown(shift, mousePos);
    if (VisibleRowCount() < Row() - TopRow() && Row() < RowCount() - 1 && LastRowHidden)
        SetTopRow(TopRow() + 1);
    SnapToBaseCell();
    return result;
}

bool TBaseGrid::DoMouseWheelUp(TShiftState shift, TPoint mousePos)
{
    const bool result = TStringGrid::DoMouseWheelUp(shift, mousePos);
    SnapToBaseCell();
    return result;
}

void TBaseGrid::TopLeftChanged()
{
    TStringGrid::TopLeftChanged();
    if (FixedCols() > 0)
        for (int r = TopRow(); r <= TopRow() + VisibleRowCount() && r < RowCount(); ++r)
            for (int c = 0; c < FixedCols(); ++c)
                if (InMergedRange(c, r))
                    InvalidateCell(c, r);
    if (FixedRows() > 0)
        for (int c = LeftCol(); c <= LeftCol() + VisibleColCount() && c < ColCount(); ++c)
            for (int r = 0; r < FixedRows(); ++r)
                if (InMergedRange(c, r))
                    InvalidateCell(c, r);
}

void TBaseGrid::ChangeScale(int m, int d)
{
    TStringGrid::ChangeScale(m, d);
    if (!HasState(csDesigning) && m != d)
        SetDefaultRowHeight(MulDiv(DefaultRowHeight(), m, d));
}
