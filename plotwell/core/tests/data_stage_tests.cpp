// The point pipeline and the plot driver's refusals, seen in the polylines the drawing sends.
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

using namespace plotwell;
using plotwell_test::drawing;
using plotwell_test::log_lines;
using plotwell_test::work_folder;

namespace {

// Draws `data` with the settings lines (axes fixed to 0..10 so that a value v is drawn at v / 10).
std::vector<std::string> polylines(const std::string& settings, const std::string& data, std::string* error = nullptr)
{
    work_folder folder;
    folder.write("s.set", "X_AXIS 0 10\nY_AXIS 0 10\n" + settings);
    folder.write("d.dat", data);
    drawing d("xy -c s.set d.dat");
    if (!d.run()) {
        if (error) *error = d.error;
        return {};
    }
    return log_lines(d.log(), "gr_polyline");
}

} // namespace

TEST(DataStage, PointPipelineCases)
{
    struct pipeline_case {
        const char* what;
        const char* settings;
        const char* data;
        std::vector<std::string> lines;
    } cases[] = {
        {"tiny values become 0, huge ones the clamp value", "XY_COLUMNS 1,2\n", "1 1e-40\n2 1e39\n",
         {"gr_polyline 2 0.1 0 0.2 50"}},
        {"a missing value breaks an interrupted line", "XY_COLUMNS 1,2\nINTERRUPT_LINES 1\n", "1 1\n2 -\n3 3\n4 4\n",
         {"gr_polyline 2 0.1 0.1 0.1 0.1", "gr_polyline 2 0.3 0.3 0.4 0.4"}},
        {"without INTERRUPT_LINES the line joins the points", "XY_COLUMNS 1,2\n", "1 1\n2 -\n3 3\n4 4\n",
         {"gr_polyline 3 0.1 0.1 0.3 0.3 0.4 0.4"}},
        {"stacked series add up", "XY_COLUMNS 1,2 1,3 1,4\nSTACK_DATA\n", "1 1 1 1\n",
         {"gr_polyline 2 0.1 0.1 0.1 0.1", "gr_polyline 2 0.1 0.2 0.1 0.2", "gr_polyline 2 0.1 0.3 0.1 0.3"}},
        {"a cumulative series draws running sums", "XY_COLUMNS 1,2\nCUMULATIVE 1\n", "1 1\n2 2\n3 3\n",
         {"gr_polyline 3 0.1 0.1 0.2 0.3 0.3 0.6"}},
        {"a value below the detection limit is multiplied", "XY_COLUMNS 1,2\nDETECTION_VALUE 0.5\n", "1 <5\n2 >5\n",
         {"gr_polyline 2 0.1 0.25 0.2 0.5"}},
        {"without DETECTION_VALUE a prefixed value is no point", "XY_COLUMNS 1,2\n", "1 <5\n2 4\n",
         {"gr_polyline 2 0.2 0.4 0.2 0.4"}},
        {"rows with the error value are passed over", "XY_COLUMNS 1,2\nERROR_VALUE -99\n", "1 1\n2 -99\n3 3\n",
         {"gr_polyline 2 0.1 0.1 0.3 0.3"}},
        {"the scaling factor multiplies y", "XY_COLUMNS 1,2\nSCALING_FACTOR 2\n", "1 1\n2 2\n",
         {"gr_polyline 2 0.1 0.2 0.2 0.4"}},
        {"skipped and empty rows", "XY_COLUMNS 1,2\nSKIP #\n", "# header\n\n1 1\n2 2\n", {"gr_polyline 2 0.1 0.1 0.2 0.2"}},
    };
    for (const pipeline_case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        EXPECT_EQ(polylines(c.settings, c.data, &error), c.lines) << error;
    }
}

TEST(DataStage, SeriesOfADataFileWithoutSettings)
{
    work_folder folder;
    folder.write("five.dat", "1 2 3 4 5\n2 3 4 5 6\n");
    drawing five("xy five.dat");
    ASSERT_TRUE(five.run()) << five.error;
    EXPECT_EQ(five.ps.series_count, 4);
    EXPECT_EQ(log_lines(five.log(), "gr_polyline").size(), 4u);

    std::string row, row2;
    for (int i = 0; i < 40; ++i) {
        row += std::to_string(i) + " ";
        row2 += std::to_string(i + 1) + " ";
    }
    folder.write("wide.dat", row + "\n" + row2 + "\n");
    drawing wide("xy wide.dat");
    ASSERT_TRUE(wide.run()) << wide.error;
    EXPECT_EQ(wide.ps.series_count, 32);
}

