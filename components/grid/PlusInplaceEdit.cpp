#include "components/grid/PlusInplaceEdit.h"

#include "components/grid/GridEditors.h"
#include "components/grid/TextRoutines.h"

#include "platform/framework/Clipbrd.h"
#include "platform/rtl/SysUtils.h"

#include <cctype>

namespace {

String UpperText(const String& s)
{
    String r = s;
    for (char& c : r)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

String LowerText(const String& s)
{
    String r = s;
    for (char& c : r)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

bool CtrlDown() { return GetKeyState(VK_CONTROL) < 0; }

} // namespace

void ResolveCellEditorColors(TPlusStringGrid& grid, int col, int row, TColor& color, TFont* font)
{
    TGridDrawState state;
    TColor colorTo = clNone, mirror = clNone, mirrorTo = clNone;
    TAlignment alignment = taLeftJustify;
    TVAlignment vAlignment = vtaTop;
    bool wordWrap = false;
    TCellGradientDirection direction = GradientVertical;
    TBrush brush;
    brush.Color = grid.Color();
    font->Assign(grid.Font());
    grid.GetCellColors(col, row, state, false, false, true, &brush, colorTo, mirror, mirrorTo, font, alignment,
                       vAlignment, wordWrap, direction);
    color = brush.Color == clNone ? clWindow : brush.Color;
}

TPlusInplaceEdit::TPlusInplaceEdit(TPlusStringGrid* grid) : TInplaceEdit(grid), grid_(grid) { ApplyCreateStyle(); }

void TPlusInplaceEdit::ApplyCreateStyle()
{
    TCreateParams params;
    CreateParams(params);
    ApplyStyle(params.Style);
}

void TPlusInplaceEdit::SetVAlign(bool on)
{
    if (vAlign_ == on)
        return;
    vAlign_ = on;
    ApplyCreateStyle();
}

void TPlusInplaceEdit::SetWordWrap(bool on)
{
    if (wordWrap_ == on)
        return;
    wordWrap_ = on;
    ApplyCreateStyle();
}

void TPlusInplaceEdit::CreateParams(TCreateParams& params)
{
    TInplaceEdit::CreateParams(params);
    if (grid_)
        wordWrap_ = grid_->WordWrap;
    if (vAlign_)
        params.Style |= DWORD(ES_RIGHT);
    if (grid_ && grid_->ActiveEditorType == edPassword) {
        params.Style |= DWORD(ES_PASSWORD);
        params.Style &= ~DWORD(ES_MULTILINE);
    }
    if (wordWrap_)
        params.Style &= ~DWORD(ES_AUTOHSCROLL);
    else
        params.Style |= DWORD(ES_AUTOHSCROLL);
    params.Style |= DWORD(ES_WANTRETURN);
    LookupEnabled = true;
}

void TPlusInplaceEdit::CreateWnd()
{
    TInplaceEdit::CreateWnd();
    if (grid_->ActiveEditorType == edPassword)
        Perform(EM_SETPASSWORDCHAR, WPARAM(static_cast<unsigned char>(grid_->PasswordChar)), 0);
    LengthLimit = short(grid_->GetEditLimit());
}

void TPlusInplaceEdit::UpdateContents()
{
    // the password style and the wrap follow the editor type of this edit
    ApplyCreateStyle();
    Perform(EM_SETPASSWORDCHAR,
            WPARAM(grid_->ActiveEditorType == edPassword ? static_cast<unsigned char>(grid_->PasswordChar) : 0), 0);
    grid_->LoadingEditorText = true;
    try {
        TInplaceEdit::UpdateContents();
    } catch (...) {
        grid_->LoadingEditorText = false;
        throw;
    }
    grid_->LoadingEditorText = false;
    TColor color = clWindow;
    TFont font;
    ResolveCellEditorColors(*grid_, grid_->Col(), grid_->Row(), color, &font);
    SetColor(color);
    Font()->Assign(&font);
    EditCol = grid_->Col();
    EditRow = grid_->Row();
    LengthLimit = short(grid_->GetEditLimit());
    grid_->DoGetEditorProp(grid_->Col(), grid_->Row(), nullptr);
}

void TPlusInplaceEdit::BoundsChanged()
{
    TInplaceEdit::BoundsChanged();
    const int realCol = grid_->DisplayToRealColumn(grid_->Col());
    TRect r = grid_->InMergedRange(realCol, grid_->Row()) ? grid_->MergedCellRect(realCol, grid_->Row())
                                                         : grid_->CellRect(grid_->Col(), grid_->Row());
    if (grid_->BiDiMode != bdLeftToRight)
        r.Left += 1;
    SetBounds(r.Left, r.Top, std::max(1, r.Right - r.Left - 1), std::max(1, r.Bottom - r.Top - 1));
    RECT fr{3, 3, Width() - 2, Height()};
    Perform(EM_SETRECTNP, 0, LPARAM(&fr));
}

void TPlusInplaceEdit::Change()
{
    TInplaceEdit::Change();
    if (!grid_->LoadingEditorText && grid_->OnEditChange)
        grid_->OnEditChange(grid_, grid_->Col(), grid_->Row(), Text());
}

void TPlusInplaceEdit::WndProc(TMessage& message)
{
    if (message.Msg == WM_SYSKEYDOWN && message.WParam == VK_BACK)
        AltBackspaceDown = true;
    else if (message.Msg == WM_SYSKEYUP && message.WParam == VK_BACK)
        AltBackspaceDown = false;
    TInplaceEdit::WndProc(message);
}

void TPlusInplaceEdit::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_CHAR: WMChar(message); return;
    case WM_KEYDOWN: WMKeyDown(message); return;
    case WM_KEYUP:
        TInplaceEdit::Dispatch(message);
        if (SelStart() > 0)
            grid_->EditProgress(Text(), TPoint(0, 0), SelStart());
        grid_->FormulaEditChanged(!Text().empty() && Text()[0] == '=');
        return;
    case WM_SETFOCUS: WMSetFocus(message); return;
    case WM_KILLFOCUS: WMKillFocus(message); return;
    case WM_PASTE: WMPaste(message); return;
    case WM_CUT: {
        bool allow = true;
        if (grid_->OnClipboardCut)
            grid_->OnClipboardCut(this, allow);
        if (allow)
            TInplaceEdit::Dispatch(message);
        return;
    }
    case WM_COPY: {
        bool allow = true;
        if (grid_->OnClipboardCopy)
            grid_->OnClipboardCopy(this, allow);
        if (allow)
            TInplaceEdit::Dispatch(message);
        return;
    }
    case WM_LBUTTONDBLCLK:
        TInplaceEdit::Dispatch(message);
        if (grid_->OnDblClickCell)
            grid_->OnDblClickCell(grid_, grid_->Row(), grid_->Col());
        return;
    case CM_WANTSPECIALKEY:
        TInplaceEdit::Dispatch(message);
        if (message.WParam == VK_TAB && grid_->EditorWantsTab())
            message.Result = 1;
        return;
    case WM_GETDLGCODE:
        TInplaceEdit::Dispatch(message);
        if (grid_->EditorWantsTab())
            message.Result |= DLGC_WANTTAB;
        return;
    default: TInplaceEdit::Dispatch(message); return;
    }
}

