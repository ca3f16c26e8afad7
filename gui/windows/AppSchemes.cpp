#include "gui/windows/AppSchemes.h"

#include "gui/windows/EditorControls.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include <memory>

using namespace editor;

namespace {

// Shows, hides and labels the parameter of an application after its type.
void ApplyParameterRule(TTable* table, TLabel* label, TDBEdit* edit)
{
    if (!table->Active())
        return;
    const String type = UpperCase(table->FieldByName("APPLICATIONTYPECODE")->AsString());
    bool shown = true;
    if (type == "APPCRPLAI" || type == "APPSOLSUR")
        shown = false;
    else if (type == "APPSOLINJ" || type == "APPSOLTIL")
        label->SetCaption("Depth (m):");
    else if (type == "APPCRPUSR")
        label->SetCaption("Fraction intercepted(-):");
    label->SetVisible(shown);
    edit->SetVisible(shown);
}

} // namespace

TfrmApplicationSchemes::TfrmApplicationSchemes(TComponent* owner)
    : TEditorForm(owner, "%s - Application Schemes", 410)
{
    SetName("frmApplicationSchemes");
    SetClientWidth(900);
    SetClientHeight(600);
    Position = poScreenCenter;
    CreateSchemePanel();
    CreateApplicationPanel();

    lblMessage = Label(this, this, "Applications will only be shown after you have saved your changes", 16, 220, 0,
                       "lblMessage");
    lblMessage->SetVisible(false);
    btnHelp = Button(this, this, "btnHelp", "Help", 704, 568, 90);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 802, 568, 90);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    if (dmQuelm)
        TablesPostedOnClose = {dmQuelm->tblApplicationsAbsolute, dmQuelm->tblApplicationsRelative,
                               dmQuelm->tblApplicationSchemes};
}

void TfrmApplicationSchemes::CreateSchemePanel()
{
    TDataSource* ds = dmQuelm ? dmQuelm->dsApplicationSchemes : nullptr;
    pnlApplicationSchemes = Panel(this, this, "pnlApplicationSchemes", 0, 0, 900, 200);
    auto* browse = Group(this, pnlApplicationSchemes, "grpbxBrowseApplicationSchemes", " Browse Application Schemes ",
                         8, 8, 440, 186);
    grdSchemes = BrowseGrid(this, browse, "grdSchemes", ds,
                            {{"APPLICATIONSCHEMECODE", "Code", 120}, {"DESCRIPTION", "Description", 260}}, 10, 20,
                            420, 124);
    DBNavApplicationSchemes = Navigator(this, browse, "DBNavApplicationSchemes", ds, 10, 152);
    btnCopyApplicationScheme = Button(this, browse, "btnCopyApplicationScheme", "Copy", 170, 152, 80);

    grpbxEditApplicationScheme = Group(this, pnlApplicationSchemes, "grpbxEditApplicationScheme",
                                       " Edit Application Scheme ", 456, 8, 436, 186);
    TFieldColumn rows(this, grpbxEditApplicationScheme, 10, 24, 100, 316);
    dbedtCode = rows.Edit("dbedtCode", "Code:", ds, "APPLICATIONSCHEMECODE", 160);
    dbedtDescription = rows.Edit("dbedtDescription", "Description:", ds, "DESCRIPTION");
    btnSchemeComments = Button(this, grpbxEditApplicationScheme, "btnSchemeComments", "Comments...", rows.FieldLeft(),
                               rows.Top() + 4, 100);

    WireNavigator(DBNavApplicationSchemes, dbedtCode, grdSchemes);
    WireCharacterFilter(dbedtCode);
    WireCharacterFilter(dbedtDescription);
    btnCopyApplicationScheme->OnClick = [this](TObject* sender) { btnCopyApplicationSchemeClick(sender); };
    if (ds)
        WireCommentsButton(btnSchemeComments, ds);
}

