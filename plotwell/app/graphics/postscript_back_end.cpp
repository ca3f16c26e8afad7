// PostScript side of the graphics layer.
#include "plotwell/app/graphics/postscript_back_end.h"

#include "plotwell/core/plot_settings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace plotwell {

ps_page postscript_page(bool landscape, bool a3)
{
    if (landscape) return a3 ? ps_page{4650, 3295} : ps_page{3295, 2273};
    return a3 ? ps_page{3295, 4650} : ps_page{2273, 3295};
}

std::string postscript_escape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\t') {
            out += ' ';
        } else if (c == '(' || c == ')' || c == '[' || c == ']') {
            out += '\\';
            out += c;
        } else if (c == '\\') {
            std::size_t j = i + 1;
            while (j < text.size() && text[j] == ' ') ++j;
            if (!(j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])))) out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

void plot_graphics::ps_write(const char* format, ...)
{
    if (!ps_file_) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(ps_file_, format, args);
    va_end(args);
}

void plot_graphics::ps_put(const char* text, std::size_t length)
{
    if (ps_file_) std::fwrite(text, 1, length, ps_file_);
}

char* ps_rounded(char* out, double value)
{
    // printf's "%.0f": the nearest whole number, halves to even, and "-0" for a negative value that
    // rounds to zero; far values go through printf itself
    if (!(std::fabs(value) < 1e15)) return out + std::sprintf(out, "%.0f", value);
    const double r = std::nearbyint(value);
    if (r == 0 && std::signbit(value)) {
        *out++ = '-';
        *out++ = '0';
        return out;
    }
    return std::to_chars(out, out + 24, static_cast<long long>(r)).ptr;
}

namespace {
std::FILE* open_in_folder(const std::string& name, const std::string& folder, const char* mode)
{
    std::FILE* f = std::fopen(name.c_str(), mode);
    if (!f && !folder.empty() && (name.empty() || name[0] != '/')) f = std::fopen((folder + "/" + name).c_str(), mode);
    return f;
}

std::vector<std::string> blank_words(const std::string& line, std::size_t max)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size() && words.size() < max) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i >= line.size()) break;
        std::size_t j = i;
        while (j < line.size() && !std::isspace(static_cast<unsigned char>(line[j]))) ++j;
        words.push_back(line.substr(i, j - i));
        i = j;
    }
    return words;
}
} // namespace

void plot_graphics::ps_open_page()
{
    ps_force_colour_ = ps_force_fill_ = true;
    ps_reencoded_.fill(false);
    ps_reencode_request_ = false;
    ps_last_font_key_ = 0;
    ps_last_size_ = "0";
    gr_update_font_number();

    const plot_settings& s = *settings;
    const std::string prolog = "pscinit.xy";
    std::FILE* in = open_in_folder(prolog, settings_folder, "r");
    if (!in) fatal_error("Cannot open %s\n", prolog.c_str());
    if (ps_file_) std::fclose(ps_file_);
    ps_file_ = std::fopen(s.postscript_file_name.c_str(), "w");
    if (!ps_file_) {
        std::fclose(in);
        fatal_error("Cannot open %s\n", s.postscript_file_name.c_str());
    }
    std::setvbuf(ps_file_, nullptr, _IOFBF, 1 << 20);
    const bool landscape = s.postscript_landscape != 0;
    const bool a3 = s.paper_a3 != 0;
    const bool colour = colour_hardcopy();
    const std::string& out_name = s.postscript_file_name;
    const bool wps = out_name.size() >= 3 &&
                     (out_name.compare(out_name.size() - 3, 3, "wps") == 0 || out_name.compare(out_name.size() - 3, 3, "WPS") == 0);
    char buffer[512];
    bool version_ok = false;
    while (std::fgets(buffer, sizeof buffer, in)) {
        std::string line = buffer;
        if (line.rfind("%%BoundingBox:", 0) == 0) {
            int a, b, c;
            if (!landscape) {
                if (colour) a = 120, b = 576, c = 782;
                else a = 22, b = 567, c = 812;
            } else {
                if (colour) a = 120, b = 684, c = 674;
                else a = 22, b = 812, c = 567;
            }
            ps_write("%%%%BoundingBox:  22 %d %d %d\n", a, b, c);
            if (s.print_papersize) ps_write(a3 ? "a3\n" : "a4\n");
        } else if (line.rfind("%%BeginProcSet:", 0) == 0) {
            ps_write("%s", line.c_str());
            const std::vector<std::string> words = blank_words(line, 10);
            if (words.size() < 3 || words[2] != prolog_version) {
                std::fclose(in);
                std::fclose(ps_file_);
                ps_file_ = nullptr;
                fatal_error("wrong version of pscinit.xy (needs 2.1.7)\n");
            }
            version_ok = true;
        } else if (line.rfind("/LT", 0) == 0 && line.find('[') != std::string::npos) {
            const std::size_t open = line.find('[');
            std::size_t close = line.find(']', open);
            if (close == std::string::npos) close = line.size();
            ps_write("%s[", line.substr(0, open).c_str());
            const std::vector<std::string> numbers = blank_words(line.substr(open + 1, close - open - 1), 10);
            const double divisor = s.dash_divisor != 0 ? s.dash_divisor : 1.0;
            for (const std::string& n : numbers) ps_write("%.0f ", std::atof(n.c_str()) / divisor);
            ps_write("] def\n");
        } else {
            ps_write("%s", line.c_str());
        }
    }
    std::fclose(in);
    if (!version_ok) {
        std::fclose(ps_file_);
        ps_file_ = nullptr;
        fatal_error("wrong version of pscinit.xy (needs 2.1.7)\n");
    }
    ps_write("/#copies %d def\n", std::min(std::max(s.copies, 1), 99));
    ps_write("/SAVEOBJ save def\n");
    const ps_page page = postscript_page(landscape, a3);
    const int code = landscape && !wps ? 1 : 2;
    ps_write(" 300 %d 22 %d %.0f %.0f\nIntlsePge\n", code, 22, page.width, page.height);
    ps_write(" 0 0\n %.0f %.0f\nStClpRctngle\n", page.width, page.height);
    ps_write("0\nStHrzntlAlgnmnt\n 0\nStVrtclAlgnmnt\n 0.000000\nStSpcng\n");
    ps_write("0.000000 1.000000\nStChrctrUpvctr\n");
    ps_write("0\nStTxtPth\n");
    page_width_pct_ = page.width / 100;
    page_height_pct_ = page.height / 100;
    drawn_extent.reset();
    gr_set_viewport(0, 0, page.width, page.height);
}