void TPlusInplaceEdit::WMSetFocus(TMessage& message)
{
    TInplaceEdit::Dispatch(message);
    HadFocus = true;
    grid_->LoadingEditorText = false;
    LengthLimit = short(grid_->GetEditLimit());
    SetMaxLength(LengthLimit > 0 ? LengthLimit : 0);
    if (IsMasked() && grid_->Navigation()->ImproveMaskSel && !grid_->EditorClickThrough) {
        SetSelStart(0);
        SetSelLength(1);
        return;
    }
    if (!grid_->Navigation()->EditSelectAll)
        SetSelStart(GetTextLen());
}

void TPlusInplaceEdit::WMKillFocus(TMessage& message)
{
    grid_->EditStartKey = '\0';
    if (grid_->LookupHistory && !Text().empty() && grid_->LookupItems()->IndexOf(Text()) < 0)
        grid_->LookupItems()->Add(Text());
    grid_->FormulaEditChanged(false);
    TInplaceEdit::Dispatch(message);
    const HWND to = reinterpret_cast<HWND>(message.WParam);
    if (!AltBackspaceDown && to != grid_->Handle() && grid_->Editing) {
        try {
            grid_->ValidateCell(Text());
        } catch (...) {
            grid_->HideInplaceEditor();
            grid_->ValidationPending = false;
            grid_->Editing = false;
            throw;
        }
        grid_->HideInplaceEditor();
        grid_->ValidationPending = false;
        grid_->Editing = false;
    }
    if (HadFocus) {
        HadFocus = false;
        grid_->DoEditingDone(grid_->DisplayToRealColumn(EditCol), EditRow);
    }
}

void TPlusInplaceEdit::RefuseSelection()
{
    if (grid_->Navigation()->EditSelectAll)
        SelectAll();
    else
        SetSelStart(GetTextLen());
}

