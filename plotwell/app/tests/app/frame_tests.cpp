// The main window in this process, offscreen: a classified grid map with its read-out, digitising,
// Map Info, the clipboard copy, and the Statistics window with its distribution files.
#include "plotwell/app/plot_app.h"
#include "plotwell/app/plot_frame.h"
#include "plotwell/app/printing.h"

#include "platform/win/WinMessageBox.h"
#include "platform/testing/quelm_test_support.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace plotwell;
namespace fs = std::filesystem;

namespace {

// A 4 x 3 map of 10 m cells: rows from the top "1 1 2 2", "3 -1 3 3", "4 4 x 1" (-1 and x missing).
const char* const map_text = "ncols 4\r\nnrows 3\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 10\r\nnodata_value -1\r\n"
                             "2*1 2*2\r\n3 -1 3 3\r\n2*4 x 1\r\n";
const char* const map_settings = "DRAW_MAP ! m.asc\nMATRIX_CLASS 2 0 < 2 low\nMATRIX_CLASS 3 2 < 3 middle\n"
                                 "MATRIX_CLASS 4 3 <= 9 high\nMATRIX_TITLE Depth\nPERCENTILES ! 50\n";

void pump()
{
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

void save_picture(QWidget* w, const std::string& name)
{
    if (w) w->window()->grab().save(QString::fromStdString(quelmtest::PicturePath(name)));
}

// plotwell started in a fresh folder on an xy call's tail, its main window painted once.
struct running_plotwell {
    quelmtest::TempDir dir;
    fs::path previous = fs::current_path();
    TMessageBoxInterceptor boxes;
    std::unique_ptr<CPlotApp> app;

    explicit running_plotwell(const std::string& command_line,
                              const std::vector<std::pair<std::string, std::string>>& files = {})
    {
        for (const auto& [name, bytes] : files) quelmtest::WriteFileBytes(dir.file(name), bytes);
        quelmtest::WriteFileBytes(dir.file("m.asc"), map_text);
        quelmtest::WriteFileBytes(dir.file("s.set"), map_settings);
        fs::create_directory(dir.path() / "win");
        setenv("QUELM_WINDIR", dir.file("win").c_str(), 1);
        fs::current_path(dir.path());
        app = std::make_unique<CPlotApp>();
        app->command_line = command_line;
        app->program_folder = dir.str();
        app->InitInstance();
        frame().MoveWindow(0, 0, 800, 600);
        pump();
    }
    ~running_plotwell()
    {
        if (app->frame) {
            app->frame->OnClose();
            pump();
        }
        app.reset();
        fs::current_path(previous);
    }
    CPlotFrame& frame() { return *app->frame; }
    // The pixel of a world point inside the map rectangle.
    CPoint pixel_of(double x, double y)
    {
        const CPlotFrame& f = frame();
        const RECT& r = f.map_rect;
        return CPoint(static_cast<int>(r.left + (x - f.world_x1) / (f.world_x2 - f.world_x1) * (r.right - r.left)),
                      static_cast<int>(r.top + (f.world_y2 - y) / (f.world_y2 - f.world_y1) * (r.bottom - r.top)));
    }
};

} // namespace

TEST(MainWindow, AGridMapReadsOutItsCellsAndDigitisesIntoTheCoordinatesFile)
{
    running_plotwell p("-c s.set -$ points.txt");
    CPlotFrame& f = p.frame();
    ASSERT_TRUE(p.app->drawing_ready) << (p.boxes.Count() ? p.boxes.Last().Text : "");
    EXPECT_TRUE(f.map.grid);
    EXPECT_TRUE(f.map.statistics);
    EXPECT_EQ(f.title(), "plotwell m.asc");
    EXPECT_EQ(f.world_x1, 0);
    EXPECT_EQ(f.world_x2, 40);
    EXPECT_EQ(f.world_y2, 30);
    save_picture(f.GetSafeHwnd(), "plotwell_grid_map.png");
    // the Statistics menu stays, with every item: one call, percentiles asked for
    EXPECT_EQ(f.GetMenu()->Texts(), (std::vector<std::string>{"&File", "&Edit", "&Statistics", "&Help"}));
    EXPECT_NE(f.GetMenu()->GetMenuString(ID_PERCENTILES), "");
    EXPECT_NE(f.GetMenu()->GetMenuString(ID_MAP_INFO), "");
    // the chart object holds the classes as the Chart Data dialog shows them
    ASSERT_TRUE(f.chart);
    ASSERT_EQ(f.chart->classes.size(), 3u);
    EXPECT_EQ(f.chart->classes[1].left, "=2");
    EXPECT_EQ(f.chart->classes[1].title, "middle");
    EXPECT_EQ(f.chart->legend_title, "Depth");

    struct read_out {
        double x, y;
        const char* shown;
    };
    const read_out cells[] = {
        {15, 25, "plotwell m.asc x: 10 y: 20     gridvalue: 1"},
        {35, 28, "plotwell m.asc x: 30 y: 20     gridvalue: 2"},
        {12, 15, "plotwell m.asc x: 10 y: 10     gridvalue: no data"}, // -1, the missing value
        {22, 5, "plotwell m.asc x: 20 y: 0     gridvalue: no data"},   // "x"
        {5, 5, "plotwell m.asc x: 0 y: 0     gridvalue: 4"},
        {38, 2, "plotwell m.asc x: 30 y: 0     gridvalue: 1"},
    };
    for (const read_out& c : cells) {
        f.OnMouseMove(0, p.pixel_of(c.x, c.y));
        EXPECT_EQ(f.GetWindowText(), c.shown) << c.x << "," << c.y;
    }
    f.OnMouseMove(0, CPoint(f.map_rect.left - 5, f.map_rect.top - 5));
    EXPECT_EQ(f.GetWindowText(), "plotwell m.asc");

    // right clicks write the point snapped to its cell; with Shift first the next letter
    f.OnRButtonUp(0, p.pixel_of(15, 25));
    f.OnRButtonUp(MK_SHIFT, p.pixel_of(38, 2));
    f.OnRButtonUp(MK_SHIFT, p.pixel_of(5, 5));
    f.OnRButtonUp(0, CPoint(f.map_rect.right + 5, f.map_rect.top)); // outside: nothing
    EXPECT_EQ(quelmtest::ReadFileBytes(p.dir.file("points.txt")), "A\n10 20\nB\n30 0\nC\n0 0\n");
    EXPECT_FALSE(f.zoomed); // with a coordinates file the right button does not zoom out
}

TEST(MainWindow, MapInfoZoomsToTheCellsWithValuesOnlyWhenAsked)
{
    running_plotwell p("-c s.set");
    CPlotFrame& f = p.frame();
    ASSERT_TRUE(p.app->drawing_ready);
    p.boxes.Answer("No");
    f.OnMapInfo();
    ASSERT_EQ(p.boxes.Count(), 1);
    EXPECT_EQ(p.boxes.Last().Caption, "Map Info");
    EXPECT_EQ(p.boxes.Last().Text, "Min. and Max. coordinates with values:\n0,0 - 40,30\nZoom map to this coordinates?");
    EXPECT_FALSE(f.zoomed);
    // a drag zooms to whole cells; the right button zooms out again
    f.OnLButtonDown(MK_LBUTTON, p.pixel_of(12, 12));
    f.OnMouseMove(MK_LBUTTON, p.pixel_of(27, 27));
    f.OnLButtonUp(0, p.pixel_of(27, 27));
    pump();
    EXPECT_TRUE(f.zoomed);
    EXPECT_EQ(f.world_x1, 10);
    EXPECT_EQ(f.world_x2, 30);
    EXPECT_EQ(f.world_y1, 10);
    EXPECT_EQ(f.world_y2, 30);
    f.OnMouseMove(0, p.pixel_of(25, 25));
    EXPECT_EQ(f.GetWindowText(), "plotwell m.asc x: 20 y: 20     gridvalue: 2");
    f.OnRButtonUp(0, p.pixel_of(25, 25));
    pump();
    EXPECT_FALSE(f.zoomed);
    EXPECT_EQ(f.world_x2, 40);
}

TEST(MainWindow, StatisticsWindowShowsTheClassDistributionAndPercentilesGoToTheirFile)
{
    running_plotwell p("-c s.set");
    CPlotFrame& f = p.frame();
    ASSERT_TRUE(p.app->drawing_ready);
    f.OnCommand(ID_CLASS_DISTRIBUTION, 0);
    pump();
    ASSERT_TRUE(f.statistics);
    EXPECT_GT(f.statistics->paint_count, 0);
    EXPECT_EQ(p.boxes.Count(), 0) << p.boxes.Last().Text;
    // 10 cells with values: 3 in "low" (0..2), 2 in "middle", 5 in "high", each with its percentage
    EXPECT_EQ(quelmtest::ReadFileBytes(p.dir.file("frqdst1.out")), "1\t30 - - 3\n2\t- 20 - 2\n3\t- - 50 5\n");
    save_picture(f.statistics->GetSafeHwnd(), "plotwell_statistics.png");
    // the read-out of the main window still reads its own map after the distribution was drawn
    f.OnMouseMove(0, p.pixel_of(15, 25));
    EXPECT_EQ(f.GetWindowText(), "plotwell m.asc x: 10 y: 20     gridvalue: 1");
    // the cumulative distribution replaces the window; it draws at once even when a message box
    // was the last thing shown (its flag only keeps an already drawn window from drawing again)
    p.app->skip_next_paint = true;
    f.OnCommand(ID_CUMULATIVE_DISTRIBUTION, 0);
    pump();
    ASSERT_TRUE(f.statistics);
    CStatisticsFrame& s = *f.statistics;
    EXPECT_GT(s.paint_count, 0);
    EXPECT_EQ(s.GetWindowText(), "Statistics m.asc");
    save_picture(s.GetSafeHwnd(), "plotwell_statistics_cumulative.png");
    // the read-out: the graph's own coordinates inside its frame (x the class values 1..4, y the
    // percentage), the plain title outside it
    const RECT g = s.graph_rect;
    ASSERT_GT(g.right - g.left, 50);
    EXPECT_EQ(s.world_y2, 100);
    struct point { double x, y; } points[] = {{2, 50}, {3.5, 80}, {1, 0}};
    for (const point& q : points) {
        const CPoint at(int(std::lround(g.left + (q.x - s.world_x1) / (s.world_x2 - s.world_x1) * (g.right - g.left))),
                        int(std::lround(g.bottom - (q.y - s.world_y1) / (s.world_y2 - s.world_y1) * (g.bottom - g.top))));
        s.OnMouseMove(0, at);
        double x = 0, y = 0;
        ASSERT_EQ(std::sscanf(s.GetWindowText().c_str(), "Statistics m.asc x: %lf y: %lf", &x, &y), 2) << s.GetWindowText();
        EXPECT_NEAR(x, q.x, (s.world_x2 - s.world_x1) / (g.right - g.left));
        EXPECT_NEAR(y, q.y, (s.world_y2 - s.world_y1) / (g.bottom - g.top));
    }
    s.OnMouseMove(0, CPoint(g.left - 3, g.top));
    EXPECT_EQ(s.GetWindowText(), "Statistics m.asc");
    // Esc in the Statistics window closes it
    f.statistics->OnCommand(ID_STAT_EXIT, 0);
    pump();
    EXPECT_FALSE(f.statistics);

    f.OnCommand(ID_PERCENTILES, 0);
    ASSERT_EQ(p.boxes.Count(), 1);
    EXPECT_EQ(p.boxes.Last().Text, "Percentiles are written to Percentiles.out");
    EXPECT_NE(quelmtest::ReadFileBytes(p.dir.file("Percentiles.out")).find("percentile 50 = "), std::string::npos);
    EXPECT_FALSE(f.statistics);
}

TEST(MainWindow, TheClipboardFlagPutsEveryPaintedPictureOnTheClipboard)
{
    QApplication::clipboard()->clear();
    running_plotwell p("-c s.set -!");
    CPlotFrame& f = p.frame();
    ASSERT_TRUE(p.app->drawing_ready);
    const QImage picture = QApplication::clipboard()->image();
    RECT r;
    f.GetClientRect(&r);
    ASSERT_EQ(picture.size(), QSize(r.right, r.bottom));
    // the same pixels as the window's bitmap: a map cell's colour at its centre
    const CPoint cell = p.pixel_of(15, 25);
    HDC memory = f.memory_dc();
    EXPECT_EQ(picture.pixel(cell.x, cell.y) & 0xFFFFFF, [&] {
        const COLORREF c = GetPixel(memory, cell.x, cell.y);
        return static_cast<QRgb>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
    }());
    // a repaint from the bitmap puts it there again
    QApplication::clipboard()->clear();
    f.Invalidate();
    pump();
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());
}

