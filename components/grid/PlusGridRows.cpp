// The string grid's structure: real and display indexes, hidden rows and columns, inserting,
// removing, clearing and merging, the row and column selection lists and the update bracket.
//
// Hidden columns stay in the store at their real column; hidden rows leave it and wait in
// TGridItem records (sorted by real index) that hold their texts, their cell records and their
// height. The store keeps every real column, so moving a row moves the cells of hidden columns
// with it.
#include "components/grid/PlusGrid.h"

#include "platform/rtl/Invariant.h"

#include "components/grid/CellText.h"
#include "components/grid/HtmlUtils.h"

#include <algorithm>

namespace {

constexpr int kFlagColumns = 512;

// The cells of the area col1..col2 x row1..row2 that the store holds a text or an object for,
// row by row and left to right, found without visiting the empty rest of the area (a grid may
// have millions of rows that were never written).
std::vector<TPoint> PlusGridRowsStoredCells(const TStringGrid& grid, int col1, int row1, int col2, int row2)
{
    std::vector<TPoint> cells;
    grid.ForEachStoredCell(col1, row1, col2, row2, [&cells](int c, int r) { cells.emplace_back(c, r); });
    std::sort(cells.begin(), cells.end(),
              [](const TPoint& a, const TPoint& b) { return a.Y != b.Y ? a.Y < b.Y : a.X < b.X; });
    return cells;
}

} // namespace

// ---------------------------------------------------------------- column mapping

bool TPlusStringGrid::IsColumnHidden(int real) const
{
    return real >= 0 && real < kFlagColumns && !columnVisible_[size_t(real)];
}

int TPlusStringGrid::RealToDisplayColumn(int real) const
{
    if (real < 0 || real >= kFlagColumns || HiddenColCount == 0)
        return real;
    int hidden = 0;
    for (int i = 0; i < real; ++i)
        if (!columnVisible_[size_t(i)])
            ++hidden;
    return real - hidden;
}

int TPlusStringGrid::DisplayToRealColumn(int display) const
{
    if (display < 0 || display >= kFlagColumns || HiddenColCount == 0)
        return display;
    // the grid's own columns only: a display index beyond the shown ones answers 0
    const int limit = std::min(kFlagColumns, TotalColCount());
    int shown = 0;
    for (int i = 0; i < limit; ++i) {
        if (!columnVisible_[size_t(i)])
            continue;
        if (shown == display)
            return i;
        ++shown;
    }
    return 0;
}

void TPlusStringGrid::HideColumns(int from, int to)
{
    from = std::max(from, 0);
    to = std::min(to, kFlagColumns - 1);
    bool changed = false;
    for (int i = from; i <= to; ++i) {
        if (!columnVisible_[size_t(i)])
            continue;
        if (i >= ColCount() + HiddenColCount || ColCount() < 2)
            continue; // beyond the grid, or the last shown column
        const int d = RealToDisplayColumn(i);
        savedColWidths_[size_t(i)] = int16_t(ColWidths(d));
        for (int k = d; k <= ColCount() - 2; ++k)
            SetColWidths(k, ColWidths(k + 1));
        ++HiddenColCount;
        columnVisible_[size_t(i)] = false;
        if (Col() == ColCount() - 1 && Col() > FixedCols())
            SetCol(Col() - 1);
        TBaseGrid::SetColCount(ColCount() - 1);
        changed = true;
    }
    if (changed)
        Invalidate();
}

void TPlusStringGrid::UnhideColumns(int from, int to)
{
    from = std::max(from, 0);
    to = std::min(to, kFlagColumns - 1);
    bool changed = false;
    for (int i = from; i <= to; ++i) {
        if (columnVisible_[size_t(i)])
            continue;
        --HiddenColCount;
        columnVisible_[size_t(i)] = true;
        TBaseGrid::SetColCount(ColCount() + 1);
        const int d = RealToDisplayColumn(i);
        for (int k = ColCount() - 1; k > d; --k)
            SetColWidths(k, ColWidths(k - 1));
        SetColWidths(d, savedColWidths_[size_t(i)]);
        changed = true;
    }
    if (changed)
        Invalidate();
}

// ---------------------------------------------------------------- row mapping

int TPlusStringGrid::RealToDisplayRow(int real) const
{
    if (hiddenRows_.empty())
        return real;
    const auto it = std::lower_bound(hiddenRows_.begin(), hiddenRows_.end(), real,
                                     [](const TGridItem* item, int idx) { return item->Idx < idx; });
    QUELM_INVARIANT((it == hiddenRows_.begin() || (*(it - 1))->Idx < real) &&
                        (it == hiddenRows_.end() || (*it)->Idx >= real),
                    "the hidden rows are sorted by their real row, each real row hidden at most once");
    return real - int(it - hiddenRows_.begin());
}

int TPlusStringGrid::DisplayToRealRow(int display) const
{
    int real = display;
    int previous = -1;
    for (const TGridItem* item : hiddenRows_) {
        QUELM_INVARIANT(item->Idx > previous, "the hidden rows are sorted by their real row, each real row hidden at most once");
        previous = item->Idx;
        if (item->Idx <= real)
            ++real;
        else
            break;
    }
    return real;
}

bool TPlusStringGrid::IsRowHidden(int real) const
{
    const auto it = std::lower_bound(hiddenRows_.begin(), hiddenRows_.end(), real,
                                     [](const TGridItem* item, int idx) { return item->Idx < idx; });
    return it != hiddenRows_.end() && (*it)->Idx == real;
}

const TGridItem* TPlusStringGrid::HiddenRowItem(int index) const
{
    return index >= 0 && index < int(hiddenRows_.size()) ? hiddenRows_[size_t(index)] : nullptr;
}

