#include "platform/framework/Controls.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinFrameControl.h"

#include <QChildEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <algorithm>
#include <unordered_map>

Qt::CursorShape CursorShapeOf(TCursor cursor)
{
    switch (cursor) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crSQLWait: return Qt::WaitCursor;
    case crDrag: return Qt::DragCopyCursor;
    case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop: return Qt::ForbiddenCursor;
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

// ---------------------------------------------------------------- shift state

namespace {
// The modifiers of the Qt event being translated; outside an event, the keyboard's.
bool haveEventModifiers = false;
Qt::KeyboardModifiers eventModifiers;

struct EventModifiers {
    explicit EventModifiers(Qt::KeyboardModifiers m) : savedHave_(haveEventModifiers), saved_(eventModifiers)
    {
        haveEventModifiers = true;
        eventModifiers = m;
    }
    ~EventModifiers()
    {
        haveEventModifiers = savedHave_;
        eventModifiers = saved_;
    }
    bool savedHave_;
    Qt::KeyboardModifiers saved_;
};

Qt::KeyboardModifiers CurrentModifiers()
{
    return haveEventModifiers ? eventModifiers : QGuiApplication::queryKeyboardModifiers();
}
} // namespace

TShiftState KeyDataToShiftState(LPARAM)
{
    const Qt::KeyboardModifiers m = CurrentModifiers();
    TShiftState s;
    if (m & Qt::ShiftModifier)
        s << ssShift;
    if (m & Qt::ControlModifier)
        s << ssCtrl;
    if (m & Qt::AltModifier)
        s << ssAlt;
    return s;
}

TShiftState KeysToShiftState(UINT keys)
{
    TShiftState s;
    if (keys & MK_SHIFT)
        s << ssShift;
    if (keys & MK_CONTROL)
        s << ssCtrl;
    if (keys & MK_LBUTTON)
        s << ssLeft;
    if (keys & MK_RBUTTON)
        s << ssRight;
    if (keys & MK_MBUTTON)
        s << ssMiddle;
    if (CurrentModifiers() & Qt::AltModifier)
        s << ssAlt;
    return s;
}

// ---------------------------------------------------------------- TControlHost

TControlHost::TControlHost(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    info_[0].nMax = info_[1].nMax = 100;
}

TControlHost::~TControlHost() = default;

QScrollBar* TControlHost::Bar(int bar) const
{
    return (bar == SB_HORZ || bar == SB_VERT) ? bars_[bar] : nullptr;
}

QRect TControlHost::ClientArea() const
{
    int w = width() - band_.left() - band_.right(), h = height() - band_.top() - band_.bottom();
    if (barShown_[SB_VERT])
        w -= GetSystemMetrics(SM_CXVSCROLL);
    if (barShown_[SB_HORZ])
        h -= GetSystemMetrics(SM_CYHSCROLL);
    return QRect(band_.left(), band_.top(), std::max(0, w), std::max(0, h));
}

QImage* TControlHost::WindowImage()
{
    if (band_.isNull())
        return nullptr;
    if (frame_.size() != size()) {
        frame_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        frame_.fill(ColorRefToQColor(GetSysColor(COLOR_BTNFACE)));
    }
    return &frame_;
}

void TControlHost::CalcBand()
{
    if (!control_)
        return;
    const QRect g = geometry();
    RECT r{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    Send(WM_NCCALCSIZE, FALSE, LPARAM(&r));
    QMargins band(std::max(0, int(r.left - g.left())), std::max(0, int(r.top - g.top())),
                  std::max(0, int(g.left() + g.width() - r.right)), std::max(0, int(g.top() + g.height() - r.bottom)));
    if (!control_ || band == band_)
        return;
    band_ = band;
    ncDirty_ = true;
    LayoutBars();
    SurfaceImage();
    if (auto* w = dynamic_cast<TWinControl*>(control_))
        w->SetClientOffset(TPoint(band.left(), band.top()));
    update();
}

void TControlHost::FrameChanged()
{
    CalcBand();
    ncDirty_ = true;
    update();
}

int TControlHost::DefaultHitTest(const QPoint& screen) const
{
    const QPoint p = mapFromGlobal(screen);
    if (!rect().contains(p))
        return HTNOWHERE;
    const QRect client = ClientArea();
    if (client.contains(p))
        return HTCLIENT;
    for (int bar : {SB_VERT, SB_HORZ})
        if (barShown_[bar] && bars_[bar] && bars_[bar]->geometry().contains(p))
            return bar == SB_VERT ? HTVSCROLL : HTHSCROLL;
    const DWORD style = control_ ? DWORD(control_->StyleWord(GWL_STYLE)) : 0;
    if (style & WS_THICKFRAME) {
        // the sizing frame: edges and, 8 pixels along, corners
        const int corner = 8;
        const bool left = p.x() < band_.left(), right = p.x() >= width() - band_.right();
        const bool top = p.y() < band_.top(), bottom = p.y() >= height() - band_.bottom();
        const bool nearLeft = p.x() < corner, nearRight = p.x() >= width() - corner;
        const bool nearTop = p.y() < corner, nearBottom = p.y() >= height() - corner;
        if ((top && nearLeft) || (left && nearTop))
            return HTTOPLEFT;
        if ((top && nearRight) || (right && nearTop))
            return HTTOPRIGHT;
        if ((bottom && nearLeft) || (left && nearBottom))
            return HTBOTTOMLEFT;
        if ((bottom && nearRight) || (right && nearBottom))
            return HTBOTTOMRIGHT;
        if (left)
            return HTLEFT;
        if (right)
            return HTRIGHT;
        if (top)
            return HTTOP;
        if (bottom)
            return HTBOTTOM;
    }
    return HTBORDER;
}

QImage* TControlHost::SurfaceImage()
{
    const QSize size = ClientArea().size().expandedTo(QSize(1, 1));
    if (surface_.size() != size) {
        QImage fresh(size, QImage::Format_RGB32);
        fresh.fill(Qt::white);
        if (!surface_.isNull()) {
            QPainter p(&fresh);
            p.drawImage(0, 0, surface_);
        }
        surface_ = fresh;
        invalid_ = QRegion(QRect(QPoint(0, 0), size));
    }
    return &surface_;
}

void TControlHost::SurfaceChanged(const QRect& area)
{
    if (area.isNull())
        update();
    else
        update(area.translated(band_.left(), band_.top()));
}

void TControlHost::InvalidateArea(const QRect* area, bool)
{
    const QRect all(QPoint(0, 0), ClientArea().size());
    const QRect r = area ? area->intersected(all) : all;
    if (r.isEmpty())
        return;
    invalid_ += r;
    if (redraw_)
        update(r.translated(band_.left(), band_.top()));
}

LRESULT TControlHost::DeliverMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Send(msg, wParam, lParam);
}

LRESULT TControlHostLink::SendToControl(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!control_)
        return 0;
    TControl* control = control_;
    TMessage m{msg, wParam, lParam, 0};
    ++dispatchDepth_;
    try {
        control->WindowProc(m);
    } catch (...) {
        Application->HandleException(control_);
    }
    --dispatchDepth_;
    return m.Result;
}

LRESULT TControlHost::Send(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendToControl(msg, wParam, lParam);
}

void TControlHost::SetRedraw(bool on)
{
    if (on == redraw_)
        return;
    redraw_ = on;
    if (on && !invalid_.isEmpty())
        update();
}

void TControlHost::PaintPending()
{
    if (!control_ || !redraw_)
        return;
    if (ncDirty_ && !band_.isNull()) {
        ncDirty_ = false;
        WindowImage();
        Send(WM_NCPAINT, 1, 0); // 1: the whole frame
        if (!control_)
            return;
    }
    SurfaceImage();
    const QRegion region = invalid_.intersected(QRect(QPoint(0, 0), surface_.size()));
    invalid_ = QRegion();
    if (region.isEmpty())
        return;
    control_->FreeDeviceContexts();
    QPainter painter(&surface_);
    DeviceContext dc(&painter, surface_.size());
    dc.hasSystemClip = true;
    dc.systemClip = region;
    dc.Recorder = PaintRecorder;
    dc.window = this;
    if (!control_->ControlStyle.Contains(csOpaque)) {
        painter.setClipRegion(region);
        painter.fillRect(surface_.rect(), ColorRefToQColor(ColorToColorRef(control_->Color())));
    }
    ++PaintCount;
    painting_ = region;
    inPaint_ = true;
    struct PaintEnd {
        TControlHost* host;
        ~PaintEnd() { host->inPaint_ = false; }
    } end{this};
    Send(WM_PAINT, WPARAM(&dc), 0);
    // a colour-keyed window's shape follows what it painted (set outside the paint)
    if (layered_ && look_.useKey && layeredImage_.isNull())
        QTimer::singleShot(0, this, [this] { UpdateLayeredMask(); });
}

bool TControlHost::TakeUpdateRegion(QRegion* region, bool* erase)
{
    if (inPaint_) {
        *region = painting_;
        *erase = false; // the host has filled the background already
        return true;
    }
    *region = invalid_.intersected(QRect(QPoint(0, 0), ClientArea().size()));
    invalid_ = QRegion();
    *erase = true;
    return true;
}

void TControlHost::SetLayeredLook(const TLayeredLook& look)
{
    look_ = look;
    if (!layered_) {
        layered_ = true;
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_NoSystemBackground);
        setAutoFillBackground(false);
    }
    if (!look_.perPixelAlpha)
        layeredImage_ = QImage();
    UpdateLayeredMask();
    update();
}

void TControlHost::SetLayeredImage(const QImage& premultiplied)
{
    layeredImage_ = premultiplied.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    UpdateLayeredMask();
    update();
}

QImage TControlHost::LayeredPixels()
{
    QImage pixels = !layeredImage_.isNull() ? layeredImage_
                                            : SurfaceImage()->convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (look_.useKey) {
        const QRgb key = ColorRefToQColor(look_.key).rgb() & 0xFFFFFF;
        for (int y = 0; y < pixels.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(pixels.scanLine(y));
            for (int x = 0; x < pixels.width(); ++x)
                if (qAlpha(line[x]) == 255 && (line[x] & 0xFFFFFF) == key)
                    line[x] = 0;
        }
    }
    return pixels;
}

