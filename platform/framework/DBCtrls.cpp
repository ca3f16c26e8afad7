#include "DBCtrls.h"

#include "Forms.h"
#include "platform/win/WinGdi.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>

class TDBEdit::TFieldDataLink : public TDataLink {
public:
    explicit TFieldDataLink(TDBEdit* edit) : edit_(edit) {}
    void ActiveChanged() override { edit_->DataChange(); }
    void LayoutChanged() override { edit_->DataChange(); }
    void RecordChanged(TField* field) override
    {
        if (!field || field == edit_->Field())
            edit_->DataChange();
    }
    void EditingChanged() override { edit_->EditingChange(); }
    void UpdateData() override { edit_->UpdateData(); }

private:
    TDBEdit* edit_;
};

// Watches the line edit for the keys and the focus change a data-aware edit reacts to.
class TDBEdit::TEditWatcher : public QObject {
public:
    explicit TEditWatcher(TDBEdit* edit) : edit_(edit) {}
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::FocusOut) {
            Application->Guard([this] { edit_->ExitEdit(); }, edit_);
        } else if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                Application->Guard([this] { edit_->KeyEnter(); }, edit_);
            } else if (key == Qt::Key_Escape && edit_->modified_) {
                Application->Guard([this] { edit_->KeyEscape(); }, edit_);
                return true;
            }
        }
        return QObject::eventFilter(watched, e);
    }

private:
    TDBEdit* edit_;
};

TDBEdit::TDBEdit(TComponent* owner)
    : TEdit(owner), link_(std::make_unique<TFieldDataLink>(this)), watcher_(std::make_unique<TEditWatcher>(this))
{
    SetColor(clWindow);
    Widget()->installEventFilter(watcher_.get());
    QObject::connect(Widget(), &QLineEdit::textEdited, watcher_.get(), [this] {
        Application->Guard([this] { UserEdited(); }, this);
    });
    DataChange();
}

TDBEdit::~TDBEdit()
{
    // Leave the source before the edit goes, and stop watching the widget.
    link_->SetDataSource(nullptr);
    watcher_.reset();
}

TDataSource* TDBEdit::DataSource() const { return link_->DataSource(); }
void TDBEdit::SetDataSource(TDataSource* source) { link_->SetDataSource(source); }

void TDBEdit::SetDataField(const String& name)
{
    dataField_ = name;
    DataChange();
}

TField* TDBEdit::Field() const
{
    if (!link_->Active() || dataField_.empty())
        return nullptr;
    return link_->DataSet()->FindField(dataField_);
}

void TDBEdit::SetColor(TColor color)
{
    TEdit::SetColor(color);
    QPalette palette = Widget()->palette();
    palette.setColor(QPalette::Base, ColorRefToQColor(ColorToColorRef(color)));
    Widget()->setPalette(palette);
}

void TDBEdit::DataChange()
{
    TField* field = Field();
    showing_ = true;
    SetText(field ? field->DisplayText() : String());
    showing_ = false;
    modified_ = false;
    EditingChange();
}

void TDBEdit::EditingChange()
{
    // Typing is possible while the record can be changed; the dataset goes into edit state
    // at the first change.
    TField* field = Field();
    const bool canEdit = field && !field->ReadOnly && link_->DataSet()->CanModify() &&
                         (link_->Editing() || DataSource()->AutoEdit);
    Widget()->setReadOnly(!canEdit);
}

void TDBEdit::UserEdited()
{
    if (showing_)
        return;
    const String typed = Text();
    // Putting the dataset in edit state may show the record again; the typed text stays.
    if (!link_->Edit() || !Field()) {
        DataChange();
        return;
    }
    if (Text() != typed) {
        showing_ = true;
        SetText(typed);
        showing_ = false;
    }
    modified_ = true;
}

void TDBEdit::UpdateData()
{
    if (!modified_)
        return;
    TField* field = Field();
    if (!field)
        return;
    field->SetAsString(Text());
    modified_ = false;
}

void TDBEdit::UpdateRecord()
{
    if (modified_)
        link_->UpdateRecord();
}

void TDBEdit::ExitEdit()
{
    try {
        UpdateRecord();
    } catch (...) {
        SelectAll();
        throw;
    }
}

void TDBEdit::KeyEnter()
{
    UpdateRecord();
    SelectAll();
}

void TDBEdit::KeyEscape()
{
    DataChange();
    SelectAll();
}
