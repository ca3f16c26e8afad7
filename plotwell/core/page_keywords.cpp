#include "plotwell/core/page_keywords.h"

#include "plotwell/core/settings_language.h"
#include "plotwell/core/shared_routines.h"
#include "plotwell/core/xy_call.h"

#include <cstring>

namespace plotwell {

namespace {

using switch_handler = void (*)(plot_settings&, const std::string&);

struct switch_entry {
    const char* keyword;
    switch_handler apply;
};

// Order matters: the first switch whose text starts the line takes it.
const switch_entry switches[] = {
    {"NO_PALETTE", [](plot_settings& ps, const std::string&) { ps.no_palette = 1; }},
    {"ESCAPE=", [](plot_settings& ps, const std::string& l) { ps.escape_char = l.size() > 7 ? l[7] : '\0'; }},
    {"STACK_DATA", [](plot_settings& ps, const std::string&) { ps.stack_data = 1; }},
    {"LOGZERO", [](plot_settings& ps, const std::string&) { ps.logzero = 1; }},
    {"FIXED_SIZE", [](plot_settings& ps, const std::string&) { ps.fixed_size = 1; }},
    {"NO_FIXED_SIZE", [](plot_settings& ps, const std::string&) { ps.fixed_size = 0; }},
    {"FIXED_WIDTH", [](plot_settings& ps, const std::string&) { ps.fixed_width = 1; ps.fixed_size = 0; }},
    {"PRINT_PAPERSIZE", [](plot_settings& ps, const std::string&) { ps.print_papersize = 1; }},
    {"PORTRAIT", [](plot_settings& ps, const std::string&) {
         if (!ps.postscript_output && !ps.app.exporting && ps.page_scale_x == 1.0f && ps.page_scale_y == 1.0f)
             apply_page_shape(ps, 'p');
     }},
    {"LANDSCAPE", [](plot_settings& ps, const std::string&) {
         if (!ps.postscript_output && !ps.app.exporting && ps.page_scale_x == 1.0f && ps.page_scale_y == 1.0f)
             apply_page_shape(ps, 'l');
     }},
    {"HELVETICA", [](plot_settings& ps, const std::string&) { ps.font_times = ps.font_courier = 0; }},
    {"TIMES_ROMAN", [](plot_settings& ps, const std::string&) { ps.font_times = 1; }},
    {"COURIER", [](plot_settings& ps, const std::string&) { ps.font_courier = 1; }},
    {"BOLD", [](plot_settings& ps, const std::string&) { ps.bold = 1; }},
    {"NO_BOLD", [](plot_settings& ps, const std::string&) { ps.bold = 0; }},
    {"JUSTIFY_XLABELS", [](plot_settings& ps, const std::string&) { ps.justify_xlabels = 1; }},
    {"JUSTIFY_BARS", [](plot_settings& ps, const std::string&) { ps.justify_bars = 1; }},
    {"HORIZONTAL_BARS", [](plot_settings& ps, const std::string&) { ps.horizontal_bars = 1; }},
    {"SKIP_FIRST_STACK", [](plot_settings& ps, const std::string&) { ps.skip_first_stack = 1; }},
    {"OPEN_GRAPH", [](plot_settings& ps, const std::string&) { ps.frame_closed = 0; }},
    {"XAXIS_BARS", [](plot_settings& ps, const std::string&) { ps.xaxis_bars = 1; }},
    {"YAXIS_BARS", [](plot_settings& ps, const std::string&) { ps.xaxis_bars = 1; }},
    {"MATRIX_AXISSIZE", [](plot_settings& ps, const std::string&) { ps.matrix_axissize = 1; ps.draw_axis_numbers = 0; }},
    {"OPEN_MATRIXLEGEND", [](plot_settings& ps, const std::string&) { ps.open_matrix_legend = 1; }},
    {"MAP_AXISSIZE", [](plot_settings& ps, const std::string&) {
         ps.map_axissize = 1;
         ps.graph_ratio_given = 1;
         ps.graph_ratio = 1.0;
         ps.draw_axis_numbers = 0;
         ps.frame_closed = 0;
     }},
    {"ORDINATION_AXIS", [](plot_settings& ps, const std::string&) { ps.ordination_axis = 1; ps.frame_closed = 0; }},
    {"NO_BARLINES", [](plot_settings& ps, const std::string&) { ps.no_barlines = 1; }},
    {"BARLINES", [](plot_settings& ps, const std::string&) { ps.barlines = 1; }},
    {"X_TOP", [](plot_settings& ps, const std::string&) { ps.x_top = 1; }},
    {"Y1_RIGHT", [](plot_settings& ps, const std::string&) { ps.y1_right = 1; }},
    {"Y1_BOTH", [](plot_settings& ps, const std::string&) { ps.y1_both = 1; }},
    {"X_TEXT", [](plot_settings& ps, const std::string& l) { ps.x_text = text_from_column(l, 8, 63); }},
    {"Y_TEXT", [](plot_settings& ps, const std::string& l) { ps.y1_text = text_from_column(l, 8, 63); }},
    {"Y1_TEXT", [](plot_settings& ps, const std::string& l) { ps.y1_text = text_from_column(l, 9, 63); }},
    {"Y2_TEXT", [](plot_settings& ps, const std::string& l) { ps.y2_text = text_from_column(l, 9, 63); }},
    {"NAME", [](plot_settings& ps, const std::string& l) { ps.name_text = text_from_column(l, 6, 127); }},
    {"CITY", [](plot_settings& ps, const std::string& l) { ps.city_text = text_from_column(l, 6, 49); }},
    {"DEPARTMENT", [](plot_settings& ps, const std::string& l) { ps.department_text = text_from_column(l, 12, 19); }},
    {"INSTITUTE", [](plot_settings& ps, const std::string& l) {
         ps.institute_text = text_from_column(l, 11, 19);
         ps.institute_default = 0;
     }},
    {"DRAW_BOX", [](plot_settings& ps, const std::string&) { ps.draw_box = 1; }},
    {"NO_BOX", [](plot_settings& ps, const std::string&) { ps.draw_box = 0; }},
    {"MATRIX_TITLE", [](plot_settings& ps, const std::string& l) {
         if (ps.matrix_plot) ps.matrix_title = text_from_column(l, 14, 127);
     }},
};

bool page_numeric(const std::vector<std::string>& w, size_t i) { return w.size() > i && is_number(w[i]); }

double number_at(const std::vector<std::string>& w, size_t i) { return finite_number(w[i], w[0].c_str()); }

} // namespace

bool apply_switch(plot_settings& ps, const std::string& line)
{
    for (const switch_entry& s : switches) {
        if (line.compare(0, std::strlen(s.keyword), s.keyword) == 0) {
            s.apply(ps, line);
            return true;
        }
    }
    return false;
}

bool apply_axis_keyword(plot_settings& ps, axis_settings& a, const std::vector<std::string>& w, bool x_axis)
{
    if (w.size() < 2) return false;
    a.intervals = 10;
    a.minor_ticks = 0;
    if (is_number(w[1])) {
        a.min = number_at(w, 1);
        a.min_only = 1;
        if (!w[1].empty() && w[1].back() == '?') a.min_is_hint = 1;
    }
    if (page_numeric(w, 2)) {
        a.max = number_at(w, 2);
        if (!is_number(w[1]))
            fatal_error("maximum %s-scale value but no minimum %s-scale value\n", w[0].c_str(), w[0].c_str());
        a.range_given = 1;
        a.min_only = 0;
        a.min_is_hint = 0;
    }
    if (a.range_given) {
        // counts are 16-bit values: larger ones would only make endless ticks
        if (page_numeric(w, 3)) {
            a.intervals = to_int(w[3]);
            if (a.intervals < 0 || a.intervals > 32767)
                fatal_error("%s: %s intervals are out of range (0 to 32767)\n", w[0].c_str(), w[3].c_str());
            a.intervals_given = 1;
        }
        if (page_numeric(w, 4)) {
            a.minor_ticks = to_int(w[4]) - 1;
            if (a.minor_ticks < -1 || a.minor_ticks > 32766)
                fatal_error("%s: %s minor ticks are out of range (0 to 32767)\n", w[0].c_str(), w[4].c_str());
        }
    }
    if (w.size() > 5 && w[5] != "!" && !ps.app.zoom_shown) {
        if (!w[5].empty() && w[5][0] == '%') {
            a.label_format = w[5].substr(0, 1023);
        } else {
            a.labels.clear();
            for (std::string& l : split_fields(w[5], ' ', max_axis_labels)) a.labels.push_back(l == "-" ? std::string() : l);
            a.labels_given = 1;
            a.intervals_given = 1;
            int n = static_cast<int>(a.labels.size());
            a.intervals = x_axis ? n : n - 1;
        }
    }
    if (page_numeric(w, 6)) a.log_scale = to_int(w[6]);
    if (x_axis && page_numeric(w, 7)) a.label_room = static_cast<float>(number_at(w, 7));
    if (x_axis && ps.matrix_plot) {
        ps.map_x1 = a.min;
        ps.map_x2 = a.max;
    }
    return true;
}

namespace {

using words = keyword_words;

void axisline_width(plot_settings& ps, const words& w)
{
    double f = w.size() > 1 ? number_at(w, 1) : 1.0;
    int which = w.size() > 2 ? to_int(w[2]) : 3;
    if (which == 1 || which == 3) ps.axisline_width_x = ps.axisline_width_y = f;
    if (which == 2 || which == 3) ps.legend_line_width = f;
}

void draw_grid(plot_settings& ps, const words& w)
{
    const size_t n = w.size();
    ps.frame_closed = 1;
    auto spacing = [&](const std::string& word) {
        std::vector<std::string> p = split_fields(word, ',', 200);
        if (p.size() != 2) fatal_error("%s setting needs %d coordinates ','-seperated\n", "DRAW_GRID", 2);
        ps.grid_spacing_x = finite_number(p[0], "DRAW_GRID");
        ps.grid_spacing_y = finite_number(p[1], "DRAW_GRID");
        ps.grid_in_front = 1;
    };
    if (ps.draw_map) {
        if (n > 1) spacing(w[1]);
    } else if (n == 1) {
        ps.grid_horizontal = ps.grid_vertical = 1;
    } else {
        int mode = to_int(w[1]);
        ps.grid_horizontal = (mode == 1 || mode == 3);
        ps.grid_vertical = (mode == 2 || mode == 3);
        if (n > 4) spacing(w[4]);
    }
    if (page_numeric(w, 2)) ps.grid_line_type = to_int(w[2]);
    if (page_numeric(w, 3)) ps.grid_in_front = to_int(w[3]);
}

void zoom(plot_settings& ps, const words& w)
{
    std::vector<std::string> p = split_fields(w[1], ',', 200);
    if (p.size() != 4) fatal_error("%s setting needs %d coordinates ','-seperated\n", "ZOOM", 4);
    if (ps.app.zoom_shown || ps.allmaps_given) return; // the shown zoom and ALLMAPS win
    ps.map_x1 = finite_number(p[0], "ZOOM");
    ps.map_y1 = finite_number(p[1], "ZOOM");
    ps.map_x2 = finite_number(p[2], "ZOOM");
    ps.map_y2 = finite_number(p[3], "ZOOM");
    ps.map_rect_given = 1;
}

// The axis keywords need at least a minimum (or "!"); the other keywords of one word or a
// missing number take their defaults.
const keyword_entry page_keywords[] = {
    {"X_AXIS", 2, nullptr, [](plot_settings& ps, const words& w) { apply_axis_keyword(ps, ps.x_axis, w, true); }},
    {"Y_AXIS", 2, nullptr, [](plot_settings& ps, const words& w) { apply_axis_keyword(ps, ps.y1_axis, w, false); }},
    {"Y1_AXIS", 2, nullptr, [](plot_settings& ps, const words& w) { apply_axis_keyword(ps, ps.y1_axis, w, false); }},
    {"Y2_AXIS", 2, nullptr, [](plot_settings& ps, const words& w) { apply_axis_keyword(ps, ps.y2_axis, w, false); }},
    {"NO_AXIS", 1, nullptr, [](plot_settings& ps, const words&) { ps.draw_axis_numbers = 0; }},
    {"DRAW_AXIS", 1, nullptr, [](plot_settings& ps, const words&) { ps.draw_axis_forced = 1; }},
    {"GRAPH_RATIO", 1, nullptr,
     [](plot_settings& ps, const words& w) {
         ps.graph_ratio_given = 1;
         ps.graph_ratio = page_numeric(w, 1) ? number_at(w, 1) : 1.0;
     }},
    {"FIXED_YTEXT", 1, nullptr,
     [](plot_settings& ps, const words& w) {
         if (page_numeric(w, 1)) ps.fixed_ytext = number_at(w, 1);
     }},
    {"LEGEND_WIDTH", 1, nullptr, [](plot_settings& ps, const words& w) { ps.legend_width = w.size() > 1 ? number_at(w, 1) : 1.0; }},
    {"LINE_WIDTH", 1, nullptr, [](plot_settings& ps, const words& w) { ps.line_width = w.size() > 1 ? number_at(w, 1) : 1.0; }},
    {"CHAR_WIDTH", 1, nullptr, [](plot_settings& ps, const words& w) { ps.char_width = w.size() > 1 ? number_at(w, 1) : 1.0; }},
    {"AXISLINE_WIDTH", 1, nullptr, axisline_width},
    {"TICS_INSIDE", 1, nullptr, [](plot_settings& ps, const words& w) { ps.tics_inside = page_numeric(w, 1) ? to_int(w[1]) : 3; }},
    {"X_MARGIN", 1, nullptr, [](plot_settings& ps, const words& w) { ps.x_margin = w.size() > 1 ? number_at(w, 1) : 0; }},
    {"DRAW_GRID", 1, nullptr, draw_grid},
    {"ZERO_LINE", 1, nullptr, [](plot_settings& ps, const words& w) { ps.zero_line = page_numeric(w, 1) ? to_int(w[1]) : 1; }},
    {"NO_ZOOM", 1, nullptr, [](plot_settings& ps, const words&) { ps.zoom_allowed = 0; }},
    {"ZOOM", 2, nullptr, zoom},
    {"SKIP", 1, nullptr, [](plot_settings& ps, const words& w) { ps.skip_string = w.size() > 1 ? w[1] : std::string("*"); }},
    {"ERROR_VALUE", 2, nullptr,
     [](plot_settings& ps, const words& w) {
         ps.error_value = number_at(w, 1);
         ps.error_value_given = 1;
     }},
    {"DETECTION_VALUE", 1, nullptr,
     [](plot_settings& ps, const words& w) {
         ps.detection_given = 1;
         ps.detection_below = page_numeric(w, 1) ? number_at(w, 1) : 0;
         ps.detection_above = page_numeric(w, 2) ? number_at(w, 2) : 1.0;
     }},
};

} // namespace

keyword_table page_keyword_table() { return page_keywords; }

std::span<const char* const> switch_names()
{
    static const std::vector<const char*> names = [] {
        std::vector<const char*> n;
        for (const switch_entry& s : switches) n.push_back(s.keyword);
        return n;
    }();
    return names;
}

bool apply_page_keyword(plot_settings& ps, const std::vector<std::string>& w)
{
    return apply_keyword(page_keywords, ps, w);
}

} // namespace plotwell
