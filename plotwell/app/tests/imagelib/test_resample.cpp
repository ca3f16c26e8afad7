#include "plotwell/app/imagelib/imagelib.h"

#include <gtest/gtest.h>

namespace {

using bytes = std::vector<std::uint8_t>;

TEST(ImageResample, EqualSizesCopy)
{
    const bytes image = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    bytes out(12);
    ASSERT_EQ(img_resample(image.data(), 2, 2, out.data(), 2, 2, 3), 1);
    EXPECT_EQ(out, image);
    out.assign(12, 0);
    ASSERT_EQ(img_resize_rgb24(image.data(), 2, 2, out.data(), 2, 2, 0xFFFFFFFF), 1);
    EXPECT_EQ(out, image);
    out.assign(12, 0);
    ASSERT_EQ(img_resize_nearest(image.data(), 2, 2, 3, out.data(), 2, 2), 1);
    EXPECT_EQ(out, image);
    const bytes indexes = {0, 1, 1, 0};
    bytes out8(4);
    const std::uint8_t palette[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    ASSERT_EQ(img_resize_palette8(indexes.data(), 2, 2, out8.data(), 2, 2, 2, palette), 1);
    EXPECT_EQ(out8, indexes);
}

TEST(ImageResample, DoublingRepeatsTheLastColumn)
{
    const bytes row = {0, 100};
    bytes out(4);
    ASSERT_EQ(img_resample(row.data(), 2, 1, out.data(), 4, 1, 1), 1);
    EXPECT_EQ(out, (bytes{0, 50, 100, 100}));
    ASSERT_EQ(img_resize_nearest(row.data(), 2, 1, 1, out.data(), 4, 1), 1);
    EXPECT_EQ(out, (bytes{0, 0, 100, 100}));
}

TEST(ImageResample, KeyColourIsNeverBlended)
{
    // Red key beside blue: every result is red or blue, never a mix; at halfway the second.
    const bytes row = {255, 0, 0, 0, 0, 255};
    bytes out(4 * 3);
    ASSERT_EQ(img_resize_rgb24(row.data(), 2, 1, out.data(), 4, 1, 0x0000FF), 1);
    EXPECT_EQ(out, (bytes{255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255}));
    ASSERT_EQ(img_resize_rgb24(row.data(), 2, 1, out.data(), 4, 1, 0xFFFFFFFF), 1);
    EXPECT_EQ(out[3], 127) << "without a key the colours blend";
    EXPECT_EQ(img_resize_rgb24(row.data(), 0, 1, out.data(), 4, 1, 0), 0);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_ARGUMENT);
}

TEST(ImageResample, CropBounds)
{
    const bytes image = {1, 2, 3, 4, 5, 6};
    bytes out(6);
    ASSERT_EQ(img_crop(image.data(), 3, 2, out.data(), 1, 0, 2, 2, 1), 1);
    EXPECT_EQ(bytes(out.begin(), out.begin() + 4), (bytes{2, 3, 5, 6}));
    EXPECT_EQ(img_crop(image.data(), 3, 2, out.data(), 1, 0, 3, 2, 1), 0);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_ARGUMENT);
    EXPECT_EQ(img_crop(image.data(), 3, 2, out.data(), 0xFFFFFFFF, 0, 2, 1, 1), 0);

    bytes rgb(4 * 4 * 3, 9), dest(2 * 2 * 3);
    EXPECT_EQ(img_crop_resize_rgb24(rgb.data(), 4, 4, 1, 1, 1, 2, dest.data(), 2, 2), 0)
        << "a cut must be at least 2 pixels wide";
    ASSERT_EQ(img_crop_resize_rgb24(rgb.data(), 4, 4, 1, 1, 2, 2, dest.data(), 2, 2), 1);
    EXPECT_EQ(dest, bytes(12, 9));
}

TEST(ImageResample, BoxFilterDoublesARow)
{
    const bytes row = {10, 200};
    bytes out(4);
    ASSERT_EQ(img_resample_filtered(row.data(), 2, 1, out.data(), 4, 1, 1, 0), 1);
    EXPECT_EQ(out, (bytes{10, 10, 200, 200}));
    EXPECT_EQ(img_resample_filtered(row.data(), 2, 1, out.data(), 4, 1, 1, 14), 0);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_ARGUMENT);
}

TEST(ImageResample, KernelTable)
{
    const struct { int filter; double x, value; } cases[] = {
        {0, -0.5, 0}, {0, 0.5, 1}, {1, 0.25, 0.75}, {2, 0, 1}, {3, 0, 0.7978845608},
        {4, 0, 0.75}, {4, 1, 0.125}, {5, 0, 2.0 / 3}, {5, 1, 1.0 / 6}, {6, 0.5, 0.5},
        {7, 1.5, 0.125 / 6}, {8, 0, 1}, {8, 3, 0}, {9, 0, 16.0 / 18}, {10, 1, 0},
        {11, 1, 0}, {12, 0, 1}, {13, 0, 1}, {13, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(img_filter_kernel(c.filter, c.x), c.value, 1e-9) << "filter " << c.filter;
    EXPECT_EQ(img_round_half_away(-2.5), -3);
    EXPECT_EQ(img_round_half_away(2.5), 3);
}

TEST(ImageResample, EveryFilterKeepsFlatAreasAndSmallSources)
{
    const bytes flat(5 * 3 * 3, 77);
    const bytes one = {1, 2, 3};
    for (int filter = 0; filter < 14; ++filter) {
        bytes out(9 * 7 * 3, 0);
        ASSERT_EQ(img_resample_filtered(flat.data(), 5, 3, out.data(), 9, 7, 3, filter), 1);
        EXPECT_EQ(out, bytes(out.size(), 77)) << "filter " << filter;
        bytes small(2 * 3, 0);
        ASSERT_EQ(img_resample_filtered(flat.data(), 5, 3, small.data(), 2, 1, 3, filter), 1);
        EXPECT_EQ(small, bytes(6, 77)) << "filter " << filter << " shrinking";
        bytes wide(4 * 3);
        ASSERT_EQ(img_resample_filtered(one.data(), 1, 1, wide.data(), 4, 1, 3, filter), 1)
            << "a one-pixel source stays inside its bounds";
        EXPECT_EQ(wide[0], 1);
    }
}

TEST(ImageResample, PaletteResizeBlendsThroughThePalette)
{
    const std::uint8_t palette[12] = {0, 0, 0, 0, 255, 255, 255, 0, 128, 128, 128, 0};
    const bytes row = {0, 1};
    bytes out(3);
    ASSERT_EQ(img_resize_palette8(row.data(), 2, 1, out.data(), 3, 1, 3, palette), 1);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 2) << "the blend of black and white is nearest to grey";
    EXPECT_EQ(out[2], 1);
}

} // namespace
