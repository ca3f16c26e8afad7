#pragma once
// Free texts on the page: TEXT lines placed by symbolic positions relative to the frame or the page,
// FONT lines, and the date and time stamps of DRAW_DATE and DRAW_TIME.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

// The split settings line: word 2 the text, word 3 the position "x,y", word 4 the height, word 5 the
// vertical flag. 0 when the first word is not `keyword`, else draws and returns 1.
int draw_placed_text(plot_settings& ps, const std::vector<std::string>& words, const char* keyword,
                     const char* error_name, int colour, bool relative_to_frame);
// Hands the font flags of the settings to the graphics layer.
void apply_font(plot_settings& ps);
void apply_font_line(plot_settings& ps, const std::vector<std::string>& words, int& colour);
void correct_postscript_height(plot_settings& ps, double& height);
// alignment 0 left, 1 centred, 2 right.
void draw_date_time(plot_settings& ps, double x, double y, double height, int alignment, bool is_date, bool lift,
                    bool english);

// Resolves a position token of a text: a number, or a letter (L, R, r, m for x; T, B, m for y)
// with an optional number added. `align` gets the final 'm' or 'r' of the token, or 0.
double text_x_position(const plot_settings& ps, const std::string& token, bool relative_to_frame, char& align);
double text_y_position(const plot_settings& ps, const std::string& token, char& align);

// The text pass of the plot driver: FONT, DRAW_DATE, DRAW_TIME and TEXT lines of the settings.
void draw_settings_texts(plot_settings& ps);

} // namespace plotwell
