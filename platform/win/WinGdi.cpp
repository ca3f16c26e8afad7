#include "platform/win/WinGdi.h"
#include "platform/win/WinMetaSink.h"

#include "platform/rtl/SysUtils.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainterPath>
#include <QGuiApplication>
#include <QScreen>
#include <QStaticText>
#include <QWidget>
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <unordered_map>

// ---------------------------------------------------------------- colours and rectangles

QColor ColorRefToQColor(COLORREF color)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF QColorToColorRef(const QColor& color)
{
    return RGB(color.red(), color.green(), color.blue());
}

QRect RectToQRect(const RECT& r)
{
    const int l = std::min(r.left, r.right), rr = std::max(r.left, r.right);
    const int t = std::min(r.top, r.bottom), b = std::max(r.top, r.bottom);
    return QRect(l, t, rr - l, b - t);
}

RECT QRectToRect(const QRect& r)
{
    return RECT{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

// ---------------------------------------------------------------- objects

int PenObject::describe(int size, void* out) const
{
    if (!out)
        return int(sizeof(LOGPEN));
    const int n = std::min(size, int(sizeof(LOGPEN)));
    std::memcpy(out, &pen, size_t(n));
    return n;
}

int BrushObject::describe(int size, void* out) const
{
    if (!out)
        return int(sizeof(LOGBRUSH));
    const int n = std::min(size, int(sizeof(LOGBRUSH)));
    std::memcpy(out, &brush, size_t(n));
    return n;
}

int FontObject::describe(int size, void* out) const
{
    if (!out)
        return int(sizeof(LOGFONT));
    const int n = std::min(size, int(sizeof(LOGFONT)));
    std::memcpy(out, &font, size_t(n));
    return n;
}

namespace {

QFont BuildQtFont(const LOGFONT& font);

bool SameFontDescription(const LOGFONT& a, const LOGFONT& b)
{
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           std::strncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

// The Qt fonts of the descriptions drawn with lately, most recent first, each with the widths
// of the texts measured in it. Building a Qt font and resolving its glyphs costs more than
// drawing a short text, and a window draws with the same few fonts again and again.
struct CachedFont {
    LOGFONT description;
    QFont font;
    std::unordered_map<QString, int> widths;
    std::unordered_map<QString, QStaticText> laidOut; // texts shaped once, drawn again as they are
};
std::vector<std::unique_ptr<CachedFont>>& FontCache()
{
    static std::vector<std::unique_ptr<CachedFont>> cache;
    return cache;
}

CachedFont& CachedFontOf(const LOGFONT& description)
{
    auto& cache = FontCache();
    for (size_t i = 0; i < cache.size(); ++i)
        if (SameFontDescription(cache[i]->description, description)) {
            if (i > 0)
                std::rotate(cache.begin(), cache.begin() + qsizetype(i), cache.begin() + qsizetype(i) + 1);
            return *cache.front();
        }
    if (cache.size() >= 32)
        cache.pop_back();
    auto entry = std::make_unique<CachedFont>();
    entry->description = description;
    entry->font = BuildQtFont(description);
    cache.insert(cache.begin(), std::move(entry));
    return *cache.front();
}

// The widths measured while one DrawText runs go to its font's entry.
std::unordered_map<QString, int>* activeWidths = nullptr;

} // namespace

QFont FontObject::QtFont() const
{
    return CachedFontOf(font).font;
}

namespace {

QFont BuildQtFont(const LOGFONT& font)
{
    // The family and pitch pick the font where the face is not installed or not named.
    QFont::StyleHint hint = QFont::AnyStyle;
    switch (font.lfPitchAndFamily & 0xF0) {
    case FF_ROMAN: hint = QFont::Serif; break;
    case FF_SWISS: hint = QFont::SansSerif; break;
    case FF_MODERN: hint = QFont::Monospace; break;
    case FF_SCRIPT: hint = QFont::Cursive; break;
    case FF_DECORATIVE: hint = QFont::Fantasy; break;
    default: hint = (font.lfPitchAndFamily & 3) == FIXED_PITCH ? QFont::Monospace : QFont::AnyStyle; break;
    }
    QString face = QString::fromLatin1(font.lfFaceName, int(strnlen(font.lfFaceName, LF_FACESIZE)));
    QFont f;
    if (!face.isEmpty()) {
        f.setFamily(face);
    } else if (hint != QFont::AnyStyle) {
        f.setStyleHint(hint);
        f.setFamily(f.defaultFamily());
    } else {
        f.setFamily("MS Sans Serif");
    }
    f.setStyleHint(hint);
    if ((font.lfPitchAndFamily & 3) == FIXED_PITCH)
        f.setFixedPitch(true);
    f.setStyleStrategy(font.lfQuality == NONANTIALIASED_QUALITY ? QFont::NoAntialias : QFont::PreferDefault);
    f.setHintingPreference(QFont::PreferFullHinting);
    if (font.lfWeight > 0)
        f.setWeight(QFont::Weight(std::clamp(int(font.lfWeight), 100, 900)));
    f.setItalic(font.lfItalic != 0);
    f.setUnderline(font.lfUnderline != 0);
    f.setStrikeOut(font.lfStrikeOut != 0);
    f.setKerning(false);
    int pixels = 13;
    if (font.lfHeight < 0) {
        pixels = -font.lfHeight;
    } else if (font.lfHeight > 0) {
        // a cell height: scale the em so that ascent + descent match it
        QFont probe = f;
        probe.setPixelSize(100);
        const QFontMetrics fm(probe);
        const int cell = std::max(1, fm.ascent() + fm.descent());
        pixels = std::max(1, int(std::lround(font.lfHeight * 100.0 / cell)));
    }
    f.setPixelSize(std::max(1, pixels));
    if (font.lfWidth > 0) {
        const QFontMetrics fm(f);
        const int natural = std::max(1, fm.averageCharWidth());
        f.setStretch(std::clamp(int(font.lfWidth * 100 / natural), 1, 4000));
    }
    return f;
}

} // namespace

HPEN CreatePen(int style, int width, COLORREF color)
{
    auto* p = new PenObject;
    p->pen.lopnStyle = UINT(style);
    p->pen.lopnWidth = POINT{std::max(0, width), 0};
    p->pen.lopnColor = color;
    return p;
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styleLengths)
{
    if (!brush)
        return nullptr;
    const DWORD kind = style & PS_STYLE_MASK;
    if (kind == PS_USERSTYLE) {
        if (styleCount == 0 || styleCount > 16 || !styleLengths)
            return nullptr;
        if (std::all_of(styleLengths, styleLengths + styleCount, [](DWORD n) { return n == 0; }))
            return nullptr;
    }
    auto* p = new PenObject;
    p->pen.lopnStyle = brush->lbStyle == BS_NULL ? UINT(PS_NULL) : UINT(kind);
    p->pen.lopnWidth = POINT{(style & PS_GEOMETRIC) ? LONG(std::min<DWORD>(width, INT_MAX)) : 1, 0};
    p->pen.lopnColor = brush->lbColor;
    p->extStyle = style & (PS_GEOMETRIC | PS_ENDCAP_MASK | PS_JOIN_MASK);
    if (kind == PS_USERSTYLE)
        p->userStyle.assign(styleLengths, styleLengths + styleCount);
    return p;
}

HPEN CreatePenIndirect(const LOGPEN* pen)
{
    if (!pen)
        return nullptr;
    auto* p = new PenObject;
    p->pen = *pen;
    return p;
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto* b = new BrushObject;
    b->brush = LOGBRUSH{BS_SOLID, color, 0};
    return b;
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color)
{
    auto* b = new BrushObject;
    b->brush = LOGBRUSH{BS_HATCHED, color, hatch};
    return b;
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush)
{
    if (!brush)
        return nullptr;
    auto* b = new BrushObject;
    b->brush = *brush;
    return b;
}

HBRUSH CreatePatternBrush(HBITMAP bitmap)
{
    if (!bitmap)
        return nullptr;
    auto* b = new BrushObject;
    b->brush = LOGBRUSH{BS_PATTERN, 0, 0};
    b->pattern = bitmap->image.convertToFormat(QImage::Format_RGB32);
    return b;
}

HFONT CreateFontIndirect(const LOGFONT* font)
{
    if (!font)
        return nullptr;
    auto* f = new FontObject;
    f->font = *font;
    f->font.lfFaceName[LF_FACESIZE - 1] = 0;
    return f;
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* faceName)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = BYTE(italic);
    lf.lfUnderline = BYTE(underline);
    lf.lfStrikeOut = BYTE(strikeOut);
    lf.lfCharSet = BYTE(charSet);
    lf.lfOutPrecision = BYTE(outPrecision);
    lf.lfClipPrecision = BYTE(clipPrecision);
    lf.lfQuality = BYTE(quality);
    lf.lfPitchAndFamily = BYTE(pitchAndFamily);
    if (faceName)
        std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}


// A metafile context hands each drawing call to its sink first; while the call itself runs the
// sink is set aside, so the drawing it does through other calls is not recorded twice.
struct MetaSinkPause {
    HDC dc;
    IGdiMetaSink* sink;
    explicit MetaSinkPause(HDC d) : dc(d), sink(d ? d->MetaSink : nullptr)
    {
        if (sink)
            dc->MetaSink = nullptr;
    }
    ~MetaSinkPause()
    {
        if (sink)
            dc->MetaSink = sink;
    }
    MetaSinkPause(const MetaSinkPause&) = delete;
    MetaSinkPause& operator=(const MetaSinkPause&) = delete;
};
#define QUELM_META_CALL(dc, call)                                                                        \
    if ((dc) && (dc)->MetaSink)                                                                        \
        (dc)->MetaSink->call;                                                                          \
    const MetaSinkPause metaPause_(dc)


namespace {

template <class T>
T* MakeStock(T* object)
{
    object->stock = true;
    return object;
}

HFONT MakeStockFont(const char* face, int height, int weight)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return MakeStock(CreateFontIndirect(&lf));
}

struct StockObjects {
    std::array<HGDIOBJ, 20> objects{};
    StockObjects()
    {
        objects[WHITE_BRUSH] = MakeStock(CreateSolidBrush(0xFFFFFF));
        objects[LTGRAY_BRUSH] = MakeStock(CreateSolidBrush(0xC0C0C0));
        objects[GRAY_BRUSH] = MakeStock(CreateSolidBrush(0x808080));
        objects[DKGRAY_BRUSH] = MakeStock(CreateSolidBrush(0x404040));
        objects[BLACK_BRUSH] = MakeStock(CreateSolidBrush(0x000000));
        auto* nullBrush = new BrushObject;
        nullBrush->brush = LOGBRUSH{BS_NULL, 0, 0};
        objects[NULL_BRUSH] = MakeStock(nullBrush);
        objects[WHITE_PEN] = MakeStock(CreatePen(PS_SOLID, 1, 0xFFFFFF));
        objects[BLACK_PEN] = MakeStock(CreatePen(PS_SOLID, 1, 0x000000));
        objects[NULL_PEN] = MakeStock(CreatePen(PS_NULL, 1, 0));
        objects[OEM_FIXED_FONT] = MakeStockFont("Courier New", -13, FW_NORMAL);
        objects[ANSI_FIXED_FONT] = MakeStockFont("Courier New", -13, FW_NORMAL);
        objects[ANSI_VAR_FONT] = MakeStockFont("MS Sans Serif", -11, FW_NORMAL);
        objects[SYSTEM_FONT] = MakeStockFont("MS Sans Serif", -11, FW_NORMAL);
        objects[DEVICE_DEFAULT_FONT] = MakeStockFont("MS Sans Serif", -11, FW_NORMAL);
        objects[SYSTEM_FIXED_FONT] = MakeStockFont("Courier New", -13, FW_NORMAL);
        objects[DEFAULT_GUI_FONT] = MakeStockFont("MS Sans Serif", -11, FW_NORMAL);
        objects[DC_BRUSH] = MakeStock(CreateSolidBrush(0xFFFFFF));
        objects[DC_PEN] = MakeStock(CreatePen(PS_SOLID, 1, 0));
    }
};

StockObjects& Stock()
{
    static StockObjects* stock = new StockObjects; // lives for the whole process
    return *stock;
}

} // namespace

HGDIOBJ GetStockObject(int which)
{
    if (which < 0 || which >= int(Stock().objects.size()))
        return nullptr;
    return Stock().objects[size_t(which)];
}

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    auto* r = new RegionObject;
    r->region = QRegion(RectToQRect(RECT{left, top, right, bottom}));
    return r;
}

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom)
{
    auto* r = new RegionObject;
    r->region = QRegion(RectToQRect(RECT{left, top, right, bottom}), QRegion::Ellipse);
    return r;
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height)
{
    const QRect box = RectToQRect(RECT{left, top, right, bottom});
    auto* r = new RegionObject;
    const int w = std::min(std::abs(width), box.width());
    const int h = std::min(std::abs(height), box.height());
    if (w < 2 || h < 2) {
        r->region = QRegion(box);
        return r;
    }
    // The straight parts, then the four corner ellipses.
    QRegion region(box.adjusted(w / 2, 0, -(w / 2), 0));
    region += QRegion(box.adjusted(0, h / 2, 0, -(h / 2)));
    const QRect corner(0, 0, w, h);
    region += QRegion(corner.translated(box.left(), box.top()), QRegion::Ellipse);
    region += QRegion(corner.translated(box.right() + 1 - w, box.top()), QRegion::Ellipse);
    region += QRegion(corner.translated(box.left(), box.bottom() + 1 - h), QRegion::Ellipse);
    region += QRegion(corner.translated(box.right() + 1 - w, box.bottom() + 1 - h), QRegion::Ellipse);
    r->region = region;
    return r;
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode)
{
    QPolygon polygon;
    for (int i = 0; i < count; ++i)
        polygon << QPoint(points[i].x, points[i].y);
    auto* r = new RegionObject;
    r->region = QRegion(polygon, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    return r;
}

namespace {
int RegionKind(const QRegion& r)
{
    if (r.isEmpty())
        return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
} // namespace

int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode)
{
    if (!dest || !a || (mode != RGN_COPY && !b))
        return ERROR_REGION;
    switch (mode) {
    case RGN_AND: dest->region = a->region.intersected(b->region); break;
    case RGN_OR: dest->region = a->region.united(b->region); break;
    case RGN_XOR: dest->region = a->region.xored(b->region); break;
    case RGN_DIFF: dest->region = a->region.subtracted(b->region); break;
    case RGN_COPY: dest->region = a->region; break;
    default: return ERROR_REGION;
    }
    return RegionKind(dest->region);
}

BOOL PtInRegion(HRGN region, int x, int y)
{
    return region && region->region.contains(QPoint(x, y));
}

int GetRgnBox(HRGN region, RECT* rect)
{
    if (!region)
        return ERROR_REGION;
    if (rect)
        *rect = QRectToRect(region->region.boundingRect());
    return RegionKind(region->region);
}

BOOL OffsetRgn(HRGN region, int dx, int dy)
{
    if (!region)
        return FALSE;
    region->region.translate(dx, dy);
    return TRUE;
}

// ---------------------------------------------------------------- system colours

namespace {
std::array<COLORREF, 31> sysColors = {
    0xC8C8C8, 0x808000, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0x6A240A, 0xC8D0D4,
};
std::array<HBRUSH, 31> sysBrushes{};
} // namespace

COLORREF GetSysColor(int index)
{
    if (index < 0 || index >= int(sysColors.size()))
        return 0;
    return sysColors[size_t(index)];
}

HBRUSH GetSysColorBrush(int index)
{
    if (index < 0 || index >= int(sysColors.size()))
        return nullptr;
    HBRUSH& b = sysBrushes[size_t(index)];
    if (!b)
        b = MakeStock(CreateSolidBrush(sysColors[size_t(index)]));
    b->brush.lbColor = sysColors[size_t(index)];
    return b;
}

COLORREF SetSysColorForTest(int index, COLORREF color)
{
    if (index < 0 || index >= int(sysColors.size()))
        return 0;
    const COLORREF old = sysColors[size_t(index)];
    sysColors[size_t(index)] = color;
    return old;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN: {
        const QScreen* s = QGuiApplication::primaryScreen();
        return s ? s->geometry().width() : 1024;
    }
    case SM_CYSCREEN:
    case SM_CYFULLSCREEN: {
        const QScreen* s = QGuiApplication::primaryScreen();
        return s ? s->geometry().height() : 768;
    }
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL:
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: case SM_CYMENU: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CXDRAG: case SM_CYDRAG: case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    default: return 0;
    }
}

// ---------------------------------------------------------------- recorder

namespace {
String Hex(COLORREF c)
{
    // #RRGGBB as people read colours
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return buffer;
}
} // namespace

String TGdiRecord::ToString() const
{
    String s = Op + Format("(%d,%d,%d,%d)", {Rect.left, Rect.top, Rect.right, Rect.bottom});
    if (!Points.empty()) {
        s += " pts=";
        for (size_t i = 0; i < Points.size(); ++i)
            s += (i ? ";" : "") + Format("%d,%d", {Points[i].x, Points[i].y});
    }
    if (!Text.empty())
        s += " text=\"" + Text + "\"";
    if (Flags) {
        char buffer[24];
        std::snprintf(buffer, sizeof buffer, " flags=0x%X", Flags);
        s += buffer;
    }
    s += " pen=" + (PenStyle == PS_NULL ? String("null") : Hex(PenColor) + "/" + IntToStr(PenWidth));
    s += " brush=" + (BrushStyle == BS_NULL ? String("null") : Hex(BrushColor));
    if (Rop2 != R2_COPYPEN)
        s += " rop2=" + IntToStr(Rop2);
    return s;
}

