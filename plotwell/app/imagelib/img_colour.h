#pragma once
// Colour operations on memory images: grey conversion, reduction of a 24-bit image to at most
// 256 palette colours (an octree over 5 bits per channel, reduced with a min-heap, then mapped
// with error diffusion), colour replacement within a tolerance, 16-bit conversion, and the
// palette colour matcher.
#include "plotwell/app/imagelib/img_frame.h"

#include <utility>
#include <vector>

int img_rgb24_to_grey(std::uint8_t* image, std::uint32_t width, std::uint32_t height);
int img_rgb24_to_grey8(const std::uint8_t* image, std::uint32_t width, std::uint32_t height,
                       std::uint8_t* output);
// Reduces to at most `colours` colours (clamped to 1..256); writes `colours` palette entries
// (blue, green, red; the fourth bytes untouched); entries beyond the colours found are black.
// A non-zero dither mode selects Floyd-Steinberg weights, zero the halving scheme.
int img_rgb24_to_palette8(const std::uint8_t* image, std::uint32_t width, std::uint32_t height,
                          std::uint8_t* output, int colours, std::uint8_t* palette, int dither);
int img_replace_colour(std::uint8_t* image, std::uint32_t width, std::uint32_t height,
                       std::uint32_t find, std::uint32_t replacement, std::uint32_t tolerance);
// One 16-bit word per pixel, low byte first: 5-5-5 (plus bit 15 when asked) or 5-6-5.
int img_rgb24_to_rgb16(const std::uint8_t* image, std::uint32_t width, std::uint32_t height,
                       std::uint8_t* output, int five_five_five, int bit15);

// Internal conversions shared with other units.
std::uint8_t img_grey_value(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
void img_index8_to_rgb24(const std::uint8_t* indexes, std::uint8_t* output, std::uint32_t width,
                         std::uint32_t rows, const std::uint8_t* palette);
bool img_colour_near(std::uint32_t a, std::uint32_t b, std::uint32_t tolerance);
// Nearest palette entry over the three 256-byte tables; 0 for an empty palette.
int img_quant_nearest(int red, int green, int blue, int count, const std::uint8_t* reds,
                      const std::uint8_t* greens, const std::uint8_t* blues);

class img_palette_matcher {
public:
    void set_palette(const std::uint8_t* entries, int count);
    std::uint8_t nearest(int red, int green, int blue);
    const std::uint8_t* entry(int index) const { return &palette_[std::size_t(index) * 4]; }

private:
    std::uint8_t palette_[256 * 4] = {};
    int count_ = 0;
    bool has_palette_ = false;
    std::vector<std::pair<std::uint32_t, std::uint8_t>> cache_;
};
