#pragma once
// Frequency distributions of a drawn grid map: its cells counted in classes (from the settings or
// equal-width classes between the rounded extremes), cumulative percentages and percentiles, and
// the files written from them: "frqdst<m>.out", "freqdist.job" and the percentiles file.
#include "plotwell/core/plot_settings.h"

#include <string>
#include <vector>

namespace plotwell {

enum class distribution_kind { frequency, cumulative, percentiles };

struct freq_class {
    float lower = 0, upper = 0;
    bool exact = false, ascending = true, lower_included = false, upper_included = false;
    std::string label;
    int colour = 0;
};

struct freq_classes {
    std::vector<freq_class> classes;
    bool first_open = false, last_open = false;
    bool from_settings = false;
};

// The MATRIX_CLASS lines of settings lines (with the distribution's own reading of the operator).
freq_classes read_freqdist_classes(const std::vector<std::string>& lines);
// When every class's upper bound is the next class's lower bound, that bound goes to one class only.
void close_class_gaps(freq_classes& c);
// Equal-width classes between the rounded extremes: n classes for the cumulative kinds, else the
// rounded interval count brought below 8 (and to at least 3).
freq_classes make_automatic_classes(double minimum, double maximum, distribution_kind kind, int count);
// The class that holds v, or -1.
int freq_class_of(const freq_classes& c, float v);

struct distribution_counts {
    std::vector<long> counts;
    long cells = 0;
    float total = 0;
    float largest = 1e-30f;
};

// The values of the requested percentages from the counts over the classes.
std::vector<double> percentile_values(const freq_classes& c, const distribution_counts& d,
                                      const std::vector<double>& percentages);

// The whole run: over the drawn map (the map of the last drawing of `ps`, classes from
// `settings_lines`), or with a job file over the map of every XY line of the job (classes from each
// call's settings). Writes the files in the current folder; returns the number of maps evaluated.
int run_frequency_distribution(plot_settings& ps, const std::vector<std::string>& settings_lines, bool cumulative,
                               bool percentiles, const std::string& job_file_name = std::string());

// Snaps the viewports ("x1,y1,x2,y2") of a job's graphs to a regular grid of columns and rows.
void snap_viewports(std::vector<std::string>& viewports);

} // namespace plotwell
