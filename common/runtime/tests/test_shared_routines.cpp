// The routines rowsift and plotwell share: word splitting, options and flags, file names
// with environment parts, number tests and the two ways a fatal message is shown.
#include "common/runtime/shared_routines.h"

#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct split_case {
    const char* text;
    char separator;
    int maximum;
    std::vector<std::string> words;
};

class SplitFields : public ::testing::TestWithParam<split_case> {};

TEST_P(SplitFields, GivesTheWords)
{
    const split_case& c = GetParam();
    EXPECT_EQ(split_fields(c.text, c.separator, c.maximum), c.words) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, SplitFields, ::testing::Values(
    split_case{"set.txt -o 'C:\\My Data\\out.txt' -xy", ' ', 300, {"set.txt", "-o", "C:\\My Data\\out.txt", "-xy"}},
    split_case{"  a \t b\r\n c\v", ' ', 0, {"a", "b", "c"}},
    split_case{"\"two words\" `back quoted` 'single'", ' ', 0, {"two words", "back quoted", "single"}},
    split_case{"'it''s here' x", ' ', 0, {"it's here", "x"}},   // doubled quote: one quote
    split_case{"'open to the end", ' ', 0, {"open to the end"}},
    split_case{"a b c d e", ' ', 3, {"a", "b", "c"}},            // the rest is ignored
    split_case{"1,,2, 3,", ',', 0, {"1", "2", " 3"}},
    split_case{"1,2\n3", ',', 0, {"1", "2", "3"}},              // a line feed always separates
    split_case{"", ' ', 0, {}}));

TEST(SharedRoutines, OptionArgumentsAreTakenOut)
{
    std::vector<std::string> words = {"set.txt", "-o", "out.txt", "-xy"};
    std::string value;
    EXPECT_EQ(take_option_argument(value, words, "-o"), 2);
    EXPECT_EQ(value, "out.txt");
    EXPECT_EQ(words, (std::vector<std::string>{"set.txt", "-xy"}));
    EXPECT_EQ(take_option_argument(value, words, "-s"), 2);
    EXPECT_EQ(value, "");
    words.push_back("-s");
    EXPECT_EQ(take_option_argument(value, words, "-s"), 2);   // last word: empty value
    EXPECT_EQ(value, "");
}

TEST(SharedRoutines, FlagLettersSetBitsFromTheRight)
{
    struct flag_case {
        std::vector<std::string> words;
        unsigned mask;
        std::string unknown;
    };
    for (const flag_case& c : std::vector<flag_case>{
             {{"-x"}, 2, ""}, {{"-y"}, 1, ""}, {{"-xy"}, 3, ""}, {{"-yx", "set"}, 3, ""}, {{"-q"}, 0, "q"},
             {{"-xq"}, 2, "q"}}) {
        std::vector<std::string> words = c.words;
        unsigned mask = 99;
        std::string unknown;
        collect_flag_letters(mask, words, "xy", [&](char letter) { unknown += letter; });
        EXPECT_EQ(mask, c.mask) << c.words[0];
        EXPECT_EQ(unknown, c.unknown) << c.words[0];
        for (const std::string& w : words)
            EXPECT_NE(w[0], '-');
    }
}

TEST(SharedRoutines, EnvironmentPartsOfFileNames)
{
    setenv("ROWSIFT_TEST_HOME", "/home/a", 1);
    EXPECT_EQ(expand_environment_path("$ROWSIFT_TEST_HOME/data.set"), "/home/a/data.set");
    EXPECT_EQ(expand_environment_path("dir\\$ROWSIFT_TEST_HOME\\x"), "dir//home/a/x");
    EXPECT_EQ(expand_environment_path("plain/name.txt"), "plain/name.txt");
    unsetenv("ROWSIFT_TEST_UNSET");
    try {
        expand_environment_path("$ROWSIFT_TEST_UNSET/x");
        FAIL();
    } catch (const fatal_error_exception& e) {
        EXPECT_STREQ(e.what(), "Environment setting 'ROWSIFT_TEST_UNSET' is not set!");
    }
}

