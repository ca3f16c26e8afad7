// The string grid painted offscreen: looks, bands, fixed cells with sort indicators, mini-HTML
// cells and cell graphics, checked against the drawing log and against pixels of the surface.
#include "platform/testing/quelm_test_support.h"
#include "components/grid/PlusGrid.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

struct PaintFixture {
    PaintFixture(int cols, int rows)
    {
        form.SetClientWidth(640);
        form.SetClientHeight(400);
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetBounds(0, 0, 600, 300);
        grid->SetColCount(cols);
        grid->SetRowCount(rows);
        form.Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
    }
    void Paint()
    {
        log.Clear();
        grid->ControlHost()->PaintRecorder = &log;
        grid->Invalidate();
        grid->Update();
        grid->ControlHost()->PaintRecorder = nullptr;
    }
    QColor Pixel(int x, int y) const { return grid->ControlHost()->SurfaceImage()->pixelColor(x, y); }
    static QColor Rgb(TColor c)
    {
        const TColor v = ColorToRGB(c);
        return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    }
    bool DrewText(const String& text) const
    {
        for (const auto& r : log.Of("DrawText"))
            if (r.Text.find(text) != String::npos)
                return true;
        return false;
    }
    TForm form{nullptr};
    TPlusStringGrid* grid = nullptr;
    TGdiRecorder log;
};

} // namespace

TEST(PlusGridPaint, ConfiguredGridLooksBandsHeadersHtmlAndGraphics)
{
    PaintFixture f(6, 12);
    auto* g = f.grid;
    g->Bands()->SetPrimaryColor(TColor(0xF0E0D0));
    g->Bands()->SetSecondaryColor(clWhite);
    g->Bands()->SetPrimaryLength(2);
    g->Bands()->SetSecondaryLength(1);
    g->Bands()->SetActive(true);
    for (int c = 1; c < 6; ++c)
        g->SetCells(c, 0, "Head " + std::to_string(c));
    g->SetCells(1, 1, "plain text");
    g->SetCells(2, 1, "<b>bold</b> and <i>italic</i>");
    g->SortSettings()->Show = true;
    g->SortSettings()->IndexShow = true;
    g->SortIndexList()->AddIndex(3, true);
    g->SortIndexList()->AddIndex(1, false);
    g->AddCheckBox(1, 2, true);
    g->SetCells(2, 2, "40");
    g->AddProgress(2, 2, clLime, clWhite);
    g->SetCells(4, 4, "own colour");
    g->SetColors(4, 4, TColor(0x0000C0));
    g->SetSelection(TGridRect{1, 1, 1, 1});
    f.Paint();

    // text: the plain cell as plain text, the HTML cell without its tags
    EXPECT_TRUE(f.DrewText("plain text"));
    EXPECT_TRUE(f.DrewText("Head 2"));
    bool html = false;
    for (const auto& r : f.log.Of("TextOut"))
        html = html || r.Text.find("bold") != String::npos;
    for (const auto& r : f.log.Of("DrawText"))
        EXPECT_EQ(r.Text.find("<b>"), String::npos);
    EXPECT_TRUE(html || f.DrewText("bold"));

    // sort markers: two triangles in the index colour, numbered in sort order
    int markers = 0;
    for (const auto& r : f.log.Of("Polygon"))
        if (r.BrushColor == ColorToRGB(clYellow))
            ++markers;
    EXPECT_EQ(markers, 2);
    bool one = false, two = false;
    for (const auto& r : f.log.Of("TextOut")) {
        one = one || r.Text == "1";
        two = two || r.Text == "2";
    }
    EXPECT_TRUE(one && two);

    // the check box and the progress bar
    EXPECT_EQ(f.log.Count("DrawFrameControl"), 1);
    bool progressLabel = f.DrewText("40%");
    EXPECT_TRUE(progressLabel);

    // bands: rows 1, 2 primary, row 3 secondary, row 4 primary; probed beside the text
    const TRect r3 = g->CellRect(3, 3), r5 = g->CellRect(3, 5), r6 = g->CellRect(5, 6);
    EXPECT_EQ(f.Pixel(r3.Right - 4, r3.Top + 4), f.Rgb(clWhite));
    EXPECT_EQ(f.Pixel(r5.Right - 4, r5.Top + 4), f.Rgb(TColor(0xF0E0D0)));
    EXPECT_EQ(f.Pixel(r6.Right - 4, r6.Top + 4), f.Rgb(clWhite));
    // a cell's own colour wins over the band
    const TRect own = g->CellRect(4, 4);
    EXPECT_EQ(f.Pixel(own.Right - 4, own.Bottom - 4), f.Rgb(TColor(0x0000C0)));
    // the selected cell takes the selection colour
    const TRect sel = g->CellRect(1, 1);
    EXPECT_EQ(f.Pixel(sel.Right - 4, sel.Bottom - 4), f.Rgb(g->SelectionColor()));
    // the XP header: a gradient from white down to the button face, a white line at the top
    const TRect head = g->CellRect(2, 0);
    EXPECT_NE(f.Pixel(head.Left + 20, head.Top + 3), f.Pixel(head.Left + 20, head.Bottom - 4));
    EXPECT_EQ(f.Pixel(head.Left + 20, head.Top), QColor(255, 255, 255));
    g->ControlHost()->SurfaceImage()->save(QString::fromStdString(quelmtest::PicturePath("sgrid_paint.png")));
}

