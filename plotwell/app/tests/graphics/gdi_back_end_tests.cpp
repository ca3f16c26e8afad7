// The GDI back end: mapping, colours and pens, dash types, polygons, rectangles and fill patterns.
#include "plotwell/app/tests/graphics/graphics_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

using plotwell::test::gdi_page;

namespace {
const QRgb white = 0xFFFFFF, black = 0x000000, red = 0xFF0000;

double length(const POINT& a, const POINT& b) { return std::hypot(double(b.x - a.x), double(b.y - a.y)); }
} // namespace

TEST(GdiMapping, WorldOriginIsTheViewportCornerWhateverTheWindow)
{
    gdi_page page(200, 100);
    page.gr.gr_set_viewport(50, 20, 150, 80);
    page.gr.gr_set_window(10, 10, 20, 20);
    page.gr.gr_move_to(0, 0);
    page.gr.gr_line_to(10, 10);
    const auto lines = page.recorder.Of("Polyline");
    ASSERT_EQ(lines.size(), 1u);
    // world (0,0) at viewport (50, 20) from the bottom: device (50, 80); (10,10) is the far corner
    EXPECT_EQ(lines[0].Points[0].x, 50);
    EXPECT_EQ(lines[0].Points[0].y, 80);
    EXPECT_EQ(lines[0].Points[1].x, 150);
    EXPECT_EQ(lines[0].Points[1].y, 20);
}

TEST(GdiMapping, DeviceCoordinatesAreTruncatedAndTheViewportResetsTheWindow)
{
    gdi_page page(200, 100);
    page.gr.gr_set_window(0, 0, 200, 100); // lost by the next viewport
    page.gr.gr_set_viewport(0, 0, 200, 100);
    EXPECT_DOUBLE_EQ(page.gr.scale_x(), 1.0 / 200);
    page.gr.gr_set_window(0, 0, 200, 100);
    page.gr.gr_move_to(12.9, 50);
    page.gr.gr_line_to(-0.5, 50);
    const auto lines = page.recorder.Of("Polyline");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Points[0].x, 12);
    EXPECT_EQ(lines[0].Points[1].x, 0);
    EXPECT_EQ(page.gr.drawn_extent.min_x, 0);
    EXPECT_EQ(page.gr.drawn_extent.max_x, 13);
}

TEST(GdiColours, IndexesWrapAndPensFollowTheTruncatedWidth)
{
    gdi_page page(100, 100);
    page.gr.gr_set_colour(300);
    EXPECT_EQ(page.gr.current_colour(), 44);

    page.gr.gr_set_colour(2);
    page.gr.gr_set_line_width(1.2);
    HGDIOBJ pen1 = GetCurrentObject(&page.dc, OBJ_PEN);
    page.gr.gr_set_line_width(1.8);
    EXPECT_EQ(GetCurrentObject(&page.dc, OBJ_PEN), pen1) << "1.2 and 1.8 both make a pen of width 1";
    page.gr.gr_set_line_width(2.0);
    HGDIOBJ pen2 = GetCurrentObject(&page.dc, OBJ_PEN);
    LOGPEN lp;
    GetObject(pen2, sizeof lp, &lp);
    EXPECT_EQ(lp.lopnWidth.x, 2);
    EXPECT_EQ(lp.lopnColor, RGB(255, 0, 0));
}

TEST(GdiColours, LineTypeAboveTenIsRememberedButIgnored)
{
    gdi_page page(100, 100);
    page.gr.gr_set_line_type(3);
    page.gr.gr_set_line_type(11);
    EXPECT_EQ(page.gr.line_type(), 3);
}

TEST(GdiDashes, TypeThreeOnANarrowPageUsesTenUnitsAPercent)
{
    // a 500-unit page: 0.2 % and 0.4 % of the page become 2 and 4 device units
    gdi_page page(500, 100);
    page.gr.gr_set_window(0, 0, 500, 100);
    page.gr.gr_set_line_width(0);
    page.gr.gr_set_line_type(3);
    page.gr.gr_move_to(0, 50);
    page.gr.gr_line_to(60, 50);
    const auto dashes = page.recorder.Of("Polyline");
    ASSERT_GE(dashes.size(), 9u);
    for (std::size_t i = 0; i + 1 < dashes.size(); ++i) {
        EXPECT_NEAR(length(dashes[i].Points.front(), dashes[i].Points.back()), 2, 1) << "dash " << i;
        EXPECT_NEAR(dashes[i + 1].Points.front().x - dashes[i].Points.back().x, 4, 1) << "gap " << i;
    }
}

