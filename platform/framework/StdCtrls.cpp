#include "platform/framework/StdCtrls.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinGdi.h"
#include "platform/win/WinToolTip.h"

#include <QKeySequence>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTimer>
#include "platform/win/WinFrameControl.h"
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

class TLabelHost : public QLabel, public TControlHostLink {
public:
    void CaptionChanged() override
    {
        if (auto* label = dynamic_cast<TLabel*>(control_))
            label->ApplyText();
    }
};

namespace {

class TButtonHost : public QPushButton, public TControlHostLink {
public:
    TButtonHost()
    {
        QObject::connect(this, &QPushButton::clicked, [this] {
            if (auto* button = dynamic_cast<TButton*>(control_))
                Application->Guard([button] { button->Click(); }, button);
        });
    }
    // the caption's accelerator works through CM_DIALOGCHAR only, not as a shortcut of Qt's
    void CaptionChanged() override
    {
        setText(ToQString(control_->Caption()));
        setShortcut(QKeySequence());
    }
};

class TCheckBoxHost : public QCheckBox, public TControlHostLink {
public:
    TCheckBoxHost()
    {
        QObject::connect(this, &QCheckBox::toggled, [this] {
            if (auto* box = dynamic_cast<TCheckBox*>(control_))
                Application->Guard([box] { box->Click(); }, box);
        });
    }
    // the caption's accelerator works through CM_DIALOGCHAR only, not as a shortcut of Qt's
    void CaptionChanged() override
    {
        setText(ToQString(control_->Caption()));
        setShortcut(QKeySequence());
    }
};

// The items of a combo box, kept in the widget itself; an item's object rides in its user data.
class TComboBoxStrings : public TStrings {
public:
    explicit TComboBoxStrings(QComboBox* box) : box_(box) {}
    int Count() const override { return box_->count(); }
    String Get(int index) const override { return FromQString(box_->itemText(Checked(index))); }
    void Put(int index, const String& s) override { box_->setItemText(Checked(index), ToQString(s)); }
    TObject* GetObject(int index) const override
    {
        return reinterpret_cast<TObject*>(box_->itemData(Checked(index)).value<quintptr>());
    }
    void PutObject(int index, TObject* object) override
    {
        box_->setItemData(Checked(index), QVariant::fromValue(reinterpret_cast<quintptr>(object)));
    }
    void Insert(int index, const String& s) override
    {
        if (index < 0 || index > Count())
            throw EStringListError(Format("List index out of bounds (%d)", {index}));
        // Qt selects the first item put into an empty box; the framework does not.
        const int selected = box_->currentIndex();
        const QString text = box_->currentText();
        box_->insertItem(index, ToQString(s));
        if (selected < 0) {
            box_->setCurrentIndex(-1);
            if (box_->isEditable())
                box_->setEditText(text);
        }
    }
    void Delete(int index) override { box_->removeItem(Checked(index)); }
    void Clear() override
    {
        box_->clear();
        if (box_->isEditable())
            box_->clearEditText();
    }

private:
    int Checked(int index) const
    {
        if (index < 0 || index >= Count())
            throw EStringListError(Format("List index out of bounds (%d)", {index}));
        return index;
    }
    QComboBox* box_;
};

} // namespace

class TComboBoxHost : public QComboBox, public TControlHostLink {
public:
    TComboBoxHost()
    {
        setAttribute(Qt::WA_InputMethodEnabled);
        QObject::connect(this, &QComboBox::activated, this, [this] { Notify(CBN_SELCHANGE); });
    }
    void ConnectEditor()
    {
        if (!lineEdit())
            return;
        lineEdit()->installEventFilter(this);
        // edits the control's own handling did not make (a context menu) are changes too
        QObject::connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
            if (!applying)
                Notify(CBN_EDITCHANGE);
        });
    }
    // Hands a key to the widget itself (the combo's own handling).
    void ApplyKey(QKeyEvent* e)
    {
        applying = true;
        QComboBox::keyPressEvent(e);
        applying = false;
    }
    void Notify(UINT code)
    {
        if (auto* box = dynamic_cast<TCustomComboBox*>(control_))
            box->Notify(code);
    }
    bool applying = false;

    void showPopup() override
    {
        Notify(CBN_DROPDOWN);
        if (control_)
            QComboBox::showPopup();
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        Notify(CBN_CLOSEUP);
    }

protected:
    bool event(QEvent* e) override
    {
        try {
            return QComboBox::event(e);
        } catch (...) {
            Application->HandleException(control_);
            return true;
        }
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (applying || !TControlInput::KeyPress(this, e))
            QComboBox::keyPressEvent(e);
    }
    void keyReleaseEvent(QKeyEvent* e) override
    {
        if (applying)
            QComboBox::keyReleaseEvent(e);
        else
            TControlInput::KeyRelease(this, e);
    }
    void inputMethodEvent(QInputMethodEvent* e) override { TControlInput::InputMethod(this, e); }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched != lineEdit() || applying || !control_)
            return false;
        switch (e->type()) {
        case QEvent::KeyPress: {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab)
                return false;
            return TControlInput::KeyPress(this, k);
        }
        case QEvent::KeyRelease: TControlInput::KeyRelease(this, static_cast<QKeyEvent*>(e)); return true;
        case QEvent::InputMethod: TControlInput::InputMethod(this, static_cast<QInputMethodEvent*>(e)); return true;
        default: return false;
        }
    }
};

TForm* GetParentForm(TControl* control)
{
    for (TControl* c = control; c; c = c->Parent())
        if (auto* form = dynamic_cast<TForm*>(c))
            return form;
    return nullptr;
}

// ---------------------------------------------------------------- TLabel

TLabel::TLabel(TComponent* owner) : TControl(owner, new TLabelHost) {}

QLabel* TLabel::Widget() const { return static_cast<QLabel*>(Host()); }

String TLabel::DisplayText() const
{
    const String& c = Caption();
    if (!showAccelChar_)
        return c;
    String shown;
    for (size_t i = 0; i < c.size(); ++i) {
        if (c[i] == '&' && i + 1 < c.size())
            ++i;
        else if (c[i] == '&')
            continue;
        shown.push_back(c[i]);
    }
    return shown;
}

void TLabel::ApplyText()
{
    Widget()->setText(ToQString(DisplayText()));
}

void TLabel::SetShowAccelChar(bool on)
{
    showAccelChar_ = on;
    ApplyText();
}

void TLabel::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    const Qt::Alignment h = alignment == taCenter ? Qt::AlignHCenter
                          : alignment == taRightJustify ? Qt::AlignRight
                                                        : Qt::AlignLeft;
    Widget()->setAlignment(h | Qt::AlignTop);
}

void TLabel::SetFocusControl(TWinControl* control)
{
    if (control == focusControl_)
        return;
    if (focusControl_)
        focusControl_->RemoveFreeNotification(this);
    focusControl_ = control;
    if (control)
        control->FreeNotification(this);
}

void TLabel::Notification(TComponent* component, TOperation operation)
{
    TControl::Notification(component, operation);
    if (operation == opRemove && component == focusControl_)
        focusControl_ = nullptr;
}

void TLabel::Dispatch(TMessage& message)
{
    if (message.Msg == CM_DIALOGCHAR && focusControl_ && showAccelChar_ && Enabled() &&
        IsAccel(message.CharCode(), Caption()) && focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        message.Result = 1;
        return;
    }
    TControl::Dispatch(message);
}

void TLabel::SetTransparent(bool on)
{
    transparent_ = on;
    QPalette palette = Widget()->palette();
    // a label in its parent's colour shows the parent's background as the parent shows it
    const bool likeParent = Parent() && Parent()->Host() && (ParentColor || Color() == Parent()->Color());
    const QColor fill = likeParent
                            ? Parent()->Host()->palette().color(Parent()->Host()->backgroundRole())
                            : ColorRefToQColor(ColorToColorRef(Color()));
    palette.setColor(QPalette::Window, fill);
    Widget()->setPalette(palette);
    Widget()->setAutoFillBackground(!on);
}

bool TLabel::WordWrap() const { return Widget()->wordWrap(); }
void TLabel::SetWordWrap(bool wrap) { Widget()->setWordWrap(wrap); }

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* owner) : TWinControl(owner, new TButtonHost)
{
    TabStop = true;
    Widget()->setAutoDefault(false);
}

QPushButton* TButton::Widget() const { return static_cast<QPushButton*>(Host()); }

void TButton::SetDefault(bool on)
{
    default_ = on;
    Widget()->setDefault(on);
}

void TButton::Dispatch(TMessage& m)
{
    if (m.Msg == CM_DIALOGCHAR && IsAccel(m.CharCode(), Caption()) && CanFocus()) {
        Click();
        m.Result = 1;
        return;
    }
    if (m.Msg == CM_DIALOGKEY && KeyDataToShiftState(m.LParam).Empty() &&
        ((m.CharCode() == VK_RETURN && default_) || (m.CharCode() == VK_ESCAPE && Cancel)) && CanFocus()) {
        Click();
        m.Result = 1;
        return;
    }
    TWinControl::Dispatch(m);
}

void TButton::Click()
{
    if (ModalResult != mrNone)
        if (TForm* form = GetParentForm(this))
            form->SetModalResult(ModalResult);
    TWinControl::Click();
}

// ---------------------------------------------------------------- TCustomEdit

namespace {
class TEditHost : public TControlHost {
public:
    TEditHost()
    {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_InputMethodEnabled);
        setCursor(Qt::IBeamCursor);
    }
};

QString QOf(const String& s) { return ToQString(s); }
String SOf(const QString& s) { return FromQString(s); }

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }
} // namespace

TCustomEdit::TCustomEdit(TComponent* owner)
    : TWinControl(owner, new TEditHost), canvas_(std::make_unique<TCanvas>())
{
    TabStop = true;
    TControl::SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
    ControlStyle << csOpaque;
    ControlStyle >> csSetCaption;
    Host()->setFont(EditFont());
}

TCustomEdit::~TCustomEdit() = default;

QFont TCustomEdit::EditFont() const
{
    HFONT h = Font()->Handle();
    return h ? h->QtFont() : QFont();
}

bool TCustomEdit::Multi() const { return (es_ & ES_MULTILINE) != 0; }

void TCustomEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = "EDIT";
    params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    params.Style |= alignment_ == taRightJustify ? ES_RIGHT : alignment_ == taCenter ? ES_CENTER : ES_LEFT;
    if (borderStyle_ == bsSingle)
        params.ExStyle |= WS_EX_CLIENTEDGE;
    if (passwordChar_)
        params.Style |= ES_PASSWORD;
    if (readOnly_)
        params.Style |= ES_READONLY;
    if (charCase_ == ecUpperCase)
        params.Style |= ES_UPPERCASE;
    if (charCase_ == ecLowerCase)
        params.Style |= ES_LOWERCASE;
    if (!hideSelection_)
        params.Style |= ES_NOHIDESEL;
}

