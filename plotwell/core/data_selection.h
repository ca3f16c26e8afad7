#pragma once
// Settings preparation and data selection of one xy call: the named section of the settings file,
// the -cmd lines, INCLUDE lines and the winmenu.set merge become one settings stream; the DATA lines
// are selected into the call's data file by the shared row-selection engine.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

// kind 2 when the call names its own data file (already open as the data stream), else 1. Leaves the
// settings parsed and the data stream open.
void prepare_settings_and_data(plot_settings& ps, int kind);
void run_selection_or_fail(plot_settings& ps);
// Selects the columns of the DATA lines into the data file; true when any row was selected.
bool run_plot_data_selection(plot_settings& ps);

// INCLUDE expansion of a settings stream; `raw_settings` is the settings file as written, whose own
// sections an INCLUDE may name.
std::vector<std::string> expand_includes(const plot_settings& ps, const std::vector<std::string>& lines,
                                         const std::vector<std::string>& raw_settings);
void expand_include_line(const plot_settings& ps, std::vector<std::string>& output, const std::string& line,
                         const std::vector<std::string>& raw_settings);
std::vector<std::string> merge_winmenu_settings(const plot_settings& ps, const std::vector<std::string>& lines);

} // namespace plotwell
