// The data module's per-run queries and lookups on the demo database.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

namespace {

class PerRunQueries : public DataModuleTest {};

// Every factory opens, and every column that its users read by name is there with a value
// of the right kind (dates as dates, numbers as numbers).
TEST_F(PerRunQueries, EveryFactoryOpensAndItsColumnsReadByName)
{
    TdmQuelm& m = *module;
    struct Case {
        const char* name;
        std::function<bool(TQuery*)> open;
        int rows;
        std::vector<const char*> columns;
        const char* firstValues; // the named columns of the first row, as text, joined by '|'
    } cases[] = {
        {"QuerySubstanceOfRun", [&](TQuery* q) { return m.QuerySubstanceOfRun(1, q); }, 1, {"SUBSTANCECODE"}, "PARA"},
        {"QueryApplicationsAbsolute", [&](TQuery* q) { return m.QueryApplicationsAbsolute(1, q); }, 6,
         {"APPLICATIONTYPECODE", "DOSAGE"}, nullptr},
        {"QueryApplicationsRelative", [&](TQuery* q) { return m.QueryApplicationsRelative(2, q); }, -1,
         {"CROPCALENDARSEQNO", "CROPEVENTCODE", "DATERELATIVE"}, nullptr},
        {"QueryCntSysEql", [&](TQuery* q) { return m.QueryCntSysEql(1, q); }, -1, {"Z", "CNTSYSEQL"}, nullptr},
        {"QueryCntSysNeq", [&](TQuery* q) { return m.QueryCntSysNeq(1, q); }, -1, {"Z", "CNTSYSNEQ"}, nullptr},
        {"QueryCrop", [&](TQuery* q) { return m.QueryCrop("Maize", q); }, 1, {"CROPCODE", "HLIM1"}, "Maize|-15"},
        {"QueryCropRootDensities", [&](TQuery* q) { return m.QueryCropRootDensities("Maize", q); }, -1,
         {"RELATIVEDEPTH", "ROOTDENSITY"}, nullptr},
        {"QueryCalendarCrops", [&](TQuery* q) { return m.QueryCalendarCrops("Maize", q); }, 1,
         {"CULTIVATIONSEQUENCEXCROPID", "CROPCODE", "EMERGENCEDATEINYEAR"}, nullptr},
        {"QueryCropStages", [&](TQuery* q) { return m.QueryCropStages(1, q); }, -1, {"DEVELOPMENTSTAGE", "LAI"}, nullptr},
        {"QueryDepositions", [&](TQuery* q) { return m.QueryDepositions("Drift_Low", q); }, 6, {"MDATE", "FLMDEP"},
         "01/05/2000|0.0005"},
        {"QueryDrainages", [&](TQuery* q) { return m.QueryDrainages("Vellmark", q); }, 2,
         {"DRAINAGELEVEL", "ZDRA", "OPTDRAINAGETYPECODE"}, nullptr},
        {"QueryIrrigationTypeOfRun", [&](TQuery* q) { return m.QueryIrrigationTypeOfRun(1, q); }, 1,
         {"IRRIGATIONTYPECODE", "IRRIGATIONSCHEMECODE"}, "No|No"},
        {"QueryDirichletSeries", [&](TQuery* q) { return m.QueryDirichletSeries("Torrsund", q); }, 24,
         {"MDATE", "MVALUE"}, nullptr},
        {"QueryGroundwaterSeries", [&](TQuery* q) { return m.QueryGroundwaterSeries("Vellmark", q); }, 24,
         {"MDATE", "GRWLEV"}, nullptr},
        {"QueryLocationOfRun", [&](TQuery* q) { return m.QueryLocationOfRun(1, q); }, 1,
         {"LOCATIONCODE", "METEOSTATIONCODE", "LBONAMECODE"}, nullptr},
        {"QueryMeteoStationOfRun", [&](TQuery* q) { return m.QueryMeteoStationOfRun(1, q); }, 1,
         {"METEOSTATIONCODE", "LATITUDE", "ALTITUDE"}, nullptr},
        {"QueryOutputDepths", [&](TQuery* q) { return m.QueryOutputDepths(1, q); }, -1, {"OUTPUTDEPTH"}, nullptr},
        {"QueryPrintVariables", [&](TQuery* q) { return m.QueryPrintVariables(1, q); }, 1, {"RUNID", "GRWLEV"}, nullptr},
        {"QueryVertProfDates", [&](TQuery* q) { return m.QueryVertProfDates(1, q); }, -1, {}, nullptr},
        {"QuerySoilHorizonsOfRun", [&](TQuery* q) { return m.QuerySoilHorizonsOfRun(1, q); }, -1,
         {"SOILPROFILECODE", "LOCATIONCODE", "ZPNDMAX", "FACEVPSOL", "COFREDEVP", "HORIZONSEQNO", "THICKNESS",
          "COMPARTMENTCNT", "LENDISLIQ", "SOILBUILDINGBLOCKCODE", "THETASAT", "RHO"},
         nullptr},
        {"QuerySubstance", [&](TQuery* q) { return m.QuerySubstance("PARA", q); }, 1, {"SUBSTANCECODE", "MOLMAS"},
         nullptr},
        {"QueryTransformations", [&](TQuery* q) { return m.QueryTransformations("PARA", q); }, 1,
         {"SUBSTANCECODEOUT", "FRAPRTDAU"}, nullptr},
        {"QueryDaughters", [&](TQuery* q) { return m.QueryDaughters("PARA", q); }, 1, {"SUBSTANCECODEOUT", "FRAPRTDAU"},
         nullptr},
        {"QueryTillagesOfRun", [&](TQuery* q) { return m.QueryTillagesOfRun(1, q); }, -1, {"MDATE", "DEPTH"}, nullptr},
        {"QuerySoilProfileDetail", [&](TQuery* q) { return m.QuerySoilProfileDetail("SoilTortMillQuirk", "HeathSand", q); },
         1, {"SOILPROFILECODE", "EXPDIFLIQMILNOM"}, nullptr},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TQuery> q(module->NewQuery());
        ASSERT_TRUE(c.open(q.get())) << c.name;
        if (c.rows >= 0)
            EXPECT_EQ(q->RecordCount(), c.rows) << c.name;
        else
            EXPECT_GT(q->RecordCount(), 0) << c.name;
        String first;
        for (const char* column : c.columns) {
            TField* f = q->FindField(column);
            ASSERT_NE(f, nullptr) << c.name << " " << column;
            EXPECT_FALSE(f->IsNull()) << c.name << " " << column;
            first += (first.empty() ? "" : "|") + f->AsString();
        }
        if (c.firstValues)
            EXPECT_EQ(first, c.firstValues) << c.name;
    }
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(PerRunQueries, SeriesDatesReadAsDatesAndComeInOrder)
{
    std::unique_ptr<TQuery> q(module->NewQuery());
    ASSERT_TRUE(module->QueryGroundwaterSeries("Vellmark", q.get()));
    TDateTime previous = 0;
    for (; !q->Eof(); q->Next()) {
        const TDateTime date = q->FieldByName("MDATE")->AsDateTime();
        EXPECT_GT(date, previous);
        previous = date;
    }
    ASSERT_TRUE(module->QueryDirichletSeries("Torrsund", q.get()));
    EXPECT_GT(q->FieldByName("MDATE")->AsDateTime(), EncodeDate(1899, 12, 31));
}

TEST_F(PerRunQueries, ValueLookups)
{
    EXPECT_EQ(module->EvaporationOptionOfRun(1), "Input");
    EXPECT_EQ(module->DateFormatOfRun(1), Value("SELECT DESCRIPTION FROM OPTDATEFORMATS WHERE OPTDATEFORMATCODE='DaysFromSta'"));
    EXPECT_EQ(module->SubstanceCodeOfRun(1), "PARA");
    EXPECT_EQ(module->PrintVariableName("grwLEV"), Value("SELECT VARIABLENAME FROM RUNPRINTVARIABLESDICTIONARY WHERE "
                                                        "UPPER(VARIABLENAME)='GRWLEV'"));
    EXPECT_EQ(module->PrintVariableName("NoSuchVariable"), "");
    EXPECT_EQ(module->DayMonthOfDateInYear("1 Feb"), "01-Feb");
    EXPECT_EQ(module->DayMonthOfDateInYear("10 Feb"), "10-Feb");
    EXPECT_EQ(module->NewKeyValue("Runs", "RunID"), Count("SELECT MAX(RUNID) FROM RUNS") + 1);
    module->dbDatabase->ExecSql("INSERT INTO PROJECTS (PROJECTID, LOCKED) VALUES (41, 'No')");
    EXPECT_EQ(module->NewKeyValue("Projects", "ProjectID"), 42);

    TTable* runs = module->tblRuns;
    TTable* locations = module->tblLocations;
    EXPECT_EQ(module->LookupString(runs, 1, "LOCATIONCODE", "RUNID"), "Vellmark");
    EXPECT_EQ(module->LookupInteger(runs, 2, "PROJECTID", "RUNID"), 1);
    EXPECT_EQ(module->LookupDate(runs, 1, "TIMSTART", "RUNID"), EncodeDate(2000, 1, 1));
    EXPECT_TRUE(module->LookupYesNoByCode(locations, "Vellmark", "LOCKED", "LOCATIONCODE"));
    EXPECT_FALSE(module->LookupYesNo(runs, 99, "DETAILEDOUTPUT", "RUNID"));
    EXPECT_EQ(module->LookupStringByCode(locations, "Nowhere", "NAME", "LOCATIONCODE"), "");
    EXPECT_EQ(module->LookupFloatByCode(module->tblMeteoStations, "Brimvek", "LATITUDE", "METEOSTATIONCODE"), 51.8);
    EXPECT_EQ(module->LookupValueByCode(locations, "'Torrsund'", "LBONAMECODE", "LOCATIONCODE").toString(),
              QString("Dirichlet"));
}

TEST_F(PerRunQueries, CodesAreQuotedAndFailuresReported)
{
    std::unique_ptr<TQuery> q(module->NewQuery());
    EXPECT_TRUE(module->QuerySubstance("X'1", q.get()));
    EXPECT_TRUE(q->IsEmpty());
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_FALSE(module->QuerySoilProfileDetail("NoSuchTable", "HeathSand", q.get()));
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text.rfind("Error in query.\rSQL= \"SELECT NoSuchTable.*", 0), 0u) << boxes.Last().Text;
}

} // namespace
