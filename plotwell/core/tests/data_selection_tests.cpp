// Settings preparation: sections, command lines, INCLUDE, the winmenu.set merge, and the selection.
#include "plotwell/core/data_selection.h"
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

using namespace plotwell;
using plotwell_test::drawing;
using plotwell_test::log_lines;
using plotwell_test::work_folder;

namespace {
const char* const data = "1 5\n2 6\n3 7\n";
}

TEST(SettingsPreparation, SectionsCommandLinesAndIncludes)
{
    struct preparation_case {
        const char* what;
        const char* settings;
        const char* call;
        bool (*holds)(const plot_settings&);
    } cases[] = {
        {"only the named section is read", "GRAPH_A\nXY_COLUMNS 1,2\nTITLE_1 A\nend\nGRAPH_B\nXY_COLUMNS 1,2\nTITLE_1 B\n",
         "xy -c s.set -i GRAPH_B d.dat", [](const plot_settings& p) { return p.title[0] == "B"; }},
        {"the section ends at END in any case", "G\nXY_COLUMNS 1,2\nEnd of it\nTITLE_1 after\n", "xy -c s.set -i G d.dat",
         [](const plot_settings& p) { return !p.title_given[0]; }},
        {"command lines follow the settings file", "XY_COLUMNS 1,2\nTITLE_1 file\n", "xy -c s.set -cmd \"TITLE_1 command\" d.dat",
         [](const plot_settings& p) { return p.title[0] == "command"; }},
        {"command lines alone are settings", "", "xy -cmd \"XY_COLUMNS 1,2\" -cmd \"TITLE_2 two\" d.dat",
         [](const plot_settings& p) { return p.title[1] == "two"; }},
        {"INCLUDE file,section copies that section", "XY_COLUMNS 1,2\nINCLUDE common.set,AXES\n", "xy -c s.set d.dat",
         [](const plot_settings& p) { return p.x_axis.max == 50 && !p.title_given[2]; }},
        {"INCLUDE of a section of the settings file itself",
         "MAIN\nXY_COLUMNS 1,2\nINCLUDE AXES\nEND\nAXES\nX_AXIS 0 40\nEND\n", "xy -c s.set -i MAIN d.dat",
         [](const plot_settings& p) { return p.x_axis.max == 40; }},
        {"INCLUDE of a whole file; a third word is ignored", "XY_COLUMNS 1,2\nINCLUDE whole.set ignored\n",
         "xy -c s.set d.dat", [](const plot_settings& p) { return p.title[3] == "whole"; }},
        {"INCLUDE without a file is dropped", "XY_COLUMNS 1,2\nINCLUDE\n", "xy -c s.set d.dat",
         [](const plot_settings& p) { return p.series_count == 1; }},
    };
    for (const preparation_case& c : cases) {
        SCOPED_TRACE(c.what);
        work_folder folder;
        folder.write("s.set", c.settings);
        folder.write("d.dat", data);
        folder.write("common.set", "LINES\nTITLE_3 no\nEND\nAXES\nX_AXIS 0 50\nEND\nTITLE_3 no\n");
        folder.write("whole.set", "* a comment\nTITLE_4 whole\n");
        drawing d(c.call);
        ASSERT_TRUE(d.run()) << d.error;
        EXPECT_TRUE(c.holds(d.ps));
    }
}

TEST(SettingsPreparation, IncludeHasNoEffectOffTheScreen)
{
    work_folder folder;
    folder.write("s.set", "XY_COLUMNS 1,2\nINCLUDE whole.set\n");
    folder.write("whole.set", "TITLE_4 whole\n");
    folder.write("d.dat", data);
    drawing d("xy -c s.set d.dat");
    d.ps.app.exporting = true;
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_FALSE(d.ps.title_given[3]);
}

TEST(SettingsPreparation, WinmenuMergeReplacesTheLinesItSets)
{
    work_folder folder;
    folder.write("s.set", "XY_COLUMNS 1,2\nTITLE_1 old\nTITLE_10 also old\nTITLE_2 kept\n");
    folder.write("winmenu.set", "TITLE_1 new\n");
    folder.write("d.dat", data);
    drawing d("xy -c s.set d.dat");
    d.ps.app.winmenu_written = true;
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_EQ(d.ps.title[0], "new");
    EXPECT_EQ(d.ps.title[1], "kept");
}

