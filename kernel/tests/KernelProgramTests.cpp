// The stand-in kernel as quelmgui meets it: the real program started in a work folder on a
// hand-made input file and its side files, judged by the files it leaves.
#include "kernel/ModelInput.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

namespace {

namespace fs = std::filesystem;
using quelmtest::ReadFileBytes;
using quelmtest::TempDir;
using quelmtest::WriteFileBytes;

// A work folder holding the fixtures of run 17.
class WorkFolder {
public:
    WorkFolder()
    {
        for (const auto& entry : fs::directory_iterator(KERNEL_FIXTURES))
            fs::copy_file(entry.path(), dir_.path() / entry.path().filename());
    }
    std::string file(const std::string& name) const { return dir_.file(name); }
    bool exists(const std::string& name) const { return fs::exists(dir_.path() / name); }

    // Replaces text in a file of the folder; the text must be there.
    void Replace(const std::string& name, const std::string& from, const std::string& to)
    {
        std::string bytes = ReadFileBytes(file(name));
        const size_t at = bytes.find(from);
        ASSERT_NE(at, std::string::npos) << "not in " << name << ": " << from;
        bytes.replace(at, from.size(), to);
        WriteFileBytes(file(name), bytes);
    }

    void ReplaceAll(const std::string& name, const std::string& from, const std::string& to)
    {
        std::string bytes = ReadFileBytes(file(name));
        size_t count = 0;
        for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size())) {
            bytes.replace(at, from.size(), to);
            ++count;
        }
        ASSERT_GT(count, 0u) << "not in " << name << ": " << from;
        WriteFileBytes(file(name), bytes);
    }

    QProcess* Start(const std::vector<std::pair<QString, QString>>& env = {})
    {
        auto* process = new QProcess;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const auto& [key, value] : env)
            e.insert(key, value);
        process->setProcessEnvironment(e);
        process->setWorkingDirectory(QString::fromStdString(dir_.str()));
        process->start(QStringLiteral(QUELMMODEL_EXE), {QStringLiteral("17.qmi")});
        EXPECT_TRUE(process->waitForStarted(5000));
        return process;
    }

    int Run(const std::vector<std::pair<QString, QString>>& env = {})
    {
        std::unique_ptr<QProcess> process(Start(env));
        EXPECT_TRUE(process->waitForFinished(60000));
        return process->exitCode();
    }

private:
    TempDir dir_;
};

std::vector<std::string> Lines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Rows of the output file whose third field is the name.
std::vector<std::vector<String>> RowsOf(const std::vector<std::string>& out, const std::string& name)
{
    std::vector<std::vector<String>> rows;
    for (const auto& line : out) {
        const auto w = quelmmodel::Words(line);
        if (w.size() >= 3 && w[2] == name)
            rows.push_back(w);
    }
    return rows;
}

std::vector<String> HeaderWords(const std::vector<std::string>& out)
{
    for (const auto& line : out)
        if (line.empty() || line[0] != '*')
            return quelmmodel::Words(line);
    return {};
}

