#include "plotwell/app/imagelib/img_bitmaps.h"
#include "plotwell/app/imagelib/img_streams.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Shift that puts the top bit of the mask's lowest run of set bits (within bits 0..15) on
// bit 7; a positive shift is to the right.
int mask_shift(std::uint32_t mask)
{
    mask &= 0xFFFF;
    int low = 0;
    while (low < 16 && !(mask & (1u << low)))
        ++low;
    if (low == 16)
        return 0;
    int high = low;
    while (high + 1 < 16 && (mask & (1u << (high + 1))))
        ++high;
    return high - 7;
}

int colour_table_count(const BITMAPINFOHEADER& h)
{
    if (h.biBitCount > 8)
        return 0;
    const int full = 1 << h.biBitCount;
    if (h.biClrUsed == 0 || h.biClrUsed > std::uint32_t(full))
        return full;
    return int(h.biClrUsed);
}

} // namespace

void exchange_red_blue24(std::uint8_t* pixels, std::uint32_t width, std::uint32_t rows)
{
    const std::uint64_t count = std::uint64_t(width) * rows;
    for (std::uint64_t i = 0; i < count; ++i)
        std::swap(pixels[3 * i], pixels[3 * i + 2]);
}

void exchange_red_blue32(std::uint8_t* pixels, std::uint32_t width, std::uint32_t rows)
{
    const std::uint64_t count = std::uint64_t(width) * rows;
    for (std::uint64_t i = 0; i < count; ++i)
        std::swap(pixels[4 * i], pixels[4 * i + 2]);
}

int img_exchange_red_blue(std::uint8_t* pixels, std::uint32_t width, std::uint32_t height)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (!pixels) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        exchange_red_blue24(pixels, width, height);
        return 1;
    });
}

void img_dib_row_to_rgb24(const std::uint8_t* row, std::uint8_t* output, std::uint32_t count,
                          int bits, const std::uint8_t* colour_table, int table_count,
                          const std::uint32_t* masks)
{
    // An index beyond the colour table reads entry 0 (black without a table).
    auto from_table = [&](unsigned index, std::uint8_t* out) {
        if (!colour_table || table_count <= 0) {
            out[0] = out[1] = out[2] = 0;
            return;
        }
        const std::uint8_t* e = colour_table + 4 * (int(index) < table_count ? index : 0);
        out[0] = e[2];
        out[1] = e[1];
        out[2] = e[0];
    };
    switch (bits) {
    case 1:
        for (std::uint32_t i = 0; i < count; ++i)
            from_table((row[i / 8] >> (7 - i % 8)) & 1, output + 3 * std::size_t(i));
        break;
    case 4:
        for (std::uint32_t i = 0; i < count; ++i)
            from_table(i % 2 ? row[i / 2] & 0x0F : row[i / 2] >> 4, output + 3 * std::size_t(i));
        break;
    case 8:
        for (std::uint32_t i = 0; i < count; ++i)
            from_table(row[i], output + 3 * std::size_t(i));
        break;
    case 16:
        if (!masks) {
            for (std::uint32_t i = 0; i < count; ++i) {
                const unsigned w = row[2 * i] | row[2 * i + 1] << 8;
                output[3 * i] = std::uint8_t((w >> 7) & 0xF8);
                output[3 * i + 1] = std::uint8_t((w >> 2) & 0xF8);
                output[3 * i + 2] = std::uint8_t((w << 3) & 0xF8);
            }
        } else {
            int shift[3];
            for (int c = 0; c < 3; ++c)
                shift[c] = mask_shift(masks[c]);
            for (std::uint32_t i = 0; i < count; ++i) {
                const unsigned w = row[2 * i] | row[2 * i + 1] << 8;
                for (int c = 0; c < 3; ++c) {
                    const unsigned v = w & masks[c] & 0xFFFF;
                    output[3 * i + c] = std::uint8_t(shift[c] >= 0 ? v >> shift[c] : v << -shift[c]);
                }
            }
        }
        break;
    case 24:
        std::memcpy(output, row, std::size_t(count) * 3);
        exchange_red_blue24(output, count, 1);
        break;
    case 32:
        for (std::uint32_t i = 0; i < count; ++i) {
            output[3 * i] = row[4 * i + 2];
            output[3 * i + 1] = row[4 * i + 1];
            output[3 * i + 2] = row[4 * i];
        }
        break;
    default:
        break;
    }
}

