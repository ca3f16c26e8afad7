#pragma once
// Record numbers and fixed sizes of the enhanced and 16-bit metafile formats, and the
// bounds-checked byte access that every reader of the engine goes through.
#include "platform/win/WinBitmap.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace emf {

enum : std::uint32_t {
    HEADER = 1, POLYBEZIER = 2, POLYGON = 3, POLYLINE = 4, POLYBEZIERTO = 5, POLYLINETO = 6,
    POLYPOLYLINE = 7, POLYPOLYGON = 8, SETWINDOWEXTEX = 9, SETWINDOWORGEX = 10, SETVIEWPORTEXTEX = 11,
    SETVIEWPORTORGEX = 12, SETBRUSHORGEX = 13, EOF_ = 14, SETPIXELV = 15, SETMAPPERFLAGS = 16,
    SETMAPMODE = 17, SETBKMODE = 18, SETPOLYFILLMODE = 19, SETROP2 = 20, SETSTRETCHBLTMODE = 21,
    SETTEXTALIGN = 22, SETCOLORADJUSTMENT = 23, SETTEXTCOLOR = 24, SETBKCOLOR = 25, OFFSETCLIPRGN = 26,
    MOVETOEX = 27, SETMETARGN = 28, EXCLUDECLIPRECT = 29, INTERSECTCLIPRECT = 30,
    SCALEVIEWPORTEXTEX = 31, SCALEWINDOWEXTEX = 32, SAVEDC = 33, RESTOREDC = 34, SETWORLDTRANSFORM = 35,
    MODIFYWORLDTRANSFORM = 36, SELECTOBJECT = 37, CREATEPEN = 38, CREATEBRUSHINDIRECT = 39,
    DELETEOBJECT = 40, ANGLEARC = 41, ELLIPSE = 42, RECTANGLE = 43, ROUNDRECT = 44, ARC = 45, CHORD = 46,
    PIE = 47, SELECTPALETTE = 48, CREATEPALETTE = 49, SETPALETTEENTRIES = 50, RESIZEPALETTE = 51,
    REALIZEPALETTE = 52, EXTFLOODFILL = 53, LINETO = 54, ARCTO = 55, POLYDRAW = 56, SETARCDIRECTION = 57,
    SETMITERLIMIT = 58, BEGINPATH = 59, ENDPATH = 60, CLOSEFIGURE = 61, FILLPATH = 62,
    STROKEANDFILLPATH = 63, STROKEPATH = 64, FLATTENPATH = 65, WIDENPATH = 66, SELECTCLIPPATH = 67,
    ABORTPATH = 68, GDICOMMENT = 70, FILLRGN = 71, FRAMERGN = 72, INVERTRGN = 73, PAINTRGN = 74,
    EXTSELECTCLIPRGN = 75, BITBLT = 76, STRETCHBLT = 77, MASKBLT = 78, PLGBLT = 79, SETDIBITSTODEVICE = 80,
    STRETCHDIBITS = 81, EXTCREATEFONTINDIRECTW = 82, EXTTEXTOUTA = 83, EXTTEXTOUTW = 84,
    POLYBEZIER16 = 85, POLYGON16 = 86, POLYLINE16 = 87, POLYBEZIERTO16 = 88, POLYLINETO16 = 89,
    POLYPOLYLINE16 = 90, POLYPOLYGON16 = 91, POLYDRAW16 = 92, CREATEMONOBRUSH = 93,
    CREATEDIBPATTERNBRUSHPT = 94, EXTCREATEPEN = 95, POLYTEXTOUTA = 96, POLYTEXTOUTW = 97,
    SETICMMODE = 98, CREATECOLORSPACE = 99, SETCOLORSPACE = 100, DELETECOLORSPACE = 101,
    SMALLTEXTOUT = 108, FORCEUFIMAPPING = 109, NAMEDESCAPE = 110, COLORCORRECTPALETTE = 111,
    ALPHABLEND = 114, SETLAYOUT = 115, TRANSPARENTBLT = 116, GRADIENTFILL = 118,
    SETTEXTJUSTIFICATION = 120, COLORMATCHTOPROFILEW = 121, CREATECOLORSPACEW = 122,
    MAX_TYPE = 122,
};

