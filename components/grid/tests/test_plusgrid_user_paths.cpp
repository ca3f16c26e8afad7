// The string grid's everyday paths, driven with real key presses and clicks on a grid shown
// offscreen: far cursor moves on large grids, the clipboard keys read back from the system
// clipboard, the header's filter drop-down and the search footer.
#include "components/grid/PlusGrid.h"
#include "components/grid/PlusGridSearchPanel.h"
#include "components/grid/asgcheck.h"
#include "components/grid/tests/GridInputFixture.h"

#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>

namespace {

// ---------------------------------------------------------------- far moves

// A grid of the given size without cell texts, shown with the focus.
struct LargeGrid {
    LargeGrid(int cols, int rows)
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 520, 320);
        grid = new TPlusStringGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 500, 300);
        grid->SetColCount(cols);
        grid->SetRowCount(rows);
        form->Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form->Host()));
        grid->SetFocus();
        QApplication::processEvents();
    }
    ~LargeGrid()
    {
        QApplication::processEvents();
        form.reset();
    }
    // The seconds a key press takes, with the grid painted afterwards.
    double Press(Qt::Key key, Qt::KeyboardModifiers mods)
    {
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(grid->Host(), key, mods);
        grid->Repaint();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    std::unique_ptr<TForm> form;
    TPlusStringGrid* grid = nullptr;
};

// A walk that re-adds the rows in view for every candidate top row needs hours for these
// distances; one that adds each row once needs milliseconds. The bound leaves room for a slow,
// shared or sanitised build.
constexpr double kFarMoveSeconds = 2.0;

TEST(GridFarMoves, CtrlEndAndCtrlHomeOnAMillionRowsScrollAtOnce)
{
    LargeGrid g(4, 1000000);
    TPlusStringGrid* grid = g.grid;
    EXPECT_LT(g.Press(Qt::Key_End, Qt::ControlModifier), kFarMoveSeconds);
    EXPECT_EQ(grid->Row(), 999999);
    EXPECT_EQ(grid->TopRow() + grid->VisibleRowCount(), 1000000) << "the last row is at the bottom of the view";
    const TRect last = grid->CellRect(1, 999999);
    EXPECT_GT(last.Bottom, last.Top);
    EXPECT_LE(last.Bottom, grid->ClientHeight());

    EXPECT_LT(g.Press(Qt::Key_Home, Qt::ControlModifier), kFarMoveSeconds);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->TopRow(), 1);

    // a far move set through Row, as a find's go-to does, takes the same way
    const auto start = std::chrono::steady_clock::now();
    grid->SetRow(600000);
    grid->Repaint();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), kFarMoveSeconds);
    EXPECT_EQ(grid->TopRow() + grid->VisibleRowCount() - 1, 600000);
}

TEST(GridFarMoves, EndOnTwoHundredThousandColumnsScrollsAtOnce)
{
    LargeGrid g(200000, 3);
    TPlusStringGrid* grid = g.grid;
    EXPECT_LT(g.Press(Qt::Key_End, Qt::NoModifier), kFarMoveSeconds);
    EXPECT_EQ(grid->Col(), 199999);
    EXPECT_EQ(grid->LeftCol() + grid->VisibleColCount(), 200000) << "the last column is at the right of the view";
    EXPECT_LT(g.Press(Qt::Key_Home, Qt::NoModifier), kFarMoveSeconds);
    EXPECT_EQ(grid->LeftCol(), 1);
}

// ---------------------------------------------------------------- clipboard keys

class GridUserPaths : public ShownGridTest {
protected:
    GridUserPaths() : ShownGridTest(9, 60, true) {}

