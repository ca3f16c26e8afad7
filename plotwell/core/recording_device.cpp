#include "plotwell/core/recording_device.h"

#include "plotwell/core/colour_table.h"

#include <charconv>
#include <cmath>

namespace plotwell {

recording_device::recording_device(double page_width, double page_height)
    : page_width_(page_width), page_height_(page_height), vp_x2_(page_width), vp_y2_(page_height)
{
}

recording_device::~recording_device()
{
    if (out_ && !log_.empty())
        std::fwrite(log_.data(), 1, log_.size(), out_);
}

void recording_device::set_output(std::FILE* file) { out_ = file; }

void recording_device::begin(const char* name)
{
    ++calls_;
    log_ += name;
}

void recording_device::number(double v)
{
    char buf[40];
    buf[0] = ' ';
    if (v == 0.0) v = 0.0; // no "-0" in the log
    auto res = std::to_chars(buf + 1, buf + sizeof buf, v, std::chars_format::general, 6);
    log_.append(buf, res.ptr);
}

void recording_device::end()
{
    log_ += '\n';
    if (out_ && log_.size() > (1u << 20)) {
        std::fwrite(log_.data(), 1, log_.size(), out_);
        log_.clear();
    }
}

void recording_device::gr_open_workstation() { begin("gr_open_workstation"); end(); }
void recording_device::gr_close_workstation() { begin("gr_close_workstation"); end(); }

void recording_device::gr_set_viewport(double x1, double y1, double x2, double y2)
{
    vp_x1_ = x1; vp_y1_ = y1; vp_x2_ = x2; vp_y2_ = y2;
    begin("gr_set_viewport"); number(x1); number(y1); number(x2); number(y2); end();
}

void recording_device::gr_set_window(double x1, double y1, double x2, double y2)
{
    begin("gr_set_window"); number(x1); number(y1); number(x2); number(y2); end();
}

void recording_device::gr_clipping_off() { begin("gr_clipping_off"); end(); }
void recording_device::gr_move_to(double x, double y) { begin("gr_move_to"); number(x); number(y); end(); }
void recording_device::gr_line_to(double x, double y) { begin("gr_line_to"); number(x); number(y); end(); }

void recording_device::gr_polyline(int n, const float* xs, const float* ys)
{
    begin("gr_polyline");
    number(n);
    for (int i = 0; i < n; ++i) { number(xs[i]); number(ys[i]); }
    end();
}

void recording_device::gr_fill_area(int n, const float* xs, const float* ys)
{
    begin("gr_fill_area");
    number(n);
    for (int i = 0; i < n; ++i) { number(xs[i]); number(ys[i]); }
    end();
}

void recording_device::gr_rectangle(double x1, double y1, double x2, double y2)
{
    begin("gr_rectangle"); number(x1); number(y1); number(x2); number(y2); end();
}

void recording_device::gr_circle(double x, double y, double r)
{
    begin("gr_circle"); number(x); number(y); number(r); end();
}

void recording_device::gr_marker(double x, double y, int number_, double size)
{
    begin("gr_marker"); number(x); number(y); number(number_); number(size); end();
}

void recording_device::quoted(const std::string& text)
{
    log_ += " \"";
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 32) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(c));
            log_ += buf;
        } else {
            log_ += c;
        }
    }
    log_ += '"';
}

void recording_device::gr_text(const std::string& text)
{
    begin("gr_text");
    quoted(text);
    end();
}

double recording_device::text_width_in_heights(const std::string& text, char escape_char)
{
    double width = 0;
    bool raised = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == escape_char && i + 1 < text.size()) {
            if (text[i + 1] == 'P') raised = !raised;
            ++i;
            continue;
        }
        width += raised ? 0.36 : 0.6;
    }
    return width;
}

double recording_device::gr_text_width(const std::string& text)
{
    // The answer is part of what the core lays out, so the query is logged too.
    double vw = vp_x2_ - vp_x1_, vh = vp_y2_ - vp_y1_;
    double w = 0;
    if (vw != 0) {
        double along = text_vertical_ ? vh : vw;
        w = text_width_in_heights(text, escape_char_) * char_height_ * vh / along;
    }
    begin("gr_text_width");
    log_ += " \"" + text + "\" ->";
    number(w);
    end();
    return w;
}

