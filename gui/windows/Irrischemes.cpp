#include "gui/windows/Irrischemes.h"

#include "gui/windows/EditorControls.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

using namespace editor;

namespace {

// Irrigation types that the model schedules itself: their schemes have no irrigation rows.
bool WithoutIrrigations(const String& type)
{
    const String t = UpperCase(type);
    return t == "NO" || t == "SPRINKLER_AUTO" || t == "SURFACE_AUTO" || t == "SPRINKLER_WEEKLY";
}

TMemo* Note(TComponent* owner, TWinControl* parent, const String& name, std::initializer_list<const char*> lines,
            int left, int top, int width, int height)
{
    auto* memo = Make<TMemo>(owner, parent, name, left, top, width, height);
    for (const char* line : lines)
        memo->Lines()->Add(line);
    memo->SetReadOnly(true);
    memo->SetVisible(false);
    return memo;
}

} // namespace

TfrmIrrigationSchemes::TfrmIrrigationSchemes(TComponent* owner)
    : TEditorForm(owner, "%s - Irrigation Schemes", 390)
{
    SetName("frmIrrigationSchemes");
    SetClientWidth(900);
    SetClientHeight(560);
    Position = poScreenCenter;
    TDataSource* ds = dmQuelm ? dmQuelm->dsIrrigationSchemes : nullptr;
    TDataSource* rows = dmQuelm ? dmQuelm->dsIrrigations : nullptr;
    TDataSource* types = dmQuelm ? dmQuelm->dsIrrigationTypes : nullptr;

    pnlIrrigationSchemes = Panel(this, this, "pnlIrrigationSchemes", 0, 0, 900, 200);
    auto* browse = Group(this, pnlIrrigationSchemes, "grpbxBrowseIrrigationSchemes", " Browse Irrigation Schemes ", 8,
                         8, 440, 186);
    grdSchemes = BrowseGrid(this, browse, "grdSchemes", ds,
                            {{"IRRIGATIONSCHEMECODE", "Irr. Scheme Code", 130}, {"DESCRIPTION", "Description", 250}},
                            10, 20, 420, 124);
    dbnavIrrigationSchemes = Navigator(this, browse, "dbnavIrrigationSchemes", ds, 10, 152, TButtonSet{nbFirst, nbLast});
    btnCopy = Button(this, browse, "btnCopy", "Copy", 70, 152, 80);

    auto* edit = Group(this, pnlIrrigationSchemes, "grpbxEditIrrigationScheme", " Edit Irrigation Scheme ", 456, 8,
                       436, 186);
    TFieldColumn fields(this, edit, 10, 24, 100, 316);
    dbedtCode = fields.Edit("dbedtCode", "Code:", ds, "IRRIGATIONSCHEMECODE", 160);
    dbedtDescription = fields.Edit("dbedtDescription", "Description:", ds, "DESCRIPTION");
    cmbIrrigationType = fields.Lookup("cmbIrrigationType", "Type:", ds, "IRRIGATIONTYPECODE", types,
                                      "IRRIGATIONTYPECODE", "NAME");
    btnSchemeComments = Button(this, edit, "btnSchemeComments", "Comments...", fields.FieldLeft(), fields.Top() + 4, 100);

    pnlIrrigations = Panel(this, this, "pnlIrrigations", 0, 204, 900, 316);
    gbxIrrigations = Group(this, pnlIrrigations, "gbxIrrigations", " Irrigations ", 8, 0, 884, 312);
    grdIrrigation = BrowseGrid(this, gbxIrrigations, "grdIrrigation", rows,
                               {{"MDATE", "Date", 100}, {"AMOUNT", "Amount", 100}}, 10, 20, 420, 250);
    dbnavIrrigations = Navigator(this, gbxIrrigations, "dbnavIrrigations", rows, 10, 278);
    TFieldColumn irrigation(this, gbxIrrigations, 448, 24, 150, 110);
    dbedtMDate = irrigation.Edit("dbedtMDate", "Date (dd/mm/yyyy):", rows, "MDATE");
    irrigation.Edit("dbedtAmount", "Amount (mm):", rows, "AMOUNT");
    btnIrrigationComments = Button(this, gbxIrrigations, "btnIrrigationComments", "Comments...", irrigation.FieldLeft(),
                                   irrigation.Top() + 4, 100);
    memoIrrigations1 = Note(this, pnlIrrigations, "memoIrrigations1",
                            {"Irrigations will only be shown ", "after", "you have saved your changes"}, 8, 8, 300, 64);
    memoIrrigations2 = Note(this, pnlIrrigations, "memoIrrigations2",
                            {"This irrigation scheme can have ", "no irrigations"}, 8, 8, 300, 48);

    // the action list only exists for its idle update; its check box lies hidden behind a panel
    alSetControls = new TActionList(this);
    alSetControls->SetName("alSetControls");
    actSetControls = new TAction(this);
    actSetControls->SetName("actSetControls");
    actSetControls->SetCaption("actGbxIrrigations");
    actSetControls->SetActionList(alSetControls);
    alSetControls->OnUpdate = [this](TAction* action, bool& handled) { alSetControlsUpdate(action, handled); };
    cbxAction = Make<TCheckBox>(this, this, "cbxAction", 8, 528, 140, 21);
    actSetControls->Link(cbxAction);
    pnlHideActionCheckbox = Make<TPanel>(this, this, "pnlHideActionCheckbox", 4, 524, 200, 30);
    pnlHideActionCheckbox->SetBevelOuter(bvNone);
    pnlHideActionCheckbox->SetCaption("Panel to hide action checkbox");

    btnHelp = Button(this, this, "btnHelp", "Help", 704, 528, 90);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 802, 528, 90);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    WireNavigator(dbnavIrrigations, dbedtMDate);
    WireCharacterFilter(dbedtCode);
    WireCharacterFilter(dbedtDescription);
    btnCopy->OnClick = [this](TObject* sender) { btnCopyClick(sender); };
    if (ds) {
        WireCommentsButton(btnSchemeComments, ds);
        WireCommentsButton(btnIrrigationComments, rows);
    }
    if (dmQuelm)
        TablesPostedOnClose = {dmQuelm->tblIrrigations, dmQuelm->tblIrrigationSchemes};
}