bool TPlusInplaceEdit::ValidateText(const String& text)
{
    const bool ok = grid_->ValidateCell(text);
    SetEditText(grid_->ValidatedText);
    if (!ok)
        RefuseSelection();
    return ok;
}

void TPlusInplaceEdit::WMChar(TMessage& message)
{
    char16_t key = char16_t(message.WParam);
    // the keypad's decimal key types the locale's separator
    if (key == '.' && (message.LParam & (1 << 24)) && grid_->ExcelStyleDecimalSeparator) {
        key = char16_t(static_cast<unsigned char>(FormatSettings().DecimalSeparator));
        message.WParam = key;
    }
    if (key == 1 && CtrlDown()) {
        message.Result = 1;
        return;
    }
    if (key == 10 && !(grid_->Navigation()->AllowCtrlEnter && (grid_->WordWrap || grid_->Multilinecells)))
        return;
    const int selLength = SelLength();
    if (LengthLimit > 0 && GetTextLen() >= LengthLimit && selLength == 0 && key != 8 && key != 27 && key != 13)
        return;
    const TEditorType type = grid_->ActiveEditorType;
    if (key == 13 && grid_->Navigation()->LineFeedOnEnter &&
        (type == edNormal || type == edCapital || type == edMixedCase || type == edLowerCase ||
         type == edUpperCase || type == edValidChars)) {
        TInplaceEdit::Dispatch(message);
        return;
    }
    const String text = Text();
    const int selStart = SelStart();
    bool pass = false;
    bool checkAdvance = true;
    auto controlKey = [&] { return key == 8 || key == 9 || key == 13 || key == 27; };
    switch (type) {
    case edNormal:
    case edPassword: pass = true; break;
    case edNumeric:
    case edPositiveNumeric: {
        bool beep = false;
        pass = controlKey() || IntegerCharAllowed(key, text, selStart, selLength, type == edNumeric, beep);
        if (!pass && key < 32 && CtrlDown())
            pass = true;
        if (!pass && beep)
            MessageBeep(0);
        break;
    }
    case edFloat:
    case edPositiveFloat: {
        bool beep = false;
        pass = controlKey() ||
               FloatCharAllowed(key, text, selStart, selLength, type == edFloat, CtrlDown() || key < 32, beep);
        if (!pass) {
            checkAdvance = false;
            if (beep)
                MessageBeep(0);
        }
        break;
    }
    case edCapital:
    case edUpperCase:
        if (key < 256)
            key = char16_t(std::toupper(int(key)));
        message.WParam = key;
        pass = true;
        break;
    case edLowerCase:
        if (key < 256)
            key = char16_t(std::tolower(int(key)));
        message.WParam = key;
        pass = true;
        break;
    case edMixedCase: {
        TInplaceEdit::Dispatch(message);
        const int at = SelStart();
        SetEditText(CapitalizeWords(Text()));
        grid_->SetEditText(grid_->Col(), grid_->Row(), Text());
        SetSelStart(at);
        pass = false;
        break;
    }
    case edValidChars:
        if (!grid_->ValidChars.empty())
            pass = key == 8 || key == 13 || (key < 256 && grid_->ValidChars.find(char(key)) != String::npos);
        else
            pass = key == 8 || key == 13 || (key < 256 && grid_->ValidCharSet[key]);
        if (!pass)
            MessageBeep(0);
        break;
    default: pass = false; break;
    }
    if (pass)
        TInplaceEdit::Dispatch(message);
    if (checkAdvance && grid_->Navigation()->AdvanceAuto() && grid_->Navigation()->AdvanceOnEnter &&
        grid_->MaxEditLength > 0 && GetTextLen() == grid_->MaxEditLength && SelLength() == 0 &&
        SelStart() == GetTextLen() && key != 13 && key != 8) {
        WORD enter = VK_RETURN;
        grid_->EndEditAndMove(enter, TShiftState());
    }
}

