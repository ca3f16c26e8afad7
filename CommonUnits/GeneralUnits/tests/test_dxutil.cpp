#include "CommonUnits/GeneralUnits/DxUtil.h"

#include "platform/win/WinShell.h"

#include <gtest/gtest.h>

TEST(ExecuteFileInItsFolder, WorksInTheGivenOrTheFilesOwnFolder)
{
    TShellExecuteRecorder shell;
    EXPECT_TRUE(ExecuteFileInItsFolder("/tmp/reports/run17.html", "", ""));
    EXPECT_TRUE(ExecuteFileInItsFolder("/opt/plotwell/plotwell", "-c \"/w/UserDefinedGraph.set\"", "/w/Projects/"));
    ASSERT_EQ(shell.Calls().size(), 2u);
    EXPECT_EQ(shell.Calls()[0].File, "/tmp/reports/run17.html");
    EXPECT_EQ(shell.Calls()[0].Directory, "/tmp/reports");
    EXPECT_EQ(shell.Calls()[0].ShowCommand, SW_SHOWNORMAL);
    EXPECT_EQ(shell.Calls()[1].Parameters, "-c \"/w/UserDefinedGraph.set\"");
    EXPECT_EQ(shell.Calls()[1].Directory, "/w/Projects");

    shell.Result = SE_ERR_NOASSOC;
    EXPECT_FALSE(ExecuteFileInItsFolder("/tmp/x.unknown", "", ""));
    EXPECT_EQ(ShellExecuteFile("/tmp/x.unknown", "", "/tmp", SW_SHOW), 31);
}

TEST(RemoveTrailingBackslash, RemovesOneDelimiter)
{
    const struct {
        String in, out;
    } cases[] = {{"/a/b/", "/a/b"}, {"/a/b", "/a/b"}, {"/a//", "/a/"}, {"", ""}};
    for (const auto& c : cases) {
        String path = c.in;
        RemoveTrailingBackslash(path);
        EXPECT_EQ(path, c.out);
    }
}
