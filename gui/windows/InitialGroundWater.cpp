#include "gui/windows/InitialGroundWater.h"

#include "gui/windows/EditorLayout.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

using namespace editorlayout;

TfrmInitialGroundWater::TfrmInitialGroundWater(TComponent* owner)
    : TEditorForm(owner, "%s - Initial Groundwater Level", 307)
{
    SetName("frmInitialGroundWater");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetClientWidth(380);
    SetClientHeight(78);
    OnActivate = nullptr; // nothing to open: the run is the main window's

    Label(this, this, "Initial groundwater level (cm):", 8, 10, 220);
    edtZGrwLevSta = Edit(this, this, "edtZGrwLevSta", dmQuelm->dsRuns, "ZGRWLEVSTA", 232, 10, 140);

    btnHelp = Button(this, this, "btnHelp", "Help", 216, 44, 75);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 297, 44, 75, [this](TObject* s) { btnCloseClick(s); });
}

void TfrmInitialGroundWater::BeforeCloseDone()
{
    // the level typed reaches the run's record, which stays in edit state
    if (edtZGrwLevSta->Modified())
        edtZGrwLevSta->UpdateRecord();
}