void TPlusStringGrid::ShiftHiddenForRemoval(int firstGone, int count)
{
    // the shown rows removed are the `count` shown rows from real index firstGone on; each
    // hidden row moves up by those of them that stood before it
    int hiddenSince = 0;
    for (TGridItem* item : hiddenRows_) {
        if (item->Idx > firstGone)
            item->Idx -= std::min(item->Idx - firstGone - hiddenSince, count);
        if (item->Idx >= firstGone)
            ++hiddenSince;
    }
}

// ---------------------------------------------------------------- merges cut by structure changes

namespace {

struct Range {
    int col, row, lastCol, lastRow;
};

} // namespace

void TPlusStringGrid::SplitMergesAcross(int from, int to, bool rows)
{
    const bool cut = from > to; // a cut between lines `to` and `from`
    const int count = rows ? RowCount() : TotalColCount();
    const int first = std::max(0, cut ? to : from), last = std::min(count - 1, cut ? from : to);
    std::vector<Range> ranges;
    for (int line = first; line <= last; ++line)
        for (int across = 0; across < (rows ? TotalColCount() : RowCount()); ++across) {
            const int c = rows ? across : line, r = rows ? line : across;
            const TCellProperties* record = CellProperties(c, r);
            if (!record || (record->CellSpanX < 0 && record->CellSpanY < 0))
                continue;
            const TPoint base = record->ResolveBaseCell(c, r);
            const TCellProperties* b = CellProperties(base.X, base.Y);
            if (!b || (rows ? b->CellSpanY : b->CellSpanX) < 0)
                continue;
            const Range range{base.X, base.Y, base.X + b->CellSpanX, base.Y + b->CellSpanY};
            const int low = rows ? range.row : range.col, high = rows ? range.lastRow : range.lastCol;
            const bool split = cut ? (low <= to && high >= from) : !(low >= from && high <= to);
            if (split)
                ranges.push_back(range);
        }
    for (const Range& range : ranges)
        if (IsMergedAcross(range.col, range.row) || IsMergedDown(range.col, range.row))
            UnmergeCellRange(range.col, range.row);
}

void TPlusStringGrid::SplitMergesAcrossRows(int from, int to) { SplitMergesAcross(from, to, true); }

void TPlusStringGrid::SplitMergesAcrossCols(int from, int to) { SplitMergesAcross(from, to, false); }

void TPlusStringGrid::SplitMergesCutBy(int col1, int row1, int col2, int row2)
{
    col1 = std::max(col1, 0);
    row1 = std::max(row1, 0);
    col2 = std::min(col2, TotalColCount() - 1);
    row2 = std::min(row2, RowCount() - 1);
    std::vector<Range> ranges;
    for (const TPoint& cell : PlusGridRowsStoredCells(*this, col1, row1, col2, row2)) {
        const int c = cell.X, r = cell.Y;
        const TCellProperties* record = CellProperties(c, r);
        if (!record || (record->CellSpanX < 0 && record->CellSpanY < 0))
            continue;
        const TPoint base = record->ResolveBaseCell(c, r);
        const TCellProperties* b = CellProperties(base.X, base.Y);
        if (!b || b->CellSpanX < 0)
            continue;
        const Range range{base.X, base.Y, base.X + b->CellSpanX, base.Y + b->CellSpanY};
        if (!(range.col >= col1 && range.lastCol <= col2 && range.row >= row1 && range.lastRow <= row2))
            ranges.push_back(range);
    }
    for (const Range& range : ranges)
        if (IsMergedAcross(range.col, range.row) || IsMergedDown(range.col, range.row))
            UnmergeCellRange(range.col, range.row);
}

void TPlusStringGrid::SplitMergesOverRows(int first, int last)
{
    for (int r = first; r <= last; ++r)
        for (int c = 0; c < TotalColCount(); ++c)
            if (IsMergedDown(c, r)) {
                const TPoint base = BaseCellOf(c, r);
                UnmergeCellRange(base.X, base.Y);
            }
    SplitMergesCutBy(0, first, TotalColCount() - 1, last);
}

void TPlusStringGrid::SplitHiddenMerges()
{
    // a column change cannot follow the ranges of rows that are out of the grid: they come
    // back as single cells
    for (TGridItem* item : hiddenRows_)
        for (int c = 0; c < item->Items->Count(); ++c)
            if (auto* record = dynamic_cast<TCellProperties*>(item->Items->Objects(c))) {
                record->IsBaseCell = true;
                record->CellSpanX = -1;
                record->CellSpanY = -1;
            }
}

// ---------------------------------------------------------------- hiding rows

void TPlusStringGrid::HideRows(int from, int to)
{
    from = std::max(from, 0);
    to = std::min(to, GetAllRowCount() - 1);
    if (from > to)
        return;
    std::vector<int> shown;
    for (int v = from; v <= to; ++v)
        if (!IsRowHidden(v))
            shown.push_back(v);
    // the fixed rows and at least one more row stay shown
    if (shown.empty() || RowCount() - int(shown.size()) <= TBaseGrid::FixedRows())
        return;
    const int j = RealToDisplayRow(shown.front());
    // a merged range goes with the hidden rows only when it lies wholly among them
    SplitMergesAcrossRows(j, j + int(shown.size()) - 1);
    const int total = TotalColCount();
    std::vector<TGridItem*> items;
    for (size_t k = 0; k < shown.size(); ++k) {
        const int d = j + int(k); // the shown rows of the range stand together from j on
        auto* item = new TGridItem;
        item->Idx = shown[k];
        item->Height = RowHeights(d);
        item->Level = 0;
        item->ByNode = hidingForNode_;
        item->Items->SetCapacity(total);
        for (int c = 0; c < total; ++c)
            item->Items->AddObject(GetRawCell(c, d), TakeCellProperties(c, d));
        items.push_back(item);
    }
    for (TGridItem* item : items) {
        const auto at = std::upper_bound(hiddenRows_.begin(), hiddenRows_.end(), item->Idx,
                                         [](int idx, const TGridItem* other) { return idx < other->Idx; });
        hiddenRows_.insert(at, item);
    }
    DeleteRowRange(j, int(shown.size()), false);
}

