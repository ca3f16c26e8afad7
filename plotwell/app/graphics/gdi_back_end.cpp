// GDI side of colours, line types, polylines, polygons and rectangles.
#include "plotwell/app/graphics/gdi_back_end.h"
#include "plotwell/app/graphics/postscript_back_end.h"

#include "plotwell/core/plot_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace plotwell {

// Lengths in percent of the page width; the gap grows with the pen width when drawn.
const plot_graphics::dash_entry plot_graphics::dash_table[11] = {
    {{0, 0, 0}, 0, 0},        {{0, 0, 0}, 0, 0},          {{1.0, 0, 0}, 0.55, 1},
    {{0.2, 0, 0}, 0.4, 1},    {{1.0, 0.2, 0}, 0.4, 2},    {{2.0, 0, 0}, 0.4, 1},
    {{0.6, 0.15, 0.15}, 0.4, 3}, {{0.5, 2.0, 0}, 0.4, 2}, {{0.5, 1.2, 0.15}, 0.4, 3},
    {{1.0, 1.0, 0.2}, 0.4, 3}, {{0.1, 0, 0}, 0.55, 1},
};

std::array<std::uint8_t, 8> plot_graphics::pattern_rows(int number)
{
    using rows = std::array<std::uint8_t, 8>;
    switch (number) {
    case 1: return rows{0xff, 0xff, 0xfb, 0xff, 0xff, 0xff, 0xbf, 0xff};
    case 2: return rows{0xfb, 0xff, 0xbf, 0xff, 0xfb, 0xff, 0xbf, 0xff};
    case 4: return rows{0x77, 0xdd, 0x77, 0xdd, 0x77, 0xdd, 0x77, 0xdd};
    case 5: return rows{0xee, 0x55, 0xbb, 0x55, 0xee, 0x55, 0xbb, 0x55};
    case 20: return rows{0xff, 0xff, 0xff, 0x00, 0xff, 0xff, 0xff, 0x00};
    case 60: return rows{0xe7, 0x81, 0x81, 0x00, 0x00, 0x81, 0x81, 0xe7};
    case 99: return rows{0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f};
    default: break;
    }
    rows r{};
    r.fill(0xff);
    if (number < 1 || number > 99) return r;
    if (number < 20) {
        // dot screens: k of the 64 pixels painted, spread by an ordered-dither matrix
        static const int order[8][8] = {
            {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
            {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
            {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21}};
        const int k = number * 3; // 3 % .. 57 % of the pixels
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if (order[y][x] < k) r[y] &= static_cast<std::uint8_t>(~(0x80 >> x));
        return r;
    }
    const int kind = (number - 20) / 10, step = (number - 20) % 10;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool on = false;
            const int period = step < 5 ? 4 : 2, width = 1 + (step % 5 >= 3);
            switch (kind) {
            case 0: on = y % period < width; break;                    // horizontal lines
            case 1: on = x % period < width; break;                    // vertical lines
            case 2: on = (x + y) % period < width; break;              // diagonal lines
            case 3: on = (x - y + 8) % period < width; break;          // other diagonal
            case 4: on = y % period < width || x % period < width; break; // grids
            case 5: on = (x + y) % period < width || (x - y + 8) % period < width; break;
            case 6: on = (std::abs(x - 3.5) + std::abs(y - 3.5)) < 1.5 + step * 0.3; break; // diamonds
            default: on = ((x / 2 + y / 2) % 2 == 0) != (step % 2 == 1); break;              // checks
            }
            if (on) r[y] &= static_cast<std::uint8_t>(~(0x80 >> x));
        }
    return r;
}

void plot_graphics::gdi_set_colour(int index)
{
    colour_used_[index] = true;
    const auto& c = colour_table_[index];
    const COLORREF value = palette_device ? (0x01000000u | static_cast<COLORREF>(index)) : RGB(c[0] & 255, c[1] & 255, c[2] & 255);
    const COLORREF text = ((printing || exporting) && !colour_hardcopy()) ? 0 : value;
    const std::vector<HDC> dcs = targets();
    for (HDC dc : dcs) SetTextColor(dc, text);
    const int pattern = forced_pattern_ != 0 ? forced_pattern_ : fill_pattern_[index];
    if (made_[index] && (trunc16(pen_width_[index]) != trunc16(line_width_) || brush_pattern_[index] != pattern)) {
        for (HDC dc : dcs) {
            SelectObject(dc, neutral_brush);
            SelectObject(dc, neutral_pen);
        }
        retire(brushes_[index]);
        retire(pens_[index]);
        brushes_[index] = nullptr;
        pens_[index] = nullptr;
        made_[index] = false;
    }
    if (!made_[index]) {
        if (pattern != 0) {
            if (pattern_bitmap_) DeleteObject(pattern_bitmap_);
            // Clear bits paint in the colour, set bits in the white background.
            const auto rows = pattern_rows(pattern);
            std::uint32_t pixels[64];
            const COLORREF rgb = RGB(c[0] & 255, c[1] & 255, c[2] & 255);
            const std::uint32_t fore = (GetRValue(rgb) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    pixels[y * 8 + x] = (rows[7 - y] & (0x80 >> x)) ? 0xFFFFFFu : fore;
            pattern_bitmap_ = CreateBitmap(8, 8, 1, 32, pixels);
            brushes_[index] = CreatePatternBrush(pattern_bitmap_);
        } else {
            brushes_[index] = CreateSolidBrush(value);
        }
        pens_[index] = CreatePen(PS_SOLID, trunc16(line_width_), value);
        made_[index] = true;
        pen_width_[index] = trunc16(line_width_);
        brush_pattern_[index] = pattern;
    }
    for (HDC dc : dcs) {
        SelectObject(dc, pens_[index]);
        SelectObject(dc, brushes_[index]);
    }
}

void plot_graphics::delete_drawing_objects()
{
    for (HDC dc : targets()) {
        SelectObject(dc, neutral_brush);
        SelectObject(dc, neutral_pen);
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
    }
    for (int i = 0; i < 256; ++i) {
        retire(pens_[i]);
        retire(brushes_[i]);
        pens_[i] = nullptr;
        brushes_[i] = nullptr;
        made_[i] = false;
    }
    if (pattern_bitmap_) DeleteObject(pattern_bitmap_);
    pattern_bitmap_ = nullptr;
    if (clip_region_) DeleteObject(clip_region_);
    clip_region_ = nullptr;
    retire(font_);
    font_ = nullptr;
    font_made_ = false;
    free_retired();
}

void plot_graphics::retire(HGDIOBJ object)
{
    if (object && !DeleteObject(object)) retired_.push_back(object);
}

void plot_graphics::free_retired()
{
    std::erase_if(retired_, [](HGDIOBJ object) { return DeleteObject(object) != FALSE; });
}

void plot_graphics::gdi_select_clip()
{
    if (clip_region_) DeleteObject(clip_region_);
    clip_region_ = CreateRectRgn(clip_rect_.left, clip_rect_.top, clip_rect_.right, clip_rect_.bottom);
    for (HDC dc : targets()) SelectClipRgn(dc, clip_region_);
}

void plot_graphics::gdi_dashed_polyline(const std::vector<POINT>& points)
{
    const std::vector<HDC> dcs = targets();
    if (points.size() < 2 || dcs.empty()) return;
    if (line_type_ <= 1 || line_type_ > 10) {
        for (HDC dc : dcs) Polyline(dc, points.data(), static_cast<int>(points.size()));
        return;
    }
    const dash_entry& d = dash_table[line_type_];
    double factor = page_width_pct_;
    double enlarge = page_width_pct_ * 0.1 < 1 ? 1 / (page_width_pct_ * 0.1) : 1;
    double dashes[3];
    for (int k = 0; k < 3; ++k) dashes[k] = d.dashes[k] * factor * enlarge;
    const double gap = (d.gap * factor + line_width_ * page_width_pct_ / 15) * enlarge;

    std::vector<POINT> list{points[0]};
    bool drawing = true;
    int dash = 0;
    double left = dashes[0];
    auto flush = [&] {
        if (list.size() >= 2)
            for (HDC dc : dcs) Polyline(dc, list.data(), static_cast<int>(list.size()));
    };
    for (std::size_t s = 1; s < points.size(); ++s) {
        const double x0 = points[s - 1].x, y0 = points[s - 1].y;
        const double dx = points[s].x - x0, dy = points[s].y - y0;
        const double length = std::sqrt(dx * dx + dy * dy);
        double at = 0;
        while (length - at > left) {
            at += left;
            const double f = length > 0 ? at / length : 0;
            const POINT p{static_cast<LONG>(x0 + trunc16(dx * f)), static_cast<LONG>(y0 + trunc16(dy * f))};
            if (drawing) {
                list.push_back(p);
                flush();
                list.clear();
                dash = (dash + 1) % d.count;
                drawing = false;
                left = gap;
            } else {
                list.assign(1, p);
                drawing = true;
                left = dashes[dash];
            }
        }
        left -= length - at;
        if (drawing) {
            list.push_back(points[s]);
            // a long dash over many vertices is drawn in pieces
            if (list.size() >= 500) {
                flush();
                list.assign(1, points[s]);
            }
        }
    }
    if (drawing) flush();
}

namespace {

// A filled polygon's points that run up and down one pixel column add no area, and the outline
// they draw there is the column from their lowest to their highest point: of each such run the
// first, the lowest, the highest and the last point are kept (a dense series has thousands of
// points a column).
void gdi_back_end_keep_column_ends(std::vector<POINT>& points)
{
    std::size_t out = 0;
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i;
        std::size_t low = i, high = i;
        while (j + 1 < n && points[j + 1].x == points[i].x) {
            ++j;
            if (points[j].y < points[low].y) low = j;
            if (points[j].y > points[high].y) high = j;
        }
        if (j - i < 4) {
            for (std::size_t k = i; k <= j; ++k) points[out++] = points[k];
        } else {
            points[out++] = points[i];
            for (std::size_t k : {std::min(low, high), std::max(low, high)})
                if (k != i && k != j && points[k].y != points[out - 1].y) points[out++] = points[k];
            points[out++] = points[j];
        }
        i = j + 1;
    }
    points.resize(out);
}

} // namespace

void plot_graphics::gdi_polygon(int n, const float* xs, const float* ys, bool fill)
{
    if (n <= 0) return;
    std::vector<POINT> kept;
    kept.reserve(static_cast<std::size_t>(n));
    RECT box{32767, 32767, -32768, -32768};
    const double ph = page_height_pct_ * 100;
    for (int i = 0; i < n; ++i) {
        double x = xs[i] / scale_x_ + vp_x1_;
        double y = ph - (ys[i] / scale_y_ + vp_y1_);
        auto clamp = [](double v) {
            if (!(v == v)) return 0;
            if (v > 32700) return 32700;
            if (v < -32700) return -32700;
            return static_cast<int>(v);
        };
        const POINT p{clamp(x), clamp(y)};
        if (!kept.empty() && kept.back().x == p.x && kept.back().y == p.y) continue;
        kept.push_back(p);
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x);
        box.bottom = std::max(box.bottom, p.y);
    }
    if (!fill) {
        gdi_dashed_polyline(kept);
        return;
    }
    gdi_back_end_keep_column_ends(kept);
    const double old_width = line_width_;
    gr_set_line_width(1.0);
    for (HDC dc : targets()) {
        SetPolyFillMode(dc, ALTERNATE);
        Polygon(dc, kept.data(), static_cast<int>(kept.size()));
    }
    gr_set_line_width(old_width);
    const colour_picture_fill& pf = colour_picture[current_colour_];
    if (pf.in_use && !pf.pixels.empty() && kept.size() >= 3) {
        HRGN region = CreatePolygonRgn(kept.data(), static_cast<int>(kept.size()), ALTERNATE);
        gdi_picture_fill(box, region);
        DeleteObject(region);
    }
}

