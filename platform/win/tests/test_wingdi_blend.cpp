// Alpha blending, gradients, icons, chords, rounded regions and BeginPaint, checked by pixels.
#include "platform/win/WinGdi.h"

#include <QWidget>
#include <cstring>
#include <gtest/gtest.h>

namespace {

struct BlendDevice {
    explicit BlendDevice(int w = 40, int h = 40) : dc(w, h) { dc.Recorder = &log; }
    COLORREF At(int x, int y) { return GetPixel(&dc, x, y); }
    DeviceContext dc;
    TGdiRecorder log;
};

// A 32-bit top-down DIB section in a memory context, filled with one BGRA pixel value.
struct DibSource {
    DibSource(int w, int h, BYTE b, BYTE g, BYTE r, BYTE a)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        auto* p = static_cast<BYTE*>(bits);
        for (int i = 0; i < w * h; ++i) {
            p[i * 4 + 0] = b;
            p[i * 4 + 1] = g;
            p[i * 4 + 2] = r;
            p[i * 4 + 3] = a;
        }
        bitmap->BitsChanged();
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
    }
    ~DibSource()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ old;
};

int Red(COLORREF c) { return GetRValue(c); }
int Green(COLORREF c) { return GetGValue(c); }
int Blue(COLORREF c) { return GetBValue(c); }

TEST(AlphaBlend, ConstantAndPerPixelAlpha)
{
    // Premultiplied half-transparent red (128,0,0,128) over white gives (255,127,127).
    DibSource half(4, 4, 0, 0, 128, 128);
    struct Case { BYTE constant; BYTE format; COLORREF expected; };
    const Case cases[] = {
        {255, AC_SRC_ALPHA, RGB(255, 127, 127)},
        {255, 0, RGB(128, 0, 0)},                // alpha bytes ignored: opaque copy
        {128, 0, RGB(191, 127, 127)},            // constant alpha only: half of the colour, half of white
        {0, AC_SRC_ALPHA, RGB(255, 255, 255)},   // nothing
    };
    for (const Case& c : cases) {
        BlendDevice d;
        BLENDFUNCTION blend{AC_SRC_OVER, 0, c.constant, c.format};
        ASSERT_TRUE(AlphaBlend(&d.dc, 2, 2, 4, 4, half.dc, 0, 0, 4, 4, blend));
        const COLORREF got = d.At(3, 3);
        EXPECT_NEAR(Red(got), Red(c.expected), 1) << int(c.constant) << "/" << int(c.format);
        EXPECT_NEAR(Green(got), Green(c.expected), 1) << int(c.constant) << "/" << int(c.format);
        EXPECT_NEAR(Blue(got), Blue(c.expected), 1) << int(c.constant) << "/" << int(c.format);
        EXPECT_EQ(d.At(6, 6), RGB(255, 255, 255)); // outside the target
        EXPECT_EQ(d.At(1, 1), RGB(255, 255, 255));
    }

    // Stretched to twice the size; a source area outside the source fails.
    BlendDevice d;
    BLENDFUNCTION opaque{AC_SRC_OVER, 0, 255, 0};
    EXPECT_TRUE(AlphaBlend(&d.dc, 0, 0, 8, 8, half.dc, 0, 0, 4, 4, opaque));
    EXPECT_EQ(d.At(7, 7), RGB(128, 0, 0));
    EXPECT_FALSE(AlphaBlend(&d.dc, 0, 0, 8, 8, half.dc, 2, 2, 4, 4, opaque));
    EXPECT_EQ(d.log.Count("AlphaBlend"), 2);
}

