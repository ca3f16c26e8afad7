#pragma once
// Photoshop documents: reading the merged image (bitmap, grey, indexed, RGB, CMYK and duotone
// modes, raw or PackBits) into 8-bit palette or 24-bit images; writing uncompressed 8-bit
// indexed or 24-bit RGB files without layers.
#include "plotwell/app/imagelib/img_codecs.h"

std::uint8_t* img_read_psd(img_input handle, std::int32_t* width, std::int32_t* height,
                           int depth, std::uint8_t* palette);
std::int64_t img_write_psd(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                           std::uint32_t height, int depth, const std::uint8_t* palette);
