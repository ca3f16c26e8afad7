// The enhanced-metafile engine: pictures recorded with the writer read back with the same
// header and draw the same pixels as the calls drawn directly; damaged bytes are refused or cut.
#include "platform/testing/quelm_test_support.h"
#include "platform/win/WinEmfRecords.h"
#include "platform/win/WinMetafile.h"

#include <gtest/gtest.h>

#include <QBuffer>
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

TEST(EnhMetaFile, RecordsWithBadCountsOffsetsOrObjectIndexesMakeThePlayReportAFailure)
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

// DrawText on a recording context: each line becomes a text record at its place in the
// rectangle, clipped to it unless DT_NOCLIP, and an accelerator's underline a filled rectangle
// (DT_PREFIXONLY: only the underlines); the played picture has the text where direct drawing
// puts it, whatever text alignment the context had.
TEST(EnhMetaFile, DrawTextBecomesTextRecordsThatDrawLikeTheDirectCall)
{
    struct Case {
        const char* name;
        const char* text;
        UINT format;
        RECT rect;
        int lines; // text records expected; -1: more than two (the lines wrap)
        bool clipped;
        int fills;  // underline records
        int minInk; // dark pixels at least
    };
    const char* plain = "Wide metafile\r\nsecond line";
    const char* accelerators = "&Wide metafile\r\nsec&ond line";
    const Case cases[] = {
        {"left, two lines", plain, DT_LEFT, {10, 10, 230, 150}, 2, true, 0, 50},
        {"centred single line", plain, DT_CENTER | DT_VCENTER | DT_SINGLELINE, {10, 10, 230, 150}, 1, true, 0, 50},
        {"right, word break", plain, DT_RIGHT | DT_WORDBREAK, {60, 20, 150, 150}, -1, true, 0, 50},
        {"no clip", plain, DT_LEFT | DT_NOCLIP, {10, 10, 40, 30}, 2, false, 0, 50},
        {"accelerators underlined", accelerators, DT_LEFT, {10, 10, 230, 150}, 2, true, 2, 50},
        {"accelerators hidden", accelerators, DT_LEFT | DT_HIDEPREFIX, {10, 10, 230, 150}, 2, true, 0, 50},
        {"underlines only", accelerators, DT_LEFT | DT_PREFIXONLY, {10, 10, 230, 150}, 0, true, 2, 10},
    };
    for (const Case& c : cases) {
        const auto draw = [&](HDC dc) {
            SetTextAlign(dc, TA_BASELINE | TA_RIGHT); // DrawText ignores it
            SetBkMode(dc, TRANSPARENT);
            HFONT font = CreateFont(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
            HGDIOBJ old = SelectObject(dc, font);
            RECT r = c.rect;
            DrawText(dc, c.text, -1, &r, c.format);
            SelectObject(dc, old);
            DeleteObject(font);
        };
        HENHMETAFILE emf = Record(draw);
        ASSERT_NE(emf, nullptr) << c.name;
        const std::vector<std::uint8_t> bytes = Bytes(emf);
        int texts = 0, fills = 0;
        for (const TEmfRecordRef& ref : emf->records) {
            fills += ref.type == emf::FILLRGN;
            if (ref.type != emf::EXTTEXTOUTW)
                continue;
            ++texts;
            std::uint32_t options = 0;
            std::memcpy(&options, bytes.data() + ref.offset + 52, 4);
            EXPECT_EQ((options & ETO_CLIPPED) != 0, c.clipped) << c.name;
        }
        if (c.lines >= 0)
            EXPECT_EQ(texts, c.lines) << c.name;
        else
            EXPECT_GT(texts, 2) << c.name;
        EXPECT_EQ(fills, c.fills) << c.name;
        DeviceContext direct(W, H);
        draw(&direct);
        const QImage expected = direct.Image()->copy();
        const QImage played = Play(emf);
        int ink = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                ink += qGray(expected.pixel(x, y)) < 128;
        EXPECT_GT(ink, c.minInk) << c.name;
        EXPECT_LT(Difference(expected, played), 0.01) << c.name;
        DeleteEnhMetaFile(emf);
    }
}

namespace {

// An enhanced metafile put together record by record: 100 × 100 reference pixels of 1 mm each,
// the frame the same square, palette entries (red, green, blue, flags) in the end record.
class TEmfBuilder {
public:
    void Record(std::uint32_t type, const std::vector<std::uint32_t>& words)
    {
        U32(type);
        U32(std::uint32_t(8 + 4 * words.size()));
        for (std::uint32_t w : words)
            U32(w);
        ++records_;
    }
    std::vector<std::uint8_t> Finish(const std::vector<std::uint32_t>& palette, int handles)
    {
        Record(emf::EOF_, [&] {
            std::vector<std::uint32_t> w{std::uint32_t(palette.size()), 16};
            w.insert(w.end(), palette.begin(), palette.end());
            w.push_back(std::uint32_t(20 + 4 * palette.size()));
            return w;
        }());
        std::vector<std::uint8_t> out;
        const auto put = [&](std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                out.push_back(std::uint8_t(v >> (8 * i)));
        };
        const std::uint32_t total = 108 + std::uint32_t(body_.size());
        for (std::uint32_t v : {1u, 108u, 0u, 0u, 99u, 99u, 0u, 0u, 9999u, 9999u, 0x464D4520u, 0x10000u, total,
                                std::uint32_t(records_ + 1), std::uint32_t(handles), 0u, 0u,
                                std::uint32_t(palette.size()), 100u, 100u, 100u, 100u, 0u, 0u, 0u, 100000u,
                                100000u})
            put(v);
        out.insert(out.end(), body_.begin(), body_.end());
        return out;
    }

private:
    void U32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            body_.push_back(std::uint8_t(v >> (8 * i)));
    }
    std::vector<std::uint8_t> body_;
    int records_ = 0;
};

} // namespace

