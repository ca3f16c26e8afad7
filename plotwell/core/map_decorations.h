#pragma once
// The other area data of a plot: polygon files with their value files and value labels, vector
// files drawn as arrows, and the map decorations (scale bar, north arrow).
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

// The position of a decoration (layout units) from its position codes: x "L", "R", "m" (the x
// axis's left edge, right edge, middle) or a number, each optionally followed by a number that is
// added; y "B", "T", "m" likewise; a final "m" or "r" of x centres or right-aligns, a final "m" of
// y centres, and "T" takes the height off.
void place_map_item(const plot_settings& ps, const std::string& x_text, const std::string& y_text, double width,
                    double height, double& x, double& y);
void draw_scale_bar(plot_settings& ps);
// The line widths by class of POLYGON_LINE's list "w1,w2,...": up to 32, and when there are fewer
// than classes, each missing one the one before plus 5 / (the number missing), at most plus 1.
std::vector<double> polygon_class_widths(const std::string& list, int class_count);
void draw_north_arrow(plot_settings& ps);

// Widens the axes for the arrows of a vector plot and fixes the vector scale.
void set_vector_window(plot_settings& ps);
// Draws every vector line of the call's data file.
void draw_vectors(plot_settings& ps);
void draw_vector_arrow(plot_settings& ps, double x, double y, double u, double v);

// The mean x, the mean y and the height (largest minus smallest y) of a polygon.
void polygon_centre_and_height(const std::vector<float>& xs, const std::vector<float>& ys, double& cx, double& cy,
                               double& height);

// One polygon of a polygon file.
struct polygon_shape {
    std::string key;
    int type = 0; // 0: none given
    std::vector<float> xs, ys;
};
// Reads a polygon file (text with counts, text without counts, or binary records).
std::vector<polygon_shape> read_polygon_file(const shared_context& context, const std::string& name);

// The polygons of the settings: DRAW_POLYGON lines of the before or after sections.
void draw_polygons(plot_settings& ps, bool before);

} // namespace plotwell
