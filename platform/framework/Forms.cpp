#include "Forms.h"

#include "ControlHost.h"
#include "StdCtrls.h"

#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {
TApplication applicationInstance;
TScreen screenInstance;
} // namespace

TApplication* Application = &applicationInstance;
TScreen* Screen = &screenInstance;

// ---------------------------------------------------------------- TApplication

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication()
{
    mainForm_ = nullptr;
}

void TApplication::SetTitle(const String& title)
{
    title_ = title;
    QCoreApplication::setApplicationName(ToQString(title));
}

void TApplication::Run()
{
    if (terminated_)
        return;
    if (mainForm_)
        mainForm_->Show();
    if (!terminated_ && QCoreApplication::instance())
        QCoreApplication::exec();
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

protected:
    bool event(QEvent* e) override
    {
        try {
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

private:
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

namespace {
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
    TControl::SetVisible(false);
    Host()->resize(320, 240);
    Screen->forms_.push_back(this);
}

TForm::~TForm()
{
    if (created_ && OnDestroy)
        Application->Guard([this] { OnDestroy(this); }, this);
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
    const bool wasVisible = host->isVisible();
    host->setWindowFlags(flags);
    if (style == bsSingle || style == bsDialog || style == bsToolWindow)
        host->setFixedSize(host->size());
    else
        host->setMinimumSize(0, 0), host->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (wasVisible)
        host->show();
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
int TForm::ClientHeight() const { return Host()->height(); }

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