void TfrmApplicationSchemes::CreateApplicationPanel()
{
    TDataSource* absolute = dmQuelm ? dmQuelm->dsApplicationsAbsolute : nullptr;
    TDataSource* relative = dmQuelm ? dmQuelm->dsApplicationsRelative : nullptr;
    TDataSource* types = dmQuelm ? dmQuelm->dsApplicationTypes : nullptr;
    TDataSource* events = dmQuelm ? dmQuelm->dsCropEvents : nullptr;
    pnlApplications = Panel(this, this, "pnlApplications", 0, 204, 900, 356);

    pgApplications = Make<TPageControl>(this, pnlApplications, "pgApplications", 8, 0, 440, 352);
    tsAbsolute = new TTabSheet(this);
    tsAbsolute->SetName("tsAbsolute");
    tsAbsolute->SetCaption("Absolute applications");
    tsAbsolute->SetPageControl(pgApplications);
    tsRelative = new TTabSheet(this);
    tsRelative->SetName("tsRelative");
    tsRelative->SetCaption("Relative applications");
    tsRelative->SetPageControl(pgApplications);
    pgApplications->SetActivePage(tsAbsolute);
    pgApplications->OnChange = [this](TObject* sender) { pgApplicationsChange(sender); };

    auto* editAbsolute = Group(this, tsAbsolute, "grpbxEditAbsolute", " Edit Absolute Application ", 8, 8, 416, 200);
    TFieldColumn abs(this, editAbsolute, 10, 24, 150, 240);
    dbedtMDate = abs.Edit("dbedtMDate", "Date (dd/mm/yyyy):", absolute, "MDATE", 100);
    abs.Edit("dbedtDosageAbsolute", "Dosage (kg ha-1):", absolute, "DOSAGE", 100);
    cmbTypeAbsolute = abs.Lookup("cmbTypeAbsolute", "Application type:", absolute, "APPLICATIONTYPECODE", types,
                                 "APPLICATIONTYPECODE", "NAME");
    lblAppParameterAbsolute = abs.Caption("Depth (-):", "lblAppParameterAbsolute");
    dbedtAppParameterAbsolute = abs.Edit("dbedtAppParameterAbsolute", "", absolute, "APPLICATIONPARAMETER", 100);
    auto* absoluteComments = Button(this, editAbsolute, "btnAbsoluteComments", "Comments...", abs.FieldLeft(),
                                    abs.Top() + 4, 100);

    auto* editRelative = Group(this, tsRelative, "grpbxEditRelative", " Edit Relative Application ", 8, 8, 416, 290);
    TFieldColumn rel(this, editRelative, 10, 24, 150, 240);
    dbedtCropCalendarSeqNo = rel.Edit("dbedtCropCalendarSeqNo", "Crop number:", relative, "CROPCALENDARSEQNO", 60);
    cmbCropEvent = rel.Lookup("cmbCropEvent", "Crop event:", relative, "CROPEVENTCODE", events, "CROPEVENTCODE", "NAME");
    rel.Caption("Period (days) before");
    rel.Skip(16);
    dbedtDateRelative = rel.Edit("dbedtDateRelative", "or after event:", relative, "DATERELATIVE", 60);
    rel.Edit("dbedtDosageRelative", "Dosage (kg ha-1):", relative, "DOSAGE", 100);
    cmbTypeRelative = rel.Lookup("cmbTypeRelative", "Application type:", relative, "APPLICATIONTYPECODE", types,
                                 "APPLICATIONTYPECODE", "NAME");
    lblAppParameterRelative = rel.Caption("Depth (-):", "lblAppParameterRelative");
    edtAppParameterRelative = rel.Edit("edtAppParameterRelative", "", relative, "APPLICATIONPARAMETER", 100);
    auto* relativeComments = Button(this, editRelative, "btnRelativeComments", "Comments...", rel.FieldLeft(),
                                    rel.Top() + 4, 100);

    auto* browseAbsolute = Group(this, pnlApplications, "grpbxBrowseAbsolute", " Browse Absolute Applications ", 456, 0,
                                 436, 172);
    grdApplicationsAbsolute = BrowseGrid(this, browseAbsolute, "grdApplicationsAbsolute", absolute,
                                         {{"MDATE", "Date", 80}, {"APPLICATIONTYPECODE", "Type", 80},
                                          {"DOSAGE", "Dosage", 60}, {"APPLICATIONPARAMETER", "Application Parameter", 150}},
                                         10, 20, 416, 112);
    DBNavApplicationsAbsolute = Navigator(this, browseAbsolute, "DBNavApplicationsAbsolute", absolute, 10, 138);
    btnCopyApplicationAbsolute = Button(this, browseAbsolute, "btnCopyApplicationAbsolute", "Copy", 170, 138, 80);

    auto* browseRelative = Group(this, pnlApplications, "grpbxBrowseRelative", " Browse Relative Applications ", 456,
                                 180, 436, 172);
    grdApplicationsRelative =
        BrowseGrid(this, browseRelative, "grdApplicationsRelative", relative,
                   {{"CROPEVENTCODE", "Crop Event", 80}, {"DATERELATIVE", "Period", 50}, {"CROPCALENDARSEQNO", "Crop No.", 60},
                    {"DOSAGE", "Dosage", 60}, {"APPLICATIONPARAMETER", "Application Parameter", 150}},
                   10, 20, 416, 112);
    DBNavApplicationsRelative = Navigator(this, browseRelative, "DBNavApplicationsRelative", relative, 10, 138);
    btnCopyApplicationRelative = Button(this, browseRelative, "btnCopyApplicationRelative", "Copy", 170, 138, 80);

    dbedtApplicationTypeCode = Edit(this, this, "dbedtApplicationTypeCode", absolute, "APPLICATIONTYPECODE", 0, 0, 10);
    dbedtApplicationTypeCode->SetVisible(false);
    dbedtApplicationTypeCode->OnChange = [this](TObject* sender) { cmbTypeAbsoluteClick(sender); };
    cmbTypeAbsolute->OnClick = [this](TObject* sender) { cmbTypeAbsoluteClick(sender); };
    cmbTypeRelative->OnClick = [this](TObject* sender) { cmbTypeRelativeClick(sender); };

    // the controls of each kind of application show their page
    auto follow = [this](TTabSheet* page, std::initializer_list<TWinControl*> controls) {
        for (TWinControl* control : controls)
            control->OnEnter = [this, page](TObject*) { ShowPage(page); };
    };
    follow(tsAbsolute, {grdApplicationsAbsolute, DBNavApplicationsAbsolute, btnCopyApplicationAbsolute});
    follow(tsRelative, {grdApplicationsRelative, DBNavApplicationsRelative, btnCopyApplicationRelative});
    WireNavigator(DBNavApplicationsAbsolute, cmbTypeAbsolute);
    WireNavigator(DBNavApplicationsRelative, cmbTypeRelative);
    for (const auto& pair : {std::pair{DBNavApplicationsAbsolute, tsAbsolute}, std::pair{DBNavApplicationsRelative, tsRelative}}) {
        TDBNavigator* navigator = pair.first;
        TTabSheet* page = pair.second;
        auto before = navigator->BeforeAction;
        navigator->BeforeAction = [this, page = page, before](TObject* sender, TNavigateBtn button) {
            ShowPage(page);
            before(sender, button);
        };
    }
    btnCopyApplicationAbsolute->OnClick = [this](TObject* sender) { btnCopyApplicationAbsoluteClick(sender); };
    btnCopyApplicationRelative->OnClick = [this](TObject* sender) { btnCopyApplicationRelativeClick(sender); };
    if (absolute) {
        WireCommentsButton(absoluteComments, absolute);
        WireCommentsButton(relativeComments, relative);
    }
}

