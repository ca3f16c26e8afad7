#pragma once
// The edit part of every drop-down: a value shown between a fixed TextPrefix and TextSuffix,
// filtered by one of twelve character rules, with the number conversions and formats.
//
// TDropDownValueText is the edit's text model (edit text, SelStart, SelLength, modified flag)
// together with the rules; the drop-down edit base holds one and maps its edit window onto it:
// WM_CHAR goes to TypeChar, WM_KEYDOWN to KeyDown, WM_PASTE to Paste, WM_KILLFOCUS to FocusLost.
//
// Invariants the rules keep for the numeric rules (erInteger, erFloat, erMoney): no typed
// character and no paste leaves a value that the rule cannot read back: at most one decimal
// separator, a '-' only as the first character (and only when Signed), thousand separators
// only at their spacing, and no more integer digits than IntegerDigitLimit. The in-between
// forms "" and "-" and a trailing decimal separator stay allowed while typing.
#include "platform/rtl/SysUtils.h"

#include <cstdint>
#include <functional>

enum TDropDownEditRule : uint8_t {
    erText = 0,
    erInteger = 1,
    erFloat = 2,
    erUpperCase = 3,
    erCapitalized = 4,
    erLowerCase = 5,
    erPassword = 6,
    erMoney = 7,
    erRangeList = 8,
    erHex = 9,
    erAlphaNumeric = 10,
    erCharSet = 11,
};

// 0 integer text, 1 decimal text, 5 hexadecimal text, 2 anything else (also empty, more than
// one '-' or more than one decimal separator). Uses the process's format settings.
int ClassifyNumberText(const String& s);
String StripThousandSeparators(const String& s);
int HexDigitValue(char ch);
int64_t HexToInt(const String& s);
bool IsRangeSeparator(char ch);
// The number in s with thousand separators removed; 0 when it is no number.
double TextToFloat(const String& s);

class TDropDownValueText {
public:
    // settings
    TDropDownEditRule EditRule = erText;
    String TextPrefix;
    String TextSuffix;
    int Precision = 0;
    bool Signed = false;
    int IntegerDigitLimit = 0;
    String AllowedChars;
    bool AutoThousands = true;
    bool AllowEmptyNumber = false;
    int MaxLength = 0;
    // Pasting: the predicted value and a veto that starts true.
    std::function<void(const String& value, bool& allow)> OnPasteText;

    // the edit window's state
    String EditText;
    int SelStart = 0;
    int SelLength = 0;
    bool Modified = false;

    String GetText() const;               // the value: prefix and suffix cut off
    void SetText(const String& value);    // formats by rule and precision, clears Modified
    void SetTextDirect(const String& text); // the edit text as given
    const String& LastSetText() const { return lastSet_; }

    double GetFloatValue() const;
    void SetFloatValue(double x);
    void SetIntValue(int64_t n);
    void SetEditRule(TDropDownEditRule rule);
    void SetPrecision(int value);

    void SelectValue();
    void CaretToDecimals();
    void CaretBeforeDecimals();
    void ApplyThousandSeparators();

    bool IsNumericRule() const { return EditRule == erInteger || EditRule == erFloat || EditRule == erMoney; }
    int IntegerPartEnd(const String& s) const;
    int DecimalSeparatorPosition() const;

    // A typed character (Backspace is '\b'). ctrlHeld: a Ctrl key is down. Returns true when
    // the character reached the edit (the text may have changed), false when it was dropped.
    bool TypeChar(char ch, bool ctrlHeld = false);
    // The caret keys and Delete (virtual key codes); true when the key is swallowed. A key
    // that is not swallowed is the edit's own business; call AfterKeyDown after it ran.
    bool KeyDown(int key, bool shift);
    void AfterKeyDown(int key);
    // Delete as the edit does it, after KeyDown let it through.
    void DeleteForward();
    // After a mouse release: a caret in the prefix selects the whole value; a caret or a
    // selection reaching into the suffix ends at the end of the value.
    void KeepSelectionInValue();
    // Paste of clipboard text; follows the same rules as typing. True when the value changed.
    bool Paste(const String& clip);
    void FocusLost();

    // true when value is a text the current numeric rule reads back (or an in-between form)
    bool IsReadableValue(const String& value) const;

private:
    void SetValueKeepAffixes(const String& value); // value between prefix and suffix
    void InsertDefault(char ch);                   // the edit's own handling of a character
    bool TypeFloat(char ch, const String& value);
    void ToggleSign();
    bool SpacingRefuses() const;
    bool DecimalsFullAtCaret() const;
    int IntegerDigits(const String& value) const;

