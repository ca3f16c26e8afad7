// Shows a base grid with merged cells, coloured cells, scrolling and a range selection.
//   grid_demo [--screenshot file.png]
// With --screenshot the window is drawn into the file and the program ends.
#include "BaseGrid.h"
#include "platform/win/WinLook.h"

#include "platform/framework/Forms.h"

#include <QFont>
#include <QTimer>
#include <cstring>

namespace {

// Paints each cell's own background from its record, as the string grid will.
class DemoGrid : public TBaseGrid {
public:
    using TBaseGrid::TBaseGrid;
    void GetCellColors(int col, int row, TGridDrawState& state, bool, bool, bool, TBrush* brush, TColor& colorTo,
                       TColor&, TColor&, TFont*, TAlignment&, TVAlignment&, bool&, TCellGradientDirection&) override
    {
        const TCellProperties* p = CellProperties(col, row);
        if (!p || state.Contains(gdFixed) || state.Contains(gdSelected))
            return;
        if (p->BrushColor() != clNone)
            brush->Color = p->BrushColor();
        colorTo = p->BrushColorTo();
    }
};

void Fill(TBaseGrid* grid)
{
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    grid->SetColCount(13);
    grid->SetRowCount(40);
    grid->SetFixedRows(2);
    grid->SetDefaultRowHeight(22);
    grid->SetColWidths(0, 90);
    grid->SetCells(0, 0, "Layer");
    grid->MergeCellRange(0, 0, 1, 2);
    grid->SetCells(1, 0, "First half");
    grid->MergeCellRange(1, 0, 6, 1);
    grid->SetCells(7, 0, "Second half");
    grid->MergeCellRange(7, 0, 6, 1);
    for (int c = 1; c <= 12; ++c)
        grid->SetCells(c, 1, months[c - 1]);
    for (int r = 2; r < grid->RowCount(); ++r) {
        grid->SetCells(0, r, "Layer " + IntToStr(r - 1));
        for (int c = 1; c <= 12; ++c)
            grid->SetCells(c, r, FloatToStrF((r * 7 + c * 13) % 97 / 10.0, ffFixed, 8, 1));
    }
    grid->SetCells(2, 3, "dry spell");
    grid->MergeCellRange(2, 3, 3, 2);
    grid->EnsureCellProperties(2, 3)->SetBrushColor(TColor(0xCCF2FF));
    grid->SetCells(6, 6, "merged 2 x 3");
    grid->MergeCellRange(6, 6, 2, 3);
    TCellProperties* p = grid->EnsureCellProperties(6, 6);
    p->SetBrushColor(TColor(0xE6F0D0));
    p->SetBrushColorTo(TColor(0xB0D890));
    grid->EnsureCellProperties(10, 4)->SetBrushColor(TColor(0xC0C0FF));
}

} // namespace

int main(int argc, char** argv)
{
    TQApplication app(argc, argv);
    ApplyStandardLook();
    const char* screenshot = nullptr;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--screenshot") == 0)
            screenshot = argv[i + 1];

    Application->SetTitle("Grid demo");
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("Base grid: merged cells, scrolling, selection");
    form->SetClientWidth(760);
    form->SetClientHeight(420);
    form->Position = poScreenCenter;

    auto* grid = new DemoGrid(form);
    grid->SetParent(form);
    grid->SetBounds(8, 8, 744, 404);
    Fill(grid);
    grid->SetOptions(grid->Options() + TGridOptions{goRangeSelect, goColSizing, goDrawFocusSelected});
    grid->SetSelectionLook(1);
    grid->SetActiveRowShow(true);
    grid->SetTopRow(3);
    grid->SetSelection(TGridRect{8, 12, 10, 14});

    if (screenshot) {
        form->Show();
        QTimer::singleShot(300, [form, screenshot] {
            form->Host()->grab().save(screenshot);
            Application->Terminate();
        });
        QApplication::exec();
        return 0;
    }
    Application->Run();
    return 0;
}
