#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "CommonUnits/GeneralUnits/DemoDatabase.h"
#include "CommonUnits/GeneralUnits/QuelmStartup.h"
#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/TfrmDBUpdate_Unit.h"
#include "CommonUnits/GeneralUnits/Vantor6_5_Install_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/db/DBTables.h"
#include "platform/win/WinVersion.h"
#include "platform/rtl/FileUtils.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>

namespace {

class DatabaseTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        TVersionInfo::DestroySingleton();
        TVersionInfo::CreateSingleton();
        PrepareEmbeddedEngine(dir);
        CopyFileTo(DemoTemplate(), databaseFile, false);
        SetOpenFileDialog([this](TOpenFileRequest& request) {
            dialogs.push_back(request);
            if (dialogAnswers.empty())
                return false;
            request.FileName = dialogAnswers.front();
            dialogAnswers.erase(dialogAnswers.begin());
            return true;
        });
    }
    void TearDown() override
    {
        module.reset();
        SetOpenFileDialog(nullptr);
        ResetEmbeddedServer();
        TDBConnector::ReconnectWaitMs = 2000;
        TVersionInfo::DestroySingleton();
        SettingsTest::TearDown();
    }

    void StartModule()
    {
        WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, databaseFile);
        module.reset(New<TdmQuelm>(nullptr));
    }

    // Runs a statement on a connection of its own.
    void Exec(const String& path, const String& sql)
    {
        TDatabase db;
        db.Params.Add("SERVER NAME=" + path);
        db.Open();
        db.ExecSql(sql);
    }

    TVersionResource version{2, 1, 2, 10};
    std::vector<TOpenFileRequest> dialogs;
    std::vector<String> dialogAnswers;
    std::unique_ptr<TdmQuelm> module;
};

// ---------------------------------------------------------------- schema and shipped data

TEST_F(DatabaseTest, EveryNamedRuleHasItsTextAndTheShippedDataIsConsistent)
{
    TDatabase db;
    db.Params.Add("SERVER NAME=" + databaseFile);
    db.Open();
    TQuery q;
    q.SetDatabase(&db);
    q.SQL.SetText("SELECT name FROM sqlite_master WHERE type='table'");
    q.Open();
    std::set<String> texts;
    {
        TQuery c;
        c.SetDatabase(&db);
        c.SQL.SetText("SELECT UPPER(CODE) AS CODE, XTEXT FROM CONSTRAINTS");
        c.Open();
        for (; !c.Eof(); c.Next()) {
            EXPECT_FALSE(c.FieldByName("XTEXT")->AsString().empty()) << c.FieldByName("CODE")->AsString();
            texts.insert(c.FieldByName("CODE")->AsString());
        }
    }
    int rules = 0;
    for (; !q.Eof(); q.Next()) {
        const TTableInfo* info = db.TableInfo(q.Fields(0)->AsString());
        ASSERT_NE(info, nullptr);
        for (const TConstraintInfo& c : info->constraints) {
            ++rules;
            EXPECT_TRUE(texts.count(UpperCase(c.name))) << c.name;
        }
    }
    EXPECT_GT(rules, 200);

    TQuery check;
    check.SetDatabase(&db);
    check.SQL.SetText("PRAGMA foreign_key_check");
    check.Open();
    EXPECT_TRUE(check.IsEmpty());
    check.Close();
    // Every flag column of a run's print variables has its dictionary row.
    check.SQL.SetText("SELECT * FROM RUNPRINTVARIABLES");
    check.Open();
    for (int i = 1; i < check.FieldCount(); ++i) {
        TQuery d;
        d.SetDatabase(&db);
        d.SQL.SetText("SELECT VARIABLENAME FROM RUNPRINTVARIABLESDICTIONARY WHERE UPPER(VARIABLENAME)=" +
                      QuotedStr(check.Fields(i)->FieldName()));
        d.Open();
        EXPECT_EQ(d.RecordCount(), 1) << check.Fields(i)->FieldName();
    }
    // The codes the program compares against.
    struct Code {
        const char* sql;
        int count;
    } codes[] = {
        {"SELECT COUNT(*) FROM DBINFO WHERE DBVERSION=89", 1},
        {"SELECT COUNT(*) FROM DATETIMECOUNTING", 365},
        {"SELECT COUNT(*) FROM DATETIMECOUNTING WHERE DATEINYEAR IN ('1 Oct','1 Apr','1 Jan','31 Dec')", 4},
        {"SELECT COUNT(*) FROM LBONAMES WHERE LBONAMECODE IN ('GrwLev','Dirichlet','Flux','Cauchy','FncGrwLev')", 5},
        {"SELECT COUNT(*) FROM TORTNAMES WHERE TORTNAMECODE IN ('Currie','MillingtonQuirk','Troeh')", 3},
        {"SELECT COUNT(*) FROM OPTCOFFRES WHERE UPPER(OPTCOFFRECODE) IN ('PH-INDEPENDENT','PH-DEPENDENT','USERDEFINED')",
         3},
        {"SELECT COUNT(*) FROM IRRIGATIONSCHEMES WHERE IRRIGATIONSCHEMECODE='No'", 1},
        {"SELECT COUNT(*) FROM DEPOSITIONSCHEMES WHERE UPPER(DEPOSITIONSCHEMECODE)='NO'", 1},
        {"SELECT COUNT(*) FROM SUBSTANCETRANSFORMATIONS WHERE SUBSTANCECODEIN IN ('PARA','MET1')", 2},
        {"SELECT COUNT(DISTINCT LBONAMECODE) FROM LOCATIONS WHERE LBONAMECODE IN ('GrwLev','Dirichlet')", 2},
        {"SELECT COUNT(*) FROM LOCATIONS WHERE UPPER(OPTDRA)='YES'", 1},
        {"SELECT COUNT(*) FROM METEODATA WHERE METEOSTATIONCODE='Brimvek'", 2192},
        {"SELECT COUNT(*) FROM RUNS WHERE PROJECTID=1", 3},
    };
    for (const Code& c : codes) {
        TQuery n;
        n.SetDatabase(&db);
        n.SQL.SetText(c.sql);
        n.Open();
        EXPECT_EQ(n.Fields(0)->AsInteger(), c.count) << c.sql;
    }
}

