// 16-bit Windows metafiles: checking and playing their records through the GDI calls of a
// device context, the conversion into an enhanced picture (the records played onto the
// recording context) and back (the enhanced picture played onto a context that writes 16-bit
// records).
#include "platform/rtl/Invariant.h"
#include "platform/win/WinEmfRecords.h"
#include "platform/win/WinEmfWriter.h"
#include "platform/win/WinMetaSink.h"
#include "platform/win/WinMetafile.h"

#include <QFile>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

// Checks the header and the record framing; returns the end of the last sound record (the
// end-of-file record included), or 0 when the header is not a 16-bit metafile header.
size_t CheckWmf(const TByteView& v, std::string* error)
{
    if (v.Size() < wmf::HEADER_SIZE) {
        if (error)
            *error = "too short for a metafile header";
        return 0;
    }
    const std::uint16_t type = v.U16(0), headerWords = v.U16(2), version = v.U16(4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x100 && version != 0x300)) {
        if (error)
            *error = "no metafile header";
        return 0;
    }
    size_t offset = wmf::HEADER_SIZE;
    while (offset + 6 <= v.Size()) {
        const std::uint32_t words = v.U32(offset);
        if (words < 3 || words > (v.Size() - offset) / 2) {
            if (error)
                *error = "record framing broken at offset " + std::to_string(offset);
            return offset;
        }
        const std::uint16_t function = v.U16(offset + 4);
        offset += size_t(words) * 2;
        if (function == wmf::EOF_)
            return offset;
    }
    return offset;
}

} // namespace

HMETAFILE MetaFileFromBytes(const std::uint8_t* data, size_t size, std::string* error)
{
    if (!data)
        return nullptr;
    const TByteView v(data, size);
    const size_t end = CheckWmf(v, error);
    if (end == 0)
        return nullptr;
    auto mf = std::make_unique<MetaFileObject>();
    mf->bytes.assign(data, data + end);
    // close with an end-of-file record when the file was cut
    const TByteView c(mf->bytes.data(), mf->bytes.size());
    bool ended = false;
    for (size_t off = wmf::HEADER_SIZE; off + 6 <= c.Size(); off += size_t(c.U32(off)) * 2)
        if (c.U16(off + 4) == wmf::EOF_)
            ended = true;
    if (!ended) {
        const std::uint8_t eof[6] = {3, 0, 0, 0, 0, 0};
        mf->bytes.insert(mf->bytes.end(), eof, eof + 6);
    }
    const std::uint32_t words = std::uint32_t(mf->bytes.size() / 2);
    std::memcpy(mf->bytes.data() + 6, &words, 4);
    return mf.release();
}

HMETAFILE GetMetaFileA(const char* fileName)
{
    if (!fileName)
        return nullptr;
    QFile file(QString::fromLocal8Bit(fileName));
    if (!file.open(QIODevice::ReadOnly) || file.size() > (qint64(1) << 31))
        return nullptr;
    const QByteArray bytes = file.readAll();
    return MetaFileFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data)
{
    return MetaFileFromBytes(data, size);
}

UINT GetMetaFileBitsEx(HMETAFILE mf, UINT size, void* data)
{
    if (!mf)
        return 0;
    if (!data)
        return UINT(mf->bytes.size());
    if (size < mf->bytes.size())
        return 0;
    std::memcpy(data, mf->bytes.data(), mf->bytes.size());
    return UINT(mf->bytes.size());
}

BOOL DeleteMetaFile(HMETAFILE mf)
{
    delete mf;
    return mf ? TRUE : FALSE;
}

// ---------------------------------------------------------------- player

namespace {

struct WmfObject {
    HGDIOBJ handle = nullptr; // pen, brush, font or region; null for palettes
    bool region = false;
};

class WmfPlayer {
public:
    WmfPlayer(HDC dc, const std::vector<std::uint8_t>& bytes, bool pictureMapping)
        : dc_(dc), v_(bytes.data(), bytes.size()), pictureMapping_(pictureMapping)
    {
        table_.resize(std::max<std::uint16_t>(1, v_.U16(10)));
        baseDepth_ = dc_->SavedDepth();
    }
    // Every object the records created is freed: the states the picture saved and did not
    // restore are dropped first, since they hold the objects selected at the time.
    ~WmfPlayer()
    {
        if (dc_->SavedDepth() > baseDepth_)
            RestoreDC(dc_, baseDepth_ + 1);
        SelectObject(dc_, GetStockObject(BLACK_PEN));
        SelectObject(dc_, GetStockObject(WHITE_BRUSH));
        SelectObject(dc_, GetStockObject(SYSTEM_FONT));
        for (WmfObject& o : table_)
            if (o.handle)
                DeleteObject(o.handle);
        for (HGDIOBJ o : retired_)
            DeleteObject(o);
    }

    bool Play()
    {
        size_t offset = wmf::HEADER_SIZE;
        bool all = true;
        while (offset + 6 <= v_.Size()) {
            const std::uint32_t words = v_.U32(offset);
            const std::uint16_t function = v_.U16(offset + 4);
            if (words < 3 || words > (v_.Size() - offset) / 2)
                return false; // malformed: the play ends here
            if (function == wmf::EOF_)
                return all;
            const TByteView r(v_.Data() + offset + 6, size_t(words) * 2 - 6);
            if (!Record(function, r) || !r.ok)
                all = false; // skipped; the play goes on
            offset += size_t(words) * 2;
        }
        return all;
    }

private:
    HDC dc_;
    TByteView v_;
    bool pictureMapping_;
    std::vector<WmfObject> table_;
    std::vector<HGDIOBJ> retired_;
    int baseDepth_ = 0; // saved states of the context before the play

    int P(const TByteView& r, int i) const { return r.I16(size_t(i) * 2); }

