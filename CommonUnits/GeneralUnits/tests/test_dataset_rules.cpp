#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "CommonUnits/GeneralUnits/DemoDatabase.h"
#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Vantor6_5_Install_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/rtl/FileUtils.h"
#include "platform/win/WinVersion.h"

#include <memory>

namespace {

// The data module on a fresh copy of the demo database, every box recorded.
class RulesTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        TVersionInfo::DestroySingleton();
        TVersionInfo::CreateSingleton();
        PrepareEmbeddedEngine(dir);
        CopyFileTo(DemoTemplate(), databaseFile, false);
        WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, databaseFile);
        module.reset(New<TdmQuelm>(nullptr));
        ASSERT_TRUE(module->dbDatabase->Connected());
        boxes.Clear();
    }
    void TearDown() override
    {
        module.reset();
        TVersionInfo::DestroySingleton();
        SettingsTest::TearDown();
    }
    int Count(const String& sql)
    {
        std::unique_ptr<TQuery> q(module->OpenSql(sql));
        return q->Fields(0)->AsInteger();
    }

    TVersionResource version{2, 1, 2, 10};
    std::unique_ptr<TdmQuelm> module;
};

TEST_F(RulesTest, ANewLocationGetsItsBoundaryRowsOnce)
{
    TTable* locations = module->tblLocations;
    locations->Open();
    module->ConfirmOff();
    locations->Insert();
    EXPECT_EQ(locations->FieldByName("LOCATIONCODE")->AsString(), "Location0");
    EXPECT_EQ(locations->FieldByName("CREATIONDATE")->AsDateTime(), Date());
    locations->FieldByName("METEOSTATIONCODE")->SetAsString("Brimvek");
    locations->FieldByName("SOILPROFILECODE")->SetAsString("HeathSand");
    locations->Post();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_TRUE(module->ConfirmEnabled());
    const char* const counts[] = {"LOCATIONLBOGROUNDWATERS", "LOCATIONLBOFLUXSINES", "LOCATIONLBOQHS",
                                  "LOCATIONLBODIRICHLETS", "LOCATIONLBOHEADS"};
    for (const char* table : counts)
        EXPECT_EQ(Count(String("SELECT COUNT(*) FROM ") + table + " WHERE LOCATIONCODE='Location0'"), 1) << table;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERTS WHERE LOCATIONCODE='Location0' AND GRWLEV=-100"), 2);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBODIRICHLETTS WHERE LOCATIONCODE='Location0' AND "
                    "MDATE IN ('1900-01-01','2099-12-31')"),
              2);
    module->ConfirmOff();
    locations->Edit();
    locations->FieldByName("NAME")->SetAsString("Renamed");
    locations->Post();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERTS WHERE LOCATIONCODE='Location0'"), 2);
}

TEST_F(RulesTest, ANewRunGetsItsKeyDefaultsAndDetailRows)
{
    module->tblProjects->Open();
    TTable* runs = module->tblRuns;
    runs->Open();
    const int id = Count("SELECT MAX(RUNID) FROM RUNS") + 1;
    const String where = " WHERE RUNID=" + IntToStr(id);
    module->ConfirmOff();
    runs->Insert();
    EXPECT_EQ(runs->FieldByName("RUNID")->AsInteger(), id);
    EXPECT_EQ(runs->FieldByName("NAME")->AsString(), "Run " + IntToStr(id));
    EXPECT_EQ(runs->FieldByName("PROJECTID")->AsInteger(), 1);
    runs->FieldByName("LOCATIONCODE")->SetAsString("Vellmark");
    runs->FieldByName("TIMSTART")->SetAsDateTime(EncodeDate(2000, 1, 1));
    runs->FieldByName("TIMEND")->SetAsDateTime(EncodeDate(2001, 12, 31));
    runs->Post();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNPRINTVARIABLES" + where), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNPRINTVARIABLES" + where + " AND CONLIQLBO='Yes' AND CONGAS='No'"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNPRINTOUTPUTDEPTHS" + where), 9);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CNTSYSEQL" + where), 2);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CNTSYSNEQ" + where), 2);
}

