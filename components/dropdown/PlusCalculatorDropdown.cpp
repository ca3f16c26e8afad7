#include "components/dropdown/PlusCalculatorDropdown.h"

#include "platform/win/WinGdi.h"

#include <cmath>

namespace {
TColor Rgb(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }
char CalcDecimalSep() { return FormatSettings().DecimalSeparator; }
char CalcThousandSep() { return FormatSettings().ThousandSeparator; }
const char* const kError = "Error";
} // namespace

// ---------------------------------------------------------------- keys and looks

void TButtonItem::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TButtonItem*>(Source);
    if (!s) {
        TCollectionItem::Assign(Source);
        return;
    }
    Caption = s->Caption;
    CaptionColor = s->CaptionColor;
    Tag = s->Tag;
    ImageIndex = s->ImageIndex;
    Enabled = s->Enabled;
    Name = s->Name;
}

TButtonAppearance::TButtonAppearance()
    : Color(Rgb(95, 145, 154)), ColorTo(Rgb(112, 161, 176)), ColorHot(Rgb(28, 111, 159)),
      ColorHotTo(Rgb(68, 194, 213)), ColorDown(Rgb(8, 47, 75)), ColorDownTo(Rgb(20, 181, 173)),
      GlowColorHot(Rgb(68, 194, 213)), GlowColorDown(Rgb(68, 194, 213)),
      ColorChecked(ShiftColor(0xF5F0E1, -10, -10, 0)), ColorCheckedTo(ShiftColor(0xF9D2B2, -10, -10, 0)),
      ColorDisabled(ShiftColor(0xFFFFFF, -5, -5, -5)), ColorDisabledTo(ShiftColor(0xFFFFFF, -5, -5, -5))
{
    font_->SetSize(10);
    font_->Style << fsBold;
    font_->Color = clBlack;
}

void TButtonAppearance::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TButtonAppearance::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TButtonAppearance*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    Color = s->Color, ColorTo = s->ColorTo, ColorHot = s->ColorHot, ColorHotTo = s->ColorHotTo;
    ColorDown = s->ColorDown, ColorDownTo = s->ColorDownTo;
    GlowColorHot = s->GlowColorHot, GlowColorDown = s->GlowColorDown, ShineColor = s->ShineColor;
    BorderColor = s->BorderColor, BorderColorHot = s->BorderColorHot, BorderColorDown = s->BorderColorDown;
    TextColor = s->TextColor, SpecialTextColor = s->SpecialTextColor;
    ColorChecked = s->ColorChecked, ColorCheckedTo = s->ColorCheckedTo;
    ColorDisabled = s->ColorDisabled, ColorDisabledTo = s->ColorDisabledTo;
    BorderColorChecked = s->BorderColorChecked;
    font_->Assign(s->font_.get());
    Changed();
}

void DrawGlossyButton(TCanvas* Canvas, TRect R, TColor BorderColor, TColor InnerLineColor, TColor Color,
                      TColor ColorTo, TColor GlowColor, TColor ShineColor)
{
    if (!Canvas || R.Width() <= 0 || R.Height() <= 0)
        return;
    const int l = R.Left, t = R.Top, r = R.Right, b = R.Bottom;
    const int m = t + (b - t) / 2;
    if (GlowColor != clNone) {
        // the glow: bands fading from the key's edge outwards
        for (int i = 8; i >= 1; --i) {
            const TColor c = BlendColor(GlowColor, Canvas->Brush->Color == clNone ? TColor(0xFFFFFF) : TColor(0xFFFFFF),
                                        (9 - i) * 50 / 9);
            Canvas->Brush->Style = bsClear;
            Canvas->Pen->Color = c;
            Canvas->RoundRect(l - i, t - i, r + i, b + i, 6, 6);
        }
    }
    DrawGradient(Canvas, Color, ColorTo, 32, TRect(l, m, r + 1, b + 1), false);
    // the upper half: the colour under a shine that fades towards the middle
    DrawGradient(Canvas, BlendColor(ShineColor, Color, 63), BlendColor(ShineColor, Color, 35), 16,
                 TRect(l, t, r + 1, m + 1), false);
    Canvas->Pen->Color = 0xFFFFFF;
    Canvas->MoveTo(l, t + 1);
    Canvas->LineTo(r, t + 1);
    Canvas->Pen->Color = InnerLineColor;
    Canvas->MoveTo(l + 1, t + 2);
    Canvas->LineTo(l + 1, b - 2);
    Canvas->LineTo(r - 1, b - 2);
    Canvas->LineTo(r - 1, t + 1);
    Canvas->Brush->Style = bsClear;
    Canvas->Pen->Color = BorderColor;
    Canvas->Rectangle(l, t, r, b - 1);
    if (GlowColor != clNone) {
        Canvas->Pen->Color = BlendColor(GlowColor, BorderColor, 40);
        Canvas->Rectangle(l, t, r, b - 1);
    }
}

