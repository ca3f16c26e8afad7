// Renders one xy call onto the recording device and writes the log of graphics calls.
//
//   plotwell_render [options] xy [xy-call arguments...]
//     --log FILE         write the log to FILE (default: standard output)
//     --page WxH         page size of the device in device units (default 1000x700)
//     --settings DIR     the settings folder
//     --temp DIR         the temporary folder
//     --time SECONDS     the clock of the date and time stamps (seconds since 1970, UTC)
//
// Exit status 0 when the drawing was made, 1 with the message on standard error when it was
// abandoned, 2 for a wrong command line.
#include "plotwell/core/recording_device.h"
#include "plotwell/core/xy_call.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    std::string log_name, call;
    double width = 1000, height = 700;
    plotwell::application_state app;
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--log") log_name = value();
        else if (a == "--page") {
            std::string v = value();
            if (std::sscanf(v.c_str(), "%lfx%lf", &width, &height) != 2 || width <= 0 || height <= 0) {
                std::fprintf(stderr, "--page needs WIDTHxHEIGHT\n");
                return 2;
            }
        } else if (a == "--settings") app.settings_folder = value();
        else if (a == "--temp") app.temp_folder = value();
        else if (a == "--time") {
            std::time_t t = static_cast<std::time_t>(std::atoll(value().c_str()));
            app.clock = [t] { return t; };
        } else break;
    }
    if (i >= argc) {
        std::fprintf(stderr, "usage: plotwell_render [--log FILE] [--page WxH] [--settings DIR] [--temp DIR] "
                             "[--time SECONDS] xy [arguments...]\n");
        return 2;
    }
    for (; i < argc; ++i) {
        std::string w = argv[i];
        if (!call.empty()) call += ' ';
        call += w.find_first_of(" \t") != std::string::npos ? "\"" + w + "\"" : w;
    }
    app.xy_call_line = call;

    std::FILE* out = log_name.empty() ? stdout : std::fopen(log_name.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "Cannot open %s\n", log_name.c_str());
        return 2;
    }
    int status = 0;
    {
        plotwell::recording_device device(width, height);
        device.set_output(out);
        plotwell::plot_settings ps(device);
        ps.app = app;
        try {
            plotwell::render_graph(ps);
        } catch (const plotwell::plot_error& e) {
            std::fprintf(stderr, "%s", e.what());
            if (!*e.what() || e.what()[std::strlen(e.what()) - 1] != '\n') std::fputc('\n', stderr);
            status = 1;
        }
    }
    if (out != stdout) std::fclose(out);
    return status;
}