constexpr std::uint32_t SIGNATURE = 0x464D4520; // " EMF"
constexpr std::uint32_t HEADER_MIN = 88;

// The smallest size a record of each type may have (type and size fields included); 0 for
// types the engine does not know (they are skipped by their size).
std::uint32_t MinimumSize(std::uint32_t type);

} // namespace emf

namespace wmf {

enum : std::uint16_t {
    EOF_ = 0x0000, SAVEDC = 0x001E, REALIZEPALETTE = 0x0035, SETPALENTRIES = 0x0037, CREATEPALETTE = 0x00F7,
    SETBKMODE = 0x0102, SETMAPMODE = 0x0103, SETROP2 = 0x0104, SETRELABS = 0x0105, SETPOLYFILLMODE = 0x0106,
    SETSTRETCHBLTMODE = 0x0107, SETTEXTCHAREXTRA = 0x0108, RESTOREDC = 0x0127, INVERTREGION = 0x012A,
    PAINTREGION = 0x012B, SELECTCLIPREGION = 0x012C, SELECTOBJECT = 0x012D, SETTEXTALIGN = 0x012E,
    RESIZEPALETTE = 0x0139, DIBCREATEPATTERNBRUSH = 0x0142, SETLAYOUT = 0x0149, DELETEOBJECT = 0x01F0,
    CREATEPATTERNBRUSH = 0x01F9, SETBKCOLOR = 0x0201, SETTEXTCOLOR = 0x0209, SETTEXTJUSTIFICATION = 0x020A,
    SETWINDOWORG = 0x020B, SETWINDOWEXT = 0x020C, SETVIEWPORTORG = 0x020D, SETVIEWPORTEXT = 0x020E,
    OFFSETWINDOWORG = 0x020F, OFFSETVIEWPORTORG = 0x0211, LINETO = 0x0213, MOVETO = 0x0214,
    OFFSETCLIPRGN = 0x0220, FILLREGION = 0x0228, SETMAPPERFLAGS = 0x0231, SELECTPALETTE = 0x0234,
    CREATEPENINDIRECT = 0x02FA, CREATEFONTINDIRECT = 0x02FB, CREATEBRUSHINDIRECT = 0x02FC,
    POLYGON = 0x0324, POLYLINE = 0x0325, SCALEWINDOWEXT = 0x0410, SCALEVIEWPORTEXT = 0x0412,
    EXCLUDECLIPRECT = 0x0415, INTERSECTCLIPRECT = 0x0416, ELLIPSE = 0x0418, FLOODFILL = 0x0419,
    RECTANGLE = 0x041B, SETPIXEL = 0x041F, FRAMEREGION = 0x0429, ANIMATEPALETTE = 0x0436,
    TEXTOUT = 0x0521, POLYPOLYGON = 0x0538, EXTFLOODFILL = 0x0548, ROUNDRECT = 0x061C, PATBLT = 0x061D,
    ESCAPE = 0x0626, CREATEREGION = 0x06FF, ARC = 0x0817, PIE = 0x081A, CHORD = 0x0830, BITBLT = 0x0922,
    DIBBITBLT = 0x0940, EXTTEXTOUT = 0x0A32, STRETCHBLT = 0x0B23, DIBSTRETCHBLT = 0x0B41,
    SETDIBTODEV = 0x0D33, STRETCHDIB = 0x0F43,
};

constexpr size_t HEADER_SIZE = 18;

} // namespace wmf

