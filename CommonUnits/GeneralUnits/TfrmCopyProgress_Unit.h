#pragma once
// The copy-progress window: how many rows a copy of detail records has scanned and copied.
// The copying routine creates it, shows it without making it modal, sets the counts and
// frees it when the scan ends.
#include "platform/framework/Forms.h"

class QLineEdit;

class TfrmCopyProgress : public TForm {
public:
    explicit TfrmCopyProgress(TComponent* owner);

    TWinControl* lblRecordsProcessed = nullptr; // "Records scanned:"
    TWinControl* lblRecordsCopied = nullptr;    // "Records copied:"
    TWinControl* edtRecordsProcessed = nullptr;
    TWinControl* edtRecordsCopied = nullptr;

    // Writes a count into its edit as decimal digits and repaints that edit at once.
    void ShowScanned(int count);
    void ShowCopied(int count);
    QLineEdit* ScannedEdit() const;
    QLineEdit* CopiedEdit() const;

    void FormCreate(TObject* Sender);
};