TEST(GradientFill, RectanglesAndTriangles)
{
    BlendDevice d(20, 20);
    TRIVERTEX v[2];
    v[0] = TRIVERTEX{0, 0, 0xFF00, 0, 0, 0};
    v[1] = TRIVERTEX{11, 4, 0, 0, 0xFF00, 0};
    GRADIENT_RECT r{0, 1};
    ASSERT_TRUE(GradientFill(&d.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(d.At(0, 2), RGB(255, 0, 0));  // first column: the first colour
    EXPECT_EQ(d.At(10, 2), RGB(0, 0, 255)); // last column: the second
    EXPECT_NEAR(Red(d.At(5, 2)), 128, 2);
    EXPECT_EQ(d.At(11, 2), RGB(255, 255, 255)); // half-open
    EXPECT_EQ(d.At(5, 4), RGB(255, 255, 255));

    v[0].y = 10;
    v[1].y = 20;
    ASSERT_TRUE(GradientFill(&d.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_V));
    EXPECT_EQ(d.At(3, 10), RGB(255, 0, 0));
    EXPECT_EQ(d.At(3, 19), RGB(0, 0, 255));

    BlendDevice t(20, 20);
    TRIVERTEX tv[3] = {{0, 0, 0xFF00, 0, 0, 0}, {19, 0, 0, 0xFF00, 0, 0}, {0, 19, 0, 0, 0xFF00, 0}};
    GRADIENT_TRIANGLE tri{0, 1, 2};
    ASSERT_TRUE(GradientFill(&t.dc, tv, 3, &tri, 1, GRADIENT_FILL_TRIANGLE));
    EXPECT_GT(Red(t.At(1, 1)), 200);
    EXPECT_GT(Green(t.At(17, 1)), 180);
    EXPECT_EQ(t.At(18, 18), RGB(255, 255, 255)); // the other half stays

    GRADIENT_RECT bad{0, 5};
    EXPECT_FALSE(GradientFill(&t.dc, v, 2, &bad, 1, GRADIENT_FILL_RECT_H));
}

TEST(Icons, DrawnByAlphaMaskOrColours)
{
    QImage picture(4, 4, QImage::Format_ARGB32);
    picture.fill(qRgba(0, 0, 255, 255));
    picture.setPixel(0, 0, qRgba(0, 0, 0, 0)); // transparent corner
    HICON icon = CreateIconFromImage(picture);
    ASSERT_NE(icon, nullptr);

    BlendDevice d(20, 20);
    ASSERT_TRUE(DrawIconEx(&d.dc, 2, 2, icon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(d.At(2, 2), RGB(255, 255, 255));
    EXPECT_EQ(d.At(3, 3), RGB(0, 0, 255));
    EXPECT_EQ(d.At(6, 6), RGB(255, 255, 255)); // natural size 4 x 4

    BlendDevice e(20, 20);
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    DrawIconEx(&e.dc, 0, 0, icon, 8, 8, 0, green, DI_NORMAL); // brush behind, stretched
    EXPECT_EQ(e.At(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(e.At(7, 7), RGB(0, 0, 255));
    DrawIconEx(&e.dc, 10, 10, icon, 4, 4, 0, nullptr, DI_IMAGE); // colours only, opaque
    EXPECT_EQ(e.At(10, 10), RGB(0, 0, 0));
    DrawIconEx(&e.dc, 10, 0, icon, 4, 4, 0, nullptr, DI_MASK);
    EXPECT_EQ(e.At(10, 0), RGB(255, 255, 255));
    EXPECT_EQ(e.At(11, 1), RGB(0, 0, 0));
    EXPECT_EQ(e.log.Of("DrawIconEx").front().Rect.right, 8);
    DeleteObject(green);

    // From mask and colour bitmaps, and back.
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_EQ(info.hbmMask->image.pixelIndex(0, 0), 1);
    EXPECT_EQ(info.hbmMask->image.pixelIndex(1, 1), 0);
    HICON rebuilt = CreateIconIndirect(&info);
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(qAlpha(rebuilt->image.pixel(0, 0)), 0);
    EXPECT_EQ(rebuilt->image.pixel(2, 2), qRgba(0, 0, 255, 255));
    // the caller owns the two bitmaps GetIconInfo made
    HBITMAP mask = info.hbmMask;
    info.hbmMask = nullptr;
    EXPECT_EQ(CreateIconIndirect(&info), nullptr);
    DeleteObject(mask);
    DeleteObject(info.hbmColor);
    DestroyIcon(rebuilt);
    DestroyIcon(icon);
}

TEST(Shapes, ChordAndRoundRectRegion)
{
    BlendDevice d(40, 40);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(&d.dc, red);
    // The upper half of the circle: from the right end to the left end counter-clockwise.
    ASSERT_TRUE(Chord(&d.dc, 0, 0, 40, 40, 40, 20, 0, 20));
    SelectObject(&d.dc, old);
    DeleteObject(red);
    EXPECT_EQ(d.At(20, 10), RGB(255, 0, 0));
    EXPECT_EQ(d.At(20, 30), RGB(255, 255, 255));
    EXPECT_EQ(d.At(20, 0), RGB(0, 0, 0)); // outline at the top
    EXPECT_EQ(d.log.Count("Chord"), 1);

    HRGN round = CreateRoundRectRgn(0, 0, 20, 10, 6, 6);
    struct Probe { int x, y; BOOL inside; };
    const Probe probes[] = {{0, 0, FALSE}, {19, 9, FALSE}, {19, 0, FALSE}, {10, 0, TRUE}, {0, 5, TRUE},
                            {19, 5, TRUE}, {20, 5, FALSE}, {10, 10, FALSE}, {3, 1, TRUE}};
    for (const Probe& p : probes)
        EXPECT_EQ(PtInRegion(round, p.x, p.y), p.inside) << p.x << "," << p.y;
    RECT box;
    GetRgnBox(round, &box);
    EXPECT_EQ(box.right, 20);
    EXPECT_EQ(box.bottom, 10);
    DeleteObject(round);
}

// A window that keeps an update region, as framework hosts do.
class RegionWindow : public QWidget, public IWindowSurface, public IUpdateRegionSource {
public:
    RegionWindow() { resize(30, 30); image.fill(Qt::white); }
    QImage image{30, 30, QImage::Format_RGB32};
    QRegion invalid;
    QImage* SurfaceImage() override { return &image; }
    void SurfaceChanged(const QRect&) override {}
    void InvalidateArea(const QRect* area, bool) override { invalid += area ? *area : rect(); }
    bool TakeUpdateRegion(QRegion* region, bool* erase) override
    {
        *region = invalid;
        *erase = false;
        invalid = QRegion();
        return true;
    }
};

TEST(BeginPaint, PaintsTheUpdateRegionAndValidatesIt)
{
    RegionWindow window;
    RECT r{5, 5, 10, 10};
    InvalidateRect(&window, &r, FALSE);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(&window, &ps);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(ps.rcPaint.left, 5);
    EXPECT_EQ(ps.rcPaint.bottom, 10);
    EXPECT_FALSE(ps.fErase);
    RECT all{0, 0, 30, 30};
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    FillRect(dc, &all, black);
    SelectClipRgn(dc, nullptr); // the update region stays in force
    FillRect(dc, &all, black);
    EXPECT_TRUE(EndPaint(&window, &ps));
    DeleteObject(black);
    EXPECT_EQ(window.image.pixel(6, 6), qRgb(0, 0, 0));
    EXPECT_EQ(window.image.pixel(4, 4), qRgb(255, 255, 255));
    EXPECT_EQ(window.image.pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_TRUE(window.invalid.isEmpty());

    // A window that keeps no region is painted whole.
    QWidget plain;
    plain.resize(12, 8);
    dc = BeginPaint(&plain, &ps);
    EXPECT_EQ(ps.rcPaint.right, 12);
    EXPECT_EQ(ps.rcPaint.bottom, 8);
    EXPECT_TRUE(ps.fErase);
    EndPaint(&plain, &ps);
    EXPECT_FALSE(EndPaint(&plain, nullptr));
}

TEST(SystemParameters, WheelLinesAndWorkArea)
{
    UINT lines = 0;
    EXPECT_TRUE(SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
    EXPECT_EQ(lines, 3u);
    RECT area{};
    EXPECT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_GT(area.right, area.left);
    EXPECT_LE(area.right - area.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_FALSE(SystemParametersInfo(0x7777, 0, &area, 0));
    EXPECT_FALSE(SystemParametersInfo(SPI_GETWORKAREA, 0, nullptr, 0));
}

} // namespace

// A band copied out of a taller bitmap takes the rows the source rectangle names, for rows
// stored bottom-up and top-down and rows padded to whole words.
TEST(StretchDIBits, BandOfATallBitmap)
{
    constexpr int width = 3, rows = 6, stride = 12; // 24 bits: 9 bytes a row, padded to 12
    const COLORREF colours[rows] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200),
                                    RGB(200, 200, 0), RGB(0, 200, 200), RGB(200, 0, 200)};
    std::uint8_t bits[rows * stride] = {};
    for (int m = 0; m < rows; ++m) // memory row m holds colours[m]
        for (int x = 0; x < width; ++x) {
            bits[m * stride + x * 3] = GetBValue(colours[m]);
            bits[m * stride + x * 3 + 1] = GetGValue(colours[m]);
            bits[m * stride + x * 3 + 2] = GetRValue(colours[m]);
        }
    for (const bool bottomUp : {true, false}) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = bottomUp ? rows : -rows;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        for (const int sy : {0, 1, 4}) {
            DeviceContext dest(width, 2);
            EXPECT_EQ(StretchDIBits(&dest, 0, 0, width, 2, 0, sy, width, 2, bits, &info, DIB_RGB_COLORS, SRCCOPY), 2);
            for (int r = 0; r < 2; ++r) { // source row sy + r counts from the top of the picture
                const int m = bottomUp ? rows - 1 - (sy + r) : sy + r;
                EXPECT_EQ(GetPixel(&dest, 1, r), colours[m]) << bottomUp << " from row " << sy << " + " << r;
            }
        }
    }
}
