#pragma once
// drawport's output side: printing at original size or stretched to the page, the clipboard in
// the enhanced-metafile format, the header information dialog and the about box.
#include "platform/rtl/System.h"
#include "platform/win/WinMetafile.h"

#include <utility>
#include <vector>

HDC choose_printer();
int print_abort_proc(HDC dc, int error);
// Prints current_picture; the result of freeing the printer context, or 0 without a printer.
int print_metafile();
int copy_metafile(HWND owner, HENHMETAFILE picture);
// A copy of the clipboard's picture owned by the caller, or null.
HENHMETAFILE paste_metafile(HWND owner);

// The texts of the header dialog's value items (600 to 616) for a picture.
std::vector<std::pair<int, String>> header_dialog_fields(HENHMETAFILE picture);
// The header dialog, "Enhanced MetaFile Info", modal over `owner`.
void header_dialog(HWND owner, HENHMETAFILE picture);
// String 1 of the program: the about text.
extern const char* const about_text;
void about_dialog(HWND owner);
