#include "plotwell/app/imagelib/img_streams.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <set>

namespace {

std::mutex live_lock;
std::set<const img_stream_block*>& live_blocks()
{
    static std::set<const img_stream_block*> blocks;
    return blocks;
}

img_stream_block* new_block()
{
    auto* block = new (std::nothrow) img_stream_block();
    if (!block)
        return nullptr;
    std::lock_guard<std::mutex> lock(live_lock);
    live_blocks().insert(block);
    return block;
}

void delete_block(img_stream_block* block)
{
    {
        std::lock_guard<std::mutex> lock(live_lock);
        live_blocks().erase(block);
    }
    delete block;
}

void mark(img_stream_block* block, const char* name)
{
    std::strncpy(block->file_name, name ? name : "", 260);
    block->file_name[260] = 0;
    block->first_mark = IMG_STREAM_FIRST_MARK;
    block->second_mark = IMG_STREAM_SECOND_MARK;
}

bool open_file(img_stream_block* block, const char* name, bool writable)
{
    if (!name || !*name)
        return false;
    block->file = std::fopen(name, writable ? "wb+" : "rb");
    if (!block->file)
        return false;
    block->kind = 1;
    block->writable = writable ? 1 : 0;
    block->written_extent = 0;
    mark(block, name);
    return true;
}

img_stream_block* open_handle(const char* name, bool writable)
{
    if (!img_get_thread_state())
        return nullptr;
    img_stream_block* block = new_block();
    if (!block) {
        img_set_last_error(IMG_ERR_MEMORY);
        return nullptr;
    }
    if (!open_file(block, name, writable)) {
        delete_block(block);
        img_set_last_error(IMG_ERR_OPEN);
        return nullptr;
    }
    return block;
}

img_stream_block* open_memory(const void* base, std::int64_t size, bool writable)
{
    if (!img_get_thread_state())
        return nullptr;
    if ((!base && size > 0) || size < 0) {
        img_set_last_error(IMG_ERR_ARGUMENT);
        return nullptr;
    }
    img_stream_block* block = new_block();
    if (!block) {
        img_set_last_error(IMG_ERR_MEMORY);
        return nullptr;
    }
    block->kind = 2;
    block->memory_base = static_cast<std::uint8_t*>(const_cast<void*>(base));
    block->memory_size = size;
    block->writable = writable ? 1 : 0;
    mark(block, "");
    return block;
}

} // namespace

img_input img_open_file_input(const char* file_name)
{
    return open_handle(file_name, false);
}

img_output img_open_file_output(const char* file_name)
{
    return open_handle(file_name, true);
}

img_input img_open_memory_input(const void* data, std::int64_t size)
{
    return open_memory(data, size, false);
}

img_output img_open_memory_output(void* base, std::int64_t size)
{
    return open_memory(base, size, true);
}

std::int64_t img_memory_written(img_output handle)
{
    return handle && handle->kind == 2 ? handle->written_extent : 0;
}

int img_seek_input(img_input handle, std::int32_t offset, int origin)
{
    if (!img_get_thread_state())
        return 0;
    if (!handle) {
        img_set_last_error(IMG_ERR_ARGUMENT);
        return 0;
    }
    return img_stream(handle).seek(offset, origin) ? 1 : 0;
}

std::int64_t img_close_input(img_input handle)
{
    if (!img_get_thread_state())
        return 0;
    if (!handle) {
        img_set_last_error(IMG_ERR_ARGUMENT);
        return 0;
    }
    img_stream stream(handle);
    const std::int64_t position = stream.tell();
    stream.close();
    delete_block(handle);
    return position;
}

std::int64_t img_close_output(img_output handle)
{
    if (!img_get_thread_state())
        return 0;
    if (!handle) {
        img_set_last_error(IMG_ERR_ARGUMENT);
        return 0;
    }
    img_stream stream(handle);
    const std::int64_t size = stream.size();
    stream.close();
    delete_block(handle);
    return size;
}

bool img_stream::check() const
{
    if (!block_)
        return false;
    {
        std::lock_guard<std::mutex> lock(live_lock);
        if (!live_blocks().count(block_))
            return false;
    }
    if (block_->first_mark != IMG_STREAM_FIRST_MARK || block_->second_mark != IMG_STREAM_SECOND_MARK)
        return false;
    if (block_->kind == 1)
        return block_->file != nullptr;
    return block_->kind == 2;
}

