#include "plotwell/core/settings_language.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/chart_frame.h"
#include "plotwell/core/map_cells.h"
#include "plotwell/core/map_keywords.h"
#include "plotwell/core/shared_routines.h"

#include <cstring>

namespace plotwell {

const char* const default_settings_file_name = "xy_def.set";

bool next_settings_line(std::string& line)
{
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2047) line.resize(2047);
    size_t i = line.find_first_not_of(" \t");
    if (line.empty() || i == std::string::npos || line[i] == '*') return false;
    size_t end = line.find_first_of(" \t");
    std::string keyword = line.substr(0, end);
    to_upper_string(keyword);
    line.replace(0, keyword.size(), keyword);
    return true;
}

std::vector<std::string> read_settings_lines(std::FILE* file)
{
    std::vector<std::string> lines;
    std::string line;
    while (read_text_line(file, line))
        if (next_settings_line(line)) lines.push_back(line);
    return lines;
}

std::string text_from_column(const std::string& line, size_t column, size_t longest)
{
    if (line.size() < column) return std::string();
    return line.substr(column - 1, longest);
}

static bool starts_with(const std::string& line, const char* keyword)
{
    return line.compare(0, std::strlen(keyword), keyword) == 0;
}

static std::string first_word(const std::string& line)
{
    size_t e = line.find_first_of(" \t");
    return line.substr(0, e);
}

void assign_data_line_columns(plot_settings& ps, const std::vector<std::string>& data_lines, int series)
{
    // The selection writes one x and one y column per data line, side by side; a line whose x rule
    // is "!" shares the x column written before it and adds only its y column.
    std::string first_x;
    ps.data_series_share_x = 1;
    for (int i = 0; i < series && i < static_cast<int>(data_lines.size()) && i < max_series; ++i) {
        std::vector<std::string> w = split_fields(data_lines[i], ' ', 3);
        std::string xw = w.size() > 1 ? w[1] : std::string();
        if (i == 0) {
            ps.x_column[0] = 1;
            ps.y_column[0] = 2;
            first_x = xw;
        } else if (xw == "!") {
            ps.x_column[i] = ps.x_column[i - 1];
            ps.y_column[i] = ps.y_column[i - 1] + 1;
        } else {
            ps.x_column[i] = ps.y_column[i - 1] + 1;
            ps.y_column[i] = ps.x_column[i] + 1;
        }
        if (xw != first_x || !is_number(xw)) ps.data_series_share_x = 0;
    }
}

void check_unknown_keyword(const std::string& keyword, const std::string& line)
{
    static const char* const passed[] = {
        "TEXT", "DRAW_DATE", "DRAW_TIME", "DRAW_BITMAP", "FONT", "DRAW_POLYGON", "POLYGON_BEFORE",
        "POLYGON_AFTER", "POLYGON_LINE", "BITMAP_BEFORE", "BITMAP_AFTER", "MATRIX_YAXIS", "MATRIX_RES",
        "MATRIX_XRES", "MAP_RES", "DRAW_MAP", "EXTRA_DATA", "XY_COLUMNS", "DRAW_EXPRESSION", "VESA",
        "INCLUDE", "FREQDIST", "CUMDIST", "DEFAULT_DIR"};
    if (starts_with(keyword, "DATA")) return;
    for (const char* k : passed)
        if (keyword == k) return;
    fatal_error("command %s is not recognized or has no effect\n", line.c_str());
}

// Columns of the call's own data file: x from column 1, y from columns 2.. of the first data line.
static void columns_from_data_file(plot_settings& ps)
{
    if (!ps.data_file) return;
    std::rewind(ps.data_file);
    std::string line;
    std::vector<std::string> words;
    bool found = false;
    while (read_text_line(ps.data_file, line)) {
        words = split_fields(line, ' ', 200);
        if (words.size() >= 2 && is_number(words[0])) {
            found = true;
            break;
        }
    }
    if (!found) fatal_error("input file is empty\n");
    ps.series_count = std::min<int>(static_cast<int>(words.size()) - 1, max_series);
    for (int i = 0; i < ps.series_count; ++i) {
        ps.x_column[i] = 1;
        ps.y_column[i] = i + 2;
    }
    ps.legend_columns = (ps.series_count - 1) / 3 + 1;
    std::rewind(ps.data_file);
}

void count_legend_entries(plot_settings& ps)
{
    ps.legend_entries = 0;
    for (int i = 0; i < ps.series_count; ++i)
        if (!ps.legend_text[i].empty()) ++ps.legend_entries;
    for (const deviation_item& d : ps.deviation_items)
        if (d.legend) ++ps.legend_entries;
    if (!ps.legend_columns_given) ps.legend_columns = (ps.legend_entries - 1) / 3 + 1;
    if (ps.legend_columns < 1) ps.legend_columns = 1;
}