TEST(MainWindow, HelpShowsTheHelpFileOfTheSettingsFolder)
{
    running_plotwell p("-c s.set");
    CPlotFrame& f = p.frame();
    ASSERT_TRUE(p.app->drawing_ready);
    // without the file: a message naming it
    f.OnCommand(ID_HELP, 0);
    ASSERT_EQ(p.boxes.Count(), 1);
    EXPECT_EQ(p.boxes.Last().Text, "Cannot open " + p.app->settings_folder + "/plotwell.hlp\n");
    quelmtest::WriteFileBytes(p.app->settings_folder + "/plotwell.hlp",
                              quelmtest::ReadFileBytes(quelmtest::SourceDir() + "/plotwell/app/plotwell.hlp"));
    std::string shown;
    CDialog::TestHook = [&](CDialog& d) {
        shown = d.GetDlgItemText(1090);
        save_picture(d.GetSafeHwnd(), "plotwell_help.png");
        d.EndDialog(IDOK);
    };
    f.OnCommand(ID_HELP, 0);
    CDialog::TestHook = nullptr;
    EXPECT_NE(shown.find("Map class distribution       F3"), std::string::npos) << shown;
}

TEST(PageSetup, ViewportFromThePaperAndTheMargins)
{
    page_margins m; // A4, printer margins 5 mm left and top, 4 mm right and bottom
    m.min_left = m.min_top = 500;
    m.min_right = m.min_bottom = 400;
    m.left = 2250, m.top = 1500, m.right = 2250, m.bottom = 16000;
    double x1, x2, y1, y2;
    page_setup_viewport(m, x1, x2, y1, y2);
    EXPECT_NEAR(x1, (2250 - 500) / (21000.0 - 900) * 100, 1e-9);
    EXPECT_NEAR(x2 - x1, (21000 - 4500) / (21000.0 - 900) * 100, 1e-9);
    EXPECT_NEAR(y1, (16000 - 400) / (29700.0 - 900) * 100, 1e-9);
    EXPECT_NEAR(y2 - y1, (29700 - 17500) / (29700.0 - 900) * 100, 1e-9);
}

