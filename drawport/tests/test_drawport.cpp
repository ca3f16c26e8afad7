// drawport end to end on files: opening each kind (or its message), the zoom state, saving in
// both formats and reopening, copy and paste, printing to a PDF and the header dialog's values.
#include "platform/testing/quelm_test_support.h"
#include "drawport/drawport_metafile.h"
#include "drawport/drawport_output.h"
#include "drawport/drawport_window.h"
#include "platform/win/WinCommDlg.h"
#include "platform/win/WinPrint.h"
#include "platform/win/WinMessageBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <fstream>

namespace {

class TFakeHost : public IDrawportHost {
public:
    int invalidations = 0;
    RECT client{0, 0, 400, 300};
    void Invalidate() override { ++invalidations; }
    void Close() override {}
    RECT ClientRect() override { return client; }
    RECT WindowRect() override { return RECT{0, 0, client.right + 10, client.bottom + 40}; }
    void MoveToTopLeft(int w, int h) override { client = RECT{0, 0, w - 10, h - 40}; }
};

// A picture with a blue square on white, 40 x 30 mm.
HENHMETAFILE BlueSquare(const char* description = "drawtest\0Square\0\0")
{
    const RECT frame{0, 0, 4000, 3000};
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, description);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    SelectObject(dc, blue);
    Rectangle(dc, 20, 20, 120, 100);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(blue);
    return CloseEnhMetaFile(dc);
}

void Write(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

std::vector<std::uint8_t> WmfBytes(HENHMETAFILE emf)
{
    std::vector<std::uint8_t> b(GetWinMetaFileBits(emf, 0, nullptr, MM_ANISOTROPIC, nullptr));
    GetWinMetaFileBits(emf, UINT(b.size()), b.data(), MM_ANISOTROPIC, nullptr);
    return b;
}

std::vector<std::uint8_t> Placeable(const std::vector<std::uint8_t>& wmf, int right, int bottom, int inch)
{
    std::vector<std::uint8_t> b(22, 0);
    const std::uint32_t key = PLACEABLE_KEY;
    std::memcpy(b.data(), &key, 4);
    const std::int16_t box[4] = {0, 0, std::int16_t(right), std::int16_t(bottom)};
    std::memcpy(b.data() + 6, box, 8);
    const std::uint16_t units = std::uint16_t(inch);
    std::memcpy(b.data() + 14, &units, 2);
    b.insert(b.end(), wmf.begin(), wmf.end());
    return b;
}

QImage Draw(HENHMETAFILE emf, int w = 160, int h = 120)
{
    DeviceContext dc(w, h);
    const RECT r{0, 0, w, h};
    PlayEnhMetaFile(&dc, emf, &r);
    return dc.Image()->copy();
}

double Difference(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) > 90)
                ++n;
        }
    return double(n) / (a.width() * a.height());
}

class Drawport : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_program_state();
        create_main_window(nullptr, &host);
    }
    void TearDown() override { reset_program_state(); }
    TFakeHost host;
    QTemporaryDir dir;
};

} // namespace

