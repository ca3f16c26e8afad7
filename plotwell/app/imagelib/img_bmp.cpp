#include "plotwell/app/imagelib/img_bmp.h"
#include "plotwell/app/imagelib/img_bitmaps.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct bmp_headers {
    std::uint8_t type[2];
    std::uint32_t file_size;
    std::uint32_t data_offset;
    std::uint32_t header_size;
    std::int32_t width;
    std::int32_t height;
    std::uint16_t planes;
    std::uint16_t bits;
    std::uint32_t compression;
    std::uint32_t image_size;
    std::uint32_t colours_used;
};

// 0 when both headers were read, else the code.
std::int32_t read_headers(img_stream& s, bmp_headers& h)
{
    std::uint8_t b[54];
    if (!s.read_exactly(b, 14))
        return IMG_ERR_READ;
    if (b[0] != 'B' || b[1] != 'M')
        return IMG_ERR_INVALID;
    if (!s.read_exactly(b + 14, 40))
        return IMG_ERR_READ;
    auto u32 = [&](int at) {
        return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
               std::uint32_t(b[at + 3]) << 24;
    };
    auto u16 = [&](int at) { return std::uint16_t(b[at] | b[at + 1] << 8); };
    h.type[0] = b[0];
    h.type[1] = b[1];
    h.file_size = u32(2);
    h.data_offset = u32(10);
    h.header_size = u32(14);
    h.width = std::int32_t(u32(18));
    h.height = std::int32_t(u32(22));
    h.planes = u16(26);
    h.bits = u16(28);
    h.compression = u32(30);
    h.image_size = u32(34);
    h.colours_used = u32(46);
    return 0;
}

std::int64_t colour_count(const bmp_headers& h)
{
    if (h.bits > 31)
        return 0;
    return h.colours_used ? std::int64_t(h.colours_used) : (std::int64_t(1) << h.bits);
}

std::int64_t abs_height(const bmp_headers& h)
{
    return h.height < 0 ? -std::int64_t(h.height) : std::int64_t(h.height);
}

// Reads `count` table entries into a 256-entry table (excess entries are read and dropped).
bool read_table(img_stream& s, std::int64_t count, std::uint8_t* table)
{
    const std::int64_t kept = std::min<std::int64_t>(count, 256);
    if (!s.read_exactly(table, kept * 4))
        return false;
    return s.skip((count - kept) * 4);
}

// Moves to the pixel data: forward by reading, backward by seeking. False when the data
// cannot be reached.
bool reach_data(img_stream& s, const bmp_headers& h, bool allow_back)
{
    const std::int64_t here = s.tell();
    const std::int64_t offset = h.data_offset;
    if (offset > here)
        return s.skip(offset - here);
    if (offset < here)
        return allow_back && s.seek(offset, SEEK_SET);
    return true;
}

