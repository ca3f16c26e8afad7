// Frame layout, titles, legend placement and the title block, seen in plot_settings and in the log.
#include "plotwell/core/tests/plot_test_support.h"
#include "plotwell/core/chart_frame.h"
#include "plotwell/core/plot_utilities.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace plotwell;
using plotwell_test::drawing;
using plotwell_test::log_lines;
using plotwell_test::work_folder;

namespace {

struct drawn {
    work_folder folder;
    drawing d;
    drawn(const std::string& settings, const std::string& data = "1 1 2\n2 2 3\n", const std::string& call = "xy -c s.set d.dat")
        : d(call)
    {
        folder.write("s.set", settings);
        folder.write("d.dat", data);
        ok = d.run();
    }
    bool ok = false;
};

double number_after(const std::string& line, int index)
{
    std::istringstream in(line);
    std::string name;
    in >> name;
    double v = 0;
    for (int i = 0; i <= index; ++i) in >> v;
    return v;
}

} // namespace

TEST(ChartFrame, FrameEdgesForTitlesAndFixedSize)
{
    struct frame_case {
        const char* settings;
        double top, bottom, left, width;
    } cases[] = {
        {"XY_COLUMNS 1,2\nTITLE_1 one\nTITLE_2 two\n", 100 - 13.2, -1, -1, -1},
        {"XY_COLUMNS 1,2\n", 98, -1, -1, -1},
        {"XY_COLUMNS 1,2\nFIXED_SIZE\n", 72.44, 12.5, 17, 66},
    };
    for (const frame_case& c : cases) {
        SCOPED_TRACE(c.settings);
        drawn g(c.settings);
        ASSERT_TRUE(g.ok) << g.d.error;
        EXPECT_NEAR(g.d.ps.state.frame_top, c.top, 1e-9);
        if (c.bottom >= 0) EXPECT_NEAR(g.d.ps.state.frame_bottom, c.bottom, 1e-9);
        if (c.left >= 0) EXPECT_NEAR(g.d.ps.state.frame_left, c.left, 1e-9);
        if (c.width >= 0) EXPECT_NEAR(g.d.ps.state.frame_width, c.width, 1e-9);
    }
}

TEST(ChartFrame, InwardTicksLetTheBottomMarginShrink)
{
    drawn outward("XY_COLUMNS 1,2\nTICS_INSIDE 0\n"), inward("XY_COLUMNS 1,2\nTICS_INSIDE 1\n"),
        y_only("XY_COLUMNS 1,2\nTICS_INSIDE 2\n");
    ASSERT_TRUE(outward.ok && inward.ok && y_only.ok);
    EXPECT_NEAR(outward.d.ps.state.frame_bottom - inward.d.ps.state.frame_bottom, 1.0, 1e-9);
    EXPECT_NEAR(outward.d.ps.state.frame_bottom, y_only.d.ps.state.frame_bottom, 1e-9);
}

TEST(ChartFrame, LongTitleIsShrunkToTheFrame)
{
    std::string title(100, 'W');
    drawn g("XY_COLUMNS 1,2\nTITLE_1 " + title + "\n");
    ASSERT_TRUE(g.ok) << g.d.error;
    const std::string& log = g.d.log();
    size_t at = log.find("gr_text_width \"" + title + "\"");
    ASSERT_NE(at, std::string::npos);
    double w = std::atof(log.substr(log.find("->", at) + 2).c_str());
    size_t h = log.find("gr_set_char_height", at);
    double shrunk = number_after(log.substr(h, log.find('\n', h) - h), 0);
    // the text is measured at the base height, then written at the height that makes it 0.98 of the frame
    EXPECT_NEAR(w * shrunk / g.d.ps.base_text_height, 0.98 * g.d.ps.state.frame_width, 1e-3);
}

