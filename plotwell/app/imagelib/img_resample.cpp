#include "plotwell/app/imagelib/img_resample.h"
#include "plotwell/app/imagelib/img_colour.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;

// Source position of every destination column (or row): j × (source / destination), kept in
// 0 .. source - 1.
std::vector<double> img_source_positions(std::uint32_t source, std::uint32_t destination)
{
    std::vector<double> positions(destination);
    const double ratio = double(source) / double(destination);
    for (std::uint32_t j = 0; j < destination; ++j) {
        double x = double(j) * ratio;
        if (x > double(source) - 1)
            x = double(source) - 1;
        if (x < 0)
            x = 0;
        positions[j] = x;
    }
    return positions;
}

void img_interp_row(const std::uint8_t* row, std::uint32_t source_width, int n,
                    const std::vector<double>& xs, double* out)
{
    for (std::size_t j = 0; j < xs.size(); ++j) {
        const double x = xs[j];
        const std::uint32_t a = std::uint32_t(x);
        const std::uint32_t b = std::min(a + 1, source_width - 1);
        for (int c = 0; c < n; ++c)
            out[j * n + c] = row[std::size_t(a) * n + c] * (a + 1 - x) + (x - a) * row[std::size_t(b) * n + c];
    }
}

std::uint32_t pixel_value(const std::uint8_t* p)
{
    return p[0] | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
}

int bilinear(img_thread_state* state, img_error_scope& scope, const std::uint8_t* source,
             std::uint32_t sw, std::uint32_t sh, std::uint8_t* destination, std::uint32_t dw,
             std::uint32_t dh, int n, bool keyed, std::uint32_t key, bool report)
{
    if (sw == dw && sh == dh) {
        std::memcpy(destination, source, std::size_t(sw) * sh * n);
        return 1;
    }
    std::vector<double> lo_row(std::size_t(dw) * n), hi_row(std::size_t(dw) * n);
    const std::vector<double> xs = img_source_positions(sw, dw);
    const std::vector<double> ys = img_source_positions(sh, dh);
    std::vector<std::uint8_t> lo_key, hi_key;
    if (keyed) {
        lo_key.resize(std::size_t(dw) * 3);
        hi_key.resize(std::size_t(dw) * 3);
    }
    auto interp_keyed = [&](const std::uint8_t* row, double* out) {
        for (std::uint32_t j = 0; j < dw; ++j) {
            const double x = xs[j];
            const std::uint32_t a = std::uint32_t(x);
            const std::uint32_t b = std::min(a + 1, sw - 1);
            const std::uint8_t* pa = row + std::size_t(a) * 3;
            const std::uint8_t* pb = row + std::size_t(b) * 3;
            if (pixel_value(pa) == key || pixel_value(pb) == key) {
                const std::uint8_t* pick = (a + 1 - x) > 0.5 ? pa : pb;
                for (int c = 0; c < 3; ++c)
                    out[j * 3 + c] = pick[c];
            } else {
                for (int c = 0; c < 3; ++c)
                    out[j * 3 + c] = pa[c] * (a + 1 - x) + (x - a) * pb[c];
            }
        }
    };
    for (std::uint32_t i = 0; i < dh; ++i) {
        const double y = ys[i];
        const std::uint32_t lo = std::uint32_t(y);
        const std::uint32_t hi = std::min(lo + 1, sh - 1);
        const std::uint8_t* row_lo = source + std::size_t(lo) * sw * n;
        const std::uint8_t* row_hi = source + std::size_t(hi) * sw * n;
        if (keyed) {
            interp_keyed(row_lo, lo_row.data());
            interp_keyed(row_hi, hi_row.data());
        } else {
            img_interp_row(row_lo, sw, n, xs, lo_row.data());
            img_interp_row(row_hi, sw, n, xs, hi_row.data());
        }
        std::uint8_t* out = destination + std::size_t(i) * dw * n;
        const double w_hi = y - lo, w_lo = lo + 1 - y;
        for (std::uint32_t j = 0; j < dw; ++j) {
            const std::size_t at = std::size_t(j) * n;
            if (keyed) {
                const std::uint8_t l[3] = {std::uint8_t(lo_row[at]), std::uint8_t(lo_row[at + 1]),
                                           std::uint8_t(lo_row[at + 2])};
                const std::uint8_t h[3] = {std::uint8_t(hi_row[at]), std::uint8_t(hi_row[at + 1]),
                                           std::uint8_t(hi_row[at + 2])};
                if (pixel_value(l) == key || pixel_value(h) == key) {
                    std::memcpy(out + at, w_lo > 0.5 ? l : h, 3);
                    continue;
                }
            }
            for (int c = 0; c < n; ++c)
                out[at + c] = std::uint8_t(hi_row[at + c] * w_hi + lo_row[at + c] * w_lo);
        }
        if (report && !img_progress(state, i, dh)) {
            scope.code = IMG_ERR_CANCELLED;
            return 0;
        }
    }
    return 1;
}

