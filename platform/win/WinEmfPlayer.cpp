// Plays enhanced-metafile records through the GDI calls of a device context. The player keeps
// the picture's own state (mapping mode, window and viewport, world transform, objects, clip,
// path) and draws everything in the target's device pixels: each logical point goes through
// the world transform, the page mapping, the reference device's pixels-to-millimetres ratio and
// finally the frame-to-rectangle mapping of the play.
#include "platform/rtl/Invariant.h"
#include "platform/win/WinEmfRecords.h"
#include "platform/win/WinMetafile.h"

#include <QFontMetrics>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

namespace {

struct PlayObject {
    enum Kind { Pen, Brush, Font, Palette, Other } kind = Other;
    LOGPEN pen{};
    bool geometricPen = false;
    DWORD penExtStyle = 0;          // end cap and join bits of an extended pen
    std::vector<DWORD> userStyle;   // PS_USERSTYLE: dash and gap lengths in logical units or pixels
    LOGBRUSH brush{};
    QImage pattern;
    LOGFONT font{};
    std::vector<PALETTEENTRY> entries; // a palette's colours
    // The device object made for the current scale (pen widths, font heights).
    HGDIOBJ realized = nullptr;
    double realizedScale = -1, realizedXScale = -1;
    double realizedAngle = 0;
};
using PlayObjectPtr = std::shared_ptr<PlayObject>;

struct PlayState {
    int mapMode = MM_TEXT;
    QPointF windowOrg{0, 0}, viewportOrg{0, 0};
    QSizeF windowExt{1, 1}, viewportExt{1, 1};
    QTransform world;
    COLORREF textColor = 0, bkColor = 0xFFFFFF;
    int bkMode = OPAQUE, rop2 = R2_COPYPEN, fillMode = ALTERNATE, stretchMode = BLACKONWHITE;
    UINT textAlign = 0;
    PlayObjectPtr pen, brush, font;
    PlayObjectPtr palette; // null: the default palette
    QPointF current{0, 0};
    bool hasClip = false;
    QRegion clip; // output device pixels
    bool clockwise = false;
};

constexpr int kMaxDibPixels = 64 * 1024 * 1024;

class Player {
public:
    Player(HDC dc, EnhMetaFileObject* emf, QRect outRect) : dc_(dc), emf_(emf)
    {
        const ENHMETAHEADER& h = emf->header;
        devicePixels_ = QSizeF(h.szlDevice.cx > 0 ? h.szlDevice.cx : 1024, h.szlDevice.cy > 0 ? h.szlDevice.cy : 768);
        deviceMm_ = QSizeF(h.szlMillimeters.cx > 0 ? h.szlMillimeters.cx : devicePixels_.width() * 25.4 / 96,
                           h.szlMillimeters.cy > 0 ? h.szlMillimeters.cy : devicePixels_.height() * 25.4 / 96);
        // reference pixels → hundredths of a millimetre → output rectangle
        const double kx = deviceMm_.width() * 100 / devicePixels_.width();
        const double ky = deviceMm_.height() * 100 / devicePixels_.height();
        double fl = h.rclFrame.left, ft = h.rclFrame.top, fw = double(h.rclFrame.right) - fl,
               fh = double(h.rclFrame.bottom) - ft;
        if (fw <= 0 || fh <= 0) {
            fl = h.rclBounds.left * kx;
            ft = h.rclBounds.top * ky;
            fw = (double(h.rclBounds.right) - h.rclBounds.left) * kx;
            fh = (double(h.rclBounds.bottom) - h.rclBounds.top) * ky;
        }
        if (fw <= 0)
            fw = 1;
        if (fh <= 0)
            fh = 1;
        const double sx = outRect.width() / fw, sy = outRect.height() / fh;
        toOut_ = QTransform(kx * sx, 0, 0, ky * sy, outRect.left() - fl * sx, outRect.top() - ft * sy);
        table_.resize(std::max<size_t>(1, h.nHandles));
        baseHasClip_ = dc->hasClip;
        baseClip_ = dc->clip;
        // No glyph is drawn taller than a few times what the device can show.
        int shown = std::abs(outRect.height());
        if (dc->Painter() && dc->Painter()->device())
            shown = std::min(shown, dc->Painter()->device()->height());
        fontLimit_ = 4L * std::max(16, shown);
        UpdateTransform();
        state_.pen = Stock(BLACK_PEN);
        state_.brush = Stock(WHITE_BRUSH);
        state_.font = Stock(SYSTEM_FONT);
    }

    ~Player()
    {
        SelectObject(dc_, GetStockObject(BLACK_PEN));
        SelectObject(dc_, GetStockObject(WHITE_BRUSH));
        SelectObject(dc_, GetStockObject(SYSTEM_FONT));
        for (HGDIOBJ o : retired_)
            DeleteObject(o);
        for (auto& o : all_)
            if (o->realized)
                DeleteObject(o->realized);
    }

    // Every record is tried; one that cannot be carried out (bad counts, offsets or object
    // indexes) is skipped and the play goes on with the next. The result tells whether all
    // played. The reader has already cut the list before a record that runs past the file.
    bool Play()
    {
        const std::vector<TEmfRecordRef>& recs = emf_->records;
        bool all = true;
        for (size_t i = 1; i < recs.size(); ++i) {
            const TEmfRecordRef& ref = recs[i];
            if (ref.type == emf::EOF_)
                break;
            TByteView r(emf_->bytes.data() + ref.offset, ref.size);
            if (!PlayRecord(ref.type, r) || !r.ok)
                all = false;
        }
        return all;
    }

private:
    HDC dc_;
    EnhMetaFileObject* emf_;
    QSizeF devicePixels_, deviceMm_;
    QTransform toOut_, total_;
    PlayState state_;
    std::vector<PlayState> saved_;
    std::vector<PlayObjectPtr> table_;
    std::vector<PlayObjectPtr> all_;
    std::vector<HGDIOBJ> retired_;
    bool baseHasClip_ = false;
    QRegion baseClip_;
    bool inPath_ = false;
    QPainterPath path_;
    long fontLimit_ = 4096; // pixels

    // ---------------------------------------------------------------- objects

    PlayObjectPtr Describe(HGDIOBJ o)
    {
        auto p = std::make_shared<PlayObject>();
        if (!o)
            return p;
        if (o->objectType() == OBJ_PEN) {
            p->kind = PlayObject::Pen;
            p->pen = static_cast<HPEN>(o)->pen;
        } else if (o->objectType() == OBJ_BRUSH) {
            p->kind = PlayObject::Brush;
            p->brush = static_cast<HBRUSH>(o)->brush;
        } else if (o->objectType() == OBJ_FONT) {
            p->kind = PlayObject::Font;
            p->font = static_cast<HFONT>(o)->font;
        }
        all_.push_back(p);
        return p;
    }
    PlayObjectPtr Stock(int which) { return Describe(GetStockObject(which)); }

    // A colour of a record: an index into the selected palette (the high byte 1) is that
    // entry's colour (black when the index lies outside the palette); any other colour is its
    // red, green and blue.
    COLORREF Colour(std::uint32_t c) const
    {
        if ((c >> 24) != 1)
            return c & 0xFFFFFF;
        const std::uint32_t index = c & 0xFFFF;
        if (!state_.palette || index >= state_.palette->entries.size())
            return 0;
        const PALETTEENTRY& e = state_.palette->entries[index];
        return RGB(e.peRed, e.peGreen, e.peBlue);
    }
    // Palette records carry entries as red, green, blue, flags.
    static void ReadEntries(const TByteView& r, size_t at, std::uint32_t count, std::vector<PALETTEENTRY>& out)
    {
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t v = r.U32(at + 4 * size_t(i));
            out[i] = PALETTEENTRY{BYTE(v & 0xFF), BYTE((v >> 8) & 0xFF), BYTE((v >> 16) & 0xFF), BYTE(v >> 24)};
        }
    }

    bool NewObject(std::uint32_t index, PlayObjectPtr object)
    {
        if (index == 0 || index >= table_.size())
            return false;
        all_.push_back(object);
        table_[index] = std::move(object);
        return true;
    }

