#include "components/grid/ProgressShapes.h"

#include "components/grid/DrawRoutines.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

int RoundHalfEven(double v)
{
    return int(std::nearbyint(v));
}

void PenAndBrush(TCanvas* c, TColor color)
{
    c->Pen->Color = color;
    c->Brush->Style = bsSolid;
    c->Brush->Color = color;
}

// A segment or block of a level bar: mirrored gradient across the bar, or solid.
void Segment(TCanvas* c, const TRect& r, TColor color, TColor colorTo, const TProgressLook& look)
{
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    if (!look.ShowGradient) {
        FillRectColor(c, r, color);
        return;
    }
    if (!look.Vertical) {
        const int mid = r.Top + (r.Bottom - r.Top) / 2;
        FillGradient(c, colorTo, color, look.Steps, TRect(r.Left, r.Top, r.Right, mid), false);
        FillGradient(c, color, colorTo, look.Steps, TRect(r.Left, mid, r.Right, r.Bottom), false);
    } else {
        const int mid = r.Left + (r.Right - r.Left) / 2;
        FillGradient(c, colorTo, color, look.Steps, TRect(r.Left, r.Top, mid, r.Bottom), true);
        FillGradient(c, color, colorTo, look.Steps, TRect(mid, r.Top, r.Right, r.Bottom), true);
    }
}

} // namespace

void DrawValueBar(TCanvas* Canvas, TRect R, int Value, int Max, bool ShowText, TColor NegColor, TColor PosColor)
{
    if (!Canvas || Max <= 0)
        return;
    R.Left += 2;
    R.Top += 2;
    R.Right -= 2;
    R.Bottom -= 2;
    const int half = (R.Right - R.Left) / 2;
    Value = std::clamp(Value, -Max, Max);
    const int w = RoundHalfEven(double(Value) * half / Max);
    if (Value < 0) {
        PenAndBrush(Canvas, NegColor);
        Canvas->Rectangle(R.Left + half + w, R.Top, R.Left + half, R.Bottom);
    } else {
        PenAndBrush(Canvas, PosColor);
        Canvas->Rectangle(R.Left + half, R.Top, R.Left + half + w, R.Bottom);
    }
    if (ShowText) {
        Canvas->RequiredState();
        ::SetBkMode(Canvas->Handle(), TRANSPARENT);
        const String text = IntToStr(Value);
        RECT r = R;
        ::DrawText(Canvas->Handle(), text.data(), int(text.size()), &r, DT_CENTER | DT_SINGLELINE);
    }
}

void DrawSimpleProgressBar(TCanvas* Canvas, TRect R, TColor CompleteColor, TColor CompleteFontColor,
                           TColor UncompleteColor, TColor UncompleteFontColor, double Value, int MarginX,
                           int MarginY, int Min, int Max, const String& Format, TColor BorderColor,
                           bool TextUpward)
{
    if (!Canvas)
        return;
    const TColor frameColor = Canvas->Brush->Color;
    PenAndBrush(Canvas, CompleteColor);
    Canvas->Font->Color = CompleteFontColor;
    const int n = RoundHalfEven(Value);
    String text;
    int percent = n;
    if (Format.empty()) {
        text = IntToStr(n) + "%";
    } else {
        try {
            if (Format.find('d') != String::npos || Format.find('u') != String::npos)
                text = ::Format(Format, {TVarRec(n)});
            else
                text = ::Format(Format, {TVarRec(Value)});
        } catch (const Exception&) {
            text.clear();
        }
        percent = Max == Min ? 0 : RoundHalfEven((Value - Min) * 100.0 / (Max - Min));
    }
    percent = std::clamp(percent, 0, 100);
    R.Left += MarginX;
    R.Right -= MarginX;
    R.Top += MarginY;
    R.Bottom -= MarginY;
    TRect done = R;
    done.Right = R.Left + RoundHalfEven((R.Right - R.Left) * percent / 100.0);
    const TSize extent = Canvas->TextExtent(text);
    const int tx = R.Left + (R.Right - R.Left - extent.cx) / 2;
    const int ty = R.Top + (R.Bottom - R.Top - (TextUpward ? -1 : 1) * extent.cy) / 2;
    Canvas->TextRect(done, tx, ty, text);
    PenAndBrush(Canvas, UncompleteColor);
    Canvas->Font->Color = UncompleteFontColor;
    Canvas->TextRect(TRect(done.Right, R.Top, R.Right, R.Bottom), tx, ty, text);
    Canvas->Brush->Color = BorderColor;
    Canvas->Pen->Color = frameColor;
    R = TRect(R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1);
    if (BorderColor != clNone)
        Canvas->FrameRect(R);
    Canvas->Brush->Color = frameColor;
    R = TRect(R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1);
    Canvas->FrameRect(R);
}

