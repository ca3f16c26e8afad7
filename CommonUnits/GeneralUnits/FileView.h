#pragma once
// The file viewer: a centred, resizable window that shows a text file read-only in
// Memo_File above a "&Close" button, in a fixed-pitch font, with both scroll bars.
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

class TfrmFileView : public TForm {
public:
    explicit TfrmFileView(TComponent* owner);

    // An existing file: caption "File view of: <path>" and the whole file in the memo.
    // Otherwise the warning 'File: "<path>" not found' and an empty viewer.
    void LoadFile(const String& filePath);

    TMemo* Memo_File = nullptr;
    TPanel* pnlButtons = nullptr; // the strip under the memo that holds the button
    TButton* btnClose = nullptr;

    void FormCreate(TObject* Sender);
    void FormResize(TObject* Sender);
    void btnCloseClick(TObject* Sender);
};
