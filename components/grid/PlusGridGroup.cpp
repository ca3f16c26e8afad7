// Grouping: header rows (node rows) above each run of equal values of a column, optional
// summary rows, the grouped column taken out and put back; the column calculations and the
// plain sort grouping runs first.
#include "components/grid/PlusGrid.h"

#include "components/grid/TextRoutines.h"

#include <algorithm>
#include <numeric>

namespace {

// Differs from every cell text in practice, so that the first row always opens a group.
const String kNoPrevious("\xFF\xFE");

} // namespace

// ---------------------------------------------------------------- sorting for grouping

void TPlusStringGrid::SortByColumn(int col)
{
    const int first = TBaseGrid::FixedRows();
    const int last = RowCount() - fixedFooters_ - 1;
    if (col < 0 || col >= TotalColCount() || last - first < 1)
        return;
    const int n = last - first + 1;
    struct Key {
        String text;
        double number = 0;
        bool isNumber = false;
    };
    std::vector<Key> keys(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        Key& k = keys[size_t(i)];
        k.text = GetCellText(col, first + i);
        const String trimmed = Trim(k.text);
        k.isNumber = !trimmed.empty() && trimmed != "-" && GetNumberKind(trimmed) != nkNoNumber &&
                     TryStrToFloat(ExtractNumberText(trimmed), k.number);
    }
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    const bool descending = sortSettings_->Direction == sdDescending;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const Key& ka = keys[size_t(descending ? b : a)];
        const Key& kb = keys[size_t(descending ? a : b)];
        if (ka.isNumber && kb.isNumber)
            return ka.number < kb.number;
        if (ka.isNumber != kb.isNumber)
            return ka.isNumber; // numbers before texts
        return CompareStr(ka.text, kb.text) < 0;
    });
    BeginUpdate();
    // ranges over several rows cannot follow rows that part: they are split first
    SplitMergesOverRows(first, last);
    std::vector<int> heights(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        heights[size_t(i)] = RowHeights(first + order[size_t(i)]);
    PermuteStoreRows(first, order);
    for (int i = 0; i < n; ++i)
        if (RowHeights(first + i) != heights[size_t(i)])
            SetRowHeights(first + i, heights[size_t(i)]);
    sortSettings_->Column = col;
    EndUpdate();
    CellsChanged(TRect(0, first, ColCount() - 1, last));
}

// ---------------------------------------------------------------- grouping

void TPlusStringGrid::GiveGroupColors(const TGroupRowColors& colors, int col, int row, bool cellOnly, bool asSet)
{
    const auto value = [&](TColor v) { return asSet ? v : ColorToRGB(v); };
    if (cellOnly) {
        if (colors.Color != clNone)
            SetColors(col, row, value(colors.Color));
        if (colors.ColorTo != clNone)
            SetColorsTo(col, row, value(colors.ColorTo));
        if (colors.TextColor != clNone)
            SetFontColors(col, row, value(colors.TextColor));
        return;
    }
    if (colors.Color != clNone)
        SetRowColor(row, value(colors.Color));
    if (colors.ColorTo != clNone)
        SetRowColorTo(row, value(colors.ColorTo));
    if (colors.TextColor != clNone)
        SetRowFontColor(row, value(colors.TextColor));
}

TPlusStringGrid::TGroupRowColors TPlusStringGrid::GroupHeaderColors() const
{
    const TGrouping& g = *grouping_;
    return {g.HeaderColor, g.HeaderColorTo, g.HeaderTextColor};
}

TPlusStringGrid::TGroupRowColors TPlusStringGrid::GroupSummaryColors() const
{
    const TGrouping& g = *grouping_;
    return {g.SummaryColor, g.SummaryColorTo, g.SummaryTextColor};
}

void TPlusStringGrid::RecordGroupColumn(int col)
{
    GroupColumn = col;
    GroupColumnWidth = IsColumnHidden(col) ? SavedColumnWidth(col) : ColWidths(RealToDisplayColumn(col));
    if (TBaseGrid::FixedRows() > 0)
        GroupColumnHeader = GetRawCell(col, 0);
    if (fixedFooters_ > 0)
        GroupColumnFooter = GetRawCell(col, RowCount() - 1);
    if (sortSettings_->AutoSortForGrouping) {
        sortSettings_->Column = col;
        SortByColumn(col);
    }
}