void img_dib_row_to_index8(const std::uint8_t* row, std::uint8_t* output, std::uint32_t count,
                           int bits)
{
    switch (bits) {
    case 1:
        for (std::uint32_t i = 0; i < count; ++i)
            output[i] = (row[i / 8] >> (7 - i % 8)) & 1;
        break;
    case 4:
        for (std::uint32_t i = 0; i < count; ++i)
            output[i] = i % 2 ? row[i / 2] & 0x0F : row[i / 2] >> 4;
        break;
    case 8:
        std::memcpy(output, row, count);
        break;
    default:
        break;
    }
}

std::int32_t img_rgb24_to_dib_rows(const std::uint8_t* image, std::uint8_t* pixels,
                                   std::uint32_t width, std::uint32_t height, std::uint64_t stride)
{
    if (!image || !pixels || !width || !height || !stride)
        return IMG_ERR_ARGUMENT;
    for (std::uint32_t r = 0; r < height; ++r) {
        const std::uint8_t* in = image + std::size_t(height - 1 - r) * width * 3;
        std::uint8_t* out = pixels + r * stride;
        for (std::uint32_t x = 0; x < width; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return 0;
}

std::uint8_t* img_rgb24_to_dib(img_error_scope& scope, const std::uint8_t* image,
                               std::uint32_t width, std::uint32_t height)
{
    if (!image || !width || !height) {
        scope.code = IMG_ERR_ARGUMENT;
        return nullptr;
    }
    const std::uint64_t stride = ((std::uint64_t(width) * 24 + 31) >> 5) * 4;
    std::size_t pixels_bytes;
    if (!img_image_bytes(std::int64_t(stride), height, 1, pixels_bytes)) {
        scope.code = IMG_ERR_MEMORY;
        return nullptr;
    }
    img_global_buffer block;
    if (!block.allocate(std::int64_t(40 + pixels_bytes))) {
        scope.code = IMG_ERR_MEMORY;
        return nullptr;
    }
    const std::int32_t code = img_rgb24_to_dib_rows(image, block.data() + 40, width, height, stride);
    if (code) {
        scope.code = code;
        return nullptr;
    }
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = LONG(width);
    header.biHeight = LONG(height);
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = DWORD(pixels_bytes);
    std::memcpy(block.data(), &header, 40);
    return block.release();
}

std::uint8_t* img_dib_from_hbitmap(img_error_scope& scope, HBITMAP bitmap, HPALETTE)
{
    BITMAP bm{};
    if (!bitmap || GetObject(bitmap, sizeof bm, &bm) != int(sizeof bm)) {
        scope.code = IMG_ERR_ARGUMENT;
        return nullptr;
    }
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = bm.bmWidth;
    header.biHeight = bm.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = WORD(bm.bmPlanes * bm.bmBitsPixel);
    // The bitmaps of the subset hand out 1-, 24- and 32-bit rows; other depths read as 24.
    if (header.biBitCount != 1 && header.biBitCount != 32)
        header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const int entries = header.biBitCount <= 8 ? 1 << header.biBitCount : 0;
    img_global_buffer block;
    if (!block.allocate(40 + 4 * entries)) {
        scope.code = IMG_ERR_MEMORY;
        return nullptr;
    }
    std::memcpy(block.data(), &header, 40);
    if (!GetDIBits(nullptr, bitmap, 0, UINT(bm.bmHeight), nullptr,
                   reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS)) {
        scope.code = IMG_ERR_DIB_BITS;
        return nullptr;
    }
    std::memcpy(&header, block.data(), 40);
    std::uint64_t image_size = header.biSizeImage;
    if (!image_size)
        image_size = ((std::uint64_t(header.biBitCount) * std::uint32_t(header.biWidth) + 31) & ~31ull) / 8 *
                     std::uint32_t(header.biHeight);
    if (image_size > std::uint64_t(img_global_buffer::max_bytes) || !block.grow(std::int64_t(40 + 4 * entries + image_size))) {
        scope.code = IMG_ERR_MEMORY;
        return nullptr;
    }
    if (!GetDIBits(nullptr, bitmap, 0, UINT(bm.bmHeight), block.data() + 40 + 4 * entries,
                   reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS)) {
        scope.code = IMG_ERR_DIB_BITS;
        return nullptr;
    }
    return block.release();
}

HBITMAP img_hbitmap_from_dib(img_error_scope& scope, const std::uint8_t* dib, HPALETTE, HDC dc,
                             bool dib_section)
{
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib, 40);
    const std::uint8_t* bits = dib + header.biSize + 4 * colour_table_count(header);
    if (header.biBitCount > 8 && header.biCompression == BI_BITFIELDS)
        bits = dib + header.biSize + 12;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib);
    if (dib_section) {
        void* section_bits = nullptr;
        HBITMAP section = CreateDIBSection(dc, info, DIB_RGB_COLORS, &section_bits, nullptr, 0);
        if (!section) {
            scope.code = IMG_ERR_CREATE_BITMAP;
            return nullptr;
        }
        if (!section_bits) {
            DeleteObject(section);
            scope.code = IMG_ERR_DIB_SECTION;
            return nullptr;
        }
        std::memcpy(section_bits, bits, section->dibHeader().biSizeImage);
        section->BitsChanged();
        return section;
    }
    HBITMAP bitmap = CreateDIBitmap(dc, &header, CBM_INIT, bits, info, DIB_RGB_COLORS);
    if (!bitmap)
        scope.code = IMG_ERR_CREATE_BITMAP;
    return bitmap;
}