TEST(PlusGridPaint, AMillionRowsPaintOnlyTheVisibleCells)
{
    PaintFixture f(10, 10);
    auto* g = f.grid;
    g->SetRowCount(1000001);
    for (int r = 499990; r < 500050; ++r)
        for (int c = 0; c < 10; ++c)
            g->SetCells(c, r, "r" + std::to_string(r));
    g->SetTopRow(500000);
    f.Paint();
    const int visible = (g->VisibleRowCount() + 2) * (g->VisibleColCount() + 2);
    EXPECT_GT(g->PaintedCellCount, 0);
    EXPECT_LE(g->PaintedCellCount, visible);
    EXPECT_TRUE(f.DrewText("r500000"));
}

TEST(PlusGridPaint, MergedCellsHiddenColumnsAndGroupHeaders)
{
    PaintFixture f(5, 8);
    auto* g = f.grid;
    g->SetCells(1, 2, "merged range");
    ASSERT_TRUE(g->MergeCellRange(1, 2, 3, 2));
    g->SetCells(4, 1, "last column");
    g->HideColumn(2);
    f.Paint();
    // the merged text is drawn once; the hidden column's width went to no one
    int merged = 0;
    for (const auto& r : f.log.Of("DrawText"))
        if (r.Text.find("merged") != String::npos)
            ++merged;
    EXPECT_EQ(merged, 1);
    EXPECT_TRUE(f.DrewText("last column"));
    EXPECT_EQ(g->ColCount(), 4);
}

TEST(PlusGridPaint, ScrollingByRowsLeavesTheSamePictureAsAFullPaint)
{
    PaintFixture f(6, 200);
    auto* g = f.grid;
    g->Bands()->SetActive(true);
    for (int r = 0; r < 200; ++r)
        for (int c = 0; c < 6; ++c)
            g->SetCells(c, r, std::to_string(c) + ":" + std::to_string(r));
    g->SetCells(2, 30, "merged");
    ASSERT_TRUE(g->MergeCellRange(2, 30, 2, 3));
    f.Paint();
    struct Step {
        int top;
    };
    for (const Step& s : {Step{5}, Step{6}, Step{29}, Step{31}, Step{27}, Step{150}, Step{149}, Step{1}}) {
        g->SetTopRow(s.top);
        g->Update();
        const QImage scrolled = g->ControlHost()->SurfaceImage()->copy();
        f.Paint();
        EXPECT_EQ(scrolled, *g->ControlHost()->SurfaceImage()) << s.top;
    }
}

