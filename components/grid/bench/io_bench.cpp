// The string grid's data work against Qt's QSortFilterProxyModel over a QStandardItemModel and
// against sort(1), on one generated CSV file of rows x 10 columns: importing the file, sorting
// by a numeric and by a text column, a filter and a find.
//   grid_io_bench [rows]   (default 1000000)
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

namespace {

const int kCols = 10;
const char* kWords[] = {"alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf", "hotel",
                        "india", "juliet", "kilo", "lima", "mike", "november", "oscar", "papa"};

// Column 0 the row number, 1 a number with decimals, 2 a word with a number, the rest words.
void WriteCsv(const std::string& path, int rows)
{
    std::mt19937 rng(42);
    std::ofstream out(path, std::ios::binary);
    for (int r = 0; r < rows; ++r) {
        out << r << ',' << (rng() % 1000000) / 100.0 << ',' << kWords[rng() % 16] << rng() % 1000;
        for (int c = 3; c < kCols; ++c)
            out << ',' << kWords[rng() % 16];
        out << '\n';
    }
}

struct Clock {
    QElapsedTimer t;
    Clock() { t.start(); }
    double Ms() const { return double(t.nsecsElapsed()) / 1e6; }
};

void Row(const char* work, double grid, double qt, double tool)
{
    std::printf("%-28s %10.0f %10.0f", work, grid, qt);
    if (tool >= 0)
        std::printf(" %10.0f", tool);
    else
        std::printf(" %10s", "-");
    std::printf("   %s\n", grid < qt ? "grid faster" : "Qt faster");
}

double TimeShell(const std::string& command)
{
    Clock c;
    if (std::system(command.c_str()) != 0)
        return -1;
    return c.Ms();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir dir;
    const std::string csv = dir.path().toStdString() + "/data.csv";
    WriteCsv(csv, rows);
    std::printf("%d rows x %d columns, times in ms\n", rows, kCols);
    std::printf("%-28s %10s %10s %10s\n", "work", "grid", "Qt model", "sort(1)");

    // ---- the grid
    TForm form(nullptr);
    auto* grid = new TPlusStringGrid(&form);
    grid->SetParent(&form);
    grid->SetFixedRows(0);
    grid->SetFixedCols(0);
    grid->SetColCount(kCols);
    Clock c1;
    grid->ImportCsvFile(csv, false);
    const double gImport = c1.Ms();
    Clock c2;
    grid->SortSettings()->Full = false;
    grid->SortSettings()->Column = 1;
    grid->SortByColumn();
    const double gSortNum = c2.Ms();
    Clock c3;
    grid->SortSettings()->Column = 2;
    grid->SortByColumn();
    const double gSortText = c3.Ms();
    Clock c4;
    TFilterData* f = grid->Filter()->Add();
    f->Column = 3;
    f->Condition = "alpha";
    grid->SetFilterActive(true);
    const double gFilter = c4.Ms();
    const int gShown = grid->RowCount();
    grid->SetFilterActive(false);
    Clock c5;
    TPoint found;
    TCellSearchOptions opts;
    opts << soRowByRow;
    grid->FindCellFrom(TPoint(-1, -1), std::to_string(rows - 1), found, opts << soMatchFull);
    const double gFind = c5.Ms();

    // ---- Qt's model and proxy
    Clock q1;
    QStandardItemModel model(0, kCols);
    {
        QFile file(QString::fromStdString(csv));
        file.open(QIODevice::ReadOnly);
        model.setRowCount(rows);
        int r = 0;
        while (!file.atEnd() && r < rows) {
            const QList<QByteArray> fields = file.readLine().trimmed().split(',');
            for (int c = 0; c < fields.size() && c < kCols; ++c)
                model.setItem(r, c, new QStandardItem(QString::fromLatin1(fields[c])));
            ++r;
        }
    }
    const double qImport = q1.Ms();
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    Clock q2;
    // numbers as numbers: the numeric column carries its value as the sort role
    for (int r = 0; r < rows; ++r)
        model.item(r, 1)->setData(model.item(r, 1)->text().toDouble(), Qt::UserRole);
    proxy.setSortRole(Qt::UserRole);
    proxy.sort(1);
    const double qSortNum = q2.Ms();
    Clock q3;
    proxy.setSortRole(Qt::DisplayRole);
    proxy.sort(2);
    const double qSortText = q3.Ms();
    Clock q4;
    proxy.setFilterKeyColumn(3);
    proxy.setFilterFixedString("alpha");
    const int qShown = proxy.rowCount();
    const double qFilter = q4.Ms();
    proxy.setFilterFixedString(QString());
    Clock q5;
    const QModelIndexList hits =
        model.match(model.index(0, 0), Qt::DisplayRole, QString::number(rows - 1), 1, Qt::MatchExactly);
    const double qFind = q5.Ms();

    // ---- sort(1)
    const double tNum = TimeShell("LC_ALL=C sort -s -t, -k2,2g '" + csv + "' > /dev/null");
    const double tText = TimeShell("LC_ALL=C sort -s -t, -k3,3 '" + csv + "' > /dev/null");
    const double tFilter = TimeShell("awk -F, '$4 == \"alpha\"' '" + csv + "' > /dev/null");
    const double tFind = TimeShell("grep -c '^" + std::to_string(rows - 1) + ",' '" + csv + "' > /dev/null");

    Row("CSV import", gImport, qImport, -1);
    Row("sort by a numeric column", gSortNum, qSortNum, tNum);
    Row("sort by a text column", gSortText, qSortText, tText);
    Row("filter (one column equal)", gFilter, qFilter, tFilter);
    Row("find (last row, whole cell)", gFind, qFind, tFind);
    std::printf("filter kept %d rows in the grid, %d in Qt's proxy; find: grid (%d,%d), Qt %d hit\n", gShown,
                qShown, found.X, found.Y, int(hits.size()));
    std::printf("(sort(1) and the filter's and find's command-line peers are awk and grep over the file)\n");
    return 0;
}