TEST_F(Drawport, FixtureFilesOpenWithTheirKindAndFrameOrGiveTheirMessage)
{
    HENHMETAFILE square = BlueSquare();
    std::vector<std::uint8_t> emf(GetEnhMetaFileBits(square, 0, nullptr));
    GetEnhMetaFileBits(square, UINT(emf.size()), emf.data());
    const std::vector<std::uint8_t> wmf = WmfBytes(square);
    struct Case {
        const char* file;
        std::vector<std::uint8_t> bytes;
        int kind;
        LONG frameRight, frameBottom; // 0: no picture
        const char* message;
    };
    const std::vector<Case> cases = {
        {"square.emf", emf, 1, 4000, 3000, nullptr},
        {"square.wmf", wmf, 2, 1000, 1000, nullptr},
        {"square.apm", Placeable(wmf, 1440, 720, 1440), 3, 2540, 1270, nullptr},
        {"text.txt", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'}, 2, 0, 0, "Not a Valid Metafile"},
        {"short.apm", {0xD7, 0xCD, 0xC6, 0x9A, 0, 0}, 2, 0, 0, "Not a Valid Metafile"},
        {"zero-units.apm", Placeable(wmf, 1440, 720, 0), 2, 0, 0, "Not a Valid Metafile"},
        {"inverted.apm", Placeable(wmf, -10, 720, 1440), 2, 0, 0, "Not a Valid Metafile"},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(c.file);
        Write(path, c.bytes);
        TMessageBoxInterceptor boxes;
        HENHMETAFILE picture = open_metafile(path.toLocal8Bit().constData(), nullptr);
        EXPECT_EQ(picture_kind, c.kind) << c.file;
        if (c.message) {
            EXPECT_EQ(picture, nullptr) << c.file;
            ASSERT_FALSE(boxes.Boxes().empty()) << c.file;
            EXPECT_EQ(boxes.Last().Text, c.message) << c.file;
            EXPECT_EQ(boxes.Last().Caption, FromQString(path)) << c.file;
            continue;
        }
        ASSERT_NE(picture, nullptr) << c.file;
        ENHMETAHEADER h{};
        GetEnhMetaFileHeader(picture, 88, &h);
        EXPECT_EQ(h.rclFrame.right, c.frameRight) << c.file;
        EXPECT_EQ(h.rclFrame.bottom, c.frameBottom) << c.file;
        DeleteEnhMetaFile(picture);
    }
    TMessageBoxInterceptor boxes;
    EXPECT_EQ(open_metafile(dir.filePath("missing.emf").toLocal8Bit().constData(), nullptr), nullptr);
    EXPECT_EQ(boxes.Last().Text, "Error Opening File");
    DeleteEnhMetaFile(square);
}

TEST_F(Drawport, SaveAsWindowsAndEnhancedMetafileReopenWithTheirKindsAndPicture)
{
    current_picture = BlueSquare();
    picture_kind = 1;
    const QImage original = Draw(current_picture);
    TCommonDialogScript dialogs;
    const QString wmfPath = dir.filePath("saved.wmf"), emfPath = dir.filePath("saved.emf");
    EXPECT_TRUE(menu_item_state(IDM_SAVE_WINDOWS).enabled);
    EXPECT_FALSE(menu_item_state(IDM_SAVE_ENHANCED).enabled);
    dialogs.FileName(FromQString(wmfPath));
    main_window_proc(nullptr, WM_COMMAND, IDM_SAVE_WINDOWS, 0);
    HENHMETAFILE reopened = open_metafile(wmfPath.toLocal8Bit().constData(), nullptr);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(picture_kind, 2);
    DeleteEnhMetaFile(reopened);

    dialogs.FileName(FromQString(emfPath));
    main_window_proc(nullptr, WM_COMMAND, IDM_SAVE_ENHANCED, 0);
    reopened = open_metafile(emfPath.toLocal8Bit().constData(), nullptr);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(picture_kind, 1);
    EXPECT_LT(Difference(original, Draw(reopened)), 0.01);
    DeleteEnhMetaFile(reopened);

    // the converted 16-bit picture draws the same square (its frame is the 10 mm square, so it
    // is compared as stretched into the same box)
    HENHMETAFILE wmfPicture = open_metafile(wmfPath.toLocal8Bit().constData(), nullptr);
    EXPECT_LT(Difference(original, Draw(wmfPicture)), 0.03);
    DeleteEnhMetaFile(wmfPicture);
}

TEST_F(Drawport, CopyThenPasteGivesASeparateCopyOfThePicture)
{
    current_picture = BlueSquare();
    const QImage original = Draw(current_picture);
    main_window_proc(nullptr, WM_COMMAND, IDM_COPY, 0);
    EXPECT_TRUE(menu_item_state(IDM_PASTE).enabled);
    main_window_proc(nullptr, WM_COMMAND, IDM_PASTE, 0);
    ASSERT_NE(current_picture, nullptr);
    EXPECT_LT(Difference(original, Draw(current_picture)), 0.001);
    // the clipboard keeps its own picture after the paste
    EXPECT_TRUE(IsClipboardEnhMetaFileAvailable());
}

TEST_F(Drawport, PrintToAPdfPrinterWritesAPageThatRenders)
{
    current_picture = BlueSquare();
    const QString pdf = dir.filePath("out.pdf");
    bool printerChosen = true;
    SetPrintDlgHook([&](const DEVMODE*) {
        PRINTDLG_RESULT r;
        r.ok = printerChosen;
        r.device = "PDF:" + FromQString(pdf);
        return r;
    });
    for (bool original : {true, false}) {
        print_at_original_size = original;
        EXPECT_NE(print_metafile(), 0);
        ASSERT_TRUE(QFile::exists(pdf));
        QProcess render;
        render.start("pdftoppm", {"-png", "-r", "30", pdf, dir.filePath(original ? "orig" : "stretch")});
        ASSERT_TRUE(render.waitForFinished(30000));
        EXPECT_EQ(render.exitCode(), 0);
        const QImage page(dir.filePath(original ? "orig-1.png" : "stretch-1.png"));
        ASSERT_FALSE(page.isNull());
        // blue is on the page: near its top-left corner at original size, everywhere stretched
        int blue = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qBlue(page.pixel(x, y)) > 200 && qRed(page.pixel(x, y)) < 60)
                    ++blue;
        EXPECT_GT(blue, 10) << original;
        QFile::remove(pdf);
    }
    printerChosen = false;
    EXPECT_EQ(print_metafile(), 0); // cancelled: nothing printed
    SetPrintDlgHook(nullptr);
}

