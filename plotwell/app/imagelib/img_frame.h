#pragma once
// The image library's frame: memory-image conventions, the per-thread state, the error codes
// and the calling convention every public function follows.
//
// Memory images are caller-owned byte arrays, top row first, no row padding: 24-bit pixels
// are red, green, blue; 8-bit pixels are palette indexes; 32-bit pixels red, green, blue,
// alpha. A palette is up to 256 four-byte entries blue, green, red, fourth byte. A colour
// value is red | green << 8 | blue << 16 (bits 24-31 alpha where a 32-bit image is filled).
//
// Every public function finds the calling thread's state first (none: it fails without
// recording anything), runs its worker inside an error scope, and leaves the outcome in the
// thread's last error: 0 on success, else one of the codes below. It returns non-zero or a
// handle on success, 0 or null on failure, and never shows a message.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum img_error : std::int32_t {
    IMG_OK = 0,
    IMG_ERR_MEMORY = 1,
    IMG_ERR_OPEN = 2,
    IMG_ERR_READ = 3,
    IMG_ERR_WRITE = 4,
    IMG_ERR_ARGUMENT = 5,
    IMG_ERR_INVALID = 6,
    IMG_ERR_COMPRESSION = 7,
    IMG_ERR_JPEG = 9,
    IMG_ERR_MEMORY_DC = 10,
    IMG_ERR_CANCELLED = 14,
    IMG_ERR_PNG_READ = 15,
    IMG_ERR_PNG_SETUP = 16,
    IMG_ERR_LAYOUT = 17,
    IMG_ERR_TIFF_OPEN = 20,
    IMG_ERR_PCX_HEADER = 22,
    IMG_ERR_NO_MORE_ROWS = 24,
    IMG_ERR_DIB_BITS = 25,
    IMG_ERR_RASTER_CAPS = 26,
    IMG_ERR_DEPTH = 28,
    IMG_ERR_BLIT = 29,
    IMG_ERR_TGA_COLOUR_MAP = 32,
    IMG_ERR_CREATE_BITMAP = 35,
    IMG_ERR_SELECT_BITMAP = 37,
    IMG_ERR_HANDLE = 38,
    IMG_ERR_DIB_SECTION = 40,
    IMG_ERR_NOT_PSD = 46,
    IMG_ERR_PSD_MODE = 47,
};

// Progress procedure: (row index from 0, row count, user value) -> 0 to cancel.
using img_progress_proc = int (*)(std::int32_t row, std::int32_t count, std::intptr_t user);
using img_alloc_proc = void* (*)(std::size_t bytes, std::intptr_t user);
using img_realloc_proc = void* (*)(void* block, std::size_t bytes, std::intptr_t user);
using img_free_proc = void (*)(void* block, std::intptr_t user);

// The libpng colour record: palette index, then red, green, blue, grey.
struct img_png_colour {
    std::uint8_t index = 0;
    std::uint16_t red = 0;
    std::uint16_t green = 0;
    std::uint16_t blue = 0;
    std::uint16_t grey = 0;
};

struct img_text_entry {
    std::string text;
    std::string key;
    bool compressed = false;
};

struct img_jpeg_marker {
    int code = 0;
    std::vector<std::uint8_t> data;
};

struct img_thread_state {
    img_progress_proc progress_proc = nullptr;
    std::int32_t depth = 0;
    std::intptr_t progress_user = 0;
    double png_screen_gamma = 2.9;
    img_png_colour png_transparent_colour;
    img_png_colour png_file_background;
    std::vector<img_text_entry> png_texts_read;
    std::vector<img_text_entry> png_texts_to_write;
    std::int32_t png_write_transparency = 0;
    std::int32_t png_gamma_correction = 1;
    std::int32_t jpeg_dct_method = 0;
    std::int32_t jpeg_smoothing = 0;
    std::int32_t jpeg_v_sampling[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::int32_t jpeg_h_sampling[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::int32_t jpeg_custom_sampling = 0;
    std::int32_t jpeg_sampling_count = 10;
    std::int32_t jpeg_scale_num = 1;
    std::int32_t jpeg_scale_denom = 1;
    std::vector<std::string> jpeg_comments_read;
    std::vector<img_jpeg_marker> jpeg_markers_read;
    std::vector<std::string> jpeg_comments_to_write;
    std::vector<img_jpeg_marker> jpeg_markers_to_write;
    std::int32_t use_dib_section = 0;
    std::int8_t quant_error_limit = 20;
    img_alloc_proc alloc_proc = nullptr;
    img_realloc_proc realloc_proc = nullptr;
    img_free_proc free_proc = nullptr;
    std::intptr_t alloc_user = 0;
    std::int32_t last_error = 0;
};

// The work record of one public call.
struct img_error_scope {
    std::int32_t code = 0;
    std::uint8_t masks[8] = {1, 2, 4, 8, 16, 32, 64, 128};
};

img_thread_state* img_get_thread_state();
void img_set_last_error(std::int32_t code);
// The calling thread's last error (0 without a thread state).
std::int32_t img_get_last_error();

// Started at program load and shut down at program exit; both may be called again (tests).
void img_module_start();
void img_module_shutdown();

// Installs a progress procedure for the calling thread.
void img_set_progress(img_progress_proc proc, std::intptr_t user);

// Pixel cap for every image a reader or conversion allocates: width × height above it is
// refused as invalid data. The default is 2^28 pixels; tests and fuzzers lower it.
void img_set_pixel_limit(std::int64_t pixels);
std::int64_t img_pixel_limit();

// Releases an image returned by a reader (and any block of the library's allocator).
void img_free(void* block);

// --- internal helpers shared by the units -----------------------------------------------

// Raises `depth` for the life of a worker.
class img_depth_guard {
public:
    explicit img_depth_guard(img_thread_state* state) : state_(state) { ++state_->depth; }
    ~img_depth_guard() { --state_->depth; }
    img_depth_guard(const img_depth_guard&) = delete;
    img_depth_guard& operator=(const img_depth_guard&) = delete;

private:
    img_thread_state* state_;
};

// The progress check: false when the progress procedure asked to stop.
bool img_progress(img_thread_state* state, std::int64_t row, std::int64_t count);

// width × height × bytes in checked 64-bit arithmetic, within the pixel cap; false otherwise.
bool img_image_bytes(std::int64_t width, std::int64_t height, std::int64_t bytes_per_pixel,
                     std::size_t& out);

// Runs `work(scope)` as the worker of a public call and records its code. Exceptions of the
// worker (an allocation that throws) end it with code 1.
template <class R, class F>
R img_run(img_thread_state* state, F&& work)
{
    img_error_scope scope;
    R result{};
    try {
        img_depth_guard guard(state);
        result = work(scope);
    } catch (...) {
        scope.code = IMG_ERR_MEMORY;
        result = R{};
    }
    img_set_last_error(scope.code);
    return result;
}