// ---------------------------------------------------------------- the panel

TCustomButtonPanel::TCustomButtonPanel(TComponent* AOwner)
    : TCustomControl(AOwner), buttons_(std::make_unique<TButtonItems>(this)),
      appearance_(std::make_unique<TButtonAppearance>())
{
    appearance_->OnChange = [this](TObject*) {
        if (!Calculator)
            Invalidate();
    };
    SetColor(clWhite);
}

void TCustomButtonPanel::SetImages(TCustomImageList* v)
{
    images_ = v;
    LayoutButtons();
}

TRect TCustomButtonPanel::GetButtonArea() const
{
    TRect r = ClientRect();
    return TRect(r.Left + offsetX_, r.Top + offsetY_, r.Right - offsetX_, r.Bottom - offsetY_);
}

TSize TCustomButtonPanel::GetButtonSize()
{
    int iw = 0, ih = 0, cw = 0, ch = 0;
    Canvas()->Font->Assign(Font());
    for (int i = 0; i < buttons_->Count(); ++i) {
        TButtonItem* b = buttons_->Items(i);
        if (images_ && b->ImageIndex >= 0)
            iw = std::max(iw, images_->Width()), ih = std::max(ih, images_->Height());
        RECT r{0, 0, 1000, 500};
        Canvas()->RequiredState();
        DrawText(Canvas()->Handle(), b->Caption.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
        cw = std::max(cw, int(r.right)), ch = std::max(ch, int(r.bottom));
    }
    const int gap = iw > 0 && cw > 0 ? captionGap_ : 0;
    if (ButtonLayout == ilCaptionLeft || ButtonLayout == ilCaptionRight)
        return TSize{2 * keyOffsetX_ + iw + gap + cw, 2 * keyOffsetY_ + std::max(ch, ih)};
    return TSize{std::max(cw, iw) + 2 * keyOffsetX_, 2 * keyOffsetY_ + ih + gap + ch};
}

void TCustomButtonPanel::ClearButtons() { buttons_->Clear(); }

void TCustomButtonPanel::ResetButtons()
{
    ClearButtons();
    CreateDefaultButtons();
}

void TCustomButtonPanel::CreateDefaultButtons()
{
    if (buttons_->Count() > 0)
        return;
    struct Key {
        const char* caption;
        const char* name;
        int tag;
        bool special;
    };
    static const Key keys[] = {
        {"", "BTN_ON", 30, false},       {"Back", "BTN_BACK", 31, true}, {"CE", "BTN_CE", 32, true},
        {"C", "BTN_C", 16, true},        {"MC", "BTN_MC", 33, true},     {"MR", "BTN_MR", 34, true},
        {"MS", "BTN_MS", 35, true},      {"M+", "BTN_M+", 36, true},     {"0", "BTN_0", 0, false},
        {"1", "BTN_1", 1, false},        {"4", "BTN_4", 4, false},       {"7", "BTN_7", 7, false},
        {"8", "BTN_8", 8, false},        {"5", "BTN_5", 5, false},       {"2", "BTN_2", 2, false},
        {"+/-", "BTN_+/-", 14, false},   {".", "BTN_.", 15, false},      {"3", "BTN_3", 3, false},
        {"6", "BTN_6", 6, false},        {"9", "BTN_9", 9, false},       {"/", "BTN_/", 13, true},
        {"*", "BTN_*", 12, true},        {"-", "BTN_-", 11, true},       {"+", "BTN_+", 10, true},
        {"=", "BTN_=", 17, true},        {"1/x", "BTN_1/x", 38, false},  {"%", "BTN_%", 18, false},
        {"sqrt", "BTN_sqrt", 37, true},
    };
    for (const Key& k : keys) {
        TButtonItem* b = buttons_->Add();
        b->Caption = k.caption;
        b->Name = k.name;
        b->Tag = k.tag;
        b->Special = k.special;
        if (k.special)
            b->CaptionColor = 128;
    }
    LayoutButtons();
}

void TCustomButtonPanel::LayoutButtons()
{
    if (buttons_->Count() < 28)
        return;
    const TRect a = GetButtonArea();
    const int s = 4;
    const int W = (a.Width() - 8) / 6, H = (a.Height() - 4) / 5;
    const int x0 = a.Left, y0 = a.Top, y1 = y0 + H + s;
    auto place = [&](int index, int left, int top, int w, int h) {
        TButtonItem* b = buttons_->Items(index);
        b->Left = left, b->Top = top, b->Width = w, b->Height = h;
    };
    place(0, x0, y0, W, H);
    const int x1 = x0 + W + s, x2 = x1 + W - 1, x3 = x2 + W - 1, x4 = x3 + W + s, x5 = x4 + W - 1;
    const int columns[6][4] = {{4, 5, 6, 7}, {11, 10, 9, 8}, {12, 13, 14, 15},
                               {19, 18, 17, 16}, {20, 21, 22, 23}, {27, 26, 25, 24}};
    const int xs[6] = {x0, x1, x2, x3, x4, x5};
    for (int c = 0; c < 6; ++c)
        for (int row = 0; row < 4; ++row)
            place(columns[c][row], xs[c], y1 + row * (H - 1), W, H);
    const int right = x5 + W, xa = x0 + W + s, w3 = (right - xa - 8) / 3;
    place(1, xa, y0, w3, H);
    place(2, xa + w3 + s, y0, w3, H);
    const int left3 = xa + 2 * (w3 + s);
    place(3, left3, y0, right - left3, H);
}

int TCustomButtonPanel::ButtonAtPos(int x, int y) const
{
    for (int i = 0; i < buttons_->Count(); ++i) {
        const TRect r = buttons_->Items(i)->Rect();
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom)
            return i;
    }
    return -1;
}

