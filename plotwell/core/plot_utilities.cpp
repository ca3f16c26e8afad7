#include "plotwell/core/plot_utilities.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/chart_frame.h"

#include <algorithm>
#include <sys/stat.h>

namespace plotwell {

void draw_segment(plot_settings& ps, double x, double y, double dx, double dy)
{
    ps.gr->gr_move_to(x, y);
    ps.gr->gr_line_to(x + dx, y + dy);
}

void draw_centred_text(plot_settings& ps, double x, double y, const std::string& text)
{
    double w = ps.gr->gr_text_width(text);
    ps.gr->gr_move_to(x - w / 2, y);
    ps.gr->gr_text(text);
}

void draw_title_block(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    const double ch = ps.base_text_height, f = ps.font_factor;
    if (ps.title_block_height == 0) ps.title_block_height = (ps.viewport_y2 - ps.viewport_y1) * 0.1;
    gr.gr_set_line_width(ps.state.line_width_base);
    gr.gr_set_fill_style(1);
    gr.gr_set_colour(1);
    gr.gr_rectangle(0, 0, 100, 100);
    gr.gr_set_fill_style(2);
    // The block is the strip 0..10 of the region, in the region's window 0..100.
    gr.gr_set_line_width(0.7 * ps.state.line_width_base);
    draw_segment(ps, 0, 10, 100, 0);
    draw_segment(ps, 10, 6.67, 90, 0);
    draw_segment(ps, 10, 0, 0, 10);
    draw_segment(ps, 80, 3.33, 20, 0);
    draw_segment(ps, 80, 0, 0, 6.67);
    gr.gr_set_line_width(ps.state.line_width_base);
    if (!ps.institute_default) {
        set_text_height(ps, 1.2 * ch);
        draw_centred_text(ps, 5, 5.8, ps.institute_text);
    }
    // (the vignette picture of the left cell comes with the picture drawing)
    set_text_height(ps, 0.8 * ch);
    gr.gr_set_colour(1);
    draw_centred_text(ps, 5, 2.5, ps.department_text);
    set_text_height(ps, 0.5 * ch);
    double w = gr.gr_text_width(ps.city_text);
    if (w > 10) set_text_height(ps, 9 / w * ps.text_height);
    draw_centred_text(ps, 5, 0.6, ps.city_text);
    set_text_height(ps, 0.6 * ch);
    double h = ps.text_height;
    gr.gr_move_to(12, 5 - h / 2 / f);
    gr.gr_text(ps.data_file_name);
    if (ps.settings_given) {
        gr.gr_move_to(12, ps.data_file_name.empty() ? 5 - h / 2 / f : 1.65 - h / 2 / f);
        gr.gr_text(ps.settings_file_name);
    }
    if (ps.title_given[2] || ps.title_given[3]) {
        double e = gr.gr_text_width(ps.data_file_name) + 14;
        if (ps.settings_given) e = std::max(e, gr.gr_text_width(ps.settings_file_name) + 14);
        if (ps.title_given[2]) fit_text_right(ps, 1, e, 5, ps.title[2]);
        if (ps.title_given[3]) fit_text_right(ps, 1, e, 1.65, ps.title[3]);
        set_text_height(ps, 0.6 * ch);
        draw_segment(ps, e, 0, 0, 6.7);
    }
    draw_centred_text(ps, 90, 5 - h * 0.5 / f, format_date_stamp(ps, true));
    draw_centred_text(ps, 90, 1.65 - h * 0.5 / f, format_time_stamp(ps));
    gr.gr_move_to(12, 8.35 - h / 2 / f);
    gr.gr_text(ps.name_text);
    set_graph_viewport(ps, ps.viewport_x1, ps.viewport_y1 + ps.title_block_height, ps.viewport_x2, ps.viewport_y2, 100);
}

static std::tm local_time(const plot_settings& ps)
{
    std::time_t t = ps.app.clock ? ps.app.clock() : std::time(nullptr);
    std::tm tm {};
    localtime_r(&t, &tm);
    return tm;
}

std::string format_date_stamp(const plot_settings& ps, bool english)
{
    static const char* const days_en[] = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
    static const char* const days_nl[] = {"Zo", "Ma", "Di", "Wo", "Do", "Vr", "Za"};
    static const char* const months_en[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const months_nl[] = {"Jan", "Feb", "Mrt", "Apr", "Mei", "Jun",
                                            "Jul", "Aug", "Sep", "Okt", "Nov", "Dec"};
    std::tm tm = local_time(ps);
    char buf[64];
    if (english)
        std::snprintf(buf, sizeof buf, "%s %s %d %d", days_en[tm.tm_wday], months_en[tm.tm_mon], tm.tm_mday, tm.tm_year + 1900);
    else
        std::snprintf(buf, sizeof buf, "%s %d %s %d", days_nl[tm.tm_wday], tm.tm_mday, months_nl[tm.tm_mon], tm.tm_year + 1900);
    return buf;
}

std::string format_time_stamp(const plot_settings& ps)
{
    std::tm tm = local_time(ps);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

std::string int_to_string(int value)
{
    std::string out;
    int v = value < 0 ? -value : value;
    do {
        out += static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0);
    if (value < 0) out += '-';
    reverse_string(out);
    return out;
}

void reverse_string(std::string& text) { std::reverse(text.begin(), text.end()); }

std::string file_base_name(const std::string& path)
{
    size_t start = path.find_last_of("\\/");
    start = start == std::string::npos ? 0 : start + 1;
    size_t dot = path.find('.', start);
    return path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
}

long count_lines(std::FILE* stream)
{
    long n = 0;
    char buf[1 << 16];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, stream)) > 0)
        for (size_t i = 0; i < got; ++i) n += buf[i] == '\n';
    std::rewind(stream);
    return n;
}

bool file_exists(const std::string& name)
{
    if (name.empty()) return false;
    struct stat st {};
    return stat(name.c_str(), &st) == 0;
}

} // namespace plotwell
