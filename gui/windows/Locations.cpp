#include "gui/windows/Locations.h"

#include "gui/windows/Boundaries.h"
#include "gui/windows/Drainage.h"
#include "gui/windows/EditorLayout.h"
#include "gui/windows/SoilProfiles.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

using namespace editorlayout;

namespace {

// Hears of every change of the current record of a data source (another record, a post, a
// cancel, a field set by the user).
class TRecordLink : public TDataLink {
public:
    std::function<void()> Changed;
    void RecordChanged(TField*) override
    {
        if (Changed)
            Changed();
    }
    void ActiveChanged() override { RecordChanged(nullptr); }
};

} // namespace

TfrmLocations::TfrmLocations(TComponent* owner) : TEditorForm(owner, "%s - Locations", 310)
{
    SetName("frmLocations");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetClientWidth(928);
    SetClientHeight(506);
    TDataSource* locations = dmQuelm->dsLocations;

    grpBrowse = Group(this, this, "grpBrowse", " Browse Locations ", 8, 8, 404, 452);
    grdLocations = Grid(this, grpBrowse, "grdLocations", locations,
                        {{"LOCATIONCODE", "Code", 76}, {"NAME", "Name", 116}, {"COUNTRY", "Country", 76},
                         {"MODIFICATIONDATE", "Last modified", 94}},
                        8, 22, 388, 352);
    navLocations = Navigator(this, grpBrowse, "navLocations", locations, 8, 382);
    btnCopy = Button(this, grpBrowse, "btnCopy", "Copy", 8, 414, 80, [this](TObject* s) { btnCopyClick(s); });
    btnComments = Button(this, grpBrowse, "btnComments", "Comments...", 96, 414, 100);
    WireCommentsButton(btnComments, locations);

    grpEdit = Group(this, this, "grpEdit", " Edit Location ", 420, 8, 500, 452);
    const int labelLeft = 10, labelWidth = 206, left = 220;
    int y = 22;
    auto edit = [&](TDBEdit** target, const char* name, const char* field, int width, const char* label,
                    const char* second = "") {
        Label(this, grpEdit, label, labelLeft, y, labelWidth, second);
        *target = Edit(this, grpEdit, name, locations, field, left, y + (*second ? 6 : 0), width);
        y += *second ? kTwoLineRow : kRow;
    };
    auto lookup = [&](TDBLookupComboBox** target, const char* name, const char* field, TDataSource* list,
                      const char* key, const char* shown, const char* label) {
        Label(this, grpEdit, label, labelLeft, y, labelWidth);
        *target = Lookup(this, grpEdit, name, locations, field, list, key, shown, left, y, 230);
    };
    edit(&edtCode, "edtCode", "LOCATIONCODE", 150, "Code:");
    edit(&edtName, "edtName", "NAME", 266, "Name:");
    edit(&Country, "Country", "COUNTRY", 200, "Country:");
    edit(&edtLongitude, "edtLongitude", "LONGITUDE", 100, "Longitude (dec. degrees,", " East positive):");
    edit(&edtLatitude, "edtLatitude", "LATITUDE", 100, "Latitude (dec. degrees):");
    edit(&edtAltitude, "edtAltitude", "ALTITUDE", 100, "Altitude (m):");
    lookup(&dblupSoilProfileCode, "dblupSoilProfileCode", "SOILPROFILECODE", dmQuelm->dsSoilProfiles,
           "SOILPROFILECODE", "NAME", "Soil Profile:");
    btnSoilProfiles = Button(this, grpEdit, "btnSoilProfiles", "...", left + 236, y - 2, 30,
                             [this](TObject* s) { btnSoilProfilesClick(s); });
    y += kRow;
    lookup(&dblupMeteoStationCode, "dblupMeteoStationCode", "METEOSTATIONCODE", dmQuelm->dsMeteoStations,
           "METEOSTATIONCODE", "NAME", "Meteostation:");
    y += kRow;
    edit(&edtZPndMax, "edtZPndMax", "ZPNDMAX", 100, "Max ponding depth (m):");
    edit(&edtTemLboSta, "edtTemLboSta", "TEMLBOSTA", 100, "Initial soil temperature", "at bottom of profile (C):");
    lookup(&dblupLboNameCode, "dblupLboNameCode", "LBONAMECODE", dmQuelm->dsLboNames, "LBONAMECODE", "DESCRIPTION",
           "Lower boundary:");
    btnLBOs = Button(this, grpEdit, "btnLBOs", "...", left + 236, y - 2, 30, [this](TObject* s) { btnLBOsClick(s); });
    y += kRow;
    cbCalcLateralDrainage = Make<TDBCheckBox>(this, grpEdit, "cbCalcLateralDrainage", labelLeft, y, 200, kControlHeight);
    cbCalcLateralDrainage->SetCaption("Calculate lateral drainage");
    cbCalcLateralDrainage->ValueChecked = "Yes";
    cbCalcLateralDrainage->ValueUnchecked = "No";
    cbCalcLateralDrainage->SetDataSource(locations);
    cbCalcLateralDrainage->SetDataField("OPTDRA");
    cbCalcLateralDrainage->OnClick = [this](TObject* s) { cbCalcLateralDrainageClick(s); };
    btnDrainage = Button(this, grpEdit, "btnDrainage", "Drainage levels ...", left, y - 2, 140,
                         [this](TObject* s) { btnDrainageClick(s); });
    y += kRow;
    edit(&edtThiAirBouLay, "edtThiAirBouLay", "THIAIRBOULAY", 100, "Air boundary layer", "Thickness (m):");

    for (TEdit* filtered : {static_cast<TEdit*>(edtCode), static_cast<TEdit*>(edtName), static_cast<TEdit*>(Country)})
        WireCharacterFilter(filtered);
    WireNavigator(navLocations, edtCode);

    btnHelp = Button(this, this, "btnHelp", "Help", 756, 472, 75);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 845, 472, 75, [this](TObject* s) { btnCloseClick(s); });

    TablesPostedOnClose = {dmQuelm->tblLocations};
}