void read_defaults_file(plot_settings& ps, int word_count)
{
    for (int n = 1; n <= 50; ++n) ps.default_marker[n] = n;
    if (std::FILE* f = open_file_if_present(ps.shared, default_settings_file_name, "r")) {
        std::vector<std::string> lines = read_settings_lines(f);
        std::fclose(f);
        parse_settings_lines(ps, lines, word_count == 2 ? 2 : 1, 1);
        return;
    }
    if (word_count == 2 && !ps.draw_map && !ps.settings_given) columns_from_data_file(ps);
}

void parse_settings_file(plot_settings& ps, int kind, int is_defaults)
{
    std::vector<std::string> lines = ps.settings_lines;
    parse_settings_lines(ps, lines, kind, is_defaults);
}

static void pre_scan_line(plot_settings& ps, const std::string& line, const std::string& key)
{
    if (key == "TEXT" || key == "DRAW_DATE" || key == "DRAW_TIME") {
        std::vector<std::string> w = split_fields(line, ' ', 200);
        bool is_text = key == "TEXT";
        if (w.size() <= (is_text ? 2u : 1u)) return;
        const std::string& pos = is_text ? w[2] : w[1];
        size_t hi = is_text ? 3 : 2;
        std::vector<std::string> xy = split_fields(pos, ',', 200);
        if (xy.size() != 2) fatal_error("%s setting needs %d coordinates ','-seperated\n", key.c_str(), 2);
        double height = w.size() > hi ? to_double(w[hi]) : 3.0;
        extend_title_margins(ps, xy[1], height);
        if (is_text) ps.texts_present = 1;
        else ps.dates_present = 1;
    } else if (key == "DRAW_BITMAP") {
        if (split_fields(line, ' ', 3).size() > 1) ps.bitmaps_present = 1;
    } else if (key == "DRAW_POLYGON") {
        if (split_fields(line, ' ', 3).size() > 1) ps.polygons_present = 1;
    } else if (key == "DRAW_MAP") {
        apply_draw_map(ps, split_fields(line, ' ', 8));
    } else if (key == "MATRIX_YAXIS") {
        apply_matrix_yaxis(ps, split_fields(line, ' ', 200));
    }
}

static void add_expression(plot_settings& ps, const std::vector<std::string>& w)
{
    if (ps.series_count >= max_series || w.size() < 2) return;
    expression_curve c;
    c.text = w[1];
    if (w.size() > 2 && is_number(w[2])) c.from = finite_number(w[2], "DRAW_EXPRESSION");
    if (w.size() > 3 && is_number(w[3])) c.to = finite_number(w[3], "DRAW_EXPRESSION");
    if (w.size() > 4 && is_number(w[4])) {
        c.points = to_int(w[4]);
        if (c.points < 1 || c.points > 1000000)
            fatal_error("DRAW_EXPRESSION: %s points are out of range (1 to 1000000)\n", w[4].c_str());
    }
    ps.expressions.push_back(c);
    ++ps.expression_count;
    ++ps.series_count;
}

