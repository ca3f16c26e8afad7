// Enhanced-metafile handles: reading and checking the bytes, the header, description and
// palette queries, copies and files.
#include "platform/win/WinMetafile.h"

#include "platform/win/WinEmfRecords.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cstring>

std::uint32_t emf::MinimumSize(std::uint32_t type)
{
    switch (type) {
    case HEADER: return 88;
    case POLYBEZIER: case POLYGON: case POLYLINE: case POLYBEZIERTO: case POLYLINETO:
    case POLYBEZIER16: case POLYGON16: case POLYLINE16: case POLYBEZIERTO16: case POLYLINETO16:
    case POLYDRAW: case POLYDRAW16: return 28;
    case POLYPOLYLINE: case POLYPOLYGON: case POLYPOLYLINE16: case POLYPOLYGON16: return 32;
    case SETWINDOWEXTEX: case SETWINDOWORGEX: case SETVIEWPORTEXTEX: case SETVIEWPORTORGEX:
    case SETBRUSHORGEX: case MOVETOEX: case LINETO: case OFFSETCLIPRGN: return 16;
    case EOF_: return 20;
    case SETPIXELV: return 20;
    case SETMAPPERFLAGS: case SETMAPMODE: case SETBKMODE: case SETPOLYFILLMODE: case SETROP2:
    case SETSTRETCHBLTMODE: case SETTEXTALIGN: case SETTEXTCOLOR: case SETBKCOLOR: case RESTOREDC:
    case SELECTOBJECT: case DELETEOBJECT: case SELECTPALETTE: case SETARCDIRECTION: case SETMITERLIMIT:
    case SELECTCLIPPATH: case SETICMMODE: case SETLAYOUT: return 12;
    case REALIZEPALETTE: return 8;
    case SETCOLORADJUSTMENT: return 32;
    case EXCLUDECLIPRECT: case INTERSECTCLIPRECT: return 24;
    case SCALEVIEWPORTEXTEX: case SCALEWINDOWEXTEX: return 24;
    case SAVEDC: case BEGINPATH: case ENDPATH: case CLOSEFIGURE: case FLATTENPATH: case WIDENPATH:
    case ABORTPATH: return 8;
    case SETWORLDTRANSFORM: return 32;
    case MODIFYWORLDTRANSFORM: return 36;
    case CREATEPEN: return 28;
    case CREATEBRUSHINDIRECT: return 24;
    case ANGLEARC: return 28;
    case ELLIPSE: case RECTANGLE: return 24;
    case ROUNDRECT: return 32;
    case ARC: case CHORD: case PIE: case ARCTO: return 40;
    case CREATEPALETTE: return 16;
    case SETPALETTEENTRIES: return 20;
    case RESIZEPALETTE: return 16;
    case EXTFLOODFILL: return 24;
    case FILLPATH: case STROKEANDFILLPATH: case STROKEPATH: return 24;
    case GDICOMMENT: return 12;
    case FILLRGN: return 32;
    case FRAMERGN: return 40;
    case INVERTRGN: case PAINTRGN: return 28;
    case EXTSELECTCLIPRGN: return 16;
    case BITBLT: return 100;
    case STRETCHBLT: return 108;
    case MASKBLT: return 128;
    case PLGBLT: return 140;
    case SETDIBITSTODEVICE: return 76;
    case STRETCHDIBITS: return 80;
    case EXTCREATEFONTINDIRECTW: return 40; // the logical font's fixed part; the face name may be cut
    case EXTTEXTOUTA: case EXTTEXTOUTW: return 76;
    case CREATEMONOBRUSH: case CREATEDIBPATTERNBRUSHPT: return 32;
    case EXTCREATEPEN: return 52;
    case POLYTEXTOUTA: case POLYTEXTOUTW: return 40;
    case SMALLTEXTOUT: return 36;
    case ALPHABLEND: case TRANSPARENTBLT: return 108;
    case GRADIENTFILL: return 36;
    default: return 0;
    }
}

