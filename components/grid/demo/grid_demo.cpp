// Shows the string grid: its header look, bands, merged cells, cell graphics (check boxes,
// progress bars, ratings, shapes), hidden rows, grouping by a column, and a CSV file.
//   grid_demo [file.csv] [--screenshot file.png] [--grouped]
// A CSV file given on the command line is shown instead of the sample data (first line as
// the header row; fields separated by commas or semicolons, double quotes around a field), ready
// for the everyday paths: cells edit in place (typing, F2), Ctrl+C/X/V, Ctrl+Insert,
// Shift+Insert and Shift+Delete use the system clipboard, a click on a header sorts by its
// column, the button at a header's right end filters the column by one of its values, and
// Ctrl+F or the Search button shows the search footer (Return finds the next hit, Highlight
// marks them all).
// With --screenshot the window is drawn into the file and the program ends.
#include "components/grid/PlusGrid.h"
#include "components/grid/PlusGridSearchPanel.h"
#include "platform/win/WinLook.h"

#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <QTimer>
#include <cstring>
#include <fstream>

namespace {

// One CSV line split into fields; quotes group a field and "" inside them is one quote.
std::vector<String> SplitCsvLine(const String& line, char delimiter)
{
    std::vector<String> fields;
    String field;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == delimiter) {
            fields.push_back(field);
            field.clear();
        } else if (c != '\r') {
            field += c;
        }
    }
    fields.push_back(field);
    return fields;
}

bool LoadCsv(TPlusStringGrid* grid, const String& fileName, String& error)
{
    std::ifstream in(fileName);
    if (!in) {
        error = "Cannot open " + fileName;
        return false;
    }
    std::vector<std::vector<String>> rows;
    String line;
    char delimiter = 0;
    size_t widest = 1;
    while (std::getline(in, line)) {
        if (!delimiter)
            delimiter = line.find(';') != String::npos && line.find(',') == String::npos ? ';' : ',';
        rows.push_back(SplitCsvLine(line, delimiter));
        widest = std::max(widest, rows.back().size());
    }
    if (rows.empty()) {
        error = fileName + " holds no lines";
        return false;
    }
    grid->BeginUpdate();
    grid->SetColCount(int(widest) + 1);
    grid->SetRowCount(std::max<int>(2, int(rows.size())));
    grid->SetFixedRows(1);
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r > 0)
            grid->SetCells(0, int(r), std::to_string(r));
        for (size_t c = 0; c < rows[r].size(); ++c)
            grid->SetCells(int(c) + 1, int(r), rows[r][c]);
    }
    grid->SetColWidths(0, 48);
    grid->EndUpdate();
    return true;
}

void FillSample(TPlusStringGrid* grid)
{
    static const char* const regions[] = {"North", "South", "East", "West"};
    static const char* const crops[] = {"Wheat", "Barley", "Maize", "Rye", "Oats", "Beans"};
    grid->SetColCount(8);
    grid->SetRowCount(25);
    const char* headers[] = {"", "Region", "Crop", "Yield t/ha", "Done", "Progress", "Rating", "Notes"};
    for (int c = 0; c < 8; ++c)
        grid->SetCells(c, 0, headers[c]);
    grid->SetColWidths(0, 36);
    grid->SetColWidths(1, 70);
    grid->SetColWidths(2, 90);
    grid->SetColWidths(3, 92);
    grid->SetColWidths(4, 50);
    grid->SetColWidths(5, 110);
    grid->SetColWidths(6, 100);
    grid->SetColWidths(7, 178);
    for (int r = 1; r < grid->RowCount(); ++r) {
        grid->SetCells(0, r, std::to_string(r));
        grid->SetCells(1, r, regions[(r * 7) % 4]);
        grid->SetCells(2, r, crops[r % 6]);
        grid->SetCellFloat(3, r, 2.5 + (r * 37 % 60) / 10.0);
        grid->AddCheckBox(4, r, r % 3 != 0);
        grid->SetCells(5, r, std::to_string(r * 17 % 101));
        grid->AddProgress(5, r, TColor(0x50B050), clWhite);
        grid->SetCells(6, r, std::to_string(r % 5 + 1));
        grid->AddRating(6, r, 5, TColor(0x00C0FF), clWhite);
    }
    grid->SetCells(7, 2, "<b>late</b> sowing, <font color=\"clred\">frost</font>");
    grid->SetCells(7, 4, "see <a href=\"notes:4\">field notes</a>");
    grid->SetCells(7, 6, "merged: two rows of notes about this field");
    grid->MergeCellRange(7, 6, 1, 2);
    grid->SetColors(7, 6, TColor(0xE6F0D0));
    grid->SetCells(7, 9, "shape");
    grid->AddShape(7, 9, 0, clRed, clMaroon);
    grid->SetCells(7, 10, "flagged");
    grid->AddComment(7, 10, "checked twice");
    grid->SetColors(3, 8, TColor(0xC0C0FF));
    grid->SetRowHeights(6, 22);
    grid->HideRows(12, 14); // three rows hidden; they come back with "Show all rows"
}

