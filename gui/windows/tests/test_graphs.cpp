// The user-defined graphs window on a copy of the demo database: the job files it writes for
// a time series, a depth series, a compound variable, a vertical profile and a template
// (golden files beside this test, checked by hand against plotwell's settings language), the
// selection rules of the variables, the rowsift export of a small output file, the start of
// plotwell and the reports of failed starts and exports. The graph itself is drawn by the
// plotwell of the build, in its batch mode.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "gui/windows/DetailedOutputGraphs2.h"
#include "gui/windows/GraphTemplates.h"
#include "gui/windows/GraphUsingTemplate.h"
#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"

#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinShell.h"

#include <QTimer>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

String GraphFixture(const String& name)
{
    return quelmtest::SourceDir() + "/gui/windows/tests/graphs/" + name;
}

// A program of the build, linked where quelmgui looks for it.
void LinkBuiltProgram(const String& program, const String& link)
{
    const fs::path built = fs::path(GetExeDir()) / ".." / ".." / "bin" / program;
    ASSERT_TRUE(fs::exists(built)) << "not built: " << built;
    fs::create_directories(fs::path(link).parent_path());
    if (!fs::exists(fs::symlink_status(link)))
        fs::create_symlink(fs::canonical(built), link);
}

class GraphsTest : public DataModuleTest {
protected:
    void SetUp() override
    {
        DataModuleTest::SetUp();
        SetRunAndWaitPollPeriod(10);
        work = GetWorkDir();
        plotwellDir = dir.file("plotwell");
        WriteRegistryString(HKEY_LOCAL_MACHINE, REG_PLOTWELL_DIR, plotwellDir + "/");
        for (const char* out : {"1.out", "4.out"})
            quelmtest::WriteFileBytes(JoinPath(work, out), quelmtest::ReadFileBytes(GraphFixture(out)));
        // every run writes the variables the cases draw
        ExecSql("theDatabase", "UPDATE RunPrintVariables SET AVOLIQERR='Yes', AVOLIQSOL='Yes', EPS='Yes', "
                               "CONLIQLBO='Yes', THETA_VPRF='Yes', PREHEA_VPRF='Yes'");
    }
    void TearDown() override
    {
        CloseWindow();
        SetRunAndWaitPollPeriod(100);
        Screen->SetCursor(crDefault);
        DataModuleTest::TearDown();
    }
    // The window on the run, opened as the main window opens it.
    void Open(int runId, int projectId)
    {
        OpenOrRefresh(module->tblProjects);
        ASSERT_TRUE(module->tblProjects->Locate("PROJECTID", Variant(projectId), 0));
        OpenOrRefresh(module->tblRuns);
        ASSERT_TRUE(module->tblRuns->Locate("RUNID", Variant(runId), 0));
        window = New<TfrmDetailedOutputGraphs2>(nullptr);
        window->Show();
        Application->ProcessMessages();
    }
    void CloseWindow()
    {
        if (!window)
            return;
        window->Close();
        Application->ProcessMessages();
        delete window;
        window = nullptr;
    }
    // A double click on the variable in its category, as the user gives it.
    void DoubleClick(const String& category, const String& variable)
    {
        ASSERT_TRUE(module->tblRunPrintCategories->Locate("CATEGORYCODE", Variant(ToQString(category)), 0));
        ASSERT_TRUE(module->tblRunPrintVariablesDictionary->Locate("VARIABLENAME", Variant(ToQString(variable)), 0))
            << variable;
        window->DBgrdVariablesDblClick(nullptr);
    }
    // The user's check of one item of a list.
    void CheckItem(TCheckListBox* list, int index, bool on)
    {
        list->SetItemIndex(index);
        list->SetChecked(index, on);
        if (list->OnClickCheck)
            list->OnClickCheck(list);
    }
    String JobFile(bool useTemplate)
    {
        String path;
        window->CreateXYSetFile(useTemplate, path);
        EXPECT_EQ(path, JoinPath(work, "UserDefinedGraph.set"));
        return quelmtest::ReadFileBytes(path);
    }
    String Selected()
    {
        return Value("SELECT GROUP_CONCAT(VARIABLENAME, ',') FROM (SELECT VARIABLENAME FROM "
                     "RunPrintVariablesDictionary WHERE UPPER(SelectedForGraph)='YES' ORDER BY VARIABLENAME)");
    }

