// The xy call: options, flag letters and every refusal of the drawing entry.
#include "plotwell/core/tests/plot_test_support.h"
#include "plotwell/core/shared_routines.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plotwell;
using plotwell_test::drawing;
using plotwell_test::work_folder;

namespace {

struct parsed {
    recording_device device{1000, 700};
    plot_settings ps{device};
    int remaining = 0;
    explicit parsed(const std::string& call)
    {
        std::vector<std::string> words = split_call_line(call);
        remaining = parse_xy_call_arguments(ps, words);
    }
};

struct option_case {
    const char* call;
    int remaining;
    bool (*holds)(const plot_settings&);
};

const option_case option_cases[] = {
    {"xy -c graph.set -mb data.out", 2, [](const plot_settings& p) {
         return p.settings_given && p.settings_file_name == "graph.set" && p.markers_only && p.lines_and_markers;
     }},
    {"xy -c graph.set -m -b data.out", 2, [](const plot_settings& p) { return p.markers_only && p.lines_and_markers; }},
    {"xy -c s -k 150", 1, [](const plot_settings& p) { return p.copies == 99; }},
    {"xy -c s -k 5", 1, [](const plot_settings& p) { return p.copies == 5; }},
    {"xy -c s", 1, [](const plot_settings& p) { return p.copies == 1 && p.skip_string == "*" && p.chars_per_value == 20; }},
    {"xy -c s -cpv 5", 1, [](const plot_settings& p) { return p.chars_per_value == 20; }},
    {"xy -c s -cpv 40", 1, [](const plot_settings& p) { return p.chars_per_value == 40; }},
    {"xy -c s -wp h", 1, [](const plot_settings& p) { return p.dash_divisor == 0.5; }},
    {"xy -c s -wp f", 1, [](const plot_settings& p) { return p.dash_divisor == 0.75; }},
    {"xy -c s -wp 0", 1, [](const plot_settings& p) { return p.dash_divisor == 1.0; }},
    {"xy -c s -wp 2.5", 1, [](const plot_settings& p) { return p.dash_divisor == 2.5; }},
    {"xy -c s -S out.ps -p", 1, [](const plot_settings& p) {
         return p.postscript_file_name == "out.ps" && p.postscript_file_given && p.postscript_output &&
                p.postscript_portrait && p.postscript_message;
     }},
    {"xy -c s -S out.ps", 1, [](const plot_settings& p) { return !p.postscript_file_given && !p.postscript_output; }},
    {"xy -c s -s #", 1, [](const plot_settings& p) { return p.skip_string == "#"; }},
    {"xy -c s -i AXES", 1, [](const plot_settings& p) { return p.section_given && p.section_name == "AXES"; }},
    {"xy -c s -V 10,20,90,80", 1, [](const plot_settings& p) {
         return p.viewport_given && p.viewport_x1 == 10 && p.viewport_y1 == 20 && p.viewport_x2 == 90 && p.viewport_y2 == 80;
     }},
    {"xy -data \"a.dat 1 2\" -data \"b.dat 1 3\"", 1, [](const plot_settings& p) {
         return p.data_line_count == 2 && p.series_count == 2 && p.data_line_total == 2 && p.data_lines[1] == "b.dat 1 3";
     }},
    {"xy -cmd \"X_AXIS 0 10\" -cmd NO_LEGEND", 1, [](const plot_settings& p) {
         return p.settings_given && p.cmd_line_count == 2 && p.cmd_lines[0] == "X_AXIS 0 10";
     }},
    {"xy -c s -M 0.1 -N 7 -scale 5000", 1, [](const plot_settings& p) {
         return p.x_margin == 0.1 && p.nr_bars == 7 && p.print_scale == 5000;
     }},
    {"xy -c s -@ picture.bmp", 1, [](const plot_settings& p) { return p.settings_given == 1; }},
    {"xy -c s -vgzaABxXItdOE", 1, [](const plot_settings& p) {
         return p.draw_box && p.position_grid && p.zero_line && p.stack_data && p.area_all && p.bars_all &&
                p.justify_bars && p.justify_xlabels && p.interrupt_lines_all && p.cumulative_all && p.reuse_selection &&
                p.opaque_graph && p.lock_chart_edit;
     }},
    {"xy -c s -!-3oD#?f", 1, [](const plot_settings& p) {
         return p.copy_to_clipboard && p.minimised && p.paper_a3 && p.print_papersize && p.page_background &&
                p.print_and_stop && p.fixed_size;
     }},
    {"xy -c s -lC", 1, [](const plot_settings& p) {
         return p.postscript_landscape && p.postscript_output && p.colour_output && !p.range_colours;
     }},
    {"xy -c s -l", 1, [](const plot_settings& p) { return p.postscript_output && !p.colour_output && p.range_colours; }},
    {"xy -c s -W p", 1, [](const plot_settings& p) {
         return std::fabs(p.page_scale_x - static_cast<float>(0.7 / 1.4496261)) < 1e-6 && p.page_scale_y == 1.0f &&
                p.viewport_given && p.viewport_x1 == 10 && p.viewport_y1 == 55 && p.viewport_x2 == 90 && p.viewport_y2 == 95;
     }},
    {"xy -c s -W landscape -3", 1, [](const plot_settings& p) {
         return std::fabs(p.page_scale_y - static_cast<float>(0.70860213 / 0.7)) < 1e-6 && p.viewport_x1 == 5 &&
                p.viewport_y2 == 90;
     }},
};

} // namespace