// What the command line asks for.
struct DemoOptions {
    const char* screenshot = nullptr;
    const char* csv = nullptr;
    bool grouped = false;
};

DemoOptions ParseArguments(int argc, char** argv)
{
    DemoOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc)
            options.screenshot = argv[++i];
        else if (std::strcmp(argv[i], "--grouped") == 0)
            options.grouped = true;
        else
            options.csv = argv[i];
    }
    return options;
}

// The grid under the row of buttons, with range selection, column sizing and bands.
TPlusStringGrid* CreateGrid(TForm* form)
{
    auto* grid = new TPlusStringGrid(form);
    grid->SetName("Grid");
    grid->SetParent(form);
    grid->SetBounds(8, 44, 784, 418);
    grid->SetOptions(grid->Options() + TGridOptions{goRangeSelect, goColSizing, goRowSelect});
    grid->Bands()->SetActive(true);
    grid->Bands()->SetPrimaryColor(TColor(0xF7EFE6));
    grid->Bands()->SetSecondaryColor(clWhite);
    return grid;
}

// The user's own data, ready to edit, copy and paste, sort, filter and search; Ctrl+F shows the
// search footer.
void SetUpCsvGrid(TPlusStringGrid* grid)
{
    grid->SetOptions(grid->Options() - TGridOptions{goRowSelect} + TGridOptions{goEditing});
    grid->Navigation()->AllowClipboardShortCuts = true;
    grid->SortSettings()->Show = true;
    grid->SetFilterDropDownAuto(true);
    // columns as wide as their texts, header buttons included (measuring a big file's every
    // cell would keep its user waiting)
    if (grid->RowCount() <= 5000)
        grid->AutoSizeColumns(false, 30);
    else // room for the row numbers
        grid->SetColWidths(0, 16 + 8 * int(std::to_string(grid->RowCount()).size()));
    TSearchFooter* footer = grid->SearchFooter();
    footer->SetFindNextCaption("Find &next");
    footer->SetFindPrevCaption("Find &previous");
    footer->SetHighLightCaption("Highlight");
    footer->SetMatchCaseCaption("Match case");
    footer->SetHintClose("Close");
    grid->OnKeyDown = [grid](TObject*, WORD& key, TShiftState shift) {
        if (key == 'F' && shift.Contains(ssCtrl)) {
            grid->SearchFooter()->SetVisible(true);
            if (TSearchPanel* panel = grid->SearchPanel())
                panel->Edit->SetFocus();
            key = 0;
        }
    };
}

// The sample data sorted on the yield, with group headers and summaries coloured.
void SetUpSampleGrid(TPlusStringGrid* grid)
{
    FillSample(grid);
    grid->SortSettings()->Show = true;
    grid->SortSettings()->Column = 3;
    grid->Grouping()->Summary = true;
    grid->Grouping()->HeaderColor = TColor(0xF0D8C0);
    grid->Grouping()->SummaryColor = TColor(0xE8E8E8);
    grid->Grouping()->HeaderUnderline = true;
}

