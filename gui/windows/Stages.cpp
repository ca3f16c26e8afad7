#include "gui/windows/Stages.h"

#include "gui/windows/EditorControls.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

using namespace editor;

TfrmStages::TfrmStages(TComponent* owner) : TEditorForm(owner, "%s - Crop Stages", 388)
{
    SetName("frmStages");
    SetClientWidth(580);
    SetClientHeight(560);
    Position = poScreenCenter;
    TDataSource* crop = dmQuelm ? dmQuelm->dsCultivationSeqxCropsA : nullptr;
    TDataSource* ds = dmQuelm ? dmQuelm->dsCropStages : nullptr;

    auto* info = Group(this, this, "grpbxInfo", " Cultivation Sequence Info ", 8, 8, 564, 104);
    TFieldColumn shown(this, info, 10, 22, 220, 200);
    dbedtCultivationSequenceCode =
        shown.Edit("dbedtCultivationSequenceCode", "Name of cultivation sequence:", crop, "CULTIVATIONSEQUENCECODE");
    dbedtCropCode = shown.Edit("dbedtCropCode", "Crop code:", crop, "CROPCODE");
    dbedtCultivationSeqNo = shown.Edit("dbedtCultivationSeqNo", "Sequence number:", crop, "CULTIVATIONSEQNO", 60);
    for (TDBEdit* edit : {dbedtCultivationSequenceCode, dbedtCropCode, dbedtCultivationSeqNo}) {
        edit->SetReadOnly(true);
        edit->SetColor(clBtnFace);
    }

    auto* browse = Group(this, this, "grpbxBrowseStages", " Browse Stages ", 8, 120, 564, 220);
    grdStages = BrowseGrid(this, browse, "grdStages", ds,
                           {{"DEVELOPMENTSTAGE", "Development Stage", 120}, {"LAI", "", 70}, {"FACCRP", "Crop factor", 80},
                            {"ZROOT", "Rooting depth", 90}, {"HEIGHTCRP", "Crop Height", 80}},
                           10, 20, 544, 160);
    DBNavigator = Navigator(this, browse, "DBNavigator", ds, 10, 186);

    auto* edit = Group(this, this, "grpbxEditStage", " Edit Stage ", 8, 348, 564, 170);
    TFieldColumn rows(this, edit, 10, 22, 200, 100);
    edtDevStage = rows.Edit("edtDevStage", "Development stage (-):", ds, "DEVELOPMENTSTAGE");
    rows.Edit("dbedtLAI", "Leaf Area Index (m2 m-2):", ds, "LAI");
    rows.Edit("dbedtFacCrp", "Crop factor (-):", ds, "FACCRP");
    rows.Edit("dbedtZRoot", "Rooting depth (m):", ds, "ZROOT");
    rows.Edit("dbedtHeightCrp", "Crop height (m):", ds, "HEIGHTCRP");
    btnComments = Button(this, edit, "btnComments", "Comments...", 340, 22, 100);

    btnHelp = Button(this, this, "btnHelp", "Help", 384, 528, 90);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 482, 528, 90);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    WireNavigator(DBNavigator, edtDevStage);
    if (ds)
        WireCommentsButton(btnComments, ds);
    TablesPostedOnClose = {dmQuelm ? dmQuelm->tblCultivationSeqxCropsB : nullptr};
}

void TfrmStages::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblCultivationSeqxCropsB);
}

void TfrmStages::AfterOpenTables()
{
    // a stage has no comment field in the database: the button would only fail
    btnComments->SetEnabled(dmQuelm->tblCultivationSeqxCropsB->FindField("COMMENTS") != nullptr);
}
