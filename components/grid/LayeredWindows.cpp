#include "components/grid/LayeredWindows.h"

#include "platform/win/WinModule.h"

bool CallUpdateLayeredWindow(HWND window, HDC destDc, POINT* destPos, SIZE* size, HDC srcDc, POINT* srcPos,
                             COLORREF key, BLENDFUNCTION* blend, DWORD flags)
{
    HMODULE user = GetModuleHandleA("USER32.DLL");
    if (!user)
        return true;
    auto call = ProcAs<decltype(&::UpdateLayeredWindow)>(GetProcAddress(user, "UpdateLayeredWindow"));
    if (!call)
        return true;
    return call(window, destDc, destPos, size, srcDc, srcPos, key, blend, flags) != 0;
}

bool CallSetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags)
{
    HMODULE user = GetModuleHandleA("USER32.DLL");
    if (!user)
        return true;
    auto call = ProcAs<decltype(&::SetLayeredWindowAttributes)>(GetProcAddress(user, "SetLayeredWindowAttributes"));
    if (!call)
        return true;
    return call(window, key, alpha, flags) != 0;
}
