#pragma once
// plot_settings: everything one drawing needs, in one object. The record is the context of the plot
// core: every routine takes it, nothing of a drawing lives in globals. Lifetimes:
//   - program run: `zoom_allowed`, the letter-file mark, `reload_mark`, `job_position_grid`,
//     `institute_default`, the application part (`app`);
//   - one drawing (`render_graph`): the call fields and the flag letters of the first call;
//   - one xy call: everything else, reset by `reset_plot_settings` before the call is parsed.
#include "plotwell/core/graphics_layer.h"
#include "common/runtime/shared_routines.h"
#include "rowsift/expression_evaluator.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace plotwell {

constexpr int max_series = 32;
constexpr int max_legend_texts = 64;
constexpr int max_axis_labels = 48;
constexpr int max_items = 32;

// A fatal error of the plot core: the drawing is abandoned and the text reaches the caller of
// render_graph, which decides what the user sees. It is the one fatal error of the shared routines,
// so a refusal from the evaluator or the selection engine reaches that caller the same way.
using plot_error = ::fatal_error_exception;

// One axis: x axis, left y axis or right y axis.
struct axis_settings {
    double min = 0, max = 0;
    int intervals = 10;
    int minor_ticks = 0;
    int min_only = 0, range_given = 0, min_is_hint = 0, intervals_given = 0;
    int log_scale = 0;
    std::string label_format = "%G";
    std::vector<std::string> labels;
    int labels_given = 0;
    float label_room = 0; // x axis only
};

// What the application part (windows, printing, export) gives the plot core for one drawing.
struct application_state {
    int view_kind = 1;           // 1 main graph, 2 frequency distribution
    std::string xy_call_line;    // the base xy call
    std::string extra_arguments; // the extra arguments of this drawing
    std::string temp_folder;     // temporary files ("XYT" prefix)
    std::string settings_folder; // files named without a folder are also looked for here
    // Output kinds: screen unless one of these is set.
    bool printing = false, exporting = false, metafile = false;
    bool colour_printer = false, colour_export = false;
    bool from_postscript_dialog = false;
    bool full_redraw = true;      // the window asked for a complete redraw
    bool reload_request = false;  // settings changed; the next drawing loads anew
    bool winmenu_written = false; // the titles-and-classes dialog wrote winmenu.set
    bool selection_made = false;  // the window marked this drawing's selection as made
    bool page_setup_margins = false;
    double page_setup_x1 = 0, page_setup_y1 = 0, page_setup_x2 = 0, page_setup_y2 = 0;
    double dots_per_inch = 96.0;
    double pixel_aspect = 1.0;
    double shrink_x = 1.0, shrink_y = 1.0;
    bool palette_device = false; // the screen draws through a 256-entry palette
    bool zoom_shown = false;
    double zoom_x1 = 0, zoom_y1 = 0, zoom_x2 = 0, zoom_y2 = 0;
    bool transparent_background = false;
    // The clock of the date and time stamps; injectable for tests.
    std::function<std::time_t()> clock = [] { return std::time(nullptr); };
    // Messages that are shown without ending the drawing.
    std::function<void(const std::string&)> show_message;
    // Progress window of long operations (data selection, autoscaling): open, update, close.
    std::function<void(const std::string& first, const std::string& second, int percent)> progress;
    std::function<void()> progress_done;
};

// The least-squares fit of one regression.
struct regression_fit {
    int observations = 0;
    float intercept = 0, slope = 0;
    float se_intercept = 0, se_slope = 0;
    float sse = 0, r_square = 0;
    // false when the line is undefined: no points or all x equal
    bool defined = false;
};

// One class of a map or matrix (MATRIX_CLASS).
struct map_class {
    int colour = 0; // colour index
    double lower = 0, upper = 0;
    std::string lower_name, upper_name;
    bool lower_inclusive = false, upper_inclusive = false, single_value = false, ascending = true;
    std::string legend;
};

// What a grid map file says about itself (its header), and where its rows begin.
enum class cell_type { float32, int16, uint16, int8, uint8 };

struct grid_header {
    float type_code = 0;
    bool binary = false, compressed = false;
    cell_type cells = cell_type::float32;
    int ncols = 0, nrows = 0;
    double x_left = 0, y_bottom = 0;
    double cell_width = 1, cell_height = 1;
    float nodata = -9999;
    bool nodata_given = false;
    double x_right = 0, y_top = 0;
    int header_lines = 0;
    long data_offset = 0; // where the first row begins
    // Remembered starts of rows (file position, the reader's state there), filled as the
    // read-out reads rows, so that a later read-out seeks to its row.
    struct row_start {
        long offset = -1;
        int row = -1;
        bool text_compressed = false;
    };
    std::vector<row_start> row_positions;
};

