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
#include "components/dropdown/PlusColumnListDropDown.h"
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
class TPlusColGrid : public TColumnListGrid<TStringGrid, TDropDownColumns> {
public:
    explicit TPlusColGrid(TComponent* AOwner);
    String ClassName() const override { return "TPlusColGrid"; }
    TColumnDrawCellEvent OnDrawCell;
    TGetCellTextEvent OnGetCellText;
    TGetCellPropEvent OnGetCellProp;

    TPlusMultiColumnDropDown* DropDown() const { return dropDown_; }
    void Bind(TPlusMultiColumnDropDown* d) { dropDown_ = d; }
    void LoadFromDropDown(TPlusMultiColumnDropDown* d);
    TRect GetCellBounds(int ACol, int ARow) const;
    void CellContent(int col, int row, String& text, int& image) override;

protected:
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;

private:
    TPlusMultiColumnDropDown* dropDown_ = nullptr;
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

class TPlusMultiColumnDropDown : public TPlusColumnListDropDown {
public:
    using TPlusColGrid = PlusMultiColumnDropDown::TPlusColGrid;
    using TDropDownColumns = PlusMultiColumnDropDown::TDropDownColumns;
    using TDropDownItems = PlusMultiColumnDropDown::TDropDownItems;

    explicit TPlusMultiColumnDropDown(TComponent* AOwner);
    ~TPlusMultiColumnDropDown() override;
    String ClassName() const override { return "TPlusMultiColumnDropDown"; }
    void Assign(TPersistent* Source) override;

    TDropDownColumns* Columns() const { return columns_.get(); }
    void SetColumns(TDropDownColumns* v) { columns_->Assign(v); }
    TDropDownItems* Items() const { return items_.get(); }
    void SetItems(TDropDownItems* v) { items_->Assign(v); }
    void SetItemIndex(int Value) override;
    PlusMultiColumnDropDown::TColumnDrawCellEvent OnDropDownDrawItem;
    PlusMultiColumnDropDown::TGetCellTextEvent OnDropDownGetItemText;
    PlusMultiColumnDropDown::TGetCellPropEvent OnDropDownGetItemProp;

    TPlusColGrid* ListGrid() const { return list_; }
    bool AutoCompleting() const { return autoCompleting_; }

    void ShowDropDown() override;
    void HideDropDown(bool Cancel) override;
    void DropDownControlKeyDown(WORD& Key, TShiftState Shift) override;
    void DropDownControlKeyUp(WORD& Key, TShiftState Shift) override;
    void DropDownControlKeyPress(char& Key) override;

protected:
    TCollection* RowItems() const override { return items_.get(); }
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void PlaceDropDownControl() override;
    void AdaptDropDownSize() override { AdaptListWidth(list_); }
    void ColumnsToDropDownWidth() override { FitColumnsToDropDown(list_, columns_.get()); }
    void StepKey(WORD key, bool shift) override;
    void Dispatch(TMessage& m) override;

private:
    void ListSelectCell(int row);
    void ListSelect();
    int ListTypeAhead(char c);
    int FindLookupPrefix(const String& Text, String& found) const;

    std::unique_ptr<TDropDownColumns> columns_;
    std::unique_ptr<TDropDownItems> items_;
    TPlusColGrid* list_ = nullptr;
    bool filling_ = false;
};
