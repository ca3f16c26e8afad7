// The string grid against Qt's QTableView over a plain QAbstractTableModel of strings behind a
// QSortFilterProxyModel, on the same rows x 10 cells, operation by operation:
//   fill        the cells written and the view shown
//   paint       one screen at the middle row repainted, headers included (the mean of 100 paints)
//   scroll      1,000 steps down, a repaint after each
//   sort num    by a column of decimal numbers (Qt: the sort role gives the number, parsed once)
//   sort text   by a column of words with a number
//   filter      "contains" on one column, a wildcard pattern on another, each cleared again
//   jump end    the current cell moved to the last row and shown
// Every operation's outcome is reduced to a digest (the rows' ids in their shown order, the first
// and last rows' cells, the top row shown) and the ratio of an operation is printed only when both
// sides agree on it. Each side runs in its own process (so that the memory figures do not mix),
// several times; the table shows the medians.
//   grid_stringgrid_bench [rows] [repetitions]       (default 1000000 rows, 3 repetitions)
//   grid_stringgrid_bench grid|qt [rows]             one run of one side, machine-readable lines
// (GRID_BENCH_STOP=NAME ends a side after that operation.)
// A jump that takes longer than 20 s is reported as timed out instead of waited for.
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const int kCols = 10;
const int kSteps = 1000;
const int kPaints = 100; // full repaints of one screen, averaged
const int kNumCol = 1;
const int kTextCol = 2;
const int kContainsCol = 3;
const char* const kContains = "lima";
const int kPatternCol = 4;
const char* const kPattern = "*e*1?3*";
const double kJumpLimitSeconds = 20;

const char* const kWords[] = {"alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf", "hotel",
                              "india", "juliet", "kilo", "lima", "mike", "november", "oscar", "papa"};

// Memory of the process in MB: resident now, or the peak.
double StatusMB(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::atof(line.c_str() + std::strlen(key)) / 1024.0;
    return 0;
}

// The table's texts, the same on both sides. Row r (1-based) has the id r in column 0, a
// decimal number in column 1 and a word with a number in column 2, both unique so that a sort
// has one right answer, and words with small numbers in the other columns.
class TableData {
public:
    explicit TableData(int rows) : num_(size_t(rows) + 1), text_(size_t(rows) + 1), mix_(size_t(rows) + 1)
    {
        std::mt19937 rng(42);
        std::iota(num_.begin(), num_.end(), 0u);
        std::iota(text_.begin(), text_.end(), 0u);
        std::shuffle(num_.begin() + 1, num_.end(), rng);
        std::shuffle(text_.begin() + 1, text_.end(), rng);
        for (auto& m : mix_)
            m = rng();
    }

    // Writes the text of (col, row) into buf and returns its length.
    int Text(int col, int row, char* buf) const
    {
        char* p = buf;
        switch (col) {
        case 0:
            p = Number(p, unsigned(row));
            break;
        case kNumCol: {
            const uint32_t v = num_[size_t(row)];
            p = Number(p, v / 100);
            *p++ = '.';
            *p++ = char('0' + v / 10 % 10);
            *p++ = char('0' + v % 10);
            break;
        }
        case kTextCol: {
            const uint32_t v = text_[size_t(row)];
            p = Word(p, v % 16);
            p = Number(p, v);
            break;
        }
        default: {
            const uint32_t h = mix_[size_t(row)] >> (col * 3);
            p = Word(p, (h + uint32_t(col)) % 16);
            p = Number(p, (h >> 4) % 1000);
            break;
        }
        }
        return int(p - buf);
    }

private:
    static char* Number(char* p, unsigned v)
    {
        char tmp[12];
        int n = 0;
        do {
            tmp[n++] = char('0' + v % 10);
            v /= 10;
        } while (v);
        while (n)
            *p++ = tmp[--n];
        return p;
    }
    static char* Word(char* p, unsigned i)
    {
        for (const char* w = kWords[i]; *w; ++w)
            *p++ = *w;
        return p;
    }
    std::vector<uint32_t> num_, text_, mix_;
};

// What an operation left: the ids of the rows in their shown order (hashed), their number and
// the first and last rows' cells, or the top row shown.
struct Digest {
    uint64_t hash = 1469598103934665603ull;
    long count = 0;
    std::string first, last;
    void AddId(const std::string& id)
    {
        for (char c : id)
            hash = (hash ^ uint8_t(c)) * 1099511628211ull;
        hash = (hash ^ '|') * 1099511628211ull;
        ++count;
    }
    std::string Text() const
    {
        char h[32];
        std::snprintf(h, sizeof h, "%016llx", static_cast<unsigned long long>(hash));
        return std::string(h) + " n=" + std::to_string(count) + " first=" + first + " last=" + last;
    }
};

