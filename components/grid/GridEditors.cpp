#include "components/grid/GridEditors.h"

#include "platform/framework/Clipbrd.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/WideText.h"

#include <cctype>
#include <functional>

namespace {

String Upper(const String& s)
{
    String r = s;
    for (char& c : r)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

bool HoldsOutside(const String& text, char c, int selStart, int selLength)
{
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == c && (int(i) < selStart || int(i) >= selStart + selLength))
            return true;
    return false;
}

bool HoldsInside(const String& text, char c, int selStart, int selLength)
{
    for (int i = selStart; i < selStart + selLength && i < int(text.size()); ++i)
        if (i >= 0 && text[size_t(i)] == c)
            return true;
    return false;
}

// Whether typing at selStart would put the character in front of a sign the selection keeps.
bool InFrontOfSign(const String& text, int selStart, int selLength)
{
    return selStart == 0 && !text.empty() && text[0] == '-' && selLength == 0;
}

void GridTakesFocus(TPlusStringGrid* grid)
{
    if (grid->CanFocus())
        grid->SetFocus();
}

bool Held(int vk) { return GetKeyState(vk) < 0; }

// Ends the edit and moves to the next cell, or with Shift the previous one (Tab with goTabs).
void TabOutOfEditor(TPlusStringGrid* grid, TShiftState shift)
{
    grid->HideInplaceEditor();
    GridTakesFocus(grid);
    grid->TabToNextCell(Held(VK_SHIFT) || shift.Contains(ssShift));
}

// Ends the edit and advances to the next cell to edit (Return with AdvanceOnEnter).
void AdvanceOutOfEditor(TPlusStringGrid* grid)
{
    grid->HideInplaceEditor();
    GridTakesFocus(grid);
    grid->AdvanceToNextCell(grid->Col(), grid->Row(), true, true);
}

// An ending key whose value is in the cell: Tab (when `tabMoves` and with goTabs) moves to the
// next cell, Return with AdvanceOnEnter to the next cell to edit, any other key ends the edit
// and moves as the grid does (then true). The key is used up.
bool EndingKeyToGrid(TPlusStringGrid* grid, WORD& key, TShiftState shift, bool tabMoves)
{
    bool byGrid = false;
    if (key == VK_TAB && tabMoves && grid->Options().Contains(goTabs)) {
        TabOutOfEditor(grid, shift);
    } else if (key == VK_RETURN && grid->Navigation()->AdvanceOnEnter) {
        AdvanceOutOfEditor(grid);
    } else {
        grid->EndEditAndMove(key, shift);
        byGrid = true;
    }
    key = 0;
    return byGrid;
}

} // namespace

TPlusStringGrid* GridOfOwner(TComponent* owner)
{
    auto* grid = dynamic_cast<TPlusStringGrid*>(owner);
    if (!grid)
        throw EInvalidCast("Invalid class typecast");
    return grid;
}

bool IntegerCharAllowed(char16_t key, const String& text, int selStart, int selLength, bool allowMinus, bool& beep)
{
    beep = true;
    if (key >= '0' && key <= '9')
        return !InFrontOfSign(text, selStart, selLength);
    if (key == '-' && allowMinus)
        return selStart == 0 && !HoldsOutside(text, '-', selStart, selLength);
    return false;
}

bool FloatCharAllowed(char16_t key, const String& text, int selStart, int selLength, bool allowMinus, bool ctrl,
                      bool& beep)
{
    beep = false;
    const char sep = FormatSettings().DecimalSeparator;
    const bool candidate = (key >= '0' && key <= '9') || key == ',' || key == '.' || key == char16_t(
                               static_cast<unsigned char>(sep)) || (key == '-' && allowMinus);
    if (!candidate)
        return ctrl;
    if (key == char16_t(static_cast<unsigned char>(sep)))
        return !HoldsOutside(text, sep, selStart, selLength) && !InFrontOfSign(text, selStart, selLength);
    if (key == ',' || key == '.')
        return false; // not the decimal separator: a thousand separator or a foreign one
    if (key == '-') {
        if (selStart == 0 && !HoldsOutside(text, '-', selStart, selLength))
            return true;
        if (HoldsInside(text, '-', selStart, selLength) && selStart == 0)
            return true;
        beep = true;
        return false;
    }
    return !InFrontOfSign(text, selStart, selLength);
}

// ---------------------------------------------------------------- combo editors

namespace {

int ComboItemWidth(TPsgComboBox& combo, TCanvas* canvas, int index)
{
    return canvas->TextWidth(combo.Items()->Strings(index));
}

int ComboItemWidth(TPSGUniComboBox& combo, TCanvas* canvas, int index)
{
    SIZE size{0, 0};
    const WideString item = combo.WideItems()->Get(index);
    GetTextExtentPoint32W(canvas->Handle(), item.c_str(), int(item.size()), &size);
    return int(size.cx);
}

} // namespace

template <class Combo>
void TGridComboEditor<Combo>::AutoDropWidth()
{
    int w = this->Width();
    const int count = this->Items()->Count();
    const bool scrolls = this->DropDownCount() < count;
    TCanvas* canvas = this->Grid->Canvas();
    canvas->Font->Assign(this->Font());
    canvas->RequiredState(); // outside painting the canvas has no device to measure with before
    for (int i = 0; i < count; ++i) {
        const int tw = ComboItemWidth(static_cast<Combo&>(*this), canvas, i);
        if (scrolls) {
            if (w - 25 < tw)
                w = tw + 25;
        } else if (w - 5 < tw) {
            w = tw + 8;
        }
    }
    this->Perform(CB_SETDROPPEDWIDTH, WPARAM(w), 0);
}

template <class Combo>
void TGridComboEditor<Combo>::KeyUp(WORD& key, TShiftState shift)
{
    if (key != VK_RETURN)
        Combo::KeyUp(key, shift);
    LookupComplete();
}