std::vector<TGdiRecord> TGdiRecorder::Of(const String& op) const
{
    std::vector<TGdiRecord> out;
    for (const auto& r : Records)
        if (r.Op == op)
            out.push_back(r);
    return out;
}

int TGdiRecorder::Count(const String& op) const
{
    return int(std::count_if(Records.begin(), Records.end(), [&](const TGdiRecord& r) { return r.Op == op; }));
}

// ---------------------------------------------------------------- device contexts

struct DeviceContext::Saved {
    HPEN pen;
    HBRUSH brush;
    HFONT font;
    COLORREF textColor, bkColor;
    int bkMode, rop2, polyFillMode;
    UINT textAlign;
    int stretchMode, mapMode;
    POINT current, viewportOrg, windowOrg;
    SIZE windowExt, viewportExt;
    bool hasClip;
    QRegion clip;
    COLORREF dcBrushColor, dcPenColor;
};

namespace {
void Retain(HGDIOBJ o)
{
    if (o)
        ++o->selectCount;
}
void Release(HGDIOBJ o)
{
    if (o && o->selectCount > 0)
        --o->selectCount;
}
void SelectDefaults(DeviceContext* dc)
{
    dc->pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    dc->brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    dc->font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    Retain(dc->pen);
    Retain(dc->brush);
    Retain(dc->font);
}
bool Paintable(QImage::Format f)
{
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
}
} // namespace

DeviceContext::DeviceContext(int width, int height)
    : ownImage_(std::make_unique<QImage>(std::max(1, width), std::max(1, height), QImage::Format_RGB32)),
      size_(std::max(1, width), std::max(1, height))
{
    ownImage_->fill(Qt::white);
    ownPainter_ = std::make_unique<QPainter>(ownImage_.get());
    painter_ = ownPainter_.get();
    SelectDefaults(this);
}

DeviceContext::DeviceContext(QPainter* painter, QSize size) : painter_(painter), size_(size)
{
    SelectDefaults(this);
}

DeviceContext::DeviceContext(QImage* image) : size_(image ? image->size() : QSize(1, 1))
{
    if (image && !image->isNull()) {
        ownPainter_ = std::make_unique<QPainter>(image);
        painter_ = ownPainter_.get();
    }
    SelectDefaults(this);
}

DeviceContext::DeviceContext() : size_(1, 1)
{
    SelectDefaults(this);
}

DeviceContext::~DeviceContext()
{
    SelectBitmap(nullptr);
    ownPainter_.reset();
    Release(pen);
    Release(brush);
    Release(font);
    Release(palette);
    for (const Saved& s : saved) {
        Release(s.pen);
        Release(s.brush);
        Release(s.font);
    }
}

QImage* DeviceContext::Image()
{
    if (bitmap)
        return workIsCopy_ ? &work_ : &bitmap->image;
    if (ownImage_)
        return ownImage_.get();
    if (painter_ && painter_->device() && painter_->device()->devType() == QInternal::Image)
        return static_cast<QImage*>(painter_->device());
    return nullptr;
}

QPainter* DeviceContext::Painter()
{
    return painter_;
}

void DeviceContext::SelectBitmap(HBITMAP newBitmap)
{
    if (bitmap) {
        if (bitmap != newBitmap || newBitmap == nullptr) {
            ownPainter_.reset();
            painter_ = nullptr;
            if (workIsCopy_) {
                bitmap->image = bitmap->bitsPixel == 1
                                    ? work_.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither)
                                    : work_.convertToFormat(bitmap->image.format());
                work_ = QImage();
                workIsCopy_ = false;
            }
            bitmap->ImageChanged();
            Release(bitmap);
            bitmap = nullptr;
        }
    }
    if (!newBitmap || newBitmap == bitmap)
        return;
    bitmap = newBitmap;
    Retain(bitmap);
    size_ = bitmap->image.size();
    if (bitmap->image.isNull())
        return;
    if (Paintable(bitmap->image.format())) {
        ownPainter_ = std::make_unique<QPainter>(&bitmap->image);
    } else {
        work_ = bitmap->image.convertToFormat(QImage::Format_RGB32);
        workIsCopy_ = true;
        ownPainter_ = std::make_unique<QPainter>(&work_);
    }
    painter_ = ownPainter_.get();
}

void DeviceContext::Flush()
{
    if (!bitmap || !painter_)
        return;
    if (workIsCopy_) {
        bitmap->image = bitmap->bitsPixel == 1 ? work_.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither)
                                               : work_.convertToFormat(bitmap->image.format());
    } else {
        // the painter may still hold drawing in its engine: end and begin again
        ownPainter_->end();
        bitmap->ImageChanged();
        ownPainter_->begin(&bitmap->image);
        return;
    }
    bitmap->ImageChanged();
}

QPoint DeviceContext::ToDevice(int x, int y) const
{
    CheckMapping();
    if (mapMode == MM_TEXT || windowExt.cx == 0 || windowExt.cy == 0)
        return QPoint(x - windowOrg.x + viewportOrg.x, y - windowOrg.y + viewportOrg.y);
    return QPoint(int(std::lround(double(x - windowOrg.x) * viewportExt.cx / windowExt.cx)) + viewportOrg.x,
                  int(std::lround(double(y - windowOrg.y) * viewportExt.cy / windowExt.cy)) + viewportOrg.y);
}

QRect DeviceContext::ToDevice(const RECT& r) const
{
    const QPoint a = ToDevice(r.left, r.top);
    const QPoint b = ToDevice(r.right, r.bottom);
    return RectToQRect(RECT{a.x(), a.y(), b.x(), b.y()});
}

void DeviceContext::CheckMapping() const
{
    QUELM_INVARIANT(mapMode >= MM_TEXT && mapMode <= MM_ANISOTROPIC, "the map mode is one of MM_TEXT .. MM_ANISOTROPIC");
    QUELM_INVARIANT(windowExt.cx != 0 && windowExt.cy != 0 && viewportExt.cx != 0 && viewportExt.cy != 0,
                    "no window or viewport extent is zero");
}

int DeviceContext::ScaleX(int dx) const
{
    CheckMapping();
    if (mapMode == MM_TEXT || windowExt.cx == 0)
        return dx;
    return int(std::lround(double(dx) * std::abs(viewportExt.cx) / std::abs(windowExt.cx)));
}

int DeviceContext::ScaleY(int dy) const
{
    CheckMapping();
    if (mapMode == MM_TEXT || windowExt.cy == 0)
        return dy;
    return int(std::lround(double(dy) * std::abs(viewportExt.cy) / std::abs(windowExt.cy)));
}

TGdiRecord DeviceContext::MakeRecord(const String& op) const
{
    TGdiRecord r;
    r.Op = op;
    if (pen) {
        r.PenColor = pen->stock && pen == GetStockObject(DC_PEN) ? dcPenColor : pen->pen.lopnColor;
        r.PenStyle = pen->pen.lopnStyle & PS_STYLE_MASK;
        r.PenWidth = std::max(1, int(pen->pen.lopnWidth.x));
    }
    if (brush) {
        r.BrushColor = brush == GetStockObject(DC_BRUSH) ? dcBrushColor : brush->brush.lbColor;
        r.BrushStyle = brush->brush.lbStyle;
    }
    r.TextColor = textColor;
    r.BkColor = bkColor;
    r.BkMode = bkMode;
    r.Rop2 = rop2;
    if (font) {
        r.FontName = font->font.lfFaceName;
        r.FontHeight = font->font.lfHeight;
    }
    return r;
}

void DeviceContext::Record(TGdiRecord record) const
{
    if (Recorder)
        Recorder->Records.push_back(std::move(record));
}

