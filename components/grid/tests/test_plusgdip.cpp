#include "components/grid/GDIPicture.h"
#include "components/grid/PlusGDIP.h"
#include "platform/win/WinOle.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> GdipEncode(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

struct Stream {
    explicit Stream(const std::vector<uint8_t>& b) : s(SHCreateMemStream(b.data(), UINT(b.size()))) {}
    ~Stream() { s->Release(); }
    IStream* s;
};

} // namespace

TEST(PlusGDIP, ColoursAndStatusRule)
{
    EXPECT_EQ(ColorToARGB(clRed), 0xFFFF0000u);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(ColorToARGB(clBtnFace), ARGBFromRGB(GetRValue(face), GetGValue(face), GetBValue(face)));
    const ARGB c = ARGBFromBytes(128, 1, 2, 3);
    EXPECT_EQ(c >> 24, 128u);
    EXPECT_EQ(ARGBRed(c), 1);
    EXPECT_EQ(ARGBGreen(c), 2);
    EXPECT_EQ(ARGBBlue(c), 3);

    // surround colours: no more than the path's points
    TGPGraphicsPath path;
    const GpPointF square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_EQ(path.GdipAddPathPolygon(square, 4), Ok);
    TGPPathGradientBrush brush(&path);
    ASSERT_EQ(brush.LastStatus(), Ok);
    const ARGB colours[5] = {0xFF000000, 0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444};
    int count = 5;
    EXPECT_EQ(brush.GdipSetPathGradientSurroundColorsWithCount(colours, count), InvalidParameter);
    EXPECT_EQ(count, 5);
    count = 4;
    // a later success answers Ok while the last status keeps the failure
    EXPECT_EQ(brush.GdipSetPathGradientCenterPointI(NewGpPoint(5, 5)), Ok);
    EXPECT_EQ(brush.LastStatus(), InvalidParameter);
    EXPECT_EQ(brush.GdipSetPathGradientCenterColor(0xFFFFFFFF), InvalidParameter);
    EXPECT_EQ(count, 4);

    TGPGraphicsPath empty;
    TGPPathGradientBrush none(&empty);
    EXPECT_NE(none.LastStatus(), Ok);
    int one = 1;
    EXPECT_EQ(none.GdipSetPathGradientSurroundColorsWithCount(colours, one), InvalidParameter);
}

TEST(PlusGDIP, DrawsWithAntialiasingGradientsAndText)
{
    DeviceContext dc(60, 40);
    PatBlt(&dc, 0, 0, 60, 40, WHITENESS);
    {
        TGPGraphics g(&dc);
        ASSERT_EQ(g.LastStatus(), Ok);
        EXPECT_EQ(g.GdipSetSmoothingMode(SmoothingModeAntiAlias), Ok);
        TGPSolidBrush red(ARGBFromRGB(255, 0, 0));
        EXPECT_EQ(g.GdipFillEllipse(&red, 0, 0, 20, 20), Ok);
        TGPLinearGradientBrush ramp(NewGpRectF(20, 0, 40, 10), ARGBFromRGB(0, 0, 0), ARGBFromRGB(255, 255, 255),
                                    LinearGradientModeHorizontal);
        EXPECT_EQ(g.GdipFillRectangle(&ramp, 20, 0, 40, 10), Ok);
        TGPFontFamily family(u"DejaVu Sans");
        TGPFont font(&family, 12, FontStyleBold, UnitPixel);
        TGPSolidBrush blue(ARGBFromRGB(0, 0, 255));
        TGPStringFormat format;
        EXPECT_EQ(g.GdipDrawString("Hi there", -1, &font, NewGpRectF(20, 15, 40, 20), &format, &blue), Ok);
        GpRectF box;
        EXPECT_EQ(g.GdipMeasureString(u"Hi", -1, &font, NewGpRectF(0, 0, 100, 100), &format, box), Ok);
        EXPECT_GT(box.Width, 5);
    }
    EXPECT_EQ(GetPixel(&dc, 10, 10), COLORREF(0x0000FF));
    int blended = 0; // antialiased rim: partly red
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 20; ++y)
            blended += GetPixel(&dc, x, y) != COLORREF(0x0000FF) && GetPixel(&dc, x, y) != COLORREF(0xFFFFFF);
    EXPECT_GT(blended, 10);
    EXPECT_LT(GetRValue(GetPixel(&dc, 21, 5)), 40);
    EXPECT_GT(GetRValue(GetPixel(&dc, 58, 5)), 215);
    int blue = 0;
    for (int x = 20; x < 60; ++x)
        for (int y = 15; y < 35; ++y)
            blue += GetBValue(GetPixel(&dc, x, y)) > 200 && GetRValue(GetPixel(&dc, x, y)) < 100;
    EXPECT_GT(blue, 5);
}

