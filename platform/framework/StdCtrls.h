#pragma once
// Standard controls hosted on the matching Qt widgets: TLabel (QLabel), TButton (QPushButton),
// TCheckBox (QCheckBox) and TComboBox (QComboBox), whose events come from the widgets' signals and
// run under Application->Guard.
#include "platform/framework/Controls.h"
#include "platform/rtl/Classes.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QLineEdit;
class QCheckBox;
class QComboBox;

class TLabel : public TControl {
public:
    explicit TLabel(TComponent* owner);
    String ClassName() const override { return "TLabel"; }
    // '&' marks an accelerator and is not shown while ShowAccelChar; "&&" shows one '&'.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool on);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool WordWrap() const;
    void SetWordWrap(bool wrap);
    // True (the initial value): the parent shows through; false fills the label with Color.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    // The text as shown.
    String DisplayText() const;
    QLabel* Widget() const;
    // The control that the caption's accelerator focuses (CM_DIALOGCHAR: the key counts as
    // handled when the control can take the focus); cleared when that control is freed.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* control);
    void Dispatch(TMessage& message) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TLabelHost;
    TWinControl* focusControl_ = nullptr;
    void ApplyText();
    bool showAccelChar_ = true;
    bool transparent_ = true;
    TAlignment alignment_ = taLeftJustify;
};

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);
    String ClassName() const override { return "TButton"; }
    // A click sets the parent form's ModalResult to this (when not mrNone), then OnClick runs.
    TModalResult ModalResult = mrNone;
    bool Default() const { return default_; }
    void SetDefault(bool on); // Enter in the form clicks it
    bool Cancel = false;      // Escape in the form clicks it
    void Click() override;
    // CM_DIALOGKEY: Enter clicks the default button, Escape the cancel button;
    // CM_DIALOGCHAR: the caption's accelerator clicks it.
    void Dispatch(TMessage& message) override;
    QPushButton* Widget() const;

private:
    bool default_ = false;
};

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// The edit: the system's edit window emulated on the framework's own host, so that every
// key, character, clipboard request and mouse action reaches the control as a message first
// (WM_KEYDOWN, WM_CHAR, WM_PASTE...; see TControlInput) and the edit's own handling runs last,
// in DefaultHandler, where the system's window procedure would. A descendant's WndProc,
// Dispatch, KeyDown, KeyPress, OnKeyPress can change or swallow each of them before the text
// changes. The window takes its edit styles from CreateParams at creation (ES_MULTILINE,
// ES_RIGHT, ES_CENTER, ES_PASSWORD, ES_READONLY, ES_UPPERCASE, ES_LOWERCASE, ES_NUMBER,
// ES_AUTOHSCROLL: without it a multi-line edit wraps words, ES_NOHIDESEL) and answers the EM_
// messages. A text change sends EN_CHANGE to the parent (WM_COMMAND), which reflects it as
// CN_COMMAND to the edit: Change, then OnChange.
class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);
    ~TCustomEdit() override;
    String ClassName() const override { return "TCustomEdit"; }

    String Text() const override;
    void SetText(const String& text) override; // WM_SETTEXT, CM_TEXTCHANGED; OnChange fires
    void SetCaption(const String& text) override { SetText(text); }
    int GetTextLen() const;
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length); // 0: no limit
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on);
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char c);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase charCase);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool on);
    bool AutoSelect = true; // entering the (single-line) edit selects all
    bool Modified() const;
    void SetModified(bool on);

    // Selection in characters (UTF-16 units of the text)
    int SelStart() const;
    void SetSelStart(int start);
    int SelLength() const;
    void SetSelLength(int length);
    String SelText() const;
    void SetSelText(const String& text);
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();
    bool CanUndo() const;
    void ClearUndo();
    void Clear();

    // The text as a Unicode window keeps it (every character, none lost to the code page);
    // setting it is WM_SETTEXT of a Unicode window: caret to the start, EN_CHANGE.
    WideString WideText() const;
    void SetWideText(const WideString& text);

    // The formatting rectangle (EM_GETRECT) and the last balloon tip (EM_SHOWBALLOONTIP).
    TRect FormatRect() const;
    struct TBalloon {
        String Title;
        String Text;
        int Icon = 0;
        bool Shown = false;
    };
    const TBalloon& Balloon() const { return balloon_; }
    // The balloon tool tip that shows it (made by the first balloon); null before.
    HWND BalloonWindow() const { return balloonTip_; }

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void CreateWindowHandle(const TCreateParams& params) override;
    // EN_CHANGE arrived: OnChange.
    virtual void Change();
    void Dispatch(TMessage& message) override;
    // The edit window's own handling of every message.
    void DefaultHandler(TMessage& message) override;
    void PaintWindow(HDC dc) override;
    // The wheel scrolls a multi-line edit by lines when OnMouseWheelDown/Up leave it.
    bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
    bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
    // Takes the edit styles of `style` (ES_...) now, as a window created with them would.
    void ApplyStyle(DWORD style);
    bool creating_ = false;