void TCustomButtonPanel::Paint()
{
    TCanvas* c = Canvas();
    c->Brush->Style = bsSolid;
    c->Brush->Color = Color();
    c->FillRect(ClientRect());
    if (!Calculator) {
        c->Brush->Style = bsClear;
        c->Pen->Color = clBlack;
        c->Rectangle(ClientRect());
    }
    for (int i = 0; i < buttons_->Count(); ++i)
        if (i != hot_)
            DrawButton(i, c);
    if (hot_ >= 0)
        DrawButton(hot_, c);
}

void TCustomButtonPanel::DrawButton(int Index, TCanvas* c)
{
    if (Index < 0 || Index >= buttons_->Count())
        return;
    TButtonItem* b = buttons_->Items(Index);
    const TRect r = b->Rect();
    if (r.Left < 0 || r.Top < 0 || b->Width <= 0)
        return;
    TButtonAppearance* a = appearance_.get();
    TColor border = a->BorderColor, from = a->Color, to = a->ColorTo, glow = clNone;
    if (Index == pressed_)
        border = a->BorderColorDown, from = a->ColorDown, to = a->ColorDownTo, glow = a->GlowColorDown;
    else if (Index == hot_)
        border = a->BorderColorHot, from = a->ColorHot, to = a->ColorHotTo, glow = a->GlowColorHot;
    c->Brush->Color = Color();
    DrawGlossyButton(c, r, border, Rgb(199, 224, 231), from, to, glow, a->ShineColor);
    c->Font->Assign(a->Font());
    c->Font->Color = b->Special ? a->SpecialTextColor : a->TextColor;
    c->Brush->Style = bsClear;
    TRect content(r.Left + keyOffsetX_, r.Top + keyOffsetY_, r.Right - keyOffsetX_, r.Bottom - keyOffsetY_);
    int iw = 0;
    if (images_ && b->ImageIndex >= 0) {
        iw = images_->Width();
        images_->Draw(c, content.Left, content.Top + (content.Height() - images_->Height()) / 2, b->ImageIndex,
                      b->Enabled);
    }
    if (!b->Caption.empty()) {
        RECT tr = iw > 0 ? RECT{content.Left + iw, content.Top, content.Right, content.Bottom} : RECT(r);
        c->RequiredState();
        DrawText(c->Handle(), b->Caption.c_str(), -1, &tr,
                 DT_SINGLELINE | DT_VCENTER | (iw > 0 ? DT_LEFT : DT_CENTER));
    }
}

