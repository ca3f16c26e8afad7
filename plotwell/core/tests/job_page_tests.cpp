// Job pages: a page without graphs, the box modes, markers without their number, page shapes.
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

using namespace plotwell;
using plotwell_test::drawing;
using plotwell_test::log_lines;
using plotwell_test::work_folder;

TEST(JobPage, WithoutGraphsThePageIsStillFilledAndDecorated)
{
    work_folder folder;
    folder.write("p.job", "TITLE 'alone' 10,10\nMARKER 50,50\n");
    drawing d("xy -j p.job");
    ASSERT_TRUE(d.run()) << d.error;
    const std::string& log = d.log();
    EXPECT_EQ(log.rfind("gr_open_workstation\n", 0), 0u) << log;
    EXPECT_NE(log.find("gr_set_colour 0\ngr_set_fill_style 2\ngr_rectangle 0 0 100 100\n"), std::string::npos) << log;
    EXPECT_EQ(log_lines(log, "gr_text"), (std::vector<std::string>{"gr_text \"alone\""}));
    EXPECT_TRUE(log_lines(log, "gr_marker").empty()); // a marker line with only a position
    EXPECT_EQ(log_lines(log, "gr_close_workstation").size(), 1u);
}

TEST(JobPage, BoxModes)
{
    struct box_case {
        const char* line;
        std::vector<std::string> expected; // the calls from the first fill style on
    } cases[] = {
        {"BOX 10,10,20,20 4 1", {"gr_set_fill_style 2", "gr_set_colour 5", "gr_rectangle 10 10 20 20"}},
        {"BOX 10,10,20,20 4 2",
         {"gr_set_colour 5", "gr_set_fill_style 1", "gr_set_line_type 1", "gr_rectangle 10 10 20 20", "gr_set_fill_style 2"}},
        {"BOX 10,10,20,20 4 3 7",
         {"gr_set_fill_pattern 7", "gr_set_fill_style 2", "gr_set_colour 5", "gr_rectangle 10 10 20 20", "gr_set_colour 1",
          "gr_set_fill_style 1", "gr_set_line_type 1", "gr_rectangle 10 10 20 20", "gr_set_fill_style 2",
          "gr_set_fill_pattern 0"}},
    };
    for (const box_case& c : cases) {
        SCOPED_TRACE(c.line);
        work_folder folder;
        folder.write("p.job", std::string(c.line) + "\n");
        drawing d("xy -j p.job");
        ASSERT_TRUE(d.run()) << d.error;
        // the decorations follow the last window of the page set-up
        const std::string& log = d.log();
        const size_t start = log.rfind("gr_set_window 0 0 100 100\n") + 26;
        std::vector<std::string> calls;
        for (size_t p = start; p < log.size();) {
            size_t e = log.find('\n', p);
            calls.push_back(log.substr(p, e - p));
            p = e + 1;
        }
        calls.resize(std::min(calls.size(), c.expected.size()));
        EXPECT_EQ(calls, c.expected);
    }
}

TEST(JobPage, OnlyTheFirstPageShapeCounts)
{
    work_folder folder;
    folder.write("p.job", "LANDSCAPE\nPORTRAIT\n");
    drawing d("xy -j p.job");
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_EQ(d.ps.page_shape, 'l');
    EXPECT_EQ(d.ps.page_scale_x, 1.0f);
    EXPECT_NE(d.ps.page_scale_y, 1.0f);
}

TEST(JobPage, CoordinateWordsAreChecked)
{
    work_folder folder;
    folder.write("p.job", "LINE 1,2,3\n");
    drawing d("xy -j p.job");
    EXPECT_FALSE(d.run());
    EXPECT_EQ(d.error, "LINE setting needs 4 coordinates ','-seperated\n");
    folder.write("p.job", "TITLE 'x' 1\n");
    EXPECT_FALSE(d.run());
    EXPECT_EQ(d.error, "TITLE IN JOBFILE setting needs 2 coordinates ','-seperated\n");
}

TEST(PageTexts, TheZoomedMapViewLeavesOutItsOwnReadOut)
{
    work_folder folder;
    folder.write("m.asc", "ncols 2\r\nnrows 2\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\n1 2\r\n2 1\r\n");
    folder.write("s.set", "DRAW_MAP ! m.asc\nTEXT 'X: 1 Y: 2 schaal 1:10' 1,1\nTEXT 'kept' 1,5\n");
    for (bool zoomed : {false, true}) {
        drawing d("xy -c s.set");
        d.ps.app.zoom_shown = zoomed;
        d.ps.app.zoom_x1 = d.ps.app.zoom_y1 = 0;
        d.ps.app.zoom_x2 = d.ps.app.zoom_y2 = 1;
        ASSERT_TRUE(d.run()) << d.error;
        std::vector<std::string> texts = log_lines(d.log(), "gr_text");
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "gr_text \"X: 1 Y: 2 schaal 1:10\""), zoomed ? 0 : 1);
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "gr_text \"kept\""), 1);
    }
}