TEST(GdiDashes, TheDashRunsRoundCorners)
{
    gdi_page page(1000, 1000);
    page.gr.gr_set_window(0, 0, 1000, 1000);
    page.gr.gr_set_line_width(0);
    page.gr.gr_set_line_type(5); // 2 % dashes: 20 units
    const float xs[] = {0, 10, 10}, ys[] = {500, 500, 480};
    page.gr.gr_polyline(3, xs, ys);
    const auto dashes = page.recorder.Of("Polyline");
    ASSERT_GE(dashes.size(), 1u);
    ASSERT_EQ(dashes[0].Points.size(), 3u) << "first dash keeps the corner point";
    EXPECT_EQ(dashes[0].Points[1].x, 10);
    EXPECT_EQ(dashes[0].Points[1].y, 500);
    EXPECT_EQ(dashes[0].Points[2].y, 510);
}

TEST(GdiPolygons, DuplicatesAreDroppedAndFarPointsClamped)
{
    gdi_page page(100, 100);
    page.gr.gr_set_window(0, 0, 100, 100);
    page.gr.gr_set_colour(2);
    const float xs[] = {10, 10, 10, 40000, 50}, ys[] = {10, 10, 10, 10, 90};
    page.gr.gr_fill_area(5, xs, ys);
    const auto polygons = page.recorder.Of("Polygon");
    ASSERT_EQ(polygons.size(), 1u);
    ASSERT_EQ(polygons[0].Points.size(), 3u);
    EXPECT_EQ(polygons[0].Points[1].x, 32700);
}

TEST(GdiRectangles, OutlinedForStyleOneElseFilledWithoutOutline)
{
    gdi_page page(100, 100);
    page.gr.gr_set_window(0, 0, 100, 100);
    page.gr.gr_set_colour(2);
    page.gr.gr_set_fill_style(1);
    page.gr.gr_rectangle(10, 10, 40, 40);
    EXPECT_EQ(page.pixel(10, 75), red);
    EXPECT_EQ(page.pixel(25, 75), white);
    page.gr.gr_set_fill_style(2);
    page.gr.gr_rectangle(60, 10, 90, 40);
    EXPECT_EQ(page.pixel(75, 75), red);
    EXPECT_EQ(page.recorder.Count("FillRect"), 1);
}

TEST(GdiPatterns, KnownRowsAndTheirDrawing)
{
    using rows = std::array<std::uint8_t, 8>;
    EXPECT_EQ(plotwell::plot_graphics::pattern_rows(20), (rows{0xff, 0xff, 0xff, 0x00, 0xff, 0xff, 0xff, 0x00}));
    EXPECT_EQ(plotwell::plot_graphics::pattern_rows(99), (rows{0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f}));
    // the light screens grow denser
    auto painted = [](int n) {
        int count = 0;
        for (std::uint8_t r : plotwell::plot_graphics::pattern_rows(n))
            for (int b = 0; b < 8; ++b) count += !(r & (0x80 >> b));
        return count;
    };
    EXPECT_EQ(painted(1), 2);
    EXPECT_LT(painted(3), painted(10));
    EXPECT_LT(painted(10), painted(19));

    gdi_page page(64, 64);
    page.gr.gr_set_window(0, 0, 64, 64);
    plotwell::colour_table t;
    t.entries[0] = {255, 255, 255};
    t.entries[2] = {255, 0, 0};
    t.patterns[2] = 20;
    page.gr.gr_set_colour_table(t);
    page.gr.gr_set_colour(2);
    page.gr.gr_set_fill_style(2);
    page.gr.gr_rectangle(0, 0, 64, 64);
    // horizontal lines every fourth row, in the colour; white between them
    int coloured_rows = 0;
    for (int y = 0; y < 8; ++y) coloured_rows += page.pixel(5, y) == red;
    EXPECT_EQ(coloured_rows, 2);
    EXPECT_EQ(page.pixel(5, 0) == red, page.pixel(5, 4) == red);
    EXPECT_EQ(page.pixel(5, 1), white);
}

TEST(GdiPatterns, AForcedPatternWinsOverTheColoursOwn)
{
    gdi_page page(64, 64);
    page.gr.gr_set_window(0, 0, 64, 64);
    page.gr.gr_set_fill_pattern(99);
    page.gr.gr_set_colour(1);
    page.gr.gr_set_fill_style(2);
    page.gr.gr_rectangle(0, 0, 64, 64);
    // vertical bars: four painted, four white columns
    EXPECT_EQ(page.pixel(0, 10), black);
    EXPECT_EQ(page.pixel(3, 10), black);
    EXPECT_EQ(page.pixel(4, 10), white);
    EXPECT_EQ(page.pixel(7, 10), white);
}