TEST_F(Drawport, HeaderDialogShowsTheHeaderValuesAndTheDescription)
{
    HENHMETAFILE square = BlueSquare();
    ENHMETAHEADER h{};
    GetEnhMetaFileHeader(square, 88, &h);
    std::map<int, String> fields;
    for (auto& [id, text] : header_dialog_fields(square))
        fields[id] = text;
    EXPECT_EQ(fields[605], std::to_string(h.rclFrame.left));
    EXPECT_EQ(fields[606], "4000");
    EXPECT_EQ(fields[607], "3000");
    EXPECT_EQ(fields[608], std::to_string(h.nBytes));
    EXPECT_EQ(fields[609], std::to_string(h.nRecords));
    EXPECT_EQ(fields[612], std::to_string(h.szlDevice.cx));
    EXPECT_EQ(fields[616], "drawtest#Square");
    struct Case {
        const char* description;
        const char* shown;
    };
    const Case cases[] = {{nullptr, "<None>"}, {"A\0Title\0\0", "A"}, {"app\0\0\0", "app#"}};
    for (const Case& c : cases) {
        HENHMETAFILE p = BlueSquare(c.description);
        EXPECT_EQ(header_dialog_fields(p).back().second, c.shown);
        DeleteEnhMetaFile(p);
    }
    DeleteEnhMetaFile(square);
}

// The Info command opens the header dialog: its two groups are framed boxes with their captions
// whole, every caption and value shows whole in its place without running into another, and
// OK closes it.
TEST_F(Drawport, InfoDialogShowsItsCaptionsWholeInFramedGroups)
{
    current_picture = BlueSquare();
    bool inspected = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            if (clock.elapsed() > 10000)
                QCoreApplication::exit(1);
            return;
        }
        poll.stop();
        inspected = true;
        const QList<QGroupBox*> groups = dialog->findChildren<QGroupBox*>();
        EXPECT_EQ(groups.size(), 2);
        for (QGroupBox* g : groups)
            EXPECT_LE(g->fontMetrics().horizontalAdvance(g->title()) + 8, g->width()) << g->title().toStdString();
        std::vector<QRect> places;
        int captions = 0;
        for (QLabel* l : dialog->findChildren<QLabel*>()) {
            if (!l->isVisible() || l->text().isEmpty())
                continue;
            ++captions;
            EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width()) << l->text().toStdString();
            EXPECT_TRUE(dialog->rect().contains(l->geometry())) << l->text().toStdString();
            for (const QRect& other : places)
                EXPECT_FALSE(other.intersects(l->geometry())) << l->text().toStdString();
            places.push_back(l->geometry());
        }
        EXPECT_GE(captions, 16 + 17);
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            if (b->text() == "OK")
                QTest::mouseClick(b, Qt::LeftButton);
    });
    poll.start(20);
    main_window_proc(nullptr, WM_COMMAND, IDM_INFO, 0);
    poll.stop();
    EXPECT_TRUE(inspected);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(Drawport, MouseZoomAndPanFollowTheClicks)
{
    current_picture = BlueSquare();
    reset_view_request = true;
    DeviceContext dc(400, 300);
    main_window_proc(nullptr, WM_PAINT, WPARAM(&dc), 0);
    EXPECT_EQ(zoom_factor, 1);
    main_window_proc(nullptr, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(zoom_factor, 1); // never below 1, nothing repainted
    const int before = host.invalidations;
    main_window_proc(nullptr, WM_LBUTTONUP, 0, MAKELPARAM(host.client.right / 2, host.client.bottom / 2));
    EXPECT_EQ(zoom_factor, 2);
    EXPECT_EQ(host.invalidations, before + 1);
    main_window_proc(nullptr, WM_PAINT, WPARAM(&dc), 0);
    EXPECT_EQ(pan_x, 0);
    EXPECT_EQ(pan_y, 0);
    main_window_proc(nullptr, WM_LBUTTONUP, 0, MAKELPARAM(host.client.right / 2 + 40, host.client.bottom / 2));
    main_window_proc(nullptr, WM_PAINT, WPARAM(&dc), 0);
    EXPECT_EQ(zoom_factor, 3);
    EXPECT_EQ(pan_x, -20); // (W/2 - click) / previous zoom
    main_window_proc(nullptr, WM_RBUTTONUP, 0, MAKELPARAM(1, 1));
    main_window_proc(nullptr, WM_RBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(zoom_factor, 1);
    EXPECT_EQ(pan_x, 0);
}

namespace {

QString FixturePath(const char* name)
{
    return QString::fromLocal8Bit(qgetenv("QUELM_TEST_SOURCE_DIR")) + "/drawport/tests/fixtures/" + name;
}

// Share of the picture's pixels whose colour lies within 60 of `colour` in every channel.
double Share(const QImage& image, QColor colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 60 && std::abs(c.green() - colour.green()) < 60 &&
                std::abs(c.blue() - colour.blue()) < 60)
                ++n;
        }
    return double(n) / (image.width() * image.height());
}

} // namespace

