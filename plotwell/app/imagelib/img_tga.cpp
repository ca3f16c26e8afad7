#include "plotwell/app/imagelib/img_tga.h"

#include <cstring>
#include <vector>

namespace {

struct tga_header {
    std::uint8_t id_length, map_type, image_type;
    std::uint16_t map_first, map_count;
    std::uint8_t map_bits;
    std::uint16_t width, height;
    std::uint8_t bits, descriptor;
};

bool read_header(img_stream& s, tga_header& h)
{
    std::uint8_t b[18];
    if (!s.read_exactly(b, 18))
        return false;
    h.id_length = b[0];
    h.map_type = b[1];
    h.image_type = b[2];
    h.map_first = std::uint16_t(b[3] | b[4] << 8);
    h.map_count = std::uint16_t(b[5] | b[6] << 8);
    h.map_bits = b[7];
    h.width = std::uint16_t(b[12] | b[13] << 8);
    h.height = std::uint16_t(b[14] | b[15] << 8);
    h.bits = b[16];
    h.descriptor = b[17];
    return true;
}

struct rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

// Reads one value of `bits` bits; false on a short read or a size the format does not have.
bool read_value(img_stream& s, int bits, std::uint32_t& raw, rgba& colour, std::int32_t& status)
{
    std::uint8_t b[4];
    switch (bits) {
    case 8:
        if (!s.read_exactly(b, 1))
            break;
        raw = b[0];
        colour = {b[0], b[0], b[0], 255};
        return true;
    case 15:
    case 16: {
        if (!s.read_exactly(b, 2))
            break;
        const unsigned v = b[0] | b[1] << 8;
        raw = v;
        colour = {std::uint8_t(((v >> 10) & 31) * 8), std::uint8_t(((v >> 5) & 31) * 8),
                  std::uint8_t((v & 31) * 8), 255};
        return true;
    }
    case 24:
        if (!s.read_exactly(b, 3))
            break;
        raw = b[0] | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16;
        colour = {b[2], b[1], b[0], 0};
        return true;
    case 32:
        if (!s.read_exactly(b, 4))
            break;
        raw = b[0] | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
        colour = {b[2], b[1], b[0], b[3]};
        return true;
    default:
        status = IMG_ERR_TGA_COLOUR_MAP;
        return false;
    }
    status = IMG_ERR_READ;
    return false;
}

// Pixel source with the run-length packet state kept across pixels and rows.
struct pixel_reader {
    img_stream& s;
    bool rle;
    int bits;
    int remaining = 0;
    bool repeat = false;
    std::uint32_t raw = 0;
    rgba colour;

    bool next(std::int32_t& status)
    {
        if (!rle)
            return read_value(s, bits, raw, colour, status);
        if (remaining == 0) {
            std::uint8_t header;
            if (!s.read1(header)) {
                status = IMG_ERR_READ;
                return false;
            }
            repeat = header >= 128;
            remaining = (header & 127) + 1;
            if (repeat && !read_value(s, bits, raw, colour, status))
                return false;
        }
        --remaining;
        if (repeat)
            return true;
        return read_value(s, bits, raw, colour, status);
    }
};

std::uint8_t* read_tga(img_thread_state* state, img_stream& s, std::int32_t& status, int depth,
                       std::uint8_t* palette, std::int32_t* out_width, std::int32_t* out_height)
{
    tga_header h{};
    if (!read_header(s, h)) {
        status = IMG_ERR_READ;
        return nullptr;
    }
    const int type = h.image_type;
    if (depth == 8) {
        if (h.bits > 8 || (type != 1 && type != 3 && type != 9)) {
            status = IMG_ERR_DEPTH;
            return nullptr;
        }
    } else if (h.bits < 8 || h.bits > 32 ||
               (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11)) {
        status = IMG_ERR_TGA_COLOUR_MAP;
        return nullptr;
    }
    if (!s.skip(h.id_length)) {
        status = IMG_ERR_READ;
        return nullptr;
    }
    // The colour map fills table indexes first .. first + count - 1; entries past 255 are read
    // and dropped.
    rgba table[256];
    bool have_map = false;
    if (h.map_type) {
        const int entry_bits = h.map_bits;
        if (entry_bits != 8 && entry_bits != 15 && entry_bits != 16 && entry_bits != 24 &&
            entry_bits != 32) {
            status = IMG_ERR_TGA_COLOUR_MAP;
            return nullptr;
        }
        for (int i = 0; i < h.map_count; ++i) {
            std::uint32_t raw;
            rgba c;
            if (!read_value(s, entry_bits, raw, c, status))
                return nullptr;
            const int index = h.map_first + i;
            if (index < 256)
                table[index] = c;
        }
        have_map = true;
    }
    const bool mapped = type == 1 || type == 9 || type == 11;
    if (depth == 8) {
        if (have_map) {
            std::memset(palette, 0, 1024);
            for (int i = 0; i < 256; ++i) {
                palette[4 * i] = table[i].b;
                palette[4 * i + 1] = table[i].g;
                palette[4 * i + 2] = table[i].r;
                palette[4 * i + 3] = table[i].a;
            }
        } else if (type == 3) {
            for (int i = 0; i < 256; ++i) {
                palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = std::uint8_t(i);
                palette[4 * i + 3] = 255;
            }
        } else {
            status = IMG_ERR_TGA_COLOUR_MAP;
            return nullptr;
        }
    }
    if (h.width == 0 || h.height == 0) {
        status = IMG_ERR_TGA_COLOUR_MAP;
        return nullptr;
    }
    const int n = depth / 8;
    const std::int64_t width = h.width, height = h.height;
    std::size_t bytes;
    if (!img_image_bytes(width, height, n, bytes)) {
        status = IMG_ERR_TGA_COLOUR_MAP;
        return nullptr;
    }
    // A run packet of one byte and one pixel stands for at most 128 pixels.
    if (!img_stream_can_hold(s, width * height * ((h.bits + 7) / 8), type >= 9 ? 128 : 1)) {
        status = IMG_ERR_READ;
        return nullptr;
    }
    img_global_buffer image;
    if (!image.allocate(std::int64_t(bytes))) {
        status = IMG_ERR_MEMORY;
        return nullptr;
    }
    *out_width = std::int32_t(width);
    *out_height = std::int32_t(height);
    pixel_reader reader{s, type >= 9, h.bits};
    const bool top_first = (h.descriptor & 0x20) != 0;
    for (std::int64_t i = 0; i < height; ++i) {
        const std::int64_t target = top_first ? i : height - 1 - i;
        std::uint8_t* out = image.data() + std::size_t(target) * std::size_t(width) * n;
        for (std::int64_t x = 0; x < width; ++x) {
            if (!reader.next(status))
                return nullptr;
            if (depth == 8) {
                out[x] = std::uint8_t(reader.raw);
                continue;
            }
            rgba c = reader.colour;
            if (mapped && have_map)
                c = reader.raw < 256 ? table[reader.raw] : rgba{};
            std::uint8_t* p = out + x * n;
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            if (n == 4)
                p[3] = c.a;
        }
        if (!img_progress(state, i, height)) {
            status = IMG_ERR_CANCELLED;
            return nullptr;
        }
    }
    return image.release();
}

} // namespace

