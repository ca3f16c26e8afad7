#include "platform/testing/quelm_test_support.h"
#include "components/grid/DrawRoutines.h"
#include "components/grid/PlusObj.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinLayered.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

int Red(TBitmap* b, int x, int y)
{
    return GetRValue(ColorToRGB(b->Canvas()->Pixels(x, y)));
}

} // namespace

TEST(GridOverlays, RoundRectMaskAndBlur)
{
    // without blur (0 or negative radius) the edge stays hard
    for (double radius : {0.0, -2.0}) {
        TBitmap m;
        DrawRoundRectMask(&m, 30, 30, 0, 5, radius);
        EXPECT_EQ(Red(&m, 15, 15), 255);
        EXPECT_EQ(Red(&m, 1, 15), 0);
    }
    TBitmap blurred;
    DrawRoundRectMask(&blurred, 30, 30, 0, 5, 3);
    EXPECT_GT(Red(&blurred, 1, 15), 0);  // the edge spreads out
    EXPECT_LT(Red(&blurred, 2, 15), 255);
    EXPECT_EQ(Red(&blurred, 15, 15), 255);

    TBitmap big;
    DrawRoundRectMask(&big, 100, 100, 4, 5, 3);
    for (int y : {30, 60, 79}) // interior rows are copies, far from the rounded ends alike
        for (int x : {0, 3, 50, 97})
            EXPECT_EQ(big.Canvas()->Pixels(x, y), big.Canvas()->Pixels(x, 50)) << x << "," << y;
    EXPECT_GT(Red(&big, 4, 50), 100); // the blurred outline
    EXPECT_LT(Red(&big, 50, 50), 10); // the hollow middle

    TBitmap white;
    white.PixelFormat = pf24bit;
    white.SetSize(12, 12);
    FillRectColor(white.Canvas(), TRect(0, 0, 12, 12), clWhite);
    BlurBitmap(&white, 2.5);
    EXPECT_EQ(Red(&white, 0, 0), 255); // 255 stays 255
    EXPECT_EQ(Red(&white, 6, 6), 255);

    TBitmap other;
    other.PixelFormat = pf32bit;
    other.SetSize(4, 4);
    EXPECT_THROW(BlurBitmap(&other, 2), Exception);
}

TEST(GridOverlays, AlphaMaskFromMask)
{
    TBitmap mask, picture;
    mask.PixelFormat = picture.PixelFormat = pf24bit;
    mask.SetSize(3, 1);
    picture.SetSize(3, 1);
    mask.Canvas()->SetPixel(0, 0, TColor(RGB(0, 0, 0)));
    mask.Canvas()->SetPixel(1, 0, TColor(RGB(255, 0, 0)));
    mask.Canvas()->SetPixel(2, 0, TColor(RGB(128, 0, 0)));
    for (int x = 0; x < 3; ++x)
        picture.Canvas()->SetPixel(x, 0, TColor(RGB(0x97, 0xD3, 0xFD)));
    TGridAlphaMask alpha;
    alpha.BuildFromMask(&mask, &picture, clNone);
    EXPECT_EQ(alpha.PixelBGRA(0, 0), 0u);                   // transparent black
    EXPECT_EQ(alpha.PixelBGRA(1, 0), 0xFF97D3FDu);          // unchanged, opaque
    EXPECT_EQ(alpha.PixelBGRA(2, 0) >> 24, 128u);
    EXPECT_EQ((alpha.PixelBGRA(2, 0) >> 16) & 0xFF, 76u);   // 0x97 x 128 / 255 = 75.8
    TGridAlphaMask copy;
    alpha.MaskOpacity = 230;
    copy.Assign(&alpha);
    EXPECT_EQ(copy.MaskOpacity, 230);
    EXPECT_EQ(copy.PixelBGRA(1, 0), 0xFF97D3FDu);
}

TEST(GridOverlays, ArrowsAndPopupButton)
{
    const auto up = ArrowWindowPoints(0);
    ASSERT_EQ(up.size(), 7u);
    EXPECT_EQ(up[0], TPoint(5, 0));
    EXPECT_EQ(ArrowWindowPoints(3)[3], TPoint(8, 7));
    for (const TPoint& p : ArrowWindowPoints(4))
        EXPECT_EQ(p, TPoint(0, 0)); // no such direction: a degenerate outline

    TPopupButton b(nullptr);
    b.SetBounds(0, 0, 80, 20);
    b.GradFrom = clYellow;
    b.GradTo = clYellow;
    b.GradMirrorFrom = clYellow;
    b.GradMirrorTo = clYellow;
    b.SetCaption("<b>Sort</b>");
    DeviceContext dc(80, 20);
    TGdiRecorder log;
    dc.Recorder = &log;
    b.Perform(WM_PAINT, WPARAM(&dc), 0);
    EXPECT_EQ(GetPixel(&dc, 0, 0), COLORREF(0xFFFFFF)); // the raised frame
    EXPECT_EQ(GetPixel(&dc, 79, 19), COLORREF(0x808080));
    EXPECT_EQ(GetPixel(&dc, 40, 18), COLORREF(0x00FFFF));
    bool sort = false;
    for (const TGdiRecord& r : log.Of("DrawText"))
        sort = sort || r.Text == "Sort";
    EXPECT_TRUE(sort); // the mini-HTML caption without its tags
}

