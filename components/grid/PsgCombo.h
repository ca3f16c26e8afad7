#pragma once
// The combo box of the grid's in-place combo editors and of the combos in cells: the platform
// combo box with flat and etched looks, custom button colours, focus colours, hot tracking,
// a drop-down width of its own and an attached caption label.
#include "platform/framework/StdCtrls.h"

#include <memory>

// Where an attached caption label goes. One type for the combo and the drop-down edits, so that
// both can be used in one unit: the combo places its label by the first thirteen values; the
// two right-aligned placements above and below (lpTopRight, lpBottomRight) are the drop-downs'.
enum TLabelPosition {
    lpLeftTop, lpLeftCenter, lpLeftBottom, lpTopLeft, lpBottomLeft, lpLeftTopLeft, lpLeftCenterLeft,
    lpLeftBottomLeft, lpTopCenter, lpBottomCenter, lpRightTop, lpRightCenter, lpRighBottom,
    lpTopRight, lpBottomRight
};

class TPsgCustomCombo : public TCustomComboBox {
public:
    explicit TPsgCustomCombo(TComponent* owner);
    ~TPsgCustomCombo() override;
    String ClassName() const override { return "TPsgCustomCombo"; }

    bool Flat() const { return flat_; }
    void SetFlat(bool on);
    bool Etched() const { return etched_; }
    void SetEtched(bool on);
    int ButtonWidth() const { return buttonWidth_; }
    // Only 14 to 32 are taken; other widths are ignored.
    void SetButtonWidth(int width);
    bool FocusBorder = false;
    TColor FocusBorderColor = clNone;
    TColor FocusColor = clNone;
    bool FocusLabel() const { return focusLabel_; }
    void SetFocusLabel(bool on);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor color);
    bool DisabledBorder = true;
    TColor FlatLineColor = clBlack;
    bool FlatParentColor = true;
    bool AutoFocus = false;
    bool AutoComplete = true;
    int DropWidth() const { return dropWidth_; }
    // Stored; a width above 0 is applied to the list (CB_SETDROPPEDWIDTH).
    void SetDropWidth(int width);
    String LabelCaption() const;
    void SetLabelCaption(const String& caption);
    TLabelPosition LabelPosition() const { return labelPosition_; }
    void SetLabelPosition(TLabelPosition position);
    int LabelMargin() const { return labelMargin_; }
    void SetLabelMargin(int margin);
    TFont* LabelFont() const { return labelFont_.get(); }
    void SetLabelFont(TFont* font);
    bool LabelTransparent = false;
    bool LabelAlwaysEnabled = false;
    TLabel* Label() const { return label_; }
    TNotifyEvent OnDropUp;

    bool IsWinXP = false;
    bool IsVista = false;
    TColor ButtonColor = clNone;
    TColor ButtonColorHot = clNone;
    TColor ButtonColorDown = clNone;
    TColor ButtonBorderColor = clNone;
    TColor ButtonTextColor = clNone;
    TColor ButtonTextColorHot = clNone;
    TColor ButtonTextColorDown = clNone;

    void SetColor(TColor color) override;
    void SetVisible(bool v) override;
    void SetEnabled(bool v) override;
    void SetBounds(int left, int top, int width, int height) override;
    bool MouseInControl() const { return mouseIn_; }
    bool MouseOnButton() const { return mouseOnButton_; }
    // Places the label by LabelPosition beside the combo.
    void UpdateLabel();

protected:
    void Loaded() override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void Dispatch(TMessage& message) override;
    void CreateLabel();

private:
    void FocusGained();
    void FocusLost();
    bool flat_ = false;
    bool etched_ = false;
    int buttonWidth_ = 19;
    bool focusLabel_ = false;
    TColor borderColor_ = clNone;
    int dropWidth_ = 0;
    TLabelPosition labelPosition_ = lpLeftTop;
    int labelMargin_ = 4;
    std::unique_ptr<TFont> labelFont_;
    TLabel* label_ = nullptr;
    bool mouseIn_ = false;
    bool mouseOnButton_ = false;
    bool focused_ = false;
    TColor normalColor_ = clNone;
    TColor loadedColor_ = clWindow;
    TColor disabledKeptColor_ = clNone;
    bool disabledKeptParentColor_ = false;
};

class TPsgComboBox : public TPsgCustomCombo {
public:
    explicit TPsgComboBox(TComponent* owner) : TPsgCustomCombo(owner) {}
    String ClassName() const override { return "TPsgComboBox"; }
};