TEST(XyCall, OptionsAndFlagLettersReachPlotSettings)
{
    for (const option_case& c : option_cases) {
        SCOPED_TRACE(c.call);
        parsed p(c.call);
        EXPECT_EQ(p.remaining, c.remaining);
        EXPECT_TRUE(c.holds(p.ps));
        EXPECT_EQ(p.ps.call_number, 1);
    }
}

TEST(XyCall, FlagLetterTableSetsBitsFromTheEnd)
{
    // 'm' is the last letter (bit 0) and '#' the first (bit 25)
    EXPECT_EQ(std::string(xy_flag_letters).size(), 26u);
    EXPECT_EQ(xy_flag_letters[25], 'm');
    EXPECT_EQ(xy_flag_letters[0], '#');
}

TEST(XyCall, EveryRefusalOfTheCallHasItsMessage)
{
    work_folder folder;
    folder.write("job.job", "XY -c s.set d.dat\n");
    folder.write("s.set", "XY_COLUMNS 1,2\n");
    folder.write("d.dat", "1 2\n2 3\n");
    struct refusal {
        const char* call;
        const char* message;
    } cases[] = {
        {"xy -j job.job -c s.set", "warning: both \"-j\" and \"-c\" on commandline is impossible\n"},
        {"xy -j missing.job", "Cannot open missing.job\n"},
        {"xy -c s.set -V 1,2,3 d.dat", "VIEWPORT setting needs 4 coordinates ','-seperated\n"},
        {"xy -c s.set -V 5,1,5,9 d.dat", "x-coordinates of viewport are equal; this is not allowed\n"},
        {"xy -c s.set -V 1,5,9,5 d.dat", "y-coordinates of viewport are equal; this is not allowed\n"},
        {"xy -c s.set -V 1e999,0,100,100 d.dat", "VIEWPORT: the value 1e999 is not a finite number\n"},
        {"xy -c s.set -q d.dat", "Wrong argumentlist"},
        {"xy", "Wrong argumentlist"},
        {"xy d.dat e.dat", "Wrong argumentlist"},
        {"xy -p d.dat", "Postscript file xy_graph.ps created!"},
        {"xy -l -S plot.ps d.dat", "Postscript file plot.ps created!"},
        {"xy missing.dat", "Cannot open missing.dat\n"},
    };
    for (const refusal& r : cases) {
        SCOPED_TRACE(r.call);
        drawing d(r.call);
        EXPECT_FALSE(d.run());
        EXPECT_EQ(d.error, r.message);
    }
}

TEST(XyCall, UnknownLetterInAJobNamesTheCallNumber)
{
    work_folder folder;
    folder.write("s.set", "XY_COLUMNS 1,2\n");
    folder.write("d.dat", "1 2\n2 3\n");
    folder.write("two.job", "XY -c s.set d.dat\nXY -q -c s.set d.dat\n");
    drawing d("xy -j two.job");
    EXPECT_FALSE(d.run());
    EXPECT_EQ(d.error, "error (-q) in argument list of xy call nr 2 in jobfile\n");
}

TEST(XyCall, DrawingAfterAnErrorStartsClean)
{
    work_folder folder;
    folder.write("d.dat", "1 2\n2 3\n");
    recording_device device;
    plot_settings ps(device);
    ps.app.xy_call_line = "xy -c missing.set d.dat";
    EXPECT_THROW(render_graph(ps), plot_error);
    EXPECT_FALSE(ps.drawing);
    EXPECT_EQ(ps.data_file, nullptr);
    device.clear_log();
    ps.app.xy_call_line = "xy d.dat";
    EXPECT_EQ(render_graph(ps), 1);
    EXPECT_NE(device.log().find("gr_polyline 2 "), std::string::npos);
    EXPECT_EQ(device.log().rfind("gr_close_workstation\n"), device.log().size() - 21);
}

TEST(XyCall, DrawingRefusesToStartWhileOneIsUnderWay)
{
    recording_device device;
    plot_settings ps(device);
    ps.drawing = true;
    ps.app.xy_call_line = "xy";
    EXPECT_EQ(render_graph(ps), 0);
    EXPECT_TRUE(device.log().empty());
}

TEST(XyCall, LetterFileGetsItsFirstLetter)
{
    work_folder folder;
    parsed p("xy -c s -$ letters.txt");
    EXPECT_TRUE(p.ps.letter_file_active);
    EXPECT_EQ(p.ps.next_letter, 'B');
    EXPECT_EQ(folder.read("letters.txt"), "A\n");
    EXPECT_EQ(p.ps.no_letter_file_used, 0);
}

TEST(XyCall, PortraitPageShapeDrawsThePaperEdges)
{
    work_folder folder;
    folder.write("d.dat", "1 2\n2 3\n");
    drawing d("xy -W p d.dat");
    ASSERT_TRUE(d.run()) << d.error;
    // the two edges of the portrait paper in line type 10, at (1 - f) / 2 and f + (1 - f) / 2
    const std::string& log = d.log();
    size_t at = log.find("gr_set_line_type 10\n", log.rfind("gr_set_window 0 0 1 1"));
    ASSERT_NE(at, std::string::npos);
    float f = static_cast<float>(0.7 / 1.4496261);
    char expected[200];
    std::snprintf(expected, sizeof expected, "gr_move_to %g 0\ngr_line_to %g 1\n", (1 - f) / 2.0, (1 - f) / 2.0);
    EXPECT_NE(log.find(expected, at), std::string::npos) << expected;
}
