#pragma once
// Series drawn other than as lines and markers: filled areas between two series or down to zero,
// bars (side by side, stacked, horizontal) and the deviation bars of DRAW_DEV items.
#include "plotwell/core/plot_settings.h"

namespace plotwell {

// All DRAW_AREA entries, over the points of the current chunk.
void fill_between_series(plot_settings& ps);
// All bar series, over the points of the current chunk.
void draw_bars(plot_settings& ps);
// The frame coordinate where a bar starts on an axis.
double bar_base(const plot_settings& ps, double axis_min, double axis_max, int log_scale);
// One deviation bar (whisker or box) of a DRAW_DEV item.
void draw_deviation_bar(plot_settings& ps, double position, double low, double high, const deviation_item& item);
// Every DRAW_DEV item: one bar per data row whose position, low and high columns hold numbers.
void draw_deviation_items(plot_settings& ps);

} // namespace plotwell