void TCustomEdit::CreateWindowHandle(const TCreateParams& params)
{
    // the window starts from its creation parameters: styles, a fresh formatting rectangle,
    // the caret at the start
    ApplyStyle(params.Style);
    formatRectSet_ = false;
    scrollX_ = 0;
    firstLine_ = 0;
    anchor_ = caret_ = 0;
    TWinControl::CreateWindowHandle(params);
}

void TCustomEdit::CreateWnd()
{
    creating_ = true;
    try {
        TWinControl::CreateWnd();
    } catch (...) {
        creating_ = false;
        throw;
    }
    creating_ = false;
    ShowScrollBar(Handle(), SB_VERT, HasBar(SB_VERT));
    ShowScrollBar(Handle(), SB_HORZ, HasBar(SB_HORZ));
    SyncBars();
    Perform(EM_LIMITTEXT, WPARAM(maxLength_), 0);
    Perform(EM_SETMODIFY, modified_ ? 1 : 0, 0);
    if (passwordChar_)
        Perform(EM_SETPASSWORDCHAR, static_cast<unsigned char>(passwordChar_), 0);
    Invalidate();
}

void TCustomEdit::ApplyStyle(DWORD style)
{
    es_ = style & 0xFFFF;
    if ((es_ & ES_PASSWORD) && !Multi()) {
        if (password_.isNull())
            password_ = QChar(u'*');
    } else if (!(es_ & ES_PASSWORD)) {
        password_ = QChar();
    }
    if (Multi())
        password_ = QChar();
    Invalidate();
}

String TCustomEdit::Text() const { return SOf(text_); }

WideString TCustomEdit::WideText() const { return QStringToWide(text_); }

void TCustomEdit::SetWideText(const WideString& text)
{
    const QString q = WideToQString(text);
    if (q == text_)
        return;
    text_ = q;
    anchor_ = caret_ = 0;
    scrollX_ = 0;
    firstLine_ = 0;
    modified_ = false;
    canUndo_ = false;
    Invalidate();
    SyncBars();
    Notify(EN_UPDATE);
    Notify(EN_CHANGE);
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TCustomEdit::SetText(const String& text)
{
    if (QOf(text) == text_)
        return;
    Perform(WM_SETTEXT, 0, LPARAM(text.c_str()));
    Perform(CM_TEXTCHANGED, 0, 0);
}

int TCustomEdit::GetTextLen() const { return int(text_.size()); }

void TCustomEdit::SetMaxLength(int length)
{
    maxLength_ = std::max(0, length);
    Perform(EM_LIMITTEXT, WPARAM(maxLength_), 0);
}

void TCustomEdit::SetReadOnly(bool on)
{
    readOnly_ = on;
    Perform(EM_SETREADONLY, on ? 1 : 0, 0);
}

void TCustomEdit::SetPasswordChar(char c)
{
    if (c == passwordChar_)
        return;
    passwordChar_ = c;
    Perform(EM_SETPASSWORDCHAR, static_cast<unsigned char>(c), 0);
}

void TCustomEdit::SetAlignment(TAlignment alignment)
{
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    es_ = (es_ & ~DWORD(ES_RIGHT | ES_CENTER)) |
          (alignment == taRightJustify ? ES_RIGHT : alignment == taCenter ? ES_CENTER : ES_LEFT);
    RecreateWnd();
    Invalidate();
}

void TCustomEdit::SetCharCase(TEditCharCase charCase)
{
    if (charCase == charCase_)
        return;
    charCase_ = charCase;
    es_ = (es_ & ~DWORD(ES_UPPERCASE | ES_LOWERCASE)) |
          (charCase == ecUpperCase ? ES_UPPERCASE : charCase == ecLowerCase ? ES_LOWERCASE : 0);
    RecreateWnd();
    if (charCase != ecNormal)
        SetText(SOf(charCase == ecUpperCase ? text_.toUpper() : text_.toLower()));
}

void TCustomEdit::SetBorderStyle(TBorderStyle style)
{
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    RecreateWnd();
    Invalidate();
}

void TCustomEdit::SetHideSelection(bool on)
{
    hideSelection_ = on;
    es_ = on ? (es_ & ~DWORD(ES_NOHIDESEL)) : (es_ | ES_NOHIDESEL);
    RecreateWnd();
    Invalidate();
}

bool TCustomEdit::Modified() const { return const_cast<TCustomEdit*>(this)->Perform(EM_GETMODIFY, 0, 0) != 0; }
void TCustomEdit::SetModified(bool on) { Perform(EM_SETMODIFY, on ? 1 : 0, 0); }

int TCustomEdit::SelStart() const
{
    DWORD start = 0;
    const_cast<TCustomEdit*>(this)->Perform(EM_GETSEL, WPARAM(&start), 0);
    return int(start);
}

void TCustomEdit::SetSelStart(int start) { Perform(EM_SETSEL, WPARAM(start), LPARAM(start)); }

int TCustomEdit::SelLength() const
{
    DWORD start = 0, end = 0;
    const_cast<TCustomEdit*>(this)->Perform(EM_GETSEL, WPARAM(&start), LPARAM(&end));
    return int(end - start);
}

void TCustomEdit::SetSelLength(int length)
{
    const int start = SelStart();
    Perform(EM_SETSEL, WPARAM(start), LPARAM(start + length));
}

String TCustomEdit::SelText() const
{
    const int a = std::min(anchor_, caret_), b = std::max(anchor_, caret_);
    return SOf(text_.mid(a, b - a));
}

void TCustomEdit::SetSelText(const String& text) { Perform(EM_REPLACESEL, 0, LPARAM(text.c_str())); }
void TCustomEdit::SelectAll() { Perform(EM_SETSEL, 0, LPARAM(-1)); }
void TCustomEdit::ClearSelection() { Perform(WM_CLEAR, 0, 0); }
void TCustomEdit::CopyToClipboard() { Perform(WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }
void TCustomEdit::Undo() { Perform(WM_UNDO, 0, 0); }
bool TCustomEdit::CanUndo() const { return canUndo_; }
void TCustomEdit::ClearUndo() { Perform(EM_EMPTYUNDOBUFFER, 0, 0); }
void TCustomEdit::Clear() { SetText(String()); }

TRect TCustomEdit::FormatRect() const
{
    const QRect r = Format();
    return TRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

// ---- layout

int TCustomEdit::LineHeight() const
{
    return std::max(1, QFontMetrics(EditFont()).height());
}

QRect TCustomEdit::DefaultFormatRect() const
{
    const int border = EdgeInClient() ? 2 : 0;
    QRect r(border + leftMargin_, border + (Multi() ? 0 : 1), ClientWidth() - 2 * border - leftMargin_ - rightMargin_,
            ClientHeight() - 2 * border - (Multi() ? 0 : 1));
    if (!Multi()) {
        // a single line stands at the top of the window (centred when the window is lower than a line)
        const int h = LineHeight();
        if (r.height() < h)
            r.setTop(std::max(0, (ClientHeight() - h) / 2));
    }
    return r.normalized();
}

QRect TCustomEdit::Format() const
{
    return formatRectSet_ ? formatRect_ : DefaultFormatRect();
}

QString TCustomEdit::Shown() const
{
    if (password_.isNull())
        return text_;
    return QString(text_.size(), password_);
}

std::vector<TCustomEdit::Line> TCustomEdit::Lines() const
{
    std::vector<Line> lines;
    if (!Multi()) {
        lines.push_back(Line{0, int(text_.size())});
        return lines;
    }
    const bool wrap = !(es_ & ES_AUTOHSCROLL);
    const QFontMetrics fm(EditFont());
    const int width = std::max(1, Format().width());
    int start = 0;
    const int n = int(text_.size());
    while (true) {
        int end = start;
        while (end < n && text_[end] != u'\r' && text_[end] != u'\n')
            ++end;
        // one paragraph [start, end): wrapped at spaces when the edit wraps
        int from = start;
        while (wrap && from < end && fm.horizontalAdvance(text_.mid(from, end - from)) > width) {
            int fit = from + 1;
            while (fit < end && fm.horizontalAdvance(text_.mid(from, fit + 1 - from)) <= width)
                ++fit;
            int brk = fit;
            for (int i = fit; i > from; --i)
                if (text_[i - 1] == u' ') {
                    brk = i;
                    break;
                }
            lines.push_back(Line{from, brk - from});
            from = brk;
        }
        lines.push_back(Line{from, end - from});
        if (end >= n)
            break;
        start = end + ((text_[end] == u'\r' && end + 1 < n && text_[end + 1] == u'\n') ? 2 : 1);
        if (start > n)
            break;
    }
    return lines;
}

int TCustomEdit::LineOf(int index, const std::vector<Line>& lines) const
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        const bool last = i + 1 == lines.size();
        if (index < l.start + l.length || (index == l.start + l.length && (last || lines[i + 1].start > index)))
            return int(i);
        if (!last && index < lines[i + 1].start)
            return int(i);
    }
    return std::max(0, int(lines.size()) - 1);
}

int TCustomEdit::LineLeft(int lineIndex, const std::vector<Line>& lines) const
{
    const QRect f = Format();
    const Line& l = lines[size_t(lineIndex)];
    const int w = QFontMetrics(EditFont()).horizontalAdvance(Shown().mid(l.start, l.length));
    int x = f.left();
    if (es_ & ES_RIGHT)
        x += std::max(0, f.width() - w);
    else if (es_ & ES_CENTER)
        x += std::max(0, (f.width() - w) / 2);
    return x - scrollX_;
}

int TCustomEdit::Advance(int lineIndex, int index, const std::vector<Line>& lines) const
{
    const Line& l = lines[size_t(lineIndex)];
    const int n = std::clamp(index - l.start, 0, l.length);
    return LineLeft(lineIndex, lines) + QFontMetrics(EditFont()).horizontalAdvance(Shown().mid(l.start, n));
}

QPoint TCustomEdit::PosOf(int index) const
{
    const auto lines = Lines();
    const int li = LineOf(index, lines);
    return QPoint(Advance(li, index, lines), Format().top() + (li - firstLine_) * LineHeight());
}

int TCustomEdit::CharAt(int x, int y, int* lineOut) const
{
    const auto lines = Lines();
    const QRect f = Format();
    int li = firstLine_ + (y < f.top() ? -1 : (y - f.top()) / LineHeight());
    if (!Multi())
        li = 0;
    li = std::clamp(li, 0, int(lines.size()) - 1);
    if (lineOut)
        *lineOut = li;
    const Line& l = lines[size_t(li)];
    const QFontMetrics fm(EditFont());
    const QString shown = Shown();
    const int left = LineLeft(li, lines);
    int best = l.start;
    for (int i = 0; i <= l.length; ++i) {
        const int xi = left + fm.horizontalAdvance(shown.mid(l.start, i));
        const int xn = i < l.length ? left + fm.horizontalAdvance(shown.mid(l.start, i + 1)) : xi;
        best = l.start + i;
        if (x < (xi + xn) / 2 || i == l.length)
            break;
    }
    return best;
}

void TCustomEdit::ScrollCaret()
{
    const QRect f = Format();
    const auto lines = Lines();
    const int li = LineOf(caret_, lines);
    if (Multi()) {
        const int visible = std::max(1, f.height() / LineHeight());
        if (li < firstLine_)
            firstLine_ = li;
        else if (li >= firstLine_ + visible)
            firstLine_ = li - visible + 1;
        firstLine_ = std::clamp(firstLine_, 0, std::max(0, int(lines.size()) - 1));
    }
    if (Multi() && !(es_ & ES_AUTOHSCROLL)) {
        scrollX_ = 0;
        SyncBars();
        return;
    }
    // horizontally by a quarter of the width at a time
    const int x = Advance(li, caret_, lines) + scrollX_ - f.left();
    const int w = std::max(1, f.width());
    if (x - scrollX_ > w)
        scrollX_ = x - w + std::max(1, w / 4);
    else if (x < scrollX_)
        scrollX_ = std::max(0, x - w / 4);
    if (text_.isEmpty())
        scrollX_ = 0;
    SyncBars();
}

// ---- scroll bars

bool TCustomEdit::HasBar(int bar) const
{
    return Multi() && HandleAllocated() && (style_ & (bar == SB_VERT ? DWORD(WS_VSCROLL) : DWORD(WS_HSCROLL)));
}

bool TCustomEdit::EdgeInClient() const
{
    return borderStyle_ == bsSingle && !HasBar(SB_VERT) && !HasBar(SB_HORZ);
}

int TCustomEdit::LastTopLine(int lineCount) const
{
    const int visible = std::max(1, Format().height() / LineHeight());
    return std::max(0, lineCount - visible);
}

int TCustomEdit::WidestLine() const
{
    const QFont font = EditFont();
    if (widest_ >= 0 && widestFont_ == font && widestText_ == text_)
        return widest_;
    const QFontMetrics fm(font);
    int widest = 0;
    const int n = int(text_.size());
    for (int start = 0; start <= n;) {
        int end = start;
        while (end < n && text_[end] != u'\r' && text_[end] != u'\n')
            ++end;
        widest = std::max(widest, fm.horizontalAdvance(text_.mid(start, end - start)));
        if (end >= n)
            break;
        start = end + ((text_[end] == u'\r' && end + 1 < n && text_[end + 1] == u'\n') ? 2 : 1);
    }
    widest_ = widest;
    widestText_ = text_;
    widestFont_ = font;
    return widest_;
}

void TCustomEdit::SyncBars()
{
    if (!HasBar(SB_VERT) && !HasBar(SB_HORZ))
        return;
    const QRect f = Format();
    if (HasBar(SB_VERT)) {
        const int count = int(Lines().size());
        const int visible = std::max(1, f.height() / LineHeight());
        SCROLLINFO v;
        v.fMask = SIF_ALL;
        v.nMin = 0;
        v.nMax = std::max(0, count - 1);
        v.nPage = UINT(visible);
        v.nPos = firstLine_;
        SetScrollInfo(Handle(), SB_VERT, &v, TRUE);
        EnableScrollBar(Handle(), SB_VERT, count > visible ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
    }
    if (HasBar(SB_HORZ)) {
        // a wrapping edit never scrolls sideways; one line wider than the window does, with room
        // for the caret after its last character
        const int width = std::max(1, f.width());
        const int widest = (es_ & ES_AUTOHSCROLL) ? WidestLine() + 2 : 0;
        SCROLLINFO h;
        h.fMask = SIF_ALL;
        h.nMin = 0;
        h.nMax = std::max(width, widest) - 1;
        h.nPage = UINT(width);
        h.nPos = scrollX_;
        SetScrollInfo(Handle(), SB_HORZ, &h, TRUE);
        EnableScrollBar(Handle(), SB_HORZ, widest > width ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
    }
}

void TCustomEdit::ScrollBarMessage(int bar, TMessage& m)
{
    if (!HasBar(bar))
        return;
    const QRect f = Format();
    const bool vertical = bar == SB_VERT;
    const int line = vertical ? 1 : std::max(1, QFontMetrics(EditFont()).averageCharWidth());
    const int page = vertical ? std::max(1, f.height() / LineHeight()) : std::max(1, f.width());
    const int last = vertical ? LastTopLine(int(Lines().size()))
                              : ((es_ & ES_AUTOHSCROLL) ? std::max(0, WidestLine() + 2 - page) : 0);
    int pos = vertical ? firstLine_ : scrollX_;
    switch (m.ScrollCode()) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = last; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // the bar's own position: the message's 16 bits would cut a wide text short
        SCROLLINFO track;
        track.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), bar, &track);
        pos = track.nTrackPos;
        break;
    }
    default: return;
    }
    pos = std::clamp(pos, 0, last);
    if (vertical)
        firstLine_ = pos;
    else
        scrollX_ = pos;
    Invalidate();
    SyncBars();
}

