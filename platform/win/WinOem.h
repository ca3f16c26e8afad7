#pragma once
// The OEM code page (437) of console and DOS text, converted to the system code page.
#include "platform/win/WinDef.h"

// Converts the zero-terminated src into dst (which may be src itself); characters that the
// system code page lacks become '?'. Returns true, as the Windows function does.
BOOL OemToCharA(const char* src, char* dst);
// The same for exactly length bytes; 0 bytes are converted like any other.
BOOL OemToCharBuffA(const char* src, char* dst, DWORD length);
