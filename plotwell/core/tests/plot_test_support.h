#pragma once
// Helpers of the plot core tests: a drawing on the recording device inside a fresh working folder.
#include "plotwell/core/plot_settings.h"
#include "platform/testing/quelm_test_support.h"
#include "plotwell/core/recording_device.h"
#include "plotwell/core/xy_call.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
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

// The golden file of a drawing kind (plotwell/core/tests/golden/kinds/<name>).
inline std::string golden_path(const std::string& name)
{
    return quelmtest::SourceDir() + "/plotwell/core/tests/golden/kinds/" + name;
}

// Compares a text with its golden file; a difference names the first line that differs.
// PLOTWELL_UPDATE_GOLDEN=1 writes the text as the new golden file instead.
inline void expect_golden(const std::string& actual, const std::string& name)
{
    if (const char* u = std::getenv("PLOTWELL_UPDATE_GOLDEN"); u && std::string(u) == "1") {
        quelmtest::WriteFileBytes(golden_path(name), actual);
        return;
    }
    const std::string expected = quelmtest::ReadFileBytes(golden_path(name));
    if (actual == expected) return;
    std::istringstream a(actual), e(expected);
    std::string la, le;
    for (int line = 1;; ++line) {
        const bool ga = static_cast<bool>(std::getline(a, la)), ge = static_cast<bool>(std::getline(e, le));
        if (!ga && !ge) break;
        if (!ga || !ge || la != le) {
            ADD_FAILURE() << name << " differs at line " << line << ":\n  expected: " << (ge ? le : "(end of file)")
                          << "\n  actual:   " << (ga ? la : "(end of file)");
            return;
        }
    }
    ADD_FAILURE() << name << " differs in its line ends";
}

// The four bytes of a float as a little-endian machine stores them.
inline std::string le_float(float f)
{
    char b[4];
    std::memcpy(b, &f, 4);
    return std::string(b, 4);
}

} // namespace plotwell_test
