#include "plotwell/core/plot_driver.h"

#include "plotwell/core/colour_table.h"

#include "plotwell/core/axis_ticks.h"
#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/chart_frame.h"
#include "plotwell/core/data_selection.h"
#include "plotwell/core/data_set_legend.h"
#include "plotwell/core/data_stage.h"
#include "plotwell/core/linear_regression.h"
#include "plotwell/core/map_decorations.h"
#include "plotwell/core/page_pictures.h"
#include "plotwell/core/plot_defaults.h"
#include "plotwell/core/page_texts.h"
#include "plotwell/core/plot_utilities.h"
#include "plotwell/core/settings_language.h"
#include "plotwell/core/shared_routines.h"
#include "plotwell/core/xy_call.h"

#include <cmath>

namespace plotwell {

void draw_position_grid(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    gr.gr_set_colour(1);
    gr.gr_set_line_width(0.5);
    gr.gr_set_line_type(10);
    for (int i = 1; i <= 19; ++i) {
        draw_segment(ps, 5.0 * i, 0, 0, 100);
        draw_segment(ps, 0, 5.0 * i, 100, 0);
    }
}

static void check_axis_range(const axis_settings& a, const char* name)
{
    if (!std::isfinite(a.min) || !std::isfinite(a.max) || !std::isfinite(a.max - a.min))
        fatal_error("%s: the range %g to %g cannot be drawn\n", name, a.min, a.max);
    if (a.min == a.max) fatal_error("%s: minimum and maximum are equal (%g); this is not allowed\n", name, a.min);
}

int draw_plot(plot_settings& ps, std::vector<std::string>& words, bool in_job)
{
    graphics_layer& gr = *ps.gr;
    // a reload the window asked for makes this drawing load anew
    if (ps.app.reload_request) {
        ps.app.reload_request = false;
        ps.reload_mark = 1;
    }
    // a job's XY line is parsed here; each call of a job selects into a data file of its own
    if (in_job) {
        int remaining = parse_xy_call_arguments(ps, words);
        words.resize(remaining);
        ps.selected_data_name = format_text("data-%d.xy", ps.call_number - 1);
    } else {
        ps.selected_data_name = "data.xy";
    }
    // the graph region starts as the device's default for its orientation
    set_default_viewport(ps);
    // the call's own data file, when it names one, is open for the readers below
    const int word_count = static_cast<int>(words.size());
    if (word_count == 2) {
        ps.data_file_name = expand_environment_path(words[1]);
        ps.data_file_size = file_size(ps, ps.data_file_name);
        ps.data_file = open_file_or_fail(ps.shared, ps.data_file_name, "r");
    } else {
        ps.data_file_name.clear();
    }
    // the defaults file and the per-series styles come before the call's settings
    read_defaults_file(ps, word_count);
    reset_series_defaults(ps);
    // the settings (or the call's data lines) give the series and select their data
    if (ps.settings_given) {
        prepare_settings_and_data(ps, word_count == 2 ? 2 : 1);
    } else {
        if (ps.data_line_count > 0) {
            ps.selection_lines = ps.data_lines;
            ps.data_lines.clear();
            run_selection_or_fail(ps);
            if (ps.data_file) std::fclose(ps.data_file);
            ps.data_file = open_file_or_fail(ps.shared, ps.selected_data_name, "r");
            ps.data_file_size = file_size(ps, ps.selected_data_name);
            // the data lines of the call select their columns as those of a settings file do
            ps.series_count = std::min(ps.data_line_count, max_series);
            assign_data_line_columns(ps, ps.selection_lines, ps.series_count);
        }
        if (ps.app.zoom_shown) set_zoom_axes(ps);
    }
    // marker numbers go through the default-marker table; filled areas take black lines
    for (int i = 0; i < max_series; ++i) {
        int m = ps.marker[i];
        if (m > 0 && m <= 50) ps.marker[i] = ps.default_marker[m];
        if (ps.area_all) ps.line_colour[i] = 1;
    }
    count_legend_entries(ps);
    // stacked series must share their x values
    if (ps.stack_data && !ps.horizontal_bars && !(ps.data_line_total > 0 && ps.data_series_share_x)) {
        for (int i = 1; i < ps.series_count - ps.expression_count; ++i)
            if (ps.x_column[i] != ps.x_column[i - 1])
                fatal_error("For STACKED_DATA all x-values must be subtracted from the same data column\n");
    }
    // a later call of a job reads the colour file again: its own COLORFILE, RANGE and classes
    // count (the page, and with it the colour table, was opened by the first call)
    if (in_job && !ps.reload_mark && ps.calls_on_page > 0) set_up_colour_table(ps);
    // without settings the first data line gives one series per column after the first
    if (!ps.settings_given && !ps.reload_mark && word_count == 2 && ps.data_file && ps.data_line_count == 0) {
        std::string line;
        std::rewind(ps.data_file);
        if (!read_data_line(ps, ps.data_file, line)) fatal_error("input file is empty\n");
        std::vector<std::string> w = split_fields(line, ' ', 200);
        ps.series_count = std::min<int>(static_cast<int>(w.size()) - 1, max_series);
        for (int i = 0; i < ps.series_count; ++i) {
            ps.x_column[i] = 1;
            ps.y_column[i] = i + 2;
        }
        std::rewind(ps.data_file);
    }
    if (ps.series_count == 0 && ps.expressions.empty() && !ps.polygons_only && !ps.draw_map && !ps.matrix_plot &&
        !ps.vector_plot && ps.deviation_items.empty() && ps.label_items.empty())
        fatal_error("no information available on xy-columns\n");
    const int data_series = ps.series_count - ps.expression_count;
    // stacked data have only the left axis
    if (ps.stack_data && !ps.y1_only) fatal_error("with option -a you can't use the right y-axis\n");
    // every axis has a range: given, or autoscaled from the data
    ps.point_count = 0;
    // a vector plot without a largest component takes it from the right-axis range of its components
    const bool vector_components = ps.vector_plot && ps.map.vector_largest == 0;
    const bool right_needed = !ps.y1_only || vector_components;
    if ((ps.x_axis.range_given && ps.y1_axis.range_given && (!right_needed || ps.y2_axis.range_given)) || ps.draw_map) {
        if (data_series > 0 && ps.data_file) ps.point_count = count_lines(ps.data_file);
    } else {
        autoscale_axes(ps);
    }
    // expression curves, and the window widened for vector arrows
    if (!ps.expressions.empty()) evaluate_expression_curves(ps);
    if (ps.vector_plot) set_vector_window(ps);
    // the ranges can be drawn: finite, not empty, above 0 on logarithmic axes
    check_axis_range(ps.x_axis, "x-axis");
    check_axis_range(ps.y1_axis, "left y-axis");
    if (!ps.y1_only) check_axis_range(ps.y2_axis, "right y-axis");
    check_log_axis(ps.x_axis.log_scale, "x-axis", ps.x_axis.min, ps.x_axis.max);
    check_log_axis(ps.y1_axis.log_scale, "left y-axis", ps.y1_axis.min, ps.y1_axis.max);
    if (!ps.y1_only) check_log_axis(ps.y2_axis.log_scale, "right y-axis", ps.y2_axis.min, ps.y2_axis.max);
    ps.remembered_x_min = ps.x_axis.min;
    ps.remembered_x_max = ps.x_axis.max;
    ps.regressions = {};
    if (ps.regression) run_linear_regressions(ps);
    // the data stage reads the data file from its start
    if (!ps.polygons_only && data_series > 0 && ps.data_file) std::rewind(ps.data_file);
    // the settings of this call are loaded
    ps.reload_mark = 0;
    // MATRIX_AXISSIZE and MAP_AXISSIZE reuse the viewport of the call before
    if (ps.matrix_axissize || ps.map_axissize) {
        ps.viewport_x1 = ps.saved_viewport[0];
        ps.viewport_y1 = ps.saved_viewport[1];
        ps.viewport_x2 = ps.saved_viewport[2];
        ps.viewport_y2 = ps.saved_viewport[3];
    }
    ps.saved_viewport = {ps.viewport_x1, ps.viewport_y1, ps.viewport_x2, ps.viewport_y2};
    // the frame is laid out and opened, with the pictures that lie under the graph
    const bool first_on_page = ps.calls_on_page == 0;
    setup_graph_frame(ps);
    // pictures under the graph: the job page's, then this call's before-phase pictures
    if (ps.job_mode && first_on_page) draw_bitmaps(ps, true, true, true);
    if (ps.bitmaps_present) {
        draw_bitmaps(ps, true, false, true);
        draw_bitmaps(ps, false, false, true);
    }
    set_frame_viewport(ps);
    // the data: series, maps, matrices, vectors, polygons, items
    run_data_stage(ps);
    // the axes start from the base line style
    gr.gr_set_line_width(ps.state.line_width_base);
    gr.gr_set_line_type(1);
    gr.gr_set_colour(1);
    // bar graphs get their zero lines over the bars
    if (!ps.draw_map && !ps.vector_plot && !ps.map_axissize && !ps.ordination_axis && ps.bars_all && !ps.xaxis_bars) {
        if (ps.zero_line == 2 || ps.zero_line == 3)
            draw_segment(ps, linear_fraction(0, ps.x_axis.min, ps.x_axis.max), 0, 0, 1);
        if ((ps.zero_line == 1 || ps.zero_line == 3) && ps.y1_axis.min < 0)
            draw_segment(ps, 0, linear_fraction(0, ps.y1_axis.min, ps.y1_axis.max), 1, 0);
    }
    // the data file is no longer needed
    if (!ps.polygons_only && ps.data_file) {
        std::fclose(ps.data_file);
        ps.data_file = nullptr;
    }
    // a map wholly outside the zoom rectangle draws nothing more
    if (ps.map_outside) return 0;
    // axes, legend and texts are drawn in the whole graph region without clipping
    const double u0 = gr.viewport_height_pct();
    set_graph_viewport(ps, ps.viewport_x1, ps.viewport_y1 + (ps.draw_box ? ps.title_block_height : 0), ps.viewport_x2,
                       ps.viewport_y2, ps.state.layout_width);
    gr.gr_clipping_off();
    // markers keep their size in the larger region; the axes' second pass draws their labels
    const double u1 = gr.viewport_height_pct();
    gr.gr_set_marker_scale(u1 != 0 ? 1.5 * u0 / u1 : 1.5);
    draw_x_axis(ps, 0);
    if (!ps.y1_right) draw_left_axis(ps, 0);
    if (ps.right_axis_in_use()) draw_right_axis(ps, 0);
    // pictures over the graph, the legend and the map decorations
    if (ps.bitmaps_present && !ps.postscript_output) draw_bitmaps(ps, false, false, false);
    if (!ps.central_legend && !ps.no_legend) draw_legend(ps);
    if (ps.map.scale_bar) draw_scale_bar(ps);
    if (ps.map.north) draw_north_arrow(ps);
    // the titles
    if (ps.title_given[0] || ps.title_given[1]) draw_titles(ps);
    // TEXT, DRAW_DATE and DRAW_TIME lines
    if (ps.texts_present || ps.dates_present) draw_settings_texts(ps);
    // the temporary files of the call go with the drawing (removed whatever way it ends)
    // the last pictures and, on the screen, the position grid
    if (ps.bitmaps_present && !ps.postscript_output) draw_bitmaps(ps, true, false, false);
    if (ps.position_grid && ps.on_screen()) {
        set_graph_viewport(ps, 0, 0, 100, 100, 100);
        draw_position_grid(ps);
    }
    return 1;
}

} // namespace plotwell
