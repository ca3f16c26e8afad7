// The run commands of the data module on a copy of the demo database: selection, result
// states against the work folder, a run's files, the copy of a run, the stored error text,
// and the calculation of the selected runs with the stand-in kernel of the build.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "CommonUnits/GeneralUnits/KernelRun_Unit.h"
#include "CommonUnits/GeneralUnits/Report_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"

#include "platform/framework/Forms.h"

#include <QTimer>

#include <cctype>
#include <csignal>
#include <map>
#include <unistd.h>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class RunCommandsTest : public DataModuleTest {
protected:
    void SetUp() override
    {
        DataModuleTest::SetUp();
        module->tblProjects->Open();
        module->tblRuns->Open();
        work = GetWorkDir();
    }
    void Sql(const String& sql) { module->dbDatabase->ExecSql(sql); }
    String Run(int runId, const String& field)
    {
        return Value("SELECT " + field + " FROM RUNS WHERE RUNID=" + IntToStr(runId));
    }
    void GoTo(int runId) { ASSERT_TRUE(module->tblRuns->Locate("RUNID", Variant(runId), 0)); }
    void Touch(const String& name, const String& text = "x") { quelmtest::WriteFileBytes(JoinPath(work, name), text); }
    bool Exists(const String& name) { return FileExists(JoinPath(work, name)); }

    String work;
};

TEST_F(RunCommandsTest, SelectionTogglesAndSetsAllWithoutTouchingResults)
{
    Sql("UPDATE RUNS SET RESULTSSUMMARY='Available' WHERE RUNID=1");
    struct Case {
        const char* before;
        const char* after;
    } const cases[] = {{"yes", " "}, {"Yes", " "}, {"", "Yes"}, {" ", "Yes"}, {"No", "Yes"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        Sql(String("UPDATE RUNS SET SELECTEDFOREXECUTION='") + c.before + "' WHERE RUNID=1");
        module->tblRuns->Refresh();
        GoTo(1);
        module->ToggleRunSelection();
        EXPECT_EQ(Run(1, "SELECTEDFOREXECUTION"), c.after);
        EXPECT_EQ(Run(1, "RESULTSSUMMARY"), "Available");
    }
    module->SetAllRunsSelected(false);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNS WHERE PROJECTID=1 AND SELECTEDFOREXECUTION=' '"), 3);
    EXPECT_EQ(module->CountSelectedRuns(), 0);
    module->SetAllRunsSelected(true);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNS WHERE PROJECTID=1 AND SELECTEDFOREXECUTION='Yes'"), 3);
    EXPECT_EQ(Run(1, "RESULTSSUMMARY"), "Available");
    EXPECT_EQ(module->tblRuns->RecNo(), 1);
    EXPECT_EQ(Run(4, "SELECTEDFOREXECUTION"), "Yes"); // another project's runs are not touched
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(RunCommandsTest, ReconcilingKeepsOnlyResultsWhoseFilesExist)
{
    Sql("UPDATE RUNS SET RESULTSSUMMARY='Available', RESULTSDETAILED='Available', RESULTSREPORT='Yes' WHERE PROJECTID=1");
    Touch("1.sum", "* QUELM REPORT: Project_Summary\r\n");
    Touch("1.out");
    Touch("2.sum", "* balances only\r\n");
    module->tblRuns->Refresh();
    GoTo(2);
    module->ReconcileRunResults();
    const char* expected[][3] = {{"Available", "Available", "Yes"},
                                 {"Available", "NotAvailable", "No"},
                                 {"NotAvailable", "NotAvailable", "No"}};
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE(run);
        EXPECT_EQ(Run(run, "RESULTSSUMMARY"), expected[run - 1][0]);
        EXPECT_EQ(Run(run, "RESULTSDETAILED"), expected[run - 1][1]);
        EXPECT_EQ(Run(run, "RESULTSREPORT"), expected[run - 1][2]);
    }
    EXPECT_EQ(module->tblRuns->RecNo(), 1);
    EXPECT_TRUE(IsMorvaRun(1));
    EXPECT_FALSE(IsMorvaRun(2));
}

TEST_F(RunCommandsTest, DeletingARunsFilesRemovesEveryFileOfThatRunOnly)
{
    for (const char* name : {"2.qmi", "2.bot", "2.out", "2.sum", "2.log", "2.err", "20.out", "12.qmi"})
        Touch(name);
    Sql("UPDATE RUNS SET RESULTSSUMMARY='Available', RESULTSDETAILED='Available' WHERE RUNID=2");
    module->tblRuns->Refresh();
    GoTo(2);
    module->DeleteRunFiles();
    for (const char* name : {"2.qmi", "2.bot", "2.out", "2.sum", "2.log", "2.err"})
        EXPECT_FALSE(Exists(name)) << name;
    EXPECT_TRUE(Exists("20.out"));
    EXPECT_TRUE(Exists("12.qmi"));
    EXPECT_EQ(Run(2, "RESULTSSUMMARY"), "NotAvailable");
    EXPECT_EQ(Run(2, "RESULTSDETAILED"), "NotAvailable");
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Deleted output files for Run : 2");
}

TEST_F(RunCommandsTest, CopyOfARestrictedRunIsAnUnrestrictedRunWithItsOwnDetailRows)
{
    module->tblProjects->Locate("PROJECTID", Variant(2), 0);
    GoTo(4);
    Sql("UPDATE RUNS SET RESULTSSUMMARY='Available', RESULTSDETAILED='Available', RESULTSREPORT='Yes' WHERE RUNID=4");
    module->tblRuns->Refresh();
    const char* details[] = {"CNTSYSEQL", "CNTSYSNEQ", "RUNPRINTOUTPUTDEPTHS", "RUNPRINTVARIABLES"};
    std::map<String, int> before;
    for (const char* table : details)
        before[table] = Count(String("SELECT COUNT(*) FROM ") + table + " WHERE RUNID=4");

    const int copy = module->CopyCurrentRun();
    EXPECT_EQ(copy, 6);
    EXPECT_EQ(module->tblRuns->FieldByName("RUNID")->AsInteger(), copy);
    EXPECT_EQ(Run(copy, "NAME"), "copy_" + Run(4, "NAME"));
    EXPECT_EQ(Run(copy, "ISRESTRICTEDRUN"), "No");
    EXPECT_EQ(Run(copy, "RESULTSSUMMARY"), "NotAvailable");
    EXPECT_EQ(Run(copy, "RESULTSDETAILED"), "NotAvailable");
    EXPECT_EQ(Run(copy, "RESULTSREPORT"), "No");
    EXPECT_EQ(Run(copy, "PROJECTID"), "2");
    EXPECT_EQ(Run(copy, "LOCATIONCODE"), Run(4, "LOCATIONCODE"));
    for (const char* table : details) {
        SCOPED_TRACE(table);
        EXPECT_EQ(Count(String("SELECT COUNT(*) FROM ") + table + " WHERE RUNID=" + IntToStr(copy)), before[table]);
        EXPECT_EQ(Count(String("SELECT COUNT(*) FROM ") + table + " WHERE RUNID=4"), before[table]);
    }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CNTSYSEQL a JOIN CNTSYSEQL b ON a.Z=b.Z AND a.RUNID=4 AND b.RUNID=6 "
                    "AND a.CNTSYSEQL=b.CNTSYSEQL"),
              before["CNTSYSEQL"]);
}

