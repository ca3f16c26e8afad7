#include "plotwell/core/linear_regression.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/data_stage.h"
#include "plotwell/core/shared_routines.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace plotwell {

namespace {

const char* const report_file_name = "lin_regr.xy";

// Calls `use(x, y)` for every point of the regression's series in the data file, with logarithms
// where the axes are logarithmic; the file is rewound before and after.
template <class F>
void for_each_point(plot_settings& ps, const std::array<int, max_series>& flags, F use)
{
    if (!ps.data_file) return;
    const int data_series = ps.series_count - ps.expression_count;
    std::string line, work;
    std::vector<char*> words;
    std::rewind(ps.data_file);
    while (read_data_line(ps, ps.data_file, line)) {
        split_row(line, work, words, 200);
        for (int i = 0; i < data_series; ++i) {
            if (!flags[i]) continue;
            double x, y;
            if (!read_point(ps, words, i, x, y)) continue;
            y *= ps.scale_factor[i];
            const axis_settings& ya = ps.y_axis[i] ? ps.y1_axis : ps.y2_axis;
            if (ps.x_axis.log_scale) {
                if (!(x > 0)) continue; // no logarithm: the point cannot take part
                x = std::log10(x);
            }
            if (ya.log_scale) {
                if (!(y > 0)) continue;
                y = std::log10(y);
            }
            use(static_cast<float>(x), static_cast<float>(y));
        }
    }
    std::rewind(ps.data_file);
}

void write_report(std::FILE* f, int number, const regression_fit& fit)
{
    std::fprintf(f, "Regression %d:\n", number);
    std::fprintf(f, "y = %s + %sx\n", format_text("%g", static_cast<double>(fit.intercept)).c_str(),
                 format_text("%g", static_cast<double>(fit.slope)).c_str());
    std::fprintf(f, "No. of observations                         = %d\n", fit.observations);
    std::fprintf(f, "Multiple correlation coefficient (R square) = %s\n",
                 format_text("%g", static_cast<double>(fit.r_square)).c_str());
    std::fprintf(f, "Standard error of coefficients              = %s\n\n",
                 format_text("%g", static_cast<double>(fit.se_slope)).c_str());
}

} // namespace

regression_fit fit_regression_line(plot_settings& ps, const std::array<int, max_series>& flags)
{
    regression_fit fit;
    float n = 0, sx = 0, sy = 0;
    for_each_point(ps, flags, [&](float x, float y) { n += 1; sx += x; sy += y; });
    fit.observations = static_cast<int>(n);
    if (fit.observations == 0) return fit;
    const float mean_x = sx / n;
    float sxy = 0, sxx = 0;
    for_each_point(ps, flags, [&](float x, float y) {
        sxy += (x - mean_x) * y;
        sxx += (x - mean_x) * (x - mean_x);
    });
    // All x equal: no slope can be fitted; the report shows zeros and no line is drawn.
    if (!(sxx > 0)) return fit;
    fit.slope = sxy / sxx;
    fit.intercept = (sy - sx * fit.slope) / n;
    fit.defined = true;
    const float fa = std::sqrt((1 + sx * sx / (n * sxx)) / n);
    const float fb = std::sqrt(1 / sxx);
    const float mean_y = sy / n;
    float sse = 0, sst = 0;
    for_each_point(ps, flags, [&](float x, float y) {
        const float e = y - fit.intercept - x * fit.slope;
        sse += e * e;
        sst += (y - mean_y) * (y - mean_y);
    });
    fit.sse = sse;
    // Fewer than 3 points leave no degree of freedom: the standard errors stay 0. All y equal
    // (SST 0) lie exactly on the fitted line: R square 1.
    if (fit.observations > 2) {
        const float s = std::sqrt(sse / (n - 2));
        fit.se_intercept = fa * s;
        fit.se_slope = fb * s;
    }
    fit.r_square = sst > 0 ? (sst - sse) / sst : 1.0f;
    return fit;
}

void run_linear_regressions(plot_settings& ps)
{
    ++ps.regression_figure;
    for (int r = 0; r < 2; ++r) {
        plot_settings::regression_state& st = ps.regressions[r];
        st = plot_settings::regression_state{};
        st.on = (ps.regression & (1 << r)) != 0;
        if (!st.on) continue;
        const auto& flags = r == 0 ? ps.regression_1 : ps.regression_2;
        for (int i = 0; i < ps.series_count - ps.expression_count; ++i) {
            if (!flags[i]) continue;
            if (st.series_count == 0) {
                st.axis = ps.y_axis[i];
                st.colour = ps.line_colour[i];
            } else if (ps.y_axis[i] != st.axis) {
                fatal_error("data sets for linear regression only for left or only for right y-axis\n");
            }
            ++st.series_count;
        }
    }
    std::FILE* f = open_file_or_fail(ps.shared, report_file_name, ps.regression_figure == 1 ? "w" : "a");
    if (ps.job_mode) std::fprintf(f, "Linear regression figure %d\n\n", ps.regression_figure);
    for (int r = 0; r < 2; ++r) {
        plot_settings::regression_state& st = ps.regressions[r];
        if (!st.on || st.series_count == 0) continue;
        st.fit = fit_regression_line(ps, r == 0 ? ps.regression_1 : ps.regression_2);
        write_report(f, r + 1, st.fit);
    }
    std::fputc('\n', f);
    std::fclose(f);
}

void draw_regression_lines(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    const bool both = ps.regressions[0].series_count > 0 && ps.regressions[1].series_count > 0;
    gr.gr_set_colour(1);
    gr.gr_set_line_width(ps.state.line_width_base * ps.line_width);
    gr.gr_set_line_type(1);
    const double x_min = ps.remembered_x_min, x_max = ps.remembered_x_max;
    const bool log_x = ps.x_axis.log_scale != 0;
    const double x_start = log_x ? log_fraction(ps, x_min, x_min, x_max) : linear_fraction(x_min, x_min, x_max);
    const double x_end = log_x ? log_fraction(ps, x_max, x_min, x_max) : linear_fraction(x_max, x_min, x_max);
    for (int r = 0; r < 2; ++r) {
        const plot_settings::regression_state& st = ps.regressions[r];
        if (st.series_count == 0 || !st.fit.defined) continue;
        if (r == 1 && both) gr.gr_set_line_type(2);
        const axis_settings& ya = st.axis ? ps.y1_axis : ps.y2_axis;
        const double xa = log_x ? std::log10(x_min) : x_min, xb = log_x ? std::log10(x_max) : x_max;
        double y1 = st.fit.intercept + st.fit.slope * xa, y2 = st.fit.intercept + st.fit.slope * xb;
        if (ya.log_scale) {
            y1 = std::pow(10.0, y1);
            y2 = std::pow(10.0, y2);
        }
        const double f1 = ya.log_scale ? log_fraction(ps, y1, ya.min, ya.max) : linear_fraction(y1, ya.min, ya.max);
        const double f2 = ya.log_scale ? log_fraction(ps, y2, ya.min, ya.max) : linear_fraction(y2, ya.min, ya.max);
        gr.gr_set_colour(st.series_count == 1 ? st.colour : 1);
        gr.gr_move_to(x_start, f1);
        gr.gr_line_to(x_end, f2);
        gr.gr_set_colour(1);
    }
    gr.gr_set_line_width(ps.state.line_width_base);
    gr.gr_set_line_type(1);
}

} // namespace plotwell
