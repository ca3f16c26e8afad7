// Golden drawings of the drawing kinds: each case writes a few small files, draws one call on the
// recording device and compares the call log (and the files the drawing writes) with checked-in
// results, line by line. PLOTWELL_UPDATE_GOLDEN=1 rewrites them.
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

using namespace plotwell;
using plotwell_test::drawing;
using plotwell_test::expect_golden;
using plotwell_test::golden_path;
using plotwell_test::le_float;
using plotwell_test::work_folder;

namespace {

struct input_file {
    const char* name;
    std::string text;
};

struct golden_case {
    const char* name; // the log is <name>.log
    const char* call;
    std::vector<input_file> files;
    std::vector<const char*> outputs = {}; // files the drawing writes, compared as <name>.<file>
};

void run_case(const golden_case& c)
{
    SCOPED_TRACE(c.name);
    work_folder folder;
    for (const input_file& f : c.files) folder.write(f.name, f.text);
    drawing d(c.call);
    ASSERT_TRUE(d.run()) << d.error;
    expect_golden(d.log(), std::string(c.name) + ".log");
    for (const char* out : c.outputs) expect_golden(folder.read(out), std::string(c.name) + "." + out);
}

const char* const three_points = "1 2 1\n2 4 3\n3 3 2\n";

} // namespace

TEST(GoldenKinds, Bars)
{
    const golden_case cases[] = {
        {"bars_vertical", "xy -B d.dat", {{"d.dat", three_points}}},
        {"bars_horizontal", "xy -c s.set d.dat",
         {{"d.dat", "2 1\n4 2\n3 3\n"}, {"s.set", "HORIZONTAL_BARS\nDRAW_BARS ALL\nDRAW_LINES 0\nX_AXIS 0 5\nY_AXIS 0 4\n"}}},
        {"bars_stacked", "xy -a -c s.set d.dat",
         {{"d.dat", three_points}, {"s.set", "DRAW_BARS ALL\nDRAW_LINES 0 0\nNR_BARS 4\n"}}},
        {"bars_with_base", "xy -c s.set d.dat",
         {{"d.dat", "1 -2\n2 4\n3 3\n"}, {"s.set", "DRAW_BARS 5\nDRAW_LINES 0\nY_AXIS -5 10\nBARLINES\n"}}},
    };
    for (const golden_case& c : cases) run_case(c);
}

TEST(GoldenKinds, AreasAndDeviationBars)
{
    const golden_case cases[] = {
        {"areas", "xy -c s.set d.dat",
         {{"d.dat", three_points}, {"s.set", "DRAW_AREA 1 2 6\nDRAW_AREA 0 1\nY_AXIS 0 5\n"}}},
        {"deviation_bars", "xy -c s.set d.dat",
         {{"d.dat", "1 2 1 3\n2 4 3 5\n3 3 2 4\n"},
          {"s.set", "XY_COLUMNS 1,2\nDRAW_DEV ! 1 3 4 1 3 0\nDRAW_DEV ! 1 3 4 1 4 2\nDRAW_DEV ! 1 3 4 1 5 3\n"
                    "NR_BARS 5\nX_AXIS 0 4\nY_AXIS 0 6\n"}}},
    };
    for (const golden_case& c : cases) run_case(c);
}

TEST(GoldenKinds, RegressionsWithTheirReport)
{
    const golden_case cases[] = {
        {"regression", "xy -c s.set d.dat",
         {{"d.dat", "1 2 1\n2 4 3\n3 6 2\n4 8.5 5\n"},
          {"s.set", "XY_COLUMNS 1,2 1,3\nDRAW_LINES 0 0\nDRAW_MARKERS 1 2\nLIN_REGR1 1 0\nLIN_REGR2 1 1\n"}},
         {"lin_regr.xy"}},
    };
    for (const golden_case& c : cases) run_case(c);
}

TEST(GoldenKinds, ColourFileWithRangeAndReverse)
{
    const golden_case cases[] = {
        {"colours_range_reverse", "xy -B -c s.set d.dat",
         {{"d.dat", three_points},
          {"s.set", "COLORS RANGE REVERSE\nCOLORFILE ramp.set\n"},
          {"ramp.set", "firstclass 1 0 0\nlastclass 0 0 1\ntextcolor 0.2 0.2 0.2\n9 0 1 0\n"}}},
    };
    for (const golden_case& c : cases) run_case(c);
}

namespace {

// A binary map of 4 x 3 unsigned byte cells with the corner at (100, 200) and cells of 10, compressed.
std::string binary_map()
{
    std::string h = le_float(-99995) + std::string("\x04\x00\x03\x00", 4) + le_float(100) + le_float(200) + le_float(10) +
                    le_float(255);
    // rows: 1 1 2 2 / 3 255 255 3 / 4 4 4 4
    return h + std::string("\x02\x01\x02\x02", 4) + std::string("\x01\x03\x02\xff\x01\x03", 6) + std::string("\x04\x04", 2);
}

const char* const classes = "MATRIX_CLASS 2 0 < 2\nMATRIX_CLASS 3 2 < 3 'two and a half'\nMATRIX_CLASS 4 3 <= +\n"
                            "EXTRA_CLASS 9 roads\nMATRIX_TITLE Depth\n";

} // namespace

