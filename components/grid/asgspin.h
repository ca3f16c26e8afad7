#pragma once
// The spin edit: a masked edit with an up/down button pair at its right edge that edits an
// integer, a float, a date or a time of day and steps it with the buttons, the arrow keys and
// the page keys.
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Mask.h"
#include "platform/rtl/DateUtils.h"

#include <memory>

enum TPsgSpinType { sptNormal, sptFloat, sptDate, sptTime };
enum TSpinDirection { spVertical, spHorizontal };
enum TEditAlign { eaLeft, eaRight, eaCenter };
enum TArrowDirection { adUp, adDown, adLeft, adRight };

class TPsgSpinButton;

// The colours of a button face, plain, hot and pressed; clNone: the system's face.
struct TButtonColors {
    TColor ButtonColor = clNone;
    TColor ButtonColorHot = clNone;
    TColor ButtonColorDown = clNone;
    TColor ButtonTextColor = clNone;
    TColor ButtonTextColorHot = clNone;
    TColor ButtonTextColorDown = clNone;
    TColor ButtonBorderColor = clNone;
};

// A push face drawn by its control: pressed while the left button holds it (Down), hot while
// the mouse is over it (MouseInControl); both repaint it.
class TFaceButton : public TCustomControl {
public:
    explicit TFaceButton(TComponent* owner) : TCustomControl(owner) {}
    bool IsWinXP = false;
    bool Flat = false;
    bool Down() const { return down_; }
    bool MouseInControl() const { return mouseIn_; }

protected:
    void Dispatch(TMessage& message) override;
    bool down_ = false;
    bool mouseIn_ = false;
};

// A push button that repeats its click while held: the first repeat after 400 ms, then every
// 100 ms, and the click of the release. It draws its own arrow.
class TPlusTimerSpeedButton : public TFaceButton {
public:
    explicit TPlusTimerSpeedButton(TComponent* owner);
    ~TPlusTimerSpeedButton() override;
    String ClassName() const override { return "TPlusTimerSpeedButton"; }
    bool AutoRepeat = false;
    TArrowDirection ArrowDirection = adUp;
    TTimer* RepeatTimer() const { return timer_; }
    TNotifyEvent OnClick;
    void Click() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void TimerExpired(TObject*);
    TTimer* timer_ = nullptr;
};

// Two auto-repeating buttons, up and down (vertical: up above down; horizontal: down left, up
// right). Pressing one moves the focus to FocusControl.
class TPsgSpinButton : public TCustomControl, public TButtonColors {
public:
    explicit TPsgSpinButton(TComponent* owner);
    ~TPsgSpinButton() override;
    String ClassName() const override { return "TPsgSpinButton"; }
    TPlusTimerSpeedButton* UpButton() const { return up_; }
    TPlusTimerSpeedButton* DownButton() const { return down_; }
    TPlusTimerSpeedButton* FocusedButton() const { return focused_; }
    TWinControl* FocusControl = nullptr;
    TSpinDirection Direction() const { return direction_; }
    void SetDirection(TSpinDirection direction);
    bool IsWinXP() const { return isWinXP_; }
    void SetIsWinXP(bool on);
    int UpNumGlyphs = 1;
    int DownNumGlyphs = 1;
    TNotifyEvent OnUpClick;
    TNotifyEvent OnDownClick;
    void SetBounds(int left, int top, int width, int height) override;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void Dispatch(TMessage& message) override;

private:
    friend class TPlusTimerSpeedButton;
    void LayoutButtons(int& w, int& h);
    void FocusButton(TPlusTimerSpeedButton* button);
    void ButtonPressed(TPlusTimerSpeedButton* button);
    void ButtonClicked(TPlusTimerSpeedButton* button);
    TPlusTimerSpeedButton* up_ = nullptr;
    TPlusTimerSpeedButton* down_ = nullptr;
    TPlusTimerSpeedButton* focused_ = nullptr;
    TSpinDirection direction_ = spVertical;
    bool isWinXP_ = false;
    bool laying_ = false;
};