// Run-length data (RLE8 with 8 bits, RLE4 with 4 bits) decoded at depth 8 or 24.
std::uint8_t* read_rle(img_thread_state* state, img_stream& s, std::int32_t& status, int depth,
                       std::uint8_t* palette, std::int32_t* out_width, std::int32_t* out_height)
{
    bmp_headers h{};
    if (!s.rewind() || (status = read_headers(s, h)) != 0) {
        if (!status)
            status = IMG_ERR_READ;
        return nullptr;
    }
    std::uint8_t table[1024] = {};
    const std::int64_t count = colour_count(h);
    if (!read_table(s, count, table)) {
        status = IMG_ERR_READ;
        return nullptr;
    }
    const int table_count = int(std::min<std::int64_t>(count, 256));
    if (depth == 8) {
        std::memcpy(palette, table, std::size_t(table_count) * 4);
        for (int i = table_count; i < 256; ++i)
            std::memcpy(palette + 4 * i, palette, 4);
    }
    if (!reach_data(s, h, false)) {
        status = IMG_ERR_INVALID;
        return nullptr;
    }
    // Bottom-up only: run-length files cannot be stored top-down.
    if (h.width <= 0 || h.height <= 0) {
        status = IMG_ERR_INVALID;
        return nullptr;
    }
    const std::int64_t width = h.width, height = h.height;
    const int n = depth == 24 ? 3 : 1;
    std::size_t bytes;
    if (!img_image_bytes(width, height, n, bytes)) {
        status = IMG_ERR_INVALID;
        return nullptr;
    }
    // A run or a skip of two to four bytes covers at most 255 x 255 pixels (and the end mark
    // leaves the rest blank): a picture of more than 16384 pixels per stored byte is refused.
    if (!img_stream_can_hold(s, width * height, 16384)) {
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
    std::uint8_t* out = image.data();
    if (depth == 24) {
        const std::uint8_t fill[3] = {table[2], table[1], table[0]};
        for (std::size_t i = 0; i < bytes; i += 3)
            std::memcpy(out + i, fill, 3);
    }
    const int bits = h.bits;
    std::int64_t x = 0, y = height - 1;
    std::int64_t last_reported = -1;
    std::int64_t read_count = 0;
    int st = 0, run = 0;
    bool pad_due = false;
    std::uint8_t run_buffer[256];
    std::uint8_t row_pixels[256 * 3];

    // Emits `n` pixels of the packed data (8 bits: bytes; 4 bits: nibbles, high first).
    auto emit_pixels = [&](const std::uint8_t* data, std::int64_t pixels) {
        if (y < 0 || y >= height || x >= width) {
            x += pixels;
            return;
        }
        const std::int64_t stored = std::min(pixels, width - x);
        std::uint8_t indexes[256];
        img_dib_row_to_index8(data, indexes, std::uint32_t(stored), bits);
        std::uint8_t* row = out + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * n;
        if (depth == 8) {
            std::memcpy(row, indexes, std::size_t(stored));
        } else {
            img_dib_row_to_rgb24(indexes, row_pixels, std::uint32_t(stored), 8, table, table_count,
                                 nullptr);
            std::memcpy(row, row_pixels, std::size_t(stored) * 3);
        }
        x += pixels;
    };

    for (;;) {
        std::uint8_t byte;
        ++read_count;
        if (!s.read1(byte)) {
            status = IMG_ERR_READ;
            return nullptr;
        }
        if (y != last_reported) {
            last_reported = y;
            if (!img_progress(state, height - y - 1, height)) {
                status = IMG_ERR_CANCELLED;
                return nullptr;
            }
        }
        // A zero at an odd count is the escape byte of a two-byte code; at an even count it is
        // the pad after an absolute run.
        if (st == 0 && byte == 0) {
            if (read_count % 2 == 1)
                st = 3;
            continue;
        }
        switch (st) {
        case 0:
            run = byte;
            st = 1;
            break;
        case 1: {
            // 8 bits: run copies of the byte; 4 bits: the two nibbles alternate.
            std::memset(run_buffer, byte, sizeof run_buffer);
            emit_pixels(run_buffer, run);
            st = 0;
            break;
        }
        case 2:
            st = 3;
            break;
        case 3:
            if (byte == 0) {
                --y;
                x = 0;
                st = 0;
            } else if (byte == 1) {
                return image.release();
            } else if (byte == 2) {
                st = 5;
            } else {
                run = byte;
                pad_due = bits == 8 ? (byte % 2 == 1) : (byte % 4 == 1 || byte % 4 == 2);
                st = 4;
            }
            break;
        case 4:
            if (bits == 8) {
                emit_pixels(&byte, 1);
                if (--run <= 0) {
                    st = 0;
                    if (pad_due) {
                        std::uint8_t pad;
                        ++read_count;
                        if (!s.read1(pad)) {
                            status = IMG_ERR_READ;
                            return nullptr;
                        }
                    }
                }
            } else {
                emit_pixels(&byte, run >= 2 ? 2 : 1);
                run -= 2;
                if (run <= 0)
                    st = 0;
            }
            break;
        case 5:
            x += byte;
            st = 6;
            break;
        case 6:
            y -= byte;
            st = 0;
            break;
        }
    }
}

std::uint8_t* read_bmp(img_thread_state* state, img_stream& s, std::int32_t& status, int depth,
                       std::uint8_t* palette, std::int32_t* out_width, std::int32_t* out_height)
{
    bmp_headers h{};
    if ((status = read_headers(s, h)) != 0)
        return nullptr;
    if (h.width <= 0 || h.height == 0) {
        status = IMG_ERR_INVALID;
        return nullptr;
    }
    const bool rle = (h.compression == 1 && h.bits == 8) || (h.compression == 2 && h.bits == 4);
    if (depth != 24 && (h.bits > 8 || h.bits > depth)) {
        status = IMG_ERR_DEPTH;
        return nullptr;
    }
    if (rle) {
        if (depth == 1) {
            status = IMG_ERR_DEPTH;
            return nullptr;
        }
        return read_rle(state, s, status, depth, palette, out_width, out_height);
    }
    if (h.compression == 1 || h.compression == 2 || h.compression > 3 ||
        (depth != 24 && h.compression != 0)) {
        status = IMG_ERR_INVALID;
        return nullptr;
    }
    std::uint32_t masks[3] = {};
    const bool with_masks = h.compression == 3;
    if (with_masks) {
        if (!s.read4(masks[0]) || !s.read4(masks[1]) || !s.read4(masks[2])) {
            status = IMG_ERR_READ;
            return nullptr;
        }
    }
    const int bits = h.bits;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        status = IMG_ERR_INVALID;
        return nullptr;
    }
    const std::int64_t count = colour_count(h);
    std::uint8_t table[1024] = {};
    int table_count = 0;
    // 16-bit pixels carry their colours; a table there is skipped with the rest of the gap.
    if (bits <= 8) {
        if (!read_table(s, depth == 24 ? std::min<std::int64_t>(count, 256) : count, table)) {
            status = IMG_ERR_READ;
            return nullptr;
        }
        table_count = int(std::min<std::int64_t>(count, 256));
    }
    if (depth != 24) {
        std::memcpy(palette, table, std::size_t(table_count) * 4);
        for (int i = table_count; i < 256; ++i)
            std::memcpy(palette + 4 * i, palette, 4);
    }
    if (!reach_data(s, h, depth == 24)) {
        status = IMG_ERR_INVALID;
        return nullptr;
    }
    const std::int64_t width = h.width, height = abs_height(h);
    const int n = depth == 24 ? 3 : 1;
    const std::int64_t out_row = depth == 1 ? (width + 7) / 8 : width * n;
    std::size_t bytes;
    if (!img_image_bytes(out_row, height, 1, bytes) || !img_image_bytes(width, height, 1, bytes) ||
        !img_image_bytes(out_row, height, 1, bytes)) {
        status = IMG_ERR_INVALID;
        return nullptr;
    }
    const std::int64_t stride = ((width * bits + 31) / 32) * 4;
    if (!img_stream_can_hold(s, stride * height, 1)) {
        status = IMG_ERR_READ;
        return nullptr;
    }
    img_global_buffer image;
    if (!image.allocate(std::int64_t(bytes))) {
        status = IMG_ERR_MEMORY;
        return nullptr;
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(stride));
    *out_width = std::int32_t(width);
    *out_height = std::int32_t(height);
    for (std::int64_t i = 0; i < height; ++i) {
        const std::int64_t target = h.height > 0 ? height - 1 - i : i;
        if (!img_progress(state, height - 1 - target, height)) {
            status = IMG_ERR_CANCELLED;
            return nullptr;
        }
        if (!s.read_exactly(row.data(), stride)) {
            status = IMG_ERR_READ;
            return nullptr;
        }
        std::uint8_t* out = image.data() + std::size_t(target) * std::size_t(out_row);
        if (depth == 24)
            img_dib_row_to_rgb24(row.data(), out, std::uint32_t(width), bits, table, table_count,
                                 with_masks ? masks : nullptr);
        else if (depth == 1)
            std::memcpy(out, row.data(), std::size_t(out_row));
        else
            img_dib_row_to_index8(row.data(), out, std::uint32_t(width), bits);
    }
    return image.release();
}

