// Filtering the rows of the string grid: the filter conditions, the hiding levels they push and
// pop, the narrow-down lookup and the filter drop-down's pick.
#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"
#include "components/grid/FilterMatch.h"
#include "components/grid/HtmlUtils.h"

#include <algorithm>
#include <cmath>
#include <tuple>

// ---------------------------------------------------------------- settings

void TFilterData::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TFilterData*>(source);
    if (!other || other == this)
        return;
    Column = other->Column;
    Condition = other->Condition;
    CaseSensitive = other->CaseSensitive;
    Data = other->Data;
    Prefix = other->Prefix;
    Suffix = other->Suffix;
    Operation = other->Operation;
}

TFilterData* TFilter::Add()
{
    items_.push_back(std::make_unique<TFilterData>());
    return items_.back().get();
}

TFilterData* TFilter::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return items_[size_t(index)].get();
}

TFilterData* TFilter::GetColumnFilter(int Col)
{
    for (auto& item : items_)
        if (item->Column == Col)
            return item.get();
    TFilterData* item = Add();
    item->Column = Col;
    return item;
}

void TFilter::RemoveColumnFilter(int Col)
{
    items_.erase(std::remove_if(items_.begin(), items_.end(), [&](const auto& i) { return i->Column == Col; }),
                 items_.end());
    if (grid_)
        grid_->RepaintCell(Col, 0);
}

bool TFilter::HasColumnFilter(int Col) const
{
    return std::any_of(items_.begin(), items_.end(), [&](const auto& i) { return i->Column == Col; });
}

TFilterDropDown::TFilterDropDown()
    : font_(std::make_unique<TFont>()), glyph_(std::make_unique<TBitmap>()), glyphActive_(std::make_unique<TBitmap>())
{
}

TFilterDropDown::~TFilterDropDown() = default;

void TFilterDropDown::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TFilterDropDown*>(source);
    if (!other || other == this)
        return;
    Color = other->Color;
    ColumnWidth = other->ColumnWidth;
    font_->Assign(other->font_.get());
    Height = other->Height;
    Width = other->Width;
    SetGlyph(other->glyph_.get());
    SetGlyphActive(other->glyphActive_.get());
}

void TFilterDropDown::SetGlyph(TBitmap* value)
{
    glyph_->Assign(value);
    if (OnChange)
        OnChange(this);
}

