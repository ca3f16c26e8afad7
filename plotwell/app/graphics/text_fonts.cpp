// Texts, fonts and escape sequences.
#include "plotwell/app/graphics/text_fonts.h"

#include "plotwell/app/graphics/postscript_back_end.h"

#include "plotwell/core/plot_settings.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace plotwell {

namespace {
// Advance widths per 1000 units of characters 33..126.
const short afm_widths[5][94] = {
    {278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556, 556, 556, 556, 556, 556, 556,
     556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667,
     778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556, 222, 556, 556, 500, 556, 556, 278, 556, 556,
     222, 222, 500, 222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584},
    {333, 474, 556, 556, 889, 722, 278, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556, 556, 556, 556, 556, 556, 556,
     556, 333, 333, 584, 584, 584, 611, 975, 722, 722, 722, 722, 667, 611, 778, 722, 278, 556, 722, 611, 833, 722, 778, 667,
     778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 333, 278, 333, 584, 556, 278, 556, 611, 556, 611, 556, 333, 611, 611,
     278, 278, 556, 278, 889, 611, 611, 611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584},
    {333, 408, 500, 500, 833, 778, 333, 333, 333, 500, 564, 250, 333, 250, 278, 500, 500, 500, 500, 500, 500, 500, 500, 500,
     500, 278, 278, 564, 564, 564, 444, 921, 722, 667, 667, 722, 611, 556, 722, 722, 333, 389, 722, 611, 889, 722, 722, 556,
     722, 667, 556, 611, 722, 722, 944, 722, 722, 611, 333, 278, 333, 469, 500, 333, 444, 500, 444, 500, 444, 333, 500, 500,
     278, 278, 500, 278, 778, 500, 500, 500, 500, 333, 389, 278, 500, 500, 722, 500, 500, 444, 480, 200, 480, 541},
    {333, 555, 500, 500, 1000, 833, 333, 333, 333, 500, 570, 250, 333, 250, 278, 500, 500, 500, 500, 500, 500, 500, 500, 500,
     500, 333, 333, 570, 570, 570, 500, 930, 722, 667, 722, 722, 667, 611, 778, 778, 389, 500, 778, 667, 944, 722, 778, 611,
     778, 722, 556, 667, 722, 722, 1000, 722, 722, 667, 333, 278, 333, 581, 500, 333, 500, 556, 444, 556, 444, 333, 500, 556,
     278, 333, 556, 278, 833, 556, 500, 556, 556, 444, 389, 333, 556, 500, 722, 500, 500, 444, 394, 220, 394, 520},
    {333, 713, 500, 549, 833, 778, 439, 333, 333, 500, 549, 250, 549, 250, 278, 500, 500, 500, 500, 500, 500, 500, 500, 500,
     500, 278, 278, 549, 549, 549, 444, 549, 722, 667, 722, 612, 611, 763, 603, 722, 333, 631, 722, 686, 889, 722, 722, 768,
     741, 556, 592, 611, 690, 439, 768, 645, 795, 611, 333, 863, 333, 658, 500, 500, 631, 549, 549, 494, 439, 521, 411, 603,
     329, 603, 549, 549, 576, 521, 549, 549, 521, 549, 603, 439, 576, 713, 686, 493, 686, 494, 480, 200, 480, 549},
};

struct exact_width { char c; float w[5]; };
// The widths the tables hold exactly.
const exact_width exact_widths[] = {
    {'!', {0.191f, 0.226f, 0.228f, 0.228f, 0.230f}}, {'A', {0.461f, 0.496f, 0.499f, 0.498f, 0.484f}},
    {'M', {0.569f, 0.571f, 0.611f, 0.649f, 0.588f}}, {'W', {0.652f, 0.655f, 0.648f, 0.690f, 0.518f}},
    {'a', {0.383f, 0.383f, 0.306f, 0.342f, 0.425f}}, {'i', {0.150f, 0.191f, 0.191f, 0.190f, 0.221f}},
    {'m', {0.567f, 0.610f, 0.535f, 0.573f, 0.392f}},
};
const float digit_widths[5] = {0.383f, 0.383f, 0.346f, 0.342f, 0.336f};

struct accent { char base, mark; unsigned char code; };
const accent accents[] = {
    {'A', '`', 192}, {'A', '\'', 193}, {'A', '^', 194}, {'A', '~', 195}, {'A', '"', 196}, {'A', 'o', 197}, {'A', 'e', 198},
    {'a', '`', 224}, {'a', '\'', 225}, {'a', '^', 226}, {'a', '~', 227}, {'a', '"', 228}, {'a', 'o', 229}, {'a', 'e', 230},
    {'E', '`', 200}, {'E', '\'', 201}, {'E', '^', 202}, {'E', '"', 203}, {'e', '`', 232}, {'e', '\'', 233}, {'e', '^', 234},
    {'e', '"', 235}, {'I', '`', 204}, {'I', '\'', 205}, {'I', '^', 206}, {'I', '"', 207}, {'i', '`', 236}, {'i', '\'', 237},
    {'i', '^', 238}, {'i', '"', 239}, {'O', '`', 210}, {'O', '\'', 211}, {'O', '^', 212}, {'O', '~', 213}, {'O', '"', 214},
    {'O', '/', 216}, {'o', '`', 242}, {'o', '\'', 243}, {'o', '^', 244}, {'o', '~', 245}, {'o', '"', 246}, {'o', '/', 248},
    {'O', 'r', 174}, {'o', 'r', 174}, {'O', 'c', 169}, {'o', 'c', 169}, {'U', '`', 217}, {'U', '\'', 218}, {'U', '^', 219},
    {'U', '"', 220}, {'u', '`', 249}, {'u', '\'', 250}, {'u', '^', 251}, {'u', '"', 252}, {'N', '~', 209}, {'n', '~', 241},
    {'Y', '\'', 221}, {'Y', '"', 223}, {'y', '\'', 253}, {'y', '"', 255}, {'1', '2', 189}, {'1', '4', 188}, {'3', '4', 190},
    {'+', '-', 177}, {'-', '.', 247}, {'c', '/', 162}, {'c', ',', 231}, {'C', ',', 199},
};
} // namespace

