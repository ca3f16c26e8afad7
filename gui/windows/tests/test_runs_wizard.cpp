// The runs wizard on a copy of the demo database: the runs generated from the demo scenario
// table, each of which the stand-in kernel calculates; the crop and location choice kept in
// the database by record key (names with an apostrophe, names shared by two records); the
// project page that cannot finish without a project; the list moves.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "gui/windows/CreateRunsWizard.h"
#include "CommonUnits/GeneralUnits/InputFile.h"
#include "CommonUnits/GeneralUnits/KernelRun_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"

#include "platform/framework/Forms.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class RunsWizardTest : public DataModuleTest {
protected:
    void TearDown() override
    {
        wizard.reset();
        Screen->SetCursor(crDefault);
        SetRunAndWaitPollPeriod(100);
        DataModuleTest::TearDown();
    }
    void Open()
    {
        wizard.reset(New<TfrmCreateRunsWizard>(nullptr));
        wizard->Show();
        Application->ProcessMessages();
    }
    // Selects the named items of the list, as the user's clicks do.
    void Pick(TListBox* list, std::initializer_list<const char*> names)
    {
        for (int i = 0; i < list->Items()->Count(); ++i)
            list->SetSelected(i, false);
        for (const char* name : names) {
            const int index = list->Items()->IndexOf(name);
            ASSERT_GE(index, 0) << name;
            list->SetSelected(index, true);
        }
    }
    String Items(TListBox* list) { return list->Items()->CommaText(); }
    String Marks(const String& table, const String& key)
    {
        return Value("SELECT GROUP_CONCAT(" + key + " || '=' || MORVASELECTED, ',') FROM (SELECT * FROM " + table +
                     " WHERE MORVASELECTED IN (1, 2) ORDER BY " + key + ")");
    }
    // Crops and locations chosen, on to the project page.
    void ChooseAndGoToProject(std::initializer_list<const char*> crops, std::initializer_list<const char*> locations)
    {
        Pick(wizard->CropsSrcList, crops);
        wizard->btnCropsInclude->Click();
        wizard->btnNext->Click();
        Pick(wizard->LocationsSrcList, locations);
        wizard->btnLocationsInclude->Click();
        wizard->btnNext->Click();
        ASSERT_EQ(wizard->ActivePage(), wizard->pnlMiscellaneous);
        wizard->btnNext->Click();
        ASSERT_EQ(wizard->ActivePage(), wizard->pnlProjectSpecs);
    }

    std::unique_ptr<TfrmCreateRunsWizard> wizard;
};

} // namespace

