#pragma once
// The string grid's cell editors on the drop-down family: each is the drop-down plus its grid.
// The typed value goes into the current cell, the keys that end editing are validated and
// handed back to the grid, Esc restores the cell's text, and leaving the control ends editing.
// RegisterGridDropDownEditors makes the grid open them for their editor types.
#include "PlusDateTimePicker.h"
#include "PlusGrid.h"
#include "PlusMemoDropDown.h"
#include "PlusTimePickerDropDown.h"
#include "PlusTrackBarDropDown.h"

// Registers the editor classes below with every string grid (once per program; again is harmless).
void RegisterGridDropDownEditors();

// The key, change, exit and special-key handling every drop-down editor shares.
template <class Base>
class TGridDropDownEditor : public Base {
public:
    explicit TGridDropDownEditor(TComponent* owner);
    TPlusStringGrid* Grid;

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Change() override;
    void DoExit() override;
    void Dispatch(TMessage& message) override;
    // The text put back into the editor after Esc and validation.
    virtual void PutText(const String& text) { this->SetTextDirect(text); }
    virtual bool ClaimsReturnAndEsc() const { return false; }
    virtual void BeforeReturn() {}
};

class TGridTrackbarDropDown : public TGridDropDownEditor<TPlusTrackBarDropDown> {
public:
    explicit TGridTrackbarDropDown(TComponent* owner) : TGridDropDownEditor(owner) {}
    String ClassName() const override { return "TGridTrackbarDropDown"; }

protected:
    void PutText(const String& text) override { SetText(text); }
    bool ClaimsReturnAndEsc() const override { return true; }
};

class TGridMemoDropDown : public TGridDropDownEditor<TPlusMemoDropDown> {
public:
    explicit TGridMemoDropDown(TComponent* owner) : TGridDropDownEditor(owner) {}
    String ClassName() const override { return "TGridMemoDropDown"; }
};

class TGridTimepickerDropDown : public TGridDropDownEditor<TPlusTimePickerDropDown> {
public:
    explicit TGridTimepickerDropDown(TComponent* owner) : TGridDropDownEditor(owner) { FocusDraw = false; }
    String ClassName() const override { return "TGridTimepickerDropDown"; }
};

class TGridDateTimePicker : public TPlusDateTimePicker {
public:
    explicit TGridDateTimePicker(TComponent* owner);
    String ClassName() const override { return "TGridDateTimePicker"; }
    TPlusStringGrid* Grid;

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
};