// Colours given as palette indexes take the colour of the picture's selected palette, also
// after its entries change; an index outside the palette draws black.
TEST(EnhMetaFile, PaletteIndexColoursResolveThroughThePicturesPalette)
{
    TEmfBuilder b;
    b.Record(emf::CREATEPALETTE, {1, 0x300 | (3u << 16), 0x0000FF, 0x00FF00, 0xFF0000}); // red, green, blue
    b.Record(emf::SELECTPALETTE, {1});
    b.Record(emf::CREATEBRUSHINDIRECT, {2, BS_SOLID, PALETTEINDEX(1), 0});
    b.Record(emf::SELECTOBJECT, {2});
    b.Record(emf::SELECTOBJECT, {0x80000000u | NULL_PEN});
    b.Record(emf::RECTANGLE, {0, 0, 50, 50});
    b.Record(emf::SETPALETTEENTRIES, {1, 2, 1, 0x00FFFF}); // entry 2 becomes yellow
    b.Record(emf::CREATEBRUSHINDIRECT, {3, BS_SOLID, PALETTEINDEX(2), 0});
    b.Record(emf::SELECTOBJECT, {3});
    b.Record(emf::RECTANGLE, {50, 0, 100, 50});
    b.Record(emf::CREATEBRUSHINDIRECT, {4, BS_SOLID, PALETTEINDEX(7), 0});
    b.Record(emf::SELECTOBJECT, {4});
    b.Record(emf::RECTANGLE, {0, 50, 50, 100});
    const std::vector<std::uint8_t> bytes = b.Finish({0x0000FF, 0x00FF00, 0xFF0000}, 5);
    std::string error;
    HENHMETAFILE emf = EnhMetaFileFromBytes(bytes.data(), bytes.size(), &error);
    ASSERT_NE(emf, nullptr) << error;
    ASSERT_EQ(emf->records.size(), 15u) << error;
    EXPECT_EQ(GetEnhMetaFilePaletteEntries(emf, 0, nullptr), 3u);
    const QImage played = Play(emf, 100, 100);
    EXPECT_EQ(played.pixelColor(25, 25), QColor(0, 255, 0));
    EXPECT_EQ(played.pixelColor(75, 25), QColor(255, 255, 0));
    EXPECT_EQ(played.pixelColor(25, 75), QColor(0, 0, 0));
    EXPECT_EQ(played.pixelColor(75, 75), QColor(255, 255, 255));
    DeleteEnhMetaFile(emf);
}

