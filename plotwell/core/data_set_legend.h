#pragma once
// What belongs to the data sets once their points are known: the buffered points as polylines
// and markers, the DRAW_LABELS texts, and the legend naming every data set with a sample of its style.
#include "plotwell/core/plot_settings.h"

#include <string>

namespace plotwell {

// Draws the point buffers of every data set; with `carry`, a data set with more than one point keeps
// its last point as the first point of the next chunk, so that lines stay joined across chunks.
void flush_data_set_points(plot_settings& ps, bool carry = false);
void draw_data_label(plot_settings& ps, double x, double y, const std::string& text, const label_item& item);
void draw_legend(plot_settings& ps);

struct legend_geometry {
    std::vector<int> entries; // data set index, or -1 - n for the n-th extra-data item
    std::vector<double> column_widths;
    double total_width = 0, sample_width = 0, width = 0, height = 0, text_height = 0;
    int columns = 1, rows = 0;
    bool bar_only = false, marker_only = false;
};
legend_geometry measure_legend_columns(plot_settings& ps);
// The legend's corner (x, top) in layout units.
void place_legend(plot_settings& ps, const legend_geometry& g, double& x, double& top);
void draw_legend_sample(plot_settings& ps, const legend_geometry& g, double x, double y, int entry);

} // namespace plotwell