void copy_rect(const std::uint8_t* source, std::uint32_t sw, std::uint8_t* destination,
               std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height, int n)
{
    for (std::uint32_t r = 0; r < height; ++r)
        std::memcpy(destination + std::size_t(r) * width * n,
                    source + (std::size_t(y + r) * sw + x) * n, std::size_t(width) * n);
}

} // namespace

double img_round_half_away(double value)
{
    return value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5);
}

double img_filter_support(int filter)
{
    static const double supports[14] = {0.5, 1, 1, 1.25, 1.5, 2, 1, 2, 3, 2, 4, 1, 1, 2};
    return filter >= 0 && filter < 14 ? supports[filter] : 0;
}

double img_filter_kernel(int filter, double x)
{
    const double ax = std::fabs(x);
    auto sinc = [](double v) { return v == 0 ? 1.0 : std::sin(pi * v) / (pi * v); };
    switch (filter) {
    case 0:
        return (x > -0.5 && x <= 0.5) ? 1 : 0;
    case 1:
        return ax < 1 ? 1 - ax : 0;
    case 2:
        return 0.54 + 0.46 * std::cos(pi * x);
    case 3:
        return std::exp(-2 * x * x) * std::sqrt(2 / pi);
    case 4:
        if (ax < 0.5)
            return 0.75 - x * x;
        if (ax < 1.5)
            return 0.5 * (ax - 1.5) * (ax - 1.5);
        return 0;
    case 5:
    case 7:
        if (ax < 1)
            return 0.5 * ax * ax * ax - x * x + 2.0 / 3.0;
        if (ax < 2)
            return (2 - ax) * (2 - ax) * (2 - ax) / 6;
        return 0;
    case 6:
    case 11:
        return ax < 1 ? 2 * ax * ax * ax - 3 * x * x + 1 : 0;
    case 8:
        if (x == 0)
            return 1;
        return ax < 3 ? sinc(x) * sinc(x / 3) : 0;
    case 9:
        if (ax < 1)
            return (7 * ax * ax * ax - 12 * x * x + 16.0 / 3.0) / 6;
        if (ax < 2)
            return (-7.0 / 3.0 * ax * ax * ax + 12 * x * x - 20 * ax + 32.0 / 3.0) / 6;
        return 0;
    case 10:
        return sinc(x);
    case 12:
        return 0.5 + 0.5 * std::cos(pi * x);
    case 13:
        if (ax < 1)
            return (3 * ax * ax * ax - 5 * x * x + 2) / 2;
        if (ax < 2)
            return (-ax * ax * ax + 5 * x * x - 8 * ax + 4) / 2;
        return 0;
    default:
        return 0;
    }
}

int img_resample(const std::uint8_t* source, std::uint32_t source_width,
                 std::uint32_t source_height, std::uint8_t* destination,
                 std::uint32_t destination_width, std::uint32_t destination_height,
                 int bytes_per_pixel)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (!source || !destination || !source_width || !source_height || !destination_width ||
            !destination_height || bytes_per_pixel <= 0) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        return bilinear(state, scope, source, source_width, source_height, destination,
                        destination_width, destination_height, bytes_per_pixel, false, 0, true);
    });
}

int img_resize_rgb24(const std::uint8_t* source, std::uint32_t source_width,
                     std::uint32_t source_height, std::uint8_t* destination,
                     std::uint32_t destination_width, std::uint32_t destination_height,
                     std::uint32_t key)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    img_error_scope scope;
    int result = 0;
    // Checked although callers pass valid buffers: a zero size would divide by zero below.
    if (!source || !destination || !source_width || !source_height || !destination_width ||
        !destination_height) {
        scope.code = IMG_ERR_ARGUMENT;
    } else {
        try {
            result = bilinear(state, scope, source, source_width, source_height, destination,
                              destination_width, destination_height, 3, key != 0xFFFFFFFFu, key,
                              false);
        } catch (...) {
            scope.code = IMG_ERR_MEMORY;
            result = 0;
        }
    }
    img_set_last_error(scope.code);
    return result;
}

