#include "plotwell/core/axis_ticks.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/chart_frame.h"
#include "plotwell/core/plot_utilities.h"

#include <cmath>

namespace plotwell {

int label_stride(const axis_settings& axis, int limit)
{
    int s = 1;
    while (!axis.intervals_given && axis.intervals / s > limit) s *= 2;
    return s;
}

std::string linear_tick_label(const axis_settings& a, double value, double g)
{
    double step = a.intervals ? (a.max - a.min - 2 * g) / a.intervals : 0;
    if (a.max - g > 0 && a.min + g < 0 && std::fabs(value) < std::fabs(step) / 1000 && a.label_format == "%G") return "0";
    return format_tick_value(a.label_format, value);
}

std::string log_tick_label(const plot_settings& ps, const axis_settings& a, int i)
{
    double e = std::log10(a.min) + i * (std::log10(a.max) - std::log10(a.min)) / a.intervals;
    std::string esc(1, ps.escape_char);
    return "10" + esc + "P" + format_tick_value(a.label_format, e) + esc + "P";
}

static void axis_pen(plot_settings& ps, double width_factor)
{
    ps.gr->gr_set_line_width(ps.state.line_width_base * 0.8 * width_factor);
    ps.gr->gr_set_line_type(1);
}

static bool grid_lines_now(const plot_settings& ps, int first_pass)
{
    return first_pass ? !ps.grid_in_front : ps.grid_in_front;
}

void draw_vertical_grid_line(plot_settings& ps, int index, int count, double x, double bar_count)
{
    if (!ps.grid_vertical || ps.grid_spacing_x != 0) return;
    if (bar_count == 0 && (index == 0 || index == count)) return;
    ps.gr->gr_set_line_width(ps.state.line_width_base / 3);
    ps.gr->gr_set_line_type(ps.grid_line_type);
    draw_segment(ps, x, ps.state.frame_bottom, 0, ps.state.frame_height);
    ps.gr->gr_set_line_width(ps.state.line_width_base * 0.8);
    ps.gr->gr_set_line_type(1);
}

void draw_horizontal_grid_line(plot_settings& ps, int side, int index, int count, double y)
{
    if (!ps.grid_horizontal || ps.grid_spacing_y != 0) return;
    if (!(side == 1 || (side == 2 && ps.y1_right))) return;
    if (index == 0 || index == count) return;
    ps.gr->gr_set_line_width(ps.state.line_width_base / 3);
    ps.gr->gr_set_line_type(ps.grid_line_type);
    draw_segment(ps, ps.state.frame_left, y, ps.state.frame_width, 0);
    ps.gr->gr_set_line_width(ps.state.line_width_base * 0.8);
    ps.gr->gr_set_line_type(1);
}

// The bar count of a bar margin: 1 / X_MARGIN, else NR_BARS, else the number of data rows; 50
// when that gives 0.
static double bar_margin_count(const plot_settings& ps)
{
    double n = ps.x_margin != 0 ? 1 / ps.x_margin : ps.nr_bars != 0 ? ps.nr_bars : static_cast<double>(ps.point_count);
    return n == 0 ? 50 : n;
}

void draw_x_axis(plot_settings& ps, int first_pass)
{
    graphics_layer& gr = *ps.gr;
    axis_settings& a = ps.x_axis;
    const bool special = ps.draw_map || ps.vector_plot;
    if (first_pass && ps.draw_map) return;
    if (first_pass && ps.vector_plot && !(ps.grid_vertical && !ps.grid_in_front)) return;
    const bool vertical_labels = a.label_room != 0 && a.labels_given && !ps.app.zoom_shown;
    if (!first_pass && vertical_labels) gr.gr_set_text_angle(90);
    set_text_height(ps, ps.base_text_height);
    const double ch = ps.text_height, f = ps.font_factor;
    gr.gr_set_colour(1);
    axis_pen(ps, ps.axisline_width_x);
    const bool axes_on = ps.draw_axis_numbers != 0;

    if (first_pass) {
        ps.bar_count = 0;
        ps.label_offset = 0;
        ps.x_range_before_margin_min = a.min;
        ps.x_range_before_margin_max = a.max;
        if (!a.log_scale && !ps.horizontal_bars && (ps.bars_all || ps.x_margin != 0)) {
            double n = bar_margin_count(ps);
            double g = (a.max - a.min) / n;
            a.min -= g;
            a.max += g;
            ps.bar_count = n;
            ps.label_offset = g;
        }
    } else if (special || !axes_on) {
        if (ps.frame_closed) {
            double w = ps.state.frame_width;
            if (ps.state.frame_width == 100) {
                double r = (ps.viewport_x2 - ps.viewport_x1) * gr.page_width_pct();
                w = 100 * (r - 1) / r;
            }
            gr.gr_move_to(ps.state.frame_left, ps.state.frame_bottom);
            gr.gr_line_to(ps.state.frame_left, ps.state.frame_top);
            gr.gr_line_to(ps.state.frame_left + w, ps.state.frame_top);
            gr.gr_line_to(ps.state.frame_left + w, ps.state.frame_bottom);
            gr.gr_line_to(ps.state.frame_left, ps.state.frame_bottom);
        }
        if (!axes_on) {
            gr.gr_set_text_angle(0);
            return;
        }
    }

    double d = 1, m = 0;
    if (ps.tics_inside == 1 || ps.tics_inside == 3) {
        d = -1;
        m = 0.7;
    }
    double y = ps.state.frame_bottom;
    if (ps.x_top) {
        y = ps.state.frame_top;
        d = (ps.tics_inside == 1 || ps.tics_inside == 3) ? 1 : -1;
    }
    if (ps.ordination_axis) y = ps.state.frame_bottom + linear_fraction(0, ps.y1_axis.min, ps.y1_axis.max) * ps.state.frame_height;
    if (!first_pass && ps.frame_closed && !ps.ordination_axis && !special) {
        double opposite = ps.x_top ? ps.state.frame_bottom : ps.state.frame_top;
        draw_segment(ps, ps.state.frame_left, opposite, ps.state.frame_width, 0);
        if (!ps.right_axis_in_use()) {
            double edge = ps.y1_right ? ps.state.frame_left : ps.state.frame_left + ps.state.frame_width;
            draw_segment(ps, edge, ps.state.frame_bottom, 0, ps.state.frame_height);
        }
    }
    if (axes_on) draw_segment(ps, ps.state.frame_left, y, ps.state.frame_width, 0);

    const int n = a.intervals;
    const int s = vertical_labels ? 1 : label_stride(a, 10);
    const double bars = ps.bar_count;
    const double g = ps.label_offset;
    const bool text_labels = a.labels_given && !ps.app.zoom_shown;
    double c = 1; // label scale factor

    if (!first_pass && !ps.ordination_axis && n > 0 && !vertical_labels) {
        double sum = 0;
        if (text_labels) {
            double widest = 0;
            for (const std::string& l : a.labels) widest = std::max(widest, gr.gr_text_width(l));
            sum = widest * (n + 1 - (ps.justify_xlabels ? 0 : 1));
        } else {
            for (int i = 0; i <= n; i += 1) {
                std::string l = a.log_scale ? log_tick_label(ps, a, i)
                                            : linear_tick_label(a, a.min + g + i * (a.max - a.min - 2 * g) / n, g);
                double w = gr.gr_text_width(l);
                sum += (i == 0 || i == n) ? w / 2 : w;
            }
        }
        sum /= s;
        if (sum > 0.9 * ps.state.frame_height) c = 0.9 * ps.state.frame_height / sum;
    }

    const double r = ps.logzero ? 0.95 : 1.0;
    for (int i = 0; i <= n && n > 0; ++i) {
        axis_pen(ps, ps.axisline_width_x);
        double x;
        double spacing = ps.state.frame_width / n;
        if (a.log_scale) {
            x = ps.state.frame_left + (1 - r) * ps.state.frame_width + i * r * ps.state.frame_width / n;
        } else {
            if (i % s != 0) continue;
            if (bars != 0) {
                x = ps.state.frame_left + ps.state.frame_width / (bars + 2) + i * (1 - 2 / (bars + 2)) * ps.state.frame_width / n;
                spacing *= (1 - 2 / (bars + 2));
            } else {
                x = ps.state.frame_left + i * spacing;
            }
        }
        if (grid_lines_now(ps, first_pass)) draw_vertical_grid_line(ps, i, n, x, bars);
        draw_segment(ps, x, y - d, 0, d);
        if (i < n) {
            if (a.log_scale) {
                for (int j = 2; j <= 9; ++j) {
                    double len = (j == 5 ? 0.8 : 0.4) * d;
                    draw_segment(ps, x + r * std::log10(j) * ps.state.frame_width / n, y - len, 0, len);
                }
            } else {
                for (int j = 1; j <= a.minor_ticks; ++j)
                    draw_segment(ps, x + j * spacing / (a.minor_ticks + 1), y - 0.5 * d, 0, 0.5 * d);
            }
        }
        if (first_pass) continue;
        if (ps.ordination_axis && i != 0 && i != n) continue;
        // label
        set_text_height(ps, c * ch);
        double ly = ps.x_top ? ps.state.frame_top + 2 - m : ps.state.frame_bottom - 2 - c * ch / f + m;
        std::string label;
        double lx = x;
        if (text_labels) {
            if (static_cast<size_t>(i) >= a.labels.size()) {
                set_text_height(ps, ch);
                continue;
            }
            label = a.labels[i];
            if (!ps.justify_xlabels) {
                if (i == n) {
                    set_text_height(ps, ch);
                    continue;
                }
                double half = ps.state.frame_width / n / 2;
                if (ps.bars_all && bars != 0) half *= 1 - 2 / bars;
                lx = x + half;
            } else if (n == 1) {
                lx = ps.state.frame_left + ps.state.frame_width / 2;
            }
            if (vertical_labels) {
                double top = ly + c * ch / f;
                double w = gr.gr_text_width(label);
                gr.gr_move_to(lx + 0.35 * ch, top - w);
                gr.gr_text(label);
                set_text_height(ps, ch);
                continue;
            }
        } else if (a.log_scale) {
            label = log_tick_label(ps, a, i);
            if (!ps.x_top) ly = ps.state.frame_bottom - 2 - 1.5 * ch / f;
        } else if (n == 1) {
            label = format_tick_value(a.label_format, i == 0 ? a.min : a.max);
        } else {
            label = linear_tick_label(a, a.min + g + i * (a.max - a.min - 2 * g) / n, g);
        }
        double w = gr.gr_text_width(label);
        gr.gr_move_to(lx - w / 2, ly);
        gr.gr_text(label);
        set_text_height(ps, ch);
    }
    if (first_pass) return;
    if (a.log_scale && ps.logzero) {
        const double L = ps.state.frame_left, W = ps.state.frame_width, B = ps.state.frame_bottom, H = ps.state.frame_height;
        gr.gr_set_colour(0);
        gr.gr_move_to(L + 0.015 * W, B);
        gr.gr_line_to(L + 0.035 * W, B);
        gr.gr_set_colour(1);
        gr.gr_move_to(L + 0.015 * W, B);
        gr.gr_line_to(L + 0.02 * W, B + 0.02 * H);
        gr.gr_line_to(L + 0.03 * W, B - 0.02 * H);
        gr.gr_line_to(L + 0.035 * W, B);
        double w = gr.gr_text_width("0");
        gr.gr_move_to(L - w / 2, ps.state.frame_bottom - 2 - ch / f + m);
        gr.gr_text("0");
    }
    gr.gr_set_text_angle(0);
    set_text_height(ps, ps.base_text_height);
    if (!ps.x_text.empty()) {
        double k = a.log_scale ? 2.5 : 2.0;
        const bool ticks_out = ps.tics_inside == 0 || ps.tics_inside == 2;
        double ty = ps.x_top ? ps.state.frame_top + 10 - ch / f : ps.state.frame_bottom - k * ch / f - 3.2 - (ticks_out ? 1 : 0);
        double w = gr.gr_text_width(ps.x_text);
        gr.gr_move_to(ps.state.frame_left + ps.state.frame_width / 2 - w / 2, ty);
        gr.gr_text(ps.x_text);
    }
}

void draw_y_axis(plot_settings& ps, int side, axis_settings& a, const std::string& axis_text, int first_pass)
{
    graphics_layer& gr = *ps.gr;
    const bool axes_on = ps.draw_axis_numbers != 0;
    if (first_pass && ps.grid_in_front) return;
    if (!axes_on && !ps.grid_horizontal) return;
    set_text_height(ps, ps.base_text_height);
    const double ch = ps.text_height, f = ps.font_factor;
    gr.gr_set_colour(1);
    axis_pen(ps, ps.axisline_width_y);
    const int n = a.intervals;
    const int s = label_stride(a, 12);
    double A = side == 1 ? ps.state.frame_left : ps.state.frame_left + ps.state.frame_width;
    double d = side == 1 ? -1 : 1;
    double shift = 0;
    if (ps.tics_inside == 2 || ps.tics_inside == 3) {
        d = -d;
        shift = 0.7;
    }
    if (ps.ordination_axis) A = ps.state.frame_left + linear_fraction(0, ps.x_axis.min, ps.x_axis.max) * ps.state.frame_width;
    if (axes_on) draw_segment(ps, A, ps.state.frame_bottom, 0, ps.state.frame_height);

    double bars = 0, g = 0;
    if (first_pass && side == 1 && !a.log_scale && ps.horizontal_bars && (ps.bars_all || ps.x_margin != 0)) {
        bars = bar_margin_count(ps);
        g = (a.max - a.min) / bars;
        a.min -= g;
        a.max += g;
        ps.bar_count = bars;
        ps.label_offset = g;
    } else if (side == 1 && ps.horizontal_bars) {
        bars = ps.bar_count;
        g = ps.label_offset;
    }
    const double r = ps.logzero ? 0.95 : 1.0;
    const bool text_labels = (side == 2 && (ps.y1_right || ps.y1_both)) ? ps.y1_axis.labels_given != 0 : a.labels_given != 0;
    const std::vector<std::string>& labels = (side == 2 && (ps.y1_right || ps.y1_both)) ? ps.y1_axis.labels : a.labels;
    for (int i = 0; i <= n && n > 0; ++i) {
        axis_pen(ps, ps.axisline_width_y);
        double y;
        double spacing = ps.state.frame_height / n;
        if (a.log_scale) {
            y = ps.state.frame_top - r * ps.state.frame_height + i * r * ps.state.frame_height / n;
        } else {
            if (i % s != 0) continue;
            if (bars != 0) {
                y = ps.state.frame_bottom + ps.state.frame_height / (bars + 2) + i * (1 - 2 / (bars + 2)) * ps.state.frame_height / n;
                spacing *= 1 - 2 / (bars + 2);
            } else {
                y = ps.state.frame_bottom + i * spacing;
            }
        }
        if (grid_lines_now(ps, first_pass)) draw_horizontal_grid_line(ps, side, i, n, y);
        if (!axes_on) continue;
        draw_segment(ps, A, y, d, 0);
        if (i < n) {
            if (a.log_scale) {
                for (int j = 2; j <= 9; ++j)
                    draw_segment(ps, A, y + r * std::log10(j) * ps.state.frame_height / n, (j == 5 ? 0.8 : 0.4) * d, 0);
            } else {
                for (int j = 1; j <= a.minor_ticks; ++j)
                    draw_segment(ps, A, y + j * ps.state.frame_height / n / (a.minor_ticks + 1), 0.5 * d, 0);
            }
        }
        if (first_pass) continue;
        if (ps.ordination_axis && i != 0 && i != n) continue;
        std::string label;
        if (text_labels) {
            if (static_cast<size_t>(i) >= labels.size()) continue;
            label = labels[i];
        } else if (a.log_scale) {
            label = log_tick_label(ps, a, i);
        } else {
            label = linear_tick_label(a, a.min + g + i * (a.max - a.min - 2 * g) / n, g);
        }
        double w = gr.gr_text_width(label);
        double lx = side == 1 ? A - 2 + shift - w : A + 2 - shift;
        gr.gr_move_to(lx, y - ch / f / 2);
        gr.gr_text(label);
    }
    if (first_pass || !axes_on) return;
    if (a.log_scale && ps.logzero) {
        const double B = ps.state.frame_bottom, H = ps.state.frame_height, W = ps.state.frame_width;
        gr.gr_set_colour(0);
        gr.gr_move_to(A, B + 0.015 * H);
        gr.gr_line_to(A, B + 0.035 * H);
        gr.gr_set_colour(1);
        gr.gr_move_to(A, B + 0.015 * H);
        gr.gr_line_to(A - 0.02 * W, B + 0.02 * H);
        gr.gr_line_to(A + 0.02 * W, B + 0.03 * H);
        gr.gr_line_to(A, B + 0.035 * H);
        double w = gr.gr_text_width("0");
        gr.gr_move_to(side == 1 ? A - 2 + shift - w : A + 2 - shift, B - ch / f / 2);
        gr.gr_text("0");
    }
    if (!axis_text.empty()) {
        const double ratio = unit_ratio(ps);
        double x;
        if (side == 2) x = ps.state.layout_width - 1.2 * ch / f * ratio;
        else if ((ps.fixed_size || ps.fixed_width) && ps.fixed_ytext != 0) x = ps.fixed_ytext + ratio * ch / f;
        else {
            x = ps.state.frame_left - 2.2 * ch / f * ratio;
            if (ps.class_legend_width != 0) x -= ps.legend_pos_given ? 0 : ps.class_legend_width;
            else x -= ps.state.left_label_width;
        }
        gr.gr_set_text_angle(90);
        double len = gr.gr_text_width(axis_text) * (ps.postscript_output ? 1.6 : 1.0);
        gr.gr_move_to(x, ps.state.frame_bottom + ps.state.frame_height / 2 - len / 2);
        gr.gr_text(axis_text);
        gr.gr_set_text_angle(0);
    }
}

void draw_left_axis(plot_settings& ps, int first_pass) { draw_y_axis(ps, 1, ps.y1_axis, ps.y1_text, first_pass); }
void draw_right_axis(plot_settings& ps, int first_pass) { draw_y_axis(ps, 2, ps.y2_axis, ps.y2_text, first_pass); }

} // namespace plotwell
