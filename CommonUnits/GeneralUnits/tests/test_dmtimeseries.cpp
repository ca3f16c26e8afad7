// The kernel's weather and irrigation side files against small golden files, and the imports
// of a location's groundwater-level and pressure-head series.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"

namespace {

String Fixture(const String& name)
{
    return quelmtest::SourceDir() + "/CommonUnits/GeneralUnits/tests/fixtures_dm/" + name;
}

// The third line of a weather file holds the time it was written.
String MaskTimeStamp(String text)
{
    size_t start = 0;
    for (int line = 0; line < 2; ++line)
        start = text.find("\r\n", start) + 2;
    const size_t end = text.find("\r\n", start);
    return text.substr(0, start) + "* <time stamp>" + text.substr(end);
}

class SideFiles : public DataModuleTest {};

TEST_F(SideFiles, MeteoFileMatchesItsGoldenFile)
{
    module->dbDatabase->ExecSql("INSERT INTO METEOSTATIONS (METEOSTATIONCODE, NAME, EVAPORATIONOPTIONCODE, LOCKED) "
                                "VALUES ('Gold', 'Golden test station', 'Input', 'No')");
    // Values wider than their column are written whole with one blank after them.
    module->dbDatabase->ExecSql(
        "INSERT INTO METEODATA (METEOSTATIONCODE, MDATE, RDD, TMMN, TMMX, VP, WN, RAIN, ETREF) VALUES "
        "('Gold', '2002-02-06', 1234567.8, 12.125, 1234567, 0.75, 0.00001, 0, 1.2), "
        "('Gold', '2002-02-05', 12345.6, -3.5, 7, 0.75, 2.25, 10.5, 0.4), "
        "('Gold', '2002-12-31', 0, -12, -1.5, 1, 3, 0.1, 0)");
    const String path = module->WriteMeteoFile("Gold");
    EXPECT_EQ(path, ExpandFileName(JoinPath(GetWorkDir(), "Gold.met")));
    const String written = ReadFileToString(path);
    const size_t third = written.find("\r\n", written.find("\r\n") + 2) + 2;
    EXPECT_EQ(written.substr(third, written.find("\r\n", third) - third), "* 04/03/2026 10:20:30");
    EXPECT_EQ(MaskTimeStamp(written), ReadFileToString(Fixture("Gold.met")));
    EXPECT_FALSE(FileExists(path + ".part"));
}

TEST_F(SideFiles, IrrigationFileMatchesItsGoldenFile)
{
    module->dbDatabase->ExecSql("INSERT INTO IRRIGATIONSCHEMES (IRRIGATIONSCHEMECODE, IRRIGATIONTYPECODE, LOCKED) "
                                "VALUES ('GoldIrr', 'Sprinkler', 'No'), ('Dry', 'Sprinkler', 'No')");
    module->dbDatabase->ExecSql("INSERT INTO IRRIGATIONS (IRRIGATIONSCHEMECODE, MDATE, AMOUNT) VALUES "
                                "('GoldIrr', '2002-07-15', 20), ('GoldIrr', '2002-02-05', 5.5)");
    module->WriteIrrigationFile("GoldIrr");
    EXPECT_EQ(ReadFileToString(JoinPath(GetWorkDir(), "GoldIrr.irr")), ReadFileToString(Fixture("GoldIrr.irr")));
    module->WriteIrrigationFile("Dry");
    EXPECT_EQ(ReadFileToString(JoinPath(GetWorkDir(), "Dry.irr")), "table IrrTab (mm)\r\nend_table\r\n");
}

TEST_F(SideFiles, AFailedMeteoFileLeavesNoFileBehind)
{
    const String path = JoinPath(GetWorkDir(), "Brimvek.met");
    WriteStringToFile(path, "an old file");
    // The weather query fails: its table is gone.
    module->dbDatabase->ExecSql("ALTER TABLE METEODATA RENAME TO METEODATA_GONE");
    module->dbDatabase->InvalidateSchema();
    EXPECT_EQ(module->WriteMeteoFile("Brimvek"), "");
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(FileExists(path + ".part"));
}

// ---------------------------------------------------------------- imports

// The reader of import files on its own, without the module's dialogs or tables.
TEST(SeriesImportFile, ReadsDataLinesAndNamesTheFirstBadOne)
{
    quelmtest::TempDir dir;
    struct Case {
        const char* text;
        size_t rows;         // data lines read
        const char* problem; // the start of the problem text; empty when every line was read
    } cases[] = {
        {"* header\r\n\r\n5 2 2002 -100\r\n  6  2  2002  -95.5  \r\n", 2, ""},
        {"29 2 2004 1e2\n", 1, ""},
        {"5 2 2002 -100\n29 2 2003 1\n", 1, "Line 2 of the file"},     // no 29 February in 2003
        {"5 2 2002 -100\n6 2 2002 deep\n", 1, "Line 2 of the file"},
        {"5 2 2002\n", 0, "Line 1 of the file"},
        {"5 2 70000 1\n", 0, "Line 1 of the file"},                     // a year beyond 65535
        {"5 -2 2002 1\n", 0, "Line 1 of the file"},
        {"5 2 2002 1\n* a late comment\n", 1, "Line 2 of the file"},
        {"", 0, "The file"},
        {"* only\n* comments\n", 0, "The file"},
    };
    for (const Case& c : cases) {
        const String path = dir.file("series.txt");
        WriteStringToFile(path, c.text);
        std::vector<TSeriesImportRow> rows;
        const String problem = ReadSeriesImportFile(path, rows);
        EXPECT_EQ(rows.size(), c.rows) << c.text;
        if (*c.problem)
            EXPECT_EQ(problem.rfind(c.problem, 0), 0u) << problem;
        else
            EXPECT_EQ(problem, "") << c.text;
    }
    std::vector<TSeriesImportRow> rows;
    const String path = dir.file("good.txt");
    WriteStringToFile(path, "*   day month year level\n7 2 2002 -90\n");
    ASSERT_EQ(ReadSeriesImportFile(path, rows), "");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].line, 2);
    EXPECT_EQ(rows[0].day, EncodeDate(2002, 2, 7));
    EXPECT_EQ(rows[0].value, "-90");
}

