#include "gui/windows/DepthDependentSubstProperties.h"

#include "gui/windows/EditorLayout.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

using namespace editorlayout;

TfrmDepthDependentSubstProperties::TfrmDepthDependentSubstProperties(TComponent* owner)
    : TEditorForm(owner, "%s - Depth Dependent Substance Properties", 326)
{
    SetName("frmDepthDependentSubstProperties");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetClientWidth(620);
    SetClientHeight(418);
    TDataSource* properties = dmQuelm->dsDepthDependentSubstProperties;

    grpbxBrowse = Group(this, this, "grpbxBrowse", " Browse Depth dependent Substance Properties ", 8, 8, 604, 250);
    grdDepthDependentSubstProperties =
        Grid(this, grpbxBrowse, "grdDepthDependentSubstProperties", properties,
             {{"SUBSTANCECODE", "Code", 120}, {"FACZTRA", "FacZTra", 100}, {"FACZSOR", "FacZSor", 100}}, 8, 22, 588,
             186);
    dbnav = Navigator(this, grpbxBrowse, "dbnav", properties, 8, 216);

    grpEdit = Group(this, this, "grpEdit", " Edit Depth Dependent Substance Property ", 8, 266, 604, 112);
    Label(this, grpEdit, "Substance Code:", 10, 22, 300);
    dblupSubstanceCode = Lookup(this, grpEdit, "dblupSubstanceCode", properties, "SUBSTANCECODE",
                                dmQuelm->dsSubstances, "SUBSTANCECODE", "NAME", 314, 22, 200);
    Label(this, grpEdit, "Effect of Depth on Transformation (-);", 10, 50, 300);
    edtFacZTra = Edit(this, grpEdit, "edtFacZTra", properties, "FACZTRA", 314, 50, 100);
    Label(this, grpEdit, "Effect of Depth on Sorption (-);", 10, 78, 300);
    edtFacZSor = Edit(this, grpEdit, "edtFacZSor", properties, "FACZSOR", 314, 78, 100);

    WireNavigator(dbnav);

    btnHelp = Button(this, this, "btnHelp", "Help", 456, 386, 75);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 537, 386, 75, [this](TObject* s) { btnCloseClick(s); });

    TablesPostedOnClose = {dmQuelm->tblDepthDependentSubstProperties};
}

void TfrmDepthDependentSubstProperties::RefreshSubstanceList()
{
    TdmQuelm* dm = dmQuelm;
    // the list offers every substance, whatever filter another window left on the table; the
    // list follows the reopened table without touching the property being shown
    TTable* substances = dm->tblSubstances;
    substances->Close();
    substances->SetFiltered(false);
    substances->Open();

    TTable* profiles = dm->tblSoilProfiles;
    TTable* horizons = dm->tblSoilProfilesxSoilBuildingBlocks;
    const String profile = profiles->Active() ? profiles->FieldByName("SOILPROFILECODE")->AsString() : String();
    const String horizon = horizons->Active() ? horizons->FieldByName("HORIZONSEQNO")->AsString() : String();
    grpbxBrowse->SetCaption(" Browse Depth dependent Substance Properties for SoilCode: " + profile +
                            ", Horizon no.: " + horizon + " ");
}
