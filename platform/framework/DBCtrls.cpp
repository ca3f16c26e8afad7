#include "DBCtrls.h"

#include "Forms.h"
#include "platform/win/WinGdi.h"


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

TDBEdit::TDBEdit(TComponent* owner) : TEdit(owner), link_(std::make_unique<TFieldDataLink>(this))
{
    SetColor(clWindow);
    DataChange();
}

TDBEdit::~TDBEdit()
{
    // Leave the source before the edit goes.
    link_->SetDataSource(nullptr);
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

void TDBEdit::Change()
{
    UserEdited();
    TEdit::Change();
}

void TDBEdit::KeyDown(WORD& key, TShiftState shift)
{
    TEdit::KeyDown(key, shift);
    if (key == VK_RETURN) {
        KeyEnter();
    } else if (key == VK_ESCAPE && modified_) {
        KeyEscape();
        key = 0;
    }
}

void TDBEdit::DoExit()
{
    ExitEdit();
    TEdit::DoExit();
}

void TDBEdit::Dispatch(TMessage& m)
{
    // Escape belongs to the edit while it holds an edit (the form's cancel button waits)
    if (m.Msg == CM_WANTSPECIALKEY && m.CharCode() == VK_ESCAPE && modified_) {
        m.Result = 1;
        return;
    }
    TEdit::Dispatch(m);
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
    SetReadOnly(!canEdit);
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
