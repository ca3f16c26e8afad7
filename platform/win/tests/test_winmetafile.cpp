// The enhanced-metafile engine: pictures recorded with the writer read back with the same
// header and draw the same pixels as the calls drawn directly; damaged bytes are refused or cut.
#include "platform/win/WinEmfRecords.h"
#include "platform/win/WinMetafile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>
#include <functional>

namespace {

constexpr int W = 240, H = 160;

// A scene drawn through the GDI calls that pictures commonly use.
void Scene(HDC dc)
{
    HBRUSH red = CreateSolidBrush(RGB(220, 30, 30));
    HPEN thick = CreatePen(PS_SOLID, 3, RGB(0, 0, 160));
    HGDIOBJ oldBrush = SelectObject(dc, red);
    HGDIOBJ oldPen = SelectObject(dc, thick);
    Rectangle(dc, 10, 10, 110, 70);
    HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(0, 128, 0));
    SelectObject(dc, hatch);
    Ellipse(dc, 120, 10, 230, 90);
    const POINT tri[3] = {{20, 150}, {70, 90}, {120, 150}};
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, red);
    Polygon(dc, tri, 3);
    const POINT ring[8] = {{140, 100}, {230, 100}, {230, 155}, {140, 155}, {160, 115}, {210, 115}, {210, 140}, {160, 140}};
    const int counts[2] = {4, 4};
    PolyPolygon(dc, ring, counts, 2);
    const POINT line[3] = {{5, 80}, {60, 85}, {110, 80}};
    Polyline(dc, line, 3);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    HFONT font = CreateFont(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
    HGDIOBJ oldFont = SelectObject(dc, font);
    TextOut(dc, 15, 20, "Metafile", 8);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(font);
    DeleteObject(red);
    DeleteObject(hatch);
    DeleteObject(thick);
}

HENHMETAFILE Record(const std::function<void(HDC)>& draw, const char* fileName = nullptr,
                    const char* description = nullptr)
{
    DeviceContext reference(W, H);
    const RECT frame{0, 0, GetDeviceCaps(&reference, HORZSIZE) * 100, GetDeviceCaps(&reference, VERTSIZE) * 100};
    HDC dc = CreateEnhMetaFileA(&reference, fileName, &frame, description);
    draw(dc);
    return CloseEnhMetaFile(dc);
}

QImage Play(HENHMETAFILE emf, int w = W, int h = H)
{
    DeviceContext target(w, h);
    const RECT rect{0, 0, w, h};
    PlayEnhMetaFile(&target, emf, &rect);
    return target.Image()->copy();
}

// Share of pixels that differ by more than `tolerance` in any channel.
double Difference(const QImage& a, const QImage& b, int tolerance = 40)
{
    if (a.size() != b.size())
        return 1.0;
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                std::abs(qBlue(p) - qBlue(q)) > tolerance)
                ++differing;
        }
    return double(differing) / (a.width() * a.height());
}

std::vector<std::uint8_t> Bytes(HENHMETAFILE emf)
{
    std::vector<std::uint8_t> b(GetEnhMetaFileBits(emf, 0, nullptr));
    GetEnhMetaFileBits(emf, UINT(b.size()), b.data());
    return b;
}

} // namespace

TEST(EnhMetaFile, WrittenPictureReadsBackAndDrawsLikeTheDirectCalls)
{
    QTemporaryDir dir;
    const QByteArray path = dir.filePath("scene.emf").toLocal8Bit();
    HENHMETAFILE written = Record(Scene, path.constData(), "plotwell\0Scene\0\0");
    ASSERT_NE(written, nullptr);
    HENHMETAFILE read = GetEnhMetaFileA(path.constData());
    ASSERT_NE(read, nullptr);

    ENHMETAHEADER h{};
    ASSERT_EQ(GetEnhMetaFileHeader(read, sizeof h, &h), 108u);
    EXPECT_EQ(h.dSignature, 0x464D4520u);
    EXPECT_EQ(h.nBytes, QFileInfo(QString::fromLocal8Bit(path)).size());
    EXPECT_EQ(h.nRecords, read->records.size());
    EXPECT_EQ(h.szlDevice.cx, W);
    EXPECT_EQ(h.rclFrame.right, h.szlMillimeters.cx * 100);
    EXPECT_GT(h.nHandles, 1);
    EXPECT_LE(h.rclBounds.left, 10);
    EXPECT_GE(h.rclBounds.right, 229);

    char desc[64] = {};
    ASSERT_EQ(GetEnhMetaFileDescriptionA(read, 0, nullptr), 16u);
    GetEnhMetaFileDescriptionA(read, sizeof desc, desc);
    EXPECT_STREQ(desc, "plotwell");
    EXPECT_STREQ(desc + 9, "Scene");

    DeviceContext direct(W, H);
    Scene(&direct);
    const QImage expected = direct.Image()->copy();
    const QImage played = Play(read);
    EXPECT_LT(Difference(expected, played), 0.02);
    played.save(dir.filePath("played.png"));
    DeleteEnhMetaFile(written);
    DeleteEnhMetaFile(read);
}

