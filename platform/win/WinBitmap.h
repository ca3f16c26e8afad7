#pragma once
// Bitmaps and palettes of the Windows API subset: GDI object handles backed by QImage.
//
// Every GDI object (bitmap, palette, and the pens, brushes, fonts and regions of the drawing
// unit) derives from GdiObject; a handle is a pointer to its object. DeleteObject frees any of
// them, refuses one that is still selected into a device context and ignores stock objects.
//
// A device-dependent bitmap keeps its pixels in `image` (Format_RGB32 for colour bitmaps,
// Format_Mono for 1-bit ones), which devices draw into directly. A DIB section keeps the
// caller-visible bits in DIB layout (bottom row first, rows padded to 4 bytes); BitsChanged()
// brings `image` in step with them after the caller wrote the bits, ImageChanged() the other way
// after a device drew into the image.
#include "platform/win/WinDef.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <vector>

// The device-context class belongs to the GDI drawing unit; bitmaps only pass handles through.
class DeviceContext;
using HDC = DeviceContext*;

// Object types (GetObjectType).
enum : DWORD {
    OBJ_PEN = 1,
    OBJ_BRUSH = 2,
    OBJ_DC = 3,
    OBJ_METADC = 4,
    OBJ_PAL = 5,
    OBJ_FONT = 6,
    OBJ_BITMAP = 7,
    OBJ_REGION = 8,
    OBJ_METAFILE = 9,
    OBJ_MEMDC = 10,
    OBJ_EXTPEN = 11,
    OBJ_ENHMETADC = 12,
    OBJ_ENHMETAFILE = 13,
};

class GdiObject {
public:
    explicit GdiObject(DWORD objectType) : objectType_(objectType) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    DWORD objectType() const { return objectType_; }
    // GetObject: copies the object's description into `out` (at most `size` bytes); returns the
    // bytes written, or the bytes needed when `out` is null; 0 when the object has none.
    virtual int describe(int size, void* out) const;

    // Stock objects are never freed; selected objects cannot be deleted until deselected.
    bool stock = false;
    int selectCount = 0;

private:
    DWORD objectType_;
};
using HGDIOBJ = GdiObject*;

#pragma pack(push, 1)
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

struct LOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
};
#pragma pack(pop)

static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(RGBQUAD) == 4);

enum : DWORD { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_JPEG = 4, BI_PNG = 5 };
enum : UINT { DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1 };
enum : DWORD { CBM_INIT = 4 };

// Bytes of one DIB row: ((bits × width + 31) / 32) × 4.
inline std::int64_t DibRowBytes(std::int64_t width, int bitsPerPixel)
{
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

class BitmapObject : public GdiObject {
public:
    BitmapObject() : GdiObject(OBJ_BITMAP) {}
    int describe(int size, void* out) const override;

    QImage image;      // the pixels as devices draw them
    int bitsPixel = 32; // bits per pixel reported by GetObject
    int planes = 1;

    // DIB section only.
    bool isDibSection() const { return dibSection_; }
    BYTE* dibBits() { return dibBits_.data(); }
    const BITMAPINFOHEADER& dibHeader() const { return dibHeader_; }
    void BitsChanged();
    void ImageChanged();

private:
    friend BitmapObject* NewDibSection(const BITMAPINFO* info);
    bool dibSection_ = false;
    BITMAPINFOHEADER dibHeader_{};
    std::vector<RGBQUAD> dibColours_;
    std::vector<BYTE> dibBits_;
};
using HBITMAP = BitmapObject*;

class PaletteObject : public GdiObject {
public:
    PaletteObject() : GdiObject(OBJ_PAL) {}
    int describe(int size, void* out) const override; // the entry count as a WORD

    std::vector<PALETTEENTRY> entries;
};
using HPALETTE = PaletteObject*;

// --- operations ---------------------------------------------------------------------------

// A device-dependent bitmap: 1 bit per pixel gives a monochrome bitmap, anything else a colour
// bitmap (stored as 32 bits). `bits` (may be null: black) are rows padded to 2 bytes, top row
// first, in the device format: 1 bit MSB first, 24 bits B G R, 32 bits B G R x.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);

// A colour bitmap made from a device-independent bitmap; with CBM_INIT it is initialised from
// `bits` described by `info` (1, 4, 8, 16, 24 or 32 bits, BI_RGB or BI_BITFIELDS).
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);

// A DIB section: `*bits` receives the pixel memory, which belongs to the bitmap.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, void* section,
                         DWORD offset);

// Reads rows of a bitmap as a DIB of the depth in `info->bmiHeader.biBitCount` (1, 4, 8, 24 or
// 32; BI_RGB). With `bits` null only the header (biSizeImage) and, for 8 bits or fewer, the
// colour table are filled. Returns the rows copied (or 1 for a header query), 0 on failure.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info,
              UINT usage);

// Writes DIB rows into a bitmap; returns the rows written.
int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage);

int GetObject(HGDIOBJ object, int size, void* out);
DWORD GetObjectType(HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);

HPALETTE CreatePalette(const LOGPALETTE* palette);
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* out);
UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* in);
// Selects a logical palette into a context; returns the one selected before (null: the
// default palette), or null when `dc` is null. A null `palette` selects the default palette.
// `forceBackground` has no effect: the devices have no system palette to compete for.
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
// Maps the selected palette onto the device. The devices show true colour, so no system entry
// changes: 0, or GDI_ERROR (all bits set) for a null context. Colours given as palette
// indexes (PALETTEINDEX) are resolved through the selected palette when they are drawn.
UINT RealizePalette(HDC dc);
constexpr COLORREF PALETTEINDEX(WORD index) { return 0x01000000u | index; }
constexpr COLORREF PALETTERGB(BYTE r, BYTE g, BYTE b) { return 0x02000000u | RGB(r, g, b); }

// The pixels of a DIB (header, colour table or masks, rows) as a QImage in Format_RGB32.
// Returns a null image for a depth or compression it cannot read.
QImage DibToImage(const BITMAPINFOHEADER* header, const void* bits, const RGBQUAD* colours,
                  const DWORD* masks);
