#include "plotwell/core/bars_and_areas.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/data_stage.h"
#include "plotwell/core/shared_routines.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace plotwell {

namespace {

const axis_settings& value_axis(const plot_settings& ps, int series)
{
    return ps.y_axis[series] ? ps.y1_axis : ps.y2_axis;
}

// The first point of a buffer that this chunk draws as a bar: a point carried over from the last
// chunk (to keep lines joined) has had its bar already.
int first_new_point(const series_buffer& b) { return b.carried ? 1 : 0; }

} // namespace

void graphics_layer::gr_bars(const std::vector<bar_rectangle>& bars, int colour, bool outline, double outline_width)
{
    for (const bar_rectangle& b : bars) {
        gr_set_fill_style(2);
        gr_set_colour(colour);
        gr_set_line_type(1);
        gr_rectangle(b.x1, b.y1, b.x2, b.y2);
        if (outline) {
            gr_set_colour(1);
            gr_set_line_width(outline_width);
            gr_set_fill_style(1);
            gr_rectangle(b.x1, b.y1, b.x2, b.y2);
        }
    }
}

double bar_base(const plot_settings& ps, double axis_min, double axis_max, int log_scale)
{
    if (log_scale) return axis_min > axis_max ? 1.0 : 0.0;
    (void)ps;
    return linear_fraction(0.0, axis_min, axis_max);
}

void fill_between_series(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    const int count = std::min(ps.area_count, max_series);
    if (count <= 0) return;
    gr.gr_set_fill_style(2);
    std::vector<float> xs, ys;
    for (int a = ps.skip_first_stack ? 1 : 0; a < count; ++a) {
        const int p = ps.area_lower[a], q = ps.area_upper[a];
        // series numbers outside the call's series draw nothing
        if (q < 0 || q >= ps.series_count || p >= ps.series_count) continue;
        const series_buffer& upper = ps.buffers[q];
        if (upper.fill == 0) continue;
        xs.clear();
        ys.clear();
        if (p < 0) {
            const axis_settings& ya = value_axis(ps, q);
            double base = axis_fraction(ps, ya.log_scale, 0.0, ya.min, ya.max);
            if (base < 0 || base > 1) base = 0;
            xs.push_back(upper.x[0]);
            ys.push_back(static_cast<float>(base));
            xs.push_back(upper.x[upper.fill - 1]);
            ys.push_back(static_cast<float>(base));
            for (int j = upper.fill - 1; j >= 0; --j) {
                xs.push_back(upper.x[j]);
                ys.push_back(upper.y[j]);
            }
            xs.push_back(xs.front());
            ys.push_back(ys.front());
        } else {
            const series_buffer& lower = ps.buffers[p];
            if (lower.fill == 0) continue;
            if (lower.fill == 1 && upper.fill == 1) continue;
            for (int j = 0; j < lower.fill; ++j) {
                xs.push_back(lower.x[j]);
                ys.push_back(lower.y[j]);
            }
            for (int j = upper.fill - 1; j >= 0; --j) {
                xs.push_back(upper.x[j]);
                ys.push_back(upper.y[j]);
            }
            xs.push_back(xs.front());
            ys.push_back(ys.front());
        }
        gr.gr_set_colour(ps.area_colour_of[a]);
        gr.gr_fill_area(static_cast<int>(xs.size()), xs.data(), ys.data());
    }
}

void draw_bars(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    int bar_series = 0;
    for (int s = 0; s < ps.series_count; ++s)
        if (ps.bars[s]) ++bar_series;
    if (bar_series == 0) return;
    const double w = ps.bar_width;
    double offset = ((bar_series - 1) * 2.0 / 3.0 + 1) / 2.0;
    const bool centred = ps.stack_data || ps.justify_bars;
    const bool outline = (ps.hardcopy_output() || ps.barlines) && !ps.no_barlines;
    std::vector<bar_rectangle> bars;
    for (int s = 0; s < ps.series_count; ++s) {
        if (!ps.bars[s]) continue;
        const series_buffer& b = ps.buffers[s];
        if (!(s == 0 && ps.skip_first_stack)) {
            const series_buffer* below = (ps.stack_data && s > 0) ? &ps.buffers[s - 1] : nullptr;
            bars.clear();
            bars.reserve(static_cast<std::size_t>(b.fill));
            for (int j = first_new_point(b); j < b.fill; ++j) {
                double start;
                if (below && j < below->fill) start = ps.horizontal_bars ? below->x[j] : below->y[j];
                else if (ps.xaxis_bars) start = 0;
                else if (ps.horizontal_bars) start = bar_base(ps, ps.x_axis.min, ps.x_axis.max, ps.x_axis.log_scale);
                else {
                    const axis_settings& ya = value_axis(ps, s);
                    start = bar_base(ps, ya.min, ya.max, ya.log_scale);
                }
                const double across = ps.horizontal_bars ? b.y[j] : b.x[j];
                const double end = ps.horizontal_bars ? b.x[j] : b.y[j];
                const double lo = centred ? across - w / 2 : across - w * offset;
                if (ps.horizontal_bars) bars.push_back({start, lo, end, lo + w});
                else bars.push_back({lo, start, lo + w, end});
            }
            if (!bars.empty()) gr.gr_bars(bars, ps.bar_colour[s], outline, ps.state.line_width_base / 1.5);
        }
        offset -= 2.0 / 3.0;
    }
    gr.gr_set_fill_style(2);
}

