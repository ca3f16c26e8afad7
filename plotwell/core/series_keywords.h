#pragma once
// Settings keywords that style the series, the legend, colours and fill patterns, label and
// deviation items, and the statistics outputs.
#include "plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

bool apply_series_keyword(plot_settings& ps, const std::vector<std::string>& words);
// PostScript, printer or picture export without colour.
bool monochrome(const plot_settings& ps);

} // namespace plotwell
