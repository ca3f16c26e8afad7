#pragma once
// Settings keywords that shape the page, the frame, the texts and the axes, and the switches.
#include "plotwell/core/plot_settings.h"

#include <span>
#include <string>
#include <vector>

namespace plotwell {

// Switches are recognised by the start of the line, compared for the switch's own length, in table
// order: "BOLDER" is BOLD. Returns true when a switch took the line.
bool apply_switch(plot_settings& ps, const std::string& line);
// Word keywords: the first word must equal the keyword. Returns true when the keyword took the line.
bool apply_page_keyword(plot_settings& ps, const std::vector<std::string>& words);
// The keywords that apply_page_keyword knows, and the switches in the order they are tried.
keyword_table page_keyword_table();
std::span<const char* const> switch_names();
// One axis keyword line (X_AXIS, Y_AXIS, Y1_AXIS, Y2_AXIS, and the map's MATRIX_YAXIS).
bool apply_axis_keyword(plot_settings& ps, axis_settings& axis, const std::vector<std::string>& words, bool x_axis);

} // namespace plotwell
