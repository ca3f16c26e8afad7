#pragma once
// The application object, the screen and forms.
//
// `Application` and `Screen` are process-wide objects. Every exception that escapes an event
// handler of a framework control or form, a guarded slot (TApplication::Guard) or - in
// programs that create a TQApplication - any Qt event, reaches Application->HandleException:
// EAbort is dropped silently, anything else goes to the OnException handler when one is set,
// else to ShowException.
#include "platform/framework/Controls.h"
#include "platform/win/WinMessageBox.h"

#include <QApplication>
#include <functional>
#include <memory>

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
    // Runs whenever the event loop runs out of events to handle (once each time it would
    // wait): OnIdle first, then the idle work of the registered handlers (action updates).
    std::function<void(TObject* Sender, bool& Done)> OnIdle;
    void Idle();
    void AddIdleHandler(const void* key, std::function<void()> handler);
    void RemoveIdleHandler(const void* key);
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

    // Hints: the mouse resting HintPause ms on a control with ShowHint and a Hint shows the
    // hint window (after HintShortPause when a hint was shown a moment ago); it hides after
    // HintHidePause ms, when the mouse leaves the control, on a press or a key, or by
    // CancelHint. Before showing, the control gets CM_HINTSHOW with a THintInfo (LParam) that
    // it may change (a Result other than 0 cancels), then OnShowHint may change or cancel it.
    int HintPause = 500;
    int HintShortPause = 50;
    int HintHidePause = 2500;
    TColor HintColor = clInfoBk;
    std::function<void(String& HintStr, bool& CanShow, struct THintInfo& HintInfo)> OnShowHint;
    TNotifyEvent OnHint;
    // Shows the hint of the control under the mouse now (as when the pause ends).
    void ActivateHint(const TPoint& cursorPos);
    void CancelHint();
    void HideHint();
    // The hint window, null until a hint was shown.
    class THintWindow* HintWindow() const;
    // The control whose hint is pending or showing.
    TControl* HintControl() const;
    // Tests point hints at a control as if the mouse had entered it at `pos` (client).
    void HintMouseEntered(TControl* control, const TPoint& pos);
    void HintMouseLeft(TControl* control);

private:
    friend class THintTimerHost;
    void HintPauseElapsed();
    struct THintState;
    std::unique_ptr<THintState> hint_;
    String title_;
    std::vector<std::pair<const void*, std::function<void()>>> idleHandlers_;
    bool idling_ = false;
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
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;

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
    // Without biSystemMenu the title bar has no close box (nor the other buttons).
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(const TBorderIcons& icons);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int v) override;
    void SetClientHeight(int v) override;

    QDialog* Dialog() const;
    // fsStayOnTop keeps the window above the others (top-most).
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    // The window that owns this one (it stays in front of it); null for none.
    TForm* PopupParent() const { return popupParent_; }
    void SetPopupParent(TForm* parent);
    // Activation as the window shows it: WM_NCACTIVATE sets it (wParam), so a form that
    // lost activation to its own pop-up keeps its active look when the pop-up sends it
    // WM_NCACTIVATE(TRUE).
    bool ActiveLook() const { return activeLook_; }
    // Keys that no control of the form took reach the form as WM_KEYDOWN, WM_CHAR and WM_KEYUP
    // (KeyDown/KeyPress/KeyUp, OnKeyDown...); Escape then presses a cancel button when the key
    // is still there.
    bool KeyPreview = false;
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    // Runs OnDestroy once (a created form only). A derived form whose handler reaches its own
    // members calls it first thing in its destructor: by the time the form's own destructor
    // runs the handler, only the form part of the object is left.
    void DoDestroy();
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
    // WM_NCACTIVATE: records the active look, answers TRUE. WM_ACTIVATE: OnDeactivate when the
    // form loses activation.
    void Dispatch(TMessage& message) override;

private:
    friend class TFormHost;
    void ApplyWindowFlags();
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
    TFormStyle formStyle_ = fsNormal;
    TForm* popupParent_ = nullptr;
    bool activeLook_ = false;
    TWindowState windowState_ = wsNormal;
    TBorderIcons borderIcons_ = TBorderIcons() << biSystemMenu << biMinimize << biMaximize;
    TWinControl* activeControl_ = nullptr;
};

// Windows' activation messages from Qt's activation: a form that becomes active gets
// WM_NCACTIVATE(TRUE) then WM_ACTIVATE(WA_ACTIVE, the window that was active); one that
// loses it WM_NCACTIVATE(FALSE) then WM_ACTIVATE(WA_INACTIVE, the window being activated).
// A press on a window of the application that is not the active one activates it first, as
// a click does on Windows, so a click outside a pop-up deactivates the pop-up.

// A borderless, top-most pop-up form. It hides (Close, so OnClose may refuse or free it) when
// it loses activation to a window that is not one of its own, when DeactivateCloses, and on
// Escape when EscapeCloses. While it is active it keeps the active look of its PopupParent.
class TPopupForm : public TForm {
public:
    explicit TPopupForm(TComponent* owner);
    String ClassName() const override { return "TPopupForm"; }
    bool DeactivateCloses = true;
    bool EscapeCloses = true;
    // GetTickCount when the visible pop-up last lost activation (0 before): an owner's button
    // ignores the press that closed the pop-up this way.
    DWORD DeactivationTick() const { return deactivationTick_; }

protected:
    void Dispatch(TMessage& message) override;
    void KeyDown(WORD& key, TShiftState shift) override;

private:
    DWORD deactivationTick_ = 0;
};

// ---------------------------------------------------------------- hints

class THintWindow;

// What a hint shows and where; handed to CM_HINTSHOW (LParam) and OnShowHint.
struct THintInfo {
    TControl* HintControl = nullptr;
    std::function<THintWindow*(TComponent* owner)> HintWindowClass;
    TPoint HintPos;          // screen position of the window's top-left corner
    int HintMaxWidth = 0;    // the text wraps at this width
    TColor HintColor = clInfoBk;
    TRect CursorRect;        // the hint stays while the mouse is in here (control client)
    TPoint CursorPos;        // the mouse in the control's client coordinates
    int ReshowTimeout = 0;
    int HideTimeout = 0;     // ms; 0 for the application's HintHidePause
    String HintStr;
    void* HintData = nullptr;
};

// The text before '|' of a hint, and the text after it (the whole hint when there is none).
String GetShortHint(const String& hint);
String GetLongHint(const String& hint);

// The top-level window that shows a hint: no frame, no activation, above everything; the text
// in clInfoText on the hint colour with a one-pixel frame, wrapped at the maximum width.
class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* owner);
    String ClassName() const override { return "THintWindow"; }
    // Shows the hint in `rect` (screen coordinates) with `hint` as caption.
    virtual void ActivateHint(const TRect& rect, const String& hint);
    virtual void ActivateHintData(const TRect& rect, const String& hint, void* data);
    // The rectangle (from 0,0) that the text needs at most maxWidth wide.
    virtual TRect CalcHintRect(int maxWidth, const String& hint, void* data);
    void ReleaseHandle(); // hides the window
    bool Showing() const;

protected:
    void Paint() override;
};

// Keys typed right after a key that opens a pop-up form reach `control` until the pop-up is
// activated, and those already queued for its window even after that. While `pendingPopup`
// returns a shown pop-up, such keys go to the control in it that has or will have the keyboard (its focused control, else
// the first one that takes the focus by Tab, else the form), so a person typing ahead loses
// nothing. `pendingPopup` returns nullptr while nothing is pending; the forwarding lives as long
// as `control`.
void ForwardKeysTypedAhead(TWinControl* control, std::function<TForm*()> pendingPopup);
