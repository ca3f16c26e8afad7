#include "components/grid/ProgressShapes.h"

#include <gtest/gtest.h>

namespace {

struct ShapeSurface {
    explicit ShapeSurface(int w = 50, int h = 40) : dc(w, h)
    {
        dc.Recorder = &log;
        canvas.SetHandle(&dc);
    }
    ~ShapeSurface() { canvas.SetHandle(nullptr); }
    COLORREF At(int x, int y) { return GetPixel(&dc, x, y); }
    DeviceContext dc;
    TGdiRecorder log;
    TCanvas canvas;
};

constexpr COLORREF kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlack = 0;

} // namespace

TEST(ProgressShapes, ShapesAtTheirDefiningPoints)
{
    // every shape at (5, 5), 30 x 20, red with a black outline; points that must be filled
    // (red), covered (not white) and left (white)
    struct Case {
        int shape;
        std::vector<POINT> red, covered, white;
    };
    const Case cases[] = {
        {0, {{20, 15}}, {{6, 6}, {33, 23}}, {{5, 5}, {34, 24}}},
        {1, {{15, 15}}, {{5, 15}}, {{6, 6}, {30, 15}}},                       // a 20 x 20 circle
        {2, {{30, 15}}, {{7, 15}, {34, 6}}, {{6, 6}, {6, 24}}},               // pointing left
        {3, {{10, 15}}, {{33, 15}, {6, 6}}, {{33, 6}, {33, 24}}},             // pointing right
        {4, {{20, 20}}, {{20, 7}}, {{6, 6}, {34, 6}}},                        // pointing up
        {5, {{20, 10}}, {{20, 23}}, {{6, 23}, {34, 23}}},                     // pointing down
        {6, {{20, 15}}, {{7, 15}, {20, 6}}, {{6, 6}, {34, 24}}},              // diamond
        {7, {}, {{20, 6}, {20, 24}}, {{19, 15}, {22, 15}}},                   // vertical line
        {8, {}, {{6, 15}, {34, 15}}, {{20, 14}, {20, 17}}},                   // horizontal line
        {9, {{20, 15}}, {{20, 5}, {5, 15}}, {{5, 5}, {34, 24}}},              // rounded rectangle
        {10, {{20, 15}}, {{5, 15}, {34, 15}}, {{5, 5}, {34, 24}}},            // ellipse
        {11, {{15, 15}}, {{6, 6}, {23, 23}}, {{24, 24}, {30, 15}}},           // square
        {12, {{15, 15}}, {{15, 5}}, {{5, 5}, {30, 15}}},                      // rounded square
        {13, {{20, 15}}, {{20, 6}}, {{6, 6}, {34, 6}, {20, 24}}},             // star, tip at the top
        {14, {{19, 22}}, {{20, 7}}, {{8, 22}, {32, 22}}},                     // arrow up: stem below
        {15, {{19, 8}}, {{20, 23}}, {{8, 8}, {32, 8}}},                       // arrow down: stem above
        {16, {{28, 15}}, {{8, 15}}, {{28, 7}, {28, 23}}},                     // arrow left
        {17, {{12, 15}}, {{32, 15}}, {{12, 7}, {12, 23}}},                    // arrow right
        {18, {{16, 13}}, {{20, 6}}, {{28, 15}, {30, 8}}},                     // left half of the star
        {19, {}, {}, {{20, 15}, {6, 6}}},                                     // no such shape
    };
    for (const Case& c : cases) {
        ShapeSurface s;
        DrawCellShape(&s.canvas, 5, 5, 30, 20, uint8_t(c.shape), clRed, clBlack);
        for (const POINT& p : c.red)
            EXPECT_EQ(s.At(p.x, p.y), kRed) << "shape " << c.shape << " at " << p.x << "," << p.y;
        for (const POINT& p : c.covered)
            EXPECT_NE(s.At(p.x, p.y), kWhite) << "shape " << c.shape << " at " << p.x << "," << p.y;
        for (const POINT& p : c.white)
            EXPECT_EQ(s.At(p.x, p.y), kWhite) << "shape " << c.shape << " at " << p.x << "," << p.y;
    }
}

TEST(ProgressShapes, ValueBar)
{
    struct Case {
        int value;
        RECT bar;
        COLORREF color;
        String text;
    };
    const Case cases[] = {
        {200, {52, 2, 102, 18}, 0x00FF00, "100"}, // limited to max: the full half
        {0, {52, 2, 52, 18}, 0x00FF00, "0"},      // width 0 at the centre, positive colour
        {-50, {27, 2, 52, 18}, 0x0000FF, "-50"},
    };
    for (const Case& c : cases) {
        ShapeSurface s(110, 20);
        DrawValueBar(&s.canvas, TRect(0, 0, 104, 20), c.value, 100, true, clRed, clLime);
        const auto rects = s.log.Of("Rectangle");
        ASSERT_EQ(rects.size(), 1u);
        EXPECT_EQ(rects[0].Rect.left, c.bar.left) << c.value;
        EXPECT_EQ(rects[0].Rect.right, c.bar.right) << c.value;
        EXPECT_EQ(rects[0].BrushColor, c.color) << c.value;
        const auto texts = s.log.Of("DrawText");
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].Text, c.text);
        EXPECT_EQ(texts[0].Flags, UINT(DT_CENTER | DT_SINGLELINE));
    }
    ShapeSurface none(110, 20);
    DrawValueBar(&none.canvas, TRect(0, 0, 104, 20), 5, 0, true, clRed, clLime); // max 0: nothing
    EXPECT_TRUE(none.log.Records.empty());
}