TEST(EnhMetaFile, PlayScalesTheFrameIntoTheRectangle)
{
    HENHMETAFILE emf = Record([](HDC dc) {
        HBRUSH b = CreateSolidBrush(RGB(0, 0, 255));
        SelectObject(dc, b);
        SelectObject(dc, GetStockObject(NULL_PEN));
        Rectangle(dc, 0, 0, W / 2 + 1, H / 2 + 1);
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        DeleteObject(b);
    });
    const QImage big = Play(emf, W * 2, H * 2);
    EXPECT_EQ(QColor(big.pixel(W - 4, H - 4)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(big.pixel(W + 4, H + 4)), QColor(255, 255, 255));
    DeleteEnhMetaFile(emf);
}

TEST(EnhMetaFile, AnisotropicMappingScalesTheDrawing)
{
    // Window 1000 x 1000 onto a 100 x 100 pixel viewport: a 500-unit square covers 50 pixels.
    HENHMETAFILE emf = Record([](HDC dc) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, 1000, 1000, nullptr);
        SetViewportExtEx(dc, 100, 100, nullptr);
        HBRUSH g = CreateSolidBrush(RGB(0, 160, 0));
        SelectObject(dc, g);
        SelectObject(dc, GetStockObject(NULL_PEN));
        Rectangle(dc, 0, 0, 500, 500); // 50 x 50 pixels
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        DeleteObject(g);
    });
    const QImage img = Play(emf);
    EXPECT_EQ(QColor(img.pixel(25, 25)), QColor(0, 160, 0));
    EXPECT_EQ(QColor(img.pixel(60, 25)), QColor(255, 255, 255));
    DeleteEnhMetaFile(emf);
}

TEST(EnhMetaFile, DamagedBytesAreRefusedOrCutAtTheFirstBrokenRecord)
{
    HENHMETAFILE emf = Record(Scene);
    const std::vector<std::uint8_t> good = Bytes(emf);
    const size_t firstRecord = emf->records[1].offset;
    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        bool opens;
    };
    const Case cases[] = {
        {"empty", [](auto& b) { b.clear(); }, false},
        {"short header", [](auto& b) { b.resize(60); }, false},
        {"wrong signature", [](auto& b) { b[40] = 'X'; }, false},
        {"header size past the end", [](auto& b) { b[4] = 0xFF; b[5] = 0xFF; b[6] = 0xFF; }, false},
        {"record size zero", [&](auto& b) { std::memset(b.data() + firstRecord + 4, 0, 4); }, true},
        {"record size past the end", [&](auto& b) { b[firstRecord + 7] = 0x7F; }, true},
        {"truncated in the middle", [](auto& b) { b.resize(b.size() / 2); }, true},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = good;
        c.damage(bytes);
        HENHMETAFILE m = SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
        EXPECT_EQ(m != nullptr, c.opens) << c.name;
        if (m) {
            EXPECT_EQ(m->records.back().type, emf::EOF_) << c.name;
            Play(m); // draws what is sound, never reads outside
            DeleteEnhMetaFile(m);
        }
    }
    DeleteEnhMetaFile(emf);
}

TEST(EnhMetaFile, RecordsWithBadCountsOffsetsOrObjectIndexesStopThePlay)
{
    HENHMETAFILE emf = Record(Scene);
    const std::vector<std::uint8_t> good = Bytes(emf);
    auto find = [&](std::uint32_t type) {
        for (const TEmfRecordRef& r : emf->records)
            if (r.type == type)
                return r;
        return TEmfRecordRef{};
    };
    struct Case {
        const char* name;
        std::uint32_t type;
        size_t field;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"polygon count beyond the record", emf::POLYGON16, 24, 0x40000000},
        {"select of an unknown object", emf::SELECTOBJECT, 8, 0x7FFF},
        {"text string offset outside", emf::EXTTEXTOUTW, 48, 0xFFFFFF00},
        {"text count too large", emf::EXTTEXTOUTW, 44, 0x10000000},
        {"poly-polygon counts do not add up", emf::POLYPOLYGON16, 28, 3},
    };
    for (const Case& c : cases) {
        const TEmfRecordRef r = find(c.type);
        ASSERT_NE(r.size, 0u) << c.name;
        std::vector<std::uint8_t> bytes = good;
        std::memcpy(bytes.data() + r.offset + c.field, &c.value, 4);
        HENHMETAFILE m = SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
        ASSERT_NE(m, nullptr) << c.name;
        DeviceContext target(W, H);
        const RECT rect{0, 0, W, H};
        EXPECT_FALSE(PlayEnhMetaFile(&target, m, &rect)) << c.name;
        DeleteEnhMetaFile(m);
    }
    DeviceContext target(W, H);
    const RECT rect{0, 0, W, H};
    EXPECT_TRUE(PlayEnhMetaFile(&target, emf, &rect));
    DeleteEnhMetaFile(emf);
}