// The map, matrix and vector settings of one xy call (DRAW_MAP, MATRIX_*, SCALE_BAR, NORTH,
// DRAW_VECTOR, VECTOR_BORDER, POLYGON_VALUE).
struct map_settings {
    std::string file_name;
    int file_given = 0;
    grid_header header;
    int header_found = 0;
    double cell_width = 1.0, cell_height = 0; // cell_height 0: the cell width
    int record_length = 10000;
    double resolution = 1.0;
    int xcolumn = 0;
    std::vector<std::pair<double, double>> yranges;
    int yranges_count = 0; // MATRIX_YRANGES n: |n| equal bands, from the top down when n < 0
    int polygon_value_given = 0;
    double polygon_value_height = 1.0;
    int nr_cumclasses = 0;
    // the scale bar
    int scale_bar = 0;
    double scale_length = 0, scale_height = 0;
    int scale_divisions = 5;
    std::string scale_x = "m", scale_y = "B2", scale_text;
    // the north arrow
    int north = 0;
    double north_angle = 0, north_size = 5;
    std::string north_x = "R-2r", north_y = "m";
    // vectors
    double vector_largest = 0, vector_length = 0.05, vector_log_lower = 0;
    int vector_colour = 1, vector_log = 0, vector_border_given = 0, vector_frame = 1;
    double vector_border_x = 0, vector_border_y = 0;
    // drawing state of the map
    int x_step = 1, y_step = 1, row = -1, columns_used = 0;
    double data_x1 = 0, data_y1 = 0, data_x2 = 0, data_y2 = 0;
    bool data_box_set = false;
};

struct extra_class {
    int colour = 0;
    std::string text;
};

struct expression_curve {
    std::string text;
    double from = 0, to = 0;
    int points = 1000;
    std::vector<double> xs, ys;
};

struct label_item {
    std::string file_name;
    int x_column = 0, y_column = 0, label_column = 0;
    int left_axis = 1;
    int colour = 1;
    double height = 2.0;
    char position = 'l';
    double offset = 0;
};

struct deviation_item {
    std::string file_name;
    int position_column = 0, low_column = 0, high_column = 0;
    int left_axis = 1;
    int colour = 0;
    int style = 0;
    int legend = 0;
    int horizontal = 0;
};

struct series_buffer {
    std::vector<float> x, y;
    int fill = 0;
    double cumulative_sum = 0;
    double stacked = 0;
    bool restart = false;
    bool carried = false; // point 0 is the last point of the chunk before
};

// What the drawing of one xy call works out as it goes: the colour table in force, the frame and
// the room of its labels on the page, the scale of the region, the base line width.
struct drawing_state {
    colour_table colours;
    int text_colour = 1;
    double frame_left = 0, frame_width = 0, frame_bottom = 0, frame_height = 0, frame_top = 0;
    double title_base = 0, left_label_width = 0, right_label_width = 0;
    std::array<double, 4> saved_frame{};
    double region_scale_x = 1, region_scale_y = 1;
    double layout_width = 100, layout_height = 100;
    double line_width_base = 1.0;
    int drawn = 0; // the call has drawn its graph (a job's later calls see it)
};

struct plot_settings {
    plot_settings();
    explicit plot_settings(graphics_layer& layer) : plot_settings() { gr = &layer; }

    graphics_layer* gr = nullptr;
    application_state app;
    // plotwell's variant of the shared routines for this drawing: the settings folder files are
    // also looked for in and the message handler, taken from `app` when a drawing starts
    // (refresh_shared_context).
    shared_context shared{shared_variant::plotwell};
    // The evaluator's variables A..Z of this drawing: its data selection's column expressions and
    // its DRAW_EXPRESSION curves share them; every drawing starts with all of them 0.
    expression_variables evaluator_variables;

    // ---- drawing state (program run) ----
    int zoom_allowed = 1;
    int no_letter_file_used = 1;
    int reload_mark = 1;
    int job_position_grid = 0;
    int regression_figure = 0; // regression runs of the program: numbers the figures of "lin_regr.xy"
    int institute_default = 1;
    bool drawing = false; // re-entry guard of render_graph
    int calls_on_page = 0;
    // The file that holds the settings of the last main-view drawing (the job file, else the settings
    // file): the window rewrites titles and classes into it.
    std::string graph_settings_file_name;

