#pragma once
// The string grid's cell editors on the drop-down family: each is the drop-down plus its grid.
// The typed value goes into the current cell, the keys that end editing are validated and
// handed back to the grid, Esc restores the cell's text, and leaving the control ends editing.
// A value the grid's validation refused is never written: the keys that end editing keep the
// editor open on the cell with the validated text, and leaving the control writes the
// validated text instead.
// RegisterGridDropDownEditors makes the grid open them for their editor types.
#include "components/dropdown/PlusCalculatorDropdown.h"
#include "components/dropdown/PlusColorPickerDropDown.h"
#include "components/dropdown/PlusCustomGridDropDown.h"
#include "components/dropdown/PlusDateTimePicker.h"
#include "components/dropdown/PlusDetailDropDown.h"
#include "components/grid/PlusGrid.h"
#include "components/dropdown/PlusImagePickerDropDown.h"
#include "components/dropdown/PlusMemoDropDown.h"
#include "components/dropdown/PlusMultiColumnDropDown.h"
#include "components/dropdown/PlusTimePickerDropDown.h"
#include "components/dropdown/PlusTrackBarDropDown.h"

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
    // Keys that end editing; the keys among them that write and validate the text first.
    virtual bool IsEditingKey(WORD key) const;
    virtual bool ValidatesKey(WORD key) const { return key == VK_RETURN || key == VK_UP || key == VK_DOWN; }
    // Esc was pressed: the editor's own value goes back to what it was loaded with.
    virtual void CancelValue() {}
    // A click that opened the editor asked for the caret under the mouse.
    virtual bool PositionsCaret() const { return false; }

private:
    // Writes the text into the current cell and validates it; a refused text is replaced in the
    // editor by the validated one.
    bool WriteAndValidate();
    void PlaceCaretAtMouse();
};

class TGridTrackbarDropDown : public TGridDropDownEditor<TPlusTrackBarDropDown> {
public:
    explicit TGridTrackbarDropDown(TComponent* owner) : TGridDropDownEditor(owner) {}
    String ClassName() const override { return "TGridTrackbarDropDown"; }

protected:
    void PutText(const String& text) override { SetText(text); }
    bool ClaimsReturnAndEsc() const override { return true; }
    bool PositionsCaret() const override { return true; }
};

class TGridMemoDropDown : public TGridDropDownEditor<TPlusMemoDropDown> {
public:
    explicit TGridMemoDropDown(TComponent* owner) : TGridDropDownEditor(owner) {}
    String ClassName() const override { return "TGridMemoDropDown"; }

protected:
    bool PositionsCaret() const override { return true; }
};

class TGridCalculatorDropDown : public TGridDropDownEditor<TPlusCalculatorDropdown> {
public:
    explicit TGridCalculatorDropDown(TComponent* owner) : TGridDropDownEditor(owner) {}
    String ClassName() const override { return "TGridCalculatorDropDown"; }

protected:
    // Return first completes the pending calculation, so its result is what is written.
    void BeforeReturn() override { CompleteCalculation(); }
    bool PositionsCaret() const override { return true; }
};

class TGridTimepickerDropDown : public TGridDropDownEditor<TPlusTimePickerDropDown> {
public:
    explicit TGridTimepickerDropDown(TComponent* owner) : TGridDropDownEditor(owner) { FocusDraw = false; }
    String ClassName() const override { return "TGridTimepickerDropDown"; }
};

class TGridDetailPickerDropDown : public TGridDropDownEditor<TPlusDetailDropDown> {
public:
    explicit TGridDetailPickerDropDown(TComponent* owner) : TGridDropDownEditor(owner) {}
    String ClassName() const override { return "TGridDetailPickerDropDown"; }
};

// The colour picker as a cell editor: with the pop-up open only Tab, Return and Esc end editing
// (the arrows pick colours); only Return (and a wanted Tab) validates. The cell gets the
// colour's value text and the colour itself (the shape's colour or the cell's background).
class TGridColorDropDown : public TGridDropDownEditor<TPlusColorPickerDropDown> {
public:
    explicit TGridColorDropDown(TComponent* owner) : TGridDropDownEditor(owner) {}
    String ClassName() const override { return "TGridColorDropDown"; }
    // The text of the selected colour in the ColorValueText notation.
    String GetColorValueText() const { return ColorValueTextOf(SelectedColor(), ColorValueText); }
    // The colour the editor was loaded with; Esc brings it back and nothing is written.
    TColor LoadedColor = clNone;
    bool Cancelled = false;

protected:
    bool ClaimsReturnAndEsc() const override { return true; }
    bool IsEditingKey(WORD key) const override;
    bool ValidatesKey(WORD key) const override { return key == VK_RETURN; }
    void CancelValue() override;
};

// The image picker as a cell editor: the cell gets the picked image index (an image-list cell)
// or its decimal text (a data-image cell).
class TGridImageDropDown : public TGridDropDownEditor<TPlusImagePickerDropDown> {
public:
    explicit TGridImageDropDown(TComponent* owner) : TGridDropDownEditor(owner) {}
    String ClassName() const override { return "TGridImageDropDown"; }
    // The item the editor was loaded with; Esc brings it back and nothing is written.
    int LoadedItemIndex = -1;
    bool Cancelled = false;

protected:
    void CancelValue() override;
};

// The multi-column drop-down as a cell editor: the row whose lookup column holds the cell's
// text is chosen when it opens; the lookup column's text of the chosen row is written back.
class TGridGridDropDown : public TGridDropDownEditor<TPlusMultiColumnDropDown> {
public:
    explicit TGridGridDropDown(TComponent* owner) : TGridDropDownEditor(owner) {}
    String ClassName() const override { return "TGridGridDropDown"; }
};

// The grid drop-down as a cell editor; its list grid always shows its fixed row.
class TGridPlusGridDropDown : public TGridDropDownEditor<TCustomPlusGridDropDown> {
public:
    explicit TGridPlusGridDropDown(TComponent* owner) : TGridDropDownEditor(owner) {}
    String ClassName() const override { return "TGridPlusGridDropDown"; }
    // The drop-down's list grid as a string grid.
    TPlusStringGrid* GetGrid() const { return TCustomPlusGridDropDown::GetGrid(); }
};

class TGridDateTimePicker : public TPlusDateTimePicker {
public:
    explicit TGridDateTimePicker(TComponent* owner);
    String ClassName() const override { return "TGridDateTimePicker"; }
    TPlusStringGrid* Grid;

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
};
