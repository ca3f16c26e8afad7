#pragma once
// Pictures placed on the page by DRAW_BITMAP lines (BITMAP lines of a job) in their drawing phases,
// and the grid lines of a map.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

// Draws the picture lines of one phase: `before` the lines of BITMAP_BEFORE sections (the start of
// the file counts as one), else those of BITMAP_AFTER sections; `page_mode` the pictures of mode 0
// and those without a mode, else those of modes 1 and 2. `from_job` reads the job's BITMAP lines.
void draw_bitmaps(plot_settings& ps, bool page_mode, bool from_job, bool before);

// Where one picture line puts its picture, or false when it draws nothing (a mode 2 picture wholly
// outside the axes, a line of another phase).
bool place_picture(plot_settings& ps, const std::vector<std::string>& words, bool page_mode, bool job_line,
                   picture_placement& placement);

// Vertical and horizontal lines every GRID_SPACING over the map.
void draw_map_grid_lines(plot_settings& ps);

} // namespace plotwell
