#pragma once
// The word keywords of maps, matrices, vectors and map decorations.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

// True when the line was taken. The class and matrix keywords count only in a matrix plot.
bool apply_map_keyword(plot_settings& ps, const std::vector<std::string>& words);
// The keywords that apply_map_keyword knows.
keyword_table map_keyword_table();

} // namespace plotwell
