#include "components/grid/asgspin.h"

#include "platform/framework/Forms.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr LPARAM kKeypadBit = LPARAM(1) << 22;

TDateTime IncMonthBy(TDateTime date, int months)
{
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    int total = y * 12 + (m - 1) + months;
    y = total / 12;
    m = total % 12 + 1;
    d = std::min(d, DaysInAMonth(y, m));
    return EncodeDate(y, m, d) + (date - std::floor(date));
}

// Wrap a time of day into [0, 1).
TDateTime TimeOfDay(TDateTime t)
{
    t = std::fmod(t, 1.0);
    if (t < 0)
        t += 1.0;
    return t;
}

} // namespace

int PosAfter(const String& sub, const String& s, int offset)
{
    if (offset < 0)
        offset = 0;
    if (size_t(offset) > s.size() || sub.empty())
        return 0;
    const size_t p = s.find(sub, size_t(offset));
    return p == String::npos ? 0 : int(p) + 1;
}

void FontHeights(TFont* font, int& fontHeight, int& systemHeight)
{
    TBitmap probe;
    probe.SetSize(1, 1);
    TFont standard;
    probe.Canvas()->Font->Assign(&standard);
    systemHeight = probe.Canvas()->TextHeight("Wg");
    probe.Canvas()->Font->Assign(font);
    fontHeight = probe.Canvas()->TextHeight("Wg");
}

bool PlaceRightEdgeControl(TCustomEdit* edit, TWinControl* control, int minHeight)
{
    if (edit->Height() < minHeight) {
        edit->SetBounds(edit->Left(), edit->Top(), edit->Width(), minHeight);
        return false;
    }
    if (!control)
        return false;
    const int a = edit->BorderStyle() == bsNone ? 1 : 5;
    control->SetBounds(edit->Width() - control->Width() - a, 0, control->Width(), edit->Height() - a);
    return true;
}

TDateTime AddYears(int years, TDateTime date)
{
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    return EncodeDate(y + years, m, d) + (date - std::floor(date));
}

// ---------------------------------------------------------------- TPlusTimerSpeedButton

void TFaceButton::Dispatch(TMessage& message)
{
    if (message.Msg == CM_MOUSEENTER || message.Msg == CM_MOUSELEAVE) {
        mouseIn_ = message.Msg == CM_MOUSEENTER;
        Invalidate();
    }
    TCustomControl::Dispatch(message);
}

TPlusTimerSpeedButton::TPlusTimerSpeedButton(TComponent* owner) : TFaceButton(owner) { SetBounds(0, 0, 15, 12); }

TPlusTimerSpeedButton::~TPlusTimerSpeedButton() = default; // the timer is an owned component

void TPlusTimerSpeedButton::Click()
{
    if (OnClick)
        OnClick(this);
}

void TPlusTimerSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled())
        return;
    down_ = true;
    SetMouseCapture(true);
    if (auto* pair = dynamic_cast<TPsgSpinButton*>(Owner()))
        pair->ButtonPressed(this);
    if (AutoRepeat) {
        if (!timer_) {
            timer_ = new TTimer(this);
            timer_->SetOnTimer([this](TObject* s) { TimerExpired(s); });
        }
        timer_->SetInterval(400);
        timer_->SetEnabled(true);
    }
    Invalidate();
    if (Parent())
        Parent()->Invalidate();
}

void TPlusTimerSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (timer_)
        timer_->SetEnabled(false);
    if (button != mbLeft || !down_)
        return;
    down_ = false;
    SetMouseCapture(false);
    Invalidate();
    if (Parent())
        Parent()->Invalidate();
    // the click of the release comes from the control's own mouse handling
}

void TPlusTimerSpeedButton::TimerExpired(TObject*)
{
    timer_->SetInterval(100);
    if (down_ && MouseCapture()) {
        try {
            Click();
        } catch (...) {
            timer_->SetEnabled(false);
            throw;
        }
    }
}

