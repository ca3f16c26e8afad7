#include "platform/win/WinGdiPlus.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

class GpGraphics {
public:
    HDC dc = nullptr;
    SmoothingMode smoothing = SmoothingModeDefault;
    TextRenderingHint hint = TextRenderingHintSystemDefault;
};

class GpPen {
public:
    QColor color;
    qreal width = 1;
};

class GpBrush {
public:
    enum Kind { Solid, Linear, PathGradient } kind = Solid;
    QColor color;
    GpRectF rect;
    ARGB color1 = 0, color2 = 0;
    LinearGradientMode mode = LinearGradientModeHorizontal;
    QPainterPath path;
    int pointCount = 0;
    ARGB center = 0xFFFFFFFF;
    std::vector<ARGB> surround;
    QPointF centerPoint;
};

class GpPath {
public:
    QPainterPath path;
    int pointCount = 0;
    // an open figure: the next line or arc joins its end with a straight line
    bool figureOpen = false;
};

class GpFontFamily {
public:
    QString name;
};

class GpFont {
public:
    QFont font;
};

class GpStringFormat {
public:
    int flags = 0;
    StringAlignment align = StringAlignmentNear;
    StringAlignment lineAlign = StringAlignmentNear;
    StringTrimming trimming = StringTrimmingCharacter;
    int hotkey = HotkeyPrefixNone;
};

class GpImage {
public:
    QImage image;
    GUID format;
};

class GpImageAttributes {
public:
    bool keyed = false;
    ARGB low = 0, high = 0;
};

