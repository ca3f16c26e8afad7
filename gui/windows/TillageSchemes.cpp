#include "gui/windows/TillageSchemes.h"

#include "gui/windows/EditorControls.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

using namespace editor;

TfrmTillageSchemes::TfrmTillageSchemes(TComponent* owner) : TEditorForm(owner, "%s - Tillage Schemes", 430)
{
    SetName("frmTillageSchemes");
    SetClientWidth(900);
    SetClientHeight(520);
    Position = poScreenCenter;
    TDataSource* ds = dmQuelm ? dmQuelm->dsTillageSchemes : nullptr;
    TDataSource* rows = dmQuelm ? dmQuelm->dsTillages : nullptr;

    auto* browse = Group(this, this, "grpbxBrowseTillageSchemes", " Browse Tillage Schemes ", 8, 8, 440, 186);
    grdSchemes = BrowseGrid(this, browse, "grdSchemes", ds,
                            {{"TILLAGESCHEMECODE", "Code", 120}, {"DESCRIPTION", "Description", 260}}, 10, 20, 420, 124);
    dbnavTillageSchemes = Navigator(this, browse, "dbnavTillageSchemes", ds, 10, 152);
    grpbxEditTillageScheme = Group(this, this, "grpbxEditTillageScheme", " Edit Tillage Scheme ", 456, 8, 436, 186);
    TFieldColumn fields(this, grpbxEditTillageScheme, 10, 24, 100, 316);
    DBEdtCode = fields.Edit("DBEdtCode", "Code:", ds, "TILLAGESCHEMECODE", 160);
    DBEdtDescription = fields.Edit("DBEdtDescription", "Description:", ds, "DESCRIPTION");
    btnComments = Button(this, grpbxEditTillageScheme, "btnComments", "Comments...", fields.FieldLeft(),
                         fields.Top() + 4, 100);

    lblMessage = Label(this, this, "Tillages will only be shown after you have saved your changes", 16, 212, 0,
                       "lblMessage");
    lblMessage->SetVisible(false);
    pnlTillages = Panel(this, this, "pnlTillages", 0, 200, 900, 276);
    auto* group = Group(this, pnlTillages, "grpbxTillages", " Tillages ", 8, 0, 884, 272);
    grdTillages = BrowseGrid(this, group, "grdTillages", rows, {{"MDATE", "Date", 100}, {"DEPTH", "Depth (m)", 100}},
                             10, 20, 420, 210);
    dbnavTillages = Navigator(this, group, "dbnavTillages", rows, 10, 238);
    TFieldColumn row(this, group, 448, 24, 150, 110);
    DBEdtTillageDate = row.Edit("DBEdtTillageDate", "Date (dd/mm/yyyy):", rows, "MDATE");
    row.Edit("DBEdtDepth", "Depth (m):", rows, "DEPTH");

    btnHelp = Button(this, this, "btnHelp", "Help", 704, 488, 90);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 802, 488, 90);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    WireNavigator(dbnavTillageSchemes, DBEdtCode, grdSchemes);
    WireNavigator(dbnavTillages, DBEdtTillageDate);
    WireCharacterFilter(DBEdtCode);
    WireCharacterFilter(DBEdtDescription);
    if (ds)
        WireCommentsButton(btnComments, ds);
    if (dmQuelm)
        TablesPostedOnClose = {dmQuelm->tblTillages, dmQuelm->tblTillageSchemes};
}

void TfrmTillageSchemes::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblTillageSchemes);
    OpenOrRefresh(dmQuelm->tblTillages);
}

void TfrmTillageSchemes::AfterOpenTables()
{
    AttachMasterStatePanel(dmQuelm->dsTillageSchemes, pnlTillages, lblMessage, {dmQuelm->tblTillages});
    AttachScrollRule(dmQuelm->tblTillageSchemes, "TILLAGESCHEMECODE", {pnlTillages, grpbxEditTillageScheme});
}