namespace {

// Words of an EXTCREATEFONTINDIRECTW record: normal weight, no other attributes.
std::vector<std::uint32_t> FontWords(std::uint32_t slot, std::int32_t height, const char16_t* face)
{
    std::vector<std::uint32_t> w{slot, std::uint32_t(height), 0, 0, 0, 400, 0, 0};
    std::u16string name(face);
    name.resize(32, u'\0');
    for (size_t i = 0; i < 32; i += 2)
        w.push_back(std::uint32_t(name[i]) | std::uint32_t(name[i + 1]) << 16);
    return w;
}

// Words of an EXTTEXTOUTW record at (x, y), with an advance for each character when given.
std::vector<std::uint32_t> TextWords(std::int32_t x, std::int32_t y, const std::u16string& text,
                                     const std::vector<std::int32_t>& dx = {})
{
    const std::uint32_t n = std::uint32_t(text.size()), offString = 76;
    const std::uint32_t offDx = dx.empty() ? 0 : offString + (2 * n + 3) / 4 * 4;
    float one = 1.0f;
    std::uint32_t oneBits;
    std::memcpy(&oneBits, &one, 4);
    std::vector<std::uint32_t> w{0, 0, 0xFFFFFFFF, 0xFFFFFFFF, 1, oneBits, oneBits, std::uint32_t(x), std::uint32_t(y),
                                 n, offString, 0, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF, offDx};
    for (std::uint32_t i = 0; i < n; i += 2)
        w.push_back(std::uint32_t(text[i]) | (i + 1 < n ? std::uint32_t(text[i + 1]) << 16 : 0));
    for (std::int32_t d : dx)
        w.push_back(std::uint32_t(d));
    return w;
}

// Left edges of the runs of columns holding dark pixels.
std::vector<int> InkRuns(const QImage& img)
{
    std::vector<int> starts;
    bool inside = false;
    for (int x = 0; x < img.width(); ++x) {
        bool ink = false;
        for (int y = 0; y < img.height() && !ink; ++y)
            ink = qGray(img.pixel(x, y)) < 128;
        if (ink && !inside)
            starts.push_back(x);
        inside = ink;
    }
    return starts;
}

QByteArray SeedBytes(const char* target, const char* name)
{
    QFile f(QString::fromLocal8Bit(qgetenv("QUELM_TEST_SOURCE_DIR")) + "/platform/win/fuzz/" + target + "_seeds/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// A record of a kind the player does not know, and one it cannot carry out (an object that was
// never created), are passed over: the records after them still draw; the play reports that
// not everything played.
TEST(EnhMetaFile, UnknownAndUnplayableRecordsAreSkipped)
{
    TEmfBuilder b;
    b.Record(emf::CREATEBRUSHINDIRECT, {1, BS_SOLID, RGB(255, 0, 0), 0});
    b.Record(emf::SELECTOBJECT, {1});
    b.Record(emf::SELECTOBJECT, {0x80000000u | NULL_PEN});
    b.Record(emf::RECTANGLE, {0, 0, 50, 50});
    b.Record(0x7777, {1, 2, 3, 4});
    b.Record(emf::SELECTOBJECT, {0x55});
    b.Record(emf::CREATEBRUSHINDIRECT, {2, BS_SOLID, RGB(0, 0, 255), 0});
    b.Record(emf::SELECTOBJECT, {2});
    b.Record(emf::RECTANGLE, {50, 50, 100, 100});
    const std::vector<std::uint8_t> bytes = b.Finish({}, 3);
    HENHMETAFILE emf = EnhMetaFileFromBytes(bytes.data(), bytes.size());
    ASSERT_NE(emf, nullptr);
    DeviceContext target(100, 100);
    const RECT rect{0, 0, 100, 100};
    EXPECT_FALSE(PlayEnhMetaFile(&target, emf, &rect));
    EXPECT_EQ(target.Image()->pixelColor(25, 25), QColor(255, 0, 0));
    EXPECT_EQ(target.Image()->pixelColor(75, 75), QColor(0, 0, 255));
    DeleteEnhMetaFile(emf);
}

// Block transfers without a source bitmap: the operation that keeps the destination leaves the
// picture as it is, a pattern copy fills with the brush, and one that needs a source is skipped.
TEST(EnhMetaFile, BlitsWithoutASourceFollowTheirRasterOperation)
{
    const auto picture = [](std::uint32_t rop) {
        TEmfBuilder b;
        b.Record(emf::CREATEBRUSHINDIRECT, {1, BS_HATCHED, RGB(0, 128, 0), HS_DIAGCROSS});
        b.Record(emf::SELECTOBJECT, {1});
        b.Record(emf::ELLIPSE, {10, 10, 90, 90});
        b.Record(emf::CREATEBRUSHINDIRECT, {2, BS_SOLID, RGB(255, 200, 0), 0});
        b.Record(emf::SELECTOBJECT, {2});
        if (rop != 0) // EMR_BITBLT over the whole picture, no source
            b.Record(emf::BITBLT, {0, 0, 99, 99, 0, 0, 100, 100, rop, 0, 0, 0x3F800000, 0, 0, 0x3F800000, 0, 0, 0,
                                   0, 0, 0, 0, 0});
        b.Record(emf::RECTANGLE, {40, 40, 60, 60});
        const std::vector<std::uint8_t> bytes = b.Finish({}, 3);
        HENHMETAFILE emf = EnhMetaFileFromBytes(bytes.data(), bytes.size());
        const QImage img = Play(emf, 100, 100);
        DeleteEnhMetaFile(emf);
        return img;
    };
    const QImage plain = picture(0);
    EXPECT_EQ(picture(0x00AA0029), plain);
    EXPECT_EQ(picture(SRCCOPY), plain);
    const QImage filled = picture(PATCOPY);
    EXPECT_EQ(filled.pixelColor(5, 5), QColor(255, 200, 0));
    EXPECT_EQ(filled.pixelColor(20, 50), QColor(255, 200, 0));
}

namespace {

// Runs of dark pixels along row y from x = from on: {first column, length}.
std::vector<std::pair<int, int>> DarkRuns(const QImage& img, int y, int from = 0)
{
    std::vector<std::pair<int, int>> runs;
    for (int x = from; x < img.width(); ++x) {
        if (qGray(img.pixel(x, y)) >= 128)
            continue;
        if (!runs.empty() && runs.back().first + runs.back().second == x)
            ++runs.back().second;
        else
            runs.push_back({x, 1});
    }
    return runs;
}

} // namespace

// Pens with a user style draw their dash pattern: a cosmetic pen's lengths are pixels at any
// size, an odd count running again with dashes and gaps swapped; a geometric pen's lengths
// and width scale with the picture. The pattern runs on round the corner of a polyline, and a
// picture recorded with such a pen plays back with the same dashes.
TEST(EnhMetaFile, UserStyledPensDrawTheirDashes)
{
    TEmfBuilder b;
    b.Record(emf::EXTCREATEPEN, {1, 0, 0, 0, 0, PS_USERSTYLE, 1, BS_SOLID, RGB(0, 0, 0), 0, 3, 6, 2, 2});
    b.Record(emf::SELECTOBJECT, {1});
    b.Record(emf::POLYLINE16, {0, 0, 99, 99, 2, 0 | (20u << 16), 60 | (20u << 16)});
    b.Record(emf::EXTCREATEPEN, {2, 0, 0, 0, 0, PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 4, BS_SOLID,
                                 RGB(0, 0, 0), 0, 2, 12, 8});
    b.Record(emf::SELECTOBJECT, {2});
    // along row 60, then down at x = 90: the dash across the corner continues
    b.Record(emf::POLYLINE16, {0, 0, 99, 99, 3, 10 | (60u << 16), 90 | (60u << 16), 90 | (99u << 16)});
    const std::vector<std::uint8_t> bytes = b.Finish({}, 3);
    HENHMETAFILE emf = EnhMetaFileFromBytes(bytes.data(), bytes.size());
    ASSERT_NE(emf, nullptr);
    for (const int size : {100, 200}) {
        const QImage img = Play(emf, size, size);
        img.save(QString::fromStdString(quelmtest::PicturePath("user-styled-pens-" + std::to_string(size) + ".png")));
        const int row = 20 * size / 100;
        const std::vector<std::pair<int, int>> thin = DarkRuns(img, row);
        const std::vector<std::pair<int, int>> expected{{0, 6}, {8, 2}, {16, 2}, {20, 6}, {28, 2}, {36, 2}, {40, 6}};
        ASSERT_GE(thin.size(), expected.size()) << size;
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(thin[i], expected[i]) << size << " px, dash " << i;
        const double scale = size / 100.0;
        const std::vector<std::pair<int, int>> wide = DarkRuns(img, int(60 * scale));
        ASSERT_GE(wide.size(), 3u) << size;
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR(wide[i].first, (10 + 20 * int(i)) * scale, 1) << size << " px, dash " << i;
            EXPECT_NEAR(wide[i].second, 12 * scale, 1) << size << " px, dash " << i;
        }
        // the row holds four whole periods, so the leg down from the corner starts with a dash
        // (60..72) and its gap follows (72..80) instead of the pattern starting afresh
        const int column = int(89 * scale);
        const auto firstAfter = [&](int from, bool dark) {
            for (int y = from; y < size; ++y)
                if ((qGray(img.pixel(column, y)) < 128) == dark)
                    return y;
            return -1;
        };
        const int gap = firstAfter(int(63 * scale), false);
        EXPECT_NEAR(gap, 72 * scale, 1) << size;
        EXPECT_NEAR(firstAfter(gap, true), 80 * scale, 1) << size;
        // the pens are no longer solid: pixels between dashes stay white
        EXPECT_EQ(img.pixelColor(7, row), QColor(255, 255, 255)) << size;
        EXPECT_EQ(img.pixelColor(int(25 * scale), int(60 * scale)), QColor(255, 255, 255)) << size;
    }
    DeleteEnhMetaFile(emf);

    // the same pens drawn into a recorded picture come back with their lengths
    const auto draw = [](HDC dc) {
        const LOGBRUSH black{BS_SOLID, RGB(0, 0, 0), 0};
        const DWORD cosmetic[3] = {6, 2, 2}, geometric[2] = {12, 8};
        HPEN thin = ExtCreatePen(PS_USERSTYLE, 1, &black, 3, cosmetic);
        HPEN wide = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 4, &black, 2, geometric);
        ASSERT_NE(thin, nullptr);
        ASSERT_NE(wide, nullptr);
        HGDIOBJ old = SelectObject(dc, thin);
        const POINT a[2] = {{0, 20}, {60, 20}}, c[3] = {{10, 60}, {90, 60}, {90, 99}};
        Polyline(dc, a, 2);
        SelectObject(dc, wide);
        Polyline(dc, c, 3);
        SelectObject(dc, old);
        DeleteObject(thin);
        DeleteObject(wide);
    };
    DeviceContext direct(W, H);
    draw(&direct);
    HENHMETAFILE recorded = Record(draw);
    ASSERT_NE(recorded, nullptr);
    EXPECT_EQ(Play(recorded), *direct.Image());
    DeleteEnhMetaFile(recorded);
    const LOGBRUSH black{BS_SOLID, 0, 0};
    const DWORD zeros[2] = {0, 0}, many[17] = {};
    EXPECT_EQ(ExtCreatePen(PS_USERSTYLE, 1, &black, 2, zeros), nullptr);
    EXPECT_EQ(ExtCreatePen(PS_USERSTYLE, 1, &black, 17, many), nullptr);
    EXPECT_EQ(ExtCreatePen(PS_USERSTYLE, 1, &black, 0, nullptr), nullptr);
}

// Text with an advance array: each glyph stands where the advances before it put it, in a
// picture played at its size, stretched and squeezed; squeezed, the glyphs narrow with it
// instead of running into each other.
TEST(EnhMetaFile, TextGlyphsStandAtTheRecordsAdvances)
{
    TEmfBuilder b;
    b.Record(emf::EXTCREATEFONTINDIRECTW, FontWords(1, -20, u"DejaVu Sans"));
    b.Record(emf::SELECTOBJECT, {1});
    b.Record(emf::SETBKMODE, {TRANSPARENT});
    b.Record(emf::EXTTEXTOUTW, TextWords(4, 40, u"HHHH", {16, 16, 16, 16}));
    const std::vector<std::uint8_t> bytes = b.Finish({}, 2);
    HENHMETAFILE emf = EnhMetaFileFromBytes(bytes.data(), bytes.size());
    ASSERT_NE(emf, nullptr);
    for (const int width : {100, 200, 50}) {
        const std::vector<int> runs = InkRuns(Play(emf, width, 100));
        ASSERT_EQ(runs.size(), 4u) << "played " << width << " wide";
        const double step = 16.0 * width / 100;
        for (size_t i = 1; i < runs.size(); ++i)
            EXPECT_NEAR(runs[i] - runs[i - 1], step, 1.0) << "played " << width << " wide, glyph " << i;
    }
    DeleteEnhMetaFile(emf);
}

namespace {

// The bytes of a font record's logical font and what follows it (`elw`), `size` bytes long:
// height -28, the weight, family and face given; UTF-16 strings are put in with `Put`.
struct TFontElw {
    std::vector<std::uint8_t> bytes;
    TFontElw(size_t size, std::int32_t weight, std::uint8_t pitchAndFamily, const std::u16string& face)
        : bytes(size, 0)
    {
        Word(0, std::uint32_t(-28));
        Word(16, std::uint32_t(weight));
        bytes[23] = DEFAULT_CHARSET;
        bytes[27] = pitchAndFamily;
        Put(28, face);
    }
    void Word(size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4 && at + size_t(i) < bytes.size(); ++i)
            bytes[at + size_t(i)] = std::uint8_t(v >> (8 * i));
    }
    void Put(size_t at, const std::u16string& s)
    {
        for (size_t i = 0; i < s.size() && at + 2 * i + 1 < bytes.size(); ++i) {
            bytes[at + 2 * i] = std::uint8_t(s[i]);
            bytes[at + 2 * i + 1] = std::uint8_t(s[i] >> 8);
        }
    }
    std::vector<std::uint32_t> Words(std::uint32_t slot) const
    {
        std::vector<std::uint32_t> w{slot};
        for (size_t i = 0; i < bytes.size(); i += 4)
            w.push_back(std::uint32_t(bytes[i]) | std::uint32_t(bytes[i + 1]) << 8 | std::uint32_t(bytes[i + 2]) << 16 |
                        std::uint32_t(bytes[i + 3]) << 24);
        return w;
    }
};

} // namespace

