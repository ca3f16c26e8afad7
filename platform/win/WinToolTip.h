#pragma once
// The common controls' tool tip (window class TOOLTIPS_CLASS, "tooltips_class32"), made with
// CreateWindowEx and driven by TTM_ messages, as a top-level Qt window owned by its owner's
// window (it goes with it).
//
// Tools: TTM_ADDTOOL registers a tool: a rectangle of a window's client area (TOOLINFO.rect in
// hwnd's client coordinates), or with TTF_IDISHWND the whole client area of the window uId.
// With TTF_SUBCLASS the tip watches that window's mouse itself (the mouse moves over it turn on
// mouse tracking); others get nothing from the mouse. A text of LPSTR_TEXTCALLBACK is asked for
// each time the tip shows.
//
// Timing (TTDT_ delays, defaults from the double-click time D: initial D, auto-pop 10 D, reshow
// D / 5): the mouse entering a tool arms the initial delay; when it runs out with the mouse still
// in the tool (and, without TTS_ALWAYSTIP, the tool's window active), the tip shows, and it pops
// after the auto-pop delay, on a button press in the tool, when the mouse leaves the tool and on
// TTM_POP. Moving on to another tool while a tip shows, or moving after TTM_POP, arms the
// reshow delay instead. After an auto-pop or a press, the tool stays quiet until the mouse
// leaves it. TTM_TRACKACTIVATE shows a tool's tip at once at the TTM_TRACKPOSITION point (a
// tracking tip: no mouse, no auto-pop) until it is switched off.
//
// Notices (WM_NOTIFY, wParam the tool's id, to the tool's TOOLINFO.hwnd), in this order when a
// tip shows: TTN_GETDISPINFO (NMTTDISPINFO) for a callback text, then TTN_SHOW (NMHDR; a
// non-zero answer means the receiver placed the tip itself with SetWindowPos); TTN_POP when it
// hides. An empty text shows nothing. The receiver may send the tip messages (title, colours,
// maximum width) while it answers; they apply to the tip being shown.
//
// Look: a plain tip is a framed box below the mouse; TTS_BALLOON gives a rounded balloon whose
// stem points at the mouse (or at the tracking point, or below the tool's middle with
// TTF_CENTERTIP), below the point when the screen has room, else above. TTM_SETTITLE adds a bold
// title with a stock icon (TTI_INFO, TTI_WARNING, TTI_ERROR). The text is one line until
// TTM_SETMAXTIPWIDTH gives a width, then it wraps at that width and at its line breaks. Without
// TTS_NOPREFIX a text ends at a tab and loses its '&' prefixes ("&&" gives "&"). Texts are UTF-8.
#include "platform/win/WinGdi.h"
#include "platform/win/WinModule.h"
#include "platform/win/WinWindow.h"

// The class name of the tool tip (class names are compared without regard to case).
inline constexpr const char* TOOLTIPS_CLASS = "tooltips_class32";

// Tool tip styles
enum : DWORD { TTS_ALWAYSTIP = 0x01, TTS_NOPREFIX = 0x02, TTS_NOANIMATE = 0x10, TTS_NOFADE = 0x20,
               TTS_BALLOON = 0x40, TTS_CLOSE = 0x80 };
// Tool flags
enum : UINT { TTF_IDISHWND = 0x0001, TTF_CENTERTIP = 0x0002, TTF_RTLREADING = 0x0004, TTF_SUBCLASS = 0x0010,
              TTF_TRACK = 0x0020, TTF_ABSOLUTE = 0x0080, TTF_TRANSPARENT = 0x0100, TTF_PARSELINKS = 0x1000,
              TTF_DI_SETITEM = 0x8000 };
// TTM_SETDELAYTIME / TTM_GETDELAYTIME: which delay
enum : UINT { TTDT_AUTOMATIC = 0, TTDT_RESHOW = 1, TTDT_AUTOPOP = 2, TTDT_INITIAL = 3 };
// TTM_SETTITLE icons (also EDITBALLOONTIP's, WinWindow.h: TTI_NONE, TTI_INFO, TTI_WARNING, TTI_ERROR)

