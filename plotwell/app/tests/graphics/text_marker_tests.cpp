// Texts with escape sequences, fonts, markers and circles on the GDI back end.
#include "plotwell/app/tests/graphics/graphics_test_support.h"
#include "plotwell/app/graphics/text_fonts.h"

#include <gtest/gtest.h>

using plotwell::test::gdi_page;

namespace {
std::vector<TGdiRecord> texts(const gdi_page& p) { return p.recorder.Of("TextOut"); }
} // namespace

TEST(GdiFonts, PixelHeightsFollowTheFamilyFactor)
{
    struct row { plotwell::font_family family; int pixels; };
    // height 2 % of a 500-unit viewport: 2 x 5 x factor
    for (const row& r : {row{plotwell::font_family::helvetica, 13}, row{plotwell::font_family::courier, 17},
                         row{plotwell::font_family::times, 15}}) {
        gdi_page page(500, 500);
        plotwell::text_font f;
        f.family = r.family;
        page.gr.gr_set_font(f);
        page.gr.gr_set_char_height(2);
        EXPECT_EQ(page.gr.font_pixel_height(), r.pixels);
    }
}

TEST(GdiText, SuperscriptIsRaisedSmallerAndThePenMovesOn)
{
    gdi_page page(500, 500);
    page.gr.gr_set_escape_char('#');
    page.gr.gr_set_window(0, 0, 100, 100);
    page.gr.gr_set_char_height(4);
    page.gr.gr_move_to(10, 50);
    page.gr.gr_text("m#P2#Pn");
    const auto t = texts(page);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].Text, "m");
    EXPECT_EQ(t[1].Text, "2");
    EXPECT_EQ(t[2].Text, "n");
    EXPECT_LT(t[1].Rect.top, t[0].Rect.top) << "raised";
    EXPECT_LT(-t[1].FontHeight, -t[0].FontHeight) << "smaller";
    EXPECT_GT(t[1].Rect.left, t[0].Rect.left);
    EXPECT_GT(t[2].Rect.left, t[1].Rect.left);
    EXPECT_EQ(t[2].Rect.top, t[0].Rect.top) << "back on the baseline";
    EXPECT_EQ(-t[2].FontHeight, -t[0].FontHeight);
}

TEST(GdiText, StackedScriptsStartAtTheSameX)
{
    gdi_page page(500, 500);
    page.gr.gr_set_escape_char('#');
    page.gr.gr_set_window(0, 0, 100, 100);
    page.gr.gr_set_char_height(4);
    page.gr.gr_move_to(10, 50);
    page.gr.gr_text("x#Pa#Bb#B#P");
    const auto t = texts(page);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[1].Text, "a");
    EXPECT_EQ(t[2].Text, "b");
    EXPECT_EQ(t[1].Rect.left, t[2].Rect.left);
    EXPECT_GT(t[2].Rect.top, t[1].Rect.top) << "the subscript lies below the superscript";
}

TEST(GdiText, AccentsTabsNewlinesAndCutSequences)
{
    struct row { const char* text; std::vector<std::string> drawn; };
    const row rows[] = {
        {"#Ca`", {"\xE0"}},                 // a with grave accent, one byte
        {"a\tb", {"a b"}},                  // tab is a blank
        {"ab\ncd", {"ab", "cd"}},           // newline ends the segment, same baseline
        {"ab#", {"ab"}},                    // escape as the last character ends the text
        {"ab#Cx", {"ab"}},                  // cut-short accent sequence
        {"a#Zb", {"aZb"}},                  // escape before any other letter is dropped
    };
    for (const row& r : rows) {
        gdi_page page(500, 500);
        page.gr.gr_set_escape_char('#');
        page.gr.gr_set_window(0, 0, 100, 100);
        page.gr.gr_set_char_height(4);
        page.gr.gr_move_to(10, 50);
        page.gr.gr_text(r.text);
        const auto t = texts(page);
        ASSERT_EQ(t.size(), r.drawn.size()) << r.text;
        for (std::size_t i = 0; i < t.size(); ++i) EXPECT_EQ(t[i].Text, r.drawn[i]) << r.text;
        if (t.size() == 2) {
            EXPECT_EQ(t[0].Rect.top, t[1].Rect.top);
            EXPECT_GT(t[1].Rect.left, t[0].Rect.left);
        }
    }
}

