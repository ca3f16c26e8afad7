#pragma once
// The about box: product name, program and database version, release date, credits and
// the acknowledgement text.
#include "platform/framework/Forms.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TfrmAbout : public TForm {
public:
    explicit TfrmAbout(TComponent* owner);

    TWinControl* Panel1 = nullptr;       // sunken panel holding everything but the button
    TControl* lblProductName = nullptr;
    TControl* Bevel1 = nullptr;          // separator line under the product name
    TControl* Label1 = nullptr;          // GUI version
    TControl* Label2 = nullptr;          // database version
    TControl* Label3 = nullptr;          // release date
    TWinControl* memGuiCredits = nullptr;
    TWinControl* memKernelCredits = nullptr;
    TWinControl* Memo2 = nullptr;        // the about text
    TWinControl* btnClose = nullptr;

    QLabel* LabelOf(TControl* label) const;
    QPlainTextEdit* MemoOf(TWinControl* memo) const;
    QPushButton* CloseButton() const;

    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void btnCloseClick(TObject* Sender);

private:
    TControl* AddLabel(const String& name, const String& caption, int left, int top, int width, int height);
    TWinControl* AddMemo(const String& name, const String& text, int left, int top, int width, int height);
};