namespace {

// Raster operation → Qt composition mode; R2_NOP draws nothing, R2_BLACK/R2_WHITE are copies
// of a fixed colour (see EffectiveColor).
QPainter::CompositionMode ModeOf(int rop2)
{
    switch (rop2) {
    case R2_XORPEN: return QPainter::RasterOp_SourceXorDestination;
    case R2_NOTXORPEN: return QPainter::RasterOp_NotSourceXorDestination;
    case R2_NOT: return QPainter::RasterOp_NotDestination;
    case R2_MASKPEN: return QPainter::RasterOp_SourceAndDestination;
    case R2_MERGEPEN: return QPainter::RasterOp_SourceOrDestination;
    case R2_NOTCOPYPEN: return QPainter::RasterOp_NotSource;
    case R2_MASKPENNOT: return QPainter::RasterOp_SourceAndNotDestination;
    case R2_MASKNOTPEN: return QPainter::RasterOp_NotSourceAndDestination;
    case R2_MERGENOTPEN: return QPainter::RasterOp_NotSourceOrDestination;
    case R2_MERGEPENNOT: return QPainter::RasterOp_SourceOrNotDestination;
    case R2_NOTMERGEPEN: return QPainter::RasterOp_NotSourceAndNotDestination;
    case R2_NOTMASKPEN: return QPainter::RasterOp_NotSourceOrNotDestination;
    default: return QPainter::CompositionMode_Source;
    }
}

QColor EffectiveColor(const DeviceContext* dc, COLORREF c)
{
    if (dc->rop2 == R2_BLACK)
        return Qt::black;
    if (dc->rop2 == R2_WHITE)
        return Qt::white;
    if ((c >> 24) == 1) { // an index into the selected palette
        const PaletteObject* palette = dc->palette;
        const UINT index = c & 0xFFFF;
        if (!palette || index >= palette->entries.size())
            return Qt::black;
        const PALETTEENTRY& e = palette->entries[index];
        return QColor(e.peRed, e.peGreen, e.peBlue);
    }
    return ColorRefToQColor(c & 0xFFFFFF);
}

COLORREF PenColorOf(const DeviceContext* dc)
{
    if (!dc->pen)
        return 0;
    return dc->pen == GetStockObject(DC_PEN) ? dc->dcPenColor : dc->pen->pen.lopnColor;
}

COLORREF BrushColorOf(const DeviceContext* dc, HBRUSH b)
{
    if (!b)
        return 0;
    return b == GetStockObject(DC_BRUSH) ? dc->dcBrushColor : b->brush.lbColor;
}

bool PenIsNull(const DeviceContext* dc)
{
    return !dc->pen || (dc->pen->pen.lopnStyle & PS_STYLE_MASK) == PS_NULL;
}

bool BrushIsNull(HBRUSH b)
{
    return !b || b->brush.lbStyle == BS_NULL;
}

int PenWidthOf(const DeviceContext* dc)
{
    return dc->pen ? std::max(1, dc->ScaleX(int(dc->pen->pen.lopnWidth.x))) : 1;
}

Qt::BrushStyle HatchStyle(intptr_t hatch)
{
    switch (hatch) {
    case HS_HORIZONTAL: return Qt::HorPattern;
    case HS_VERTICAL: return Qt::VerPattern;
    case HS_FDIAGONAL: return Qt::BDiagPattern; // GDI's forward diagonal runs from upper left
    case HS_BDIAGONAL: return Qt::FDiagPattern;
    case HS_CROSS: return Qt::CrossPattern;
    case HS_DIAGCROSS: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

// Sets up the painter for one operation: composition mode and the clip in force.
bool Begin(DeviceContext* dc)
{
    QPainter* p = dc->Painter();
    if (!p || !p->isActive() || dc->rop2 == R2_NOP)
        return false;
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setCompositionMode(ModeOf(dc->rop2));
    p->setTransform(QTransform());
    QRegion clip;
    bool clipped = false;
    if (dc->hasSystemClip) {
        clip = dc->systemClip;
        clipped = true;
    }
    if (dc->hasClip) {
        clip = clipped ? clip.intersected(dc->clip) : dc->clip;
        clipped = true;
    }
    if (clipped)
        p->setClipRegion(clip);
    else
        p->setClipping(false);
    return true;
}

void FillWithBrush(DeviceContext* dc, const QRect& r, HBRUSH b)
{
    if (BrushIsNull(b) || r.isEmpty())
        return;
    QPainter* p = dc->Painter();
    switch (b->brush.lbStyle) {
    case BS_HATCHED:
        if (dc->bkMode == OPAQUE)
            p->fillRect(r, EffectiveColor(dc, dc->bkColor));
        p->fillRect(r, QBrush(EffectiveColor(dc, b->brush.lbColor), HatchStyle(b->brush.lbHatch)));
        break;
    case BS_PATTERN: {
        QBrush pattern(b->pattern);
        p->setBrushOrigin(0, 0);
        p->fillRect(r, pattern);
        break;
    }
    default: p->fillRect(r, EffectiveColor(dc, BrushColorOf(dc, b))); break;
    }
}

// Dash patterns of one-pixel styled pens (on, off, on, off... in pixels).
const std::vector<int>& DashPattern(UINT style)
{
    static const std::vector<int> solid{};
    static const std::vector<int> dash{18, 6};
    static const std::vector<int> dot{3, 3};
    static const std::vector<int> dashDot{9, 6, 3, 6};
    static const std::vector<int> dashDotDot{9, 3, 3, 3, 3, 3};
    static const std::vector<int> alternate{1, 1};
    switch (style & PS_STYLE_MASK) {
    case PS_DASH: return dash;
    case PS_DOT: return dot;
    case PS_DASHDOT: return dashDot;
    case PS_DASHDOTDOT: return dashDotDot;
    case PS_ALTERNATE: return alternate;
    default: return solid;
    }
}

bool PenIsUserStyled(const DeviceContext* dc)
{
    return dc->pen && (dc->pen->pen.lopnStyle & PS_STYLE_MASK) == PS_USERSTYLE && !dc->pen->userStyle.empty();
}

// The dash pattern of the selected pen in device pixels (on, off, on...; empty: solid). A user
// style's lengths scale with the mapping for a geometric pen; an odd count runs twice, so that
// the second run swaps dashes and gaps.
std::vector<int> PenPattern(const DeviceContext* dc)
{
    if (!PenIsUserStyled(dc))
        return DashPattern(dc->pen ? dc->pen->pen.lopnStyle : PS_SOLID);
    const HPEN pen = dc->pen;
    std::vector<int> pattern;
    for (const DWORD n : pen->userStyle) {
        const int length = int(std::min<DWORD>(n, 1u << 20));
        pattern.push_back((pen->extStyle & PS_GEOMETRIC) ? std::clamp(dc->ScaleX(length), 0, 1 << 20) : length);
    }
    if (pattern.size() % 2)
        pattern.insert(pattern.end(), pattern.begin(), pattern.end());
    if (std::all_of(pattern.begin(), pattern.end(), [](int n) { return n == 0; }))
        pattern.clear();
    return pattern;
}

// Where a dash pattern stands along a line of segments: the pattern runs on across joints.
struct DashPhase {
    size_t index = 0;
    int left = -1; // pixels left of the current entry; -1: not started
};

// Plots the pixels of a one-pixel line from a to b, leaving out b (device coordinates).
void PlotThinLine(DeviceContext* dc, QPoint a, QPoint b, bool includeEnd = false, DashPhase* phase = nullptr)
{
    QPainter* p = dc->Painter();
    const QColor penColor = EffectiveColor(dc, PenColorOf(dc));
    const std::vector<int> pattern = PenPattern(dc);
    // A line far longer than any surface (a damaged metafile's coordinates) is left to the
    // painter, which clips it before it walks it.
    const std::int64_t steps = std::max(std::abs(std::int64_t(b.x()) - a.x()), std::abs(std::int64_t(b.y()) - a.y()));
    if (steps > (1 << 16)) {
        QPen pen(penColor, 0);
        if (!pattern.empty())
            pen.setDashPattern(QList<qreal>(pattern.begin(), pattern.end()));
        p->setPen(pen);
        p->drawLine(a, b);
        return;
    }
    if (pattern.empty()) {
        if (a.y() == b.y()) {
            int x1 = a.x(), x2 = b.x();
            if (!includeEnd)
                x2 += (x2 > x1 ? -1 : 1);
            if (x1 == b.x() && !includeEnd)
                return;
            p->fillRect(QRect(QPoint(std::min(x1, x2), a.y()), QPoint(std::max(x1, x2), a.y())), penColor);
            return;
        }
        if (a.x() == b.x()) {
            int y1 = a.y(), y2 = b.y();
            if (!includeEnd)
                y2 += (y2 > y1 ? -1 : 1);
            p->fillRect(QRect(QPoint(a.x(), std::min(y1, y2)), QPoint(a.x(), std::max(y1, y2))), penColor);
            return;
        }
    }
    const QColor gapColor = EffectiveColor(dc, dc->bkColor);
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), sx = x < b.x() ? 1 : -1;
    const int dy = -std::abs(b.y() - y), sy = y < b.y() ? 1 : -1;
    int err = dx + dy;
    DashPhase local;
    DashPhase& at = phase ? *phase : local;
    if (!pattern.empty() && (at.left < 0 || at.index >= pattern.size())) {
        at.index = 0;
        at.left = pattern[0];
    }
    while (true) {
        const bool atEnd = (x == b.x() && y == b.y());
        if (atEnd && !includeEnd)
            break;
        bool on = true;
        if (!pattern.empty()) {
            // entries of length zero are passed over
            for (size_t skipped = 0; at.left <= 0 && skipped < pattern.size(); ++skipped) {
                at.index = (at.index + 1) % pattern.size();
                at.left = pattern[at.index];
            }
            on = at.index % 2 == 0;
            --at.left;
        }
        if (on)
            p->fillRect(QRect(x, y, 1, 1), penColor);
        else if (dc->bkMode == OPAQUE)
            p->fillRect(QRect(x, y, 1, 1), gapColor);
        if (atEnd)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Wide pens draw each segment with round ends, so a line of segments has round joins: a pixel
// belongs to a segment when its centre lies nearer to the segment (through the pixels' centres)
// than half the pen's width; a centre right on the rim counts on the bottom and right side only, so
// that a horizontal or vertical line is exactly `width` pixels thick. Where the context draws straight
// onto a 32-bit image with a plain copy of an opaque colour, the pixels are written directly (a
// million segments cost a fraction of a second); elsewhere the painter strokes each segment.
class WideLineRaster {
public:
    WideLineRaster(DeviceContext* dc, int width)
        : dc_(dc), width_(width), radius_(width / 2.0),
          colour_(EffectiveColor(dc, PenColorOf(dc)))
    {
        QImage* image = dc->Image();
        QPainter* p = dc->Painter();
        const bool copies = dc->rop2 == R2_COPYPEN || dc->rop2 == R2_BLACK || dc->rop2 == R2_WHITE;
        if (!image || !p || p->device() != image || !image->isDetached() || !copies ||
            !(image->format() == QImage::Format_RGB32 || image->format() == QImage::Format_ARGB32 ||
              image->format() == QImage::Format_ARGB32_Premultiplied))
            return;
        QRegion clip(image->rect());
        if (dc->hasSystemClip)
            clip = clip.intersected(dc->systemClip);
        if (dc->hasClip)
            clip = clip.intersected(dc->clip);
        for (const QRect& r : clip)
            clipRects_.push_back(r);
        clipBox_ = clip.boundingRect();
        bits_ = image->bits();
        stride_ = image->bytesPerLine();
        pixel_ = 0xFF000000u | (colour_.rgb() & 0xFFFFFFu);
        direct_ = true;
    }

    // Draws a polyline point by point. Written directly, consecutive segments along one pixel
    // column or row are drawn as one segment over their whole extent: the same pixels as each on
    // its own, however many points a dense data set puts into one column.
    void Start(QPoint a)
    {
        last_ = a;
        axis_ = Axis::None;
        extended_ = false;
    }

    void LineTo(QPoint q)
    {
        if (!direct_) {
            Segment(last_, q);
            last_ = q;
            return;
        }
        if (axis_ != Axis::Horizontal && q.x() == last_.x()) {
            Extend(Axis::Vertical, q.y(), last_.y());
            last_ = q;
            return;
        }
        if (axis_ != Axis::Vertical && q.y() == last_.y()) {
            Extend(Axis::Horizontal, q.x(), last_.x());
            last_ = q;
            return;
        }
        Finish();
        Segment(last_, q);
        Start(q);
    }

    void Finish()
    {
        if (extended_ && axis_ == Axis::Vertical)
            Segment(QPoint(last_.x(), low_), QPoint(last_.x(), high_));
        else if (extended_)
            Segment(QPoint(low_, last_.y()), QPoint(high_, last_.y()));
        extended_ = false;
        axis_ = Axis::None;
    }

    void Segment(QPoint a, QPoint b)
    {
        // coordinates and widths beyond what the integer test holds go to the painter
        constexpr int far = 1 << 24;
        const bool inRange = std::abs(a.x()) < far && std::abs(a.y()) < far && std::abs(b.x()) < far &&
                             std::abs(b.y()) < far && width_ < (1 << 20);
        if (!direct_ || !inRange) {
            QPainter* p = dc_->Painter();
            p->setPen(QPen(colour_, width_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p->setBrush(Qt::NoBrush);
            p->drawLine(QPointF(a) + QPointF(0.5, 0.5), QPointF(b) + QPointF(0.5, 0.5));
            return;
        }
        if (clipRects_.empty())
            return;
        // Offsets of pixel centres from the segment's start are whole numbers, so the test runs
        // in integers: no rounding decides a pixel on the rim. Only rows and columns inside the
        // clip are visited, however wide the pen.
        const std::int64_t dx = std::int64_t(b.x()) - a.x(), dy = std::int64_t(b.y()) - a.y();
        const std::int64_t length2 = dx * dx + dy * dy;
        const __int128 w2 = __int128(width_) * width_;
        const double r = radius_ + 1; // bounds of the pixels worth testing
        const int rowFirst = std::max(clipBox_.top(), int(std::floor(std::min(a.y(), b.y()) - r)));
        const int rowLast = std::min(clipBox_.bottom(), int(std::ceil(std::max(a.y(), b.y()) + r)));
        for (int j = rowFirst; j <= rowLast; ++j) {
            const std::int64_t py = j - a.y();
            // the segment's x extent over the rows a pen's radius away bounds the covered pixels
            double t0 = 0, t1 = 1;
            if (dy != 0) {
                t0 = std::clamp((double(py) - r) / double(dy), 0.0, 1.0);
                t1 = std::clamp((double(py) + r) / double(dy), 0.0, 1.0);
            }
            const double xa = a.x() + t0 * double(dx), xb = a.x() + t1 * double(dx);
            const int from = std::max(clipBox_.left(), int(std::floor(std::min(xa, xb) - r)));
            const int to = std::min(clipBox_.right(), int(std::ceil(std::max(xa, xb) + r)));
            int first = INT_MAX, last = INT_MIN;
            for (int i = from; i <= to; ++i) {
                const std::int64_t px = i - a.x();
                const std::int64_t dot = px * dx + py * dy;
                bool inside;
                if (dot <= 0 || dot >= length2) { // nearest to an end: the round cap
                    const std::int64_t ex = dot <= 0 ? px : px - dx, ey = dot <= 0 ? py : py - dy;
                    const std::int64_t d4 = 4 * (ex * ex + ey * ey);
                    // a centre right on the rim belongs to the pen on its bottom and right side only
                    inside = d4 < w2 || (d4 == w2 && (ey > 0 || (ey == 0 && ex > 0)));
                } else { // beside the segment: distance cross / length
                    const std::int64_t cross = px * dy - py * dx;
                    const __int128 c4 = 4 * __int128(cross) * cross, limit = w2 * length2;
                    inside = c4 < limit || (c4 == limit && (-cross * dx > 0 || (dx == 0 && cross * dy > 0)));
                }
                if (inside) {
                    first = std::min(first, i);
                    last = i;
                }
            }
            if (first <= last)
                Run(j, first, last);
        }
    }

private:
    enum class Axis { None, Vertical, Horizontal };

    void Extend(Axis axis, int to, int from)
    {
        if (!extended_) {
            low_ = high_ = from;
            extended_ = true;
        }
        axis_ = axis;
        low_ = std::min(low_, to);
        high_ = std::max(high_, to);
    }

    void Run(int row, int first, int last)
    {
        for (const QRect& c : clipRects_) {
            if (row < c.top() || row > c.bottom())
                continue;
            const int from = std::max(first, c.left()), to = std::min(last, c.right());
            if (from > to)
                continue;
            auto* line = reinterpret_cast<std::uint32_t*>(bits_ + qsizetype(row) * stride_);
            std::fill(line + from, line + to + 1, pixel_);
        }
    }

    DeviceContext* dc_;
    int width_;
    double radius_;
    QColor colour_;
    bool direct_ = false;
    std::vector<QRect> clipRects_;
    QRect clipBox_;
    uchar* bits_ = nullptr;
    qsizetype stride_ = 0;
    std::uint32_t pixel_ = 0;
    QPoint last_;
    Axis axis_ = Axis::None;
    bool extended_ = false;
    int low_ = 0, high_ = 0;
};

QPen OutlinePen(DeviceContext* dc);
void StrokeStyledWide(DeviceContext* dc, QPolygonF line, bool closed);
QPolygonF PixelCentres(const QPolygon& points);

void DrawLineDevice(DeviceContext* dc, QPoint a, QPoint b)
{
    if (PenIsNull(dc))
        return;
    const int width = PenWidthOf(dc);
    if (width <= 1) {
        PlotThinLine(dc, a, b);
        return;
    }
    if (PenIsUserStyled(dc)) {
        StrokeStyledWide(dc, PixelCentres(QPolygon({a, b})), false);
        return;
    }
    WideLineRaster(dc, width).Segment(a, b);
}

QPen OutlinePen(DeviceContext* dc)
{
    if (PenIsNull(dc))
        return QPen(Qt::NoPen);
    QPen pen(EffectiveColor(dc, PenColorOf(dc)), PenWidthOf(dc) <= 1 ? 0 : PenWidthOf(dc));
    switch (dc->pen->pen.lopnStyle & PS_STYLE_MASK) {
    case PS_DASH: pen.setStyle(Qt::DashLine); break;
    case PS_DOT: case PS_ALTERNATE: pen.setStyle(Qt::DotLine); break;
    case PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
    case PS_DASHDOTDOT: pen.setStyle(Qt::DashDotDotLine); break;
    default: break;
    }
    pen.setJoinStyle(Qt::MiterJoin);
    if (PenIsUserStyled(dc)) {
        const std::vector<int> pattern = PenPattern(dc);
        const double unit = std::max(1, PenWidthOf(dc) <= 1 ? 1 : PenWidthOf(dc));
        QList<qreal> dashes;
        for (const int n : pattern)
            dashes.push_back(std::max(n / unit, 1e-3)); // a zero-length dash still draws its caps
        if (!dashes.isEmpty())
            pen.setDashPattern(dashes);
        if (dc->pen->extStyle & PS_GEOMETRIC) {
            const DWORD cap = dc->pen->extStyle & PS_ENDCAP_MASK, join = dc->pen->extStyle & PS_JOIN_MASK;
            pen.setCapStyle(cap == PS_ENDCAP_FLAT ? Qt::FlatCap : cap == PS_ENDCAP_SQUARE ? Qt::SquareCap : Qt::RoundCap);
            pen.setJoinStyle(join == PS_JOIN_MITER ? Qt::MiterJoin : join == PS_JOIN_BEVEL ? Qt::BevelJoin : Qt::RoundJoin);
        } else {
            pen.setCapStyle(Qt::FlatCap);
        }
    }
    return pen;
}

// A wide user-styled pen along a line in device coordinates (pixel edges; a pixel's centre lies
// at +0.5): the painter strokes its dashes, the pattern running on across the joints.
void StrokeStyledWide(DeviceContext* dc, QPolygonF line, bool closed)
{
    QPainter* p = dc->Painter();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(OutlinePen(dc));
    p->setBrush(Qt::NoBrush);
    if (closed && !line.isEmpty())
        line << line.front();
    p->drawPolyline(line);
}

QPolygonF PixelCentres(const QPolygon& points)
{
    return QPolygonF(points).translated(0.5, 0.5);
}

QBrush FillBrush(DeviceContext* dc)
{
    HBRUSH b = dc->brush;
    if (BrushIsNull(b))
        return QBrush(Qt::NoBrush);
    if (b->brush.lbStyle == BS_HATCHED)
        return QBrush(EffectiveColor(dc, b->brush.lbColor), HatchStyle(b->brush.lbHatch));
    if (b->brush.lbStyle == BS_PATTERN)
        return QBrush(b->pattern);
    return QBrush(EffectiveColor(dc, BrushColorOf(dc, b)));
}

} // namespace

QPainter* BeginGdiPaint(HDC dc)
{
    return dc && Begin(dc) ? dc->Painter() : nullptr;
}

HDC CreateCompatibleDC(HDC)
{
    return new DeviceContext();
}

BOOL DeleteDC(HDC dc)
{
    delete dc;
    return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    // a memory context without a colour bitmap gives a monochrome one, as the API does
    const bool mono = dc && dc->bitmap && dc->bitmap->bitsPixel == 1;
    return CreateBitmap(std::max(1, width), std::max(1, height), 1, mono ? 1 : 32, nullptr);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (!dc || !object)
        return nullptr;
    HGDIOBJ old = nullptr;
    switch (object->objectType()) {
    case OBJ_PEN:
        old = dc->pen;
        Retain(object);
        Release(dc->pen);
        dc->pen = static_cast<HPEN>(object);
        break;
    case OBJ_BRUSH:
        old = dc->brush;
        Retain(object);
        Release(dc->brush);
        dc->brush = static_cast<HBRUSH>(object);
        break;
    case OBJ_FONT:
        old = dc->font;
        Retain(object);
        Release(dc->font);
        dc->font = static_cast<HFONT>(object);
        break;
    case OBJ_BITMAP: {
        static BitmapObject* defaultBitmap = [] {
            BitmapObject* b = CreateBitmap(1, 1, 1, 1, nullptr);
            b->stock = true;
            return b;
        }();
        old = dc->bitmap ? dc->bitmap : defaultBitmap;
        dc->SelectBitmap(static_cast<HBITMAP>(object) == defaultBitmap ? nullptr : static_cast<HBITMAP>(object));
        break;
    }
    case OBJ_REGION:
        SelectClipRgn(dc, static_cast<HRGN>(object));
        return reinterpret_cast<HGDIOBJ>(intptr_t(SIMPLEREGION));
    default: return nullptr;
    }
    return old;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type)
{
    if (!dc)
        return nullptr;
    switch (type) {
    case OBJ_PEN: return dc->pen;
    case OBJ_BRUSH: return dc->brush;
    case OBJ_FONT: return dc->font;
    case OBJ_BITMAP: return dc->bitmap;
    default: return nullptr;
    }
}

int DeviceContext::SavedDepth() const
{
    return int(saved.size());
}

int SaveDC(HDC dc)
{
    if (!dc)
        return 0;
    DeviceContext::Saved s{dc->pen, dc->brush, dc->font, dc->textColor, dc->bkColor, dc->bkMode, dc->rop2,
                           dc->polyFillMode, dc->textAlign, dc->stretchMode, dc->mapMode, dc->current,
                           dc->viewportOrg, dc->windowOrg, dc->windowExt, dc->viewportExt, dc->hasClip,
                           dc->clip, dc->dcBrushColor, dc->dcPenColor};
    Retain(s.pen);
    Retain(s.brush);
    Retain(s.font);
    dc->saved.push_back(s);
    return int(dc->saved.size());
}

BOOL RestoreDC(HDC dc, int level)
{
    if (!dc || dc->saved.empty())
        return FALSE;
    const int count = int(dc->saved.size());
    const int target = level < 0 ? count + level + 1 : level;
    if (target < 1 || target > count)
        return FALSE;
    while (int(dc->saved.size()) > target) {
        const auto& s = dc->saved.back();
        Release(s.pen);
        Release(s.brush);
        Release(s.font);
        dc->saved.pop_back();
    }
    const DeviceContext::Saved s = dc->saved.back();
    dc->saved.pop_back();
    SelectObject(dc, s.pen);
    SelectObject(dc, s.brush);
    SelectObject(dc, s.font);
    Release(s.pen);
    Release(s.brush);
    Release(s.font);
    dc->textColor = s.textColor;
    dc->bkColor = s.bkColor;
    dc->bkMode = s.bkMode;
    dc->rop2 = s.rop2;
    dc->polyFillMode = s.polyFillMode;
    dc->textAlign = s.textAlign;
    dc->stretchMode = s.stretchMode;
    dc->mapMode = s.mapMode;
    dc->current = s.current;
    dc->viewportOrg = s.viewportOrg;
    dc->windowOrg = s.windowOrg;
    dc->windowExt = s.windowExt;
    dc->viewportExt = s.viewportExt;
    dc->hasClip = s.hasClip;
    dc->clip = s.clip;
    dc->dcBrushColor = s.dcBrushColor;
    dc->dcPenColor = s.dcPenColor;
    return TRUE;
}

int GetDeviceCaps(HDC dc, int index)
{
    const QSize size = dc ? dc->Size() : QSize(1024, 768);
    switch (index) {
    case LOGPIXELSX: case LOGPIXELSY: return 96;
    case HORZRES: case PHYSICALWIDTH: return size.width();
    case VERTRES: case PHYSICALHEIGHT: return size.height();
    case HORZSIZE: return int(std::lround(size.width() * 25.4 / 96));
    case VERTSIZE: return int(std::lround(size.height() * 25.4 / 96));
    case BITSPIXEL: return dc && dc->bitmap ? dc->bitmap->bitsPixel : 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case SIZEPALETTE: return 0;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT;
    case TECHNOLOGY: return DT_RASDISPLAY;
    default: return 0;
    }
}

BOOL GdiFlush()
{
    return TRUE;
}

COLORREF SetTextColor(HDC dc, COLORREF c) { if (!dc) return CLR_INVALID; std::swap(dc->textColor, c); return c; }
COLORREF GetTextColor(HDC dc) { return dc ? dc->textColor : CLR_INVALID; }
COLORREF SetBkColor(HDC dc, COLORREF c) { if (!dc) return CLR_INVALID; std::swap(dc->bkColor, c); return c; }
COLORREF GetBkColor(HDC dc) { return dc ? dc->bkColor : CLR_INVALID; }
int SetBkMode(HDC dc, int m) { if (!dc) return 0; std::swap(dc->bkMode, m); return m; }
int GetBkMode(HDC dc) { return dc ? dc->bkMode : 0; }
int SetROP2(HDC dc, int r) { if (!dc) return 0; std::swap(dc->rop2, r); return r; }
int GetROP2(HDC dc) { return dc ? dc->rop2 : 0; }
int SetPolyFillMode(HDC dc, int m) { if (!dc) return 0; std::swap(dc->polyFillMode, m); return m; }
UINT SetTextAlign(HDC dc, UINT a) { if (!dc) return 0; std::swap(dc->textAlign, a); return a; }
UINT GetTextAlign(HDC dc) { return dc ? dc->textAlign : 0; }
int SetStretchBltMode(HDC dc, int m) { if (!dc) return 0; std::swap(dc->stretchMode, m); return m; }
COLORREF SetDCBrushColor(HDC dc, COLORREF c) { if (!dc) return CLR_INVALID; std::swap(dc->dcBrushColor, c); return c; }
COLORREF SetDCPenColor(HDC dc, COLORREF c) { if (!dc) return CLR_INVALID; std::swap(dc->dcPenColor, c); return c; }
int SetMapMode(HDC dc, int m)
{
    // an unknown mode is refused: the context keeps its mapping
    if (!dc || m < MM_TEXT || m > MM_ANISOTROPIC)
        return 0;
    std::swap(dc->mapMode, m);
    return m;
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old)
{
    if (!dc)
        return FALSE;
    if (old)
        *old = dc->viewportOrg;
    dc->viewportOrg = POINT{x, y};
    return TRUE;
}

BOOL GetViewportOrgEx(HDC dc, POINT* org)
{
    if (!dc || !org)
        return FALSE;
    *org = dc->viewportOrg;
    return TRUE;
}

BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old)
{
    if (!dc)
        return FALSE;
    if (old)
        *old = dc->windowOrg;
    dc->windowOrg = POINT{x, y};
    return TRUE;
}

BOOL GetWindowOrgEx(HDC dc, POINT* org)
{
    if (!dc || !org)
        return FALSE;
    *org = dc->windowOrg;
    return TRUE;
}

BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old)
{
    if (!dc)
        return FALSE;
    if (old)
        *old = dc->viewportOrg;
    dc->viewportOrg.x += dx;
    dc->viewportOrg.y += dy;
    return TRUE;
}

BOOL SetWindowExtEx(HDC dc, int x, int y, SIZE* old)
{
    // a zero extent would divide every mapped coordinate by zero: refused
    if (!dc || x == 0 || y == 0)
        return FALSE;
    if (old)
        *old = dc->windowExt;
    if (dc->mapMode == MM_ANISOTROPIC || dc->mapMode == MM_ISOTROPIC)
        dc->windowExt = SIZE{x, y};
    return TRUE;
}

BOOL SetViewportExtEx(HDC dc, int x, int y, SIZE* old)
{
    if (!dc || x == 0 || y == 0)
        return FALSE;
    if (old)
        *old = dc->viewportExt;
    if (dc->mapMode == MM_ANISOTROPIC || dc->mapMode == MM_ISOTROPIC)
        dc->viewportExt = SIZE{x, y};
    return TRUE;
}

// ---------------------------------------------------------------- clipping

int SelectClipRgn(HDC dc, HRGN region)
{
    return ExtSelectClipRgn(dc, region, RGN_COPY);
}

int ExtSelectClipRgn(HDC dc, HRGN region, int mode)
{
    if (!dc)
        return ERROR_REGION;
    if (!region) {
        if (mode != RGN_COPY)
            return ERROR_REGION;
        dc->hasClip = false;
        dc->clip = QRegion();
        return SIMPLEREGION;
    }
    // a selected region is in device units
    const QRegion r = region->region;
    const QRegion current = dc->hasClip ? dc->clip : QRegion(QRect(QPoint(0, 0), dc->Size()));
    switch (mode) {
    case RGN_AND: dc->clip = current.intersected(r); break;
    case RGN_OR: dc->clip = current.united(r); break;
    case RGN_XOR: dc->clip = current.xored(r); break;
    case RGN_DIFF: dc->clip = current.subtracted(r); break;
    default: dc->clip = r; break;
    }
    dc->hasClip = true;
    return RegionKind(dc->clip);
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom)
{
    if (!dc)
        return ERROR_REGION;
    const QRegion r(dc->ToDevice(RECT{left, top, right, bottom}));
    dc->clip = dc->hasClip ? dc->clip.intersected(r) : r;
    dc->hasClip = true;
    return RegionKind(dc->clip);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom)
{
    if (!dc)
        return ERROR_REGION;
    const QRegion r(dc->ToDevice(RECT{left, top, right, bottom}));
    const QRegion current = dc->hasClip ? dc->clip : QRegion(QRect(QPoint(-100000, -100000), QSize(200000, 200000)));
    dc->clip = current.subtracted(r);
    dc->hasClip = true;
    return RegionKind(dc->clip);
}

int GetClipBox(HDC dc, RECT* rect)
{
    if (!dc || !rect)
        return ERROR_REGION;
    QRegion r(QRect(QPoint(0, 0), dc->Size()));
    if (dc->hasSystemClip)
        r = r.intersected(dc->systemClip);
    if (dc->hasClip)
        r = r.intersected(dc->clip);
    const QRect b = r.boundingRect();
    const QPoint o = dc->ToDevice(0, 0);
    *rect = RECT{b.left() - o.x(), b.top() - o.y(), b.left() - o.x() + b.width(), b.top() - o.y() + b.height()};
    return RegionKind(r);
}

int GetClipRgn(HDC dc, HRGN region)
{
    if (!dc || !region)
        return -1;
    if (!dc->hasClip)
        return 0;
    region->region = dc->clip;
    return 1;
}

// ---------------------------------------------------------------- lines and shapes

BOOL MoveToEx(HDC dc, int x, int y, POINT* old)
{
    if (!dc)
        return FALSE;
    if (old)
        *old = dc->current;
    dc->current = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y)
{
    QUELM_META_CALL(dc, LineTo(dc, x, y));
    if (!dc)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("LineTo");
    rec.Rect = RECT{dc->current.x, dc->current.y, x, y};
    dc->Record(rec);
    if (Begin(dc))
        DrawLineDevice(dc, dc->ToDevice(dc->current.x, dc->current.y), dc->ToDevice(x, y));
    dc->current = POINT{x, y};
    return TRUE;
}

BOOL Polyline(HDC dc, const POINT* points, int count)
{
    QUELM_META_CALL(dc, Poly(dc, false, points, count));
    if (!dc || !points || count < 2)
        return FALSE;
    if (dc->Recorder) {
        TGdiRecord rec = dc->MakeRecord("Polyline");
        rec.Points.assign(points, points + count);
        dc->Record(rec);
    }
    if (!Begin(dc) || PenIsNull(dc))
        return TRUE;
    const int width = PenWidthOf(dc);
    if (width <= 1) {
        DashPhase phase;
        for (int i = 1; i < count; ++i)
            PlotThinLine(dc, dc->ToDevice(points[i - 1].x, points[i - 1].y), dc->ToDevice(points[i].x, points[i].y),
                         false, &phase);
        return TRUE;
    }
    if (PenIsUserStyled(dc)) {
        QPolygon device;
        for (int i = 0; i < count; ++i)
            device << dc->ToDevice(points[i].x, points[i].y);
        StrokeStyledWide(dc, PixelCentres(device), false);
        return TRUE;
    }
    WideLineRaster raster(dc, width);
    raster.Start(dc->ToDevice(points[0].x, points[0].y));
    for (int i = 1; i < count; ++i)
        raster.LineTo(dc->ToDevice(points[i].x, points[i].y));
    raster.Finish();
    return TRUE;
}

BOOL PolyPolyline(HDC dc, const POINT* points, const DWORD* counts, DWORD polylines)
{
    QUELM_META_CALL(dc, PolyPoly(dc, false, points, std::vector<int>(counts, counts + (counts ? polylines : 0)).data(), int(polylines)));
    for (DWORD i = 0; i < polylines; ++i) {
        Polyline(dc, points, int(counts[i]));
        points += counts[i];
    }
    return TRUE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom)
{
    QUELM_META_CALL(dc, Shape(dc, TMetaShape::Rectangle, RECT{left, top, right, bottom}, POINT{}, POINT{}));
    if (!dc)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("Rectangle");
    rec.Rect = RECT{left, top, right, bottom};
    dc->Record(rec);
    if (!Begin(dc))
        return TRUE;
    QRect r = dc->ToDevice(RECT{left, top, right, bottom});
    if (PenIsNull(dc)) {
        r.adjust(0, 0, -1, -1);
        FillWithBrush(dc, r, dc->brush);
        return TRUE;
    }
    const int w = PenWidthOf(dc);
    FillWithBrush(dc, r.adjusted(w, w, -w, -w), dc->brush);
    if (r.isEmpty())
        return TRUE;
    if (w <= 1 && !PenPattern(dc).empty()) {
        const QPoint tl = r.topLeft(), br(r.right(), r.bottom());
        DashPhase phase;
        PlotThinLine(dc, tl, QPoint(br.x(), tl.y()), false, &phase);
        PlotThinLine(dc, QPoint(br.x(), tl.y()), br, false, &phase);
        PlotThinLine(dc, br, QPoint(tl.x(), br.y()), false, &phase);
        PlotThinLine(dc, QPoint(tl.x(), br.y()), tl, false, &phase);
        return TRUE;
    }
    if (PenIsUserStyled(dc)) { // the same band inside the box as a solid pen's, dashed
        const double h = w / 2.0;
        const QRectF box(QPointF(r.left() + h, r.top() + h), QPointF(r.left() + r.width() - h, r.top() + r.height() - h));
        StrokeStyledWide(dc, QPolygonF(box), false);
        return TRUE;
    }
    const QColor c = EffectiveColor(dc, PenColorOf(dc));
    QPainter* p = dc->Painter();
    const int ww = std::min(w, r.width()), hh = std::min(w, r.height());
    p->fillRect(QRect(r.left(), r.top(), r.width(), hh), c);
    if (r.height() > hh)
        p->fillRect(QRect(r.left(), std::max(r.top() + hh, r.bottom() - hh + 1), r.width(), hh), c);
    const int innerTop = r.top() + hh, innerBottom = r.bottom() - hh;
    if (innerBottom >= innerTop) {
        p->fillRect(QRect(r.left(), innerTop, ww, innerBottom - innerTop + 1), c);
        if (r.width() > ww)
            p->fillRect(QRect(std::max(r.left() + ww, r.right() - ww + 1), innerTop, ww, innerBottom - innerTop + 1), c);
    }
    return TRUE;
}

namespace {
void DrawShape(HDC dc, const std::function<void(QPainter*, const QRectF&)>& draw, const QRect& r)
{
    QPainter* p = dc->Painter();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setBrush(FillBrush(dc));
    p->setPen(OutlinePen(dc));
    const int w = PenIsNull(dc) ? 0 : PenWidthOf(dc);
    // the pen stays inside the box: its centre line runs half a pen inside
    const double inset = w <= 1 ? 0.5 : w / 2.0;
    QRectF box = QRectF(r).adjusted(inset, inset, -inset, -inset);
    if (PenIsNull(dc))
        box = QRectF(r).adjusted(0, 0, -1, -1);
    if (w <= 1 && !PenIsNull(dc))
        box = QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, r.height() - 1);
    if (dc->brush && dc->brush->brush.lbStyle == BS_HATCHED && dc->bkMode == OPAQUE) {
        p->save();
        p->setPen(Qt::NoPen);
        p->setBrush(EffectiveColor(dc, dc->bkColor));
        draw(p, box);
        p->restore();
    }
    draw(p, box);
}
} // namespace

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom)
{
    QUELM_META_CALL(dc, Shape(dc, TMetaShape::Ellipse, RECT{left, top, right, bottom}, POINT{}, POINT{}));
    if (!dc)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("Ellipse");
    rec.Rect = RECT{left, top, right, bottom};
    dc->Record(rec);
    if (Begin(dc))
        DrawShape(dc, [](QPainter* p, const QRectF& b) { p->drawEllipse(b); },
                  dc->ToDevice(RECT{left, top, right, bottom}));
    return TRUE;
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height)
{
    QUELM_META_CALL(dc, Shape(dc, TMetaShape::RoundRect, RECT{left, top, right, bottom}, POINT{width, height}, POINT{}));
    if (!dc)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("RoundRect");
    rec.Rect = RECT{left, top, right, bottom};
    rec.Points = {POINT{width, height}};
    dc->Record(rec);
    const double rx = dc->ScaleX(width) / 2.0, ry = dc->ScaleY(height) / 2.0;
    if (Begin(dc))
        DrawShape(dc, [rx, ry](QPainter* p, const QRectF& b) { p->drawRoundedRect(b, rx, ry); },
                  dc->ToDevice(RECT{left, top, right, bottom}));
    return TRUE;
}

BOOL Polygon(HDC dc, const POINT* points, int count)
{
    QUELM_META_CALL(dc, Poly(dc, true, points, count));
    if (!dc || !points || count < 2)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("Polygon");
    rec.Points.assign(points, points + count);
    rec.Flags = UINT(dc->polyFillMode);
    dc->Record(rec);
    if (!Begin(dc))
        return TRUE;
    QPolygon poly;
    for (int i = 0; i < count; ++i)
        poly << dc->ToDevice(points[i].x, points[i].y);
    QPainter* p = dc->Painter();
    const Qt::FillRule rule = dc->polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
    if (!BrushIsNull(dc->brush)) {
        if (dc->brush->brush.lbStyle == BS_HATCHED && dc->bkMode == OPAQUE) {
            p->setPen(Qt::NoPen);
            p->setBrush(EffectiveColor(dc, dc->bkColor));
            p->drawPolygon(poly, rule);
        }
        p->setPen(Qt::NoPen);
        p->setBrush(FillBrush(dc));
        p->drawPolygon(poly, rule);
    }
    if (!PenIsNull(dc)) {
        if (PenWidthOf(dc) <= 1) {
            DashPhase phase;
            for (int i = 0; i < poly.size(); ++i)
                PlotThinLine(dc, poly[i], poly[(i + 1) % poly.size()], false, &phase);
        } else {
            p->setBrush(Qt::NoBrush);
            p->setPen(OutlinePen(dc));
            p->drawPolygon(poly.translated(0, 0));
        }
    }
    return TRUE;
}

BOOL PolyPolygon(HDC dc, const POINT* points, const int* counts, int polygons)
{
    QUELM_META_CALL(dc, PolyPoly(dc, true, points, counts, polygons));
    if (!dc || !points || !counts || polygons <= 0)
        return FALSE;
    // One fill for all polygons (holes stay open by the fill mode), then every outline.
    if (!Begin(dc)) {
        for (int i = 0; i < polygons; ++i) {
            Polygon(dc, points, counts[i]);
            points += counts[i];
        }
        return TRUE;
    }
    QPainterPath path;
    path.setFillRule(dc->polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    std::vector<QPolygon> outlines;
    const POINT* p = points;
    for (int i = 0; i < polygons; ++i) {
        QPolygon poly;
        for (int k = 0; k < counts[i]; ++k)
            poly << dc->ToDevice(p[k].x, p[k].y);
        p += std::max(0, counts[i]);
        if (poly.size() < 2)
            continue;
        path.addPolygon(poly);
        path.closeSubpath();
        outlines.push_back(poly);
    }
    QPainter* painter = dc->Painter();
    if (!BrushIsNull(dc->brush)) {
        if (dc->brush->brush.lbStyle == BS_HATCHED && dc->bkMode == OPAQUE) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(EffectiveColor(dc, dc->bkColor));
            painter->drawPath(path);
        }
        painter->setPen(Qt::NoPen);
        painter->setBrush(FillBrush(dc));
        painter->drawPath(path);
    }
    if (!PenIsNull(dc)) {
        for (const QPolygon& poly : outlines) {
            if (PenWidthOf(dc) <= 1) {
                DashPhase phase;
                for (int i = 0; i < poly.size(); ++i)
                    PlotThinLine(dc, poly[i], poly[(i + 1) % poly.size()], false, &phase);
            } else {
                painter->setBrush(Qt::NoBrush);
                painter->setPen(OutlinePen(dc));
                painter->drawPolygon(poly);
            }
        }
    }
    return TRUE;
}

namespace {
double AngleOf(const QRectF& box, int x, int y)
{
    const QPointF c = box.center();
    return std::atan2(-(y - c.y()), x - c.x()) * 180.0 / M_PI;
}
enum ArcKind { kArc, kPie, kChord };
BOOL ArcShape(HDC dc, const char* op, ArcKind kind, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2)
{
    if (!dc)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord(op);
    rec.Rect = RECT{left, top, right, bottom};
    rec.Points = {POINT{x1, y1}, POINT{x2, y2}};
    dc->Record(rec);
    if (!Begin(dc))
        return TRUE;
    const QRectF box(dc->ToDevice(RECT{left, top, right, bottom}));
    const QPoint a = dc->ToDevice(x1, y1), b = dc->ToDevice(x2, y2);
    double start = AngleOf(box, a.x(), a.y());
    double end = AngleOf(box, b.x(), b.y());
    double span = end - start;
    if (span <= 0)
        span += 360;
    QPainter* p = dc->Painter();
    p->setPen(OutlinePen(dc));
    const QRectF inner = box.adjusted(0, 0, -1, -1);
    if (kind == kPie) {
        p->setBrush(FillBrush(dc));
        p->drawPie(inner, int(start * 16), int(span * 16));
    } else if (kind == kChord) {
        p->setBrush(FillBrush(dc));
        p->drawChord(inner, int(start * 16), int(span * 16));
    } else {
        p->setBrush(Qt::NoBrush);
        p->drawArc(inner, int(start * 16), int(span * 16));
    }
    return TRUE;
}
} // namespace

BOOL Pie(HDC dc, int l, int t, int r, int b, int x1, int y1, int x2, int y2)
{
    QUELM_META_CALL(dc, Shape(dc, TMetaShape::Pie, RECT{l, t, r, b}, POINT{x1, y1}, POINT{x2, y2}));
    return ArcShape(dc, "Pie", kPie, l, t, r, b, x1, y1, x2, y2);
}

BOOL Arc(HDC dc, int l, int t, int r, int b, int x1, int y1, int x2, int y2)
{
    QUELM_META_CALL(dc, Shape(dc, TMetaShape::Arc, RECT{l, t, r, b}, POINT{x1, y1}, POINT{x2, y2}));
    return ArcShape(dc, "Arc", kArc, l, t, r, b, x1, y1, x2, y2);
}

BOOL Chord(HDC dc, int l, int t, int r, int b, int x1, int y1, int x2, int y2)
{
    QUELM_META_CALL(dc, Shape(dc, TMetaShape::Chord, RECT{l, t, r, b}, POINT{x1, y1}, POINT{x2, y2}));
    return ArcShape(dc, "Chord", kChord, l, t, r, b, x1, y1, x2, y2);
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    QUELM_META_CALL(dc, FillRect(dc, rect ? *rect : RECT{}, brush));
    if (!dc || !rect || !brush)
        return 0;
    TGdiRecord rec = dc->MakeRecord("FillRect");
    rec.Rect = *rect;
    rec.BrushColor = BrushColorOf(dc, brush);
    rec.BrushStyle = brush->brush.lbStyle;
    dc->Record(rec);
    if (Begin(dc))
        FillWithBrush(dc, dc->ToDevice(*rect), brush);
    return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    if (!dc || !rect || !brush)
        return 0;
    TGdiRecord rec = dc->MakeRecord("FrameRect");
    rec.Rect = *rect;
    rec.BrushColor = BrushColorOf(dc, brush);
    rec.BrushStyle = brush->brush.lbStyle;
    dc->Record(rec);
    if (!Begin(dc))
        return 1;
    const QRect r = dc->ToDevice(*rect);
    if (r.isEmpty())
        return 1;
    FillWithBrush(dc, QRect(r.left(), r.top(), r.width(), 1), brush);
    FillWithBrush(dc, QRect(r.left(), r.bottom(), r.width(), 1), brush);
    FillWithBrush(dc, QRect(r.left(), r.top(), 1, r.height()), brush);
    FillWithBrush(dc, QRect(r.right(), r.top(), 1, r.height()), brush);
    return 1;
}

BOOL InvertRect(HDC dc, const RECT* rect)
{
    if (!dc || !rect)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("InvertRect");
    rec.Rect = *rect;
    dc->Record(rec);
    if (!Begin(dc))
        return TRUE;
    QPainter* p = dc->Painter();
    p->setCompositionMode(QPainter::RasterOp_NotDestination);
    p->fillRect(dc->ToDevice(*rect), Qt::black);
    return TRUE;
}

BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush)
{
    QUELM_META_CALL(dc, Region(dc, TMetaRegionOp::Fill, region, brush, 0, 0));
    if (!dc || !region || !brush)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("FillRgn");
    rec.Rect = QRectToRect(region->region.boundingRect());
    rec.BrushColor = BrushColorOf(dc, brush);
    dc->Record(rec);
    if (!Begin(dc))
        return TRUE;
    const QPoint o = dc->ToDevice(0, 0);
    for (const QRect& r : region->region.translated(o))
        FillWithBrush(dc, r, brush);
    return TRUE;
}