void TCustomButtonPanel::InvalidateButton(int Index)
{
    if (Index < 0 || Index >= buttons_->Count())
        return;
    TRect r = buttons_->Items(Index)->Rect();
    RECT rr{r.Left - 8, r.Top - 8, r.Right + 8, r.Bottom + 8};
    InvalidateRect(Handle(), &rr, TRUE);
}

void TCustomButtonPanel::DoButtonClick(int Index)
{
    if (OnButtonClick)
        OnButtonClick(this, Index);
}

void TCustomButtonPanel::SetHot(int index)
{
    if (index == hot_ || (index >= 0 && !buttons_->Items(index)->Enabled))
        return;
    const int old = hot_;
    hot_ = index;
    InvalidateButton(old);
    if (index >= 0)
        InvalidateButton(index);
}

void TCustomButtonPanel::SetPressed(int index)
{
    if (index == pressed_ || (index >= 0 && !buttons_->Items(index)->Enabled))
        return;
    const int old = pressed_;
    pressed_ = index;
    InvalidateButton(old);
    if (index >= 0)
        InvalidateButton(index);
}

void TCustomButtonPanel::MouseDown(TMouseButton b, TShiftState s, int x, int y)
{
    TCustomControl::MouseDown(b, s, x, y);
    const int i = ButtonAtPos(x, y);
    if (i >= 0 && buttons_->Items(i)->Enabled)
        SetPressed(i);
}

void TCustomButtonPanel::MouseMove(TShiftState s, int x, int y)
{
    TCustomControl::MouseMove(s, x, y);
    const int i = ButtonAtPos(x, y);
    if (i < 0 || !buttons_->Items(i)->Enabled)
        SetHot(-1);
    else
        SetHot(i);
}

void TCustomButtonPanel::MouseUp(TMouseButton b, TShiftState s, int x, int y)
{
    TCustomControl::MouseUp(b, s, x, y);
    if (pressed_ < 0)
        return;
    const int was = pressed_;
    SetPressed(-1);
    if (ButtonAtPos(x, y) == was)
        DoButtonClick(was);
}

void TCustomButtonPanel::Dispatch(TMessage& m)
{
    TCustomControl::Dispatch(m);
    if (m.Msg == CM_MOUSELEAVE)
        SetHot(-1);
    else if (m.Msg == WM_SIZE)
        LayoutButtons();
}

