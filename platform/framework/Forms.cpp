#include "platform/framework/Forms.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/StdCtrls.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QEnterEvent>
#include <QAbstractEventDispatcher>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>

namespace {
// The message number of WM_NCACTIVATE (the window's active look).
constexpr UINT kNcActivate = 0x0086;
TApplication applicationInstance;
TScreen screenInstance;
} // namespace

TApplication* Application = &applicationInstance;
TScreen* Screen = &screenInstance;

// ---------------------------------------------------------------- TApplication

// Where the hint machinery stands: the control the mouse rests on, the timers and the window.
struct TApplication::THintState {
    TControl* control = nullptr;
    QPointer<QWidget> controlHost; // the control is gone once its host is
    TPoint cursorPos;
    QPointer<QTimer> pauseTimer;
    QPointer<QTimer> hideTimer;
    THintWindow* window = nullptr;
    QPointer<QWidget> windowHost;

    bool ControlAlive() const { return control && controlHost; }
    THintWindow* Window() const { return windowHost ? window : nullptr; }
};

TApplication::TApplication() : TComponent(nullptr), hint_(std::make_unique<THintState>()) {}

TApplication::~TApplication()
{
    mainForm_ = nullptr;
}

void TApplication::SetTitle(const String& title)
{
    title_ = title;
    QCoreApplication::setApplicationName(ToQString(title));
}

namespace {
void EnsureIdleHook();
}

void TApplication::Run()
{
    EnsureIdleHook();
    if (terminated_)
        return;
    if (mainForm_)
        mainForm_->Show();
    if (!terminated_ && QCoreApplication::instance())
        QCoreApplication::exec();
}

namespace {
// The event loop tells the application when it is about to wait for events.
void EnsureIdleHook()
{
    static bool hooked = false;
    if (hooked || !QCoreApplication::instance())
        return;
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [] { Application->Idle(); });
        hooked = true;
    }
}
} // namespace

void TApplication::Idle()
{
    if (idling_)
        return;
    idling_ = true;
    bool done = true;
    Guard([&] {
        if (OnIdle)
            OnIdle(this, done);
    }, this);
    const auto handlers = idleHandlers_;
    for (const auto& entry : handlers)
        Guard(entry.second, this);
    idling_ = false;
}

void TApplication::AddIdleHandler(const void* key, std::function<void()> handler)
{
    EnsureIdleHook();
    RemoveIdleHandler(key);
    idleHandlers_.emplace_back(key, std::move(handler));
}

void TApplication::RemoveIdleHandler(const void* key)
{
    std::erase_if(idleHandlers_, [key](const auto& entry) { return entry.first == key; });
}

void TApplication::Terminate()
{
    terminated_ = true;
    if (QCoreApplication::instance())
        QCoreApplication::quit();
}

void TApplication::ProcessMessages()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleException(TObject* sender)
{
    try {
        throw;
    } catch (EAbort&) {
        // silent by definition
    } catch (Exception& e) {
        if (OnException)
            OnException(sender, &e);
        else
            ShowException(&e);
    } catch (std::exception& e) {
        Exception wrapped(e.what());
        if (OnException)
            OnException(sender, &wrapped);
        else
            ShowException(&wrapped);
    } catch (...) {
        Exception wrapped("Unknown exception");
        if (OnException)
            OnException(sender, &wrapped);
        else
            ShowException(&wrapped);
    }
}

void TApplication::ShowException(Exception* e)
{
    String message = e ? e->Message() : String();
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        message += '.';
    MessageBox(message, title_, MB_OK | MB_ICONSTOP);
}

bool TApplication::Guard(const std::function<void()>& action, TObject* sender)
{
    try {
        action();
        return true;
    } catch (...) {
        HandleException(sender);
        return false;
    }
}

int TApplication::MessageBox(const String& text, const String& caption, UINT flags)
{
    QWidget* owner = QApplication::activeWindow();
    return ::MessageBox(owner, text, caption, flags);
}

String TApplication::ExeName() const
{
    return QCoreApplication::instance() ? FromQString(QCoreApplication::applicationFilePath()) : String();
}

HWND TApplication::Handle() const
{
    return mainForm_ ? mainForm_->Handle() : nullptr;
}

