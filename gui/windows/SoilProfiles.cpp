#include "gui/windows/SoilProfiles.h"

#include "gui/windows/DepthDependentSubstProperties.h"
#include "gui/windows/EditorLayout.h"
#include "gui/windows/SoilBuildingBlocks.h"
#include "gui/windows/Tortuosity.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"

using namespace editorlayout;

namespace {

TPanel* Panel(TComponent* owner, TWinControl* parent, const String& name, int left, int top, int width, int height)
{
    auto* panel = Make<TPanel>(owner, parent, name, left, top, width, height);
    panel->SetBevelOuter(bvNone);
    return panel;
}

} // namespace

TfrmSoilProfiles::TfrmSoilProfiles(TComponent* owner) : TEditorForm(owner, "%s - Soil Profiles", 320)
{
    SetName("frmSoilProfiles");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetClientWidth(980);
    SetClientHeight(708);
    TdmQuelm* dm = dmQuelm;
    TDataSource* profiles = dm->dsSoilProfiles;
    TDataSource* horizons = dm->dsSoilProfilesxSoilBuildingBlocks;

    // the profile
    pnlSoilProfiles = Panel(this, this, "pnlSoilProfiles", 8, 8, 964, 284);
    TGroupBox* browse = Group(this, pnlSoilProfiles, "grpBrowseSoilProfiles", " Browse Soil Profiles ", 0, 0, 420, 280);
    grdSoils = Grid(this, browse, "grdSoils", profiles, {{"SOILPROFILECODE", "Code", 120}, {"NAME", "Name", 220}}, 8,
                    22, 404, 184);
    dbnavSoilProfiles = Navigator(this, browse, "dbnavSoilProfiles", profiles, 8, 214);
    btnCopy = Button(this, browse, "btnCopy", "Copy", 8, 246, 80, [this](TObject* s) { btnCopyClick(s); });
    btnCopy->SetHint("Copies the selected run");
    btnCopy->ShowHint = true;

    TGroupBox* edit = Group(this, pnlSoilProfiles, "grpEditSoilProfile", " Edit Soil Profile ", 428, 0, 536, 280);
    const int labelWidth = 230, left = 244;
    int y = 22;
    auto row = [&](TWinControl* parent, TDBEdit** target, const char* name, TDataSource* source, const char* field,
                   int width, const char* label, const char* second = "") {
        Label(this, parent, label, 10, y, labelWidth, second);
        *target = Edit(this, parent, name, source, field, left, y + (*second ? 6 : 0), width);
        y += *second ? kTwoLineRow : kRow;
    };
    row(edit, &edtCode, "edtCode", profiles, "SOILPROFILECODE", 160, "Code:");
    row(edit, &edtName, "edtName", profiles, "NAME", 270, "Name:");
    row(edit, &edtFacEvpSol, "edtFacEvpSol", profiles, "FACEVPSOL", 100, "Crop factor for bare soil (-):");
    row(edit, &edtCofRedEvp, "edtCofRedEvp", profiles, "COFREDEVP", 100, "Parameter in soil evaporation",
        "reduction equation (cm1/2):");
    Label(this, edit, "Bulk density option:", 10, y, labelWidth);
    dblupOptRho = Lookup(this, edit, "dblupOptRho", profiles, "OPTRHO", dm->dsOptRhos, "OPTRHO", "OPTRHO", left, y, 160);
    y += kRow;
    Label(this, edit, "Relative diffusion", 10, y, labelWidth, "coefficient:");
    dblupTortName = Lookup(this, edit, "dblupTortName", profiles, "TORTNAMECODE", dm->dsTortNames, "TORTNAMECODE",
                           "DESCRIPTION", left, y + 6, 236);
    btnTortuosities = Button(this, edit, "btnTortuosities", "...", left + 242, y + 4, 30,
                             [this](TObject* s) { btnTortuositiesClick(s); });
    y += kTwoLineRow;
    btnComments = Button(this, edit, "btnComments", "Comments...", left, y, 100);
    WireCommentsButton(btnComments, profiles);

    // the horizons of the profile
    pnlHorizonsInSoilProfiles = Panel(this, this, "pnlHorizonsInSoilProfiles", 8, 300, 964, 232);
    browse = Group(this, pnlHorizonsInSoilProfiles, "grpBrowseHorizons", " Browse Horizons in Soil Profiles ", 0, 0,
                   500, 228);
    grdHorizons = Grid(this, browse, "grdHorizons", horizons,
                       {{"HORIZONSEQNO", "Horizon no.", 76},
                        {"SOILBUILDINGBLOCKCODE", "Soil Building Block Code", 160},
                        {"THICKNESS", "Thickness", 80},
                        {"COMPARTMENTCNT", "Numerical comp.", 100}},
                       8, 22, 484, 164);
    dbnavHorizonInSoilProfiles = Navigator(this, browse, "dbnavHorizonInSoilProfiles", horizons, 8, 194);

    edit = Group(this, pnlHorizonsInSoilProfiles, "grpEditHorizon", " Edit Horizon in Soil ", 508, 0, 456, 228);
    y = 22;
    const int hLeft = 180;
    Label(this, edit, "Horizon number:", 10, y, 166);
    edtSeqNr = Edit(this, edit, "edtSeqNr", horizons, "HORIZONSEQNO", hLeft, y, 80);
    y += kRow;
    Label(this, edit, "Soil Building", 10, y, 166, "Block code:");
    dblupSoilBuildingBlockCode = Lookup(this, edit, "dblupSoilBuildingBlockCode", horizons, "SOILBUILDINGBLOCKCODE",
                                        dm->dsSoilBuildingBlocks, "SOILBUILDINGBLOCKCODE", "SOILBUILDINGBLOCKCODE",
                                        hLeft, y + 6, 200);
    btnSoilBuildingBlocks = Button(this, edit, "btnSoilBuildingBlocks", "...", hLeft + 206, y + 4, 30,
                                   [this](TObject* s) { btnSoilBuildingBlocksClick(s); });
    y += kTwoLineRow;
    Label(this, edit, "Thickness of", 10, y, 166, "horizon (m):");
    edtThickness = Edit(this, edit, "edtThickness", horizons, "THICKNESS", hLeft, y + 6, 80);
    y += kTwoLineRow;
    Label(this, edit, "No. of numerical comp.:", 10, y, 166);
    edtCompartmentCnt = Edit(this, edit, "edtCompartmentCnt", horizons, "COMPARTMENTCNT", hLeft, y, 80);
    y += kRow;
    Label(this, edit, "Dispersion length (m):", 10, y, 166);
    edtLenDisLiq = Edit(this, edit, "edtLenDisLiq", horizons, "LENDISLIQ", hLeft, y, 80);
    y += kRow;
    btnHorizonComments = Button(this, edit, "btnHorizonComments", "Comments...", hLeft, y, 100);
    WireCommentsButton(btnHorizonComments, horizons);

    // the depth factors of the horizon
    pnlDepthEffects = Panel(this, this, "pnlDepthEffects", 8, 540, 964, 128);
    TGroupBox* group = Group(this, pnlDepthEffects, "grpNonDefaultDepthEffects",
                             "Non Default Factors for Depth Effect ", 0, 0, 500, 124);
    grdDepthEffects = Grid(this, group, "grdDepthEffects", dm->dsDepthDependentSubstProperties,
                           {{"SUBSTANCECODE", "SubstCode", 100}, {"FACZTRA", "FacZTra", 90}, {"FACZSOR", "FacZSor", 90}},
                           8, 22, 380, 94);
    btnDepthEffect = Button(this, group, "btnDepthEffect", "Edit...", 396, 22, 90,
                            [this](TObject* s) { btnDepthEffectClick(s); });
    group = Group(this, pnlDepthEffects, "grpDefaultDepthEffects", "Default Factors for the Effect of Depth ", 508, 0,
                  456, 124);
    Label(this, group, "On Transformation (-):", 10, 22, 166);
    edtFacZTra = Edit(this, group, "edtFacZTra", horizons, "FACZTRA", hLeft, 22, 80);
    Label(this, group, "On Sorption (-):", 10, 50, 166);
    edtFacZSor = Edit(this, group, "edtFacZSor", horizons, "FACZSOR", hLeft, 50, 80);

    lblMessage = Make<TLabel>(this, this, "lblMessage", 16, 310, 940, 17);
    lblMessage->SetCaption("Soil horizons and Non default factors for Depth Effect will only be shown after you have "
                           "saved your changes");
    lblMessage->SetVisible(false);

    WireCharacterFilter(edtCode);
    WireCharacterFilter(edtName);
    WireNavigator(dbnavSoilProfiles, edtCode, grdSoils);
    WireNavigator(dbnavHorizonInSoilProfiles, edtSeqNr);

    btnHelp = Button(this, this, "btnHelp", "Help", 816, 676, 75);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 897, 676, 75, [this](TObject* s) { btnCloseClick(s); });

    TablesPostedOnClose = {dm->tblSoilProfiles, dm->tblSoilProfilesxSoilBuildingBlocks};
}

