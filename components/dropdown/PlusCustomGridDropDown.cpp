#include "components/dropdown/PlusCustomGridDropDown.h"

#include "platform/win/WinGdi.h"
#include "platform/win/WinWindow.h"

#include <algorithm>
#include <cstdint>

namespace PlusCustomGridDropDown {

namespace {

TObject* ItemObject(int index) { return reinterpret_cast<TObject*>(intptr_t(index)); }

} // namespace

// ---------------------------------------------------------------- the list grid

TPlusColGrid::TPlusColGrid(TComponent* AOwner)
    : TColumnListGrid(AOwner)
{
    FixedRowAlways = true;
    SetFixedRows(1);
    SetFixedCols(0);
    TGridOptions o = Options();
    o << goHorzLine << goRowSelect;
    o >> goRangeSelect;
    SetOptions(o);
    SetLeftCol(0); // without fixed columns the first column is the first scrolled one
}

void TPlusColGrid::LoadFromDropDown(TCustomPlusGridDropDown* d)
{
    if (!d)
        return;
    dropDown_ = d;
    columns_->Assign(d->Columns());
    const int n = columns_->Count();
    if (ColCount() < n)
        SetColCount(n); // the column count only grows here
    if (d->UseItems)
        SetRowCount(d->Items()->Count() + 1);
    for (int i = 0; i < n; ++i)
        SetColWidths(i, columns_->Items(i)->Width);
    LineColor = d->LineColor;
    FixedLineColor = d->FixedLineColor;
    HeaderColor = d->HeaderColor;
    HeaderColorTo = d->HeaderColorTo;
    HeaderHeight = d->HeaderHeight;
    headerFont_->Assign(d->HeaderFont());
    HoverRow = d->HoverRow;
    HoverRowColor = d->HoverRowColor;
    HoverRowColorTo = d->HoverRowColorTo;
    SetImages(d->Images());
    SetDefaultRowHeight(d->DropDownRowHeight);
    SetRowHeights(0, HeaderHeight);
    TGridOptions o = Options();
    auto set = [&o](TGridOption option, bool on) {
        if (on)
            o << option;
        else
            o >> option;
    };
    set(goColSizing, d->ColumnSizing);
    set(goColMoving, d->ColumnMoving);
    set(goRowSizing, d->RowSizing);
    set(goRowMoving, d->RowMoving);
    SetOptions(o);
    AutoSizeColumns();
    AutoSizeRows();
}

void TPlusColGrid::FillFromItems()
{
    if (!dropDown_)
        return;
    const int n = std::max(1, columns_->Count());
    if (ColCount() != n)
        SetColCount(n);
    for (int i = 0; i < columns_->Count(); ++i) {
        SetCellText(i, 0, columns_->Items(i)->Header);
        SetCellObject(i, 0, ItemObject(-1));
    }
    // the rows are written straight into the store (no cell of the list is merged) and
    // painted once
    TDropDownItems* items = dropDown_->Items();
    const int rows = std::min(items->Count(), RowCount() - 1);
    for (int j = 0; j < rows; ++j) {
        const TDropDownItem* item = items->Items(j);
        for (int i = 0; i < columns_->Count(); ++i)
            SetCells(i, j + 1, item->TextOf(i));
        SetCellObject(0, j + 1, ItemObject(j));
    }
    Invalidate();
}

int TPlusColGrid::ItemOfRowObject(int row) const
{
    if (row < 0 || row >= RowCount())
        return -1;
    return int(reinterpret_cast<intptr_t>(GetCellObject(0, row)));
}

void TPlusColGrid::CellContent(int col, int row, String& text, int& image)
{
    image = -1;
    TCustomPlusGridDropDown* d = dropDown_;
    if (!d || !d->UseItems || row < 1 || row - 1 >= d->Items()->Count()) {
        text = GetCellText(col, row);
        return;
    }
    const TDropDownItem* item = d->Items()->Items(row - 1);
    text = item->TextOf(col);
    if (col < columns_->Count() && columns_->Items(col)->ColumnType == ctImage)
        image = item->ImageIndex;
}

void TPlusColGrid::KeyDown(WORD& Key, TShiftState Shift)
{
    if (AltStepToDropDown(dropDown_, Key, Shift))
        return;
    if (Key == VK_RETURN) {
        // the pick list takes Return itself: the grid's own Return handling never sees it
        Key = 0;
        TPlusStringGrid::KeyDown(Key, Shift);
        DoSelect();
        return;
    }
    TPlusStringGrid::KeyDown(Key, Shift);
}

void TPlusColGrid::MouseUp(TMouseButton b, TShiftState s, int x, int y)
{
    TPlusStringGrid::MouseUp(b, s, x, y);
    if (b != mbLeft)
        return;
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    if (col >= 0 && row >= 0 && IsCheckBoxCell(col, row))
        return;
    if (row >= FixedRows() && row < RowCount())
        DoSelect();
}

void TPlusColGrid::Dispatch(TMessage& m)
{
    // Return was taken on its key press: its character goes nowhere
    if (m.Msg == WM_CHAR && m.WParam == '\r') {
        m.Result = 1;
        return;
    }
    TColumnListGrid::Dispatch(m);
}

} // namespace PlusCustomGridDropDown

