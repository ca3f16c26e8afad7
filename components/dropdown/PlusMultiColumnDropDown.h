#pragma once
// An edit with a pop-up list of rows in several columns. Each row (item) carries one text per
// column and an image index; the edit shows the chosen row's text in the lookup column.
// Typing in the edit completes the text from the lookup texts of all rows; typing while the
// list is open jumps to the first row whose lookup text starts with the typed characters.
//
// The list (TPlusColGrid) keeps no texts of its own: row r shows item r - 1, row 0 the column
// headers. Keys and clicks in the open list take the row at once; the wheel only scrolls;
// cancelling restores the row chosen when the list opened.
//
// The colour-style table and the edit's auto-completion are shared with the grid drop-down.
#include "components/dropdown/PlusDropDown.h"

#include "platform/framework/Grids.h"

namespace PlusMultiColumnDropDown {

enum TColumnType { ctText, ctImage };

class TDropDownColumn : public TCollectionItem {
public:
    explicit TDropDownColumn(TCollection* c);
    String ClassName() const override { return "TDropDownColumn"; }
    void Assign(TPersistent* Source) override;
    int Width = 80;
    TColor Color = 0xFFFFFF;
    TAlignment Alignment = taLeftJustify;
    bool Ellipsis = false;
    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* f) { font_->Assign(f); }
    TColumnType ColumnType = ctText;
    String Header;
    bool Wordwrap = false;
    bool AutoSize = false;

private:
    std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
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

class TDropDownItem : public TCollectionItem {
public:
    explicit TDropDownItem(TCollection* c) : TCollectionItem(c) {}
    String ClassName() const override { return "TDropDownItem"; }
    void Assign(TPersistent* Source) override;
    int ImageIndex = -1;
    TStringList* Text() const { return text_.get(); }
    void SetText(TStrings* s) { text_->Assign(*s); }
    // The row's text in column `col`; empty when the row has no such string.
    String TextOf(int col) const;

private:
    std::unique_ptr<TStringList> text_ = std::make_unique<TStringList>();
};

class TDropDownItems : public TCollection {
public:
    explicit TDropDownItems(TPersistent* owner) : TCollection(ItemClassOf<TDropDownItem>()), owner_(owner) {}
    TDropDownItem* Add() { return static_cast<TDropDownItem*>(TCollection::Add()); }
    TDropDownItem* Items(int i) const { return static_cast<TDropDownItem*>(TCollection::Items(i)); }
    TPersistent* Owner() const override { return owner_; }

protected:
    TDropDownItems(TPersistent* owner, TItemFactory f) : TCollection(std::move(f)), owner_(owner) {}

private:
    TPersistent* owner_;
};

using TGetCellTextEvent = std::function<void(TObject* Sender, int Column, int Row, String& Text)>;
using TGetCellPropEvent =
    std::function<void(TObject* Sender, int Column, int Row, TFont* Font, TColor& AColor, TColor& AColorTo)>;
using TColumnDrawCellEvent =
    std::function<void(TObject* Sender, int Column, int Row, TCanvas* ACanvas, TRect ARect)>;

} // namespace PlusMultiColumnDropDown

class TPlusMultiColumnDropDown;

namespace PlusMultiColumnDropDown {

// The pop-up list: draws its rows from the bound drop-down's items.
class TPlusColGrid : public TStringGrid {
public:
    explicit TPlusColGrid(TComponent* AOwner);
    String ClassName() const override { return "TPlusColGrid"; }
    TDropDownColumns* Columns() const { return columns_.get(); }
    TColor HeaderColor = 0xFFFFFF, HeaderColorTo = 0x808080;
    int HeaderHeight = 25;
    TFont* HeaderFont() const { return headerFont_.get(); }
    TColor LineColor = 0x808080, FixedLineColor = 0;
    int GridLineWidth() const { return lineWidth_; }
    void SetGridLineWidth(int v);
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* v);
    TNotifyEvent OnSelect;
    TColumnDrawCellEvent OnDrawCell;
    TGetCellTextEvent OnGetCellText;
    TGetCellPropEvent OnGetCellProp;

    TPlusMultiColumnDropDown* DropDown() const { return dropDown_; }
    void Bind(TPlusMultiColumnDropDown* d) { dropDown_ = d; }
    void LoadFromDropDown(TPlusMultiColumnDropDown* d);
    int GetColumnsWidth();
    TRect GetCellBounds(int ACol, int ARow) const;
    void AutoSizeColumns();
    void AutoSizeColumn(int col);
    void AutoSizeRows();
    bool Confirmed() const { return confirm_; }
    void SetConfirmed(bool v) { confirm_ = v; }
    bool WheelScrolling() const { return wheel_; }
    // The text and image index of a data cell, as the list shows and measures it.
    void CellContent(int col, int row, String& text, int& image) const;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    virtual void DoSelect();
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;
    bool DoMouseWheelDown(TShiftState shift, TPoint pos) override;
    bool DoMouseWheelUp(TShiftState shift, TPoint pos) override;
    void Dispatch(TMessage& m) override;

private:
    bool OnDropDownForm() const;
    std::unique_ptr<TDropDownColumns> columns_;
    std::unique_ptr<TFont> headerFont_ = std::make_unique<TFont>();
    int lineWidth_ = 1;
    TCustomImageList* images_ = nullptr;
    TPlusMultiColumnDropDown* dropDown_ = nullptr;
    bool wheel_ = false, confirm_ = false;
};