// Little-endian reads that never go past the end: a read out of range yields 0 and clears `ok`.
class TByteView {
public:
    TByteView(const std::uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t Size() const { return size_; }
    const std::uint8_t* Data() const { return data_; }
    bool Has(size_t offset, size_t bytes) const { return offset <= size_ && bytes <= size_ - offset; }
    std::uint8_t U8(size_t off) const { return Has(off, 1) ? data_[off] : Fail8(); }
    std::uint16_t U16(size_t off) const
    {
        return Has(off, 2) ? std::uint16_t(data_[off] | data_[off + 1] << 8) : std::uint16_t(Fail8());
    }
    std::int16_t I16(size_t off) const { return std::int16_t(U16(off)); }
    std::uint32_t U32(size_t off) const
    {
        if (!Has(off, 4))
            return Fail8();
        return std::uint32_t(data_[off]) | std::uint32_t(data_[off + 1]) << 8 | std::uint32_t(data_[off + 2]) << 16 |
               std::uint32_t(data_[off + 3]) << 24;
    }
    std::int32_t I32(size_t off) const { return std::int32_t(U32(off)); }
    float F32(size_t off) const
    {
        const std::uint32_t u = U32(off);
        float f;
        std::memcpy(&f, &u, 4);
        return f;
    }
    // A sub-range [offset, offset + count × unit) that lies wholly inside, or null (and !ok).
    const std::uint8_t* Range(size_t offset, size_t count, size_t unit) const
    {
        if (unit != 0 && count > (size_ + unit - 1) / unit) {
            ok = false;
            return nullptr;
        }
        if (!Has(offset, count * unit)) {
            ok = false;
            return nullptr;
        }
        return data_ + offset;
    }
    mutable bool ok = true;

private:
    std::uint8_t Fail8() const
    {
        ok = false;
        return 0;
    }
    const std::uint8_t* data_;
    size_t size_;
};

// Appends little-endian values to a byte vector.
class TByteWriter {
public:
    std::vector<std::uint8_t> bytes;
    void U8(std::uint8_t v) { bytes.push_back(v); }
    void U16(std::uint16_t v)
    {
        bytes.push_back(std::uint8_t(v));
        bytes.push_back(std::uint8_t(v >> 8));
    }
    void U32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(std::uint8_t(v >> (8 * i)));
    }
    void I32(std::int32_t v) { U32(std::uint32_t(v)); }
    void I16(std::int16_t v) { U16(std::uint16_t(v)); }
    void F32(float f)
    {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        U32(u);
    }
    void Raw(const void* data, size_t size)
    {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
    void Pad4()
    {
        while (bytes.size() % 4)
            bytes.push_back(0);
    }
    void Patch32(size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = std::uint8_t(v >> (8 * i));
    }
    size_t Size() const { return bytes.size(); }
};

// A DIB inside a record, checked: header (40 bytes or more), colour table or masks and rows all
// lie inside; `info` is an aligned copy of a 40-byte header and its table. Compressed rows
// (run-length coded with 4 or 8 bits, JPEG or PNG) are decoded into `pixels`, top-down 32-bit
// rows with alpha (0 where a run-length picture skips a pixel or a PNG is transparent; the colour
// there is the table's first one or the PNG's own), which `info` and `bits` then describe;
// `width` and `height` stay the record's (a positive height: source rows count from the bottom).
struct TCheckedDib {
    std::vector<std::uint8_t> info;
    const std::uint8_t* bits = nullptr;
    int width = 0, height = 0;
    bool drawable = false;
    std::vector<std::uint8_t> pixels;
    bool seeThrough = false; // some decoded pixel leaves the destination as it is
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
    TCheckedDib() = default;
    TCheckedDib(const TCheckedDib&) = delete; // `bits` may point into `pixels`
    TCheckedDib& operator=(const TCheckedDib&) = delete;
};
bool ReadCheckedDib(const TByteView& r, size_t offBmi, size_t cbBmi, size_t offBits, size_t cbBits, TCheckedDib& out);
// Draws the source rectangle (`syTop` counted from the top row) of a checked DIB stretched onto
// the destination rectangle with the raster operation; a copy leaves the destination where
// decoded pixels are see-through (except on a metafile context, which records the colours).
bool DrawCheckedDib(HDC dc, const TCheckedDib& dib, int x, int y, int w, int h, int sx, int syTop, int sw,
                    int sh, DWORD rop);
