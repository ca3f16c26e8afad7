#include "platform/win/WinBitmap.h"
#include "platform/win/WinGdi.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Pixel cap for every bitmap made here: 2^28 pixels (1 GiB at 32 bits).
constexpr std::int64_t kMaxPixels = std::int64_t(1) << 28;

bool SizeAcceptable(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxPixels && height <= kMaxPixels &&
           width * height <= kMaxPixels;
}

int ColourTableCount(const BITMAPINFOHEADER& h)
{
    if (h.biBitCount > 8)
        return 0;
    const int full = 1 << h.biBitCount;
    if (h.biClrUsed == 0 || h.biClrUsed > DWORD(full))
        return full;
    return int(h.biClrUsed);
}

// The shift that puts the top bit of the mask's lowest run of set bits on bit 7, and the
// width of that run.
void MaskShift(DWORD mask, int& shift, int& bits)
{
    shift = 0;
    bits = 0;
    if (mask == 0)
        return;
    int low = 0;
    while (!(mask & (DWORD(1) << low)))
        ++low;
    int high = low;
    while (high < 31 && (mask & (DWORD(1) << (high + 1))))
        ++high;
    shift = high - 7;
    bits = high - low + 1;
}

BYTE MaskChannel(DWORD value, DWORD mask, int shift)
{
    const DWORD v = value & mask;
    return BYTE(shift >= 0 ? (v >> shift) : (v << -shift));
}

} // namespace

int GdiObject::describe(int, void*) const
{
    return 0;
}

int BitmapObject::describe(int size, void* out) const
{
    if (!out)
        return int(sizeof(BITMAP));
    if (size < int(sizeof(BITMAP)))
        return 0;
    BITMAP bm{};
    bm.bmType = 0;
    bm.bmWidth = image.width();
    bm.bmHeight = image.height();
    bm.bmWidthBytes = LONG(((std::int64_t(image.width()) * bitsPixel + 15) / 16) * 2);
    bm.bmPlanes = WORD(planes);
    bm.bmBitsPixel = WORD(bitsPixel);
    bm.bmBits = dibSection_ ? const_cast<BYTE*>(dibBits_.data()) : nullptr;
    std::memcpy(out, &bm, sizeof bm);
    return int(sizeof bm);
}

int PaletteObject::describe(int size, void* out) const
{
    if (!out)
        return int(sizeof(WORD));
    if (size < int(sizeof(WORD)))
        return 0;
    const WORD count = WORD(entries.size());
    std::memcpy(out, &count, sizeof count);
    return int(sizeof count);
}

QImage DibToImage(const BITMAPINFOHEADER* header, const void* bits, const RGBQUAD* colours,
                  const DWORD* masks)
{
    if (!header || !bits)
        return {};
    const BITMAPINFOHEADER& h = *header;
    const std::int64_t width = h.biWidth;
    const std::int64_t height = h.biHeight < 0 ? -std::int64_t(h.biHeight) : h.biHeight;
    if (!SizeAcceptable(width, height))
        return {};
    const int bpp = h.biBitCount;
    const bool bitfields = h.biCompression == BI_BITFIELDS;
    if (h.biCompression != BI_RGB && !(bitfields && (bpp == 16 || bpp == 32)))
        return {};
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return {};
    if (bpp <= 8 && !colours)
        return {};
    if (bitfields && !masks)
        return {};

    DWORD rMask = 0x7C00, gMask = 0x03E0, bMask = 0x001F;
    if (bitfields) {
        rMask = masks[0];
        gMask = masks[1];
        bMask = masks[2];
    } else if (bpp == 32) {
        rMask = 0xFF0000;
        gMask = 0xFF00;
        bMask = 0xFF;
    }
    int rShift, gShift, bShift, dummy;
    MaskShift(rMask, rShift, dummy);
    MaskShift(gMask, gShift, dummy);
    MaskShift(bMask, bShift, dummy);

    const int tableCount = ColourTableCount(h);
    auto colour = [&](int index) -> QRgb {
        if (index >= tableCount)
            index = 0;
        const RGBQUAD& q = colours[index];
        return qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
    };

    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const std::int64_t stride = DibRowBytes(width, bpp);
    const BYTE* base = static_cast<const BYTE*>(bits);
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t fileRow = h.biHeight < 0 ? y : height - 1 - y;
        const BYTE* row = base + fileRow * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (std::int64_t x = 0; x < width; ++x) {
            switch (bpp) {
            case 1:
                out[x] = colour((row[x / 8] >> (7 - x % 8)) & 1);
                break;
            case 4:
                out[x] = colour(x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4);
                break;
            case 8:
                out[x] = colour(row[x]);
                break;
            case 16: {
                const DWORD w = DWORD(row[2 * x]) | DWORD(row[2 * x + 1]) << 8;
                out[x] = qRgb(MaskChannel(w, rMask, rShift), MaskChannel(w, gMask, gShift),
                              MaskChannel(w, bMask, bShift));
                break;
            }
            case 24:
                out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                break;
            case 32: {
                const BYTE* p = row + 4 * x;
                const DWORD v = DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 |
                                DWORD(p[3]) << 24;
                out[x] = qRgb(MaskChannel(v, rMask, rShift), MaskChannel(v, gMask, gShift),
                              MaskChannel(v, bMask, bShift));
                break;
            }
            }
        }
    }
    return image;
}

