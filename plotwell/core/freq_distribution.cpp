#include "plotwell/core/freq_distribution.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/data_file_readers.h"
#include "plotwell/core/data_selection.h"
#include "plotwell/core/shared_routines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace plotwell {

namespace {
// Whether the line starts with the keyword, in any case.
bool line_starts_with(const std::string& line, const char* keyword)
{
    const size_t n = std::char_traits<char>::length(keyword);
    if (line.size() < n) return false;
    std::string head = line.substr(0, n);
    to_upper_string(head);
    return head == keyword;
}
} // namespace

freq_classes read_freqdist_classes(const std::vector<std::string>& lines)
{
    freq_classes c;
    std::vector<std::vector<std::string>> class_lines;
    for (const std::string& l : lines) {
        std::vector<std::string> w = split_fields(l, ' ', 6);
        if (w.size() < 5) continue;
        std::string k = w[0];
        to_upper_string(k);
        if (k == "MATRIX_CLASS") class_lines.push_back(w);
    }
    const size_t n = std::min<size_t>(class_lines.size(), 32);
    for (size_t q = 0; q < n; ++q) {
        const std::vector<std::string>& w = class_lines[q];
        freq_class f;
        f.colour = to_int(w[1]);
        std::string lower = w[2];
        if (!lower.empty() && lower[0] == '=') {
            f.lower_included = true;
            lower = lower.substr(1);
        }
        f.lower = static_cast<float>(to_double(lower));
        f.upper = static_cast<float>(to_double(w[4]));
        f.exact = w[4] == "!" || (is_number(w[4]) && is_number(lower) && f.lower == f.upper);
        if (f.exact) f.upper = f.lower;
        f.upper_included = w[3].find('=') != std::string::npos;
        f.ascending = w[3].find('<') != std::string::npos;
        if (q == 0 && w[2] == "-") c.first_open = true;
        if (q + 1 == n && w[4] == "-") c.last_open = true;
        if (w.size() > 5) f.label = w[5].substr(0, 79);
        c.classes.push_back(f);
    }
    c.from_settings = !c.classes.empty();
    close_class_gaps(c);
    return c;
}

void close_class_gaps(freq_classes& c)
{
    auto& k = c.classes;
    for (size_t i = 0; i + 1 < k.size(); ++i)
        if (k[i].upper != k[i + 1].lower) return;
    for (size_t i = 0; i + 1 < k.size(); ++i)
        if (!k[i].upper_included) k[i + 1].lower_included = true;
}

freq_classes make_automatic_classes(double minimum, double maximum, distribution_kind kind, int count)
{
    double lo, hi;
    int k = round_axis_range(minimum, maximum, lo, hi, 2);
    if (k < 1) k = 1;
    bool above = true;
    while (k >= 8) {
        if (k % 2 != 0) {
            const double step = (hi - lo) / k;
            if (above) hi += step;
            else lo -= step;
            above = !above;
            ++k;
        }
        k /= 2;
    }
    if (k < 3) k *= 2;
    const int n = kind == distribution_kind::frequency ? k : std::max(1, count);
    freq_classes c;
    for (int i = 0; i < n; ++i) {
        freq_class f;
        f.ascending = true;
        f.upper_included = true;
        f.lower = static_cast<float>(lo + i * (hi - lo) / n);
        f.upper = static_cast<float>(lo + (i + 1) * (hi - lo) / n);
        if (i == 0) {
            f.lower_included = true;
            f.lower = static_cast<float>(lo);
        }
        if (i == n - 1) f.upper = static_cast<float>(hi);
        c.classes.push_back(f);
    }
    if (kind != distribution_kind::frequency) {
        freq_class end; // the closing value of the cumulative rows
        end.lower = end.upper = static_cast<float>(hi);
        end.exact = true;
        c.classes.push_back(end);
    }
    return c;
}

int freq_class_of(const freq_classes& c, float v)
{
    const int n = static_cast<int>(c.classes.size());
    for (int i = 0; i < n; ++i) {
        const freq_class& f = c.classes[static_cast<size_t>(i)];
        if (f.exact) {
            if (v == f.lower) return i;
            continue;
        }
        const bool first_open = i == 0 && c.first_open, last_open = i == n - 1 && c.last_open;
        bool low, up;
        if (f.ascending) {
            low = v > f.lower || (v == f.lower && f.lower_included) || first_open;
            up = v < f.upper || (v == f.upper && f.upper_included) || last_open;
        } else {
            low = v < f.lower || (v == f.lower && f.lower_included) || first_open;
            up = v > f.upper || (v == f.upper && f.upper_included) || last_open;
        }
        if (low && up) return i;
    }
    return -1;
}

