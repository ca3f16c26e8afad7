#pragma once
// Axis lines, major and minor ticks, tick labels, axis texts and grid lines of the x axis and the
// two y axes. Each axis is drawn twice: first before the data (bar margin, grid behind the data,
// ticks), then after them (ticks again, labels, texts, grid in front, closing lines of the frame).
#include "plotwell/core/plot_settings.h"

#include <string>

namespace plotwell {

void draw_x_axis(plot_settings& ps, int first_pass);
void draw_y_axis(plot_settings& ps, int side, axis_settings& axis, const std::string& axis_text, int first_pass);
void draw_left_axis(plot_settings& ps, int first_pass);
void draw_right_axis(plot_settings& ps, int first_pass);
void draw_horizontal_grid_line(plot_settings& ps, int side, int index, int count, double y);
void draw_vertical_grid_line(plot_settings& ps, int index, int count, double x, double bar_count);

// The label stride: 1, doubled while no interval count was given and intervals / stride exceeds
// the limit (10 for the x axis, 12 for y axes).
int label_stride(const axis_settings& axis, int limit);
// Text of a linear numeric tick label ("0" for a value within a thousandth of an interval of zero
// on an axis through zero, with the default format).
std::string linear_tick_label(const axis_settings& axis, double value, double offset);
// Text of a logarithmic tick label: "10" with the exponent raised between two escape characters.
std::string log_tick_label(const plot_settings& ps, const axis_settings& axis, int i);

} // namespace plotwell
