// The main window on a copy of the demo database: the calculation of the selected runs with
// the stand-in kernel of the build, the run list commands, the rule texts of the database
// errors, the enabled state of the commands, and the start without a database.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "gui/windows/EditorForm.h"
#include "CommonUnits/GeneralUnits/KernelRun_Unit.h"
#include "gui/windows/Main.h"
#include "CommonUnits/GeneralUnits/QuelmStartup.h"
#include "gui/windows/TfrmMultipleRunOptions_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"

#include "platform/framework/Forms.h"

#include <QTimer>

#include <cctype>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class MainWindowTest : public DataModuleTest {
protected:
    void SetUp() override
    {
        DataModuleTest::SetUp();
        SetRunAndWaitPollPeriod(10);
        work = GetWorkDir();
        WriteRegistryString(HKEY_LOCAL_MACHINE, REG_PLOTWELL_DIR, dir.file("plotwell") + "/");
        const fs::path built = fs::path(GetExeDir()) / ".." / ".." / "bin" / "Quelmmodel";
        ASSERT_TRUE(fs::exists(built)) << "no kernel built at " << built;
        if (!fs::exists(fs::symlink_status(GetKernelExeName())))
            fs::create_symlink(fs::canonical(built), GetKernelExeName());
    }
    void TearDown() override
    {
        Application->ProcessMessages(); // drawing contexts of the last event go back first
        delete window;
        window = nullptr;
        Application->OnException = nullptr;
        Application->OnIdle = nullptr;
        unsetenv("QUELMMODEL_FAIL");
        unsetenv("QUELMMODEL_DELAY_MS");
        SetRunAndWaitPollPeriod(100);
        Screen->SetCursor(crDefault);
        DataModuleTest::TearDown();
    }
    // Opens the main window as start-up does; the boxes of its first activation are kept.
    void Open()
    {
        window = New<TfrmMain>(nullptr);
        window->Show();
        Application->ProcessMessages();
        if (!TVersionInfo::SingletonExists())
            TVersionInfo::CreateSingleton(); // the window frees it when destroyed
    }
    // A value in the SQLite file, read on a connection of its own.
    String FileValue(const String& sql)
    {
        TDatabase db;
        db.Params.Add("SERVER NAME=" + databaseFile);
        db.Open();
        TQuery q;
        q.SetDatabase(&db);
        q.SQL.SetText(sql);
        q.Open();
        return q.IsEmpty() ? String("<none>") : q.Fields(0)->AsString();
    }
    String Run(int runId, const String& field)
    {
        return FileValue("SELECT " + field + " FROM RUNS WHERE RUNID=" + IntToStr(runId));
    }
    bool Exists(const String& name) { return FileExists(JoinPath(work, name)); }
    bool CommandsEnabled() const
    {
        for (TMenuItem* menu : {window->mnuFile, window->mnuEdit, window->mnuView, window->mnuCalculate,
                                window->mnuGraphs, window->mnuRuns, window->mnuHelp})
            if (!menu->Enabled())
                return false;
        return window->pnlMain->Enabled() && window->gbxBrowseRuns->Enabled() && window->gbxEditRuns->Enabled();
    }
    // Answers the options dialog of a calculation of several runs.
    void AnswerRunOptions(int windowType, bool stopOnError)
    {
        QTimer::singleShot(0, [windowType, stopOnError] {
            for (int i = 0; i < Screen->FormCount(); ++i)
                if (auto* options = dynamic_cast<TfrmMultipleRunOptions*>(Screen->Forms(i))) {
                    options->rgWindowType->SetItemIndex(windowType);
                    options->cbxStopOnError->SetChecked(stopOnError);
                    options->btnOK->Click();
                }
        });
    }

    TfrmMain* window = nullptr;
    String work;
};

// The pid of the kernel that this test program started, once it catches SIGINT.
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