// ---------------------------------------------------------------- the drop-down

using namespace PlusCustomGridDropDown;

TCustomPlusGridDropDown::TCustomPlusGridDropDown(TComponent* AOwner)
    : TPlusColumnListDropDown(AOwner, false), columns_(std::make_unique<TDropDownColumns>(this)),
      items_(CreateItems(this)),
      searchFooter_(std::make_unique<TSearchFooter>(this, false)), bands_(std::make_unique<TBands>()),
      navigation_(std::make_unique<TNavigation>()), mouseActions_(std::make_unique<TMouseActions>(this))
{
    navigation_->HomeEndKey = heFirstLastRow;
    CreateDropDownForm();
    InitListLooks();
}

TCustomPlusGridDropDown::~TCustomPlusGridDropDown() = default;

std::unique_ptr<TDropDownItems> TCustomPlusGridDropDown::CreateItems(TPersistent* AOwner)
{
    return std::make_unique<TDropDownItems>(AOwner);
}

void TCustomPlusGridDropDown::Loaded()
{
    TPlusColumnListDropDown::Loaded();
    if (list_ && UseItems)
        list_->FillFromItems();
}

void TCustomPlusGridDropDown::Notification(TComponent* component, TOperation operation)
{
    TPlusColumnListDropDown::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == gridImages_) {
        gridImages_ = nullptr;
        if (list_)
            list_->GridImages = nullptr;
    }
    if (component == list_)
        list_ = nullptr;
}

void TCustomPlusGridDropDown::SetGridImages(TCustomImageList* v)
{
    gridImages_ = v;
    if (v)
        v->FreeNotification(this);
    if (list_)
        list_->GridImages = v;
}

void TCustomPlusGridDropDown::SetStyle(TDropDownStyle v)
{
    style_ = v;
    SetEditorEnabled(v == dsDropDown);
}

// ---------------------------------------------------------------- rows and items

int TCustomPlusGridDropDown::ItemCount() const
{
    if (UseItems)
        return items_->Count();
    return list_ ? std::max(0, list_->RowCount() - list_->FixedRows()) : 0;
}

int TCustomPlusGridDropDown::ItemOfRow(int row) const
{
    if (!list_ || row >= list_->RowCount())
        return row;
    return list_->ItemOfRowObject(row);
}

int TCustomPlusGridDropDown::RowOfItem(int item) const
{
    if (item < 0 || !list_)
        return -1;
    for (int r = list_->FixedRows(); r < list_->RowCount(); ++r)
        if (list_->ItemOfRowObject(r) == item)
            return r;
    return -1;
}

int TCustomPlusGridDropDown::IndexOfRow(int row) const
{
    if (!list_)
        return -1;
    return UseItems ? ItemOfRow(row) : row - list_->FixedRows();
}

void TCustomPlusGridDropDown::RefreshShownItems()
{
    itemShown_.clear();
    if (!UseItems || !list_ || list_->HiddenRowCount() == 0)
        return;
    itemShown_.assign(size_t(items_->Count()), 0);
    for (int r = list_->FixedRows(); r < list_->RowCount(); ++r) {
        const int j = list_->ItemOfRowObject(r);
        if (j >= 0 && j < int(itemShown_.size()))
            itemShown_[size_t(j)] = 1;
    }
}

bool TCustomPlusGridDropDown::ItemShown(int item) const
{
    return itemShown_.empty() || (item >= 0 && item < int(itemShown_.size()) && itemShown_[size_t(item)]);
}

void TCustomPlusGridDropDown::ClearNarrowing()
{
    if (!list_)
        return;
    list_->NarrowDownRows("", LookupColumn); // also forgets the narrowing text
    list_->ClearFilterLevels();
    itemShown_.clear();
}

