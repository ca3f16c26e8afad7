#pragma once
// Job files: several graphs (XY lines) on one page, then the page's own decorations (titles, lines,
// markers, boxes, a vignette, date and time, a legend for the whole page) in percent of the page.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

// Reads the job's CENTRAL_LEGEND, ALLMAPS_COORDS and page shape lines, then draws every XY line as
// one more call; 1 when at least one graph was drawn.
int run_job_file(plot_settings& ps);

// Draws the job page's decorations (and, for a job without graphs, opens and fills the page).
void draw_job_page(plot_settings& ps);

// Draws the vignette file into the rectangle (percent of the page).
void draw_vignette_file(plot_settings& ps, double x1, double y1, double x2, double y2, const std::string& file);

} // namespace plotwell
