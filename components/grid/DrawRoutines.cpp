#include "components/grid/DrawRoutines.h"

#include "components/grid/PlusXPVS.h"
#include "platform/win/WinFrameControl.h"

#include <algorithm>
#include <cmath>

namespace {

// The framework's Round: halves go to the even neighbour.
int RoundEven(double v)
{
    return int(std::nearbyint(v));
}

int R(TColor c) { return c & 0xFF; }
int G(TColor c) { return (c >> 8) & 0xFF; }
int B(TColor c) { return (c >> 16) & 0xFF; }
TColor Rgb(int r, int g, int b)
{
    return TColor(std::clamp(r, 0, 255) | (std::clamp(g, 0, 255) << 8) | (std::clamp(b, 0, 255) << 16));
}

void Line(TCanvas* canvas, int x1, int y1, int x2, int y2)
{
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
}

void SolidRect(TCanvas* canvas, const TRect& r, TColor color)
{
    canvas->Pen->Color = color;
    canvas->Brush->Color = color;
    canvas->Brush->Style = bsSolid;
    canvas->Rectangle(r);
}

// Opens the named class of the bound visual-style module, draws one part and closes it.
void DrawThemed(TCanvas* canvas, HWND window, const char16_t* className, int part, int state, const TRect& r)
{
    const TThemeAPI& api = PlusXPVS().API();
    if (!api.OpenThemeData || !api.DrawThemeBackground || !api.CloseThemeData)
        return; // unbound: nothing to draw with
    HTHEME theme = api.OpenThemeData(window, className);
    if (!theme)
        return;
    canvas->RequiredState();
    const RECT rr = r;
    api.DrawThemeBackground(theme, canvas->Handle(), part, state, &rr, nullptr);
    api.CloseThemeData(theme);
}

void FrameControl(TCanvas* canvas, TRect r, UINT type, UINT state)
{
    canvas->RequiredState();
    if (!canvas->Handle())
        return;
    RECT rr = r;
    ::DrawFrameControl(canvas->Handle(), &rr, type, state);
}

} // namespace

void FillGradient(TCanvas* canvas, TColor fromColor, TColor toColor, int steps, TRect rect, bool horizontal)
{
    if (rect.Top == rect.Bottom)
        return;
    if (rect.Bottom < rect.Top)
        std::swap(rect.Top, rect.Bottom);
    if (fromColor == clNone || toColor == clNone) {
        SolidRect(canvas, rect, fromColor != clNone ? fromColor : toColor == clNone ? fromColor : toColor);
        return;
    }
    const TColor from = ColorToRGB(fromColor), to = ColorToRGB(toColor);
    const int size = (horizontal ? rect.Right - rect.Left : rect.Bottom - rect.Top) - 1;
    steps = std::min(steps, size);
    if (steps <= 0)
        steps = 1;
    const double stepSize = double(size) / steps;
    const double dr = double(R(to) - R(from)) / steps;
    const double dg = double(G(to) - G(from)) / steps;
    const double db = double(B(to) - B(from)) / steps;
    const int bandEnd = int(1 + stepSize);
    for (int i = 0; i <= steps; ++i) {
        const TColor band = Rgb(R(from) + RoundEven(i * dr), G(from) + RoundEven(i * dg), B(from) + RoundEven(i * db));
        canvas->Pen->Color = band;
        canvas->Brush->Color = band;
        canvas->Brush->Style = bsSolid;
        const int offset = int(i * stepSize);
        if (horizontal)
            canvas->Rectangle(rect.Left + offset, rect.Top, std::min(rect.Right, rect.Left + offset + bandEnd), rect.Bottom);
        else
            canvas->Rectangle(rect.Left, rect.Top + offset, rect.Right, std::min(rect.Bottom, rect.Top + offset + bandEnd));
    }
}

