#include "map_keywords.h"

#include "map_classes.h"
#include "shared_routines.h"

#include <cmath>

namespace plotwell {

namespace {

bool numeric(const std::vector<std::string>& w, size_t i) { return w.size() > i && is_number(w[i]); }
bool given(const std::vector<std::string>& w, size_t i) { return w.size() > i && w[i] != "!"; }

} // namespace

bool apply_map_keyword(plot_settings& ps, const std::vector<std::string>& w)
{
    const std::string& k = w[0];
    const size_t n = w.size();
    map_settings& m = ps.map;
    if (ps.matrix_plot) {
        if (k == "MATRIX_CLASS") { add_class_line(ps, w); return true; }
        if (k == "EXTRA_CLASS") { add_extra_class_line(ps, w); return true; }
        if (k == "MATRIX_DEF_CLASS") {
            if (numeric(w, 1)) ps.matrix_def_class = to_int(w[1]) - 1;
            return true;
        }
        if (k == "POLYGON_VALUE") {
            m.polygon_value_given = 1;
            m.polygon_value_height = numeric(w, 1) ? finite_number(w[1], "POLYGON_VALUE") : 1.0;
            if (ps.postscript_output) m.polygon_value_height *= ps.font_courier ? 1.66 : ps.font_times ? 1.5 : 1.34;
            return true;
        }
        if (k == "RECORD_LENGTH") {
            if (numeric(w, 1)) m.record_length = std::max(1, to_int(w[1]));
            return true;
        }
        if (k == "MATRIX_XCOLUMN") {
            if (numeric(w, 1)) m.xcolumn = std::max(0, to_int(w[1]) - 1);
            return true;
        }
        if (k == "MATRIX_YRANGES") {
            m.yranges.clear();
            m.yranges_count = 0;
            if (n == 2 && w[1].find(',') == std::string::npos && is_number(w[1])) {
                const int bands = to_int(w[1]);
                if (bands == 0 || std::abs(bands) > 10000) fatal_error("MATRIX_YRANGES: %s bands are out of range\n", w[1].c_str());
                m.yranges_count = bands;
                return true;
            }
            for (size_t i = 1; i < n; ++i) {
                std::vector<std::string> p = split_fields(w[i], ',', 4);
                if (p.size() != 2) fatal_error("%s setting needs %d coordinates ','-seperated\n", "MATRIX_YRANGES", 2);
                m.yranges.emplace_back(finite_number(p[0], "MATRIX_YRANGES"), finite_number(p[1], "MATRIX_YRANGES"));
            }
            return true;
        }
        if (k == "MATRIX_XWIDTH") {
            if (numeric(w, 1)) m.cell_width = finite_number(w[1], "MATRIX_XWIDTH");
            return true;
        }
        if (k == "MATRIX_XRES" || k == "MATRIX_RES" || k == "MAP_RES") {
            if (ps.hardcopy_output() || ps.vector_output()) {
                if (numeric(w, 1) && to_double(w[1]) > 0) m.resolution = finite_number(w[1], k.c_str());
            }
            return true;
        }
    }
    if (k == "SCALE_BAR") {
        if (ps.app.zoom_shown) return true;
        m.scale_bar = 1;
        if (numeric(w, 1)) m.scale_length = finite_number(w[1], "SCALE_BAR");
        if (numeric(w, 2)) m.scale_height = finite_number(w[2], "SCALE_BAR");
        if (numeric(w, 3)) m.scale_divisions = std::clamp(to_int(w[3]), 1, 1000);
        if (given(w, 4)) {
            std::vector<std::string> p = split_fields(w[4], ',', 4);
            if (p.size() != 2) fatal_error("%s setting needs %d coordinates ','-seperated\n", "SCALE_BAR position", 2);
            m.scale_x = p[0];
            m.scale_y = p[1];
        }
        if (given(w, 5)) m.scale_text = w[5];
        return true;
    }
    if (k == "NORTH") {
        if (n < 2) return true;
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
        if (numeric(w, 3)) m.north_size = to_double(w[3]) / 2;
        return true;
    }
    if (k == "NR_CUMCLASSES") {
        if (numeric(w, 1)) m.nr_cumclasses = std::clamp(to_int(w[1]), 0, 1000);
        return true;
    }
    if (k == "MAP_RIGHT") { ps.map_right = 1; return true; }
    if (k == "MAP_BOTTOM") { ps.map_bottom = 1; return true; }
    if (k == "DRAW_VECTOR") {
        ps.vector_plot = 1;
        ps.draw_axis_numbers = 0;
        m.vector_largest = numeric(w, 1) ? finite_number(w[1], "DRAW_VECTOR") : 0;
        if (numeric(w, 4) && to_double(w[4]) != 0 && m.vector_largest != 0) {
            m.vector_log = 1;
            m.vector_log_lower = m.vector_largest > 0 ? std::log10(m.vector_largest) : 0;
            m.vector_largest = 0;
        }
        m.vector_length = numeric(w, 2) ? to_double(w[2]) / 100.0 : 0.05;
        m.vector_colour = numeric(w, 3) ? ((to_int(w[3]) + 1) & 255) : 1;
        return true;
    }
    if (k == "VECTOR_BORDER") {
        if (given(w, 1)) {
            std::vector<std::string> p = split_fields(w[1], ',', 4);
            if (p.size() == 2 && (is_number(p[0]) || is_number(p[1]))) {
                m.vector_border_given = 1;
                m.vector_border_x = to_double(p[0]);
                m.vector_border_y = to_double(p[1]);
            }
        }
        m.vector_frame = numeric(w, 2) ? to_int(w[2]) : 1;
        return true;
    }
    return false;
}

} // namespace plotwell