void TControlHost::SetWindowShape(const QRegion* shape)
{
    shaped_ = shape != nullptr;
    shape_ = shape ? *shape : QRegion();
    UpdateLayeredMask();
}

bool TControlHost::WindowShape(QRegion* shape) const
{
    if (shaped_)
        *shape = shape_;
    return shaped_;
}

void TControlHost::UpdateLayeredMask()
{
    // what the window shows and where it takes the mouse: its region, narrowed by a layered
    // window's transparent pixels
    const bool keyed = layered_ && isWindow() && (look_.useKey || look_.perPixelAlpha || look_.alpha == 0);
    if (!keyed && !shaped_) {
        clearMask();
        return;
    }
    QRegion shown = shaped_ ? shape_ : QRegion(rect());
    if (keyed) {
        const QImage pixels = LayeredPixels();
        QRegion opaque;
        if (look_.alpha > 0)
            for (int y = 0; y < pixels.height(); ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
                int x = 0;
                while (x < pixels.width()) {
                    while (x < pixels.width() && qAlpha(line[x]) == 0)
                        ++x;
                    const int start = x;
                    while (x < pixels.width() && qAlpha(line[x]) != 0)
                        ++x;
                    if (x > start)
                        opaque += QRect(start, y, x - start, 1);
                }
            }
        shown &= opaque;
    }
    // an empty mask would show the whole window: keep one pixel outside it instead
    setMask(shown.isEmpty() ? QRegion(-1, -1, 1, 1) : shown);
}

void TControlHost::paintEvent(QPaintEvent* e)
{
    PaintPending();
    if (layered_) {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(e->rect(), Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setOpacity(look_.alpha / 255.0);
        p.drawImage(QPoint(0, 0), LayeredPixels());
        return;
    }
    QPainter p(this);
    const QRect client = ClientArea();
    if (QImage* frame = WindowImage()) {
        // the band around the client area, as WM_NCPAINT left it
        p.save();
        p.setClipRegion(QRegion(rect()) - QRegion(client));
        p.drawImage(0, 0, *frame);
        p.restore();
    }
    const QRect part = e->rect().intersected(client);
    p.drawImage(part.topLeft(), surface_, part.translated(-client.topLeft()));
    if (barShown_[SB_HORZ] && barShown_[SB_VERT]) {
        const QRect corner(client.right() + 1, client.bottom() + 1, width() - client.width(), height() - client.height());
        p.fillRect(corner, ColorRefToQColor(GetSysColor(COLOR_BTNFACE)));
    }
}

void TControlHost::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    CalcBand();
    if (!band_.isNull())
        ncDirty_ = true;
    if (auto* w = dynamic_cast<TWinControl*>(control_))
        w->Realign();
    LayoutBars();
    SurfaceImage();
    invalid_ = QRegion(QRect(QPoint(0, 0), surface_.size()));
    const QRect client = ClientArea();
    Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.width(), client.height()));
}

bool TControlHost::event(QEvent* e)
{
    try {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            // Tab goes the framework's way too: to the control when it asks for it, else to
            // the form, which moves the focus
            if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
                if (TControlInput::KeyPress(this, k))
                    return true;
            }
        }
        return QWidget::event(e);
    } catch (...) {
        Application->HandleException(control_);
        return true;
    }
}

namespace {
UINT MouseKeys(QMouseEvent* e)
{
    UINT keys = 0;
    if (e->buttons() & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (e->buttons() & Qt::RightButton)
        keys |= MK_RBUTTON;
    if (e->buttons() & Qt::MiddleButton)
        keys |= MK_MBUTTON;
    if (e->modifiers() & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (e->modifiers() & Qt::ControlModifier)
        keys |= MK_CONTROL;
    return keys;
}

LPARAM ScreenPos(QMouseEvent* e)
{
    const QPoint g = e->globalPosition().toPoint();
    return MAKELPARAM(WORD(g.x()), WORD(g.y()));
}
} // namespace

int TControlHost::HitTest(QMouseEvent* e)
{
    // a captured mouse and a held button stay with where the press went
    const bool press = e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick;
    if (!press && (e->buttons() != Qt::NoButton || e->type() == QEvent::MouseButtonRelease))
        return pressHit_;
    if (GetCapture() == this)
        return HTCLIENT;
    return int(Send(WM_NCHITTEST, 0, ScreenPos(e)));
}

bool TControlHost::NonClientMouse(QMouseEvent* e, UINT ncMsg)
{
    const int hit = HitTest(e);
    if (hit == HTCLIENT || !control_)
        return false;
    EventModifiers mods(e->modifiers());
    Send(ncMsg, WPARAM(hit), ScreenPos(e));
    return true;
}

LPARAM TControlHost::MousePos(QMouseEvent* e) const
{
    const QPoint p = e->position().toPoint() - QPoint(band_.left(), band_.top());
    return MAKELPARAM(p.x(), p.y());
}

void TControlHost::MouseButton(QMouseEvent* e, UINT leftMsg, UINT rightMsg, UINT middleMsg)
{
    EventModifiers mods(e->modifiers());
    UINT msg = 0;
    switch (e->button()) {
    case Qt::LeftButton: msg = leftMsg; break;
    case Qt::RightButton: msg = rightMsg; break;
    case Qt::MiddleButton: msg = middleMsg; break;
    default: return;
    }
    Send(msg, MouseKeys(e), MousePos(e));
}

namespace {
// The non-client message of a button's client message.
UINT NonClientOf(UINT msg)
{
    switch (msg) {
    case WM_LBUTTONDOWN: return WM_NCLBUTTONDOWN;
    case WM_LBUTTONUP: return WM_NCLBUTTONUP;
    case WM_LBUTTONDBLCLK: return WM_NCLBUTTONDBLCLK;
    case WM_RBUTTONDOWN: return WM_NCRBUTTONDOWN;
    case WM_RBUTTONUP: return WM_NCRBUTTONUP;
    case WM_RBUTTONDBLCLK: return WM_NCRBUTTONDBLCLK;
    case WM_MBUTTONDOWN: return WM_NCMBUTTONDOWN;
    case WM_MBUTTONUP: return WM_NCMBUTTONUP;
    case WM_MBUTTONDBLCLK: return WM_NCMBUTTONDBLCLK;
    default: return WM_NCMOUSEMOVE;
    }
}
} // namespace

void TControlHost::mousePressEvent(QMouseEvent* e)
{
    pressHit_ = HTCLIENT;
    if (const int hit = HitTest(e); hit != HTCLIENT) {
        pressHit_ = hit;
        const UINT msg = e->button() == Qt::RightButton ? WM_RBUTTONDOWN
                       : e->button() == Qt::MiddleButton ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
        NonClientMouse(e, NonClientOf(msg));
        return;
    }
    if (focusPolicy() != Qt::NoFocus && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    // a second press of the button soon enough and near enough is the double click itself (the
    // system tells it from the presses; Qt's own double-click event that follows is then dropped)
    const QPoint at = e->position().toPoint();
    const bool second = e->button() == lastPressButton_ && lastPressTime_ != 0 &&
                        e->timestamp() - lastPressTime_ <= GetDoubleClickTime() &&
                        std::abs(at.x() - lastPressAt_.x()) <= 2 && std::abs(at.y() - lastPressAt_.y()) <= 2;
    lastPressButton_ = e->button();
    lastPressAt_ = at;
    lastPressTime_ = second ? 0 : std::max<quint64>(1, e->timestamp());
    doubleSent_ = second;
    const bool doubles = control_ && control_->ControlStyle.Contains(csDoubleClicks);
    if (second && doubles)
        MouseButton(e, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK);
    else
        MouseButton(e, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN);
}

void TControlHost::mouseReleaseEvent(QMouseEvent* e)
{
    if (pressHit_ != HTCLIENT) {
        const UINT msg = e->button() == Qt::RightButton ? WM_RBUTTONUP
                       : e->button() == Qt::MiddleButton ? WM_MBUTTONUP : WM_LBUTTONUP;
        NonClientMouse(e, NonClientOf(msg));
        if (e->buttons() == Qt::NoButton)
            pressHit_ = HTCLIENT;
        return;
    }
    MouseButton(e, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP);
}

void TControlHost::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (pressHit_ != HTCLIENT) {
        const UINT msg = e->button() == Qt::RightButton ? WM_RBUTTONDBLCLK
                       : e->button() == Qt::MiddleButton ? WM_MBUTTONDBLCLK : WM_LBUTTONDBLCLK;
        NonClientMouse(e, NonClientOf(msg));
        return;
    }
    if (doubleSent_) {
        doubleSent_ = false;
        return;
    }
    lastPressTime_ = 0;
    const bool doubles = control_ && control_->ControlStyle.Contains(csDoubleClicks);
    if (doubles)
        MouseButton(e, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK);
    else
        MouseButton(e, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN);
}

void TControlHost::mouseMoveEvent(QMouseEvent* e)
{
    if (NonClientMouse(e, WM_NCMOUSEMOVE))
        return;
    EventModifiers mods(e->modifiers());
    Send(WM_MOUSEMOVE, MouseKeys(e), MousePos(e));
}

void TControlHost::wheelEvent(QWheelEvent* e)
{
    EventModifiers mods(e->modifiers());
    UINT keys = 0;
    if (e->modifiers() & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (e->modifiers() & Qt::ControlModifier)
        keys |= MK_CONTROL;
    const int delta = e->angleDelta().y();
    if (delta == 0)
        return;
    const QPoint g = e->globalPosition().toPoint();
    Send(WM_MOUSEWHEEL, MAKEWPARAM(int(keys), delta), MAKELPARAM(g.x(), g.y()));
    e->accept();
}

void TControlHost::keyPressEvent(QKeyEvent* e)
{
    if (!TControlInput::KeyPress(this, e))
        e->ignore();
}

void TControlHost::keyReleaseEvent(QKeyEvent* e)
{
    TControlInput::KeyRelease(this, e);
}

void TControlHost::inputMethodEvent(QInputMethodEvent* e)
{
    TControlInput::InputMethod(this, e);
}

QVariant TControlHost::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImSurroundingText && control_ && testAttribute(Qt::WA_InputMethodEnabled))
        return ToQString(control_->Text());
    return QWidget::inputMethodQuery(query);
}

void TControlHost::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    TControlInput::FocusIn(this, e);
}