    bool Add(HGDIOBJ handle, bool region = false)
    {
        for (WmfObject& o : table_)
            if (!o.handle && !o.region) {
                o.handle = handle;
                o.region = region;
                if (!handle)
                    o.region = true; // a palette or unknown object: the slot is taken
                return true;
            }
        if (handle)
            DeleteObject(handle);
        return false;
    }
    bool Points(const TByteView& r, size_t at, int count, std::vector<POINT>& out)
    {
        if (count < 0 || !r.Range(at, size_t(count), 4))
            return false;
        out.resize(size_t(count));
        for (int i = 0; i < count; ++i)
            out[size_t(i)] = POINT{r.I16(at + size_t(i) * 4), r.I16(at + size_t(i) * 4 + 2)};
        return true;
    }
    // A packed DIB from `at` to the end of the record.
    bool Dib(const TByteView& r, size_t at, TCheckedDib& dib)
    {
        if (!r.Has(at, 40))
            return false;
        const std::uint32_t hsize = r.U32(at);
        const std::uint16_t bpp = r.U16(at + 14);
        const std::uint32_t compression = r.U32(at + 16);
        std::uint32_t used = r.U32(at + 32);
        if (bpp <= 8 && (used == 0 || used > (1u << bpp)))
            used = 1u << std::min<std::uint16_t>(bpp, 8);
        std::uint64_t table = compression == BI_BITFIELDS ? 12 : (bpp <= 8 ? used * 4ull : 0);
        if (compression == BI_JPEG || compression == BI_PNG)
            table = 0;
        const std::uint64_t cbBmi = std::uint64_t(hsize) + table;
        if (hsize < 40 || cbBmi > r.Size() - at)
            return false;
        return ReadCheckedDib(r, at, size_t(cbBmi), at + size_t(cbBmi), r.Size() - at - size_t(cbBmi), dib);
    }
    bool DrawDib(const TCheckedDib& dib, int x, int y, int w, int h, int sx, int sy, int sw, int sh, DWORD rop)
    {
        const int syTop = dib.height > 0 ? std::abs(dib.height) - sy - sh : sy;
        return DrawCheckedDib(dc_, dib, x, y, w, h, sx, syTop, sw, sh, rop);
    }
    QPolygonF ArcPolygon(const TByteView& r, int kind)
    {
        // parameters: yEnd, xEnd, yStart, xStart, bottom, right, top, left
        const double l = P(r, 7), t = P(r, 6), rr = P(r, 5), b = P(r, 4);
        const QPointF s(P(r, 3), P(r, 2)), e(P(r, 1), P(r, 0));
        const double cx = (l + rr) / 2, cy = (t + b) / 2, rx = std::abs(rr - l) / 2, ry = std::abs(b - t) / 2;
        if (rx <= 0 || ry <= 0)
            return QPolygonF();
        auto angleOf = [&](QPointF q) { return std::atan2(-(q.y() - cy) / ry, (q.x() - cx) / rx) * 180 / M_PI; };
        const double a0 = angleOf(s);
        double sweep = angleOf(e) - a0;
        while (sweep <= 0)
            sweep += 360;
        const QRectF box(std::min(l, rr), std::min(t, b), 2 * rx, 2 * ry);
        QPainterPath p;
        if (kind == 1) {
            p.moveTo(cx, cy);
            p.arcTo(box, a0, sweep);
            p.closeSubpath();
        } else {
            p.arcMoveTo(box, a0);
            p.arcTo(box, a0, sweep);
            if (kind == 2)
                p.closeSubpath();
        }
        return p.toSubpathPolygons().value(0);
    }
    static std::vector<POINT> ToPoints(const QPolygonF& poly)
    {
        std::vector<POINT> d;
        for (const QPointF& q : poly)
            d.push_back(POINT{int(std::lround(q.x())), int(std::lround(q.y()))});
        return d;
    }
    std::u16string Latin1(const std::uint8_t* s, size_t n)
    {
        std::u16string t(n, u' ');
        for (size_t i = 0; i < n; ++i)
            t[i] = char16_t(s[i]);
        return t;
    }
    WmfObject* Object(int index)
    {
        if (index < 0 || size_t(index) >= table_.size())
            return nullptr;
        return &table_[size_t(index)];
    }