TfrmSoilProfiles::~TfrmSoilProfiles()
{
    BeforeCloseDone(); // a window freed without being closed leaves no handler behind
}

void TfrmSoilProfiles::OpenTables()
{
    TdmQuelm* dm = dmQuelm;
    // the relative diffusion list is the main window's lookup table; opened here too so that
    // the list never shows empty
    for (TTable* table : {dm->tblSoilProfiles, dm->tblSoilProfilesxSoilBuildingBlocks, dm->tblSoilBuildingBlocks,
                          dm->tblOptRhos, dm->tblDepthDependentSubstProperties, dm->tblTortNames})
        OpenOrRefresh(table);
}

void TfrmSoilProfiles::AfterOpenTables()
{
    dmQuelm->dsSoilProfiles->OnStateChange = [this](TObject* s) { dsSoilProfilesStateChange(s); };
    stateHandlerAttached_ = true;
    lblMessage->SetVisible(false);
    btnHorizonComments->SetEnabled(dmQuelm->tblSoilProfilesxSoilBuildingBlocks->FindField("Comments") != nullptr);
}

void TfrmSoilProfiles::BeforeCloseDone()
{
    if (stateHandlerAttached_ && dmQuelm)
        dmQuelm->dsSoilProfiles->OnStateChange = nullptr;
    stateHandlerAttached_ = false;
}