void TPlusInplaceEdit::WMKeyDown(TMessage& message)
{
    grid_->EditorWMKeyDownHook(message);
    MsgKeyDownSelStart = SelStart();
    const WORD key = WORD(message.WParam);
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    TNavigation* nav = grid_->Navigation();
    const String t = Text();
    if (key == VK_ESCAPE) {
        SetEditText(grid_->SavedCellText);
        grid_->SetCurrentCellText(grid_->SavedCellText);
        grid_->ValidationPending = false;
        grid_->HideInplaceEditor();
        message.Result = 0;
        return;
    }
    if (key == 'A' && ctrl) {
        SelectAll();
        return;
    }
    if (key == VK_RETURN && ctrl && !(nav->AllowCtrlEnter && (grid_->WordWrap || grid_->Multilinecells)))
        return;
    if (key == VK_TAB && grid_->EditorWantsTab()) {
        if (!ValidateText(t))
            return;
        grid_->HideInplaceEditor();
        if (grid_->Options().Contains(goTabs))
            grid_->TabToNextCell(shift);
        else
            PostMessage(grid_->Handle(), WM_KEYDOWN, VK_TAB, 0);
        return;
    }
    if (((key == VK_LEFT && shift && SelStart() == 0) || (key == VK_RIGHT && shift && SelStart() == GetTextLen())) &&
        nav->CursorWalkEditor) {
        grid_->EditShowInhibit = true;
        grid_->SetCurrentCellText(t);
        grid_->EditShowInhibit = false;
        if (ValidateText(t)) {
            grid_->HideInplaceEditor();
            grid_->SetFocus();
        } else {
            Invalidate();
        }
        return;
    }
    if (key == VK_UP || key == VK_DOWN) {
        const int line = int(Perform(EM_LINEFROMCHAR, WPARAM(SelStart()), 0));
        const int last = int(Perform(EM_LINEFROMCHAR, WPARAM(GetTextLen()), 0));
        if ((key == VK_UP && line == 0) || (key == VK_DOWN && line == last)) {
            grid_->EditShowInhibit = true;
            grid_->SetCurrentCellText(t);
            grid_->EditShowInhibit = false;
            if (!ValidateText(t)) {
                Invalidate();
                return;
            }
        }
    }
    if (key == VK_RETURN && !nav->LineFeedOnEnter && !ctrl) {
        if (!ValidateText(t))
            return;
    }
    if (key == VK_HOME && !ctrl && !shift) {
        SetSelStart(0);
        return;
    }
    if (key == VK_END && !ctrl && !shift) {
        SetSelStart(GetTextLen());
        return;
    }
    if (key == VK_RETURN && ctrl && nav->LineFeedOnEnter) {
        char k = 13;
        TInplaceEdit::KeyPress(k);
        return;
    }
    TInplaceEdit::Dispatch(message);
}

void TPlusInplaceEdit::KeyDown(WORD& key, TShiftState shift)
{
    KeyDownSelStart = SelStart();
    if (key == VK_BACK || key == VK_DELETE)
        LookupEnabled = false;
    else if (key == VK_RETURN) {
        if (!grid_->Navigation()->AllowCtrlEnter && (grid_->WordWrap || grid_->Multilinecells))
            grid_->ValidationPending = false;
    } else if (key == VK_UP || key == VK_DOWN) {
        const int line = int(Perform(EM_LINEFROMCHAR, WPARAM(SelStart()), 0));
        const int last = int(Perform(EM_LINEFROMCHAR, WPARAM(GetTextLen()), 0));
        if ((key == VK_UP && line > 0) || (key == VK_DOWN && line < last)) {
            TCustomMaskEdit::KeyDown(key, shift);
            return;
        }
    } else {
        LookupEnabled = true;
    }
    grid_->EditorKeyDownHook(key, shift);
    if (key == VK_RETURN && grid_->Editing) {
        // Enter ends the edit: the value is in the cell already and has been validated
        grid_->HideInplaceEditor();
        if (grid_->CanFocus())
            grid_->SetFocus();
        if (grid_->Navigation()->AdvanceOnEnter)
            grid_->AdvanceToNextCell(grid_->Col(), grid_->Row(), true, !shift.Contains(ssShift));
        key = 0;
        return;
    }
    TInplaceEdit::KeyDown(key, shift);
}

void TPlusInplaceEdit::KeyUp(WORD& key, TShiftState shift)
{
    TNavigation* nav = grid_->Navigation();
    const bool noMods = !shift.Contains(ssShift) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
    // the caret walks out of the text into the cell beside it: left from the start, right from
    // the end
    const bool outLeft = key == VK_LEFT && SelLength() == 0 && KeyDownSelStart == 0 && SelStart() == 0;
    const bool outRight = key == VK_RIGHT && SelLength() == 0 && GetTextLen() == MsgKeyDownSelStart;
    if ((outLeft || outRight) && noMods && nav->CursorWalkEditor) {
        key = 0;
        if (ValidateText(Text())) {
            grid_->HideInplaceEditor();
            const TAdvanceDirection dir = nav->AdvanceDirection();
            nav->SetAdvanceDirection(adLeftRight);
            grid_->AdvanceToNextCell(grid_->Col(), grid_->Row(), false, outRight);
            nav->SetAdvanceDirection(dir);
            if (nav->CursorWalkAlwaysEdit)
                grid_->ShowInplaceEditor();
        }
        return;
    }
    TInplaceEdit::KeyUp(key, shift);
    LookupComplete();
}