TEST(DataStage, RefusalsOfThePlotDriver)
{
    struct refusal {
        const char* settings;
        const char* data;
        const char* message;
    } cases[] = {
        {"X_AXIS 0 10 ! ! ! 1\nY_AXIS 0 10\nXY_COLUMNS 1,2\n", "1 1\n", "logscale x-axis <=0 not allowed\n"},
        {"X_AXIS 5 5\nY_AXIS 0 10\nXY_COLUMNS 1,2\n", "1 1\n", "x-axis: minimum and maximum are equal (5); this is not allowed\n"},
        {"Y_AXIS 0 1e999\nXY_COLUMNS 1,2\n", "1 1\n", "Y_AXIS: the value 1e999 is not a finite number\n"},
        {"XY_COLUMNS 1,2\n", "1 1e999\n2 2\n", "data line \"1 1e999\" holds a value that is not a finite number\n"},
        {"XY_COLUMNS 1,2 3,4\nSTACK_DATA\n", "1 1 1 1\n", "For STACKED_DATA all x-values must be subtracted from the same data column\n"},
        {"XY_COLUMNS 1,2 1,3\nSTACK_DATA\nYAXIS_NUMBER 1 2\n", "1 1 1\n", "with option -a you can't use the right y-axis\n"},
    };
    for (const refusal& r : cases) {
        SCOPED_TRACE(r.settings);
        work_folder folder;
        folder.write("s.set", r.settings);
        folder.write("d.dat", r.data);
        drawing d("xy -c s.set d.dat");
        EXPECT_FALSE(d.run());
        EXPECT_EQ(d.error, r.message);
    }
    work_folder folder;
    folder.write("skipped.dat", "* only\n* comments\n");
    drawing d("xy skipped.dat");
    EXPECT_FALSE(d.run());
    EXPECT_EQ(d.error, "input file is empty\n");
}

TEST(DataStage, GivenRangesStillCountTheRows)
{
    work_folder folder;
    folder.write("s.set", "X_AXIS 0 10\nY1_AXIS 0 5\nXY_COLUMNS 1,2\n");
    folder.write("d.dat", "1 1\n2 2\n3 3\n");
    drawing d("xy -c s.set d.dat");
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_EQ(d.ps.point_count, 3);
    EXPECT_EQ(d.ps.x_axis.max, 10);
}

TEST(DataStage, DataLinesOfTheCallAreSelected)
{
    work_folder folder;
    folder.write("run.out", "1 a 5\n2 b 6\n3 a 7\n");
    drawing d("xy -data \"run.out 1 3 2 a\" -data \"run.out 1 3\"");
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_EQ(folder.read("data.xy"), "1\t5\t1\t5\n3\t7\t2\t6\n-\t-\t3\t7\n");
    EXPECT_EQ(log_lines(d.log(), "gr_polyline").size(), 2u);
}

TEST(DataStage, DataLinesOfTheCallSelectAsThoseOfASettingsFile)
{
    // a second line with the "!" x rule shares the x column of the first
    work_folder folder;
    folder.write("f", "1 10\n2 20\n3 30\n");
    folder.write("s.set", "DATA f 1 2\nDATA f ! 2 1 +1\n");
    drawing call("xy -data \"f 1 2\" -data \"f ! 2 1 +1\"");
    ASSERT_TRUE(call.run()) << call.error;
    const std::string selected = folder.read("data.xy");
    drawing file("xy -c s.set");
    ASSERT_TRUE(file.run()) << file.error;
    EXPECT_EQ(folder.read("data.xy"), selected);
    std::vector<std::string> lines = log_lines(call.log(), "gr_polyline");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines, log_lines(file.log(), "gr_polyline"));
    EXPECT_EQ(call.ps.x_column[1], 1);
    EXPECT_EQ(call.ps.y_column[1], 3);
}

TEST(DataStage, MarkersAreDrawnAtEveryPoint)
{
    work_folder folder;
    folder.write("d.dat", "1 1\n2 2\n3 3\n");
    drawing d("xy -m d.dat");
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_TRUE(log_lines(d.log(), "gr_polyline").empty());
    EXPECT_EQ(log_lines(d.log(), "gr_marker").size(), 3u + 0u);
}