void recording_device::gr_draw_picture(const picture_placement& p)
{
    begin("gr_draw_picture");
    quoted(p.file);
    if (p.whole_device) {
        log_ += " whole";
    } else {
        number(p.x1); number(p.y1); number(p.x2); number(p.y2);
        log_ += " cut";
        number(p.cut_left); number(p.cut_bottom); number(p.cut_right); number(p.cut_top);
    }
    log_ += " transparent";
    number(p.transparent_colour);
    number(p.tolerance);
    log_ += " option";
    number(p.option);
    end();
}

void recording_device::gr_set_colour_table(const colour_table& table)
{
    static const colour_table builtin = builtin_colour_table();
    begin("gr_set_colour_table");
    if (table.use_palette) log_ += " palette";
    for (int i = 0; i < 256; ++i) {
        const rgb_colour& c = table.entries[i];
        if (c == builtin.entries[i]) continue;
        char buf[32];
        std::snprintf(buf, sizeof buf, " %d:%d,%d,%d", i, c.red, c.green, c.blue);
        log_ += buf;
    }
    for (int i = 0; i < 256; ++i) {
        if (!table.patterns[i]) continue;
        char buf[32];
        std::snprintf(buf, sizeof buf, " pattern %d:%d", i, table.patterns[i]);
        log_ += buf;
    }
    end();
}

void recording_device::gr_set_fill_pattern(int pattern) { begin("gr_set_fill_pattern"); number(pattern); end(); }

void recording_device::gr_define_fill_picture(int index, const rgb_picture& picture)
{
    begin("gr_define_fill_picture");
    number(index); number(picture.width); number(picture.height); number(picture.transparent);
    end();
}

void recording_device::gr_set_colour(int index) { begin("gr_set_colour"); number(index & 255); end(); }

void recording_device::gr_define_colour(int index, double r, double g, double b)
{
    begin("gr_define_colour"); number(index); number(r); number(g); number(b); end();
}

void recording_device::gr_set_line_type(int type) { begin("gr_set_line_type"); number(type); end(); }
void recording_device::gr_set_line_width(double w) { begin("gr_set_line_width"); number(w); end(); }
void recording_device::gr_set_fill_style(int s) { begin("gr_set_fill_style"); number(s); end(); }
void recording_device::gr_set_marker_world_size(double s) { begin("gr_set_marker_world_size"); number(s); end(); }
void recording_device::gr_set_marker_scale(double f) { begin("gr_set_marker_scale"); number(f); end(); }

void recording_device::gr_set_text_angle(double angle)
{
    text_vertical_ = (angle == 90.0);
    begin("gr_set_text_angle"); number(angle); end();
}

void recording_device::gr_set_char_height(double h)
{
    char_height_ = h;
    begin("gr_set_char_height"); number(h); end();
}

void recording_device::gr_set_font(const text_font& font)
{
    static const char* const families[] = {"helvetica", "times", "courier", "symbol"};
    begin("gr_set_font");
    log_ += ' ';
    log_ += families[static_cast<int>(font.family) & 3];
    if (font.bold) log_ += " bold";
    if (font.italic) log_ += " italic";
    end();
}

void recording_device::gr_set_escape_char(char c)
{
    escape_char_ = c;
    begin("gr_set_escape_char"); number(static_cast<unsigned char>(c)); end();
}

std::vector<std::uint8_t> recording_device::load_bitmap_file(const std::string& name, int& width, int& height)
{
    width = height = 0;
    begin("load_bitmap_file");
    log_ += " \"" + name + "\"";
    end();
    return {};
}

void recording_device::gr_define_marker_shape(int index, const marker_shape_set& shapes)
{
    begin("gr_define_marker_shape");
    number(index);
    number(static_cast<double>(shapes.size()));
    for (const marker_polygon& p : shapes) {
        number(p.colour);
        number(p.mode);
        number(static_cast<double>(p.xs.size()));
        for (size_t k = 0; k < p.xs.size(); ++k) {
            number(p.xs[k]);
            number(p.ys[k]);
        }
    }
    end();
}

void recording_device::gr_define_marker_picture(int index, const marker_picture& picture)
{
    begin("gr_define_marker_picture");
    number(index);
    number(picture.transparent);
    number(picture.width);
    number(picture.height);
    end();
}

} // namespace plotwell
