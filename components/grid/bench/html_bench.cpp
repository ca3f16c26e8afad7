// Time per cell of mini-HTML drawn by the renderer beside the same plain text drawn with
// QPainter::drawText, on an offscreen canvas.
//   grid_html_bench [cells]   (default 10000)
#include "components/grid/HtmlRender.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const int cells = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const int cellW = 200, cellH = 20, columns = 5;
    const String html = "Sample <b>12.5</b> kg/ha, see <a href=\"doc:7\">details</a> "
                        "<font color=\"clred\">late</font>";
    const String plain = "Sample 12.5 kg/ha, see details late";

    DeviceContext dc(cellW * columns, cellH * 40);
    TCanvas canvas;
    canvas.SetHandle(&dc);
    canvas.Font->Name = "Tahoma";
    canvas.Brush->Color = clWhite;
    THtmlDrawArgs args;
    THtmlDrawResult result;

    auto cellRect = [&](int i) {
        const int col = i % columns, row = (i / columns) % 40;
        return TRect(col * cellW, row * cellH, col * cellW + cellW, row * cellH + cellH);
    };
    for (int i = 0; i < 200; ++i) // warm-up: fonts and caches
        DrawHtml(&canvas, html, cellRect(i), args, result);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < cells; ++i)
        DrawHtml(&canvas, html, cellRect(i), args, result);
    const double htmlNs = double(timer.nsecsElapsed()) / cells;
    canvas.SetHandle(nullptr);

    QImage image(cellW * columns, cellH * 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    painter.setFont(font);
    const QString text = QString::fromLatin1(plain.c_str());
    for (int i = 0; i < 200; ++i)
        painter.drawText(QRect(0, 0, cellW, cellH), Qt::AlignLeft | Qt::AlignBottom, text);
    timer.restart();
    for (int i = 0; i < cells; ++i) {
        const TRect r = cellRect(i);
        painter.drawText(QRect(r.Left, r.Top, cellW, cellH), Qt::AlignLeft | Qt::AlignBottom, text);
    }
    const double plainNs = double(timer.nsecsElapsed()) / cells;
    painter.end();

    std::printf("cells: %d\n", cells);
    std::printf("mini-HTML (DrawHtmlText): %.1f us per cell\n", htmlNs / 1000.0);
    std::printf("plain text (QPainter::drawText): %.1f us per cell\n", plainNs / 1000.0);
    std::printf("ratio: %.2f\n", htmlNs / plainNs);
    return 0;
}
