#include "plotwell/core/map_decorations.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/data_stage.h"
#include "plotwell/core/map_classes.h"
#include "plotwell/core/shared_routines.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plotwell {

namespace {

constexpr double pi = 3.14159265358979323846;

// A position code: letter codes stand for their value, plus a number that follows.
double code_value(const std::string& code, const std::string& letters, const double* values)
{
    if (code.empty()) return 0;
    const size_t k = letters.find(code[0]);
    if (k != std::string::npos) return values[k] + (code.size() > 1 ? to_double(code.substr(1)) : 0);
    return to_double(code);
}

} // namespace

void place_map_item(const plot_settings& ps, const std::string& x_text, const std::string& y_text, double width,
                    double height, double& x, double& y)
{
    std::string xc = x_text, yc = y_text;
    char xa = 0, ya = 0;
    if (xc.size() > 1 && (xc.back() == 'm' || xc.back() == 'r')) { xa = xc.back(); xc.pop_back(); }
    if (xc == "m") xa = 'm';
    if (yc.size() > 1 && yc.back() == 'm') { ya = 'm'; yc.pop_back(); }
    const double left = ps.state.frame_left, right = ps.state.frame_left + ps.state.frame_width;
    const double xs[] = {left, right, (left + right) / 2};
    x = code_value(xc, "LRm", xs);
    const double bottom = ps.state.frame_bottom, top = ps.state.frame_bottom + ps.state.frame_height;
    const double ys[] = {bottom, top, (bottom + top) / 2};
    y = code_value(yc, "BTm", ys);
    if (!yc.empty() && yc[0] == 'B' && yc.size() > 1 && to_double(yc.substr(1)) < 0) y -= height;
    if (xa == 'm') x -= width / 2;
    else if (xa == 'r') x -= width;
    if (ya == 'm' || yc == "m") y -= height / 2;
    if (!yc.empty() && yc[0] == 'T') y -= height;
}

void draw_scale_bar(plot_settings& ps)
{
    map_settings& m = ps.map;
    graphics_layer& gr = *ps.gr;
    const double xr = ps.x_axis.max - ps.x_axis.min, yr = ps.y1_axis.max - ps.y1_axis.min;
    if (xr == 0 || yr == 0) return;
    if (m.scale_length == 0) m.scale_length = xr / 5;
    const double length = m.scale_length, height = m.scale_height != 0 ? m.scale_height : length / 20;
    const double lp = std::fabs(length / xr * ps.state.frame_width), hp = std::fabs(height / yr * ps.state.frame_height);
    double x, y;
    place_map_item(ps, m.scale_x, m.scale_y, lp, hp, x, y);
    gr.gr_set_fill_style(2);
    gr.gr_set_colour(ps.graph_background);
    gr.gr_rectangle(x, y, x + lp, y + hp);
    gr.gr_set_colour(1);
    const int n = std::max(1, m.scale_divisions);
    for (int i = 0; i < n; i += 2) gr.gr_rectangle(x + lp * i / n, y, x + lp * (i + 1) / n, y + hp);
    gr.gr_set_fill_style(1);
    gr.gr_rectangle(x, y, x + lp, y + hp);
    gr.gr_set_fill_style(2);
    gr.gr_set_char_height(2 * hp);
    const std::string label = m.scale_text.empty() ? format_text("%g", length) : m.scale_text;
    gr.gr_move_to(x - gr.gr_text_width("0") / 2, y + 2 * hp);
    gr.gr_text("0");
    gr.gr_move_to(x + lp - gr.gr_text_width(label) / 2, y + 2 * hp);
    gr.gr_text(label);
    gr.gr_set_char_height(ps.text_height);
}