template <class Combo>
int TGridComboEditor<Combo>::WheelIndex(WPARAM wheel)
{
    const int delta = int(short(HIWORD(wheel)));
    int index = this->ItemIndex();
    if (delta < 0) {
        if (index + 1 < this->Items()->Count())
            ++index;
    } else if (index > 0) {
        --index;
    }
    return index;
}

template class TGridComboEditor<TPsgComboBox>;
template class TGridComboEditor<TPSGUniComboBox>;

// ---------------------------------------------------------------- TGridCombo

void TGridCombo::FireComboChange(int index, const String& selection, TObject* sender)
{
    const int col = Grid->DisplayToRealColumn(Grid->Col()), row = Grid->Row();
    if (Grid->OnComboChange)
        Grid->OnComboChange(sender, col, row, index, selection);
    if (Grid->OnComboObjectChange)
        Grid->OnComboObjectChange(Grid, col, row, index, selection,
                                  index >= 0 && index < Items()->Count() ? Items()->Objects(index) : nullptr);
}

void TGridCombo::WndProc(TMessage& message)
{
    if (Grid && message.Msg == WM_MOUSEWHEEL) {
        const int count = Items()->Count();
        const int index = WheelIndex(message.WParam);
        if (index != ItemIndex())
            SetItemIndex(index);
        // no event names an item that does not exist
        if (index >= 0 && index < count) {
            const String item = Items()->Strings(index);
            const int col = Grid->DisplayToRealColumn(Grid->Col());
            if (Grid->OnEditChange)
                Grid->OnEditChange(Grid, col, Grid->Row(), item);
            FireComboChange(index, item, Grid);
        }
        message.Result = 0;
        return;
    }
    TPsgComboBox::WndProc(message);
}

void TGridCombo::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_SETFOCUS:
        TPsgComboBox::Dispatch(message);
        if (!Grid->Navigation()->EditSelectAll && Style() == csDropDown) {
            SetSelStart(int(Text().size()));
            SetSelLength(0);
        }
        return;
    case CM_WANTSPECIALKEY:
        TPsgComboBox::Dispatch(message);
        if (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE ||
            (message.WParam == VK_TAB && Grid->EditorWantsTab()))
            message.Result = 1;
        return;
    case CN_COMMAND: {
        const UINT code = HIWORD(message.WParam);
        TPsgComboBox::Dispatch(message);
        if (!Grid->Editing || Grid->LoadingEditorText)
            return;
        if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) {
            const int index = ItemIndex();
            FireComboChange(index, index >= 0 ? Items()->Strings(index) : Text(), Grid);
        } else if (code == CBN_CLOSEUP && Grid->MouseActions()->DirectComboClose) {
            const int index = ItemIndex();
            if (index >= 0)
                SetText(Items()->Strings(index));
            FireComboChange(index, index >= 0 ? Items()->Strings(index) : Text(), Grid);
            if (WriteAndValidate()) {
                Grid->HideInplaceEditor();
                GridTakesFocus(Grid);
            }
        }
        return;
    }
    default: TPsgComboBox::Dispatch(message); return;
    }
}

bool TGridCombo::WriteAndValidate()
{
    const String text = Text();
    Grid->SetCurrentCellText(text);
    const bool ok = Grid->ValidateCell(text);
    if (!ok) {
        SetText(Grid->ValidatedText);
        return false;
    }
    if (Style() == csDropDownList)
        SetItemIndex(Items()->IndexOf(Grid->GetCurrentCellText()));
    else
        SetText(Grid->GetCurrentCellText());
    return true;
}

void TGridCombo::KeyPress(char& key)
{
    const int index = ItemIndex();
    if (Grid->OnKeyPress)
        Grid->OnKeyPress(this, key);
    if (key == 27)
        key = 0;
    if (key == 13 && OnReturnKey)
        OnReturnKey(this);
    if (key == 13 || key == 9)
        key = 0;
    TPsgComboBox::KeyPress(key);
    if (ItemIndex() != index)
        FireComboChange(ItemIndex(), Text(), Grid);
}

void TGridCombo::LookupComplete()
{
    if (!LookupEnabled || !Grid->Lookup || Style() != csDropDown)
        return;
    const bool cs = Grid->LookupCaseSensitive;
    const String text = Text();
    const int selStart = std::min<int>(SelStart(), int(text.size()));
    String p = text.substr(0, size_t(selStart));
    if (p.empty())
        return;
    if (!cs)
        p = Upper(p);
    auto complete = [&](const String& item) {
        String completed = text.substr(0, p.size()) + item.substr(p.size());
        if (completed.size() > 255)
            completed.resize(255);
        SetText(completed);
        Perform(CB_SETEDITSEL, 0, MAKELPARAM(int(p.size()), int(completed.size())));
    };
    for (int i = 0; i < Items()->Count(); ++i) {
        const String item = Items()->Strings(i);
        const String cmp = cs ? item : Upper(item);
        if (cmp.size() >= p.size() && cmp.compare(0, p.size(), p) == 0) {
            SetItemIndex(i);
            complete(item);
            return;
        }
    }
    for (int i = 0; i < Grid->LookupItems()->Count(); ++i) {
        const String item = Grid->LookupItems()->Strings(i);
        const String cmp = cs ? item : Upper(item);
        if (cmp.size() >= p.size() && cmp.compare(0, p.size(), p) == 0) {
            complete(item);
            return;
        }
    }
}

