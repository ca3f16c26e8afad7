#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"
#include "platform/framework/Clipbrd.h"
#include "platform/framework/Forms.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/WinClipboard.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct ClipFixture {
    ClipFixture(int cols, int rows)
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(cols);
        grid->SetRowCount(rows);
        grid->SetFixedRows(0);
        grid->SetFixedCols(0);
    }
    void Fill(const std::vector<std::vector<const char*>>& rows)
    {
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < rows[r].size(); ++c)
                grid->SetCells(int(c), int(r), rows[r][c]);
    }
    void Select(int l, int t, int r, int b)
    {
        TGridRect s;
        s.Left = l;
        s.Top = t;
        s.Right = r;
        s.Bottom = b;
        grid->SetSelection(s);
    }
    TForm form{nullptr};
    TPlusStringGrid* grid;
};

TEST(Clipboard, CopiedTextOfSelectionsAndTheWholeGrid)
{
    ClipFixture f(3, 3);
    f.grid->SetFixedRows(1);
    f.Fill({{"Run", "A", "B"}, {"1", "x", "y"}, {"2", "abc", "z"}});
    const struct {
        int l, t, r, b;
        const char* text;
    } cases[] = {
        {1, 2, 1, 2, "abc"},                  // one cell: no TAB, no line break
        {1, 1, 2, 2, "x\ty\r\nabc\tz\r\n"},   // two rows: each ends with CR LF
        {0, 1, 2, 1, "1\tx\ty"},              // one row: no line break
    };
    for (const auto& c : cases) {
        f.Select(c.l, c.t, c.r, c.b);
        f.grid->CopySelectionToClipboard();
        EXPECT_EQ(Clipboard()->AsText(), c.text);
        EXPECT_EQ(f.grid->ClipboardOrigin, TPoint(c.l, c.t));
    }
    f.grid->CopyWholeGridToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "Run\tA\tB\r\n1\tx\ty\r\n2\tabc\tz\r\n");
    EXPECT_TRUE(f.grid->LastCopyWasCopy);
    f.grid->SaveFixedCells = false;
    f.grid->CopyWholeGridToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "1\tx\ty\r\n2\tabc\tz\r\n");
}

TEST(Clipboard, CellValuesAreQuotedDecodedAndStrippedAsCopied)
{
    ClipFixture f(2, 1);
    f.grid->SetCells(0, 0, "x\r\ny");
    f.grid->SetCells(1, 0, "<B>bold</B> words");
    f.Select(0, 0, 1, 0);
    f.grid->CopySelectionToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "\"x\n\ny\"\t<B>bold</B> words");
    f.grid->Navigation()->CopyHTMLTagsToClipboard = false;
    f.grid->SetCells(0, 0, EncodeWideCellText(u"w\u00e9!"));
    f.grid->CopySelectionToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "w\xe9!\tbold words");
}

TEST(Clipboard, DisjunctRowSelectionCopiesOnlyTheSelectedRows)
{
    ClipFixture f(2, 4);
    f.grid->SetFixedRows(1);
    f.Fill({{"h1", "h2"}, {"a", "b"}, {"c", "d"}, {"e", "f"}});
    f.grid->MouseActions()->SetDisjunctRowSelect(true);
    f.grid->SetRowSelected(1, true);
    f.grid->SetRowSelected(3, true);
    f.grid->CopySelectionToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "a\tb\r\ne\tf\r\n");
}

TEST(Clipboard, PasteWritesFieldsGrowsAndCounts)
{
    ClipFixture f(2, 3);
    f.grid->SetOptions(f.grid->Options() << goEditing);
    int rows = 0, cols = 0;
    const int n = f.grid->PasteTextAtCell(1, 1, rows, cols, "a\tb\r\nc\td\r\n");
    EXPECT_EQ(n, 5); // the empty field after the final line break counts
    EXPECT_EQ(f.grid->ColCount(), 3);
    EXPECT_EQ(f.grid->Cells(1, 1), "a");
    EXPECT_EQ(f.grid->Cells(2, 1), "b");
    EXPECT_EQ(f.grid->Cells(1, 2), "c");
    EXPECT_EQ(f.grid->Cells(2, 2), "d");
    EXPECT_EQ(f.grid->RowCount(), 3);
    // a field with an LF loses its enclosing quotes; without an LF it keeps them
    f.grid->PasteTextAtCell(0, 0, rows, cols, "\"x\ny\"\t\"q\"");
    EXPECT_EQ(f.grid->Cells(0, 0), "x\ny");
    EXPECT_EQ(f.grid->Cells(1, 0), "\"q\"");
}

TEST(Clipboard, PasteIntoAReadOnlyGridChangesNothing)
{
    ClipFixture f(2, 2);
    int rows = 0, cols = 0;
    EXPECT_EQ(f.grid->PasteTextAtCell(0, 0, rows, cols, "a"), 0);
    EXPECT_EQ(f.grid->Cells(0, 0), "");
}

