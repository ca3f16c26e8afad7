#include "components/grid/PsgUni.h"

#include "components/grid/CellText.h"
#include "components/grid/asgspin.h"
#include "platform/rtl/WideText.h"

#include <cstring>

// ---------------------------------------------------------------- single-byte view

int TAnsiStringsForWideStrings::Count() const { return owner_->GetCount(); }
String TAnsiStringsForWideStrings::Get(int index) const { return WideToString(owner_->Get(index)); }
void TAnsiStringsForWideStrings::Put(int index, const String& s) { owner_->Put(index, StringToWide(s)); }
TObject* TAnsiStringsForWideStrings::GetObject(int index) const { return owner_->GetObject(index); }
void TAnsiStringsForWideStrings::PutObject(int index, TObject* object) { owner_->PutObject(index, object); }
void TAnsiStringsForWideStrings::Insert(int index, const String& s) { owner_->Insert(index, StringToWide(s)); }
void TAnsiStringsForWideStrings::Delete(int index) { owner_->Delete(index); }
void TAnsiStringsForWideStrings::Clear() { owner_->Clear(); }

// ---------------------------------------------------------------- TWideStrings

int (*WideCompareTextFunc)(const WideString&, const WideString&, LCID) = WideCompareTextNative;

TWideStrings::TWideStrings() : ansi_(std::make_unique<TAnsiStringsForWideStrings>(this)) {}

TWideStrings::~TWideStrings() = default;

void TWideStrings::BeginUpdate()
{
    if (updateCount_++ == 0)
        SetUpdateState(true);
}

void TWideStrings::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        SetUpdateState(false);
}

void TWideStrings::AssignTo(TStrings& dest) const
{
    dest.BeginUpdate();
    dest.Clear();
    for (int i = 0; i < GetCount(); ++i)
        dest.AddObject(WideToString(Get(i)), GetObject(i));
    dest.EndUpdate();
}

void TWideStrings::AssignTo(TPersistent* dest) const
{
    auto* wide = dynamic_cast<TWideStrings*>(dest);
    if (!wide)
        throw EConvertError("Cannot assign a " + ClassName() + " to a " + (dest ? dest->ClassName() : String("nil")));
    wide->BeginUpdate();
    wide->Clear();
    wide->AddWideStrings(*this);
    wide->EndUpdate();
}

void TWideStrings::Assign(TPersistent* source)
{
    if (auto* wide = dynamic_cast<TWideStrings*>(source)) {
        if (wide == this)
            return;
        BeginUpdate();
        Clear();
        AddWideStrings(*wide);
        EndUpdate();
        return;
    }
    TPersistent::Assign(source);
}

void TWideStrings::Assign(const TStrings& source)
{
    BeginUpdate();
    Clear();
    AddStrings(source);
    EndUpdate();
}

WideString TWideStrings::GetTextStr() const
{
    WideString text;
    for (int i = 0; i < GetCount(); ++i)
        text += Get(i) + u"\r\n";
    return text;
}

void TWideStrings::Put(int index, const WideString& s)
{
    TObject* object = GetObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

void TWideStrings::SetTextStr(const WideString& text)
{
    BeginUpdate();
    Clear();
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] != 0) {
        size_t start = i;
        while (i < n) {
            const char16_t c = text[i];
            if (c == 0 || c == 10 || c == 11 || c == 12 || c == 13 || c == 0x2028 || c == 0x2029)
                break;
            ++i;
        }
        Add(text.substr(start, i - start));
        if (i >= n || text[i] == 0)
            break;
        const char16_t brk = text[i++];
        if (brk == 13 && i < n && text[i] == 10)
            ++i;
    }
    EndUpdate();
}

int TWideStrings::Add(const WideString& s)
{
    const int index = GetCount();
    Insert(index, s);
    return index;
}

int TWideStrings::AddObject(const WideString& s, TObject* object)
{
    const int index = Add(s);
    PutObject(index, object);
    return index;
}