void TPlusTimerSpeedButton::Paint()
{
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    auto* pair = dynamic_cast<TPsgSpinButton*>(Owner());
    if (pair && pair->ButtonColor != clNone) {
        const TColor fill = down_ ? pair->ButtonColorDown : mouseIn_ ? pair->ButtonColorHot : pair->ButtonColor;
        c->Brush->Color = fill == clNone ? pair->ButtonColor : fill;
        c->Pen->Color = c->Brush->Color;
        c->Rectangle(r);
    } else {
        // a push face: raised, sunken while down, flat without edges when Flat and not hot
        c->Brush->Color = down_ ? clBtnShadow : clBtnFace;
        c->Pen->Color = clBtnShadow;
        c->FillRect(r);
        if (!Flat || mouseIn_ || down_) {
            c->Pen->Color = down_ ? clBtnShadow : clBtnHighlight;
            c->MoveTo(r.Left, r.Bottom - 1);
            c->LineTo(r.Left, r.Top);
            c->LineTo(r.Right - 1, r.Top);
            c->Pen->Color = down_ ? clBtnHighlight : clBtnShadow;
            c->LineTo(r.Right - 1, r.Bottom - 1);
            c->LineTo(r.Left, r.Bottom - 1);
        }
    }
    // the arrow, centred on the face
    const int ox = r.Left + (r.Right - r.Left) / 2 - 6 + (down_ ? 1 : 0);
    const int oy = r.Top + (r.Bottom - r.Top) / 2 - (ArrowDirection == adUp || ArrowDirection == adDown ? 3 : 7) + (down_ ? 1 : 0);
    std::vector<TPoint> pts;
    switch (ArrowDirection) {
    case adLeft: pts = {{5, 5}, {3, 7}, {5, 9}}; break;
    case adRight: pts = {{3, 5}, {5, 7}, {3, 9}}; break;
    case adUp: pts = {{4, 4}, {8, 4}, {6, 2}}; break;
    case adDown: pts = {{4, 2}, {8, 2}, {6, 4}}; break;
    }
    for (auto& p : pts) {
        p.X += ox + (ArrowDirection == adLeft || ArrowDirection == adRight ? 2 : 0);
        p.Y += oy;
    }
    c->Brush->Color = Enabled() ? clBlack : clGrayText;
    c->Pen->Color = c->Brush->Color;
    c->Polygon(pts);
}

// ---------------------------------------------------------------- TPsgSpinButton

TPsgSpinButton::TPsgSpinButton(TComponent* owner) : TCustomControl(owner)
{
    up_ = new TPlusTimerSpeedButton(this);
    up_->SetParent(this);
    up_->AutoRepeat = true;
    up_->ArrowDirection = adUp;
    up_->OnClick = [this](TObject*) { ButtonClicked(up_); };
    down_ = new TPlusTimerSpeedButton(this);
    down_->SetParent(this);
    down_->AutoRepeat = true;
    down_->ArrowDirection = adDown;
    down_->OnClick = [this](TObject*) { ButtonClicked(down_); };
    focused_ = up_;
    SetBounds(0, 0, 15, 25);
}

TPsgSpinButton::~TPsgSpinButton() = default;

void TPsgSpinButton::LayoutButtons(int& w, int& h)
{
    if ((ComponentState() & csLoading) || !up_ || !down_)
        return;
    if (direction_ == spVertical) {
        w = std::max(w, 15);
        const int upH = h / 2;
        up_->SetBounds(0, 0, w, upH);
        down_->SetBounds(0, upH - 1, w, h - upH + 1);
    } else {
        w = std::max(w, 20);
        down_->SetBounds(0, 0, w / 2, h);
        up_->SetBounds(w / 2 + 1, 0, w / 2, h);
    }
}

void TPsgSpinButton::SetBounds(int left, int top, int width, int height)
{
    int w = width, h = height;
    if (!laying_) {
        laying_ = true;
        LayoutButtons(w, h);
        laying_ = false;
    }
    TCustomControl::SetBounds(left, top, w, h);
}

