// The main window's run list commands and control state on a copy of the demo database, the
// editor window pattern on the main window's own controls and on a small editor of
// locations.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "CommonUnits/GeneralUnits/About.h"
#include "gui/windows/EditorForm.h"
#include "gui/windows/GraphTemplates.h"
#include "gui/windows/Main.h"
#include "CommonUnits/GeneralUnits/QuelmStartup.h"
#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"

#include "platform/win/WinShell.h"

#include "platform/framework/Forms.h"

#include <QTest>
#include <QTimer>

#include <memory>

namespace {

class MainCommandsTest : public DataModuleTest {
protected:
    void SetUp() override
    {
        DataModuleTest::SetUp();
        WriteRegistryString(HKEY_LOCAL_MACHINE, REG_PLOTWELL_DIR, dir.file("plotwell") + "/");
    }
    void TearDown() override
    {
        Application->ProcessMessages(); // drawing contexts of the last event go back first
        delete window;
        window = nullptr;
        Application->OnException = nullptr;
        Application->OnIdle = nullptr;
        Screen->SetCursor(crDefault);
        DataModuleTest::TearDown();
    }
    void Open()
    {
        window = New<TfrmMain>(nullptr);
        window->Show();
        Application->ProcessMessages();
        if (!TVersionInfo::SingletonExists())
            TVersionInfo::CreateSingleton();
    }
    String Run(int runId, const String& field)
    {
        return Value("SELECT " + field + " FROM RUNS WHERE RUNID=" + IntToStr(runId));
    }
    void Guarded(const std::function<void()>& action) { Application->Guard(action, window); }

    TfrmMain* window = nullptr;
};

TEST_F(MainCommandsTest, OpensOnTheLastProjectWithItsRunsAndCaption)
{
    Open();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(window->Caption(), "RavuzAVEDE 2.1.2 - Database: " + databaseFile + ", Project: Demonstration project");
    EXPECT_EQ(module->tblRuns->RecordCount(), 3);
    EXPECT_EQ(window->grdRuns->DataRowCount(), 3);
    EXPECT_EQ(window->grdRuns->CellText(2, 0), Run(1, "NAME"));
    EXPECT_EQ(window->PageControl1->ActivePage(), window->tsScenario);
    EXPECT_TRUE(window->gbxEditRuns->Visible());
    EXPECT_EQ(window->cbLocations->Text(),
              Value("SELECT NAME FROM LOCATIONS WHERE LOCATIONCODE=(SELECT LOCATIONCODE FROM RUNS WHERE RUNID=1)"));
    EXPECT_FALSE(window->pnlOpeningLastSavedProject->Visible());
    // only parent substances are offered
    for (int i = 0; i < window->cbSubstances->ItemCount(); ++i)
        EXPECT_NE(window->cbSubstances->Item(i), "Parvolin-acid");
    for (TMenuItem* item : {window->CalculateSelectedRuns1, window->ViewInputFile, window->SelectAllRuns1,
                            window->mnuEditLocations})
        EXPECT_TRUE(item->Enabled()) << item->Name();
    for (TMenuItem* item : {window->ViewSummaryOutputFile, window->ViewDetailedOutputFile, window->ViewLogFile,
                            window->ViewErrorFile, window->mnuUserdefinedgraphs})
        EXPECT_FALSE(item->Enabled()) << item->Name();
    EXPECT_FALSE(window->btnReports->Enabled());
}

TEST_F(MainCommandsTest, AProjectWithoutRunsLeavesOnlyProjectsWizardAndExit)
{
    module->dbDatabase->ExecSql("INSERT INTO PROJECTS (PROJECTID, DESCRIPTION, CREATIONDATE, MODIFICATIONDATE, LOCKED) "
                                "VALUES (7, 'Empty', '2026-01-01', '2026-01-01', 'No')");
    module->dbDatabase->ExecSql("UPDATE PROJECTLAST SET PROJECTID=7");
    Open();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "No runs yet in project. Create runs with + button first.");
    EXPECT_FALSE(window->gbxEditRuns->Visible());
    EXPECT_TRUE(window->btnProjects->Enabled());
    EXPECT_TRUE(window->btnCreateRunsWizard->Enabled());
    EXPECT_TRUE(window->btnExit->Enabled());
    EXPECT_FALSE(window->btnCalculate->Enabled());
    EXPECT_FALSE(window->btnCopy->Enabled());
    EXPECT_FALSE(window->CalculateSelectedRuns1->Enabled());
    EXPECT_FALSE(window->SelectAllRuns1->Enabled());
}

