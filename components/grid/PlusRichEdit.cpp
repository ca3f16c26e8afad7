#include "components/grid/PlusRichEdit.h"

#include "components/grid/GridEditors.h"

void SetWindowTransparentStyle(HWND window)
{
    SetWindowLong(window, GWL_EXSTYLE, GetWindowLong(window, GWL_EXSTYLE) | LONG(WS_EX_TRANSPARENT));
}

TPlusRichEdit::TPlusRichEdit(TComponent* owner) : TRichEdit(owner), grid_(GridOfOwner(owner)) {}

// The editor's value must pass the grid's validation before a key takes the focus away; a
// refused value stays in the editor (as the validation left it) and the editor stays open.
bool TPlusRichEdit::LeaveWithValidation(WORD, TShiftState)
{
    if (this != grid_->richEditEditor_ || !grid_->Editing)
        return true;
    if (!Perform(EM_GETMODIFY, 0, 0))
        return true;
    String text;
    grid_->RichEditToCellText(this, text);
    const bool ok = grid_->ValidateCell(text);
    if (!ok) {
        const String shown = grid_->ValidatedText;
        TMemoryStream stream;
        if (!shown.empty())
            stream.WriteBuffer(shown.data(), long(shown.size()));
        stream.SetPosition(0);
        Lines()->LoadFromStream(stream);
        Perform(EM_SETMODIFY, 1, 0);
    }
    return ok;
}

void TPlusRichEdit::KeyDown(WORD& key, TShiftState shift)
{
    TRichEdit::KeyDown(key, shift);
    if (this != grid_->richEditEditor_)
        return;
    if (key == VK_ESCAPE) {
        // the edit is dropped: nothing is written back
        Perform(EM_SETMODIFY, 0, 0);
        grid_->ValidationPending = false;
        grid_->EndEditAndMove(key, shift);
        key = 0;
        return;
    }
    if (key == VK_TAB && grid_->EditorWantsTab()) {
        if (!LeaveWithValidation(key, shift)) {
            key = 0;
            return;
        }
        grid_->EndEditAndMove(key, shift);
        key = 0;
        return;
    }
    if ((key == VK_UP || key == VK_DOWN) && !grid_->WordWrap && !grid_->Multilinecells) {
        if (!LeaveWithValidation(key, shift)) {
            key = 0;
            return;
        }
        if (grid_->CanFocus())
            grid_->SetFocus();
        grid_->KeyDown(key, shift);
        key = 0;
    }
}

void TPlusRichEdit::DoExit()
{
    // leaving for another control writes the edit back (the grid's own window does so on
    // losing the focus)
    if (this == grid_->richEditEditor_ && grid_->Editing && !grid_->IgnoreFocusMessages &&
        grid_->ActiveEditorType == edRichEdit)
        grid_->HideInplaceEditor();
    TRichEdit::DoExit();
}

void TPlusRichEdit::SizeRequested(const REQRESIZE& request)
{
    TPlusRichEdit* renderer = grid_->richEditRenderer_;
    if (renderer && renderer->HandleAllocated() && request.nmhdr.hwndFrom == renderer->Handle()) {
        renderer->reqWidth_ = request.rc.right - request.rc.left;
        renderer->reqHeight_ = request.rc.bottom - request.rc.top;
    }
    TPlusRichEdit* editor = grid_->richEditEditor_;
    if (!editor || !editor->HandleAllocated() || !grid_->SizeWhileTyping()->Height ||
        request.nmhdr.hwndFrom != editor->Handle() || editor->locked_)
        return;
    const int h = request.rc.bottom - request.rc.top + 5;
    const int row = grid_->Row();
    const TRect cell = grid_->CellRect(grid_->Col(), row);
    if (grid_->RowHeights(row) < h && cell.Top + h < grid_->Height()) {
        editor->SetHeight(h + 4);
        grid_->SetRowHeights(row, h + 5);
        if (grid_->OnEndRowSize)
            grid_->OnEndRowSize(grid_, row);
    }
}

void TPlusRichEdit::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_KILLFOCUS:
        if (grid_->IgnoreFocusMessages)
            return;
        if (HWND(m.WParam) == grid_->Handle() && this == grid_->richEditEditor_)
            grid_->HideInplaceEditor();
        break;
    case CN_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
        if (hdr && hdr->code == EN_REQUESTRESIZE && !grid_->HasState(csDesigning))
            SizeRequested(*reinterpret_cast<const REQRESIZE*>(m.LParam));
        break;
    }
    default: break;
    }
    TRichEdit::Dispatch(m);
}
