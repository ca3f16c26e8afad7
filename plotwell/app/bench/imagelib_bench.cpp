// Times the export path of a 1600 x 1200 24-bit picture: reduction to 256 colours with
// Floyd-Steinberg dithering, and PNG writing (8-bit palette and 24-bit RGB).
// Usage: plotwell_imagelib_bench <output folder> [repeats]
// Writes picture.ppm (the source, for other encoders), palette.png and rgb.png there.
#include "plotwell/app/imagelib/imagelib.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A chart-like picture: smooth gradients, a few flat areas and lines, so that the colour
// reduction has real work and PNG filtering has both flat and busy rows.
std::vector<std::uint8_t> make_picture(int width, int height)
{
    std::vector<std::uint8_t> image(std::size_t(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &image[(std::size_t(y) * width + x) * 3];
            p[0] = std::uint8_t((x * 255) / (width - 1));
            p[1] = std::uint8_t((y * 255) / (height - 1));
            p[2] = std::uint8_t(((x + y) * 7) & 0xFF);
            if ((x / 200 + y / 150) % 5 == 0) {
                p[0] = 250;
                p[1] = 250;
                p[2] = 240;
            }
            if (y % 100 == 0 || x % 160 == 0)
                p[0] = p[1] = p[2] = 0;
        }
    }
    return image;
}

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder> [repeats]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const int width = 1600, height = 1200;
    const std::vector<std::uint8_t> picture = make_picture(width, height);

    {
        std::FILE* ppm = std::fopen((folder + "/picture.ppm").c_str(), "wb");
        if (!ppm)
            return 1;
        std::fprintf(ppm, "P6\n%d %d\n255\n", width, height);
        std::fwrite(picture.data(), 1, picture.size(), ppm);
        std::fclose(ppm);
    }

    std::vector<std::uint8_t> indexes(std::size_t(width) * height);
    std::vector<std::uint8_t> palette(1024, 0);
    double quantise = 1e9, png8 = 1e9, png24 = 1e9;
    for (int i = 0; i < repeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        if (!img_rgb24_to_palette8(picture.data(), width, height, indexes.data(), 256,
                                   palette.data(), 1))
            return 1;
        quantise = std::min(quantise, seconds_since(start));

        start = std::chrono::steady_clock::now();
        img_output out = img_open_file_output((folder + "/palette.png").c_str());
        img_write_png(out, indexes.data(), width, height, width, 8, 256, palette.data(), 3, 0, 0,
                      nullptr);
        img_close_output(out);
        png8 = std::min(png8, seconds_since(start));
        if (img_get_last_error())
            return 1;

        start = std::chrono::steady_clock::now();
        out = img_open_file_output((folder + "/rgb.png").c_str());
        img_write_png(out, picture.data(), width, height, width * 3, 8, 256, palette.data(), 2, 0,
                      0, nullptr);
        img_close_output(out);
        png24 = std::min(png24, seconds_since(start));
        if (img_get_last_error())
            return 1;
    }
    std::printf("quantise_256_dither_ms %.1f\n", quantise * 1000);
    std::printf("png_write_palette8_ms %.1f\n", png8 * 1000);
    std::printf("png_write_rgb24_ms %.1f\n", png24 * 1000);
    std::printf("quantise_plus_png8_ms %.1f\n", (quantise + png8) * 1000);
    return 0;
}