std::int64_t img_stream::read(void* buffer, std::int64_t count)
{
    if (!block_ || count <= 0)
        return 0;
    if (block_->kind == 1) {
        if (!block_->file)
            return 0;
        return std::int64_t(std::fread(buffer, 1, std::size_t(count), block_->file));
    }
    if (block_->kind != 2)
        return 0;
    const std::int64_t end = block_->writable ? block_->written_extent : block_->memory_size;
    if (block_->position >= end)
        return 0;
    const std::int64_t n = std::min(count, end - block_->position);
    std::memcpy(buffer, block_->memory_base + block_->position, std::size_t(n));
    block_->position += n;
    return n;
}

bool img_stream::read2(std::uint16_t& value)
{
    std::uint8_t b[2];
    if (!read_exactly(b, 2))
        return false;
    value = std::uint16_t(b[0] | b[1] << 8);
    return true;
}

bool img_stream::read4(std::uint32_t& value)
{
    std::uint8_t b[4];
    if (!read_exactly(b, 4))
        return false;
    value = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
            std::uint32_t(b[3]) << 24;
    return true;
}

bool img_stream::read2_be(std::uint16_t& value)
{
    std::uint8_t b[2];
    if (!read_exactly(b, 2))
        return false;
    value = std::uint16_t(b[0] << 8 | b[1]);
    return true;
}

bool img_stream::read4_be(std::uint32_t& value)
{
    std::uint8_t b[4];
    if (!read_exactly(b, 4))
        return false;
    value = std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 |
            std::uint32_t(b[3]);
    return true;
}

bool img_stream::skip(std::int64_t count)
{
    std::uint8_t buffer[4096];
    while (count > 0) {
        const std::int64_t n = std::min<std::int64_t>(count, sizeof buffer);
        if (!read_exactly(buffer, n))
            return false;
        count -= n;
    }
    return count == 0;
}

bool img_stream::seek(std::int64_t offset, int origin)
{
    if (!block_)
        return false;
    if (block_->kind == 1)
        return block_->file && fseeko(block_->file, off_t(offset), origin) == 0;
    if (block_->kind != 2)
        return false;
    std::int64_t base = 0;
    if (origin == SEEK_CUR)
        base = block_->position;
    else if (origin == SEEK_END)
        base = block_->writable ? block_->written_extent : block_->memory_size;
    const std::int64_t target = base + offset;
    if (target < 0 || target > block_->memory_size)
        return false;
    block_->position = target;
    return true;
}

std::int64_t img_stream::tell() const
{
    if (!block_)
        return 0;
    if (block_->kind == 1)
        return block_->file ? std::int64_t(ftello(block_->file)) : 0;
    return block_->position;
}

std::int64_t img_stream::size()
{
    if (!block_)
        return 0;
    if (block_->kind == 2)
        return block_->writable ? block_->written_extent : block_->memory_size;
    if (block_->kind != 1 || !block_->file)
        return 0;
    if (block_->writable)
        std::fflush(block_->file);
    const off_t here = ftello(block_->file);
    if (fseeko(block_->file, 0, SEEK_END) != 0)
        return 0;
    const off_t end = ftello(block_->file);
    fseeko(block_->file, here, SEEK_SET);
    return std::int64_t(end);
}

bool img_stream::write(const void* buffer, std::int64_t element_size, std::int64_t count)
{
    if (!block_ || !block_->writable || element_size <= 0 || count < 0)
        return false;
    if (count == 0)
        return true;
    if (block_->kind == 1) {
        return block_->file &&
               std::fwrite(buffer, std::size_t(element_size), std::size_t(count), block_->file) ==
                   std::size_t(count);
    }
    if (block_->kind != 2)
        return false;
    const std::int64_t bytes = element_size * count;
    if (bytes > block_->memory_size - block_->position)
        return false;
    std::memcpy(block_->memory_base + block_->position, buffer, std::size_t(bytes));
    block_->position += bytes;
    block_->written_extent = std::max(block_->written_extent, block_->position);
    return true;
}

bool img_stream::write2(std::uint16_t value)
{
    const std::uint8_t b[2] = {std::uint8_t(value), std::uint8_t(value >> 8)};
    return write_n(b, 2);
}

bool img_stream::write4(std::uint32_t value)
{
    const std::uint8_t b[4] = {std::uint8_t(value), std::uint8_t(value >> 8),
                               std::uint8_t(value >> 16), std::uint8_t(value >> 24)};
    return write_n(b, 4);
}

bool img_stream::write2_be(std::uint16_t value)
{
    const std::uint8_t b[2] = {std::uint8_t(value >> 8), std::uint8_t(value)};
    return write_n(b, 2);
}

