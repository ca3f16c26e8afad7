// The floating footer: the fixed footer row it makes of the last row, the calculations that fill
// that row (hidden rows included or not), the preview template, the strip's column hit test and
// clicks, and a painted grid with its footer (picture written to $QUELM_PICTURES when set).
#include "components/grid/PlusGrid.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"

#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Five columns; row 0 fixed, data rows 1..5 with 10, 20, 30, 40, 50 in column 1 and a footer row.
struct FooterGrid {
    FooterGrid()
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(5);
        grid->SetRowCount(7);
        grid->SetFixedRows(1);
        grid->SetFixedCols(1);
        for (int r = 1; r <= 5; ++r) {
            grid->SetCells(0, r, std::to_string(r));
            grid->SetCells(1, r, std::to_string(r * 10));
            grid->SetCells(2, r, "item " + std::to_string(r));
        }
    }
    int FooterRow() const { return grid->RowCount() - 1; }
    void Calc(int col, BYTE kind) { grid->EnsureCellProperties(col, FooterRow())->FooterCalcKind = kind; }
    TForm form{nullptr};
    TPlusStringGrid* grid = nullptr;
};

} // namespace

TEST(PlusGridFooter, VisibilityAndStyleDecideTheFixedFooterRow)
{
    FooterGrid f;
    TFloatingFooter* ff = f.grid->FloatingFooter();
    ff->SetVisible(true);
    EXPECT_EQ(f.grid->FixedFooters(), 1);
    EXPECT_TRUE(f.grid->HideLastRow());
    ASSERT_NE(f.grid->FooterPanel(), nullptr);
    EXPECT_EQ(f.grid->FooterPanel()->Height(), f.grid->DefaultRowHeight() - 1);
    ff->SetFooterStyle(fsColumnPreview);
    EXPECT_FALSE(f.grid->HideLastRow());
    ff->SetFooterStyle(fsFixedLastRow);
    ff->SetVisible(false);
    EXPECT_EQ(f.grid->FixedFooters(), 0);
    EXPECT_FALSE(f.grid->HideLastRow());
    EXPECT_EQ(f.grid->FooterPanel()->Height(), 0);

    // Assign copies the settings and shows the strip through Visible; BorderColor stays
    FooterGrid g;
    ff->SetVisible(true);
    ff->SetBorderColor(clRed);
    ff->SetColumn(2);
    g.grid->FloatingFooter()->Assign(ff);
    EXPECT_EQ(g.grid->FixedFooters(), 1);
    EXPECT_EQ(g.grid->FloatingFooter()->Column(), 2);
    EXPECT_EQ(g.grid->FloatingFooter()->BorderColor(), clNone);
}

TEST(PlusGridFooter, CalculationsOverHiddenRows)
{
    struct Case {
        BYTE kind;
        bool calculateHidden;
        String expected;
    } cases[] = {
        {1, true, "150.00"},  // the hidden row's 30 counts, the footer's own text not
        {1, false, "120.00"},
        {2, true, "30.00"},   // 150 over the five data rows
        {3, true, "5"},
        {3, false, "4"},
        {4, true, "10.00"},
        {5, true, "50.00"},
        {5, false, "50.00"},
        {0, true, "999"},     // no calculation: the cell keeps its text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + (c.calculateHidden ? " with hidden rows" : " without"));
        FooterGrid f;
        f.grid->SetCells(1, f.FooterRow(), "999");
        f.Calc(1, c.kind);
        f.grid->FloatingFooter()->SetVisible(true);
        f.grid->FloatingFooter()->CalculateHiddenRows = c.calculateHidden;
        f.grid->HideRow(3);
        f.grid->CalcFloatingFooter(-1);
        EXPECT_EQ(f.grid->Cells(1, f.FooterRow()), c.expected);
    }

    // the custom kind asks the grid's event first, else the footer's; hidden
    FooterGrid f;
    f.Calc(2, 7);
    f.grid->FloatingFooter()->SetVisible(true);
    int askedRow = -1;
    f.grid->FloatingFooter()->OnCalcFooter = [&](TObject*, int col, int row, String& value) {
        askedRow = row;
        value = "custom " + std::to_string(col);
    };
    f.grid->CalcFloatingFooter(2);
    EXPECT_EQ(f.grid->Cells(2, f.FooterRow()), "custom 2");
    EXPECT_EQ(askedRow, f.FooterRow());
    f.grid->OnFooterCalc = [](TObject*, int, int, String& value) { value = "grid"; };
    f.grid->CalcFloatingFooter(-1);
    EXPECT_EQ(f.grid->Cells(2, f.FooterRow()), "grid");

    // nothing is calculated while the footer is hidden or previews a row
    FooterGrid h;
    h.Calc(1, 1);
    h.grid->CalcFloatingFooter(-1);
    EXPECT_EQ(h.grid->Cells(1, h.FooterRow()), "");
}

