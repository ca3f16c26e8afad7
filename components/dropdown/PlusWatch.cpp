#include "components/dropdown/PlusWatch.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;

// nearest integer, halves to even
int RoundEven(double v) { return int(std::nearbyint(v)); }

ARGB ShadowARGB(TColor c)
{
    const uint32_t v = uint32_t(c);
    return ARGBFromBytes(80, v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

void AssignFont(TFont* f, const String& name, int size, TFontStyles style)
{
    f->Name = name;
    f->SetSize(size);
    f->Style = style;
}

void LinePath(TGPGraphics* g, TGPPen* pen, double x1, double y1, double x2, double y2)
{
    TGPGraphicsPath path;
    path.GdipAddPathLine(REAL(x1), REAL(y1), REAL(x2), REAL(y2));
    g->GdipDrawPath(pen, &path);
}
} // namespace

// ---------------------------------------------------------------- drawing helpers

void DrawGdipText(TCanvas* Canvas, TGPGraphics* Graphics, int Alignment, const TRect& InRect, const String& Text,
                  const std::u16string& WideText, TFont* Font, bool Enabled, bool DoDraw, int AntiAlias,
                  TRect& OutRect)
{
    OutRect = TRect(0, 0, 0, 0);
    if ((!Canvas && !Graphics) || (Text.empty() && WideText.empty()))
        return;
    std::unique_ptr<TGPGraphics> own;
    TGPGraphics* g = Graphics;
    if (!g) {
        own = std::make_unique<TGPGraphics>(Canvas->Handle());
        g = own.get();
    }
    std::u16string wide = WideText;
    if (!Text.empty()) {
        wide.clear();
        for (unsigned char ch : Text)
            wide.push_back(char16_t(ch));
    }
    auto family = std::make_unique<TGPFontFamily>(std::u16string(Font->Name.begin(), Font->Name.end()));
    const GpStatus st = family->LastStatus();
    if (st == FontFamilyNotFound || st == FontStyleNotFound)
        family = std::make_unique<TGPFontFamily>(u"Arial");
    int style = 0;
    if (Font->Style.Contains(fsBold))
        style |= 1;
    if (Font->Style.Contains(fsItalic))
        style |= 2;
    if (Font->Style.Contains(fsUnderline))
        style |= 4;
    TGPFont font(family.get(), REAL(Font->Size()), style, UnitPoint);
    g->GdipSetSmoothingMode(SmoothingModeAntiAlias);
    const GpRectF layout = NewGpRectF(REAL(InRect.Left), REAL(InRect.Top), REAL(InRect.Width()),
                                      REAL(InRect.Height()));
    TGPStringFormat format(0, 0);
    format.GdipSetStringFormatAlign(Alignment == 1 ? StringAlignmentFar
                                    : Alignment == 2 ? StringAlignmentCenter
                                                     : StringAlignmentNear);
    format.GdipSetStringFormatLineAlign(StringAlignmentNear);
    format.GdipSetStringFormatHotkeyPrefix(HotkeyPrefixShow);
    format.GdipSetStringFormatTrimming(StringTrimmingNone);
    TGPSolidBrush brush(Enabled ? ColorToARGB(Font->Color) : ColorToARGB(TColor(0x808080)));
    if (AntiAlias == 1)
        g->GdipSetTextRenderingHint(TextRenderingHintClearTypeGridFit);
    else if (AntiAlias == 2)
        g->GdipSetTextRenderingHint(TextRenderingHintAntiAlias);
    const bool gdip = AntiAlias != 0 || !Canvas;
    if (gdip) {
        GpRectF box{};
        g->GdipMeasureString(wide, -1, &font, layout, &format, box);
        OutRect = TRect(RoundEven(box.X), RoundEven(box.Y), RoundEven(box.X + box.Width),
                        RoundEven(box.Y + box.Height));
    } else {
        Canvas->Font->Assign(Font);
        RECT r{RoundEven(layout.X), RoundEven(layout.Y), RoundEven(layout.X) + 2, RoundEven(layout.Y)};
        Canvas->RequiredState();
        DrawText(Canvas->Handle(), Text.empty() ? String(wide.begin(), wide.end()) : Text, &r,
                 DT_CALCRECT | DT_WORDBREAK);
        OutRect = TRect(r.left, r.top, r.right, r.bottom);
    }
    if (!DoDraw)
        return;
    if (gdip) {
        g->GdipDrawWideString(wide, -1, &font, layout, &format, &brush);
    } else {
        Canvas->Brush->Style = bsClear;
        Canvas->Font->Color = Enabled ? Font->Color : TColor(0x808080);
        RECT r{RoundEven(layout.X), RoundEven(layout.Y), RoundEven(layout.X + layout.Width),
               RoundEven(layout.Y + layout.Height)};
        Canvas->RequiredState();
        UINT f = DT_SINGLELINE | DT_VCENTER;
        if (Alignment == 1)
            f |= DT_RIGHT;
        else if (Alignment == 2)
            f |= DT_CENTER;
        DrawText(Canvas->Handle(), Text.empty() ? String(wide.begin(), wide.end()) : Text, &r, f);
    }
}

namespace {
void RoundRectFigure(TGPGraphicsPath& path, int X, int Y, int W, int H, int r)
{
    const int d = 2 * r;
    path.GdipAddPathLine(REAL(X + r), REAL(Y), REAL(X + W - d), REAL(Y));
    path.GdipAddPathArc(REAL(X + W - d), REAL(Y), REAL(d), REAL(d), 270, 90);
    path.GdipAddPathLine(REAL(X + W), REAL(Y + r), REAL(X + W), REAL(Y + H - d));
    path.GdipAddPathArc(REAL(X + W - d), REAL(Y + H - d), REAL(d), REAL(d), 0, 90);
    path.GdipAddPathLine(REAL(X + W - d), REAL(Y + H), REAL(X + r), REAL(Y + H));
    path.GdipAddPathArc(REAL(X), REAL(Y + H - d), REAL(d), REAL(d), 90, 90);
    path.GdipAddPathLine(REAL(X), REAL(Y + H - d), REAL(X), REAL(Y + r));
    path.GdipAddPathArc(REAL(X), REAL(Y), REAL(d), REAL(d), 180, 90);
    path.GdipClosePathFigure();
}
} // namespace

void DrawGdipRoundRect(TGPGraphics* Graphics, TGPPen* Pen, int X, int Y, int W, int H, int Radius)
{
    TGPGraphicsPath path;
    RoundRectFigure(path, X, Y, W, H, Radius);
    Graphics->GdipDrawPath(Pen, &path);
}

void FillGdipRoundRect(TGPGraphics* Graphics, TGPBrush* Brush, int X, int Y, int W, int H, int Radius)
{
    TGPGraphicsPath path;
    RoundRectFigure(path, X, Y, W, H, Radius);
    Graphics->GdipFillPath(Brush, &path);
}

TGPGraphicsPath* CreateRoundRectPath(const TRect& R, int Radius)
{
    const REAL X = REAL(R.Left), Y = REAL(R.Top), W = REAL(R.Right), H = REAL(R.Bottom), r = REAL(Radius),
               d = 2 * r;
    auto* path = new TGPGraphicsPath();
    path->GdipAddPathArc(X, Y, d, d, 180, 90);
    path->GdipAddPathLine(X + r, Y, X + W - r, Y);
    path->GdipAddPathArc(X + W - d, Y, d, d, 270, 90);
    path->GdipAddPathLine(X + W, Y + r, X + W, Y + H - r);
    path->GdipAddPathArc(X + W - d, Y + H - d, d, d, 0, 90);
    path->GdipAddPathLine(X + W - r, Y + H, X + r, Y + H);
    path->GdipAddPathArc(X, Y + H - d, d, d, 90, 90);
    path->GdipAddPathLine(X, Y + H - r, X, Y + r);
    path->GdipClosePathFigure();
    return path;
}

TGPGraphicsPath* CreateRectPath(const TRect& R)
{
    const REAL X = REAL(R.Left), Y = REAL(R.Top), W = REAL(R.Right), H = REAL(R.Bottom);
    auto* path = new TGPGraphicsPath();
    path->GdipAddPathLine(X, Y, X + W, Y);
    path->GdipAddPathLine(X + W, Y, X + W, Y + H);
    path->GdipAddPathLine(X + W, Y + H, X, Y + H);
    path->GdipAddPathLine(X, Y + H, X, Y);
    path->GdipClosePathFigure();
    return path;
}

bool PointInEllipse(const TPoint& P, int Left, int Top, int Right, int Bottom)
{
    const double a = (Right - Left) / 2.0, b = (Bottom - Top) / 2.0;
    if (a <= 0 || b <= 0)
        return false;
    // pixel centres against the ellipse through the rectangle's edges
    const double dx = (P.X + 0.5 - (Left + a)) / a, dy = (P.Y + 0.5 - (Top + b)) / b;
    return dx * dx + dy * dy <= 1.0;
}

// ---------------------------------------------------------------- appearance

TWatchAppearance::TWatchAppearance()
{
    ampmFont_ = new TFont();
    hourFont_ = new TFont();
    picture_ = new TPicture();
    SetDefaults();
}

TWatchAppearance::~TWatchAppearance()
{
    delete ampmFont_;
    delete hourFont_;
    delete picture_;
}

void TWatchAppearance::SetDefaults()
{
    delete ampmFont_;
    delete hourFont_;
    delete picture_;
    ampmFont_ = new TFont();
    AssignFont(ampmFont_, "Tahoma", 10, {});
    hourFont_ = new TFont();
    AssignFont(hourFont_, "Tahoma", 8, {});
    picture_ = new TPicture();
    AMPMBorderColor = 0x000000;
    AMPMColor = 0xFFFFFF;
    AMPMFrame_ = apRect;
    BorderColor_ = 0x000000;
    BorderWidth_ = 4;
    BackgroundColor_ = 0xFFFFFF;
    BackgroundColorTo_ = clNone;
    BackgroundGradient_ = wgVertical;
    CenterPointBorderColor_ = clNone;
    CenterPointOuterBorderColor_ = clNone;
    CenterPointColor_ = 0x000000;
    CenterPointSize_ = 4;
    HourColor_ = 0x000000;
    HourMarkLength_ = 0;
    HourMarkWidth_ = 1;
    HourMarkStyle_ = hmsLine;
    HourPointer_ = 0x000000;
    HourPointerShadow_ = clBtnShadow;
    HourPointerSize_ = 4;
    MinuteColor_ = 0x808080;
    MinutePointer_ = 0x000000;
    MinutePointerShadow_ = clBtnShadow;
    MinutePointerSize_ = 3;
    MinuteMarkLength_ = 0;
    MinuteMarkWidth_ = 1;
    PointerStyle_ = psLine;
    SecondPointer_ = 0x0000FF;
    SecondPointerSize_ = 1;
    Shape_ = wsCircle;
    Size_ = 0;
    TickMarks_ = tmAll;
}

void TWatchAppearance::SetAMPMFont(TFont* f)
{
    ampmFont_->Assign(f);
    Changed();
}

void TWatchAppearance::SetHourFont(TFont* f)
{
    hourFont_->Assign(f);
    Changed();
}

void TWatchAppearance::SetPicture(TPicture* p)
{
    picture_->Assign(p);
    Changed();
}

void TWatchAppearance::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TWatchAppearance*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    ampmFont_->Assign(s->ampmFont_);
    hourFont_->Assign(s->hourFont_);
    AMPMBorderColor = s->AMPMBorderColor;
    AMPMColor = s->AMPMColor;
    AMPMFrame_ = s->AMPMFrame_;
    BorderColor_ = s->BorderColor_;
    BorderWidth_ = s->BorderWidth_;
    BackgroundColor_ = s->BackgroundColor_;
    BackgroundColorTo_ = s->BackgroundColorTo_;
    BackgroundGradient_ = s->BackgroundGradient_;
    CenterPointBorderColor_ = s->CenterPointBorderColor_;
    CenterPointColor_ = s->CenterPointColor_;
    CenterPointSize_ = s->CenterPointSize_;
    HourColor_ = s->HourColor_;
    HourMarkLength_ = s->HourMarkLength_;
    HourMarkWidth_ = s->HourMarkWidth_;
    HourPointer_ = s->HourPointer_;
    HourPointerShadow_ = s->HourPointerShadow_;
    HourPointerSize_ = s->HourPointerSize_;
    MinuteColor_ = s->MinuteColor_;
    MinutePointer_ = s->MinutePointer_;
    MinutePointerShadow_ = s->MinutePointerShadow_;
    MinutePointerSize_ = s->MinutePointerSize_;
    MinuteMarkLength_ = s->MinuteMarkLength_;
    MinuteMarkWidth_ = s->MinuteMarkWidth_;
    PointerStyle_ = s->PointerStyle_;
    SecondPointer_ = s->SecondPointer_;
    SecondPointerSize_ = s->SecondPointerSize_;
    Shape_ = s->Shape_;
    Size_ = s->Size_;
    SetPicture(s->picture_);
    SetCenterPointOuterBorderColor(s->CenterPointOuterBorderColor_);
    SetTickMarks(s->TickMarks_);
    SetHourMarkStyle(s->HourMarkStyle_);
}

