// quelmgui: the desktop front end of the leaching model.
#include "QuelmStartup.h"
#include "dmQuelm_Unit.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinVersion.h"
#ifdef QUELM_MAIN_WINDOW
#include "Main.h"
#endif

// The program's version resource: file version 2.1.2.10.
static TVersionResource quelmguiVersion(2, 1, 2, 10);

int main(int argc, char** argv)
{
    StartupSteps().CreateDataModule = [] { New<TdmQuelm>(Application); };
#ifdef QUELM_MAIN_WINDOW
    StartupSteps().CreateMainForm = [] {
        TfrmMain* form = nullptr;
        Application->CreateForm(form);
    };
#endif
    return RunStartup(argc, argv);
}