// The kernel writes every output variable in its basic unit; a graph shows it multiplied by
// BASICTODISPLAYUNITCONVERSION, with the dictionary's units in its legend. So every unit of a row
// must be the one that the factor turns the basic unit into.
TEST_F(DatabaseTest, EveryOutputUnitAgreesWithItsConversionFactor)
{
    // a unit, and how many of it make one of its basic unit
    const std::map<String, double> scale = {
        {"-", 1},          {"C", 1},           {"d", 1},           {"d-1", 1},        {"m2.m-2", 1},
        {"m3.m-3", 1},     {"m", 1},           {"cm", 100},        {"mm", 1000},      {"m.d-1", 1},
        {"mm.d-1", 1000},  {"d.m-1", 1},       {"s.m-1", 86400},   {"kg.m-2", 1},     {"kg.ha-1", 10000},
        {"kg.m-2.d-1", 1}, {"kg.ha-1.d-1", 10000}, {"kg.m-3", 1},  {"mg.L-1", 1000},  {"ug.L-1", 1000000},
        {"mg.kg-1", 1000},
    };
    TDatabase db;
    db.Params.Add("SERVER NAME=" + databaseFile);
    db.Open();
    TQuery q;
    q.SetDatabase(&db);
    q.SQL.SetText("SELECT VARIABLENAME, UNITXYNORMAL, UNITGUINORMAL, UNITXYCUMULATIVE, UNITGUICUMULATIVE, "
                  "BASICTODISPLAYUNITCONVERSION FROM RUNPRINTVARIABLESDICTIONARY");
    q.Open();
    int rows = 0;
    for (; !q.Eof(); q.Next(), ++rows) {
        const String name = q.FieldByName("VARIABLENAME")->AsString();
        const double factor = q.FieldByName("BASICTODISPLAYUNITCONVERSION")->AsFloat();
        for (const char* field : {"UNITXYNORMAL", "UNITGUINORMAL", "UNITXYCUMULATIVE", "UNITGUICUMULATIVE"}) {
            const String unit = q.FieldByName(field)->AsString();
            const auto known = scale.find(unit);
            ASSERT_NE(known, scale.end()) << name << " " << field << ": unknown unit '" << unit << "'";
            EXPECT_DOUBLE_EQ(known->second, factor) << name << " " << field << " '" << unit << "'";
        }
    }
    EXPECT_GT(rows, 80);
}

TEST_F(DatabaseTest, NewRecordsWithTheirDefaultValuesCanBeSavedAtOnce)
{
    const char* const inserts[] = {
        "INSERT INTO LOCATIONS (LOCATIONCODE, NAME, COUNTRY, LONGITUDE, LATITUDE, ALTITUDE, ZPNDMAX, TEMLBOSTA, "
        "THIAIRBOULAY, CREATIONDATE, MODIFICATIONDATE, OPTDRA, LBONAMECODE, MORVAZGRWLEVSTA, MORVASELECTED, LOCKED) "
        "VALUES ('Location0', 'Location0Name', 'The Netherlands', 5.5, 52, 0, 0, 10, 0.01, '2026-01-01', "
        "'2026-01-01', 'No', 'GrwLev', -9900, 0, 'No')",
        "INSERT INTO CULTIVATIONSEQUENCEXCROPSA (CULTIVATIONSEQUENCEXCROPID, CULTIVATIONSEQUENCECODE, CULTIVATIONSEQNO, "
        "EMERGENCEYEAROFFSET, HARVESTYEAROFFSET, LOCKED, PREHEAIRRSTA, IRGTHRESHOLD) VALUES (100, 'Maize', 1, 0, 0, 'No', "
        "-100, 15)",
        "INSERT INTO SOILPROFILESXSOILBUILDINGBLOCKS (SOILPROFILECODE, HORIZONSEQNO, THICKNESS, COMPARTMENTCNT, LENDISLIQ, "
        "FACZTRA, FACZSOR) VALUES ('RiverLoam', 4, 0.1, 1, 0.05, 1, 1)",
        "INSERT INTO IRRIGATIONSCHEMES (IRRIGATIONSCHEMECODE, DESCRIPTION, LOCKED) VALUES ('IrrigationScheme0', "
        "'IrrigationScheme0Description', 'No')",
        "INSERT INTO RUNPRINTVARIABLESDICTIONARY (CATEGORYCODE, VARIABLENAME, DEFAULTVALUE, BASICTODISPLAYUNITCONVERSION, "
        "HASDEPTH, ISCOMPOUND, ISVENNICVARIABLE) VALUES ('QuelmCrop', 'NewVar', 'No', 1, 'No', 'No', 'No')",
        "UPDATE RUNPRINTVARIABLESDICTIONARY SET SELECTEDFORGRAPH=' ', SELECTEDFORPRINT='Yes'",
    };
    TDatabase db;
    db.Params.Add("SERVER NAME=" + databaseFile);
    db.Open();
    for (const char* sql : inserts)
        EXPECT_NO_THROW(db.ExecSql(sql)) << sql;
}

// ---------------------------------------------------------------- the data module

