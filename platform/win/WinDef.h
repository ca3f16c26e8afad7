#pragma once
// Basic types of the Windows API subset: integer kinds, handles, rectangles, points,
// colour references and message parameters. Every other header of the subset builds on
// these; add a type here only when more than one area of the subset needs it.
#include <cstdint>

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using LONG = int32_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using COLORREF = DWORD;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// A window handle names a QWidget; 0 is "no window" (the desktop for the calls that accept it).
class QWidget;
using HWND = QWidget*;

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};
using LPRECT = RECT*;

struct POINT {
    LONG x = 0;
    LONG y = 0;
};
using LPPOINT = POINT*;

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
};

constexpr COLORREF RGB(int r, int g, int b)
{
    return COLORREF(r & 0xFF) | (COLORREF(g & 0xFF) << 8) | (COLORREF(b & 0xFF) << 16);
}
constexpr int GetRValue(COLORREF c) { return int(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return int((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return int((c >> 16) & 0xFF); }

constexpr WORD LOWORD(uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr LONG MAKELONG(int lo, int hi) { return LONG((DWORD(lo) & 0xFFFF) | (DWORD(hi) & 0xFFFF) << 16); }
constexpr LPARAM MAKELPARAM(int lo, int hi) { return LPARAM(MAKELONG(lo, hi)); }
constexpr WPARAM MAKEWPARAM(int lo, int hi) { return WPARAM(DWORD(MAKELONG(lo, hi))); }
// Signed coordinates packed in a message parameter.
constexpr int GET_X_LPARAM(LPARAM l) { return int(int16_t(l & 0xFFFF)); }
constexpr int GET_Y_LPARAM(LPARAM l) { return int(int16_t((l >> 16) & 0xFFFF)); }

inline int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    // rounds half away from zero, as the API does
    const int64_t p = int64_t(number) * numerator;
    const int64_t half = (denominator > 0 ? denominator : -denominator) / 2;
    return int((p + (p >= 0 ? half : -half)) / denominator);
}

// Show commands of windows and started processes (one definition for the whole subset).
enum : int {
    SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_NORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3,
    SW_MAXIMIZE = 3, SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_MINIMIZE = 6, SW_SHOWNA = 8, SW_RESTORE = 9
};
