#include "platform/win/WinFrameControl.h"

#include <algorithm>

namespace {

// Runs drawing without logging the primitives it is made of.
struct Quiet {
    explicit Quiet(HDC dc) : dc_(dc), saved_(dc->Recorder) { dc->Recorder = nullptr; }
    ~Quiet() { dc_->Recorder = saved_; }
    HDC dc_;
    TGdiRecorder* saved_;
};

void Fill(HDC dc, const RECT& r, COLORREF c)
{
    if (IsRectEmpty(&r))
        return;
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

// One ring of an edge: the top and left sides in `topLeft`, the bottom and right in `bottomRight`.
void Ring(HDC dc, const RECT& r, UINT sides, COLORREF topLeft, COLORREF bottomRight)
{
    if (sides & BF_TOP)
        Fill(dc, RECT{r.left, r.top, r.right, r.top + 1}, topLeft);
    if (sides & BF_LEFT)
        Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, topLeft);
    if (sides & BF_BOTTOM)
        Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    if (sides & BF_RIGHT)
        Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

void Shrink(RECT& r, UINT sides)
{
    if (sides & BF_LEFT)
        ++r.left;
    if (sides & BF_TOP)
        ++r.top;
    if (sides & BF_RIGHT)
        --r.right;
    if (sides & BF_BOTTOM)
        --r.bottom;
}

void EdgeRings(HDC dc, RECT& r, UINT edge, UINT flags)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF light = GetSysColor(COLOR_3DLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
    const UINT sides = flags & BF_RECT;
    if (flags & (BF_FLAT | BF_MONO)) {
        const COLORREF c = (flags & BF_MONO) ? GetSysColor(COLOR_WINDOWFRAME) : shadow;
        if (edge & BDR_OUTER) {
            Ring(dc, r, sides, c, c);
            Shrink(r, sides);
        }
        if (edge & BDR_INNER) {
            const COLORREF inner = (flags & BF_MONO) ? GetSysColor(COLOR_WINDOW) : face;
            Ring(dc, r, sides, inner, inner);
            Shrink(r, sides);
        }
        return;
    }
    if (edge & BDR_OUTER) {
        if (edge & BDR_RAISEDOUTER)
            Ring(dc, r, sides, (flags & BF_SOFT) ? highlight : light, dark);
        else
            Ring(dc, r, sides, shadow, highlight);
        Shrink(r, sides);
    }
    if (edge & BDR_INNER) {
        if (edge & BDR_RAISEDINNER)
            Ring(dc, r, sides, (flags & BF_SOFT) ? light : highlight, shadow);
        else
            Ring(dc, r, sides, dark, light);
        Shrink(r, sides);
    }
}

// A filled triangle pointing `dir` (0 up, 1 down, 2 left, 3 right) centred in r.
void Arrow(HDC dc, const RECT& r, int dir, COLORREF color, int offset)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int size = std::max(2, (std::min(w, h) - 2) / 4 + 1); // rows of the triangle
    const int cx = r.left + w / 2 + offset - (dir >= 2 ? 0 : 0);
    const int cy = r.top + h / 2 + offset;
    for (int i = 0; i < size; ++i) {
        const int half = (dir == 0 || dir == 2) ? i : size - 1 - i;
        if (dir <= 1) {
            const int y = cy - size / 2 + i;
            Fill(dc, RECT{cx - half, y, cx + half + 1, y + 1}, color);
        } else {
            const int x = cx - size / 2 + i;
            Fill(dc, RECT{x, cy - half, x + 1, cy + half + 1}, color);
        }
    }
}

void PushButton(HDC dc, RECT r, UINT state)
{
    if (state & DFCS_FLAT) {
        Ring(dc, r, BF_RECT, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW));
        Shrink(r, BF_RECT);
    } else if (state & (DFCS_PUSHED | DFCS_CHECKED)) {
        Ring(dc, r, BF_RECT, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        Shrink(r, BF_RECT);
        Ring(dc, r, BF_RECT, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_3DLIGHT));
        Shrink(r, BF_RECT);
    } else {
        EdgeRings(dc, r, EDGE_RAISED, BF_RECT);
    }
    Fill(dc, r, GetSysColor(COLOR_BTNFACE));
}

void CheckBox(HDC dc, const RECT& area, UINT state)
{
    const int size = std::min({13, int(area.right - area.left), int(area.bottom - area.top)});
    RECT r{area.left + (area.right - area.left - size) / 2, area.top + (area.bottom - area.top - size) / 2, 0, 0};
    r.right = r.left + size;
    r.bottom = r.top + size;
    const bool radio = (state & DFCS_BUTTONRADIO) != 0;
    const COLORREF inside = (state & (DFCS_INACTIVE | DFCS_PUSHED)) ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW);
    const COLORREF mark = (state & DFCS_INACTIVE) ? GetSysColor(COLOR_BTNSHADOW) : GetSysColor(COLOR_WINDOWTEXT);
    if (radio) {
        HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        HBRUSH brush = CreateSolidBrush(inside);
        HGDIOBJ op = SelectObject(dc, pen), ob = SelectObject(dc, brush);
        Ellipse(dc, r.left, r.top, r.right, r.bottom);
        SelectObject(dc, op);
        SelectObject(dc, ob);
        DeleteObject(pen);
        DeleteObject(brush);
        if (state & DFCS_CHECKED) {
            HBRUSH dot = CreateSolidBrush(mark);
            HGDIOBJ ob2 = SelectObject(dc, dot);
            HGDIOBJ op2 = SelectObject(dc, GetStockObject(NULL_PEN));
            const int c = size / 2;
            Ellipse(dc, r.left + c - 2, r.top + c - 2, r.left + c + 3, r.top + c + 3);
            SelectObject(dc, ob2);
            SelectObject(dc, op2);
            DeleteObject(dot);
        }
        return;
    }
    if (state & DFCS_FLAT) {
        Ring(dc, r, BF_RECT, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW));
        Shrink(r, BF_RECT);
    } else {
        EdgeRings(dc, r, EDGE_SUNKEN, BF_RECT);
    }
    Fill(dc, r, inside);
    if (state & DFCS_CHECKED) {
        // a tick of three strokes, 7 pixels wide
        const int x0 = r.left + (r.right - r.left - 7) / 2;
        const int y0 = r.top + (r.bottom - r.top - 7) / 2 + 2;
        for (int i = 0; i < 7; ++i) {
            const int y = i < 3 ? y0 + i : y0 + 4 - i + 0;
            Fill(dc, RECT{x0 + i, y, x0 + i + 1, y + 3}, mark);
        }
    }
}

