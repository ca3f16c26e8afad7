#include "platform/framework/Graphics.h"

#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

TEST(Graphics, ColoursResolveSystemEntries)
{
    EXPECT_EQ(ColorToRGB(clBtnFace), TColor(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    EXPECT_EQ(clInfoBk, TColor(0xFF000018));
    EXPECT_EQ(ColorToColorRef(clWindowText), COLORREF(0));
    TFont font;
    EXPECT_EQ(font.Size(), 8);
    font.SetSize(10);
    EXPECT_EQ(font.Height, -13);
}

TEST(Graphics, CanvasSelectsItsObjectsAndColours)
{
    DeviceContext dc(40, 20);
    TGdiRecorder log;
    dc.Recorder = &log;
    TCanvas canvas;
    canvas.SetHandle(&dc);
    canvas.Brush->Color = clYellow;
    canvas.Pen->Color = clBlue;
    canvas.Pen->Width = 2;
    canvas.Rectangle(0, 0, 10, 10);
    ASSERT_EQ(log.Records.size(), 1u);
    EXPECT_EQ(log.Records[0].ToString(), "Rectangle(0,0,10,10) pen=#0000FF/2 brush=#FFFF00");
    // a clear brush makes text transparent; TextRect with a solid brush fills the box first
    canvas.Brush->Color = clRed;
    canvas.TextRect(TRect(20, 0, 40, 20), 22, 2, "");
    EXPECT_EQ(GetPixel(&dc, 39, 19), COLORREF(0x0000FF));
    canvas.Brush->Style = bsClear;
    canvas.TextOut(0, 12, "x");
    EXPECT_EQ(log.Records.back().BkMode, TRANSPARENT);
    canvas.Pen->Mode = pmXor;
    canvas.Pen->Width = 1;
    canvas.MoveTo(0, 15);
    canvas.LineTo(5, 15);
    EXPECT_EQ(log.Records.back().Rop2, R2_XORPEN);
    canvas.SetHandle(nullptr);
    // the canvas's objects were deselected: the context is back on the stock ones
    EXPECT_EQ(GetCurrentObject(&dc, OBJ_PEN), GetStockObject(BLACK_PEN));
}

TEST(Graphics, BitmapsKeepTheirPictureAndGoToFilesAndBack)
{
    TBitmap bitmap;
    bitmap.SetSize(8, 6);
    bitmap.Canvas()->Brush->Color = clLime;
    bitmap.Canvas()->FillRect(TRect(0, 0, 4, 3));
    bitmap.SetSize(10, 10); // grows, keeps the top-left part
    EXPECT_EQ(bitmap.Width(), 10);
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 1), clLime);
    EXPECT_EQ(bitmap.Canvas()->Pixels(9, 9), clWhite);
    EXPECT_EQ(bitmap.TransparentColor(), clWhite); // the bottom-left pixel

    quelmtest::TempDir dir;
    const String file = dir.file("picture.bmp");
    bitmap.SaveToFile(file);
    TPicture picture;
    picture.LoadFromFile(file);
    EXPECT_EQ(picture.Width(), 10);
    EXPECT_EQ(picture.Bitmap()->Canvas()->Pixels(2, 2), clLime);
    TPicture copy;
    copy.Assign(&picture);
    EXPECT_EQ(copy.Height(), 10);
    EXPECT_THROW(picture.LoadFromFile(dir.file("missing.bmp")), EInvalidGraphic);

    // drawn onto another canvas, stretched
    DeviceContext dc(40, 40);
    TCanvas canvas;
    canvas.SetHandle(&dc);
    canvas.StretchDraw(TRect(0, 0, 20, 20), &bitmap);
    EXPECT_EQ(GetPixel(&dc, 7, 5), COLORREF(0x00FF00));
    EXPECT_EQ(GetPixel(&dc, 15, 15), COLORREF(0xFFFFFF));
    canvas.SetHandle(nullptr);
}
