// Maps: the class table, the grid map readers and their refusals, and the cell rows.
#include "plotwell/core/data_file_readers.h"
#include "plotwell/core/map_cells.h"
#include "plotwell/core/map_classes.h"
#include "plotwell/core/map_decorations.h"
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace plotwell;
using plotwell_test::drawing;
using plotwell_test::le_float;
using plotwell_test::log_lines;
using plotwell_test::work_folder;

namespace {

struct class_fixture {
    recording_device device;
    plot_settings ps{device};
    void add(const std::string& line) { add_class_line(ps, split_fields(line, ' ', 10)); }
};

std::string le_u16(int v) { return std::string{static_cast<char>(v & 255), static_cast<char>(v >> 8)}; }

std::string binary_header(float code, int ncols, int nrows)
{
    return le_float(code) + le_u16(ncols) + le_u16(nrows) + le_float(0) + le_float(0) + le_float(1) + le_float(-9999);
}

// All rows of a grid map file, read as drawing reads them (with `warnings`: as the frequency
// distribution reads them, keeping short rows and collecting the warnings).
std::vector<std::vector<float>> read_all_rows(const std::string& name, bool rect_given = false,
                                              std::vector<std::string>* warnings = nullptr)
{
    std::FILE* f = nullptr;
    std::vector<std::vector<float>> rows;
    try {
        grid_header h = read_grid_header_for_drawing(shared_context{shared_variant::plotwell}, name, f, rect_given);
        grid_row_reader reader(f, h, "*");
        if (warnings) reader.keep_short_rows(name, [warnings](const std::string& w) { warnings->push_back(w); });
        std::vector<float> cells;
        while (reader.next_row(cells, true)) rows.push_back(cells);
    } catch (...) {
        if (f) std::fclose(f);
        throw;
    }
    std::fclose(f);
    return rows;
}

} // namespace

TEST(MapClasses, ValuesFindTheirClass)
{
    struct value_case {
        std::vector<const char*> lines;
        bool check_bounds;
        double value;
        int expected; // class index, -1 none
    } cases[] = {
        {{"MATRIX_CLASS 3 0 < 10", "MATRIX_CLASS 4 10 < 20"}, false, 10, -1}, // the shared bound belongs to neither
        {{"MATRIX_CLASS 3 0 < 10", "MATRIX_CLASS 4 10 < 20"}, true, 10, 1},   // until the bounds are checked
        {{"MATRIX_CLASS 3 0 <= 10", "MATRIX_CLASS 4 10 < 20"}, true, 10, 0},
        {{"MATRIX_CLASS 3 0 < 10", "MATRIX_CLASS 4 10 < 20"}, true, 0, -1},
        {{"MATRIX_CLASS 3 - < 0", "MATRIX_CLASS 4 0 < 5"}, false, -1e30, 0},  // open first class
        {{"MATRIX_CLASS 3 0 < 5", "MATRIX_CLASS 4 5 < +"}, false, 1e30, 1},   // open last class
        {{"MATRIX_CLASS 5 =7 = !"}, false, 7, 0},                            // a single value
        {{"MATRIX_CLASS 6 7 < !"}, false, 7.5, -1},
        {{"MATRIX_CLASS 3 10 > 0"}, false, 5, 0},                            // descending
        {{"MATRIX_CLASS 3 10 > 0"}, false, 10, -1},
    };
    for (const value_case& c : cases) {
        SCOPED_TRACE(c.lines[0]);
        class_fixture f;
        for (const char* l : c.lines) f.add(l);
        if (c.check_bounds) check_class_bounds(f.ps);
        EXPECT_EQ(find_class(f.ps, c.value), c.expected) << c.value;
    }
}