void TWideStrings::AddStrings(const TStrings& strings)
{
    BeginUpdate();
    for (int i = 0; i < strings.Count(); ++i)
        AddObject(StringToWide(strings.Get(i)), strings.GetObject(i));
    EndUpdate();
}

void TWideStrings::AddWideStrings(const TWideStrings& strings)
{
    BeginUpdate();
    const int count = strings.GetCount(); // the same list may be added to itself
    for (int i = 0; i < count; ++i)
        AddObject(strings.Get(i), strings.GetObject(i));
    EndUpdate();
}

void TWideStrings::Exchange(int i, int j)
{
    BeginUpdate();
    const WideString si = Get(i), sj = Get(j);
    TObject* oi = GetObject(i);
    TObject* oj = GetObject(j);
    Put(i, sj);
    PutObject(i, oj);
    Put(j, si);
    PutObject(j, oi);
    EndUpdate();
}

char16_t* TWideStrings::GetText() const
{
    const WideString text = GetTextStr();
    return WideStrNew(text.c_str());
}

int TWideStrings::IndexOf(const WideString& s) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (WideCompareTextFunc(Get(i), s, language_) == 0)
            return i;
    return -1;
}

void TWideStrings::Move(int from, int to)
{
    if (from == to)
        return;
    BeginUpdate();
    const WideString s = Get(from);
    TObject* object = GetObject(from);
    Delete(from);
    InsertObject(to, s, object);
    EndUpdate();
}

void TWideStrings::SetText(const char16_t* text)
{
    SetTextStr(text ? WideString(text, size_t(WideStrLength(text))) : WideString());
}

void TWideStrings::InsertObject(int index, const WideString& s, TObject* object)
{
    Insert(index, s);
    PutObject(index, object);
}

bool TWideStrings::Equals(const TWideStrings& other) const
{
    if (GetCount() != other.GetCount())
        return false;
    for (int i = 0; i < GetCount(); ++i)
        if (Get(i) != other.Get(i))
            return false;
    return true;
}

// ---------------------------------------------------------------- routines

bool IsResourceOrdinal(const void* p) { return (reinterpret_cast<uintptr_t>(p) >> 16) == 0; }

bool IsWindowTextMessage(UINT message)
{
    return message == WM_SETTEXT || message == WM_GETTEXT || message == WM_GETTEXTLENGTH;
}

int WideStrLength(const char16_t* p)
{
    int n = 0;
    if (p)
        while (p[n])
            ++n;
    return n;
}

char16_t* WideStrMove(char16_t* dest, const char16_t* source, int count)
{
    if (count > 0)
        std::memmove(dest, source, size_t(count) * sizeof(char16_t));
    return dest;
}

char16_t* WideStrAlloc(int n)
{
    if (n < 0)
        n = 0;
    const uint32_t bytes = uint32_t(4 + 2 * size_t(n));
    auto* block = static_cast<unsigned char*>(::operator new(bytes));
    std::memset(block, 0, bytes);
    std::memcpy(block, &bytes, 4);
    return reinterpret_cast<char16_t*>(block + 4);
}

char16_t* WideStrNew(const char16_t* p)
{
    if (!p)
        return nullptr;
    const int n = WideStrLength(p);
    char16_t* copy = WideStrAlloc(n + 1);
    WideStrMove(copy, p, n + 1);
    return copy;
}

void WideStrDispose(char16_t* p)
{
    if (p)
        ::operator delete(reinterpret_cast<unsigned char*>(p) - 4);
}

int LocaleAnsiCodePage(LCID) { return 1252; }