std::vector<double> percentile_values(const freq_classes& c, const distribution_counts& d,
                                      const std::vector<double>& percentages)
{
    std::vector<double> values(percentages.size(), 0.0);
    if (d.cells == 0) return values;
    size_t next = 0;
    long running = 0;
    double previous = 0;
    for (size_t i = 0; i < c.classes.size() && next < percentages.size(); ++i) {
        running += i < d.counts.size() ? d.counts[i] : 0;
        const double p = running * 100.0 / d.cells;
        while (next < percentages.size() && percentages[next] < p) {
            const freq_class& f = c.classes[i];
            const double share = p > previous ? (percentages[next] - previous) / (p - previous) : 0;
            values[next] = f.lower + share * (f.upper - f.lower);
            ++next;
        }
        previous = p;
    }
    // 100 percent is the largest counted value; a percentage never exceeded gets it too
    for (size_t k = 0; k < percentages.size(); ++k)
        if (percentages[k] >= 100 || k >= next) values[k] = d.largest;
    return values;
}

namespace {

struct map_reading {
    std::FILE* file = nullptr;
    grid_header header;
    ~map_reading()
    {
        if (file) std::fclose(file);
    }
};

// Calls use(v) for every non-missing cell of the map inside the window.
template <class F>
void for_each_cell(plot_settings& ps, const std::string& map_name, double wx1, double wy1, double wx2, double wy2, F use)
{
    map_reading r;
    r.header = read_grid_header_for_drawing(ps.shared, map_name, r.file, true);
    const grid_header& h = r.header;
    if (h.ncols < 1 || h.nrows < 1) return;
    grid_row_reader reader(r.file, h, ps.skip_string);
    reader.keep_short_rows(map_name, ps.app.show_message);
    const float missing = reader.missing();
    std::vector<float> cells;
    for (int row = 0; reader.next_row(cells, true); ++row) {
        const double top = h.y_top - row * h.cell_height;
        if (!(top > wy1) || top > wy2) continue;
        for (int c = 0; c < h.ncols; ++c) {
            const double left = h.x_left + c * h.cell_width;
            if (left < wx1 || left >= wx2) continue;
            const float v = cells[static_cast<size_t>(c)];
            if (v != missing) use(v);
        }
    }
}

std::string class_axis_label(const freq_classes& c, size_t i)
{
    const freq_class& f = c.classes[i];
    if (!f.label.empty()) return format_text("\"%s\" ", f.label.c_str());
    if (f.exact) return format_text("%g ", static_cast<double>(f.lower));
    if (i + 1 == c.classes.size() && c.last_open) return format_text("%c%g ", f.ascending ? '>' : '<', static_cast<double>(f.lower));
    if (i == 0 && c.first_open) return format_text("%c%g ", f.ascending ? '<' : '>', static_cast<double>(f.upper));
    return format_text("%g-%g ", static_cast<double>(f.lower), static_cast<double>(f.upper));
}

} // namespace