void TGridCombo::KeyDown(WORD& key, TShiftState shift)
{
    const bool listLike = Style() == csDropDownList || DroppedDown();
    auto isEditingKey = [&](WORD k) {
        if (listLike)
            return k == VK_TAB || k == VK_RETURN || k == VK_ESCAPE || k == VK_LEFT || k == VK_RIGHT;
        return k == VK_TAB || k == VK_RETURN || k == VK_ESCAPE || k == VK_PRIOR || k == VK_NEXT || k == VK_END ||
               k == VK_UP || k == VK_DOWN;
    };
    LookupEnabled = key != VK_BACK && key != VK_DELETE;
    if ((key == VK_UP || key == VK_DOWN) && !Grid->Navigation()->ComboGetUpDown && !DroppedDown()) {
        Grid->HideInplaceEditor();
        const bool alwaysEdit = Grid->Navigation()->AlwaysEdit;
        Grid->Navigation()->AlwaysEdit = false;
        GridTakesFocus(Grid);
        Grid->Navigation()->AlwaysEdit = alwaysEdit;
        WORD k = key;
        Grid->Perform(WM_KEYDOWN, WPARAM(k), 0);
        key = 0;
        return;
    }
    const bool dropped = listLike;
    if (!isEditingKey(key) || (key == VK_DOWN && shift.Contains(ssAlt))) {
        TPsgComboBox::KeyDown(key, shift);
        return;
    }
    if (key == VK_ESCAPE) {
        const String text = Grid->GetCurrentCellText();
        SetText(text);
        const int index = Items()->IndexOf(text);
        if (index >= 0)
            SetItemIndex(index);
        Grid->ValidationPending = false;
        Grid->HideInplaceEditor();
        GridTakesFocus(Grid);
        key = 0;
        return;
    }
    if (key == VK_RETURN || key == VK_UP || key == VK_DOWN) {
        if (!WriteAndValidate()) {
            if (Style() == csDropDown)
                SelectAll();
            Invalidate();
            key = 0;
            return;
        }
    }
    if (key == VK_TAB && Grid->EditorWantsTab()) {
        if (!WriteAndValidate()) {
            SetSelStart(int(Text().size()));
            Invalidate();
            key = 0;
            return;
        }
        if (Grid->Options().Contains(goTabs)) {
            TabOutOfEditor(Grid, shift);
            key = 0;
            return;
        }
        PostMessage(Grid->Handle(), WM_KEYDOWN, VK_TAB, 0);
    }
    if (dropped) {
        const bool directClose = Grid->MouseActions()->DirectComboClose;
        Grid->MouseActions()->DirectComboClose = false;
        Grid->HideInplaceEditor();
        Grid->MouseActions()->DirectComboClose = directClose;
        if (key == VK_LEFT || key == VK_RIGHT) {
            WORD k = key;
            Grid->Perform(WM_KEYDOWN, WPARAM(k), 0);
        }
        if (key == VK_PRIOR || key == VK_NEXT || key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN)
            key = 0;
    } else if (key == VK_END) {
        TPsgComboBox::KeyDown(key, shift);
        return;
    }
    Grid->EndEditAndMove(key, shift);
    if (Grid->Navigation()->AdvanceOnEnter && Grid->Navigation()->AdvanceAutoEdit && key == VK_RETURN)
        Grid->ShowInplaceEditor();
    key = 0;
    TPsgComboBox::KeyDown(key, shift);
}

void TGridCombo::Change()
{
    TPsgComboBox::Change();
    if (Grid->OnEditChange)
        Grid->OnEditChange(Grid, Grid->Col(), Grid->Row(), Text());
}

void TGridCombo::DoExit()
{
    if (Grid->LookupHistory && !Text().empty() && Items()->IndexOf(Text()) < 0)
        Items()->Add(Text());
    Grid->HideInplaceEditor();
    TPsgComboBox::DoExit();
}

// ---------------------------------------------------------------- TGridUniCombo

void TGridUniCombo::WndProc(TMessage& message)
{
    if (Grid && message.Msg == WM_MOUSEWHEEL) {
        const int count = WideItems()->Count();
        const int index = WheelIndex(message.WParam);
        if (index != ItemIndex()) {
            SetItemIndex(index);
            if (index >= 0)
                SetWideText(WideItems()->Get(index));
        }
        if (index >= 0 && index < count) {
            const String item = WideToString(WideItems()->Get(index));
            const int col = Grid->DisplayToRealColumn(Grid->Col());
            if (Grid->OnEditChange)
                Grid->OnEditChange(Grid, col, Grid->Row(), item);
            if (Grid->OnComboChange)
                Grid->OnComboChange(Grid, col, Grid->Row(), index, item);
            if (Grid->OnComboObjectChange)
                Grid->OnComboObjectChange(Grid, col, Grid->Row(), index, item, WideItems()->GetObject(index));
        }
        message.Result = 0;
        return;
    }
    if (Grid && message.Msg == CN_COMMAND && HIWORD(message.WParam) == CBN_SELCHANGE && Grid->Editing) {
        const int index = ItemIndex();
        if (index >= 0) {
            const String item = WideToString(WideItems()->Get(index));
            const int col = Grid->DisplayToRealColumn(Grid->Col());
            if (Grid->OnComboChange)
                Grid->OnComboChange(Grid, col, Grid->Row(), index, item);
            if (Grid->OnComboObjectChange)
                Grid->OnComboObjectChange(Grid, col, Grid->Row(), index, item, WideItems()->GetObject(index));
        }
    }
    TPSGUniComboBox::WndProc(message);
}

void TGridUniCombo::Dispatch(TMessage& message)
{
    if (message.Msg == CM_WANTSPECIALKEY) {
        TPSGUniComboBox::Dispatch(message);
        if (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE ||
            (message.WParam == VK_TAB && Grid->Options().Contains(goTabs)))
            message.Result = 1;
        return;
    }
    TPSGUniComboBox::Dispatch(message);
}

void TGridUniCombo::KeyPress(char& key)
{
    const int index = ItemIndex();
    if (key == 13 && OnReturnKey)
        OnReturnKey(this);
    if (key == 13 || key == 9)
        key = 0;
    TPSGUniComboBox::KeyPress(key);
    if (ItemIndex() != index && ItemIndex() >= 0) {
        const int col = Grid->DisplayToRealColumn(Grid->Col());
        if (Grid->OnComboChange)
            Grid->OnComboChange(this, col, Grid->Row(), ItemIndex(), WideToString(WideText()));
        if (Grid->OnComboObjectChange)
            Grid->OnComboObjectChange(Grid, col, Grid->Row(), ItemIndex(),
                                      WideToString(WideItems()->Get(ItemIndex())),
                                      WideItems()->GetObject(ItemIndex()));
    }
}