    QWidget* Target() const
    {
        QWidget* w = QApplication::focusWidget();
        return w ? w : grid->Host();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(Target(), key, mods); }
    // Each character goes where the focus is then (the first one opens the cell's editor).
    void Type(const char* text)
    {
        for (const char* p = text; *p; ++p)
            QTest::keyClick(Target(), *p);
    }
    // A click on a cell that is not the current one: it selects the cell (a click on the
    // current cell of an editable grid would open the editor).
    void Click(int col, int row)
    {
        if (grid->Col() == col && grid->Row() == row)
            grid->SetRow(row == 1 ? 2 : 1);
        QTest::mouseClick(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(col, row));
        ASSERT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
    }
    static QString ClipboardText() { return QGuiApplication::clipboard()->text(); }
    static void SetClipboardText(const char* text) { QGuiApplication::clipboard()->setText(QString::fromUtf8(text)); }
};

struct ClipboardKeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    enum { Copy, Cut, Paste } action;
};

TEST_F(GridUserPaths, ClipboardKeysCopyCutAndPasteTheSelection)
{
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    grid->Navigation()->AllowClipboardShortCuts = true;
    const ClipboardKeyCase cases[] = {
        {"Ctrl+C", Qt::Key_C, Qt::ControlModifier, ClipboardKeyCase::Copy},
        {"Ctrl+Insert", Qt::Key_Insert, Qt::ControlModifier, ClipboardKeyCase::Copy},
        {"Ctrl+X", Qt::Key_X, Qt::ControlModifier, ClipboardKeyCase::Cut},
        {"Shift+Delete", Qt::Key_Delete, Qt::ShiftModifier, ClipboardKeyCase::Cut},
        {"Ctrl+V", Qt::Key_V, Qt::ControlModifier, ClipboardKeyCase::Paste},
        {"Shift+Insert", Qt::Key_Insert, Qt::ShiftModifier, ClipboardKeyCase::Paste},
    };
    for (const ClipboardKeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        grid->SetCells(2, 3, "C3");
        Click(2, 3);
        SetClipboardText("clip");
        Key(c.key, c.mods);
        switch (c.action) {
        case ClipboardKeyCase::Copy:
            EXPECT_EQ(ClipboardText(), "C3");
            EXPECT_EQ(grid->Cells(2, 3), "C3");
            break;
        case ClipboardKeyCase::Cut:
            EXPECT_EQ(ClipboardText(), "C3");
            EXPECT_EQ(grid->Cells(2, 3), "");
            break;
        case ClipboardKeyCase::Paste: EXPECT_EQ(grid->Cells(2, 3), "clip"); break;
        }
    }

    // a range goes out as TAB- and line-separated text
    QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(1, 1));
    QTest::mouseMove(grid->Host(), Middle(2, 2));
    QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(2, 2));
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), "B1\tC1\r\nB2\tC2\r\n");
}

TEST_F(GridUserPaths, ClipboardKeysActOnlyWhenAllowed)
{
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    Click(2, 3);
    SetClipboardText("clip");
    Key(Qt::Key_C, Qt::ControlModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), "clip") << "without the shortcuts switched on the keys do nothing";
    EXPECT_EQ(grid->Cells(2, 3), "C3");

    grid->Navigation()->AllowClipboardShortCuts = true;
    std::vector<std::string> asked;
    grid->OnClipboardCopy = [&](TObject*, bool& allow) { asked.push_back("copy"), allow = false; };
    grid->OnClipboardCut = [&](TObject*, bool& allow) { asked.push_back("cut"), allow = false; };
    grid->OnClipboardPaste = [&](TObject*, bool& allow) { asked.push_back("paste"), allow = false; };
    Key(Qt::Key_C, Qt::ControlModifier);
    Key(Qt::Key_X, Qt::ControlModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(asked, (std::vector<std::string>{"copy", "cut", "paste"}));
    EXPECT_EQ(ClipboardText(), "clip");
    EXPECT_EQ(grid->Cells(2, 3), "C3");
}

