#pragma once
// The in-place cell editors of the string grid built on the edit, spin, combo and Unicode
// controls and on the platform check box, button and date picker. Each is the control plus a
// reference to its grid: typed values go into the current cell, the keys that end editing are
// validated and handed back to the grid, Esc restores the cell's text, and leaving the control
// ends editing (the grid commits the value).
#include "components/grid/PSGEdit.h"
#include "components/grid/PlusGrid.h"
#include "components/grid/PsgCombo.h"
#include "components/grid/PsgUni.h"
#include "components/grid/asgspin.h"

#include "platform/framework/ComCtrls.h"

QUELM_DECLARE_EXCEPTION(EInvalidCast, Exception)

// The grid that owns an editor; an owner that is no string grid raises EInvalidCast.
TPlusStringGrid* GridOfOwner(TComponent* owner);

// The character rules of the numeric editors. A float takes digits, the decimal separator of
// the format settings once (a second one outside the selection is dropped silently; "." and ","
// are dropped when they are not the decimal separator) and "-" once at the start (misplaced:
// a beep); a character that is none of these passes only with `ctrl` (shortcuts). An integer
// takes digits and "-" once at the start; anything else beeps. Nothing may go in front of a
// leading "-". Control characters are the caller's. `beep` tells whether a refusal sounds.
bool FloatCharAllowed(char16_t key, const String& text, int selStart, int selLength, bool allowMinus, bool ctrl,
                      bool& beep);
bool IntegerCharAllowed(char16_t key, const String& text, int selStart, int selLength, bool allowMinus, bool& beep);

class TGridCombo : public TPsgComboBox {
public:
    explicit TGridCombo(TComponent* owner);
    String ClassName() const override { return "TGridCombo"; }
    TPlusStringGrid* Grid;
    bool LookupEnabled = true;
    TNotifyEvent OnReturnKey;
    // Widens the list to its widest item (never narrower than the combo).
    void AutoDropWidth();
    void LookupComplete();

protected:
    void WndProc(TMessage& message) override;
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Change() override;
    void Dispatch(TMessage& message) override;

private:
    void FireComboChange(int index, const String& selection, TObject* sender);
    bool WriteAndValidate();
};

class TGridUniCombo : public TPSGUniComboBox {
public:
    explicit TGridUniCombo(TComponent* owner);
    String ClassName() const override { return "TGridUniCombo"; }
    TPlusStringGrid* Grid;
    bool LookupEnabled = true;
    TNotifyEvent OnReturnKey;
    void AutoDropWidth();
    void LookupComplete();

protected:
    void WndProc(TMessage& message) override;
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Dispatch(TMessage& message) override;
};

class TGridEditBtn : public TPsgEditBtn {
public:
    explicit TGridEditBtn(TComponent* owner);
    String ClassName() const override { return "TGridEditBtn"; }
    TPlusStringGrid* Grid;
    bool LookupEnabled = true;
    bool StopEditAfterClick = false;
    int KeyDownSelStart = 0;
    void Recreate() { RecreateWnd(); }
    void ButtonClick(TObject* sender);
    void LookupComplete();
    // The text with the selection replaced by `pasted` (or `pasted` inserted at the caret).
    String MergePasteText(const String& pasted);

protected:
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Change() override;
    void Dispatch(TMessage& message) override;
};

class TGridUnitEditBtn : public TPsgUnitEditBtn {
public:
    explicit TGridUnitEditBtn(TComponent* owner);
    String ClassName() const override { return "TGridUnitEditBtn"; }
    TPlusStringGrid* Grid;
    void Recreate() { RecreateWnd(); }
    void ButtonClick(TObject* sender);

protected:
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void Dispatch(TMessage& message) override;
};

class TGridSpin : public TPsgSpinEdit {
public:
    explicit TGridSpin(TComponent* owner);
    String ClassName() const override { return "TGridSpin"; }
    TPlusStringGrid* Grid;
    void Recreate() { RecreateWnd(); }
    void DoSpinClick(bool up);

protected:
    void UpButtonClicked(TObject* sender) override;
    void DownButtonClicked(TObject* sender) override;
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Change() override;
    void Dispatch(TMessage& message) override;
};

class TGridUniEdit : public TPsgUniEdit {
public:
    explicit TGridUniEdit(TComponent* owner);
    String ClassName() const override { return "TGridUniEdit"; }
    TPlusStringGrid* Grid;
    void Recreate() { RecreateWnd(); }

protected:
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Dispatch(TMessage& message) override;
};

class TGridUniEditBtn : public TPsgUniEditBtn {
public:
    explicit TGridUniEditBtn(TComponent* owner);
    String ClassName() const override { return "TGridUniEditBtn"; }
    TPlusStringGrid* Grid;
    void Recreate() { RecreateWnd(); }

protected:
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Dispatch(TMessage& message) override;
};

class TGridUniMemo : public TPsgUniMemo {
public:
    explicit TGridUniMemo(TComponent* owner);
    String ClassName() const override { return "TGridUniMemo"; }
    TPlusStringGrid* Grid;
    void Recreate() { RecreateWnd(); }

protected:
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void Dispatch(TMessage& message) override;
};

class TGridCheckBox : public TCheckBox {
public:
    explicit TGridCheckBox(TComponent* owner);
    String ClassName() const override { return "TGridCheckBox"; }
    TPlusStringGrid* Grid;
    void Recreate() { RecreateWnd(); }

protected:
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void Dispatch(TMessage& message) override;
};

class TGridButton : public TButton {
public:
    explicit TGridButton(TComponent* owner);
    String ClassName() const override { return "TGridButton"; }
    TPlusStringGrid* Grid;
    void Recreate() { RecreateWnd(); }

protected:
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void Dispatch(TMessage& message) override;
};

// The date and time editor on the platform date picker.
class TGridDatePicker : public TDateTimePicker {
public:
    explicit TGridDatePicker(TComponent* owner);
    String ClassName() const override { return "TGridDatePicker"; }
    TPlusStringGrid* Grid;
    bool Weeknumbers = false;
    bool ShowToday = true;
    bool ShowTodayCircle = true;
    void Recreate() { RecreateWnd(); }
    // After a digit: moves on to the next field once the typed field is complete.
    virtual void ShiftFocus();

protected:
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Dispatch(TMessage& message) override;

private:
    uint16_t year_ = 0, month_ = 0, day_ = 0, hour_ = 0, minute_ = 0, second_ = 0, msec_ = 0;
};
