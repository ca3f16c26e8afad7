// Draws arbitrary settings over arbitrary data onto the recording device. The input is the settings
// text, a line "---", and the data text. Lines that name other files (DATA, EXTRA_DATA, INCLUDE,
// DRAW_LABELS, DRAW_DEV) are left out. A refusal is a plot_error; anything else is a fault.
#include "plotwell/core/recording_device.h"
#include "plotwell/core/xy_call.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

static bool names_other_files(const std::string& line)
{
    std::string head;
    for (char c : line.substr(0, 12)) head += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    size_t i = head.find_first_not_of(" \t");
    if (i == std::string::npos) return false;
    head = head.substr(i);
    for (const char* k : {"DATA", "EXTRA_DATA", "INCLUDE", "DRAW_LABELS", "DRAW_DEV"})
        if (head.rfind(k, 0) == 0) return true;
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool in_folder = [] {
        char templ[] = "/tmp/plotwell_fuzzXXXXXX";
        return mkdtemp(templ) && chdir(templ) == 0;
    }();
    if (!in_folder) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    size_t split = text.find("\n---\n");
    std::string settings = text.substr(0, split);
    std::string rows = split == std::string::npos ? std::string("1 2\n2 3\n") : text.substr(split + 5);
    std::string kept;
    size_t start = 0;
    while (start < settings.size()) {
        size_t e = settings.find('\n', start);
        std::string line = settings.substr(start, e == std::string::npos ? std::string::npos : e - start);
        if (!names_other_files(line)) kept += line + "\n";
        start = e == std::string::npos ? settings.size() : e + 1;
    }
    for (auto [name, content] : {std::pair<const char*, const std::string*>{"s.set", &kept}, {"d.dat", &rows}}) {
        std::FILE* f = std::fopen(name, "wb");
        if (!f) return 0;
        std::fwrite(content->data(), 1, content->size(), f);
        std::fclose(f);
    }
    plotwell::recording_device device;
    plotwell::plot_settings ps(device);
    ps.app.xy_call_line = "xy -c s.set d.dat";
    try {
        plotwell::render_graph(ps);
    } catch (const plotwell::plot_error&) {
    }
    return 0;
}
