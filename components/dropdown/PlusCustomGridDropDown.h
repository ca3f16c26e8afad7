#pragma once
// An edit whose pop-up list is a complete string grid. Two modes (UseItems):
//  - items mode: the rows are the drop-down's Items, copied into the list each time it opens;
//    column 0 of every data row carries its item index as cell object, so that sorting and
//    narrowing the list keep each row with its item (ItemOfRow, RowOfItem);
//  - grid mode: the application fills the list (GetGrid) and ItemIndex is a list row less
//    the fixed rows.
// Characters typed into the edit or the open list either jump to the first row whose lookup
// text starts with them (lmLookup) or narrow the list down to the rows whose lookup text
// contains them (lmNarrowDown). A row the list's filter hides is never chosen by a lookup or
// an auto-completion.
#include "components/grid/PlusGrid.h"
#include "components/dropdown/PlusMultiColumnDropDown.h"

enum TLookupMethod { lmLookup, lmNarrowDown };
enum TDropDownStyle { dsDropDown, dsDropDownList };
enum TGridSorting { gsNone, gsSingleColumn, gsMultiColumn };

class TCustomPlusGridDropDown;

namespace PlusCustomGridDropDown {

using PlusMultiColumnDropDown::TColumnType;
using PlusMultiColumnDropDown::ctImage;
using PlusMultiColumnDropDown::ctText;

class TDropDownColumn : public PlusMultiColumnDropDown::TDropDownColumn {
public:
    explicit TDropDownColumn(TCollection* c) : PlusMultiColumnDropDown::TDropDownColumn(c) {}
};

class TDropDownColumns : public TCollection {
public:
    explicit TDropDownColumns(TPersistent* owner) : TCollection(ItemClassOf<TDropDownColumn>()), owner_(owner) {}
    TDropDownColumn* Add() { return static_cast<TDropDownColumn*>(TCollection::Add()); }
    TDropDownColumn* Items(int i) const { return static_cast<TDropDownColumn*>(TCollection::Items(i)); }
    TPersistent* Owner() const override { return owner_; }

private:
    TPersistent* owner_;
};

class TDropDownItem : public PlusMultiColumnDropDown::TDropDownItem {
public:
    explicit TDropDownItem(TCollection* c) : PlusMultiColumnDropDown::TDropDownItem(c) {}
};

class TDropDownItems : public TCollection {
public:
    explicit TDropDownItems(TPersistent* owner) : TCollection(ItemClassOf<TDropDownItem>()), owner_(owner) {}
    TDropDownItem* Add() { return static_cast<TDropDownItem*>(TCollection::Add()); }
    TDropDownItem* Items(int i) const { return static_cast<TDropDownItem*>(TCollection::Items(i)); }
    TPersistent* Owner() const override { return owner_; }

protected:
    // for descendants with items of their own class
    TDropDownItems(TPersistent* owner, TItemFactory itemClass) : TCollection(std::move(itemClass)), owner_(owner) {}

private:
    TPersistent* owner_;
};

// The pop-up list: a string grid that holds the rows in its own cells.
class TPlusColGrid : public TColumnListGrid<TPlusStringGrid, TDropDownColumns> {
public:
    explicit TPlusColGrid(TComponent* AOwner);
    String ClassName() const override { return "TPlusColGrid"; }

    TCustomPlusGridDropDown* DropDown() const { return dropDown_; }
    void Bind(TCustomPlusGridDropDown* d) { dropDown_ = d; }
    void LoadFromDropDown(TCustomPlusGridDropDown* d);
    // Items mode: header texts, then every item's texts; column 0 of data row j + 1 carries j.
    void FillFromItems();
    // The item index a data row carries (-1 for none).
    int ItemOfRowObject(int row) const;

protected:
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;
    void Dispatch(TMessage& m) override;

private:
    void CellContent(int col, int row, String& text, int& image) override;
    TCustomPlusGridDropDown* dropDown_ = nullptr;
};

} // namespace PlusCustomGridDropDown