namespace {

// The colour table follows the header, whatever size the header declares.
const RGBQUAD* InfoColours(const BITMAPINFO* info)
{
    return reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) +
                                            info->bmiHeader.biSize);
}

const DWORD* InfoMasks(const BITMAPINFO* info)
{
    if (info->bmiHeader.biCompression != BI_BITFIELDS)
        return nullptr;
    return reinterpret_cast<const DWORD*>(reinterpret_cast<const BYTE*>(info) +
                                          info->bmiHeader.biSize);
}

// Writes the rows [start, start + lines) of `image` in DIB layout of the given depth.
int WriteDibRows(const QImage& source, UINT start, UINT lines, void* bits,
                 const BITMAPINFOHEADER& h)
{
    const std::int64_t width = source.width();
    const std::int64_t height = source.height();
    const int bpp = h.biBitCount;
    const std::int64_t stride = DibRowBytes(width, bpp);
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    BYTE* base = static_cast<BYTE*>(bits);
    int written = 0;
    for (std::int64_t r = start; r < std::int64_t(start) + lines && r < height; ++r) {
        const std::int64_t imageRow = h.biHeight < 0 ? r : height - 1 - r;
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(int(imageRow)));
        BYTE* out = base + (r - start) * stride;
        std::memset(out, 0, size_t(stride));
        for (std::int64_t x = 0; x < width; ++x) {
            const QRgb c = in[x];
            switch (bpp) {
            case 1:
                if (qGray(c) >= 128)
                    out[x / 8] |= BYTE(0x80 >> (x % 8));
                break;
            case 24:
                out[3 * x] = BYTE(qBlue(c));
                out[3 * x + 1] = BYTE(qGreen(c));
                out[3 * x + 2] = BYTE(qRed(c));
                break;
            case 32:
                out[4 * x] = BYTE(qBlue(c));
                out[4 * x + 1] = BYTE(qGreen(c));
                out[4 * x + 2] = BYTE(qRed(c));
                out[4 * x + 3] = 0;
                break;
            }
        }
        ++written;
    }
    return written;
}

} // namespace

BitmapObject* NewDibSection(const BITMAPINFO* info)
{
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const std::int64_t width = h.biWidth;
    const std::int64_t height = h.biHeight < 0 ? -std::int64_t(h.biHeight) : h.biHeight;
    if (!SizeAcceptable(width, height))
        return nullptr;
    const int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return nullptr;
    auto bitmap = std::make_unique<BitmapObject>();
    bitmap->dibSection_ = true;
    bitmap->dibHeader_ = h;
    bitmap->dibHeader_.biSizeImage = DWORD(DibRowBytes(width, bpp) * height);
    const int count = ColourTableCount(h);
    const RGBQUAD* colours = InfoColours(info);
    bitmap->dibColours_.assign(colours, colours + count);
    if (h.biCompression == BI_BITFIELDS) {
        const DWORD* masks = InfoMasks(info);
        const auto* q = reinterpret_cast<const RGBQUAD*>(masks);
        bitmap->dibColours_.assign(q, q + 3);
    }
    bitmap->dibBits_.assign(size_t(DibRowBytes(width, bpp) * height), 0);
    bitmap->bitsPixel = bpp;
    bitmap->BitsChanged();
    if (bitmap->image.isNull())
        return nullptr;
    return bitmap.release();
}

