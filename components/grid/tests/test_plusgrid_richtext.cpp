// Rich-text cells: drawn formatted, edited in the rich-text editor with real keys, turned into
// plain text for the clipboard and measured by the auto-size.
#include "components/grid/tests/GridEditorsFixture.h"
#include "components/grid/GridEditors.h"
#include "components/grid/PlusRichEdit.h"

#include <QImage>

#include <cstdlib>

namespace {

const char kTwoParagraphs[] =
    R"({\rtf1\ansi\deff0{\fonttbl{\f0 DejaVu Sans;}}\f0\fs18 Plain \b Bold\b0\par Second line\par})";

String Rtf(const String& body)
{
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 " + body + "\\par}";
}

// Dark pixels of the grid's image inside a cell.
int DarkPixels(const QImage& shot, const TRect& r)
{
    int dark = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (qGray(shot.pixel(x, y)) < 110)
                ++dark;
    return dark;
}

String PlainOf(TPlusStringGrid* grid, const String& rtf) { return grid->RichTextToPlainText(rtf); }

} // namespace

TEST_F(GridEditFixture, RichEditBelongsToAStringGrid)
{
    EXPECT_THROW({ TPlusRichEdit wrongOwner(&form); }, EInvalidCast);
    TPlusRichEdit* renderer = grid->GetRichEditRenderer();
    EXPECT_EQ(grid->GetRichEditRenderer(), renderer);
    EXPECT_EQ(renderer->Grid(), grid);
    EXPECT_FALSE(renderer->Visible());
    EXPECT_EQ(renderer->Width(), 0);
    EXPECT_TRUE(renderer->Transparent());
    EXPECT_NE(grid->GetRichEditEditor(), renderer);
}

TEST_F(GridEditFixture, RichCellsDrawTheirFormattedText)
{
    grid->SetDefaultColWidth(120);
    grid->SetCells(1, 1, Rtf("WWWW"));
    grid->SetCells(2, 1, Rtf("\\b WWWW\\b0"));
    grid->SetCells(1, 2, kTwoParagraphs);
    grid->SetCells(2, 2, Rtf("\\cf1 red")); // a colour index with no table: automatic colour
    grid->SetRowHeights(2, 40);
    Go(1, 4); // the focus rectangle stays out of the cells compared
    grid->Invalidate();
    Pump();
    const QImage shot = grid->Host()->grab().toImage();
    if (const char* dir = std::getenv("QUELM_SHOTS"))
        shot.save(QString::fromUtf8(dir) + "/grid_rich_cells.png");
    const int plain = DarkPixels(shot, grid->CellRect(1, 1));
    const int bold = DarkPixels(shot, grid->CellRect(2, 1));
    EXPECT_GT(plain, 20);
    EXPECT_GT(bold, plain * 5 / 4); // the bold run is drawn bold
    // the second paragraph is drawn on a line of its own, below the first
    const TRect two = grid->CellRect(1, 2);
    const int mid = two.Top + (two.Bottom - two.Top) / 2;
    EXPECT_GT(DarkPixels(shot, TRect(two.Left, two.Top, two.Right, mid)), 10);
    EXPECT_GT(DarkPixels(shot, TRect(two.Left, mid, two.Right, two.Bottom)), 10);
    // the raw rich text never shows
    EXPECT_EQ(DarkPixels(shot, grid->CellRect(1, 3)), 0);
}

TEST_F(GridEditFixture, RichTextEditorEditsTheCellWithRealKeys)
{
    grid->OnEditingDone = [this](TObject*) { Log("editing done"); };
    std::vector<std::string> shown;
    grid->OnCellValidate = [&](TObject*, int, int, String& v, bool&) { Log("validate " + PlainOf(grid, v)); };
    grid->SetColWidths(1, 160);
    grid->SetCells(1, 1, Rtf("start"));
    editor = edRichEdit;
    Go(1, 1);
    Open();
    ASSERT_TRUE(grid->Editing);
    TPlusRichEdit* edit = grid->GetRichEditEditor();
    ASSERT_TRUE(edit->Visible());
    EXPECT_EQ(edit->Text(), "start");
    EXPECT_EQ(edit->BorderStyle(), bsNone);
    RECT fr{};
    edit->Perform(EM_GETRECT, 0, LPARAM(&fr));
    EXPECT_EQ(fr.left, 2);
    Key(Qt::Key_End);
    Type(" and");
    Key(Qt::Key_B, Qt::ControlModifier);
    Type(" bold");
    if (const char* dir = std::getenv("QUELM_SHOTS"))
        form.Host()->grab().toImage().save(QString::fromUtf8(dir) + "/grid_rich_editor.png");
    Key(Qt::Key_Tab);
    EXPECT_FALSE(grid->Editing);
    EXPECT_FALSE(edit->Visible());
    const String stored = grid->Cells(1, 1);
    EXPECT_EQ(stored.rfind("{\\rtf1", 0), 0u);
    EXPECT_EQ(PlainOf(grid, stored), "start and bold");
    EXPECT_NE(stored.find("\\b  bold"), String::npos) << stored;
    EXPECT_EQ(events, (std::vector<std::string>{"validate start and bold", "editing done", "done 1,1"}));
}

