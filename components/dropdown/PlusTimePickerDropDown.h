#pragma once
// A masked edit for a time of day (hh:mm:ss or hh:mm with the locale's time separator) whose
// pop-up shows a clock and, on request, a standard time picker below it. Up and Down step the
// hour, minute or second under the caret; the edit text follows the clock.
#include "components/dropdown/PlusDropDown.h"
#include "components/dropdown/PlusWatch.h"

#include "platform/framework/ComCtrls.h"
#include "platform/rtl/DateUtils.h"

// two digits: "00" for nothing, a leading "0" for one digit
String FormatTwoDigits(int n);

class TPlusTimePickerDropDown : public TPlusCustomDropDown {
public:
    explicit TPlusTimePickerDropDown(TComponent* AOwner);
    String ClassName() const override { return "TPlusTimePickerDropDown"; }

    TDateTime Time() const { return time_; }
    void SetTime(TDateTime Value);
    bool ShowSeconds() const { return showSeconds_; }
    void SetShowSeconds(bool Value);
    bool ShowTimePicker = false;
    void SetHour(int h);
    void SetMinute(int m);
    void SetSecond(int s);
    String FormatTimeText(int h, int m, int s) const;
    TPlusWatch* Clock() const { return clock_; }
    // the clock's look and settings, copied into the clock each time the pop-up opens
    TWatchAppearance* WatchAppearance() const { return watchAppearance_.get(); }
    void SetWatchAppearance(TWatchAppearance* Value) { watchAppearance_->Assign(Value); }
    TWatchSettings* WatchSettings() const { return watchSettings_.get(); }
    void SetWatchSettings(TWatchSettings* Value) { watchSettings_->Assign(Value); }
    void ApplyColorStyle(uint8_t Style) override;
    TDateTimePicker* TimePicker() const { return picker_; }
    TPanel* Panel() const { return panel_; }
    TNotifyEvent OnTimeChange;

    void KeyDown(WORD& Key, TShiftState Shift) override;
    void HideDropDown(bool Cancel) override;
    void DropDownFormHidden() override;
    void DropDownFormKeyDown(WORD& Key, TShiftState Shift) override;
    void DropDownFormKeyUp(WORD& Key, TShiftState Shift) override;
    void DropDownControlKeyDown(WORD& Key, TShiftState Shift) override;
    void DropDownControlKeyUp(WORD& Key, TShiftState Shift) override;

protected:
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void Change() override;

private:
    String Mask() const;
    bool HasTimeStructure(const String& text) const;
    void WatchChange();
    TDateTime time_ = 0;
    bool showSeconds_ = true;
    bool internalWrite_ = false;
    TPanel* panel_ = nullptr;
    TPlusWatch* clock_ = nullptr;
    std::unique_ptr<TWatchAppearance> watchAppearance_ = std::make_unique<TWatchAppearance>();
    std::unique_ptr<TWatchSettings> watchSettings_ = std::make_unique<TWatchSettings>();
    TDateTimePicker* picker_ = nullptr;
};
