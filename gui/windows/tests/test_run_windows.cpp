// The windows about runs and projects on a copy of the demo database: the run archive of a
// run calculated by the stand-in kernel, the report choice, moving a run to another project,
// and choosing a project in the project window.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "gui/windows/Main.h"
#include "gui/windows/Projects.h"
#include "CommonUnits/GeneralUnits/QuelmStartup.h"
#include "gui/windows/TfrmArchiveDirectory_Unit.h"
#include "gui/windows/TfrmMoveRunToOtherProject_Unit.h"
#include "gui/windows/TfrmReportOptions_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinShell.h"

#include <QTimer>

#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class RunWindowsTest : public DataModuleTest {
protected:
    void SetUp() override
    {
        DataModuleTest::SetUp();
        SetRunAndWaitPollPeriod(10);
        work = GetWorkDir();
        setenv("TMP", dir.file("tmp").c_str(), 1);
        ForceDirectories(dir.file("tmp"));
        const fs::path built = fs::path(GetExeDir()) / ".." / ".." / "bin" / "Quelmmodel";
        ASSERT_TRUE(fs::exists(built)) << "no kernel built at " << built;
        if (!fs::exists(fs::symlink_status(GetKernelExeName())))
            fs::create_symlink(fs::canonical(built), GetKernelExeName());
        main.reset(New<TfrmMain>(nullptr));
        main->Show();
        Application->ProcessMessages();
        if (!TVersionInfo::SingletonExists())
            TVersionInfo::CreateSingleton(); // the main window frees it when destroyed
        boxes.Clear();
    }
    void TearDown() override
    {
        Application->ProcessMessages();
        main.reset();
        Application->OnException = nullptr;
        Application->OnIdle = nullptr;
        SetRunAndWaitPollPeriod(100);
        Screen->SetCursor(crDefault);
        unsetenv("TMP");
        DataModuleTest::TearDown();
    }
    // Makes the run current and calculates it with the stand-in kernel.
    void Calculate(int runId)
    {
        ASSERT_TRUE(module->tblRuns->Locate("RUNID", Variant(runId), 0));
        TdmQuelm::TRunOptions options;
        options.WindowMode = rwHidden;
        ASSERT_EQ(module->CalculateRun(options, TdmQuelm::TCalculationView()), rsSucceeded);
    }
    // Runs the action on the first shown window of type T once the next modal loop runs.
    template <class T>
    static void WhenShown(std::function<void(T*)> action)
    {
        QTimer::singleShot(0, [action] {
            for (int i = 0; i < Screen->FormCount(); ++i)
                if (auto* form = dynamic_cast<T*>(Screen->Forms(i))) {
                    action(form);
                    return;
                }
        });
    }
    std::vector<String> LogLines(TfrmArchiveDirectory* archive)
    {
        std::vector<String> lines;
        for (int i = 0; i < archive->memoLog->Lines()->Count(); ++i)
            lines.push_back((*archive->memoLog->Lines())[i]);
        return lines;
    }
    std::unique_ptr<TfrmArchiveDirectory> Archive(int runId, const String& folder)
    {
        std::unique_ptr<TfrmArchiveDirectory> archive(New<TfrmArchiveDirectory>(nullptr));
        archive->SetRunID(runId);
        EXPECT_TRUE(archive->DirectoryListBox->SetDirectory(folder));
        archive->DirectoryListBoxClick(archive->DirectoryListBox);
        return archive;
    }
    std::vector<String> FilesIn(const String& folder)
    {
        return FindFiles(folder, "*");
    }

    std::unique_ptr<TfrmMain> main;
    String work;
};