void ScrollButton(HDC dc, RECT r, UINT state)
{
    const UINT kind = state & 0xFF;
    if (kind == DFCS_SCROLLSIZEGRIP) {
        Fill(dc, r, GetSysColor(COLOR_BTNFACE));
        for (int i = 0; i < 3; ++i) {
            const int d = 4 * i + 3;
            HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
            HGDIOBJ old = SelectObject(dc, pen);
            MoveToEx(dc, r.right - d, r.bottom - 1, nullptr);
            LineTo(dc, r.right, r.bottom - 1 - d);
            SelectObject(dc, old);
            DeleteObject(pen);
        }
        return;
    }
    PushButton(dc, r, state & (DFCS_PUSHED | DFCS_FLAT));
    const int dir = kind == DFCS_SCROLLCOMBOBOX ? 1 : int(kind & 3);
    const int offset = (state & DFCS_PUSHED) ? 1 : 0;
    if (state & DFCS_INACTIVE) {
        Arrow(dc, r, dir, GetSysColor(COLOR_BTNHIGHLIGHT), offset + 1);
        Arrow(dc, r, dir, GetSysColor(COLOR_BTNSHADOW), offset);
    } else {
        Arrow(dc, r, dir, GetSysColor(COLOR_BTNTEXT), offset);
    }
}

void CaptionButton(HDC dc, RECT r, UINT state)
{
    PushButton(dc, r, state & (DFCS_PUSHED | DFCS_FLAT));
    const COLORREF c = (state & DFCS_INACTIVE) ? GetSysColor(COLOR_BTNSHADOW) : GetSysColor(COLOR_BTNTEXT);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int s = std::max(3, std::min(w, h) / 2 - 1);
    const int x = r.left + (w - s) / 2, y = r.top + (h - s) / 2;
    switch (state & 0xFF) {
    case DFCS_CAPTIONCLOSE:
        for (int i = 0; i < s; ++i) {
            Fill(dc, RECT{x + i, y + i, x + i + 2, y + i + 1}, c);
            Fill(dc, RECT{x + s - 1 - i, y + i, x + s + 1 - i, y + i + 1}, c);
        }
        break;
    case DFCS_CAPTIONMIN: Fill(dc, RECT{x, y + s - 2, x + s, y + s}, c); break;
    case DFCS_CAPTIONMAX:
        Fill(dc, RECT{x, y, x + s, y + 2}, c);
        Ring(dc, RECT{x, y, x + s, y + s}, BF_RECT, c, c);
        break;
    case DFCS_CAPTIONRESTORE:
        Ring(dc, RECT{x + 2, y, x + s, y + s - 2}, BF_RECT, c, c);
        Ring(dc, RECT{x, y + 2, x + s - 2, y + s}, BF_RECT, c, c);
        break;
    default: Arrow(dc, r, 1, c, 0); break;
    }
}

void MenuGlyph(HDC dc, const RECT& r, UINT state)
{
    const COLORREF c = GetSysColor(COLOR_MENUTEXT);
    switch (state & 0xFF) {
    case DFCS_MENUARROW: Arrow(dc, r, 3, c, 0); break;
    case DFCS_MENUCHECK: CheckBox(dc, r, DFCS_CHECKED | DFCS_FLAT); break;
    default: {
        const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        Fill(dc, RECT{cx - 2, cy - 2, cx + 2, cy + 2}, c);
        break;
    }
    }
}

} // namespace

BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags)
{
    if (!dc || !rect)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("DrawEdge");
    rec.Rect = *rect;
    rec.Flags = flags;
    rec.Points = {POINT{LONG(edge), LONG(flags)}};
    dc->Record(rec);
    Quiet quiet(dc);
    RECT r = *rect;
    EdgeRings(dc, r, edge, flags);
    if (flags & BF_MIDDLE)
        Fill(dc, r, GetSysColor(COLOR_BTNFACE));
    if (flags & BF_ADJUST)
        *rect = r;
    return TRUE;
}

BOOL DrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state)
{
    if (!dc || !rect)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("DrawFrameControl");
    rec.Rect = *rect;
    rec.Flags = state;
    rec.Points = {POINT{LONG(type), LONG(state)}};
    dc->Record(rec);
    Quiet quiet(dc);
    switch (type) {
    case DFC_BUTTON:
        if (state & DFCS_BUTTONPUSH)
            PushButton(dc, *rect, state);
        else
            CheckBox(dc, *rect, state);
        break;
    case DFC_SCROLL: ScrollButton(dc, *rect, state); break;
    case DFC_CAPTION: CaptionButton(dc, *rect, state); break;
    case DFC_MENU: MenuGlyph(dc, *rect, state); break;
    default: return FALSE;
    }
    if (state & DFCS_ADJUSTRECT)
        InflateRect(rect, -2, -2);
    return TRUE;
}