BOOL PaintRgn(HDC dc, HRGN region)
{
    QUELM_META_CALL(dc, Region(dc, TMetaRegionOp::Paint, region, nullptr, 0, 0));
    return dc ? FillRgn(dc, region, dc->brush) : FALSE;
}

BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brush, int width, int height)
{
    QUELM_META_CALL(dc, Region(dc, TMetaRegionOp::Frame, region, brush, width, height));
    if (!dc || !region || !brush)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("FrameRgn");
    rec.Rect = QRectToRect(region->region.boundingRect());
    dc->Record(rec);
    if (!Begin(dc))
        return TRUE;
    const QPoint o = dc->ToDevice(0, 0);
    const QRegion r = region->region.translated(o);
    QRegion inner = r;
    inner = inner.intersected(r.translated(width, 0)).intersected(r.translated(-width, 0));
    inner = inner.intersected(r.translated(0, height)).intersected(r.translated(0, -height));
    for (const QRect& part : r.subtracted(inner))
        FillWithBrush(dc, part, brush);
    return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect)
{
    if (!dc || !rect)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("DrawFocusRect");
    rec.Rect = *rect;
    dc->Record(rec);
    if (!Begin(dc))
        return TRUE;
    QPainter* p = dc->Painter();
    p->setCompositionMode(QPainter::RasterOp_NotDestination);
    const QRect r = dc->ToDevice(*rect);
    if (r.isEmpty())
        return TRUE;
    // every other pixel of the frame, starting at the top-left corner, on a checkerboard so
    // that the corners are visited once
    for (int x = r.left(); x <= r.right(); ++x) {
        if (((x + r.top()) & 1) == 0)
            p->fillRect(QRect(x, r.top(), 1, 1), Qt::black);
        if (r.bottom() != r.top() && ((x + r.bottom()) & 1) == 0)
            p->fillRect(QRect(x, r.bottom(), 1, 1), Qt::black);
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        if (((r.left() + y) & 1) == 0)
            p->fillRect(QRect(r.left(), y, 1, 1), Qt::black);
        if (r.right() != r.left() && ((r.right() + y) & 1) == 0)
            p->fillRect(QRect(r.right(), y, 1, 1), Qt::black);
    }
    return TRUE;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    QUELM_META_CALL(dc, SetPixel(dc, x, y, color));
    if (!dc)
        return CLR_INVALID;
    TGdiRecord rec = dc->MakeRecord("SetPixel");
    rec.Rect = RECT{x, y, x + 1, y + 1};
    rec.PenColor = color;
    dc->Record(rec);
    if (Begin(dc))
        dc->Painter()->fillRect(QRect(dc->ToDevice(x, y), QSize(1, 1)), EffectiveColor(dc, color));
    return color & 0xFFFFFF;
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF color)
{
    return SetPixel(dc, x, y, color) != CLR_INVALID;
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    if (!dc)
        return CLR_INVALID;
    QImage* image = dc->Image();
    const QPoint p = dc->ToDevice(x, y);
    if (!image || !image->rect().contains(p))
        return CLR_INVALID;
    return QColorToColorRef(image->pixelColor(p));
}