void TCustomPlusGridDropDown::SetItemIndex(int Value)
{
    int row = -1;
    if (UseItems) {
        if (Value >= items_->Count())
            return;
        itemIndex_ = Value;
        ShowText(Value < 0 || LookupColumn < 0 ? String() : items_->Items(Value)->TextOf(LookupColumn));
        if (list_ && IsDroppedDown() && !fromList_)
            row = RowOfItem(Value);
    } else {
        if (!list_) {
            itemIndex_ = Value;
            return;
        }
        if (Value == itemIndex_ || Value + list_->FixedRows() >= list_->RowCount())
            return;
        itemIndex_ = Value;
        ShowText(Value < 0 ? String() : list_->GetCellText(LookupColumn, Value + list_->FixedRows()));
        if (IsDroppedDown() && !fromList_ && Value >= 0)
            row = Value + list_->FixedRows();
    }
    // an open list follows a choice made in the edit
    if (list_ && row >= list_->FixedRows() && row != list_->Row()) {
        fromList_ = true;
        list_->SetRow(row);
        fromList_ = false;
    }
}

// ---------------------------------------------------------------- the pop-up

void TCustomPlusGridDropDown::CreateDropDownForm()
{
    TPlusCustomDropDown::CreateDropDownForm();
    if (!form_)
        return;
    if (!list_) {
        list_ = new TPlusColGrid(this);
        list_->SetParent(form_);
    }
    list_->Bind(this);
    list_->SetBounds(0, 0, list_->Width(), 180);
    list_->SetColor(DropDownColor);
    list_->Navigation()->HomeEndKey = heFirstLastRow;
}

void TCustomPlusGridDropDown::BindRelays()
{
    TPlusColGrid* g = list_;
#define QUELM_BIND_RELAY(Own, Grid)                                                                          \
    g->On##Grid = [this](auto&&... a) {                                                                      \
        if (OnGrid##Own)                                                                                     \
            OnGrid##Own(std::forward<decltype(a)>(a)...);                                                    \
    };
    QUELM_GRID_DROPDOWN_RELAYS(QUELM_BIND_RELAY)
#undef QUELM_BIND_RELAY
    // a window that these handlers open must not close the pop-up
    g->OnButtonClick = [this](auto&&... a) {
        form_->IgnoreActivation = true;
        if (OnGridButtonClick)
            OnGridButtonClick(std::forward<decltype(a)>(a)...);
        form_->IgnoreActivation = false;
    };
    g->OnAnchorClick = [this](auto&&... a) {
        form_->IgnoreActivation = true;
        if (OnGridAnchorClick)
            OnGridAnchorClick(std::forward<decltype(a)>(a)...);
        form_->IgnoreActivation = false;
    };
    // relayed as soon as the list offers them
    [this](auto* list) {
        if constexpr (requires { list->OnAnchorHint; })
            list->OnAnchorHint = [this](auto&&... a) {
                if (OnGridAnchorHint)
                    OnGridAnchorHint(std::forward<decltype(a)>(a)...);
            };
        if constexpr (requires { list->OnGetFloatFormat; })
            list->OnGetFloatFormat = [this](auto&&... a) {
                if (OnGridGetFloatFormat)
                    OnGridGetFloatFormat(std::forward<decltype(a)>(a)...);
            };
    }(g);
    g->OnEllipsClick = [this](auto&&... a) {
        form_->IgnoreActivation = true;
        if (OnGridEllipsClick)
            OnGridEllipsClick(std::forward<decltype(a)>(a)...);
        form_->IgnoreActivation = false;
    };
    g->OnCheckBoxClick = [this](auto&&... a) {
        if (OnGridCheckBoxClick)
            OnGridCheckBoxClick(std::forward<decltype(a)>(a)...);
    };
    g->OnCustomCellDraw = nullptr;
    if (OnGridCustomCellDraw)
        g->OnCustomCellDraw = OnGridCustomCellDraw;
    g->OnCustomCellBkgDraw = nullptr;
    if (OnGridCustomCellBkgDraw)
        g->OnCustomCellBkgDraw = OnGridCustomCellBkgDraw;
    g->OnMouseMove = [this](TObject* Sender, TShiftState s, int x, int y) {
        if (!balloonReady_) {
            if (list_->Balloon()->Enable()) {
                list_->Balloon()->SetEnable(false);
                list_->Balloon()->SetEnable(true);
            }
            balloonReady_ = true;
        }
        if (OnGridMouseMove)
            OnGridMouseMove(Sender, s, x, y);
    };
    g->OnTopLeftChanged = [this](TObject*) {
        if (OnGridTopLeftChanged)
            OnGridTopLeftChanged(this);
    };
}

