#pragma once
// plotwell's graphics layer: the one device state that the plot core draws through, with its two
// back ends. With `ps_output` every primitive is written to a PostScript file (postscript_back_end);
// otherwise it is drawn on the device contexts that the window, printing and export code prepared
// (gdi_back_end), chosen the same way for every primitive:
//   - exporting: the metafile context when there is one, else the export bitmap context, nothing else;
//   - otherwise: the mirror context first (the main window's off-screen bitmap) when not printing and
//     the main window draws, then the drawing context.
// World (0, 0) is always the viewport's lower-left corner; the window only sets the scale. Device
// coordinates are made by truncation toward zero; GDI device y runs downward from the page top.
// There is one state per program and one drawing at a time.
#include "plotwell/core/graphics_layer.h"
#include "platform/win/WinGdi.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace plotwell {

struct plot_settings;

// Truncation to a signed 16-bit device coordinate (values beyond the range wrap).
inline int trunc16(double v) { return static_cast<std::int16_t>(static_cast<long long>(v)); }

// The smallest and largest device x and y drawn (GDI y downward); picture export crops to it.
struct drawn_extent_box {
    int min_x = 1000000, max_x = -1000000, min_y = 1000000, max_y = -1000000;
    void reset() { *this = drawn_extent_box{}; }
    void widen(double x, double y);
    bool empty() const { return min_x > max_x || min_y > max_y; }
};

// Where a picture goes on the device (device units, y downward) and which part of it shows.
struct picture_target {
    std::string file_name;
    int left = 0, top = 0, right = 0, bottom = 0;
    bool align_right = false, align_bottom = false, aspect_from_height = false, aspect_from_width = false;
    int tiles = 0;
    double crop_left = 0, crop_width = 1, crop_top = 0, crop_height = 1;
};

// A picture that fills the areas of one colour.
struct colour_picture_fill {
    bool in_use = false;
    int transparent = -1;
    int tile_width = 0, tile_height = 0;
    std::uint32_t transparent_colour = 0;
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels; // 24-bit RGB, rows top first
};

class plot_graphics : public graphics_layer {
public:
    plot_graphics();
    ~plot_graphics() override;
    plot_graphics(const plot_graphics&) = delete;
    plot_graphics& operator=(const plot_graphics&) = delete;

    // ---- device selection (set by the window, printing and export code) ----
    plot_settings* settings = nullptr; // the plot core's record: flags, fonts, colours of the drawing
    HDC draw_dc = nullptr;
    HDC mirror_dc = nullptr;
    HDC metafile_dc = nullptr;
    HDC export_bitmap_dc = nullptr;
    bool printing = false;
    bool exporting = false;
    int target_window = 1;
    bool palette_device = false;
    // The page of a GDI drawing in device units: the printer page while printing, else the drawing
    // rectangle of the window or the export picture.
    RECT drawing_rect{0, 0, 1000, 700};
    RECT printer_page{0, 0, 0, 0};
    // The neutral pen and brush selected before a colour's own are deleted.
    HPEN neutral_pen = nullptr;
    HBRUSH neutral_brush = nullptr;
    std::array<colour_picture_fill, 256> colour_picture;
    // Called when the workstation closes (the application sets its drawing-ready flag there).
    std::function<void()> on_close_workstation;
    // Plot-area capture: while armed, the next GDI viewport is copied into `captured_plot_area`.
    bool capture_plot_area = false;
    RECT captured_plot_area{0, 0, 0, 0};
    // The settings folder, where the prolog pscinit.xy is also looked for.
    std::string settings_folder;

    drawn_extent_box drawn_extent;