TEST_F(RunCommandsTest, AFailedCopyLeavesNoPartOfIt)
{
    GoTo(1);
    // the copy's name does not fit the field: the post fails after the key was taken
    const int width = module->tblRuns->FieldByName("NAME")->Size();
    Sql("UPDATE RUNS SET NAME='" + String(static_cast<size_t>(width), 'n') + "' WHERE RUNID=1");
    module->tblRuns->Refresh();
    const int runs = Count("SELECT COUNT(*) FROM RUNS");
    const int rows = Count("SELECT COUNT(*) FROM RUNPRINTVARIABLES");
    EXPECT_ANY_THROW(module->CopyCurrentRun());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNS"), runs);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNPRINTVARIABLES"), rows);
    EXPECT_EQ(module->tblRuns->State(), dsBrowse);
    EXPECT_EQ(module->tblRuns->RecordCount(), 3);
    EXPECT_EQ(module->tblRuns->FieldByName("RUNID")->AsInteger(), 1);
}

TEST_F(RunCommandsTest, StoredErrorTextIsCutToFitTheFieldWithItsNote)
{
    const String errorFile = ErrorFilePath(1);
    auto write = [&](size_t length) {
        String text;
        while (text.size() < length)
            text += "error line of the kernel\r\n";
        text.resize(length);
        quelmtest::WriteFileBytes(errorFile, text);
        return text;
    };
    write(1790);
    EXPECT_EQ(module->ModelErrorText(1), ReadTextFile(errorFile)); // 1790 and a line end fit

    const String longText = write(5000);
    const String note = "< Listing not complete, see the Aquenta log file \"" + errorFile + "\" for complete information >";
    EXPECT_EQ(module->ModelErrorText(1), longText.substr(0, 1800) + "\r" + note);

    // a work folder with a very long path: the listing gives way to the note
    String deep = work;
    while (deep.size() < 600)
        deep = JoinPath(deep, "a-folder-with-a-long-name");
    ForceDirectories(deep);
    databaseFile = JoinPath(deep, "Projects.vantor");
    ForceDirectories(GetWorkDir());
    quelmtest::WriteFileBytes(ErrorFilePath(1), longText);
    const String stored = module->ModelErrorText(1);
    EXPECT_LE(stored.size(), 2000u);
    EXPECT_NE(stored.find(ErrorFilePath(1) + "\" for complete information >"), String::npos);
    EXPECT_EQ(stored.substr(0, 100), longText.substr(0, 100));
}