TEST(KernelProgram, GoodInputGivesOutputSummaryAndLogButNoErrorFile)
{
    WorkFolder work;
    EXPECT_EQ(work.Run(), 0);
    EXPECT_FALSE(work.exists("17.err"));
    ASSERT_TRUE(work.exists("17.out"));
    ASSERT_TRUE(work.exists("17.sum"));
    ASSERT_TRUE(work.exists("17.log"));

    const auto out = Lines(work.file("17.out"));
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0][0], '*');
    // The header: two words, then one word per output depth (the GUI's depth list).
    const auto header = HeaderWords(out);
    ASSERT_EQ(header.size(), 5u);
    EXPECT_EQ(header[0], "Time");

    // Every print variable that is on has rows; depth variables one value per depth,
    // compound variables one row per compound ("end" is no compound of its own).
    struct Expect {
        const char* name;
        size_t fields;
    };
    for (const Expect& e : {Expect{"Theta", 6}, Expect{"FlvLiq", 6}, Expect{"ConLiq_ABC", 6}, Expect{"ConLiq_MET", 6},
                            Expect{"AmaSysPro_ABC", 4}, Expect{"AmaSysPro_MET", 4}, Expect{"FlvLiqPrc", 4},
                            Expect{"FlvLiqDra_1", 4}, Expect{"GrwLev", 4}, Expect{"LAI", 4}, Expect{"StoCap", 4},
                            Expect{"FlvLiqGrwSur", 4}}) {
        const auto rows = RowsOf(out, e.name);
        ASSERT_EQ(rows.size(), 73u) << e.name; // every 10 days over 731 days
        EXPECT_EQ(rows[0].size(), e.fields) << e.name;
        EXPECT_EQ(rows[0][0], "10");
        EXPECT_EQ(rows[0][1], "10-Jan-2000");
    }
    for (const char* off : {"Tem", "ZPnd", "ConLiq_end", "ConLiq"})
        EXPECT_TRUE(RowsOf(out, off).empty()) << off;

    // Profile rows: per profile date and compound one row per layer, columns 5..12 the values.
    const auto profile = RowsOf(out, "Profile_ABC");
    ASSERT_EQ(profile.size(), 30u); // 2 dates x 15 layers
    EXPECT_EQ(profile[0][1], "01-Jul-2000");
    EXPECT_EQ(profile[0].size(), 12u);
    EXPECT_EQ(profile[0][3], "0.025");
    EXPECT_EQ(profile[15][1], "31-Dec-2001");
    EXPECT_EQ(RowsOf(out, "Profile_MET").size(), 30u);
    // basic units, which the output-variable dictionary converts for display
    for (const auto& row : profile) {
        EXPECT_LE(std::stod(row[4]), 0.4) << "Theta above saturation";
        EXPECT_LT(std::stod(row[5]), 0.0) << "pressure head in m";
        EXPECT_GT(std::stod(row[5]), -100.0) << "pressure head in m";
    }
    double most = 0;
    for (const auto& row : RowsOf(out, "AmaSysPro_ABC"))
        most = std::max(most, std::stod(row[3]));
    EXPECT_GT(most, 0.0);
    EXPECT_LT(most, 4e-4); // less than the 4 kg.ha-1 applied, in kg.m-2

    // The report blocks of a restricted run, with the lines the project summary and the run
    // report look for.
    const auto sum = Lines(work.file("17.sum"));
    for (const char* block : {"Project_Summary", "Header", "Leaching"}) {
        const auto open = std::find(sum.begin(), sum.end(), std::string("* QUELM REPORT: ") + block);
        const auto close = std::find(sum.begin(), sum.end(), std::string("* End of QUELM REPORT: ") + block);
        ASSERT_NE(open, sum.end()) << block;
        ASSERT_NE(close, sum.end()) << block;
        EXPECT_LT(open, close) << block;
    }
    std::map<String, String> summary;
    bool inBlock = false;
    for (const auto& line : sum) {
        const auto w = quelmmodel::Words(line);
        if (line == "* QUELM REPORT: Project_Summary")
            inBlock = true;
        else if (line == "* End of QUELM REPORT: Project_Summary")
            inBlock = false;
        else if (inBlock && w.size() >= 3)
            summary[w[1]] = line.substr(line.find(w[2], line.find(w[1]) + w[1].size()));
    }
    EXPECT_EQ(summary["Run_ID"], "17");
    EXPECT_EQ(summary["Substance"], "ABC");
    EXPECT_EQ(summary["Location"], "Sarnela");
    EXPECT_EQ(summary["Soil_Type"], "SarnelaProfile");
    EXPECT_EQ(summary["Meteo_Station"], "DEMO1");
    EXPECT_GT(std::stod(summary["Result_ABC"]), 0.0);
    EXPECT_GT(std::stod(summary["Result_MET"]), 0.0);
    EXPECT_TRUE(Contains(summary["Result_Text"], "90th percentile"));
}

