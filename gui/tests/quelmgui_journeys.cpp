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


// The current run's name as stored, after the user typed into the run name and left quelmgui.
struct TypingCase {
    const char* what;
    const char* keys; // journey steps on the run name, which holds "Maize on Vellmark loam" at first
    const char* stored;
};

class QuelmguiTyping : public QuelmguiJourney, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(QuelmguiTyping, TheStoredNameIsWhatWasTyped)
{
    const TypingCase& c = GetParam();
    const std::string script = std::string(R"(
window ^RavuzAVEDE .*Database:
text name=edtRunName is ^Maize on Vellmark loam$
click name=edtRunName
)") + c.keys + R"(
key Tab
shot typed
menu File > Exit
window ^Confirm$
click class=QAbstractButton text=^Yes$
window ^Confirm$
text class=QLabel is ^Save the changed information
click class=QAbstractButton text=^Yes$
)";
    const journey::JourneyResult result = run.Run(script);
    ASSERT_EQ(result.exitStatus, 0) << result.Describe();
    EXPECT_EQ(Query("SELECT COUNT(*) FROM RUNS WHERE NAME = 'Maize on Vellmark loam'"), "0") << result.Describe();
    EXPECT_EQ(Query("SELECT COUNT(*) FROM RUNS WHERE NAME = '" + std::string(c.stored) + "'"), "1")
        << Query("SELECT group_concat(NAME, ' | ') FROM RUNS") << "\n" << result.Describe();
}

INSTANTIATE_TEST_SUITE_P(
    RunName, QuelmguiTyping,
    ::testing::Values(TypingCase{"AtTheEnd", "key End\ntype  XYZ", "Maize on Vellmark loam XYZ"},
                      TypingCase{"InTheMiddle", "key Home Right Right Right Right Right\ntype  big", "Maize big on Vellmark loam"},
                      TypingCase{"OverASelection", "key Ctrl+A\ntype Renamed by me", "Renamed by me"},
                      TypingCase{"Backspace", "key End Backspace Backspace Backspace Backspace\ntype sand", "Maize on Vellmark sand"}),
    [](const ::testing::TestParamInfo<TypingCase>& info) { return std::string(info.param.what); });

} // namespace