void TControlHost::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    TControlInput::FocusOut(this, e);
}

void TControlHost::enterEvent(QEnterEvent* e)
{
    QWidget::enterEvent(e);
    Send(CM_MOUSEENTER, 0, 0);
}

void TControlHost::leaveEvent(QEvent* e)
{
    QWidget::leaveEvent(e);
    Send(CM_MOUSELEAVE, 0, 0);
}

void TControlHost::ShowBar(int bar, bool show)
{
    if (bar != SB_HORZ && bar != SB_VERT)
        return;
    if (barShown_[bar] == show)
        return;
    barShown_[bar] = show;
    if (show && !bars_[bar]) {
        auto* b = new QScrollBar(bar == SB_HORZ ? Qt::Horizontal : Qt::Vertical, this);
        b->setFocusPolicy(Qt::NoFocus);
        bars_[bar] = b;
        QObject::connect(b, &QScrollBar::actionTriggered, this, [this, bar](int action) { ScrollAction(bar, action); });
        QObject::connect(b, &QScrollBar::sliderReleased, this, [this, bar] {
            const WPARAM pos = WPARAM(bars_[bar]->sliderPosition() & 0xFFFF) << 16;
            Send(bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, SB_THUMBPOSITION | pos, 0);
            Send(bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, SB_ENDSCROLL, 0);
            SetBarInfo(bar, info_[bar]);
        });
        SCROLLINFO all = info_[bar];
        all.fMask = SIF_ALL;
        SetBarInfo(bar, all);
    }
    if (bars_[bar])
        bars_[bar]->setVisible(show);
    LayoutBars();
    SurfaceImage();
    invalid_ = QRegion(QRect(QPoint(0, 0), surface_.size()));
    update();
    const QRect client = ClientArea();
    Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.width(), client.height()));
}

bool TControlHost::BarVisible(int bar) const
{
    return (bar == SB_HORZ || bar == SB_VERT) && barShown_[bar];
}

void TControlHost::SetBarInfo(int bar, const SCROLLINFO& info)
{
    if (bar != SB_HORZ && bar != SB_VERT)
        return;
    SCROLLINFO& s = info_[bar];
    if (info.fMask & SIF_RANGE) {
        s.nMin = info.nMin;
        s.nMax = info.nMax;
    }
    if (info.fMask & SIF_PAGE)
        s.nPage = info.nPage;
    if (info.fMask & SIF_POS)
        s.nPos = info.nPos;
    const int top = std::max(s.nMin, s.nMax - std::max(int(s.nPage), 1) + 1);
    s.nPos = std::clamp(s.nPos, s.nMin, top);
    s.nTrackPos = s.nPos;
    if (QScrollBar* b = bars_[bar]) {
        applyingInfo_ = true;
        b->setRange(s.nMin, top);
        b->setPageStep(std::max(1, int(s.nPage)));
        b->setSingleStep(1);
        b->setValue(s.nPos);
        applyingInfo_ = false;
    }
}

SCROLLINFO TControlHost::BarInfo(int bar) const
{
    if (bar != SB_HORZ && bar != SB_VERT)
        return SCROLLINFO{};
    SCROLLINFO s = info_[bar];
    if (bars_[bar])
        s.nTrackPos = bars_[bar]->sliderPosition();
    return s;
}

void TControlHost::EnableBar(int bar, bool enable)
{
    if (QScrollBar* b = Bar(bar))
        b->setEnabled(enable);
}

void TControlHost::LayoutBars()
{
    const int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
    const bool v = barShown_[SB_VERT], h = barShown_[SB_HORZ];
    if (v && bars_[SB_VERT])
        bars_[SB_VERT]->setGeometry(width() - band_.right() - cx, band_.top(), cx,
                                    std::max(0, height() - band_.top() - band_.bottom() - (h ? cy : 0)));
    if (h && bars_[SB_HORZ])
        bars_[SB_HORZ]->setGeometry(band_.left(), height() - band_.bottom() - cy,
                                    std::max(0, width() - band_.left() - band_.right() - (v ? cx : 0)), cy);
}

void TControlHost::ScrollAction(int bar, int action)
{
    if (applyingInfo_)
        return;
    QScrollBar* b = bars_[bar];
    UINT code = SB_ENDSCROLL;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
    case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
    case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
    case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
    default: return;
    }
    const int pos = b->sliderPosition();
    Send(bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(int(code), pos), 0);
    // the window decides where the bar stands, not the bar itself
    if (code != SB_THUMBTRACK)
        b->setSliderPosition(info_[bar].nPos);
}

// ---------------------------------------------------------------- controls by window

namespace {
QFont QFontOf(TFont* font)
{
    HFONT h = font->Handle();
    return h ? h->QtFont() : QFont();
}
} // namespace

namespace {
std::unordered_map<QWidget*, TControl*>& ControlMap()
{
    static std::unordered_map<QWidget*, TControl*> map;
    return map;
}

IMessageTarget* FindTarget(HWND window)
{
    auto& map = ControlMap();
    auto it = map.find(window);
    return it == map.end() ? nullptr : it->second;
}

TControl* ControlOf(QWidget* w)
{
    auto& map = ControlMap();
    auto it = map.find(w);
    return it == map.end() ? nullptr : it->second;
}

// The framework window a widget belongs to (itself or the nearest parent that is one).
TWinControl* WinControlAt(QWidget* w)
{
    for (; w; w = w->parentWidget())
        if (auto* c = dynamic_cast<TWinControl*>(ControlOf(w)))
            return c;
    return nullptr;
}

// The controls from `c` up to, without, its top-level one.
std::vector<QPointer<QWidget>> EnterChain(TWinControl* c)
{
    std::vector<QPointer<QWidget>> chain;
    for (; c && c->Parent(); c = c->Parent())
        chain.emplace_back(c->Host());
    return chain;
}

LRESULT PerformOn(QWidget* host, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!host)
        return 0;
    if (TControl* c = ControlOf(host))
        return c->DeliverMessage(msg, wParam, lParam);
    return 0;
}

// The control that got CM_ENTER last and has not had CM_EXIT since.
QPointer<QWidget> enteredHost;
QPointer<QWidget> lastFocusHost;

void LeaveAndEnter(TWinControl* to)
{
    QPointer<QWidget> from = enteredHost;
    QPointer<QWidget> toHost = to ? to->Host() : nullptr;
    const auto oldChain = EnterChain(WinControlAt(from));
    const auto newChain = EnterChain(to);
    auto inChain = [](const std::vector<QPointer<QWidget>>& chain, QWidget* w) {
        return std::any_of(chain.begin(), chain.end(), [w](const QPointer<QWidget>& p) { return p.data() == w; });
    };
    if (from && from != toHost)
        PerformOn(from, CM_CANCELMODE, 0, LPARAM(to));
    enteredHost = toHost;
    for (const auto& w : oldChain)
        if (w && !inChain(newChain, w))
            PerformOn(w, CM_EXIT, 0, 0);
    for (auto it = newChain.rbegin(); it != newChain.rend(); ++it)
        if (*it && !inChain(oldChain, *it))
            PerformOn(*it, CM_ENTER, 0, 0);
}

class TLifecycleFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        auto* w = qobject_cast<QWidget*>(watched);
        TControl* c = w ? ControlOf(w) : nullptr;
        if (!c)
            return false;
        auto* link = dynamic_cast<TControlHostLink*>(w);
        switch (e->type()) {
        case QEvent::Show:
            if (auto* wc = dynamic_cast<TWinControl*>(c))
                wc->HandleNeeded();
            if (link)
                link->SendToControl(CM_SHOWINGCHANGED, 0, 0);
            break;
        case QEvent::Hide:
            if (link)
                link->SendToControl(CM_SHOWINGCHANGED, 0, 0);
            break;
        case QEvent::FocusIn:
            if (link && !dynamic_cast<TControlHost*>(w))
                TControlInput::FocusIn(link, static_cast<QFocusEvent*>(e));
            break;
        case QEvent::FocusOut:
            if (link && !dynamic_cast<TControlHost*>(w))
                TControlInput::FocusOut(link, static_cast<QFocusEvent*>(e));
            break;
        default: break;
        }
        return false;
    }
};

TLifecycleFilter* LifecycleFilter()
{
    static TLifecycleFilter* filter = [] {
        SetMessageTargetFinder(&FindTarget);
        return new TLifecycleFilter;
    }();
    return filter;
}