void TPlusStringGrid::InsertGroupRows(int col)
{
    const TGrouping& g = *grouping_;
    const int fixedRows = TBaseGrid::FixedRows();
    const int hc = col == 1 ? 2 : 1;
    int last = -1;
    String prev = kNoPrevious;
    int r = fixedRows;
    // closes the group whose header is at `last` before the row at r opens the next one: the
    // summary of the group before goes above that header
    auto closeGroup = [&] {
        if (last > fixedRows && g.Summary) {
            InsertRows(last, 1, true);
            MarkSummaryRow(DisplayToRealRow(last));
            if (!(g.MergeSummary && g.Summary))
                GiveGroupColors(GroupSummaryColors(), 0, last, false, false);
            ++last;
            AddNode(DisplayToRealRow(last), r - last + 1);
            ++r;
        } else {
            AddNode(DisplayToRealRow(last), r - last);
        }
    };
    while (r <= RowCount() - 1 - fixedFooters_) {
        const String t = GetRawCell(col, r);
        if (t != prev) {
            if (last != -1)
                closeGroup();
            InsertRows(r, 1, true);
            SetCellText(hc, r, t);
            if (!g.MergeHeader)
                GiveGroupColors(GroupHeaderColors(), 0, r, false, false);
            last = r;
            ++r;
        }
        if (r < RowCount() - 1)
            prev = GetRawCell(col, r);
        ++r;
    }
    if (last == -1) {
        AddNode(DisplayToRealRow(fixedRows), r - 1);
    } else {
        closeGroup();
        if (!g.MergeHeader)
            GiveGroupColors(GroupHeaderColors(), 0, last, false, true);
    }
    if (g.Summary) {
        InsertRows(r, 1, true);
        MarkSummaryRow(DisplayToRealRow(r));
        if (!(g.MergeSummary && g.Summary))
            GiveGroupColors(GroupSummaryColors(), 0, r, false, true);
    }
}

void TPlusStringGrid::MergeGroupRows()
{
    const TGrouping& g = *grouping_;
    if (!g.MergeHeader && !(g.MergeSummary && g.Summary))
        return;
    for (int row = TBaseGrid::FixedRows(); row < RowCount(); ++row) {
        const bool node = IsNodeRow(row);
        if (node && g.MergeHeader) {
            MergeCellRange(1, row, ColCount() - 1, 1);
            GiveGroupColors(GroupHeaderColors(), 1, row, true, false);
        } else if (!node && g.MergeSummary && g.Summary && (row == RowCount() - 1 || IsNodeRow(row + 1)) &&
                   IsSummaryRow(row)) {
            MergeCellRange(1, row, ColCount() - 1, 1);
            GiveGroupColors(GroupSummaryColors(), 1, row, true, true);
        }
    }
}

void TPlusStringGrid::StashHiddenGroupTexts(int col)
{
    for (TGridItem* item : hiddenRows_) {
        item->HasGroupText = col < item->LineCount();
        item->GroupText = item->HasGroupText ? item->LineText(col) : String();
    }
}

void TPlusStringGrid::RestoreHiddenGroupTexts(int col, int headerCol)
{
    for (TGridItem* item : hiddenRows_) {
        String text = item->GroupText;
        if (!item->HasGroupText) {
            // a row hidden while grouped belongs to the group of the nearest header above it
            int d = RealToDisplayRow(item->Idx) - 1;
            while (d >= TBaseGrid::FixedRows() && !IsNodeRow(d))
                --d;
            if (d >= TBaseGrid::FixedRows())
                text = GetRawCell(headerCol, d);
        }
        if (col < item->Items->Count())
            item->Items->Put(col, text);
        item->HasGroupText = false;
        item->GroupText.clear();
    }
}

