#pragma once
// The colour picker drop-down and the three panels its pop-up can hold besides the list of
// named colours: the honeycomb of 127 fixed colours, the spectrum picture and the grid of 60
// theme colour boxes.
//
// The picker is a non-editable drop-down whose value is SelectedColor; the edit shows a box in
// that colour and a text naming it (the chosen list entry's caption, or the colour written in
// the notation of ColorValueText). A pick in the pop-up takes the colour and closes it; keys
// and the wheel step through the list or the boxes and take each colour at once.
#include "components/dropdown/PlusDropDown.h"
#include "components/dropdown/PlusPickerParts.h"

#include "platform/framework/ExtCtrls.h"

#include <array>

enum TItemPos { ipStandAlone, ipTop, ipMiddle, ipBottom };
enum TColorSelectionStyle { csList, csDiscrete, csColorCube, csSpectrum };
enum TColorValueText { cvtNone, cvtHex, cvtWebName, cvtRGB, cvtHTML };

using TOnDrawSelectedItem = std::function<void(TObject* Sender, TCanvas* Canvas, TRect R)>;

// The text of a colour in a notation ($BBGGRR colours; system colours resolved for the RGB
// notations).
String ColorValueTextOf(TColor Color, TColorValueText Notation);

class TPlusCustomColorSelectorPanel : public TCustomControl {
public:
    explicit TPlusCustomColorSelectorPanel(TComponent* AOwner) : TCustomControl(AOwner) {}
    String ClassName() const override { return "TPlusCustomColorSelectorPanel"; }
};

// ---------------------------------------------------------------- the colour cube

struct TCubeCell {
    int X = 0, Y = 0;
    TColor Color = clNone;
};

// 127 hexagonal cells in 13 rows, centred on (91, 80); cells are numbered 1..127 row by row.
class TPlusColorCubePanel : public TPlusCustomColorSelectorPanel {
public:
    explicit TPlusColorCubePanel(TComponent* AOwner);
    String ClassName() const override { return "TPlusColorCubePanel"; }
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor Value) { SelectCubeColor(Value, -1); }
    bool ShowRGBHint() const { return showRGBHint_; }
    void SetShowRGBHint(bool v);
    TNotifyEvent OnSelect;

    void InitCube();
    void ResetCubeHot();
    // The first cell whose circle of radius CellHalfWidth holds the point, else -1.
    int CellAtPos(int X, int Y) const;
    // Index 1..127 takes that cell; otherwise the first cell of the colour, or none.
    void SelectCubeColor(TColor Color, int Index);
    const TCubeCell& Cell(int i) const { return cells_.at(size_t(i)); }
    int SelectedIndex() const { return selectedIndex_; }
    int HotIndex() const { return hotIndex_; }
    int CellHalfWidth = 6, CellQuarterHeight = 3;

protected:
    void Paint() override;
    void MouseMove(TShiftState s, int x, int y) override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void DrawCubeCell(int i);

private:
    std::array<TCubeCell, 128> cells_{};
    TColor selectedColor_ = clNone;
    bool showRGBHint_ = false;
    int selectedIndex_ = -1, hotIndex_ = -1;
};

// The hexagon around (cx, cy) with half width w and quarter height q, in the canvas's pen and brush.
void DrawHexagon(TCanvas* Canvas, int cx, int cy, int w, int q);

// ---------------------------------------------------------------- the spectrum

// A 128 x 128 picture: hue across, near white at the top through full colours to near black.
TBitmap* SpectrumBitmap();

class TPlusColorSpectrumPanel : public TPlusCustomColorSelectorPanel {
public:
    explicit TPlusColorSpectrumPanel(TComponent* AOwner);
    String ClassName() const override { return "TPlusColorSpectrumPanel"; }
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor Value) { selectedColor_ = Value; }
    TColor HotColor() const { return hotColor_; }
    TImage* SpectrumImage() const { return image_; }
    TRect SelectedSwatch, HotSwatch;
    TNotifyEvent OnSelect;
    void LayoutSpectrum();

protected:
    void Paint() override;