int WideCompareTextNative(const WideString& a, const WideString& b, LCID)
{
    const int r = WideCompareText(a, b);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int WideCompareTextViaAnsi(const WideString& a, const WideString& b, LCID)
{
    const int r = CompareText(WideToString(a), WideToString(b));
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

void FoldWideCharForAnsi(TMessage& message)
{
    if (message.Msg != WM_CHAR || HIWORD(message.WParam) != 0)
        Assert(false, "Assertion failure", "PsgUni", __LINE__);
    const WORD c = LOWORD(message.WParam);
    if (c >= 256)
        message.WParam = MAKEWPARAM(255, c);
}

void UnfoldWideChar(TMessage& message)
{
    if (message.Msg != WM_CHAR)
        Assert(false, "Assertion failure", "PsgUni", __LINE__);
    const WORD high = HIWORD(message.WParam);
    if (high != 0 && LOWORD(message.WParam) == 255)
        message.WParam = WPARAM(high);
    else
        message.WParam = WPARAM(LOWORD(message.WParam));
}

// ---------------------------------------------------------------- wide cells

bool CellHoldsWideText(TBaseGrid& grid, int col, int row)
{
    return grid.GetCellText(col, row).rfind(kWideCellMarker, 0) == 0;
}

WideString GetWideCellText(TBaseGrid& grid, int col, int row) { return DecodeWideCellText(grid.GetCellText(col, row)); }

void SetWideCellText(TBaseGrid& grid, int col, int row, const WideString& text)
{
    grid.SetRawCell(col, row, EncodeWideCellText(text));
}

void SetEditedWideCellText(TBaseGrid& grid, int col, int row, const WideString& text)
{
    const String raw = grid.GetRawCell(col, row);
    if (DecodeWideCellText(raw) == text)
        return;
    if (raw.rfind(kWideCellMarker, 0) != 0) {
        const uint8_t rawKind = GetCellTextKind(raw, true);
        const String plain = WideToString(text);
        const uint8_t plainKind = GetCellTextKind(plain, true);
        if (StringToWide(plain) == text && (plainKind == ctkPlain || plainKind == rawKind)) {
            grid.SetRawCell(col, row, plain);
            return;
        }
    }
    SetWideCellText(grid, col, row, text);
}

// ---------------------------------------------------------------- Unicode controls

WideString GetControlWideText(TControl* control)
{
    if (auto* edit = dynamic_cast<TCustomEdit*>(control))
        return edit->WideText();
    if (auto* combo = dynamic_cast<TCustomComboBox*>(control))
        return combo->WideText();
    return control ? StringToWide(control->Text()) : WideString();
}

void SetControlWideText(TControl* control, const WideString& text)
{
    if (auto* edit = dynamic_cast<TCustomEdit*>(control))
        edit->SetWideText(text);
    else if (auto* combo = dynamic_cast<TCustomComboBox*>(control))
        combo->SetWideText(text);
    else if (control)
        control->SetText(WideToString(text));
}

void TPsgUniCustomMemo::SetScrollBars(TScrollStyle bars)
{
    if (bars == scrollBars_)
        return;
    scrollBars_ = bars;
    if (HandleAllocated())
        RecreateWnd();
}

void TPsgUniCustomMemo::SetWordWrap(bool on)
{
    if (on == wordWrap_)
        return;
    wordWrap_ = on;
    if (HandleAllocated())
        RecreateWnd();
    else {
        TCreateParams params;
        CreateParams(params);
        ApplyStyle(params.Style);
    }
}

void TPsgUniCustomMemo::CreateParams(TCreateParams& params)
{
    TCustomUNIEdit::CreateParams(params);
    if (wordWrap_)
        params.Style &= ~DWORD(ES_AUTOHSCROLL);
    params.Style |= DWORD(ES_MULTILINE);
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth)
        params.Style |= DWORD(WS_HSCROLL);
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth)
        params.Style |= DWORD(WS_VSCROLL);
}

void TPsgUniCustomMemo::Dispatch(TMessage& message)
{
    TCustomUNIEdit::Dispatch(message);
    if (message.Msg == WM_GETDLGCODE) {
        if (WantTabs)
            message.Result |= DLGC_WANTTAB;
        else
            message.Result &= ~LRESULT(DLGC_WANTTAB);
        if (!WantReturns)
            message.Result &= ~LRESULT(DLGC_WANTALLKEYS);
    }
}

TPsgUniMemo::TPsgUniMemo(TComponent* owner) : TPsgUniCustomMemo(owner)
{
    SetBounds(Left(), Top(), 200, 100);
    TCreateParams params;
    CreateParams(params);
    ApplyStyle(params.Style);
}