TEST(ChartFrame, ZeroLinesAndGraphRatio)
{
    drawn g("XY_COLUMNS 1,2\nZERO_LINE 3\nX_AXIS -5 5\nY_AXIS -10 10\n");
    ASSERT_TRUE(g.ok) << g.d.error;
    const std::string& log = g.d.log();
    EXPECT_NE(log.find("gr_set_window 0 0 1 1\ngr_set_colour 1\ngr_set_line_width 2.66667\ngr_set_line_type 1\n"
                       "gr_move_to 0.5 0\ngr_line_to 0.5 1\ngr_move_to 0 0.5\ngr_line_to 1 0.5\n"),
              std::string::npos);

    // GRAPH_RATIO 1 on a range twice as wide as high makes the frame twice as wide as high on the page
    drawn ratio("XY_COLUMNS 1,2\nGRAPH_RATIO 1\nX_AXIS 0 20\nY_AXIS 0 10\n");
    ASSERT_TRUE(ratio.ok) << ratio.d.error;
    const plot_settings& p = ratio.d.ps;
    EXPECT_NEAR(p.state.frame_width * 1000 / (p.state.frame_height * 700), 2.0, 1e-9);
}

namespace {
// A map printed on an A4 page at 300 dots per inch (2480 x 3508 dots) at the xy call's scale: the
// frame's viewport in dots, and the messages shown.
struct printed_map {
    work_folder folder;
    recording_device device{2480, 3508};
    plot_settings ps{device};
    std::vector<std::string> messages;
    bool ok = false;
    double width = 0, height = 0; // the frame's viewport in dots

    // A map of 100 m cells; with `graph_ratio` instead an xy graph over 0..100 x columns by 0..100 x
    // rows metres drawn with that GRAPH_RATIO.
    printed_map(int columns, int rows, const std::string& scale, bool printing = true, double graph_ratio = 0)
    {
        std::string map = "ncols " + std::to_string(columns) + "\r\nnrows " + std::to_string(rows) +
                          "\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 100\r\nnodata_value -1\r\n";
        for (int r = 0; r < rows; ++r) map += std::to_string(columns) + "*" + std::to_string(1 + r % 9) + "\r\n";
        folder.write("m.asc", map);
        folder.write("d.dat", "10 10\n20 30\n");
        if (graph_ratio != 0)
            folder.write("m.set", "X_AXIS 0 " + std::to_string(100 * columns) + "\nY1_AXIS 0 " + std::to_string(100 * rows) +
                                      "\nGRAPH_RATIO " + std::to_string(graph_ratio) + "\n");
        else
            folder.write("m.set", "DRAW_MAP ! m.asc\nMATRIX_CLASS 2 0 < 5 low\nMATRIX_CLASS 3 5 <= 10 high\n");
        ps.app.xy_call_line = std::string("xy -c m.set") + (graph_ratio != 0 ? " d.dat" : "") +
                              (scale.empty() ? std::string() : " -scale " + scale);
        ps.app.printing = printing;
        ps.app.dots_per_inch = printing ? 300 : 96;
        ps.app.show_message = [this](const std::string& m) { messages.push_back(m); };
        try {
            render_graph(ps);
            ok = true;
        } catch (const plot_error& e) {
            messages.push_back(e.what());
        }
        // the frame's viewport is the one set right after the first pass of the axes
        const std::string& log = device.log();
        const size_t at = log.find("gr_set_marker_scale 1.5\ngr_set_viewport ");
        if (at == std::string::npos) return;
        const std::string line = log.substr(at + 24, log.find('\n', at + 24) - at - 24);
        width = number_after(line, 2) - number_after(line, 0);
        height = number_after(line, 3) - number_after(line, 1);
    }
};
} // namespace

TEST(PrintScale, AMapPrintedAtAScaleMeasuresOneScaleOfItsSizeOnPaper)
{
    // 1000 m by 500 m at 1:10000 is 10 cm by 5 cm: 1181 by 591 dots
    printed_map p(10, 5, "10000");
    ASSERT_TRUE(p.ok) << (p.messages.empty() ? "" : p.messages.back());
    EXPECT_TRUE(p.messages.empty()) << p.messages.front();
    EXPECT_NEAR(p.width, 10 / 2.54 * 300, 0.5);
    EXPECT_NEAR(p.height, 5 / 2.54 * 300, 0.5);
    // on the screen the scale means nothing: the frame fills the room as without it
    printed_map screen(10, 5, "10000", false), plain(10, 5, "", false);
    EXPECT_TRUE(screen.messages.empty());
    EXPECT_NEAR(screen.width, plain.width, 1e-6);
    EXPECT_GT(screen.width, 400);
}