    bool Record(std::uint16_t function, const TByteView& r)
    {
        QUELM_INVARIANT(table_.size() == std::max<std::uint16_t>(1, v_.U16(10)),
                        "the object table keeps the number of slots the header gives (at least one)");
        using namespace wmf;
        switch (function) {
        case SAVEDC: SaveDC(dc_); return true;
        case RESTOREDC: {
            // levels count from the play's start; the caller's saved states stay out of reach
            const int level = P(r, 0), depth = dc_->SavedDepth();
            const int target = level < 0 ? depth + level + 1 : baseDepth_ + level;
            if (level == 0 || target <= baseDepth_ || target > depth)
                return false;
            RestoreDC(dc_, target);
            return true;
        }
        case SETBKCOLOR: SetBkColor(dc_, r.U32(0) & 0xFFFFFF); return true;
        case SETTEXTCOLOR: SetTextColor(dc_, r.U32(0) & 0xFFFFFF); return true;
        case SETBKMODE: SetBkMode(dc_, r.U16(0)); return true;
        case SETMAPMODE:
            if (!pictureMapping_)
                SetMapMode(dc_, r.U16(0));
            return true;
        case SETROP2: SetROP2(dc_, r.U16(0)); return true;
        case SETPOLYFILLMODE: SetPolyFillMode(dc_, r.U16(0)); return true;
        case SETSTRETCHBLTMODE: SetStretchBltMode(dc_, r.U16(0)); return true;
        case SETTEXTALIGN: SetTextAlign(dc_, r.U16(0)); return true;
        case SETWINDOWORG: SetWindowOrgEx(dc_, P(r, 1), P(r, 0), nullptr); return true;
        case SETWINDOWEXT:
            if (P(r, 0) != 0 && P(r, 1) != 0)
                SetWindowExtEx(dc_, P(r, 1), P(r, 0), nullptr);
            return true;
        case SETVIEWPORTORG:
            if (!pictureMapping_)
                SetViewportOrgEx(dc_, P(r, 1), P(r, 0), nullptr);
            return true;
        case SETVIEWPORTEXT:
            if (!pictureMapping_ && P(r, 0) != 0 && P(r, 1) != 0)
                SetViewportExtEx(dc_, P(r, 1), P(r, 0), nullptr);
            return true;
        case OFFSETWINDOWORG: {
            POINT o{};
            GetWindowOrgEx(dc_, &o);
            SetWindowOrgEx(dc_, o.x + P(r, 1), o.y + P(r, 0), nullptr);
            return true;
        }
        case OFFSETVIEWPORTORG:
            if (!pictureMapping_)
                OffsetViewportOrgEx(dc_, P(r, 1), P(r, 0), nullptr);
            return true;
        case SCALEWINDOWEXT: {
            const int yd = P(r, 0), yn = P(r, 1), xd = P(r, 2), xn = P(r, 3);
            if (xd && yd && xn && yn)
                SetWindowExtEx(dc_, dc_->windowExt.cx * xn / xd, dc_->windowExt.cy * yn / yd, nullptr);
            return true;
        }
        case LINETO: LineTo(dc_, P(r, 1), P(r, 0)); return true;
        case MOVETO: MoveToEx(dc_, P(r, 1), P(r, 0), nullptr); return true;
        case EXCLUDECLIPRECT: ExcludeClipRect(dc_, P(r, 3), P(r, 2), P(r, 1), P(r, 0)); return true;
        case INTERSECTCLIPRECT: IntersectClipRect(dc_, P(r, 3), P(r, 2), P(r, 1), P(r, 0)); return true;
        case ELLIPSE: Ellipse(dc_, P(r, 3), P(r, 2), P(r, 1), P(r, 0)); return true;
        case RECTANGLE: Rectangle(dc_, P(r, 3), P(r, 2), P(r, 1), P(r, 0)); return true;
        case ROUNDRECT: RoundRect(dc_, P(r, 5), P(r, 4), P(r, 3), P(r, 2), P(r, 1), P(r, 0)); return true;
        case ARC: {
            const auto pts = ToPoints(ArcPolygon(r, 0));
            if (r.ok && pts.size() > 1)
                Polyline(dc_, pts.data(), int(pts.size()));
            return true;
        }
        case PIE: case CHORD: {
            const auto pts = ToPoints(ArcPolygon(r, function == PIE ? 1 : 2));
            if (r.ok && pts.size() > 2)
                Polygon(dc_, pts.data(), int(pts.size()));
            return true;
        }
        case POLYGON: case POLYLINE: {
            std::vector<POINT> pts;
            if (!Points(r, 2, P(r, 0), pts))
                return false;
            if (function == POLYGON)
                Polygon(dc_, pts.data(), int(pts.size()));
            else
                Polyline(dc_, pts.data(), int(pts.size()));
            return true;
        }
        case POLYPOLYGON: {
            const int polys = r.U16(0);
            if (!r.Range(2, size_t(polys), 2))
                return false;
            std::vector<int> counts(static_cast<size_t>(polys));
            int total = 0;
            for (int i = 0; i < polys; ++i)
                total += counts[size_t(i)] = r.U16(2 + size_t(i) * 2);
            std::vector<POINT> pts;
            if (!Points(r, 2 + size_t(polys) * 2, total, pts))
                return false;
            if (polys > 0)
                PolyPolygon(dc_, pts.data(), counts.data(), polys);
            return true;
        }
        case TEXTOUT: {
            const int n = r.U16(0);
            const std::uint8_t* s = r.Range(2, size_t(n), 1);
            const size_t after = 2 + size_t((n + 1) / 2) * 2;
            if (!s || !r.Has(after, 4))
                return false;
            const std::u16string t = Latin1(s, size_t(n));
            ExtTextOutW(dc_, r.I16(after + 2), r.I16(after), 0, nullptr, t.data(), UINT(n), nullptr);
            return true;
        }
        case EXTTEXTOUT: {
            const int y = P(r, 0), x = P(r, 1), n = r.U16(4);
            const UINT options = r.U16(6);
            size_t at = 8;
            RECT rect{};
            const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) && r.Has(8, 8);
            if (hasRect) {
                rect = RECT{P(r, 4), P(r, 5), P(r, 6), P(r, 7)};
                at = 16;
            }
            const std::uint8_t* s = r.Range(at, size_t(n), 1);
            if (!s)
                return false;
            const std::u16string t = Latin1(s, size_t(n));
            const size_t dxAt = at + size_t((n + 1) / 2) * 2;
            std::vector<int> dx;
            if (n > 0 && r.Has(dxAt, size_t(n) * 2)) {
                dx.resize(size_t(n));
                for (int i = 0; i < n; ++i)
                    dx[size_t(i)] = r.I16(dxAt + size_t(i) * 2);
            }
            ExtTextOutW(dc_, x, y, hasRect ? (options & (ETO_OPAQUE | ETO_CLIPPED)) : 0, hasRect ? &rect : nullptr,
                        t.data(), UINT(n), dx.empty() ? nullptr : dx.data());
            return true;
        }
        case CREATEPENINDIRECT: {
            LOGPEN pen;
            pen.lopnStyle = r.U16(0) & PS_STYLE_MASK;
            pen.lopnWidth.x = std::max(0, P(r, 1));
            pen.lopnColor = r.U32(6) & 0xFFFFFF;
            if (!r.ok)
                return false;
            Add(CreatePenIndirect(&pen));
            return true;
        }
        case CREATEBRUSHINDIRECT: {
            LOGBRUSH brush;
            brush.lbStyle = r.U16(0);
            brush.lbColor = r.U32(2) & 0xFFFFFF;
            brush.lbHatch = r.U16(6) & 7;
            if (!r.ok)
                return false;
            if (brush.lbStyle != BS_SOLID && brush.lbStyle != BS_NULL && brush.lbStyle != BS_HATCHED)
                brush.lbStyle = BS_SOLID;
            Add(CreateBrushIndirect(&brush));
            return true;
        }
        case CREATEFONTINDIRECT: {
            LOGFONT f;
            f.lfHeight = P(r, 0);
            f.lfWidth = P(r, 1);
            f.lfEscapement = P(r, 2);
            f.lfOrientation = P(r, 3);
            f.lfWeight = P(r, 4);
            f.lfItalic = r.U8(10);
            f.lfUnderline = r.U8(11);
            f.lfStrikeOut = r.U8(12);
            f.lfCharSet = r.U8(13);
            f.lfQuality = r.U8(16);
            f.lfPitchAndFamily = r.U8(17);
            if (!r.ok)
                return false;
            for (size_t i = 0; i + 18 < r.Size() && i < LF_FACESIZE - 1; ++i) {
                const char c = char(r.U8(18 + i));
                if (!c)
                    break;
                f.lfFaceName[i] = c;
            }
            Add(CreateFontIndirect(&f));
            return true;
        }
        case DIBCREATEPATTERNBRUSH: {
            TCheckedDib dib;
            HBRUSH brush = nullptr;
            if (Dib(r, 4, dib) && dib.drawable) {
                const BITMAPINFO* info = dib.Info();
                const DWORD* masks = info->bmiHeader.biCompression == BI_BITFIELDS
                                         ? reinterpret_cast<const DWORD*>(info->bmiColors)
                                         : nullptr;
                const QImage image = DibToImage(&info->bmiHeader, dib.bits, info->bmiColors, masks);
                if (!image.isNull()) {
                    HBITMAP bitmap = CreateBitmap(image.width(), image.height(), 1, 32, nullptr);
                    bitmap->image = image.convertToFormat(QImage::Format_RGB32);
                    brush = CreatePatternBrush(bitmap);
                    DeleteObject(bitmap);
                }
            }
            Add(brush ? brush : CreateSolidBrush(RGB(128, 128, 128)));
            return true;
        }
        case CREATEPATTERNBRUSH: Add(CreateSolidBrush(RGB(128, 128, 128))); return true;
        case CREATEPALETTE: Add(nullptr); return true;
        case CREATEREGION: {
            HRGN region = CreateRectRgn(0, 0, 0, 0);
            if (!ReadRegion(r, region->region)) {
                DeleteObject(region);
                return false;
            }
            Add(region, true);
            return true;
        }
        case SELECTOBJECT: {
            WmfObject* o = Object(r.U16(0));
            if (!o || (!o->handle && !o->region))
                return false;
            if (o->handle && o->handle->objectType() == OBJ_REGION)
                return SelectRegion(static_cast<HRGN>(o->handle));
            if (o->handle)
                SelectObject(dc_, o->handle);
            return true;
        }
        case SELECTCLIPREGION: {
            WmfObject* o = Object(r.U16(0));
            if (!o)
                return false;
            if (o->handle && o->handle->objectType() == OBJ_REGION)
                return SelectRegion(static_cast<HRGN>(o->handle));
            SelectClipRgn(dc_, nullptr);
            return true;
        }
        case SELECTPALETTE: return Object(r.U16(0)) != nullptr;
        case DELETEOBJECT: {
            WmfObject* o = Object(r.U16(0));
            if (!o)
                return false;
            if (o->handle)
                retired_.push_back(o->handle); // may still be selected: freed after the play
            *o = WmfObject{};
            return true;
        }
        case SETPIXEL: SetPixelV(dc_, P(r, 3), P(r, 2), r.U32(0) & 0xFFFFFF); return true;
        case PATBLT: PatBlt(dc_, P(r, 5), P(r, 4), P(r, 3), P(r, 2), r.U32(0)); return true;
        case DIBBITBLT: case DIBSTRETCHBLT: {
            const bool stretch = function == DIBSTRETCHBLT;
            const size_t fixed = stretch ? 9 : 7; // parameter words without the reserved word
            const DWORD rop = r.U32(0);
            if (r.Size() == (fixed + 1) * 2 + 0 || r.Size() < 40 + fixed * 2) {
                // no bitmap: a pattern operation
                const int base = stretch ? 6 : 4;
                PatBlt(dc_, P(r, base + 3), P(r, base + 2), P(r, base + 1), P(r, base), rop);
                return r.ok;
            }
            TCheckedDib dib;
            if (!Dib(r, fixed * 2, dib))
                return false;
            if (stretch)
                DrawDib(dib, P(r, 8), P(r, 7), P(r, 6), P(r, 5), P(r, 4), P(r, 3), P(r, 2), P(r, 1), rop);
            else
                DrawDib(dib, P(r, 6), P(r, 5), P(r, 4), P(r, 3), P(r, 2), P(r, 1), P(r, 4), P(r, 3), rop);
            return true;
        }
        case STRETCHDIB: {
            TCheckedDib dib;
            if (!Dib(r, 22, dib))
                return false;
            DrawDib(dib, P(r, 10), P(r, 9), P(r, 8), P(r, 7), P(r, 6), P(r, 5), P(r, 4), P(r, 3), r.U32(0));
            return true;
        }
        case SETDIBTODEV: {
            TCheckedDib dib;
            if (!Dib(r, 18, dib))
                return false;
            DrawDib(dib, P(r, 8), P(r, 7), P(r, 6), P(r, 5), P(r, 4), P(r, 3), P(r, 6), P(r, 5), SRCCOPY);
            return true;
        }
        case FILLREGION: case PAINTREGION: case FRAMEREGION: case INVERTREGION: {
            WmfObject* o = Object(r.U16(0));
            if (!o || !o->handle || o->handle->objectType() != OBJ_REGION)
                return false;
            HRGN region = static_cast<HRGN>(o->handle);
            if (function == FILLREGION || function == FRAMEREGION) {
                WmfObject* b = Object(r.U16(2));
                if (!b || !b->handle || b->handle->objectType() != OBJ_BRUSH)
                    return false;
                if (function == FILLREGION)
                    FillRgn(dc_, region, static_cast<HBRUSH>(b->handle));
                else
                    FrameRgn(dc_, region, static_cast<HBRUSH>(b->handle), std::max(1, P(r, 3)), std::max(1, P(r, 2)));
            } else if (function == PAINTREGION) {
                PaintRgn(dc_, region);
            }
            return true;
        }
        default: return true; // escapes, palettes and other records without a drawing effect here
        }
    }