// Font records come in several lengths: a logical font whose face name the record's end cuts
// short, the longer forms with full name, style and classification numbers, or with script and
// design vector (also one whose design vector is damaged, with bytes after it). Each draws its
// text as the plain logical font that says the same: a face name left empty is taken from the
// full name, a weight left open from the style or the classification, and a face that is not
// installed gives way to a font of the family asked for.
TEST(EnhMetaFile, FontRecordsOfEveryFormDrawTheirFont)
{
    const auto draw = [](const TFontElw& font) {
        TEmfBuilder b;
        b.Record(emf::EXTCREATEFONTINDIRECTW, font.Words(1));
        b.Record(emf::SELECTOBJECT, {1});
        b.Record(emf::SETBKMODE, {TRANSPARENT});
        b.Record(emf::EXTTEXTOUTW, TextWords(4, 30, u"Rag"));
        const std::vector<std::uint8_t> bytes = b.Finish({}, 2);
        HENHMETAFILE emf = EnhMetaFileFromBytes(bytes.data(), bytes.size());
        EXPECT_NE(emf, nullptr);
        DeviceContext target(100, 100);
        const RECT rect{0, 0, 100, 100};
        EXPECT_TRUE(PlayEnhMetaFile(&target, emf, &rect));
        DeleteEnhMetaFile(emf);
        return target.Image()->copy();
    };
    const QImage serifBold = draw(TFontElw(92, FW_BOLD, FF_DONTCARE, u"DejaVu Serif"));
    EXPECT_NE(serifBold, draw(TFontElw(92, FW_NORMAL, FF_DONTCARE, u"DejaVu Sans")));
    EXPECT_NE(serifBold, draw(TFontElw(92, FW_NORMAL, FF_DONTCARE, u"DejaVu Serif")));

    struct Case {
        const char* name;
        TFontElw font;
    };
    std::vector<Case> cases;
    cases.push_back({"face cut by the record's end", TFontElw(28 + 24, FW_BOLD, FF_DONTCARE, u"DejaVu Serif")});
    {
        TFontElw f(92, FW_BOLD, FF_ROMAN, u"No Such Face Here");
        cases.push_back({"face not installed, roman family", f});
    }
    {
        TFontElw f(320, FW_DONTCARE, FF_DONTCARE, u"No Such Face Here");
        f.bytes[308] = 2; // text face
        f.bytes[309] = 2; // with serifs
        f.bytes[310] = 8; // bold
        cases.push_back({"classification numbers", f});
    }
    {
        TFontElw f(348 + 8 + 8, FW_DONTCARE, FF_DONTCARE, u"");
        f.Put(92, u"DejaVu Serif Bold");
        f.Put(220, u"Bold");
        f.Put(284, u"Western");
        f.Word(348, 0x08007664);
        f.Word(352, 2);
        f.Word(356, 400);
        f.Word(360, 100);
        cases.push_back({"full name, style, script and design vector", f});
    }
    {
        TFontElw f(348 + 8 + 40, FW_BOLD, FF_DONTCARE, u"DejaVu Serif");
        f.Word(348, 0x12345678);
        f.Word(352, 0xFFFFFFF0u);
        for (size_t at = 356; at < f.bytes.size(); ++at)
            f.bytes[at] = std::uint8_t(0xA5 ^ at);
        cases.push_back({"damaged design vector and bytes after it", f});
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        const QImage drawn = draw(cases[i].font);
        EXPECT_EQ(drawn, serifBold) << cases[i].name;
        drawn.save(QString::fromStdString(quelmtest::PicturePath("font-record-form-" + std::to_string(i) + ".png")));
    }
}