const GUID ImageFormatUndefined{0xb96b3ca9, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatMemoryBMP{0xb96b3caa, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatBMP{0xb96b3cab, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatEMF{0xb96b3cac, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatWMF{0xb96b3cad, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatJPEG{0xb96b3cae, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatPNG{0xb96b3caf, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatGIF{0xb96b3cb0, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatTIFF{0xb96b3cb1, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatEXIF{0xb96b3cb2, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatIcon{0xb96b3cb5, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

namespace {

int gStartups = 0;

QColor ColorOf(ARGB c)
{
    return QColor::fromRgb(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF), int(c >> 24));
}

QBrush BrushOf(const GpBrush* b)
{
    switch (b->kind) {
    case GpBrush::Solid: return QBrush(b->color);
    case GpBrush::Linear: {
        const GpRectF& r = b->rect;
        QPointF from(r.X, r.Y), to(r.X + r.Width, r.Y);
        if (b->mode == LinearGradientModeVertical)
            to = QPointF(r.X, r.Y + r.Height);
        else if (b->mode == LinearGradientModeForwardDiagonal)
            to = QPointF(r.X + r.Width, r.Y + r.Height);
        else if (b->mode == LinearGradientModeBackwardDiagonal) {
            from = QPointF(r.X + r.Width, r.Y);
            to = QPointF(r.X, r.Y + r.Height);
        }
        QLinearGradient g(from, to);
        g.setColorAt(0, ColorOf(b->color1));
        g.setColorAt(1, ColorOf(b->color2));
        g.setSpread(QGradient::RepeatSpread);
        return QBrush(g);
    }
    case GpBrush::PathGradient: {
        const QRectF box = b->path.boundingRect();
        qreal radius = 1;
        for (const QPointF& corner : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()})
            radius = std::max(radius, std::hypot(corner.x() - b->centerPoint.x(), corner.y() - b->centerPoint.y()));
        QRadialGradient g(b->centerPoint, radius);
        g.setColorAt(0, ColorOf(b->center));
        g.setColorAt(1, ColorOf(b->surround.empty() ? b->center : b->surround.front()));
        return QBrush(g);
    }
    }
    return QBrush();
}

// The painter of the graphics' device, in logical coordinates, with its antialiasing.
QPainter* Begin(GpGraphics* g, const char* op, const QRectF& box = QRectF())
{
    if (!g || !g->dc)
        return nullptr;
    TGdiRecord rec = g->dc->MakeRecord(op);
    rec.Rect = RECT{LONG(std::floor(box.left())), LONG(std::floor(box.top())), LONG(std::ceil(box.right())),
                    LONG(std::ceil(box.bottom()))};
    g->dc->Record(rec);
    QPainter* p = BeginGdiPaint(g->dc);
    if (!p)
        return nullptr;
    const QPoint o = g->dc->ToDevice(0, 0);
    p->setTransform(QTransform::fromTranslate(o.x(), o.y()));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const bool smooth = g->smoothing == SmoothingModeAntiAlias || g->smoothing == SmoothingModeHighQuality;
    p->setRenderHint(QPainter::Antialiasing, smooth);
    p->setRenderHint(QPainter::TextAntialiasing, g->hint != TextRenderingHintSingleBitPerPixel &&
                                                     g->hint != TextRenderingHintSingleBitPerPixelGridFit);
    p->setRenderHint(QPainter::SmoothPixmapTransform, true);
    return p;
}

void End(GpGraphics* g, QPainter* p)
{
    p->setTransform(QTransform());
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->setPen(Qt::NoPen);
    p->setBrush(Qt::NoBrush);
    g->dc->Flush();
}

QString TextOf(const char16_t* text, int length)
{
    if (!text)
        return QString();
    if (length < 0)
        return QString::fromUtf16(text);
    return QString::fromUtf16(text, length);
}

QString ApplyHotkey(QString s, const GpStringFormat* f)
{
    if (!f || f->hotkey == HotkeyPrefixNone)
        return s;
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size())
            ++i;
        out += s[i];
    }
    return out;
}

int QtFlags(const GpStringFormat* f)
{
    int flags = 0;
    const StringAlignment align = f ? f->align : StringAlignmentNear;
    const StringAlignment line = f ? f->lineAlign : StringAlignmentNear;
    flags |= align == StringAlignmentCenter ? Qt::AlignHCenter : align == StringAlignmentFar ? Qt::AlignRight : Qt::AlignLeft;
    flags |= line == StringAlignmentCenter ? Qt::AlignVCenter : line == StringAlignmentFar ? Qt::AlignBottom : Qt::AlignTop;
    if (!f || !(f->flags & StringFormatFlagsNoWrap))
        flags |= Qt::TextWordWrap;
    return flags;
}

GUID FormatOfBytes(const std::vector<uint8_t>& d)
{
    auto starts = [&](std::initializer_list<uint8_t> m) {
        return d.size() >= m.size() && std::equal(m.begin(), m.end(), d.begin());
    };
    if (starts({'B', 'M'}))
        return ImageFormatBMP;
    if (starts({0x89, 'P', 'N', 'G'}))
        return ImageFormatPNG;
    if (starts({0xFF, 0xD8}))
        return ImageFormatJPEG;
    if (starts({'G', 'I', 'F', '8'}))
        return ImageFormatGIF;
    if (starts({'I', 'I', 42, 0}) || starts({'M', 'M', 0, 42}))
        return ImageFormatTIFF;
    if (starts({0, 0, 1, 0}))
        return ImageFormatIcon;
    if (starts({0xD7, 0xCD, 0xC6, 0x9A}))
        return ImageFormatWMF;
    if (d.size() > 44 && std::memcmp(d.data() + 40, " EMF", 4) == 0)
        return ImageFormatEMF;
    return ImageFormatUndefined;
}

GpStatus LoadImage(IStream* stream, GpImage** image)
{
    if (!stream || !image)
        return InvalidParameter;
    *image = nullptr;
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    std::vector<uint8_t> bytes(static_cast<size_t>(stream->Size()));
    ULONG read = 0;
    stream->Read(bytes.data(), ULONG(bytes.size()), &read);
    bytes.resize(read);
    QImage decoded = DecodePictureBytes(bytes.data(), bytes.size());
    if (decoded.isNull())
        return UnknownImageFormat;
    auto* result = new GpImage;
    result->image = std::move(decoded);
    result->format = FormatOfBytes(bytes);
    *image = result;
    return Ok;
}

} // namespace

// ---------------------------------------------------------------- start-up

GpStatus GdiplusStartup(uintptr_t* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output)
{
    if (!token || !input)
        return InvalidParameter;
    if (input->GdiplusVersion != 1)
        return UnsupportedGdiplusVersion;
    ++gStartups;
    *token = uintptr_t(gStartups);
    if (output) {
        output->NotificationHook = [](uintptr_t* t) {
            if (t)
                *t = 1;
            return Ok;
        };
        output->NotificationUnhook = [](uintptr_t) {};
    }
    return Ok;
}

void GdiplusShutdown(uintptr_t token)
{
    if (token && gStartups > 0)
        --gStartups;
}

int GdiplusStartupCount()
{
    return gStartups;
}

void* GdipAlloc(size_t size)
{
    return gStartups > 0 ? std::malloc(size ? size : 1) : nullptr;
}

void GdipFree(void* p)
{
    std::free(p);
}

// ---------------------------------------------------------------- graphics

GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics)
{
    if (!graphics)
        return InvalidParameter;
    *graphics = nullptr;
    if (!dc)
        return OutOfMemory;
    *graphics = new GpGraphics;
    (*graphics)->dc = dc;
    return Ok;
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics)
{
    if (!graphics)
        return InvalidParameter;
    delete graphics;
    return Ok;
}

GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode)
{
    if (!graphics || mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias)
        return InvalidParameter;
    graphics->smoothing = mode;
    return Ok;
}

GpStatus GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint hint)
{
    if (!graphics || hint < TextRenderingHintSystemDefault || hint > TextRenderingHintClearTypeGridFit)
        return InvalidParameter;
    graphics->hint = hint;
    return Ok;
}

GpStatus GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path)
{
    if (!graphics || !pen || !path)
        return InvalidParameter;
    if (QPainter* p = Begin(graphics, "GdipDrawPath", path->path.boundingRect())) {
        p->setPen(QPen(pen->color, pen->width));
        p->setBrush(Qt::NoBrush);
        p->drawPath(path->path);
        End(graphics, p);
    }
    return Ok;
}

GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path)
{
    if (!graphics || !brush || !path)
        return InvalidParameter;
    if (QPainter* p = Begin(graphics, "GdipFillPath", path->path.boundingRect())) {
        p->fillPath(path->path, BrushOf(brush));
        End(graphics, p);
    }
    return Ok;
}

GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height)
{
    if (!graphics || !brush)
        return InvalidParameter;
    const QRectF r(x, y, width, height);
    if (QPainter* p = Begin(graphics, "GdipFillRectangle", r)) {
        p->fillRect(r, BrushOf(brush));
        End(graphics, p);
    }
    return Ok;
}

GpStatus GdipDrawRectangle(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height)
{
    if (!graphics || !pen)
        return InvalidParameter;
    const QRectF r(x, y, width, height);
    if (QPainter* p = Begin(graphics, "GdipDrawRectangle", r)) {
        p->setPen(QPen(pen->color, pen->width));
        p->setBrush(Qt::NoBrush);
        p->drawRect(r);
        End(graphics, p);
    }
    return Ok;
}

GpStatus GdipDrawEllipse(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height)
{
    if (!graphics || !pen)
        return InvalidParameter;
    const QRectF r(x, y, width, height);
    if (QPainter* p = Begin(graphics, "GdipDrawEllipse", r)) {
        p->setPen(QPen(pen->color, pen->width));
        p->setBrush(Qt::NoBrush);
        p->drawEllipse(r);
        End(graphics, p);
    }
    return Ok;
}

GpStatus GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height)
{
    if (!graphics || !brush)
        return InvalidParameter;
    const QRectF r(x, y, width, height);
    if (QPainter* p = Begin(graphics, "GdipFillEllipse", r)) {
        p->setPen(Qt::NoPen);
        p->setBrush(BrushOf(brush));
        p->drawEllipse(r);
        End(graphics, p);
    }
    return Ok;
}

