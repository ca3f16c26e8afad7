#pragma once
// The two least-squares regression lines of LIN_REGR1 and LIN_REGR2: the fit over the pooled points
// of their series, the report "lin_regr.xy" and the lines across the x range.
#include "plotwell/core/plot_settings.h"

namespace plotwell {

// Sets up both regressions, fits them over the call's data file and appends their report.
void run_linear_regressions(plot_settings& ps);
// Fits one regression over the series marked in `flags`.
regression_fit fit_regression_line(plot_settings& ps, const std::array<int, max_series>& flags);
// Draws the lines of the regressions that were fitted (the data stage calls it after the data).
void draw_regression_lines(plot_settings& ps);

} // namespace plotwell
