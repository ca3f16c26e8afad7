#pragma once
// Host widgets of the framework's controls.
//
// TControlHostLink: the link between a host QWidget of our own and its control. The control
// attaches itself on construction and detaches before it deletes the host, so a host never
// calls back into a control that is being destroyed.
//
// TControlHost: the host of windowed controls that paint themselves. It translates Qt's
// events into message records (see Controls.h), keeps the image of the client area that
// paints and "at once" drawing go to, and carries the standard scroll bars.
#include "platform/win/WinGdi.h"
#include "platform/win/WinLayered.h"
#include "platform/win/WinWindow.h"

#include <QImage>
#include <QKeyEvent>
#include <functional>
#include <QMargins>
#include <QRegion>
#include <QWidget>

class TControl;
class QScrollBar;
class QKeyEvent;
class QInputMethodEvent;
class QMouseEvent;
class QWheelEvent;
class QFocusEvent;

class TControlHostLink {
public:
    virtual ~TControlHostLink() = default;
    virtual void AttachControl(TControl* control) { control_ = control; }
    virtual void CaptionChanged() {}
    TControl* LinkedControl() const { return control_; }
    // Sends a message to the linked control (0 once it is gone); exceptions go to Application.
    // A control freed by one of its own handlers detaches at once and its widget is deleted
    // once the dispatch has unwound.
    LRESULT SendToControl(UINT msg, WPARAM wParam, LPARAM lParam);
    bool Dispatching() const { return dispatchDepth_ > 0; }

protected:
    TControl* control_ = nullptr;
    int dispatchDepth_ = 0;
};

// Qt's input into the messages the message loop and the framework send, in their order (any
// host of a windowed control uses it):
//   key press:   [CN_KEYDOWN: CM_CHILDKEY, CM_WANTSPECIALKEY, WM_GETDLGCODE, CM_DIALOGKEY]
//                WM_KEYDOWN (WM_SYSKEYDOWN with Alt), then per character [CN_CHAR:
//                CM_DIALOGCHAR] WM_CHAR (WM_SYSCHAR with Alt; WM_DEADCHAR for a dead key)
//   key release: WM_KEYUP (WM_SYSKEYUP)
//   composed text (input method): WM_CHAR per character
//   focus:       WM_KILLFOCUS to the old window, WM_SETFOCUS to the new, then the framework's
//                CM_CANCELMODE and CM_EXIT to the controls left, CM_ENTER to those entered,
//                CM_FOCUSCHANGED to the form
struct TControlInput {
    // True when the key was used (false: Qt may use it).
    static bool KeyPress(TControlHostLink* link, QKeyEvent* e);
    static void KeyRelease(TControlHostLink* link, QKeyEvent* e);
    static void InputMethod(TControlHostLink* link, QInputMethodEvent* e);
    static void FocusIn(TControlHostLink* link, QFocusEvent* e);
    static void FocusOut(TControlHostLink* link, QFocusEvent* e);
    // The key data (lParam) of a key message: repeat count, scan code, extended-key flag,
    // Alt, previous state, transition.
    static LPARAM KeyData(WORD vk, bool repeat, bool alt, bool up);
};