TEST(Clipboard, CopyThenPasteThroughTheSystemClipboardAndTheCellFormat)
{
    ClipFixture f(3, 3);
    f.grid->SetOptions(f.grid->Options() << goEditing);
    f.Fill({{"1", "2"}, {"3", "4"}});
    f.Select(0, 0, 1, 1);
    f.grid->Navigation()->AllowFmtClipboard = true;
    f.grid->CopySelectionToClipboard();
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormat("TPlusStringGrid Cells")));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    f.grid->SetCells(0, 0, "changed");
    int rows = 0, cols = 0;
    // with the cell format allowed, the stream is pasted (it carries the cell's text as copied)
    EXPECT_EQ(f.grid->PasteClipboardAtCell(1, 1, rows, cols), 4);
    EXPECT_EQ(f.grid->Cells(1, 1), "1");
    EXPECT_EQ(f.grid->Cells(2, 2), "4");
    // without it, the text
    f.grid->Navigation()->AllowFmtClipboard = false;
    Clipboard()->SetAsText("t");
    EXPECT_EQ(f.grid->PasteClipboardAtCell(0, 2, rows, cols), 1);
    EXPECT_EQ(f.grid->Cells(0, 2), "t");
}

TEST(Clipboard, SmartFillContinuesSeriesAndRepeats)
{
    const struct {
        const char* name;
        const char* clip;
        std::vector<String> expected;
    } cases[] = {
        {"integers", "1\r\n2\r\n", {"1", "2", "3", "4", "5"}},
        {"floats", "1.5\r\n2\r\n", {"1.50", "2.00", "2.50", "3.00", "3.50"}},
        {"repeat", "x\r\ny\r\n", {"x", "y", "x", "y", "x"}},
        {"integers, no final line break", "1\r\n2", {"1", "2", "3", "4", "5"}},
        {"repeat, no final line break", "x\r\ny", {"x", "y", "x", "y", "x"}},
        {"one value and a line break", "v\r\n", {"v", "v", "v", "v", "v"}},
        {"months", "15/01/2003\r\n15/02/2003\r\n", {"15/01/2003", "15/02/2003", "15/03/2003", "15/04/2003", "15/05/2003"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClipFixture f(2, 6);
        f.grid->SetOptions(f.grid->Options() << goEditing);
        f.grid->Navigation()->AllowSmartClipboard = true;
        Clipboard()->SetAsText(c.clip);
        f.Select(0, 0, 0, 4);
        f.grid->PasteFromClipboard();
        std::vector<String> got;
        for (int r = 0; r < 5; ++r)
            got.push_back(f.grid->Cells(0, r));
        EXPECT_EQ(got, c.expected);
    }
    ClipFixture f(3, 2);
    f.grid->SetOptions(f.grid->Options() << goEditing);
    f.grid->Navigation()->AllowSmartClipboard = true;
    Clipboard()->SetAsText("v");
    f.Select(0, 0, 2, 1);
    f.grid->PasteFromClipboard();
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 2; ++r)
            EXPECT_EQ(f.grid->Cells(c, r), "v");
    // texts pasted into a row repeat along it, the cell under the row untouched
    for (const char* clip : {"x\ty\r\n", "x\ty"}) {
        SCOPED_TRACE(clip);
        ClipFixture row(6, 2);
        row.grid->SetOptions(row.grid->Options() << goEditing);
        row.grid->Navigation()->AllowSmartClipboard = true;
        Clipboard()->SetAsText(clip);
        row.Select(0, 0, 4, 0);
        row.grid->PasteFromClipboard();
        std::vector<String> got;
        for (int c = 0; c < 6; ++c)
            got.push_back(row.grid->Cells(c, 0));
        EXPECT_EQ(got, (std::vector<String>{"x", "y", "x", "y", "x", ""}));
        EXPECT_EQ(row.grid->Cells(0, 1), "");
    }
    // cells copied in the grid's own cell format repeat with the same period
    ClipFixture own(6, 2);
    own.grid->SetOptions(own.grid->Options() << goEditing);
    own.grid->Navigation()->AllowSmartClipboard = true;
    own.grid->Navigation()->AllowFmtClipboard = true;
    own.Fill({{"p", "q"}});
    own.Select(0, 0, 1, 0);
    own.grid->CopySelectionToClipboard();
    own.Select(0, 1, 4, 1);
    own.grid->PasteFromClipboard();
    std::vector<String> got;
    for (int c = 0; c < 5; ++c)
        got.push_back(own.grid->Cells(c, 1));
    EXPECT_EQ(got, (std::vector<String>{"p", "q", "p", "q", "p"}));
}

TEST(Clipboard, CutEmptiesTheSelectionAsOneChange)
{
    ClipFixture f(2, 2);
    f.grid->SetOptions(f.grid->Options() << goEditing);
    f.Fill({{"a", "b"}, {"c", "d"}});
    TRect reported;
    f.grid->OnCellsChanged = [&](TObject*, const TRect& r) { reported = r; };
    f.Select(0, 0, 1, 0);
    f.grid->CutSelectionToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "a\tb");
    EXPECT_EQ(f.grid->Cells(0, 0), "");
    EXPECT_EQ(f.grid->Cells(1, 0), "");
    EXPECT_EQ(f.grid->Cells(0, 1), "c");
    EXPECT_EQ(reported, TRect(0, 0, 1, 0));
    EXPECT_FALSE(f.grid->LastCopyWasCopy);
}

TEST(Clipboard, MeasuredTextSize)
{
    ClipFixture f(1, 1);
    int cols = 0, rows = 0;
    f.grid->MeasureClipboardText("a\tb\tc\r\nd\r\n", cols, rows);
    EXPECT_EQ(cols, 3);
    EXPECT_EQ(rows, 1);
    f.grid->MeasureClipboardText("", cols, rows);
    EXPECT_EQ(rows, -1);
}

} // namespace