class SeriesImport : public DataModuleTest {
protected:
    void SetUp() override
    {
        DataModuleTest::SetUp();
        SetOpenFileDialog([this](TOpenFileRequest& request) {
            requests.push_back(request);
            if (answer.empty())
                return false;
            request.FileName = answer;
            return true;
        });
        module->tblLocations->Open();
        ASSERT_TRUE(module->tblLocations->Locate("LOCATIONCODE", QString("Torrsund"), 0));
        module->tblLocLboGroundWaters->Open();
        module->tblLocLboGroundWaterTS->Open();
        module->tblLocLboDirichlets->Open();
        module->tblLocLboDirichletTS->Open();
    }
    void TearDown() override
    {
        SetOpenFileDialog(nullptr);
        DataModuleTest::TearDown();
    }
    String File(const String& text)
    {
        answer = dir.file("series.txt");
        WriteStringToFile(answer, text);
        return answer;
    }
    String Series(const char* table, const char* value)
    {
        return Value(String("SELECT GROUP_CONCAT(MDATE || '=' || ") + value + ", ' ') FROM (SELECT * FROM " + table +
                     " WHERE LOCATIONCODE='Torrsund' ORDER BY MDATE)");
    }

    std::vector<TOpenFileRequest> requests;
    String answer;
};

