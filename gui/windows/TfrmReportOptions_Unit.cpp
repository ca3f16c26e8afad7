#include "gui/windows/TfrmReportOptions_Unit.h"

#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"

TfrmReportOptions::TfrmReportOptions(TComponent* owner) : TForm(owner)
{
    SetName("frmReportOptions");
    SetBorderStyle(bsDialog);
    SetBorderIcons(TBorderIcons());
    Position = poScreenCenter;
    SetClientWidth(352);
    SetClientHeight(132);

    ReportOptions = new TRadioGroup(this);
    ReportOptions->SetName("ReportOptions");
    ReportOptions->SetParent(this);
    ReportOptions->SetCaption(" Choose a report option ");
    ReportOptions->SetBounds(12, 8, 328, 78);
    ReportOptions->Items()->Add("Report of this run only");
    ReportOptions->Items()->Add("Report of all runs in project (=Project summary)");
    ReportOptions->SetItemIndex(RunReport);

    btnOK = new TButton(this);
    btnOK->SetName("btnOK");
    btnOK->SetParent(this);
    btnOK->SetCaption("OK");
    btnOK->SetDefault(true);
    btnOK->ModalResult = mrOk;
    btnOK->SetBounds(184, 97, 75, 25);

    btnCancel = new TButton(this);
    btnCancel->SetName("btnCancel");
    btnCancel->SetParent(this);
    btnCancel->SetCaption("Cancel");
    btnCancel->Cancel = true;
    btnCancel->ModalResult = mrCancel;
    btnCancel->SetBounds(265, 97, 75, 25);

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
}

void TfrmReportOptions::FormCreate(TObject*)
{
    SetCaption(Format("%s - Report options", {GetApplicationTitle()}));
}
