#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"
#include "platform/rtl/SysUtils.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct CsvFixture {
    CsvFixture()
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(2);
        grid->SetRowCount(2);
    }
    String Write(const String& content, const String& name = "data.csv")
    {
        const String path = dir.path().toStdString() + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out << content;
        return path;
    }
    // The grid's cells row by row, cells joined with '|'.
    std::vector<String> Rows()
    {
        std::vector<String> rows;
        for (int r = 0; r < grid->RowCount(); ++r) {
            String row;
            for (int c = 0; c < grid->ColCount(); ++c)
                row += (c ? "|" : "") + grid->GetRawCell(c, r);
            rows.push_back(row);
        }
        return rows;
    }
    QTemporaryDir dir;
    TForm form{nullptr};
    TPlusStringGrid* grid = nullptr;
};

using Rows = std::vector<String>;

} // namespace

TEST(PlusGridCsv, EveryDelimiterCandidateIsDetected)
{
    for (char d : {',', ';', '#', '\t', '|', '@', '*', '-', '+', '&'}) {
        SCOPED_TRACE(std::string("delimiter ") + d);
        CsvFixture f;
        const String s(1, d);
        f.grid->LoadCsvFile(f.Write("a" + s + "b" + s + "c\r\n1" + s + "2" + s + "3\r\n"));
        EXPECT_EQ(f.Rows(), (Rows{"a|b|c", "1|2|3"}));
        EXPECT_EQ(f.grid->Delimiter, '\0'); // detection is for this load only
    }
}

