#include "plotwell/core/chart_frame.h"

#include "plotwell/core/colour_table.h"
#include "plotwell/core/map_classes.h"
#include "plotwell/core/page_texts.h"

#include "plotwell/core/axis_ticks.h"
#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/plot_utilities.h"
#include "plotwell/core/shared_routines.h"

#include <algorithm>
#include <cmath>

namespace plotwell {

void set_default_viewport(plot_settings& ps)
{
    ps.state.layout_width = ps.state.layout_height = 100;
    ps.hardcopy_default = 0;
    if (ps.viewport_given) return;
    auto set = [&](double x1, double y1, double x2, double y2) {
        ps.viewport_x1 = x1;
        ps.viewport_y1 = y1;
        ps.viewport_x2 = x2;
        ps.viewport_y2 = y2;
    };
    if ((!ps.postscript_output && !ps.app.printing) || ps.map_axissize) {
        set(0, 0, 100, 100);
        return;
    }
    if (ps.postscript_landscape) set(5, 10, 95, 90);
    else if (ps.postscript_portrait) set(10, 55, 90, 95);
    else set(0, 0, 100, 100);
    ps.hardcopy_default = 1;
}

void extend_title_margins(plot_settings& ps, const std::string& code, double height)
{
    if (code.empty()) return;
    double v = to_double(code.substr(1));
    if (code[0] == 'T') {
        double m = v + 1.4 * height;
        if (m >= ps.top_margin) ps.top_margin = m;
    } else if (code[0] == 'B') {
        double m = 0.4 * height - v;
        if (m >= ps.bottom_margin) ps.bottom_margin = m;
    }
}

bool legend_box_on(const plot_settings& ps) { return ps.legend_box_mode >= 0 ? ps.legend_box_mode != 0 : ps.legendbox != 0; }

double unit_ratio(const plot_settings& ps)
{
    double w = ps.gr->viewport_width_pct() / ps.state.layout_width;
    double h = ps.gr->viewport_height_pct() / ps.state.layout_height;
    return w != 0 ? h / w : 1.0;
}

void set_text_height(plot_settings& ps, double height)
{
    ps.text_height = height;
    ps.gr->gr_set_char_height(height);
}

bool legend_above_frame(const plot_settings& ps)
{
    if (ps.matrix_plot || ps.draw_map || ps.no_legend || ps.central_legend) return false;
    if (ps.legend_pos_given && !(to_double(ps.legend_x) == 0 && to_double(ps.legend_y) == 0)) return false;
    return ps.legend_entries > 1 || (ps.legend_entries == 1 && ps.legend_text[0] != "1");
}

void compute_region_scale(plot_settings& ps)
{
    double b = ps.draw_box ? ps.title_block_height : 0;
    ps.state.region_scale_x = (ps.viewport_x2 - ps.viewport_x1) / 100;
    ps.state.region_scale_y = (ps.viewport_y2 - ps.viewport_y1 - b) / 100;
}

void open_page(plot_settings& ps)
{
    ps.gr->gr_open_workstation();
    apply_font(ps);
    set_up_colour_table(ps);
    prepare_bitmap_fills(ps, static_cast<int>(ps.gr->page_width_pct() * 100));
    ps.gr->gr_set_fill_style(2);
}

void setup_graph_frame(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    const bool first_on_page = ps.calls_on_page == 0;
    if (first_on_page) open_page(ps);
    else apply_font(ps);
    gr.gr_set_escape_char(ps.escape_char);
    ++ps.calls_on_page;
    if (ps.postscript_output) {
        ps.font_factor = ps.font_courier ? 1.66 : ps.font_times ? 1.5 : 1.34;
        if (ps.calls_on_page <= 2) gr.gr_set_line_width(0);
    }
    ps.base_text_height = 2.95 * ps.font_factor * ps.char_width;
    ps.text_height = ps.base_text_height;
    gr.gr_set_line_width(ps.state.line_width_base);

    const double pw = gr.page_width_pct() * 100, ph = gr.page_height_pct() * 100;
    if (first_on_page && !ps.postscript_output) {
        gr.gr_set_viewport(0, 0, pw, ph);
        gr.gr_set_window(0, 0, 100, 100);
        gr.gr_set_colour(0);
        if (ps.app.exporting && ps.app.transparent_background) {
            gr.gr_set_fill_style(1);
            gr.gr_rectangle(0, 0, 0.001, 0.001);
            gr.gr_rectangle(99.999, 99.999, 100, 100);
        } else {
            gr.gr_set_fill_style(2);
            gr.gr_rectangle(0, 0, 100, 100);
        }
    }
    set_graph_viewport(ps, 0, 0, 100, 100, 100);
    if (ps.page_background && first_on_page) {
        gr.gr_set_colour(0);
        gr.gr_set_fill_style(2);
        gr.gr_rectangle(0, 0, 100, 100);
    }
    set_graph_viewport(ps, ps.viewport_x1, ps.viewport_y1, ps.viewport_x2, ps.viewport_y2, 100);
    if (ps.opaque_graph) {
        gr.gr_set_colour(0);
        gr.gr_set_fill_style(2);
        gr.gr_rectangle(0, 0, 100, 100);
    }
    if (ps.draw_box) draw_title_block(ps);
    gr.gr_set_colour(1);

    if (ps.y1_right || ps.y1_both) {
        axis_settings& r = ps.y2_axis;
        const axis_settings& l = ps.y1_axis;
        r.intervals = l.intervals;
        r.minor_ticks = l.minor_ticks;
        r.log_scale = l.log_scale;
        r.min = l.min;
        r.max = l.max;
        r.label_format = l.label_format;
        r.labels_given = l.labels_given;
        r.intervals_given = l.intervals_given;
        ps.y2_text = ps.y1_text;
        if (ps.y1_right) ps.y1_text.clear();
    }
    compute_region_scale(ps);
    layout_frame(ps);
    draw_x_axis(ps, 1);
    if (!ps.y1_right) draw_left_axis(ps, 1);
    if (ps.right_axis_in_use()) draw_right_axis(ps, 1);
    gr.gr_set_marker_scale(1.5);
}

// A map printed at the scale of the xy call: the frame takes the size in which one map unit (a
// metre) measures 1/scale of a metre on the paper, when that fits the frame; otherwise the message
// names the direction that does not fit and the largest scale that does, and the frame stays.
static void apply_print_scale(plot_settings& ps, double x1, double y1, double x2, double y2)
{
    graphics_layer& gr = *ps.gr;
    const double scale = std::fabs(ps.print_scale);
    // PostScript pages are laid out at 300 dots per inch in both directions
    const double dpi_x = ps.postscript_output ? 300.0 : ps.app.dots_per_inch;
    const double dpi_y = ps.postscript_output ? 300.0 : ps.app.dots_per_inch / (ps.app.pixel_aspect > 0 ? ps.app.pixel_aspect : 1.0);
    // dots per layout unit of the graph region in each direction
    const double unit_x = gr.page_width_pct() * ps.page_scale_x * ps.state.region_scale_x;
    const double unit_y = gr.page_height_pct() * ps.page_scale_y * ps.state.region_scale_y;
    if (!(unit_x > 0) || !(unit_y > 0)) return;
    const double w = std::fabs(x2 - x1) * 100 / scale * dpi_x / 2.54 / unit_x;
    const double h = std::fabs(y2 - y1) * 100 / scale * dpi_y / 2.54 / unit_y;
    if (w <= ps.state.frame_width && h <= ps.state.frame_height) {
        ps.state.frame_width = w;
        ps.state.frame_height = h;
        return;
    }
    const double over_x = w / ps.state.frame_width, over_y = h / ps.state.frame_height;
    const bool x_direction = over_x >= over_y;
    if (ps.app.show_message)
        ps.app.show_message(format_text("Unable to scale the print in %c-direction!\nMapscale is %g", x_direction ? 'x' : 'y',
                                        (x_direction ? over_x : over_y) * scale));
}

// The room right of the frame that the x axis's last tick number needs: it stands centred on the
// frame's right end, so half of it lies beyond; at least 4 (what a narrow number needs). Bars and
// text labels keep their last label inside the frame.
static double right_room_of_x_labels(plot_settings& ps)
{
    const axis_settings& a = ps.x_axis;
    const double least = 4;
    if (!ps.draw_axis_numbers || ps.draw_map || ps.vector_plot || ps.ordination_axis || a.labels_given || a.intervals <= 0 ||
        ps.bars_all || ps.x_margin != 0)
        return least;
    std::string last;
    if (a.log_scale) last = log_tick_label(ps, a, a.intervals);
    else if (a.intervals % label_stride(a, 10) != 0) return least;
    else last = a.intervals == 1 ? format_tick_value(a.label_format, a.max) : linear_tick_label(a, a.max, 0);
    set_text_height(ps, ps.base_text_height);
    const double beyond = ps.gr->gr_text_width(last) / 2 + 1 - ps.state.right_label_width;
    return std::max(least, beyond);
}

void layout_frame(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    const double H = ps.state.layout_height, W = ps.state.layout_width;
    ps.state.right_label_width = 0;
    set_text_height(ps, ps.base_text_height);
    const double ch = ps.text_height, f = ps.font_factor;

    if (ps.map_axissize || ps.matrix_axissize) {
        if (ps.state.saved_frame[0] != 0) {
            ps.state.frame_top = ps.state.saved_frame[0];
            ps.state.frame_bottom = ps.state.saved_frame[1];
            ps.state.frame_left = ps.state.saved_frame[2];
            ps.state.frame_width = ps.state.saved_frame[3];
        } else {
            ps.state.frame_top = 100;
            ps.state.frame_bottom = 0;
            ps.state.frame_left = 0;
            ps.state.frame_width = 100;
        }
        ps.state.frame_height = ps.state.frame_top - ps.state.frame_bottom;
        ps.state.title_base = ps.state.frame_top;
        return;
    }

    // top
    double legend_room = 0; // how far a legend above the frame moved the frame down
    if (ps.fixed_size) {
        ps.state.frame_top = H - 27.56;
    } else {
        int t1 = ps.title_given[0], t2 = ps.title_given[1];
        ps.state.frame_top = H - (5.5 * t1 + 4.7 * t2 + 2 + ((t1 || t2) ? 1 : 0));
        if (legend_above_frame(ps)) {
            int e = ps.legend_entries, c = std::max(1, ps.legend_columns);
            double r = (e % c) ? e / c : e / c - 1;
            legend_room = (r + 1.85) * 3.6 * ps.char_width - 1.5 + 2 * (legend_box_on(ps) ? 1 : 0);
            ps.state.frame_top -= legend_room;
        }
        if (H - ps.state.frame_top < ps.top_margin + 1) ps.state.frame_top = H - ps.top_margin - 1;
    }
    // bottom
    const bool ticks_out = ps.tics_inside == 0 || ps.tics_inside == 2;
    if (ps.x_top) {
        ps.state.frame_top -= ps.x_axis.label_room != 0 ? ps.x_axis.label_room
                        : (ps.fixed_size || !ps.x_text.empty()) ? 10 : 5;
        ps.state.frame_bottom = 2.5;
    } else if (ps.x_axis.label_room != 0) {
        ps.state.frame_bottom = ps.x_axis.label_room;
    } else if (ps.fixed_size) {
        ps.state.frame_bottom = 12.5;
    } else {
        double k = ps.x_axis.log_scale ? 1.5 : 1.0;
        ps.state.frame_bottom = k * ch / f + 2 + (ticks_out ? 1 : 0) + (!ps.x_text.empty() ? 1.2 * ch / f + 2 : 0);
    }
    if (!ps.fixed_size && ps.state.frame_bottom < ps.bottom_margin + 1) ps.state.frame_bottom = ps.bottom_margin + 1;

    ps.state.frame_height = ps.state.frame_top - ps.state.frame_bottom;
    ps.state.left_label_width = ps.draw_axis_numbers ? measure_axis_labels(ps, ps.y1_axis, 1) : 0;

    const double ratio = unit_ratio(ps);
    // left
    if (ps.fixed_size || ps.fixed_width) {
        ps.state.frame_left = 17;
    } else {
        if (ps.right_axis_in_use() && ps.draw_axis_numbers) ps.state.right_label_width = measure_axis_labels(ps, ps.y2_axis, 2);
        double t = !ps.y1_text.empty() ? 2.2 * ch / f * ratio + 1 : 0;
        if (ps.ordination_axis) {
            std::string first = ps.x_axis.labels_given ? (ps.justify_xlabels && !ps.x_axis.labels.empty() ? ps.x_axis.labels[0] : std::string())
                                                       : format_tick_value(ps.x_axis.label_format, ps.x_axis.min);
            ps.state.frame_left = gr.gr_text_width(first) / 2 + 1;
        } else {
            ps.state.frame_left = ps.state.left_label_width + 4 + t - (ps.y1_right ? ps.state.left_label_width : 0);
        }
    }
    // width
    if (ps.fixed_size || ps.fixed_width) {
        ps.state.frame_width = W - 34;
    } else {
        double r = !ps.y2_text.empty() && ps.right_axis_in_use() ? 2.2 * ch / f * ratio + 1 : 0;
        ps.state.frame_width = W - ps.state.right_label_width - ps.state.frame_left - r - right_room_of_x_labels(ps);
    }
    // a map or matrix keeps room for its class legend right of the frame
    ps.class_legend_width = 0;
    if ((ps.draw_map || ps.matrix_plot) && !ps.no_legend && !ps.central_legend &&
        !(ps.classes.empty() && ps.extra_classes.empty())) {
        ps.class_legend_width = measure_class_legend(ps).total_width + 4;
        if (!ps.fixed_size) ps.state.frame_width -= ps.class_legend_width;
    }
    // aspect of GRAPH_RATIO
    if (ps.graph_ratio_given) {
        double x1 = ps.x_axis.min, x2 = ps.x_axis.max, y1 = ps.y1_axis.min, y2 = ps.y1_axis.max;
        if (x1 == x2 || y1 == y2) fatal_error("Wrong mapcoordinates: %g,%g,%g,%g\n", x1, y1, x2, y2);
        double q = (ps.state.frame_width * ps.state.region_scale_x * gr.page_width_pct() * ps.app.shrink_x / ps.app.pixel_aspect /
                    ps.graph_ratio) /
                   (ps.state.frame_height * ps.state.region_scale_y * gr.page_height_pct() * ps.app.shrink_y) /
                   (std::fabs(x2 - x1) / std::fabs(y2 - y1));
        if (q > 1) ps.state.frame_width /= q;
        else ps.state.frame_height *= q;
        if (ps.print_scale != 0 && (ps.postscript_output || ps.app.printing)) apply_print_scale(ps, x1, y1, x2, y2);
        if (ps.map_bottom) ps.state.frame_top = ps.state.frame_bottom + ps.state.frame_height;
        else ps.state.frame_bottom = ps.state.frame_top - ps.state.frame_height;
        if (ps.map_right) ps.state.frame_left = W - ps.state.frame_width;
    }
    if (ps.state.frame_width <= 0 || ps.state.frame_height <= 0)
        fatal_error("no room left for the graph (frame %g by %g)\n", ps.state.frame_width, ps.state.frame_height);
    ps.state.saved_frame = {ps.state.frame_top, ps.state.frame_bottom, ps.state.frame_left, ps.state.frame_width};
    if (ps.graph_background) {
        gr.gr_set_colour(ps.graph_background);
        gr.gr_set_fill_style(2);
        gr.gr_rectangle(ps.state.frame_left, ps.state.frame_bottom, ps.state.frame_left + ps.state.frame_width, ps.state.frame_top);
        gr.gr_set_colour(1);
    }
    // the titles stand above the legend that stands above the frame, not over it
    ps.state.title_base = ps.state.frame_top + 5 * ps.x_top + (ps.title_given[0] || ps.title_given[1] ? legend_room : 0);
}

void set_frame_viewport(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    double b = ps.draw_box ? ps.title_block_height : 0;
    double x1 = ps.viewport_x1 + ps.state.frame_left * ps.state.region_scale_x;
    double x2 = x1 + ps.state.frame_width * ps.state.region_scale_x;
    double y1 = ps.viewport_y1 + b + ps.state.frame_bottom * ps.state.region_scale_y;
    double y2 = ps.viewport_y1 + b + ps.state.frame_top * ps.state.region_scale_y;
    set_graph_viewport(ps, x1, y1, x2, y2, 1);
    gr.gr_set_colour(1);
    gr.gr_set_line_width(ps.state.line_width_base);
    gr.gr_set_line_type(1);
    if (ps.draw_map || ps.vector_plot || ps.map_axissize || ps.ordination_axis) return;
    if (ps.zero_line == 2 || ps.zero_line == 3) {
        double x = linear_fraction(0, ps.x_axis.min, ps.x_axis.max);
        draw_segment(ps, x, 0, 0, 1);
    }
    if ((ps.zero_line == 1 || ps.zero_line == 3 || ps.ordination_axis) && ps.y1_axis.min < 0) {
        double y = linear_fraction(0, ps.y1_axis.min, ps.y1_axis.max);
        draw_segment(ps, 0, y, 1, 0);
    }
}

void draw_titles(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    const double base = ps.base_text_height;
    set_text_height(ps, base);
    gr.gr_set_colour(1);
    double limit = 0.98 * ps.state.frame_width;
    auto fitted = [&](const std::string& text, double height) {
        set_text_height(ps, height);
        double w = gr.gr_text_width(text);
        if (w > limit && w > 0) set_text_height(ps, height * limit / w);
        return ps.text_height;
    };
    double h = ps.title_given[0] ? fitted(ps.title[0], base) : base;
    if (ps.title_given[0]) {
        double y = ps.title_given[1] ? ps.state.title_base + 2.5 + (h / base) * 4.9 : ps.state.title_base + 1.5 + 0.95 * h / base;
        gr.gr_move_to(ps.state.frame_left, y);
        gr.gr_text(ps.title[0]);
    }
    if (ps.title_given[1]) {
        double h2 = fitted(ps.title[1], 0.85 * h);
        (void)h2;
        gr.gr_move_to(ps.state.frame_left, ps.state.title_base + 1.5 + 0.95 * h / base);
        gr.gr_text(ps.title[1]);
    }
    set_text_height(ps, base);
}

} // namespace plotwell
