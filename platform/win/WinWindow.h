#pragma once
// Windows, messages and keys of the API subset: message numbers, virtual-key codes, sending
// and posting messages to windows, scroll bars, mouse capture and key state. A window is a
// QWidget (HWND); windows of the component framework implement IMessageTarget (their
// messages go through the control's WndProc) and IScrollBarHost (their scroll bars).
#include "WinDef.h"

// ---------------------------------------------------------------- messages
enum : UINT {
    WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003, WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008, WM_ENABLE = 0x000A,
    WM_SETREDRAW = 0x000B, WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D, WM_GETTEXTLENGTH = 0x000E,
    WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_ERASEBKGND = 0x0014, WM_SYSCOLORCHANGE = 0x0015,
    WM_SHOWWINDOW = 0x0018, WM_SETTINGCHANGE = 0x001A, WM_CANCELMODE = 0x001F, WM_SETCURSOR = 0x0020,
    WM_MOUSEACTIVATE = 0x0021, WM_GETMINMAXINFO = 0x0024, WM_SETFONT = 0x0030, WM_GETFONT = 0x0031,
    WM_WINDOWPOSCHANGING = 0x0046, WM_WINDOWPOSCHANGED = 0x0047, WM_NOTIFY = 0x004E,
    WM_CONTEXTMENU = 0x007B, WM_NCCREATE = 0x0081, WM_NCDESTROY = 0x0082, WM_NCCALCSIZE = 0x0083,
    WM_NCHITTEST = 0x0084, WM_NCPAINT = 0x0085, WM_GETDLGCODE = 0x0087,
    WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102, WM_DEADCHAR = 0x0103, WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106, WM_COMMAND = 0x0111, WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113, WM_HSCROLL = 0x0114, WM_VSCROLL = 0x0115,
    WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_RBUTTONDBLCLK = 0x0206, WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208, WM_MBUTTONDBLCLK = 0x0209, WM_MOUSEWHEEL = 0x020A, WM_CAPTURECHANGED = 0x0215,
    WM_MOUSEHOVER = 0x02A1, WM_MOUSELEAVE = 0x02A3,
    WM_CUT = 0x0300, WM_COPY = 0x0301, WM_PASTE = 0x0302, WM_CLEAR = 0x0303, WM_UNDO = 0x0304,
    WM_USER = 0x0400, WM_APP = 0x8000,
    EM_GETSEL = 0x00B0, EM_SETSEL = 0x00B1, EM_LIMITTEXT = 0x00C5, EM_POSFROMCHAR = 0x00D6,
    EM_CHARFROMPOS = 0x00D7,
};
// WM_SIZE kinds, WM_ACTIVATE states, WM_MOUSEWHEEL delta unit
enum : UINT { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
enum : UINT { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
constexpr int WHEEL_DELTA = 120;
// Mouse-message key flags
enum : UINT { MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_SHIFT = 0x4, MK_CONTROL = 0x8, MK_MBUTTON = 0x10 };
// WM_GETDLGCODE answers
enum : UINT { DLGC_WANTARROWS = 0x1, DLGC_WANTTAB = 0x2, DLGC_WANTALLKEYS = 0x4, DLGC_WANTMESSAGE = 0x4,
              DLGC_HASSETSEL = 0x8, DLGC_WANTCHARS = 0x80 };
// Scroll-bar requests (low word of WM_HSCROLL/WM_VSCROLL's wParam; the position in the high word)
enum : UINT { SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2, SB_PAGELEFT = 2,
              SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5, SB_TOP = 6,
              SB_LEFT = 6, SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8 };
enum : int { SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3 };

// ---------------------------------------------------------------- virtual keys
enum : WORD {
    VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_BACK = 0x08, VK_TAB = 0x09,
    VK_CLEAR = 0x0C, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23,
    VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_SELECT = 0x29,
    VK_PRINT = 0x2A, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F,
    VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60, VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD4, VK_NUMPAD5, VK_NUMPAD6, VK_NUMPAD7,
    VK_NUMPAD8, VK_NUMPAD9, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
    VK_F1 = 0x70, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9, VK_F10, VK_F11, VK_F12,
    VK_NUMLOCK = 0x90, VK_SCROLL = 0x91, VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2,
    VK_RCONTROL = 0xA3, VK_LMENU = 0xA4, VK_RMENU = 0xA5,
};

// The virtual key of a Qt key (letters and digits are their upper-case ASCII codes); 0 if none.
WORD VirtualKeyOfQtKey(int qtKey, bool keypad);
// The Qt key of a virtual key (for tests that type keys by their codes).
int QtKeyOfVirtualKey(WORD vk);

// High bit set while the key or mouse button is down (queried from Qt).
short GetKeyState(int vk);
short GetAsyncKeyState(int vk);

// ---------------------------------------------------------------- message targets

// A window whose messages run through a control's window procedure.
class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    virtual LRESULT DeliverMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};

// Runs the window's procedure now; 0 for windows without one.
LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues the message; it runs from the event loop unless the window is gone by then.
BOOL PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------- scroll bars

struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
enum : UINT { SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_DISABLENOSCROLL = 0x8, SIF_TRACKPOS = 0x10,
              SIF_ALL = 0x17 };
enum : UINT { ESB_ENABLE_BOTH = 0, ESB_DISABLE_BOTH = 3 };

// A window with the standard horizontal and vertical scroll bars.
class IScrollBarHost {
public:
    virtual ~IScrollBarHost() = default;
    virtual void ShowBar(int bar, bool show) = 0;
    virtual bool BarVisible(int bar) const = 0;
    virtual void SetBarInfo(int bar, const SCROLLINFO& info) = 0; // fields of info.fMask
    virtual SCROLLINFO BarInfo(int bar) const = 0;
    virtual void EnableBar(int bar, bool enable) = 0;
};

int SetScrollInfo(HWND window, int bar, const SCROLLINFO* info, BOOL redraw);
BOOL GetScrollInfo(HWND window, int bar, SCROLLINFO* info);
int SetScrollPos(HWND window, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND window, int bar);
BOOL SetScrollRange(HWND window, int bar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND window, int bar, int* minPos, int* maxPos);
BOOL ShowScrollBar(HWND window, int bar, BOOL show);
BOOL EnableScrollBar(HWND window, UINT bar, UINT arrows);

// ---------------------------------------------------------------- mouse and windows

HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL GetCursorPos(POINT* point);
HWND GetParent(HWND window);
BOOL IsWindowEnabled(HWND window);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL ShowWindow(HWND window, int command);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
enum : int { GWL_STYLE = -16, GWL_EXSTYLE = -20 };
enum : DWORD { WS_EX_LAYOUTRTL = 0x00400000, WS_EX_RTLREADING = 0x2000, WS_EX_LAYERED = 0x80000,
               WS_HSCROLL = 0x00100000, WS_VSCROLL = 0x00200000 };
LONG GetWindowLong(HWND window, int index);
UINT GetDoubleClickTime();
DWORD GetTickCount();
BOOL MessageBeep(UINT type);
