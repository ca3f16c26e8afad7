#include "plotwell/core/colour_table.h"

#include "plotwell/core/settings_language.h"
#include "plotwell/core/shared_routines.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plotwell {

namespace {

std::uint8_t to_byte(double fraction)
{
    if (!(fraction > 0)) return 0;
    if (fraction >= 1) return 255;
    return static_cast<std::uint8_t>(std::lround(fraction * 255.0));
}

rgb_colour from_fractions(double r, double g, double b) { return {to_byte(r), to_byte(g), to_byte(b)}; }

struct fraction_rgb {
    double r = 0, g = 0, b = 0;
};

// r g b of a colour-file line (words 2..4); missing words are 0.
fraction_rgb line_colour(const std::vector<std::string>& w, size_t first)
{
    fraction_rgb c;
    if (w.size() > first) c.r = to_double(w[first]);
    if (w.size() > first + 1) c.g = to_double(w[first + 1]);
    if (w.size() > first + 2) c.b = to_double(w[first + 2]);
    return c;
}

bool is_postscript_marker(const std::string& line) { return line.compare(0, 10, "POSTSCRIPT") == 0; }

} // namespace

colour_table builtin_colour_table()
{
    colour_table t;
    static const double first[16][3] = {
        {1, 1, 1}, {0, 0, 0}, {1, 0, 0}, {0, 0.6, 0}, {0, 0, 1}, {1, 0.5, 0}, {0.6, 0, 0.8}, {0, 0.7, 0.7},
        {0.6, 0.3, 0}, {1, 0, 1}, {0.5, 0.5, 0.5}, {0.5, 0.5, 0}, {0, 0, 0.5}, {0.5, 0, 0}, {0, 0.5, 0.5},
        {0.3, 0.8, 0.3}};
    for (int i = 0; i < 16; ++i) t.entries[i] = from_fractions(first[i][0], first[i][1], first[i][2]);
    for (int i = 16; i < 32; ++i) {
        auto v = static_cast<std::uint8_t>(16 * i - 241);
        t.entries[i] = {v, v, v};
    }
    // Hue blocks: for each step j a full channel u, a rising channel and a third channel v; the
    // channel pair moves on by one (red/green, green/blue, blue/red) every 16 entries.
    int index = 32;
    for (int j = 0; index < 256; ++j) {
        const int u = 255 - 20 * j, v = 40 * j;
        for (int pair = 0; pair < 3 && index < 256; ++pair) {
            const int full = pair, rising = (pair + 1) % 3, third = (pair + 2) % 3;
            for (int half = 0; half < 2; ++half) {
                for (int l = 0; l < 8 && index < 256; ++l) {
                    int ch[3];
                    ch[full] = half == 0 ? u : u - l * u / 7;
                    ch[rising] = half == 0 ? l * u / 7 : u;
                    ch[third] = v;
                    rgb_colour& e = t.entries[index++];
                    e.red = static_cast<std::uint8_t>(std::clamp(ch[0], 0, 255));
                    e.green = static_cast<std::uint8_t>(std::clamp(ch[1], 0, 255));
                    e.blue = static_cast<std::uint8_t>(std::clamp(ch[2], 0, 255));
                }
            }
        }
    }
    return t;
}

int colour_ramp_length(const plot_settings& ps)
{
    if (!ps.classes.empty()) return std::max<int>(2, static_cast<int>(ps.classes.size()));
    int sets = ps.series_count;
    return sets > 0 ? std::max(2, sets) : 0;
}