// ---------------------------------------------------------------- the calculator drop-down

TPlusCalculatorDropdown::TPlusCalculatorDropdown(TComponent* AOwner)
    : TPlusCustomDropDown(AOwner), calcAppearance_(std::make_unique<TButtonAppearance>())
{
    DropDownColor = 0xFFFFFF;
    SetDropDownWidth(230);
    DropDownHeader()->SetVisible(false);
    DropDownFooter()->SetVisible(false);
    SetEditRule(erFloat);
    SetPrecision(2);
    CreateDropDownForm();
    ApplyColorStyle(4);
}

void TPlusCalculatorDropdown::CreateDropDownForm()
{
    TPlusCustomDropDown::CreateDropDownForm();
    if (!form_ || panel_)
        return;
    panel_ = new TCustomButtonPanel(this);
    panel_->SetParent(form_);
    panel_->SetTakesFocus(false); // keys go to the pop-up, which hands them to the calculator
    panel_->Calculator = this;
    panel_->SetHeight(150);
    panel_->CreateDefaultButtons();
    SetDropDownControl(panel_);
    panel_->OnButtonClick = [this](TObject*, int index) { CalcButtonClick(index); };
}

void TPlusCalculatorDropdown::BeforeDropDown()
{
    TPlusCustomDropDown::BeforeDropDown();
    form_->DeactivateCancels = false;
    panel_->ButtonAppearance()->Assign(calcAppearance_.get());
    panel_->SetColor(DropDownColor);
    panel_->SetWidth(DropDownWidth() > 0 ? DropDownWidth() : Width());
    panel_->LayoutButtons();
    newValue_ = true;
    divisor_ = 0;
    closed_ = false;
}

void TPlusCalculatorDropdown::ApplyColorStyle(uint8_t Style)
{
    TPlusCustomDropDown::ApplyColorStyle(Style);
    if (!calcAppearance_)
        return;
    TPlusButtonAppearance* s = ButtonAppearance();
    TButtonAppearance* a = calcAppearance_.get();
    a->BorderColor = s->BorderColor == clNone ? TColor(0x808080) : s->BorderColor;
    a->BorderColorHot = s->BorderColorHot;
    a->BorderColorDown = s->BorderColorDown;
    a->Color = s->Color;
    a->ColorTo = s->ColorTo;
    a->ColorDown = s->ColorDown;
    a->ColorDownTo = s->ColorDownTo;
    a->ColorHot = s->ColorHot;
    a->ColorHotTo = s->ColorHotTo;
    a->ColorDisabled = s->ColorDisabled;
    a->ColorDisabledTo = s->ColorDisabledTo;
    a->BorderColorChecked = s->BorderColorDisabled;
    a->ColorChecked = s->ColorDisabledTo;
    a->ColorCheckedTo = s->ColorHotTo;
    if (Style >= 13 && Style <= 15)
        a->GlowColorDown = a->GlowColorHot = s->ColorHot;
    else {
        a->GlowColorDown = Rgb(68, 194, 213);
        a->GlowColorHot = s->ColorDownTo;
    }
    a->Changed();
}

void TPlusCalculatorDropdown::SetShowThousandSeparator(bool v)
{
    if (v == showThousands_)
        return;
    showThousands_ = v;
    const double x = GetFloatValue();
    SetEditRule(v ? erMoney : erFloat);
    SetFloatValue(x);
}

double TPlusCalculatorDropdown::DisplayNumber() const
{
    // a display that is no number raises the conversion error
    return StrToFloat(StripThousandSeparators(GetText()));
}

bool TPlusCalculatorDropdown::DisplayIsZero() const
{
    const String t = GetText();
    if (t == "0")
        return true;
    double x = 0;
    return !t.empty() && t != kError && TryStrToFloat(StripThousandSeparators(t), x) && x == 0 &&
           t.find('-') == String::npos;
}