void DrawGradientBackground(TCanvas* canvas, TRect rect, TColor color, TColor colorTo, TColor colorMirror,
                            TColor colorMirrorTo, bool vertical, TColor borderColor, bool sideLinesOnly, bool fill)
{
    bool solid = false;
    if (fill && color != clNone) {
        if (colorMirror != clNone) {
            if (!vertical) {
                const int mid = rect.Left + (rect.Right - rect.Left) / 2;
                FillGradient(canvas, color, colorTo, 128, TRect(rect.Left, rect.Top, mid, rect.Bottom), true);
                FillGradient(canvas, colorMirror, colorMirrorTo, 128, TRect(mid, rect.Top, rect.Right, rect.Bottom), true);
            } else {
                const int mid = rect.Top + (rect.Bottom - rect.Top) / 2;
                FillGradient(canvas, color, colorTo, 128, TRect(rect.Left, rect.Top, rect.Right, mid), false);
                FillGradient(canvas, colorMirror, colorMirrorTo, 128, TRect(rect.Left, mid, rect.Right, rect.Bottom), false);
            }
        } else if (colorTo == clNone) {
            canvas->Brush->Color = color;
            canvas->Brush->Style = bsSolid;
            canvas->Pen->Color = color;
            canvas->Pen->Width = 1;
            canvas->Pen->Style = psSolid;
            canvas->Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom + 1);
            solid = true;
        } else {
            FillGradient(canvas, color, colorTo, 128, rect, !vertical);
        }
    }
    if (borderColor == clNone)
        return;
    TRect r = rect;
    if (solid)
        r.Bottom += 1;
    if (sideLinesOnly) {
        canvas->Pen->Color = borderColor;
        Line(canvas, r.Left, r.Top, r.Left, r.Bottom);
        Line(canvas, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
    } else {
        canvas->Brush->Color = borderColor;
        canvas->Brush->Style = bsSolid;
        canvas->FrameRect(r);
    }
}

TColor GradientColorAt(TColor fromColor, TColor toColor, int start, int finish, int position)
{
    if (toColor == clNone || finish == start)
        return fromColor;
    const TColor a = ColorToRGB(fromColor), b = ColorToRGB(toColor);
    const double span = finish - start;
    return Rgb(R(a) + RoundEven((R(b) - R(a)) / span * position), G(a) + RoundEven((G(b) - G(a)) / span * position),
               B(a) + RoundEven((B(b) - B(a)) / span * position));
}

void DrawOfficeButtonFrame(TCanvas* canvas, TColor color, TColor colorTo, TColor mirrorColor, TColor mirrorColorTo,
                           TColor innerTopColor, TColor innerBottomColor, TColor outerColor, TColor cornerColor,
                           TColor cornerOuterColor, TRect rect, int kind)
{
    const int L = rect.Left, T = rect.Top, Rr = rect.Right - 1, Bb = rect.Bottom - 2;
    const int mid = T + (Bb - T) / 2;
    const bool leftSide = kind == 0 || kind == 1;
    const bool rightSide = kind == 0 || kind == 2;
    canvas->Pen->Color = innerTopColor;
    Line(canvas, L, T + 1, Rr, T + 1);
    if (leftSide)
        Line(canvas, L + 1, T + 1, L + 1, mid);
    if (rightSide)
        Line(canvas, Rr - 2, T + 1, Rr - 2, mid);
    canvas->Pen->Color = innerBottomColor;
    Line(canvas, L, Bb - 1, Rr, Bb - 1);
    if (leftSide)
        Line(canvas, L + 1, mid, L + 1, Bb - 1);
    if (rightSide)
        Line(canvas, Rr - 2, mid, Rr - 2, Bb - 1);
    const int leftInset = (kind == 2 || kind == 3) ? 0 : 2;
    const int rightInset = (kind == 1 || kind == 3) ? 0 : 2;
    canvas->Pen->Color = outerColor;
    Line(canvas, L + leftInset, T, Rr - rightInset, T);
    Line(canvas, L + leftInset, Bb, Rr - rightInset, Bb);
    if (rightSide)
        Line(canvas, Rr - 1, T + 2, Rr - 1, Bb - 1);
    if (leftSide)
        Line(canvas, L, T + 2, L, Bb - 1);
    if (leftSide) {
        for (const TPoint& p : {TPoint(L + 1, T), TPoint(L + 1, T + 1), TPoint(L, T + 1), TPoint(L + 1, Bb),
                                TPoint(L + 1, Bb - 1), TPoint(L, Bb - 1)})
            canvas->SetPixel(p.X, p.Y, cornerColor);
        canvas->SetPixel(L, T, cornerOuterColor);
        canvas->SetPixel(L, Bb, cornerOuterColor);
    }
    if (rightSide) {
        for (const TPoint& p : {TPoint(Rr - 2, T), TPoint(Rr - 2, T + 1), TPoint(Rr - 1, T + 1), TPoint(Rr - 2, Bb),
                                TPoint(Rr - 2, Bb - 1), TPoint(Rr - 1, Bb - 1)})
            canvas->SetPixel(p.X, p.Y, cornerColor);
        canvas->SetPixel(Rr - 1, T, cornerOuterColor);
        canvas->SetPixel(Rr - 1, Bb, cornerOuterColor);
    }
    const TRect inner(L + leftInset, T + 2, Rr - rightInset, Bb - 1);
    if (colorTo == clNone) {
        SolidRect(canvas, inner, color);
    } else if (mirrorColor == clNone) {
        FillGradient(canvas, color, colorTo, 16, inner, false);
    } else {
        const int innerMid = inner.Top + (inner.Bottom - inner.Top) / 2;
        FillGradient(canvas, color, colorTo, 16, TRect(inner.Left, inner.Top, inner.Right, innerMid), false);
        FillGradient(canvas, mirrorColor, mirrorColorTo, 16, TRect(inner.Left, innerMid, inner.Right, inner.Bottom), false);
    }
}

