#pragma once
// The string grid's rich-edit control, bound to its grid in two roles: the hidden renderer that
// turns rich-text cells into plain text, measures and draws them, and the rich-text in-place
// editor. The grid makes both on first use (TPlusStringGrid::GetRichEditRenderer,
// GetRichEditEditor); the control asks its window for size requests, and its notification
// handler keeps the renderer's last requested size (ReqWidth, ReqHeight) and grows the current
// row while the editor's text needs more height (SizeWhileTyping.Height).
#include "components/grid/PlusGrid.h"

#include "platform/framework/RichEdit.h"

// Adds WS_EX_TRANSPARENT to the window's extended style, keeping the other bits.
void SetWindowTransparentStyle(HWND window);

class TPlusRichEdit : public TRichEdit {
public:
    // The owner must be a TPlusStringGrid (else EInvalidCast).
    explicit TPlusRichEdit(TComponent* owner);
    String ClassName() const override { return "TPlusRichEdit"; }
    TPlusStringGrid* Grid() const { return grid_; }
    // The size the control last asked for (the renderer's).
    int ReqWidth() const { return reqWidth_; }
    int ReqHeight() const { return reqHeight_; }
    void RecreateWindow() { RecreateWnd(); }
    // While locked the editor does not grow its row.
    void LockUpdates() { locked_ = true; }
    void UnlockUpdates() { locked_ = false; }
    bool Locked() const { return locked_; }

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void DoExit() override;
    void Dispatch(TMessage& message) override;

private:
    void SizeRequested(const REQRESIZE& request);
    bool LeaveWithValidation(WORD key, TShiftState shift);
    TPlusStringGrid* grid_;
    int reqWidth_ = 0;
    int reqHeight_ = 0;
    bool locked_ = false;
};
