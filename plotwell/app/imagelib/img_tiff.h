#pragma once
// TIFF writing over libtiff with client procedures over the library's output streams:
// 8-bit palette, 24-bit RGB and 32-bit RGBA pictures, one file per call.
#include "plotwell/app/imagelib/img_codecs.h"

// `compression` is a TIFF compression code (7 becomes 1 for palette pictures); `resolution`
// is null or (x resolution, y resolution, unit).
std::int64_t img_write_tiff(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                            std::uint32_t height, int depth, const std::uint8_t* palette,
                            int compression, const std::uint32_t* resolution);

// The Software tag text.
std::string img_tiff_software_text();
