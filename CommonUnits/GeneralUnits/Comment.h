#pragma once
// The comment window: a modal memo on the field "Comments" of the current record of whatever
// table its caller's data source shows. The window keeps no text of its own: every change goes
// into the record, which the caller posts.
#include "platform/db/DB.h"
#include "platform/framework/Forms.h"

#include <memory>

class QPlainTextEdit;
class QPushButton;

class TfrmComment : public TForm {
public:
    explicit TfrmComment(TComponent* owner);
    ~TfrmComment() override;

    TWinControl* mmComment = nullptr; // the data-aware memo
    TWinControl* btnClose = nullptr;

    // Binds the memo to the field "Comments" of the data source's dataset (nullptr unbinds).
    // A dataset without that field raises EDatabaseError "Field 'Comments' not found".
    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const;
    QPlainTextEdit* Memo() const;
    QPushButton* CloseButton() const;

    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void mmCommentChange(TObject* Sender);
    void btnCloseClick(TObject* Sender);

private:
    class TMemoLink;
    friend class TMemoLink;
    void MemoTextChanged();
    void LoadFromField();
    void StoreInField();
    std::unique_ptr<TMemoLink> link_;
    bool loading_ = false;
};
