#include "platform/win/WinEmfWriter.h"

#include "platform/win/WinEmfRecords.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

std::vector<std::uint8_t> ImageToDib32(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    TByteWriter w;
    w.U32(40);
    w.I32(image.width());
    w.I32(image.height());
    w.U16(1);
    w.U16(32);
    w.U32(BI_RGB);
    w.U32(std::uint32_t(image.width()) * std::uint32_t(image.height()) * 4);
    w.I32(3780);
    w.I32(3780);
    w.U32(0);
    w.U32(0);
    for (int y = image.height() - 1; y >= 0; --y)
        w.Raw(image.constScanLine(y), size_t(image.width()) * 4);
    return std::move(w.bytes);
}

std::vector<std::uint8_t> RegionData(const QRegion& region)
{
    TByteWriter w;
    const QRect b = region.boundingRect();
    w.U32(32);
    w.U32(1);
    w.U32(std::uint32_t(region.rectCount()));
    w.U32(std::uint32_t(region.rectCount()) * 16);
    w.I32(b.left());
    w.I32(b.top());
    w.I32(b.left() + b.width());
    w.I32(b.top() + b.height());
    for (const QRect& r : region) {
        w.I32(r.left());
        w.I32(r.top());
        w.I32(r.left() + r.width());
        w.I32(r.top() + r.height());
    }
    return std::move(w.bytes);
}

