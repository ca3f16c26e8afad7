#include "plotwell/app/imagelib/img_psd.h"
#include "plotwell/app/imagelib/img_colour.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

bool remaining_at_least(img_stream& s, std::int64_t bytes)
{
    return bytes >= 0 && bytes <= s.size() - s.tell();
}

// Decodes one PackBits row of `input` into `row` (cut at the row's length). False when a run
// needs more input than the row's count.
bool unpack_bits(const std::uint8_t* input, std::size_t count, std::uint8_t* row, std::size_t length)
{
    std::size_t in = 0, out = 0;
    while (in < count) {
        const int n = std::int8_t(input[in++]);
        if (n >= 0) {
            const std::size_t literal = std::size_t(n) + 1;
            if (in + literal > count)
                return false;
            const std::size_t kept = std::min(literal, length - out);
            std::memcpy(row + out, input + in, kept);
            out += kept;
            in += literal;
        } else if (n != -128) {
            if (in >= count)
                return false;
            const std::size_t repeat = std::size_t(1 - n);
            const std::size_t kept = std::min(repeat, length - out);
            std::memset(row + out, input[in++], kept);
            out += kept;
        }
    }
    return true;
}

struct psd_reader {
    img_thread_state* state;
    img_stream& s;
    std::int32_t& status;
    std::uint32_t width = 0, height = 0;
    int channels = 0;
    bool packbits = false;
    std::vector<std::uint16_t> counts; // row byte counts, channel by channel

    // Reads channels 0 .. used - 1 into `out` with the given stride; rows of `row_bytes`.
    bool read_channels(int used, std::uint8_t* out, int stride, std::size_t row_bytes,
                       bool bits_to_indexes)
    {
        std::vector<std::uint8_t> row(row_bytes);
        std::vector<std::uint8_t> packed;
        if (packbits) {
            const std::int64_t total = std::int64_t(channels) * height;
            if (!remaining_at_least(s, total * 2)) {
                status = IMG_ERR_READ;
                return false;
            }
            counts.resize(std::size_t(total));
            for (auto& c : counts)
                if (!s.read2_be(c)) {
                    status = IMG_ERR_READ;
                    return false;
                }
            packed.resize(*std::max_element(counts.begin(), counts.end()) + std::size_t(1));
        }
        const std::int64_t progress_total = std::int64_t(used) * height;
        for (int c = 0; c < used; ++c) {
            for (std::uint32_t r = 0; r < height; ++r) {
                if (packbits) {
                    const std::size_t count = counts[std::size_t(c) * height + r];
                    std::fill(row.begin(), row.end(), 0);
                    if (!s.read_exactly(packed.data(), std::int64_t(count)) ||
                        !unpack_bits(packed.data(), count, row.data(), row_bytes)) {
                        status = IMG_ERR_READ;
                        return false;
                    }
                } else if (!s.read_exactly(row.data(), std::int64_t(row_bytes))) {
                    status = IMG_ERR_READ;
                    return false;
                }
                std::uint8_t* target = out + std::size_t(r) * width * stride + c;
                for (std::uint32_t x = 0; x < width; ++x)
                    target[std::size_t(x) * stride] =
                        bits_to_indexes ? (row[x / 8] >> (7 - x % 8)) & 1 : row[x];
                const bool more = used == 1 ? img_progress(state, r, height)
                                            : img_progress(state, std::int64_t(c) * height + r, progress_total);
                if (!more) {
                    status = IMG_ERR_CANCELLED;
                    return false;
                }
            }
        }
        return true;
    }
};