private:
    struct Line {
        int start;
        int length;
    };
    // the edit window's state
    bool Multi() const;
    std::vector<Line> Lines() const;
    int LineOf(int index, const std::vector<Line>& lines) const;
    QString Shown() const; // the text as drawn (password characters)
    int Advance(int lineIndex, int index, const std::vector<Line>& lines) const; // x of index in line
    int LineLeft(int lineIndex, const std::vector<Line>& lines) const;
    int LineHeight() const;
    QRect DefaultFormatRect() const;
    QRect Format() const;
    // A multi-line edit made with WS_VSCROLL / WS_HSCROLL shows that bar at all times, greyed
    // while there is nothing to scroll; the sunken edge then lies around text and bars.
    bool HasBar(int bar) const;
    bool EdgeInClient() const;
    int LastTopLine(int lineCount) const; // the top line that shows the last line at the bottom
    int WidestLine() const;               // pixels; cached for the text and font it was measured on
    void SyncBars();
    void ScrollBarMessage(int bar, TMessage& m);
    void ScrollLines(int delta);
    int CharAt(int x, int y, int* line) const;
    QPoint PosOf(int index) const;
    void ReplaceSelection(const QString& text, bool user, bool canUndo);
    void SetSel(int anchor, int caret);
    void ScrollCaret();
    void MoveCaret(int to, bool extend);
    int WordLeft(int from) const;
    int WordRight(int from) const;
    void Notify(UINT code);
    void KeyDownDefault(TMessage& m);
    void CharDefault(TMessage& m);
    void ShowBalloon(const String& title, const String& text, int icon);
    void HideBalloon();
    QFont EditFont() const;

    QString text_;
    int anchor_ = 0;
    int caret_ = 0;
    DWORD es_ = ES_LEFT | ES_AUTOHSCROLL;
    QChar password_;
    int limit_ = 32767;
    bool modified_ = false;
    bool canUndo_ = false;
    QString undoText_;
    int undoCaret_ = 0;
    QRect formatRect_;
    bool formatRectSet_ = false;
    int leftMargin_ = 1;
    int rightMargin_ = 1;
    int scrollX_ = 0;
    int firstLine_ = 0;
    bool selecting_ = false;
    mutable int widest_ = -1;
    mutable QString widestText_;
    mutable QFont widestFont_;
    TBalloon balloon_;
    HWND balloonTip_ = nullptr; // a child of the host: it goes with the edit
    int balloonShowing_ = 0;    // counts the balloons shown; a timer hides only its own
    std::unique_ptr<TCanvas> canvas_;
    // the framework's properties
    int maxLength_ = 0;
    bool readOnly_ = false;
    char passwordChar_ = 0;
    TAlignment alignment_ = taLeftJustify;
    TEditCharCase charCase_ = ecNormal;
    TBorderStyle borderStyle_ = bsSingle;
    bool hideSelection_ = true;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
    String ClassName() const override { return "TEdit"; }
};

// A multi-line edit. Lines are separated by CR LF in Text; Enter and Tab type a line break and
// a tab when WantReturns and WantTabs (otherwise they go to the form).
class TCustomMemo : public TCustomEdit {
public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;
    String ClassName() const override { return "TCustomMemo"; }
    // The text as lines (a live view: changing it changes the text).
    TStrings* Lines() const { return lines_.get(); }
    bool WantReturns = true;
    bool WantTabs = false;
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle bars);
    // The caret's line and column.
    TPoint CaretPos() const;

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;

