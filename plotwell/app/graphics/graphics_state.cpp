// The device state shared by both back ends: workstation, viewport and window, the world-to-device
// mapping, the drawn extent and the colour table.
#include "plotwell/app/graphics/graphics_state.h"

#include "plotwell/core/plot_settings.h"

#include <algorithm>
#include <cmath>

namespace plotwell {

void drawn_extent_box::widen(double x, double y)
{
    if (x < min_x) min_x = static_cast<int>(x);
    if (x > max_x) max_x = static_cast<int>(x + 1.0);
    if (y < min_y) min_y = static_cast<int>(y);
    if (y > max_y) max_y = static_cast<int>(y + 1.0);
}

plot_graphics::plot_graphics()
{
    neutral_pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    neutral_brush = CreateSolidBrush(RGB(0, 0, 0));
}

plot_graphics::~plot_graphics()
{
    if (ps_file_) std::fclose(ps_file_);
    delete_drawing_objects();
    // the neutral objects can only go once no context holds them
    for (HDC dc : targets()) {
        SelectObject(dc, GetStockObject(BLACK_PEN));
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
    }
    retire(neutral_pen);
    retire(neutral_brush);
    free_retired();
}

bool plot_graphics::ps_output() const { return settings && settings->postscript_output; }

bool plot_graphics::colour_hardcopy() const { return settings && settings->colour_output; }

double plot_graphics::device_y(double y) const
{
    double dy = y / scale_y_ + vp_y1_;
    return ps_output() ? dy : page_height_pct_ * 100 - dy;
}

std::vector<HDC> plot_graphics::targets() const
{
    std::vector<HDC> out;
    if (exporting) {
        if (metafile_dc) out.push_back(metafile_dc);
        else if (export_bitmap_dc) out.push_back(export_bitmap_dc);
        return out;
    }
    if (mirror_dc && !printing && target_window == 1) out.push_back(mirror_dc);
    if (draw_dc) out.push_back(draw_dc);
    return out;
}

void plot_graphics::gr_open_workstation()
{
    if (ps_output()) {
        if (settings && settings->calls_on_page > 2) return;
        ps_open_page();
        return;
    }
    free_retired();
    const RECT& r = printing ? printer_page : drawing_rect;
    page_height_pct_ = (r.bottom - r.top) / 100.0;
    page_width_pct_ = (r.right - r.left) / 100.0;
    const bool a3 = settings && settings->paper_a3;
    const double sx = settings ? settings->page_scale_x : 1.0, sy = settings ? settings->page_scale_y : 1.0;
    if (sx != 1.0) font_scale_ref_ = a3 ? 46.5 : 32.95;
    else if (sy != 1.0) font_scale_ref_ = a3 ? 32.95 : 22.73;
    drawn_extent.reset();
    for (HDC dc : targets()) {
        SetTextAlign(dc, TA_BASELINE | TA_LEFT);
        SetBkMode(dc, TRANSPARENT);
    }
}

void plot_graphics::gr_close_workstation()
{
    if (ps_file_) {
        ps_write("RstClpRctngle\nShwPge\n");
        std::fclose(ps_file_);
        ps_file_ = nullptr;
    }
    for (auto& p : colour_picture) p = colour_picture_fill{};
    for (int i = 0; i < 10; ++i) {
        if (!marker_picture_in_use_[i]) continue;
        marker_pictures_[i] = marker_picture{};
        marker_picture_in_use_[i] = false;
    }
    if (on_close_workstation) on_close_workstation();
}

void plot_graphics::gr_set_viewport(double x1, double y1, double x2, double y2)
{
    vp_x1_ = x1;
    vp_y1_ = y1;
    vp_x2_ = x2;
    vp_y2_ = y2;
    viewport_width_pct_ = (x2 - x1) / 100;
    viewport_height_pct_ = (y2 - y1) / 100;
    const double sy = settings ? settings->page_scale_y : 1.0;
    if (font_scale_ref_ != 0 && page_height_pct_ != 0)
        font_rounding_ = viewport_height_pct_ * font_scale_ref_ / (sy * page_height_pct_);
    if (ps_output()) {
        if (ps_file_) {
            ps_write("RstClpRctngle\n%.0f %.0f\n%.0f %.0f\nStClpRctngle\n", x1, y1, x2, y2);
            gr_select_font();
            char s[64];
            std::snprintf(s, sizeof s, "%.0f", char_height_ * viewport_height_pct_);
            ps_last_font_size_ = std::atoi(s);
        }
    } else {
        const double ph = page_height_pct_ * 100;
        clip_rect_ = RECT{trunc16(x1), trunc16(ph - y2), trunc16(x2), trunc16(ph - y1)};
        if (capture_plot_area && !printing && !exporting) {
            captured_plot_area = clip_rect_;
            capture_plot_area = false;
        }
        gdi_select_clip();
    }
    gr_set_window(0, 0, 1, 1);
}

void plot_graphics::gr_set_window(double x1, double y1, double x2, double y2)
{
    window_width_ = x2 - x1;
    window_height_ = y2 - y1;
    scale_x_ = window_width_ / viewport_width_pct_ / 100;
    scale_y_ = window_height_ / viewport_height_pct_ / 100;
}

void plot_graphics::gr_clipping_off()
{
    if (ps_output()) {
        if (ps_file_) ps_write("RstClpRctngle\n");
        return;
    }
    for (HDC dc : targets()) SelectClipRgn(dc, nullptr);
}

void plot_graphics::gr_move_to(double x, double y)
{
    const double dx = device_x(x), dy = device_y(y);
    cur_x_ = dx;
    cur_y_ = dy;
    if (!ps_output())
        for (HDC dc : targets()) MoveToEx(dc, trunc16(dx), trunc16(dy), nullptr);
    drawn_extent.widen(dx, dy);
}

void plot_graphics::gr_line_to(double x, double y)
{
    const double dx = device_x(x), dy = device_y(y);
    if (ps_output()) {
        if (ps_file_) {
            ps_write("NwPth\n%.0f %.0f\n%.0f %.0f\n2\n", cur_x_, cur_y_, dx, dy);
            ps_write("CrtePth\nPlyLne\n");
        }
    } else {
        gdi_dashed_polyline({POINT{trunc16(cur_x_), trunc16(cur_y_)}, POINT{trunc16(dx), trunc16(dy)}});
    }
    drawn_extent.widen(dx, dy);
    cur_x_ = dx;
    cur_y_ = dy;
}

void plot_graphics::gr_set_colour_table(const colour_table& table)
{
    for (int i = 0; i < 256; ++i) {
        const rgb_colour& c = table.entries[static_cast<std::size_t>(i)];
        gr_define_colour(i, c.red / 255.0, c.green / 255.0, c.blue / 255.0);
        fill_pattern_[static_cast<std::size_t>(i)] = table.patterns[static_cast<std::size_t>(i)];
    }
    palette_device = table.use_palette;
}

void plot_graphics::gr_set_fill_pattern(int pattern) { forced_pattern_ = pattern; }

void plot_graphics::gr_define_fill_picture(int index, const rgb_picture& picture)
{
    if (index < 0 || index > 255) return;
    colour_picture_fill& f = colour_picture[static_cast<std::size_t>(index)];
    f = colour_picture_fill{};
    if (picture.pixels.empty() || picture.width <= 0 || picture.height <= 0) return;
    f.in_use = true;
    f.transparent = picture.transparent;
    f.width = f.tile_width = picture.width;
    f.height = f.tile_height = picture.height;
    if (picture.transparent >= 0 && picture.transparent < 256) {
        const auto& c = colour_table_[static_cast<std::size_t>(picture.transparent)];
        f.transparent_colour = static_cast<std::uint32_t>(c[0] | (c[1] << 8) | (c[2] << 16));
    }
    f.pixels = picture.pixels;
}

// The plot core's colour table is made for paper (0 white, 1 black) on every device, so hard copies
// without colour take it as it is instead of inverting a dark screen palette.
void plot_graphics::gr_define_colour(int index, double red, double green, double blue)
{
    if (index < 0 || index > 255) return;
    const double c[3] = {red, green, blue};
    for (int k = 0; k < 3; ++k) colour_table_[static_cast<std::size_t>(index)][static_cast<std::size_t>(k)] = static_cast<int>(std::clamp(c[k], 0.0, 1.0) * 255);
}

void plot_graphics::gr_set_line_type(int type)
{
    if (type == last_line_type_) return;
    last_line_type_ = type;
    if (type > 10) return;
    line_type_ = type;
    if (ps_output()) {
        if (ps_file_) ps_write("%d\nStLneTpe\n", type);
    } else {
        gdi_set_colour(current_colour_);
    }
}

void plot_graphics::gr_set_line_width(double width)
{
    if (width == last_line_width_) return;
    line_width_ = width;
    last_line_width_ = width;
    if (ps_output()) {
        if (ps_file_) ps_write("%f\nStLneWdth\n", width);
    } else {
        gdi_set_colour(current_colour_);
    }
}

void plot_graphics::gr_set_fill_style(int style)
{
    if (ps_output() && ps_file_ && (ps_force_fill_ || !fill_style_known_ || style != fill_style_)) {
        if (style == 1) ps_put("0\nStIntrrStle\n", 14);
        else if (style == 2) ps_put("1\nStIntrrStle\n", 14);
        else ps_write("%d\nStIntrrStle\n", style - 1);
        ps_force_fill_ = false;
    }
    fill_style_ = style;
    fill_style_known_ = true;
}

void plot_graphics::gr_set_colour(int index)
{
    index = static_cast<int>(static_cast<std::int16_t>(index)) % 256;
    if (index < 0) index += 256;
    current_colour_ = index;
    if (ps_output()) ps_set_colour();
    else gdi_set_colour(index);
}

void plot_graphics::gr_set_marker_world_size(double size) { marker_world_size_ = size; }

void plot_graphics::gr_set_marker_scale(double factor) { marker_scale_ = factor; }

void plot_graphics::gr_set_text_angle(double angle)
{
    text_vertical_ = angle == 90.0;
    if (ps_output() && ps_file_)
        ps_write(text_vertical_ ? "-1.000000 0.000000\nStChrctrUpvctr\n" : "0.000000 1.000000\nStChrctrUpvctr\n");
}

void plot_graphics::gr_define_marker_shape(int index, const marker_shape_set& shapes)
{
    if (index >= 0 && index < 10) marker_shapes_[index] = shapes;
}

void plot_graphics::gr_define_marker_picture(int index, const marker_picture& picture)
{
    if (index < 0 || index >= 10) return;
    marker_pictures_[index] = picture;
    marker_picture_in_use_[index] = !picture.pixels.empty() && picture.width > 0 && picture.height > 0;
}

} // namespace plotwell
