#include "components/dropdown/PlusDateTimePicker.h"

#include "components/grid/PlusStyleIF.h"
#include "platform/win/WinGdi.h"
#include "platform/win/WinUxTheme.h"

#include <cmath>

TAutoTabStep AutoTabStep(const String& Format, int OldYear, int OldMonth, int OldDay, int Year, int Month, int Day)
{
    const bool day = Day != OldDay, month = Month != OldMonth, year = Year != OldYear;
    if (Format.empty()) {
        if (day || month)
            return atNextField;
        return year ? atCompanion : atNone;
    }
    const char last = Format.back();
    bool lastChanged = false;
    if (last == 'd' || last == 'D')
        lastChanged = day;
    else if (last == 'm' || last == 'M')
        lastChanged = month;
    else if (last == 'y' || last == 'Y')
        lastChanged = year;
    if (lastChanged)
        return atCompanion;
    return day || month || year ? atNextField : atNone;
}

// ---------------------------------------------------------------- the plain picker

UINT TCustomDateTimePicker::ShiftFocusMessage()
{
    static const UINT message = RegisterWindowMessage("DTPShiftFocus");
    return message;
}

TCustomDateTimePicker::TCustomDateTimePicker(TComponent* AOwner)
    : TDateTimePicker(AOwner), themed_(IsComCtl32V6()), buttonWidth_(GetSystemMetrics(SM_CXVSCROLL) + 2)
{
    before_ = TDateTimePicker::DateTime();
    SetCtl3D(false);
}

void TCustomDateTimePicker::CreateParams(TCreateParams& params)
{
    TDateTimePicker::CreateParams(params);
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

TColor TCustomDateTimePicker::PlainFrameColor() const
{
    if (borderStyle_ == bsNone && Parent())
        return Parent()->Color();
    return themed_ ? TColor(0xB99D7F) : frameColor_;
}

void TCustomDateTimePicker::PaintPlainFrame()
{
    const int W = Width(), H = Height();
    HDC dc = GetWindowDC(Handle());
    HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(PlainFrameColor()));
    HGDIOBJ old = SelectObject(dc, pen);
    auto frame = [dc, W, H] {
        MoveToEx(dc, 0, H, nullptr);
        LineTo(dc, 0, 0);
        LineTo(dc, W - 1, 0);
        LineTo(dc, W - 1, H - 1);
        LineTo(dc, 0, H - 1);
    };
    frame();
    // the inner line on the left and at the top: the parent's colour for bsSingle, the
    // frame's own (the parent's too) for bsNone
    HPEN inner = nullptr;
    if (Parent() && (borderStyle_ == bsNone || borderStyle_ == bsSingle)) {
        if (borderStyle_ == bsSingle) {
            inner = CreatePen(PS_SOLID, 1, ColorToRGB(Parent()->Color()));
            SelectObject(dc, inner);
        }
        MoveToEx(dc, 1, H - 2, nullptr);
        LineTo(dc, 1, 1);
        LineTo(dc, W - 1, 1);
        SelectObject(dc, pen);
    }
    // what the paint adds on systems from Vista on: the frame again and, without visual
    // styles, a second one inside it
    if (HasGetLocaleInfoEx()) {
        frame();
        if (!IsThemeActive()) {
            MoveToEx(dc, 1, H, nullptr);
            LineTo(dc, 1, 1);
            LineTo(dc, W - 2, 1);
            LineTo(dc, W - 2, H - 2);
            LineTo(dc, 0, H - 2);
        }
    }
    SelectObject(dc, old);
    DeleteObject(pen);
    if (inner)
        DeleteObject(inner);
    ReleaseDC(Handle(), dc);
}

void TCustomDateTimePicker::SetBorderStyle(TBorderStyle v)
{
    borderStyle_ = v;
    Invalidate();
}

void TCustomDateTimePicker::Change()
{
    TDateTimePicker::Change();
    // a typed digit changed the value: move on once the message arrives
    if (autoTab_)
        PostMessage(Handle(), ShiftFocusMessage(), 0, 0);
    else
        before_ = TDateTimePicker::DateTime();
}

void TCustomDateTimePicker::Dispatch(TMessage& m)
{
    if (m.Msg == ShiftFocusMessage() && m.Msg != 0) {
        ShiftFocus();
        before_ = TDateTimePicker::DateTime();
        return;
    }
    TDateTimePicker::Dispatch(m);
    switch (m.Msg) {
    case WM_NCPAINT:
        if (!Ctl3D())
            PaintPlainFrame();
        break;
    case CM_CTL3DCHANGED: Invalidate(); break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (Enabled()) {
            mouseIn_ = m.Msg == CM_MOUSEENTER;
            if (!mouseIn_)
                buttonHover_ = false;
            if (xpOrLater_)
                Invalidate();
        }
        break;
    case WM_MOUSEMOVE: {
        const int x = m.XPos(), w = Width();
        const bool hover = w - buttonWidth_ < x && x < w;
        if (hover != buttonHover_) {
            buttonHover_ = hover;
            Invalidate();
        }
        break;
    }
    case CM_ENTER:
    case CM_EXIT:
        if (!HasState(csDesigning))
            hasFocus_ = m.Msg == CM_ENTER;
        break;
    default: break;
    }
}

