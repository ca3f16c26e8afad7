#pragma once
// The border between memory images and the bitmap and palette handles of the Windows subset:
// reading a bitmap's pixels as a 24-bit image, making a bitmap from one, making a palette,
// and the conversions between device-independent bitmap rows and memory images.
#include "plotwell/app/imagelib/img_frame.h"
#include "platform/win/WinBitmap.h"

int img_hbitmap_to_rgb24(HBITMAP bitmap, HDC dc, HPALETTE palette, std::uint8_t* output);
HBITMAP img_rgb24_to_hbitmap(const std::uint8_t* image, std::uint32_t width,
                             std::uint32_t height, HPALETTE palette, HDC dc);
HPALETTE img_create_palette(const std::uint8_t* table, int count);
// Exchanges the first and third byte of every 3-byte pixel.
int img_exchange_red_blue(std::uint8_t* pixels, std::uint32_t width, std::uint32_t height);

// Internal conversions shared with the BMP codec. A packed DIB is a block from the library's
// allocator (release with img_free): a 40-byte header, the colour table, the rows.
void img_dib_row_to_rgb24(const std::uint8_t* row, std::uint8_t* output, std::uint32_t count,
                          int bits, const std::uint8_t* colour_table, int table_count,
                          const std::uint32_t* masks);
void img_dib_row_to_index8(const std::uint8_t* row, std::uint8_t* output, std::uint32_t count,
                           int bits);
std::int32_t img_rgb24_to_dib_rows(const std::uint8_t* image, std::uint8_t* pixels,
                                   std::uint32_t width, std::uint32_t height, std::uint64_t stride);
std::uint8_t* img_rgb24_to_dib(img_error_scope& scope, const std::uint8_t* image,
                               std::uint32_t width, std::uint32_t height);
std::uint8_t* img_dib_from_hbitmap(img_error_scope& scope, HBITMAP bitmap, HPALETTE palette);
HBITMAP img_hbitmap_from_dib(img_error_scope& scope, const std::uint8_t* dib, HPALETTE palette,
                             HDC dc, bool dib_section);
int img_dib_to_rgb24(img_error_scope& scope, const std::uint8_t* dib, std::uint8_t* output);
void exchange_red_blue24(std::uint8_t* pixels, std::uint32_t width, std::uint32_t rows);
void exchange_red_blue32(std::uint8_t* pixels, std::uint32_t width, std::uint32_t rows);
