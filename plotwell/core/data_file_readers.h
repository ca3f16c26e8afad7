#pragma once
// Readers of the data files whose layout plotwell fixes itself: grid maps (text or binary, plain or
// run-length compressed), matrix data lines and vignette files. Every count, size and run length is
// checked before it is used: a damaged file ends the drawing with a message, never with a fault.
#include "plotwell/core/plot_settings.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace plotwell {

// Largest number of columns or rows of a grid map accepted from a text header.
constexpr int max_grid_cells_per_side = 1000000;

// The type code of a binary grid map (-9999..-9995 plain, -99999..-99995 compressed); false for
// any other value, which means a text map.
bool binary_type_code(float code, cell_type& cells, bool& compressed);

// Reads a grid map's header for drawing. `rect_given` says whether DRAW_MAP named the map's
// rectangle, which a map without header needs. The file is left open in `file` at its first row.
grid_header read_grid_header_for_drawing(const shared_context& context, const std::string& name, std::FILE*& file,
                                         bool rect_given);

// Reads the rows of a grid map one at a time.
class grid_row_reader {
public:
    grid_row_reader(std::FILE* file, const grid_header& header, const std::string& skip_string);
    // Reads the next row into `cells` (ncols values; the missing value for cells that hold none)
    // when `store` is set, else passes over it. False at the end of the file.
    bool next_row(std::vector<float>& cells, bool store);
    // Makes the reader forgiving, as the frequency distribution reads maps: a text row short of
    // ncols cells is kept (the cells it lacks are missing) and `warn` gets "nr of strings in a
    // line of <file> is n instead of ncols" (plain rows) or "nr of values ..." (compressed rows);
    // a binary run passing the row's end warns "error in compressed binary file". Without it a
    // short text row ends the drawing.
    void keep_short_rows(const std::string& file_name, std::function<void(const std::string&)> warn);
    // The 0-based number of the row last read.
    int row() const { return row_; }
    float missing() const { return missing_; }
    // Where the next row begins: the file position and the reader's state there. A reader made
    // later over the same file and header goes on from that row with `resume`.
    struct position {
        long offset = -1;
        int row = -1;
        bool text_compressed = false;
    };
    position next_position() const;
    bool resume(const position& at);

private:
    bool next_text_row(std::vector<float>& cells, bool store);
    bool next_binary_row(std::vector<float>& cells, bool store);
    bool read_cell(float& value);

    std::FILE* file_;
    grid_header header_;
    std::string skip_;
    std::string line_;
    bool text_compressed_ = false;
    bool first_ = true;
    int row_ = -1;
    float missing_ = -9999;
    bool keep_short_rows_ = false;
    std::string file_name_;
    std::function<void(const std::string&)> warn_;
};

// The values of a text row of a compressed map ("3*1.5 7 2*x"): runs cut at ncols, fields whose
// value is no number give the missing value. Returns the number of cells filled.
int expand_compressed_row(const std::vector<std::string>& fields, int ncols, float missing, std::vector<float>& cells);

// One group of a vignette file: a colour, a drawing type and its outline in fractions 0..1.
struct vignette_group {
    int colour = 0;
    int type = 1;
    std::vector<float> xs, ys;
};
// Reads a whole vignette file; a group whose count is no number or is negative, or whose points
// run past the end of the file, ends the drawing with a message naming the file.
std::vector<vignette_group> read_vignette_file(const shared_context& context, const std::string& name);

} // namespace plotwell
