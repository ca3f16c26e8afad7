// Sorting of the string grid: the sort settings, the comparison styles and the row sorts.
//
// A sort computes the new order of its rows first and moves them once: the cells of every
// stored column (hidden ones included), the row heights, the row order list and the row flags
// move together, so no row can part from its objects and no row outside the range is touched.
// The order is a stable merge sort over a comparison that is a total order for every style:
// each cell gets a key (a class rank, a number, a text) and keys compare class first. The
// merge sort never indexes outside its range even when an application's comparison event is
// not consistent.
#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"
#include "components/grid/HtmlUtils.h"
#include "components/grid/TextRoutines.h"

#include "platform/rtl/WideText.h"

#include <algorithm>
#include <charconv>
#include <numeric>

// ---------------------------------------------------------------- TSortSettings

TSortSettings::TSortSettings(TPlusStringGrid* grid)
    : Grid(grid), upGlyph_(std::make_unique<TBitmap>()), downGlyph_(std::make_unique<TBitmap>()),
      indexUpGlyph_(std::make_unique<TBitmap>()), indexDownGlyph_(std::make_unique<TBitmap>())
{
}

TSortSettings::~TSortSettings() = default;

void TSortSettings::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TSortSettings*>(source);
    if (!other || other == this)
        return;
    Show = other->Show;
    IndexShow = other->IndexShow;
    Full = other->Full;
    SingleColumn = other->SingleColumn;
    IgnoreBlanks = other->IgnoreBlanks;
    BlankPos = other->BlankPos;
    AutoFormat = other->AutoFormat;
    Direction = other->Direction;
    upGlyph_->Assign(other->upGlyph_.get());
    downGlyph_->Assign(other->downGlyph_.get());
    indexUpGlyph_->Assign(other->indexUpGlyph_.get());
    indexDownGlyph_->Assign(other->indexDownGlyph_.get());
    NormalCellsOnly = other->NormalCellsOnly;
    FixedCols = other->FixedCols;
    Column = other->Column;
    Row = other->Row;
    AutoColumnMerge = other->AutoColumnMerge;
    IndexColor = other->IndexColor;
    InitSortDirection = other->InitSortDirection;
    UndoSort = other->UndoSort;
    AutoSortForGrouping = other->AutoSortForGrouping;
    headerColor_ = other->headerColor_;
    headerColorTo_ = other->headerColorTo_;
    headerMirrorColor_ = other->headerMirrorColor_;
    headerMirrorColorTo_ = other->headerMirrorColorTo_;
    IndexSortKey = other->IndexSortKey;
}

void TSortSettings::SetRow(int value)
{
    if (Grid && value >= Grid->FixedRows())
        throw Exception("Sort row should be smaller than number of fixed rows");
    Row = value;
}

void TSortSettings::SetShow(bool value)
{
    Show = value;
    if (Grid)
        Grid->Invalidate();
}

void TSortSettings::SetUpGlyph(TBitmap* value) { upGlyph_->Assign(value); }
void TSortSettings::SetDownGlyph(TBitmap* value) { downGlyph_->Assign(value); }
void TSortSettings::SetIndexUpGlyph(TBitmap* value) { indexUpGlyph_->Assign(value); }
void TSortSettings::SetIndexDownGlyph(TBitmap* value) { indexDownGlyph_->Assign(value); }

void TSortSettings::SetHeader(TColor& field, TColor value)
{
    if (field == value)
        return;
    field = value;
    if (Grid && Grid->FixedRows() > 0)
        Grid->RepaintRow(Grid->FixedRows() - 1);
}

// ---------------------------------------------------------------- keys

namespace {

constexpr uint32_t kDescendingBit = 0x80000000u;

// The decimal conversion of the numeric styles: leading blanks, a sign, digits, one full stop
// and an exponent; nothing may follow.
bool ConvertDecimal(const String& text, double& value)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i >= text.size())
        return false;
    for (size_t k = i; k < text.size(); ++k) {
        const char c = text[k];
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
            return false;
    }
    if (text[i] == '+' || text[i] == '-')
        return false;
    double v = 0;
    const char* begin = text.data() + i;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(begin, end, v, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end)
        return false;
    value = negative ? -v : v;
    return true;
}

void DeleteFirst(String& text, const String& part)
{
    if (part.empty())
        return;
    const size_t p = text.find(part);
    if (p != String::npos)
        text.erase(p, part.size());
}

