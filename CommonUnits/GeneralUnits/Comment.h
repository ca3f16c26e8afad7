#pragma once
// The comment window: a modal memo on the field "Comments" of the current record of whatever
// table its caller's data source shows. The window keeps no text of its own: every change goes
// into the record, which the caller posts.
#include "platform/db/DB.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"

class TfrmComment : public TForm {
public:
    explicit TfrmComment(TComponent* owner);
    ~TfrmComment() override;

    TDBMemo* mmComment = nullptr;
    TPanel* pnlButtons = nullptr; // the strip under the memo that holds the button
    TButton* btnClose = nullptr;

    // Binds the memo to the field "Comments" of the data source's dataset (nullptr unbinds).
    // A dataset without that field raises EDatabaseError "Field 'Comments' not found".
    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const;

    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void FormResize(TObject* Sender);
    void mmCommentChange(TObject* Sender);
    void btnCloseClick(TObject* Sender);

private:
    bool filtering_ = false;
};