std::int64_t write_plain(img_thread_state* state, img_stream& s, std::int32_t& status,
                         const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                         int bits, int colours, const std::uint8_t* palette,
                         const std::int32_t* resolution)
{
    if (bits == 16 || bits == 24)
        colours = 0;
    const std::uint64_t stride = ((std::uint64_t(width) * bits + 31) >> 5) * 4;
    const std::uint64_t image_size = stride * height;
    const std::uint64_t offset = 54 + 4 * std::uint64_t(colours);
    if (image_size + offset > 0xFFFFFFFFull) {
        status = IMG_ERR_ARGUMENT;
        return 0;
    }
    bool ok = s.write_n("BM", 2) && s.write4(std::uint32_t(offset + image_size)) && s.write2(0) &&
              s.write2(0) && s.write4(std::uint32_t(offset));
    ok = ok && s.write4(40) && s.write4(width) && s.write4(height) && s.write2(1) &&
         s.write2(std::uint16_t(bits)) && s.write4(0) && s.write4(std::uint32_t(image_size)) &&
         s.write4(resolution ? std::uint32_t(resolution[0]) : 0) &&
         s.write4(resolution ? std::uint32_t(resolution[1]) : 0) && s.write4(std::uint32_t(colours)) &&
         s.write4(std::uint32_t(colours));
    for (int i = 0; ok && i < colours; ++i) {
        const std::uint8_t entry[4] = {palette[4 * i], palette[4 * i + 1], palette[4 * i + 2], 0};
        ok = s.write_n(entry, 4);
    }
    if (!ok) {
        status = IMG_ERR_WRITE;
        return s.size();
    }
    const std::uint64_t source_row = bits == 1   ? (std::uint64_t(width) + 7) / 8
                                     : bits == 4 ? (std::uint64_t(width) + 1) / 2
                                                 : std::uint64_t(width) * (bits / 8);
    std::vector<std::uint8_t> row(std::size_t(stride), 0);
    for (std::uint32_t i = 0; i < height; ++i) {
        const std::uint8_t* in = pixels + std::size_t(height - 1 - i) * source_row;
        std::memcpy(row.data(), in, std::size_t(source_row));
        if (bits == 24)
            exchange_red_blue24(row.data(), width, 1);
        if (!s.write_n(row.data(), std::int64_t(stride))) {
            status = IMG_ERR_WRITE;
            break;
        }
        if (!img_progress(state, i, height)) {
            status = IMG_ERR_CANCELLED;
            break;
        }
    }
    return s.size();
}

