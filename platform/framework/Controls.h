#pragma once
// Controls of the framework hosted on Qt widgets.
//
// Every control owns one host QWidget for its whole life (created by the constructor, deleted
// with the control); the parent chain of the controls is the parent chain of their hosts.
// Windowed controls of our own (TCustomControl and what derives from it) host a TControlHost,
// which turns Qt's events into message records with the API's message numbers and
// virtual-key codes and sends them through the control's WindowProc:
//
//   WindowProc (default: WndProc) -> Dispatch (the message map of each class, most derived
//   first) -> DefaultHandler
//
// A key press gives WM_KEYDOWN and then, as the message loop would, WM_CHAR for its character,
// even when the key-down handler consumed the key (set Key to 0). Mouse buttons give
// WM_xBUTTONDOWN/UP/DBLCLK with the client position, the wheel WM_MOUSEWHEEL, focus
// WM_SETFOCUS/WM_KILLFOCUS, size WM_SIZE, scroll bars WM_HSCROLL/WM_VSCROLL. Perform,
// SendMessage and PostMessage reach the same procedure.
//
// Painting: the host keeps an image of its client area. Invalidate/InvalidateRect mark an
// area; the next paint sends WM_PAINT with a device context on the image clipped to that area
// (TCustomControl calls Paint with Canvas on it) and shows the image. Drawing on Canvas outside
// a paint ("at once") goes into the image and is shown at once, until the next paint of that
// area draws over it.
#include "platform/framework/Component.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/Types.h"
#include "platform/win/WinDef.h"
#include "platform/win/WinWindow.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class TWinControl;
class TForm;

// Modal results (the same numbers as the API's IDOK...IDNO).
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

// Cursors.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = crSizeAll;
// The Qt cursor shape of a cursor; crDefault gives Qt::ArrowCursor.
Qt::CursorShape CursorShapeOf(TCursor cursor);

// ---------------------------------------------------------------- messages

