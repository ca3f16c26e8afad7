#include "plotwell/core/job_files.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/chart_frame.h"
#include "plotwell/core/data_file_readers.h"
#include "plotwell/core/data_set_legend.h"
#include "plotwell/core/map_classes.h"
#include "plotwell/core/page_pictures.h"
#include "plotwell/core/page_texts.h"
#include "plotwell/core/plot_defaults.h"
#include "plotwell/core/plot_driver.h"
#include "plotwell/core/plot_utilities.h"
#include "plotwell/core/settings_language.h"
#include "plotwell/core/shared_routines.h"
#include "plotwell/core/xy_call.h"

#include <cmath>

namespace plotwell {

namespace {

// The job file's lines as the settings reader gives them (comments and empty lines dropped, the
// first word upper-cased).
std::vector<std::string> job_lines(const plot_settings& ps)
{
    std::FILE* f = open_file_or_fail(ps.shared, ps.job_file_name, "r");
    std::vector<std::string> lines = read_settings_lines(f);
    std::fclose(f);
    return lines;
}

std::string first_word(const std::string& line) { return line.substr(0, line.find_first_of(" \t")); }

std::vector<double> coordinates(const std::string& word, size_t count, const char* keyword)
{
    std::vector<std::string> p = split_fields(word, ',', 16);
    if (p.size() != count) fatal_error("%s setting needs %d coordinates ','-seperated\n", keyword, static_cast<int>(count));
    std::vector<double> v;
    for (const std::string& s : p) v.push_back(finite_number(s, keyword));
    return v;
}

bool numeric(const std::vector<std::string>& w, size_t i) { return w.size() > i && is_number(w[i]); }

// A date or time position token: "r" endings right-align, "m" endings centre; a token that begins
// with r or m stands for the page's right edge or middle.
double page_x(const std::string& token, int& alignment)
{
    alignment = 0;
    if (token.empty()) return 0;
    const char last = token.back();
    if (last == 'r') alignment = 2;
    else if (last == 'm') alignment = 1;
    if (token[0] == 'r') return 100;
    if (token[0] == 'm') return 50;
    return to_double(token);
}

} // namespace

int run_job_file(plot_settings& ps)
{
    const std::vector<std::string> lines = job_lines(ps);
    // a legend for the whole page replaces the legends of the graphs
    for (const std::string& l : lines)
        if (first_word(l) == "CENTRAL_LEGEND") {
            ps.central_legend = 1;
            break;
        }
    for (const std::string& l : lines) {
        if (first_word(l) != "ALLMAPS_COORDS") continue;
        std::vector<std::string> w = split_fields(l, ' ', 200);
        std::vector<double> c = coordinates(w.size() > 1 ? w[1] : std::string(), 4, "ALLMAPS_COORDS");
        ps.allmaps_given = 1;
        ps.allmaps_x1 = c[0];
        ps.allmaps_y1 = c[1];
        ps.allmaps_x2 = c[2];
        ps.allmaps_y2 = c[3];
        break;
    }
    // the page shape: only the first such line can take effect
    for (const std::string& l : lines) {
        const bool portrait = l.compare(0, 8, "PORTRAIT") == 0, landscape = l.compare(0, 9, "LANDSCAPE") == 0;
        if (!portrait && !landscape) continue;
        if (!ps.postscript_output && !ps.app.exporting && ps.page_scale_x == 1.0f && ps.page_scale_y == 1.0f)
            apply_page_shape(ps, portrait ? 'p' : 'l');
    }
    const int central = ps.central_legend;
    for (const std::string& l : lines) {
        if (first_word(l) != "XY") continue;
        std::vector<std::string> words = split_call_line(l);
        reset_plot_settings(ps);
        ps.central_legend = central;
        draw_plot(ps, words, true);
        ps.state.drawn = 1;
    }
    return ps.state.drawn;
}

void draw_vignette_file(plot_settings& ps, double x1, double y1, double x2, double y2, const std::string& file)
{
    graphics_layer& gr = *ps.gr;
    const std::vector<vignette_group> groups = read_vignette_file(ps.shared, file);
    set_graph_viewport(ps, x1, y1, x2, y2, 1);
    gr.gr_set_fill_style(2);
    const bool mono = ps.vector_output() && !ps.colour_output;
    for (const vignette_group& g : groups) {
        if (g.xs.empty()) continue;
        const int n = static_cast<int>(g.xs.size());
        gr.gr_set_colour(mono ? 1 : ((g.colour + 1) & 255));
        if (g.type == 1 || g.type == 3) gr.gr_fill_area(n, g.xs.data(), g.ys.data());
        if (g.type == 3) gr.gr_set_colour(1);
        if (g.type == 2 || g.type == 3) gr.gr_polyline(n, g.xs.data(), g.ys.data());
    }
}

void draw_job_page(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    if (!ps.state.drawn) {
        // a page without graphs still gets its colours and background
        read_defaults_file(ps, 1);
        ps.colour_file_name = "xycolor.set";
        set_default_viewport(ps);
        open_page(ps);
        ++ps.calls_on_page;
        set_graph_viewport(ps, 0, 0, 100, 100, 100);
        gr.gr_set_colour(0);
        gr.gr_set_fill_style(2);
        gr.gr_rectangle(0, 0, 100, 100);
        draw_bitmaps(ps, true, true, true);
    }
    const std::array<double, 4> last_viewport = {ps.viewport_x1, ps.viewport_y1, ps.viewport_x2, ps.viewport_y2};
    set_graph_viewport(ps, 0, 0, 100, 100, 100);
    int colour = ps.state.text_colour;
    const bool mono_hardcopy = ps.hardcopy_output() && !ps.colour_output;
    for (const std::string& line : job_lines(ps)) {
        const std::string key = first_word(line);
        if (line.compare(0, 7, "ESCAPE=") == 0) {
            ps.escape_char = line.size() > 7 ? line[7] : '\0';
            gr.gr_set_escape_char(ps.escape_char);
            continue;
        }
        std::vector<std::string> w = split_fields(line, ' ', 200);
        if (w.empty()) continue;
        w[0] = key;
        if (key == "CENTRAL_LEGEND") {
            if (w.size() < 2) continue;
            std::vector<std::string> p = split_fields(w[1], ',', 4);
            const double size = numeric(w, 2) ? to_double(w[2]) : 1.0;
            const double saved_height = ps.text_height;
            gr.gr_set_colour(1);
            const double h = ps.base_text_height / 2 * size;
            gr.gr_set_char_height(h);
            gr.gr_set_marker_scale(h * 0.5 / ps.font_factor);
            ps.legend_pos_given = 1;
            ps.legend_x = p.empty() ? "0" : p[0];
            ps.legend_y = p.size() > 1 ? p[1] : "!";
            if ((ps.draw_map || ps.matrix_plot) && !ps.classes.empty()) {
                ps.text_height = size * 0.6 * ps.font_factor;
                draw_class_legend(ps, to_double(ps.legend_x), to_double(ps.legend_y), 5 * ps.char_width * size);
            } else {
                ps.central_legend = 0;
                draw_legend(ps);
                ps.central_legend = 1;
            }
            ps.text_height = saved_height;
            gr.gr_set_colour(1);
            gr.gr_set_char_height(saved_height);
        } else if (key == "FONT") {
            apply_font_line(ps, w, colour);
        } else if (key == "TITLE") {
            draw_placed_text(ps, w, "TITLE", "TITLE IN JOBFILE", colour, false);
        } else if (key == "LINE") {
            if (w.size() < 2) continue;
            std::vector<double> c = coordinates(w[1], 4, "LINE");
            gr.gr_set_colour(numeric(w, 4) ? ((to_int(w[4]) + 1) & 255) : 1);
            gr.gr_set_line_type(numeric(w, 2) ? to_int(w[2]) : 1);
            if (numeric(w, 3)) gr.gr_set_line_width(to_double(w[3]));
            gr.gr_move_to(c[0], c[1]);
            gr.gr_line_to(c[2], c[3]);
        } else if (key == "MARKER") {
            if (w.size() < 3) continue; // a marker without its number draws nothing
            std::vector<double> c = coordinates(w[1], 2, "MARKER");
            gr.gr_set_colour(numeric(w, 4) ? ((to_int(w[4]) + 1) & 255) : 1);
            gr.gr_set_marker_scale(numeric(w, 3) ? to_double(w[3]) : 1.0);
            gr.gr_marker(c[0], c[1], to_int(w[2]), 1.0);
        } else if (key == "BOX") {
            if (w.size() < 2) continue;
            std::vector<double> c = coordinates(w[1], 4, "BOX");
            const int mode = numeric(w, 3) ? to_int(w[3]) : 3;
            const int pattern = numeric(w, 4) ? to_int(w[4]) : 0;
            const bool patterned = pattern >= 1 && pattern <= 99;
            if (patterned) gr.gr_set_fill_pattern(pattern);
            if (mode == 1 || mode == 3) {
                gr.gr_set_fill_style(2);
                gr.gr_set_colour(numeric(w, 2) ? ((to_int(w[2]) + 1) & 255) : 0);
                gr.gr_rectangle(c[0], c[1], c[2], c[3]);
            }
            if (mode == 3 || mono_hardcopy) gr.gr_set_colour(1);
            if (mode == 2 || mode == 3) {
                if (mode == 2 && !mono_hardcopy) gr.gr_set_colour(numeric(w, 2) ? ((to_int(w[2]) + 1) & 255) : 0);
                gr.gr_set_fill_style(1);
                gr.gr_set_line_type(1);
                gr.gr_rectangle(c[0], c[1], c[2], c[3]);
                gr.gr_set_fill_style(2);
            }
            if (patterned) gr.gr_set_fill_pattern(0);
        } else if (key == "VIGNET") {
            if (w.size() < 2) continue;
            std::vector<double> c = coordinates(w[1], 4, "VIGNET");
            const std::string file = w.size() > 2 ? expand_environment_path(w[2]) : std::string("xyvignet.dat");
            draw_vignette_file(ps, c[0], c[1], c[2], c[3], file);
            set_graph_viewport(ps, last_viewport[0], last_viewport[1], last_viewport[2], last_viewport[3], 100);
            set_graph_viewport(ps, 0, 0, 100, 100, 100);
        } else if (key == "DATE" || key == "TIME") {
            if (w.size() < 2) continue;
            std::vector<std::string> p = split_fields(w[1], ',', 4);
            if (p.size() != 2) fatal_error("%s setting needs %d coordinates ','-seperated\n", key.c_str(), 2);
            double height = numeric(w, 2) ? to_double(w[2]) : 1.0;
            if (ps.postscript_output) correct_postscript_height(ps, height);
            int alignment;
            const double x = page_x(p[0], alignment);
            const bool english = !(numeric(w, 3) && to_double(w[3]) != 0);
            draw_date_time(ps, x, to_double(p[1]), height, alignment, key == "DATE", false, english);
        }
    }
    ps.state.text_colour = colour;
    if (ps.job_position_grid && ps.on_screen()) draw_position_grid(ps);
}

} // namespace plotwell
