#pragma once
// The plot driver: one xy call from its data and settings to a finished graph.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

// Draws the graph of one xy call. `words` is the split call line: in a job (`in_job`) the XY line,
// whose options are parsed here; otherwise the words that render_graph left (command word and at
// most one data file).
int draw_plot(plot_settings& ps, std::vector<std::string>& words, bool in_job);
void draw_position_grid(plot_settings& ps);

} // namespace plotwell