TEST(GoldenKinds, GridMapsWithClassesAndTheirLegend)
{
    const golden_case cases[] = {
        {"map_text", "xy -c s.set",
         {{"m.asc", "ncols 4\r\nnrows 3\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 10\r\nnodata_value -1\r\n"
                    "2*1 2*2\r\n3 -1 3 3\r\n2*4 x 1\r\n"},
          {"s.set", std::string("DRAW_MAP ! m.asc\n") + classes}}},
        {"map_binary", "xy -c s.set",
         {{"m.bin", binary_map()}, {"s.set", std::string("DRAW_MAP 100,200,140,230 m.bin\n") + classes}}},
    };
    for (const golden_case& c : cases) run_case(c);
}

TEST(GoldenKinds, JobPageWithThreeGraphsTitlesAndAVignette)
{
    const golden_case cases[] = {
        {"job_page", "xy -j page.job",
         {{"d.dat", "1 2 1\n2 4 3\n3 3 2\n"},
          {"a.set", "XY_COLUMNS 1,2 1,3\nLEGEND first second\n"},
          {"b.set", "XY_COLUMNS 1,2\nDRAW_BARS 3\nDRAW_LINES 0\n"},
          {"logo.dat", "2 4 3\n0 0\n1 0\n0.5 1\n0 0\n"},
          {"page.job", "* three graphs on one page\n"
                       "CENTRAL_LEGEND 60,20\n"
                       "xy -V 5,55,50,95 -c a.set d.dat\n"
                       "xy -V 55,55,95,95 -c b.set d.dat\n"
                       "xy -V 5,5,50,45 -m -c a.set d.dat\n"
                       "ESCAPE=^\n"
                       "FONT TIMES_ROMAN BOLD COLOR_3\n"
                       "TITLE 'Three graphs' 50m,97\n"
                       "TITLE 'right edge' rr,2 1.5\n"
                       "LINE 0,50,100,50 2 1 5\n"
                       "BOX 60,5,95,15 6 3\n"
                       "MARKER 70,30 3 2 4\n"
                       "MARKER 80,30\n"
                       "VIGNET 85,30,95,40 logo.dat\n"
                       "DATE 1,1 1\n"
                       "TIME rr,1 1\n"}}},
    };
    for (const golden_case& c : cases) run_case(c);
}

TEST(GoldenKinds, PolygonsVectorsAndMapDecorations)
{
    const golden_case cases[] = {
        {"polygons_scale_north", "xy -c s.set",
         {{"m.asc", "ncols 2\r\nnrows 2\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 50\r\n1 2\r\n2 1\r\n"},
          {"fields.pol", "7 4 3\n10 10\n40 10\n40 40\n10 10\n8 3\n60 60\n90 60\n60 90\n9 3 2\n50 50\n50 50\n50 50\n"},
          {"fields.val", "7 2.5\n8 C9\n"},
          {"s.set", "DRAW_MAP ! m.asc\nMATRIX_CLASS 2 0 < 2\nMATRIX_CLASS 3 2 <= 5\nPOLYGON_VALUE 2\n"
                    "POLYGON_AFTER\nPOLYGON_LINE 1 2\nDRAW_POLYGON fields.pol 0 fields.val\n"
                    "SCALE_BAR\nNORTH 0,0,1,1 R-2r,T-2 10\n"}}},
        {"vectors", "xy -c s.set d.dat",
         {{"d.dat", "1 1 0 2\n2 2 1 1\n3 1 -2 0\n2 3 5 5\n"},
          {"s.set", "DRAW_VECTOR 2 10 3\nX_AXIS 0 4\nY_AXIS 0 4\n"}}},
    };
    for (const golden_case& c : cases) run_case(c);
}

TEST(GoldenKinds, MatrixFile)
{
    const golden_case cases[] = {
        {"matrix", "xy -c s.set d.dat",
         {{"d.dat", "1 1 1 5 9\n2 1 5 5 x\n3 9 9 1 1\n4 5 1 1 5\n"},
          {"s.set", "MATRIX_YAXIS 0 40\nX_AXIS 0.5 4.5\nMATRIX_YRANGES 0,10 10,20 20,30 30,40\n"
                    "MATRIX_CLASS 2 0 < 3\nMATRIX_CLASS 3 3 < 6\nMATRIX_CLASS 4 6 < 10\nMATRIX_DEF_CLASS 1\n"}}},
    };
    for (const golden_case& c : cases) run_case(c);
}
