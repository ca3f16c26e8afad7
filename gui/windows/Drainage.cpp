#include "gui/windows/Drainage.h"

#include "gui/windows/EditorLayout.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"

using namespace editorlayout;

TfrmDrainage::TfrmDrainage(TComponent* owner) : TEditorForm(owner, "%s - Drainage", 370)
{
    SetName("frmDrainage");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetClientWidth(560);
    SetClientHeight(448);
    TDataSource* drainages = dmQuelm->dsDrainages;

    grdDrainage = Grid(this, this, "grdDrainage", drainages,
                       {{"DRAINAGELEVEL", "Level", 50},
                        {"RSTDRA", "Drain Res.", 80},
                        {"RSTINF", "Infil. Res.", 80},
                        {"DISTDRA", "Distance", 80},
                        {"ZDRA", "Bottom", 80},
                        {"OPTDRAINAGETYPECODE", "Type Code", 100}},
                       8, 8, 544, 160);
    navDrainage = Navigator(this, this, "navDrainage", drainages, 8, 176);

    GroupBox = Group(this, this, "GroupBox", " Edit Drainage Level ", 8, 210, 544, 196);
    struct Row {
        TDBEdit** edit;
        const char* name;
        const char* field;
        const char* label;
    } const rows[] = {
        {&edtLevel, "edtLevel", "DRAINAGELEVEL", "Level (-):"},
        {&edtRstDra, "edtRstDra", "RSTDRA", "Drainage resistance (d):"},
        {&edtRstInf, "edtRstInf", "RSTINF", "Infiltration resistance (d):"},
        {&edtDistDra, "edtDistDra", "DISTDRA", "Distance drains/channels (m):"},
        {&edtZDra, "edtZDra", "ZDRA", "Bottom of drain system (m):"},
    };
    int y = 22;
    for (const Row& row : rows) {
        Label(this, GroupBox, row.label, 10, y, 210);
        *row.edit = Edit(this, GroupBox, row.name, drainages, row.field, 224, y, 100);
        y += kRow;
    }
    // The list shows the type codes and stores the chosen code, which the drainage level
    // refers to.
    Label(this, GroupBox, "Type:", 10, y, 210);
    cbxType = Lookup(this, GroupBox, "cbxType", drainages, "OPTDRAINAGETYPECODE", dmQuelm->dsOptDrainageTypes,
                     "OPTDRAINAGETYPECODE", "OPTDRAINAGETYPECODE", 224, y, 150);

    WireNavigator(navDrainage);
    auto patternBefore = navDrainage->BeforeAction;
    navDrainage->BeforeAction = [this, patternBefore](TObject* sender, TNavigateBtn button) {
        Screen->SetCursor(crHourGlass);
        if (button == nbInsert)
            GroupBox->SetVisible(true);
        patternBefore(sender, button);
    };

    Timer = new TTimer(this);
    Timer->SetName("Timer");
    Timer->SetEnabled(false);
    Timer->SetInterval(100);
    Timer->SetOnTimer([this](TObject* s) { TimerTimer(s); });

    btnHelp = Button(this, this, "btnHelp", "Help", 396, 414, 75);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 477, 414, 75, [this](TObject* s) { btnCloseClick(s); });

    TablesPostedOnClose = {dmQuelm->tblDrainages};
}

void TfrmDrainage::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblDrainages);
    OpenOrRefresh(dmQuelm->tblOptDrainageTypes);
}

void TfrmDrainage::AfterOpenTables()
{
    if (dmQuelm->tblDrainages->IsEmpty()) {
        GroupBox->SetVisible(true);
        MessageDlg("No drainages yet for location. Create drainages with + button.", mtInformation, {mbOK}, 0);
    }
    Timer->SetEnabled(true);
}

void TfrmDrainage::BeforeCloseDone()
{
    Timer->SetEnabled(false);
}

void TfrmDrainage::TimerTimer(TObject*)
{
    TTable* drainages = dmQuelm->tblDrainages;
    if (drainages->Active() && drainages->State() == dsBrowse && drainages->IsEmpty())
        GroupBox->SetVisible(false);
    else if (drainages->Active() && !drainages->IsEmpty())
        GroupBox->SetVisible(true);
}
