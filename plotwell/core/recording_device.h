#pragma once
// A graphics device that draws nothing and records every call of the graphics layer as one text line
// ("gr_line_to 0.5 0.25"), numbers written in the shortest form of six significant digits. Tests compare
// the log with checked-in logs; the command-line driver writes it to a file.
#include "plotwell/core/graphics_layer.h"

#include <cstdio>
#include <string>

namespace plotwell {

class recording_device : public graphics_layer {
public:
    // Page size in device units (pixels of the picture the device stands for).
    explicit recording_device(double page_width = 1000.0, double page_height = 700.0);
    ~recording_device() override;

    // Log lines go to the file when one is given (appended in blocks), else they stay in memory.
    void set_output(std::FILE* file);
    const std::string& log() const { return log_; }
    void clear_log() { log_.clear(); }
    long long call_count() const { return calls_; }

    void gr_open_workstation() override;
    void gr_close_workstation() override;
    void gr_set_viewport(double x1, double y1, double x2, double y2) override;
    void gr_set_window(double x1, double y1, double x2, double y2) override;
    void gr_clipping_off() override;
    void gr_move_to(double x, double y) override;
    void gr_line_to(double x, double y) override;
    void gr_polyline(int n, const float* xs, const float* ys) override;
    void gr_fill_area(int n, const float* xs, const float* ys) override;
    void gr_rectangle(double x1, double y1, double x2, double y2) override;
    void gr_circle(double x, double y, double radius) override;
    void gr_marker(double x, double y, int number, double size) override;
    void gr_text(const std::string& text) override;
    double gr_text_width(const std::string& text) override;
    void gr_draw_picture(const picture_placement& picture) override;
    void gr_set_colour(int index) override;
    void gr_define_colour(int index, double red, double green, double blue) override;
    // Logged as the entries and patterns that differ from the built-in table, so that a log shows
    // what a colour file or a colour ramp changed.
    void gr_set_colour_table(const colour_table& table) override;
    void gr_set_fill_pattern(int pattern) override;
    void gr_define_fill_picture(int index, const rgb_picture& picture) override;
    void gr_set_line_type(int type) override;
    void gr_set_line_width(double width) override;
    void gr_set_fill_style(int style) override;
    void gr_set_marker_world_size(double size) override;
    void gr_set_marker_scale(double factor) override;
    void gr_set_text_angle(double angle) override;
    void gr_set_char_height(double height) override;
    void gr_set_font(const text_font& font) override;
    void gr_set_escape_char(char c) override;
    // A device without picture codecs: the request is logged and nothing is read.
    std::vector<std::uint8_t> load_bitmap_file(const std::string& name, int& width, int& height) override;
    void gr_define_marker_shape(int index, const marker_shape_set& shapes) override;
    void gr_define_marker_picture(int index, const marker_picture& picture) override;

    double page_width_pct() const override { return page_width_ / 100.0; }
    double page_height_pct() const override { return page_height_ / 100.0; }
    double viewport_width_pct() const override { return (vp_x2_ - vp_x1_) / 100.0; }
    double viewport_height_pct() const override { return (vp_y2_ - vp_y1_) / 100.0; }

    // Width of a text in percent of the viewport width: every character is 0.6 of the character
    // height wide; a part between two escape-P marks counts at 0.6 of that (a raised exponent).
    static double text_width_in_heights(const std::string& text, char escape_char);

private:
    void begin(const char* name);
    void number(double v);
    void end();
    void quoted(const std::string& text);

    double page_width_, page_height_;
    double vp_x1_ = 0, vp_y1_ = 0, vp_x2_ = 0, vp_y2_ = 0;
    double char_height_ = 1.0;
    bool text_vertical_ = false;
    char escape_char_ = 27;
    std::string log_;
    std::FILE* out_ = nullptr;
    long long calls_ = 0;
};

} // namespace plotwell
