#pragma once
// The settings language: line grammar, the defaults file "xy_def.set", the passes over a settings
// stream and how DATA lines, XY_COLUMNS and DRAW_EXPRESSION lines become the series of the plot.
#include "plotwell/core/plot_settings.h"

#include "plotwell/core/page_keywords.h"
#include "plotwell/core/series_keywords.h"

#include <string>
#include <vector>

namespace plotwell {

// Applies the reader's rules to one raw line: false for a line that is skipped (empty, or '*' as
// its first character after blanks and tabs); otherwise the line without its end, cut to 2047
// characters, with its first word upper-cased.
bool next_settings_line(std::string& line);

// Reads all lines of a text file (CR LF or LF) as the settings reader gives them.
std::vector<std::string> read_settings_lines(std::FILE* file);

void read_defaults_file(plot_settings& ps, int word_count);
// kind 2 when the call names its own data file, 1 otherwise. Parses ps.settings_lines, or the
// given lines for the defaults file.
void parse_settings_file(plot_settings& ps, int kind, int is_defaults);
void parse_settings_lines(plot_settings& ps, const std::vector<std::string>& lines, int kind, int is_defaults);

// The last step for a line no handler took: lets the keywords of other readers pass, refuses the rest
// with "command %s is not recognized or has no effect\n".
// Legend entries: data sets with a legend text and the deviation items that have one; the legend
// columns follow from them unless LEGEND_COLUMNS was given.
void count_legend_entries(plot_settings& ps);

// The x and y columns of the series that DATA lines select into the one selected data file.
void assign_data_line_columns(plot_settings& ps, const std::vector<std::string>& data_lines, int series);

void check_unknown_keyword(const std::string& keyword, const std::string& line);

// The text of a text keyword: from the 1-based column on, at most `longest` characters.
std::string text_from_column(const std::string& line, size_t column, size_t longest);

extern const char* const default_settings_file_name;

} // namespace plotwell
