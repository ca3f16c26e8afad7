// Benchmark of the plot core: one series of many points, from the xy call to the last graphics call
// on the recording device (the log is written to a file, as the command-line driver does).
//
//   plotwell_bench [--points N] [--runs R] [--folder DIR]
//
// Writes DIR/bench.dat (x and y of N points) and DIR/bench.set, draws "xy -c bench.set bench.dat"
// R times and prints the fastest run: "plotwell_bench points=N calls=C log_bytes=B seconds=S".
#include "recording_device.h"
#include "xy_call.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    long points = 1000000;
    int runs = 3;
    std::string folder = std::filesystem::temp_directory_path().string();
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--points") points = std::atol(argv[i + 1]);
        else if (a == "--runs") runs = std::atoi(argv[i + 1]);
        else if (a == "--folder") folder = argv[i + 1];
    }
    std::filesystem::current_path(folder);
    if (!std::filesystem::exists("bench.dat") || std::getenv("PLOTWELL_BENCH_REWRITE")) {
        std::FILE* f = std::fopen("bench.dat", "wb");
        if (!f) return 2;
        for (long i = 0; i < points; ++i) {
            double x = i * 0.001;
            std::fprintf(f, "%.3f %.6f\n", x, std::sin(x) + 0.1 * std::sin(37 * x));
        }
        std::fclose(f);
    }
    {
        std::FILE* s = std::fopen("bench.set", "wb");
        if (!s) return 2;
        std::fputs("XY_COLUMNS 1,2\nX_TEXT x\nY1_TEXT y\nLEGEND 'sin(x) + 0.1 sin(37x)'\n", s);
        std::fclose(s);
    }
    double best = 1e30;
    long long calls = 0, bytes = 0;
    for (int r = 0; r < runs; ++r) {
        std::FILE* log = std::fopen("bench.log", "wb");
        if (!log) return 2;
        auto t0 = std::chrono::steady_clock::now();
        {
            plotwell::recording_device device;
            device.set_output(log);
            plotwell::plot_settings ps(device);
            ps.app.xy_call_line = "xy -c bench.set bench.dat";
            try {
                plotwell::render_graph(ps);
            } catch (const plotwell::plot_error& e) {
                std::fprintf(stderr, "%s\n", e.what());
                return 1;
            }
            calls = device.call_count();
        }
        std::fclose(log);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        best = std::min(best, seconds);
        bytes = static_cast<long long>(std::filesystem::file_size("bench.log"));
    }
    std::printf("plotwell_bench points=%ld calls=%lld log_bytes=%lld seconds=%.3f\n", points, calls, bytes, best);
    return 0;
}