std::uint8_t* read_psd(img_thread_state* state, img_stream& s, std::int32_t& status, int depth,
                       std::uint8_t* palette, std::int32_t* out_width, std::int32_t* out_height)
{
    std::uint8_t signature[4];
    std::uint16_t version, channels, bits, mode;
    std::uint32_t height, width;
    if (!s.read_exactly(signature, 4) || std::memcmp(signature, "8BPS", 4) != 0 ||
        !s.read2_be(version) || version != 1) {
        status = IMG_ERR_NOT_PSD;
        return nullptr;
    }
    if (!s.skip(6) || !s.read2_be(channels) || !s.read4_be(height) || !s.read4_be(width) ||
        !s.read2_be(bits) || !s.read2_be(mode)) {
        status = IMG_ERR_READ;
        return nullptr;
    }
    if ((bits != 1 && bits != 8) || (bits == 1) != (mode == 0) || width == 0 || height == 0 ||
        channels == 0) {
        status = IMG_ERR_PSD_MODE;
        return nullptr;
    }
    *out_width = std::int32_t(width);
    *out_height = std::int32_t(height);

    std::uint8_t own_palette[1024];
    std::uint8_t* pal = depth == 8 ? palette : own_palette;
    std::uint32_t length;
    if (!s.read4_be(length) || !remaining_at_least(s, length)) {
        status = IMG_ERR_READ;
        return nullptr;
    }
    if (mode == 0 || mode == 1 || mode == 2 || mode == 8) {
        for (int i = 0; i < 256; ++i) {
            pal[4 * i] = pal[4 * i + 1] = pal[4 * i + 2] = std::uint8_t(i);
            pal[4 * i + 3] = 0;
        }
    }
    if ((mode == 0 || mode == 1 || mode == 2) && length >= 768) {
        std::uint8_t rgb[768];
        if (!s.read_exactly(rgb, 768)) {
            status = IMG_ERR_READ;
            return nullptr;
        }
        for (int i = 0; i < 256; ++i) {
            pal[4 * i + 2] = rgb[i];
            pal[4 * i + 1] = rgb[256 + i];
            pal[4 * i] = rgb[512 + i];
        }
        length -= 768;
    }
    if (!s.skip(length)) {
        status = IMG_ERR_READ;
        return nullptr;
    }

    // Image resources: every block starts with "8BIM"; they are walked to the section's end.
    if (!s.read4_be(length) || !remaining_at_least(s, length)) {
        status = IMG_ERR_READ;
        return nullptr;
    }
    std::vector<std::uint8_t> resources(length);
    if (!s.read_exactly(resources.data(), length)) {
        status = IMG_ERR_READ;
        return nullptr;
    }
    for (std::size_t at = 0; at < resources.size();) {
        if (resources.size() - at < 7 || std::memcmp(&resources[at], "8BIM", 4) != 0) {
            status = IMG_ERR_READ;
            return nullptr;
        }
        const std::size_t name = resources[at + 6];
        std::size_t next = at + 6 + ((name + 2) & ~std::size_t(1));
        if (next + 4 > resources.size())
            break;
        const std::int32_t size = std::int32_t(std::uint32_t(resources[next]) << 24 |
                                               std::uint32_t(resources[next + 1]) << 16 |
                                               std::uint32_t(resources[next + 2]) << 8 |
                                               resources[next + 3]);
        if (size < 0)
            break;
        at = next + 4 + ((std::size_t(size) + 1) & ~std::size_t(1));
    }
    if (!s.read4_be(length) || !remaining_at_least(s, length) || !s.skip(length)) {
        status = IMG_ERR_READ;
        return nullptr;
    }
    std::uint16_t compression;
    if (!s.read2_be(compression) || compression > 1) {
        status = IMG_ERR_READ;
        return nullptr;
    }
    if (depth == 8 && mode != 0 && mode != 1 && mode != 2 && mode != 8) {
        status = IMG_ERR_DEPTH;
        return nullptr;
    }
    if (depth == 24 && mode != 0 && mode != 1 && mode != 2 && mode != 3 && mode != 4 && mode != 8) {
        status = IMG_ERR_PSD_MODE;
        return nullptr;
    }
    if (mode == 0 && compression == 0) {
        status = IMG_ERR_PSD_MODE;
        return nullptr;
    }
    const int used = mode == 3 ? 3 : (mode == 4 ? 4 : 1);
    if (channels < used) {
        status = IMG_ERR_PSD_MODE;
        return nullptr;
    }
    const int work = used == 1 ? 1 : used;
    std::size_t bytes;
    if (!img_image_bytes(width, height, std::max(work, depth / 8), bytes)) {
        status = IMG_ERR_PSD_MODE;
        return nullptr;
    }
    // Two stored bytes of PackBits repeat a byte at most 128 times.
    const std::int64_t coded_row = mode == 0 ? (std::int64_t(width) + 7) / 8 : std::int64_t(width);
    if (!img_stream_can_hold(s, coded_row * height * used, compression == 1 ? 64 : 1)) {
        status = IMG_ERR_READ;
        return nullptr;
    }
    img_global_buffer image;
    std::size_t work_bytes;
    img_image_bytes(width, height, work, work_bytes);
    if (!image.allocate(std::int64_t(bytes))) {
        status = IMG_ERR_MEMORY;
        return nullptr;
    }
    psd_reader reader{state, s, status};
    reader.width = width;
    reader.height = height;
    reader.channels = channels;
    reader.packbits = compression == 1;
    const std::size_t row_bytes = mode == 0 ? (std::size_t(width) + 7) / 8 : width;
    const std::size_t pixels = std::size_t(width) * height;
    if (used == 1) {
        // Indexes first (at the start of the buffer), expanded in place from the end for 24 bits.
        std::vector<std::uint8_t> indexes(pixels);
        if (!reader.read_channels(1, indexes.data(), 1, row_bytes, mode == 0))
            return nullptr;
        if (mode == 0) {
            if (depth == 8) {
                std::memset(pal, 0, 1024);
                std::memset(pal, 255, 4);
            } else {
                for (std::size_t i = 0; i < pixels; ++i)
                    std::memset(image.data() + 3 * i, indexes[i] ? 0 : 255, 3);
                return image.release();
            }
        }
        if (depth == 8)
            std::memcpy(image.data(), indexes.data(), pixels);
        else
            img_index8_to_rgb24(indexes.data(), image.data(), width, height, pal);
        return image.release();
    }
    if (!reader.read_channels(used, image.data(), used, row_bytes, false))
        return nullptr;
    if (mode == 4) {
        std::uint8_t* p = image.data();
        for (std::size_t i = 0; i < pixels; ++i) {
            const unsigned c = p[4 * i], m = p[4 * i + 1], y = p[4 * i + 2], k = p[4 * i + 3];
            p[3 * i] = std::uint8_t(c * k / 255);
            p[3 * i + 1] = std::uint8_t(m * k / 255);
            p[3 * i + 2] = std::uint8_t(y * k / 255);
        }
        if (!image.grow(std::int64_t(pixels) * 3)) {
            status = IMG_ERR_MEMORY;
            return nullptr;
        }
    }
    return image.release();
}

} // namespace