// Set-1 scan codes of the keys (bit 8: an extended key).
int ScanCodeOf(WORD vk)
{
    static const char* letters = "\x1e\x30\x2e\x20\x12\x21\x22\x23\x17\x24\x25\x26\x32\x31\x18\x19\x10\x13\x1f\x14\x16\x2f\x11\x2d\x15\x2c";
    if (vk >= 'A' && vk <= 'Z')
        return static_cast<unsigned char>(letters[vk - 'A']);
    if (vk >= '1' && vk <= '9')
        return 0x02 + (vk - '1');
    if (vk >= VK_F1 && vk <= VK_F10)
        return 0x3B + (vk - VK_F1);
    static const int numpad[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return numpad[vk - VK_NUMPAD0];
    switch (vk) {
    case '0': return 0x0B;
    case VK_ESCAPE: return 0x01;
    case VK_BACK: return 0x0E;
    case VK_TAB: return 0x0F;
    case VK_RETURN: return 0x1C;
    case VK_CONTROL: return 0x1D;
    case VK_SHIFT: return 0x2A;
    case VK_MENU: return 0x38;
    case VK_SPACE: return 0x39;
    case VK_CAPITAL: return 0x3A;
    case VK_F11: return 0x57;
    case VK_F12: return 0x58;
    case VK_NUMLOCK: return 0x45;
    case VK_SCROLL: return 0x46;
    case VK_MULTIPLY: return 0x37;
    case VK_SUBTRACT: return 0x4A;
    case VK_ADD: return 0x4E;
    case VK_DECIMAL: return 0x53;
    case VK_DIVIDE: return 0x135;
    case VK_HOME: return 0x147;
    case VK_UP: return 0x148;
    case VK_PRIOR: return 0x149;
    case VK_LEFT: return 0x14B;
    case VK_RIGHT: return 0x14D;
    case VK_END: return 0x14F;
    case VK_DOWN: return 0x150;
    case VK_NEXT: return 0x151;
    case VK_INSERT: return 0x152;
    case VK_DELETE: return 0x153;
    case VK_APPS: return 0x15D;
    case 0xBA: return 0x27;
    case 0xBB: return 0x0D;
    case 0xBC: return 0x33;
    case 0xBD: return 0x0C;
    case 0xBE: return 0x34;
    case 0xBF: return 0x35;
    default: return 0;
    }
}

// The spacing character of a dead key.
char16_t DeadCharOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Dead_Grave: return u'`';
    case Qt::Key_Dead_Acute: return 0x00B4;
    case Qt::Key_Dead_Circumflex: return u'^';
    case Qt::Key_Dead_Tilde: return u'~';
    case Qt::Key_Dead_Diaeresis: return 0x00A8;
    case Qt::Key_Dead_Cedilla: return 0x00B8;
    case Qt::Key_Dead_Abovering: return 0x00B0;
    default: return 0;
    }
}

bool IsDeadKey(int qtKey)
{
    return qtKey >= Qt::Key_Dead_Grave && qtKey <= 0x0100127F;
}
} // namespace

// ---------------------------------------------------------------- drag

namespace {
struct DragState {
    QPointer<QWidget> sourceHost;
    bool active = false;
    int threshold = 5;
    QPoint start;          // screen position where the drag was asked for
    QPointer<QWidget> targetHost;
    bool accepted = false;
    QPoint last;           // screen position of the last move
};
DragState drag;

TControl* DragSource()
{
    return drag.sourceHost ? ControlOf(drag.sourceHost) : nullptr;
}

// CM_DRAG's record (WParam: the kind).
enum TDragMessage { dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel };
struct TDragRec {
    TObject* Source;
    int X;
    int Y;
    bool Accept;
};

TControl* DragTargetAt(const QPoint& global)
{
    for (QWidget* w = QApplication::widgetAt(global); w; w = w->parentWidget())
        if (TControl* c = ControlOf(w))
            return c;
    return nullptr;
}

bool SendDrag(TControl* target, TDragMessage kind, const QPoint& global, TControl* source)
{
    const TPoint p = target->ScreenToClient(TPoint(global.x(), global.y()));
    TDragRec rec{source, p.X, p.Y, false};
    target->Perform(CM_DRAG, WPARAM(kind), LPARAM(&rec));
    return rec.Accept;
}

void DragMove(TControl* source, const QPoint& global)
{
    drag.last = global;
    TControl* target = DragTargetAt(global);
    TControl* old = drag.targetHost ? ControlOf(drag.targetHost) : nullptr;
    if (old && old != target)
        SendDrag(old, dmDragLeave, global, source);
    if (!DragSource())
        return;
    drag.targetHost = target ? target->Host() : nullptr;
    drag.accepted = target ? SendDrag(target, old == target ? dmDragMove : dmDragEnter, global, source) : false;
    if (QWidget* h = source->Host())
        h->setCursor(QCursor(CursorShapeOf(drag.accepted ? source->DragCursor : crNoDrop)));
}
} // namespace

LPARAM TControlInput::KeyData(WORD vk, bool repeat, bool alt, bool up)
{
    const int scan = ScanCodeOf(vk);
    LPARAM data = 1 | (LPARAM(scan & 0xFF) << 16);
    if (scan & 0x100)
        data |= LPARAM(1) << 24;
    if (alt)
        data |= LPARAM(1) << 29;
    if (repeat || up)
        data |= LPARAM(1) << 30;
    if (up)
        data |= LPARAM(1u) << 31;
    return data;
}

bool TControlInput::KeyPress(TControlHostLink* link, QKeyEvent* e)
{
    auto* control = dynamic_cast<TWinControl*>(link->LinkedControl());
    if (!control)
        return false;
    if (e->key() == Qt::Key_Escape && DragSource()) {
        TControl::CancelDrag();
        return true;
    }
    control->HandleNeeded();
    EventModifiers mods(e->modifiers());
    const Qt::KeyboardModifiers m = e->modifiers();
    const bool alt = (m & Qt::AltModifier) != 0;
    const bool ctrl = (m & Qt::ControlModifier) != 0;
    const bool dead = IsDeadKey(e->key());
    const QString text = e->text();
    WORD vk = VirtualKeyOfQtKey(e->key(), (m & Qt::KeypadModifier) != 0);
    if (!vk && dead)
        vk = 0xDE; // an OEM key
    if (!vk && !text.isEmpty())
        vk = 0xE7; // a character without a key of its own
    if (!vk)
        return false;
    const LPARAM keyData = KeyData(vk, e->isAutoRepeat(), alt, false);
    const bool sys = alt && !ctrl;
    if (control->PreviewKey(vk, keyData))
        return true;
    if (!link->LinkedControl())
        return true;
    link->SendToControl(sys ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, keyData);
    if (dead) {
        if (const char16_t c = DeadCharOf(e->key()))
            link->SendToControl(sys ? WM_SYSDEADCHAR : WM_DEADCHAR, c, keyData);
        return true;
    }
    // the characters the message loop makes of the key
    std::u16string chars;
    if (ctrl && !alt) {
        if (vk >= 'A' && vk <= 'Z')
            chars = char16_t(vk - 'A' + 1);
        else if (vk == VK_RETURN)
            chars = u"\n";
        else if (vk == VK_BACK)
            chars = u"\x7f";
    } else if (vk == VK_RETURN) {
        chars = u"\r";
    } else if (vk == VK_ESCAPE) {
        chars = u"\x1b";
    } else if (vk == VK_BACK) {
        chars = u"\b";
    } else if (vk == VK_TAB) {
        chars = u"\t";
    } else if (vk != VK_DELETE) {
        for (QChar c : text)
            if (c.unicode() >= 32 && c.unicode() != 127)
                chars.push_back(char16_t(c.unicode()));
    }
    for (char16_t c : chars) {
        auto* now = dynamic_cast<TWinControl*>(link->LinkedControl());
        if (!now)
            break;
        if (now->PreviewChar(c, keyData))
            continue;
        link->SendToControl(sys ? WM_SYSCHAR : WM_CHAR, c, keyData);
    }
    return true;
}

void TControlInput::KeyRelease(TControlHostLink* link, QKeyEvent* e)
{
    if (!link->LinkedControl())
        return;
    EventModifiers mods(e->modifiers());
    const Qt::KeyboardModifiers m = e->modifiers();
    WORD vk = VirtualKeyOfQtKey(e->key(), (m & Qt::KeypadModifier) != 0);
    if (!vk && IsDeadKey(e->key()))
        vk = 0xDE;
    if (!vk && !e->text().isEmpty())
        vk = 0xE7;
    if (!vk)
        return;
    const bool alt = (m & Qt::AltModifier) != 0;
    const bool sys = alt && !(m & Qt::ControlModifier);
    link->SendToControl(sys ? WM_SYSKEYUP : WM_KEYUP, vk, KeyData(vk, false, alt, true));
}

void TControlInput::InputMethod(TControlHostLink* link, QInputMethodEvent* e)
{
    const QString text = e->commitString();
    for (QChar c : text) {
        auto* control = dynamic_cast<TWinControl*>(link->LinkedControl());
        if (!control)
            return;
        if (!control->PreviewChar(c.unicode(), 1))
            link->SendToControl(WM_CHAR, c.unicode(), 1);
    }
    e->accept();
}

void TControlInput::FocusIn(TControlHostLink* link, QFocusEvent* e)
{
    auto* control = dynamic_cast<TWinControl*>(link->LinkedControl());
    if (!control)
        return;
    QPointer<QWidget> host = control->Host();
    link->SendToControl(WM_SETFOCUS, WPARAM(lastFocusHost.data()), 0);
    control = dynamic_cast<TWinControl*>(link->LinkedControl());
    if (!control || !host)
        return;
    if (enteredHost == host && e->reason() != Qt::OtherFocusReason && e->reason() != Qt::MouseFocusReason &&
        e->reason() != Qt::TabFocusReason && e->reason() != Qt::BacktabFocusReason)
        return; // the window is active again: the control never left
    if (enteredHost == host)
        return;
    LeaveAndEnter(control);
    control = dynamic_cast<TWinControl*>(link->LinkedControl());
    if (!control)
        return;
    TWinControl* top = control;
    while (top->Parent())
        top = top->Parent();
    if (top != control)
        top->Perform(CM_FOCUSCHANGED, 0, LPARAM(control));
}

