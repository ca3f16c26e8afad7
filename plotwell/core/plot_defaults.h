#pragma once
// Starting values of every xy call, autoscaling of the open axis ranges, and expression curves.
#include "plotwell/core/plot_settings.h"

namespace plotwell {

void reset_plot_settings(plot_settings& ps);
void reset_series_defaults(plot_settings& ps);
// Reads the call's data file once, counts its rows into point_count and rounds the open ranges.
void autoscale_axes(plot_settings& ps);
// Computes the points of the DRAW_EXPRESSION curves and their share of the ranges.
void evaluate_expression_curves(plot_settings& ps);

} // namespace plotwell
