// Bar geometry, deviation styles and the regression fit with its report across the drawings of a
// program run.
#include "plotwell/core/linear_regression.h"
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace plotwell;
using plotwell_test::drawing;
using plotwell_test::log_lines;
using plotwell_test::work_folder;

namespace {

// The four numbers of a "gr_rectangle" log line.
std::vector<double> rectangle(const std::string& line)
{
    std::istringstream in(line.substr(line.find(' ') + 1));
    std::vector<double> v(4);
    for (double& x : v) in >> x;
    return v;
}

} // namespace

TEST(Bars, TwoSeriesSideBySide)
{
    // NR_BARS 10 and two bar series: w = 1 / 10 / 1.4 / (2/3 + 1); the first series starts 0.833 w
    // left of its x, the second 0.167 w
    work_folder folder;
    folder.write("d.dat", "1 1 1\n2 2 2\n");
    folder.write("s.set", "NR_BARS 10\nX_AXIS 0 10\nY_AXIS 0 4\n");
    drawing d("xy -B -c s.set d.dat");
    ASSERT_TRUE(d.run()) << d.error;
    // the bars are the rectangles in frame units (the legend's lie in layout units)
    std::vector<std::string> bars;
    for (const std::string& l : log_lines(d.log(), "gr_rectangle"))
        if (rectangle(l)[2] <= 1.5) bars.push_back(l);
    ASSERT_EQ(bars.size(), 4u);
    const double w = 1.0 / 10 / 1.4 / (2.0 / 3 + 1);
    EXPECT_NEAR(w, 0.0429, 1e-4);
    // bars 0 and 2 stand at the same x, one per series
    EXPECT_NEAR(rectangle(bars[0])[2] - rectangle(bars[0])[0], w, 1e-5);
    EXPECT_NEAR(rectangle(bars[2])[0] - rectangle(bars[0])[0], w * (5.0 / 6 - 1.0 / 6), 1e-5);
    EXPECT_NEAR(rectangle(bars[1])[0] - rectangle(bars[0])[0], rectangle(bars[3])[0] - rectangle(bars[2])[0], 1e-5);
}

TEST(Bars, ChunksDrawEveryBarOnce)
{
    // the point carried from one chunk to the next keeps lines joined but is not a second bar
    work_folder folder;
    std::string data;
    for (int i = 1; i <= 100005; ++i) data += std::to_string(i) + " 1\n";
    folder.write("d.dat", data);
    folder.write("s.set", "DRAW_BARS 1\nDRAW_LINES 0\nX_AXIS 0 100010\nY_AXIS 0 2\n");
    drawing d("xy -c s.set d.dat");
    ASSERT_TRUE(d.run()) << d.error;
    size_t bars = 0;
    for (const std::string& l : log_lines(d.log(), "gr_rectangle"))
        if (rectangle(l)[2] <= 1.5) ++bars;
    EXPECT_EQ(bars, 100005u);
}

TEST(Regression, UndefinedFitsAreReportedWithoutALine)
{
    struct fit_case {
        const char* data;
        int observations;
        const char* report_line_2;
        bool line;
    } cases[] = {
        {"1 2\n2 4\n3 6\n", 3, "y = 0 + 2x", true},   // exact: R square 1, standard error 0
        {"2 1\n2 3\n2 5\n", 3, "y = 0 + 0x", false},  // all x equal: no slope
        {"1 1\n2 3\n", 2, "y = -1 + 2x", true},       // two points: no standard error
        {"1 4\n2 4\n3 4\n", 3, "y = 4 + 0x", true},   // all y equal: R square 1
    };
    for (const fit_case& c : cases) {
        SCOPED_TRACE(c.data);
        work_folder folder;
        folder.write("d.dat", c.data);
        folder.write("s.set", "LIN_REGR1 1\nX_AXIS 0 4\nY_AXIS 0 8\n");
        drawing d("xy -c s.set d.dat");
        ASSERT_TRUE(d.run()) << d.error;
        std::istringstream report(folder.read("lin_regr.xy"));
        std::string l1, l2, l3;
        std::getline(report, l1);
        std::getline(report, l2);
        std::getline(report, l3);
        EXPECT_EQ(l1, "Regression 1:");
        EXPECT_EQ(l2, c.report_line_2);
        EXPECT_EQ(l3, "No. of observations                         = " + std::to_string(c.observations));
        EXPECT_EQ(d.ps.regressions[0].fit.defined, c.line);
        EXPECT_EQ(folder.read("lin_regr.xy").find("nan"), std::string::npos);
    }
}

TEST(Regression, ReportGrowsOverTheProgramRunAndRefusesMixedAxes)
{
    work_folder folder;
    folder.write("d.dat", "1 2 3\n2 4 5\n3 6 8\n");
    folder.write("s.set", "XY_COLUMNS 1,2 1,3\nLIN_REGR1 1 1\n");
    drawing d("xy -c s.set d.dat");
    ASSERT_TRUE(d.run()) << d.error;
    const std::string first = folder.read("lin_regr.xy");
    d.device.clear_log();
    ASSERT_TRUE(d.run()) << d.error; // a repaint appends its report
    EXPECT_EQ(folder.read("lin_regr.xy"), first + first);
    EXPECT_EQ(d.ps.regression_figure, 2);
    // two series: the line in colour 1
    EXPECT_NE(d.log().find("gr_set_colour 1\ngr_move_to 0 "), std::string::npos);

    folder.write("s.set", "XY_COLUMNS 1,2 1,3\nLIN_REGR1 1 1\nYAXIS_NUMBER 1 2\n");
    EXPECT_FALSE(d.run());
    EXPECT_EQ(d.error, "data sets for linear regression only for left or only for right y-axis\n");
}
