#pragma once
// The about box: product name, program and database version, release date, credits and
// the acknowledgement text.
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

class TfrmAbout : public TForm {
public:
    explicit TfrmAbout(TComponent* owner);

    TPanel* Panel1 = nullptr;            // sunken panel holding everything but the button
    TLabel* lblProductName = nullptr;
    TBevel* Bevel1 = nullptr;            // separator line under the product name
    TLabel* Label1 = nullptr;            // GUI version
    TLabel* Label2 = nullptr;            // database version
    TLabel* Label3 = nullptr;            // release date
    TMemo* memGuiCredits = nullptr;
    TMemo* memKernelCredits = nullptr;
    TMemo* Memo2 = nullptr;              // the about text
    TButton* btnClose = nullptr;

    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void btnCloseClick(TObject* Sender);

private:
    TLabel* AddLabel(const String& name, const String& caption, int left, int top, int width, int height);
    TMemo* AddMemo(const String& name, const String& text, int left, int top, int width, int height);
};