class TPsgSpinEdit : public TCustomMaskEdit {
public:
    explicit TPsgSpinEdit(TComponent* owner);
    ~TPsgSpinEdit() override;
    String ClassName() const override { return "TPsgSpinEdit"; }

    TPsgSpinButton* Button() const { return button_; }
    TPsgSpinType SpinType() const { return spinType_; }
    void SetSpinType(TPsgSpinType type);

    int Value() const;
    void SetValue(int value);
    double FloatValue() const;
    void SetFloatValue(double value);
    TDateTime DateValue() const;
    void SetDateValue(TDateTime value);
    TDateTime TimeValue() const;
    void SetTimeValue(TDateTime value);

    int MinValue = 0;
    int MaxValue = 100;
    double MinFloatValue = 0;
    double MaxFloatValue = 100;
    TDateTime MinDateValue = 0;
    TDateTime MaxDateValue = 0;
    int Increment = 1;
    double IncrementFloat = 0.1;
    double IncrementFloatPage = 1.0;
    int IncrementHours = 1;
    int IncrementMinutes = 1;
    int IncrementSeconds = 1;
    int Precision() const { return precision_; }
    void SetPrecision(int precision);
    bool ShowSeconds = true;
    bool EditorEnabled = true;
    bool ReturnIsTab = false;
    bool ExcelStyleDecimalSeparator = false;
    bool AllowEmptyValue = false;
    TSpinDirection Direction() const { return button_->Direction(); }
    void SetDirection(TSpinDirection direction);
    TEditAlign EditAlign() const { return editAlign_; }
    void SetEditAlign(TEditAlign align);
    bool SpinFlat() const { return spinFlat_; }
    void SetSpinFlat(bool on);
    bool SpinTransparent() const { return spinTransparent_; }
    void SetSpinTransparent(bool on);
    bool IsWinXP() const { return button_->IsWinXP(); }
    void SetIsWinXP(bool on) { button_->SetIsWinXP(on); }

    virtual void StepUp(bool page);
    virtual void StepDown(bool page);
    // Whether the typed character may go into the text (it may be changed).
    virtual bool AcceptsChar(char16_t& key);
    int MinimumHeight();

protected:
    virtual void UpButtonClicked(TObject* sender);
    virtual void DownButtonClicked(TObject* sender);
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Dispatch(TMessage& message) override;
    void Loaded() override;

private:
    void Step(bool up, bool page);
    void LayoutEditRect();
    void Relayout();
    void StepDate(int direction);
    TDateTime ClampDate(TDateTime v) const;
    TPsgSpinButton* button_ = nullptr;
    TPsgSpinType spinType_ = sptNormal;
    int precision_ = 0;
    TEditAlign editAlign_ = eaLeft;
    bool spinFlat_ = false;
    bool spinTransparent_ = false;
    bool monthFirst_ = false;
    bool lastKeyWasDecimal_ = false;
    TDateTime loadedDate_ = 0;
    TDateTime loadedTime_ = 0;
};

// The 1-based position of sub in s, searching after the first `offset` characters; 0 when absent.
int PosAfter(const String& sub, const String& s, int offset);
// The same month and day `years` later (EConvertError for 29 February into a year without it).
TDateTime AddYears(int years, TDateTime date);

// The text heights of `font` and of the screen's default font (the edits' minimum heights).
void FontHeights(TFont* font, int& fontHeight, int& systemHeight);

// An edit with a control at its right edge, after a size change: an edit lower than
// `minHeight` grows to it (a size change of its own); otherwise the control (when there is one)
// goes to the right edge and fills the height. True when the control was placed, so the text
// wants its layout again.
bool PlaceRightEdgeControl(TCustomEdit* edit, TWinControl* control, int minHeight);
