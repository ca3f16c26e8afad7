// quelmgui driven as a person drives it: the built program starts in a fresh home (the first
// start copies the demo database there), a journey script presses keys and clicks on its
// windows, and the test looks at the exit status, the stored records and the files.
#include "platform/testing/journey/JourneyRunner.h"

#include "gui/tests/QuelmguiJourneySteps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

using namespace quelmgui_steps;

class QuelmguiJourney : public ::testing::Test {
protected:
    QuelmguiJourney() { run.SetEnv("KERNEL_DEADLINE_MS", std::to_string(kKernelDeadlineMs)); }

    // The model kernel runs at idle priority: on a loaded machine a calculation of seconds can
    // take a minute. Its journeys give the calculation that long, and the whole journey more.
    static constexpr int kKernelDeadlineMs = 120000;
    static constexpr int kCalculatingJourneyMs = kKernelDeadlineMs + 60000;

    journey::Journey run{QUELMGUI_PROGRAM};

    fs::path Database() const { return run.Home() / ".local/share/quelm/Projects.vantor"; }

    std::string Query(const std::string& sql) const
    {
        const auto rows = journey::QueryDatabase(Database(), sql);
        return rows.empty() || rows[0].empty() ? std::string() : rows[0][0];
    }
};

// The main window on the demo project, then File > Exit > Yes.
const std::string kExit = kMainWindow + kExitConfirmed;

TEST_F(QuelmguiJourney, StartsOnTheDemoDatabaseAndExitsCleanly)
{
    const journey::JourneyResult result = run.Run(kExit);
    EXPECT_EQ(result.exitStatus, 0) << result.Describe();
    EXPECT_TRUE(result.ShowedWindow("quelmgui", "Confirm")) << result.Describe();
    ASSERT_TRUE(fs::exists(Database())) << result.Describe();
    EXPECT_EQ(Query("PRAGMA integrity_check"), "ok");
}


// Two of the demo project's three runs chosen for execution by double clicks in the run list
// (after Runs > Deselect All), calculated with F9 through the multiple-run dialog: both runs'
// results are there, shown and stored as available, the runs are no longer chosen, and the run
// left out is untouched. The key's action returns once the calculation is over, so the steps
// after it see the outcome.
TEST_F(QuelmguiJourney, CalculatesTheTwoRunsChosenInTheRunList)
{
    // rows of the run list: a title row, then one row of 19 pixels per run
    const journey::JourneyResult result = run.Run(R"(
window ^RavuzAVEDE .*Database:
menu Runs > Deselect All Runs for execution
dblclick name=grdRuns at 150,28
dblclick name=grdRuns at 150,66
shot chosen
timeout ${KERNEL_DEADLINE_MS}
key F9
window Multiple run options$
click class=QAbstractButton text=^OK$
timeout 10000
window ^RavuzAVEDE .*Database:
text name=txtResultsSummary is ^Available$
text name=txtResultsDetailed is ^Available$
shot calculated
)" + kExitConfirmed, {}, kCalculatingJourneyMs);
    ASSERT_EQ(result.exitStatus, 0) << result.Describe();
    EXPECT_TRUE(result.ShowedWindow("quelmgui", "Multiple run options")) << result.Describe();
    const fs::path work = run.Home() / ".local/share/quelm/Projects";
    for (const char* id : {"1", "3"}) {
        SCOPED_TRACE(std::string("run ") + id);
        EXPECT_TRUE(fs::exists(work / (std::string(id) + ".sum"))) << result.Describe();
        EXPECT_TRUE(fs::exists(work / (std::string(id) + ".out"))) << result.Describe();
        EXPECT_EQ(Query(std::string("SELECT RESULTSSUMMARY || ',' || RESULTSDETAILED || ',' || "
                                    "SELECTEDFOREXECUTION FROM RUNS WHERE RUNID = ") + id),
                  "Available,Available, ");
    }
    EXPECT_FALSE(fs::exists(work / "2.sum")) << result.Describe();
    EXPECT_EQ(Query("SELECT RESULTSSUMMARY || ',' || RESULTSDETAILED FROM RUNS WHERE RUNID = 2"),
              "NotAvailable,NotAvailable");
}


