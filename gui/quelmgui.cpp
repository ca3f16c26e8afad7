// quelmgui: the desktop front end of the leaching model.
#include "CommonUnits/GeneralUnits/QuelmStartup.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinVersion.h"
#include "gui/windows/Main.h"

// The program's version resource: file version 2.1.2.10.
static TVersionResource quelmguiVersion(2, 1, 2, 10);

int main(int argc, char** argv)
{
    StartupSteps().CreateDataModule = [] { New<TdmQuelm>(Application); };
    StartupSteps().CreateMainForm = [] {
        TfrmMain* form = nullptr;
        Application->CreateForm(form);
    };
    return RunStartup(argc, argv);
}