bool TPlusCalculatorDropdown::DisplayFull() const
{
    return MaxLength() > 0 && int(GetText().size()) >= MaxLength();
}

void TPlusCalculatorDropdown::ApplyPendingOperation()
{
    if (GetText().empty() || GetText() == kError)
        SetText("0");
    const long double a = DisplayNumber();
    long double r = running_;
    switch (pending_) {
    case 0: r = running_ + a; break;
    case 1: r = running_ * a; break;
    case 2: r = running_ - a; break;
    case 3:
        if (a == 0) {
            running_ = 0;
            SetText(kError);
            newValue_ = true;
            return;
        }
        r = running_ / a;
        break;
    default: r = a; break;
    }
    // an overflow is an error as well: no infinite value is ever shown or kept
    if (!std::isfinite(double(r))) {
        running_ = 0;
        SetText(kError);
        newValue_ = true;
        return;
    }
    running_ = r;
    SetFloatValue(double(running_));
    newValue_ = true;
}

void TPlusCalculatorDropdown::Operator(int op)
{
    ApplyPendingOperation();
    pending_ = op;
}

void TPlusCalculatorDropdown::CompleteCalculation()
{
    ApplyPendingOperation();
    if (GetText().empty())
        SetText("0");
    pending_ = -1;
    if (GetText() != kError)
        running_ = DisplayNumber();
}

void TPlusCalculatorDropdown::Percent()
{
    if (GetText().empty() || GetText() == kError)
        SetText("0");
    const long double x = DisplayNumber();
    const double p = double(running_ * x / 100);
    if (!std::isfinite(p)) {
        SetText(kError);
        return;
    }
    SetText(::Format("%g", {p}));
}

void TPlusCalculatorDropdown::CalcButtonClick(int Index)
{
    if (!panel_ || Index < 0 || Index >= panel_->Buttons()->Count())
        return;
    PressKey(panel_->Buttons()->Items(Index)->Tag);
}

void TPlusCalculatorDropdown::PressKey(int code)
{
    BeforeCalculatorInput();
    if ((code >= 10 && code <= 14) || (code >= 16 && code <= 18))
        divisor_ = 0;
    if ((code <= 9 || code == 14 || code == 15) && DisplayFull())
        return;
    if (code >= 0 && code <= 9) {
        const double v = GetFloatValue();
        if ((v == 0 && divisor_ == 0) || newValue_) {
            SetText(IntToStr(code));
            newValue_ = false;
        } else if (divisor_ == 0) {
            SetFloatValue(v * 10 + code);
        } else {
            SetFloatValue(v + double(code) / divisor_);
            if (divisor_ < 1000000000)
                divisor_ *= 10;
        }
    } else {
        switch (code) {
        case 10: Operator(0); break;
        case 11: Operator(2); break;
        case 12: Operator(1); break;
        case 13: Operator(3); break;
        case 14: {
            String t = GetText();
            if (t.find('-') != String::npos)
                t.erase(0, 1);
            else
                t = "-" + t;
            SetText(t);
            break;
        }
        case 15:
            if (GetText().find(CalcDecimalSep()) == String::npos)
                SetText(GetText() + CalcDecimalSep());
            divisor_ = 10;
            if (newValue_)
                SetText("0");
            newValue_ = false;
            break;
        case 16:
        case 30:
        case 32:
            SetText("0");
            running_ = 0;
            pending_ = -1;
            break;
        case 17: CompleteCalculation(); break;
        case 18: Percent(); break;
        case 31:
            if (pending_ == -1) {
                String t = FloatToStr(GetFloatValue());
                if (!t.empty())
                    t.pop_back();
                SetText(t);
            }
            break;
        case 33: memory_ = 0; break;
        case 34: SetFloatValue(double(memory_)); break;
        case 35: memory_ = DisplayNumber(); break;
        case 36: memory_ = DisplayNumber() + memory_; break;
        case 37:
            if (GetFloatValue() >= 0)
                SetFloatValue(std::sqrt(GetFloatValue()));
            else
                SetText(kError);
            break;
        case 38:
            if (GetFloatValue() != 0 && std::isfinite(1 / GetFloatValue()))
                SetFloatValue(1 / GetFloatValue());
            else
                SetText(kError);
            break;
        default: break;
        }
    }
    SetValueModified(true);
}