TEST(SharedRoutines, NumberTests)
{
    const shared_context rowsift;
    for (const char* yes : {"1", "0.5", ".5", "-3", "+3", "-.5", "+.5", "5abc", "1e5"})
        EXPECT_TRUE(is_number(rowsift, yes)) << yes;
    for (const char* no : {"", "abc", ".", "-", "-.", " 1", "e5", "..5"})
        EXPECT_FALSE(is_number(rowsift, no)) << no;
    const shared_context plotwell{shared_variant::plotwell};
    EXPECT_TRUE(is_number(plotwell, "  1"));      // plotwell skips leading blanks
    EXPECT_TRUE(is_integer("0123"));
    EXPECT_FALSE(is_integer("12a"));
    EXPECT_FALSE(is_integer(""));
    EXPECT_EQ(find_substring("abcabc", "ca"), 3);
    EXPECT_EQ(find_substring("abc", "x"), 0);
    EXPECT_EQ(char_position('c', "abc"), 3);
    std::string t = "mixed Case 1";
    to_upper_string(t);
    EXPECT_EQ(t, "MIXED CASE 1");
}

TEST(SharedRoutines, FatalTextsLongerThan34CharactersAreShownTwice)
{
    std::vector<std::string> shown;
    shared_context context;
    context.message_handler = [&](const std::string& text) { shown.push_back("Message: " + text); };
    auto exit_box = [&](const std::string& text) { shown.push_back("Exit: " + text); };
    report_fatal_error(context, "Cannot open x.txt!", exit_box);
    EXPECT_EQ(shown, (std::vector<std::string>{"Exit: Cannot open x.txt!"}));
    shown.clear();
    const std::string long_text(35, 'x');
    report_fatal_error(context, long_text, exit_box);
    EXPECT_EQ(shown, (std::vector<std::string>{"Message: " + long_text, "Exit: Fatal error!"}));
}

TEST(SharedRoutines, OpeningFilesInBothVariants)
{
    quelmtest::TempDir dir;
    quelmtest::WriteFileBytes(dir.file("here.set"), "x\n");
    shared_context rowsift;
    try {
        open_file_or_fail(rowsift, dir.file("missing.set"), "r");
        FAIL();
    } catch (const fatal_error_exception& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open " + dir.file("missing.set") + "!");
    }
    shared_context plotwell{shared_variant::plotwell, dir.str()};
    std::FILE* f = open_file_or_fail(plotwell, "here.set", "r");   // found in the settings folder
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    try {
        open_file_or_fail(plotwell, "missing.set", "r");
        FAIL();
    } catch (const fatal_error_exception& e) {
        EXPECT_STREQ(e.what(), "Cannot open missing.set\n");
    }
    // plotwell's search without failing: no "$NAME" expansion, and an empty name is not the folder
    EXPECT_EQ(open_file_if_present(plotwell, "missing.set", "r"), nullptr);
    EXPECT_EQ(open_file_if_present(plotwell, "", "r"), nullptr);
    try {
        open_file_or_fail(plotwell, "$HOME\\x.set", "r");
        FAIL();
    } catch (const fatal_error_exception& e) {
        EXPECT_STREQ(e.what(), "Cannot open $HOME/x.set\n");
    }
    // rowsift does not look in the settings folder
    rowsift.settings_folder = dir.str();
    EXPECT_EQ(open_file_if_present(rowsift, "here.set", "r"), nullptr);
}

TEST(SharedRoutines, NumbersAreWrittenInTheCLocale)
{
    EXPECT_EQ(format_double("%g", 0.5), "0.5");
    EXPECT_EQ(format_double("%G", 1.23456789), "1.23457");
    EXPECT_EQ(format_double("%G", 1e20), "1E+20");
    EXPECT_DOUBLE_EQ(c_strtod("2.5e1xyz"), 25);
    EXPECT_EQ(format_text("%s %d", "a", 3), "a 3");
}

} // namespace