namespace {

// What one run keeps from map to map.
struct run_state {
    distribution_kind kind = distribution_kind::frequency;
    bool job = false;
    std::FILE* job_file = nullptr;
    bool cumulative_started = false;
    std::string legend;
    long last_cells = 0;
    float last_total = 0;
    std::vector<int> evaluated; // the XY line of every evaluated map
};

struct graph_texts {
    std::string colours, colour_file, title;
    bool bold = false;
    int cumulative_classes = 2000;
};

graph_texts read_graph_texts(const std::vector<std::string>& lines)
{
    graph_texts g;
    for (const std::string& l : lines) {
        std::vector<std::string> w = split_fields(l, ' ', 200);
        if (w.empty()) continue;
        std::string k = w[0];
        to_upper_string(k);
        if (k.compare(0, 6, "COLORS") == 0) g.colours = l.size() > 7 ? l.substr(7) : std::string();
        else if (k == "BOLD") g.bold = true;
        else if (k == "COLORFILE" && w.size() > 1) g.colour_file = w[1];
        else if (k == "MATRIX_TITLE") {
            g.title.clear();
            for (size_t i = 1; i < w.size(); ++i) g.title += (i > 1 ? " " : "") + w[i];
        } else if (k == "NR_CUMCLASSES" && w.size() > 1 && is_number(w[1])) {
            g.cumulative_classes = std::clamp(to_int(w[1]), 1, 100000);
        }
    }
    return g;
}

// Evaluates one map as map number m and writes its outputs.
void evaluate_map_distribution(plot_settings& ps, run_state& run, int m, const std::string& map_name,
                               const std::vector<std::string>& settings_lines, double wx1, double wy1, double wx2,
                               double wy2)
{
    const distribution_kind kind = run.kind;
    if (ps.app.progress) ps.app.progress(format_text("          Evaluating %s...          ", map_name.c_str()), "", 0);
    const graph_texts g = read_graph_texts(settings_lines);
    const int percentile_classes = ps.percentile_samples >= 1 ? ps.percentile_samples : 10000;

    freq_classes classes;
    bool nothing = false;
    if (kind == distribution_kind::frequency) classes = read_freqdist_classes(settings_lines);
    if (!classes.from_settings) {
        bool any = false;
        float lo = 0, hi = 0;
        if (ps.app.progress) ps.app.progress("Scaling Classes", "", 0);
        for_each_cell(ps, map_name, wx1, wy1, wx2, wy2, [&](float v) {
            if (!any) lo = hi = v;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
            any = true;
        });
        nothing = kind == distribution_kind::frequency && lo == hi;
        if (!nothing) {
            if (lo == hi) hi = lo + 1;
            classes = make_automatic_classes(lo, hi, kind,
                                             kind == distribution_kind::percentiles ? percentile_classes : g.cumulative_classes);
        }
    } else if (classes.classes.size() == 1) {
        nothing = true;
    }

    distribution_counts d;
    if (!nothing) {
        d.counts.assign(classes.classes.size() + 1, 0);
        if (ps.app.progress) ps.app.progress("Counting frequency of values in classes...", "", 0);
        for_each_cell(ps, map_name, wx1, wy1, wx2, wy2, [&](float v) {
            const int i = freq_class_of(classes, v);
            if (i < 0) return;
            ++d.counts[static_cast<size_t>(i)];
            ++d.cells;
            d.total += v;
            d.largest = std::max(d.largest, v);
        });
    }
    run.last_cells = d.cells;
    run.last_total = d.total;

    if (kind == distribution_kind::percentiles) {
        if (d.cells == 0 && ps.app.show_message) ps.app.show_message("no values found\n");
        const std::string name = ps.percentile_file.empty() ? std::string("Percentiles.out") : ps.percentile_file;
        std::FILE* p = open_file_or_fail(ps.shared, name, m == 1 ? "w" : "a");
        std::fprintf(p, "* %s\n", map_name.c_str());
        std::fprintf(p, "* coordinates: %s %s %s %s\n", format_text("%g", wx1).c_str(), format_text("%g", wy1).c_str(),
                     format_text("%g", wx2).c_str(), format_text("%g", wy2).c_str());
        std::fprintf(p, "* average gridcell value (of %ld gridcells): %s\n", d.cells,
                     format_text("%g", d.cells ? static_cast<double>(d.total) / d.cells : 0.0).c_str());
        const std::vector<double> values = percentile_values(classes, d, ps.percentiles);
        for (size_t k = 0; k < values.size(); ++k)
            std::fprintf(p, "percentile %s = %s\n", format_text("%g", ps.percentiles[k]).c_str(), format_text("%g", values[k]).c_str());
        std::fclose(p);
        return;
    }

    std::FILE* job = run.job_file;
    const std::string data_name = format_text("frqdst%d.out", m);
    std::FILE* data = open_file_or_fail(ps.shared, data_name, "w");
    const double share = d.cells ? 100.0 / d.cells : 0;
    if (kind == distribution_kind::cumulative) {
        if (d.cells == 0 && ps.app.show_message) ps.app.show_message("no values found\n");
        for (size_t i = 0; i < classes.classes.size(); ++i)
            std::fprintf(data, "%s\t%s\n", format_text("%g", static_cast<double>(classes.classes[i].lower)).c_str(),
                         format_text("%g", d.counts[i] * share).c_str());
        if (!run.cumulative_started) {
            run.cumulative_started = true;
            std::fputs("1\ny_axis 0 100 5\ndraw_grid 1\nno_fixed_size\nTitle_1 Cumulative frequency distribution\n", job);
            run.legend = "legend ";
            for (const std::string& l : settings_lines) {
                if (line_starts_with(l, "CUMDIST")) {
                    std::vector<std::string> included;
                    expand_include_line(ps, included, l, settings_lines);
                    for (const std::string& i : included) std::fprintf(job, "%s\n", i.c_str());
                } else if (line_starts_with(l, "COLORFILE")) {
                    std::vector<std::string> w = split_fields(l, ' ', 2);
                    if (w.size() > 1) std::fprintf(job, "colorfile %s\n", w[1].c_str());
                }
            }
        }
        run.legend += map_name + " ";
        std::fprintf(job, "data %s 1 2\n", data_name.c_str());
        std::fclose(data);
        return;
    }
    std::fprintf(job, "%d\n", m);
    if (nothing) {
        std::fputs("0 0\n1 0\n", data);
        std::fputs("no_axis\nx_axis 0 1\ny_axis 0 1\n", job);
        if (classes.classes.size() == 1) std::fputs("text 'only 1 class is defined' m,52 2.5 \n", job);
        else std::fputs("text 'minimum and maximum' m,52 2.5 \ntext 'value are equal' m,48 2.5 \n", job);
        std::fputs("xy_columns 1,2\nend\n", job);
        std::fclose(data);
        return;
    }
    if (d.cells == 0 && ps.app.show_message) ps.app.show_message("no values found\n");
    const size_t n = classes.classes.size();
    for (size_t i = 0; i < n; ++i) {
        std::string row = format_text("%d\t", static_cast<int>(i) + 1);
        for (size_t k = 0; k < i; ++k) row += "- ";
        row += format_text("%g ", d.counts[i] * share);
        for (size_t k = i + 1; k < n; ++k) row += "- ";
        row += format_text("%ld\n", d.counts[i]);
        std::fputs(row.c_str(), data);
    }
    std::fclose(data);
    std::fprintf(job, "title_1 Frequency distribution of %s.\n", map_name.c_str());
    std::fputs("no_fixed_size\n", job);
    std::string axis = format_text("x_axis %d %d ! ! '", 1, static_cast<int>(n));
    for (size_t i = 0; i < n; ++i) axis += class_axis_label(classes, i);
    std::fprintf(job, "%s'\n", axis.c_str());
    std::string columns = "xy_columns ";
    for (size_t i = 0; i < n; ++i) columns += format_text("1,%d ", static_cast<int>(i) + 2);
    std::fprintf(job, "%s\n", columns.c_str());
    for (size_t i = 0; i < n; ++i)
        std::fprintf(job, "draw_labels %s 1 %d %d ! ! 5 m5.5\n", data_name.c_str(), static_cast<int>(i) + 2,
                     static_cast<int>(n) + 2);
    std::string bars = "draw_bars ";
    for (size_t i = 0; i < n; ++i) {
        if (classes.from_settings) bars += format_text("%d ", classes.classes[i].colour);
        else if (i + 1 < n) bars += format_text("%d ", static_cast<int>(i * 8 / (n - 1) + 1));
        else bars += "8";
    }
    std::fprintf(job, "%s\n", bars.c_str());
    std::fputs("no_legend\ny_axis 0\njustify_xlabels\njustify_bars\n", job);
    if (!g.title.empty()) std::fprintf(job, "x_text %s\n", g.title.c_str());
    if (!g.colour_file.empty()) std::fprintf(job, "colorfile %s\n", g.colour_file.c_str());
    if (!g.colours.empty()) std::fprintf(job, "colors %s\n", g.colours.c_str());
    if (g.bold) std::fputs("bold\n", job);
    std::string lines = "draw_lines";
    for (size_t i = 0; i < n; ++i) lines += " 0";
    std::fprintf(job, "%s\n", lines.c_str());
    std::fprintf(job, "x_margin %s\n", format_text("%g", 1.0 / (n + n / 4.0)).c_str());
    std::fprintf(job, "nr_bars %d\n", static_cast<int>(n));
    std::fprintf(job, "title_2 [%%] (of %ld gridcells); average gridcell value is %s\n", d.cells,
                 format_text("%g", d.cells ? static_cast<double>(d.total) / d.cells : 0.0).c_str());
    std::fputs("draw_grid 1\nchar_width 1.3\n", job);
    if (classes.from_settings) {
        for (const std::string& l : settings_lines) {
            if (line_starts_with(l, "BITMAP_COLOR") || line_starts_with(l, "PATTERNS")) {
                std::fprintf(job, "%s\n", l.c_str());
            } else if (line_starts_with(l, "FREQDIST")) {
                // settings of the distribution chart: a file, or a section of a file or of these settings
                std::vector<std::string> included;
                expand_include_line(ps, included, l, settings_lines);
                for (const std::string& i : included) std::fprintf(job, "%s\n", i.c_str());
            }
        }
    }
    std::fputs("end\n", job);
}

// The settings lines of a job call: its file from its section (the line equal to the section name
// up to a line beginning with END), comments and empty lines dropped.
std::vector<std::string> call_settings(const plot_settings& ps, const std::string& file, const std::string& section)
{
    std::vector<std::string> lines;
    std::FILE* f = open_file_if_present(ps.shared, file, "r");
    if (!f) return lines;
    std::vector<std::string> raw;
    std::string text;
    while (read_text_line(f, text)) raw.push_back(text);
    std::fclose(f);
    bool inside = section.empty();
    for (std::string line : raw) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
        const size_t i = line.find_first_not_of(" \t");
        if (i == std::string::npos || line[i] == '*') continue;
        if (!inside) {
            inside = line == section;
            continue;
        }
        if (!section.empty() && line_starts_with(line, "END")) break;
        if (line_starts_with(line, "INCLUDE")) expand_include_line(ps, lines, line, raw);
        else lines.push_back(line);
    }
    return lines;
}

} // namespace