void TControlInput::FocusOut(TControlHostLink* link, QFocusEvent* e)
{
    TControl* control = link->LinkedControl();
    if (!control)
        return;
    QPointer<QWidget> host = control->Host();
    lastFocusHost = host;
    QWidget* next = QApplication::focusWidget();
    if (next == host)
        next = nullptr;
    link->SendToControl(WM_KILLFOCUS, WPARAM(next), 0);
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason)
        return; // another window became active: the control stays the entered one
    // a framework control in the same window takes over the entering; anything else leaves now
    TWinControl* nextControl = WinControlAt(next);
    if (nextControl && host && nextControl->Host()->window() == host->window())
        return;
    if (enteredHost == host || !nextControl) {
        const bool wasEntered = enteredHost == host;
        LeaveAndEnter(nullptr);
        if (!wasEntered && host)
            PerformOn(host, CM_EXIT, 0, 0); // a control that lost a focus it was never seen to get
    }
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner, QWidget* host)
    : TComponent(owner), host_(host), font_(std::make_unique<TFont>())
{
    WindowProc = [this](TMessage& m) { WndProc(m); };
    ControlStyle << csCaptureMouse << csClickEvents << csSetCaption << csDoubleClicks;
    if (auto* link = dynamic_cast<TControlHostLink*>(host))
        link->AttachControl(this);
    if (host) {
        ControlMap()[host] = this;
        host->installEventFilter(LifecycleFilter());
    }
    font_->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl()
{
    *life_ = false;
    BeginDestroy();
    if (Dragging())
        CancelDrag();
    if (parent_)
        parent_->RemoveControl(this);
    parent_ = nullptr;
    font_->OnChange = nullptr;
    QWidget* host = host_.data();
    if (!host)
        return;
    ControlMap().erase(host);
    auto* link = dynamic_cast<TControlHostLink*>(host);
    if (link)
        link->AttachControl(nullptr);
    if (link && link->Dispatching()) {
        // a handler of this control's own message freed it: the widget goes once the
        // dispatch has unwound (its messages, timers and posted messages find no control)
        host->hide();
        host->setParent(nullptr);
        host->deleteLater();
        return;
    }
    delete host;
}

void TControl::PostCall(std::function<void()> call)
{
    if (!Host())
        return;
    QPointer<QWidget> host = Host();
    QTimer::singleShot(0, Host(), [host, call = std::move(call)] {
        if (host)
            call();
    });
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    if (parent_)
        parent_->RemoveControl(this);
    parent_ = parent;
    if (host_) {
        const QRect geometry = host_->geometry();
        host_->setParent(parent ? parent->Host() : nullptr, parent ? Qt::Widget : host_->windowFlags());
        host_->setGeometry(geometry);
    }
    if (parent_)
        parent_->AddControl(this);
    ApplyVisible();
    if (parent_ && Align != alNone)
        parent_->Realign();
}

void TControl::SetName(const String& name)
{
    TComponent::SetName(name);
    if (host_)
        host_->setObjectName(ToQString(name));
}

int TControl::Left() const { return host_ ? host_->x() - (parent_ ? parent_->ClientOffset().X : 0) : 0; }
int TControl::Top() const { return host_ ? host_->y() - (parent_ ? parent_->ClientOffset().Y : 0) : 0; }
int TControl::Width() const { return host_ ? host_->width() : 0; }
int TControl::Height() const { return host_ ? host_->height() : 0; }

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (!host_)
        return;
    const TPoint offset = parent_ ? parent_->ClientOffset() : TPoint(0, 0);
    host_->move(left + offset.X, top + offset.Y);
    host_->resize(std::max(0, width), std::max(0, height));
    // a hidden window hears of its new size only when shown: place the children now
    if (auto* w = dynamic_cast<TWinControl*>(this))
        w->Realign();
}

TRect TControl::BoundsRect() const { return Bounds(Left(), Top(), Width(), Height()); }
TRect TControl::ClientRect() const { return TRect(0, 0, ClientWidth(), ClientHeight()); }

int TControl::ClientWidth() const
{
    if (auto* h = dynamic_cast<TControlHost*>(host_.data()))
        return h->ClientArea().width();
    return Width();
}

int TControl::ClientHeight() const
{
    if (auto* h = dynamic_cast<TControlHost*>(host_.data()))
        return h->ClientArea().height();
    return Height();
}

void TControl::SetClientWidth(int v) { SetWidth(v + Width() - ClientWidth()); }
void TControl::SetClientHeight(int v) { SetHeight(v + Height() - ClientHeight()); }

void TControl::SetVisible(bool v)
{
    if (v == visible_)
        return;
    VisibleChanging();
    visible_ = v;
    Perform(CM_VISIBLECHANGED, v ? 1 : 0, 0);
}

bool TControl::Showing() const
{
    return host_ && host_->isVisible();
}

void TControl::ApplyVisible()
{
    if (!host_)
        return;
    if (host_->isWindow() && !parent_) {
        // a top-level window is shown only on request
        if (visible_ != host_->isVisible())
            host_->setVisible(visible_);
        return;
    }
    host_->setVisible(visible_);
}