    // ---- 1. the call ----
    int call_number = 0;
    int job_mode = 0;
    std::string job_file_name;
    int settings_given = 0;
    std::string settings_file_name;
    int section_given = 0;
    std::string section_name;
    std::string skip_string = "*";
    std::string letter_file_name;
    int letter_file_active = 0;
    char next_letter = 'A';
    std::vector<std::string> data_lines;
    int data_line_count = 0, data_line_total = 0;
    int cmd_line_count = 0;
    std::vector<std::string> cmd_lines;
    std::vector<std::string> extra_data_lines;
    // The lines the data selection reads: the DATA lines, then the EXTRA_DATA lines.
    std::vector<std::string> selection_lines;
    int xy_columns_given = 0;
    int expressions_seen = 0, labels_seen = 0, deviations_seen = 0;
    std::string data_file_name;
    std::string postscript_file_name = "xy_graph.ps";
    int postscript_file_given = 0;
    int copies = 1;
    int chars_per_value = 20;
    double dash_divisor = 1.0;
    double print_scale = 0;
    double x_margin = 0;
    int nr_bars = 0;
    double viewport_x1 = 0, viewport_y1 = 0, viewport_x2 = 100, viewport_y2 = 100;
    int viewport_given = 0;
    std::array<double, 4> saved_viewport{};
    float page_scale_x = 1.0f, page_scale_y = 1.0f;
    char page_shape = 0; // letter of -W, PORTRAIT or LANDSCAPE
    int hardcopy_default = 0;
    double top_margin = 0, bottom_margin = 0;
    double box_offset = 0;

    // ---- 2. flag letters ----
    int markers_only = 0, lines_and_markers = 0, postscript_portrait = 0, postscript_landscape = 0;
    int draw_box = 0, fixed_size = 0, zero_line = 0, stack_data = 0, area_all = 0, bars_all = 0;
    int position_grid = 0, justify_bars = 0, justify_xlabels = 0, colour_postscript = 0;
    int interrupt_lines_all = 0, cumulative_all = 0, reuse_selection = 0, paper_a3 = 0;
    int page_background = 0, opaque_graph = 0, print_papersize = 0, lock_chart_edit = 0;
    int copy_to_clipboard = 0, minimised = 0, print_and_stop = 0;
    int postscript_output = 0, colour_output = 0, range_colours = 0, postscript_message = 0;
    int bars_all_from_letter = 0, area_all_from_letter = 0; // B and A refuse DRAW_BARS and DRAW_AREA

    // ---- 3. page, fonts and texts ----
    char escape_char = 27;
    int no_palette = 0, fixed_width = 0;
    int font_times = 0, font_courier = 0, font_symbol = 0, bold = 0, italic = 0;
    double font_factor = 1.0;
    double char_width = 1.0, line_width = 1.0, legend_width = 1.0;
    double axisline_width_x = 1.0, axisline_width_y = 1.0, legend_line_width = 1.0;
    double graph_ratio = 1.0;
    int graph_ratio_given = 0;
    double fixed_ytext = 0;
    int draw_axis_numbers = 1, frame_closed = 1;
    int draw_axis_forced = 0;
    int x_top = 0, y1_right = 0, y1_both = 0, y1_only = 1;
    int tics_inside = 0, logzero = 0, ordination_axis = 0;
    int matrix_axissize = 0, map_axissize = 0, open_matrix_legend = 0;
    int no_barlines = 0, barlines = 0, horizontal_bars = 0, xaxis_bars = 0, skip_first_stack = 0;
    std::string x_text, y1_text, y2_text;
    std::string name_text, city_text, department_text, institute_text, matrix_title;
    std::array<std::string, 4> title;
    std::array<int, 4> title_given{};
    double text_height = 3.0;
    double base_text_height = 3.0;
    int texts_present = 0, dates_present = 0, bitmaps_present = 0, polygons_present = 0;
    double title_block_height = 0;

    // ---- 4. grid and zero lines ----
    int grid_horizontal = 0, grid_vertical = 0, grid_line_type = 10, grid_in_front = 0;
    double grid_spacing_x = 0, grid_spacing_y = 0;

    // ---- 5. axes ----
    axis_settings x_axis, y1_axis, y2_axis;
    double data_x_min = 0, data_x_max = 0, data_y1_min = 0, data_y1_max = 0, data_y2_min = 0, data_y2_max = 0;
    double remembered_x_min = 0, remembered_x_max = 0;
    double bar_count = 0, label_offset = 0;
    double x_range_before_margin_min = 0, x_range_before_margin_max = 0;

