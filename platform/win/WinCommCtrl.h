#pragma once
// Common-control notifications (WM_NOTIFY) the controls send to their parent: the header every
// notice starts with, the date-time picker's change notice and the tool tip's text request,
// with the tool tip messages that set its look.
#include "WinDef.h"
#include "WinWindow.h"

struct NMHDR {
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};

struct SYSTEMTIME {
    WORD wYear = 0;
    WORD wMonth = 0;
    WORD wDayOfWeek = 0;
    WORD wDay = 0;
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};

struct NMDATETIMECHANGE {
    NMHDR nmhdr;
    DWORD dwFlags = 0; // GDT_VALID or GDT_NONE
    SYSTEMTIME st;
};

// The tool tip asks for its text: the receiver points lpszText at text that stays valid until the
// next request (or fills szText).
struct NMTTDISPINFOA {
    NMHDR hdr;
    char* lpszText = nullptr;
    char szText[80] = {};
    void* hinst = nullptr;
    UINT uFlags = 0;
    LPARAM lParam = 0;
};

enum : UINT {
    DTN_DATETIMECHANGE = 0u - 759u,
    TTN_GETDISPINFOA = 0u - 520u,
    TTN_SHOW = 0u - 521u,
    TTN_POP = 0u - 522u,
};

enum : UINT {
    TTM_SETTIPBKCOLOR = WM_USER + 19,
    TTM_SETTIPTEXTCOLOR = WM_USER + 20,
    TTM_SETMAXTIPWIDTH = WM_USER + 24,
    TTM_SETTITLEA = WM_USER + 32,
};

enum : DWORD { GDT_VALID = 0, GDT_NONE = 1 };