TEST_F(RunsWizardTest, GeneratesTheDefinedPairsAndEachRunCalculates)
{
    Open();
    EXPECT_EQ(wizard->Caption(), "RavuzAVEDE 2.1.2 - Runs Wizard");
    EXPECT_FALSE(wizard->btnBack->Enabled());
    EXPECT_FALSE(wizard->btnNext->Enabled()); // no crop chosen yet
    EXPECT_FALSE(wizard->btnFinish->Enabled());
    EXPECT_EQ(Items(wizard->CropsSrcList), "Maize,Potatoes,\"Spring cereals\""); // sorted names
    // two crops and three locations, of which four pairs are defined
    ChooseAndGoToProject({"Maize", "Potatoes"}, {"Vellmark polder", "Torrsund heath", "Kelvaro upland"});
    EXPECT_TRUE(wizard->btnFinish->Enabled());
    EXPECT_FALSE(wizard->btnNext->Enabled());
    EXPECT_EQ(wizard->edtProjectName->Text(), "Project");
    wizard->edtProjectName->SetText("Wizard's runs");
    const int projectsBefore = Count("SELECT COUNT(*) FROM Projects");
    boxes.Clear();
    wizard->btnFinishClick(nullptr);
    EXPECT_EQ(wizard->ModalResult(), mrOk);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Generated 4 runs");

    EXPECT_EQ(Count("SELECT COUNT(*) FROM Projects"), projectsBefore + 1);
    const String project = Value("SELECT MAX(PROJECTID) FROM Projects");
    EXPECT_EQ(Value("SELECT DESCRIPTION FROM Projects WHERE PROJECTID=" + project), "Wizard's runs");
    EXPECT_EQ(module->tblProjects->FieldByName("PROJECTID")->AsString(), project); // shown after
    EXPECT_EQ(Value("SELECT GROUP_CONCAT(NAME || ':' || IRRIGATIONSCHEMECODE || ':' || CULTIVATIONSEQUENCECODE, ',') "
                    "FROM (SELECT * FROM Runs WHERE PROJECTID=" + project + " ORDER BY NAME)"),
              "Maize-Kelvaro:MORVA:Maize,Maize-Vellmark:No:Maize,Potatoes-Torrsund:MORVA:Potatoes,"
              "Potatoes-Vellmark:MORVA:Potatoes");
    // the fixed options, the choices of the miscellaneous page and the pair's location values
    EXPECT_EQ(Value("SELECT GROUP_CONCAT(DISTINCT ISRESTRICTEDRUN || SELECTEDFOREXECUTION || OPTHYD || DETAILEDOUTPUT "
                    "|| OPTDELTIMPRNCODE || DELTIMPRN || MAXITSWA || OPTHYSTERESISCODE || SUBSTANCECODE || "
                    "APPLICATIONSCHEMECODE || OPTDELTIMEVT) FROM Runs WHERE PROJECTID=" + project),
              "YesYesOnLineNoMonth3030NoPARAPARA_Spring1Year");
    EXPECT_EQ(Value("SELECT ZGRWLEVSTA FROM Runs WHERE NAME='Potatoes-Torrsund' AND PROJECTID=" + project), "-300");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM Runs r JOIN OptDelTimEvts o ON o.OptDelTimEvt='1Year' WHERE r.PROJECTID=" +
                    project + " AND r.TIMSTART=o.TIMSTART AND r.TIMEND=o.TIMEND"),
              "4");

    // each generated run calculates with the stand-in kernel of the build
    SetRunAndWaitPollPeriod(10);
    const fs::path built = fs::path(GetExeDir()) / ".." / ".." / "bin" / "Quelmmodel";
    ASSERT_TRUE(fs::exists(built));
    if (!fs::exists(fs::symlink_status(GetKernelExeName())))
        fs::create_symlink(fs::canonical(built), GetKernelExeName());
    TQuery runs;
    runs.SetDatabase(module->dbDatabase);
    runs.SQL.SetText("SELECT RUNID, NAME FROM Runs WHERE PROJECTID=" + project + " ORDER BY RUNID");
    runs.Open();
    int calculated = 0;
    for (; !runs.Eof(); runs.Next()) {
        const int runId = runs.FieldByName("RUNID")->AsInteger();
        {
            TInputFile writer(runId, InputFilePath(runId));
            writer.WriteInputFile();
        }
        EXPECT_EQ(RunKernel(InputFileName(runId), rwHidden), rsSucceeded) << runs.FieldByName("NAME")->AsString();
        EXPECT_TRUE(SummaryFileExists(runId));
        ++calculated;
    }
    EXPECT_EQ(calculated, 4);
}

TEST_F(RunsWizardTest, ChoiceIsKeptInTheDatabaseEvenAfterCancel)
{
    Open();
    Pick(wizard->CropsSrcList, {"Potatoes"});
    wizard->btnCropsInclude->Click();
    wizard->btnNext->Click();
    EXPECT_EQ(Marks("Crops", "CROPCODE"), "Cereals=1,Maize=1,Potatoes=2");
    wizard->SetModalResult(mrCancel);
    wizard.reset();

    Open();
    EXPECT_EQ(Items(wizard->CropsDstList), "Potatoes");
    EXPECT_TRUE(wizard->btnNext->Enabled());
    // "<<" gives everything back; leaving the page stores it
    wizard->btnCropsExcludeAll->Click();
    EXPECT_EQ(Items(wizard->CropsDstList), "");
    EXPECT_FALSE(wizard->btnNext->Enabled());
    wizard->CropsSave();
    EXPECT_EQ(Marks("Crops", "CROPCODE"), "Cereals=1,Maize=1,Potatoes=1");
}