TEST(PrintScale, AScaleThatDoesNotFitNamesTheDirectionAndTheLargestScaleThatFits)
{
    // a map's frame has the map's shape, so both directions are full at once and x is named; a
    // graph drawn twice as wide as its ranges are (GRAPH_RATIO 2) is full in y first
    struct case_row {
        int columns, rows;
        double graph_ratio;
        char direction;
    } cases[] = {{10, 5, 0, 'x'}, {5, 30, 0, 'x'}, {10, 5, 2, 'y'}, {10, 5, 0.5, 'x'}};
    for (const case_row& c : cases) {
        SCOPED_TRACE(testing::Message() << c.columns << " x " << c.rows << " ratio " << c.graph_ratio);
        printed_map unscaled(c.columns, c.rows, "", true, c.graph_ratio);
        printed_map p(c.columns, c.rows, "500", true, c.graph_ratio); // far too large a picture for the page
        ASSERT_TRUE(p.ok);
        ASSERT_EQ(p.messages.size(), 1u);
        const std::string head = std::string("Unable to scale the print in ") + c.direction + "-direction!\nMapscale is ";
        ASSERT_EQ(p.messages[0].substr(0, head.size()), head);
        // the frame keeps the size it has without a scale
        EXPECT_NEAR(p.width, unscaled.width, 1e-6);
        EXPECT_NEAR(p.height, unscaled.height, 1e-6);
        // the scale named is the largest that fits: a little smaller still shows the message, a
        // little larger fits and fills the frame in that direction
        const double largest = std::atof(p.messages[0].c_str() + head.size());
        printed_map fits(c.columns, c.rows, std::to_string(largest * 1.001), true, c.graph_ratio);
        EXPECT_TRUE(fits.messages.empty()) << fits.messages.front();
        EXPECT_NEAR(c.direction == 'x' ? fits.width : fits.height, c.direction == 'x' ? unscaled.width : unscaled.height,
                    0.01 * (c.direction == 'x' ? unscaled.width : unscaled.height));
        printed_map too_large(c.columns, c.rows, std::to_string(largest * 0.999), true, c.graph_ratio);
        EXPECT_EQ(too_large.messages.size(), 1u);
    }
}

TEST(DataSetLegend, OnlyEntryWithItsDefaultTextIsNotDrawn)
{
    drawn g("XY_COLUMNS 1,2\n");
    ASSERT_TRUE(g.ok) << g.d.error;
    EXPECT_TRUE(log_lines(g.d.log(), "gr_rectangle").size() == 1u); // the page only, no legend box
    EXPECT_EQ(g.d.ps.legend_bottom, 0);

    drawn named("XY_COLUMNS 1,2\nLEGEND rain\n");
    ASSERT_TRUE(named.ok);
    EXPECT_EQ(log_lines(named.d.log(), "gr_text \"rain\"").size(), 1u);
}

TEST(DataSetLegend, EntriesFillRowsColumnByColumn)
{
    drawn g("XY_COLUMNS 1,2 1,3 1,2\nLEGEND a b c\nLEGEND_COLUMNS 2\n", "1 1 2\n2 2 3\n");
    ASSERT_TRUE(g.ok) << g.d.error;
    const std::string& log = g.d.log();
    auto position_of = [&](const char* text) {
        size_t at = log.find(std::string("gr_text \"") + text + "\"");
        size_t move = log.rfind("gr_move_to", at);
        return std::make_pair(number_after(log.substr(move, log.find('\n', move) - move), 0),
                              number_after(log.substr(move, log.find('\n', move) - move), 1));
    };
    auto a = position_of("a"), b = position_of("b"), c = position_of("c");
    EXPECT_EQ(a.first, c.first);  // the third entry opens the second row in the first column
    EXPECT_GT(a.second, c.second);
    EXPECT_EQ(a.second, b.second);
    EXPECT_GT(b.first, a.first);
}