void TGridUniCombo::LookupComplete()
{
    if (!LookupEnabled || !Grid->Lookup || Style() != csDropDown)
        return;
    const WideString text = WideText();
    const int selStart = std::min<int>(SelStart(), int(text.size()));
    WideString p = text.substr(0, size_t(selStart));
    if (p.empty())
        return;
    const bool cs = Grid->LookupCaseSensitive;
    for (int i = 0; i < WideItems()->Count(); ++i) {
        const WideString item = WideItems()->Get(i);
        if (item.size() < p.size())
            continue;
        const WideString head = item.substr(0, p.size());
        if (cs ? head == p : WideCompareText(head, p) == 0) {
            WideString completed = text.substr(0, p.size()) + item.substr(p.size());
            if (completed.size() > 255)
                completed.resize(255);
            SetItemIndex(i);
            SetWideText(completed);
            Perform(CB_SETEDITSEL, 0, MAKELPARAM(int(p.size()), int(completed.size())));
            return;
        }
    }
}

void TGridUniCombo::KeyDown(WORD& key, TShiftState shift)
{
    const bool listLike = Style() == csDropDownList || DroppedDown();
    bool editingKey;
    if (listLike)
        editingKey = key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_LEFT || key == VK_RIGHT;
    else
        editingKey = key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_PRIOR || key == VK_NEXT ||
                     key == VK_END || key == VK_UP || key == VK_DOWN;
    LookupEnabled = key != VK_BACK && key != VK_DELETE;
    if (!editingKey) {
        TPSGUniComboBox::KeyDown(key, shift);
        return;
    }
    if (key == VK_ESCAPE) {
        // unselecting the item empties the edit part, so the cell's text goes in after it
        SetItemIndex(-1);
        SetWideText(GetWideCellText(*Grid, Grid->DisplayToRealColumn(Grid->Col()), Grid->Row()));
    }
    if (key == VK_TAB || key == VK_RETURN || key == VK_UP || key == VK_DOWN) {
        Grid->WideEditText = WideText();
        Grid->EndEditAndMove(key, shift);
        key = 0;
        return;
    }
    Grid->WideEditText = WideText();
    Grid->EndEditAndMove(key, shift);
    key = 0;
    TPSGUniComboBox::KeyDown(key, shift);
}

void TGridUniCombo::DoExit()
{
    const WideString text = WideText();
    if (Grid->LookupHistory && !text.empty() && WideItems()->IndexOf(text) < 0)
        WideItems()->Add(text);
    Grid->WideEditText = text;
    Grid->HideInplaceEditor();
    if (Style() == csDropDown)
        SetWideText(u" ");
    TPSGUniComboBox::DoExit();
}

// ---------------------------------------------------------------- TGridEditBtn

namespace {

// The button of an edit asks the application for the text (the grid's ellipsis event).
void AskEllipsisText(TPlusStringGrid* grid, TPsgEditBtn* edit)
{
    edit->SetText(grid->DoEllipsClick(edit->Text()));
    edit->SelectAll();
    edit->Invalidate();
}

} // namespace

TGridEditBtn::TGridEditBtn(TComponent* owner) : TGridEditor(owner)
{
    OnClickBtn = [this](TObject* s) { ButtonClick(s); };
}

void TGridEditBtn::ButtonClick(TObject*)
{
    AskEllipsisText(Grid, this);
    if (StopEditAfterClick) {
        Grid->SetCurrentCellText(Text());
        Grid->HideInplaceEditor();
        GridTakesFocus(Grid);
    }
}

String TGridEditBtn::MergePasteText(const String& pasted)
{
    const String text = Text();
    const int start = std::min<int>(SelStart(), int(text.size()));
    const int length = std::min<int>(SelLength(), int(text.size()) - start);
    return text.substr(0, size_t(start)) + pasted + text.substr(size_t(start + length));
}

void TGridEditBtn::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_WANTSPECIALKEY:
        TPsgEditBtn::Dispatch(message);
        if (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE ||
            (message.WParam == VK_TAB && Grid->EditorWantsTab()))
            message.Result = 1;
        return;
    case WM_CHAR: {
        const char16_t key = char16_t(message.WParam);
        if (key == 13 || key == 9) {
            message.Result = 1;
            return;
        }
        bool pass = false, beep = false;
        switch (Grid->ActiveEditorType) {
        case edEditBtn: pass = true; break;
        case edNumericEditBtn:
            pass = key == 8 || key == 27 ||
                   IntegerCharAllowed(key, Text(), SelStart(), SelLength(), true, beep) || (key < 32 && key != 0);
            if (!pass && beep)
                MessageBeep(0);
            break;
        case edFloatEditBtn:
            pass = key == 8 || key == 27 ||
                   FloatCharAllowed(key, Text(), SelStart(), SelLength(), true, Held(VK_CONTROL) || key < 32, beep);
            if (!pass && beep)
                MessageBeep(0);
            break;
        default: pass = false; break;
        }
        if (pass)
            TPsgEditBtn::Dispatch(message);
        return;
    }
    case WM_PASTE: {
        if (!Clipboard()->HasFormat(CF_TEXT))
            return;
        String value = Clipboard()->AsText();
        bool allow = true;
        if (Grid->OnClipboardPaste)
            Grid->OnClipboardPaste(this, allow);
        if (allow && Grid->OnClipboardBeforePasteCell)
            Grid->OnClipboardBeforePasteCell(this, Grid->Col(), Grid->Row(), value, allow);
        if (!allow)
            return;
        const size_t crlf = value.find("\r\n");
        if (crlf != String::npos && crlf + 2 == value.size())
            value.erase(crlf);
        const int start = SelStart();
        const bool hadSelection = SelLength() > 0;
        const String merged = MergePasteText(value);
        SetText(merged);
        Grid->SetCurrentCellEditText(merged);
        SetSelStart(hadSelection ? start : start + int(value.size()));
        SetSelLength(hadSelection ? int(value.size()) : 0);
        return;
    }
    case WM_LBUTTONDBLCLK:
        TPsgEditBtn::Dispatch(message);
        if (Grid->OnDblClickCell)
            Grid->OnDblClickCell(Grid, Grid->Row(), Grid->Col());
        return;
    default: TPsgEditBtn::Dispatch(message); return;
    }
}

