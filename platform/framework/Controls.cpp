#include "Controls.h"

#include "ControlHost.h"

#include <QCursor>
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

TControl::TControl(TComponent* owner, QWidget* host) : TComponent(owner), host_(host)
{
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
}

RECT TControl::BoundsRect() const { return RECT{Left(), Top(), Left() + Width(), Top() + Height()}; }
RECT TControl::ClientRect() const { return RECT{0, 0, ClientWidth(), ClientHeight()}; }
int TControl::ClientWidth() const { return Width(); }
int TControl::ClientHeight() const { return Height(); }
void TControl::SetClientWidth(int v) { SetWidth(v); }
void TControl::SetClientHeight(int v) { SetHeight(v); }

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

POINT TControl::ClientToScreen(POINT p) const
{
    if (!host_)
        return p;
    const QPoint g = host_->mapToGlobal(QPoint(p.x, p.y));
    return POINT{g.x(), g.y()};
}

POINT TControl::ScreenToClient(POINT p) const
{
    if (!host_)
        return p;
    const QPoint l = host_->mapFromGlobal(QPoint(p.x, p.y));
    return POINT{l.x(), l.y()};
}

void TControl::Invalidate()
{
    if (host_)
        host_->update();
}

void TControl::Update()
{
    if (host_)
        host_->repaint(host_->visibleRegion());
}

void TControl::Repaint()
{
    if (host_)
        host_->repaint();
}

void TControl::BringToFront()
{
    if (host_)
        host_->raise();
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

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
