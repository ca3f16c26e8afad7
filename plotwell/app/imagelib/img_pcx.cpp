#include "plotwell/app/imagelib/img_pcx.h"

#include <algorithm>
#include <cstring>

bool img_pcx_row_reader::open(img_input handle, std::int32_t* width, std::int32_t* height,
                              std::uint8_t* palette)
{
    handle_ = handle;
    img_stream s(handle);
    depth8_ = palette != nullptr;
    std::uint8_t h[128];
    if (!s.rewind() || !s.read_exactly(h, 128) || h[0] != 10 ||
        (h[1] != 0 && h[1] != 2 && h[1] != 3 && h[1] != 5)) {
        status_ = IMG_ERR_PCX_HEADER;
        return false;
    }
    auto u16 = [&](int at) { return unsigned(h[at] | h[at + 1] << 8); };
    width_ = std::uint16_t(u16(8) - u16(4) + 1);
    height_ = std::uint16_t(u16(10) - u16(6) + 1);
    bits_ = h[3];
    planes_ = h[65];
    bytes_per_line_ = int(u16(66));
    if (width_ == 0 || height_ == 0) {
        status_ = IMG_ERR_PCX_HEADER;
        return false;
    }
    const int total = bits_ * planes_;
    if (depth8_ && total > 8) {
        status_ = IMG_ERR_DEPTH;
        return false;
    }
    // Pixel layouts that can be decoded: 1, 2, 4 or 8 bits in any planes, or three 8-bit planes.
    const bool decodable = (total == 24 && bits_ == 8 && planes_ == 3) ||
                           ((total == 1 || total == 2 || total == 4 || total == 8) &&
                            (bits_ == 1 || bits_ == 2 || bits_ == 4 || bits_ == 8));
    if (!decodable) {
        status_ = IMG_ERR_DEPTH;
        return false;
    }
    if (bytes_per_line_ == 0) {
        status_ = IMG_ERR_READ;
        return false;
    }
    // Each plane line must hold the row's pixels.
    if (std::int64_t(bytes_per_line_) * 8 < width_ * bits_) {
        status_ = IMG_ERR_PCX_HEADER;
        return false;
    }
    for (int i = 0; i < 256; ++i) {
        palette_[4 * i] = palette_[4 * i + 1] = palette_[4 * i + 2] = std::uint8_t(i);
        palette_[4 * i + 3] = 0;
    }
    if (h[1] == 5 && total == 8) {
        const std::int64_t size = s.size();
        std::uint8_t marker = 0;
        std::uint8_t rgb[768];
        if (size >= 128 + 769 && s.seek(size - 769, SEEK_SET) && s.read1(marker) && marker == 12 &&
            s.read_exactly(rgb, 768)) {
            for (int i = 0; i < 256; ++i) {
                palette_[4 * i] = rgb[3 * i + 2];
                palette_[4 * i + 1] = rgb[3 * i + 1];
                palette_[4 * i + 2] = rgb[3 * i];
            }
        }
    }
    if (total < 8) {
        int count;
        if (total == 1 && planes_ == 1) {
            std::memset(palette_, 0, 4);
            std::memset(palette_ + 4, 255, 3);
            count = 2;
        } else {
            count = 1 << total;
            for (int i = 0; i < count; ++i) {
                palette_[4 * i] = h[16 + 3 * i + 2];
                palette_[4 * i + 1] = h[16 + 3 * i + 1];
                palette_[4 * i + 2] = h[16 + 3 * i];
            }
        }
        for (int i = count; i < 256; ++i)
            std::memcpy(palette_ + 4 * i, palette_, 4);
    }
    if (depth8_) {
        std::memcpy(palette, palette_, sizeof palette_);
        for (int i = 0; i < 256; ++i)
            palette[4 * i + 3] = 0;
    }
    line_.assign(std::size_t(planes_) * std::size_t(bytes_per_line_), 0);
    if (!s.seek(128, SEEK_SET)) {
        status_ = IMG_ERR_MEMORY;
        return false;
    }
    if (width)
        *width = std::int32_t(width_);
    if (height)
        *height = std::int32_t(height_);
    return true;
}