TEST(PlusGridFooter, TemplateTakesTheCurrentRowsCells)
{
    FooterGrid f;
    f.grid->FloatingFooter()->SetFooterStyle(fsCustomPreview);
    f.grid->FloatingFooter()->SetVisible(true);
    f.grid->FocusCell(1, 2);
    TFooterPanel* panel = f.grid->FooterPanel();
    struct Case {
        const char* templ;
        const char* expected;
    } cases[] = {
        {"Total: <#2>", "Total: item 2"},
        {"<#1>/<#0> rows", "20/2 rows"},
        {"a<#x>b", "ab"},         // a tag that is no number is dropped
        {"<#99>!", "!"},          // a column beyond the grid gives nothing
        {"open <#1", "open 20"},  // an unclosed tag still reads its number
        {"plain", "plain"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(panel->ExpandTemplate(c.templ), c.expected) << c.templ;
}

TEST(PlusGridFooter, ColumnsFollowTheScrolledGridAndClicksReportTheFooterRow)
{
    FooterGrid f;
    f.grid->SetColCount(12);
    f.form.SetBounds(0, 0, 400, 300);
    f.grid->SetBounds(0, 0, 380, 280);
    for (int c = 0; c < 12; ++c)
        f.grid->SetColWidths(c, 50);
    f.grid->FloatingFooter()->SetVisible(true);
    TFooterPanel* panel = f.grid->FooterPanel();
    EXPECT_EQ(panel->ColumnAt(10), 0);
    EXPECT_EQ(panel->ColumnAt(175), 3);
    EXPECT_EQ(panel->ColumnAt(50 * 12 + 5), -1);
    f.grid->SetLeftCol(4);
    EXPECT_EQ(panel->ColumnAt(10), 0);   // the fixed column stays
    EXPECT_EQ(panel->ColumnAt(60), 4);   // then the grid's left column
    EXPECT_EQ(panel->ColumnsWidth(), 50 + 8 * 50);
    f.grid->SetLeftCol(1);

    f.form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.form.Host()));
    int clickedRow = -1, clickedCol = -1, clicks = 0;
    f.grid->OnClick = [&](TObject*) { ++clicks; };
    f.grid->OnClickCell = [&](TObject*, int row, int col) {
        clickedRow = row;
        clickedCol = col;
    };
    QWidget* host = panel->Host();
    QTest::mouseClick(host, Qt::LeftButton, Qt::NoModifier, QPoint(175, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(clickedRow, f.grid->RowCount() - 1);
    EXPECT_EQ(clickedCol, 3);
}

TEST(PlusGridFooter, PaintedFooterShowsTheTotalsRow)
{
    FooterGrid f;
    f.form.SetBounds(0, 0, 420, 260);
    f.grid->SetBounds(0, 0, 400, 240);
    f.grid->SetCells(1, 0, "Amount");
    f.grid->SetCells(2, 0, "Item");
    f.grid->SetCells(0, f.FooterRow(), "Sum");
    f.Calc(1, 1);
    f.Calc(3, 3);
    f.grid->FloatingFooter()->SetColor(TColor(0xC0F0FF));
    f.grid->FloatingFooter()->SetBorderColor(clNavy);
    f.grid->FloatingFooter()->SetVisible(true);
    f.grid->HideRow(2);
    f.grid->CalcFloatingFooter(-1);
    f.form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.form.Host()));
    TFooterPanel* panel = f.grid->FooterPanel();
    panel->Repaint();
    f.grid->Repaint();
    const QImage image = f.form.Host()->grab().toImage();
    if (const char* dir = std::getenv("QUELM_PICTURES"))
        image.save(QString::fromStdString(std::string(dir) + "/grid_floating_footer.png"));
    // the strip lies along the grid's bottom in the footer colour, with the border line on top
    const int top = panel->Top();
    EXPECT_EQ(top + panel->Height(), f.grid->ClientHeight());
    const TRect amount = f.grid->CellRect(1, 1);
    EXPECT_EQ(image.pixelColor(amount.Left + 40, top).rgb() & 0xFFFFFF, 0x000080u);
    // the total is written in the footer's amount cell
    int dark = 0;
    for (int x = amount.Left; x < amount.Right; ++x)
        for (int y = top + 2; y < top + panel->Height() - 2; ++y)
            dark += image.pixelColor(x, y).lightness() < 100;
    EXPECT_GT(dark, 20);
    // the hidden row's 20 is in the sum; the grid's own last row is left to the strip
    EXPECT_EQ(f.grid->Cells(1, f.FooterRow()), "150.00");
    EXPECT_EQ(f.grid->Cells(3, f.FooterRow()), "5");
}