// ---------------------------------------------------------------- block transfers

namespace {

// The source pixels of a blit as the destination sees them: a monochrome source becomes the
// destination's text colour (0 bits) and background colour (1 bits); a colour source copied
// into a monochrome bitmap becomes white where it has the source's background colour.
QImage SourcePixels(HDC dest, HDC src, const QRect& area)
{
    QImage* image = src->Image();
    if (!image)
        return QImage();
    QImage part = image->copy(area).convertToFormat(QImage::Format_RGB32);
    if (src->bitmap && src->bitmap->bitsPixel == 1 && !(dest->bitmap && dest->bitmap->bitsPixel == 1)) {
        const QRgb fore = ColorRefToQColor(dest->textColor).rgb();
        const QRgb back = ColorRefToQColor(dest->bkColor).rgb();
        for (int y = 0; y < part.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
            for (int x = 0; x < part.width(); ++x)
                line[x] = qGray(line[x]) >= 128 ? back : fore;
        }
    } else if (dest->bitmap && dest->bitmap->bitsPixel == 1 && !(src->bitmap && src->bitmap->bitsPixel == 1)) {
        const QRgb key = ColorRefToQColor(src->bkColor).rgb() & 0xFFFFFF;
        for (int y = 0; y < part.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
            for (int x = 0; x < part.width(); ++x)
                line[x] = (line[x] & 0xFFFFFF) == key ? 0xFFFFFFFF : 0xFF000000;
        }
    }
    return part;
}

// The operations drawn by the painter's own composition; the others go through TernaryBlit.
QPainter::CompositionMode SourceMode(DWORD rop, bool& known)
{
    known = true;
    switch (RopIndex(rop)) {
    case RopIndex(SRCCOPY): return QPainter::CompositionMode_Source;
    case RopIndex(SRCPAINT): return QPainter::RasterOp_SourceOrDestination;
    case RopIndex(SRCAND): return QPainter::RasterOp_SourceAndDestination;
    case RopIndex(SRCINVERT): return QPainter::RasterOp_SourceXorDestination;
    case RopIndex(SRCERASE): return QPainter::RasterOp_SourceAndNotDestination;
    case RopIndex(NOTSRCCOPY): return QPainter::RasterOp_NotSource;
    case RopIndex(NOTSRCERASE): return QPainter::RasterOp_NotSourceAndNotDestination;
    case RopIndex(MERGEPAINT): return QPainter::RasterOp_NotSourceOrDestination;
    default: known = false; return QPainter::CompositionMode_Source;
    }
}

// Any ternary operation on the visible part of `target` (device pixels): the source is
// `source` stretched over the target (nearest pixel), the pattern the selected brush aligned to
// the device origin (a hatch on the background colour). Per bit the result is
// f(s, p, 0) ^ (d & (f(s, p, 0) ^ f(s, p, 1))), so the destination is first masked with one
// picture and then inverted with another; it never has to be read back.
void TernaryBlit(DeviceContext* dc, const QRect& target, const QImage* source, DWORD rop)
{
    QPainter* p = dc->Painter();
    if (RopIndex(rop) == 0xAA || !p->device())
        return;
    const QRect visible = target.intersected(QRect(0, 0, p->device()->width(), p->device()->height()));
    if (visible.isEmpty())
        return;
    QImage pattern;
    if (RopUsesPattern(rop)) {
        HBRUSH b = dc->brush;
        pattern = QImage(visible.size(), QImage::Format_RGB32);
        pattern.fill(ColorRefToQColor(0));
        if (!BrushIsNull(b)) {
            QPainter pp(&pattern);
            pp.translate(-visible.topLeft());
            pp.setBrushOrigin(0, 0);
            const COLORREF colour = BrushColorOf(dc, b);
            switch (b->brush.lbStyle) {
            case BS_HATCHED:
                pp.fillRect(visible, EffectiveColor(dc, dc->bkColor));
                pp.fillRect(visible, QBrush(EffectiveColor(dc, colour), HatchStyle(b->brush.lbHatch)));
                break;
            case BS_PATTERN: pp.fillRect(visible, QBrush(b->pattern)); break;
            default: pp.fillRect(visible, EffectiveColor(dc, colour)); break;
            }
        }
    }
    const bool sourced = source && !source->isNull() && RopUsesSource(rop);
    const bool keepsDestination = RopUsesDestination(rop);
    QImage mask(visible.size(), QImage::Format_RGB32), flip(visible.size(), QImage::Format_RGB32);
    for (int y = 0; y < visible.height(); ++y) {
        const QRgb* pl = pattern.isNull() ? nullptr : reinterpret_cast<const QRgb*>(pattern.constScanLine(y));
        const QRgb* sl = nullptr;
        if (sourced) {
            const long long sy = (static_cast<long long>(visible.top() + y - target.top()) * source->height()) /
                                 target.height();
            sl = reinterpret_cast<const QRgb*>(source->constScanLine(int(std::clamp(sy, 0LL, source->height() - 1LL))));
        }
        auto* ml = reinterpret_cast<QRgb*>(mask.scanLine(y));
        auto* fl = reinterpret_cast<QRgb*>(flip.scanLine(y));
        for (int x = 0; x < visible.width(); ++x) {
            std::uint32_t s = 0;
            if (sl) {
                const long long sx = (static_cast<long long>(visible.left() + x - target.left()) * source->width()) /
                                     target.width();
                s = sl[std::clamp(sx, 0LL, source->width() - 1LL)];
            }
            const std::uint32_t pat = pl ? pl[x] : 0;
            const std::uint32_t f0 = RopResult(rop, s, pat, 0), f1 = RopResult(rop, s, pat, 0xFFFFFF);
            ml[x] = 0xFF000000u | ((f0 ^ f1) & 0xFFFFFF);
            fl[x] = 0xFF000000u | (f0 & 0xFFFFFF);
        }
    }
    const bool raster = p->paintEngine() && p->paintEngine()->type() == QPaintEngine::Raster;
    if (!keepsDestination || !raster) {
        p->setCompositionMode(QPainter::CompositionMode_Source);
        p->drawImage(visible.topLeft(), flip);
        return;
    }
    p->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p->drawImage(visible.topLeft(), mask);
    p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p->drawImage(visible.topLeft(), flip);
}

constexpr double kMaxBlitPixels = 64.0 * 1024 * 1024;

// The pixels of `shown` (inside `target`) of `source` (32 bits a pixel) stretched over `target`,
// each the source pixel it falls on.
QImage NearestSamples(const QImage& source, const QRect& target, const QRect& shown)
{
    QImage out(shown.size(), source.format()); // 32 bits a pixel
    std::vector<int> columns(size_t(shown.width()));
    for (int x = 0; x < shown.width(); ++x)
        columns[size_t(x)] = int(std::clamp((std::int64_t(shown.left() + x - target.left()) * source.width()) /
                                                std::max(1, target.width()),
                                            std::int64_t(0), std::int64_t(source.width() - 1)));
    for (int y = 0; y < shown.height(); ++y) {
        const std::int64_t sy = (std::int64_t(shown.top() + y - target.top()) * source.height()) /
                                std::max(1, target.height());
        const auto* in = reinterpret_cast<const QRgb*>(
            source.constScanLine(int(std::clamp(sy, std::int64_t(0), std::int64_t(source.height() - 1)))));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < shown.width(); ++x)
            line[x] = in[columns[size_t(x)]];
    }
    return out;
}

BOOL Blit(const char* op, HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh,
          DWORD rop)
{
    if (!dest)
        return FALSE;
    TGdiRecord rec = dest->MakeRecord(op);
    rec.Rect = RECT{x, y, x + width, y + height};
    rec.Points = {POINT{sx, sy}, POINT{sw, sh}};
    rec.Flags = rop;
    dest->Record(rec);
    if (!RopUsesSource(rop) || !src)
        return PatBlt(dest, x, y, width, height, rop);
    const int saveRop = dest->rop2;
    dest->rop2 = R2_COPYPEN;
    const bool ok = Begin(dest);
    dest->rop2 = saveRop;
    if (!ok)
        return TRUE;
    // a source far beyond any bitmap (a damaged metafile's) is refused
    constexpr std::int64_t far = 1 << 29;
    if (std::llabs(sw) >= far || std::llabs(sh) >= far || std::llabs(sx) >= far || std::llabs(sy) >= far)
        return FALSE;
    const QPoint s = src->ToDevice(sx, sy);
    const int aw = src->ScaleX(std::abs(sw)), ah = src->ScaleY(std::abs(sh));
    if (std::llabs(aw) >= far || std::llabs(ah) >= far || std::abs(s.x()) >= far || std::abs(s.y()) >= far ||
        double(aw) * ah > kMaxBlitPixels)
        return FALSE;
    const QRect sourceArea = QRect(s, QSize(aw, ah)).normalized();
    QImage part = SourcePixels(dest, src, sourceArea);
    if (part.isNull())
        return FALSE;
    const QPoint d = dest->ToDevice(x, y);
    const int dw = dest->ScaleX(width), dh = dest->ScaleY(height);
    if ((dw < 0) != (sw < 0) || (dh < 0) != (sh < 0))
        part = part.mirrored((dw < 0) != (sw < 0), (dh < 0) != (sh < 0));
    QRect target = QRect(d, QSize(std::abs(dw), std::abs(dh))).translated(dw < 0 ? dw : 0, dh < 0 ? dh : 0);
    bool known = false;
    const QPainter::CompositionMode mode = SourceMode(rop, known);
    if (!known) {
        TernaryBlit(dest, target, &part, rop);
        return TRUE;
    }
    QPainter* p = dest->Painter();
    if (part.size() != target.size() && p->device()) {
        // A stretch that reaches past the device is sampled over the device's part only.
        const QRect shown = target.intersected(QRect(0, 0, p->device()->width(), p->device()->height()));
        if (shown.isEmpty())
            return TRUE;
        if (shown != target) {
            part = NearestSamples(part, target, shown);
            target = shown;
        }
    }
    if (part.size() != target.size())
        part = part.scaled(target.size(), Qt::IgnoreAspectRatio,
                           dest->stretchMode == HALFTONE ? Qt::SmoothTransformation : Qt::FastTransformation);
    p->setCompositionMode(mode);
    p->drawImage(target.topLeft(), part);
    return TRUE;
}

} // namespace