int img_pcx_row_reader::read_row(std::uint8_t* row, std::int32_t& row_index)
{
    if (rows_done_ >= height_) {
        status_ = IMG_ERR_NO_MORE_ROWS;
        return 0;
    }
    img_stream s(handle_);
    // Runs never pass the end of the line; the rest of a run that crosses it is dropped.
    std::size_t filled = 0;
    while (filled < line_.size()) {
        std::uint8_t b;
        if (!s.read1(b)) {
            status_ = IMG_ERR_READ;
            return 0;
        }
        std::size_t count = 1;
        if ((b & 0xC0) == 0xC0) {
            count = b & 0x3F;
            if (!s.read1(b)) {
                status_ = IMG_ERR_READ;
                return 0;
            }
        }
        count = std::min(count, line_.size() - filled);
        std::memset(line_.data() + filled, b, count);
        filled += count;
    }
    const std::size_t bpl = std::size_t(bytes_per_line_);
    const int total = bits_ * planes_;
    if (total == 24) {
        for (std::int64_t j = 0; j < width_; ++j) {
            std::uint8_t* out = row + 3 * j;
            out[0] = line_[std::size_t(j)];
            out[1] = line_[bpl + std::size_t(j)];
            out[2] = line_[2 * bpl + std::size_t(j)];
        }
    } else {
        const unsigned plane_mask = (1u << bits_) - 1;
        for (std::int64_t j = 0; j < width_; ++j) {
            unsigned value = 0;
            const std::int64_t bit = j * bits_;
            for (int p = 0; p < planes_; ++p) {
                const std::uint8_t byte = line_[std::size_t(p) * bpl + std::size_t(bit / 8)];
                const unsigned v = (byte >> (8 - bits_ - bit % 8)) & plane_mask;
                value |= v << (p * bits_);
            }
            if (depth8_) {
                row[j] = std::uint8_t(value);
            } else {
                const std::uint8_t* e = palette_ + 4 * (value & 0xFF);
                row[3 * j] = e[2];
                row[3 * j + 1] = e[1];
                row[3 * j + 2] = e[0];
            }
        }
    }
    row_index = std::int32_t(rows_done_++);
    return 1;
}

int img_pcx_row_reader::close()
{
    line_.clear();
    line_.shrink_to_fit();
    return 1;
}

std::uint8_t* img_read_pcx(img_input handle, std::int32_t* width, std::int32_t* height,
                           int depth, std::uint8_t* palette)
{
    return img_reader_entry(handle, width, height, [&](img_thread_state* state, img_stream&,
                                        std::int32_t& status) -> std::uint8_t* {
        if ((depth != 8 && depth != 24) || (depth == 8 && !palette)) {
            status = IMG_ERR_ARGUMENT;
            return nullptr;
        }
        // The reader raised the depth once already; the row reader's own raise is undone here
        // so that progress is reported from the entry's level.
        --state->depth;
        img_pcx_row_reader reader(state);
        std::int32_t w = 0, h = 0;
        if (!reader.open(handle, &w, &h, depth == 8 ? palette : nullptr)) {
            status = reader.status();
            ++state->depth;
            return nullptr;
        }
        const int n = depth == 24 ? 3 : 1;
        std::size_t bytes;
        img_global_buffer image;
        img_stream s(handle);
        if (!img_image_bytes(w, h, n, bytes)) {
            status = IMG_ERR_PCX_HEADER;
        } else if (!img_stream_can_hold(s, reader.line_bytes() * std::int64_t(h), 32)) {
            // two stored bytes repeat a byte at most 63 times
            status = IMG_ERR_READ;
        } else if (!image.allocate(std::int64_t(bytes))) {
            status = IMG_ERR_MEMORY;
        } else {
            for (std::int32_t r = 0; r < h; ++r) {
                std::int32_t index;
                if (!reader.read_row(image.data() + std::size_t(r) * std::size_t(w) * n, index)) {
                    status = reader.status();
                    break;
                }
                if (!img_progress(state, r, h)) {
                    status = IMG_ERR_CANCELLED;
                    break;
                }
            }
        }
        reader.close();
        ++state->depth;
        if (width)
            *width = w;
        if (height)
            *height = h;
        return status ? nullptr : image.release();
    });
}