// ---- shared with the grid drop-down

// The result of completing the text before the caret from a list of lookup texts.
struct TLookupCompletion {
    bool Matched = false;
    int Index = -1;       // the lookup text's index
    String Text;          // the typed part followed by the rest of the lookup text
    int TypedLength = 0;  // characters typed before the caret
};
// The first lookup text starting with text[0, caret) without regard to case, among the
// indexes `usable` accepts (all when it is empty). An empty typed part matches nothing.
TLookupCompletion CompleteFromLookup(const TStringList* lookup, const String& text, int caret,
                                     const std::function<bool(int)>& usable);

// The colours of the list's header, lines and selection that a colour style sets.
struct TColumnListLook {
    TColor& HeaderColor;
    TColor& HeaderColorTo;
    TFont* HeaderFont;
    TColor& LineColor;
    TColor& FixedLineColor;
    TColor& SelectionTextColor;
    TColor& SelectionColor;
    TColor& SelectionColorTo;
};
// Applies a colour style's own colours of the list; `setSelectionStyle` is called at the point
// where the style's selection colour style is to be applied. `laterStyles`: styles 6 and 12 to
// 15 have colours of their own (else only 6 and 12). Style 8 and numbers above 15 add nothing.
void ApplyColumnListStyle(uint8_t Style, const TColumnListLook& look, bool laterStyles,
                          const std::function<void(uint8_t)>& setSelectionStyle);
// Widths of `widths` scaled to fill `width` in proportion, with the rounding error carried on.
std::vector<int> ColumnWidthsToFill(const std::vector<int>& widths, int width);

} // namespace PlusMultiColumnDropDown

class TPlusMultiColumnDropDown : public TPlusCustomDropDown {
public:
    using TPlusColGrid = PlusMultiColumnDropDown::TPlusColGrid;
    using TDropDownColumns = PlusMultiColumnDropDown::TDropDownColumns;
    using TDropDownItems = PlusMultiColumnDropDown::TDropDownItems;

    explicit TPlusMultiColumnDropDown(TComponent* AOwner);
    ~TPlusMultiColumnDropDown() override;
    String ClassName() const override { return "TPlusMultiColumnDropDown"; }
    void Assign(TPersistent* Source) override;
    void Loaded() override;

    TDropDownColumns* Columns() const { return columns_.get(); }
    void SetColumns(TDropDownColumns* v) { columns_->Assign(v); }
    TDropDownItems* Items() const { return items_.get(); }
    void SetItems(TDropDownItems* v) { items_->Assign(v); }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int Value);
    int LookupColumn = 0;
    bool CaseSensitive = false;
    TColor HeaderColor = 0xFFFFFF, HeaderColorTo = 0x808080;
    int HeaderHeight = 25;
    TFont* HeaderFont() const { return headerFont_.get(); }
    void SetHeaderFont(TFont* f) { headerFont_->Assign(f); }
    TColor LineColor = 0xF1EDEB, FixedLineColor = 0xD1BBA4;
    TColor SelectionTextColor = 0;
    int DropDownRowHeight = 22;
    bool DropDownAutoWidth = true;
    bool ColumnSizing = false;
    bool ColumnSizeWithDropDown = true;
    TNotifyEvent OnSelect;
    PlusMultiColumnDropDown::TColumnDrawCellEvent OnDropDownDrawItem;
    PlusMultiColumnDropDown::TGetCellTextEvent OnDropDownGetItemText;
    PlusMultiColumnDropDown::TGetCellPropEvent OnDropDownGetItemProp;

    int IndexOfLookupText(const String& Text) const;
    void UpdateLookupList();
    virtual void BeforeLookupUpdate() {}
    TPlusColGrid* ListGrid() const { return list_; }
    const TStringList* LookupItems() const { return lookupItems_.get(); }
    String LookupEntry() const { return lookupEntry_; }
    bool AutoCompleting() const { return autoCompleting_; }

    void ShowDropDown() override;
    void HideDropDown(bool Cancel) override;
    void DropDownFormShown() override;
    void DropDownControlKeyDown(WORD& Key, TShiftState Shift) override;
    void DropDownControlKeyUp(WORD& Key, TShiftState Shift) override;
    void DropDownControlKeyPress(char& Key) override;
    void SetSelectionColorStyle(uint8_t Style) override;
    void ApplyColorStyle(uint8_t Style) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;

protected:
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void PlaceDropDownControl() override;
    void AdaptDropDownSize() override;
    void SelectNext() override;
    void SelectPrevious() override;
    void Change() override;
    void Dispatch(TMessage& m) override;

private:
    void ListSelectCell(int row);
    void ListSelect();
    void ColumnsToDropDownWidth();
    void StepKey(WORD key);
    int ListTypeAhead(char c);
    int FindLookupPrefix(const String& Text, String& found) const;
    void ShowText(const String& text); // sets the edit text without completing it

    std::unique_ptr<TFont> headerFont_;
    std::unique_ptr<TDropDownColumns> columns_;
    std::unique_ptr<TDropDownItems> items_;
    std::unique_ptr<TStringList> lookupItems_ = std::make_unique<TStringList>();
    TPlusColGrid* list_ = nullptr;
    int itemIndex_ = -1, oldItemIndex_ = -1;
    bool autoCompleting_ = true, completionPending_ = false, filling_ = false;
    int completedIndex_ = -1, completedLength_ = 0;
    String lookupEntry_;
};
