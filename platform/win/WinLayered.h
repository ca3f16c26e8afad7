#pragma once
// Layered windows of "USER32.DLL": a window's constant opacity and colour key, and a window
// shown from a device context's image with per-pixel alpha. Windows are QWidgets; the opacity
// goes to the top-level window, the image is kept for the window to show (IWindowSurface).
#include "platform/win/WinGdi.h"

enum : DWORD { LWA_COLORKEY = 1, LWA_ALPHA = 2 };
enum : DWORD { ULW_COLORKEY = 1, ULW_ALPHA = 2, ULW_OPAQUE = 4 };

// A window that shows itself layered: its surface composed over what lies below with a
// constant opacity, optionally its own per-pixel alpha (premultiplied, as 32-bit DIBs hold it),
// and optionally a colour key whose pixels are not shown. Pixels that end fully transparent
// let the mouse through to what lies below.
struct TLayeredLook {
    BYTE alpha = 255;
    bool perPixelAlpha = false;
    bool useKey = false;
    COLORREF key = 0;
};
class ILayeredSurface {
public:
    virtual ~ILayeredSurface() = default;
    virtual void SetLayeredLook(const TLayeredLook& look) = 0;
    // The surface's pixels with their alpha, replaced whole (per-pixel alpha windows).
    virtual void SetLayeredImage(const QImage& premultiplied) = 0;
};

// A window whose shape can be narrowed to a region (window coordinates); null: its rectangle.
class IWindowShape {
public:
    virtual ~IWindowShape() = default;
    virtual void SetWindowShape(const QRegion* shape) = 0;
    virtual bool WindowShape(QRegion* shape) const = 0; // false: no shape set
};

// The window shows, and takes the mouse, only inside the region (window coordinates); the
// region becomes the window's (it is freed with the window's next region), null gives the
// window its whole rectangle back. 0 for a missing window.
int SetWindowRgn(HWND window, HRGN region, BOOL redraw);
// Copies the window's region into `region`: SIMPLEREGION or COMPLEXREGION, ERROR_REGION without one.
int GetWindowRgn(HWND window, HRGN region);

// FALSE for a missing window. The window shows with the constant alpha (LWA_ALPHA) and without
// the pixels of the key colour (LWA_COLORKEY); a window that is not a layered surface only
// takes the alpha as its opacity.
BOOL SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags);
// FALSE for a missing window and for one whose look SetLayeredWindowAttributes set (such a
// window keeps that look); else moves and sizes the window when given and shows the source
// image: with ULW_ALPHA by the blend's constant alpha and, with AC_SRC_ALPHA, the source's
// own premultiplied alpha per pixel; with ULW_COLORKEY without the key colour's pixels;
// ULW_OPAQUE shows it opaque.
BOOL UpdateLayeredWindow(HWND window, HDC destDc, POINT* destPos, SIZE* size, HDC srcDc, POINT* srcPos,
                         COLORREF key, BLENDFUNCTION* blend, DWORD flags);