void plot_graphics::gdi_rectangle(double x1, double y1, double x2, double y2)
{
    const int dx1 = static_cast<int>(device_x(x1)), dx2 = static_cast<int>(device_x(x2));
    const int dy1 = static_cast<int>(device_y(y1)), dy2 = static_cast<int>(device_y(y2));
    if (dx1 < drawn_extent.min_x) drawn_extent.min_x = dx1;
    if (dx2 + 1 > drawn_extent.max_x) drawn_extent.max_x = dx2 + 1;
    if (dy1 + 1 > drawn_extent.max_y) drawn_extent.max_y = dy1 + 1;
    if (dy2 < drawn_extent.min_y) drawn_extent.min_y = dy2;
    if (fill_style_ == 1) {
        gdi_dashed_polyline({POINT{dx1, dy1}, POINT{dx1, dy2}, POINT{dx2, dy2}, POINT{dx2, dy1}, POINT{dx1, dy1}});
        return;
    }
    RECT r{std::min(dx1, dx2), std::min(dy2, dy1), std::max(dx1, dx2), std::max(dy2, dy1)};
    if (brushes_[current_colour_])
        for (HDC dc : targets()) FillRect(dc, &r, brushes_[current_colour_]);
    const colour_picture_fill& pf = colour_picture[current_colour_];
    if (pf.in_use && !pf.pixels.empty()) gdi_picture_fill(r, nullptr);
}