TEST_F(RunWindowsTest, ArchiveCopiesTheFilesOfACalculatedRunAndLogsThem)
{
    Calculate(1); // location with a groundwater-level series, no irrigation
    const String target = dir.file("archives");
    ForceDirectories(target);
    auto archive = Archive(1, target);
    EXPECT_EQ(archive->Caption(), "RavuzAVEDE - Archive Run: 1");
    EXPECT_EQ(archive->edtArchiveDirectory->Text(), target);
    archive->btnArchive->Click();

    const String folder = JoinPath(target, "Projects_Run1");
    const std::vector<String> copied = {"1.qmi", "1.bot", "1.sum", "1.out", "1.log", "Brimvek.met"};
    std::vector<String> expectedLog = {"Archiving to " + folder};
    for (const String& name : copied) {
        expectedLog.push_back("Copied " + name);
        EXPECT_EQ(quelmtest::ReadFileBytes(JoinPath(folder, name)), quelmtest::ReadFileBytes(JoinPath(work, name)))
            << name;
    }
    expectedLog.push_back("FINISHED");
    EXPECT_EQ(LogLines(archive.get()), expectedLog);
    EXPECT_EQ(FilesIn(folder).size(), copied.size());
    EXPECT_EQ(BoxTexts(), std::vector<String>{"Finished archiving."});
    EXPECT_EQ(archive->btnClose->Caption(), "Close");
    EXPECT_EQ(archive->edtArchiveDirectory->Text(), folder);

    // the same run into the same folder again: asked first, Cancel changes nothing
    auto again = Archive(1, target);
    boxes.Clear();
    boxes.Answer("Cancel");
    quelmtest::WriteFileBytes(JoinPath(folder, "extra.txt"), "kept");
    again->btnArchive->Click();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "The archive directory '" + folder + "' already exists.\r\rOverwrite existing files ?");
    EXPECT_TRUE(LogLines(again.get()).empty());
    EXPECT_TRUE(FileExists(JoinPath(folder, "extra.txt")));

    // OK empties the folder first and says how many files went
    boxes.Clear();
    boxes.Answer("OK");
    again->btnArchive->Click();
    const std::vector<String> log = LogLines(again.get());
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "Deleted 7 file(s)");
    EXPECT_EQ(log[1], "Archiving to " + folder);
    EXPECT_FALSE(FileExists(JoinPath(folder, "extra.txt")));
    EXPECT_EQ(FilesIn(folder).size(), copied.size());
}

TEST_F(RunWindowsTest, ArchiveTakesBoundaryAndIrrigationFilesOnlyWhereTheRunHasThem)
{
    struct Case {
        int run;
        std::vector<String> files;
    };
    const Case cases[] = {
        {1, {"1.qmi", "1.bot", "1.sum", "Brimvek.met"}},      // groundwater-level series, no irrigation
        {3, {"3.qmi", "3.sum", "Olvasto.met", "Summer_Auto.irr"}}, // flux boundary, sprinkler irrigation
        {4, {"4.qmi", "4.sum", "Brimvek.met", "Summer_Auto.irr"}}, // Cauchy boundary, sprinkler irrigation
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.run);
        std::vector<String> names;
        for (const auto& file : TfrmArchiveDirectory::RunFiles(c.run))
            if (file.Essential)
                names.push_back(file.Name);
        EXPECT_EQ(names, c.files);
    }
}

TEST_F(RunWindowsTest, ArchiveOfARunThatWasNeverCalculatedIsReportedIncomplete)
{
    DeleteAllRunFiles(3);
    const String target = dir.file("archives");
    ForceDirectories(target);
    auto archive = Archive(3, target);
    archive->btnArchive->Click();
    const String folder = JoinPath(target, "Projects_Run3");
    EXPECT_EQ(LogLines(archive.get()),
              (std::vector<String>{"Archiving to " + folder, "Could not copy 3.qmi !!!", "Could not copy 3.sum !!!",
                                   "Could not copy Olvasto.met !!!", "Could not copy Summer_Auto.irr !!!",
                                   "FINISHED"}));
    EXPECT_EQ(BoxTexts(), (std::vector<String>{"Archive of this run is missing one or more essential files.",
                                               "Finished archiving with errors."}));
}