    TfrmDetailedOutputGraphs2* window = nullptr;
    String work;
    String plotwellDir;
};

String Golden(const String& name)
{
    return quelmtest::ReadFileBytes(GraphFixture("golden/" + name));
}

} // namespace

TEST_F(GraphsTest, JobFilesOfTheFourKindsOfGraphEqualTheirGoldenFiles)
{
    struct Case {
        const char* golden;
        int run, project;
        std::vector<std::pair<const char*, const char*>> variables; // category, name
        std::function<void(TfrmDetailedOutputGraphs2*)> choose;
    };
    const Case cases[] = {
        {"time_series.set", 1, 1, {{"QuelmWaterBalance", "AvoLiqSol"}, {"QuelmWaterBalance", "AvoLiqErr"}}, nullptr},
        // the second depth is unchecked: the depths keep their columns counted over the whole list
        {"depth_series.set", 1, 1, {{"QuelmSoilState", "Eps"}},
         [this](TfrmDetailedOutputGraphs2* w) { CheckItem(w->clbRealOutputDepths, 1, false); }},
        // checking the second substance unchecks the first
        {"compound.set", 1, 1, {{"QuelmSubstanceBalance", "ConLiqLbo"}},
         [this](TfrmDetailedOutputGraphs2* w) { CheckItem(w->clbSubstances, 1, true); }},
        {"vertical_profile.set", 4, 2, {{"QuelmVerticalProfiles", "Theta_Vprf"}}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        Open(c.run, c.project);
        for (const auto& [category, name] : c.variables)
            DoubleClick(category, name);
        if (c.choose)
            c.choose(window);
        EXPECT_EQ(JobFile(false), Golden(c.golden));
        window->btnClearAllClick(nullptr);
        CloseWindow();
    }
}

TEST_F(GraphsTest, ListsOfTheWindowFollowTheRunAndItsDepthType)
{
    Open(1, 1); // depth type Other: every depth checked
    EXPECT_EQ(window->clbRealOutputDepths->Items()->CommaText(), "0.05,0.15,0.5");
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(window->clbRealOutputDepths->Checked(i));
    EXPECT_EQ(window->clbSubstances->Items()->CommaText(), "PARA,MET1,MET2");
    EXPECT_TRUE(window->clbSubstances->Checked(0));
    EXPECT_FALSE(window->clbSubstances->Checked(1));
    EXPECT_EQ(window->Caption(), "RavuzAVEDE 2.1.2 - User Defined Graphs");
    EXPECT_FALSE(window->btnGraph->Enabled()); // nothing selected
    CloseWindow();

    // depth type All: every depth unchecked; the last profile date checked
    quelmtest::WriteFileBytes(JoinPath(work, "4.out"), "* x\nTime Date/Variable 0.1 0.6\n");
    Open(4, 2);
    EXPECT_EQ(window->clbRealOutputDepths->Items()->Count(), 2);
    EXPECT_FALSE(window->clbRealOutputDepths->Checked(0));
    EXPECT_FALSE(window->clbRealOutputDepths->Checked(1));
    EXPECT_EQ(window->clbVertProfDates->Items()->CommaText(), "01-Jul-2001,30-Nov-2002");
    EXPECT_FALSE(window->clbVertProfDates->Checked(0));
    EXPECT_TRUE(window->clbVertProfDates->Checked(1));

    // a depth variable without any checked depth: no data line, no legend entry, its title part
    DoubleClick("QuelmSoilState", "Eps");
    const String job = JobFile(false);
    EXPECT_EQ(job.find("data "), String::npos) << job;
    EXPECT_NE(job.find("title_2 Depth variable(s): Air-filled porosity (m3.m-3)\n"), String::npos) << job;
    EXPECT_NE(job.find("\nlegend\n"), String::npos) << job;
}

TEST_F(GraphsTest, ProfileAndTimeSeriesVariablesAreNeverMixed)
{
    Open(4, 2);
    DoubleClick("QuelmWaterBalance", "AvoLiqSol");
    EXPECT_EQ(window->SelectedCount, 1);
    EXPECT_FALSE(window->clbVertProfDates->Enabled());

    // Cancel keeps the time series
    boxes.Answer("Cancel");
    DoubleClick("QuelmVerticalProfiles", "Theta_Vprf");
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "A vertical profile variable cannot be mixed with another variable.\r\rDo you want "
                                 "to clear the other variable(s) ?");
    EXPECT_EQ(Selected(), "AvoLiqSol");

    // OK clears it and selects the profile; the profile and substance lists come on
    boxes.Answer("OK");
    DoubleClick("QuelmVerticalProfiles", "Theta_Vprf");
    EXPECT_EQ(Selected(), "Theta_Vprf");
    EXPECT_TRUE(window->ProfileFlag);
    EXPECT_TRUE(window->clbVertProfDates->Enabled());
    EXPECT_TRUE(window->clbSubstances->Enabled());

    // a second profile variable joins without a question; a time series asks again
    DoubleClick("QuelmVerticalProfiles", "PreHea_Vprf");
    EXPECT_EQ(boxes.Count(), 2);
    boxes.Answer("OK");
    DoubleClick("QuelmWaterBalance", "AvoLiqErr");
    EXPECT_EQ(boxes.Last().Text, "A normal time series variable cannot be mixed with a vertical profile variable."
                                 "\r\rDo you want to clear the other variable(s) ?");
    EXPECT_EQ(Selected(), "AvoLiqErr");
    // the flags follow the selection: the profile is gone
    EXPECT_FALSE(window->ProfileFlag);
    EXPECT_FALSE(window->SubstanceFlag);

    // a double click on a selected row clears it
    DoubleClick("QuelmWaterBalance", "AvoLiqErr");
    EXPECT_EQ(Selected(), "");
    EXPECT_FALSE(window->btnExport->Enabled());
}