void TGridEditBtn::KeyPress(char& key)
{
    if (Grid->OnKeyPress)
        Grid->OnKeyPress(Grid, key);
    if (key != 9)
        TPsgEditBtn::KeyPress(key);
}

void TGridEditBtn::KeyDown(WORD& key, TShiftState shift)
{
    const bool editingKey = key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_PRIOR ||
                            key == VK_NEXT || key == VK_UP || key == VK_DOWN;
    if (!editingKey && Grid->OnKeyDown)
        Grid->OnKeyDown(Grid, key, shift);
    LookupEnabled = key != VK_BACK && key != VK_DELETE;
    KeyDownSelStart = SelStart();
    if (shift.Contains(ssCtrl) || !editingKey) {
        TPsgEditBtn::KeyDown(key, shift);
        return;
    }
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
    if (key == VK_TAB || key == VK_RETURN || key == VK_UP || key == VK_DOWN) {
        Grid->SetCurrentCellText(Text());
        const bool ok = Grid->ValidateCell(Text());
        SetText(Grid->ValidatedText);
        if (!ok) {
            SelectAll();
            Invalidate();
            key = 0;
            return;
        }
    }
    if (key == VK_RETURN && Grid->Navigation()->AdvanceOnEnter) {
        AdvanceOutOfEditor(Grid);
        key = 0;
        return;
    }
    if (key == VK_TAB && Grid->EditorWantsTab()) {
        if (Grid->Options().Contains(goTabs)) {
            TabOutOfEditor(Grid, shift);
            key = 0;
            return;
        }
        PostMessage(Grid->Handle(), WM_KEYDOWN, VK_TAB, 0);
    }
    if (key == VK_ESCAPE) {
        SetText(Grid->SavedCellText);
        Grid->ValidationPending = false;
    }
    Grid->EndEditAndMove(key, shift);
    key = 0;
}

void TGridEditBtn::KeyUp(WORD& key, TShiftState shift)
{
    if (Grid->OnKeyUp)
        Grid->OnKeyUp(Grid, key, shift);
    TNavigation* nav = Grid->Navigation();
    const bool noMods = !shift.Contains(ssShift) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
    const bool right = key == VK_RIGHT && SelLength() == 0 && SelStart() == GetTextLen() && noMods;
    const bool left = key == VK_LEFT && SelLength() == 0 && KeyDownSelStart == 0 && noMods;
    if ((right || left) && nav->CursorWalkEditor) {
        key = 0;
        const int span = right ? 1 + std::max(0, Grid->MergeSpanOf(Grid->DisplayToRealColumn(Grid->Col()),
                                                                     Grid->Row()).X)
                               : 1;
        const int target = right ? Grid->Col() + span : Grid->Col() - 1;
        const bool inside = right ? Grid->Col() < Grid->ColCount() - Grid->FixedRightCols() - 1
                                  : Grid->Col() > Grid->FixedCols();
        if (inside && Grid->IsClickableControlCell(Grid->DisplayToRealColumn(target), Grid->Row())) {
            Grid->SetCurrentCellText(Text());
            if (Grid->ValidateCell(Text())) {
                Grid->HideInplaceEditor();
                Grid->SetCol(target);
            }
            return;
        }
        Grid->SetCurrentCellText(Text());
        if (!Grid->ValidateCell(Text())) {
            SetText(Grid->ValidatedText);
            return;
        }
        Grid->HideInplaceEditor();
        GridTakesFocus(Grid);
        const TAdvanceDirection dir = nav->AdvanceDirection();
        nav->SetAdvanceDirection(adLeftRight);
        Grid->AdvanceToNextCell(Grid->Col(), Grid->Row(), false, right);
        nav->SetAdvanceDirection(dir);
        if (nav->CursorWalkAlwaysEdit)
            Grid->ShowInplaceEditor();
        return;
    }
    if (key != VK_RETURN)
        TPsgEditBtn::KeyUp(key, shift);
    LookupComplete();
}

void TGridEditBtn::LookupComplete()
{
    if (!LookupEnabled || SelLength() != 0 || Grid->LookupItems()->Count() == 0 || !Grid->Lookup)
        return;
    const bool cs = Grid->LookupCaseSensitive;
    const String text = Text();
    String p = text.substr(0, size_t(std::min<int>(SelStart(), int(text.size()))));
    if (p.empty())
        return;
    if (!cs)
        p = Upper(p);
    for (int i = 0; i < Grid->LookupItems()->Count(); ++i) {
        const String item = Grid->LookupItems()->Strings(i);
        const String cmp = cs ? item : Upper(item);
        if (cmp.size() >= p.size() && cmp.compare(0, p.size(), p) == 0) {
            String completed = text.substr(0, p.size()) + item.substr(p.size());
            if (completed.size() > 255)
                completed.resize(255);
            SetText(completed);
            Perform(EM_SETSEL, WPARAM(p.size()), LPARAM(completed.size()));
            return;
        }
    }
}

void TGridEditBtn::Change()
{
    TPsgEditBtn::Change();
    if (Grid->OnEditChange && !Grid->LoadingEditorText)
        Grid->OnEditChange(Grid, Grid->Col(), Grid->Row(), Text());
}

// ---------------------------------------------------------------- TGridUnitEditBtn

TGridUnitEditBtn::TGridUnitEditBtn(TComponent* owner) : TGridEditor(owner)
{
    OnClickBtn = [this](TObject* s) { ButtonClick(s); };
}

void TGridUnitEditBtn::ButtonClick(TObject*) { AskEllipsisText(Grid, this); }