    bool SelectRegion(HRGN region)
    {
        // region objects hold logical coordinates; the clip is kept in device pixels
        QRegion device;
        for (const QRect& q : region->region) {
            const RECT d = RECT{q.left(), q.top(), q.left() + q.width(), q.top() + q.height()};
            const QPoint a = dc_->ToDevice(d.left, d.top), b = dc_->ToDevice(d.right, d.bottom);
            device += QRect(a, b - QPoint(1, 1)).normalized();
        }
        HRGN temp = CreateRectRgn(0, 0, 0, 0);
        temp->region = device;
        SelectClipRgn(dc_, temp);
        DeleteObject(temp);
        return true;
    }

    // The region object: header of 22 bytes (bounding box at 14), then scans of
    // count, top, bottom, count pairs of left/right, count again.
    static bool ReadRegion(const TByteView& r, QRegion& out)
    {
        const int scans = r.U16(10);
        if (!r.Has(0, 22))
            return false;
        size_t at = 22;
        QVector<QRect> rects;
        for (int s = 0; s < scans; ++s) {
            const std::uint16_t count = r.U16(at);
            const int top = r.I16(at + 2), bottom = r.I16(at + 4);
            if (count % 2 || !r.Range(at + 6, count, 2) || !r.Has(at + 6 + size_t(count) * 2, 2))
                return false;
            for (int k = 0; k < count; k += 2) {
                const int left = r.I16(at + 6 + size_t(k) * 2), right = r.I16(at + 8 + size_t(k) * 2);
                if (right > left && bottom > top)
                    rects.push_back(QRect(left, top, right - left, bottom - top));
            }
            at += 6 + size_t(count) * 2 + 2;
        }
        for (const QRect& q : rects)
            out += q;
        return true;
    }
};

