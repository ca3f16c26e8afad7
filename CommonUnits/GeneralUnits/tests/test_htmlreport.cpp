// The HTML report: the page's fixed head, titles and lines, tables from a string grid, the
// escaping of callers' texts, the file written in the temporary folder, and its opening.
#include "CommonUnits/GeneralUnits/tests/settings_fixture.h"

#include "CommonUnits/GeneralUnits/THtmlReport_Unit.h"

#include "platform/framework/Grids.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinShell.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

class HtmlReportTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        setenv("TMP", dir.str().c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("TMP");
        SettingsTest::TearDown();
    }
    // A grid of the given widths, its cells from the rows (row 0 first).
    std::unique_ptr<TStringGrid> Grid(const std::vector<int>& widths, const std::vector<std::vector<String>>& rows)
    {
        auto grid = std::make_unique<TStringGrid>(nullptr);
        grid->SetColCount(int(widths.size()));
        grid->SetRowCount(int(rows.size()));
        for (size_t c = 0; c < widths.size(); ++c)
            grid->SetColWidths(int(c), widths[c]);
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < rows[r].size(); ++c)
                grid->SetCells(int(c), int(r), rows[r][c]);
        return grid;
    }
    // The user's private folder in the temporary folder, where reports are written.
    String PrivateDir() const { return dir.file("quelm-" + std::to_string(geteuid())); }
    // The report's lines from the first line after the page's head.
    static std::vector<String> Body(const THtmlReport& report)
    {
        std::vector<String> lines;
        for (int i = 17; i < report.Lines().Count(); ++i)
            lines.push_back(report.Lines()[i]);
        return lines;
    }
};

const String kHR5 = "<TD COLSPAN=\"1\"><HR SIZE=\"5\" NOSHADE></TD>";
const String kHR1 = "<TD COLSPAN=\"1\"><HR SIZE=\"1\" NOSHADE></TD>";
const String kCF = " CLASS=\"TableFirstCell\" Align=\"Left\" VAlign=\"Top\"";
const String kCT = " CLASS=\"Table\"          Align=\"Right\" VAlign=\"Top\"";

TEST_F(HtmlReportTest, SavedPageHasTheFixedHeadTitlesLinesAndCrLfLineEnds)
{
    THtmlReport report("Some", "Page title");
    report.AddTitle("A title");
    report.AddLine("a  b");
    report.AddLine("");
    report.Save();
    EXPECT_EQ(report.FilePath(), JoinPath(PrivateDir(), "Some.htm"));
    const String expected =
        "<HTML>\r\n"
        "<HEAD>\r\n"
        "<TITLE>Page title</TITLE>\r\n"
        "<META http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n"
        "<STYLE type=\"text/css\">\r\n"
        "<!--\r\n"
        ".FontStandard   {font-family: \"Courier New\", Courier, mono; font-size:  8pt}\r\n"
        ".FontTitle1     {font-family: Arial, Helvetica, sans-serif; font-size: 14pt}\r\n"
        ".FontTitle2     {font-family: Arial, Helvetica, sans-serif; font-size: 12pt}\r\n"
        ".FontTitle3     {font-family: Arial, Helvetica, sans-serif; font-size: 10pt}\r\n"
        ".TableHeaderRow {font-family: Arial, Helvetica, sans-serif; font-size: 10pt; font-weight: bold; "
        "background-color: #B2B7CA}\r\n"
        ".TableFirstCell {font-family: Arial, Helvetica, sans-serif; font-size: 10pt; background-color: #F0F0F0}\r\n"
        ".Table          {font-family: Arial, Helvetica, sans-serif; font-size: 10pt}\r\n"
        "-->\r\n"
        "</STYLE>\r\n"
        "</HEAD>\r\n"
        "<BODY CLASS=\"FontStandard\" bgcolor=\"#FFFFFF\" text=\"#000000\">\r\n"
        "<P class=\"FontTitle1\">A title</P>\r\n"
        "a&nbsp;&nbsp;b<BR>\r\n"
        "<BR>\r\n"
        "</BODY>\r\n"
        "</HTML>\r\n";
    EXPECT_EQ(quelmtest::ReadFileBytes(report.FilePath()), expected);
}