void TCustomEdit::ScrollLines(int delta)
{
    firstLine_ = std::clamp(firstLine_ + delta, 0, LastTopLine(int(Lines().size())));
    Invalidate();
    SyncBars();
}

bool TCustomEdit::DoMouseWheelDown(TShiftState shift, TPoint mousePos)
{
    if (TWinControl::DoMouseWheelDown(shift, mousePos))
        return true;
    if (!Multi() || firstLine_ >= LastTopLine(int(Lines().size())))
        return false; // nothing more to show: the parent may scroll
    UINT lines = 3;
    SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    ScrollLines(int(lines));
    return true;
}

bool TCustomEdit::DoMouseWheelUp(TShiftState shift, TPoint mousePos)
{
    if (TWinControl::DoMouseWheelUp(shift, mousePos))
        return true;
    if (!Multi() || firstLine_ <= 0)
        return false;
    UINT lines = 3;
    SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    ScrollLines(-int(lines));
    return true;
}

// ---- changes

void TCustomEdit::Notify(UINT code)
{
    if (TWinControl* p = Parent())
        p->Perform(WM_COMMAND, MAKEWPARAM(0, int(code)), LPARAM(Host()));
    else
        Perform(CN_COMMAND, MAKEWPARAM(0, int(code)), LPARAM(Host()));
}

void TCustomEdit::SetSel(int anchor, int caret)
{
    const int n = int(text_.size());
    anchor_ = std::clamp(anchor, 0, n);
    caret_ = std::clamp(caret, 0, n);
    ScrollCaret();
    Invalidate();
}

void TCustomEdit::MoveCaret(int to, bool extend)
{
    SetSel(extend ? anchor_ : to, to);
}

void TCustomEdit::ReplaceSelection(const QString& inserted, bool user, bool canUndo)
{
    QString add = inserted;
    if (!Multi()) {
        // a single line takes the text up to its first line break
        const qsizetype brk = add.indexOf(QRegularExpression("[\r\n]"));
        if (brk >= 0)
            add.truncate(brk);
    }
    if (es_ & ES_UPPERCASE)
        add = add.toUpper();
    else if (es_ & ES_LOWERCASE)
        add = add.toLower();
    const int a = std::min(anchor_, caret_), b = std::max(anchor_, caret_);
    const int room = limit_ - (int(text_.size()) - (b - a));
    if (int(add.size()) > room) {
        add.truncate(std::max(0, room));
        Notify(EN_MAXTEXT);
        if (add.isEmpty() && user) {
            MessageBeep(0);
            return;
        }
    }
    if (add.isEmpty() && a == b)
        return;
    if (canUndo) {
        undoText_ = text_;
        undoCaret_ = caret_;
        canUndo_ = true;
    }
    text_.replace(a, b - a, add);
    anchor_ = caret_ = a + int(add.size());
    modified_ = true;
    ScrollCaret();
    Invalidate();
    const auto alive = Life();
    Notify(EN_UPDATE);
    if (*alive)
        Notify(EN_CHANGE);
}

int TCustomEdit::WordLeft(int from) const
{
    int i = from;
    while (i > 0 && !IsWordChar(text_[i - 1]))
        --i;
    while (i > 0 && IsWordChar(text_[i - 1]))
        --i;
    return i;
}

int TCustomEdit::WordRight(int from) const
{
    const int n = int(text_.size());
    int i = from;
    while (i < n && IsWordChar(text_[i]))
        ++i;
    while (i < n && !IsWordChar(text_[i]))
        ++i;
    return i;
}

// The edit's balloon is a tracking balloon tool tip whose stem points at the caret's foot; it
// goes with the next key, a click, the loss of the focus, EM_HIDEBALLOONTIP, or after the tool
// tip's automatic auto-pop time.
void TCustomEdit::ShowBalloon(const String& title, const String& text, int icon)
{
    balloon_ = TBalloon{title, text, icon, true};
    if (!Host() || !Host()->isVisible())
        return;
    TOOLINFO ti;
    ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    ti.hwnd = Host();
    ti.uId = 1;
    if (!balloonTip_) {
        balloonTip_ = CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Host(), nullptr,
                                     nullptr, nullptr);
        ti.lpszText = const_cast<char*>("");
        SendMessage(balloonTip_, TTM_ADDTOOL, 0, LPARAM(&ti));
        SendMessage(balloonTip_, TTM_SETMAXTIPWIDTH, 0, 300);
    }
    SendMessage(balloonTip_, TTM_TRACKACTIVATE, FALSE, LPARAM(&ti));
    ti.lpszText = const_cast<char*>(text.c_str());
    SendMessage(balloonTip_, TTM_UPDATETIPTEXT, 0, LPARAM(&ti));
    SendMessage(balloonTip_, TTM_SETTITLE, WPARAM(icon), LPARAM(title.c_str()));
    const QPoint at = Host()->mapToGlobal(PosOf(caret_) + QPoint(0, LineHeight()));
    SendMessage(balloonTip_, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x(), at.y()));
    SendMessage(balloonTip_, TTM_TRACKACTIVATE, TRUE, LPARAM(&ti));
    const int showing = ++balloonShowing_;
    const std::shared_ptr<bool> life = Life();
    QTimer::singleShot(int(10 * GetDoubleClickTime()), balloonTip_, [this, life, showing] {
        if (*life && showing == balloonShowing_)
            HideBalloon();
    });
}

void TCustomEdit::HideBalloon()
{
    balloon_.Shown = false;
    if (!balloonTip_)
        return;
    TOOLINFO ti;
    ti.hwnd = Host();
    ti.uId = 1;
    SendMessage(balloonTip_, TTM_TRACKACTIVATE, FALSE, LPARAM(&ti));
}

// ---- messages

void TCustomEdit::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_COMMAND:
        if (HIWORD(m.WParam) == EN_CHANGE && !creating_)
            Change();
        break;
    case CM_ENTER:
        if (AutoSelect && !Multi() && !(GetKeyState(VK_LBUTTON) & 0x8000))
            SelectAll();
        TWinControl::Dispatch(m);
        break;
    case CM_FONTCHANGED:
        TWinControl::Dispatch(m);
        ScrollCaret();
        break;
    default: TWinControl::Dispatch(m); break;
    }
}