// ---------------------------------------------------------------- writer

class TWmfWriter : public IGdiMetaSink {
public:
    TByteWriter out;
    std::vector<bool> slotUsed;
    std::uint32_t maxRecord = 0;
    COLORREF textColor = 0, bkColor = 0xFFFFFF;
    int bkMode = OPAQUE, rop2 = R2_COPYPEN, fillMode = ALTERNATE, stretchMode = BLACKONWHITE;
    UINT textAlign = 0;
    int pen = -1, brush = -1, font = -1, clipRegion = -1;
    LOGPEN penDesc{};
    LOGBRUSH brushDesc{};
    LOGFONT fontDesc{};
    bool hasClip = false;
    QRegion clip;

    TWmfWriter()
    {
        for (int i = 0; i < int(wmf::HEADER_SIZE); ++i)
            out.U8(0);
    }
    size_t Begin(std::uint16_t function)
    {
        const size_t at = out.Size();
        out.U32(0);
        out.U16(function);
        return at;
    }
    void End(size_t at)
    {
        if (out.Size() % 2)
            out.U8(0);
        const std::uint32_t words = std::uint32_t((out.Size() - at) / 2);
        out.Patch32(at, words);
        maxRecord = std::max(maxRecord, words);
    }
    static std::int16_t C(long v) { return std::int16_t(std::clamp(v, -32768L, 32767L)); }
    void Words(std::uint16_t function, std::initializer_list<long> params)
    {
        const size_t at = Begin(function);
        for (long p : params)
            out.I16(C(p));
        End(at);
    }
    int NewSlot()
    {
        for (size_t i = 0; i < slotUsed.size(); ++i)
            if (!slotUsed[i]) {
                slotUsed[i] = true;
                return int(i);
            }
        slotUsed.push_back(true);
        return int(slotUsed.size() - 1);
    }
    void Delete(int& slot)
    {
        if (slot < 0)
            return;
        Words(wmf::DELETEOBJECT, {slot});
        slotUsed[size_t(slot)] = false;
        slot = -1;
    }
    int CreatePenRecord(const LOGPEN& p)
    {
        const int slot = NewSlot();
        const size_t at = Begin(wmf::CREATEPENINDIRECT);
        // a 16-bit metafile's pens have no user style: such a pen is written solid
        out.U16(std::uint16_t((p.lopnStyle & PS_STYLE_MASK) == PS_USERSTYLE ? PS_SOLID : p.lopnStyle));
        out.I16(C(p.lopnWidth.x));
        out.I16(0);
        out.U32(p.lopnColor);
        End(at);
        return slot;
    }
    int CreateBrushRecord(const LOGBRUSH& b, const QImage& pattern)
    {
        const int slot = NewSlot();
        if (b.lbStyle == BS_PATTERN && !pattern.isNull()) {
            const std::vector<std::uint8_t> dib = ImageToDib32(pattern);
            const size_t at = Begin(wmf::DIBCREATEPATTERNBRUSH);
            out.U16(5); // DIB pattern
            out.U16(DIB_RGB_COLORS);
            out.Raw(dib.data(), dib.size());
            End(at);
            return slot;
        }
        const size_t at = Begin(wmf::CREATEBRUSHINDIRECT);
        out.U16(std::uint16_t(b.lbStyle == BS_PATTERN ? BS_SOLID : b.lbStyle));
        out.U32(b.lbColor);
        out.U16(std::uint16_t(b.lbHatch));
        End(at);
        return slot;
    }
    void Sync(HDC dc)
    {
        if (dc->textColor != textColor) {
            const size_t at = Begin(wmf::SETTEXTCOLOR);
            out.U32(textColor = dc->textColor);
            End(at);
        }
        if (dc->bkColor != bkColor) {
            const size_t at = Begin(wmf::SETBKCOLOR);
            out.U32(bkColor = dc->bkColor);
            End(at);
        }
        if (dc->bkMode != bkMode)
            Words(wmf::SETBKMODE, {bkMode = dc->bkMode});
        if (dc->rop2 != rop2)
            Words(wmf::SETROP2, {rop2 = dc->rop2});
        if (dc->polyFillMode != fillMode)
            Words(wmf::SETPOLYFILLMODE, {fillMode = dc->polyFillMode});
        if (dc->stretchMode != stretchMode)
            Words(wmf::SETSTRETCHBLTMODE, {stretchMode = dc->stretchMode});
        if (dc->textAlign != textAlign)
            Words(wmf::SETTEXTALIGN, {long(textAlign = dc->textAlign)});
        if (dc->hasClip != hasClip || (hasClip && dc->clip != clip)) {
            hasClip = dc->hasClip;
            clip = dc->clip;
            WriteClip();
        }
        LOGPEN p = dc->pen ? dc->pen->pen : LOGPEN{};
        if (dc->pen && dc->pen == GetStockObject(DC_PEN))
            p.lopnColor = dc->dcPenColor;
        if (pen < 0 || p.lopnStyle != penDesc.lopnStyle || p.lopnWidth.x != penDesc.lopnWidth.x ||
            p.lopnColor != penDesc.lopnColor) {
            const int slot = CreatePenRecord(p);
            Words(wmf::SELECTOBJECT, {slot});
            Delete(pen);
            pen = slot;
            penDesc = p;
        }
        LOGBRUSH b = dc->brush ? dc->brush->brush : LOGBRUSH{};
        if (dc->brush && dc->brush == GetStockObject(DC_BRUSH))
            b.lbColor = dc->dcBrushColor;
        if (brush < 0 || b.lbStyle != brushDesc.lbStyle || b.lbColor != brushDesc.lbColor ||
            b.lbHatch != brushDesc.lbHatch || b.lbStyle == BS_PATTERN) {
            const int slot = CreateBrushRecord(b, dc->brush ? dc->brush->pattern : QImage());
            Words(wmf::SELECTOBJECT, {slot});
            Delete(brush);
            brush = slot;
            brushDesc = b;
        }
        const LOGFONT f = dc->font ? dc->font->font : LOGFONT{};
        if (font < 0 || std::memcmp(&f, &fontDesc, sizeof(LOGFONT)) != 0) {
            const int slot = NewSlot();
            const size_t at = Begin(wmf::CREATEFONTINDIRECT);
            out.I16(C(f.lfHeight));
            out.I16(C(f.lfWidth));
            out.I16(C(f.lfEscapement));
            out.I16(C(f.lfOrientation));
            out.I16(C(f.lfWeight));
            out.U8(f.lfItalic);
            out.U8(f.lfUnderline);
            out.U8(f.lfStrikeOut);
            out.U8(f.lfCharSet);
            out.U8(f.lfOutPrecision);
            out.U8(f.lfClipPrecision);
            out.U8(f.lfQuality);
            out.U8(f.lfPitchAndFamily);
            char face[LF_FACESIZE] = {};
            std::memcpy(face, f.lfFaceName, LF_FACESIZE - 1);
            out.Raw(face, LF_FACESIZE);
            End(at);
            Words(wmf::SELECTOBJECT, {slot});
            Delete(font);
            font = slot;
            fontDesc = f;
        }
    }
    void WriteClip()
    {
        const QRegion region = hasClip ? clip : QRegion(-32768, -32768, 65535, 65535);
        // bands of equal top and bottom become one scan
        struct Scan {
            int top, bottom;
            std::vector<std::pair<int, int>> spans;
        };
        std::vector<Scan> scans;
        for (const QRect& q : region) {
            const int top = q.top(), bottom = q.top() + q.height();
            if (scans.empty() || scans.back().top != top || scans.back().bottom != bottom)
                scans.push_back(Scan{top, bottom, {}});
            scans.back().spans.emplace_back(q.left(), q.left() + q.width());
        }
        const int slot = NewSlot();
        const size_t at = Begin(wmf::CREATEREGION);
        const size_t start = out.Size();
        const QRect b = region.boundingRect();
        size_t maxScan = 0;
        for (const Scan& s : scans)
            maxScan = std::max(maxScan, s.spans.size());
        out.U16(0);
        out.U16(6);
        out.U32(0);
        const size_t sizeAt = out.Size();
        out.U16(0);
        out.U16(std::uint16_t(std::min<size_t>(scans.size(), 0xFFFF)));
        out.U16(std::uint16_t(std::min<size_t>(maxScan, 0x7FFF)));
        out.I16(C(b.left()));
        out.I16(C(b.top()));
        out.I16(C(b.left() + b.width()));
        out.I16(C(b.top() + b.height()));
        for (const Scan& s : scans) {
            const std::uint16_t count = std::uint16_t(std::min<size_t>(s.spans.size() * 2, 0xFFFE));
            out.U16(count);
            out.I16(C(s.top));
            out.I16(C(s.bottom));
            for (size_t k = 0; k < size_t(count / 2); ++k) {
                out.I16(C(s.spans[k].first));
                out.I16(C(s.spans[k].second));
            }
            out.U16(count);
        }
        const std::uint16_t bytes = std::uint16_t(std::min<size_t>(out.Size() - start, 0xFFFF));
        out.bytes[sizeAt] = std::uint8_t(bytes);
        out.bytes[sizeAt + 1] = std::uint8_t(bytes >> 8);
        End(at);
        Words(wmf::SELECTCLIPREGION, {slot});
        int s = slot;
        Delete(s);
    }
    void PointsOut(const POINT* p, int n)
    {
        for (int i = 0; i < n; ++i) {
            out.I16(C(p[i].x));
            out.I16(C(p[i].y));
        }
    }

