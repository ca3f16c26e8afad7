// Start-up: the xy call, the window geometry, the -@ value, the settings folder, and the files
// plotwell reads at start (plotwell.arg, plotwell.ini, plotwellPrint.ini).
#include "plotwell/app/export_settings_dialogs.h"
#include "plotwell/app/picture_export.h"
#include "plotwell/app/plot_app.h"
#include "plotwell/app/plotwell_dialogs.h"
#include "plotwell/app/printing.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace plotwell;

namespace {
// Runs the body in a temporary current folder.
struct in_folder {
    quelmtest::TempDir dir;
    std::filesystem::path previous = std::filesystem::current_path();
    in_folder() { std::filesystem::current_path(dir.path()); }
    ~in_folder() { std::filesystem::current_path(previous); }
};
} // namespace

TEST(StartUp, TheXyCallComesFromTheLineTheArgFileOrTheUsageJob)
{
    in_folder f;
    EXPECT_EQ(make_xy_call("-c a.set"), "xy -c a.set");
    EXPECT_EQ(make_xy_call("--"), "xy --");
    EXPECT_EQ(make_xy_call(""), "xy -j xyusage.job");
    quelmtest::WriteFileBytes("plotwell.arg", "xy -c from_arg.set\r\nsecond line\n");
    EXPECT_EQ(make_xy_call(""), "xy -c from_arg.set");
    // a damaged file (no xy call in its first line, or empty) counts as missing
    for (const char* damaged : {"", "\n", "\x01\x02garbage", "-c a.set\n"}) {
        quelmtest::WriteFileBytes("plotwell.arg", damaged);
        EXPECT_EQ(make_xy_call(""), "xy -j xyusage.job") << damaged;
    }
}

TEST(StartUp, WindowGeometry)
{
    struct row { std::vector<std::string> words; bool given; float x, y, w, h; std::size_t left; };
    const row rows[] = {
        {{"xy", "-W", "0.5,0.5,0.8,0.8", "-c", "a"}, true, 0.5f, 0.5f, 0.5f, 0.499f, 3},
        {{"xy", "-W", "-1,0.1,0.5,0.5"}, true, 0, 0.1f, 0.5f, 0.5f, 1},
        {{"xy", "-W", "p"}, false, 0, 0, 1, 0.999f, 1},
        {{"xy", "-W", "l", "-c", "a"}, false, 0, 0, 1, 0.999f, 3},
        {{"xy", "-c", "a"}, false, 0, 0, 1, 0.999f, 3},
    };
    for (const row& r : rows) {
        std::vector<std::string> words = r.words;
        const window_geometry g = take_window_geometry(words);
        EXPECT_EQ(g.given, r.given) << r.words[2];
        EXPECT_FLOAT_EQ(g.x, r.x);
        EXPECT_FLOAT_EQ(g.y, r.y);
        EXPECT_FLOAT_EQ(g.w, r.w);
        EXPECT_FLOAT_EQ(g.h, r.h);
        EXPECT_EQ(words.size(), r.left);
    }
    std::vector<std::string> words{"xy", "-W", "0.1,0.1"};
    try {
        take_window_geometry(words);
        FAIL();
    } catch (const plot_error& e) {
        EXPECT_STREQ(e.what(), "window setting needs 4 coordinates ','-seperated\n");
    }
}

TEST(StartUp, ExportValue)
{
    struct row { const char* value; int shape; bool grey, transparent; int depth; long width, height; };
    const row rows[] = {
        {"out.png,l", 1, false, false, 8, 5790, 3750},
        {"out.png", 0, false, false, 8, 0, 0},
        {"out.png,p", 0, false, false, 8, 3750, 5790},
        {"out.bmp,f", 3, false, false, 8, 1600, 1200},
        {"out.bmp,f,800", 3, false, false, 8, 800, 800},
        {"out.bmp,f,800,600", 3, false, false, 8, 800, 600},
        {"out.gif,s24,100", 2, false, false, 24, 625, 625},
        {"out.gif,gift", 3, true, true, 8, 1600, 1200},
        {"out.tif,l16,0", 1, false, false, 16, 0, 0},
        {"out.tif,p,abc", 0, false, false, 8, 0, 0},
    };
    for (const row& r : rows) {
        const export_request e = parse_export_value(r.value);
        EXPECT_EQ(e.page_shape, r.shape) << r.value;
        EXPECT_EQ(e.grey, r.grey) << r.value;
        EXPECT_EQ(e.transparent, r.transparent) << r.value;
        EXPECT_EQ(e.depth, r.depth) << r.value;
        EXPECT_EQ(e.width, r.width) << r.value;
        EXPECT_EQ(e.height, r.height) << r.value;
    }
    EXPECT_EQ(parse_export_value("pictures/out.png,l").file_name, "pictures/out.png");
}

