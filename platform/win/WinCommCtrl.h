#pragma once
// Common-control notifications (WM_NOTIFY) the controls send to their parent: the header every
// notice starts with (NMHDR, WinWindow.h), the date-time picker's change notice, and the tool
// tip's notices and messages (WinToolTip.h).
#include "platform/win/WinDef.h"
#include "platform/win/WinToolTip.h"
#include "platform/win/WinWindow.h"

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

enum : UINT { DTN_DATETIMECHANGE = 0u - 759u };

enum : DWORD { GDT_VALID = 0, GDT_NONE = 1 };
