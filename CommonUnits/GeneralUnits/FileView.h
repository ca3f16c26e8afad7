#pragma once
// The file viewer: a centred, resizable window that shows a text file read-only in
// Memo_File above a "&Close" button.
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

class QPlainTextEdit;

class TfrmFileView : public TForm {
public:
    explicit TfrmFileView(TComponent* owner);

    // An existing file: caption "File view of: <path>" and the whole file in the memo.
    // Otherwise the warning 'File: "<path>" not found' and an empty viewer.
    void LoadFile(const String& filePath);

    TWinControl* Memo_File = nullptr;
    TButton* btnClose = nullptr;
    QPlainTextEdit* Memo() const;

    void FormCreate(TObject* Sender);
    void btnCloseClick(TObject* Sender);
};
