// Feeds arbitrary bytes to file-type detection, then to the reader of the type found.
#include "plotwell/app/fuzz/imagelib_fuzz_allocation_limit.h"
#include "plotwell/app/imagelib/imagelib.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    img_set_pixel_limit(std::int64_t(1) << 20);
    img_input in = img_open_memory_input(data, std::int64_t(size));
    const std::int32_t type = img_guess_file_type(in);
    img_seek_input(in, 0, 0);
    std::uint8_t palette[1024];
    std::int32_t width = 0, height = 0;
    std::uint8_t* image = nullptr;
    switch (type) {
    case IMG_TYPE_BMP: image = img_read_bmp(in, &width, &height, 24, palette); break;
    case IMG_TYPE_JPEG: image = img_read_jpeg(in, &width, &height, 24, palette); break;
    case IMG_TYPE_PNG: image = img_read_png(in, &width, &height, 24, palette); break;
    case IMG_TYPE_PCX: image = img_read_pcx(in, &width, &height, 24, palette); break;
    case IMG_TYPE_PSD: image = img_read_psd(in, &width, &height, 24, palette); break;
    case IMG_TYPE_TGA: image = img_read_tga(in, &width, &height, 24, palette); break;
    default: break;
    }
    img_free(image);
    img_close_input(in);
    return 0;
}
