// The settings language: line grammar, every keyword reaching plot_settings, refusals.
#include "plotwell/core/tests/plot_test_support.h"
#include "plotwell/core/map_keywords.h"
#include "plotwell/core/plot_defaults.h"
#include "plotwell/core/settings_language.h"

#include <set>
#include <span>

#include <gtest/gtest.h>

using namespace plotwell;

namespace {

struct settings_under_test {
    recording_device device{1000, 700};
    plot_settings ps{device};
    std::string error;
    settings_under_test()
    {
        reset_plot_settings(ps);
        reset_series_defaults(ps);
    }
    // Parses the lines after two series columns, as a settings file of a call without data file;
    // a line break inside one entry separates lines.
    bool parse(std::vector<std::string> lines, int letters_call = 0)
    {
        (void)letters_call;
        std::vector<std::string> all = {"XY_COLUMNS 1,2 1,3"};
        for (const std::string& entry : lines)
            for (std::string l : split_fields(entry, '\n', 1000))
                if (next_settings_line(l)) all.push_back(l);
        try {
            parse_settings_lines(ps, all, 1, 0);
            return true;
        } catch (const plot_error& e) {
            error = e.what();
            return false;
        }
    }
};

struct keyword_case {
    const char* line;
    bool (*holds)(const plot_settings&);
};

// Switches (compared for their own length) and the word keywords of the page, text and axis group.
const keyword_case page_cases[] = {
    {"NO_PALETTE", [](const plot_settings& p) { return p.no_palette == 1; }},
    {"ESCAPE=^", [](const plot_settings& p) { return p.escape_char == '^'; }},
    {"STACK_DATA", [](const plot_settings& p) { return p.stack_data == 1; }},
    {"LOGZERO", [](const plot_settings& p) { return p.logzero == 1; }},
    {"FIXED_SIZE", [](const plot_settings& p) { return p.fixed_size == 1; }},
    {"NO_FIXED_SIZE", [](const plot_settings& p) { return p.fixed_size == 0; }},
    {"FIXED_WIDTH", [](const plot_settings& p) { return p.fixed_width == 1 && p.fixed_size == 0; }},
    {"PRINT_PAPERSIZE", [](const plot_settings& p) { return p.print_papersize == 1; }},
    {"PORTRAIT", [](const plot_settings& p) { return p.page_shape == 'p' && p.page_scale_x < 1 && p.viewport_y1 == 55; }},
    {"LANDSCAPE", [](const plot_settings& p) { return p.page_shape == 'l' && p.page_scale_y < 1 && p.viewport_x1 == 5; }},
    {"HELVETICA", [](const plot_settings& p) { return p.font_times == 0 && p.font_courier == 0; }},
    {"TIMES_ROMAN", [](const plot_settings& p) { return p.font_times == 1; }},
    {"COURIER", [](const plot_settings& p) { return p.font_courier == 1; }},
    {"BOLD", [](const plot_settings& p) { return p.bold == 1; }},
    {"BOLDFACE", [](const plot_settings& p) { return p.bold == 1; }},
    {"NO_BOLD", [](const plot_settings& p) { return p.bold == 0; }},
    {"JUSTIFY_XLABELS", [](const plot_settings& p) { return p.justify_xlabels == 1; }},
    {"JUSTIFY_BARS", [](const plot_settings& p) { return p.justify_bars == 1; }},
    {"HORIZONTAL_BARS", [](const plot_settings& p) { return p.horizontal_bars == 1; }},
    {"SKIP_FIRST_STACK", [](const plot_settings& p) { return p.skip_first_stack == 1; }},
    {"OPEN_GRAPH", [](const plot_settings& p) { return p.frame_closed == 0; }},
    {"XAXIS_BARS", [](const plot_settings& p) { return p.xaxis_bars == 1; }},
    {"YAXIS_BARS", [](const plot_settings& p) { return p.xaxis_bars == 1; }},
    {"MATRIX_AXISSIZE", [](const plot_settings& p) { return p.matrix_axissize == 1 && p.draw_axis_numbers == 0; }},
    {"OPEN_MATRIXLEGEND", [](const plot_settings& p) { return p.open_matrix_legend == 1; }},
    {"MAP_AXISSIZE", [](const plot_settings& p) {
         return p.map_axissize && p.graph_ratio_given && p.graph_ratio == 1.0 && !p.draw_axis_numbers && !p.frame_closed;
     }},
    {"ORDINATION_AXIS", [](const plot_settings& p) { return p.ordination_axis == 1 && p.frame_closed == 0; }},
    {"NO_BARLINES", [](const plot_settings& p) { return p.no_barlines == 1; }},
    {"BARLINES", [](const plot_settings& p) { return p.barlines == 1; }},
    {"X_TOP", [](const plot_settings& p) { return p.x_top == 1; }},
    {"X_TEXT Time (days)", [](const plot_settings& p) { return p.x_text == "Time (days)"; }},
    {"X_TEXT 12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     [](const plot_settings& p) { return p.x_text == std::string("123456789012345678901234567890123456789012345678901234567890123"); }},
    {"Y_TEXT Depth", [](const plot_settings& p) { return p.y1_text == "Depth"; }},
    {"Y1_TEXT Depth (m)", [](const plot_settings& p) { return p.y1_text == "Depth (m)"; }},
    {"Y2_TEXT Flux", [](const plot_settings& p) { return p.y2_text == "Flux"; }},
    {"NAME A. User", [](const plot_settings& p) { return p.name_text == "A. User"; }},
    {"CITY Lelystad", [](const plot_settings& p) { return p.city_text == "Lelystad"; }},
    {"DEPARTMENT Soil and water", [](const plot_settings& p) { return p.department_text == "Soil and water"; }},
    {"INSTITUTE Research institute of the north", [](const plot_settings& p) {
         return p.institute_text == "Research institute " && p.institute_default == 0;
     }},
    {"DRAW_BOX", [](const plot_settings& p) { return p.draw_box == 1; }},
    {"NO_BOX", [](const plot_settings& p) { return p.draw_box == 0; }},
    {"TITLE_1 Run 7", [](const plot_settings& p) { return p.title_given[0] && p.title[0] == "Run 7"; }},
    {"title_4 last", [](const plot_settings& p) { return p.title_given[3] && p.title[3] == "last"; }},
    {"TITLE_9 none", [](const plot_settings& p) { return !p.title_given[0] && !p.title_given[3]; }},
    {"X_AXIS 0 10 5 2 %.1f 0 12", [](const plot_settings& p) {
         const axis_settings& a = p.x_axis;
         return a.min == 0 && a.max == 10 && a.range_given && a.intervals == 5 && a.intervals_given &&
                a.minor_ticks == 1 && a.label_format == "%.1f" && a.label_room == 12;
     }},
    {"X_AXIS 5", [](const plot_settings& p) { return p.x_axis.min == 5 && p.x_axis.min_only && !p.x_axis.range_given; }},
    {"X_AXIS 0?", [](const plot_settings& p) { return p.x_axis.min_only && p.x_axis.min_is_hint; }},
    {"Y_AXIS 1 1000 3 ! ! 1", [](const plot_settings& p) { return p.y1_axis.log_scale == 1 && p.y1_axis.max == 1000; }},
    {"Y1_AXIS 0 100 5 1 'a b - d'", [](const plot_settings& p) {
         const axis_settings& a = p.y1_axis;
         return a.labels_given && a.labels.size() == 4 && a.labels[2].empty() && a.intervals == 3;
     }},
    {"Y2_AXIS -1 1", [](const plot_settings& p) { return p.y2_axis.min == -1 && p.y2_axis.max == 1; }},
    {"NO_AXIS", [](const plot_settings& p) { return p.draw_axis_numbers == 0; }},
    {"DRAW_AXIS", [](const plot_settings& p) { return p.draw_axis_forced == 1; }},
    {"GRAPH_RATIO", [](const plot_settings& p) { return p.graph_ratio_given && p.graph_ratio == 1.0; }},
    {"GRAPH_RATIO 2", [](const plot_settings& p) { return p.graph_ratio == 2.0; }},
    {"FIXED_YTEXT 4", [](const plot_settings& p) { return p.fixed_ytext == 4; }},
    {"LEGEND_WIDTH 2", [](const plot_settings& p) { return p.legend_width == 2; }},
    {"LINE_WIDTH 3", [](const plot_settings& p) { return p.line_width == 3; }},
    {"CHAR_WIDTH 1.5", [](const plot_settings& p) { return p.char_width == 1.5; }},
    {"AXISLINE_WIDTH 2 1", [](const plot_settings& p) {
         return p.axisline_width_x == 2 && p.axisline_width_y == 2 && p.legend_line_width == 1;
     }},
    {"AXISLINE_WIDTH 2 2", [](const plot_settings& p) { return p.axisline_width_x == 1 && p.legend_line_width == 2; }},
    {"AXISLINE_WIDTH 2", [](const plot_settings& p) {
         return p.axisline_width_x == 2 && p.axisline_width_y == 2 && p.legend_line_width == 2;
     }},
    {"TICS_INSIDE", [](const plot_settings& p) { return p.tics_inside == 3; }},
    {"TICS_INSIDE 1", [](const plot_settings& p) { return p.tics_inside == 1; }},
    {"X_MARGIN 0.05", [](const plot_settings& p) { return p.x_margin == 0.05; }},
    {"DRAW_GRID", [](const plot_settings& p) { return p.grid_horizontal && p.grid_vertical && p.frame_closed; }},
    {"DRAW_GRID 2 1", [](const plot_settings& p) { return !p.grid_horizontal && p.grid_vertical && p.grid_line_type == 1; }},
    {"DRAW_GRID 3 10 0 5,2", [](const plot_settings& p) {
         return p.grid_spacing_x == 5 && p.grid_spacing_y == 2 && p.grid_in_front == 0;
     }},
    {"ZERO_LINE", [](const plot_settings& p) { return p.zero_line == 1; }},
    {"ZERO_LINE 3", [](const plot_settings& p) { return p.zero_line == 3; }},
    {"NO_ZOOM", [](const plot_settings& p) { return p.zoom_allowed == 0; }},
    {"ZOOM 1,2,3,4", [](const plot_settings& p) { return p.map_x1 == 1 && p.map_y2 == 4 && p.map_rect_given; }},
    {"SKIP #", [](const plot_settings& p) { return p.skip_string == "#"; }},
    {"ERROR_VALUE -99", [](const plot_settings& p) { return p.error_value == -99 && p.error_value_given; }},
    {"DETECTION_VALUE", [](const plot_settings& p) {
         return p.detection_given && p.detection_below == 0 && p.detection_above == 1.0;
     }},
    {"DETECTION_VALUE 0.5 2", [](const plot_settings& p) { return p.detection_below == 0.5 && p.detection_above == 2; }},
};

// The series, legend, colour and statistics group.
const keyword_case series_cases[] = {
    {"DRAW_LINES 0 2", [](const plot_settings& p) { return p.line_type[0] == 0 && p.line_type[1] == 2; }},
    {"DRAW_MARKERS 3,0.5 25", [](const plot_settings& p) {
         return p.marker[0] == 3 && p.marker_size[0] == 0.5 && p.marker[1] == 25 && p.marker_size[1] == 0;
     }},
    {"MARKER_SIZE 2", [](const plot_settings& p) { return p.marker_scale[0] == 2 && p.marker_scale[31] == 2; }},
    {"MARKER_SIZE 2 3", [](const plot_settings& p) { return p.marker_scale[0] == 2 && p.marker_scale[1] == 3 && p.marker_scale[2] == 1; }},
    {"DEFAULT_MARKERS 5 6", [](const plot_settings& p) { return p.default_marker[1] == 5 && p.default_marker[2] == 6 && p.default_marker[3] == 3; }},
    {"DRAW_BARS ALL", [](const plot_settings& p) { return p.bars_all && p.bars[5] && p.bar_colour[5] == 7; }},
    // lines stay allowed after DRAW_BARS ALL: only the flag letters m and B forbid them
    {"DRAW_BARS ALL\nDRAW_LINES 1 0", [](const plot_settings& p) { return p.bars_all && p.line_type[0] == 1 && p.line_type[1] == 0; }},
    {"DRAW_BARS 0 4", [](const plot_settings& p) { return !p.bars[0] && p.bars[1] && p.bar_colour[1] == 5 && p.bar_series == 1; }},
    {"NR_BARS 12", [](const plot_settings& p) { return p.nr_bars == 12; }},
    {"DRAW_AREA 1 2", [](const plot_settings& p) {
         return p.area_count == 1 && p.area_lower[0] == 0 && p.area_upper[0] == 1 && p.area_colour_of[0] == 3;
     }},
    {"DRAW_AREA 1 2 6", [](const plot_settings& p) { return p.area_colour_of[0] == 7; }},
    {"DRAW_AREA ALL", [](const plot_settings& p) { return p.area_all == 1; }},
    {"LINE_COLORS 4 5", [](const plot_settings& p) { return p.line_colour[0] == 5 && p.line_colour[1] == 6; }},
    {"CUMULATIVE 1 0", [](const plot_settings& p) { return p.cumulative[0] == 1 && p.cumulative[1] == 0; }},
    {"LIN_REGR1 1 0", [](const plot_settings& p) { return p.regression_1[0] == 1 && (p.regression & 1); }},
    {"LIN_REGR2 0 1", [](const plot_settings& p) { return p.regression_2[1] == 1 && (p.regression & 2); }},
    {"SCALING_FACTOR 0.001 2", [](const plot_settings& p) { return p.scale_factor[0] == 0.001 && p.scale_factor[1] == 2; }},
    {"YAXIS_NUMBER 1 2", [](const plot_settings& p) { return p.y_axis[0] == 1 && p.y_axis[1] == 0 && p.y1_only == 0; }},
    {"INTERRUPT_LINES 1", [](const plot_settings& p) { return p.interrupt_lines[0] == 1 && p.interrupt_lines_all == 1; }},
    {"LEGEND 'Leaching (mm)' Runoff", [](const plot_settings& p) {
         return p.legend_text[0] == "Leaching (mm)" && p.legend_text[1] == "Runoff" && p.legend_text_room == 20;
     }},
    {"NO_LEGEND", [](const plot_settings& p) { return p.no_legend == 1; }},
    {"NO_LEGENDBOX", [](const plot_settings& p) { return p.legendbox == 0 && p.legend_box_mode == 0; }},
    {"LEGENDBOX", [](const plot_settings& p) { return p.legendbox == 1; }},
    {"LEGEND_POS Rr,T2 1", [](const plot_settings& p) {
         return p.legend_pos_given && p.legend_x == "Rr" && p.legend_y == "T2" && p.legend_has_y == 1.0 && p.legend_box_mode == 1;
     }},
    {"LEGEND_POS 10,!", [](const plot_settings& p) { return p.legend_has_y == 0; }},
    {"LEGEND_COLUMNS 100", [](const plot_settings& p) { return p.legend_columns == 64 && p.legend_columns_given; }},
    {"LEGEND_COLUMNS 0", [](const plot_settings& p) { return p.legend_columns == 1; }},
    {"GRAPH_BACKGROUND 14", [](const plot_settings& p) { return p.graph_background == 15; }},
    {"LEGEND_BACKGROUND 3", [](const plot_settings& p) { return p.legend_background == 4; }},
    {"COLORFILE my.col", [](const plot_settings& p) { return p.colour_file_name == "my.col"; }},
    {"COLORS range reverse background", [](const plot_settings& p) {
         return p.range_colours == 1 && p.reverse == 1 && p.colour_background == 1;
     }},
    {"PATTERNS 3,7 300,2 4,100", [](const plot_settings& p) { return p.fill_pattern[4] == 7 && p.fill_pattern[5] == 0; }},
    {"BITMAP_COLOR 2 sand.bmp 5;10 1", [](const plot_settings& p) {
         const auto& f = p.picture_fills[3];
         return f.file == "sand.bmp" && f.transparent == 6 && f.tolerance == 19507 && f.third == 1;
     }},
    {"PERCENTILES ! 5,95", [](const plot_settings& p) {
         return p.percentile_file == "Percentiles.out" && p.percentiles == std::vector<double>{5, 95} && p.percentile_samples == 10000;
     }},
    {"PERCENTILES out.txt", [](const plot_settings& p) {
         return p.percentile_file == "out.txt" && p.percentiles == std::vector<double>{10, 50, 90};
     }},
    {"DRAW_LABELS lab.txt 1 2 3 2 4 2.5 m1.5 1", [](const plot_settings& p) {
         const label_item& l = p.label_items.at(0);
         return l.file_name == "lab.txt" && l.x_column == 1 && l.label_column == 3 && l.left_axis == 0 && l.colour == 5 &&
                l.height == 2.5 && l.position == 'm' && l.offset == 1.5 && p.label_clip == 1;
     }},
    {"DRAW_DEV dev.txt 1 2 3", [](const plot_settings& p) {
         const deviation_item& d = p.deviation_items.at(0);
         return d.style == 0 && d.legend == 0 && d.colour == 2 && d.left_axis == 1;
     }},
    {"DRAW_DEV dev.txt 1 2 3 2 5 1", [](const plot_settings& p) {
         const deviation_item& d = p.deviation_items.at(0);
         return d.low_column == 2 && d.left_axis == 0 && d.colour == 6 && d.style == 1 && d.legend == 1 && p.legend_entries == 3;
     }},
};

// The map, matrix and vector group, read in a matrix plot.
const keyword_case map_cases[] = {
    {"MATRIX_CLASS 3 0 < 10", [](const plot_settings& p) { return p.classes.size() == 1 && p.classes[0].upper == 10; }},
    {"EXTRA_CLASS 4 water", [](const plot_settings& p) {
         return p.extra_classes.size() == 1 && p.extra_classes[0].colour == 5 && p.extra_classes[0].text == "water";
     }},
    {"MATRIX_DEF_CLASS 2", [](const plot_settings& p) { return p.matrix_def_class == 1; }},
    {"POLYGON_VALUE 2", [](const plot_settings& p) { return p.map.polygon_value_given && p.map.polygon_value_height == 2; }},
    {"RECORD_LENGTH 0", [](const plot_settings& p) { return p.map.record_length == 1; }},
    {"MATRIX_XCOLUMN 3", [](const plot_settings& p) { return p.map.xcolumn == 2; }},
    {"MATRIX_YRANGES 0,1 1,3", [](const plot_settings& p) {
         return p.map.yranges.size() == 2 && p.map.yranges[1] == std::make_pair(1.0, 3.0);
     }},
    {"MATRIX_YRANGES -4", [](const plot_settings& p) { return p.map.yranges_count == -4 && p.map.yranges.empty(); }},
    {"MATRIX_XWIDTH 2.5", [](const plot_settings& p) { return p.map.cell_width == 2.5; }},
    // a resolution counts only on paper, in a metafile or in a picture file
    {"MATRIX_XRES 4", [](const plot_settings& p) { return p.map.resolution == 1.0; }},
    {"MATRIX_RES 4", [](const plot_settings& p) { return p.map.resolution == 1.0; }},
    {"MAP_RES 4", [](const plot_settings& p) { return p.map.resolution == 1.0; }},
    {"SCALE_BAR 1000 2 4 L2,B3 km", [](const plot_settings& p) {
         return p.map.scale_bar && p.map.scale_length == 1000 && p.map.scale_height == 2 && p.map.scale_divisions == 4 &&
                p.map.scale_x == "L2" && p.map.scale_y == "B3" && p.map.scale_text == "km";
     }},
    {"NORTH 0,0,1,1 ! 8", [](const plot_settings& p) {
         return p.map.north && std::abs(p.map.north_angle - 45) < 1e-9 && p.map.north_size == 4 && p.map.north_x == "R-2r";
     }},
    {"NORTH", [](const plot_settings& p) { return !p.map.north; }},
    {"NR_CUMCLASSES 5000", [](const plot_settings& p) { return p.map.nr_cumclasses == 1000; }},
    {"MAP_RIGHT", [](const plot_settings& p) { return p.map_right == 1; }},
    {"MAP_BOTTOM", [](const plot_settings& p) { return p.map_bottom == 1; }},
    {"DRAW_VECTOR 10 4 2 1", [](const plot_settings& p) {
         return p.vector_plot && p.map.vector_log && p.map.vector_log_lower == 1 && p.map.vector_largest == 0 &&
                p.map.vector_length == 0.04 && p.map.vector_colour == 3 && !p.draw_axis_numbers;
     }},
    {"VECTOR_BORDER 2,! 0", [](const plot_settings& p) {
         return p.map.vector_border_given && p.map.vector_border_x == 2 && p.map.vector_frame == 0;
     }},
};

// The keyword tables as the settings reader consults them.
const std::pair<const char*, keyword_table> keyword_tables[] = {
    {"page", page_keyword_table()}, {"series", series_keyword_table()}, {"map", map_keyword_table()}};

std::string first_word_of(const char* line)
{
    std::string w = line;
    w = w.substr(0, w.find_first_of(" \n"));
    for (char& c : w) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return w;
}

} // namespace

TEST(SettingsKeywords, MapMatrixAndVectorKeywordsReachPlotSettings)
{
    for (const keyword_case& c : map_cases) {
        SCOPED_TRACE(c.line);
        settings_under_test s;
        s.ps.matrix_plot = 1;
        ASSERT_TRUE(s.parse({c.line})) << s.error;
        EXPECT_TRUE(c.holds(s.ps));
    }
}

// Each keyword of the tables has one name in all of them, no switch (tried first, by the start of
// the line) hides it, and the case tables above show it reaching the settings.
TEST(SettingsKeywords, EveryTableKeywordIsReachableAndShown)
{
    std::set<std::string> shown;
    for (std::span<const keyword_case> cases : {std::span<const keyword_case>(page_cases),
                                                 std::span<const keyword_case>(series_cases),
                                                 std::span<const keyword_case>(map_cases)})
        for (const keyword_case& c : cases) shown.insert(first_word_of(c.line));
    std::set<std::string> names;
    for (const auto& [group, table] : keyword_tables)
        for (const keyword_entry& k : table) {
            SCOPED_TRACE(std::string(group) + " " + k.name);
            EXPECT_TRUE(names.insert(k.name).second);
            EXPECT_TRUE(shown.count(k.name));
            for (const char* sw : switch_names())
                EXPECT_NE(std::string(k.name).rfind(sw, 0), 0u) << sw;
        }
    EXPECT_GT(names.size(), 60u);
}

// A keyword line with fewer words than its table entry needs is no keyword line: refused as not
// recognised, quoting the line.
TEST(SettingsKeywords, LinesWithTooFewWordsAreNotRecognised)
{
    int checked = 0;
    for (const auto& [group, table] : keyword_tables)
        for (const keyword_entry& k : table) {
            if (k.least_words < 2) continue;
            std::string line = k.name;
            for (int i = 2; i < k.least_words; ++i) line += " 1";
            SCOPED_TRACE(line);
            settings_under_test s;
            s.ps.matrix_plot = 1;
            EXPECT_FALSE(s.parse({line}));
            EXPECT_EQ(s.error, "command " + line + " is not recognized or has no effect\n");
            ++checked;
        }
    EXPECT_GT(checked, 10);
}

// The class and matrix keywords belong to a matrix plot: elsewhere they are refused, except the
// resolutions, which other readers take.
TEST(SettingsKeywords, MatrixKeywordsOutsideAMatrixPlot)
{
    for (const keyword_entry& k : map_keyword_table()) {
        settings_under_test plain;
        if (!k.refused || !k.refused(plain.ps, {k.name})) continue;
        const std::string line = std::string(k.name) + " 1";
        SCOPED_TRACE(line);
        settings_under_test s;
        const bool passes = line.find("RES ") != std::string::npos;
        EXPECT_EQ(s.parse({line}), passes) << s.error;
    }
}

TEST(SettingsKeywords, PageTextAndAxisKeywordsReachPlotSettings)
{
    for (const keyword_case& c : page_cases) {
        SCOPED_TRACE(c.line);
        settings_under_test s;
        ASSERT_TRUE(s.parse({c.line})) << s.error;
        EXPECT_TRUE(c.holds(s.ps));
    }
}

TEST(SettingsKeywords, SeriesLegendColourAndStatisticsKeywordsReachPlotSettings)
{
    for (const keyword_case& c : series_cases) {
        SCOPED_TRACE(c.line);
        settings_under_test s;
        ASSERT_TRUE(s.parse({c.line})) << s.error;
        EXPECT_TRUE(c.holds(s.ps));
    }
}

TEST(SettingsKeywords, UnknownKeywordsAreRefusedQuotingTheWholeLine)
{
    // an axis keyword alone and a DRAW_DEV or DRAW_LABELS line with too few words are no keyword lines
    const char* lines[] = {"TEXTS 'hello' 10,10", "COLOUR 3", "X_AXIS", "frobnicate now please", "DRAW_DEV dev.txt 1 2",
                           "DRAW_LABELS lab.txt 1 2"};
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        settings_under_test s;
        EXPECT_FALSE(s.parse({line}));
        std::string shown = line;
        shown = shown.substr(0, shown.find(' '));
        for (char& c : shown) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        shown += std::string(line).substr(shown.size());
        EXPECT_EQ(s.error, "command " + shown + " is not recognized or has no effect\n");
    }
}

