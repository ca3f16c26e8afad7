#pragma once
// Settings keywords that style the series, the legend, colours and fill patterns, label and
// deviation items, and the statistics outputs.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

bool apply_series_keyword(plot_settings& ps, const std::vector<std::string>& words);
// The keywords that apply_series_keyword knows.
keyword_table series_keyword_table();
// PostScript, printer or picture export without colour.
bool monochrome(const plot_settings& ps);
// Markers 20..29: the shapes of the settings folder's "marker.<n>" file; markers 30..39: its picture.
// Each is read once per drawing; a file that cannot be read defines nothing.
void load_marker_shapes(plot_settings& ps, int marker);
void load_marker_picture(plot_settings& ps, int marker, int transparent);

} // namespace plotwell