void AddButton(TForm* form, int left, int width, const char* caption, std::function<void()> action)
{
    auto* b = new TButton(form);
    b->SetParent(form);
    b->SetBounds(left, 8, width, 28);
    b->SetCaption(caption);
    b->OnClick = [action](TObject*) { action(); };
}

// Over a CSV file: the Search and Clear filter buttons and a status line with what the user has
// in front of them (the rows shown and the current cell's text).
void AddCsvControls(TForm* form, TPlusStringGrid* grid)
{
    auto* status = new TLabel(form);
    status->SetName("Status");
    status->SetParent(form);
    status->SetShowAccelChar(false);
    status->SetBounds(254, 14, 538, 20);
    auto* poll = new TTimer(form);
    poll->SetInterval(150);
    poll->SetOnTimer([grid, status](TObject*) {
        const int shown = grid->RowCount() - grid->FixedRows();
        const String text = "Rows shown: " + std::to_string(shown) + " of " +
                            std::to_string(grid->GetAllRowCount() - grid->FixedRows()) + "; cell " +
                            std::to_string(grid->Col()) + "," + std::to_string(grid->Row()) + ": " +
                            grid->Cells(grid->Col(), grid->Row());
        if (status->Caption() != text)
            status->SetCaption(text);
    });
    AddButton(form, 8, 100, "Search", [grid] {
        grid->SearchFooter()->SetVisible(!grid->SearchFooter()->Visible());
        if (TSearchPanel* panel = grid->SearchPanel(); panel && panel->Visible())
            panel->Edit->SetFocus();
    });
    AddButton(form, 116, 120, "Clear filter", [grid] {
        grid->SetFilterActive(false);
        grid->Filter()->Clear();
        grid->Invalidate();
    });
}

// Over the sample: buttons that group, hide and show rows and open and close the groups.
void AddSampleButtons(TForm* form, TPlusStringGrid* grid)
{
    AddButton(form, 8, 140, "Group by region", [grid] { grid->GroupRowsByColumn(1); });
    AddButton(form, 156, 90, "Ungroup", [grid] { grid->Ungroup(); });
    AddButton(form, 254, 130, "Hide rows 3-5", [grid] { grid->HideRows(3, 5); });
    AddButton(form, 392, 120, "Show all rows", [grid] { grid->UnhideAllRows(); });
    AddButton(form, 520, 140, "Contract groups", [grid] { grid->ContractAllNodes(); });
    AddButton(form, 668, 124, "Expand groups", [grid] { grid->ExpandAllNodes(); });
}

// Draws the shown window into the file once it has painted, and ends.
int SaveScreenshot(TForm* form, const char* file)
{
    form->Show();
    QTimer::singleShot(300, [form, file] {
        form->Host()->grab().save(file);
        Application->Terminate();
    });
    QApplication::exec();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    TQApplication app(argc, argv);
    ApplyStandardLook();
    const DemoOptions options = ParseArguments(argc, argv);

    Application->SetTitle("String grid demo");
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("String grid: looks, merged cells, hidden rows, groups, cell graphics");
    form->SetClientWidth(800);
    form->SetClientHeight(470);
    form->Position = poScreenCenter;

    TPlusStringGrid* grid = CreateGrid(form);
    if (options.csv) {
        String error;
        if (!LoadCsv(grid, options.csv, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        form->SetCaption(String("String grid: ") + options.csv);
        SetUpCsvGrid(grid);
        AddCsvControls(form, grid);
        grid->SetSelection(TGridRect{1, 1, 1, 1});
    } else {
        SetUpSampleGrid(grid);
        AddSampleButtons(form, grid);
        if (options.grouped) {
            grid->GroupRowsByColumn(1);
            grid->ContractNode(grid->FixedRows() + 5);
        }
        grid->SetSelection(TGridRect{1, 3, 7, 3});
    }

    if (options.screenshot)
        return SaveScreenshot(form, options.screenshot);
    Application->Run();
    return 0;
}