void DrawCellComboButton(TCanvas* canvas, HWND window, TRect rect, int style, int state,
                         const TControlColorSet& colorSet)
{
    TRect r(rect.Right - 17, rect.Top + 1, rect.Right, rect.Bottom - 1);
    r.Left -= 2;
    r.Right -= 2;
    switch (style) {
    case 0: DrawThemed(canvas, window, u"combobox", CP_DROPDOWNBUTTON, state == 3 ? CBXS_DISABLED : CBXS_NORMAL, r); break;
    case 1: FrameControl(canvas, r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (state == 3 ? DFCS_INACTIVE : 0)); break;
    case 2: FrameControl(canvas, r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT | (state == 3 ? DFCS_INACTIVE : 0)); break;
    case 3: {
        r.Left += 3;
        canvas->Brush->Color = colorSet.Fill(state);
        canvas->Brush->Style = bsSolid;
        canvas->Pen->Color = colorSet.Fill(state);
        canvas->Rectangle(r);
        canvas->Pen->Color = colorSet.Border(0);
        Line(canvas, r.Left + 1, r.Top, r.Left + 1, r.Bottom);
        canvas->Pen->Color = colorSet.Text(0);
        canvas->Brush->Color = colorSet.Text(0);
        canvas->Polygon({TPoint(r.Left + 5, r.Top + 8), TPoint(r.Left + 11, r.Top + 8), TPoint(r.Left + 8, r.Top + 11)});
        break;
    }
    default: break;
    }
}

void DrawCellPushButton(TCanvas* canvas, HWND window, TRect rect, int style, int state,
                        const TControlColorSet& colorSet)
{
    static const UINT stateFlags[] = {0, DFCS_HOT, DFCS_PUSHED, DFCS_INACTIVE};
    const UINT flags = DFCS_BUTTONPUSH | stateFlags[std::clamp(state, 0, 3)];
    switch (style) {
    case 0: DrawThemed(canvas, window, u"button", BP_PUSHBUTTON, std::clamp(state, 0, 3) + 1, rect); break;
    case 1: FrameControl(canvas, rect, DFC_BUTTON, flags); break;
    case 2: FrameControl(canvas, rect, DFC_BUTTON, flags | DFCS_FLAT); break;
    case 3:
        canvas->Brush->Color = colorSet.Fill(state);
        canvas->Brush->Style = bsSolid;
        canvas->Pen->Color = colorSet.Border(state);
        canvas->Rectangle(rect);
        break;
    default: break;
    }
}

void DrawCellSpinButtons(TCanvas* canvas, HWND window, TRect rect, int style, int state,
                         const TControlColorSet& colorSet)
{
    TRect r(rect.Right - 15, rect.Top, rect.Right, rect.Bottom);
    r.Left -= 1;
    r.Right -= 1;
    r.Top -= 1;
    r.Bottom -= 1;
    const int mid = r.Top + (r.Bottom - r.Top) / 2;
    const bool disabled = state == 3;
    switch (style) {
    case 0:
        DrawThemed(canvas, window, u"spin", SPNP_UP, disabled ? 4 : 1, TRect(r.Left, r.Top, r.Right, mid));
        DrawThemed(canvas, window, u"spin", SPNP_DOWN, disabled ? 4 : 1, TRect(r.Left, mid, r.Right, r.Bottom));
        break;
    case 1:
    case 2: {
        const UINT extra = (disabled ? DFCS_INACTIVE : 0) | (style == 2 ? DFCS_FLAT : 0);
        FrameControl(canvas, TRect(r.Left, r.Top, r.Right, mid), DFC_SCROLL, DFCS_SCROLLUP | extra);
        FrameControl(canvas, TRect(r.Left, mid + 1, r.Right, r.Bottom), DFC_SCROLL, DFCS_SCROLLDOWN | extra);
        break;
    }
    case 3: {
        SolidRect(canvas, TRect(r.Left, r.Top, r.Right, mid), colorSet.Fill(state));
        SolidRect(canvas, TRect(r.Left, mid + 1, r.Right, r.Bottom), colorSet.Fill(state));
        canvas->Pen->Color = clBlack;
        canvas->Brush->Color = clBlack;
        canvas->Polygon({TPoint(r.Left + 5, r.Top + 5), TPoint(r.Left + 9, r.Top + 5), TPoint(r.Left + 7, r.Top + 3)});
        const int m = mid + 1;
        canvas->Polygon({TPoint(r.Left + 5, m + 1), TPoint(r.Left + 9, m + 1), TPoint(r.Left + 7, m + 3)});
        break;
    }
    default: break;
    }
}