TEST_F(DatabaseTest, ModuleConnectsAndOpensEveryTableWithItsMasterRows)
{
    StartModule();
    ASSERT_TRUE(module->dbDatabase->Connected());
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(module->DatabaseFileName(), databaseFile);
    EXPECT_TRUE(module->ConfirmEnabled());
    EXPECT_EQ(module->Tables().size(), 77u);
    for (TTable* t : module->Tables()) {
        EXPECT_FALSE(t->Active()) << t->Name;
        t->Open();
        EXPECT_TRUE(t->Active()) << t->Name;
    }
    // Master-detail: the runs of the current project, the horizons of the current profile...
    EXPECT_EQ(module->tblProjects->FieldByName("PROJECTID")->AsInteger(), 1);
    EXPECT_EQ(module->tblRuns->RecordCount(), 3);
    ASSERT_TRUE(module->tblLocations->Locate("LOCATIONCODE", QString("vellmark"), loCaseInsensitive));
    EXPECT_EQ(module->tblDrainages->RecordCount(), 2);
    EXPECT_EQ(module->tblLocLboGroundWaterTS->RecordCount(), 24);
    ASSERT_TRUE(module->tblLocations->Locate("LOCATIONCODE", QString("Torrsund"), 0));
    EXPECT_EQ(module->tblDrainages->RecordCount(), 0);
    EXPECT_EQ(module->tblLocLboGroundWaterTS->RecordCount(), 2);
    EXPECT_EQ(module->tblLocLboDirichletTS->RecordCount(), 24);
    ASSERT_TRUE(module->tblSoilProfiles->Locate("SOILPROFILECODE", QString("HeathSand"), 0));
    EXPECT_EQ(module->tblSoilProfilesxSoilBuildingBlocks->RecordCount(), 3);
    EXPECT_EQ(module->tblDepthDependentSubstProperties->RecordCount(), 1); // horizon 1 of the profile
    EXPECT_EQ(module->tblSoilTortMillington->RecordCount(), 1);
    ASSERT_TRUE(module->tblCultivationSeqs->Locate("CULTIVATIONSEQUENCECODE", QString("Maize"), 0));
    EXPECT_EQ(module->tblCultivationSeqxCropsA->RecordCount(), 1);
    EXPECT_EQ(module->tblCultivationSeqxCropsB->RecordCount(), 5);
    EXPECT_EQ(module->dsCultivationSeqxCropsB->DataSet(), module->tblCultivationSeqxCropsA);
    EXPECT_EQ(module->dsCropStages->DataSet(), module->tblCultivationSeqxCropsB);
    ASSERT_TRUE(module->tblSubstances->Locate("SUBSTANCECODE", QString("PARA"), 0));
    EXPECT_EQ(module->tblSubstanceTransformations->RecordCount(), 1);
    ASSERT_TRUE(module->tblMeteoStations->Locate("METEOSTATIONCODE", QString("Olvasto"), 0));
    EXPECT_EQ(module->tblMeteoData->RecordCount(), 2192);
    EXPECT_EQ(module->tblRunPrintCategories->RecordCount(), 6);
    // The meteo query of the side files.
    module->qryMeteoData->ParamByName("qName")->SetAsString("Brimvek");
    module->qryMeteoData->Open();
    EXPECT_EQ(module->qryMeteoData->RecordCount(), 2192);
    EXPECT_EQ(module->qryMeteoData->FieldByName("MDATE")->AsDateTime(), EncodeDate(2000, 1, 1));
}

