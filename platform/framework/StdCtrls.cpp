#include "StdCtrls.h"

#include "ControlHost.h"
#include "Forms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
    void CaptionChanged() override { setText(ToQString(control_->Caption())); }
};

class TEditHost : public QLineEdit, public TControlHostLink {
public:
    TEditHost()
    {
        QObject::connect(this, &QLineEdit::textChanged, [this] {
            auto* edit = dynamic_cast<TEdit*>(control_);
            if (edit && edit->OnChange)
                Application->Guard([edit] { edit->OnChange(edit); }, edit);
        });
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
    void CaptionChanged() override { setText(ToQString(control_->Caption())); }
};

class TComboBoxHost : public QComboBox, public TControlHostLink {
public:
    TComboBoxHost()
    {
        QObject::connect(this, &QComboBox::activated, [this] { Changed(); });
    }
    void ConnectEditor()
    {
        if (lineEdit())
            QObject::connect(lineEdit(), &QLineEdit::textEdited, this, [this] { Changed(); });
    }

private:
    void Changed()
    {
        auto* box = dynamic_cast<TComboBox*>(control_);
        if (box && box->OnChange)
            Application->Guard([box] { box->OnChange(box); }, box);
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

void TButton::Click()
{
    if (ModalResult != mrNone)
        if (TForm* form = GetParentForm(this))
            form->SetModalResult(ModalResult);
    TWinControl::Click();
}

// ---------------------------------------------------------------- TEdit

TEdit::TEdit(TComponent* owner) : TWinControl(owner, new TEditHost)
{
    TabStop = true;
}

QLineEdit* TEdit::Widget() const { return static_cast<QLineEdit*>(Host()); }
String TEdit::Text() const { return FromQString(Widget()->text()); }
void TEdit::SetText(const String& text) { Widget()->setText(ToQString(text)); }
int TEdit::MaxLength() const { return Widget()->maxLength() == 32767 ? 0 : Widget()->maxLength(); }
void TEdit::SetMaxLength(int length) { Widget()->setMaxLength(length > 0 ? length : 32767); }
bool TEdit::ReadOnly() const { return Widget()->isReadOnly(); }
void TEdit::SetReadOnly(bool on) { Widget()->setReadOnly(on); }
void TEdit::SelectAll() { Widget()->selectAll(); }

void TEdit::SetPasswordChar(char c)
{
    passwordChar_ = c;
    Widget()->setEchoMode(c ? QLineEdit::Password : QLineEdit::Normal);
}

// ---------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner, new TCheckBoxHost)
{
    TabStop = true;
}

QCheckBox* TCheckBox::Widget() const { return static_cast<QCheckBox*>(Host()); }
bool TCheckBox::Checked() const { return Widget()->isChecked(); }
void TCheckBox::SetChecked(bool on) { Widget()->setChecked(on); }

// ---------------------------------------------------------------- TComboBox

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner, new TComboBoxHost)
{
    TabStop = true;
    items_ = std::make_unique<TComboBoxStrings>(Widget());
    SetStyle(csDropDown);
    SetDropDownCount(8);
}

TComboBox::~TComboBox() = default;

QComboBox* TComboBox::Widget() const { return static_cast<QComboBox*>(Host()); }
int TComboBox::ItemIndex() const { return Widget()->currentIndex(); }
void TComboBox::SetItemIndex(int index) { Widget()->setCurrentIndex(index < Widget()->count() ? index : -1); }
void TComboBox::SetDropDownCount(int count)
{
    dropDownCount_ = count;
    Widget()->setMaxVisibleItems(count > 0 ? count : 1);
}
String TComboBox::Text() const { return FromQString(Widget()->currentText()); }

void TComboBox::SetText(const String& text)
{
    if (Widget()->isEditable())
        Widget()->setEditText(ToQString(text));
    else
        Widget()->setCurrentIndex(Widget()->findText(ToQString(text), Qt::MatchFixedString));
}

void TComboBox::SetStyle(TComboBoxStyle style)
{
    style_ = style;
    const bool editable = style != csDropDownList;
    if (editable == Widget()->isEditable())
        return;
    Widget()->setEditable(editable);
    if (editable) {
        Widget()->setInsertPolicy(QComboBox::NoInsert);
        static_cast<TComboBoxHost*>(Widget())->ConnectEditor();
    }
}
