#include "plotwell/core/data_stage.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/bars_and_areas.h"
#include "plotwell/core/linear_regression.h"
#include "plotwell/core/map_cells.h"
#include "plotwell/core/map_decorations.h"
#include "plotwell/core/page_pictures.h"
#include "plotwell/core/data_set_legend.h"
#include "plotwell/core/shared_routines.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdio.h>

namespace plotwell {

bool read_data_line(const plot_settings& ps, std::FILE* file, std::string& line)
{
    static thread_local char* buffer = nullptr;
    static thread_local size_t capacity = 0;
    for (;;) {
        ssize_t got = getline(&buffer, &capacity, file);
        if (got < 0) return false;
        size_t n = static_cast<size_t>(got);
        if (n && buffer[n - 1] == '\n') --n;
        if (n && buffer[n - 1] == '\r') --n;
        if (n == 0) continue;
        const std::string& skip = ps.skip_string;
        if (!skip.empty() && n >= skip.size() && std::memcmp(buffer, skip.data(), skip.size()) == 0) continue;
        line.assign(buffer, n);
        return true;
    }
}

void split_row(const std::string& row, std::string& work, std::vector<char*>& words, size_t maximum)
{
    work = row;
    split_fields(work.data(), words, ' ', static_cast<int>(maximum));
}

// The number a word starts with, as the C library reads it in the C locale ("12abc" is 12).
static double word_value(const char* w)
{
    while (*w == ' ' || *w == '\t') ++w;
    if (*w == '+') ++w;
    double v = 0;
    auto res = std::from_chars(w, w + std::strlen(w), v);
    if (res.ec == std::errc::result_out_of_range) v = c_strtod(w);
    return v;
}

int read_point(const plot_settings& ps, const std::vector<char*>& words, int series, double& x, double& y)
{
    const int xc = ps.x_column[series], yc = ps.y_column[series];
    if (xc < 1 || yc < 1 || static_cast<int>(words.size()) < std::max(xc, yc)) return 0;
    const char* xw = words[xc - 1];
    const char* yw = words[yc - 1];
    char xp = 0, yp = 0;
    if (ps.detection_given) {
        if (*xw == '<' || *xw == '>') xp = *xw++;
        if (*yw == '<' || *yw == '>') yp = *yw++;
    }
    if (!is_number(xw) || !is_number(yw)) return 0;
    x = word_value(xw);
    y = word_value(yw);
    if (ps.error_value_given && y == ps.error_value) return 0;
    if (xp) x *= xp == '<' ? ps.detection_below : ps.detection_above;
    if (yp) y *= yp == '<' ? ps.detection_below : ps.detection_above;
    return 1;
}

static double clamp_float_range(double v)
{
    constexpr double smallest = 1.1754944e-38, largest = 3.4028235e38;
    if (std::isnan(v)) return 0;
    if (std::fabs(v) < smallest) return 0;
    if (std::fabs(v) > largest) return v > 0 ? largest : -largest;
    return v;
}

void add_point(plot_settings& ps, double x, double y, int series, bool first)
{
    x = clamp_float_range(x);
    y = clamp_float_range(y * ps.scale_factor[series]);
    if (first) {
        for (series_buffer& b : ps.buffers) {
            b.fill = 0;
            b.cumulative_sum = 0;
            b.stacked = 0;
        }
    }
    series_buffer& b = ps.buffers[series];
    double& value = ps.horizontal_bars ? x : y;
    if (ps.cumulative[series]) {
        value += b.cumulative_sum;
        b.cumulative_sum = value;
    }
    if (ps.stack_data) {
        if (series > 0) value += ps.buffers[series - 1].stacked;
        b.stacked = value;
    }
    const axis_settings& ya = ps.y_axis[series] ? ps.y1_axis : ps.y2_axis;
    b.x[b.fill] = axis_fraction(ps, ps.x_axis.log_scale, x, ps.x_axis.min, ps.x_axis.max);
    b.y[b.fill] = axis_fraction(ps, ya.log_scale, y, ya.min, ya.max);
    ++b.fill;
}

namespace {
// Draws one chunk: areas under everything, then bars, then lines and markers.
void draw_chunk(plot_settings& ps, bool carry)
{
    if (ps.area_count > 0) fill_between_series(ps);
    draw_bars(ps);
    flush_data_set_points(ps, carry);
}
} // namespace

int draw_series_rows(plot_settings& ps, bool first)
{
    static thread_local std::string line;
    static thread_local std::string work;
    static thread_local std::vector<char*> words;
    static thread_local size_t needed = 0;
    const int data_series = ps.series_count - ps.expression_count;
    if (first) {
        int largest = 0;
        for (int i = 0; i < data_series; ++i) largest = std::max({largest, ps.x_column[i], ps.y_column[i]});
        needed = static_cast<size_t>(largest) + 1;
    }
    if (ps.data_file && data_series > 0 && read_data_line(ps, ps.data_file, line)) {
        split_row(line, work, words, needed);
        bool forced = false, full = false;
        for (int i = 0; i < data_series; ++i) {
            series_buffer& b = ps.buffers[i];
            double x, y;
            if (read_point(ps, words, i, x, y)) {
                if (b.restart && ps.interrupt_lines[i]) {
                    b.fill = 0;
                    b.restart = false;
                    b.carried = false;
                }
                add_point(ps, x, y, i, ps.first_point);
                ps.first_point = false;
                if (b.fill >= ps.chunk_size) full = true;
            } else if (ps.interrupt_lines_all && ps.interrupt_lines[i] && ps.line_type[i] != 0 && !b.restart) {
                b.restart = true;
                forced = true;
            }
        }
        if (full || forced) draw_chunk(ps, true);
        return 1;
    }
    // the expression curves, point k of every curve in turn
    size_t longest = 0;
    for (const expression_curve& c : ps.expressions) longest = std::max(longest, c.xs.size());
    for (size_t k = 0; k < longest; ++k) {
        for (size_t e = 0; e < ps.expressions.size(); ++e) {
            const expression_curve& c = ps.expressions[e];
            if (k >= c.xs.size()) continue;
            add_point(ps, c.xs[k], c.ys[k], data_series + static_cast<int>(e), ps.first_point);
            ps.first_point = false;
        }
    }
    draw_chunk(ps, false);
    ps.gr->gr_set_colour(1);
    ps.gr->gr_set_line_type(1);
    ps.gr->gr_set_line_width(ps.state.line_width_base);
    for (expression_curve& c : ps.expressions) {
        std::vector<double>().swap(c.xs);
        std::vector<double>().swap(c.ys);
    }
    return 0;
}

static void draw_label_items(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    if (ps.label_clip) gr.gr_clipping_off();
    gr.gr_set_window(0, 0, 100, 100);
    std::string line, work;
    std::vector<char*> words;
    for (const label_item& item : ps.label_items) {
        std::FILE* f = open_file_or_fail(ps.shared, item.file_name, "r");
        size_t needed = static_cast<size_t>(std::max({item.x_column, item.y_column, item.label_column})) + 1;
        while (read_data_line(ps, f, line)) {
            split_row(line, work, words, needed);
            int largest = std::max({item.x_column, item.y_column, item.label_column});
            if (item.x_column < 1 || item.y_column < 1 || item.label_column < 1 || static_cast<int>(words.size()) < largest)
                continue;
            if (!is_number(words[item.x_column - 1]) || !is_number(words[item.y_column - 1])) continue;
            draw_data_label(ps, word_value(words[item.x_column - 1]), word_value(words[item.y_column - 1]),
                            std::string(words[item.label_column - 1]), item);
        }
        std::fclose(f);
    }
    gr.gr_set_window(0, 0, 1, 1);
    gr.gr_set_colour(1);
}

void run_data_stage(plot_settings& ps)
{
    ps.map_outside = 0;
    if (ps.polygons_present) draw_polygons(ps, true);
    int bar_series = ps.bars_all ? ps.series_count : std::min(ps.bar_series, ps.series_count);
    long nr_bars = ps.nr_bars ? ps.nr_bars : ps.point_count;
    ps.bar_width = nr_bars ? 1.0 / static_cast<double>(nr_bars) / 1.4 : 0;
    if (!ps.stack_data && !ps.justify_bars && bar_series > 0) ps.bar_width /= (bar_series - 1) * 2.0 / 3.0 + 1;
    long chunk = std::min(ps.point_count + 1, max_chunk);
    for (const expression_curve& c : ps.expressions) chunk = std::max(chunk, static_cast<long>(c.xs.size()) + 1);
    ps.chunk_size = std::max(chunk, 2L);
    if (ps.area_all) {
        // every series fills down to the one before it, the first down to zero
        ps.area_count = ps.series_count;
        for (int i = 0; i < ps.series_count; ++i) {
            ps.area_lower[i] = i - 1;
            ps.area_upper[i] = i;
            ps.area_colour_of[i] = i + 2;
        }
    }

    for (int i = 0; i < ps.series_count; ++i) {
        series_buffer& b = ps.buffers[i];
        b.x.assign(static_cast<size_t>(ps.chunk_size) + 1, 0.0f);
        b.y.assign(static_cast<size_t>(ps.chunk_size) + 1, 0.0f);
        b.fill = 0;
        b.cumulative_sum = b.stacked = 0;
        b.restart = false;
        b.carried = false;
    }
    if (!ps.deviation_items.empty()) draw_deviation_items(ps);
    ps.first_point = true;
    if (ps.draw_map && !ps.grid_in_front) draw_map_grid_lines(ps);
    if (ps.draw_map) {
        draw_map(ps);
    } else if (ps.matrix_plot) {
        draw_matrix(ps);
    } else if (ps.vector_plot) {
        draw_vectors(ps);
    } else if (!ps.polygons_only) {
        bool first = true;
        while (draw_series_rows(ps, first)) first = false;
    }
    for (series_buffer& b : ps.buffers) {
        std::vector<float>().swap(b.x);
        std::vector<float>().swap(b.y);
        b.fill = 0;
    }
    if (ps.regressions[0].series_count > 0 || ps.regressions[1].series_count > 0) draw_regression_lines(ps);
    if (ps.polygons_present) draw_polygons(ps, false);
    if (ps.draw_map && (ps.grid_in_front || ps.grid_spacing_x > 0 || ps.grid_spacing_y > 0)) draw_map_grid_lines(ps);
    if (!ps.label_items.empty()) draw_label_items(ps);
}

} // namespace plotwell