double postscript_char_width(int table, unsigned char c)
{
    if (c < 33 || c > 126 || table < 0 || table > 4) return 0.4;
    if (c >= '0' && c <= '9') return digit_widths[table];
    for (const exact_width& e : exact_widths)
        if (e.c == static_cast<char>(c)) return e.w[table];
    // the tables scale the standard widths so that the digits get their listed widths
    static const short digit_afm[5] = {556, 556, 500, 500, 500};
    return afm_widths[table][c - 33] * (digit_widths[table] / digit_afm[table]);
}

char16_t math_font_character(unsigned char c)
{
    static const char16_t upper[26] = {u'Α', u'Β', u'Χ', u'Δ', u'Ε', u'Φ', u'Γ', u'Η', u'Ι', u'ϑ', u'Κ', u'Λ', u'Μ',
                                       u'Ν', u'Ο', u'Π', u'Θ', u'Ρ', u'Σ', u'Τ', u'Υ', u'ς', u'Ω', u'Ξ', u'Ψ', u'Ζ'};
    static const char16_t lower[26] = {u'α', u'β', u'χ', u'δ', u'ε', u'φ', u'γ', u'η', u'ι', u'ϕ', u'κ', u'λ', u'μ',
                                       u'ν', u'ο', u'π', u'θ', u'ρ', u'σ', u'τ', u'υ', u'ϖ', u'ω', u'ξ', u'ψ', u'ζ'};
    if (c >= 'A' && c <= 'Z') return upper[c - 'A'];
    if (c >= 'a' && c <= 'z') return lower[c - 'a'];
    switch (c) {
    case '"': return u'∀';
    case '$': return u'∃';
    case '\'': return u'∋';
    case '*': return u'∗';
    case '-': return u'−';
    case '@': return u'≅';
    case '\\': return u'∴';
    case '^': return u'⊥';
    case '`': return u'‾';
    case '~': return u'∼';
    case 0xB0: return u'°';
    case 0xB1: return u'±';
    case 0xB3: return u'≥';
    case 0xA3: return u'≤';
    case 0xA5: return u'∞';
    case 0xB4: return u'×';
    case 0xB8: return u'÷';
    case 0xB9: return u'≠';
    case 0xBB: return u'≈';
    case 0xD6: return u'√';
    case 0xE5: return u'∑';
    case 0xF2: return u'∫';
    default: return static_cast<char16_t>(c);
    }
}

