#include "components/grid/DrawRoutines.h"
#include "components/grid/LayeredWindows.h"
#include "components/grid/PlusXPVS.h"
#include "platform/win/WinFrameControl.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A canvas on a white recording device.
struct DrawSurface {
    explicit DrawSurface(int w = 60, int h = 40) : dc(w, h)
    {
        dc.Recorder = &log;
        canvas.SetHandle(&dc);
    }
    ~DrawSurface() { canvas.SetHandle(nullptr); }
    COLORREF At(int x, int y) { return GetPixel(&dc, x, y); }
    DeviceContext dc;
    TGdiRecorder log;
    TCanvas canvas;
};

} // namespace

TEST(DrawRoutines, FillGradientBands)
{
    struct Case {
        int height;
        int bands;
    };
    for (const Case& c : {Case{10, 10}, Case{1, 2}, Case{0, 0}}) {
        DrawSurface s;
        FillGradient(&s.canvas, clRed, clBlue, 128, TRect(0, 5, 20, 5 + c.height), false);
        EXPECT_EQ(s.log.Count("Rectangle"), c.bands) << c.height;
    }
    DrawSurface s;
    FillGradient(&s.canvas, clRed, clBlue, 128, TRect(0, 0, 20, 10), false);
    const auto bands = s.log.Of("Rectangle");
    ASSERT_EQ(bands.size(), 10u);
    EXPECT_EQ(bands.front().BrushColor, COLORREF(0x0000FF));
    EXPECT_EQ(bands.back().BrushColor, COLORREF(0xFF0000)); // the last band has exactly toColor
    EXPECT_EQ(bands.back().Rect.top, 9);
    EXPECT_EQ(bands.back().Rect.bottom, 10);
    EXPECT_EQ(bands[3].Rect.top, 3);
    EXPECT_EQ(bands[3].Rect.bottom, 5);
    EXPECT_EQ(s.At(10, 0), COLORREF(0x0000FF));
    EXPECT_EQ(s.At(10, 9), COLORREF(0xFF0000));

    DrawSurface n;
    FillGradient(&n.canvas, clRed, clNone, 128, TRect(0, 0, 20, 10), true);
    ASSERT_EQ(n.log.Count("Rectangle"), 1);
    EXPECT_EQ(n.log.Records[0].BrushColor, COLORREF(0x0000FF));
    EXPECT_EQ(n.At(19, 9), COLORREF(0x0000FF));
}

TEST(DrawRoutines, GradientBackgroundFillAndBorder)
{
    DrawSurface s;
    DrawGradientBackground(&s.canvas, TRect(0, 0, 30, 20), clRed, clBlue, clNone, clNone, true, clBlack, false, false);
    EXPECT_EQ(s.log.Count("Rectangle"), 0);
    EXPECT_EQ(s.log.Count("FrameRect"), 1);
    s.log.Clear();
    DrawGradientBackground(&s.canvas, TRect(0, 0, 30, 20), clRed, clNone, clNone, clNone, true, clNone, false, true);
    ASSERT_EQ(s.log.Count("Rectangle"), 1);
    EXPECT_EQ(s.log.Records[0].Rect.bottom, 21); // the solid fill reaches one pixel further
    EXPECT_EQ(s.log.Count("FrameRect"), 0);
    s.log.Clear();
    DrawGradientBackground(&s.canvas, TRect(0, 0, 30, 20), clRed, clYellow, clGreen, clBlue, true, clNone, false, true);
    EXPECT_EQ(GetRValue(s.At(5, 0)), 255); // upper half: red to yellow
    EXPECT_EQ(GetBValue(s.At(5, 0)), 0);
    EXPECT_EQ(GetRValue(s.At(5, 19)), 0); // lower half: green to blue
    EXPECT_GT(GetBValue(s.At(5, 19)), 200);
    EXPECT_EQ(GradientColorAt(clBlack, clWhite, 0, 100, 40), TColor(0x666666));
    EXPECT_EQ(GradientColorAt(clRed, clNone, 0, 100, 50), clRed);
}

