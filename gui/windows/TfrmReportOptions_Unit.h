#pragma once
// The choice between the report of the current run and the project summary; the caller reads
// ReportOptions' item index after OK.
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

class TfrmReportOptions : public TForm {
public:
    explicit TfrmReportOptions(TComponent* owner);
    String ClassName() const override { return "TfrmReportOptions"; }

    enum { RunReport = 0, ProjectSummary = 1 };
    TRadioGroup* ReportOptions = nullptr;
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;

    void FormCreate(TObject* sender);
};
