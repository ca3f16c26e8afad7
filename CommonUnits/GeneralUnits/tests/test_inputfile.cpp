// The model input file: the text forms of values, golden files of the demo runs (input file
// and side files), the kernel reading them, and the refusals of broken scenario data.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "CommonUnits/GeneralUnits/DemoDatabase.h"
#include "CommonUnits/GeneralUnits/InputFile.h"
#include "CommonUnits/GeneralUnits/KernelRun_Unit.h"
#include "CommonUnits/GeneralUnits/Metaboliet.h"
#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Vantor6_5_Install_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"
#include "CommonUnits/GeneralUnits/secCompound.h"
#include "CommonUnits/GeneralUnits/secDrainage.h"
#include "CommonUnits/GeneralUnits/secLBO.h"
#include "CommonUnits/GeneralUnits/secManagement.h"
#include "CommonUnits/GeneralUnits/secOutput.h"
#include "CommonUnits/GeneralUnits/secSoil.h"

#include "platform/db/DBTables.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinVersion.h"

#include <filesystem>
#include <map>
#include <memory>

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- text forms of values

TEST(InputFileValueForms, EveryFormInItsColumn)
{
    struct Case {
        String text;
        String expected;
    } cases[] = {
        {FloatField(1.0, 18), "1.0" + String(15, ' ')},
        {FloatField(0.0, 18), "0.0" + String(15, ' ')},
        {FloatField(5, 0), "5.0 "},
        {FloatField(-3, 0), "-3.0 "},
        {FloatField(0.5, 0), "0.5 "},
        {FloatField(90, 0), "90.0 "},
        {FloatField(0.25, 18), "0.25" + String(14, ' ')},
        {FloatField(0.0001, 18), "0.0001" + String(12, ' ')},
        {FloatField(0.00001, 18), "1E-5" + String(14, ' ')},
        {FloatField(2.5E-7, 0), "2.5E-7 "},
        {FloatField(1E15, 0), "1E15 "},
        {FloatField(1E20, 18), "1E20" + String(14, ' ')},
        {FloatField(1E10, 0), "10000000000 "}, // whole, but beyond 32 bits: no ".0"
        {FloatField(2147483647.0, 0), "2147483647.0 "},
        {FloatField(-2147483648.0, 0), "-2147483648.0 "},
        {FloatField(2147483648.0, 0), "2147483648 "},
        {FloatField(1.0 / 3.0, 0), "0.333333333333333 "},
        {PadRight(String(18, 'x'), 18), String(18, 'x') + " "}, // as wide as the column: one blank
        {PadRight(String(20, 'x'), 18), String(20, 'x') + " "},
        {PadRight("", 18), String(18, ' ')},
        {PadRight(String(17, 'x'), 17), String(17, 'x') + " "}, // the compound section's column
        {IntField(-12, 18), "-12" + String(15, ' ')},
        {YesNoField(true, 18), "Yes" + String(15, ' ')},
        {YesNoField(false, 18), "No" + String(16, ' ')},
        {DateField(EncodeDate(2003, 3, 5), 18), "05-Mar-2003" + String(7, ' ')},
        {DateField(EncodeDate(2000, 12, 31), 13), "31-Dec-2000  "},
        {FormatDateDMY(EncodeDate(1999, 1, 1)), "01-Jan-1999"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, c.expected);
}

TEST(InputFileValueForms, SectionHeaderAndRule)
{
    class TEmpty : public TSection {
    public:
        using TSection::TSection;
        void WriteBody(TStrings* list, int) override
        {
            if (list != nullptr)
                list->Add("body");
        }
    } section("4a", "Lower boundary flux");
    TStringList lines;
    section.WriteSection(&lines, 1);
    ASSERT_EQ(lines.Count(), 5);
    EXPECT_EQ(lines[0], "*" + String(79, '-'));
    EXPECT_EQ(lines[0].size(), 80u);
    EXPECT_EQ(lines[1], "* Section 4a: Lower boundary flux");
    EXPECT_EQ(lines[2], lines[0]);
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "body");
    section.WriteSection(nullptr, 1); // no list: nothing happens
}

// ---------------------------------------------------------------- the demo database

std::vector<String> SplitLines(const String& text)
{
    std::vector<String> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == String::npos)
            end = text.size();
        String line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        from = end + 1;
    }
    return lines;
}

