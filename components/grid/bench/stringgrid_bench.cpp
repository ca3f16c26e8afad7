// The string grid against Qt's QTableView over a QStandardItemModel on the same data:
// filling rows x 10 cells, painting one screen at the middle row (the mean of 100 paints), and scrolling 1,000 steps
// with a repaint after each; the memory the filled table holds is read from the process.
//   grid_stringgrid_bench [grid|qt] [rows]   (default: both, each in its own process; 1000000)
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// Resident memory of the process in MB.
double ResidentMB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

const int kCols = 10;
const int kSteps = 1000;
const int kPaints = 100; // full repaints of one screen, averaged

String CellText(int col, int row)
{
    return "R" + std::to_string(row) + " C" + std::to_string(col);
}

void Report(const char* who, int rows, double fillMs, double memMB, double paintMs, double scrollMs, int painted)
{
    std::printf("%-10s rows=%d fill=%.0f ms memory=%.0f MB paint@middle=%.2f ms scroll x%d=%.0f ms (%.3f ms/step)",
                who, rows, fillMs, memMB, paintMs, kSteps, scrollMs, scrollMs / kSteps);
    if (painted >= 0)
        std::printf(" cells/paint=%d", painted);
    std::printf("\n");
    std::fflush(stdout);
}

int RunGrid(int rows)
{
    TForm form(nullptr);
    form.SetClientWidth(800);
    form.SetClientHeight(600);
    auto* grid = new TPlusStringGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 800, 600);
    form.Show();
    QApplication::processEvents();
    const double before = ResidentMB();
    QElapsedTimer timer;
    timer.start();
    grid->SetColCount(kCols);
    grid->SetRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < kCols; ++c)
            grid->SetCells(c, r, CellText(c, r));
    QApplication::processEvents();
    const double fillMs = double(timer.nsecsElapsed()) / 1e6;
    const double memMB = ResidentMB() - before;

    grid->SetTopRow(rows / 2);
    grid->Update();
    timer.restart();
    for (int i = 0; i < kPaints; ++i) {
        grid->Invalidate();
        grid->Update();
    }
    const double paintMs = double(timer.nsecsElapsed()) / 1e6 / kPaints;
    const int painted = grid->PaintedCellCount;

    timer.restart();
    for (int i = 0; i < kSteps; ++i) {
        grid->SetTopRow(grid->TopRow() + 1);
        grid->Update();
    }
    const double scrollMs = double(timer.nsecsElapsed()) / 1e6;
    Report("StringGrid", rows, fillMs, memMB, paintMs, scrollMs, painted);
    return 0;
}

int RunQt(int rows)
{
    QTableView view;
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();
    const double before = ResidentMB();
    QElapsedTimer timer;
    timer.start();
    auto* model = new QStandardItemModel(rows, kCols, &view);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < kCols; ++c)
            model->setItem(r, c, new QStandardItem(QString::fromStdString(CellText(c, r + 1))));
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(22);
    view.setModel(model);
    QApplication::processEvents();
    const double fillMs = double(timer.nsecsElapsed()) / 1e6;
    const double memMB = ResidentMB() - before;

    view.verticalScrollBar()->setValue(rows / 2);
    view.viewport()->repaint();
    timer.restart();
    for (int i = 0; i < kPaints; ++i)
        view.viewport()->repaint();
    const double paintMs = double(timer.nsecsElapsed()) / 1e6 / kPaints;

    timer.restart();
    for (int i = 0; i < kSteps; ++i) {
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->value() + 1);
        view.viewport()->repaint();
    }
    const double scrollMs = double(timer.nsecsElapsed()) / 1e6;
    Report("QTableView", rows, fillMs, memMB, paintMs, scrollMs, -1);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const String mode = argc > 1 ? argv[1] : "";
    const int rows = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000000;
    if (mode != "grid" && mode != "qt") {
        // each side in its own process, so that the memory figures do not mix
        const String self = argv[0];
        int rc = std::system((self + " grid " + std::to_string(rows)).c_str());
        rc |= std::system((self + " qt " + std::to_string(rows)).c_str());
        return rc == 0 ? 0 : 1;
    }
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TQApplication app(argc, argv);
    return mode == "grid" ? RunGrid(rows) : RunQt(rows);
}
