#include "plotwell/core/plot_defaults.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/data_stage.h"
#include "plotwell/core/series_keywords.h"
#include "plotwell/core/shared_routines.h"

#include "rowsift/expression_evaluator.h"

#include <cmath>

namespace plotwell {

void reset_plot_settings(plot_settings& ps)
{
    for (axis_settings* a : {&ps.x_axis, &ps.y1_axis, &ps.y2_axis}) {
        a->min = a->max = 0;
        a->min_only = a->range_given = a->min_is_hint = a->intervals_given = a->labels_given = a->log_scale = 0;
        a->minor_ticks = 0;
        a->intervals = 10;
        a->label_room = 0;
        a->labels.clear();
    }
    ps.escape_char = 27;
    ps.chars_per_value = std::max(ps.chars_per_value, 20);
    ps.char_width = ps.legend_width = ps.line_width = 1.0;
    ps.axisline_width_x = ps.axisline_width_y = ps.legend_line_width = 1.0;
    ps.grid_horizontal = ps.grid_vertical = 0;
    ps.grid_line_type = 10;
    ps.grid_in_front = 0;
    ps.grid_spacing_x = ps.grid_spacing_y = 0;
    ps.legend_pos_given = 0;
    ps.legend_x.clear();
    ps.legend_y.clear();
    ps.legend_box_mode = -1;
    ps.frame_closed = ps.legendbox = ps.draw_axis_numbers = ps.y1_only = 1;
    ps.draw_axis_forced = 0;
    ps.title_given = {};
    ps.title = {};
    ps.x_top = ps.y1_right = ps.y1_both = ps.logzero = ps.tics_inside = 0;
    ps.legend_columns = 1;
    ps.legend_columns_given = 0;
    ps.zero_line = ps.fixed_width = 0;
    ps.fixed_ytext = 0;
    ps.reverse = ps.range_colours = ps.no_legend = ps.ordination_axis = 0;
    ps.bars_all = ps.area_all = ps.bar_series = ps.area_count = 0;
    ps.bars.fill(0);
    ps.barlines = ps.no_barlines = ps.horizontal_bars = ps.xaxis_bars = ps.skip_first_stack = 0;
    ps.draw_map = ps.matrix_plot = ps.vector_plot = ps.polygons_present = ps.polygons_only = 0;
    ps.map_axissize = ps.matrix_axissize = 0;
    ps.map = map_settings{};
    ps.classes.clear();
    ps.extra_classes.clear();
    ps.first_class_open_below = ps.last_class_open_above = false;
    ps.matrix_def_class = -1;
    ps.map_right = ps.map_bottom = ps.map_rect_given = 0;
    ps.dates_present = ps.texts_present = ps.bitmaps_present = 0;
    ps.graph_background = ps.legend_background = 0;
    ps.font_times = ps.font_courier = ps.font_symbol = ps.bold = ps.italic = 0;
    ps.detection_given = 0;
    ps.detection_below = 0;
    ps.detection_above = 1.0;
    ps.regression = 0;
    ps.regression_1.fill(0);
    ps.regression_2.fill(0);
    ps.nr_bars = 0;
    ps.x_margin = 0;
    ps.title_block_height = 0;
    ps.top_margin = ps.bottom_margin = 0;
    for (int i = 0; i < max_legend_texts; ++i) ps.legend_text[i] = std::to_string(i + 1);
    ps.marker_scale.fill(1.0);
    ps.marker_size.fill(0);
    ps.fill_pattern.fill(0);
    for (auto& f : ps.picture_fills) f = plot_settings::picture_fill{};
    ps.error_value_given = 0;
    ps.graph_ratio = 1.0;
    ps.graph_ratio_given = 0;
    ps.x_text.clear();
    ps.y1_text.clear();
    ps.y2_text.clear();
    ps.matrix_title.clear();
    ps.legend_text_room = 0;
    ps.expressions.clear();
    ps.expression_count = 0;
    ps.label_items.clear();
    ps.deviation_items.clear();
    ps.label_clip = 0;
    ps.extra_data_lines.clear();
    ps.selection_lines.clear();
    ps.xy_columns_given = ps.expressions_seen = ps.labels_seen = ps.deviations_seen = 0;
    ps.data_series_share_x = 1;
    ps.interrupt_lines.fill(0);
    ps.y_axis.fill(1);
    ps.percentiles.clear();
    ps.percentile_file = "Percentiles.out";
    ps.percentile_samples = 10000;
    ps.data_file_name.clear();
    ps.data_file_size = 0;
    ps.point_count = 0;
    ps.legend_bottom = 0;
    ps.bar_count = ps.label_offset = 0;
    ps.series_count = ps.data_line_count;
    ps.data_line_total = ps.data_line_count;
}

void reset_series_defaults(plot_settings& ps)
{
    if (ps.postscript_output) {
        ps.state.line_width_base = 2;
    } else {
        ps.state.line_width_base = ps.app.dots_per_inch / 72 * 2;
        if (ps.app.printing || ps.app.exporting) ps.state.line_width_base /= 1.5;
    }
    if (ps.postscript_landscape) ps.state.line_width_base *= 1.5;
    ps.x_text.clear();
    ps.y1_text.clear();
    ps.y2_text.clear();
    for (axis_settings* a : {&ps.x_axis, &ps.y1_axis, &ps.y2_axis}) a->label_format = "%G";
    ps.colour_file_name = "xycolor.set";
    const bool mono = monochrome(ps);
    for (int i = 0; i < max_series; ++i) {
        ps.line_type[i] = ps.markers_only ? 0 : mono ? i % 10 + 1 : 1;
        ps.marker[i] = (ps.markers_only || ps.lines_and_markers) ? i % 16 + 1 : 0;
        ps.bars[i] = ps.bars_all ? 1 : 0;
        if (ps.bars_all) ps.line_type[i] = 0;
        ps.bar_colour[i] = i + 2;
        ps.line_colour[i] = mono ? 1 : i + 2;
        ps.area_colour[i] = i + 2;
        ps.cumulative[i] = ps.cumulative_all;
        ps.regression_1[i] = ps.regression_2[i] = 0;
        ps.scale_factor[i] = 1.0;
        ps.y_axis[i] = 1;
        ps.interrupt_lines[i] = ps.interrupt_lines_all;
    }
}

namespace {

struct extremes {
    bool set = false;
    double min = 0, max = 0;
    void update(double v)
    {
        if (!set) {
            set = true;
            min = max = v;
        } else if (v >= min) {
            if (v > max) max = v;
        } else {
            min = v;
        }
    }
};

} // namespace

void autoscale_axes(plot_settings& ps)
{
    const bool progress = ps.data_file_size > 500000 && ps.app.progress;
    if (progress) ps.app.progress("Autoscaling:", "", 0);
    int shown = 0;
    long long bytes = 0;

    extremes ex, ey1, ey2;
    const axis_settings& xa = ps.x_axis;
    const bool x_given = xa.range_given;
    const double xlo = std::min(xa.min, xa.max), xhi = std::max(xa.min, xa.max);
    const bool log_zero_x = xa.log_scale && ps.logzero;
    const bool log_vectors = ps.vector_plot && ps.map.vector_log;
    const int data_series = ps.series_count - ps.expression_count;
    std::array<double, max_series> running{};

    std::string line, work;
    std::vector<char*> words;
    ps.point_count = 0;
    if (ps.data_file && data_series > 0) {
        std::rewind(ps.data_file);
        while (read_data_line(ps, ps.data_file, line)) {
            ++ps.point_count;
            bytes += static_cast<long long>(line.size()) + 1;
            split_row(line, work, words, 200);
            double stacked = 0;
            for (int i = 0; i < data_series; ++i) {
                double x, y;
                if (!read_point(ps, words, i, x, y)) continue;
                if (!std::isfinite(x) || !std::isfinite(y * ps.scale_factor[i]))
                    fatal_error("data line \"%s\" holds a value that is not a finite number\n", line.c_str());
                if (x_given && (x < xlo || x > xhi)) continue;
                double v = y * ps.scale_factor[i];
                if (ps.cumulative[i]) {
                    running[i] += v;
                    v = running[i];
                }
                // logarithmic vector lengths: components count by their log10, zeros not at all
                if (log_vectors) {
                    if (i > 0 && y == 0) continue;
                    if (!ps.y_axis[i]) {
                        if (v == 0) continue;
                        v = std::log10(std::fabs(v));
                    }
                }
                if (!log_zero_x || x > 0) ex.update(x);
                if (log_zero_x && !(v > 0) && (ps.y_axis[i] ? !ey1.set : !ey2.set)) continue;
                if (ps.y_axis[i]) {
                    ey1.update(v);
                    if (ps.stack_data) {
                        stacked += v;
                        if (stacked > ey1.max) ey1.max = stacked;
                    }
                } else {
                    ey2.update(v);
                }
            }
            if (progress) {
                int pct = static_cast<int>(static_cast<double>(bytes) / ps.data_file_size * 100);
                if (pct > shown) {
                    shown = pct;
                    ps.app.progress("Autoscaling:", "", pct);
                }
            }
        }
        std::rewind(ps.data_file);
    }
    if (progress) {
        ps.app.progress("Autoscaling:", "", 100);
        if (ps.app.progress_done) ps.app.progress_done();
    }
    ps.data_x_min = ex.min;
    ps.data_x_max = ex.max;
    ps.data_y1_min = ey1.min;
    ps.data_y1_max = ey1.max;
    ps.data_y2_min = ey2.min;
    ps.data_y2_max = ey2.max;

    // Without data series the expression curves give the ranges (their own x range and their y
    // values): rounding the empty data extremes here would refuse a logarithmic axis for data
    // that do not exist.
    if (data_series <= 0 && !ps.expressions.empty()) return;
    if (!ps.x_axis.range_given)
        scale_axis(ps, ps.x_axis.min_only, ps.data_x_min, ps.x_axis.log_scale, ps.data_x_max, 0, ps.x_axis.min_is_hint);
    if (!ps.y1_axis.range_given)
        scale_axis(ps, ps.y1_axis.min_only, ps.data_y1_min, ps.y1_axis.log_scale, ps.data_y1_max, 1, ps.y1_axis.min_is_hint);
    if (!ps.y2_axis.range_given && (!ps.y1_only || (ps.vector_plot && ps.map.vector_largest == 0)))
        scale_axis(ps, ps.y2_axis.min_only, ps.data_y2_min, ps.y2_axis.log_scale, ps.data_y2_max, 2, ps.y2_axis.min_is_hint);
}

static double evaluate_curve_point(expression_variables& variables, expression_curve& c, double x)
{
    variables['X'] = x;
    std::string text = c.text;
    double value = 0;
    if (evaluate_expression(variables, text, value) != 0) return 0;
    if (!std::isfinite(value)) return 0;
    return value;
}

void evaluate_expression_curves(plot_settings& ps)
{
    axis_settings& xa = ps.x_axis;
    const int data_series = ps.series_count - ps.expression_count;
    if (!xa.range_given && data_series == 0) {
        bool first = true;
        for (const expression_curve& c : ps.expressions) {
            if (c.from == 0 && c.to == 0) continue;
            if (first) {
                xa.min = c.from;
                xa.max = c.to;
                first = false;
            } else {
                xa.min = std::min(xa.min, c.from);
                xa.max = std::max(xa.max, c.to);
            }
        }
        if (first) {
            xa.min = 0;
            xa.max = 100;
        }
    }
    for (expression_curve& c : ps.expressions) {
        if (c.from == 0 && c.to == 0) {
            c.from = xa.min;
            c.to = xa.max;
        }
        int n = std::max(1, c.points);
        c.xs.assign(n + 1, 0);
        c.ys.assign(n + 1, 0);
        for (int j = 0; j <= n; ++j) {
            double x;
            if (xa.log_scale) {
                if (!(c.from > 0) || !(c.to > 0)) fatal_error("logscale %s <=0 not allowed\n", "x-axis");
                x = std::pow(10.0, std::log10(c.from) + (std::log10(c.to) - std::log10(c.from)) * j / n);
            } else {
                x = c.from + (c.to - c.from) * j / n;
            }
            c.xs[j] = x;
            c.ys[j] = evaluate_curve_point(ps.evaluator_variables, c, x);
        }
    }
    bool all_given = xa.range_given && ps.y1_axis.range_given && (ps.y1_only || ps.y2_axis.range_given);
    if (all_given) return;
    if (ps.stack_data) {
        for (size_t k = 1; k < ps.expressions.size(); ++k) {
            if (data_series > 0)
                fatal_error("illegal use of ADD option: combination of data series and expressions\n");
            if (ps.expressions[k].xs.size() != ps.expressions[k - 1].xs.size())
                fatal_error("illegal use of ADD option: different number of x-values in EXPRESSIONS\n");
        }
    }
    extremes e1, e2;
    if (data_series > 0) {
        e1 = {true, ps.y1_axis.min, ps.y1_axis.max};
        e2 = {true, ps.y2_axis.min, ps.y2_axis.max};
    }
    std::vector<double> stacked;
    for (size_t k = 0; k < ps.expressions.size(); ++k) {
        const expression_curve& c = ps.expressions[k];
        int s = data_series + static_cast<int>(k);
        double running = 0;
        if (stacked.size() < c.ys.size()) stacked.resize(c.ys.size(), 0);
        for (size_t j = 0; j < c.ys.size(); ++j) {
            double v = c.ys[j];
            if (ps.cumulative[s]) {
                running += v;
                v = running;
            }
            if (ps.y_axis[s]) {
                if (ps.stack_data) {
                    stacked[j] += v;
                    v = stacked[j];
                }
                e1.update(v);
            } else {
                e2.update(v);
            }
        }
    }
    if (!xa.range_given) scale_axis(ps, xa.min_only, xa.min, xa.log_scale, xa.max, 0, xa.min_is_hint);
    if (!ps.y1_axis.range_given && e1.set)
        scale_axis(ps, ps.y1_axis.min_only, e1.min, ps.y1_axis.log_scale, e1.max, 1, ps.y1_axis.min_is_hint);
    if (!ps.y2_axis.range_given && !ps.y1_only && e2.set)
        scale_axis(ps, ps.y2_axis.min_only, e2.min, ps.y2_axis.log_scale, e2.max, 2, ps.y2_axis.min_is_hint);
}

} // namespace plotwell