void TWatchSettings::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TWatchSettings*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    second_ = s->second_;
    TimeOffset_ = s->TimeOffset_;
    SetAuto(s->Auto_);
}

// ---------------------------------------------------------------- the clock

TPlusWatch::TPlusWatch(TComponent* AOwner) : TCustomControl(AOwner)
{
    cache_ = new TBitmap();
    appearance_ = new TWatchAppearance();
    appearance_->OnChange = [this](TObject*) { Invalidate(); };
    settings_ = new TWatchSettings();
    settings_->OnChange = [this](TObject*) { SettingsChanged(); };
    clockTimer_ = new TTimer(this);
    clockTimer_->SetEnabled(false);
    clockTimer_->SetInterval(100);
    clockTimer_->SetOnTimer([this](TObject*) { RepaintHands(); });
    animTimer_ = new TTimer(this);
    animTimer_->SetEnabled(false);
    animTimer_->SetInterval(1);
    animTimer_->SetOnTimer([this](TObject*) { AnimationTimerTick(); });
    SetBounds(Left(), Top(), 180, 180);
    cache_->SetSize(180, 180);
}

TPlusWatch::~TPlusWatch()
{
    // no tick may reach a clock that is going away
    clockTimer_->SetEnabled(false);
    animTimer_->SetEnabled(false);
    delete animTimer_;
    animTimer_ = nullptr;
    delete appearance_;
    delete settings_;
    delete cache_;
    delete clockTimer_;
    clockTimer_ = nullptr;
}

