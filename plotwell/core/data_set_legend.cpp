#include "plotwell/core/data_set_legend.h"

#include "plotwell/core/map_classes.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/chart_frame.h"
#include "plotwell/core/plot_utilities.h"
#include "plotwell/core/shared_routines.h"

#include <cmath>

namespace plotwell {

void flush_data_set_points(plot_settings& ps, bool carry)
{
    graphics_layer& gr = *ps.gr;
    const bool device_lines = ps.app.printing || ps.app.metafile;
    for (int i = 0; i < ps.series_count; ++i) {
        series_buffer& b = ps.buffers[i];
        if (b.fill == 0) continue;
        int n = b.fill;
        if (n == 1) {
            b.x[1] = b.x[0];
            b.y[1] = b.y[0];
            n = 2;
        }
        gr.gr_set_colour(ps.line_colour[i]);
        if (ps.line_type[i]) {
            gr.gr_set_line_width(ps.state.line_width_base * ps.line_width * (device_lines ? 1.0 : 1.5));
            gr.gr_set_line_type(ps.line_type[i]);
            gr.gr_polyline(n, b.x.data(), b.y.data());
        }
        if (ps.marker[i]) {
            gr.gr_set_line_width(device_lines ? ps.state.line_width_base * 0.7 : ps.state.line_width_base / 1.5);
            for (int k = 0; k < b.fill; ++k) {
                if (ps.marker_size[i] != 0) gr.gr_set_marker_world_size(ps.marker_size[i]);
                gr.gr_marker(b.x[k], b.y[k], ps.marker[i], ps.marker_scale[i]);
            }
        }
        if (carry && b.fill > 1) {
            b.x[0] = b.x[b.fill - 1];
            b.y[0] = b.y[b.fill - 1];
            b.fill = 1;
            b.carried = true;
        } else {
            b.fill = 0;
            b.carried = false;
        }
    }
}

void draw_data_label(plot_settings& ps, double x, double y, const std::string& text, const label_item& item)
{
    graphics_layer& gr = *ps.gr;
    const axis_settings& xa = ps.x_axis;
    const axis_settings& ya = item.left_axis ? ps.y1_axis : ps.y2_axis;
    double xmin = ps.draw_map ? ps.map_x1 : xa.min, xmax = ps.draw_map ? ps.map_x2 : xa.max;
    double ymin = ps.draw_map ? ps.map_y1 : ya.min, ymax = ps.draw_map ? ps.map_y2 : ya.max;
    double px = 100 * (xa.log_scale ? log_fraction(ps, x, xmin, xmax) : linear_fraction(x, xmin, xmax));
    double py = 100 * (ya.log_scale ? log_fraction(ps, y, ymin, ymax) : linear_fraction(y, ymin, ymax));
    const double size = item.height, off = item.offset;
    gr.gr_set_colour(item.colour);
    if (item.position == 't') gr.gr_set_text_angle(90);
    gr.gr_set_char_height(size);
    double w = gr.gr_text_width(text);
    switch (item.position) {
    case 'r':
        gr.gr_move_to(px - off - w, py - size / 2);
        break;
    case 'm': {
        double ty = py + off;
        if (py + off + 0.6 * size >= 100) {
            ty = py - 0.7 * size - off;
            if (ty <= 0.5 * size && py - off >= 0) ty = py - off + 1.2 * size;
        }
        gr.gr_move_to(px - w / 2, ty);
        break;
    }
    case 't': {
        double ty = py + off;
        if (ty + w > 100) ty = py - off - w;
        gr.gr_move_to(px + 0.35 * size, ty);
        break;
    }
    default:
        gr.gr_move_to(px + off, py - size / 2);
        break;
    }
    gr.gr_text(text);
    if (item.position == 't') gr.gr_set_text_angle(0);
}

static bool is_area_upper(const plot_settings& ps, int i)
{
    if (ps.area_all) return true;
    for (int a = 0; a < ps.area_count; ++a)
        if (ps.area_upper[a] == i) return true;
    return false;
}

static bool is_area_lower_only(const plot_settings& ps, int i)
{
    bool lower = false;
    for (int a = 0; a < ps.area_count; ++a)
        if (ps.area_lower[a] == i) lower = true;
    return lower && !is_area_upper(ps, i);
}

static std::string entry_text(const plot_settings& ps, int entry)
{
    if (entry < 0) return std::string();
    const std::string& t = ps.legend_text[entry];
    if (ps.y1_only) return t;
    return (ps.y_axis[entry] ? "(<-)  " : "(->)  ") + t;
}

legend_geometry measure_legend_columns(plot_settings& ps)
{
    legend_geometry g;
    for (int i = 0; i < ps.series_count; ++i)
        if (!ps.legend_text[i].empty() && !is_area_lower_only(ps, i)) g.entries.push_back(i);
    for (size_t d = 0; d < ps.deviation_items.size(); ++d)
        if (ps.deviation_items[d].legend) g.entries.push_back(-1 - static_cast<int>(d));
    g.columns = std::max(1, ps.legend_columns);
    g.column_widths.assign(g.columns, 0);
    g.text_height = 0.85 * ps.base_text_height;
    set_text_height(ps, g.text_height);
    g.bar_only = g.marker_only = ps.series_count > 0;
    for (int i = 0; i < ps.series_count; ++i) {
        if (!(ps.bars[i] && !ps.line_type[i])) g.bar_only = false;
        if (!(ps.marker[i] && !ps.line_type[i])) g.marker_only = false;
    }
    for (size_t n = 0; n < g.entries.size(); ++n) {
        double w = ps.gr->gr_text_width(entry_text(ps, g.entries[n]));
        double& c = g.column_widths[n % g.columns];
        c = std::max(c, w);
    }
    for (double w : g.column_widths) g.total_width += w;
    const double t = g.text_height / ps.font_factor;
    if (g.bar_only) g.sample_width = 0.8 * t * ps.legend_width;
    else if (g.marker_only) g.sample_width = 2.0 * ps.legend_width;
    else g.sample_width = 6 * ps.legend_width;
    g.width = g.total_width + g.columns * g.sample_width + 2 + (g.columns - 1) * 3;
    g.rows = (static_cast<int>(g.entries.size()) + g.columns - 1) / g.columns;
    if (ps.central_legend) {
        g.height = (g.rows - 1 + 1.65) * 2 * t;
    } else {
        g.height = (g.rows - 1 + 1.85) * 3.6 * ps.char_width;
        if (!legend_box_on(ps) && !ps.legend_pos_given) g.height -= 2;
    }
    return g;
}

// A position code: a number, or a letter with an optional number added; a final 'm' or 'r' aligns.
static double position_code(const std::string& code, double number_base, char letter, double letter_value,
                            char& align)
{
    align = 0;
    std::string c = code;
    if (!c.empty() && (c.back() == 'm' || c.back() == 'r') && c.size() > 1) {
        align = c.back();
        c.pop_back();
    }
    if (c.empty()) return number_base;
    if (is_number(c)) return to_double(c);
    if (c[0] == letter) return letter_value + (c.size() > 1 ? to_double(c.substr(1)) : 0);
    (void)number_base;
    return letter_value;
}

void place_legend(plot_settings& ps, const legend_geometry& g, double& x, double& top)
{
    const bool box = legend_box_on(ps);
    if (!ps.legend_pos_given && !ps.central_legend) {
        x = ps.state.frame_left + (box ? 1 : 0);
        top = g.height + ps.state.frame_top + 1.5 + (ps.x_top ? 5 : 0) + (box ? 0 : 2);
        return;
    }
    // y code
    const std::string& yc = ps.legend_y;
    char align = 0;
    std::string c = yc;
    if (c.size() > 1 && c.back() == 'm') {
        align = 'm';
        c.pop_back();
    }
    double add = 0;
    auto rest = [&](size_t from) { return c.size() > from ? to_double(c.substr(from)) : 0.0; };
    if (!c.empty() && c[0] == 'T') top = (ps.central_legend ? 100 : ps.state.frame_top) + rest(1);
    else if (!c.empty() && c[0] == 'B') top = (ps.central_legend ? g.height : ps.state.frame_bottom + g.height) + rest(1);
    else if (c == "m" || (!c.empty() && c[0] == 'm')) top = (ps.central_legend ? 50 : ps.state.frame_bottom + ps.state.frame_height / 2) + rest(1);
    else top = to_double(c) + add;
    if (align == 'm' || yc == "m") top += g.height / 2;
    // x code
    char xalign = 0;
    double xv = 0;
    std::string xc = ps.legend_x;
    if (xc == "m") {
        xv = ps.state.frame_left + ps.state.frame_width / 2;
        xalign = 'm';
    } else if (xc == "r") {
        xv = ps.state.frame_left + ps.state.frame_width;
        xalign = 'r';
    } else if (!xc.empty() && xc[0] == 'L') {
        xv = position_code(xc, 0, 'L', ps.state.frame_left, xalign);
    } else if (!xc.empty() && xc[0] == 'R') {
        xv = position_code(xc, 0, 'R', ps.state.frame_left + ps.state.frame_width, xalign);
    } else {
        xv = position_code(xc, 0, '#', 0, xalign);
    }
    if (xalign == 'm') x = xv - g.width / 2;
    else if (xalign == 'r') x = xv - g.width - (box ? 1 : 0);
    else x = xv + (box ? 1 : 0);
}

void draw_legend_sample(plot_settings& ps, const legend_geometry& g, double x, double y, int entry)
{
    graphics_layer& gr = *ps.gr;
    const double lw = ps.legend_width;
    if (entry < 0) {
        const deviation_item& d = ps.deviation_items[-1 - entry];
        double bw = 0.8 * g.text_height / ps.font_factor * lw / ((g.bar_only || g.marker_only) ? 1.3 : 1);
        double hh = 0.55 * g.text_height / ps.font_factor;
        double cx = x + 3 * lw;
        gr.gr_set_colour(d.colour);
        gr.gr_set_line_type(1);
        if (d.style == 1 || d.style == 3) {
            gr.gr_set_fill_style(2);
            gr.gr_rectangle(cx - bw / 2, y - hh, cx + bw / 2, y + hh);
        }
        if (d.style == 2 || d.style == 3) {
            if (d.style == 3) gr.gr_set_colour(1);
            gr.gr_set_fill_style(1);
            gr.gr_rectangle(cx - bw / 2, y - hh, cx + bw / 2, y + hh);
            gr.gr_set_fill_style(2);
        }
        if (d.style == 0) {
            double len = (g.bar_only || g.marker_only) ? 3 : 6 * lw;
            draw_segment(ps, x, y, len, 0);
            draw_segment(ps, x, y - 1.25 * hh, 0, 2.5 * hh);
            draw_segment(ps, x + len, y - 1.25 * hh, 0, 2.5 * hh);
        }
        return;
    }
    if (is_area_upper(ps, entry)) {
        int lower = -1, colour = ps.area_colour[entry];
        for (int a = 0; a < ps.area_count; ++a)
            if (ps.area_upper[a] == entry) {
                lower = ps.area_lower[a];
                colour = ps.area_colour_of[a];
            }
        if (ps.area_all) lower = entry - 1;
        gr.gr_set_colour(colour);
        gr.gr_set_fill_style(2);
        gr.gr_rectangle(x, y - 0.6, x + 6 * lw, y + 0.6);
        gr.gr_set_colour(1);
        // DRAW_AREA takes any number for its lower series; one outside the series has no line
        const bool lower_is_series = lower >= 0 && lower < int(ps.line_type.size());
        int lower_type = lower_is_series ? ps.line_type[lower] : ps.line_type[entry];
        if (lower_type) {
            gr.gr_set_line_type(lower_type);
            gr.gr_move_to(x, y);
            gr.gr_line_to(x, y - 0.6);
            gr.gr_line_to(x + 6 * lw, y - 0.6);
            gr.gr_line_to(x + 6 * lw, y);
        }
        int upper_type = ps.line_type[entry] ? ps.line_type[entry] : 1;
        gr.gr_set_line_type(upper_type);
        gr.gr_move_to(x, y);
        gr.gr_line_to(x, y + 0.6);
        gr.gr_line_to(x + 6 * lw, y + 0.6);
        gr.gr_line_to(x + 6 * lw, y);
        gr.gr_set_line_type(1);
        return;
    }
    gr.gr_set_line_type(ps.line_type[entry] ? ps.line_type[entry] : 1);
    draw_segment(ps, x, y, 6 * lw, 0);
    gr.gr_set_line_type(1);
}

void draw_legend(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    const double axis_width = 0.8 * ps.state.line_width_base * ps.legend_line_width;
    gr.gr_set_line_width(axis_width);
    if (ps.draw_map || ps.matrix_plot) {
        // maps and matrices show their classes, right of the frame
        if (ps.classes.empty() && ps.extra_classes.empty()) return;
        double top = ps.state.frame_bottom + ps.state.frame_height;
        // a legend title above a frame that reaches the top of the graph region would be cut off:
        // the legend moves down just enough to show it
        if (!ps.matrix_title.empty() && !ps.central_legend)
            top = std::min(top, ps.state.layout_height - 1.8 * ps.text_height * 0.85 / ps.font_factor);
        draw_class_legend(ps, ps.state.frame_left + ps.state.frame_width + 2, top, 5 * ps.char_width);
        return;
    }
    if (ps.legend_entries == 1 && ps.legend_text[0] == "1") return;
    legend_geometry g = measure_legend_columns(ps);
    if (g.entries.empty()) return;
    const bool box = legend_box_on(ps);
    const double t = g.text_height / ps.font_factor;
    const bool device_lines = ps.app.printing || ps.app.metafile;
    double x, top;
    place_legend(ps, g, x, top);
    double inset = box ? 0 : 1;
    if (ps.legend_background) {
        gr.gr_set_colour(ps.legend_background);
        gr.gr_set_fill_style(2);
        gr.gr_rectangle(x - 1 + inset, top - g.height + inset, x + g.width - inset, top - inset);
    }
    if (box) {
        gr.gr_set_colour(1);
        gr.gr_set_fill_style(1);
        gr.gr_rectangle(x - 1, top - g.height, x + g.width, top);
        gr.gr_set_fill_style(2);
    }
    if (!ps.central_legend) top += 1;

    double largest_marker = 1;
    if (g.marker_only)
        for (int i = 0; i < ps.series_count; ++i) largest_marker = std::max(largest_marker, ps.marker_size[i]);

    for (size_t n = 0; n < g.entries.size(); ++n) {
        int entry = g.entries[n];
        int r = static_cast<int>(n) / g.columns, k = static_cast<int>(n) % g.columns;
        double cx = 0;
        for (int j = 0; j < k; ++j) cx += g.column_widths[j];
        double y = ps.central_legend ? top - (r + 0.85) * 2 * t : top - (r + 0.85) * 3.6 * ps.char_width - 1.6;
        double sx = x + cx + k * (g.sample_width + 3);
        if (entry >= 0) gr.gr_set_colour(ps.line_colour[entry]);
        bool sample = entry < 0 || ps.line_type[entry] || is_area_upper(ps, entry);
        if (sample) {
            if (entry >= 0 && ps.line_type[entry])
                gr.gr_set_line_width(ps.state.line_width_base * ps.line_width * (device_lines ? 1.0 : 1.5));
            else
                gr.gr_set_line_width(axis_width);
            draw_legend_sample(ps, g, sx, y, entry);
        }
        if (entry >= 0 && ps.bars[entry]) {
            double bw = 0.8 * t * ps.legend_width, bh = 1.1 * t;
            double bx = (g.bar_only || g.marker_only) ? sx : sx + g.sample_width / 2 - bw / 2;
            gr.gr_set_colour(ps.bar_colour[entry]);
            gr.gr_set_fill_style(2);
            gr.gr_rectangle(bx, y - bh / 2, bx + bw, y + bh / 2);
            if ((ps.vector_output() || ps.barlines) && !ps.no_barlines) {
                gr.gr_set_colour(1);
                gr.gr_set_line_width(ps.state.line_width_base / 1.5);
                gr.gr_set_fill_style(1);
                gr.gr_rectangle(bx, y - bh / 2, bx + bw, y + bh / 2);
                gr.gr_set_fill_style(2);
            }
        }
        gr.gr_set_colour(1);
        set_text_height(ps, g.text_height);
        gr.gr_move_to(x + cx + k * 3 + 1 + (k + 1) * g.sample_width, y - 0.5 * t);
        gr.gr_text(entry_text(ps, entry));
        if (entry >= 0 && ps.marker[entry]) {
            double mx = g.marker_only ? x + cx + k * (3 + g.sample_width) + g.sample_width / 2
                                      : x + cx + 3 * ps.legend_width + k * (6 * ps.legend_width + 3);
            gr.gr_set_colour(ps.line_colour[entry]);
            gr.gr_marker(mx, y, ps.marker[entry], std::max(ps.marker_size[entry] / largest_marker, 0.4));
        }
    }
    if (!ps.legend_pos_given) ps.legend_bottom = top - 1 - (box ? 0 : 1);
    set_text_height(ps, ps.base_text_height);
}

} // namespace plotwell
