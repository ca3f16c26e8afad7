#pragma once
// The data stage of one xy call and the point pipeline: a data row becomes points, points are
// checked, scaled, accumulated, turned into axis fractions and buffered; full buffers are drawn
// in chunks so that files of any length need bounded memory.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <string_view>
#include <vector>

namespace plotwell {

constexpr long max_chunk = 100000;

// Reads the next data row: empty lines and lines that begin with the skip string are passed over;
// the line end (CR LF or LF) is removed. False at the end of the data.
bool read_data_line(const plot_settings& ps, std::FILE* file, std::string& line);
// Splits a copy of the row (kept in `work`) at white space into at most `maximum` words with the
// shared word splitter; the words point into `work`.
void split_row(const std::string& row, std::string& work, std::vector<char*>& words, size_t maximum);

// 1 with the point of the series, 0 when the row gives none.
int read_point(const plot_settings& ps, const std::vector<char*>& words, int series, double& x, double& y);
void add_point(plot_settings& ps, double x, double y, int series, bool first);
int draw_series_rows(plot_settings& ps, bool first);
void run_data_stage(plot_settings& ps);

} // namespace plotwell