// Metafiles written by other programs (enhanced metafiles from a drawing converter, a PostScript
// converter and a plotting program, a placeable Windows metafile from a vector drawing program;
// fixtures/make-fixtures.sh makes them): each opens with its kind and a frame, plays every
// record, and shows its colours where they belong.
TEST_F(Drawport, MetafilesWrittenByOtherProgramsOpenAndDraw)
{
    struct Case {
        const char* file;
        int kind;
        QColor colour;    // a colour the picture fills a good part of
        double minShare;  // at least this share of the picture
        QPointF probe;    // a point in that colour, as a share of width and height
    };
    const Case cases[] = {
        {"fig2dev-drawing.emf", 1, QColor(255, 0, 0), 0.10, {0.15, 0.15}},
        {"pstoedit-page.emf", 1, QColor(0, 0, 255), 0.15, {0.20, 0.85}},
        {"gnuplot-plot.emf", 1, QColor(255, 255, 255), 0.50, {0.50, 0.05}},
        {"inkscape-drawing.wmf", 3, QColor(255, 0, 0), 0.12, {0.25, 0.25}},
        {"inkscape-drawing.wmf", 3, QColor(0, 0, 255), 0.08, {0.72, 0.33}},
        {"inkscape-drawing.wmf", 3, QColor(0, 128, 0), 0.01, {0.06, 0.83}},
    };
    for (const Case& c : cases) {
        TMessageBoxInterceptor boxes;
        const QString path = FixturePath(c.file);
        HENHMETAFILE picture = open_metafile(path.toLocal8Bit().constData(), nullptr);
        ASSERT_NE(picture, nullptr) << c.file;
        EXPECT_TRUE(boxes.Boxes().empty()) << c.file;
        EXPECT_EQ(picture_kind, c.kind) << c.file;
        ENHMETAHEADER h{};
        GetEnhMetaFileHeader(picture, sizeof h, &h);
        EXPECT_GT(h.rclFrame.right - h.rclFrame.left, 1000) << c.file;
        EXPECT_GT(h.rclFrame.bottom - h.rclFrame.top, 1000) << c.file;
        const int w = 400, hgt = int(400.0 * (h.rclFrame.bottom - h.rclFrame.top) / (h.rclFrame.right - h.rclFrame.left));
        DeviceContext dc(w, hgt);
        const RECT r{0, 0, w, hgt};
        EXPECT_TRUE(PlayEnhMetaFile(&dc, picture, &r)) << c.file;
        const QImage image = dc.Image()->copy();
        image.save(QString::fromStdString(quelmtest::PicturePath(std::string("drawport-") + c.file + ".png")));
        EXPECT_GE(Share(image, c.colour), c.minShare) << c.file;
        const QColor at = image.pixelColor(int(c.probe.x() * w), int(c.probe.y() * hgt));
        EXPECT_LT(std::abs(at.red() - c.colour.red()) + std::abs(at.green() - c.colour.green()) +
                      std::abs(at.blue() - c.colour.blue()),
                  90)
            << c.file << " " << at.name().toStdString();
        DeleteEnhMetaFile(picture);
    }
}