// The list grid's events passed on as OnGrid... events of the drop-down: the drop-down's
// event name, then the list's.
#define QUELM_GRID_DROPDOWN_RELAYS(X)                                                                        \
    X(AutoAddRow, AutoAddRow) X(InsertRow, AutoInsertRow) X(DeleteRow, AutoDeleteRow)                        \
    X(InsertCol, AutoInsertCol) X(CanAddRow, CanAddRow) X(CanDeleteRow, CanDeleteRow)                        \
    X(CanInsertRow, CanInsertRow) X(CanEditCell, CanEditCell) X(ColumnSize, ColumnSize)                      \
    X(ColumnSizing, ColumnSizing) X(EndColumnSize, EndColumnSize) X(RowSize, RowSize) X(RowSizing, RowSizing) \
    X(EndRowSize, EndRowSize) X(RowMove, RowMove) X(RowMoved, RowMoved) X(ColumnMove, ColumnMove)            \
    X(ColumnMoved, ColumnMoved) X(GetAlignment, GetAlignment) X(GetCellColor, GetCellColor)                  \
    X(GetCellGradient, GetCellGradient) X(GetEditorType, GetEditorType) X(GetEditorProp, GetEditorProp)      \
    X(RightClickCell, RightClickCell) X(GetDiplText, GetDisplText) X(GetFormat, GetFormat)                    \
    X(Hint, GridHint) X(OfficeHint, OfficeHint) X(MouseDown, MouseDown) X(MouseUp, MouseUp)                   \
    X(ScrollHint, ScrollHint) X(SearchEditChange, SearchEditChange) X(AnchorEnter, AnchorEnter)              \
    X(AnchorExit, AnchorExit) X(CellBalloon, CellBalloon) X(ColumnMoving, ColumnMoving) X(RowMoving, RowMoving)

class TCustomPlusGridDropDown : public TPlusColumnListDropDown {
public:
    using TPlusColGrid = PlusCustomGridDropDown::TPlusColGrid;
    using TDropDownColumns = PlusCustomGridDropDown::TDropDownColumns;
    using TDropDownItems = PlusCustomGridDropDown::TDropDownItems;

    explicit TCustomPlusGridDropDown(TComponent* AOwner);
    ~TCustomPlusGridDropDown() override;
    String ClassName() const override { return "TCustomPlusGridDropDown"; }
    void Loaded() override;
    static uint32_t GetVersionNr() { return (2u << 24) | (3u << 16) | (0u << 8) | 1u; }

    bool UseItems = true;
    TDropDownColumns* Columns() const { return columns_.get(); }
    void SetColumns(TDropDownColumns* v) { columns_->Assign(v); }
    TDropDownItems* Items() const { return items_.get(); }
    void SetItems(TDropDownItems* v) { items_->Assign(v); }
    void SetItemIndex(int Value) override;
    TLookupMethod LookupMethod = lmLookup;
    TDropDownStyle Style() const { return style_; }
    void SetStyle(TDropDownStyle v);
    bool AutoShowDropDown = false;
    bool ColumnMoving = false, RowSizing = false, RowMoving = false;
    bool RowSelect = true;
    bool GridEditable = false;
    TCustomImageList* GridImages() const { return gridImages_; }
    void SetGridImages(TCustomImageList* v);
    bool HoverRow = false;
    TColor HoverRowColor = clInfoBk, HoverRowColorTo = clNone;
    TGridSorting Sorting = gsNone;
    TSearchFooter* SearchFooter() const { return searchFooter_.get(); }
    TBands* Bands() const { return bands_.get(); }
    TNavigation* Navigation() const { return navigation_.get(); }
    TMouseActions* MouseActions() const { return mouseActions_.get(); }

#define QUELM_DECLARE_RELAY(Own, Grid) decltype(TPlusStringGrid::On##Grid) OnGrid##Own;
    QUELM_GRID_DROPDOWN_RELAYS(QUELM_DECLARE_RELAY)
#undef QUELM_DECLARE_RELAY
    TButtonClickEvent OnGridButtonClick;
    TEllipsClickEvent OnGridEllipsClick;
    TCheckBoxClickEvent OnGridCheckBoxClick;
    TCanSortEvent OnGridCanSort;
    TClickSortEvent OnGridClickSort;
    TCustomCellDrawEvent OnGridCustomCellDraw, OnGridCustomCellBkgDraw;
    TMouseMoveEvent OnGridMouseMove;
    TKeyEvent OnGridKeyDown, OnGridKeyUp;
    TKeyPressEvent OnGridKeyPress;
    TNotifyEvent OnGridTopLeftChanged;
    // A click on a link of a list cell; a window its handler opens leaves the pop-up open.
    decltype(TPlusStringGrid::OnAnchorClick) OnGridAnchorClick;
    // Not fired by the list itself: sorting, spin buttons and link hints go the list's own way.
    TCustomCompareEvent OnGridCustomCompare;
    TRawCompareEvent OnGridRawCompare;
    TSpinClickEvent OnGridSpinClick;
    std::function<void(TObject* Sender, int ARow, int ACol, String& Anchor)> OnGridAnchorHint;
    std::function<void(TObject* Sender, int ACol, int ARow, bool& IsFloat, String& FloatFormat)> OnGridGetFloatFormat;
    // The list's balloon hints were set up in this drop (by the first mouse move over it).
    bool BalloonReady() const { return balloonReady_; }

