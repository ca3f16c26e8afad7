#pragma once
// drawport: opening metafiles of the three kinds as enhanced pictures, saving them as 16-bit
// or enhanced metafiles, the file dialogs and the picture's palette.
#include "platform/win/WinMetafile.h"

// Kind of the last file opened: 0 none yet, 1 enhanced, 2 16-bit, 3 placeable.
extern int picture_kind;

// The picture of the file, or null after a failure shown in a message box owned by `owner`.
HENHMETAFILE open_metafile(const char* name, HWND owner);
// Writes the picture as a plain 16-bit metafile (no placeable header); always 1.
int save_windows_metafile(HENHMETAFILE picture, const char* name);
// Asks for a file name ("All Metafiles (*.?MF)"); non-zero when one was confirmed into `buffer`
// (260 characters).
int choose_metafile_name(HWND owner, char* buffer, int save);
// The palette of the picture's palette entries, or null when it has none.
HPALETTE metafile_palette(HENHMETAFILE picture);
