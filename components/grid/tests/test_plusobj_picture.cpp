#include "components/grid/PlusObj.h"

#include "platform/testing/quelm_test_support.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(FilePicture, ReadsSizeAndDrawsFromTheFile)
{
    quelmtest::TempDir dir;
    const String path = dir.file("pic.bmp");
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 0));
    ASSERT_TRUE(image.save(ToQString(path), "BMP"));

    TFilePicture picture;
    picture.SetFilename(path);
    EXPECT_EQ(picture.Width(), 6);
    EXPECT_EQ(picture.Height(), 4);

    TBitmap target;
    target.SetSize(20, 20);
    target.Canvas()->Brush->Color = clWhite;
    target.Canvas()->FillRect(TRect(0, 0, 20, 20));
    picture.Draw(target.Canvas(), TRect(0, 0, 12, 8));
    EXPECT_EQ(target.Canvas()->Pixels(10, 6), clRed);
    EXPECT_EQ(target.Canvas()->Pixels(15, 15), clWhite);

    TFilePicture copy;
    copy.Assign(&picture);
    EXPECT_EQ(copy.Filename(), path);
    EXPECT_EQ(copy.Width(), 6);
}

TEST(FilePicture, EmptyNameDrawsNothingAndBadFileRaises)
{
    TFilePicture picture;
    TBitmap target;
    target.SetSize(4, 4);
    target.Canvas()->Brush->Color = clWhite;
    target.Canvas()->FillRect(TRect(0, 0, 4, 4));
    picture.Draw(target.Canvas(), TRect(0, 0, 4, 4));
    EXPECT_EQ(target.Canvas()->Pixels(1, 1), clWhite);

    EXPECT_ANY_THROW(picture.SetFilename("/nonexistent/none.bmp"));
    EXPECT_EQ(picture.Filename(), "/nonexistent/none.bmp");
    EXPECT_ANY_THROW(picture.Draw(target.Canvas(), TRect(0, 0, 4, 4)));

    TBands other;
    EXPECT_THROW(picture.Assign(&other), EConvertError);
}

} // namespace