TEST(MapClasses, ColoursLabelsAndLimits)
{
    class_fixture f;
    f.add("MATRIX_CLASS 6 7 < !");
    f.add("MATRIX_CLASS 300 1 < 2 'a label'");
    EXPECT_TRUE(f.ps.classes[0].single_value);
    EXPECT_EQ(f.ps.classes[0].legend, "7");
    EXPECT_EQ(f.ps.classes[0].colour, 7);
    EXPECT_EQ(f.ps.classes[1].colour, 301 & 255); // kept inside the colour table
    EXPECT_EQ(f.ps.classes[1].legend, "a label");

    // on monochrome vector output the classes take the ramp colours 2, 3, ...
    class_fixture mono;
    mono.ps.postscript_output = 1;
    mono.add("MATRIX_CLASS 9 0 < 1");
    mono.add("MATRIX_CLASS 9 1 < 2");
    EXPECT_EQ(mono.ps.classes[0].colour, 2);
    EXPECT_EQ(mono.ps.classes[1].colour, 3);

    // with BACKGROUND the first class is the background: its values are not drawn
    class_fixture bg;
    bg.ps.colour_background = 1;
    bg.add("MATRIX_CLASS 3 0 < 1");
    bg.add("MATRIX_CLASS 4 1 < 2");
    EXPECT_EQ(find_class(bg.ps, 0.5), -1);
    EXPECT_EQ(find_class(bg.ps, 1.5), 1);

    class_fixture full;
    for (int i = 0; i < max_classes; ++i) full.add("MATRIX_CLASS 1 " + std::to_string(i) + " < " + std::to_string(i + 1));
    try {
        full.add("MATRIX_CLASS 1 40 < 41");
        ADD_FAILURE() << "a 33rd class was taken";
    } catch (const plot_error& e) {
        EXPECT_STREQ(e.what(), "A maximum of 32 matrix classes can be defined\n");
    }
}

TEST(GridReaders, CellsOfEachFormat)
{
    work_folder folder;
    // binary, signed bytes, compressed: runs (3, -1) and (2, 7) fill a row of five cells
    folder.write("b.map", binary_header(-99996, 5, 1) + std::string("\x03\xff\x02\x07", 4));
    EXPECT_EQ(read_all_rows("b.map"), (std::vector<std::vector<float>>{{-1, -1, -1, 7, 7}}));
    // binary 16-bit plain
    folder.write("s.map", binary_header(-9998, 2, 2) + le_u16(65535) + le_u16(3) + le_u16(4) + le_u16(5));
    EXPECT_EQ(read_all_rows("s.map"), (std::vector<std::vector<float>>{{-1, 3}, {4, 5}}));
    // text, compressed: "4*1.5 x" gives four cells of 1.5 and one missing cell (-9999 without NODATA_VALUE)
    folder.write("t.asc", "ncols 5\r\nnrows 1\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\n4*1.5 x\r\n");
    EXPECT_EQ(read_all_rows("t.asc"), (std::vector<std::vector<float>>{{1.5, 1.5, 1.5, 1.5, -9999}}));
    // a run longer than the row fills the row only
    folder.write("r.asc", "ncols 2\r\nnrows 1\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\n9*2\r\n");
    EXPECT_EQ(read_all_rows("r.asc"), (std::vector<std::vector<float>>{{2, 2}}));
    // a cell centre moves the corner by half a cell
    folder.write("c.asc", "ncols 1\r\nnrows 1\r\nxllcenter 10\r\nyllcenter 0\r\ncellsize 2\r\n1\r\n");
    std::FILE* f = nullptr;
    grid_header h = read_grid_header_for_drawing(shared_context{shared_variant::plotwell}, "c.asc", f, false);
    std::fclose(f);
    EXPECT_EQ(h.x_left, 9);
    EXPECT_EQ(h.header_lines, 5);
}

// Drawing refuses a text row short of ncols cells; the frequency distribution keeps it, with its
// missing cells, and warns; a binary run passing the row's end is cut and warned of.
TEST(GridReaders, ShortRowsEndTheDrawingButTheDistributionKeepsThem)
{
    work_folder folder;
    const std::string header = "ncols 3\r\nnrows 2\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\nnodata_value -1\r\n";
    struct short_case {
        const char* name;
        std::string bytes;
        std::vector<std::vector<float>> rows;
        const char* warning;
        const char* drawing_error; // null: drawing reads the same rows
    };
    const short_case cases[] = {
        {"plain.asc", header + "1 2 3\r\n4 5\r\n", {{1, 2, 3}, {4, 5, -1}},
         "nr of strings in a line of plain.asc is 2 instead of 3\n", "not enough columns on line 1 of data file\n"},
        {"packed.asc", header + "3*1\r\n2*4\r\n", {{1, 1, 1}, {4, 4, -1}},
         "nr of values in a line of packed.asc is 2 instead of 3\n", "2 values in a line of mapfile instead of 3;ac=1;2*4;;;\n"},
        {"runs.map", binary_header(-99996, 3, 1) + std::string("\x02\x05\x02\x06", 4), {{5, 5, 6}},
         "error in compressed binary file\n", nullptr},
    };
    for (const short_case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.write(c.name, c.bytes);
        std::vector<std::string> warnings;
        EXPECT_EQ(read_all_rows(c.name, false, &warnings), c.rows);
        EXPECT_EQ(warnings, std::vector<std::string>{c.warning});
        if (!c.drawing_error) {
            EXPECT_EQ(read_all_rows(c.name), c.rows);
            continue;
        }
        try {
            read_all_rows(c.name);
            ADD_FAILURE() << "drawing read the short row";
        } catch (const plot_error& e) {
            EXPECT_STREQ(e.what(), c.drawing_error);
        }
    }
}

