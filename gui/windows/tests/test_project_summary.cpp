// The project summary on a copy of the demo database, from summary files in the kernel's
// form: the grid's columns and rows, the clipboard text and the HTML page against golden
// files, the messages about faulty files (each once), and a project without calculated runs.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "gui/windows/Main.h"
#include "gui/windows/TfrmProjectSummary_Unit.h"
#include "gui/windows/TfrmReportOptions_Unit.h"

#include "platform/framework/Clipbrd.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinShell.h"

#include <QTest>
#include <QTimer>

#include <memory>
#include <unistd.h>

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
    const String privateTemp = JoinPath(dir.file("tmp"), "quelm-" + std::to_string(geteuid()));
    EXPECT_EQ(quelmtest::ReadFileBytes(JoinPath(privateTemp, "RAZADEZORAZaridivUzidozi.htm")),
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

namespace {

class ProjectSummarySortTest : public ProjectSummaryTest {
protected:
    // Runs 1 to 4 in project 1, each with a location and a result A.
    void SortableRuns()
    {
        module->dbDatabase->ExecSql("UPDATE RUNS SET PROJECTID=1 WHERE RUNID=4");
        module->dbDatabase->ExecSql("UPDATE RUNS SET RESULTSSUMMARY='Available' WHERE PROJECTID=1");
        const struct {
            int run;
            const char* location;
            const char* a;
        } runs[] = {{1, "L2", "10"}, {2, "L1", "9"}, {3, "L2", "2"}, {4, "L1", "30"}};
        for (const auto& r : runs)
            quelmtest::WriteFileBytes(JoinPath(work, IntToStr(r.run) + ".sum"),
                                      "* QUELM REPORT: Project_Summary\r\n*  Run_ID  " + IntToStr(r.run) +
                                          "\r\n*  Location  " + r.location + "\r\n*  Result_A  " + r.a +
                                          "\r\n* End of QUELM REPORT: Project_Summary\r\n");
    }
    // A click of the mouse on the header of the column named so.
    void ClickHeader(const String& name, bool shift)
    {
        TPlusStringGrid* grid = summary->grdSummary;
        int col = -1;
        for (int c = 0; c < grid->ColCount(); ++c)
            if (grid->Cells(c, 0) == name)
                col = c;
        ASSERT_GE(col, 0) << name;
        grid->SetLeftCol(0);
        const TRect cell = grid->CellRect(col, 0);
        const QPoint at((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
        QTest::mouseClick(grid->Host(), Qt::LeftButton, shift ? Qt::ShiftModifier : Qt::NoModifier, at);
        Application->ProcessMessages();
    }
    String RunOrder()
    {
        String order;
        for (int r = 1; r < summary->grdSummary->RowCount(); ++r)
            order += summary->grdSummary->Cells(0, r);
        return order;
    }
};

TEST_F(ProjectSummarySortTest, HeaderClicksSortTheRowsShiftAddsFurtherColumns)
{
    SortableRuns();
    Open(1, "Demonstration project");
    ASSERT_EQ(RunOrder(), "1234");
    const struct {
        const char* column;
        bool shift;
        const char* order;
        const char* why;
    } clicks[] = {
        {"LOCATION", false, "2413", "by location; the earlier order kept within one location"},
        {"A", true, "2431", "then by A, as numbers (9 before 30, 2 before 10)"},
        {"A", true, "4213", "Shift-click again: A the other way round"},
        {"A", false, "3214", "a plain click sorts by A alone"},
        {"A", false, "4123", "a second plain click turns it round"},
    };
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.why);
        ClickHeader(click.column, click.shift);
        EXPECT_EQ(RunOrder(), click.order);
    }
    // the page and the clipboard follow the rows as sorted
    summary->btnCopyToClipboard->Click();
    EXPECT_EQ(Clipboard()->AsText().substr(Clipboard()->AsText().find("\r\n") + 2, 2), "4\t");
}

} // namespace