void TfrmApplicationSchemes::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblApplicationSchemes);
    OpenOrRefresh(dmQuelm->tblApplicationsAbsolute);
    OpenOrRefresh(dmQuelm->tblApplicationsRelative);
    OpenOrRefresh(dmQuelm->tblCropEvents);
    OpenOrRefresh(dmQuelm->tblApplicationTypes);
}

void TfrmApplicationSchemes::AfterOpenTables()
{
    pgApplications->SetActivePage(tsAbsolute);
    cmbTypeAbsoluteClick(this);
    cmbTypeRelativeClick(this);
    AttachMasterStatePanel(dmQuelm->dsApplicationSchemes, pnlApplications, lblMessage,
                           {dmQuelm->tblApplicationsAbsolute, dmQuelm->tblApplicationsRelative});
    AttachScrollRule(dmQuelm->tblApplicationSchemes, "APPLICATIONSCHEMECODE",
                     {grpbxEditApplicationScheme, pnlApplications, btnCopyApplicationScheme});
}

void TfrmApplicationSchemes::ShowPage(TTabSheet* page)
{
    if (pgApplications->ActivePage() == page)
        return;
    pgApplications->SetActivePage(page);
    pgApplicationsChange(pgApplications);
}

void TfrmApplicationSchemes::pgApplicationsChange(TObject*)
{
    PostPendingEdits(dmQuelm->tblApplicationsRelative);
}