enum : UINT {
    TTM_ACTIVATE = WM_USER + 1,         // wParam: on
    TTM_SETDELAYTIME = WM_USER + 3,     // wParam: TTDT_; LOWORD(lParam): ms, -1 the default
    TTM_ADDTOOL = WM_USER + 4,          // lParam: TOOLINFO*; TRUE when added
    TTM_DELTOOL = WM_USER + 5,          // lParam: TOOLINFO* (hwnd, uId)
    TTM_NEWTOOLRECT = WM_USER + 6,      // lParam: TOOLINFO* (hwnd, uId, rect)
    TTM_GETTOOLINFO = WM_USER + 8,      // lParam: TOOLINFO* (hwnd, uId) filled in
    TTM_GETTEXT = WM_USER + 11,         // wParam: buffer size; lParam: TOOLINFO* whose lpszText is the buffer
    TTM_UPDATETIPTEXT = WM_USER + 12,   // lParam: TOOLINFO* (hwnd, uId, lpszText)
    TTM_GETTOOLCOUNT = WM_USER + 13,
    TTM_GETCURRENTTOOL = WM_USER + 15,  // lParam: TOOLINFO* or null; TRUE while a tip shows
    TTM_TRACKACTIVATE = WM_USER + 17,   // wParam: on; lParam: TOOLINFO* (hwnd, uId)
    TTM_TRACKPOSITION = WM_USER + 18,   // lParam: MAKELPARAM(x, y) in screen coordinates
    TTM_SETTIPBKCOLOR = WM_USER + 19,   // wParam: COLORREF
    TTM_SETTIPTEXTCOLOR = WM_USER + 20, // wParam: COLORREF
    TTM_GETDELAYTIME = WM_USER + 21,    // wParam: TTDT_
    TTM_GETTIPBKCOLOR = WM_USER + 22,
    TTM_GETTIPTEXTCOLOR = WM_USER + 23,
    TTM_SETMAXTIPWIDTH = WM_USER + 24,  // lParam: width, -1 none; answers the previous one
    TTM_GETMAXTIPWIDTH = WM_USER + 25,
    TTM_SETMARGIN = WM_USER + 26,       // lParam: RECT* (room added around the text)
    TTM_GETMARGIN = WM_USER + 27,
    TTM_POP = WM_USER + 28,
    TTM_UPDATE = WM_USER + 29,
    TTM_SETTITLE = WM_USER + 32,        // wParam: icon; lParam: title
    TTM_SETTITLEA = TTM_SETTITLE,
    TTM_POPUP = WM_USER + 34,           // shows the tip of the tool under the mouse at once
    TTM_GETTITLE = WM_USER + 35,        // lParam: TTGETTITLE*
};

// WM_NOTIFY codes of the tool tip (NMHDR.code)
enum : UINT { TTN_FIRST = 0u - 520u, TTN_GETDISPINFO = TTN_FIRST - 0, TTN_SHOW = TTN_FIRST - 1,
              TTN_POP = TTN_FIRST - 2, TTN_LINKCLICK = TTN_FIRST - 3, TTN_NEEDTEXT = TTN_GETDISPINFO,
              TTN_GETDISPINFOA = TTN_GETDISPINFO };

// The text of a tool that its window supplies on request (TTN_GETDISPINFO).
inline char* const LPSTR_TEXTCALLBACK = reinterpret_cast<char*>(intptr_t(-1));

struct TOOLINFO {
    UINT cbSize = sizeof(TOOLINFO);
    UINT uFlags = 0;
    HWND hwnd = nullptr;  // the window that gets the notices (and holds rect)
    UINT_PTR uId = 0;     // the tool's id; with TTF_IDISHWND the tool's window
    RECT rect{};          // with neither TTF_IDISHWND nor TTF_TRACK: the tool's area in hwnd
    HINSTANCE hinst = nullptr;
    char* lpszText = nullptr; // the text, or LPSTR_TEXTCALLBACK
    LPARAM lParam = 0;        // handed back in TTN_GETDISPINFO
    void* lpReserved = nullptr;
};
using TTTOOLINFO = TOOLINFO;
using TOOLINFOA = TOOLINFO;

// TTN_GETDISPINFO: the receiver points lpszText at the text (or fills szText); with
// TTF_DI_SETITEM in uFlags the tool keeps the text and asks no more.
struct NMTTDISPINFO {
    NMHDR hdr;
    char* lpszText = nullptr;
    char szText[80] = {};
    HINSTANCE hinst = nullptr;
    UINT uFlags = 0;
    LPARAM lParam = 0;
};
using NMTTDISPINFOA = NMTTDISPINFO;
using TOOLTIPTEXT = NMTTDISPINFO;

struct TTGETTITLE {
    DWORD dwSize = sizeof(TTGETTITLE);
    UINT uTitleBitmap = 0; // the icon
    UINT cch = 0;          // room in pszTitle
    char* pszTitle = nullptr;
};

// Window creation by class name: TOOLTIPS_CLASS gives a tool tip (parent: its owner window;
// position and size are the tip's own, CW_USEDEFAULT is fine). Null for other classes.
constexpr int CW_USEDEFAULT = int(0x80000000u);
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, void* menu, HINSTANCE instance, void* param);
// Destroys a window made by CreateWindowEx (a shown tip goes without TTN_POP); inside one of
// the window's own notices it goes once that notice is answered. FALSE for any other window and
// for one already destroyed; such a handle is never touched.
BOOL DestroyWindow(HWND window);