void TCustomDateTimePicker::ShiftFocus()
{
    if (Kind() != dtkTime)
        return;
    int h0, m0, s0, ms0, h, m, s, ms;
    DecodeTime(TimeOf(before_), h0, m0, s0, ms0);
    DecodeTime(TimeOf(TDateTimePicker::DateTime()), h, m, s, ms);
    if (h != h0 || m != m0 || s != s0)
        SelectNextField();
}

// ---------------------------------------------------------------- the picker with kinds

TPlusDateTimePicker::TPlusDateTimePicker(TComponent* AOwner) : TCustomDateTimePicker(AOwner)
{
    kind_ = dkDateTime;
    TCustomDateTimePicker::SetBorderStyle(bsSingle);
    SetCtl3D(true);
    TDateTimePicker::SetKind(dtkDate);
    focusTimer_ = new TTimer(this);
    focusTimer_->SetEnabled(false);
    focusTimer_->SetInterval(20);
    focusTimer_->SetOnTimer([this](TObject*) { focusTimer_->SetEnabled(false); });
    labelFont_->OnChange = [this](TObject*) {
        if (label_)
            UpdateLabel();
        if (HasState(csDesigning))
            ParentFont = false;
    };
    CreateTimePicker();
    UpdateTimePicker();
}

void TPlusDateTimePicker::SetLabelTransparent(bool v)
{
    labelTransparent_ = v;
    UpdateLabel();
}

void TPlusDateTimePicker::SetLabelAlwaysEnabled(bool v)
{
    labelAlwaysEnabled_ = v;
    if (label_ && v)
        label_->SetEnabled(true);
    Invalidate();
}

void TPlusDateTimePicker::SetLabelFont(TFont* f)
{
    if (!ParentFont)
        labelFont_->Assign(f);
    UpdateLabel();
}

void TPlusDateTimePicker::Loaded()
{
    TCustomDateTimePicker::Loaded();
    CreateTimePicker();
    UpdateTimePicker();
    if (!Checked && companion_)
        companion_->SetEnabled(false);
    if (label_ && !labelAlwaysEnabled_)
        label_->SetEnabled(Enabled());
    UpdateLabel();
    if (label_ && ParentFont)
        label_->Font()->Assign(Font());
    parentFontAtLoad_ = ParentFont;
    UpdateLabel();
}

void TPlusDateTimePicker::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case DTM_SETSYSTEMTIME:
        // with the check box, "no date" clears it and disables the time beside the date
        TCustomDateTimePicker::Dispatch(m);
        if (ShowCheckbox)
            Checked = m.WParam != GDT_NONE;
        if (companion_ && !HasState(csDesigning))
            companion_->SetEnabled(Enabled() && (Checked || !ShowCheckbox));
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomDateTimePicker::Dispatch(m);
        if (FocusLabel && label_ && !HasState(csLoading)) {
            TFontStyles st = label_->Font()->Style;
            if (m.Msg == WM_SETFOCUS)
                st << fsBold;
            else
                st >> fsBold;
            label_->Font()->Style = st;
            label_->Font()->Changed();
        }
        return;
    case CM_VISIBLECHANGED:
    case CM_SHOWINGCHANGED:
        TCustomDateTimePicker::Dispatch(m);
        if (label_)
            label_->SetVisible(Visible());
        return;
    default:
        TCustomDateTimePicker::Dispatch(m);
    }
}

void TPlusDateTimePicker::Change()
{
    int y0, m0, d0, y, m, d;
    DecodeDate(before_, y0, m0, d0);
    TCustomDateTimePicker::Change();
    if (!ShowCheckbox)
        return;
    DecodeDate(TDateTimePicker::DateTime(), y, m, d);
    if (y != y0 || m != m0 || d != d0)
        focusTimer_->SetEnabled(true);
    if (companion_ && !ignoreCompanionCheck_)
        companion_->SetEnabled(Enabled() && Checked);
    ignoreCompanionCheck_ = false;
}

TPlusDateTimePicker::~TPlusDateTimePicker()
{
    if (label_) {
        label_->SetParent(nullptr);
        delete label_;
        label_ = nullptr;
    }
}

