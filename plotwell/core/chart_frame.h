#pragma once
// The graph frame on the page: page and graph backgrounds, the frame layout in layout units
// (100 x 100 over the graph region), the frame viewport with its zero lines, and the title lines.
#include "plotwell/core/plot_settings.h"

#include <string>

namespace plotwell {

// Before each xy call: layout 100 x 100 and the default plot area for the device and orientation.
void set_default_viewport(plot_settings& ps);
// Widens the top ("T...") or bottom ("B...") text margin for a text of the given height.
void extend_title_margins(plot_settings& ps, const std::string& code, double height);

void setup_graph_frame(plot_settings& ps);
void compute_region_scale(plot_settings& ps);
void open_page(plot_settings& ps);
void layout_frame(plot_settings& ps);
void set_frame_viewport(plot_settings& ps);
void draw_titles(plot_settings& ps);

// Whether the data-set legend stands above the frame (it then takes room from the frame's top).
bool legend_above_frame(const plot_settings& ps);
bool legend_box_on(const plot_settings& ps);
// Height-per-unit over width-per-unit of the current viewport: turns a vertical size into x units.
double unit_ratio(const plot_settings& ps);
void set_text_height(plot_settings& ps, double height);

} // namespace plotwell