TEST_F(GridUserPaths, PasteTakesEveryKindOfLineEnd)
{
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    grid->Navigation()->AllowClipboardShortCuts = true;
    struct Case {
        const char* text;
        const char* b2;
        const char* c2;
        const char* b3;
        const char* c3;
    };
    const Case cases[] = {
        {"P1\tP2\nP3\tP4", "P1", "P2", "P3", "P4"},
        {"P1\tP2\r\nP3\tP4\r\n", "P1", "P2", "P3", "P4"},
        {"P1\tP2\rP3\tP4", "P1", "P2", "P3", "P4"},
        {"P1\tP2\n\tP4", "P1", "P2", "", "P4"},
        // a quoted field keeps its line break: one row of two cells
        {"\"two\nlines\"\tP2\nP3\tP4", "two\nlines", "P2", "P3", "P4"},
        // a lone quote is text, not the start of a multi-line field
        {"\"P1\tP2\nP3\tP4\"", "\"P1", "P2", "P3", "P4\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        for (int r = 2; r <= 4; ++r)
            for (int col = 1; col <= 3; ++col)
                grid->SetCells(col, r, String(1, char('A' + col)) + IntToStr(r));
        Click(1, 2);
        SetClipboardText(c.text);
        Key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(grid->Cells(1, 2), c.b2);
        EXPECT_EQ(grid->Cells(2, 2), c.c2);
        EXPECT_EQ(grid->Cells(1, 3), c.b3);
        EXPECT_EQ(grid->Cells(2, 3), c.c3);
        EXPECT_EQ(grid->Cells(1, 4), "B4") << "nothing beyond the pasted rows";
    }
}

// ---------------------------------------------------------------- the filter drop-down

class GridFilterDropDown : public GridUserPaths {
protected:
    void SetUp() override
    {
        GridUserPaths::SetUp();
        const char* values[] = {"x", "y", "z", "x", "y", "z", "w", "w"};
        for (int r = 1; r < 9; ++r)
            grid->SetCells(2, r, values[r - 1]);
        grid->SetFilterDropDownAuto(true);
        QApplication::processEvents();
    }
    String Column(int col) const
    {
        String text;
        for (int r = 1; r < grid->RowCount(); ++r)
            text += grid->Cells(col, r);
        return text;
    }
    QPoint ButtonAt(int col) const
    {
        const TRect r = grid->CellRect(col, 0);
        return QPoint(r.Right - 8, r.Top + 6);
    }
    // Opens the column's list by a click on its header button; the focused list.
    QListWidget* Open(int col)
    {
        QTest::mouseClick(grid->Host(), Qt::LeftButton, Qt::NoModifier, ButtonAt(col));
        auto* list = qobject_cast<QListWidget*>(QApplication::focusWidget());
        return list && list->isVisible() ? list : nullptr;
    }
    QStringList Items(QListWidget* list) const
    {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }
};

TEST_F(GridFilterDropDown, AClickOnAnItemFiltersTheColumn)
{
    QListWidget* list = Open(2);
    ASSERT_NE(list, nullptr) << "the header button opens the list";
    EXPECT_EQ(Items(list), (QStringList{"(All)", "w", "x", "y", "z"}));
    const QRect item = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(Column(2), "xx");
    EXPECT_EQ(Column(0), "A1A4") << "whole rows are kept";
    EXPECT_TRUE(grid->Host()->hasFocus());

    list = Open(2);
    ASSERT_NE(list, nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(Column(2), "xyzxyzww") << "(All) takes the column's condition away";
}

TEST_F(GridFilterDropDown, ReturnOnAnItemFiltersAndEscapeCloses)
{
    QListWidget* list = Open(2);
    ASSERT_NE(list, nullptr);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentRow(), 3);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(Column(2), "yy");

    list = Open(2);
    ASSERT_NE(list, nullptr);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(Column(2), "yy") << "Esc picks nothing";
}

TEST_F(GridFilterDropDown, TheHeaderShowsTheButtonOnlyWithAList)
{
    // the button's arrow: dark pixels in the right end of the header cell, where the short
    // header text never reaches
    auto darkPixels = [&](int col) {
        const QImage image = grid->Host()->grab().toImage();
        const TRect r = grid->CellRect(col, 0);
        int dark = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Right - 16; x < r.Right - 1; ++x)
                if (qGray(image.pixel(x, y)) < 60)
                    ++dark;
        return dark;
    };
    EXPECT_GT(darkPixels(2), 4);
    EXPECT_GT(darkPixels(3), 4);
    grid->SetFilterDropDownAuto(false);
    QApplication::processEvents();
    EXPECT_EQ(darkPixels(2), 0);
    QTest::mouseClick(grid->Host(), Qt::LeftButton, Qt::NoModifier, ButtonAt(2));
    EXPECT_EQ(qobject_cast<QListWidget*>(QApplication::focusWidget()), nullptr);
}