// Compares two texts line by line (line ends included): a failure names the first line that
// differs and shows both versions of it.
void ExpectSameLines(const String& written, const String& golden, const String& what)
{
    if (written == golden)
        return;
    const std::vector<String> a = SplitLines(written), b = SplitLines(golden);
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const String left = i < a.size() ? a[i] : String("<end of file>");
        const String right = i < b.size() ? b[i] : String("<end of file>");
        if (left != right) {
            ADD_FAILURE() << what << ": line " << i + 1 << " differs\n  written: " << left << "\n  golden:  " << right;
            return;
        }
    }
    ADD_FAILURE() << what << ": same lines, different line ends";
}

// Writes a golden file anew and prints what changed in it.
void UpdateGolden(const String& path, const String& text)
{
    const String old = FileExists(path) ? quelmtest::ReadFileBytes(path) : String();
    if (old == text)
        return;
    const std::vector<String> a = SplitLines(old), b = SplitLines(text);
    std::printf("golden %s rewritten (%zu lines, was %zu)\n", path.c_str(), b.size(), a.size());
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        if (i < a.size() && i < b.size() && a[i] == b[i])
            continue;
        if (i < a.size())
            std::printf("  -%zu: %s\n", i + 1, a[i].c_str());
        if (i < b.size())
            std::printf("  +%zu: %s\n", i + 1, b[i].c_str());
    }
    fs::create_directories(fs::path(path).parent_path());
    quelmtest::WriteFileBytes(path, text);
}

// The header lines of a meteo file, before its daily rows.
constexpr int kMeteoHeaderLines = 6;

// A meteo file's header, its first ten rows and its last row, with a marker for the rows left out.
String MeteoExcerpt(const String& text)
{
    const std::vector<String> lines = SplitLines(text);
    const size_t head = std::min(lines.size(), size_t(kMeteoHeaderLines + 10));
    String excerpt;
    for (size_t i = 0; i < head; ++i)
        excerpt += lines[i] + "\r\n";
    if (lines.size() > head + 1)
        excerpt += "... " + IntToStr(int(lines.size() - head - 1)) + " rows ...\r\n";
    if (lines.size() > head)
        excerpt += lines.back() + "\r\n";
    return excerpt;
}


String InputFileGoldenDir()
{
    return quelmtest::SourceDir() + "/CommonUnits/GeneralUnits/tests/golden/inputfile";
}

// The generation time in the first lines of the input file and the meteo file.
String MaskGenerationTime(const String& text)
{
    TStringList lines;
    lines.SetText(text);
    for (int i = 0; i < std::min(lines.Count(), 4); ++i) {
        const String line = lines[i];
        const size_t on = line.find(" on ");
        if (line.rfind("* Generated by user interface version ", 0) == 0 && on != String::npos)
            lines.Put(i, line.substr(0, on) + " on <time>");
        else if (i == 2 && line.rfind("* ", 0) == 0 && line.find('/') != String::npos)
            lines.Put(i, "* <time>");
    }
    return lines.Text();
}

class InputFileTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        TVersionInfo::DestroySingleton();
        TVersionInfo::CreateSingleton();
        PrepareEmbeddedEngine(dir);
        CopyFileTo(DemoTemplate(), databaseFile, false);
        WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, databaseFile);
        SetClockForTesting([] { return EncodeDate(2026, 12, 10) + 0.5; });
        module.reset(New<TdmQuelm>(nullptr));
        ASSERT_TRUE(module->dbDatabase->Connected());
        module->tblProjects->Open();
        module->tblRuns->Open();
    }
    void TearDown() override
    {
        module.reset();
        SetClockForTesting(nullptr);
        ResetEmbeddedServer();
        TDBConnector::ReconnectWaitMs = 2000;
        TVersionInfo::DestroySingleton();
        SettingsTest::TearDown();
    }

    // Positions the Runs table on the run, as the calculation does, and writes its file.
    String WriteRun(int runId)
    {
        const int project = module->LookupInteger(module->tblRuns, runId, "ProjectID", "RunID");
        EXPECT_TRUE(module->tblProjects->Locate("PROJECTID", Variant(project), 0));
        EXPECT_TRUE(module->tblRuns->Locate("RUNID", Variant(runId), 0));
        TInputFile file(runId, InputFilePath(runId));
        file.WriteInputFile();
        return InputFilePath(runId);
    }

    template <class Section>
    std::vector<String> Body(int runId)
    {
        Section section("x", "x");
        TStringList lines;
        section.WriteBody(&lines, runId);
        std::vector<String> body;
        for (int i = 0; i < lines.Count(); ++i)
            body.push_back(lines[i]);
        return body;
    }

    void Exec(const String& sql) { module->dbDatabase->ExecSql(sql); }
    String WorkFile(const String& name) const { return JoinPath(GetWorkDir(), name); }

    TVersionResource version{2, 1, 2, 10};
    std::unique_ptr<TdmQuelm> module;
};

