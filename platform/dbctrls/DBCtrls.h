#pragma once
// Data-aware controls: each shows one field of a data source's current record (TDBEdit,
// TDBText, TDBMemo, TDBCheckBox, TDBLookupComboBox) and writes the user's change back into it;
// TDBNavigator moves through the dataset and edits, inserts, posts, cancels and deletes.
//
// TDBEdit fires OnChange whenever the value it shows changes or is shown again: typing, moving
// to another record, a post or a cancel (hidden edits use it to hear of every post).
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/StdCtrls.h"

#include "platform/db/DB.h"

#include <memory>

class TDBEdit : public TEdit {
public:
    explicit TDBEdit(TComponent* owner);
    ~TDBEdit() override;
    String ClassName() const override { return "TDBEdit"; }

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    const String& DataField() const { return dataField_; }
    void SetDataField(const String& name);
    // The field shown, null while the source is inactive or has no such field.
    TField* Field() const;
    // True while the text holds an edit that has not reached the field yet.
    bool Modified() const { return modified_; }


    // Writes a pending edit into the field (the dataset is in edit state already). A text the
    // field refuses raises its error and the edit keeps the text.
    void UpdateRecord();

protected:
    void Change() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void DoExit() override;
    void Dispatch(TMessage& message) override;

private:
    class TFieldDataLink;
    friend class TFieldDataLink;
    void DataChange();      // shows the field's current value, dropping a pending edit
    void EditingChange();
    void UpdateData();      // the link asks for the pending edit before a post
    void UserEdited();
    void ExitEdit();        // focus leaves: the pending edit goes into the field
    void KeyEnter();
    void KeyEscape();

    std::unique_ptr<TFieldDataLink> link_;
    String dataField_;
    bool modified_ = false;
    bool showing_ = false;
    bool changeFired_ = false;
};

// The link of a control to one field of a data source: tells the control when the field's
// value (or the record, the state, the dataset) changes and asks it for a pending change.
class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink() = default;
    String FieldName;
    // The field, null while inactive or without such a field.
    TField* Field() const;
    bool CanModify() const;
    std::function<void()> OnDataChange;
    std::function<void()> OnEditingChange;
    std::function<void()> OnUpdateData;
    std::function<void()> OnActiveChange;
    // True while the control holds a change of the user's that is not in the field yet.
    std::function<bool()> HoldsUserChange;

    void ActiveChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void EditingChanged() override;
    void UpdateData() override;

private:
    bool wasActive_ = false;
};

// A label showing the field's text.
class TDBText : public TLabel {
public:
    explicit TDBText(TComponent* owner);
    ~TDBText() override;
    String ClassName() const override { return "TDBText"; }
    TDataSource* DataSource() const { return link_->DataSource(); }
    void SetDataSource(TDataSource* source);
    String DataField() const { return link_->FieldName; }
    void SetDataField(const String& name);
    TField* Field() const { return link_->Field(); }

private:
    void DataChange();
    std::unique_ptr<TFieldDataLink> link_;
};

// A memo on the field: typing puts the record in edit state; the text goes into the field
// when the memo is left and before a post; Escape drops it.
class TDBMemo : public TMemo {
public:
    explicit TDBMemo(TComponent* owner);
    ~TDBMemo() override;
    String ClassName() const override { return "TDBMemo"; }
    TDataSource* DataSource() const { return link_->DataSource(); }
    void SetDataSource(TDataSource* source);
    String DataField() const { return link_->FieldName; }
    void SetDataField(const String& name);
    TField* Field() const { return link_->Field(); }
    bool Modified() const { return modified_; }
    // Writes a pending change into the field now.
    void UpdateRecord();

protected:
    // A typed change puts the record in edit state first; then OnChange fires.
    void Change() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void DoExit() override;
    void Dispatch(TMessage& message) override;

private:
    void DataChange();
    void EditingChange();
    void UserChanged();
    void UpdateData();
    std::unique_ptr<TFieldDataLink> link_;
    bool showing_ = false;
    bool modified_ = false;
};