TEST_F(MainCommandsTest, ARestrictedRunLocksItsScenarioButNotItsNameSubstanceOrOutput)
{
    module->dbDatabase->ExecSql("UPDATE RUNS SET ISRESTRICTEDRUN='Yes' WHERE RUNID=1");
    Open();
    for (TWinControl* control :
         std::initializer_list<TWinControl*>{window->cbLocations, window->cbCropCalendars, window->dbedtTimStart,
                                             window->edtThetaTol, window->btnInitialConditionsPest,
                                             window->chkRepeatHydrology, window->edtGWLTol})
        EXPECT_FALSE(control->Enabled()) << control->Name();
    EXPECT_EQ(window->cbLocations->Color(), clBtnFace);
    for (TWinControl* control : std::initializer_list<TWinControl*>{window->edtRunName, window->cbSubstances,
                                                                    window->cbApplicationSchemes, window->cbOptHyd,
                                                                    window->edtZFoc})
        EXPECT_TRUE(control->Enabled()) << control->Name();
    module->tblRuns->Next(); // an unrestricted run
    Application->ProcessMessages();
    EXPECT_TRUE(window->cbLocations->Enabled());
    EXPECT_EQ(window->cbLocations->Color(), clWindow);
    EXPECT_FALSE(window->edtGWLTol->Enabled());
    EXPECT_EQ(window->edtGWLTol->Color(), clWindow);
}

