#include "platform/framework/Graphics.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>

TColor ColorToRGB(TColor color)
{
    if (color < 0)
        return TColor(GetSysColor(color & 0xFF));
    return color;
}

COLORREF ColorToColorRef(TColor color)
{
    // clNone and clDefault reach a device as their low three bytes (white and black)
    return COLORREF(ColorToRGB(color)) & 0xFFFFFF;
}

namespace {

template <class H>
void Retire(H& handle, std::vector<H>& retired)
{
    if (handle && !DeleteObject(handle))
        retired.push_back(handle); // still selected somewhere: freed once it is not
    handle = nullptr;
}

template <class H>
void Sweep(std::vector<H>& retired, bool force = false)
{
    retired.erase(std::remove_if(retired.begin(), retired.end(),
                                 [force](H h) {
                                     if (force)
                                         h->selectCount = 0;
                                     return DeleteObject(h) != FALSE;
                                 }),
                  retired.end());
}

bool SameLogFont(const LOGFONT& a, const LOGFONT& b)
{
    return std::memcmp(&a, &b, sizeof(LOGFONT)) == 0;
}

} // namespace

// ---------------------------------------------------------------- TFont

TFont::TFont() = default;

TFont::~TFont()
{
    Retire(handle_, retired_);
    Sweep(retired_, true);
}