// The plotting program writes each key label before its series, so the second series' first bars
// paint over its label "cos" (its own PNG output and an independent EMF renderer show no label
// either). The label is played all the same: with the bars' polygons turned into comments it
// shows, right-aligned above its baseline at its place.
TEST_F(Drawport, KeyLabelUnderTheBarsDrawnAfterItIsCoveredAndShowsWithoutThem)
{
    QFile f(FixturePath("gnuplot-plot.emf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray file = f.readAll();
    const auto* data = reinterpret_cast<const std::uint8_t*>(file.constData());
    std::vector<std::uint8_t> plain(data, data + file.size()), withoutBars = plain;
    bool afterLabel = false;
    int neutralised = 0;
    for (size_t at = 0; at + 8 <= withoutBars.size();) {
        std::uint32_t type = 0, size = 0;
        std::memcpy(&type, &withoutBars[at], 4);
        std::memcpy(&size, &withoutBars[at + 4], 4);
        ASSERT_GE(size, 8u);
        if (type == 83 && std::memcmp(&withoutBars[at + 76], "cos", 3) == 0) // EMR_EXTTEXTOUTA
            afterLabel = true;
        if (type == 3 && afterLabel) { // EMR_POLYGON → EMR_GDICOMMENT with no data (its bounds' left is 0)
            const std::uint32_t comment = 70;
            std::memcpy(&withoutBars[at], &comment, 4);
            ++neutralised;
        }
        at += size;
    }
    ASSERT_TRUE(afterLabel);
    ASSERT_GE(neutralised, 10);

    // dark pixels and bar-coloured pixels where the label stands: left of the key samples,
    // between the "sin" line and the second bar's top
    auto labelArea = [](const std::vector<std::uint8_t>& bytes, int* dark, int* bar) {
        HENHMETAFILE picture = SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
        ASSERT_NE(picture, nullptr);
        DeviceContext dc(640, 480);
        const RECT r{0, 0, 640, 480};
        EXPECT_TRUE(PlayEnhMetaFile(&dc, picture, &r));
        DeleteEnhMetaFile(picture);
        const QImage image = dc.Image()->copy();
        *dark = *bar = 0;
        for (int y = int(0.17 * 480); y < int(0.23 * 480); ++y)
            for (int x = int(0.20 * 640); x < int(0.265 * 640); ++x) {
                const QColor c = image.pixelColor(x, y);
                *dark += c.lightness() < 100;
                *bar += std::abs(c.red() - 0xB2) + std::abs(c.green() - 0xE0) + std::abs(c.blue() - 0xD4) < 30;
            }
    };
    int dark = 0, bar = 0;
    labelArea(plain, &dark, &bar);
    EXPECT_EQ(dark, 0);
    EXPECT_GT(bar, 200);
    labelArea(withoutBars, &dark, &bar);
    EXPECT_GT(dark, 30);
    EXPECT_EQ(bar, 0);
}

// A picture with palette entries gets a palette; painting selects and realizes it and selects
// the one before back; asked to realize its palette first, the window has nothing to repaint on
// a true-colour screen.
TEST_F(Drawport, PictureWithPaletteEntriesIsPaintedWithItsPaletteRealized)
{
    HENHMETAFILE square = BlueSquare();
    std::vector<std::uint8_t> bytes(GetEnhMetaFileBits(square, 0, nullptr));
    GetEnhMetaFileBits(square, UINT(bytes.size()), bytes.data());
    DeleteEnhMetaFile(square);
    // the end record with two palette entries
    ASSERT_GE(bytes.size(), 20u);
    bytes.resize(bytes.size() - 20);
    const std::uint32_t end[7] = {14, 28, 2, 16, 0x0000FF, 0x00FF00, 28};
    const size_t at = bytes.size();
    bytes.resize(at + sizeof end);
    std::memcpy(bytes.data() + at, end, sizeof end);
    const std::uint32_t total = std::uint32_t(bytes.size()), entries = 2;
    std::memcpy(bytes.data() + 48, &total, 4);
    std::memcpy(bytes.data() + 68, &entries, 4);
    current_picture = SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
    ASSERT_NE(current_picture, nullptr);
    current_palette = metafile_palette(current_picture);
    ASSERT_NE(current_palette, nullptr);
    PALETTEENTRY got[2]{};
    ASSERT_EQ(GetPaletteEntries(current_palette, 0, 2, got), 2u);
    EXPECT_EQ(got[1].peGreen, 255);

    DeviceContext dc(400, 300);
    main_window_proc(nullptr, WM_PAINT, WPARAM(&dc), 0);
    EXPECT_EQ(dc.palette, nullptr); // the one before is back
    EXPECT_GT(Share(dc.Image()->copy(), QColor(0, 0, 255)), 0.05);
    const int before = host.invalidations;
    main_window_proc(nullptr, WM_QUERYNEWPALETTE, 0, 0);
    main_window_proc(nullptr, WM_PALETTECHANGED, WPARAM(0x1234), 0);
    EXPECT_EQ(host.invalidations, before);
    EXPECT_TRUE(DeleteObject(current_palette)); // no context keeps it selected
    current_palette = nullptr;
}