TEST_F(MainCommandsTest, RunListCommandsChangeTheDatabase)
{
    Open();
    // double click toggles the selection of the current run
    module->tblRuns->Locate("RUNID", Variant(2), 0);
    window->grdRuns->OnDblClick(window->grdRuns);
    EXPECT_EQ(Run(2, "SELECTEDFOREXECUTION"), " ");
    window->grdRuns->OnDblClick(window->grdRuns);
    EXPECT_EQ(Run(2, "SELECTEDFOREXECUTION"), "Yes");
    window->DeselectAllRuns1->Click();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNS WHERE PROJECTID=1 AND SELECTEDFOREXECUTION=' '"), 3);
    window->SelectAllRuns1->Click();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNS WHERE PROJECTID=1 AND SELECTEDFOREXECUTION='Yes'"), 3);

    // copy
    module->tblRuns->Locate("RUNID", Variant(2), 0);
    window->btnCopy->Click();
    EXPECT_EQ(Run(6, "NAME"), "copy_" + Run(2, "NAME"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNPRINTVARIABLES WHERE RUNID=6"),
              Count("SELECT COUNT(*) FROM RUNPRINTVARIABLES WHERE RUNID=2"));
    EXPECT_EQ(module->tblRuns->FieldByName("RUNID")->AsInteger(), 6);

    // insert with the navigator: a new key, the default detail rows; the post asks nothing
    boxes.Clear();
    Guarded([&] { window->navRunsFull->BtnClick(nbInsert); });
    ASSERT_EQ(module->tblRuns->State(), dsInsert);
    // the user fills in what the new run needs, here as run 1 has it
    {
        std::unique_ptr<TTable> first(CloneTable(module->tblRuns));
        first->Locate("RUNID", Variant(1), 0);
        for (int i = 0; i < module->tblRuns->FieldCount(); ++i) {
            TField* field = module->tblRuns->Fields(i);
            if (field->IsNull() && field->Required())
                field->SetValue(first->Fields(i)->Value());
        }
    }
    Guarded([&] { window->navRunsFull->BtnClick(nbPost); });
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(Run(7, "NAME"), "Run 7");
    EXPECT_EQ(Run(7, "PROJECTID"), "1");
    EXPECT_GT(Count("SELECT COUNT(*) FROM RUNPRINTVARIABLES WHERE RUNID=7"), 0);
    EXPECT_TRUE(module->ConfirmEnabled());

    // delete with the navigator: the data module asks, the run and its files go
    quelmtest::WriteFileBytes(JoinPath(GetWorkDir(), "7.qmi"), "x");
    boxes.Answer("Yes");
    Guarded([&] { window->navRunsFull->BtnClick(nbDelete); });
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Delete record ?");
    EXPECT_EQ(Run(7, "NAME"), "<none>");
    EXPECT_FALSE(FileExists(JoinPath(GetWorkDir(), "7.qmi")));

    // deleting a run's output removes its files and says so
    module->tblRuns->Locate("RUNID", Variant(1), 0);
    quelmtest::WriteFileBytes(JoinPath(GetWorkDir(), "1.qmi"), "x");
    window->Deleteoutputofselectedrun1->Click();
    EXPECT_FALSE(FileExists(JoinPath(GetWorkDir(), "1.qmi")));
    EXPECT_EQ(boxes.Last().Text, "Deleted output files for Run : 1");
}

TEST_F(MainCommandsTest, RenamingKeepsResultsWhileChangingTheScenarioResetsThem)
{
    module->dbDatabase->ExecSql("UPDATE RUNS SET RESULTSSUMMARY='Available', RESULTSDETAILED='Available' WHERE RUNID<=2");
    for (const char* name : {"1.sum", "1.out", "2.sum", "2.out"}) // results whose files exist
        quelmtest::WriteFileBytes(JoinPath(GetWorkDir(), name), "x");
    Open();
    module->tblRuns->Locate("RUNID", Variant(1), 0);
    module->tblRuns->Edit();
    window->edtRunName->SelectAll();
    QTest::keyClicks(window->edtRunName->Host(), "renamed");
    Guarded([&] { window->navRunsFull->BtnClick(nbPost); });
    EXPECT_EQ(Run(1, "NAME"), "renamed");
    EXPECT_EQ(Run(1, "RESULTSSUMMARY"), "Available");

    module->tblRuns->Locate("RUNID", Variant(2), 0);
    module->tblRuns->Edit();
    module->tblRuns->FieldByName("LOCATIONCODE")->SetAsString("Vellmark");
    Guarded([&] { window->navRunsFull->BtnClick(nbPost); });
    EXPECT_EQ(Run(2, "RESULTSSUMMARY"), "NotAvailable");
    EXPECT_EQ(Run(2, "RESULTSDETAILED"), "NotAvailable");
}

TEST_F(MainCommandsTest, RunNameLosesCharactersAbove127AsTheyAreTyped)
{
    Open();
    window->edtRunName->SetText("ab\xe9" "cd");
    EXPECT_EQ(window->edtRunName->Text(), "abcd");
    window->edtRunName->SetText("plain");
    EXPECT_EQ(window->edtRunName->Text(), "plain");
    module->tblRuns->Cancel();
}

TEST_F(MainCommandsTest, FieldRulesOfTheRunEditor)
{
    Open();
    boxes.Clear();
    window->cbSummary->SetChecked(false);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Switching off Summary output not possible yet");
    EXPECT_TRUE(window->cbSummary->Checked());

    struct Case {
        const char* print;
        bool stepEnabled;
    } const cases[] = {{"Day", false}, {"Other", true}};
    for (const Case& c : cases) {
        module->dbDatabase->ExecSql(String("UPDATE RUNS SET OPTDELTIMPRNCODE='") + c.print + "' WHERE RUNID=1");
        module->tblRuns->Refresh();
        module->tblRuns->Locate("RUNID", Variant(1), 0);
        window->UpdateControlState();
        EXPECT_EQ(window->dbedtDelTimPrn->Enabled(), c.stepEnabled) << c.print;
    }
}

TEST_F(MainCommandsTest, GraphTemplatesAboutBoxAndWebsiteOpen)
{
    Open();
    bool templatesShown = false;
    QTimer::singleShot(0, [&templatesShown] {
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (auto* templates = dynamic_cast<TfrmGraphTemplates*>(Screen->Forms(i))) {
                templatesShown = true;
                templates->Close();
            }
    });
    window->GraphTemplates1->Click();
    EXPECT_TRUE(templatesShown);
    QTimer::singleShot(0, [] {
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (auto* about = dynamic_cast<TfrmAbout*>(Screen->Forms(i)))
                about->Close();
    });
    window->mnuAbout->Click();
    TShellExecuteRecorder shell;
    window->mnuQuelmWebsite->Click();
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].File, "https://quelm.example.org/");
}