void TFilterDropDown::SetGlyphActive(TBitmap* value)
{
    glyphActive_->Assign(value);
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------- matching

bool TPlusStringGrid::MatchFilter(int ARow)
{
    bool result = true;
    for (int i = 0; i < filter_->Count(); ++i) {
        const TFilterData& f = *filter_->Items(i);
        String text;
        switch (f.Data) {
        case fcVirtual:
        case fcCalculated:
            text = GetCellText(f.Column, ARow);
            break;
        case fcNormal:
            text = GetRawCell(f.Column, ARow);
            break;
        case fcStripHTML:
            text = GetCellPlainText(f.Column, ARow);
            break;
        case fcRow:
            for (int c = 0; c < ColCount(); ++c)
                text += (c ? "\r\n" : "") + GetCellText(c, ARow);
            break;
        }
        text = Trim(text);
        if (text.find("|\\") != String::npos)
            text = WideToString(DecodeWideCellText(text));
        bool match;
        if (f.Data == fcRow) {
            match = UpperCase(text).find(UpperCase(f.Condition)) != String::npos;
        } else {
            if (!f.Prefix.empty() && text.compare(0, f.Prefix.size(), f.Prefix) == 0)
                text.erase(0, f.Prefix.size());
            if (!f.Suffix.empty()) {
                const size_t p = text.find(f.Suffix);
                if (p != String::npos && p + f.Suffix.size() == text.size())
                    text.erase(p);
            }
            try {
                match = f.Condition.empty() || MatchFilterExpression(f.Condition, text, f.CaseSensitive);
            } catch (const Exception&) {
                match = false;
            }
        }
        bool stop = false;
        switch (f.Operation) {
        case foSHORT:
            result = match;
            stop = !match;
            break;
        case foNONE: result = match; break;
        case foAND: result = result && match; break;
        case foXOR: result = result != match; break;
        case foOR: result = result || match; break;
        }
        if (stop)
            break;
    }
    if (OnCustomFilter)
        OnCustomFilter(this, ARow, result);
    return result;
}

// ---------------------------------------------------------------- hiding levels

void TPlusStringGrid::HideFilterRows(const std::vector<int>& rows)
{
    // one filter level: level numbers start at 1, so that the rows of contracted nodes (level 0)
    // never come back with a filter level
    const int level = HideLevel + 1;
    ++HideLevel;
    if (rows.empty())
        return;
    BeginUpdate();
    if (MergedRangeCount > 0)
        for (int d : rows)
            SplitMergesAcrossRows(d, d);
    // real indexes, walking the hidden records (sorted by real index) once
    std::vector<int> reals(rows.size());
    {
        size_t h = 0;
        int shift = 0;
        for (size_t k = 0; k < rows.size(); ++k) {
            int real = rows[k] + shift;
            while (h < hiddenRows_.size() && hiddenRows_[h]->Idx <= real) {
                ++h;
                ++shift;
                ++real;
            }
            reals[k] = real;
        }
    }
    const int total = TotalColCount();
    // the shown rows close up and the hidden ones go to the end of the store in their order
    const int first = rows.front();
    const int oldCount = RowCount();
    const int newCount = oldCount - int(rows.size());
    std::vector<char> gone(size_t(oldCount - first), 0);
    for (int d : rows)
        gone[size_t(d - first)] = 1;
    std::vector<int> order;
    order.reserve(gone.size());
    for (int i = 0; i < int(gone.size()); ++i)
        if (!gone[size_t(i)])
            order.push_back(i);
    for (int i = 0; i < int(gone.size()); ++i)
        if (gone[size_t(i)])
            order.push_back(i);
    std::vector<int> heights(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        heights[i] = RowHeights(first + order[i]);
    PermuteStoreRows(first, order);
    // hidden row k now stands at newCount + k: the records take its cell records, and its
    // texts leave the store in one block that the records read when first asked
    std::vector<TGridItem*> items;
    items.reserve(rows.size());
    std::vector<std::tuple<int, int, TCellProperties*>> records;
    for (size_t k = 0; k < rows.size(); ++k) {
        auto* item = new TGridItem;
        item->Idx = reals[k];
        item->Height = heights[size_t(newCount - first) + k];
        item->Level = level;
        for (int c = 0; c < total; ++c)
            if (TCellProperties* record = TakeCellProperties(c, newCount + int(k)))
                records.emplace_back(c, int(k), record);
        items.push_back(item);
    }
    const std::shared_ptr<TStringGrid::TStoreRows> block = TakeStoreRowsFrom(newCount);
    for (const auto& [c, k, record] : records)
        block->SetObject(c, k, record);
    for (size_t k = 0; k < items.size(); ++k)
        items[k]->Park(block, int(k), total);
    auto dropFlags = [&](auto get, auto count, auto rebuild) {
        std::vector<int> kept;
        const int n = count();
        for (int r = 0; r < n; ++r)
            if (r < first || !gone[size_t(r - first)])
                kept.push_back(get(r));
        rebuild(kept);
    };
    if (!mouseActions_->RowSelectPersistent && !selectedRows_.empty())
        dropFlags([&](int r) { return int(selectedRows_[size_t(r)]); }, [&] { return int(selectedRows_.size()); },
                  [&](const std::vector<int>& kept) { selectedRows_.assign(kept.begin(), kept.end()); });
    for (TIntList* list : {rowModified_.get(), rowDisabled_.get()})
        if (list->Count() > first)
            dropFlags([&](int r) { return list->GetItem(r); }, [&] { return list->Count(); },
                      [&](const std::vector<int>& kept) {
                          list->Clear();
                          for (int v : kept)
                              list->Insert(list->Count(), v);
                      });
    if (newCount <= TBaseGrid::FixedRows())
        TBaseGrid::SetFixedRows(std::max(newCount - 1, 0));
    TBaseGrid::SetRowCount(std::max(newCount, 1));
    DisplayRowLimit = RowCount();
    for (int r = first; r < RowCount(); ++r)
        if (RowHeights(r) != heights[size_t(r - first)])
            SetRowHeights(r, heights[size_t(r - first)]);
    std::vector<TGridItem*> merged;
    merged.reserve(hiddenRows_.size() + items.size());
    std::merge(hiddenRows_.begin(), hiddenRows_.end(), items.begin(), items.end(), std::back_inserter(merged),
               [](const TGridItem* a, const TGridItem* b) { return a->Idx < b->Idx; });
    hiddenRows_.swap(merged);
    if (Row() >= RowCount())
        SetRow(RowCount() - 1);
    EndUpdate();
}

void TPlusStringGrid::UnhideFilterRows()
{
    const int level = HideLevel;
    std::vector<TGridItem*> back, stay;
    for (TGridItem* item : hiddenRows_)
        (item->Level == level ? back : stay).push_back(item);
    if (back.empty())
        return;
    hiddenRows_.swap(stay);
    BeginUpdate();
    // each record's display place once the rows of this level are back: its real index minus the
    // records still hidden before it
    std::vector<int> places(back.size());
    {
        size_t h = 0;
        for (size_t k = 0; k < back.size(); ++k) {
            while (h < hiddenRows_.size() && hiddenRows_[h]->Idx < back[k]->Idx)
                ++h;
            places[k] = back[k]->Idx - int(h);
        }
    }
    const int oldCount = RowCount();
    const int newCount = oldCount + int(back.size());
    const int first = std::min(places.front(), oldCount);
    for (int c = 0; c < std::max(TotalColCount(), StoreColCount()); ++c)
        for (int r = oldCount; r < newCount; ++r)
            if (CellProperties(c, r))
                ClearCellProperties(c, r);
    TruncateStoreRows(oldCount);
    std::vector<int> oldHeights;
    for (int r = first; r < oldCount; ++r)
        oldHeights.push_back(RowHeights(r));
    TBaseGrid::SetRowCount(newCount);
    DisplayRowLimit = RowCount();
    HighestRowCount = std::max(HighestRowCount, RowCount());
    std::vector<int> order;
    order.reserve(size_t(newCount - first));
    std::vector<char> isBack(size_t(newCount - first), 0);
    for (int p : places)
        if (p >= first && p < newCount)
            isBack[size_t(p - first)] = 1;
    int nextKept = 0, nextBack = oldCount - first;
    for (int i = 0; i < newCount - first; ++i)
        order.push_back(isBack[size_t(i)] ? nextBack++ : nextKept++);
    PermuteStoreRows(first, order);
    for (int i = 0; i < newCount - first; ++i)
        if (!isBack[size_t(i)])
            SetRowHeights(first + i, oldHeights[size_t(order[size_t(i)])]);
    for (size_t k = 0; k < back.size(); ++k) {
        TGridItem* item = back[k];
        const int d = places[k];
        SetRowHeights(d, item->Height);
        // a parked record's texts come straight from its block
        for (int c = 0; c < item->LineCount(); ++c) {
            SetRawCell(c, d, item->LineText(c));
            if (auto* record = dynamic_cast<TCellProperties*>(item->LineObject(c)))
                PutCellProperties(c, d, record);
        }
        delete item;
    }
    auto insertFlags = [&](auto count, auto get, auto rebuild) {
        const int n = count();
        if (n <= first)
            return;
        std::vector<int> out;
        size_t k = 0;
        int src = 0;
        for (int r = 0; src < n || (k < places.size() && places[k] == r); ++r) {
            if (k < places.size() && places[k] == r) {
                out.push_back(0);
                ++k;
            } else {
                out.push_back(get(src++));
            }
        }
        rebuild(out);
    };
    if (!mouseActions_->RowSelectPersistent && !selectedRows_.empty())
        insertFlags([&] { return int(selectedRows_.size()); }, [&](int r) { return int(selectedRows_[size_t(r)]); },
                    [&](const std::vector<int>& v) { selectedRows_.assign(v.begin(), v.end()); });
    for (TIntList* list : {rowModified_.get(), rowDisabled_.get()})
        insertFlags([&] { return list->Count(); }, [&](int r) { return list->GetItem(r); },
                    [&](const std::vector<int>& v) {
                        list->Clear();
                        for (int x : v)
                            list->Insert(list->Count(), x);
                    });
    EndUpdate();
}

void TPlusStringGrid::ApplyFilterLevel()
{
    savedFixedRows_.push_back(TBaseGrid::FixedRows());
    const int first = TBaseGrid::FixedRows();
    const int last = RowCount() - fixedFooters_ - 1;
    const int total = last - first + 1;
    std::vector<int> failing;
    int lastProgress = -1;
    for (int r = first; r <= last; ++r) {
        if (!MatchFilter(r))
            failing.push_back(r);
        if (OnFilterProgress && total > 0) {
            const int p = int(std::lround(double(r - first + 1) / total * 100.0));
            if (p != lastProgress) {
                lastProgress = p;
                OnFilterProgress(this, short(p));
            }
        }
    }
    HideFilterRows(failing);
    if (OnFilterProgress)
        OnFilterProgress(this, short(lastProgress < 0 ? 100 : lastProgress));
}

void TPlusStringGrid::RemoveFilterLevel()
{
    if (HideLevel <= 0)
        return;
    UnhideFilterRows();
    if (!savedFixedRows_.empty()) {
        const int fixed = savedFixedRows_.back();
        savedFixedRows_.pop_back();
        if (fixed != TBaseGrid::FixedRows() && fixed < RowCount())
            TBaseGrid::SetFixedRows(fixed);
    }
    --HideLevel;
    Invalidate();
}

void TPlusStringGrid::ClearFilterLevels()
{
    if (HideLevel > 0)
        while (HideLevel > 0)
            RemoveFilterLevel();
    else
        filter_->Clear();
}

void TPlusStringGrid::NarrowDownRows(const String& Text, int Column)
{
    FixedRowAlways = true;
    const String prev = narrowDownText_;
    auto single = [&](bool quoteBlanks) {
        filter_->Clear();
        TFilterData* f = filter_->Add();
        if (Column == -1) {
            f->Data = fcRow;
            f->Condition = Text;
        } else {
            f->Data = fcNormal;
            f->Condition = "*" + Text + "*";
            if (quoteBlanks && Text.find(' ') != String::npos)
                f->Condition = "\"" + f->Condition + "\"";
        }
        f->CaseSensitive = false;
        f->Column = Column;
    };
    if (Text.size() == prev.size() + 1 && Text.compare(0, prev.size(), prev) == 0) {
        single(true);
        ApplyFilterLevel();
    } else if (Text.size() + 1 == prev.size() && !Text.empty() && prev.compare(0, Text.size(), Text) == 0) {
        RemoveFilterLevel();
    } else {
        ClearFilterLevels();
        if (!Text.empty()) {
            single(false);
            ApplyFilterLevel();
        }
    }
    narrowDownText_ = Text;
}

void TPlusStringGrid::SetFilterActive(bool value)
{
    if (value == filterActive_)
        return;
    filterActive_ = value;
    if (value) {
        if (Row() >= RowCount() || Col() >= ColCount())
            FocusCell(TBaseGrid::FixedCols(), TBaseGrid::FixedRows(), true);
        BeginUpdate();
        try {
            ApplyFilterLevel();
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
    } else {
        RemoveFilterLevel();
    }
    if (RowCount() > TBaseGrid::FixedRows())
        SetTopRowChecked(TBaseGrid::FixedRows());
    Invalidate();
}

void TPlusStringGrid::SetFilterDropDownAuto(bool value)
{
    filterDropDownAuto_ = value;
    Invalidate();
}

void TPlusStringGrid::SetFilterDropDownRow(int value)
{
    if (value >= TBaseGrid::FixedRows())
        return;
    filterDropDownRow_ = value;
    Invalidate();
}

// ---------------------------------------------------------------- a pick in the drop-down

void TPlusStringGrid::FilterListSelect(TObject*, int ItemIndex)
{
    const int col = FilterDropDownCol;
    if (col < 0 || col >= ColCount() + HiddenColCount)
        return;
    BuildColumnFilterList(col);
    if (ItemIndex < 0 || ItemIndex >= filterValues_->Count())
        return;
    const String s = filterValues_->Strings(ItemIndex);
    const size_t eq = s.find('=');
    const String friendly = eq == String::npos ? s : s.substr(0, eq);
    if (AutoFilterUpdate)
        SetFilterActive(false);
    String condition = eq == String::npos ? s : s.substr(eq + 1);
    if (condition == FilterDropDownClear)
        condition.clear();
    if (OnFilterSelect)
        OnFilterSelect(this, col, ItemIndex, friendly, condition);
    if (!condition.empty())
        filter_->GetColumnFilter(col)->Condition = condition;
    else
        filter_->RemoveColumnFilter(col);
    if (AutoFilterUpdate) {
        FixedRowAlways = true;
        SetFilterActive(true);
        if (RowCount() > TBaseGrid::FixedRows())
            SetRow(TBaseGrid::FixedRows());
        FilterDone();
    }
    FilterDropDownCol = -1;
}