namespace {

std::vector<std::uint32_t> WordsOf(std::vector<std::uint8_t> bytes)
{
    bytes.resize((bytes.size() + 3) / 4 * 4, 0);
    std::vector<std::uint32_t> w(bytes.size() / 4);
    std::memcpy(w.data(), bytes.data(), bytes.size());
    return w;
}

// A DIB's header (8 × 8 pixels, bottom-up) and, for indexes, its colour table: black, blue, green.
std::vector<std::uint8_t> DibHeader(std::uint16_t bpp, std::uint32_t compression, std::uint32_t sizeImage)
{
    TByteWriter h;
    for (std::uint32_t v : {40u, 8u, 8u})
        h.U32(v);
    h.U16(1);
    h.U16(bpp);
    const bool indexed = bpp >= 1 && bpp <= 8;
    for (std::uint32_t v : {compression, sizeImage, 0u, 0u, indexed ? 3u : 0u, 0u})
        h.U32(v);
    if (indexed)
        for (std::uint32_t c : {0x000000u, 0xFF0000u, 0x00FF00u}) // blue, green, red bytes
            h.U32(c == 0xFF0000u ? 0x0000FFu : c == 0x00FF00u ? 0x00FF00u : 0u);
    return h.bytes;
}

// Words of an EMR_STRETCHDIBITS drawing the whole 8 × 8 DIB onto (x, y, 40, 40).
std::vector<std::uint32_t> StretchDibWords(std::int32_t x, std::int32_t y, const std::vector<std::uint8_t>& header,
                                           const std::vector<std::uint8_t>& bits)
{
    const std::uint32_t cbBmi = std::uint32_t(header.size()), cbBits = std::uint32_t(bits.size());
    std::vector<std::uint32_t> w{0, 0, 99, 99, std::uint32_t(x), std::uint32_t(y), 0, 0, 8, 8, 80, cbBmi,
                                 80 + cbBmi, cbBits, DIB_RGB_COLORS, SRCCOPY, 40, 40};
    std::vector<std::uint8_t> tail = header;
    tail.insert(tail.end(), bits.begin(), bits.end());
    for (std::uint32_t v : WordsOf(tail))
        w.push_back(v);
    return w;
}

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 100);
    return bytes;
}