TEST(DataSetLegend, ArrowsOnlyWhenBothAxesAreUsed)
{
    drawn left("XY_COLUMNS 1,2 1,3\nLEGEND a b\n");
    ASSERT_TRUE(left.ok);
    EXPECT_EQ(log_lines(left.d.log(), "gr_text \"a\"").size(), 1u);
    drawn both("XY_COLUMNS 1,2 1,3\nLEGEND a b\nYAXIS_NUMBER 1 2\n");
    ASSERT_TRUE(both.ok) << both.d.error;
    EXPECT_EQ(log_lines(both.d.log(), "gr_text \"(<-)  a\"").size(), 1u);
    EXPECT_EQ(log_lines(both.d.log(), "gr_text \"(->)  b\"").size(), 1u);
}

TEST(DataSetLegend, LabelsAreTakenFromTheirFile)
{
    drawn g("XY_COLUMNS 1,2\nX_AXIS 0 10\nY_AXIS 0 100\nDRAW_LABELS lab.txt 1 2 3 1 0 2 m\n");
    // no label file yet: the drawing ends naming it
    EXPECT_FALSE(g.ok);
    EXPECT_EQ(g.d.error, "Cannot open lab.txt\n");
    g.folder.write("lab.txt", "5 50 middle\n5 99 top\n");
    g.d.device.clear_log();
    ASSERT_TRUE(g.d.run()) << g.d.error;
    const std::string& log = g.d.log();
    // "m" at y = 99 goes below the point: 99 - 0.7 * 2
    size_t at = log.find("gr_text \"top\"");
    size_t move = log.rfind("gr_move_to", at);
    EXPECT_NEAR(number_after(log.substr(move, at - move), 1), 99 - 1.4, 1e-9);
}

TEST(TitleBlock, DrawBoxWritesTheBlockWithTheClocksStamps)
{
    setenv("TZ", "UTC", 1);
    tzset();
    drawn g("XY_COLUMNS 1,2\nDRAW_BOX\nCITY A very long city name\nINSTITUTE Lab\n");
    ASSERT_TRUE(g.ok) << g.d.error;
    const std::string& log = g.d.log();
    EXPECT_EQ(log_lines(log, "gr_text \"Mo Jan 6 2003\"").size(), 1u);
    EXPECT_EQ(log_lines(log, "gr_text \"12:00:00\"").size(), 1u);
    EXPECT_EQ(log_lines(log, "gr_text \"Lab\"").size(), 1u);
    std::vector<std::string> city = log_lines(log, "gr_text_width \"A very long city name\"");
    ASSERT_EQ(city.size(), 2u);
    EXPECT_NEAR(std::atof(city[1].substr(city[1].rfind("->") + 2).c_str()), 9.0, 1e-6);
    // no titles 3 and 4: the five fixed lines of the block and no separator
    size_t block = log.find("gr_rectangle 0 0 100 100", log.find("gr_rectangle 0 0 100 100") + 1);
    ASSERT_NE(block, std::string::npos);
    EXPECT_EQ(log_lines(log.substr(block, log.find("gr_text", block) - block), "gr_line_to").size(), 5u);
}

TEST(PlotUtilities, SmallUtilities)
{
    EXPECT_EQ(int_to_string(0), "0");
    EXPECT_EQ(int_to_string(-45), "-45");
    EXPECT_EQ(int_to_string(64), "64");
    EXPECT_EQ(file_base_name("d:\\data\\run12.out"), "run12");
    EXPECT_EQ(file_base_name("run12"), "run12");
    EXPECT_EQ(file_base_name("a.b.c"), "a");
    EXPECT_EQ(file_base_name("/work/x.set"), "x");
    EXPECT_FALSE(file_exists(""));
    std::string s = "abc";
    reverse_string(s);
    EXPECT_EQ(s, "cba");

    setenv("TZ", "UTC", 1);
    tzset();
    recording_device device;
    plot_settings ps(device);
    ps.app.clock = [] { return static_cast<std::time_t>(1041854400 + 3 * 3600 + 4 * 60 + 5); };
    EXPECT_EQ(format_date_stamp(ps, true), "Mo Jan 6 2003");
    EXPECT_EQ(format_date_stamp(ps, false), "Ma 6 Jan 2003");
    EXPECT_EQ(format_time_stamp(ps), "15:04:05");

    work_folder folder;
    folder.write("three.txt", "a\nb\nc");
    std::FILE* f = std::fopen(folder.file("three.txt").c_str(), "rb");
    EXPECT_EQ(count_lines(f), 2);
    EXPECT_EQ(std::fgetc(f), 'a'); // rewound
    std::fclose(f);
}