std::uint32_t RopResult(DWORD rop, std::uint32_t source, std::uint32_t pattern, std::uint32_t destination)
{
    const unsigned table = RopIndex(rop);
    std::uint32_t out = 0;
    for (unsigned i = 0; i < 8; ++i)
        if (table & (1u << i))
            out |= ((i & 4) ? pattern : ~pattern) & ((i & 2) ? source : ~source) & ((i & 1) ? destination : ~destination);
    return out;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, DWORD rop)
{
    QUELM_META_CALL(dest, Blit(dest, x, y, width, height, src, sx, sy, width, height, rop));
    return Blit("BitBlt", dest, x, y, width, height, src, sx, sy, width, height, rop);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh, DWORD rop)
{
    QUELM_META_CALL(dest, Blit(dest, x, y, width, height, src, sx, sy, sw, sh, rop));
    return Blit("StretchBlt", dest, x, y, width, height, src, sx, sy, sw, sh, rop);
}

// A pattern operation: one that needs a source does nothing and fails.
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop)
{
    QUELM_META_CALL(dc, Blit(dc, x, y, width, height, nullptr, 0, 0, 0, 0, rop));
    if (!dc)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("PatBlt");
    rec.Rect = RECT{x, y, x + width, y + height};
    rec.Flags = rop;
    dc->Record(rec);
    if (RopUsesSource(rop))
        return FALSE;
    const int saveRop = dc->rop2;
    dc->rop2 = R2_COPYPEN;
    const bool ok = Begin(dc);
    dc->rop2 = saveRop;
    if (!ok)
        return TRUE;
    const QRect r = dc->ToDevice(RECT{x, y, x + width, y + height});
    QPainter* p = dc->Painter();
    switch (RopIndex(rop)) {
    case RopIndex(BLACKNESS): p->fillRect(r, Qt::black); break;
    case RopIndex(WHITENESS): p->fillRect(r, Qt::white); break;
    case RopIndex(DSTINVERT):
        p->setCompositionMode(QPainter::RasterOp_NotDestination);
        p->fillRect(r, Qt::black);
        break;
    case RopIndex(PATINVERT):
        p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        FillWithBrush(dc, r, dc->brush);
        break;
    case RopIndex(PATCOPY): FillWithBrush(dc, r, dc->brush); break;
    default: TernaryBlit(dc, r.normalized(), nullptr, rop); break;
    }
    return TRUE;
}

BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh,
                    UINT transparent)
{
    if (!dest || !src)
        return FALSE;
    TGdiRecord rec = dest->MakeRecord("TransparentBlt");
    rec.Rect = RECT{x, y, x + width, y + height};
    rec.Flags = transparent;
    dest->Record(rec);
    const int saveRop = dest->rop2;
    dest->rop2 = R2_COPYPEN;
    const bool ok = Begin(dest);
    dest->rop2 = saveRop;
    QImage* image = src->Image();
    if (!ok || !image)
        return TRUE;
    QImage part = image->copy(QRect(src->ToDevice(sx, sy), QSize(sw, sh))).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ColorRefToQColor(transparent).rgb() & 0xFFFFFF;
    for (int row = 0; row < part.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(row));
        for (int col = 0; col < part.width(); ++col)
            if ((line[col] & 0xFFFFFF) == key)
                line[col] = 0;
    }
    if (part.size() != QSize(width, height))
        part = part.scaled(width, height);
    QPainter* p = dest->Painter();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->drawImage(dest->ToDevice(x, y), part);
    return TRUE;
}

int StretchDIBits(HDC dc, int x, int y, int width, int height, int sx, int sy, int sw, int sh, const void* bits,
                  const BITMAPINFO* info, UINT usage, DWORD rop)
{
    QUELM_META_CALL(dc, DibBlit(dc, x, y, width, height, sx, sy, sw, sh, bits, info, usage, rop));
    if (!dc || !info)
        return 0;
    const DWORD* masks = info->bmiHeader.biCompression == BI_BITFIELDS
                             ? reinterpret_cast<const DWORD*>(info->bmiColors)
                             : nullptr;
    (void)usage;
    // Of an uncompressed bitmap only the rows the source rectangle reaches are converted: a
    // picture that copies a band out of a tall bitmap costs the band.
    BITMAPINFOHEADER header = info->bmiHeader;
    const auto compression = header.biCompression;
    const std::int64_t rows = header.biHeight < 0 ? -std::int64_t(header.biHeight) : header.biHeight;
    const std::int64_t lo = std::clamp<std::int64_t>(std::min<std::int64_t>(sy, std::int64_t(sy) + sh), 0, rows);
    const std::int64_t hi = std::clamp<std::int64_t>(std::max<std::int64_t>(sy, std::int64_t(sy) + sh), 0, rows);
    if (bits && (compression == BI_RGB || compression == BI_BITFIELDS) && header.biWidth > 0 && header.biBitCount > 0 &&
        hi > lo && hi - lo < rows) {
        const std::int64_t stride = (std::int64_t(header.biWidth) * header.biBitCount + 31) / 32 * 4;
        const std::int64_t first = header.biHeight > 0 ? rows - hi : lo; // in memory order
        bits = static_cast<const std::uint8_t*>(bits) + first * stride;
        header.biHeight = LONG(header.biHeight > 0 ? hi - lo : lo - hi);
        header.biSizeImage = 0;
        sy -= int(lo);
    }
    QImage image = DibToImage(&header, bits, info->bmiColors, masks);
    if (image.isNull())
        return 0;
    DeviceContext source(&image);
    source.Flush();
    // the source DIB's rows are bottom-up in its coordinates: DibToImage already turned them
    const int ok = Blit("StretchDIBits", dc, x, y, width, height, &source, sx, sy, sw, sh, rop);
    return ok ? std::abs(sh) : 0;
}

int SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int sx, int sy, UINT, UINT lines,
                      const void* bits, const BITMAPINFO* info, UINT usage)
{
    QUELM_META_CALL(dc, DibBlit(dc, x, y, int(width), int(height), sx, sy, int(width), int(height), bits, info, usage, SRCCOPY));
    (void)lines;
    return StretchDIBits(dc, x, y, int(width), int(height), sx, sy, int(width), int(height), bits, info, usage,
                         SRCCOPY);
}

// ---------------------------------------------------------------- text

namespace {

QFont FontOf(HDC dc)
{
    HFONT f = dc->font ? dc->font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    return f->QtFont();
}

int EscapementOf(HDC dc)
{
    return dc->font ? int(dc->font->font.lfEscapement) : 0;
}

QString TextOf(const char* text, int count)
{
    if (!text)
        return QString();
    const size_t n = count < 0 ? std::strlen(text) : size_t(count);
    return ToQString(String(text, n));
}

QString WideTextOf(const char16_t* text, int count)
{
    if (!text)
        return QString();
    size_t n = 0;
    if (count < 0)
        while (text[n])
            ++n;
    else
        n = size_t(count);
    return QString::fromUtf16(text, qsizetype(n));
}

// Draws one run of text with its top-left at (x, y) in device coordinates.
// The accelerator's underline below the character at `index` of a line of text whose top-left
// corner is `topLeft`; empty without one.
QRect UnderlineBox(const QFontMetrics& fm, const QString& text, int index, QPoint topLeft)
{
    if (index < 0 || index >= text.size())
        return QRect();
    const int ux = topLeft.x() + fm.horizontalAdvance(text.left(index));
    const int uw = fm.horizontalAdvance(text.at(index));
    const int uy = topLeft.y() + fm.ascent() + std::max(1, fm.underlinePos());
    return QRect(ux, uy, uw, std::max(1, fm.lineWidth()));
}

void PaintText(HDC dc, const QFont& font, const QString& text, QPoint topLeft, int escapement, int underlineIndex = -1)
{
    QPainter* p = dc->Painter();
    const QFontMetrics fm(font);
    p->setFont(font);
    p->setCompositionMode(dc->rop2 == R2_COPYPEN ? QPainter::CompositionMode_SourceOver : ModeOf(dc->rop2));
    if (escapement != 0) {
        QTransform t;
        t.translate(topLeft.x(), topLeft.y());
        t.rotate(-escapement / 10.0);
        p->setTransform(t);
        topLeft = QPoint(0, 0);
    }
    if (dc->bkMode == OPAQUE)
        p->fillRect(QRect(topLeft, QSize(fm.horizontalAdvance(text), fm.ascent() + fm.descent())),
                    EffectiveColor(dc, dc->bkColor));
    p->setPen(EffectiveColor(dc, dc->textColor));
    p->drawText(QPoint(topLeft.x(), topLeft.y() + fm.ascent()), text);
    const QRect underline = UnderlineBox(fm, text, underlineIndex, topLeft);
    if (!underline.isEmpty())
        p->fillRect(underline, EffectiveColor(dc, dc->textColor));
    p->setTransform(QTransform());
}

// Draws a line of text without a background in the font's cached layout of it, as PaintText
// would draw it: the text's top-left corner at topLeft, the baseline one ascent below.
void PaintLaidOutText(HDC dc, CachedFont& cached, const QString& text, QPoint topLeft)
{
    auto it = cached.laidOut.find(text);
    if (it == cached.laidOut.end()) {
        if (cached.laidOut.size() >= 4096)
            cached.laidOut.clear();
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
        laidOut.prepare(QTransform(), cached.font);
        it = cached.laidOut.emplace(text, laidOut).first;
    }
    QPainter* p = dc->Painter();
    p->setFont(cached.font);
    p->setCompositionMode(dc->rop2 == R2_COPYPEN ? QPainter::CompositionMode_SourceOver : ModeOf(dc->rop2));
    p->setTransform(QTransform());
    p->setPen(EffectiveColor(dc, dc->textColor));
    p->drawStaticText(topLeft, it->second);
}

BOOL TextOutQ(HDC dc, int x, int y, const QString& text, const String& recordText)
{
    QUELM_META_CALL(dc, Text(dc, x, y, 0, nullptr, std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())), nullptr));
    if (!dc)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("TextOut");
    rec.Rect = RECT{x, y, x, y};
    rec.Text = recordText;
    rec.PenColor = dc->textColor;
    dc->Record(rec);
    const QFont font = FontOf(dc);
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(text);
    if (dc->textAlign & TA_UPDATECP) {
        x = dc->current.x;
        y = dc->current.y;
    }
    QPoint d = dc->ToDevice(x, y);
    // the alignment moves the text along its own direction and across it
    int along = 0, across = 0;
    const UINT h = dc->textAlign & TA_CENTER;
    if (h == TA_CENTER)
        along = -width / 2;
    else if (h == TA_RIGHT)
        along = -width;
    const UINT v = dc->textAlign & TA_BASELINE;
    if (v == TA_BASELINE)
        across = -fm.ascent();
    else if (v == TA_BOTTOM)
        across = -(fm.ascent() + fm.descent());
    const double turn = EscapementOf(dc) / 10.0 * M_PI / 180.0;
    d += QPoint(int(std::lround(along * std::cos(turn) + across * std::sin(turn))),
                int(std::lround(-along * std::sin(turn) + across * std::cos(turn))));
    if (dc->textAlign & TA_UPDATECP)
        dc->current.x += (h == TA_RIGHT ? -width : width);
    if (Begin(dc))
        PaintText(dc, font, text, d, EscapementOf(dc));
    return TRUE;
}

} // namespace

BOOL TextOut(HDC dc, int x, int y, const char* text, int count)
{
    const String s = text ? String(text, count < 0 ? std::strlen(text) : size_t(count)) : String();
    return TextOutQ(dc, x, y, ToQString(s), s);
}

BOOL TextOutW(HDC dc, int x, int y, const char16_t* text, int count)
{
    const QString q = WideTextOf(text, count);
    return TextOutQ(dc, x, y, q, FromQString(q));
}

BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const int* dx)
{
    QUELM_META_CALL(dc, Text(dc, x, y, options, rect, [&] { const QString q = TextOf(text, text ? int(count) : 0); return std::u16string(reinterpret_cast<const char16_t*>(q.utf16()), size_t(q.size())); }(), dx));
    if (!dc)
        return FALSE;
    (void)dx;
    if (rect && (options & ETO_OPAQUE)) {
        TGdiRecord rec = dc->MakeRecord("ExtTextOutOpaque");
        rec.Rect = *rect;
        rec.BrushColor = dc->bkColor;
        dc->Record(rec);
        if (Begin(dc))
            dc->Painter()->fillRect(dc->ToDevice(*rect), EffectiveColor(dc, dc->bkColor));
    }
    if (!text || count == 0)
        return TRUE;
    const bool clipped = rect && (options & ETO_CLIPPED);
    const bool hadClip = dc->hasClip;
    const QRegion oldClip = dc->clip;
    if (clipped)
        IntersectClipRect(dc, rect->left, rect->top, rect->right, rect->bottom);
    const BOOL ok = TextOut(dc, x, y, text, int(count));
    dc->hasClip = hadClip;
    dc->clip = oldClip;
    return ok;
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, const char16_t* text, UINT count,
                 const int* dx)
{
    QUELM_META_CALL(dc, Text(dc, x, y, options, rect, std::u16string(text ? text : u"", text ? count : 0), dx));
    if (!dc)
        return FALSE;
    if (rect && (options & ETO_OPAQUE) && Begin(dc))
        dc->Painter()->fillRect(dc->ToDevice(*rect), EffectiveColor(dc, dc->bkColor));
    if (!text || count == 0)
        return TRUE;
    const QString q = QString::fromUtf16(text, qsizetype(count));
    const bool clipped = rect && (options & ETO_CLIPPED);
    const bool hadClip = dc->hasClip;
    const QRegion oldClip = dc->clip;
    if (clipped)
        IntersectClipRect(dc, rect->left, rect->top, rect->right, rect->bottom);
    BOOL ok = TRUE;
    if (!dx) {
        ok = TextOutQ(dc, x, y, q, FromQString(q));
    } else {
        // Each character starts at the sum of the advances before it, along the text's
        // direction; the alignment applies to the whole run.
        long long total = 0;
        for (UINT i = 0; i < count; ++i)
            total += dx[i];
        const UINT align = dc->textAlign;
        if (align & TA_UPDATECP) {
            x = dc->current.x;
            y = dc->current.y;
        }
        const double angle = EscapementOf(dc) / 10.0 * M_PI / 180.0;
        const double ux = std::cos(angle), uy = -std::sin(angle);
        double shift = 0;
        if ((align & TA_CENTER) == TA_CENTER)
            shift = -double(total) / 2;
        else if ((align & TA_CENTER) == TA_RIGHT)
            shift = -double(total);
        dc->textAlign = align & TA_BASELINE;
        // positions in floating point, kept inside the coordinate space (advances may be huge)
        const auto place = [](double v) { return int(std::clamp(v, -double(0x3FFFFFFF), double(0x3FFFFFFF))); };
        double along = shift;
        for (UINT i = 0; i < count && ok; ++i) {
            const int cx = place(std::round(double(x) + along * ux));
            const int cy = place(std::round(double(y) + along * uy));
            ok = TextOutQ(dc, cx, cy, q.mid(qsizetype(i), 1), FromQString(q.mid(qsizetype(i), 1)));
            along += dx[i];
        }
        dc->textAlign = align;
        if (align & TA_UPDATECP)
            dc->current.x = place(double(x) + double(total));
    }
    dc->hasClip = hadClip;
    dc->clip = oldClip;
    return ok;
}

BOOL GetTextExtentPoint32(HDC dc, const char* text, int count, SIZE* size)
{
    if (!dc || !size)
        return FALSE;
    const QFontMetrics fm(FontOf(dc));
    const QString q = TextOf(text, count);
    *size = SIZE{fm.horizontalAdvance(q), fm.ascent() + fm.descent()};
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dc, const char16_t* text, int count, SIZE* size)
{
    if (!dc || !size)
        return FALSE;
    const QFontMetrics fm(FontOf(dc));
    *size = SIZE{fm.horizontalAdvance(WideTextOf(text, count)), fm.ascent() + fm.descent()};
    return TRUE;
}

BOOL GetTextMetrics(HDC dc, TEXTMETRIC* tm)
{
    if (!dc || !tm)
        return FALSE;
    const QFont font = FontOf(dc);
    const QFontMetrics fm(font);
    *tm = TEXTMETRIC{};
    tm->tmAscent = fm.ascent();
    tm->tmDescent = fm.descent();
    tm->tmHeight = fm.ascent() + fm.descent();
    tm->tmInternalLeading = std::max(0, int(tm->tmHeight) - font.pixelSize());
    tm->tmExternalLeading = std::max(0, fm.leading());
    tm->tmAveCharWidth = fm.averageCharWidth();
    tm->tmMaxCharWidth = fm.maxWidth();
    tm->tmWeight = dc->font ? dc->font->font.lfWeight : FW_NORMAL;
    tm->tmItalic = font.italic();
    tm->tmUnderlined = font.underline();
    tm->tmStruckOut = font.strikeOut();
    return TRUE;
}