namespace {

constexpr int kMaxDibPixels = 64 * 1024 * 1024;
// Run-length rows decode into 32-bit pixels however few bytes code them (a run or an end of
// bitmap covers any number): such bitmaps are held to 4 M pixels (2048 x 2048).
constexpr int kMaxRunLengthPixels = 4 * 1024 * 1024;

// Decoded rows as the checked DIB describes them: a 40-byte header of a top-down 32-bit DIB.
void DescribeDecodedRows(TCheckedDib& out, int width, int rows)
{
    out.info.assign(40 + 4, 0);
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = -rows;
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(std::uint64_t(width) * std::uint64_t(rows) * 4);
    std::memcpy(out.info.data(), &h, sizeof h);
    out.bits = out.pixels.data();
    out.drawable = true;
}

// Run-length coded rows (bottom-up, 8 or 4 bits an index): pairs of a count and a value, or an
// escape (0 then 0 end of row, 1 end of picture, 2 a move right and up, 3 or more that many
// indexes as they are, padded to a 16-bit boundary). Pixels the runs do not reach stay see-through.
// A literal run or move cut short by the data's end makes the data malformed.
bool DecodeRunLengthRows(const std::uint8_t* data, size_t size, bool fourBits, int width, int rows,
                         const std::uint8_t* table, std::uint32_t tableCount, TCheckedDib& out)
{
    const auto colour = [&](unsigned index) {
        const std::uint8_t* q = table + 4 * size_t(index < tableCount ? index : 0);
        return std::uint32_t(q[0]) | std::uint32_t(q[1]) << 8 | std::uint32_t(q[2]) << 16;
    };
    out.pixels.assign(size_t(width) * size_t(rows) * 4, 0);
    auto* px = reinterpret_cast<std::uint32_t*>(out.pixels.data());
    const std::uint32_t background = colour(0);
    std::fill(px, px + size_t(width) * size_t(rows), background);
    size_t painted = 0;
    std::int64_t x = 0, y = 0; // y counts from the bottom row
    const auto put = [&](unsigned index) {
        if (x < width && y < rows) {
            std::uint32_t& p = px[size_t(rows - 1 - y) * size_t(width) + size_t(x)];
            painted += (p >> 24) == 0;
            p = colour(index) | 0xFF000000u;
        }
        ++x;
    };
    size_t i = 0;
    while (i + 1 < size && y < rows) {
        const unsigned count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (unsigned k = 0; k < count && x < width; ++k)
                put(fourBits ? (k % 2 ? value & 0x0F : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (i + 2 > size)
                return false;
            x = std::min<std::int64_t>(x + data[i], width);
            y += data[i + 1];
            i += 2;
        } else {
            const size_t bytes = fourBits ? (value + 1) / 2 : value;
            if (i + bytes > size)
                return false;
            for (unsigned k = 0; k < value; ++k)
                put(fourBits ? (k % 2 ? data[i + k / 2] & 0x0F : data[i + k / 2] >> 4) : data[i + k]);
            i += (bytes + 1) & ~size_t(1);
        }
    }
    out.seeThrough = painted < size_t(width) * size_t(rows);
    DescribeDecodedRows(out, width, rows);
    return true;
}

// A JPEG or PNG picture as the rows of a DIB whose header gives its size; a picture that does
// not decode, or whose size is not the header's, makes the data malformed.
bool DecodeEncodedRows(const std::uint8_t* data, size_t size, bool png, int width, int rows, TCheckedDib& out)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return false;
    QImageReader reader(&buffer, png ? "png" : "jpeg");
    reader.setAutoTransform(false);
    if (reader.size() != QSize(width, rows))
        return false;
    QImage image;
    if (!reader.read(&image) || image.size() != QSize(width, rows))
        return false;
    image = image.convertToFormat(QImage::Format_ARGB32);
    out.pixels.resize(size_t(width) * size_t(rows) * 4);
    bool seeThrough = false;
    for (int row = 0; row < rows; ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        auto* to = reinterpret_cast<std::uint32_t*>(out.pixels.data()) + size_t(row) * size_t(width);
        for (int col = 0; col < width; ++col) {
            to[col] = line[col]; // little-endian: blue, green, red, alpha
            seeThrough = seeThrough || qAlpha(line[col]) < 255;
        }
    }
    out.seeThrough = seeThrough;
    DescribeDecodedRows(out, width, rows);
    return true;
}

} // namespace