void snap_viewports(std::vector<std::string>& viewports)
{
    std::vector<std::array<double, 4>> v;
    std::vector<double> xs, ys;
    for (const std::string& s : viewports) {
        std::vector<std::string> p = split_fields(s, ',', 8);
        std::array<double, 4> r{0, 0, 100, 100};
        for (size_t i = 0; i < 4 && i < p.size(); ++i) r[i] = to_double(p[i]);
        v.push_back(r);
        if (std::find(xs.begin(), xs.end(), r[0]) == xs.end()) xs.push_back(r[0]);
        if (std::find(ys.begin(), ys.end(), r[1]) == ys.end()) ys.push_back(r[1]);
    }
    const int columns = std::max<int>(1, static_cast<int>(xs.size())), rows = std::max<int>(1, static_cast<int>(ys.size()));
    auto snap = [](double value, int count) {
        for (int j = 0; j < count; ++j) {
            const double start = j * 100.0 / count, next = (j + 1) * 100.0 / count;
            if ((start + next) / 2 > value) return start;
        }
        return (count - 1) * 100.0 / count;
    };
    for (size_t k = 0; k < v.size(); ++k) {
        const double x1 = snap(v[k][0], columns), y1 = snap(v[k][1], rows);
        viewports[k] = format_text("%g,%g,%g,%g", x1, y1, x1 + 100.0 / columns, y1 + 100.0 / rows);
    }
}