void TPlusDateTimePicker::SetKind(TPlusDateTimeKind k)
{
    if (k == kind_)
        return;
    kind_ = k;
    TDateTimePicker::SetKind(k == dkTime ? dtkTime : dtkDate);
    if (k == dkDateTime)
        CreateTimePicker();
    UpdateTimePicker();
}

TDateTime TPlusDateTimePicker::GetDateTime() const
{
    TDateTime own = TDateTimePicker::DateTime();
    if (companion_) {
        own = DateOf(own) + TimeOf(companion_->TDateTimePicker::DateTime());
        const_cast<TPlusDateTimePicker*>(this)->TDateTimePicker::SetDateTime(own);
    }
    return own;
}

namespace {
// whole days plus hours, minutes and seconds (milliseconds dropped)
TDateTime WithoutMilliseconds(TDateTime days, TDateTime timeOfDay)
{
    int h, m, s, ms;
    DecodeTime(TimeOf(timeOfDay), h, m, s, ms);
    return std::trunc(days) + EncodeTime(h, m, s, 0);
}
} // namespace

void TPlusDateTimePicker::SetDateTime(TDateTime Value)
{
    const TDateTime v = WithoutMilliseconds(Value, Value);
    TDateTimePicker::SetDateTime(v);
    CreateTimePicker();
    if (companion_)
        companion_->TDateTimePicker::SetDateTime(v);
    before_ = v;
}

void TPlusDateTimePicker::SetDate(TDateTime Value)
{
    SetDateTime(WithoutMilliseconds(Value, GetDateTime()));
}

TDateTime TPlusDateTimePicker::Time() const
{
    if (kind_ == dkDateTime && companion_)
        return companion_->TDateTimePicker::Time();
    return TDateTimePicker::Time();
}

void TPlusDateTimePicker::SetTime(TDateTime Value)
{
    TDateTimePicker::SetTime(Value);
    UpdateTimePicker();
}

void TPlusDateTimePicker::SetTimeFormat(const String& v)
{
    if (companion_)
        companion_->SetFormat(v);
    if (kind_ == dkTime)
        SetFormat(v);
    timeFormat_ = v;
    UpdateTimePicker();
}

void TPlusDateTimePicker::SetAutoTab(bool v)
{
    TCustomDateTimePicker::SetAutoTab(v);
    if (companion_)
        companion_->SetAutoTab(v);
}

void TPlusDateTimePicker::SetBorderStyle(TBorderStyle v)
{
    TCustomDateTimePicker::SetBorderStyle(v);
    UpdateTimePicker();
}

void TPlusDateTimePicker::SetEnabled(bool v)
{
    TCustomDateTimePicker::SetEnabled(v);
    if (companion_)
        companion_->SetEnabled(v && (Checked || !ShowCheckbox));
    if (label_ && !labelAlwaysEnabled_)
        label_->SetEnabled(v);
}

void TPlusDateTimePicker::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TPlusDateTimePicker::DoClick()
{
    if (OnClick)
        OnClick(this);
}

void TPlusDateTimePicker::CreateTimePicker()
{
    if (kind_ != dkDateTime || companion_)
        return;
    companion_ = new TCustomDateTimePicker(this);
    companion_->FreeNotification(this);
    companion_->SetParent(this);
    companion_->SetBounds(0, 0, 90, 17);
    companion_->SetVisible(false);
    companion_->SetEnabled(Enabled());
    companion_->SetKind(dtkTime);
    companion_->SetAutoTab(AutoTab());
    companion_->OnChange = [this](TObject*) {
        DoChange();
        if (OnTimeChange)
            OnTimeChange(this);
    };
    companion_->OnClick = [this](TObject*) { DoClick(); };
    companion_->OnKeyDown = [this](TObject*, WORD& k, TShiftState s) { KeyDown(k, s); };
    companion_->OnKeyPress = [this](TObject*, char& k) { TimePickerKeyPress(k); };
}

void TPlusDateTimePicker::UpdateTimePicker()
{
    if (!companion_)
        return;
    if (companion_->Parent() != this)
        companion_->SetParent(this);
    companion_->SetColor(Color());
    companion_->SetEnabled(Enabled() && (Checked || !ShowCheckbox));
    const bool visible = kind_ == dkDateTime;
    if (!visible) {
        TCustomDateTimePicker* c = companion_;
        companion_ = nullptr;
        delete c;
        return;
    }
    companion_->SetVisible(true);
    companion_->TDateTimePicker::SetDateTime(TDateTimePicker::DateTime());
    companion_->SetFormat(timeFormat_);
    companion_->SetFont(Font());
    TCanvas c;
    HDC dc = CreateCompatibleDC(nullptr);
    c.SetHandle(dc);
    c.Font->Assign(Font());
    const int cw = c.TextWidth(companion_->Text()) + 31;
    c.SetHandle(nullptr);
    DeleteDC(dc);
    // placed left of the drop button by the platform's look; no bevel here (b = 0)
    const int W = Width(), H = Height(), b = 0;
    if (!HasGetLocaleInfoEx())
        companion_->SetBounds(W - cw - 21, -2, cw, H);
    else if (!IsComCtl32V6())
        companion_->SetBounds(W - cw - 23 - b, -2, cw, H - b);
    else if (!IsThemeActive())
        companion_->SetBounds(W - cw - 21 - b, 2, cw, H - b - 4);
    else
        companion_->SetBounds(W - cw - 34 - b, 1, cw, H - b - 2);
}