int plot_graphics::compose_accented_char(char base, char mark)
{
    for (const accent& a : accents)
        if (a.base == base && a.mark == mark) return a.code;
    return 0;
}

namespace {
double size_factor(const text_font& f)
{
    if (f.family == font_family::times) return 1.5;
    if (f.family == font_family::courier) return 1.66;
    return 1.34;
}
} // namespace

void plot_graphics::gr_set_font(const text_font& font)
{
    text_font_ = font;
    gr_update_font_number();
}

void plot_graphics::gr_update_font_number()
{
    const text_font& f = text_font_;
    int n = f.family == font_family::courier ? 19 : f.family == font_family::times ? 11 : f.family == font_family::symbol ? 23 : 15;
    if (n != 23) {
        if (f.bold) n += 1;
        if (f.italic) n += 2;
    }
    font_number_ = n;
}

void plot_graphics::gr_set_char_height(double h)
{
    char_height_ = h;
    text_char_height_ = h;
    char s[64];
    if (ps_output()) {
        if (trunc16(h * viewport_height_pct_) != ps_last_font_size_) gr_select_font();
        std::snprintf(s, sizeof s, "%.0f", h * viewport_height_pct_);
        ps_last_font_size_ = std::atoi(s);
        if (viewport_height_pct_ != 0) char_height_ = std::atof(s) / viewport_height_pct_;
        return;
    }
    const double f = size_factor(text_font_);
    if (font_scale_ref_ != 0 && font_rounding_ != 0) {
        std::snprintf(s, sizeof s, "%.0f", h * font_rounding_ * f);
        char_height_ = std::atof(s) / font_rounding_ / f;
    }
    const double H = viewport_height_pct_;
    const double exact = char_height_ * H * f;
    int p = trunc16(exact);
    if (exact - p >= 0.5) ++p;
    gdi_make_font_of(p);
}

void plot_graphics::gdi_make_font_of(int p)
{
    const bool bold = text_font_.bold, italic = text_font_.italic;
    const bool math = text_font_.family == font_family::symbol || font_number_ == 23;
    std::string face = math ? "Math"
                       : text_font_.family == font_family::courier ? "Courier"
                       : text_font_.family == font_family::times   ? "Times Roman"
                                                              : "Helvetica";
    if (font_made_ && font_ && p == font_pixels_ && text_vertical_ == font_vertical_ && bold == font_bold_ &&
        italic == font_italic_ && face == font_face_)
        return;
    const std::vector<HDC> dcs = targets();
    if (font_) {
        for (HDC dc : dcs) SelectObject(dc, GetStockObject(SYSTEM_FONT));
        retire(font_);
    }
    const int escapement = text_vertical_ ? 900 : 0;
    BYTE pitch_family = VARIABLE_PITCH | FF_SWISS;
    if (face == "Courier") pitch_family = FIXED_PITCH | FF_MODERN;
    else if (face != "Helvetica") pitch_family = VARIABLE_PITCH | FF_ROMAN;
    font_ = CreateFont(-p, 0, escapement, escapement, bold ? 700 : 400, italic, 0, 0,
                       math ? SYMBOL_CHARSET : ANSI_CHARSET, 1, 2, 2, pitch_family, face.c_str());
    font_made_ = true;
    font_pixels_ = p;
    font_vertical_ = text_vertical_;
    font_bold_ = bold;
    font_italic_ = italic;
    font_face_ = face;
    for (HDC dc : dcs) SelectObject(dc, font_);
}

void plot_graphics::gdi_text_out(double x, double y, const std::string& text)
{
    text_x_ = x;
    text_y_ = y;
    const bool math = font_face_ == "Math";
    for (HDC dc : targets()) {
        if (font_) SelectObject(dc, font_);
        if (math) {
            std::u16string w;
            for (unsigned char c : text) w += math_font_character(c);
            TextOutW(dc, trunc16(x), trunc16(y), w.data(), static_cast<int>(w.size()));
        } else {
            TextOut(dc, trunc16(x), trunc16(y), text.data(), static_cast<int>(text.size()));
        }
    }
}