private:
    void DrawSwatch(const TRect& S, TColor C);
    TImage* image_;
    TColor hotColor_ = clNone;
    TColor selectedColor_ = 0xFFFFFF;
};

// ---------------------------------------------------------------- the colour box selector

class TColorBoxItem : public TCollectionItem {
public:
    explicit TColorBoxItem(TCollection* c) : TCollectionItem(c) {}
    String ClassName() const override { return "TColorBoxItem"; }
    void Assign(TPersistent* Source) override;
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TItemPos ColorBoxPos = ipStandAlone;
    bool Enabled = true;
    TRect BoxRect;

private:
    TColor color_ = clNone;
};

class TColorBoxItems : public TCollection {
public:
    explicit TColorBoxItems(TPersistent* owner) : TCollection(ItemClassOf<TColorBoxItem>()), owner_(owner) {}
    TColorBoxItem* Add() { return static_cast<TColorBoxItem*>(TCollection::Add()); }
    TColorBoxItem* Items(int i) const { return static_cast<TColorBoxItem*>(TCollection::Items(i)); }
    TPersistent* Owner() const override { return owner_; }

private:
    TPersistent* owner_;
};

class TColorBoxAppearance : public TPersistent {
public:
    String ClassName() const override { return "TColorBoxAppearance"; }
    void Assign(TPersistent* Source) override;
    TColor BorderColor = 0xC5C5C5;           // RGB(197, 197, 197)
    TColor OuterBorderColorHot = 0x3694F2;   // RGB(242, 148, 54)
    TColor InnerBorderColorHot = 0x94E2FF;   // RGB(255, 226, 148)
    TColor OuterBorderColorSelected = 0x0000FF;
    TColor InnerBorderColorSelected = 0x94E2FF;
};

class TCustomColorSelector : public TPlusCustomColorSelectorPanel {
public:
    explicit TCustomColorSelector(TComponent* AOwner);
    String ClassName() const override { return "TCustomColorSelector"; }
    TColorBoxItems* Items() const { return items_.get(); }
    TColorBoxAppearance* ColorBoxAppearance() const { return appearance_.get(); }
    int ItemIndex() const { return itemIndex_; }
    int ItemHot() const { return itemHot_; }
    int OffsetX = 4, OffsetY = 4, ColumnGap = 4, Columns = 10, ColorBoxWidth = 12, ColorBoxHeight = 12;
    uint8_t ItemColorStyle() const { return itemColorStyle_; }
    TColor SelectedColor() const { return selectedColor_; }
    TNotifyEvent OnSelect;

    // The 60 theme colours: a row of base colours, then five rows of their shades.
    void FillThemeColors();
    void SetSelectedColor(TColor Value);
    void SetItemColorStyle(uint8_t Style);
    void HandleSelectorKey(WORD Key, bool EditorEnabled, bool DroppedDown);
    void SelectBox(int Index);
    void SetHotBox(int Index);
    void SelectFirstBox();
    void SelectLastBox();
    void SelectNextBox();
    void SelectPreviousBox();
    void HotNextBox();
    void HotPreviousBox();
    int BoxAtPos(int X, int Y) const;

    virtual void DrawColorBox(int Index, TCanvas* Canvas);
    virtual void GetBoxesRect(TRect& R) const;
    virtual void GetBoxSize(TSize& Size) const;
    virtual void UpdateLayout();
    virtual void InvalidateBox(int Index);

protected:
    void Paint() override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseMove(TShiftState s, int x, int y) override;
    void Dispatch(TMessage& m) override;

private:
    bool Disabled(int Index) const;
    std::unique_ptr<TColorBoxItems> items_;
    std::unique_ptr<TColorBoxAppearance> appearance_;
    int itemIndex_ = -1, itemHot_ = -1;
    uint8_t itemColorStyle_ = 0;
    TColor selectedColor_ = clNone;
};

// ---------------------------------------------------------------- the colour picker

class TColorItem : public TPickerItem {
public:
    explicit TColorItem(TCollection* c) : TPickerItem(c) {}
    String ClassName() const override { return "TColorItem"; }
    void Assign(TPersistent* Source) override;
    TColor Color() const { return color_; }
    void SetColor(TColor v) { Store(color_, v); }
    String Hint;

private:
    TColor color_ = clNone;
};