GpStatus GdipMeasureString(GpGraphics* graphics, const char16_t* text, int length, const GpFont* font,
                           const GpRectF* layout, const GpStringFormat* format, GpRectF* boundingBox,
                           int* codepointsFitted, int* linesFilled)
{
    if (!graphics || !text || !font || !layout || !boundingBox)
        return InvalidParameter;
    const QString s = ApplyHotkey(TextOf(text, length), format);
    const QFontMetricsF fm(font->font);
    const qreal w = layout->Width > 0 ? layout->Width : 1e6;
    const qreal h = layout->Height > 0 ? layout->Height : 1e6;
    const QRectF box = fm.boundingRect(QRectF(layout->X, layout->Y, w, h), QtFlags(format) & ~Qt::AlignVertical_Mask & ~Qt::AlignHorizontal_Mask, s);
    *boundingBox = GpRectF{REAL(layout->X), REAL(layout->Y), REAL(box.width()), REAL(box.height())};
    if (codepointsFitted)
        *codepointsFitted = int(s.size());
    if (linesFilled)
        *linesFilled = std::max(1, int(std::lround(box.height() / std::max<qreal>(1, fm.lineSpacing()))));
    return Ok;
}

GpStatus GdipDrawString(GpGraphics* graphics, const char16_t* text, int length, const GpFont* font,
                        const GpRectF* layout, const GpStringFormat* format, const GpBrush* brush)
{
    if (!graphics || !text || !font || !layout || !brush)
        return InvalidParameter;
    QString s = ApplyHotkey(TextOf(text, length), format);
    const QRectF r(layout->X, layout->Y, layout->Width > 0 ? layout->Width : 1e6, layout->Height > 0 ? layout->Height : 1e6);
    QPainter* p = Begin(graphics, "GdipDrawString", r);
    if (!p)
        return Ok;
    p->setFont(font->font);
    p->setPen(QPen(BrushOf(brush), 1));
    const bool ellipsis = format && (format->trimming == StringTrimmingEllipsisCharacter ||
                                     format->trimming == StringTrimmingEllipsisWord ||
                                     format->trimming == StringTrimmingEllipsisPath);
    if (ellipsis && layout->Width > 0)
        s = QFontMetricsF(font->font).elidedText(s, format->trimming == StringTrimmingEllipsisPath ? Qt::ElideMiddle : Qt::ElideRight, layout->Width);
    if (!format || !(format->flags & StringFormatFlagsNoClip))
        p->setClipRect(p->transform().mapRect(r), Qt::IntersectClip);
    p->drawText(r, QtFlags(format), s);
    End(graphics, p);
    return Ok;
}

GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dx, REAL dy, REAL dw, REAL dh, REAL sx,
                               REAL sy, REAL sw, REAL sh, GpUnit unit, const GpImageAttributes* attributes,
                               DrawImageAbort callback, void* callbackData)
{
    if (!graphics || !image)
        return InvalidParameter;
    if (unit != UnitPixel && unit != UnitWorld)
        return NotImplemented;
    if (callback && callback(callbackData))
        return Aborted;
    QImage source = image->image.copy(QRectF(sx, sy, sw, sh).toRect());
    if (attributes && attributes->keyed) {
        source = source.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < source.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(source.scanLine(y));
            for (int x = 0; x < source.width(); ++x) {
                const QRgb c = line[x];
                auto within = [](int v, ARGB lo, ARGB hi, int shift) {
                    return v >= int((lo >> shift) & 0xFF) && v <= int((hi >> shift) & 0xFF);
                };
                if (within(qRed(c), attributes->low, attributes->high, 16) &&
                    within(qGreen(c), attributes->low, attributes->high, 8) &&
                    within(qBlue(c), attributes->low, attributes->high, 0))
                    line[x] = 0;
            }
        }
    }
    const QRectF target(dx, dy, dw, dh);
    if (QPainter* p = Begin(graphics, "GdipDrawImage", target)) {
        p->drawImage(target, source);
        End(graphics, p);
    }
    return Ok;
}