void draw_north_arrow(plot_settings& ps)
{
    map_settings& m = ps.map;
    graphics_layer& gr = *ps.gr;
    const double r = m.north_size / 100 * ps.state.frame_height;
    const double vw = gr.viewport_width_pct(), vh = gr.viewport_height_pct();
    const double rx = vw > 0 ? r * vh / vw : r;
    double x, y;
    place_map_item(ps, m.north_x, m.north_y, 2 * rx, 2 * r, x, y);
    const double cx = x + rx, cy = y + r;
    const double angle = 90 - m.north_angle;
    gr.gr_set_fill_style(2);
    for (int k = 3; k >= 0; --k) {
        const double t = (k * 90 + angle) * pi / 180;
        const double tip_x = cx + std::cos(t) * rx, tip_y = cy + std::sin(t) * r;
        const double a = t + pi / 4, b = t - pi / 4;
        const float left_xs[] = {static_cast<float>(cx), static_cast<float>(tip_x), static_cast<float>(cx + std::cos(a) * rx / 8)};
        const float left_ys[] = {static_cast<float>(cy), static_cast<float>(tip_y), static_cast<float>(cy + std::sin(a) * r / 8)};
        const float right_xs[] = {static_cast<float>(cx), static_cast<float>(tip_x), static_cast<float>(cx + std::cos(b) * rx / 8)};
        const float right_ys[] = {static_cast<float>(cy), static_cast<float>(tip_y), static_cast<float>(cy + std::sin(b) * r / 8)};
        gr.gr_set_colour(1);
        gr.gr_fill_area(3, left_xs, left_ys);
        gr.gr_set_colour(0);
        gr.gr_fill_area(3, right_xs, right_ys);
        gr.gr_set_colour(1);
        gr.gr_polyline(3, right_xs, right_ys);
    }
    // the letter N at the tip of the north arm
    const double t = angle * pi / 180;
    const double tip_x = cx + std::cos(t) * rx, tip_y = cy + std::sin(t) * r;
    gr.gr_set_char_height(r / 3);
    const double w = gr.gr_text_width("N");
    const double up = std::sin(t) * r;
    if (up > 0.7 * r) gr.gr_move_to(tip_x - w / 2, tip_y + r / 9);
    else if (up < -0.7 * r) gr.gr_move_to(tip_x - w / 2, tip_y - r / 2.5);
    else gr.gr_move_to(std::cos(t) >= 0 ? tip_x + 0.2 * w : tip_x - 1.2 * w, tip_y - r / 6);
    gr.gr_text("N");
    gr.gr_set_char_height(ps.text_height);
}

void set_vector_window(plot_settings& ps)
{
    map_settings& m = ps.map;
    axis_settings& xa = ps.x_axis;
    axis_settings& ya = ps.y1_axis;
    const double s = m.vector_length > 0 && m.vector_length < 0.5 ? m.vector_length : 0.05;
    const double xm = m.vector_border_given ? m.vector_border_x : (xa.max - xa.min) / (1 / s - 2);
    const double ym = m.vector_border_given ? m.vector_border_y : xm;
    xa.min -= xm;
    xa.max += xm;
    ya.min -= ym;
    ya.max += ym;
    if (m.vector_largest == 0) {
        const double lo = m.vector_log_lower != 0 ? m.vector_log_lower : ps.y2_axis.min;
        m.vector_largest = m.vector_log ? ps.y2_axis.max - lo : std::max(std::fabs(ps.y2_axis.min), ps.y2_axis.max);
    }
    if (m.vector_largest == 0) m.vector_largest = 1; // no arrow has a length: keep the scale finite
}