TEST(DrawRoutines, OfficeFrameKinds)
{
    DrawSurface s;
    const TRect r(10, 5, 40, 25); // L 10, T 5, R 39, B 23
    DrawOfficeButtonFrame(&s.canvas, clWhite, clNone, clNone, clNone, clSilver, clSilver, clRed, clGreen, clBlue, r, 3);
    EXPECT_EQ(s.log.Count("SetPixel"), 0); // no corners
    int outerLines = 0;
    for (const auto& rec : s.log.Of("LineTo")) {
        if (rec.PenColor != 0x0000FF)
            continue;
        ++outerLines;
        EXPECT_EQ(rec.Rect.left, 10);  // full width: from L
        EXPECT_EQ(rec.Rect.right, 39); // to R
        EXPECT_EQ(rec.Rect.top, rec.Rect.bottom); // horizontal only
    }
    EXPECT_EQ(outerLines, 2);
    DrawSurface k;
    DrawOfficeButtonFrame(&k.canvas, clWhite, clNone, clNone, clNone, clSilver, clSilver, clRed, clGreen, clBlue, r, 0);
    EXPECT_EQ(k.log.Count("SetPixel"), 16);
    EXPECT_EQ(k.At(10, 5), COLORREF(0xFF0000)); // corner outer colour (blue)
    EXPECT_EQ(k.At(11, 5), COLORREF(0x008000)); // corner colour
    EXPECT_EQ(k.At(12, 5), COLORREF(0x0000FF)); // outer line
    EXPECT_EQ(k.At(20, 12), COLORREF(0xFFFFFF));
}

TEST(DrawRoutines, CellButtonsInTheirStyles)
{
    TControlColorSet colors;
    struct Case {
        int style, state;
        UINT flags;
    };
    for (const Case& c : {Case{1, 2, 0x210}, Case{2, 1, 0x5010}, Case{1, 0, 0x10}, Case{2, 3, 0x4110}}) {
        DrawSurface s;
        DrawCellPushButton(&s.canvas, nullptr, TRect(0, 0, 40, 20), c.style, c.state, colors);
        ASSERT_EQ(s.log.Count("DrawFrameControl"), 1);
        EXPECT_EQ(s.log.Of("DrawFrameControl")[0].Flags, c.flags) << c.style << "/" << c.state;
    }
    // style 0 combo: only the normal or the disabled part state
    for (int state = 0; state < 4; ++state) {
        DrawSurface s;
        DrawCellComboButton(&s.canvas, nullptr, TRect(0, 0, 60, 20), 0, state, colors);
        ASSERT_EQ(s.log.Count("DrawThemeBackground"), 1) << state;
        const auto rec = s.log.Of("DrawThemeBackground")[0];
        EXPECT_EQ(rec.Points[0].y, state == 3 ? 4 : 1);
        EXPECT_EQ(rec.Rect.left, 60 - 17 - 2);
        EXPECT_EQ(rec.Rect.right, 58);
        EXPECT_EQ(rec.Rect.top, 1);
        EXPECT_EQ(rec.Rect.bottom, 19);
    }
    DrawSurface spin;
    DrawCellSpinButtons(&spin.canvas, nullptr, TRect(0, 0, 40, 20), 1, 3, colors);
    const auto parts = spin.log.Of("DrawFrameControl");
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].Flags, UINT(DFCS_SCROLLUP | DFCS_INACTIVE));
    EXPECT_EQ(parts[1].Flags, UINT(DFCS_SCROLLDOWN | DFCS_INACTIVE));
    EXPECT_EQ(parts[1].Rect.top, parts[0].Rect.bottom + 1);
    DrawSurface own;
    colors.Colors[0] = clYellow;
    DrawCellComboButton(&own.canvas, nullptr, TRect(0, 0, 60, 20), 3, 0, colors);
    EXPECT_EQ(own.log.Count("Polygon"), 1);
    EXPECT_EQ(own.At(50, 3), COLORREF(0x00FFFF));
}