class TColorItems : public TCollection {
public:
    explicit TColorItems(TPersistent* owner) : TCollection(ItemClassOf<TColorItem>()), owner_(owner) {}
    TColorItem* Add() { return static_cast<TColorItem*>(TCollection::Add()); }
    TColorItem* Items(int i) const { return static_cast<TColorItem*>(TCollection::Items(i)); }
    TPersistent* Owner() const override { return owner_; }

private:
    TPersistent* owner_;
};

class TPlusColorPickerDropDown : public TPlusCustomDropDown {
public:
    explicit TPlusColorPickerDropDown(TComponent* AOwner);
    ~TPlusColorPickerDropDown() override;
    String ClassName() const override { return "TPlusColorPickerDropDown"; }

    TColorSelectionStyle ColorSelectionStyle() const { return style_; }
    void SetColorSelectionStyle(TColorSelectionStyle Value);
    TColorItems* Colors() const { return colors_.get(); }
    void SetColors(TColorItems* v) { colors_->Assign(v); }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int Value);
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor Value);
    int Columns = 1;
    TItemLayout Layout = ilCaptionRight;
    int ColorBoxWidth = 14, ColorBoxHeight = 14;
    TItemAppearance* ItemAppearance() const { return itemAppearance_.get(); }
    TColorValueText ColorValueText = cvtNone;
    bool ShowText() const { return showText_; }
    void SetShowText(bool v);
    TNotifyEvent OnSelect;
    TOnDrawSelectedItem OnDrawSelectedColor;
    TDrawItemEvent OnDrawColor;

    // The 16 standard colours, after the entries there are.
    void AddStandardColors();
    virtual void GetColorText(String& Text);

    TPlusCustomItemSelector* ItemSelector() const { return itemSelector_; }
    TPlusColorCubePanel* CubePanel() const { return cube_; }
    TPlusColorSpectrumPanel* SpectrumPanel() const { return spectrum_; }
    TCustomColorSelector* ColorSelector() const { return colorSelector_; }
    String SearchText() const { return typeAhead_.Text(); }

    void KeyDown(WORD& Key, TShiftState Shift) override { TPlusCustomDropDown::KeyDown(Key, Shift); }
    void SetSelectionColorStyle(uint8_t Style) override;
    void ApplyColorStyle(uint8_t Style) override;
    void HideDropDown(bool Cancel) override;
    void DropDownFormDestroyed() override;

protected:
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void PlaceDropDownControl() override;
    void AdaptDropDownSize() override;
    void SelectNext() override;
    void SelectPrevious() override;
    void PaintWindow(HDC dc) override;
    void Dispatch(TMessage& m) override;

private:
    void EnsureItemSelector();
    void EnsureCubePanel();
    void EnsureSpectrumPanel();
    void EnsureColorSelector();
    void HostControl(TControl* c);
    void HideOthers(TControl* keep);
    void LoadSelector();
    void PrepareList();
    // shows only the current style's control and loads it with the value
    void PrepareStyle();
    void SelectorItemSelected();
    void BoxColorSelected();
    void PanelColorSelected(TColor c);
    void SelectInList(int v);
    void SizeForPanel();
    void ListKey(WORD key, bool picked);
    void DrawSelectedColor(HDC dc);
    template <class F> void Internal(F f)
    {
        internalSelect_ = true;
        f();
        internalSelect_ = false;
    }

    TColorSelectionStyle style_ = csList;
    std::unique_ptr<TColorItems> colors_;
    std::unique_ptr<TItemAppearance> itemAppearance_;
    int itemIndex_ = -1, oldItemIndex_ = -1;
    TColor selectedColor_ = clNone, oldSelectedColor_ = clNone;
    bool showText_ = true;
    TPlusCustomItemSelector* itemSelector_ = nullptr;
    TPlusColorCubePanel* cube_ = nullptr;
    TPlusColorSpectrumPanel* spectrum_ = nullptr;
    TCustomColorSelector* colorSelector_ = nullptr;
    TTypeAhead typeAhead_{this};
    bool internalSelect_ = false;
    bool destroying_ = false;
};