TEST_F(GridEditFixture, RichTextEditorEscapeAndUnchangedLeaveTheCellAsItWas)
{
    const String original = "{\\rtf1 kept {\\b exactly}\\par}";
    grid->SetCells(1, 1, original);
    grid->SetCells(1, 2, "plain text");
    editor = edRichEdit;
    Go(1, 1);
    Open();
    Type("zz");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(grid->Editing);
    EXPECT_EQ(grid->Cells(1, 1), original);
    // opened and closed without a change: a plain cell stays plain
    Go(1, 2);
    Open();
    ASSERT_TRUE(grid->Editing);
    EXPECT_EQ(grid->GetRichEditEditor()->Text(), "plain text");
    grid->HideInplaceEditor();
    EXPECT_EQ(grid->Cells(1, 2), "plain text");
    for (const std::string& e : events)
        EXPECT_EQ(e.rfind("validate", 0), std::string::npos) << e; // nothing was offered for validation
}

TEST_F(GridEditFixture, RichTextEditorRefusedValueStaysOpen)
{
    grid->OnCellValidate = [&](TObject*, int, int, String& v, bool& valid) {
        Log("validate " + PlainOf(grid, v));
        valid = PlainOf(grid, v).find("bad") == String::npos;
    };
    grid->SetCells(1, 1, Rtf("ok"));
    editor = edRichEdit;
    Go(1, 1);
    Open();
    Key(Qt::Key_End);
    Type("bad");
    Key(Qt::Key_Tab);
    EXPECT_TRUE(grid->Editing);
    EXPECT_TRUE(grid->GetRichEditEditor()->Visible());
    EXPECT_EQ(PlainOf(grid, grid->Cells(1, 1)), "ok");
    EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridEditFixture, RichTextEditorArrowsLeaveUnlessTheCellsAreMultiLine)
{
    struct Case {
        bool multiLine;
        int rowAfter;
        bool editing;
    } cases[] = {{false, 2, false}, {true, 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.multiLine);
        grid->Multilinecells = c.multiLine;
        grid->WordWrap = false;
        grid->SetCells(1, 1, Rtf("one\\par two"));
        editor = edRichEdit;
        Go(1, 1);
        Open();
        ASSERT_TRUE(grid->Editing);
        Key(Qt::Key_Down);
        EXPECT_EQ(grid->Row(), c.rowAfter);
        EXPECT_EQ(grid->Editing, c.editing);
        grid->HideInplaceEditor();
        grid->SetFocus();
        Pump();
    }
}

TEST_F(GridEditFixture, RichTextEditorGrowsTheRowWhileTypingButNotPastTheGrid)
{
    std::vector<int> resized;
    grid->OnEndRowSize = [&](TObject*, int row) { resized.push_back(row); };
    grid->SizeWhileTyping()->Height = true;
    grid->SetCells(1, 1, Rtf("a"));
    editor = edRichEdit;
    Go(1, 1);
    const int before = grid->RowHeights(1);
    Open();
    Key(Qt::Key_End);
    for (int i = 0; i < 3; ++i) {
        Key(Qt::Key_Return);
        Type("x");
    }
    EXPECT_GT(grid->RowHeights(1), before);
    ASSERT_FALSE(resized.empty());
    EXPECT_EQ(resized.back(), 1);
    // many more lines: the row stops where the grid ends
    for (int i = 0; i < 30; ++i)
        Key(Qt::Key_Return);
    const TRect cell = grid->CellRect(1, 1);
    EXPECT_LE(cell.Top + grid->RowHeights(1), grid->Height());
    grid->HideInplaceEditor();
}

TEST_F(GridEditFixture, RichCellsExportTheirPlainText)
{
    grid->SetCells(1, 1, Rtf("\\b one\\b0  two"));
    grid->SetCells(2, 1, "beside");
    grid->SetCells(1, 2, kTwoParagraphs);
    grid->SetSelection(TGridRect{1, 1, 2, 1});
    EXPECT_EQ(grid->SelectionAsText(), "one two\tbeside");
    grid->CopySelectionToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "one two\tbeside");
    String exported;
    grid->SaveCellText(1, 2, exported);
    EXPECT_EQ(exported, "Plain Bold\r\nSecond line");
    grid->ExportRTFLineBreaksOnly = true;
    grid->SaveCellText(1, 2, exported);
    EXPECT_EQ(exported.rfind("{\\rtf1", 0), 0u);
}

TEST_F(GridEditFixture, AutoSizeMeasuresRichCellsAsFormatted)
{
    grid->WordWrap = false;
    grid->SetCells(1, 1, Rtf("short"));
    grid->SetCells(1, 2, Rtf("a much longer line of rich text"));
    grid->SetCells(1, 3, Rtf("one\\par two\\par three"));
    grid->SetCells(2, 1, Rtf("\\fs48 big"));
    const TPoint shortSize = grid->CellTextExtent(1, 1);
    const TPoint longSize = grid->CellTextExtent(1, 2);
    const TPoint threeLines = grid->CellTextExtent(1, 3);
    const TPoint big = grid->CellTextExtent(2, 1);
    EXPECT_GT(shortSize.X, 10);
    EXPECT_GT(longSize.X, shortSize.X * 3);
    EXPECT_EQ(longSize.Y, shortSize.Y);
    EXPECT_GT(threeLines.Y, shortSize.Y * 5 / 2);
    EXPECT_GT(big.Y, shortSize.Y * 2);
    grid->AutoSizeColumn(1, false);
    EXPECT_GE(grid->ColWidths(1), longSize.X);
}