void FloodFillToBorder(TCanvas* Canvas, int X, int Y, TColor BorderColor, TColor FillColor)
{
    HDC dc = Canvas ? Canvas->Handle() : nullptr;
    if (!dc)
        return;
    const int w = GetDeviceCaps(dc, HORZRES), h = GetDeviceCaps(dc, VERTRES);
    if (X < 0 || Y < 0 || X >= w || Y >= h)
        return;
    const COLORREF border = ColorToColorRef(BorderColor);
    const COLORREF fill = ColorToColorRef(FillColor);
    std::vector<uint8_t> seen(size_t(w) * size_t(h), 0);
    std::vector<POINT> stack{POINT{X, Y}};
    std::vector<POINT> area;
    while (!stack.empty()) {
        const POINT p = stack.back();
        stack.pop_back();
        if (p.x < 0 || p.y < 0 || p.x >= w || p.y >= h)
            continue;
        uint8_t& s = seen[size_t(p.y) * size_t(w) + size_t(p.x)];
        if (s)
            continue;
        s = 1;
        if (GetPixel(dc, p.x, p.y) == border)
            continue;
        area.push_back(p);
        stack.push_back(POINT{p.x + 1, p.y});
        stack.push_back(POINT{p.x - 1, p.y});
        stack.push_back(POINT{p.x, p.y + 1});
        stack.push_back(POINT{p.x, p.y - 1});
    }
    for (const POINT& p : area)
        SetPixel(dc, p.x, p.y, fill);
}

void DrawProgressPie(TCanvas* Canvas, TRect R, TColor FillColor, int Percent, bool SeedAbove)
{
    if (!Canvas)
        return;
    Canvas->Pen->Color = clGray;
    Canvas->Pen->Width = 1;
    Canvas->Ellipse(R);
    const int cx = R.Left + (R.Right - R.Left) / 2;
    const int cy = R.Top + (R.Bottom - R.Top) / 2;
    Canvas->MoveTo(cx, R.Top);
    Canvas->LineTo(cx, cy);
    const double a = Percent / 100.0 * 2 * M_PI;
    Canvas->LineTo(cx + RoundHalfEven(std::sin(a) * (R.Right - R.Left + 1) * 0.5),
                   cy - RoundHalfEven(std::cos(a) * (R.Bottom - R.Top + 1) * 0.5));
    Canvas->Brush->Color = FillColor;
    FloodFillToBorder(Canvas, cx + 2, SeedAbove ? R.Top - 2 : R.Top + 2, clGray, FillColor);
}