void TfrmApplicationSchemes::cmbTypeAbsoluteClick(TObject*)
{
    if (dmQuelm)
        ApplyParameterRule(dmQuelm->tblApplicationsAbsolute, lblAppParameterAbsolute, dbedtAppParameterAbsolute);
}

void TfrmApplicationSchemes::cmbTypeRelativeClick(TObject*)
{
    if (dmQuelm)
        ApplyParameterRule(dmQuelm->tblApplicationsRelative, lblAppParameterRelative, edtAppParameterRelative);
}

void TfrmApplicationSchemes::btnCopyApplicationSchemeClick(TObject*)
{
    TCopySpec plan;
    plan.master = dmQuelm->tblApplicationSchemes;
    plan.keyField = "APPLICATIONSCHEMECODE";
    plan.nameField = "DESCRIPTION";
    plan.postFirst = {dmQuelm->tblApplicationsAbsolute, dmQuelm->tblApplicationsRelative};
    plan.children = {{dmQuelm->tblApplicationsAbsolute, "APPLICATIONSCHEMECODE"},
                     {dmQuelm->tblApplicationsRelative, "APPLICATIONSCHEMECODE"}};
    CopyRecord(plan);
}

void TfrmApplicationSchemes::CopyApplication(TTable* table, const String& locateFields, const String& shiftedField)
{
    Screen->SetCursor(crHourGlass);
    PostPendingEdits(table);
    if (table->IsEmpty())
        return;
    const String scheme = table->FieldByName("APPLICATIONSCHEMECODE")->AsString();
    const String type = table->FieldByName("APPLICATIONTYPECODE")->AsString();
    TField* shifted = table->FieldByName(shiftedField);
    const bool isDate = shiftedField == "MDATE";
    const double date = isDate ? shifted->AsDateTime() : 0;
    const int period = isDate ? 0 : shifted->AsInteger();
    // the source row in a clone: the current row, found by its own key fields
    std::vector<Variant> key;
    for (const String& field : SplitString(locateFields, ';'))
        key.push_back(table->FieldByName(field)->Value());
    std::unique_ptr<TTable> clone(CloneTable(table));
    clone->Locate(locateFields, key, loCaseInsensitive);
    table->Insert();
    CopyFieldValues(clone.get(), table);
    table->FieldByName("APPLICATIONSCHEMECODE")->SetAsString(scheme);
    table->FieldByName("APPLICATIONTYPECODE")->SetAsString(type);
    if (isDate)
        table->FieldByName(shiftedField)->SetAsDateTime(date + 1);
    else
        table->FieldByName(shiftedField)->SetAsInteger(period + 1);
    dmQuelm->ConfirmOff();
    // a row that exists already fails here and stays in insert state for the user
    table->Post();
    clone.reset();
    OpenOrRefresh(table);
}

void TfrmApplicationSchemes::btnCopyApplicationAbsoluteClick(TObject*)
{
    CopyApplication(dmQuelm->tblApplicationsAbsolute, "APPLICATIONSCHEMECODE;MDATE;APPLICATIONTYPECODE", "MDATE");
}

void TfrmApplicationSchemes::btnCopyApplicationRelativeClick(TObject*)
{
    // the relative row is found by its whole key, so that the copy takes the current row
    CopyApplication(dmQuelm->tblApplicationsRelative,
                    "APPLICATIONSCHEMECODE;CROPCALENDARSEQNO;CROPEVENTCODE;DATERELATIVE", "DATERELATIVE");
}