TEST_F(SeriesImport, GoodFileReplacesTheSeries)
{
    File("* groundwater levels of Torrsund\r\n*   day month year level\r\n5    2    2002    -100\r\n"
         "6 2 2002 -95.5\r\n  7  2  2002  -90  \r\n");
    boxes.Answer("Yes");
    module->ImportGroundwaterLevels("Torrsund");
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Boxes()[0].Buttons, (std::vector<String>{"Yes", "No"}));
    EXPECT_EQ(boxes.Boxes()[0].Text.find("Important:\rImporting Groundwater data will erase any existing groundwater "
                                         "data for the\rselected location: Torrsund\r"),
              0u);
    EXPECT_NE(boxes.Boxes()[0].Text.find("\r5    2    2002    -100\rin the input file.\r"), String::npos);
    EXPECT_EQ(boxes.Last().Text, "Imported: 3 record(s)");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Title, "Import groundwater level data");
    EXPECT_EQ(Series("LOCATIONLBOGROUNDWATERTS", "GRWLEV"), "2002-02-05=-100.0 2002-02-06=-95.5 2002-02-07=-90.0");
    // The dates are the days themselves.
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERTS WHERE MDATE=" + SqlDateLiteral(EncodeDate(2002, 2, 6))),
              1);
    EXPECT_EQ(module->tblLocLboGroundWaterTS->RecordCount(), 3);
    EXPECT_TRUE(module->ConfirmEnabled());
}

TEST_F(SeriesImport, OneDataLineIsImported)
{
    File("5 2 2002 -120");
    boxes.Answer("Yes");
    module->ImportPressureHeads("Torrsund");
    EXPECT_EQ(boxes.Last().Text, "Imported: 1 record(s)");
    EXPECT_EQ(Series("LOCATIONLBODIRICHLETTS", "MVALUE"), "2002-02-05=-120.0");
    EXPECT_EQ(requests[0].Title, "Import pressure head data");
    EXPECT_NE(boxes.Boxes()[0].Text.find("Importing Pressure head at the lower boundary data will erase any existing "
                                         "pressure head data for the\r"),
              String::npos);
}

TEST_F(SeriesImport, BadFilesLeaveTheOldSeriesWithAMessageNamingTheLine)
{
    const String before = Series("LOCATIONLBOGROUNDWATERTS", "GRWLEV");
    ASSERT_EQ(before, "1900-01-01=-100.0 2099-12-31=-100.0");
    struct Case {
        const char* text;
        const char* message; // the start of the error message
    } cases[] = {
        {"5 2 2002 -100\n31 2 2002 -90\n", "Line 2 of the file"},
        {"5 2 2002 -100\n6 2 2002 deep\n", "Line 2 of the file"},
        {"* comment\n5 2 2002\n", "Line 2 of the file"},
        {"5 2 2002 -100\n6 x 2002 -100\n", "Line 2 of the file"},
        {"5 2 2002 -100\n* a late comment\n", "Line 2 of the file"},
        {"5 2 2002 -100\n5 2 2002 -90\n", "Line 2 of the file"}, // the same day twice
        {"", "The file"},
        {"* only\n* comments\n", "The file"},
    };
    for (const Case& c : cases) {
        boxes.Clear();
        File(c.text);
        boxes.Answer("Yes");
        module->ImportGroundwaterLevels("Torrsund");
        ASSERT_EQ(boxes.Count(), 2) << c.text;
        EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Error);
        EXPECT_EQ(boxes.Last().Text.rfind(c.message, 0), 0u) << boxes.Last().Text;
        EXPECT_NE(boxes.Last().Text.find("The existing data are unchanged."), String::npos) << boxes.Last().Text;
        EXPECT_EQ(Series("LOCATIONLBOGROUNDWATERTS", "GRWLEV"), before) << c.text;
        EXPECT_FALSE(module->dbDatabase->InTransaction());
    }
    EXPECT_EQ(module->tblLocLboGroundWaterTS->RecordCount(), 2);
}

TEST_F(SeriesImport, NoAtTheQuestionOrNoFileChangesNothing)
{
    File("5 2 2002 -100\n");
    boxes.Answer("No");
    module->ImportGroundwaterLevels("Torrsund");
    EXPECT_TRUE(requests.empty());
    answer.clear();
    boxes.Answer("Yes");
    module->ImportGroundwaterLevels("Torrsund");
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(Series("LOCATIONLBOGROUNDWATERTS", "GRWLEV"), "1900-01-01=-100.0 2099-12-31=-100.0");
}

} // namespace