    double LengthScale() const { return std::sqrt(std::abs(total_.determinant())); }
    double YScale() const
    {
        const QPointF a = total_.map(QPointF(0, 0)), b = total_.map(QPointF(0, 1));
        return std::hypot(b.x() - a.x(), b.y() - a.y());
    }
    double XScale() const
    {
        const QPointF a = total_.map(QPointF(0, 0)), b = total_.map(QPointF(1, 0));
        return std::hypot(b.x() - a.x(), b.y() - a.y());
    }
    double AngleTenths() const
    {
        const QPointF a = total_.map(QPointF(0, 0)), b = total_.map(QPointF(1, 0));
        return std::atan2(-(b.y() - a.y()), b.x() - a.x()) * 1800.0 / M_PI;
    }

    void Retire(PlayObject& o)
    {
        if (o.realized)
            retired_.push_back(o.realized);
        o.realized = nullptr;
    }

    HGDIOBJ RealizedPen()
    {
        PlayObject& o = *state_.pen;
        const double scale = o.geometricPen || o.pen.lopnWidth.x > 1 ? LengthScale() : 1.0;
        if (!o.realized || std::abs(o.realizedScale - scale) > 1e-9) {
            Retire(o);
            const UINT style = o.pen.lopnStyle & PS_STYLE_MASK;
            if (style == PS_NULL) {
                o.realized = nullptr;
                o.realizedScale = scale;
                return GetStockObject(NULL_PEN);
            }
            int width = o.pen.lopnWidth.x <= 1 && !o.geometricPen ? 1 : int(std::lround(o.pen.lopnWidth.x * scale));
            width = std::clamp(width, 1, 10000);
            if (style == PS_USERSTYLE) {
                // a geometric pen's lengths scale with the picture like its width; a cosmetic
                // pen's are pixels
                std::vector<DWORD> lengths;
                for (const DWORD n : o.userStyle)
                    lengths.push_back(o.geometricPen ? DWORD(std::clamp(std::lround(n * scale), 0L, 1L << 20)) : n);
                const LOGBRUSH brush{BS_SOLID, o.pen.lopnColor, 0};
                o.realized = ExtCreatePen(PS_USERSTYLE | o.penExtStyle | (o.geometricPen ? PS_GEOMETRIC : 0),
                                          DWORD(width), &brush, DWORD(lengths.size()), lengths.data());
            }
            if (!o.realized)
                o.realized = CreatePen(int(style == PS_INSIDEFRAME || style == PS_USERSTYLE ? PS_SOLID : style), width,
                                       o.pen.lopnColor);
            o.realizedScale = scale;
        }
        return o.realized ? o.realized : GetStockObject(NULL_PEN);
    }
    HGDIOBJ RealizedBrush()
    {
        PlayObject& o = *state_.brush;
        if (!o.realized) {
            if (o.brush.lbStyle == BS_NULL)
                return GetStockObject(NULL_BRUSH);
            if (o.brush.lbStyle == BS_PATTERN && !o.pattern.isNull()) {
                HBITMAP bitmap = CreateBitmap(o.pattern.width(), o.pattern.height(), 1, 32, nullptr);
                bitmap->image = o.pattern.convertToFormat(QImage::Format_RGB32);
                o.realized = CreatePatternBrush(bitmap);
                DeleteObject(bitmap);
            } else if (o.brush.lbStyle == BS_HATCHED) {
                o.realized = CreateHatchBrush(int(o.brush.lbHatch) & 7, o.brush.lbColor);
            } else {
                o.realized = CreateSolidBrush(o.brush.lbColor);
            }
        }
        return o.realized;
    }
    // The font at the current scale. Where the picture is stretched more one way than the
    // other, the glyphs are widened or narrowed with it (a font without a width of its own gets
    // one from its natural average width).
    HGDIOBJ RealizedFont()
    {
        PlayObject& o = *state_.font;
        const double scale = YScale(), xScale = XScale();
        const double angle = AngleTenths();
        if (!o.realized || std::abs(o.realizedScale - scale) > 1e-9 || std::abs(o.realizedXScale - xScale) > 1e-9 ||
            std::abs(o.realizedAngle - angle) > 1e-6) {
            Retire(o);
            LOGFONT f = o.font;
            const double height = std::clamp(double(f.lfHeight) * scale, -double(fontLimit_), double(fontLimit_));
            f.lfHeight = LONG(std::lround(height));
            if (o.font.lfHeight != 0 && f.lfHeight == 0)
                f.lfHeight = o.font.lfHeight < 0 ? -1 : 1;
            f.lfWidth = LONG(std::lround(std::clamp(double(f.lfWidth) * xScale, 0.0, double(fontLimit_))));
            f.lfEscapement = LONG(std::lround(f.lfEscapement + angle)) % 3600;
            const double squeeze = scale > 0 ? xScale / scale : 1;
            if (o.font.lfWidth == 0 && std::abs(squeeze - 1) > 0.02) {
                HFONT probe = CreateFontIndirect(&f);
                const int natural = QFontMetrics(probe->QtFont()).averageCharWidth();
                DeleteObject(probe);
                f.lfWidth = LONG(std::clamp(std::lround(natural * squeeze), 1L, fontLimit_));
            }
            o.realized = CreateFontIndirect(&f);
            o.realizedScale = scale;
            o.realizedXScale = xScale;
            o.realizedAngle = angle;
        }
        return o.realized;
    }
    void Prepare(bool withPen = true, bool withBrush = true)
    {
        SelectObject(dc_, withPen ? RealizedPen() : GetStockObject(NULL_PEN));
        SelectObject(dc_, withBrush ? RealizedBrush() : GetStockObject(NULL_BRUSH));
        dc_->textColor = state_.textColor;
        dc_->bkColor = state_.bkColor;
        dc_->bkMode = state_.bkMode;
        dc_->rop2 = state_.rop2;
        dc_->polyFillMode = state_.fillMode;
        dc_->stretchMode = state_.stretchMode;
    }

    // ---------------------------------------------------------------- coordinates

