#include "gui/windows/CropCalendar.h"

#include "gui/windows/Crops.h"
#include "gui/windows/EditorControls.h"
#include "gui/windows/Stages.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include <memory>

using namespace editor;

namespace {

const TButtonSet kMoveButtons{nbFirst, nbPrior, nbNext, nbLast};
const TButtonSet kEditButtons{nbInsert, nbDelete, nbPost, nbCancel};

} // namespace

TfrmCropCalendar::TfrmCropCalendar(TComponent* owner) : TEditorForm(owner, "%s - Crop Calendar", 380)
{
    SetName("frmCropCalendar");
    SetClientWidth(980);
    SetClientHeight(600);
    Position = poScreenCenter;
    CreateCalendarPanel();
    CreateCropsPanel();
    lblMessage = Label(this, this, "Browse Crops in Calendar will only be shown after you have saved your changes", 16,
                       220, 0, "lblMessage");
    lblMessage->SetVisible(false);
    btnHelp = Button(this, this, "btnHelp", "Help", 784, 568, 90);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 882, 568, 90);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };
    if (dmQuelm)
        TablesPostedOnClose = {dmQuelm->tblCultivationSeqs, dmQuelm->tblCultivationSeqxCropsA};
}

void TfrmCropCalendar::CreateCalendarPanel()
{
    TDataSource* ds = dmQuelm ? dmQuelm->dsCultivationSeqs : nullptr;
    pnlCropCalendars = Panel(this, this, "pnlCropCalendars", 0, 0, 980, 196);
    auto* browse = Group(this, pnlCropCalendars, "grpbxBrowseCropCalendars", " Browse Crop Calendars ", 8, 8, 470, 184);
    grdCropCalendar = BrowseGrid(this, browse, "grdCropCalendar", ds,
                                 {{"CULTIVATIONSEQUENCECODE", "Calendar Code", 120}, {"NAME", "Calendar Name", 280}},
                                 10, 20, 450, 124);
    dbnavCropCalendar1 = Navigator(this, browse, "dbnavCropCalendar1", ds, 10, 150, kMoveButtons);
    dbnavCropCalendar2 = Navigator(this, browse, "dbnavCropCalendar2", ds, 120, 150, kEditButtons);

    GroupBox2 = Group(this, pnlCropCalendars, "GroupBox2", " Edit Crop Calendar ", 486, 8, 486, 184);
    TFieldColumn rows(this, GroupBox2, 10, 24, 110, 340);
    edtCode = rows.Edit("edtCode", "Code:", ds, "CULTIVATIONSEQUENCECODE", 160);
    edtName = rows.Edit("edtName", "Name:", ds, "NAME");
    TDataSource* lengths = dmQuelm ? dmQuelm->dsOptLenCrps : nullptr;
    cmbOptLenCrp = rows.Lookup("cmbOptLenCrp", "Crop cycle:", ds, "OPTLENCRP", lengths, "OPTLENCRP", "OPTLENCRP", 160);
    chkbxRepeatCrops = Check(this, GroupBox2, "chkbxRepeatCrops", "Repeat Crop Calendar", ds, "REPEATCROPS",
                             rows.FieldLeft(), rows.Top());
    rows.Skip(kRowStep + 4);
    btnComments = Button(this, GroupBox2, "btnComments", "Comments...", rows.FieldLeft(), rows.Top(), 100);

    for (TDBNavigator* navigator : {dbnavCropCalendar1, dbnavCropCalendar2})
        WireNavigator(navigator, edtCode, grdCropCalendar);
    WireCharacterFilter(edtCode);
    WireCharacterFilter(edtName);
    if (ds)
        WireCommentsButton(btnComments, ds);
}