std::int64_t write_rle8(img_stream& s, std::int32_t& status, const std::uint8_t* pixels,
                        std::uint32_t width, std::uint32_t height, int colours,
                        const std::uint8_t* palette, const std::int32_t* resolution)
{
    const std::int64_t start = s.tell();
    const std::uint32_t offset = 54 + 4 * std::uint32_t(colours);
    bool ok = s.write_n("BM", 2) && s.write4(0) && s.write2(0) && s.write2(0) && s.write4(offset);
    ok = ok && s.write4(40) && s.write4(width) && s.write4(height) && s.write2(1) && s.write2(8) &&
         s.write4(1) && s.write4(0xFFFFFFFFu) &&
         s.write4(resolution ? std::uint32_t(resolution[0]) : 0) &&
         s.write4(resolution ? std::uint32_t(resolution[1]) : 0) && s.write4(std::uint32_t(colours)) &&
         s.write4(std::uint32_t(colours));
    for (int i = 0; ok && i < colours; ++i) {
        const std::uint8_t entry[4] = {palette[4 * i], palette[4 * i + 1], palette[4 * i + 2], 0};
        ok = s.write_n(entry, 4);
    }
    if (!ok) {
        status = IMG_ERR_WRITE;
        return 0;
    }
    // Rows are encoded with an even pixel count; an odd row repeats its last pixel, so the
    // writer never reads past the source row.
    const std::uint32_t padded = width + width % 2;
    std::vector<std::uint8_t> row(padded);
    std::vector<std::uint8_t> encoded;
    encoded.reserve(std::size_t(padded) * 2 + 8);
    std::uint64_t data_bytes = 0;
    for (std::uint32_t i = 0; i < height; ++i) {
        const std::uint8_t* in = pixels + std::size_t(height - 1 - i) * width;
        std::memcpy(row.data(), in, width);
        if (padded != width)
            row[width] = in[width - 1];
        encoded.clear();
        std::uint32_t x = 0;
        while (x < padded) {
            std::uint32_t n = 1;
            if (x + 1 < padded - 1) {
                while (x + n < padded - 1) {
                    if (row[x + n] == row[x + n - 1]) {
                        --n;
                        break;
                    }
                    if (n == 255) {
                        n = 254;
                        break;
                    }
                    ++n;
                }
            }
            if (n > 2) {
                encoded.push_back(0);
                encoded.push_back(std::uint8_t(n));
                encoded.insert(encoded.end(), row.begin() + x, row.begin() + x + n);
                if (n % 2)
                    encoded.push_back(0);
                x += n;
            } else {
                const std::uint8_t p = row[x];
                std::uint32_t count = 0;
                while (x + count < padded && count < 255 && row[x + count] == p)
                    ++count;
                encoded.push_back(std::uint8_t(count));
                encoded.push_back(p);
                x += count;
            }
        }
        encoded.push_back(0);
        encoded.push_back(0);
        if (i + 1 == height) {
            encoded.push_back(0);
            encoded.push_back(1);
        }
        if (!s.write_n(encoded.data(), std::int64_t(encoded.size()))) {
            status = IMG_ERR_WRITE;
            return 0;
        }
        data_bytes += encoded.size();
    }
    const std::uint64_t file_size = data_bytes + 4 * std::uint64_t(colours) + 54;
    const std::int64_t end = s.tell();
    if (file_size > 0xFFFFFFFFull || !s.seek(start + 2, SEEK_SET) ||
        !s.write4(std::uint32_t(file_size)) || !s.seek(start + 34, SEEK_SET) ||
        !s.write4(std::uint32_t(data_bytes)) || !s.seek(end, SEEK_SET)) {
        status = IMG_ERR_WRITE;
        return 0;
    }
    return s.size();
}

} // namespace

