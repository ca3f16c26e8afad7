// The dialogs' logic, driven through their controls without showing them.
#include "plotwell/app/export_settings_dialogs.h"
#include "plotwell/app/plot_app.h"
#include "plotwell/app/plotwell_dialogs.h"

#include "platform/win/WinMessageBox.h"
#include "platform/win/WinPrint.h"
#include "plotwell/core/colour_table.h"
#include "platform/testing/quelm_test_support.h"

#include <QColor>
#include <QImage>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

using namespace plotwell;

namespace {
// Runs the body on the dialog once its controls are set up, then ends it with `result`.
struct scripted_dialog {
    explicit scripted_dialog(std::function<void(CDialog&)> body)
    {
        CDialog::TestHook = [body](CDialog& d) { body(d); };
    }
    ~scripted_dialog() { CDialog::TestHook = nullptr; }
};
} // namespace

TEST(OrientMetaDialog, DepthButtonsByFileType)
{
    struct row { int type; bool d8, d16, d24; bool e8, e16, e24; bool transparent_enabled; };
    const row rows[] = {
        {TYPE_BMP, true, false, false, true, true, true, false},
        {TYPE_JPEG, false, false, true, false, false, false, false},
        {TYPE_PNG, true, false, false, true, false, true, true},
        {TYPE_EMF, false, false, true, false, false, false, true},
    };
    for (const row& r : rows) {
        int orientation = 1, resolution = 0, transparent = 0, depth = 24;
        long width = 0, height = 0;
        scripted_dialog script([&](CDialog& d) {
            EXPECT_EQ(d.IsDlgButtonChecked(1052) != 0, r.d8) << r.type;
            EXPECT_EQ(d.IsDlgButtonChecked(1053) != 0, r.d16) << r.type;
            EXPECT_EQ(d.IsDlgButtonChecked(1054) != 0, r.d24) << r.type;
            EXPECT_EQ(d.GetDlgItem(1052)->IsWindowEnabled() != 0, r.e8) << r.type;
            EXPECT_EQ(d.GetDlgItem(1053)->IsWindowEnabled() != 0, r.e16) << r.type;
            EXPECT_EQ(d.GetDlgItem(1054)->IsWindowEnabled() != 0, r.e24) << r.type;
            EXPECT_EQ(d.GetDlgItem(1039)->IsWindowEnabled() != 0, r.transparent_enabled) << r.type;
            EXPECT_EQ(d.GetDlgItemText(1031), r.type == TYPE_EMF ? "600" : "300");
            d.EndDialog(IDCANCEL);
        });
        COrientMetaDlg dialog(nullptr);
        EXPECT_EQ(dialog.AskSettings(&orientation, &resolution, &transparent, &depth, &width, &height, r.type), IDCANCEL);
    }
}

TEST(OrientMetaDialog, ResolutionFillsThePixelsAndFreeSizesComplete)
{
    int orientation = 2, resolution = 0, transparent = 0, depth = 8;
    long width = 0, height = 0;
    scripted_dialog script([&](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(1040), "2895"); // landscape at 300 dots per inch: 9.65 x 300
        EXPECT_EQ(d.GetDlgItemText(1041), "1875");
        d.CheckDlgButton(1051, 1);
        d.OnCommand(1051, BN_CLICKED);
        EXPECT_TRUE(d.GetDlgItem(1040)->IsWindowEnabled());
        EXPECT_FALSE(d.GetDlgItem(1031)->IsWindowEnabled());
        d.SetDlgItemText(1040, "900");
        d.SetDlgItemText(1041, "");
        d.CheckDlgButton(1054, 1);
        d.CheckDlgButton(1023, 1);
        d.OnCommand(IDOK, BN_CLICKED);
    });
    COrientMetaDlg dialog(nullptr);
    EXPECT_EQ(dialog.AskSettings(&orientation, &resolution, &transparent, &depth, &width, &height, TYPE_PNG), IDOK);
    EXPECT_EQ(orientation, 4);
    EXPECT_EQ(width, 900);
    EXPECT_EQ(height, 600);
    EXPECT_EQ(depth, 24);
    EXPECT_FALSE(dialog.colour_export) << "grey scale ticked";
}

TEST(ChartDataDialog, SelectChangeAddAndTheColourAfterTheCurrent)
{
    CPlotApp app;
    app.settings = std::make_unique<plot_settings>(app.layer);
    CChartObject chart;
    chart.classes = {{"0", "10", "low", 3}, {"10", "20", "high", 254}};
    scripted_dialog script([&](CDialog& base) {
        auto& d = static_cast<CChartDataDlg&>(base);
        ASSERT_EQ(d.ListGetCount(106), 2);
        EXPECT_EQ(d.ListGetText(106, 0), "0<10;low");
        d.ListSetCurSel(106, 0);
        d.OnCommand(106, LBN_SELCHANGE);
        EXPECT_EQ(d.GetDlgItemText(103), "0");
        EXPECT_EQ(d.GetDlgItemText(104), "10");
        EXPECT_EQ(d.GetDlgItemText(107), "low");
        EXPECT_EQ(d.GetDlgItemText(101), "Change");
        EXPECT_TRUE(d.change_mode());
        d.SetDlgItemText(107, "lowest");
        d.OnCommand(101, BN_CLICKED);
        EXPECT_EQ(d.ListGetText(106, 0), "0<10;lowest");
        // a new class after the current colour 254 gets 255, and after 255 also 255
        d.ListSetCurSel(106, 1);
        d.OnCommand(106, LBN_SELCHANGE);
        d.OnCommand(101, BN_CLICKED); // leaves change mode
        current_colour_number() = 254;
        d.SetDlgItemText(103, "20");
        d.SetDlgItemText(104, "30");
        d.OnCommand(101, BN_CLICKED);
        current_colour_number() = 255;
        d.SetDlgItemText(103, "30");
        d.SetDlgItemText(104, "40");
        d.OnCommand(101, BN_CLICKED);
        EXPECT_EQ(d.colours().back(), 255);
        EXPECT_EQ(d.colours()[2], 255);
        d.OnCommand(IDOK, BN_CLICKED);
    });
    CChartDataDlg dialog(nullptr);
    EXPECT_EQ(dialog.AskChartData(chart), IDOK);
    ASSERT_EQ(chart.classes.size(), 4u);
    EXPECT_EQ(chart.classes[0].title, "lowest");
    EXPECT_EQ(chart.classes[3].left, "30");
}

