#pragma once
// Data-aware controls: TDBEdit shows one field of a data source's current record and writes
// the user's edit back into it.
#include "StdCtrls.h"

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
};