TEST_F(GraphsTest, ChoiceSurvivesTheWindowLessWhatTheRunDoesNotWrite)
{
    Open(1, 1);
    DoubleClick("QuelmWaterBalance", "AvoLiqSol");
    DoubleClick("QuelmSoilState", "Eps");
    CloseWindow();
    ExecSql("theDatabase", "UPDATE RunPrintVariables SET EPS='No' WHERE RUNID=1");
    Open(1, 1);
    EXPECT_EQ(Selected(), "AvoLiqSol");
    EXPECT_EQ(window->SelectedCount, 1);
    EXPECT_EQ(window->StatusBar1->SimpleText(), "Number of selected variables: 1");
    // only the variables the run writes are listed
    ASSERT_TRUE(module->tblRunPrintCategories->Locate("CATEGORYCODE", Variant(QString("QuelmSoilState")), 0));
    EXPECT_FALSE(module->tblRunPrintVariablesDictionary->Locate("VARIABLENAME", Variant(QString("Eps")), 0));
}

TEST_F(GraphsTest, ProfileGraphFailuresSayWhatIsWrong)
{
    Open(4, 2);
    DoubleClick("QuelmVerticalProfiles", "Theta_Vprf");
    String path;
    // no date checked
    CheckItem(window->clbVertProfDates, 1, false);
    try {
        window->CreateXYSetFile(false, path);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Internal error");
    }
    // two substances checked by program (the user's checks allow one)
    window->clbVertProfDates->SetChecked(0, true);
    window->clbSubstances->SetChecked(1, true);
    try {
        window->CreateXYSetFile(false, path);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Internal error: more than one substance selected");
    }
    window->clbSubstances->SetChecked(1, false);
    window->clbVertProfDates->Items()->Clear();
    try {
        window->CreateXYSetFile(false, path);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  "No dates for vertical profiles were found, please provide one or more dates and run again.");
    }
}

