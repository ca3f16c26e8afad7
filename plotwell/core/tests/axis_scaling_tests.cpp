// Axis fractions, range rounding, logarithmic ranges and tick labels.
#include "plotwell/core/axis_ticks.h"
#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/plot_defaults.h"
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plotwell;

namespace {
struct context {
    recording_device device{1000, 700};
    plot_settings ps{device};
};
std::string message_of(const std::function<void()>& f)
{
    try {
        f();
    } catch (const plot_error& e) {
        return e.what();
    }
    return "(no error)";
}
} // namespace

TEST(AxisScaling, RoundAxisRangeTable)
{
    struct range_case {
        double lo, hi;
        double out_min, out_max;
        int intervals;
    } cases[] = {
        {0, 1, 0, 1, 10},     {0, 10, 0, 10, 5},     {0, 7, 0, 7, 7},        {0, 95, 0, 100, 10},
        {5, 95, 5, 95, 9},    {0.5, 73.2, 0, 80, 8}, {0, 0.37, 0, 0.4, 4},   {0, 110, 0, 200, 2},
        {3, 3, 2, 4, 2},      {-12, 37, -12, 38, 5}, {10, 0, 10, 0, 5},      {4, 6, 4, 6, 10},
        {1, 4, 1, 4, 3},
    };
    for (const range_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.lo << ", " << c.hi << ")");
        double mn, mx;
        EXPECT_EQ(round_axis_range(c.lo, c.hi, mn, mx, 1), c.intervals);
        EXPECT_NEAR(mn, c.out_min, 1e-9);
        EXPECT_NEAR(mx, c.out_max, 1e-9);
    }
}

TEST(AxisScaling, RoundAxisRangeInMultiplesOfTwo)
{
    double mn, mx;
    int m = round_axis_range(0, 7, mn, mx, 2);
    EXPECT_EQ(mn, 0);
    EXPECT_NEAR(mx, 7.0, 1e-9); // 70 units are already a multiple of 2
    EXPECT_EQ(m, 7);
    m = round_axis_range(0, 0.37, mn, mx, 2);
    EXPECT_NEAR(mx, 0.4, 1e-9);
    EXPECT_EQ(m, 4);
}

TEST(AxisScaling, LogAxisRangeTable)
{
    struct log_case {
        double lo, hi, out_lo, out_hi;
        int decades;
    } cases[] = {{0.03, 700, 0.01, 1000, 5}, {10, 100, 1, 100, 2}, {1, 1000, 1, 1000, 3}, {2, 3, 1, 10, 1},
                 {50, 5e6, 10, 1e7, 6}};
    for (const log_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.lo << ", " << c.hi << ")");
        double lo, hi;
        EXPECT_EQ(log_axis_range(c.lo, c.hi, lo, hi), c.decades);
        EXPECT_NEAR(lo, c.out_lo, c.out_lo * 1e-12);
        EXPECT_NEAR(hi, c.out_hi, c.out_hi * 1e-12);
    }
    double lo, hi;
    for (double bad : {0.0, -1.0}) {
        EXPECT_EQ(message_of([&] { log_axis_range(bad, 10, lo, hi); }),
                  "error in scaling log-axis because of data less or equal 0\n");
    }
}

TEST(AxisScaling, FractionsAndTheirLimits)
{
    context c;
    EXPECT_EQ(linear_fraction(2, 2, 4), 0);
    EXPECT_EQ(linear_fraction(4, 2, 4), 1);
    EXPECT_EQ(axis_fraction(c.ps, 0, 2 + 100 * 2 + 2, 2, 4), 50.0f);
    EXPECT_EQ(axis_fraction(c.ps, 0, -1000, 2, 4), -50.0f);
    EXPECT_EQ(axis_fraction(c.ps, 0, 2 + 1e-9, 2, 4), 0.0f);
    EXPECT_NEAR(axis_fraction(c.ps, 1, 10, 1, 100), 0.5f, 1e-7);
    EXPECT_EQ(message_of([&] { log_fraction(c.ps, 0, 1, 100); }), "unable to calculate logarithm of 0\n");
    EXPECT_EQ(message_of([&] { log_fraction(c.ps, -1, 1, 100); }), "unable to calculate logarithm of -1\n");
    c.ps.logzero = 1;
    EXPECT_EQ(log_fraction(c.ps, 0, 1, 100), 0);
    EXPECT_NEAR(log_fraction(c.ps, 1, 1, 100), 0.05, 1e-12);
    EXPECT_NEAR(log_fraction(c.ps, 100, 1, 100), 1.0, 1e-12);
}

