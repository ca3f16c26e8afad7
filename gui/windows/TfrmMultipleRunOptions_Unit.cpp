#include "gui/windows/TfrmMultipleRunOptions_Unit.h"

#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"

TfrmMultipleRunOptions::TfrmMultipleRunOptions(TComponent* owner) : TForm(owner)
{
    SetName("frmMultipleRunOptions");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetClientWidth(330);
    SetClientHeight(176);

    cbxStopOnError = new TCheckBox(this);
    cbxStopOnError->SetName("cbxStopOnError");
    cbxStopOnError->SetParent(this);
    cbxStopOnError->SetCaption("Stop execution when an error occurs");
    cbxStopOnError->SetChecked(true);
    cbxStopOnError->SetBounds(12, 10, 306, 21);

    rgWindowType = new TRadioGroup(this);
    rgWindowType->SetName("rgWindowType");
    rgWindowType->SetParent(this);
    rgWindowType->SetCaption(" Window type for model calculations ");
    rgWindowType->SetBounds(12, 38, 306, 94);
    rgWindowType->Items()->Add("Normal");
    rgWindowType->Items()->Add("Minimized");
    rgWindowType->Items()->Add("Hidden");
    rgWindowType->SetItemIndex(1);

    btnOK = new TButton(this);
    btnOK->SetName("btnOK");
    btnOK->SetParent(this);
    btnOK->SetCaption("OK");
    btnOK->SetDefault(true);
    btnOK->ModalResult = mrOk;
    btnOK->SetBounds(162, 142, 75, 25);

    btnCancel = new TButton(this);
    btnCancel->SetName("btnCancel");
    btnCancel->SetParent(this);
    btnCancel->SetCaption("Cancel");
    btnCancel->Cancel = true;
    btnCancel->ModalResult = mrCancel;
    btnCancel->SetBounds(243, 142, 75, 25);

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
}

void TfrmMultipleRunOptions::FormCreate(TObject*)
{
    SetCaption(Format("%s - Multiple run options", {GetApplicationTitle()}));
}