// ---------------------------------------------------------------- golden files

// The demo runs cover every lower boundary (1 GrwLev, 2 Dirichlet, 3 Flux, 4 Cauchy,
// 5 FncGrwLev), drained (1) and undrained locations, a metabolite tree with all three
// sorption options (1) and a metabolite applied itself (5), no substance (3), absolute (1, 5)
// and relative applications (2, 4), a two-crop calendar (4), irrigation from data (2, 5) and
// automatic (3, 4), every output-depth choice and the profile switches on (1, 4) and off (5).
// QUELM_UPDATE_GOLDEN=1 rewrites the golden files from the current writer and prints what
// changed. A meteo file holds six years of daily rows that the writer makes alike, so its golden
// file is an excerpt (the header, the first rows and the last row); its row count is checked
// against the station's rows in the database.
TEST_F(InputFileTest, DemoRunsEqualTheirGoldenFiles)
{
    struct Run {
        int id;
        std::vector<String> sideFiles;
    } runs[] = {
        {1, {"1.bot", "Brimvek.met"}},
        {2, {"2.bot", "Olvasto.met", "Summer_Data.irr"}},
        {3, {"Olvasto.met"}},
        {4, {"Brimvek.met"}},
        {5, {"Olvasto.met", "Summer_Data.irr"}},
    };
    const bool update = std::getenv("QUELM_UPDATE_GOLDEN") != nullptr;
    for (const Run& run : runs) {
        for (const auto& entry : fs::directory_iterator(GetWorkDir()))
            fs::remove(entry.path());
        WriteRun(run.id);
        std::vector<String> files = run.sideFiles;
        files.insert(files.begin(), InputFileName(run.id));
        for (const String& name : files) {
            ASSERT_TRUE(FileExists(WorkFile(name))) << name;
            String written = MaskGenerationTime(quelmtest::ReadFileBytes(WorkFile(name)));
            String goldenName = name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".met") == 0) {
                const String station = name.substr(0, name.size() - 4);
                TQuery q;
                q.SetDatabase(module->dbDatabase);
                q.SQL.SetText("SELECT COUNT(*) FROM METEODATA WHERE METEOSTATIONCODE='" + station + "'");
                q.Open();
                const int days = StrToInt(q.Fields(0)->AsString());
                EXPECT_EQ(int(SplitLines(written).size()), kMeteoHeaderLines + days) << name;
                written = MeteoExcerpt(written);
                goldenName += ".excerpt";
            }
            const String golden = InputFileGoldenDir() + "/" + goldenName;
            if (update) {
                UpdateGolden(golden, written);
                continue;
            }
            ASSERT_TRUE(FileExists(golden)) << golden;
            ExpectSameLines(written, quelmtest::ReadFileBytes(golden), "run " + IntToStr(run.id) + ": " + goldenName);
        }
        // No side file beyond the ones named.
        int count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(GetWorkDir()))
            ++count;
        EXPECT_EQ(count, static_cast<int>(files.size())) << "run " << run.id;
    }
}

// The meteo file's rows as the demo station writes them: its header, then one row a day with the
// station in quotes and the date, in fixed columns.
TEST_F(InputFileTest, MeteoFileRowsAreOneADayInFixedColumns)
{
    WriteRun(1);
    const std::vector<String> lines = SplitLines(quelmtest::ReadFileBytes(WorkFile("Brimvek.met")));
    ASSERT_GT(lines.size(), size_t(kMeteoHeaderLines + 365));
    EXPECT_EQ(lines[1], "* Contents: Meteo data of 'Brimvek'     weather station");
    int day = 0;
    TDateTime expected = EncodeDate(2000, 1, 1);
    for (size_t i = kMeteoHeaderLines; i < lines.size(); ++i, ++day, expected += 1) {
        const String& line = lines[i];
        ASSERT_EQ(line.size(), lines[kMeteoHeaderLines].size()) << "line " << i + 1 << ": " << line;
        ASSERT_EQ(line.rfind("'Brimvek'", 0), 0u) << "line " << i + 1;
        int y = 0, m = 0, d = 0;
        DecodeDate(expected, y, m, d);
        char date[32];
        std::snprintf(date, sizeof date, "%4d%3d%5d", d, m, y);
        ASSERT_EQ(line.substr(12, 12), String(date)) << "line " << i + 1 << ": " << line;
    }
}