namespace {

// The window as the window system composes it: its pixels inside its shape, over nothing.
QImage Composed(TWinControl* w)
{
    QApplication::processEvents();
    QImage image(w->Host()->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QRegion shape = w->Host()->mask();
    const QPoint at = shape.isEmpty() ? QPoint() : shape.boundingRect().intersected(w->Host()->rect()).topLeft();
    w->Host()->render(&image, at, QRegion(), QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

// The arrows, the pop-up button and the focus window are windows of their own above the grid
// (owned by its window), the arrows shaped as arrows, the focus window showing the glow as a
// layered window whose region leaves the cell out.
TEST(GridOverlays, OverlayWindowsAreTopLevelPopUps)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 240, 120);
    auto* grid = new TCustomControl(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 240, 120);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Host()));

    auto* arrow = new TArrowWindow(grid, 1);
    EXPECT_FALSE(arrow->Visible());
    arrow->SetBounds(300, 300, 10, 9);
    arrow->SetVisible(true);
    ASSERT_TRUE(arrow->HandleAllocated());
    EXPECT_TRUE(arrow->Host()->isWindow());
    EXPECT_EQ(arrow->Host()->parentWidget(), grid->Host()); // owned by the grid's window
    EXPECT_EQ(DWORD(GetWindowLong(arrow->Handle(), GWL_STYLE)) & ~DWORD(WS_VISIBLE), DWORD(WS_POPUP));
    EXPECT_EQ(arrow->Host()->mapToGlobal(QPoint(0, 0)), QPoint(300, 300));
    const QRegion shape = arrow->Host()->mask();
    EXPECT_TRUE(shape.contains(QPoint(5, 2)));  // the shaft
    EXPECT_TRUE(shape.contains(QPoint(5, 6)));  // the head
    EXPECT_FALSE(shape.contains(QPoint(0, 1))); // beside the shaft
    EXPECT_FALSE(shape.contains(QPoint(9, 8)));
    const QImage arrowShown = Composed(arrow);
    EXPECT_EQ(arrowShown.pixelColor(5, 2), QColor(0, 255, 0));
    EXPECT_EQ(arrowShown.pixelColor(0, 1).alpha(), 0);

    TPopupButton popup(grid);
    popup.SetBounds(320, 300, 80, 20);
    popup.SetCaption("Sorted");
    popup.HandleNeeded();
    EXPECT_TRUE(popup.Host()->isWindow());
    EXPECT_TRUE(popup.Host()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(DWORD(GetWindowLong(popup.Handle(), GWL_STYLE)) & ~DWORD(WS_VISIBLE), DWORD(0x88800000));
    EXPECT_TRUE(GetWindowLong(popup.Handle(), GCL_STYLE) & CS_SAVEBITS);
    EXPECT_FALSE(popup.Host()->isEnabled()); // it takes no input

    // the focus glow around a cell at (20, 20)-(100, 40) of the grid
    auto* focus = new TGridFocusWindow(grid);
    focus->HandleNeeded();
    EXPECT_TRUE(focus->Host()->isWindow());
    EXPECT_TRUE(focus->Host()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(DWORD(GetWindowLong(focus->Handle(), GWL_EXSTYLE)), DWORD(WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
    const TRect cell(20, 20, 100, 40);
    const int w = cell.Width() + 9, h = cell.Height() + 9;
    TBitmap mask, picture;
    DrawRoundRectMask(&mask, w, h, 4, 5, 3);
    picture.PixelFormat = pf24bit;
    picture.SetSize(w, h);
    FillRectColor(picture.Canvas(), TRect(0, 0, w, h), TColor(0xFDD397));
    TGridAlphaMask alpha;
    alpha.BuildFromMask(&mask, &picture, clNone);
    alpha.MaskOpacity = 230;
    POINT at{0, 0};
    ClientToScreen(grid->Handle(), &at);
    at.x += cell.Left - 4;
    at.y += cell.Top - 4;
    POINT from{0, 0};
    SIZE size{w, h};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha.MaskOpacity, AC_SRC_ALPHA};
    ASSERT_TRUE(UpdateLayeredWindow(focus->Handle(), nullptr, &at, &size, alpha.Canvas()->Handle(), &from, 0, &blend,
                                    ULW_ALPHA));
    HRGN ring = CreateRectRgn(0, 0, w, h);
    HRGN inner = CreateRectRgn(4, 4, 4 + cell.Width(), 4 + cell.Height());
    CombineRgn(ring, ring, inner, RGN_DIFF);
    DeleteObject(inner);
    SetWindowRgn(focus->Handle(), ring, TRUE);
    ShowWindow(focus->Handle(), SW_SHOWNOACTIVATE);
    const QImage glow = Composed(focus);
    {
        // to look at: over a dark backdrop, six times as large
        QImage look(glow.size(), QImage::Format_RGB32);
        look.fill(QColor(80, 80, 80));
        QPainter p(&look);
        p.drawImage(0, 0, glow);
        p.end();
        look.scaled(glow.size() * 6).save(QString::fromStdString(quelmtest::PicturePath("grid-focus-glow.png")));
    }
    const QColor edge = glow.pixelColor(2, h / 2); // on the blurred outline, outside the cell
    EXPECT_GT(edge.alpha(), 60);
    EXPECT_GT(edge.blue(), edge.red()); // 0xFDD397 is light blue
    EXPECT_EQ(glow.pixelColor(w / 2, h / 2).alpha(), 0); // the cell itself is outside the window
    EXPECT_FALSE(focus->Host()->mask().contains(QPoint(w / 2, h / 2)));
    EXPECT_TRUE(focus->Host()->mask().contains(QPoint(2, h / 2)));
    EXPECT_LT(glow.pixelColor(0, 0).alpha(), 8); // outside the rounded outline: the blur's tail
}