TEST(SettingsKeywords, KeywordsOfOtherReadersPass)
{
    settings_under_test s;
    EXPECT_TRUE(s.parse({"TEXT 'a' 10,10", "FONT BOLD", "DRAW_BITMAP x.bmp", "VESA", "FREQDIST", "CUMDIST",
                         "MAP_RES 2", "POLYGON_LINE 1"}))
        << s.error;
}

TEST(SettingsKeywords, RefusalsOfKeywordHandlers)
{
    struct refusal {
        std::vector<std::string> lines;
        const char* message;
    } cases[] = {
        {{"YAXIS_NUMBER 1 3"}, "YAXIS_NUMBER must be 1 (left) or 2 (right)\n"},
        {{"X_AXIS ! 10"}, "maximum X_AXIS-scale value but no minimum X_AXIS-scale value\n"},
        {{"ZOOM 1,2,3"}, "ZOOM setting needs 4 coordinates ','-seperated\n"},
        {{"DRAW_GRID 1 1 1 5"}, "DRAW_GRID setting needs 2 coordinates ','-seperated\n"},
        {{"X_AXIS 0 1e999"}, "X_AXIS: the value 1e999 is not a finite number\n"},
        {{"TEXT hello 10"}, "TEXT setting needs 2 coordinates ','-seperated\n"},
        {{"X_AXIS 0 10 99999"}, "X_AXIS: 99999 intervals are out of range (0 to 32767)\n"},
        {{"Y_AXIS 0 10 5 1000000"}, "Y_AXIS: 1000000 minor ticks are out of range (0 to 32767)\n"},
        {{"DRAW_EXPRESSION X 0 1 0"}, "DRAW_EXPRESSION: 0 points are out of range (1 to 1000000)\n"},
    };
    for (const refusal& r : cases) {
        SCOPED_TRACE(r.lines[0]);
        settings_under_test s;
        EXPECT_FALSE(s.parse(r.lines));
        EXPECT_EQ(s.error, r.message);
    }
}

