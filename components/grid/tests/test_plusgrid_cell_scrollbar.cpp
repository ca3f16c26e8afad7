// The grid's own scroll bar over scroll-bar cells, driven by real mouse input offscreen.
#include "components/grid/tests/GridInputFixture.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/StdCtrls.h"
#include "platform/testing/quelm_test_support.h"

#include <QScrollBar>

#include <cstdlib>

namespace {

// Lettered cells; (2, 2) scrolls a text of 100 pixels in 20 (at 30 now), (3, 2) is a scroll-bar
// cell with nothing to scroll (page 50 of 50). Row 2 is 60 pixels high.
class CellScrollBar : public ShownGridTest {
protected:
    CellScrollBar() : ShownGridTest(14, 70, false) {}
    void SetUp() override
    {
        ShownGridTest::SetUp();
        grid->SetRowHeights(2, 60);
        MakeScrollCell(2, 2, 20, 100, 30);
        MakeScrollCell(3, 2, 50, 50, 0);
        grid->SetCells(2, 2, "line 1\nline 2\nline 3\nline 4\nline 5\nline 6\nline 7");
        grid->OnScrollCell = [this](TObject*, int col, int row, int pos, int min, int max) {
            events.push_back(IntToStr(col) + "," + IntToStr(row) + ": " + IntToStr(pos) + " of " + IntToStr(min) +
                             ".." + IntToStr(max));
        };
    }
    void MakeScrollCell(int col, int row, int page, int max, int position)
    {
        grid->CreateCellGraphic(col, row)->CellType = ctScrollbar;
        grid->SetScrollBarCellRange(col, row, page, max);
        grid->SetScrollBarCellPosition(col, row, position);
    }
    // (a move to where the mouse already is gives no event: come from a pixel beside it)
    void Hover(int col, int row)
    {
        QTest::mouseMove(grid->Host(), Middle(col, row) - QPoint(1, 1));
        QTest::mouseMove(grid->Host(), Middle(col, row));
    }
    bool BarShown() const { return grid->CellScrollBar() && grid->CellScrollBar()->Visible(); }
    QRect Part(QStyle::SubControl part) const
    {
        return quelmtest::ScrollBarPart(grid->CellScrollBar()->Widget(), part);
    }
    std::vector<String> events;
};

} // namespace

TEST_F(CellScrollBar, HoverShowsTheBarOverTheCellWithTheCellsRangeAndOtherCellsHideIt)
{
    struct Case {
        const char* over;
        int col, row;
        bool shown;
    };
    const Case cases[] = {
        {"a plain cell before any scroll-bar cell", 1, 1, false},
        {"the scroll-bar cell", 2, 2, true},
        {"the plain cell below it", 2, 3, false},
        {"the scroll-bar cell again", 2, 2, true},
        {"a scroll-bar cell with nothing to scroll", 3, 2, false},
        {"a header cell", 2, 0, false},
    };
    for (const Case& c : cases) {
        Hover(c.col, c.row);
        EXPECT_EQ(BarShown(), c.shown) << c.over;
        EXPECT_EQ(grid->ScrollBarCell(), c.shown ? TPoint(c.col, c.row) : TPoint(-1, -1)) << c.over;
        if (!c.shown)
            continue;
        TScrollBar* bar = grid->CellScrollBar();
        const TRect cell = grid->CellRect(c.col, c.row);
        const int line = grid->GridLineWidth();
        EXPECT_EQ(bar->Kind(), sbVertical);
        EXPECT_EQ(TRect(bar->Left(), bar->Top(), bar->Left() + bar->Width(), bar->Top() + bar->Height()),
                  TRect(cell.Right - 17 - line, cell.Top + line, cell.Right - line, cell.Bottom - line))
            << "17 wide at the cell's right edge, inside its lines";
        EXPECT_EQ(bar->Min(), 0);
        EXPECT_EQ(bar->Max(), 100);
        EXPECT_EQ(bar->PageSize(), 20);
        EXPECT_EQ(bar->Position(), 30);
        EXPECT_FALSE(bar->TabStop);
    }
    EXPECT_TRUE(grid->Focused()) << "the bar takes no focus from the grid";
}