TEST(DrawRoutines, ColourCalculationsAndSmallShapes)
{
    EXPECT_EQ(HalfColor(clWhite), TColor(0x7F7F7F));
    EXPECT_EQ(ScaleColorPercent(TColor(0xC8C8C8), -20), TColor(0xA0A0A0));
    EXPECT_EQ(ScaleColorPercent(TColor(0xC8), 50), TColor(0xFF)); // kept within 255
    EXPECT_EQ(HalfColor(clBtnFace), TColor(0x64686A));
    DrawSurface s;
    DrawSmallDownArrow(&s.canvas, 20, 10, clBlack);
    ASSERT_EQ(s.log.Count("Polygon"), 1);
    EXPECT_EQ(s.At(20, 11), COLORREF(0));
    FillRectColor(&s.canvas, TRect(30, 0, 35, 5), clRed);
    EXPECT_EQ(s.At(34, 4), COLORREF(0x0000FF));
    TBitmap bitmap;
    bitmap.SetSize(4, 4);
    bitmap.Canvas()->Brush->Color = clFuchsia;
    bitmap.Canvas()->FillRect(TRect(0, 0, 4, 4));
    bitmap.Canvas()->SetPixel(2, 2, clBlue);
    DrawTransparentBitmap(&s.canvas, &bitmap, clLime, TRect(40, 20, 50, 30));
    EXPECT_EQ(s.At(40, 20), COLORREF(0x00FF00)); // the transparent colour became the back colour
    EXPECT_EQ(s.At(42, 22), COLORREF(0xFF0000));
    EXPECT_EQ(s.At(44, 24), COLORREF(0xFFFFFF)); // only the bitmap's own size
}

TEST(VisualStyleBinding, BoundAtStartAndOnlyOnce)
{
    TThemeBinding& b = PlusXPVS();
    ASSERT_TRUE(b.Bound());
    EXPECT_NE(b.API().DrawThemeBackground, nullptr);
    EXPECT_NE(b.API().EnableTheming, nullptr);
    EXPECT_TRUE(b.API().IsThemeActive());
    const int loads = ModuleLoadCount("UXTHEME.DLL");
    BindThemeAPI();
    b.Bind();
    EXPECT_EQ(ModuleLoadCount("UXTHEME.DLL"), loads);
}

TEST(VisualStyleBinding, MissingModuleOrEntryLeavesItUnbound)
{
    {
        TThemeBinding b;
        b.Unbind(); // nothing to release
        EXPECT_FALSE(b.Bound());
        TModuleOverride absent("UXTHEME.DLL");
        b.Bind();
        EXPECT_FALSE(b.Bound());
        EXPECT_EQ(b.API().OpenThemeData, nullptr);
    }
    {
        const int loads = ModuleLoadCount("UXTHEME.DLL");
        TThemeBinding b;
        TModuleOverride missing("UXTHEME.DLL", "GetThemeIntList");
        b.Bind(); // no assertion, no end of the start
        EXPECT_FALSE(b.Bound());
        EXPECT_EQ(b.API().OpenThemeData, nullptr);
        EXPECT_EQ(ModuleLoadCount("UXTHEME.DLL"), loads); // released again
    }
    // the unbound grid family draws no themed parts and does not fail
    UnbindThemeAPI();
    EXPECT_FALSE(PlusXPVS().Bound());
    DeviceContext dc(40, 20);
    TGdiRecorder log;
    dc.Recorder = &log;
    TCanvas canvas;
    canvas.SetHandle(&dc);
    DrawCellComboButton(&canvas, nullptr, TRect(0, 0, 40, 20), 0, 0, TControlColorSet());
    EXPECT_EQ(log.Count("DrawThemeBackground"), 0);
    canvas.SetHandle(nullptr);
    PlusXPVS().Bind();
    EXPECT_TRUE(PlusXPVS().Bound());
}

TEST(LayeredWindows, MissingFunctionsCountAsSuccess)
{
    QWidget window;
    EXPECT_TRUE(CallSetLayeredWindowAttributes(&window, 0, 200, LWA_ALPHA));
    EXPECT_FALSE(CallSetLayeredWindowAttributes(nullptr, 0, 200, LWA_ALPHA)); // a zero result
    EXPECT_FALSE(CallUpdateLayeredWindow(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, 0));
    {
        TModuleOverride missing("USER32.DLL", "SetLayeredWindowAttributes");
        EXPECT_TRUE(CallSetLayeredWindowAttributes(nullptr, 0, 200, LWA_ALPHA));
    }
    {
        TModuleOverride absent("USER32.DLL");
        EXPECT_TRUE(CallUpdateLayeredWindow(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, 0));
    }
}
