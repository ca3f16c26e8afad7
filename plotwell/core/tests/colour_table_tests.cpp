// The colour table: built-in entries, the colour file with its PostScript section, the RANGE ramp
// and REVERSE, and the picture fill helpers.
#include "plotwell/core/colour_table.h"
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

using namespace plotwell;
using plotwell_test::work_folder;

namespace {

struct table_fixture {
    work_folder folder;
    recording_device device;
    plot_settings ps{device};
    rgb_colour at(int i) const { return ps.state.colours.entries[i]; }
};

rgb_colour grey(int v) { return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v)}; }

} // namespace

TEST(ColourTable, BuiltInGreysAndHues)
{
    colour_table t = builtin_colour_table();
    EXPECT_EQ(t.entries[0], grey(255));
    EXPECT_EQ(t.entries[1], grey(0));
    for (int i = 16; i < 32; ++i) EXPECT_EQ(t.entries[i], grey(16 * i - 241)) << i;
    // first hue block: red full, green rising, blue 0; then red falling while green is full
    EXPECT_EQ(t.entries[32], (rgb_colour{255, 0, 0}));
    EXPECT_EQ(t.entries[39], (rgb_colour{255, 255, 0}));
    EXPECT_EQ(t.entries[46], (rgb_colour{37, 255, 0}));
    EXPECT_EQ(t.entries[48], (rgb_colour{0, 255, 0}));
    // the second step starts after three channel pairs: full 235, third channel 40
    EXPECT_EQ(t.entries[80], (rgb_colour{235, 0, 40}));
}

TEST(ColourTable, ColourFileLinesAndTheirSections)
{
    table_fixture f;
    f.folder.write("xycolor.set", "* a comment\nbackground 0 0 0.5\ntextcolor 1 1 1\n5 1 0 0\n300 1 1 1\n"
                                  "POSTSCRIPT\n5 0 1 0\n");
    set_up_colour_table(f.ps);
    EXPECT_EQ(f.at(0), (rgb_colour{0, 0, 128}));
    EXPECT_EQ(f.at(1), grey(255));
    EXPECT_EQ(f.at(6), (rgb_colour{255, 0, 0}));
    EXPECT_EQ(f.at(2), (rgb_colour{0, 0, 128})); // BACKGROUND also colours the first class on the screen
    EXPECT_NE(f.device.log().find("gr_set_colour_table 0:0,0,128 1:255,255,255 2:0,0,128 6:255,0,0\n"), std::string::npos)
        << f.device.log();

    // monochrome PostScript reads only the section after the POSTSCRIPT line
    table_fixture m;
    m.folder.write("xycolor.set", "5 1 0 0\nPOSTSCRIPT\n5 0 1 0\n");
    m.ps.postscript_output = 1;
    set_up_colour_table(m.ps);
    EXPECT_EQ(m.at(6), (rgb_colour{0, 255, 0}));
}

TEST(ColourTable, RangeRampOverTheClassesAndReversed)
{
    for (bool reverse : {false, true}) {
        table_fixture f;
        f.folder.write("xycolor.set", "firstclass 0 0 0\nlastclass 1 1 1\n3 1 0 0\n9 0 0 1\n");
        f.ps.range_colours = 1;
        f.ps.reverse = reverse;
        f.ps.classes.resize(4);
        set_up_colour_table(f.ps);
        const int expected[] = {0, 85, 170, 255};
        for (int j = 0; j < 4; ++j) EXPECT_EQ(f.at(2 + j), grey(expected[reverse ? 3 - j : j])) << j << reverse;
        EXPECT_EQ(f.at(4), reverse ? grey(85) : grey(170)); // line "3" lies inside the ramp: passed over
        EXPECT_EQ(f.at(10), (rgb_colour{0, 0, 255}));      // line "9" lies beyond it
    }
}

TEST(ColourTable, PictureFillHelpers)
{
    // 2 x 1 picture: a near-white and a red pixel; doubling keeps the proportions
    std::vector<std::uint8_t> px = {250, 250, 250, 255, 0, 0};
    std::vector<std::uint8_t> big = resample_picture(px, 2, 1, 4, 2);
    ASSERT_EQ(big.size(), 24u);
    EXPECT_EQ(big[3 * 2], 255); // third pixel of the first row comes from the red one
    replace_picture_colour(px, {255, 255, 255}, {255, 255, 255}, 75);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[4], 0);
    EXPECT_TRUE(resample_picture(px, 3, 1, 4, 2).empty()); // too few pixels for the size given
}

TEST(ColourTable, PictureFillsReachTheLayerWhenThePageOpens)
{
    // the recording device reads no pictures: the request is logged and no fill is defined
    work_folder folder;
    folder.write("d.dat", "1 1\n2 2\n");
    folder.write("s.set", "XY_COLUMNS 1,2\nBITMAP_COLOR 4 brick.bmp 0;10 10\n");
    plotwell_test::drawing d("xy -c s.set d.dat");
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_EQ(plotwell_test::log_lines(d.log(), "load_bitmap_file"), (std::vector<std::string>{"load_bitmap_file \"brick.bmp\""}));
    EXPECT_TRUE(plotwell_test::log_lines(d.log(), "gr_define_fill_picture").empty());
}

namespace {
// A device that reads every picture as 100 x 50 white pixels.
class picture_device : public recording_device {
public:
    std::vector<std::uint8_t> load_bitmap_file(const std::string&, int& width, int& height) override
    {
        width = 100;
        height = 50;
        return std::vector<std::uint8_t>(100 * 50 * 3, 255);
    }
};
} // namespace

TEST(ColourTable, PictureFillsAreScaledToTheirRepeatCount)
{
    // 100 pixels wide with repeat 10 on a drawing area 400 pixels wide: 40 pixels wide, 20 high
    work_folder folder;
    picture_device device;
    plot_settings ps(device);
    ps.picture_fills[5].file = "brick.bmp";
    ps.picture_fills[5].third = 10;
    ps.picture_fills[5].transparent = 0;
    prepare_bitmap_fills(ps, 400);
    EXPECT_EQ(plotwell_test::log_lines(device.log(), "gr_define_fill_picture"),
              (std::vector<std::string>{"gr_define_fill_picture 5 40 20 0"}));
}

TEST(ColourTable, EachCallOfAJobReadsItsOwnColourFile)
{
    work_folder folder;
    folder.write("d.dat", "1 1\n2 2\n");
    folder.write("red.set", "5 1 0 0\n");
    folder.write("blue.set", "5 0 0 1\n");
    folder.write("a.set", "XY_COLUMNS 1,2\nCOLORFILE red.set\n");
    folder.write("b.set", "XY_COLUMNS 1,2\nCOLORFILE blue.set\n");
    folder.write("two.job", "xy -V 0,0,50,100 -c a.set d.dat\nxy -V 50,0,100,100 -c b.set d.dat\n");
    plotwell_test::drawing d("xy -j two.job");
    ASSERT_TRUE(d.run()) << d.error;
    const std::vector<std::string> tables = plotwell_test::log_lines(d.log(), "gr_set_colour_table");
    ASSERT_EQ(tables.size(), 2u) << d.log();
    EXPECT_NE(tables[0].find(" 6:255,0,0"), std::string::npos) << tables[0];
    EXPECT_NE(tables[1].find(" 6:0,0,255"), std::string::npos) << tables[1];
    // the second table comes after the first graph's drawing, before the second graph's frame
    const size_t second = d.log().find(tables[1]);
    EXPECT_NE(d.log().rfind("gr_polyline", second), std::string::npos);
}