// ---------------------------------------------------------------- calculation with the kernel

class CalculationTest : public RunCommandsTest {
protected:
    void SetUp() override
    {
        RunCommandsTest::SetUp();
        SetRunAndWaitPollPeriod(10);
        const fs::path built = fs::path(GetExeDir()) / ".." / ".." / "bin" / "Quelmmodel";
        ASSERT_TRUE(fs::exists(built)) << "no kernel built at " << built;
        if (!fs::exists(fs::symlink_status(GetKernelExeName())))
            fs::create_symlink(fs::canonical(built), GetKernelExeName());
        view.AskRunOptions = [this](TdmQuelm::TRunOptions& options) {
            ++asked;
            options = answer;
            return !cancel;
        };
        view.SetBusy = [this](bool on) {
            busy = on;
            busyCalls.push_back(on);
        };
        view.UpdateControlState = [this] { ++updates; };
    }
    void TearDown() override
    {
        unsetenv("QUELMMODEL_FAIL");
        unsetenv("QUELMMODEL_DELAY_MS");
        SetRunAndWaitPollPeriod(100);
        Screen->SetCursor(crDefault);
        RunCommandsTest::TearDown();
    }

    TdmQuelm::TCalculationView view;
    TdmQuelm::TRunOptions answer{rwHidden, false};
    bool cancel = false;
    int asked = 0;
    bool busy = false;
    std::vector<bool> busyCalls;
    int updates = 0;
};

TEST_F(CalculationTest, ThreeRunsWithOneModelErrorAndStopOnErrorOff)
{
    // the second run ends after the weather data: the kernel refuses it
    Sql("UPDATE RUNS SET TIMEND='2007-12-31' WHERE RUNID=2");
    Touch("3.err", "an error file of an earlier calculation\r\n");
    module->tblRuns->Refresh();
    GoTo(3);
    module->CalculateSelectedRuns(view);

    EXPECT_EQ(asked, 1);
    EXPECT_EQ(busyCalls, (std::vector<bool>{true, false, true, false, true, false}));
    EXPECT_FALSE(busy);
    for (int run : {1, 3}) {
        SCOPED_TRACE(run);
        EXPECT_EQ(Run(run, "RESULTSSUMMARY"), "Available");
        EXPECT_EQ(Run(run, "RESULTSDETAILED"), "Available");
        EXPECT_EQ(Run(run, "MODELERRORTEXT"), "");
        EXPECT_EQ(Run(run, "SELECTEDFOREXECUTION"), " ");
        EXPECT_EQ(Run(run, "RESULTSREPORT"), "No");
        for (const char* ext : {".qmi", ".out", ".sum", ".log"})
            EXPECT_TRUE(Exists(IntToStr(run) + ext)) << ext;
        EXPECT_FALSE(Exists(IntToStr(run) + ".err"));
    }
    EXPECT_EQ(Run(2, "RESULTSSUMMARY"), "Error");
    EXPECT_EQ(Run(2, "RESULTSDETAILED"), "Error");
    EXPECT_EQ(Run(2, "SELECTEDFOREXECUTION"), "Yes");
    EXPECT_EQ(Run(2, "RESULTSREPORT"), "No");
    EXPECT_FALSE(Run(2, "MODELERRORTEXT").empty());
    EXPECT_EQ(Run(2, "MODELERRORTEXT"), ReadTextFile(ErrorFilePath(2)));
    EXPECT_EQ(boxes.Count(), 0); // stop-on-error off: the model error is stored, not shown
    EXPECT_EQ(module->tblRuns->FieldByName("RUNID")->AsInteger(), 3);
    EXPECT_EQ(updates, 1);
}

