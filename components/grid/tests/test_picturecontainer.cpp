#include "components/grid/PictureContainer.h"
#include "platform/win/WinOle.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Encode(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// A GIF with a 6 x 4 logical screen, black and white palette, and `frames` one-pixel frames;
// frame k (from 1) stands at (k, k - 1). With control = false the frames have no graphic
// control extension.
std::vector<uint8_t> Gif(int frames, bool control = true)
{
    std::vector<uint8_t> g = {'G', 'I', 'F', '8', '9', 'a', 6, 0, 4, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0};
    for (int k = 1; k <= frames; ++k) {
        if (control)
            g.insert(g.end(), {0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00});
        g.insert(g.end(), {0x2C, uint8_t(k), 0, uint8_t(k - 1), 0, 1, 0, 1, 0, 0x00});
        g.insert(g.end(), {0x02, 0x02, 0x44, 0x01, 0x00});
    }
    g.push_back(0x3B);
    return g;
}

} // namespace

TEST(PictureContainer, DecodesTheCommonFormats)
{
    QImage image(8, 5, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 255));
    for (const char* format : {"PNG", "BMP", "JPEG"}) {
        THTMLPicture p;
        p.LoadFromBytes(Encode(image, format));
        EXPECT_FALSE(p.Empty()) << format;
        EXPECT_EQ(p.Width(), 8) << format;
        EXPECT_EQ(p.Height(), 5) << format;
        EXPECT_EQ(p.FrameCount(), -1) << format;
        EXPECT_EQ(p.MaxWidth(), 8) << format;
    }
    // bytes that are no picture raise from the loaders, and a file that is not there leaves
    // the picture empty without raising
    THTMLPicture bad;
    EXPECT_THROW(bad.LoadFromBytes({'n', 'o', 'p', 'e', 1, 2, 3}), Exception);
    bad.LoadFromFile("/nonexistent/picture.png");
    EXPECT_TRUE(bad.Empty());
    EXPECT_EQ(bad.Width(), 0);
}

TEST(PictureContainer, GifFrames)
{
    THTMLPicture p;
    p.LoadFromBytes(Gif(3));
    EXPECT_EQ(p.FrameCount(), 3);
    EXPECT_EQ(p.MaxWidth(), 6);
    EXPECT_EQ(p.MaxHeight(), 4);
    int changes = 0;
    p.OnFrameChange = [&](TObject*) { ++changes; };
    p.SetFrame(2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(p.FrameLeft(), 2);
    EXPECT_EQ(p.FrameTop(), 1);
    EXPECT_EQ(p.Width(), 1);
    EXPECT_EQ(p.Height(), 1);

    THTMLPicture plain;
    plain.LoadFromBytes(Gif(2, false));
    EXPECT_EQ(plain.FrameCount(), 0); // no control extensions: decoded whole
    EXPECT_FALSE(plain.Empty());

    // a GIF cut short right after a frame's control extension reads no frame position beyond its end
    std::vector<uint8_t> cut = Gif(1);
    cut.resize(19 + 8 + 1);
    THTMLPicture truncated;
    EXPECT_THROW(truncated.LoadFromBytes(cut), Exception);
}

TEST(PictureContainer, AssignCacheAndContainer)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    THTMLPicture a;
    a.Stretch = true;
    a.LoadFromBytes(Encode(image, "PNG"));
    THTMLPicture b;
    b.Assign(&a);
    EXPECT_TRUE(b.Stretch);
    EXPECT_EQ(b.Width(), 4);
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
    EXPECT_TRUE(b.Data().empty());

    THTMLPictureCache cache;
    THTMLPicture* net = cache.AddPicture();
    net->Asynch = false;
    net->LoadFromURL("http://example.invalid/a.png");
    EXPECT_EQ(cache.FindPicture("http://example.invalid/a.png"), net);
    EXPECT_EQ(cache.FindPicture("HTTP://example.invalid/a.png"), nullptr); // the key is exact
    EXPECT_TRUE(net->Empty());
    THTMLPicture* res = cache.AddPicture();
    res->LoadFromURL("RES://nothing");
    EXPECT_TRUE(res->Empty());
    res->LoadFromURL("RES://Logo"); // the program's resource LOGO
    EXPECT_EQ(res->Width(), 6);
    res->LoadFromURL("RES://nothing"); // a missing resource leaves the picture as it was
    EXPECT_EQ(res->Width(), 6);
    EXPECT_EQ(res->SourceKey(), "RES://nothing");

    TPictureContainer container(nullptr);
    TPictureItem* item = container.Items()->Add();
    item->Name = "Logo";
    item->SetPicture(&a);
    EXPECT_EQ(container.PictureByName("LOGO"), item->Picture());
    EXPECT_EQ(container.PictureByName("other"), nullptr);
    container.SetVersion("9");
    EXPECT_EQ(container.Version(), "1.0.0.0");
    TPictureItem copy;
    copy.Assign(item);
    EXPECT_EQ(copy.Name, "Logo");
    EXPECT_EQ(copy.Picture()->Width(), 4);
}

TEST(PictureContainer, DrawsStretchedAndNatural)
{
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    image.setPixel(0, 0, qRgb(0, 255, 0)); // top left green: shows the picture is upright
    THTMLPicture p;
    p.LoadFromBytes(Encode(image, "PNG"));
    DeviceContext dc(40, 40);
    TCanvas canvas;
    canvas.SetHandle(&dc);
    p.Draw(&canvas, TRect(10, 10, 30, 30)); // natural size at the top left
    EXPECT_EQ(GetPixel(&dc, 10, 10), COLORREF(0x00FF00));
    EXPECT_EQ(GetPixel(&dc, 13, 11), COLORREF(0x0000FF));
    EXPECT_EQ(GetPixel(&dc, 14, 10), COLORREF(0xFFFFFF));
    p.Stretch = true;
    p.Draw(&canvas, TRect(0, 20, 40, 40));
    EXPECT_EQ(GetPixel(&dc, 2, 22), COLORREF(0x00FF00));
    EXPECT_EQ(GetPixel(&dc, 38, 38), COLORREF(0x0000FF));
    canvas.SetHandle(nullptr);
}