namespace {

bool SameFont(const LOGFONT& a, const LOGFONT& b)
{
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           std::strncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

struct BrushKey {
    LOGBRUSH brush;
    qint64 pattern = 0;
    bool operator==(const BrushKey& o) const
    {
        return brush.lbStyle == o.brush.lbStyle && brush.lbColor == o.brush.lbColor &&
               (brush.lbStyle != BS_HATCHED || brush.lbHatch == o.brush.lbHatch) && pattern == o.pattern;
    }
};

class TEmfWriter : public IGdiMetaSink {
public:
    std::string fileName;
    RECT frame{};
    bool hasFrame = false;
    std::u16string description;
    QSize devicePixels;
    QSize deviceMillimetres;

    TByteWriter out;
    std::uint32_t records = 0;
    QRect bounds;
    std::vector<bool> handles{true}; // index 0 is the metafile itself

    // What the records so far have established.
    int mapMode = MM_TEXT;
    POINT windowOrg{0, 0}, viewportOrg{0, 0};
    SIZE windowExt{1, 1}, viewportExt{1, 1};
    COLORREF textColor = 0, bkColor = 0xFFFFFF;
    int bkMode = OPAQUE, rop2 = R2_COPYPEN, fillMode = ALTERNATE, stretchMode = BLACKONWHITE;
    UINT textAlign = 0;
    bool hasClip = false;
    QRegion clip;
    POINT current{0, 0};
    int penIndex = 0, brushIndex = 0, fontIndex = 0; // 0: the default object
    LOGPEN pen{};
    std::vector<DWORD> penDashes; // the written pen's user style
    DWORD penExtStyle = 0;
    BrushKey brush{LOGBRUSH{BS_SOLID, 0xFFFFFF, 0}}; // the picture starts with the white stock brush
    LOGFONT font{};

    size_t Begin(std::uint32_t type)
    {
        const size_t at = out.Size();
        out.U32(type);
        out.U32(0);
        return at;
    }
    void End(size_t at)
    {
        out.Pad4();
        out.Patch32(at + 4, std::uint32_t(out.Size() - at));
        ++records;
    }
    void Rect(const RECT& r)
    {
        out.I32(r.left);
        out.I32(r.top);
        out.I32(r.right);
        out.I32(r.bottom);
    }
    void One(std::uint32_t type, std::uint32_t value)
    {
        const size_t at = Begin(type);
        out.U32(value);
        End(at);
    }
    void Two(std::uint32_t type, std::int32_t a, std::int32_t b)
    {
        const size_t at = Begin(type);
        out.I32(a);
        out.I32(b);
        End(at);
    }
    int NewHandle()
    {
        for (size_t i = 1; i < handles.size(); ++i)
            if (!handles[i]) {
                handles[i] = true;
                return int(i);
            }
        handles.push_back(true);
        return int(handles.size() - 1);
    }
    void DeleteHandle(int index)
    {
        if (index <= 0)
            return;
        One(emf::DELETEOBJECT, std::uint32_t(index));
        handles[size_t(index)] = false;
    }
    void Grow(HDC dc, QRect device)
    {
        (void)dc;
        device = device.normalized();
        bounds = bounds.isNull() ? device : bounds.united(device);
    }
    void GrowLogical(HDC dc, const RECT& r)
    {
        const QPoint a = dc->ToDevice(r.left, r.top), b = dc->ToDevice(r.right, r.bottom);
        Grow(dc, QRect(a, b));
    }
    void GrowPoints(HDC dc, const POINT* p, int n)
    {
        if (n <= 0)
            return;
        int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
        for (int i = 0; i < n; ++i) {
            const QPoint d = dc->ToDevice(p[i].x, p[i].y);
            l = std::min(l, d.x());
            t = std::min(t, d.y());
            r = std::max(r, d.x());
            b = std::max(b, d.y());
        }
        Grow(dc, QRect(QPoint(l, t), QPoint(r, b)));
    }
    static RECT LogicalBox(const POINT* p, int n)
    {
        RECT r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int i = 0; i < n; ++i) {
            r.left = std::min(r.left, p[i].x);
            r.top = std::min(r.top, p[i].y);
            r.right = std::max(r.right, p[i].x);
            r.bottom = std::max(r.bottom, p[i].y);
        }
        if (n <= 0)
            r = RECT{0, 0, -1, -1};
        return r;
    }

    // ---------------------------------------------------------------- state

    LOGPEN PenOf(HDC dc) const
    {
        LOGPEN p = dc->pen ? dc->pen->pen : LOGPEN{};
        if (dc->pen && dc->pen == GetStockObject(DC_PEN))
            p.lopnColor = dc->dcPenColor;
        return p;
    }
    BrushKey BrushOf(HDC dc) const
    {
        BrushKey k;
        if (dc->brush) {
            k.brush = dc->brush->brush;
            if (dc->brush == GetStockObject(DC_BRUSH))
                k.brush.lbColor = dc->dcBrushColor;
            if (k.brush.lbStyle == BS_PATTERN)
                k.pattern = dc->brush->pattern.cacheKey();
        }
        return k;
    }
    void WriteBrush(int index, const BrushKey& key, const QImage& pattern)
    {
        if (key.brush.lbStyle == BS_PATTERN && !pattern.isNull()) {
            const std::vector<std::uint8_t> dib = ImageToDib32(pattern);
            const size_t at = Begin(emf::CREATEDIBPATTERNBRUSHPT);
            out.U32(std::uint32_t(index));
            out.U32(DIB_RGB_COLORS);
            out.U32(32);
            out.U32(40);
            out.U32(72);
            out.U32(std::uint32_t(dib.size() - 40));
            out.Raw(dib.data(), dib.size());
            End(at);
            return;
        }
        const size_t at = Begin(emf::CREATEBRUSHINDIRECT);
        out.U32(std::uint32_t(index));
        out.U32(key.brush.lbStyle == BS_PATTERN ? BS_SOLID : key.brush.lbStyle);
        out.U32(key.brush.lbColor);
        out.U32(std::uint32_t(key.brush.lbHatch));
        End(at);
    }
    void Sync(HDC dc, bool withCurrent = false)
    {
        if (dc->mapMode != mapMode)
            One(emf::SETMAPMODE, std::uint32_t(mapMode = dc->mapMode));
        if (dc->windowExt.cx != windowExt.cx || dc->windowExt.cy != windowExt.cy)
            windowExt = dc->windowExt, Two(emf::SETWINDOWEXTEX, windowExt.cx, windowExt.cy);
        if (dc->viewportExt.cx != viewportExt.cx || dc->viewportExt.cy != viewportExt.cy)
            viewportExt = dc->viewportExt, Two(emf::SETVIEWPORTEXTEX, viewportExt.cx, viewportExt.cy);
        if (dc->windowOrg.x != windowOrg.x || dc->windowOrg.y != windowOrg.y)
            windowOrg = dc->windowOrg, Two(emf::SETWINDOWORGEX, windowOrg.x, windowOrg.y);
        if (dc->viewportOrg.x != viewportOrg.x || dc->viewportOrg.y != viewportOrg.y)
            viewportOrg = dc->viewportOrg, Two(emf::SETVIEWPORTORGEX, viewportOrg.x, viewportOrg.y);
        if (dc->textColor != textColor)
            One(emf::SETTEXTCOLOR, textColor = dc->textColor);
        if (dc->bkColor != bkColor)
            One(emf::SETBKCOLOR, bkColor = dc->bkColor);
        if (dc->bkMode != bkMode)
            One(emf::SETBKMODE, std::uint32_t(bkMode = dc->bkMode));
        if (dc->rop2 != rop2)
            One(emf::SETROP2, std::uint32_t(rop2 = dc->rop2));
        if (dc->polyFillMode != fillMode)
            One(emf::SETPOLYFILLMODE, std::uint32_t(fillMode = dc->polyFillMode));
        if (dc->textAlign != textAlign)
            One(emf::SETTEXTALIGN, textAlign = dc->textAlign);
        if (dc->stretchMode != stretchMode)
            One(emf::SETSTRETCHBLTMODE, std::uint32_t(stretchMode = dc->stretchMode));
        if (dc->hasClip != hasClip || (hasClip && dc->clip != clip)) {
            hasClip = dc->hasClip;
            clip = dc->clip;
            const size_t at = Begin(emf::EXTSELECTCLIPRGN);
            if (hasClip) {
                const std::vector<std::uint8_t> data = RegionData(clip);
                out.U32(std::uint32_t(data.size()));
                out.U32(RGN_COPY);
                out.Raw(data.data(), data.size());
            } else {
                out.U32(0);
                out.U32(RGN_COPY);
            }
            End(at);
        }
        const LOGPEN p = PenOf(dc);
        const bool userStyled = dc->pen && (p.lopnStyle & PS_STYLE_MASK) == PS_USERSTYLE && !dc->pen->userStyle.empty();
        const std::vector<DWORD> dashes = userStyled ? dc->pen->userStyle : std::vector<DWORD>{};
        const DWORD extStyle = userStyled ? dc->pen->extStyle : 0;
        if (p.lopnStyle != pen.lopnStyle || p.lopnWidth.x != pen.lopnWidth.x || p.lopnColor != pen.lopnColor ||
            dashes != penDashes || extStyle != penExtStyle) {
            const int index = NewHandle();
            if (userStyled) { // the dash lengths go with the pen
                const size_t at = Begin(emf::EXTCREATEPEN);
                out.U32(std::uint32_t(index));
                out.U32(0); // no brush bitmap: offset and size of its header and bits
                out.U32(0);
                out.U32(0);
                out.U32(0);
                out.U32(PS_USERSTYLE | extStyle);
                out.U32(std::uint32_t(p.lopnWidth.x));
                out.U32(BS_SOLID);
                out.U32(p.lopnColor);
                out.U32(0);
                out.U32(std::uint32_t(dashes.size()));
                for (const DWORD n : dashes)
                    out.U32(n);
                End(at);
            } else {
                const size_t at = Begin(emf::CREATEPEN);
                out.U32(std::uint32_t(index));
                out.U32(p.lopnStyle == PS_USERSTYLE ? PS_SOLID : p.lopnStyle);
                out.I32(p.lopnWidth.x);
                out.I32(0);
                out.U32(p.lopnColor);
                End(at);
            }
            penDashes = dashes;
            penExtStyle = extStyle;
            One(emf::SELECTOBJECT, std::uint32_t(index));
            DeleteHandle(penIndex);
            penIndex = index;
            pen = p;
        }
        const BrushKey b = BrushOf(dc);
        if (!(b == brush)) {
            const int index = NewHandle();
            WriteBrush(index, b, dc->brush ? dc->brush->pattern : QImage());
            One(emf::SELECTOBJECT, std::uint32_t(index));
            DeleteHandle(brushIndex);
            brushIndex = index;
            brush = b;
        }
        const LOGFONT f = dc->font ? dc->font->font : LOGFONT{};
        if (!SameFont(f, font)) {
            const int index = NewHandle();
            const size_t at = Begin(emf::EXTCREATEFONTINDIRECTW);
            out.U32(std::uint32_t(index));
            out.I32(f.lfHeight);
            out.I32(f.lfWidth);
            out.I32(f.lfEscapement);
            out.I32(f.lfOrientation);
            out.I32(f.lfWeight);
            out.U8(f.lfItalic);
            out.U8(f.lfUnderline);
            out.U8(f.lfStrikeOut);
            out.U8(f.lfCharSet);
            out.U8(f.lfOutPrecision);
            out.U8(f.lfClipPrecision);
            out.U8(f.lfQuality);
            out.U8(f.lfPitchAndFamily);
            const QString face = QString::fromUtf8(f.lfFaceName, qsizetype(strnlen(f.lfFaceName, LF_FACESIZE)));
            for (int i = 0; i < 32; ++i)
                out.U16(i < face.size() && i < 31 ? face.at(i).unicode() : 0);
            for (int i = 0; i < 64 + 32 + 32; ++i) // full name, style and script: empty
                out.U16(0);
            End(at);
            One(emf::SELECTOBJECT, std::uint32_t(index));
            DeleteHandle(fontIndex);
            fontIndex = index;
            font = f;
        }
        if (withCurrent && (dc->current.x != current.x || dc->current.y != current.y))
            current = dc->current, Two(emf::MOVETOEX, current.x, current.y);
    }

    // ---------------------------------------------------------------- drawing

    void LineTo(HDC dc, int x, int y) override
    {
        Sync(dc, true);
        const POINT pts[2] = {dc->current, POINT{x, y}};
        GrowPoints(dc, pts, 2);
        Two(emf::LINETO, x, y);
        current = POINT{x, y};
    }
    static bool Fits16(const POINT* p, int n)
    {
        for (int i = 0; i < n; ++i)
            if (p[i].x < -32768 || p[i].x > 32767 || p[i].y < -32768 || p[i].y > 32767)
                return false;
        return true;
    }
    void Points(const POINT* p, int n, bool small)
    {
        for (int i = 0; i < n; ++i) {
            if (small) {
                out.I16(std::int16_t(p[i].x));
                out.I16(std::int16_t(p[i].y));
            } else {
                out.I32(p[i].x);
                out.I32(p[i].y);
            }
        }
    }
    void Poly(HDC dc, bool polygon, const POINT* points, int count) override
    {
        if (!points || count < 2)
            return;
        Sync(dc);
        GrowPoints(dc, points, count);
        const bool small = Fits16(points, count);
        const size_t at = Begin(polygon ? (small ? emf::POLYGON16 : emf::POLYGON) : (small ? emf::POLYLINE16 : emf::POLYLINE));
        Rect(LogicalBox(points, count));
        out.U32(std::uint32_t(count));
        Points(points, count, small);
        End(at);
    }
    void PolyPoly(HDC dc, bool polygon, const POINT* points, const int* counts, int polys) override
    {
        if (!points || !counts || polys <= 0)
            return;
        long long total = 0;
        for (int i = 0; i < polys; ++i) {
            if (counts[i] < 0)
                return;
            total += counts[i];
        }
        if (total <= 0 || total > INT_MAX / 8)
            return;
        Sync(dc);
        GrowPoints(dc, points, int(total));
        const bool small = Fits16(points, int(total));
        const size_t at = Begin(polygon ? (small ? emf::POLYPOLYGON16 : emf::POLYPOLYGON)
                                        : (small ? emf::POLYPOLYLINE16 : emf::POLYPOLYLINE));
        Rect(LogicalBox(points, int(total)));
        out.U32(std::uint32_t(polys));
        out.U32(std::uint32_t(total));
        for (int i = 0; i < polys; ++i)
            out.U32(std::uint32_t(counts[i]));
        Points(points, int(total), small);
        End(at);
    }
    void Shape(HDC dc, TMetaShape shape, RECT box, POINT a, POINT b) override
    {
        Sync(dc);
        GrowLogical(dc, box);
        std::uint32_t type = emf::RECTANGLE;
        switch (shape) {
        case TMetaShape::Rectangle: type = emf::RECTANGLE; break;
        case TMetaShape::Ellipse: type = emf::ELLIPSE; break;
        case TMetaShape::RoundRect: type = emf::ROUNDRECT; break;
        case TMetaShape::Arc: type = emf::ARC; break;
        case TMetaShape::Pie: type = emf::PIE; break;
        case TMetaShape::Chord: type = emf::CHORD; break;
        }
        const size_t at = Begin(type);
        Rect(box);
        if (shape == TMetaShape::RoundRect) {
            out.I32(a.x);
            out.I32(a.y);
        } else if (shape != TMetaShape::Rectangle && shape != TMetaShape::Ellipse) {
            out.I32(a.x);
            out.I32(a.y);
            out.I32(b.x);
            out.I32(b.y);
        }
        End(at);
    }
    void RegionRecord(HDC dc, TMetaRegionOp op, const QRegion& region, BrushObject* brushObject, int w, int h)
    {
        Sync(dc);
        const QRect rb = region.boundingRect();
        GrowLogical(dc, RECT{rb.left(), rb.top(), rb.left() + rb.width(), rb.top() + rb.height()});
        int temp = 0;
        if (brushObject && (op == TMetaRegionOp::Fill || op == TMetaRegionOp::Frame)) {
            temp = NewHandle();
            BrushKey k;
            k.brush = brushObject->brush;
            if (brushObject == GetStockObject(DC_BRUSH))
                k.brush.lbColor = dc->dcBrushColor;
            WriteBrush(temp, k, brushObject->pattern);
        }
        const std::vector<std::uint8_t> data = RegionData(region);
        std::uint32_t type = emf::PAINTRGN;
        switch (op) {
        case TMetaRegionOp::Fill: type = emf::FILLRGN; break;
        case TMetaRegionOp::Frame: type = emf::FRAMERGN; break;
        case TMetaRegionOp::Invert: type = emf::INVERTRGN; break;
        case TMetaRegionOp::Paint: type = emf::PAINTRGN; break;
        }
        const size_t at = Begin(type);
        Rect(RECT{rb.left(), rb.top(), rb.left() + rb.width() - 1, rb.top() + rb.height() - 1});
        out.U32(std::uint32_t(data.size()));
        if (type == emf::FILLRGN || type == emf::FRAMERGN)
            out.U32(std::uint32_t(temp));
        if (type == emf::FRAMERGN) {
            out.I32(w);
            out.I32(h);
        }
        out.Raw(data.data(), data.size());
        End(at);
        if (temp)
            DeleteHandle(temp);
    }
    void FillRect(HDC dc, const RECT& rect, BrushObject* b) override
    {
        if (!b || rect.right <= rect.left || rect.bottom <= rect.top)
            return;
        RegionRecord(dc, TMetaRegionOp::Fill, QRegion(RectToQRect(rect)), b, 0, 0);
    }
    void Region(HDC dc, TMetaRegionOp op, RegionObject* region, BrushObject* b, int w, int h) override
    {
        if (!region)
            return;
        RegionRecord(dc, op, region->region, b, w, h);
    }
    void SetPixel(HDC dc, int x, int y, COLORREF color) override
    {
        Sync(dc);
        Grow(dc, QRect(dc->ToDevice(x, y), QSize(1, 1)));
        const size_t at = Begin(emf::SETPIXELV);
        out.I32(x);
        out.I32(y);
        out.U32(color);
        End(at);
    }
    void BlitImage(HDC dc, int x, int y, int w, int h, const QImage& image, DWORD rop)
    {
        const std::vector<std::uint8_t> dib = ImageToDib32(image);
        GrowLogical(dc, RECT{x, y, x + w, y + h});
        const size_t at = Begin(emf::STRETCHDIBITS);
        Rect(RECT{x, y, x + w - 1, y + h - 1});
        out.I32(x);
        out.I32(y);
        out.I32(0);
        out.I32(0);
        out.I32(image.width());
        out.I32(image.height());
        out.U32(80);
        out.U32(40);
        out.U32(120);
        out.U32(std::uint32_t(dib.size() - 40));
        out.U32(DIB_RGB_COLORS);
        out.U32(rop);
        out.I32(w);
        out.I32(h);
        out.Raw(dib.data(), dib.size());
        End(at);
    }
    void Blit(HDC dc, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) override
    {
        Sync(dc);
        if (!src) {
            GrowLogical(dc, RECT{x, y, x + w, y + h});
            const size_t at = Begin(emf::BITBLT);
            Rect(RECT{x, y, x + w - 1, y + h - 1});
            out.I32(x);
            out.I32(y);
            out.I32(w);
            out.I32(h);
            out.U32(rop);
            out.I32(0);
            out.I32(0);
            const float identity[6] = {1, 0, 0, 1, 0, 0};
            for (float f : identity)
                out.F32(f);
            out.U32(0);
            out.U32(DIB_RGB_COLORS);
            for (int i = 0; i < 4; ++i)
                out.U32(0);
            End(at);
            return;
        }
        QImage* image = src->Image();
        if (!image || image->isNull())
            return;
        const QRect area = QRect(src->ToDevice(sx, sy), QSize(std::abs(sw), std::abs(sh))).intersected(image->rect());
        if (area.isEmpty())
            return;
        BlitImage(dc, x, y, w, h, image->copy(area), rop);
    }
    void DibBlit(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                 const BITMAPINFO* info, UINT usage, DWORD rop) override
    {
        (void)usage;
        if (!info)
            return;
        Sync(dc);
        const DWORD* masks = info->bmiHeader.biCompression == BI_BITFIELDS
                                 ? reinterpret_cast<const DWORD*>(info->bmiColors)
                                 : nullptr;
        const QImage image = DibToImage(&info->bmiHeader, bits, info->bmiColors, masks);
        if (image.isNull())
            return;
        const QRect area = QRect(sx, sy, std::abs(sw), std::abs(sh)).intersected(image.rect());
        if (area.isEmpty())
            return;
        BlitImage(dc, x, y, w, h, image.copy(area), rop);
    }
    void Text(HDC dc, int x, int y, UINT options, const RECT* rect, const std::u16string& text, const int* dx) override
    {
        Sync(dc);
        const UINT n = UINT(text.size());
        std::vector<int> advances(n);
        if (dx) {
            std::copy(dx, dx + n, advances.begin());
        } else {
            int before = 0;
            for (UINT i = 0; i < n; ++i) {
                SIZE s{};
                GetTextExtentPoint32W(dc, text.data(), int(i + 1), &s);
                advances[i] = s.cx - before;
                before = s.cx;
            }
        }
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.data(), int(n), &extent);
        long long width = 0;
        for (int a : advances)
            width += a;
        int left = x;
        if ((dc->textAlign & TA_CENTER) == TA_CENTER)
            left -= int(width / 2);
        else if ((dc->textAlign & TA_CENTER) == TA_RIGHT)
            left -= int(width);
        int top = y;
        if ((dc->textAlign & TA_BASELINE) == TA_BASELINE)
            top -= extent.cy * 4 / 5;
        else if ((dc->textAlign & TA_BASELINE) == TA_BOTTOM)
            top -= extent.cy;
        RECT box{left, top, left + int(width), top + extent.cy};
        if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED)))
            box = (options & ETO_CLIPPED) ? *rect : RECT{std::min(box.left, rect->left), std::min(box.top, rect->top),
                                                         std::max(box.right, rect->right), std::max(box.bottom, rect->bottom)};
        if (n > 0 || (rect && (options & ETO_OPAQUE)))
            GrowLogical(dc, box);
        const size_t at = Begin(emf::EXTTEXTOUTW);
        Rect(box);
        out.U32(1);  // compatible graphics mode
        out.F32(0);  // scales: unused in that mode
        out.F32(0);
        out.I32(x);
        out.I32(y);
        out.U32(n);
        const std::uint32_t offString = 76;
        const std::uint32_t offDx = offString + ((n * 2 + 3) / 4) * 4;
        out.U32(offString);
        out.U32(options & (ETO_OPAQUE | ETO_CLIPPED));
        if (rect)
            Rect(*rect);
        else
            Rect(RECT{0, 0, -1, -1});
        out.U32(offDx);
        for (char16_t c : text)
            out.U16(c);
        out.Pad4();
        for (int a : advances)
            out.I32(a);
        End(at);
    }

    void Comment(UINT size, const BYTE* data)
    {
        const size_t at = Begin(emf::GDICOMMENT);
        out.U32(size);
        out.Raw(data, size);
        End(at);
    }

    // The finished file: header, description, records, end of file.
    std::vector<std::uint8_t> Finish()
    {
        {
            const size_t at = Begin(emf::EOF_);
            out.U32(0);
            out.U32(16);
            out.U32(20);
            End(at);
        }
        const double pxPerMm100X = double(devicePixels.width()) / (deviceMillimetres.width() * 100.0);
        const double pxPerMm100Y = double(devicePixels.height()) / (deviceMillimetres.height() * 100.0);
        RECTL rb{0, 0, -1, -1};
        if (!bounds.isNull())
            rb = RECTL{bounds.left(), bounds.top(), bounds.right(), bounds.bottom()};
        RECTL rf{};
        if (hasFrame)
            rf = RECTL{frame.left, frame.top, frame.right, frame.bottom};
        else if (!bounds.isNull())
            rf = RECTL{LONG(std::lround(rb.left / pxPerMm100X)), LONG(std::lround(rb.top / pxPerMm100Y)),
                       LONG(std::lround(rb.right / pxPerMm100X)), LONG(std::lround(rb.bottom / pxPerMm100Y))};
        TByteWriter head;
        const std::uint32_t headerSize = 108;
        std::u16string desc = description;
        const std::uint32_t descBytes = std::uint32_t(desc.size() * 2);
        const std::uint32_t recordSize = headerSize + ((descBytes + 3) / 4) * 4;
        const std::uint32_t total = recordSize + std::uint32_t(out.Size());
        head.U32(emf::HEADER);
        head.U32(recordSize);
        head.I32(rb.left), head.I32(rb.top), head.I32(rb.right), head.I32(rb.bottom);
        head.I32(rf.left), head.I32(rf.top), head.I32(rf.right), head.I32(rf.bottom);
        head.U32(emf::SIGNATURE);
        head.U32(0x10000);
        head.U32(total);
        head.U32(records + 1);
        head.U16(std::uint16_t(std::min<size_t>(handles.size(), 0xFFFF)));
        head.U16(0);
        head.U32(std::uint32_t(desc.size()));
        head.U32(desc.empty() ? 0 : headerSize);
        head.U32(0);
        head.I32(devicePixels.width());
        head.I32(devicePixels.height());
        head.I32(deviceMillimetres.width());
        head.I32(deviceMillimetres.height());
        head.U32(0);
        head.U32(0);
        head.U32(0);
        head.I32(deviceMillimetres.width() * 1000);
        head.I32(deviceMillimetres.height() * 1000);
        for (char16_t c : desc)
            head.U16(c);
        head.Pad4();
        head.Raw(out.bytes.data(), out.bytes.size());
        return std::move(head.bytes);
    }
};

