#pragma once
// Input and output handles of the image library, the stream operations the codecs use, the
// growable block in which readers return their images, and two shared row helpers.
//
// A handle is a block with two marks; the library keeps the set of live blocks, so a foreign
// or closed handle fails the check (code 38 in the codecs) instead of being read.
// Kinds: 1 a named file, 2 a memory block given by base and size.
#include "plotwell/app/imagelib/img_frame.h"

#include <cstdio>

struct img_stream_block {
    std::uint32_t first_mark = 0;
    std::uint32_t reserved = 0;
    std::FILE* file = nullptr;
    std::int32_t kind = 0;
    std::uint8_t* memory_base = nullptr;
    std::int64_t memory_size = 0;
    std::int64_t position = 0;
    std::int64_t written_extent = 0;
    char file_name[264] = {};
    std::int32_t writable = 0;
    std::uint32_t second_mark = 0;
};
using img_input = img_stream_block*;
using img_output = img_stream_block*;

constexpr std::uint32_t IMG_STREAM_FIRST_MARK = 0x03031996;
constexpr std::uint32_t IMG_STREAM_SECOND_MARK = 0x09241996;

// Public functions. These five record nothing on success.
img_input img_open_file_input(const char* file_name);
int img_seek_input(img_input handle, std::int32_t offset, int origin);
std::int64_t img_close_input(img_input handle);
img_output img_open_file_output(const char* file_name);
std::int64_t img_close_output(img_output handle);

// Memory handles (kind 2): reading copies from the block; writing is accepted while it fits.
img_input img_open_memory_input(const void* data, std::int64_t size);
img_output img_open_memory_output(void* base, std::int64_t size);
// The bytes written so far to a memory output.
std::int64_t img_memory_written(img_output handle);

// The operations on one open block, made by a reader or writer for the length of one call.
class img_stream {
public:
    explicit img_stream(img_stream_block* block) : block_(block) {}

    bool check() const;
    const char* file_name() const { return block_ ? block_->file_name : ""; }
    bool has_file_name() const { return block_ && block_->kind == 1 && block_->file_name[0]; }

    std::int64_t read(void* buffer, std::int64_t count);
    bool read_exactly(void* buffer, std::int64_t count) { return read(buffer, count) == count; }
    bool read1(std::uint8_t& value) { return read_exactly(&value, 1); }
    bool read2(std::uint16_t& value);          // low byte first
    bool read4(std::uint32_t& value);          // low byte first
    bool read2_be(std::uint16_t& value);       // high byte first
    bool read4_be(std::uint32_t& value);
    bool skip(std::int64_t count);             // reads and discards
    bool seek(std::int64_t offset, int origin);
    bool rewind() { return seek(0, SEEK_SET); }
    std::int64_t tell() const;
    std::int64_t size();

    bool write(const void* buffer, std::int64_t element_size, std::int64_t count);
    bool write_n(const void* buffer, std::int64_t count) { return write(buffer, 1, count); }
    bool write1(std::uint8_t value) { return write_n(&value, 1); }
    bool write2(std::uint16_t value);
    bool write4(std::uint32_t value);
    bool write2_be(std::uint16_t value);
    bool write4_be(std::uint32_t value);
    bool close();

private:
    img_stream_block* block_;
};

// A growable block; readers return their images in it. The data pointer is what callers get
// and release with img_free.
class img_global_buffer {
public:
    static constexpr std::int64_t max_bytes = 2147348478;

    img_global_buffer() = default;
    ~img_global_buffer() { free(); }
    img_global_buffer(const img_global_buffer&) = delete;
    img_global_buffer& operator=(const img_global_buffer&) = delete;

    bool allocate(std::int64_t bytes);
    bool grow(std::int64_t bytes);
    bool free();
    std::uint8_t* data() const { return data_; }
    // Hands the block to the caller; the buffer forgets it.
    std::uint8_t* release();

    static void release(void* block);

private:
    std::uint8_t* data_ = nullptr;
};

// Whether the rest of the stream can hold `needed` bytes of picture data when its coding packs at
// most `ratio` picture bytes into one stored byte. Readers ask before they allocate a picture, so
// that a header declaring more than its file can hold is refused rather than allocated.
bool img_stream_can_hold(img_stream& s, std::int64_t needed, std::int64_t ratio);

// Fills a rectangle of a 24-bit (3) or 32-bit (4) image with a colour value.
int img_fill_rect(std::uint8_t* image, std::uint32_t image_width, std::uint32_t image_height,
                  std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
                  std::uint32_t colour, int bytes_per_pixel);

// Unpacks width × height values of 1..8 bits (one continuous bit stream, most significant bit
// first, no alignment at row ends) into one byte each.
int img_unpack_bits(const std::uint8_t* packed, std::uint32_t width, std::uint32_t height,
                    int bits, std::uint8_t* output);
