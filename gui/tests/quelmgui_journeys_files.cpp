// quelmgui's files as a person meets them: the file viewer on a run's file, and a project
// database that cannot be written.
#include "platform/testing/journey/JourneyRunner.h"

#include "gui/tests/QuelmguiJourneySteps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

using namespace quelmgui_steps;

class QuelmguiFilesJourney : public ::testing::Test {
protected:
    journey::Journey run{QUELMGUI_PROGRAM};

    fs::path UsersDatabase() const { return run.Home() / ".local/share/quelm/Projects.vantor"; }
};

TEST_F(QuelmguiFilesJourney, TheFileViewerScrollsARunsInputFile)
{
    const journey::JourneyResult result = run.Run(R"(
window ^RavuzAVEDE .*Database:
menu View > Input File
window ^File view of: .*\.qmi$
find name=Memo_File
find class=QScrollBar
shot viewer
click name=btnClose
gone ^File view of:
window ^RavuzAVEDE .*Database:
)" + kExitConfirmed);
    EXPECT_EQ(result.exitStatus, 0) << result.Describe();
}

TEST_F(QuelmguiFilesJourney, AReadOnlyDatabaseIsNamedWhenTheProgramStarts)
{
    // the user's database is read-only: named at the start, before anything is written, and the
    // user is asked for another file (cancelled here: the program ends without a connection)
    fs::create_directories(UsersDatabase().parent_path());
    fs::copy_file(QUELM_DEMO_DATABASE_FILE, UsersDatabase());
    fs::permissions(UsersDatabase(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    const journey::JourneyResult result = run.Run(R"(
window ^Error$
text class=QLabel is cannot be written
text class=QLabel is \Q)" + UsersDatabase().string() + R"(\E
click class=QAbstractButton text=^OK$
window ^Open RavuzAVEDE database$
click class=QAbstractButton text=^Cancel$
window ^Error$
text class=QLabel is ^You are not connected to a database
click class=QAbstractButton text=^OK$
)");
    EXPECT_FALSE(result.driverFailed || result.timedOut) << result.Describe();
    EXPECT_LT(result.exitStatus, 128) << result.Describe(); // ended, not aborted
    EXPECT_EQ(result.standardError.find("readonly database"), std::string::npos) << result.Describe();
}

} // namespace