TEST_F(RunWindowsTest, ReportChoiceShowsTheRunReportOfTheCurrentRun)
{
    // a run report needs the kernel's report blocks: a summary file in their form
    ASSERT_TRUE(module->tblRuns->Locate("RUNID", Variant(1), 0));
    quelmtest::WriteFileBytes(SummaryFilePath(1), "* QUELM REPORT: Project_Summary\r\n* End of QUELM REPORT: "
                                                  "Project_Summary\r\n* QUELM REPORT: Header\r\n*  run one\r\n* End of "
                                                  "QUELM REPORT: Header\r\n* QUELM REPORT: Leaching\r\n* End of QUELM "
                                                  "REPORT: Leaching\r\n");
    TShellExecuteRecorder shell;
    WhenShown<TfrmReportOptions>([](TfrmReportOptions* options) {
        EXPECT_EQ(options->Caption(), "RavuzAVEDE 2.1.2 - Report options");
        EXPECT_EQ(options->ReportOptions->ItemIndex(), TfrmReportOptions::RunReport);
        options->btnOK->Click();
    });
    main->btnReportsClick(main.get());
    ASSERT_EQ(shell.Calls().size(), 1u);
    const String privateTemp = JoinPath(dir.file("tmp"), "quelm-" + std::to_string(geteuid()));
    const String page = quelmtest::ReadFileBytes(JoinPath(privateTemp, "RAVUZAVEDEReport.htm"));
    EXPECT_NE(page.find("*&nbsp;&nbsp;run&nbsp;one<BR>"), String::npos);

    // Cancel shows nothing
    WhenShown<TfrmReportOptions>([](TfrmReportOptions* options) { options->btnCancel->Click(); });
    main->btnReportsClick(main.get());
    EXPECT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(boxes.Count(), 0);
}

// ---------------------------------------------------------------- moving a run

class MoveRunTest : public RunWindowsTest {
protected:
    // The move window for run 2 of project 1, as the main window prepares it.
    std::unique_ptr<TfrmMoveRunToOtherProject> Window()
    {
        std::unique_ptr<TfrmMoveRunToOtherProject> move(New<TfrmMoveRunToOtherProject>(nullptr));
        move->edtRunID->SetText("2");
        move->edtRunName->SetText("Potatoes");
        move->CurrentProjectID = "1";
        move->Show();
        move->FormActivate(move.get());
        return move;
    }
    String ProjectOfRun2() { return Value("SELECT PROJECTID FROM RUNS WHERE RUNID=2"); }
};

TEST_F(MoveRunTest, ListsTheProjectsAndPreselectsTheRunsProject)
{
    auto move = Window();
    EXPECT_EQ(move->Caption(), "RavuzAVEDE 2.1.2 - Move Run to Other Project");
    ASSERT_EQ(move->cbxProjects->Items()->Count(), 2);
    EXPECT_EQ((*move->cbxProjects->Items())[0], "Demonstration project (ID=1)");
    EXPECT_EQ((*move->cbxProjects->Items())[1], "Further demonstration runs (ID=2)");
    EXPECT_EQ(move->cbxProjects->ItemIndex(), 0);
}