void TPlusCalculatorDropdown::KeyPress(char& Key)
{
    if (closed_ || (form_ && !form_->Visible())) {
        switch (Key) {
        case '\r':
        case '=': CompleteCalculation(); break;
        case '%': Percent(); break;
        case '*': Operator(1); break;
        case '+': Operator(0); break;
        case '-': Operator(2); break;
        case '/': Operator(3); break;
        case 'C':
        case 'c':
            SetText("0");
            newValue_ = true;
            pending_ = -1;
            break;
        default: break;
        }
    }
    const bool digit = Key >= '0' && Key <= '9';
    if (!(Key == '\b' || Key == '-' || digit || Key == CalcDecimalSep())) {
        Key = 0;
        return;
    }
    if ((DisplayIsZero() || newValue_) && digit) {
        SetText(String(1, Key));
        Key = 0;
        SetSelStart(int(TextPrefix().size()) + 1);
        SetSelLength(0);
        newValue_ = false;
        return;
    }
    if (Key == '\b' && GetText().size() == 1) {
        SetText("0");
        Key = 0;
        SetSelStart(int(TextPrefix().size()) + 1);
        SetSelLength(0);
        return;
    }
    if (Key == CalcThousandSep() || (Key == CalcDecimalSep() && GetText().find(CalcDecimalSep()) != String::npos)) {
        Key = 0;
        return;
    }
    TPlusCustomDropDown::KeyPress(Key);
}

void TPlusCalculatorDropdown::DropDownFormKeyPress(char& Key)
{
    TPlusCustomDropDown::DropDownFormKeyPress(Key);
    BeforeCalculatorInput();
    if (Key == CalcDecimalSep() && GetText().find(CalcDecimalSep()) == String::npos)
        SetText(GetText() + CalcDecimalSep());
    const bool digit = Key >= '0' && Key <= '9';
    if (digit && DisplayFull())
        return;
    switch (Key) {
    case '\r':
        CompleteCalculation();
        HideDropDown(false);
        break;
    case 27: HideDropDown(true); break;
    case '%': Percent(); break;
    case '*': Operator(1); break;
    case '+': Operator(0); break;
    case '-': Operator(2); break;
    case '/': Operator(3); break;
    case '=': CompleteCalculation(); break;
    case 'C':
    case 'c':
        SetText("0");
        running_ = 0;
        newValue_ = true;
        pending_ = -1;
        break;
    default:
        if (digit && (DisplayIsZero() || newValue_))
            newValue_ = false;
        break;
    }
}

void TPlusCalculatorDropdown::DropDownFormKeyDown(WORD& Key, TShiftState Shift)
{
    TPlusCustomDropDown::DropDownFormKeyDown(Key, Shift);
    if (Key == VK_TAB || Key == VK_F4)
        HideDropDown(false);
    else if (Key == VK_BACK) {
        String t = GetText();
        if (!t.empty())
            t.pop_back();
        if (t.empty() || t == kError)
            t = "0";
        SetText(t);
    }
}

void TPlusCalculatorDropdown::Dispatch(TMessage& m)
{
    if (m.Msg == CM_ENTER && AutoSelect && GetKeyState(VK_LBUTTON) >= 0)
        SelectValue();
    TPlusCustomDropDown::Dispatch(m);
    if (m.Msg == WM_KEYDOWN && m.WParam == VK_DELETE && (GetText().empty() || GetText() == kError))
        SetText("0");
}