void TCustomPlusGridDropDown::BeforeDropDown()
{
    if (form_)
        form_->DeactivateCancels = false;
    if (list_) {
        list_->SetConfirmed(false);
        if (UseItems)
            ClearNarrowing(); // the rows are filled anew: none may stay parked by a filter
        list_->OnSelectCell = nullptr;
        list_->LoadFromDropDown(this);
        list_->SetColor(DropDownColor);
        TSortSettings* sort = list_->SortSettings();
        sort->Show = Sorting != gsNone;
        sort->IndexShow = Sorting == gsMultiColumn;
        balloonReady_ = false;
        list_->OnStartDrag = nullptr;
        list_->OnEndDrag = [this](auto&&...) { form_->IgnoreActivation = false; };
        list_->OnSelect = [this](TObject*) { ListSelect(); };
        BindRelays();
        list_->SearchFooter()->Assign(searchFooter_.get());
        list_->MouseActions()->Assign(mouseActions_.get());
        list_->Navigation()->Assign(navigation_.get());
        list_->Bands()->Assign(bands_.get());
        TGridOptions o = list_->Options();
        o << goThumbTracking;
        if (RowSelect)
            o << goRowSelect;
        else
            o >> goRowSelect;
        if (GridEditable)
            o << goEditing;
        else
            o >> goEditing;
        list_->SetOptions(o);
        list_->GridImages = gridImages_;
        // sorting keeps the chosen item's row the current row
        list_->OnCanSort = [this](TObject* Sender, int ACol, bool& DoSort) {
            if (OnGridCanSort)
                OnGridCanSort(Sender, ACol, DoSort);
            sortItemIndex_ = itemIndex_;
        };
        list_->OnClickSort = [this](TObject* Sender, int ACol) {
            const int row = UseItems ? RowOfItem(sortItemIndex_) : -1;
            if (row >= 0) {
                fromList_ = true;
                list_->SetRow(row);
                fromList_ = false;
                selectedRow_ = row;
            }
            if (OnGridClickSort)
                OnGridClickSort(Sender, ACol);
        };
        list_->OnSelectCell = [this](TObject*, int, int row, bool&) { ListSelectCell(row); };
        list_->ApplyColorStyle(VirelStyle());
        if (UseItems) {
            TPlusCustomDropDown::BeforeDropDown();
            list_->SetRowCount(items_->Count() + 1);
            list_->SetFixedRows(1);
            list_->FillFromItems();
        }
        if (list_->SortSettings()->Column >= 0 && list_->SortSettings()->Show)
            list_->SortByColumn();
        int row;
        if (UseItems) {
            row = RowOfItem(itemIndex_);
        } else {
            String found;
            row = FindLookupPrefix(EditText(), found);
            if (row < 0)
                row = list_->FixedRows();
        }
        if (row >= list_->FixedRows() && row < list_->RowCount()) {
            fromList_ = true;
            list_->SetRow(row);
            fromList_ = false;
        }
        RefreshShownItems();
    }
    oldItemIndex_ = itemIndex_;
    if (!UseItems || !list_)
        TPlusCustomDropDown::BeforeDropDown();
}

void TCustomPlusGridDropDown::PlaceDropDownControl()
{
    SetDropDownControl(list_);
    TPlusCustomDropDown::PlaceDropDownControl();
}

void TCustomPlusGridDropDown::ShowDropDown()
{
    TPlusCustomDropDown::ShowDropDown();
    if (!list_)
        return;
    if (!UseItems)
        while (columns_->Count() < list_->ColCount())
            columns_->Add();
    if (!IsDroppedDown())
        return;
    ColumnsToDropDownWidth();
    // the list shows its first column: a narrow list may have scrolled to its current column
    fromList_ = true;
    list_->SetCol(list_->FixedCols());
    fromList_ = false;
    list_->SetLeftCol(list_->FixedCols());
    if (list_->VisibleRowCount() + list_->FixedRows() < list_->RowCount()) {
        const int top = list_->TopRow();
        if (list_->Row() > top + list_->VisibleRowCount() || list_->Row() < top)
            list_->SetTopRow(list_->Row());
    }
    // Return in the edit right after opening takes the row the list shows as current
    selectedRow_ = list_->Row();
    list_->TabStop = true;
    if (list_->CanFocus())
        list_->SetFocus();
}

