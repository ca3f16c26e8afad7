// plotwell driven as a person drives it: the built program starts in a fresh home on a classified
// grid map, a journey script presses keys and clicks on its windows, and the test looks at the
// files written and the pictures of the windows shown.
#include "platform/testing/journey/JourneyRunner.h"
#include "platform/testing/quelm_test_support.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// A 4 x 3 map of 10 m cells in three classes, drawn from its settings file.
class PlotwellJourney : public ::testing::Test {
protected:
    journey::Journey run{PLOTWELL_PROGRAM};

    void SetUp() override
    {
        fs::create_directories(run.Home());
        quelmtest::WriteFileBytes((run.Home() / "m.asc").string(),
                                  "ncols 4\r\nnrows 3\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 10\r\nnodata_value -1\r\n"
                                  "2*1 2*2\r\n3 -1 3 3\r\n2*4 x 1\r\n");
        quelmtest::WriteFileBytes((run.Home() / "s.set").string(),
                                  "DRAW_MAP ! m.asc\nMATRIX_CLASS 2 0 < 2 low\nMATRIX_CLASS 3 2 < 3 middle\n"
                                  "MATRIX_CLASS 4 3 <= 9 high\nMATRIX_TITLE Depth\nPERCENTILES ! 50\n");
    }

    // The share of a picture's pixels that are white, and that are black.
    static void Shares(const QImage& picture, double& white, double& black)
    {
        long w = 0, b = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb p = picture.pixel(x, y);
                w += qRed(p) > 240 && qGreen(p) > 240 && qBlue(p) > 240;
                b += qRed(p) < 16 && qGreen(p) < 16 && qBlue(p) < 16;
            }
        const double n = double(picture.width()) * picture.height();
        white = n > 0 ? w / n : 0;
        black = n > 0 ? b / n : 0;
    }
};

TEST_F(PlotwellJourney, TheCumulativeStatisticsWindowPaintsAtOnceAfterAMessage)
{
    // after a message box (the percentiles are written) the cumulative distribution opens its
    // window; nothing moves the mouse before its picture is taken
    const journey::JourneyResult result = run.Run(R"(
window ^plotwell m\.asc$
menu Statistics > Calculate percentiles
window ^Message$
key Return
gone ^Message$
window ^plotwell m\.asc$
menu Statistics > Cumulative distribution
window ^Statistics m\.asc$
shot statistics
menu File > Exit
gone ^Statistics
window ^plotwell m\.asc
menu File > Exit
)", {"-c", "s.set"});
    EXPECT_EQ(result.exitStatus, 0) << result.Describe();
    const QImage picture(QString::fromStdString((run.Out() / "statistics.png").string()));
    ASSERT_FALSE(picture.isNull()) << result.Describe();
    EXPECT_TRUE(fs::exists(run.Home() / "Percentiles.out"));
    double white = 0, black = 0;
    Shares(picture, white, black);
    EXPECT_GT(white, 0.5) << "a white page with the distribution on it";
    EXPECT_LT(black, 0.2) << "not a black window";
}

TEST_F(PlotwellJourney, TheFirstPrintOnAFreshAccountPrintsToAPdfFileChosenInThePrintDialog)
{
    // the home has no settings folder yet: the first print asks for the printer, saves the choice
    // there and prints
    const fs::path pdf = run.Home() / "chart.pdf";
    ASSERT_FALSE(fs::exists(run.Home() / ".config/quelm"));
    const journey::JourneyResult result = run.Run(R"(
window ^plotwell m\.asc$
menu File > Print
window ^Print$
shot print-dialog
# the dialog offers the home folder for the file (a name that no file there starts like, so that
# no completion list opens over the field)
focus name=filename
key End
type chart.pdf
click class=QAbstractButton text=^Print$
window ^Printer settings$
shot printer-settings
click class=QAbstractButton text=^OK$
file )" + pdf.string() + R"(
gone ^Chart$
window ^plotwell m\.asc$
menu File > Exit
)", {"-c", "s.set"});
    EXPECT_EQ(result.exitStatus, 0) << result.Describe();
    EXPECT_TRUE(fs::exists(run.Home() / ".config/quelm/plotwellPrint.ini")) << result.Describe();
    ASSERT_TRUE(fs::exists(pdf)) << result.Describe();
    // the page read back: the map's class colours on white
    const fs::path png = run.Out() / "page";
    if (std::system(("pdftoppm -r 40 -png -singlefile '" + pdf.string() + "' '" + png.string() + "'").c_str()) != 0)
        GTEST_SKIP() << "pdftoppm is not installed";
    const QImage page(QString::fromStdString(png.string() + ".png"));
    ASSERT_FALSE(page.isNull());
    double white = 0, black = 0;
    Shares(page, white, black);
    EXPECT_GT(white, 0.3);
    long orange = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c(page.pixel(x, y));
            orange += c.red() > 200 && c.green() > 100 && c.green() < 160 && c.blue() < 60;
        }
    EXPECT_GT(orange, 100) << "the cells of the class \"high\"";
}

// The graph quelmgui asks for from its User Defined Graphs window: a settings file whose DATA line
// selects a variable from the kernel's output, no data file on the call. The title names the
// settings file, and the picture keeps all of its axis labels inside the window.
TEST(PlotwellGraphJourney, AGraphOfSelectedDataIsTitledAndKeepsItsLabelsInsideTheWindow)
{
    journey::Journey run{PLOTWELL_PROGRAM};
    fs::create_directories(run.Home());
    std::string out = "* Synthetic output of the stand-in kernel\n*  time  date         variable       value(s)\n";
    for (int day = 1; day <= 3000; day += 10)
        out += "  " + std::to_string(day) + "  01-Jan-2001  WaterLeach   " + std::to_string(0.05 + (day % 700) * 1e-4) + "\n";
    quelmtest::WriteFileBytes((run.Home() / "1.out").string(), out);
    quelmtest::WriteFileBytes((run.Home() / "graph.set").string(),
                              "escape=^\nopen_graph\nno_legendbox\nlegend_columns 1\n"
                              "title_1 Run 1: \"Maize on Vellmark loam\", substance code of parent: AB, substance code for "
                              "graph: AB\nx_text DaysFromStart\nlegend 'Water leaching (mm)'\n"
                              "data 1.out 1 1000*$4 3 WaterLeach\n");
    const journey::JourneyResult result = run.Run(R"(
window ^plotwell graph\.set$
shot graph
menu File > Exit
)", {"-c", "graph.set"});
    EXPECT_EQ(result.exitStatus, 0) << result.Describe();
    const QImage picture(QString::fromStdString((run.Out() / "graph.png").string()));
    ASSERT_FALSE(picture.isNull()) << result.Describe();
    if (const char* dir = std::getenv("QUELM_PICTURE_DIR")) picture.save(QString::fromUtf8(dir) + "/plotwell_graph.png");
    // no ink next to the right and bottom edges of the window's picture (its very last column is
    // left out: the headless platform shows it dark): the last tick number and the axis text end
    // inside the window
    auto inked = [&picture](int x, int y) { return qGray(picture.pixel(x, y)) < 128; };
    const int w = picture.width(), h = picture.height();
    int edge_ink = 0;
    for (int y = h / 2; y < h; ++y) edge_ink += inked(w - 3, y) + inked(w - 2, y);
    for (int x = 0; x < w - 1; ++x) edge_ink += inked(x, h - 2) + inked(x, h - 1);
    EXPECT_EQ(edge_ink, 0) << "a label runs past the window's edge";
}

} // namespace
