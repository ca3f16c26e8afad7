#include "gui/windows/Boundaries.h"

#include "gui/windows/EditorLayout.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"

using namespace editorlayout;

namespace {

const char* const kLockedImportText = "Data cannot be imported for a predefined record";

// A comments button edits the field "Comments" of its record; a table without that field
// has nothing to edit, and its button stays disabled rather than fail on every press.
void EnableCommentsButton(TButton* button, TDataSource* source)
{
    TDataSet* data = source->DataSet();
    button->SetEnabled(data && data->Active() && data->FindField("Comments"));
}

} // namespace

TfrmBoundaries::TfrmBoundaries(TComponent* owner) : TEditorForm(owner, "%s - Lower Boundary Conditions", 360)
{
    SetName("frmBoundaries");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetClientWidth(1090);
    SetClientHeight(430);
    TdmQuelm* dm = dmQuelm;

    Label(this, this, "Selected Lower Boundary Condition:", 8, 8, 230);
    edtLBO = Edit(this, this, "edtLBO", dm->dsLboNames, "DESCRIPTION", 242, 8, 380);
    edtLBO->SetReadOnly(true);
    edtLBO->SetColor(clBtnFace);

    pgLBO = Make<TPageControl>(this, this, "pgLBO", 8, 38, 1074, 350);
    auto page = [this](const char* name, const char* caption) {
        auto* sheet = new TTabSheet(this);
        sheet->SetName(name);
        sheet->SetCaption(caption);
        sheet->SetPageControl(pgLBO);
        return sheet;
    };
    tsGrwLev = page("tsGrwLev", "Time dependent groundwater level");
    tsFlux = page("tsFlux", "Sine function");
    tsCauchy = page("tsCauchy", "Cauchy");
    tsFncGrwLev = page("tsFncGrwLev", "Flux boundary condition");
    tsDirichlet = page("tsDirichlet", "Pressure head lower boundary conditions");
    tsZeroFlux = page("tsZeroFlux", " Zero flux ");
    tsFreeDrain = page("tsFreeDrain", " Free drainage ");
    tsLysimeter = page("tsLysimeter", " Lysimeter ");

    BuildSeriesPage(tsGrwLev, true);
    BuildSeriesPage(tsDirichlet, false);

    // The pages of one record each: a comments button, then the labelled fields.
    const int labelWidth = 300, left = 320;
    int y = 0;
    auto edit = [&](TTabSheet* sheet, TDBEdit** target, const char* name, TDataSource* source, const char* field,
                    const char* label) {
        Label(this, sheet, label, 8, y, labelWidth);
        *target = Edit(this, sheet, name, source, field, left, y, 120);
        y += kRow;
    };
    auto dayInYear = [&](TTabSheet* sheet, TDBLookupComboBox** target, const char* name, TDataSource* source,
                         const char* field, const char* label) {
        Label(this, sheet, label, 8, y, labelWidth);
        *target = Lookup(this, sheet, name, source, field, dm->dsDateTimeCounting, "DATEINYEAR", "DATEINYEAR", left,
                         y, 120);
        y += kRow;
    };

    btnFluxComments = Button(this, tsFlux, "btnFluxComments", "Comments...", 8, 8, 100);
    WireCommentsButton(btnFluxComments, dm->dsLocLboFluxSines);
    y = 44;
    edit(tsFlux, &edtFlvLiqLboAvg, "edtFlvLiqLboAvg", dm->dsLocLboFluxSines, "FLVLIQLBOAVG",
         "Average annual lower boundary flux (m.a-1):");
    edit(tsFlux, &edtFlvLiqLboAmp, "edtFlvLiqLboAmp", dm->dsLocLboFluxSines, "FLVLIQLBOAMP",
         "Amplitude of lower boundary flux (m.a-1):");
    dayInYear(tsFlux, &dblupDateInYrFlvLiqLboMax, "dblupDateInYrFlvLiqLboMax", dm->dsLocLboFluxSines,
              "DATEINYRFLVLIQLBOMAX", "Day when flux is at its maximum:");

    btnCauchyComments = Button(this, tsCauchy, "btnCauchyComments", "Comments...", 8, 8, 100);
    WireCommentsButton(btnCauchyComments, dm->dsLocLboHeads);
    y = 44;
    Label(this, tsCauchy, "Shape type of groundwater level:", 8, y, labelWidth);
    dblupOptShapeGrwLev = Lookup(this, tsCauchy, "dblupOptShapeGrwLev", dm->dsLocLboHeads, "OPTSHAPEGRWLEV",
                                 dm->dsOptShapeGrwLevs, "OPTSHAPEGRWLEVCODE", "NAME", left, y, 160);
    y += kRow;
    edit(tsCauchy, &edtHeaDraBase, "edtHeaDraBase", dm->dsLocLboHeads, "HEADRABASE",
         "Drainage base to correct GWL (m):");
    edit(tsCauchy, &edtRstAqt, "edtRstAqt", dm->dsLocLboHeads, "RSTAQT", "Resistance of aquitard (d):");
    edit(tsCauchy, &edtHeaAqfAvg, "edtHeaAqfAvg", dm->dsLocLboHeads, "HEAAQFAVG",
         "Mean hydraulic head of aquifer (m):");
    edit(tsCauchy, &edtHeaAqfAmp, "edtHeaAqfAmp", dm->dsLocLboHeads, "HEAAQFAMP",
         "Amplitude of aquifer hydraulic head (m):");
    dayInYear(tsCauchy, &dblupDateInYrHeaAqfMax, "dblupDateInYrHeaAqfMax", dm->dsLocLboHeads, "DATEINYRHEAAQFMAX",
              "Day number with top hydraulic head:");

    btnFncGrwLevComments = Button(this, tsFncGrwLev, "btnFncGrwLevComments", "Comments...", 8, 8, 100);
    WireCommentsButton(btnFncGrwLevComments, dm->dsLocLboQHs);
    y = 44;
    edit(tsFncGrwLev, &edtCofFncGrwLev, "edtCofFncGrwLev", dm->dsLocLboQHs, "COFFNCGRWLEV",
         "Coefficient in Q(h) relationship (m d-1):");
    edit(tsFncGrwLev, &edtExpFncGrwLev, "edtExpFncGrwLev", dm->dsLocLboQHs, "EXPFNCGRWLEV",
         "Exponent in Q(h) relationship (m-1):");

    Label(this, tsZeroFlux, "No additional inputs required.", 8, 8, 300);
    Label(this, tsFreeDrain, "No additional input required.", 8, 8, 300);
    Label(this, tsLysimeter, "No additional input required.", 8, 8, 300);

    btnHelp = Button(this, this, "btnHelp", "Help", 926, 398, 75);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 1007, 398, 75, [this](TObject* s) { btnCloseClick(s); });

    TablesPostedOnClose = {dm->tblLocLboGroundWaters, dm->tblLocLboGroundWaterTS, dm->tblLocLboFluxSines,
                           dm->tblLocLboQHs,          dm->tblLocLboDirichlets,   dm->tblLocLboDirichletTS,
                           dm->tblLocLboHeads};
}

