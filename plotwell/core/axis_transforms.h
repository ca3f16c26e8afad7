#pragma once
// Turning data values into axis fractions, rounding axis ranges, and mapping graph viewports.
#include "plotwell/core/plot_settings.h"

namespace plotwell {

// The axis range lo..hi is finite and not empty (lo > 0 and hi > 0 on a logarithmic axis); it may
// run either way.
double linear_fraction(double v, double lo, double hi);
double log_fraction(const plot_settings& ps, double v, double lo, double hi);
// Linear or logarithmic fraction, cut to +-50 and with magnitudes below 1e-6 made 0.
float axis_fraction(const plot_settings& ps, int log, double v, double lo, double hi);

// Rounds to whole decades; returns the number of decades.
int log_axis_range(double lo, double hi, double& out_lo, double& out_hi);
// Rounds a range to readable limits; returns the number of major intervals. Units are counted in
// multiples of k.
int round_axis_range(double lo, double hi, double& out_min, double& out_max, int k);

// Rounds one axis (0 = x, 1 = left, 2 = right) from its data extremes for autoscaling.
void scale_axis(plot_settings& ps, int keep_min, double data_min, int log, double data_max, int axis,
                int min_is_hint);

void set_zoom_axes(plot_settings& ps);
void check_log_axis(int log, const char* name, double min, double max);

// Maps a viewport in percent of the layout onto the device, then sets the window 0..window.
void set_graph_viewport(plot_settings& ps, double x1, double y1, double x2, double y2, double window);

// Width of the widest tick label of an axis, in layout x units at the current character height.
double measure_axis_labels(plot_settings& ps, const axis_settings& axis, int side);
std::string format_tick_value(const std::string& format, double value);
void fit_text_right(plot_settings& ps, int draw, double x, double y, const std::string& text);

axis_settings& axis_by_number(plot_settings& ps, int axis);

} // namespace plotwell