namespace {

double vector_y_scale(const plot_settings& ps)
{
    const double xr = ps.x_axis.max - ps.x_axis.min, yr = ps.y1_axis.max - ps.y1_axis.min;
    const double scale = xr != 0 ? ps.map.vector_largest * yr / xr : ps.map.vector_largest;
    return scale != 0 ? scale : 1;
}

double length_of(const plot_settings& ps, double c, double largest)
{
    const map_settings& m = ps.map;
    const double s = m.vector_length;
    if (!m.vector_log) return c / largest * s;
    const double l = c != 0 ? std::log10(std::fabs(c)) : -1e300;
    if (l < m.vector_log_lower) return 0;
    return (c < 0 ? -1 : 1) * (l - m.vector_log_lower) / largest * s;
}

double device_ratio(const plot_settings& ps)
{
    const double h = ps.state.frame_height * ps.gr->page_height_pct();
    return h > 0 ? ps.state.frame_width * ps.gr->page_width_pct() / h : 1;
}

} // namespace

void draw_vector_arrow(plot_settings& ps, double x, double y, double u, double v)
{
    graphics_layer& gr = *ps.gr;
    const double dx = length_of(ps, u, ps.map.vector_largest);
    const double dy = length_of(ps, v, vector_y_scale(ps));
    const double x0 = axis_fraction(ps, ps.x_axis.log_scale, x, ps.x_axis.min, ps.x_axis.max);
    const double y0 = axis_fraction(ps, ps.y1_axis.log_scale, y, ps.y1_axis.min, ps.y1_axis.max);
    const double r = device_ratio(ps);
    gr.gr_move_to(x0, y0);
    gr.gr_line_to(x0 + dx, y0 + dy);
    const float hx[] = {static_cast<float>(x0 + dx), static_cast<float>(x0 + 0.65 * dx - 0.13 * dy / r),
                        static_cast<float>(x0 + 0.73 * dx), static_cast<float>(x0 + 0.65 * dx + 0.13 * dy / r)};
    const float hy[] = {static_cast<float>(y0 + dy), static_cast<float>(y0 + 0.65 * dy + 0.13 * dx * r),
                        static_cast<float>(y0 + 0.73 * dy), static_cast<float>(y0 + 0.65 * dy - 0.13 * dx * r)};
    gr.gr_fill_area(4, hx, hy);
}

void draw_vectors(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    map_settings& m = ps.map;
    if (!ps.data_file) return;
    gr.gr_set_colour(1);
    gr.gr_set_line_width(1.0);
    gr.gr_set_line_type(1);
    if (m.vector_frame) {
        double fx, fy;
        if (m.vector_border_given) {
            fx = m.vector_border_x / (ps.x_axis.max - ps.x_axis.min);
            fy = m.vector_border_y / (ps.y1_axis.max - ps.y1_axis.min);
        } else {
            fx = m.vector_length;
            fy = m.vector_length * m.vector_largest / vector_y_scale(ps);
        }
        const float xs[] = {static_cast<float>(fx), static_cast<float>(1 - fx), static_cast<float>(1 - fx),
                            static_cast<float>(fx), static_cast<float>(fx)};
        const float ys[] = {static_cast<float>(fy), static_cast<float>(fy), static_cast<float>(1 - fy),
                            static_cast<float>(1 - fy), static_cast<float>(fy)};
        gr.gr_polyline(5, xs, ys);
    }
    gr.gr_set_colour(ps.vector_output() && !ps.colour_output ? 1 : m.vector_colour);
    gr.gr_set_line_width(1.5);
    gr.gr_set_fill_style(2);
    std::rewind(ps.data_file);
    std::string line, work;
    std::vector<char*> words;
    while (read_data_line(ps, ps.data_file, line)) {
        split_row(line, work, words, 5);
        if (words.size() < 4) continue;
        double v[4];
        bool ok = true;
        for (int i = 0; i < 4 && ok; ++i) {
            ok = is_number(words[static_cast<size_t>(i)]);
            v[i] = ok ? to_double(words[static_cast<size_t>(i)]) : 0;
            if (ok && !std::isfinite(v[i])) v[i] = v[i] > 0 ? 1.7976931348623157e308 : -1.7976931348623157e308;
            if (ok && std::fabs(v[i]) < 2.2250738585072014e-308) v[i] = 0;
        }
        if (!ok) continue;
        if (ps.error_value_given && (v[0] == ps.error_value || v[1] == ps.error_value || v[2] == ps.error_value ||
                                     v[3] == ps.error_value))
            continue;
        if (!m.vector_log && (std::fabs(v[2]) > m.vector_largest || std::fabs(v[3]) > m.vector_largest)) continue;
        draw_vector_arrow(ps, v[0], v[1], v[2], v[3]);
    }
    std::rewind(ps.data_file);
    gr.gr_set_colour(1);
    gr.gr_set_line_width(ps.state.line_width_base);
}

