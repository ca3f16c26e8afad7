#include "gui/windows/Depositions.h"

#include "gui/windows/EditorControls.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

using namespace editor;

TfrmDepositions::TfrmDepositions(TComponent* owner) : TEditorForm(owner, "%s - Deposition Schemes", 460)
{
    SetName("frmDepositions");
    SetClientWidth(900);
    SetClientHeight(520);
    Position = poScreenCenter;
    TDataSource* ds = dmQuelm ? dmQuelm->dsDepositionSchemes : nullptr;
    TDataSource* rows = dmQuelm ? dmQuelm->dsDepositions : nullptr;

    auto* browse = Group(this, this, "grpbxBrowseDepositionSchemes", " Browse Deposition Schemes ", 8, 8, 440, 186);
    grdSchemes = BrowseGrid(this, browse, "grdSchemes", ds,
                            {{"DEPOSITIONSCHEMECODE", "Code", 120}, {"DESCRIPTION", "Description", 260}}, 10, 20, 420, 124);
    dbnavDepositionSchemes = Navigator(this, browse, "dbnavDepositionSchemes", ds, 10, 152);
    grpbxEditDepositionScheme = Group(this, this, "grpbxEditDepositionScheme", " Edit Deposition Scheme ", 456, 8, 436, 186);
    TFieldColumn fields(this, grpbxEditDepositionScheme, 10, 24, 100, 316);
    dbedtCode = fields.Edit("dbedtCode", "Code:", ds, "DEPOSITIONSCHEMECODE", 160);
    dbedtDescription = fields.Edit("dbedtDescription", "Description:", ds, "DESCRIPTION");
    btnComments = Button(this, grpbxEditDepositionScheme, "btnComments", "Comments...", fields.FieldLeft(),
                         fields.Top() + 4, 100);

    lblMessage = Label(this, this, "Depositions will only be shown after you have saved your changes", 16, 212, 0,
                       "lblMessage");
    lblMessage->SetVisible(false);
    pnlDepositions = Panel(this, this, "pnlDepositions", 0, 200, 900, 276);
    auto* group = Group(this, pnlDepositions, "grpbxDepositions", " Depositions ", 8, 0, 884, 272);
    grdDepositions = BrowseGrid(this, group, "grdDepositions", rows, {{"MDATE", "Date", 100}, {"FLMDEP", "Deposition Flux", 120}},
                             10, 20, 420, 210);
    dbnavDepositions = Navigator(this, group, "dbnavDepositions", rows, 10, 238);
    TFieldColumn row(this, group, 448, 24, 230, 110);
    dbedtDepositionDate = row.Edit("dbedtDepositionDate", "Date (dd/mm/yyyy):", rows, "MDATE");
    row.Edit("dbedtFlmDep", "Deposition flux (kg ha-1 d-1):", rows, "FLMDEP");

    btnHelp = Button(this, this, "btnHelp", "Help", 704, 488, 90);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 802, 488, 90);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    WireNavigator(dbnavDepositionSchemes, dbedtCode, grdSchemes);
    WireNavigator(dbnavDepositions, dbedtDepositionDate);
    WireCharacterFilter(dbedtCode);
    WireCharacterFilter(dbedtDescription);
    if (ds)
        WireCommentsButton(btnComments, ds);
    if (dmQuelm)
        TablesPostedOnClose = {dmQuelm->tblDepositions, dmQuelm->tblDepositionSchemes};
    OnClose = [this](TObject* sender, TCloseAction& action) { FormCloseCheck(sender, action); };
}

void TfrmDepositions::FormCloseCheck(TObject* sender, TCloseAction& action)
{
    FormClose(sender, action); // posts and detaches the handlers
    if (action == caNone)
        return;
    if (!dmQuelm->CheckDepositionSchemes()) {
        // the offending scheme is current: activation shows it with its rows again
        FormActivate(this);
        action = caNone;
    }
}

void TfrmDepositions::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblDepositionSchemes);
    OpenOrRefresh(dmQuelm->tblDepositions);
}

void TfrmDepositions::AfterOpenTables()
{
    AttachMasterStatePanel(dmQuelm->dsDepositionSchemes, pnlDepositions, lblMessage, {dmQuelm->tblDepositions});
    AttachScrollRule(dmQuelm->tblDepositionSchemes, "DEPOSITIONSCHEMECODE", {pnlDepositions, grpbxEditDepositionScheme});
}