    String lastSet_;
};

// ============================================================================================
// The drop-down edit, its pop-up window, looks and bars.
// ============================================================================================
#include "components/grid/DrawRoutines.h"
#include "components/grid/PsgCombo.h" // TLabelPosition, shared with the grid's combo
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ImgList.h"
#include "platform/framework/Mask.h"
#include "platform/framework/StdCtrls.h"
#include "platform/rtl/Classes.h"

#include <memory>
#include <vector>

enum TDropPosition { dpAuto, dpDown, dpUp };
enum TGradientDirection { gdHorizontal, gdVertical };
enum TButtonAlignment { baLeft, baRight };
enum TItemLayout { ilCaptionLeft, ilCaptionRight, ilCaptionTop, ilCaptionBottom };
enum TButtonStyle { bsButton, bsDropDown };

class TPlusCustomDropDown;
class TDropDownForm;

// IColorStyled and IColorSetTarget come with the grid's drawing routines.

using TDropDownEvent = std::function<void(TObject* Sender, bool& AcceptDrop)>;
using TDropUpEvent = std::function<void(TObject* Sender, bool Cancelled)>;
using TDropDownButtonItemClick = std::function<void(TObject* Sender, int ButtonIndex)>;
using TDrawBackGroundEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect)>;
using TGetTextEvent = std::function<void(TObject* Sender, String& Text)>;
using TTextClipboardEvent = std::function<void(TObject* Sender, const String& Value, bool& Allow)>;

// ---------------------------------------------------------------- drawing routines

// Steps 0 counts as 1. The rectangle loses its last column (horizontal) or row (vertical).
void DrawGradient(TCanvas* Canvas, TColor FromColor, TColor ToColor, int Steps, TRect R, bool Horizontal);
TColor BlendColor(TColor Color1, TColor Color2, int Percent);
TColor ShiftColor(TColor Color, int DR, int DG, int DB);
void DrawGradientBox(TCanvas* Canvas, TRect R, TColor Color, bool Vertical, int BorderWidth, TColor BorderColor,
                     TColor ColorTo);
void DrawImageAndText(TCanvas* Canvas, TRect R, const String& Text, int ImageIndex, TCustomImageList* Images);
TSize GetTextSize(TCanvas* Canvas, const String& Text);
void FitTextToWidth(TCanvas* Canvas, const String& Text, int MaxWidth, String& Result, bool Ellipsis);
void DrawHtmlCaption(TCanvas* Canvas, const String& Text, TRect R, TSize& Size, bool Draw, TCustomImageList* Images);
String UpperCaseUnless(const String& Text, bool Keep);
// Where a pop-up of the given height opens for an edit whose top-left screen corner is p:
// below (one pixel over the edit's bottom edge) or above; then shifted left to end at the work
// area's right edge when it would pass it (only for a work area starting at 0 or more).
TPoint DropDownPlacement(TPoint p, int editHeight, int popupWidth, int popupHeight, TDropPosition position,
                         int screenHeight, const TRect& workArea);

// ---------------------------------------------------------------- looks

class TPlusButtonAppearance : public TPersistent {
public:
    TPlusButtonAppearance();
    String ClassName() const override { return "TPlusButtonAppearance"; }
    void Assign(TPersistent* Source) override;
    TColor BorderColor = clNone, BorderColorHot = 0x808080, BorderColorDown = 0x800000,
           BorderColorDisabled = 0x808080, BorderColorChecked = 0xFF0000;
    TColor Color = clNone, ColorTo = clNone, ColorDisabled = 0xF2F2F2, ColorDisabledTo = clNone;
    TColor ColorDown = 0xF5D8CA, ColorDownTo = 0xF9BDA0, ColorHot = 0xF5F0E1, ColorHotTo = 0xF9D2B2;
    TColor ColorChecked = clNone, ColorCheckedTo = clNone;
    TGradientDirection Gradient = gdVertical;
    TFont* Font() const { return font_.get(); }
    TNotifyEvent OnChange;
    void Changed();

private:
    std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
};

class THeaderButton : public TCollectionItem {
public:
    explicit THeaderButton(TCollection* c) : TCollectionItem(c) {}
    String ClassName() const override { return "THeaderButton"; }
    void Assign(TPersistent* Source) override;
    String Caption() const { return caption_; }
    void SetCaption(const String& v);
    int ImageIndex = -1;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    int Width() const { return width_; }
    void SetWidth(int v);
    int Height = 0;

private:
    String caption_;
    bool enabled_ = true;
    int width_ = 0;
};

