#pragma once
// The graphics layer as the plot core draws through it.
//
// Coordinates are world coordinates unless said otherwise. The viewport is given in device units with
// y measured upward from the bottom of the page; setting it resets the window to (0, 0, 1, 1). World
// (0, 0) is always the viewport's lower-left corner: the window only sets the scale.
// Character heights are percent of the viewport height; text widths come back in percent of the
// viewport width, which are world x units while the window is 0..100.
#include <cstdint>
#include <string>
#include <vector>

namespace plotwell {

// A user marker shape (markers 20..29): polygons of point offsets, each in a colour of its own.
struct marker_polygon {
    int colour = 1; // colour index; a negative value means the current colour
    int mode = 0;
    std::vector<float> xs, ys;
};
using marker_shape_set = std::vector<marker_polygon>;

// A picture marker (markers 30..39): 24-bit RGB pixels, rows top first.
struct marker_picture {
    int transparent = 0;
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
};

class graphics_layer {
public:
    virtual ~graphics_layer() = default;

    virtual void gr_open_workstation() = 0;
    virtual void gr_close_workstation() = 0;
    virtual void gr_set_viewport(double x1, double y1, double x2, double y2) = 0;
    virtual void gr_set_window(double x1, double y1, double x2, double y2) = 0;
    // Switches clipping off on the device until the next viewport is set.
    virtual void gr_clipping_off() = 0;

    virtual void gr_move_to(double x, double y) = 0;
    virtual void gr_line_to(double x, double y) = 0;
    virtual void gr_polyline(int n, const float* xs, const float* ys) = 0;
    virtual void gr_fill_area(int n, const float* xs, const float* ys) = 0;
    virtual void gr_rectangle(double x1, double y1, double x2, double y2) = 0;
    virtual void gr_circle(double x, double y, double radius) = 0;
    virtual void gr_marker(double x, double y, int number, double size) = 0;
    virtual void gr_text(const std::string& text) = 0;
    virtual double gr_text_width(const std::string& text) = 0;
    virtual void gr_draw_bitmap(int transparent_colour, int filter, int tolerance) = 0;

    virtual void gr_set_colour(int index) = 0;
    virtual void gr_define_colour(int index, double red, double green, double blue) = 0;
    virtual void gr_set_line_type(int type) = 0;
    virtual void gr_set_line_width(double width) = 0;
    virtual void gr_set_fill_style(int style) = 0;
    virtual void gr_set_marker_world_size(double size) = 0;
    virtual void gr_set_marker_scale(double factor) = 0;
    virtual void gr_set_text_angle(double angle) = 0;
    virtual void gr_set_char_height(double height) = 0;
    virtual void gr_select_font() = 0;
    virtual void gr_update_font_number() = 0;

    // Pictures and marker definitions the plot core prepares for the layer.
    // Reads a picture file as 24-bit RGB; empty when it cannot be read.
    virtual std::vector<std::uint8_t> load_bitmap_file(const std::string& name, int& width, int& height) = 0;
    virtual void gr_define_marker_shape(int index, const marker_shape_set& shapes) = 0;
    virtual void gr_define_marker_picture(int index, const marker_picture& picture) = 0;

    // Device geometry the plot core reads: one percent of the page in device units, and the current
    // viewport's width and height in device units divided by 100.
    virtual double page_width_pct() const = 0;
    virtual double page_height_pct() const = 0;
    virtual double viewport_width_pct() const = 0;
    virtual double viewport_height_pct() const = 0;
};

} // namespace plotwell