    void LineTo(HDC dc, int x, int y) override
    {
        Sync(dc);
        Words(wmf::MOVETO, {dc->current.y, dc->current.x});
        Words(wmf::LINETO, {y, x});
    }
    void Poly(HDC dc, bool polygon, const POINT* points, int count) override
    {
        if (!points || count < 2 || count > 0x7FFF)
            return;
        Sync(dc);
        const size_t at = Begin(polygon ? wmf::POLYGON : wmf::POLYLINE);
        out.U16(std::uint16_t(count));
        PointsOut(points, count);
        End(at);
    }
    void PolyPoly(HDC dc, bool polygon, const POINT* points, const int* counts, int polys) override
    {
        if (!points || !counts || polys <= 0 || polys > 0x7FFF)
            return;
        long long total = 0;
        for (int i = 0; i < polys; ++i) {
            if (counts[i] < 0 || counts[i] > 0x7FFF)
                return;
            total += counts[i];
        }
        if (total > 0x3FFFFFFF)
            return;
        if (!polygon) {
            for (int i = 0; i < polys; ++i) {
                Poly(dc, false, points, counts[i]);
                points += counts[i];
            }
            return;
        }
        Sync(dc);
        const size_t at = Begin(wmf::POLYPOLYGON);
        out.U16(std::uint16_t(polys));
        for (int i = 0; i < polys; ++i)
            out.U16(std::uint16_t(counts[i]));
        PointsOut(points, int(total));
        End(at);
    }
    void Shape(HDC dc, TMetaShape shape, RECT r, POINT a, POINT b) override
    {
        Sync(dc);
        switch (shape) {
        case TMetaShape::Rectangle: Words(wmf::RECTANGLE, {r.bottom, r.right, r.top, r.left}); break;
        case TMetaShape::Ellipse: Words(wmf::ELLIPSE, {r.bottom, r.right, r.top, r.left}); break;
        case TMetaShape::RoundRect: Words(wmf::ROUNDRECT, {a.y, a.x, r.bottom, r.right, r.top, r.left}); break;
        case TMetaShape::Arc: case TMetaShape::Pie: case TMetaShape::Chord:
            Words(shape == TMetaShape::Arc ? wmf::ARC : shape == TMetaShape::Pie ? wmf::PIE : wmf::CHORD,
                  {b.y, b.x, a.y, a.x, r.bottom, r.right, r.top, r.left});
            break;
        }
    }
    void FillRects(HDC dc, const QRegion& region, BrushObject* with)
    {
        Sync(dc);
        int tempBrush = -1, tempPen = -1;
        if (with) {
            LOGBRUSH b = with->brush;
            if (with == GetStockObject(DC_BRUSH))
                b.lbColor = dc->dcBrushColor;
            tempBrush = CreateBrushRecord(b, with->pattern);
            Words(wmf::SELECTOBJECT, {tempBrush});
        }
        LOGPEN none;
        none.lopnStyle = PS_NULL;
        tempPen = CreatePenRecord(none);
        Words(wmf::SELECTOBJECT, {tempPen});
        for (const QRect& q : region)
            Words(wmf::RECTANGLE, {q.top() + q.height() + 1, q.left() + q.width() + 1, q.top(), q.left()});
        Words(wmf::SELECTOBJECT, {pen});
        Delete(tempPen);
        if (with) {
            Words(wmf::SELECTOBJECT, {brush});
            Delete(tempBrush);
        }
    }
    void FillRect(HDC dc, const RECT& rect, BrushObject* b) override
    {
        if (b && rect.right > rect.left && rect.bottom > rect.top)
            FillRects(dc, QRegion(RectToQRect(rect)), b);
    }
    void Region(HDC dc, TMetaRegionOp op, RegionObject* region, BrushObject* b, int, int) override
    {
        if (!region)
            return;
        if (op == TMetaRegionOp::Fill && b)
            FillRects(dc, region->region, b);
        else if (op == TMetaRegionOp::Paint)
            FillRects(dc, region->region, nullptr);
    }
    void SetPixel(HDC dc, int x, int y, COLORREF color) override
    {
        Sync(dc);
        const size_t at = Begin(wmf::SETPIXEL);
        out.U32(color);
        out.I16(C(y));
        out.I16(C(x));
        End(at);
    }
    void Image(HDC dc, int x, int y, int w, int h, const QImage& image, DWORD rop)
    {
        Sync(dc);
        const std::vector<std::uint8_t> dib = ImageToDib32(image);
        const size_t at = Begin(wmf::STRETCHDIB);
        out.U32(rop);
        out.U16(DIB_RGB_COLORS);
        for (long v : {long(image.height()), long(image.width()), 0L, 0L, long(h), long(w), long(y), long(x)})
            out.I16(C(v));
        out.Raw(dib.data(), dib.size());
        End(at);
    }
    void Blit(HDC dc, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) override
    {
        if (!src) {
            Sync(dc);
            const size_t at = Begin(wmf::PATBLT);
            out.U32(rop);
            for (long v : {long(h), long(w), long(y), long(x)})
                out.I16(C(v));
            End(at);
            return;
        }
        QImage* image = src->Image();
        if (!image)
            return;
        const QRect area = QRect(src->ToDevice(sx, sy), QSize(std::abs(sw), std::abs(sh))).intersected(image->rect());
        if (!area.isEmpty())
            Image(dc, x, y, w, h, image->copy(area), rop);
    }
    void DibBlit(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                 const BITMAPINFO* info, UINT, DWORD rop) override
    {
        if (!info)
            return;
        const DWORD* masks = info->bmiHeader.biCompression == BI_BITFIELDS
                                 ? reinterpret_cast<const DWORD*>(info->bmiColors)
                                 : nullptr;
        const QImage image = DibToImage(&info->bmiHeader, bits, info->bmiColors, masks);
        const QRect area = QRect(sx, sy, std::abs(sw), std::abs(sh)).intersected(image.rect());
        if (!image.isNull() && !area.isEmpty())
            Image(dc, x, y, w, h, image.copy(area), rop);
    }
    void Text(HDC dc, int x, int y, UINT options, const RECT* rect, const std::u16string& text, const int* dx) override
    {
        if (text.size() > 0x7FFF)
            return;
        Sync(dc);
        const size_t at = Begin(wmf::EXTTEXTOUT);
        out.I16(C(y));
        out.I16(C(x));
        out.U16(std::uint16_t(text.size()));
        const bool withRect = rect && (options & (ETO_OPAQUE | ETO_CLIPPED));
        out.U16(std::uint16_t(withRect ? (options & (ETO_OPAQUE | ETO_CLIPPED)) : 0));
        if (withRect)
            for (long v : {long(rect->left), long(rect->top), long(rect->right), long(rect->bottom)})
                out.I16(C(v));
        for (char16_t c : text)
            out.U8(c < 256 ? std::uint8_t(c) : std::uint8_t('?'));
        if (text.size() % 2)
            out.U8(0);
        if (dx)
            for (size_t i = 0; i < text.size(); ++i)
                out.I16(C(dx[i]));
        End(at);
    }

