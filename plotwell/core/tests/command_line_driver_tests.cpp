// The command-line driver and the defaults file, run as a user would run them.
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

using plotwell_test::drawing;
using plotwell_test::log_lines;
using plotwell_test::work_folder;

namespace {
int run(const std::string& arguments)
{
    int status = std::system((std::string(PLOTWELL_RENDER_EXE) + " " + arguments).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

TEST(CommandLineDriver, WritesTheLogAndReportsRefusals)
{
    work_folder folder;
    folder.write("d.dat", "1 2\n2 3\n");
    EXPECT_EQ(run("--log out.log --page 800x600 xy d.dat 2> err.txt"), 0);
    std::string log = folder.read("out.log");
    EXPECT_EQ(log.rfind("gr_close_workstation\n"), log.size() - 21);
    EXPECT_EQ(log_lines(log, "gr_polyline").size(), 1u);
    EXPECT_NE(log.find("gr_set_viewport 0 0 800 600"), std::string::npos);

    EXPECT_EQ(run("--log out2.log xy -c missing.set d.dat 2> err.txt"), 1);
    EXPECT_EQ(folder.read("err.txt"), "Cannot open missing.set\n");
    EXPECT_EQ(run("--page 0x5 xy d.dat 2> err.txt"), 2);
}

TEST(DefaultsFile, IsReadFromTheSettingsFolderBeforeEveryCall)
{
    work_folder folder;
    quelmtest::TempDir settings;
    quelmtest::WriteFileBytes(settings.file("xy_def.set"), "XY_COLUMNS 1,3\nLINE_WIDTH 2\n");
    folder.write("d.dat", "1 2 30\n2 3 40\n");
    drawing d("xy d.dat");
    d.ps.app.settings_folder = settings.str();
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_EQ(d.ps.series_count, 1);
    EXPECT_EQ(d.ps.y_column[0], 3);
    EXPECT_EQ(d.ps.line_width, 2);

    quelmtest::WriteFileBytes(settings.file("xy_def.set"), "NO_SUCH_THING\n");
    drawing bad("xy d.dat");
    bad.ps.app.settings_folder = settings.str();
    EXPECT_FALSE(bad.run());
    EXPECT_EQ(bad.error, "command NO_SUCH_THING is not recognized or has no effect\n");
}