    // ---- graphics_layer ----
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
    void gr_bars(const std::vector<bar_rectangle>& bars, int colour, bool outline, double outline_width) override;
    void gr_circle(double x, double y, double radius) override;
    void gr_marker(double x, double y, int number, double size) override;
    void gr_text(const std::string& text) override;
    double gr_text_width(const std::string& text) override;
    void gr_draw_picture(const picture_placement& picture) override;
    void gr_set_colour(int index) override;
    void gr_define_colour(int index, double red, double green, double blue) override;
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
    void gr_set_escape_char(char c) override { escape_char_ = c; }
    std::vector<std::uint8_t> load_bitmap_file(const std::string& name, int& width, int& height) override;
    void gr_define_marker_shape(int index, const marker_shape_set& shapes) override;
    void gr_define_marker_picture(int index, const marker_picture& picture) override;
    double page_width_pct() const override { return page_width_pct_; }
    double page_height_pct() const override { return page_height_pct_; }
    double viewport_width_pct() const override { return viewport_width_pct_; }
    double viewport_height_pct() const override { return viewport_height_pct_; }

    // Draws a picture file into a device rectangle: transparent is a colour index (-1 none), filter
    // 0 or a resampling filter + 1, tolerance the squared colour distance of the transparent colour.
    void draw_bitmap(const picture_target& target, int transparent, int filter, int tolerance);
    // PostScript: writes the font change when the font or its size changed.
    void gr_select_font();
    // Derives the font number from the font: 11..14 Times, 15..18 Helvetica, 19..22 Courier
    // (plain, bold, italic, bold italic), 23 Math.
    void gr_update_font_number();

    // ---- state read by the application and the tests ----
    bool ps_output() const;
    bool colour_hardcopy() const;
    int current_colour() const { return current_colour_; }
    int line_type() const { return line_type_; }
    double line_width() const { return line_width_; }
    int fill_style() const { return fill_style_; }
    double char_height() const { return char_height_; }
    int font_number() const { return font_number_; }
    bool text_vertical() const { return text_vertical_; }
    double scale_x() const { return scale_x_; }
    double scale_y() const { return scale_y_; }
    const std::array<std::array<int, 3>, 256>& colours() const { return colour_table_; }
    // Colour indexes whose pen or brush was made during the drawing (the export palette).
    const std::array<bool, 256>& colours_used() const { return colour_used_; }
    int font_pixel_height() const { return font_pixels_; }
    // The pattern rows of PAT01..PAT99: eight bytes, bottom row first, leftmost pixel in the high bit.
    static std::array<std::uint8_t, 8> pattern_rows(int number);
    // The Latin-1 code that a base character and a mark compose to, 0 when the pair is unknown.
    static int compose_accented_char(char base, char mark);
    // Releases every pen, brush, font and region the layer made. An object that a device context
    // still holds (one that has stopped being a target, such as the window's picture while the
    // Statistics window or a printer draws) is freed as soon as no context holds it.
    void delete_drawing_objects();
    // World to device (GDI y downward unless PostScript).
    double device_x(double x) const { return x / scale_x_ + vp_x1_; }
    double device_y(double y) const;
    // The escape character of the texts.
    char escape_char() const { return escape_char_; }
    const text_font& font() const { return text_font_; }

    // The dash lengths of line types 2..10 in percent of the page width.
    struct dash_entry { double dashes[3]; double gap; int count; };
    static const dash_entry dash_table[11];

private:
    friend struct gdi_access;
    // ---- shared state ----
    double page_width_pct_ = 10, page_height_pct_ = 7;
    double font_scale_ref_ = 0;
    double vp_x1_ = 0, vp_y1_ = 0, vp_x2_ = 0, vp_y2_ = 0;
    double viewport_width_pct_ = 0, viewport_height_pct_ = 0;
    double font_rounding_ = 1;
    double window_width_ = 1, window_height_ = 1;
    double scale_x_ = 1, scale_y_ = 1;
    double cur_x_ = 0, cur_y_ = 0;
    double text_x_ = 0, text_y_ = 0;
    std::array<std::array<int, 3>, 256> colour_table_{};
    std::array<bool, 256> colour_used_{};
    int current_colour_ = 0;
    int line_type_ = 1, last_line_type_ = -1;
    double line_width_ = 1.0, last_line_width_ = 0.1;
    int fill_style_ = 1;
    bool fill_style_known_ = false;
    double marker_scale_ = 1.0, marker_world_size_ = 0;
    double char_height_ = 1.0, text_char_height_ = 1.0;
    bool text_vertical_ = false;
    int font_number_ = 15;
    bool math_measure_ = false;
    double free_text_height_ = 0;
    std::array<marker_shape_set, 10> marker_shapes_;
    std::array<marker_picture, 10> marker_pictures_;
    std::array<bool, 10> marker_picture_in_use_{};
    // circle offsets, kept while radius and viewport are unchanged
    double circle_r_ = -1, circle_vh_ = -1, circle_vw_ = -1;
    float circle_dx_[17]{}, circle_dy_[17]{};