// The side's side of a run: one line per operation, "op NAME MS DIGEST".
// With GRID_BENCH_STOP=NAME a side ends after that operation (to profile one part alone).
void Emit(const char* op, double ms, const std::string& digest)
{
    std::printf("op %s %.3f %s\n", op, ms, digest.c_str());
    std::fflush(stdout);
    const char* stop = std::getenv("GRID_BENCH_STOP");
    if (stop && std::strcmp(stop, op) == 0)
        _exit(0);
}

struct Clock {
    QElapsedTimer t;
    Clock() { t.start(); }
    double Ms() const { return double(t.nsecsElapsed()) / 1e6; }
};

// A jump that does not come back in time ends the process with a note instead of a hang.
class Watchdog {
public:
    explicit Watchdog(double seconds)
        : thread_([this, seconds] {
              const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
              while (!done_ && std::chrono::steady_clock::now() < end)
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              if (!done_) {
                  std::printf("op jump-end timeout -\n");
                  std::fflush(stdout);
                  _exit(0);
              }
          })
    {
    }
    ~Watchdog()
    {
        done_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// ---------------------------------------------------------------- the grid

std::string GridRowText(TPlusStringGrid& grid, int row)
{
    std::string s;
    for (int c = 0; c < kCols; ++c)
        s += (c ? "," : "") + grid.Cells(c, row);
    return s;
}

std::string GridRows(TPlusStringGrid& grid)
{
    Digest d;
    for (int r = 1; r < grid.RowCount(); ++r)
        d.AddId(grid.Cells(0, r));
    if (grid.RowCount() > 1) {
        d.first = GridRowText(grid, 1);
        d.last = GridRowText(grid, grid.RowCount() - 1);
    }
    return d.Text();
}

int RunGrid(int rows)
{
    const TableData data(rows);
    TForm form(nullptr);
    form.SetClientWidth(800);
    form.SetClientHeight(600);
    auto* grid = new TPlusStringGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 800, 600);
    form.Show();
    QApplication::processEvents();
    const double before = StatusMB("VmRSS:");

    Clock fill;
    grid->SetColCount(kCols);
    grid->SetRowCount(rows + 1);
    char buf[64];
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < kCols; ++c) {
            const int n = data.Text(c, r, buf);
            grid->SetCells(c, r, String(buf, size_t(n)));
        }
    QApplication::processEvents();
    Emit("fill", fill.Ms(), GridRows(*grid));
    std::printf("mem %.0f\n", StatusMB("VmRSS:") - before);

    grid->SetTopRow(rows / 2);
    grid->Update();
    Clock paint;
    for (int i = 0; i < kPaints; ++i) {
        grid->Invalidate();
        grid->Update();
    }
    Emit("paint", paint.Ms() / kPaints, "top=" + grid->Cells(0, grid->TopRow()));

    Clock scroll;
    for (int i = 0; i < kSteps; ++i) {
        grid->SetTopRow(grid->TopRow() + 1);
        grid->Update();
    }
    Emit("scroll", scroll.Ms(), "top=" + grid->Cells(0, grid->TopRow()));

    auto sort = [&](const char* name, int col) {
        Clock c;
        grid->SortSettings()->Column = col;
        grid->SortSettings()->Direction = sdAscending;
        grid->SortByColumn();
        grid->Update();
        Emit(name, c.Ms(), GridRows(*grid));
    };
    sort("sort-num", kNumCol);
    sort("sort-text", kTextCol);

    auto filter = [&](const char* name, int col, const std::string& condition) {
        Clock c;
        grid->Filter()->Clear();
        TFilterData* f = grid->Filter()->Add();
        f->Column = int16_t(col);
        f->Condition = condition;
        grid->SetFilterActive(true);
        grid->Update();
        Emit(name, c.Ms(), GridRows(*grid));
        Clock u;
        grid->SetFilterActive(false);
        grid->Update();
        return u.Ms();
    };
    const double clear1 = filter("filter-contains", kContainsCol, std::string("*") + kContains + "*");
    const double clear2 = filter("filter-pattern", kPatternCol, kPattern);
    Emit("clear-filter", (clear1 + clear2) / 2, GridRows(*grid));

    {
        Watchdog watchdog(kJumpLimitSeconds);
        Clock c;
        grid->SetRow(grid->RowCount() - 1);
        grid->Update();
        const double ms = c.Ms();
        const int last = grid->RowCount() - 1;
        const bool shown = grid->TopRow() <= last && last < grid->TopRow() + grid->VisibleRowCount();
        Emit("jump-end", ms, grid->Cells(0, grid->Row()) + (shown ? " shown" : " hidden"));
    }
    std::printf("peak %.0f\n", StatusMB("VmHWM:"));
    return 0;
}

