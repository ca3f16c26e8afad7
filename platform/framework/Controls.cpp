#include "Controls.h"

#include "ControlHost.h"
#include "Forms.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

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
    int w = width(), h = height();
    if (barShown_[SB_VERT])
        w -= GetSystemMetrics(SM_CXVSCROLL);
    if (barShown_[SB_HORZ])
        h -= GetSystemMetrics(SM_CYHSCROLL);
    return QRect(0, 0, std::max(0, w), std::max(0, h));
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
        update(area);
}

void TControlHost::InvalidateArea(const QRect* area, bool)
{
    const QRect all(QPoint(0, 0), ClientArea().size());
    const QRect r = area ? area->intersected(all) : all;
    if (r.isEmpty())
        return;
    invalid_ += r;
    update(r);
}

LRESULT TControlHost::DeliverMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Send(msg, wParam, lParam);
}

LRESULT TControlHost::Send(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!control_)
        return 0;
    TControl* control = control_;
    TMessage m{msg, wParam, lParam, 0};
    try {
        control->WindowProc(m);
    } catch (...) {
        Application->HandleException(control);
    }
    return m.Result;
}

void TControlHost::PaintPending()
{
    if (!control_)
        return;
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
    Send(WM_PAINT, WPARAM(&dc), 0);
}

void TControlHost::paintEvent(QPaintEvent* e)
{
    PaintPending();
    QPainter p(this);
    const QRect client = ClientArea();
    p.drawImage(e->rect().intersected(client).topLeft(), surface_, e->rect().intersected(client));
    if (barShown_[SB_HORZ] && barShown_[SB_VERT]) {
        const QRect corner(client.right() + 1, client.bottom() + 1, width() - client.width(), height() - client.height());
        p.fillRect(corner, ColorRefToQColor(GetSysColor(COLOR_BTNFACE)));
    }
}

void TControlHost::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
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
            if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
                const LRESULT code = Send(WM_GETDLGCODE, 0, 0);
                if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) {
                    keyPressEvent(k);
                    return true;
                }
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

LPARAM MousePos(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    return MAKELPARAM(p.x(), p.y());
}
} // namespace

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

void TControlHost::mousePressEvent(QMouseEvent* e)
{
    if (focusPolicy() != Qt::NoFocus && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    MouseButton(e, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN);
}

void TControlHost::mouseReleaseEvent(QMouseEvent* e)
{
    MouseButton(e, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP);
}

void TControlHost::mouseDoubleClickEvent(QMouseEvent* e)
{
    MouseButton(e, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK);
}

void TControlHost::mouseMoveEvent(QMouseEvent* e)
{
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
    EventModifiers mods(e->modifiers());
    const bool alt = (e->modifiers() & Qt::AltModifier) != 0;
    const WORD vk = VirtualKeyOfQtKey(e->key(), (e->modifiers() & Qt::KeypadModifier) != 0);
    const LPARAM keyData = 1 | (e->isAutoRepeat() ? (LPARAM(1) << 30) : 0) | (alt ? (LPARAM(1) << 29) : 0);
    if (vk)
        Send(alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, keyData);
    // the character record follows the key-down record, whatever the key-down handler did
    String chars = FromQString(e->text());
    const bool ctrlOnly = (e->modifiers() & Qt::ControlModifier) && !alt;
    if (ctrlOnly && vk >= 'A' && vk <= 'Z')
        chars = String(1, char(vk - 'A' + 1)); // control characters, as the message loop makes them
    if (chars.empty()) {
        switch (vk) {
        case VK_RETURN: chars = "\r"; break;
        case VK_ESCAPE: chars = "\x1b"; break;
        case VK_BACK: chars = "\b"; break;
        case VK_TAB: chars = "\t"; break;
        default: break;
        }
    }
    for (char c : chars)
        Send(alt ? WM_SYSCHAR : WM_CHAR, WPARAM(static_cast<unsigned char>(c)), keyData);
    e->accept();
}

void TControlHost::keyReleaseEvent(QKeyEvent* e)
{
    EventModifiers mods(e->modifiers());
    const WORD vk = VirtualKeyOfQtKey(e->key(), (e->modifiers() & Qt::KeypadModifier) != 0);
    if (vk)
        Send((e->modifiers() & Qt::AltModifier) ? WM_SYSKEYUP : WM_KEYUP, vk, LPARAM(1) | (LPARAM(3) << 30));
    e->accept();
}

void TControlHost::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    Send(WM_SETFOCUS, 0, 0);
}