void TPlusStringGrid::UnhideRows(int from, int to)
{
    if (from > to || !IsRowHidden(from))
        return;
    // the records of the range, in real order
    std::vector<TGridItem*> back;
    for (TGridItem* item : hiddenRows_)
        if (item->Idx >= from && item->Idx <= to)
            back.push_back(item);
    if (back.empty())
        return;
    hiddenRows_.erase(std::remove_if(hiddenRows_.begin(), hiddenRows_.end(),
                                     [&](TGridItem* item) { return item->Idx >= from && item->Idx <= to; }),
                      hiddenRows_.end());
    RestoreHiddenItems(back);
}

void TPlusStringGrid::UnhideNodeRows(int from, int to)
{
    std::vector<TGridItem*> back;
    for (TGridItem* item : hiddenRows_)
        if (item->ByNode && item->Idx >= from && item->Idx <= to)
            back.push_back(item);
    if (back.empty())
        return;
    hiddenRows_.erase(std::remove_if(hiddenRows_.begin(), hiddenRows_.end(),
                                     [&](TGridItem* item) { return item->ByNode && item->Idx >= from && item->Idx <= to; }),
                      hiddenRows_.end());
    RestoreHiddenItems(back);
}

void TPlusStringGrid::RestoreHiddenItems(const std::vector<TGridItem*>& back)
{
    BeginUpdate();
    // each row comes back at the display index its real index has once the rows before it are
    // back; walking in real order, that is its real index minus the records still hidden below
    // it. First the empty rows at their places (a range of the shown rows that a row coming
    // back would cut is split), then their cells, so that the ranges among them come back whole.
    std::vector<int> places;
    for (TGridItem* item : back) {
        places.push_back(RealToDisplayRow(item->Idx));
        InsertRowRange(places.back(), 1, false);
    }
    for (size_t k = 0; k < back.size(); ++k) {
        TGridItem* item = back[k];
        const int d = places[k];
        SetRowHeights(d, item->Height);
        const int n = item->Items->Count();
        for (int c = 0; c < n; ++c) {
            SetRawCell(c, d, item->Items->Strings(c));
            if (auto* record = dynamic_cast<TCellProperties*>(item->Items->Objects(c)))
                PutCellProperties(c, d, record);
            item->Items->PutObject(c, nullptr);
        }
        delete item;
    }
    EndUpdate();
}

void TPlusStringGrid::UnhideAllRows()
{
    if (!hiddenRows_.empty())
        UnhideRows(hiddenRows_.front()->Idx, GetAllRowCount() - 1);
}

void TPlusStringGrid::HideRowList(TIntList* rows)
{
    if (!rows || rows->Count() == 0)
        return;
    std::vector<int> reals;
    for (int i = 0; i < rows->Count(); ++i) {
        const int d = rows->GetItem(i);
        if (d >= TBaseGrid::FixedRows() && d < RowCount())
            reals.push_back(DisplayToRealRow(d));
    }
    std::sort(reals.begin(), reals.end());
    reals.erase(std::unique(reals.begin(), reals.end()), reals.end());
    if (reals.empty() || RowCount() - int(reals.size()) <= TBaseGrid::FixedRows())
        return;
    const int level = HideLevel;
    // from the bottom up, so that the display rows above stay where they are
    BeginUpdate();
    for (auto it = reals.rbegin(); it != reals.rend(); ++it) {
        HideRows(*it, *it);
        for (TGridItem* item : hiddenRows_)
            if (item->Idx == *it)
                item->Level = level;
    }
    ++HideLevel;
    EndUpdate();
}

void TPlusStringGrid::UnhideLastLevel()
{
    if (HideLevel <= 0)
        return;
    const int level = HideLevel - 1;
    std::vector<TGridItem*> back;
    for (TGridItem* item : hiddenRows_)
        if (item->Level == level)
            back.push_back(item);
    if (back.empty())
        return;
    hiddenRows_.erase(std::remove_if(hiddenRows_.begin(), hiddenRows_.end(),
                                     [&](TGridItem* item) { return item->Level == level; }),
                      hiddenRows_.end());
    RestoreHiddenItems(back);
}

// ---------------------------------------------------------------- fixed cells

bool TPlusStringGrid::DoIsFixedCell(int col, int row)
{
    // with the "always" flags a grid that has shrunk to its asked fixed rows (columns) is all fixed
    bool fixed = col < FixedCols() || row < FixedRows() || (FixedRowAlways && RowCount() == RequestedFixedRows) ||
                 (FixedColAlways && ColCount() == RequestedFixedCols);
    if (!fixed && OnIsFixedCell)
        OnIsFixedCell(this, row, col, fixed);
    return fixed;
}

bool TPlusStringGrid::IsFixedCell(int col, int row)
{
    const TPoint base = BaseCellOf(DisplayToRealColumn(col), row);
    const int bc = RealToDisplayColumn(base.X);
    if (base.Y >= RowCount() - fixedFooters_)
        return true;
    if (bc >= ColCount() - fixedRightCols_ && bc < ColCount())
        return true;
    return DoIsFixedCell(bc, base.Y);
}

// ---------------------------------------------------------------- inserting and removing rows

void TPlusStringGrid::InsertRows(int row, int count, bool)
{
    InsertRowRange(row, count, true);
}

