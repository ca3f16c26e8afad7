#pragma once
// The shell's file icons: SHGetFileInfo and the system image lists (small icons 16 x 16, large
// 32 x 32) with the ImageList_ functions that read and draw them. The lists hold one icon per
// kind of file, in this order: document (any other kind), folder, program ("exe", "com", "bat",
// "cmd", "sh", or an existing file that may be run), text ("txt", "log", "ini", "csv" and the
// model's text files), picture ("bmp", "png", "jpg", "gif", "tif", "ico", "emf", "wmf"...) and
// web page ("htm", "html"); a file's kind comes from its extension, without regard to case.
#include "platform/win/WinGdi.h"
#include "platform/win/WinUxTheme.h" // HIMAGELIST

enum : UINT { SHGFI_LARGEICON = 0x0, SHGFI_SMALLICON = 0x1, SHGFI_USEFILEATTRIBUTES = 0x10, SHGFI_ICON = 0x100,
              SHGFI_SYSICONINDEX = 0x4000 };
enum : DWORD { FILE_ATTRIBUTE_DIRECTORY = 0x10, FILE_ATTRIBUTE_NORMAL = 0x80 };
enum : UINT { ILD_NORMAL = 0x0, ILD_TRANSPARENT = 0x1 };

struct SHFILEINFO {
    HICON hIcon = nullptr; // SHGFI_ICON: a new icon the caller destroys
    int iIcon = 0;         // SHGFI_SYSICONINDEX: the index in the system image list
    DWORD dwAttributes = 0;
    char szDisplayName[260] = {};
    char szTypeName[80] = {};
};

// With SHGFI_SYSICONINDEX: the system image list (small with SHGFI_SMALLICON) and the icon
// index of the path in iIcon; with SHGFI_ICON the icon itself. The path must exist unless
// SHGFI_USEFILEATTRIBUTES says to go by its name and `attributes` (FILE_ATTRIBUTE_DIRECTORY: a
// folder); 0 when it does not. An empty path gives just the list.
uintptr_t SHGetFileInfo(const char* path, DWORD attributes, SHFILEINFO* info, UINT size, UINT flags);

// The functions below refuse (FALSE, 0, null) any handle but the system image lists'.
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
int ImageList_GetImageCount(HIMAGELIST list);
// Draws icon `index` with its alpha at (x, y); FALSE for an index outside the list.
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
// A new icon (the caller destroys it); null for an index outside the list.
HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT flags);