class TFooterButton : public THeaderButton {
public:
    explicit TFooterButton(TCollection* c) : THeaderButton(c) {}
    String ClassName() const override { return "TFooterButton"; }
    void Assign(TPersistent* Source) override;
    TModalResult ModalResult = 0;
};

class THeaderButtons : public TCollection {
public:
    explicit THeaderButtons(TPersistent* owner) : TCollection(ItemClassOf<THeaderButton>()), owner_(owner) {}
    THeaderButton* Add() { return static_cast<THeaderButton*>(TCollection::Add()); }
    THeaderButton* Items(int i) const { return static_cast<THeaderButton*>(TCollection::Items(i)); }
    TPersistent* Owner() const override { return owner_; }

protected:
    explicit THeaderButtons(TPersistent* owner, TItemFactory f) : TCollection(std::move(f)), owner_(owner) {}
    void Update(TCollectionItem* item) override;

private:
    TPersistent* owner_;
};

class TFooterButtons : public THeaderButtons {
public:
    explicit TFooterButtons(TPersistent* owner) : THeaderButtons(owner, ItemClassOf<TFooterButton>()) {}
    TFooterButton* Add() { return static_cast<TFooterButton*>(TCollection::Add()); }
    TFooterButton* Items(int i) const { return static_cast<TFooterButton*>(TCollection::Items(i)); }
};

// The look of the pop-up's header bar (and, as TFooterAppearance, of its footer bar).
class THeaderAppearance : public TPersistent {
public:
    explicit THeaderAppearance(TPersistent* Owner);
    String ClassName() const override { return "THeaderAppearance"; }
    void Assign(TPersistent* Source) override;
    TColor Color = 0xC0C0C0, ColorTo = 0xFFFFFF;
    String Caption;
    TGradientDirection GradientDirection = gdVertical;
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    int Height = 22;
    TColor BorderColor = 0;
    int BorderWidth = 1;
    int ImageIndex = -1;
    TButtonAlignment ButtonAlignment = baRight;
    TFont* Font() const { return font_.get(); }
    THeaderButtons* Buttons() const { return buttons_.get(); }
    TPersistent* Owner() const { return owner_; }
    TNotifyEvent OnChange;
    TNotifyEvent OnButtonsChange;
    void Changed();

protected:
    THeaderAppearance(TPersistent* Owner, std::unique_ptr<THeaderButtons> buttons);
    std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
    std::unique_ptr<THeaderButtons> buttons_;

private:
    TPersistent* owner_;
    bool visible_ = true;
};

class TFooterAppearance : public THeaderAppearance {
public:
    explicit TFooterAppearance(TPersistent* Owner);
    String ClassName() const override { return "TFooterAppearance"; }
    void Assign(TPersistent* Source) override;
    bool SizeGrip = true;
    TFooterButtons* Buttons() const { return static_cast<TFooterButtons*>(buttons_.get()); }
};

// The flat button of the bars.
class TPlusButton : public TCustomControl {
public:
    explicit TPlusButton(TComponent* AOwner);
    String ClassName() const override { return "TPlusButton"; }
    TPlusButtonAppearance* Appearance = nullptr;
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* v) { images_ = v; }
    int ImageIndex = -1;
    TModalResult ModalResult = 0;
    TPlusCustomDropDown* PlusDropDown() const { return dropDown_; }
    void SetPlusDropDown(TPlusCustomDropDown* d) { dropDown_ = d; }
    void SizeToContent();
    void Click() override;
    bool MouseInside() const { return inside_; }
    // Toggle state: a push button (Style 0, GroupIndex 0) is never down; a toggle button
    // (Style 1) takes every value; a grouped button going down raises the others of its group.
    bool Down() const { return down_; }
    void SetDown(bool v);
    int GroupIndex = 0;
    bool AllowAllUp = false;
    int Style = 0;
    // The hot look ends once a tick of this timer finds the cursor outside (1 ms).
    static constexpr UINT_PTR HotTimerId = 1;
    bool HotTimerRunning() const { return hotTimer_; }

protected:
    virtual void DrawButton(TCanvas* ACanvas);
    void Paint() override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseMove(TShiftState s, int x, int y) override;
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;