void TPsgSpinButton::SetDirection(TSpinDirection direction)
{
    if (direction == direction_)
        return;
    direction_ = direction;
    if (direction == spHorizontal) {
        up_->ArrowDirection = adRight;
        down_->ArrowDirection = adLeft;
        SetBounds(Left(), Top(), 20, Height());
    } else {
        up_->ArrowDirection = adUp;
        down_->ArrowDirection = adDown;
        SetBounds(Left(), Top(), 15, Height());
    }
    up_->Invalidate();
    down_->Invalidate();
}

void TPsgSpinButton::SetIsWinXP(bool on)
{
    isWinXP_ = on;
    up_->IsWinXP = on;
    down_->IsWinXP = on;
}

void TPsgSpinButton::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation == opRemove && component == FocusControl)
        FocusControl = nullptr;
}

void TPsgSpinButton::FocusButton(TPlusTimerSpeedButton* button)
{
    if (TabStop && CanFocus())
        focused_ = button;
}

void TPsgSpinButton::ButtonPressed(TPlusTimerSpeedButton* button)
{
    FocusButton(button);
    if (FocusControl && FocusControl->TabStop && FocusControl->CanFocus() && !FocusControl->Focused())
        FocusControl->SetFocus();
    else if (TabStop && CanFocus() && !Focused())
        SetFocus();
}

void TPsgSpinButton::ButtonClicked(TPlusTimerSpeedButton* button)
{
    if (button == up_) {
        if (OnUpClick)
            OnUpClick(this);
    } else if (OnDownClick) {
        OnDownClick(this);
    }
}

void TPsgSpinButton::KeyDown(WORD& key, TShiftState shift)
{
    switch (key) {
    case VK_SPACE: focused_->Click(); break;
    case VK_UP:
        FocusButton(up_);
        up_->Click();
        break;
    case VK_DOWN:
        FocusButton(down_);
        down_->Click();
        break;
    default: break;
    }
    TCustomControl::KeyDown(key, shift);
}

void TPsgSpinButton::Dispatch(TMessage& message)
{
    if (message.Msg == WM_GETDLGCODE) {
        message.Result = 1; // DLGC_WANTARROWS
        return;
    }
    if (message.Msg == WM_SIZE) {
        int w = Width(), h = Height();
        LayoutButtons(w, h);
    }
    TCustomControl::Dispatch(message);
}

// ---------------------------------------------------------------- TPsgSpinEdit

TPsgSpinEdit::TPsgSpinEdit(TComponent* owner) : TCustomMaskEdit(owner)
{
    button_ = new TPsgSpinButton(this);
    button_->SetBounds(0, 0, 15, 17);
    button_->SetParent(this);
    button_->FocusControl = this;
    button_->OnUpClick = [this](TObject* s) { UpButtonClicked(s); };
    button_->OnDownClick = [this](TObject* s) { DownButtonClicked(s); };
    SetText("0");
}

TPsgSpinEdit::~TPsgSpinEdit()
{
    button_ = nullptr; // freed with the children
}

void TPsgSpinEdit::UpButtonClicked(TObject*) { StepUp(false); }
void TPsgSpinEdit::DownButtonClicked(TObject*) { StepDown(false); }

void TPsgSpinEdit::SetSpinType(TPsgSpinType type)
{
    spinType_ = type;
    switch (type) {
    case sptNormal: SetValue(Value()); break;
    case sptFloat: SetFloatValue(FloatValue()); break;
    case sptDate: SetDateValue(DateValue()); break;
    case sptTime: SetTimeValue(TimeValue()); break;
    }
}

void TPsgSpinEdit::SetPrecision(int precision)
{
    precision_ = precision;
    if (spinType_ == sptFloat)
        SetFloatValue(FloatValue());
}

int TPsgSpinEdit::Value() const
{
    const String t = Trim(Text());
    if (t.empty())
        return 0;
    int v = 0;
    return TryStrToInt(t, v) ? v : MinValue;
}

void TPsgSpinEdit::SetValue(int value)
{
    if (MinValue != MaxValue)
        value = std::clamp(value, std::min(MinValue, MaxValue), std::max(MinValue, MaxValue));
    SetText(IntToStr(value));
    if (!EditorEnabled)
        SelectAll();
}