TQApplication::TQApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TQApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        Application->HandleException(nullptr);
        return false;
    }
}

// ---------------------------------------------------------------- TScreen

TScreen::TScreen() : TComponent(nullptr) {}

void TScreen::SetCursor(TCursor cursor)
{
    cursor_ = cursor;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (cursor == crDefault) {
        if (overrideActive_)
            QGuiApplication::restoreOverrideCursor();
        overrideActive_ = false;
        return;
    }
    const QCursor shape(CursorShapeOf(cursor));
    if (overrideActive_)
        QGuiApplication::changeOverrideCursor(shape);
    else
        QGuiApplication::setOverrideCursor(shape);
    overrideActive_ = true;
}

int TScreen::Width() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 1024;
}

int TScreen::Height() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 768;
}

TForm* TScreen::ActiveForm() const
{
    const QWidget* active = QApplication::activeWindow();
    for (TForm* f : forms_)
        if (f->Host() == active)
            return f;
    return nullptr;
}

TCursorScope::TCursorScope(TCursor cursor) : previous_(Screen->Cursor())
{
    Screen->SetCursor(cursor);
}

TCursorScope::~TCursorScope()
{
    Screen->SetCursor(previous_);
}

// ---------------------------------------------------------------- TForm

class TFormHost : public QDialog, public TControlHostLink {
public:
    TFormHost() : QDialog(nullptr) { setAttribute(Qt::WA_DeleteOnClose, false); }

    TForm* Form() const { return static_cast<TForm*>(control_); }

    // Windows' activation messages (see Forms.h); `other` is the window on the other side.
    void Deactivate(QWidget* other)
    {
        if (!active_)
            return;
        active_ = false;
        if (activeHost_ == this)
            activeHost_ = nullptr;
        QPointer<TFormHost> self(this);
        SendToForm(kNcActivate, FALSE, 0);
        if (self)
            SendToForm(WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(other));
    }

    void Activated()
    {
        if (active_)
            return;
        QPointer<TFormHost> self(this);
        QPointer<TFormHost> previous = activeHost_;
        // The window losing activation hears of it first, as on Windows.
        if (previous && previous != this)
            previous->Deactivate(this);
        if (!self)
            return;
        active_ = true;
        activeHost_ = this;
        SendToForm(kNcActivate, TRUE, 0);
        if (self && active_)
            SendToForm(WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous.data()));
    }

    static QPointer<TFormHost> activeHost_;

protected:
    bool event(QEvent* e) override
    {
        try {
            if (e->type() == QEvent::WindowActivate) {
                Activated();
                return true;
            }
            if (e->type() == QEvent::WindowDeactivate) {
                Deactivate(QApplication::activeWindow());
                return true;
            }
            return QDialog::event(e);
        } catch (...) {
            Application->HandleException(control_);
            return true;
        }
    }

    void showEvent(QShowEvent* e) override
    {
        QDialog::showEvent(e);
        if (Form() && !e->spontaneous())
            Form()->HostShown();
    }

    void hideEvent(QHideEvent* e) override
    {
        QDialog::hideEvent(e);
        if (Form() && !e->spontaneous())
            Form()->HostHidden();
    }

    void resizeEvent(QResizeEvent* e) override
    {
        QDialog::resizeEvent(e);
        if (Form())
            Form()->Realign();
        if (Form() && Form()->OnResize)
            Form()->OnResize(Form());
    }

    void closeEvent(QCloseEvent* e) override
    {
        // The form decides; it hides the window itself when it closes.
        e->ignore();
        if (TForm* form = Form())
            form->Close();
    }

    void keyPressEvent(QKeyEvent* e) override
    {
        // A key no control took goes to the form as WM_KEYDOWN and WM_CHAR; a handler that
        // zeroes the key ends it there.
        if (Form()) {
            QPointer<TFormHost> self(this);
            const bool alt = e->modifiers() & Qt::AltModifier;
            TMessage down{};
            down.Msg = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
            down.WParam = VirtualKeyOfQtKey(e->key(), e->modifiers() & Qt::KeypadModifier);
            down.LParam = alt ? (1 << 29) : 0;
            if (down.WParam != 0)
                Form()->WindowProc(down);
            if (!self || !Form())
                return;
            if (down.WParam != 0 && down.CharCode() == 0)
                return;
            const String text = FromQString(e->text());
            if (!text.empty() && !alt) {
                Form()->Perform(WM_CHAR, static_cast<unsigned char>(text[0]), 0);
                if (!self || !Form())
                    return;
            }
        }
        // Escape closes a form only through a cancel button, not by itself.
        if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
            if (TButton* cancel = control_ ? FindCancel(static_cast<TWinControl*>(control_)) : nullptr)
                Application->Guard([cancel] { cancel->Click(); }, cancel);
            else
                e->ignore();
            return;
        }
        QDialog::keyPressEvent(e);
    }

    void keyReleaseEvent(QKeyEvent* e) override
    {
        if (Form()) {
            const WORD vk = VirtualKeyOfQtKey(e->key(), e->modifiers() & Qt::KeypadModifier);
            if (vk != 0)
                Form()->Perform((e->modifiers() & Qt::AltModifier) ? WM_SYSKEYUP : WM_KEYUP, vk, 0);
            return;
        }
        QDialog::keyReleaseEvent(e);
    }