// Each kind of cell graphic inks its own place in the cell in its own colour: probed by pixels,
// so that the picture of every kind is checked, not only the calls.
TEST(PlusGridPaint, EachGraphicKindInksItsPlaceInItsColour)
{
    PaintFixture f(8, 4);
    auto* g = f.grid;
    g->SetDefaultRowHeight(28);
    g->SetColWidths(4, 120);
    g->SetCells(1, 1, "pie");
    g->AddProgressPie(1, 1, clRed, 63);
    g->SetCells(2, 1, "c");
    g->AddComment(2, 1, "note");
    g->SetCells(3, 1, "-30");
    g->AddRangeIndicator(3, 1, 100, clRed, clGreen, false);
    g->SetCells(4, 1, "3.4");
    g->AddRating(4, 1, 5, clYellow, clWhite);
    g->SetCells(5, 1, "70");
    g->AddRangeIndicator(5, 1, 100, clRed, clGreen, false);
    g->AddRotated(6, 1, 90, "up");
    TBitmap bitmap;
    bitmap.SetSize(10, 8);
    bitmap.Canvas()->Brush->Color = clNavy;
    bitmap.Canvas()->FillRect(TRect(0, 0, 10, 8));
    g->AddBitmap(7, 1, &bitmap, false, haRight, vaBottom);
    for (int k = 0; k < 4; ++k) {
        g->SetCells(1 + k, 2, "shape");
        g->AddShape(1 + k, 2, k, clBlue, clBlue);
    }
    f.Paint();

    const QColor red = f.Rgb(clRed), green = f.Rgb(clGreen), blue = f.Rgb(clBlue), yellow = f.Rgb(clYellow);
    auto count = [&](const TRect& r, const QColor& colour) {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += f.Pixel(x, y) == colour;
        return n;
    };
    // the pie: a 20-pixel circle before the text, filled red over more than half of its inside
    const TRect pie = g->CellRect(1, 1);
    const int pieTop = pie.Top + (pie.Bottom - pie.Top - 20) / 2;
    EXPECT_GT(count(TRect(pie.Left + 2, pieTop, pie.Left + 22, pieTop + 20), red), 100);
    // the slice runs clockwise from the top: 63 % covers the right half, not the upper left
    EXPECT_EQ(f.Pixel(pie.Left + 16, pieTop + 6), red);
    EXPECT_EQ(f.Pixel(pie.Left + 16, pieTop + 16), red);
    EXPECT_NE(f.Pixel(pie.Left + 6, pieTop + 6), red);
    // the comment: a red corner at the top right only
    const TRect comment = g->CellRect(2, 1);
    EXPECT_EQ(f.Pixel(comment.Right - 2, comment.Top + 1), red);
    EXPECT_EQ(count(TRect(comment.Left, comment.Top, comment.Right - 8, comment.Bottom), red), 0);
    // range indicators: a negative value fills left of the middle, a positive one right of it
    for (const auto& [col, left, right] : {std::tuple{3, red, QColor()}, std::tuple{5, QColor(), green}}) {
        const TRect r = g->CellRect(col, 1);
        const int mid = r.Left + (r.Right - r.Left) / 2, y = (r.Top + r.Bottom) / 2;
        EXPECT_EQ(f.Pixel(mid - 3, y) == red, left == red) << col;
        EXPECT_EQ(f.Pixel(mid + 3, y) == green, right == green) << col;
    }
    // the rating: 3.4 fills three stars of five
    const TRect rating = g->CellRect(4, 1);
    for (int star = 0; star < 5; ++star) {
        const QColor centre = f.Pixel(rating.Left + 2 + star * 18 + 8, rating.Top + (rating.Bottom - rating.Top) / 2);
        EXPECT_EQ(centre == yellow, star < 3) << star;
    }
    // the rotated text inks its cell; the bitmap sits at the bottom right
    const TRect rotated = g->CellRect(6, 1);
    int dark = 0;
    for (int y = rotated.Top; y < rotated.Bottom; ++y)
        for (int x = rotated.Left; x < rotated.Right; ++x)
            dark += f.Pixel(x, y).lightness() < 100;
    EXPECT_GT(dark, 10);
    const TRect bm = g->CellRect(7, 1);
    EXPECT_EQ(f.Pixel(bm.Right - 8, bm.Bottom - 6), f.Rgb(clNavy));
    EXPECT_NE(f.Pixel(bm.Left + 3, bm.Top + 3), f.Rgb(clNavy));
    // the four shapes (circle, square, triangle, diamond) fill a 14-pixel box before the text
    int inked[4];
    for (int k = 0; k < 4; ++k) {
        const TRect r = g->CellRect(1 + k, 2);
        const int top = r.Top + (r.Bottom - r.Top - 14) / 2;
        inked[k] = count(TRect(r.Left + 2, top, r.Left + 16, top + 14), blue);
        EXPECT_EQ(f.Pixel(r.Left + 9, top + 8), blue) << k;
    }
    EXPECT_GT(inked[1], inked[0]); // the square covers more than the circle
    EXPECT_GT(inked[0], inked[2]); // and the circle more than the triangle
    EXPECT_GT(inked[0], inked[3]); // and the diamond
}