TEST(SettingsKeywords, LetterFlagsRefuseTheirKeywords)
{
    struct refusal {
        const char* flag_field;
        const char* line;
    } cases[] = {{"B", "DRAW_BARS 1 2"}, {"m", "DRAW_LINES 1 2"}, {"B", "DRAW_LINES 1 2"}, {"m", "DRAW_MARKERS 1"},
                 {"b", "DRAW_MARKERS 1"}, {"A", "DRAW_AREA 1 2"}};
    for (const refusal& r : cases) {
        SCOPED_TRACE(r.line);
        settings_under_test s;
        char f = r.flag_field[0];
        s.ps.bars_all = s.ps.bars_all_from_letter = f == 'B';
        s.ps.markers_only = f == 'm';
        s.ps.lines_and_markers = f == 'b';
        s.ps.area_all = s.ps.area_all_from_letter = f == 'A';
        EXPECT_FALSE(s.parse({r.line}));
        EXPECT_EQ(s.error, std::string("command ") + r.line + " is not recognized or has no effect\n");
    }
}

TEST(SettingsLanguage, LineReaderSkipsCommentsAndUpperCasesTheKeyword)
{
    struct line_case {
        const char* raw;
        bool kept;
        const char* result;
    } cases[] = {
        {"   * a comment", false, ""},
        {"", false, ""},
        {"\t\t", false, ""},
        {"data run.out 1 2\r\n", true, "DATA run.out 1 2"},
        {"x_text Mixed Case", true, "X_TEXT Mixed Case"},
    };
    for (const line_case& c : cases) {
        std::string line = c.raw;
        EXPECT_EQ(next_settings_line(line), c.kept) << c.raw;
        if (c.kept) {
            EXPECT_EQ(line, c.result);
        }
    }
}

