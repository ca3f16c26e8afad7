// The kernel's reader, balance and listings in-process.
#include "kernel/ModelReports.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace {

using namespace quelmmodel;

// A file with the header, the nine section headings and the trailer around one line that is
// placed in the given section.
String FileWith(const String& section, const String& line)
{
    static const char* sections[][2] = {{"1", "Control section"},
                                        {"2", "Soil section"},
                                        {"3", "Weather and irrigation section"},
                                        {"4a", "Lower boundary flux"},
                                        {"4b", "Drainage/infiltration section"},
                                        {"5", "Compound section"},
                                        {"6", "Management section"},
                                        {"7", "Crop section"},
                                        {"8", "Output control"}};
    const String rule = "*" + String(79, '-');
    String text = rule + "\r\n* INPUT FILE for RavuzAVEDE calculation kernel\r\n" + rule + "\r\n";
    for (const auto& s : sections) {
        text += rule + "\r\n* Section " + s[0] + ": " + s[1] + "\r\n" + rule + "\r\n\r\n";
        if (section == s[0])
            text += line + "\r\n";
    }
    return text + rule + "\r\n* End of RavuzAVEDE input file\r\n" + rule + "\r\n";
}

TEST(ModelInput, ValueColumnForms)
{
    struct Case {
        const char* section;
        String line;
        bool ok;
        const char* value;
    };
    const Case cases[] = {
        {"1", "0.0001            ThetaTol (m3.m-3)", true, "0.0001"},
        {"1", "123456789012345678 ThetaTol (m3.m-3)", true, "123456789012345678"}, // 18 characters, one blank
        {"1", "12345678901234567890 ThetaTol (m3.m-3)", true, "12345678901234567890"},
        {"1", "123456789012345678  ThetaTol (m3.m-3)", false, ""},                // two blanks
        {"1", "12345678901234567 ThetaTol (m3.m-3)", true, "12345678901234567"}, // 17 + the padding blank
        {"1", "0.0001 ThetaTol (m3.m-3)", false, ""},
        {"1", "                  ThetaTol (m3.m-3)", true, ""},                   // empty value, reported later
        {"1", " 0.0001           ThetaTol (m3.m-3)", false, ""},
        {"1", "0.0001            ThetaTol  (m3.m-3)", false, ""},                 // keyword text not exact
        {"1", "10                DelTimPrn  (d)", true, "10"},                     // its two blanks are exact
        {"1", "10                DelTimPrn (d)", false, ""},
        {"5", "300.0            MolMas_ABC (g.mol-1)", true, "300.0"},           // 17 wide in section 5
        {"5", "300.0             MolMas_ABC (g.mol-1)", false, ""},
        {"4b", "100.0             RstDra_1         (d)", true, "100.0"},          // name padded to 16
        {"4b", "100.0             RstDra_1 (d)", false, ""},
        {"2", "Sarnela Location", true, "Sarnela"},                              // code line
        {"2", "Sarnela  Location", false, ""},
        {"6", "My scheme ApplicationScheme", true, "My scheme"},
        {"1", "No                OptPaddy", true, "No"},
        {"2", "No                OptPaddy", false, ""},                           // in the wrong section
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        InputFile input;
        ErrorList errors;
        input.Parse(FileWith(c.section, c.line), "t.qmi", errors);
        EXPECT_EQ(errors.Empty(), c.ok) << (errors.Empty() ? String() : errors.Items()[0].text);
        if (c.ok) {
            ASSERT_EQ(input.Keywords().size(), 1u);
            EXPECT_EQ(input.Keywords()[0].value, c.value);
        }
    }
}