TEST(GraphJobFile, ProfileColumnsAndTemplateLines)
{
    const std::pair<const char*, int> columns[] = {{"Theta_Vprf", 5},   {"PREHEA_VPRF", 6},     {"tem_vprf", 7},
                                                   {"ConSys_Vprf", 8},  {"ConSysEql_Vprf", 9},  {"ConSysNeq_Vprf", 10},
                                                   {"ConLiq_Vprf", 11}, {"ConGas_Vprf", 12}};
    for (const auto& [name, column] : columns)
        EXPECT_EQ(ProfileColumn(name), column) << name;
    EXPECT_THROW(ProfileColumn("Theta"), Exception);

    EXPECT_EQ(TemplateAxisLine("x_axis", "0", "10", "", "1"), "x_axis 0 10 ! 1");
    EXPECT_EQ(TemplateAxisLine("y1_axis", "0", "1", "0.1", ""), "y1_axis 0 1 0.1 !");

    // one trailing line break goes, never a real character
    const std::pair<const char*, const char*> texts[] = {
        {"draw_grid 3\r\n", "draw_grid 3"}, {"draw_grid 3\n", "draw_grid 3"}, {"draw_grid 3", "draw_grid 3"},
        {"a\r\n\r\n", "a\r\n"},             {"", ""},                         {"\r\n", ""},
    };
    for (const auto& [text, line] : texts)
        EXPECT_EQ(TemplateFreeText(text), line) << text;
}

TEST_F(GraphsTest, TemplateAddsItsAxesAndFreeText)
{
    ExecSql("theDatabase", "UPDATE XYGraphTemplates SET XUSE='Yes', XMIN=0, XMAX=10, XMAJORDIV=NULL, XMINORDIV=1, "
                           "YUSE='No', FREETEXT='draw_grid 3' || char(13) || char(10) WHERE GraphTemplateCode='WaterBalance'");
    Open(1, 1);
    DoubleClick("QuelmWaterBalance", "AvoLiqSol");
    OpenOrRefresh(module->tblXYGraphTemplates);
    ASSERT_TRUE(module->tblXYGraphTemplates->Locate("GRAPHTEMPLATECODE", Variant(QString("WaterBalance")), 0));
    EXPECT_EQ(JobFile(true), Golden("template.set"));

    // both axes off: only the free text; an empty free text is an empty last line
    ExecSql("theDatabase", "UPDATE XYGraphTemplates SET XUSE='No', FREETEXT=NULL WHERE GraphTemplateCode='WaterBalance'");
    module->tblXYGraphTemplates->Refresh();
    const String job = JobFile(true);
    EXPECT_EQ(job.find("x_axis"), String::npos);
    EXPECT_EQ(job.substr(job.size() - 3), "'\n\n") << job;
    CloseWindow();

    // a profile graph with a template using the y axis writes no depth axis of its own
    Open(4, 2);
    DoubleClick("QuelmVerticalProfiles", "Theta_Vprf");
    ASSERT_TRUE(module->tblXYGraphTemplates->Locate("GRAPHTEMPLATECODE", Variant(QString("Leaching")), 0));
    const String profile = JobFile(true);
    EXPECT_NE(profile.find("y1_axis 0 1 0.1 5\n"), String::npos) << profile;
    EXPECT_EQ(profile.find("y1_axis 1.80"), String::npos) << profile;
    // without the template the depth axis is there, with two decimals
    EXPECT_NE(JobFile(false).find("\ny1_axis 1.80 0 ! ! ! !\n"), String::npos);
}

