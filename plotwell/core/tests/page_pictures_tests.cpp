// Pictures on the page: rectangles in the graph viewport, aspect keeping, pictures cut at the axes.
#include "plotwell/core/page_pictures.h"
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

using namespace plotwell;
using plotwell_test::drawing;
using plotwell_test::log_lines;
using plotwell_test::work_folder;

namespace {

struct picture_fixture {
    recording_device device{1000, 1000};
    plot_settings ps{device};
    picture_fixture()
    {
        ps.viewport_x1 = ps.viewport_y1 = 0;
        ps.viewport_x2 = ps.viewport_y2 = 100;
        ps.state.frame_left = ps.state.frame_bottom = 10;
        ps.state.frame_width = ps.state.frame_height = 80;
        ps.x_axis.min = 0;
        ps.x_axis.max = 10;
        ps.y1_axis.min = 0;
        ps.y1_axis.max = 10;
    }
    bool place(const std::string& line, bool page_mode, picture_placement& pl)
    {
        return place_picture(ps, split_fields(line, ' ', 10), page_mode, false, pl);
    }
};

} // namespace

TEST(PagePictures, RectanglesOfEachMode)
{
    picture_fixture f;
    picture_placement pl;
    ASSERT_TRUE(f.place("DRAW_BITMAP logo.bmp", true, pl));
    EXPECT_TRUE(pl.whole_device);
    EXPECT_FALSE(f.place("DRAW_BITMAP logo.bmp", false, pl)); // a page picture is not drawn with the others

    // mode 0: percent of the graph viewport; R keeps the (here unknown, so square) aspect from the height
    ASSERT_TRUE(f.place("DRAW_BITMAP logo.bmp 0,2;50,3 10,10,R,30", true, pl));
    EXPECT_DOUBLE_EQ(pl.x2, 30);
    EXPECT_DOUBLE_EQ(pl.y2, 30);
    EXPECT_EQ(pl.transparent_colour, 3);
    EXPECT_EQ(pl.tolerance, 97537);
    EXPECT_EQ(pl.option, 3);

    // mode 1: percent of the frame
    ASSERT_TRUE(f.place("DRAW_BITMAP logo.bmp 1 0,0,50,50", false, pl));
    EXPECT_DOUBLE_EQ(pl.x1, 10);
    EXPECT_DOUBLE_EQ(pl.x2, 50);
}

TEST(PagePictures, WorldRectanglesAreCutAtTheAxes)
{
    picture_fixture f;
    picture_placement pl;
    EXPECT_FALSE(f.place("DRAW_BITMAP p.bmp 2 -5,0,-1,5", false, pl)); // wholly left of the x range
    ASSERT_TRUE(f.place("DRAW_BITMAP p.bmp 2 -5,0,5,10", false, pl));  // over the left edge: cut there
    EXPECT_DOUBLE_EQ(pl.cut_left, 0.5);
    EXPECT_DOUBLE_EQ(pl.cut_right, 0);
    EXPECT_DOUBLE_EQ(pl.x1, 10);
    EXPECT_DOUBLE_EQ(pl.x2, 50);
}

TEST(PagePictures, TwoAspectCoordinatesAreRefused)
{
    picture_fixture f;
    picture_placement pl;
    try {
        f.place("DRAW_BITMAP logo.bmp 0 R,10,R,30", true, pl);
        ADD_FAILURE() << "not refused";
    } catch (const plot_error& e) {
        EXPECT_STREQ(e.what(), "Only one coordinate can be written as 'R' to maintain the aspect ratio of the bitmap");
    }
}

TEST(PagePictures, PhasesOfADrawing)
{
    work_folder folder;
    folder.write("d.dat", "1 1\n2 2\n");
    folder.write("s.set", "XY_COLUMNS 1,2\nDRAW_BITMAP under.bmp 0 0,0,10,10\nBITMAP_AFTER\n"
                          "DRAW_BITMAP over.bmp 1 0,0,10,10\nDRAW_BITMAP last.bmp\n");
    drawing d("xy -c s.set d.dat");
    ASSERT_TRUE(d.run()) << d.error;
    std::vector<std::string> pictures = log_lines(d.log(), "gr_draw_picture");
    ASSERT_EQ(pictures.size(), 3u);
    EXPECT_EQ(pictures[0].rfind("gr_draw_picture \"under.bmp\"", 0), 0u);
    EXPECT_EQ(pictures[1].rfind("gr_draw_picture \"over.bmp\"", 0), 0u);
    EXPECT_EQ(pictures[2], "gr_draw_picture \"last.bmp\" whole transparent -1 2000 option 0");
}
