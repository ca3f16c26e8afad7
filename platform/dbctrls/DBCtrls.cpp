#include "platform/dbctrls/DBCtrls.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinGdi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QToolButton>

#include <algorithm>

class TDBEdit::TFieldDataLink : public TDataLink {
public:
    explicit TFieldDataLink(TDBEdit* edit) : edit_(edit) {}
    void ActiveChanged() override
    {
        // told on every state change: only opening and closing change what is shown
        if (Active() != wasActive_) {
            wasActive_ = Active();
            edit_->DataChange();
        }
    }
    void LayoutChanged() override { edit_->DataChange(); }
    void RecordChanged(TField* field) override
    {
        // a change of the whole record while the user's typing waits to be posted (going into
        // edit state, another field's change) leaves the typed text and the caret alone
        if (!field && edit_->modified_ && Editing())
            return;
        if (!field || field == edit_->Field())
            edit_->DataChange();
    }
    void EditingChanged() override { edit_->EditingChange(); }
    void UpdateData() override { edit_->UpdateData(); }

private:
    TDBEdit* edit_;
    bool wasActive_ = false;
};

TDBEdit::TDBEdit(TComponent* owner) : TEdit(owner), link_(std::make_unique<TFieldDataLink>(this))
{
    SetColor(clWindow);
    DataChange();
}