    void UpdateTransform()
    {
        double sx = 1, sy = 1;
        const double pxPerMmX = devicePixels_.width() / deviceMm_.width();
        const double pxPerMmY = devicePixels_.height() / deviceMm_.height();
        switch (state_.mapMode) {
        case MM_LOMETRIC: sx = pxPerMmX / 10, sy = -pxPerMmY / 10; break;
        case MM_HIMETRIC: sx = pxPerMmX / 100, sy = -pxPerMmY / 100; break;
        case MM_LOENGLISH: sx = pxPerMmX * 0.254, sy = -pxPerMmY * 0.254; break;
        case MM_HIENGLISH: sx = pxPerMmX * 0.0254, sy = -pxPerMmY * 0.0254; break;
        case MM_TWIPS: sx = pxPerMmX * 25.4 / 1440, sy = -pxPerMmY * 25.4 / 1440; break;
        case MM_ISOTROPIC:
        case MM_ANISOTROPIC:
            if (state_.windowExt.width() != 0 && state_.windowExt.height() != 0) {
                sx = state_.viewportExt.width() / state_.windowExt.width();
                sy = state_.viewportExt.height() / state_.windowExt.height();
                if (state_.mapMode == MM_ISOTROPIC) {
                    const double m = std::min(std::abs(sx), std::abs(sy));
                    sx = sx < 0 ? -m : m;
                    sy = sy < 0 ? -m : m;
                }
            }
            break;
        default: break;
        }
        const QTransform page(sx, 0, 0, sy, state_.viewportOrg.x() - state_.windowOrg.x() * sx,
                              state_.viewportOrg.y() - state_.windowOrg.y() * sy);
        total_ = state_.world * page * toOut_;
    }
    bool AxisAligned() const { return total_.m12() == 0 && total_.m21() == 0; }
    QPointF Map(double x, double y) const { return total_.map(QPointF(x, y)); }
    POINT Dev(double x, double y) const
    {
        const QPointF p = Map(x, y);
        return POINT{int(std::clamp(std::lround(p.x()), -0x3FFFFFFFL, 0x3FFFFFFFL)),
                     int(std::clamp(std::lround(p.y()), -0x3FFFFFFFL, 0x3FFFFFFFL))};
    }
    RECT DevRect(double l, double t, double r, double b) const
    {
        const POINT a = Dev(l, t), c = Dev(r, b);
        return RECT{std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
    }
    void ApplyClip()
    {
        if (!state_.hasClip) {
            dc_->hasClip = baseHasClip_;
            dc_->clip = baseClip_;
        } else {
            dc_->hasClip = true;
            dc_->clip = baseHasClip_ ? baseClip_.intersected(state_.clip) : state_.clip;
        }
    }
    QRegion ClipOrAll() const
    {
        return state_.hasClip ? state_.clip : QRegion(-0x3FFFFFF, -0x3FFFFFF, 0x7FFFFFE, 0x7FFFFFE);
    }
    void CombineClip(const QRegion& region, int mode)
    {
        switch (mode) {
        case RGN_AND: state_.clip = ClipOrAll().intersected(region); break;
        case RGN_OR: state_.clip = state_.hasClip ? state_.clip.united(region) : ClipOrAll(); break;
        case RGN_XOR: state_.clip = ClipOrAll().xored(region); break;
        case RGN_DIFF: state_.clip = ClipOrAll().subtracted(region); break;
        default: state_.clip = region; break;
        }
        state_.hasClip = true;
        ApplyClip();
    }
    QRegion LogicalRectRegion(double l, double t, double r, double b) const
    {
        if (AxisAligned()) {
            const RECT d = DevRect(l, t, r, b);
            return QRegion(RectToQRect(d));
        }
        QPolygonF poly;
        poly << Map(l, t) << Map(r, t) << Map(r, b) << Map(l, b);
        return QRegion(poly.toPolygon());
    }

    // ---------------------------------------------------------------- reading helpers

    static bool Points(const TByteView& r, size_t offset, std::uint32_t count, bool small, std::vector<QPointF>& out)
    {
        if (!r.Range(offset, count, small ? 4 : 8))
            return false;
        out.resize(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            if (small)
                out[i] = QPointF(r.I16(offset + i * 4), r.I16(offset + i * 4 + 2));
            else
                out[i] = QPointF(r.I32(offset + i * 8), r.I32(offset + i * 8 + 4));
        }
        return true;
    }
    std::vector<POINT> DevPoints(const std::vector<QPointF>& pts) const
    {
        std::vector<POINT> d(pts.size());
        for (size_t i = 0; i < pts.size(); ++i)
            d[i] = Dev(pts[i].x(), pts[i].y());
        return d;
    }
    static std::vector<POINT> ToPoints(const QPolygonF& poly)
    {
        std::vector<POINT> d(size_t(poly.size()));
        for (qsizetype i = 0; i < poly.size(); ++i)
            d[size_t(i)] = POINT{int(std::lround(poly[i].x())), int(std::lround(poly[i].y()))};
        return d;
    }

    using Dib = TCheckedDib;
    static bool ReadDib(const TByteView& r, std::uint32_t offBmi, std::uint32_t cbBmi, std::uint32_t offBits,
                        std::uint32_t cbBits, Dib& out)
    {
        return ReadCheckedDib(r, offBmi, cbBmi, offBits, cbBits, out);
    }
    bool DrawDib(const Dib& dib, double x, double y, double w, double h, int sx, int syTop, int sw, int sh, DWORD rop)
    {
        Prepare(false, true);
        const POINT a = Dev(x, y), b = Dev(x + w, y + h);
        DrawCheckedDib(dc_, dib, a.x, a.y, b.x - a.x, b.y - a.y, sx, syTop, sw, sh, rop);
        return true; // an empty or clipped-away source draws nothing and is no failure
    }

    // A source bitmap blended onto the picture: by its alpha (`param` holds the blend
    // function: operation, flags, constant alpha, alpha format), or with the pixels of one
    // colour (`param`) left out. A 32-bit source keeps its alpha bytes (premultiplied colours).
    bool BlendDib(const Dib& dib, bool alpha, double x, double y, double w, double h, int sx, int sy, int sw, int sh,
                  std::uint32_t param)
    {
        if (!dib.drawable)
            return true;
        const auto* info = dib.Info();
        const BITMAPINFOHEADER& bh = info->bmiHeader;
        const DWORD* masks = bh.biCompression == BI_BITFIELDS ? reinterpret_cast<const DWORD*>(info->bmiColors) : nullptr;
        QImage image = DibToImage(&bh, dib.bits, info->bmiColors, masks);
        if (image.isNull())
            return false;
        if (alpha && bh.biBitCount == 32 && bh.biCompression == BI_RGB) {
            image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const auto* bytes = static_cast<const std::uint8_t*>(dib.bits);
            for (int row = 0; row < image.height(); ++row) {
                const int fileRow = bh.biHeight < 0 ? row : image.height() - 1 - row;
                const std::uint8_t* in = bytes + size_t(fileRow) * size_t(image.width()) * 4;
                auto* out = reinterpret_cast<QRgb*>(image.scanLine(row));
                for (int col = 0; col < image.width(); ++col) {
                    const int a = in[4 * col + 3];
                    out[col] = qRgba(std::min<int>(qRed(out[col]), a), std::min<int>(qGreen(out[col]), a),
                                     std::min<int>(qBlue(out[col]), a), a);
                }
            }
        }
        DeviceContext source(&image);
        const POINT a = Dev(x, y), b = Dev(x + w, y + h);
        const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
        const int width = std::abs(b.x - a.x), height = std::abs(b.y - a.y);
        if (double(width) * height > kMaxDibPixels)
            return false; // stretched beyond any device
        Prepare(false, false);
        if (alpha) {
            BLENDFUNCTION blend;
            blend.BlendOp = BYTE(param & 0xFF);
            blend.BlendFlags = BYTE((param >> 8) & 0xFF);
            blend.SourceConstantAlpha = BYTE((param >> 16) & 0xFF);
            blend.AlphaFormat = BYTE((param >> 24) & 0xFF);
            return AlphaBlend(dc_, left, top, width, height, &source, sx, sy, sw, sh, blend) != FALSE;
        }
        return TransparentBlt(dc_, left, top, width, height, &source, sx, sy, sw, sh, Colour(param)) != FALSE;
    }

    // ---------------------------------------------------------------- shapes

    QPainterPath ArcPath(double l, double t, double r, double b, QPointF start, QPointF end, int kind)
    {
        // kind 0 arc, 1 pie, 2 chord
        const double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::abs(r - l) / 2, ry = std::abs(b - t) / 2;
        QPainterPath p;
        if (rx <= 0 || ry <= 0)
            return p;
        auto angleOf = [&](QPointF q) { return std::atan2(-(q.y() - cy) / ry, (q.x() - cx) / rx) * 180 / M_PI; };
        const double a0 = angleOf(start), a1 = angleOf(end);
        double sweep = a1 - a0;
        if (state_.clockwise) {
            while (sweep >= 0)
                sweep -= 360;
        } else {
            while (sweep <= 0)
                sweep += 360;
        }
        const QRectF box(std::min(l, r), std::min(t, b), 2 * rx, 2 * ry);
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
        return p;
    }
    void AddToPath(const QPainterPath& logical) { path_.addPath(total_.map(logical)); }
    void FillAndStroke(const QPainterPath& device, bool fill, bool stroke)
    {
        const QList<QPolygonF> polys = device.toSubpathPolygons();
        if (polys.isEmpty())
            return;
        if (fill) {
            std::vector<POINT> pts;
            std::vector<int> counts;
            for (const QPolygonF& poly : polys) {
                const auto d = ToPoints(poly);
                pts.insert(pts.end(), d.begin(), d.end());
                counts.push_back(int(d.size()));
            }
            Prepare(false, true);
            PolyPolygon(dc_, pts.data(), counts.data(), int(counts.size()));
        }
        if (stroke) {
            Prepare(true, false);
            for (const QPolygonF& poly : polys) {
                const auto d = ToPoints(poly);
                Polyline(dc_, d.data(), int(d.size()));
            }
        }
    }
    void DrawClosed(const QPainterPath& logical)
    {
        FillAndStroke(total_.map(logical), true, true);
    }

    void Text(const TByteView& r, size_t emrText, bool wide, bool& ok)
    {
        const double x = r.I32(emrText), y = r.I32(emrText + 4);
        const std::uint32_t n = r.U32(emrText + 8), offString = r.U32(emrText + 12), options = r.U32(emrText + 16);
        const std::int32_t rl = r.I32(emrText + 20), rt = r.I32(emrText + 24), rr = r.I32(emrText + 28),
                           rb = r.I32(emrText + 32);
        const std::uint32_t offDx = r.U32(emrText + 36);
        if (!r.ok)
            return void(ok = false);
        std::u16string text;
        if (n > 0) {
            const std::uint8_t* s = r.Range(offString, n, wide ? 2 : 1);
            if (!s)
                return void(ok = false);
            text.resize(n);
            for (std::uint32_t i = 0; i < n; ++i)
                text[i] = wide ? char16_t(s[2 * i] | s[2 * i + 1] << 8) : char16_t(s[i]);
        }
        std::vector<int> dx;
        if (n > 0 && offDx != 0) {
            const bool pdy = options & 0x2000;
            if (!r.Range(offDx, n, pdy ? 8 : 4))
                return void(ok = false);
            // Each glyph stands where the sum of the advances before it puts it (rounded once
            // in device pixels, so that rounding does not add up along the string).
            dx.resize(n);
            const double scale = XScale();
            double sum = 0;
            long long before = 0;
            for (std::uint32_t i = 0; i < n; ++i) {
                sum += r.I32(offDx + i * (pdy ? 8 : 4));
                const long long at = std::llround(std::clamp(sum * scale, -1e9, 1e9));
                dx[i] = int(at - before);
                before = at;
            }
        }
        Prepare(false, false);
        SelectObject(dc_, RealizedFont());
        QPointF ref(x, y);
        if (state_.textAlign & TA_UPDATECP)
            ref = state_.current;
        const POINT d = Dev(ref.x(), ref.y());
        RECT rect{};
        const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) && rl < rr && rt < rb;
        if (hasRect)
            rect = DevRect(rl, rt, rr, rb);
        dc_->textAlign = state_.textAlign & ~UINT(TA_UPDATECP);
        ExtTextOutW(dc_, d.x, d.y, hasRect ? (options & (ETO_OPAQUE | ETO_CLIPPED)) : 0, hasRect ? &rect : nullptr,
                    text.data(), n, dx.empty() ? nullptr : dx.data());
        ApplyClip();
        if (state_.textAlign & TA_UPDATECP) {
            long long total = 0;
            for (std::uint32_t i = 0; i < n && offDx; ++i)
                total += r.I32(offDx + i * ((options & 0x2000) ? 8 : 4));
            state_.current.rx() += double(total);
        }
    }

