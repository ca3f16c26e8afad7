#include "plotwell/core/page_texts.h"

#include "plotwell/core/map_decorations.h"

#include "plotwell/core/chart_frame.h"
#include "plotwell/core/plot_utilities.h"
#include "plotwell/core/series_keywords.h"
#include "plotwell/core/shared_routines.h"

namespace plotwell {

void correct_postscript_height(plot_settings& ps, double& height)
{
    ps.font_factor = ps.font_courier ? 1.66 : ps.font_times ? 1.5 : 1.34;
    height *= ps.font_factor;
}

static double token_number(const std::string& t, size_t from)
{
    return t.size() > from && is_number(t.substr(from)) ? to_double(t.substr(from)) : 0.0;
}

double text_x_position(const plot_settings& ps, const std::string& token, bool relative, char& align)
{
    align = 0;
    if (token.size() > 1 && (token.back() == 'm' || token.back() == 'r')) align = token.back();
    if (is_number(token)) return to_double(token);
    char c = token.empty() ? 'L' : token[0];
    switch (c) {
    case 'L': return ps.state.frame_left + token_number(token, 1);
    case 'R': return ps.state.frame_left + ps.state.frame_width + token_number(token, 1);
    case 'r':
        if (token.size() == 1) align = 0;
        return relative ? ps.state.frame_left + ps.state.frame_width : 100;
    case 'm':
        if (token.size() == 1) align = 0;
        return relative ? ps.state.frame_left + ps.state.frame_width / 2 : 50;
    default: return to_double(token);
    }
}

double text_y_position(const plot_settings& ps, const std::string& token, char& align)
{
    align = token.size() > 1 && token.back() == 'm' ? 'm' : 0;
    if (is_number(token)) return to_double(token);
    char c = token.empty() ? 'B' : token[0];
    switch (c) {
    case 'T': return ps.state.frame_top + token_number(token, 1);
    case 'B': return ps.state.frame_bottom + token_number(token, 1);
    case 'm': return ps.state.frame_bottom + ps.state.frame_height / 2;
    default: return to_double(token);
    }
}

int draw_placed_text(plot_settings& ps, const std::vector<std::string>& w, const char* keyword, const char* error_name,
                     int colour, bool relative_to_frame)
{
    if (w.empty() || w[0] != keyword) return 0;
    // the zoomed map view shows its own read-out of the coordinates and the scale
    if (ps.app.zoom_shown && ps.draw_map && w.size() > 1 && w[1].find("X:") != std::string::npos &&
        w[1].find("Y:") != std::string::npos && w[1].find("schaal") != std::string::npos)
        return 1;
    graphics_layer& gr = *ps.gr;
    gr.gr_set_colour(colour);
    if (w.size() < 3) return 1;
    std::vector<std::string> pos = split_fields(w[2], ',', 200);
    if (pos.size() != 2) fatal_error("%s setting needs %d coordinates ','-seperated\n", error_name, 2);
    double height = w.size() > 3 ? finite_number(w[3], error_name) : 3.0;
    bool vertical = w.size() > 4 && to_double(w[4]) != 0;
    if (vertical) gr.gr_set_text_angle(90);
    if (ps.postscript_output) correct_postscript_height(ps, height);
    ps.text_height = height;
    gr.gr_set_char_height(height);
    char xa, ya;
    double x = text_x_position(ps, pos[0], relative_to_frame, xa);
    double y = text_y_position(ps, pos[1], ya);
    double width = (xa == 'm' || xa == 'r') ? gr.gr_text_width(w[1]) : 0;
    if (xa == 'm') x -= width / 2;
    else if (xa == 'r') x -= width;
    if (ya == 'm') y -= ps.text_height / ps.font_factor / 2;
    gr.gr_move_to(x, y);
    gr.gr_text(w[1]);
    if (vertical) gr.gr_set_text_angle(0);
    return 1;
}

void apply_font(plot_settings& ps)
{
    text_font font;
    font.family = ps.font_symbol ? font_family::symbol
                  : ps.font_courier ? font_family::courier
                  : ps.font_times ? font_family::times
                                  : font_family::helvetica;
    font.bold = ps.bold != 0;
    font.italic = ps.italic != 0;
    ps.gr->gr_set_font(font);
}

void apply_font_line(plot_settings& ps, const std::vector<std::string>& w, int& colour)
{
    ps.bold = ps.italic = ps.font_symbol = 0;
    for (size_t i = 1; i < w.size(); ++i) {
        std::string v = w[i];
        to_upper_string(v);
        if (v == "BOLD") ps.bold = 1;
        else if (v == "COURIER") { ps.font_courier = 1; ps.font_times = 0; }
        else if (v == "TIMES_ROMAN") { ps.font_times = 1; ps.font_courier = 0; }
        else if (v == "HELVETICA") ps.font_times = ps.font_courier = 0;
        else if (v == "ITALIC") ps.italic = 1;
        else if (v == "SYMBOL") ps.font_symbol = 1;
        else if (v.rfind("COLOR_", 0) == 0 && is_number(v.substr(6))) colour = to_int(v.substr(6)) + 1;
    }
    apply_font(ps);
    if (monochrome(ps)) colour = 1;
}

void draw_date_time(plot_settings& ps, double x, double y, double height, int alignment, bool is_date, bool lift,
                    bool english)
{
    graphics_layer& gr = *ps.gr;
    std::string text = is_date ? format_date_stamp(ps, english) : format_time_stamp(ps);
    text = text.substr(0, 19);
    gr.gr_set_char_height(height);
    if (lift) y -= height * 0.5 / ps.font_factor;
    if (alignment) {
        double w = gr.gr_text_width(text);
        x -= alignment == 1 ? w / 2 : w;
    }
    gr.gr_set_colour(1);
    gr.gr_move_to(x, y);
    gr.gr_text(text);
}

void draw_settings_texts(plot_settings& ps)
{
    int colour = 1;
    for (const std::string& line : ps.settings_lines) {
        std::vector<std::string> w = split_fields(line, ' ', 200);
        if (w.empty()) continue;
        if (w[0] == "FONT") {
            apply_font_line(ps, w, colour);
        } else if ((w[0] == "DRAW_DATE" || w[0] == "DRAW_TIME") && w.size() > 1) {
            std::vector<std::string> pos = split_fields(w[1], ',', 200);
            if (pos.size() != 2) fatal_error("%s setting needs %d coordinates ','-seperated\n", w[0].c_str(), 2);
            double height = w.size() > 2 ? finite_number(w[2], w[0].c_str()) : 3.0;
            if (ps.postscript_output) correct_postscript_height(ps, height);
            // placed like the map decorations: the codes L, R, m, B, T against the axes, the text's
            // own width and height for centring and right alignment
            const bool is_date = w[0] == "DRAW_DATE";
            const bool english = !(w.size() > 3 && is_number(w[3]) && to_double(w[3]) != 0);
            const std::string text = (is_date ? format_date_stamp(ps, english) : format_time_stamp(ps)).substr(0, 19);
            ps.gr->gr_set_char_height(height);
            double x = 0, y = 0;
            place_map_item(ps, pos[0], pos[1], ps.gr->gr_text_width(text), height, x, y);
            draw_date_time(ps, x, y, height, 0, is_date, false, english);
        } else {
            draw_placed_text(ps, w, "TEXT", "TEXT IN SETFILE", colour, true);
        }
    }
    set_text_height(ps, ps.base_text_height);
}

} // namespace plotwell