// Inputs quelmgui writes for other kinds of runs; each must be calculated.
TEST(KernelProgram, OtherKindsOfRunsAreCalculated)
{
    const std::string crlf = "\r\n";
    struct Case {
        const char* name;
        std::function<void(WorkFolder&)> change;
        std::function<void(const std::vector<std::string>& out, const std::vector<std::string>& sum)> check;
    };
    const Case cases[] = {
        {"unrestricted run: no report blocks",
         [](WorkFolder& w) { w.Replace("17.qmi", "* ISRESTRICTEDRUN = Yes", "* ISRESTRICTEDRUN = No"); },
         [](const auto&, const auto& sum) {
             for (const auto& l : sum)
                 EXPECT_FALSE(Contains(l, "QUELM REPORT")) << l;
         }},
        {"all output depths",
         [&](WorkFolder& w) {
             w.Replace("17.qmi", "table OutputDepths (m)" + crlf + "0.05      " + crlf + "0.1       " + crlf +
                                     "1.0       " + crlf + "end_table",
                       "All OutputDepths");
         },
         [](const auto& out, const auto&) {
             EXPECT_EQ(HeaderWords(out).size(), 17u);
             EXPECT_EQ(RowsOf(out, "Theta")[0].size(), 18u);
         }},
        {"no output depths",
         [&](WorkFolder& w) {
             w.Replace("17.qmi", "table OutputDepths (m)" + crlf + "0.05      " + crlf + "0.1       " + crlf +
                                     "1.0       " + crlf + "end_table",
                       "None OutputDepths");
         },
         [](const auto& out, const auto&) {
             EXPECT_EQ(HeaderWords(out).size(), 2u);
             EXPECT_TRUE(RowsOf(out, "Theta").empty());
             EXPECT_FALSE(RowsOf(out, "LAI").empty());
         }},
        {"flux lower boundary without boundary file",
         [&](WorkFolder& w) {
             w.Replace("17.qmi", "GrwLev            OptLbo" + crlf + "17                LowerBoundaryFile",
                       "Flux              OptLbo" + crlf + "-0.1              FlvLiqLboAvg (m.a-1)" + crlf +
                           "0.05              FlvLiqLboAmp (m.a-1)" + crlf + "01-Feb            DayFlvLiqLboMax" +
                           crlf + "Sine              OptBotFlux");
             fs::remove(w.file("17.bot"));
         },
         nullptr},
        {"undrained location",
         [&](WorkFolder& w) {
             const std::string text = ReadFileBytes(w.file("17.qmi"));
             const size_t from = text.find("Basic             OptDra");
             const size_t to = text.find("*-", from);
             std::string changed = text.substr(0, from) + "No                OptDra" + crlf +
                                   "No                OptSurDra" + crlf + "0                 NumDraLev" + crlf + crlf +
                                   text.substr(to);
             WriteFileBytes(w.file("17.qmi"), changed);
             w.Replace("17.qmi", "Yes               print_FlvLiqDra_1", "No                print_FlvLiqDra_1");
         },
         nullptr},
        {"pH-dependent sorption",
         [&](WorkFolder& w) {
             w.Replace("17.qmi", "pH-independent   OptCofFre_ABC" + crlf + "35.0             KomEql_ABC (L.kg-1)" +
                                     crlf + "35.0             KomEqlMax_ABC (L.kg-1)",
                       "pH-dependent     OptCofFre_ABC" + crlf + "50.0             KomEqlAcid_ABC (L.kg-1)" + crlf +
                           "5.0              KomEqlBase_ABC (L.kg-1)" + crlf + "4.5              pKa_ABC (-)" + crlf +
                           "0.0              pHCorrection (-)");
         },
         nullptr},
        {"Penman evaporation",
         [&](WorkFolder& w) {
             w.Replace("17.qmi", "Input             OptEvp",
                       "Penman            OptEvp" + crlf + "52.0              LatMet (degrees)" + crlf +
                           "10.0              AltMet (m)");
         },
         nullptr},
        {"no irrigation",
         [&](WorkFolder& w) {
             w.Replace("17.qmi", "SPRINKLER         OptIrr" + crlf + "IRR1              IrrigationData" + crlf +
                                     "IRR1              IrrigationScheme",
                       "No                OptIrr" + crlf + "No                IrrigationScheme");
             w.Replace("17.qmi", "table  IrrigationPeriods" + crlf + "15-May           15-Sep        maize1" + crlf +
                                     "01-Apr           30-Jun        wheat2" + crlf + "end_table" + crlf,
                       "");
             fs::remove(w.file("IRR1.irr"));
         },
         nullptr},
        {"\"end\" with a substance row of its own",
         [&](WorkFolder& w) {
             w.ReplaceAll("17.qmi", "_ (", "_end (");
             for (const char* k : {"OptCntLiqTraRef_", "OptCofFre_", "OptDspCrp_"})
                 w.ReplaceAll("17.qmi", std::string(k) + crlf, std::string(k) + "end" + crlf);
         },
         nullptr},
        {"crop code with a blank",
         [](WorkFolder& w) { w.ReplaceAll("17.qmi", "maize1", "sweet maize1"); },
         [](const auto& out, const auto&) { EXPECT_GT(std::stod(RowsOf(out, "LAI")[15][3]), 0.0); }},
        {"transformation back to the substance",
         [&](WorkFolder& w) { w.Replace("17.qmi", "1 MET -> end" + crlf, "1 MET -> end" + crlf + "0.1 MET -> ABC" + crlf); },
         nullptr},
        {"repeat interval in years",
         [](WorkFolder& w) { w.Replace("17.qmi", "1                 DelTimEvt (a)", "2Year             DelTimEvt (a)"); },
         nullptr},
        {"calendar time",
         [](WorkFolder& w) { w.Replace("17.qmi", "DaysFromSta       DateFormat", "Calendar          DateFormat"); },
         [](const auto& out, const auto&) {
             EXPECT_EQ(RowsOf(out, "LAI")[0][0], "2000.0273"); // 10 January 2000
             EXPECT_EQ(RowsOf(out, "LAI").back()[0], "2001.9973");
         }},
        {"cumulative output",
         [](WorkFolder& w) { w.Replace("17.qmi", "No                PrintCumulatives", "Yes               PrintCumulatives"); },
         [](const auto& out, const auto&) {
             const auto rows = RowsOf(out, "FlvLiqPrc");
             EXPECT_GT(std::stod(rows.back()[3]), 2.0); // m of rain over two years
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkFolder work;
        c.change(work);
        EXPECT_EQ(work.Run(), 0);
        if (work.exists("17.err"))
            ADD_FAILURE() << ReadFileBytes(work.file("17.err"));
        ASSERT_TRUE(work.exists("17.out"));
        EXPECT_FALSE(Contains(ReadFileBytes(work.file("17.log")), "is not a number of years"));
        if (c.check)
            c.check(Lines(work.file("17.out")), Lines(work.file("17.sum")));
    }
}

TEST(KernelProgram, FaultyInputGivesAModelErrorListing)
{
    const std::string crlf = "\r\n";
    struct Case {
        const char* name;
        std::function<void(WorkFolder&)> change;
        const char* message;
    };
    const Case cases[] = {
        {"missing keyword", [&](WorkFolder& w) { w.Replace("17.qmi", "0.0001            ThetaTol (m3.m-3)" + crlf, ""); },
         "keyword \"ThetaTol\" is missing"},
        {"value not in its column",
         [](WorkFolder& w) { w.Replace("17.qmi", "0.0001            ThetaTol", "0.0001 ThetaTol"); },
         "is not padded to the value column of 18 characters"},
        {"value column one too wide",
         [](WorkFolder& w) { w.Replace("17.qmi", "0.0001            ThetaTol", "0.0001             ThetaTol"); },
         "not padded to the value column"},
        {"18 columns in the compound section",
         [](WorkFolder& w) { w.Replace("17.qmi", "300.0            MolMas_ABC", "300.0             MolMas_ABC"); },
         "value column of 17 characters"},
        {"wrong unit", [](WorkFolder& w) { w.Replace("17.qmi", "ThetaTol (m3.m-3)", "ThetaTol (m3/m3)"); },
         "instead of \"ThetaTol (m3.m-3)\""},
        {"table without end_table",
         [&](WorkFolder& w) { w.Replace("17.qmi", "1.0       " + crlf + "end_table" + crlf, "1.0       " + crlf); },
         "is not closed by \"end_table\""},
        {"end_table without table",
         [&](WorkFolder& w) { w.Replace("17.qmi", "table TillageDates" + crlf, ""); }, "\"end_table\" without a table"},
        {"missing meteo file", [](WorkFolder& w) { fs::remove(w.file("DEMO1.met")); }, "DEMO1.met\" does not exist"},
        {"missing boundary file", [](WorkFolder& w) { fs::remove(w.file("17.bot")); }, "17.bot\" does not exist"},
        {"missing irrigation file", [](WorkFolder& w) { fs::remove(w.file("IRR1.irr")); }, "IRR1.irr\" does not exist"},
        {"meteo data shorter than the run",
         [](WorkFolder& w) { w.Replace("17.qmi", "31-Dec-2001       TimEnd", "31-Dec-2002       TimEnd"); },
         "lack 365 day(s)"},
        {"incomplete file",
         [](WorkFolder& w) { w.Replace("17.qmi", "* End of RavuzAVEDE input file", "* End"); }, "incomplete file"},
        {"unknown keyword",
         [&](WorkFolder& w) { w.Replace("17.qmi", "No                OptPaddy", "No                OptPady"); },
         "unknown keyword \"OptPady\""},
        {"keyword the run does not use",
         [&](WorkFolder& w) {
             w.Replace("17.qmi", "Input             OptEvp", "Input             OptEvp" + crlf + "52.0              LatMet (degrees)");
         },
         "keyword \"LatMet\" is not expected here"},
        {"not a number", [](WorkFolder& w) { w.Replace("17.qmi", "0.2               ZTil (m)", "0,2               ZTil (m)"); },
         "\"0,2\" of \"ZTil\" is not a number"},
        {"empty value (a groundwater location without levels)",
         [](WorkFolder& w) { w.Replace("17.qmi", "-150              ZGrwLevSta", "                  ZGrwLevSta"); },
         "\"ZGrwLevSta\" is not a number"},
        {"station code that leaves the work folder",
         [](WorkFolder& w) { w.Replace("17.qmi", "DEMO1             MeteoStation", "../DEMO1          MeteoStation"); },
         "cannot name a file"},
        {"relative application to a crop the calendar lacks",
         [](WorkFolder& w) { w.Replace("17.qmi", "01-Emg-05 AppSolInj", "03-Emg-05 AppSolInj"); },
         "refers to crop 3"},
        {"sections out of order",
         [](WorkFolder& w) { w.Replace("17.qmi", "* Section 4b: Drainage/infiltration section", "* Section 5: Compound section"); },
         "out of order"},
        {"horizon tables disagree",
         [&](WorkFolder& w) { w.Replace("17.qmi", "3  0.05", "2  0.05"); }, "horizon 2 where horizon 3 is expected"},
        {"duplicate keyword",
         [&](WorkFolder& w) { w.Replace("17.qmi", "No                OptPaddy", "No                OptPaddy" + crlf + "No                OptPaddy"); },
         "occurs a second time"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkFolder work;
        c.change(work);
        EXPECT_EQ(work.Run(), 1);
        ASSERT_TRUE(work.exists("17.err"));
        const auto lines = Lines(work.file("17.err"));
        EXPECT_FALSE(lines.empty());
        EXPECT_NE(lines.size(), 12u); // twelve lines read as an interruption
        EXPECT_TRUE(Contains(ReadFileBytes(work.file("17.err")), c.message)) << ReadFileBytes(work.file("17.err"));
        EXPECT_FALSE(work.exists("17.out"));
        EXPECT_FALSE(work.exists("17.sum"));
    }
}

TEST(KernelProgram, InterruptFromTheKeyboardLeavesATwelveLineErrorFile)
{
    WorkFolder work;
    std::unique_ptr<QProcess> process(work.Start({{"QUELMMODEL_DELAY_MS", "20000"}}));
    // the interrupt goes only once the kernel says its run has started, however loaded the machine
    QByteArray console;
    while (!console.contains("started") && process->waitForReadyRead(20000))
        console += process->readAllStandardOutput();
    ASSERT_TRUE(console.contains("started")) << console.toStdString();
    ::kill(static_cast<pid_t>(process->processId()), SIGINT);
    ASSERT_TRUE(process->waitForFinished(5000)); // well before the 20 s delay
    EXPECT_EQ(process->exitCode(), 3);
    ASSERT_TRUE(work.exists("17.err"));
    EXPECT_EQ(Lines(work.file("17.err")).size(), 12u);
    EXPECT_FALSE(work.exists("17.out"));
}

TEST(KernelProgram, EnvironmentSwitchesFailOnPurpose)
{
    struct Case {
        const char* mode;
        int exitCode;
        bool errorFile;
        int lines; // -1: any but 12
    };
    for (const Case& c : {Case{"error", 1, true, -1}, Case{"interrupt", 3, true, 12}, Case{"interrupt-empty", 3, true, 0},
                          Case{"silent", 0, false, 0}}) {
        SCOPED_TRACE(c.mode);
        WorkFolder work;
        EXPECT_EQ(work.Run({{"QUELMMODEL_FAIL", c.mode}}), c.exitCode);
        EXPECT_EQ(work.exists("17.err"), c.errorFile);
        if (c.errorFile) {
            const auto lines = Lines(work.file("17.err"));
            if (c.lines >= 0)
                EXPECT_EQ(static_cast<int>(lines.size()), c.lines);
            else
                EXPECT_TRUE(!lines.empty() && lines.size() != 12u);
        }
        EXPECT_FALSE(work.exists("17.out"));
    }
}

TEST(KernelProgram, ErrorFileOfAnEarlierRunIsRemovedBySuccess)
{
    WorkFolder work;
    WriteFileBytes(work.file("17.err"), "old listing\n");
    EXPECT_EQ(work.Run({{"QUELMMODEL_FAIL", "silent"}}), 0);
    EXPECT_EQ(ReadFileBytes(work.file("17.err")), "old listing\n"); // a kernel that touches nothing
    EXPECT_EQ(work.Run(), 0);
    EXPECT_FALSE(work.exists("17.err"));
}

TEST(KernelProgram, MissingInputFileIsAModelError)
{
    WorkFolder work;
    fs::remove(work.file("17.qmi"));
    EXPECT_EQ(work.Run(), 1);
    EXPECT_TRUE(Contains(ReadFileBytes(work.file("17.err")), "does not exist"));
}

TEST(KernelProgram, SlowRunTakesItsTime)
{
    WorkFolder work;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(work.Run({{"QUELMMODEL_DELAY_MS", "400"}}), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
    EXPECT_TRUE(work.exists("17.out"));
}

} // namespace
