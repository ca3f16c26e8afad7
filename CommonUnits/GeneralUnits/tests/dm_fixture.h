#pragma once
// A data module connected to a fresh copy of the demo database, with every message box
// recorded and answered by script, and a fixed clock.
#include "CommonUnits/GeneralUnits/tests/settings_fixture.h"

#include "CommonUnits/GeneralUnits/DemoDatabase.h"
#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Vantor6_5_Install_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/db/DBTables.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinVersion.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"

#include <memory>

// One copy of the demo database per test program (making it takes a moment); tests copy it.
inline String DemoTemplate()
{
    static quelmtest::TempDir folder;
    static const String path = [] {
        const String p = folder.file("template.vantor");
        CreateProjectDatabase(p, true);
        return p;
    }();
    return path;
}

// The embedded engine as an install leaves it: the server stand-in reset and answering at
// once, and the connection-test database in the install folder that the machine settings name.
inline void PrepareEmbeddedEngine(const quelmtest::TempDir& dir)
{
    ResetEmbeddedServer();
    EmbeddedServer().GuardianWaitMs = 0;
    TDBConnector::ReconnectWaitMs = 0;
    const String install = dir.file("install");
    ForceDirectories(PathJoin(install, "Bin"));
    CreateProjectDatabase(PathJoin(PathJoin(install, "Bin"), "ConnectionTest.vantor"), false);
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_INSTALL_DIR, install + "/");
}

// Whatever a test of the project database leaves behind goes with it: the embedded engine's
// state, the database path source and the application's handlers of a main window.
inline const bool kDatabaseStateRestoredAfterEachTest = quelmtest::AfterEachTest([] {
    ResetEmbeddedServer();
    TDBConnector::ReconnectWaitMs = 2000;
    SetDatabaseFileNameSource(nullptr);
    Application->OnIdle = nullptr;
    Application->OnException = nullptr;
});

class DataModuleTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        if (!TVersionInfo::SingletonExists())
            TVersionInfo::CreateSingleton();
        PrepareEmbeddedEngine(dir);
        CopyFileTo(DemoTemplate(), databaseFile, false);
        SetClockForTesting([] { return EncodeDate(2026, 3, 4) + EncodeTime(10, 20, 30, 0); });
        WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, databaseFile);
        module.reset(New<TdmQuelm>(nullptr));
        ASSERT_TRUE(module->dbDatabase->Connected());
        boxes.Clear();
    }
    void TearDown() override
    {
        module.reset();
        SetClockForTesting(nullptr);
        TVersionInfo::DestroySingleton();
        ResetEmbeddedServer();
        TDBConnector::ReconnectWaitMs = 2000;
        SettingsTest::TearDown();
    }

    // A value read on a connection of the module, by SQL.
    String Value(const String& sql)
    {
        TQuery q;
        q.SetDatabase(module->dbDatabase);
        q.SQL.SetText(sql);
        q.Open();
        return q.IsEmpty() ? String("<none>") : q.Fields(0)->AsString();
    }
    int Count(const String& sql) { return StrToInt(Value(sql)); }

    TVersionResource version{2, 1, 2, 10};
    std::unique_ptr<TdmQuelm> module;
};