std::vector<std::uint8_t> VectorOf(const QByteArray& b)
{
    return std::vector<std::uint8_t>(b.begin(), b.end());
}

} // namespace

// Bitmaps with compressed rows, on a red ground: run-length coded with 8 and 4 bits (a move and
// an early end leave pixels see-through, so the ground shows there), a JPEG and a PNG whose
// transparent half shows the ground. Damaged ones (a JPEG that does not decode, a literal run
// past the data's end, a PNG of another size than its header's) are skipped and the records
// after them still draw.
TEST(EnhMetaFile, CompressedBitmapsAreDecodedAndDamagedOnesSkipped)
{
    // 8 bits: bottom row blue, blue, blue, blue, (move 2), blue, blue; rows 1-3 blue; row 4
    // green, green, blue, blue as they are; then the end: rows 5-7 are left.
    const std::vector<std::uint8_t> rle8{4, 1, 0, 2, 2, 0, 2, 1, 0, 0, 8, 1, 0, 0, 8, 1, 0, 0, 8, 1, 0, 0,
                                         0, 4, 2, 2, 1, 1, 0, 0, 0, 1};
    // 4 bits: every row green, blue alternating (value 0x21), the top row cut after 3 pixels.
    std::vector<std::uint8_t> rle4;
    for (int row = 0; row < 7; ++row)
        rle4.insert(rle4.end(), {8, 0x21, 0, 0});
    rle4.insert(rle4.end(), {3, 0x21, 0, 1});
    QImage jpegImage(8, 8, QImage::Format_RGB32);
    jpegImage.fill(QColor(0, 0, 200));
    QImage pngImage(8, 8, QImage::Format_ARGB32);
    pngImage.fill(Qt::transparent);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x)
            pngImage.setPixelColor(x, y, QColor(0, 160, 0));
    const std::vector<std::uint8_t> jpeg = VectorOf(Encoded(jpegImage, "JPEG")), png = VectorOf(Encoded(pngImage, "PNG"));
    std::vector<std::uint8_t> badJpeg = jpeg;
    std::fill(badJpeg.begin(), badJpeg.end(), 0x5A);
    const std::vector<std::uint8_t> cutRun{8, 1, 0, 0, 0, 20, 1, 1}; // 20 literal indexes, 2 given
    QImage wide(16, 8, QImage::Format_ARGB32);
    wide.fill(Qt::white);

    TEmfBuilder b;
    b.Record(emf::CREATEBRUSHINDIRECT, {1, BS_SOLID, RGB(255, 0, 0), 0});
    b.Record(emf::SELECTOBJECT, {1});
    b.Record(emf::SELECTOBJECT, {0x80000000u | NULL_PEN});
    b.Record(emf::RECTANGLE, {0, 0, 101, 101});
    b.Record(emf::STRETCHDIBITS, StretchDibWords(0, 0, DibHeader(8, BI_RLE8, std::uint32_t(rle8.size())), rle8));
    b.Record(emf::STRETCHDIBITS, StretchDibWords(50, 0, DibHeader(4, BI_RLE4, std::uint32_t(rle4.size())), rle4));
    b.Record(emf::STRETCHDIBITS, StretchDibWords(0, 50, DibHeader(0, BI_JPEG, std::uint32_t(jpeg.size())), jpeg));
    b.Record(emf::STRETCHDIBITS, StretchDibWords(50, 50, DibHeader(0, BI_PNG, std::uint32_t(png.size())), png));
    // damaged ones over the first picture
    b.Record(emf::STRETCHDIBITS, StretchDibWords(0, 0, DibHeader(0, BI_JPEG, std::uint32_t(badJpeg.size())), badJpeg));
    b.Record(emf::STRETCHDIBITS, StretchDibWords(0, 0, DibHeader(8, BI_RLE8, std::uint32_t(cutRun.size())), cutRun));
    const std::vector<std::uint8_t> widePng = VectorOf(Encoded(wide, "PNG"));
    b.Record(emf::STRETCHDIBITS, StretchDibWords(0, 0, DibHeader(0, BI_PNG, std::uint32_t(widePng.size())), widePng));
    b.Record(emf::CREATEBRUSHINDIRECT, {2, BS_SOLID, RGB(255, 255, 0), 0});
    b.Record(emf::SELECTOBJECT, {2});
    b.Record(emf::RECTANGLE, {90, 90, 101, 101});
    const std::vector<std::uint8_t> bytes = b.Finish({}, 3);
    HENHMETAFILE emf = EnhMetaFileFromBytes(bytes.data(), bytes.size());
    ASSERT_NE(emf, nullptr);
    DeviceContext target(100, 100);
    const RECT rect{0, 0, 100, 100};
    EXPECT_FALSE(PlayEnhMetaFile(&target, emf, &rect)); // the damaged three did not play
    const QImage img = target.Image()->copy();
    img.save(QString::fromStdString(quelmtest::PicturePath("compressed-bitmaps.png")));
    const QColor red(255, 0, 0), blue(0, 0, 255), green(0, 255, 0);
    struct Probe {
        int x, y;
        QColor colour;
        const char* what;
    };
    const Probe probes[] = {
        {2, 37, blue, "8 bits, bottom row"},           {22, 37, red, "8 bits, moved over"},
        {32, 37, blue, "8 bits, after the move"},      {2, 17, green, "8 bits, literal run"},
        {12, 17, blue, "8 bits, literal run"},         {27, 17, red, "8 bits, past the literal run"},
        {20, 7, red, "8 bits, rows after the end"},    {52, 20, green, "4 bits, first of a pair"},
        {57, 20, blue, "4 bits, second of a pair"},    {62, 2, green, "4 bits, top row"},
        {82, 2, red, "4 bits, top row past its end"},  {55, 70, QColor(0, 160, 0), "PNG, opaque half"},
        {80, 70, red, "PNG, transparent half"},
        {95, 95, QColor(255, 255, 0), "drawn after the damaged ones"},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(img.pixelColor(p.x, p.y), p.colour) << p.what << " at " << p.x << "," << p.y;
    const QColor fromJpeg = img.pixelColor(20, 70);
    EXPECT_LE(std::abs(fromJpeg.blue() - 200) + fromJpeg.red() + fromJpeg.green(), 12) << "JPEG";
    DeleteEnhMetaFile(emf);
}