TEST(ExpressionCurves, PointsOnALogarithmicAxis)
{
    work_folder folder;
    folder.write("s.set", "DRAW_EXPRESSION X*2 1 1000 3\nX_AXIS 1 1000 3 ! ! 1\n");
    drawing d("xy -c s.set");
    ASSERT_TRUE(d.run()) << d.error;
    std::vector<std::string> lines = log_lines(d.log(), "gr_polyline");
    ASSERT_EQ(lines.size(), 1u);
    // x 1, 10, 100, 1000 on the decades; y 2 .. 2000 on the autoscaled axis 0 .. 2000
    EXPECT_EQ(lines[0], "gr_polyline 4 0 0.001 0.333333 0.01 0.666667 0.1 1 1");
}

// A curve that counts its points gives the same drawing every time: a drawing starts with its own
// evaluator variables at 0, whatever an earlier drawing left in them.
TEST(ExpressionCurves, EachDrawingStartsWithItsVariablesAtZero)
{
    work_folder folder;
    folder.write("s.set", "DRAW_EXPRESSION N=N+1 1 3 3\n");
    drawing d("xy -c s.set");
    ASSERT_TRUE(d.run()) << d.error;
    const double count = d.ps.evaluator_variables['N'];
    EXPECT_GE(count, 3);
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_EQ(d.ps.evaluator_variables['N'], count);
    std::vector<std::string> lines = log_lines(d.log(), "gr_polyline");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], lines[1]);
}

TEST(ExpressionCurves, OnlyCurvesOnAnAutoscaledLogarithmicAxis)
{
    // the x range comes from the curve (1 .. 1000), not from data that do not exist
    work_folder folder;
    folder.write("s.set", "DRAW_EXPRESSION X*2 1 1000 3\nX_AXIS ! ! ! ! ! 1\n");
    drawing d("xy -c s.set");
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_EQ(d.ps.x_axis.min, 1);
    EXPECT_EQ(d.ps.x_axis.max, 1000);
    std::vector<std::string> lines = log_lines(d.log(), "gr_polyline");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 26), "gr_polyline 4 0 0.001 0.33");

    // a curve that reaches 0 on that axis is still refused
    work_folder zero;
    zero.write("s.set", "DRAW_EXPRESSION X*2 0 1000 3\nX_AXIS ! ! ! ! ! 1\n");
    drawing z("xy -c s.set");
    EXPECT_FALSE(z.run());
    EXPECT_EQ(z.error, "logscale x-axis <=0 not allowed\n");
}

TEST(ExpressionCurves, StackingRefusals)
{
    struct refusal {
        const char* settings;
        const char* call;
        const char* message;
    } cases[] = {
        {"DRAW_EXPRESSION X 0 10 1000\nDRAW_EXPRESSION X 0 10 500\nSTACK_DATA\n", "xy -c s.set",
         "illegal use of ADD option: different number of x-values in EXPRESSIONS\n"},
        {"XY_COLUMNS 1,2\nDRAW_EXPRESSION X 0 10\nDRAW_EXPRESSION X 0 10\nSTACK_DATA\n", "xy -c s.set d.dat",
         "illegal use of ADD option: combination of data series and expressions\n"},
    };
    for (const refusal& r : cases) {
        SCOPED_TRACE(r.settings);
        work_folder folder;
        folder.write("s.set", r.settings);
        folder.write("d.dat", "1 1\n2 2\n");
        drawing d(r.call);
        EXPECT_FALSE(d.run());
        EXPECT_EQ(d.error, r.message);
    }
    work_folder folder;
    folder.write("s.set", "XY_COLUMNS 1,2\nDRAW_EXPRESSION X 0 10\nSTACK_DATA\n");
    folder.write("d.dat", "1 1\n2 2\n");
    drawing one("xy -c s.set d.dat");
    EXPECT_TRUE(one.run()) << one.error;
    EXPECT_EQ(log_lines(one.log(), "gr_polyline").size(), 2u);
}

TEST(DataStage, LaterDrawingsTakeTheColumnsFromTheFirstDataRow)
{
    work_folder folder;
    folder.write("three.dat", "1 2 3\n2 3 4\n");
    folder.write("four.dat", "# x a b c\n1 2 3 4\n");
    folder.write("none.dat", "# nothing\n\n");
    drawing d("xy three.dat");
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_EQ(d.ps.series_count, 2);
    EXPECT_EQ(d.ps.reload_mark, 0);
    d.ps.app.xy_call_line = "xy -s # four.dat";
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_EQ(d.ps.series_count, 3);
    d.ps.app.xy_call_line = "xy -s # none.dat";
    EXPECT_FALSE(d.run());
    EXPECT_EQ(d.error, "input file is empty\n");
}