private:
    void SendToForm(UINT msg, WPARAM w, LPARAM l)
    {
        if (TForm* form = Form())
            form->Perform(msg, w, l);
    }

    bool active_ = false;

    static TButton* FindCancel(TWinControl* parent)
    {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* c = parent->Controls(i);
            if (auto* button = dynamic_cast<TButton*>(c); button && button->Cancel && button->Visible() && button->Enabled())
                return button;
            if (auto* child = dynamic_cast<TWinControl*>(c))
                if (TButton* found = FindCancel(child))
                    return found;
        }
        return nullptr;
    }
};

QPointer<TFormHost> TFormHost::activeHost_;

namespace {

TControl* ControlOfWidget(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (auto* link = dynamic_cast<TControlHostLink*>(w); link && link->LinkedControl())
            return link->LinkedControl();
    return nullptr;
}

// Watches the whole application: a press on a window that is not the active one activates it
// (as a click does on Windows), and the mouse entering and leaving controls drives the hints.
class TApplicationEvents : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (auto* w = qobject_cast<QWidget*>(object); w && w->isWindow()) {
                if (dynamic_cast<TFormHost*>(w) && w->isVisible() && QApplication::activeWindow() != w)
                    w->activateWindow();
                Application->CancelHint();
            }
            break;
        case QEvent::KeyPress:
            if (auto* w = qobject_cast<QWidget*>(object); w && w->isWindow())
                Application->CancelHint();
            break;
        case QEvent::Enter:
            if (auto* w = qobject_cast<QWidget*>(object)) {
                if (TControl* control = ControlOfWidget(w); control && control->Host() == w) {
                    const auto* enter = static_cast<QEnterEvent*>(e);
                    Application->HintMouseEntered(control, TPoint(int(enter->position().x()), int(enter->position().y())));
                }
            }
            break;
        case QEvent::Leave:
            if (auto* w = qobject_cast<QWidget*>(object)) {
                if (TControl* control = Application->HintControl(); control && control->Host() == w)
                    Application->HintMouseLeft(control);
            }
            break;
        default: break;
        }
        return false;
    }
};

void WatchApplicationEvents()
{
    static QPointer<TApplicationEvents> filter;
    if (filter || !qApp)
        return;
    filter = new TApplicationEvents;
    filter->setParent(qApp);
    qApp->installEventFilter(filter);
}

// Forms still alive at the end are freed while Qt is still there to take their windows.
void FreeApplicationComponents()
{
    Application->DestroyComponents();
}
} // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner, new TFormHost)
{
    static const bool cleanupRegistered = (qAddPostRoutine(FreeApplicationComponents), true);
    (void)cleanupRegistered;
    EnsureIdleHook();
    TControl::SetVisible(false);
    Host()->resize(320, 240);
    Screen->forms_.push_back(this);
    WatchApplicationEvents();
}

void TForm::DoDestroy()
{
    if (!created_ || !OnDestroy)
        return;
    const TNotifyEvent handler = std::move(OnDestroy);
    OnDestroy = nullptr;
    Application->Guard([&] { handler(this); }, this);
}

