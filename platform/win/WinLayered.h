#pragma once
// Layered windows of "USER32.DLL": a window's constant opacity and colour key, and a window
// shown from a device context's image with per-pixel alpha. Windows are QWidgets; the opacity
// goes to the top-level window, the image is kept for the window to show (IWindowSurface).
#include "WinGdi.h"

enum : DWORD { LWA_COLORKEY = 1, LWA_ALPHA = 2 };
enum : DWORD { ULW_COLORKEY = 1, ULW_ALPHA = 2, ULW_OPAQUE = 4 };

// FALSE for a missing window; otherwise the window takes the alpha (LWA_ALPHA) as its opacity.
BOOL SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags);
// FALSE for a missing window; moves and sizes the window when given, takes the blend's constant
// alpha (ULW_ALPHA) as its opacity and copies the source image into the window's surface.
BOOL UpdateLayeredWindow(HWND window, HDC destDc, POINT* destPos, SIZE* size, HDC srcDc, POINT* srcPos,
                         COLORREF key, BLENDFUNCTION* blend, DWORD flags);
