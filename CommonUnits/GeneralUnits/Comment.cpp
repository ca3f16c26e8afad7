#include "Comment.h"

#include "TVersionInfo_Unit.h"
#include "Utils_Format_Unit.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {
const char* const kCommentsField = "Comments";
}

// Follows the data source: shows the field of each record the dataset moves to.
class TfrmComment::TMemoLink : public TDataLink {
public:
    explicit TMemoLink(TfrmComment& form) : form_(form) {}
    void ActiveChanged() override { form_.LoadFromField(); }
    void RecordChanged(TField* field) override
    {
        if (!field || SameText(field->FieldName(), kCommentsField))
            form_.LoadFromField();
    }
    void UpdateData() override { form_.StoreInField(); }
    TField* Field() const
    {
        return Active() ? DataSet()->FieldByName(kCommentsField) : nullptr;
    }

private:
    TfrmComment& form_;
};

TfrmComment::TfrmComment(TComponent* owner) : TForm(owner), link_(std::make_unique<TMemoLink>(*this))
{
    SetName("frmComment");
    SetBounds(0, 0, 600, 250);
    Position = poScreenCenter;

    auto* memo = new QPlainTextEdit;
    mmComment = new TWinControl(this, memo);
    mmComment->SetName("mmComment");
    mmComment->SetParent(this);
    mmComment->TabStop = true;
    QObject::connect(memo, &QPlainTextEdit::textChanged,
                     [this] { Application->Guard([this] { MemoTextChanged(); }, mmComment); });

    auto* button = new QPushButton("&Close");
    button->setDefault(true);
    button->setAutoDefault(true);
    btnClose = new TWinControl(this, button);
    btnClose->SetName("btnClose");
    btnClose->SetParent(this);
    QObject::connect(button, &QPushButton::clicked,
                     [this] { Application->Guard([this] { btnCloseClick(btnClose); }, this); });

    auto* layout = new QVBoxLayout(Host());
    layout->addWidget(memo, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(button);
    layout->addLayout(buttons);

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnActivate = [this](TObject* sender) { FormActivate(sender); };
}

TfrmComment::~TfrmComment()
{
    link_->SetDataSource(nullptr);
}

QPlainTextEdit* TfrmComment::Memo() const
{
    return static_cast<QPlainTextEdit*>(mmComment->Host());
}

QPushButton* TfrmComment::CloseButton() const
{
    return static_cast<QPushButton*>(btnClose->Host());
}

void TfrmComment::SetDataSource(TDataSource* source)
{
    if (source && source->DataSet() && source->DataSet()->Active())
        source->DataSet()->FieldByName(kCommentsField); // fails for a table without comments
    link_->SetDataSource(source);
}

TDataSource* TfrmComment::DataSource() const
{
    return link_->DataSource();
}

void TfrmComment::FormCreate(TObject*)
{
    SetCaption(Format("%s - Comment", {GetApplicationTitle()}));
}

void TfrmComment::FormActivate(TObject*)
{
    mmComment->SetFocus();
}

void TfrmComment::btnCloseClick(TObject*)
{
    Close();
}

void TfrmComment::LoadFromField()
{
    if (loading_)
        return;
    TField* field = link_->Field();
    const QString text = field ? ToQString(field->AsString()) : QString();
    if (Memo()->toPlainText() == text)
        return;
    loading_ = true;
    Memo()->setPlainText(text);
    loading_ = false;
}

void TfrmComment::StoreInField()
{
    TField* field = link_->Field();
    if (!field)
        return;
    const String text = FromQString(Memo()->toPlainText());
    if (field->AsString() != text)
        field->SetAsString(text);
}

// A change typed or pasted by the user: the record goes into edit (which its rules may
// refuse, and then the memo shows the field again), the 7-bit filter runs, and the text is
// written into the field, cut to the field's width.
void TfrmComment::MemoTextChanged()
{
    if (loading_)
        return;
    if (link_->Active()) {
        // Going into edit tells the link of a record change; the memo keeps the user's text.
        loading_ = true;
        try {
            link_->Edit();
        } catch (...) {
            loading_ = false;
            LoadFromField();
            throw;
        }
        loading_ = false;
        if (!link_->Editing()) {
            LoadFromField();
            return;
        }
    }
    loading_ = true;
    try {
        mmCommentChange(mmComment);
        TField* field = link_->Field();
        if (field && field->Size() > 0 && Memo()->toPlainText().size() > field->Size()) {
            QTextCursor cursor = Memo()->textCursor();
            const int caret = cursor.position();
            Memo()->setPlainText(Memo()->toPlainText().left(field->Size()));
            cursor = Memo()->textCursor();
            cursor.setPosition(std::min(caret, field->Size()));
            Memo()->setTextCursor(cursor);
        }
    } catch (...) {
        loading_ = false;
        throw;
    }
    loading_ = false;
    link_->UpdateRecord();
}

void TfrmComment::mmCommentChange(TObject*)
{
    const QString text = Memo()->toPlainText();
    bool extended = false;
    for (QChar c : text)
        extended = extended || c.unicode() >= 128;
    if (!extended)
        return;
    // Characters of code 128 and above are dropped; the caret goes one position before
    // where it was.
    const int caret = Memo()->textCursor().position();
    QString stripped;
    for (QChar c : text)
        if (c.unicode() < 128)
            stripped += c;
    const bool wasLoading = loading_;
    loading_ = true;
    Memo()->setPlainText(stripped);
    loading_ = wasLoading;
    QTextCursor cursor = Memo()->textCursor();
    cursor.setPosition(std::clamp(caret - 1, 0, int(stripped.size())));
    Memo()->setTextCursor(cursor);
}
