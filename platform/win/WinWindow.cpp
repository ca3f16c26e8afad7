#include "platform/win/WinWindow.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QStyleHints>
#include <QTimer>
#include <QWidget>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <map>
#include <vector>
#include "platform/win/WinGdi.h"

namespace {

struct KeyPair {
    int qt;
    WORD vk;
};

const KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB}, {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN}, {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU}, {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END}, {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP}, {Qt::Key_Right, VK_RIGHT}, {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Select, VK_SELECT}, {Qt::Key_Print, VK_SNAPSHOT}, {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Help, VK_HELP}, {Qt::Key_Menu, VK_APPS},
    {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL},
};

} // namespace

WORD VirtualKeyOfQtKey(int qtKey, bool keypad)
{
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return WORD(VK_NUMPAD0 + (qtKey - Qt::Key_0));
        switch (qtKey) {
        case Qt::Key_Asterisk: return VK_MULTIPLY;
        case Qt::Key_Plus: return VK_ADD;
        case Qt::Key_Minus: return VK_SUBTRACT;
        case Qt::Key_Period: case Qt::Key_Comma: return VK_DECIMAL;
        case Qt::Key_Slash: return VK_DIVIDE;
        default: break;
        }
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return WORD('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return WORD('0' + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return WORD(VK_F1 + (qtKey - Qt::Key_F1));
    for (const KeyPair& k : kKeys)
        if (k.qt == qtKey)
            return k.vk;
    switch (qtKey) { // punctuation keys of a US keyboard
    case Qt::Key_Semicolon: case Qt::Key_Colon: return 0xBA;
    case Qt::Key_Plus: case Qt::Key_Equal: return 0xBB;
    case Qt::Key_Comma: case Qt::Key_Less: return 0xBC;
    case Qt::Key_Minus: case Qt::Key_Underscore: return 0xBD;
    case Qt::Key_Period: case Qt::Key_Greater: return 0xBE;
    case Qt::Key_Slash: case Qt::Key_Question: return 0xBF;
    default: return 0;
    }
}

int QtKeyOfVirtualKey(WORD vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return Qt::Key_A + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return Qt::Key_0 + (vk - '0');
    if (vk >= VK_F1 && vk <= VK_F12)
        return Qt::Key_F1 + (vk - VK_F1);
    for (const KeyPair& k : kKeys)
        if (k.vk == vk)
            return k.qt;
    return 0;
}

short GetKeyState(int vk)
{
    const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    bool down = false;
    switch (vk) {
    case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT: down = mods & Qt::ShiftModifier; break;
    case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL: down = mods & Qt::ControlModifier; break;
    case VK_MENU: case VK_LMENU: case VK_RMENU: down = mods & Qt::AltModifier; break;
    case VK_LBUTTON: down = buttons & Qt::LeftButton; break;
    case VK_RBUTTON: down = buttons & Qt::RightButton; break;
    case VK_MBUTTON: down = buttons & Qt::MiddleButton; break;
    default: break;
    }
    return down ? short(0x8000) : short(0);
}

short GetAsyncKeyState(int vk)
{
    return GetKeyState(vk);
}

namespace {
TMessageTargetFinder targetFinder = nullptr;
} // namespace

void SetMessageTargetFinder(TMessageTargetFinder finder)
{
    targetFinder = finder;
}

IMessageTarget* MessageTargetOf(HWND window)
{
    if (!window)
        return nullptr;
    if (targetFinder)
        if (IMessageTarget* found = targetFinder(window))
            return found;
    return dynamic_cast<IMessageTarget*>(window);
}

LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (IMessageTarget* target = MessageTargetOf(window))
        return target->DeliverMessage(msg, wParam, lParam);
    return 0;
}

BOOL PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!window)
        return FALSE;
    QPointer<QWidget> guard = window;
    QTimer::singleShot(0, window, [guard, msg, wParam, lParam] {
        if (guard)
            SendMessage(guard.data(), msg, wParam, lParam);
    });
    return TRUE;
}