TEST_F(CellScrollBar, MovingTheBarScrollsTheCellAndFiresTheEvent)
{
    Hover(2, 2);
    ASSERT_TRUE(BarShown());
    QScrollBar* w = grid->CellScrollBar()->Widget();
    struct Case {
        const char* what;
        QStyle::SubControl part;
        int position;
    };
    // a line is one pixel of the text, a page ten; the last place is 100 - 20 + 1
    for (const Case c : {Case{"lower arrow", QStyle::SC_ScrollBarAddLine, 31},
                         Case{"track below the thumb", QStyle::SC_ScrollBarAddPage, 41},
                         Case{"upper arrow", QStyle::SC_ScrollBarSubLine, 40},
                         Case{"track above the thumb", QStyle::SC_ScrollBarSubPage, 30}}) {
        events.clear();
        QTest::mouseClick(w, Qt::LeftButton, {}, Part(c.part).center());
        EXPECT_EQ(grid->GetScrollBarCellPosition(2, 2), c.position) << c.what;
        EXPECT_EQ(grid->CellScrollBar()->Position(), c.position) << c.what;
        ASSERT_FALSE(events.empty()) << c.what;
        EXPECT_EQ(events.front(), "2,2: " + IntToStr(c.position) + " of 0..100") << c.what;
    }

    events.clear();
    grid->Update();
    grid->PaintedCellCount = 0;
    const QPoint grip = Part(QStyle::SC_ScrollBarSlider).center();
    QTest::mousePress(w, Qt::LeftButton, {}, grip);
    QTest::mouseMove(w, grip + QPoint(0, 200));
    QTest::mouseRelease(w, Qt::LeftButton, {}, grip + QPoint(0, 200));
    EXPECT_EQ(grid->GetScrollBarCellPosition(2, 2), 81) << "the thumb dragged past the end";
    EXPECT_EQ(events.front(), "2,2: 81 of 0..100");
    grid->Update();
    EXPECT_GT(grid->PaintedCellCount, 0) << "the cell is painted anew";
    EXPECT_EQ(grid->GetScrollBarCellPosition(3, 2), 0) << "no other cell moves";
    EXPECT_EQ(grid->TopRow(), 1) << "the grid itself does not scroll";
}

TEST_F(CellScrollBar, TheBarStaysOverItsCellWhileTheGridScrollsOrSizes)
{
    Hover(2, 2);
    ASSERT_TRUE(BarShown());
    const int left = grid->CellScrollBar()->Left();
    grid->SetColWidths(1, 110);
    EXPECT_EQ(grid->CellScrollBar()->Left(), left + 40) << "a wider column before it moves it right";
    grid->SetRow(5); // the current cell is elsewhere: the bar keeps to the cell it serves
    EXPECT_EQ(grid->CellScrollBar()->Top(), grid->CellRect(2, 2).Top + grid->GridLineWidth());
    grid->SetTopRow(3);
    EXPECT_FALSE(BarShown()) << "its cell scrolled out of view";
    EXPECT_EQ(grid->ScrollBarCell(), TPoint(-1, -1));
    EXPECT_EQ(grid->GetScrollBarCellPosition(2, 2), 30) << "the cell itself did not scroll";
}

TEST_F(CellScrollBar, PictureOfTheBarOverItsCell)
{
    Hover(2, 2);
    ASSERT_TRUE(BarShown());
    QApplication::processEvents();
    const QImage shot = form->Host()->grab().toImage();
    const TRect cell = grid->CellRect(2, 2);
    if (const char* dir = std::getenv("QUELM_SHOTS")) {
        shot.save(QString::fromUtf8(dir) + "/cell_scroll_bar.png");
        const QRect around(grid->Host()->mapTo(form->Host(), QPoint(cell.Left - 5, cell.Top - 5)),
                           QSize(cell.Right - cell.Left + 10, cell.Bottom - cell.Top + 10));
        shot.copy(around).scaled(around.size() * 4).save(QString::fromUtf8(dir) + "/cell_scroll_bar_4x.png");
    }
    // the bar covers the cell's right edge: its pixels are not the cell's white
    const QPoint inBar = grid->Host()->mapTo(form->Host(), QPoint(cell.Right - 9, (cell.Top + cell.Bottom) / 2));
    EXPECT_NE(QColor(shot.pixel(inBar)), QColor(Qt::white));
}

