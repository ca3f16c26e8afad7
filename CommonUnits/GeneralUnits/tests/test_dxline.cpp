#include "CommonUnits/GeneralUnits/DxLine.h"
#include "CommonUnits/GeneralUnits/DxTxtFle.h"

#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

namespace {

std::vector<String> FieldsOf(const TDxLine& line)
{
    std::vector<String> fields;
    for (int i = 1; i <= line.FieldCount(); ++i)
        fields.push_back(line.Field(i));
    return fields;
}

} // namespace

TEST(TDxLine, SplitsByModeAndSpec)
{
    const struct {
        String separators;
        String line;
        std::vector<String> fields;
    } cases[] = {
        // blank mode: runs of blanks are one separator, no fields from the ends
        {"", "  * QUELM  REPORT: Header ", {"*", "QUELM", "REPORT:", "Header"}},
        {"", "a", {"a"}},
        {"", "   ", {}},
        {"", "", {}},
        {"", "a\tb", {"a\tb"}},
        // one character
        {",", "a,,b,", {"a", "", "b", ""}},
        {",", ",,", {"", "", ""}},
        {",", "", {}},
        {",", "a", {"a"}},
        {" ", "a  b", {"a", "", "b"}}, // one blank as separator is not blank mode
        {";x", "1;2", {"1", "2"}},     // only the first character counts
        // caret notation
        {"^I", "a\tb\t c", {"a", "b", " c"}},
        {"^i", "a\tb", {"a", "b"}},
        {"^A", "a\x01z", {"a", "z"}},
        {"^z", "a\x1Az", {"a", "z"}},
        {"^[", "a\x1Bz", {"a", "z"}},
        {"^;", "a^b;c", {"a", "b;c"}},
        {"^^", "a^b", {"a", "b"}},
        {"^", "a^b", {"a", "b"}}, // a lone caret is the caret itself
    };
    for (const auto& c : cases) {
        TDxLine line;
        line.SeparatorSpec = c.separators;
        line.SetText(c.line);
        EXPECT_EQ(FieldsOf(line), c.fields) << "separators '" << c.separators << "' line '" << c.line << "'";
        EXPECT_EQ(line.Field(0), c.line);
        EXPECT_EQ(line.Field(line.FieldCount() + 1), "");
    }
}

TEST(TDxLine, RestFromAndMatching)
{
    TDxLine line;
    line.SetText("  * QUELM  REPORT: Header ");
    EXPECT_EQ(line.RestFrom(3), "REPORT: Header ");
    EXPECT_EQ(line.RestFrom(0), "  * QUELM  REPORT: Header ");
    EXPECT_EQ(line.RestFrom(5), "");
    EXPECT_EQ(line.RestFrom(-1), "");
    EXPECT_EQ(line.Field(300), "");
    EXPECT_TRUE(line.MatchesFields({"*", "QUELM"}));
    EXPECT_TRUE(line.MatchesFields({"*", "QUELM", "REPORT:", "Header"}));
    EXPECT_FALSE(line.MatchesFields({"*", "quelm"})); // case matters
    EXPECT_FALSE(line.MatchesFields({"*", "QUELM", "REPORT:", "Header", "x"}));
    EXPECT_FALSE(line.MatchesFields(std::vector<String>{"*"}, 3)); // index beyond the words

    line.SeparatorSpec = ",";
    line.SetText("a,,b,");
    EXPECT_EQ(line.RestFrom(2), ",b,");
    EXPECT_EQ(line.RestFrom(4), ""); // the empty last field has no start
}

TEST(TDxLine, TooManyFieldsIsAClearError)
{
    TDxLine line;
    String fields255, fields256;
    for (int i = 0; i < 255; ++i)
        fields255 += "x ";
    fields256 = fields255 + "y";
    line.SetText(fields255);
    EXPECT_EQ(line.FieldCount(), 255);
    EXPECT_EQ(line.Field(255), "x");
    try {
        line.SetText(fields256);
        FAIL() << "256 fields accepted";
    } catch (const EDxError& e) {
        EXPECT_EQ(e.Message(), "Line has more than 255 fields");
    }
    EXPECT_EQ(line.FieldCount(), 0);

    line.SeparatorSpec = ",";
    EXPECT_THROW(line.SetText(String(255, ',')), EDxError); // 256 empty fields
    line.SetText(String(254, ','));
    EXPECT_EQ(line.FieldCount(), 255);
}

TEST(TDxTextFile, ReadsLinesWithAnyEndAndFindsLines)
{
    quelmtest::TempDir dir;
    const String path = dir.file("sum.txt");
    quelmtest::WriteFileBytes(path, "first line\r\n* QUELM REPORT: A\nvalue 1 2\r\nlast");
    TDxTextFile file(path);
    EXPECT_FALSE(file.Eof());
    ASSERT_TRUE(file.FindLine({"*", "QUELM", "REPORT:"}));
    EXPECT_EQ(file.Line().Field(4), "A");
    ASSERT_TRUE(file.ReadLine());
    EXPECT_EQ(file.Line().Text(), "value 1 2");
    EXPECT_FALSE(file.FindLine({"nothing"}));
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.Line().Text(), "last"); // the last line stays current
    EXPECT_FALSE(file.ReadLine());
    EXPECT_EQ(file.Line().Text(), "last");
}

TEST(TDxTextFile, SeparatorAndEmptyFileAndMissingFile)
{
    quelmtest::TempDir dir;
    quelmtest::WriteFileBytes(dir.file("tab.txt"), "a\tb\n");
    TDxTextFile tabbed(dir.file("tab.txt"));
    tabbed.SetSeparator("^I");
    ASSERT_TRUE(tabbed.ReadLine());
    EXPECT_EQ(tabbed.Line().FieldCount(), 2);
    EXPECT_TRUE(tabbed.Eof());

    quelmtest::WriteFileBytes(dir.file("empty.txt"), "");
    TDxTextFile empty(dir.file("empty.txt"));
    EXPECT_TRUE(empty.Eof());
    EXPECT_FALSE(empty.ReadLine());

    const String missing = dir.file("missing.txt");
    try {
        TDxTextFile file(missing);
        FAIL() << "missing file opened";
    } catch (const EDxError& e) {
        EXPECT_EQ(e.Message(), "File '" + missing + "' not found");
    }
}
