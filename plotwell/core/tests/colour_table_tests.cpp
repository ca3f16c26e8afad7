// The colour table: built-in entries, the colour file with its PostScript section, the RANGE ramp
// and REVERSE, and the picture fill helpers.
#include "colour_table.h"
#include "plot_test_support.h"

#include <gtest/gtest.h>

using namespace plotwell;
using plotwell_test::work_folder;

namespace {

struct table_fixture {
    work_folder folder;
    recording_device device;
    plot_settings ps{device};
    rgb_colour at(int i) const { return ps.colours.entries[i]; }
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