GpStatus GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height)
{
    if (!image)
        return InvalidParameter;
    return GdipDrawImageRectRect(graphics, image, x, y, width, height, 0, 0, REAL(image->image.width()),
                                 REAL(image->image.height()), UnitPixel, nullptr, nullptr, nullptr);
}

GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, int x, int y)
{
    if (!image)
        return InvalidParameter;
    return GdipDrawImageRect(graphics, image, REAL(x), REAL(y), REAL(image->image.width()),
                             REAL(image->image.height()));
}

// ---------------------------------------------------------------- pens and brushes

GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen)
{
    if (!pen || width < 0 || (unit != UnitWorld && unit != UnitPixel))
        return InvalidParameter;
    *pen = new GpPen;
    (*pen)->color = ColorOf(color);
    (*pen)->width = width;
    return Ok;
}

GpStatus GdipDeletePen(GpPen* pen)
{
    if (!pen)
        return InvalidParameter;
    delete pen;
    return Ok;
}

GpStatus GdipCreateSolidFill(ARGB color, GpBrush** brush)
{
    if (!brush)
        return InvalidParameter;
    *brush = new GpBrush;
    (*brush)->color = ColorOf(color);
    return Ok;
}

GpStatus GdipCreateLineBrushFromRect(const GpRectF* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                     GpWrapMode wrap, GpBrush** brush)
{
    (void)wrap;
    if (!brush || !rect || mode < LinearGradientModeHorizontal || mode > LinearGradientModeBackwardDiagonal)
        return InvalidParameter;
    if (rect->Width == 0 || rect->Height == 0) {
        *brush = nullptr;
        return OutOfMemory; // as GDI+ answers an empty rectangle
    }
    auto* b = new GpBrush;
    b->kind = GpBrush::Linear;
    b->rect = *rect;
    b->color1 = color1;
    b->color2 = color2;
    b->mode = mode;
    *brush = b;
    return Ok;
}

GpStatus GdipCreatePathGradientFromPath(const GpPath* path, GpBrush** brush)
{
    if (!brush || !path)
        return InvalidParameter;
    if (path->pointCount <= 0) {
        *brush = nullptr;
        return OutOfMemory;
    }
    auto* b = new GpBrush;
    b->kind = GpBrush::PathGradient;
    b->path = path->path;
    b->pointCount = path->pointCount;
    b->centerPoint = path->path.boundingRect().center();
    *brush = b;
    return Ok;
}

GpStatus GdipSetPathGradientCenterColor(GpBrush* brush, ARGB color)
{
    if (!brush || brush->kind != GpBrush::PathGradient)
        return InvalidParameter;
    brush->center = color;
    return Ok;
}

GpStatus GdipGetPathGradientPointCount(GpBrush* brush, int* count)
{
    if (!brush || !count || brush->kind != GpBrush::PathGradient)
        return InvalidParameter;
    *count = brush->pointCount;
    return Ok;
}

GpStatus GdipSetPathGradientSurroundColorsWithCount(GpBrush* brush, const ARGB* colors, int* count)
{
    if (!brush || !colors || !count || brush->kind != GpBrush::PathGradient || *count <= 0 ||
        *count > brush->pointCount)
        return InvalidParameter;
    brush->surround.assign(colors, colors + *count);
    return Ok;
}

GpStatus GdipSetPathGradientCenterPointI(GpBrush* brush, const GpPoint* point)
{
    if (!brush || !point || brush->kind != GpBrush::PathGradient)
        return InvalidParameter;
    brush->centerPoint = QPointF(point->X, point->Y);
    return Ok;
}

GpStatus GdipDeleteBrush(GpBrush* brush)
{
    if (!brush)
        return InvalidParameter;
    delete brush;
    return Ok;
}