double TPsgSpinEdit::FloatValue() const
{
    double v = 0;
    return TryStrToFloat(Text(), v) ? v : MinFloatValue;
}

void TPsgSpinEdit::SetFloatValue(double value)
{
    if (MinFloatValue != MaxFloatValue) {
        if (value < MinFloatValue)
            value = MinFloatValue;
        else if (value > MaxFloatValue)
            value = MaxFloatValue;
    }
    SetText(precision_ != 0 ? FloatToStrF(value, ffFixed, 15, precision_) : FloatToStr(value));
}

TDateTime TPsgSpinEdit::ClampDate(TDateTime v) const
{
    if (MinDateValue != MaxDateValue) {
        if (v < MinDateValue)
            v = MinDateValue;
        else if (v > MaxDateValue)
            v = MaxDateValue;
    }
    return v;
}

TDateTime TPsgSpinEdit::DateValue() const
{
    if (ComponentState() & csLoading)
        return loadedDate_;
    const String t = Text();
    if (t == "0" || t.empty())
        return Now();
    TDateTime d = 0;
    return TryStrToDate(t, d) ? d : MinDateValue;
}

void TPsgSpinEdit::SetDateValue(TDateTime value)
{
    if (ComponentState() & csLoading) {
        loadedDate_ = value;
        return;
    }
    const int caret = SelStart();
    SetText(DateToStr(ClampDate(value)));
    SetSelStart(caret);
}

TDateTime TPsgSpinEdit::TimeValue() const
{
    if (ComponentState() & csLoading)
        return loadedTime_;
    TDateTime t = 0;
    return TryStrToTime(Text(), t) ? t : 0;
}

void TPsgSpinEdit::SetTimeValue(TDateTime value)
{
    if (ComponentState() & csLoading) {
        loadedTime_ = value;
        return;
    }
    const int caret = SelStart();
    value = ClampDate(value);
    SetText(ShowSeconds ? TimeToStr(value) : FormatDateTime("h:nn", value));
    SetSelStart(caret);
}

void TPsgSpinEdit::Loaded()
{
    TCustomMaskEdit::Loaded();
    if (spinType_ == sptDate)
        SetDateValue(loadedDate_);
    else if (spinType_ == sptTime)
        SetTimeValue(loadedTime_);
    SetSpinType(spinType_);
}

void TPsgSpinEdit::StepUp(bool page) { Step(true, page); }
void TPsgSpinEdit::StepDown(bool page) { Step(false, page); }

void TPsgSpinEdit::StepDate(int direction)
{
    const String format = UpperCase(FormatSettings().ShortDateFormat);
    const size_t m = format.find('M'), d = format.find('D');
    monthFirst_ = m != String::npos && d != String::npos && m < d;
    const String text = Text();
    const String sep(1, FormatSettings().DateSeparator);
    const int first = Pos(sep, text);
    const int second = first > 0 ? PosAfter(sep, text, first) : 0;
    const int caret = SelStart();
    TDateTime date = DateValue();
    int field = 3;
    if (caret < first)
        field = 1;
    else if (caret < second)
        field = 2;
    const bool monthField = (field == 1 && monthFirst_) || (field == 2 && !monthFirst_);
    if (field == 3)
        date = AddYears(direction, date);
    else if (monthField)
        date = IncMonthBy(date, direction);
    else
        date += direction;
    SetDateValue(date);
}

