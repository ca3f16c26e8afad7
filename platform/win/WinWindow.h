#pragma once
// Windows, messages and keys of the API subset: message numbers, virtual-key codes, sending
// and posting messages to windows, scroll bars, mouse capture and key state. A window is a
// QWidget (HWND); windows of the component framework implement IMessageTarget (their
// messages go through the control's WndProc) and IScrollBarHost (their scroll bars).
#include "platform/win/WinDef.h"

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
    WM_QUERYENDSESSION = 0x0011, WM_QUIT = 0x0012, WM_ENDSESSION = 0x0016, WM_ACTIVATEAPP = 0x001C,
    WM_CHILDACTIVATE = 0x0022, WM_NEXTDLGCTL = 0x0028, WM_DRAWITEM = 0x002B, WM_MEASUREITEM = 0x002C,
    WM_HELP = 0x0053, WM_STYLECHANGING = 0x007C, WM_STYLECHANGED = 0x007D, WM_GETICON = 0x007F,
    WM_NCACTIVATE = 0x0086, WM_NCMOUSEMOVE = 0x00A0, WM_NCLBUTTONDOWN = 0x00A1, WM_NCLBUTTONUP = 0x00A2,
    WM_NCLBUTTONDBLCLK = 0x00A3, WM_NCRBUTTONDOWN = 0x00A4, WM_NCRBUTTONUP = 0x00A5, WM_NCRBUTTONDBLCLK = 0x00A6,
    WM_NCMBUTTONDOWN = 0x00A7, WM_NCMBUTTONUP = 0x00A8, WM_NCMBUTTONDBLCLK = 0x00A9, WM_UNICHAR = 0x0109, WM_SYSDEADCHAR = 0x0107,
    WM_IME_STARTCOMPOSITION = 0x010D, WM_IME_ENDCOMPOSITION = 0x010E, WM_IME_COMPOSITION = 0x010F,
    WM_INITDIALOG = 0x0110, WM_INITMENU = 0x0116, WM_INITMENUPOPUP = 0x0117, WM_MENUSELECT = 0x011F,
    WM_MENUCHAR = 0x0120, WM_ENTERIDLE = 0x0121, WM_UNINITMENUPOPUP = 0x0125, WM_CHANGEUISTATE = 0x0127,
    WM_UPDATEUISTATE = 0x0128, WM_QUERYUISTATE = 0x0129, WM_CTLCOLOREDIT = 0x0133, WM_CTLCOLORLISTBOX = 0x0134,
    WM_CTLCOLORBTN = 0x0135, WM_CTLCOLORSTATIC = 0x0138, WM_XBUTTONDOWN = 0x020B, WM_XBUTTONUP = 0x020C,
    WM_XBUTTONDBLCLK = 0x020D, WM_MOUSEHWHEEL = 0x020E, WM_PARENTNOTIFY = 0x0210, WM_ENTERMENULOOP = 0x0211,
    WM_EXITMENULOOP = 0x0212, WM_SIZING = 0x0214, WM_MOVING = 0x0216, WM_ENTERSIZEMOVE = 0x0231,
    WM_EXITSIZEMOVE = 0x0232, WM_IME_SETCONTEXT = 0x0281, WM_IME_NOTIFY = 0x0282, WM_IME_CHAR = 0x0286,
    WM_NCMOUSEHOVER = 0x02A0, WM_NCMOUSELEAVE = 0x02A2, WM_PRINT = 0x0317, WM_PRINTCLIENT = 0x0318,
    WM_THEMECHANGED = 0x031A,
    // edit controls
    EM_GETSEL = 0x00B0, EM_SETSEL = 0x00B1, EM_GETRECT = 0x00B2, EM_SETRECT = 0x00B3, EM_SETRECTNP = 0x00B4,
    EM_SCROLL = 0x00B5, EM_LINESCROLL = 0x00B6, EM_SCROLLCARET = 0x00B7, EM_GETMODIFY = 0x00B8,
    EM_SETMODIFY = 0x00B9, EM_GETLINECOUNT = 0x00BA, EM_LINEINDEX = 0x00BB, EM_LINELENGTH = 0x00C1,
    EM_REPLACESEL = 0x00C2, EM_GETLINE = 0x00C4, EM_LIMITTEXT = 0x00C5, EM_SETLIMITTEXT = 0x00C5,
    EM_CANUNDO = 0x00C6, EM_UNDO = 0x00C7, EM_LINEFROMCHAR = 0x00C9, EM_SETPASSWORDCHAR = 0x00CC,
    EM_EMPTYUNDOBUFFER = 0x00CD, EM_GETFIRSTVISIBLELINE = 0x00CE, EM_SETREADONLY = 0x00CF,
    EM_GETPASSWORDCHAR = 0x00D2, EM_SETMARGINS = 0x00D3, EM_GETMARGINS = 0x00D4, EM_GETLIMITTEXT = 0x00D5,
    EM_POSFROMCHAR = 0x00D6, EM_CHARFROMPOS = 0x00D7,
    EM_SHOWBALLOONTIP = 0x1503, EM_HIDEBALLOONTIP = 0x1504,
    // combo boxes
    CB_GETEDITSEL = 0x0140, CB_LIMITTEXT = 0x0141, CB_SETEDITSEL = 0x0142, CB_ADDSTRING = 0x0143,
    CB_DELETESTRING = 0x0144, CB_GETCOUNT = 0x0146, CB_GETCURSEL = 0x0147, CB_GETLBTEXT = 0x0148,
    CB_GETLBTEXTLEN = 0x0149, CB_INSERTSTRING = 0x014A, CB_RESETCONTENT = 0x014B, CB_FINDSTRING = 0x014C,
    CB_SELECTSTRING = 0x014D, CB_SETCURSEL = 0x014E, CB_SHOWDROPDOWN = 0x014F, CB_GETITEMDATA = 0x0150,
    CB_SETITEMDATA = 0x0151, CB_GETDROPPEDCONTROLRECT = 0x0152, CB_SETITEMHEIGHT = 0x0153,
    CB_GETITEMHEIGHT = 0x0154, CB_GETDROPPEDSTATE = 0x0157, CB_FINDSTRINGEXACT = 0x0158,
    CB_GETDROPPEDWIDTH = 0x015F, CB_SETDROPPEDWIDTH = 0x0160,
};
// Notification codes (high word of WM_COMMAND's wParam): edits and combo boxes
enum : UINT { EN_SETFOCUS = 0x0100, EN_KILLFOCUS = 0x0200, EN_CHANGE = 0x0300, EN_UPDATE = 0x0400,
              EN_MAXTEXT = 0x0501 };