private:
    void StartHotTimer();
    void StopHotTimer();
    void UpdateTracking();
    TCustomImageList* images_ = nullptr;
    TPlusCustomDropDown* dropDown_ = nullptr;
    bool inside_ = false, pressed_ = false, internalClick_ = false, dragging_ = false, down_ = false;
    bool hotTimer_ = false;
};

// The bars above and below the hosted control of the pop-up.
class TPlusHeader : public TCustomControl {
public:
    explicit TPlusHeader(TComponent* AOwner);
    String ClassName() const override { return "TPlusHeader"; }
    THeaderAppearance* Appearance() const { return appearance_.get(); }
    TCustomImageList* Images = nullptr;
    TPlusCustomDropDown* PlusDropDown() const { return dropDown_; }
    void SetPlusDropDown(TPlusCustomDropDown* d);
    void UpdateButtons();
    int ButtonCount() const { return int(buttons_.size()); }
    TPlusButton* Button(int i) const; // raises "Index out of bounds in list read access"
    TRect GetButtonsRect() const;
    TRect GetCaptionRect() const;
    TDrawBackGroundEvent OnDrawBackGround;
    TGetTextEvent OnGetText;

protected:
    TPlusHeader(TComponent* AOwner, std::unique_ptr<THeaderAppearance> a, bool footer);
    virtual void CreateButtons();
    virtual void ClearButtons();
    virtual void ArrangeButtons();
    virtual void RefreshButtons();
    void Paint() override;
    void Dispatch(TMessage& m) override;
    THeaderButtons* ItemsOfDropDown() const;
    void ButtonClick(TObject* Sender);
    void AppearanceChanged();
    bool footer_;
    std::unique_ptr<THeaderAppearance> appearance_;
    TPlusCustomDropDown* dropDown_ = nullptr;
    std::vector<TPlusButton*> buttons_;
};

class TPlusFooter : public TPlusHeader {
public:
    explicit TPlusFooter(TComponent* AOwner);
    String ClassName() const override { return "TPlusFooter"; }
    TFooterAppearance* Appearance() const { return static_cast<TFooterAppearance*>(appearance_.get()); }
    bool ShowSizeGrip() const;

protected:
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseMove(TShiftState s, int x, int y) override;
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;

private:
    bool sizing_ = false;
    TPoint grabAt_;
    TSize grabSize_;
};

// ---------------------------------------------------------------- the drop-down button

class TPlusDropDownSpeedButton : public TCustomControl {
public:
    explicit TPlusDropDownSpeedButton(TComponent* AOwner);
    String ClassName() const override { return "TPlusDropDownSpeedButton"; }
    TButtonStyle ButtonStyle = bsDropDown;
    bool Hot() const { return hot_; }
    bool Focused = false;
    bool Down = false;
    TBitmap* Glyph() const { return glyph_.get(); }
    String ButtonCaption;

protected:
    void Paint() override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;

private:
    bool hot_ = false;
    std::unique_ptr<TBitmap> glyph_ = std::make_unique<TBitmap>();
};

class TDropDownEditButton : public TCustomControl {
public:
    explicit TDropDownEditButton(TComponent* AOwner);
    String ClassName() const override { return "TDropDownEditButton"; }
    TPlusDropDownSpeedButton* SpeedButton() const { return button_; }
    int ButtonWidth = 16;
    TColor FaceColor = clNone, FaceColorHot = clNone, FaceColorDown = clNone, FaceBorderColor = clNone,
           ArrowColor = clNone, ArrowColorHot = clNone, ArrowColorDown = clNone;
    TWinControl* FocusControl = nullptr;
    TPlusCustomDropDown* DropDown = nullptr;
    TNotifyEvent OnButtonPress; // a left press on the button
    void SetBounds(int l, int t, int w, int h) override;
    void SetEnabled(bool v) override;

private:
    TPlusDropDownSpeedButton* button_;
};

// ---------------------------------------------------------------- the pop-up window