TEST_F(GraphsTest, GraphStartsPlotwellOnTheJobFileAndAFailedStartIsReported)
{
    Open(1, 1);
    DoubleClick("QuelmWaterBalance", "AvoLiqSol");
    {
        TShellExecuteRecorder shell;
        window->btnGraphClick(nullptr);
        ASSERT_EQ(shell.Calls().size(), 1u);
        const TShellExecuteCall& call = shell.Calls()[0];
        EXPECT_EQ(call.File, JoinPath(plotwellDir, "plotwell"));
        EXPECT_EQ(call.Parameters, "-c \"" + JoinPath(work, "UserDefinedGraph.set") + "\"");
        EXPECT_EQ(call.Directory, work);
        EXPECT_EQ(call.ShowCommand, SW_SHOW);
        EXPECT_EQ(boxes.Count(), 0);
    }
    // no plotwell in its folder: the user hears of it
    window->btnGraphClick(nullptr);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "plotwell could not be started (" + JoinPath(plotwellDir, "plotwell") + ").");
    EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Error);
}

TEST_F(GraphsTest, ExportWritesTheSelectedDataAsATable)
{
    LinkBuiltProgram("rowsift", GetRowsiftExeName());
    Open(1, 1);
    DoubleClick("QuelmWaterBalance", "AvoLiqSol");
    DoubleClick("QuelmSoilState", "Eps");
    CheckItem(window->clbRealOutputDepths, 1, false);
    const String target = dir.file("my export's.txt");
    quelmtest::WriteFileBytes(target, "old contents\n");
    TFileDialogInterceptor dialogs;
    dialogs.Answer(target);
    window->btnExportClick(nullptr);
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].Title, "Save Export as");
    EXPECT_EQ(dialogs.Requests()[0].FileName, "RAVUZAVEDEExport.txt");
    EXPECT_EQ(boxes.Count(), 0) << boxes.Last().Text;
    EXPECT_EQ(LastRunExitCode(), 0);
    // time, then per data line its x and y: Eps at 0.05 m and 0.5 m, then AvoLiqSol in mm
    EXPECT_EQ(quelmtest::ReadFileBytes(target), quelmtest::ReadFileBytes(GraphFixture("golden/export.txt")));
}

TEST_F(GraphsTest, FailedExportsAreReportedAndNeverPassForDone)
{
    Open(1, 1);
    DoubleClick("QuelmWaterBalance", "AvoLiqSol");
    String job;
    window->CreateXYSetFile(false, job);
    const String target = dir.file("export.txt");

    // rowsift missing (an earlier test of this program may have linked it)
    fs::remove(GetRowsiftExeName());
    quelmtest::WriteFileBytes(target, "an earlier export\n");
    EXPECT_FALSE(ExportGraphData(job, target));
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "rowsift could not be started (" + GetRowsiftExeName() + "); the data were not exported.");
    EXPECT_FALSE(FileExists(target)); // the earlier file cannot pass for this export

    // rowsift ends with an error: the output file is gone
    LinkBuiltProgram("rowsift", GetRowsiftExeName());
    DeleteFile(JoinPath(work, "1.out"));
    EXPECT_FALSE(ExportGraphData(job, target));
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Last().Text, "rowsift ended with exit code 1; the data were not exported.");

    // no row selected: an empty export
    quelmtest::WriteFileBytes(JoinPath(work, "1.out"), "* nothing\nTime Date/Variable\n");
    EXPECT_FALSE(ExportGraphData(job, target));
    ASSERT_EQ(boxes.Count(), 3);
    EXPECT_EQ(boxes.Last().Text, "rowsift wrote no data to \"" + target + "\"; the export failed.");
}