std::uint8_t* img_read_psd(img_input handle, std::int32_t* width, std::int32_t* height,
                           int depth, std::uint8_t* palette)
{
    return img_reader_entry(handle, width, height, [&](img_thread_state* state, img_stream& s,
                                        std::int32_t& status) -> std::uint8_t* {
        if ((depth != 8 && depth != 24) || (depth == 8 && !palette)) {
            status = IMG_ERR_ARGUMENT;
            return nullptr;
        }
        std::int32_t w = 0, h = 0;
        std::uint8_t* image = read_psd(state, s, status, depth, palette, &w, &h);
        if (width)
            *width = w;
        if (height)
            *height = h;
        return image;
    });
}

std::int64_t img_write_psd(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                           std::uint32_t height, int depth, const std::uint8_t* palette)
{
    return img_writer_entry(handle, [&](img_thread_state* state, img_stream& s,
                                        std::int32_t& status) -> std::int64_t {
        if (!pixels || width == 0 || height == 0 || !(depth == 24 || (depth == 8 && palette))) {
            status = IMG_ERR_ARGUMENT;
            return 0;
        }
        const int channels = depth == 24 ? 3 : 1;
        bool ok = s.write_n("8BPS", 4) && s.write2_be(1) && s.write_n("\0\0\0\0\0\0", 6) &&
                  s.write2_be(std::uint16_t(channels)) && s.write4_be(height) && s.write4_be(width) &&
                  s.write2_be(8) && s.write2_be(depth == 24 ? 3 : 2);
        if (ok && depth == 8) {
            std::uint8_t map[768];
            for (int i = 0; i < 256; ++i) {
                map[i] = palette[4 * i + 2];
                map[256 + i] = palette[4 * i + 1];
                map[512 + i] = palette[4 * i];
            }
            ok = s.write4_be(768) && s.write_n(map, 768);
        } else if (ok) {
            ok = s.write4_be(0);
        }
        ok = ok && s.write4_be(0) && s.write4_be(0) && s.write2_be(0);
        if (!ok) {
            status = IMG_ERR_WRITE;
            return s.size();
        }
        std::vector<std::uint8_t> row(width);
        for (int c = 0; c < channels && !status; ++c) {
            for (std::uint32_t r = 0; r < height; ++r) {
                const std::uint8_t* in = pixels + std::size_t(r) * width * channels + c;
                for (std::uint32_t x = 0; x < width; ++x)
                    row[x] = in[std::size_t(x) * channels];
                if (!s.write_n(row.data(), width)) {
                    status = IMG_ERR_WRITE;
                    break;
                }
            }
            if (!status && !img_progress(state, depth == 24 ? std::int64_t(height) * c : height,
                                         depth == 24 ? 3 * std::int64_t(height) : height))
                status = IMG_ERR_CANCELLED;
        }
        return s.size();
    });
}
