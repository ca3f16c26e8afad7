#pragma once
// Controls of the framework hosted on Qt widgets. Every control owns one host QWidget for its
// whole life (created by the constructor, deleted with the control). The parent chain of the
// controls is the parent chain of their hosts.
#include "Component.h"
#include "platform/win/WinDef.h"

#include <QPointer>
#include <QWidget>

class TWinControl;

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

class TControl : public TComponent {
public:
    // `host` becomes the control's window; the control owns it.
    TControl(TComponent* owner, QWidget* host);
    ~TControl() override;

    QWidget* Host() const { return host_; }

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
    RECT BoundsRect() const;
    RECT ClientRect() const;
    virtual int ClientWidth() const;
    virtual int ClientHeight() const;
    virtual void SetClientWidth(int v);
    virtual void SetClientHeight(int v);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const;
    virtual void SetEnabled(bool v);

    String Caption() const { return caption_; }
    virtual void SetCaption(const String& text);
    String Text() const { return caption_; }
    void SetText(const String& text) { SetCaption(text); }
    String Hint() const { return hint_; }
    void SetHint(const String& hint);
    bool ShowHint = false;

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;

    void Invalidate();
    void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

protected:
    virtual void Click();
    virtual void VisibleChanging() {}
    // Top-level hosts (forms) are shown on Show; child hosts follow their parent.
    void ApplyVisible();

private:
    QPointer<QWidget> host_;
    TWinControl* parent_ = nullptr;
    bool visible_ = true;
    String caption_;
    String hint_;
    TCursor cursor_ = crDefault;
};

class TWinControl : public TControl {
public:
    TWinControl(TComponent* owner, QWidget* host);
    ~TWinControl() override;

    HWND Handle() const { return Host(); }
    bool HandleAllocated() const { return Host() != nullptr; }

    int ControlCount() const { return int(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(size_t(index)); }

    virtual bool CanFocus() const;
    virtual void SetFocus();
    bool Focused() const;
    int TabOrder = -1;
    bool TabStop = false;

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

private:
    friend class TControl;
    void AddControl(TControl* control);
    void RemoveControl(TControl* control);
    std::vector<TControl*> controls_;
};
