#pragma once
// Helpers of the plot core tests: a drawing on the recording device inside a fresh working folder.
#include "plotwell/core/plot_settings.h"
#include "platform/testing/quelm_test_support.h"
#include "plotwell/core/recording_device.h"
#include "plotwell/core/xy_call.h"

#include <filesystem>
#include <string>

namespace plotwell_test {

// Works inside a fresh folder for the life of the object (the plot core reads and writes relative
// names in the current folder, as plotwell does in its work folder).
class work_folder {
public:
    work_folder() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(dir_.path()); }
    ~work_folder() { std::filesystem::current_path(previous_); }
    std::string file(const std::string& name) const { return dir_.file(name); }
    void write(const std::string& name, const std::string& text) const { quelmtest::WriteFileBytes(dir_.file(name), text); }
    std::string read(const std::string& name) const { return quelmtest::ReadFileBytes(dir_.file(name)); }
    std::string path() const { return dir_.str(); }

private:
    quelmtest::TempDir dir_;
    std::filesystem::path previous_;
};

// One drawing of `call` on a recording device; the log, or the message of the error that ended it.
struct drawing {
    plotwell::recording_device device{1000, 700};
    plotwell::plot_settings ps{device};
    std::string error;

    explicit drawing(const std::string& call, const std::string& temp_folder = std::string())
    {
        ps.app.xy_call_line = call;
        ps.app.temp_folder = temp_folder;
        ps.app.clock = [] { return static_cast<std::time_t>(1041854400); }; // Mo Jan 6 2003, 12:00 UTC
    }
    bool run()
    {
        try {
            plotwell::render_graph(ps);
            return true;
        } catch (const plotwell::plot_error& e) {
            error = e.what();
            return false;
        }
    }
    const std::string& log() const { return device.log(); }
};

// The lines of a log that start with the given call name.
inline std::vector<std::string> log_lines(const std::string& log, const std::string& call)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        std::string line = log.substr(start, end - start);
        if (line.compare(0, call.size() + 1, call + " ") == 0 || line == call) out.push_back(line);
        start = end + 1;
    }
    return out;
}

} // namespace plotwell_test