TEST_F(InputFileTest, HeaderCharacterisesTheRunAndLinesEndInCrLf)
{
    const String text = quelmtest::ReadFileBytes(WriteRun(5));
    EXPECT_EQ(text.rfind("*-------", 0), 0u);
    EXPECT_NE(text.find("\r\n* Generated by user interface version RavuzAVEDE 2.1.2 (April 2016) on 10/12/2026 12:00:00\r\n"),
              String::npos);
    EXPECT_NE(text.find("\r\n* RUNID = 5\r\n* PROJECTID = 2\r\n"), String::npos);
    EXPECT_NE(text.find("\r\n* TIMSTART = 01/01/2000\r\n"), String::npos);
    EXPECT_NE(text.find("\r\n* AMASYSEND = 0.001\r\n"), String::npos);
    EXPECT_NE(text.find("\r\n* COMMENTS = Flux from the groundwater level; the metabolite applied itself\r\n"),
              String::npos);
    EXPECT_NE(text.find("\r\n* ZGRWLEVSTA = -250\r\n"), String::npos); // reals without ".0"
    EXPECT_NE(text.find("\r\n* End of RavuzAVEDE input file\r\n*---"), String::npos);
    // Every line ends in CR LF, also the last.
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    size_t lf = 0;
    while ((lf = text.find('\n', lf + 1)) != String::npos)
        EXPECT_EQ(text[lf - 1], '\r');

    // A null field ends in " = "; line breaks in a text stay inside its one comment line;
    // writing again gives the same file.
    Exec("UPDATE RUNS SET MODELERRORTEXT=NULL, COMMENTS='Two lines:' || CHAR(13) || CHAR(10) || '* the second' || "
         "CHAR(10) || 'and a third' WHERE RUNID=5");
    module->tblRuns->Refresh();
    const String again = quelmtest::ReadFileBytes(WriteRun(5));
    EXPECT_NE(again.find("\r\n* MODELERRORTEXT = \r\n"), String::npos);
    EXPECT_NE(again.find("\r\n* COMMENTS = Two lines: * the second and a third\r\n"), String::npos);
    const String first = again;
    EXPECT_EQ(quelmtest::ReadFileBytes(WriteRun(5)), first);
}

TEST_F(InputFileTest, AnUnwritableFileRaisesTheInputOutputError)
{
    TInputFile file(1, dir.file("no/such/folder/1.qmi"));
    EXPECT_THROW(file.WriteInputFile(), EInOutError);
}

// The stand-in kernel reads every demo run's input as the real kernel would.
TEST_F(InputFileTest, TheKernelAcceptsTheDemoRuns)
{
    const fs::path built = fs::path(GetExeDir()) / ".." / ".." / "bin" / "Quelmmodel";
    ASSERT_TRUE(fs::exists(built)) << "no kernel built at " << built;
    const String kernel = GetKernelExeName();
    if (!fs::exists(fs::symlink_status(kernel)))
        fs::create_symlink(fs::canonical(built), kernel);
    for (int run = 1; run <= 5; ++run) {
        WriteRun(run);
        EXPECT_EQ(RunKernel(InputFileName(run), rwHidden), rsSucceeded)
            << "run " << run << ":\n"
            << (FileExists(WorkFile(IntToStr(run) + ".err")) ? ReadTextFile(WorkFile(IntToStr(run) + ".err")) : "");
        EXPECT_TRUE(SummaryFileExists(run));
    }

    // The water balance of each run closes, whatever its lower boundary; only the drained
    // location, whose drains lie below its groundwater level for part of the year, drains, and
    // its drains are fed by seepage from below; the others lose water through the bottom.
    const struct {
        int run;
        bool drains, seepage;
    } kinds[] = {
        {1, true, true},    // groundwater levels, two drainage levels
        {2, false, false},  // pressure head at the bottom (below the profile: free drainage)
        {3, false, false},  // sine-shaped bottom flux
        {4, false, false},  // Cauchy: exchange with the aquifer
        {5, false, false},  // flux as a function of the groundwater level
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.run);
        std::map<String, double> mm;
        // "*   <label><two or more blanks><value>"
        for (const String& line : SplitLines(quelmtest::ReadFileBytes(WorkFile(IntToStr(k.run) + ".sum")))) {
            const auto gap = line.find("  ", 4);
            if (line.rfind("*   ", 0) == 0 && gap != String::npos)
                mm[line.substr(4, gap - 4)] = std::atof(line.c_str() + gap);
        }
        ASSERT_TRUE(mm.count("Precipitation") && mm.count("Drainage") && mm.count("Change of soil water"));
        const double in = mm["Precipitation"] + mm["Irrigation"];
        const double out = mm["Runoff"] + mm["Soil evaporation"] + mm["Transpiration"] + mm["Drainage"] +
                           mm["Percolation at the bottom"];
        EXPECT_NEAR(in - out, mm["Change of soil water"], 0.5);
        EXPECT_EQ(mm["Drainage"] > 1, k.drains) << mm["Drainage"];
        EXPECT_EQ(mm["Percolation at the bottom"] < 0, k.seepage) << mm["Percolation at the bottom"];
        EXPECT_LT(mm["Runoff"], 1.0);
    }
}

