#pragma once
// The layered-window calls of the grid family, made through "USER32.DLL" looked up by name at
// every call. A missing module or entry point is not an error: the call reports success and
// changes nothing. A failing call gives false.
#include "platform/win/WinLayered.h"

bool CallUpdateLayeredWindow(HWND window, HDC destDc, POINT* destPos, SIZE* size, HDC srcDc, POINT* srcPos,
                             COLORREF key, BLENDFUNCTION* blend, DWORD flags);
bool CallSetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags);