void TControl::SetEnabled(bool v)
{
    if (v == enabled_)
        return;
    enabled_ = v;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetCaption(const String& text)
{
    if (text == caption_)
        return;
    Perform(WM_SETTEXT, 0, LPARAM(text.c_str()));
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetHint(const String& hint)
{
    hint_ = hint;
    if (host_)
        host_->setToolTip(ToQString(hint));
}

void TControl::SetColor(TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    ParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::FontChanged()
{
    ParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

LRESULT TControl::DeliverMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (auto* link = dynamic_cast<TControlHostLink*>(host_.data()); link && link->LinkedControl() == this)
        return link->SendToControl(msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    try {
        WindowProc(m);
    } catch (...) {
        Application->HandleException(this);
    }
    return m.Result;
}

LONG TControl::StyleWord(int index) const
{
    switch (index) {
    case GWL_STYLE: {
        DWORD style = style_ & ~(WS_VISIBLE | WS_DISABLED);
        if (Showing())
            style |= WS_VISIBLE;
        if (!enabled_ || (host_ && host_->testAttribute(Qt::WA_ForceDisabled)))
            style |= WS_DISABLED;
        return LONG(style);
    }
    case GWL_EXSTYLE: return LONG(exStyle_);
    case GCL_STYLE: return LONG(classStyle_);
    default: return 0;
    }
}

void TControl::SetStyleWord(int index, LONG value)
{
    DWORD* word = index == GWL_STYLE ? &style_ : index == GWL_EXSTYLE ? &exStyle_ : index == GCL_STYLE ? &classStyle_
                                                                                                      : nullptr;
    if (!word || *word == DWORD(value))
        return;
    if (index == GCL_STYLE) {
        *word = DWORD(value);
        return;
    }
    STYLESTRUCT change{*word, DWORD(value)};
    Perform(WM_STYLECHANGING, WPARAM(index), LPARAM(&change));
    *word = change.styleNew;
    Perform(WM_STYLECHANGED, WPARAM(index), LPARAM(&change));
}

void TControl::SetCursor(TCursor cursor)
{
    cursor_ = cursor;
    if (!host_)
        return;
    if (cursor == crDefault)
        host_->unsetCursor();
    else
        host_->setCursor(QCursor(CursorShapeOf(cursor)));
}

TPoint TControl::ClientToScreen(const TPoint& p) const
{
    if (!host_)
        return p;
    const QPoint g = host_->mapToGlobal(QPoint(p.X, p.Y));
    return TPoint(g.x(), g.y());
}

TPoint TControl::ScreenToClient(const TPoint& p) const
{
    if (!host_)
        return p;
    const QPoint l = host_->mapFromGlobal(QPoint(p.X, p.Y));
    return TPoint(l.x(), l.y());
}

void TControl::Invalidate()
{
    if (!host_)
        return;
    if (auto* surface = dynamic_cast<IWindowSurface*>(host_.data()))
        surface->InvalidateArea(nullptr, true);
    else
        host_->update();
}

void TControl::Update()
{
    if (auto* h = dynamic_cast<TControlHost*>(host_.data()))
        h->PaintPending();
    if (host_)
        host_->update();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::BringToFront()
{
    if (host_)
        host_->raise();
}

bool TControl::MouseCapture() const
{
    return host_ && GetCapture() == host_.data();
}

void TControl::SetMouseCapture(bool capture)
{
    if (capture)
        ::SetCapture(host_);
    else if (MouseCapture())
        ::ReleaseCapture();
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m{msg, wParam, lParam, 0};
    WindowProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& message)
{
    Dispatch(message);
}

void TControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE: {
        // the window's own handling first, then the framework's events
        const auto alive = Life();
        DefaultHandler(m);
        if (*alive)
            MouseMessage(m);
        break;
    }
    case WM_PAINT:
        PaintWindow(m.DC());
        break;
    case WM_SIZE:
        Resize();
        break;
    case CM_MOUSEENTER:
        if (OnMouseEnter)
            OnMouseEnter(this);
        break;
    case CM_MOUSELEAVE:
        if (OnMouseLeave)
            OnMouseLeave(this);
        break;
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_PARENTCOLORCHANGED:
    case CM_PARENTFONTCHANGED:
    case CM_TEXTCHANGED:
    case CM_DRAG:
        DefaultControlMessage(m);
        break;
    default:
        DefaultHandler(m);
        break;
    }
}

void TControl::DefaultControlMessage(TMessage& m)
{
    switch (m.Msg) {
    case CM_VISIBLECHANGED:
        ApplyVisible();
        if (parent_ && Align != alNone)
            parent_->Realign();
        break;
    case CM_ENABLEDCHANGED:
        if (host_)
            host_->setEnabled(enabled_);
        Invalidate();
        break;
    case CM_COLORCHANGED:
        Invalidate();
        if (auto* w = dynamic_cast<TWinControl*>(this))
            for (int i = 0; i < w->ControlCount(); ++i)
                w->Controls(i)->Perform(CM_PARENTCOLORCHANGED, 0, 0);
        break;
    case CM_FONTCHANGED:
        if (host_)
            host_->setFont(QFontOf(font_.get()));
        Invalidate();
        if (auto* w = dynamic_cast<TWinControl*>(this))
            for (int i = 0; i < w->ControlCount(); ++i)
                w->Controls(i)->Perform(CM_PARENTFONTCHANGED, 0, 0);
        break;
    case CM_PARENTCOLORCHANGED:
        if (ParentColor && parent_) {
            SetColor(m.WParam ? TColor(m.LParam) : parent_->Color());
            ParentColor = true;
        }
        break;
    case CM_DRAG: {
        auto* rec = reinterpret_cast<TDragRec*>(m.LParam);
        switch (TDragMessage(m.WParam)) {
        case dmDragEnter: DragOver(rec->Source, rec->X, rec->Y, dsDragEnter, rec->Accept); break;
        case dmDragLeave: DragOver(rec->Source, rec->X, rec->Y, dsDragLeave, rec->Accept); break;
        case dmDragMove: DragOver(rec->Source, rec->X, rec->Y, dsDragMove, rec->Accept); break;
        case dmDragDrop: DragDrop(rec->Source, rec->X, rec->Y); break;
        default: break;
        }
        break;
    }
    case CM_PARENTFONTCHANGED:
        if (ParentFont && parent_) {
            font_->Assign(m.WParam ? reinterpret_cast<TFont*>(m.LParam) : parent_->Font());
            ParentFont = true;
        }
        break;
    default: break;
    }
}

void TControl::DefaultHandler(TMessage& m)
{
    switch (m.Msg) {
    case WM_SETTEXT:
        caption_ = m.LParam ? String(reinterpret_cast<const char*>(m.LParam)) : String();
        if (host_ && host_->isWindow())
            host_->setWindowTitle(ToQString(caption_));
        if (auto* link = dynamic_cast<TControlHostLink*>(host_.data()))
            link->CaptionChanged();
        m.Result = 1;
        break;
    case WM_GETTEXTLENGTH: m.Result = LRESULT(caption_.size()); break;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(m.LParam);
        const size_t room = size_t(m.WParam);
        if (!buffer || room == 0)
            break;
        const size_t n = std::min(room - 1, caption_.size());
        std::copy_n(caption_.data(), n, buffer);
        buffer[n] = 0;
        m.Result = LRESULT(n);
        break;
    }
    case WM_SETREDRAW:
        if (auto* h = dynamic_cast<TControlHost*>(host_.data()))
            h->SetRedraw(m.WParam != 0);
        else if (host_)
            host_->setUpdatesEnabled(m.WParam != 0);
        break;
    case WM_NCCALCSIZE:
        // the window's frame from its styles: a sizing frame 4 pixels, a dialog frame 3, a
        // border 1, plus a client edge 2 and a static edge 1
        if (auto* r = reinterpret_cast<RECT*>(m.LParam)) {
            const DWORD style = DWORD(StyleWord(GWL_STYLE)), ex = DWORD(StyleWord(GWL_EXSTYLE));
            int b = (style & WS_THICKFRAME) ? 4 : (style & WS_DLGFRAME) ? 3 : (style & WS_BORDER) ? 1 : 0;
            if (ex & WS_EX_CLIENTEDGE)
                b += 2;
            if (ex & WS_EX_STATICEDGE)
                b += 1;
            r->left += b;
            r->top += b;
            r->right = std::max(r->left, r->right - b);
            r->bottom = std::max(r->top, r->bottom - b);
        }
        break;
    case WM_NCPAINT:
        if (auto* framed = dynamic_cast<INonClientWindow*>(host_.data()); framed && framed->WindowImage()) {
            QWidget* h = host_.data();
            HDC dc = GetWindowDC(h);
            const DWORD style = DWORD(StyleWord(GWL_STYLE)), ex = DWORD(StyleWord(GWL_EXSTYLE));
            RECT r{0, 0, h->width(), h->height()};
            HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
            FillRect(dc, &r, face);
            DeleteObject(face);
            if (style & (WS_THICKFRAME | WS_DLGFRAME)) {
                DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
            } else if (style & WS_BORDER) {
                HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME));
                FrameRect(dc, &r, frame);
                DeleteObject(frame);
                InflateRect(&r, -1, -1);
            }
            if (ex & WS_EX_CLIENTEDGE)
                DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
            ReleaseDC(h, dc);
        }
        break;
    case WM_NCHITTEST:
        if (auto* h = dynamic_cast<TControlHost*>(host_.data()))
            m.Result = h->DefaultHitTest(QPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
        else
            m.Result = HTCLIENT;
        break;
    case WM_NCLBUTTONDOWN:
        // a press on a sizing edge sizes the window, on a caption moves it (top-level windows)
        if (host_ && host_->isWindow())
            if (QWindow* window = host_->windowHandle()) {
                Qt::Edges edges;
                switch (int(m.WParam)) {
                case HTLEFT: edges = Qt::LeftEdge; break;
                case HTRIGHT: edges = Qt::RightEdge; break;
                case HTTOP: edges = Qt::TopEdge; break;
                case HTBOTTOM: edges = Qt::BottomEdge; break;
                case HTTOPLEFT: edges = Qt::TopEdge | Qt::LeftEdge; break;
                case HTTOPRIGHT: edges = Qt::TopEdge | Qt::RightEdge; break;
                case HTBOTTOMLEFT: edges = Qt::BottomEdge | Qt::LeftEdge; break;
                case HTBOTTOMRIGHT: case HTGROWBOX: edges = Qt::BottomEdge | Qt::RightEdge; break;
                case HTCAPTION: window->startSystemMove(); break;
                default: break;
                }
                if (edges)
                    window->startSystemResize(edges);
            }
        break;
    default: break;
    }
}


void TControl::BeginDrag(bool immediate, int threshold)
{
    if (Dragging() || !host_)
        return;
    if (DragSource())
        CancelDrag();
    drag = DragState{};
    drag.sourceHost = host_;
    drag.threshold = threshold < 0 ? 5 : threshold;
    drag.start = drag.last = QCursor::pos();
    if (host_->isVisible())
        ::SetCapture(host_);
    if (immediate) {
        TObject* object = nullptr;
        DoStartDrag(object);
        drag.active = true;
        DragMove(this, QCursor::pos());
    }
}

bool TControl::Dragging() const
{
    return host_ && drag.sourceHost == host_;
}

void TControl::EndDrag(bool dropIt)
{
    if (!Dragging())
        return;
    const bool active = drag.active;
    TControl* target = drag.targetHost ? ControlOf(drag.targetHost) : nullptr;
    const bool accepted = drag.accepted;
    const QPoint global = drag.last;
    drag = DragState{};
    if (host_) {
        if (GetCapture() == host_.data())
            ::ReleaseCapture();
        SetCursor(cursor_);
    }
    if (!active)
        return;
    QPointer<QWidget> self = host_;
    TPoint at(0, 0);
    if (target && accepted && dropIt) {
        at = target->ScreenToClient(TPoint(global.x(), global.y()));
        SendDrag(target, dmDragDrop, global, this);
    } else if (target) {
        SendDrag(target, dmDragLeave, global, this);
        target = nullptr;
    }
    if (self && ControlOf(self) == this)
        DoEndDrag(target, at.X, at.Y);
}

void TControl::CancelDrag()
{
    if (TControl* source = DragSource())
        source->EndDrag(false);
    drag = DragState{};
}

void TControl::DoStartDrag(TObject*& dragObject)
{
    if (OnStartDrag)
        OnStartDrag(this, dragObject);
}

void TControl::DoEndDrag(TObject* target, int x, int y)
{
    if (OnEndDrag)
        OnEndDrag(this, target, x, y);
}

void TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept)
{
    accept = false;
    if (OnDragOver) {
        accept = true;
        OnDragOver(this, source, x, y, state, accept);
    }
}

void TControl::DragDrop(TObject* source, int x, int y)
{
    if (OnDragDrop)
        OnDragDrop(this, source, x, y);
}

void TControl::MouseMessage(TMessage& m)
{
    const TShiftState shift = KeysToShiftState(m.Keys());
    const int x = m.XPos(), y = m.YPos();
    if (Dragging()) {
        const QPoint global = host_ ? host_->mapToGlobal(QPoint(x, y)) : QPoint(x, y);
        if (m.Msg == WM_MOUSEMOVE) {
            if (!drag.active && (global - drag.start).manhattanLength() >= drag.threshold) {
                TObject* object = nullptr;
                DoStartDrag(object);
                drag.active = true;
            }
            if (drag.active) {
                DragMove(this, global);
                return;
            }
        } else if (m.Msg == WM_LBUTTONUP) {
            drag.last = global;
            const bool wasActive = drag.active;
            EndDrag(true);
            if (wasActive)
                return;
        }
    } else if (m.Msg == WM_LBUTTONDOWN && DragMode == dmAutomatic) {
        BeginDrag(false);
    }
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
        // the control that has the focus drops what it was doing with the mouse
        if (enteredHost && enteredHost.data() != host_.data())
            PerformOn(enteredHost, CM_CANCELMODE, 0, LPARAM(this));
        if (ControlStyle.Contains(csCaptureMouse) && host_ && host_->isVisible())
            SetMouseCapture(true);
        clickPending_ = true;
        MouseDown(mbLeft, shift, x, y);
        break;
    case WM_LBUTTONDBLCLK:
        if (ControlStyle.Contains(csCaptureMouse) && host_ && host_->isVisible())
            SetMouseCapture(true);
        if (ControlStyle.Contains(csClickEvents)) {
            const auto alive = Life();
            DblClick();
            if (!*alive)
                break;
        }
        MouseDown(mbLeft, shift + TShiftState{ssDouble}, x, y);
        break;
    case WM_LBUTTONUP: {
        const bool click = clickPending_;
        clickPending_ = false;
        if (ControlStyle.Contains(csCaptureMouse) && MouseCapture())
            SetMouseCapture(false);
        const auto alive = Life();
        MouseUp(mbLeft, shift, x, y);
        if (*alive && click && ControlStyle.Contains(csClickEvents) && ClientRect().Contains(TPoint(x, y)))
            Click();
        break;
    }
    case WM_RBUTTONDOWN: MouseDown(mbRight, shift, x, y); break;
    case WM_RBUTTONDBLCLK: MouseDown(mbRight, shift + TShiftState{ssDouble}, x, y); break;
    case WM_RBUTTONUP: MouseUp(mbRight, shift, x, y); break;
    case WM_MBUTTONDOWN: MouseDown(mbMiddle, shift, x, y); break;
    case WM_MBUTTONDBLCLK: MouseDown(mbMiddle, shift + TShiftState{ssDouble}, x, y); break;
    case WM_MBUTTONUP: MouseUp(mbMiddle, shift, x, y); break;
    case WM_MOUSEMOVE: MouseMove(shift, x, y); break;
    default: break;
    }
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TControl::PaintWindow(HDC) {}

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* owner, QWidget* host) : TControl(owner, host) {}

TWinControl::~TWinControl()
{
    BeginDestroy();
    // Child controls go with their parent window, whoever owns them.
    while (!controls_.empty())
        delete controls_.back();
}