void BitmapObject::BitsChanged()
{
    if (!dibSection_)
        return;
    const DWORD* masks = dibHeader_.biCompression == BI_BITFIELDS
                             ? reinterpret_cast<const DWORD*>(dibColours_.data())
                             : nullptr;
    image = DibToImage(&dibHeader_, dibBits_.data(), dibColours_.data(), masks);
}

void BitmapObject::ImageChanged()
{
    if (!dibSection_ || image.isNull())
        return;
    if (dibHeader_.biBitCount == 24 || dibHeader_.biBitCount == 32 || dibHeader_.biBitCount == 1)
        WriteDibRows(image, 0, UINT(image.height()), dibBits_.data(), dibHeader_);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    if (!SizeAcceptable(width, height))
        return nullptr;
    const UINT depth = planes * bitsPerPixel;
    auto bitmap = std::make_unique<BitmapObject>();
    bitmap->bitsPixel = int(depth);
    if (depth == 1) {
        bitmap->image = QImage(width, height, QImage::Format_Mono);
        if (bitmap->image.isNull())
            return nullptr;
        bitmap->image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        bitmap->image.fill(0);
        if (bits) {
            const std::int64_t stride = ((std::int64_t(width) + 15) / 16) * 2;
            for (int y = 0; y < height; ++y)
                std::memcpy(bitmap->image.scanLine(y),
                            static_cast<const BYTE*>(bits) + y * stride, size_t((width + 7) / 8));
        }
        return bitmap.release();
    }
    bitmap->image = QImage(width, height, QImage::Format_RGB32);
    if (bitmap->image.isNull())
        return nullptr;
    bitmap->image.fill(qRgb(0, 0, 0));
    if (bits && (depth == 16 || depth == 24 || depth == 32)) {
        const std::int64_t stride = ((std::int64_t(width) * depth + 15) / 16) * 2;
        for (int y = 0; y < height; ++y) {
            const BYTE* row = static_cast<const BYTE*>(bits) + y * stride;
            auto* out = reinterpret_cast<QRgb*>(bitmap->image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                if (depth == 16) {
                    const unsigned w = row[2 * x] | row[2 * x + 1] << 8;
                    out[x] = qRgb((w >> 7) & 0xF8, (w >> 2) & 0xF8, (w << 3) & 0xF8);
                } else {
                    const BYTE* p = row + x * (depth / 8);
                    out[x] = qRgb(p[2], p[1], p[0]);
                }
            }
        }
    }
    return bitmap.release();
}

HBITMAP CreateDIBitmap(HDC, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT)
{
    if (!header)
        return nullptr;
    const std::int64_t width = header->biWidth;
    const std::int64_t height = header->biHeight < 0 ? -std::int64_t(header->biHeight)
                                                     : header->biHeight;
    if (!SizeAcceptable(width, height))
        return nullptr;
    auto bitmap = std::make_unique<BitmapObject>();
    bitmap->bitsPixel = 32;
    if ((init & CBM_INIT) && bits && info) {
        bitmap->image = DibToImage(&info->bmiHeader, bits, InfoColours(info), InfoMasks(info));
        if (bitmap->image.isNull())
            return nullptr;
        if (bitmap->image.width() != width || bitmap->image.height() != height)
            bitmap->image = bitmap->image.copy(0, 0, int(width), int(height));
        return bitmap.release();
    }
    bitmap->image = QImage(int(width), int(height), QImage::Format_RGB32);
    if (bitmap->image.isNull())
        return nullptr;
    bitmap->image.fill(qRgb(0, 0, 0));
    return bitmap.release();
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT, void** bits, void*, DWORD)
{
    if (bits)
        *bits = nullptr;
    if (!info)
        return nullptr;
    BitmapObject* bitmap = NewDibSection(info);
    if (bitmap && bits)
        *bits = bitmap->dibBits();
    return bitmap;
}

int GetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT)
{
    if (!bitmap || !info || bitmap->image.isNull())
        return 0;
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER))
        return 0;
    const int width = bitmap->image.width();
    const int height = bitmap->image.height();
    if (h.biBitCount == 0) {
        // Header query: describe the bitmap as it is.
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = WORD(bitmap->bitsPixel == 1 ? 1 : 32);
        h.biCompression = BI_RGB;
        h.biSizeImage = DWORD(DibRowBytes(width, h.biBitCount) * height);
        h.biClrUsed = 0;
        h.biClrImportant = 0;
        return 1;
    }
    if (h.biBitCount != 1 && h.biBitCount != 24 && h.biBitCount != 32)
        return 0;
    if (h.biCompression != BI_RGB)
        return 0;
    h.biWidth = width;
    if (h.biHeight == 0)
        h.biHeight = height;
    h.biPlanes = 1;
    h.biSizeImage = DWORD(DibRowBytes(width, h.biBitCount) * height);
    if (h.biBitCount == 1) {
        auto* table = const_cast<RGBQUAD*>(InfoColours(info));
        table[0] = RGBQUAD{0, 0, 0, 0};
        table[1] = RGBQUAD{255, 255, 255, 0};
    }
    if (!bits)
        return 1;
    BITMAPINFOHEADER rows = h;
    rows.biHeight = h.biHeight < 0 ? -height : height;
    return WriteDibRows(bitmap->image, start, lines, bits, rows);
}

int SetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT)
{
    if (!bitmap || !info || !bits || bitmap->image.isNull())
        return 0;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const QImage rows = DibToImage(&h, bits, InfoColours(info), InfoMasks(info));
    if (rows.isNull())
        return 0;
    const int height = rows.height();
    QImage& target = bitmap->image;
    const bool mono = target.format() == QImage::Format_Mono;
    if (mono)
        target = target.convertToFormat(QImage::Format_RGB32);
    int written = 0;
    for (std::int64_t r = start; r < std::int64_t(start) + lines && r < height; ++r) {
        const int imageRow = int(h.biHeight < 0 ? r : height - 1 - r);
        if (imageRow >= target.height())
            continue;
        const int count = std::min(target.width(), rows.width());
        std::memcpy(target.scanLine(imageRow), rows.constScanLine(imageRow),
                    size_t(count) * sizeof(QRgb));
        ++written;
    }
    if (mono)
        target = target.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    bitmap->ImageChanged();
    return written;
}

int GetObject(HGDIOBJ object, int size, void* out)
{
    if (!object)
        return 0;
    return object->describe(size, out);
}

DWORD GetObjectType(HGDIOBJ object)
{
    return object ? object->objectType() : 0;
}

BOOL DeleteObject(HGDIOBJ object)
{
    if (!object)
        return FALSE;
    if (object->stock)
        return TRUE;
    if (object->selectCount > 0)
        return FALSE;
    delete object;
    return TRUE;
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL)
{
    if (!dc)
        return nullptr;
    HPALETTE before = dc->palette;
    if (palette == before)
        return before;
    if (palette)
        ++palette->selectCount;
    if (before)
        --before->selectCount;
    dc->palette = palette;
    return before;
}

UINT RealizePalette(HDC dc)
{
    return dc ? 0u : 0xFFFFFFFFu;
}

HPALETTE CreatePalette(const LOGPALETTE* palette)
{
    if (!palette || palette->palNumEntries == 0)
        return nullptr;
    auto object = std::make_unique<PaletteObject>();
    object->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
    return object.release();
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* out)
{
    if (!palette)
        return 0;
    const UINT size = UINT(palette->entries.size());
    if (!out)
        return size;
    if (start >= size)
        return 0;
    const UINT n = std::min(count, size - start);
    std::copy_n(palette->entries.begin() + start, n, out);
    return n;
}

UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* in)
{
    if (!palette || !in)
        return 0;
    const UINT size = UINT(palette->entries.size());
    if (start >= size)
        return 0;
    const UINT n = std::min(count, size - start);
    std::copy_n(in, n, palette->entries.begin() + start);
    return n;
}