TEST(GdiText, TheTextExtendsTheDrawnAreaOverItsGlyphs)
{
    gdi_page page(500, 500);
    page.gr.gr_set_window(0, 0, 100, 100);
    page.gr.gr_set_char_height(4);
    page.gr.gr_move_to(10, 2);
    page.gr.drawn_extent.reset();
    page.gr.gr_move_to(10, 2);
    page.gr.gr_text("Title");
    EXPECT_LE(page.gr.drawn_extent.min_y, 490 - 20) << "the box reaches above the baseline";
    EXPECT_GE(page.gr.drawn_extent.max_y, 490);
}

TEST(Accents, CompositionTable)
{
    struct row { char base, mark; int code; };
    for (const row& r : {row{'a', '`', 224}, row{'A', 'o', 197}, row{'o', '/', 248}, row{'1', '2', 189}, row{'c', ',', 231},
                         row{'O', 'r', 174}, row{'y', '"', 255}, row{'q', 'q', 0}})
        EXPECT_EQ(plotwell::plot_graphics::compose_accented_char(r.base, r.mark), r.code) << r.base << r.mark;
}

TEST(Markers, FilledAndOpenShapesAndTheRestoredAttributes)
{
    struct row { int number; bool centre_coloured; };
    for (const row& r : {row{8, true}, row{5, false}, row{7, true}, row{3, false}, row{11, true}, row{10, false}, row{1, true}}) {
        gdi_page page(200, 200);
        page.gr.gr_set_window(0, 0, 100, 100);
        page.gr.gr_set_colour(2);
        page.gr.gr_set_line_type(4);
        page.gr.gr_set_line_width(3);
        page.gr.gr_set_fill_style(1);
        page.gr.gr_marker(50, 50, r.number, 10);
        EXPECT_EQ(page.pixel(100, 100) == 0xFF0000, r.centre_coloured) << "marker " << r.number;
        EXPECT_EQ(page.gr.line_type(), 4);
        EXPECT_EQ(page.gr.line_width(), 3);
        EXPECT_EQ(page.gr.fill_style(), 1);
        EXPECT_EQ(page.gr.current_colour(), 2);
    }
}

TEST(Markers, EveryNumberDrawsWithinItsBoxAndUnknownOnesDrawNothing)
{
    for (int number = 0; number <= 40; ++number) {
        gdi_page page(200, 200);
        page.gr.gr_set_window(0, 0, 100, 100);
        page.gr.gr_set_colour(2);
        page.ps.x_axis.min = 0;
        page.ps.x_axis.max = 10;
        page.gr.gr_set_marker_world_size(0.5); // 5 % of the axis: 5 world units, 10 pixels
        page.gr.gr_marker(50, 50, number, 10);
        int coloured = 0, outside = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                if (page.pixel(x, y) != 0xFFFFFF) {
                    ++coloured;
                    if (std::abs(x - 100) > 25 || std::abs(y - 100) > 25) ++outside;
                }
        const bool drawn = number >= 1 && number <= 19;
        EXPECT_EQ(coloured > 0, drawn) << "marker " << number;
        EXPECT_EQ(outside, 0) << "marker " << number;
    }
}

TEST(Markers, UserShapesFillAndOutlineInColourOne)
{
    gdi_page page(200, 200);
    page.gr.gr_set_window(0, 0, 100, 100);
    plotwell::marker_polygon square;
    square.colour = 2;
    square.mode = 1;
    square.xs = {-0.5f, 0.5f, 0.5f, -0.5f, -0.5f};
    square.ys = {-0.5f, -0.5f, 0.5f, 0.5f, -0.5f};
    page.gr.gr_define_marker_shape(3, {square});
    page.gr.gr_marker(50, 50, 23, 20);
    EXPECT_EQ(page.pixel(100, 100), 0xFF0000u);
    EXPECT_EQ(page.recorder.Count("Polygon"), 1);
    const auto outline = page.recorder.Of("Polyline");
    ASSERT_FALSE(outline.empty());
    EXPECT_EQ(outline.back().PenColor, RGB(0, 0, 0));
}

TEST(Circles, SeventeenPointsOfRadiusPointFourSevenFive)
{
    gdi_page page(200, 200);
    page.gr.gr_set_window(0, 0, 100, 100);
    page.gr.gr_set_fill_style(2);
    page.gr.gr_circle(50, 50, 20);
    const auto p = page.recorder.Of("Polygon");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].Points.size(), 17u);
    EXPECT_NEAR(p[0].Points[0].x, 100 - 19, 1); // 0.475 x 20 world units = 19 px at 2 px a unit
}
