// quelmgui driven as a person drives it: the built program starts in a fresh home (the first
// start copies the demo database there), a journey script presses keys and clicks on its
// windows, and the test looks at the exit status, the stored records and the files.
#include "platform/testing/journey/JourneyRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

class QuelmguiJourney : public ::testing::Test {
protected:
    journey::Journey run{QUELMGUI_PROGRAM};

    fs::path Database() const { return run.Home() / ".local/share/quelm/Projects.vantor"; }

    std::string Query(const std::string& sql) const
    {
        const auto rows = journey::QueryDatabase(Database(), sql);
        return rows.empty() || rows[0].empty() ? std::string() : rows[0][0];
    }
};

// The main window on the demo project, then File > Exit > Yes.
const char* const kExit = R"(
window ^RavuzAVEDE .*Database:
menu File > Exit
window ^Confirm$
click class=QAbstractButton text=^Yes$
)";

TEST_F(QuelmguiJourney, StartsOnTheDemoDatabaseAndExitsCleanly)
{
    const journey::JourneyResult result = run.Run(kExit);
    EXPECT_EQ(result.exitStatus, 0) << result.Describe();
    EXPECT_TRUE(result.ShowedWindow("quelmgui", "Confirm")) << result.Describe();
    ASSERT_TRUE(fs::exists(Database())) << result.Describe();
    EXPECT_EQ(Query("PRAGMA integrity_check"), "ok");
}

} // namespace
