#include "plotwell/core/axis_transforms.h"

#include "plotwell/core/shared_routines.h"
#include "platform/rtl/Invariant.h"

#include <cmath>
#include <cstring>

namespace plotwell {

double linear_fraction(double v, double lo, double hi)
{
    QUELM_INVARIANT(std::isfinite(lo) && std::isfinite(hi) && lo != hi, "an axis range is finite and not empty");
    return (v - lo) / (hi - lo);
}

double log_fraction(const plot_settings& ps, double v, double lo, double hi)
{
    if (v <= 0) {
        if (v == 0 && ps.logzero) return 0;
        fatal_error("unable to calculate logarithm of %g\n", v);
    }
    QUELM_INVARIANT(lo > 0 && hi > 0 && std::isfinite(lo) && std::isfinite(hi) && lo != hi,
                    "a logarithmic axis range is positive, finite and not empty");
    double f = (std::log10(v) - std::log10(lo)) / (std::log10(hi) - std::log10(lo));
    return ps.logzero ? f * 0.95 + 0.05 : f;
}

float axis_fraction(const plot_settings& ps, int log, double v, double lo, double hi)
{
    float f = static_cast<float>(log ? log_fraction(ps, v, lo, hi) : linear_fraction(v, lo, hi));
    if (std::fabs(f) < 1e-6f) return 0.0f;
    if (f > 50.0f) return 50.0f;
    if (f < -50.0f) return -50.0f;
    if (std::isnan(f)) return 0.0f;
    return f;
}

int log_axis_range(double lo, double hi, double& out_lo, double& out_hi)
{
    if (!(lo > 0) || !(hi > 0)) fatal_error("error in scaling log-axis because of data less or equal 0\n");
    int e = 1;
    if (lo < 10) {
        while (lo < std::pow(10.0, e)) --e;
    } else {
        while (lo > std::pow(10.0, e)) ++e;
        --e;
    }
    int u = e;
    while (hi > std::pow(10.0, u)) ++u;
    out_lo = std::pow(10.0, e);
    out_hi = std::pow(10.0, u);
    return u - e;
}

int round_axis_range(double lo, double hi, double& out_min, double& out_max, int k)
{
    bool exchanged = false;
    if (hi < lo) {
        std::swap(lo, hi);
        exchanged = true;
    }
    // A span beyond the largest double, or one so small that its unit overflows, has no drawable
    // rounding; the decimal searches below end for every finite span.
    auto undrawable = [&] { fatal_error("axis range %g to %g cannot be drawn\n", exchanged ? hi : lo, exchanged ? lo : hi); };
    if (!std::isfinite(lo) || !std::isfinite(hi)) undrawable();
    double r = hi - lo;
    if (!std::isfinite(r)) undrawable();
    if (r == 0) {
        out_min = lo - 1;
        out_max = hi + 1;
        return 2;
    }
    double s = 1;
    if (r < 1) {
        do s *= 10; while (!(r * s >= 1 || 1 - r * s < 0.000001));
    } else if (r > 10) {
        do s /= 10; while (!(r * s <= 10 || r * s - 10 < 0.000001));
    }
    // the unit may grow by two more decades below (a span of a few denormals has none)
    if (!std::isfinite(s * 100)) undrawable();
    double v = r * s;
    double w = std::trunc(v);
    if ((10 * v - 10 * w) * w < 0.8) s *= 10;
    double n = std::trunc(r * s);
    double a;
    double t = s * lo;
    if (lo >= 0) {
        if (t - std::trunc(t) > n / 6) s *= 10;
        a = std::trunc(s * lo);
    } else {
        if (t - std::trunc(t - 1) > n / 6) s *= 10;
        double sl = s * lo;
        a = (sl != std::trunc(sl)) ? std::trunc(sl - 1) : sl;
    }
    out_min = a / s;
    double b = std::trunc(s * hi);
    if (s * hi - b > 0.000001) b += 1;
    long long c = static_cast<long long>(std::llround(b - a));
    if (k > 1 && c % k != 0) {
        c += k - c % k;
        b = a + static_cast<double>(c);
    }
    out_max = b / s;
    if (!std::isfinite(out_max - out_min)) undrawable();
    long long m = c;
    while (m > 11) {
        if (m % 2 == 0) m /= 2;
        else if (m % 5 == 0) m /= 5;
        else if (m % 3 == 0) m /= 3;
        else {
            out_max += 1 / s;
            ++c;
            m = c;
        }
    }
    if (exchanged) std::swap(out_min, out_max);
    return static_cast<int>(m);
}

axis_settings& axis_by_number(plot_settings& ps, int axis)
{
    return axis == 0 ? ps.x_axis : axis == 1 ? ps.y1_axis : ps.y2_axis;
}

void scale_axis(plot_settings& ps, int keep_min, double data_min, int log, double data_max, int axis,
                int min_is_hint)
{
    axis_settings& a = axis_by_number(ps, axis);
    double lo = data_min, hi = data_max;
    bool kept = false;
    if (keep_min) {
        if (min_is_hint && data_min < a.min) {
            lo = data_min;
        } else {
            lo = a.min;
            kept = true;
        }
    }
    if (!std::isfinite(lo) || !std::isfinite(hi))
        fatal_error("axis range %g to %g cannot be drawn\n", lo, hi);
    if (lo == hi) {
        hi += 1;
        if (lo >= 1) lo -= 1;
    }
    double out_lo, out_hi;
    int intervals = log ? log_axis_range(lo, hi, out_lo, out_hi) : round_axis_range(lo, hi, out_lo, out_hi, 1);
    if (!a.labels_given) a.intervals = intervals;
    a.max = out_hi;
    if (!kept) a.min = out_lo;
}

void check_log_axis(int log, const char* name, double min, double max)
{
    if (log && (!(min > 0) || !(max > 0))) fatal_error("logscale %s <=0 not allowed\n", name);
}

static void round_zoom_axis(axis_settings& a, double lo, double hi, bool polygons)
{
    double out_lo, out_hi;
    a.intervals = a.log_scale ? log_axis_range(lo, hi, out_lo, out_hi) : round_axis_range(lo, hi, out_lo, out_hi, 1);
    a.min = out_lo;
    a.max = out_hi;
    if (polygons) a.intervals = 1;
    // One interval is `step` axis units (decades on a logarithmic axis). An odd count is made even at
    // one end, the maximum end first (the minimum end first on a reversed axis), alternating.
    bool at_max = !(a.max < a.min);
    double step = a.intervals ? (a.log_scale ? std::log10(a.max / a.min) : a.max - a.min) / a.intervals : 0;
    while (a.intervals > 12) {
        if (a.intervals % 2) {
            if (a.log_scale) {
                if (at_max) a.max *= std::pow(10.0, step);
                else a.min /= std::pow(10.0, step);
            } else {
                if (at_max) a.max += step;
                else a.min -= step;
            }
            at_max = !at_max;
            ++a.intervals;
        }
        a.intervals /= 2;
        step *= 2;
    }
}

void set_zoom_axes(plot_settings& ps)
{
    ps.y1_only = 1;
    ps.y1_right = ps.y1_both = 0;
    for (axis_settings* a : {&ps.x_axis, &ps.y1_axis}) {
        a->labels_given = 0;
        a->min_is_hint = 0;
        a->range_given = 1;
        a->min_only = 0;
    }
    round_zoom_axis(ps.x_axis, ps.app.zoom_x1, ps.app.zoom_x2, ps.polygons_present != 0);
    round_zoom_axis(ps.y1_axis, ps.app.zoom_y1, ps.app.zoom_y2, false);
    if (ps.matrix_plot) {
        ps.map_x1 = ps.x_axis.min;
        ps.map_x2 = ps.x_axis.max;
    }
}

void set_graph_viewport(plot_settings& ps, double x1, double y1, double x2, double y2, double window)
{
    double W = ps.gr->page_width_pct(), H = ps.gr->page_height_pct();
    double sx = ps.page_scale_x, sy = ps.page_scale_y;
    auto mx = [&](double x) { return x * W * sx + W * (100 - 100 * sx) / 2; };
    auto my = [&](double y) { return y * H * sy + H * (100 - 100 * sy) / 2; };
    ps.gr->gr_set_viewport(mx(x1), my(y1), mx(x2), my(y2));
    ps.gr->gr_set_window(0, 0, window, window);
}

// A label format is given by the user: only one conversion of a floating value is honoured
// ("%d" and "%i" print the value rounded); any other format prints the value with "%G" after
// the text, so that no format can read arguments that are not there.
std::string format_tick_value(const std::string& format, double value)
{
    std::string fmt;
    int conversions = 0;
    bool ok = true;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%') {
            fmt += c;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            fmt += "%%";
            ++i;
            continue;
        }
        size_t j = i + 1;
        std::string conversion = "%";
        while (j < format.size() && std::strchr("-+ #0", format[j])) conversion += format[j++];
        while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j]))) conversion += format[j++];
        if (j < format.size() && format[j] == '.') {
            conversion += format[j++];
            while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j]))) conversion += format[j++];
        }
        while (j < format.size() && (format[j] == 'l' || format[j] == 'L')) ++j;
        if (j >= format.size()) { ok = false; break; }
        // The label is cut to 99 characters: a width or precision of four digits or more is refused
        // rather than formatted into a text of that size.
        if (conversion.find_first_of("0123456789") != std::string::npos) {
            size_t run = 0, longest = 0;
            for (char d : conversion) longest = std::max(longest, run = std::isdigit(static_cast<unsigned char>(d)) ? run + 1 : 0);
            if (longest > 3) { ok = false; break; }
        }
        char conv = format[j];
        if (std::strchr("eEfFgG", conv)) {
            conversion += conv;
        } else if (conv == 'd' || conv == 'i') {
            conversion += ".0f";
            if (conversion.find('.') != conversion.rfind('.')) { ok = false; break; }
        } else {
            ok = false;
            break;
        }
        fmt += conversion;
        ++conversions;
        i = j;
    }
    if (!ok || conversions > 1) {
        std::string safe;
        for (char c : format) safe += (c == '%') ? std::string("%%") : std::string(1, c);
        fmt = safe + "%G";
        conversions = 1;
    }
    // A format without a conversion is literal text; the value is then not used.
    return format_double(fmt.c_str(), conversions == 0 ? 0.0 : value).substr(0, 99);
}