TEST(AxisScaling, ScaleAxisKeepsGivenMinimumAndHints)
{
    struct hint_case {
        const char* what;
        int keep_min, hint;
        double given_min, data_min, data_max;
        double axis_min, axis_max;
    } cases[] = {
        {"plain minimum stays", 1, 0, 0, 5, 95, 0, 100},
        {"hint kept above data", 1, 1, 0, 5, 95, 0, 100},
        {"hint below data minimum gives way", 1, 1, 0, -5, 95, -5, 95},
        {"equal extremes spread", 0, 0, 0, 5, 5, 4, 6},
        {"equal extremes below one", 0, 0, 0, 0.5, 0.5, 0.5, 1.5},
    };
    for (const hint_case& h : cases) {
        SCOPED_TRACE(h.what);
        context c;
        c.ps.y1_axis.min = h.given_min;
        scale_axis(c.ps, h.keep_min, h.data_min, 0, h.data_max, 1, h.hint);
        EXPECT_NEAR(c.ps.y1_axis.min, h.axis_min, 1e-9);
        EXPECT_NEAR(c.ps.y1_axis.max, h.axis_max, 1e-9);
    }
    context labels;
    labels.ps.x_axis.labels_given = 1;
    labels.ps.x_axis.intervals = 4;
    scale_axis(labels.ps, 0, 0, 0, 95, 0, 0);
    EXPECT_EQ(labels.ps.x_axis.intervals, 4);
}

TEST(AxisScaling, NonFiniteRangesAreRefused)
{
    context c;
    EXPECT_EQ(message_of([&] { scale_axis(c.ps, 0, 0, 0, INFINITY, 1, 0); }), "axis range 0 to inf cannot be drawn\n");
}

TEST(AxisScaling, EveryFiniteRangeEndsInARoundingOrAClearRefusal)
{
    // spans beyond the largest double and spans of a few denormals cannot be rounded; the extremes
    // of the representable numbers that can be are rounded to ends that enclose them
    struct hostile {
        double lo, hi;
        const char* refusal;
    } cases[] = {
        {-1e308, 1e308, "axis range -1e+308 to 1e+308 cannot be drawn\n"},
        {1e308, -1e308, "axis range 1e+308 to -1e+308 cannot be drawn\n"},
        {-1.7976931348623157e308, 0.5e308, "axis range -1.79769e+308 to 5e+307 cannot be drawn\n"},
        {1e-323, 4e-323, "axis range 9.88131e-324 to 3.95253e-323 cannot be drawn\n"},
        {0, 1e308, nullptr},
        {-1e308, -0.9e308, nullptr},
        {1e300, std::nextafter(1e300, 2e300), nullptr},
        {0, 1e-300, nullptr},
        {-4e307, 4e307, nullptr},
    };
    for (const hostile& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.lo << ", " << c.hi << ")");
        for (int k : {1, 2}) {
            double mn = 0, mx = 0;
            int m = 0;
            const std::string error = message_of([&] { m = round_axis_range(c.lo, c.hi, mn, mx, k); });
            if (c.refusal) {
                EXPECT_EQ(error, c.refusal);
                continue;
            }
            EXPECT_EQ(error, "(no error)");
            EXPECT_TRUE(std::isfinite(mx - mn));
            // the rounded ends enclose the data up to the last digits of the unit's division
            const double slack = 1e-12 * std::max(std::fabs(c.lo), std::fabs(c.hi));
            EXPECT_LE(mn, std::min(c.lo, c.hi) + slack);
            EXPECT_GE(mx, std::max(c.lo, c.hi) - slack);
            EXPECT_GE(m, 1);
            EXPECT_LE(m, 11);
        }
    }
}