// The framework's own messages.
enum : UINT {
    CM_BASE = 0xB000,
    CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1, CM_GOTFOCUS = CM_BASE + 2, CM_LOSTFOCUS = CM_BASE + 3,
    CM_CANCELMODE = CM_BASE + 4, CM_DIALOGKEY = CM_BASE + 5, CM_DIALOGCHAR = CM_BASE + 6,
    CM_FOCUSCHANGED = CM_BASE + 7, CM_PARENTFONTCHANGED = CM_BASE + 8, CM_PARENTCOLORCHANGED = CM_BASE + 9,
    CM_HITTEST = CM_BASE + 10, CM_VISIBLECHANGED = CM_BASE + 11, CM_ENABLEDCHANGED = CM_BASE + 12,
    CM_COLORCHANGED = CM_BASE + 13, CM_FONTCHANGED = CM_BASE + 14, CM_CURSORCHANGED = CM_BASE + 15,
    CM_CTL3DCHANGED = CM_BASE + 16, CM_PARENTCTL3DCHANGED = CM_BASE + 17,
    CM_TEXTCHANGED = CM_BASE + 18, CM_MOUSEENTER = CM_BASE + 19, CM_MOUSELEAVE = CM_BASE + 20,
    CM_MENUCHANGED = CM_BASE + 21, CM_APPKEYDOWN = CM_BASE + 22, CM_APPSYSCOMMAND = CM_BASE + 23,
    CM_BUTTONPRESSED = CM_BASE + 24, CM_SHOWINGCHANGED = CM_BASE + 25, CM_ENTER = CM_BASE + 26,
    CM_EXIT = CM_BASE + 27, CM_DESIGNHITTEST = CM_BASE + 28, CM_ICONCHANGED = CM_BASE + 29,
    CM_WANTSPECIALKEY = CM_BASE + 30, CM_INVOKEHELP = CM_BASE + 31, CM_WINDOWHOOK = CM_BASE + 32,
    CM_RELEASE = CM_BASE + 33, CM_SHOWHINTCHANGED = CM_BASE + 34, CM_PARENTSHOWHINTCHANGED = CM_BASE + 35,
    CM_SYSCOLORCHANGE = CM_BASE + 36, CM_WININICHANGE = CM_BASE + 37, CM_FONTCHANGE = CM_BASE + 38,
    CM_TIMECHANGE = CM_BASE + 39, CM_TABSTOPCHANGED = CM_BASE + 40, CM_UIACTIVATE = CM_BASE + 41,
    CM_UIDEACTIVATE = CM_BASE + 42, CM_DOCWINDOWACTIVATE = CM_BASE + 43, CM_CONTROLLISTCHANGE = CM_BASE + 44,
    CM_GETDATALINK = CM_BASE + 45, CM_CHILDKEY = CM_BASE + 46, CM_DRAG = CM_BASE + 47, CM_HINTSHOW = CM_BASE + 48,
    CM_DIALOGHANDLE = CM_BASE + 49, CM_ISTOOLCONTROL = CM_BASE + 50, CM_RECREATEWND = CM_BASE + 51,
    CM_INVALIDATE = CM_BASE + 52, CM_SYSFONTCHANGED = CM_BASE + 53, CM_CONTROLCHANGE = CM_BASE + 54,
    CM_CHANGED = CM_BASE + 55, CM_BORDERCHANGED = CM_BASE + 59, CM_BIDIMODECHANGED = CM_BASE + 60,
    CM_PARENTBIDIMODECHANGED = CM_BASE + 61, CM_ACTIONUPDATE = CM_BASE + 63, CM_ACTIONEXECUTE = CM_BASE + 64,
    CM_HINTSHOWPAUSE = CM_BASE + 65, CM_MOUSEWHEEL = CM_BASE + 67, CM_ISSHORTCUT = CM_BASE + 68,
};
// Notifications that a parent reflects back to the child window they are about (WM_COMMAND
// from an edit arrives at the edit as CN_COMMAND).
enum : UINT {
    CN_BASE = 0xBC00,
    CN_CHARTOITEM = CN_BASE + 0x002F, CN_COMMAND = CN_BASE + 0x0111, CN_CTLCOLOREDIT = CN_BASE + 0x0133,
    CN_CTLCOLORLISTBOX = CN_BASE + 0x0134, CN_CTLCOLORSTATIC = CN_BASE + 0x0138, CN_DRAWITEM = CN_BASE + 0x002B,
    CN_HSCROLL = CN_BASE + 0x0114, CN_VSCROLL = CN_BASE + 0x0115, CN_KEYDOWN = CN_BASE + 0x0100,
    CN_KEYUP = CN_BASE + 0x0101, CN_CHAR = CN_BASE + 0x0102, CN_SYSKEYDOWN = CN_BASE + 0x0104,
    CN_SYSCHAR = CN_BASE + 0x0106, CN_MEASUREITEM = CN_BASE + 0x002C, CN_NOTIFY = CN_BASE + 0x004E,
    CN_PARENTNOTIFY = CN_BASE + 0x0210,
};

