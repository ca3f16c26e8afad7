#pragma once
// Date and time pickers on the framework's picker: TCustomDateTimePicker adds a plain frame
// look and an automatic move to the next field after a typed digit (AutoTab);
// TPlusDateTimePicker adds the choice of date, time or date and time (then with a second,
// embedded time picker next to the date) and an attached caption label.
#include "components/dropdown/PlusDropDown.h"

#include "platform/framework/ComCtrls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/rtl/DateUtils.h"

enum TPlusDateTimeKind { dkDate, dkTime, dkDateTime };

// The picker's value with or without a date (GDT_NONE: the check box cleared).
enum : UINT { DTM_SETSYSTEMTIME = 0x1002, GDT_VALID = 0, GDT_NONE = 1 };

// What a typed digit leads to, given the date before and after it: nothing, the next field,
// or the focus on the embedded time picker.
enum TAutoTabStep { atNone, atNextField, atCompanion };
TAutoTabStep AutoTabStep(const String& Format, int OldYear, int OldMonth, int OldDay, int Year, int Month, int Day);

class TCustomDateTimePicker : public TDateTimePicker {
public:
    explicit TCustomDateTimePicker(TComponent* AOwner);
    String ClassName() const override { return "TCustomDateTimePicker"; }
    bool AutoTab() const { return autoTab_; }
    virtual void SetAutoTab(bool v) { autoTab_ = v; }
    virtual bool IsPlainPicker() const { return true; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    virtual void SetBorderStyle(TBorderStyle v);
    int ButtonWidth() const { return buttonWidth_; }
    // What the mouse and focus messages track: the mouse over the control, over its drop
    // button (the last ButtonWidth pixels), and the focus within it.
    bool MouseInControl() const { return mouseIn_; }
    bool ButtonHover() const { return buttonHover_; }
    bool HasFocus() const { return hasFocus_; }
    // runs when the window gets "DTPShiftFocus"
    virtual void ShiftFocus();
    static UINT ShiftFocusMessage();

protected:
    void Change() override;
    void Dispatch(TMessage& m) override;
    // The window always has the 2-pixel client edge: sunken with Ctl3D, else the plain frame.
    void CreateParams(TCreateParams& params) override;
    // The plain frame's colour: the parent's with bsNone, else the themed colour or FrameColor.
    TColor PlainFrameColor() const;
    TDateTime before_ = 0; // the value before the last change
    TColor frameColor_ = clBlack;
    bool themed_; // common controls of version 6 or later

private:
    void PaintPlainFrame();
    bool autoTab_ = false;
    TBorderStyle borderStyle_ = bsNone;
    int buttonWidth_;
    // the platform answers as a system from version 6 on: entering and leaving repaint
    static constexpr bool xpOrLater_ = true;
    bool mouseIn_ = false, buttonHover_ = false, hasFocus_ = false;
};

class TPlusDateTimePicker : public TCustomDateTimePicker {
public:
    explicit TPlusDateTimePicker(TComponent* AOwner);
    ~TPlusDateTimePicker() override;
    String ClassName() const override { return "TPlusDateTimePicker"; }
    bool IsPlainPicker() const override { return false; }

    TPlusDateTimeKind Kind() const { return kind_; }
    void SetKind(TPlusDateTimeKind k);
    TDateTime GetDateTime() const;
    TDateTime DateTime() const { return GetDateTime(); }
    virtual void SetDateTime(TDateTime Value);
    void SetDate(TDateTime Value);
    TDateTime Time() const;
    void SetTime(TDateTime Value);
    String TimeFormat() const { return timeFormat_; }
    void SetTimeFormat(const String& v);
    void SetAutoTab(bool v) override;
    void SetBorderStyle(TBorderStyle v) override;
    TCustomDateTimePicker* TimePicker() const { return companion_; }
    void ShiftFocus() override;
    static String Version() { return "1.1.2.0"; }
    static uint32_t GetVersionNr() { return (1u << 24) | (1u << 16) | (2u << 8); }

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
    TFont* LabelFont() const { return labelFont_.get(); }
    void SetLabelFont(TFont* f);
    // The label's caption turns bold while the picker has the focus.
    bool FocusLabel = false;
    // Runs 20 ms after a typed date change with the check box shown; its tick only stops it.
    TTimer* FocusTimer() const { return focusTimer_; }
    void SetBounds(int l, int t, int w, int h) override;
    void SetEnabled(bool v) override;
    void Loaded() override;

    TNotifyEvent OnTimeChange;
    TNotifyEvent OnLabelClick, OnLabelDblClick;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void Dispatch(TMessage& m) override;
    void Change() override;
    virtual void DoChange();
    virtual void DoClick();
    virtual void TimePickerKeyPress(char& Key) { (void)Key; }
    void CreateTimePicker();
    void UpdateTimePicker();
    void UpdateLabel();

private:
    TPlusDateTimeKind kind_ = dkDateTime;
    TCustomDateTimePicker* companion_ = nullptr;
    String timeFormat_;
    TLabel* label_ = nullptr;
    TLabelPosition labelPosition_ = lpLeftTop;
    int labelMargin_ = 4;
    bool labelTransparent_ = false, labelAlwaysEnabled_ = false, parentFontAtLoad_ = false;
    std::unique_ptr<TFont> labelFont_ = std::make_unique<TFont>();
    TTimer* focusTimer_ = nullptr;
    bool ignoreCompanionCheck_ = false;
    bool applyingKind_ = false;
};
