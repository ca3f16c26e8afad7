// Reads arbitrary bytes as a grid map (header and every row, as a drawing reads them) and as a
// vignette file. A refusal is a plot_error; anything else is a fault.
#include "plotwell/core/data_file_readers.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // the input file lives in a private folder of this run, removed when the run ends
    static char folder[] = "/tmp/plotwell_grid_fuzzXXXXXX";
    static bool in_folder = [] {
        if (!mkdtemp(folder) || chdir(folder) != 0) return false;
        std::atexit([] {
            std::remove((std::string(folder) + "/input").c_str());
            rmdir(folder);
        });
        return true;
    }();
    if (!in_folder) return 0;
    std::FILE* out = std::fopen("input", "wb");
    if (!out) return 0;
    std::fwrite(data, 1, size, out);
    std::fclose(out);
    const shared_context plotwell{shared_variant::plotwell};
    for (bool rect_given : {false, true}) {
        std::FILE* f = nullptr;
        try {
            plotwell::grid_header h = plotwell::read_grid_header_for_drawing(plotwell, "input", f, rect_given);
            if (h.ncols < 1) h.ncols = 3; // a map without header takes its size from DRAW_MAP
            plotwell::grid_row_reader reader(f, h, "*");
            std::vector<float> cells;
            for (int r = 0; r < 100000 && reader.next_row(cells, r % 2 == 0); ++r) {
            }
        } catch (const plotwell::plot_error&) {
        }
        if (f) std::fclose(f);
    }
    try {
        plotwell::read_vignette_file(plotwell, "input");
    } catch (const plotwell::plot_error&) {
    }
    return 0;
}