int img_crop(const std::uint8_t* source, std::uint32_t source_width, std::uint32_t source_height,
             std::uint8_t* destination, std::uint32_t x, std::uint32_t y, std::uint32_t width,
             std::uint32_t height, int bytes_per_pixel)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (!source || !destination || source == destination || bytes_per_pixel <= 0 ||
            x >= source_width || y >= source_height || width > source_width ||
            height > source_height || std::uint64_t(x) + width > source_width ||
            std::uint64_t(y) + height > source_height) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        std::uint8_t* out = destination;
        const std::size_t span = std::size_t(width) * bytes_per_pixel;
        for (std::uint32_t r = 0; r < source_height; ++r) {
            if (r >= y && r < y + height) {
                std::memcpy(out, source + (std::size_t(r) * source_width + x) * bytes_per_pixel, span);
                out += span;
            }
            if (!img_progress(state, r, source_height)) {
                scope.code = IMG_ERR_CANCELLED;
                return 0;
            }
        }
        return 1;
    });
}

int img_crop_resize_rgb24(const std::uint8_t* source, std::uint32_t source_width,
                          std::uint32_t source_height, std::uint32_t left, std::uint32_t top,
                          std::uint32_t right, std::uint32_t bottom, std::uint8_t* destination,
                          std::uint32_t destination_width, std::uint32_t destination_height)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (!source || !destination || source == destination || left >= right || top >= bottom ||
            right >= source_width || bottom >= source_height || !destination_width ||
            !destination_height) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        const std::uint32_t w = right - left + 1, h = bottom - top + 1;
        std::vector<std::uint8_t> cut(std::size_t(w) * h * 3);
        copy_rect(source, source_width, cut.data(), left, top, w, h, 3);
        return bilinear(state, scope, cut.data(), w, h, destination, destination_width,
                        destination_height, 3, false, 0, true);
    });
}

int img_resize_nearest(const std::uint8_t* source, std::uint32_t source_width,
                       std::uint32_t source_height, int bytes_per_pixel,
                       std::uint8_t* destination, std::uint32_t destination_width,
                       std::uint32_t destination_height)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (!source || !destination || source == destination || !source_width ||
            !source_height || !destination_width || !destination_height || bytes_per_pixel <= 0) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        const int n = bytes_per_pixel;
        if (source_width == destination_width && source_height == destination_height) {
            std::memcpy(destination, source, std::size_t(source_width) * source_height * n);
            return 1;
        }
        const double rx = double(source_width) / destination_width;
        const double ry = double(source_height) / destination_height;
        for (std::uint32_t i = 0; i < destination_height; ++i) {
            const std::uint32_t sy = std::min(std::uint32_t(i * ry), source_height - 1);
            std::uint8_t* out = destination + std::size_t(i) * destination_width * n;
            for (std::uint32_t j = 0; j < destination_width; ++j) {
                const std::uint32_t sx = std::min(std::uint32_t(j * rx), source_width - 1);
                std::memcpy(out + std::size_t(j) * n,
                            source + (std::size_t(sy) * source_width + sx) * n, std::size_t(n));
            }
            if (!img_progress(state, i, destination_height)) {
                scope.code = IMG_ERR_CANCELLED;
                return 0;
            }
        }
        return 1;
    });
}

int img_resize_palette8(const std::uint8_t* source, std::uint32_t source_width,
                        std::uint32_t source_height, std::uint8_t* destination,
                        std::uint32_t destination_width, std::uint32_t destination_height,
                        int palette_count, const std::uint8_t* palette)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (!source || !destination || !palette || source == destination || !source_width ||
            !source_height || !destination_width || !destination_height || palette_count <= 0) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        const std::uint32_t sw = source_width, sh = source_height;
        const std::uint32_t dw = destination_width, dh = destination_height;
        if (sw == dw && sh == dh) {
            std::memcpy(destination, source, std::size_t(sw) * sh);
            return 1;
        }
        std::vector<std::uint8_t> lo_row(dw), hi_row(dw);
        img_palette_matcher matcher;
        matcher.set_palette(palette, std::min(palette_count, 256));
        const int count = std::min(palette_count, 256);
        // An index beyond the palette reads entry 0.
        auto entry = [&](std::uint8_t index) {
            return palette + std::size_t(index < count ? index : 0) * 4;
        };
        const std::vector<double> xs = img_source_positions(sw, dw);
        const std::vector<double> ys = img_source_positions(sh, dh);
        auto interp = [&](const std::uint8_t* row, std::vector<std::uint8_t>& out) {
            for (std::uint32_t j = 0; j < dw; ++j) {
                const double x = xs[j];
                const std::uint32_t a = std::uint32_t(x);
                const std::uint32_t b = std::min(a + 1, sw - 1);
                const std::uint8_t* pa = entry(row[a]);
                const std::uint8_t* pb = entry(row[b]);
                int c[3];
                for (int k = 0; k < 3; ++k)
                    c[k] = int(pa[k] * (a + 1 - x) + (x - a) * pb[k]);
                out[j] = matcher.nearest(c[2], c[1], c[0]);
            }
        };
        for (std::uint32_t i = 0; i < dh; ++i) {
            const double y = ys[i];
            const std::uint32_t lo = std::uint32_t(y);
            const std::uint32_t hi = std::min(lo + 1, sh - 1);
            interp(source + std::size_t(lo) * sw, lo_row);
            interp(source + std::size_t(hi) * sw, hi_row);
            std::uint8_t* out = destination + std::size_t(i) * dw;
            for (std::uint32_t j = 0; j < dw; ++j) {
                const std::uint8_t* l = entry(lo_row[j]);
                const std::uint8_t* h = entry(hi_row[j]);
                int c[3];
                for (int k = 0; k < 3; ++k)
                    c[k] = int(h[k] * (y - lo) + l[k] * (lo + 1 - y));
                out[j] = matcher.nearest(c[2], c[1], c[0]);
            }
            if (!img_progress(state, i, dh)) {
                scope.code = IMG_ERR_CANCELLED;
                return 0;
            }
        }
        return 1;
    });
}