void TFont::Assign(TPersistent* source)
{
    if (auto* f = dynamic_cast<TFont*>(source)) {
        Name = f->Name;
        Color = f->Color;
        Style = f->Style;
        Height = f->Height;
        Charset = f->Charset;
        Pitch = f->Pitch;
        Orientation = f->Orientation;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

int TFont::Size() const
{
    return -MulDiv(Height, 72, 96);
}

void TFont::SetSize(int points)
{
    Height = -MulDiv(points, 96, 72);
}

void TFont::Changed()
{
    if (OnChange)
        OnChange(this);
}

LOGFONT TFont::Describe() const
{
    LOGFONT lf;
    lf.lfHeight = Height;
    lf.lfEscapement = Orientation;
    lf.lfOrientation = Orientation;
    lf.lfWeight = Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = Style.Contains(fsItalic);
    lf.lfUnderline = Style.Contains(fsUnderline);
    lf.lfStrikeOut = Style.Contains(fsStrikeOut);
    lf.lfCharSet = Charset;
    lf.lfPitchAndFamily = Pitch == fpFixed ? FIXED_PITCH : Pitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    std::strncpy(lf.lfFaceName, Name.c_str(), LF_FACESIZE - 1);
    return lf;
}

HFONT TFont::Handle()
{
    Sweep(retired_);
    const LOGFONT wanted = Describe();
    if (handle_ && SameLogFont(wanted, made_))
        return handle_;
    Retire(handle_, retired_);
    handle_ = CreateFontIndirect(&wanted);
    made_ = wanted;
    return handle_;
}

// ---------------------------------------------------------------- TPen

TPen::~TPen()
{
    Retire(handle_, retired_);
    Sweep(retired_, true);
}

void TPen::Assign(TPersistent* source)
{
    if (auto* p = dynamic_cast<TPen*>(source)) {
        Color = p->Color;
        Width = p->Width;
        Style = p->Style;
        Mode = p->Mode;
        return;
    }
    TPersistent::Assign(source);
}

HPEN TPen::Handle()
{
    Sweep(retired_);
    static const UINT styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    LOGPEN wanted;
    wanted.lopnStyle = styles[std::clamp(int(Style), 0, 6)];
    wanted.lopnWidth = POINT{std::max(0, Width), 0};
    wanted.lopnColor = ColorToColorRef(Color);
    if (handle_ && wanted.lopnStyle == made_.lopnStyle && wanted.lopnWidth.x == made_.lopnWidth.x &&
        wanted.lopnColor == made_.lopnColor)
        return handle_;
    Retire(handle_, retired_);
    handle_ = CreatePenIndirect(&wanted);
    made_ = wanted;
    return handle_;
}

// ---------------------------------------------------------------- TBrush

TBrush::~TBrush()
{
    Retire(handle_, retired_);
    Sweep(retired_, true);
}

void TBrush::Assign(TPersistent* source)
{
    if (auto* b = dynamic_cast<TBrush*>(source)) {
        Color = b->Color;
        Style = b->Style;
        Bitmap = b->Bitmap;
        return;
    }
    TPersistent::Assign(source);
}

HBRUSH TBrush::Handle()
{
    Sweep(retired_);
    LOGBRUSH wanted;
    wanted.lbColor = ColorToColorRef(Color);
    switch (Style) {
    case bsClear: wanted.lbStyle = BS_NULL; break;
    case bsSolid: wanted.lbStyle = BS_SOLID; break;
    default:
        wanted.lbStyle = BS_HATCHED;
        wanted.lbHatch = int(Style) - int(bsHorizontal);
        break;
    }
    if (Bitmap)
        wanted.lbStyle = BS_PATTERN;
    if (handle_ && wanted.lbStyle == made_.lbStyle && wanted.lbColor == made_.lbColor &&
        wanted.lbHatch == made_.lbHatch && Bitmap == madeBitmap_ && !Bitmap)
        return handle_;
    Retire(handle_, retired_);
    handle_ = Bitmap ? CreatePatternBrush(Bitmap->Handle()) : CreateBrushIndirect(&wanted);
    made_ = wanted;
    madeBitmap_ = Bitmap;
    return handle_;
}

// ---------------------------------------------------------------- TCanvas

TCanvas::TCanvas() = default;

TCanvas::~TCanvas()
{
    SetHandle(nullptr);
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == dc_)
        return;
    Refresh();
    dc_ = dc;
}

void TCanvas::Refresh()
{
    if (!dc_)
        return;
    if (oldPen_)
        SelectObject(dc_, oldPen_);
    if (oldBrush_)
        SelectObject(dc_, oldBrush_);
    if (oldFont_)
        SelectObject(dc_, oldFont_);
    oldPen_ = oldBrush_ = oldFont_ = nullptr;
}

void TCanvas::RequiredState()
{
    if (!dc_ && AcquireHandle)
        dc_ = AcquireHandle();
    if (!dc_)
        return;
    HGDIOBJ p = SelectObject(dc_, Pen->Handle());
    HGDIOBJ b = SelectObject(dc_, Brush->Handle());
    HGDIOBJ f = SelectObject(dc_, Font->Handle());
    if (!oldPen_)
        oldPen_ = p;
    if (!oldBrush_)
        oldBrush_ = b;
    if (!oldFont_)
        oldFont_ = f;
    ::SetTextColor(dc_, ColorToColorRef(Font->Color));
    ::SetBkColor(dc_, ColorToColorRef(Brush->Color));
    ::SetBkMode(dc_, Brush->Style == bsClear ? TRANSPARENT : OPAQUE);
    static const int rops[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN, R2_MERGEPENNOT,
                               R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
                               R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN, R2_NOTXORPEN};
    ::SetROP2(dc_, rops[std::clamp(int(Pen->Mode), 0, 15)]);
}

TPoint TCanvas::PenPos() const
{
    return dc_ ? TPoint(dc_->current) : TPoint();
}

void TCanvas::MoveTo(int x, int y)
{
    RequiredState();
    if (dc_)
        ::MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    RequiredState();
    if (dc_)
        ::LineTo(dc_, x, y);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    RequiredState();
    if (dc_)
        ::Rectangle(dc_, left, top, right, bottom);
}

void TCanvas::FillRect(const TRect& r)
{
    RequiredState();
    if (!dc_)
        return;
    const RECT rr = r;
    ::FillRect(dc_, &rr, Brush->Handle());
}

void TCanvas::FrameRect(const TRect& r)
{
    RequiredState();
    if (!dc_)
        return;
    const RECT rr = r;
    ::FrameRect(dc_, &rr, Brush->Handle());
}

void TCanvas::Ellipse(int left, int top, int right, int bottom)
{
    RequiredState();
    if (dc_)
        ::Ellipse(dc_, left, top, right, bottom);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int width, int height)
{
    RequiredState();
    if (dc_)
        ::RoundRect(dc_, left, top, right, bottom, width, height);
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    RequiredState();
    if (!dc_ || points.empty())
        return;
    std::vector<POINT> p(points.begin(), points.end());
    ::Polygon(dc_, p.data(), int(p.size()));
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    RequiredState();
    if (!dc_ || points.empty())
        return;
    std::vector<POINT> p(points.begin(), points.end());
    ::Polyline(dc_, p.data(), int(p.size()));
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    RequiredState();
    if (!dc_)
        return;
    const RECT rr = r;
    ::DrawFocusRect(dc_, &rr);
}

void TCanvas::TextOut(int x, int y, const String& text)
{
    RequiredState();
    if (dc_)
        ::TextOut(dc_, x, y, text.c_str(), int(text.size()));
}

void TCanvas::TextRect(const TRect& r, int x, int y, const String& text)
{
    RequiredState();
    if (!dc_)
        return;
    const RECT rr = r;
    ::ExtTextOut(dc_, x, y, ETO_CLIPPED | (Brush->Style != bsClear ? ETO_OPAQUE : 0), &rr, text.c_str(),
                 UINT(text.size()), nullptr);
}

TSize TCanvas::TextExtent(const String& text)
{
    RequiredState();
    SIZE s{};
    if (dc_)
        ::GetTextExtentPoint32(dc_, text.c_str(), int(text.size()), &s);
    return TSize{s.cx, s.cy};
}

int TCanvas::TextWidth(const String& text)
{
    return TextExtent(text).cx;
}

int TCanvas::TextHeight(const String& text)
{
    return TextExtent(text).cy;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (graphic && !graphic->Empty())
        graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic)
{
    if (graphic && !graphic->Empty())
        graphic->Draw(this, r);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect)
{
    RequiredState();
    if (!dc_ || !source || !source->Handle())
        return;
    ::StretchBlt(dc_, dest.Left, dest.Top, dest.Width(), dest.Height(), source->Handle(), sourceRect.Left,
                 sourceRect.Top, sourceRect.Width(), sourceRect.Height(), CopyMode);
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color)
{
    RequiredState();
    if (!dc_ || !bitmap)
        return;
    QImage part = bitmap->Image().copy(source.Left, source.Top, source.Width(), source.Height())
                      .convertToFormat(QImage::Format_RGB32);
    const QRgb key = ColorRefToQColor(ColorToColorRef(color)).rgb() & 0xFFFFFF;
    const QRgb fill = ColorRefToQColor(ColorToColorRef(Brush->Color)).rgb();
    for (int y = 0; y < part.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
        for (int x = 0; x < part.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = fill;
    }
    TBitmap temp;
    temp.SetImage(part);
    ::StretchBlt(dc_, dest.Left, dest.Top, dest.Width(), dest.Height(), temp.Canvas()->Handle(), 0, 0, part.width(),
                 part.height(), SRCCOPY);
}

TColor TCanvas::Pixels(int x, int y)
{
    if (!dc_)
        return clNone;
    const COLORREF c = ::GetPixel(dc_, x, y);
    return c == CLR_INVALID ? TColor(-1) : TColor(c);
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    RequiredState();
    if (dc_)
        ::SetPixel(dc_, x, y, ColorToColorRef(color));
}

TRect TCanvas::ClipRect() const
{
    RECT r{};
    if (dc_)
        ::GetClipBox(dc_, &r);
    return TRect(r);
}

// ---------------------------------------------------------------- TBitmap

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    canvas_.reset();
    if (dc_) {
        Deselect();
        DeleteDC(dc_);
    }
    if (placeholder_)
        DeleteObject(placeholder_);
    if (bitmap_)
        DeleteObject(bitmap_);
}

void TBitmap::Deselect()
{
    if (!dc_)
        return;
    if (canvas_)
        canvas_->Refresh();
    if (!placeholder_)
        placeholder_ = CreateBitmap(1, 1, 1, 1, nullptr);
    SelectObject(dc_, placeholder_);
}

int TBitmap::Width() const
{
    return bitmap_ ? bitmap_->image.width() : 0;
}

int TBitmap::Height() const
{
    return bitmap_ ? bitmap_->image.height() : 0;
}

TCanvas* TBitmap::Canvas()
{
    if (!canvas_) {
        canvas_ = std::make_unique<TCanvas>();
        dc_ = CreateCompatibleDC(nullptr);
        if (bitmap_)
            SelectObject(dc_, bitmap_);
        canvas_->SetHandle(dc_);
    }
    return canvas_.get();
}

HBITMAP TBitmap::Handle()
{
    if (!bitmap_)
        SetSize(1, 1);
    if (dc_)
        dc_->Flush();
    return bitmap_;
}

const QImage& TBitmap::Image()
{
    static const QImage empty;
    if (dc_)
        dc_->Flush();
    return bitmap_ ? bitmap_->image : empty;
}

uint8_t* TBitmap::ScanLine(int row)
{
    if (dc_)
        dc_->Flush();
    if (!bitmap_ || row < 0 || row >= bitmap_->image.height() || bitmap_->image.depth() != 32)
        return nullptr;
    return bitmap_->image.scanLine(row);
}

void TBitmap::SetImage(const QImage& image)
{
    Deselect(); // the context's painter must let go of the old pixels
    if (bitmap_)
        DeleteObject(bitmap_);
    bitmap_ = nullptr;
    if (image.isNull())
        return;
    bitmap_ = CreateBitmap(1, 1, 1, 32, nullptr);
    bitmap_->image = image.convertToFormat(QImage::Format_RGB32);
    if (dc_)
        SelectObject(dc_, bitmap_);
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (bitmap_ && Width() == width && Height() == height)
        return;
    if (width == 0 || height == 0) {
        SetImage(QImage());
        return;
    }
    QImage fresh(width, height, QImage::Format_RGB32);
    fresh.fill(Qt::white);
    if (bitmap_) {
        const QImage old = Image();
        QPainter p(&fresh);
        p.drawImage(0, 0, old);
    }
    SetImage(fresh);
}

TColor TBitmap::TransparentColor()
{
    if (transparentColor_ != clDefault)
        return transparentColor_;
    const QImage& image = Image();
    if (image.isNull())
        return clNone;
    return TColor(QColorToColorRef(image.pixelColor(0, image.height() - 1)));
}

void TBitmap::Assign(TPersistent* source)
{
    if (auto* b = dynamic_cast<TBitmap*>(source)) {
        if (b == this)
            return;
        if (b->Empty())
            SetSize(0, 0);
        else
            SetImage(b->Image());
        Transparent = b->Transparent;
        transparentColor_ = b->transparentColor_;
        PixelFormat = b->PixelFormat;
        Monochrome = b->Monochrome;
        return;
    }
    TPersistent::Assign(source);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r)
{
    if (!canvas || !canvas->Handle() || Empty())
        return;
    Canvas();
    canvas->RequiredState();
    if (Transparent)
        ::TransparentBlt(canvas->Handle(), r.Left, r.Top, r.Width(), r.Height(), dc_, 0, 0, Width(), Height(),
                         ColorToColorRef(TransparentColor()));
    else
        ::StretchBlt(canvas->Handle(), r.Left, r.Top, r.Width(), r.Height(), dc_, 0, 0, Width(), Height(),
                     canvas->CopyMode);
}

void TBitmap::LoadFromFile(const String& fileName)
{
    QImageReader reader(ToQString(fileName));
    const QImage image = reader.read();
    if (image.isNull())
        throw EInvalidGraphic("Bitmap image is not valid");
    SetImage(image);
}

void TBitmap::SaveToFile(const String& fileName)
{
    if (!Image().save(ToQString(fileName), "BMP"))
        throw EInvalidGraphic("Cannot save " + fileName);
}

// ---------------------------------------------------------------- TPicture

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Assign(TPersistent* source)
{
    if (auto* p = dynamic_cast<TPicture*>(source)) {
        SetGraphic(p->Graphic());
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(source)) {
        SetGraphic(g);
        return;
    }
    if (!source) {
        SetGraphic(nullptr);
        return;
    }
    TPersistent::Assign(source);
}

void TPicture::SetGraphic(TGraphic* graphic)
{
    if (!graphic) {
        graphic_.reset();
    } else if (graphic != graphic_.get()) {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(graphic);
        graphic_ = std::move(copy);
    }
    if (OnChange)
        OnChange(this);
}

TBitmap* TPicture::Bitmap()
{
    auto* b = dynamic_cast<TBitmap*>(graphic_.get());
    if (!b) {
        graphic_ = std::make_unique<TBitmap>();
        b = static_cast<TBitmap*>(graphic_.get());
    }
    return b;
}

void TPicture::LoadFromFile(const String& fileName)
{
    auto b = std::make_unique<TBitmap>();
    b->LoadFromFile(fileName);
    graphic_ = std::move(b);
    if (OnChange)
        OnChange(this);
}

void TPicture::SaveToFile(const String& fileName)
{
    if (graphic_)
        graphic_->SaveToFile(fileName);
}

// ---------------------------------------------------------------- streaming

namespace {

QByteArray RestOf(TStream* stream)
{
    QByteArray bytes;
    if (!stream)
        return bytes;
    const int64_t rest = stream->Size() - stream->Position();
    if (rest > 0) {
        bytes.resize(qsizetype(rest));
        stream->ReadBuffer(bytes.data(), long(rest));
    }
    return bytes;
}

void Write(TStream* stream, const QByteArray& bytes)
{
    if (stream && !bytes.isEmpty())
        stream->WriteBuffer(bytes.constData(), long(bytes.size()));
}

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

void TGraphic::LoadFromStream(TStream* stream)
{
    QTemporaryDir dir;
    const String path = FromQString(dir.filePath("graphic"));
    const QByteArray bytes = RestOf(stream);
    {
        TFileStream file(path, fmCreate);
        Write(&file, bytes);
    }
    LoadFromFile(path);
}

void TGraphic::SaveToStream(TStream* stream)
{
    QTemporaryDir dir;
    const String path = FromQString(dir.filePath("graphic"));
    SaveToFile(path);
    TMemoryStream file;
    file.LoadFromFile(path);
    file.SaveToStream(stream);
}

void TBitmap::LoadFromStream(TStream* stream)
{
    const QImage image = QImage::fromData(RestOf(stream));
    if (image.isNull())
        throw EInvalidGraphic("Bitmap image is not valid");
    SetImage(image);
}

void TBitmap::SaveToStream(TStream* stream)
{
    Write(stream, Encoded(Image(), "BMP"));
}

// ---------------------------------------------------------------- TIcon

TIcon::~TIcon()
{
    DestroyIcon(handle_);
}

void TIcon::Assign(TPersistent* source)
{
    if (auto* icon = dynamic_cast<TIcon*>(source)) {
        SetHandle(CopyIcon(icon->Handle()));
        return;
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        SetHandle(CreateIconFromImage(bitmap->Image()));
        return;
    }
    TGraphic::Assign(source);
}

int TIcon::Width() const { return handle_ ? handle_->image.width() : 0; }
int TIcon::Height() const { return handle_ ? handle_->image.height() : 0; }

void TIcon::Draw(TCanvas* canvas, const TRect& r)
{
    if (!canvas || !canvas->Handle() || !handle_)
        return;
    canvas->RequiredState();
    DrawIconEx(canvas->Handle(), r.Left, r.Top, handle_, r.Width(), r.Height(), 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromFile(const String& fileName)
{
    QImageReader reader(ToQString(fileName));
    const QImage image = reader.read();
    if (image.isNull())
        throw EInvalidGraphic("Icon image is not valid");
    SetHandle(CreateIconFromImage(image));
}

void TIcon::SaveToFile(const String& fileName)
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}

void TIcon::LoadFromStream(TStream* stream)
{
    const QImage image = QImage::fromData(RestOf(stream));
    if (image.isNull())
        throw EInvalidGraphic("Icon image is not valid");
    SetHandle(CreateIconFromImage(image));
}

void TIcon::SaveToStream(TStream* stream)
{
    if (handle_)
        Write(stream, Encoded(handle_->image, "ICO"));
}

void TIcon::SetHandle(HICON icon)
{
    if (icon == handle_)
        return;
    DestroyIcon(handle_);
    handle_ = icon;
    if (OnChange)
        OnChange(this);
}

HICON TIcon::ReleaseHandle()
{
    HICON icon = handle_;
    handle_ = nullptr;
    return icon;
}

std::vector<int> TextPrefixAdvances(TFont* font, const String& text)
{
    const QFontMetrics metrics(font->Handle()->QtFont());
    const QString q = ToQString(text);
    std::vector<int> advances(size_t(q.size()) + 1, 0);
    for (qsizetype i = 1; i <= q.size(); ++i)
        advances[size_t(i)] = metrics.horizontalAdvance(q.left(i));
    return advances;
}