TEST_F(RulesTest, TheResultsTokenKeepsResultsOnceAfterACalculation)
{
    module->tblProjects->Open();
    TTable* runs = module->tblRuns;
    runs->Open();
    const String token = runs->FieldByName("CHANGEDETECTION")->AsString();
    module->ConfirmOff();
    runs->Edit();
    runs->FieldByName("RESULTSSUMMARY")->SetAsString("Available");
    runs->FieldByName("RESULTSDETAILED")->SetAsString("Available");
    runs->FieldByName("DISABLERESULTS")->SetAsString("No");
    runs->Post();
    EXPECT_EQ(runs->FieldByName("RESULTSSUMMARY")->AsString(), "Available");
    EXPECT_EQ(runs->FieldByName("DISABLERESULTS")->AsString(), "Yes");
    EXPECT_NE(runs->FieldByName("CHANGEDETECTION")->AsString(), token);
    module->ConfirmOff();
    runs->Edit();
    runs->FieldByName("NAME")->SetAsString("Renamed");
    runs->Post();
    EXPECT_EQ(runs->FieldByName("RESULTSSUMMARY")->AsString(), "NotAvailable");
    EXPECT_EQ(runs->FieldByName("RESULTSDETAILED")->AsString(), "NotAvailable");
    EXPECT_EQ(runs->FieldByName("RESULTSREPORT")->AsString(), "No");
}

