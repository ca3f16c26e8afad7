// Feeds arbitrary bytes to the JPEG reader at every depth it accepts.
#include "plotwell/app/fuzz/imagelib_fuzz_allocation_limit.h"
#include "plotwell/app/imagelib/imagelib.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    img_set_pixel_limit(std::int64_t(1) << 20);
    std::uint8_t palette[1024];
    for (int depth : {8, 24}) {
        img_input in = img_open_memory_input(data, std::int64_t(size));
        std::int32_t width = 0, height = 0;
        std::uint8_t* image = img_read_jpeg(in, &width, &height, depth, palette);
        if (image && img_get_last_error() != 0)
            __builtin_trap(); // an image comes back only on success
        img_free(image);
        img_close_input(in);
    }
    return 0;
}