// ---------------------------------------------------------------- sections and their data

TEST_F(InputFileTest, TransformationTreeListsEachCompoundOnceAndStopsAtEnd)
{
    // PARA -> MET1 -> MET2, PARA -> MET3 -> MET2, MET3 -> end, end -> PARA.
    const String copied = "ISPARENT, MOLMAS, OPTCOFFRECODE, KOMEQL, KOMEQLACID, KOMEQLBASE, KSOREQL, PKA, PHCORRECTION, EXPFRE, CONLIQREF, COFDESRAT, FACSORNEQEQL, MOLENTSOR, TEMREFSOR, DT50REF, TEMREFTRA, MOLENTTRA, OPTCNTLIQTRAREF, CNTLIQTRAREF, EXPLIQTRA, PREVAPREF, TEMREFVAP, MOLENTVAP, SLBWATREF, TEMREFSLB, MOLENTSLB, COFDIFWATREF, COFDIFAIRREF, TEMREFDIF, FACUPT, OPTDSPCRP, DT50DSPCRP, DT50PENCRP, DT50VOLCRP, DT50TRACRP, FACWASCRP, COMMENTS";
    Exec("INSERT INTO SUBSTANCES (SUBSTANCECODE, NAME, " + copied + ", LOCKED) SELECT 'MET3', 'Parvolin-triol', " + copied +
         ", 'No' FROM SUBSTANCES WHERE SUBSTANCECODE='MET2'");
    // "end" closes a branch; it is no substance of the database.
    Exec("PRAGMA foreign_keys=OFF");
    Exec("INSERT INTO SUBSTANCETRANSFORMATIONS (SUBSTANCECODEIN, SUBSTANCECODEOUT, FRAPRTDAU, LOCKED) VALUES "
         "('PARA', 'MET3', 0.2, 'No'), ('MET3', 'MET2', 0.5, 'No'), ('MET3', 'end', 0.5, 'No'), "
         "('end', 'PARA', 1, 'No')");
    Exec("PRAGMA foreign_keys=ON");
    const TMetaboliet tree("PARA");
    TStringList codes;
    CollectCompounds(tree, codes);
    EXPECT_EQ(codes.CommaText(), "PARA,MET1,MET2,MET3,end");

    const std::vector<String> body = Body<TSectionCompound>(1);
    ASSERT_GE(body.size(), 8u);
    EXPECT_EQ(body[0], "PARA SubstanceName");
    EXPECT_EQ(body[1], "table compounds");
    EXPECT_EQ(body[6], "end");
    EXPECT_EQ(body[7], "end_table");
    EXPECT_NE(std::find(body.begin(), body.end(), "0.5 MET3 -> end"), body.end());
    EXPECT_NE(std::find(body.begin(), body.end(), "300.0            MolMas_PARA (g.mol-1)"), body.end());
    // "end" has no substance row: empty code, 0.0 values, and an "Internal error" for its
    // sorption option.
    EXPECT_NE(std::find(body.begin(), body.end(), "0.0              MolMas_ (g.mol-1)"), body.end());
    EXPECT_EQ(boxes.Count(), 1);
}