void TfrmBoundaries::BuildSeriesPage(TTabSheet* sheet, bool groundwater)
{
    TdmQuelm* dm = dmQuelm;
    TDataSource* head = groundwater ? dm->dsLocLboGroundWaters : dm->dsLocLboDirichlets;
    TDataSource* series = groundwater ? dm->dsLocLboGroundWaterTS : dm->dsLocLboDirichletsTS;
    const char* valueField = groundwater ? "GRWLEV" : "MVALUE";

    TButton* headComments =
        Button(this, sheet, groundwater ? "btnGrwLevComments" : "btnDirichletComments", "Comments...", 8, 8, 100);
    WireCommentsButton(headComments, head);

    TGroupBox* browse = Group(this, sheet, groundwater ? "grpGrwLevBrowse" : "grpDirichletBrowse",
                              " Browse Time Series ", 8, 40, 360, 280);
    TDBGrid* grid = Grid(this, browse, groundwater ? "grdGrwLevTS" : "grdDirichletTS", series,
                         {{"MDATE", "Date", 110}, {valueField, groundwater ? "Grw level (cm)" : "Value (cm)", 110}},
                         8, 22, 344, 178);
    TDBNavigator* navigator = Navigator(this, browse, groundwater ? "DBNavigator1" : "DBNavigator2", series, 8, 208);
    TButton* rowComments = Button(this, browse, groundwater ? "btnGrwLevTSComments" : "btnDirichletTSComments",
                                  "Comments...", 8, 242, 100);
    WireCommentsButton(rowComments, series);
    TButton* import = Button(this, browse, groundwater ? "btnImportGrwlev" : "btnImportPressureHeadLBO",
                             "Import Datafile...", 116, 242, 130);

    TGroupBox* editGroup = Group(this, sheet, groundwater ? "grpGrwLevEdit" : "grpDirichletEdit",
                                 " Edit Time Series ", 376, 40, 360, 96);
    Label(this, editGroup, groundwater ? "Groundwaterlevel (cm):" : "Pressure Head (cm):", 10, 22, 160);
    TDBEdit* value = Edit(this, editGroup, groundwater ? "edtGrwLev" : "edtMValue", series, valueField, 180, 22, 120);
    Label(this, editGroup, "Date in Year:", 10, 50, 160);
    TDBEdit* date =
        Edit(this, editGroup, groundwater ? "edtGrwLevDate" : "edtDirichletDate", series, "MDATE", 180, 50, 120);

    WireNavigator(navigator);
    if (groundwater) {
        // this navigator asks its own delete question before the data module's
        navigator->ConfirmDelete = true;
        btnGrwLevComments = headComments;
        grdGrwLevTS = grid;
        DBNavigator1 = navigator;
        btnGrwLevTSComments = rowComments;
        btnImportGrwlev = import;
        edtGrwLev = value;
        edtGrwLevDate = date;
        import->OnClick = [this](TObject* s) { btnImportGrwlevClick(s); };
    } else {
        btnDirichletComments = headComments;
        grdDirichletTS = grid;
        DBNavigator2 = navigator;
        btnDirichletTSComments = rowComments;
        btnImportPressureHeadLBO = import;
        edtMValue = value;
        edtDirichletDate = date;
        import->OnClick = [this](TObject* s) { btnImportPressureHeadLBOClick(s); };
    }
}