void TPsgSpinEdit::Step(bool up, bool page)
{
    if (ReadOnly()) {
        MessageBeep(0);
        return;
    }
    const int sign = up ? 1 : -1;
    switch (spinType_) {
    case sptNormal: {
        const int64_t v = int64_t(Value()) + int64_t(sign) * Increment;
        if (v > INT32_MAX || v < INT32_MIN)
            throw EOverflow("Arithmetic overflow");
        SetValue(int(v));
        break;
    }
    case sptFloat: SetFloatValue(FloatValue() + sign * (page ? IncrementFloatPage : IncrementFloat)); break;
    case sptDate: StepDate(sign); break;
    case sptTime: {
        const String text = Text();
        const String sep(1, FormatSettings().TimeSeparator);
        const int first = Pos(sep, text);
        const int caret = SelStart();
        TDateTime step;
        if (caret < first)
            step = EncodeTime(IncrementHours, 0, 0, 0);
        else if (ShowSeconds && first > 0 && PosAfter(sep, text, first) > 0 && caret >= PosAfter(sep, text, first))
            step = EncodeTime(0, 0, IncrementSeconds, 0);
        else
            step = EncodeTime(0, IncrementMinutes, 0, 0);
        TDateTime t = TimeValue();
        if (up) {
            t = TimeOfDay(t + step);
        } else {
            t = t + 1 - step;
            if (t >= 1)
                t -= 1;
        }
        SetTimeValue(t);
        break;
    }
    }
}

bool TPsgSpinEdit::AcceptsChar(char16_t& key)
{
    const TFormatSettings& fs = FormatSettings();
    const char16_t dec = char16_t(fs.DecimalSeparator), thou = char16_t(fs.ThousandSeparator);
    const char16_t tsep = char16_t(fs.TimeSeparator), dsep = char16_t(fs.DateSeparator);
    if (key == 8)
        return EditorEnabled;
    const bool control = key < 32 && key != 13;
    bool ok = key == dec || key == thou || key == tsep || key == dsep || key == u'-' || (key >= u'0' && key <= u'9') || control;
    if (!ok)
        return false;
    const bool numeric = spinType_ == sptNormal || spinType_ == sptFloat;
    auto separatorAllowed = [&](char16_t sep, TPsgSpinType own) {
        if (key != sep || spinType_ == own)
            return true;
        return numeric && (sep == dec || sep == thou || sep == u'-' || sep == u'+');
    };
    if (!separatorAllowed(tsep, sptTime) || !separatorAllowed(dsep, sptDate))
        return false;
    const QString text = QString::fromStdString(Text());
    const int selStart = SelStart(), selLen = SelLength();
    if (key == u'-') {
        // a sign only in front, and only one
        if (selStart != 0)
            return false;
        for (int i = 0; i < text.size(); ++i)
            if (text[i] == u'-' && (i < selStart || i >= selStart + selLen))
                return false;
    }
    if (spinType_ == sptNormal && !(key == u'-' || (key >= u'0' && key <= u'9') || control))
        return false;
    if (spinType_ == sptFloat && key != 27 && key != 13 && key != 8) {
        if (key == thou && thou != dec)
            return false;
        const int p = text.indexOf(QChar(dec)); // 0-based
        if (key == dec && p >= 0 && !(p >= selStart && p < selStart + selLen))
            return false;
        if (precision_ > 0 && p >= 0 && key != dec && !control && selStart >= p + 1 && selLen == 0
            && text.size() >= p + 1 + precision_)
            return false;
    }
    if (spinType_ == sptTime && key == tsep && text.count(QChar(tsep)) >= 2)
        return false;
    if (!EditorEnabled && key >= 32)
        return false;
    return true;
}

void TPsgSpinEdit::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_RETURN && ReturnIsTab) {
        key = VK_TAB;
        PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
    }
    if (key == VK_DELETE && !EditorEnabled)
        key = 0;
    TCustomMaskEdit::KeyDown(key, shift);
}

void TPsgSpinEdit::KeyPress(char& key)
{
    // a character beyond the 8-bit range shows as '?', which no spin type accepts
    char16_t k = char16_t(static_cast<unsigned char>(key));
    if (!AcceptsChar(k)) {
        key = 0;
        MessageBeep(0);
    } else {
        key = char(k);
    }
    if (key != 0)
        TCustomMaskEdit::KeyPress(key);
}