TEST_F(DatabaseTest, PerRunQueriesReadTheScenarioOfARun)
{
    StartModule();
    ASSERT_TRUE(module->dbDatabase->Connected());
    struct Case {
        const char* what;
        std::function<bool(TQuery*)> open;
        int rows;
        const char* column;
        const char* first;
    } cases[] = {
        {"substance", [&](TQuery* q) { return module->QuerySubstanceOfRun(1, q); }, 1, "SUBSTANCECODE", "PARA"},
        {"absolute", [&](TQuery* q) { return module->QueryApplicationsAbsolute(1, q); }, 6, "APPLICATIONTYPECODE", "AppSolSur"},
        {"relative", [&](TQuery* q) { return module->QueryApplicationsRelative(2, q); }, 2, "CROPEVENTCODE", "Emg"},
        {"eql", [&](TQuery* q) { return module->QueryCntSysEql(1, q); }, 2, "Z", "0"},
        {"neq", [&](TQuery* q) { return module->QueryCntSysNeq(1, q); }, 2, "Z", "0"},
        {"crop", [&](TQuery* q) { return module->QueryCrop("Maize", q); }, 1, "NAME", "Maize"},
        {"roots", [&](TQuery* q) { return module->QueryCropRootDensities("Maize", q); }, 3, "ROOTDENSITY", "1"},
        {"calendar", [&](TQuery* q) { return module->QueryCalendarCrops("Maize", q); }, 1, "EMERGENCEDATEINYEAR", "15 May"},
        {"stages", [&](TQuery* q) { return module->QueryCropStages(1, q); }, 5, "DEVELOPMENTSTAGE", "0"},
        {"depositions", [&](TQuery* q) { return module->QueryDepositions("Drift_Low", q); }, 6, "FLMDEP", "0.0005"},
        {"drainages", [&](TQuery* q) { return module->QueryDrainages("Vellmark", q); }, 2, "DRAINAGELEVEL", "1"},
        {"irrigation", [&](TQuery* q) { return module->QueryIrrigationTypeOfRun(2, q); }, 1, "IRRIGATIONTYPECODE", "Sprinkler"},
        {"dirichlet", [&](TQuery* q) { return module->QueryDirichletSeries("Torrsund", q); }, 24, "MVALUE", "-150"},
        {"groundwater", [&](TQuery* q) { return module->QueryGroundwaterSeries("Vellmark", q); }, 24, "GRWLEV", "-70"},
        {"location", [&](TQuery* q) { return module->QueryLocationOfRun(2, q); }, 1, "LBONAMECODE", "Dirichlet"},
        {"station", [&](TQuery* q) { return module->QueryMeteoStationOfRun(1, q); }, 1, "METEOSTATIONCODE", "Brimvek"},
        {"depths", [&](TQuery* q) { return module->QueryOutputDepths(1, q); }, 9, "OUTPUTDEPTH", "0.05"},
        {"print", [&](TQuery* q) { return module->QueryPrintVariables(1, q); }, 1, "RUNID", "1"},
        {"profiles", [&](TQuery* q) { return module->QueryVertProfDates(1, q); }, 2, "RUNID", "1"},
        {"horizons", [&](TQuery* q) { return module->QuerySoilHorizonsOfRun(1, q); }, 3, "SOILBUILDINGBLOCKCODE", "Ls_Top"},
        {"substance code", [&](TQuery* q) { return module->QuerySubstance("MET1", q); }, 1, "OPTCOFFRECODE", "pH-dependent"},
        {"transformations", [&](TQuery* q) { return module->QueryTransformations("PARA", q); }, 1, "SUBSTANCECODEOUT", "MET1"},
        {"daughters", [&](TQuery* q) { return module->QueryDaughters("MET1", q); }, 1, "FRAPRTDAU", "0.8"},
        {"tillages", [&](TQuery* q) { return module->QueryTillagesOfRun(1, q); }, 6, "DEPTH", "0.25"},
        {"tortuosity", [&](TQuery* q) { return module->QuerySoilProfileDetail("SOILTORTCURRIE", "RiverLoam", q); }, 1,
         "COFDIFGASCUR", "2.5"},
        {"quote", [&](TQuery* q) { return module->QueryCrop("X'1", q); }, 0, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TQuery> q(module->NewQuery());
        ASSERT_TRUE(c.open(q.get())) << c.what;
        EXPECT_EQ(q->RecordCount(), c.rows) << c.what;
        if (c.column)
            EXPECT_EQ(q->FieldByName(c.column)->AsString(), c.first) << c.what;
    }
    EXPECT_EQ(boxes.Count(), 0);
    std::unique_ptr<TQuery> bad(module->NewQuery());
    EXPECT_FALSE(module->OpenQuery(bad.get(), {"SELECT *", "FROM NOSUCHTABLE"}));
    EXPECT_EQ(boxes.Last().Text.rfind("Error in query.\rSQL= \"SELECT *\r\nFROM NOSUCHTABLE\", Message= \"", 0), 0u);

    EXPECT_EQ(module->EvaporationOptionOfRun(2), "Penman");
    EXPECT_EQ(module->DateFormatOfRun(1), "DaysFromSta");
    EXPECT_EQ(module->SubstanceCodeOfRun(3), "No");
    EXPECT_EQ(module->PrintVariableName("zpnd"), "ZPnd");
    EXPECT_EQ(module->PrintVariableName("nothing"), "");
    EXPECT_EQ(module->DayMonthOfDateInYear("1 Feb"), "01-Feb");
    EXPECT_EQ(module->DayMonthOfDateInYear("10 Feb"), "10-Feb");
    auto maximum = [&](const String& sql) {
        std::unique_ptr<TQuery> q(module->OpenSql(sql));
        return q->Fields(0)->AsInteger();
    };
    EXPECT_EQ(module->NewKeyValue("Runs", "RunID"), maximum("SELECT MAX(RUNID) FROM RUNS") + 1);
    module->dbDatabase->ExecSql("INSERT INTO PROJECTS (PROJECTID, LOCKED) VALUES (41, 'No')"); // the highest
    EXPECT_EQ(module->NewKeyValue("Projects", "ProjectID"), 42);
    EXPECT_EQ(module->NewKeyValue("RunPrintVertProfDates", "RunID"),
              maximum("SELECT MAX(RUNID) FROM RUNPRINTVERTPROFDATES") + 1);
    module->dbDatabase->ExecSql("DELETE FROM RUNPRINTVERTPROFDATES");
    EXPECT_EQ(module->NewKeyValue("RunPrintVertProfDates", "RunID"), 1); // an empty table starts at 1

    TTable* runs = module->tblRuns;
    EXPECT_EQ(module->LookupString(runs, 2, "LocationCode", "RunID"), "Torrsund");
    EXPECT_EQ(module->LookupInteger(runs, 1, "MaxItSwa", "RunID"), 30);
    EXPECT_DOUBLE_EQ(module->LookupFloat(runs, 1, "DelTimSwaMax", "RunID"), 0.2);
    EXPECT_EQ(module->LookupDate(runs, 1, "TimStart", "RunID"), EncodeDate(2000, 1, 1));
    EXPECT_TRUE(module->LookupYesNo(runs, 1, "PrintCumulatives", "RunID"));
    EXPECT_FALSE(module->LookupYesNo(runs, 99, "PrintCumulatives", "RunID"));
    EXPECT_EQ(module->LookupString(runs, 99, "Name", "RunID"), "");
    EXPECT_TRUE(module->LookupYesNoByCode(module->tblLocations, "Vellmark", "OptDra", "LocationCode"));
    EXPECT_EQ(module->LookupStringByCode(module->tblSoilProfiles, "HeathSand", "TortNameCode", "SoilProfileCode"),
              "MillingtonQuirk");
    EXPECT_DOUBLE_EQ(module->LookupFloatByCode(module->tblLocations, "Kelvaro", "TemLboSta", "LocationCode"), 9.5);
    EXPECT_EQ(module->LookupValueByCode(module->tblLocations, "'Kelvaro'", "LBONAMECODE", "LocationCode").toString(),
              "Flux");
}

TEST_F(DatabaseTest, SideFilesOfTheKernel)
{
    StartModule();
    ASSERT_TRUE(module->dbDatabase->Connected());
    const String work = ChangeFileExt(databaseFile, "");
    module->WriteIrrigationFile("Summer_Data");
    TStringList irr;
    irr.LoadFromFile(work + "/Summer_Data.irr");
    ASSERT_EQ(irr.Count(), 26);
    EXPECT_EQ(irr[0], "table IrrTab (mm)");
    EXPECT_EQ(irr[1], "20-Jun-2000     15");
    EXPECT_EQ(irr[25], "end_table");
    EXPECT_NE(ReadFileToString(work + "/Summer_Data.irr").find("end_table\r\n"), String::npos);
    module->WriteIrrigationFile("No");
    irr.LoadFromFile(work + "/No.irr");
    EXPECT_EQ(irr.Count(), 2);

    const String met = module->WriteMeteoFile("Brimvek");
    EXPECT_EQ(met, work + "/Brimvek.met");
    TStringList lines;
    lines.LoadFromFile(met);
    ASSERT_EQ(lines.Count(), 6 + 2192);
    EXPECT_EQ(lines[0], String(74, '*'));
    EXPECT_EQ(lines[1], "* Contents: Meteo data of 'Brimvek'     weather station");
    EXPECT_EQ(lines[3], String(75, '*'));
    EXPECT_EQ(lines[6], "'Brimvek'      1  1 2000     2767   -3.9      1   0.56    4.6    0.5     0.5");
    EXPECT_EQ(module->WriteMeteoFile("Nowhere/x"), ""); // cannot be written
}

TEST_F(DatabaseTest, AViolatedRuleIsReportedByTheNameThatFindsItsText)
{
    StartModule();
    ASSERT_TRUE(module->dbDatabase->Connected());
    TTable* drainages = module->tblDrainages;
    module->tblLocations->Open();
    drainages->Open();
    ASSERT_TRUE(module->tblLocations->Locate("LOCATIONCODE", QString("Vellmark"), 0));
    auto constraintOf = [&](const std::function<void()>& action) -> String {
        try {
            action();
        } catch (const EDBEngineError& e) {
            // The name as the application's handler takes it from the second message.
            const String upper = UpperCase(e.Errors(1).Message);
            const bool integrity = e.Errors(0).Category() == kCategoryIntegrity;
            const String open = integrity ? " CONSTRAINT \"" : " CONSTRAINT ";
            const String close = integrity ? "\" ON " : " ON ";
            const size_t from = upper.find(open) + open.size();
            const String name = upper.substr(from, upper.find(close) - from);
            TQuery q;
            q.SetDatabase(module->dbDatabase);
            q.SQL.SetText("SELECT XTEXT FROM CONSTRAINTS WHERE UPPER(CODE)=" + QuotedStr(name));
            q.Open();
            return q.IsEmpty() ? "no text for " + name : q.FieldByName("XTEXT")->AsString();
        }
        return "no error";
    };
    EXPECT_EQ(constraintOf([&] {
                  module->ConfirmOff(); // a program's change: no lock guard, no question
                  drainages->Edit();
                  drainages->FieldByName("ZSURWAT")->SetAsFloat(5.0);
                  drainages->Post();
              }),
              "The depth of the surface water level (ZSurWat) may not be larger than the depth of the drain (ZDra).");
    drainages->Cancel();
    EXPECT_EQ(constraintOf([&] {
                  module->dbDatabase->ExecSql("UPDATE SUBSTANCES SET NAME='Parvolin' WHERE SUBSTANCECODE='MET1'");
              }),
              "A substance with this name already exists. Choose another name.");
    EXPECT_EQ(constraintOf([&] { module->dbDatabase->ExecSql("DELETE FROM PROJECTS WHERE PROJECTID=1"); }),
              "The run refers to a project that does not exist, or the project still has runs.");
    EXPECT_EQ(constraintOf([&] { module->dbDatabase->ExecSql("UPDATE RUNS SET MAXITSWA=31"); }),
              "The maximum number of iterations (MaxItSwa) must lie between 1 and 30.");
}

TEST_F(DatabaseTest, FirstAccessIsAskedOnceAndCanBeRefused)
{
    struct Case {
        const char* accessed;
        const char* answer;
        bool connected;
        const char* after;
    } cases[] = {{"no", "Yes", true, "Yes"}, {"No", "No", false, "No"}, {"Yes", nullptr, true, "Yes"}};
    for (const Case& c : cases) {
        Exec(databaseFile, String("UPDATE DBINFO SET ACCESSED='") + c.accessed + "'");
        boxes.Clear();
        if (c.answer)
            boxes.Answer(c.answer);
        StartModule();
        EXPECT_EQ(module->dbDatabase->Connected(), c.connected) << c.accessed;
        EXPECT_EQ(boxes.Count(), c.answer ? 1 : 0);
        if (c.answer) {
            EXPECT_EQ(boxes.Last().Text, "The database \"" + databaseFile + "\"\rhas never been accessed before by " +
                                             GetApplicationTitle() + "\r" + "The " + GetProductName() +
                                             " team offers the possibility to upgrade a " + GetProductName() +
                                             " 1 database to " + GetApplicationTitle() + "\rAccessing this " +
                                             GetApplicationTitle() +
                                             " database now will invalidate this database as a valid\r"
                                             "target when upgrading a " +
                                             GetProductName() + " 1 database to a " + GetApplicationTitle() +
                                             " database.\r\rDo you want to continue ?");
        }
        // The registry already names the file, also when the question was refused.
        EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, REG_DATABASE), databaseFile);
        module.reset();
        TDatabase db;
        db.Params.Add("SERVER NAME=" + databaseFile);
        db.Open();
        TQuery q;
        q.SetDatabase(&db);
        q.SQL.SetText("SELECT ACCESSED FROM DBINFO");
        q.Open();
        EXPECT_EQ(q.Fields(0)->AsString(), c.after);
    }
}