TEST_F(InputFileTest, ACycleInTheTransformationSchemeIsRefused)
{
    Exec("INSERT INTO SUBSTANCETRANSFORMATIONS (SUBSTANCECODEIN, SUBSTANCECODEOUT, FRAPRTDAU, LOCKED) VALUES "
         "('MET2', 'PARA', 0.1, 'No')");
    try {
        TMetaboliet tree("PARA");
        FAIL() << "the cycle was not refused";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "The transformation scheme of substance PARA contains a cycle: PARA -> MET1 -> MET2 -> "
                               "PARA. A substance cannot form from itself; correct the transformations.");
    }
    EXPECT_THROW(WriteRun(1), Exception);
}

TEST_F(InputFileTest, NoSubstanceGivesAnEmptyCompoundTable)
{
    EXPECT_EQ(Body<TSectionCompound>(3), (std::vector<String>{"table compounds", "end_table"}));
}

TEST_F(InputFileTest, HorizonsAreWrittenByTheirOwnSequenceNumbers)
{
    // RiverLoam numbered 1, 3, 4: the depth factors of horizon 3 stay with horizon 3, and a
    // compound factor for horizon 3 only replaces that horizon's default.
    Exec("UPDATE SOILPROFILESXSOILBUILDINGBLOCKS SET HORIZONSEQNO=4 WHERE SOILPROFILECODE='RiverLoam' AND HORIZONSEQNO=3");
    Exec("UPDATE SOILPROFILESXSOILBUILDINGBLOCKS SET HORIZONSEQNO=3 WHERE SOILPROFILECODE='RiverLoam' AND HORIZONSEQNO=2");
    Exec("INSERT INTO DEPTHDEPENDENTSUBSTPROPERTIES (SOILPROFILECODE, HORIZONSEQNO, SUBSTANCECODE, FACZTRA, FACZSOR) "
         "VALUES ('RiverLoam', 3, 'MET1', 0.25, 0.9)");
    const std::vector<String> body = Body<TSectionCompound>(1);
    auto table = [&](const String& title) {
        auto at = std::find(body.begin(), body.end(), title);
        EXPECT_NE(at, body.end()) << title;
        return std::vector<String>(at, at + 6);
    };
    EXPECT_EQ(table("table horizon FacZTra (-)"),
              (std::vector<String>{"table horizon FacZTra (-)", "hor PARA MET1 MET2", "1 1 1 1", "3 0.6 0.25 0.6",
                                   "4 0.3 0.3 0.3", "end_table"}));
    EXPECT_EQ(table("table horizon FacZSor (-)"),
              (std::vector<String>{"table horizon FacZSor (-)", "hor PARA MET1 MET2", "1 1 1 1", "3 0.7 0.9 0.7",
                                   "4 0.4 0.4 0.4", "end_table"}));
    const std::vector<String> soil = Body<TSectionSoil>(1);
    EXPECT_NE(std::find(soil.begin(), soil.end(), "3  0.05"), soil.end());
    EXPECT_NE(std::find(soil.begin(), soil.end(), "3    1450.0    "), soil.end());
    EXPECT_NE(std::find(soil.begin(), soil.end(), "4    1500.0    "), soil.end());
}

TEST_F(InputFileTest, AGroundwaterLevelWithoutMeasurementsIsRefused)
{
    Exec("DELETE FROM LOCATIONLBOGROUNDWATERTS WHERE LOCATIONCODE='Vellmark'");
    try {
        Body<TSectionLBO>(1);
        FAIL() << "the location without measurements was not refused";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find("Vellmark"), String::npos);
        EXPECT_NE(e.Message().find("has no groundwater level measurements"), String::npos);
    }
    EXPECT_FALSE(FileExists(WorkFile("1.bot")));
}

