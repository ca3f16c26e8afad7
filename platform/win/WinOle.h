#pragma once
// OLE pictures and memory streams of the Windows API subset, over Qt's image readers.
//
// OleLoadPicture reads a picture from a stream: BMP, PNG, JPEG, GIF (first frame), icons
// (.ico) and TIFF. A picture that cannot be decoded gives an error result and no picture,
// never a fault. Sizes of an IPicture are in HIMETRIC (0.01 mm); at 96 pixels per inch one
// pixel is 2540 / 96 units.
#include "WinGdi.h"
#include "WinUxTheme.h" // HRESULT

#include <QImage>
#include <atomic>
#include <cstdint>
#include <vector>

using ULONG = uint32_t;

struct GUID {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};
    bool operator==(const GUID& o) const;
};
using REFIID = const GUID&;
extern const GUID IID_IPicture;
extern const GUID IID_IUnknown;

constexpr HRESULT E_POINTER = int32_t(0x80004003u);
constexpr HRESULT E_NOINTERFACE = int32_t(0x80004002u);
constexpr HRESULT E_OUTOFMEMORY = int32_t(0x8007000Eu);
constexpr HRESULT CTL_E_INVALIDPICTURE = int32_t(0x800A01E1u);
constexpr HRESULT STG_E_INVALIDPOINTER = int32_t(0x80030009u);
inline bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline bool FAILED(HRESULT hr) { return hr < 0; }

// Reference counted; Release frees the object when the count reaches 0.
class IUnknown {
public:
    virtual ~IUnknown() = default;
    ULONG AddRef() { return ++refs_; }
    ULONG Release();

private:
    std::atomic<ULONG> refs_{1};
};

enum : DWORD { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };

// A stream over bytes in memory.
class IStream : public IUnknown {
public:
    explicit IStream(std::vector<uint8_t> bytes = {}) : bytes_(std::move(bytes)) {}
    HRESULT Read(void* buffer, ULONG count, ULONG* read);
    HRESULT Write(const void* buffer, ULONG count, ULONG* written);
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition);
    uint64_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
};

// A new stream holding a copy of the bytes (count 0 gives an empty stream), or null when
// data is null and count is not 0.
IStream* SHCreateMemStream(const BYTE* data, UINT count);

using OLE_XSIZE_HIMETRIC = LONG;
using OLE_YSIZE_HIMETRIC = LONG;
using OLE_XPOS_HIMETRIC = LONG;
using OLE_YPOS_HIMETRIC = LONG;
enum : int16_t { PICTYPE_UNINITIALIZED = -1, PICTYPE_NONE = 0, PICTYPE_BITMAP = 1, PICTYPE_METAFILE = 2,
                 PICTYPE_ICON = 3, PICTYPE_ENHMETAFILE = 4 };

// A decoded picture.
class IPicture : public IUnknown {
public:
    explicit IPicture(QImage image, int16_t type) : image_(std::move(image)), type_(type) {}
    HRESULT get_Width(OLE_XSIZE_HIMETRIC* width) const;
    HRESULT get_Height(OLE_YSIZE_HIMETRIC* height) const;
    HRESULT get_Type(int16_t* type) const;
    // Draws the source part (HIMETRIC; y runs upwards, so a negative source height or a
    // negative destination height gives the usual upright copy) into the destination box
    // (pixels). Transparent pixels of the picture leave the device as it was.
    HRESULT Render(HDC dc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc, OLE_YPOS_HIMETRIC ySrc,
                   OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc, const RECT* bounds);
    // The pixels (stand-in access for the platform's own users).
    const QImage& Image() const { return image_; }

private:
    QImage image_;
    int16_t type_;
};

// Reads size bytes from the stream's current position (size <= 0: to its end) and decodes
// them. riid must be IID_IPicture or IID_IUnknown. CTL_E_INVALIDPICTURE when the bytes are
// no readable picture.
HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL runMode, REFIID riid, void** picture);

// The decoders behind OleLoadPicture, also used by the GDI+ stand-in: a null image when the
// bytes are no picture it can read. Pictures larger than 16384 pixels on a side or 128
// million pixels are refused.
QImage DecodePictureBytes(const uint8_t* data, size_t size, int16_t* type = nullptr);
