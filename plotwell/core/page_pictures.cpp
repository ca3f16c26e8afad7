#include "plotwell/core/page_pictures.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/settings_language.h"
#include "plotwell/core/shared_routines.h"

#include <algorithm>
#include <cmath>

namespace plotwell {

namespace {

// Page percent of a point of the graph region as set_graph_viewport maps it.
double page_x(const plot_settings& ps, double x) { return x * ps.page_scale_x + (100 - 100 * ps.page_scale_x) / 2; }
double page_y(const plot_settings& ps, double y) { return y * ps.page_scale_y + (100 - 100 * ps.page_scale_y) / 2; }

// Four fractions of a rectangle; one of them may be R, which keeps the picture's aspect ratio.
std::array<double, 4> picture_rectangle(plot_settings& ps, const std::string& word, const std::string& file,
                                        double region_w, double region_h)
{
    std::vector<std::string> p = split_fields(word, ',', 8);
    if (p.size() != 4) fatal_error("%s setting needs %d coordinates ','-seperated\n", "Bitmap position", 4);
    std::array<double, 4> v{};
    int aspect = -1;
    for (int i = 0; i < 4; ++i) {
        if (p[static_cast<size_t>(i)] == "R" || p[static_cast<size_t>(i)] == "r") {
            if (aspect >= 0)
                fatal_error("Only one coordinate can be written as 'R' to maintain the aspect ratio of the bitmap");
            aspect = i;
        } else {
            v[static_cast<size_t>(i)] = finite_number(p[static_cast<size_t>(i)], "Bitmap position") / 100;
        }
    }
    if (aspect >= 0) {
        int w = 0, h = 0;
        ps.gr->load_bitmap_file(file, w, h);
        // a picture whose size cannot be read counts as square
        const double ratio = (w > 0 && h > 0 ? static_cast<double>(h) / w : 1.0) * (region_w > 0 ? region_w / region_h : 1);
        switch (aspect) {
        case 0: v[0] = v[2] - (v[3] - v[1]) / ratio; break;
        case 1: v[1] = v[3] - (v[2] - v[0]) * ratio; break;
        case 2: v[2] = v[0] + (v[3] - v[1]) / ratio; break;
        default: v[3] = v[1] + (v[2] - v[0]) * ratio; break;
        }
    }
    return v;
}

} // namespace

bool place_picture(plot_settings& ps, const std::vector<std::string>& w, bool page_mode, bool job_line,
                   picture_placement& pl)
{
    if (w.size() < 2) return false;
    pl = picture_placement{};
    pl.file = expand_environment_path(w[1]);
    int mode = 0;
    if (!job_line && w.size() > 2) {
        std::vector<std::string> p = split_fields(w[2], ',', 3);
        if (!p.empty()) mode = to_int(p[0]);
        if (p.size() > 1) {
            std::vector<std::string> t = split_fields(p[1], ';', 3);
            if (!t.empty() && is_number(t[0])) pl.transparent_colour = (to_int(t[0]) + 1) & 255;
            if (t.size() > 1 && is_number(t[1])) {
                const double tol = to_double(t[1]) / 100.0 * 195075.0;
                pl.tolerance = tol < 1 ? 0 : static_cast<int>(std::min(tol, 195076.0));
            }
        }
        if (p.size() > 2) pl.option = std::clamp(to_int(p[2]) < 1 ? 0 : to_int(p[2]), 0, 14);
    }
    if ((mode == 0) != page_mode) return false;
    const size_t rect_word = job_line ? 2 : 3;
    if (w.size() <= rect_word || w[rect_word] == "!") {
        if (!page_mode) return false;
        pl.whole_device = true;
        return true;
    }
    if (mode == 0) {
        const double vw = ps.viewport_x2 - ps.viewport_x1, vh = ps.viewport_y2 - ps.viewport_y1;
        std::array<double, 4> r = picture_rectangle(ps, w[rect_word], pl.file, vw * ps.gr->page_width_pct(),
                                                    vh * ps.gr->page_height_pct());
        pl.x1 = page_x(ps, ps.viewport_x1 + r[0] * vw);
        pl.y1 = page_y(ps, ps.viewport_y1 + r[1] * vh);
        pl.x2 = page_x(ps, ps.viewport_x1 + r[2] * vw);
        pl.y2 = page_y(ps, ps.viewport_y1 + r[3] * vh);
        return true;
    }
    // the frame in page percent
    const double b = ps.draw_box ? ps.title_block_height : 0;
    const double fx1 = ps.viewport_x1 + ps.state.frame_left * ps.state.region_scale_x;
    const double fw = ps.state.frame_width * ps.state.region_scale_x;
    const double fy1 = ps.viewport_y1 + b + ps.state.frame_bottom * ps.state.region_scale_y;
    const double fh = ps.state.frame_height * ps.state.region_scale_y;
    std::array<double, 4> r{};
    if (mode == 1) {
        r = picture_rectangle(ps, w[rect_word], pl.file, fw * ps.gr->page_width_pct(), fh * ps.gr->page_height_pct());
    } else {
        std::vector<std::string> p = split_fields(w[rect_word], ',', 8);
        if (p.size() != 4) fatal_error("%s setting needs %d coordinates ','-seperated\n", "Bitmap scale", 4);
        double c[4];
        for (int i = 0; i < 4; ++i) c[i] = finite_number(p[static_cast<size_t>(i)], "Bitmap scale");
        const double ax1 = ps.draw_map ? ps.map_x1 : ps.x_axis.min, ax2 = ps.draw_map ? ps.map_x2 : ps.x_axis.max;
        const double ay1 = ps.draw_map ? ps.map_y1 : ps.y1_axis.min, ay2 = ps.draw_map ? ps.map_y2 : ps.y1_axis.max;
        const double px1 = std::min(c[0], c[2]), px2 = std::max(c[0], c[2]);
        const double py1 = std::min(c[1], c[3]), py2 = std::max(c[1], c[3]);
        const double xlo = std::min(ax1, ax2), xhi = std::max(ax1, ax2), ylo = std::min(ay1, ay2), yhi = std::max(ay1, ay2);
        if (px2 <= xlo || px1 >= xhi || py2 <= ylo || py1 >= yhi || px1 == px2 || py1 == py2) return false;
        // the parts outside the axes are cut off
        pl.cut_left = std::max(0.0, (xlo - px1) / (px2 - px1));
        pl.cut_right = std::max(0.0, (px2 - xhi) / (px2 - px1));
        pl.cut_bottom = std::max(0.0, (ylo - py1) / (py2 - py1));
        pl.cut_top = std::max(0.0, (py2 - yhi) / (py2 - py1));
        r = {linear_fraction(std::max(px1, xlo), ax1, ax2), linear_fraction(std::max(py1, ylo), ay1, ay2),
             linear_fraction(std::min(px2, xhi), ax1, ax2), linear_fraction(std::min(py2, yhi), ay1, ay2)};
    }
    pl.x1 = page_x(ps, fx1 + r[0] * fw);
    pl.y1 = page_y(ps, fy1 + r[1] * fh);
    pl.x2 = page_x(ps, fx1 + r[2] * fw);
    pl.y2 = page_y(ps, fy1 + r[3] * fh);
    return true;
}

void draw_bitmaps(plot_settings& ps, bool page_mode, bool from_job, bool before)
{
    std::vector<std::string> lines;
    if (from_job) {
        std::FILE* f = open_file_or_fail(ps.shared, ps.job_file_name, "r");
        lines = read_settings_lines(f);
        std::fclose(f);
    } else {
        lines = ps.settings_lines;
    }
    const char* keyword = from_job ? "BITMAP" : "DRAW_BITMAP";
    bool in_before = true; // the start of a file counts as a before section
    for (const std::string& line : lines) {
        std::vector<std::string> w = split_fields(line, ' ', 10);
        if (w.empty()) continue;
        if (w[0] == "BITMAP_BEFORE") { in_before = true; continue; }
        if (w[0] == "BITMAP_AFTER") { in_before = false; continue; }
        if (w[0] != keyword || in_before != before) continue;
        picture_placement pl;
        if (place_picture(ps, w, page_mode, from_job, pl)) ps.gr->gr_draw_picture(pl);
    }
}

void draw_map_grid_lines(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    const double x1 = ps.map_x1, x2 = ps.map_x2, y1 = ps.map_y1, y2 = ps.map_y2;
    if (!(ps.grid_spacing_x > 0) && !(ps.grid_spacing_y > 0)) return;
    gr.gr_set_line_width(ps.state.line_width_base / 3);
    gr.gr_set_line_type(ps.grid_line_type);
    gr.gr_set_colour(1);
    if (ps.grid_spacing_x > 0 && x2 > x1) {
        for (int k = 1; k < 100000; ++k) {
            const double x = x1 + k * ps.grid_spacing_x;
            if (x >= x2) break;
            const double f = linear_fraction(x, x1, x2);
            gr.gr_move_to(f, 0);
            gr.gr_line_to(f, 1);
        }
    }
    if (ps.grid_spacing_y > 0 && y2 > y1) {
        for (int k = 1; k < 100000; ++k) {
            const double y = y1 + k * ps.grid_spacing_y;
            if (y >= y2) break;
            const double f = linear_fraction(y, y1, y2);
            gr.gr_move_to(0, f);
            gr.gr_line_to(1, f);
        }
    }
    gr.gr_set_line_type(1);
    gr.gr_set_line_width(ps.state.line_width_base);
}

} // namespace plotwell
