#include "plotwell/core/map_keywords.h"

#include "plotwell/core/map_classes.h"
#include "plotwell/core/shared_routines.h"

#include <algorithm>
#include <cmath>

namespace plotwell {

namespace {

bool map_numeric(const std::vector<std::string>& w, size_t i) { return w.size() > i && is_number(w[i]); }
bool given(const std::vector<std::string>& w, size_t i) { return w.size() > i && w[i] != "!"; }

} // namespace

namespace {

using words = keyword_words;

bool not_matrix(const plot_settings& ps, const words&) { return !ps.matrix_plot; }

void polygon_value(plot_settings& ps, const words& w)
{
    map_settings& m = ps.map;
    m.polygon_value_given = 1;
    m.polygon_value_height = map_numeric(w, 1) ? finite_number(w[1], "POLYGON_VALUE") : 1.0;
    if (ps.postscript_output) m.polygon_value_height *= ps.font_courier ? 1.66 : ps.font_times ? 1.5 : 1.34;
}

void matrix_yranges(plot_settings& ps, const words& w)
{
    map_settings& m = ps.map;
    m.yranges.clear();
    m.yranges_count = 0;
    if (w.size() == 2 && w[1].find(',') == std::string::npos && is_number(w[1])) {
        const int bands = to_int(w[1]);
        if (bands == 0 || std::abs(bands) > 10000) fatal_error("MATRIX_YRANGES: %s bands are out of range\n", w[1].c_str());
        m.yranges_count = bands;
        return;
    }
    for (size_t i = 1; i < w.size(); ++i) {
        std::vector<std::string> p = split_fields(w[i], ',', 4);
        if (p.size() != 2) fatal_error("%s setting needs %d coordinates ','-seperated\n", "MATRIX_YRANGES", 2);
        m.yranges.emplace_back(finite_number(p[0], "MATRIX_YRANGES"), finite_number(p[1], "MATRIX_YRANGES"));
    }
}

void resolution(plot_settings& ps, const words& w)
{
    // the resolution counts only on a device that draws cells as vectors or on paper
    if (!(ps.hardcopy_output() || ps.vector_output())) return;
    if (map_numeric(w, 1) && to_double(w[1]) > 0) ps.map.resolution = finite_number(w[1], w[0].c_str());
}

void scale_bar(plot_settings& ps, const words& w)
{
    map_settings& m = ps.map;
    if (ps.app.zoom_shown) return;
    m.scale_bar = 1;
    if (map_numeric(w, 1)) m.scale_length = finite_number(w[1], "SCALE_BAR");
    if (map_numeric(w, 2)) m.scale_height = finite_number(w[2], "SCALE_BAR");
    if (map_numeric(w, 3)) m.scale_divisions = std::clamp(to_int(w[3]), 1, 1000);
    if (given(w, 4)) {
        std::vector<std::string> p = split_fields(w[4], ',', 4);
        if (p.size() != 2) fatal_error("%s setting needs %d coordinates ','-seperated\n", "SCALE_BAR position", 2);
        m.scale_x = p[0];
        m.scale_y = p[1];
    }
    if (given(w, 5)) m.scale_text = w[5];
}

void north(plot_settings& ps, const words& w)
{
    map_settings& m = ps.map;
    if (w.size() < 2) return;
    m.north = 1;
    std::vector<std::string> c = split_fields(w[1], ',', 8);
    if (c.size() == 4) {
        const double dx = to_double(c[2]) - to_double(c[0]), dy = to_double(c[3]) - to_double(c[1]);
        m.north_angle = 90.0 - std::atan2(dy, dx) * 180.0 / 3.14159265358979323846;
    } else {
        m.north_angle = finite_number(w[1], "NORTH");
    }
    if (given(w, 2)) {
        std::vector<std::string> p = split_fields(w[2], ',', 4);
        if (p.size() != 2) fatal_error("%s setting needs %d coordinates ','-seperated\n", "NORTH position", 2);
        m.north_x = p[0];
        m.north_y = p[1];
    }
    if (map_numeric(w, 3)) m.north_size = to_double(w[3]) / 2;
}

void draw_vector(plot_settings& ps, const words& w)
{
    map_settings& m = ps.map;
    ps.vector_plot = 1;
    ps.draw_axis_numbers = 0;
    m.vector_largest = map_numeric(w, 1) ? finite_number(w[1], "DRAW_VECTOR") : 0;
    if (map_numeric(w, 4) && to_double(w[4]) != 0 && m.vector_largest != 0) {
        m.vector_log = 1;
        m.vector_log_lower = m.vector_largest > 0 ? std::log10(m.vector_largest) : 0;
        m.vector_largest = 0;
    }
    m.vector_length = map_numeric(w, 2) ? to_double(w[2]) / 100.0 : 0.05;
    m.vector_colour = map_numeric(w, 3) ? ((to_int(w[3]) + 1) & 255) : 1;
}

void vector_border(plot_settings& ps, const words& w)
{
    map_settings& m = ps.map;
    if (given(w, 1)) {
        std::vector<std::string> p = split_fields(w[1], ',', 4);
        if (p.size() == 2 && (is_number(p[0]) || is_number(p[1]))) {
            m.vector_border_given = 1;
            m.vector_border_x = to_double(p[0]);
            m.vector_border_y = to_double(p[1]);
        }
    }
    m.vector_frame = map_numeric(w, 2) ? to_int(w[2]) : 1;
}

// The class and matrix keywords count only in a matrix plot; elsewhere the line is left to the
// other readers (the resolutions pass there, the rest is refused).
const keyword_entry map_keywords[] = {
    {"MATRIX_CLASS", 1, not_matrix, [](plot_settings& ps, const words& w) { add_class_line(ps, w); }},
    {"EXTRA_CLASS", 1, not_matrix, [](plot_settings& ps, const words& w) { add_extra_class_line(ps, w); }},
    {"MATRIX_DEF_CLASS", 1, not_matrix,
     [](plot_settings& ps, const words& w) {
         if (map_numeric(w, 1)) ps.matrix_def_class = to_int(w[1]) - 1;
     }},
    {"POLYGON_VALUE", 1, not_matrix, polygon_value},
    {"RECORD_LENGTH", 1, not_matrix,
     [](plot_settings& ps, const words& w) {
         if (map_numeric(w, 1)) ps.map.record_length = std::max(1, to_int(w[1]));
     }},
    {"MATRIX_XCOLUMN", 1, not_matrix,
     [](plot_settings& ps, const words& w) {
         if (map_numeric(w, 1)) ps.map.xcolumn = std::max(0, to_int(w[1]) - 1);
     }},
    {"MATRIX_YRANGES", 1, not_matrix, matrix_yranges},
    {"MATRIX_XWIDTH", 1, not_matrix,
     [](plot_settings& ps, const words& w) {
         if (map_numeric(w, 1)) ps.map.cell_width = finite_number(w[1], "MATRIX_XWIDTH");
     }},
    {"MATRIX_XRES", 1, not_matrix, resolution},
    {"MATRIX_RES", 1, not_matrix, resolution},
    {"MAP_RES", 1, not_matrix, resolution},
    {"SCALE_BAR", 1, nullptr, scale_bar},
    {"NORTH", 1, nullptr, north},
    {"NR_CUMCLASSES", 1, nullptr,
     [](plot_settings& ps, const words& w) {
         if (map_numeric(w, 1)) ps.map.nr_cumclasses = std::clamp(to_int(w[1]), 0, 1000);
     }},
    {"MAP_RIGHT", 1, nullptr, [](plot_settings& ps, const words&) { ps.map_right = 1; }},
    {"MAP_BOTTOM", 1, nullptr, [](plot_settings& ps, const words&) { ps.map_bottom = 1; }},
    {"DRAW_VECTOR", 1, nullptr, draw_vector},
    {"VECTOR_BORDER", 1, nullptr, vector_border},
};

} // namespace

keyword_table map_keyword_table() { return map_keywords; }

bool apply_map_keyword(plot_settings& ps, const std::vector<std::string>& w)
{
    return apply_keyword(map_keywords, ps, w);
}

} // namespace plotwell