void TCustomEdit::KeyDownDefault(TMessage& m)
{
    const TShiftState shift = KeyDataToShiftState(m.LParam);
    const bool ext = shift.Contains(ssShift), ctrl = shift.Contains(ssCtrl);
    const auto lines = Lines();
    const int li = LineOf(caret_, lines);
    const int n = int(text_.size());
    const bool hasSel = anchor_ != caret_;
    switch (m.CharCode()) {
    case VK_LEFT:
    case VK_UP:
        if (m.CharCode() == VK_UP && Multi()) {
            if (li > 0)
                MoveCaret(CharAt(Advance(li, caret_, lines), Format().top() + (li - 1 - firstLine_) * LineHeight(),
                                 nullptr),
                          ext);
            else if (!ext)
                MoveCaret(caret_, false);
        } else if (ctrl) {
            MoveCaret(WordLeft(caret_), ext);
        } else if (hasSel && !ext) {
            MoveCaret(std::min(anchor_, caret_), false);
        } else {
            int to = caret_ - 1;
            if (to > 0 && text_[to] == u'\n' && text_[to - 1] == u'\r')
                --to;
            MoveCaret(std::max(0, to), ext);
        }
        break;
    case VK_RIGHT:
    case VK_DOWN:
        if (m.CharCode() == VK_DOWN && Multi()) {
            if (li + 1 < int(lines.size()))
                MoveCaret(CharAt(Advance(li, caret_, lines), Format().top() + (li + 1 - firstLine_) * LineHeight(),
                                 nullptr),
                          ext);
            else if (!ext)
                MoveCaret(caret_, false);
        } else if (ctrl) {
            MoveCaret(WordRight(caret_), ext);
        } else if (hasSel && !ext) {
            MoveCaret(std::max(anchor_, caret_), false);
        } else {
            int to = caret_ + 1;
            if (to < n && text_[to - 1] == u'\r' && text_[to] == u'\n')
                ++to;
            MoveCaret(std::min(n, to), ext);
        }
        break;
    case VK_HOME:
        MoveCaret(ctrl || !Multi() ? 0 : lines[size_t(li)].start, ext);
        break;
    case VK_END:
        MoveCaret(ctrl || !Multi() ? n : lines[size_t(li)].start + lines[size_t(li)].length, ext);
        break;
    case VK_PRIOR:
    case VK_NEXT:
        if (Multi()) {
            const int page = std::max(1, Format().height() / LineHeight());
            const int target = std::clamp(li + (m.CharCode() == VK_NEXT ? page : -page), 0, int(lines.size()) - 1);
            firstLine_ = std::clamp(firstLine_ + (m.CharCode() == VK_NEXT ? page : -page), 0,
                                    std::max(0, int(lines.size()) - 1));
            MoveCaret(CharAt(Advance(li, caret_, lines), Format().top() + (target - firstLine_) * LineHeight(), nullptr),
                      ext);
        }
        break;
    case VK_DELETE:
        if (ext && !ctrl) {
            Perform(WM_CUT, 0, 0);
        } else if (!(es_ & ES_READONLY)) {
            if (!hasSel) {
                int to = ctrl ? WordRight(caret_) : caret_ + 1;
                if (!ctrl && to < n && text_[to - 1] == u'\r' && text_[to] == u'\n')
                    ++to;
                if (caret_ >= n)
                    break;
                anchor_ = std::min(n, to);
            }
            ReplaceSelection(QString(), true, true);
        }
        break;
    case VK_INSERT:
        if (ext && !ctrl)
            Perform(WM_PASTE, 0, 0);
        else if (ctrl && !ext)
            Perform(WM_COPY, 0, 0);
        break;
    default: break;
    }
}

void TCustomEdit::CharDefault(TMessage& m)
{
    const char16_t c = char16_t(m.CharCode());
    const bool readOnly = (es_ & ES_READONLY) != 0;
    switch (c) {
    case 1: SelectAll(); return;             // Ctrl+A
    case 3: Perform(WM_COPY, 0, 0); return;  // Ctrl+C
    case 22: Perform(WM_PASTE, 0, 0); return; // Ctrl+V
    case 24: Perform(WM_CUT, 0, 0); return;  // Ctrl+X
    case 26: Perform(WM_UNDO, 0, 0); return; // Ctrl+Z
    case 8:
        if (readOnly)
            return;
        if (anchor_ == caret_) {
            if (caret_ == 0)
                return;
            int from = caret_ - 1;
            if (from > 0 && text_[from] == u'\n' && text_[from - 1] == u'\r')
                --from;
            anchor_ = from;
        }
        ReplaceSelection(QString(), true, true);
        return;
    case 0x7F: // Ctrl+Backspace: the word before the caret
        if (readOnly)
            return;
        if (anchor_ == caret_)
            anchor_ = WordLeft(caret_);
        ReplaceSelection(QString(), true, true);
        return;
    case '\r':
    case '\n':
        if (!Multi()) {
            MessageBeep(0);
            return;
        }
        if (!readOnly)
            ReplaceSelection(QStringLiteral("\r\n"), true, true);
        return;
    case '\t':
        if (Multi() && !readOnly)
            ReplaceSelection(QStringLiteral("\t"), true, true);
        return;
    default: break;
    }
    if (c < 32)
        return;
    if (readOnly) {
        MessageBeep(0);
        return;
    }
    if ((es_ & ES_NUMBER) && !(c >= '0' && c <= '9')) {
        ShowBalloon("Unacceptable Character", "You can only type a number here.", TTI_ERROR);
        MessageBeep(0);
        return;
    }
    ReplaceSelection(QString(QChar(c)), true, true);
}