// The 16-bit player decodes a JPEG in a stretched DIB record as well (its header has no colour
// table).
TEST(MetaFile, JpegInAStretchedBitmapDraws)
{
    QImage jpegImage(8, 8, QImage::Format_RGB32);
    jpegImage.fill(QColor(0, 0, 200));
    const std::vector<std::uint8_t> jpeg = VectorOf(Encoded(jpegImage, "JPEG"));
    std::vector<std::uint8_t> dib = DibHeader(0, BI_JPEG, std::uint32_t(jpeg.size()));
    dib.insert(dib.end(), jpeg.begin(), jpeg.end());
    dib.resize((dib.size() + 1) / 2 * 2, 0);
    TByteWriter w;
    const std::uint32_t recordWords = 3 + 11 + std::uint32_t(dib.size() / 2);
    for (std::uint16_t v : {1, 9, 0x300})
        w.U16(v);
    w.U32(9 + recordWords + 3);
    w.U16(0);
    w.U32(recordWords);
    w.U16(0);
    w.U32(recordWords);
    w.U16(wmf::STRETCHDIB);
    w.U32(SRCCOPY);
    for (int v : {int(DIB_RGB_COLORS), 8, 8, 0, 0, 40, 40, 10, 10}) // usage, source h w y x, dest h w y x
        w.U16(std::uint16_t(v));
    w.bytes.insert(w.bytes.end(), dib.begin(), dib.end());
    w.U32(3);
    w.U16(wmf::EOF_);
    std::string error;
    HMETAFILE mf = MetaFileFromBytes(w.bytes.data(), w.bytes.size(), &error);
    ASSERT_NE(mf, nullptr) << error;
    DeviceContext dc(60, 60);
    EXPECT_TRUE(PlayMetaFile(&dc, mf));
    const QColor c = dc.Image()->pixelColor(30, 30);
    EXPECT_LE(std::abs(c.blue() - 200) + c.red() + c.green(), 12);
    EXPECT_EQ(dc.Image()->pixelColor(5, 5), QColor(255, 255, 255));
    DeleteMetaFile(mf);
}

// A picture starts with the white stock brush: a black brush selected before the first shape
// is recorded, so the shape plays black (a 16-bit picture converted draws its first black text).
TEST(EnhMetaFile, FirstBlackBrushIsRecorded)
{
    HENHMETAFILE emf = Record([](HDC dc) {
        HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
        HGDIOBJ old = SelectObject(dc, black);
        SelectObject(dc, GetStockObject(NULL_PEN));
        Rectangle(dc, 10, 10, 60, 60);
        SelectObject(dc, old);
        DeleteObject(black);
    });
    const QImage img = Play(emf);
    EXPECT_EQ(img.pixelColor(30, 30), QColor(0, 0, 0));
    DeleteEnhMetaFile(emf);
}

