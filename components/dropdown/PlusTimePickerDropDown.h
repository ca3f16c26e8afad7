#pragma once
// A masked edit for a time of day (hh:mm:ss or hh:mm with the locale's time separator) whose
// pop-up shows a clock and, on request, a standard time picker below it. Up and Down step the
// hour, minute or second under the caret; the edit text follows the clock.
#include "PlusDropDown.h"

#include "platform/framework/ComCtrls.h"
#include "platform/rtl/DateUtils.h"

// The clock face of the pop-up: hands for the hour, minute and second; a click sets the
// minute hand, the keys step the time (Up/Down a minute, Page Up/Down an hour).
class TTimePickerClock : public TCustomControl {
public:
    explicit TTimePickerClock(TComponent* AOwner);
    String ClassName() const override { return "TTimePickerClock"; }
    TDateTime Time() const { return time_; }
    void SetTime(TDateTime t);
    void HandleKey(WORD Key);
    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;

private:
    void UserSets(TDateTime t);
    TDateTime time_ = 0;
};

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
    TTimePickerClock* Clock() const { return clock_; }
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
    TTimePickerClock* clock_ = nullptr;
    TDateTimePicker* picker_ = nullptr;
};