int GetTextFace(HDC dc, int count, char* name)
{
    if (!dc || !dc->font)
        return 0;
    const String face = dc->font->font.lfFaceName;
    if (name && count > 0) {
        std::strncpy(name, face.c_str(), size_t(count - 1));
        name[count - 1] = 0;
    }
    return int(face.size()) + 1;
}

namespace {

struct TextLine {
    QString text;
    int underline = -1; // index of the prefixed character
};

// Removes '&' prefixes: "&&" → '&', "&x" → 'x' with its index noted.
TextLine StripPrefix(const QString& s, UINT format)
{
    TextLine line;
    if (format & DT_NOPREFIX) {
        line.text = s;
        return line;
    }
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) {
            ++i;
            if (s[i] != '&' && !(format & DT_HIDEPREFIX))
                line.underline = int(line.text.size());
        } else if (s[i] == '&') {
            continue;
        }
        line.text += s[i];
    }
    return line;
}

QString ExpandTabs(const QString& s, const QFontMetrics& fm, int tabWidth)
{
    if (!s.contains('\t') || tabWidth <= 0)
        return s;
    QString out;
    for (const QChar c : s) {
        if (c != '\t') {
            out += c;
            continue;
        }
        const int x = fm.horizontalAdvance(out);
        const int next = (x / tabWidth + 1) * tabWidth;
        while (fm.horizontalAdvance(out) < next)
            out += ' ';
    }
    return out;
}

int LineWidth(const QFontMetrics& fm, const QString& s, int tabWidth)
{
    if (!activeWidths || (tabWidth > 0 && s.contains('\t')))
        return fm.horizontalAdvance(ExpandTabs(s, fm, tabWidth));
    if (const auto it = activeWidths->find(s); it != activeWidths->end())
        return it->second;
    const int width = fm.horizontalAdvance(s);
    if (activeWidths->size() >= 4096)
        activeWidths->clear();
    activeWidths->emplace(s, width);
    return width;
}

QString EndEllipsis(const QFontMetrics& fm, const QString& s, int width, int tabWidth)
{
    if (LineWidth(fm, s, tabWidth) <= width)
        return s;
    QString cut = s;
    while (!cut.isEmpty() && LineWidth(fm, cut + "...", tabWidth) > width)
        cut.chop(1);
    return cut + "...";
}

QString WordEllipsis(const QFontMetrics& fm, const QString& s, int width, int tabWidth)
{
    if (LineWidth(fm, s, tabWidth) <= width)
        return s;
    QString cut = s;
    while (!cut.isEmpty() && LineWidth(fm, cut + "...", tabWidth) > width) {
        const int space = int(cut.lastIndexOf(' '));
        cut = space > 0 ? cut.left(space) : QString();
    }
    return cut.isEmpty() ? EndEllipsis(fm, s, width, tabWidth) : cut + "...";
}

QString PathEllipsis(const QFontMetrics& fm, const QString& s, int width, int tabWidth)
{
    if (LineWidth(fm, s, tabWidth) <= width)
        return s;
    const int slash = int(std::max(s.lastIndexOf('\\'), s.lastIndexOf('/')));
    if (slash < 0)
        return EndEllipsis(fm, s, width, tabWidth);
    const QString tail = s.mid(slash);
    QString head = s.left(slash);
    while (!head.isEmpty() && LineWidth(fm, head + "..." + tail, tabWidth) > width)
        head.chop(1);
    return head + "..." + tail;
}

// Breaks one paragraph into lines that fit `width` at blanks; a word wider than the width
// stays whole on its own line.
std::vector<QString> WrapParagraph(const QFontMetrics& fm, const QString& paragraph, int width, int tabWidth)
{
    std::vector<QString> lines;
    QString current;
    int i = 0;
    const int n = int(paragraph.size());
    while (i < n) {
        int j = i;
        while (j < n && paragraph[j] != ' ')
            ++j;
        int k = j;
        while (k < n && paragraph[k] == ' ')
            ++k;
        const QString word = paragraph.mid(i, j - i);
        const QString candidate = current + word;
        if (!current.isEmpty() && LineWidth(fm, candidate, tabWidth) > width) {
            QString trimmed = current;
            while (trimmed.endsWith(' '))
                trimmed.chop(1);
            lines.push_back(trimmed);
            current = word;
        } else {
            current = candidate;
        }
        current += paragraph.mid(j, k - j);
        i = k;
    }
    while (current.endsWith(' '))
        current.chop(1);
    lines.push_back(current);
    return lines;
}

int DrawTextQ(HDC dc, const QString& text, const String& recordText, RECT* rect, UINT format, DRAWTEXTPARAMS* params)
{
    if (!dc || !rect)
        return 0;
    TGdiRecord rec = dc->MakeRecord((format & DT_CALCRECT) ? "DrawTextCalc" : "DrawText");
    rec.Rect = *rect;
    rec.Text = recordText;
    rec.Flags = format;
    rec.PenColor = dc->textColor;

    HFONT fontObject = dc->font ? dc->font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    CachedFont& cached = CachedFontOf(fontObject->font);
    const QFont font = cached.font;
    const QFontMetrics fm(font);
    struct ActiveWidths {
        std::unordered_map<QString, int>* saved = activeWidths;
        explicit ActiveWidths(std::unordered_map<QString, int>* widths) { activeWidths = widths; }
        ~ActiveWidths() { activeWidths = saved; }
    } measuring(&cached.widths);
    int tabChars = 8;
    if (format & DT_TABSTOP)
        tabChars = int((format >> 8) & 0xFF);
    if (params && params->iTabLength > 0)
        tabChars = params->iTabLength;
    const int tabWidth = (format & DT_EXPANDTABS) ? std::max(1, tabChars) * std::max(1, fm.averageCharWidth()) : 0;
    const int leftMargin = params ? params->iLeftMargin : 0;
    const int rightMargin = params ? params->iRightMargin : 0;
    const int lineHeight = fm.ascent() + fm.descent() + ((format & DT_EXTERNALLEADING) ? std::max(0, fm.leading()) : 0);
    const int left = rect->left + leftMargin;
    const int right = rect->right - rightMargin;
    const int boxWidth = std::max(0, right - left);

    std::vector<QString> paragraphs;
    if (format & DT_SINGLELINE) {
        paragraphs.push_back(text);
    } else {
        QString t = text;
        t.replace("\r\n", "\n");
        t.replace('\r', '\n');
        for (const QString& p : t.split('\n'))
            paragraphs.push_back(p);
        if (paragraphs.size() > 1 && paragraphs.back().isEmpty())
            paragraphs.pop_back(); // a final line break adds no line
    }
    std::vector<TextLine> lines;
    for (const QString& paragraph : paragraphs) {
        const TextLine stripped = StripPrefix(paragraph, format);
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
            int offset = 0;
            for (const QString& l : WrapParagraph(fm, stripped.text, boxWidth, tabWidth)) {
                TextLine line{l, -1};
                const int start = int(stripped.text.indexOf(l, offset));
                if (stripped.underline >= 0 && start >= 0 && stripped.underline >= start &&
                    stripped.underline < start + l.size())
                    line.underline = stripped.underline - start;
                if (start >= 0)
                    offset = start + int(l.size());
                lines.push_back(line);
            }
        } else {
            lines.push_back(stripped);
        }
    }
    for (TextLine& line : lines) {
        const QString before = line.text;
        if (format & DT_END_ELLIPSIS)
            line.text = EndEllipsis(fm, line.text, boxWidth, tabWidth);
        else if (format & DT_WORD_ELLIPSIS)
            line.text = WordEllipsis(fm, line.text, boxWidth, tabWidth);
        else if (format & DT_PATH_ELLIPSIS)
            line.text = PathEllipsis(fm, line.text, boxWidth, tabWidth);
        if (line.text != before && line.underline >= line.text.size() - 3)
            line.underline = -1;
        line.text = ExpandTabs(line.text, fm, tabWidth);
    }
    for (const TextLine& line : lines)
        rec.Lines.push_back(FromQString(line.text));
    dc->Record(rec);
    const int totalHeight = lineHeight * int(lines.size());
    int maxWidth = 0; // needed only to measure
    if (format & DT_CALCRECT)
        for (const TextLine& line : lines)
            maxWidth = std::max(maxWidth, LineWidth(fm, line.text, 0));

    if (format & DT_CALCRECT) {
        // as wide as the widest line: narrower than the given width when the text needs less,
        // wider when a word breaks no further
        rect->right = left + maxWidth + rightMargin;
        rect->bottom = rect->top + totalHeight;
        if (params)
            params->uiLengthDrawn = UINT(text.size());
        return totalHeight;
    }

    int top = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            top = rect->bottom - lineHeight;
    }
    const auto lineLeft = [&](const TextLine& line) {
        const int w = (format & (DT_CENTER | DT_RIGHT)) ? LineWidth(fm, line.text, 0) : 0;
        if (format & DT_CENTER)
            return left + (boxWidth - w) / 2;
        if (format & DT_RIGHT)
            return right - w;
        return left;
    };
    // On a metafile context each drawn line becomes one text record at its top-left corner,
    // clipped to the rectangle unless DT_NOCLIP; the context's own text alignment does not apply.
    // An accelerator's underline is a rectangle filled in the text colour (DT_PREFIXONLY: only it).
    if (dc->MetaSink) {
        IGdiMetaSink* sink = dc->MetaSink;
        const UINT align = dc->textAlign;
        dc->textAlign = TA_LEFT | TA_TOP;
        const UINT options = (format & DT_NOCLIP) ? 0 : ETO_CLIPPED;
        int y = top;
        for (const TextLine& line : lines) {
            if (!line.text.isEmpty() && !(format & DT_PREFIXONLY))
                sink->Text(dc, lineLeft(line), y, options, rect, line.text.toStdU16String(), nullptr);
            QRect underline = UnderlineBox(fm, line.text, line.underline, QPoint(lineLeft(line), y));
            if (!(format & DT_NOCLIP))
                underline &= QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
            if (!underline.isEmpty()) {
                HBRUSH ink = CreateSolidBrush(dc->textColor);
                sink->FillRect(dc, QRectToRect(underline), ink);
                DeleteObject(ink);
            }
            y += lineHeight;
        }
        dc->textAlign = align;
    }
    const MetaSinkPause metaPause(dc);
    if (Begin(dc)) {
        QPainter* p = dc->Painter();
        if (!(format & DT_NOCLIP)) {
            const QRect box = dc->ToDevice(*rect);
            p->setClipRect(box, p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        }
        int y = top;
        for (const TextLine& line : lines) {
            if (format & DT_PREFIXONLY) {
                const QRect underline = UnderlineBox(fm, line.text, line.underline, dc->ToDevice(lineLeft(line), y));
                if (!underline.isEmpty())
                    p->fillRect(underline, EffectiveColor(dc, dc->textColor));
            } else if (line.underline < 0 && dc->bkMode != OPAQUE) {
                PaintLaidOutText(dc, cached, line.text, dc->ToDevice(lineLeft(line), y));
            } else {
                PaintText(dc, font, line.text, dc->ToDevice(lineLeft(line), y), 0, line.underline);
            }
            y += lineHeight;
        }
    }
    if (params)
        params->uiLengthDrawn = UINT(text.size());
    if (format & DT_SINGLELINE && (format & (DT_VCENTER | DT_BOTTOM)))
        return top - rect->top + totalHeight;
    return totalHeight;
}

} // namespace

int DrawText(HDC dc, const char* text, int count, RECT* rect, UINT format)
{
    const String s = text ? String(text, count < 0 ? std::strlen(text) : size_t(count)) : String();
    return DrawTextQ(dc, ToQString(s), s, rect, format, nullptr);
}

int DrawTextEx(HDC dc, const char* text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params)
{
    const String s = text ? String(text, count < 0 ? std::strlen(text) : size_t(count)) : String();
    return DrawTextQ(dc, ToQString(s), s, rect, format, params);
}

int DrawText(HDC dc, const String& text, RECT* rect, UINT format)
{
    return DrawTextQ(dc, ToQString(text), text, rect, format, nullptr);
}

int DrawTextW(HDC dc, const char16_t* text, int count, RECT* rect, UINT format)
{
    const QString q = WideTextOf(text, count);
    return DrawTextQ(dc, q, FromQString(q), rect, format, nullptr);
}

// ---------------------------------------------------------------- windows

namespace {
IWindowSurface* SurfaceOf(HWND window)
{
    return window ? dynamic_cast<IWindowSurface*>(window) : nullptr;
}
} // namespace

HDC GetDC(HWND window)
{
    IWindowSurface* surface = SurfaceOf(window);
    HDC dc = nullptr;
    if (surface && surface->SurfaceImage() && !surface->SurfaceImage()->isNull())
        dc = new DeviceContext(surface->SurfaceImage());
    else
        dc = new DeviceContext(window ? std::max(1, window->width()) : 1, window ? std::max(1, window->height()) : 1);
    dc->window = window;
    return dc;
}

HDC GetWindowDC(HWND window)
{
    if (auto* framed = dynamic_cast<INonClientWindow*>(window))
        if (QImage* image = framed->WindowImage()) {
            HDC dc = new DeviceContext(image);
            dc->window = window;
            return dc;
        }
    return GetDC(window);
}

int ReleaseDC(HWND window, HDC dc)
{
    if (!dc)
        return 0;
    if (auto* framed = dynamic_cast<INonClientWindow*>(window ? window : dc->window))
        if (QImage* image = framed->WindowImage(); image && dc->Image() == image) {
            delete dc;
            framed->WindowImageChanged();
            return 1;
        }
    IWindowSurface* surface = SurfaceOf(window ? window : dc->window);
    delete dc;
    if (surface)
        surface->SurfaceChanged(QRect());
    return 1;
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase)
{
    if (!window)
        return FALSE;
    if (IWindowSurface* surface = SurfaceOf(window)) {
        if (rect) {
            const QRect r = RectToQRect(*rect);
            surface->InvalidateArea(&r, erase != 0);
        } else {
            surface->InvalidateArea(nullptr, erase != 0);
        }
        return TRUE;
    }
    if (rect)
        window->update(RectToQRect(*rect));
    else
        window->update();
    return TRUE;
}

BOOL InvalidateRgn(HWND window, HRGN region, BOOL erase)
{
    if (!region)
        return InvalidateRect(window, nullptr, erase);
    for (const QRect& r : region->region) {
        const RECT rr = QRectToRect(r);
        InvalidateRect(window, &rr, erase);
    }
    return TRUE;
}

BOOL UpdateWindow(HWND window)
{
    if (!window)
        return FALSE;
    window->repaint();
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    if (!window || !rect)
        return FALSE;
    *rect = RECT{0, 0, window->width(), window->height()};
    if (auto* framed = dynamic_cast<INonClientWindow*>(window); framed && framed->WindowImage())
        *rect = RECT{0, 0, framed->ClientBox().width(), framed->ClientBox().height()};
    return TRUE;
}

namespace {
// Where client coordinates start inside the window: past its non-client band.
QPoint ClientOrigin(HWND window)
{
    if (auto* framed = dynamic_cast<INonClientWindow*>(window); framed && framed->WindowImage())
        return framed->ClientBox().topLeft();
    return QPoint();
}
} // namespace

BOOL GetWindowRect(HWND window, RECT* rect)
{
    if (!window || !rect)
        return FALSE;
    const QPoint g = window->mapToGlobal(QPoint(0, 0));
    *rect = RECT{g.x(), g.y(), g.x() + window->width(), g.y() + window->height()};
    return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point)
{
    if (!window || !point)
        return FALSE;
    const QPoint g = window->mapToGlobal(QPoint(point->x, point->y) + ClientOrigin(window));
    *point = POINT{g.x(), g.y()};
    return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point)
{
    if (!window || !point)
        return FALSE;
    const QPoint l = window->mapFromGlobal(QPoint(point->x, point->y)) - ClientOrigin(window);
    *point = POINT{l.x(), l.y()};
    return TRUE;
}

BOOL IsWindow(HWND window)
{
    return window != nullptr;
}

BOOL IsWindowVisible(HWND window)
{
    return window && window->isVisible();
}

HWND GetFocus()
{
    return QApplication::focusWidget();
}

HWND SetFocus(HWND window)
{
    HWND old = GetFocus();
    if (window)
        window->setFocus(Qt::OtherFocusReason);
    return old;
}

// ---------------------------------------------------------------- rectangles

BOOL SetRect(RECT* r, int left, int top, int right, int bottom)
{
    if (!r)
        return FALSE;
    *r = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(RECT* r)
{
    return SetRect(r, 0, 0, 0, 0);
}

BOOL InflateRect(RECT* r, int dx, int dy)
{
    if (!r)
        return FALSE;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}

BOOL OffsetRect(RECT* r, int dx, int dy)
{
    if (!r)
        return FALSE;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* r)
{
    return !r || r->right <= r->left || r->bottom <= r->top;
}

BOOL IntersectRect(RECT* dest, const RECT* a, const RECT* b)
{
    if (!dest || !a || !b)
        return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *dest = RECT{};
        return FALSE;
    }
    *dest = r;
    return TRUE;
}

