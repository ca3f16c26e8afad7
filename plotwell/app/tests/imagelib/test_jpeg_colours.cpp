// The JPEG reader's colours, checked on smooth pictures that libjpeg itself encodes at full
// quality without chroma subsampling: what comes back must be the picture within a few levels,
// so a swapped channel, a wrong CMYK conversion or a lost row shows at once.
#include "plotwell/app/tests/imagelib/imagelib_test_helpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

using namespace imgtest;

namespace {

constexpr int W = 24, H = 16;

// A smooth RGB picture: red rises to the right, green downwards, blue along the diagonal.
bytes smooth_rgb()
{
    bytes p(std::size_t(W) * H * 3);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            std::uint8_t* px = &p[(std::size_t(y) * W + x) * 3];
            px[0] = std::uint8_t(40 + 8 * x);
            px[1] = std::uint8_t(30 + 12 * y);
            px[2] = std::uint8_t(200 - 4 * (x + y));
        }
    return p;
}

// Encodes rows of `components` samples with libjpeg; CMYK goes with the Adobe marker.
std::string encode(const bytes& samples, int components, J_COLOR_SPACE space)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = W;
    c.image_height = H;
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    for (int i = 0; i < c.num_components; ++i)
        c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(&samples[std::size_t(c.next_scanline) * W * components]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string out(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return out;
}

int worst_difference(const bytes& a, const bytes& b)
{
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    return worst;
}

} // namespace

TEST(JpegColours, SmoothPicturesComeBackWithinAFewLevels)
{
    const bytes rgb = smooth_rgb();
    // Adobe CMYK stores inverted ink: C' = R, M' = G, Y' = B, and no black ink (K' = 255).
    bytes cmyk;
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        cmyk.insert(cmyk.end(), {rgb[i], rgb[i + 1], rgb[i + 2], 255});

    const struct { const char* name; std::string file; } cases[] = {
        {"RGB", encode(rgb, 3, JCS_RGB)},
        {"CMYK", encode(cmyk, 4, JCS_CMYK)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const decoded d = read_memory(c.file, img_read_jpeg, 24);
        ASSERT_TRUE(d.ok) << d.error;
        ASSERT_EQ(d.width, W);
        ASSERT_EQ(d.height, H);
        ASSERT_EQ(d.pixels.size(), rgb.size());
        EXPECT_LE(worst_difference(d.pixels, rgb), 4);
    }
}