TEST(PageTexts, TextLinesArePlacedRelativeToTheFrame)
{
    drawn g("XY_COLUMNS 1,2\nFONT COLOR_3 TIMES_ROMAN BOLD\nTEXT hello Lm,T2 3\nTEXT lonely\nTEXT right rr,Bm\n");
    ASSERT_TRUE(g.ok) << g.d.error;
    const plot_settings& p = g.d.ps;
    const std::string& log = g.d.log();
    size_t at = log.find("gr_text \"hello\"");
    ASSERT_NE(at, std::string::npos);
    size_t move = log.rfind("gr_move_to", at);
    double width = 5 * 0.6 * 3.0 * 0.7; // five characters of height 3 on the 1000 x 700 device
    EXPECT_NEAR(number_after(log.substr(move, at - move), 0), p.state.frame_left - width / 2, 1e-3);
    EXPECT_NEAR(number_after(log.substr(move, at - move), 1), p.state.frame_top + 2, 1e-3);
    EXPECT_NE(log.rfind("gr_set_colour 4", move), std::string::npos);
    EXPECT_EQ(p.font_times, 1);
    EXPECT_EQ(p.bold, 1);
    EXPECT_EQ(log.find("gr_text \"lonely\""), std::string::npos);
    size_t r = log.find("gr_text \"right\"");
    size_t rmove = log.rfind("gr_move_to", r);
    EXPECT_NEAR(number_after(log.substr(rmove, r - rmove), 0), p.state.frame_left + p.state.frame_width - 5 * 0.6 * 3.0 * 0.7, 1e-3);
    EXPECT_NEAR(number_after(log.substr(rmove, r - rmove), 1), p.state.frame_bottom - 3.0 / p.font_factor / 2, 1e-3);
}

TEST(ChartFrame, LeftAxisOnTheRightSide)
{
    drawn g("XY_COLUMNS 1,2\nY1_RIGHT\nY1_TEXT depth\n");
    ASSERT_TRUE(g.ok) << g.d.error;
    const plot_settings& p = g.d.ps;
    EXPECT_EQ(p.y1_right, 1);
    EXPECT_NEAR(p.state.frame_left, 4, 1e-9); // no left labels and no left text
    EXPECT_EQ(p.y2_text, "depth");
    EXPECT_GT(p.state.right_label_width, 0);
    drawn own("XY_COLUMNS 1,2 1,3\nY1_RIGHT\nYAXIS_NUMBER 1 2\n");
    ASSERT_TRUE(own.ok) << own.d.error;
    EXPECT_EQ(own.d.ps.y1_right, 0);
}

TEST(ChartFrame, DefaultPlotAreaAndTitleMargins)
{
    struct area_case {
        const char* what;
        int portrait, landscape, printing, given;
        double x1, y1, x2, y2;
    } cases[] = {
        {"screen", 0, 0, 0, 0, 0, 0, 100, 100},
        {"portrait PostScript", 1, 0, 0, 0, 10, 55, 90, 95},
        {"landscape PostScript", 0, 1, 0, 0, 5, 10, 95, 90},
        {"printer without orientation", 0, 0, 1, 0, 0, 0, 100, 100},
        {"given with -V", 1, 0, 0, 1, 1, 2, 3, 4},
    };
    for (const area_case& c : cases) {
        SCOPED_TRACE(c.what);
        recording_device device;
        plot_settings ps(device);
        ps.postscript_portrait = c.portrait;
        ps.postscript_landscape = c.landscape;
        ps.postscript_output = c.portrait || c.landscape;
        ps.app.printing = c.printing;
        ps.viewport_given = c.given;
        if (c.given) {
            ps.viewport_x1 = 1;
            ps.viewport_y1 = 2;
            ps.viewport_x2 = 3;
            ps.viewport_y2 = 4;
        }
        set_default_viewport(ps);
        EXPECT_EQ(ps.viewport_x1, c.x1);
        EXPECT_EQ(ps.viewport_y1, c.y1);
        EXPECT_EQ(ps.viewport_x2, c.x2);
        EXPECT_EQ(ps.viewport_y2, c.y2);
        EXPECT_EQ(ps.state.layout_width, 100);
    }

    recording_device device;
    plot_settings ps(device);
    ps.top_margin = 7;
    extend_title_margins(ps, "T5", 1);
    EXPECT_EQ(ps.top_margin, 7); // 6.4 < 7
    extend_title_margins(ps, "T5", 2);
    EXPECT_NEAR(ps.top_margin, 7.8, 1e-12);
    extend_title_margins(ps, "B1", 5);
    EXPECT_NEAR(ps.bottom_margin, 1.0, 1e-12);
    extend_title_margins(ps, "X9", 5);
    EXPECT_NEAR(ps.top_margin, 7.8, 1e-12);
}