    // ---------------------------------------------------------------- records

    bool PlayRecord(std::uint32_t type, const TByteView& r)
    {
        QUELM_INVARIANT(table_.size() == std::max<size_t>(1, emf_->header.nHandles) && !table_[0],
                        "the object table keeps the header's handle count, and slot 0 (the picture) holds no object");
        using namespace emf;
        switch (type) {
        case POLYBEZIER: case POLYGON: case POLYLINE: case POLYBEZIERTO: case POLYLINETO:
        case POLYBEZIER16: case POLYGON16: case POLYLINE16: case POLYBEZIERTO16: case POLYLINETO16: {
            const bool small = type >= POLYBEZIER16;
            const std::uint32_t kind = small ? type - POLYBEZIER16 + POLYBEZIER : type;
            std::vector<QPointF> pts;
            if (!Points(r, 28, r.U32(24), small, pts))
                return false;
            return PolyRecord(kind, pts);
        }
        case POLYPOLYLINE: case POLYPOLYGON: case POLYPOLYLINE16: case POLYPOLYGON16: {
            const bool small = type >= POLYPOLYLINE16;
            const bool polygon = type == POLYPOLYGON || type == POLYPOLYGON16;
            const std::uint32_t polys = r.U32(24), total = r.U32(28);
            if (!r.Range(32, polys, 4))
                return false;
            std::vector<int> counts(polys);
            std::uint64_t sum = 0;
            for (std::uint32_t i = 0; i < polys; ++i) {
                counts[i] = int(r.U32(32 + i * 4));
                sum += r.U32(32 + i * 4);
            }
            if (sum != total)
                return false;
            std::vector<QPointF> pts;
            if (!Points(r, 32 + size_t(polys) * 4, total, small, pts))
                return false;
            if (inPath_) {
                size_t k = 0;
                for (int c : counts) {
                    if (c > 0) {
                        QPolygonF poly;
                        for (int i = 0; i < c; ++i)
                            poly << Map(pts[k + size_t(i)].x(), pts[k + size_t(i)].y());
                        path_.addPolygon(poly);
                        if (polygon)
                            path_.closeSubpath();
                    }
                    k += size_t(c);
                }
                return true;
            }
            std::vector<POINT> d = DevPoints(pts);
            if (polygon) {
                Prepare();
                PolyPolygon(dc_, d.data(), counts.data(), int(polys));
            } else {
                Prepare(true, false);
                std::vector<DWORD> c(counts.begin(), counts.end());
                PolyPolyline(dc_, d.data(), c.data(), polys);
            }
            return true;
        }
        case SETWINDOWEXTEX: state_.windowExt = QSizeF(r.I32(8), r.I32(12)); UpdateTransform(); return true;
        case SETWINDOWORGEX: state_.windowOrg = QPointF(r.I32(8), r.I32(12)); UpdateTransform(); return true;
        case SETVIEWPORTEXTEX: state_.viewportExt = QSizeF(r.I32(8), r.I32(12)); UpdateTransform(); return true;
        case SETVIEWPORTORGEX: state_.viewportOrg = QPointF(r.I32(8), r.I32(12)); UpdateTransform(); return true;
        case SCALEVIEWPORTEXTEX: case SCALEWINDOWEXTEX: {
            const std::int32_t xn = r.I32(8), xd = r.I32(12), yn = r.I32(16), yd = r.I32(20);
            if (xd == 0 || yd == 0)
                return true;
            QSizeF& e = type == SCALEVIEWPORTEXTEX ? state_.viewportExt : state_.windowExt;
            e = QSizeF(e.width() * xn / xd, e.height() * yn / yd);
            UpdateTransform();
            return true;
        }
        case SETMAPMODE: {
            const std::uint32_t m = r.U32(8);
            if (m >= 1 && m <= 8) {
                state_.mapMode = int(m);
                UpdateTransform();
            }
            return true;
        }
        case SETBKMODE: state_.bkMode = int(r.U32(8)); return true;
        case SETPOLYFILLMODE: state_.fillMode = int(r.U32(8)); return true;
        case SETROP2: state_.rop2 = int(r.U32(8)); return true;
        case SETSTRETCHBLTMODE: state_.stretchMode = int(r.U32(8)); return true;
        case SETTEXTALIGN: state_.textAlign = r.U32(8); return true;
        case SETTEXTCOLOR: state_.textColor = Colour(r.U32(8)); return true;
        case SETBKCOLOR: state_.bkColor = Colour(r.U32(8)); return true;
        case SETARCDIRECTION: state_.clockwise = r.U32(8) == 2; return true;
        case MOVETOEX:
            state_.current = QPointF(r.I32(8), r.I32(12));
            if (inPath_)
                path_.moveTo(Map(state_.current.x(), state_.current.y()));
            return true;
        case LINETO: {
            const QPointF to(r.I32(8), r.I32(12));
            if (inPath_) {
                if (path_.elementCount() == 0)
                    path_.moveTo(Map(state_.current.x(), state_.current.y()));
                path_.lineTo(Map(to.x(), to.y()));
            } else {
                Prepare(true, false);
                const POINT a = Dev(state_.current.x(), state_.current.y()), b = Dev(to.x(), to.y());
                MoveToEx(dc_, a.x, a.y, nullptr);
                ::LineTo(dc_, b.x, b.y);
            }
            state_.current = to;
            return true;
        }
        case SETPIXELV: {
            const POINT p = Dev(r.I32(8), r.I32(12));
            Prepare(false, false);
            SetPixelV(dc_, p.x, p.y, Colour(r.U32(16)));
            return true;
        }
        case EXCLUDECLIPRECT: case INTERSECTCLIPRECT: {
            const QRegion region = LogicalRectRegion(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
            CombineClip(region, type == INTERSECTCLIPRECT ? RGN_AND : RGN_DIFF);
            return true;
        }
        case OFFSETCLIPRGN: {
            if (state_.hasClip) {
                const QPointF a = Map(0, 0), b = Map(r.I32(8), r.I32(12));
                state_.clip.translate(int(std::lround(b.x() - a.x())), int(std::lround(b.y() - a.y())));
                ApplyClip();
            }
            return true;
        }
        case EXTSELECTCLIPRGN: {
            const std::uint32_t cb = r.U32(8), mode = r.U32(12);
            if (cb == 0) {
                if (mode == RGN_COPY) {
                    state_.hasClip = false;
                    ApplyClip();
                }
                return true;
            }
            QRegion region;
            if (!ReadRegion(r, 16, cb, toOut_, region))
                return false;
            CombineClip(region, int(mode));
            return true;
        }
        case SAVEDC: saved_.push_back(state_); return true;
        case RESTOREDC: {
            const std::int32_t n = r.I32(8);
            size_t target;
            if (n < 0) {
                if (size_t(-std::int64_t(n)) > saved_.size())
                    return true;
                target = saved_.size() - size_t(-std::int64_t(n));
            } else {
                if (n == 0 || size_t(n) > saved_.size())
                    return true;
                target = size_t(n) - 1;
            }
            state_ = saved_[target];
            saved_.resize(target);
            UpdateTransform();
            ApplyClip();
            return true;
        }
        case SETWORLDTRANSFORM: {
            state_.world = ReadXform(r, 8);
            UpdateTransform();
            return true;
        }
        case MODIFYWORLDTRANSFORM: {
            const QTransform x = ReadXform(r, 8);
            switch (r.U32(32)) {
            case 1: state_.world = QTransform(); break;
            case 2: state_.world = x * state_.world; break;
            case 3: state_.world = state_.world * x; break;
            case 4: state_.world = x; break;
            default: break;
            }
            UpdateTransform();
            return true;
        }
        case SELECTOBJECT: {
            const std::uint32_t ih = r.U32(8);
            PlayObjectPtr o;
            if (ih & 0x80000000u) {
                const std::uint32_t stock = ih & 0x7FFFFFFF;
                if (stock > DC_PEN)
                    return true;
                o = Stock(int(stock));
            } else {
                if (ih == 0 || ih >= table_.size() || !table_[ih])
                    return false;
                o = table_[ih];
            }
            if (o->kind == PlayObject::Pen)
                state_.pen = o;
            else if (o->kind == PlayObject::Brush)
                state_.brush = o;
            else if (o->kind == PlayObject::Font)
                state_.font = o;
            return true;
        }
        case DELETEOBJECT: {
            const std::uint32_t ih = r.U32(8);
            if (ih == 0 || ih >= table_.size())
                return false;
            table_[ih].reset();
            return true;
        }
        case CREATEPEN: {
            auto o = std::make_shared<PlayObject>();
            o->kind = PlayObject::Pen;
            o->pen.lopnStyle = r.U32(12);
            o->pen.lopnWidth.x = std::max(0, r.I32(16));
            o->pen.lopnColor = Colour(r.U32(24));
            return NewObject(r.U32(8), o);
        }
        case EXTCREATEPEN: {
            auto o = std::make_shared<PlayObject>();
            o->kind = PlayObject::Pen;
            const std::uint32_t style = r.U32(28);
            o->geometricPen = (style & 0x10000) != 0;
            o->pen.lopnStyle = r.U32(36) == BS_NULL ? PS_NULL : (style & PS_STYLE_MASK);
            o->pen.lopnWidth.x = std::max(0, r.I32(32));
            o->pen.lopnColor = Colour(r.U32(40));
            o->penExtStyle = style & (PS_ENDCAP_MASK | PS_JOIN_MASK);
            const std::uint32_t entries = r.U32(48);
            const std::uint8_t* lengths = r.Range(52, entries, 4);
            if (!lengths)
                return false;
            // more lengths than a pen takes, or none but zeros, draw solid
            if (o->pen.lopnStyle == PS_USERSTYLE && entries >= 1 && entries <= 16) {
                for (std::uint32_t i = 0; i < entries; ++i)
                    o->userStyle.push_back(r.U32(52 + size_t(i) * 4));
            }
            return NewObject(r.U32(8), o);
        }
        case CREATEBRUSHINDIRECT: {
            auto o = std::make_shared<PlayObject>();
            o->kind = PlayObject::Brush;
            o->brush.lbStyle = r.U32(12);
            o->brush.lbColor = Colour(r.U32(16));
            o->brush.lbHatch = intptr_t(r.U32(20));
            if (o->brush.lbStyle != BS_SOLID && o->brush.lbStyle != BS_NULL && o->brush.lbStyle != BS_HATCHED)
                o->brush.lbStyle = BS_SOLID;
            return NewObject(r.U32(8), o);
        }
        case CREATEDIBPATTERNBRUSHPT: case CREATEMONOBRUSH: {
            Dib dib;
            if (!ReadDib(r, r.U32(16), r.U32(20), r.U32(24), r.U32(28), dib))
                return false;
            auto o = std::make_shared<PlayObject>();
            o->kind = PlayObject::Brush;
            o->brush.lbStyle = BS_PATTERN;
            if (dib.drawable) {
                const auto* info = dib.Info();
                const DWORD* masks = info->bmiHeader.biCompression == BI_BITFIELDS
                                         ? reinterpret_cast<const DWORD*>(info->bmiColors)
                                         : nullptr;
                o->pattern = DibToImage(&info->bmiHeader, dib.bits, info->bmiColors, masks);
                if (type == CREATEMONOBRUSH && info->bmiHeader.biBitCount == 1) {
                    // a monochrome pattern takes the text colour (0) and background colour (1)
                    QImage img(o->pattern.size(), QImage::Format_RGB32);
                    const QColor fg = ColorRefToQColor(state_.textColor), bg = ColorRefToQColor(state_.bkColor);
                    for (int yy = 0; yy < img.height(); ++yy)
                        for (int xx = 0; xx < img.width(); ++xx)
                            img.setPixelColor(xx, yy, qGray(o->pattern.pixel(xx, yy)) < 128 ? fg : bg);
                    o->pattern = img;
                }
            }
            if (o->pattern.isNull())
                o->brush.lbStyle = BS_SOLID;
            return NewObject(r.U32(8), o);
        }
        case EXTCREATEFONTINDIRECTW: {
            auto o = std::make_shared<PlayObject>();
            o->kind = PlayObject::Font;
            if (!ReadFontRecord(r, o->font))
                return false;
            return NewObject(r.U32(8), o);
        }
        case CREATEPALETTE: {
            const std::uint32_t count = r.U16(14);
            if (!r.Range(16, count, 4))
                return false;
            auto o = std::make_shared<PlayObject>();
            o->kind = PlayObject::Palette;
            o->entries.resize(count);
            ReadEntries(r, 16, count, o->entries);
            return NewObject(r.U32(8), o);
        }
        case SELECTPALETTE: {
            const std::uint32_t ih = r.U32(8);
            if (ih & 0x80000000u) {
                state_.palette.reset(); // the stock default palette
                return true;
            }
            if (ih == 0 || ih >= table_.size())
                return false;
            if (table_[ih] && table_[ih]->kind == PlayObject::Palette)
                state_.palette = table_[ih];
            return true;
        }
        case SETPALETTEENTRIES: {
            const std::uint32_t ih = r.U32(8), start = r.U32(12), count = r.U32(16);
            if (!r.Range(20, count, 4))
                return false;
            if (ih == 0 || ih >= table_.size())
                return false;
            PlayObject* o = table_[ih].get();
            if (o && o->kind == PlayObject::Palette && start < o->entries.size()) {
                std::vector<PALETTEENTRY> in(count);
                ReadEntries(r, 20, count, in);
                const size_t n = std::min<size_t>(count, o->entries.size() - start);
                std::copy(in.begin(), in.begin() + std::ptrdiff_t(n), o->entries.begin() + std::ptrdiff_t(start));
            }
            return true;
        }
        case RESIZEPALETTE: {
            const std::uint32_t ih = r.U32(8), count = r.U32(12);
            if (ih == 0 || ih >= table_.size() || count > 1024)
                return false;
            if (table_[ih] && table_[ih]->kind == PlayObject::Palette)
                table_[ih]->entries.resize(count, PALETTEENTRY{0, 0, 0, 0});
            return true;
        }
        case RECTANGLE: case ELLIPSE: case ROUNDRECT: {
            const double l = r.I32(8), t = r.I32(12), rr = r.I32(16), b = r.I32(20);
            QPainterPath p;
            const QRectF box = QRectF(QPointF(l, t), QPointF(rr, b)).normalized();
            if (type == RECTANGLE)
                p.addRect(box);
            else if (type == ELLIPSE)
                p.addEllipse(box);
            else
                p.addRoundedRect(box, std::abs(r.I32(24)) / 2.0, std::abs(r.I32(28)) / 2.0);
            if (inPath_) {
                AddToPath(p);
                return true;
            }
            if (AxisAligned()) {
                Prepare();
                const RECT d = DevRect(l, t, rr, b);
                if (type == RECTANGLE)
                    ::Rectangle(dc_, d.left, d.top, d.right, d.bottom);
                else if (type == ELLIPSE)
                    ::Ellipse(dc_, d.left, d.top, d.right, d.bottom);
                else
                    ::RoundRect(dc_, d.left, d.top, d.right, d.bottom, int(std::lround(std::abs(r.I32(24)) * XScale())),
                                int(std::lround(std::abs(r.I32(28)) * YScale())));
                return true;
            }
            DrawClosed(p);
            return true;
        }
        case ARC: case CHORD: case PIE: case ARCTO: {
            const double l = r.I32(8), t = r.I32(12), rr = r.I32(16), b = r.I32(20);
            const QPointF s(r.I32(24), r.I32(28)), e(r.I32(32), r.I32(36));
            const int kind = type == PIE ? 1 : type == CHORD ? 2 : 0;
            const QPainterPath p = ArcPath(l, t, rr, b, s, e, kind);
            if (type == ARCTO) {
                const QPainterPath dev = total_.map(p);
                if (dev.elementCount() > 0) {
                    if (inPath_) {
                        if (path_.elementCount() == 0)
                            path_.moveTo(Map(state_.current.x(), state_.current.y()));
                        path_.lineTo(dev.elementAt(0).x, dev.elementAt(0).y);
                        path_.connectPath(dev);
                    } else {
                        QPainterPath full;
                        full.moveTo(Map(state_.current.x(), state_.current.y()));
                        full.connectPath(dev);
                        FillAndStroke(full, false, true);
                    }
                    const QPointF last = p.currentPosition();
                    state_.current = last;
                }
                return true;
            }
            if (inPath_) {
                AddToPath(p);
                return true;
            }
            if (kind == 0)
                FillAndStroke(total_.map(p), false, true);
            else
                DrawClosed(p);
            return true;
        }
        case ANGLEARC: {
            const double cx = r.I32(8), cy = r.I32(12), radius = r.U32(16);
            const double start = r.F32(20), sweep = r.F32(24);
            if (!std::isfinite(start) || !std::isfinite(sweep) || radius > 1e7)
                return false;
            QPainterPath p;
            p.moveTo(state_.current);
            const QRectF box(cx - radius, cy - radius, 2 * radius, 2 * radius);
            p.arcTo(box, start, std::clamp(double(sweep), -3600.0, 3600.0));
            state_.current = p.currentPosition();
            if (inPath_)
                path_.connectPath(total_.map(p));
            else
                FillAndStroke(total_.map(p), false, true);
            return true;
        }
        case BEGINPATH: inPath_ = true; path_ = QPainterPath(); return true;
        case ENDPATH: inPath_ = false; return true;
        case ABORTPATH: inPath_ = false; path_ = QPainterPath(); return true;
        case CLOSEFIGURE: if (inPath_) path_.closeSubpath(); return true;
        case FLATTENPATH: case WIDENPATH: return true;
        case FILLPATH: case STROKEPATH: case STROKEANDFILLPATH: {
            inPath_ = false;
            path_.setFillRule(state_.fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
            FillAndStroke(path_, type != STROKEPATH, type != FILLPATH);
            path_ = QPainterPath();
            return true;
        }
        case SELECTCLIPPATH: {
            inPath_ = false;
            const QRegion region(path_.toFillPolygon().toPolygon(),
                                 state_.fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
            CombineClip(region, int(r.U32(8)));
            path_ = QPainterPath();
            return true;
        }
        case POLYDRAW: case POLYDRAW16: {
            const bool small = type == POLYDRAW16;
            const std::uint32_t n = r.U32(24);
            std::vector<QPointF> pts;
            if (!Points(r, 28, n, small, pts))
                return false;
            const size_t typesAt = 28 + size_t(n) * (small ? 4 : 8);
            if (!r.Range(typesAt, n, 1))
                return false;
            QPainterPath p;
            p.moveTo(state_.current);
            for (std::uint32_t i = 0; i < n; ++i) {
                const std::uint8_t t = r.U8(typesAt + i);
                if ((t & 6) == 6)
                    p.moveTo(pts[i]);
                else if ((t & 6) == 4 && i + 2 < n) {
                    p.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
                    i += 2;
                } else
                    p.lineTo(pts[i]);
                if (t & 1)
                    p.closeSubpath();
            }
            if (n)
                state_.current = pts[n - 1];
            if (inPath_)
                path_.addPath(total_.map(p));
            else
                FillAndStroke(total_.map(p), false, true);
            return true;
        }
        case FILLRGN: case PAINTRGN: case INVERTRGN: case FRAMERGN: {
            const std::uint32_t cb = r.U32(24);
            size_t at = 28;
            PlayObjectPtr brush = state_.brush;
            if (type == FILLRGN || type == FRAMERGN) {
                const std::uint32_t ih = r.U32(28);
                if (ih & 0x80000000u) {
                    brush = Stock(int(std::min<std::uint32_t>(ih & 0x7FFFFFFF, DC_PEN)));
                } else {
                    if (ih == 0 || ih >= table_.size() || !table_[ih])
                        return false;
                    brush = table_[ih];
                }
                at = type == FRAMERGN ? 40 : 32;
            }
            QRegion region;
            if (!ReadRegion(r, at, cb, total_, region))
                return false;
            HRGN rgn = CreateRectRgn(0, 0, 0, 0);
            rgn->region = region;
            const PlayObjectPtr keep = state_.brush;
            state_.brush = brush;
            Prepare(false, true);
            if (type == INVERTRGN) {
                for (const QRect& q : region) {
                    const RECT rc = QRectToRect(q);
                    InvertRect(dc_, &rc);
                }
            } else if (type == FRAMERGN) {
                FrameRgn(dc_, rgn, static_cast<HBRUSH>(RealizedBrush()), std::max(1, int(std::lround(r.I32(32) * XScale()))),
                         std::max(1, int(std::lround(r.I32(36) * YScale()))));
            } else {
                FillRgn(dc_, rgn, static_cast<HBRUSH>(RealizedBrush()));
            }
            state_.brush = keep;
            DeleteObject(rgn);
            return true;
        }
        case BITBLT: case STRETCHBLT: case ALPHABLEND: case TRANSPARENTBLT: case MASKBLT: {
            const double x = r.I32(24), y = r.I32(28), w = r.I32(32), h = r.I32(36);
            const std::uint32_t rop = r.U32(40);
            const int sx = r.I32(44), sy = r.I32(48);
            size_t bmi = 84; // offBmiSrc in BITBLT/STRETCHBLT/ALPHABLEND/TRANSPARENTBLT/MASKBLT
            const std::uint32_t offBmi = r.U32(bmi), cbBmi = r.U32(bmi + 4), offBits = r.U32(bmi + 8),
                                cbBits = r.U32(bmi + 12);
            int sw = int(w), sh = int(h);
            if (type != BITBLT) {
                sw = r.I32(100);
                sh = r.I32(104);
            }
            if (!r.ok)
                return false;
            if (cbBmi == 0) {
                // without a source bitmap only a pattern operation can be carried out
                if (type != BITBLT && type != STRETCHBLT)
                    return false;
                Prepare(false, true);
                const RECT d = DevRect(x, y, x + w, y + h);
                return PatBlt(dc_, d.left, d.top, d.right - d.left, d.bottom - d.top, rop) != FALSE;
            }
            Dib dib;
            if (!ReadDib(r, offBmi, cbBmi, offBits, cbBits, dib))
                return false;
            if (type == ALPHABLEND || type == TRANSPARENTBLT)
                return BlendDib(dib, type == ALPHABLEND, x, y, w, h, sx, sy, sw, sh, rop);
            return DrawDib(dib, x, y, w, h, sx, sy, sw, sh, type == MASKBLT ? SRCCOPY : rop);
        }
        case STRETCHDIBITS: case SETDIBITSTODEVICE: {
            const double x = r.I32(24), y = r.I32(28);
            const int sx = r.I32(32), sy = r.I32(36), sw = r.I32(40), sh = r.I32(44);
            const std::uint32_t offBmi = r.U32(48), cbBmi = r.U32(52), offBits = r.U32(56), cbBits = r.U32(60);
            double w = sw, h = sh;
            DWORD rop = SRCCOPY;
            if (type == STRETCHDIBITS) {
                rop = r.U32(68);
                w = r.I32(72);
                h = r.I32(76);
            }
            if (!r.ok)
                return false;
            if (type == STRETCHDIBITS && cbBmi == 0) {
                Prepare(false, true);
                const RECT d = DevRect(x, y, x + w, y + h);
                return PatBlt(dc_, d.left, d.top, d.right - d.left, d.bottom - d.top, rop) != FALSE;
            }
            Dib dib;
            if (!ReadDib(r, offBmi, cbBmi, offBits, cbBits, dib))
                return false;
            // DIB source rows count from the bottom for bottom-up bitmaps
            const std::int64_t syTop = dib.height > 0 ? std::int64_t(dib.height) - sy - sh : sy;
            if (syTop < INT_MIN || syTop > INT_MAX)
                return true; // a source this far beyond any bitmap draws nothing
            return DrawDib(dib, x, y, w, h, sx, int(syTop), sw, sh, rop);
        }
        case EXTTEXTOUTA: case EXTTEXTOUTW: {
            bool ok = true;
            Text(r, 36, type == EXTTEXTOUTW, ok);
            return ok && r.ok;
        }
        case POLYTEXTOUTA: case POLYTEXTOUTW: {
            const std::uint32_t n = r.U32(36);
            if (!r.Range(40, n, 40))
                return false;
            for (std::uint32_t i = 0; i < n; ++i) {
                bool ok = true;
                Text(r, 40 + size_t(i) * 40, type == POLYTEXTOUTW, ok);
                if (!ok)
                    return false;
            }
            return true;
        }
        case SMALLTEXTOUT: {
            const std::int32_t x = r.I32(8), y = r.I32(12);
            const std::uint32_t n = r.U32(16), options = r.U32(20);
            size_t at = 36;
            RECT rect{};
            const bool hasRect = !(options & 0x100);
            if (hasRect) {
                rect = RECT{r.I32(36), r.I32(40), r.I32(44), r.I32(48)};
                at = 52;
            }
            const bool small = options & 0x200;
            const std::uint8_t* s = r.Range(at, n, small ? 1 : 2);
            if (!s)
                return false;
            std::u16string text(n, u' ');
            for (std::uint32_t i = 0; i < n; ++i)
                text[i] = small ? char16_t(s[i]) : char16_t(s[2 * i] | s[2 * i + 1] << 8);
            Prepare(false, false);
            SelectObject(dc_, RealizedFont());
            const POINT d = Dev(x, y);
            RECT dr{};
            if (hasRect && (options & (ETO_OPAQUE | ETO_CLIPPED)))
                dr = DevRect(rect.left, rect.top, rect.right, rect.bottom);
            dc_->textAlign = state_.textAlign & ~UINT(TA_UPDATECP);
            ExtTextOutW(dc_, d.x, d.y, hasRect ? (options & (ETO_OPAQUE | ETO_CLIPPED)) : 0,
                        hasRect ? &dr : nullptr, text.data(), n, nullptr);
            ApplyClip();
            return true;
        }
        case GRADIENTFILL: {
            const std::uint32_t nVer = r.U32(24), nTri = r.U32(28), mode = r.U32(32);
            if (!r.Range(36, nVer, 16))
                return false;
            const size_t at = 36 + size_t(nVer) * 16;
            const bool triangles = mode == 2;
            if (!r.Range(at, nTri, triangles ? 12 : 8))
                return false;
            auto vertexColor = [&](std::uint32_t i) {
                const size_t v = 36 + size_t(i) * 16;
                return RGB(BYTE(r.U16(v + 8) >> 8), BYTE(r.U16(v + 10) >> 8), BYTE(r.U16(v + 12) >> 8));
            };
            auto vertexPoint = [&](std::uint32_t i) {
                const size_t v = 36 + size_t(i) * 16;
                return QPointF(r.I32(v), r.I32(v + 4));
            };
            for (std::uint32_t k = 0; k < nTri; ++k) {
                if (triangles) {
                    std::uint32_t idx[3];
                    for (int j = 0; j < 3; ++j) {
                        idx[j] = r.U32(at + k * 12 + size_t(j) * 4);
                        if (idx[j] >= nVer)
                            return false;
                    }
                    int rr = 0, gg = 0, bb = 0;
                    std::vector<QPointF> tri;
                    for (std::uint32_t i : idx) {
                        const COLORREF c = vertexColor(i);
                        rr += GetRValue(c), gg += GetGValue(c), bb += GetBValue(c);
                        tri.push_back(vertexPoint(i));
                    }
                    const std::vector<POINT> d = DevPoints(tri);
                    HBRUSH brush = CreateSolidBrush(RGB(BYTE(rr / 3), BYTE(gg / 3), BYTE(bb / 3)));
                    Prepare(false, false);
                    SelectObject(dc_, brush);
                    ::Polygon(dc_, d.data(), 3);
                    SelectObject(dc_, GetStockObject(NULL_BRUSH));
                    DeleteObject(brush);
                    continue;
                }
                const std::uint32_t a = r.U32(at + k * 8), b = r.U32(at + k * 8 + 4);
                if (a >= nVer || b >= nVer)
                    return false;
                const RECT d = DevRect(vertexPoint(a).x(), vertexPoint(a).y(), vertexPoint(b).x(), vertexPoint(b).y());
                const COLORREF c0 = vertexColor(a), c1 = vertexColor(b);
                const bool vertical = mode == 1;
                const int span = std::clamp(vertical ? d.bottom - d.top : d.right - d.left, 1, 512);
                for (int i = 0; i < span; ++i) {
                    const double f = span > 1 ? double(i) / (span - 1) : 0;
                    const COLORREF c = RGB(BYTE(GetRValue(c0) + (GetRValue(c1) - GetRValue(c0)) * f),
                                           BYTE(GetGValue(c0) + (GetGValue(c1) - GetGValue(c0)) * f),
                                           BYTE(GetBValue(c0) + (GetBValue(c1) - GetBValue(c0)) * f));
                    RECT band = d;
                    if (vertical) {
                        band.top = d.top + (d.bottom - d.top) * i / span;
                        band.bottom = d.top + (d.bottom - d.top) * (i + 1) / span;
                    } else {
                        band.left = d.left + (d.right - d.left) * i / span;
                        band.right = d.left + (d.right - d.left) * (i + 1) / span;
                    }
                    HBRUSH brush = CreateSolidBrush(c);
                    ::FillRect(dc_, &band, brush);
                    DeleteObject(brush);
                }
            }
            return true;
        }
        default:
            return true; // records without a drawing effect here (comments, colour management...)
        }
    }

    bool PolyRecord(std::uint32_t kind, const std::vector<QPointF>& pts)
    {
        using namespace emf;
        if (pts.empty())
            return true;
        const bool bezier = kind == POLYBEZIER || kind == POLYBEZIERTO;
        const bool to = kind == POLYBEZIERTO || kind == POLYLINETO;
        QPainterPath p;
        if (to || kind == POLYBEZIER || kind == POLYLINE || kind == POLYGON) {
            size_t i = 0;
            if (to)
                p.moveTo(state_.current);
            else
                p.moveTo(pts[i++]);
            if (bezier) {
                for (; i + 2 < pts.size(); i += 3)
                    p.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            } else {
                for (; i < pts.size(); ++i)
                    p.lineTo(pts[i]);
            }
        }
        if (kind == POLYGON)
            p.closeSubpath();
        if (to || kind == POLYBEZIER || kind == POLYLINE)
            state_.current = p.currentPosition();
        if (inPath_) {
            QPainterPath dev = total_.map(p);
            if (to && path_.elementCount() > 0) {
                // continue the current figure
                for (int i = 1; i < dev.elementCount(); ++i) {
                    const auto e = dev.elementAt(i);
                    if (e.type == QPainterPath::CurveToElement && i + 2 < dev.elementCount()) {
                        path_.cubicTo(e.x, e.y, dev.elementAt(i + 1).x, dev.elementAt(i + 1).y, dev.elementAt(i + 2).x,
                                      dev.elementAt(i + 2).y);
                        i += 2;
                    } else {
                        path_.lineTo(e.x, e.y);
                    }
                }
            } else {
                path_.addPath(dev);
            }
            return true;
        }
        if (kind == POLYGON) {
            const std::vector<POINT> d = DevPoints(pts);
            Prepare();
            ::Polygon(dc_, d.data(), int(d.size()));
            return true;
        }
        if (!bezier) {
            const QPolygonF line = total_.map(p).toSubpathPolygons().value(0);
            const std::vector<POINT> d = ToPoints(line);
            Prepare(true, false);
            ::Polyline(dc_, d.data(), int(d.size()));
            return true;
        }
        FillAndStroke(total_.map(p), false, true);
        return true;
    }

    // A string of up to `count` UTF-16 characters at `at`, ending at the first zero or at the
    // record's end.
    static QString WideField(const TByteView& r, size_t at, size_t count)
    {
        QString s;
        for (size_t i = 0; i < count && r.Has(at + 2 * i, 2); ++i) {
            const char16_t c = r.U16(at + 2 * i);
            if (!c)
                break;
            s.append(QChar(c));
        }
        return s;
    }

    // The logical font of a font record, in whichever form the record's size gives (`elw`, from
    // offset 12 to the record's end):
    // - less than 320 bytes: the logical font; its face name may be cut short by the record's
    //   end, and bytes after its 92 are ignored;
    // - exactly 320 bytes: the logical font, full name (+92), style (+220) and the ten
    //   classification numbers (+308: family kind, serif style, weight, proportion...);
    // - more than 320 bytes: the logical font, full name, style, script (+284) and a design
    //   vector (+348). The design vector chooses among a font's master axes; the fonts drawn
    //   here have none, so it is not read.
    // Where the logical font leaves a choice open (no face name, any weight, any family), the
    // longer forms' fields settle it. Only the fixed part of the logical font (28 bytes) must be
    // present.
    static bool ReadFontRecord(const TByteView& r, LOGFONT& f)
    {
        constexpr size_t at = 12, kLogFont = 92, kPanoseForm = 320;
        if (!r.Has(at, 28))
            return false;
        const size_t elw = r.Size() - at;
        f.lfHeight = r.I32(at);
        f.lfWidth = r.I32(at + 4);
        f.lfEscapement = r.I32(at + 8);
        f.lfOrientation = r.I32(at + 12);
        f.lfWeight = r.I32(at + 16);
        f.lfItalic = r.U8(at + 20);
        f.lfUnderline = r.U8(at + 21);
        f.lfStrikeOut = r.U8(at + 22);
        f.lfCharSet = r.U8(at + 23);
        f.lfOutPrecision = r.U8(at + 24);
        f.lfClipPrecision = r.U8(at + 25);
        f.lfQuality = r.U8(at + 26);
        f.lfPitchAndFamily = r.U8(at + 27);
        QString face = WideField(r, at + 28, LF_FACESIZE);
        if (elw >= kPanoseForm) {
            const QString fullName = WideField(r, at + kLogFont, 64);
            const QString style = WideField(r, at + kLogFont + 128, 32);
            if (face.isEmpty()) {
                face = fullName;
                if (!style.isEmpty() && face.endsWith(" " + style, Qt::CaseInsensitive))
                    face.chop(style.size() + 1);
            }
            if (f.lfWeight == FW_DONTCARE)
                f.lfWeight = WeightOfStyle(style);
        }
        if (elw == kPanoseForm) {
            const std::uint8_t kind = r.U8(at + 308), serif = r.U8(at + 309), weight = r.U8(at + 310),
                               proportion = r.U8(at + 311);
            if (f.lfWeight == FW_DONTCARE && weight >= 2 && weight <= 11)
                f.lfWeight = std::min(900, 100 * (weight - 1)); // very light .. black
            if ((f.lfPitchAndFamily & 0xF0) == FF_DONTCARE) {
                BYTE family = FF_DONTCARE;
                if (proportion == 9)
                    family = FF_MODERN | FIXED_PITCH;
                else if (kind == 3)
                    family = FF_SCRIPT;
                else if (kind == 4)
                    family = FF_DECORATIVE;
                else if (kind == 2 && serif >= 11 && serif <= 13)
                    family = FF_SWISS;
                else if (kind == 2 && serif >= 2 && serif <= 10)
                    family = FF_ROMAN;
                f.lfPitchAndFamily = BYTE(f.lfPitchAndFamily | family);
            }
        }
        // The face name is kept in the single-byte form the device fonts are named in; a name
        // with characters beyond it names no font here and leaves the choice to the family.
        bool latin = true;
        for (const QChar c : face)
            latin = latin && c.unicode() < 256;
        if (latin) {
            const QByteArray bytes = face.toLatin1().left(LF_FACESIZE - 1);
            std::memcpy(f.lfFaceName, bytes.constData(), size_t(bytes.size()));
        }
        return true;
    }
    // The weight a style name ("Bold Italic", "Semibold", "Light"...) speaks of; none when it
    // names no weight.
    static LONG WeightOfStyle(const QString& style)
    {
        static const std::pair<const char*, LONG> words[] = {
            {"thin", FW_THIN}, {"extralight", 200}, {"ultralight", 200}, {"light", FW_LIGHT},
            {"medium", FW_MEDIUM}, {"semibold", FW_SEMIBOLD}, {"demibold", FW_SEMIBOLD},
            {"extrabold", 800}, {"ultrabold", 800}, {"bold", FW_BOLD}, {"black", FW_HEAVY},
            {"heavy", FW_HEAVY}, {"regular", FW_NORMAL}, {"normal", FW_NORMAL}, {"book", FW_NORMAL}};
        const QString s = style.toLower().remove(' ').remove('-');
        for (const auto& [word, weight] : words)
            if (s.contains(QLatin1String(word)))
                return weight;
        return FW_DONTCARE;
    }

    static QTransform ReadXform(const TByteView& r, size_t at)
    {
        const double m11 = r.F32(at), m12 = r.F32(at + 4), m21 = r.F32(at + 8), m22 = r.F32(at + 12),
                     dx = r.F32(at + 16), dy = r.F32(at + 20);
        for (double v : {m11, m12, m21, m22, dx, dy})
            if (!std::isfinite(v) || std::abs(v) > 1e9)
                return QTransform();
        return QTransform(m11, m12, m21, m22, dx, dy);
    }

    // Region data (32-byte header, rectangles) mapped through `map` into output pixels.
    static bool ReadRegion(const TByteView& r, size_t at, std::uint32_t cb, const QTransform& map, QRegion& out)
    {
        if (cb < 32 || !r.Range(at, cb, 1))
            return false;
        const std::uint32_t count = r.U32(at + 8);
        if (count > (cb - 32) / 16)
            return false;
        const bool aligned = map.m12() == 0 && map.m21() == 0;
        QVector<QRect> rects;
        rects.reserve(qsizetype(std::min<std::uint32_t>(count, 100000)));
        for (std::uint32_t i = 0; i < count; ++i) {
            const size_t q = at + 32 + size_t(i) * 16;
            const QRectF lr(QPointF(r.I32(q), r.I32(q + 4)), QPointF(r.I32(q + 8), r.I32(q + 12)));
            if (aligned) {
                const QRectF d = map.mapRect(lr.normalized());
                rects.push_back(QRect(QPoint(int(std::lround(d.left())), int(std::lround(d.top()))),
                                      QPoint(int(std::lround(d.right())) - 1, int(std::lround(d.bottom())) - 1)));
            } else {
                out = out.united(QRegion(map.map(QPolygonF(lr.normalized())).toPolygon()));
            }
        }
        if (aligned)
            out.setRects(rects.constData(), int(rects.size()));
        return true;
    }
};

} // namespace

BOOL PlayEnhMetaFile(HDC dc, HENHMETAFILE emf, const RECT* rect)
{
    if (!dc || !emf || !rect || emf->records.empty())
        return FALSE;
    const QPoint a = dc->ToDevice(rect->left, rect->top), b = dc->ToDevice(rect->right, rect->bottom);
    const QRect out(a, QSize(b.x() - a.x(), b.y() - a.y()));
    SaveDC(dc);
    dc->mapMode = MM_TEXT;
    dc->windowOrg = dc->viewportOrg = POINT{0, 0};
    dc->windowExt = dc->viewportExt = SIZE{1, 1};
    bool ok;
    {
        Player player(dc, emf, out);
        ok = player.Play();
    }
    RestoreDC(dc, -1);
    return ok ? TRUE : FALSE;
}
