#pragma once
// What the picture readers and writers share: file-type detection, the reader and writer
// entry contract, and the incremental row reader.
//
// A reader returns a new image (release with img_free) only on success; on any failure, also
// after it has decoded part of the picture, it returns null and leaves the code in the last
// error. Writers return the size of the output; after a failure among the rows the output is
// still closed off and its size returned, so callers test the last error.
#include "plotwell/app/imagelib/img_frame.h"
#include "plotwell/app/imagelib/img_streams.h"
#include "platform/rtl/Invariant.h"

#include <utility>

enum img_file_type : std::int32_t {
    IMG_TYPE_UNKNOWN = 0,
    IMG_TYPE_BMP = 1,
    IMG_TYPE_GIF = 2,
    IMG_TYPE_JPEG = 3,
    IMG_TYPE_PNG = 4,
    IMG_TYPE_PCX = 5,
    IMG_TYPE_TIFF = 6,
    IMG_TYPE_WMF = 7,
    IMG_TYPE_EMF = 8,
    IMG_TYPE_PAX = 9,
    IMG_TYPE_PSD = 10,
    IMG_TYPE_TLA = 11,
    IMG_TYPE_TLAU = 12,
    IMG_TYPE_WBMP = 13,
    IMG_TYPE_TGA = 14,
};

// Reads 44 bytes from the current position (no seek back) and names the type.
std::int32_t img_guess_file_type(img_input handle);

// Incremental reading: open is format-specific; read_row decodes the next row.
class img_row_reader {
public:
    explicit img_row_reader(img_thread_state* state) : state_(state) { ++state_->depth; }
    virtual ~img_row_reader() { --state_->depth; }
    img_row_reader(const img_row_reader&) = delete;
    img_row_reader& operator=(const img_row_reader&) = delete;

    // 1 when a row was decoded into `row` (its index in `row_index`), 0 otherwise.
    virtual int read_row(std::uint8_t* row, std::int32_t& row_index) = 0;
    virtual int close() = 0;
    std::int32_t status() const { return status_; }

protected:
    img_thread_state* state_;
    std::int32_t status_ = 0;
};

// --- internal: the entry contract -------------------------------------------------------

// Reader entry: thread state, handle checks (5, 38), depth raised around `body`, status into
// the last error; an image comes back only with status 0.
template <class F>
std::uint8_t* img_reader_entry(img_input handle, F&& body)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return nullptr;
    if (!handle) {
        img_set_last_error(IMG_ERR_ARGUMENT);
        return nullptr;
    }
    img_stream stream(handle);
    if (!stream.check()) {
        img_set_last_error(IMG_ERR_HANDLE);
        return nullptr;
    }
    std::int32_t status = 0;
    std::uint8_t* image = nullptr;
    try {
        img_depth_guard guard(state);
        image = body(state, stream, status);
    } catch (...) {
        status = IMG_ERR_MEMORY;
    }
    if (status != 0 && image) {
        img_free(image);
        image = nullptr;
    }
    if (status == 0 && !image)
        status = IMG_ERR_MEMORY;
    img_set_last_error(status);
    return image;
}

// Reader entry of a reader that reports the frame's size (where the caller asks for it): as above,
// and the frame it hands out is width × height pixels, both positive and inside the pixel cap.
template <class F>
std::uint8_t* img_reader_entry(img_input handle, std::int32_t* width, std::int32_t* height, F&& body)
{
    std::uint8_t* image = img_reader_entry(handle, std::forward<F>(body));
    QUELM_INVARIANT(!image || !width || !height ||
                        (*width > 0 && *height > 0 && std::int64_t(*width) <= img_pixel_limit() / *height),
                    "a frame that a reader hands out has a positive size inside the pixel cap");
    return image;
}

template <class F>
std::int64_t img_writer_entry(img_output handle, F&& body)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    if (!handle) {
        img_set_last_error(IMG_ERR_ARGUMENT);
        return 0;
    }
    img_stream stream(handle);
    if (!stream.check()) {
        img_set_last_error(IMG_ERR_HANDLE);
        return 0;
    }
    std::int32_t status = 0;
    std::int64_t size = 0;
    try {
        img_depth_guard guard(state);
        size = body(state, stream, status);
    } catch (...) {
        status = IMG_ERR_MEMORY;
        size = 0;
    }
    img_set_last_error(status);
    return size;
}