double plot_graphics::gdi_text_extent(const std::string& text)
{
    HDC dc = exporting ? (metafile_dc ? metafile_dc : export_bitmap_dc) : draw_dc;
    if (!dc) {
        const std::vector<HDC> dcs = targets();
        if (!dcs.empty()) dc = dcs.back();
    }
    if (!dc) return 0.6 * font_pixels_ * static_cast<double>(text.size());
    if (font_) SelectObject(dc, font_);
    SIZE size{0, 0};
    if (font_face_ == "Math") {
        std::u16string w;
        for (unsigned char c : text) w += math_font_character(c);
        GetTextExtentPoint32W(dc, w.data(), static_cast<int>(w.size()), &size);
    } else {
        GetTextExtentPoint32(dc, text.data(), static_cast<int>(text.size()), &size);
    }
    return size.cx;
}

double plot_graphics::gr_text_width(const std::string& text_in)
{
    std::string text = text_in;
    const char E = escape_char();
    const bool ps = ps_output();
    double c = char_height_, z = 1.0;
    bool math = math_measure_ || font_number_ == 23;
    const bool times = text_font_.family == font_family::times, courier = text_font_.family == font_family::courier, bold = text_font_.bold;
    int table = times ? (bold ? 3 : 2) : (bold ? 1 : 0);
    const double blank = times ? 0.172 : 0.19;
    double final_factor = 1.0;
    if (ps) final_factor = text_vertical_ ? 0.925 : (viewport_width_pct_ != 0 ? viewport_height_pct_ / viewport_width_pct_ : 1) * 1.453;
    const double across = text_vertical_ ? viewport_height_pct_ : viewport_width_pct_;
    bool sup = false, sub = false;
    double saved = 0, sum = 0;
    auto measure = [&](unsigned char ch, bool composed) {
        if (ps) {
            double w;
            if (composed) w = 0.4;
            else if (courier && !math) w = 0.4125;
            else if (ch == ' ') w = blank;
            else if (ch >= 33 && ch <= 126) w = postscript_char_width(math ? 4 : table, ch);
            else w = 0.4;
            sum += w * c * z;
        } else {
            const std::string one(1, static_cast<char>(ch));
            if (across != 0) sum += gdi_text_extent(one) / across;
        }
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\n') break;
        if (ch == '\t') ch = text[i] = ' ';
        if (ch == E && i + 1 < text.size() && std::strchr("PBSC", text[i + 1])) {
            const char k = text[i + 1];
            ++i;
            if (k == 'P') {
                if (sup) sup = false;
                else {
                    sup = true;
                    if (sub) sum = saved;
                    else saved = sum;
                }
            } else if (k == 'B') {
                if (sub) sub = false;
                else {
                    sub = true;
                    if (sup) sum = saved;
                    else saved = sum;
                }
            } else if (k == 'S') {
                math = !math;
            } else {
                if (i + 2 >= text.size()) break;
                const int code = compose_accented_char(text[i + 1], text[i + 2]);
                i += 2;
                z = (sup || sub) ? 0.63 : 1.0;
                measure(code ? static_cast<unsigned char>(code) : static_cast<unsigned char>(text[i]), true);
                continue;
            }
            z = (sup || sub) ? 0.63 : 1.0;
            continue;
        }
        if (ps && ch == '\\' && i + 1 < text.size() && std::strchr("()[]", text[i + 1])) continue;
        measure(static_cast<unsigned char>(ch), false);
    }
    return sum * final_factor;
}