void TControlHost::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    Send(WM_KILLFOCUS, 0, 0);
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
        bars_[SB_VERT]->setGeometry(width() - cx, 0, cx, std::max(0, height() - (h ? cy : 0)));
    if (h && bars_[SB_HORZ])
        bars_[SB_HORZ]->setGeometry(0, height() - cy, std::max(0, width() - (v ? cx : 0)), cy);
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

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner, QWidget* host)
    : TComponent(owner), host_(host), font_(std::make_unique<TFont>())
{
    WindowProc = [this](TMessage& m) { WndProc(m); };
    ControlStyle << csCaptureMouse << csClickEvents << csSetCaption << csDoubleClicks;
    if (auto* link = dynamic_cast<TControlHostLink*>(host))
        link->AttachControl(this);
}

TControl::~TControl()
{
    BeginDestroy();
    if (parent_)
        parent_->RemoveControl(this);
    parent_ = nullptr;
    if (auto* link = dynamic_cast<TControlHostLink*>(host_.data()))
        link->AttachControl(nullptr);
    delete host_.data();
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

int TControl::Left() const { return host_ ? host_->x() : 0; }
int TControl::Top() const { return host_ ? host_->y() : 0; }
int TControl::Width() const { return host_ ? host_->width() : 0; }
int TControl::Height() const { return host_ ? host_->height() : 0; }

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (!host_)
        return;
    host_->move(left, top);
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
    ApplyVisible();
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

bool TControl::Enabled() const { return host_ ? host_->isEnabled() : true; }

void TControl::SetEnabled(bool v)
{
    if (host_)
        host_->setEnabled(v);
}

void TControl::SetCaption(const String& text)
{
    caption_ = text;
    if (host_ && host_->isWindow())
        host_->setWindowTitle(ToQString(text));
    if (auto* link = dynamic_cast<TControlHostLink*>(host_.data()))
        link->CaptionChanged();
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
    Invalidate();
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
    case WM_MOUSEMOVE:
        MouseMessage(m);
        break;
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
    default:
        DefaultHandler(m);
        break;
    }
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::MouseMessage(TMessage& m)
{
    const TShiftState shift = KeysToShiftState(m.Keys());
    const int x = m.XPos(), y = m.YPos();
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
        clickPending_ = true;
        MouseDown(mbLeft, shift, x, y);
        break;
    case WM_LBUTTONDBLCLK:
        if (ControlStyle.Contains(csClickEvents))
            DblClick();
        MouseDown(mbLeft, shift + TShiftState{ssDouble}, x, y);
        break;
    case WM_LBUTTONUP: {
        const bool click = clickPending_;
        clickPending_ = false;
        MouseUp(mbLeft, shift, x, y);
        if (click && ControlStyle.Contains(csClickEvents) && ClientRect().Contains(TPoint(x, y)))
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
        WORD key = m.CharCode();
        KeyDown(key, KeyDataToShiftState(m.LParam));
        m.SetCharCode(key);
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = m.CharCode();
        KeyUp(key, KeyDataToShiftState(m.LParam));
        m.SetCharCode(key);
        break;
    }
    case WM_CHAR:
    case WM_SYSCHAR: {
        char c = char(m.CharCode());
        KeyPress(c);
        m.SetCharCode(static_cast<unsigned char>(c));
        break;
    }
    case WM_SETFOCUS: DoEnter(); break;
    case WM_KILLFOCUS: DoExit(); break;
    case WM_MOUSEWHEEL: {
        const TPoint pos(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        m.Result = DoMouseWheel(KeysToShiftState(m.Keys()), m.WheelDelta(), pos) ? 1 : 0;
        break;
    }
    case WM_ERASEBKGND: m.Result = 1; break;
    default: TControl::Dispatch(m); break;
    }
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