static std::string linear_label(const axis_settings& a, double value)
{
    double step = a.intervals ? (a.max - a.min) / a.intervals : 0;
    if (a.max > 0 && a.min < 0 && std::fabs(value) < std::fabs(step) / 1000 && a.label_format == "%G") return "0";
    return format_tick_value(a.label_format, value);
}

double measure_axis_labels(plot_settings& ps, const axis_settings& axis, int side)
{
    const axis_settings& lab = (side == 2 && (ps.y1_right || ps.y1_both)) ? ps.y1_axis : axis;
    double widest = 0;
    if (lab.labels_given) {
        for (const std::string& l : lab.labels) widest = std::max(widest, ps.gr->gr_text_width(l));
        return widest;
    }
    int n = axis.intervals;
    for (int i = 0; i <= n; ++i) {
        double w;
        if (axis.log_scale) {
            double e = std::log10(axis.max) - (std::log10(axis.max) - std::log10(axis.min)) * i / (n ? n : 1);
            w = ps.gr->gr_text_width("10") + 0.6 * ps.gr->gr_text_width(format_tick_value(axis.label_format, e));
        } else {
            double v = axis.max - i * (axis.max - axis.min) / (n ? n : 1);
            w = ps.gr->gr_text_width(linear_label(axis, v));
        }
        widest = std::max(widest, w);
    }
    return widest;
}

void fit_text_right(plot_settings& ps, int draw, double x, double y, const std::string& text)
{
    double room = ps.state.layout_width - 25 - (x + 2);
    double w = ps.gr->gr_text_width(text);
    if (w > room && room > 0 && w > 0) {
        ps.text_height *= room / w;
        ps.gr->gr_set_char_height(ps.text_height);
    }
    if (draw) {
        ps.gr->gr_move_to(x + 2, y - ps.text_height / 2 / ps.font_factor);
        ps.gr->gr_text(text);
    }
}

} // namespace plotwell
