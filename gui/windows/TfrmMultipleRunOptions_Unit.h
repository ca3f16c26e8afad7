#pragma once
// The options of a calculation of several runs: the kernel's window type and whether the
// calculation stops at the first model error.
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

class TfrmMultipleRunOptions : public TForm {
public:
    explicit TfrmMultipleRunOptions(TComponent* owner);
    String ClassName() const override { return "TfrmMultipleRunOptions"; }

    TCheckBox* cbxStopOnError = nullptr;
    TRadioGroup* rgWindowType = nullptr; // item index = TRunWindowMode
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;

    void FormCreate(TObject* sender);
};