// A check box on the field: checked while the field's text equals ValueChecked (case-blind);
// the user's click writes ValueChecked or ValueUnchecked. A null field or another text shows
// unchecked.
class TDBCheckBox : public TCheckBox {
public:
    explicit TDBCheckBox(TComponent* owner);
    ~TDBCheckBox() override;
    String ClassName() const override { return "TDBCheckBox"; }
    TDataSource* DataSource() const { return link_->DataSource(); }
    void SetDataSource(TDataSource* source);
    String DataField() const { return link_->FieldName; }
    void SetDataField(const String& name);
    TField* Field() const { return link_->Field(); }
    String ValueChecked = "True";
    String ValueUnchecked = "False";
    bool ReadOnly = false;
    void Click() override;

private:
    void DataChange();
    void EditingChange();
    std::unique_ptr<TFieldDataLink> link_;
    bool showing_ = false;
};

// A drop-down list on the field that stores a key: the list shows ListField of the rows of
// ListSource and writes the picked row's KeyField into DataField. OnClick fires on the user's
// pick only, not when the record or the list changes.
class TDBLookupComboBox : public TWinControl {
public:
    explicit TDBLookupComboBox(TComponent* owner);
    ~TDBLookupComboBox() override;
    String ClassName() const override { return "TDBLookupComboBox"; }
    TDataSource* DataSource() const { return link_->DataSource(); }
    void SetDataSource(TDataSource* source);
    String DataField() const { return link_->FieldName; }
    void SetDataField(const String& name);
    TField* Field() const { return link_->Field(); }
    TDataSource* ListSource() const;
    void SetListSource(TDataSource* source);
    String KeyField() const { return keyField_; }
    void SetKeyField(const String& name);
    String ListField() const { return listField_; }
    void SetListField(const String& name);
    int DropDownRows = 7;
    bool ReadOnly = false;
    // The key of the row shown (null when none) and the text shown.
    Variant KeyValue() const;
    void SetKeyValue(const Variant& key);
    String Text() const;
    // The texts offered, in the list's order.
    int ItemCount() const;
    String Item(int index) const;
    // Picks the row of `index` as the user does (writes the key, fires OnClick).
    void SelectItem(int index);
    void SetColor(TColor color) override;
    TNotifyEvent OnCloseUp;
    TNotifyEvent OnDropDown;
    QComboBox* Widget() const;

private:
    class TListLink;
    friend class TListLink;
    friend class TLookupHost;
    void FillList();
    void DataChange();
    void EditingChange();
    void UserPicked(int index);
    std::unique_ptr<TFieldDataLink> link_;
    std::unique_ptr<TListLink> listLink_;
    std::vector<Variant> keys_;
    String keyField_;
    String listField_;
    Variant key_;
    bool showing_ = false;
};

// ---------------------------------------------------------------- navigator

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
using TButtonSet = TSet<TNavigateBtn>;
using TNavClick = std::function<void(TObject* Sender, TNavigateBtn Button)>;

// A row of buttons that move through and edit the dataset of DataSource. A click runs
// BeforeAction (which may stop the action by raising EAbort), the action (with ConfirmDelete
// the delete asks "Delete record?" first) and then OnClick. The buttons are enabled as the
// dataset allows.
class TDBNavigator : public TWinControl {
public:
    explicit TDBNavigator(TComponent* owner);
    ~TDBNavigator() override;
    String ClassName() const override { return "TDBNavigator"; }
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    TButtonSet VisibleButtons() const { return visible_; }
    void SetVisibleButtons(const TButtonSet& buttons);
    bool ConfirmDelete = true;
    bool Flat = false;
    // The hints of the buttons in the order of TNavigateBtn.
    void SetShowHint(bool on);
    // Runs a button as the user's click does.
    void BtnClick(TNavigateBtn button);
    bool ButtonEnabled(TNavigateBtn button) const;
    bool ButtonVisible(TNavigateBtn button) const;
    TNavClick BeforeAction;
    TNavClick OnClick;
    void SetBounds(int left, int top, int width, int height) override;

private:
    class TNavLink;
    friend class TNavLink;
    void UpdateButtons();
    void Arrange();
    std::unique_ptr<TNavLink> link_;
    std::vector<TControl*> buttons_;
    TButtonSet visible_;
};