// The numeric value of a text by the numeric and financial rules; false when it is no number.
bool NumericValue(String text, const String& prefix, const String& suffix, bool financial, double& value)
{
    DeleteFirst(text, suffix);
    DeleteFirst(text, prefix);
    const TFormatSettings& fs = FormatSettings();
    if (financial)
        text.erase(std::remove(text.begin(), text.end(), fs.ThousandSeparator), text.end());
    if (fs.DecimalSeparator != '.') {
        const size_t p = text.find(fs.DecimalSeparator);
        if (p != String::npos)
            text[p] = '.';
    }
    return ConvertDecimal(text, value);
}

// 1-based position of ch in text, 0 when absent.
size_t PosOf(char ch, const String& text)
{
    const size_t p = text.find(ch);
    return p == String::npos ? 0 : p + 1;
}

bool DigitsAround(const String& text, size_t p)
{
    return p >= 2 && p < text.size() && IsDigitChar(text[p - 2]) && IsDigitChar(text[p]);
}

// Windows-like collation over the system code page: letters compare case-blind first, then
// a lower-case letter sorts before its upper-case form.
String SwapCase(const String& text)
{
    String out = text;
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
            c = static_cast<char>(u - 0x20);
        else if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7))
            c = static_cast<char>(u + 0x20);
    }
    return out;
}

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