private:
    std::unique_ptr<TStrings> lines_;
    bool wordWrap_ = true;
    TScrollStyle scrollBars_ = ssNone;
};

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);
    String ClassName() const override { return "TCheckBox"; }
    bool Checked() const;
    void SetChecked(bool on); // a change fires OnClick, as a click does
    void Click() override { TWinControl::Click(); }
    QCheckBox* Widget() const;

protected:
    // CM_DIALOGCHAR: the caption's accelerator focuses and toggles the box.
    void Dispatch(TMessage& message) override;
};

// csDropDown: an edit with a list; csDropDownList: a choice from the list only.
// csSimple and the owner-drawn styles are shown as csDropDown.
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// The combo box: a QComboBox whose keys, characters and clipboard requests reach the control
// as messages first (as the edits' do; the combo's own handling, in DefaultHandler, then hands
// them to the widget), with the CB_ messages and the notifications CBN_SELCHANGE (a pick by
// the user: Click, then Select: OnSelect, or OnChange without it), CBN_EDITCHANGE (typing:
// OnChange), CBN_DROPDOWN (before the list opens: OnDropDown), CBN_CLOSEUP (OnCloseUp),
// reflected to the combo as CN_COMMAND.
class TCustomComboBox : public TWinControl {
public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;
    String ClassName() const override { return "TCustomComboBox"; }
    // The list lives in the widget: every change of Items shows at once. Adding items leaves
    // ItemIndex as it was (-1 stays -1); clearing them clears the selection and the text.
    TStrings* Items() const { return items_.get(); }
    int ItemIndex() const;
    void SetItemIndex(int index); // -1: none; does not fire OnChange
    // The number of items the open list shows before it scrolls (at least one is shown).
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int count);
    String Text() const override;
    // csDropDown: the edit text; csDropDownList: selects the item of that text (case-blind), or none.
    void SetText(const String& text) override;
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    bool DroppedDown() const;
    void SetDroppedDown(bool on);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length); // 0: no limit
    // The selection of the edit part.
    int SelStart() const;
    void SetSelStart(int start);
    int SelLength() const;
    void SetSelLength(int length);
    String SelText() const;
    void SelectAll();
    // The edit text and the items as a Unicode combo box keeps them.
    WideString WideText() const;
    void SetWideText(const WideString& text);
    WideString WideItem(int index) const;
    void PutWideItem(int index, const WideString& text);
    void InsertWideItem(int index, const WideString& text);
    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    QComboBox* Widget() const;

protected:
    void CreateParams(TCreateParams& params) override;
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

private:
    friend class TComboBoxHost;
    void Notify(UINT code);
    std::unique_ptr<TStrings> items_;
    TComboBoxStyle style_ = csDropDown;
    int dropDownCount_ = 8;
    int maxLength_ = 0;
    int itemHeight_ = 16;
};

class TComboBox : public TCustomComboBox {
public:
    explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
    String ClassName() const override { return "TComboBox"; }
};

// ---------------------------------------------------------------- group box, memo, list box

class QGroupBox;
class QListWidget;

// A framed group with its caption in the frame; children lie in its coordinates.
class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* owner);
    String ClassName() const override { return "TGroupBox"; }
    // The area inside the frame below the caption (aligned children fill it).
    TRect ClientRect() const override;
    QGroupBox* Widget() const;
};

// The framework's memo: the multi-line edit with its properties published.
class TMemo : public TCustomMemo {
public:
    explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
    String ClassName() const override { return "TMemo"; }
};

// A list of lines with one (or, with MultiSelect, several) selected. OnClick fires when the
// user selects an item; OnDblClick on a double click.
class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* owner);
    ~TListBox() override;
    String ClassName() const override { return "TListBox"; }
    TStrings* Items() const { return items_.get(); }
    int ItemIndex() const;
    void SetItemIndex(int index); // -1: none
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool on);
    bool Selected(int index) const;
    void SetSelected(int index, bool on);
    int SelCount() const;
    bool Sorted() const { return sorted_; }
    void SetSorted(bool on);
    int TopIndex() const;
    void Clear();
    void SetColor(TColor color) override;
    QListWidget* Widget() const;
    // Keys the control's handlers left go to the list: the arrows, paging, Home, End and
    // Space move the current item, characters search the items.
    void DefaultHandler(TMessage& message) override;

