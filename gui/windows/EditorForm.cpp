#include "gui/windows/EditorForm.h"

#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"

#include <algorithm>
#include <memory>

TEditorForm::TEditorForm(TComponent* owner, const String& captionTitle, int helpContext)
    : TForm(owner), captionTitle_(captionTitle), helpContext_(helpContext)
{
    SetCaption("This text should not show");
    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
}

TEditorForm::~TEditorForm()
{
    DetachHandlers();
}

void TEditorForm::FormCreate(TObject*)
{
    SetCaption(Format(captionTitle_, {GetApplicationTitle()}));
}

void TEditorForm::FormActivate(TObject*)
{
    Screen->SetCursor(crHourGlass);
    OpenTables();
    AfterOpenTables();
}

void TEditorForm::FormClose(TObject*, TCloseAction& action)
{
    try {
        for (TTable* table : TablesPostedOnClose)
            PostPendingEdits(table);
    } catch (EAbort&) {
        // No or Cancel at the save prompt, or a rule's refusal: the window stays open
        action = caNone;
        return;
    } catch (...) {
        action = caNone;
        throw;
    }
    DetachHandlers();
    BeforeCloseDone();
}

void TEditorForm::WireNavigator(TDBNavigator* navigator, TWinControl* focusOnInsert, TWinControl* focusOnCancel,
                                std::function<void()> afterClick)
{
    navigator->ConfirmDelete = false; // the data module's delete rule asks
    navigator->BeforeAction = [](TObject*, TNavigateBtn button) {
        Screen->SetCursor(crHourGlass);
        // an explicit post is not met by the save prompt
        if (button == nbPost)
            dmQuelm->ConfirmOff();
    };
    navigator->OnClick = [focusOnInsert, focusOnCancel, afterClick](TObject*, TNavigateBtn button) {
        dmQuelm->ConfirmOn();
        if (button == nbInsert && focusOnInsert && focusOnInsert->Visible())
            focusOnInsert->SetFocus();
        if (button == nbCancel && focusOnCancel && focusOnCancel->Visible())
            focusOnCancel->SetFocus();
        if (afterClick)
            afterClick();
    };
}

void TEditorForm::WireCommentsButton(TButton* button, TDataSource* source)
{
    button->OnClick = [source](TObject*) { EditComment(source); };
}

void TEditorForm::RemoveExtendedChars(TEdit* edit)
{
    const String text = edit->Text();
    if (!HasExtendedAscii(text))
        return;
    const int caret = edit->SelStart();
    const String stripped = StripExtendedAscii(text);
    edit->SetText(stripped);
    // one place before the caret, and always within the text that is left
    edit->SetSelStart(std::clamp(caret - 1, 0, static_cast<int>(stripped.size())));
}

void TEditorForm::WireCharacterFilter(TEdit* edit)
{
    auto previous = edit->OnChange;
    edit->OnChange = [edit, previous](TObject* sender) {
        if (previous)
            previous(sender);
        RemoveExtendedChars(edit);
    };
}