// ---------------------------------------------------------------- Qt

// A plain table model of strings: one QString per cell, row by row. The sort role gives the
// number of a cell's text, parsed once for the whole column when a numeric sort asks for it
// (a number per compare would make Qt's sort many times slower).
class StringTableModel : public QAbstractTableModel {
public:
    StringTableModel(int rows, int cols, std::vector<QString> cells, QObject* parent)
        : QAbstractTableModel(parent), rows_(rows), cols_(cols), cells_(std::move(cells))
    {
    }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : cols_;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        const QString& text = cells_[size_t(index.row()) * size_t(cols_) + size_t(index.column())];
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return text;
        if (role == Qt::UserRole)
            return index.column() == numbersCol_ ? numbers_[size_t(index.row())] : text.toDouble();
        return QVariant();
    }
    void CacheNumbers(int col)
    {
        numbers_.resize(size_t(rows_));
        for (int r = 0; r < rows_; ++r)
            numbers_[size_t(r)] = cells_[size_t(r) * size_t(cols_) + size_t(col)].toDouble();
        numbersCol_ = col;
    }

private:
    int rows_, cols_;
    std::vector<QString> cells_;
    std::vector<double> numbers_;
    int numbersCol_ = -1;
};

std::string QtRowText(const QAbstractItemModel& m, int row)
{
    std::string s;
    for (int c = 0; c < kCols; ++c)
        s += (c ? "," : "") + m.index(row, c).data().toString().toStdString();
    return s;
}

std::string QtRows(const QAbstractItemModel& m)
{
    Digest d;
    const int n = m.rowCount();
    for (int r = 0; r < n; ++r)
        d.AddId(m.index(r, 0).data().toString().toStdString());
    if (n > 0) {
        d.first = QtRowText(m, 0);
        d.last = QtRowText(m, n - 1);
    }
    return d.Text();
}

int RunQt(int rows)
{
    const TableData data(rows);
    QTableView view;
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();
    const double before = StatusMB("VmRSS:");

    Clock fill;
    std::vector<QString> cells;
    cells.reserve(size_t(rows) * kCols);
    char buf[64];
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < kCols; ++c) {
            const int n = data.Text(c, r, buf);
            cells.push_back(QString::fromLatin1(buf, n));
        }
    auto* model = new StringTableModel(rows, kCols, std::move(cells), &view);
    auto* proxy = new QSortFilterProxyModel(&view);
    proxy->setSourceModel(model);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(22);
    view.setModel(proxy);
    QApplication::processEvents();
    Emit("fill", fill.Ms(), QtRows(*proxy));
    std::printf("mem %.0f\n", StatusMB("VmRSS:") - before);

    auto top = [&] { return "top=" + proxy->index(view.rowAt(0), 0).data().toString().toStdString(); };
    // what the grid repaints as one: the cells and the headers (the grid's fixed row and column)
    auto repaint = [&] {
        view.viewport()->repaint();
        view.horizontalHeader()->viewport()->repaint();
        view.verticalHeader()->viewport()->repaint();
    };
    // the grid's row r is the data row r; the view's row r - 1
    view.verticalScrollBar()->setValue(rows / 2 - 1);
    repaint();
    Clock paint;
    for (int i = 0; i < kPaints; ++i)
        repaint();
    Emit("paint", paint.Ms() / kPaints, top());

    Clock scroll;
    for (int i = 0; i < kSteps; ++i) {
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->value() + 1);
        repaint();
    }
    Emit("scroll", scroll.Ms(), top());

    auto sort = [&](const char* name, int col, int role) {
        Clock c;
        if (role == Qt::UserRole)
            model->CacheNumbers(col);
        proxy->setSortRole(role);
        proxy->sort(col, Qt::AscendingOrder);
        repaint();
        Emit(name, c.Ms(), QtRows(*proxy));
    };
    sort("sort-num", kNumCol, Qt::UserRole);
    sort("sort-text", kTextCol, Qt::DisplayRole);

    auto filter = [&](const char* name, int col, auto apply) {
        Clock c;
        proxy->setFilterKeyColumn(col);
        apply();
        repaint();
        Emit(name, c.Ms(), QtRows(*proxy));
        Clock u;
        proxy->setFilterFixedString(QString());
        repaint();
        return u.Ms();
    };
    const double clear1 = filter("filter-contains", kContainsCol,
                                 [&] { proxy->setFilterFixedString(QString::fromLatin1(kContains)); });
    const double clear2 =
        filter("filter-pattern", kPatternCol, [&] { proxy->setFilterWildcard(QString::fromLatin1(kPattern)); });
    Emit("clear-filter", (clear1 + clear2) / 2, QtRows(*proxy));

    {
        Watchdog watchdog(kJumpLimitSeconds);
        Clock c;
        const QModelIndex last = proxy->index(proxy->rowCount() - 1, 0);
        view.setCurrentIndex(last);
        repaint();
        const double ms = c.Ms();
        const bool shown = view.viewport()->rect().contains(view.visualRect(last));
        Emit("jump-end", ms,
             view.currentIndex().data().toString().toStdString() + (shown ? " shown" : " hidden"));
    }
    std::printf("peak %.0f\n", StatusMB("VmHWM:"));
    return 0;
}

