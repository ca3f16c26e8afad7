#pragma once
// Metafiles of the Windows API subset: enhanced metafiles (read, validated, played, written
// through a recording device context, copied, saved) and 16-bit Windows metafiles (read, played,
// converted both ways). The byte layouts are the published formats, little-endian.
//
// Every record is checked before use: a file whose header or record framing is broken is
// refused (or cut at the first broken record, the records before it kept); a record whose
// fields fail their checks during a play stops the play, and what was drawn so far stays.
#include "platform/win/WinBitmap.h"
#include "platform/win/WinDef.h"
#include "platform/win/WinGdi.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct RECTL {
    LONG left, top, right, bottom;
};
struct SIZEL {
    LONG cx, cy;
};

// The enhanced-metafile header record (108 bytes with the pixel-format and micrometre fields;
// callers may ask for the first 88 or 100 bytes only).
struct ENHMETAHEADER {
    DWORD iType = 1;
    DWORD nSize = 108;
    RECTL rclBounds{};
    RECTL rclFrame{};
    DWORD dSignature = 0x464D4520;
    DWORD nVersion = 0x10000;
    DWORD nBytes = 0;
    DWORD nRecords = 0;
    WORD nHandles = 0;
    WORD sReserved = 0;
    DWORD nDescription = 0;
    DWORD offDescription = 0;
    DWORD nPalEntries = 0;
    SIZEL szlDevice{};
    SIZEL szlMillimeters{};
    DWORD cbPixelFormat = 0;
    DWORD offPixelFormat = 0;
    DWORD bOpenGL = 0;
    SIZEL szlMicrometers{};
};
static_assert(sizeof(ENHMETAHEADER) == 108);

struct METAFILEPICT {
    LONG mm = 0;
    LONG xExt = 0;
    LONG yExt = 0;
    void* hMF = nullptr;
};

enum : int { MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5, MM_TWIPS = 6 };

// One record of an enhanced metafile: its place in the bytes.
struct TEmfRecordRef {
    std::uint32_t type = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

class EnhMetaFileObject : public GdiObject {
public:
    EnhMetaFileObject() : GdiObject(OBJ_ENHMETAFILE) {}
    std::vector<std::uint8_t> bytes;      // header to end of file record, as validated
    std::vector<TEmfRecordRef> records;   // the header first, the end-of-file record last
    ENHMETAHEADER header;                 // the header as read (missing tail fields zero)
};
using HENHMETAFILE = EnhMetaFileObject*;

class MetaFileObject : public GdiObject {
public:
    MetaFileObject() : GdiObject(OBJ_METAFILE) {}
    std::vector<std::uint8_t> bytes; // the 16-bit metafile (header and records), as validated
};
using HMETAFILE = MetaFileObject*;

// ---------------------------------------------------------------- enhanced metafiles

// Checks the bytes of an enhanced metafile and indexes its records. Null when the header is not
// an enhanced-metafile header; the records up to the first broken one otherwise. `error` (may be
// null) receives a short reason when the result is null or cut.
HENHMETAFILE EnhMetaFileFromBytes(const std::uint8_t* data, size_t size, std::string* error = nullptr);

HENHMETAFILE GetEnhMetaFileA(const char* fileName);
HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data);
UINT GetEnhMetaFileBits(HENHMETAFILE emf, UINT size, BYTE* data);
// The header's first `size` bytes (at most 108); with `header` null returns the size needed.
UINT GetEnhMetaFileHeader(HENHMETAFILE emf, UINT size, ENHMETAHEADER* header);
// The description in characters with its zero characters; `text` (ANSI, may be null) gets at
// most `size` of them. 0 when there is none; GDI_ERROR when the handle is not a picture.
UINT GetEnhMetaFileDescriptionA(HENHMETAFILE emf, UINT size, char* text);
UINT GetEnhMetaFilePaletteEntries(HENHMETAFILE emf, UINT count, PALETTEENTRY* entries);
constexpr UINT GDI_ERROR = 0xFFFFFFFF;
// A copy in memory (fileName null) or on disk; the file is written under a temporary name and
// renamed, so a failed write leaves no truncated file. Null on failure.
HENHMETAFILE CopyEnhMetaFileA(HENHMETAFILE emf, const char* fileName);
BOOL DeleteEnhMetaFile(HENHMETAFILE emf);
// Plays the picture so that its frame fills `rect` (logical coordinates of `dc`). FALSE when a
// record failed its checks (the records before it were played).
BOOL PlayEnhMetaFile(HDC dc, HENHMETAFILE emf, const RECT* rect);

