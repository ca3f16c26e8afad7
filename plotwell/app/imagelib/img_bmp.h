#pragma once
// Windows bitmap files: reading into 1-bit, 8-bit palette or 24-bit images (plain, RLE8,
// RLE4 and bit-field files), writing 1-, 4-, 8-, 16- and 24-bit files, and RLE8 on request.
#include "plotwell/app/imagelib/img_codecs.h"

std::uint8_t* img_read_bmp(img_input handle, std::int32_t* width, std::int32_t* height,
                           int depth, std::uint8_t* palette);
// Source rows are packed, top row first: (width + 7) / 8 bytes for 1 bit, (width + 1) / 2 for
// 4, width for 8, 2 × width for 16, 3 × width (red, green, blue) for 24. `resolution` is null
// or two pixels-per-metre values.
std::int64_t img_write_bmp(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                           std::uint32_t height, int bits, int colours,
                           const std::uint8_t* palette, int rle, const std::int32_t* resolution);