void TGridUnitEditBtn::Dispatch(TMessage& message)
{
    if (message.Msg == CM_WANTSPECIALKEY) {
        TPsgUnitEditBtn::Dispatch(message);
        if (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE ||
            (message.WParam == VK_TAB && Grid->Options().Contains(goTabs)))
            message.Result = 1;
        return;
    }
    if (message.Msg == WM_CHAR && message.WParam == 13) {
        message.Result = 0;
        return;
    }
    TPsgUnitEditBtn::Dispatch(message);
}

void TGridUnitEditBtn::KeyDown(WORD& key, TShiftState shift)
{
    const bool editingKey = key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_PRIOR ||
                            key == VK_NEXT || key == VK_UP || key == VK_DOWN;
    if (!editingKey) {
        TPsgUnitEditBtn::KeyDown(key, shift);
        return;
    }
    if (key == VK_TAB || key == VK_RETURN || key == VK_UP || key == VK_DOWN) {
        const String v = GetValueWithUnit();
        Grid->SetCurrentCellText(v);
        if (!Grid->ValidateCell(v)) {
            SetValueWithUnit(Grid->GetCurrentCellText());
            return;
        }
        SetValueWithUnit(Grid->GetCurrentCellText());
    }
    if (key == VK_RETURN && Grid->Navigation()->AdvanceOnEnter) {
        AdvanceOutOfEditor(Grid);
        key = 0;
        return;
    }
    if (key == VK_TAB && Grid->Options().Contains(goTabs)) {
        TabOutOfEditor(Grid, shift);
        key = 0;
        return;
    }
    if (key == VK_ESCAPE) {
        SetUnitID(String());
        SetText(Grid->GetCurrentCellText());
        SetValueWithUnit(Grid->SavedCellText);
        Grid->ValidationPending = false;
    }
    Grid->EndEditAndMove(key, shift);
    key = 0;
}

// ---------------------------------------------------------------- TGridSpin

TGridSpin::TGridSpin(TComponent* owner) : TGridEditor(owner)
{
    MaxValue = 100;
    MinValue = 0;
    Increment = 1;
}

void TGridSpin::UpButtonClicked(TObject* sender)
{
    TPsgSpinEdit::UpButtonClicked(sender);
    DoSpinClick(true);
}

void TGridSpin::DownButtonClicked(TObject* sender)
{
    TPsgSpinEdit::DownButtonClicked(sender);
    DoSpinClick(false);
}

void TGridSpin::DoSpinClick(bool up)
{
    const int col = Grid->Col(), row = Grid->Row();
    switch (SpinType()) {
    case sptNormal:
        if (Grid->OnSpinClick)
            Grid->OnSpinClick(Grid, col, row, Value(), up);
        break;
    case sptFloat:
        if (Grid->OnFloatSpinClick)
            Grid->OnFloatSpinClick(Grid, col, row, FloatValue(), up);
        break;
    case sptDate:
        if (Grid->OnDateSpinClick)
            Grid->OnDateSpinClick(Grid, col, row, DateValue(), up);
        break;
    case sptTime:
        if (Grid->OnTimeSpinClick)
            Grid->OnTimeSpinClick(Grid, col, row, TimeValue(), up);
        break;
    }
}

void TGridSpin::Dispatch(TMessage& message)
{
    if (message.Msg == CM_WANTSPECIALKEY) {
        TPsgSpinEdit::Dispatch(message);
        if (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE ||
            (message.WParam == VK_TAB && Grid->Options().Contains(goTabs)))
            message.Result = 1;
        return;
    }
    if (message.Msg == WM_CHAR && (message.WParam == 9 || message.WParam == 13)) {
        message.Result = 0;
        return;
    }
    TPsgSpinEdit::Dispatch(message);
}

void TGridSpin::KeyPress(char& key)
{
    if (key == 27)
        key = 0;
    if (key == 13 || key == 0)
        return;
    TPsgSpinEdit::KeyPress(key);
}

void TGridSpin::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_END || key == VK_HOME) {
        const bool home = key == VK_HOME;
        if (SpinType() == sptNormal)
            SetValue(home ? MaxValue : MinValue);
        else if (SpinType() == sptFloat)
            SetFloatValue(home ? MaxFloatValue : MinFloatValue);
        if (Grid->OnSpinClick)
            Grid->OnSpinClick(Grid, Grid->Col(), Grid->Row(), Value(), home);
        TPsgSpinEdit::KeyDown(key, shift);
        return;
    }
    if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE) {
        TPsgSpinEdit::KeyDown(key, shift);
        return;
    }
    if (key == VK_ESCAPE) {
        const String saved = Grid->SavedCellText;
        SetText(saved);
        if (SpinType() == sptNormal) {
            // the value of the leading digits, 0 without any
            int v = 0;
            size_t i = 0;
            const bool negative = !saved.empty() && saved[0] == '-';
            if (negative)
                ++i;
            for (; i < saved.size() && saved[i] >= '0' && saved[i] <= '9' && v < 100000000; ++i)
                v = v * 10 + (saved[i] - '0');
            SetValue(negative ? -v : v);
        } else if (SpinType() == sptFloat) {
            double v = 0;
            if (!TryStrToFloat(saved, v))
                v = 0;
            SetFloatValue(v);
        }
        Grid->ValidationPending = false;
    } else {
        Grid->SetCurrentCellText(Text());
        if (!Grid->ValidateCell(Text())) {
            SetText(Grid->GetCurrentCellText());
            SetSelStart(GetTextLen());
            key = 0;
            Invalidate();
            return;
        }
        SetText(Grid->GetCurrentCellText());
    }
    if (EndingKeyToGrid(Grid, key, shift, true))
        TPsgSpinEdit::KeyDown(key, shift);
}

void TGridSpin::Change()
{
    TPsgSpinEdit::Change();
    if (Grid->OnEditChange && !Grid->LoadingEditorText)
        Grid->OnEditChange(Grid, Grid->Col(), Grid->Row(), Text());
}