TEST_F(MoveRunTest, ClosingMovesOnlyToAnotherChosenProject)
{
    struct Case {
        const char* name;
        int choice; // -1: none
        std::function<void(TfrmMoveRunToOtherProject*)> close;
        const char* answer; // to the cancel confirmation, when asked
        String project;     // of run 2 afterwards
        bool open;          // the window stays open
    };
    const Case cases[] = {
        {"Move without changing the selection", 0, [](auto* m) { m->btnClose->Click(); }, nullptr, "1", false},
        {"Move to the other project", 1, [](auto* m) { m->btnClose->Click(); }, nullptr, "2", false},
        {"close box after choosing another project", 1, [](auto* m) { m->Close(); }, nullptr, "2", false},
        {"Cancel after choosing another project, Yes", 1, [](auto* m) { m->btnCancel->Click(); }, "Yes", "1", false},
        {"Cancel after choosing another project, No", 1, [](auto* m) { m->btnCancel->Click(); }, "No", "1", true},
        {"Cancel with the run's own project: not asked", 0, [](auto* m) { m->btnCancel->Click(); }, nullptr, "1",
         false},
        {"no project chosen: nothing happens", -1, [](auto* m) { m->btnClose->Click(); }, nullptr, "1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        module->dbDatabase->ExecSql("UPDATE RUNS SET PROJECTID=1 WHERE RUNID=2");
        boxes.Clear();
        auto move = Window();
        move->cbxProjects->SetItemIndex(c.choice);
        if (c.answer)
            boxes.Answer(c.answer);
        c.close(move.get());
        Application->ProcessMessages();
        EXPECT_EQ(boxes.Count(), c.answer ? 1 : 0);
        if (c.answer)
            EXPECT_EQ(boxes.Last().Text, "Do you want to cancel moving the run to another project ?");
        EXPECT_EQ(ProjectOfRun2(), c.project);
        EXPECT_EQ(move->Visible(), c.open);
        if (c.open)
            EXPECT_EQ(move->cbxProjects->ItemIndex(), c.choice);
    }
}

TEST_F(MoveRunTest, MainWindowShowsTheMovedRunInItsNewProject)
{
    ASSERT_TRUE(module->tblRuns->Locate("RUNID", Variant(2), 0));
    WhenShown<TfrmMoveRunToOtherProject>([](TfrmMoveRunToOtherProject* move) {
        EXPECT_EQ(move->edtRunID->Text(), "2");
        move->cbxProjects->SetItemIndex(1);
        move->btnClose->Click();
    });
    main->mnuRunsMoveSelectedRunToOtherProject1->Click();
    EXPECT_EQ(ProjectOfRun2(), "2");
    EXPECT_EQ(module->tblProjects->FieldByName("PROJECTID")->AsInteger(), 2);
    EXPECT_EQ(module->tblRuns->FieldByName("RUNID")->AsInteger(), 2);
    EXPECT_EQ(boxes.Count(), 0);
}

// ---------------------------------------------------------------- the project window

TEST_F(RunWindowsTest, DoubleClickOnAProjectChoosesItAndTheMainWindowOpensIt)
{
    WhenShown<TfrmProjects>([](TfrmProjects* projects) {
        EXPECT_EQ(projects->Caption(), "RavuzAVEDE 2.1.2 - Projects");
        ASSERT_TRUE(dmQuelm->tblProjects->Locate("PROJECTID", Variant(2), 0));
        projects->grdProjects->OnDblClick(projects->grdProjects);
    });
    main->btnProjects->Click();
    EXPECT_EQ(module->tblProjects->FieldByName("PROJECTID")->AsInteger(), 2);
    EXPECT_EQ(Value("SELECT PROJECTID FROM PROJECTLAST"), "2");
    EXPECT_EQ(module->tblRuns->RecordCount(), 2);
    EXPECT_NE(main->Caption().find("Project: Further demonstration runs"), String::npos) << main->Caption();
}

TEST_F(RunWindowsTest, UnpostedNewProjectIsSavedThroughThePromptOrTheWindowStaysOpen)
{
    bool openAfterNo = false;
    int projectsAfterNo = 0;
    std::vector<String> prompts;
    WhenShown<TfrmProjects>([&](TfrmProjects* projects) {
        // No at the save prompt: nothing saved, the window stays open
        projects->navProjects->BtnClick(nbInsert);
        dmQuelm->tblProjects->FieldByName("DESCRIPTION")->SetAsString("Trial & <error>");
        boxes.Answer("No");
        projects->btnOK->Click();
        openAfterNo = projects->Visible();
        projectsAfterNo = Count("SELECT COUNT(*) FROM PROJECTS");
        prompts = BoxTexts();
        // Yes saves it and the window closes on it
        projects->navProjects->BtnClick(nbInsert);
        dmQuelm->tblProjects->FieldByName("DESCRIPTION")->SetAsString("Trial & <error>");
        boxes.Answer("Yes");
        projects->btnOK->Click();
    });
    main->btnProjects->Click();
    EXPECT_TRUE(openAfterNo);
    EXPECT_EQ(projectsAfterNo, 2);
    EXPECT_EQ(prompts, std::vector<String>{"Save the changed information ?"});
    EXPECT_EQ(Count("SELECT COUNT(*) FROM PROJECTS"), 3);
    EXPECT_EQ(module->tblProjects->FieldByName("DESCRIPTION")->AsString(), "Trial & <error>");
    EXPECT_EQ(Value("SELECT PROJECTID FROM PROJECTLAST"), module->tblProjects->FieldByName("PROJECTID")->AsString());
    EXPECT_EQ(BoxTexts().back(), "No runs yet in project. Create runs with + button first");
}

} // namespace