TEmfWriter* WriterOf(HDC dc)
{
    return dc ? dynamic_cast<TEmfWriter*>(dc->MetaSink) : nullptr;
}

} // namespace

HDC CreateEnhMetaFileA(HDC reference, const char* fileName, const RECT* frame, const char* description)
{
    auto writer = std::make_unique<TEmfWriter>();
    if (fileName)
        writer->fileName = fileName;
    if (frame) {
        writer->frame = *frame;
        writer->hasFrame = true;
    }
    if (description) {
        // "application\0title\0\0": both parts with their zeros, up to the double zero
        size_t n = 0;
        while (description[n] || description[n + 1])
            ++n;
        const QString d = QString::fromLatin1(description, qsizetype(n + 2));
        writer->description.assign(reinterpret_cast<const char16_t*>(d.utf16()), size_t(d.size()));
    }
    writer->devicePixels = QSize(GetDeviceCaps(reference, HORZRES), GetDeviceCaps(reference, VERTRES));
    writer->deviceMillimetres = QSize(std::max(1, GetDeviceCaps(reference, HORZSIZE)),
                                      std::max(1, GetDeviceCaps(reference, VERTSIZE)));
    if (writer->devicePixels.width() <= 0 || writer->devicePixels.height() <= 0)
        writer->devicePixels = QSize(1024, 768);
    auto* dc = new DeviceContext(static_cast<QPainter*>(nullptr), writer->devicePixels);
    dc->MetaSink = writer.release();
    return dc;
}

HENHMETAFILE CloseEnhMetaFile(HDC dc)
{
    TEmfWriter* writer = WriterOf(dc);
    if (!writer)
        return nullptr;
    std::unique_ptr<TEmfWriter> owned(writer);
    dc->MetaSink = nullptr;
    DeleteDC(dc);
    const std::vector<std::uint8_t> bytes = owned->Finish();
    HENHMETAFILE emf = EnhMetaFileFromBytes(bytes.data(), bytes.size());
    if (emf && !owned->fileName.empty()) {
        QSaveFile file(QString::fromLocal8Bit(owned->fileName.c_str()));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size()) ||
            !file.commit()) {
            DeleteEnhMetaFile(emf);
            return nullptr;
        }
    }
    return emf;
}

BOOL GdiComment(HDC dc, UINT size, const BYTE* data)
{
    TEmfWriter* writer = WriterOf(dc);
    if (!writer || (size && !data))
        return FALSE;
    writer->Comment(size, data);
    return TRUE;
}