namespace {
IScrollBarHost* BarsOf(HWND window)
{
    return dynamic_cast<IScrollBarHost*>(window);
}
} // namespace

int SetScrollInfo(HWND window, int bar, const SCROLLINFO* info, BOOL)
{
    IScrollBarHost* host = BarsOf(window);
    if (!host || !info)
        return 0;
    host->SetBarInfo(bar, *info);
    return host->BarInfo(bar).nPos;
}

BOOL GetScrollInfo(HWND window, int bar, SCROLLINFO* info)
{
    IScrollBarHost* host = BarsOf(window);
    if (!host || !info)
        return FALSE;
    const UINT mask = info->fMask;
    const SCROLLINFO current = host->BarInfo(bar);
    if (mask & SIF_RANGE) {
        info->nMin = current.nMin;
        info->nMax = current.nMax;
    }
    if (mask & SIF_PAGE)
        info->nPage = current.nPage;
    if (mask & SIF_POS)
        info->nPos = current.nPos;
    if (mask & SIF_TRACKPOS)
        info->nTrackPos = current.nTrackPos;
    return TRUE;
}

int SetScrollPos(HWND window, int bar, int pos, BOOL redraw)
{
    IScrollBarHost* host = BarsOf(window);
    if (!host)
        return 0;
    const int old = host->BarInfo(bar).nPos;
    SCROLLINFO info;
    info.fMask = SIF_POS;
    info.nPos = pos;
    SetScrollInfo(window, bar, &info, redraw);
    return old;
}

int GetScrollPos(HWND window, int bar)
{
    IScrollBarHost* host = BarsOf(window);
    return host ? host->BarInfo(bar).nPos : 0;
}

BOOL SetScrollRange(HWND window, int bar, int minPos, int maxPos, BOOL redraw)
{
    SCROLLINFO info;
    info.fMask = SIF_RANGE;
    info.nMin = minPos;
    info.nMax = maxPos;
    return SetScrollInfo(window, bar, &info, redraw) >= 0 && BarsOf(window) != nullptr;
}

BOOL GetScrollRange(HWND window, int bar, int* minPos, int* maxPos)
{
    IScrollBarHost* host = BarsOf(window);
    if (!host)
        return FALSE;
    const SCROLLINFO info = host->BarInfo(bar);
    if (minPos)
        *minPos = info.nMin;
    if (maxPos)
        *maxPos = info.nMax;
    return TRUE;
}

BOOL ShowScrollBar(HWND window, int bar, BOOL show)
{
    IScrollBarHost* host = BarsOf(window);
    if (!host)
        return FALSE;
    if (bar == SB_BOTH) {
        host->ShowBar(SB_HORZ, show != 0);
        host->ShowBar(SB_VERT, show != 0);
    } else {
        host->ShowBar(bar, show != 0);
    }
    return TRUE;
}

BOOL EnableScrollBar(HWND window, UINT bar, UINT arrows)
{
    IScrollBarHost* host = BarsOf(window);
    if (!host)
        return FALSE;
    host->EnableBar(int(bar), arrows != ESB_DISABLE_BOTH);
    return TRUE;
}

namespace {
QPointer<QWidget> captureWindow;
} // namespace

HWND SetCapture(HWND window)
{
    HWND old = captureWindow.data();
    if (old && old != window)
        SendMessage(old, WM_CAPTURECHANGED, 0, LPARAM(window));
    captureWindow = window;
    // Qt holds the mouse for a widget while a button is down; a grab beyond that needs a
    // window system
    if (window && QGuiApplication::platformName() != QLatin1String("offscreen"))
        window->grabMouse();
    return old;
}

