#include "platform/win/WinEnvironment.h"

#include "platform/rtl/FileUtils.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

TEST(ExpandEnvironmentStrings, SetVariablesExpandAndUnsetOnesStay)
{
    setenv("QUELM_T1", "/tmp/a", 1);
    unsetenv("QUELM_UNSET");
    const struct {
        String text, expected;
    } cases[] = {
        {"%QUELM_T1%", "/tmp/a"},
        {"x%QUELM_T1%y", "x/tmp/ay"},
        {"%QUELM_UNSET%", "%QUELM_UNSET%"},
        {"%QUELM_UNSET%%QUELM_T1%", "%QUELM_UNSET%/tmp/a"},
        {"50%", "50%"},
        {"%%", "%%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandEnvironmentStrings(c.text), c.expected) << c.text;
    unsetenv("QUELM_T1");
}

TEST(Environment, ProgramFileAndWindowsFolder)
{
    EXPECT_TRUE(FileExists(GetModuleFileName()));
    quelmtest::TempDir dir;
    setenv("QUELM_WINDIR", (dir.str() + "/win").c_str(), 1);
    EXPECT_EQ(GetWindowsDirectory(), dir.str() + "/win/");
    EXPECT_TRUE(DirectoryExists(dir.str() + "/win"));
    unsetenv("QUELM_WINDIR");
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    String saved = oldXdg ? oldXdg : "";
    setenv("XDG_CONFIG_HOME", dir.str().c_str(), 1);
    EXPECT_EQ(GetWindowsDirectory(), dir.str() + "/quelm/");
    if (oldXdg)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(ExecutableFileName, WindowsProgramNamesMapToTheInstalledNames)
{
    EXPECT_EQ(ExecutableFileName("Quelmmodel.exe"), "Quelmmodel");
    EXPECT_EQ(ExecutableFileName("/opt/q/rowsift32.exe"), "/opt/q/rowsift");
    EXPECT_EQ(ExecutableFileName("plotwell"), "plotwell");
    EXPECT_EQ(ExecutableFileName("vantorguard.EXE"), "vantorguard");
}