// ---------------------------------------------------------------- Unicode edits

namespace {

WideString CurrentWideText(TPlusStringGrid* grid)
{
    return GetWideCellText(*grid, grid->DisplayToRealColumn(grid->Col()), grid->Row());
}

void CaretToEnd(TCustomEdit* edit)
{
    edit->SetSelStart(int(edit->WideText().size()));
    edit->SetSelLength(0);
}

// Tab, Enter, Up, Down and Esc of the Unicode edits; `writeFirst` puts the text into the cell
// before it is validated. False: the key stays with the edit.
bool UniEditingKey(TPlusStringGrid* grid, TCustomEdit* edit, WORD& key, TShiftState shift, bool writeFirst)
{
    if (key == VK_TAB || key == VK_RETURN || key == VK_UP || key == VK_DOWN) {
        if (writeFirst)
            SetEditedWideCellText(*grid, grid->DisplayToRealColumn(grid->Col()), grid->Row(), edit->WideText());
        const bool ok = grid->ValidateWideCell(edit->WideText());
        if (writeFirst || !ok)
            edit->SetWideText(ok ? CurrentWideText(grid) : grid->WideEditText);
        if (!ok) {
            CaretToEnd(edit);
            edit->Invalidate();
            key = 0;
            return true;
        }
        grid->WideEditText = edit->WideText();
    }
    if (key == VK_TAB && grid->Options().Contains(goTabs)) {
        TabOutOfEditor(grid, shift);
        key = 0;
        return true;
    }
    if (key == VK_ESCAPE) {
        edit->SetWideText(CurrentWideText(grid));
        grid->ValidationPending = false;
    }
    grid->EndEditAndMove(key, shift);
    key = 0;
    return true;
}

void UniExit(TPlusStringGrid* grid, TCustomEdit* edit)
{
    grid->WideEditText = edit->WideText();
    grid->HideInplaceEditor();
    edit->SetWideText(u" ");
}

void UniSetFocus(TPlusStringGrid* grid, TCustomEdit* edit)
{
    if (!grid->Navigation()->EditSelectAll)
        CaretToEnd(edit);
}

// The keys a one-line wide editor hands to the grid (UniEditingKey) instead of handling them.
bool UniIsGridKey(WORD key)
{
    return key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_UP || key == VK_DOWN;
}

// The grid's part of a wide editor's messages; base is the editor class's own handling. The
// editor wants Return, Esc and (with goTabs) Tab for itself, puts its caret at the end on focus
// unless EditSelectAll, and never types Tab, nor Return unless it keeps line breaks.
void UniDispatch(TPlusStringGrid* grid, TCustomEdit* edit, TMessage& message, bool keepsLineBreaks,
                 const std::function<void(TMessage&)>& base)
{
    switch (message.Msg) {
    case CM_WANTSPECIALKEY:
        base(message);
        if (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE ||
            (message.WParam == VK_TAB && grid->Options().Contains(goTabs)))
            message.Result = 1;
        return;
    case WM_SETFOCUS:
        base(message);
        UniSetFocus(grid, edit);
        return;
    case WM_CHAR:
        if (message.WParam == 9 || (message.WParam == 13 && !keepsLineBreaks)) {
            message.Result = 0;
            return;
        }
        break;
    default: break;
    }
    base(message);
}

} // namespace

template <class Control, bool KeepsLineBreaks>
void TGridWideEditor<Control, KeepsLineBreaks>::DoExit()
{
    UniExit(this->Grid, this);
    Control::DoExit();
}

template <class Control, bool KeepsLineBreaks>
void TGridWideEditor<Control, KeepsLineBreaks>::Dispatch(TMessage& message)
{
    UniDispatch(this->Grid, this, message, KeepsLineBreaks, [this](TMessage& m) { Control::Dispatch(m); });
}

template <class Control, bool WritesFirst>
void TGridWideLineEditor<Control, WritesFirst>::KeyDown(WORD& key, TShiftState shift)
{
    if (UniIsGridKey(key))
        UniEditingKey(this->Grid, this, key, shift, WritesFirst);
    else
        Control::KeyDown(key, shift);
}

template <class Control, bool WritesFirst>
void TGridWideLineEditor<Control, WritesFirst>::KeyPress(char& key)
{
    if (key != 13)
        Control::KeyPress(key);
}

template class TGridWideEditor<TPsgUniEdit, false>;
template class TGridWideEditor<TPsgUniEditBtn, false>;
template class TGridWideEditor<TPsgUniMemo, true>;
template class TGridWideLineEditor<TPsgUniEdit, false>;
template class TGridWideLineEditor<TPsgUniEditBtn, true>;

void TGridUniMemo::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_TAB) {
        SetEditedWideCellText(*Grid, Grid->DisplayToRealColumn(Grid->Col()), Grid->Row(), WideText());
        if (!Grid->ValidateWideCell(WideText())) {
            SetWideText(Grid->WideEditText);
            CaretToEnd(this);
            Invalidate();
            key = 0;
            return;
        }
        Grid->WideEditText = WideText();
        if (Grid->Options().Contains(goTabs)) {
            Grid->Editing = true;
            TabOutOfEditor(Grid, shift);
            key = 0;
            return;
        }
        Grid->EndEditAndMove(key, shift);
        key = 0;
        return;
    }
    if (key == VK_ESCAPE) {
        SetWideText(CurrentWideText(Grid));
        Grid->ValidationPending = false;
        Grid->EndEditAndMove(key, shift);
        key = 0;
        return;
    }
    TPsgUniMemo::KeyDown(key, shift);
}

// ---------------------------------------------------------------- TGridCheckBox

void TGridCheckBox::Dispatch(TMessage& message)
{
    if (message.Msg == WM_LBUTTONDOWN)
        SetChecked(!Checked());
    TCheckBox::Dispatch(message);
}