TForm::~TForm()
{
    DoDestroy();
    auto& forms = Screen->forms_;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    if (Application->MainForm() == this)
        Application->SetMainForm(nullptr);
    BeginDestroy();
}

QDialog* TForm::Dialog() const { return static_cast<QDialog*>(Host()); }

void TForm::AfterConstruction()
{
    if (created_)
        return;
    created_ = true;
    DoCreate();
}

void TForm::DoCreate()
{
    if (OnCreate)
        OnCreate(this);
}

void TForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TForm::Activate()
{
    if (OnActivate)
        OnActivate(this);
}

void TForm::PlaceOnShow()
{
    QWidget* host = Host();
    QRect area(0, 0, Screen->Width(), Screen->Height());
    if (Position == poMainFormCenter || Position == poOwnerFormCenter) {
        TForm* centre = Application->MainForm();
        if (Position == poOwnerFormCenter)
            if (auto* ownerForm = dynamic_cast<TForm*>(Owner()))
                centre = ownerForm;
        if (centre && centre != this && centre->Host()->isVisible())
            area = centre->Host()->frameGeometry();
    } else if (Position != poScreenCenter && Position != poDesktopCenter) {
        return;
    }
    host->move(area.x() + (area.width() - host->width()) / 2, area.y() + (area.height() - host->height()) / 2);
}

void TForm::Show()
{
    PlaceOnShow();
    TControl::SetVisible(true);
    Host()->raise();
    Host()->activateWindow();
}

void TForm::HostShown()
{
    TControl::SetVisible(true);
    Application->Guard([this] {
        DoShow();
        Activate();
        if (activeControl_)
            activeControl_->SetFocus();
    }, this);
}

void TForm::HostHidden()
{
    if (OnHide)
        Application->Guard([this] { OnHide(this); }, this);
}

TModalResult TForm::ShowModal()
{
    if (modal_ || Host()->isVisible())
        throw EInvalidOperation("Cannot make a visible window modal");
    modal_ = true;
    modalResult_ = mrNone;
    PlaceOnShow();
    Dialog()->setWindowModality(Qt::ApplicationModal);
    Dialog()->exec();
    modal_ = false;
    Dialog()->setWindowModality(Qt::NonModal);
    TControl::SetVisible(false);
    if (modalResult_ == mrNone)
        modalResult_ = mrCancel;
    return modalResult_;
}

void TForm::SetModalResult(TModalResult result)
{
    modalResult_ = result;
    if (!modal_ || result == mrNone || closing_)
        return;
    const TCloseAction action = RunCloseEvents();
    if (action == caNone) {
        modalResult_ = mrNone;
        return;
    }
    ApplyCloseAction(action);
}

void TForm::Close()
{
    if (modal_) {
        SetModalResult(mrCancel);
        return;
    }
    if (closing_)
        return;
    const TCloseAction action = RunCloseEvents();
    if (action != caNone)
        ApplyCloseAction(action);
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

TCloseAction TForm::RunCloseEvents()
{
    closing_ = true;
    TCloseAction action = caNone;
    Application->Guard([&] {
        if (!CloseQuery())
            return;
        action = caHide;
        if (OnClose)
            OnClose(this, action);
    }, this);
    closing_ = false;
    return action;
}

void TForm::ApplyCloseAction(TCloseAction action)
{
    if (action == caMinimize) {
        Host()->showMinimized();
        return;
    }
    if (modal_)
        Dialog()->done(modalResult_);
    TControl::SetVisible(false);
    Host()->hide();
    if (Application->MainForm() == this)
        Application->Terminate();
    if (action == caFree) {
        // freed once the current event is done, as a posted release
        QPointer<QWidget> host = Host();
        TForm* form = this;
        QTimer::singleShot(0, [host, form] {
            if (host)
                delete form;
        });
    }
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    borderStyle_ = style;
    ApplyWindowFlags();
}

void TForm::SetFormStyle(TFormStyle style)
{
    formStyle_ = style;
    ApplyWindowFlags();
}

void TForm::SetPopupParent(TForm* parent)
{
    popupParent_ = parent == this ? nullptr : parent;
    QWidget* host = Host();
    host->winId();
    if (QWindow* window = host->windowHandle()) {
        QWindow* owner = nullptr;
        if (popupParent_) {
            popupParent_->Host()->winId();
            owner = popupParent_->Host()->windowHandle();
        }
        window->setTransientParent(owner);
    }
}

void TForm::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case kNcActivate:
        activeLook_ = m.WParam != 0;
        m.Result = TRUE;
        break;
    case WM_ACTIVATE:
        if (LOWORD(m.WParam) == WA_INACTIVE && OnDeactivate)
            OnDeactivate(this);
        break;
    default: TWinControl::Dispatch(m); break;
    }
}