TEST_F(RunsWizardTest, RecordsAreMarkedByKeyWhateverTheirNames)
{
    // a name with an apostrophe, and two records of one name
    ExecSql("theDatabase", "UPDATE Crops SET NAME='Farmer''s maize' WHERE CROPCODE='Maize'");
    ExecSql("theDatabase", "UPDATE Crops SET NAME='Farmer''s maize' WHERE CROPCODE='Potatoes'");
    Open();
    EXPECT_EQ(Items(wizard->CropsSrcList), "\"Farmer's maize\",\"Farmer's maize\",\"Spring cereals\"");
    wizard->CropsSrcList->SetSelected(0, true);
    wizard->btnCropsInclude->Click();
    wizard->btnNext->Click();
    EXPECT_EQ(boxes.Count(), 0);
    const String marks = Marks("Crops", "CROPCODE");
    EXPECT_TRUE(marks == "Cereals=1,Maize=2,Potatoes=1" || marks == "Cereals=1,Maize=1,Potatoes=2") << marks;
}

TEST_F(RunsWizardTest, FinishNeedsAProjectWhenAddingToAnExistingOne)
{
    Open();
    ChooseAndGoToProject({"Maize"}, {"Vellmark polder"});
    EXPECT_FALSE(wizard->cbxProjectDescriptions->Enabled());
    EXPECT_EQ(wizard->cbxProjectDescriptions->Items()->Strings(0), "Demonstration project (ID=1)");
    wizard->rdgrpProject->SetItemIndex(1);
    wizard->rdgrpProjectClick(nullptr);
    EXPECT_TRUE(wizard->cbxProjectDescriptions->Enabled());
    EXPECT_TRUE(wizard->btnFinish->Enabled()); // the first project is chosen

    const int runs = Count("SELECT COUNT(*) FROM Runs");
    wizard->cbxProjectDescriptions->SetItemIndex(-1);
    wizard->rdgrpProjectClick(nullptr);
    EXPECT_FALSE(wizard->btnFinish->Enabled());
    boxes.Clear();
    wizard->btnFinishClick(nullptr);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Runs"), runs);
    EXPECT_EQ(wizard->ModalResult(), mrNone);
    ASSERT_EQ(boxes.Count(), 1);

    // the second project gets the run
    wizard->cbxProjectDescriptions->SetItemIndex(1);
    wizard->rdgrpProjectClick(nullptr);
    boxes.Clear();
    wizard->btnFinishClick(nullptr);
    EXPECT_EQ(boxes.Last().Text, "Generated 1 run");
    EXPECT_EQ(Value("SELECT PROJECTID FROM Runs WHERE NAME='Maize-Vellmark'"), "2");
}

TEST_F(RunsWizardTest, NoDefinedPairIsAWarningAndAccentsLeaveTheProjectName)
{
    Open();
    ChooseAndGoToProject({"Spring cereals"}, {"Vellmark polder"});
    wizard->edtProjectName->SetText("Proj\xe9t");
    EXPECT_EQ(wizard->edtProjectName->Text(), "Projt");
    boxes.Clear();
    wizard->btnFinishClick(nullptr);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "No runs were found in the combination you selected");
    EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Warning);
}

TEST_F(RunsWizardTest, MovesKeepTheSelectionNearWhereItWas)
{
    Open();
    TListBox* src = wizard->CropsSrcList;
    TListBox* dst = wizard->CropsDstList;
    // several items arrive in reverse order; the source selects the first moved index, clamped
    Pick(src, {"Potatoes", "Spring cereals"});
    wizard->btnCropsInclude->Click();
    EXPECT_EQ(Items(dst), "\"Spring cereals\",Potatoes");
    EXPECT_EQ(Items(src), "Maize");
    EXPECT_EQ(wizard->GetFirstSelection(src), 0);
    EXPECT_TRUE(wizard->btnCropsExclude->Enabled());
    EXPECT_TRUE(wizard->btnNext->Enabled());
    wizard->btnCropsIncludeAll->Click();
    EXPECT_EQ(Items(src), "");
    EXPECT_FALSE(wizard->btnCropsInclude->Enabled());
    EXPECT_FALSE(wizard->btnCropsIncludeAll->Enabled());
    EXPECT_EQ(dst->Items()->Count(), 3);
    // back to the crops from the locations page, which stores the locations
    wizard->btnNext->Click();
    Pick(wizard->LocationsSrcList, {"Kelvaro upland"});
    wizard->btnLocationsInclude->Click();
    wizard->btnBackClick(nullptr);
    EXPECT_EQ(wizard->ActivePage(), wizard->pnlCrops);
    EXPECT_EQ(Marks("Locations", "LOCATIONCODE"), "Kelvaro=2,Torrsund=1,Vellmark=1");
}
