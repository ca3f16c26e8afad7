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
    for (int r = first; r <= last; ++r)
        for (int c = 0; c < TotalColCount(); ++c)
            if (IsMergedDown(c, r)) {
                const TPoint base = BaseCellOf(c, r);
                UnmergeCellRange(base.X, base.Y);
            }
    SplitMergesCutBy(0, first, TotalColCount() - 1, last);
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

void TPlusStringGrid::GroupRowsByColumn(int col)
{
    // column 0 carries the node marks, so it cannot be the grouped column
    if (col < std::max(1, TBaseGrid::FixedCols()) || col >= TotalColCount())
        return;
    if (GroupColumn != -1)
        Ungroup();
    if (RowCount() <= TBaseGrid::FixedRows() || TotalColCount() < 3)
        return;
    TGrouping& g = *grouping_;
    BeginUpdate();
    try {
        const int fixedRows = TBaseGrid::FixedRows();
        GroupColumn = col;
        GroupColumnWidth = IsColumnHidden(col) ? SavedColumnWidth(col) : ColWidths(RealToDisplayColumn(col));
        if (fixedRows > 0)
            GroupColumnHeader = GetRawCell(col, 0);
        if (fixedFooters_ > 0)
            GroupColumnFooter = GetRawCell(col, RowCount() - 1);
        if (sortSettings_->AutoSortForGrouping) {
            sortSettings_->Column = col;
            SortByColumn(col);
        }
        const int hc = col == 1 ? 2 : 1;
        auto headerRow = [&](int r, bool asSet) {
            auto c = [&](TColor v) { return asSet ? v : ColorToRGB(v); };
            if (g.HeaderColor != clNone)
                SetRowColor(r, c(g.HeaderColor));
            if (g.HeaderColorTo != clNone)
                SetRowColorTo(r, c(g.HeaderColorTo));
            if (g.HeaderTextColor != clNone)
                SetRowFontColor(r, c(g.HeaderTextColor));
        };
        auto summaryRow = [&](int r, bool asSet) {
            auto c = [&](TColor v) { return asSet ? v : ColorToRGB(v); };
            if (g.SummaryColor != clNone)
                SetRowColor(r, c(g.SummaryColor));
            if (g.SummaryColorTo != clNone)
                SetRowColorTo(r, c(g.SummaryColorTo));
            if (g.SummaryTextColor != clNone)
                SetRowFontColor(r, c(g.SummaryTextColor));
        };
        int last = -1;
        String prev = kNoPrevious;
        int r = fixedRows;
        // closes the group whose header is at `last` before the row at r opens the next one
        auto closeGroup = [&](bool finalGroup) {
            if (last > fixedRows && g.Summary) {
                InsertRows(last, 1, true);
                MarkSummaryRow(last);
                if (!(g.MergeSummary && g.Summary))
                    summaryRow(last, false);
                ++last;
                AddNode(last, r - last + 1);
                ++r;
            } else {
                AddNode(last, r - last);
            }
            (void)finalGroup;
        };
        while (r <= RowCount() - 1 - fixedFooters_) {
            const String t = GetRawCell(col, r);
            if (t != prev) {
                if (last != -1)
                    closeGroup(false);
                InsertRows(r, 1, true);
                SetCellText(hc, r, t);
                if (!g.MergeHeader)
                    headerRow(r, false);
                last = r;
                ++r;
            }
            if (r < RowCount() - 1)
                prev = GetRawCell(col, r);
            ++r;
        }
        if (last == -1) {
            AddNode(fixedRows, r - 1);
        } else {
            closeGroup(true);
            if (!g.MergeHeader)
                headerRow(last, true);
        }
        if (g.Summary) {
            InsertRows(r, 1, true);
            MarkSummaryRow(r);
            if (!(g.MergeSummary && g.Summary))
                summaryRow(r, true);
        }
        RemoveCols(col, 1);
        if (g.MergeHeader || (g.MergeSummary && g.Summary)) {
            for (int row = fixedRows; row < RowCount(); ++row) {
                const bool node = IsNodeRow(row);
                if (node && g.MergeHeader) {
                    MergeCellRange(1, row, ColCount() - 1, 1);
                    if (g.HeaderColor != clNone)
                        SetColors(1, row, ColorToRGB(g.HeaderColor));
                    if (g.HeaderColorTo != clNone)
                        SetColorsTo(1, row, ColorToRGB(g.HeaderColorTo));
                    if (g.HeaderTextColor != clNone)
                        SetFontColors(1, row, ColorToRGB(g.HeaderTextColor));
                } else if (!node && g.MergeSummary && g.Summary &&
                           (row == RowCount() - 1 || IsNodeRow(row + 1)) && IsSummaryRow(row)) {
                    MergeCellRange(1, row, ColCount() - 1, 1);
                    if (g.SummaryColor != clNone)
                        SetColors(1, row, g.SummaryColor);
                    if (g.SummaryColorTo != clNone)
                        SetColorsTo(1, row, g.SummaryColorTo);
                    if (g.SummaryTextColor != clNone)
                        SetFontColors(1, row, g.SummaryTextColor);
                }
            }
        }
        if (Col() >= ColCount() || Row() >= RowCount())
            FocusCell(TBaseGrid::FixedCols(), fixedRows);
        SetRowChecked(fixedRows);
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
            RemoveNode(r);
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
    const TGrouping& g = *grouping_;
    if (cellOnly) {
        if (g.HeaderColor != clNone)
            SetColors(col, row, ColorToRGB(g.HeaderColor));
        if (g.HeaderColorTo != clNone)
            SetColorsTo(col, row, ColorToRGB(g.HeaderColorTo));
        if (g.HeaderTextColor != clNone)
            SetFontColors(col, row, ColorToRGB(g.HeaderTextColor));
        return;
    }
    if (g.HeaderColor != clNone)
        SetRowColor(row, ColorToRGB(g.HeaderColor));
    if (g.HeaderColorTo != clNone)
        SetRowColorTo(row, ColorToRGB(g.HeaderColorTo));
    if (g.HeaderTextColor != clNone)
        SetRowFontColor(row, ColorToRGB(g.HeaderTextColor));
}

void TPlusStringGrid::GiveSummaryColors(int col, int row, bool cellOnly)
{
    const TGrouping& g = *grouping_;
    if (cellOnly) {
        if (g.SummaryColor != clNone)
            SetColors(col, row, ColorToRGB(g.SummaryColor));
        if (g.SummaryColorTo != clNone)
            SetColorsTo(col, row, ColorToRGB(g.SummaryColorTo));
        if (g.SummaryTextColor != clNone)
            SetFontColors(col, row, ColorToRGB(g.SummaryTextColor));
        return;
    }
    if (g.SummaryColor != clNone)
        SetRowColor(row, ColorToRGB(g.SummaryColor));
    if (g.SummaryColorTo != clNone)
        SetRowColorTo(row, ColorToRGB(g.SummaryColorTo));
    if (g.SummaryTextColor != clNone)
        SetRowFontColor(row, ColorToRGB(g.SummaryTextColor));
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
                MarkSummaryRow(r);
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

double TPlusStringGrid::ColumnMin(int col, int fromRow, int toRow)
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
            result = std::min(result, value);
    }
    return result;
}

double TPlusStringGrid::ColumnMax(int col, int fromRow, int toRow)
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
            result = std::max(result, value);
    }
    return result;
}
