// Whole drawings compared with checked-in results: the graph job file as the GUI writes it, the data
// file its selection gives, and the log of graphics calls. PLOTWELL_UPDATE_GOLDEN=1 rewrites the logs.
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

using namespace plotwell;
using plotwell_test::drawing;
using plotwell_test::log_lines;
using plotwell_test::work_folder;

namespace {

std::string golden(const std::string& name)
{
    return quelmtest::SourceDir() + "/plotwell/core/tests/golden/" + name;
}

void expect_same_as_golden(const std::string& actual, const std::string& name)
{
    if (const char* u = std::getenv("PLOTWELL_UPDATE_GOLDEN"); u && std::string(u) == "1") {
        quelmtest::WriteFileBytes(golden(name), actual);
        return;
    }
    std::string expected = quelmtest::ReadFileBytes(golden(name));
    if (actual == expected) return;
    // the first line that differs, so that a failure says what changed
    std::istringstream a(actual), e(expected);
    std::string la, le;
    for (int line = 1;; ++line) {
        bool ga = static_cast<bool>(std::getline(a, la)), ge = static_cast<bool>(std::getline(e, le));
        if (!ga && !ge) break;
        if (!ga || !ge || la != le) {
            ADD_FAILURE() << name << " differs from the checked-in file at line " << line << ":\n  expected: "
                          << (ge ? le : "(end of file)") << "\n  actual:   " << (ga ? la : "(end of file)");
            return;
        }
    }
    ADD_FAILURE() << name << " differs from the checked-in file in its line ends";
}

std::vector<std::string> files_in(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(GoldenDrawing, GraphJobFileOfTheGuiSelectsAndDrawsItsData)
{
    work_folder folder;
    quelmtest::TempDir temp;
    folder.write("UserDefinedGraph.set", quelmtest::ReadFileBytes(golden("UserDefinedGraph.set")));
    folder.write("1.out", quelmtest::ReadFileBytes(golden("1.out")));

    drawing d("xy -c UserDefinedGraph.set", temp.str());
    ASSERT_TRUE(d.run()) << d.error;

    EXPECT_EQ(folder.read("data.xy"), quelmtest::ReadFileBytes(golden("data.xy")));
    expect_same_as_golden(d.log(), "UserDefinedGraph.log");
    // only the documented output stays: no temporary file in either folder
    EXPECT_EQ(files_in(folder.path()), (std::vector<std::string>{"1.out", "UserDefinedGraph.set", "data.xy"}));
    EXPECT_TRUE(files_in(temp.str()).empty());
    // three series of six points, one legend line each
    EXPECT_EQ(log_lines(d.log(), "gr_polyline").size(), 3u);
    EXPECT_EQ(log_lines(d.log(), "gr_text").size(), 6u + 3u + 1u + 3u + 2u);
}

TEST(GoldenDrawing, TemporaryFilesGoAlsoWhenTheSelectionFails)
{
    work_folder folder;
    quelmtest::TempDir temp;
    folder.write("g.set", "DATA missing.out 1 2\nDATA missing.out 2 1\n");
    drawing d("xy -c g.set", temp.str());
    EXPECT_FALSE(d.run());
    EXPECT_NE(d.error.find("missing.out"), std::string::npos) << d.error;
    EXPECT_TRUE(files_in(temp.str()).empty());
    EXPECT_EQ(files_in(folder.path()), (std::vector<std::string>{"g.set"}));

    // the next drawing of the same settings object works
    folder.write("missing.out", "1 2\n2 4\n");
    d.device.clear_log();
    EXPECT_TRUE(d.run()) << d.error;
    EXPECT_EQ(log_lines(d.log(), "gr_polyline").size(), 2u);
}

TEST(GoldenDrawing, ManyChunksDrawOneJoinedLine)
{
    work_folder folder;
    {
        std::string text;
        text.reserve(250000 * 12);
        for (int i = 0; i < 250000; ++i) text += std::to_string(i) + " " + std::to_string(i % 1000) + "\n";
        folder.write("big.dat", text);
    }
    drawing d("xy -c c.set big.dat");
    folder.write("c.set", "X_AXIS 0 250000\nY_AXIS 0 1000\nXY_COLUMNS 1,2\n");
    ASSERT_TRUE(d.run()) << d.error;
    std::vector<std::string> lines = log_lines(d.log(), "gr_polyline");
    ASSERT_EQ(lines.size(), 3u);
    std::vector<std::vector<double>> chunks;
    for (const std::string& l : lines) {
        std::istringstream in(l.substr(12));
        int n;
        in >> n;
        std::vector<double> v(2 * n);
        for (double& x : v) in >> x;
        chunks.push_back(v);
    }
    EXPECT_EQ(chunks[0].size(), 2u * 100000);
    EXPECT_EQ(chunks[1].size(), 2u * 100000);
    EXPECT_EQ(chunks[2].size(), 2u * 50002); // the carried point and the last 50001 rows
    for (size_t k = 1; k < chunks.size(); ++k) {
        // the first point of a chunk is the last point of the one before
        const std::vector<double>& prev = chunks[k - 1];
        EXPECT_EQ(chunks[k][0], prev[prev.size() - 2]);
        EXPECT_EQ(chunks[k][1], prev[prev.size() - 1]);
    }
    EXPECT_NEAR(chunks[2][chunks[2].size() - 2], 249999.0 / 250000, 1e-6);
}

TEST(GoldenDrawing, DataRowsWithLfAndCrLfLineEndsDrawTheSame)
{
    work_folder folder;
    folder.write("lf.dat", "1 2\n2 3\n3 5");
    folder.write("crlf.dat", "1 2\r\n2 3\r\n3 5\r\n");
    drawing lf("xy lf.dat"), crlf("xy crlf.dat");
    ASSERT_TRUE(lf.run()) << lf.error;
    ASSERT_TRUE(crlf.run()) << crlf.error;
    EXPECT_EQ(log_lines(lf.log(), "gr_polyline"), log_lines(crlf.log(), "gr_polyline"));
    EXPECT_EQ(log_lines(lf.log(), "gr_polyline").at(0), "gr_polyline 3 0 0 0.5 0.333333 1 1");
}