BOOL ReleaseCapture()
{
    if (captureWindow) {
        QWidget* w = captureWindow.data();
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            w->releaseMouse();
        captureWindow = nullptr;
        SendMessage(w, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

HWND GetCapture()
{
    return captureWindow.data();
}

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    const QPoint p = QCursor::pos();
    *point = POINT{p.x(), p.y()};
    return TRUE;
}

HWND GetParent(HWND window)
{
    return window ? window->parentWidget() : nullptr;
}

BOOL IsWindowEnabled(HWND window)
{
    return window && window->isEnabled();
}

BOOL EnableWindow(HWND window, BOOL enable)
{
    if (!window)
        return FALSE;
    const bool wasDisabled = !window->isEnabled();
    window->setEnabled(enable != 0);
    return wasDisabled;
}

BOOL ShowWindow(HWND window, int command)
{
    if (!window)
        return FALSE;
    const bool wasVisible = window->isVisible();
    switch (command) {
    case SW_HIDE: window->hide(); break;
    case SW_MINIMIZE: window->showMinimized(); break;
    case SW_MAXIMIZE: window->showMaximized(); break;
    case SW_RESTORE: window->showNormal(); break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA: {
        const bool was = window->testAttribute(Qt::WA_ShowWithoutActivating);
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->show();
        window->setAttribute(Qt::WA_ShowWithoutActivating, was);
        break;
    }
    default: window->show(); break;
    }
    return wasVisible;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL)
{
    if (!window)
        return FALSE;
    window->setGeometry(x, y, std::max(0, width), std::max(0, height));
    return TRUE;
}

namespace {
IWindowStyles* StylesOf(HWND window)
{
    return dynamic_cast<IWindowStyles*>(MessageTargetOf(window));
}
} // namespace

LONG GetWindowLong(HWND window, int index)
{
    if (!window)
        return 0;
    if (IWindowStyles* styles = StylesOf(window))
        return styles->StyleWord(index);
    if (index == GWL_EXSTYLE)
        return window->layoutDirection() == Qt::RightToLeft ? LONG(WS_EX_LAYOUTRTL) : 0;
    if (index == GWL_STYLE) {
        DWORD style = window->isWindow() ? 0 : WS_CHILD;
        if (window->isVisible())
            style |= WS_VISIBLE;
        if (!window->isEnabled())
            style |= WS_DISABLED;
        if (window->windowFlags() & Qt::Popup)
            style |= WS_POPUP;
        return LONG(style);
    }
    return 0;
}

LONG SetWindowLong(HWND window, int index, LONG value)
{
    IWindowStyles* styles = StylesOf(window);
    if (!styles)
        return 0;
    const LONG old = styles->StyleWord(index);
    styles->SetStyleWord(index, value);
    return old;
}

const HWND HWND_TOP = nullptr;
const HWND HWND_BOTTOM = reinterpret_cast<HWND>(intptr_t(1));
const HWND HWND_TOPMOST = reinterpret_cast<HWND>(intptr_t(-1));
const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(intptr_t(-2));

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    if (!window)
        return FALSE;
    QRect g = window->geometry();
    if (!(flags & SWP_NOMOVE))
        g.moveTo(x, y);
    if (!(flags & SWP_NOSIZE))
        g.setSize(QSize(std::max(0, cx), std::max(0, cy)));
    if (g != window->geometry())
        window->setGeometry(g);
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
            if (window->isWindow()) {
                const bool top = insertAfter == HWND_TOPMOST;
                if (bool(window->windowFlags() & Qt::WindowStaysOnTopHint) != top) {
                    const bool shown = window->isVisible();
                    window->setWindowFlag(Qt::WindowStaysOnTopHint, top);
                    if (shown)
                        window->show();
                }
            }
            window->raise();
        } else if (insertAfter == HWND_TOP) {
            window->raise();
        } else if (insertAfter == HWND_BOTTOM) {
            window->lower();
        } else if (insertAfter->parentWidget() == window->parentWidget()) {
            window->stackUnder(insertAfter);
        }
    }
    if (flags & SWP_SHOWWINDOW)
        window->show();
    if (flags & SWP_HIDEWINDOW)
        window->hide();
    if (flags & SWP_FRAMECHANGED)
        if (auto* framed = dynamic_cast<INonClientWindow*>(window))
            framed->FrameChanged();
    return TRUE;
}