void set_up_colour_table(plot_settings& ps)
{
    colour_table t = builtin_colour_table();
    const bool mono_vector = ps.vector_output() && !ps.colour_output;
    const bool colour_vector = ps.vector_output() && ps.colour_output;
    t.use_palette = ps.on_screen() && !ps.no_palette && ps.app.palette_device;

    // The colour file's lines; on monochrome vector output only its section after "POSTSCRIPT".
    std::vector<std::string> lines;
    if (std::FILE* f = open_file_if_present(ps.shared, ps.colour_file_name, "r")) {
        lines = read_settings_lines(f);
        std::fclose(f);
    }
    size_t start = 0;
    if (mono_vector) {
        auto it = std::find_if(lines.begin(), lines.end(), is_postscript_marker);
        start = it == lines.end() ? lines.size() : static_cast<size_t>(it - lines.begin()) + 1;
    }
    size_t stop = start;
    while (stop < lines.size() && !is_postscript_marker(lines[stop])) ++stop;

    const int ramp = ps.range_colours ? colour_ramp_length(ps) : 0;
    fraction_rgb first_class{0, 0, 0}, last_class{1, 1, 1}, background;
    bool background_given = false;
    for (size_t i = start; i < stop; ++i) {
        std::vector<std::string> w = split_fields(lines[i], ' ', 8);
        if (w.empty()) continue;
        if (w[0] == "FIRSTCLASS") first_class = line_colour(w, 1);
        else if (w[0] == "LASTCLASS") last_class = line_colour(w, 1);
        else if (w[0] == "BACKGROUND") {
            background = line_colour(w, 1);
            background_given = true;
            t.entries[0] = from_fractions(background.r, background.g, background.b);
        } else if (w[0] == "TEXTCOLOR") {
            fraction_rgb c = line_colour(w, 1);
            t.entries[1] = from_fractions(c.r, c.g, c.b);
        } else if (is_number(w[0])) {
            int n = to_int(w[0]);
            // colour numbers beyond the table are passed over; with RANGE the ramp owns 2..L + 1
            if (n < 0 || n > 254) continue;
            if (ps.range_colours && n <= ramp + 1) continue;
            fraction_rgb c = line_colour(w, 1);
            t.entries[n + 1] = from_fractions(c.r, c.g, c.b);
        }
    }

    if (ps.range_colours && ramp > 0) {
        const int b = background_given ? 1 : 0;
        for (int j = 0; j < ramp && j + 2 < 256; ++j) {
            double f = ramp > 1 ? static_cast<double>(j) / (ramp - 1) : 0;
            fraction_rgb c;
            if (!mono_vector) {
                c = {first_class.r + (last_class.r - first_class.r) * f, first_class.g + (last_class.g - first_class.g) * f,
                     first_class.b + (last_class.b - first_class.b) * f};
            } else if (background_given && j < 2) {
                c = j == 0 ? fraction_rgb{0, 0, 0} : first_class;
            } else {
                const double d = j - b, cc = ramp - b - 1;
                const double q = cc > 0 ? d / cc : 0;
                c.r = first_class.r + (last_class.r - first_class.r) * q * q * q;
                c.g = first_class.g + (last_class.g - first_class.g) * q * std::min(1.0, 2 * q);
                c.b = first_class.b + (last_class.b - first_class.b) * q;
            }
            const int target = ps.reverse ? ramp - 1 - j + 2 : j + 2;
            if (target < 256) t.entries[target] = from_fractions(c.r, c.g, c.b);
        }
    }
    if (background_given && !(ps.postscript_output && !ps.colour_output)) {
        rgb_colour bg = from_fractions(background.r, background.g, background.b);
        if (ps.reverse) {
            int last = static_cast<int>(ps.classes.size()) + 1;
            if (last >= 2 && last < 256) t.entries[last] = bg;
        } else {
            t.entries[2] = colour_vector ? rgb_colour{255, 255, 255} : bg;
        }
    }
    if (colour_vector && !ps.page_background) t.entries[0] = {255, 255, 255};
    for (int i = 1; i < 256; ++i) t.patterns[i] = static_cast<std::uint8_t>(std::clamp(ps.fill_pattern[i], 0, 99));
    ps.state.colours = t;
    ps.gr->gr_set_colour_table(t);
    ps.gr->gr_set_colour(0);
}

std::vector<std::uint8_t> resample_picture(const std::vector<std::uint8_t>& pixels, int width, int height,
                                           int new_width, int new_height)
{
    std::vector<std::uint8_t> out;
    if (width <= 0 || height <= 0 || new_width <= 0 || new_height <= 0) return out;
    if (pixels.size() < static_cast<size_t>(width) * height * 3) return out;
    out.resize(static_cast<size_t>(new_width) * new_height * 3);
    for (int y = 0; y < new_height; ++y) {
        const int sy = static_cast<int>(static_cast<long long>(y) * height / new_height);
        for (int x = 0; x < new_width; ++x) {
            const int sx = static_cast<int>(static_cast<long long>(x) * width / new_width);
            std::memcpy(&out[(static_cast<size_t>(y) * new_width + x) * 3], &pixels[(static_cast<size_t>(sy) * width + sx) * 3], 3);
        }
    }
    return out;
}

void replace_picture_colour(std::vector<std::uint8_t>& pixels, rgb_colour from, rgb_colour to, int tolerance)
{
    for (size_t i = 0; i + 2 < pixels.size(); i += 3) {
        const int dr = pixels[i] - from.red, dg = pixels[i + 1] - from.green, db = pixels[i + 2] - from.blue;
        if (dr * dr + dg * dg + db * db <= tolerance) {
            pixels[i] = to.red;
            pixels[i + 1] = to.green;
            pixels[i + 2] = to.blue;
        }
    }
}

void prepare_bitmap_fills(plot_settings& ps, int drawing_area_width)
{
    for (int c = 1; c < 256; ++c) {
        const plot_settings::picture_fill& f = ps.picture_fills[c];
        if (f.file.empty()) continue;
        rgb_picture picture;
        picture.pixels = ps.gr->load_bitmap_file(expand_environment_path(f.file), picture.width, picture.height);
        if (picture.pixels.empty() || picture.width <= 0 || picture.height <= 0) continue;
        if (f.third > 0 && drawing_area_width > 0) {
            const int w = std::max(8, drawing_area_width / f.third);
            const int h = std::max(1, static_cast<int>(std::lround(static_cast<double>(picture.height) * w / picture.width)));
            picture.pixels = resample_picture(picture.pixels, picture.width, picture.height, w, h);
            picture.width = w;
            picture.height = h;
        }
        if (f.transparent >= 0 && f.transparent < 256) {
            const rgb_colour key = ps.state.colours.entries[f.transparent];
            replace_picture_colour(picture.pixels, key, key, f.tolerance);
            picture.transparent = f.transparent;
        }
        ps.gr->gr_define_fill_picture(c, picture);
    }
}

} // namespace plotwell
