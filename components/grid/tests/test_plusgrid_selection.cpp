// Selection queries, the selection as text, the look border, the balloon text and the
// date-time notice of the string grid, and the never-activating pop-up form.
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinCommCtrl.h"

#include <gtest/gtest.h>

namespace {

struct SelGrid {
    SelGrid()
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(5);
        grid->SetRowCount(6);
        grid->SetFixedCols(1);
        grid->SetFixedRows(1);
    }
    void Select(int left, int top, int right, int bottom)
    {
        grid->SetSelection(TGridRect{left, top, right, bottom});
    }
    TForm form{nullptr};
    TPlusStringGrid* grid = nullptr;
};

} // namespace

TEST(PlusGridSelectionQueries, CellsCountAsSelectedByTheSelectionMode)
{
    SelGrid f;
    f.Select(1, 2, 3, 4);
    struct Case {
        int col, row;
        bool selected;
    } rectangle[] = {{1, 2, true}, {3, 4, true}, {2, 3, true}, {4, 4, false}, {1, 1, false}, {0, 2, false}};
    for (const Case& c : rectangle)
        EXPECT_EQ(f.grid->IsCellSelected(c.col, c.row), c.selected) << c.col << "," << c.row;

    // the disjunct cell list: a listed cell in a fixed column is still not selected
    f.grid->MouseActions()->SetDisjunctCellSelect(true);
    f.grid->SelectedCells()->Add(TPlusStringGrid::PackCell(0, 3));
    f.grid->SelectedCells()->Add(TPlusStringGrid::PackCell(4, 5));
    EXPECT_FALSE(f.grid->IsCellSelected(0, 3));
    EXPECT_TRUE(f.grid->IsCellSelected(4, 5));
    EXPECT_FALSE(f.grid->IsCellSelected(2, 3)); // the rectangle no longer counts
    f.grid->MouseActions()->SetDisjunctCellSelect(false);

    f.grid->MouseActions()->SetDisjunctRowSelect(true);
    f.grid->SetRowSelected(5, true);
    EXPECT_TRUE(f.grid->IsCellSelected(2, 5));
    EXPECT_FALSE(f.grid->IsCellSelected(2, 2));
}

TEST(PlusGridSelectionQueries, SelectionAsTabText)
{
    SelGrid f;
    f.grid->SetCells(1, 1, "a");
    f.grid->SetCells(2, 1, "b");
    f.grid->SetCells(1, 2, "c");
    f.grid->SetCells(2, 2, "d");
    f.grid->SetCells(3, 2, "e");
    f.Select(1, 1, 2, 2);
    EXPECT_EQ(f.grid->SelectionAsText(), "a\tb\r\nc\td");

    f.grid->SetOptions(f.grid->Options() << goRowSelect);
    f.Select(1, 2, 4, 2);
    EXPECT_EQ(f.grid->SelectionAsText(true), "\tc\td\te\t");

    // a rich-text cell gives its plain text
    f.grid->SetOptions(f.grid->Options() >> goRowSelect);
    f.grid->SetCells(1, 3, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 plain \\b bold\\b0\\par}");
    f.Select(1, 3, 1, 3);
    EXPECT_EQ(f.grid->SelectionAsText(), "plain bold");

    // the disjunct row selection takes every selected row
    f.grid->MouseActions()->SetDisjunctRowSelect(true);
    f.grid->SetRowSelected(1, true);
    f.grid->SetRowSelected(2, true);
    f.Select(1, 2, 2, 2);
    EXPECT_EQ(f.grid->SelectionAsText(), "a\tb\r\nc\td");
}

TEST(PlusGridSelectionQueries, BalloonTextIsCleanedAndCut)
{
    SelGrid f;
    struct Case {
        String cell;
        String shown;
    } cases[] = {
        {"\r\n\tlead\tand tab", " lead and tab"}, // the TAB became a blank before the skip
        {"<b>bold</b> text", "bold text"},
        {String(2000, 'x'), String(1021, 'x') + "..."},
        {String(1024, 'y'), String(1024, 'y')},
    };
    for (const Case& c : cases) {
        f.grid->SetCells(2, 2, c.cell);
        EXPECT_EQ(f.grid->BalloonCellText(2, 2), c.shown);
    }
}

TEST(PlusGridSelectionQueries, LookBorderOnlyForBorderedLooks)
{
    SelGrid f;
    struct Case {
        TGridLook look;
        TColor color;
        bool flat;
        bool drawn;
    } cases[] = {
        {glStandard, clRed, false, false}, {glClassic, clRed, false, false}, {glXP, clNone, false, false},
        {glXP, clRed, true, false},        {glXP, clRed, false, true},       {glOffice2007, clRed, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.look));
        f.grid->SetLook(c.look);
        f.grid->SetBorderColor(c.color);
        f.grid->SetFlat(c.flat);
        TBitmap bitmap;
        bitmap.SetSize(40, 30);
        bitmap.Canvas()->Brush->Color = clWhite;
        bitmap.Canvas()->FillRect(TRect(0, 0, 40, 30));
        f.grid->DrawLookBorder(bitmap.Canvas(), 40, 30);
        EXPECT_EQ(bitmap.Canvas()->Pixels(1, 10) == clRed, c.drawn);
        EXPECT_EQ(bitmap.Canvas()->Pixels(38, 10) == clRed, c.drawn);
        // the outermost frame takes the parent's colour
        if (c.drawn)
            EXPECT_EQ(bitmap.Canvas()->Pixels(0, 10), ColorToRGB(f.form.Color()));
    }
}

TEST(PlusGridSelectionQueries, DateTimeNoticeFiresForTheCurrentCell)
{
    SelGrid f;
    f.grid->FocusCell(2, 3);
    std::vector<std::pair<TPoint, TDateTime>> fired;
    f.grid->OnDateTimeChange = [&](TObject*, int col, int row, TDateTime value) {
        fired.push_back({TPoint(col, row), value});
    };
    NMDATETIMECHANGE change;
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.st.wYear = 2024;
    change.st.wMonth = 2;
    change.st.wDay = 29;
    change.st.wHour = 12;
    TMessage m;
    m.Msg = WM_NOTIFY;
    m.LParam = LPARAM(&change);
    f.grid->WMNotify(m);
    change.st.wMonth = 0;
    f.grid->WMNotify(m);
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[0].first, TPoint(2, 3));
    EXPECT_DOUBLE_EQ(double(fired[0].second), double(EncodeDate(2024, 2, 29)) + 0.5);
    EXPECT_DOUBLE_EQ(double(fired[1].second), 0.0);
}

TEST(PlusGridSelectionQueries, NoActiveFormRefusesActivation)
{
    TNoActiveForm form(nullptr);
    EXPECT_EQ(form.Perform(WM_MOUSEACTIVATE, 0, 0), 3);
    form.HandleNeeded();
    EXPECT_EQ(DWORD(form.StyleWord(GWL_STYLE)) & 0xFFFF0000u, 0x88800000u);
}