TEST_F(RulesTest, LockedRecordsAndTheirDetailsAreRefused)
{
    module->tblLocations->Open();
    TTable* drainages = module->tblDrainages;
    drainages->Open();
    ASSERT_TRUE(module->tblLocations->Locate("LOCATIONCODE", QString("Vellmark"), 0));
    EXPECT_THROW(drainages->Edit(), EAbort);
    EXPECT_EQ(boxes.Last().Text, "Record is locked because it is a predefined record");
    EXPECT_THROW(drainages->Insert(), EAbort);
    EXPECT_EQ(drainages->State(), dsBrowse);
    boxes.Clear();
    EXPECT_THROW(module->tblLocations->Delete(), EAbort);
    EXPECT_EQ(boxes.Count(), 1); // refused before the "Delete record ?" question
    // With the switch off a program changes a locked record without a question.
    module->ConfirmOff();
    drainages->Edit();
    drainages->FieldByName("RSTDRA")->SetAsFloat(300);
    drainages->Post();
    EXPECT_EQ(boxes.Count(), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DRAINAGES WHERE RSTDRA=300"), 1);
}

TEST_F(RulesTest, SaveAndDeletePrompts)
{
    TTable* projects = module->tblProjects;
    projects->Open();
    struct Case {
        const char* answer;
        bool throws;
        TDataSetState state;
        const char* stored;
    } cases[] = {{"No", true, dsBrowse, "Demonstration project"},
                 {"Cancel", true, dsEdit, "Demonstration project"},
                 {"Yes", false, dsBrowse, "Changed"}};
    for (const Case& c : cases) {
        if (projects->State() == dsEdit)
            projects->Cancel();
        boxes.Clear();
        projects->Edit();
        projects->FieldByName("DESCRIPTION")->SetAsString("Changed");
        boxes.Answer(c.answer);
        if (c.throws)
            EXPECT_THROW(projects->Post(), EAbort) << c.answer;
        else
            EXPECT_NO_THROW(projects->Post());
        EXPECT_EQ(boxes.Last().Text, "Save the changed information ?");
        EXPECT_EQ(projects->State(), c.state) << c.answer;
        std::unique_ptr<TQuery> q(module->OpenSql("SELECT DESCRIPTION FROM PROJECTS WHERE PROJECTID=1"));
        EXPECT_EQ(q->Fields(0)->AsString(), c.stored) << c.answer;
        EXPECT_TRUE(module->ConfirmEnabled());
    }

    // Deleting a project deletes its runs without further questions.
    boxes.Clear();
    boxes.Answer("Yes");
    projects->Delete();
    EXPECT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Delete record ?");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNS WHERE PROJECTID=1"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM PROJECTS WHERE PROJECTID=1"), 0);
}

TEST_F(RulesTest, TableChecksBeforePost)
{
    // A relative application with crop number 2: four warning lines above the one question.
    module->tblApplicationSchemes->Open();
    module->tblApplicationsRelative->Open();
    ASSERT_TRUE(module->tblApplicationSchemes->Locate("APPLICATIONSCHEMECODE", QString("PARA_Emerg"), 0));
    module->dbDatabase->ExecSql("UPDATE APPLICATIONSCHEMES SET LOCKED='No'");
    module->tblApplicationSchemes->Refresh();
    module->tblApplicationsRelative->Insert();
    module->tblApplicationsRelative->FieldByName("CROPCALENDARSEQNO")->SetAsInteger(2);
    module->tblApplicationsRelative->FieldByName("APPLICATIONPARAMETER")->SetAsFloat(5);
    boxes.Answer("Yes");
    module->tblApplicationsRelative->Post();
    EXPECT_EQ(boxes.Last().Text,
              "Warning:\rThe crop number specifies the sequence number of the crop in the crop calendar.\r"
              "For Morva-QUELM scenarios this sequence number is 1 if only one crop is grown each year.\r"
              "Only for the crops beans, cabbage and carrots this sequence number can be either 1 or 2.\r \r"
              "Save the changed information ?");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM APPLICATIONSRELATIVE WHERE APPLICATIONSCHEMECODE='PARA_Emerg' AND "
                    "CROPCALENDARSEQNO=2 AND APPLICATIONPARAMETER=0"),
              1);

    // A crop calendar without "Yes" in REPEATCROPS is refused once and comes back corrected.
    TTable* calendars = module->tblCultivationSeqs;
    calendars->Open();
    module->ConfirmOff();
    calendars->Insert();
    calendars->FieldByName("REPEATCROPS")->SetAsString("No");
    EXPECT_THROW(calendars->Post(), EAbort);
    EXPECT_EQ(boxes.Last().Text, "Repeat crop calendar must be checked for " + GetProductName());
    EXPECT_EQ(calendars->State(), dsInsert);
    EXPECT_EQ(calendars->FieldByName("REPEATCROPS")->AsString(), "Yes");
    module->ConfirmOff();
    calendars->Post();

    // A substance needs the sorption coefficient of its option.
    TTable* substances = module->tblSubstances;
    substances->Open();
    module->ConfirmOff();
    substances->Insert();
    substances->FieldByName("SUBSTANCECODE")->SetAsString("NEW");
    EXPECT_THROW(substances->Post(), EAbort);
    EXPECT_EQ(boxes.Last().Text, "Kom (coef. for sorption on org. matter) cannot be empty.");
    substances->FieldByName("KOMEQL")->SetAsFloat(10);
    module->ConfirmOff();
    substances->Post();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SUBSTANCES WHERE SUBSTANCECODE='NEW'"), 1);
}

