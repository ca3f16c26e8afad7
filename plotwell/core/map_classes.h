#pragma once
// The class table of maps, matrices and polygon values (MATRIX_CLASS, EXTRA_CLASS): how a line fills
// it, how a value finds its class, and the class legend beside a map or matrix.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

constexpr int max_classes = 32;

// One MATRIX_CLASS line (words: keyword, colour, lower, operator, upper [, label]).
void add_class_line(plot_settings& ps, const std::vector<std::string>& words);
// One EXTRA_CLASS line (keyword, colour, text); ignored beyond 32 or with fewer than 3 words.
void add_extra_class_line(plot_settings& ps, const std::vector<std::string>& words);
// The index of the value's class, or -1 (no class, or the background class).
int find_class(const plot_settings& ps, double value);
// The colour index of a value, or -1 when it has no class.
int class_colour(const plot_settings& ps, double value);
// When every class's upper bound is the next class's lower bound, a bound that its lower class
// leaves out belongs to the class above, so that every boundary value has a class.
void check_class_bounds(plot_settings& ps);

struct class_legend_geometry {
    double first_width = 0, separator_width = 0, second_width = 0, total_width = 0;
};
class_legend_geometry measure_class_legend(plot_settings& ps);
// Draws the class legend with its top left corner at (x, top), in layout units.
void draw_class_legend(plot_settings& ps, double x, double top, double row_height);

} // namespace plotwell
