#pragma once
// Random sequences of the string grid's cell and structure operations, read from bytes, with
// the grid's invariants checked after each operation. Used by the fuzz target and by a test
// that replays fixed random sequences.
#include "components/grid/PlusGrid.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace stringgrid_ops {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool More() const { return pos_ < size_; }
    int Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // A small index, now and then a wild one, so that the range checks are exercised too.
    int Index(int limit)
    {
        const int b = Byte();
        if (b >= 250)
            return b == 250 ? -1 : b == 251 ? limit : b == 252 ? limit + 5 : b == 253 ? 600 : -1000;
        return limit > 0 ? b % (limit + 1) : 0;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

inline int& LastOperation()
{
    static int op = -1;
    return op;
}

inline void Fail(const char* what, int a = 0, int b = 0)
{
    std::fprintf(stderr, "string grid invariant broken after operation %d: %s (%d, %d)\n", LastOperation(), what,
                 a, b);
    std::abort();
}

// The records the grid holds: in slots of its store and parked with hidden rows.
inline size_t CountRecords(TPlusStringGrid& g)
{
    size_t n = 0;
    g.ForEachObject([&](int, int, TObject* o) {
        if (dynamic_cast<TCellProperties*>(o))
            ++n;
    });
    for (int i = 0; i < g.HiddenRowCount(); ++i) {
        const TGridItem* item = g.HiddenRowItem(i);
        for (int c = 0; c < item->Items->Count(); ++c)
            if (dynamic_cast<TCellProperties*>(item->Items->Objects(c)))
                ++n;
    }
    return n;
}

inline void CheckInvariants(TPlusStringGrid& g)
{
    if (g.RowCount() < 1 || g.ColCount() < 1)
        Fail("grid without rows or columns", g.RowCount(), g.ColCount());
    if (g.FixedRows() >= g.RowCount() && g.RowCount() > 1)
        Fail("fixed rows reach the row count", g.FixedRows(), g.RowCount());
    int hidden = 0;
    for (int c = 0; c < 512; ++c)
        if (g.IsColumnHidden(c)) {
            ++hidden;
            if (c >= g.TotalColCount())
                Fail("hidden column beyond the grid", c, g.TotalColCount());
        }
    if (hidden != g.HiddenColCount)
        Fail("hidden column count", hidden, g.HiddenColCount);
    // hidden rows: sorted, distinct, inside the grid
    int last = -1;
    for (int i = 0; i < g.HiddenRowCount(); ++i) {
        const TGridItem* item = g.HiddenRowItem(i);
        if (item->Idx <= last)
            Fail("hidden rows out of order", last, item->Idx);
        last = item->Idx;
        if (item->Idx >= g.GetAllRowCount())
            Fail("hidden row beyond the grid", item->Idx, g.GetAllRowCount());
    }
    // the two numberings agree
    for (int d = 0; d < g.RowCount(); d += 1 + g.RowCount() / 16) {
        const int real = g.DisplayToRealRow(d);
        if (g.IsRowHidden(real) || g.RealToDisplayRow(real) != d)
            Fail("row mapping", d, real);
    }
    for (int d = 0; d < g.ColCount(); ++d)
        if (g.RealToDisplayColumn(g.DisplayToRealColumn(d)) != d)
            Fail("column mapping", d, g.DisplayToRealColumn(d));
    // every record is counted once by the grid, and none is lost (loose records go at the
    // end of each event, as they would between two events of a running program)
    g.FreeOrphanRecords();
    if (CountRecords(g) != g.LiveRecordCount()) {
        g.ForEachObject([&](int c, int r, TObject* o) {
            std::fprintf(stderr, "record at %d,%d (%p) rows %d cols %d\n", c, r, (void*)o, g.RowCount(),
                         g.TotalColCount());
        });
        Fail("records", int(CountRecords(g)), int(g.LiveRecordCount()));
    }
    // merged ranges point at base cells that hold them
    g.ForEachObject([&](int c, int r, TObject* o) {
        auto* record = dynamic_cast<TCellProperties*>(o);
        if (!record || record->IsBaseCell || r >= g.RowCount())
            return;
        const int bc = c - record->CellSpanX, br = r - record->CellSpanY;
        const TCellProperties* base = g.CellProperties(bc, br);
        if (!base || !base->IsBaseCell || bc + base->CellSpanX < c || br + base->CellSpanY < r) {
            std::fprintf(stderr, "covered %d,%d offset %d,%d base %p spans %d,%d total %d rows %d\n", c, r,
                         record->CellSpanX, record->CellSpanY, (void*)base, base ? base->CellSpanX : -9,
                         base ? base->CellSpanY : -9, g.TotalColCount(), g.RowCount());
            Fail("covered cell without its base", c, r);
        }
    });
    int nodes = 0;
    for (int r = 0; r < g.RowCount(); ++r)
        if (g.IsNodeRow(r))
            ++nodes;
    if (nodes > g.NodeCount)
        Fail("node rows", nodes, g.NodeCount);
}

inline void Run(const uint8_t* data, size_t size)
{
    Reader in(data, size);
    TPlusStringGrid grid(nullptr);
    TPlusStringGrid& g = grid;
    g.SetColCount(2 + in.Byte() % 6);
    g.SetRowCount(2 + in.Byte() % 12);
    for (int r = 0; r < g.RowCount(); ++r)
        for (int c = 0; c < g.ColCount(); ++c)
            g.SetCells(c, r, std::string(1, char('A' + (r * 7 + c) % 3)));
    int steps = 0;
    while (in.More() && steps++ < 64) {
        const int op = in.Byte() % 20;
        LastOperation() = op;
        static const bool trace = std::getenv("STRINGGRID_TRACE") != nullptr;
        if (trace)
            std::fprintf(stderr, "op %d rows %d cols %d hidden rows %d\n", op, g.RowCount(), g.TotalColCount(),
                         g.HiddenRowCount());
        const int cols = g.TotalColCount(), rows = g.RowCount(), all = g.GetAllRowCount();
        try {
        // every argument is read before the call, so that all compilers run the same sequence
        const int a = in.Index(cols), b = in.Index(rows), x = in.Byte(), y = in.Byte();
        switch (op) {
        case 0: g.SetCellText(a, b, std::string(1 + x % 3, char('A' + y % 3))); break;
        case 1: g.SetColors(a, b, TColor(x * 0x10101)); break;
        case 2: g.InsertRows(b, 1 + x % 3); break;
        case 3: g.RemoveRows(b, 1 + x % 3); break;
        case 4: { const int r = x % (all + 1); g.HideRows(r, r + y % 3); break; }
        case 5: { const int r = x % (all + 1); g.UnhideRows(r, r + y % 4); break; }
        case 6: g.HideColumn(a); break;
        case 7: g.UnhideColumn(a); break;
        case 8: g.MergeCellRange(a, b, 1 + x % 3, 1 + y % 3); break;
        case 9: g.UnmergeCellRange(a, b); break;
        case 10: g.GroupRowsByColumn(a); break;
        case 11: g.Ungroup(); break;
        case 12: g.InsertCols(a, 1 + x % 2); break;
        case 13: g.RemoveCols(a, 1 + x % 2); break;
        case 14: g.ClearRect(a, b, a + x % 3, b + y % 3); break;
        case 15: g.AddCheckBox(a, b, x & 1); break;
        case 16: g.SetRowCount(1 + x % 16); break;
        case 17: {
            TIntList list(-1, -1);
            list.Add(b);
            if (x & 1)
                list.Add(y % (rows + 1));
            g.HideRowList(&list);
            break;
        }
        case 18: g.UnhideLastLevel(); if (g.HideLevel > 0) --g.HideLevel; break;
        default:
            if (x & 1) g.ContractNode(b); else g.ExpandNode(b);
            break;
        }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "operation %d: %s\n", op, e.what());
            Fail("an operation raised", op, steps);
        }
        CheckInvariants(g);
    }
    // everything comes back, and what remains is still owned once
    LastOperation() = 100;
    g.ExpandAllNodes();
    CheckInvariants(g);
    LastOperation() = 101;
    g.UnhideAllRows();
    CheckInvariants(g);
    LastOperation() = 102;
    g.UnhideAllColumns();
    CheckInvariants(g);
    if (g.HiddenRowCount() != 0 || g.HiddenColCount != 0)
        Fail("hidden rows or columns left", g.HiddenRowCount(), g.HiddenColCount);
}

} // namespace stringgrid_ops
