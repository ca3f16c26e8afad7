#include "plotwell/core/series_keywords.h"

#include "plotwell/core/shared_routines.h"

#include <algorithm>
#include <cmath>

namespace plotwell {

bool monochrome(const plot_settings& ps) { return ps.hardcopy_output() && !ps.colour_output; }

int colour_number(const std::string& word)
{
    // a colour number n is colour index n + 1, kept inside the colour table
    return std::clamp(to_int(word), -1, 254) + 1;
}

// The word ALL in any case.
static bool is_all(std::string word)
{
    to_upper_string(word);
    return word == "ALL";
}

static std::string marker_file_name(const plot_settings& ps, int marker)
{
    std::string name = "marker." + std::to_string(marker);
    return ps.app.settings_folder.empty() ? name : ps.app.settings_folder + "/" + name;
}

void load_marker_shapes(plot_settings& ps, int marker)
{
    int k = marker - 20;
    if (ps.marker_shape_loaded[k]) return;
    ps.marker_shape_loaded[k] = true;
    std::FILE* f = std::fopen(marker_file_name(ps, marker).c_str(), "rb");
    if (!f) return;
    marker_shape_set shapes;
    std::string line;
    auto numbers = [&](std::vector<double>& out, size_t count) {
        out.clear();
        while (out.size() < count && read_text_line(f, line))
            for (const std::string& w : split_fields(line, ' ', 200))
                if (out.size() < count) out.push_back(to_double(w));
        return out.size() == count;
    };
    std::vector<double> v;
    if (numbers(v, 1)) {
        long count = static_cast<long>(v[0]);
        for (long s = 0; s < count && numbers(v, 3); ++s) {
            marker_polygon p;
            p.colour = static_cast<int>(std::isfinite(v[0]) ? std::clamp(v[0], -2.0, 254.0) : -2.0) + 1;
            long points = std::clamp(static_cast<long>(v[1]), 0L, 100000L);
            p.mode = static_cast<int>(v[2]);
            for (long n = 0; n < points && numbers(v, 2); ++n) {
                p.xs.push_back(static_cast<float>(v[0]));
                p.ys.push_back(static_cast<float>(v[1]));
            }
            shapes.push_back(std::move(p));
        }
    }
    std::fclose(f);
    ps.gr->gr_define_marker_shape(k, shapes);
}

void load_marker_picture(plot_settings& ps, int marker, int transparent)
{
    int k = marker - 30;
    if (ps.marker_picture_loaded[k]) return;
    ps.marker_picture_loaded[k] = true;
    marker_picture picture;
    picture.transparent = transparent;
    picture.pixels = ps.gr->load_bitmap_file(marker_file_name(ps, marker), picture.width, picture.height);
    if (!picture.pixels.empty()) ps.gr->gr_define_marker_picture(k, picture);
}

namespace {

// The per-series words of a line: word 2 is series 0; at most 32 arguments are used.
template <typename F>
void per_series(const std::vector<std::string>& w, F f)
{
    for (size_t i = 1; i < w.size() && i <= static_cast<size_t>(max_series); ++i) f(static_cast<int>(i - 1), w[i]);
}

bool series_numeric(const std::vector<std::string>& w, size_t i) { return w.size() > i && is_number(w[i]); }

} // namespace

namespace {

using words = keyword_words;

void draw_lines(plot_settings& ps, const words& w)
{
    per_series(w, [&](int i, const std::string& v) { ps.line_type[i] = to_int(v); });
    if (!monochrome(ps)) return;
    // without colour, every further solid series gets the next line type
    bool any_above_1 = false;
    for (int i = 0; i < max_series; ++i) any_above_1 |= ps.line_type[i] > 1;
    if (!any_above_1) return;
    int next = 2;
    bool first_seen = false;
    for (int i = 0; i < max_series; ++i) {
        if (ps.line_type[i] != 1) continue;
        if (!first_seen) { first_seen = true; continue; }
        ps.line_type[i] = next++;
    }
}

void draw_markers(plot_settings& ps, const words& w)
{
    per_series(w, [&](int i, const std::string& v) {
        std::vector<std::string> p = split_fields(v, ',', 4);
        ps.marker[i] = p.empty() ? 0 : to_int(p[0]);
        ps.marker_size[i] = (p.size() > 1 && is_number(p[1])) ? finite_number(p[1], "DRAW_MARKERS") : 0;
        int m = ps.marker[i];
        if (m >= 20 && m <= 29) load_marker_shapes(ps, m);
        else if (m >= 30 && m <= 39) load_marker_picture(ps, m, p.size() > 2 ? to_int(p[2]) : 0);
    });
}

void marker_size(plot_settings& ps, const words& w)
{
    if (w.size() == 2) {
        ps.marker_scale.fill(finite_number(w[1], "MARKER_SIZE"));
        return;
    }
    per_series(w, [&](int i, const std::string& v) { ps.marker_scale[i] = finite_number(v, "MARKER_SIZE"); });
}

void draw_bars(plot_settings& ps, const words& w)
{
    if (w.size() > 1 && is_all(w[1])) {
        ps.bars_all = 1;
        for (int i = 0; i < max_series; ++i) {
            ps.bars[i] = 1;
            ps.bar_colour[i] = i + 2;
        }
        return;
    }
    ps.bar_series = 0;
    per_series(w, [&](int i, const std::string& v) {
        int c = to_int(v);
        ps.bars[i] = c != 0;
        if (c != 0) {
            ps.bar_colour[i] = colour_number(v);
            ++ps.bar_series;
        }
    });
}

void draw_area(plot_settings& ps, const words& w)
{
    if (is_all(w[1])) {
        ps.area_all = 1;
        return;
    }
    if (ps.area_count >= max_series) return;
    int a = ps.area_count++;
    ps.area_lower[a] = to_int(w[1]) - 1;
    ps.area_upper[a] = to_int(w[2]) - 1;
    ps.area_colour_of[a] = w.size() > 3 ? colour_number(w[3]) : colour_number(w[2]);
}

void regression(plot_settings& ps, const words& w)
{
    const bool first = w[0] == "LIN_REGR1";
    auto& target = first ? ps.regression_1 : ps.regression_2;
    per_series(w, [&](int i, const std::string& v) { target[i] = to_int(v); });
    ps.regression |= first ? 1 : 2;
}

void yaxis_number(plot_settings& ps, const words& w)
{
    per_series(w, [&](int i, const std::string& v) {
        int a = to_int(v);
        if (a != 1 && a != 2) fatal_error("YAXIS_NUMBER must be 1 (left) or 2 (right)\n");
        ps.y_axis[i] = a == 1 ? 1 : 0;
        if (a == 2) ps.y1_only = 0;
    });
}

void legend(plot_settings& ps, const words& w)
{
    size_t longest = 0;
    for (size_t i = 1; i < w.size() && i <= static_cast<size_t>(max_legend_texts); ++i) {
        ps.legend_text[i - 1] = w[i];
        longest = std::max(longest, w[i].size());
    }
    ps.legend_text_room = static_cast<int>(longest) + 7;
}

void legend_pos(plot_settings& ps, const words& w)
{
    if (ps.draw_map && ps.app.zoom_shown) return;
    std::vector<std::string> p = split_fields(w[1], ',', 200);
    if (p.size() != 2) fatal_error("%s setting needs %d coordinates ','-seperated\n", "LEGEND_POS", 2);
    ps.legend_pos_given = 1;
    ps.legend_x = p[0];
    ps.legend_y = p[1];
    ps.legend_has_y = p[1] == "!" ? 0 : 1.0;
    ps.legend_box_mode = w.size() > 2 ? to_int(w[2]) : -1;
}

void colours(plot_settings& ps, const words& w)
{
    const bool mono_ps = ps.postscript_output && !ps.colour_output;
    for (size_t i = 1; i < w.size(); ++i) {
        std::string v = w[i];
        to_upper_string(v);
        if (v == "RANGE" && !mono_ps) ps.range_colours = 1;
        else if (v == "NO_RANGE" && !mono_ps) ps.range_colours = 0;
        else if (v == "REVERSE") ps.reverse = 1;
        else if (v == "NO_REVERSE") ps.reverse = 0;
        else if (v == "BACKGROUND") ps.colour_background = 1;
    }
}

void patterns(plot_settings& ps, const words& w)
{
    const bool mono_device = (ps.app.printing || ps.app.exporting) && !ps.colour_output;
    for (size_t i = 1; i < w.size(); ++i) {
        std::vector<std::string> p = split_fields(w[i], ',', 3);
        if (p.size() != 2) continue;
        int c = to_int(p[0]) + 1, pattern = to_int(p[1]);
        if (mono_device) c = static_cast<int>(i) + 1;
        if (c < 1 || c > 255 || pattern < 1 || pattern > 99) continue;
        ps.fill_pattern[c] = pattern;
    }
}

void bitmap_colour(plot_settings& ps, const words& w)
{
    const size_t n = w.size();
    if (!series_numeric(w, 1) || n < 3) return;
    int c = to_int(w[1]) + 1;
    if (c < 1 || c > 255) return;
    plot_settings::picture_fill& f = ps.picture_fills[c];
    f.file = w[2];
    if (n > 3) {
        std::vector<std::string> p = split_fields(w[3], ';', 3);
        if (!p.empty() && is_number(p[0])) f.transparent = colour_number(p[0]);
        if (p.size() > 1 && is_number(p[1])) {
            double tol = to_double(p[1]) / 100.0 * 195075.0;
            f.tolerance = tol < 1 ? 0 : static_cast<int>(std::min(tol, 195076.0));
        }
    }
    if (series_numeric(w, 4) && to_int(w[4]) >= 0) f.third = to_int(w[4]);
}

void percentiles(plot_settings& ps, const words& w)
{
    const size_t n = w.size();
    if (n > 1 && w[1] != "!") ps.percentile_file = w[1];
    ps.percentiles.clear();
    if (n > 2)
        for (const std::string& p : split_fields(w[2], ',', 33)) ps.percentiles.push_back(finite_number(p, "PERCENTILES"));
    if (ps.percentiles.empty()) ps.percentiles = {10, 50, 90};
    ps.percentile_samples = 10000;
    if (series_numeric(w, 3)) {
        int s = to_int(w[3]);
        ps.percentile_samples = s < 1 ? 10000 : s;
    }
}

void draw_labels(plot_settings& ps, const words& w)
{
    const size_t n = w.size();
    if (ps.label_items.size() >= static_cast<size_t>(max_items)) return;
    label_item it;
    it.file_name = w[1] == "!" ? ps.data_file_name : expand_environment_path(w[1]);
    it.x_column = to_int(w[2]);
    it.y_column = to_int(w[3]);
    it.label_column = to_int(w[4]);
    it.left_axis = (n > 5 && to_int(w[5]) == 2) ? 0 : 1;
    it.colour = n > 6 ? colour_number(w[6]) : 1;
    if (monochrome(ps)) it.colour = 1;
    if (n > 7 && to_double(w[7]) != 0) it.height = finite_number(w[7], "DRAW_LABELS");
    if (n > 8 && !w[8].empty()) {
        const std::string& place = w[8];
        char c = place[0];
        if (c == 'm' || c == 'r' || c == 't' || c == 'l') {
            it.position = c;
            it.offset = to_double(place.substr(1));
        } else {
            it.offset = to_double(place);
        }
    }
    if (n > 9) ps.label_clip = to_int(w[9]);
    ps.label_items.push_back(it);
}

void draw_dev(plot_settings& ps, const words& w)
{
    const size_t n = w.size();
    if (ps.deviation_items.size() >= static_cast<size_t>(max_items)) return;
    deviation_item d;
    d.file_name = w[1] == "!" ? ps.data_file_name : expand_environment_path(w[1]);
    d.position_column = to_int(w[2]);
    d.low_column = to_int(w[3]);
    d.high_column = to_int(w[4]);
    d.left_axis = (n > 5 && to_int(w[5]) == 2) ? 0 : 1;
    d.style = n > 7 ? to_int(w[7]) : 0;
    d.colour = n > 6 ? colour_number(w[6]) : static_cast<int>(ps.deviation_items.size()) + 2;
    if (monochrome(ps) && (d.style == 0 || d.style == 2)) d.colour = 1;
    d.legend = d.style == 0 ? 0 : (n > 8 ? (to_int(w[8]) >= 1) : 1);
    if (n > 9 && to_int(w[9]) != 0) {
        d.horizontal = 1;
        ps.horizontal_bars = 1;
    }
    ps.deviation_items.push_back(d);
}

// Only the flag letters forbid lines, markers, bars and areas: m (markers only) and B (bars for
// all) take the lines, m and b (lines and markers) the markers; DRAW_BARS ALL leaves lines to the
// settings. DRAW_AREA needs a lower and an upper series, or ALL.
const keyword_entry series_keywords[] = {
    {"DRAW_LINES", 1, [](const plot_settings& ps, const words&) { return ps.markers_only || ps.bars_all_from_letter; },
     draw_lines},
    {"DRAW_MARKERS", 1, [](const plot_settings& ps, const words&) { return ps.markers_only || ps.lines_and_markers; },
     draw_markers},
    {"MARKER_SIZE", 1, nullptr, marker_size},
    {"DEFAULT_MARKERS", 1, nullptr,
     [](plot_settings& ps, const words& w) {
         for (size_t i = 1; i < w.size() && i <= 30; ++i) ps.default_marker[i] = to_int(w[i]);
     }},
    {"DRAW_BARS", 1, [](const plot_settings& ps, const words&) { return ps.bars_all_from_letter != 0; }, draw_bars},
    {"NR_BARS", 2, nullptr, [](plot_settings& ps, const words& w) { ps.nr_bars = to_int(w[1]); }},
    {"DRAW_AREA", 2,
     [](const plot_settings& ps, const words& w) { return ps.area_all_from_letter || (!is_all(w[1]) && w.size() < 3); },
     draw_area},
    {"LINE_COLORS", 1, nullptr,
     [](plot_settings& ps, const words& w) {
         per_series(w, [&](int i, const std::string& v) { ps.line_colour[i] = colour_number(v); });
         if (monochrome(ps)) ps.line_colour.fill(1);
     }},
    {"CUMULATIVE", 1, nullptr,
     [](plot_settings& ps, const words& w) {
         per_series(w, [&](int i, const std::string& v) { ps.cumulative[i] = to_int(v); });
     }},
    {"LIN_REGR1", 1, nullptr, regression},
    {"LIN_REGR2", 1, nullptr, regression},
    {"SCALING_FACTOR", 1, nullptr,
     [](plot_settings& ps, const words& w) {
         per_series(w, [&](int i, const std::string& v) { ps.scale_factor[i] = finite_number(v, "SCALING_FACTOR"); });
     }},
    {"YAXIS_NUMBER", 1, nullptr, yaxis_number},
    {"INTERRUPT_LINES", 1, nullptr,
     [](plot_settings& ps, const words& w) {
         per_series(w, [&](int i, const std::string& v) { ps.interrupt_lines[i] = to_int(v); });
         ps.interrupt_lines_all = 1;
     }},
    {"LEGEND", 1, nullptr, legend},
    {"NO_LEGEND", 1, nullptr, [](plot_settings& ps, const words&) { ps.no_legend = 1; }},
    {"NO_LEGENDBOX", 1, nullptr, [](plot_settings& ps, const words&) { ps.legendbox = 0; }},
    {"LEGENDBOX", 1, nullptr, [](plot_settings& ps, const words&) { ps.legendbox = 1; }},
    {"LEGEND_POS", 2, nullptr, legend_pos},
    {"LEGEND_COLUMNS", 2, nullptr,
     [](plot_settings& ps, const words& w) {
         ps.legend_columns = std::clamp(to_int(w[1]), 1, 64);
         ps.legend_columns_given = 1;
     }},
    {"GRAPH_BACKGROUND", 2, nullptr,
     [](plot_settings& ps, const words& w) {
         // in a job of maps under ALLMAPS the first drawing's background stays
         if (!(ps.job_mode && ps.allmaps_given && ps.state.drawn)) ps.graph_background = colour_number(w[1]);
     }},
    {"LEGEND_BACKGROUND", 2, nullptr, [](plot_settings& ps, const words& w) { ps.legend_background = colour_number(w[1]); }},
    {"COLORFILE", 2, nullptr, [](plot_settings& ps, const words& w) { ps.colour_file_name = expand_environment_path(w[1]); }},
    {"COLORS", 1, nullptr, colours},
    {"PATTERNS", 1, nullptr, patterns},
    {"BITMAP_COLOR", 1, nullptr, bitmap_colour},
    {"PERCENTILES", 1, nullptr, percentiles},
    {"DRAW_LABELS", 5, nullptr, draw_labels},
    {"DRAW_DEV", 5, nullptr, draw_dev},
};

} // namespace

keyword_table series_keyword_table() { return series_keywords; }

bool apply_series_keyword(plot_settings& ps, const std::vector<std::string>& w)
{
    return apply_keyword(series_keywords, ps, w);
}

} // namespace plotwell
