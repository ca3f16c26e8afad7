#pragma once
// Grid maps on the page: the DRAW_MAP setting that makes a plot a map, and the cells of the map
// drawn row by row as rectangles in their class colours, thinned to the device's resolution.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

// DRAW_MAP [x1,y1,x2,y2 [file [cell width [cell height]]]] (read in the pre-scan).
void apply_draw_map(plot_settings& ps, const std::vector<std::string>& words);

// Draws the whole map of the call (the data stage calls it in place of the series).
void draw_map(plot_settings& ps);

// Sets the colour and draws a rectangle with the current fill style.
void fill_colour_rectangle(plot_settings& ps, int colour, double x1, double y1, double x2, double y2);

// The index of the largest count (the first on ties), -1 when all are 0.
int index_of_largest_count(const std::vector<int>& counts);

// Draws one row of cell colours (-1: nothing) between y1 and y2. `lefts` are the cells' mapped left
// edges and `width` their drawn width; on vector output the colour that begins most runs is
// drawn once under the whole stretch and only the other cells over it.
void draw_cell_row(plot_settings& ps, const std::vector<int>& colours, const std::vector<double>& lefts, double width,
                   double y1, double y2, bool vector_output);

// The value of one map cell for the map window's read-out (columns and rows from 1); false when
// the cell cannot be read.
bool read_map_row_values(plot_settings& ps, int column, int row, double& value);

} // namespace plotwell

namespace plotwell {

// MATRIX_YAXIS (read in the pre-scan): the y axis of a matrix data file; the plot becomes a matrix
// plot with range colours and no legend box.
void apply_matrix_yaxis(plot_settings& ps, const std::vector<std::string>& words);

// The y bands of a matrix plot (MATRIX_YRANGES) over the y axis; without it one band per value
// field of the first line, from the bottom up.
std::vector<std::pair<double, double>> matrix_bands(const plot_settings& ps, int value_fields);

// Draws the whole matrix data file of the call: one column of band rectangles per line.
void draw_matrix(plot_settings& ps);

} // namespace plotwell