void TWinControl::AddControl(TControl* control) { controls_.push_back(control); }

void TWinControl::RemoveControl(TControl* control)
{
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void TWinControl::SetCtl3D(bool on)
{
    if (on == ctl3D_)
        return;
    ctl3D_ = on;
    Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetClientOffset(const TPoint& offset)
{
    const TPoint move(offset.X - clientOffset_.X, offset.Y - clientOffset_.Y);
    clientOffset_ = offset;
    for (TControl* c : controls_)
        if (QWidget* h = c->Host())
            h->move(h->x() + move.X, h->y() + move.Y);
    Realign();
}

void TWinControl::Realign()
{
    TRect r = ClientRect();
    auto placed = [&](TAlign kind) {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->Align == kind && c->Visible())
                list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [kind](TControl* a, TControl* b) {
            switch (kind) {
            case alBottom: return a->Top() > b->Top();
            case alLeft: return a->Left() < b->Left();
            case alRight: return a->Left() > b->Left();
            default: return a->Top() < b->Top();
            }
        });
        return list;
    };
    for (TControl* c : placed(alTop)) {
        c->SetBounds(r.Left, r.Top, r.Width(), c->Height());
        r.Top += c->Height();
    }
    for (TControl* c : placed(alBottom)) {
        c->SetBounds(r.Left, r.Bottom - c->Height(), r.Width(), c->Height());
        r.Bottom -= c->Height();
    }
    for (TControl* c : placed(alLeft)) {
        c->SetBounds(r.Left, r.Top, c->Width(), std::max(0, r.Height()));
        r.Left += c->Width();
    }
    for (TControl* c : placed(alRight)) {
        c->SetBounds(r.Right - c->Width(), r.Top, c->Width(), std::max(0, r.Height()));
        r.Right -= c->Width();
    }
    for (TControl* c : placed(alClient))
        c->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
}

bool TWinControl::CanFocus() const
{
    const TWinControl* c = this;
    while (c) {
        if (!c->Visible() || !c->Host() || !c->Host()->isEnabled())
            return false;
        c = c->Parent();
    }
    return true;
}

void TWinControl::SetFocus()
{
    if (Host())
        Host()->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const
{
    return Host() && Host()->hasFocus();
}

void TWinControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const auto alive = Life();
        WORD key = m.CharCode();
        if (!ControlStyle.Contains(csNoStdEvents))
            KeyDown(key, KeyDataToShiftState(m.LParam));
        if (!*alive)
            break;
        m.SetCharCode(key);
        if (key != 0) // a key the control consumed does not reach the window's own handling
            DefaultHandler(m);
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const auto alive = Life();
        WORD key = m.CharCode();
        if (!ControlStyle.Contains(csNoStdEvents))
            KeyUp(key, KeyDataToShiftState(m.LParam));
        if (!*alive)
            break;
        m.SetCharCode(key);
        if (key != 0)
            DefaultHandler(m);
        break;
    }
    case WM_CHAR:
    case WM_SYSCHAR: {
        // KeyPress sees the character as the framework's 8-bit character; a character beyond
        // that range shows as '?' and passes unchanged unless KeyPress changes it
        const WORD code = m.CharCode();
        const char original = code <= 0xFF ? char(code) : '?';
        char c = original;
        const auto alive = Life();
        if (!ControlStyle.Contains(csNoStdEvents))
            KeyPress(c);
        if (c == 0 || !*alive)
            break;
        if (c != original)
            m.SetCharCode(static_cast<unsigned char>(c));
        DefaultHandler(m);
        break;
    }
    case CM_ENTER: DoEnter(); break;
    case CM_EXIT: DoExit(); break;
    case WM_MOUSEWHEEL:
        m.Result = Perform(CM_MOUSEWHEEL, m.WParam, m.LParam);
        break;
    case CM_MOUSEWHEEL: {
        const TPoint pos(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        m.Result = DoMouseWheel(KeysToShiftState(m.Keys()), m.WheelDelta(), pos) ? 1 : 0;
        // not used here: the parent may scroll
        if (!m.Result && Parent())
            m.Result = Parent()->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam);
        break;
    }
    case WM_ERASEBKGND: m.Result = 1; break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM: {
        // a notification from a child window goes back to that child as CN_ (reflection)
        HWND child = nullptr;
        if (m.Msg == WM_COMMAND || m.Msg == WM_HSCROLL || m.Msg == WM_VSCROLL || m.Msg == WM_CTLCOLOREDIT ||
            m.Msg == WM_CTLCOLORSTATIC || m.Msg == WM_CTLCOLORLISTBOX)
            child = reinterpret_cast<HWND>(m.LParam);
        else if (m.Msg == WM_NOTIFY && m.LParam)
            child = *reinterpret_cast<HWND*>(m.LParam); // NMHDR starts with the sender's window
        TControl* target = child && child != Host() ? ControlOf(child) : nullptr;
        if (target && target->Parent() == this) {
            m.Result = target->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
            break;
        }
        TControl::Dispatch(m);
        break;
    }
    default: TControl::Dispatch(m); break;
    }
}

namespace {
// The next (or previous) control of the window in the tab order that can take the focus.
bool SelectNext(QWidget* window, bool forward)
{
    QWidget* current = QApplication::focusWidget();
    if (!current || current->window() != window->window())
        current = window;
    QWidget* w = current;
    for (int guard = 0; guard < 10000; ++guard) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == current)
            return false;
        if (w->window() == window->window() && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() &&
            w->isEnabled() && !w->focusProxy()) {
            w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}
} // namespace

void TWinControl::DefaultHandler(TMessage& m)
{
    switch (m.Msg) {
    case CM_CHILDKEY:
        if (Parent())
            m.Result = Parent()->Perform(CM_CHILDKEY, m.WParam, m.LParam);
        break;
    case CM_DIALOGKEY:
        // the window at the top moves the focus with Tab; every window then asks its children
        // (a default or cancel button clicks)
        if (!Parent() && m.CharCode() == VK_TAB) {
            const Qt::KeyboardModifiers mods = CurrentModifiers();
            if (!(mods & (Qt::ControlModifier | Qt::AltModifier))) {
                SelectNext(Host(), !(mods & Qt::ShiftModifier));
                m.Result = 1;
                break;
            }
        }
        [[fallthrough]];
    case CM_DIALOGCHAR:
        // every child is asked, windowed or not (an accelerator of a label or speed button)
        for (size_t i = 0; i < controls_.size() && m.Result == 0; ++i)
            m.Result = controls_[i]->Perform(m.Msg, m.WParam, m.LParam);
        break;
    default: TControl::DefaultHandler(m); break;
    }
}

bool IsAccel(WORD vk, const String& caption)
{
    const auto upper = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : int(c); };
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return vk <= 0xFF && upper(static_cast<unsigned char>(caption[i + 1])) == upper(static_cast<unsigned char>(vk));
    }
    return false;
}

bool TWinControl::PreviewKey(WORD vk, LPARAM keyData)
{
    if (Perform(CM_CHILDKEY, vk, LPARAM(this)) != 0)
        return true;
    UINT mask = 0;
    switch (vk) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
    }
    if (mask == 0 || Perform(CM_WANTSPECIALKEY, vk, keyData) != 0)
        return false;
    if (Perform(WM_GETDLGCODE, 0, 0) & (mask | (mask == DLGC_WANTTAB ? DLGC_WANTALLKEYS : 0)))
        return false;
    TWinControl* top = this;
    while (top->Parent())
        top = top->Parent();
    return top->Perform(CM_DIALOGKEY, vk, keyData) != 0;
}

bool TWinControl::PreviewChar(WORD ch, LPARAM keyData)
{
    // an Alt character is an accelerator first, even for a control that takes characters
    const bool alt = (keyData & (LPARAM(1) << 29)) != 0;
    if (!alt && (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS))
        return false;
    TWinControl* top = this;
    while (top->Parent())
        top = top->Parent();
    return top->Perform(CM_DIALOGCHAR, ch, keyData) != 0;
}

// ---------------------------------------------------------------- window lifecycle

void TWinControl::HandleNeeded()
{
    if (handleCreated_ || creatingHandle_ || HasState(csDestroying))
        return;
    if (Parent())
        Parent()->HandleNeeded();
    if (!handleCreated_)
        CreateHandle();
}

void TWinControl::CreateHandle()
{
    creatingHandle_ = true;
    try {
        CreateWnd();
    } catch (...) {
        creatingHandle_ = false;
        throw;
    }
    creatingHandle_ = false;
}

void TWinControl::SetTakesFocus(bool on)
{
    if (Host())
        Host()->setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params = TCreateParams{};
    params.Caption = Caption();
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (!Parent())
        params.Style = (Host() && (Host()->windowFlags() & Qt::Popup) == Qt::Popup) ? WS_POPUP : WS_OVERLAPPED;
    if (Visible())
        params.Style |= WS_VISIBLE;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    if (TabStop)
        params.Style |= WS_TABSTOP;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    params.WndParent = Parent() ? Parent()->Host() : nullptr;
    params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    params.WinClassName = ClassName();
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    CreateWindowHandle(params);
}