TEST(PlusGDIP, ImagesKindsAndColourKeys)
{
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(qRgb(0, 255, 0));
    image.setPixel(0, 0, qRgb(255, 0, 255));
    struct Case {
        const char* format;
        TGPImageKind kind;
    };
    for (const Case& c : {Case{"PNG", ikPNG}, Case{"BMP", ikBMP}, Case{"JPEG", ikJPEG}, Case{"GIF", ikGIF}}) {
        const std::vector<uint8_t> bytes = GdipEncode(image, c.format);
        if (bytes.empty())
            continue; // no writer for this format
        Stream s(bytes);
        TGPImage img(s.s);
        EXPECT_EQ(img.LastStatus(), Ok) << c.format;
        EXPECT_EQ(img.ImageKind(), c.kind) << c.format;
        EXPECT_EQ(img.GdipGetImageWidth(), 6u) << c.format;
    }
    Stream junk(std::vector<uint8_t>{1, 2, 3, 4, 5});
    TGPImage bad(junk.s);
    EXPECT_EQ(bad.LastStatus(), UnknownImageFormat);
    EXPECT_EQ(bad.GdipGetImageWidth(), 0u);

    Stream png(GdipEncode(image, "PNG"));
    TGPBitmap bitmap(png.s);
    ARGB pixel = 0;
    EXPECT_EQ(bitmap.GdipBitmapGetPixel(0, 0, pixel), Ok);
    EXPECT_EQ(pixel, 0xFFFF00FFu);
    EXPECT_EQ(bitmap.GdipBitmapGetPixel(6, 0, pixel), InvalidParameter);

    DeviceContext dc(20, 20);
    PatBlt(&dc, 0, 0, 20, 20, BLACKNESS);
    TGPGraphics g(&dc);
    TGPImageAttributes keys;
    keys.GdipSetImageAttributesColorKeys(0xFFFF00FF, 0xFFFF00FF);
    g.GdipDrawImageRectRect(&bitmap, NewGpRectF(0, 0, 6, 4), 0, 0, 6, 4, UnitPixel, &keys);
    EXPECT_EQ(GetPixel(&dc, 0, 0), COLORREF(0)); // the key colour leaves the device as it was
    EXPECT_EQ(GetPixel(&dc, 3, 2), COLORREF(0x00FF00));
}

TEST(GDIPicture, LoadsMeasuresDrawsAndKeepsItsBytes)
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 255));
    const std::vector<uint8_t> png = GdipEncode(image, "PNG");
    TGDIPPicture p;
    int changes = 0;
    p.OnChange = [&](TObject*) { ++changes; };
    Stream s(png);
    p.LoadFromStream(s.s);
    EXPECT_FALSE(p.Empty());
    EXPECT_EQ(p.Width(), 8);
    EXPECT_EQ(p.Height(), 6);
    EXPECT_EQ(changes, 1);
    IStream* out = SHCreateMemStream(nullptr, 0);
    p.SaveToStream(out);
    EXPECT_EQ(out->Bytes(), png); // written back unchanged
    out->Release();

    DeviceContext dc(30, 30);
    PatBlt(&dc, 0, 0, 30, 30, WHITENESS);
    TCanvas canvas;
    canvas.SetHandle(&dc);
    p.Draw(&canvas, TRect(5, 5, 25, 25)); // scaled to the rectangle
    EXPECT_EQ(GetPixel(&dc, 24, 24), COLORREF(0xFF0000));
    EXPECT_EQ(GetPixel(&dc, 26, 26), COLORREF(0xFFFFFF));

    // a BMP draws with its bottom-left colour transparent
    QImage bmp(4, 4, QImage::Format_RGB32);
    bmp.fill(qRgb(255, 0, 255));
    bmp.setPixel(1, 1, qRgb(0, 0, 0));
    TGDIPPicture b;
    Stream bs(GdipEncode(bmp, "BMP"));
    b.LoadFromStream(bs.s);
    PatBlt(&dc, 0, 0, 30, 30, WHITENESS);
    b.Draw(&canvas, TRect(0, 0, 4, 4));
    EXPECT_EQ(GetPixel(&dc, 0, 0), COLORREF(0xFFFFFF));
    EXPECT_EQ(GetPixel(&dc, 1, 1), COLORREF(0));
    canvas.SetHandle(nullptr);

    TGDIPPicture copy;
    int copies = 0;
    copy.OnChange = [&](TObject*) { ++copies; };
    TGDIPPicture nothing;
    copy.Assign(&nothing);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(copies, 1);
    copy.Assign(&p);
    EXPECT_EQ(copy.Width(), 8);

    TGDIPPicture read;
    Stream rs(png);
    read.ReadData(rs.s);
    EXPECT_FALSE(read.Empty());
    EXPECT_EQ(read.Width(), 0); // not measured until drawn

    TGDIPPicture missing;
    missing.LoadFromFile("/nonexistent/file.png");
    EXPECT_TRUE(missing.Empty());
}