TEST(GridReaders, DamagedFilesAreRefused)
{
    struct refusal {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"short header", binary_header(-9999, 4, 4).substr(0, 10), "the header of the binary map m is cut short\n"},
        {"no columns", binary_header(-9999, 0, 4), "the binary map m has 0 columns and 4 rows\n"},
        {"unix lines", "ncols 4\nnrows 4\n", "The map is in UNIX-format: transform the file with mapfix -cao mapfilename\n"},
        {"columns no number", "ncols x\r\nnrows 4\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\n",
         "NCOLS in m is x: it must be a whole number from 1 to 1000000\n"},
        {"columns too many", "ncols 4000000000\r\nnrows 4\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\n",
         "NCOLS in m is 4000000000: it must be a whole number from 1 to 1000000\n"},
        {"cell size 0", "ncols 1\r\nnrows 1\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 0\r\n",
         "CELLSIZE in m must be above 0 (0)\n"},
        {"no header", "1 2 3\r\n", "map without header needs coordinate arguments with DRAW_MAP command\n"},
        {"short plain row", "ncols 3\r\nnrows 1\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\n1 2\r\n",
         "not enough columns on line 0 of data file\n"},
        {"short compressed row", "ncols 5\r\nnrows 1\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\n2*1 7\r\n",
         "3 values in a line of mapfile instead of 5;ac=2;2*1;7;;\n"},
    };
    for (const refusal& r : cases) {
        SCOPED_TRACE(r.name);
        work_folder folder;
        folder.write("m", r.bytes);
        try {
            read_all_rows("m");
            ADD_FAILURE() << "not refused";
        } catch (const plot_error& e) {
            EXPECT_EQ(std::string(e.what()), r.message);
        }
    }
}

TEST(GridReaders, ReadOutRowsInAnyOrderMatchTheRowsAsDrawn)
{
    work_folder folder;
    // 4 columns, 6 rows; row r holds r*10 + column, with a skipped line between rows 3 and 4 in the
    // text map, runs in the compressed ones
    std::string text = "ncols 4\r\nnrows 6\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\nNODATA_value -1\r\n";
    std::string plain = binary_header(-9999, 4, 6), packed = binary_header(-99999, 4, 6);
    for (int r = 1; r <= 6; ++r) {
        for (int c = 1; c <= 4; ++c) {
            text += std::to_string(r * 10 + c) + (c < 4 ? " " : "\r\n");
            plain += le_float(static_cast<float>(r * 10 + c));
        }
        packed += std::string(1, '\x02') + le_float(static_cast<float>(r)) + std::string(1, '\x02') + le_float(-1);
    }
    folder.write("t.asc", text);
    folder.write("p.map", plain);
    folder.write("c.map", packed);
    for (const char* name : {"t.asc", "p.map", "c.map"}) {
        SCOPED_TRACE(name);
        const std::vector<std::vector<float>> rows = read_all_rows(name);
        ASSERT_EQ(rows.size(), 6u);
        recording_device device;
        plot_settings ps(device);
        ps.map.file_name = name;
        std::FILE* f = nullptr;
        ps.map.header = read_grid_header_for_drawing(ps.shared, name, f, false);
        std::fclose(f);
        // backwards, forwards, repeated and jumping: each read starts from a remembered row or the top
        for (int row : {6, 2, 2, 5, 1, 3, 6, 4}) {
            for (int column : {1, 4}) {
                double v = 0;
                ASSERT_TRUE(read_map_row_values(ps, column, row, v)) << row;
                EXPECT_EQ(v, rows[static_cast<size_t>(row - 1)][static_cast<size_t>(column - 1)]) << row << "," << column;
            }
        }
        double v = 0;
        EXPECT_FALSE(read_map_row_values(ps, 5, 1, v));
        EXPECT_FALSE(read_map_row_values(ps, 1, 7, v));
        EXPECT_FALSE(read_map_row_values(ps, 0, 1, v));
    }
    // a file cut short after its remembered rows: the missing row is no value, not a fault
    recording_device device;
    plot_settings ps(device);
    ps.map.file_name = "p.map";
    std::FILE* f = nullptr;
    ps.map.header = read_grid_header_for_drawing(ps.shared, "p.map", f, false);
    std::fclose(f);
    double v = 0;
    ASSERT_TRUE(read_map_row_values(ps, 1, 6, v));
    folder.write("p.map", plain.substr(0, plain.size() - 16));
    EXPECT_TRUE(read_map_row_values(ps, 2, 5, v));
    EXPECT_EQ(v, 52);
    EXPECT_FALSE(read_map_row_values(ps, 2, 6, v));
}