TEST(StartUp, SettingsFolderFromPlotwellIniElseXyDefElseTheProgramFolder)
{
    quelmtest::TempDir win;
    setenv("QUELM_WINDIR", win.str().c_str(), 1);
    unsetenv("XY_DEF");
    EXPECT_EQ(find_settings_folder("/opt/plotwell"), "/opt/plotwell");
    setenv("XY_DEF", "/data/xy/", 1);
    EXPECT_EQ(find_settings_folder("/opt/plotwell"), "/data/xy");
    quelmtest::WriteFileBytes(win.file("plotwell.ini"), "/d/graphs/  \r\nmore\n");
    EXPECT_EQ(find_settings_folder("/opt/plotwell"), "/d/graphs");
    quelmtest::WriteFileBytes(win.file("plotwell.ini"), "\n");
    EXPECT_EQ(find_settings_folder("/opt/plotwell"), "/data/xy") << "an empty first line names no folder";
    unsetenv("XY_DEF");
    unsetenv("QUELM_WINDIR");
}

TEST(StartUp, TempFolderEndsWithASeparator)
{
    setenv("TMP", "/var/tmp", 1);
    EXPECT_EQ(find_temp_folder(), "/var/tmp/");
    unsetenv("TMP");
}

TEST(PrintSettings, RoundTripAndDamagedFiles)
{
    quelmtest::TempDir dir;
    const std::string path = dir.file("plotwellPrint.ini");
    print_settings s;
    s.mode.dmOrientation = DMORIENT_LANDSCAPE;
    s.mode.dmColor = DMCOLOR_MONOCHROME;
    s.device = "PDF:/tmp/x.pdf";
    s.driver = "winspool";
    s.port = "plotwell:";
    ASSERT_TRUE(write_print_settings(path, s));
    const std::string bytes = quelmtest::ReadFileBytes(path);
    EXPECT_EQ(bytes.size(), 148u + 15 + 9 + 10);
    EXPECT_EQ(bytes[44], 2) << "orientation at offset 44";
    EXPECT_EQ(bytes[60], 1) << "colour at offset 60";
    print_settings back;
    ASSERT_TRUE(read_print_settings(path, back));
    EXPECT_EQ(back.device, s.device);
    EXPECT_EQ(back.port, s.port);
    EXPECT_EQ(back.mode.dmOrientation, DMORIENT_LANDSCAPE);

    // the port may end at the end of the file
    quelmtest::WriteFileBytes(path, bytes.substr(0, bytes.size() - 1));
    EXPECT_TRUE(read_print_settings(path, back));
    for (const std::string& damaged : {std::string(), bytes.substr(0, 100), bytes.substr(0, 150), std::string(148, '\0') + "dev"}) {
        quelmtest::WriteFileBytes(path, damaged);
        EXPECT_FALSE(read_print_settings(path, back)) << damaged.size();
    }
    EXPECT_FALSE(read_print_settings(dir.file("missing.ini"), back));
}

TEST(Export, FileTypesByExtension)
{
    struct row { const char* name; int type; };
    for (const row& r : {row{"a.bmp", 1}, row{"a.GIF", 2}, row{"a.jpg", 3}, row{"a.Jpeg", 3}, row{"a.png", 4}, row{"a.pcx", 5},
                         row{"a.tif", 6}, row{"a.TIFF", 6}, row{"a.emf", 8}, row{"a.psd", 10}, row{"a.tga", 14},
                         row{"a.wmf", 0}, row{"noext", 0}, row{"dir.png/file", 0}})
        EXPECT_EQ(export_file_type(r.name), r.type) << r.name;
}

TEST(ExportDialog, PixelSizesFromOneFieldOrNone)
{
    struct row { long w, h, ew, eh; };
    for (const row& r : {row{0, 0, 1600, 1200}, row{900, 0, 900, 600}, row{0, 600, 900, 600}, row{300, 200, 300, 200}}) {
        long w = r.w, h = r.h;
        complete_pixel_size(w, h);
        EXPECT_EQ(w, r.ew);
        EXPECT_EQ(h, r.eh);
    }
}

TEST(ColourBox, ClicksPickTheCellUnderThePointer)
{
    struct row { int x, y, index; };
    for (const row& r : {row{10, 40, 0}, row{5, 30, 0}, row{28, 40, 1}, row{10, 58, 16}, row{300, 40, 16}, row{10, 400, 255},
                         row{300, 400, 255}})
        EXPECT_EQ(CColorBoxDlg::index_at(r.x, r.y), r.index) << r.x << "," << r.y;
}

TEST(ChartData, ClassEntriesSplitBackIntoTheirFields)
{
    std::string left, right, title;
    split_class_entry("0<10;low", left, right, title);
    EXPECT_EQ(left, "0");
    EXPECT_EQ(right, "10");
    EXPECT_EQ(title, "low");
    split_class_entry("10>=5;", left, right, title);
    EXPECT_EQ(left, "10");
    EXPECT_EQ(right, "=5");
    EXPECT_EQ(title, "");
}

TEST(PostScriptDialog, ExtraArguments)
{
    EXPECT_EQ(CPostScriptFileDlg::extra_arguments("/t/a.ps", false, false), " -S \"/t/a.ps\" -l ");
    EXPECT_EQ(CPostScriptFileDlg::extra_arguments("/t/a.ps", true, true), " -S \"/t/a.ps\" -p -C");
}
