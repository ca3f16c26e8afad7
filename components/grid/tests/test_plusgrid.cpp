#include "components/grid/PlusGrid.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"
#include "platform/rtl/SysUtils.h"

#include <QApplication>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct GridFixture {
    GridFixture()
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(6);
        grid->SetRowCount(8);
    }
    TForm form{nullptr};
    TPlusStringGrid* grid = nullptr;
};

} // namespace

TEST(PlusGridLife, ConstructorDefaults)
{
    GridFixture f;
    TPlusStringGrid g(nullptr);
    EXPECT_EQ(g.ClassName(), "TPlusStringGrid");
    EXPECT_EQ(g.RowCount(), 10);
    EXPECT_EQ(g.DefaultRowHeight(), 22);
    EXPECT_EQ(g.FixedRowHeight(), 22);
    EXPECT_EQ(g.VAlignment(), vtaTop);
    EXPECT_EQ(g.HighestRowCount, 10);
    EXPECT_EQ(g.ScrollBars(), ssBoth);
    EXPECT_EQ(g.Width(), 400);
    EXPECT_EQ(g.Height(), 250);
    EXPECT_TRUE(g.ControlStyle.Contains(csAcceptsControls));
    EXPECT_TRUE(g.WordWrap);
    EXPECT_EQ(g.FloatFormat, "%.2f");
    EXPECT_EQ(g.SelectionColor(), TColor(0xEACAB6));
    EXPECT_EQ(g.SelectionColorTo(), clNone);
    EXPECT_EQ(g.BorderColor(), TColor(0xB99D7F));
    EXPECT_EQ(g.URLColor, TColor(0xFF0000));
    EXPECT_EQ(g.ActiveCellColor(), clGray);
    EXPECT_EQ(g.DisabledFontColor, clSilver);
    EXPECT_EQ(g.Look(), glXP);
    EXPECT_EQ(g.InvalidEntryIcon, ieWarning);
    EXPECT_EQ(g.FilterDropDownClear, "(All)");
    EXPECT_EQ(g.GroupColumn, -1);
    EXPECT_EQ(g.CurrentColorStyle, 6);
    EXPECT_EQ(g.AdaptedTheme, 10);
    EXPECT_EQ(g.XYOffset.X, 2);
    EXPECT_EQ(g.XYOffset.Y, 2);
    EXPECT_EQ(g.HintCell.X, -1);
    EXPECT_EQ(g.CheckTrueText, "Y");
    EXPECT_EQ(g.CheckFalseText, "N");
    EXPECT_EQ(g.PasswordChar, '*');
    EXPECT_TRUE(g.WriteZeroDates);
    EXPECT_TRUE(g.StretchPending);
    EXPECT_EQ(g.FixedLookColors.From, TColor(0xFFFFFF));
    EXPECT_EQ(g.FixedLookColors.To, ColorToRGB(clBtnFace));
    EXPECT_EQ(g.GetVersion(), "3.4.2.0");
    g.SetVersion("9.9");
    EXPECT_EQ(g.GetVersion(), "3.4.2.0");
}

TEST(PlusGridCells, IntegerReading)
{
    GridFixture f;
    struct Case {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {" 12 ", true, 12},   {"$1F", true, 31},        {"0x1f", true, 31},        {"x1F", true, 31},
        {"", true, 0},        {"-", true, 0},           {"-42", true, -42},        {"+7", true, 7},
        {"2147483647", true, 2147483647}, {"-2147483648", true, INT32_MIN},
        {"12.5", false, 0},   {"1,000", false, 0},      {"3000000000", false, 0},  {"abc", false, 0},
        {"$", false, 0},      {"0x", false, 0},         {"12abc", false, 0},       {"--1", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        f.grid->SetCells(1, 1, c.text);
        if (c.ok) {
            EXPECT_EQ(f.grid->GetCellInteger(1, 1), c.value);
        } else {
            try {
                f.grid->GetCellInteger(1, 1);
                ADD_FAILURE() << "no error";
            } catch (const EPlusGridError& e) {
                EXPECT_STREQ(e.what(), "Cell does not contain integer value");
            }
            EXPECT_EQ(f.grid->Cells(1, 1), c.text); // the cell is left unchanged
        }
    }
    f.grid->SetCellInteger(2, 3, -17);
    EXPECT_EQ(f.grid->Cells(2, 3), "-17");
    EXPECT_EQ(f.grid->GetCellInteger(2, 3), -17);
}

TEST(PlusGridCells, FloatReadingAndWriting)
{
    GridFixture f;
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"(12.5)", -12.5}, {"1,234.5", 1234.5}, {"USD 7", 7}, {"12abc", 12}, {"", 0}, {"abc", 0}, {"-3.25", -3.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        f.grid->SetCells(0, 2, c.text);
        EXPECT_DOUBLE_EQ(f.grid->GetCellFloat(0, 2), c.value);
    }

    struct Write {
        const char* format;
        double value;
        const char* text;
    } writes[] = {
        {"%.2f", 3.14159, "3.14"},
        {"%.1f kg", 2.25, "2.2 kg"},
        {"%.3e", 1500, "1.500e+03"},
        {"100%% %.0f", 5, "100% 5"},
        // patterns that a single float cannot safely fill fall back to two decimals
        {"%s", 1.5, "1.50"},
        {"%d", 1.5, "1.50"},
        {"%f %f", 1.5, "1.50"},
        {"%n", 1.5, "1.50"},
        {"%999999f", 1.5, "1.50"},
        {"plain", 1.5, "1.50"},
    };
    for (const Write& w : writes) {
        SCOPED_TRACE(w.format);
        f.grid->FloatFormat = w.format;
        f.grid->SetCellFloat(1, 2, w.value);
        EXPECT_EQ(f.grid->Cells(1, 2), w.text);
    }
}