namespace {

void encode_line(const std::uint8_t* line, std::size_t length, std::vector<std::uint8_t>& out)
{
    auto put = [&](std::uint8_t value, unsigned run) {
        if (run == 0)
            return;
        if (run == 1 && (value & 0xC0) != 0xC0) {
            out.push_back(value);
        } else {
            out.push_back(std::uint8_t(0xC0 | run));
            out.push_back(value);
        }
    };
    if (!length)
        return;
    std::uint8_t current = line[0];
    unsigned run = 1;
    for (std::size_t i = 1; i < length; ++i) {
        if (line[i] == current) {
            ++run;
            if (run == 63) {
                put(current, run);
                run = 0;
            }
        } else {
            put(current, run);
            current = line[i];
            run = 1;
        }
    }
    put(current, run);
}

} // namespace

std::int64_t img_write_pcx(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                           std::uint32_t height, int depth, const std::uint8_t* palette)
{
    return img_writer_entry(handle, [&](img_thread_state* state, img_stream& s,
                                        std::int32_t& status) -> std::int64_t {
        if (!pixels || (depth != 24 && !(depth == 8 && palette)) || width == 0 || height == 0 ||
            width > 65535 || height > 65535) {
            status = IMG_ERR_ARGUMENT;
            return 0;
        }
        const int planes = depth == 8 ? 1 : 3;
        const std::uint32_t bpl = width + width % 2;
        std::uint8_t h[128] = {};
        h[0] = 10;
        h[1] = 5;
        h[2] = 1;
        h[3] = 8;
        auto put16 = [&](int at, unsigned v) {
            h[at] = std::uint8_t(v);
            h[at + 1] = std::uint8_t(v >> 8);
        };
        put16(8, width - 1);
        put16(10, height - 1);
        put16(12, 96);
        put16(14, 96);
        h[65] = std::uint8_t(planes);
        put16(66, bpl);
        put16(68, 1);
        if (!s.write_n(h, 128)) {
            status = IMG_ERR_WRITE;
            return s.size();
        }
        std::vector<std::uint8_t> line(bpl, 0), encoded;
        encoded.reserve(std::size_t(bpl) * 2);
        const int n = depth == 8 ? 1 : 3;
        for (std::uint32_t r = 0; r < height && !status; ++r) {
            const std::uint8_t* in = pixels + std::size_t(r) * width * n;
            encoded.clear();
            for (int p = 0; p < planes; ++p) {
                for (std::uint32_t j = 0; j < width; ++j)
                    line[j] = in[std::size_t(j) * n + p];
                encode_line(line.data(), bpl, encoded);
            }
            if (!s.write_n(encoded.data(), std::int64_t(encoded.size())))
                status = IMG_ERR_WRITE;
            else if (!img_progress(state, r, height))
                status = IMG_ERR_CANCELLED;
        }
        if (depth == 8 && status != IMG_ERR_WRITE) {
            std::uint8_t tail[769];
            tail[0] = 12;
            for (int i = 0; i < 256; ++i) {
                tail[1 + 3 * i] = palette[4 * i + 2];
                tail[2 + 3 * i] = palette[4 * i + 1];
                tail[3 + 3 * i] = palette[4 * i];
            }
            if (!s.write_n(tail, 769))
                status = IMG_ERR_WRITE;
        }
        return s.size();
    });
}