void TPlusStringGrid::GroupRowsByColumn(int col)
{
    // column 0 carries the node marks, so it cannot be the grouped column
    if (col < std::max(1, TBaseGrid::FixedCols()) || col >= TotalColCount())
        return;
    if (GroupColumn != -1)
        Ungroup();
    if (RowCount() <= TBaseGrid::FixedRows() || TotalColCount() < 3)
        return;
    BeginUpdate();
    try {
        RecordGroupColumn(col);
        InsertGroupRows(col);
        StashHiddenGroupTexts(col);
        RemoveCols(col, 1);
        MergeGroupRows();
        if (Col() >= ColCount() || Row() >= RowCount())
            FocusCell(TBaseGrid::FixedCols(), TBaseGrid::FixedRows());
        SetRowChecked(TBaseGrid::FixedRows());
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TPlusStringGrid::Ungroup()
{
    if (GroupColumn <= 0)
        return;
    TGrouping& g = *grouping_;
    GroupColumn = std::min(GroupColumn, TotalColCount());
    BeginUpdate();
    try {
        ExpandAllNodes();
        const int hc = GroupColumn == 1 ? 2 : 1;
        InsertCols(GroupColumn, 1);
        const int display = RealToDisplayColumn(GroupColumn);
        if (display >= 0 && display < ColCount())
            SetColWidths(display, GroupColumnWidth);
        if (TBaseGrid::FixedRows() > 0)
            SetCellText(GroupColumn, 0, GroupColumnHeader);
        if (fixedFooters_ > 0)
            SetCellText(GroupColumn, RowCount() - 1, GroupColumnFooter);
        RestoreHiddenGroupTexts(GroupColumn, hc);
        String value;
        int r = TBaseGrid::FixedRows();
        while (r <= RowCount() - 1 - fixedFooters_) {
            if (!IsNodeRow(r)) {
                SetCellText(GroupColumn, r, value);
                ++r;
                continue;
            }
            if (g.Summary) {
                const int s = GetNodeSpan(r);
                const int summary = r + s;
                if (s > 0 && summary < RowCount() - fixedFooters_ && IsSummaryRow(summary)) {
                    if (g.MergeSummary)
                        UnmergeCellRange(1, summary);
                    ClearRect(0, summary, TotalColCount() - 1, summary);
                    DeleteRowRange(summary, 1, true);
                }
            }
            value = GetRawCell(hc, r);
            RemoveNode(DisplayToRealRow(r));
            if (g.MergeHeader)
                UnmergeCellRange(1, r);
            ClearRect(0, r, TotalColCount() - 1, r);
            if (RowCount() - 1 <= TBaseGrid::FixedRows()) {
                // the grid keeps one row below the fixed rows
                break;
            }
            DeleteRowRange(r, 1, true);
        }
        GroupColumn = -1;
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    Invalidate();
}

// ---------------------------------------------------------------- sub-grouping

int TPlusStringGrid::GetNodeValue(int row)
{
    const TCellGraphic* g = IsNodeRow(row) ? GetCellGraphicOf(0, row) : nullptr;
    return g ? g->CellVariant : -1;
}

void TPlusStringGrid::GiveHeaderColors(int col, int row, bool cellOnly)
{
    GiveGroupColors(GroupHeaderColors(), col, row, cellOnly, false);
}

void TPlusStringGrid::GiveSummaryColors(int col, int row, bool cellOnly)
{
    GiveGroupColors(GroupSummaryColors(), col, row, cellOnly, false);
}

void TPlusStringGrid::SubGroupRowsByColumn(int col)
{
    // the sub-header text goes one column to the right of the sub-grouped one
    if (col < TBaseGrid::FixedCols() || col < 1 || col + 1 >= TotalColCount())
        return;
    const TGrouping& g = *grouping_;
    BeginUpdate();
    try {
        auto plain = [&](int row) { return !IsNodeRow(row) && !IsSummaryRow(row); };
        auto makeSubNode = [&](int row, int span) {
            AddNode(DisplayToRealRow(row), span);
            if (TCellGraphic* node = GetCellGraphicOf(0, row))
                node->CellVariant = col;
        };
        auto header = [&](int row) {
            if (g.MergeHeader) {
                MergeCellRange(col + 1, row, ColCount() - (col + 1), 1);
                GiveHeaderColors(col + 1, row, true);
            } else {
                GiveHeaderColors(col + 1, row, false);
            }
        };
        int last = -1;
        String prev = kNoPrevious;
        int r = TBaseGrid::FixedRows() + 1;
        while (r < RowCount() - fixedFooters_) {
            const String t = GetCellText(col, r);
            if (t != prev || !plain(r)) {
                if (last != -1 && plain(last))
                    makeSubNode(last, r - last);
                if (plain(r)) {
                    InsertRowInNode(DisplayToRealRow(r), 0);
                    SetCellText(col + 1, r, t);
                    header(r);
                }
                last = r;
                ++r;
            }
            if (r < RowCount() && plain(r - 1)) {
                prev = GetCellText(col, r);
                SetCellText(col, r, String());
                ++r;
            } else {
                prev = kNoPrevious; // after a header or summary row the next row opens a sub-group
            }
        }
        if (last == -1 || !IsSummaryRow(last)) {
            if (last == -1) {
                InsertRowInNode(DisplayToRealRow(r), 0);
                makeSubNode(r, 2);
                SetCellText(col + 1, r, GetCellText(col, r + 1));
                ++r;
                SetCellText(col, r, String());
            } else if (plain(last)) {
                makeSubNode(last, r - last);
                header(last);
            }
            // footer rows keep their cells
            if (r < RowCount() - fixedFooters_ && plain(r - 1)) {
                prev = GetCellText(col, r);
                SetCellText(col, r, String());
                ++r;
            }
            if (g.Summary) {
                InsertRows(r, 1, true);
                MarkSummaryRow(DisplayToRealRow(r));
                if (g.MergeSummary) {
                    MergeCellRange(col + 1, r, ColCount() - (col + 1), 1);
                    GiveSummaryColors(col + 1, r, true);
                } else {
                    GiveSummaryColors(col + 1, r, false);
                }
            }
        }
        SetRowChecked(TBaseGrid::FixedRows());
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TPlusStringGrid::SubUngroup(int col)
{
    if (col < 0 || col + 1 >= TotalColCount())
        return;
    BeginUpdate();
    try {
        ExpandAllNodes();
        String value;
        int r = TBaseGrid::FixedRows();
        while (r <= RowCount() - 1 - fixedFooters_) {
            if (IsNodeRow(r) && GetNodeValue(r) == col) {
                value = GetCellText(col + 1, r);
                RemoveNode(DisplayToRealRow(r));
                if (grouping_->MergeHeader)
                    UnmergeCellRange(col + 1, r);
                RemoveRowInNode(DisplayToRealRow(r));
            } else if (IsNodeRow(r) || IsSummaryRow(r)) {
                ++r; // header and summary rows keep their cells
            } else {
                SetCellText(col, r, value);
                ++r;
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    Invalidate();
}

// ---------------------------------------------------------------- column calculations

namespace {

bool CellNumber(TPlusStringGrid& grid, int col, int row, bool real, double& value)
{
    try {
        if (!real) {
            value = grid.GetCellFloat(col, row);
            return true;
        }
        String text = ExtractNumberText(grid.GetAllCells(col, row));
        if (text.empty() || text == "-")
            text = "0";
        TFormatSettings dot = FormatSettings();
        dot.DecimalSeparator = '.';
        return TryStrToFloat(text, value, dot);
    } catch (const EPlusGridError&) {
        return false;
    }
}

} // namespace

double TPlusStringGrid::ColumnSum(int col, int fromRow, int toRow)
{
    if (col < 0 || col >= TotalColCount() || fromRow < 0)
        return 0;
    const bool real = toRow > LastShownDataRow();
    toRow = std::min(toRow, real ? GetAllRowCount() - 1 : RowCount() - 1);
    double sum = 0;
    for (int i = fromRow; i <= toRow; ++i) {
        const int d = real ? RealToDisplayRow(i) : i;
        const bool hidden = real && IsRowHidden(i);
        const bool counts = hidden || GroupColumn == -1 || (!IsNodeRow(d) && !IsSummaryRow(d));
        if (!counts || (!hidden && !IsBaseOrPlainCell(col, d)))
            continue;
        double value = 0;
        if (CellNumber(*this, col, real ? i : d, real, value))
            sum += value;
    }
    return sum;
}

double TPlusStringGrid::ColumnAverage(int col, int fromRow, int toRow)
{
    const int n = toRow - fromRow + 1;
    return n > 0 ? ColumnSum(col, fromRow, toRow) / n : 0;
}

double TPlusStringGrid::ColumnExtreme(int col, int fromRow, int toRow, bool largest)
{
    if (col < 0 || col >= TotalColCount() || fromRow < 0 || fromRow >= RowCount())
        return 0;
    const bool real = toRow > LastShownDataRow();
    toRow = std::min(toRow, real ? GetAllRowCount() - 1 : RowCount() - 1);
    double result = GetCellFloat(col, fromRow);
    for (int i = fromRow; i <= toRow; ++i) {
        const int d = real ? RealToDisplayRow(i) : i;
        const bool hidden = real && IsRowHidden(i);
        if (!(hidden || GroupColumn == -1 || (!IsNodeRow(d) && !IsSummaryRow(d))))
            continue;
        double value = 0;
        if (CellNumber(*this, col, real ? i : d, real, value))
            result = largest ? std::max(result, value) : std::min(result, value);
    }
    return result;
}

double TPlusStringGrid::ColumnMin(int col, int fromRow, int toRow)
{
    return ColumnExtreme(col, fromRow, toRow, false);
}

double TPlusStringGrid::ColumnMax(int col, int fromRow, int toRow)
{
    return ColumnExtreme(col, fromRow, toRow, true);
}