TEST_F(DatabaseTest, OpeningAnotherDatabase)
{
    const String other = dir.file("Other.vantor");
    CopyFileTo(DemoTemplate(), other, false);
    StartModule();
    ASSERT_TRUE(module->dbDatabase->Connected());

    // The file already open: the warning, and the connection stays as it was.
    dialogAnswers = {databaseFile};
    EXPECT_TRUE(module->OpenOtherDatabase());
    EXPECT_EQ(boxes.Last().Text, "Old and new database file are identical, cancelling opening.");
    EXPECT_EQ(module->DatabaseFileName(), databaseFile);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].Title, "Open " + GetProductName() + " database");
    EXPECT_EQ(dialogs[0].InitialDir, ExtractFileDir(databaseFile));

    // Cancelled: nothing changes.
    EXPECT_TRUE(module->OpenOtherDatabase());
    EXPECT_EQ(module->DatabaseFileName(), databaseFile);

    // Another file: connected there, and the user's value follows.
    module->tblProjects->Open();
    dialogAnswers = {other};
    EXPECT_TRUE(module->OpenOtherDatabase());
    EXPECT_EQ(module->DatabaseFileName(), other);
    EXPECT_EQ(module->dbDatabase->FileName(), other);
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, REG_DATABASE), other);
    EXPECT_FALSE(module->tblProjects->Active()); // closed by the connection change
}