bool ReadCheckedDib(const TByteView& r, size_t offBmi, size_t cbBmi, size_t offBits, size_t cbBits, TCheckedDib& out)
{
    if (cbBmi < 40 || !r.Range(offBmi, cbBmi, 1) || !r.Range(offBits, cbBits, 1))
        return false;
    const std::uint32_t hsize = r.U32(offBmi);
    if (hsize < 40 || hsize > cbBmi)
        return false;
    const std::int32_t width = r.I32(offBmi + 4), height = r.I32(offBmi + 8);
    const std::uint16_t bpp = r.U16(offBmi + 14);
    const std::uint32_t compression = r.U32(offBmi + 16), sizeImage = r.U32(offBmi + 20);
    std::uint32_t used = r.U32(offBmi + 32);
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return false;
    const long long absH = std::llabs(height);
    if (double(width) * double(absH) > kMaxDibPixels)
        return false;
    out.width = width;
    out.height = int(height);
    // compressed rows take the header's image size where it gives one within the data
    const size_t coded = sizeImage != 0 && sizeImage <= cbBits ? sizeImage : cbBits;
    if (compression == BI_JPEG || compression == BI_PNG)
        return DecodeEncodedRows(r.Data() + offBits, coded, compression == BI_PNG, width, int(absH), out);
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return false;
    if (bpp <= 8 && (used == 0 || used > (1u << bpp)))
        used = 1u << bpp;
    if (bpp > 8 && used > 256)
        return false;
    const std::uint32_t tableBytes = compression == BI_BITFIELDS ? 12 : (bpp <= 8 ? used * 4 : 0);
    if (std::uint64_t(hsize) + tableBytes > cbBmi)
        return false;
    if (compression == BI_RLE8 || compression == BI_RLE4) {
        // run-length rows are bottom-up, of the index depth their coding names
        if (bpp != (compression == BI_RLE8 ? 8 : 4) || height < 0 || double(width) * double(absH) > kMaxRunLengthPixels)
            return false;
        return DecodeRunLengthRows(r.Data() + offBits, coded, compression == BI_RLE4, width, int(absH),
                                   r.Data() + offBmi + hsize, used, out);
    }
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bpp == 16 || bpp == 32)))
        return false;
    out.drawable = true;
    const std::uint64_t rows = std::uint64_t(DibRowBytes(width, bpp)) * std::uint64_t(absH);
    if (rows > cbBits)
        return false;
    // the engine reads a 40-byte header followed directly by the table
    out.info.assign(40 + tableBytes + 4, 0);
    std::memcpy(out.info.data(), r.Data() + offBmi, 40);
    out.info[0] = 40;
    out.info[1] = out.info[2] = out.info[3] = 0;
    std::uint32_t clrUsed = bpp <= 8 ? used : 0;
    std::memcpy(out.info.data() + 32, &clrUsed, 4);
    if (tableBytes)
        std::memcpy(out.info.data() + 40, r.Data() + offBmi + hsize, tableBytes);
    out.bits = r.Data() + offBits;
    return true;
}

bool DrawCheckedDib(HDC dc, const TCheckedDib& dib, int x, int y, int w, int h, int sx, int syTop, int sw, int sh,
                    DWORD rop)
{
    if (!dib.drawable)
        return false;
    const bool inside = sx >= 0 && syTop >= 0 && sw > 0 && sh > 0 && std::int64_t(sx) + sw <= dib.width &&
                        std::int64_t(syTop) + sh <= std::abs(std::int64_t(dib.height));
    if (!dib.seeThrough || rop != SRCCOPY || dc->MetaSink || w == 0 || h == 0 || !inside)
        return StretchDIBits(dc, x, y, w, h, sx, syTop, sw, sh, dib.bits, dib.Info(), DIB_RGB_COLORS, rop) != 0;
    // A copy that leaves see-through pixels: the source blended by its alpha (0 or full for
    // run-length rows); a negative extent mirrors it.
    const QImage image(dib.pixels.data(), dib.width, std::abs(dib.height), dib.width * 4, QImage::Format_ARGB32);
    QImage source = image.copy(QRect(sx, syTop, sw, sh)).mirrored(w < 0, h < 0).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (source.isNull())
        return false;
    DeviceContext sourceDc(&source);
    BLENDFUNCTION blend{};
    blend.BlendOp = AC_SRC_OVER;
    blend.SourceConstantAlpha = 255;
    blend.AlphaFormat = AC_SRC_ALPHA;
    return AlphaBlend(dc, std::min(x, x + w), std::min(y, y + h), std::abs(w), std::abs(h), &sourceDc, 0, 0,
                      source.width(), source.height(), blend) != FALSE;
}