void TfrmIrrigationSchemes::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblIrrigationTypes);
    OpenOrRefresh(dmQuelm->tblIrrigationSchemes);
    OpenOrRefresh(dmQuelm->tblIrrigations);
}

void TfrmIrrigationSchemes::AfterOpenTables()
{
    pnlHideActionCheckbox->SetCaption("");
    pnlHideActionCheckbox->BringToFront();
    // an irrigation has no comment field in the database: the button would only fail
    btnIrrigationComments->SetEnabled(dmQuelm->tblIrrigations->FindField("COMMENTS") != nullptr);
}

void TfrmIrrigationSchemes::alSetControlsUpdate(TAction*, bool& handled)
{
    handled = true;
    TTable* schemes = dmQuelm ? dmQuelm->tblIrrigationSchemes : nullptr;
    if (!schemes || !schemes->Active())
        return;
    if (schemes->State() == dsBrowse) {
        memoIrrigations1->SetVisible(false);
        const bool none = WithoutIrrigations(schemes->FieldByName("IRRIGATIONTYPECODE")->AsString());
        gbxIrrigations->SetVisible(!none);
        btnCopy->SetEnabled(!none);
        memoIrrigations2->SetVisible(none);
        if (none)
            memoIrrigations2->BringToFront();
    } else {
        gbxIrrigations->SetVisible(false);
        memoIrrigations2->SetVisible(false);
        btnCopy->SetEnabled(false);
        memoIrrigations1->SetVisible(true);
        memoIrrigations1->BringToFront();
    }
}

void TfrmIrrigationSchemes::btnCopyClick(TObject*)
{
    TCopySpec plan;
    plan.master = dmQuelm->tblIrrigationSchemes;
    plan.keyField = "IRRIGATIONSCHEMECODE";
    plan.nameField = "DESCRIPTION";
    plan.postFirst = {dmQuelm->tblIrrigations};
    plan.children = {{dmQuelm->tblIrrigations, "IRRIGATIONSCHEMECODE"}};
    CopyRecord(plan);
}