void TPlusStringGrid::InsertRowRange(int row, int count, bool shiftHidden)
{
    if (count <= 0 || row < 0 || row > RowCount())
        return;
    // hidden rows at or after the new rows' real place move down with the rows below
    if (shiftHidden && !hiddenRows_.empty()) {
        const int real = DisplayToRealRow(row);
        for (TGridItem* item : hiddenRows_)
            if (item->Idx >= real)
                item->Idx += count;
    }
    // a range the new rows would cut is split
    if (row > 0 && row < RowCount())
        SplitMergesAcrossRows(row, row - 1);
    const int oldCount = RowCount();
    const int total = TotalColCount();
    // the store rows the grid grows into start empty
    for (int c = 0; c < std::max(total, StoreColCount()); ++c)
        for (int r = oldCount; r < oldCount + count; ++r) {
            if (CellProperties(c, r))
                ClearCellProperties(c, r);
        }
    TruncateStoreRows(oldCount);
    BeginUpdate();
    TBaseGrid::SetRowCount(oldCount + count);
    DisplayRowLimit = RowCount();
    HighestRowCount = std::max(HighestRowCount, RowCount());
    RotateStoreRows(row, oldCount, oldCount + count);
    // the heights move with their rows; the new rows get the default height
    for (int r = RowCount() - 1; r >= row + count; --r)
        if (RowHeights(r) != RowHeights(r - count))
            SetRowHeights(r, RowHeights(r - count));
    for (int r = row; r < row + count; ++r)
        SetRowHeights(r, DefaultRowHeight());
    auto insertFlags = [&](TIntList* list) {
        for (int k = 0; k < count; ++k)
            if (row < list->Count())
                list->Insert(row, 0);
    };
    insertFlags(rowModified_.get());
    if (RowDisablingUsed)
        insertFlags(rowDisabled_.get());
    EndUpdate();
    if (!destroying_)
        CellsChanged(TRect(0, row, ColCount() - 1, row + count));
}

void TPlusStringGrid::RemoveRows(int row, int count)
{
    if (row < 0 || row >= RowCount() || count <= 0)
        return;
    count = std::min(count, RowCount() - row);
    SplitMergesAcrossRows(row, row + count - 1);
    ClearCellPropertiesRange(0, row, TotalColCount() - 1, row + count - 1);
    DeleteRowRange(row, count, true);
}

void TPlusStringGrid::DeleteRowRange(int row, int count, bool shiftHidden)
{
    if (row < 0 || row >= RowCount() || count <= 0)
        return;
    count = std::min(count, RowCount() - row);
    if (RowCount() - count < 1)
        count = RowCount() - 1; // a grid keeps one row
    if (count <= 0)
        return;
    SplitMergesAcrossRows(row, row + count - 1);
    const int oldCount = RowCount();
    const int newCount = oldCount - count;
    const int keepRow = Row();
    const int keepTop = TopRow();
    BeginUpdate();
    if (shiftHidden)
        ShiftHiddenForRemoval(DisplayToRealRow(row), count);
    // the removed rows go to the end of the store, where they are dropped
    std::vector<int> heights;
    heights.reserve(size_t(oldCount - row));
    for (int r = row; r < oldCount; ++r)
        heights.push_back(RowHeights(r));
    RotateStoreRows(row, row + count, oldCount);
    std::rotate(heights.begin(), heights.begin() + count, heights.end());
    for (int r = row; r < newCount; ++r)
        if (RowHeights(r) != heights[size_t(r - row)])
            SetRowHeights(r, heights[size_t(r - row)]);
    const int total = std::max(TotalColCount(), StoreColCount());
    for (int c = 0; c < total; ++c)
        for (int r = newCount; r < oldCount; ++r)
            if (CellProperties(c, r))
                ClearCellProperties(c, r);
    TruncateStoreRows(newCount);
    // per-row lists lose the removed rows
    for (int k = 0; k < count; ++k) {
        if (row < int(selectedRows_.size()) && !mouseActions_->RowSelectPersistent)
            selectedRows_.erase(selectedRows_.begin() + row);
        if (row < rowModified_->Count())
            rowModified_->Delete(row);
        if (RowDisablingUsed && row < rowDisabled_->Count())
            rowDisabled_->Delete(row);
    }
    TBaseGrid::SetRowCount(newCount);
    DisplayRowLimit = RowCount();
    const int lastData = RowCount() - fixedFooters_ - 1;
    if (keepRow <= lastData && keepRow >= TBaseGrid::FixedRows())
        SetRow(keepRow);
    else if (lastData >= TBaseGrid::FixedRows())
        SetRow(lastData);
    SetTopRowChecked(keepTop);
    EndUpdate();
    CellsChanged(TRect(0, row, ColCount() - 1, row + count));
}

void TPlusStringGrid::RemoveRowsWithCells(int row, int count)
{
    RemoveRows(row, count);
}

// ---------------------------------------------------------------- inserting and removing columns

void TPlusStringGrid::InsertCols(int col, int count)
{
    if (count <= 0 || col < 0 || col > TotalColCount())
        return;
    const int oldTotal = TotalColCount();
    if (col > 0 && col < oldTotal)
        SplitMergesAcrossCols(col, col - 1);
    // the store columns the grid grows into start empty
    ClearRect(oldTotal, 0, oldTotal + count - 1, RowCount() - 1);
    const int display = RealToDisplayColumn(std::min(col, oldTotal));
    const int dispCol = col >= oldTotal ? ColCount() : display;
    TBaseGrid::SetColCount(ColCount() + count);
    HighestColCount = std::max(HighestColCount, ColCount());
    for (int k = 0; k < count; ++k)
        MoveStoreColumn(oldTotal + k, col + k);
    for (int i = std::min(oldTotal + count - 1, kFlagColumns - 1); i >= col + count; --i) {
        columnVisible_[size_t(i)] = columnVisible_[size_t(i - count)];
        savedColWidths_[size_t(i)] = savedColWidths_[size_t(i - count)];
    }
    for (int i = col; i < col + count && i < kFlagColumns; ++i) {
        columnVisible_[size_t(i)] = true;
        savedColWidths_[size_t(i)] = 0;
    }
    if (col < oldTotal)
        SplitHiddenMerges();
    for (TGridItem* item : hiddenRows_)
        for (int k = 0; k < count; ++k)
            if (col <= item->Items->Count())
                item->Items->Insert(col, String());
    for (int d = ColCount() - 1; d >= dispCol + count; --d)
        SetColWidths(d, ColWidths(d - count));
    for (int d = dispCol; d < dispCol + count && d < ColCount(); ++d)
        SetColWidths(d, DefaultColWidth());
}