bool TPlusWatch::Quiet() const { return (ComponentState() & (csLoading | csDesigning)) != 0; }

TDateTime TPlusWatch::GetDisplayTime() const
{
    if (settings_->Auto())
        return Now() + settings_->TimeOffset() / 1440.0;
    return time_;
}

namespace {
void SplitTime(TDateTime t, int& h, int& m, int& s, int& ms)
{
    DecodeTime(t - std::floor(t), h, m, s, ms);
}
} // namespace

void TPlusWatch::SetTime(TDateTime Value)
{
    if (Value == time_)
        return;
    SetTimeValue(Value);
    RepaintHands();
}

void TPlusWatch::SetTimeValue(TDateTime Value)
{
    if (Value == time_)
        return;
    time_ = Value;
    int h, m, s, ms;
    SplitTime(Value, h, m, s, ms);
    const bool was = internalSet_;
    internalSet_ = true;
    SetIsAM(h < 12);
    internalSet_ = was;
}

void TPlusWatch::SetIsAM(bool am)
{
    if (isAM_ == am)
        return;
    isAM_ = am;
    // the box switches at once; the face is rebuilt by the next paint
    PaintAll();
}

void TPlusWatch::SetShowAMPM(bool Value)
{
    if (Value == showAMPM_)
        return;
    showAMPM_ = Value;
    Invalidate();
}

void TPlusWatch::SetShowNumbers(bool Value)
{
    if (Value == showNumbers_)
        return;
    showNumbers_ = Value;
    Invalidate();
}

void TPlusWatch::SetHour(int h)
{
    int hh, m, s, ms;
    SplitTime(GetDisplayTime(), hh, m, s, ms);
    if (h == hh)
        return;
    if (animation_ && !internalCall_ && !Quiet()) {
        targetHour_ = h;
        hourAnimating_ = true;
        animTimer_->SetEnabled(true);
        return;
    }
    SetTimeValue(EncodeTime(h, m, s, ms));
    RepaintHands();
    // the end of a walk, or a change that no walk is pursuing, tells the owner
    if ((h == targetHour_ || !animTimer_->Enabled()) && OnChange)
        OnChange(this);
}

void TPlusWatch::SetMinute(int mNew)
{
    int h, m, s, ms;
    SplitTime(GetDisplayTime(), h, m, s, ms);
    if (mNew >= 60 || mNew < 0)
        throw Exception("Invalid time");
    if (mNew == m)
        return;
    if (animation_ && !internalCall_ && !Quiet()) {
        targetMinute_ = mNew;
        hourAnimating_ = false;
        minuteFrom_ = m;
        animTimer_->SetEnabled(true);
        return;
    }
    if (!animation_)
        minuteFrom_ = m;
    if (mNew == 0 && minuteFrom_ > 30) {
        h = h == 23 ? 0 : h + 1;
        minuteFrom_ = 0;
    }
    SetTimeValue(EncodeTime(h, mNew, s, ms));
    RepaintHands();
    if ((mNew == targetMinute_ || !animTimer_->Enabled()) && OnChange)
        OnChange(this);
}

void TPlusWatch::AnimationTimerTick()
{
    if (!animation_ || Quiet())
        return;
    int h, m, s, ms;
    SplitTime(GetDisplayTime(), h, m, s, ms);
    const bool was = internalCall_;
    internalCall_ = true;
    struct Restore {
        bool& flag;
        bool value;
        ~Restore() { flag = value; }
    } restore{internalCall_, was};
    if (hourAnimating_) {
        const int step = std::max(1, int(uint8_t(RoundEven(std::abs(targetHour_ - h) / double(animationFactor_)))));
        if (std::abs(h - targetHour_) < 1) {
            animTimer_->SetEnabled(false);
            SetHour(targetHour_);
        } else {
            SetHour(h < targetHour_ ? h + step : h - step);
        }
        return;
    }
    const int distance = (targetMinute_ == 0 && m > 30) ? std::abs(60 - m) : std::abs(targetMinute_ - m);
    const int step = std::max(1, int(uint8_t(RoundEven(distance / double(animationFactor_)))));
    if (std::abs(m - targetMinute_) < 1) {
        animTimer_->SetEnabled(false);
        SetMinute(targetMinute_);
        return;
    }
    int v = m;
    if (v < targetMinute_ || (targetMinute_ == 0 && v > 30))
        v += step;
    else
        v -= step;
    if (v >= 60)
        v = 0;
    SetMinute(v);
}

int TPlusWatch::PointToMinute(int X, int Y)
{
    const TPoint c = GetCenter();
    int dy = std::abs(c.Y - Y), dx = std::abs(c.X - X);
    if (dy == 0)
        dy = 1;
    if (dx == 0)
        dx = 1;
    int m = RoundEven(std::atan(double(dy) / dx) * 180.0 / kPi / 6.0);
    if (X >= c.X && Y >= c.Y)
        m += 15;
    else if (X <= c.X && Y >= c.Y)
        m = 45 - m;
    else if (X <= c.X && Y <= c.Y)
        m += 45;
    else
        m = 15 - m;
    return (m < 0 || m > 59) ? 0 : m;
}

int TPlusWatch::PointToHour(int X, int Y)
{
    const int p = RoundEven(PointToMinute(X, Y) / 5.0);
    if (p == 0 || p == 12)
        return isAM_ ? 0 : 12;
    return isAM_ ? p : p + 12;
}

void TPlusWatch::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (settings_->Auto())
        return;
    const TRect r = GetFaceRect();
    if (!PointInEllipse(TPoint(X, Y), r.Left, r.Top, r.Right, r.Bottom)) {
        SetMinute(PointToMinute(X, Y));
        return;
    }
    const TRect b = GetAMPMRect();
    if (showAMPM_ && X >= b.Left && X < b.Right && Y >= b.Top && Y < b.Bottom) {
        if (animation_)
            SetIsAM(!isAM_);
        int h, m, s, ms;
        SplitTime(time_, h, m, s, ms);
        targetHour_ = h < 12 ? h + 12 : h - 12;
        const bool was = internalCall_;
        internalCall_ = true;
        SetHour(targetHour_);
        internalCall_ = was;
        return;
    }
    SetHour(PointToHour(X, Y));
}