TEST(ModelInput, TablesPairAndKeepTheirRows)
{
    struct Case {
        String body;
        size_t errors;
        size_t rows;
    };
    const Case cases[] = {
        {"table TillageDates\r\n01-Oct-2000  0.2      \r\nend_table", 0, 1},
        {"table TillageDates\r\nend_table", 0, 0},
        {"table TillageDates\r\n01-Oct-2000  0.2      ", 1, 1},                      // closed by nothing but the rule line
        {"table TillageDates\r\ntable Applications\r\nend_table", 1, 0},              // opened inside another
        {"end_table", 1, 0},
        {"table TillageDates\r\n\r\nend_table", 1, 0},                                // empty line inside
        {"table  TillageDates\r\nend_table", 1, 0},                                   // heading not exact
        {"table Tillages\r\nend_table", 1, 0},                                        // unknown table
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        InputFile input;
        ErrorList errors;
        input.Parse(FileWith("6", c.body), "t.qmi", errors);
        EXPECT_EQ(errors.Count(), c.errors);
        if (const TableEntry* t = input.FindTable("TillageDates"))
            EXPECT_EQ(t->rows.size(), c.rows);
    }
}

TEST(ModelInput, StructureOfTheFile)
{
    InputFile input;
    ErrorList errors;
    input.Parse("", "t.qmi", errors);
    EXPECT_EQ(errors.Count(), 11u); // no header, nine sections missing, no trailer

    const String good = FileWith("1", "No                OptPaddy");
    for (const auto& [from, to] : std::vector<std::pair<String, String>>{
             {"* INPUT FILE for RavuzAVEDE calculation kernel", "* INPUT FILE"},
             {"* Section 3: Weather and irrigation section", "* Section 3: Weather section"},
             {"* End of RavuzAVEDE input file", "*"},
         }) {
        String text = good;
        text.replace(text.find(from), from.size(), to);
        ErrorList e;
        input.Parse(text, "t.qmi", e);
        EXPECT_EQ(e.Count(), 1u) << to;
    }
    ErrorList e;
    input.Parse(good + "trailing\r\n", "t.qmi", e);
    EXPECT_EQ(e.Count(), 1u);
}

TEST(ModelInput, RunCharacterisationFieldsAreRead)
{
    String text = FileWith("1", "No                OptPaddy");
    const String rule = "*" + String(79, '-');
    text.insert(text.find("* INPUT FILE"), "* Run characterization:\r\n* NAME = maize - Sarnela\r\n* ISRESTRICTEDRUN = Yes\r\n"
                                            "* COMMENTS = first line\r\nsecond line\r\n" + rule + "\r\n");
    InputFile input;
    ErrorList errors;
    input.Parse(text, "t.qmi", errors);
    EXPECT_TRUE(errors.Empty());
    EXPECT_EQ(input.RunField("Name"), "maize - Sarnela");
    EXPECT_EQ(input.RunField("IsRestrictedRun"), "Yes");
    EXPECT_EQ(input.RunField("COMMENTS"), "first line\nsecond line");
}

TEST(ModelInput, DatesOfTheInputFile)
{
    TDateTime d = 0;
    EXPECT_TRUE(ParseDateDMY("05-Mar-2003", d));
    EXPECT_EQ(FormatDateDMY(d), "05-Mar-2003");
    EXPECT_TRUE(ParseDateDMY("29-Feb-2000", d));
    for (const char* bad : {"29-Feb-2001", "5-Mar-2003", "05-mar-2003", "05-Mar-03", "05/03/2003", ""})
        EXPECT_FALSE(ParseDateDMY(bad, d)) << bad;
    int day = 0, month = 0;
    EXPECT_TRUE(ParseDayMonth("29-Feb", day, month));
    EXPECT_EQ(month, 2);
    EXPECT_FALSE(ParseDayMonth("31-Apr", day, month));
}

TEST(ModelSimulation, SorptionSplitsTheContent)
{
    // linear: theta c + rho/1000 kd c = total
    EXPECT_NEAR(SolveLiquidConcentration(0.3, 1500, 1, 1, 1, 18), 18 / (0.3 + 1.5), 1e-12);
    // Freundlich: the solution satisfies the equation
    const double c = SolveLiquidConcentration(0.3, 1500, 2, 1, 0.9, 5);
    EXPECT_NEAR(0.3 * c + 1.5 * 2 * std::pow(c, 0.9), 5, 1e-9);
    EXPECT_EQ(SolveLiquidConcentration(0.3, 1500, 2, 1, 0.9, 0), 0);
    EXPECT_NEAR(SolveLiquidConcentration(0.3, 1500, 0, 1, 0.9, 3), 10, 1e-12);
}