void plot_graphics::gr_text(const std::string& text)
{
    const bool ps = ps_output();
    const char E = escape_char();
    const double h0 = text_char_height_;
    const int F0 = font_number_;
    double bx, by;
    if (ps) {
        bx = (cur_x_ - vp_x1_) * scale_x_;
        by = (cur_y_ - vp_y1_) * scale_y_;
    } else {
        bx = cur_x_;
        by = cur_y_;
    }
    double x = bx, y = by;
    const double ratio = viewport_width_pct_ != 0 ? viewport_height_pct_ / viewport_width_pct_ : 1;
    double u, d;
    if (ps) {
        u = text_vertical_ ? 0.5 * ratio : 0.5;
        d = text_vertical_ ? 0.28 * ratio : 0.23;
    } else {
        u = (text_vertical_ ? 0.67 : -0.67) * viewport_height_pct_;
        d = (text_vertical_ ? 0.3 : -0.3) * viewport_height_pct_;
    }
    const double a = ps && text_vertical_ ? 1.5873 : 1.0;
    bool sup = false, sub = false, sym = false, bs = false, sb = false;
    bool accent_ended = false;
    char accent_base = 0;
    std::string buffer;

    auto end_segment = [&] {
        if (!buffer.empty()) {
            if (ps) {
                ps_text_segment(x, y, buffer);
            } else {
                gdi_text_out(x, y, buffer);
                // the text box, from 0.4 character heights below the baseline to 1.1 above
                const double ch = char_height_ * viewport_height_pct_;
                const double w = gr_text_width(buffer) * (text_vertical_ ? viewport_height_pct_ : viewport_width_pct_);
                if (text_vertical_) {
                    drawn_extent.widen(x + 0.4 * ch, y + 2);
                    drawn_extent.widen(x - 1.1 * ch, y - w - 2);
                } else {
                    drawn_extent.widen(x - 2, y + 0.4 * ch);
                    drawn_extent.widen(x + w + 2, y - 1.1 * ch);
                }
            }
        }
        double w;
        if (ps && accent_ended) {
            w = gr_text_width(buffer.substr(0, buffer.size() >= 4 ? buffer.size() - 4 : 0)) +
                gr_text_width(std::string(1, accent_base));
            ps_reencode_request_ = false;
            accent_ended = false;
        } else {
            w = buffer.empty() ? 0 : gr_text_width(buffer);
        }
        if (!ps) w = text_vertical_ ? -w * viewport_height_pct_ : w * viewport_width_pct_;
        buffer.clear();
        math_measure_ = false;
        font_number_ = sym ? 23 : F0;
        if (ps) gr_select_font();
        else gdi_make_font_of(font_pixels_);
        if (sup && !bs) {
            gr_set_char_height(0.63 * h0);
            if (!text_vertical_) {
                if (!sub) x += w;
                y = by + u * h0;
            } else {
                x = bx - u * h0;
                if (!sub) y += w * a;
            }
        } else if (sub && !sb) {
            gr_set_char_height(0.63 * h0);
            if (!text_vertical_) {
                if (!sup) x += w;
                y = by - d * h0;
            } else {
                x = bx + d * h0;
                if (!sup) y += w * a;
            }
        } else {
            gr_set_char_height(h0);
            if (!text_vertical_) {
                x += w;
                y = by;
            } else {
                y += w * a;
                x = bx;
            }
        }
        text_char_height_ = h0;
    };

    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == E) {
            if (i + 1 >= text.size()) break;
            const char k = text[i + 1];
            ++i;
            if (k == 'S') {
                sym = !sym;
                math_measure_ = !sym;
                end_segment();
            } else if (k == 'P') {
                sup = !sup;
                if (!sup) sb = false;
                else if (sub) sb = true;
                end_segment();
            } else if (k == 'B') {
                sub = !sub;
                if (!sub) bs = false;
                else if (sup) bs = true;
                end_segment();
            } else if (k == 'C') {
                if (i + 2 >= text.size()) break;
                const char base = text[i + 1], mark = text[i + 2];
                i += 2;
                const int code = compose_accented_char(base, mark);
                if (code == 0) {
                    // an unknown pair is drawn as it stands
                    buffer += ps ? postscript_escape(std::string{base, mark}) : std::string{base, mark};
                    continue;
                }
                if (ps) {
                    ps_reencode_request_ = true;
                    gr_select_font();
                    char oct[8];
                    std::snprintf(oct, sizeof oct, "\\%03o", code);
                    buffer += oct;
                    accent_ended = true;
                    accent_base = base;
                    end_segment();
                } else {
                    buffer += static_cast<char>(code);
                }
            } else {
                buffer += ps ? postscript_escape(std::string(1, k)) : std::string(1, k);
            }
            continue;
        }
        if (ch == '\n') {
            end_segment();
        } else if (ch == '\t') {
            buffer += ' ';
        } else {
            buffer += ps ? postscript_escape(std::string(1, ch)) : std::string(1, ch);
        }
    }
    end_segment();
    math_measure_ = false;
    font_number_ = F0;
    if (ps) gr_select_font();
    gr_set_char_height(h0);
}

} // namespace plotwell