TEST_F(DatabaseTest, WithoutAUsableDatabaseOneMessageAndNoConnection)
{
    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, dir.file("gone.vantor"));
    module.reset(New<TdmQuelm>(nullptr));
    EXPECT_FALSE(module->dbDatabase->Connected());
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Boxes()[0].Text,
              "The file \"" + dir.file("gone.vantor") + "\" does not exist, please select an alternative database file.");
    EXPECT_EQ(boxes.Boxes()[1].Text, "You are not connected to a database, exiting " + GetProductName() + " !");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].InitialDir, dir.str());
    module.reset();

    // A chosen file that is no database: its error, then the one exit message.
    const String junk = dir.file("junk.vantor");
    WriteStringToFile(junk, "not a database");
    boxes.Clear();
    dialogAnswers = {junk};
    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, "");
    module.reset(New<TdmQuelm>(nullptr));
    EXPECT_FALSE(module->dbDatabase->Connected());
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Boxes()[1].Text, "You are not connected to a database, exiting " + GetProductName() + " !");
}

TEST_F(DatabaseTest, ADatabaseThatCannotBeWrittenIsReportedByNameWhenOpened)
{
    namespace fs = std::filesystem;
    const auto readOnly = [](const String& path) {
        fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    };
    const auto cannotWrite = [](const String& path) {
        return "The file \"" + path +
               "\" cannot be written (the file or its folder is read-only), please select an alternative database file.";
    };
    // the settings name a read-only file; in the dialog the user first picks a writable file in a
    // read-only folder, then a writable one
    const String lockedFolder = dir.file("locked");
    ForceDirectories(lockedFolder);
    const String inLockedFolder = PathJoin(lockedFolder, "Projects.vantor");
    CopyFileTo(DemoTemplate(), inLockedFolder, false);
    readOnly(lockedFolder);
    const String other = dir.file("Other.vantor");
    CopyFileTo(DemoTemplate(), other, false);
    readOnly(databaseFile);
    dialogAnswers = {inLockedFolder, other};
    StartModule();
    EXPECT_TRUE(module->dbDatabase->Connected());
    EXPECT_EQ(module->DatabaseFileName(), other);
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Boxes()[0].Text, cannotWrite(databaseFile));
    EXPECT_EQ(boxes.Boxes()[1].Text, cannotWrite(inLockedFolder));
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].InitialDir, dir.str());
    EXPECT_EQ(dialogs[1].InitialDir, lockedFolder);
    // what the user does next is stored
    module->tblProjects->Open();
    module->tblProjects->Edit();
    module->tblProjects->FieldByName("DESCRIPTION")->SetAsString("Renamed");
    EXPECT_NO_THROW(module->tblProjects->Post());

    // opening another database: the read-only file is refused, the current one stays open
    boxes.Clear();
    dialogAnswers = {databaseFile};
    EXPECT_TRUE(module->OpenOtherDatabase());
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, cannotWrite(databaseFile));
    EXPECT_EQ(module->DatabaseFileName(), other);
    EXPECT_TRUE(module->dbDatabase->Connected());
    fs::permissions(lockedFolder, fs::perms::owner_all, fs::perm_options::add);
}

// ---------------------------------------------------------------- server check

TEST_F(DatabaseTest, ServerCheckFailurePaths)
{
    TfrmVantorInstall6_5 form(nullptr);
    form.AfterConstruction();
    EXPECT_EQ(form.Caption(), GetApplicationTitle() + " - Installation of Vantor 6.5");
    EXPECT_EQ(form.lblInstallationLog->Caption(), "Installation Log:");
    // the log fills the fixed window below its label
    EXPECT_EQ(form.mmoInstallationLog->Top(), form.lblInstallationLog->Top() + form.lblInstallationLog->Height() + 3);
    EXPECT_EQ(form.mmoInstallationLog->Left() + form.mmoInstallationLog->Width(), form.ClientWidth() - 8);
    EXPECT_EQ(form.mmoInstallationLog->Top() + form.mmoInstallationLog->Height(), form.ClientHeight() - 8);
    EXPECT_TRUE(form.CheckServerInstallation());
    EXPECT_EQ(boxes.Count(), 0);

    const String notInstalled = "Vantor is not installed, contact " + GetProductName() + " / RavuzAVEDE technical support.";
    const String otherVersion = "A different version of Vantor is already installed !\r\rSee the file "
                                "ReadMeDuringInstallation.rtf for an explanation of this message.";
    const String cannot = "Cannot establish Vantor connection. Please try again.\r\rContact " + GetProductName() +
                          " / RavuzAVEDE technical support if this problem persists.";
    EmbeddedServer().Installed = false;
    EXPECT_FALSE(form.CheckServerInstallation());
    EXPECT_EQ(BoxTexts(), std::vector<String>{notInstalled});

    ResetEmbeddedServer();
    EmbeddedServer().GuardianWaitMs = 0;
    EmbeddedServer().Version = "WI-V6.5.0.2";
    boxes.Clear();
    EXPECT_FALSE(form.CheckServerInstallation());
    EXPECT_EQ(BoxTexts(), std::vector<String>{otherVersion});

    // Installed but not running: the guardian is started once and the check passes quietly.
    ResetEmbeddedServer();
    EmbeddedServer().GuardianWaitMs = 0;
    EmbeddedServer().Running = false;
    std::vector<String> started;
    EmbeddedServer().StartGuardian = [&](const String& program, const String& args, const String&) {
        started.push_back(program + " " + args);
        EmbeddedServer().Running = true;
    };
    boxes.Clear();
    EXPECT_TRUE(form.CheckServerInstallation());
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(started, std::vector<String>{dir.file("install") + "/vantorguard -a"});

    // A missing test database: the internal error for both attempts, then the final message.
    DeleteFile(PathJoin(PathJoin(dir.file("install"), "Bin"), "ConnectionTest.vantor"));
    boxes.Clear();
    EXPECT_FALSE(form.CheckServerInstallation());
    const String internal = "Internal error, connection test file " + dir.file("install") +
                            "/Bin/ConnectionTest.vantor does not exist.";
    EXPECT_EQ(BoxTexts(), (std::vector<String>{internal, internal, cannot}));

    // The module gives up with its own message when the check fails.
    boxes.Clear();
    module.reset(New<TdmQuelm>(nullptr));
    EXPECT_FALSE(module->dbDatabase->Connected());
    EXPECT_EQ(boxes.Last().Text, "Vantor installation not finished, exiting " + GetProductName() + " !");
}

// ---------------------------------------------------------------- upgrade