void TForm::ApplyWindowFlags()
{
    const TFormBorderStyle style = borderStyle_;
    QWidget* host = Host();
    Qt::WindowFlags flags = Qt::Window;
    switch (style) {
    case bsNone: flags = Qt::Window | Qt::FramelessWindowHint; break;
    case bsSingle: flags = Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint; break;
    case bsSizeable: flags = Qt::Window; break;
    case bsDialog: flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint; break;
    case bsToolWindow: flags = Qt::Tool | Qt::MSWindowsFixedSizeDialogHint; break;
    case bsSizeToolWin: flags = Qt::Tool; break;
    }
    if (formStyle_ == fsStayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    if (!borderIcons_.Contains(biSystemMenu))
        flags = (flags & ~(Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                           Qt::WindowCloseButtonHint)) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    const bool wasVisible = host->isVisible();
    host->setWindowFlags(flags);
    if (style == bsSingle || style == bsDialog || style == bsToolWindow)
        host->setFixedSize(host->size());
    else
        host->setMinimumSize(0, 0), host->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (wasVisible)
        host->show();
}

void TForm::SetBorderIcons(const TBorderIcons& icons)
{
    borderIcons_ = icons;
    SetBorderStyle(borderStyle_);
}

void TForm::SetWindowState(TWindowState state)
{
    windowState_ = state;
    QWidget* host = Host();
    if (state == wsMaximized)
        host->setWindowState(Qt::WindowMaximized);
    else if (state == wsMinimized)
        host->setWindowState(Qt::WindowMinimized);
    else
        host->setWindowState(Qt::WindowNoState);
}

int TForm::ClientWidth() const { return Host()->width(); }
int TForm::ClientHeight() const { return Host()->height() - ClientOffset().Y; }

void TForm::SetClientWidth(int v)
{
    QWidget* host = Host();
    if (host->minimumWidth() == host->maximumWidth())
        host->setFixedWidth(v);
    else
        host->resize(v, host->height());
    Realign();
}

void TForm::SetClientHeight(int v)
{
    QWidget* host = Host();
    v += ClientOffset().Y; // the menu bar lies above the client area
    if (host->minimumHeight() == host->maximumHeight())
        host->setFixedHeight(v);
    else
        host->resize(host->width(), v);
    Realign();
}

void TForm::SetActiveControl(TWinControl* control)
{
    activeControl_ = control;
    if (control && Host()->isVisible())
        control->SetFocus();
}

// ---------------------------------------------------------------- pop-up forms

TPopupForm::TPopupForm(TComponent* owner) : TForm(owner)
{
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    if (auto* ownerForm = dynamic_cast<TForm*>(owner))
        SetPopupParent(ownerForm);
}

void TPopupForm::Dispatch(TMessage& m)
{
    if (m.Msg != WM_ACTIVATE) {
        TForm::Dispatch(m);
        return;
    }
    TForm::Dispatch(m);
    if (LOWORD(m.WParam) != WA_INACTIVE) {
        // The owner keeps its active caption while its pop-up is active.
        if (TForm* parent = PopupParent())
            parent->Perform(kNcActivate, TRUE, 0);
        return;
    }
    if (!Host()->isVisible())
        return;
    deactivationTick_ = GetTickCount();
    // A window of the pop-up's own (a child pop-up) taking activation keeps it open.
    for (HWND w = GetParent(reinterpret_cast<HWND>(m.LParam)); w; w = GetParent(w))
        if (w == Handle())
            return;
    if (DeactivateCloses)
        Close();
}

void TPopupForm::KeyDown(WORD& key, TShiftState shift)
{
    TForm::KeyDown(key, shift);
    if (key == VK_ESCAPE && EscapeCloses) {
        key = 0;
        Close();
    }
}

// ---------------------------------------------------------------- hints

String GetShortHint(const String& hint)
{
    const size_t bar = hint.find('|');
    return bar == String::npos ? hint : hint.substr(0, bar);
}

String GetLongHint(const String& hint)
{
    const size_t bar = hint.find('|');
    return bar == String::npos ? hint : hint.substr(bar + 1);
}

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner)
{
    QWidget* host = Host();
    host->setParent(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    host->setAttribute(Qt::WA_ShowWithoutActivating);
    SetColor(clInfoBk);
    Font()->Color = clInfoText;
    TControl::SetVisible(false);
}

TRect THintWindow::CalcHintRect(int maxWidth, const String& hint, void*)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    // the text wraps so that the window, with its frame and margins, keeps within maxWidth
    const int textWidth = std::max(1, (maxWidth > 0 ? maxWidth : Screen->Width()) - 6);
    RECT r{0, 0, textWidth, 0};
    DrawText(dc, hint.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteDC(dc);
    // Room for the frame and the margin around the text.
    return TRect(0, 0, r.right + 6, r.bottom + 2);
}

void THintWindow::ActivateHint(const TRect& rect, const String& hint)
{
    ActivateHintData(rect, hint, nullptr);
}

void THintWindow::ActivateHintData(const TRect& rect, const String& hint, void*)
{
    SetCaption(hint);
    QWidget* host = Host();
    host->setGeometry(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
    TControl::SetVisible(true);
    host->show();
    host->raise();
    Invalidate();
}

void THintWindow::ReleaseHandle()
{
    TControl::SetVisible(false);
    Host()->hide();
}

bool THintWindow::Showing() const
{
    return Host()->isVisible();
}

void THintWindow::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client(0, 0, Width(), Height());
    canvas->Brush->Color = Color();
    canvas->Pen->Color = clWindowFrame;
    canvas->Rectangle(client.Left, client.Top, client.Right, client.Bottom);
    canvas->Font->Assign(Font());
    canvas->Brush->Style = bsClear;
    RECT r{3, 1, client.Right - 3, client.Bottom - 1};
    DrawText(canvas->Handle(), Caption().c_str(), -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

THintWindow* TApplication::HintWindow() const
{
    return hint_->Window();
}

TControl* TApplication::HintControl() const
{
    return hint_->ControlAlive() ? hint_->control : nullptr;
}

void TApplication::HintMouseEntered(TControl* control, const TPoint& pos)
{
    THintState& h = *hint_;
    if (h.ControlAlive() && h.control == control)
        return;
    const bool hintWasShowing = h.Window() && h.Window()->Showing();
    CancelHint();
    if (!control || !ShowHint || !control->ShowHint || control->Hint().empty())
        return;
    h.control = control;
    h.controlHost = control->Host();
    h.cursorPos = pos;
    if (!h.pauseTimer) {
        h.pauseTimer = new QTimer(qApp);
        h.pauseTimer->setSingleShot(true);
        QObject::connect(h.pauseTimer, &QTimer::timeout, [] { Application->HintPauseElapsed(); });
    }
    h.pauseTimer->start(hintWasShowing ? HintShortPause : HintPause);
}

void TApplication::HintMouseLeft(TControl* control)
{
    if (hint_->control == control)
        CancelHint();
}

void TApplication::HintPauseElapsed()
{
    THintState& h = *hint_;
    if (!h.ControlAlive())
        return;
    QPoint screenPos = h.controlHost->mapToGlobal(QPoint(h.cursorPos.X, h.cursorPos.Y));
    Guard([&] { ActivateHint(TPoint(screenPos.x(), screenPos.y())); });
}

void TApplication::ActivateHint(const TPoint& cursorPos)
{
    THintState& h = *hint_;
    if (!h.ControlAlive())
        return;
    TControl* control = h.control;
    THintInfo info;
    info.HintControl = control;
    info.HintPos = TPoint(cursorPos.X, cursorPos.Y + 20); // below the mouse pointer
    info.HintMaxWidth = Screen->Width();
    info.HintColor = HintColor;
    info.CursorRect = TRect(0, 0, control->Width(), control->Height());
    const QPoint local = h.controlHost->mapFromGlobal(QPoint(cursorPos.X, cursorPos.Y));
    info.CursorPos = TPoint(local.x(), local.y());
    info.HideTimeout = HintHidePause;
    info.HintStr = GetShortHint(control->Hint());
    QPointer<QWidget> alive = h.controlHost;
    // The control may change what is shown, or refuse (a Result other than 0).
    if (control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0 || !alive)
        return;
    bool canShow = true;
    if (OnShowHint)
        OnShowHint(info.HintStr, canShow, info);
    if (!canShow || info.HintStr.empty() || !alive)
        return;
    THintWindow* window = h.Window();
    if (!window || info.HintWindowClass) {
        if (window)
            delete window;
        window = info.HintWindowClass ? info.HintWindowClass(this) : new THintWindow(this);
        h.window = window;
        h.windowHost = window->Host();
    }
    window->SetColor(info.HintColor);
    TRect r = window->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
    const int width = r.Right - r.Left, height = r.Bottom - r.Top;
    // on the screen: moved left from its right edge, above the mouse pointer at its bottom
    int x = std::max(0, std::min(info.HintPos.X, Screen->Width() - width));
    int y = info.HintPos.Y;
    if (y + height > Screen->Height())
        y = std::max(0, cursorPos.Y - height - 2);
    r = TRect(x, y, x + width, y + height);
    window->ActivateHintData(r, info.HintStr, info.HintData);
    HintText = GetLongHint(control->Hint());
    if (OnHint)
        OnHint(this);
    if (!h.hideTimer) {
        h.hideTimer = new QTimer(qApp);
        h.hideTimer->setSingleShot(true);
        QObject::connect(h.hideTimer, &QTimer::timeout, [] { Application->HideHint(); });
    }
    if (info.HideTimeout > 0)
        h.hideTimer->start(info.HideTimeout);
    else
        h.hideTimer->stop();
}

void TApplication::HideHint()
{
    if (hint_->hideTimer)
        hint_->hideTimer->stop();
    if (THintWindow* window = hint_->Window())
        window->ReleaseHandle();
}

void TApplication::CancelHint()
{
    THintState& h = *hint_;
    if (h.pauseTimer)
        h.pauseTimer->stop();
    HideHint();
    h.control = nullptr;
    h.controlHost = nullptr;
}

namespace {

class TypedAheadKeyForwarder : public QObject {
public:
    TypedAheadKeyForwarder(QWidget* from, std::shared_ptr<bool> life, std::function<TForm*()> pendingPopup)
        : QObject(from), life_(std::move(life)), pendingPopup_(std::move(pendingPopup))
    {
        from->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if ((e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) || !*life_)
            return false;
        QPointer<QWidget> target = Target();
        if (!target)
            return false;
        auto* k = static_cast<QKeyEvent*>(e);
        QKeyEvent moved(k->type(), k->key(), k->modifiers(), k->nativeScanCode(), k->nativeVirtualKey(),
                        k->nativeModifiers(), k->text(), k->isAutoRepeat(), ushort(k->count()));
        QCoreApplication::sendEvent(target, &moved);
        return true;
    }

private:
    QWidget* Target() const
    {
        TForm* form = pendingPopup_();
        if (!form)
            return nullptr;
        // A key reaches the control while its pop-up is shown only when it was typed before the
        // pop-up took the keyboard, even when the window system has handed the keyboard over
        // meanwhile (the keys queued for the old window still come to it).
        QWidget* popup = form->Host();
        if (!popup->isVisible())
            return nullptr;
        if (QWidget* w = popup->focusWidget())
            return w;
        // where the focus goes when the pop-up becomes active: its first control that takes it
        for (QWidget* w = popup->nextInFocusChain(); w && w != popup; w = w->nextInFocusChain())
            if (w->window() == popup && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(popup) && w->isEnabled())
                return w;
        return popup;
    }

    std::shared_ptr<bool> life_;
    std::function<TForm*()> pendingPopup_;
};

} // namespace

void ForwardKeysTypedAhead(TWinControl* control, std::function<TForm*()> pendingPopup)
{
    new TypedAheadKeyForwarder(control->Host(), control->Life(), std::move(pendingPopup));
}
