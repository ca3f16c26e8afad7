#include "components/grid/PsgCombo.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinGdi.h"

TPsgCustomCombo::TPsgCustomCombo(TComponent* owner) : TCustomComboBox(owner), labelFont_(std::make_unique<TFont>()) {}

TPsgCustomCombo::~TPsgCustomCombo()
{
    // the label lives on the combo's parent: it goes with the combo
    delete label_;
    label_ = nullptr;
}

void TPsgCustomCombo::SetFlat(bool on)
{
    if (flat_ == on)
        return;
    flat_ = on;
    if (flat_ && FlatParentColor && Parent())
        TCustomComboBox::SetColor(Parent()->Color());
    else
        TCustomComboBox::SetColor(loadedColor_);
    Invalidate();
}

void TPsgCustomCombo::SetEtched(bool on)
{
    if (etched_ == on)
        return;
    etched_ = on;
    Invalidate();
}

void TPsgCustomCombo::SetButtonWidth(int width)
{
    if (width < 14 || width > 32)
        return;
    buttonWidth_ = width;
    Invalidate();
}

void TPsgCustomCombo::SetFocusLabel(bool on) { focusLabel_ = on; }

void TPsgCustomCombo::SetBorderColor(TColor color)
{
    if (borderColor_ == color)
        return;
    borderColor_ = color;
    Invalidate();
}

void TPsgCustomCombo::SetDropWidth(int width)
{
    dropWidth_ = width;
    if (width > 0)
        Perform(CB_SETDROPPEDWIDTH, WPARAM(width), 0);
}

String TPsgCustomCombo::LabelCaption() const { return label_ ? label_->Caption() : String(); }

void TPsgCustomCombo::CreateLabel()
{
    if (label_)
        return;
    label_ = new TLabel(nullptr);
    if (Parent())
        label_->SetParent(Parent());
    label_->Font()->Assign(ParentFont ? Font() : labelFont_.get());
}

void TPsgCustomCombo::SetLabelCaption(const String& caption)
{
    CreateLabel();
    label_->SetCaption(caption);
    UpdateLabel();
}

void TPsgCustomCombo::SetLabelPosition(TLabelPosition position)
{
    labelPosition_ = position;
    UpdateLabel();
}

void TPsgCustomCombo::SetLabelMargin(int margin)
{
    labelMargin_ = margin;
    UpdateLabel();
}

void TPsgCustomCombo::SetLabelFont(TFont* font)
{
    if (!ParentFont && font)
        labelFont_->Assign(font);
    UpdateLabel();
}

void TPsgCustomCombo::UpdateLabel()
{
    if (!label_)
        return;
    if (!label_->Parent() && Parent())
        label_->SetParent(Parent());
    if (!ParentFont)
        label_->Font()->Assign(labelFont_.get());
    if (focused_ && focusLabel_)
        label_->Font()->Style << fsBold;
    label_->Font()->Changed();
    // the caption's extent in the label's font
    TBitmap measure;
    measure.SetWidth(1);
    measure.SetHeight(1);
    measure.Canvas()->Font->Assign(label_->Font());
    RECT r{0, 0, 1000, 255};
    DrawText(measure.Canvas()->Handle(), label_->Caption().c_str(), -1, &r, DT_CALCRECT | DT_HIDEPREFIX);
    const int w = int(r.right - r.left), lh = std::max(int(r.bottom - r.top), 1);
    label_->SetBounds(label_->Left(), label_->Top(), w, lh);
    const int m = labelMargin_;
    int top = Top(), left = Left();
    switch (labelPosition_) {
    case lpLeftTop: left = Left() - w - m; break;
    case lpLeftCenter: top = Top() + (Height() - lh) / 2; left = Left() - w - m; break;
    case lpLeftBottom: top = Top() + Height() - lh; left = Left() - w - m; break;
    case lpTopLeft: top = Top() - lh - m; break;
    case lpBottomLeft: top = Top() + Height() + m; break;
    case lpLeftTopLeft: left = Left() - m; break;
    case lpLeftCenterLeft: top = Top() + (Height() - lh) / 2; left = Left() - m; break;
    case lpLeftBottomLeft: top = Top() + Height() - lh; left = Left() - m; break;
    case lpTopCenter: top = Top() - lh - m; left = Left() + (Width() - w) / 2; break;
    case lpBottomCenter: top = Top() + Height() + m; left = Left() + (Width() - w) / 2; break;
    case lpRightTop: left = Left() + Width() + m; break;
    case lpRightCenter: top = Top() + (Height() - lh) / 2; left = Left() + Width() + m; break;
    case lpRighBottom: top = Top() + Height() - lh; left = Left() + Width() + m; break;
    }
    label_->SetBounds(left, top, w, lh);
    label_->SetVisible(Visible());
}