// Inputs the fuzzers found, kept as their seeds: a font far taller than the picture is drawn at
// most a few times the device's height; advances that overflow 32-bit positions draw the
// glyphs that fall on the picture; the pen and brush a 16-bit picture leaves selected in a
// saved state are freed with the states it did not restore (the sanitizer build checks).
TEST(MetafileSeeds, FuzzFindingsStayFixed)
{
    {
        const QByteArray b = SeedBytes("fuzz_emf_player", "font-taller-than-picture.emf");
        HENHMETAFILE emf = EnhMetaFileFromBytes(reinterpret_cast<const std::uint8_t*>(b.constData()), size_t(b.size()));
        ASSERT_NE(emf, nullptr);
        DeviceContext dc(64, 48);
        TGdiRecorder log;
        dc.Recorder = &log;
        const RECT r{0, 0, 64, 48};
        EXPECT_TRUE(PlayEnhMetaFile(&dc, emf, &r));
        ASSERT_GE(log.Count("TextOut"), 1);
        for (const TGdiRecord& t : log.Of("TextOut"))
            EXPECT_LE(std::abs(t.FontHeight), 4 * 48);
        DeleteEnhMetaFile(emf);
    }
    {
        const QByteArray b = SeedBytes("fuzz_emf_player", "text-huge-advances.emf");
        HENHMETAFILE emf = EnhMetaFileFromBytes(reinterpret_cast<const std::uint8_t*>(b.constData()), size_t(b.size()));
        ASSERT_NE(emf, nullptr);
        for (const int size : {64, 100}) {
            const QImage img = Play(emf, size, size);
            EXPECT_FALSE(InkRuns(img).empty()) << size;
            EXPECT_EQ(qGray(img.pixel(size - 1, size * 60 / 100 - 5)), 255) << size;
        }
        DeviceContext dc(100, 40);
        const int dx[3] = {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF};
        EXPECT_TRUE(ExtTextOutW(&dc, 50, 10, 0, nullptr, u"WWW", 3, dx));
        DeleteEnhMetaFile(emf);
    }
    {
        const QByteArray b = SeedBytes("fuzz_wmf_reader", "pen-brush-in-saved-state.wmf");
        HMETAFILE mf = MetaFileFromBytes(reinterpret_cast<const std::uint8_t*>(b.constData()), size_t(b.size()));
        ASSERT_NE(mf, nullptr);
        DeviceContext dc(200, 100);
        SaveDC(&dc);
        EXPECT_TRUE(PlayMetaFile(&dc, mf));
        EXPECT_EQ(dc.SavedDepth(), 1);
        EXPECT_EQ(dc.Image()->pixelColor(50, 50), QColor(255, 0, 0));
        EXPECT_EQ(dc.Image()->pixelColor(21, 50), QColor(0, 192, 0));
        RestoreDC(&dc, -1);
        DeleteMetaFile(mf);
    }
}

// A palette selected into a context resolves PALETTEINDEX colours when drawing; realizing it on
// the true-colour devices changes no entry; a selected palette cannot be deleted.
TEST(Palette, SelectedPaletteResolvesIndexColoursAndRealizesWithoutChanges)
{
    LOGPALETTE* lp = static_cast<LOGPALETTE*>(std::malloc(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY)));
    lp->palVersion = 0x300;
    lp->palNumEntries = 3;
    lp->palPalEntry[0] = {10, 20, 30, 0};
    lp->palPalEntry[1] = {200, 100, 0, 0};
    lp->palPalEntry[2] = {0, 0, 250, 0};
    HPALETTE palette = CreatePalette(lp);
    std::free(lp);
    ASSERT_NE(palette, nullptr);
    DeviceContext dc(40, 20);
    EXPECT_EQ(SelectPalette(&dc, palette, FALSE), nullptr);
    EXPECT_EQ(RealizePalette(&dc), 0u);
    EXPECT_EQ(RealizePalette(nullptr), 0xFFFFFFFFu);
    EXPECT_FALSE(DeleteObject(palette));
    HBRUSH index1 = CreateSolidBrush(PALETTEINDEX(1));
    HBRUSH outside = CreateSolidBrush(PALETTEINDEX(9));
    const RECT left{0, 0, 20, 20}, right{20, 0, 40, 20};
    FillRect(&dc, &left, index1);
    FillRect(&dc, &right, outside);
    EXPECT_EQ(dc.Image()->pixelColor(10, 10), QColor(200, 100, 0));
    EXPECT_EQ(dc.Image()->pixelColor(30, 10), QColor(0, 0, 0));
    EXPECT_EQ(SelectPalette(&dc, nullptr, FALSE), palette);
    EXPECT_TRUE(DeleteObject(palette));
    DeleteObject(index1);
    DeleteObject(outside);
}

// The fuzz targets' seed files are whole pictures: each reads without a cut and plays every
// record, so the fuzzers start from files that reach deep into the player.
TEST(MetafileSeeds, EverySeedReadsWholeAndPlays)
{
    const QString root = QString::fromLocal8Bit(qgetenv("QUELM_TEST_SOURCE_DIR")) + "/platform/win/fuzz";
    int seen = 0;
    for (const QString& folder : QDir(root).entryList({"*mf_*_seeds", "*metafile*_seeds"}, QDir::Dirs)) {
        for (const QFileInfo& file : QDir(root + "/" + folder).entryInfoList(QDir::Files)) {
            QFile f(file.filePath());
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QByteArray b = f.readAll();
            const auto* data = reinterpret_cast<const std::uint8_t*>(b.constData());
            std::string error;
            ++seen;
            if (file.suffix() == "emf") {
                HENHMETAFILE emf = EnhMetaFileFromBytes(data, size_t(b.size()), &error);
                ASSERT_NE(emf, nullptr) << file.filePath().toStdString() << ": " << error;
                EXPECT_TRUE(error.empty()) << file.filePath().toStdString() << ": " << error;
                DeviceContext dc(64, 48);
                const RECT r{0, 0, 64, 48};
                EXPECT_TRUE(PlayEnhMetaFile(&dc, emf, &r)) << file.filePath().toStdString();
                DeleteEnhMetaFile(emf);
            } else {
                HMETAFILE mf = MetaFileFromBytes(data, size_t(b.size()), &error);
                ASSERT_NE(mf, nullptr) << file.filePath().toStdString() << ": " << error;
                EXPECT_TRUE(error.empty()) << file.filePath().toStdString() << ": " << error;
                DeviceContext dc(300, 200);
                EXPECT_TRUE(PlayMetaFile(&dc, mf)) << file.filePath().toStdString();
                dc.Image()->save(QString::fromStdString(quelmtest::PicturePath("seed-" + file.fileName().toStdString() + ".png")));
                DeleteMetaFile(mf);
            }
        }
    }
    EXPECT_GE(seen, 10);
}