void TWinControl::CreateWindowHandle(const TCreateParams& params)
{
    style_ = params.Style;
    exStyle_ = params.ExStyle;
    classStyle_ = params.WindowClass.style;
    QWidget* host = Host();
    // a pop-up window with a parent is a top-level window that the parent's window owns: it
    // stands above that window, outside its client area, placed in screen coordinates
    const bool ownedPopup = host && Parent() && (params.Style & WS_POPUP) && !(params.Style & WS_CHILD);
    if (host && (ownedPopup || (!Parent() && !host->parentWidget()))) {
        // a top-level window of the control's own kind: pop-up, top-most, tool window
        const bool popup = (params.Style & WS_POPUP) != 0;
        const bool topMost = (params.ExStyle & WS_EX_TOPMOST) != 0;
        const bool tool = (params.ExStyle & WS_EX_TOOLWINDOW) != 0;
        if (popup || topMost || tool) {
            Qt::WindowFlags flags = host->windowFlags();
            if (popup)
                flags |= Qt::Tool | Qt::FramelessWindowHint;
            if (tool)
                flags |= Qt::Tool;
            flags.setFlag(Qt::WindowStaysOnTopHint, topMost);
            flags.setFlag(Qt::NoDropShadowWindowHint, !(params.WindowClass.style & CS_DROPSHADOW));
            if (flags != host->windowFlags()) {
                const bool shown = host->isVisible();
                host->setWindowFlags(flags);
                if (shown)
                    host->show();
            }
            host->setAttribute(Qt::WA_ShowWithoutActivating,
                              (params.ExStyle & WS_EX_NOACTIVATE) || (params.Style & WS_DISABLED));
        }
        // a layered window composes over what lies below from the start; it shows nothing
        // until SetLayeredWindowAttributes or UpdateLayeredWindow says how
        if ((params.ExStyle & WS_EX_LAYERED) && !(exStyleLayeredSet_)) {
            if (auto* layered = dynamic_cast<ILayeredSurface*>(host)) {
                TLayeredLook none;
                none.alpha = 0;
                layered->SetLayeredLook(none);
                exStyleLayeredSet_ = true;
            }
        }
    }
    // a window made disabled takes no input, whatever the control's Enabled says
    if (host && (params.Style & WS_DISABLED))
        host->setEnabled(false);
    handleCreated_ = true;
    CREATESTRUCT create;
    create.lpszName = params.Caption.c_str();
    create.style = LONG(params.Style);
    create.dwExStyle = params.ExStyle;
    create.x = params.X;
    create.y = params.Y;
    create.cx = params.Width;
    create.cy = params.Height;
    create.hwndParent = params.WndParent;
    create.lpCreateParams = params.Param;
    Perform(WM_NCCREATE, 0, LPARAM(&create));
    if (auto* framed = dynamic_cast<INonClientWindow*>(host))
        framed->FrameChanged(); // WM_NCCALCSIZE
    Perform(WM_CREATE, 0, LPARAM(&create));
}

void TWinControl::DestroyWnd()
{
    Perform(WM_DESTROY, 0, 0);
    Perform(WM_NCDESTROY, 0, 0);
}

void TWinControl::DestroyHandle()
{
    if (!handleCreated_)
        return;
    // child windows go before their parent, as the system destroys them
    for (TControl* c : std::vector<TControl*>(controls_))
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->DestroyHandle();
    if (auto* h = Host(); h && GetCapture() == h)
        ReleaseCapture();
    DestroyWnd();
    handleCreated_ = false;
}

void TWinControl::RecreateWnd()
{
    if (!handleCreated_)
        return;
    const bool focused = Focused();
    std::vector<TWinControl*> children;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated())
            children.push_back(w);
    DestroyHandle();
    HandleNeeded();
    std::function<void(TWinControl*)> createShowing = [&](TWinControl* parent) {
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i)); w && w->Showing()) {
                w->HandleNeeded();
                createShowing(w);
            }
    };
    for (TWinControl* w : children) {
        w->HandleNeeded();
        createShowing(w);
    }
    if (focused)
        SetFocus();
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

bool TWinControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    if (handled)
        return true;
    const int notches = std::max(1, std::abs(wheelDelta) / WHEEL_DELTA);
    for (int i = 0; i < notches; ++i)
        handled = (wheelDelta < 0 ? DoMouseWheelDown(shift, mousePos) : DoMouseWheelUp(shift, mousePos)) || handled;
    return handled;
}

bool TWinControl::DoMouseWheelDown(TShiftState shift, TPoint mousePos)
{
    bool handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, shift, mousePos, handled);
    return handled;
}

bool TWinControl::DoMouseWheelUp(TShiftState shift, TPoint mousePos)
{
    bool handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, shift, mousePos, handled);
    return handled;
}

// ---------------------------------------------------------------- TCustomControl

TCustomControl::TCustomControl(TComponent* owner) : TCustomControl(owner, new TControlHost) {}

TCustomControl::TCustomControl(TComponent* owner, TControlHost* host)
    : TWinControl(owner, host), canvas_(std::make_unique<TCanvas>())
{
    Host()->setFocusPolicy(Qt::StrongFocus);
    canvas_->AcquireHandle = [this]() -> HDC {
        // drawing "at once": into the window's image, shown now, given back after the event
        if (!Host())
            return nullptr;
        atOnceDc_ = GetDC(Host());
        QPointer<QWidget> host = Host();
        QTimer::singleShot(0, Host(), [this, host] {
            if (host)
                FreeDeviceContexts();
        });
        return atOnceDc_;
    };
}

TCustomControl::~TCustomControl()
{
    FreeDeviceContexts();
    canvas_->AcquireHandle = nullptr;
}

TControlHost* TCustomControl::ControlHost() const
{
    return dynamic_cast<TControlHost*>(Host());
}

void TCustomControl::FreeDeviceContexts()
{
    if (!atOnceDc_)
        return;
    if (canvas_->Handle() == atOnceDc_)
        canvas_->SetHandle(nullptr);
    ReleaseDC(Host(), atOnceDc_);
    atOnceDc_ = nullptr;
}

void TCustomControl::PaintWindow(HDC dc)
{
    FreeDeviceContexts();
    canvas_->SetHandle(dc);
    painting_ = true;
    try {
        Paint();
    } catch (...) {
        painting_ = false;
        canvas_->SetHandle(nullptr);
        throw;
    }
    painting_ = false;
    canvas_->SetHandle(nullptr);
}

// ---------------------------------------------------------------- TGraphicControl

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner, new TControlHost), canvas_(std::make_unique<TCanvas>())
{
}

void TGraphicControl::PaintWindow(HDC dc)
{
    canvas_->SetHandle(dc);
    try {
        Paint();
    } catch (...) {
        canvas_->SetHandle(nullptr);
        throw;
    }
    canvas_->SetHandle(nullptr);
}

// ---------------------------------------------------------------- THostedBand

class THostedBandView : public QWidget {
public:
    THostedBandView(QWidget* widget, THostedBand* band) : QWidget(widget), band_(band)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched != parentWidget())
            return false;
        if (e->type() == QEvent::Resize)
            band_->CalcBand();
        else if (e->type() == QEvent::ChildAdded && static_cast<QChildEvent*>(e)->child()->isWidgetType())
            QTimer::singleShot(0, this, [this] { raise(); }); // above the child windows
        return false;
    }
    void paintEvent(QPaintEvent*) override { band_->PaintBand(this); }

private:
    THostedBand* band_;
};

THostedBand::THostedBand(QWidget* widget, TControlHostLink* link)
    : widget_(widget), link_(link), view_(new THostedBandView(widget, this))
{
}

THostedBand::~THostedBand()
{
    delete view_;
}

QRect THostedBand::ClientBox() const
{
    return widget_->rect().marginsRemoved(band_);
}

QImage* THostedBand::WindowImage()
{
    if (band_.isNull())
        return nullptr;
    if (frame_.size() != widget_->size()) {
        frame_ = QImage(widget_->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        frame_.fill(ColorRefToQColor(GetSysColor(COLOR_BTNFACE)));
    }
    return &frame_;
}

void THostedBand::WindowImageChanged()
{
    if (!painting_)
        view_->update();
}

void THostedBand::FrameChanged()
{
    CalcBand();
    view_->update();
}

void THostedBand::CalcBand()
{
    if (!link_->LinkedControl())
        return;
    const QRect g = widget_->geometry();
    RECT r{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    link_->SendToControl(WM_NCCALCSIZE, FALSE, LPARAM(&r));
    const QMargins band(std::max(0, int(r.left - g.left())), std::max(0, int(r.top - g.top())),
                        std::max(0, int(g.left() + g.width() - r.right)),
                        std::max(0, int(g.top() + g.height() - r.bottom)));
    const bool moved = band != band_;
    band_ = band;
    if (moved)
        if (auto* w = dynamic_cast<TWinControl*>(link_->LinkedControl()))
            w->SetClientOffset(TPoint(band.left(), band.top()));
    view_->setGeometry(widget_->rect());
    if (band_.isNull()) {
        view_->hide();
        return;
    }
    view_->setMask(QRegion(widget_->rect()) - QRegion(ClientBox()));
    view_->show();
    view_->raise();
    view_->update();
}

void THostedBand::PaintBand(QWidget* view)
{
    if (!link_->LinkedControl() || !WindowImage())
        return;
    painting_ = true;
    link_->SendToControl(WM_NCPAINT, 1, 0); // 1: the whole frame
    painting_ = false;
    QImage* image = WindowImage();
    if (!image)
        return;
    QPainter p(view);
    p.drawImage(0, 0, *image);
}

void TextControlKeyDown(TControl& control, const TMessage& m, const std::function<void(QKeyEvent*)>& applyKey)
{
    const TShiftState shift = KeyDataToShiftState(m.LParam);
    const WORD vk = m.CharCode();
    if (vk == VK_INSERT && shift.Contains(ssShift)) {
        control.Perform(WM_PASTE, 0, 0);
        return;
    }
    if (vk == VK_INSERT && shift.Contains(ssCtrl)) {
        control.Perform(WM_COPY, 0, 0);
        return;
    }
    if (vk == VK_DELETE && shift.Contains(ssShift)) {
        control.Perform(WM_CUT, 0, 0);
        return;
    }
    // keys that make characters are the characters' business (WM_CHAR)
    if (vk == VK_BACK || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_TAB ||
        (shift.Contains(ssCtrl) && vk >= 'A' && vk <= 'Z'))
        return;
    const int qtKey = QtKeyOfVirtualKey(vk);
    if (!qtKey || (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9') || vk == VK_SPACE)
        return;
    Qt::KeyboardModifiers mods;
    if (shift.Contains(ssShift))
        mods |= Qt::ShiftModifier;
    if (shift.Contains(ssCtrl))
        mods |= Qt::ControlModifier;
    if (shift.Contains(ssAlt))
        mods |= Qt::AltModifier;
    QKeyEvent e(QEvent::KeyPress, qtKey, mods);
    applyKey(&e);
}
