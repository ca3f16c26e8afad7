#pragma once
// The string grid's default cell editor: the framework grid's in-place edit with a character
// filter per editor type (numbers, floats, cases, valid characters, length), validation of the
// keys that leave the cell, the caret walking out into the neighbouring cells, lookup
// completion, and the grid's clipboard, change and double-click events.
#include "components/grid/PlusGrid.h"

// The colour and font of an editor over the cell: the cell's own colours on the grid's font (a
// cell without a colour: the window colour).
void ResolveCellEditorColors(TPlusStringGrid& grid, int col, int row, TColor& color, TFont* font);

class TPlusInplaceEdit : public TInplaceEdit {
public:
    explicit TPlusInplaceEdit(TPlusStringGrid* grid);
    String ClassName() const override { return "TPlusInplaceEdit"; }
    TPlusStringGrid* GridRef() const { return grid_; }
    bool VAlign() const { return vAlign_; }
    void SetVAlign(bool on);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    short LengthLimit = 0; // below 1: no limit
    bool HadFocus = false;
    bool AltBackspaceDown = false;
    int EditCol = -1;
    int EditRow = -1;
    int KeyDownSelStart = 0;
    int MsgKeyDownSelStart = 0;
    bool LookupEnabled = true;
    void UpdateContents() override;
    void LookupComplete();
    // The text with the selection replaced by `pasted` (or `pasted` inserted at the caret).
    String MergePasteText(const String& pasted, int& selStart, int& selLength) const;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void BoundsChanged() override;
    void Change() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;

private:
    void WMChar(TMessage& message);
    void WMKeyDown(TMessage& message);
    void WMKillFocus(TMessage& message);
    void WMSetFocus(TMessage& message);
    void WMPaste(TMessage& message);
    void RefuseSelection();
    // Applies the window style of the editor's current settings.
    void ApplyCreateStyle();
    bool ValidateText(const String& text);
    TPlusStringGrid* grid_;
    bool vAlign_ = false;
    bool wordWrap_ = false;
};
