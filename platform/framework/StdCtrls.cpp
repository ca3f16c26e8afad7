#include "StdCtrls.h"

#include "ControlHost.h"
#include "Forms.h"

#include <QCheckBox>
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