void TCustomEdit::DefaultHandler(TMessage& m)
{
    // the edit window's procedure needs the window: a message to it creates it first
    HandleNeeded();
    const int n = int(text_.size());
    switch (m.Msg) {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | (Multi() ? DLGC_WANTALLKEYS : 0);
        break;
    case WM_KEYDOWN:
        if (balloon_.Shown && m.WParam != VK_SHIFT && m.WParam != VK_CONTROL && m.WParam != VK_MENU)
            HideBalloon();
        KeyDownDefault(m);
        break;
    case WM_CHAR:
        if (balloon_.Shown)
            HideBalloon();
        CharDefault(m);
        break;
    case WM_SETTEXT: {
        const char* p = reinterpret_cast<const char*>(m.LParam);
        text_ = p ? ToQString(String(p)) : QString();
        if (limit_ < int(text_.size()) && false)
            text_.truncate(limit_);
        anchor_ = caret_ = 0;
        scrollX_ = 0;
        firstLine_ = 0;
        modified_ = false;
        canUndo_ = false;
        Invalidate();
        SyncBars();
        Notify(EN_UPDATE);
        Notify(EN_CHANGE);
        m.Result = 1;
        break;
    }
    case WM_GETTEXTLENGTH: m.Result = LRESULT(SOf(text_).size()); break;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(m.LParam);
        const size_t room = size_t(m.WParam);
        if (!buffer || room == 0)
            break;
        const String t = SOf(text_);
        const size_t k = std::min(room - 1, t.size());
        std::copy_n(t.data(), k, buffer);
        buffer[k] = 0;
        m.Result = LRESULT(k);
        break;
    }
    case WM_LBUTTONDOWN: {
        if (balloon_.Shown)
            HideBalloon();
        if (!Focused() && CanFocus())
            SetFocus();
        const bool ext = (m.Keys() & MK_SHIFT) != 0;
        MoveCaret(CharAt(m.XPos(), m.YPos(), nullptr), ext);
        selecting_ = true;
        break;
    }
    case WM_MOUSEMOVE:
        if (selecting_ && (m.Keys() & MK_LBUTTON))
            MoveCaret(CharAt(m.XPos(), m.YPos(), nullptr), true);
        break;
    case WM_LBUTTONUP:
        selecting_ = false;
        break;
    case WM_LBUTTONDBLCLK: {
        const int at = CharAt(m.XPos(), m.YPos(), nullptr);
        int a = at, b = at;
        while (a > 0 && IsWordChar(text_[a - 1]))
            --a;
        while (b < n && IsWordChar(text_[b]))
            ++b;
        SetSel(a, b);
        break;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (m.Msg == WM_KILLFOCUS && balloon_.Shown)
            HideBalloon();
        selecting_ = false;
        Invalidate();
        Notify(m.Msg == WM_SETFOCUS ? EN_SETFOCUS : EN_KILLFOCUS);
        break;
    case WM_COPY:
        if (anchor_ != caret_ && password_.isNull())
            QGuiApplication::clipboard()->setText(
                text_.mid(std::min(anchor_, caret_), std::abs(anchor_ - caret_)));
        break;
    case WM_CUT:
        if (anchor_ != caret_ && password_.isNull() && !(es_ & ES_READONLY)) {
            Perform(WM_COPY, 0, 0);
            Perform(WM_CLEAR, 0, 0);
        }
        break;
    case WM_CLEAR:
        if (anchor_ != caret_ && !(es_ & ES_READONLY))
            ReplaceSelection(QString(), true, true);
        break;
    case WM_PASTE:
        if (!(es_ & ES_READONLY)) {
            const QString text = QGuiApplication::clipboard()->text();
            if (!text.isEmpty())
                ReplaceSelection(text, true, true);
        }
        break;
    case WM_UNDO:
    case EM_UNDO:
        if (canUndo_) {
            std::swap(text_, undoText_);
            std::swap(caret_, undoCaret_);
            caret_ = std::min(caret_, int(text_.size()));
            anchor_ = caret_;
            modified_ = true;
            ScrollCaret();
            Invalidate();
            Notify(EN_UPDATE);
            Notify(EN_CHANGE);
            m.Result = 1;
        }
        break;
    case EM_CANUNDO: m.Result = canUndo_ ? 1 : 0; break;
    case EM_EMPTYUNDOBUFFER: canUndo_ = false; undoText_.clear(); break;
    case EM_GETSEL: {
        const DWORD a = DWORD(std::min(anchor_, caret_)), b = DWORD(std::max(anchor_, caret_));
        if (m.WParam)
            *reinterpret_cast<DWORD*>(m.WParam) = a;
        if (m.LParam)
            *reinterpret_cast<DWORD*>(m.LParam) = b;
        m.Result = MAKELONG(int(std::min<DWORD>(a, 0xFFFF)), int(std::min<DWORD>(b, 0xFFFF)));
        break;
    }
    case EM_SETSEL: {
        const int start = int(intptr_t(m.WParam)), end = int(m.LParam);
        if (start == -1) { // no selection; the caret stays
            SetSel(caret_, caret_);
            break;
        }
        SetSel(start, end < 0 ? n : end);
        break;
    }
    case EM_REPLACESEL: {
        const char* p = reinterpret_cast<const char*>(m.LParam);
        ReplaceSelection(p ? ToQString(String(p)) : QString(), false, m.WParam != 0);
        break;
    }
    case EM_GETMODIFY: m.Result = modified_ ? 1 : 0; break;
    case EM_SETMODIFY: modified_ = m.WParam != 0; break;
    case EM_LIMITTEXT: limit_ = m.WParam == 0 ? 0x7FFFFFFE : int(std::min<WPARAM>(m.WParam, 0x7FFFFFFE)); break;
    case EM_GETLIMITTEXT: m.Result = limit_; break;
    case EM_SETPASSWORDCHAR:
        if (!Multi()) {
            password_ = m.WParam ? QChar(char16_t(m.WParam)) : QChar();
            es_ = m.WParam ? (es_ | ES_PASSWORD) : (es_ & ~DWORD(ES_PASSWORD));
            style_ = m.WParam ? (style_ | ES_PASSWORD) : (style_ & ~DWORD(ES_PASSWORD));
            ScrollCaret();
            Invalidate();
        }
        break;
    case EM_GETPASSWORDCHAR: m.Result = password_.isNull() ? 0 : password_.unicode(); break;
    case EM_SETREADONLY:
        es_ = m.WParam ? (es_ | ES_READONLY) : (es_ & ~DWORD(ES_READONLY));
        style_ = m.WParam ? (style_ | ES_READONLY) : (style_ & ~DWORD(ES_READONLY));
        Invalidate();
        m.Result = 1;
        break;
    case EM_GETRECT:
        if (auto* r = reinterpret_cast<RECT*>(m.LParam)) {
            const QRect f = Format();
            *r = RECT{f.left(), f.top(), f.right() + 1, f.bottom() + 1};
        }
        break;
    case EM_SETRECT:
    case EM_SETRECTNP:
        if (auto* r = reinterpret_cast<const RECT*>(m.LParam)) {
            formatRect_ = QRect(QPoint(r->left, r->top), QPoint(r->right - 1, r->bottom - 1));
            formatRectSet_ = true;
        } else {
            formatRectSet_ = false;
        }
        ScrollCaret();
        if (m.Msg == EM_SETRECT)
            Invalidate();
        break;
    case EM_SETMARGINS:
        if (m.WParam & EC_LEFTMARGIN)
            leftMargin_ = LOWORD(uintptr_t(m.LParam)) == EC_USEFONTINFO ? 1 : LOWORD(uintptr_t(m.LParam));
        if (m.WParam & EC_RIGHTMARGIN)
            rightMargin_ = HIWORD(uintptr_t(m.LParam)) == EC_USEFONTINFO ? 1 : HIWORD(uintptr_t(m.LParam));
        formatRectSet_ = false;
        ScrollCaret();
        Invalidate();
        break;
    case EM_GETMARGINS: m.Result = MAKELONG(leftMargin_, rightMargin_); break;
    case EM_SCROLLCARET: ScrollCaret(); Invalidate(); m.Result = 1; break;
    case EM_GETLINECOUNT: m.Result = LRESULT(Lines().size()); break;
    case EM_GETFIRSTVISIBLELINE: m.Result = Multi() ? firstLine_ : 0; break;
    case EM_LINEFROMCHAR: {
        const int index = int(intptr_t(m.WParam)) < 0 ? std::min(anchor_, caret_) : int(intptr_t(m.WParam));
        m.Result = LineOf(std::min(index, n), Lines());
        break;
    }
    case EM_LINEINDEX: {
        const auto lines = Lines();
        const int li = int(intptr_t(m.WParam)) < 0 ? LineOf(caret_, lines) : int(intptr_t(m.WParam));
        m.Result = li < int(lines.size()) ? lines[size_t(li)].start : -1;
        break;
    }
    case EM_LINELENGTH: {
        const auto lines = Lines();
        const int index = int(intptr_t(m.WParam));
        m.Result = lines[size_t(LineOf(index < 0 ? caret_ : std::min(index, n), lines))].length;
        break;
    }
    case EM_GETLINE: {
        const auto lines = Lines();
        const int li = int(m.WParam);
        auto* buffer = reinterpret_cast<char*>(m.LParam);
        if (li < 0 || li >= int(lines.size()) || !buffer)
            break;
        // the first WORD of the buffer gives its size; the line is not terminated
        const size_t room = *reinterpret_cast<WORD*>(buffer);
        const String line = SOf(text_.mid(lines[size_t(li)].start, lines[size_t(li)].length));
        const size_t k = std::min(room, line.size());
        std::copy_n(line.data(), k, buffer);
        m.Result = LRESULT(k);
        break;
    }
    case EM_LINESCROLL:
        if (Multi()) {
            firstLine_ = std::clamp(firstLine_ + int(m.LParam), 0, std::max(0, int(Lines().size()) - 1));
            Invalidate();
            SyncBars();
        }
        m.Result = 1;
        break;
    case EM_POSFROMCHAR: {
        const int index = int(m.WParam);
        if (index < 0 || index >= n) {
            m.Result = -1;
            break;
        }
        const QPoint p = PosOf(index);
        m.Result = MAKELONG(p.x(), p.y());
        break;
    }
    case EM_CHARFROMPOS: {
        const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
        if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight()) {
            m.Result = -1;
            break;
        }
        int line = 0;
        const int index = CharAt(x, y, &line);
        m.Result = MAKELONG(index, line);
        break;
    }
    case EM_SHOWBALLOONTIP:
        if (auto* tip = reinterpret_cast<const EDITBALLOONTIP*>(m.LParam)) {
            ShowBalloon(tip->pszTitle ? tip->pszTitle : "", tip->pszText ? tip->pszText : "", tip->ttiIcon);
            m.Result = 1;
        }
        break;
    case WM_NCCALCSIZE:
        // the edge lies inside the client area, unless scroll bars stand within it
        if (!EdgeInClient())
            TWinControl::DefaultHandler(m);
        break;
    case WM_VSCROLL: ScrollBarMessage(SB_VERT, m); break;
    case WM_HSCROLL: ScrollBarMessage(SB_HORZ, m); break;
    case EM_HIDEBALLOONTIP:
        HideBalloon();
        m.Result = 1;
        break;
    case WM_STYLECHANGED:
        if (m.WParam == WPARAM(GWL_STYLE))
            ApplyStyle((es_ & ES_MULTILINE) | (style_ & ~DWORD(ES_MULTILINE)));
        break;
    case WM_SIZE:
        ScrollCaret();
        break;
    default: TWinControl::DefaultHandler(m); break;
    }
}

namespace {
// Draws the edit's text with every character it holds (the canvas's single-byte text would turn
// characters beyond the code page into '?').
void EditTextOut(TCanvas* c, int x, int y, const QString& text)
{
    c->TextOut(x, y, String()); // brings the canvas's font, colours and mode into the context
    TextOutW(c->Handle(), x, y, reinterpret_cast<const char16_t*>(text.utf16()), int(text.size()));
}
} // namespace

void TCustomEdit::PaintWindow(HDC dc)
{
    TCanvas* c = canvas_.get();
    c->SetHandle(dc);
    try {
        const TRect client = ClientRect();
        c->Brush->Style = bsSolid;
        c->Brush->Color = Color();
        c->FillRect(client);
        if (EdgeInClient()) {
            RECT r = client;
            DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
        }
        c->Font->Assign(Font());
        if (!Enabled())
            c->Font->Color = clGrayText;
        const QRect f = Format();
        const auto lines = Lines();
        const QString shown = Shown();
        const int h = LineHeight();
        const bool showSel = anchor_ != caret_ && (Focused() || (es_ & ES_NOHIDESEL));
        const int s0 = std::min(anchor_, caret_), s1 = std::max(anchor_, caret_);
        const QFontMetrics fm(EditFont());
        const HRGN clip = CreateRectRgn(f.left(), f.top(), f.right() + 1, f.bottom() + 1);
        SelectClipRgn(dc, clip);
        DeleteObject(clip);
        for (int li = firstLine_; li < int(lines.size()); ++li) {
            const int y = f.top() + (li - firstLine_) * h;
            if (y > f.bottom())
                break;
            const Line& l = lines[size_t(li)];
            const int left = LineLeft(li, lines);
            c->Brush->Style = bsClear;
            EditTextOut(c, left, y, shown.mid(l.start, l.length));
            if (showSel && s0 < l.start + l.length && s1 > l.start) {
                const int a = std::max(s0, l.start), b = std::min(s1, l.start + l.length);
                const int xa = left + fm.horizontalAdvance(shown.mid(l.start, a - l.start));
                const int xb = left + fm.horizontalAdvance(shown.mid(l.start, b - l.start));
                c->Brush->Style = bsSolid;
                c->Brush->Color = clHighlight;
                c->FillRect(TRect(xa, y, xb, y + h));
                const TColor text = c->Font->Color;
                c->Font->Color = clHighlightText;
                c->Brush->Style = bsClear;
                EditTextOut(c, xa, y, shown.mid(a, b - a));
                c->Font->Color = text;
            }
        }
        if (Focused() && Enabled()) {
            const QPoint p = PosOf(caret_);
            c->Pen->Color = clWindowText;
            c->Pen->Width = 1;
            c->MoveTo(p.x(), p.y());
            c->LineTo(p.x(), p.y() + h);
        }
        SelectClipRgn(dc, nullptr);
    } catch (...) {
        c->SetHandle(nullptr);
        throw;
    }
    c->SetHandle(nullptr);
}

// ---------------------------------------------------------------- TCustomMemo

namespace {
// The lines of a memo as a string list over its text.
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* memo) : memo_(memo) {}
    int Count() const override { return int(Split().size()); }
    String Get(int index) const override { return Split().at(Checked(index)); }
    void Put(int index, const String& s) override
    {
        auto lines = Split();
        lines.at(Checked(index)) = s;
        Join(lines);
    }
    TObject* GetObject(int) const override { return nullptr; }
    void PutObject(int, TObject*) override {}
    void Insert(int index, const String& s) override
    {
        auto lines = Split();
        if (index < 0 || index > int(lines.size()))
            throw EStringListError(Format("List index out of bounds (%d)", {index}));
        lines.insert(lines.begin() + index, s);
        Join(lines);
    }
    void Delete(int index) override
    {
        auto lines = Split();
        lines.erase(lines.begin() + Checked(index));
        Join(lines);
    }
    void Clear() override { memo_->SetText(String()); }

private:
    size_t Checked(int index) const
    {
        if (index < 0 || index >= Count())
            throw EStringListError(Format("List index out of bounds (%d)", {index}));
        return size_t(index);
    }
    std::vector<String> Split() const
    {
        std::vector<String> lines;
        const String text = memo_->Text();
        if (text.empty())
            return lines;
        size_t start = 0;
        while (start <= text.size()) {
            const size_t brk = text.find('\n', start);
            if (brk == String::npos) {
                if (start < text.size())
                    lines.push_back(text.substr(start));
                break;
            }
            size_t end = brk;
            if (end > start && text[end - 1] == '\r')
                --end;
            lines.push_back(text.substr(start, end - start));
            start = brk + 1;
        }
        return lines;
    }
    void Join(const std::vector<String>& lines)
    {
        String text;
        for (const String& l : lines)
            text += l + "\r\n";
        memo_->SetText(text);
    }
    TCustomMemo* memo_;
};
} // namespace

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), lines_(std::make_unique<TMemoStrings>(this))
{
    SetBounds(0, 0, 185, 89);
    AutoSelect = false;
    // the window is multi-line from the start (its creation makes it so again)
    TCreateParams params;
    CreateParams(params);
    ApplyStyle(params.Style);
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& params)
{
    TCustomEdit::CreateParams(params);
    params.Style |= ES_MULTILINE | ES_WANTRETURN;
    if (wordWrap_)
        params.Style &= ~DWORD(ES_AUTOHSCROLL);
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth)
        params.Style |= WS_VSCROLL;
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth)
        params.Style |= WS_HSCROLL;
}