    std::vector<std::uint8_t> Finish()
    {
        const size_t at = Begin(wmf::EOF_);
        End(at);
        out.bytes[0] = 1;
        out.bytes[2] = 9;
        out.bytes[4] = 0x00;
        out.bytes[5] = 0x03;
        out.Patch32(6, std::uint32_t(out.Size() / 2));
        out.bytes[10] = std::uint8_t(slotUsed.size());
        out.bytes[11] = std::uint8_t(slotUsed.size() >> 8);
        out.Patch32(12, maxRecord);
        return std::move(out.bytes);
    }
};

} // namespace

BOOL PlayMetaFile(HDC dc, HMETAFILE mf)
{
    if (!dc || !mf)
        return FALSE;
    WmfPlayer player(dc, mf->bytes, false);
    return player.Play() ? TRUE : FALSE;
}

HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* data, HDC reference, const METAFILEPICT* picture)
{
    std::unique_ptr<MetaFileObject> mf(MetaFileFromBytes(data, size));
    if (!mf)
        return nullptr;
    const int horzRes = GetDeviceCaps(reference, HORZRES), vertRes = GetDeviceCaps(reference, VERTRES);
    const int horzSize = std::max(1, GetDeviceCaps(reference, HORZSIZE)),
              vertSize = std::max(1, GetDeviceCaps(reference, VERTSIZE));
    // The window extent the records set, for pictures without a size of their own.
    const TByteView v(mf->bytes.data(), mf->bytes.size());
    int extX = 0, extY = 0;
    for (size_t off = wmf::HEADER_SIZE; off + 6 <= v.Size() && v.U32(off) >= 3; off += size_t(v.U32(off)) * 2)
        if (v.U16(off + 4) == wmf::SETWINDOWEXT && v.U32(off) >= 5) {
            extY = std::abs(v.I16(off + 6));
            extX = std::abs(v.I16(off + 8));
            break;
        }
    const bool pictureSize = picture && (picture->mm == MM_ANISOTROPIC || picture->mm == MM_ISOTROPIC) &&
                             picture->xExt > 0 && picture->yExt > 0;
    RECT frame{0, 0, 0, 0};
    if (pictureSize) {
        frame.right = picture->xExt;
        frame.bottom = picture->yExt;
    } else {
        const int px = extX > 0 ? extX : 1000, py = extY > 0 ? extY : 1000;
        frame.right = int(std::lround(px * horzSize * 100.0 / std::max(1, horzRes)));
        frame.bottom = int(std::lround(py * vertSize * 100.0 / std::max(1, vertRes)));
    }
    HDC dc = CreateEnhMetaFileA(reference, nullptr, &frame, nullptr);
    if (pictureSize) {
        const int pw = std::max(1, int(std::lround(double(frame.right) * horzRes / (horzSize * 100.0))));
        const int ph = std::max(1, int(std::lround(double(frame.bottom) * vertRes / (vertSize * 100.0))));
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, extX > 0 ? extX : pw, extY > 0 ? extY : ph, nullptr);
        SetViewportExtEx(dc, pw, ph, nullptr);
    }
    {
        WmfPlayer player(dc, mf->bytes, pictureSize);
        player.Play(); // a broken record ends the picture; what came before it stays
    }
    return CloseEnhMetaFile(dc);
}