// Bars drawn as one batch paint the same pixels, and grow the drawn extent as far, as the calls one
// bar after the other; dense bars narrower than a pixel frame each column with one segment.
TEST(GdiBars, ABatchPaintsWhatTheBarsOneByOnePaint)
{
    struct bar_case {
        const char* name;
        int count;
        double width;         // of a bar, in world units (the page is 0..1)
        double outline_width; // in line width units (a pen of that many pixels)
        bool outline;
        bool stacked;         // every second bar starts at the previous one's top
    };
    const bar_case cases[] = {
        {"dense, wide frames", 4000, 1.0 / 4000, 3.0, true, false},
        {"dense, thin frames", 4000, 1.0 / 4000, 1.0, true, false},
        {"dense, stacked", 4000, 1.0 / 4000, 2.0, true, true},
        {"bars across pixel edges", 900, 1.0 / 700, 2.0, true, false},
        {"wide bars with gaps", 40, 1.0 / 100, 2.0, true, false},
        {"fills only", 4000, 1.0 / 3000, 2.0, false, false},
    };
    for (const bar_case& c : cases) {
        std::vector<plotwell::bar_rectangle> bars;
        for (int i = 0; i < c.count; ++i) {
            const double x = (i + 0.5) / c.count;
            const double value = 0.5 + 0.4 * std::sin(i * 0.05) + 0.05 * std::sin(i * 1.7);
            const double base = c.stacked && i % 2 ? 0.5 + 0.2 * std::sin(i * 0.05) : 0.5;
            bars.push_back({x - c.width / 2, base, x + c.width / 2, value});
        }
        gdi_page one_by_one(160, 120), batch(160, 120);
        one_by_one.gr.graphics_layer::gr_bars(bars, 2, c.outline, c.outline_width);
        batch.gr.gr_bars(bars, 2, c.outline, c.outline_width);
        EXPECT_TRUE(*batch.dc.Image() == *one_by_one.dc.Image()) << c.name;
        EXPECT_EQ(batch.gr.drawn_extent.min_x, one_by_one.gr.drawn_extent.min_x) << c.name;
        EXPECT_EQ(batch.gr.drawn_extent.max_x, one_by_one.gr.drawn_extent.max_x) << c.name;
        EXPECT_EQ(batch.gr.drawn_extent.min_y, one_by_one.gr.drawn_extent.min_y) << c.name;
        EXPECT_EQ(batch.gr.drawn_extent.max_y, one_by_one.gr.drawn_extent.max_y) << c.name;
        EXPECT_EQ(batch.gr.current_colour(), one_by_one.gr.current_colour()) << c.name;
        if (c.outline && c.count >= 4000)
            EXPECT_LT(batch.recorder.Of("Polyline").size() * 10, one_by_one.recorder.Of("Polyline").size()) << c.name;
    }
}

// An area over a dense series paints the same pixels as the polygon of all its points, though
// the points running up and down one pixel column are left out of what is drawn.
TEST(GdiPolygons, ADenseAreaPaintsWhatAllItsPointsPaint)
{
    const int width = 160, height = 120, n = 20000;
    std::vector<float> xs, ys;
    for (int i = 0; i < n; ++i) {
        xs.push_back(static_cast<float>(i) / n);
        ys.push_back(static_cast<float>(0.5 + 0.3 * std::sin(i * 0.002) + 0.1 * std::sin(i * 0.9)));
    }
    xs.push_back(xs.back());
    ys.push_back(0.2f);
    xs.push_back(0);
    ys.push_back(0.2f);
    gdi_page area(width, height), whole(width, height);
    area.gr.gr_set_colour(2);
    area.gr.gr_set_fill_style(2);
    area.gr.gr_fill_area(static_cast<int>(xs.size()), xs.data(), ys.data());

    // the same polygon with every point, straight on the context
    whole.gr.gr_set_colour(2);
    whole.gr.gr_set_line_width(1.0);
    std::vector<POINT> points;
    for (std::size_t i = 0; i < xs.size(); ++i)
        points.push_back(POINT{static_cast<int>(xs[i] / whole.gr.scale_x()),
                               static_cast<int>(height - ys[i] / whole.gr.scale_y())});
    SetPolyFillMode(&whole.dc, ALTERNATE);
    Polygon(&whole.dc, points.data(), static_cast<int>(points.size()));

    EXPECT_TRUE(*area.dc.Image() == *whole.dc.Image());
    const auto drawn = area.recorder.Of("Polygon");
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_LT(drawn[0].Points.size(), 5u * width);
}