void TGridCheckBox::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_SPACE) {
        SetChecked(!Checked());
        TCheckBox::KeyDown(key, shift);
        key = 0;
        return;
    }
    if (key == VK_RETURN || key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_LEFT || key == VK_UP ||
        key == VK_RIGHT || key == VK_DOWN) {
        Grid->HideInplaceEditor();
        GridTakesFocus(Grid);
        if (key == VK_RETURN)
            Grid->AdvanceToNextCell(Grid->Col(), Grid->Row(), true, true);
        else if (key == VK_UP || key == VK_DOWN)
            Grid->Perform(WM_KEYDOWN, WPARAM(key), 0);
        key = 0;
        return;
    }
    TCheckBox::KeyDown(key, shift);
}

// ---------------------------------------------------------------- TGridButton

void TGridButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_WANTSPECIALKEY:
        if (message.WParam == VK_ESCAPE || (message.WParam >= VK_LEFT && message.WParam <= VK_DOWN)) {
            message.Result = 1;
            return;
        }
        break;
    case WM_LBUTTONUP: {
        auto* grid = dynamic_cast<TPlusStringGrid*>(Parent());
        if (!grid)
            throw EInvalidCast("Invalid class typecast");
        SetCaption(grid->DoEllipsClick(Caption()));
        grid->SetCurrentCellText(Caption());
        break;
    }
    default: break;
    }
    TButton::Dispatch(message);
}

void TGridButton::KeyUp(WORD& key, TShiftState)
{
    if (key == VK_SPACE) {
        SetCaption(Grid->DoEllipsClick(Caption()));
        Grid->SetCurrentCellText(Caption());
        if (CanFocus())
            SetFocus();
        Invalidate();
    }
}

void TGridButton::KeyDown(WORD& key, TShiftState shift)
{
    if (key >= VK_LEFT && key <= VK_DOWN) {
        const WORD k = key;
        SendMessage(Grid->Handle(), WM_KEYDOWN, WPARAM(k), 0);
        SetVisible(false);
        SetEnabled(false);
        Grid->Editing = false;
        GridTakesFocus(Grid);
        SendMessage(Grid->Handle(), WM_KEYUP, WPARAM(k), 0);
        key = 0;
        return;
    }
    if (key == VK_ESCAPE) {
        SetVisible(false);
        SetEnabled(false);
        Grid->RestoreSavedCellText();
        Grid->Editing = false;
        GridTakesFocus(Grid);
        SendMessage(Grid->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
        key = 0;
        return;
    }
    TButton::KeyDown(key, shift);
}

// ---------------------------------------------------------------- TGridDatePicker

void TGridDatePicker::KeyDown(WORD& key, TShiftState shift)
{
    if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE && key != VK_PRIOR && key != VK_NEXT &&
        key != VK_END) {
        TDateTimePicker::KeyDown(key, shift);
        return;
    }
    if (key == VK_ESCAPE) {
        const String text = Grid->GetCurrentCellText();
        TDateTime d = 0;
        if (Kind() == dtkTime && TryStrToTime(text, d))
            SetTime(d);
        else if (Kind() != dtkTime && TryStrToDate(text, d))
            SetDate(d);
        else
            SetDateTime(Now());
        Grid->ValidationPending = false;
    }
    if (key == VK_RETURN || (key == VK_TAB && Grid->EditorWantsTab())) {
        Grid->SetCurrentCellText(Text());
        if (!Grid->ValidateCell(Text())) {
            TDateTime d = 0;
            if (Kind() == dtkTime ? TryStrToTime(Grid->ValidatedText, d) : TryStrToDate(Grid->ValidatedText, d))
                SetDateTime(d);
            Invalidate();
            key = 0;
            return;
        }
    }
    EndingKeyToGrid(Grid, key, shift, Grid->EditorWantsTab());
}

void TGridDatePicker::KeyPress(char& key)
{
    if (key >= '0' && key <= '9') {
        int y, mo, d, h, mi, s, ms;
        DecodeDate(DateTime(), y, mo, d);
        DecodeTime(DateTime(), h, mi, s, ms);
        year_ = uint16_t(y), month_ = uint16_t(mo), day_ = uint16_t(d);
        hour_ = uint16_t(h), minute_ = uint16_t(mi), second_ = uint16_t(s), msec_ = uint16_t(ms);
        TDateTimePicker::KeyPress(key);
        PostMessage(Handle(), RegisterWindowMessage("DTPShiftFocus"), 0, 0);
    } else {
        TDateTimePicker::KeyPress(key);
    }
    if (Grid->OnKeyPress)
        Grid->OnKeyPress(Grid, key);
}

void TGridDatePicker::ShiftFocus()
{
    int y, mo, d, h, mi, s, ms;
    DecodeDate(DateTime(), y, mo, d);
    DecodeTime(DateTime(), h, mi, s, ms);
    bool next = false;
    if (Kind() == dtkTime) {
        next = h != hour_ || mi != minute_ || s != second_;
    } else if (!Format().empty()) {
        const char c = Format().back();
        const bool dayChanged = d != day_, monthChanged = mo != month_, yearChanged = y != year_;
        if ((dayChanged && (c == 'D' || c == 'd')) || (monthChanged && (c == 'M' || c == 'm')) ||
            (yearChanged && (c == 'Y' || c == 'y')))
            next = false;
        else
            next = dayChanged || monthChanged || yearChanged;
    } else {
        next = d != day_ || mo != month_;
    }
    if (next)
        PostMessage(Handle(), WM_KEYDOWN, VK_RIGHT, 0);
}

void TGridDatePicker::Dispatch(TMessage& message)
{
    if (message.Msg == RegisterWindowMessage("DTPShiftFocus")) {
        ShiftFocus();
        return;
    }
    if (message.Msg == CM_WANTSPECIALKEY) {
        TDateTimePicker::Dispatch(message);
        if (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE ||
            (message.WParam == VK_TAB && Grid->EditorWantsTab()))
            message.Result = 1;
        return;
    }
    TDateTimePicker::Dispatch(message);
}