void TCustomPlusGridDropDown::HideDropDown(bool Cancel)
{
    if (form_ && form_->Visible() && list_) {
        if (Cancel)
            SetItemIndex(oldItemIndex_);
        else if (list_->Confirmed() && selectedRow_ >= list_->FixedRows() && selectedRow_ < list_->RowCount())
            SetItemIndex(IndexOfRow(selectedRow_));
        oldItemIndex_ = itemIndex_;
    }
    TPlusCustomDropDown::HideDropDown(Cancel);
}

void TCustomPlusGridDropDown::ListSelectCell(int row)
{
    selectedRow_ = row;
    if (fromList_ || list_->WheelScrolling())
        return;
    fromList_ = true; // the list is moving there already
    if (UseItems) {
        SetItemIndex(ItemOfRow(row));
    } else {
        ShowText(list_->GetCellText(LookupColumn, row));
        SetItemIndex(row - list_->FixedRows());
    }
    fromList_ = false;
}

void TCustomPlusGridDropDown::ListSelect()
{
    if (list_->Confirmed()) {
        fromList_ = true;
        SetItemIndex(IndexOfRow(list_->Row()));
        fromList_ = false;
        selectedRow_ = list_->Row();
    }
    const auto life = Life();
    HideDropDown(false);
    if (*life && OnSelect)
        OnSelect(this);
}

void TCustomPlusGridDropDown::DoEnter()
{
    TPlusCustomDropDown::DoEnter();
    ClearNarrowing();
    lookupEntry_.clear();
}

// ---------------------------------------------------------------- completion and keys

bool TCustomPlusGridDropDown::ListEditing() const
{
    return list_ && list_->Options().Contains(goEditing) && list_->Editing;
}

void TCustomPlusGridDropDown::KeyDown(WORD& Key, TShiftState Shift)
{
    if (ListEditing() && Key == VK_RETURN && !Shift.Contains(ssShift)) {
        list_->HideInplaceEditor();
        ShowText(list_->GetCellText(LookupColumn, list_->Row()));
        SetItemIndex(IndexOfRow(list_->Row()));
        Key = 0;
        return;
    }
    if (LookupColumn >= 0 && items_->Count() > 0 && (Key == VK_ESCAPE || (Key >= VK_PRIOR && Key <= VK_DOWN)))
        lookupEntry_.clear();
    TPlusColumnListDropDown::KeyDown(Key, Shift);
}

void TCustomPlusGridDropDown::KeyUp(WORD& Key, TShiftState Shift)
{
    TPlusCustomDropDown::KeyUp(Key, Shift);
    if (ListEditing() && Key == VK_RETURN && !Shift.Contains(ssShift)) {
        if (list_->Col() == LookupColumn)
            HideDropDown(false);
        else
            list_->HideInplaceEditor();
    }
    SettleCompletion();
}

void TCustomPlusGridDropDown::StepKey(WORD key, bool shift)
{
    StepItem(key, ItemCount(), !shift && style_ == dsDropDownList);
}

void TCustomPlusGridDropDown::Dispatch(TMessage& m)
{
    if (m.Msg == WM_KEYDOWN) {
        const WORD key = WORD(m.WParam);
        if (key == VK_RETURN && list_)
            list_->SetConfirmed(true);
        const auto life = Life();
        TPlusCustomDropDown::Dispatch(m);
        if (!*life || !Enabled() || GetKeyState(VK_MENU) < 0)
            return;
        if (key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_HOME || key == VK_UP || key == VK_DOWN)
            lookupEntry_.clear();
        StepKey(key, GetKeyState(VK_SHIFT) < 0);
        return;
    }
    if (m.Msg == WM_CHAR) {
        const char c = char(m.WParam & 0xFF);
        const auto life = Life();
        TPlusCustomDropDown::Dispatch(m);
        if (!*life)
            return;
        // Return, Esc and other control characters are no search text
        if ((unsigned char)c >= 32 || c == '\b')
            TypeAhead(c);
        if (AutoShowDropDown)
            OpenDropDown();
        return;
    }
    TPlusCustomDropDown::Dispatch(m);
}

static bool IsListNavigationKey(WORD key)
{
    return key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_HOME || key == VK_UP || key == VK_DOWN;
}

void TCustomPlusGridDropDown::DropDownControlKeyDown(WORD& Key, TShiftState Shift)
{
    if (!IsListNavigationKey(Key) || Shift.Contains(ssAlt))
        TPlusCustomDropDown::DropDownControlKeyDown(Key, Shift);
    if (OnGridKeyDown)
        OnGridKeyDown(this, Key, Shift);
}