void TPlusStringGrid::RemoveCols(int col, int count)
{
    const int total = TotalColCount();
    if (col < 0 || col >= total || count <= 0)
        return;
    count = std::min(count, total - col);
    int shownInRange = 0, hiddenInRange = 0;
    for (int i = col; i < col + count; ++i)
        (IsColumnHidden(i) ? hiddenInRange : shownInRange)++;
    if (shownInRange >= ColCount())
        return; // a grid keeps one shown column
    SplitMergesAcrossCols(col, col + count - 1);
    ClearRect(col, 0, col + count - 1, RowCount() - 1);
    // the widths of the shown columns of the range leave
    for (int i = col + count - 1; i >= col; --i) {
        if (IsColumnHidden(i))
            continue;
        const int d = RealToDisplayColumn(i);
        for (int k = d; k <= ColCount() - 2; ++k)
            SetColWidths(k, ColWidths(k + 1));
    }
    for (int k = 0; k < count; ++k)
        MoveStoreColumn(col, total - 1);
    for (int i = col; i < kFlagColumns; ++i) {
        const int from = i + count;
        columnVisible_[size_t(i)] = from < kFlagColumns ? columnVisible_[size_t(from)] : true;
        savedColWidths_[size_t(i)] = from < kFlagColumns ? savedColWidths_[size_t(from)] : 0;
    }
    HiddenColCount -= hiddenInRange;
    SplitHiddenMerges();
    for (TGridItem* item : hiddenRows_)
        for (int k = 0; k < count && col < item->Items->Count(); ++k) {
            if (auto* record = dynamic_cast<TCellProperties*>(item->Items->Objects(col)))
                ReleaseCellProperties(record);
            item->Items->Delete(col);
        }
    TBaseGrid::SetColCount(ColCount() - shownInRange);
    CellsChanged(TRect(col, 0, col + count, RowCount() - 1));
}

// ---------------------------------------------------------------- clearing

void TPlusStringGrid::ClearRect(int col1, int row1, int col2, int row2)
{
    if (col2 < col1)
        std::swap(col1, col2);
    if (row2 < row1)
        std::swap(row1, row2);
    col1 = std::max(col1, 0);
    row1 = std::max(row1, 0);
    col2 = std::min(col2, std::max(TotalColCount(), StoreColCount()) - 1);
    row2 = std::min(row2, RowCount() - 1);
    if (!RowsMoving)
        SplitMergesCutBy(col1, row1, col2, row2);
    // only cells the store holds can have anything to clear
    for (const TPoint& cell : PlusGridRowsStoredCells(*this, col1, row1, col2, row2)) {
        const int c = cell.X, r = cell.Y;
        if (CellProperties(c, r)) {
            if (RowsMoving)
                SetObjects(c, r, nullptr);
            else {
                RemoveCellGraphic(c, r);
                ClearCellProperties(c, r);
            }
        }
        if (!destroying_ && !GetRawCell(c, r).empty())
            SetRawCell(c, r, String());
    }
    if (col1 == 0 && row1 == 0 && col2 >= ColCount() - 1 && row2 >= RowCount() - 1)
        CellPropsCreated = false;
    if (!destroying_)
        CellsChanged(TRect(col1, row1, col2, row2));
}

void TPlusStringGrid::TrimRect(int col1, int row1, int col2, int row2)
{
    col1 = std::max(col1, 0);
    row1 = std::max(row1, 0);
    col2 = std::min(col2, TotalColCount() - 1);
    row2 = std::min(row2, RowCount() - 1);
    for (int r = row1; r <= row2; ++r)
        for (int c = col1; c <= col2; ++c) {
            const String text = GetCellText(c, r);
            const String trimmed = Trim(text);
            if (trimmed != text)
                SetCellText(c, r, trimmed);
        }
    CellsChanged(TRect(col1, row1, col2, row2));
}

void TPlusStringGrid::ClearRows(int row, int count)
{
    if (RowCount() <= 0 || ColCount() <= 0 || count <= 0)
        return;
    ClearRect(0, row, TotalColCount() - 1, row + count - 1);
}

void TPlusStringGrid::ClearCols(int col, int count)
{
    if (RowCount() <= 0 || ColCount() <= 0 || count <= 0)
        return;
    ClearRect(col, 0, col + count - 1, RowCount() - 1);
}

void TPlusStringGrid::ClearAll()
{
    if (!destroying_ && NodeCount > 0)
        for (int r = RowCount() - 1; r >= 0; --r)
            if (IsNodeRow(r))
                RemoveNode(r);
    if (RowCount() > 0 && ColCount() > 0)
        ClearRect(0, 0, TotalColCount() - 1, RowCount() - 1);
    if (HiddenColCount > 0)
        Invalidate();
}

void TPlusStringGrid::MergeColumnCells(int col, bool mergeAlone)
{
    if (col < 0 || col >= TotalColCount())
        return;
    const int first = TBaseGrid::FixedRows();
    const int last = RowCount() - fixedFooters_ - 1;
    int start = first, run = 1;
    for (int j = first + 1; j <= last + 1; ++j) {
        const bool ends = j > last || GetCellText(col, j) != GetCellText(col, j - 1) ||
                          (!mergeAlone && !RowsInSameMerge(j - 1, j));
        if (!ends) {
            ++run;
            continue;
        }
        if (run > 1)
            MergeCellRange(col, start, 1, run);
        start = j;
        run = 1;
    }
}