HENHMETAFILE EnhMetaFileFromBytes(const std::uint8_t* data, size_t size, std::string* error)
{
    auto fail = [&](const char* why) -> HENHMETAFILE {
        if (error)
            *error = why;
        return nullptr;
    };
    if (!data || size < emf::HEADER_MIN)
        return fail("too short for an enhanced-metafile header");
    const TByteView v(data, size);
    const std::uint32_t headerSize = v.U32(4);
    if (v.U32(0) != emf::HEADER || v.U32(40) != emf::SIGNATURE)
        return fail("no enhanced-metafile header");
    if (headerSize < emf::HEADER_MIN || headerSize % 4 != 0 || headerSize > size)
        return fail("header size out of range");
    size_t limit = size;
    const std::uint32_t nBytes = v.U32(48);
    if (nBytes >= headerSize && nBytes < limit)
        limit = nBytes;
    auto emf = std::make_unique<EnhMetaFileObject>();
    emf->records.push_back(TEmfRecordRef{emf::HEADER, 0, headerSize});
    size_t offset = headerSize;
    bool ended = false;
    while (offset + 8 <= limit) {
        const std::uint32_t type = v.U32(offset), recordSize = v.U32(offset + 4);
        if (recordSize < 8 || recordSize % 4 != 0 || recordSize > limit - offset) {
            if (error)
                *error = "record framing broken at offset " + std::to_string(offset);
            break;
        }
        if (type == emf::HEADER || recordSize < emf::MinimumSize(type)) {
            if (error)
                *error = "record " + std::to_string(type) + " too short at offset " + std::to_string(offset);
            break;
        }
        emf->records.push_back(TEmfRecordRef{type, std::uint32_t(offset), recordSize});
        offset += recordSize;
        if (type == emf::EOF_) {
            ended = true;
            break;
        }
    }
    emf->bytes.assign(data, data + offset);
    if (!ended) {
        // the records that were sound, closed by an end-of-file record of our own
        TByteWriter w;
        w.U32(emf::EOF_);
        w.U32(20);
        w.U32(0);
        w.U32(16);
        w.U32(20);
        emf->records.push_back(TEmfRecordRef{emf::EOF_, std::uint32_t(emf->bytes.size()), 20});
        emf->bytes.insert(emf->bytes.end(), w.bytes.begin(), w.bytes.end());
    }
    // the header as it now stands
    TByteWriter patch;
    const std::uint32_t total = std::uint32_t(emf->bytes.size()), count = std::uint32_t(emf->records.size());
    std::memcpy(emf->bytes.data() + 48, &total, 4);
    std::memcpy(emf->bytes.data() + 52, &count, 4);
    std::memset(&emf->header, 0, sizeof(ENHMETAHEADER));
    std::memcpy(&emf->header, emf->bytes.data(), std::min<size_t>(headerSize, sizeof(ENHMETAHEADER)));
    if (headerSize < 100) {
        emf->header.cbPixelFormat = emf->header.offPixelFormat = emf->header.bOpenGL = 0;
    }
    if (headerSize < 108)
        emf->header.szlMicrometers = SIZEL{0, 0};
    // a description that does not lie inside the header record is left out
    const std::uint64_t descEnd = std::uint64_t(emf->header.offDescription) + std::uint64_t(emf->header.nDescription) * 2;
    if (emf->header.nDescription && (emf->header.offDescription < emf::HEADER_MIN || descEnd > headerSize))
        emf->header.nDescription = emf->header.offDescription = 0;
    return emf.release();
}