namespace {

double map_value(const plot_settings& ps, const axis_settings& a, double v)
{
    return a.log_scale ? log_fraction(ps, v, a.min, a.max) : linear_fraction(v, a.min, a.max);
}

} // namespace

void draw_deviation_bar(plot_settings& ps, double position, double low, double high, const deviation_item& item)
{
    graphics_layer& gr = *ps.gr;
    const int bars = ps.nr_bars ? ps.nr_bars : 50;
    const axis_settings& ya = item.left_axis ? ps.y1_axis : ps.y2_axis;
    double p, lo, hi;
    if (item.horizontal) {
        p = map_value(ps, ya, position);
        lo = map_value(ps, ps.x_axis, low);
        hi = map_value(ps, ps.x_axis, high);
    } else {
        p = map_value(ps, ps.x_axis, position);
        lo = map_value(ps, ya, low);
        hi = map_value(ps, ya, high);
    }
    // a cap or half thickness across a horizontal bar is scaled so that it looks as long as across a
    // vertical one
    double aspect = 1;
    if (item.horizontal) {
        const double h = ps.state.frame_height * ps.gr->page_height_pct();
        if (h > 0) aspect = ps.state.frame_width * ps.gr->page_width_pct() / h;
    }
    gr.gr_set_colour(item.colour);
    auto segment = [&](double a1, double b1, double a2, double b2) {
        // a along the bar, b across it
        if (item.horizontal) { gr.gr_move_to(a1, b1); gr.gr_line_to(a2, b2); }
        else { gr.gr_move_to(b1, a1); gr.gr_line_to(b2, a2); }
    };
    if (item.style <= 0) {
        const double c = 1.0 / (3.0 * bars) * aspect;
        gr.gr_set_line_width(ps.state.line_width_base * ps.line_width);
        gr.gr_set_line_type(1);
        segment(lo, p, hi, p);
        segment(lo, p - c, lo, p + c);
        segment(hi, p - c, hi, p + c);
        return;
    }
    const double t = 1.0 / (2.0 * bars) * aspect;
    auto box = [&] {
        if (item.horizontal) gr.gr_rectangle(lo, p - t, hi, p + t);
        else gr.gr_rectangle(p - t, lo, p + t, hi);
    };
    gr.gr_set_line_width(1);
    gr.gr_set_fill_style(2);
    if (item.style == 2) gr.gr_set_colour(0);
    box();
    if (item.style == 1) return;
    gr.gr_set_fill_style(1);
    gr.gr_set_colour(item.style == 2 ? item.colour : 1);
    box();
    gr.gr_set_fill_style(2);
}

void draw_deviation_items(plot_settings& ps)
{
    std::string line, work;
    std::vector<char*> words;
    for (const deviation_item& item : ps.deviation_items) {
        const bool own_data = item.file_name == ps.data_file_name && ps.data_file;
        std::FILE* f = own_data ? ps.data_file : open_file_or_fail(ps.shared, item.file_name, "r");
        if (own_data) std::rewind(f);
        const int largest = std::max({item.position_column, item.low_column, item.high_column});
        if (item.position_column >= 1 && item.low_column >= 1 && item.high_column >= 1) {
            while (read_data_line(ps, f, line)) {
                split_row(line, work, words, static_cast<size_t>(largest) + 1);
                if (static_cast<int>(words.size()) < largest) continue;
                const char* pw = words[item.position_column - 1];
                const char* lw = words[item.low_column - 1];
                const char* hw = words[item.high_column - 1];
                if (!is_number(pw) || !is_number(lw) || !is_number(hw)) continue;
                draw_deviation_bar(ps, to_double(pw), to_double(lw), to_double(hw), item);
            }
        }
        if (own_data) std::rewind(f);
        else std::fclose(f);
    }
    ps.gr->gr_set_colour(1);
    ps.gr->gr_set_line_width(ps.state.line_width_base);
}

} // namespace plotwell
