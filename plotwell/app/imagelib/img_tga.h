#pragma once
// Truevision TGA files: reading colour-mapped, true-colour and grey pictures, plain or
// run-length encoded, into 8-bit palette, 24-bit or 32-bit images; writing uncompressed 8-bit
// colour-mapped or 24-bit true-colour files with the top row first.
#include "plotwell/app/imagelib/img_codecs.h"

std::uint8_t* img_read_tga(img_input handle, std::int32_t* width, std::int32_t* height,
                           int depth, std::uint8_t* palette);
std::int64_t img_write_tga(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                           std::uint32_t height, int depth, const std::uint8_t* palette);