protected:
    TListBox(TComponent* owner, QListWidget* host);

private:
    std::unique_ptr<TStrings> items_;
    bool multiSelect_ = false;
    bool sorted_ = false;
};

// ---------------------------------------------------------------- scroll bar

class QScrollBar;

enum TScrollBarKind { sbHorizontal, sbVertical };
// The codes of the scroll notifications, in the order of their SB_ numbers (scLineUp = SB_LINEUP
// ... scEndScroll = SB_ENDSCROLL).
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

// The scroll bar control, on a QScrollBar. Like the system's scroll bar window it never moves by
// itself: every action of the user goes to the parent as WM_HSCROLL (sbHorizontal) or WM_VSCROLL
// (sbVertical) with the code in the low word of WParam, the thumb position in the high word for
// SB_THUMBTRACK and SB_THUMBPOSITION, and the bar's window in LParam:
//   a press on an arrow:     SB_LINEUP / SB_LINEDOWN, repeated while held; SB_ENDSCROLL at the release
//   a press beside the thumb: SB_PAGEUP / SB_PAGEDOWN, repeated while held; SB_ENDSCROLL at the release
//   the thumb dragged:       SB_THUMBTRACK per move, SB_THUMBPOSITION at the release, SB_ENDSCROLL
//   keys while focused:      arrows SB_LINEUP / SB_LINEDOWN, Page Up / Page Down SB_PAGEUP /
//                            SB_PAGEDOWN, Home SB_TOP, End SB_BOTTOM; SB_ENDSCROLL at the key's release
// A parent that does not handle the message reflects it back to the bar as CN_HSCROLL /
// CN_VSCROLL: the bar steps by SmallChange (lines) or LargeChange (pages), lets OnScroll change
// the target and moves there (SetPosition, OnChange). A parent that handles the message itself
// decides where the bar stands. Between actions the thumb shows Position; while dragged it
// follows the mouse. The wheel over the bar goes to the parent.
// Position stays within Min .. Max - PageSize + 1 (Max without a page), the places the thumb can
// take; PageSize is the visible part of the range (0: none; the thumb is then of the least size).
class TScrollBar : public TWinControl {
public:
    explicit TScrollBar(TComponent* owner);
    String ClassName() const override { return "TScrollBar"; }

    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind kind); // turning the bar swaps its width and height
    int Min() const { return min_; }
    void SetMin(int value) { SetParams(position_, value, std::max(value, max_)); }
    int Max() const { return max_; }
    void SetMax(int value) { SetParams(position_, std::min(min_, value), value); }
    int PageSize() const { return pageSize_; }
    void SetPageSize(int value); // limited to 0 .. Max - Min + 1
    int Position() const { return position_; }
    void SetPosition(int value) { SetParams(value, min_, max_); }
    // Range and position at once; a maximum below the minimum raises EInvalidOperation
    // "Scrollbar property out of range". A change of Position fires OnChange.
    void SetParams(int position, int min, int max);
    // The steps of a line and a page (at least 1).
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int value) { smallChange_ = std::max(1, value); }
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int value) { largeChange_ = std::max(1, value); }
    // The highest position (Max - PageSize + 1, not below Min).
    int TopPosition() const;
    // Where the thumb stands now: Position, or while it is dragged the place under the mouse (the
    // full value of a thumb message, whose 16 bits may not hold it).
    int TrackPosition() const;
    // Draws the bar as it looks now into a device context at (x, y) (the window need not be shown).
    void PaintTo(HDC dc, int x, int y);
    QScrollBar* Widget() const;

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

protected:
    virtual void Change();
    virtual void Scroll(TScrollCode code, int& position);
    void CreateWnd() override;

private:
    friend class TScrollBarHost;
    // Tells the parent of a user action (or the bar itself when it has no parent).
    void Notify(UINT code, int position);
    void DoScroll(TMessage& message);
    void ShowPosition();
    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0;
    int max_ = 100;
    int pageSize_ = 0;
    int position_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
};

// The form a control lies on (its nearest TForm parent), null when none.
class TForm;
TForm* GetParentForm(TControl* control);