// ---------------------------------------------------------------- the search footer

TEST_F(GridUserPaths, TheSearchFooterFindsAndHighlightsEveryHit)
{
    for (int r = 1; r < 9; ++r)
        grid->SetCells(3, r, r % 3 == 0 ? "x" + IntToStr(r) : "n" + IntToStr(r));
    grid->SearchFooter()->SetHighLightCaption("Highlight");
    grid->SearchFooter()->SetVisible(true);
    QApplication::processEvents();
    TSearchPanel* panel = grid->SearchPanel();
    ASSERT_NE(panel, nullptr) << "showing the footer makes its panel";
    EXPECT_TRUE(panel->Host()->isVisible());
    EXPECT_EQ(panel->Height(), 32);
    EXPECT_EQ(panel->Top() + panel->Height(), grid->ClientHeight()) << "docked at the bottom";

    QTest::keyClick(grid->Host(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(panel->Edit->Focused()) << "Ctrl+F on the grid goes to the footer's edit";
    QTest::keyClicks(panel->Edit->Host(), "x");
    EXPECT_EQ(grid->Row(), 3) << "typing finds the first hit";
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_TRUE(panel->HighlightButton->Enabled());

    const QPoint button(panel->HighlightButton->Width() / 2, panel->HighlightButton->Height() / 2);
    QTest::mouseClick(panel->HighlightButton->Host(), Qt::LeftButton, Qt::NoModifier, button);
    EXPECT_TRUE(panel->HighlightButton->Down());
    EXPECT_EQ(grid->Cells(3, 3), "<hi>x</hi>3");
    EXPECT_EQ(grid->Cells(3, 6), "<hi>x</hi>6");
    EXPECT_EQ(grid->Cells(3, 1), "n1");

    // a new text moves the marks
    QTest::keyClick(panel->Edit->Host(), Qt::Key_Backspace);
    QTest::keyClicks(panel->Edit->Host(), "n1");
    EXPECT_EQ(grid->Cells(3, 3), "x3");
    EXPECT_EQ(grid->Cells(3, 1), "<hi>n1</hi>");

    QTest::mouseClick(panel->HighlightButton->Host(), Qt::LeftButton, Qt::NoModifier, button);
    EXPECT_FALSE(panel->HighlightButton->Down());
    EXPECT_EQ(grid->Cells(3, 1), "n1") << "the button released takes the marks away";

    QTest::mouseClick(panel->HighlightButton->Host(), Qt::LeftButton, Qt::NoModifier, button);
    EXPECT_EQ(grid->Cells(3, 1), "<hi>n1</hi>");
    grid->SearchFooter()->SetVisible(false);
    QApplication::processEvents();
    EXPECT_FALSE(panel->Host()->isVisible());
    EXPECT_EQ(grid->Cells(3, 1), "n1") << "closing the footer takes its marks away";
}

// ---------------------------------------------------------------- editing

// Corrects by upper-casing and marks a text holding "X" as an error.
class ShoutingChecker : public TPlusStringGridCheck {
public:
    using TPlusStringGridCheck::TPlusStringGridCheck;
    String Correct(int, int, const String& value) override { return UpperCase(value); }
    String MarkError(int, int, const String& value) override
    {
        return value.find('X') != String::npos ? "<e>" + value + "</e>" : value;
    }
};

TEST_F(GridUserPaths, TheCellCheckerCorrectsAndMarksWhatIsTyped)
{
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    struct Case {
        bool correct, mark;
        const char* typed;
        const char* stored;
    } cases[] = {
        {false, false, "ab", "ab"},
        {true, false, "cd", "CD"},
        {false, true, "ef", "ef"},
        {false, true, "Xg", "<e>Xg</e>"},
        {true, true, "xh", "<e>XH</e>"},
    };
    auto* checker = new ShoutingChecker(form.get());
    grid->SetCellChecker(checker);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        checker->AutoCorrect = c.correct;
        checker->AutoMarkError = c.mark;
        Click(2, 2);
        Type(c.typed);
        Key(Qt::Key_Return);
        EXPECT_EQ(grid->Cells(2, 2), c.stored);
    }
    delete checker;
    EXPECT_EQ(grid->CellChecker(), nullptr) << "a freed checker is dropped";
    Click(2, 2);
    Type("ij");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(2, 2), "ij");
}