void TPsgCustomCombo::SetColor(TColor color)
{
    if (HasState(csLoading))
        loadedColor_ = color;
    TCustomComboBox::SetColor(color);
}

void TPsgCustomCombo::SetVisible(bool v)
{
    TCustomComboBox::SetVisible(v);
    if (label_)
        label_->SetVisible(v);
}

void TPsgCustomCombo::SetEnabled(bool v)
{
    const bool changed = v != Enabled();
    if (changed && flat_ && !HasState(csLoading)) {
        if (!v) {
            disabledKeptColor_ = Color();
            disabledKeptParentColor_ = ParentColor;
            ParentColor = true;
            if (Parent())
                TCustomComboBox::SetColor(Parent()->Color());
        } else if (disabledKeptColor_ != clNone) {
            ParentColor = disabledKeptParentColor_;
            TCustomComboBox::SetColor(disabledKeptColor_);
        }
    }
    TCustomComboBox::SetEnabled(v);
    if (changed && label_ && !LabelAlwaysEnabled) {
        label_->SetEnabled(v);
        UpdateLabel();
    }
}

void TPsgCustomCombo::SetBounds(int left, int top, int width, int height)
{
    TCustomComboBox::SetBounds(left, top, width, height);
    if (!HasState(csDestroying))
        UpdateLabel();
}

void TPsgCustomCombo::Loaded()
{
    TCustomComboBox::Loaded();
    if (dropWidth_ > 0)
        Perform(CB_SETDROPPEDWIDTH, WPARAM(dropWidth_), 0);
    if (!(FlatParentColor && !flat_))
        TCustomComboBox::SetColor(loadedColor_);
    if (label_ && !LabelAlwaysEnabled)
        label_->SetEnabled(Enabled());
    UpdateLabel();
    normalColor_ = Color();
}

void TPsgCustomCombo::MouseMove(TShiftState shift, int x, int y)
{
    TCustomComboBox::MouseMove(shift, x, y);
    const bool onButton = Width() - buttonWidth_ < x && x < Width();
    if (onButton != mouseOnButton_) {
        mouseOnButton_ = onButton;
        Invalidate();
    }
}

void TPsgCustomCombo::FocusGained()
{
    focused_ = true;
    if (FocusColor != clNone)
        TCustomComboBox::SetColor(FocusColor);
    if (focusLabel_)
        UpdateLabel();
    Invalidate();
}

void TPsgCustomCombo::FocusLost()
{
    focused_ = false;
    if (FocusColor != clNone && normalColor_ != clNone)
        TCustomComboBox::SetColor(normalColor_);
    if (focusLabel_)
        UpdateLabel();
    Invalidate();
}

void TPsgCustomCombo::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_MOUSEENTER:
        TCustomComboBox::Dispatch(message);
        if (Enabled() && !mouseIn_) {
            mouseIn_ = true;
            Invalidate();
            if (AutoFocus && !HasState(csDesigning) && CanFocus())
                SetFocus();
        }
        break;
    case CM_MOUSELEAVE:
        TCustomComboBox::Dispatch(message);
        if (Enabled())
            mouseIn_ = false;
        mouseOnButton_ = false;
        Invalidate();
        break;
    case WM_SETFOCUS:
        TCustomComboBox::Dispatch(message);
        FocusGained();
        break;
    case WM_KILLFOCUS:
        TCustomComboBox::Dispatch(message);
        FocusLost();
        break;
    case CN_COMMAND: {
        const UINT code = HIWORD(message.WParam);
        TCustomComboBox::Dispatch(message);
        if (code == CBN_DROPDOWN || code == CBN_CLOSEUP) {
            RECT r{ClientWidth() - buttonWidth_, 0, ClientWidth(), ClientHeight()};
            InvalidateRect(Handle(), &r, FALSE);
        }
        if (code == CBN_CLOSEUP && OnDropUp)
            OnDropUp(this);
        break;
    }
    default: TCustomComboBox::Dispatch(message); break;
    }
}