void DrawProgressBar(TCanvas* Canvas, TRect R, int Percent, const TProgressLook& Look)
{
    if (!Canvas)
        return;
    int total = Look.Vertical ? R.Bottom - R.Top : R.Right - R.Left;
    Canvas->Brush->Style = bsSolid;
    Canvas->Brush->Color = Look.BackgroundColor;
    Canvas->Pen->Color = Look.ShowBorder ? Look.BorderColor : Look.BackgroundColor;
    Canvas->Rectangle(R);
    total -= 2;
    if (Percent >= 1) {
        auto place = [&](int start, int length) {
            // a segment `length` long from `start` along the bar
            if (!Look.Vertical)
                return TRect(start, R.Top + 1, start + length, R.Bottom - 1);
            return TRect(R.Left + 1, start - length, R.Right - 1, start);
        };
        if (Look.Stacked) {
            const int l1 = RoundHalfEven(std::min(Percent, Look.Level1Perc) / 100.0 * total);
            int l2 = 0, l3 = 0;
            if (Percent >= Look.Level1Perc)
                l2 = RoundHalfEven((std::min(Percent, Look.Level2Perc) - Look.Level1Perc) / 100.0 * total);
            if (Percent >= Look.Level2Perc)
                l3 = Percent == 100 ? total - l1 - l2 : RoundHalfEven((Percent - Look.Level2Perc) / 100.0 * total);
            if (!Look.Vertical) {
                const TRect s1 = place(R.Left + 1, l1);
                Segment(Canvas, s1, Look.Level0Color, Look.Level0ColorTo, Look);
                const TRect s2 = place(s1.Right, l2);
                if (l2 > 0)
                    Segment(Canvas, s2, Look.Level1Color, Look.Level1ColorTo, Look);
                if (l3 > 0)
                    Segment(Canvas, place(s2.Right, l3), Look.Level3Color, Look.Level3ColorTo, Look);
            } else {
                const TRect s1 = place(R.Bottom - 1, l1);
                Segment(Canvas, s1, Look.Level0Color, Look.Level0ColorTo, Look);
                const TRect s2 = place(s1.Top, l2);
                if (l2 > 0)
                    Segment(Canvas, s2, Look.Level1Color, Look.Level1ColorTo, Look);
                if (l3 > 0)
                    Segment(Canvas, place(s2.Top - 1, l3), Look.Level3Color, Look.Level3ColorTo, Look);
            }
        } else {
            TColor color = Look.Level3Color, colorTo = Look.Level3ColorTo;
            if (Percent < Look.Level1Perc) {
                color = Look.Level0Color;
                colorTo = Look.Level0ColorTo;
            } else if (Percent < Look.Level2Perc) {
                color = Look.Level1Color;
                colorTo = Look.Level1ColorTo;
            } else if (Percent < 100) {
                color = Look.Level2Color;
                colorTo = Look.Level2ColorTo;
            }
            if (Look.CompletionSmooth) {
                const int len = RoundHalfEven(Percent / 100.0 * total);
                Segment(Canvas, Look.Vertical ? place(R.Bottom - 1, len) : place(R.Left + 1, len), color, colorTo,
                        Look);
            } else {
                const int len = RoundHalfEven(double(Percent) * total / 100);
                auto block = [&](int offset, int length) {
                    TRect b = Look.Vertical ? TRect(R.Left + 2, R.Bottom - offset - length, R.Right - 2, R.Bottom - offset)
                                            : TRect(R.Left + offset, R.Top + 2, R.Left + offset + length, R.Bottom - 2);
                    Segment(Canvas, b, color, colorTo, Look);
                };
                if (len <= 9) {
                    if (len > 1)
                        block(2, len - 1);
                } else {
                    int offset = 2;
                    for (int i = 0; i < len / 9; ++i, offset += 9)
                        block(offset, 7);
                    if (len % 9 >= 3)
                        block(offset, len % 9 - 1);
                }
                Canvas->Brush->Style = bsClear;
            }
        }
    }
    if (Look.ShowPercentage) {
        Canvas->Brush->Style = bsClear;
        if (Look.TextFont) {
            Canvas->Font->Name = Look.TextFont->Name;
            Canvas->Font->Height = Look.TextFont->Height;
            Canvas->Font->Style = Look.TextFont->Style;
        }
        Canvas->Font->Color = Look.TextColor;
        const String text = IntToStr(Percent) + "%";
        if (!Look.Vertical) {
            Canvas->TextOut(R.Left + (R.Right - R.Left) / 2 - Canvas->TextWidth(text) / 2,
                            R.Top + (R.Bottom - R.Top) / 2 - Canvas->TextHeight(text) / 2, text);
        } else {
            if (Look.TextFont)
                Canvas->Font->Assign(Look.TextFont);
            const int tw = Canvas->TextWidth(text), th = Canvas->TextHeight(text);
            Canvas->Font->Orientation = 900;
            Canvas->TextOut(R.Left + (R.Right - R.Left) / 2 - th / 2, R.Top + (R.Bottom - R.Top) / 2 + tw / 2, text);
            Canvas->Font->Orientation = 0;
        }
    }
    Canvas->Pen->Color = Look.ShowBorder ? Look.BorderColor : Look.BackgroundColor;
    Canvas->Brush->Style = bsClear;
    Canvas->Rectangle(R);
}