TEST(SettingsPreparation, Refusals)
{
    struct refusal {
        const char* settings;
        const char* call;
        const char* message;
    } cases[] = {
        {"XY_COLUMNS 1,2\n", "xy -c s.set -i NOWHERE d.dat", "NOWHERE not found in s.set"},
        {"XY_COLUMNS 1,2\nINCLUDE none.set,AXES\n", "xy -c s.set d.dat", "File none.set does not exist!"},
        {"XY_COLUMNS 1,2\n", "xy -c s.set", "a DATA or XY_COLUMNS setting needed in configuration file\n"},
        {"DATA d.dat 1 2 2 =99\n", "xy -c s.set", "no xy-data found, check DATA or EXTRA_DATA settings, and/or data file\n"},
        {"DATA d.dat 1 2 x 5\n", "xy -c s.set", "column 4 in line 1 of rowsift settings file must contain a number\n"},
        {"NO_LEGEND\n", "xy -c s.set", "no information available on xy-columns\n"},
        {"XY_COLUMNS 1,2\n", "xy -c none.set d.dat", "Cannot open none.set\n"},
    };
    for (const refusal& r : cases) {
        SCOPED_TRACE(r.call);
        work_folder folder;
        folder.write("s.set", r.settings);
        folder.write("d.dat", data);
        drawing d(r.call);
        EXPECT_FALSE(d.run());
        EXPECT_EQ(d.error, r.message);
    }
}

TEST(SettingsPreparation, ProgressWindowOnlyAboveHalfAMillionBytes)
{
    for (long size : {500000L, 500001L}) {
        SCOPED_TRACE(size);
        work_folder folder;
        std::string text;
        long rows = 0;
        while (static_cast<long>(text.size()) + 10 < size) {
            text += "1 2345678\n";
            ++rows;
        }
        text += std::string(static_cast<size_t>(size) - text.size() - 1, '*') + "\n"; // a skipped row fills up
        ASSERT_EQ(static_cast<long>(text.size()), size);
        folder.write("big.dat", text);
        folder.write("s.set", "DATA big.dat 1 2\nX_AXIS 0 2\nY_AXIS 0 3e6\n");
        drawing d("xy -c s.set");
        std::vector<std::string> shown;
        int percent = -1;
        d.ps.app.progress = [&](const std::string& first, const std::string& second, int pct) {
            shown.push_back(first + "|" + second);
            EXPECT_GE(pct, percent);
            percent = pct;
        };
        ASSERT_TRUE(d.run()) << d.error;
        if (size == 500000) {
            EXPECT_TRUE(shown.empty());
        } else {
            ASSERT_FALSE(shown.empty());
            EXPECT_EQ(shown.front(), "Data selection. Number of data selected:|0");
            EXPECT_EQ(shown.back(), "Data selection. Number of data selected:|" + std::to_string(rows));
            EXPECT_EQ(percent, 100);
        }
    }
}

// The drawing puts its shared context into plotwell's variant whatever state it was left in, and
// a DEFAULT_DIR line moves the folder where the selection also looks for its data files.
TEST(SettingsPreparation, DataFilesAreAlsoFoundInTheFolderOfDefaultDir)
{
    work_folder folder;
    std::filesystem::create_directory(folder.file("lib"));
    folder.write("lib/d.dat", data);
    folder.write("s.set", "DEFAULT_DIR " + folder.file("lib") + "\nDATA d.dat 1 2\n");
    drawing d("xy -c s.set");
    d.ps.shared = shared_context{}; // rowsift's variant, no settings folder
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_EQ(d.ps.shared.variant, shared_variant::plotwell);
    EXPECT_EQ(d.ps.series_count, 1);

    work_folder elsewhere; // not found anywhere: plotwell's message, the name not expanded
    elsewhere.write("s.set", "DATA $HOME/d.dat 1 2\n");
    drawing missing("xy -c s.set");
    EXPECT_FALSE(missing.run());
    EXPECT_EQ(missing.error, "Cannot open $HOME/d.dat\n");
}
