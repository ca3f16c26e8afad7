#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"

#include "platform/framework/Forms.h"
#include "platform/rtl/FileUtils.h"
#include "platform/testing/quelm_test_support.h"

#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class RunAndWaitTest : public ::testing::Test {
protected:
    void SetUp() override { SetRunAndWaitPollPeriod(20); }
    void TearDown() override
    {
        SetRunAndWaitPollPeriod(100);
        Screen->SetCursor(crDefault);
    }
    String RunScript() const { return quelmtest::ReadFileBytes(dir.file("run.sh")); }

    quelmtest::TempDir dir;
};

} // namespace

TEST_F(RunAndWaitTest, ChildRunsIdleInTheFolderAndIsWaitedFor)
{
    const String arguments = "-c \"pwd > where.txt; nice > nice.txt; sleep 0.2; echo done > done.txt; exit 4\"";
    int ticks = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start();

    EXPECT_TRUE(RunAndWait("/bin/sh", arguments, dir.str(), 2));

    EXPECT_EQ(RunScript(), "#!/bin/sh\n\"/bin/sh\" " + arguments + "\n");
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("run.sh").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
    EXPECT_EQ(quelmtest::ReadFileBytes(dir.file("where.txt")), dir.str() + "\n");
    EXPECT_EQ(quelmtest::ReadFileBytes(dir.file("nice.txt")), "19\n");
    EXPECT_EQ(quelmtest::ReadFileBytes(dir.file("done.txt")), "done\n"); // returned after the end
    EXPECT_EQ(LastRunExitCode(), 4);
    EXPECT_GT(ticks, 3) << "window messages were not processed while waiting";
    EXPECT_EQ(Screen->Cursor(), crHourGlass); // left for the idle handler to reset
}

TEST_F(RunAndWaitTest, ScriptHoldsOneLineEvenForAPathWithoutBlanks)
{
    EXPECT_TRUE(RunAndWait("/bin/true", "17.qmi", dir.str(), 0));
    EXPECT_EQ(RunScript(), "#!/bin/sh\n\"/bin/true\" 17.qmi\n");
    EXPECT_EQ(LastRunExitCode(), 0);
}

TEST_F(RunAndWaitTest, ProgramThatDoesNotExistIsAResult)
{
    const String program = dir.file("Quelmmodel");
    EXPECT_FALSE(RunAndWait(program, "17.qmi", dir.str(), 0));
    EXPECT_EQ(RunScript(), "#!/bin/sh\n\"" + program + "\" 17.qmi\n");
    EXPECT_EQ(LastRunExitCode(), -1);
    EXPECT_FALSE(RunNoWait(program, "-a", dir.str(), 0));
}

TEST_F(RunAndWaitTest, InvalidShowModeFailsBeforeAnythingIsWrittenOrStarted)
{
    for (int mode : {3, -1}) {
        try {
            RunAndWait("/bin/sh", "-c \"echo x > started.txt\"", dir.str(), mode);
            FAIL() << "show mode " << mode << " accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "hier");
        }
    }
    EXPECT_THROW(RunNoWait("/bin/sh", "-c true", dir.str(), 3), Exception);
    EXPECT_FALSE(FileExists(dir.file("run.sh")));
    EXPECT_FALSE(FileExists(dir.file("started.txt")));
}

TEST_F(RunAndWaitTest, FolderWithoutRoomForTheScriptRaisesAndStartsNothing)
{
    EXPECT_THROW(RunAndWait("/bin/true", "", dir.file("missing"), 0), EInOutError);
}

TEST_F(RunAndWaitTest, RunNoWaitAddsThePauseLineAndDoesNotWait)
{
    // the child writes its file only once the test has seen RunNoWait return: a run that waited
    // for it would never return
    const String arguments = "-c \"while [ ! -e go ]; do sleep 0.02; done; echo x > started.txt\"";
    EXPECT_TRUE(RunNoWait("/bin/sh", arguments, dir.str(), 0));
    EXPECT_EQ(RunScript(), "#!/bin/sh\n\"/bin/sh\" " + arguments + "\n"
                           "printf 'Press Enter to continue . . . '; read -r _\n");
    quelmtest::WriteFileBytes(dir.file("go"), "");
    EXPECT_TRUE(quelmtest::WaitFor([&] { return FileSize(dir.file("started.txt")) > 0; }, 30000));
    EXPECT_EQ(quelmtest::ReadFileBytes(dir.file("started.txt")), "x\n");
}