// ---------------------------------------------------------------- paths

GpStatus GdipCreatePath(GpFillMode mode, GpPath** path)
{
    if (!path)
        return InvalidParameter;
    *path = new GpPath;
    (*path)->path.setFillRule(mode == FillModeWinding ? Qt::WindingFill : Qt::OddEvenFill);
    return Ok;
}

GpStatus GdipDeletePath(GpPath* path)
{
    if (!path)
        return InvalidParameter;
    delete path;
    return Ok;
}

GpStatus GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2)
{
    if (!path)
        return InvalidParameter;
    if (!path->figureOpen)
        path->path.moveTo(x1, y1);
    else if (path->path.currentPosition() != QPointF(x1, y1))
        path->path.lineTo(x1, y1);
    path->path.lineTo(x2, y2);
    path->figureOpen = true;
    path->pointCount += 2;
    return Ok;
}

GpStatus GdipAddPathArc(GpPath* path, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle)
{
    if (!path || width <= 0 || height <= 0)
        return InvalidParameter;
    // GDI+ angles run clockwise from the x axis, Qt's counter-clockwise
    QPainterPath arc;
    arc.arcMoveTo(QRectF(x, y, width, height), -startAngle);
    arc.arcTo(QRectF(x, y, width, height), -startAngle, -sweepAngle);
    if (!path->figureOpen)
        path->path.moveTo(arc.elementAt(0));
    else
        path->path.lineTo(arc.elementAt(0));
    path->path.arcTo(QRectF(x, y, width, height), -startAngle, -sweepAngle);
    path->figureOpen = true;
    path->pointCount += 4;
    return Ok;
}

GpStatus GdipAddPathEllipse(GpPath* path, REAL x, REAL y, REAL width, REAL height)
{
    if (!path)
        return InvalidParameter;
    path->path.addEllipse(QRectF(x, y, width, height));
    path->figureOpen = false;
    path->pointCount += 13;
    return Ok;
}

GpStatus GdipAddPathPolygon(GpPath* path, const GpPointF* points, int count)
{
    if (!path || !points || count < 3)
        return InvalidParameter;
    QPolygonF polygon;
    for (int i = 0; i < count; ++i)
        polygon << QPointF(points[i].X, points[i].Y);
    path->path.addPolygon(polygon);
    path->path.closeSubpath();
    path->figureOpen = false;
    path->pointCount += count;
    return Ok;
}

GpStatus GdipClosePathFigure(GpPath* path)
{
    if (!path)
        return InvalidParameter;
    path->path.closeSubpath();
    path->figureOpen = false;
    return Ok;
}

// ---------------------------------------------------------------- fonts and formats

GpStatus GdipCreateFontFamilyFromName(const char16_t* name, GpFontCollection* collection, GpFontFamily** family)
{
    (void)collection;
    if (!name || !family)
        return InvalidParameter;
    *family = new GpFontFamily;
    (*family)->name = QString::fromUtf16(name);
    return Ok;
}

GpStatus GdipDeleteFontFamily(GpFontFamily* family)
{
    if (!family)
        return InvalidParameter;
    delete family;
    return Ok;
}

GpStatus GdipCreateFont(const GpFontFamily* family, REAL size, int style, GpUnit unit, GpFont** font)
{
    if (!family || !font || size <= 0)
        return InvalidParameter;
    QFont f(family->name);
    qreal pixels = size;
    if (unit == UnitPoint)
        pixels = size * 96.0 / 72.0;
    else if (unit == UnitInch)
        pixels = size * 96.0;
    else if (unit == UnitMillimeter)
        pixels = size * 96.0 / 25.4;
    else if (unit == UnitDocument)
        pixels = size * 96.0 / 300.0;
    f.setPixelSize(std::max(1, int(std::lround(pixels))));
    f.setBold(style & FontStyleBold);
    f.setItalic(style & FontStyleItalic);
    f.setUnderline(style & FontStyleUnderline);
    f.setStrikeOut(style & FontStyleStrikeout);
    *font = new GpFont;
    (*font)->font = f;
    return Ok;
}