TEST_F(MainCommandsTest, ClosingAsksAndPostsThePendingRun)
{
    Open();
    module->tblRuns->Edit();
    module->tblRuns->FieldByName("NAME")->SetAsString("closing");
    boxes.Answer("No");
    TCloseAction action = caHide;
    window->FormClose(window, action);
    EXPECT_EQ(action, caNone);
    EXPECT_EQ(boxes.Last().Text, "Close RavuzAVEDE application ?");
    boxes.Answer("Yes"); // close
    boxes.Answer("Yes"); // save the changed run
    action = caHide;
    window->FormClose(window, action);
    EXPECT_EQ(action, caHide);
    EXPECT_EQ(Run(1, "NAME"), "closing");
}

// ---------------------------------------------------------------- the editor pattern

class TLocationsEditor : public TEditorForm {
public:
    explicit TLocationsEditor(TComponent* owner) : TEditorForm(owner, "%s - Locations", 310)
    {
        TablesPostedOnClose = {dmQuelm->tblLocations};
    }
    int opened = 0;

protected:
    void OpenTables() override
    {
        ++opened;
        OpenOrRefresh(dmQuelm->tblLocations);
        OpenOrRefresh(dmQuelm->tblDrainages);
    }
};

TEST_F(MainCommandsTest, EditorWindowCaptionActivationAndTheSavePrompt)
{
    std::unique_ptr<TLocationsEditor> editor(New<TLocationsEditor>(nullptr));
    EXPECT_EQ(editor->Caption(), "RavuzAVEDE 2.1.2 - Locations");
    editor->Show();
    Application->ProcessMessages();
    EXPECT_EQ(editor->opened, 1);
    EXPECT_TRUE(module->tblLocations->Active());

    module->tblLocations->Locate("LOCATIONCODE", Variant(QString("Vellmark")), 0);
    module->ConfirmOff();
    module->tblLocations->Edit(); // locked records are edited here only with the switch off
    module->tblLocations->FieldByName("ZPNDMAX")->SetAsFloat(0.5);
    module->ConfirmOn();
    boxes.Answer("No");
    editor->Close();
    EXPECT_TRUE(editor->Visible()); // No discards and keeps the window open
    EXPECT_EQ(boxes.Last().Text, "Save the changed information ?");
    EXPECT_EQ(module->tblLocations->State(), dsBrowse);
    EXPECT_EQ(Value("SELECT ZPNDMAX FROM LOCATIONS WHERE LOCATIONCODE='Vellmark'"), "0");
    editor->Close();
    EXPECT_FALSE(editor->Visible());
}

TEST_F(MainCommandsTest, CopyOfAPredefinedLocationIsUnlockedWithItsChildRowsAndASecondCopyFailsWhole)
{
    OpenOrRefresh(module->tblLocations);
    module->tblLocations->Locate("LOCATIONCODE", Variant(QString("Vellmark")), 0);
    TEditorForm::TCopySpec plan;
    plan.master = module->tblLocations;
    plan.keyField = "LOCATIONCODE";
    plan.nameField = "NAME";
    plan.resetMorvaSelected = true;
    plan.children = {{module->tblDrainages, "LOCATIONCODE", true}};
    TEditorForm::CopyRecord(plan);
    EXPECT_EQ(module->tblLocations->FieldByName("LOCATIONCODE")->AsString(), "copy_Vellmark");
    EXPECT_EQ(Value("SELECT LOCKED FROM LOCATIONS WHERE LOCATIONCODE='copy_Vellmark'"), "No");
    EXPECT_EQ(Value("SELECT MORVASELECTED FROM LOCATIONS WHERE LOCATIONCODE='copy_Vellmark'"), "0");
    EXPECT_EQ(Value("SELECT NAME FROM LOCATIONS WHERE LOCATIONCODE='copy_Vellmark'"),
              "copy_" + Value("SELECT NAME FROM LOCATIONS WHERE LOCATIONCODE='Vellmark'"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DRAINAGES WHERE LOCATIONCODE='copy_Vellmark'"),
              Count("SELECT COUNT(*) FROM DRAINAGES WHERE LOCATIONCODE='Vellmark'"));

    module->tblLocations->Locate("LOCATIONCODE", Variant(QString("Vellmark")), 0);
    const int locations = Count("SELECT COUNT(*) FROM LOCATIONS");
    EXPECT_THROW(TEditorForm::CopyRecord(plan), EDBEngineError);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONS"), locations);
    EXPECT_EQ(module->tblLocations->State(), dsInsert); // for the user to change the key or cancel
    module->tblLocations->Cancel();
}

} // namespace