TEST_F(MainWindowTest, CalculatesThreeSelectedRunsOneFailingWithoutStoppingOnError)
{
    // the second run ends after the weather data: the kernel refuses it
    module->dbDatabase->ExecSql("UPDATE RUNS SET TIMEND='2007-12-31' WHERE RUNID=2");
    quelmtest::WriteFileBytes(JoinPath(work, "1.err"), "a listing of an earlier calculation\r\n");
    Open();
    ASSERT_EQ(module->tblRuns->RecordCount(), 3);
    EXPECT_TRUE(window->CalculateSelectedRuns1->Enabled());
    EXPECT_EQ(window->CalculateSelectedRuns1->ShortCut(), TextToShortCut("F9"));
    boxes.Clear();

    AnswerRunOptions(rwHidden, false);
    window->CalculateSelectedRuns1->Click();

    for (int run : {1, 3}) {
        SCOPED_TRACE(run);
        EXPECT_EQ(Run(run, "RESULTSSUMMARY"), "Available");
        EXPECT_EQ(Run(run, "RESULTSDETAILED"), "Available");
        EXPECT_EQ(Run(run, "MODELERRORTEXT"), "");
        EXPECT_EQ(Run(run, "SELECTEDFOREXECUTION"), " ");
        for (const char* ext : {".qmi", ".out", ".sum", ".log"})
            EXPECT_TRUE(Exists(IntToStr(run) + ext)) << ext;
        EXPECT_FALSE(Exists(IntToStr(run) + ".err"));
    }
    EXPECT_EQ(Run(2, "RESULTSSUMMARY"), "Error");
    EXPECT_EQ(Run(2, "RESULTSDETAILED"), "Error");
    EXPECT_EQ(Run(2, "SELECTEDFOREXECUTION"), "Yes");
    EXPECT_FALSE(Run(2, "MODELERRORTEXT").empty());
    EXPECT_EQ(Run(2, "MODELERRORTEXT"), ReadTextFile(ErrorFilePath(2)));
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_FALSE(window->KernelBusy);
    EXPECT_EQ(window->PageControl1->ActivePage(), window->tsRunStatus);
    EXPECT_EQ(module->tblRuns->FieldByName("RUNID")->AsInteger(), 1); // back on the run it showed
    EXPECT_TRUE(window->ViewSummaryOutputFile->Enabled());
    EXPECT_TRUE(window->ViewLogFile->Enabled());
    EXPECT_FALSE(window->ViewErrorFile->Enabled());
}

TEST_F(MainWindowTest, AnInterruptedRunIsStoredAndTheWindowIsFreeAgain)
{
    module->dbDatabase->ExecSql("UPDATE RUNS SET SELECTEDFOREXECUTION=' ' WHERE RUNID<>1");
    setenv("QUELMMODEL_DELAY_MS", "20000", 1);
    Open();
    boxes.Clear();
    bool busySeen = false, closeRefused = false;
    int signalled = 0;
    QTimer poke;
    QObject::connect(&poke, &QTimer::timeout, [&] {
        const pid_t kernel = RunningKernel();
        if (!kernel || signalled)
            return;
        busySeen = !CommandsEnabled() && window->KernelBusy;
        TCloseAction action = caHide;
        window->FormClose(window, action);
        closeRefused = action == caNone && boxes.Count() == 0; // refused without a word
        ::kill(kernel, SIGINT);
        ++signalled;
    });
    poke.start(20);
    window->btnCalculate->Click();
    poke.stop();

    EXPECT_EQ(signalled, 1);
    EXPECT_TRUE(busySeen);
    EXPECT_TRUE(closeRefused);
    EXPECT_TRUE(window->Visible());
    EXPECT_EQ(Run(1, "RESULTSSUMMARY"), "Error");
    EXPECT_EQ(Run(1, "RESULTSDETAILED"), "Error");
    EXPECT_EQ(Run(1, "MODELERRORTEXT"), "Run interrupted, possibly by ^C from keyboard");
    EXPECT_EQ(Run(1, "SELECTEDFOREXECUTION"), "Yes");
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Warning);
    EXPECT_EQ(boxes.Last().Text, "Run interrupted, possibly by ^C from keyboard");
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_FALSE(window->KernelBusy);
}