TEST(PageSetup, APortraitGraphPrintedWithPageSetupKeepsTheLowerPageFree)
{
    running_plotwell p("-c g.set d.dat", {{"d.dat", "0 0\n1 3\n2 1\n3 4\n"}, {"g.set", "XY_COLUMNS 1,2\nLINE_WIDTH 5\n"}});
    ASSERT_TRUE(p.app->drawing_ready) << (p.boxes.Count() ? p.boxes.Last().Text : "");
    print_settings printer;
    printer.device = "PDF:" + p.dir.file("page.pdf");
    printer.driver = "winspool";
    printer.port = "plotwell:";
    ASSERT_TRUE(write_print_settings(p.app->printer_settings_path, printer));
    std::vector<std::string> shown;
    CDialog::TestHook = [&](CDialog& d) {
        shown.push_back(d.GetWindowText());
        if (shown.back() == "Printer settings") {
            d.CheckDlgButton(1026, 1);
            d.OnOK();
        } else if (shown.back() == "Page Setup") {
            EXPECT_EQ(d.GetDlgItemText(1101), "22.5");
            EXPECT_EQ(d.GetDlgItemText(1104), "160"); // portrait xy graph: the lower page stays free
            save_picture(d.GetSafeHwnd(), "plotwell_page_setup.png");
            d.SetDlgItemText(1101, "30");
            d.OnOK();
        } else {
            d.EndDialog(IDCANCEL);
        }
    };
    EXPECT_EQ(p.frame().PrintChart(), 1);
    CDialog::TestHook = nullptr;
    EXPECT_EQ(shown, (std::vector<std::string>{"Printer settings", "Page Setup"}));
    const application_state& st = p.app->settings->app;
    EXPECT_GT(st.page_setup_x1, 5);
    EXPECT_GT(st.page_setup_y1, 50);
    ASSERT_TRUE(fs::exists(p.dir.file("page.pdf")));
    if (std::system(("pdftoppm -r 30 -png -singlefile '" + p.dir.file("page.pdf") + "' '" + p.dir.file("page") + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "pdftoppm is not installed";
    QImage page(QString::fromStdString(p.dir.file("page.png")));
    ASSERT_FALSE(page.isNull());
    page.save(QString::fromStdString(quelmtest::PicturePath("plotwell_page_setup_print.png")));
    // ink in the upper half only
    auto ink = [&](int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < page.width(); ++x) n += qGray(page.pixel(x, y)) < 128;
        return n;
    };
    EXPECT_GT(ink(0, page.height() / 2), 100);
    EXPECT_EQ(ink(page.height() * 6 / 10, page.height()), 0);
}

TEST(Printing, TheFirstPrintMakesTheSettingsFolderAndFailuresNameTheFileAndTheReason)
{
    running_plotwell p("-c g.set d.dat", {{"d.dat", "0 0\n1 3\n2 1\n"}, {"g.set", "XY_COLUMNS 1,2\n"}});
    ASSERT_TRUE(p.app->drawing_ready);
    std::string pdf;
    SetPrintDlgHook([&](const DEVMODE*) {
        PRINTDLG_RESULT r;
        r.ok = true;
        r.device = "PDF:" + pdf;
        return r;
    });
    int settings_shown = 0;
    CDialog::TestHook = [&](CDialog& d) {
        if (d.GetWindowText() == "Printer settings") ++settings_shown;
        d.OnOK();
    };
    struct row {
        const char* settings_folder; // under the test's folder; "blocked" is a plain file
        const char* pdf;
        int result;
        const char* message; // the start of the one message shown, or nothing
    } rows[] = {
        {"fresh/.config/quelm", "page.pdf", 1, nullptr},
        {"blocked/quelm", "page2.pdf", 1, "Cannot save the printer choice in @blocked/quelm/plotwellPrint.ini: Not a directory"},
        {"fresh2", "missing/page.pdf", 0, "Not able to print chart.\nCannot write @missing/page.pdf: No such file or directory"},
    };
    quelmtest::WriteFileBytes(p.dir.file("blocked"), "a file where a folder should be");
    for (const row& r : rows) {
        SCOPED_TRACE(r.settings_folder);
        const std::string ini = p.dir.file(std::string(r.settings_folder) + "/plotwellPrint.ini");
        p.app->printer_settings_path = ini;
        pdf = p.dir.file(r.pdf);
        const int boxes_before = p.boxes.Count();
        settings_shown = 0;
        p.frame().OnCommand(ID_PRINT, 0);
        pump();
        EXPECT_EQ(settings_shown, 1);
        EXPECT_EQ(fs::exists(pdf), r.result == 1);
        if (!r.message) {
            EXPECT_EQ(p.boxes.Count(), boxes_before) << p.boxes.Last().Text;
            // the printer chosen on the first print is kept for the next
            print_settings saved;
            ASSERT_TRUE(read_print_settings(ini, saved));
            EXPECT_EQ(saved.device, "PDF:" + pdf);
            continue;
        }
        ASSERT_EQ(p.boxes.Count(), boxes_before + 1);
        std::string expected = r.message;
        expected.replace(expected.find('@'), 1, p.dir.str() + "/");
        EXPECT_EQ(p.boxes.Last().Text, expected);
    }
    CDialog::TestHook = nullptr;
    SetPrintDlgHook(nullptr);
}

TEST(MainWindow, EditGraphSettingsRedrawsWithTheChangedTitlesAndClasses)
{
    running_plotwell p("-c s.set");
    CPlotFrame& f = p.frame();
    ASSERT_TRUE(p.app->drawing_ready);
    CDialog::TestHook = [&](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(1005), "Depth"); // the legend title of the drawn map
        EXPECT_EQ(d.ListGetCount(106), 3);
        d.SetDlgItemText(105, "Water depth");
        d.OnOK();
    };
    f.OnCommand(ID_EDIT_SETTINGS, 0);
    CDialog::TestHook = nullptr;
    pump();
    EXPECT_EQ(p.boxes.Count(), 0) << p.boxes.Last().Text;
    const std::string winmenu = quelmtest::ReadFileBytes(p.dir.file("winmenu.set"));
    EXPECT_NE(winmenu.find("TITLE_1 Water depth\n"), std::string::npos) << winmenu;
    EXPECT_NE(winmenu.find("MATRIX_CLASS 2 0 <  2 `low`\nMATRIX_CLASS 3 =2 <  3 `middle`\n"), std::string::npos) << winmenu;
    EXPECT_EQ(p.app->settings->title[0], "Water depth");
    ASSERT_TRUE(f.chart);
    EXPECT_EQ(f.chart->main_title, "Water depth");
    save_picture(f.GetSafeHwnd(), "plotwell_map_titled.png");
}

TEST(MainWindow, AJobOfMapsShowsTheDistributionOfEveryMap)
{
    running_plotwell p("-j maps.job", {{"maps.job", "xy -c s.set -V 0,0,50,100\nxy -c s.set -V 50,0,100,100\n"}});
    CPlotFrame& f = p.frame();
    ASSERT_TRUE(p.app->drawing_ready) << (p.boxes.Count() ? p.boxes.Last().Text : "");
    EXPECT_TRUE(f.job_drawing);
    // the job line and its two calls: the job file names the drawing, the Edit menu goes (no zoom,
    // no chart data for several maps) and Map Info, which needs one map
    EXPECT_EQ(f.calls_drawn, 3);
    EXPECT_EQ(f.title(), "plotwell maps.job");
    EXPECT_EQ(f.GetMenu()->Texts(), (std::vector<std::string>{"&File", "&Statistics", "&Help"}));
    EXPECT_EQ(f.GetMenu()->GetMenuString(ID_MAP_INFO), "");
    f.OnCommand(ID_CLASS_DISTRIBUTION, 0);
    pump();
    ASSERT_TRUE(f.statistics);
    EXPECT_EQ(p.boxes.Count(), 0) << p.boxes.Last().Text;
    EXPECT_EQ(f.analysed_file, "maps.job");
    EXPECT_TRUE(fs::exists(p.dir.file("frqdst1.out")));
    EXPECT_TRUE(fs::exists(p.dir.file("frqdst2.out")));
    EXPECT_GT(f.statistics->paint_count, 0);
    save_picture(f.statistics->GetSafeHwnd(), "plotwell_statistics_job.png");
}