// The recording context: drawing on it becomes records. `reference` (may be null: the screen)
// gives the device resolution; `frame` (hundredths of a millimetre, may be null: the bounds of
// the drawing) the picture's frame; `description` is "application\0title\0\0" or null.
HDC CreateEnhMetaFileA(HDC reference, const char* fileName, const RECT* frame, const char* description);
// Ends the recording; the picture (and the file, when one was named) is complete. The context
// is freed. Null when `dc` is not a recording context or the file cannot be written.
HENHMETAFILE CloseEnhMetaFile(HDC dc);
// Adds a comment record to a recording context.
BOOL GdiComment(HDC dc, UINT size, const BYTE* data);

// ---------------------------------------------------------------- 16-bit metafiles

// Checks a 16-bit metafile (without placeable header). Null when it is not one.
HMETAFILE MetaFileFromBytes(const std::uint8_t* data, size_t size, std::string* error = nullptr);
HMETAFILE GetMetaFileA(const char* fileName);
HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data);
UINT GetMetaFileBitsEx(HMETAFILE mf, UINT size, void* data);
BOOL DeleteMetaFile(HMETAFILE mf);
// Plays the records through the GDI calls of `dc` in its logical coordinates.
BOOL PlayMetaFile(HDC dc, HMETAFILE mf);

// 16-bit metafile bytes → enhanced picture. `picture` (may be null) gives the mapping mode and
// the frame size (hundredths of a millimetre for MM_ANISOTROPIC/MM_ISOTROPIC).
HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* data, HDC reference, const METAFILEPICT* picture);
// Enhanced picture → 16-bit metafile bytes (no placeable header) whose logical units are
// hundredths of a millimetre (scaled down when the frame is too large for 16-bit coordinates).
// With `data` null returns the size needed; 0 on failure.
UINT GetWinMetaFileBits(HENHMETAFILE emf, UINT size, BYTE* data, int mapMode, HDC reference);

// The placeable header that may come before a 16-bit metafile in a file.
struct TPlaceableHeader {
    std::int16_t left = 0, top = 0, right = 0, bottom = 0;
    std::uint16_t unitsPerInch = 0;
};
constexpr std::uint32_t PLACEABLE_KEY = 0x9AC6CDD7;
// Reads the 22-byte placeable header; false when the data are too short or the key differs.
bool ReadPlaceableHeader(const std::uint8_t* data, size_t size, TPlaceableHeader* out);

// Writes a file under a temporary name and renames it over `fileName`: a failed write leaves
// the old file (or none), never a truncated one.
bool WriteFileAtomically(const char* fileName, const std::uint8_t* data, size_t size);

// ---------------------------------------------------------------- clipboard and images

// The clipboard's enhanced-metafile format (CF_ENHMETAFILE, 14): the clipboard keeps a copy of
// the picture (under a MIME type of our own and the common one for enhanced metafiles) and an
// image of it for programs that take images only.
BOOL SetClipboardEnhMetaFile(HENHMETAFILE emf);
// A new picture from the clipboard (the caller owns it), or null when there is none.
HENHMETAFILE GetClipboardEnhMetaFile();
BOOL IsClipboardEnhMetaFileAvailable();
// The picture drawn at 96 pixels per inch of its frame, its longer side at most `maxSide`.
QImage RenderEnhMetaFile(HENHMETAFILE emf, int maxSide = 4096);