bool img_stream::write4_be(std::uint32_t value)
{
    const std::uint8_t b[4] = {std::uint8_t(value >> 24), std::uint8_t(value >> 16),
                               std::uint8_t(value >> 8), std::uint8_t(value)};
    return write_n(b, 4);
}

bool img_stream::close()
{
    if (!block_)
        return false;
    if (block_->kind == 1) {
        if (!block_->file)
            return false;
        const bool ok = std::fclose(block_->file) == 0;
        block_->file = nullptr;
        return ok;
    }
    return block_->kind == 2;
}

bool img_global_buffer::allocate(std::int64_t bytes)
{
    free();
    if (bytes < 0 || bytes > max_bytes)
        return false;
    data_ = static_cast<std::uint8_t*>(std::calloc(std::size_t(bytes ? bytes : 1), 1));
    return data_ != nullptr;
}

bool img_global_buffer::grow(std::int64_t bytes)
{
    if (bytes < 0 || bytes > max_bytes)
        return false;
    void* grown = std::realloc(data_, std::size_t(bytes ? bytes : 1));
    if (!grown)
        return false;
    data_ = static_cast<std::uint8_t*>(grown);
    return true;
}

bool img_global_buffer::free()
{
    if (!data_)
        return false;
    std::free(data_);
    data_ = nullptr;
    return true;
}

std::uint8_t* img_global_buffer::release()
{
    std::uint8_t* data = data_;
    data_ = nullptr;
    return data;
}

void img_global_buffer::release(void* block)
{
    std::free(block);
}

bool img_stream_can_hold(img_stream& s, std::int64_t needed, std::int64_t ratio)
{
    const std::int64_t remaining = std::max<std::int64_t>(s.size() - s.tell(), 0);
    if (needed <= 0)
        return true;
    ratio = std::max<std::int64_t>(ratio, 1);
    return (needed - 1) / ratio + 1 <= remaining;
}

int img_fill_rect(std::uint8_t* image, std::uint32_t image_width, std::uint32_t image_height,
                  std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
                  std::uint32_t colour, int bytes_per_pixel)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (!image || (bytes_per_pixel != 3 && bytes_per_pixel != 4)) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        // Clip in 64-bit arithmetic so that x + width cannot wrap.
        std::uint64_t w = width, h = height;
        if (std::uint64_t(x) + w > image_width) {
            if (x >= image_width)
                return 1;
            w = image_width - x;
        }
        if (std::uint64_t(y) + h > image_height) {
            if (y >= image_height)
                return 1;
            h = image_height - y;
        }
        const std::uint8_t c[4] = {std::uint8_t(colour), std::uint8_t(colour >> 8),
                                   std::uint8_t(colour >> 16), std::uint8_t(colour >> 24)};
        const bool equal = c[0] == c[1] && c[1] == c[2] && (bytes_per_pixel == 3 || c[2] == c[3]);
        const std::uint64_t stride = std::uint64_t(image_width) * bytes_per_pixel;
        if (equal && x == 0 && y == 0 && w == image_width && h == image_height) {
            std::memset(image, c[0], stride * image_height);
            return 1;
        }
        for (std::uint64_t row = 0; row < h; ++row) {
            std::uint8_t* p = image + (y + row) * stride + std::uint64_t(x) * bytes_per_pixel;
            if (equal) {
                std::memset(p, c[0], w * bytes_per_pixel);
            } else {
                for (std::uint64_t i = 0; i < w; ++i, p += bytes_per_pixel)
                    std::memcpy(p, c, std::size_t(bytes_per_pixel));
            }
            if (!img_progress(state, std::int64_t(row), std::int64_t(h))) {
                scope.code = IMG_ERR_CANCELLED;
                return 0;
            }
        }
        return 1;
    });
}

int img_unpack_bits(const std::uint8_t* packed, std::uint32_t width, std::uint32_t height,
                    int bits, std::uint8_t* output)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (!packed || !output || bits <= 0 || bits > 8) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        const std::uint64_t count = std::uint64_t(width) * height;
        if (bits == 8) {
            std::memcpy(output, packed, count);
            return 1;
        }
        const unsigned mask = (1u << bits) - 1;
        std::uint64_t bit = 0;
        for (std::uint64_t i = 0; i < count; ++i, bit += bits) {
            // A value may straddle two bytes: take 16 bits starting at its byte.
            const std::uint64_t byte = bit / 8;
            const unsigned offset = unsigned(bit % 8);
            unsigned word = unsigned(packed[byte]) << 8;
            if (offset + bits > 8)
                word |= packed[byte + 1];
            output[i] = std::uint8_t((word >> (16 - offset - bits)) & mask);
        }
        return 1;
    });
}
