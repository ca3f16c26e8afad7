#include "WinOle.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <cstring>
#include <tiffio.h>

const GUID IID_IPicture{0x7BF80980, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
const GUID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool GUID::operator==(const GUID& o) const
{
    return Data1 == o.Data1 && Data2 == o.Data2 && Data3 == o.Data3 && std::memcmp(Data4, o.Data4, 8) == 0;
}

ULONG IUnknown::Release()
{
    const ULONG left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

// ---------------------------------------------------------------- streams

HRESULT IStream::Read(void* buffer, ULONG count, ULONG* read)
{
    if (!buffer && count)
        return STG_E_INVALIDPOINTER;
    const size_t n = pos_ < bytes_.size() ? std::min<size_t>(count, bytes_.size() - pos_) : 0;
    if (n)
        std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    if (read)
        *read = ULONG(n);
    return S_OK;
}

HRESULT IStream::Write(const void* buffer, ULONG count, ULONG* written)
{
    if (!buffer && count)
        return STG_E_INVALIDPOINTER;
    if (pos_ + count > bytes_.size())
        bytes_.resize(pos_ + count);
    if (count)
        std::memcpy(bytes_.data() + pos_, buffer, count);
    pos_ += count;
    if (written)
        *written = count;
    return S_OK;
}

HRESULT IStream::Seek(int64_t move, DWORD origin, uint64_t* newPosition)
{
    int64_t base = 0;
    switch (origin) {
    case STREAM_SEEK_SET: base = 0; break;
    case STREAM_SEEK_CUR: base = int64_t(pos_); break;
    case STREAM_SEEK_END: base = int64_t(bytes_.size()); break;
    default: return E_INVALIDARG;
    }
    const int64_t target = base + move;
    if (target < 0)
        return E_INVALIDARG;
    pos_ = size_t(target);
    if (newPosition)
        *newPosition = uint64_t(target);
    return S_OK;
}

IStream* SHCreateMemStream(const BYTE* data, UINT count)
{
    if (!data && count)
        return nullptr;
    return new IStream(std::vector<uint8_t>(data, data + count));
}

// ---------------------------------------------------------------- decoding

namespace {

constexpr int kMaxSide = 16384;
constexpr int64_t kMaxPixels = 128LL * 1024 * 1024;

bool SizeAcceptable(int w, int h)
{
    return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && int64_t(w) * h <= kMaxPixels;
}

// libtiff client procedures over a byte range.
struct TiffSource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

tsize_t TiffRead(thandle_t h, tdata_t buf, tsize_t n)
{
    auto* s = static_cast<TiffSource*>(h);
    const size_t left = s->pos < s->size ? s->size - s->pos : 0;
    const size_t k = std::min<size_t>(left, size_t(std::max<tsize_t>(n, 0)));
    if (k)
        std::memcpy(buf, s->data + s->pos, k);
    s->pos += k;
    return tsize_t(k);
}
tsize_t TiffWrite(thandle_t, tdata_t, tsize_t) { return 0; }
toff_t TiffSeek(thandle_t h, toff_t off, int whence)
{
    auto* s = static_cast<TiffSource*>(h);
    int64_t base = whence == SEEK_CUR ? int64_t(s->pos) : whence == SEEK_END ? int64_t(s->size) : 0;
    const int64_t target = base + int64_t(off);
    if (target < 0)
        return toff_t(-1);
    s->pos = size_t(target);
    return toff_t(target);
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) { return toff_t(static_cast<TiffSource*>(h)->size); }
int TiffMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void TiffUnmap(thandle_t, tdata_t, toff_t) {}
void TiffQuiet(const char*, const char*, va_list) {}

QImage DecodeTiff(const uint8_t* data, size_t size)
{
    TIFFSetErrorHandler(TiffQuiet);
    TIFFSetWarningHandler(TiffQuiet);
    TiffSource source{data, size, 0};
    TIFF* tif = TIFFClientOpen("memory", "rm", &source, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                               TiffMap, TiffUnmap);
    if (!tif)
        return QImage();
    QImage result;
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    if (w <= uint32_t(kMaxSide) && h <= uint32_t(kMaxSide) && SizeAcceptable(int(w), int(h))) {
        std::vector<uint32_t> raster(size_t(w) * h);
        if (TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0)) {
            result = QImage(int(w), int(h), QImage::Format_ARGB32);
            for (uint32_t y = 0; y < h; ++y) {
                auto* line = reinterpret_cast<QRgb*>(result.scanLine(int(y)));
                for (uint32_t x = 0; x < w; ++x) {
                    const uint32_t p = raster[size_t(y) * w + x];
                    line[x] = qRgba(int(TIFFGetR(p)), int(TIFFGetG(p)), int(TIFFGetB(p)), int(TIFFGetA(p)));
                }
            }
        }
    }
    TIFFClose(tif);
    return result;
}

// The place of the first image of a GIF in its logical screen; false when the data ends first.
bool FirstGifFrame(const uint8_t* d, size_t n, QRect& frame)
{
    if (n < 13)
        return false;
    size_t i = 13;
    if (d[10] & 0x80)
        i += size_t(3) << ((d[10] & 7) + 1);
    while (i < n) {
        if (d[i] == 0x2C) {
            if (i + 9 > n)
                return false;
            frame = QRect(d[i + 1] | (d[i + 2] << 8), d[i + 3] | (d[i + 4] << 8), d[i + 5] | (d[i + 6] << 8),
                          d[i + 7] | (d[i + 8] << 8));
            return true;
        }
        if (d[i] != 0x21 || i + 2 > n)
            return false;
        i += 2; // introducer and label, then sub-blocks up to an empty one
        while (i < n && d[i] != 0)
            i += size_t(d[i]) + 1;
        ++i;
    }
    return false;
}

} // namespace

QImage DecodePictureBytes(const uint8_t* data, size_t size, int16_t* type)
{
    if (type)
        *type = PICTYPE_NONE;
    if (!data || size < 4 || size > size_t(1) << 30)
        return QImage();
    const bool tiff = (data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
                      (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42);
    QImage image;
    if (tiff) {
        image = DecodeTiff(data, size);
    } else {
        QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setDecideFormatFromContent(true);
        const QSize s = reader.size();
        if (s.isValid() && !SizeAcceptable(s.width(), s.height()))
            return QImage();
        QImageReader::setAllocationLimit(512);
        image = reader.read();
        if (type && !image.isNull())
            *type = reader.format() == "ico" || reader.format() == "cur" ? PICTYPE_ICON : PICTYPE_BITMAP;
        // a GIF's first image, not the logical screen it stands in
        QRect frame;
        if (!image.isNull() && reader.format() == "gif" && FirstGifFrame(data, size, frame) && !frame.isEmpty() &&
            frame != image.rect() && image.rect().contains(frame))
            image = image.copy(frame);
    }
    if (image.isNull() || !SizeAcceptable(image.width(), image.height()))
        return QImage();
    if (type && *type == PICTYPE_NONE)
        *type = PICTYPE_BITMAP;
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// ---------------------------------------------------------------- pictures

namespace {
LONG PixelsToHimetric(int pixels)
{
    return MulDiv(pixels, 2540, 96);
}
} // namespace

HRESULT IPicture::get_Width(OLE_XSIZE_HIMETRIC* width) const
{
    if (!width)
        return E_POINTER;
    *width = PixelsToHimetric(image_.width());
    return S_OK;
}

HRESULT IPicture::get_Height(OLE_YSIZE_HIMETRIC* height) const
{
    if (!height)
        return E_POINTER;
    *height = PixelsToHimetric(image_.height());
    return S_OK;
}

HRESULT IPicture::get_Type(int16_t* type) const
{
    if (!type)
        return E_POINTER;
    *type = type_;
    return S_OK;
}

HRESULT IPicture::Render(HDC dc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc, OLE_YPOS_HIMETRIC ySrc,
                         OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc, const RECT* bounds)
{
    (void)bounds;
    if (!dc)
        return E_INVALIDARG;
    if (cx == 0 || cy == 0 || cxSrc == 0 || cySrc == 0 || image_.isNull())
        return S_OK;
    TGdiRecord rec = dc->MakeRecord("RenderPicture");
    rec.Rect = RECT{std::min(x, x + cx), std::min(y, y + cy), std::max(x, x + cx), std::max(y, y + cy)};
    dc->Record(rec);
    // source in pixels, top-down
    const double sx0 = std::min(xSrc, xSrc + cxSrc) * 96.0 / 2540.0;
    const double sw = std::abs(cxSrc) * 96.0 / 2540.0;
    const double sh = std::abs(cySrc) * 96.0 / 2540.0;
    const double ySrcTop = std::max(ySrc, ySrc + cySrc); // HIMETRIC y runs upwards from the bottom
    const double sy0 = image_.height() - ySrcTop * 96.0 / 2540.0;
    const bool flipV = !((cy < 0) != (cySrc < 0));
    const bool flipH = (cx < 0) != (cxSrc < 0);
    const QRect source = QRect(int(std::lround(sx0)), int(std::lround(sy0)), std::max(1, int(std::lround(sw))),
                               std::max(1, int(std::lround(sh))))
                             .intersected(image_.rect());
    if (source.isEmpty())
        return S_OK;
    QImage part = image_.copy(source);
    if (flipV || flipH)
        part = part.mirrored(flipH, flipV);
    QPainter* p = BeginGdiPaint(dc);
    if (!p)
        return S_OK;
    const QPoint tl = dc->ToDevice(rec.Rect.left, rec.Rect.top);
    const QPoint br = dc->ToDevice(rec.Rect.right, rec.Rect.bottom);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setRenderHint(QPainter::SmoothPixmapTransform, true);
    p->drawImage(QRect(tl, br - QPoint(1, 1)), part);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    dc->Flush();
    return S_OK;
}

HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL runMode, REFIID riid, void** picture)
{
    (void)runMode;
    if (!picture)
        return E_POINTER;
    *picture = nullptr;
    if (!stream)
        return E_POINTER;
    if (!(riid == IID_IPicture) && !(riid == IID_IUnknown))
        return E_NOINTERFACE;
    uint64_t start = 0;
    stream->Seek(0, STREAM_SEEK_CUR, &start);
    const uint64_t available = stream->Size() > start ? stream->Size() - start : 0;
    const uint64_t n = size > 0 ? std::min<uint64_t>(uint64_t(size), available) : available;
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    ULONG read = 0;
    stream->Read(bytes.data(), ULONG(n), &read);
    int16_t type = PICTYPE_NONE;
    QImage image = DecodePictureBytes(bytes.data(), read, &type);
    if (image.isNull())
        return CTL_E_INVALIDPICTURE;
    *picture = new IPicture(std::move(image), type);
    return S_OK;
}