TPsgUniEditBtn::TPsgUniEditBtn(TComponent* owner) : TEditWithButton(owner, 2, 3)
{
    TCreateParams params;
    CreateParams(params);
    ApplyStyle(params.Style);
}

void TPsgUniEditBtn::KeyDown(WORD& key, TShiftState shift)
{
    TCustomUNIEdit::KeyDown(key, shift);
    if (key == VK_F4)
        ClickButton(this);
}

int TComboBoxStrings::IndexOf(const WideString& s) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (Get(i) == s)
            return i;
    return -1;
}

TCustomUNIComboBox::TCustomUNIComboBox(TComponent* owner)
    : TCustomComboBox(owner), items_(std::make_unique<TComboBoxStrings>(this))
{
}

TCustomUNIComboBox::~TCustomUNIComboBox() = default;

void TCustomUNIComboBox::SetWideItems(TWideStrings* items)
{
    if (items)
        items_->Assign(items);
}

void TCustomUNIComboBox::KeyPress(char& key)
{
    // Backspace only reaches OnKeyPress: no completion of the typed text
    if (key == 8) {
        if (OnKeyPress)
            OnKeyPress(this, key);
        return;
    }
    TCustomComboBox::KeyPress(key);
}

void TCustomUNIComboBox::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_CHAR:
        BeforeEditChar(message);
        if ((message.WParam == 13 || message.WParam == 27) && DroppedDown()) {
            SetDroppedDown(false);
            return;
        }
        break;
    case CN_COMMAND:
        if (HIWORD(message.WParam) == CBN_SELCHANGE) {
            const int index = ItemIndex();
            if (index >= 0)
                SetWideText(items_->Get(index));
            Click();
            Change();
            return;
        }
        break;
    default: break;
    }
    TCustomComboBox::Dispatch(message);
}

TPSGUniCustomCombo::TPSGUniCustomCombo(TComponent* owner) : TCustomUNIComboBox(owner)
{
    keptColor_ = Color();
    keptParentColor_ = ParentColor;
}

void TPSGUniCustomCombo::SetButtonWidth(int width)
{
    if (width < 14 || width > 32)
        return;
    buttonWidth_ = width;
    Invalidate();
}

void TPSGUniCustomCombo::SetFlat(bool on)
{
    if (on == flat_)
        return;
    flat_ = on;
    Invalidate();
}

void TPSGUniCustomCombo::SetEtched(bool on)
{
    if (on == etched_)
        return;
    etched_ = on;
    Invalidate();
}

void TPSGUniCustomCombo::SetDropWidth(int width)
{
    dropWidth_ = width;
    if (width > 0)
        Perform(CB_SETDROPPEDWIDTH, WPARAM(width), 0);
}

bool TPSGUniCustomCombo::IsHot() const
{
    if (HasState(csDesigning))
        return Enabled();
    return mouseIn_ || Focused();
}

bool TPSGUniCustomCombo::FocusBorderActive() const
{
    return !HasState(csDesigning) && (mouseIn_ || Focused()) && FocusBorder;
}

void TPSGUniCustomCombo::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_MOUSEENTER:
        TCustomUNIComboBox::Dispatch(message);
        if (!mouseIn_ && Enabled()) {
            mouseIn_ = true;
            Invalidate();
        }
        if (AutoFocus && CanFocus())
            SetFocus();
        return;
    case CM_MOUSELEAVE:
        TCustomUNIComboBox::Dispatch(message);
        if (mouseIn_ && Enabled()) {
            mouseIn_ = false;
            Invalidate();
        }
        return;
    case CM_ENABLEDCHANGED:
        if (flat_) {
            if (Enabled()) {
                ParentColor = keptParentColor_;
                SetColor(keptColor_);
            } else {
                keptParentColor_ = ParentColor;
                keptColor_ = Color();
                ParentColor = true;
                if (Parent())
                    SetColor(Parent()->Color());
            }
        }
        break;
    default: break;
    }
    TCustomUNIComboBox::Dispatch(message);
}
