#include "CommonUnits/GeneralUnits/QuelmStartup.h"

#include "CommonUnits/GeneralUnits/DemoDatabase.h"
#include "CommonUnits/GeneralUnits/TForm_Splash_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_RegionalSettings_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Registry_Unit.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinLook.h"

#include <clocale>
#include <cstdio>
#include <memory>

TStartupSteps& StartupSteps()
{
    static TStartupSteps steps;
    return steps;
}

void SeedUserDatabaseValue()
{
    if (RegistryValueExists(HKEY_CURRENT_USER, REG_DATABASE))
        return;
    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, ReadRegistryString(HKEY_LOCAL_MACHINE, REG_DATABASE));
}

void PinNumberLocale()
{
    // Qt adopts the user's locale when it starts; numbers are formatted and parsed by the
    // run-time library's own routines, and nothing may see a decimal comma
    std::setlocale(LC_NUMERIC, "C");
    UseCNumberFormatsInControls();
}

int RunStartup(int& argc, char** argv)
{
    TQApplication app(argc, argv);
    ApplyStandardLook();
    int status = StartApplication();
    // The windows and the data module go while the application object, the database connection
    // and its driver are all still there (not among the application's last clean-up routines).
    try {
        Application->DestroyComponents();
    } catch (...) {
        Application->HandleException(nullptr);
        status = 1;
    }
    return status;
}

int StartApplication()
{
    PinNumberLocale();
    try {
        TVersionInfo::CreateSingleton();
        SeedUserDatabaseValue();
        LoadUserRegionalSettings();
        ForceRegionalSettings();
        Application->SetTitle(GetApplicationTitle());

        auto* splash = New<TForm_Splash>(Application);
        splash->Show();
        Application->ProcessMessages();

        // a user without a database of their own gets a copy of the demo database
        ProvideDemoDatabase();
        if (StartupSteps().CreateDataModule)
            StartupSteps().CreateDataModule();
        if (StartupSteps().CreateMainForm) {
            StartupSteps().CreateMainForm();
            if (Application->MainForm() && Application->MainForm() != splash)
                Application->MainForm()->Show();
            delete splash;
        } else {
            std::fprintf(stderr, "quelmgui: this build has no main window yet; the start-up window stays up\n");
            Application->SetMainForm(splash);
        }
    } catch (...) {
        // what none of the steps handles reaches the framework's default handling
        Application->HandleException(nullptr);
        return 1;
    }
    Application->Run();
    return 0;
}