void plot_graphics::ps_write_path(int n, const float* xs, const float* ys)
{
    ps_write("NwPth\n");
    int c = 0;
    long px = 0, py = 0;
    for (int j = 0; j < n; ++j) {
        const long x = static_cast<long>(xs[j] / scale_x_ + vp_x1_);
        const long y = static_cast<long>(ys[j] / scale_y_ + vp_y1_);
        const bool last = j == n - 1;
        if (j > 0 && !last && x == px && y == py) continue;
        px = x;
        py = y;
        ps_write("%ld %ld\n", x, y);
        ++c;
        if (c <= 200) {
            if (c == 200 || last) ps_write("%d\nCrtePth\n", c);
        } else if (c % 200 == 0 || last) {
            const int rest = c % 200 == 0 ? 200 : c % 200;
            ps_write("%d\nAppndPth\n", last ? rest : 200);
        }
    }
}

void plot_graphics::ps_set_colour()
{
    const auto& e = colour_table_[current_colour_];
    if (!ps_file_) return;
    if (!ps_force_colour_ && e[0] == ps_last_rgb_[0] && e[1] == ps_last_rgb_[1] && e[2] == ps_last_rgb_[2]) return;
    std::string& text = ps_colour_text_[current_colour_];
    if (text.empty() || ps_colour_text_rgb_[current_colour_] != e) {
        char buffer[96];
        const int n = std::snprintf(buffer, sizeof buffer, "%g %g %g\nStRGBClr\n", e[0] / 255.0, e[1] / 255.0, e[2] / 255.0);
        text.assign(buffer, static_cast<std::size_t>(std::max(n, 0)));
        ps_colour_text_rgb_[current_colour_] = e;
    }
    ps_put(text.data(), text.size());
    ps_force_colour_ = false;
    for (int k = 0; k < 3; ++k) ps_last_rgb_[k] = e[k];
}

void plot_graphics::gr_select_font()
{
    if (!ps_output() || !ps_file_) return;
    static const char* const names[] = {"Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic",
                                        "Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
                                        "Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique"};
    char s[64];
    std::snprintf(s, sizeof s, "%.0f", char_height_ * viewport_height_pct_);
    if (font_number_ == 23) ps_reencode_request_ = false;
    if (font_number_ == ps_last_font_key_ && ps_last_size_ == s && !ps_reencode_request_) return;
    if (ps_reencode_request_ && font_number_ >= 11 && font_number_ <= 22 && !ps_reencoded_[font_number_]) {
        ps_reencoded_[font_number_] = true;
        const char* n = names[font_number_ - 11];
        ps_write("/%s findfont\n", n);
        ps_write("dup length dict begin\n");
        ps_write("  {1 index /FID ne {def} {pop pop} ifelse} forall\n");
        ps_write("  /Encoding ISOLatin1Encoding def\n");
        ps_write("  currentdict\n");
        ps_write("end\n");
        ps_write("/%s-ISOLatin1 exch definefont pop\n", n);
    }
    const int key = font_number_ + (ps_reencode_request_ ? 20 : 0);
    if (key == ps_last_font_key_ && ps_last_size_ == s) return;
    ps_write("-%d %s 9\nStTxtFnt\n", key, s);
    ps_last_font_key_ = key;
    ps_last_size_ = s;
}

void plot_graphics::ps_text_segment(double x, double y, const std::string& buffer)
{
    gr_move_to(x, y);
    ps_write("NwPth\n(%s)\n%.0f %.0f\nTxt\n", buffer.c_str(), cur_x_, cur_y_);
}

} // namespace plotwell