void polygon_centre_and_height(const std::vector<float>& xs, const std::vector<float>& ys, double& cx, double& cy,
                               double& height)
{
    cx = cy = height = 0;
    if (xs.empty()) return;
    double lo = ys[0], hi = ys[0];
    for (size_t i = 0; i < xs.size(); ++i) {
        cx += xs[i];
        cy += ys[i];
        lo = std::min<double>(lo, ys[i]);
        hi = std::max<double>(hi, ys[i]);
    }
    cx /= static_cast<double>(xs.size());
    cy /= static_cast<double>(ys.size());
    height = hi - lo;
}

std::vector<polygon_shape> read_polygon_file(const shared_context& context, const std::string& name)
{
    std::vector<polygon_shape> shapes;
    std::FILE* f = open_file_or_fail(context, name, "rb");
    std::string first;
    const bool has_line = read_text_line(f, first);
    std::vector<std::string> w = split_fields(first, ' ', 10);
    const bool binary = !has_line || first.empty() || (w.size() > 1 && !is_number(w[1]));
    std::rewind(f);
    constexpr long most_points = 10000000;
    if (binary) {
        float rec[2];
        while (std::fread(rec, sizeof(float), 2, f) == 2) {
            polygon_shape p;
            p.key = format_text("%g", static_cast<double>(rec[0]));
            const double count = rec[1];
            if (!(count >= 0) || count > most_points) {
                std::fclose(f);
                fatal_error("error in %s: %g polygon coordinates\n", name.c_str(), count);
            }
            for (long k = 0; k < static_cast<long>(count) && std::fread(rec, sizeof(float), 2, f) == 2; ++k) {
                p.xs.push_back(rec[0]);
                p.ys.push_back(rec[1]);
            }
            shapes.push_back(std::move(p));
        }
        std::fclose(f);
        return shapes;
    }
    const bool with_counts = w.size() > 1;
    std::string line;
    if (with_counts) {
        while (read_text_line(f, line)) {
            std::vector<std::string> h = split_fields(line, ' ', 10);
            if (h.empty()) continue;
            if (h.size() < 2 || !is_number(h[1])) {
                std::fclose(f);
                fatal_error("error in %s: missing nr of polygon coordinates\n", name.c_str());
            }
            polygon_shape p;
            p.key = h[0];
            const double count = to_double(h[1]);
            if (!(count >= 0) || count > most_points) {
                std::fclose(f);
                fatal_error("error in %s: %s polygon coordinates\n", name.c_str(), h[1].c_str());
            }
            p.type = h.size() > 2 ? to_int(h[2]) : 0;
            for (long k = 0; k < static_cast<long>(count) && read_text_line(f, line); ++k) {
                std::vector<std::string> xy = split_fields(line, ' ', 10);
                p.xs.push_back(xy.size() > 0 ? static_cast<float>(to_double(xy[0])) : 0.0f);
                p.ys.push_back(xy.size() > 1 ? static_cast<float>(to_double(xy[1])) : 0.0f);
            }
            shapes.push_back(std::move(p));
        }
    } else {
        polygon_shape* current = nullptr;
        while (read_text_line(f, line)) {
            std::vector<std::string> xy = split_fields(line, ' ', 10);
            if (xy.empty()) continue;
            if (xy.size() == 1) {
                shapes.emplace_back();
                current = &shapes.back();
                current->key = xy[0];
                continue;
            }
            if (!current) continue;
            current->xs.push_back(static_cast<float>(to_double(xy[0])));
            current->ys.push_back(static_cast<float>(to_double(xy[1])));
        }
    }
    std::fclose(f);
    return shapes;
}

