#pragma once
// ZSoft PCX files: reading 1-, 2-, 4- and 8-bit palette pictures in one or more planes and
// 24-bit pictures in three planes; writing run-length encoded 8-bit (one plane, 256-colour
// palette at the end) and 24-bit (three planes) files.
#include "plotwell/app/imagelib/img_codecs.h"

#include <memory>
#include <vector>

std::uint8_t* img_read_pcx(img_input handle, std::int32_t* width, std::int32_t* height,
                           int depth, std::uint8_t* palette);
std::int64_t img_write_pcx(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                           std::uint32_t height, int depth, const std::uint8_t* palette);

class img_pcx_row_reader : public img_row_reader {
public:
    explicit img_pcx_row_reader(img_thread_state* state) : img_row_reader(state) {}
    // Reads the header and palette; `palette` is the caller's at depth 8, null at 24.
    bool open(img_input handle, std::int32_t* width, std::int32_t* height, std::uint8_t* palette);
    int read_row(std::uint8_t* row, std::int32_t& row_index) override;
    int close() override;
    // Bytes of one coded line (every plane) of the open picture.
    std::int64_t line_bytes() const { return std::int64_t(line_.size()); }

private:
    img_stream_block* handle_ = nullptr;
    std::int64_t width_ = 0, height_ = 0;
    int bits_ = 0, planes_ = 0, bytes_per_line_ = 0;
    bool depth8_ = false;
    std::int64_t rows_done_ = 0;
    std::uint8_t palette_[1024] = {};
    std::vector<std::uint8_t> line_;
};
