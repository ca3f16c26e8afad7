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

// What every grid editor adds to its control: the grid it edits, which is its owner, and the
// end of editing when the focus leaves the control (the grid writes the value back).
template <class Control>
class TGridEditor : public Control {
public:
    explicit TGridEditor(TComponent* owner) : Control(owner), Grid(GridOfOwner(owner)) {}
    TPlusStringGrid* Grid;
    void Recreate() { this->RecreateWnd(); }

protected:
    void DoExit() override
    {
        Grid->HideInplaceEditor();
        Control::DoExit();
    }
};

// The combo editors: after each key but Return the typed text is completed from the items, the
// wheel steps through the items, and the list can widen to its widest item.
template <class Combo>
class TGridComboEditor : public TGridEditor<Combo> {
public:
    explicit TGridComboEditor(TComponent* owner) : TGridEditor<Combo>(owner) { this->SetButtonWidth(16); }
    bool LookupEnabled = true;
    TNotifyEvent OnReturnKey;
    // Widens the list to its widest item (never narrower than the combo).
    void AutoDropWidth();
    // Completes the typed text from the first item it begins.
    virtual void LookupComplete() = 0;

protected:
    void KeyUp(WORD& key, TShiftState shift) override;
    // The item a wheel turn (its message's WParam) goes to: the next one down or up, staying
    // on the first and the last.
    int WheelIndex(WPARAM wheel);
};

class TGridCombo : public TGridComboEditor<TPsgComboBox> {
public:
    explicit TGridCombo(TComponent* owner) : TGridComboEditor(owner) {}
    String ClassName() const override { return "TGridCombo"; }
    void LookupComplete() override;

protected:
    void WndProc(TMessage& message) override;
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Change() override;
    void Dispatch(TMessage& message) override;

private:
    void FireComboChange(int index, const String& selection, TObject* sender);
    bool WriteAndValidate();
};

class TGridUniCombo : public TGridComboEditor<TPSGUniComboBox> {
public:
    explicit TGridUniCombo(TComponent* owner) : TGridComboEditor(owner) {}
    String ClassName() const override { return "TGridUniCombo"; }
    void LookupComplete() override;

protected:
    void WndProc(TMessage& message) override;
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Dispatch(TMessage& message) override;
};

class TGridEditBtn : public TGridEditor<TPsgEditBtn> {
public:
    explicit TGridEditBtn(TComponent* owner);
    String ClassName() const override { return "TGridEditBtn"; }
    bool LookupEnabled = true;
    bool StopEditAfterClick = false;
    int KeyDownSelStart = 0;
    void ButtonClick(TObject* sender);
    void LookupComplete();
    // The text with the selection replaced by `pasted` (or `pasted` inserted at the caret).
    String MergePasteText(const String& pasted);

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Change() override;
    void Dispatch(TMessage& message) override;
};

class TGridUnitEditBtn : public TGridEditor<TPsgUnitEditBtn> {
public:
    explicit TGridUnitEditBtn(TComponent* owner);
    String ClassName() const override { return "TGridUnitEditBtn"; }
    void ButtonClick(TObject* sender);

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void Dispatch(TMessage& message) override;
};

class TGridSpin : public TGridEditor<TPsgSpinEdit> {
public:
    explicit TGridSpin(TComponent* owner);
    String ClassName() const override { return "TGridSpin"; }
    void DoSpinClick(bool up);

protected:
    void UpButtonClicked(TObject* sender) override;
    void DownButtonClicked(TObject* sender) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Change() override;
    void Dispatch(TMessage& message) override;
};

// The wide-text editors. Leaving one keeps its text for the grid to write and blanks the
// control. Of their messages the grid takes: Return, Esc and (with goTabs) Tab are wanted, the
// caret goes to the end on focus unless EditSelectAll, Tab is never typed, nor Return unless
// `KeepsLineBreaks`.
template <class Control, bool KeepsLineBreaks>
class TGridWideEditor : public TGridEditor<Control> {
public:
    using TGridEditor<Control>::TGridEditor;

protected:
    void DoExit() override;
    void Dispatch(TMessage& message) override;
};

// The one-line wide editors hand Tab, Return, Esc, Up and Down to the grid and never type
// Return; with `WritesFirst` the text goes into the cell before it is validated.
template <class Control, bool WritesFirst>
class TGridWideLineEditor : public TGridWideEditor<Control, false> {
public:
    using TGridWideEditor<Control, false>::TGridWideEditor;

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
};

class TGridUniEdit : public TGridWideLineEditor<TPsgUniEdit, false> {
public:
    explicit TGridUniEdit(TComponent* owner) : TGridWideLineEditor(owner) {}
    String ClassName() const override { return "TGridUniEdit"; }
};

class TGridUniEditBtn : public TGridWideLineEditor<TPsgUniEditBtn, true> {
public:
    explicit TGridUniEditBtn(TComponent* owner) : TGridWideLineEditor(owner) {}
    String ClassName() const override { return "TGridUniEditBtn"; }
};

// Tab writes and validates the text, then moves on (goTabs) or ends the edit; Esc restores.
class TGridUniMemo : public TGridWideEditor<TPsgUniMemo, true> {
public:
    explicit TGridUniMemo(TComponent* owner) : TGridWideEditor(owner) {}
    String ClassName() const override { return "TGridUniMemo"; }

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
};

class TGridCheckBox : public TGridEditor<TCheckBox> {
public:
    explicit TGridCheckBox(TComponent* owner) : TGridEditor(owner) {}
    String ClassName() const override { return "TGridCheckBox"; }

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void Dispatch(TMessage& message) override;
};

class TGridButton : public TGridEditor<TButton> {
public:
    explicit TGridButton(TComponent* owner) : TGridEditor(owner) {}
    String ClassName() const override { return "TGridButton"; }

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void Dispatch(TMessage& message) override;
};

// The date and time editor on the platform date picker.
class TGridDatePicker : public TGridEditor<TDateTimePicker> {
public:
    explicit TGridDatePicker(TComponent* owner) : TGridEditor(owner) {}
    String ClassName() const override { return "TGridDatePicker"; }
    bool Weeknumbers = false;
    bool ShowToday = true;
    bool ShowTodayCircle = true;
    // After a digit: moves on to the next field once the typed field is complete.
    virtual void ShiftFocus();

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Dispatch(TMessage& message) override;

private:
    uint16_t year_ = 0, month_ = 0, day_ = 0, hour_ = 0, minute_ = 0, second_ = 0, msec_ = 0;
};