namespace {

struct contribution {
    std::int32_t index;
    double weight;
};

// Contributions of the source to one destination position, mirrored at the borders and kept
// inside the source even where the filter reaches beyond a small source.
void img_filter_contributions(int filter, double scale, std::uint32_t position,
                              std::uint32_t source_size, std::vector<contribution>& list)
{
    list.clear();
    const double support = img_filter_support(filter);
    const double width = scale >= 1 ? support : support / scale;
    const double center = position / scale;
    const long from = long(std::ceil(center - width));
    const long to = long(std::floor(center + width));
    const long size = long(source_size);
    for (long j = from; j <= to; ++j) {
        const double weight = scale >= 1 ? img_filter_kernel(filter, center - j)
                                         : img_filter_kernel(filter, (center - j) * scale) * scale;
        long index = j < 0 ? -j : (j >= size ? 2 * size - j - 1 : j);
        index = std::clamp(index, 0L, size - 1);
        list.push_back({std::int32_t(index), weight});
    }
}

std::uint8_t filtered_value(const std::vector<contribution>& list, const std::uint8_t* base,
                            std::size_t step)
{
    if (list.empty())
        return 0;
    const std::uint8_t first = base[list[0].index * step];
    bool same = true;
    double sum = 0;
    for (const contribution& c : list) {
        const std::uint8_t v = base[c.index * step];
        same = same && v == first;
        sum += v * c.weight;
    }
    if (same)
        return first;
    const double rounded = img_round_half_away(sum);
    return std::uint8_t(std::clamp(rounded, 0.0, 255.0));
}

} // namespace

int img_resample_filtered(const std::uint8_t* source, std::uint32_t source_width,
                          std::uint32_t source_height, std::uint8_t* destination,
                          std::uint32_t destination_width, std::uint32_t destination_height,
                          int bytes_per_pixel, int filter)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (filter < 0 || filter > 13 || !source || !destination || bytes_per_pixel <= 0 ||
            !source_width || !source_height || !destination_width || !destination_height) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        const int n = bytes_per_pixel;
        const std::uint32_t sw = source_width, sh = source_height;
        const std::uint32_t dw = destination_width, dh = destination_height;
        std::vector<std::uint8_t> column(std::size_t(sh) * n);
        const double vscale = double(dh) / sh;
        const double hscale = double(dw) / sw;
        std::vector<std::vector<contribution>> vertical(dh);
        for (std::uint32_t i = 0; i < dh; ++i)
            img_filter_contributions(filter, vscale, i, sh, vertical[i]);
        std::vector<contribution> horizontal;
        for (std::uint32_t k = 0; k < dw; ++k) {
            img_filter_contributions(filter, hscale, k, sw, horizontal);
            for (std::uint32_t r = 0; r < sh; ++r)
                for (int c = 0; c < n; ++c)
                    column[std::size_t(r) * n + c] =
                        filtered_value(horizontal, source + std::size_t(r) * sw * n + c, std::size_t(n));
            for (std::uint32_t i = 0; i < dh; ++i)
                for (int c = 0; c < n; ++c)
                    destination[(std::size_t(i) * dw + k) * n + c] =
                        filtered_value(vertical[i], column.data() + c, std::size_t(n));
            if (!img_progress(state, k, dw)) {
                scope.code = IMG_ERR_CANCELLED;
                return 0;
            }
        }
        return 1;
    });
}