// On a GDI device a bar narrower than a pixel column fills nothing (its rectangle is empty), and its
// frame is a vertical segment of that column. Such frames in one column whose segments overlap are
// drawn as one segment over their union: the same pixels, for thin and wide pens alike, as each
// frame on its own. Everything else is drawn as the calls one bar after the other draw it, in their
// order, so that a wider bar still paints over the frames before it.
void plot_graphics::gr_bars(const std::vector<bar_rectangle>& bars, int colour, bool outline, double outline_width)
{
    if (bars.empty()) return;
    const auto fill_state = [&] {
        gr_set_fill_style(2);
        gr_set_colour(colour);
        gr_set_line_type(1);
    };
    const auto outline_state = [&] {
        gr_set_colour(1);
        gr_set_line_width(outline_width);
        gr_set_fill_style(1);
    };
    int fill_colour = static_cast<int>(static_cast<std::int16_t>(colour)) % 256;
    if (fill_colour < 0) fill_colour += 256;
    if (ps_output() || targets().empty() || colour_picture[fill_colour].in_use ||
        (outline && colour_picture[1].in_use)) {
        graphics_layer::gr_bars(bars, colour, outline, outline_width);
        return;
    }
    fill_state();
    bool outlining = false; // the state is the frames' (else the fills')
    bool pending = false;   // a column segment not drawn yet
    int column = 0, low = 0, high = 0;
    const auto flush = [&] {
        if (!pending) return;
        pending = false;
        if (!outlining) {
            outline_state();
            outlining = true;
        }
        gdi_dashed_polyline({POINT{column, low}, POINT{column, high}, POINT{column, low}});
    };
    for (const bar_rectangle& b : bars) {
        const int dx1 = static_cast<int>(device_x(b.x1)), dx2 = static_cast<int>(device_x(b.x2));
        const int dy1 = static_cast<int>(device_y(b.y1)), dy2 = static_cast<int>(device_y(b.y2));
        if (dx1 != dx2 && dy1 != dy2) {
            flush();
            if (outlining) {
                fill_state();
                outlining = false;
            }
            gdi_rectangle(b.x1, b.y1, b.x2, b.y2);
        } else {
            // an empty fill: only the drawn extent grows
            if (dx1 < drawn_extent.min_x) drawn_extent.min_x = dx1;
            if (dx2 + 1 > drawn_extent.max_x) drawn_extent.max_x = dx2 + 1;
            if (dy1 + 1 > drawn_extent.max_y) drawn_extent.max_y = dy1 + 1;
            if (dy2 < drawn_extent.min_y) drawn_extent.min_y = dy2;
        }
        if (!outline) continue;
        const int top = std::min(dy1, dy2), bottom = std::max(dy1, dy2);
        if (dx1 == dx2) {
            if (pending && dx1 == column && top <= high && bottom >= low) {
                low = std::min(low, top);
                high = std::max(high, bottom);
                continue;
            }
            flush();
            pending = true;
            column = dx1;
            low = top;
            high = bottom;
            continue;
        }
        flush();
        if (!outlining) {
            outline_state();
            outlining = true;
        }
        gdi_rectangle(b.x1, b.y1, b.x2, b.y2);
    }
    flush();
    // the state the last bar's calls leave
    if (outline) outline_state();
    else fill_state();
}

