#include "plotwell/core/map_classes.h"

#include "plotwell/core/shared_routines.h"

#include <algorithm>

namespace plotwell {

void add_class_line(plot_settings& ps, const std::vector<std::string>& w)
{
    if (static_cast<int>(ps.classes.size()) >= max_classes)
        fatal_error("A maximum of %d matrix classes can be defined\n", max_classes);
    if (w.size() < 5) fatal_error("MATRIX_CLASS needs a colour, a lower bound, an operator and an upper bound\n");
    map_class c;
    const int index = static_cast<int>(ps.classes.size());
    const bool mono_vector = ps.vector_output() && !ps.colour_output;
    // a colour number from the settings stays inside the colour table
    c.colour = (mono_vector || ps.range_colours) ? index + 2 : ((to_int(w[1]) + 1) & 255);
    const std::string& lower = w[2];
    const std::string& op = w[3];
    const std::string& upper = w[4];
    const bool lower_number = is_number(lower);
    const bool lower_inclusive_number = lower.size() > 1 && lower[0] == '=' && is_number(lower.substr(1));
    if (lower_number) {
        c.lower = to_double(lower);
    } else if (lower_inclusive_number) {
        c.lower = to_double(lower.substr(1));
        c.lower_inclusive = true;
    } else if (index == 0) {
        ps.first_class_open_below = true;
    }
    c.lower_name = lower_inclusive_number ? lower.substr(1) : lower;
    c.upper_name = upper;
    const bool upper_number = is_number(upper);
    if (upper_number) {
        c.upper = to_double(upper);
        ps.last_class_open_above = false;
    } else {
        ps.last_class_open_above = true;
    }
    if ((upper_number && (lower_number || lower_inclusive_number) && c.upper == c.lower) || upper == "!") {
        c.single_value = true;
        c.upper = c.lower;
        ps.last_class_open_above = false;
    }
    c.ascending = op.find('>') == std::string::npos;
    c.upper_inclusive = op.find('=') != std::string::npos;
    if (w.size() > 5) c.legend = w[5];
    else if (c.single_value) c.legend = c.lower_name;
    if (c.legend.size() > 127) c.legend.resize(127);
    ps.classes.push_back(c);
}

void add_extra_class_line(plot_settings& ps, const std::vector<std::string>& w)
{
    if (w.size() < 3 || static_cast<int>(ps.extra_classes.size()) >= max_classes) return;
    extra_class e;
    e.colour = (to_int(w[1]) + 1) & 255;
    e.text = w[2];
    ps.extra_classes.push_back(e);
}

int find_class(const plot_settings& ps, double x)
{
    const int n = static_cast<int>(ps.classes.size());
    for (int i = 0; i < n; ++i) {
        const map_class& c = ps.classes[i];
        bool match;
        if (c.single_value) {
            match = x == c.lower;
        } else {
            const bool first_open = i == 0 && ps.first_class_open_below;
            const bool last_open = i == n - 1 && ps.last_class_open_above;
            if (c.ascending) {
                const bool up = x < c.upper || (x == c.upper && c.upper_inclusive) || last_open;
                const bool low = x > c.lower || (x == c.lower && c.lower_inclusive) || first_open;
                match = up && low;
            } else {
                const bool up = x > c.upper || (x == c.upper && c.upper_inclusive) || last_open;
                const bool low = x < c.lower || (x == c.lower && c.lower_inclusive) || first_open;
                match = up && low;
            }
        }
        if (!match) continue;
        if (ps.colour_background && ((!ps.reverse && i == 0) || (ps.reverse && i == n - 1))) return -1;
        return i;
    }
    return -1;
}

int class_colour(const plot_settings& ps, double value)
{
    const int i = find_class(ps, value);
    return i < 0 ? -1 : ps.classes[i].colour;
}

void check_class_bounds(plot_settings& ps)
{
    const size_t n = ps.classes.size();
    if (n < 2) return;
    for (size_t i = 0; i + 1 < n; ++i)
        if (ps.classes[i].upper != ps.classes[i + 1].lower) return;
    for (size_t i = 0; i + 1 < n; ++i)
        if (!ps.classes[i].upper_inclusive) ps.classes[i + 1].lower_inclusive = true;
}

namespace {

// The sign of an open side in the legend: "<" below and ">" above for ascending classes.
std::string open_sign(const plot_settings& ps, bool first)
{
    const bool ascending = ps.classes.empty() || ps.classes.front().ascending;
    return first == ascending ? "<" : ">";
}

} // namespace

class_legend_geometry measure_class_legend(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    class_legend_geometry g;
    const double height = ps.text_height;
    gr.gr_set_char_height(height * 0.85);
    const int n = static_cast<int>(ps.classes.size());
    const double box = 4 * ps.legend_width;
    g.separator_width = gr.gr_text_width("-");
    for (int i = 0; i < n; ++i) {
        const map_class& c = ps.classes[i];
        if (!c.legend.empty()) {
            g.total_width = std::max(g.total_width, gr.gr_text_width(c.legend) + box + 1);
            continue;
        }
        if (!(i == 0 && ps.first_class_open_below)) g.first_width = std::max(g.first_width, gr.gr_text_width(c.lower_name));
        if (!(i == n - 1 && ps.last_class_open_above)) g.second_width = std::max(g.second_width, gr.gr_text_width(c.upper_name));
    }
    if (g.first_width > 0 || g.second_width > 0)
        g.total_width = std::max(g.total_width, g.first_width + box + 3 + g.separator_width + g.second_width);
    for (const extra_class& e : ps.extra_classes) g.total_width = std::max(g.total_width, gr.gr_text_width(e.text) + box + 1);
    if (!ps.matrix_title.empty()) g.total_width = std::max(g.total_width, gr.gr_text_width(ps.matrix_title));
    gr.gr_set_char_height(height);
    return g;
}

void draw_class_legend(plot_settings& ps, double x, double top, double h)
{
    graphics_layer& gr = *ps.gr;
    const class_legend_geometry g = measure_class_legend(ps);
    const int n = static_cast<int>(ps.classes.size());
    const int rows = n + static_cast<int>(ps.extra_classes.size());
    const double c = ps.text_height * 0.85 / ps.font_factor;
    const double box = 4 * ps.legend_width;
    const bool boxed = ps.legendbox != 0;
    gr.gr_set_fill_style(2);
    gr.gr_set_line_width(1.0);
    if (ps.legend_background) {
        gr.gr_set_colour(ps.legend_background);
        gr.gr_rectangle(x, top - rows * h - (boxed ? 2 : 0), x + g.total_width + (boxed ? 2 : 0),
                        top + (ps.matrix_title.empty() ? 0 : 1.8 * c));
    }
    const double title_x = boxed ? x - 1 : x;
    if (boxed) {
        gr.gr_set_colour(1);
        gr.gr_set_fill_style(1);
        gr.gr_rectangle(x, top - rows * h - 2, x + g.total_width + 2, top);
        gr.gr_set_fill_style(2);
        x += 1;
        top -= 1;
    }
    auto draw_box = [&](int row, int colour, bool with_text) {
        if (colour == 0 && ps.app.exporting && ps.app.transparent_background) return;
        gr.gr_set_colour(colour);
        if (ps.open_matrix_legend) {
            if (!with_text) return;
            gr.gr_rectangle(x, top - (row + 0.8) * h, x + box, top - (row + 0.2) * h);
            gr.gr_set_colour(1);
            gr.gr_set_fill_style(1);
            gr.gr_rectangle(x, top - (row + 0.8) * h, x + box, top - (row + 0.2) * h);
            gr.gr_set_fill_style(2);
        } else {
            gr.gr_rectangle(x, top - (row + 1) * h, x + box, top - row * h);
            if (!ps.range_colours && row > 0) {
                gr.gr_set_colour(1);
                gr.gr_move_to(x, top - row * h);
                gr.gr_line_to(x + box, top - row * h);
            }
        }
    };
    for (int i = 0; i < n; ++i) {
        const bool background = ps.colour_background && ((!ps.reverse && i == 0) || (ps.reverse && i == n - 1));
        draw_box(i, background ? ps.graph_background : ps.classes[i].colour, true);
    }
    for (size_t j = 0; j < ps.extra_classes.size(); ++j)
        draw_box(n + static_cast<int>(j), ps.extra_classes[j].colour, !ps.extra_classes[j].text.empty());
    if (!ps.open_matrix_legend && rows > 0) {
        gr.gr_set_colour(1);
        gr.gr_set_fill_style(1);
        gr.gr_rectangle(x, top - rows * h, x + box, top);
        gr.gr_set_fill_style(2);
    }
    gr.gr_set_colour(1);
    gr.gr_set_char_height(ps.text_height * 0.85);
    if (!ps.matrix_title.empty()) {
        gr.gr_move_to(title_x, top + 0.8 * c);
        gr.gr_text(ps.matrix_title);
    }
    const double first_right = x + 1 + box + g.first_width;
    const double separator_middle = first_right + 1 + g.separator_width / 2;
    const double second_right = first_right + 2 + g.separator_width + g.second_width;
    for (int i = 0; i < rows; ++i) {
        const double y = top - (i + 0.5) * h - 0.425 * c;
        if (i >= n) {
            gr.gr_move_to(x + 1 + box, y);
            gr.gr_text(ps.extra_classes[i - n].text);
            continue;
        }
        const map_class& cl = ps.classes[i];
        if (!cl.legend.empty()) {
            gr.gr_move_to(x + 1 + box, y);
            gr.gr_text(cl.legend);
            continue;
        }
        const bool open_first = i == 0 && ps.first_class_open_below;
        const bool open_last = i == n - 1 && ps.last_class_open_above;
        if (!open_first && !open_last) {
            gr.gr_move_to(first_right - gr.gr_text_width(cl.lower_name), y);
            gr.gr_text(cl.lower_name);
        }
        const std::string sep = open_first ? open_sign(ps, true) : open_last ? open_sign(ps, false) : "-";
        gr.gr_move_to(separator_middle - gr.gr_text_width(sep) / 2, y);
        gr.gr_text(sep);
        const std::string& second = open_last ? cl.lower_name : cl.upper_name;
        gr.gr_move_to(second_right - gr.gr_text_width(second), y);
        gr.gr_text(second);
    }
    gr.gr_set_char_height(ps.text_height);
}

} // namespace plotwell