TEST(ProgressShapes, SimpleProgressBar)
{
    struct Case {
        double value;
        int min, max;
        String format;
        String text;
        int doneRight;
    };
    const Case cases[] = {
        {42.6, 0, 0, "", "43%", 43},
        {50, 0, 200, "%.1f", "50.0", 25},
        {50, 0, 200, "%d items", "50 items", 25},
        {500, 0, 100, "%d", "500", 100}, // limited to the whole bar
        {5, 7, 7, "%d", "5", 0},         // max equal to min: nothing done
    };
    for (const Case& c : cases) {
        ShapeSurface s(110, 30);
        s.canvas.Brush->Color = clWhite;
        DrawSimpleProgressBar(&s.canvas, TRect(0, 0, 100, 20), clBlue, clWhite, clSilver, clBlack, c.value, 0, 0,
                              c.min, c.max, c.format, clNone, false);
        const auto parts = s.log.Of("ExtTextOutOpaque");
        ASSERT_EQ(parts.size(), 2u) << c.text;
        int written = 0;
        for (const TGdiRecord& r : s.log.Records)
            written += r.Op != "ExtTextOutOpaque" && r.Text == c.text;
        EXPECT_EQ(written, 2) << c.text; // the same text in both parts
        EXPECT_EQ(parts[0].Rect.right, c.doneRight) << c.text;
        EXPECT_EQ(parts[1].Rect.left, c.doneRight) << c.text;
        if (c.doneRight > 2)
            EXPECT_EQ(s.At(1, 1), COLORREF(0xFF0000)) << c.text;
        if (c.doneRight < 98)
            EXPECT_EQ(s.At(98, 1), COLORREF(0xC0C0C0)) << c.text;
    }
}

TEST(ProgressShapes, ProgressPie)
{
    for (int percent : {0, 25, 100}) {
        ShapeSurface s(30, 30);
        s.canvas.Brush->Color = clWhite;
        DrawProgressPie(&s.canvas, TRect(0, 0, 20, 20), clRed, percent, false);
        const bool whole = percent == 0 || percent == 100;
        EXPECT_EQ(s.At(15, 5), kRed) << percent;                         // just right of 12 o'clock
        EXPECT_EQ(s.At(5, 15) == kRed, whole) << percent;                // lower left
        EXPECT_EQ(s.At(25, 25), kWhite) << percent;                      // outside the circle
    }
}

TEST(ProgressShapes, LevelProgressBar)
{
    TProgressLook look;
    look.ShowGradient = false;
    look.ShowPercentage = false;
    look.Stacked = true;
    look.BackgroundColor = clWhite;
    {
        ShapeSurface s(110, 20);
        DrawProgressBar(&s.canvas, TRect(0, 0, 102, 20), 95, look);
        EXPECT_EQ(s.At(30, 10), COLORREF(0x00FF00));  // level 0 up to 70
        EXPECT_EQ(s.At(80, 10), COLORREF(0x00FFFF));  // level 1 up to 90
        EXPECT_EQ(s.At(93, 10), COLORREF(0x0000FF));  // then the complete colour
        EXPECT_EQ(s.At(98, 10), kWhite);
    }
    look.Stacked = false;
    look.ShowPercentage = true;
    {
        ShapeSurface s(110, 20);
        DrawProgressBar(&s.canvas, TRect(0, 0, 102, 20), 0, look);
        EXPECT_EQ(s.log.Count("FillRect"), 0); // only the outline and the text
        ASSERT_EQ(s.log.Of("TextOut").size(), 1u);
        EXPECT_EQ(s.log.Of("TextOut")[0].Text, "0%");
    }
    look.ShowPercentage = false;
    look.CompletionSmooth = false;
    {
        ShapeSurface s(110, 20);
        DrawProgressBar(&s.canvas, TRect(0, 0, 102, 20), 1, look); // a length of 1: no block
        EXPECT_EQ(s.log.Count("FillRect"), 0);
        s.log.Clear();
        DrawProgressBar(&s.canvas, TRect(0, 0, 102, 20), 30, look); // 30 pixels: 3 blocks and a rest of 3
        const auto blocks = s.log.Of("FillRect");
        ASSERT_EQ(blocks.size(), 4u);
        EXPECT_EQ(blocks[0].Rect.left, 2);
        EXPECT_EQ(blocks[0].Rect.right, 9);
        EXPECT_EQ(blocks[1].Rect.left, 11);
        EXPECT_EQ(blocks[3].Rect.left, 29);
        EXPECT_EQ(blocks[3].Rect.right, 31);
        EXPECT_EQ(blocks[0].Rect.top, 2);
    }
}
