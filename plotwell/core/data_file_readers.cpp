#include "plotwell/core/data_file_readers.h"

#include "plotwell/core/data_stage.h"
#include "plotwell/core/shared_routines.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace plotwell {

namespace {

bool read_bytes(std::FILE* f, void* out, size_t n) { return std::fread(out, 1, n, f) == n; }

float le_float(const unsigned char* b)
{
    std::uint32_t v = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                      static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

int le_u16(const unsigned char* b) { return b[0] | b[1] << 8; }

size_t cell_bytes(cell_type t)
{
    switch (t) {
    case cell_type::float32: return 4;
    case cell_type::int16:
    case cell_type::uint16: return 2;
    default: return 1;
    }
}

std::string upper(std::string s)
{
    to_upper_string(s);
    return s;
}

// A header keyword of a text map, or 0.
int header_keyword(const std::string& word)
{
    const std::string w = upper(word);
    if (w == "NCOLS") return 1;
    if (w == "NROWS") return 2;
    if (w.compare(0, 3, "XLL") == 0) return 3;
    if (w.compare(0, 3, "YLL") == 0) return 4;
    if (w == "CELLSIZE") return 5;
    if (w == "NODATA_VALUE") return 6;
    return 0;
}

int checked_count(const std::string& value, const char* what, const std::string& file)
{
    const double v = to_double(value);
    if (!is_number(value) || !(v >= 1) || v > max_grid_cells_per_side)
        fatal_error("%s in %s is %s: it must be a whole number from 1 to %d\n", what, file.c_str(), value.c_str(),
                    max_grid_cells_per_side);
    return static_cast<int>(v);
}

double checked_number(const std::string& value, const char* what, const std::string& file)
{
    const double v = to_double(value);
    if (!is_number(value) || !std::isfinite(v)) fatal_error("%s in %s is no number (%s)\n", what, file.c_str(), value.c_str());
    return v;
}

} // namespace

bool binary_type_code(float code, cell_type& cells, bool& compressed)
{
    static const struct {
        float plain, packed;
        cell_type type;
    } codes[] = {{-9999, -99999, cell_type::float32}, {-9998, -99998, cell_type::int16}, {-9997, -99997, cell_type::uint16},
                 {-9996, -99996, cell_type::int8},    {-9995, -99995, cell_type::uint8}};
    for (const auto& c : codes) {
        if (code == c.plain || code == c.packed) {
            cells = c.type;
            compressed = code == c.packed;
            return true;
        }
    }
    return false;
}

grid_header read_grid_header_for_drawing(const shared_context& context, const std::string& name, std::FILE*& file,
                                         bool rect_given)
{
    grid_header h;
    file = open_file_or_fail(context, name, "rb");
    unsigned char head[24];
    const size_t got = std::fread(head, 1, sizeof head, file);
    if (got >= 4 && binary_type_code(le_float(head), h.cells, h.compressed)) {
        h.type_code = le_float(head);
        h.binary = true;
        if (got < 24) fatal_error("the header of the binary map %s is cut short\n", name.c_str());
        h.ncols = le_u16(head + 4);
        h.nrows = le_u16(head + 6);
        h.x_left = le_float(head + 8);
        h.y_bottom = le_float(head + 12);
        h.cell_width = h.cell_height = le_float(head + 16);
        h.nodata = le_float(head + 20);
        h.nodata_given = true;
        if (h.ncols < 1 || h.nrows < 1)
            fatal_error("the binary map %s has %d columns and %d rows\n", name.c_str(), h.ncols, h.nrows);
        if (!std::isfinite(h.x_left) || !std::isfinite(h.y_bottom) || !std::isfinite(h.cell_width) || !(h.cell_width > 0))
            fatal_error("the binary map %s has no usable corner or cell size\n", name.c_str());
        h.data_offset = 24;
        h.header_lines = 6;
        h.x_right = h.x_left + h.ncols * h.cell_width;
        h.y_top = h.y_bottom + h.nrows * h.cell_height;
        return h;
    }
    // a text map must end its lines with a carriage return and a line feed
    std::rewind(file);
    std::string first;
    int ch;
    while ((ch = std::fgetc(file)) != EOF && ch != '\n') first += static_cast<char>(ch);
    if (ch == '\n' && (first.empty() || first.back() != '\r'))
        fatal_error("The map is in UNIX-format: transform the file with mapfix -cao mapfilename\n");
    std::fclose(file);
    file = open_file_or_fail(context, name, "r");
    std::string line;
    int examined = 0;
    bool centre_x = false, centre_y = false;
    long offset = 0;
    while (examined < 6 && read_text_line(file, line)) {
        const std::string copy = line;
        size_t i = copy.find_first_not_of(" \t");
        if (i == std::string::npos || copy[i] == '*') {
            offset = std::ftell(file);
            continue;
        }
        std::vector<std::string> w = split_fields(copy, ' ', 3);
        const int k = w.empty() ? 0 : header_keyword(w[0]);
        if (k == 0) break; // the rows begin
        ++examined;
        ++h.header_lines;
        offset = std::ftell(file);
        if (w.size() < 2) fatal_error("header line \"%s\" of %s has no value\n", copy.c_str(), name.c_str());
        const std::string& v = w[1];
        switch (k) {
        case 1: h.ncols = checked_count(v, "NCOLS", name); break;
        case 2: h.nrows = checked_count(v, "NROWS", name); break;
        case 3:
            h.x_left = checked_number(v, "XLL", name);
            centre_x = upper(w[0]).compare(3, 6, "CENTER") == 0;
            break;
        case 4:
            h.y_bottom = checked_number(v, "YLL", name);
            centre_y = upper(w[0]).compare(3, 6, "CENTER") == 0;
            break;
        case 5:
            h.cell_width = h.cell_height = checked_number(v, "CELLSIZE", name);
            if (!(h.cell_width > 0)) fatal_error("CELLSIZE in %s must be above 0 (%s)\n", name.c_str(), v.c_str());
            break;
        case 6:
            h.nodata = static_cast<float>(checked_number(v, "NODATA_VALUE", name));
            h.nodata_given = true;
            break;
        }
    }
    if (!(h.header_lines > 4 || rect_given))
        fatal_error("map without header needs coordinate arguments with DRAW_MAP command\n");
    if (h.header_lines > 0 && (h.ncols < 1 || h.nrows < 1))
        fatal_error("the header of %s names no NCOLS and NROWS\n", name.c_str());
    if (centre_x) h.x_left -= h.cell_width / 2;
    if (centre_y) h.y_bottom -= h.cell_height / 2;
    h.x_right = h.x_left + h.ncols * h.cell_width;
    h.y_top = h.y_bottom + h.nrows * h.cell_height;
    h.data_offset = offset;
    std::fseek(file, offset, SEEK_SET);
    return h;
}

grid_row_reader::grid_row_reader(std::FILE* file, const grid_header& header, const std::string& skip_string)
    : file_(file), header_(header), skip_(skip_string)
{
    missing_ = header.nodata_given ? header.nodata : -9999.0f;
}

grid_row_reader::position grid_row_reader::next_position() const
{
    // Before the first text row the reader has still to pass the leading skipped lines and decide
    // on compression: no position to resume from yet.
    if (!header_.binary && first_) return position{};
    return position{std::ftell(file_), row_, text_compressed_};
}

bool grid_row_reader::resume(const position& at)
{
    if (at.offset < 0 || std::fseek(file_, at.offset, SEEK_SET) != 0) return false;
    row_ = at.row;
    text_compressed_ = at.text_compressed;
    first_ = false;
    return true;
}

void grid_row_reader::keep_short_rows(const std::string& file_name, std::function<void(const std::string&)> warn)
{
    keep_short_rows_ = true;
    file_name_ = file_name;
    warn_ = std::move(warn);
}

bool grid_row_reader::next_row(std::vector<float>& cells, bool store)
{
    if (store) cells.assign(static_cast<size_t>(header_.ncols), missing_);
    return header_.binary ? next_binary_row(cells, store) : next_text_row(cells, store);
}

int expand_compressed_row(const std::vector<std::string>& fields, int ncols, float missing, std::vector<float>& cells)
{
    int filled = 0;
    for (const std::string& f : fields) {
        if (filled >= ncols) break;
        const size_t star = f.find('*');
        long count = 1;
        std::string value = f;
        if (star != std::string::npos) {
            const double c = to_double(f.substr(0, star));
            count = c >= 0 && c <= ncols ? static_cast<long>(c) : (c > ncols ? ncols : 0);
            value = f.substr(star + 1);
        }
        const float v = is_number(value) ? static_cast<float>(to_double(value)) : missing;
        for (long k = 0; k < count && filled < ncols; ++k) cells[static_cast<size_t>(filled++)] = v;
    }
    return filled;
}

bool grid_row_reader::next_text_row(std::vector<float>& cells, bool store)
{
    if (first_) {
        // the first data row decides whether the rows are compressed
        first_ = false;
        bool found = false;
        while (read_text_line(file_, line_)) {
            if (!skip_.empty() && line_.compare(0, skip_.size(), skip_) == 0) continue;
            found = true;
            break;
        }
        if (!found) return false;
        text_compressed_ = line_.find('*') != std::string::npos;
    } else if (!read_text_line(file_, line_)) {
        return false;
    }
    ++row_;
    if (!store) return true;
    if (!skip_.empty() && line_.compare(0, skip_.size(), skip_) == 0) return true;
    const int ncols = header_.ncols;
    std::vector<std::string> fields = split_fields(line_, ' ', ncols);
    if (text_compressed_) {
        const int filled = expand_compressed_row(fields, ncols, missing_, cells);
        if (filled < ncols && keep_short_rows_) {
            if (warn_) warn_(format_text("nr of values in a line of %s is %d instead of %d\n", file_name_.c_str(), filled, ncols));
        } else if (filled < ncols) {
            auto field = [&](size_t i) { return i < fields.size() ? fields[i] : std::string(); };
            fatal_error("%d values in a line of mapfile instead of %d;ac=%d;%s;%s;%s;\n", filled, ncols,
                        static_cast<int>(fields.size()), field(0).c_str(), field(1).c_str(), field(2).c_str());
        }
        return true;
    }
    if (static_cast<int>(fields.size()) < ncols) {
        if (!keep_short_rows_) fatal_error("not enough columns on line %d of data file\n", row_);
        if (warn_)
            warn_(format_text("nr of strings in a line of %s is %d instead of %d\n", file_name_.c_str(),
                              static_cast<int>(fields.size()), ncols));
    }
    for (int i = 0; i < ncols && i < static_cast<int>(fields.size()); ++i)
        cells[static_cast<size_t>(i)] = is_number(fields[i]) ? static_cast<float>(to_double(fields[i])) : missing_;
    return true;
}

bool grid_row_reader::read_cell(float& value)
{
    unsigned char b[4];
    const size_t n = cell_bytes(header_.cells);
    if (!read_bytes(file_, b, n)) return false;
    switch (header_.cells) {
    case cell_type::float32: value = le_float(b); break;
    case cell_type::int16: value = static_cast<float>(static_cast<std::int16_t>(le_u16(b))); break;
    case cell_type::uint16: value = static_cast<float>(le_u16(b)); break;
    case cell_type::int8: value = static_cast<float>(static_cast<std::int8_t>(b[0])); break;
    case cell_type::uint8: value = static_cast<float>(b[0]); break;
    }
    return true;
}

bool grid_row_reader::next_binary_row(std::vector<float>& cells, bool store)
{
    const int ncols = header_.ncols;
    int filled = 0;
    float v = 0;
    if (header_.compressed) {
        // runs of a count byte and one cell until the row is full; a run passing the row's end
        // fills the rest of the row only
        while (filled < ncols) {
            unsigned char count;
            if (!read_bytes(file_, &count, 1) || !read_cell(v)) return false;
            if (filled + count > ncols && keep_short_rows_ && warn_) warn_("error in compressed binary file\n");
            for (int k = 0; k < count && filled < ncols; ++k) {
                if (store) cells[static_cast<size_t>(filled)] = v;
                ++filled;
            }
        }
    } else if (!store) {
        if (std::fseek(file_, static_cast<long>(cell_bytes(header_.cells)) * ncols, SEEK_CUR) != 0) return false;
        // a seek past the end is only found by the next read
        const int c = std::fgetc(file_);
        if (c == EOF) return false;
        std::ungetc(c, file_);
    } else {
        for (; filled < ncols; ++filled) {
            if (!read_cell(v)) return false; // a row cut short ends the map
            cells[static_cast<size_t>(filled)] = v;
        }
    }
    ++row_;
    return true;
}

std::vector<vignette_group> read_vignette_file(const shared_context& context, const std::string& name)
{
    std::vector<vignette_group> groups;
    std::FILE* f = open_file_or_fail(context, name, "r");
    std::string line;
    while (read_text_line(f, line)) {
        std::vector<std::string> w = split_fields(line, ' ', 4);
        if (w.empty()) continue;
        if (w.size() < 2 || !is_number(w[0]) || !is_number(w[1])) {
            std::fclose(f);
            fatal_error("%s: a group needs a colour and a number of points (\"%s\")\n", name.c_str(), line.c_str());
        }
        vignette_group g;
        g.colour = to_int(w[0]);
        const double count = to_double(w[1]);
        g.type = w.size() > 2 && is_number(w[2]) ? to_int(w[2]) : 1;
        if (!(count >= 0) || count > 10000000) {
            std::fclose(f);
            fatal_error("%s: %s points in a group is out of range\n", name.c_str(), w[1].c_str());
        }
        for (long k = 0; k < static_cast<long>(count); ++k) {
            if (!read_text_line(f, line)) {
                std::fclose(f);
                fatal_error("%s ends inside a group of %ld points\n", name.c_str(), static_cast<long>(count));
            }
            std::vector<std::string> p = split_fields(line, ' ', 3);
            g.xs.push_back(p.size() > 0 ? static_cast<float>(to_double(p[0])) : 0.0f);
            g.ys.push_back(p.size() > 1 ? static_cast<float>(to_double(p[1])) : 0.0f);
        }
        groups.push_back(std::move(g));
    }
    std::fclose(f);
    return groups;
}

} // namespace plotwell
