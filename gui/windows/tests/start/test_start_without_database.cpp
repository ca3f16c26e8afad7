// The start of quelmgui without a usable database: the data module says so once and the
// main window ends the program on its first activation. A program of its own: the
// application stays terminated afterwards.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "gui/windows/Main.h"
#include "CommonUnits/GeneralUnits/QuelmStartup.h"
#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"

#include "platform/framework/Forms.h"

namespace {

// ---------------------------------------------------------------- start without a database

TEST(MainWindowStart, WithoutADatabaseTheProgramEndsAfterItsOneMessage)
{
    quelmtest::TempDir dir;
    setenv("QUELM_REGISTRY_DIR", dir.file("registry").c_str(), 1);
    setenv("QUELM_DATA_DIR", dir.file("data").c_str(), 1);
    TVersionResource version{2, 1, 2, 10};
    PrepareEmbeddedEngine(dir);
    TDBConnector::ReconnectWaitMs = 0;
    // the registered database has gone and the user chooses no other file
    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, dir.file("gone.vantor"));
    SetOpenFileDialog([](TOpenFileRequest&) { return false; });
    TMessageBoxInterceptor boxes;
    StartupSteps().CreateDataModule = [] { New<TdmQuelm>(Application); };
    StartupSteps().CreateMainForm = [] {
        TfrmMain* form = nullptr;
        Application->CreateForm(form);
    };
    const int code = StartApplication();
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(Application->Terminated());
    // the connector's word on the missing file, the data module's one exit message, and
    // nothing of the main window
    ASSERT_EQ(boxes.Count(), 2) << (boxes.Count() ? boxes.Last().Text : String());
    EXPECT_EQ(boxes.Last().Text, "You are not connected to a database, exiting " + GetProductName() + " !");

    StartupSteps() = TStartupSteps{};
    Application->ProcessMessages(); // drawing contexts of the last event go back first
    delete Application->MainForm();
    Application->SetMainForm(nullptr);
    SetOpenFileDialog(nullptr);
    TVersionInfo::DestroySingleton();
    ResetEmbeddedServer();
    TDBConnector::ReconnectWaitMs = 2000;
    unsetenv("QUELM_REGISTRY_DIR");
    unsetenv("QUELM_DATA_DIR");
}

} // namespace