void TfrmBoundaries::OpenTables()
{
    TdmQuelm* dm = dmQuelm;
    for (TTable* table : {dm->tblLocLboDirichlets, dm->tblLocLboDirichletTS, dm->tblLocLboFluxSines,
                          dm->tblLocLboGroundWaters, dm->tblLocLboGroundWaterTS, dm->tblLocLboHeads, dm->tblLocLboQHs,
                          dm->tblOptShapeGrwLevs, dm->tblDateTimeCounting})
        OpenOrRefresh(table);
}

void TfrmBoundaries::AfterOpenTables()
{
    TdmQuelm* dm = dmQuelm;
    // the kind shown is the location's own, also when the window is opened on its own
    TTable* locations = dm->tblLocations;
    TTable* kinds = dm->tblLboNames;
    OpenOrRefresh(kinds);
    if (locations->Active() && !locations->IsEmpty()) {
        const String kind = locations->FieldByName("LBONAMECODE")->AsString();
        if (!SameText(kinds->FieldByName("LBONAMECODE")->AsString(), kind))
            kinds->Locate("LBONAMECODE", Variant(ToQString(kind)), loCaseInsensitive);
    }
    SelectLboPage();
    const std::pair<TButton*, TDataSource*> comments[] = {
        {btnGrwLevComments, dm->dsLocLboGroundWaters}, {btnGrwLevTSComments, dm->dsLocLboGroundWaterTS},
        {btnFluxComments, dm->dsLocLboFluxSines},      {btnCauchyComments, dm->dsLocLboHeads},
        {btnFncGrwLevComments, dm->dsLocLboQHs},       {btnDirichletComments, dm->dsLocLboDirichlets},
        {btnDirichletTSComments, dm->dsLocLboDirichletsTS}};
    for (const auto& [button, source] : comments)
        EnableCommentsButton(button, source);
}

void TfrmBoundaries::SelectLboPage()
{
    const std::pair<const char*, TTabSheet*> pages[] = {
        {"GRWLEV", tsGrwLev},       {"FLUX", tsFlux},         {"CAUCHY", tsCauchy},         {"FNCGRWLEV", tsFncGrwLev},
        {"DIRICHLET", tsDirichlet}, {"ZEROFLUX", tsZeroFlux}, {"FREEDRAIN", tsFreeDrain}, {"LYSIMETER", tsLysimeter}};
    TTable* kinds = dmQuelm->tblLboNames;
    const String kind = kinds->Active() ? UpperCase(kinds->FieldByName("LBONAMECODE")->AsString()) : String();
    for (const auto& [code, sheet] : pages)
        if (kind == code) {
            pgLBO->SetActivePage(sheet);
            break;
        }
    if (pgLBO->Visible())
        pgLBO->SetFocus();
}

void TfrmBoundaries::btnImportGrwlevClick(TObject*)
{
    if (dmQuelm->IsRecordLocked(dmQuelm->tblLocLboGroundWaters)) {
        MessageDlg(kLockedImportText, mtError, {mbOK}, 0);
        return;
    }
    dmQuelm->ImportGroundwaterLevels(dmQuelm->tblLocations->FieldByName("LOCATIONCODE")->AsString());
}

void TfrmBoundaries::btnImportPressureHeadLBOClick(TObject*)
{
    if (dmQuelm->IsRecordLocked(dmQuelm->tblLocLboDirichlets)) {
        MessageDlg(kLockedImportText, mtError, {mbOK}, 0);
        return;
    }
    dmQuelm->ImportPressureHeads(dmQuelm->tblLocations->FieldByName("LOCATIONCODE")->AsString());
}