TEST(ModelSimulation, WaterAndMassBalancesClose)
{
    InputFile input;
    ErrorList errors;
    ASSERT_TRUE(input.Read(String(KERNEL_FIXTURES) + "/17.qmi", errors));
    RunDescription run;
    std::vector<String> notes;
    BuildRun(input, KERNEL_FIXTURES, "17", run, errors, notes);
    ASSERT_TRUE(errors.Empty()) << errors.Items()[0].text;
    ASSERT_EQ(run.compounds.size(), 3u);
    ASSERT_EQ(run.horizons.size(), 2u);
    EXPECT_EQ(run.horizons[1].number, 3); // horizons keep their own numbers
    EXPECT_DOUBLE_EQ(run.compounds[1].facZTra[1], 0.3);

    Simulation sim(run);
    for (size_t day = 0; day < run.meteo.size(); ++day)
        sim.Step(static_cast<int>(day));

    EXPECT_NEAR(sim.Value("AVOLIQERR", 0, -1), 0, 1e-9);
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(run.compounds[k].code);
        double drained = 0;
        for (const auto& level : sim.drainedMass)
            drained += level[k];
        const double inSoil = sim.Value("AMASYSPRO", k, -1) * 1000; // kg.m-2 -> g.m-2
        const double in = sim.appliedSoil[k] + sim.washed[k] + sim.deposited[k] + sim.formed[k];
        const double out = inSoil + sim.transformed[k] + sim.uptake[k] + sim.leached[k] + drained;
        EXPECT_GT(in, 0);
        EXPECT_NEAR(in, out, 1e-9 * std::max(1.0, in));
        EXPECT_NEAR(sim.appliedCrop[k], sim.canopy[k] + sim.washed[k] + sim.dissipated[k] + sim.harvested[k], 1e-12);
    }
    // half of the substance's transformed moles become the metabolite (molar masses 300 and 200)
    EXPECT_NEAR(sim.formed[1], sim.transformed[0] * 0.5 * 200 / 300, 1e-12);
    EXPECT_NEAR(sim.sinkMass[2], sim.transformed[1] * 1 * 0 / 200, 1e-12);
}

TEST(ModelSimulation, HeavyRainPassesThroughTheWetLayers)
{
    InputFile input;
    ErrorList errors;
    ASSERT_TRUE(input.Read(String(KERNEL_FIXTURES) + "/17.qmi", errors));
    RunDescription run;
    std::vector<String> notes;
    BuildRun(input, KERNEL_FIXTURES, "17", run, errors, notes);
    ASSERT_TRUE(errors.Empty());
    run.meteo[0].rain = 80; // mm, far more than the top layer holds
    Simulation sim(run);
    sim.Step(0);
    EXPECT_EQ(sim.runoff, 0);
    EXPECT_NEAR(sim.infiltration, 0.08, 1e-12);
    EXPECT_GT(sim.layers[5].flowOut, 0.02);
    for (const auto& layer : sim.layers)
        EXPECT_LE(layer.theta, run.horizons[layer.horizon].thetaSat + 1e-12);
}

TEST(ModelReports, ErrorListingIsNeverTwelveLines)
{
    quelmtest::TempDir dir;
    for (size_t count : {1u, 8u, 9u, 10u}) {
        std::vector<String> messages(count, "fault");
        WriteErrorListing(dir.file("1.err"), "1", messages);
        std::ifstream in(dir.file("1.err"));
        size_t lines = 0;
        for (std::string l; std::getline(in, l);)
            ++lines;
        EXPECT_NE(lines, 12u) << count;
        EXPECT_GE(lines, count + 3);
    }
}

TEST(ModelReports, ValuesFollowTheRealFormat)
{
    EXPECT_EQ(FormatValue(0.25, 'G', 12, 4), "         0.25");
    EXPECT_EQ(FormatValue(1.5, 'F', 8, 3), "    1.500");
    EXPECT_EQ(FormatValue(1234567.0, 'G', 12, 4), "    1.235E+06");
    EXPECT_EQ(FormatValue(NAN, 'G', 6, 2), "      0");
}

} // namespace
