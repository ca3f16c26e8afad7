#pragma once
// The copy-progress window: how many rows a copy of detail records has scanned and copied.
// The copying routine creates it, shows it without making it modal, sets the counts and
// frees it when the scan ends.
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

class TfrmCopyProgress : public TForm {
public:
    explicit TfrmCopyProgress(TComponent* owner);

    TLabel* lblRecordsProcessed = nullptr; // "Records scanned:"
    TLabel* lblRecordsCopied = nullptr;    // "Records copied:"
    TEdit* edtRecordsProcessed = nullptr;
    TEdit* edtRecordsCopied = nullptr;

    // Writes a count into its edit as decimal digits and repaints that edit at once.
    void ShowScanned(int count);
    void ShowCopied(int count);

    void FormCreate(TObject* Sender);
};