class TDropDownForm : public TPopupForm {
public:
    explicit TDropDownForm(TComponent* AOwner);
    ~TDropDownForm() override;
    String ClassName() const override { return "TDropDownForm"; }
    TPlusCustomDropDown* PlusDropDown = nullptr;
    bool ShadowEnabled = true;
    bool GripSizing = false;
    bool DeactivateCancels = true;
    bool IgnoreActivation = false;
    // Gives the window the drop shadow (CS_DROPSHADOW) or takes it away.
    void ApplyShadow();
    TNotifyEvent OnSizing;
    TKeyEvent OnFormKeyDown, OnFormKeyUp;
    TKeyPressEvent OnFormKeyPress;
    DWORD DeactivationTick() const { return TPopupForm::DeactivationTick(); }
    void UpdateBars();
    void PaintBackground(TCanvas* Canvas);
    TPlusHeader* Header() const { return header_; }
    TPlusFooter* Footer() const { return footer_; }
    bool Showing() const;
    // Aligned children keep clear of the border.
    TRect ClientRect() const override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& m) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    bool DoMouseWheelDown(TShiftState shift, TPoint pos) override;
    bool DoMouseWheelUp(TShiftState shift, TPoint pos) override;

private:
    TPlusHeader* header_ = nullptr;
    TPlusFooter* footer_ = nullptr;
    TCustomControl* background_ = nullptr;
};

// ---------------------------------------------------------------- the drop-down edit base

class TPlusCustomDropDown : public TCustomMaskEdit, public IColorStyled, public IColorSetTarget {
public:
    explicit TPlusCustomDropDown(TComponent* AOwner);
    ~TPlusCustomDropDown() override;
    String ClassName() const override { return "TPlusCustomDropDown"; }
    // Copies the settings of another drop-down (anything else is ignored).
    void Assign(TPersistent* Source) override;

    // value text (prefix and suffix cut off) and its setter
    String GetText() const;
    String Text() const override { return GetText(); }
    void SetText(const String& Value) override;
    void SetTextDirect(const String& Value);
    double GetFloatValue() const;
    void SetFloatValue(double x);
    void SetIntValue(int64_t n);
    void SetValueModified(bool v);
    bool ValueModified() const { return value_.Modified; }
    void SelectValue();
    const String& LastSetText() const { return value_.LastSetText(); }
    TDropDownValueText& ValueText() { return value_; } // the rules' settings

    TDropDownEditRule EditRule() const { return value_.EditRule; }
    void SetEditRule(TDropDownEditRule r);
    String TextPrefix() const { return value_.TextPrefix; }
    void SetTextPrefix(const String& v);
    String TextSuffix() const { return value_.TextSuffix; }
    void SetTextSuffix(const String& v);
    int Precision() const { return value_.Precision; }
    void SetPrecision(int v);
    bool Signed() const { return value_.Signed; }
    void SetSigned(bool v) { value_.Signed = v; }