void TPlusInplaceEdit::KeyPress(char& key)
{
    if (key == 13 && !grid_->Navigation()->LineFeedOnEnter) {
        key = 0;
        return;
    }
    TInplaceEdit::KeyPress(key);
    if (key != 0 && grid_->Navigation()->AdvanceAuto() && IsMasked() && SelStart() == GetTextLen() &&
        EditText().find(' ') == String::npos && EditText().find('_') == String::npos) {
        grid_->EndEditAndMove(VK_RETURN, TShiftState());
    }
}

void TPlusInplaceEdit::LookupComplete()
{
    if (!LookupEnabled || SelLength() != 0 || !grid_->Lookup || grid_->LookupItems()->Count() == 0)
        return;
    const String text = Text();
    const int selStart = std::min<int>(SelStart(), int(text.size()));
    if (selStart == 0)
        return;
    const bool cs = grid_->LookupCaseSensitive;
    String p = text.substr(0, size_t(selStart));
    if (!cs)
        p = UpperText(p);
    for (int i = 0; i < grid_->LookupItems()->Count(); ++i) {
        const String item = grid_->LookupItems()->Strings(i);
        const String cmp = cs ? item : UpperText(item);
        if (cmp.size() >= p.size() && cmp.compare(0, p.size(), p) == 0) {
            String completed = text.substr(0, p.size()) + item.substr(p.size());
            if (completed.size() > 255)
                completed.resize(255);
            SetEditText(completed);
            grid_->SetEditText(grid_->Col(), grid_->Row(), completed);
            Perform(EM_SETSEL, WPARAM(p.size()), LPARAM(completed.size()));
            return;
        }
    }
}

String TPlusInplaceEdit::MergePasteText(const String& pasted, int& selStart, int& selLength) const
{
    const String text = Text();
    const int start = std::min<int>(SelStart(), int(text.size()));
    const int length = std::min<int>(SelLength(), int(text.size()) - start);
    const String merged = text.substr(0, size_t(start)) + pasted + text.substr(size_t(start + length));
    selStart = length > 0 ? start : start + int(pasted.size());
    selLength = length > 0 ? int(pasted.size()) : 0;
    return merged;
}

void TPlusInplaceEdit::WMPaste(TMessage&)
{
    if (!Clipboard()->HasFormat(CF_TEXT))
        return;
    String value = Clipboard()->AsText();
    bool allow = true;
    if (grid_->OnClipboardPaste)
        grid_->OnClipboardPaste(this, allow);
    if (allow && grid_->OnClipboardBeforePasteCell)
        grid_->OnClipboardBeforePasteCell(this, grid_->Col(), grid_->Row(), value, allow);
    if (!allow || (LengthLimit >= 1 && int(value.size()) > LengthLimit))
        return;
    const size_t crlf = value.find("\r\n");
    if (crlf != String::npos && crlf + 2 == value.size())
        value.erase(crlf);
    int selStart = 0, selLength = 0;
    String merged = MergePasteText(value, selStart, selLength);
    if (LengthLimit >= 1 && int(merged.size()) > LengthLimit)
        return;
    switch (grid_->ActiveEditorType) {
    case edNumeric:
        if (GetNumberKind(merged) != 0)
            return;
        break;
    case edPositiveNumeric:
        if (GetNumberKind(merged) != 0 || merged.find('-') != String::npos)
            return;
        break;
    case edFloat:
        if (GetNumberKind(merged) > 1)
            return;
        break;
    case edPositiveFloat:
        if (GetNumberKind(merged) > 1 || merged.find('-') != String::npos)
            return;
        break;
    case edMixedCase: merged = CapitalizeWords(merged); break;
    case edLowerCase: merged = LowerText(merged); break;
    case edUpperCase: merged = UpperText(merged); break;
    case edValidChars:
        for (char c : merged)
            if (grid_->ValidChars.find(c) == String::npos)
                return;
        break;
    default: break;
    }
    SetEditText(merged);
    grid_->SetCurrentCellEditText(merged);
    SetSelStart(selStart);
    SetSelLength(selLength);
    if (grid_->OnClipboardAfterPasteCell)
        grid_->OnClipboardAfterPasteCell(this, grid_->Col(), grid_->Row(), merged);
}