void DrawCellShape(TCanvas* Canvas, int X, int Y, int W, int H, uint8_t Shape, TColor BrushColor, TColor PenColor)
{
    if (!Canvas || Shape > 18)
        return;
    Canvas->Brush->Style = bsSolid;
    Canvas->Brush->Color = BrushColor;
    Canvas->Pen->Color = PenColor;
    if (Shape == 1 || Shape == 11 || Shape == 12)
        W = H = std::min(W, H);
    auto poly = [&](std::vector<TPoint> points) { Canvas->Polygon(points); };
    auto star = [&](const std::vector<std::pair<int, bool>>& at) {
        const int cx = X + W / 2, cy = Y + H / 2;
        const double rx = W / 2, ry = H / 2;
        std::vector<TPoint> points;
        for (const auto& [degrees, outer] : at) {
            const double a = degrees * M_PI / 180.0;
            const double fx = outer ? rx : rx / 3, fy = outer ? ry : ry / 3;
            points.push_back(TPoint(cx + RoundHalfEven(std::sin(a) * fx), cy - RoundHalfEven(std::cos(a) * fy)));
        }
        poly(points);
    };
    switch (Shape) {
    case 0:
    case 11: Canvas->Rectangle(X + 1, Y + 1, X + W - 1, Y + H - 1); break;
    case 1:
    case 10: Canvas->Ellipse(X, Y, X + W, Y + H); break;
    case 2: poly({TPoint(X + W, Y), TPoint(X + W, Y + H), TPoint(X, Y + H / 2)}); break;
    case 3: poly({TPoint(X, Y), TPoint(X, Y + H), TPoint(X + W, Y + H / 2)}); break;
    case 4: poly({TPoint(X, Y + H), TPoint(X + W, Y + H), TPoint(X + W / 2, Y)}); break;
    case 5: poly({TPoint(X, Y), TPoint(X + W, Y), TPoint(X + W / 2, Y + H)}); break;
    case 6: {
        const int w = W / 2, h = H / 2;
        poly({TPoint(X, Y + h), TPoint(X + w, Y), TPoint(X + 2 * w, Y + h), TPoint(X + w, Y + 2 * h)});
        break;
    }
    case 7: Canvas->Rectangle(X + W / 2, Y, X + W / 2 + 1, Y + H); break;
    case 8: Canvas->Rectangle(X, Y + H / 2, X + W, Y + H / 2 + 1); break;
    case 9:
    case 12: Canvas->RoundRect(X, Y, X + W, Y + H, 10, 10); break;
    case 13: {
        std::vector<std::pair<int, bool>> at;
        for (int i = 0; i < 10; ++i)
            at.emplace_back(i * 36, i % 2 == 0);
        star(at);
        break;
    }
    case 14:
    case 15: {
        W -= W % 2;
        const int q = W / 4;
        const int tip = Shape == 14 ? Y : Y + H, foot = Shape == 14 ? Y + H : Y;
        poly({TPoint(X, Y + H / 2), TPoint(X + W / 2, tip), TPoint(X + W, Y + H / 2), TPoint(X + 3 * q, Y + H / 2),
              TPoint(X + 3 * q, foot), TPoint(X + q, foot), TPoint(X + q, Y + H / 2)});
        break;
    }
    case 16:
    case 17: {
        H -= H % 2;
        const int r = H / 4;
        const int tip = Shape == 16 ? X : X + W, foot = Shape == 16 ? X + W : X;
        poly({TPoint(tip, Y + H / 2), TPoint(X + W / 2, Y), TPoint(X + W / 2, Y + r), TPoint(foot, Y + r),
              TPoint(foot, Y + 3 * r), TPoint(X + W / 2, Y + 3 * r), TPoint(X + W / 2, Y + H)});
        break;
    }
    case 18: star({{0, true}, {180, false}, {216, true}, {252, false}, {288, true}, {324, false}}); break;
    default: break;
    }
}