namespace {

struct polygon_value {
    std::string key;
    int colour = -1;
    double value = 0;
    bool has_value = false;
    double width = 1.0; // the line width when POLYGON_LINE gives widths by class
};

std::vector<polygon_value> read_polygon_values(plot_settings& ps, const std::string& name,
                                               const std::vector<double>& class_widths)
{
    std::vector<polygon_value> values;
    std::FILE* f = open_file_or_fail(ps.shared, name, "r");
    std::string line;
    while (read_text_line(f, line)) {
        std::vector<std::string> w = split_fields(line, ' ', 10);
        if (w.size() < 2) continue;
        polygon_value v;
        v.key = w[0];
        const std::string& c = w[1];
        if ((c[0] == 'C' || c[0] == 'c') && is_number(c.substr(1))) {
            v.colour = (to_int(c.substr(1)) + 1) & 255;
            // a colour given directly has no class: its width is its place in the file
            v.width = static_cast<double>(values.size() + 1);
        } else if (is_number(c)) {
            v.value = to_double(c);
            v.has_value = true;
            v.colour = ps.classes.empty() ? ((to_int(c) + 1) & 255) : class_colour(ps, v.value);
            const int k = ps.classes.empty() ? -1 : find_class(ps, v.value);
            if (k >= 0 && static_cast<size_t>(k) < class_widths.size()) v.width = class_widths[static_cast<size_t>(k)];
        }
        values.push_back(v);
    }
    std::fclose(f);
    return values;
}

int find_polygon_key(const std::vector<polygon_value>& values, const std::string& key, bool numeric_keys)
{
    for (size_t i = 0; i < values.size(); ++i) {
        if (numeric_keys ? (to_int(values[i].key) == to_int(key)) : values[i].key == key) return static_cast<int>(i);
    }
    return -1;
}

void draw_polygon_file(plot_settings& ps, const std::string& file, int type, const std::string& value_file,
                       bool log_x, bool log_y, bool numeric_keys, const std::vector<double>& class_widths)
{
    graphics_layer& gr = *ps.gr;
    std::vector<polygon_value> values;
    if (!value_file.empty()) values = read_polygon_values(ps, value_file, class_widths);
    const std::vector<polygon_shape> shapes = read_polygon_file(ps.shared, file);
    gr.gr_set_fill_style(2);
    const bool mono_vector = ps.vector_output() && !ps.colour_output;
    for (const polygon_shape& p : shapes) {
        if (p.xs.empty()) continue;
        int colour;
        const polygon_value* entry = nullptr;
        if (!value_file.empty()) {
            const int k = find_polygon_key(values, p.key, numeric_keys);
            if (k < 0 || values[static_cast<size_t>(k)].colour < 0) continue;
            entry = &values[static_cast<size_t>(k)];
            colour = entry->colour;
            if (!class_widths.empty()) gr.gr_set_line_width(entry->width);
        } else {
            colour = (to_int(p.key) + 1) & 255;
        }
        const int t = type != 0 ? type : (p.type ? p.type : 1);
        std::vector<float> xs(p.xs.size()), ys(p.ys.size());
        for (size_t i = 0; i < p.xs.size(); ++i) {
            xs[i] = axis_fraction(ps, log_x, p.xs[i], ps.x_axis.min, ps.x_axis.max);
            ys[i] = axis_fraction(ps, log_y, p.ys[i], ps.y1_axis.min, ps.y1_axis.max);
        }
        bool flat = false;
        if (ps.on_screen() && (t == 1 || t == 3)) {
            const double vh = gr.viewport_height_pct() / gr.page_height_pct();
            const double limit = vh > 0 ? 0.01 / vh : 0.01;
            flat = std::all_of(ys.begin(), ys.end(), [&](float y) { return std::fabs(y - ys[0]) <= limit; });
        }
        const int n = static_cast<int>(xs.size());
        gr.gr_set_colour(t == 2 && mono_vector ? 1 : colour);
        if ((t == 1 || t == 3) && !flat) gr.gr_fill_area(n, xs.data(), ys.data());
        if (t == 3) gr.gr_set_colour(1);
        if (t == 2 || t == 3 || flat) gr.gr_polyline(n, xs.data(), ys.data());
        if (entry && entry->has_value && ps.map.polygon_value_given) {
            const double height = ps.map.polygon_value_height != 0 ? ps.map.polygon_value_height : ps.text_height;
            double cx, cy, h;
            polygon_centre_and_height(xs, ys, cx, cy, h);
            if (h > 0.02 * height || t == 2) {
                const std::string text = format_text("%g", entry->value);
                gr.gr_set_char_height(height);
                gr.gr_set_colour(1);
                gr.gr_move_to(cx - gr.gr_text_width(text) / 200, cy - height / 200);
                gr.gr_text(text);
                gr.gr_set_char_height(ps.text_height);
            }
        }
    }
}

} // namespace

