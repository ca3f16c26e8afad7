#include "plotwell/app/imagelib/imagelib.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ImageBitmaps, DibOfWidthOneHasPaddedRows)
{
    const std::uint8_t image[] = {10, 20, 30, 40, 50, 60};
    img_error_scope scope;
    std::uint8_t* dib = img_rgb24_to_dib(scope, image, 1, 2);
    ASSERT_NE(dib, nullptr);
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib, 40);
    EXPECT_EQ(header.biSizeImage, 8u);
    EXPECT_EQ(header.biHeight, 2);
    const std::uint8_t expected[] = {60, 50, 40, 0, 30, 20, 10, 0};
    EXPECT_EQ(0, std::memcmp(dib + 40, expected, 8)) << "bottom row first, blue first";
    std::uint8_t back[6];
    EXPECT_EQ(img_dib_to_rgb24(scope, dib, back), 1);
    EXPECT_EQ(0, std::memcmp(back, image, 6));
    img_free(dib);
}

TEST(ImageBitmaps, BitmapRoundTrip)
{
    std::vector<std::uint8_t> image(3 * 2 * 3);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = std::uint8_t(i * 13);
    HBITMAP bitmap = img_rgb24_to_hbitmap(image.data(), 3, 2, nullptr, nullptr);
    ASSERT_NE(bitmap, nullptr);
    std::vector<std::uint8_t> back(image.size());
    EXPECT_EQ(img_hbitmap_to_rgb24(bitmap, nullptr, nullptr, back.data()), 0);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_RASTER_CAPS) << "a missing device context";
    auto* dc = reinterpret_cast<HDC>(bitmap); // any non-null context reads DIB bits
    ASSERT_EQ(img_hbitmap_to_rgb24(bitmap, dc, nullptr, back.data()), 1);
    EXPECT_EQ(back, image);
    DeleteObject(bitmap);

    img_get_thread_state()->use_dib_section = 1;
    HBITMAP section = img_rgb24_to_hbitmap(image.data(), 3, 2, nullptr, nullptr);
    img_get_thread_state()->use_dib_section = 0;
    ASSERT_NE(section, nullptr);
    EXPECT_TRUE(section->isDibSection());
    EXPECT_EQ(section->image.pixel(1, 0), qRgb(image[3], image[4], image[5]));
    DeleteObject(section);
}

TEST(ImageBitmaps, RowConversionsWithMasks)
{
    const std::uint32_t masks565[3] = {0xF800, 0x07E0, 0x001F};
    const std::uint8_t word[2] = {0xFF, 0xFF};
    std::uint8_t out[3];
    img_dib_row_to_rgb24(word, out, 1, 16, nullptr, 0, masks565);
    EXPECT_EQ(out[0], 0xF8);
    EXPECT_EQ(out[1], 0xFC);
    EXPECT_EQ(out[2], 0xF8);
    const std::uint32_t high8[3] = {0x01E0, 0, 0};
    const std::uint8_t w2[2] = {0xE0, 0x01}; // 0x01E0
    img_dib_row_to_rgb24(w2, out, 1, 16, nullptr, 0, high8);
    EXPECT_EQ(out[0], 0xF0) << "(w & mask) >> 1";
    const std::uint8_t w555[2] = {0x00, 0x7C};
    img_dib_row_to_rgb24(w555, out, 1, 16, nullptr, 0, nullptr);
    EXPECT_EQ(out[0], 0xF8);
    EXPECT_EQ(out[1], 0);
    const std::uint8_t table[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    const std::uint8_t bits[1] = {0x40};
    std::uint8_t two[6];
    img_dib_row_to_rgb24(bits, two, 2, 1, table, 2, nullptr);
    EXPECT_EQ(two[0], 0);
    EXPECT_EQ(two[3], 255);
}

TEST(ImageBitmaps, PaletteHandle)
{
    const std::uint8_t table[] = {0, 0, 255, 0, 255, 255, 255, 0};
    HPALETTE palette = img_create_palette(table, 2);
    ASSERT_NE(palette, nullptr);
    PALETTEENTRY entries[2];
    ASSERT_EQ(GetPaletteEntries(palette, 0, 2, entries), 2u);
    EXPECT_EQ(entries[0].peRed, 255);
    EXPECT_EQ(entries[0].peBlue, 0);
    EXPECT_EQ(entries[1].peGreen, 255);
    DeleteObject(palette);
}

} // namespace