TDBEdit::~TDBEdit()
{
    BeginDestroy(); // nothing is shown (and no change fired) any more
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
    changeFired_ = true;
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
    if (ComponentState() & csDestroying)
        return;
    TField* field = Field();
    const String shown = field ? field->DisplayText() : String();
    const bool same = shown == Text();
    changeFired_ = false;
    showing_ = true;
    SetText(shown);
    showing_ = false;
    // the same text shown again (another record, a post, a cancel) is a change of the shown
    // value too: hidden edits hear of every post through it
    if (same && !changeFired_ && OnChange)
        OnChange(this);
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
    const int selStart = SelStart(), selLength = SelLength();
    // The typing is the user's from now on: putting the dataset in edit state does not show
    // the record again over it.
    const bool wasModified = modified_;
    modified_ = true;
    bool editing = false;
    try {
        editing = link_->Edit() && Field();
    } catch (...) {
        modified_ = wasModified;
        DataChange();
        throw;
    }
    if (!editing) {
        DataChange();
        return;
    }
    if (Text() != typed) {
        showing_ = true;
        SetText(typed);
        SetSelStart(selStart);
        SetSelLength(selLength);
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

// ---------------------------------------------------------------- TFieldDataLink

TField* TFieldDataLink::Field() const
{
    if (!Active() || FieldName.empty())
        return nullptr;
    return DataSet()->FindField(FieldName);
}

bool TFieldDataLink::CanModify() const
{
    TField* field = Field();
    return field && !field->ReadOnly && DataSet()->CanModify();
}

void TFieldDataLink::ActiveChanged()
{
    // told on every state change: only opening and closing change what is shown
    if (Active() == wasActive_)
        return;
    wasActive_ = Active();
    if (OnActiveChange)
        OnActiveChange();
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::LayoutChanged()
{
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::RecordChanged(TField* field)
{
    // a change of the whole record leaves a control alone while it holds the user's change,
    // not yet in the field, of a record in edit state
    if (!field && HoldsUserChange && HoldsUserChange() && Editing())
        return;
    if ((!field || field == Field()) && OnDataChange)
        OnDataChange();
}

void TFieldDataLink::EditingChanged()
{
    if (OnEditingChange)
        OnEditingChange();
}

void TFieldDataLink::UpdateData()
{
    if (OnUpdateData)
        OnUpdateData();
}

// ---------------------------------------------------------------- TDBText

TDBText::TDBText(TComponent* owner) : TLabel(owner), link_(std::make_unique<TFieldDataLink>())
{
    SetShowAccelChar(false);
    link_->OnDataChange = [this] { DataChange(); };
}

TDBText::~TDBText()
{
    link_->OnDataChange = nullptr;
    link_->OnEditingChange = nullptr;
    link_->OnUpdateData = nullptr;
    link_->SetDataSource(nullptr);
}

void TDBText::SetDataSource(TDataSource* source)
{
    link_->SetDataSource(source);
    DataChange();
}

void TDBText::SetDataField(const String& name)
{
    link_->FieldName = name;
    DataChange();
}

void TDBText::DataChange()
{
    TField* field = link_->Field();
    SetCaption(field ? field->DisplayText() : String());
}

// ---------------------------------------------------------------- TDBMemo

TDBMemo::TDBMemo(TComponent* owner) : TMemo(owner), link_(std::make_unique<TFieldDataLink>())
{
    link_->OnDataChange = [this] { DataChange(); };
    link_->OnEditingChange = [this] { EditingChange(); };
    link_->OnUpdateData = [this] { UpdateData(); };
    link_->HoldsUserChange = [this] { return modified_; };
    DataChange();
}

void TDBMemo::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_ESCAPE && modified_) {
        // Escape drops the change
        DataChange();
        key = 0;
        return;
    }
    TMemo::KeyDown(key, shift);
}

void TDBMemo::DoExit()
{
    UpdateRecord();
    TMemo::DoExit();
}

void TDBMemo::Dispatch(TMessage& m)
{
    // Escape belongs to the memo while it holds a change (the form's cancel button waits)
    if (m.Msg == CM_WANTSPECIALKEY && m.CharCode() == VK_ESCAPE && modified_) {
        m.Result = 1;
        return;
    }
    TMemo::Dispatch(m);
}

void TDBMemo::Change()
{
    UserChanged();
    TMemo::Change();
}

TDBMemo::~TDBMemo()
{
    link_->HoldsUserChange = nullptr;
    link_->OnDataChange = nullptr;
    link_->OnEditingChange = nullptr;
    link_->OnUpdateData = nullptr;
    link_->SetDataSource(nullptr);
}

void TDBMemo::SetDataSource(TDataSource* source)
{
    link_->SetDataSource(source);
    DataChange();
}

void TDBMemo::SetDataField(const String& name)
{
    link_->FieldName = name;
    DataChange();
}

void TDBMemo::DataChange()
{
    TField* field = link_->Field();
    modified_ = false;
    showing_ = true;
    SetText(field ? field->AsString() : String());
    showing_ = false;
    EditingChange();
}

void TDBMemo::EditingChange()
{
    const bool canEdit = link_->CanModify() && (link_->Editing() || link_->DataSource()->AutoEdit);
    SetReadOnly(!canEdit);
}

void TDBMemo::UserChanged()
{
    if (showing_ || !link_->Field())
        return;
    const String typed = Text();
    const int selStart = SelStart(), selLength = SelLength();
    // The typing is the user's from now on: going into edit state does not show the record
    // again over it.
    const bool wasModified = modified_;
    modified_ = true;
    showing_ = true;
    bool editing = false;
    try {
        editing = link_->Edit();
    } catch (...) {
        showing_ = false;
        modified_ = wasModified;
        DataChange();
        throw;
    }
    showing_ = false;
    if (!editing) {
        DataChange();
        return;
    }
    if (Text() != typed) {
        showing_ = true;
        SetText(typed);
        SetSelStart(selStart);
        SetSelLength(selLength);
        showing_ = false;
    }
    modified_ = true;
}

void TDBMemo::UpdateData()
{
    if (!modified_)
        return;
    if (TField* field = link_->Field())
        field->SetAsString(Text());
    modified_ = false;
}

void TDBMemo::UpdateRecord()
{
    if (modified_)
        link_->UpdateRecord();
}

// ---------------------------------------------------------------- TDBCheckBox

TDBCheckBox::TDBCheckBox(TComponent* owner) : TCheckBox(owner), link_(std::make_unique<TFieldDataLink>())
{
    link_->OnDataChange = [this] { DataChange(); };
    link_->OnEditingChange = [this] { EditingChange(); };
    DataChange();
}

TDBCheckBox::~TDBCheckBox()
{
    link_->OnDataChange = nullptr;
    link_->OnEditingChange = nullptr;
    link_->OnUpdateData = nullptr;
    link_->SetDataSource(nullptr);
}

void TDBCheckBox::SetDataSource(TDataSource* source)
{
    link_->SetDataSource(source);
    DataChange();
}

void TDBCheckBox::SetDataField(const String& name)
{
    link_->FieldName = name;
    DataChange();
}

void TDBCheckBox::DataChange()
{
    TField* field = link_->Field();
    showing_ = true;
    SetChecked(field && !field->IsNull() && SameText(field->AsString(), ValueChecked));
    showing_ = false;
    EditingChange();
}

void TDBCheckBox::EditingChange()
{
    // a box that cannot change its field does not take the user's clicks
    const bool canEdit = !ReadOnly && link_->CanModify() && (link_->Editing() || link_->DataSource()->AutoEdit);
    Widget()->setAttribute(Qt::WA_TransparentForMouseEvents, !canEdit);
    Widget()->setFocusPolicy(canEdit ? Qt::StrongFocus : Qt::NoFocus);
}

void TDBCheckBox::Click()
{
    // showing the record's value is no click: OnClick fires for the user's changes only
    if (showing_)
        return;
    if (link_->Field()) {
        const bool checked = Checked();
        showing_ = true;
        bool editing = false;
        try {
            editing = !ReadOnly && link_->Edit();
        } catch (...) {
            showing_ = false;
            DataChange();
            throw;
        }
        showing_ = false;
        if (!editing) {
            DataChange();
            return;
        }
        link_->Field()->SetAsString(checked ? ValueChecked : ValueUnchecked);
    }
    TCheckBox::Click();
}

// ---------------------------------------------------------------- TDBLookupComboBox

class TDBLookupComboBox::TListLink : public TDataLink {
public:
    explicit TListLink(TDBLookupComboBox* box) : box_(box) {}
    void ActiveChanged() override { box_->FillList(); }
    void DataSetChanged() override { box_->FillList(); }
    void DataSetScrolled(int) override {}
    void LayoutChanged() override { box_->FillList(); }

private:
    TDBLookupComboBox* box_;
};

class TLookupHost : public QComboBox, public TControlHostLink {
public:
    TLookupHost()
    {
        QObject::connect(this, &QComboBox::activated, [this](int index) {
            if (auto* box = dynamic_cast<TDBLookupComboBox*>(control_))
                Application->Guard([box, index] { box->UserPicked(index); }, box);
        });
    }
    void showPopup() override
    {
        if (auto* box = dynamic_cast<TDBLookupComboBox*>(control_); box && box->OnDropDown)
            Application->Guard([box] { box->OnDropDown(box); }, box);
        QComboBox::showPopup();
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (auto* box = dynamic_cast<TDBLookupComboBox*>(control_); box && box->OnCloseUp)
            Application->Guard([box] { box->OnCloseUp(box); }, box);
    }
};

TDBLookupComboBox::TDBLookupComboBox(TComponent* owner)
    : TWinControl(owner, new TLookupHost), link_(std::make_unique<TFieldDataLink>()),
      listLink_(std::make_unique<TListLink>(this))
{
    TabStop = true;
    SetBounds(0, 0, 145, 21);
    SetColor(clWindow);
    link_->OnDataChange = [this] { DataChange(); };
    link_->OnEditingChange = [this] { EditingChange(); };
}

TDBLookupComboBox::~TDBLookupComboBox()
{
    link_->OnDataChange = nullptr;
    link_->OnEditingChange = nullptr;
    link_->OnUpdateData = nullptr;
    link_->SetDataSource(nullptr);
    listLink_->SetDataSource(nullptr);
}

QComboBox* TDBLookupComboBox::Widget() const { return static_cast<QComboBox*>(Host()); }

void TDBLookupComboBox::SetDataSource(TDataSource* source)
{
    link_->SetDataSource(source);
    DataChange();
}

void TDBLookupComboBox::SetDataField(const String& name)
{
    link_->FieldName = name;
    DataChange();
}

TDataSource* TDBLookupComboBox::ListSource() const { return listLink_->DataSource(); }

void TDBLookupComboBox::SetListSource(TDataSource* source)
{
    listLink_->SetDataSource(source);
    FillList();
}

void TDBLookupComboBox::SetKeyField(const String& name)
{
    keyField_ = name;
    FillList();
}

void TDBLookupComboBox::SetListField(const String& name)
{
    listField_ = name;
    FillList();
}

void TDBLookupComboBox::SetColor(TColor color)
{
    TWinControl::SetColor(color);
    QPalette palette = Widget()->palette();
    palette.setColor(QPalette::Base, ColorRefToQColor(ColorToColorRef(color)));
    palette.setColor(QPalette::Button, ColorRefToQColor(ColorToColorRef(color)));
    Widget()->setPalette(palette);
}

void TDBLookupComboBox::FillList()
{
    showing_ = true;
    Widget()->clear();
    keys_.clear();
    TDataSet* list = listLink_->Active() ? listLink_->DataSet() : nullptr;
    TField* keyField = list && !keyField_.empty() ? list->FindField(keyField_) : nullptr;
    // the list field may name several fields separated by ';': the first is shown
    String shown = listField_;
    if (const auto semi = shown.find(';'); semi != String::npos)
        shown = shown.substr(0, semi);
    TField* listField = list && !shown.empty() ? list->FindField(shown) : keyField;
    if (keyField && listField) {
        const int n = list->RecordCount();
        for (int row = 0; row < n; ++row) {
            keys_.push_back(list->StoredRowValue(row, keyField->Index()));
            Widget()->addItem(ToQString(listField->TextOf(list->StoredRowValue(row, listField->Index()))));
        }
    }
    Widget()->setMaxVisibleItems(std::max(1, DropDownRows));
    showing_ = false;
    DataChange();
}

void TDBLookupComboBox::DataChange()
{
    TField* field = link_->Field();
    key_ = field ? field->Value() : Variant();
    int index = -1;
    if (!VarIsNull(key_))
        for (size_t i = 0; i < keys_.size(); ++i)
            if (!VarIsNull(keys_[i]) && CompareVariants(keys_[i], key_, true) == 0) {
                index = int(i);
                break;
            }
    showing_ = true;
    Widget()->setCurrentIndex(index);
    showing_ = false;
    EditingChange();
}

void TDBLookupComboBox::EditingChange()
{
    const bool canEdit = !ReadOnly && link_->CanModify() && (link_->Editing() || link_->DataSource()->AutoEdit);
    Widget()->setAttribute(Qt::WA_TransparentForMouseEvents, !canEdit);
    Widget()->setFocusPolicy(canEdit ? Qt::StrongFocus : Qt::NoFocus);
}

Variant TDBLookupComboBox::KeyValue() const { return key_; }

void TDBLookupComboBox::SetKeyValue(const Variant& key)
{
    key_ = key;
    int index = -1;
    for (size_t i = 0; i < keys_.size() && !VarIsNull(key); ++i)
        if (CompareVariants(keys_[i], key, true) == 0)
            index = int(i);
    showing_ = true;
    Widget()->setCurrentIndex(index);
    showing_ = false;
}

String TDBLookupComboBox::Text() const { return FromQString(Widget()->currentText()); }
int TDBLookupComboBox::ItemCount() const { return Widget()->count(); }
String TDBLookupComboBox::Item(int index) const { return FromQString(Widget()->itemText(index)); }

void TDBLookupComboBox::SelectItem(int index)
{
    if (index < 0 || index >= ItemCount())
        return;
    showing_ = true;
    Widget()->setCurrentIndex(index);
    showing_ = false;
    UserPicked(index);
}

void TDBLookupComboBox::UserPicked(int index)
{
    if (showing_ || index < 0 || index >= int(keys_.size()))
        return;
    TField* field = link_->Field();
    if (field && !ReadOnly) {
        bool editing = false;
        try {
            editing = link_->Edit();
        } catch (...) {
            DataChange();
            throw;
        }
        if (!editing) {
            DataChange();
            return;
        }
        field->SetValue(keys_[size_t(index)]);
    }
    key_ = keys_[size_t(index)];
    // the record may show again: keep the pick
    showing_ = true;
    Widget()->setCurrentIndex(index);
    showing_ = false;
    if (TControl::OnClick)
        TControl::OnClick(this);
}

// ---------------------------------------------------------------- TDBNavigator

class TDBNavigator::TNavLink : public TDataLink {
public:
    explicit TNavLink(TDBNavigator* nav) : nav_(nav) {}
    void ActiveChanged() override { nav_->UpdateButtons(); }
    void DataSetChanged() override { nav_->UpdateButtons(); }
    void EditingChanged() override { nav_->UpdateButtons(); }

private:
    TDBNavigator* nav_;
};

namespace {

struct NavButtonInfo {
    const char* glyph;
    const char* hint;
};
// in the order of TNavigateBtn
const NavButtonInfo navButtons[] = {
    {"|\u25C0", "First record"}, {"\u25C0", "Prior record"}, {"\u25B6", "Next record"}, {"\u25B6|", "Last record"},
    {"+", "Insert record"},      {"\u2212", "Delete record"}, {"\u25B2", "Edit record"}, {"\u2713", "Post edit"},
    {"\u2717", "Cancel edit"},   {"\u21BB", "Refresh data"},
};

class TNavButtonHost : public QToolButton, public TControlHostLink {};

} // namespace

TDBNavigator::TDBNavigator(TComponent* owner)
    : TWinControl(owner, new QWidget), link_(std::make_unique<TNavLink>(this))
{
    for (int i = nbFirst; i <= nbRefresh; ++i) {
        visible_ << TNavigateBtn(i);
        auto* host = new TNavButtonHost;
        host->setText(QString::fromUtf8(navButtons[i].glyph));
        host->setToolTip(QString::fromLatin1(navButtons[i].hint));
        host->setFocusPolicy(Qt::NoFocus);
        auto* button = new TWinControl(nullptr, host);
        button->SetHint(navButtons[i].hint);
        button->SetParent(this);
        const auto which = TNavigateBtn(i);
        QObject::connect(host, &QToolButton::clicked, [this, which] {
            Application->Guard([this, which] { BtnClick(which); }, this);
        });
        buttons_.push_back(button);
    }
    SetBounds(0, 0, 240, 25);
    UpdateButtons();
}

TDBNavigator::~TDBNavigator()
{
    link_->SetDataSource(nullptr);
}

TDataSource* TDBNavigator::DataSource() const { return link_->DataSource(); }

void TDBNavigator::SetDataSource(TDataSource* source)
{
    link_->SetDataSource(source);
    UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(const TButtonSet& buttons)
{
    visible_ = buttons;
    for (int i = nbFirst; i <= nbRefresh; ++i)
        buttons_[size_t(i)]->SetVisible(visible_.Contains(TNavigateBtn(i)));
    Arrange();
}

void TDBNavigator::SetShowHint(bool on)
{
    ShowHint = on;
    for (int i = nbFirst; i <= nbRefresh; ++i)
        buttons_[size_t(i)]->Host()->setToolTip(on ? QString::fromLatin1(navButtons[i].hint) : QString());
}

void TDBNavigator::SetBounds(int left, int top, int width, int height)
{
    TWinControl::SetBounds(left, top, width, height);
    Arrange();
}

void TDBNavigator::Arrange()
{
    // the visible buttons share the width; the remainder goes to the first ones
    int count = 0;
    for (int i = nbFirst; i <= nbRefresh; ++i)
        count += visible_.Contains(TNavigateBtn(i)) ? 1 : 0;
    if (count == 0)
        return;
    const int w = Width() / count;
    int extra = Width() - w * count;
    int x = 0;
    for (int i = nbFirst; i <= nbRefresh; ++i) {
        if (!visible_.Contains(TNavigateBtn(i)))
            continue;
        const int bw = w + (extra > 0 ? 1 : 0);
        extra = std::max(0, extra - 1);
        buttons_[size_t(i)]->SetBounds(x, 0, bw, Height());
        x += bw;
    }
}

bool TDBNavigator::ButtonEnabled(TNavigateBtn button) const { return buttons_[size_t(button)]->Enabled(); }
bool TDBNavigator::ButtonVisible(TNavigateBtn button) const { return visible_.Contains(button); }

void TDBNavigator::UpdateButtons()
{
    const bool active = link_->Active();
    TDataSet* ds = active ? link_->DataSet() : nullptr;
    const bool editing = active && link_->Editing();
    const bool canModify = active && ds->CanModify();
    const bool up = active && !ds->Bof() && !editing;
    const bool down = active && !ds->Eof() && !editing;
    const bool empty = !active || ds->IsEmpty();
    const bool state[] = {
        up || (active && !editing && ds->RecNo() > 1),
        up || (active && !editing && ds->RecNo() > 1),
        down || (active && !editing && ds->RecNo() < ds->RecordCount()),
        down || (active && !editing && ds->RecNo() < ds->RecordCount()),
        canModify,
        canModify && !empty,
        canModify && !editing && !empty,
        canModify && editing,
        canModify && editing,
        active && !editing,
    };
    for (int i = nbFirst; i <= nbRefresh; ++i)
        buttons_[size_t(i)]->SetEnabled(state[i]);
}

void TDBNavigator::BtnClick(TNavigateBtn button)
{
    if (!link_->Active())
        return;
    if (BeforeAction)
        BeforeAction(this, button);
    TDataSet* ds = link_->DataSet();
    switch (button) {
    case nbFirst: ds->First(); break;
    case nbPrior: ds->Prior(); break;
    case nbNext: ds->Next(); break;
    case nbLast: ds->Last(); break;
    case nbInsert: ds->Insert(); break;
    case nbEdit: ds->Edit(); break;
    case nbPost: ds->Post(); break;
    case nbCancel: ds->Cancel(); break;
    case nbRefresh: ds->Refresh(); break;
    case nbDelete:
        if (!ConfirmDelete || MessageDlg("Delete record?", mtConfirmation, mbOKCancel, 0) != mrCancel)
            ds->Delete();
        break;
    }
    if (OnClick)
        OnClick(this, button);
}