TEST(MarkerFiles, UserShapesAndPicturesAreReadOncePerDrawing)
{
    work_folder folder;
    folder.write("marker.21", "2\n3 3 0\n0 0\n1 0\n0 1\n5 2 1\n-1 -1\n1 1\n");
    folder.write("s.set", "XY_COLUMNS 1,2 1,3\nDRAW_MARKERS 21 31,1,7\nDRAW_MARKERS 21 21\n");
    folder.write("d.dat", "1 1 2\n2 2 3\n");
    drawing d("xy -c s.set d.dat");
    d.ps.app.settings_folder = folder.path();
    ASSERT_TRUE(d.run()) << d.error;
    std::vector<std::string> shapes = log_lines(d.log(), "gr_define_marker_shape");
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0], "gr_define_marker_shape 1 2 4 0 3 0 0 1 0 0 1 6 1 2 -1 -1 1 1");
    EXPECT_EQ(log_lines(d.log(), "load_bitmap_file").size(), 1u);
    EXPECT_TRUE(log_lines(d.log(), "gr_define_marker_picture").empty()); // no picture codecs on this device
}

TEST(PageTexts, DateAndTimeArePlacedLikeMapItems)
{
    plotwell_test::work_folder folder;
    folder.write("d.dat", "0 0\n10 10\n");
    folder.write("s.set", "XY_COLUMNS 1,2\nDRAW_DATE Rr,T 2\nDRAW_TIME Lm,B5m\n");
    plotwell_test::drawing d("xy -c s.set d.dat");
    ASSERT_TRUE(d.run()) << d.error;
    const plot_settings& ps = d.ps;
    const double left = ps.state.frame_left, right = ps.state.frame_left + ps.state.frame_width;
    const double bottom = ps.state.frame_bottom, top = ps.state.frame_bottom + ps.state.frame_height;
    // the point where each stamp is written, and its measured width
    auto placed = [&](const std::string& text, double& x, double& y, double& width) {
        std::istringstream log(d.log());
        std::string line, move;
        width = -1;
        while (std::getline(log, line)) {
            if (line.rfind("gr_text_width \"" + text + "\"", 0) == 0) width = std::stod(line.substr(line.find("->") + 2));
            if (line.rfind("gr_move_to", 0) == 0) move = line;
            if (line == "gr_text \"" + text + "\"") break;
        }
        std::istringstream m(move.substr(10));
        m >> x >> y;
    };
    double x, y, w;
    placed("Mo Jan 6 2003", x, y, w);
    ASSERT_GT(w, 0);
    EXPECT_NEAR(x + w, right, 1e-3); // "r": right-aligned on the right edge
    EXPECT_NEAR(y, top - 2, 1e-3);   // "T": the height taken off the top
    placed(format_time_stamp(ps), x, y, w);
    ASSERT_GT(w, 0);
    EXPECT_NEAR(x, left - w / 2, 1e-3);  // "Lm": centred on the left edge
    EXPECT_NEAR(y, bottom + 5 - 3.0 / 2, 1e-3); // "B5m": 5 above the bottom, centred on its height
}
