// The PostScript back end: prolog copy, page set-up and the text of each primitive.
#include "plotwell/app/graphics/graphics_state.h"
#include "plotwell/app/graphics/postscript_back_end.h"
#include "plotwell/app/graphics/text_fonts.h"
#include "plotwell/core/plot_settings.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

namespace {
struct ps_page {
    quelmtest::TempDir dir;
    plotwell::plot_graphics gr;
    plotwell::plot_settings ps{gr};
    std::string out;
    explicit ps_page(const std::string& prolog_version = "2.1.7", double divisor = 1.0)
    {
        quelmtest::WriteFileBytes(dir.file("pscinit.xy"), "%!PS\n%%BoundingBox: 0 0 1 1\n%%BeginProcSet: test " +
                                                                prolog_version + "\n/LT2 [20 10] def junk\n/Other 1 def\n");
        gr.settings = &ps;
        gr.settings_folder = dir.str();
        ps.postscript_output = 1;
        ps.postscript_portrait = 1;
        ps.dash_divisor = divisor;
        out = dir.file("out.ps");
        ps.postscript_file_name = out;
    }
    std::string close()
    {
        gr.gr_close_workstation();
        return quelmtest::ReadFileBytes(out);
    }
    std::string body(const std::string& all) { return all.substr(all.find("IntlsePge")); }
};
} // namespace

TEST(PostScript, PrologIsCopiedWithBoundingBoxAndDashArraysRewritten)
{
    ps_page page("2.1.7", 0.5);
    page.gr.gr_open_workstation();
    const std::string all = page.close();
    EXPECT_NE(all.find("%%BoundingBox:  22 22 567 812\n"), std::string::npos);
    EXPECT_NE(all.find("/LT2 [40 20 ] def\n"), std::string::npos);
    EXPECT_EQ(all.find("junk"), std::string::npos);
    EXPECT_NE(all.find(" 300 2 22 22 2273 3295\nIntlsePge\n"), std::string::npos);
    EXPECT_NE(all.find("/#copies 1 def\n/SAVEOBJ save def\n"), std::string::npos);
    EXPECT_EQ(all.substr(all.size() - 21), "RstClpRctngle\nShwPge\n");
}

TEST(PostScript, AnotherPrologVersionStopsTheDrawing)
{
    for (const char* version : {"2.1.6", ""}) {
        ps_page page(version);
        try {
            page.gr.gr_open_workstation();
            FAIL() << "version '" << version << "' accepted";
        } catch (const plotwell::plot_error& e) {
            EXPECT_STREQ(e.what(), "wrong version of pscinit.xy (needs 2.1.7)\n");
        }
    }
}

TEST(PostScript, MissingPrologIsReported)
{
    ps_page page;
    std::remove(page.dir.file("pscinit.xy").c_str());
    page.gr.settings_folder.clear();
    EXPECT_THROW(page.gr.gr_open_workstation(), plotwell::plot_error);
}

TEST(PostScript, LongPolylinesGoInBlocksOfTwoHundred)
{
    struct row { int n; std::vector<std::string> counts; };
    for (const row& r : {row{450, {"200\nCrtePth\n", "200\nAppndPth\n", "50\nAppndPth\n"}},
                         row{400, {"200\nCrtePth\n", "200\nAppndPth\n"}}}) {
        ps_page page;
        page.gr.gr_open_workstation();
        page.gr.gr_set_window(0, 0, 2273, 3295);
        std::vector<float> xs(r.n), ys(r.n);
        for (int i = 0; i < r.n; ++i) xs[i] = float(i * 2), ys[i] = 100;
        page.gr.gr_polyline(r.n, xs.data(), ys.data());
        const std::string all = page.body(page.close());
        std::size_t at = 0;
        for (const std::string& c : r.counts) {
            at = all.find(c, at);
            ASSERT_NE(at, std::string::npos) << r.n << ": " << c;
            at += c.size();
        }
        EXPECT_EQ(all.find("AppndPth", at), std::string::npos);
    }
}

TEST(PostScript, APolygonOnOnePointKeepsFirstAndLast)
{
    ps_page page;
    page.gr.gr_open_workstation();
    page.gr.gr_set_window(0, 0, 2273, 3295);
    const float xs[] = {1, 1.001f, 1.002f}, ys[] = {1, 1, 1};
    page.gr.gr_fill_area(3, xs, ys);
    const std::string all = page.body(page.close());
    EXPECT_NE(all.find("2\nCrtePth\nClsePth\nFllArea\n"), std::string::npos);
}

TEST(PostScript, ColoursAreWrittenOnlyWhenTheyChange)
{
    ps_page page;
    page.gr.gr_open_workstation();
    page.gr.gr_define_colour(5, 1, 0, 0);
    page.gr.gr_define_colour(6, 1, 0, 0);
    page.gr.gr_set_colour(5);
    page.gr.gr_set_colour(6);
    const std::string all = page.body(page.close());
    std::size_t n = 0;
    for (std::size_t at = all.find("StRGBClr"); at != std::string::npos; at = all.find("StRGBClr", at + 1)) ++n;
    EXPECT_EQ(n, 1u);
    EXPECT_NE(all.find("1 0 0\nStRGBClr\n"), std::string::npos);
}

TEST(PostScript, TextsAreEscapedAndAccentsUseTheLatinOneFont)
{
    ps_page page;
    page.gr.gr_set_escape_char('#');
    page.gr.gr_open_workstation();
    page.gr.gr_set_window(0, 0, 100, 100);
    page.gr.gr_set_char_height(2);
    page.gr.gr_move_to(10, 10);
    page.gr.gr_text("f(x)");
    page.gr.gr_text("#Ca`");
    const std::string all = page.body(page.close());
    EXPECT_NE(all.find("(f\\(x\\))\n"), std::string::npos);
    EXPECT_NE(all.find("(\\340)\n"), std::string::npos);
    EXPECT_NE(all.find("/Helvetica-ISOLatin1 exch definefont pop\n"), std::string::npos);
    EXPECT_NE(all.find("-35 "), std::string::npos) << "font key 15 + 20";
}

TEST(PostScript, TextWidthsComeFromTheMetricTables)
{
    ps_page page;
    page.gr.gr_set_escape_char('#');
    page.gr.gr_open_workstation();
    page.gr.gr_set_char_height(2);
    const double ratio = page.gr.viewport_height_pct() / page.gr.viewport_width_pct();
    const double expected = (0.383 + 0.4 + 0.383) * page.gr.char_height() * ratio * 1.453;
    EXPECT_NEAR(page.gr.gr_text_width("a#Cu\"b"), expected, 1e-6);
    page.close();
}

TEST(PostScript, CirclesAndRectangles)
{
    ps_page page;
    page.gr.gr_open_workstation();
    page.gr.gr_set_fill_style(2);
    page.gr.gr_circle(0.5, 0.5, 1);
    page.gr.gr_set_fill_style(1);
    page.gr.gr_rectangle(0, 0, 1, 1);
    const std::string all = page.body(page.close());
    EXPECT_NE(all.find("NwPth\n1136 1648 1565 0 360 arc\nfill\n"), std::string::npos) << "radius 47.5 x 32.95\n" << all;
    EXPECT_NE(all.find("0 0\n2273 0\n2273 3295\n0 3295\n0 0\n5\nCrtePth\nPlyLne\n"), std::string::npos);
}

TEST(PostScript, EscapingKeepsOctalEscapes)
{
    EXPECT_EQ(plotwell::postscript_escape("a\\ 101[b]\\c\tz"), "a\\ 101\\[b\\]\\\\c z");
}
