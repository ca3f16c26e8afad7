#include "gui/windows/Initial.h"

#include "gui/windows/EditorLayout.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

using namespace editorlayout;

TfrmInitial::TfrmInitial(TComponent* owner) : TEditorForm(owner, "%s - Initial Conditions for Parent Pesticide", 305)
{
    SetName("frmInitial");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetClientWidth(588);
    SetClientHeight(348);
    TdmQuelm* dm = dmQuelm;

    auto domain = [&](TGroupBox** group, TDBGrid** grid, TDBNavigator** navigator, const char* groupName,
                      const char* caption, const char* gridName, const char* navName, TDataSource* source,
                      const char* contentField, int left) {
        *group = Group(this, this, groupName, caption, left, 8, 282, 300);
        *grid = Grid(this, *group, gridName, source, {{"Z", "Depth (m)", 90}, {contentField, "Content (mg kg-1)", 130}},
                     8, 22, 266, 236, true);
        *navigator = Navigator(this, *group, navName, source, 8, 266);
        WireNavigator(*navigator);
        // the grid takes the focus first, so that a cell being edited reaches its field
        auto patternBefore = (*navigator)->BeforeAction;
        TDBGrid* target = *grid;
        (*navigator)->BeforeAction = [target, patternBefore](TObject* sender, TNavigateBtn button) {
            if (target->Visible())
                target->SetFocus();
            target->UpdateData();
            patternBefore(sender, button);
        };
    };
    domain(&grpEql, &grdEql, &dbnavCntSysEql, "grpEql", " Equilibrium domain ", "grdEql", "dbnavCntSysEql",
           dm->dsCntSysEql, "CNTSYSEQL", 8);
    domain(&grpNeq, &grdNeq, &dbnavCntSysNeq, "grpNeq", " Non-equilibrium domain ", "grdNeq", "dbnavCntSysNeq",
           dm->dsCntSysNeq, "CNTSYSNEQ", 298);

    btnHelp = Button(this, this, "btnHelp", "Help", 424, 316, 75);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 505, 316, 75, [this](TObject* s) { btnCloseClick(s); });

    TablesPostedOnClose = {dm->tblCntSysEql, dm->tblCntSysNeq};
}

void TfrmInitial::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblCntSysEql);
    OpenOrRefresh(dmQuelm->tblCntSysNeq);
}
