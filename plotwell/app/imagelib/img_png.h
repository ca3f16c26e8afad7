#pragma once
// PNG reading and writing over libpng: the transformations that turn any PNG into the 8-bit
// palette, 24-bit or 32-bit image asked for, transparency and gamma, ancillary chunks, and the
// text chunks kept in the thread state.
#include "plotwell/app/imagelib/img_codecs.h"

std::uint8_t* img_read_png(img_input handle, std::int32_t* width, std::int32_t* height,
                           int depth, std::uint8_t* palette);
// Rows of `row_bytes` bytes, top first, already in the layout of the colour type and bit
// depth; `resolution` is null or (pixels per unit x, y, unit).
std::int64_t img_write_png(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                           std::uint32_t height, std::uint32_t row_bytes, int bit_depth,
                           int colours, const std::uint8_t* palette, int colour_type,
                           double gamma, int interlace, const std::uint32_t* resolution);
void img_set_write_transparency(int flag);
void img_set_transparent_colour(int index, int red, int green, int blue, int grey);