TEST(ChartDataDialog, RefusedClassesAndAnEmptyListKeepTheDialogOpen)
{
    CPlotApp app;
    app.settings = std::make_unique<plot_settings>(app.layer);
    TMessageBoxInterceptor boxes;
    CChartObject chart;
    chart.grid = false;
    int result = -1;
    scripted_dialog script([&](CDialog& d) {
        d.OnCommand(101, BN_CLICKED);
        EXPECT_EQ(boxes.Last().Text, "No class values have been entered.");
        d.SetDlgItemText(103, "abc");
        d.OnCommand(101, BN_CLICKED);
        EXPECT_EQ(boxes.Last().Text, "Illegal class values have been entered.");
        EXPECT_EQ(d.GetDlgItemText(103), "") << "fields cleared";
        d.OnCommand(IDOK, BN_CLICKED);
        EXPECT_EQ(boxes.Last().Text, "Warning: no values in chart.");
        EXPECT_EQ(boxes.Last().Caption, "Chart");
        d.CheckDlgButton(1001, 1);
        d.OnCommand(1001, BN_CLICKED);
        EXPECT_TRUE(chart.grid);
        d.OnCommand(IDCANCEL, BN_CLICKED);
    });
    CChartDataDlg dialog(nullptr);
    result = static_cast<int>(dialog.AskChartData(chart));
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(chart.grid) << "Cancel restores the grid switch";
}

TEST(PostScriptDialog, OpensPortraitInColour)
{
    scripted_dialog script([&](CDialog& d) {
        EXPECT_TRUE(d.IsDlgButtonChecked(1014));
        EXPECT_FALSE(d.IsDlgButtonChecked(1015));
        EXPECT_TRUE(d.IsDlgButtonChecked(1016));
        d.CheckDlgButton(1015, 1);
        EXPECT_FALSE(d.IsDlgButtonChecked(1014)) << "one radio group";
        d.EndDialog(IDCANCEL);
    });
    CPostScriptFileDlg dialog(nullptr);
    dialog.DoModal();
}

TEST(ColourBox, PrintModePrintsTheTableAndRefusesMonochromePrinters)
{
    quelmtest::TempDir dir;
    CPlotApp app;
    app.layer.gr_set_colour_table(builtin_colour_table()); // as the first drawing leaves it
    const std::string pdf = dir.file("palette.pdf");
    for (const bool colour : {false, true}) {
        SetPrintDlgHook([&](const DEVMODE*) {
            PRINTDLG_RESULT r;
            r.ok = true;
            r.device = "PDF:" + pdf;
            r.mode.dmColor = colour ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
            return r;
        });
        TMessageBoxInterceptor boxes;
        scripted_dialog script([&](CDialog& d) {
            EXPECT_EQ(d.GetDlgItemText(IDOK), "Print");
            d.OnOK();
        });
        CColorBoxDlg dialog(nullptr, 1);
        dialog.DoModal();
        if (!colour) {
            ASSERT_EQ(boxes.Count(), 1);
            EXPECT_EQ(boxes.Last().Text, "Not usefull to print palette to a monochrome printer");
            EXPECT_FALSE(std::filesystem::exists(pdf));
        } else {
            EXPECT_EQ(boxes.Count(), 0);
        }
    }
    SetPrintDlgHook(nullptr);
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_GT(std::filesystem::file_size(pdf), 500u);
    // rendered, the page shows the table: colour 0 white, 1 black, 16 dark grey, 31 white (the greys end at 255)
    if (std::system(("pdftoppm -r 40 -png -singlefile '" + pdf + "' '" + dir.file("palette") + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "pdftoppm is not installed";
    QImage page(QString::fromStdString(dir.file("palette.png")));
    ASSERT_FALSE(page.isNull());
    page.save(QString::fromStdString(quelmtest::PicturePath("plotwell_palette_print.png")));
    auto cell = [&](int i) {
        const int x = page.width() / 10 + (i % 16) * page.width() * 4 / 80 + page.width() * 2 / 80;
        const int y = page.height() / 10 + (i / 16) * page.height() * 4 / 80 + page.height() * 2 / 80;
        return QColor(page.pixel(x, y));
    };
    EXPECT_LT(cell(1).value(), 40);
    EXPECT_GT(cell(31).value(), 220);
    EXPECT_NEAR(cell(16).value(), 15, 25);
}