    // ---- GDI caches ----
    std::array<HPEN, 256> pens_{};
    std::array<HBRUSH, 256> brushes_{};
    std::array<bool, 256> made_{};
    std::array<int, 256> pen_width_{};
    std::array<int, 256> brush_pattern_{};
    std::array<int, 256> fill_pattern_{};
    int forced_pattern_ = 0;
    text_font text_font_;
    char escape_char_ = 27;
    HBITMAP pattern_bitmap_ = nullptr;
    HRGN clip_region_ = nullptr;
    RECT clip_rect_{0, 0, 0, 0};
    HFONT font_ = nullptr;
    HFONT previous_font_ = nullptr;
    bool font_made_ = false;
    int font_pixels_ = 0;
    bool font_vertical_ = false, font_bold_ = false, font_italic_ = false;
    std::string font_face_;

    // ---- PostScript state ----
    std::FILE* ps_file_ = nullptr;
    int ps_last_rgb_[3] = {-1, -1, -1};
    // The colour operands last written for each colour index, with the table entry they stand for.
    std::array<std::string, 256> ps_colour_text_;
    std::array<std::array<int, 3>, 256> ps_colour_text_rgb_{};
    bool ps_force_colour_ = true, ps_force_fill_ = true;
    int ps_last_font_key_ = 0;
    std::string ps_last_size_ = "0";
    int ps_last_font_size_ = 0;
    std::array<bool, 24> ps_reencoded_{};
    bool ps_reencode_request_ = false;

    // Pens, brushes and fonts deleted while a device context still held them; each is freed once
    // no context holds it (the contexts go, or select other objects).
    std::vector<HGDIOBJ> retired_;

    // ---- helpers ----
    std::vector<HDC> targets() const;
    // Deletes a drawing object of the layer, or keeps it in retired_ while a context holds it.
    void retire(HGDIOBJ object);
    // Frees the retired objects that no context holds any more.
    void free_retired();
    void gdi_set_colour(int index);
    void gdi_dashed_polyline(const std::vector<POINT>& points);
    void gdi_polygon(int n, const float* xs, const float* ys, bool fill);
    void gdi_rectangle(double x1, double y1, double x2, double y2);
    void gdi_select_clip();
    void gdi_make_font_of(int pixels);
    void gdi_text_out(double x, double y, const std::string& text);
    double gdi_text_extent(const std::string& text);
    void gdi_picture_fill(const RECT& box, HRGN region);
    void picture_marker(double x, double y, int index, double size);

    void ps_open_page();
    void ps_write(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void ps_write_path(int n, const float* xs, const float* ys);
    // Writes the text as it stands (no format).
    void ps_put(const char* text, std::size_t length);
    void ps_set_colour();
    void ps_text_segment(double x, double y, const std::string& buffer);
    double ps_text_width(const std::string& text);

    void end_text_segment(std::string& buffer, double x, double y);
    void draw_segment(double x, double y, double dx, double dy)
    {
        gr_move_to(x, y);
        gr_line_to(x + dx, y + dy);
    }
};

} // namespace plotwell
