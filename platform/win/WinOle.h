#pragma once
// OLE pictures and memory streams of the Windows API subset, over Qt's image readers.
//
// OleLoadPicture reads a picture from a stream: BMP, PNG, JPEG, GIF (first frame), icons
// (.ico) and TIFF. A picture that cannot be decoded gives an error result and no picture,
// never a fault. Sizes of an IPicture are in HIMETRIC (0.01 mm); at 96 pixels per inch one
// pixel is 2540 / 96 units.
#include "platform/win/WinGdi.h"
#include "platform/win/WinUxTheme.h" // HRESULT
#include "platform/rtl/System.h"

#include <QImage>
#include <atomic>
#include <functional>
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

// ---------------------------------------------------------------- drag and drop
//
// OLE drag and drop over Qt's drag and drop. Formats travel as bytes (the stand-in of a global
// memory block); each format has a MIME type: CF_TEXT and CF_UNICODETEXT are "text/plain",
// CF_HDROP is "text/uri-list", "Rich Text Format" is "text/rtf", and every other registered
// format is "application/x-quelm-clipboard;format=\"<name>\"" carrying its bytes unchanged, so
// two windows of the system (and two programs of it) exchange private formats byte for byte.
// A window registered with RegisterDragDrop receives Qt's drags as calls of its IDropTarget.

class QMimeData;

enum : UINT { OLE_CF_TEXT = 1, OLE_CF_UNICODETEXT = 13, OLE_CF_HDROP = 15 };
enum : DWORD { DVASPECT_CONTENT = 1, TYMED_NULL = 0, TYMED_HGLOBAL = 1, DATADIR_GET = 1, DATADIR_SET = 2 };
enum : DWORD { DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1, DROPEFFECT_MOVE = 2, DROPEFFECT_LINK = 4 };
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;
constexpr HRESULT DV_E_FORMATETC = int32_t(0x80040064u);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = int32_t(0x80040003u);
constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = int32_t(0x80040101u);
constexpr HRESULT DRAGDROP_E_NOTREGISTERED = int32_t(0x80040100u);

struct FORMATETC {
    UINT cfFormat = 0;
    void* ptd = nullptr;
    DWORD dwAspect = DVASPECT_CONTENT;
    LONG lindex = -1;
    DWORD tymed = TYMED_HGLOBAL;
};

// A storage medium: the bytes of one format's block.
struct STGMEDIUM {
    DWORD tymed = TYMED_NULL;
    std::vector<uint8_t> hGlobal;
    IUnknown* pUnkForRelease = nullptr;
};
void ReleaseStgMedium(STGMEDIUM* medium);

class IEnumFORMATETC : public IUnknown {
public:
    virtual HRESULT Next(ULONG count, FORMATETC* formats, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumFORMATETC** result) = 0;
};

class IDataObject : public IUnknown {
public:
    virtual HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT QueryGetData(const FORMATETC* format) = 0;
    virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** result) = 0;
};

class IDropTarget : public IUnknown {
public:
    virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINT point, DWORD* effect) = 0;
    virtual HRESULT DragOver(DWORD keyState, POINT point, DWORD* effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINT point, DWORD* effect) = 0;
};

class IDropSource : public IUnknown {
public:
    virtual HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) = 0;
    virtual HRESULT GiveFeedback(DWORD effect) = 0;
};

// Format identifiers of registered names: the clipboard's (RegisterClipboardFormat).
UINT RegisterDragFormat(const String& name);
String DragFormatName(UINT format);

// The MIME data that carries every format a data object offers (its DATADIR_GET list).
QMimeData* MimeDataOfDataObject(IDataObject* data);
// A data object over MIME data (of a drag from anywhere): text as CF_TEXT (code page) and
// CF_UNICODETEXT, URLs of local files as CF_HDROP, "text/rtf" and private formats by name.
IDataObject* DataObjectOfMimeData(const QMimeData* mime);

HRESULT RegisterDragDrop(HWND window, IDropTarget* target);
HRESULT RevokeDragDrop(HWND window);
IDropTarget* RegisteredDropTarget(HWND window);
// Runs a drag with Qt's drag and drop from the window under the mouse; the data object's
// formats travel as MIME data. On a platform without a drag loop (offscreen) the drag ends at
// once: cancelled.
HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect);
// Delivers MIME data to the drop target of a window as a drag that enters, moves and drops at
// the point (screen coordinates), with the key state (MK_CONTROL...). What Qt's drop events on
// the window do; tests and programs that drop without the mouse call it directly. The effect
// of the drop is returned (DROPEFFECT_NONE when the window has no target or refused).
DWORD DeliverDrop(HWND window, const QMimeData* mime, POINT point, DWORD keyState, DWORD okEffects);
// The drag loop behind DoDragDrop, replaceable (WinDragScript.h runs scripted drags offscreen);
// an empty handler restores Qt's. Answers the handler that was set before.
using TDoDragDropHandler = std::function<HRESULT(IDataObject*, IDropSource*, DWORD, DWORD*)>;
TDoDragDropHandler SetDoDragDropHandler(TDoDragDropHandler handler);
