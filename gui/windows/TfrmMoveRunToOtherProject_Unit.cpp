#include "gui/windows/TfrmMoveRunToOtherProject_Unit.h"

#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"

namespace {

template <class T>
T* MakeMoveRunToOtherProjectControl(TComponent* owner, TWinControl* parent, const String& name)
{
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

} // namespace

TfrmMoveRunToOtherProject::TfrmMoveRunToOtherProject(TComponent* owner) : TForm(owner)
{
    SetName("frmMoveRunToOtherProject");
    Position = poScreenCenter;
    SetBorderStyle(bsDialog);
    SetClientWidth(491);
    SetClientHeight(250);

    gbxRun = MakeMoveRunToOtherProjectControl<TGroupBox>(this, this, "gbxRun");
    gbxRun->SetCaption(" Information on Run to be moved ");
    gbxRun->SetBounds(12, 10, 467, 88);
    lblRunID = MakeMoveRunToOtherProjectControl<TLabel>(this, gbxRun, "lblRunID");
    lblRunID->SetCaption("RunID:");
    lblRunID->SetBounds(12, 27, 80, 17);
    edtRunID = MakeMoveRunToOtherProjectControl<TEdit>(this, gbxRun, "edtRunID");
    edtRunID->SetReadOnly(true);
    edtRunID->SetBounds(96, 24, 80, 21);
    lblRunName = MakeMoveRunToOtherProjectControl<TLabel>(this, gbxRun, "lblRunName");
    lblRunName->SetCaption("Run Name:");
    lblRunName->SetBounds(12, 56, 80, 17);
    edtRunName = MakeMoveRunToOtherProjectControl<TEdit>(this, gbxRun, "edtRunName");
    edtRunName->SetReadOnly(true);
    edtRunName->SetBounds(96, 53, 358, 21);

    gbxProject = MakeMoveRunToOtherProjectControl<TGroupBox>(this, this, "gbxProject");
    gbxProject->SetCaption(" Select project where run should be moved to ");
    gbxProject->SetBounds(12, 108, 467, 64);
    lblProject = MakeMoveRunToOtherProjectControl<TLabel>(this, gbxProject, "lblProject");
    lblProject->SetCaption("Project:");
    lblProject->SetBounds(12, 29, 80, 17);
    cbxProjects = MakeMoveRunToOtherProjectControl<TComboBox>(this, gbxProject, "cbxProjects");
    cbxProjects->SetStyle(csDropDownList);
    cbxProjects->SetBounds(96, 26, 358, 21);

    btnClose = MakeMoveRunToOtherProjectControl<TButton>(this, this, "btnClose");
    btnClose->SetCaption("&Move");
    btnClose->SetDefault(true);
    btnClose->SetBounds(316, 213, 75, 25);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };
    btnCancel = MakeMoveRunToOtherProjectControl<TButton>(this, this, "btnCancel");
    btnCancel->SetCaption("Cancel");
    btnCancel->SetBounds(404, 213, 75, 25);
    btnCancel->OnClick = [this](TObject* sender) { btnCancelClick(sender); };

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
}

void TfrmMoveRunToOtherProject::FormCreate(TObject*)
{
    SetCaption(Format("%s - Move Run to Other Project", {GetApplicationTitle()}));
    FillComboFromQuery("theDatabase",
                       "SELECT CAST(DESCRIPTION AS VARCHAR(200))||' (ID='||PROJECTID||')' AS ITEM1, "
                       "PROJECTID AS ITEM2 FROM PROJECTS",
                       cbxProjects, false, &ProjectIDs);
    closing_ = TClosing::Move;
}

void TfrmMoveRunToOtherProject::FormActivate(TObject*)
{
    cbxProjects->SetItemIndex(ProjectIDs.IndexOf(CurrentProjectID));
}

void TfrmMoveRunToOtherProject::btnCloseClick(TObject*)
{
    Close();
}

void TfrmMoveRunToOtherProject::btnCancelClick(TObject*)
{
    const int index = cbxProjects->ItemIndex();
    const bool unchanged = index >= 0 && ProjectIDs[index] == CurrentProjectID;
    if (!unchanged && MessageDlg("Do you want to cancel moving the run to another project ?", mtConfirmation,
                                 {mbYes, mbNo}, 0) != mrYes)
        return;
    closing_ = TClosing::Cancel;
    Close();
}

void TfrmMoveRunToOtherProject::FormClose(TObject*, TCloseAction&)
{
    const int index = cbxProjects->ItemIndex();
    if (closing_ != TClosing::Move || index < 0 || index >= ProjectIDs.Count())
        return; // cancelled, or no project chosen: the run stays where it is
    TTable* projects = dmQuelm->tblProjects;
    OpenOrRefresh(projects);
    if (!projects->Locate("PROJECTID", Variant(ToQString(ProjectIDs[index])), loCaseInsensitive)) {
        MessageDlg("Internal error", mtError, {mbOK}, 0);
        return;
    }
    const int target = projects->FieldByName("PROJECTID")->AsInteger();
    if (target != StrToIntDef(CurrentProjectID, 0))
        ExecSql("theDatabase", "UPDATE RUNS SET PROJECTID=" + IntToStr(target) + " WHERE RUNID=" +
                                   IntToStr(StrToInt(edtRunID->Text())));
}
