#include "DrawRoutines.h"
#include "PlusObj.h"

#include <gtest/gtest.h>

namespace {

int Red(TBitmap* b, int x, int y)
{
    return GetRValue(ColorToRGB(b->Canvas()->Pixels(x, y)));
}

} // namespace

TEST(GridOverlays, RoundRectMaskAndBlur)
{
    // without blur (0 or negative radius) the edge stays hard
    for (double radius : {0.0, -2.0}) {
        TBitmap m;
        DrawRoundRectMask(&m, 30, 30, 0, 5, radius);
        EXPECT_EQ(Red(&m, 15, 15), 255);
        EXPECT_EQ(Red(&m, 1, 15), 0);
    }
    TBitmap blurred;
    DrawRoundRectMask(&blurred, 30, 30, 0, 5, 3);
    EXPECT_GT(Red(&blurred, 1, 15), 0);  // the edge spreads out
    EXPECT_LT(Red(&blurred, 2, 15), 255);
    EXPECT_EQ(Red(&blurred, 15, 15), 255);

    TBitmap big;
    DrawRoundRectMask(&big, 100, 100, 4, 5, 3);
    for (int y : {30, 60, 79}) // interior rows are copies, far from the rounded ends alike
        for (int x : {0, 3, 50, 97})
            EXPECT_EQ(big.Canvas()->Pixels(x, y), big.Canvas()->Pixels(x, 50)) << x << "," << y;
    EXPECT_GT(Red(&big, 4, 50), 100); // the blurred outline
    EXPECT_LT(Red(&big, 50, 50), 10); // the hollow middle

    TBitmap white;
    white.PixelFormat = pf24bit;
    white.SetSize(12, 12);
    FillRectColor(white.Canvas(), TRect(0, 0, 12, 12), clWhite);
    BlurBitmap(&white, 2.5);
    EXPECT_EQ(Red(&white, 0, 0), 255); // 255 stays 255
    EXPECT_EQ(Red(&white, 6, 6), 255);

    TBitmap other;
    other.PixelFormat = pf32bit;
    other.SetSize(4, 4);
    EXPECT_THROW(BlurBitmap(&other, 2), Exception);
}

TEST(GridOverlays, AlphaMaskFromMask)
{
    TBitmap mask, picture;
    mask.PixelFormat = picture.PixelFormat = pf24bit;
    mask.SetSize(3, 1);
    picture.SetSize(3, 1);
    mask.Canvas()->SetPixel(0, 0, TColor(RGB(0, 0, 0)));
    mask.Canvas()->SetPixel(1, 0, TColor(RGB(255, 0, 0)));
    mask.Canvas()->SetPixel(2, 0, TColor(RGB(128, 0, 0)));
    for (int x = 0; x < 3; ++x)
        picture.Canvas()->SetPixel(x, 0, TColor(RGB(0x97, 0xD3, 0xFD)));
    TGridAlphaMask alpha;
    alpha.BuildFromMask(&mask, &picture, clNone);
    EXPECT_EQ(alpha.PixelBGRA(0, 0), 0u);                   // transparent black
    EXPECT_EQ(alpha.PixelBGRA(1, 0), 0xFF97D3FDu);          // unchanged, opaque
    EXPECT_EQ(alpha.PixelBGRA(2, 0) >> 24, 128u);
    EXPECT_EQ((alpha.PixelBGRA(2, 0) >> 16) & 0xFF, 76u);   // 0x97 x 128 / 255 = 75.8
    TGridAlphaMask copy;
    alpha.MaskOpacity = 230;
    copy.Assign(&alpha);
    EXPECT_EQ(copy.MaskOpacity, 230);
    EXPECT_EQ(copy.PixelBGRA(1, 0), 0xFF97D3FDu);
}

TEST(GridOverlays, ArrowsAndPopupButton)
{
    const auto up = ArrowWindowPoints(0);
    ASSERT_EQ(up.size(), 7u);
    EXPECT_EQ(up[0], TPoint(5, 0));
    EXPECT_EQ(ArrowWindowPoints(3)[3], TPoint(8, 7));
    for (const TPoint& p : ArrowWindowPoints(4))
        EXPECT_EQ(p, TPoint(0, 0)); // no such direction: a degenerate outline

    TPopupButton b(nullptr);
    b.SetBounds(0, 0, 80, 20);
    b.GradFrom = clYellow;
    b.GradTo = clYellow;
    b.GradMirrorFrom = clYellow;
    b.GradMirrorTo = clYellow;
    b.SetCaption("<b>Sort</b>");
    DeviceContext dc(80, 20);
    TGdiRecorder log;
    dc.Recorder = &log;
    b.Perform(WM_PAINT, WPARAM(&dc), 0);
    EXPECT_EQ(GetPixel(&dc, 0, 0), COLORREF(0xFFFFFF)); // the raised frame
    EXPECT_EQ(GetPixel(&dc, 79, 19), COLORREF(0x808080));
    EXPECT_EQ(GetPixel(&dc, 40, 18), COLORREF(0x00FFFF));
    bool sort = false;
    for (const TGdiRecord& r : log.Of("DrawText"))
        sort = sort || r.Text == "Sort";
    EXPECT_TRUE(sort); // the mini-HTML caption without its tags
}