void TfrmCropCalendar::CreateCropsPanel()
{
    TDataSource* ds = dmQuelm ? dmQuelm->dsCultivationSeqxCropsA : nullptr;
    TDataSource* crops = dmQuelm ? dmQuelm->dsCrops : nullptr;
    TDataSource* days = dmQuelm ? dmQuelm->dsDateTimeCounting : nullptr;
    pnlCropsInCropCalendars = Panel(this, this, "pnlCropsInCropCalendars", 0, 200, 980, 360);

    auto* browse = Group(this, pnlCropsInCropCalendars, "grpbxBrowseCrops", " Browse Crops in Crop Calendar ", 8, 0,
                         470, 356);
    grdCrops = BrowseGrid(this, browse, "grdCrops", ds,
                          {{"CULTIVATIONSEQNO", "Seq. No.", 60}, {"CROPCODE", "Crop code", 110},
                           {"EMERGENCEDATEINYEAR", "Emergence date", 110}, {"HARVESTDATEINYEAR", "Harvest date", 110}},
                          10, 20, 450, 294);
    dbnavCropsInCropCalendars1 = Navigator(this, browse, "dbnavCropsInCropCalendars1", ds, 10, 322, kMoveButtons);
    dbnavCropsInCropCalendars2 = Navigator(this, browse, "dbnavCropsInCropCalendars2", ds, 120, 322, kEditButtons);

    auto* edit = Group(this, pnlCropsInCropCalendars, "grpbxEditCrop", " Edit Crop in Crop Calendar", 486, 0, 486, 180);
    TFieldColumn rows(this, edit, 10, 22, 80, 250);
    edtSeqNo = rows.Edit("edtSeqNo", "Seq. no.:", ds, "CULTIVATIONSEQNO", 60);
    cmbCropCode = rows.Lookup("cmbCropCode", "Crop:", ds, "CROPCODE", crops, "CROPCODE", "NAME", 220);
    btnCrops = Button(this, edit, "btnCrops", "...", rows.FieldLeft() + 226, rows.Top() - kRowStep - 2, 30);
    // the day in the year, with the year offset beside it
    const int offsetLeft = rows.FieldLeft() + 140;
    Label(this, edit, "Year offset:", offsetLeft, rows.Top() + 2);
    rows.Skip(20);
    auto dayRow = [&](const String& name, const String& caption, const String& dayField, const String& offsetName,
                      const String& offsetField) {
        auto* combo = rows.Lookup(name, caption, ds, dayField, days, "DATEINYEAR", "DATEINYEAR", 120);
        combo->DropDownRows = 31;
        Edit(this, edit, offsetName, ds, offsetField, offsetLeft, rows.Top() - kRowStep, 50);
        return combo;
    };
    cmbEmergence = dayRow("cmbEmergence", "Emer.:", "EMERGENCEDATEINYEAR", "dbedtEmergenceYearOffset",
                          "EMERGENCEYEAROFFSET");
    cmbHarvest = dayRow("cmbHarvest", "Harv.:", "HARVESTDATEINYEAR", "dbedtHarvestYearOffset", "HARVESTYEAROFFSET");
    btnStages = Button(this, edit, "btnStages", "Stages...", 10, rows.Top() + 4, 100);
    btnCropCalendarComments = Button(this, edit, "btnCropCalendarComments", "Comments...", 118, rows.Top() + 4, 100);

    auto* irrigation = Group(this, pnlCropsInCropCalendars, "grpbxIrrigation", " Irrigation (only effective when on !) ",
                             486, 186, 486, 170);
    TFieldColumn irg(this, irrigation, 10, 22, 80, 250);
    Label(this, irrigation, "Year offset:", offsetLeft, irg.Top() + 2);
    irg.Skip(20);
    auto irrigationRow = [&](const String& name, const String& caption, const String& dayField,
                             const String& offsetName, const String& offsetField) {
        auto* combo = irg.Lookup(name, caption, ds, dayField, days, "DATEINYEAR", "DATEINYEAR", 120);
        combo->DropDownRows = 31;
        Edit(this, irrigation, offsetName, ds, offsetField, offsetLeft, irg.Top() - kRowStep, 50);
        return combo;
    };
    cmbIrrigationEarliest = irrigationRow("cmbIrrigationEarliest", "Earliest:", "IRGEARLIESTDATEINYEAR",
                                          "dbedtIrgEarliestYearOffset", "IRGEARLIESTYEAROFFSET");
    cmbIrrigationLatest = irrigationRow("cmbIrrigationLatest", "Latest:", "IRGLATESTDATEINYEAR",
                                        "dbedtIrgLatestYearOffset", "IRGLATESTYEAROFFSET");
    TFieldColumn amounts(this, irrigation, 10, irg.Top(), 330, 100);
    amounts.Edit("dbedtPreHeaIrrSta", "Critical pressure head for irrigation (cm):", ds, "PREHEAIRRSTA");
    amounts.Edit("dbedtIrgThreshold", "Irrigation threshold (mm):", ds, "IRGTHRESHOLD");

    for (TDBNavigator* navigator : {dbnavCropsInCropCalendars1, dbnavCropsInCropCalendars2})
        WireNavigator(navigator, cmbCropCode);
    btnCrops->OnClick = [this](TObject* sender) { btnCropsClick(sender); };
    btnStages->OnClick = [this](TObject* sender) { btnStagesClick(sender); };
    // both comments buttons edit the calendar's comment
    if (dmQuelm)
        WireCommentsButton(btnCropCalendarComments, dmQuelm->dsCultivationSeqs);
}

void TfrmCropCalendar::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblCultivationSeqs);
    OpenOrRefresh(dmQuelm->tblCultivationSeqxCropsA);
    OpenOrRefresh(dmQuelm->tblCrops);
    OpenOrRefresh(dmQuelm->tblOptLenCrps);
    OpenOrRefresh(dmQuelm->tblCropRootDensities);
    OpenOrRefresh(dmQuelm->tblDateTimeCounting);
}

void TfrmCropCalendar::AfterOpenTables()
{
    if (grdCropCalendar->Visible())
        grdCropCalendar->SetFocus();
    AttachMasterStatePanel(dmQuelm->dsCultivationSeqs, pnlCropsInCropCalendars, lblMessage,
                           {dmQuelm->tblCultivationSeqxCropsA});
    AttachScrollRule(dmQuelm->tblCultivationSeqs, "CULTIVATIONSEQUENCECODE", {pnlCropsInCropCalendars, GroupBox2});
}

void TfrmCropCalendar::btnCropsClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblCultivationSeqs);
    PostPendingEdits(dmQuelm->tblCultivationSeqxCropsA);
    // the crop window opens on the calendar crop's crop
    const String crop = dmQuelm->tblCultivationSeqxCropsA->Active()
                            ? dmQuelm->tblCultivationSeqxCropsA->FieldByName("CROPCODE")->AsString()
                            : String();
    if (!crop.empty())
        dmQuelm->tblCrops->Locate("CROPCODE", Variant(ToQString(crop)), loCaseInsensitive);
    std::unique_ptr<TfrmCrops> window(New<TfrmCrops>(nullptr));
    window->ShowModal();
}

void TfrmCropCalendar::btnStagesClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblCultivationSeqs);
    PostPendingEdits(dmQuelm->tblCultivationSeqxCropsA);
    std::unique_ptr<TfrmStages> window(New<TfrmStages>(nullptr));
    window->ShowModal();
}