TEST_F(DatabaseTest, UpgradeRunsStepsUntilOneFailsAndLeavesTheDatabaseConsistent)
{
    Exec(databaseFile, "UPDATE DBINFO SET DBVERSION=84");
    TDatabase db;
    TDBConnector(databaseFile).ConfigureDatabase(db, "TestConnection");
    db.Open();
    TfrmDBUpdate form(nullptr);
    form.SetDatabase(&db);
    form.Memo(84).SetText("// a comment\n\nCREATE TABLE STEPLOG (\n  STEP INTEGER NOT NULL\n)\n<execute>\n"
                          "INSERT INTO STEPLOG VALUES (84)\n<COMMIT>\n");
    form.Memo(85).SetText("INSERT INTO STEPLOG VALUES (85)\n <EXECUTE>\n"); // a marker with a blank is SQL text
    form.Memo(86).SetText("INSERT INTO STEPLOG VALUES (86)\n<EXECUTE>\nUPDATE RUNS SET MAXITSWA=99\n<EXECUTE>\n");
    form.Memo(87).SetText("INSERT INTO STEPLOG VALUES (87)\n");
    form.Memo(88).SetText("INSERT INTO STEPLOG VALUES (88)\n");
    EXPECT_TRUE(form.NeedsUpgrade(false));
    EXPECT_FALSE(db.Connected());
    boxes.Clear();
    form.UpgradeDatabase();
    const std::vector<String> texts = BoxTexts();
    ASSERT_GE(texts.size(), 5u);
    EXPECT_EQ(texts[0], "This database is about to be upgraded to version 85.\r(Change print variable AmaErrMic).\r\r"
                        "Please be patient, this could take some time.");
    EXPECT_EQ(texts[1], "This database is succesfully upgraded to version 85.\r(Change print variable AmaErrMic).");
    // Step 85: its one statement ends in " <EXECUTE>", which is SQL text and fails.
    EXPECT_NE(texts[3].find(" database update error !\r"), String::npos);
    EXPECT_NE(texts[3].find("database could not be updated to version 86.\r"), String::npos);
    EXPECT_NE(texts[3].find("\r\rSQL= \"INSERT INTO STEPLOG VALUES (85)\r\n <EXECUTE>\", Message= \""), String::npos);
    EXPECT_EQ(texts[4], "This database could not be upgraded to version 86.");
    EXPECT_EQ(texts.back(), "This database with version 85 could not be upgraded by this version of " +
                                GetProductName() + " to database version 89.");
    EXPECT_FALSE(db.Connected());

    db.Open();
    EXPECT_EQ(form.GetDatabaseVersion(), 85);
    TQuery q;
    q.SetDatabase(&db);
    q.SQL.SetText("SELECT STEP FROM STEPLOG ORDER BY STEP");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1); // only step 84's row: the failed step left nothing
    EXPECT_EQ(q.Fields(0)->AsInteger(), 84);
    q.Close();

    // Repaired, the remaining steps run; step 86 fails on a rule and is rolled back whole.
    form.Memo(85).SetText("INSERT INTO STEPLOG VALUES (85)\n");
    boxes.Clear();
    form.UpgradeDatabase();
    db.Open();
    EXPECT_EQ(form.GetDatabaseVersion(), 86);
    q.Open();
    EXPECT_EQ(q.RecordCount(), 2);
    q.Close();
    form.Memo(86).SetText("INSERT INTO STEPLOG VALUES (86)\n<EXECUTE>\nUPDATE RUNS SET MAXITSWA=20");
    boxes.Clear();
    form.UpgradeDatabase();
    EXPECT_TRUE(db.Connected());
    EXPECT_EQ(form.GetDatabaseVersion(), 89);
    q.Open();
    EXPECT_EQ(q.RecordCount(), 5);
    EXPECT_FALSE(form.NeedsUpgrade(true));
}

TEST_F(DatabaseTest, UpgradeFromTheConnectorAsksOnceAndStepsWithoutStatementsFail)
{
    // Version 90: no step runs, the final message names it, and the file is not opened.
    Exec(databaseFile, "UPDATE DBINFO SET DBVERSION=90");
    boxes.Answer("OK");
    StartModule();
    EXPECT_FALSE(module->dbDatabase->Connected());
    std::vector<String> texts = BoxTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "The database \"" + databaseFile +
                            "\" needs updating.\rPerforming this update could invalidate all output !\r\r"
                            "Do you want to continue updating this database ?");
    EXPECT_EQ(texts[1], "This database with version 90 could not be upgraded by this version of " +
                            GetProductName() + " to database version 89.");
    EXPECT_EQ(texts[2], "You are not connected to a database, exiting " + GetProductName() + " !");
    module.reset();

    // Refusing the upgrade: no connection, no further question.
    Exec(databaseFile, "UPDATE DBINFO SET DBVERSION=88");
    boxes.Clear();
    boxes.Answer("Cancel");
    StartModule();
    EXPECT_FALSE(module->dbDatabase->Connected());
    EXPECT_EQ(boxes.Count(), 2);
    module.reset();

    // A historic step whose statements this program does not carry is not marked done.
    boxes.Clear();
    boxes.Answer("OK");
    StartModule();
    EXPECT_FALSE(module->dbDatabase->Connected());
    texts = BoxTexts();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_NE(texts[2].find("Message= \"The statements of this step are not part of this program\""), String::npos);
    EXPECT_EQ(texts[3], "This database could not be upgraded to version 89.");
}

