// Frequency distributions: automatic and settings classes, counting, percentiles, and the files of
// a run over a drawn map, which the statistics view then draws.
#include "plotwell/core/freq_distribution.h"
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace plotwell;
using plotwell_test::drawing;
using plotwell_test::expect_golden;
using plotwell_test::golden_path;
using plotwell_test::log_lines;
using plotwell_test::work_folder;

namespace {

distribution_counts count(const freq_classes& c, const std::vector<float>& values)
{
    distribution_counts d;
    d.counts.assign(c.classes.size() + 1, 0);
    for (float v : values) {
        const int i = freq_class_of(c, v);
        if (i < 0) continue;
        ++d.counts[static_cast<size_t>(i)];
        ++d.cells;
        d.total += v;
        d.largest = std::max(d.largest, v);
    }
    return d;
}

} // namespace

TEST(FreqDistribution, AutomaticClasses)
{
    // values 0..99: rounded to 0..100 in 10 intervals, halved to 5 classes of 20 with upper bounds included
    freq_classes c = make_automatic_classes(0, 99, distribution_kind::frequency, 0);
    ASSERT_EQ(c.classes.size(), 5u);
    EXPECT_EQ(c.classes[0].lower, 0);
    EXPECT_EQ(c.classes[0].upper, 20);
    EXPECT_TRUE(c.classes[0].lower_included);
    EXPECT_TRUE(c.classes[1].upper_included);
    EXPECT_EQ(c.classes[4].upper, 100);
    EXPECT_EQ(freq_class_of(c, 20), 0);
    EXPECT_EQ(freq_class_of(c, 20.5f), 1);
    // cumulative: the class count of NR_CUMCLASSES and one closing row at the top
    freq_classes cum = make_automatic_classes(0, 99, distribution_kind::cumulative, 50);
    EXPECT_EQ(cum.classes.size(), 51u);
    EXPECT_EQ(cum.classes.back().lower, 100);
}

TEST(FreqDistribution, SettingsClassesCloseTheirGaps)
{
    freq_classes c = read_freqdist_classes({"MATRIX_CLASS 3 0 < 10", "MATRIX_CLASS 4 10 < 20 'upper half'", "OTHER 1"});
    ASSERT_EQ(c.classes.size(), 2u);
    EXPECT_TRUE(c.from_settings);
    EXPECT_EQ(freq_class_of(c, 10), 1);
    EXPECT_EQ(freq_class_of(c, 0), -1);
    EXPECT_EQ(c.classes[1].label, "upper half");
    freq_classes open = read_freqdist_classes({"MATRIX_CLASS 3 - < 0", "MATRIX_CLASS 4 0 < -"});
    EXPECT_EQ(freq_class_of(open, -1e30f), 0);
    EXPECT_EQ(freq_class_of(open, 1e30f), 1);
}

TEST(FreqDistribution, Percentiles)
{
    freq_classes c = make_automatic_classes(1, 4, distribution_kind::percentiles, 10000);
    distribution_counts d = count(c, {1, 2, 3, 4});
    // the percentages are taken in the order given
    std::vector<double> v = percentile_values(c, d, {10, 50, 100});
    EXPECT_NEAR(v[0], 1, 0.01);
    EXPECT_NEAR(v[1], 3, 0.01); // in the class where the cumulative percentage first exceeds 50: that of 3
    EXPECT_EQ(v[2], 4);         // 100 percent: the largest counted value
    // nothing counted above 1e-30: the largest value stays 1e-30
    distribution_counts none = count(c, {});
    EXPECT_EQ(percentile_values(c, none, {100})[0], 0);
}