std::uint8_t* img_read_tga(img_input handle, std::int32_t* width, std::int32_t* height,
                           int depth, std::uint8_t* palette)
{
    return img_reader_entry(handle, width, height, [&](img_thread_state* state, img_stream& s,
                                        std::int32_t& status) -> std::uint8_t* {
        if ((depth != 8 && depth != 24 && depth != 32) || (depth == 8 && !palette)) {
            status = IMG_ERR_ARGUMENT;
            return nullptr;
        }
        std::int32_t w = 0, h = 0;
        std::uint8_t* image = read_tga(state, s, status, depth, palette, &w, &h);
        if (width)
            *width = w;
        if (height)
            *height = h;
        return image;
    });
}

std::int64_t img_write_tga(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                           std::uint32_t height, int depth, const std::uint8_t* palette)
{
    return img_writer_entry(handle, [&](img_thread_state* state, img_stream& s,
                                        std::int32_t& status) -> std::int64_t {
        if (!pixels || width == 0 || height == 0 || width > 65535 || height > 65535 ||
            !(depth == 24 || (depth == 8 && palette))) {
            status = IMG_ERR_ARGUMENT;
            return 0;
        }
        const bool mapped = depth == 8;
        std::uint8_t h[18] = {};
        h[1] = mapped ? 1 : 0;
        h[2] = mapped ? 1 : 2;
        if (mapped) {
            h[5] = 0;
            h[6] = 1; // 256 entries
            h[7] = 24;
        }
        h[12] = std::uint8_t(width);
        h[13] = std::uint8_t(width >> 8);
        h[14] = std::uint8_t(height);
        h[15] = std::uint8_t(height >> 8);
        h[16] = std::uint8_t(depth);
        h[17] = mapped ? 40 : 32;
        bool ok = s.write_n(h, 18);
        if (ok && mapped) {
            std::uint8_t map[768];
            for (int i = 0; i < 256; ++i) {
                map[3 * i] = palette[4 * i];
                map[3 * i + 1] = palette[4 * i + 1];
                map[3 * i + 2] = palette[4 * i + 2];
            }
            ok = s.write_n(map, 768);
        }
        if (!ok) {
            status = IMG_ERR_WRITE;
            return 0;
        }
        const int n = depth / 8;
        std::vector<std::uint8_t> row(std::size_t(width) * n);
        for (std::uint32_t r = 0; r < height; ++r) {
            std::memcpy(row.data(), pixels + std::size_t(r) * width * n, row.size());
            if (n == 3)
                for (std::uint32_t x = 0; x < width; ++x)
                    std::swap(row[3 * x], row[3 * x + 2]);
            if (!s.write_n(row.data(), std::int64_t(row.size()))) {
                status = IMG_ERR_WRITE;
                break;
            }
            if (!img_progress(state, r, height)) {
                status = IMG_ERR_CANCELLED;
                break;
            }
        }
        return s.size();
    });
}