GpStatus GdipDeleteFont(GpFont* font)
{
    if (!font)
        return InvalidParameter;
    delete font;
    return Ok;
}

GpStatus GdipCreateStringFormat(int flags, uint16_t language, GpStringFormat** format)
{
    (void)language;
    if (!format)
        return InvalidParameter;
    *format = new GpStringFormat;
    (*format)->flags = flags;
    return Ok;
}

GpStatus GdipDeleteStringFormat(GpStringFormat* format)
{
    if (!format)
        return InvalidParameter;
    delete format;
    return Ok;
}

GpStatus GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align)
{
    if (!format || align < StringAlignmentNear || align > StringAlignmentFar)
        return InvalidParameter;
    format->align = align;
    return Ok;
}

GpStatus GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align)
{
    if (!format || align < StringAlignmentNear || align > StringAlignmentFar)
        return InvalidParameter;
    format->lineAlign = align;
    return Ok;
}

GpStatus GdipSetStringFormatTrimming(GpStringFormat* format, StringTrimming trimming)
{
    if (!format || trimming < StringTrimmingNone || trimming > StringTrimmingEllipsisPath)
        return InvalidParameter;
    format->trimming = trimming;
    return Ok;
}

GpStatus GdipSetStringFormatHotkeyPrefix(GpStringFormat* format, int prefix)
{
    if (!format || prefix < HotkeyPrefixNone || prefix > HotkeyPrefixHide)
        return InvalidParameter;
    format->hotkey = prefix;
    return Ok;
}

// ---------------------------------------------------------------- images

GpStatus GdipLoadImageFromStream(IStream* stream, GpImage** image)
{
    return LoadImage(stream, image);
}

GpStatus GdipLoadImageFromStreamICM(IStream* stream, GpImage** image)
{
    return LoadImage(stream, image);
}

GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap)
{
    return LoadImage(stream, bitmap);
}

GpStatus GdipCreateBitmapFromStreamICM(IStream* stream, GpBitmap** bitmap)
{
    return LoadImage(stream, bitmap);
}

GpStatus GdipDisposeImage(GpImage* image)
{
    if (!image)
        return InvalidParameter;
    delete image;
    return Ok;
}

GpStatus GdipGetImageWidth(GpImage* image, UINT* width)
{
    if (!image || !width)
        return InvalidParameter;
    *width = UINT(image->image.width());
    return Ok;
}

GpStatus GdipGetImageHeight(GpImage* image, UINT* height)
{
    if (!image || !height)
        return InvalidParameter;
    *height = UINT(image->image.height());
    return Ok;
}

GpStatus GdipGetImageRawFormat(GpImage* image, GUID* format)
{
    if (!image || !format)
        return InvalidParameter;
    *format = image->format;
    return Ok;
}

GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, int x, int y, ARGB* color)
{
    if (!bitmap || !color || x < 0 || y < 0 || x >= bitmap->image.width() || y >= bitmap->image.height())
        return InvalidParameter;
    const QColor c = bitmap->image.pixelColor(x, y);
    *color = (ARGB(c.alpha()) << 24) | (ARGB(c.red()) << 16) | (ARGB(c.green()) << 8) | ARGB(c.blue());
    return Ok;
}

GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes)
{
    if (!attributes)
        return InvalidParameter;
    *attributes = new GpImageAttributes;
    return Ok;
}

GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes)
{
    if (!attributes)
        return InvalidParameter;
    delete attributes;
    return Ok;
}

GpStatus GdipSetImageAttributesColorKeys(GpImageAttributes* attributes, ColorAdjustType type, BOOL enable,
                                         ARGB low, ARGB high)
{
    (void)type;
    if (!attributes)
        return InvalidParameter;
    attributes->keyed = enable != 0;
    attributes->low = low;
    attributes->high = high;
    return Ok;
}
