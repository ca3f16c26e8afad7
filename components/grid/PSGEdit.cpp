#include "components/grid/PSGEdit.h"

#include "components/grid/PsgUni.h"
#include "components/grid/asgspin.h"

#include "platform/framework/Forms.h"

// ---------------------------------------------------------------- TPlusSpeedButton

TPlusSpeedButton::TPlusSpeedButton(TComponent* owner) : TFaceButton(owner) { SetBounds(0, 0, 18, 18); }

void TPlusSpeedButton::SetGlyph(TBitmap* glyph)
{
    if (!glyph) {
        glyph_.reset();
    } else {
        if (!glyph_)
            glyph_ = std::make_unique<TBitmap>();
        glyph_->Assign(glyph);
    }
    Invalidate();
}

void TPlusSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && Enabled()) {
        down_ = true;
        SetMouseCapture(true);
        Invalidate();
    }
}

void TPlusSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    const bool wasDown = down_;
    if (button == mbLeft) {
        down_ = false;
        SetMouseCapture(false);
        Invalidate();
    }
    TCustomControl::MouseUp(button, shift, x, y);
    if (wasDown && OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TPlusSpeedButton::Paint()
{
    TCanvas* c = Canvas();
    TRect r(0, 0, Width(), Height());
    auto* holder = dynamic_cast<TPsgEditButton*>(Owner());
    if (holder && holder->ButtonColor != clNone) {
        Flat = true;
        TColor fill = down_ ? holder->ButtonColorDown : mouseIn_ ? holder->ButtonColorHot : holder->ButtonColor;
        if (fill == clNone)
            fill = holder->ButtonColor;
        c->Brush->Color = fill;
        c->FillRect(r);
    } else {
        c->Brush->Color = clBtnFace;
        c->FillRect(r);
        // raised edge, sunken while pressed; a flat button shows one line of each
        const TColor light = down_ ? clBtnShadow : clBtnHighlight;
        const TColor dark = down_ ? clBtnHighlight : (Flat ? clBtnShadow : cl3DDkShadow);
        c->Pen->Color = light;
        c->MoveTo(r.Left, r.Bottom - 1);
        c->LineTo(r.Left, r.Top);
        c->LineTo(r.Right - 1, r.Top);
        c->Pen->Color = dark;
        c->LineTo(r.Right - 1, r.Bottom - 1);
        c->LineTo(r.Left - 1, r.Bottom - 1);
        if (!Flat && !down_) {
            c->Pen->Color = clBtnShadow;
            c->MoveTo(r.Right - 2, r.Top + 1);
            c->LineTo(r.Right - 2, r.Bottom - 2);
            c->LineTo(r.Left, r.Bottom - 2);
        }
        r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    }
    const int shift = down_ ? 1 : 0;
    if (glyph_ && !glyph_->Empty()) {
        const int gx = glyph_->Width() < Width() ? (Width() - glyph_->Width()) / 2 : 0;
        const int gy = glyph_->Height() < Height() ? (Height() - glyph_->Height()) / 2 : 0;
        glyph_->Transparent = true;
        c->Draw(gx + shift, gy + shift, glyph_.get());
    }
    const String caption = Caption();
    if (!caption.empty()) {
        c->Brush->Style = bsClear;
        c->Font->Assign(Font());
        c->Font->Color = clBlack;
        const TSize ext = c->TextExtent(caption);
        c->TextOut((Width() - ext.cx) / 2 + shift, (Height() - ext.cy) / 2 + shift, caption);
        c->Brush->Style = bsSolid;
    }
}

// ---------------------------------------------------------------- TPsgEditButton

TPsgEditButton::TPsgEditButton(TComponent* owner) : TCustomControl(owner)
{
    button_ = new TPlusSpeedButton(this);
    button_->SetParent(this);
    button_->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { ButtonMouseUp(s, b, sh, x, y); };
    SetBounds(0, 0, 20, 25);
}

void TPsgEditButton::SetFlat(bool on)
{
    button_->Flat = on;
    button_->Invalidate();
}

void TPsgEditButton::SetButtonCaption(const String& caption)
{
    button_->SetCaption(caption);
    button_->Invalidate();
}

void TPsgEditButton::SetBounds(int left, int top, int width, int height)
{
    TCustomControl::SetBounds(left, top, width, height);
    if (button_ && !(ComponentState() & csLoading))
        button_->SetBounds(0, 0, Width(), Height());
}

void TPsgEditButton::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation == opRemove && component == FocusControl)
        FocusControl = nullptr;
}