UINT GetWinMetaFileBits(HENHMETAFILE emf, UINT size, BYTE* data, int mapMode, HDC reference)
{
    (void)mapMode;
    (void)reference;
    if (!emf)
        return 0;
    const ENHMETAHEADER& h = emf->header;
    double fw = double(h.rclFrame.right) - h.rclFrame.left, fh = double(h.rclFrame.bottom) - h.rclFrame.top;
    if (fw <= 0 || fh <= 0) {
        fw = std::max(1.0, double(h.rclBounds.right) - h.rclBounds.left) * 2540 / 96;
        fh = std::max(1.0, double(h.rclBounds.bottom) - h.rclBounds.top) * 2540 / 96;
    }
    const double scale = std::min(1.0, 32000.0 / std::max(fw, fh));
    const int w = std::max(1, int(std::lround(fw * scale))), hgt = std::max(1, int(std::lround(fh * scale)));
    TWmfWriter writer;
    writer.Words(wmf::SETMAPMODE, {MM_ANISOTROPIC});
    writer.Words(wmf::SETWINDOWORG, {0, 0});
    writer.Words(wmf::SETWINDOWEXT, {hgt, w});
    DeviceContext dc(static_cast<QPainter*>(nullptr), QSize(w, hgt));
    dc.MetaSink = &writer;
    const RECT rect{0, 0, w, hgt};
    PlayEnhMetaFile(&dc, emf, &rect);
    dc.MetaSink = nullptr;
    const std::vector<std::uint8_t> bytes = writer.Finish();
    if (!data)
        return UINT(bytes.size());
    if (size < bytes.size())
        return 0;
    std::memcpy(data, bytes.data(), bytes.size());
    return UINT(bytes.size());
}