int run_frequency_distribution(plot_settings& ps, const std::vector<std::string>& settings_lines, bool cumulative,
                               bool percentiles, const std::string& job_file_name)
{
    run_state run;
    run.kind = percentiles ? distribution_kind::percentiles
               : cumulative ? distribution_kind::cumulative
                            : distribution_kind::frequency;
    run.job = !job_file_name.empty();
    double wx1 = std::min(ps.map_x1, ps.map_x2), wx2 = std::max(ps.map_x1, ps.map_x2);
    double wy1 = std::min(ps.map_y1, ps.map_y2), wy2 = std::max(ps.map_y1, ps.map_y2);
    if (ps.app.zoom_shown) {
        wx1 = std::min(ps.app.zoom_x1, ps.app.zoom_x2);
        wx2 = std::max(ps.app.zoom_x1, ps.app.zoom_x2);
        wy1 = std::min(ps.app.zoom_y1, ps.app.zoom_y2);
        wy2 = std::max(ps.app.zoom_y1, ps.app.zoom_y2);
    }
    run.job_file = open_file_or_fail(ps.shared, "freqdist.job", "w");
    int maps = 0;
    std::vector<std::string> viewports;
    try {
        if (!run.job) {
            if (ps.map.file_name.empty()) fatal_error("no map has been drawn\n");
            if (run.kind == distribution_kind::cumulative)
                std::fputs("xy -c freqdist.job -i 1 -t -V 0,0,100,100\n", run.job_file);
            else if (run.kind == distribution_kind::frequency)
                std::fprintf(run.job_file, "xy -c freqdist.job -i %d frqdst%d.out %s -V %s,%s,%s,%s\n", 1, 1, "", "0",
                             "0", "100", "100");
            evaluate_map_distribution(ps, run, 1, ps.map.file_name, settings_lines, wx1, wy1, wx2, wy2);
            maps = 1;
        } else {
            std::FILE* f = open_file_or_fail(ps.shared, job_file_name, "r");
            std::string line;
            std::vector<std::vector<std::string>> calls;
            while (read_text_line(f, line)) {
                std::vector<std::string> w = split_fields(line, ' ', 127);
                if (w.empty()) continue;
                std::string k = w[0];
                to_upper_string(k);
                if (k == "XY") calls.push_back(w);
            }
            std::fclose(f);
            for (size_t c = 0; c < calls.size(); ++c) {
                std::vector<std::string> w = calls[c];
                std::string section, settings, viewport, cmd;
                take_option_argument(section, w, "-i");
                take_option_argument(settings, w, "-c");
                take_option_argument(viewport, w, "-V");
                // the call's command lines come after its settings file, as when the call is drawn
                std::vector<std::string> cmd_lines;
                while (std::find(w.begin(), w.end(), "-cmd") != w.end()) {
                    take_option_argument(cmd, w, "-cmd");
                    if (!cmd.empty()) cmd_lines.push_back(cmd);
                }
                w.erase(std::remove_if(w.begin() + 1, w.end(), [](const std::string& s) { return !s.empty() && s[0] == '-'; }),
                        w.end());
                std::vector<std::string> lines =
                    settings.empty() ? std::vector<std::string>() : call_settings(ps, settings, section);
                lines.insert(lines.end(), cmd_lines.begin(), cmd_lines.end());
                std::string map;
                if (w.size() > 1) {
                    map = expand_environment_path(w[1]);
                } else {
                    for (const std::string& l : lines) {
                        std::vector<std::string> d = split_fields(l, ' ', 8);
                        std::string k = d.empty() ? std::string() : d[0];
                        to_upper_string(k);
                        if (k == "DRAW_MAP" && d.size() > 2 && d[2] != "!") map = expand_environment_path(d[2]);
                    }
                }
                if (map.empty()) continue; // a call without a map is passed over
                ++maps;
                run.evaluated.push_back(static_cast<int>(c));
                viewports.push_back(viewport.empty() ? std::string("0,0,100,100") : viewport);
                evaluate_map_distribution(ps, run, maps, map, lines, wx1, wy1, wx2, wy2);
            }
            if (run.kind == distribution_kind::frequency) {
                snap_viewports(viewports);
                for (int k = 1; k <= maps; ++k)
                    std::fprintf(run.job_file, "xy -c freqdist.job -i %d frqdst%d.out %s -V %s\n", k, k, "",
                                 viewports[static_cast<size_t>(k - 1)].c_str());
            }
        }
        if (run.kind == distribution_kind::cumulative && run.cumulative_started) {
            if (run.last_cells)
                std::fprintf(run.job_file, "title_2 [%%] (of %ld gridcells); average gridcell value is %s\n", run.last_cells,
                             format_text("%g", static_cast<double>(run.last_total) / run.last_cells).c_str());
            std::fprintf(run.job_file, "%s\nend\n", run.legend.c_str());
            if (run.job) std::fputs("xy -c freqdist.job -i 1 -t -V 0,0,100,100\n", run.job_file);
        }
    } catch (...) {
        std::fclose(run.job_file);
        throw;
    }
    std::fclose(run.job_file);
    if (ps.app.progress_done) ps.app.progress_done();
    if (run.kind == distribution_kind::percentiles) {
        std::remove("freqdist.job");
        const std::string name = ps.percentile_file.empty() ? std::string("Percentiles.out") : ps.percentile_file;
        if (ps.app.show_message) ps.app.show_message(format_text("Percentiles are written to %s", name.c_str()));
    }
    return maps;
}

} // namespace plotwell