void TPsgEditButton::Dispatch(TMessage& message)
{
    if (message.Msg == WM_SIZE && button_ && !(ComponentState() & csLoading))
        button_->SetBounds(0, 0, Width(), Height());
    TCustomControl::Dispatch(message);
}

void TPsgEditButton::ButtonMouseUp(TObject*, TMouseButton button, TShiftState, int, int)
{
    if (button != mbLeft)
        return;
    // the release counts wherever the mouse is
    if (OnClick)
        OnClick(this);
    if (FocusControl && FocusControl->TabStop && FocusControl->CanFocus() && !FocusControl->Focused())
        FocusControl->SetFocus();
    else if (TabStop && CanFocus() && !Focused())
        SetFocus();
}

// ---------------------------------------------------------------- edits with a button

template <class Edit>
TEditWithButton<Edit>::TEditWithButton(TComponent* owner, int borderlessMargin, int buttonGap)
    : Edit(owner), borderlessMargin_(borderlessMargin), buttonGap_(buttonGap)
{
    holder_ = new TPsgEditButton(this);
    holder_->SetBounds(0, 0, 18, 18);
    holder_->SetParent(this);
    holder_->FocusControl = this;
    holder_->OnClick = [this](TObject* s) { ClickButton(s); };
}

template <class Edit>
void TEditWithButton<Edit>::ClickButton(TObject* sender)
{
    if (OnClickBtn)
        OnClickBtn(sender);
}

template <class Edit>
void TEditWithButton<Edit>::SetButtonWidth(int width)
{
    buttonWidth_ = width;
    holder_->SetBounds(holder_->Left(), holder_->Top(), width, holder_->Height());
}

template <class Edit>
void TEditWithButton<Edit>::SetRightAlign(bool on)
{
    if (on == rightAlign_)
        return;
    rightAlign_ = on;
    if (this->HandleAllocated())
        this->RecreateWnd();
}

template <class Edit>
void TEditWithButton<Edit>::CreateParams(TCreateParams& params)
{
    Edit::CreateParams(params);
    params.Style |= DWORD(ES_MULTILINE) | DWORD(WS_CLIPCHILDREN);
    if (rightAlign_)
        params.Style |= DWORD(ES_RIGHT);
}

template <class Edit>
void TEditWithButton<Edit>::CreateWnd()
{
    Edit::CreateWnd();
    LayoutEditRect();
}

template <class Edit>
int TEditWithButton<Edit>::MinimumHeight()
{
    int f = 0, sys = 0;
    FontHeights(this->Font(), f, sys);
    return f + std::min(sys, f) / 4;
}

template <class Edit>
void TEditWithButton<Edit>::LayoutEditRect()
{
    if (!this->HandleAllocated() || !holder_)
        return;
    const int m = this->BorderStyle() == bsNone ? borderlessMargin_ : 1;
    int right = this->ClientWidth() - holder_->Width() - buttonGap_ - unitSpace_;
    if (unitSpace_ > 0)
        right -= 3;
    RECT r{m, m, right, this->ClientHeight() + 1};
    this->Perform(EM_SETRECTNP, 0, LPARAM(&r));
}

template <class Edit>
void TEditWithButton<Edit>::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_CHAR:
        if (!EditorEnabled)
            return;
        break;
    case WM_PASTE:
    case WM_CUT:
        if (!EditorEnabled || this->ReadOnly())
            return;
        break;
    case CM_ENTER:
        if (this->AutoSelect && !(GetKeyState(VK_LBUTTON) < 0))
            this->SelectAll();
        break;
    case WM_SIZE:
        Edit::Dispatch(message);
        if (PlaceRightEdgeControl(this, holder_, MinimumHeight()))
            LayoutEditRect();
        return;
    default: break;
    }
    Edit::Dispatch(message);
}