TEST(SettingsLanguage, DataLinesBecomeSeriesSideBySide)
{
    settings_under_test s;
    std::vector<std::string> lines;
    for (int i = 0; i < 40; ++i) lines.push_back("DATA run.out 1 " + std::to_string(i + 2));
    for (std::string& l : lines) next_settings_line(l);
    parse_settings_lines(s.ps, lines, 1, 0);
    EXPECT_EQ(s.ps.series_count, 32);
    EXPECT_EQ(s.ps.x_column[1], 3);
    EXPECT_EQ(s.ps.y_column[1], 4);
    EXPECT_EQ(s.ps.selection_lines.size(), 32u);
    EXPECT_TRUE(s.ps.data_series_share_x);

    settings_under_test shared;
    std::vector<std::string> two = {"DATA a.out 1 2", "DATA a.out ! 3"};
    parse_settings_lines(shared.ps, two, 1, 0);
    EXPECT_EQ(shared.ps.x_column[1], 1);
    EXPECT_EQ(shared.ps.y_column[1], 3);
}

TEST(SettingsLanguage, NothingToDrawIsRefused)
{
    settings_under_test s;
    EXPECT_THROW(parse_settings_lines(s.ps, {"NO_LEGEND"}, 1, 0), plot_error);
    try {
        parse_settings_lines(s.ps, {"NO_LEGEND"}, 1, 0);
    } catch (const plot_error& e) {
        EXPECT_STREQ(e.what(), "no information available on xy-columns\n");
    }
    settings_under_test t;
    EXPECT_THROW(parse_settings_lines(t.ps, {"XY_COLUMNS 1,2 3"}, 1, 0), plot_error);
}

TEST(SettingsKeywords, ColourNumbersStayInsideTheColourTable)
{
    const keyword_case cases[] = {
        {"LINE_COLORS 300 -7", [](const plot_settings& p) { return p.line_colour[0] == 255 && p.line_colour[1] == 0; }},
        {"DRAW_BARS 999", [](const plot_settings& p) { return p.bar_colour[0] == 255; }},
        {"DRAW_AREA 1 2 1000", [](const plot_settings& p) { return p.area_colour_of[0] == 255; }},
        {"GRAPH_BACKGROUND 70000", [](const plot_settings& p) { return p.graph_background == 255; }},
        {"PATTERNS 5,500 300,4 2,7", [](const plot_settings& p) { return p.fill_pattern[6] == 0 && p.fill_pattern[3] == 7; }},
    };
    for (const keyword_case& c : cases) {
        SCOPED_TRACE(c.line);
        settings_under_test s;
        ASSERT_TRUE(s.parse({c.line})) << s.error;
        EXPECT_TRUE(c.holds(s.ps));
    }
}