    // the pop-up
    virtual void ShowDropDown();
    virtual void HideDropDown(bool Cancel);
    void OpenDropDown() { ShowDropDown(); }
    void CloseDropDown(bool Cancel) { HideDropDown(Cancel); }
    bool IsDroppedDown() const { return droppedDown_; }
    bool DroppedDown() const { return droppedDown_; }
    TDropDownForm* DropDownForm() const { return form_; }
    TDropDownEditButton* Button() const { return button_; }
    TControl* DropDownControl() const { return control_; }
    void SetDropDownControl(TControl* c);
    TWinControl* DropDownFocusControl = nullptr;
    int DropDownWidth() const { return dropDownWidth_; }
    void SetDropDownWidth(int v);
    int DropDownHeight() const { return dropDownHeight_; }
    void SetDropDownHeight(int v);
    TSize RememberedSize() const { return {userWidth_, userHeight_}; }
    TDropPosition DropPosition = dpAuto;
    int DropDownBorderWidth = 1;
    TColor DropDownBorderColor = 0;
    TColor DropDownColor = 0xFFFFFF;
    TColor DropDownColorEnd = clNone;
    TGradientDirection DropDownGradientDirection = gdHorizontal;
    bool DropDownShadow = true;
    bool ReshowForShadow = false;
    bool DropDownSizeable = true;
    bool DropDownEnabled = false;
    int DropDownButtonWidth() const { return buttonWidth_; }
    void SetDropDownButtonWidth(int v);
    String DropDownButtonHint() const { return buttonHint_; }
    void SetDropDownButtonHint(const String& v);
    THeaderAppearance* DropDownHeader() const { return header_.get(); }
    TFooterAppearance* DropDownFooter() const { return footer_.get(); }
    TPlusButtonAppearance* ButtonAppearance() const { return buttonAppearance_.get(); }
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* v) { images_ = v; }
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool v);
    bool ReturnAsTab = false;
    bool ForwardOnKeyDown = true;
    bool EscapeSelectsValue = true;
    bool FlatStyle = false;
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor c);
    TColor FocusBorderColor = clNone;
    bool DisabledBorder = true;
    bool ShowFocusLook = true;
    bool FocusDraw = true;
    TColor SelectionColor = 0xD7FFFD, SelectionColorTo = 0x58D4FC;
    uint8_t SelectionColorStyle() const { return selectionStyle_; }
    uint8_t VirelStyle() const { return virelStyle_; }
    String LabelCaption() const;
    void SetLabelCaption(const String& v);
    TLabelPosition LabelPosition() const { return labelPosition_; }
    void SetLabelPosition(TLabelPosition p);
    int LabelMargin() const { return labelMargin_; }
    void SetLabelMargin(int m);
    TLabel* EditLabel() const { return label_; }
    bool LabelTransparent() const { return labelTransparent_; }
    void SetLabelTransparent(bool v);
    bool LabelAlwaysEnabled() const { return labelAlwaysEnabled_; }
    void SetLabelAlwaysEnabled(bool v);
    // The label's font unless the edit's ParentFont was on at load; a change of the font
    // itself updates the label.
    TFont* LabelFont() const { return labelFont_.get(); }
    void SetLabelFont(TFont* f);
    // The numeric keypad's decimal key types DecimalSeparator, whether it gives '.' or ','.
    bool KeypadDecimalSeparator = false;
    // Applies the settings read at load: label enabled state, fonts, layout.
    void Loaded() override;
    static uint32_t GetVersionNr() { return (1u << 24) | (1u << 16) | (3u << 8); }
    String Version() const { return "1.1.3.0"; }
    TRect GetEditRect() const { return editRect_; }
    // The minimum height for the font.
    int MinEditHeight();

    void ApplyColorStyle(uint8_t Style) override;
    void ApplyColorSet(const TControlColorSet& Colors) override;
    virtual void SetSelectionColorStyle(uint8_t Style);
    virtual void DrawSelection(TCanvas* Canvas, TRect R, int Kind, int Extra);
    void DrawButtonFace(TCanvas* Canvas, TColor Color, bool Vertical, TRect R, int Steps, TColor ColorTo);

    // Events
    TNotifyEvent OnBeforeDropDown;
    TDropDownEvent OnDropDown;
    TNotifyEvent OnBeforeCloseUp;
    TDropUpEvent OnDropUp;
    TDropDownButtonItemClick OnDropDownHeaderButtonClick;
    TDropDownButtonItemClick OnDropDownFooterButtonClick;
    TDrawBackGroundEvent OnDrawHeader, OnDrawFooter;
    TGetTextEvent OnGetHeaderText, OnGetFooterText;
    TNotifyEvent OnLabelClicked, OnLabelDoubleClicked;
    // The selected part of the value on its way to the clipboard; Allow false keeps it off.
    // A cut raises only OnCutText: the copy it makes does not raise OnCopyText as well.
    TTextClipboardEvent OnCopyText, OnCutText;
    TTextClipboardEvent OnPasteText;

    void SetBounds(int l, int t, int w, int h) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;

    // the pop-up's handlers (public so that the pop-up reaches them)
    virtual void DropDownFormHidden();
    virtual void DropDownFormDestroyed() {}
    virtual void DropDownFormWheelDown() { SelectNext(); }
    virtual void DropDownFormWheelUp() { SelectPrevious(); }
    virtual void DropDownFormKeyPress(char& Key);
    virtual void DropDownFormKeyDown(WORD& Key, TShiftState Shift);
    virtual void DropDownFormKeyUp(WORD& Key, TShiftState Shift);
    virtual void DropDownControlKeyDown(WORD& Key, TShiftState Shift);
    virtual void DropDownControlKeyUp(WORD& Key, TShiftState Shift);
    virtual void DropDownControlKeyPress(char& Key);
    virtual void DropDownFormShown() {}
    // The button-press rule: opens unless the pop-up closed within the last 250 ms.
    void ButtonPressed();