void parse_settings_lines(plot_settings& ps, const std::vector<std::string>& lines, int kind, int is_defaults)
{
    // DEFAULT_DIR: the last one wins
    for (const std::string& line : lines) {
        if (!starts_with(line, "DEFAULT_DIR")) continue;
        std::string dir = line.size() > 12 ? line.substr(12) : std::string();
        while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
        ps.app.settings_folder = dir;
        refresh_shared_context(ps); // files are now also looked for in the new folder
    }
    // the pre-scan (texts, pictures, polygons, maps) and the DATA lines
    bool data_seen = false;
    for (const std::string& line : lines) {
        std::string key = first_word(line);
        if (!is_defaults && starts_with(line, "DATA")) {
            if (ps.data_line_count > 0) continue; // -data lines of the call win
            if (!data_seen) {
                data_seen = true;
                ps.series_count = 0;
                ps.data_lines.clear();
                ps.data_line_total = 0;
            }
            if (static_cast<int>(ps.data_lines.size()) >= max_series) continue;
            size_t blank = line.find(' ');
            ps.data_lines.push_back(blank == std::string::npos ? std::string() : line.substr(blank + 1));
            ++ps.series_count;
            ++ps.data_line_total;
            continue;
        }
        pre_scan_line(ps, line, key);
    }
    // EXTRA_DATA, XY_COLUMNS, DRAW_EXPRESSION; DRAW_DEV and DRAW_LABELS are only noted
    for (const std::string& line : lines) {
        if (starts_with(line, "EXTRA_DATA")) {
            ps.extra_data_lines.push_back(line.size() > 11 ? line.substr(11) : std::string());
        } else if (starts_with(line, "XY_COLUMNS")) {
            if (ps.xy_columns_given) continue;
            ps.xy_columns_given = 1;
            std::vector<std::string> w = split_fields(line, ' ', 200);
            ps.series_count = std::min<int>(static_cast<int>(w.size()) - 1, max_series);
            for (int i = 0; i < ps.series_count; ++i) {
                std::vector<std::string> xy = split_fields(w[i + 1], ',', 3);
                if (w[i + 1].find(',') == std::string::npos || xy.size() < 2)
                    fatal_error("no number of y-column given (%s)\n", w[i + 1].c_str());
                ps.x_column[i] = to_int(xy[0]);
                ps.y_column[i] = to_int(xy[1]);
            }
        } else if (starts_with(line, "DRAW_EXPRESSION")) {
            add_expression(ps, split_fields(line, ' ', 200));
        } else if (starts_with(line, "DRAW_DEV")) {
            ps.deviations_seen = 1;
        } else if (starts_with(line, "DRAW_LABELS")) {
            ps.labels_seen = 1;
        }
    }
    // the series: from the lines above, or from the data file
    int data_series = ps.series_count - ps.expression_count;
    if (ps.series_count == 0) {
        if (kind == 1 && ps.polygons_present && !ps.draw_map && !is_defaults) {
            ps.polygons_only = 1;
        } else if (kind == 1 && !ps.polygons_present && ps.expressions.empty() && !ps.labels_seen &&
                   !ps.deviations_seen && !ps.draw_map && !is_defaults) {
            fatal_error("no information available on xy-columns\n");
        } else if (kind == 2 && !ps.draw_map && !ps.matrix_plot && !(ps.settings_given && is_defaults)) {
            columns_from_data_file(ps);
        }
    } else if ((ps.data_line_count > 0 || !ps.data_lines.empty()) && !ps.xy_columns_given && data_series > 0) {
        assign_data_line_columns(ps, ps.data_lines, data_series);
    }
    // the main pass: titles, switches and word keywords; anything else must be known to another reader
    for (const std::string& line : lines) {
        std::string key = first_word(line);
        if (starts_with(line, "TITLE_")) {
            char digit = line.size() > 6 ? line[6] : '\0';
            if (digit >= '1' && digit <= '4') {
                int n = digit - '1';
                ps.title[n] = text_from_column(line, 9, 127);
                ps.title_given[n] = 1;
            }
            continue;
        }
        if (starts_with(line, "DATA") || starts_with(line, "EXTRA_DATA") || starts_with(line, "XY_COLUMNS") ||
            starts_with(line, "DRAW_EXPRESSION") || starts_with(line, "DEFAULT_DIR") || starts_with(line, "INCLUDE"))
            continue;
        if (apply_switch(ps, line)) continue;
        std::vector<std::string> words = split_fields(line, ' ', 200);
        if (words.empty()) continue;
        words[0] = key; // the keyword as the reader upper-cased it
        if (apply_page_keyword(ps, words) || apply_series_keyword(ps, words) || apply_map_keyword(ps, words)) continue;
        check_unknown_keyword(key, line);
    }
    // what follows from all lines together
    if (ps.area_count > 0) {
        for (int a = 0; a < ps.area_count; ++a) {
            int lower = ps.area_lower[a];
            bool also_upper = false;
            for (int b = 0; b < ps.area_count; ++b)
                if (ps.area_upper[b] == lower) also_upper = true;
            if (lower >= 0 && lower < max_series && !also_upper) ps.legend_text[lower].clear();
        }
    }
    count_legend_entries(ps);
    if (ps.series_count == 0 && !ps.deviation_items.empty()) ps.bars_all = 1;
    if (ps.hardcopy_output() && (ps.bars_all || ps.bar_series || ps.area_count || ps.area_all))
        ps.reverse = !ps.reverse;
    if (ps.x_axis.labels_given && ps.justify_xlabels && ps.x_axis.intervals > 0) --ps.x_axis.intervals;
    // Y1_RIGHT and Y1_BOTH put the left axis on the right side; a right axis of its own replaces them.
    if (!ps.y1_only) ps.y1_right = ps.y1_both = 0;
    if (ps.app.zoom_shown && !is_defaults) {
        set_zoom_axes(ps);
        ps.draw_axis_numbers = 1;
    }
    if (ps.draw_map) ps.fixed_size = 0;
    if (!is_defaults && ps.legend_box_mode < 0) ps.legend_box_mode = ps.legendbox;
    // a vector plot reads x, y from columns 1 and 2; without a largest component its components
    // (columns 3 and 4) are series of the right axis, so that autoscaling finds the largest
    if (ps.vector_plot && !is_defaults) {
        ps.no_legend = 1;
        ps.x_column[0] = 1;
        ps.y_column[0] = 2;
        ps.y_axis[0] = 1;
        ps.series_count = ps.expression_count + 1;
        if (ps.map.vector_largest == 0) {
            ps.series_count = ps.expression_count + 3;
            for (int i = 1; i <= 2; ++i) {
                ps.x_column[i] = 1;
                ps.y_column[i] = i + 2;
                ps.y_axis[i] = 0;
            }
        }
    }
    if (!ps.data_lines.empty() || !ps.extra_data_lines.empty()) {
        ps.selection_lines = ps.data_lines;
        ps.selection_lines.insert(ps.selection_lines.end(), ps.extra_data_lines.begin(), ps.extra_data_lines.end());
    }
    if (ps.postscript_portrait || ps.postscript_landscape) ps.postscript_output = 1;
}

} // namespace plotwell
