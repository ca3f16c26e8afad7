// The selection engine in process: conditions, plotwell's variant (prepared lines, four
// condition pairs, detection prefixes, progress), output only on success, no temporary
// files left behind.
#include "rowsift/row_selection.h"
#include "common/runtime/shared_routines.h"

#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class RowSelection : public ::testing::Test {
protected:

    data_selection_setup setup(const std::string& settings)
    {
        quelmtest::WriteFileBytes(dir.file("set.txt"), settings);
        data_selection_setup s;
        s.settings = std::fopen(dir.file("set.txt").c_str(), "r");
        s.output_path = dir.file("out.txt");
        s.temp_folder = temp.str();
        return s;
    }
    std::string path(const std::string& name) const { return dir.file(name); }
    void write(const std::string& name, const std::string& bytes) { quelmtest::WriteFileBytes(dir.file(name), bytes); }
    std::string output() const { return quelmtest::ReadFileBytes(dir.file("out.txt")); }

    quelmtest::TempDir dir;
    quelmtest::TempDir temp;
};

TEST_F(RowSelection, ConditionKindsOnOneField)
{
    struct condition_case {
        const char* text;
        const char* field;
        bool holds;
    };
    const std::vector<condition_case> cases = {
        {"\\+1", "+1", true},  {"\\+1", "1", false},  {"!a", "b", true},     {"!a", "a", false},
        {"?ell", "hello", true}, {"?x", "hello", false}, {"-5", "4.9", true},  {"-5", "5", false},
        {"-5", "abc", false},  {"-=5", "5", true},     {"+5", "5.1", true},   {"+=5", "5", true},
        {"+=5", "4", false},   {"=-5", "-5.0", true},  {"=-5", "-5x", true},  {"=-5", "x-5", false},
        {"%2", "4.5", true},   {"%2", "3.9", false},   {"%2", "-4", true},    {"%-1", "7", true},
        {"%0", "0", true},     {"%0", "0.0", false},   {"abc", "abc", true},  {"abc", "abcd", false},
    };
    for (const condition_case& c : cases) {
        selection_condition condition = make_condition(3, c.text);
        EXPECT_EQ(test_condition(condition, c.field, ""), c.holds) << c.text << " on " << c.field;
    }
    selection_condition whole = make_condition(0, "?ERR");
    EXPECT_TRUE(test_condition(whole, "", "1 2 ?ERR here"));
    EXPECT_FALSE(test_condition(whole, "", "1 2 ERR here"));
}

TEST_F(RowSelection, OutputOnlyWhenTheSelectionSucceeds)
{
    write("d.txt", "1 2\n3 x\n");
    auto s = setup(path("d.txt") + " 1 2\n" + path("d.txt") + " 1 $2*\n");
    s.skip_string = "*";
    try {
        run_data_selection(std::move(s));
        FAIL();
    } catch (const fatal_error_exception& e) {
        EXPECT_STREQ(e.what(), "2*: syntax error\n");
    }
    EXPECT_FALSE(fs::exists(path("out.txt")));
    EXPECT_TRUE(fs::is_empty(temp.path()));
    for (const auto& f : fs::directory_iterator(dir.path()))
        EXPECT_EQ(f.path().extension(), ".txt") << f.path();
}

TEST_F(RowSelection, GroupsReadEachFileOnceAndKeepSettingsOrder)
{
    write("a.txt", "1 10\r\n2 20\r\n3 30\r\n");
    write("b.txt", "7 70\n");
    auto s = setup("a.txt 1 2\nb.txt ! 2\na.txt 1 2 2 +15\n");
    data_selection selection(std::move(s));
    selection.read_selection_settings();
    EXPECT_EQ(selection.data_file_names(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(selection.entries()[2].group, 1);
    // names are relative to the current folder: run there
    fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    selection.select_rows();
    selection.merge_output_columns();
    fs::current_path(previous);
    EXPECT_EQ(output(), "1\t10\t70\t2\t20\n2\t20\t-\t3\t30\n3\t30\t-\t-\t-\n");
    EXPECT_EQ(selection.largest_rows(), 3);
    EXPECT_TRUE(fs::is_empty(temp.path()));
}

// Two selections alive at once each sum from 0 in their own variables.
TEST_F(RowSelection, SelectionsKeepTheirOwnVariables)
{
    write("d.txt", "1\n2\n3\n");
    auto make = [&](const std::string& name, const std::string& settings) {
        write(name + ".set", settings);
        data_selection_setup s;
        s.settings = std::fopen(path(name + ".set").c_str(), "r");
        s.output_path = path(name + ".out");
        s.temp_folder = temp.str();
        return s;
    };
    data_selection first(make("first", path("d.txt") + " 1 S=S+$1\n"));
    data_selection second(make("second", path("d.txt") + " 1 S=S+$1*10\n"));
    first.read_selection_settings();
    second.read_selection_settings();
    first.select_rows();
    second.select_rows();
    first.merge_output_columns();
    second.merge_output_columns();
    EXPECT_EQ(quelmtest::ReadFileBytes(path("first.out")), "1\t1\n2\t3\n3\t6\n");
    EXPECT_EQ(quelmtest::ReadFileBytes(path("second.out")), "1\t10\n2\t30\n3\t60\n");
}

TEST_F(RowSelection, ProgressReportsRowsAndBytes)
{
    write("d.txt", "* head\n1 5\n2 6\n");
    auto s = setup(path("d.txt") + " 1 2\n" + path("d.txt") + " 1 2 2 +5\n");
    std::vector<selection_progress> seen;
    s.on_row_accepted = [&](const selection_progress& p) { seen.push_back(p); };
    EXPECT_EQ(run_data_selection(std::move(s)), 1);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].bytes_read, 7 + 4);  // "* head" and "1 5", each with its line end
    EXPECT_TRUE(seen[0].largest_raised);
    EXPECT_EQ(seen[2].line_rows, 1);
    EXPECT_EQ(seen[2].largest_rows, 2);
    EXPECT_FALSE(seen[2].largest_raised);
}

