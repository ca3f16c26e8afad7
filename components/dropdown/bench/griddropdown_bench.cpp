// The grid drop-down over many rows: opening the pop-up, then each character typed into the open
// list (narrowing the rows down, or jumping to the first row starting with the typed text) with
// the list painted after every key. The peer is the bare string grid narrowing the same rows with
// NarrowDownRows and painting, which is the least work a keystroke can cost.
//   dropdown_griddropdown_bench [rows] [peer|items-narrow|grid-narrow|items-lookup|grid-lookup]
//   (default 100000 rows, every case)
#include "components/dropdown/PlusCustomGridDropDown.h"

#include "platform/framework/Forms.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const char* const kSyllables[] = {"ar", "be", "ca", "do", "el", "fi", "go", "ha", "in", "jo", "ka", "lu",
                                  "ma", "ne", "or", "pa", "qu", "ri", "sa", "to", "ul", "ve", "wa", "zo"};
const char kTyped[] = "arbe";

// A name of three to five syllables from a fixed sequence, so every run types into the same rows.
String Name(unsigned& seed)
{
    String name;
    seed = seed * 1103515245u + 12345u;
    const int n = 3 + int((seed >> 16) % 3);
    for (int i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        name += kSyllables[(seed >> 16) % 24];
    }
    name[0] = char(name[0] - 'a' + 'A');
    return name;
}

double Ms(QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

void Report(const char* who, double openMs, const std::vector<double>& keys, int rowsLeft)
{
    std::printf("%-22s open=%7.1f ms  keys:", who, openMs);
    double worst = 0, sum = 0;
    for (double k : keys) {
        std::printf(" %6.1f", k);
        worst = std::max(worst, k);
        sum += k;
    }
    std::printf("  mean=%.1f ms worst=%.1f ms  rows left=%d\n", keys.empty() ? 0 : sum / double(keys.size()), worst,
                rowsLeft);
    std::fflush(stdout);
}

void RunDropDown(int rows, bool useItems, TLookupMethod method, const char* who)
{
    TForm form(nullptr);
    form.SetBounds(50, 50, 500, 300);
    auto* d = new TPlusGridDropDown(&form);
    d->SetParent(&form);
    d->SetBounds(10, 10, 300, 21);
    d->Columns()->Add()->Header = "Name";
    d->Columns()->Add()->Header = "Number";
    d->Columns()->Add()->Header = "Code";
    d->UseItems = useItems;
    d->LookupMethod = method;
    unsigned seed = 7;
    if (useItems) {
        for (int r = 0; r < rows; ++r) {
            auto* it = d->Items()->Add();
            it->Text()->Add(Name(seed));
            it->Text()->Add(std::to_string(r));
            it->Text()->Add("C" + std::to_string(r % 977));
        }
        d->UpdateLookupList();
    } else {
        TPlusStringGrid* g = d->GetGrid();
        g->SetColCount(3);
        g->SetRowCount(rows + 1);
        for (int r = 1; r <= rows; ++r) {
            g->SetCells(0, r, Name(seed));
            g->SetCells(1, r, std::to_string(r - 1));
            g->SetCells(2, r, "C" + std::to_string((r - 1) % 977));
        }
    }
    form.Show();
    QApplication::processEvents();
    d->SetFocus();
    QApplication::processEvents();

    QElapsedTimer t;
    t.start();
    d->ShowDropDown();
    TPlusStringGrid* list = d->GetGrid();
    list->Update();
    QApplication::processEvents();
    const double openMs = Ms(t);

    std::vector<double> keys;
    for (const char* c = kTyped; *c; ++c) {
        t.restart();
        list->Perform(WM_CHAR, WPARAM(*c), 0);
        list->Update();
        keys.push_back(Ms(t));
    }
    Report(who, openMs, keys, list->RowCount() - list->FixedRows());
    d->HideDropDown(true);
}

void RunPeer(int rows)
{
    TForm form(nullptr);
    form.SetBounds(50, 50, 500, 300);
    auto* g = new TPlusStringGrid(&form);
    g->SetParent(&form);
    g->SetBounds(0, 0, 300, 200);
    g->SetColCount(3);
    g->SetRowCount(rows + 1);
    unsigned seed = 7;
    for (int r = 1; r <= rows; ++r) {
        g->SetCells(0, r, Name(seed));
        g->SetCells(1, r, std::to_string(r - 1));
        g->SetCells(2, r, "C" + std::to_string((r - 1) % 977));
    }
    form.Show();
    QApplication::processEvents();
    String entry;
    std::vector<double> keys;
    QElapsedTimer t;
    for (const char* c = kTyped; *c; ++c) {
        entry += *c;
        t.restart();
        g->NarrowDownRows(entry, 0);
        g->Update();
        keys.push_back(Ms(t));
    }
    Report("peer: grid narrowing", 0, keys, g->RowCount() - g->FixedRows());
}

} // namespace

int main(int argc, char** argv)
{
    TQApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const String only = argc > 2 ? argv[2] : "";
    auto runs = [&only](const char* name) { return only.empty() || only == name; };
    std::printf("%d rows, typing \"%s\" into the open list\n", rows, kTyped);
    if (runs("peer"))
        RunPeer(rows);
    if (runs("items-narrow"))
        RunDropDown(rows, true, lmNarrowDown, "items, narrowing");
    if (runs("grid-narrow"))
        RunDropDown(rows, false, lmNarrowDown, "grid, narrowing");
    if (runs("items-lookup"))
        RunDropDown(rows, true, lmLookup, "items, lookup");
    if (runs("grid-lookup"))
        RunDropDown(rows, false, lmLookup, "grid, lookup");
    return 0;
}