class TControlHost : public QWidget,
                     public TControlHostLink,
                     public IWindowSurface,
                     public IMessageTarget,
                     public IScrollBarHost,
                     public IUpdateRegionSource,
                     public ILayeredSurface,
                     public IWindowShape,
                     public INonClientWindow {
public:
    explicit TControlHost(QWidget* parent = nullptr);
    ~TControlHost() override;

    // The client area in the widget: inside the non-client band, less the visible scroll bars.
    QRect ClientArea() const;

    // INonClientWindow: the band is what WM_NCCALCSIZE leaves around the client area (asked
    // when the window is created, resized or its frame changes); WM_NCPAINT paints it on the
    // window image, which shows around the client area. Mouse input first asks WM_NCHITTEST:
    // HTCLIENT gives the client messages, anything else WM_NCMOUSEMOVE, WM_NCLBUTTONDOWN...
    // with the hit code and the screen position.
    QRect ClientBox() const override { return ClientArea(); }
    QImage* WindowImage() override;
    void WindowImageChanged() override { update(); }
    void FrameChanged() override;
    QMargins Band() const { return band_; }
    // The answer of a window that does not handle WM_NCHITTEST (screen position).
    int DefaultHitTest(const QPoint& screen) const;

    // IWindowSurface
    QImage* SurfaceImage() override;
    void SurfaceChanged(const QRect& area) override;
    void InvalidateArea(const QRect* area, bool erase) override;
    // IMessageTarget
    LRESULT DeliverMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // IScrollBarHost
    void ShowBar(int bar, bool show) override;
    bool BarVisible(int bar) const override;
    void SetBarInfo(int bar, const SCROLLINFO& info) override;
    SCROLLINFO BarInfo(int bar) const override;
    void EnableBar(int bar, bool enable) override;

    // IUpdateRegionSource: during a paint the region being painted, otherwise what is invalid
    // (which then counts as painted).
    bool TakeUpdateRegion(QRegion* region, bool* erase) override;
    // ILayeredSurface: the window shows composed (a top-level window gets a translucent
    // background); fully transparent pixels let the mouse through.
    void SetLayeredLook(const TLayeredLook& look) override;
    void SetLayeredImage(const QImage& premultiplied) override;
    bool Layered() const { return layered_; }
    // IWindowShape: the window's region (SetWindowRgn); a layered window's own shape is
    // narrowed to it.
    void SetWindowShape(const QRegion* shape) override;
    bool WindowShape(QRegion* shape) const override;
    // What a layered window shows, premultiplied, before its constant alpha.
    QImage LayeredPixels();

    // Paints what is invalid into the image now (as UpdateWindow does).
    void PaintPending();
    // The recorder that every paint's device context logs into (tests).
    TGdiRecorder* PaintRecorder = nullptr;
    int PaintCount = 0;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    // An input method (or a test driving the window) reads an edit's text.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

public:
    // WM_SETREDRAW: while off, nothing is painted (areas invalidated meanwhile wait).
    void SetRedraw(bool on);
    bool Redraw() const { return redraw_; }

private:
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam);
    void MouseButton(QMouseEvent* e, UINT leftMsg, UINT rightMsg, UINT middleMsg);
    void LayoutBars();
    void ScrollAction(int bar, int action);
    QScrollBar* Bar(int bar) const;

    void UpdateLayeredMask();
    void CalcBand();
    // The hit code of the mouse event; HTCLIENT while the mouse is held by a client press.
    int HitTest(QMouseEvent* e);
    bool NonClientMouse(QMouseEvent* e, UINT ncMsg);
    LPARAM MousePos(QMouseEvent* e) const; // client coordinates

    QImage surface_;
    QRegion invalid_;
    QRegion painting_; // the region of the paint under way
    bool inPaint_ = false;
    bool layered_ = false;
    TLayeredLook look_;
    QImage layeredImage_; // set by UpdateLayeredWindow; null: the painted surface is shown
    bool shaped_ = false;
    QRegion shape_; // the window's region while shaped_
    QMargins band_;
    QImage frame_;             // the window image the band is painted on
    int pressHit_ = HTCLIENT;  // where the held button went down
    bool ncDirty_ = false;     // the band waits for WM_NCPAINT
    QScrollBar* bars_[2] = {nullptr, nullptr};
    SCROLLINFO info_[2];
    bool barShown_[2] = {false, false};
    bool applyingInfo_ = false;
    bool redraw_ = true;
    Qt::MouseButton lastPressButton_ = Qt::NoButton;
    QPoint lastPressAt_;
    quint64 lastPressTime_ = 0;
    bool doubleSent_ = false;
};

// THostedBand: the non-client band of a control whose host is a Qt widget of its own kind (a
// date picker, a list...): the host class derives from it beside the widget and
// TControlHostLink. WM_NCCALCSIZE gives the band when the window is created, resized or its
// frame changes (FrameChanged); client coordinates (child controls, GetClientRect) start past
// it. WM_NCPAINT paints the band on the window image (GetWindowDC) whenever the widget shows
// it again; the band is shown over the widget's edge and over its child windows, as a frame
// around a client area is, and lets the mouse through to the widget.
class THostedBand : public INonClientWindow {
public:
    THostedBand(QWidget* widget, TControlHostLink* link);
    ~THostedBand() override;
    QRect ClientBox() const override;
    QImage* WindowImage() override;
    void WindowImageChanged() override;
    void FrameChanged() override;
    QMargins Band() const { return band_; }

private:
    friend class THostedBandView;
    void CalcBand();
    void PaintBand(QWidget* view);
    QWidget* widget_;
    TControlHostLink* link_;
    QWidget* view_ = nullptr; // the child that shows the band, kept above the others
    QMargins band_;
    QImage frame_;
    bool painting_ = false; // WM_NCPAINT under way: the view shows the image once it ends
};

// Key-down handling shared by the controls that take typed text (edits of combo boxes, rich
// edits): Shift+Insert pastes, Ctrl+Insert copies and Shift+Delete cuts; keys that make
// characters are left to WM_CHAR; any other key reaches the control's Qt text widget as a key
// press through <applyKey>.
void TextControlKeyDown(TControl& control, const TMessage& m, const std::function<void(QKeyEvent*)>& applyKey);