TEST_F(InputFileTest, GroundwaterBoundaryFileStartsAndEndsWithTheRun)
{
    // Run from 01-Jan-2000 to 31-Dec-2001, measurements on 15-Dec-1999 (-150) and
    // 15-Jan-2000 (-120): the start lies 17 of the 31 days along.
    Exec("DELETE FROM LOCATIONLBOGROUNDWATERTS WHERE LOCATIONCODE='Vellmark'");
    Exec("INSERT INTO LOCATIONLBOGROUNDWATERTS (LOCATIONCODE, MDATE, GRWLEV) VALUES ('Vellmark', '1999-12-15', -150), "
         "('Vellmark', '2000-01-15', -120), ('Vellmark', '2001-12-31', -90)");
    Exec("UPDATE RUNS SET TIMEND='2001-12-31' WHERE RUNID=1");
    const std::vector<String> body = Body<TSectionLBO>(1);
    EXPECT_EQ(body, (std::vector<String>{"-150              ZGrwLevSta (cm)", "", "GrwLev            OptLbo",
                                         "1                 LowerBoundaryFile"}));
    EXPECT_EQ(quelmtest::ReadFileBytes(WorkFile("1.bot")),
              "table GrwLev (cm)\r\n"
              "01-Jan-2000 -133.548387096774 \r\n"
              "15-Jan-2000 -120.0    \r\n"
              "31-Dec-2001 -90.0     \r\n"
              "end_table\r\n");
    // All measurements before the start: the last level at both ends.
    EXPECT_DOUBLE_EQ(InterpolateGroundwaterLevel("Vellmark", EncodeDate(2005, 1, 1)), -90.0);
    EXPECT_DOUBLE_EQ(InterpolateGroundwaterLevel("Torrsund", EncodeDate(2000, 1, 1)), -100.0);
    EXPECT_DOUBLE_EQ(InterpolateGroundwaterLevel("NoSuchPlace", EncodeDate(2000, 1, 1)), -99.0);
}

TEST_F(InputFileTest, DrainageLevelsByTheirNumbers)
{
    Exec("DELETE FROM DRAINAGES WHERE LOCATIONCODE='Vellmark' AND DRAINAGELEVEL=1");
    const std::vector<String> body = Body<TSectionDrainage>(1);
    EXPECT_EQ(body, (std::vector<String>{
                        "Basic             OptDra", "No                OptSurDra", "1                 NumDraLev", "",
                        "2                 SysDra_2", "Channel           TypDra_2",
                        "600.0             RstDra_2         (d)", "600.0             RstInf_2         (d)",
                        "200.0             DistDra_2        (m)", "1.3               ZDra_2           (m)",
                        "1.3               ZSurWat_2        (m)", "3                 SysDra_3",
                        "4                 SysDra_4", "5                 SysDra_5"}));
    Exec("DELETE FROM DRAINAGES WHERE LOCATIONCODE='Vellmark'");
    const std::vector<String> none = Body<TSectionDrainage>(1);
    ASSERT_EQ(none.size(), 8u);
    EXPECT_EQ(none[2], "0                 NumDraLev");
    EXPECT_EQ(none[3], "1                 SysDra_1");
    EXPECT_EQ(Body<TSectionDrainage>(2),
              (std::vector<String>{"No                OptDra", "No                OptSurDra", "0                 NumDraLev", ""}));
}

TEST_F(InputFileTest, RelativeApplicationReferences)
{
    const std::vector<String> body = Body<TSectionManagement>(4);
    EXPECT_EQ(std::vector<String>(body.begin() + 3, body.begin() + 8),
              (std::vector<String>{"table Applications", "01-Emg-05 AppSolInj 0.5      0.1      ",
                                   "01-Har-30 AppCrpUsr 0.25     0.6      ", "02-Emg+00 AppSolSur 0.4      ",
                                   "end_table"}));
    const std::vector<String> absolute = Body<TSectionManagement>(5);
    EXPECT_EQ(absolute[4], "20-Mar-2000  AppSolTil 0.8      0.1      ");
    EXPECT_EQ(absolute[6], "01-Jun-2001  AppCrpLAI 0.2      ");
}

TEST_F(InputFileTest, AnOutputVariableWithoutADictionaryRowIsRefused)
{
    Exec("DELETE FROM RUNPRINTVARIABLESDICTIONARY WHERE UPPER(VARIABLENAME)='THETA'");
    try {
        Body<TSectionOutput>(1);
        FAIL() << "the unknown variable was not refused";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find("THETA"), String::npos);
    }
}

TEST_F(InputFileTest, OutputSectionWithoutAListFailsItsAssertion)
{
    TSectionOutput section("8", "Output control");
    try {
        section.WriteBody(nullptr, 1);
        FAIL();
    } catch (const EAssertionFailed& e) {
        EXPECT_NE(e.Message().find("CommonUnits\\GeneralUnits\\secOutput, line 37"), String::npos);
    }
}

} // namespace