namespace {

bool ReadFile(const char* fileName, std::vector<std::uint8_t>& out)
{
    if (!fileName)
        return false;
    QFile file(QString::fromLocal8Bit(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size < 0 || size > (qint64(1) << 31))
        return false;
    out.resize(size_t(size));
    return size == 0 || file.read(reinterpret_cast<char*>(out.data()), size) == size;
}

} // namespace

bool WriteFileAtomically(const char* fileName, const std::uint8_t* data, size_t size)
{
    QSaveFile file(QString::fromLocal8Bit(fileName));
    return file.open(QIODevice::WriteOnly) && file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size) &&
           file.commit();
}

HENHMETAFILE GetEnhMetaFileA(const char* fileName)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadFile(fileName, bytes))
        return nullptr;
    return EnhMetaFileFromBytes(bytes.data(), bytes.size());
}

HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data)
{
    return EnhMetaFileFromBytes(data, size);
}

UINT GetEnhMetaFileBits(HENHMETAFILE emf, UINT size, BYTE* data)
{
    if (!emf)
        return 0;
    if (!data)
        return UINT(emf->bytes.size());
    if (size < emf->bytes.size())
        return 0;
    std::memcpy(data, emf->bytes.data(), emf->bytes.size());
    return UINT(emf->bytes.size());
}

UINT GetEnhMetaFileHeader(HENHMETAFILE emf, UINT size, ENHMETAHEADER* header)
{
    if (!emf)
        return 0;
    const UINT available = std::min<UINT>(UINT(sizeof(ENHMETAHEADER)), std::max<UINT>(88, emf->records[0].size));
    if (!header)
        return available;
    const UINT n = std::min(size, available);
    std::memcpy(header, &emf->header, n);
    return n;
}

UINT GetEnhMetaFileDescriptionA(HENHMETAFILE emf, UINT size, char* text)
{
    if (!emf)
        return GDI_ERROR;
    const UINT n = emf->header.nDescription;
    if (n == 0)
        return 0;
    if (!text)
        return n;
    const UINT count = std::min(size, n);
    const std::uint8_t* p = emf->bytes.data() + emf->header.offDescription;
    for (UINT i = 0; i < count; ++i) {
        const char16_t c = char16_t(p[2 * i] | p[2 * i + 1] << 8);
        text[i] = c < 256 ? char(c) : '?';
    }
    return count;
}

UINT GetEnhMetaFilePaletteEntries(HENHMETAFILE emf, UINT count, PALETTEENTRY* entries)
{
    if (!emf)
        return GDI_ERROR;
    const TEmfRecordRef& eof = emf->records.back();
    const TByteView r(emf->bytes.data() + eof.offset, eof.size);
    const std::uint32_t n = r.U32(8), off = r.U32(12);
    if (n == 0 || !r.Range(off, n, 4))
        return 0;
    if (!entries)
        return n;
    const UINT copy = std::min<UINT>(count, n);
    for (UINT i = 0; i < copy; ++i) {
        entries[i].peRed = r.U8(off + i * 4);
        entries[i].peGreen = r.U8(off + i * 4 + 1);
        entries[i].peBlue = r.U8(off + i * 4 + 2);
        entries[i].peFlags = r.U8(off + i * 4 + 3);
    }
    return copy;
}

HENHMETAFILE CopyEnhMetaFileA(HENHMETAFILE emf, const char* fileName)
{
    if (!emf)
        return nullptr;
    if (fileName && !WriteFileAtomically(fileName, emf->bytes.data(), emf->bytes.size()))
        return nullptr;
    return EnhMetaFileFromBytes(emf->bytes.data(), emf->bytes.size());
}

BOOL DeleteEnhMetaFile(HENHMETAFILE emf)
{
    delete emf;
    return emf ? TRUE : FALSE;
}

bool ReadPlaceableHeader(const std::uint8_t* data, size_t size, TPlaceableHeader* out)
{
    const TByteView v(data, size);
    if (size < 22 || v.U32(0) != PLACEABLE_KEY)
        return false;
    if (out) {
        out->left = v.I16(6);
        out->top = v.I16(8);
        out->right = v.I16(10);
        out->bottom = v.I16(12);
        out->unitsPerInch = v.U16(14);
    }
    return true;
}
