// Benchmark helper: `drawport_bench make <file.emf> [records]` writes a picture of many records
// with the recording context; `drawport_bench draw <file.emf> <out.png> [width height]` opens it
// and plays it into an image of that size, printing the milliseconds taken;
// `drawport_bench compare <a.png> <b.png>` prints the share of pixels that are dark in one
// picture and not near a dark pixel of the other (0: both drew the same shapes).
#include "platform/win/WinMetafile.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "make") == 0) {
        const int records = argc > 3 ? std::atoi(argv[3]) : 100000;
        const RECT frame{0, 0, 26458, 18521}; // 1000 x 700 pixels at 96 per inch
        HDC dc = CreateEnhMetaFileA(nullptr, argv[2], &frame, "drawport_bench\0many records\0\0");
        HFONT font = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
        SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        std::srand(7);
        for (int i = 0, n = 0; n < records; ++i) {
            const int x = std::rand() % 960, y = std::rand() % 660;
            SetTextColor(dc, RGB(i * 37 % 256, i * 91 % 256, i * 53 % 256)), ++n;
            switch (i % 4) {
            case 0: {
                const POINT pts[4] = {{x, y}, {x + 30, y + 5}, {x + 20, y + 35}, {x - 5, y + 20}};
                Polyline(dc, pts, 4), ++n;
                break;
            }
            case 1: Rectangle(dc, x, y, x + 25, y + 18), ++n; break;
            case 2: Ellipse(dc, x, y, x + 22, y + 22), ++n; break;
            default: TextOut(dc, x, y, "abc", 3), ++n; break;
            }
        }
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(font);
        HENHMETAFILE emf = CloseEnhMetaFile(dc);
        if (!emf)
            return 1;
        std::printf("records %u bytes %u\n", emf->header.nRecords, emf->header.nBytes);
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "draw") == 0) {
        const int w = argc > 5 ? std::atoi(argv[4]) : 1000, h = argc > 5 ? std::atoi(argv[5]) : 700;
        QElapsedTimer timer;
        timer.start();
        HENHMETAFILE emf = GetEnhMetaFileA(argv[2]);
        if (!emf)
            return 1;
        DeviceContext dc(w, h);
        const RECT rect{0, 0, w, h};
        PlayEnhMetaFile(&dc, emf, &rect);
        const qint64 ms = timer.elapsed();
        dc.Image()->save(QString::fromLocal8Bit(argv[3]));
        std::printf("%lld\n", static_cast<long long>(ms));
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "compare") == 0) {
        const QImage a = QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_RGB32);
        const QImage b = QImage(QString::fromLocal8Bit(argv[3])).convertToFormat(QImage::Format_RGB32);
        if (a.isNull() || a.size() != b.size())
            return 1;
        const auto inked = [](const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 235; };
        const auto near = [&](const QImage& img, int x, int y) {
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    if (img.rect().contains(x + dx, y + dy) && inked(img, x + dx, y + dy))
                        return true;
            return false;
        };
        long long differing = 0, total = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                total += inked(a, x, y) || inked(b, x, y);
                differing += (inked(a, x, y) && !near(b, x, y)) || (inked(b, x, y) && !near(a, x, y));
            }
        std::printf("%.4f\n", total ? double(differing) / double(total) : 0.0);
        return 0;
    }
    std::fprintf(stderr, "usage: drawport_bench make FILE [records] | draw FILE PNG [w h] | compare A B\n");
    return 2;
}
