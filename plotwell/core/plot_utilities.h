#pragma once
// The segment primitive, the title block of DRAW_BOX, date and time stamps, and small text and
// file utilities.
#include "plotwell/core/plot_settings.h"

#include <cstdio>
#include <string>

namespace plotwell {

void draw_segment(plot_settings& ps, double x, double y, double dx, double dy);
void draw_title_block(plot_settings& ps);

// "Mo Jan 6 2003" (English) or "Ma 6 Jan 2003" (Dutch) of the local date of the drawing's clock.
std::string format_date_stamp(const plot_settings& ps, bool english);
// "%02d:%02d:%02d" of the local time of the drawing's clock.
std::string format_time_stamp(const plot_settings& ps);

// Decimal text of a value in -32767..32767.
std::string int_to_string(int value);
void reverse_string(std::string& text);
// The file name of a path without folder and extension ("\" and "/" both end a folder).
std::string file_base_name(const std::string& path);
// Newline characters from the current position to the end; the stream is rewound afterwards.
long count_lines(std::FILE* stream);
bool file_exists(const std::string& name);

// Texts of the title block, centred on x.
void draw_centred_text(plot_settings& ps, double x, double y, const std::string& text);

} // namespace plotwell
