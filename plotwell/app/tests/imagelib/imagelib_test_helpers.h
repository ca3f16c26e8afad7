#pragma once
// Helpers of the image library tests: pictures with known pixels, writing a picture to a real
// file and reading it back through a reader.
#include "plotwell/app/imagelib/imagelib.h"
#include "platform/testing/quelm_test_support.h"

#include <functional>
#include <string>
#include <vector>

namespace imgtest {

using bytes = std::vector<std::uint8_t>;
using reader_fn = std::uint8_t* (*)(img_input, std::int32_t*, std::int32_t*, int, std::uint8_t*);

// A 24-bit picture whose every byte differs from its neighbours.
inline bytes rgb_picture(int width, int height)
{
    bytes image(std::size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                image[(std::size_t(y) * width + x) * 3 + c] = std::uint8_t(x * 37 + y * 91 + c * 53 + 11);
    return image;
}

// Indexes 0..15 and a 256-entry palette whose first 16 entries are distinct.
inline bytes index_picture(int width, int height)
{
    bytes image(std::size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image[std::size_t(y) * width + x] = std::uint8_t((x + 3 * y) % 16);
    return image;
}

inline bytes test_palette()
{
    bytes palette(1024, 0);
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = std::uint8_t(i * 16 + 3);     // blue
        palette[4 * i + 1] = std::uint8_t(255 - i * 9); // green
        palette[4 * i + 2] = std::uint8_t(i * 5 + 100); // red
    }
    return palette;
}

// The 24-bit pixels of an 8-bit picture through a palette.
inline bytes expand(const bytes& indexes, const bytes& palette)
{
    bytes out(indexes.size() * 3);
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        out[3 * i] = palette[4 * indexes[i] + 2];
        out[3 * i + 1] = palette[4 * indexes[i] + 1];
        out[3 * i + 2] = palette[4 * indexes[i]];
    }
    return out;
}

struct written {
    std::int64_t size = 0;
    std::int32_t error = 0;
};

inline written write_file(const std::string& path, const std::function<std::int64_t(img_output)>& writer)
{
    img_output out = img_open_file_output(path.c_str());
    written result;
    result.size = writer(out);
    result.error = img_get_last_error();
    img_close_output(out);
    return result;
}

struct decoded {
    bytes pixels;
    bytes palette = bytes(1024, 0);
    std::int32_t width = 0, height = 0;
    std::int32_t error = 0;
    bool ok = false;
};

inline decoded read_memory(const std::string& data, reader_fn reader, int depth)
{
    decoded result;
    img_input in = img_open_memory_input(data.data(), std::int64_t(data.size()));
    std::uint8_t* image = reader(in, &result.width, &result.height, depth, result.palette.data());
    result.error = img_get_last_error();
    img_close_input(in);
    if (image) {
        result.ok = true;
        std::size_t bytes_per_row = depth == 1 ? (std::size_t(result.width) + 7) / 8
                                               : std::size_t(result.width) * (depth / 8);
        result.pixels.assign(image, image + bytes_per_row * std::size_t(result.height));
        img_free(image);
    }
    return result;
}

inline decoded read_file(const std::string& path, reader_fn reader, int depth)
{
    return read_memory(quelmtest::ReadFileBytes(path), reader, depth);
}

inline std::string fixture(const std::string& name)
{
    return quelmtest::SourceDir() + "/plotwell/app/tests/imagelib/fixtures/" + name;
}

// The pixels of fixtures/src.ppm (5 × 3).
inline bytes fixture_pixels()
{
    const std::string ppm = quelmtest::ReadFileBytes(fixture("src.ppm"));
    return bytes(ppm.end() - 45, ppm.end());
}

} // namespace imgtest