TEST_F(MainWindowTest, AFailureAroundTheKernelLeavesTheWindowUsableAndIsShown)
{
    fs::create_directory(fs::path(work) / "run.sh"); // the launcher cannot write its script
    module->dbDatabase->ExecSql("UPDATE RUNS SET SELECTEDFOREXECUTION=' ' WHERE RUNID<>1");
    Open();
    boxes.Clear();
    Application->Guard([&] { window->CalculateSelectedRuns1->Click(); }, window);
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_FALSE(window->KernelBusy);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Error);
    boxes.Answer("No");
    TCloseAction action = caHide;
    window->FormClose(window, action); // closing is asked again, not refused
    EXPECT_EQ(boxes.Last().Text, "Close RavuzAVEDE application ?");
}

// ---------------------------------------------------------------- rule texts

struct RuleCase {
    const char* name;
    const char* setup;  // SQL run before the post
    const char* table;  // the module's table posted
    const char* locate; // key field and value of the record changed
    const char* key;
    const char* field;
    const char* value;
    const char* expected; // the box shown; "<engine>" for the engine's own text
};

class RuleTextTest : public MainWindowTest, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(RuleTextTest, PostingARecordThatBreaksARuleShowsItsText)
{
    const RuleCase& c = GetParam();
    if (*c.setup)
        module->dbDatabase->ExecSql(c.setup);
    Open();
    boxes.Clear();
    TTable* table = module->TableByName(c.table);
    OpenOrRefresh(table);
    const bool number = std::isdigit(static_cast<unsigned char>(c.key[0]));
    ASSERT_TRUE(table->Locate(c.locate, number ? Variant(std::atoi(c.key)) : Variant(QString(c.key)), 0));
    Application->Guard(
        [&] {
            module->ConfirmOff();
            table->Edit();
            table->FieldByName(c.field)->SetAsString(c.value);
            module->ConfirmOff();
            table->Post();
        },
        window);
    ASSERT_GE(boxes.Count(), 1);
    const String last = boxes.Last().Text;
    if (String(c.expected) == "<engine>") {
        EXPECT_EQ(boxes.Count(), 1);
        EXPECT_NE(last.find("constraint"), String::npos) << last;
    } else {
        EXPECT_EQ(boxes.Boxes().front().Text, c.expected);
    }
    table->Cancel();
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RuleTextTest,
    ::testing::Values(
        RuleCase{"RunDates", "", "tblRuns", "RUNID", "1", "TIMEND", "01/01/1999",
                 "The end of the simulation must lie after its start."},
        RuleCase{"LocationPondDepth", "", "tblLocations", "LOCATIONCODE", "Vellmark", "ZPNDMAX", "-1",
                 "ZPNDMAX must be at least 0."},
        RuleCase{"CheckWithoutText", "UPDATE CONSTRAINTS SET XTEXT='' WHERE CODE='RC_RUNS'", "tblRuns", "RUNID", "1",
                 "TIMEND", "01/01/1999", "One or more values are prohibited by the validation rule \"(TIMEND > TIMSTART)\"."},
        RuleCase{"CheckUnknownToTheTable", "DELETE FROM CONSTRAINTS WHERE CODE='RC_RUNS'", "tblRuns", "RUNID", "1",
                 "TIMEND", "01/01/1999", "<engine>"},
        RuleCase{"KeyWithoutText", "UPDATE CONSTRAINTS SET XTEXT='' WHERE CODE='RUNS_PK'", "tblRuns", "RUNID", "1",
                 "RUNID", "2", "Internal error"}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

} // namespace