TfrmLocations::~TfrmLocations()
{
    if (locationLink_)
        locationLink_->SetDataSource(nullptr);
}

void TfrmLocations::OpenTables()
{
    for (TTable* table : {dmQuelm->tblLocations, dmQuelm->tblSoilProfiles, dmQuelm->tblMeteoStations,
                          dmQuelm->tblLboNames})
        OpenOrRefresh(table);
}

void TfrmLocations::AfterOpenTables()
{
    auto link = std::make_unique<TRecordLink>();
    link->Changed = [this] { LocationChanged(); };
    link->SetDataSource(dmQuelm->dsLocations);
    locationLink_ = std::move(link);
    LocationChanged();
}

void TfrmLocations::BeforeCloseDone()
{
    if (locationLink_)
        locationLink_->SetDataSource(nullptr);
}

void TfrmLocations::LocationChanged()
{
    cbCalcLateralDrainageClick(this);
    TTable* locations = dmQuelm->tblLocations;
    TTable* kinds = dmQuelm->tblLboNames;
    if (!locations->Active() || !kinds->Active() || locations->IsEmpty())
        return;
    const String kind = locations->FieldByName("LBONAMECODE")->AsString();
    if (!kind.empty() && !SameText(kinds->FieldByName("LBONAMECODE")->AsString(), kind))
        kinds->Locate("LBONAMECODE", Variant(ToQString(kind)), loCaseInsensitive);
}

void TfrmLocations::cbCalcLateralDrainageClick(TObject*)
{
    btnDrainage->SetEnabled(cbCalcLateralDrainage->Checked());
}

void TfrmLocations::btnCopyClick(TObject*)
{
    TCopySpec plan;
    plan.master = dmQuelm->tblLocations;
    plan.keyField = "LOCATIONCODE";
    plan.nameField = "NAME";
    plan.resetMorvaSelected = true;
    TdmQuelm* dm = dmQuelm;
    plan.postFirst = {dm->tblLocLboGroundWaters, dm->tblLocLboGroundWaterTS, dm->tblLocLboFluxSines,
                      dm->tblLocLboQHs,          dm->tblLocLboDirichlets,   dm->tblLocLboDirichletTS,
                      dm->tblLocLboHeads};
    // the series go with their heads: purging a head takes its default series rows along
    plan.children = {{dm->tblDrainages, "LOCATIONCODE", true},
                     {dm->tblLocLboGroundWaters, "LOCATIONCODE", true},
                     {dm->tblLocLboGroundWaterTS, "LOCATIONCODE", false},
                     {dm->tblLocLboFluxSines, "LOCATIONCODE", true},
                     {dm->tblLocLboQHs, "LOCATIONCODE", true},
                     {dm->tblLocLboDirichlets, "LOCATIONCODE", true},
                     {dm->tblLocLboDirichletTS, "LOCATIONCODE", false},
                     {dm->tblLocLboHeads, "LOCATIONCODE", true}};
    CopyRecord(plan);
}

void TfrmLocations::btnSoilProfilesClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblLocations);
    OpenOrRefresh(dmQuelm->tblSoilProfiles);
    dmQuelm->tblSoilProfiles->Locate(
        "SOILPROFILECODE", Variant(ToQString(dmQuelm->tblLocations->FieldByName("SOILPROFILECODE")->AsString())),
        loCaseInsensitive);
    std::unique_ptr<TfrmSoilProfiles> form(New<TfrmSoilProfiles>(nullptr));
    form->ShowModal();
}

void TfrmLocations::btnLBOsClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblLocations);
    std::unique_ptr<TfrmBoundaries> form(New<TfrmBoundaries>(nullptr));
    form->ShowModal();
}

void TfrmLocations::btnDrainageClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblLocations);
    std::unique_ptr<TfrmDrainage> form(New<TfrmDrainage>(nullptr));
    form->ShowModal();
}