protected:
    virtual void DoLabelClick();
    virtual void DoLabelDblClick();
    virtual void CreateDropDownForm();
    virtual void CreateDropDownButton();
    virtual void UpdateDropDownButton();
    virtual void BeforeDropDown();
    virtual void FocusDropDownControl();
    virtual void PlaceDropDownControl();
    virtual void AdaptDropDownSize();
    virtual void SelectNext() {}
    virtual void SelectPrevious() {}
    // The value a cancelled pop-up puts back: the text last set through SetText.
    virtual String CancelledText() const { return value_.LastSetText(); }
    virtual void DrawFocus();
    virtual void UpdateEditRect();
    virtual void AdjustHeightAndButton();
    void UpdateLabel();
    void PaintBorder();
    // The edit's border look: silver when disabled, BorderColor, the flat look, or
    // FocusBorderColor while focused.
    void DrawBorder(HDC dc);
    void EditKeyDown(TMessage& m);

    void Notification(TComponent* component, TOperation operation) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DoEnter() override;
    void DoExit() override;
    bool DoMouseWheelDown(TShiftState shift, TPoint pos) override;
    bool DoMouseWheelUp(TShiftState shift, TPoint pos) override;
    void Dispatch(TMessage& m) override;
    void WndProc(TMessage& m) override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void PaintWindow(HDC dc) override;
    void AppearanceChanged();
    // the edit's state into the rules' model and back
    void PullValue();
    void PushValue(bool wasModified);
    void Change() override;
    unsigned changeCount_ = 0;

    TDropDownForm* form_ = nullptr;
    bool constructing_ = true;

private:
    void EditChar(TMessage& m);
    void WantSpecialKey(TMessage& m);
    void CopyToClipboardChecked(TMessage& m);
    void CutToClipboardChecked(TMessage& m);
    String SelectedValueText() const;
    TDropDownValueText value_;
    TDropDownEditButton* button_ = nullptr;
    std::unique_ptr<THeaderAppearance> header_;
    std::unique_ptr<TFooterAppearance> footer_;
    std::unique_ptr<TPlusButtonAppearance> buttonAppearance_;
    TControl* control_ = nullptr;
    TCustomImageList* images_ = nullptr;
    TLabel* label_ = nullptr;
    TLabelPosition labelPosition_ = lpLeftTop;
    int labelMargin_ = 4;
    bool labelTransparent_ = false, labelAlwaysEnabled_ = false, parentFontAtLoad_ = false;
    std::unique_ptr<TFont> labelFont_;
    int dropDownWidth_ = 0, dropDownHeight_ = 0;
    int userWidth_ = -1, userHeight_ = -1;
    int buttonWidth_ = 17;
    String buttonHint_;
    bool editorEnabled_ = true;
    bool droppedDown_ = false;
    TColor borderColor_ = clNone;
    uint8_t selectionStyle_ = 1;
    uint8_t virelStyle_ = 4;
    TRect editRect_;
    bool mouseOver_ = false;
    bool inKeyDown_ = false;
    bool placing_ = false;
    bool copyBlocked_ = false; // the copy made by a cut raises no OnCopyText
    friend class TDropDownForm;
};

// ---------------------------------------------------------------- the item selector

enum TSelectorType { stImage, stColor };

class TSelectorItem : public TCollectionItem {
public:
    explicit TSelectorItem(TCollection* c) : TCollectionItem(c) {}
    String ClassName() const override { return "TSelectorItem"; }
    void Assign(TPersistent* Source) override;
    String Caption() const { return caption_; }
    void SetCaption(const String& v);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    TPicture* Image() const { return image_.get(); }
    String Hint;
    bool Enabled = true;
    TRect ItemRect;

private:
    String caption_;
    TColor color_ = clNone;
    int imageIndex_ = -1;
    std::unique_ptr<TPicture> image_ = std::make_unique<TPicture>();
};

class TSelectorItems : public TCollection {
public:
    explicit TSelectorItems(TPersistent* owner) : TCollection(ItemClassOf<TSelectorItem>()), owner_(owner) {}
    TSelectorItem* Add() { return static_cast<TSelectorItem*>(TCollection::Add()); }
    TSelectorItem* Items(int i) const { return static_cast<TSelectorItem*>(TCollection::Items(i)); }
    TPersistent* Owner() const override { return owner_; }

protected:
    void Update(TCollectionItem* item) override;

private:
    TPersistent* owner_;
};

// Colours and font of the hot and selected items; three presets (SetColorStyle 1 to 3).
class TItemAppearance : public TPersistent {
public:
    explicit TItemAppearance(TPersistent* Owner);
    String ClassName() const override { return "TItemAppearance"; }
    void Assign(TPersistent* Source) override;
    TColor BorderColor = clNone, BorderColorTop = clNone, BorderColorBottom = clNone, BorderColorHot = clNone,
           BorderColorSelected = clNone;
    TColor ColorHot = clNone, ColorHotTo = clNone, ColorHotText = 0, ColorMirrorHot = clNone,
           ColorMirrorHotTo = clNone;
    TColor ColorSelected = clNone, ColorSelectedTo = clNone, ColorMirrorSelected = clNone,
           ColorMirrorSelectedTo = clNone, ColorSelectedText = 0;
    TColor EdgeColor = clNone;
    TFont* Font() const { return font_.get(); }
    uint8_t ColorStyle() const { return style_; }
    void SetColorStyle(uint8_t Style);
    TNotifyEvent OnChange;

private:
    std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
    uint8_t style_ = 0;
};