// ---------------------------------------------------------------- the runs and the table

struct Side {
    std::map<std::string, std::vector<double>> times;
    std::map<std::string, std::string> digests;
    std::vector<double> mem, peak;
    bool consistent = true; // every run gave the same digests
};

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

bool RunSide(const std::string& self, const char* side, int rows, Side& out)
{
    const std::string command = self + " " + side + " " + std::to_string(rows);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string s(line);
        if (!s.empty() && s.back() == '\n')
            s.pop_back();
        if (s.rfind("op ", 0) == 0) {
            const size_t a = s.find(' ', 3);
            const size_t b = s.find(' ', a + 1);
            const std::string op = s.substr(3, a - 3);
            const std::string ms = s.substr(a + 1, b - a - 1);
            const std::string digest = b == std::string::npos ? "" : s.substr(b + 1);
            if (ms != "timeout")
                out.times[op].push_back(std::atof(ms.c_str()));
            auto it = out.digests.find(op);
            if (it == out.digests.end())
                out.digests[op] = ms == "timeout" ? "timeout" : digest;
            else if (it->second != digest)
                out.consistent = false;
        } else if (s.rfind("mem ", 0) == 0) {
            out.mem.push_back(std::atof(s.c_str() + 4));
        } else if (s.rfind("peak ", 0) == 0) {
            out.peak.push_back(std::atof(s.c_str() + 5));
        }
    }
    return pclose(pipe) == 0;
}

int RunBoth(const std::string& self, int rows, int repetitions)
{
    Side grid, qt;
    bool ok = true;
    for (int i = 0; i < repetitions; ++i) {
        ok &= RunSide(self, "grid", rows, grid);
        ok &= RunSide(self, "qt", rows, qt);
    }
    std::printf("%d rows x %d columns, median of %d runs of each side, times in ms\n", rows, kCols, repetitions);
    std::printf("%-16s %10s %10s %7s  %s\n", "operation", "grid", "Qt", "ratio", "results");
    const char* const ops[] = {"fill", "sort-num", "sort-text", "filter-contains", "filter-pattern",
                               "clear-filter", "jump-end", "paint", "scroll"};
    bool allSame = true;
    for (const char* op : ops) {
        const bool timedOut = grid.digests[op] == "timeout" || qt.digests[op] == "timeout";
        const bool same = !timedOut && grid.digests.count(op) && grid.digests[op] == qt.digests[op] &&
                          !grid.times[op].empty() && !qt.times[op].empty();
        allSame &= same;
        const double g = Median(grid.times[op]);
        const double q = Median(qt.times[op]);
        const char* unit = std::strcmp(op, "paint") == 0 ? "%10.2f %10.2f" : "%10.0f %10.0f";
        std::printf("%-16s ", op);
        if (timedOut) {
            std::printf("%10s %10s %7s  %s\n", grid.digests[op] == "timeout" ? "timeout" : "-",
                        qt.digests[op] == "timeout" ? "timeout" : "-", "-", "not measured");
            continue;
        }
        std::printf(unit, g, q);
        if (same)
            std::printf(" %7.2f  identical\n", q > 0 ? g / q : 0);
        else
            std::printf(" %7s  DIFFER: grid %s | Qt %s\n", "-", grid.digests[op].c_str(), qt.digests[op].c_str());
    }
    std::printf("%-16s %10.0f %10.0f %7.2f\n", "memory MB", Median(grid.mem), Median(qt.mem),
                Median(qt.mem) > 0 ? Median(grid.mem) / Median(qt.mem) : 0);
    std::printf("%-16s %10.0f %10.0f %7.2f\n", "peak MB", Median(grid.peak), Median(qt.peak),
                Median(qt.peak) > 0 ? Median(grid.peak) / Median(qt.peak) : 0);
    if (!grid.consistent || !qt.consistent) {
        std::printf("the runs of one side did not agree with each other\n");
        allSame = false;
    }
    if (!ok)
        std::printf("a run failed\n");
    return ok && allSame ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "grid" && mode != "qt") {
        const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
        const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
        return RunBoth(argv[0], rows, repetitions);
    }
    const int rows = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000000;
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TQApplication app(argc, argv);
    return mode == "grid" ? RunGrid(rows) : RunQt(rows);
}
