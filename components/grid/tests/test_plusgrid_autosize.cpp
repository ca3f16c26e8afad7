#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

struct SizeFixture {
    SizeFixture()
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(3);
        grid->SetRowCount(4);
        grid->SetFixedRows(1);
        grid->SetFixedCols(0);
    }
    int Width(const String& text, bool fixedFont = false)
    {
        TBitmap b;
        b.SetSize(1, 1);
        b.Canvas()->Font->Assign(fixedFont ? grid->FixedFont() : grid->Font());
        return b.Canvas()->TextWidth(text);
    }
    TForm form{nullptr};
    TPlusStringGrid* grid;
};

TEST(AutoSize, ColumnTakesItsWidestTextPlusMarginsAndLines)
{
    SizeFixture f;
    f.grid->SetCells(1, 1, "short");
    f.grid->SetCells(1, 2, "a rather longer text");
    f.grid->AutoSizeColumn(1, false);
    const int expected = f.Width("a rather longer text") + 4 + 4; // 2 x XYOffset.X + 2 x (line + 1)
    EXPECT_EQ(f.grid->ColWidths(1), expected);
    f.grid->SetAutoSize(true); // every normal column, 10 pixels more
    EXPECT_EQ(f.grid->ColWidths(1), expected + 10);
    // grow only: a wider column stays
    f.grid->SetColWidths(1, 500);
    f.grid->AutoSizeColumn(1, true);
    EXPECT_EQ(f.grid->ColWidths(1), 500);
    // limits: an empty column is not narrower than the minimum
    f.grid->MinColumnWidth = 10;
    f.grid->AutoSizeColumn(2, false);
    EXPECT_EQ(f.grid->ColWidths(2), 10);
}

TEST(AutoSize, RowsMeasuredAndSortHeaderRoom)
{
    SizeFixture f;
    f.grid->SetCells(0, 0, "Header text here");
    f.grid->SetCells(0, 1, "x");
    f.grid->ColumnSize()->Rows = arNormal;
    f.grid->AutoSizeColumn(0, false);
    EXPECT_EQ(f.grid->ColWidths(0), f.Width("x") + 8);
    f.grid->ColumnSize()->Rows = arFixed;
    f.grid->SortSettings()->Show = true;
    f.grid->SortSettings()->Column = 0;
    f.grid->AutoSizeColumn(0, false);
    EXPECT_EQ(f.grid->ColWidths(0), f.Width("Header text here", true) + 8 + 10);
    f.grid->Multilinecells = true;
    f.grid->SetCells(1, 2, "one\r\ntwo\r\nthree");
    f.grid->AutoSizeRow(2, false);
    EXPECT_GT(f.grid->RowHeights(2), 3 * 12);
    f.grid->AddCheckBox(2, 3, true);
    f.grid->AutoSizeRow(3, false);
    EXPECT_GE(f.grid->RowHeights(3), f.grid->DefaultRowHeight());
}

TEST(AutoSize, RotatedTextPlacement)
{
    // a 90 degree text of 40 x 10 pixels: box 10 wide, 40 high; the output starts at its bottom
    TRect r(0, 0, 100, 100);
    PlaceRectForAngle(r, taLeftJustify, vtaTop, 0, 40, 10, 0, 90);
    EXPECT_EQ(r.Left, 0);
    EXPECT_EQ(r.Top, 40);
    TRect c(0, 0, 100, 100);
    PlaceRectForAngle(c, taCenter, vtaCenter, 0, 40, 10, 0, 90);
    EXPECT_EQ(c.Left, 45);
    EXPECT_EQ(c.Top, 30 + 40);
}

} // namespace