// One message: its number, parameters and result, with readers for the packed fields.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;

    WORD CharCode() const { return WORD(WParam & 0xFFFF); }   // WM_KEYDOWN, WM_CHAR
    void SetCharCode(WORD code) { WParam = code; }
    LPARAM KeyData() const { return LParam; }
    UINT Keys() const { return UINT(WParam & 0xFFFF); }       // mouse messages: MK_ flags
    int XPos() const { return GET_X_LPARAM(LParam); }         // mouse messages: client position
    int YPos() const { return GET_Y_LPARAM(LParam); }
    int WheelDelta() const { return int(int16_t(HIWORD(WParam))); }
    UINT ScrollCode() const { return UINT(WParam & 0xFFFF); } // WM_HSCROLL, WM_VSCROLL
    int ScrollPos() const { return int(int16_t(HIWORD(WParam))); }
    int Width() const { return int(LOWORD(uintptr_t(LParam))); }  // WM_SIZE
    int Height() const { return int(HIWORD(uintptr_t(LParam))); }
    HDC DC() const { return reinterpret_cast<HDC>(WParam); }  // WM_PAINT, WM_ERASEBKGND
};
using TWMKey = TMessage;
using TWMMouse = TMessage;
using TWMScroll = TMessage;
using TWMSize = TMessage;
using TWMPaint = TMessage;
using TWMNoParams = TMessage;
using TWMGetDlgCode = TMessage;
using TCMMouseWheel = TMessage;
using TWMChar = TMessage;
using TWMKeyDown = TMessage;
using TWMKeyUp = TMessage;
using TWMSetFocus = TMessage;   // WParam: the window that lost the focus
using TWMKillFocus = TMessage;  // WParam: the window that gets the focus (null: none of ours)
using TWMCommand = TMessage;    // WParam: id and notification code (HIWORD), LParam: the control's window
using TWMTimer = TMessage;      // WParam: the timer id
using TWMDestroy = TMessage;
using TCMWantSpecialKey = TMessage;
using TCMDialogKey = TMessage;
using TCMDialogChar = TMessage;
using TCMEnter = TMessage;
using TCMExit = TMessage;
using TCMCancelMode = TMessage; // LParam: the control that takes the focus
using TCMFocusChanged = TMessage; // LParam: the control that got the focus
using TCMHintShow = TMessage;
using TWMCut = TMessage;
using TWMCopy = TMessage;
using TWMPaste = TMessage;
using TWMClear = TMessage;
using TWMLButtonDblClk = TMessage;

// The parameters a windowed control is created with (CreateParams fills them, CreateWnd makes
// the window from them).
struct TWindowClass {
    DWORD style = 0; // CS_ flags
};
struct TCreateParams {
    String Caption;
    DWORD Style = 0;   // WS_ flags and the class's own (ES_, CBS_)
    DWORD ExStyle = 0; // WS_EX_ flags
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    TWindowClass WindowClass;
    String WinClassName;
};

using TWndMethod = std::function<void(TMessage&)>;

// A class's message handlers, as a switch over the message number that falls back to the base
// class:
//   BEGIN_MESSAGE_MAP
//     QUELM_MESSAGE_HANDLER(WM_SIZE, TWMSize, WMSize)
//   END_MESSAGE_MAP(TCustomGrid)
#define BEGIN_MESSAGE_MAP                      \
    void Dispatch(TMessage& Message) override  \
    {                                          \
        switch (Message.Msg) {
#define QUELM_MESSAGE_HANDLER(msg, type, method) \
    case msg:                                  \
        method(static_cast<type&>(Message));   \
        break;
#define END_MESSAGE_MAP(base)                  \
    default:                                   \
        base::Dispatch(Message);               \
        break;                                 \
        }                                      \
    }

// ---------------------------------------------------------------- input types

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;
// The shift state of key data (the modifiers held at the time) and of mouse-message keys.
TShiftState KeyDataToShiftState(LPARAM keyData);
TShiftState KeysToShiftState(UINT keys);

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

enum TControlStyleFlag { csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
                         csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible,
                         csReplicatable, csNoStdEvents, csDisplayDragImage, csReflector, csActionClient,
                         csMenuEvents };
using TControlStyle = TSet<TControlStyleFlag>;

// ---------------------------------------------------------------- controls

enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
class TControl;
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TObject*& DragObject)>;

class TControl : public TComponent, public IMessageTarget, public IWindowStyles {
public:
    // `host` becomes the control's window; the control owns it.
    TControl(TComponent* owner, QWidget* host);
    ~TControl() override;
    String ClassName() const override { return "TControl"; }