void TPlusWatch::HandleKey(WORD Key)
{
    if (settings_->Auto())
        return;
    int h, m, s, ms;
    SplitTime(GetDisplayTime(), h, m, s, ms);
    auto internal = [this](auto f) {
        const bool was = internalCall_;
        internalCall_ = true;
        f();
        internalCall_ = was;
    };
    switch (Key) {
    case 'A':
        if (h > 11)
            SetHour(h - 12);
        break;
    case 'P':
        if (h < 12)
            SetHour(h + 12);
        break;
    case VK_PRIOR:
        if (h < 23)
            SetHour(h + 1);
        else
            internal([&] { SetHour(0); });
        break;
    case VK_NEXT:
        if (h > 0)
            SetHour(h - 1);
        else
            internal([&] { SetHour(23); });
        break;
    case VK_HOME: internal([&] { SetHour(12); }); break;
    case VK_END: SetMinute(0); break;
    case VK_LEFT:
        if (m > 0)
            SetMinute(m - 1);
        else
            SetTime(EncodeTime(h == 0 ? 23 : h - 1, 59, s, ms));
        break;
    case VK_RIGHT:
        if (m < 59)
            SetMinute(m + 1);
        else
            SetMinute(0);
        break;
    default: break;
    }
}

void TPlusWatch::SettingsChanged()
{
    UpdateClockTimer();
    if (settings_->Auto()) {
        SetTime(Now());
        int h, m, s, ms;
        SplitTime(Now(), h, m, s, ms);
        const bool was = internalSet_;
        internalSet_ = true;
        SetIsAM(h < 12);
        internalSet_ = was;
    }
    Invalidate();
}

void TPlusWatch::UpdateClockTimer()
{
    // the hands move only for a clock in automatic mode that is on screen
    if (clockTimer_)
        clockTimer_->SetEnabled(settings_->Auto() && Showing());
}

void TPlusWatch::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETDLGCODE: Message.Result = TabStop ? (DLGC_WANTARROWS | DLGC_WANTALLKEYS) : 0; return;
    case WM_SETCURSOR:
        TCustomControl::WndProc(Message);
        if (!(ComponentState() & csDesigning)) {
            POINT sp{};
            GetCursorPos(&sp);
            const TPoint p = ScreenToClient(TPoint(sp.x, sp.y));
            const TRect b = GetAMPMRect();
            SetCursor(showAMPM_ && p.X >= b.Left && p.X < b.Right && p.Y >= b.Top && p.Y < b.Bottom ? crHandPoint
                                                                                                : crDefault);
        }
        return;
    default: break;
    }
    TCustomControl::WndProc(Message);
    if (Message.Msg == CM_SHOWINGCHANGED || Message.Msg == CM_VISIBLECHANGED)
        UpdateClockTimer();
}

// ---------------------------------------------------------------- geometry

TRect TPlusWatch::GetFaceRect()
{
    const TRect cr = ClientRect();
    const int w = cr.Width(), h = cr.Height();
    int s = appearance_->Size();
    if (s > 0)
        s = std::min(s, std::min(w, h));
    else
        s = std::min(w, h) - 20;
    const int left = cr.Left + (w - s) / 2, top = cr.Top + (h - s) / 2;
    return TRect(left, top, left + s, top + s);
}

TPoint TPlusWatch::GetCenter()
{
    const TRect r = GetFaceRect();
    return TPoint(r.Left + (r.Right - r.Left) / 2, r.Top + (r.Bottom - r.Top) / 2);
}

double TPlusWatch::GetFaceRadius()
{
    const TRect r = GetFaceRect();
    return double((r.Right - r.Left) / 2);
}

TRect TPlusWatch::GetAMPMRect()
{
    if (!showAMPM_)
        return TRect(-1, -1, -1, -1);
    Canvas()->Font->Assign(appearance_->AMPMFont());
    RECT t{0, 0, 200, 200};
    Canvas()->RequiredState();
    DrawText(Canvas()->Handle(), String("AM"), &t, DT_CALCRECT);
    const int tw = t.right - t.left, th = t.bottom - t.top;
    const TPoint c = GetCenter();
    const double R = GetFaceRadius();
    const int left = c.X - (tw + 8) / 2, top = c.Y + RoundEven((R - th) / 3.0);
    return TRect(left, top, left + tw + 8, top + th);
}

// ---------------------------------------------------------------- painting

void TPlusWatch::Paint()
{
    TCustomControl::Paint();
    PaintAll();
}

void TPlusWatch::PaintAll()
{
    const TRect cr = ClientRect();
    cache_->SetSize(cr.Width(), cr.Height());
    TCanvas* cc = cache_->Canvas();
    cc->Brush->Style = bsSolid;
    cc->Brush->Color = Color();
    cc->FillRect(cr);
    {
        TGPGraphics g(cc->Handle());
        g.GdipSetSmoothingMode(SmoothingModeAntiAlias);
        DrawFace(&g, cc, cr);
        DrawMarks(&g, cc);
        DrawNumbers(&g, cc);
        DrawAMPM(&g, cc);
    }
    Canvas()->Draw(0, 0, cache_);
    TGPGraphics g(Canvas()->Handle());
    g.GdipSetSmoothingMode(SmoothingModeAntiAlias);
    DrawHands(&g, nullptr);
}

void TPlusWatch::RepaintHands()
{
    // hands go over the face at the next paint; painting happens only inside a paint cycle here
    Invalidate();
}