TEST(PlusGridCells, FloatUsesTheLocaleDecimalSeparator)
{
    GridFixture f;
    const TFormatSettings saved = FormatSettings();
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = '.';
    f.grid->SetCellFloat(1, 1, 3.14159);
    EXPECT_EQ(f.grid->Cells(1, 1), "3,14");
    f.grid->SetCells(1, 2, "1.234,5");
    const double read = f.grid->GetCellFloat(1, 2);
    FormatSettings() = saved;
    EXPECT_DOUBLE_EQ(read, 1234.5);
}

TEST(PlusGridCells, DatesAndZeroDates)
{
    GridFixture f;
    f.grid->SetCellDate(1, 1, 0);
    EXPECT_EQ(f.grid->Cells(1, 1), DateToStr(0));
    f.grid->WriteZeroDates = false;
    f.grid->SetCellDate(1, 1, 0);
    EXPECT_EQ(f.grid->Cells(1, 1), "");
    f.grid->SetCellDate(1, 1, -3);
    EXPECT_EQ(f.grid->Cells(1, 1), "");
    f.grid->SetCellDate(1, 1, 45000.75);
    EXPECT_EQ(f.grid->Cells(1, 1), DateToStr(45000.75));
}

TEST(PlusGridCells, ColoursAndIndexesOutsideTheGrid)
{
    GridFixture f;
    auto* g = f.grid;
    EXPECT_EQ(g->GetColors(2, 2), clNone);
    EXPECT_FALSE(g->HasCellProperties(2, 2)); // reading creates nothing
    g->SetColors(2, 2, clRed);
    g->SetColorsTo(2, 2, clYellow);
    g->SetFontColors(2, 2, clBlue);
    EXPECT_EQ(g->GetColors(2, 2), clRed);
    EXPECT_EQ(g->CellProperties(2, 2)->BrushColorTo(), clYellow);
    EXPECT_EQ(g->CellProperties(2, 2)->FontColor, clBlue);

    // every writer ignores a cell outside the grid, every reader answers the empty value
    const std::pair<int, int> outside[] = {{-1, 0}, {0, -1}, {6, 0}, {0, 8}, {INT32_MAX, INT32_MAX}, {INT32_MIN, 3}};
    for (const auto& [c, r] : outside) {
        SCOPED_TRACE(std::to_string(c) + "," + std::to_string(r));
        g->SetCellInteger(c, r, 5);
        g->SetCellFloat(c, r, 5);
        g->SetCellDate(c, r, 5);
        g->SetColors(c, r, clRed);
        g->SetColorsTo(c, r, clRed);
        g->SetFontColors(c, r, clRed);
        EXPECT_EQ(g->GetCellInteger(c, r), 0);
        EXPECT_EQ(g->GetCellFloat(c, r), 0);
        EXPECT_EQ(g->GetColors(c, r), clNone);
    }
    int written = 0;
    g->ForEachObject([&](int, int, TObject*) { ++written; });
    EXPECT_EQ(written, 1); // only the record of (2, 2)
}

TEST(PlusGridCells, AMillionRowsAddressedAtTheirEdges)
{
    // load time belongs to the benchmark; this checks the far cells and the first one beyond
    TForm form(nullptr);
    auto* g = new TPlusStringGrid(&form);
    g->SetColCount(10);
    g->SetRowCount(1000000);
    g->SetCellInteger(9, 999999, 123);
    g->SetCellInteger(0, 500000, 7);
    EXPECT_EQ(g->GetCellInteger(9, 999999), 123);
    EXPECT_EQ(g->GetCellInteger(0, 500000), 7);
    EXPECT_EQ(g->GetCellInteger(5, 5), 0);
    g->SetCellInteger(0, 1000000, 1); // one beyond: ignored
    EXPECT_EQ(g->GetCellInteger(0, 1000000), 0);
}

