// Benchmark of the plot core: from the xy call to the last graphics call on the recording device
// (the log is written to a file, as the command-line driver does).
//
//   plotwell_bench [--kind lines|bars|map] [--points N] [--runs R] [--folder DIR]
//
// lines and bars: DIR/bench.dat holds x and y of N points, drawn as one line or as bars.
// map: DIR/bench-map.asc is a text grid map of sqrt(N) x sqrt(N) cells in ten classes.
// The data files are written when missing (or with PLOTWELL_BENCH_REWRITE set); the same values
// are written for the comparison program as DIR/bench-matrix.dat (the map's cells, one row a line).
// Prints the fastest of R runs: "plotwell_bench kind=K points=N calls=C log_bytes=B seconds=S".
#include "plotwell/core/recording_device.h"
#include "plotwell/core/xy_call.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

bool rewrite(const char* name) { return !std::filesystem::exists(name) || std::getenv("PLOTWELL_BENCH_REWRITE"); }

double cell_value(long row, long column) { return 50 + 50 * std::sin(row / 50.0) * std::cos(column / 70.0); }

bool write_series(long points)
{
    if (!rewrite("bench.dat")) return true;
    std::FILE* f = std::fopen("bench.dat", "wb");
    if (!f) return false;
    for (long i = 0; i < points; ++i) {
        double x = i * 0.001;
        std::fprintf(f, "%.3f %.6f\n", x, std::sin(x) + 0.1 * std::sin(37 * x));
    }
    return std::fclose(f) == 0;
}

bool write_map(long side)
{
    if (!rewrite("bench-map.asc")) return true;
    std::FILE* m = std::fopen("bench-map.asc", "wb");
    std::FILE* g = std::fopen("bench-matrix.dat", "wb");
    if (!m || !g) return false;
    std::fprintf(m, "ncols %ld\r\nnrows %ld\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\nnodata_value -9999\r\n", side, side);
    std::string line;
    char buf[32];
    for (long r = 0; r < side; ++r) {
        line.clear();
        for (long c = 0; c < side; ++c) {
            std::snprintf(buf, sizeof buf, c ? " %.1f" : "%.1f", cell_value(r, c));
            line += buf;
        }
        std::fputs(line.c_str(), g);
        std::fputc('\n', g);
        line += "\r\n";
        std::fputs(line.c_str(), m);
    }
    return std::fclose(m) == 0 && std::fclose(g) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    long points = 1000000;
    int runs = 3;
    std::string kind = "lines";
    std::string folder = std::filesystem::temp_directory_path().string();
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--points") points = std::atol(argv[i + 1]);
        else if (a == "--runs") runs = std::atoi(argv[i + 1]);
        else if (a == "--folder") folder = argv[i + 1];
        else if (a == "--kind") kind = argv[i + 1];
    }
    std::filesystem::current_path(folder);
    std::string call;
    const char* settings = nullptr;
    if (kind == "lines" || kind == "bars") {
        if (!write_series(points)) return 2;
        call = "xy -c bench.set bench.dat";
        settings = kind == "lines" ? "XY_COLUMNS 1,2\nX_TEXT x\nY1_TEXT y\nLEGEND 'sin(x) + 0.1 sin(37x)'\n"
                                   : "XY_COLUMNS 1,2\nX_TEXT x\nY1_TEXT y\nDRAW_BARS 1\nDRAW_LINES 0\nNO_LEGEND\n";
    } else if (kind == "map") {
        const long side = std::lround(std::sqrt(static_cast<double>(points)));
        if (!write_map(side)) return 2;
        call = "xy -c bench.set";
        settings = "DRAW_MAP ! bench-map.asc\nMATRIX_TITLE value\n"
                   "MATRIX_CLASS 2 - < 10\nMATRIX_CLASS 3 10 < 20\nMATRIX_CLASS 4 20 < 30\nMATRIX_CLASS 5 30 < 40\n"
                   "MATRIX_CLASS 6 40 < 50\nMATRIX_CLASS 7 50 < 60\nMATRIX_CLASS 8 60 < 70\nMATRIX_CLASS 9 70 < 80\n"
                   "MATRIX_CLASS 10 80 < 90\nMATRIX_CLASS 11 90 < +\n";
    } else {
        std::fprintf(stderr, "unknown kind %s\n", kind.c_str());
        return 2;
    }
    {
        std::FILE* s = std::fopen("bench.set", "wb");
        if (!s) return 2;
        std::fputs(settings, s);
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
            ps.app.xy_call_line = call;
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
    std::printf("plotwell_bench kind=%s points=%ld calls=%lld log_bytes=%lld seconds=%.3f\n", kind.c_str(), points,
                calls, bytes, best);
    return 0;
}
