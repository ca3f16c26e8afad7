#include "plotwell/app/imagelib/imagelib.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(ImageColour, GreyValuesTruncateTheDoubleSum)
{
    const struct { std::uint8_t r, g, b, grey; } cases[] = {
        {255, 255, 255, 255}, {128, 128, 128, 127}, {1, 1, 1, 0}, {255, 0, 0, 76}, {0, 0, 255, 29},
    };
    for (const auto& c : cases) {
        std::uint8_t pixel[3] = {c.r, c.g, c.b};
        std::uint8_t grey8 = 0;
        ASSERT_EQ(img_rgb24_to_grey8(pixel, 1, 1, &grey8), 1);
        EXPECT_EQ(grey8, c.grey);
        ASSERT_EQ(img_rgb24_to_grey(pixel, 1, 1), 1);
        EXPECT_EQ(pixel[0], c.grey);
        EXPECT_EQ(pixel[2], c.grey);
    }
    EXPECT_EQ(img_rgb24_to_grey(nullptr, 0, 0), 0);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_ARGUMENT);
}

TEST(ImageColour, SixteenBitWords)
{
    const struct { std::uint8_t r, g, b; int five55, bit15; unsigned word; } cases[] = {
        {255, 255, 255, 1, 0, 0x7FFF}, {255, 255, 255, 1, 1, 0xFFFF}, {255, 255, 255, 0, 0, 0xFFFF},
        {255, 0, 0, 1, 0, 0x7C00}, {0, 255, 0, 0, 0, 0x07E0}, {0, 0, 255, 0, 0, 0x001F},
    };
    for (const auto& c : cases) {
        const std::uint8_t pixel[3] = {c.r, c.g, c.b};
        std::uint8_t out[2];
        ASSERT_EQ(img_rgb24_to_rgb16(pixel, 1, 1, out, c.five55, c.bit15), 1);
        EXPECT_EQ(unsigned(out[0] | out[1] << 8), c.word);
    }
}

TEST(ImageColour, ReplaceWithinTolerance)
{
    std::uint8_t pixels[6] = {100, 100, 100, 101, 101, 101};
    ASSERT_EQ(img_replace_colour(pixels, 2, 1, 0x646464, 0x0000FF, 0), 1);
    EXPECT_EQ(pixels[0], 255);
    EXPECT_EQ(pixels[3], 101) << "tolerance 0: exact matches only";
    std::uint8_t more[6] = {100, 100, 100, 101, 101, 101};
    ASSERT_EQ(img_replace_colour(more, 2, 1, 0x646464, 0x646464, 3), 1);
    EXPECT_EQ(more[3], 100) << "1 in each channel is within 3";
    EXPECT_TRUE(img_colour_near(0x010203, 0x010203, 0));
    EXPECT_FALSE(img_colour_near(0x010203, 0x010204, 0));
}

TEST(ImageColour, QuantiserKeepsFewColoursAndBlackensTheRest)
{
    // Three colours in three different 5-bit cells; eight entries asked for.
    const std::uint8_t image[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 0, 0};
    std::uint8_t out[4];
    std::uint8_t palette[32];
    std::memset(palette, 0xAB, sizeof palette);
    ASSERT_EQ(img_rgb24_to_palette8(image, 4, 1, out, 8, palette, 1), 1);
    std::set<std::uint32_t> colours;
    for (int i = 0; i < 3; ++i)
        colours.insert(palette[4 * i] | palette[4 * i + 1] << 8 | palette[4 * i + 2] << 16);
    EXPECT_EQ(colours, (std::set<std::uint32_t>{0xFF0000, 0x00FF00, 0x0000FF}));
    for (int i = 3; i < 8; ++i) {
        EXPECT_EQ(palette[4 * i] | palette[4 * i + 1] | palette[4 * i + 2], 0);
        EXPECT_EQ(palette[4 * i + 3], 0xAB) << "the fourth byte stays";
    }
    EXPECT_EQ(out[0], out[3]);
    for (int x = 0; x < 4; ++x) {
        const std::uint8_t* e = palette + 4 * out[x];
        EXPECT_EQ(e[2], image[3 * x]);
        EXPECT_EQ(e[1], image[3 * x + 1]);
        EXPECT_EQ(e[0], image[3 * x + 2]);
    }
}

TEST(ImageColour, OnePixelOneColour)
{
    const std::uint8_t pixel[3] = {12, 34, 56};
    std::uint8_t out = 9, palette[4] = {};
    ASSERT_EQ(img_rgb24_to_palette8(pixel, 1, 1, &out, 0, palette, 0), 1) << "count 0 becomes 1";
    EXPECT_EQ(out, 0);
    EXPECT_EQ(palette[2], 12);
    EXPECT_EQ(palette[1], 34);
    EXPECT_EQ(palette[0], 56);
}

TEST(ImageColour, DitheringSpreadsTheErrorOfAGradient)
{
    // A grey ramp reduced to 2 colours: dithering mixes both colours in the middle columns;
    // the average of the mapped picture stays near the average of the source.
    const int w = 64, h = 8;
    std::vector<std::uint8_t> image(std::size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            std::memset(&image[(std::size_t(y) * w + x) * 3], x * 4, 3);
    for (int dither : {0, 1}) {
        std::vector<std::uint8_t> out(std::size_t(w) * h);
        std::uint8_t palette[8];
        ASSERT_EQ(img_rgb24_to_palette8(image.data(), w, h, out.data(), 2, palette, dither), 1);
        int changes = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 1; x < w; ++x)
                changes += out[y * w + x] != out[y * w + x - 1];
        EXPECT_GT(changes, h) << "dither mode " << dither << " still diffuses error";
    }
}

TEST(ImageColour, PaletteMatcherFindsTheNearestEntry)
{
    const std::uint8_t palette[] = {0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0};
    img_palette_matcher matcher;
    EXPECT_EQ(matcher.nearest(255, 255, 255), 0) << "no palette yet";
    matcher.set_palette(palette, 3);
    EXPECT_EQ(matcher.nearest(250, 10, 10), 2);
    EXPECT_EQ(matcher.nearest(200, 200, 200), 1);
    EXPECT_EQ(matcher.nearest(250, 10, 10), 2) << "cached";
    EXPECT_EQ(img_quant_nearest(1, 1, 1, 0, nullptr, nullptr, nullptr), 0);
}

} // namespace