void TPlusStringGrid::SplitColumnCells(int col)
{
    if (col < 0 || col >= TotalColCount())
        return;
    int row = 0;
    while (row < RowCount() - fixedFooters_) {
        if (IsMergedDown(col, row)) {
            const TPoint base = BaseCellOf(col, row);
            const int span = MergeSpanOf(col, row).Y;
            UnmergeCellRange(col, row);
            row = base.Y + span + 1;
        } else {
            ++row;
        }
    }
}

TRect TPlusStringGrid::GetUsedCellsRect()
{
    int left = ColCount() - 1, top = RowCount() - 1, right = 0, bottom = 0;
    for (int c = 0; c < ColCount(); ++c)
        for (int r = 0; r < RowCount(); ++r)
            if (!GetCellText(c, r).empty()) {
                left = std::min(left, c);
                top = std::min(top, r);
                right = std::max(right, c);
                bottom = std::max(bottom, r);
            }
    if (right < left || bottom < top)
        return TRect(0, 0, 0, 0);
    return TRect(left, top, right, bottom);
}

// ---------------------------------------------------------------- updates and repaints

void TPlusStringGrid::BeginUpdate()
{
    if (!Visible())
        return;
    ++UpdateCount;
    if (Handle())
        SendMessage(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TPlusStringGrid::EndUpdate()
{
    if (!Visible())
        return;
    if (UpdateCount > 0)
        --UpdateCount;
    if (destroying_ || UpdateCount > 0)
        return;
    if (Handle()) {
        SendMessage(Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(Handle(), nullptr, FALSE);
    }
    PaintLookBorder();
}

void TPlusStringGrid::Invalidate()
{
    if (SkipNextInvalidate) {
        SkipNextInvalidate = false;
        return;
    }
    if (UpdateCount > 0)
        return;
    TBaseGrid::Invalidate();
}

void TPlusStringGrid::RepaintCell(int col, int row)
{
    if (UpdateCount == 0 && col >= 0 && row >= 0 && col < ColCount() && row < RowCount())
        InvalidateCell(col, row);
}

void TPlusStringGrid::RepaintRow(int row)
{
    if (UpdateCount == 0 && row >= 0 && row < RowCount())
        InvalidateRow(row);
}

void TPlusStringGrid::RepaintCol(int col)
{
    if (UpdateCount == 0 && col >= 0 && col < ColCount())
        InvalidateCol(col);
}

void TPlusStringGrid::InvalidateCellRect(int left, int top, int right, int bottom)
{
    if (left < 0 || top < 0 || right < 0 || bottom < 0)
        return;
    const TRect r1 = CellRect(left, top);
    const TRect r2 = CellRect(std::min(VisibleColCount() + TBaseGrid::FixedCols(), right), bottom);
    if (r1.IsEmpty() || r2.IsEmpty()) {
        Repaint();
        return;
    }
    if (!Handle())
        return;
    const RECT area{std::min(r1.Left, r2.Left), std::min(r1.Top, r2.Top), std::max(r1.Right, r2.Right),
                    std::max(r1.Bottom, r2.Bottom)};
    InvalidateRect(Handle(), &area, TRUE);
}

void TPlusStringGrid::CellsChanged(const TRect& r)
{
    RecalcFooter(-1);
    if (OnCellsChanged)
        OnCellsChanged(this, r);
}

void TPlusStringGrid::SetTopRowChecked(int row)
{
    if (row >= FixedRows() && row <= RowCount() - 1 && row != TopRow())
        SetTopRow(row);
}

void TPlusStringGrid::ScrollInView(int col, int row)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return;
    if (row >= TBaseGrid::FixedRows() && (row < TopRow() || row >= TopRow() + VisibleRowCount()))
        SetTopRowChecked(std::max(TBaseGrid::FixedRows(), row - VisibleRowCount() / 2));
    if (col >= TBaseGrid::FixedCols() && (col < LeftCol() || col >= LeftCol() + VisibleColCount()))
        SetLeftCol(std::clamp(col, TBaseGrid::FixedCols(), ColCount() - 1));
}

void TPlusStringGrid::SetRowChecked(int row)
{
    if (row >= TBaseGrid::FixedRows() && row < RowCount())
        SetRow(row);
}

// ---------------------------------------------------------------- selection lists and flags

namespace {

bool Between(int value, int a, int b) { return value >= std::min(a, b) && value <= std::max(a, b); }

} // namespace

bool TPlusStringGrid::GetRowSelected(int row)
{
    if (row < 0 || row >= GetAllRowCount())
        throw EPlusGridError("Invalid row accessed");
    if (!mouseActions_->DisjunctRowSelect()) {
        const TGridRect s = Selection();
        return Between(row, s.Top, s.Bottom);
    }
    if (row >= int(selectedRows_.size()))
        selectedRows_.resize(size_t(row) + 1, false);
    return selectedRows_[size_t(row)];
}

void TPlusStringGrid::SetRowSelected(int row, bool selected)
{
    if ((row >= GetAllRowCount() && TBaseGrid::FixedRows() < RowCount()) || row < 0)
        throw EPlusGridError("Invalid row accessed");
    const int known = int(selectedRows_.size());
    bool allow = true;
    if ((row > known || (row < known && selectedRows_[size_t(row)] != selected)) && OnRowDisjunctSelect)
        OnRowDisjunctSelect(this, row, selected, allow);
    if (!allow)
        return;
    if (row >= known)
        selectedRows_.resize(size_t(row) + 1, false);
    const int shown = mouseActions_->RowSelectPersistent ? RealToDisplayRow(row) : row;
    if (selected) {
        if (!selectedRows_[size_t(row)])
            RepaintRow(shown);
        selectedRows_[size_t(row)] = true;
        if (!selectedRowOrder_->HasValue(row))
            selectedRowOrder_->Add(row);
    } else {
        if (selectedRows_[size_t(row)])
            RepaintRow(shown);
        selectedRows_[size_t(row)] = false;
        selectedRowOrder_->RemoveValue(row);
    }
    if (OnRowDisjunctSelected)
        OnRowDisjunctSelected(this, row);
}

int TPlusStringGrid::SelectedRowCount()
{
    if (!mouseActions_->DisjunctRowSelect()) {
        const TGridRect s = Selection();
        return std::abs(s.Bottom - s.Top) + 1;
    }
    const size_t n = std::min(selectedRows_.size(), size_t(GetAllRowCount()));
    return int(std::count(selectedRows_.begin(), selectedRows_.begin() + std::ptrdiff_t(n), true));
}

void TPlusStringGrid::ClearRowSelection()
{
    if (selectedRows_.empty())
        return;
    for (size_t r = 0; r < selectedRows_.size(); ++r)
        if (selectedRows_[r]) {
            RepaintRow(int(r));
            selectedRows_[r] = false;
        }
    selectedRowOrder_->Clear();
}

void TPlusStringGrid::SelectRowsInRange(bool all)
{
    const TGridRect s = Selection();
    for (int b = TBaseGrid::FixedRows(); b < RowCount(); ++b) {
        const bool inRange = Between(b, s.Top, s.Bottom);
        if (all || inRange)
            SetRowSelected(mouseActions_->RowSelectPersistent ? DisplayToRealRow(b) : b, inRange);
    }
    if (!hiddenRows_.empty())
        Invalidate();
}

void TPlusStringGrid::SelectColsInRange(bool all)
{
    const TGridRect s = Selection();
    for (int b = TBaseGrid::FixedCols(); b < ColCount(); ++b) {
        const bool inRange = s.Left <= b && b <= s.Right;
        if (all || inRange)
            SetColSelected(b, inRange);
    }
}

void TPlusStringGrid::SelectSingleCell(int col, int row)
{
    SetSelection(TGridRect{col, row, col, row});
}

void TPlusStringGrid::FocusCell(int col, int row)
{
    MoveColRow(col, row, true, true);
}

bool TPlusStringGrid::GetColSelected(int col)
{
    if (col < 0 || col >= ColCount())
        throw EPlusGridError("Invalid column accessed");
    if (col >= int(selectedCols_.size()))
        selectedCols_.resize(size_t(col) + 1, false);
    return selectedCols_[size_t(col)];
}

void TPlusStringGrid::SetColSelected(int col, bool selected)
{
    if (col < 0 || col >= ColCount())
        throw EPlusGridError("Invalid column accessed");
    if (col >= int(selectedCols_.size()))
        selectedCols_.resize(size_t(col) + 1, false);
    if (selectedCols_[size_t(col)] != selected)
        RepaintCol(col);
    selectedCols_[size_t(col)] = selected;
}

void TPlusStringGrid::ClearColSelection()
{
    if (selectedCols_.empty())
        return;
    for (size_t c = 0; c < selectedCols_.size(); ++c)
        if (selectedCols_[c]) {
            RepaintCol(int(c));
            selectedCols_[c] = false;
        }
}

bool TPlusStringGrid::GetRowModified(int row) const
{
    return row >= 0 && row < rowModified_->Count() && rowModified_->GetItem(row) == 1;
}

void TPlusStringGrid::SetRowModified(int row, bool value)
{
    if (row < 0 || row >= GetAllRowCount())
        return;
    while (rowModified_->Count() <= row)
        rowModified_->Add(0);
    rowModified_->SetItem(row, value ? 1 : 0);
    RepaintCell(0, row);
}

bool TPlusStringGrid::GetRowEnabled(int row) const
{
    return !(row >= 0 && row < rowDisabled_->Count() && rowDisabled_->GetItem(row) != 0);
}

void TPlusStringGrid::SetRowEnabled(int row, bool value)
{
    if (row < 0 || row >= RowCount())
        return;
    RowDisablingUsed = true;
    while (rowDisabled_->Count() <= row)
        rowDisabled_->Add(0);
    rowDisabled_->SetItem(row, value ? 0 : 1);
    RepaintRow(row);
}

// ---------------------------------------------------------------- headers

void TPlusStringGrid::SetColumnHeaders(TStrings* value)
{
    columnHeaders_->BeginUpdate();
    if (value)
        columnHeaders_->Assign(*value);
    else
        columnHeaders_->Clear();
    columnHeaders_->EndUpdate();
    if (TBaseGrid::FixedRows() > 0)
        for (int c = 0; c < TotalColCount(); ++c)
            SetCellText(c, 0, String());
    ApplyColumnHeaders();
}

void TPlusStringGrid::SetRowHeaders(TStrings* value)
{
    rowHeaders_->BeginUpdate();
    if (value)
        rowHeaders_->Assign(*value);
    else
        rowHeaders_->Clear();
    rowHeaders_->EndUpdate();
    if (HasState(csDesigning) && TBaseGrid::FixedCols() > 0)
        for (int r = 0; r < RowCount(); ++r)
            SetCellText(0, r, String());
    ApplyRowHeaders();
}

void TPlusStringGrid::ApplyColumnHeaders()
{
    if (TBaseGrid::FixedRows() <= 0)
        return;
    for (int i = 0; i < columnHeaders_->Count() && i < TotalColCount(); ++i)
        SetCellText(i, 0, BackslashNToCR(columnHeaders_->Strings(i)));
}

void TPlusStringGrid::ApplyRowHeaders()
{
    if (TBaseGrid::FixedCols() <= 0)
        return;
    for (int i = 0; i < rowHeaders_->Count() && i < RowCount(); ++i)
        SetCellText(0, i, BackslashNToCR(rowHeaders_->Strings(i)));
}

// ---------------------------------------------------------------- highlights

void TPlusStringGrid::RewriteCellTextsInRange(int firstCol, int firstRow, int lastCol, int lastRow,
                                              const std::function<String(const String&)>& rewrite)
{
    firstRow = std::max(firstRow, 0);
    firstCol = std::max(firstCol, 0);
    lastRow = std::min(lastRow, RowCount() - 1);
    lastCol = std::min(lastCol, TotalColCount() - 1);
    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = firstCol; c <= lastCol; ++c) {
            if (!IsBaseOrPlainCell(c, r))
                continue;
            const String cell = OnGetDisplText ? GetCellText(c, r) : GetRawCell(c, r);
            SetCellText(c, r, rewrite(cell));
        }
}

void TPlusStringGrid::HighlightInRange(const String& text, const String& tag, int lastRow, int lastCol, int firstRow,
                                       int firstCol, bool caseSensitive)
{
    RewriteCellTextsInRange(firstCol, firstRow, lastCol, lastRow, [&](const String& cell) {
        return InsertHighlightTags(cell, text, tag, caseSensitive);
    });
}

void TPlusStringGrid::UnHighlightInRange(const String& tag, int firstCol, int lastRow, int lastCol, int firstRow)
{
    RewriteCellTextsInRange(firstCol, firstRow, lastCol, lastRow,
                            [&](const String& cell) { return RemoveHighlightTags(cell, tag); });
}

void TPlusStringGrid::HighlightInColumn(bool all, bool caseSensitive, const String& text, int col)
{
    if (all)
        HighlightInRange(text, "hi", RowCount() - 1, col, 0, col, caseSensitive);
    else
        HighlightInRange(text, "hi", RowCount() - fixedFooters_ - 1, col, FixedRows(), col, caseSensitive);
}

void TPlusStringGrid::HighlightInGrid(bool all, bool caseSensitive, const String& text)
{
    if (all)
        HighlightInRange(text, "hi", RowCount() - 1, ColCount() - 1, 0, 0, caseSensitive);
    else
        HighlightInRange(text, "hi", RowCount() - fixedFooters_ - 1, ColCount() - fixedRightCols_ - 1 + HiddenColCount,
                         FixedRows(), FixedCols(), caseSensitive);
}

void TPlusStringGrid::UnHighlightColumn(bool all, int col)
{
    if (all)
        UnHighlightInRange("hi", col, RowCount() - 1, col, 0);
    else
        UnHighlightInRange("hi", col, RowCount() - fixedFooters_ - 1, col, FixedRows());
}

void TPlusStringGrid::RemoveAllHighlights(bool all)
{
    if (all)
        UnHighlightInRange("hi", 0, RowCount() - 1, ColCount() + HiddenColCount - 1, 0);
    else
        UnHighlightInRange("hi", FixedCols(), RowCount() - fixedFooters_ - 1,
                           ColCount() - fixedRightCols_ - 1 + HiddenColCount, FixedRows());
}

// ---------------------------------------------------------------- merging of listed columns

void TPlusStringGrid::SplitAllMergedCells()
{
    for (int c = 0; c < ColCount(); ++c)
        SplitColumnCells(c);
}

void TPlusStringGrid::MergeListedColumns()
{
    for (int i = 0; i < autoMergeColumns_->Count(); ++i)
        MergeColumnCells(autoMergeColumns_->GetItem(i), i == 0);
}

// ---------------------------------------------------------------- the last row above the search footer

int TPlusStringGrid::SearchPanelHeight() const
{
    return searchFooter_->Visible() ? 32 : 0;
}

bool TPlusStringGrid::LastRowAboveSearchFooter()
{
    if (!searchFooter_->Visible() || TopRow() + VisibleRowCount() < RowCount() - 1)
        return false;
    return CellRect(0, RowCount() - 1).Bottom < ClientHeight() - SearchPanelHeight() + 2;
}

void TPlusStringGrid::KeepLastRowAboveSearchFooter()
{
    if (!searchFooter_->Visible())
        return;
    for (int guard = 0; guard < RowCount(); ++guard) {
        if (ClientHeight() - SearchPanelHeight() + 2 >= CellRect(0, RowCount() - 1).Bottom || Row() > RowCount() - 1 ||
            TopRow() >= RowCount())
            return;
        const int top = TopRow();
        SetTopRowChecked(top + 1);
        if (TopRow() == top)
            return; // the grid cannot scroll further
    }
}

// ---------------------------------------------------------------- hidden-row records

void TGridItem::Park(std::shared_ptr<TStringGrid::TStoreRows> block, int index, int cols)
{
    lines_.Clear();
    parked_ = std::move(block);
    parkedIndex_ = index;
    parkedCols_ = cols;
}

TStringList* TGridItem::Lines() const
{
    if (parked_) {
        lines_.SetCapacity(parkedCols_);
        for (int c = 0; c < parkedCols_; ++c)
            lines_.AddObject(parked_->Text(c, parkedIndex_), parked_->Object(c, parkedIndex_));
        parked_.reset();
    }
    return &lines_;
}

String TGridItem::LineText(int col) const
{
    if (parked_)
        return col >= 0 && col < parkedCols_ ? parked_->Text(col, parkedIndex_) : String();
    return col >= 0 && col < lines_.Count() ? lines_.Strings(col) : String();
}

TObject* TGridItem::LineObject(int col) const
{
    if (parked_)
        return col >= 0 && col < parkedCols_ ? parked_->Object(col, parkedIndex_) : nullptr;
    return col >= 0 && col < lines_.Count() ? lines_.Objects(col) : nullptr;
}
