// Feeds arbitrary settings lines and xy calls to the plot core's parsers. A refusal is a plot_error;
// anything else (a crash, a sanitizer report, another exception) is a fault.
#include "plotwell/core/plot_defaults.h"
#include "plotwell/core/recording_device.h"
#include "plotwell/core/settings_language.h"
#include "plotwell/core/xy_call.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    plotwell::recording_device device;
    plotwell::plot_settings ps(device);
    plotwell::reset_plot_settings(ps);
    plotwell::reset_series_defaults(ps);

    // the first line is an xy call (files it names are not opened: -j, -$ and data files are left out)
    size_t end = text.find('\n');
    std::string call = text.substr(0, end);
    std::vector<std::string> words = plotwell::split_call_line(call);
    bool opens_files = false;
    for (const std::string& w : words) opens_files |= (w == "-j" || w == "-$");
    if (!opens_files) {
        try {
            plotwell::parse_xy_call_arguments(ps, words);
        } catch (const plotwell::plot_error&) {
        }
    }
    std::vector<std::string> lines;
    size_t start = end == std::string::npos ? text.size() : end + 1;
    while (start < text.size()) {
        size_t e = text.find('\n', start);
        std::string line = text.substr(start, e == std::string::npos ? std::string::npos : e - start);
        if (plotwell::next_settings_line(line) && line.compare(0, 7, "INCLUDE") != 0) lines.push_back(line);
        start = e == std::string::npos ? text.size() : e + 1;
    }
    try {
        plotwell::parse_settings_lines(ps, lines, 1, 0);
    } catch (const plotwell::plot_error&) {
    }
    return 0;
}