void TCustomMemo::Dispatch(TMessage& m)
{
    if (m.Msg == WM_GETDLGCODE) {
        TCustomEdit::Dispatch(m);
        if (WantTabs)
            m.Result |= DLGC_WANTTAB;
        else
            m.Result &= ~LRESULT(DLGC_WANTTAB);
        if (!WantReturns)
            m.Result &= ~LRESULT(DLGC_WANTALLKEYS);
        return;
    }
    TCustomEdit::Dispatch(m);
}

void TCustomMemo::SetWordWrap(bool on)
{
    if (on == wordWrap_)
        return;
    wordWrap_ = on;
    RecreateWnd();
    Invalidate();
}

void TCustomMemo::SetScrollBars(TScrollStyle bars)
{
    scrollBars_ = bars;
    RecreateWnd();
}

TPoint TCustomMemo::CaretPos() const
{
    auto* self = const_cast<TCustomMemo*>(this);
    DWORD start = 0, end = 0;
    self->Perform(EM_GETSEL, WPARAM(&start), LPARAM(&end));
    const int line = int(self->Perform(EM_LINEFROMCHAR, WPARAM(-1), 0));
    const int lineStart = int(self->Perform(EM_LINEINDEX, WPARAM(line), 0));
    return TPoint(int(start) - lineStart, line);
}

// ---------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner, new TCheckBoxHost)
{
    TabStop = true;
}

void TCheckBox::Dispatch(TMessage& m)
{
    if (m.Msg == CM_DIALOGCHAR && IsAccel(m.CharCode(), Caption()) && CanFocus()) {
        SetFocus();
        SetChecked(!Checked());
        m.Result = 1;
        return;
    }
    TWinControl::Dispatch(m);
    if (m.Msg == CM_COLORCHANGED) {
        // once coloured, the box is opaque, as a native box is: it paints its whole area in its
        // colour, over whatever its parent drew below it
        QPalette palette = Widget()->palette();
        palette.setColor(QPalette::Window, ColorRefToQColor(ColorToColorRef(Color())));
        Widget()->setPalette(palette);
        Widget()->setBackgroundRole(QPalette::Window);
        Widget()->setAutoFillBackground(true);
    }
}

QCheckBox* TCheckBox::Widget() const { return static_cast<QCheckBox*>(Host()); }
bool TCheckBox::Checked() const { return Widget()->isChecked(); }
void TCheckBox::SetChecked(bool on) { Widget()->setChecked(on); }

// ---------------------------------------------------------------- TComboBox

// ---------------------------------------------------------------- TCustomComboBox

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner, new TComboBoxHost)
{
    TabStop = true;
    items_ = std::make_unique<TComboBoxStrings>(Widget());
    SetStyle(csDropDown);
    SetDropDownCount(8);
}

TCustomComboBox::~TCustomComboBox() = default;

QComboBox* TCustomComboBox::Widget() const { return static_cast<QComboBox*>(Host()); }
int TCustomComboBox::ItemIndex() const { return Widget()->currentIndex(); }
void TCustomComboBox::SetItemIndex(int index)
{
    Widget()->setCurrentIndex(index < Widget()->count() ? index : -1);
}
void TCustomComboBox::SetDropDownCount(int count)
{
    dropDownCount_ = count;
    Widget()->setMaxVisibleItems(count > 0 ? count : 1);
}
String TCustomComboBox::Text() const { return FromQString(Widget()->currentText()); }

WideString TCustomComboBox::WideText() const { return QStringToWide(Widget()->currentText()); }

void TCustomComboBox::SetWideText(const WideString& text)
{
    if (Widget()->isEditable())
        Widget()->setEditText(WideToQString(text));
    else
        Widget()->setCurrentIndex(Widget()->findText(WideToQString(text), Qt::MatchFixedString));
}

WideString TCustomComboBox::WideItem(int index) const
{
    if (index < 0 || index >= Widget()->count())
        throw EStringListError(Format("List index out of bounds (%d)", {index}));
    return QStringToWide(Widget()->itemText(index));
}

void TCustomComboBox::PutWideItem(int index, const WideString& text)
{
    if (index < 0 || index >= Widget()->count())
        throw EStringListError(Format("List index out of bounds (%d)", {index}));
    Widget()->setItemText(index, WideToQString(text));
}

void TCustomComboBox::InsertWideItem(int index, const WideString& text)
{
    items_->Insert(index, String());
    Widget()->setItemText(index, WideToQString(text));
}

void TCustomComboBox::SetText(const String& text)
{
    if (Widget()->isEditable())
        Widget()->setEditText(ToQString(text));
    else
        Widget()->setCurrentIndex(Widget()->findText(ToQString(text), Qt::MatchFixedString));
}

void TCustomComboBox::SetStyle(TComboBoxStyle style)
{
    style_ = style;
    const bool editable = style != csDropDownList;
    if (editable == Widget()->isEditable())
        return;
    Widget()->setEditable(editable);
    if (editable) {
        Widget()->setInsertPolicy(QComboBox::NoInsert);
        static_cast<TComboBoxHost*>(Widget())->ConnectEditor();
        SetMaxLength(maxLength_);
    }
}

bool TCustomComboBox::DroppedDown() const { return const_cast<TCustomComboBox*>(this)->Perform(CB_GETDROPPEDSTATE, 0, 0) != 0; }
void TCustomComboBox::SetDroppedDown(bool on) { Perform(CB_SHOWDROPDOWN, on ? 1 : 0, 0); }

void TCustomComboBox::SetMaxLength(int length)
{
    maxLength_ = std::max(0, length);
    Perform(CB_LIMITTEXT, WPARAM(maxLength_), 0);
}

int TCustomComboBox::SelStart() const
{
    DWORD start = 0;
    const_cast<TCustomComboBox*>(this)->Perform(CB_GETEDITSEL, WPARAM(&start), 0);
    return int(start);
}

int TCustomComboBox::SelLength() const
{
    DWORD start = 0, end = 0;
    const_cast<TCustomComboBox*>(this)->Perform(CB_GETEDITSEL, WPARAM(&start), LPARAM(&end));
    return int(end - start);
}

void TCustomComboBox::SetSelStart(int start) { Perform(CB_SETEDITSEL, 0, MAKELPARAM(start, start)); }
void TCustomComboBox::SetSelLength(int length)
{
    const int start = SelStart();
    Perform(CB_SETEDITSEL, 0, MAKELPARAM(start, start + length));
}
String TCustomComboBox::SelText() const
{
    QLineEdit* line = Widget()->lineEdit();
    return line ? FromQString(line->selectedText()) : String();
}
void TCustomComboBox::SelectAll() { Perform(CB_SETEDITSEL, 0, MAKELPARAM(0, -1)); }

void TCustomComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = "COMBOBOX";
    params.Style |= DWORD(WS_VSCROLL) | DWORD(CBS_AUTOHSCROLL) |
                    (style_ == csDropDownList ? CBS_DROPDOWNLIST : style_ == csSimple ? CBS_SIMPLE : CBS_DROPDOWN);
}

void TCustomComboBox::Notify(UINT code)
{
    if (TWinControl* p = Parent())
        p->Perform(WM_COMMAND, MAKEWPARAM(0, int(code)), LPARAM(Host()));
    else
        Perform(CN_COMMAND, MAKEWPARAM(0, int(code)), LPARAM(Host()));
}

void TCustomComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomComboBox::Select()
{
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown()
{
    if (OnDropDown)
        OnDropDown(this);
}

void TCustomComboBox::CloseUp()
{
    if (OnCloseUp)
        OnCloseUp(this);
}

void TCustomComboBox::Dispatch(TMessage& m)
{
    if (m.Msg == CN_COMMAND) {
        switch (HIWORD(m.WParam)) {
        case CBN_SELCHANGE: {
            const auto alive = Life();
            Click();
            if (*alive)
                Select();
            break;
        }
        case CBN_EDITCHANGE: Change(); break;
        case CBN_DROPDOWN: DropDown(); break;
        case CBN_CLOSEUP: CloseUp(); break;
        default: break;
        }
        return;
    }
    TWinControl::Dispatch(m);
}

void TCustomComboBox::DefaultHandler(TMessage& m)
{
    auto* host = static_cast<TComboBoxHost*>(Widget());
    QComboBox* box = Widget();
    QLineEdit* line = box->lineEdit();
    auto itemText = [&](WPARAM i) { return FromQString(box->itemText(int(i))); };
    auto find = [&](WPARAM start, const char* text, bool exact) -> LRESULT {
        const QString wanted = ToQString(String(text ? text : ""));
        const int n = box->count();
        const int first = int(intptr_t(start)) < 0 ? 0 : int(start) + 1;
        for (int k = 0; k < n; ++k) {
            const int i = (first + k) % n;
            const QString item = box->itemText(i);
            if (exact ? item.compare(wanted, Qt::CaseInsensitive) == 0 : item.startsWith(wanted, Qt::CaseInsensitive))
                return i;
        }
        return CB_ERR;
    };
    switch (m.Msg) {
    case WM_GETDLGCODE: m.Result = DLGC_WANTCHARS | DLGC_WANTARROWS; break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        TextControlKeyDown(*this, m, [host](QKeyEvent* e) { host->ApplyKey(e); });
        break;
    }
    case WM_CHAR: {
        const char16_t c = char16_t(m.CharCode());
        switch (c) {
        case 1: if (line) line->selectAll(); return;
        case 3: Perform(WM_COPY, 0, 0); return;
        case 22: Perform(WM_PASTE, 0, 0); return;
        case 24: Perform(WM_CUT, 0, 0); return;
        case 26: Perform(WM_UNDO, 0, 0); return;
        default: break;
        }
        if (!line) {
            if (c >= 32) { // the list's own search by the typed text
                QKeyEvent e(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(c)));
                host->ApplyKey(&e);
            }
            return;
        }
        if (c != 8 && c < 32)
            return;
        host->applying = true;
        if (c == 8)
            line->backspace();
        else
            line->insert(QString(QChar(c)));
        host->applying = false;
        Notify(CBN_EDITUPDATE);
        Notify(CBN_EDITCHANGE);
        break;
    }
    case WM_COPY: if (line) line->copy(); break;
    case WM_CUT:
    case WM_CLEAR:
    case WM_PASTE:
    case WM_UNDO:
        if (line && !line->isReadOnly()) {
            const QString before = line->text();
            host->applying = true;
            if (m.Msg == WM_CUT)
                line->cut();
            else if (m.Msg == WM_CLEAR)
                line->del();
            else if (m.Msg == WM_PASTE)
                line->paste();
            else
                line->undo();
            host->applying = false;
            if (line->text() != before)
                Notify(CBN_EDITCHANGE);
        }
        break;
    case WM_SETTEXT:
        SetText(m.LParam ? String(reinterpret_cast<const char*>(m.LParam)) : String());
        m.Result = 1;
        break;
    case WM_GETTEXTLENGTH: m.Result = LRESULT(Text().size()); break;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(m.LParam);
        if (!buffer || m.WParam == 0)
            break;
        const String t = Text();
        const size_t k = std::min(size_t(m.WParam) - 1, t.size());
        std::copy_n(t.data(), k, buffer);
        buffer[k] = 0;
        m.Result = LRESULT(k);
        break;
    }
    case CB_GETCOUNT: m.Result = box->count(); break;
    case CB_GETCURSEL: m.Result = box->currentIndex() < 0 ? CB_ERR : box->currentIndex(); break;
    case CB_SETCURSEL:
        if (int(intptr_t(m.WParam)) < 0 || int(m.WParam) >= box->count()) {
            box->setCurrentIndex(-1);
            m.Result = CB_ERR;
        } else {
            box->setCurrentIndex(int(m.WParam));
            m.Result = LRESULT(m.WParam);
        }
        break;
    case CB_ADDSTRING:
        items_->Add(m.LParam ? String(reinterpret_cast<const char*>(m.LParam)) : String());
        m.Result = box->count() - 1;
        break;
    case CB_INSERTSTRING: {
        const int at = int(intptr_t(m.WParam)) < 0 ? box->count() : int(m.WParam);
        if (at > box->count()) {
            m.Result = CB_ERR;
            break;
        }
        items_->Insert(at, m.LParam ? String(reinterpret_cast<const char*>(m.LParam)) : String());
        m.Result = at;
        break;
    }
    case CB_DELETESTRING:
        if (int(m.WParam) < 0 || int(m.WParam) >= box->count()) {
            m.Result = CB_ERR;
            break;
        }
        items_->Delete(int(m.WParam));
        m.Result = box->count();
        break;
    case CB_RESETCONTENT: items_->Clear(); break;
    case CB_GETLBTEXTLEN:
        m.Result = int(m.WParam) < box->count() ? LRESULT(itemText(m.WParam).size()) : CB_ERR;
        break;
    case CB_GETLBTEXT: {
        if (int(m.WParam) >= box->count() || !m.LParam) {
            m.Result = CB_ERR;
            break;
        }
        const String t = itemText(m.WParam);
        auto* buffer = reinterpret_cast<char*>(m.LParam);
        std::copy_n(t.data(), t.size(), buffer);
        buffer[t.size()] = 0;
        m.Result = LRESULT(t.size());
        break;
    }
    case CB_FINDSTRING: m.Result = find(m.WParam, reinterpret_cast<const char*>(m.LParam), false); break;
    case CB_FINDSTRINGEXACT: m.Result = find(m.WParam, reinterpret_cast<const char*>(m.LParam), true); break;
    case CB_SELECTSTRING:
        m.Result = find(m.WParam, reinterpret_cast<const char*>(m.LParam), false);
        if (m.Result != CB_ERR)
            box->setCurrentIndex(int(m.Result));
        break;
    case CB_GETITEMDATA:
        m.Result = int(m.WParam) < box->count() ? LRESULT(box->itemData(int(m.WParam)).value<quintptr>()) : CB_ERR;
        break;
    case CB_SETITEMDATA:
        if (int(m.WParam) >= box->count()) {
            m.Result = CB_ERR;
            break;
        }
        box->setItemData(int(m.WParam), QVariant::fromValue(quintptr(m.LParam)));
        break;
    case CB_SHOWDROPDOWN:
        if (m.WParam && !box->view()->isVisible())
            box->showPopup();
        else if (!m.WParam && box->view()->isVisible())
            box->hidePopup();
        m.Result = 1;
        break;
    case CB_GETDROPPEDSTATE: m.Result = box->view() && box->view()->isVisible() ? 1 : 0; break;
    case CB_LIMITTEXT:
        if (line)
            line->setMaxLength(m.WParam == 0 ? 32767 : int(std::min<WPARAM>(m.WParam, 32767)));
        m.Result = 1;
        break;
    case CB_GETEDITSEL: {
        DWORD a = 0, b = 0;
        if (line) {
            a = DWORD(line->hasSelectedText() ? line->selectionStart() : line->cursorPosition());
            b = DWORD(line->hasSelectedText() ? line->selectionEnd() : line->cursorPosition());
        }
        if (m.WParam)
            *reinterpret_cast<DWORD*>(m.WParam) = a;
        if (m.LParam)
            *reinterpret_cast<DWORD*>(m.LParam) = b;
        m.Result = MAKELONG(int(a), int(b));
        break;
    }
    case CB_SETEDITSEL:
        if (!line) {
            m.Result = CB_ERR;
            break;
        }
        {
            const int n = int(line->text().size());
            const int a = int(int16_t(LOWORD(uintptr_t(m.LParam)))), b = int(int16_t(HIWORD(uintptr_t(m.LParam))));
            if (a < 0) {
                line->deselect();
            } else {
                const int from = std::min(a, n), to = b < 0 ? n : std::min(b, n);
                line->setSelection(from, to - from);
            }
        }
        m.Result = 1;
        break;
    case CB_SETITEMHEIGHT: itemHeight_ = int(m.LParam); break;
    case CB_GETITEMHEIGHT: m.Result = itemHeight_; break;
    case CB_SETDROPPEDWIDTH:
        box->view()->setMinimumWidth(int(m.WParam));
        m.Result = LRESULT(m.WParam);
        break;
    case CB_GETDROPPEDWIDTH: m.Result = std::max(box->view()->minimumWidth(), box->width()); break;
    case CB_GETDROPPEDCONTROLRECT:
        if (auto* r = reinterpret_cast<RECT*>(m.LParam)) {
            const QPoint g = box->mapToGlobal(QPoint(0, 0));
            *r = RECT{g.x(), g.y(), g.x() + box->width(), g.y() + box->height() + box->view()->height()};
        }
        m.Result = 1;
        break;
    default: TWinControl::DefaultHandler(m); break;
    }
}

// ---------------------------------------------------------------- TGroupBox

namespace {

class TGroupBoxHost : public QGroupBox, public TControlHostLink {
public:
    void CaptionChanged() override { setTitle(ToQString(control_->Caption())); }
};

} // namespace

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner, new TGroupBoxHost)
{
    ControlStyle << csAcceptsControls;
    SetBounds(0, 0, 185, 105);
}

QGroupBox* TGroupBox::Widget() const { return static_cast<QGroupBox*>(Host()); }

TRect TGroupBox::ClientRect() const
{
    TRect r(0, 0, Width(), Height());
    r.Top += Widget()->fontMetrics().height();
    r.Left += 2;
    r.Top += 2;
    r.Right = std::max(r.Left, r.Right - 2);
    r.Bottom = std::max(r.Top, r.Bottom - 2);
    return r;
}

// ---------------------------------------------------------------- TListBox

namespace {

// Keys and button presses reach the control as messages (WM_KEYDOWN, WM_CHAR, WM_LBUTTONDOWN,
// WM_LBUTTONUP...), so that a WindowProc or OnKeyDown sees them; a button message follows the
// list's own handling of the press or release (the item under the mouse is current by then),
// and the list's own key handling runs last, in the control's DefaultHandler.
class TListBoxHost : public QListWidget, public TControlHostLink {
public:
    TListBoxHost()
    {
        QObject::connect(this, &QListWidget::itemClicked, [this] {
            if (control_ && control_->OnClick)
                Application->Guard([this] { control_->OnClick(control_); }, control_);
        });
        QObject::connect(this, &QListWidget::itemDoubleClicked, [this] {
            if (control_ && control_->OnDblClick)
                Application->Guard([this] { control_->OnDblClick(control_); }, control_);
        });
    }
    // Hands a key to the list's own handling (moving the current item, searching by text).
    void ApplyKey(QKeyEvent* e)
    {
        applying_ = true;
        QListWidget::keyPressEvent(e);
        applying_ = false;
    }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (applying_ || !TControlInput::KeyPress(this, e))
            QListWidget::keyPressEvent(e);
    }
    void keyReleaseEvent(QKeyEvent* e) override { TControlInput::KeyRelease(this, e); }
    void mousePressEvent(QMouseEvent* e) override
    {
        QListWidget::mousePressEvent(e);
        Button(e, e->button() == Qt::RightButton ? WM_RBUTTONDOWN : WM_LBUTTONDOWN);
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        QListWidget::mouseReleaseEvent(e);
        Button(e, e->button() == Qt::RightButton ? WM_RBUTTONUP : WM_LBUTTONUP);
    }

private:
    void Button(QMouseEvent* e, UINT msg)
    {
        if (!control_ || (e->button() != Qt::LeftButton && e->button() != Qt::RightButton))
            return;
        UINT keys = 0;
        if (e->buttons() & Qt::LeftButton)
            keys |= MK_LBUTTON;
        if (e->buttons() & Qt::RightButton)
            keys |= MK_RBUTTON;
        if (e->modifiers() & Qt::ShiftModifier)
            keys |= MK_SHIFT;
        if (e->modifiers() & Qt::ControlModifier)
            keys |= MK_CONTROL;
        const QPoint at = e->position().toPoint(); // in the viewport: the list's client area
        SendToControl(msg, keys, MAKELPARAM(WORD(int16_t(at.x())), WORD(int16_t(at.y()))));
    }

    bool applying_ = false;
};

// The items of a list box, kept in the widget; an item's object rides in its user data.
class TListBoxStrings : public TStrings {
public:
    TListBoxStrings(QListWidget* list, const bool& sorted) : list_(list), sorted_(sorted) {}
    int Count() const override { return list_->count(); }
    String Get(int index) const override { return FromQString(list_->item(Checked(index))->text()); }
    void Put(int index, const String& s) override { list_->item(Checked(index))->setText(ToQString(s)); }
    TObject* GetObject(int index) const override
    {
        return reinterpret_cast<TObject*>(list_->item(Checked(index))->data(Qt::UserRole).value<quintptr>());
    }
    void PutObject(int index, TObject* object) override
    {
        list_->item(Checked(index))->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(object)));
    }
    int Add(const String& s) override
    {
        int index = Count();
        if (sorted_) {
            // after the last item that does not sort behind it (case-blind)
            index = 0;
            while (index < Count() && CompareText(Get(index), s) <= 0)
                ++index;
        }
        Insert(index, s);
        return index;
    }
    void Insert(int index, const String& s) override
    {
        if (index < 0 || index > Count())
            throw EStringListError(Format("List index out of bounds (%d)", {index}));
        auto* item = new QListWidgetItem(ToQString(s));
        if (list_->property("checkable").toBool()) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        list_->insertItem(index, item);
    }
    void Delete(int index) override { delete list_->takeItem(Checked(index)); }
    void Clear() override { list_->clear(); }

private:
    int Checked(int index) const
    {
        if (index < 0 || index >= Count())
            throw EStringListError(Format("List index out of bounds (%d)", {index}));
        return index;
    }
    QListWidget* list_;
    const bool& sorted_;
};

} // namespace

TListBox::TListBox(TComponent* owner) : TListBox(owner, new TListBoxHost) {}