TEST_F(RulesTest, NewCropsCalendarCropsAndProfilesGetTheirDefaultRows)
{
    TTable* crops = module->tblCrops;
    crops->Open();
    module->ConfirmOff();
    crops->Insert();
    crops->Post();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CROPROOTDENSITIES WHERE CROPCODE='Crop0' AND ROOTDENSITY=1"), 2);

    module->tblCultivationSeqs->Open();
    ASSERT_TRUE(module->tblCultivationSeqs->Locate("CULTIVATIONSEQUENCECODE", QString("No"), 0));
    TTable* calendarCrops = module->tblCultivationSeqxCropsA;
    calendarCrops->Open();
    const int id = Count("SELECT MAX(CULTIVATIONSEQUENCEXCROPID) FROM CULTIVATIONSEQUENCEXCROPSA") + 1;
    module->ConfirmOff();
    calendarCrops->Insert();
    EXPECT_EQ(calendarCrops->FieldByName("CULTIVATIONSEQUENCEXCROPID")->AsInteger(), id);
    calendarCrops->FieldByName("CROPCODE")->SetAsString("Crop0");
    calendarCrops->Post();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CULTIVATIONSEQUENCEXCROPSB WHERE CULTIVATIONSEQUENCEXCROPID=" + IntToStr(id)), 3);

    TTable* profiles = module->tblSoilProfiles;
    profiles->Open();
    module->ConfirmOff();
    profiles->Insert();
    profiles->Post();
    for (const char* table : {"SOILTORTCURRIE", "SOILTORTMILLQUIRK", "SOILTORTTROEH"})
        EXPECT_EQ(Count(String("SELECT COUNT(*) FROM ") + table + " WHERE SOILPROFILECODE='Soil0'"), 1) << table;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SOILTORTMILLQUIRK WHERE EXPDIFLIQMILDEN=0.6667"), 3);
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(RulesTest, DepositionSchemesNeedADepositionExceptNo)
{
    module->tblDepositionSchemes->Open();
    module->tblDepositions->Open();
    EXPECT_TRUE(module->CheckDepositionSchemes());
    module->dbDatabase->ExecSql("INSERT INTO DEPOSITIONSCHEMES (DEPOSITIONSCHEMECODE, LOCKED) VALUES ('Empty', 'No')");
    module->dbDatabase->ExecSql("INSERT INTO DEPOSITIONSCHEMES (DEPOSITIONSCHEMECODE, LOCKED) VALUES ('no', 'No')");
    module->tblDepositionSchemes->Refresh();
    EXPECT_FALSE(module->CheckDepositionSchemes());
    EXPECT_EQ(boxes.Last().Text, "Depositions should consist of at least one date.");
    EXPECT_EQ(module->tblDepositionSchemes->FieldByName("DEPOSITIONSCHEMECODE")->AsString(), "Empty");
}

TEST_F(RulesTest, ADuplicateProfileDateIsReportedAndDropped)
{
    module->tblProjects->Open();
    module->tblRuns->Open();
    TTable* dates = module->tblPrintVertProfDates2;
    dates->Open();
    ASSERT_EQ(dates->RecordCount(), 2);
    dates->Insert();
    dates->FieldByName("OUTPUTDATE")->SetAsDateTime(EncodeDate(2002, 6, 30));
    EXPECT_THROW(dates->Post(), EAbort);
    EXPECT_EQ(boxes.Last().Text, "Error saving the information, probably a duplicate output date has been entered.");
    EXPECT_EQ(dates->State(), dsBrowse);
    EXPECT_EQ(dates->RecordCount(), 2);
}

TEST_F(RulesTest, CopyingDetailRowsUnderANewKey)
{
    module->dbDatabase->ExecSql("INSERT INTO LOCATIONS (LOCATIONCODE, OPTDRA, LBONAMECODE, MORVASELECTED, LOCKED) "
                                "VALUES ('copy_Vellmark', 'Yes', 'GrwLev', 0, 'No')");
    module->tblLocations->Open();
    ASSERT_TRUE(module->tblLocations->Locate("LOCATIONCODE", QString("copy_Vellmark"), 0));
    TTable* drainages = module->tblDrainages;
    drainages->Open();
    const int total = Count("SELECT COUNT(*) FROM DRAINAGES");
    EXPECT_TRUE(CopyRecordsWithKey(drainages, "LOCATIONCODE", "Vellmark", "copy_Vellmark"));
    EXPECT_TRUE(drainages->Active());
    EXPECT_EQ(drainages->RecordCount(), 2); // the detail of the new location
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DRAINAGES"), total + 2);
    EXPECT_TRUE(CopyRecordsWithKey(module->tblLocLboGroundWaters, "LOCATIONCODE", "Vellmark", "copy_Vellmark"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERS WHERE LOCATIONCODE='copy_Vellmark' AND LOCKED='No'"),
              1);
    EXPECT_TRUE(CopyRecordsWithKey(module->tblLocLboQHs, "LOCATIONCODE", "vellmark", "copy_Vellmark")); // case counts
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOQHS WHERE LOCATIONCODE='copy_Vellmark'"), 0);

    module->dbDatabase->ExecSql("CREATE TEMP TABLE ONE_RUN AS SELECT * FROM RUNS WHERE RUNID=1");
    module->dbDatabase->ExecSql("UPDATE ONE_RUN SET RUNID=99");
    module->dbDatabase->ExecSql("INSERT INTO RUNS SELECT * FROM ONE_RUN");
    EXPECT_TRUE(CopyRecordsWithIntegerKey(module->tblCntSysEql, "RUNID", 1, 99));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CNTSYSEQL WHERE RUNID=99"), 2);
    // A second copy meets the rows already there: the key rule stops it, the table is open again.
    EXPECT_THROW(CopyRecordsWithIntegerKey(module->tblCntSysEql, "RUNID", 1, 99), EDBEngineError);
    EXPECT_TRUE(module->tblCntSysEql->Active());

    TTable* clone = CloneTable(module->tblRuns);
    LocateIntegerKey(clone, 99);
    EXPECT_EQ(clone->FieldByName("RUNID")->AsInteger(), 99);
    LocateIntegerKey(clone, 12345);
    EXPECT_EQ(clone->RecNo(), 1);
    delete clone;
}

TEST_F(RulesTest, ImportsReplaceALocationsSeries)
{
    module->tblLocations->Open();
    module->tblLocLboGroundWaters->Open();
    module->tblLocLboDirichlets->Open();
    std::vector<String> files;
    SetOpenFileDialog([&files](TOpenFileRequest& request) {
        if (files.empty())
            return false;
        request.FileName = files.front();
        files.erase(files.begin());
        return true;
    });
    const String one = dir.file("one.txt");
    WriteStringToFile(one, "* groundwater of the Vellmark polder\r\n*  day month year level\r\n5    2    2002    -100");
    files = {one};
    boxes.Answer("Yes");
    module->ImportGroundwaterLevels("Vellmark");
    EXPECT_EQ(boxes.Last().Text, "Imported: 1 record(s)");
    EXPECT_EQ(boxes.Boxes()[0].Text.rfind("Important:\rImporting Groundwater data will erase any existing groundwater "
                                          "data for the\rselected location: Vellmark\r \r",
                                          0),
              0u);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERTS WHERE LOCATIONCODE='Vellmark'"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERTS WHERE LOCATIONCODE='Vellmark' AND "
                    "MDATE='2002-02-05' AND GRWLEV=-100"),
              1);

    // A file of comments only: an error, and the old series stays.
    const String comments = dir.file("comments.txt");
    WriteStringToFile(comments, "* nothing here\n");
    files = {comments};
    boxes.Clear();
    boxes.Answer("Yes");
    module->ImportPressureHeads("Torrsund");
    EXPECT_EQ(boxes.Count(), 2);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBODIRICHLETTS WHERE LOCATIONCODE='Torrsund'"), 24);

    // An impossible date: a message naming the line, and the old series stays whole.
    const String bad = dir.file("bad.txt");
    WriteStringToFile(bad, "1 1 2001 -120\n30 2 2001 -130\n");
    files = {bad};
    boxes.Clear();
    boxes.Answer("Yes");
    module->ImportPressureHeads("Torrsund");
    EXPECT_EQ(boxes.Last().Text.rfind("Line 2 of the file", 0), 0u) << boxes.Last().Text;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBODIRICHLETTS WHERE LOCATIONCODE='Torrsund'"), 24);

    // Refusing the question changes nothing.
    boxes.Answer("No");
    module->ImportGroundwaterLevels("Vellmark");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERTS WHERE LOCATIONCODE='Vellmark'"), 1);
    SetOpenFileDialog(nullptr);
}

} // namespace