// Every editor of the Edit and Graphs menus opened from the menu, and every catalogue editor
// from its "..." button beside the run's choice, each closed with its close button, one after
// another in one session; the program then ends normally.
TEST_F(QuelmguiJourney, OpensAndClosesEveryEditorOfTheMenusAndTheRunsChoices)
{
    struct Editor {
        const char* opener; // a step that opens it
        const char* title;
    } const editors[] = {{"menu Edit > Projects...", "Projects"},
                         {"menu Edit > Locations...", "Locations"},
                         {"menu Edit > Crop Calendars...", "Crop Calendar"},
                         {"menu Edit > Irrigation Schemes...", "Irrigation Schemes"},
                         {"menu Edit > Substances...", "Substances"},
                         {"menu Edit > Application Schemes...", "Application Schemes"},
                         {"menu Edit > Deposition Schemes...", "Deposition Schemes"},
                         {"menu Graphs > Graph Templates...", "Graph Templates"},
                         {"click name=btnLocations", "Locations"},
                         {"click name=btnCropCalendars", "Crop Calendar"},
                         {"click name=btnIrrigationSchemes", "Irrigation Schemes"},
                         {"click name=btnTillageSchemes", "Tillage Schemes"},
                         {"click name=btnApplicationSchemes", "Application Schemes"},
                         {"click name=btnDepositionSchemes", "Deposition Schemes"},
                         {"click name=btnSubstances", "Substances"}};
    std::string script = "window ^RavuzAVEDE .*Database:\n";
    for (const Editor& e : editors) {
        const std::string title = std::string("^RavuzAVEDE [0-9.]+ - ") + e.title + "$";
        script += std::string(e.opener) + "\nwindow " + title + "\nclose\ngone " + title +
                  "\nwindow ^RavuzAVEDE .*Database:\n";
    }
    script += kExitConfirmed;
    const journey::JourneyResult result = run.Run(script);
    EXPECT_EQ(result.exitStatus, 0) << result.Describe();
    for (const Editor& e : editors)
        EXPECT_TRUE(result.ShowedWindow("quelmgui", std::string(" - ") + e.title)) << e.title;
}

// The first run calculated alone (F9 with only it chosen: no options dialog), then a graph of
// one of its output variables from Graphs > User Defined Graphs: plotwell starts and shows the
// graph; closing both programs ends the session normally.
TEST_F(QuelmguiJourney, ShowsAUserDefinedGraphInPlotwell)
{
    const journey::JourneyResult result = run.Run(R"(
window ^RavuzAVEDE .*Database:
menu Runs > Deselect All Runs for execution
dblclick name=grdRuns at 150,28
timeout ${KERNEL_DEADLINE_MS}
key F9
timeout 10000
text name=txtResultsDetailed is ^Available$
menu Graphs > User Defined Graphs...
window - User Defined Graphs$
dblclick name=DBgrdVariables at 150,28
shot graphs
click name=btnGraph
file ${QUELM_JOURNEY_OUT}/graph-shown
close
gone - User Defined Graphs$
window ^RavuzAVEDE .*Database:
)" + kExitConfirmed + R"(
[plotwell]
window ^plotwell
shot plotwell
touch ${QUELM_JOURNEY_OUT}/graph-shown
close
)", {}, kCalculatingJourneyMs);
    EXPECT_EQ(result.exitStatus, 0) << result.Describe();
    EXPECT_TRUE(result.ShowedWindow("plotwell", "plotwell")) << result.Describe();
}

// The run's comment window from the "Comments..." button: text typed into the (empty) comment,
// Escape closes the window, and the text is stored with the run.
TEST_F(QuelmguiJourney, EscapeClosesTheCommentWindowAndKeepsTheText)
{
    const journey::JourneyResult result = run.Run(R"(
window ^RavuzAVEDE .*Database:
click name=btnRunComments
window - Comment$
type Noted by me.
key Escape
gone - Comment$
window ^RavuzAVEDE .*Database:
)" + kExitConfirmed + kSaveTheChanges);
    ASSERT_EQ(result.exitStatus, 0) << result.Describe();
    EXPECT_EQ(Query("SELECT COMMENTS FROM RUNS WHERE RUNID = 1"), "Noted by me.")
        << result.Describe();
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
)" + kExitConfirmed + kSaveTheChanges;
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