TEST(MapCells, RowsMergeEqualNeighboursAndVectorOutputDrawsTheMajorityOnce)
{
    // colours 3 3 5 3 3 5 5: four rectangles on the screen; one of colour 3 under the stretch and
    // two of colour 5 over it on vector output
    const std::vector<int> colours = {3, 3, 5, 3, 3, 5, 5};
    std::vector<double> lefts;
    for (int i = 0; i < 7; ++i) lefts.push_back(i * 0.1);
    for (bool vector_output : {false, true}) {
        recording_device device;
        plot_settings ps(device);
        draw_cell_row(ps, colours, lefts, 0.1, 0, 1, vector_output);
        std::vector<std::string> r = log_lines(device.log(), "gr_rectangle");
        if (!vector_output) {
            EXPECT_EQ(r, (std::vector<std::string>{"gr_rectangle 0 0 0.2 1", "gr_rectangle 0.2 0 0.3 1",
                                                   "gr_rectangle 0.3 0 0.5 1", "gr_rectangle 0.5 0 0.7 1"}));
        } else {
            EXPECT_EQ(r, (std::vector<std::string>{"gr_rectangle 0 0 0.7 1", "gr_rectangle 0.2 0 0.3 1",
                                                   "gr_rectangle 0.5 0 0.7 1"}));
        }
    }
    EXPECT_EQ(index_of_largest_count({0, 2, 2, 1}), 1);
    EXPECT_EQ(index_of_largest_count({0, 0}), -1);
}

TEST(MapCells, LargeMapsAreThinnedToTheFrame)
{
    // 2000 columns over a frame of a few hundred device units: every k-th column and the last one
    work_folder folder;
    std::string row;
    for (int c = 0; c < 2000; ++c) row += (c % 2 ? " 1" : (c ? " 2" : "2"));
    std::string map = "ncols 2000\r\nnrows 2\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\n" + row + "\r\n" + row + "\r\n";
    folder.write("m.asc", map);
    folder.write("s.set", "DRAW_MAP ! m.asc\nMATRIX_CLASS 3 0 < 1.5\nMATRIX_CLASS 4 1.5 < 3\n");
    drawing d("xy -c s.set");
    ASSERT_TRUE(d.run()) << d.error;
    EXPECT_GT(d.ps.map.x_step, 1);
    EXPECT_LT(log_lines(d.log(), "gr_rectangle").size(), 2000u);
}

TEST(MatrixBands, EqualBandsFromEitherEnd)
{
    recording_device device;
    plot_settings ps(device);
    ps.y1_axis.min = 0;
    ps.y1_axis.max = 40;
    ps.map.yranges_count = -4; // MATRIX_YRANGES -4: from the top down
    std::vector<std::pair<double, double>> bands = matrix_bands(ps, 9);
    ASSERT_EQ(bands.size(), 4u);
    EXPECT_EQ(bands[0], (std::pair<double, double>{30, 40}));
    EXPECT_EQ(bands[3], (std::pair<double, double>{0, 10}));
    ps.map.yranges_count = 0; // none given: one band per value field, from the bottom up
    bands = matrix_bands(ps, 2);
    EXPECT_EQ(bands, (std::vector<std::pair<double, double>>{{0, 20}, {20, 40}}));
}

