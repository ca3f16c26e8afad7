// Dataset rules of the data module on the demo database: the project delete with its runs as
// one change, partner tables saved first, the depth-dependent check and stale weather files.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"

namespace {

const char* const kSaveText = "Save the changed information ?";

class DatasetRules : public DataModuleTest {
protected:
    TTable* Locate(TTable* table, const char* field, const char* value)
    {
        if (!table->Active())
            table->Open();
        EXPECT_TRUE(table->Locate(field, QString(value), loCaseInsensitive)) << value;
        return table;
    }
};

TEST_F(DatasetRules, DeletingAProjectDeletesItsRunsAndTheirFiles)
{
    for (int run : {1, 2, 3})
        WriteStringToFile(InputFilePath(run), "input");
    WriteStringToFile(InputFilePath(4), "another project's run");
    module->tblProjects->Open();
    module->tblRuns->Open();
    boxes.Answer("Yes");
    module->tblProjects->Delete();
    EXPECT_EQ(boxes.Count(), 1) << "one question for the project, none for its runs";
    EXPECT_EQ(Count("SELECT COUNT(*) FROM PROJECTS WHERE PROJECTID=1"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNS WHERE PROJECTID=1"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNPRINTVARIABLES WHERE RUNID IN (1, 2, 3)"), 0);
    for (int run : {1, 2, 3})
        EXPECT_FALSE(FileExists(InputFilePath(run))) << run;
    EXPECT_TRUE(FileExists(InputFilePath(4)));
    EXPECT_FALSE(module->dbDatabase->InTransaction());
}

TEST_F(DatasetRules, AProjectDeleteThatFailsKeepsEveryRunAndFile)
{
    // A table of another program that still refers to the project makes its delete fail.
    module->dbDatabase->ExecSql("CREATE TABLE HOLDER (PROJECTID INTEGER REFERENCES PROJECTS (PROJECTID))");
    module->dbDatabase->ExecSql("INSERT INTO HOLDER VALUES (1)");
    module->dbDatabase->InvalidateSchema();
    for (int run : {1, 2, 3})
        WriteStringToFile(InputFilePath(run), "input");
    module->tblProjects->Open();
    module->tblRuns->Open();
    boxes.Answer("Yes");
    EXPECT_THROW(module->tblProjects->Delete(), EDatabaseError);
    EXPECT_FALSE(module->dbDatabase->InTransaction());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM PROJECTS WHERE PROJECTID=1"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNS WHERE PROJECTID=1"), 3);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RUNPRINTVARIABLES WHERE RUNID IN (1, 2, 3)"), 3);
    EXPECT_EQ(module->tblRuns->RecordCount(), 3);
    for (int run : {1, 2, 3})
        EXPECT_TRUE(FileExists(InputFilePath(run))) << run;
}

TEST_F(DatasetRules, PendingPartnerIsSavedFirstWithItsLine)
{
    TTable* schemes = module->tblIrrigationSchemes;
    TTable* irrigations = module->tblIrrigations;
    schemes->Open();
    irrigations->Open();
    module->ConfirmOff();
    schemes->Insert();
    schemes->FieldByName("IRRIGATIONTYPECODE")->SetAsString("Sprinkler");
    schemes->Post();
    schemes->Edit();
    schemes->FieldByName("DESCRIPTION")->SetAsString("Changed first");
    boxes.Answer("Yes");
    irrigations->Insert();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Changes were made to the Irrigation Schemes\r \r" + String(kSaveText));
    EXPECT_EQ(schemes->State(), dsBrowse);
    EXPECT_EQ(irrigations->State(), dsInsert);
    EXPECT_EQ(Value("SELECT DESCRIPTION FROM IRRIGATIONSCHEMES WHERE IRRIGATIONSCHEMECODE='IrrigationScheme0'"),
              "Changed first");
    irrigations->Cancel();

    // No at the partner's prompt leaves the partner's post and the insert the user started.
    schemes->Edit();
    schemes->FieldByName("DESCRIPTION")->SetAsString("Changed again");
    boxes.Answer("No");
    EXPECT_THROW(irrigations->Insert(), EAbort);
    EXPECT_EQ(irrigations->State(), dsBrowse);
    EXPECT_EQ(Value("SELECT DESCRIPTION FROM IRRIGATIONSCHEMES WHERE IRRIGATIONSCHEMECODE='IrrigationScheme0'"),
              "Changed first");
}

TEST_F(DatasetRules, DepthDependentPropertiesOfTwoPredefinedRecordsAreRefused)
{
    Locate(module->tblSubstances, "SUBSTANCECODE", "PARA");
    Locate(module->tblSoilProfiles, "SOILPROFILECODE", "HeathSand");
    TTable* properties = module->tblDepthDependentSubstProperties;
    module->tblSoilProfilesxSoilBuildingBlocks->Open();
    properties->Open();
    module->ConfirmOff();
    properties->Edit();
    properties->FieldByName("FACZSOR")->SetAsFloat(0.5);
    EXPECT_THROW(properties->Post(), EAbort);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text,
              "Cannot save depth dependent substance properties between MORVA soilprofile and MORVA substance.");
    EXPECT_TRUE(module->ConfirmEnabled());
}

TEST_F(DatasetRules, SavedMeteoDataRemovesTheStationsWeatherFile)
{
    const String met = JoinPath(GetWorkDir(), "Brimvek.met");
    WriteStringToFile(met, "stale");
    module->dbDatabase->ExecSql("UPDATE METEOSTATIONS SET LOCKED='No' WHERE METEOSTATIONCODE='Brimvek'");
    TTable* stations = module->tblMeteoStations;
    stations->Open();
    ASSERT_TRUE(stations->Locate("METEOSTATIONCODE", QString("Brimvek"), 0));
    module->tblMeteoData->Open();
    module->ConfirmOff();
    module->tblMeteoData->Edit();
    module->tblMeteoData->FieldByName("RAIN")->SetAsFloat(3);
    module->tblMeteoData->Post();
    EXPECT_FALSE(FileExists(met));
}

} // namespace

namespace {

// A module that goes away while a table holds an unposted edit runs no rule on the way out.
TEST_F(DatasetRules, TheModuleClosesWithATableInEdit)
{
    module->tblSubstances->Open();
    ASSERT_TRUE(module->tblSubstances->Locate("SUBSTANCECODE", QString("PARA"), 0));
    module->tblSoilProfiles->Open();
    ASSERT_TRUE(module->tblSoilProfiles->Locate("SOILPROFILECODE", QString("HeathSand"), 0));
    module->tblSoilProfilesxSoilBuildingBlocks->Open();
    module->tblDepthDependentSubstProperties->Open();
    module->ConfirmOff();
    module->tblDepthDependentSubstProperties->Edit();
    module->tblDepthDependentSubstProperties->FieldByName("FACZSOR")->SetAsFloat(0.5);
    module.reset();
    EXPECT_EQ(boxes.Count(), 0);
}

} // namespace
