#include "CommonUnits/GeneralUnits/tests/settings_fixture.h"

#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"
#include "platform/win/WinEnvironment.h"

TEST_F(SettingsTest, ReadRegistryStringShowsWhatIsMissing)
{
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, "theDatabase"), "");
    EXPECT_EQ(BoxTexts(), (std::vector<String>{"\\SOFTWARE\\RIZOZORERU212 key not there", "Key theDatabase not there"}));
    EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Error);
    EXPECT_EQ(boxes.Last().Buttons, std::vector<String>{"OK"});

    boxes.Clear();
    WriteRegistryString(HKEY_LOCAL_MACHINE, "plotwellDir", "/opt/plotwell");
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, "theDatabase"), "");
    EXPECT_EQ(BoxTexts(), std::vector<String>{"Key theDatabase not there"});

    boxes.Clear();
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, "plotwellDir"), "/opt/plotwell");
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_TRUE(RegistryValueExists(HKEY_LOCAL_MACHINE, "plotwellDir"));
    EXPECT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, "plotwellDir"));
}

TEST_F(SettingsTest, FoldersFromTheMachineKey)
{
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_INSTALL_DIR, "/opt/quelm");
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_PLOTWELL_DIR, "/opt/plotwell/");
    EXPECT_EQ(GetInstallDir(), "/opt/quelm/");
    EXPECT_EQ(GetUpdatesDir(), "/opt/quelm/Updates/");
    EXPECT_EQ(GetPlotwellDir(), "/opt/plotwell/");
    EXPECT_EQ(GetExeDir(), ExtractFileDir(GetModuleFileName()));
    EXPECT_EQ(GetKernelExeName(), GetExeDir() + "/Quelmmodel");
    EXPECT_EQ(GetRowsiftExeName(), GetExeDir() + "/rowsift");
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(SettingsTest, MissingInstallFolderBecomesTheRootAfterTheMessages)
{
    EXPECT_EQ(GetInstallDir(), "/");
    EXPECT_EQ(boxes.Count(), 2);
}

TEST_F(SettingsTest, SyncPlotIniFileWritesOnlyWhenTheFolderDiffers)
{
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_PLOTWELL_DIR, "/opt/Plotwell");
    const String ini = GetWindowsDirectory() + "plotwell.ini";
    ASSERT_EQ(ini, dir.file("windows") + "/plotwell.ini");

    SyncPlotIniFile(); // missing: created with the one line
    EXPECT_EQ(quelmtest::ReadFileBytes(ini), "/opt/Plotwell/\n");

    quelmtest::WriteFileBytes(ini, "/OPT/plotwell/\r\nsecond line\r\n");
    SyncPlotIniFile(); // differs in letter case only: left alone
    EXPECT_EQ(quelmtest::ReadFileBytes(ini), "/OPT/plotwell/\r\nsecond line\r\n");

    quelmtest::WriteFileBytes(ini, "/old/place/\nsecond line\n");
    SyncPlotIniFile();
    EXPECT_EQ(quelmtest::ReadFileBytes(ini), "/opt/Plotwell/\n");

    quelmtest::WriteFileBytes(ini, "");
    SyncPlotIniFile();
    EXPECT_EQ(quelmtest::ReadFileBytes(ini), "/opt/Plotwell/\n");
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(SettingsTest, SyncPlotIniFileThatCannotBeWrittenShowsTheMessageAndGoesOn)
{
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_PLOTWELL_DIR, "/opt/plotwell");
    // plotwell.ini is a folder here, so it can be neither read as a file nor written
    ForceDirectories(GetWindowsDirectory() + "plotwell.ini");
    SyncPlotIniFile();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Error writing plotwell.ini.\rLog on with Administrator rights and start RavuzAVEDE "
                                 "once before continuing.");
}