String TPlusDateTimePicker::LabelCaption() const { return label_ ? label_->Caption() : String(); }

void TPlusDateTimePicker::SetLabelCaption(const String& v)
{
    if (!label_) {
        label_ = new TLabel(nullptr);
        label_->FreeNotification(this); // the label's parent may free it first
        label_->SetFocusControl(this);
        label_->SetParent(Parent());
        label_->OnClick = [this](TObject*) {
            if (OnLabelClick)
                OnLabelClick(this);
        };
        label_->OnDblClick = [this](TObject*) {
            if (OnLabelDblClick)
                OnLabelDblClick(this);
        };
    }
    label_->SetCaption(v);
    UpdateLabel();
}


void TPlusDateTimePicker::Notification(TComponent* component, TOperation operation)
{
    TCustomDateTimePicker::Notification(component, operation);
    if (operation == opRemove && component == label_)
        label_ = nullptr;
    if (operation == opRemove && component == companion_)
        companion_ = nullptr;
}

void TPlusDateTimePicker::SetLabelPosition(TLabelPosition p)
{
    labelPosition_ = p;
    UpdateLabel();
}

void TPlusDateTimePicker::SetLabelMargin(int m)
{
    labelMargin_ = m;
    UpdateLabel();
}

void TPlusDateTimePicker::UpdateLabel()
{
    if (!label_)
        return;
    if (label_->Parent() != Parent())
        label_->SetParent(Parent());
    if (!label_->Parent())
        return;
    label_->SetTransparent(labelTransparent_);
    label_->Font()->Assign(parentFontAtLoad_ ? Font() : labelFont_.get());
    label_->Font()->Changed();
    TCanvas c;
    HDC dc = CreateCompatibleDC(nullptr);
    c.SetHandle(dc);
    c.Font->Assign(label_->Font());
    const int w = c.TextWidth(label_->DisplayText());
    label_->SetHeight(c.TextHeight("Ag")); // the label is as high as its text
    c.SetHandle(nullptr);
    DeleteDC(dc);
    const int L = Left(), T = Top(), W = Width(), H = Height(), m = labelMargin_, lh = label_->Height(), lw = w;
    const int centred = lh < H ? T + (H - lh) / 2 : T - (lh - H) / 2;
    int top = T, left = L - w - m;
    switch (labelPosition_) {
    case lpLeftCenter: top = centred; break;
    case lpLeftBottom: top = T + H - lh; break;
    case lpTopLeft: top = T - lh - m, left = L; break;
    case lpBottomLeft: top = T + H + m, left = L; break;
    case lpLeftTopLeft: left = L - m; break;
    case lpLeftCenterLeft: top = centred, left = L - m; break;
    case lpLeftBottomLeft: top = T + H - lh, left = L - m; break;
    case lpTopCenter:
    case lpBottomCenter:
        top = labelPosition_ == lpTopCenter ? T - lh - m : T + H + m;
        left = W - lw < 1 ? L - (lw - W) / 2 : L + (W - lw) / 2;
        break;
    case lpRightTop: left = L + W + m; break;
    case lpRightCenter: top = centred, left = L + W + m; break;
    case lpRighBottom: top = T + H - lh, left = L + W + m; break;
    default: break;
    }
    label_->SetBounds(left, top, w, lh);
    label_->SetVisible(Visible());
}

void TPlusDateTimePicker::SetBounds(int l, int t, int w, int h)
{
    TCustomDateTimePicker::SetBounds(l, t, w, h);
    UpdateLabel();
    UpdateTimePicker();
}

void TPlusDateTimePicker::ShiftFocus()
{
    if (kind_ == dkTime) {
        TCustomDateTimePicker::ShiftFocus();
        return;
    }
    int y0, m0, d0, y, m, d;
    DecodeDate(before_, y0, m0, d0);
    DecodeDate(GetDateTime(), y, m, d);
    switch (AutoTabStep(Format(), y0, m0, d0, y, m, d)) {
    case atNextField: SelectNextField(); break;
    case atCompanion:
        if (companion_ && companion_->CanFocus())
            companion_->SetFocus();
        break;
    default: break;
    }
}