BOOL UnionRect(RECT* dest, const RECT* a, const RECT* b)
{
    if (!dest || !a || !b)
        return FALSE;
    if (IsRectEmpty(a)) {
        *dest = *b;
    } else if (IsRectEmpty(b)) {
        *dest = *a;
    } else {
        *dest = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                     std::max(a->bottom, b->bottom)};
    }
    return !IsRectEmpty(dest);
}

BOOL PtInRect(const RECT* r, POINT p)
{
    return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}

BOOL EqualRect(const RECT* a, const RECT* b)
{
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL CopyRect(RECT* dest, const RECT* src)
{
    if (!dest || !src)
        return FALSE;
    *dest = *src;
    return TRUE;
}

// ---------------------------------------------------------------- system settings

BOOL SystemParametersInfo(UINT action, UINT, void* value, UINT)
{
    if (!value)
        return FALSE;
    switch (action) {
    case SPI_GETWHEELSCROLLLINES: *static_cast<UINT*>(value) = 3; return TRUE;
    case SPI_GETKEYBOARDDELAY: *static_cast<int*>(value) = 1; return TRUE;
    case SPI_GETKEYBOARDSPEED: *static_cast<DWORD*>(value) = 31; return TRUE;
    case SPI_GETDRAGFULLWINDOWS:
    case SPI_GETDROPSHADOW: *static_cast<BOOL*>(value) = TRUE; return TRUE;
    case SPI_GETWORKAREA: {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        *static_cast<RECT*>(value) = QRectToRect(area);
        return TRUE;
    }
    default: return FALSE;
    }
}

// ---------------------------------------------------------------- alpha blending, gradients

namespace {

// The source pixels premultiplied with their alpha: a 32-bit DIB section gives its own alpha
// bytes, other sources their image's alpha (opaque for images without one).
bool HasAlphaBytes(HBITMAP bitmap)
{
    return bitmap && bitmap->isDibSection() && bitmap->dibHeader().biBitCount == 32;
}

// A 32-bit DIB section's pixels with its alpha bytes, premultiplied.
QImage PremultipliedBits(HBITMAP bitmap, const QRect& area)
{
    {
        const BITMAPINFOHEADER& h = bitmap->dibHeader();
        const int width = int(h.biWidth);
        const int height = int(h.biHeight < 0 ? -h.biHeight : h.biHeight);
        QImage out(area.size(), QImage::Format_ARGB32_Premultiplied);
        const BYTE* bits = bitmap->dibBits();
        for (int y = 0; y < area.height(); ++y) {
            const int row = area.top() + y;
            const int dibRow = h.biHeight < 0 ? row : height - 1 - row;
            auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < area.width(); ++x) {
                const BYTE* px = bits + (size_t(dibRow) * size_t(width) + size_t(area.left() + x)) * 4;
                const int a = px[3];
                // A colour above its alpha is not premultiplied: clamp rather than overflow.
                line[x] = qRgba(std::min<int>(px[2], a), std::min<int>(px[1], a), std::min<int>(px[0], a), a);
            }
        }
        return out;
    }
}

QImage PremultipliedSource(HDC src, const QRect& area)
{
    if (HasAlphaBytes(src->bitmap))
        return PremultipliedBits(src->bitmap, area);
    QImage* image = src->Image();
    return image ? image->copy(area).convertToFormat(QImage::Format_ARGB32_Premultiplied) : QImage();
}

QRgb Scaled(QRgb premultiplied, int constantAlpha)
{
    auto scale = [constantAlpha](int c) { return (c * constantAlpha + 127) / 255; };
    return qRgba(scale(qRed(premultiplied)), scale(qGreen(premultiplied)), scale(qBlue(premultiplied)),
                 scale(qAlpha(premultiplied)));
}

bool ValidSourceArea(HDC src, const QRect& area)
{
    HBITMAP bitmap = src->bitmap;
    QSize size;
    if (bitmap)
        size = bitmap->image.size();
    else if (src->Image())
        size = src->Image()->size();
    return !area.isEmpty() && QRect(QPoint(0, 0), size).contains(area);
}

} // namespace

BOOL AlphaBlend(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh,
                BLENDFUNCTION blend)
{
    if (!dest || !src || width < 0 || height < 0 || sw < 0 || sh < 0)
        return FALSE;
    TGdiRecord rec = dest->MakeRecord("AlphaBlend");
    rec.Rect = RECT{x, y, x + width, y + height};
    rec.Points = {POINT{sx, sy}, POINT{sw, sh}};
    rec.Flags = UINT(blend.SourceConstantAlpha) | (UINT(blend.AlphaFormat) << 8);
    dest->Record(rec);
    const QRect sourceArea(src->ToDevice(sx, sy), QSize(src->ScaleX(sw), src->ScaleY(sh)));
    if (!ValidSourceArea(src, sourceArea))
        return FALSE;
    QImage part = PremultipliedSource(src, sourceArea);
    if (part.isNull())
        return FALSE;
    const bool perPixel = blend.AlphaFormat & AC_SRC_ALPHA;
    for (int row = 0; row < part.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(row));
        for (int col = 0; col < part.width(); ++col) {
            QRgb px = perPixel ? line[col] : (line[col] | 0xFF000000u);
            if (!perPixel)
                px = qRgba(qRed(px), qGreen(px), qBlue(px), 255);
            line[col] = Scaled(px, blend.SourceConstantAlpha);
        }
    }
    const int saveRop = dest->rop2;
    dest->rop2 = R2_COPYPEN;
    const bool ok = Begin(dest);
    dest->rop2 = saveRop;
    if (!ok)
        return TRUE;
    // Stretched to the nearest pixel (the blend stretches as colour-on-colour whatever the
    // context's mode), mirrored where the mapping turns an axis.
    const QPoint a = dest->ToDevice(x, y), b = dest->ToDevice(x + width, y + height);
    const QRect target(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                       QSize(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())));
    if (target.isEmpty())
        return TRUE;
    if (b.x() < a.x() || b.y() < a.y())
        part = part.mirrored(b.x() < a.x(), b.y() < a.y());
    QPainter* p = dest->Painter();
    QRect shown = target;
    if (p->device())
        shown = target.intersected(QRect(0, 0, p->device()->width(), p->device()->height()));
    if (shown.isEmpty())
        return TRUE;
    if (part.size() != target.size())
        part = NearestSamples(part, target, shown);
    else if (shown != target)
        part = part.copy(shown.translated(-target.topLeft()));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->drawImage(shown.topLeft(), part);
    return TRUE;
}

namespace {

int Channel(COLOR16 a, COLOR16 b, double t)
{
    return std::clamp(int(std::lround(((a >> 8) * (1 - t)) + ((b >> 8) * t))), 0, 255);
}

} // namespace

BOOL GradientFill(HDC dc, const TRIVERTEX* vertices, ULONG vertexCount, const void* mesh, ULONG meshCount,
                  ULONG mode)
{
    if (!dc || !vertices || !mesh || mode > GRADIENT_FILL_TRIANGLE)
        return FALSE;
    TGdiRecord rec = dc->MakeRecord("GradientFill");
    rec.Flags = mode;
    for (ULONG i = 0; i < vertexCount; ++i)
        rec.Points.push_back(POINT{vertices[i].x, vertices[i].y});
    dc->Record(rec);
    auto vertex = [&](ULONG i) -> const TRIVERTEX* { return i < vertexCount ? &vertices[i] : nullptr; };
    const int saveRop = dc->rop2;
    dc->rop2 = R2_COPYPEN;
    const bool ok = Begin(dc);
    dc->rop2 = saveRop;
    QPainter* p = ok ? dc->Painter() : nullptr;
    for (ULONG m = 0; m < meshCount; ++m) {
        if (mode != GRADIENT_FILL_TRIANGLE) {
            const auto& r = static_cast<const GRADIENT_RECT*>(mesh)[m];
            const TRIVERTEX* a = vertex(r.UpperLeft);
            const TRIVERTEX* b = vertex(r.LowerRight);
            if (!a || !b)
                return FALSE;
            if (!p)
                continue;
            const QRect box = dc->ToDevice(RECT{std::min(a->x, b->x), std::min(a->y, b->y), std::max(a->x, b->x),
                                                std::max(a->y, b->y)});
            const bool across = mode == GRADIENT_FILL_RECT_H;
            const int steps = across ? box.width() : box.height();
            // The first line has the first colour, the last one the second.
            const bool reversed = across ? a->x > b->x : a->y > b->y;
            for (int i = 0; i < steps; ++i) {
                double t = steps > 1 ? double(i) / (steps - 1) : 0;
                if (reversed)
                    t = 1 - t;
                const QColor c(Channel(a->Red, b->Red, t), Channel(a->Green, b->Green, t), Channel(a->Blue, b->Blue, t));
                if (across)
                    p->fillRect(QRect(box.left() + i, box.top(), 1, box.height()), c);
                else
                    p->fillRect(QRect(box.left(), box.top() + i, box.width(), 1), c);
            }
            continue;
        }
        const auto& tri = static_cast<const GRADIENT_TRIANGLE*>(mesh)[m];
        const TRIVERTEX* v[3] = {vertex(tri.Vertex1), vertex(tri.Vertex2), vertex(tri.Vertex3)};
        if (!v[0] || !v[1] || !v[2])
            return FALSE;
        if (!p)
            continue;
        QPoint d[3];
        for (int i = 0; i < 3; ++i)
            d[i] = dc->ToDevice(v[i]->x, v[i]->y);
        const QRect bounds = QRect(d[0], d[0]).united(QRect(d[1], d[1])).united(QRect(d[2], d[2]));
        const double area = double(d[1].x() - d[0].x()) * (d[2].y() - d[0].y()) -
                            double(d[2].x() - d[0].x()) * (d[1].y() - d[0].y());
        if (area == 0)
            continue;
        QImage patch(bounds.size(), QImage::Format_ARGB32_Premultiplied);
        patch.fill(Qt::transparent);
        for (int yy = 0; yy < patch.height(); ++yy) {
            for (int xx = 0; xx < patch.width(); ++xx) {
                const double px = bounds.left() + xx + 0.5, py = bounds.top() + yy + 0.5;
                const double w0 = ((d[1].x() - px) * (d[2].y() - py) - (d[2].x() - px) * (d[1].y() - py)) / area;
                const double w1 = ((d[2].x() - px) * (d[0].y() - py) - (d[0].x() - px) * (d[2].y() - py)) / area;
                const double w2 = 1 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0)
                    continue;
                auto mix = [&](COLOR16 c0, COLOR16 c1, COLOR16 c2) {
                    return std::clamp(int(std::lround((c0 >> 8) * w0 + (c1 >> 8) * w1 + (c2 >> 8) * w2)), 0, 255);
                };
                patch.setPixel(xx, yy, qRgb(mix(v[0]->Red, v[1]->Red, v[2]->Red), mix(v[0]->Green, v[1]->Green, v[2]->Green),
                                            mix(v[0]->Blue, v[1]->Blue, v[2]->Blue)));
            }
        }
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->drawImage(bounds.topLeft(), patch);
    }
    return TRUE;
}

// ---------------------------------------------------------------- icons

HICON CreateIconFromImage(const QImage& image)
{
    if (image.isNull())
        return nullptr;
    auto* icon = new IconObject;
    icon->image = image.convertToFormat(QImage::Format_ARGB32);
    return icon;
}

HICON CreateIconIndirect(ICONINFO* info)
{
    if (!info || !info->hbmMask)
        return nullptr;
    const QImage mask = info->hbmMask->image.convertToFormat(QImage::Format_RGB32);
    auto* icon = new IconObject;
    icon->isIcon = info->fIcon != FALSE;
    icon->xHotspot = info->xHotspot;
    icon->yHotspot = info->yHotspot;
    if (!info->hbmColor) {
        // Monochrome: the AND mask above the XOR mask.
        const int h = mask.height() / 2;
        icon->image = QImage(mask.width(), h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < mask.width(); ++x) {
                const bool andBit = qGray(mask.pixel(x, y)) >= 128;
                const bool xorBit = qGray(mask.pixel(x, y + h)) >= 128;
                icon->image.setPixel(x, y, andBit && !xorBit ? 0u : (xorBit ? 0xFFFFFFFFu : 0xFF000000u));
            }
        return icon;
    }
    HBITMAP color = info->hbmColor;
    QImage pixels = color->image.convertToFormat(QImage::Format_ARGB32);
    bool hasAlpha = false;
    if (HasAlphaBytes(color)) {
        const QImage alpha =
            PremultipliedBits(color, QRect(QPoint(0, 0), color->image.size())).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < alpha.height() && !hasAlpha; ++y)
            for (int x = 0; x < alpha.width() && !hasAlpha; ++x)
                hasAlpha = qAlpha(alpha.pixel(x, y)) != 0;
        if (hasAlpha)
            pixels = alpha;
    }
    if (!hasAlpha)
        for (int y = 0; y < pixels.height() && y < mask.height(); ++y)
            for (int x = 0; x < pixels.width() && x < mask.width(); ++x)
                if (qGray(mask.pixel(x, y)) >= 128)
                    pixels.setPixel(x, y, 0);
    icon->image = pixels;
    return icon;
}

HICON CopyIcon(HICON icon)
{
    return icon ? new IconObject(*icon) : nullptr;
}

BOOL DestroyIcon(HICON icon)
{
    if (!icon)
        return FALSE;
    delete icon;
    return TRUE;
}

BOOL GetIconInfo(HICON icon, ICONINFO* info)
{
    if (!icon || !info)
        return FALSE;
    const QImage& image = icon->image;
    info->fIcon = icon->isIcon ? TRUE : FALSE;
    info->xHotspot = icon->isIcon ? DWORD(image.width() / 2) : icon->xHotspot;
    info->yHotspot = icon->isIcon ? DWORD(image.height() / 2) : icon->yHotspot;
    info->hbmMask = CreateBitmap(image.width(), image.height(), 1, 1, nullptr);
    info->hbmColor = CreateBitmap(image.width(), image.height(), 1, 32, nullptr);
    if (!info->hbmMask || !info->hbmColor)
        return FALSE;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = image.pixel(x, y);
            info->hbmMask->image.setPixel(x, y, qAlpha(px) == 0 ? 1 : 0);
            info->hbmColor->image.setPixel(x, y, qAlpha(px) == 0 ? 0xFF000000u : (px | 0xFF000000u));
        }
    return TRUE;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT, HBRUSH flickerFreeBrush,
                UINT flags)
{
    if (!dc || !icon)
        return FALSE;
    if (width == 0)
        width = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : icon->image.width();
    if (height == 0)
        height = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CYICON) : icon->image.height();
    TGdiRecord rec = dc->MakeRecord("DrawIconEx");
    rec.Rect = RECT{x, y, x + width, y + height};
    rec.Flags = flags;
    dc->Record(rec);
    if (flickerFreeBrush) {
        RECT box{x, y, x + width, y + height};
        FillRect(dc, &box, flickerFreeBrush);
    }
    const int saveRop = dc->rop2;
    dc->rop2 = R2_COPYPEN;
    const bool ok = Begin(dc);
    dc->rop2 = saveRop;
    if (!ok)
        return TRUE;
    QImage image = icon->image;
    if ((flags & DI_NORMAL) == DI_MASK) {
        // The mask alone, ANDed: black where the icon is opaque, the picture stays elsewhere.
        QImage mask(image.size(), QImage::Format_RGB32);
        for (int yy = 0; yy < image.height(); ++yy)
            for (int xx = 0; xx < image.width(); ++xx)
                mask.setPixel(xx, yy, qAlpha(image.pixel(xx, yy)) == 0 ? 0xFFFFFFFFu : 0xFF000000u);
        image = mask;
        dc->Painter()->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    } else if ((flags & DI_NORMAL) == DI_IMAGE) {
        image = image.convertToFormat(QImage::Format_RGB32);
        dc->Painter()->setCompositionMode(QPainter::CompositionMode_Source);
    } else {
        dc->Painter()->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    const QRect target(dc->ToDevice(x, y), QSize(dc->ScaleX(width), dc->ScaleY(height)));
    if (image.size() != target.size())
        image = image.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    dc->Painter()->drawImage(target.topLeft(), image);
    return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon)
{
    return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_COMPAT | DI_DEFAULTSIZE);
}

// ---------------------------------------------------------------- painting

HDC BeginPaint(HWND window, PAINTSTRUCT* paint)
{
    if (!window || !paint)
        return nullptr;
    HDC dc = GetDC(window);
    QRegion region;
    bool erase = true;
    auto* source = dynamic_cast<IUpdateRegionSource*>(window);
    if (!source || !source->TakeUpdateRegion(&region, &erase))
        region = QRegion(0, 0, window->width(), window->height());
    dc->hasSystemClip = true;
    dc->systemClip = region;
    paint->hdc = dc;
    paint->fErase = erase ? TRUE : FALSE;
    paint->rcPaint = QRectToRect(region.boundingRect());
    return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint)
{
    if (!paint || !paint->hdc)
        return FALSE;
    ReleaseDC(window, paint->hdc);
    return TRUE;
}