    // The list grid: filled by the application in grid mode.
    TPlusColGrid* GetGrid() const { return list_; }
    int SelectedRow() const { return selectedRow_; }
    // Items mode: the item a list row shows and the list row showing an item.
    int ItemOfRow(int row) const;
    int RowOfItem(int item) const;
    // The number of rows to choose from: the items, or the list's data rows in grid mode.
    int ItemCount() const;

    void ShowDropDown() override;
    void HideDropDown(bool Cancel) override;
    void DropDownControlKeyDown(WORD& Key, TShiftState Shift) override;
    void DropDownControlKeyUp(WORD& Key, TShiftState Shift) override;
    void DropDownControlKeyPress(char& Key) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;

protected:
    virtual std::unique_ptr<TDropDownItems> CreateItems(TPersistent* AOwner);
    void Notification(TComponent* component, TOperation operation) override;
    TCollection* RowItems() const override { return items_.get(); }
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void PlaceDropDownControl() override;
    void AdaptDropDownSize() override { AdaptListWidth(list_); }
    void ColumnsToDropDownWidth() override { FitColumnsToDropDown(list_, columns_.get()); }
    void StepKey(WORD key, bool shift) override;
    void DoEnter() override;
    void Dispatch(TMessage& m) override;

private:
    void BindRelays();
    void ListSelectCell(int row);
    void ListSelect();
    int TypeAhead(char c);
    // Items mode: the item index (hidden rows skipped); grid mode: the list row. -1: none.
    int FindLookupPrefix(const String& Text, String& found) const;
    bool ItemShown(int item) const override;
    void RefreshShownItems() override;
    int IndexOfRow(int row) const; // the ItemIndex a list row stands for
    void ClearNarrowing();
    bool ListEditing() const;

    std::unique_ptr<TDropDownColumns> columns_;
    std::unique_ptr<TDropDownItems> items_;
    std::unique_ptr<TSearchFooter> searchFooter_;
    std::unique_ptr<TBands> bands_;
    std::unique_ptr<TNavigation> navigation_;
    std::unique_ptr<TMouseActions> mouseActions_;
    TPlusColGrid* list_ = nullptr;
    TCustomImageList* gridImages_ = nullptr;
    TDropDownStyle style_ = dsDropDown;
    int selectedRow_ = -1, sortItemIndex_ = -1;
    bool balloonReady_ = false, fromList_ = false;
    // Items whose rows the list's filter hides (empty while nothing is hidden).
    std::vector<char> itemShown_;
};

class TPlusGridDropDown : public TCustomPlusGridDropDown {
public:
    using TCustomPlusGridDropDown::TCustomPlusGridDropDown;
    String ClassName() const override { return "TPlusGridDropDown"; }
};