TEST(PlusGridCsv, DetectionPasses)
{
    struct Case {
        const char* content;
        Rows rows;
    } cases[] = {
        // equal undoubled counts: the first candidate in table order wins
        {"a,b;c\n1,2;3\n", {"a|b;c", "1|2;3"}},
        // doubled commas count as none in the first pass; the plain count takes the comma
        {"x,,y\n1,,2\n", {"x||y", "1||2"}},
        // one line: the last pass takes the larger count
        {"a|b|c", {"a|b|c"}},
        // no candidate at all: each line is one cell
        {"hello\nworld\n", {"hello", "world"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        CsvFixture f;
        f.grid->SetColCount(1);
        f.grid->LoadCsvFile(f.Write(c.content));
        EXPECT_EQ(f.Rows(), c.rows);
    }
}

TEST(PlusGridCsv, SetDelimiterIsUsedAndKept)
{
    CsvFixture f;
    f.grid->Delimiter = ';';
    f.grid->LoadCsvFile(f.Write("a,b;c\n"));
    EXPECT_EQ(f.Rows(), (Rows{"a,b|c"}));
    EXPECT_EQ(f.grid->Delimiter, ';');
}

TEST(PlusGridCsv, QuotedFields)
{
    struct Case {
        const char* content;
        Rows rows;
    } cases[] = {
        {"\"a\"\"b\",x\n", {"a\"b|x"}},             // doubled quote made single
        {"\"x,y\",z\n1,2\n", {"x,y|z", "1|2"}},     // delimiter inside quotes
        {"a,b,\"\"\n1,2,3\n", {"a|b|", "1|2|3"}},  // quoted empty last field
        {"a,b,\n1,2,3\n", {"a|b|", "1|2|3"}},      // trailing delimiter: no extra cell
        {"a,\"p\"\"\",c\n", {"a|p\"|c"}},           // a quote run of three
        // a quoted field over several physical lines keeps its line breaks
        {"a,\"one\r\ntwo, three\",c\n1,2,3\n", {"a|one\r\ntwo, three|c", "1|2|3"}},
        // character 11 stands for a line break
        {"a\x0b" "b,c\n", {"a\r\nb|c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        CsvFixture f;
        f.grid->LoadCsvFile(f.Write(c.content));
        EXPECT_EQ(f.Rows(), c.rows);
    }
}

TEST(PlusGridCsv, UnclosedQuoteLosesNoLaterLine)
{
    CsvFixture f;
    f.grid->LoadCsvFile(f.Write("a,\"broken,c\n1,2,3\n4,5,6\n"));
    EXPECT_EQ(f.Rows(), (Rows{"a|broken|c", "1|2|3", "4|5|6"}));
}

TEST(PlusGridCsv, TildeLineBreaks)
{
    CsvFixture f;
    f.grid->CsvTildeLineBreaks = true;
    f.grid->LoadCsvFile(f.Write("a~b,^,c\n"));
    EXPECT_EQ(f.Rows(), (Rows{"a\r\nb||c"}));
}

TEST(PlusGridCsv, HugeFieldIsReadWhole)
{
    CsvFixture f;
    const String big(3 * 1024 * 1024, 'x');
    f.grid->LoadCsvFile(f.Write("a,\"" + big + "\",b\n1,2,3\n"));
    ASSERT_EQ(f.grid->RowCount(), 2);
    EXPECT_EQ(f.grid->GetRawCell(1, 0).size(), big.size());
    EXPECT_EQ(f.grid->GetRawCell(2, 0), "b");
}

TEST(PlusGridCsv, HeaderLineFixedOffsetsAppendAndMaxRows)
{
    {
        CsvFixture f;
        f.grid->CsvFirstLineIsData = false;
        f.grid->LoadCsvFile(f.Write("h1,h2\n1,2\n3,4\n"));
        EXPECT_EQ(f.Rows(), (Rows{"1|2", "3|4"}));
    }
    {
        CsvFixture f;
        f.grid->SetColCount(3);
        f.grid->SetRowCount(3);
        f.grid->SetFixedCols(1);
        f.grid->SetFixedRows(1);
        f.grid->SaveFixedCells = false;
        f.grid->LoadCsvFile(f.Write("1,2\n3,4\n"));
        EXPECT_EQ(f.Rows(), (Rows{"||", "|1|2", "|3|4"}));
    }
    {
        CsvFixture f;
        f.grid->LoadCsvFile(f.Write("a,b\n"));
        f.grid->ImportCsvFile(f.Write("c,d\ne,f\n", "more.csv"), true);
        EXPECT_EQ(f.Rows(), (Rows{"a|b", "c|d", "e|f"}));
    }
    {
        CsvFixture f;
        f.grid->LoadCsvFile(f.Write("1,2\n3,4\n5,6\n"), 2);
        EXPECT_EQ(f.Rows(), (Rows{"1|2", "3|4"}));
    }
}

TEST(PlusGridCsv, LoadCellEventAndProgress)
{
    CsvFixture f;
    f.grid->OnLoadCell = [](TObject*, int, int, String& value) { value = "<" + value + ">"; };
    std::vector<short> progress;
    f.grid->OnFileProgress = [&](TObject*, short p) { progress.push_back(p); };
    f.grid->LoadCsvFile(f.Write("a\nb\nc\n"));
    EXPECT_EQ(f.Rows(), (Rows{"<a>|", "<b>|", "<c>|"}));
    EXPECT_EQ(progress, (std::vector<short>{33, 67, 100}));
}

TEST(PlusGridCsv, UnreadableOrEmptyFileLeavesGridUnchanged)
{
    CsvFixture f;
    f.grid->SetRawCell(0, 0, "keep");
    EXPECT_THROW(f.grid->LoadCsvFile(f.dir.path().toStdString() + "/missing.csv"), EFOpenError);
    EXPECT_THROW(f.grid->LoadCsvFile(f.dir.path().toStdString()), EFOpenError);
    try {
        f.grid->LoadCsvFile(f.Write(""));
        FAIL() << "an empty file must raise";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "File is empty");
    }
    EXPECT_EQ(f.Rows(), (Rows{"keep|", "|"}));
}

TEST(PlusGridCsv, FloatingFooterRowStaysLastAndKeepsItsCalculation)
{
    CsvFixture f;
    f.grid->FloatingFooter()->SetVisible(true);
    f.grid->LoadCsvFile(f.Write("a,1\nb,2\n"));
    EXPECT_EQ(f.Rows(), (Rows{"a|1", "b|2", "|"}));
    f.grid->SetRawCell(0, 2, "Total");
    f.grid->EnsureCellProperties(1, 2)->FooterCalcKind = 1;
    f.grid->ImportCsvFile(f.Write("c,3\n", "more.csv"), true);
    // the sum runs over the data rows below the fixed row
    EXPECT_EQ(f.Rows(), (Rows{"a|1", "b|2", "c|3", "Total|5.00"}));
    EXPECT_EQ(f.grid->CellProperties(1, 3)->FooterCalcKind, 1);
}