    QWidget* Host() const { return host_; }
    // The window carries the control's name as its object name (tests find controls by it).
    void SetName(const String& name) override;
    // Runs call from the event loop once the current event is done, unless the control's window
    // is gone by then; without a window nothing runs.
    void PostCall(std::function<void()> call);

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const;
    virtual TRect ClientRect() const;
    virtual int ClientWidth() const;
    virtual int ClientHeight() const;
    virtual void SetClientWidth(int v);
    virtual void SetClientHeight(int v);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // The control's own flag (a control inside a disabled parent keeps its own Enabled).
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);
    // Whether the window is on screen now (it and all its parents visible).
    bool Showing() const;

    String Caption() const { return caption_; }
    virtual void SetCaption(const String& text);
    virtual String Text() const { return caption_; }
    virtual void SetText(const String& text) { SetCaption(text); }
    String Hint() const { return hint_; }
    void SetHint(const String& hint);
    bool ShowHint = false;

    TColor Color() const { return color_; }
    virtual void SetColor(TColor color);
    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* font) { font_->Assign(font); }
    bool ParentColor = false;
    bool ParentFont = false;
    // Aligned controls fill their parent's client area in the order top, bottom, left, right,
    // client whenever the parent is resized (or Realign is called).
    TAlign Align = alNone;
    TBiDiMode BiDiMode = bdLeftToRight;
    bool UseRightToLeftAlignment() const { return BiDiMode == bdRightToLeft; }
    TControlStyle ControlStyle;

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

    TPoint ClientToScreen(const TPoint& p) const;
    TPoint ScreenToClient(const TPoint& p) const;

    virtual void Invalidate();
    void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    bool MouseCapture() const;
    void SetMouseCapture(bool capture);

    // Message procedure: WindowProc may be replaced; it starts as WndProc.
    TWndMethod WindowProc;
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void WndProc(TMessage& message);
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);
    // IMessageTarget: SendMessage to the control's window (exceptions go to Application).
    LRESULT DeliverMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // IWindowStyles: GetWindowLong/SetWindowLong of GWL_STYLE, GWL_EXSTYLE, GCL_STYLE.
    LONG StyleWord(int index) const override;
    void SetStyleWord(int index, LONG value) override;

    // The framework's drag: BeginDrag starts it at once or once the mouse has moved `threshold`
    // pixels with the left button down; the controls under the mouse get DragOver (OnDragOver
    // decides Accept), the release drops on the last accepting one (DragDrop, OnDragDrop) and
    // ends it (OnEndDrag). Escape or CancelDrag ends it without a drop.
    void BeginDrag(bool immediate, int threshold = -1);
    void EndDrag(bool drop);
    bool Dragging() const;
    static void CancelDrag();
    TDragMode DragMode = dmManual;
    TCursor DragCursor = crDrag;
    virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
    virtual void DragDrop(TObject* source, int x, int y);
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;
    TStartDragEvent OnStartDrag;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Resize();
    virtual void VisibleChanging() {}
    virtual void DoStartDrag(TObject*& dragObject);
    virtual void DoEndDrag(TObject* target, int x, int y);
    // The font changed (CM_FONTCHANGED follows).
    virtual void FontChanged();
    // Draws the control on `dc` (WM_PAINT); TCustomControl and TGraphicControl call Paint.
    virtual void PaintWindow(HDC dc);
    // Lets go of device contexts taken for drawing outside a paint (before each paint).
    virtual void FreeDeviceContexts() {}
    friend class TControlHost;
    friend struct TControlInput;
    friend void ForwardKeysTypedAhead(TWinControl* control, std::function<TForm*()> pendingPopup);
    // Top-level hosts (forms) are shown on Show; child hosts follow their parent.
    void ApplyVisible();
    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    bool exStyleLayeredSet_ = false; // the host was made layered by WS_EX_LAYERED
    DWORD classStyle_ = 0;
    // False once the control is being freed: code that called out to a handler checks it before
    // it touches the control again (a handler may free its own control).
    std::shared_ptr<bool> Life() const { return life_; }