void TEditorForm::CopyRecord(const TCopySpec& plan)
{
    TTable* master = plan.master;
    Screen->SetCursor(crHourGlass);
    PostPendingEdits(master);
    for (TTable* table : plan.postFirst)
        PostPendingEdits(table);

    const String oldKey = master->FieldByName(plan.keyField)->AsString();
    const String oldName = plan.nameField.empty() ? String() : master->FieldByName(plan.nameField)->AsString();
    const String newKey = plan.fixedKey.empty() ? "copy_" + oldKey : plan.fixedKey;
    const Variant newKeyValue(ToQString(newKey));

    std::unique_ptr<TTable> clone(CloneTable(master));
    clone->Locate(plan.keyField, Variant(ToQString(oldKey)), loCaseInsensitive);

    // The record and its child rows are one change: a failure anywhere leaves no part of it.
    auto transaction = std::make_unique<TdmQuelm::TTransactionScope>(dmQuelm->dbDatabase);
    master->Insert();
    CopyFieldValues(clone.get(), master);
    master->FieldByName(plan.keyField)->SetAsString(newKey);
    if (!plan.nameField.empty())
        master->FieldByName(plan.nameField)->SetAsString("copy_" + oldName);
    if (plan.resetMorvaSelected)
        master->FieldByName("MORVASELECTED")->SetAsInteger(0);
    dmQuelm->ConfirmOff();
    try {
        master->Post();
    } catch (...) {
        // a refused post (the key exists already) leaves the new record in insert state, for
        // the user to change its key or cancel; what the post's rules did is rolled back
        transaction.reset();
        dmQuelm->ConfirmOn();
        if (master->State() != dsInsert) {
            master->Refresh();
            master->Locate(plan.keyField, Variant(ToQString(oldKey)), loCaseInsensitive);
        }
        throw;
    }
    clone.reset();

    try {
        OpenOrRefresh(master);
        // the child tables show the rows of the new record while they are purged
        master->Locate(plan.keyField, newKeyValue, loCaseInsensitive);
        for (const TChildCopy& child : plan.children) {
            OpenOrRefresh(child.table);
            if (child.purge) {
                // the default rows that posting the copy made give way to the copied ones
                while (child.table->Locate(child.keyField, newKeyValue, loCaseInsensitive)) {
                    dmQuelm->ConfirmOff();
                    child.table->Delete();
                }
            }
            CopyRecordsWithKey(child.table, child.keyField, oldKey, newKey);
        }
        transaction->Commit();
    } catch (...) {
        transaction.reset(); // rolled back: the datasets forget the copy too
        dmQuelm->ConfirmOn();
        master->Refresh();
        master->Locate(plan.keyField, Variant(ToQString(oldKey)), loCaseInsensitive);
        for (const TChildCopy& child : plan.children)
            if (child.table->Active())
                child.table->Refresh();
        throw;
    }
    master->Locate(plan.keyField, newKeyValue, loCaseInsensitive);
}

void TEditorForm::AttachMasterStatePanel(TDataSource* master, TControl* childPanel, TLabel* message,
                                         std::vector<TTable*> children)
{
    stateSource_ = master;
    childPanel_ = childPanel;
    stateMessage_ = message;
    stateChildren_ = std::move(children);
    message->SetVisible(false);
    master->OnStateChange = [this](TObject*) {
        switch (stateSource_->State()) {
        case dsEdit:
        case dsInsert:
            childPanel_->SetVisible(false);
            stateMessage_->SetVisible(true);
            break;
        case dsBrowse:
            childPanel_->SetVisible(true);
            for (TTable* child : stateChildren_)
                OpenOrRefresh(child);
            stateMessage_->SetVisible(false);
            break;
        default:
            MessageDlg("Internal error", mtError, {mbOK}, 0);
            break;
        }
    };
}

void TEditorForm::AttachScrollRule(TTable* master, const String& codeField, std::vector<TControl*> editing)
{
    scrollMaster_ = master;
    scrollCodeField_ = codeField;
    scrollEditing_ = std::move(editing);
    master->AfterScroll = [this](TDataSet*) { ScrollRule(); };
    ScrollRule();
}

void TEditorForm::ScrollRule()
{
    if (!scrollMaster_ || !scrollMaster_->Active())
        return;
    if (scrollMaster_->Eof() && !scrollMaster_->IsEmpty())
        scrollMaster_->Refresh();
    const bool none = UpperCase(scrollMaster_->FieldByName(scrollCodeField_)->AsString()) == "NO";
    // the child panel stays hidden while the master is edited (an insert scrolls, too)
    const bool editing = stateSource_ && stateSource_->State() != dsBrowse;
    for (TControl* control : scrollEditing_)
        control->SetVisible(!none && !(editing && control == childPanel_));
}

void TEditorForm::DetachHandlers()
{
    if (stateSource_)
        stateSource_->OnStateChange = nullptr;
    if (scrollMaster_)
        scrollMaster_->AfterScroll = nullptr;
    stateSource_ = nullptr;
    scrollMaster_ = nullptr;
}