TEST_F(HtmlReportTest, CallersTextsAreEscapedAndWrittenInTheDeclaredCharacterSet)
{
    // 0x80 is the euro sign of the code page, which ISO 8859-1 has not; 0xE9 (e acute) it has
    THtmlReport report("Escaped", "Soil <A> & \"B\"");
    report.AddTitle("R&D <project>");
    report.AddLine("x < y & z \x80 \xE9");
    auto grid = Grid({40, 40}, {{"<h>", "a&b"}, {"1<2", "\x80"}});
    report.AddGridTable(*grid, true, false, 0);
    report.Save();
    const String page = quelmtest::ReadFileBytes(report.FilePath());
    EXPECT_NE(page.find("<TITLE>Soil &lt;A&gt; &amp; &quot;B&quot;</TITLE>"), String::npos);
    EXPECT_NE(page.find("<P class=\"FontTitle1\">R&amp;D &lt;project&gt;</P>"), String::npos);
    EXPECT_NE(page.find("x&nbsp;&lt;&nbsp;y&nbsp;&amp;&nbsp;z&nbsp;&#8364;&nbsp;\xE9<BR>"), String::npos);
    EXPECT_NE(page.find(">&lt;h&gt;</TH>"), String::npos);
    EXPECT_NE(page.find(">a&amp;b</TH>"), String::npos);
    EXPECT_NE(page.find(">1&lt;2</TD>"), String::npos);
    EXPECT_NE(page.find(">&#8364;</TD>"), String::npos);
    for (const char ch : page)
        EXPECT_FALSE(static_cast<unsigned char>(ch) >= 0x80 && static_cast<unsigned char>(ch) <= 0x9F)
            << "a byte that ISO 8859-1 reads as a control character";
}

TEST_F(HtmlReportTest, GridTableHasRulesHeaderRowsAndVisibleColumnsOnly)
{
    struct Case {
        const char* name;
        std::vector<int> widths;
        std::vector<std::vector<String>> rows;
        bool header;
        bool separateLast;
        std::vector<String> expected;
    };
    const Case cases[] = {
        {"header and two rows, an empty cell",
         {50, 30},
         {{"RUN_ID", "X"}, {"1", ""}, {"2", "b"}},
         true,
         false,
         {"<TABLE WIDTH=80 BORDER=0 CELLSPACING=0>",
          "<TR>" + kHR5 + kHR5 + "</TR>",
          "<TR CLASS=\"TableHeaderRow\"><TH WIDTH=50 Align=\"Left\" VAlign=\"Top\">RUN_ID</TH>"
          "<TH WIDTH=30 Align=\"Right\" VAlign=\"Top\">X</TH></TR>",
          "<TR>" + kHR1 + kHR1 + "</TR>",
          "<TR><TD WIDTH=50" + kCF + ">1</TD><TD WIDTH=30" + kCT + ">&nbsp</TD></TR>",
          "<TR><TD WIDTH=50" + kCF + ">2</TD><TD WIDTH=30" + kCT + ">b</TD></TR>",
          "<TR>" + kHR5 + kHR5 + "</TR>",
          "</TABLE>"}},
        {"only a header row",
         {20},
         {{""}},
         true,
         false,
         {"<TABLE WIDTH=20 BORDER=1 CELLSPACING=0>",
          "<TR>" + kHR5 + "</TR>",
          "<TR CLASS=\"TableHeaderRow\"><TH WIDTH=20 Align=\"Left\" VAlign=\"Top\">&nbsp</TH></TR>",
          "<TR>" + kHR1 + "</TR>",
          "<TR>" + kHR5 + "</TR>",
          "</TABLE>"}},
        {"hidden first column, no header, last row set off",
         {0, 10, 0, 12},
         {{"a", "b", "c", "d"}, {"e", "f", "g", "h"}},
         false,
         true,
         {"<TABLE WIDTH=22 BORDER=2 CELLSPACING=0>",
          "<TR>" + kHR5 + kHR5 + "</TR>",
          "<TR><TD WIDTH=10" + kCT + ">b</TD><TD WIDTH=12" + kCT + ">d</TD></TR>",
          "<TR>" + kHR1 + kHR1 + "</TR>",
          "<TR><TD WIDTH=10" + kCT + ">f</TD><TD WIDTH=12" + kCT + ">h</TD></TR>",
          "<TR>" + kHR5 + kHR5 + "</TR>",
          "</TABLE>"}},
    };
    int border = 0; // 0, 1, 2 in turn
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto grid = Grid(c.widths, c.rows);
        THtmlReport report("Table", "t");
        report.AddGridTable(*grid, c.header, c.separateLast, border++);
        EXPECT_EQ(Body(report), c.expected);
    }
}