TEST(FreqDistribution, FilesOfARunAndTheStatisticsDrawing)
{
    work_folder folder;
    folder.write("m.asc", "ncols 4\r\nnrows 2\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\nnodata_value -1\r\n"
                          "1 2 3 4\r\n5 6 -1 8\r\n");
    const std::string settings = "DRAW_MAP ! m.asc\nMATRIX_CLASS 3 0 < 4 low\nMATRIX_CLASS 5 4 <= 9 high\nMATRIX_TITLE value\n";
    folder.write("s.set", settings);
    drawing d("xy -c s.set");
    ASSERT_TRUE(d.run()) << d.error;
    std::vector<std::string> lines = {"DRAW_MAP ! m.asc", "MATRIX_CLASS 3 0 < 4 low", "MATRIX_CLASS 5 4 <= 9 high",
                                      "MATRIX_TITLE value", "PATTERNS 2,3"};
    ASSERT_EQ(run_frequency_distribution(d.ps, lines, false, false), 1);
    expect_golden(folder.read("frqdst1.out"), "freqdist.frqdst1.out");
    expect_golden(folder.read("freqdist.job"), "freqdist.freqdist.job");

    // the statistics view draws the job: one bar per class
    drawing stats("xy -j freqdist.job");
    ASSERT_TRUE(stats.run()) << stats.error;
    expect_golden(stats.log(), "freqdist.log");

    // a single class gives nothing to count
    ASSERT_EQ(run_frequency_distribution(d.ps, {"MATRIX_CLASS 3 0 < 4"}, false, false), 1);
    EXPECT_EQ(folder.read("frqdst1.out"), "0 0\n1 0\n");
    EXPECT_NE(folder.read("freqdist.job").find("text 'only 1 class is defined' m,52 2.5 \n"), std::string::npos);

    // percentiles go to their own file and no job remains to be drawn
    d.ps.percentiles = {50, 100};
    ASSERT_EQ(run_frequency_distribution(d.ps, lines, true, true), 1);
    EXPECT_EQ(folder.read("Percentiles.out").substr(0, 8), "* m.asc\n");
    EXPECT_NE(folder.read("Percentiles.out").find("percentile 100 = 8\n"), std::string::npos);
}

TEST(FreqDistribution, JobsOfMaps)
{
    work_folder folder;
    // values 0..99 in one map: five automatic classes, coloured 1, 3, 5, 7 and 8
    std::string row;
    for (int i = 0; i < 100; ++i) row += (i ? " " : "") + std::to_string(i);
    folder.write("a.asc", "ncols 100\r\nnrows 1\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\n" + row + "\r\n");
    folder.write("m.set", "DRAW_MAP ! a.asc\n");
    folder.write("four.job", "xy -c m.set -V 2,52,48,98\nxy -c m.set -V 51,52,99,98\nxy -c m.set -V 2,2,48,48\n"
                             "xy -c m.set -V 51,2,99,48\nxy -c none.set\n");
    recording_device device;
    plot_settings ps(device);
    ps.map_x1 = 0;
    ps.map_x2 = 100;
    ps.map_y1 = 0;
    ps.map_y2 = 1;
    EXPECT_EQ(run_frequency_distribution(ps, {}, false, false, "four.job"), 4); // the call without a map is passed over
    const std::string job = folder.read("freqdist.job");
    EXPECT_NE(job.find("draw_bars 1 3 5 7 8\n"), std::string::npos) << job;
    EXPECT_NE(job.find("xy -c freqdist.job -i 1 frqdst1.out  -V 0,50,50,100\n"), std::string::npos) << job;
    EXPECT_NE(job.find("xy -c freqdist.job -i 4 frqdst4.out  -V 50,0,100,50\n"), std::string::npos) << job;

    // cumulative: n + 1 rows, the last one the upper value and 0
    folder.write("m.set", "DRAW_MAP ! a.asc\nNR_CUMCLASSES 4\n");
    EXPECT_EQ(run_frequency_distribution(ps, {}, true, false, "four.job"), 4);
    // upper bounds are included: 0..25 holds 26 of the values, 75..100 only 76..99
    EXPECT_EQ(folder.read("frqdst1.out"), "0\t26\n25\t25\n50\t25\n75\t24\n100\t0\n");

    // percentiles of a job: one file for every map, no job left to draw
    ps.percentiles = {50};
    EXPECT_EQ(run_frequency_distribution(ps, {}, true, true, "four.job"), 4);
    const std::string p = folder.read("Percentiles.out");
    EXPECT_EQ(std::count(p.begin(), p.end(), '*'), 12) << p; // three comment lines per map
    EXPECT_FALSE(std::filesystem::exists("freqdist.job"));
}

