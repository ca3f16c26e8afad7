#pragma once
// The calculator drop-down: a numeric edit whose pop-up is a pocket calculator of 28 keys
// (TCustomButtonPanel). The edit's value is the calculator's display; the calculation can also
// be driven by typing in the edit. No operator precedence: every operator first completes the
// pending one. Division by zero, the root of a negative number, the reciprocal of 0 and an
// overflow show "Error".
#include "components/dropdown/PlusDropDown.h"

// A key of the panel; Tag is its function code.
class TButtonItem : public TCollectionItem {
public:
    explicit TButtonItem(TCollection* c) : TCollectionItem(c) {}
    String ClassName() const override { return "TButtonItem"; }
    void Assign(TPersistent* Source) override;
    String Caption;
    TColor CaptionColor = 0xFFFFFF;
    int ImageIndex = -1;
    int Tag = 0;
    bool Enabled = true;
    String Name;
    bool Special = false;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    TRect Rect() const { return TRect(Left, Top, Left + Width, Top + Height); }
};

class TButtonItems : public TCollection {
public:
    explicit TButtonItems(TPersistent* owner) : TCollection(ItemClassOf<TButtonItem>()), owner_(owner) {}
    TButtonItem* Add() { return static_cast<TButtonItem*>(TCollection::Add()); }
    TButtonItem* Items(int i) const { return static_cast<TButtonItem*>(TCollection::Items(i)); }
    TPersistent* Owner() const override { return owner_; }

private:
    TPersistent* owner_;
};

class TButtonAppearance : public TPersistent {
public:
    TButtonAppearance();
    String ClassName() const override { return "TButtonAppearance"; }
    void Assign(TPersistent* Source) override;
    TColor Color, ColorTo, ColorHot, ColorHotTo, ColorDown, ColorDownTo, GlowColorHot, GlowColorDown;
    TColor ShineColor = 0xFFFFFF;
    TColor BorderColor = 0, BorderColorHot = 0, BorderColorDown = 0;
    TColor TextColor = 0, SpecialTextColor = 128;
    TColor ColorChecked, ColorCheckedTo, ColorDisabled, ColorDisabledTo, BorderColorChecked = 0xFF0000;
    TFont* Font() const { return font_.get(); }
    TNotifyEvent OnChange;
    void Changed();

private:
    std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
};

class TPlusCalculatorDropdown;
// A key of the panel was clicked (its index). Named apart from the grid's cell-button event.
using TButtonPanelClickEvent = std::function<void(TObject* Sender, int Index)>;

// Paints one key: a lower gradient half, a shining upper half, an inner line, the border and,
// with a glow colour, a glow around the key.
void DrawGlossyButton(TCanvas* Canvas, TRect R, TColor BorderColor, TColor InnerLineColor, TColor Color,
                      TColor ColorTo, TColor GlowColor, TColor ShineColor);

class TCustomButtonPanel : public TCustomControl {
public:
    explicit TCustomButtonPanel(TComponent* AOwner);
    String ClassName() const override { return "TCustomButtonPanel"; }
    TButtonItems* Buttons() const { return buttons_.get(); }
    TButtonAppearance* ButtonAppearance() const { return appearance_.get(); }
    TItemLayout ButtonLayout = ilCaptionRight;
    int HotIndex() const { return hot_; }
    int PressedIndex() const { return pressed_; }
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* v);
    TPlusCalculatorDropdown* Calculator = nullptr;
    TButtonPanelClickEvent OnButtonClick;
    int ButtonAtPos(int x, int y) const;

    virtual void DrawButton(int Index, TCanvas* ACanvas);
    virtual TRect GetButtonArea() const;
    virtual TSize GetButtonSize();
    virtual void ClearButtons();
    virtual void ResetButtons();
    virtual void CreateDefaultButtons();
    virtual void LayoutButtons();
    virtual void InvalidateButton(int Index);
    virtual void DoButtonClick(int Index);

protected:
    void Paint() override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseMove(TShiftState s, int x, int y) override;
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;

private:
    void SetHot(int index);
    void SetPressed(int index);
    std::unique_ptr<TButtonItems> buttons_;
    std::unique_ptr<TButtonAppearance> appearance_;
    int hot_ = -1, pressed_ = -1;
    int offsetX_ = 8, offsetY_ = 8, keyOffsetX_ = 4, keyOffsetY_ = 4, captionGap_ = 0;
    TCustomImageList* images_ = nullptr;
};

class TPlusCalculatorDropdown : public TPlusCustomDropDown {
public:
    explicit TPlusCalculatorDropdown(TComponent* AOwner);
    String ClassName() const override { return "TPlusCalculatorDropdown"; }
    TButtonAppearance* CalcButtonAppearance() const { return calcAppearance_.get(); }
    TCustomButtonPanel* ButtonPanel() const { return panel_; }
    bool ShowThousandSeparator() const { return showThousands_; }
    void SetShowThousandSeparator(bool v);

    // the equals action
    void CompleteCalculation();
    // a key of the panel, by its index (as a click on it)
    void CalcButtonClick(int Index);
    // the same by function code
    void PressKey(int Code);
    double Memory() const { return double(memory_); }
    int PendingOperation() const { return pending_; }

    void KeyPress(char& Key) override;
    void DropDownFormKeyPress(char& Key) override;
    void DropDownFormKeyDown(WORD& Key, TShiftState Shift) override;
    void ApplyColorStyle(uint8_t Style) override;

protected:
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    virtual void BeforeCalculatorInput() {}
    void Dispatch(TMessage& m) override;

private:
    void ApplyPendingOperation();
    void Operator(int op);
    void Percent();
    double DisplayNumber() const;
    bool DisplayIsZero() const;
    bool DisplayFull() const;
    std::unique_ptr<TButtonAppearance> calcAppearance_;
    TCustomButtonPanel* panel_ = nullptr;
    long double running_ = 0;
    int pending_ = -1;
    long double memory_ = 0;
    int divisor_ = 0;
    bool newValue_ = false;
    bool closed_ = true;
    bool showThousands_ = false;
};