std::vector<double> polygon_class_widths(const std::string& list, int class_count)
{
    std::vector<double> widths;
    for (const std::string& f : split_fields(list, ',', max_series)) widths.push_back(to_double(f));
    const int n = std::min(class_count, max_series);
    const int missing = n - static_cast<int>(widths.size());
    if (widths.empty() || missing <= 0) return widths;
    // each missing width steps up from the one before, by at most 1
    const double step = std::min(5.0 / missing, 1.0);
    while (static_cast<int>(widths.size()) < n) widths.push_back(widths.back() + step);
    return widths;
}

void draw_polygons(plot_settings& ps, bool before)
{
    std::vector<double> class_widths; // POLYGON_LINE's widths by class, when it gives a list
    bool in_before = false; // the start of the file counts as an after section
    for (const std::string& line : ps.settings_lines) {
        std::vector<std::string> w = split_fields(line, ' ', 10);
        if (w.empty()) continue;
        if (w[0] == "POLYGON_BEFORE") { in_before = true; continue; }
        if (w[0] == "POLYGON_AFTER") { in_before = false; continue; }
        if (w[0] == "POLYGON_LINE") {
            ps.gr->gr_set_line_type(w.size() > 1 && to_int(w[1]) != 0 ? to_int(w[1]) : 1);
            class_widths.clear();
            if (w.size() > 2 && w[2].find(',') == std::string::npos)
                ps.gr->gr_set_line_width(to_double(w[2]) != 0 ? to_double(w[2]) : 1.0);
            else if (w.size() > 2)
                class_widths = polygon_class_widths(w[2], static_cast<int>(ps.classes.size()));
            continue;
        }
        if (w[0] != "DRAW_POLYGON" || w.size() < 2 || in_before != before) continue;
        const std::string file = expand_environment_path(w[1]);
        const int type = w.size() > 2 && w[2] != "!" ? to_int(w[2]) : 2;
        const std::string values = w.size() > 3 && w[3] != "!" ? expand_environment_path(w[3]) : std::string();
        const bool log_x = w.size() > 4 && w[4] != "!" && to_int(w[4]) != 0;
        const bool log_y = w.size() > 5 && w[5] != "!" && to_int(w[5]) != 0;
        const bool numeric_keys = w.size() > 6 && w[6] != "!";
        draw_polygon_file(ps, file, type, values, log_x, log_y, numeric_keys, class_widths);
    }
    ps.gr->gr_set_colour(1);
    ps.gr->gr_set_line_type(1);
    ps.gr->gr_set_line_width(ps.state.line_width_base);
}

} // namespace plotwell