TEST(PlusGridDimensions, FixedRowsAndColumnsKeptByTheAlwaysFlags)
{
    GridFixture f;
    auto* g = f.grid;
    g->FixedRowAlways = true;
    g->SetRowCount(1);
    g->SetFixedRows(1);
    EXPECT_EQ(g->TBaseGrid::FixedRows(), 0); // held one below the extent
    EXPECT_EQ(g->RequestedFixedRows, 1);
    EXPECT_EQ(g->FixedRows(), 1);
    g->SetRowCount(5);
    EXPECT_EQ(g->TBaseGrid::FixedRows(), 1); // the asked count comes back
    EXPECT_EQ(g->HighestRowCount, 10);

    g->FixedColAlways = true;
    g->SetColCount(2);
    g->SetFixedCols(3);
    EXPECT_EQ(g->TBaseGrid::FixedCols(), 1);
    EXPECT_EQ(g->RequestedFixedCols, 3);
    g->SetColCount(7);
    EXPECT_EQ(g->TBaseGrid::FixedCols(), 3);
    EXPECT_EQ(g->HighestColCount, 7);

    // without the flag a count at the extent is a clear error and changes nothing
    g->FixedRowAlways = false;
    g->FixedColAlways = false;
    g->SetFixedCols(0);
    EXPECT_EQ(g->FixedCols(), 0);
    EXPECT_THROW(g->SetFixedRows(5), EInvalidGridOperation);
    EXPECT_THROW(g->SetFixedRows(-1), EInvalidGridOperation);
    EXPECT_EQ(g->FixedRows(), 1);
    EXPECT_EQ(g->RequestedFixedRows, 1);

    // while loading the asked counts are not recorded; the end of loading records what was loaded
    g->BeginLoading();
    g->SetFixedRows(2);
    EXPECT_EQ(g->RequestedFixedRows, 1);
    g->SetFixedRowHeight(40);
    g->SetFixedColWidth(90);
    g->EndLoading();
    EXPECT_EQ(g->RequestedFixedRows, 2);
    EXPECT_EQ(g->FixedRowHeight(), 40);
    EXPECT_EQ(g->RowHeights(0), g->DefaultRowHeight());
    EXPECT_NE(g->ColWidths(0), 90);
}

TEST(PlusGridDimensions, FixedRowHeightAndColumnWidth)
{
    GridFixture f;
    auto* g = f.grid;
    g->SetFixedRows(2);
    g->SetFixedCols(1);
    g->SetRowHeights(5, 50);
    g->SetFixedRowHeight(30); // only the fixed rows
    EXPECT_EQ(g->RowHeights(0), 30);
    EXPECT_EQ(g->RowHeights(1), 30);
    EXPECT_EQ(g->RowHeights(2), 22);
    EXPECT_EQ(g->RowHeights(5), 50);
    g->SetFixedRowHeight(22); // the default: every row takes it
    EXPECT_EQ(g->RowHeights(0), 22);
    EXPECT_EQ(g->RowHeights(5), 22);

    g->SetFixedColWidth(80);
    EXPECT_EQ(g->FixedColWidth(), 80);
    EXPECT_EQ(g->ColWidths(1), g->DefaultColWidth());
    g->SetFixedColWidth(g->DefaultColWidth()); // does nothing, even after a resize
    EXPECT_EQ(g->FixedColWidth(), 80);

    g->SetFixedFooters(2);
    g->SetFixedRightCols(1);
    EXPECT_EQ(g->FixedFooters(), 2);
    EXPECT_EQ(g->FixedRightCols(), 1);

    const std::pair<TVAlignment, int> flags[] = {{vtaCenter, 4}, {vtaBottom, 8}, {vtaTop, 0}};
    for (const auto& [alignment, flag] : flags) {
        g->SetVAlignment(alignment);
        EXPECT_EQ(g->VAlignment(), alignment);
        EXPECT_EQ(g->VAlignFlags, flag);
    }
    g->SetWordWrap(false);
    EXPECT_FALSE(g->WordWrap);
}

TEST(PlusGridLooks, ChangedValuesRepaintAndTheSameValueDoesNot)
{
    GridFixture f;
    f.form.SetClientWidth(500);
    f.form.SetClientHeight(300);
    f.form.Show();
    QApplication::processEvents();
    auto* g = f.grid;
    int paints = 0;
    g->ControlHost()->PaintRecorder = nullptr;
    auto repainted = [&](const std::function<void()>& change) {
        QApplication::processEvents();
        TGdiRecorder log;
        g->ControlHost()->PaintRecorder = &log;
        change();
        QApplication::processEvents();
        g->ControlHost()->PaintRecorder = nullptr;
        paints = int(log.Records.size());
        return paints > 0;
    };
    EXPECT_FALSE(repainted([&] { g->SetSelectionColor(g->SelectionColor()); }));
    EXPECT_TRUE(repainted([&] { g->SetSelectionColor(clRed); }));
    EXPECT_EQ(g->SelectionColor(), clRed);
    EXPECT_TRUE(repainted([&] { g->SetVAlignment(g->VAlignment()); })); // always repaints
    g->UpdateCount = 1;
    EXPECT_FALSE(repainted([&] { g->SetVAlignment(vtaCenter); }));
    g->UpdateCount = 0;
    EXPECT_FALSE(repainted([&] { g->SetShowSelection(true); }));
    EXPECT_TRUE(repainted([&] { g->SetShowSelection(false); }));
    EXPECT_FALSE(g->ShowSelection);
}