TListBox::TListBox(TComponent* owner, QListWidget* host) : TWinControl(owner, host)
{
    TabStop = true;
    // the list follows the mouse itself while a button is held
    ControlStyle >> csCaptureMouse;
    items_ = std::make_unique<TListBoxStrings>(Widget(), sorted_);
    SetBounds(0, 0, 121, 97);
    SetColor(clWindow);
    Widget()->setSelectionMode(QAbstractItemView::SingleSelection);
}

TListBox::~TListBox() = default;

void TListBox::DefaultHandler(TMessage& m)
{
    auto* host = dynamic_cast<TListBoxHost*>(Widget());
    if (!host || (m.Msg != WM_KEYDOWN && m.Msg != WM_CHAR)) {
        TWinControl::DefaultHandler(m);
        return;
    }
    if (m.Msg == WM_CHAR) {
        const char16_t c = char16_t(m.CharCode());
        if (c >= 32) { // the list's search by the typed text
            QKeyEvent e(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(c)));
            host->ApplyKey(&e);
        }
        return;
    }
    const WORD vk = m.CharCode();
    const bool moves = vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT || vk == VK_HOME ||
                       vk == VK_END || vk == VK_LEFT || vk == VK_RIGHT || vk == VK_SPACE;
    if (!moves)
        return;
    const TShiftState shift = KeyDataToShiftState(m.LParam);
    Qt::KeyboardModifiers mods;
    if (shift.Contains(ssShift))
        mods |= Qt::ShiftModifier;
    if (shift.Contains(ssCtrl))
        mods |= Qt::ControlModifier;
    QKeyEvent e(QEvent::KeyPress, QtKeyOfVirtualKey(vk), mods);
    host->ApplyKey(&e);
}

QListWidget* TListBox::Widget() const { return static_cast<QListWidget*>(Host()); }
int TListBox::ItemIndex() const { return Widget()->currentRow(); }

void TListBox::SetItemIndex(int index)
{
    if (index < 0 || index >= Widget()->count()) {
        Widget()->setCurrentRow(-1);
        Widget()->clearSelection();
        return;
    }
    Widget()->setCurrentRow(index);
}

void TListBox::SetMultiSelect(bool on)
{
    multiSelect_ = on;
    Widget()->setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool TListBox::Selected(int index) const
{
    const QListWidgetItem* item = Widget()->item(index);
    if (!item)
        throw EStringListError(Format("List index out of bounds (%d)", {index}));
    return item->isSelected();
}

void TListBox::SetSelected(int index, bool on)
{
    QListWidgetItem* item = Widget()->item(index);
    if (!item)
        throw EStringListError(Format("List index out of bounds (%d)", {index}));
    item->setSelected(on);
}

int TListBox::SelCount() const { return multiSelect_ ? int(Widget()->selectedItems().size()) : -1; }

void TListBox::SetSorted(bool on)
{
    sorted_ = on;
    if (on)
        Widget()->sortItems();
}

int TListBox::TopIndex() const { return Widget()->verticalScrollBar()->value(); }
void TListBox::Clear() { items_->Clear(); }

void TListBox::SetColor(TColor color)
{
    TWinControl::SetColor(color);
    QPalette palette = Widget()->palette();
    palette.setColor(QPalette::Base, ColorRefToQColor(ColorToColorRef(color)));
    Widget()->setPalette(palette);
}

// ---------------------------------------------------------------- TScrollBar

// The QScrollBar's own actions become the system scroll bar's notifications; the widget is put
// back where the control's Position says after each of them (a dragged thumb excepted).
class TScrollBarHost : public QScrollBar, public TControlHostLink {
public:
    TScrollBarHost() : QScrollBar(Qt::Horizontal)
    {
        QObject::connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) { Action(action); });
        QObject::connect(this, &QAbstractSlider::sliderReleased, this, [this] { ThumbReleased(); });
    }
    bool applying = false;

protected:
    bool event(QEvent* e) override
    {
        try {
            return QScrollBar::event(e);
        } catch (...) {
            Application->HandleException(control_);
            return true;
        }
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        pressed_ = true;
        QScrollBar::mousePressEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        const bool thumb = isSliderDown();
        const bool pressed = pressed_;
        pressed_ = false;
        QScrollBar::mouseReleaseEvent(e);
        // a released thumb ends its scrolling in ThumbReleased
        if (pressed && !thumb)
            Tell(SB_ENDSCROLL, 0);
    }
    void wheelEvent(QWheelEvent* e) override { e->ignore(); }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (!TControlInput::KeyPress(this, e))
            e->ignore();
    }
    void keyReleaseEvent(QKeyEvent* e) override { TControlInput::KeyRelease(this, e); }

private:
    TScrollBar* Bar() const { return dynamic_cast<TScrollBar*>(control_); }
    void Tell(UINT code, int position)
    {
        if (TScrollBar* bar = Bar())
            Application->Guard([bar, code, position] { bar->Notify(code, position); }, bar);
    }
    void Action(int action)
    {
        if (applying || !Bar())
            return;
        UINT code = SB_ENDSCROLL;
        switch (action) {
        case SliderSingleStepAdd: code = SB_LINEDOWN; break;
        case SliderSingleStepSub: code = SB_LINEUP; break;
        case SliderPageStepAdd: code = SB_PAGEDOWN; break;
        case SliderPageStepSub: code = SB_PAGEUP; break;
        case SliderToMinimum: code = SB_TOP; break;
        case SliderToMaximum: code = SB_BOTTOM; break;
        case SliderMove: code = SB_THUMBTRACK; break;
        default: return;
        }
        Tell(code, code == SB_THUMBTRACK ? sliderPosition() : 0);
        // the bar stands where the control's handling put it; a dragged thumb follows the mouse
        if (TScrollBar* bar = Bar(); bar && code != SB_THUMBTRACK)
            setSliderPosition(bar->Position());
    }
    void ThumbReleased()
    {
        if (!Bar())
            return;
        Tell(SB_THUMBPOSITION, sliderPosition());
        Tell(SB_ENDSCROLL, 0);
        if (TScrollBar* bar = Bar())
            bar->ShowPosition();
    }
    bool pressed_ = false;
};

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner, new TScrollBarHost)
{
    TabStop = true;
    SetTakesFocus(true);
    ShowPosition();
    SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
}

QScrollBar* TScrollBar::Widget() const { return static_cast<QScrollBar*>(Host()); }

void TScrollBar::CreateWnd()
{
    TWinControl::CreateWnd();
    SetTakesFocus(TabStop);
}

void TScrollBar::SetKind(TScrollBarKind kind)
{
    if (kind == kind_)
        return;
    kind_ = kind;
    Widget()->setOrientation(kind == sbVertical ? Qt::Vertical : Qt::Horizontal);
    SetBounds(Left(), Top(), Height(), Width());
}

int TScrollBar::TopPosition() const { return std::max(min_, max_ - std::max(pageSize_ - 1, 0)); }

int TScrollBar::TrackPosition() const { return Widget()->sliderPosition(); }

void TScrollBar::SetPageSize(int value)
{
    value = std::clamp(value, 0, max_ - min_ + 1);
    if (value == pageSize_)
        return;
    pageSize_ = value;
    const int old = position_;
    position_ = std::clamp(position_, min_, TopPosition());
    ShowPosition();
    if (position_ != old)
        Change();
}

void TScrollBar::SetParams(int position, int min, int max)
{
    if (max < min)
        throw EInvalidOperation("Scrollbar property out of range");
    const int old = position_;
    min_ = min;
    max_ = max;
    pageSize_ = std::min(pageSize_, max - min + 1);
    position_ = std::clamp(position, min_, TopPosition());
    ShowPosition();
    if (position_ != old)
        Change();
}

void TScrollBar::ShowPosition()
{
    auto* host = static_cast<TScrollBarHost*>(Widget());
    host->applying = true;
    host->setRange(min_, TopPosition());
    host->setPageStep(std::max(1, pageSize_));
    host->setSingleStep(1);
    host->setValue(position_);
    host->applying = false;
}

void TScrollBar::Notify(UINT code, int position)
{
    const UINT msg = kind_ == sbVertical ? WM_VSCROLL : WM_HSCROLL;
    const WPARAM w = MAKEWPARAM(int(code), position & 0xFFFF);
    if (TWinControl* p = Parent())
        p->Perform(msg, w, LPARAM(Host()));
    else
        Perform(CN_BASE + msg, w, LPARAM(Host()));
}

void TScrollBar::DoScroll(TMessage& m)
{
    const auto code = TScrollCode(m.ScrollCode());
    int position = position_;
    switch (code) {
    case scLineUp: position -= smallChange_; break;
    case scLineDown: position += smallChange_; break;
    case scPageUp: position -= largeChange_; break;
    case scPageDown: position += largeChange_; break;
    case scPosition:
    case scTrack:
        // the message carries 16 bits; a wider range is read from the thumb itself
        position = min_ >= -0x8000 && TopPosition() <= 0x7FFF ? m.ScrollPos() : TrackPosition();
        break;
    case scTop: position = min_; break;
    case scBottom: position = TopPosition(); break;
    default: break;
    }
    position = std::clamp(position, min_, TopPosition());
    const auto alive = Life();
    Scroll(code, position);
    if (*alive)
        SetPosition(position);
}

void TScrollBar::Scroll(TScrollCode code, int& position)
{
    if (OnScroll)
        OnScroll(this, code, position);
}

void TScrollBar::Change()
{
    if (OnChange)
        OnChange(this);
}

void TScrollBar::Dispatch(TMessage& m)
{
    if (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL) {
        DoScroll(m);
        m.Result = 0;
        return;
    }
    TWinControl::Dispatch(m);
}

void TScrollBar::DefaultHandler(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS; return;
    case WM_KEYDOWN: {
        // the keys of the system's scroll bar; the bar's direction does not matter
        UINT code = 0xFFFF;
        switch (m.CharCode()) {
        case VK_UP:
        case VK_LEFT: code = SB_LINEUP; break;
        case VK_DOWN:
        case VK_RIGHT: code = SB_LINEDOWN; break;
        case VK_PRIOR: code = SB_PAGEUP; break;
        case VK_NEXT: code = SB_PAGEDOWN; break;
        case VK_HOME: code = SB_TOP; break;
        case VK_END: code = SB_BOTTOM; break;
        default: break;
        }
        if (code != 0xFFFF) {
            const auto alive = Life();
            Notify(code, 0);
            if (*alive)
                ShowPosition();
        }
        return;
    }
    case WM_KEYUP:
        switch (m.CharCode()) {
        case VK_UP:
        case VK_LEFT:
        case VK_DOWN:
        case VK_RIGHT:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END: Notify(SB_ENDSCROLL, 0); return;
        default: break;
        }
        break;
    default: break;
    }
    TWinControl::DefaultHandler(m);
}

void TScrollBar::PaintTo(HDC dc, int x, int y)
{
    if (!dc || !dc->Painter())
        return;
    QImage image(Widget()->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    Widget()->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    QPainter* p = dc->Painter();
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->drawImage(dc->ToDevice(x, y), image);
    p->restore();
    dc->Flush();
}