TEST_F(GridUserPaths, TheEditFrameSurroundsTheCellBeingEdited)
{
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    TGridFocusWindow* frame = grid->EditFrameWindow();
    ASSERT_NE(frame, nullptr);
    Click(2, 2);
    Key(Qt::Key_F2);
    EXPECT_FALSE(frame->HandleAllocated() && frame->Host()->isVisible()) << "only with the focus helper on";
    Key(Qt::Key_Escape);

    grid->FocusHelper()->Enabled = true;
    Click(3, 4);
    Key(Qt::Key_F2);
    ASSERT_TRUE(frame->HandleAllocated());
    EXPECT_TRUE(frame->Host()->isVisible());
    const TRect cell = grid->CellRect(3, 4);
    const QPoint corner = grid->Host()->mapToGlobal(QPoint(cell.Left - 4, cell.Top - 4));
    EXPECT_EQ(frame->Host()->geometry(), QRect(corner, QSize(cell.Width() + 9, cell.Height() + 9)));
    EXPECT_FALSE(frame->Host()->mask().contains(QPoint(4 + cell.Width() / 2, 4 + cell.Height() / 2)))
        << "the cell itself stays clickable";
    Type("z");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(3, 4), "z");
    EXPECT_FALSE(frame->Host()->isVisible()) << "the frame goes with the edit";
}

// ---------------------------------------------------------------- drawing

TEST_F(GridUserPaths, WrappedTextShowsWholeLinesOnly)
{
    TBitmap measure;
    measure.SetSize(1, 1);
    measure.Canvas()->Font->Assign(grid->Font());
    const int line = measure.Canvas()->TextHeight("Wg");
    // room for one line and a half
    grid->SetRowHeights(2, grid->XYOffset.Y + line + line / 2 + 2);
    grid->SetColWidths(2, 70);
    grid->SetCells(2, 2, "Wig wag wig wag wig wag");
    grid->SetRow(5);
    grid->Repaint();
    const QImage image = grid->Host()->grab().toImage();
    const TRect r = grid->CellRect(2, 2);
    auto darkIn = [&](int top, int bottom) {
        int dark = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = r.Left + 1; x < r.Right - 1; ++x)
                if (qGray(image.pixel(x, y)) < 100)
                    ++dark;
        return dark;
    };
    const int textTop = r.Top + grid->XYOffset.Y;
    EXPECT_GT(darkIn(textTop, textTop + line), 10) << "the first line shows";
    EXPECT_EQ(darkIn(textTop + line, r.Bottom - 1), 0) << "no part of the second line";
}

} // namespace
