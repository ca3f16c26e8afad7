#pragma once
// JPEG reading and writing over libjpeg with the library's own source and destination
// managers (4096-byte buffers), an error exit that turns libjpeg errors into codes, grey, RGB,
// CMYK and YCCK input, and comment and application markers kept in the thread state.
#include "plotwell/app/imagelib/img_codecs.h"

struct img_jpeg_read_state;

std::uint8_t* img_read_jpeg(img_input handle, std::int32_t* width, std::int32_t* height,
                            int depth, std::uint8_t* palette);
// Depth 24 takes red, green, blue rows, depth 8 grey rows; `density` is null or
// (x density, y density, unit).
std::int64_t img_write_jpeg(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                            std::uint32_t height, int quality, int progressive, int depth,
                            const std::uint32_t* density);

class img_jpeg_row_reader : public img_row_reader {
public:
    explicit img_jpeg_row_reader(img_thread_state* state) : img_row_reader(state) {}
    ~img_jpeg_row_reader() override;
    bool open(img_input handle, std::int32_t* width, std::int32_t* height, bool grey);
    int read_row(std::uint8_t* row, std::int32_t& row_index) override;
    int close() override;

private:
    img_jpeg_read_state* open_ = nullptr;
};