// The hot and selected colours of a colour style (as the drop-downs' own styles).
void ApplyItemAppearanceStyle(TItemAppearance* Appearance, uint8_t Style);

class TPlusCustomItemSelector;
using TDrawItemEvent = std::function<void(TObject* Sender, TCanvas* Canvas, TRect R, int Index)>;
using TItemSizeEvent = std::function<void(TObject* Sender, TSize& ASize)>;

// The panel that lays out and paints the items of its host.
class TCustomItemSelector : public TCustomControl {
public:
    explicit TCustomItemSelector(TComponent* AOwner); // raises "Invalid parent" without a host
    String ClassName() const override { return "TCustomItemSelector"; }
    int ItemIndex() const { return itemIndex_; }
    int ItemHot() const { return itemHot_; }
    int OffsetX = 2, OffsetY = 2, ItemOffsetX = 4, ItemOffsetY = 4, CaptionGap = 4;
    TNotifyEvent OnSelect;

    void SelectItem(int Index);
    void SetHotItem(int Index);
    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    void HotNext();
    void HotPrevious();
    bool SelectByText(const String& Prefix);
    int ItemAtPos(int X, int Y) const;
    TRect GetItemRect(int Index) const;

    virtual void DrawItem(int Index, TCanvas* ACanvas);
    virtual void GetItemsRect(TRect& R) const;
    virtual void CalcItemSize(TSize& Size);
    virtual void InvalidateItem(int Index);
    virtual void UpdateLayout();

protected:
    void Paint() override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseMove(TShiftState s, int x, int y) override;
    void Dispatch(TMessage& m) override;

private:
    int Count() const;
    bool Usable(int Index) const;
    TPlusCustomItemSelector* host_;
    int itemIndex_ = -1, itemHot_ = -1;
};

// The scrolling host of the item panel; owns the items and their look.
class TPlusCustomItemSelector : public TCustomControl {
public:
    explicit TPlusCustomItemSelector(TComponent* AOwner);
    String ClassName() const override { return "TPlusCustomItemSelector"; }
    TSelectorItems* Items() const { return items_.get(); }
    TItemAppearance* ItemAppearance() const { return appearance_.get(); }
    TCustomItemSelector* Panel() const { return panel_; }
    int Columns() const { return columns_; }
    void SetColumns(int v);
    int ItemIndex() const { return panel_ ? panel_->ItemIndex() : -1; }
    void SetItemIndex(int v);
    int GetItemHot() const { return panel_ ? panel_->ItemHot() : -1; }
    TSelectorType SelectorType() const { return selectorType_; }
    void SetSelectorType(TSelectorType v);
    TItemLayout ItemLayout = ilCaptionRight;
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* v);
    int ColorBoxWidth() const { return boxWidth_; }
    void SetColorBoxWidth(int v);
    int ColorBoxHeight() const { return boxHeight_; }
    void SetColorBoxHeight(int v);
    int ScrollPosition() const { return scroll_; }
    // The vertical scroll bar shows while the items are taller than the host.
    bool VertScrollBarVisible() const { return vertBar_; }
    TNotifyEvent OnItemSelect;
    TDrawItemEvent OnDrawItem;
    TItemSizeEvent OnItemSize;

    void UpdateLayout();
    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    void HotNext();
    void HotPrevious();
    bool SelectByText(const String& Prefix);
    int VisibleItemCount() const;
    TSize GetPanelSize() const;
    void ScrollIntoView(int Index);

protected:
    void Dispatch(TMessage& m) override;

private:
    void PlacePanel();
    std::unique_ptr<TSelectorItems> items_;
    std::unique_ptr<TItemAppearance> appearance_;
    TCustomItemSelector* panel_ = nullptr;
    int columns_ = 1;
    TSelectorType selectorType_ = stImage;
    TCustomImageList* images_ = nullptr;
    int boxWidth_ = 14, boxHeight_ = 14;
    int scroll_ = 0;
    bool vertBar_ = false, placing_ = false;
    void ScrollBy(int Code);
};