void TPlusWatch::DrawFace(TGPGraphics* g, TCanvas* c, const TRect& r)
{
    if (!g)
        return;
    TWatchAppearance* a = appearance_;
    const TColor c1 = a->BackgroundColor();
    const TColor c2 = a->BackgroundColorTo() == clNone ? c1 : a->BackgroundColorTo();
    const TPoint cp = GetCenter();
    const REAL R = REAL(GetFaceRadius());
    const REAL L = REAL(r.Left), T = REAL(r.Top), W = REAL(r.Width()), H = REAL(r.Height());
    TGraphic* pic = a->Picture()->Graphic();
    if (pic && !pic->Empty()) {
        if (c)
            c->StretchDraw(r, pic);
    } else if (a->BackgroundGradient() == wgRadial) {
        std::unique_ptr<TGPGraphicsPath> path;
        if (a->Shape() == wsCircle) {
            path = std::make_unique<TGPGraphicsPath>();
            path->GdipAddPathEllipse(cp.X - R, cp.Y - R, 2 * R, 2 * R);
        } else if (a->Shape() == wsRect) {
            path.reset(CreateRectPath(TRect(r.Left, r.Top, r.Width(), r.Height())));
        } else {
            path.reset(CreateRoundRectPath(TRect(r.Left, r.Top, r.Width(), r.Height()), 8));
        }
        TGPPathGradientBrush brush(path.get());
        brush.GdipSetPathGradientCenterColor(ColorToARGB(c1));
        brush.GdipSetPathGradientCenterPointI(NewGpPoint(cp.X, cp.Y));
        const uint32_t v = uint32_t(c2);
        ARGB surround = ARGBFromBytes(255, v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
        int count = 1;
        brush.GdipSetPathGradientSurroundColorsWithCount(&surround, count);
        if (a->Shape() == wsCircle)
            g->GdipFillEllipse(&brush, cp.X - R, cp.Y - R, 2 * R, 2 * R);
        else
            g->GdipFillPath(&brush, path.get());
    } else {
        const LinearGradientMode mode = a->BackgroundGradient() == wgVertical ? LinearGradientModeVertical
                                        : a->BackgroundGradient() == wgDiagonalForward
                                            ? LinearGradientModeForwardDiagonal
                                            : LinearGradientModeBackwardDiagonal;
        TGPLinearGradientBrush brush(NewGpRectF(L, T, W, H), ColorToARGB(c1), ColorToARGB(c2), mode);
        if (a->Shape() == wsCircle)
            g->GdipFillEllipse(&brush, cp.X - R, cp.Y - R, 2 * R, 2 * R);
        else if (a->Shape() == wsRect)
            g->GdipFillRectangle(&brush, L, T, W, H);
        else
            FillGdipRoundRect(g, &brush, r.Left, r.Top, r.Width(), r.Height(), 8);
    }
    if (a->BorderWidth() >= 1 && a->BorderColor() != clNone) {
        TGPPen pen(ColorToARGB(a->BorderColor()), REAL(a->BorderWidth()));
        if (a->Shape() == wsCircle)
            g->GdipDrawEllipse(&pen, cp.X - R, cp.Y - R, 2 * R, 2 * R);
        else if (a->Shape() == wsRect)
            g->GdipDrawRectangle(&pen, L, T, W - 1, H - 1);
        else
            DrawGdipRoundRect(g, &pen, r.Left, r.Top, r.Width() - 1, r.Height() - 1, 8);
    }
}

void TPlusWatch::DrawMarks(TGPGraphics* g, TCanvas*)
{
    TWatchAppearance* a = appearance_;
    if (!g || a->TickMarks() == tmNone)
        return;
    const TPoint cp = GetCenter();
    const double R = GetFaceRadius();
    const double Ro = R - a->BorderWidth() / 2;
    const double Ri = Ro - a->HourMarkLength() > 0 && a->HourMarkLength() > 0 ? Ro - a->HourMarkLength() : 0.9 * Ro;
    auto line = [&](TGPPen* pen, double deg, double from, double to, double ox, double oy) {
        const double rad = deg * kPi / 180;
        LinePath(g, pen, cp.X + std::cos(rad) * from + ox, cp.Y + std::sin(rad) * from + oy,
                 cp.X + std::cos(rad) * to + ox, cp.Y + std::sin(rad) * to + oy);
    };
    TGPPen hourPen(ColorToARGB(a->HourColor()), REAL(a->HourMarkWidth()));
    for (int k = 0; k < 4; ++k) {
        if (a->HourMarkStyle() == hmsLine) {
            line(&hourPen, 90.0 * k, Ri, Ro, 0, 0);
        } else if (k % 2 == 0) {
            line(&hourPen, 90.0 * k, Ri, Ro, 0, -2);
            line(&hourPen, 90.0 * k, Ri, Ro, 0, 2);
        } else {
            line(&hourPen, 90.0 * k, Ri, Ro, -2, 0);
            line(&hourPen, 90.0 * k, Ri, Ro, 2, 0);
        }
    }
    if (a->TickMarks() == tmAll || a->TickMarks() == tmHours)
        for (int k = 0; k < 12; ++k)
            if (k % 3 != 0)
                line(&hourPen, 30.0 * k, Ri, Ro, 0, 0);
    if (a->TickMarks() != tmAll)
        return;
    const double Rm = Ro - a->MinuteMarkLength() > 0 && a->MinuteMarkLength() > 0 ? Ro - a->MinuteMarkLength()
                                                                                  : 0.95 * Ro;
    TGPPen minutePen(ColorToARGB(a->MinuteColor()), REAL(a->MinuteMarkWidth()));
    for (int k = 0; k < 60; ++k)
        if (k % 5 != 0)
            line(&minutePen, 6.0 * k, Rm, Ro, 0, 0);
}

void TPlusWatch::DrawNumbers(TGPGraphics* g, TCanvas* c)
{
    TWatchAppearance* a = appearance_;
    if (!g || !c || !showNumbers_ || a->TickMarks() == tmNone || a->TickMarks() == tmHours)
        return;
    const TPoint cp = GetCenter();
    const double R = GetFaceRadius();
    const double Rb = R - a->BorderWidth() / 2;
    const int L = a->HourMarkLength() > 0 ? a->HourMarkLength() : RoundEven(Rb - 0.9 * Rb) + 2;
    const double Rn = Rb - (L + 2) - L;
    c->Font->Assign(a->HourFont());
    Canvas()->Font->Assign(a->HourFont());
    c->Brush->Style = bsClear;
    for (int n = 1; n <= 12; ++n) {
        if (a->TickMarks() == tmQuartHours && n % 3 != 0)
            continue;
        const String text = IntToStr(n);
        const TSize ts = GetTextSize(Canvas(), text);
        const int j = n == 10 ? RoundEven(ts.cy * 0.2) : n == 11 ? RoundEven(ts.cy * 0.15) : 0;
        const double d = Rn - j + L / 2;
        const double rad = 30.0 * n * kPi / 180;
        const int px = cp.X + 1 + RoundEven(std::sin(rad) * d), py = cp.Y + 1 - RoundEven(std::cos(rad) * d);
        c->TextOut(px - ts.cx / 2 - 1, py - ts.cy / 2 - 1, text);
    }
}

void TPlusWatch::DrawAMPM(TGPGraphics* g, TCanvas* c)
{
    TWatchAppearance* a = appearance_;
    if (!g || !c || !showAMPM_)
        return;
    const TRect b = GetAMPMRect();
    const String text = isAM_ ? "AM" : "PM";
    if (a->AMPMColor == clNone) {
        c->Brush->Style = bsClear;
    } else {
        c->Brush->Style = bsSolid;
        c->Brush->Color = a->AMPMColor;
    }
    if (a->AMPMBorderColor == clNone) {
        c->Pen->Style = psClear;
    } else {
        c->Pen->Style = psSolid;
        c->Pen->Color = a->AMPMBorderColor;
    }
    c->Pen->Width = 1;
    if (a->AMPMColor != clNone || a->AMPMBorderColor != clNone) {
        if (a->AMPMFrame() == apRect)
            c->Rectangle(b);
        else
            c->RoundRect(b.Left, b.Top, b.Right, b.Bottom, 5, 5);
    }
    c->Pen->Style = psSolid;
    c->Brush->Style = bsClear;
    TRect out;
    DrawGdipText(c, g, 2, b, text, u"", a->AMPMFont(), true, true, 2, out);
}

void TPlusWatch::DrawHands(TGPGraphics* g, TCanvas*)
{
    if (!g)
        return;
    TWatchAppearance* a = appearance_;
    int h, m, s, ms;
    SplitTime(GetDisplayTime(), h, m, s, ms);
    if (settings_->Auto() && isAM_ != (h < 12)) {
        // the box is part of the face: the next paint shows the new half of the day
        isAM_ = h < 12;
        Invalidate();
    }
    h %= 12;
    const TPoint cp = GetCenter();
    const double R = GetFaceRadius();
    const double Ah = 30.0 * h + 6.0 * m / 12.0, Am = 6.0 * m, As = 6.0 * s;
    auto vx = [](double deg, double d) { return std::sin(deg * kPi / 180) * d; };
    auto vy = [](double deg, double d) { return -std::cos(deg * kPi / 180) * d; };
    auto lineHand = [&](double ox, double oy, double A, double tail, double tip, ARGB color, int width) {
        TGPPen pen(color, REAL(width));
        LinePath(g, &pen, ox - vx(A, tail), oy - vy(A, tail), ox + vx(A, tip), oy + vy(A, tip));
    };
    auto pointerHand = [&](double ox, double oy, double A, double tip, ARGB color) {
        GpPointF pts[4] = {{REAL(ox - vx(A, 0.1 * R)), REAL(oy - vy(A, 0.1 * R))},
                           {REAL(ox - vx(A + 90, 0.05 * R)), REAL(oy - vy(A + 90, 0.05 * R))},
                           {REAL(ox + vx(A, tip)), REAL(oy + vy(A, tip))},
                           {REAL(ox - vx(A - 90, 0.05 * R)), REAL(oy - vy(A - 90, 0.05 * R))}};
        TGPGraphicsPath path;
        path.GdipAddPathPolygon(pts, 4);
        path.GdipClosePathFigure();
        TGPSolidBrush brush(color);
        g->GdipFillPath(&brush, &path);
    };
    const double cx = cp.X, cy = cp.Y;
    if (a->PointerStyle() == psLine) {
        if (a->HourPointerShadow() != clNone)
            lineHand(cx - 1, cy + 3, Ah, 0.1 * R, 0.46 * R, ShadowARGB(a->HourPointerShadow()), a->HourPointerSize());
        lineHand(cx, cy, Ah, 0.1 * R, 0.5 * R, ColorToARGB(a->HourPointer()), a->HourPointerSize());
        if (a->MinutePointerShadow() != clNone)
            lineHand(cx, cy + 3, Am, 0.1 * R, 0.65 * R, ShadowARGB(a->MinutePointerShadow()),
                     a->MinutePointerSize());
        lineHand(cx, cy, Am, 0.1 * R, 0.7 * R, ColorToARGB(a->MinutePointer()), a->MinutePointerSize());
    } else if (a->PointerStyle() == psPointer) {
        if (a->HourPointerShadow() != clNone)
            pointerHand(cx + 1, cy + 3, Ah, 0.5 * R, ShadowARGB(a->HourPointerShadow()));
        pointerHand(cx, cy, Ah, 0.5 * R, ColorToARGB(a->HourPointer()));
        if (a->MinutePointerShadow() != clNone)
            pointerHand(cx + 1, cy + 3, Am, 0.7 * R, ShadowARGB(a->MinutePointerShadow()));
        pointerHand(cx, cy, Am, 0.7 * R, ColorToARGB(a->MinutePointer()));
    }
    if ((a->PointerStyle() == psLine || a->PointerStyle() == psPointer) && settings_->Auto() && settings_->Second())
        lineHand(cx, cy, As, 0.2 * R, 0.9 * R, ColorToARGB(a->SecondPointer()), a->SecondPointerSize());
    const int S = a->CenterPointSize();
    if (S > 0) {
        if (a->CenterPointColor() != clNone) {
            TGPSolidBrush brush(ColorToARGB(a->CenterPointColor()));
            g->GdipFillEllipse(&brush, REAL(cx - S / 2.0), REAL(cy - S / 2.0), REAL(S), REAL(S));
        }
        int b = 0;
        if (a->CenterPointOuterBorderColor() != clNone) {
            b = RoundEven(0.2 * S);
            TGPPen pen(ColorToARGB(a->CenterPointOuterBorderColor()), REAL(b));
            g->GdipDrawEllipse(&pen, REAL(cx - S / 2.0), REAL(cy - S / 2.0), REAL(S), REAL(S));
        }
        if (a->CenterPointBorderColor() != clNone) {
            TGPPen pen(ColorToARGB(a->CenterPointBorderColor()), REAL(RoundEven(0.1 * S)));
            g->GdipDrawEllipse(&pen, REAL(cx - (S - b) / 2.0), REAL(cy - (S - b) / 2.0), REAL(S - b), REAL(S - b));
        }
    }
}

// ---------------------------------------------------------------- named styles and colour styles

namespace {
void BrightSet(TWatchAppearance* a, TColor c, TWatchShape shape)
{
    a->SetCenterPointSize(20);
    a->HourFont()->Color = clWindowText;
    AssignFont(a->HourFont(), "MS Sans Serif", 8, {});
    a->SetHourColor(c);
    a->SetHourMarkLength(10);
    a->SetHourPointer(c);
    a->SetHourPointerShadow(clBtnShadow);
    a->SetHourPointerSize(2);
    a->SetMinuteColor(c);
    a->SetMinutePointer(c);
    a->SetMinutePointerShadow(clBtnShadow);
    a->SetMinutePointerSize(2);
    a->SetShape(shape);
    a->SetCenterPointOuterBorderColor(0x000000);
    a->SetHourMarkWidth(2);
    a->SetHourMarkStyle(hmsQuartDblLine);
}

void ThinSet(TWatchAppearance* a, TColor hour, TColor minute, TColor shadow, TColor second)
{
    a->SetHourColor(0xABB0B1);
    a->HourFont()->Color = 0x797979;
    AssignFont(a->HourFont(), "Times New Roman", 9, a->HourFont()->Style);
    a->SetHourPointer(hour);
    a->SetHourPointerShadow(shadow);
    a->SetHourPointerSize(2);
    a->SetMinuteColor(0x808080);
    a->SetMinutePointer(minute);
    a->SetMinutePointerSize(2);
    a->SetMinutePointerShadow(shadow);
    a->SetMinuteMarkLength(1);
    a->SetSecondPointer(second);
    a->SetTickMarks(tmQuartHours);
}

TFontStyles Bold()
{
    TFontStyles s;
    s << fsBold;
    return s;
}

struct ColorRow {
    int style;
    TColor ampmBorder, ampm, back, backTo, border, centerBorder, center, hm, second, shadows;
};
const ColorRow kColorRows[] = {
    {0, 0x962D00, 0xD68759, 0xFFD2AF, 0xFFD2AF, 0xD68759, 0xD68759, 0xD68759, 0xD68759, 0xFFFFFF, 0xFFFFFF},
    {1, 0x962D00, 0xBDA4A5, 0xE6D8D8, 0xE6D8D8, 0xBDA4A5, 0xBDA4A5, 0xBDA4A5, 0xBDA4A5, 0xFFFFFF, 0xFFFFFF},
    {2, 0x962D00, 0x82C0AF, 0xB9EAE1, 0xB9EAE1, 0x82C0AF, 0x82C0AF, 0x82C0AF, 0x82C0AF, 0xFFFFFF, 0xFFFFFF},
    {3, 0x962D00, 0x808080, 0xF2F2F2, 0xF2F2F2, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xFFFFFF},
    {4, 0xF0DED0, 0xF0DED0, 0xFFEFE3, 0xFFEFE3, 0xF0DED0, 0xFFEFE3, 0xFFEFE3, 0x723708, 0x723708, 0xFFFFFF},
    {5, 0xF2F1F0, 0x5C534C, 0x5C534C, 0x5C534C, 0xF2F1F0, 0xFFEFE3, 0xFFEFE3, 0xF2F1F0, 0xF2F1F0, 0xFFFFFF},
    {6, 0x000000, clBtnFace, clBtnFace, clBtnFace, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0xFFFFFF},
    {7, 0x7E9898, 0xF5F9FA, 0xF5F9FA, 0xF5F9FA, 0x7E9898, 0x7E9898, 0x7E9898, 0x7E9898, 0x7E9898, 0xFFFFFF},
    {9, 0xE8E0DB, 0xF8F4F1, 0xF8F4F1, 0xF8F4F1, 0xE8E0DB, 0xE8E0DB, 0x74706F, 0x74706F, 0x74706F, 0xFFFFFF},
    {10, 0xFEDF9A, 0xFFFDF9, 0xFFFDF9, 0xFFFAF0, 0xFEDF9A, 0xFEDF9A, 0xFEDF9A, 0xFEDF9A, 0xFEDF9A, 0xFFFFFF},
    {11, 0xFBD6B8, 0xFDFBFA, 0xFDFBFA, 0xFDF3EB, 0xFBD6B8, 0xFBD6B8, 0xFBD6B8, 0xFBD6B8, 0xFBD6B8, 0xFFFFFF},
    {12, 0x808080, clBtnFace, clBtnFace, clBtnFace, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xFFFFFF},
    {13, 0xC7B29F, 0xF0DAC7, 0xFDF6EF, 0xFDF6EF, 0xC7B29F, 0xC7B29F, 0xC7B29F, 0xC7B29F, 0xC7B29F, 0xFFFFFF},
    {14, 0xD2CDC8, 0xEDE5E0, 0xFFFFFF, 0xFFFFFF, 0xD2CDC8, 0xD2CDC8, 0xD2CDC8, 0xD2CDC8, 0xD2CDC8, 0xC0C0C0},
    {15, 0x6D6D6D, 0x919191, 0xBFBFBF, 0xBFBFBF, 0x6D6D6D, 0x6D6D6D, 0x6D6D6D, 0x6D6D6D, 0x6D6D6D, 0xFFFFFF},
};
} // namespace

void ApplyWatchColorStyle(TWatchAppearance* a, uint8_t Style)
{
    a->SetCenterPointOuterBorderColor(0x000000);
    a->HourFont()->Color = 0x000000;
    a->AMPMFont()->Color = 0x000000;
    for (const ColorRow& r : kColorRows) {
        if (r.style != Style)
            continue;
        a->AMPMBorderColor = r.ampmBorder;
        a->AMPMColor = r.ampm;
        a->SetBackgroundColor(r.back);
        a->SetBackgroundColorTo(r.backTo);
        a->SetBorderColor(r.border);
        a->SetCenterPointBorderColor(r.centerBorder);
        a->SetCenterPointColor(r.center);
        a->SetHourColor(r.hm);
        a->SetMinuteColor(r.hm);
        a->SetHourPointer(r.hm);
        a->SetMinutePointer(r.hm);
        a->SetSecondPointer(r.second);
        a->SetHourPointerShadow(r.shadows);
        a->SetMinutePointerShadow(r.shadows);
        if (Style == 5) {
            a->AMPMFont()->Color = 0xF2F1F0;
            a->HourFont()->Color = 0xF2F1F0;
        }
    }
}

void TPlusWatch::ApplyColorStyle(uint8_t Style)
{
    ApplyWatchColorStyle(appearance_, Style);
    Invalidate();
}

void TPlusWatch::SetStyle(TWatchStyle Value)
{
    if (Value == style_)
        return;
    style_ = Value;
    TWatchAppearance* a = appearance_;
    a->SetDefaults();
    const int side = std::min(Height(), Width());
    switch (Value) {
    case wsClassic:
        AssignFont(a->AMPMFont(), "MS Sans Serif", a->AMPMFont()->Size(), {});
        AssignFont(a->HourFont(), "Comic Sans MS", 10, Bold());
        a->SetHourMarkLength(8);
        a->SetHourPointer(0x000000);
        a->SetHourPointerShadow(clBtnShadow);
        a->SetHourPointerSize(5);
        a->SetMinutePointerShadow(clBtnShadow);
        a->SetMinuteMarkLength(4);
        SetAnimation(true);
        SetAnimationFactor(10);
        SetShowAMPM(true);
        SetShowNumbers(true);
        break;
    case wsTower:
        AssignFont(a->AMPMFont(), "MS Sans Serif", a->AMPMFont()->Size(), {});
        a->SetAMPMFrame(apRect);
        a->SetBorderWidth(1);
        a->SetBackgroundColor(0xB1F0FE);
        a->SetBackgroundGradient(wgDiagonalForward);
        a->SetCenterPointColor(0x002BD5);
        a->SetCenterPointSize(6);
        a->HourFont()->Color = clWindowText;
        AssignFont(a->HourFont(), "Century", a->HourFont()->Size(), Bold());
        a->SetHourPointer(0x000000);
        a->SetHourPointerShadow(clBtnShadow);
        a->SetHourPointerSize(5);
        a->SetMinutePointerShadow(clBtnShadow);
        a->SetSecondPointer(0x002BD5);
        a->SetShape(wsRect);
        a->SetPointerStyle(psPointer);
        a->SetBackgroundColorTo(0x54C9E7);
        a->SetBackgroundColorTo(0x5BCCE8);
        a->AMPMColor = a->BackgroundColor();
        a->SetTickMarks(tmHours);
        SetShowNumbers(false);
        break;
    case wsFluorescent:
        a->AMPMFont()->Color = clWindowText;
        AssignFont(a->AMPMFont(), "MS Sans Serif", 10, {});
        a->SetAMPMFrame(apRoundRect);
        a->SetBorderColor(0xFF3E3E);
        a->SetBackgroundColor(0x000000);
        a->SetBackgroundColorTo(0x000000);
        a->SetCenterPointColor(0xFF3E3E);
        a->SetCenterPointBorderColor(0x000000);
        BrightSet(a, 0xFF3E3E, wsRoundRect);
        a->SetTickMarks(tmHours);
        SetShowAMPM(false);
        SetShowNumbers(false);
        break;
    case wsEmerald:
        a->AMPMFont()->Color = 0xA00000;
        AssignFont(a->AMPMFont(), "MS Sans Serif", a->AMPMFont()->Size(), {});
        a->SetAMPMFrame(apRoundRect);
        a->SetBorderColor(0x3AE800);
        a->SetBackgroundColor(0x3AE800);
        a->SetBackgroundColorTo(0x000000);
        a->SetBackgroundGradient(wgDiagonalForward);
        a->SetCenterPointBorderColor(0x40FF00);
        a->SetCenterPointColor(0x38E100);
        a->SetCenterPointSize(16);
        AssignFont(a->HourFont(), "MS Sans Serif", a->HourFont()->Size(), {});
        a->HourFont()->Color = a->BackgroundColor();
        a->SetHourPointer(0x40FF00);
        a->SetHourPointerShadow(clBtnShadow);
        a->SetHourPointerSize(5);
        a->SetMinutePointer(0x40FF00);
        a->SetMinutePointerShadow(clBtnShadow);
        a->SetShape(wsRect);
        a->SetPointerStyle(psPointer);
        a->AMPMColor = clNone;
        a->SetCenterPointOuterBorderColor(0x000000);
        a->SetHourMarkStyle(hmsQuartDblLine);
        a->SetHourColor(a->BackgroundColor());
        a->SetSecondPointer(0x00FFFF);
        a->SetTickMarks(tmHours);
        SetShowNumbers(false);
        SetShowAMPM(false);
        break;
    case wsBlueStar:
        a->AMPMFont()->Color = 0xA00000;
        AssignFont(a->AMPMFont(), "MS Sans Serif", 10, {});
        a->AMPMBorderColor = clNone;
        a->SetAMPMFrame(apRoundRect);
        a->SetBorderColor(0xFFD5D5);
        a->SetBackgroundColor(0xFFD5D5);
        a->SetBackgroundColorTo(0xA00000);
        a->SetBackgroundGradient(wgRadial);
        AssignFont(a->HourFont(), "MS Sans Serif", 8, {});
        a->HourFont()->Color = a->BackgroundColor();
        a->SetHourPointer(0xA00000);
        a->SetHourPointerShadow(clBtnShadow);
        a->SetHourPointerSize(5);
        a->SetMinutePointer(0xA00000);
        a->SetMinutePointerShadow(clBtnShadow);
        a->SetShape(wsRoundRect);
        a->SetPointerStyle(psPointer);
        a->AMPMColor = clNone;
        SetShowAMPM(true);
        SetShowNumbers(true);
        break;
    case wsFuchsia:
        a->AMPMFont()->Color = clWindowText;
        AssignFont(a->AMPMFont(), "MS Sans Serif", 10, {});
        a->SetAMPMFrame(apRoundRect);
        a->SetBorderColor(0xFFD0FF);
        a->SetBackgroundColor(0x000000);
        a->SetBackgroundColorTo(0x000000);
        a->SetCenterPointBorderColor(0xDD68DD);
        BrightSet(a, 0xFFD0FF, wsRect);
        a->SetSecondPointer(0xDD68DD);
        a->SetTickMarks(tmQuartHours);
        SetShowAMPM(false);
        SetShowNumbers(false);
        break;
    case wsBlack:
        AssignFont(a->AMPMFont(), "MS Sans Serif", a->AMPMFont()->Size(), {});
        a->SetBackgroundColor(0x202020);
        a->SetBackgroundColorTo(clNone);
        a->SetBorderColor(0x000000);
        a->SetCenterPointBorderColor(0xFFFFFF);
        a->SetCenterPointOuterBorderColor(0xFFFFFF);
        a->SetCenterPointColor(0xFFFFFF);
        a->SetHourColor(0x585858);
        a->HourFont()->Color = 0xFFFFFF;
        AssignFont(a->HourFont(), "Century Gothic", 11, a->HourFont()->Style);
        a->SetHourPointer(0xFFFFFF);
        a->SetHourPointerShadow(clBtnShadow);
        a->SetHourPointerSize(5);
        a->SetMinuteColor(0x585858);
        a->SetMinutePointer(0xFFFFFF);
        a->SetMinutePointerShadow(clBtnShadow);
        a->SetMinuteMarkLength(4);
        SetShowAMPM(false);
        SetShowNumbers(true);
        break;
    case wsBlackWhite:
        a->SetBackgroundColor(0xFFFFFF);
        a->SetBackgroundColorTo(clNone);
        a->SetBorderColor(0x000000);
        a->SetBorderWidth(8);
        a->SetCenterPointBorderColor(0x000000);
        a->SetCenterPointOuterBorderColor(0x000000);
        a->SetCenterPointColor(0x000000);
        a->SetCenterPointSize(8);
        a->SetHourColor(0x585858);
        a->HourFont()->Color = 0x000000;
        AssignFont(a->HourFont(), "Century Gothic", 14, Bold());
        a->SetHourPointer(0x000000);
        a->SetHourPointerShadow(clBtnShadow);
        a->SetHourPointerSize(5);
        a->SetMinutePointer(0x000000);
        a->SetMinutePointerShadow(clBtnShadow);
        a->SetMinuteMarkLength(4);
        a->SetSecondPointer(0x000080);
        a->SetPointerStyle(psPointer);
        a->SetTickMarks(tmQuartHours);
        SetShowAMPM(false);
        SetShowNumbers(true);
        break;
    case wsGray:
        AssignFont(a->AMPMFont(), "MS Sans Serif", 10, a->AMPMFont()->Style);
        a->SetBackgroundColor(0xD1D1D1);
        a->SetBackgroundColorTo(0x6C6C6C);
        a->SetBackgroundGradient(wgRadial);
        a->SetBorderColor(0x454545);
        a->SetCenterPointBorderColor(0x454545);
        a->SetCenterPointColor(0x000000);
        a->SetCenterPointOuterBorderColor(clNone);
        a->SetHourColor(0x000000);
        AssignFont(a->HourFont(), "Comic Sans MS", 8, {});
        a->SetHourPointer(0x4E4E4E);
        a->SetHourPointerShadow(clNone);
        a->SetHourPointerSize(1);
        a->SetMinuteColor(0x808080);
        a->SetMinutePointer(0x4E4E4E);
        a->SetMinutePointerShadow(clNone);
        a->SetMinutePointerSize(1);
        a->SetSecondPointer(0x0000FF);
        SetShowAMPM(true);
        SetShowNumbers(true);
        break;
    case wsSuperNova:
        a->SetBackgroundColorTo(0xD1D3D3);
        a->SetBorderColor(clNone);
        a->SetCenterPointOuterBorderColor(0x000000);
        a->SetCenterPointSize(10);
        a->SetHourMarkLength(uint8_t(RoundEven(side / 4.5)));
        a->SetHourPointer(0x000000);
        a->SetHourPointerShadow(clBtnShadow);
        a->SetMinuteColor(0x808080);
        a->SetMinuteMarkLength(uint8_t(side / 3));
        a->SetMinutePointer(0x000000);
        SetShowAMPM(false);
        SetShowNumbers(false);
        break;
    case wsSports:
        a->SetBackgroundColor(0x000000);
        a->SetBackgroundColorTo(clNone);
        a->SetBorderColor(0x000000);
        a->SetBorderWidth(1);
        a->SetCenterPointBorderColor(0xFF0000);
        a->SetCenterPointOuterBorderColor(0x000000);
        a->SetCenterPointColor(0x191919);
        a->SetCenterPointSize(uint8_t(RoundEven(side / 3.6)));
        ThinSet(a, 0x0000FF, 0x00FFFF, clNone, 0x188BFE);
        SetShowAMPM(false);
        SetShowNumbers(true);
        break;
    case wsSmooth:
        a->SetBackgroundColor(0xFFFFFF);
        a->SetBackgroundColorTo(0xABB0B1);
        a->SetBorderColor(0x585858);
        a->SetBorderWidth(1);
        a->SetCenterPointBorderColor(0x000000);
        a->SetCenterPointOuterBorderColor(0x4A4A4A);
        a->SetCenterPointColor(0xFFFFFF);
        a->SetCenterPointSize(6);
        ThinSet(a, 0x4A4A4A, 0x4A4A4A, 0xB2B2B2, 0x4A4A4A);
        SetShowAMPM(false);
        SetShowNumbers(true);
        break;
    }
    Invalidate();
}