enum : UINT { CBN_SELCHANGE = 1, CBN_DBLCLK = 2, CBN_SETFOCUS = 3, CBN_KILLFOCUS = 4, CBN_EDITCHANGE = 5,
              CBN_EDITUPDATE = 6, CBN_DROPDOWN = 7, CBN_CLOSEUP = 8, CBN_SELENDOK = 9, CBN_SELENDCANCEL = 10 };
constexpr LRESULT CB_ERR = -1;
constexpr LRESULT CB_OKAY = 0;
// EM_SETMARGINS: which margins
enum : UINT { EC_LEFTMARGIN = 0x1, EC_RIGHTMARGIN = 0x2, EC_USEFONTINFO = 0xFFFF };
// EM_SHOWBALLOONTIP: the tip (texts in UTF-8)
enum : int { TTI_NONE = 0, TTI_INFO = 1, TTI_WARNING = 2, TTI_ERROR = 3 };
struct EDITBALLOONTIP {
    DWORD cbStruct = sizeof(EDITBALLOONTIP);
    const char* pszTitle = nullptr;
    const char* pszText = nullptr;
    int ttiIcon = TTI_NONE;
};
// WM_NOTIFY (lParam): the sender and the notice; every control's notice record starts with it.
struct NMHDR {
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
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

// The framework tells how a window that is no message target itself (a control on a plain Qt
// widget) finds the target that stands for it.
using TMessageTargetFinder = IMessageTarget* (*)(HWND window);
void SetMessageTargetFinder(TMessageTargetFinder finder);
IMessageTarget* MessageTargetOf(HWND window);

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
enum : int { GWL_STYLE = -16, GWL_EXSTYLE = -20, GCL_STYLE = -26 };
// WM_NCHITTEST answers: where in the window a point lies.
enum : int { HTERROR = -2, HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2, HTSYSMENU = 3,
             HTGROWBOX = 4, HTHSCROLL = 6, HTVSCROLL = 7, HTLEFT = 10, HTRIGHT = 11, HTTOP = 12, HTTOPLEFT = 13,
             HTTOPRIGHT = 14, HTBOTTOM = 15, HTBOTTOMLEFT = 16, HTBOTTOMRIGHT = 17, HTBORDER = 18 };
// WM_NCCREATE and WM_CREATE: the parameters the window is made with.
struct CREATESTRUCT {
    void* lpCreateParams = nullptr;
    HWND hwndParent = nullptr;
    int cy = 0;
    int cx = 0;
    int y = 0;
    int x = 0;
    LONG style = 0;
    const char* lpszName = nullptr;
    DWORD dwExStyle = 0;
};
// WM_STYLECHANGING and WM_STYLECHANGED (lParam): the style word before and after.
struct STYLESTRUCT {
    DWORD styleOld = 0;
    DWORD styleNew = 0;
};
// Window styles
enum : DWORD {
    WS_OVERLAPPED = 0, WS_POPUP = 0x80000000, WS_CHILD = 0x40000000, WS_MINIMIZE = 0x20000000,
    WS_VISIBLE = 0x10000000, WS_DISABLED = 0x08000000, WS_CLIPSIBLINGS = 0x04000000, WS_CLIPCHILDREN = 0x02000000,
    WS_MAXIMIZE = 0x01000000, WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000, WS_DLGFRAME = 0x00400000,
    WS_VSCROLL = 0x00200000, WS_HSCROLL = 0x00100000, WS_SYSMENU = 0x00080000, WS_THICKFRAME = 0x00040000,
    WS_GROUP = 0x00020000, WS_TABSTOP = 0x00010000,
};
// Extended window styles
enum : DWORD {
    WS_EX_DLGMODALFRAME = 0x1, WS_EX_TOPMOST = 0x8, WS_EX_TRANSPARENT = 0x20, WS_EX_TOOLWINDOW = 0x80,
    WS_EX_WINDOWEDGE = 0x100, WS_EX_CLIENTEDGE = 0x200, WS_EX_RTLREADING = 0x2000, WS_EX_LEFTSCROLLBAR = 0x4000,
    WS_EX_CONTROLPARENT = 0x10000, WS_EX_STATICEDGE = 0x20000, WS_EX_APPWINDOW = 0x40000, WS_EX_LAYERED = 0x80000,
    WS_EX_LAYOUTRTL = 0x00400000, WS_EX_NOACTIVATE = 0x08000000,
};
// Class styles
enum : DWORD { CS_VREDRAW = 0x1, CS_HREDRAW = 0x2, CS_DBLCLKS = 0x8, CS_SAVEBITS = 0x800, CS_DROPSHADOW = 0x20000 };
// Edit styles
enum : DWORD {
    ES_LEFT = 0x0, ES_CENTER = 0x1, ES_RIGHT = 0x2, ES_MULTILINE = 0x4, ES_UPPERCASE = 0x8, ES_LOWERCASE = 0x10,
    ES_PASSWORD = 0x20, ES_AUTOVSCROLL = 0x40, ES_AUTOHSCROLL = 0x80, ES_NOHIDESEL = 0x100, ES_OEMCONVERT = 0x400,
    ES_READONLY = 0x800, ES_WANTRETURN = 0x1000, ES_NUMBER = 0x2000,
};
// Combo-box styles
enum : DWORD { CBS_SIMPLE = 0x1, CBS_DROPDOWN = 0x2, CBS_DROPDOWNLIST = 0x3, CBS_OWNERDRAWFIXED = 0x10,
               CBS_OWNERDRAWVARIABLE = 0x20, CBS_AUTOHSCROLL = 0x40, CBS_SORT = 0x100, CBS_HASSTRINGS = 0x200 };
// Style words of a window: framework windows answer with the styles their creation parameters
// gave (and that SetWindowLong changed); other windows with what their widget shows.
LONG GetWindowLong(HWND window, int index);
LONG SetWindowLong(HWND window, int index, LONG value);
// The window that stands for a framework window's style words and timers.
class IWindowStyles {
public:
    virtual ~IWindowStyles() = default;
    virtual LONG StyleWord(int index) const = 0;
    virtual void SetStyleWord(int index, LONG value) = 0;
};

// SetWindowPos: insert-after handles and flags.
extern const HWND HWND_TOP;
extern const HWND HWND_BOTTOM;
extern const HWND HWND_TOPMOST;
extern const HWND HWND_NOTOPMOST;
enum : UINT { SWP_NOSIZE = 0x1, SWP_NOMOVE = 0x2, SWP_NOZORDER = 0x4, SWP_NOREDRAW = 0x8, SWP_NOACTIVATE = 0x10,
              SWP_FRAMECHANGED = 0x20, SWP_SHOWWINDOW = 0x40, SWP_HIDEWINDOW = 0x80, SWP_NOCOPYBITS = 0x100,
              SWP_NOOWNERZORDER = 0x200, SWP_NOSENDCHANGING = 0x400 };
// Moves, sizes, shows or hides a window and changes its place among its siblings (HWND_TOPMOST
// keeps a top-level window above the others).
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// Moves the client area's pixels by (dx, dy) and invalidates what is uncovered; with a null
// `scroll` rectangle the child windows move along.
BOOL ScrollWindow(HWND window, int dx, int dy, const RECT* scroll, const RECT* clip);

// ---------------------------------------------------------------- timers and registered messages

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
// Starts (or restarts) the window's timer `id`: WM_TIMER with wParam = id arrives every `elapse`
// milliseconds (or `proc` runs) until KillTimer, or until the window is gone. Without a window
// the timer gets a fresh id, which is returned.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND window, UINT_PTR id);
// One message number (0xC000..0xFFFF) per name, the same for the same name (case-blind).
UINT RegisterWindowMessage(const char* name);
UINT GetDoubleClickTime();
DWORD GetTickCount();
BOOL MessageBeep(UINT type);
// How many beeps MessageBeep has sounded since the program started (tests read it).
int MessageBeepCount();
