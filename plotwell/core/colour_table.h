#pragma once
// The colour table of a drawing: the built-in greys and hues, the colour file ("xycolor.set") with
// its RANGE ramp of class colours, and the picture fills of BITMAP_COLOR.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

// The table before any colour file: 0 white, 1 black, 2..15 distinct series colours, 16..31 greys
// from 15 to 255 in steps of 16, 32..255 blocks of hues.
colour_table builtin_colour_table();

// Fills the table from the built-in colours, the colour file and the RANGE ramp and hands it to
// the graphics layer (kept in ps.state.colours for the picture fills).
void set_up_colour_table(plot_settings& ps);

// The length of the RANGE ramp: the number of classes (at least 2), else the number of data sets
// (at least 2 when there are any, else 0).
int colour_ramp_length(const plot_settings& ps);

// Loads every BITMAP_COLOR picture, scales it to its repeat count over the drawing area, makes the
// pixels near its transparent colour exactly that colour and hands it to the graphics layer.
void prepare_bitmap_fills(plot_settings& ps, int drawing_area_width);

// Nearest-neighbour scaling of a 24-bit picture.
std::vector<std::uint8_t> resample_picture(const std::vector<std::uint8_t>& pixels, int width, int height,
                                           int new_width, int new_height);
// Every pixel whose squared RGB distance to `from` is at most `tolerance` becomes `to`.
void replace_picture_colour(std::vector<std::uint8_t>& pixels, rgb_colour from, rgb_colour to, int tolerance);

} // namespace plotwell