private:
    void MouseMessage(TMessage& m);
    void DefaultControlMessage(TMessage& m);
    bool enabled_ = true;
    std::shared_ptr<bool> life_ = std::make_shared<bool>(true);
    QPointer<QWidget> host_;
    TWinControl* parent_ = nullptr;
    bool visible_ = true;
    bool clickPending_ = false;
    String caption_;
    String hint_;
    TColor color_ = clBtnFace;
    std::unique_ptr<TFont> font_;
    TCursor cursor_ = crDefault;
};

class TWinControl : public TControl {
public:
    TWinControl(TComponent* owner, QWidget* host);
    ~TWinControl() override;
    String ClassName() const override { return "TWinControl"; }

    // The window. Its widget exists from the constructor on; the window is "created"
    // (CreateParams, CreateWnd, WM_CREATE) when first shown, first given input, or on
    // HandleNeeded, parents before children. Messages reach the control either way.
    HWND Handle() const { return Host(); }
    bool HandleAllocated() const { return handleCreated_; }
    void HandleNeeded();
    // Destroys the window (DestroyWnd: WM_DESTROY, WM_NCDESTROY) and creates it again from
    // fresh parameters; the text and the child controls stay.
    void RecreateWnd();
    void DestroyHandle();

    int ControlCount() const { return int(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(size_t(index)); }

    virtual bool CanFocus() const;
    virtual void SetFocus();
    // Whether clicks and Tab give the window the focus (the painted parts of another control,
    // such as a drop-down's button, take none).
    void SetTakesFocus(bool on);
    bool Focused() const;
    // Places the child controls that have an Align.
    void Realign();
    // Where the client area begins inside the window: child controls' positions count from
    // there (a form's menu bar lies above it).
    TPoint ClientOffset() const { return clientOffset_; }
    void SetClientOffset(const TPoint& offset);
    // The 3-D look (a sunken edge) of controls that also have a flat one; a change sends
    // CM_CTL3DCHANGED to the control.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);
    int TabOrder = -1;
    bool TabStop = false;
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    // The framework's key path before the window gets a key (CN_KEYDOWN): CM_CHILDKEY up the
    // parents, CM_WANTSPECIALKEY and WM_GETDLGCODE of this control, then CM_DIALOGKEY to the
    // form. True when one of them used the key (no WM_KEYDOWN and no WM_CHAR follow).
    bool PreviewKey(WORD vk, LPARAM keyData);
    // The same for a character (CN_CHAR: CM_DIALOGCHAR when the control wants no characters).
    bool PreviewChar(WORD ch, LPARAM keyData);

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

protected:
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void DoEnter();
    virtual void DoExit();
    virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
    virtual bool DoMouseWheelDown(TShiftState shift, TPoint mousePos);
    virtual bool DoMouseWheelUp(TShiftState shift, TPoint mousePos);
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    virtual void DestroyWnd();
    void CreateHandle();
private:
    friend class TControl;
    bool handleCreated_ = false;
    bool creatingHandle_ = false;
    void AddControl(TControl* control);
    void RemoveControl(TControl* control);
    std::vector<TControl*> controls_;
    TPoint clientOffset_;
    bool ctl3D_ = true;
};

class TControlHost;

// Whether `vk` (a character or virtual key) is the accelerator of `caption`: the character
// after a single '&' ("&&" shows one '&' and marks nothing), compared without letter case.
bool IsAccel(WORD vk, const String& caption);

// A windowed control that paints itself: Paint draws on Canvas.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    String ClassName() const override { return "TCustomControl"; }
    TCanvas* Canvas() const { return canvas_.get(); }
    bool Painting() const { return painting_; }
    TControlHost* ControlHost() const;

protected:
    TCustomControl(TComponent* owner, TControlHost* host);
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;
    void FreeDeviceContexts() override;

private:
    std::unique_ptr<TCanvas> canvas_;
    bool painting_ = false;
    HDC atOnceDc_ = nullptr;
};

// A control that draws on its parent's window; here it has a light host of its own.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    String ClassName() const override { return "TGraphicControl"; }
    TCanvas* Canvas() const { return canvas_.get(); }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    std::unique_ptr<TCanvas> canvas_;
};