void TfrmSoilProfiles::dsSoilProfilesStateChange(TObject*)
{
    switch (dmQuelm->dsSoilProfiles->State()) {
    case dsEdit:
    case dsInsert:
        pnlHorizonsInSoilProfiles->SetVisible(false);
        pnlDepthEffects->SetVisible(false);
        lblMessage->SetVisible(true);
        break;
    case dsBrowse:
        pnlHorizonsInSoilProfiles->SetVisible(true);
        pnlDepthEffects->SetVisible(true);
        OpenOrRefresh(dmQuelm->tblSoilProfilesxSoilBuildingBlocks);
        OpenOrRefresh(dmQuelm->tblDepthDependentSubstProperties);
        lblMessage->SetVisible(false);
        break;
    default:
        MessageDlg("Internal error", mtError, {mbOK}, 0);
        break;
    }
}

void TfrmSoilProfiles::btnCopyClick(TObject*)
{
    TdmQuelm* dm = dmQuelm;
    TCopySpec plan;
    plan.master = dm->tblSoilProfiles;
    plan.keyField = "SOILPROFILECODE";
    plan.nameField = "NAME";
    plan.postFirst = {dm->tblSoilTortMillington, dm->tblSoilTortCurrie, dm->tblSoilTortTroeh,
                      dm->tblSoilProfilesxSoilBuildingBlocks};
    // posting the copy gives it default relative-diffusion rows; the purge makes way for the
    // source's. Depth-dependent substance properties are not copied.
    plan.children = {{dm->tblSoilTortMillington, "SOILPROFILECODE", true},
                     {dm->tblSoilTortCurrie, "SOILPROFILECODE", true},
                     {dm->tblSoilTortTroeh, "SOILPROFILECODE", true},
                     {dm->tblSoilProfilesxSoilBuildingBlocks, "SOILPROFILECODE", true}};
    CopyRecord(plan);
}

void TfrmSoilProfiles::btnSoilBuildingBlocksClick(TObject*)
{
    TdmQuelm* dm = dmQuelm;
    PostPendingEdits(dm->tblSoilProfiles);
    PostPendingEdits(dm->tblSoilProfilesxSoilBuildingBlocks);
    dm->tblSoilBuildingBlocks->Locate(
        "SOILBUILDINGBLOCKCODE",
        Variant(ToQString(dm->tblSoilProfilesxSoilBuildingBlocks->FieldByName("SOILBUILDINGBLOCKCODE")->AsString())),
        loCaseInsensitive);
    std::unique_ptr<TfrmSoilBuildingBlocks> form(New<TfrmSoilBuildingBlocks>(nullptr));
    form->ShowModal();
}

void TfrmSoilProfiles::btnTortuositiesClick(TObject*)
{
    Screen->SetCursor(crHourGlass);
    PostPendingEdits(dmQuelm->tblSoilProfiles);
    PostPendingEdits(dmQuelm->tblSoilProfilesxSoilBuildingBlocks);
    std::unique_ptr<TfrmTortuosity> form(New<TfrmTortuosity>(nullptr));
    form->ShowModal();
}

void TfrmSoilProfiles::btnDepthEffectClick(TObject*)
{
    std::unique_ptr<TfrmDepthDependentSubstProperties> form(New<TfrmDepthDependentSubstProperties>(nullptr));
    form->ShowModal();
}