TEST(Polygons, LineWidthsByClass)
{
    struct width_case {
        const char* list;
        int classes;
        std::vector<double> widths;
    };
    const width_case cases[] = {
        {"1,2", 5, {1, 2, 3, 4, 5}},              // 5 / 3 missing is more than 1: steps of 1
        {"1", 11, {1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5, 5, 5.5, 6}}, // 10 missing: steps of 0.5
        {"2,1,3", 2, {2, 1, 3}},                  // more widths than classes are kept
        {"4", 0, {4}},
    };
    for (const width_case& c : cases) EXPECT_EQ(polygon_class_widths(c.list, c.classes), c.widths) << c.list;

    // a polygon takes the width of its value's class; an entry with a colour of its own the
    // width of its place in the value file
    work_folder folder;
    folder.write("m.asc", "ncols 2\r\nnrows 2\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 50\r\n1 2\r\n2 1\r\n");
    folder.write("fields.pol", "7 4 3\n10 10\n40 10\n40 40\n10 10\n8 3\n60 60\n90 60\n60 90\n");
    folder.write("fields.val", "7 2.5\n8 C9\n");
    folder.write("s.set", "DRAW_MAP ! m.asc\nMATRIX_CLASS 2 0 < 2\nMATRIX_CLASS 3 2 <= 5\n"
                          "POLYGON_LINE 1 1.5,4\nDRAW_POLYGON fields.pol 3 fields.val\n");
    drawing d("xy -c s.set");
    ASSERT_TRUE(d.run()) << d.error;
    // polygon 7 (2.5: second class, width 4) then polygon 8 (its own colour, second entry: width 2)
    const std::vector<std::string> all = log_lines(d.log(), "gr_set_line_width");
    EXPECT_NE(std::find(all.begin(), all.end(), "gr_set_line_width 4"), all.end()) << d.log();
    EXPECT_NE(std::find(all.begin(), all.end(), "gr_set_line_width 2"), all.end()) << d.log();
}

TEST(Vectors, TheLargestComponentComesFromTheComponentsAndLogLengthsCountTheirLog)
{
    work_folder folder;
    folder.write("v.dat", "1 1 0.1 0\n2 2 100 10\n3 1 0 1\n");
    // plain lengths: the components 0.1 .. 100 on the right axis give the largest component
    folder.write("s.set", "DRAW_VECTOR 0 10 3\nX_AXIS 0 4\nY_AXIS 0 4\n");
    drawing plain("xy -c s.set v.dat");
    ASSERT_TRUE(plain.run()) << plain.error;
    EXPECT_EQ(plain.ps.series_count, 3);
    EXPECT_EQ(plain.ps.data_y2_max, 100);
    EXPECT_GE(plain.ps.map.vector_largest, 100);
    // logarithmic lengths from 0.01: the components count as log10 (-1 .. 2), the zeros not at all
    folder.write("s.set", "DRAW_VECTOR 0.01 10 3 1\nX_AXIS 0 4\nY_AXIS 0 4\n");
    drawing log("xy -c s.set v.dat");
    ASSERT_TRUE(log.run()) << log.error;
    EXPECT_EQ(log.ps.data_y2_min, -1);
    EXPECT_EQ(log.ps.data_y2_max, 2);
    EXPECT_NEAR(log.ps.map.vector_largest, log.ps.y2_axis.max + 2, 1e-9); // from the lower limit log10(0.01)
    EXPECT_TRUE(log_lines(log.log(), "gr_text").empty()) << "a vector plot has no legend";
    // a largest component given: one series, nothing scaled on the right
    folder.write("s.set", "DRAW_VECTOR 50 10 3\nX_AXIS 0 4\nY_AXIS 0 4\n");
    drawing given("xy -c s.set v.dat");
    ASSERT_TRUE(given.run()) << given.error;
    EXPECT_EQ(given.ps.series_count, 1);
    EXPECT_EQ(given.ps.map.vector_largest, 50);
}