BOOL ScrollWindow(HWND window, int dx, int dy, const RECT* scroll, const RECT* clip)
{
    if (!window)
        return FALSE;
    if (auto* surface = dynamic_cast<IWindowSurface*>(window)) {
        QImage* image = surface->SurfaceImage();
        QRect area = image->rect();
        if (scroll)
            area &= QRect(QPoint(scroll->left, scroll->top), QPoint(scroll->right - 1, scroll->bottom - 1));
        if (clip)
            area &= QRect(QPoint(clip->left, clip->top), QPoint(clip->right - 1, clip->bottom - 1));
        if (!area.isEmpty()) {
            const QImage copy = image->copy(area);
            QPainter p(image);
            p.setClipRect(area);
            p.drawImage(area.topLeft() + QPoint(dx, dy), copy);
            p.end();
            // what the move uncovered is painted again
            QRegion uncovered(area);
            uncovered -= area.translated(dx, dy);
            for (const QRect& r : uncovered)
                surface->InvalidateArea(&r, true);
            surface->SurfaceChanged(area);
        }
    } else {
        window->update();
    }
    if (!scroll)
        for (QObject* child : window->children())
            if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow())
                w->move(w->pos() + QPoint(dx, dy));
    return TRUE;
}

// ---------------------------------------------------------------- timers

namespace {
struct WindowTimer {
    QPointer<QWidget> window;
    UINT_PTR id = 0;
    QPointer<QTimer> timer;
};
std::vector<WindowTimer>& Timers()
{
    static std::vector<WindowTimer> timers;
    return timers;
}
UINT_PTR nextThreadTimerId = 0x7F00;

void DropDeadTimers()
{
    auto& timers = Timers();
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [](const WindowTimer& t) { return t.timer.isNull(); }),
                 timers.end());
}
} // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    DropDeadTimers();
    if (!window)
        id = ++nextThreadTimerId;
    KillTimer(window, id);
    // the timer belongs to the window's widget: it goes, unfired, when the window goes
    auto* timer = new QTimer(window ? static_cast<QObject*>(window) : QCoreApplication::instance());
    timer->setInterval(int(std::max<UINT>(elapse, 10)));
    QPointer<QWidget> guard = window;
    const bool hasWindow = window != nullptr;
    QObject::connect(timer, &QTimer::timeout, timer, [guard, hasWindow, id, proc] {
        if (hasWindow && !guard)
            return;
        if (proc)
            proc(guard.data(), WM_TIMER, id, GetTickCount());
        else if (guard)
            SendMessage(guard.data(), WM_TIMER, WPARAM(id), LPARAM(0));
    });
    Timers().push_back(WindowTimer{guard, id, timer});
    timer->start();
    return hasWindow ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    DropDeadTimers();
    auto& timers = Timers();
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->window.data() == window && it->id == id) {
            delete it->timer.data();
            timers.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

UINT RegisterWindowMessage(const char* name)
{
    static std::map<QString, UINT> registered;
    if (!name || !*name)
        return 0;
    const QString key = QString::fromUtf8(name).toCaseFolded();
    auto it = registered.find(key);
    if (it != registered.end())
        return it->second;
    const UINT msg = 0xC000 + UINT(registered.size());
    registered.emplace(key, msg);
    return msg;
}

UINT GetDoubleClickTime()
{
    return UINT(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

DWORD GetTickCount()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return DWORD(timer.elapsed());
}

namespace {
int beeps = 0;
}

int MessageBeepCount() { return beeps; }

BOOL MessageBeep(UINT)
{
    ++beeps;
    QApplication::beep();
    return TRUE;
}