void DrawSmallDownArrow(TCanvas* canvas, int x, int y, TColor color)
{
    canvas->Pen->Color = color;
    canvas->Brush->Color = color;
    canvas->Brush->Style = bsSolid;
    canvas->Polygon({TPoint(x - 3, y), TPoint(x + 3, y), TPoint(x, y + 3)});
}

void FillRectColor(TCanvas* canvas, TRect rect, TColor color)
{
    canvas->Brush->Color = color;
    canvas->Brush->Style = bsSolid;
    canvas->FillRect(rect);
}

void DrawTransparentBitmap(TCanvas* canvas, TBitmap* bitmap, TColor backColor, TRect rect)
{
    if (!bitmap || bitmap->Empty())
        return;
    TBitmap second;
    second.SetSize(bitmap->Width(), bitmap->Height());
    second.Canvas()->Brush->Color = backColor;
    const TColor transparent = TColor(QColorToColorRef(bitmap->Image().pixelColor(0, 0)));
    const TRect all(0, 0, bitmap->Width(), bitmap->Height());
    second.Canvas()->BrushCopy(all, bitmap, all, transparent);
    canvas->CopyRect(TRect(rect.Left, rect.Top, rect.Left + bitmap->Width(), rect.Top + bitmap->Height()),
                     second.Canvas(), all);
}

void DrawTransparentResBitmap(TCanvas* canvas, TColor backColor, TRect rect, const String& resourceName)
{
    TBitmap bitmap;
    try {
        bitmap.LoadFromFile(":/bitmaps/" + resourceName + ".bmp");
    } catch (const EInvalidGraphic&) {
        return; // no such resource
    }
    DrawTransparentBitmap(canvas, &bitmap, backColor, rect);
}

void DrawErrorUnderline(TControl* parent, TCanvas* canvas, const String& text, TRect rect, int offsetY, int start,
                        int count)
{
    // The positions a single-line edit control placed at rect gives for the characters: its
    // text starts one pixel in from the left and at the top.
    const std::vector<int> advances = TextPrefixAdvances(parent ? parent->Font() : canvas->Font, text);
    const int length = int(advances.size()) - 1;
    // a place outside the text is the end of the text
    auto posOf = [&](int index) { return TPoint(1 + advances[size_t(index < 0 || index > length ? length : index)], 0); };
    TPoint p1 = start < length ? posOf(start) : TPoint(posOf(length).X + 4, posOf(length).Y);
    TPoint p2;
    if (start + count < length) {
        p2 = posOf(start + count - 1);
    } else {
        p2 = posOf(std::max(0, length - 1));
        p2.X += 4;
        p2.Y = p1.Y;
    }
    canvas->Pen->Color = TColor(0x0000FF);
    canvas->Pen->Width = 2;
    int x = p1.X;
    int d = 3;
    canvas->MoveTo(rect.Left + x, rect.Top + p1.Y + offsetY + 3);
    while (x <= p2.X) {
        d = d == 3 ? 0 : 3;
        canvas->LineTo(rect.Left + x + 3, rect.Top + p2.Y + offsetY + d);
        x += 3;
    }
    d = d == 3 ? 0 : 3;
    canvas->LineTo(rect.Left + x + 3, rect.Top + p2.Y + offsetY + d);
    canvas->Pen->Width = 1;
}

TColor HalfColor(TColor color)
{
    const TColor c = ColorToRGB(color);
    return Rgb(R(c) >> 1, G(c) >> 1, B(c) >> 1);
}

TColor ScaleColorPercent(TColor color, int percent)
{
    const TColor c = ColorToRGB(color);
    auto scale = [percent](int v) { return RoundEven(v + v * percent / 100.0); };
    return Rgb(scale(R(c)), scale(G(c)), scale(B(c)));
}
