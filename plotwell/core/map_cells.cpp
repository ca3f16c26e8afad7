#include "plotwell/core/map_cells.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/data_file_readers.h"
#include "plotwell/core/map_classes.h"
#include "plotwell/core/data_stage.h"
#include "plotwell/core/page_keywords.h"
#include "plotwell/core/shared_routines.h"

#include <algorithm>
#include <cmath>

namespace plotwell {

void apply_draw_map(plot_settings& ps, const std::vector<std::string>& w)
{
    map_settings& m = ps.map;
    if (w.size() > 1 && w[1] != "!") {
        std::vector<std::string> c = split_fields(w[1], ',', 8);
        if (c.size() != 4) fatal_error("%s setting needs %d coordinates ','-seperated\n", "DRAW_MAP", 4);
        ps.map_x1 = finite_number(c[0], "DRAW_MAP");
        ps.map_y1 = finite_number(c[1], "DRAW_MAP");
        ps.map_x2 = finite_number(c[2], "DRAW_MAP");
        ps.map_y2 = finite_number(c[3], "DRAW_MAP");
        ps.map_rect_given = 1;
    }
    if (w.size() > 2 && w[2] != "!") {
        m.file_name = expand_environment_path(w[2]);
        m.file_given = 1;
    } else {
        m.file_name = ps.data_file_name;
    }
    if (m.file_name.empty()) fatal_error("DRAW_MAP names no map file and the call has no data file\n");
    m.cell_width = w.size() > 3 && is_number(w[3]) ? finite_number(w[3], "DRAW_MAP") : 1.0;
    m.cell_height = w.size() > 4 && is_number(w[4]) ? finite_number(w[4], "DRAW_MAP") : m.cell_width;
    if (ps.map_file) {
        std::fclose(ps.map_file);
        ps.map_file = nullptr;
    }
    grid_header& h = m.header;
    h = read_grid_header_for_drawing(ps.shared, m.file_name, ps.map_file, ps.map_rect_given != 0);
    m.header_found = h.header_lines > 0;
    if (h.binary || m.header_found) {
        m.cell_width = h.cell_width;
        m.cell_height = h.cell_height;
        h.x_right = h.x_left + h.ncols * m.cell_width;
        h.y_top = h.y_bottom + h.nrows * m.cell_height;
        if (!ps.map_rect_given) {
            ps.map_x1 = h.x_left;
            ps.map_y1 = h.y_bottom;
            ps.map_x2 = h.x_right;
            ps.map_y2 = h.y_top;
        }
        if (h.nodata_given) {
            ps.error_value = h.nodata;
            ps.error_value_given = 1;
        }
    } else {
        // no header: the rectangle and the cell sizes given with DRAW_MAP describe the map
        if (!(m.cell_width > 0) || !(m.cell_height > 0))
            fatal_error("DRAW_MAP: the cell sizes must be above 0\n");
        const double cols = std::fabs(ps.map_x2 - ps.map_x1) / m.cell_width;
        const double rows = std::fabs(ps.map_y2 - ps.map_y1) / m.cell_height;
        if (!(cols >= 1) || !(rows >= 1) || cols > max_grid_cells_per_side || rows > max_grid_cells_per_side)
            fatal_error("DRAW_MAP: the rectangle and cell sizes give %g columns and %g rows\n", cols, rows);
        h.ncols = static_cast<int>(std::lround(cols));
        h.nrows = static_cast<int>(std::lround(rows));
        h.x_left = std::min(ps.map_x1, ps.map_x2);
        h.y_bottom = std::min(ps.map_y1, ps.map_y2);
        h.cell_width = m.cell_width;
        h.cell_height = m.cell_height;
        h.x_right = h.x_left + h.ncols * m.cell_width;
        h.y_top = h.y_bottom + h.nrows * m.cell_height;
    }
    if (!(m.cell_width > 0) || !(m.cell_height > 0)) fatal_error("DRAW_MAP: the cell sizes must be above 0\n");
    if (ps.allmaps_given) {
        // one map rectangle for every map of the job
        ps.map_x1 = ps.allmaps_x1;
        ps.map_y1 = ps.allmaps_y1;
        ps.map_x2 = ps.allmaps_x2;
        ps.map_y2 = ps.allmaps_y2;
    }
    if (ps.app.zoom_shown) {
        ps.map_x1 = ps.app.zoom_x1;
        ps.map_y1 = ps.app.zoom_y1;
        ps.map_x2 = ps.app.zoom_x2;
        ps.map_y2 = ps.app.zoom_y2;
    }
    if (ps.map_x1 == ps.map_x2 || ps.map_y1 == ps.map_y2) fatal_error("DRAW_MAP: the map rectangle is empty\n");
    // the plot becomes a map
    ps.x_axis.min = ps.map_x1;
    ps.x_axis.max = ps.map_x2;
    ps.y1_axis.min = ps.map_y1;
    ps.y1_axis.max = ps.map_y2;
    ps.x_axis.range_given = ps.y1_axis.range_given = 1;
    ps.x_axis.intervals = ps.y1_axis.intervals = 1;
    ps.x_axis.intervals_given = ps.y1_axis.intervals_given = 1;
    ps.matrix_plot = ps.draw_map = 1;
    ps.graph_ratio_given = 1;
    ps.graph_ratio = 1.0;
    ps.draw_axis_numbers = 0;
    ps.legendbox = 0;
    if (ps.fixed_size) {
        ps.viewport_x1 = ps.viewport_y1 = 0;
        ps.viewport_x2 = ps.viewport_y2 = 100;
    }
}

void fill_colour_rectangle(plot_settings& ps, int colour, double x1, double y1, double x2, double y2)
{
    ps.gr->gr_set_colour(colour);
    ps.gr->gr_rectangle(x1, y1, x2, y2);
}

int index_of_largest_count(const std::vector<int>& counts)
{
    int best = -1;
    for (size_t i = 0; i < counts.size(); ++i)
        if (counts[i] > 0 && (best < 0 || counts[i] > counts[static_cast<size_t>(best)])) best = static_cast<int>(i);
    return best;
}

void draw_cell_row(plot_settings& ps, const std::vector<int>& colours, const std::vector<double>& lefts, double width,
                   double y1, double y2, bool vector_output)
{
    const size_t n = colours.size();
    size_t start = 0;
    while (start < n) {
        // a stretch of cells that hold a class colour
        while (start < n && colours[start] < 0) ++start;
        if (start >= n) break;
        size_t end = start;
        while (end < n && colours[end] >= 0) ++end;
        int under = -1;
        if (vector_output) {
            std::vector<int> runs(256, 0);
            for (size_t i = start; i < end; ++i)
                if (i == start || colours[i] != colours[i - 1]) ++runs[static_cast<size_t>(colours[i] & 255)];
            under = index_of_largest_count(runs);
            if (under >= 0) fill_colour_rectangle(ps, under, lefts[start], y1, lefts[end - 1] + width, y2);
        }
        for (size_t i = start; i < end;) {
            size_t j = i + 1;
            while (j < end && colours[j] == colours[i]) ++j;
            if (colours[i] != under) fill_colour_rectangle(ps, colours[i], lefts[i], y1, lefts[j - 1] + width, y2);
            i = j;
        }
        start = end;
    }
}

void draw_map(plot_settings& ps)
{
    map_settings& m = ps.map;
    const grid_header& h = m.header;
    if (!ps.map_file) return;
    ps.map_settings_lines = ps.settings_lines;
    graphics_layer& gr = *ps.gr;
    gr.gr_set_fill_style(2);
    check_class_bounds(ps);

    // the map window, and whether the map reaches into it at all
    const double wx1 = std::min(ps.map_x1, ps.map_x2), wx2 = std::max(ps.map_x1, ps.map_x2);
    const double wy1 = std::min(ps.map_y1, ps.map_y2), wy2 = std::max(ps.map_y1, ps.map_y2);
    if (h.x_right <= wx1 || h.x_left >= wx2 || h.y_top <= wy1 || h.y_bottom >= wy2) {
        ps.map_outside = 1;
        return;
    }
    // thinning to about one cell per physical unit of the frame
    const double resolution = ps.vector_output() && m.resolution > 0 ? m.resolution : 1.0;
    const double frame_w = ps.state.frame_width / 100.0 * ps.state.region_scale_x * gr.page_width_pct() * 100.0;
    const double frame_h = ps.state.frame_height / 100.0 * ps.state.region_scale_y * gr.page_height_pct() * 100.0;
    auto step_of = [&](double extent, double cell, double physical) {
        const double s = physical > 0 ? extent / cell / physical / resolution : 1;
        return s >= 1 && s < 1e9 ? static_cast<int>(s) : 1;
    };
    m.x_step = step_of(wx2 - wx1, m.cell_width, frame_w);
    m.y_step = step_of(wy2 - wy1, m.cell_height, frame_h);
    const double drawn_w = m.cell_width * m.x_step, drawn_h = m.cell_height * m.y_step;
    m.data_box_set = false;

    // the first and last columns in the window; a header whose cell size or corner gives no finite
    // column (a zero cell, infinite coordinates) leaves nothing to draw
    const double first_fraction = std::floor((wx1 - h.x_left) / m.cell_width / m.x_step) * m.x_step;
    const double last_fraction = std::ceil((wx2 - h.x_left) / m.cell_width);
    if (!std::isfinite(first_fraction) || !std::isfinite(last_fraction)) {
        ps.map_outside = 1;
        return;
    }
    const int first_col = static_cast<int>(std::clamp(first_fraction, 0.0, static_cast<double>(h.ncols)));
    const int last_col = static_cast<int>(std::clamp(last_fraction, 0.0, static_cast<double>(h.ncols))) - 1;
    std::vector<int> visited;
    for (int c = first_col; c <= last_col; c += m.x_step) visited.push_back(c);
    if (!visited.empty() && visited.back() != last_col && last_col == h.ncols - 1) visited.push_back(last_col);
    std::vector<double> lefts(visited.size());
    for (size_t i = 0; i < visited.size(); ++i)
        lefts[i] = linear_fraction(h.x_left + visited[i] * m.cell_width, ps.map_x1, ps.map_x2);
    const double width = drawn_w / (ps.map_x2 - ps.map_x1);

    grid_row_reader reader(ps.map_file, h, ps.skip_string);
    const float missing = reader.missing();
    std::vector<float> cells;
    std::vector<int> colours(visited.size());
    for (int r = 0;; ++r) {
        const bool drawn = r % m.y_step == 0;
        if (!reader.next_row(cells, drawn)) break;
        if (!drawn) continue;
        const double top = h.y_top - r * m.cell_height;
        const double eps = 1e-9 * m.cell_height;
        if (top > wy2 + eps) continue;          // above the window: read, not drawn
        if (top - drawn_h < wy1 - eps) break;   // reaching below the window: the map ends
        const double y2 = linear_fraction(top, ps.map_y1, ps.map_y2);
        const double y1 = linear_fraction(top - drawn_h, ps.map_y1, ps.map_y2);
        for (size_t i = 0; i < visited.size(); ++i) {
            const float v = cells[static_cast<size_t>(visited[i])];
            if (v == missing) {
                colours[i] = -1;
                continue;
            }
            colours[i] = class_colour(ps, v);
            const double cx = h.x_left + visited[i] * m.cell_width;
            if (!m.data_box_set) {
                m.data_x1 = m.data_x2 = cx;
                m.data_y1 = m.data_y2 = top;
                m.data_box_set = true;
            }
            m.data_x1 = std::min(m.data_x1, cx);
            m.data_x2 = std::max(m.data_x2, cx + m.cell_width);
            m.data_y1 = std::min(m.data_y1, top - m.cell_height);
            m.data_y2 = std::max(m.data_y2, top);
        }
        draw_cell_row(ps, colours, lefts, width, y1, y2, ps.vector_output());
    }
    std::fclose(ps.map_file);
    ps.map_file = nullptr;
}

bool read_map_row_values(plot_settings& ps, int column, int row, double& value)
{
    grid_header& h = ps.map.header;
    if (row < 1 || row > h.nrows || column < 1 || column > h.ncols || ps.map.file_name.empty()) return false;
    std::FILE* f = open_file_if_present(ps.shared, ps.map.file_name, h.binary ? "rb" : "r");
    if (!f) return false;
    bool ok = false;
    try {
        grid_header copy = h;
        copy.row_positions.clear();
        grid_row_reader reader(f, copy, ps.skip_string);
        // start at the nearest remembered row at or before the wanted one
        auto& known = h.row_positions; // known[r]: where row r (from 1) begins
        if (known.size() != static_cast<size_t>(h.nrows) + 1) known.assign(static_cast<size_t>(h.nrows) + 1, {});
        int next = row;
        while (next > 1 && known[static_cast<size_t>(next)].offset < 0) --next;
        const grid_header::row_start& from = known[static_cast<size_t>(next)];
        if (from.offset < 0 || !reader.resume({from.offset, from.row, from.text_compressed})) {
            next = 1;
            std::fseek(f, h.data_offset, SEEK_SET);
        }
        std::vector<float> cells;
        for (int r = next; r <= row; ++r) {
            grid_header::row_start& here = known[static_cast<size_t>(r)];
            if (here.offset < 0) {
                const grid_row_reader::position at = reader.next_position();
                here = {at.offset, at.row, at.text_compressed};
            }
            if (!reader.next_row(cells, r == row)) break;
            if (r == row) {
                value = cells[static_cast<size_t>(column - 1)];
                ok = true;
            }
        }
    } catch (const plot_error&) {
        ok = false;
    }
    std::fclose(f);
    return ok;
}

} // namespace plotwell