TEST_F(DatabaseTest, TheFileStepRunsEveryLineAndSetsVersion77)
{
    const String updates = dir.file("install") + "/Updates";
    ForceDirectories(updates);
    WriteStringToFile(updates + "/Update_76_77.txt",
                      "UPDATE METEODATA SET ETREF=1.5 WHERE METEOSTATIONCODE='Brimvek' AND MDATE='2000-01-01'\n"
                      "UPDATE NOSUCHTABLE SET X=1\n"
                      "UPDATE METEODATA SET ETREF=2.5 WHERE METEOSTATIONCODE='Olvasto' AND MDATE='2000-01-01'\n");
    Exec(databaseFile, "UPDATE DBINFO SET DBVERSION=76");
    TDatabase db;
    TDBConnector(databaseFile).ConfigureDatabase(db, "TestConnection");
    db.Open();
    TfrmDBUpdate form(nullptr);
    form.SetDatabase(&db);
    for (int n = 77; n < 89; ++n)
        form.Memo(n).SetText("UPDATE DBINFO SET WEBSITE='step " + IntToStr(n) + "'\n");
    form.UpgradeDatabase();
    EXPECT_TRUE(db.Connected());
    EXPECT_EQ(form.GetDatabaseVersion(), 89);
    int errors = 0;
    for (const String& text : BoxTexts())
        errors += text.find("NOSUCHTABLE") != String::npos;
    EXPECT_EQ(errors, 1);
    TQuery q;
    q.SetDatabase(&db);
    q.SQL.SetText("SELECT SUM(ETREF) FROM METEODATA WHERE MDATE='2000-01-01'");
    q.Open();
    EXPECT_DOUBLE_EQ(q.Fields(0)->AsFloat(), 4.0);
}

// ---------------------------------------------------------------- the user's demo database

TEST_F(DatabaseTest, FirstStartMakesTheUsersDemoDatabase)
{
    setenv("QUELM_DATA_DIR", dir.file("data").c_str(), 1);
    const String expected = PathJoin(dir.file("data"), "Projects.vantor");
    EXPECT_EQ(DefaultDemoDatabasePath(), expected);
    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, databaseFile);
    EXPECT_EQ(ProvideDemoDatabase(), databaseFile); // the registered file exists: kept

    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, dir.file("removed.vantor"));
    EXPECT_EQ(ProvideDemoDatabase(), dir.file("removed.vantor")); // the connection reports it
    EXPECT_FALSE(FileExists(expected));
    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, "");
    EXPECT_EQ(ProvideDemoDatabase(), expected);
    EXPECT_TRUE(FileExists(expected));
    EXPECT_FALSE(FileExists(expected + ".part"));
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, REG_DATABASE), expected);
    EXPECT_THROW(CreateProjectDatabase(expected, true), EInOutError); // never overwritten
    EXPECT_EQ(ProvideDemoDatabase(), expected);
    unsetenv("QUELM_DATA_DIR");

    module.reset(New<TdmQuelm>(nullptr));
    EXPECT_TRUE(module->dbDatabase->Connected());
    EXPECT_EQ(module->DatabaseFileName(), expected);
    EXPECT_EQ(boxes.Count(), 0);
}

// The build's demo database is a template: the user works in a copy of their own that no
// later build or install touches.
TEST_F(DatabaseTest, TheUsersCopyOfTheDemoDatabaseOutlivesANewTemplate)
{
    const String templateFile = dir.file("build/demo/Projects.vantor");
    ForceDirectories(ExtractFileDir(templateFile));
    CopyFileTo(DemoTemplate(), templateFile, false);
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_DATABASE, templateFile);
    const String own = DefaultDemoDatabasePath();
    auto runName = [](const String& file) {
        TDatabase db;
        db.Params.Add("SERVER NAME=" + file);
        db.Open();
        TQuery q;
        q.SetDatabase(&db);
        q.SQL.SetText("SELECT NAME FROM RUNS WHERE RUNID=1");
        q.Open();
        return q.Fields(0)->AsString();
    };
    auto start = [&] {
        module.reset();
        SeedUserDatabaseValue();
        ProvideDemoDatabase();
        module.reset(New<TdmQuelm>(nullptr));
        ASSERT_TRUE(module->dbDatabase->Connected());
    };

    // first start: the template's path is seeded, and the user's copy is what opens
    start();
    EXPECT_EQ(module->DatabaseFileName(), own);
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, REG_DATABASE), own);
    module->tblProjects->Open();
    module->tblRuns->Open();
    LocateIntegerKey(module->tblRuns, 1);
    module->tblRuns->Edit();
    module->tblRuns->FieldByName("NAME")->SetAsString("my own run");
    module->ConfirmOff();
    module->tblRuns->Post();

    // a rebuild with changed demo SQL replaces the template
    module.reset();
    DeleteFile(templateFile);
    CopyFileTo(DemoTemplate(), templateFile, false);
    {
        TDatabase db;
        db.Params.Add("SERVER NAME=" + templateFile);
        db.Open();
        db.ExecSql("UPDATE RUNS SET NAME='new demo' WHERE RUNID=1");
    }

    start();
    EXPECT_EQ(module->DatabaseFileName(), own);
    module.reset();
    EXPECT_EQ(runName(own), "my own run");
    EXPECT_EQ(runName(templateFile), "new demo");

    // a user whose value still names the template (as earlier builds registered it) moves to
    // the copy, which is not replaced when it exists
    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, templateFile);
    EXPECT_EQ(ProvideDemoDatabase(), own);
    EXPECT_EQ(runName(own), "my own run");
    EXPECT_FALSE(FileExists(own + ".part"));
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(DatabaseTest, OptionListsThatEditorsShowByNameHaveANameForEveryRow)
{
    TDatabase db;
    db.Params.Add("SERVER NAME=" + databaseFile);
    db.Open();
    for (const char* table : {"OPTSHAPEGRWLEVS", "OPTCOFFRES", "CROPEVENTS", "APPLICATIONTYPES", "OPTDRAINAGETYPES"}) {
        SCOPED_TRACE(table);
        TQuery q;
        q.SetDatabase(&db);
        q.SQL.SetText(String("SELECT COUNT(*), SUM(CASE WHEN TRIM(COALESCE(NAME,''))='' THEN 1 ELSE 0 END) FROM ") + table);
        q.Open();
        EXPECT_GT(q.Fields(0)->AsInteger(), 0);
        EXPECT_EQ(q.Fields(1)->AsInteger(), 0);
        EXPECT_EQ(db.TableInfo(table)->Column("NAME")->size, 100);
    }
    // a drainage type's name is what the drainage editor stores as its code
    EXPECT_NO_THROW(db.ExecSql("UPDATE DRAINAGES SET OPTDRAINAGETYPECODE=(SELECT NAME FROM OPTDRAINAGETYPES "
                               "WHERE OPTDRAINAGETYPECODE='Tube')"));
}

} // namespace
