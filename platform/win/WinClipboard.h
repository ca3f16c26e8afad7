#pragma once
// Global memory blocks and the clipboard of the API subset, over Qt's clipboard.
//
// Global memory: a handle names one block of bytes. GlobalLock gives its address (null for a
// handle that is not a live block), GlobalSize its exact size, GlobalFree frees it (null on
// success, the handle itself when it is not a live block or the clipboard owns it).
//
// Clipboard: OpenClipboard takes the clipboard for one window (or none) until CloseClipboard;
// it fails while another window holds it. Between the two, EmptyClipboard drops every format
// and SetClipboardData adds one (the clipboard then owns the block and frees it when the
// content is replaced); GetClipboardData hands out a block that the clipboard owns, valid until
// the content changes. Each change is published to Qt's clipboard at once:
// - CF_TEXT (code-page bytes) and CF_UNICODETEXT (UTF-16) are Qt's text; each is offered when
//   either was set, ending in one zero character; the bytes up to the first zero are the text,
//   line ends unchanged;
// - "Rich Text Format" is "text/rtf", "HTML Format" is "text/html";
// - CF_BITMAP takes a bitmap handle (HBITMAP) in place of a block; the clipboard owns the bitmap
//   (it is deleted when the content changes) and offers its pixels as Qt's image; reading gives a
//   bitmap of the image that the clipboard owns likewise;
// - every other registered format (RegisterClipboardFormat: ids from 0xC000, one per name,
//   names compared case-blind) is a MIME type of its own carrying the block's bytes unchanged,
//   so two programs of the system exchange private formats byte for byte.
#include "platform/win/WinDef.h"

#include <cstddef>

using HGLOBAL = void*;
using SIZE_T = size_t;

enum : UINT {
    GMEM_FIXED = 0x0000, GMEM_MOVEABLE = 0x0002, GMEM_ZEROINIT = 0x0040, GMEM_SHARE = 0x2000,
    GMEM_DDESHARE = 0x2000, GHND = GMEM_MOVEABLE | GMEM_ZEROINIT, GPTR = GMEM_FIXED | GMEM_ZEROINIT,
};

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
void* GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory); // TRUE while the block stays locked
SIZE_T GlobalSize(HGLOBAL memory);  // 0 for a handle that is not a live block
HGLOBAL GlobalFree(HGLOBAL memory);
// Blocks alive now (tests check that nothing leaks).
int GlobalBlockCount();

enum : UINT {
    CF_TEXT = 1, CF_BITMAP = 2, CF_METAFILEPICT = 3, CF_OEMTEXT = 7, CF_DIB = 8, CF_UNICODETEXT = 13,
    CF_ENHMETAFILE = 14, CF_HDROP = 15, CF_LOCALE = 16,
};

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard(); // only while open
// Null when the clipboard is not open by the caller, for a null block or an unknown format.
HGLOBAL SetClipboardData(UINT format, HGLOBAL memory);
HGLOBAL GetClipboardData(UINT format); // only while open; null when the format is absent
BOOL IsClipboardFormatAvailable(UINT format);
UINT RegisterClipboardFormat(const char* name); // 0 for an empty name
int GetClipboardFormatName(UINT format, char* name, int size); // registered formats only
int CountClipboardFormats();
UINT EnumClipboardFormats(UINT format); // 0 starts; 0 after the last
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();