std::uint8_t* img_read_bmp(img_input handle, std::int32_t* width, std::int32_t* height,
                           int depth, std::uint8_t* palette)
{
    return img_reader_entry(handle, width, height, [&](img_thread_state* state, img_stream& s,
                                        std::int32_t& status) -> std::uint8_t* {
        std::int32_t w = 0, h = 0;
        if (depth != 1 && depth != 8 && depth != 24) {
            status = IMG_ERR_ARGUMENT;
            return nullptr;
        }
        if (depth != 24 && !palette) {
            status = IMG_ERR_ARGUMENT;
            return nullptr;
        }
        std::uint8_t* image = read_bmp(state, s, status, depth, palette, &w, &h);
        if (width)
            *width = w;
        if (height)
            *height = h;
        return image;
    });
}

std::int64_t img_write_bmp(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                           std::uint32_t height, int bits, int colours,
                           const std::uint8_t* palette, int rle, const std::int32_t* resolution)
{
    return img_writer_entry(handle, [&](img_thread_state* state, img_stream& s,
                                        std::int32_t& status) -> std::int64_t {
        colours = std::clamp(colours, 0, 256);
        if (!pixels || !width || !height || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
            status = IMG_ERR_ARGUMENT;
            return 0;
        }
        if (rle) {
            if (!palette) {
                status = IMG_ERR_ARGUMENT;
                return 0;
            }
            return write_rle8(s, status, pixels, width, height, colours, palette, resolution);
        }
        if ((bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24) ||
            (bits <= 8 && !palette)) {
            status = IMG_ERR_ARGUMENT;
            return 0;
        }
        return write_plain(state, s, status, pixels, width, height, bits, colours, palette,
                           resolution);
    });
}