template class TEditWithButton<TCustomEdit>;
template class TEditWithButton<TCustomUNIEdit>;

TPsgEditBtn::TPsgEditBtn(TComponent* owner) : TEditWithButton(owner, 3, 5) { SetText("0"); }

void TPsgEditBtn::KeyDown(WORD& key, TShiftState shift)
{
    TCustomEdit::KeyDown(key, shift);
    if (key == VK_F4 && !shift.Contains(ssCtrl) && GetKeyState(VK_LMENU) >= 0 && GetKeyState(VK_RMENU) >= 0
        && !shift.Contains(ssAlt))
        ClickButton(this);
}

void TPsgEditBtn::PaintWindow(HDC dc) { TCustomEdit::PaintWindow(dc); }

// ---------------------------------------------------------------- TPsgUnitEditBtn

TPsgUnitEditBtn::TPsgUnitEditBtn(TComponent* owner) : TPsgEditBtn(owner), units_(std::make_unique<TStringList>())
{
    unitSpace_ = 20;
    SetRightAlign(true);
}

TPsgUnitEditBtn::~TPsgUnitEditBtn() = default;

void TPsgUnitEditBtn::SetUnits(TStrings* units)
{
    if (units)
        units_->Assign(*units);
}

void TPsgUnitEditBtn::SetUnitID(const String& id)
{
    unitId_ = id;
    Invalidate();
}

void TPsgUnitEditBtn::SetUnitSpace(int space)
{
    unitSpace_ = space;
    LayoutEditRect();
    Invalidate();
}

void TPsgUnitEditBtn::ClickButton(TObject*)
{
    if (OnClickBtn)
        OnClickBtn(this);
    auto menu = std::make_unique<TPopupMenu>(this);
    for (int i = 0; i < units_->Count(); ++i) {
        auto* item = new TMenuItem(menu.get());
        item->SetCaption(units_->Strings(i));
        const int id = i + 1;
        item->OnClick = [this, id](TObject*) { Perform(WM_COMMAND, WPARAM(id), 0); };
        menu->Items()->Add(item);
    }
    const TPoint at = ClientToScreen(TPoint(ClientWidth() - 15, ClientHeight()));
    menu_ = menu.get();
    menu->Popup(at.X, at.Y);
    menu_ = nullptr;
}

void TPsgUnitEditBtn::Dispatch(TMessage& message)
{
    if (message.Msg == WM_COMMAND) {
        const int code = HIWORD(message.WParam);
        const int id = LOWORD(message.WParam);
        if (code != EN_CHANGE && id >= 1 && id <= units_->Count()) {
            const String old = unitId_;
            SetUnitID(units_->Strings(id - 1));
            if (unitId_ != old && OnUnitChanged)
                OnUnitChanged(this, unitId_);
            return;
        }
    }
    TPsgEditBtn::Dispatch(message);
}

void TPsgUnitEditBtn::SetValueWithUnit(const String& s)
{
    for (int i = 0; i < units_->Count(); ++i) {
        const String u = units_->Strings(i);
        const int p = Pos(u, s);
        if (p > 0 && p == int(s.size()) - int(u.size()) + 1) {
            SetText(s.substr(0, size_t(p - 1)));
            SetUnitID(u);
            return;
        }
    }
}

String TPsgUnitEditBtn::GetValueWithUnit() const { return Text() + unitId_; }

void TPsgUnitEditBtn::PaintWindow(HDC dc)
{
    TPsgEditBtn::PaintWindow(dc);
    const int left = ClientWidth() - ButtonHolder()->Width() - 3 - unitSpace_;
    RECT r{left, 2, left + unitSpace_, ClientHeight()};
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font()->Color));
    DrawText(dc, unitId_.c_str(), int(unitId_.size()), &r, DT_EDITCONTROL);
    SelectObject(dc, old);
}
