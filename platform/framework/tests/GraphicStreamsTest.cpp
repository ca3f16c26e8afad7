#include "platform/framework/Graphics.h"
#include "platform/framework/ImgList.h"

#include <gtest/gtest.h>

namespace {

QImage TwoColours(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 255)); // the mask colour
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x)
            image.setPixel(x, y, x < w / 2 ? qRgb(0, 0, 255) : qRgb(0, 128, 0));
    return image;
}

TEST(GraphicStreams, BitmapAndIconRoundTripAtTheStreamPosition)
{
    TBitmap bitmap;
    bitmap.SetImage(TwoColours(6, 4));
    TMemoryStream stream;
    stream.WriteBuffer("HEAD", 4); // what comes before stays
    bitmap.SaveToStream(&stream);
    EXPECT_EQ(String(stream.Bytes().begin() + 4, stream.Bytes().begin() + 6), "BM");

    stream.SetPosition(4);
    TBitmap loaded;
    loaded.LoadFromStream(&stream);
    EXPECT_EQ(loaded.Width(), 6);
    EXPECT_EQ(loaded.Image().pixel(1, 1), qRgb(0, 0, 255));

    TIcon icon;
    QImage alpha(8, 8, QImage::Format_ARGB32);
    alpha.fill(qRgba(255, 0, 0, 255));
    alpha.setPixel(0, 0, 0);
    icon.SetHandle(CreateIconFromImage(alpha));
    TMemoryStream iconStream;
    icon.SaveToStream(&iconStream);
    iconStream.SetPosition(0);
    TIcon back;
    back.LoadFromStream(&iconStream);
    ASSERT_EQ(back.Width(), 8);
    EXPECT_EQ(qAlpha(back.Handle()->image.pixel(0, 0)), 0);
    EXPECT_EQ(back.Handle()->image.pixel(3, 3), qRgba(255, 0, 0, 255));

    TMemoryStream junk;
    junk.WriteBuffer("not a picture", 13);
    junk.SetPosition(0);
    EXPECT_THROW(loaded.LoadFromStream(&junk), EInvalidGraphic);
    junk.SetPosition(0);
    EXPECT_THROW(back.LoadFromStream(&junk), EInvalidGraphic);
    EXPECT_EQ(back.Width(), 8); // a failed load keeps the icon
}

TEST(ImageList, StripsMasksAndDrawing)
{
    TImageList list(4, 4, nullptr);
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    TBitmap strip;
    strip.SetImage(TwoColours(8, 4)); // two images side by side
    EXPECT_EQ(list.AddMasked(&strip, TColor(0xFF00FF)), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(qAlpha(list.Image(0).pixel(0, 0)), 0); // the mask colour is transparent
    EXPECT_EQ(list.Image(0).pixel(1, 1), qRgba(0, 0, 255, 255));

    TBitmap mask;
    QImage m(4, 4, QImage::Format_RGB32);
    m.fill(Qt::black);
    m.setPixel(2, 2, qRgb(255, 255, 255));
    mask.SetImage(m);
    TBitmap single;
    single.SetImage(TwoColours(4, 4));
    EXPECT_EQ(list.Add(&single, &mask), 2);
    EXPECT_EQ(qAlpha(list.Image(2).pixel(2, 2)), 0);
    EXPECT_EQ(qAlpha(list.Image(2).pixel(0, 0)), 255);
    EXPECT_EQ(changes, 2);

    TBitmap target;
    target.SetSize(10, 10);
    target.Canvas()->Brush->Color = clWhite;
    target.Canvas()->FillRect(TRect(0, 0, 10, 10));
    list.Draw(target.Canvas(), 3, 3, 0);
    EXPECT_EQ(target.Image().pixel(3, 3), qRgb(255, 255, 255)); // transparent corner
    EXPECT_EQ(target.Image().pixel(4, 4), qRgb(0, 0, 255));
    list.Draw(target.Canvas(), 0, 0, 7); // a bad index draws nothing
    list.Draw(target.Canvas(), 6, 6, 0, false);
    const QRgb grey = target.Image().pixel(7, 7);
    EXPECT_EQ(qRed(grey), qBlue(grey));
    EXPECT_GT(qRed(grey), 100);

    TIcon icon;
    list.GetIcon(1, &icon);
    EXPECT_EQ(icon.Width(), 4);
    EXPECT_EQ(list.AddIcon(&icon), 3);
    list.Move(3, 0);
    EXPECT_EQ(list.Image(0).pixel(2, 2), qRgba(0, 128, 0, 255));
    list.Delete(0);
    EXPECT_THROW(list.Delete(5), EInvalidOperation);
    list.SetWidth(8); // a new size empties the list
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