TEST(PlusGridFooter, LastRowsScrollIntoFullViewAboveTheStrip)
{
    // a footer row (fsFixedLastRow: the last data row is RowCount-2) and a preview strip (the
    // grid's own last row), reached by moving there, by pages down and by the wheel
    struct Case {
        TFooterStyle style;
        const char* how;
    };
    for (const Case c : {Case{fsFixedLastRow, "move"}, Case{fsColumnPreview, "move"}, Case{fsColumnPreview, "keys"},
                         Case{fsColumnPreview, "wheel"}}) {
        SCOPED_TRACE(std::string(c.how) + (c.style == fsFixedLastRow ? " fixed last row" : " preview"));
        FooterGrid f;
        f.form.SetBounds(0, 0, 300, 200);
        f.grid->SetBounds(0, 0, 280, 180);
        f.grid->SetDefaultRowHeight(20);
        f.grid->SetRowCount(40);
        f.grid->FloatingFooter()->SetFooterStyle(c.style);
        f.grid->FloatingFooter()->SetVisible(true);
        f.form.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.form.Host()));
        TFooterPanel* panel = f.grid->FooterPanel();
        ASSERT_GT(panel->Height(), 0);
        const int last = c.style == fsFixedLastRow ? f.grid->RowCount() - 2 : f.grid->RowCount() - 1;
        if (std::string(c.how) == "move") {
            f.grid->SetRow(last);
        } else if (std::string(c.how) == "keys") {
            for (int i = 0; i < 10 && f.grid->Row() < last; ++i) {
                WORD key = VK_NEXT;
                f.grid->Perform(WM_KEYDOWN, key, 0);
            }
            ASSERT_EQ(f.grid->Row(), last);
        } else {
            for (int i = 0; i < 60; ++i)
                f.grid->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), MAKELPARAM(10, 10));
            ASSERT_EQ(f.grid->Row(), last);
        }
        const TRect r = f.grid->CellRect(1, last);
        ASSERT_GT(r.Bottom, r.Top) << "the row is not in view";
        if (const char* dir = std::getenv("QUELM_PICTURES"); dir && c.style == fsFixedLastRow) {
            f.grid->SetCells(1, last, "last row");
            f.grid->SetCells(1, f.grid->RowCount() - 1, "footer");
            f.grid->Repaint();
            f.form.Host()->grab().toImage().save(QString(dir) + "/grid_footer_last_row.png");
        }
        EXPECT_LE(r.Bottom, panel->Top());
        EXPECT_EQ(panel->Top() + panel->Height(), f.grid->ClientHeight());
        // the visible-row count stops above the strip
        const int below = f.grid->TopRow() + f.grid->VisibleRowCount();
        if (below < f.grid->RowCount())
            EXPECT_GT(f.grid->CellRect(1, below).Bottom, panel->Top());
    }
}