TEST_F(HtmlReportTest, SecondReportOfTheSameNameReplacesTheFirst)
{
    {
        THtmlReport first("Same", "first");
        first.AddLine("a much longer first page than the second one");
        first.Save();
    }
    THtmlReport second("Same", "second");
    second.Save();
    const String page = quelmtest::ReadFileBytes(second.FilePath());
    EXPECT_EQ(page.find("first"), String::npos);
    EXPECT_NE(page.find("<TITLE>second</TITLE>"), String::npos);
}

TEST_F(HtmlReportTest, SaveIntoAFolderThatCannotBeWrittenRaisesTheFileCreationError)
{
    setenv("TMP", dir.file("missing/folder").c_str(), 1);
    THtmlReport report("Nowhere", "t");
    EXPECT_THROW(report.Save(), EFCreateError);
}

TEST_F(HtmlReportTest, ShowOpensTheFileInItsFolderOrSaysItCouldNotStart)
{
    THtmlReport report("Shown", "t");
    report.Save();
    {
        TShellExecuteRecorder shell;
        report.Show();
        ASSERT_EQ(shell.Calls().size(), 1u);
        EXPECT_EQ(JoinPath(shell.Calls()[0].Directory, shell.Calls()[0].File), report.FilePath());
        EXPECT_EQ(boxes.Count(), 0);
    }
    TShellExecuteRecorder failing(2); // file not found
    report.Show();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Could not start " + JoinPath(PrivateDir(), "Shown.htm"));
}

TEST_F(HtmlReportTest, ReportsGoIntoAFolderOnlyTheUserCanEnter)
{
    namespace fs = std::filesystem;
    {
        THtmlReport report("Mine", "t");
        report.Save();
        EXPECT_EQ(report.FilePath(), JoinPath(PrivateDir(), "Mine.htm"));
        EXPECT_EQ(fs::status(PrivateDir()).permissions(), fs::perms::owner_all);
    }
    // another user's trap under the folder's name: a link to a folder of theirs, or a folder that
    // others may write in; neither is used, and nothing is written through them
    struct Trap {
        const char* what;
        std::function<void(const fs::path& name, const fs::path& target)> make;
    };
    const Trap traps[] = {
        {"link", [](const fs::path& name, const fs::path& target) { fs::create_directory_symlink(target, name); }},
        {"open folder",
         [](const fs::path& name, const fs::path&) {
             fs::create_directory(name);
             fs::permissions(name, fs::perms::all);
         }},
    };
    for (const Trap& trap : traps) {
        fs::remove_all(PrivateDir());
        const fs::path target = dir.path() / "theirs";
        fs::create_directories(target);
        trap.make(fs::path(PrivateDir()), target);
        THtmlReport report("Mine", "t");
        report.Save();
        const fs::path written = fs::path(report.FilePath()).parent_path();
        EXPECT_NE(written, fs::path(PrivateDir())) << trap.what;
        EXPECT_EQ(fs::symlink_status(written).type(), fs::file_type::directory) << trap.what;
        EXPECT_EQ(fs::status(written).permissions(), fs::perms::owner_all) << trap.what;
        EXPECT_FALSE(fs::exists(target / "Mine.htm")) << trap.what;
        EXPECT_FALSE(fs::exists(fs::path(PrivateDir()) / "Mine.htm")) << trap.what;
        fs::remove(PrivateDir());
        fs::remove_all(target);
    }
}

} // namespace