TEST_F(CellScrollBar, TheCellPaintsItsBarAndItsTextFromThePosition)
{
    struct Case {
        const char* what;
        int col, position, scrolled;
    };
    grid->SetCells(3, 2, "line 1\nline 2");
    // (3, 2) has nothing to scroll: its text stays at the top whatever its position says
    for (const Case c : {Case{"at the top", 2, 0, 0}, Case{"scrolled", 2, 30, 30},
                         Case{"nothing to scroll", 3, 25, 0}}) {
        grid->SetScrollBarCellPosition(c.col, 2, c.position);
        TGdiRecorder log;
        grid->ControlHost()->PaintRecorder = &log;
        grid->Invalidate();
        grid->Update();
        grid->ControlHost()->PaintRecorder = nullptr;
        const TRect cell = grid->CellRect(c.col, 2);
        const TGdiRecord* text = nullptr;
        for (const TGdiRecord& r : log.Records)
            if (r.Op == "DrawText" && r.Text.rfind("line 1", 0) == 0 && r.Rect.left >= cell.Left &&
                r.Rect.right <= cell.Right)
                text = &r;
        ASSERT_TRUE(text) << c.what;
        EXPECT_EQ(text->Rect.top, cell.Top + grid->GridLineWidth() + grid->XYOffset.Y - c.scrolled) << c.what;
        EXPECT_LE(text->Rect.right, cell.Right - 17) << c.what << ": the text keeps clear of the bar";
        const QColor inBar =
            grid->ControlHost()->SurfaceImage()->pixelColor(cell.Right - 9, (cell.Top + cell.Bottom) / 2);
        EXPECT_NE(inBar, QColor(Qt::white)) << c.what << ": the bar is painted in the cell";
    }
}

TEST_F(CellScrollBar, AnEditedCellWhoseRangeFollowsItsTextGetsTheRangeOfTheNewText)
{
    grid->GetCellGraphicOf(2, 2)->CellBoolean = true; // (2, 2) follows its text; (3, 2) does not
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    struct Case {
        int col;
        const char* typed;
        bool scrolls; // the new text is taller than the row
    };
    for (const Case c : {Case{2, "one two three four five six seven eight nine ten", true}, Case{2, "short", false},
                         Case{3, "one two three four five six seven eight nine ten", false}}) {
        grid->SetCol(c.col);
        grid->SetRow(2);
        for (const char* p = c.typed; *p; ++p)
            QTest::keyClick(QApplication::focusWidget(), *p);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ASSERT_EQ(grid->Cells(c.col, 2), c.typed);
        int page = 0, max = 0;
        grid->GetScrollBarCellRange(c.col, 2, page, max);
        if (c.col == 3) {
            EXPECT_EQ(page, 50) << "a cell whose range does not follow its text keeps it";
            continue;
        }
        EXPECT_EQ(page, 60) << c.typed << ": the row's height";
        // the text's height, wrapped in the column
        EXPECT_GT(max, 0) << c.typed;
        EXPECT_EQ(max > page, c.scrolls) << c.typed << ": " << max;
        Hover(2, 2);
        EXPECT_EQ(BarShown(), c.scrolls) << c.typed;
        Hover(1, 1);
    }
}

TEST_F(CellScrollBar, AClickOnAScrolledCellFindsTheLinkThatIsShownThere)
{
    grid->SetCells(2, 2,
                   "<a href=\"1\">one</a><br><a href=\"2\">two</a><br><a href=\"3\">three</a><br><a href=\"4\">four</a>"
                   "<br><a href=\"5\">five</a><br><a href=\"6\">six</a><br><a href=\"7\">seven</a>");
    std::vector<String> clicked;
    grid->OnAnchorClick = [&](TObject*, int, int, String anchor, bool& autoHandle) {
        clicked.push_back(anchor);
        autoHandle = false;
    };
    const TRect cell = grid->CellRect(2, 2);
    auto clickAt = [&](int position, int dy) {
        grid->SetScrollBarCellPosition(2, 2, position);
        clicked.clear();
        QTest::mouseClick(grid->Host(), Qt::LeftButton, {}, QPoint(cell.Left + 8, cell.Top + dy));
        return clicked.empty() ? String("none") : clicked.back();
    };
    // scrolled by 40 pixels, a click 8 pixels into the cell hits what lay 48 pixels in before
    const String unscrolled = clickAt(0, 48);
    EXPECT_NE(unscrolled, "1");
    EXPECT_EQ(clickAt(0, 8), "1");
    EXPECT_EQ(clickAt(40, 8), unscrolled);
}