int img_dib_to_rgb24(img_error_scope& scope, const std::uint8_t* dib, std::uint8_t* output)
{
    if (!dib || !output) {
        scope.code = IMG_ERR_ARGUMENT;
        return 0;
    }
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib, 40);
    const int table = colour_table_count(header);
    const std::uint8_t* colours = dib + header.biSize;
    const std::uint8_t* bits = colours + 4 * table;
    const std::uint32_t width = std::uint32_t(header.biWidth);
    const bool top_down = header.biHeight < 0;
    const std::uint32_t height = std::uint32_t(top_down ? -std::int64_t(header.biHeight) : header.biHeight);
    const std::uint64_t stride = ((std::uint64_t(width) * header.biBitCount + 31) / 32) * 4;
    for (std::uint32_t k = 0; k < height; ++k) {
        const std::uint32_t dib_row = top_down ? k : height - 1 - k;
        img_dib_row_to_rgb24(bits + dib_row * stride, output + std::size_t(k) * width * 3, width,
                             header.biBitCount, colours, table, nullptr);
    }
    return 1;
}

int img_hbitmap_to_rgb24(HBITMAP bitmap, HDC dc, HPALETTE palette, std::uint8_t* output)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        // Every device context of the subset reads device-independent bits; a missing one
        // is the device that lacks them.
        if (!dc) {
            scope.code = IMG_ERR_RASTER_CAPS;
            return 0;
        }
        if (!output) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        std::uint8_t* dib = img_dib_from_hbitmap(scope, bitmap, palette);
        if (!dib)
            return 0;
        const int result = img_dib_to_rgb24(scope, dib, output);
        img_free(dib);
        return result;
    });
}

HBITMAP img_rgb24_to_hbitmap(const std::uint8_t* image, std::uint32_t width,
                             std::uint32_t height, HPALETTE palette, HDC dc)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return nullptr;
    return img_run<HBITMAP>(state, [&](img_error_scope& scope) -> HBITMAP {
        if (!image) {
            scope.code = IMG_ERR_ARGUMENT;
            return nullptr;
        }
        std::uint8_t* dib = img_rgb24_to_dib(scope, image, width, height);
        if (!dib)
            return nullptr;
        HBITMAP bitmap = img_hbitmap_from_dib(scope, dib, palette, dc, state->use_dib_section != 0);
        img_free(dib);
        return bitmap;
    });
}

HPALETTE img_create_palette(const std::uint8_t* table, int count)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return nullptr;
    return img_run<HPALETTE>(state, [&](img_error_scope& scope) -> HPALETTE {
        if (!table || count <= 0) {
            scope.code = IMG_ERR_ARGUMENT;
            return nullptr;
        }
        count = std::min(count, 256);
        std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY), 0);
        auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
        lp->palVersion = 0x300;
        lp->palNumEntries = WORD(count);
        PALETTEENTRY* entries = lp->palPalEntry;
        for (int i = 0; i < count; ++i)
            entries[i] = PALETTEENTRY{table[4 * i + 2], table[4 * i + 1], table[4 * i], 0};
        return CreatePalette(lp);
    });
}
