// The detailed output options window on a copy of the demo database: the run's choice of
// output variables goes into the shared dictionary and back, the vertical-profile variables
// switch together and give a run without dates its end date, the four selection buttons, and
// the depth type that greys the depth list.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "gui/windows/DetailedOutputOptions2.h"
#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"

#include "platform/framework/Forms.h"

namespace {

class DetailedOutputOptionsTest : public DataModuleTest {
protected:
    void TearDown() override
    {
        CloseWindow();
        Screen->SetCursor(crDefault);
        DataModuleTest::TearDown();
    }
    void Open(int runId, int projectId)
    {
        OpenOrRefresh(module->tblProjects);
        ASSERT_TRUE(module->tblProjects->Locate("PROJECTID", Variant(projectId), 0));
        OpenOrRefresh(module->tblRuns);
        ASSERT_TRUE(module->tblRuns->Locate("RUNID", Variant(runId), 0));
        OpenOrRefresh(module->tblOptOutputDepthTypeCodes);
        window = New<TfrmDetailedOutputOptions2>(nullptr);
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
    void DoubleClick(const String& category, const String& variable)
    {
        ASSERT_TRUE(module->tblRunPrintCategories->Locate("CATEGORYCODE", Variant(ToQString(category)), 0));
        ASSERT_TRUE(module->tblRunPrintVariablesDictionary->Locate("VARIABLENAME", Variant(ToQString(variable)), 0));
        window->DBgrdVariablesDblClick(nullptr);
    }
    // The run's record of flags as one text.
    String RunFlags(int runId)
    {
        TQuery q;
        q.SetDatabase(module->dbDatabase);
        q.SQL.SetText("SELECT * FROM RunPrintVariables WHERE RUNID=" + IntToStr(runId));
        q.Open();
        String text;
        for (int i = 0; i < q.FieldCount(); ++i)
            text += q.Fields(i)->FieldName() + "=" + q.Fields(i)->AsString() + ";";
        return text;
    }
    String Printed(const String& variable)
    {
        return Value("SELECT SELECTEDFORPRINT FROM RunPrintVariablesDictionary WHERE VARIABLENAME='" + variable + "'");
    }

    TfrmDetailedOutputOptions2* window = nullptr;
};

} // namespace

TEST_F(DetailedOutputOptionsTest, RunsChoiceFillsTheDictionaryAndClosingWritesItBackUnchanged)
{
    ExecSql("theDatabase", "UPDATE RunPrintVariables SET EPS='No', AVOLIQSOL='Yes' WHERE RUNID=1");
    ExecSql("theDatabase", "UPDATE RunPrintVariablesDictionary SET SelectedForPrint='Yes'"); // another run's
    const String before = RunFlags(1);
    Open(1, 1);
    EXPECT_EQ(window->Caption(), "RavuzAVEDE 2.1.2 - Detailed Output Options");
    EXPECT_EQ(Printed("Eps"), " ");
    EXPECT_EQ(Printed("AvoLiqSol"), "Yes");
    const int count = Count("SELECT COUNT(*) FROM RunPrintVariablesDictionary WHERE SelectedForPrint='Yes'");
    EXPECT_EQ(window->StatusBar1->SimpleText(), "Number of selected variables: " + IntToStr(count));
    CloseWindow();
    EXPECT_EQ(RunFlags(1), before);
}

TEST_F(DetailedOutputOptionsTest, DoubleClickTogglesAVariableAndClosingStoresIt)
{
    ExecSql("theDatabase", "UPDATE RunPrintVariables SET EPS='No', AVOLIQSOL='Yes' WHERE RUNID=1");
    Open(1, 1);
    DoubleClick("QuelmSoilState", "Eps");
    DoubleClick("QuelmWaterBalance", "AvoLiqSol");
    EXPECT_EQ(Printed("Eps"), "Yes");
    EXPECT_EQ(Printed("AvoLiqSol"), " ");
    CloseWindow();
    EXPECT_EQ(Value("SELECT EPS || '/' || AVOLIQSOL FROM RunPrintVariables WHERE RUNID=1"), "Yes/No");
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(DetailedOutputOptionsTest, ProfileVariablesSwitchTogetherAndARunWithoutDatesGetsItsEndDate)
{
    ExecSql("theDatabase", "DELETE FROM RunPrintVertProfDates WHERE RUNID=1");
    Open(1, 1);
    const String profiles = "SELECT COUNT(*) FROM RunPrintVariablesDictionary WHERE CategoryCode='QuelmVerticalProfiles'";

    // Cancel changes nothing
    const int before = Count(profiles + " AND SelectedForPrint='Yes'");
    ASSERT_LT(before, Count(profiles)); // some are off
    boxes.Answer("Cancel");
    DoubleClick("QuelmVerticalProfiles", "PreHea_Vprf");
    EXPECT_EQ(boxes.Last().Text, "Switching a \"Quelm Vertical Profiles\" variable on/off switches them ALL on/off.");
    EXPECT_EQ(Count(profiles + " AND SelectedForPrint='Yes'"), before);

    // OK on a variable that is off switches all of them on and adds the run's end date
    boxes.Answer("OK");
    DoubleClick("QuelmVerticalProfiles", "PreHea_Vprf");
    EXPECT_EQ(Count(profiles + " AND SelectedForPrint='Yes'"), Count(profiles));
    EXPECT_EQ(boxes.Last().Text,
              "No output dates for Vertical Profiles added yet, added the last day of simulation of this run.");
    EXPECT_EQ(Value("SELECT OUTPUTDATE FROM RunPrintVertProfDates WHERE RUNID=1"),
              Value("SELECT TIMEND FROM Runs WHERE RUNID=1"));
    // the grid is back on the clicked row
    EXPECT_EQ(module->tblRunPrintVariablesDictionary->FieldByName("VARIABLENAME")->AsString(), "PreHea_Vprf");
    // the category shows the dates, not the depths
    EXPECT_TRUE(window->pnlVerticalProfileDates->Visible());
    EXPECT_FALSE(window->pnlIntendedDepths->Visible());
    EXPECT_FALSE(window->cbOptOutputDepthTypeCode->Visible());

    // switching them off adds nothing
    const int shown = boxes.Count();
    boxes.Answer("OK");
    DoubleClick("QuelmVerticalProfiles", "Theta_Vprf");
    EXPECT_EQ(Count(profiles + " AND SelectedForPrint='Yes'"), 0);
    EXPECT_EQ(boxes.Count(), shown + 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RunPrintVertProfDates WHERE RUNID=1"), 1);
}

TEST_F(DetailedOutputOptionsTest, SelectionButtonsOverTheWholeDictionary)
{
    Open(1, 1);
    const String all = "SELECT COUNT(*) FROM RunPrintVariablesDictionary";
    struct Case {
        int mode;
        const char* where; // the rows that read "Yes" afterwards
    } const cases[] = {
        {2, ""},
        {3, " WHERE 1=0"},
        {1, " WHERE UPPER(DefaultValue)='YES'"},
    };
    for (const Case& c : cases) {
        window->SetSelectionForAll(c.mode);
        EXPECT_EQ(Count(all + " WHERE SelectedForPrint='Yes'"), Count(all + c.where)) << c.mode;
        EXPECT_EQ(window->StatusBar1->SimpleText(),
                  "Number of selected variables: " + IntToStr(Count(all + c.where)));
    }

    // "Add VENNIC Variables" adds and never clears
    ASSERT_GT(Count(all + " WHERE UPPER(DefaultValue)='YES' AND UPPER(IsVennicVariable)='NO'"), 0);
    window->SetSelectionForAll(4);
    EXPECT_EQ(Count(all + " WHERE SelectedForPrint='Yes'"),
              Count(all + " WHERE UPPER(DefaultValue)='YES' OR UPPER(IsVennicVariable)='YES'"));
}

TEST_F(DetailedOutputOptionsTest, DepthTypeOtherThanOtherGreysTheDepthsAndKeepsThem)
{
    const String depths = "SELECT COUNT(*) FROM RunPrintOutputDepths WHERE RUNID=";
    const int depthsOf1 = Count(depths + "1");
    const int depthsOf4 = Count(depths + "4");
    Open(4, 2); // depth type All
    EXPECT_FALSE(window->grdNodal->Enabled());
    EXPECT_EQ(window->grdNodal->Color(), clBtnFace);
    EXPECT_FALSE(window->dbnavNodal->Enabled());
    CloseWindow();
    EXPECT_EQ(Count(depths + "4"), depthsOf4);

    Open(1, 1); // depth type Other
    EXPECT_TRUE(window->grdNodal->Enabled());
    EXPECT_EQ(window->grdNodal->Color(), clWindow);
    EXPECT_TRUE(window->edtOutputDepth->Enabled());
    CloseWindow();
    EXPECT_EQ(Count(depths + "1"), depthsOf1);
}
