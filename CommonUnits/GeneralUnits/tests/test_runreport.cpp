// The report of a run: its Header and Leaching blocks from the summary file as an HTML page
// (against a golden page), and what happens when blocks or the file are missing.
#include "CommonUnits/GeneralUnits/tests/settings_fixture.h"

#include "CommonUnits/GeneralUnits/Report_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"

#include "platform/framework/Forms.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinShell.h"
#include "platform/win/WinVersion.h"

#include <unistd.h>

namespace {

String ReportGoldenDir()
{
    return quelmtest::SourceDir() + "/CommonUnits/GeneralUnits/tests/golden/report";
}

class RunReportTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        setenv("TMP", dir.file("tmp").c_str(), 1);
        ForceDirectories(dir.file("tmp"));
        TVersionInfo::DestroySingleton();
        TVersionInfo::CreateSingleton();
        work = GetWorkDir();
    }
    void TearDown() override
    {
        TVersionInfo::DestroySingleton();
        unsetenv("TMP");
        Screen->SetCursor(crDefault);
        SettingsTest::TearDown();
    }
    // The summary file of the run, its lines joined by CR LF.
    void WriteSummary(int runId, const std::vector<String>& lines)
    {
        String text;
        for (const String& line : lines)
            text += line + "\r\n";
        quelmtest::WriteFileBytes(SummaryFilePath(runId), text);
    }
    // reports go into the user's private folder in the temporary folder
    String ReportPath() const
    {
        return JoinPath(JoinPath(dir.file("tmp"), "quelm-" + std::to_string(geteuid())), "RAVUZAVEDEReport.htm");
    }

    TVersionResource version{2, 1, 2, 10};
    String work;
};

const String kSummaryOpen = "* QUELM REPORT: Project_Summary";
const String kSummaryClose = "* End of QUELM REPORT: Project_Summary";

TEST_F(RunReportTest, ReportOfAKernelSummaryFileEqualsTheGoldenPageAndIsOpened)
{
    CopyFileTo(JoinPath(ReportGoldenDir(), "run7.sum"), SummaryFilePath(7), false);
    ASSERT_TRUE(IsMorvaRun(7));
    TShellExecuteRecorder shell;
    Screen->SetCursor(crDrag);
    ShowRunReport(7);
    EXPECT_EQ(quelmtest::ReadFileBytes(ReportPath()), quelmtest::ReadFileBytes(JoinPath(ReportGoldenDir(), "run7.htm")));
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].File, "RAVUZAVEDEReport.htm");
    EXPECT_EQ(Screen->Cursor(), crDrag);
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(RunReportTest, BlocksAreFoundInFileOrderAndRunToTheirClosingLineOrTheFileEnd)
{
    struct Case {
        const char* name;
        std::vector<String> file;
        std::vector<String> report;
        std::vector<String> messages;
    };
    const Case cases[] = {
        {"leaching before header: header only, and said so",
         {kSummaryOpen, kSummaryClose, "* QUELM REPORT: Leaching", "leach", "* End of QUELM REPORT: Leaching",
          "* QUELM REPORT: Header", "head", "* End of QUELM REPORT: Header"},
         {"* QUELM REPORT: Header", "head", "* End of QUELM REPORT: Header", "", ""},
         {"The report: Leaching was not found."}},
        {"blocks without closing lines run to the end of the file",
         {kSummaryOpen, "* QUELM REPORT: Header", "head", "* QUELM REPORT: Leaching", "leach"},
         {"* QUELM REPORT: Header", "head", "* QUELM REPORT: Leaching", "leach", "", ""},
         {"The report: Leaching was not found."}},
        {"marker fields are compared as words, blank lines kept",
         {kSummaryOpen, "  *   QUELM  REPORT:  Header  extra", "   ", "*  End of QUELM REPORT: Header",
          "* QUELM REPORT: Leaching", "x", "* End of QUELM REPORT: Leaching", "after"},
         {"  *   QUELM  REPORT:  Header  extra", "   ", "*  End of QUELM REPORT: Header", "", "",
          "* QUELM REPORT: Leaching", "x", "* End of QUELM REPORT: Leaching"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        WriteSummary(3, c.file);
        EXPECT_EQ(RunReportLines(3), c.report);
        EXPECT_EQ(BoxTexts(), c.messages);
    }
}

TEST_F(RunReportTest, RunWithoutSummaryBlockOrHeaderRaisesAndWritesNoReport)
{
    struct Case {
        const char* name;
        std::vector<String> file; // empty: no summary file
        const char* error;
    };
    const Case cases[] = {
        {"no summary file", {}, "Internal error: run is not a MORVA run."},
        {"no Project_Summary block", {"* QUELM REPORT: Header", "* End of QUELM REPORT: Header"},
         "Internal error: run is not a MORVA run."},
        {"no Header block", {kSummaryOpen, kSummaryClose, "* QUELM REPORT: Leaching"}, "The report header was not found."},
        {"header opening line is the last line", {kSummaryOpen, "* QUELM REPORT: Header"},
         "The report header was not found."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFile(SummaryFilePath(4));
        if (!c.file.empty())
            WriteSummary(4, c.file);
        Screen->SetCursor(crDrag);
        TShellExecuteRecorder shell;
        try {
            ShowRunReport(4);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.error);
        }
        EXPECT_EQ(Screen->Cursor(), crDrag) << "the cursor from before comes back";
        EXPECT_FALSE(FileExists(ReportPath()));
        EXPECT_TRUE(shell.Calls().empty());
    }
}

} // namespace
