#include "platform/win/WinBitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<BYTE> Info24(int width, int height)
{
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 16, 0);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    h->biSize = 40;
    h->biWidth = width;
    h->biHeight = height;
    h->biPlanes = 1;
    h->biBitCount = 24;
    h->biCompression = BI_RGB;
    return info;
}

TEST(WinBitmap, DibRowsRoundTripThroughABitmap)
{
    // 1 x 2 picture, bottom row first: bottom blue, top red; rows padded to 4 bytes.
    const BYTE bits[] = {255, 0, 0, 0, 0, 0, 255, 0};
    auto info = Info24(1, 2);
    auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
    HBITMAP bitmap = CreateDIBitmap(nullptr, &bi->bmiHeader, CBM_INIT, bits, bi, DIB_RGB_COLORS);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(bitmap->image.pixel(0, 1), qRgb(0, 0, 255));

    BITMAP bm{};
    ASSERT_EQ(GetObject(bitmap, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(GetObjectType(bitmap), DWORD(OBJ_BITMAP));

    auto query = Info24(0, 0);
    auto* qi = reinterpret_cast<BITMAPINFO*>(query.data());
    ASSERT_EQ(GetDIBits(nullptr, bitmap, 0, 2, nullptr, qi, DIB_RGB_COLORS), 1);
    EXPECT_EQ(qi->bmiHeader.biSizeImage, 8u);
    BYTE back[8];
    std::memset(back, 0xAA, sizeof back);
    ASSERT_EQ(GetDIBits(nullptr, bitmap, 0, 2, back, qi, DIB_RGB_COLORS), 2);
    EXPECT_EQ(0, std::memcmp(back, bits, sizeof back));

    bitmap->selectCount = 1;
    EXPECT_FALSE(DeleteObject(bitmap)) << "a selected bitmap stays";
    bitmap->selectCount = 0;
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(WinBitmap, SixteenBitMasksAndDibSection)
{
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 12, 0);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    *h = BITMAPINFOHEADER{40, 2, -1, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0};
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info.data() + 40, masks, sizeof masks);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()),
                                       DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    ASSERT_NE(bits, nullptr);
    const BYTE words[4] = {0x00, 0xF8, 0x1F, 0x00}; // pure red, pure blue (5-6-5)
    std::memcpy(bits, words, sizeof words);
    section->BitsChanged();
    EXPECT_EQ(section->image.pixel(0, 0), qRgb(0xF8, 0, 0));
    EXPECT_EQ(section->image.pixel(1, 0), qRgb(0, 0, 0xF8));
    DeleteObject(section);
}

TEST(WinBitmap, PaletteEntriesAndHostileSizes)
{
    std::vector<BYTE> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY), 0);
    auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 2;
    PALETTEENTRY* entries = lp->palPalEntry;
    entries[0] = {255, 0, 0, 0};
    entries[1] = {255, 255, 255, 0};
    HPALETTE palette = CreatePalette(lp);
    ASSERT_NE(palette, nullptr);
    WORD count = 0;
    EXPECT_EQ(GetObject(palette, sizeof count, &count), 2);
    EXPECT_EQ(count, 2);
    PALETTEENTRY out[2];
    ASSERT_EQ(GetPaletteEntries(palette, 0, 2, out), 2u);
    EXPECT_EQ(out[0].peRed, 255);
    EXPECT_EQ(out[1].peBlue, 255);
    DeleteObject(palette);

    EXPECT_EQ(CreateBitmap(0, 5, 1, 32, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(1 << 20, 1 << 20, 1, 32, nullptr), nullptr);
    HBITMAP mono = CreateBitmap(9, 1, 1, 1, "\xFF\x80");
    ASSERT_NE(mono, nullptr);
    EXPECT_EQ(mono->image.pixelIndex(8, 0), 1);
    DeleteObject(mono);
}

} // namespace