template <typename T>
int Compare3(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

// Ranks of the classes a key can fall in; lower ranks sort first (ascending).
enum : uint8_t { rkEmpty = 0, rkCheck = 1, rkNumber = 2, rkDate = 3, rkTime = 4, rkText = 5 };

// A key as it is built.
struct TSortKey {
    uint8_t rank = rkText;
    bool empty = false; // the text the style compares is empty (blank placement)
    double value = 0;
    String text;   // compared byte-wise (or by the event for ssCustom)
    String second; // tie-breaker of the locale styles
    WideString wide;
};

// A key as it is kept: the class, the number and, for a key that compares texts, the index of
// its texts in the column's text tables (texts of numbers and empty cells are not kept).
struct TStoredSortKey {
    double value = 0;
    uint32_t texts = 0; // 1-based; 0: none
    uint8_t rank = rkText;
    bool empty = false;
    bool built = false;
};

// The keys and the comparison of one column for one sort (or one public comparison).
class TGridRowSorter {
public:
    TGridRowSorter(TPlusStringGrid& grid, int first, int count) : grid_(grid), first_(first), count_(count) {}

    // -1, 0 or 1 for two rows of the column; direction byte as CompareCellsForSort.
    int CompareCells(int col, int row1, BYTE direction, int row2)
    {
        Column& c = ColumnFor(col);
        if (c.style == ssRaw) {
            int res = 0;
            if (grid_.OnRawCompare)
                grid_.OnRawCompare(&grid_, col, row1, row2, res);
            return Sign(res);
        }
        const TStoredSortKey a = KeyOf(c, col, row1);
        const TStoredSortKey b = KeyOf(c, col, row2);
        return CompareStored(c, a, b, direction);
    }

    // The stable order of rows first..first+count-1 by the column (ascending when target is 1,
    // descending when -1) and, with Full, by the columns after it on ties.
    std::vector<int> OrderByColumn(int col, int target)
    {
        const TSortSettings& s = *grid_.SortSettings();
        const BYTE direction = s.Direction == sdDescending ? 1 : 0;
        const bool full = s.Full;
        auto byRows = [&](int a, int b) { return target * CompareByColumn(col, a, b); };
        if (col >= grid_.ColCount() || grid_.ExcludedColumns()->HasValue(col))
            return Order(byRows);
        Column& c = ColumnFor(col);
        if (c.style == ssRaw || c.style == ssCustom || c.style == ssUnicode)
            return Order(byRows);
        // every key is needed: built in row order, then sorted as values beside their rows
        struct Item {
            double value;
            int32_t index;
            uint8_t rank;
            bool empty;
        };
        std::vector<Item> items(static_cast<size_t>(count_));
        for (int i = 0; i < count_; ++i) {
            const TStoredSortKey& k = KeyOf(c, col, first_ + i);
            items[size_t(i)] = Item{k.value, i, k.rank, k.empty};
        }
        const bool ignoreBlanks = s.IgnoreBlanks;
        const int blanksFirst = s.BlankPos == blFirst ? -1 : 1;
        auto cmp = [&](const Item& a, const Item& b) {
            int r;
            if (ignoreBlanks && a.empty != b.empty) {
                r = a.empty ? blanksFirst : -blanksFirst;
                if (direction == 1)
                    r = -r;
            } else if (a.rank != b.rank) {
                r = a.rank < b.rank ? -1 : 1;
            } else if (a.rank == rkEmpty) {
                r = 0;
            } else if (a.rank == rkText) {
                r = CompareStoredTexts(c, c.keys[size_t(a.index)], c.keys[size_t(b.index)]);
            } else {
                r = Compare3(a.value, b.value);
            }
            r *= target;
            if (r == 0 && full)
                r = target * CompareByColumn(col + 1, first_ + a.index, first_ + b.index);
            return r;
        };
        MergeSort(items, cmp);
        std::vector<int> order(items.size());
        for (size_t i = 0; i < items.size(); ++i)
            order[i] = items[i].index;
        return order;
    }

    int CompareByColumn(int col, int row1, int row2)
    {
        const int colCount = grid_.ColCount();
        const TSortSettings& s = *grid_.SortSettings();
        const BYTE direction = s.Direction == sdDescending ? 1 : 0;
        for (int c = col; c < colCount; ++c) {
            const int r = grid_.ExcludedColumns()->HasValue(c) ? 0 : CompareCells(c, row1, direction, row2);
            if (r != 0 || !s.Full)
                return r;
        }
        return 0;
    }

    int CompareByIndex(int position, int row1, int row2)
    {
        const TSortIndexList& list = *grid_.SortIndexList();
        const bool full = grid_.SortSettings()->Full;
        for (int p = position; p < list.Count(); ++p) {
            const uint32_t entry = static_cast<uint32_t>(list.GetItem(p));
            const int col = static_cast<int>(entry & ~kDescendingBit);
            const bool descending = (entry & kDescendingBit) != 0;
            const int r = grid_.ExcludedColumns()->HasValue(col) ? 0 : CompareCells(col, row1, descending ? 1 : 0, row2);
            if (r != 0 || !full)
                return descending ? -r : r;
        }
        return 0;
    }

    // The stable order of rows first..first+count-1 by cmp(row1, row2).
    template <typename Cmp>
    std::vector<int> Order(Cmp cmp)
    {
        std::vector<int> order(static_cast<size_t>(count_));
        std::iota(order.begin(), order.end(), 0);
        MergeSort(order, [&](int a, int b) { return cmp(first_ + a, first_ + b); });
        return order;
    }

    // Stable: an element moves before an earlier one only when cmp(later, earlier) < 0. Runs of
    // a few elements are sorted by insertion first, then merged bottom-up; every index either
    // step reads lies inside the run it works on, whatever cmp answers.
    template <typename T, typename Cmp>
    static void MergeSort(std::vector<T>& v, Cmp cmp)
    {
        const size_t n = v.size();
        constexpr size_t kRun = 16;
        for (size_t lo = 0; lo < n; lo += kRun) {
            const size_t hi = std::min(lo + kRun, n);
            for (size_t i = lo + 1; i < hi; ++i) {
                T x = std::move(v[i]);
                size_t j = i;
                while (j > lo && cmp(x, v[j - 1]) < 0) {
                    v[j] = std::move(v[j - 1]);
                    --j;
                }
                v[j] = std::move(x);
            }
        }
        if (n <= kRun)
            return;
        std::vector<T> buffer(n);
        for (size_t width = kRun; width < n; width *= 2) {
            for (size_t lo = 0; lo < n; lo += 2 * width) {
                const size_t mid = std::min(lo + width, n);
                const size_t hi = std::min(lo + 2 * width, n);
                size_t i = lo, j = mid, k = lo;
                // runs already in order are copied whole
                if (mid < hi && !(cmp(v[mid], v[mid - 1]) < 0)) {
                    std::move(v.begin() + long(lo), v.begin() + long(hi), buffer.begin() + long(lo));
                    continue;
                }
                while (i < mid && j < hi)
                    buffer[k++] = cmp(v[j], v[i]) < 0 ? std::move(v[j++]) : std::move(v[i++]);
                while (i < mid)
                    buffer[k++] = std::move(v[i++]);
                while (j < hi)
                    buffer[k++] = std::move(v[j++]);
            }
            v.swap(buffer);
        }
    }

private:
    struct Column {
        TSortStyle style = ssAutomatic;
        String prefix, suffix;
        std::vector<TStoredSortKey> keys; // by row - first_, built on first use
        // the texts of the keys that compare texts, by TStoredSortKey::texts - 1 (seconds only
        // for the style that has them, wides only for the wide style)
        std::vector<String> texts, seconds;
        std::vector<WideString> wides;
        TSortKey build;
    };

    Column& ColumnFor(int col)
    {
        if (col < 0)
            col = -1;
        const size_t slot = size_t(col + 1);
        if (slot >= columns_.size())
            columns_.resize(slot + 1);
        if (!columns_[slot]) {
            columns_[slot] = std::make_unique<Column>();
            Column& c = *columns_[slot];
            const TSortSettings& s = *grid_.SortSettings();
            c.style = s.AutoFormat ? ssAutomatic : (s.IgnoreCase ? ssAlphaNoCase : ssAlphabetic);
            grid_.DoGetFormat(col, c.style, c.prefix, c.suffix);
            c.keys.resize(static_cast<size_t>(std::max(count_, 0)));
        }
        return *columns_[slot];
    }

    // The key of a row; one outside the range is built again on each call.
    TStoredSortKey KeyOf(Column& c, int col, int row)
    {
        const int i = row - first_;
        if (i >= 0 && i < count_) {
            TStoredSortKey& k = c.keys[size_t(i)];
            if (!k.built)
                k = Store(c, col, row);
            return k;
        }
        return Store(c, col, row);
    }

    TStoredSortKey Store(Column& c, int col, int row)
    {
        TSortKey& k = c.build;
        k.rank = rkText;
        k.empty = false;
        k.value = 0;
        k.text.clear();
        k.second.clear();
        k.wide.clear();
        BuildKey(c, col, row, k);
        TStoredSortKey stored;
        stored.value = k.value;
        stored.rank = k.rank;
        stored.empty = k.empty;
        stored.built = true;
        if (k.rank == rkText || c.style == ssCustom || c.style == ssUnicode) {
            c.texts.push_back(std::move(k.text));
            if (c.style == ssAnsiAlphaCase)
                c.seconds.push_back(std::move(k.second));
            if (c.style == ssUnicode)
                c.wides.push_back(std::move(k.wide));
            stored.texts = uint32_t(c.texts.size());
        }
        return stored;
    }

    String TextOf(int col, int row)
    {
        return grid_.SortSettings()->SortOnVirtualCells ? grid_.GetCellText(col, row) : grid_.GetRawCell(col, row);
    }

    void TextKey(TSortKey& k, const String& text, bool noCase)
    {
        k.rank = text.empty() ? rkEmpty : rkText;
        k.empty = text.empty();
        k.text = noCase ? UpperCase(text) : text;
    }

    void DateKey(TSortKey& k, const String& text, double value)
    {
        k.rank = rkDate;
        k.empty = text.empty();
        k.value = value;
    }

    // ssAutomatic: every cell is classed by its own text, so the order is the same whichever
    // row is asked first: empty cells, check boxes, numbers, dates, times, then other texts.
    void AutomaticKey(TSortKey& k, int col, int row, const String& text, bool alphaNumeric, bool noCase)
    {
        if (!alphaNumeric) {
            const TCellType type = grid_.GetCellType(col, row);
            if (type == ctCheckBox || type == ctDataCheckBox || type == ctVirtCheckBox || type == ctRowCheckBox) {
                k.rank = rkCheck;
                k.value = grid_.GetCheckBoxState(col, row) ? 1 : 0;
                return;
            }
        }
        if (text.empty()) {
            TextKey(k, text, noCase);
            return;
        }
        const uint8_t kind = GetNumberKind(text);
        double v = 0;
        if ((kind == nkInteger || kind == nkDecimal || kind == nkExponent) && NumericValue(text, "", "", false, v)) {
            k.rank = rkNumber;
            k.value = v;
            return;
        }
        if (!alphaNumeric) {
            const TFormatSettings& fs = FormatSettings();
            const size_t p = PosOf(fs.DateSeparator, text);
            TDateTime dt = 0;
            if (p >= 2 && p <= 3 && p < text.size()) {
                if (DigitsAround(text, p) && TryStrToDateTime(text, dt)) {
                    k.rank = rkDate;
                    k.value = dt;
                    return;
                }
            } else {
                const size_t q = PosOf(fs.TimeSeparator, text);
                if (q >= 2 && q <= 3 && q < text.size() && DigitsAround(text, q) && TryStrToTime(text, dt)) {
                    k.rank = rkTime;
                    k.value = dt;
                    return;
                }
            }
        }
        TextKey(k, text, noCase);
    }

    void BuildKey(Column& c, int col, int row, TSortKey& k)
    {
        const TSortSettings& s = *grid_.SortSettings();
        String text = TextOf(col, row);
        switch (c.style) {
        case ssAutomatic:
            AutomaticKey(k, col, row, text, false, s.IgnoreCase);
            break;
        case ssAlphaNumeric:
        case ssAlphaNumericNoCase:
            AutomaticKey(k, col, row, text, true, c.style == ssAlphaNumericNoCase);
            break;
        case ssAlphabetic:
        case ssAlphaCase:
            TextKey(k, text, false);
            break;
        case ssAlphaNoCase:
            TextKey(k, text, true);
            break;
        case ssAnsiAlphaCase:
        case ssAnsiAlphaNoCase:
            TextKey(k, AnsiUpperCase(text), false);
            k.empty = text.empty();
            if (c.style == ssAnsiAlphaCase)
                k.second = SwapCase(text);
            break;
        case ssNumeric:
        case ssFinancial: {
            double v = 0;
            String stripped = text;
            DeleteFirst(stripped, c.suffix);
            DeleteFirst(stripped, c.prefix);
            k.empty = stripped.empty();
            if (NumericValue(text, c.prefix, c.suffix, c.style == ssFinancial, v)) {
                k.rank = rkNumber;
                k.value = v;
            } else if (grid_.GetCellText(col, row).empty()) {
                k.rank = rkNumber; // an empty cell counts as 0
                k.value = 0;
            } else {
                k.rank = rkText; // text in a numeric column: after the numbers, by its bytes
                k.text = text;
            }
            break;
        }
        case ssDate:
        case ssDateTime: {
            TDateTime dt = 0;
            if (text.empty() || !TryStrToDateTime(text, dt))
                dt = 0;
            DateKey(k, text, dt);
            break;
        }
        case ssShortDateEU:
        case ssShortDateUS: {
            double v = 0;
            try {
                v = c.style == ssShortDateEU ? ParseDateDMY(text) : ParseDateMDY(text);
            } catch (const Exception&) {
                v = 0;
            }
            DateKey(k, text, v);
            break;
        }
        case ssTime: {
            TDateTime dt = 0;
            if (text.empty() || !TryStrToTime(text, dt))
                dt = 0;
            DateKey(k, text, dt);
            break;
        }
        case ssCustom:
            k.text = text;
            k.empty = text.empty();
            break;
        case ssHTML: {
            const String plain = HtmlToPlainText(grid_.GetCellText(col, row));
            TextKey(k, plain, false);
            break;
        }
        case ssImages: {
            k.rank = rkNumber;
            const TCellGraphic* g = grid_.GetCellGraphicOf(col, row);
            k.value = g && g->CellType == ctImageList ? g->CellIndex : -1;
            k.empty = text.empty();
            break;
        }
        case ssCheckBox:
            k.rank = rkCheck;
            k.value = grid_.GetCheckBoxState(col, row) ? 1 : 0;
            k.empty = text.empty();
            break;
        case ssUnicode:
            k.wide = DecodeWideCellText(text);
            k.empty = k.wide.empty();
            break;
        default:
            // a style without a comparison: all cells equal
            k.rank = rkEmpty;
            k.empty = text.empty();
            break;
        }
    }

    static const String& TextOf(const std::vector<String>& table, const TStoredSortKey& k)
    {
        static const String none;
        return k.texts > 0 && k.texts <= table.size() ? table[k.texts - 1] : none;
    }

    // Two text keys of the same column: their texts, then the locale styles' tie-breakers.
    static int CompareStoredTexts(const Column& c, const TStoredSortKey& a, const TStoredSortKey& b)
    {
        const int r = Sign(TextOf(c.texts, a).compare(TextOf(c.texts, b)));
        if (r != 0 || c.seconds.empty())
            return r;
        return Sign(TextOf(c.seconds, a).compare(TextOf(c.seconds, b)));
    }

    int CompareStored(Column& c, const TStoredSortKey& a, const TStoredSortKey& b, BYTE direction)
    {
        int r = CompareKeys(c, a, b);
        const TSortSettings& s = *grid_.SortSettings();
        if (s.IgnoreBlanks && a.empty != b.empty) {
            const bool firstBlank = a.empty;
            r = (firstBlank == (s.BlankPos == blFirst)) ? -1 : 1;
            if (direction == 1)
                r = -r;
        }
        return r;
    }

    int CompareKeys(Column& c, const TStoredSortKey& a, const TStoredSortKey& b)
    {
        switch (c.style) {
        case ssCustom: {
            int res = 0;
            if (grid_.OnCustomCompare)
                grid_.OnCustomCompare(&grid_, TextOf(c.texts, a), TextOf(c.texts, b), res);
            return Sign(res);
        }
        case ssUnicode: {
            static const WideString none;
            const WideString& wa = a.texts > 0 && a.texts <= c.wides.size() ? c.wides[a.texts - 1] : none;
            const WideString& wb = b.texts > 0 && b.texts <= c.wides.size() ? c.wides[b.texts - 1] : none;
            return Sign(WideCompareText(wa, wb));
        }
        default:
            break;
        }
        if (a.rank != b.rank)
            return a.rank < b.rank ? -1 : 1;
        switch (a.rank) {
        case rkEmpty:
            return 0;
        case rkText:
            return CompareStoredTexts(c, a, b);
        default:
            return Compare3(a.value, b.value);
        }
    }

    TPlusStringGrid& grid_;
    int first_;
    int count_;
    std::vector<std::unique_ptr<Column>> columns_; // by column + 1
};

// ---------------------------------------------------------------- comparisons

void TPlusStringGrid::DoGetFormat(int ACol, TSortStyle& AStyle, String& aPrefix, String& aSuffix)
{
    if (OnGetFormat)
        OnGetFormat(this, ACol, AStyle, aPrefix, aSuffix);
}

int TPlusStringGrid::CompareCellsForSort(int ACol, int Row1, BYTE Direction, int Row2)
{
    TGridRowSorter sorter(*this, 0, 0);
    return sorter.CompareCells(ACol, Row1, Direction, Row2);
}

int TPlusStringGrid::CompareRowsByColumn(int ACol, int Row1, int Row2)
{
    TGridRowSorter sorter(*this, 0, 0);
    return sorter.CompareByColumn(ACol, Row1, Row2);
}

int TPlusStringGrid::CompareRowsByIndex(int Position, int Row1, int Row2)
{
    TGridRowSorter sorter(*this, 0, 0);
    return sorter.CompareByIndex(Position, Row1, Row2);
}

// ---------------------------------------------------------------- moving rows

void TPlusStringGrid::ResetRowOrderList()
{
    rowOrderList_->Clear();
    for (int i = 0; i < RowCount(); ++i)
        rowOrderList_->Insert(rowOrderList_->Count(), i);
}

void TPlusStringGrid::ExchangeRows(int Row1, int Row2)
{
    if (Row1 == Row2 || Row1 < 0 || Row2 < 0 || Row1 >= RowCount() || Row2 >= RowCount())
        return;
    const int lo = std::min(Row1, Row2);
    const int hi = std::max(Row1, Row2);
    std::vector<int> order(static_cast<size_t>(hi - lo + 1));
    std::iota(order.begin(), order.end(), 0);
    std::swap(order.front(), order.back());
    ApplyRowOrder(lo, order);
}

void TPlusStringGrid::ApplyRowOrder(int first, const std::vector<int>& order)
{
    const int n = int(order.size());
    if (n < 2 || first < 0 || first + n > RowCount())
        return;
    bool moves = false;
    for (int i = 0; i < n && !moves; ++i)
        moves = order[size_t(i)] != i;
    if (!moves)
        return;
    const int last = first + n - 1;
    TSortSettings& s = *sortSettings_;
    auto permute = [&](auto get, auto set) {
        using V = decltype(get(0));
        std::vector<V> old(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            old[size_t(i)] = get(first + i);
        for (int i = 0; i < n; ++i)
            set(first + i, old[size_t(order[size_t(i)])]);
    };
    // the order list entries and the tracked row follow their rows
    if (rowOrderList_->Count() >= last + 1)
        permute([&](int r) { return rowOrderList_->GetItem(r); },
                [&](int r, int v) { rowOrderList_->SetItem(r, v); });
    if (trackedRow_ >= first && trackedRow_ <= last)
        for (int i = 0; i < n; ++i)
            if (first + order[size_t(i)] == trackedRow_) {
                trackedRow_ = first + i;
                break;
            }
    if (s.SingleColumn) {
        const int col = s.Column;
        if (col < 0 || col >= TotalColCount())
            return;
        permute([&](int r) { return GetCellText(col, r); }, [&](int r, const String& v) { SetCellText(col, r, v); });
        permute([&](int r) { return GetRawObject(col, r); }, [&](int r, TObject* v) { SetRawObject(col, r, v); });
        return;
    }
    // merged ranges over several rows cannot follow rows that part: they are split first (a
    // merged cell holds a record, so rows without any object hold none)
    const int totalCols = TotalColCount();
    bool records = false;
    for (int c = 0; c < totalCols && !records; ++c)
        for (int r = first; r <= last && !records; ++r)
            records = GetRawObject(c, r) != nullptr;
    if (records) {
        SplitMergesOverRows(first, last);
    }
    const bool keepCol0 = s.NormalCellsOnly && TBaseGrid::FixedCols() > 0;
    std::vector<String> col0Text;
    std::vector<TObject*> col0Obj;
    if (keepCol0)
        for (int r = first; r <= last; ++r) {
            col0Text.push_back(GetRawCell(0, r));
            col0Obj.push_back(GetRawObject(0, r));
        }
    PermuteStoreRows(first, order);
    if (keepCol0)
        for (int r = first; r <= last; ++r) {
            SetRawCell(0, r, col0Text[size_t(r - first)]);
            SetRawObject(0, r, col0Obj[size_t(r - first)]);
        }
    std::vector<int> heights(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        heights[size_t(i)] = RowHeights(first + i);
    for (int i = 0; i < n; ++i) {
        const int height = heights[size_t(order[size_t(i)])];
        if (heights[size_t(i)] != height)
            SetRowHeights(first + i, height);
    }
    if (mouseActions_->DisjunctRowSelect() && navigation_->MoveRowOnSort) {
        const bool persistent = mouseActions_->RowSelectPersistent;
        auto index = [&](int r) { return persistent ? DisplayToRealRow(r) : r; };
        permute([&](int r) { return GetRowSelected(index(r)); },
                [&](int r, bool v) { SetRowSelected(index(r), v); });
    }
    if (showModified_->Enabled)
        permute([&](int r) { return GetRowModified(r); }, [&](int r, bool v) { SetRowModified(r, v); });
}

// ---------------------------------------------------------------- row range sorts

void TPlusStringGrid::SortRowRange(int ACol, int First, int Last)
{
    First = std::max(First, 0);
    Last = std::min(Last, RowCount() - 1);
    if (Last <= First || ACol < 0)
        return;
    TGridRowSorter sorter(*this, First, Last - First + 1);
    const int target = sortSettings_->Direction == sdDescending ? -1 : 1;
    ApplyRowOrder(First, sorter.OrderByColumn(ACol, target));
}

void TPlusStringGrid::SortRowRangeByIndex(int First, int Last)
{
    First = std::max(First, 0);
    Last = std::min(Last, RowCount() - 1);
    if (Last <= First || sortIndexList_->Count() == 0)
        return;
    TGridRowSorter sorter(*this, First, Last - First + 1);
    const std::vector<int> order = sorter.Order([&](int a, int b) { return sorter.CompareByIndex(0, a, b); });
    ApplyRowOrder(First, order);
}

void TPlusStringGrid::SortRangeByIndex(int First, int Last)
{
    SortRowRangeByIndex(First, Last);
}

void TPlusStringGrid::SortRowsByOrderList(int First, int Last)
{
    First = std::max(First, 0);
    Last = std::min({Last, RowCount() - 1, rowOrderList_->Count() - 1});
    if (Last <= First)
        return;
    std::vector<int> order(static_cast<size_t>(Last - First + 1));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return rowOrderList_->GetItem(First + a) < rowOrderList_->GetItem(First + b);
    });
    ApplyRowOrder(First, order);
}

// ---------------------------------------------------------------- sort entry points

void TPlusStringGrid::RunSort(bool indexed, int first, int last)
{
    if (rowOrderList_->Count() != RowCount())
        ResetRowOrderList();
    const int oldRow = Row();
    const int oldTop = TopRow();
    trackedRow_ = oldRow;
    BeginUpdate();
    try {
        if (indexed)
            SortRowRangeByIndex(first, last);
        else
            SortRowRange(sortSettings_->Column, first, last);
    } catch (...) {
        EndUpdate();
        throw;
    }
    if (!mouseActions_->DisjunctRowSelect() || indexed) {
        const int target = navigation_->MoveRowOnSort ? trackedRow_ : oldRow;
        if (target >= 0 && target < RowCount() && target != Row())
            SetRow(target);
    }
    if (!indexed && OnRowUpdate && !navigation_->MoveRowOnSort)
        OnRowUpdate(this, oldRow, Row());
    if (navigation_->KeepScrollOnSort)
        SetTopRowChecked(oldTop);
    EndUpdate();
}

void TPlusStringGrid::SortByColumn()
{
    if (sortSettings_->Column < 0)
        return;
    sortIndexList_->Clear();
    RunSort(false, TBaseGrid::FixedRows(), RowCount() - fixedFooters_ - 1);
}

void TPlusStringGrid::SortByIndex()
{
    if (sortIndexList_->Count() == 0)
        throw EPlusGridError("No indexes specified for indexed sort");
    RunSort(true, TBaseGrid::FixedRows(), RowCount() - fixedFooters_ - 1);
}

namespace {

int NodeLevelOf(TPlusStringGrid& grid, int row)
{
    const TCellProperties* p = grid.CellProperties(0, row);
    return p ? p->NodeLevel : 0;
}

} // namespace

void TPlusStringGrid::SortDeepestNodeGroups(const std::function<void(int first, int last)>& sortRows)
{
    if (rowOrderList_->Count() != RowCount())
        ResetRowOrderList();
    const int last = RowCount() - fixedFooters_ - 1;
    int deepest = -1;
    for (int r = TBaseGrid::FixedRows(); r <= last; ++r)
        if (IsNodeRow(r))
            deepest = std::max(deepest, NodeLevelOf(*this, r));
    if (deepest < 0)
        return;
    BeginUpdate();
    try {
        for (int r = TBaseGrid::FixedRows(); r <= last; ++r)
            if (IsNodeRow(r) && NodeLevelOf(*this, r) == deepest && !GetNodeState(r) && GetNodeSpan(r) > 2)
                sortRows(r + 1, r + GetNodeSpan(r) - 1);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TPlusStringGrid::SortNodeGroups()
{
    SortDeepestNodeGroups([this](int first, int last) { SortRowRange(sortSettings_->Column, first, last); });
}

void TPlusStringGrid::SortNodeGroupsByIndex()
{
    SortDeepestNodeGroups([this](int first, int last) { SortRangeByIndex(first, last); });
}

void TPlusStringGrid::RestoreRowOrder()
{
    BeginUpdate();
    try {
        SortRowsByOrderList(0, RowCount() - 1);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TPlusStringGrid::SortByHeaderClick(int ACol, bool indexKeyDown)
{
    TSortSettings& s = *sortSettings_;
    bool doSort = !excludedColumns_->HasValue(ACol);
    if (OnCanSort)
        OnCanSort(this, ACol, doSort);
    if (!doSort) {
        RepaintCell(ACol, s.Row);
        return;
    }
    if (rowOrderList_->Count() != RowCount())
        ResetRowOrderList();
    const bool ascending = s.InitSortDirection == sdAscending;
    if (s.IndexShow) {
        TSortIndexList& list = *sortIndexList_;
        if (indexKeyDown) {
            if (list.IndexOfColumn(ACol) >= 0)
                list.ToggleDirection(ACol);
            else
                list.AddIndex(ACol, ascending);
        } else if (list.Count() == 1 && list.ColumnAt(0) == ACol) {
            list.ToggleDirection(ACol);
        } else {
            list.Clear();
            list.AddIndex(ACol, ascending);
        }
        BeginUpdate();
        try {
            if (HasNodes())
                SortNodeGroupsByIndex();
            else
                SortByIndex();
        } catch (...) {
            EndUpdate();
            throw;
        }
        s.Column = list.Count() > 0 ? list.ColumnAt(0) : -1;
        EndUpdate();
    } else {
        bool restore = false;
        if (s.Column == ACol) {
            restore = s.UndoSort && s.Direction != s.InitSortDirection;
            s.Direction = s.Direction == sdAscending ? sdDescending : sdAscending;
        } else {
            s.Direction = s.InitSortDirection;
            s.Column = ACol;
        }
        if (restore && !HasNodes()) {
            s.Column = -1;
            RestoreRowOrder();
        } else if (HasNodes()) {
            SortNodeGroups();
        } else {
            SortByColumn();
        }
    }
    Invalidate();
    if (OnClickSort)
        OnClickSort(this, s.Column);
}