TEST(FreqDistribution, ViewportsSnapToTheGrid)
{
    std::vector<std::string> v = {"2,52,48,98", "51,52,99,98", "2,2,48,48", "51,2,99,48"};
    snap_viewports(v);
    EXPECT_EQ(v, (std::vector<std::string>{"0,50,50,100", "50,50,100,100", "0,0,50,50", "50,0,100,50"}));
}

TEST(FreqDistribution, FreqdistCumdistIncludeAndCommandLinesReachTheDistribution)
{
    work_folder folder;
    folder.write("m.asc", "ncols 4\r\nnrows 1\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\n1 2 3 4\r\n");
    folder.write("chart.set", "* the distribution charts of all maps\nBARS\nTITLE_3 from chart.set\nEND\n"
                              "CUMUL\nLEGEND_POS 10,90\nend of it\nTITLE_4 not copied\n");
    recording_device device;
    plot_settings ps(device);
    ps.map.file_name = "m.asc";
    ps.map_x1 = 0;
    ps.map_x2 = 4;
    ps.map_y1 = 0;
    ps.map_y2 = 1;
    // FREQDIST: a section of another file, and a section of the call's own settings
    const std::vector<std::string> lines = {"MATRIX_CLASS 3 0 < 2.5 low", "MATRIX_CLASS 5 2.5 <= 9 high",
                                            "FREQDIST chart.set,BARS", "FREQDIST OWN", "OWN", "X_TEXT own axis",
                                            "END", "CUMDIST chart.set,CUMUL", "COLORFILE my.col"};
    ASSERT_EQ(run_frequency_distribution(ps, lines, false, false), 1);
    std::string job = folder.read("freqdist.job");
    EXPECT_NE(job.find("char_width 1.3\nTITLE_3 from chart.set\nX_TEXT own axis\nend\n"), std::string::npos) << job;
    EXPECT_EQ(job.find("LEGEND_POS"), std::string::npos) << job;
    // CUMDIST lines and the colour file reach the cumulative chart, in the order of the settings
    ASSERT_EQ(run_frequency_distribution(ps, lines, true, false), 1);
    job = folder.read("freqdist.job");
    EXPECT_NE(job.find("Title_1 Cumulative frequency distribution\nLEGEND_POS 10,90\ncolorfile my.col\ndata frqdst1.out 1 2\n"),
              std::string::npos)
        << job;
    EXPECT_EQ(job.find("TITLE_4"), std::string::npos) << job;

    // a job call finds its map through an INCLUDE line and its classes on its -cmd lines
    folder.write("common.set", "MAPS\nDRAW_MAP ! m.asc\nEND\n");
    folder.write("j.set", "INCLUDE common.set,MAPS\n");
    folder.write("one.job", "xy -c j.set -cmd 'MATRIX_CLASS 2 0 < 3.5 small' -cmd 'MATRIX_CLASS 4 3.5 <= 9 large' -V 0,0,100,100\n");
    ASSERT_EQ(run_frequency_distribution(ps, {}, false, false, "one.job"), 1);
    EXPECT_EQ(folder.read("frqdst1.out"), "1\t75 - 3\n2\t- 25 1\n");
    job = folder.read("freqdist.job");
    EXPECT_NE(job.find("\"small\" \"large\" '\n"), std::string::npos) << job;
    EXPECT_NE(job.find("draw_bars 2 4 \n"), std::string::npos) << job;
}