TEST(AxisScaling, CheckLogAxisNamesTheAxis)
{
    EXPECT_EQ(message_of([] { check_log_axis(1, "x-axis", 0, 10); }), "logscale x-axis <=0 not allowed\n");
    EXPECT_EQ(message_of([] { check_log_axis(0, "x-axis", 0, 10); }), "(no error)");
}

TEST(AxisScaling, ZoomAxisWithManyIntervalsIsHalvedAndExtended)
{
    // 25 decades: one more at the maximum end (26, halved to 13), then one more interval of two
    // decades at the minimum end (14, halved to 7)
    context c;
    c.ps.x_axis.log_scale = 1;
    c.ps.app.zoom_x1 = 1e-5;
    c.ps.app.zoom_x2 = 1e20;
    c.ps.app.zoom_y1 = 0;
    c.ps.app.zoom_y2 = 1;
    c.ps.y1_right = 1;
    set_zoom_axes(c.ps);
    EXPECT_EQ(c.ps.x_axis.intervals, 7);
    EXPECT_NEAR(std::log10(c.ps.x_axis.min), -7, 1e-9);
    EXPECT_NEAR(std::log10(c.ps.x_axis.max), 21, 1e-9);
    EXPECT_TRUE(c.ps.x_axis.range_given && c.ps.y1_axis.range_given);
    EXPECT_EQ(c.ps.y1_right, 0);
    EXPECT_EQ(c.ps.y1_axis.intervals, 10);
}

TEST(AxisScaling, LabelStrideAndTickLabels)
{
    axis_settings a;
    a.intervals = 12;
    EXPECT_EQ(label_stride(a, 10), 2);
    EXPECT_EQ(label_stride(a, 12), 1);
    a.intervals = 13;
    EXPECT_EQ(label_stride(a, 12), 2);
    a.intervals = 21;
    EXPECT_EQ(label_stride(a, 10), 2);
    a.intervals = 22;
    EXPECT_EQ(label_stride(a, 10), 4);
    a.intervals_given = 1;
    EXPECT_EQ(label_stride(a, 10), 1);

    axis_settings z;
    z.min = -0.1;
    z.max = 0.1;
    z.intervals = 6;
    double middle = z.min + 3 * (z.max - z.min) / 6;
    EXPECT_NE(middle, 0.0);
    EXPECT_EQ(linear_tick_label(z, middle, 0), "0");
    z.label_format = "%.2f";
    EXPECT_NE(linear_tick_label(z, middle, 0), "0");

    context c;
    c.ps.escape_char = 27;
    axis_settings l;
    l.min = 1;
    l.max = 1000;
    l.intervals = 3;
    EXPECT_EQ(log_tick_label(c.ps, l, 0), "10\x1bP0\x1bP");
    EXPECT_EQ(log_tick_label(c.ps, l, 3), "10\x1bP3\x1bP");
}

TEST(AxisScaling, LabelFormatsCannotReadMissingArguments)
{
    struct format_case {
        const char* format;
        double value;
        std::string text;
    } cases[] = {{"%G", 2.5, "2.5"},       {"%.1f", 2.0, "2.0"},      {"%d days", 3.4, "3 days"},
                 {"%s", 1.0, "%s1"},       {"%G%G", 1.0, "%G%G1"},    {"100%%", 1.0, "100%"},
                 {"x=%8.3e", 1.0, "x=1.000e+00"},
                 {"%999G", 1.0, std::string(99, ' ')},     // cut to 99 characters
                 {"%9999G", 1.0, "%9999G1"}};                 // not formatted into 9999 characters
    for (const format_case& c : cases) EXPECT_EQ(format_tick_value(c.format, c.value), c.text) << c.format;
}

TEST(AxisScaling, SetGraphViewportMapsLayoutPercentOntoTheDevice)
{
    context c;
    set_graph_viewport(c.ps, 10, 20, 90, 80, 100);
    EXPECT_NE(c.device.log().find("gr_set_viewport 100 140 900 560\ngr_set_window 0 0 100 100\n"), std::string::npos);
    c.device.clear_log();
    c.ps.page_scale_x = 0.5f;
    set_graph_viewport(c.ps, 0, 0, 100, 100, 1);
    EXPECT_NE(c.device.log().find("gr_set_viewport 250 0 750 700\n"), std::string::npos);
}