TEST_F(RowSelection, PlotwellVariant)
{
    write("d.txt", "1 <0.5 a b c d e\n2 >3 a b c d e\n3 2 a b c d x\n* skipped row\n");
    // A prepared line: "*"-lines are not skipped here; the fifth condition pair is ignored.
    auto s = setup(path("d.txt") + " 1 $2*2 3 a 4 b 5 c 6 d 7 e\n" + path("d.txt") + " 1 2\n");
    s.variant = selection_variant::plotwell;
    s.context.variant = shared_variant::plotwell;
    s.detection_given = true;
    s.detection_below = 0.5;
    s.detection_above = 2;
    EXPECT_EQ(run_data_selection(std::move(s)), 1);
    EXPECT_EQ(output(), "1\t0.5\t1\t<0.5\n2\t12\t2\t>3\n3\t4\t3\t2\n");
}

TEST_F(RowSelection, PlotwellEmptyLineIsAnError)
{
    auto s = setup("x 1 2\n\n");
    s.variant = selection_variant::plotwell;
    s.context.variant = shared_variant::plotwell;
    EXPECT_THROW(run_data_selection(std::move(s)), fatal_error_exception);
}

TEST_F(RowSelection, FatalSettings)
{
    struct fatal_case {
        const char* settings;
        const char* message;
    };
    for (const fatal_case& c : std::vector<fatal_case>{
             {"d 1 2 3\n", "number of columns in rowsift settings file must be uneven\n"},
             {"d 1 2 3 a 4 b 5 c 6 d 7 e 8\n", "number of columns in rowsift settings file must be uneven\n"},
             {"* x\nd 1 2\nd 1 2 3 a -1 b\n", "column 6 in line 2 of rowsift settings file must contain a number\n"},
             {"d 1 0\n", "y column in line 1 of rowsift settings file must not be 0\n"},
         }) {
        auto s = setup(c.settings);
        try {
            run_data_selection(std::move(s));
            ADD_FAILURE() << c.settings;
        } catch (const fatal_error_exception& e) {
            EXPECT_STREQ(e.what(), c.message) << c.settings;
        }
        EXPECT_FALSE(fs::exists(path("out.txt")));
    }
}

TEST_F(RowSelection, DataLinesPassOverEmptyAndSkippedRows)
{
    write("d.txt", "\r\n* note\n*\n1 2\r\n\n3 4");
    std::FILE* f = std::fopen(path("d.txt").c_str(), "r");
    std::string line;
    ASSERT_TRUE(read_data_line(f, line, "*"));
    EXPECT_EQ(line, "1 2");
    ASSERT_TRUE(read_data_line(f, line, "*"));
    EXPECT_EQ(line, "3 4");              // a last line without its end
    EXPECT_FALSE(read_data_line(f, line, "*"));
    std::rewind(f);
    ASSERT_TRUE(read_data_line(f, line, ""));
    EXPECT_EQ(line, "* note");
    std::fclose(f);
}

TEST_F(RowSelection, NoRowsGiveAnEmptyTable)
{
    write("d.txt", "1 2\n");
    auto s = setup(path("d.txt") + " 1 2 1 nothing\n");
    EXPECT_EQ(run_data_selection(std::move(s)), 0);
    EXPECT_EQ(output(), "");
}

} // namespace
