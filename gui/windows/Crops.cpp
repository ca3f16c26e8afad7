#include "gui/windows/Crops.h"

#include "gui/windows/EditorControls.h"
#include "gui/windows/RootDensity.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include <memory>

using namespace editor;

TfrmCrops::TfrmCrops(TComponent* owner) : TEditorForm(owner, "%s - Crops", 384)
{
    SetName("frmCrops");
    SetClientWidth(880);
    SetClientHeight(530);
    Position = poScreenCenter;
    TDataSource* ds = dmQuelm ? dmQuelm->dsCrops : nullptr;

    auto* browse = Group(this, this, "grpbxBrowseCrops", " Browse Crops ", 8, 8, 340, 480);
    grdVariety = BrowseGrid(this, browse, "grdVariety", ds, {{"CROPCODE", "Crop Code", 100}, {"NAME", "", 190}}, 10, 20,
                            320, 418);
    DBNavigator = Navigator(this, browse, "DBNavigator", ds, 10, 446);
    btnCopy = Button(this, browse, "btnCopy", "Copy", 170, 446, 80);

    auto* edit = Group(this, this, "grpbxEditCrop", " Edit Crop ", 356, 8, 516, 480);
    TFieldColumn rows(this, edit, 10, 22, 300, 180);
    edtCode = rows.Edit("edtCode", "Crop code:", ds, "CROPCODE", 140);
    edtName = rows.Edit("edtName", "Name:", ds, "NAME");
    rows.Edit("dbedtCofExtRad", "Extinction coef. for solar radiation (-):", ds, "COFEXTRAD", 90);
    rows.Edit("dbedtCofIntCrp", "Const. in eqn. for water interception (cm):", ds, "COFINTCRP", 90);
    rows.Edit("dbedtHLim1", "Anaerobiosis point (cm):", ds, "HLIM1", 90);
    rows.Edit("dbedtHLim2", "Wet reduction point (cm):", ds, "HLIM2", 90);
    rows.Edit("dbedtHLim3U", "Higher dry reduction point (cm):", ds, "HLIM3U", 90);
    rows.Edit("dbedtHLim3L", "Lower dry reduction point (cm):", ds, "HLIM3L", 90);
    rows.Edit("dbedtHLim4", "Wilting point (cm):", ds, "HLIM4", 90);
    rows.Edit("dbedtRstEvpCrp", "Minimum canopy resistance (s m-1):", ds, "RSTEVPCRP", 90);
    rows.Edit("dbedtZTensiometer", "Depth of (virtual) tensiometer (m):", ds, "ZTENSIOMETER", 90);
    auto* sums = Group(this, edit, "grpbxTemperatureSum", " Temperature sum ", 10, rows.Top() + 4, 496, 104);
    TFieldColumn temperature(this, sums, 10, 22, 290, 90);
    temperature.Edit("dbedtTemSumSta", "Start value (deg. C):", ds, "TEMSUMSTA");
    temperature.Edit("dbedtTemSumEmgAnt", "emergence - anthesis (deg. C):", ds, "TEMSUMEMGANT");
    temperature.Edit("dbedtTemSumAntMat", "anthesis - maturity (deg. C):", ds, "TEMSUMANTMAT");
    const int buttons = rows.Top() + 4 + 104 + 8;
    BitBtn3 = Button(this, edit, "BitBtn3", "Root density...", 10, buttons, 120);
    btnComments = Button(this, edit, "btnComments", "Comments...", 138, buttons, 100);

    btnHelp = Button(this, this, "btnHelp", "Help", 684, 498, 90);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 782, 498, 90);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    WireNavigator(DBNavigator, edtCode);
    WireCharacterFilter(edtCode);
    WireCharacterFilter(edtName);
    btnCopy->OnClick = [this](TObject* sender) { btnCopyClick(sender); };
    BitBtn3->OnClick = [this](TObject* sender) { BitBtn3Click(sender); };
    if (ds)
        WireCommentsButton(btnComments, ds);
    TablesPostedOnClose = {dmQuelm ? dmQuelm->tblCrops : nullptr};
}

void TfrmCrops::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblCrops);
}

void TfrmCrops::BitBtn3Click(TObject*)
{
    PostPendingEdits(dmQuelm->tblCrops);
    std::unique_ptr<TfrmRootDensity> window(New<TfrmRootDensity>(nullptr));
    window->ShowModal();
}

void TfrmCrops::btnCopyClick(TObject*)
{
    TCopySpec plan;
    plan.master = dmQuelm->tblCrops;
    plan.keyField = "CROPCODE";
    plan.nameField = "NAME";
    plan.resetMorvaSelected = true;
    plan.postFirst = {dmQuelm->tblCropRootDensities};
    plan.children = {{dmQuelm->tblCropRootDensities, "CROPCODE"}};
    CopyRecord(plan);
}