TEST_F(GraphsTest, PlotwellDrawsTheJobFilesOfTheWindow)
{
    // the graph window's job files, drawn by the plotwell of the build into pictures
    LinkBuiltProgram("plotwell", JoinPath(plotwellDir, "plotwell"));
    const String shots = (fs::current_path() / "graph_pictures").string();
    fs::create_directories(shots);
    struct Case {
        const char* picture;
        int run, project;
        const char* category;
        const char* variable;
    } const cases[] = {
        {"time_series.png", 1, 1, "QuelmWaterBalance", "AvoLiqSol"},
        {"depth_series.png", 1, 1, "QuelmSoilState", "Eps"},
        {"vertical_profile.png", 4, 2, "QuelmVerticalProfiles", "Theta_Vprf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        Open(c.run, c.project);
        DoubleClick(c.category, c.variable);
        String job;
        window->CreateXYSetFile(false, job);
        const String picture = JoinPath(shots, c.picture);
        DeleteFile(picture);
        ASSERT_TRUE(RunAndWait(JoinPath(plotwellDir, "plotwell"),
                               "-c \"" + job + "\" -@ \"" + picture + ",f,800,560\"", work, 2));
        EXPECT_EQ(LastRunExitCode(), 0);
        EXPECT_GT(FileSize(picture), 1000);
        window->btnClearAllClick(nullptr);
        CloseWindow();
    }
}

TEST_F(GraphsTest, TemplateEditorFiltersCodesAndPostsWithoutAQuestion)
{
    std::unique_ptr<TfrmGraphTemplates> editor(New<TfrmGraphTemplates>(nullptr));
    editor->Show();
    Application->ProcessMessages();
    EXPECT_EQ(editor->Caption(), "RavuzAVEDE 2.1.2 - Graph Templates");
    editor->DBNavigator->BtnClick(nbInsert);
    // an accented letter typed into the code or the name goes at once
    editor->DBEdit9->SetText("Dr\xe9ns");
    EXPECT_EQ(editor->DBEdit9->Text(), "Drns");
    editor->DBEdit10->SetText("Dr\xe9ns per level");
    EXPECT_EQ(editor->DBEdit10->Text(), "Drns per level");
    editor->chkXUse->Click();
    editor->chkYUse->Click();
    boxes.Clear();
    editor->DBNavigator->BtnClick(nbPost);
    EXPECT_EQ(boxes.Count(), 0) << boxes.Last().Text;
    EXPECT_EQ(Value("SELECT NAME || '/' || XUSE || '/' || YUSE FROM XYGraphTemplates WHERE GraphTemplateCode='Drns'"),
              "Drns per level/Yes/Yes");

    // an edit left pending is posted when the window closes
    module->tblXYGraphTemplates->Edit();
    module->tblXYGraphTemplates->FieldByName("NAME")->SetAsString("Drains");
    editor->Close();
    Application->ProcessMessages();
    EXPECT_EQ(Value("SELECT NAME FROM XYGraphTemplates WHERE GraphTemplateCode='Drns'"), "Drains");
}

TEST_F(GraphsTest, ChooserDrawsTheGraphWithTheTemplateUnderItsCursor)
{
    Open(1, 1);
    DoubleClick("QuelmWaterBalance", "AvoLiqSol");
    std::unique_ptr<TfrmGraphUsingTemplate> chooser(New<TfrmGraphUsingTemplate>(nullptr));
    chooser->GraphsWindow = window;
    chooser->Show();
    Application->ProcessMessages();
    EXPECT_EQ(chooser->Caption(), "RavuzAVEDE 2.1.2 - Use Template With Graph");
    TShellExecuteRecorder shell;
    for (const char* code : {"Leaching", "WaterBalance"}) {
        ASSERT_TRUE(module->tblXYGraphTemplates->Locate("GRAPHTEMPLATECODE", Variant(QString(code)), 0));
        chooser->btnGraphClick(nullptr);
        const String job = quelmtest::ReadFileBytes(JoinPath(work, "UserDefinedGraph.set"));
        EXPECT_EQ(job.find("x_axis 0 2192 365 5\n") != String::npos, String(code) == "Leaching") << job;
    }
    EXPECT_EQ(shell.Calls().size(), 2u); // the chooser stays open for the next template
    chooser->Close();
}
