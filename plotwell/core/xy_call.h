#pragma once
// The drawing entry: an xy call ("xy -c graph.set -m data.out") becomes one drawing.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

// The flag letters of an xy call, in bit order: the letter at position k (from 1) sets bit 26 - k.
extern const char* const xy_flag_letters;

// Draws the application's xy call once on the layer; 1 when drawn, 0 when a drawing was under way.
// Fatal errors come out as plot_error after the drawing's buffers, temporary files and re-entry
// guard have been reset, so the next drawing starts clean.
int render_graph(plot_settings& ps);

// Takes the options and flag words out of `words` into plot_settings; returns the number of words
// that remain (the command word and at most one data file).
int parse_xy_call_arguments(plot_settings& ps, std::vector<std::string>& words);

// Page shape p (portrait) or l (landscape) on the screen: the drawing shrinks to the shape of the
// paper and, unless a viewport was given, the graph takes the hard-copy plot area of that shape.
void apply_page_shape(plot_settings& ps, char shape);

// Splits a call line at blanks into at most 127 words (quoted words keep their blanks).
std::vector<std::string> split_call_line(const std::string& line);

} // namespace plotwell
