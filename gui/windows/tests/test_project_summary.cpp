// The project summary on a copy of the demo database, from summary files in the kernel's
// form: the grid's columns and rows, the clipboard text and the HTML page against golden
// files, the messages about faulty files (each once), and a project without calculated runs.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "Main.h"
#include "TfrmProjectSummary_Unit.h"
#include "TfrmReportOptions_Unit.h"

#include "platform/framework/Clipbrd.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinShell.h"

#include <QTimer>

#include <memory>

namespace {

String GoldenDir()
{
    return quelmtest::SourceDir() + "/gui/windows/tests/golden/summary";
}

class ProjectSummaryTest : public DataModuleTest {
protected:
    void SetUp() override
    {
        DataModuleTest::SetUp();
        setenv("TMP", dir.file("tmp").c_str(), 1);
        ForceDirectories(dir.file("tmp"));
        work = GetWorkDir();
    }
    void TearDown() override
    {
        Application->ProcessMessages();
        summary.reset();
        unsetenv("TMP");
        DataModuleTest::TearDown();
    }
    // Runs 1 to 3 of project 1 and run 4 (moved there, without summary file) calculated;
    // the summary files of runs 1 to 3 from the golden folder.
    void CalculatedRuns()
    {
        module->dbDatabase->ExecSql("UPDATE RUNS SET PROJECTID=1 WHERE RUNID=4");
        module->dbDatabase->ExecSql("UPDATE RUNS SET RESULTSSUMMARY='Available' WHERE PROJECTID=1");
        for (const char* name : {"1.sum", "2.sum", "3.sum"})
            CopyFileTo(JoinPath(GoldenDir(), name), JoinPath(work, name), false);
        DeleteFile(JoinPath(work, "4.sum"));
    }
    void Open(int projectId, const String& description)
    {
        summary.reset(New<TfrmProjectSummary>(nullptr));
        summary->SetProjectInfo(projectId, description);
        summary->Show();
        Application->ProcessMessages();
    }
    std::vector<String> Row(int row)
    {
        std::vector<String> cells;
        for (int c = 0; c < summary->grdSummary->ColCount(); ++c)
            cells.push_back(summary->grdSummary->Cells(c, row));
        return cells;
    }

    String work;
    std::unique_ptr<TfrmProjectSummary> summary;
};

TEST_F(ProjectSummaryTest, GridHoldsOneRowPerCalculatedRunWithTheResultColumnsInOrderOfFirstOccurrence)
{
    CalculatedRuns();
    Open(1, "Demonstration project");
    EXPECT_EQ(summary->Caption(),
              "RavuzAVEDE 2.1.2 - Overview of results of MORVA runs in project: Demonstration project");
    TPlusStringGrid* grid = summary->grdSummary;
    EXPECT_TRUE(grid->Visible());
    ASSERT_EQ(grid->RowCount(), 5);
    EXPECT_EQ(Row(0), (std::vector<String>{"RUN_ID", "RESULT_TEXT", "SUBSTANCE", "A", "B", "C", "D", "LOCATION",
                                           "APPLICATION_SCHEME", "CROP_CALENDAR", "SOIL_TYPE", "METEO_STATION",
                                           "IRRIGATION_SCHEME", "DEPOSITION_SCHEME", "REPORT_TYPE"}));
    EXPECT_EQ(Row(1), (std::vector<String>{"1", "80th percentile (ug.L-1)", "PARA", "0.100000",
                                           "0.200000", "", "", "Vellmark", "Spring & <autumn> spray  ", "Maize",
                                           "RiverLoam", "Brimvek", "No", "No", "Leaching"}));
    // a key met twice keeps its last value; a line of two fields and the lines after the
    // closing line are not read
    EXPECT_EQ(Row(2), (std::vector<String>{"2", "90th percentile", "MET1", "1.5", "", "2.5", "3.5", "Torrsund heath",
                                           "", "", "", "", "", "", ""}));
    EXPECT_EQ(Row(3), std::vector<String>(15, "")) << "a summary file without block";
    EXPECT_EQ(Row(4), std::vector<String>(15, "")) << "no summary file";
    EXPECT_EQ(summary->StatusBar1->Panels()->Items(0)->Text(), "Runs found: 2");
    EXPECT_EQ(BoxTexts(), (std::vector<String>{"More than 3 results, ignoring",
                                               "Internal error, project summary not found"}));
    for (int c = 0; c < grid->ColCount(); ++c)
        EXPECT_GT(grid->ColWidths(c), 8) << c;
}

TEST_F(ProjectSummaryTest, ClipboardTextAndHtmlPageEqualTheGoldenFiles)
{
    CalculatedRuns();
    Open(1, "Demo & <test>");
    // the page follows the widths as shown: fixed ones here, so that fonts play no part
    for (int c = 0; c < summary->grdSummary->ColCount(); ++c)
        summary->grdSummary->SetColWidths(c, 60 + 10 * c);

    summary->btnCopyToClipboard->Click();
    EXPECT_EQ(Clipboard()->AsText(), quelmtest::ReadFileBytes(JoinPath(GoldenDir(), "clipboard.txt")));

    TShellExecuteRecorder shell;
    summary->btnShowInBrowser->Click();
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].File, "RAZADEZORAZaridivUzidozi.htm");
    EXPECT_EQ(quelmtest::ReadFileBytes(JoinPath(dir.file("tmp"), "RAZADEZORAZaridivUzidozi.htm")),
              quelmtest::ReadFileBytes(JoinPath(GoldenDir(), "summary.htm")));
}

TEST_F(ProjectSummaryTest, ProjectWithoutCalculatedRunsShowsAnEmptyRowAndWarns)
{
    module->dbDatabase->ExecSql("UPDATE RUNS SET RESULTSSUMMARY='NotAvailable'");
    Open(2, "Further demonstration runs");
    EXPECT_EQ(summary->grdSummary->RowCount(), 2);
    EXPECT_EQ(summary->grdSummary->ColCount(), 11);
    EXPECT_EQ(Row(1), std::vector<String>(11, ""));
    EXPECT_EQ(summary->StatusBar1->Panels()->Items(0)->Text(), "Runs found: 0");
    EXPECT_EQ(BoxTexts(), std::vector<String>{"No valid output found for project summary report"});
}

TEST_F(ProjectSummaryTest, ReportChoiceOfTheMainWindowOpensTheSummaryOfTheRunsProject)
{
    CalculatedRuns();
    std::unique_ptr<TfrmMain> main(New<TfrmMain>(nullptr));
    main->Show();
    Application->ProcessMessages();
    if (!TVersionInfo::SingletonExists())
        TVersionInfo::CreateSingleton();
    boxes.Clear();
    String caption, found;
    QTimer::singleShot(0, [&] {
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (auto* options = dynamic_cast<TfrmReportOptions*>(Screen->Forms(i))) {
                options->ReportOptions->SetItemIndex(TfrmReportOptions::ProjectSummary);
                QTimer::singleShot(0, [&] {
                    for (int j = 0; j < Screen->FormCount(); ++j)
                        if (auto* shown = dynamic_cast<TfrmProjectSummary*>(Screen->Forms(j))) {
                            caption = shown->Caption();
                            found = shown->StatusBar1->Panels()->Items(0)->Text();
                            shown->btnClose->Click();
                        }
                });
                options->btnOK->Click();
            }
    });
    main->btnReportsClick(main.get());
    EXPECT_EQ(caption, "RavuzAVEDE 2.1.2 - Overview of results of MORVA runs in project: Demonstration project");
    EXPECT_EQ(found, "Runs found: 2");
    Application->ProcessMessages();
    main.reset();
}

} // namespace
