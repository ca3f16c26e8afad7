#pragma once
// The chart data that the titles-and-classes dialog edits (the two titles, the matrix title, the grid
// spacing and the class table of a class map), the formatting of one class into a MATRIX_CLASS line,
// and the rewrite of the settings file into "tmpsetfp.set" with the edited values.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

struct chart_data {
    std::string from_text, to_text; // the class bounds as typed: a number, "=" and a number, or "-"
    std::string label;
    int class_colour = 0; // the class table's colour: the MATRIX_CLASS colour + 1
};

struct chart_object {
    std::string title_1, title_2, matrix_title;
    std::vector<chart_data> classes;
    std::string grid_text;
    std::string settings_file_name;
    int grid_on = 0, grid_on_loaded = 0;
    // The relation of the formatted classes: '<' or '>', as the last class with two numeric bounds
    // had it. Kept with the chart, so that one chart's classes do not steer another's.
    char relation = '<';
};

// Formats one class; false after showing a message ("No class values have been entered.",
// "Illegal class values have been entered.") through `show_message`.
bool parse_class_values(chart_object& chart, const std::string& from_text, const std::string& to_text,
                        const std::string& label, std::string& out, int index, int last_index, bool matrix_form,
                        const std::function<void(const std::string&)>& show_message);

// Writes "tmpsetfp.set": the chart's settings file with its titles, grid and classes replaced.
void write_title_class_settings(plot_settings& ps, chart_object& chart);

} // namespace plotwell
