#pragma once
// The graphics layer as the plot core draws through it.
//
// Coordinates are world coordinates unless said otherwise. The viewport is given in device units with
// y measured upward from the bottom of the page; setting it resets the window to (0, 0, 1, 1). World
// (0, 0) is always the viewport's lower-left corner: the window only sets the scale.
// Character heights are percent of the viewport height; text widths come back in percent of the
// viewport width, which are world x units while the window is 0..100.
//
// Colours are indexes 0..255 into one colour table that the plot core fills before it draws
// (gr_set_colour_table); index 0 is the background, index 1 the text colour.
#include <array>
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

// A picture in memory: 24-bit RGB pixels (red, green, blue bytes), rows top first, no row padding.
// As a marker (markers 30..39) or a fill, `transparent` is the colour index whose pixels are not
// drawn (-1: every pixel is drawn); the plot core has already set every pixel within the
// tolerance of that colour to exactly its table colour.
struct rgb_picture {
    int transparent = -1;
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
};
using marker_picture = rgb_picture;

struct rgb_colour {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const rgb_colour&, const rgb_colour&) = default;
};

// The whole colour table of a drawing.
struct colour_table {
    std::array<rgb_colour, 256> entries{};
    // Fill pattern per colour index: 0 solid; 1..99 a hatch drawn in the colour over the
    // background colour wherever that index fills an area. Pattern p hatches in style (p - 1) % 6
    // (0 horizontal, 1 vertical, 2 rising diagonal, 3 falling diagonal, 4 square cross,
    // 5 diagonal cross) with lines 4 + 2 x ((p - 1) / 6) device points apart.
    std::array<std::uint8_t, 256> patterns{};
    // The screen works through a 256-entry palette that mirrors the table.
    bool use_palette = false;
};

// A bar's rectangle in world coordinates.
struct bar_rectangle {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

enum class font_family { helvetica, times, courier, symbol };

// The font of the texts that follow.
struct text_font {
    font_family family = font_family::helvetica;
    bool bold = false, italic = false;
    friend bool operator==(const text_font&, const text_font&) = default;
};

// Where a picture file goes on the page.
struct picture_placement {
    std::string file;
    // The picture fills the device's whole drawing rectangle; the rectangle below is not used.
    bool whole_device = false;
    // Target rectangle in percent of the page, y upward from the bottom (as viewports).
    double x1 = 0, y1 = 0, x2 = 100, y2 = 100;
    // Fractions (0..1) of the picture's width and height cut off at each side before it is
    // stretched into the rectangle.
    double cut_left = 0, cut_bottom = 0, cut_right = 0, cut_top = 0;
    // Colour index whose pixels stay transparent (-1 none), and the largest squared RGB distance
    // (0..195076) at which a pixel still counts as that colour.
    int transparent_colour = -1;
    int tolerance = 2000;
    // Drawing option 0..14, handed through from the settings (the device's resampling filter).
    int option = 0;
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
    // A closed polygon filled in the current colour (its pattern or picture fill when the colour has
    // one); with fill style 1 only its outline.
    virtual void gr_fill_area(int n, const float* xs, const float* ys) = 0;
    virtual void gr_rectangle(double x1, double y1, double x2, double y2) = 0;
    // Bars in one colour, in order: each is filled in `colour` (fill style 2, line type 1) and then,
    // with `outline`, framed in colour 1 at `outline_width` (fill style 1). The calls leave the state
    // as the last bar's calls do. A device may draw them as one batch as long as the picture is the
    // same as that of the calls one bar after the other.
    virtual void gr_bars(const std::vector<bar_rectangle>& bars, int colour, bool outline, double outline_width);
    virtual void gr_circle(double x, double y, double radius) = 0;
    virtual void gr_marker(double x, double y, int number, double size) = 0;
    // Draws the text at the current point. The escape character followed by 'P' switches a raised
    // exponent (smaller characters, lifted by half a character) on and off; the escape character with
    // any other letter is not drawn.
    virtual void gr_text(const std::string& text) = 0;
    virtual double gr_text_width(const std::string& text) = 0;
    virtual void gr_draw_picture(const picture_placement& picture) = 0;

    virtual void gr_set_colour(int index) = 0;
    virtual void gr_define_colour(int index, double red, double green, double blue) = 0;
    // Replaces the whole colour table, its fill patterns and the palette choice.
    virtual void gr_set_colour_table(const colour_table& table) = 0;
    // A fill pattern (0 solid, 1..99 as in colour_table) for every fill until the next call; it takes
    // precedence over the pattern of the colour index.
    virtual void gr_set_fill_pattern(int pattern) = 0;
    // Every area filled in this colour index is tiled with the picture (a picture with no pixels
    // removes the fill).
    virtual void gr_define_fill_picture(int index, const rgb_picture& picture) = 0;
    virtual void gr_set_line_type(int type) = 0;
    virtual void gr_set_line_width(double width) = 0;
    virtual void gr_set_fill_style(int style) = 0;
    virtual void gr_set_marker_world_size(double size) = 0;
    virtual void gr_set_marker_scale(double factor) = 0;
    virtual void gr_set_text_angle(double angle) = 0;
    virtual void gr_set_char_height(double height) = 0;
    virtual void gr_set_font(const text_font& font) = 0;
    virtual void gr_set_escape_char(char c) = 0;

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