void TCustomPlusGridDropDown::DropDownControlKeyUp(WORD& Key, TShiftState Shift)
{
    if (IsListNavigationKey(Key) && !Shift.Contains(ssAlt))
        lookupEntry_.clear();
    else
        TPlusCustomDropDown::DropDownControlKeyUp(Key, Shift);
    if (OnGridKeyUp)
        OnGridKeyUp(this, Key, Shift);
}

void TCustomPlusGridDropDown::DropDownControlKeyPress(char& Key)
{
    const bool alt = GetKeyState(VK_MENU) < 0;
    const unsigned char k = (unsigned char)Key;
    const bool special = k == 13 || k == 27 || (k >= 33 && k <= 36) || k == 38 || k == 40;
    if ((special && !alt) || !list_ || list_->Options().Contains(goEditing)) {
        lookupEntry_.clear();
    } else {
        const int result = TypeAhead(Key);
        // a found item is shown in the row that carries it, wherever sorting put it
        const int target = UseItems && LookupMethod == lmLookup ? RowOfItem(result) : result;
        if (target < list_->FixedRows() || target >= list_->RowCount()) {
            lookupEntry_.clear();
        } else {
            if (list_->VisibleRowCount() + list_->FixedRows() < list_->RowCount())
                list_->SetTopRow(target);
            const int selStart = SelStart(), selLength = SelLength();
            fromList_ = true;
            list_->SetCol(0);
            list_->SetRow(target);
            fromList_ = false;
            ListSelectCell(target); // the rows under the current row may have changed
            list_->InvalidateRow(target);
            if (style_ == dsDropDown) {
                SetSelStart(selStart);
                SetSelLength(selLength);
            }
        }
    }
    if (OnGridKeyPress)
        OnGridKeyPress(this, Key);
}

int TCustomPlusGridDropDown::TypeAhead(char c)
{
    if (c == '\t')
        return -1;
    if (c == '\b') {
        TypeAheadBackspace();
        return -1;
    }
    lookupEntry_ += c;
    const String entry = Trim(lookupEntry_);
    if (LookupMethod == lmNarrowDown) {
        if (!list_)
            return -1;
        if (entry.empty()) {
            ClearNarrowing();
        } else {
            list_->FixedRowAlways = true;
            list_->NarrowDownRows(entry, LookupColumn);
            RefreshShownItems();
        }
        const int first = list_->FixedRows();
        if (first >= list_->RowCount())
            return -1;
        if (!entry.empty() && style_ == dsDropDown) {
            const String text = list_->GetCellText(LookupColumn, first);
            ShowText(text);
            SetSelStart(std::min(int(lookupEntry_.size()), int(text.size())));
            SetSelLength(std::max(0, int(text.size()) - int(lookupEntry_.size())));
        }
        return first;
    }
    auto take = [&](int found, const String& text) {
        itemIndex_ = UseItems ? found : found - list_->FixedRows();
        ShowText(text);
        if (style_ == dsDropDown) {
            SetSelStart(std::min(int(lookupEntry_.size()), int(text.size())));
            SetSelLength(std::max(0, int(text.size()) - int(lookupEntry_.size())));
        }
    };
    RefreshShownItems();
    String found;
    int i = FindLookupPrefix(entry, found);
    if (i >= 0) {
        take(i, found);
        return i;
    }
    if (style_ != dsDropDownList)
        return -1;
    i = FindLookupPrefix(String(1, c), found);
    if (i >= 0) {
        lookupEntry_ = String(1, c);
        take(i, found);
        return i;
    }
    lookupEntry_.clear();
    return -1;
}

int TCustomPlusGridDropDown::FindLookupPrefix(const String& Text, String& found) const
{
    if (!list_)
        return -1;
    const String key = LookupKeyOf(Text);
    auto starts = [&](const String& t) { return StartsWithLookupKey(t, key); };
    if (UseItems) {
        for (int i = 0; i < items_->Count(); ++i) {
            const String t = items_->Items(i)->TextOf(LookupColumn);
            if (starts(t) && ItemShown(i)) {
                found = t;
                return i;
            }
        }
        return -1;
    }
    for (int r = list_->FixedRows(); r < list_->RowCount(); ++r) {
        const String t = list_->GetCellText(LookupColumn, r);
        if (starts(t)) {
            found = t;
            return r;
        }
    }
    return -1;
}