    // ---- 6. series ----
    int series_count = 0;
    int expression_count = 0;
    std::array<int, max_series> x_column{}, y_column{};
    std::array<int, max_series> line_type{}, marker{}, bars{}, bar_colour{}, line_colour{};
    std::array<int, max_series> cumulative{}, regression_1{}, regression_2{}, interrupt_lines{};
    std::array<int, max_series> y_axis{}, area_colour{};
    std::array<double, max_series> marker_size{}, marker_scale{}, scale_factor{};
    std::array<std::string, max_legend_texts> legend_text;
    int area_count = 0;
    std::array<int, max_series> area_lower{}, area_upper{}, area_colour_of{};
    int bar_series = 0, regression = 0, legend_entries = 0;
    // The fitted regressions of the call (LIN_REGR1, LIN_REGR2).
    struct regression_state {
        bool on = false;
        int series_count = 0, axis = 1, colour = 1;
        regression_fit fit;
    };
    std::array<regression_state, 2> regressions{};
    int legend_columns = 1, legend_columns_given = 0;
    int legend_text_room = 0;
    int no_legend = 0, legendbox = 1, legend_pos_given = 0;
    std::string legend_x, legend_y;
    double legend_has_y = 0;
    int legend_box_mode = -1;
    int central_legend = 0;
    int graph_background = 0, legend_background = 0;
    std::string colour_file_name = "xycolor.set";
    int reverse = 0, colour_background = 0;
    std::array<int, 51> default_marker{};
    std::array<int, 256> fill_pattern{};
    struct picture_fill { std::string file; int transparent = -1; int tolerance = 2000; int third = 0; };
    std::array<picture_fill, 256> picture_fills;
    double error_value = 0;
    int error_value_given = 0;
    int detection_given = 0;
    double detection_below = 0, detection_above = 1.0;
    std::string percentile_file = "Percentiles.out";
    std::vector<double> percentiles;
    int percentile_samples = 10000;
    std::vector<expression_curve> expressions;
    std::vector<label_item> label_items;
    std::vector<deviation_item> deviation_items;
    int label_clip = 0;
    // markers 20..29 and 30..39 are read once per drawing
    std::array<bool, 10> marker_shape_loaded{}, marker_picture_loaded{};
    int data_series_share_x = 1;
    double legend_bottom = 0;

    // ---- 7. data ----
    std::string selected_data_name = "data.xy";
    long data_file_size = 0;
    std::FILE* data_file = nullptr;
    std::FILE* map_file = nullptr; // the grid map being drawn
    long point_count = 0;
    long chunk_size = 0;
    double bar_width = 0;
    std::array<series_buffer, max_series> buffers;
    bool first_point = true;
    int polygons_only = 0, map_outside = 0;

    // ---- 8. maps and matrices ----
    std::vector<map_class> classes;
    bool first_class_open_below = false, last_class_open_above = false;
    std::vector<extra_class> extra_classes;
    // The settings lines of the call that drew the last grid map (its classes and titles), kept
    // after the drawing for the frequency distribution of that map.
    std::vector<std::string> map_settings_lines;
    int matrix_def_class = -1;
    map_settings map;
    int draw_map = 0, matrix_plot = 0, vector_plot = 0;
    double map_x1 = 0, map_y1 = 0, map_x2 = 0, map_y2 = 0;
    int map_rect_given = 0, map_right = 0, map_bottom = 0, allmaps_given = 0;
    double allmaps_x1 = 0, allmaps_y1 = 0, allmaps_x2 = 0, allmaps_y2 = 0;
    double class_legend_width = 0;

    // ---- 9. drawing state ----
    drawing_state state;

    // The settings stream: the prepared lines of the call's settings, read pass by pass.
    std::vector<std::string> settings_lines;
    bool settings_open = false;
    // Temporary files of the current drawing; removed when the drawing ends, errors included.
    std::vector<std::string> temp_files;

    bool right_axis_in_use() const { return !y1_only || y1_right || y1_both; }
    bool vector_output() const { return postscript_output || app.printing || app.metafile; }
    bool hardcopy_output() const { return postscript_output || app.printing || app.exporting; }
    bool on_screen() const { return !postscript_output && !app.printing && !app.exporting && !app.metafile; }
};

// Releases the per-drawing buffers (the data file, the point buffers, the item tables).
void free_plot_settings(plot_settings& ps);

// One word keyword of the settings language: a line whose first word is `name` is taken when it
// has at least `least_words` words (the keyword counted) and `refused` (when given) does not hold;
// `apply` then does its work. A line no table takes is refused as not recognised (unless another
// reader knows it).
using keyword_words = std::vector<std::string>;
struct keyword_entry {
    const char* name;
    int least_words;
    bool (*refused)(const plot_settings&, const keyword_words&);
    void (*apply)(plot_settings&, const keyword_words&);
};
using keyword_table = std::span<const keyword_entry>;

// True when an entry of `table` took the line.
bool apply_keyword(keyword_table table, plot_settings& ps, const keyword_words& words);

} // namespace plotwell
