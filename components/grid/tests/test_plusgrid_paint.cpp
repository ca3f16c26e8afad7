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