namespace plotwell {

void apply_matrix_yaxis(plot_settings& ps, const std::vector<std::string>& words)
{
    apply_axis_keyword(ps, ps.y1_axis, words, false);
    ps.matrix_plot = 1;
    ps.range_colours = 1;
    ps.legendbox = 0;
    ps.map.cell_width = 0; // the width of a line's cell follows from the lines unless MATRIX_XWIDTH gives it
}

std::vector<std::pair<double, double>> matrix_bands(const plot_settings& ps, int value_fields)
{
    const map_settings& m = ps.map;
    if (!m.yranges.empty()) return m.yranges;
    const int count = m.yranges_count != 0 ? m.yranges_count : value_fields;
    const int n = std::abs(count);
    std::vector<std::pair<double, double>> bands;
    const double lo = ps.y1_axis.min, hi = ps.y1_axis.max;
    for (int i = 0; i < n; ++i) {
        const int k = count < 0 ? n - 1 - i : i;
        bands.emplace_back(lo + (hi - lo) * k / n, lo + (hi - lo) * (k + 1) / n);
    }
    return bands;
}

void draw_matrix(plot_settings& ps)
{
    graphics_layer& gr = *ps.gr;
    map_settings& m = ps.map;
    if (!ps.data_file) return;
    gr.gr_set_fill_style(2);
    check_class_bounds(ps);
    const axis_settings& xa = ps.x_axis;
    const axis_settings& ya = ps.y1_axis;

    // one pass over the lines for their number, the x extent and the number of value fields
    std::string line, work;
    std::vector<char*> words;
    long lines = 0;
    double x_lo = 0, x_hi = 0;
    int value_fields = 0;
    std::rewind(ps.data_file);
    while (read_data_line(ps, ps.data_file, line)) {
        split_row(line, work, words, 10000);
        if (static_cast<int>(words.size()) <= m.xcolumn || !is_number(words[static_cast<size_t>(m.xcolumn)])) continue;
        const double x = to_double(words[static_cast<size_t>(m.xcolumn)]);
        if (lines == 0) {
            x_lo = x_hi = x;
            value_fields = static_cast<int>(words.size()) - 1;
        }
        x_lo = std::min(x_lo, x);
        x_hi = std::max(x_hi, x);
        ++lines;
    }
    const std::vector<std::pair<double, double>> bands = matrix_bands(ps, value_fields);
    const int n = static_cast<int>(bands.size());
    if (m.cell_width == 0) m.cell_width = lines > 1 ? (x_hi - x_lo) / (lines - 1) : 1.0;
    if (!(m.cell_width > 0)) m.cell_width = 1.0;
    const double resolution = ps.vector_output() && m.resolution > 0 ? m.resolution : 1.0;
    const double frame_w = ps.state.frame_width / 100.0 * ps.state.region_scale_x * gr.page_width_pct() * 100.0;
    const double s = frame_w > 0 ? std::fabs(xa.max - xa.min) / m.cell_width / frame_w / resolution : 1;
    m.x_step = s >= 1 && s < 1e9 ? static_cast<int>(s) : 1;
    const double width = m.cell_width * m.x_step;
    int default_colour = -1;
    if (ps.matrix_def_class >= 0 && ps.matrix_def_class < static_cast<int>(ps.classes.size())) {
        default_colour = ps.classes[static_cast<size_t>(ps.matrix_def_class)].colour;
        fill_colour_rectangle(ps, default_colour, axis_fraction(ps, xa.log_scale, x_lo, xa.min, xa.max), 0,
                              axis_fraction(ps, xa.log_scale, x_hi, xa.min, xa.max), 1);
    }
    std::rewind(ps.data_file);
    long read = 0;
    std::vector<int> colours(static_cast<size_t>(n));
    while (read_data_line(ps, ps.data_file, line)) {
        ++read;
        split_row(line, work, words, static_cast<size_t>(std::max(n, m.xcolumn) + 1));
        if (static_cast<int>(words.size()) <= n) fatal_error("not enough columns on line %ld of data file\n", read);
        if ((read - 1) % m.x_step != 0) continue;
        if (static_cast<int>(words.size()) <= m.xcolumn || !is_number(words[static_cast<size_t>(m.xcolumn)])) continue;
        const double x = to_double(words[static_cast<size_t>(m.xcolumn)]);
        if (x < std::min(xa.min, xa.max) || x > std::max(xa.min, xa.max)) continue;
        const double x1 = axis_fraction(ps, xa.log_scale, x - width / 2, xa.min, xa.max);
        const double x2 = axis_fraction(ps, xa.log_scale, x + width / 2, xa.min, xa.max);
        for (int i = 0; i < n; ++i) {
            const char* f = words[static_cast<size_t>(i + 1)];
            const bool missing = !is_number(f) || (ps.error_value_given && to_double(f) == ps.error_value);
            colours[static_cast<size_t>(i)] = missing ? -1 : class_colour(ps, to_double(f));
        }
        for (int i = 0; i < n;) {
            int j = i + 1;
            while (j < n && colours[static_cast<size_t>(j)] == colours[static_cast<size_t>(i)]) ++j;
            const int c = colours[static_cast<size_t>(i)];
            if (c >= 0 && c != default_colour)
                fill_colour_rectangle(ps, c, x1, axis_fraction(ps, ya.log_scale, bands[static_cast<size_t>(i)].first, ya.min, ya.max),
                                      x2, axis_fraction(ps, ya.log_scale, bands[static_cast<size_t>(j - 1)].second, ya.min, ya.max));
            i = j;
        }
    }
    std::rewind(ps.data_file);
    gr.gr_set_line_width(ps.state.line_width_base);
    gr.gr_set_colour(1);
    gr.gr_set_line_type(1);
    gr.gr_move_to(0, 1);
    gr.gr_line_to(0, 0);
    gr.gr_line_to(1, 0);
    if (ps.frame_closed) {
        gr.gr_line_to(1, 1);
        gr.gr_line_to(0, 1);
    }
}

} // namespace plotwell