void plot_graphics::gr_polyline(int n, const float* xs, const float* ys)
{
    if (ps_output()) {
        if (!ps_file_) return;
        ps_write("NwPth\n");
        ps_write_path(n, xs, ys);
        ps_write("PlyLne\n");
        return;
    }
    gdi_polygon(n, xs, ys, false);
}

void plot_graphics::gr_fill_area(int n, const float* xs, const float* ys)
{
    if (ps_output()) {
        if (!ps_file_) return;
        ps_write_path(n, xs, ys);
        ps_write("ClsePth\nFllArea\n");
        return;
    }
    gdi_polygon(n, xs, ys, true);
}

void plot_graphics::gr_rectangle(double x1, double y1, double x2, double y2)
{
    if (!ps_output()) {
        gdi_rectangle(x1, y1, x2, y2);
        return;
    }
    if (!ps_file_) return;
    const double a = device_x(x1), b = device_y(y1), c = device_x(x2), d = device_y(y2);
    // bars come by the million: the path is formatted here and written at once
    char text[400];
    char* out = text;
    const auto append = [&](const char* s) {
        const std::size_t n = std::strlen(s);
        std::memcpy(out, s, n);
        out += n;
    };
    const auto point = [&](double x, double y) {
        out = ps_rounded(out, x);
        *out++ = ' ';
        out = ps_rounded(out, y);
        *out++ = '\n';
    };
    append("NwPth\n");
    point(a, b);
    point(c, b);
    point(c, d);
    point(a, d);
    if (fill_style_ == 1) {
        point(a, b);
        append("5\nCrtePth\nPlyLne\n");
    } else {
        append("4\nCrtePth\nClsePth\nFllArea\n");
    }
    ps_put(text, static_cast<std::size_t>(out - text));
}

} // namespace plotwell