void TPsgSpinEdit::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_KEYDOWN:
        switch (message.WParam) {
        case VK_UP: StepUp(false); message.Result = 0; return;
        case VK_DOWN: StepDown(false); message.Result = 0; return;
        case VK_PRIOR: StepUp(true); message.Result = 0; return;
        case VK_NEXT: StepDown(true); message.Result = 0; return;
        default: break;
        }
        lastKeyWasDecimal_ = message.WParam == VK_DECIMAL;
        break;
    case WM_CHAR:
        if (message.WParam == '.' && ExcelStyleDecimalSeparator && (lastKeyWasDecimal_ || (message.LParam & kKeypadBit)))
            message.WParam = WPARAM(static_cast<unsigned char>(FormatSettings().DecimalSeparator));
        lastKeyWasDecimal_ = false;
        break;
    case WM_PASTE:
    case WM_CUT:
        if (!EditorEnabled || ReadOnly())
            return;
        break;
    case CM_ENTER:
        if (AutoSelect && (!(GetKeyState(VK_LBUTTON) < 0) || !EditorEnabled))
            SelectAll();
        break;
    case CM_EXIT: {
        TCustomMaskEdit::Dispatch(message);
        switch (spinType_) {
        case sptNormal:
            if (MinValue != MaxValue && (Value() < MinValue || Value() > MaxValue))
                SetValue(Value());
            break;
        case sptFloat:
            if (MinFloatValue != MaxFloatValue && (FloatValue() < MinFloatValue || FloatValue() > MaxFloatValue))
                SetFloatValue(FloatValue());
            break;
        case sptDate:
            if (ClampDate(DateValue()) != DateValue())
                SetDateValue(DateValue());
            break;
        case sptTime:
            if (ClampDate(TimeValue()) != TimeValue())
                SetTimeValue(TimeValue());
            break;
        }
        return;
    }
    case WM_SIZE:
        TCustomMaskEdit::Dispatch(message);
        if (PlaceRightEdgeControl(this, button_, MinimumHeight()))
            LayoutEditRect();
        return;
    default: break;
    }
    TCustomMaskEdit::Dispatch(message);
}

int TPsgSpinEdit::MinimumHeight()
{
    int f = 0, sys = 0;
    FontHeights(Font(), f, sys);
    const int m = std::min(sys, f);
    int h = f + m / 4 + 2;
    if (BorderStyle() == bsSingle)
        h += 4 * GetSystemMetrics(SM_CYBORDER);
    return h;
}

void TPsgSpinEdit::CreateParams(TCreateParams& params)
{
    TCustomMaskEdit::CreateParams(params);
    params.Style |= DWORD(ES_MULTILINE) | DWORD(WS_CLIPCHILDREN);
    params.Style &= ~DWORD(ES_RIGHT | ES_CENTER);
    if (editAlign_ == eaRight)
        params.Style |= DWORD(ES_RIGHT);
    else if (editAlign_ == eaCenter)
        params.Style |= DWORD(ES_CENTER);
}

void TPsgSpinEdit::CreateWnd()
{
    TCustomMaskEdit::CreateWnd();
    LayoutEditRect();
}

void TPsgSpinEdit::LayoutEditRect()
{
    if (!HandleAllocated() || !button_)
        return;
    const int m = BorderStyle() == bsNone ? 3 : 0;
    RECT r{m, m, ClientWidth() - button_->Width() - 2 - m, ClientHeight() + 1};
    Perform(EM_SETRECTNP, 0, LPARAM(&r));
}

void TPsgSpinEdit::Relayout()
{
    SetBounds(Left(), Top(), Width() + 1, Height());
    SetBounds(Left(), Top(), Width() - 1, Height());
}

void TPsgSpinEdit::SetDirection(TSpinDirection direction)
{
    button_->SetDirection(direction);
    Relayout();
}

void TPsgSpinEdit::SetEditAlign(TEditAlign align)
{
    if (align == editAlign_)
        return;
    editAlign_ = align;
    if (HandleAllocated())
        RecreateWnd();
}

void TPsgSpinEdit::SetSpinFlat(bool on)
{
    spinFlat_ = on;
    button_->UpButton()->Flat = on;
    button_->DownButton()->Flat = on;
    button_->UpButton()->Invalidate();
    button_->DownButton()->Invalidate();
}

void TPsgSpinEdit::SetSpinTransparent(bool on)
{
    spinTransparent_ = on;
    Relayout();
}
