// Marker symbols and circles.
#include "plotwell/app/graphics/markers.h"

#include "plotwell/core/plot_settings.h"

#include <cmath>

namespace plotwell {

void plot_graphics::gr_circle(double x, double y, double r)
{
    const double rr = 0.475 * r;
    if (ps_output()) {
        if (!ps_file_) return;
        const double radius = rr / window_height_ * viewport_height_pct_ * 100;
        ps_write("NwPth\n%.0f %.0f %.0f 0 360 arc\n", device_x(x), device_y(y), radius);
        ps_write(fill_style_ == 2 ? "fill\n" : "stroke\n");
        return;
    }
    if (rr != circle_r_ || viewport_height_pct_ != circle_vh_ || viewport_width_pct_ != circle_vw_) {
        circle_r_ = rr;
        circle_vh_ = viewport_height_pct_;
        circle_vw_ = viewport_width_pct_;
        const double pi = 3.14159265358979;
        for (int i = 0; i < 17; ++i) {
            const double angle = i * 22.5 * pi / 180;
            circle_dx_[i] = static_cast<float>(-std::cos(angle) * rr * viewport_height_pct_ / viewport_width_pct_);
            circle_dy_[i] = static_cast<float>(std::sin(angle) * rr);
        }
    }
    float xs[17], ys[17];
    for (int i = 0; i < 17; ++i) {
        xs[i] = static_cast<float>(x + circle_dx_[i]);
        ys[i] = static_cast<float>(y + circle_dy_[i]);
    }
    if (fill_style_ == 2) gdi_polygon(17, xs, ys, true);
    else gdi_polygon(17, xs, ys, false);
}

void plot_graphics::gr_marker(double x, double y, int number, double size)
{
    const int saved_type = line_type_, saved_fill = fill_style_, saved_colour = current_colour_;
    const double saved_width = line_width_;
    double w, h;
    if (marker_world_size_ > 0) {
        const double range = settings ? settings->x_axis.max - settings->x_axis.min : 1;
        w = marker_world_size_ / (range != 0 ? range : 1) * window_width_;
        h = w * viewport_width_pct_ / viewport_height_pct_;
    } else {
        h = window_height_ * marker_scale_ / 50 * size;
        w = h * viewport_height_pct_ / viewport_width_pct_;
    }
    gr_set_line_width(1.0);
    gr_set_line_type(1);
    const int background = settings ? settings->graph_background : 0;
    const bool mono_hardcopy = (ps_output() || printing || exporting) && !colour_hardcopy();
    const int colour = current_colour_;

    auto poly = [&](std::initializer_list<std::pair<double, double>> pts, bool fill, bool close) {
        std::vector<float> xs, ys;
        for (auto& p : pts) {
            xs.push_back(static_cast<float>(p.first));
            ys.push_back(static_cast<float>(p.second));
        }
        if (close) {
            xs.push_back(xs.front());
            ys.push_back(ys.front());
        }
        if (fill) gr_fill_area(static_cast<int>(xs.size()), xs.data(), ys.data());
        else gr_polyline(static_cast<int>(xs.size()), xs.data(), ys.data());
    };
    // An open shape hides what lies below: filled with the graph background, outlined in the colour.
    auto open_shape = [&](std::initializer_list<std::pair<double, double>> pts) {
        gr_set_colour(background);
        gr_set_fill_style(2);
        poly(pts, true, false);
        gr_set_colour(colour);
        poly(pts, false, true);
    };
    auto filled_shape = [&](std::initializer_list<std::pair<double, double>> pts) {
        gr_set_fill_style(2);
        poly(pts, true, false);
    };
    auto plus = [&] {
        draw_segment(x - w / 2, y, w, 0);
        draw_segment(x, y - h / 2, 0, h);
    };
    auto cross = [&] {
        draw_segment(x - w / 2.8, y + h / 2.8, 2 * w / 2.8, -2 * h / 2.8);
        draw_segment(x - w / 2.8, y - h / 2.8, 2 * w / 2.8, 2 * h / 2.8);
    };
    const double s5 = 2.23607, s25 = 4.472136;
    auto triangle = {std::pair{x - w / s5, y + h / s25}, std::pair{x + w / s5, y + h / s25}, std::pair{x, y - h / 2}};
    auto square = {std::pair{x - w / 2.4, y - h / 2.4}, std::pair{x - w / 2.4, y + h / 2.4}, std::pair{x + w / 2.4, y + h / 2.4},
                   std::pair{x + w / 2.4, y - h / 2.4}};
    auto diamond = {std::pair{x - w / 2.4, y}, std::pair{x, y - h / 2.4}, std::pair{x + w / 2.4, y}, std::pair{x, y + h / 2.4}};
    auto star4 = {std::pair{x - w / 2, y}, std::pair{x - w / 6, y + h / 6}, std::pair{x, y + h / 2}, std::pair{x + w / 6, y + h / 6},
                  std::pair{x + w / 2, y}, std::pair{x + w / 6, y - h / 6}, std::pair{x, y - h / 2}, std::pair{x - w / 6, y - h / 6},
                  std::pair{x - w / 2, y}};
    auto star_diag = {std::pair{x - w / 2.8, y + h / 2.8}, std::pair{x, y + h / 4.3}, std::pair{x + w / 2.8, y + h / 2.8},
                      std::pair{x + w / 4.3, y}, std::pair{x + w / 2.8, y - h / 2.8}, std::pair{x, y - h / 4.3},
                      std::pair{x - w / 2.8, y - h / 2.8}, std::pair{x - w / 4.3, y}, std::pair{x - w / 2.8, y + h / 2.8}};
    auto arrow = [&](double sx, double sy, double ex, double ey, std::initializer_list<std::pair<double, double>> head) {
        draw_segment(sx, sy, ex - sx, ey - sy);
        gr_set_colour(mono_hardcopy ? 1 : colour);
        filled_shape(head);
        gr_set_colour(colour);
    };
    switch (number) {
    case 1: plus(); break;
    case 2: plus(); cross(); break;
    case 3:
        gr_set_colour(background);
        gr_set_fill_style(2);
        gr_circle(x, y, h);
        gr_set_colour(colour);
        gr_set_fill_style(1);
        gr_circle(x, y, h);
        break;
    case 4: cross(); break;
    case 5: open_shape(square); break;
    case 6: open_shape(triangle); break;
    case 7: gr_set_fill_style(2); gr_circle(x, y, h); break;
    case 8: filled_shape(square); break;
    case 9: filled_shape(triangle); break;
    case 10: open_shape(diamond); break;
    case 11: filled_shape(diamond); break;
    case 12: gr_set_fill_style(2); gr_circle(x, y, h / 5); break;
    case 13: arrow(x, y + 0.9 * h, x, y + 0.2 * h, {{x, y}, {x - 0.15 * w, y + 0.3 * h}, {x + 0.15 * w, y + 0.3 * h}, {x, y}}); break;
    case 14: arrow(x, y - 0.9 * h, x, y - 0.2 * h, {{x, y}, {x - 0.15 * w, y - 0.3 * h}, {x + 0.15 * w, y - 0.3 * h}, {x, y}}); break;
    case 15: arrow(x - 0.9 * w, y, x - 0.2 * w, y, {{x, y}, {x - 0.3 * w, y + 0.15 * h}, {x - 0.3 * w, y - 0.15 * h}, {x, y}}); break;
    case 16: arrow(x + 0.9 * w, y, x + 0.2 * w, y, {{x, y}, {x + 0.3 * w, y + 0.15 * h}, {x + 0.3 * w, y - 0.15 * h}, {x, y}}); break;
    case 17: filled_shape(star4); break;
    case 18: filled_shape(star_diag); break;
    case 19: filled_shape(star4); filled_shape(star_diag); break;
    default:
        if (number >= 20 && number <= 29) {
            for (const marker_polygon& p : marker_shapes_[number - 20]) {
                const int n = static_cast<int>(std::min(p.xs.size(), p.ys.size()));
                if (n == 0) continue;
                std::vector<float> xs(n), ys(n);
                for (int k = 0; k < n; ++k) {
                    xs[k] = static_cast<float>(x + p.xs[k] * w);
                    ys[k] = static_cast<float>(y + p.ys[k] * h);
                }
                gr_set_colour(p.colour < 0 ? colour : p.colour);
                if (p.mode == 2) {
                    gr_polyline(n, xs.data(), ys.data());
                } else {
                    gr_set_fill_style(2);
                    gr_fill_area(n, xs.data(), ys.data());
                    if (p.mode == 1) {
                        gr_set_colour(1);
                        gr_polyline(n, xs.data(), ys.data());
                    }
                }
            }
        } else if (number >= 30 && number <= 39 && !ps_output()) {
            picture_marker(x, y, number - 30, size);
        }
        break;
    }
    gr_set_fill_style(saved_fill);
    gr_set_colour(saved_colour);
    gr_set_line_width(saved_width);
    gr_set_line_type(saved_type);
    marker_world_size_ = 0;
}

} // namespace plotwell
