#pragma once
// The application object, the screen and forms.
//
// `Application` and `Screen` are process-wide objects. Every exception that escapes an event
// handler of a framework control or form, a guarded slot (TApplication::Guard) or - in
// programs that create a TQApplication - any Qt event, reaches Application->HandleException:
// EAbort is dropped silently, anything else goes to the OnException handler when one is set,
// else to ShowException.
#include "Controls.h"
#include "platform/win/WinMessageBox.h"

#include <QApplication>
#include <functional>

class TForm;
class QDialog;

using TExceptionEvent = std::function<void(TObject* Sender, Exception* E)>;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    String Title() const { return title_; }
    void SetTitle(const String& title);

    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }

    // Creates a form owned by the application; the first form created becomes the main form.
    template <class T>
    void CreateForm(T*& reference)
    {
        reference = New<T>(this);
        if (!mainForm_)
            mainForm_ = reference;
    }

    // Shows the main form and runs the event loop until Terminate (or the main form closes).
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    void ProcessMessages();

    TExceptionEvent OnException;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    // Call from inside a catch block: routes the current exception (see above).
    void HandleException(TObject* sender);
    // Shows the message of an exception in an error box captioned with the title; a message
    // without closing punctuation gets a full stop.
    void ShowException(Exception* e);
    // Runs `action`, routing what it throws to HandleException. Returns false when it threw.
    bool Guard(const std::function<void()>& action, TObject* sender = nullptr);

    // The API message box with the application's window as owner; returns IDOK, IDYES...
    int MessageBox(const String& text, const String& caption, UINT flags = MB_OK);

    String ExeName() const;
    HWND Handle() const;
    String HintText;
    bool ShowHint = true;

private:
    String title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

extern TApplication* Application;

// A QApplication whose notify sends exceptions that escape any event handler to
// Application->HandleException. Programs create this instead of a plain QApplication.
class TQApplication : public QApplication {
public:
    TQApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

class TScreen : public TComponent {
public:
    TScreen();

    // Setting a cursor other than crDefault puts up an application-wide override cursor;
    // crDefault takes it down again.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

    int Width() const;
    int Height() const;
    int PixelsPerInch() const { return 96; }
    int FormCount() const { return int(forms_.size()); }
    TForm* Forms(int index) const { return forms_.at(size_t(index)); }
    TForm* ActiveForm() const;

private:
    friend class TForm;
    TCursor cursor_ = crDefault;
    bool overrideActive_ = false;
    std::vector<TForm*> forms_;
};

extern TScreen* Screen;

// RAII hourglass: sets Screen->Cursor to crHourGlass and puts the previous one back.
class TCursorScope {
public:
    explicit TCursorScope(TCursor cursor = crHourGlass);
    ~TCursorScope();
    TCursorScope(const TCursorScope&) = delete;
    TCursorScope& operator=(const TCursorScope&) = delete;

private:
    TCursor previous_;
};

enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                 poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// A form: a top-level window hosted on a QDialog (which also serves as the main window).
//
// Order of events: OnCreate once, in AfterConstruction; on each Show/ShowModal OnShow and
// then OnActivate (once per showing, not on every window activation); on Close OnCloseQuery
// (CanClose false stops), then OnClose with Action (caHide by default, caFree frees the form
// later, caNone stops). Setting ModalResult to a value other than mrNone while the form runs
// modally closes it the same way and ShowModal returns that value; Close on a modal form sets
// ModalResult to mrCancel.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    void AfterConstruction() override;

    void Show();
    void Close();
    TModalResult ShowModal();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result);
    bool Modal() const { return modal_; }
    // Closes the form the way the close box does; false when OnCloseQuery or OnClose refused.
    bool CloseQuery();

    TPosition Position = poDesigned;
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int v) override;
    void SetClientHeight(int v) override;

    QDialog* Dialog() const;
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnResize;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    virtual void DoCreate();
    virtual void DoShow();
    virtual void Activate();

private:
    friend class TFormHost;
    void HostShown();
    void HostHidden();
    void PlaceOnShow();
    // Runs OnCloseQuery and OnClose; returns the action decided.
    TCloseAction RunCloseEvents();
    void ApplyCloseAction(TCloseAction action);

    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool created_ = false;
    bool closing_ = false;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TWindowState windowState_ = wsNormal;
    TWinControl* activeControl_ = nullptr;
};