TEST_F(CalculationTest, OneSelectedRunAsksNothingAndAModelErrorIsShown)
{
    Sql("UPDATE RUNS SET SELECTEDFOREXECUTION=' ' WHERE RUNID<>2");
    Sql("UPDATE RUNS SET TIMEND='2007-12-31' WHERE RUNID=2");
    module->tblRuns->Refresh();
    module->CalculateSelectedRuns(view);
    EXPECT_EQ(asked, 0);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Error);
    EXPECT_EQ(boxes.Last().Text, Run(2, "MODELERRORTEXT"));
    EXPECT_EQ(Run(2, "RESULTSSUMMARY"), "Error");
}

TEST_F(CalculationTest, NothingSelectedOrOptionsCancelledChangesNothing)
{
    Sql("UPDATE RUNS SET SELECTEDFOREXECUTION=' ' WHERE PROJECTID=1");
    module->tblRuns->Refresh();
    module->CalculateSelectedRuns(view);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "No runs selected in this project. Select a run by double clicking on the grid.");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(updates, 1);

    Sql("UPDATE RUNS SET SELECTEDFOREXECUTION='Yes' WHERE PROJECTID=1");
    module->tblRuns->Refresh();
    const String modified = Run(1, "MODIFICATIONDATE");
    cancel = true;
    module->CalculateSelectedRuns(view);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(busyCalls.empty());
    EXPECT_FALSE(Exists("1.qmi"));
    EXPECT_EQ(Run(1, "MODIFICATIONDATE"), modified);
}

TEST_F(CalculationTest, AKernelThatCannotBeStartedIsNeverLeftBusy)
{
    // run.sh cannot be written: the launcher raises before anything starts
    fs::create_directory(fs::path(work) / "run.sh");
    module->tblRuns->Refresh();
    GoTo(2);
    EXPECT_THROW(module->CalculateSelectedRuns(view), EInOutError);
    EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(module->tblRuns->State(), dsBrowse);
    EXPECT_EQ(module->tblRuns->FieldByName("RUNID")->AsInteger(), 2);
    EXPECT_TRUE(module->ConfirmEnabled());
}

// The pid of the kernel that this test program started, once that kernel catches SIGINT
// (before, the signal would end it as if nothing had been written); 0 while there is none.
pid_t RunningKernel()
{
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const String name = entry.path().filename().string();
        if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0])))
            continue;
        std::ifstream status(entry.path() / "status");
        bool kernel = false;
        pid_t parent = 0;
        unsigned long long caught = 0;
        for (String line; std::getline(status, line);) {
            if (line.rfind("Name:", 0) == 0)
                kernel = line.find("Quelmmodel") != String::npos;
            else if (line.rfind("PPid:", 0) == 0)
                parent = static_cast<pid_t>(std::stol(line.substr(5)));
            else if (line.rfind("SigCgt:", 0) == 0)
                caught = std::stoull(line.substr(7), nullptr, 16);
        }
        if (kernel && parent == getpid() && (caught & (1ull << (SIGINT - 1))))
            return static_cast<pid_t>(std::stoi(name));
    }
    return 0;
}

TEST_F(CalculationTest, AnInterruptedRunStopsTheCalculation)
{
    setenv("QUELMMODEL_DELAY_MS", "20000", 1);
    answer.StopOnError = false; // interruptions stop whatever the choice
    int signalled = 0;
    QTimer poke;
    QObject::connect(&poke, &QTimer::timeout, [&] {
        if (const pid_t kernel = RunningKernel(); kernel && !signalled) {
            ::kill(kernel, SIGINT);
            ++signalled;
        }
    });
    poke.start(50);
    module->CalculateSelectedRuns(view);
    poke.stop();
    EXPECT_EQ(signalled, 1);
    EXPECT_EQ(Run(1, "RESULTSSUMMARY"), "Error");
    EXPECT_EQ(Run(1, "RESULTSDETAILED"), "Error");
    EXPECT_EQ(Run(1, "MODELERRORTEXT"), "Run interrupted, possibly by ^C from keyboard");
    EXPECT_EQ(Run(1, "SELECTEDFOREXECUTION"), "Yes");
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Warning);
    EXPECT_EQ(boxes.Last().Text, "Run interrupted, possibly by ^C from keyboard");
    // the loop stopped: the other selected runs were not calculated
    EXPECT_EQ(Run(2, "RESULTSSUMMARY"), "NotAvailable");
    EXPECT_FALSE(Exists("2.qmi"));
    EXPECT_FALSE(busy);
}

} // namespace
