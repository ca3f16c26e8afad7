// The string grid's settings objects and stored column layout, its cell query hooks, the row
// and column selection lists, headers and highlights, sub-grouping, scrolling and stretching,
// and the copy of one grid into another.
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"
#include "platform/framework/IniFiles.h"
#include "platform/win/WinWindow.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct SettingsGrid {
    explicit SettingsGrid(int cols = 5, int rows = 10)
    {
        form.SetClientWidth(400);
        form.SetClientHeight(300);
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetBounds(0, 0, 400, 250);
        grid->SetColCount(cols);
        grid->SetRowCount(rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                grid->SetCells(c, r, "c" + std::to_string(c) + "r" + std::to_string(r));
    }
    TForm form{nullptr};
    TPlusStringGrid* grid = nullptr;
};

} // namespace

TEST(PlusGridSettings, ObjectsCopyTheirSettingsAndIgnoreOtherSources)
{
    THTMLSettings a, b;
    a.Width = 80;
    a.ExportImages = false;
    a.TableStyle = "x";
    b.Assign(&a);
    EXPECT_EQ(b.Width, 80);
    EXPECT_EQ(b.TableStyle, "x");
    EXPECT_TRUE(b.ExportImages); // never copied
    TColumnSize c, d;
    c.Key = "k";
    c.StretchColumn = 2;
    c.Location = clIniFile;
    d.Assign(&c);
    EXPECT_EQ(d.Key, "k");
    EXPECT_EQ(d.StretchColumn, 2);
    EXPECT_EQ(d.Location, clIniFile);
    d.Assign(&a); // another class: nothing changes
    EXPECT_EQ(d.Key, "k");
    TPrintSettings p, q;
    EXPECT_EQ(p.DateFormat, "dd/mm/yyyy");
    EXPECT_EQ(p.Borders, pbSingle);
    p.TitleLines()->Add("title");
    p.Font()->Name = "Courier";
    q.Assign(&p);
    EXPECT_EQ(q.TitleLines()->Strings(0), "title");
    EXPECT_EQ(q.Font()->Name, "Courier");
    EXPECT_NE(q.Font(), p.Font()); // by content
    EXPECT_THROW(q.Assign(&a), EConvertError);
}

TEST(PlusGridSettings, BackgroundSettersRepaintEvenWhenUnchanged)
{
    SettingsGrid f;
    f.form.Show();
    f.grid->Update();
    TBackGround* bg = f.grid->BackGround();
    EXPECT_EQ(bg->Color(), clWindow);
    EXPECT_EQ(bg->ColorTo(), clBtnFace);
    EXPECT_EQ(bg->Display(), bdTile);
    f.grid->PaintedCellCount = -1;
    bg->SetColor(bg->Color());
    f.grid->Update();
    EXPECT_GT(f.grid->PaintedCellCount, 0);
}

TEST(PlusGridLayout, ColumnWidthsAndOrderGoToTheStoreAndComeBack)
{
    QTemporaryDir dir;
    const String ini = dir.filePath("layout.ini").toStdString();
    {
        SettingsGrid f(3, 4);
        f.grid->ColumnSize()->Location = clIniFile;
        f.grid->ColumnSize()->Key = ini;
        f.grid->ColumnSize()->Section = "Grid";
        f.grid->SetColWidths(1, 77);
        f.grid->StoreColumnWidths();
    }
    {
        TMemIniFile store(ini);
        store.WriteInteger("Grid", "Col2", 0); // a stored width of 0 is taken as it is
        for (int i = 0; i < 3; ++i)
            store.WriteInteger("Grid", "Pos" + std::to_string(i), std::vector<int>{2, 0, 1}[size_t(i)]);
        store.UpdateFile();
    }
    SettingsGrid f(3, 4);
    f.grid->ColumnSize()->Location = clIniFile;
    f.grid->ColumnSize()->Key = ini;
    f.grid->ColumnSize()->Section = "Grid";
    f.grid->RestoreColumnWidths();
    EXPECT_EQ(f.grid->ColWidths(1), 77);
    EXPECT_EQ(f.grid->ColWidths(2), 0);
    // stored positions 2, 0, 1: the inverse 1, 2, 0 is applied and the list keeps what was stored
    f.grid->RestoreColumnOrder();
    EXPECT_EQ(f.grid->Cells(0, 1), "c2r1");
    EXPECT_EQ(f.grid->Cells(1, 1), "c0r1");
    EXPECT_EQ(f.grid->Cells(2, 1), "c1r1");
    EXPECT_EQ(f.grid->ColumnOrder()->GetCommaText(), "2,0,1");

    // positions that do not name every column once move nothing
    {
        TMemIniFile store(ini);
        store.WriteInteger("Grid", "Pos1", 2);
        store.UpdateFile();
    }
    SettingsGrid g(3, 4);
    g.grid->ColumnSize()->Location = clIniFile;
    g.grid->ColumnSize()->Key = ini;
    g.grid->ColumnSize()->Section = "Grid";
    g.grid->RestoreColumnOrder();
    EXPECT_EQ(g.grid->Cells(0, 1), "c0r1");
    // without a key nothing is read or written
    g.grid->ColumnSize()->Key.clear();
    g.grid->SetColWidths(0, 33);
    g.grid->RestoreColumnWidths();
    EXPECT_EQ(g.grid->ColWidths(0), 33);
}

TEST(PlusGridHooks, FixedCellsEditingAndFilterValues)
{
    SettingsGrid f(3, 4);
    auto* g = f.grid;
    // with FixedRowAlways a grid shrunk to its asked fixed rows is fixed everywhere
    g->FixedRowAlways = true;
    g->SetRowCount(1);
    g->SetFixedRows(1);
    EXPECT_TRUE(g->DoIsFixedCell(2, 0));
    g->FixedRowAlways = false;
    g->SetRowCount(5);
    g->SetFixedRows(1);
    EXPECT_FALSE(g->DoIsFixedCell(2, 3));
    g->OnIsFixedCell = [](TObject*, int row, int, bool& fixed) { fixed = row == 3; };
    EXPECT_TRUE(g->DoIsFixedCell(2, 3));

    // a cell with a record is editable only in an editable grid and not read-only
    g->SetColors(1, 2, clRed);
    EXPECT_FALSE(g->CanEditCell(1, 2));
    g->SetOptions(g->Options() << goEditing);
    EXPECT_TRUE(g->CanEditCell(1, 2));
    g->SetReadOnly(1, 2, true);
    EXPECT_FALSE(g->CanEditCell(1, 2));
    EXPECT_TRUE(g->CanEditCell(2, 2)); // no record: the event alone decides

    // a permanent combo button needs DropDownAlwaysVisible and a combo editor
    EXPECT_FALSE(g->HasComboBox(1, 1));
    g->DropDownAlwaysVisible = true;
    g->DefaultEditor = edComboList;
    EXPECT_TRUE(g->HasComboBox(1, 1));
    EXPECT_TRUE(g->HasComboBox(0, 0)); // fixed cells too
    g->DefaultEditor = edSpinEdit;
    EXPECT_TRUE(g->HasSpinEdit(1, 1));
    EXPECT_FALSE(g->HasSpinEdit(0, 0)); // never for fixed cells

    // the filter values: the clear entry first, a value with a blank as a name and a quoted value
    g->SetCells(1, 1, "x");
    g->SetCells(1, 2, "a b");
    g->SetCells(1, 3, "x");
    g->SetCells(1, 4, " x ");
    g->SetFilterDropDownAuto(true);
    ASSERT_TRUE(g->BuildColumnFilterList(1));
    EXPECT_EQ(g->FilterValues()->Count(), 3);
    EXPECT_EQ(g->FilterValues()->Strings(0), "(All)");
    EXPECT_EQ(g->FilterValues()->Strings(1), "a b=\"a b\"");
    EXPECT_EQ(g->FilterValues()->Strings(2), "x");
}

TEST(PlusGridHooks, ExportTextAndAutoDeletedRows)
{
    SettingsGrid f(3, 3);
    auto* g = f.grid;
    g->AddCheckBox(1, 1, true);
    g->SetCells(1, 1, "");
    String text;
    g->SaveCellText(1, 1, text);
    EXPECT_EQ(text, "Y");
    g->SetCells(2, 1, "<b>bold</b> text");
    g->SaveCellText(2, 1, text);
    EXPECT_EQ(text, "<b>bold</b> text");
    g->ExportHTMLTags = false;
    g->SaveCellText(2, 1, text);
    EXPECT_EQ(text, "bold text");
    g->SetCells(2, 2, "=1+1"); // a formula exports as stored
    g->SaveCellText(2, 2, text);
    EXPECT_EQ(text, "=1+1");

    // the only scrollable row is emptied, not removed, and the event still fires
    g->SetRowCount(2);
    g->SetCells(1, 1, "keep?");
    int deleted = -1;
    g->OnAutoDeleteRow = [&](TObject*, int row) { deleted = row; };
    g->AutoDeleteRow(1);
    EXPECT_EQ(g->RowCount(), 2);
    EXPECT_EQ(g->Cells(1, 1), "");
    EXPECT_EQ(deleted, 1);
    int l = 0, t = 0, r = 0, b = 0;
    g->OnSelectionChanged = [&](TObject*, int a, int c, int d, int e) { l = a, t = c, r = d, b = e; };
    g->SelectionChanged(4, 3, 2, 1);
    EXPECT_EQ((std::vector<int>{l, t, r, b}), (std::vector<int>{4, 3, 2, 1}));
}

TEST(PlusGridSelection, ListsCheckTheirIndexesAndKeepTheOrder)
{
    SettingsGrid f(4, 6);
    auto* g = f.grid;
    EXPECT_THROW(g->GetRowSelected(6), EPlusGridError);
    EXPECT_THROW(g->GetRowSelected(-1), EPlusGridError);
    EXPECT_THROW(g->SetColSelected(4, true), EPlusGridError);
    // without the disjunct selection the selection rectangle answers, drawn either way
    g->SetSelection(TGridRect{1, 4, 1, 2});
    EXPECT_TRUE(g->GetRowSelected(3));
    EXPECT_EQ(g->SelectedRowCount(), 3);
    g->MouseActions()->SetDisjunctRowSelect(true);
    EXPECT_FALSE(g->GetRowSelected(5));
    g->SetRowSelected(4, true);
    g->SetRowSelected(2, true);
    g->SetRowSelected(4, true);
    EXPECT_EQ(g->SelectedRowOrder()->GetCommaText(), "4,2");
    EXPECT_EQ(g->SelectedRowCount(), 2);
    bool allow = false;
    int told = 0;
    g->OnRowDisjunctSelect = [&](TObject*, int, bool, bool& a) { a = allow; };
    g->OnRowDisjunctSelected = [&](TObject*, int) { ++told; };
    g->SetRowSelected(1, true); // vetoed
    EXPECT_FALSE(g->GetRowSelected(1));
    EXPECT_EQ(told, 0);
    allow = true;
    g->SetRowSelected(4, false);
    EXPECT_EQ(g->SelectedRowOrder()->GetCommaText(), "2");
    EXPECT_EQ(told, 1);
    g->ClearRowSelection();
    EXPECT_EQ(g->SelectedRowCount(), 0);
    EXPECT_EQ(g->SelectedRowOrder()->Count(), 0);
}

TEST(PlusGridHeaders, HeaderListsFillTheirRowAndColumnAndHighlightsComeAndGo)
{
    SettingsGrid f(5, 4);
    auto* g = f.grid;
    TStringList headers;
    headers.Add("A");
    headers.Add("B\\nline");
    headers.Add("C");
    g->SetColumnHeaders(&headers);
    EXPECT_EQ(g->Cells(0, 0), "A");
    EXPECT_EQ(g->Cells(1, 0), "B\rline");
    EXPECT_EQ(g->Cells(3, 0), ""); // emptied
    EXPECT_EQ(g->Cells(4, 0), "");
    g->ColumnHeaders()->Strings(0); // the list is the grid's
    g->ColumnHeaders()->Add("D");
    EXPECT_EQ(g->Cells(3, 0), "D");

    g->SetCells(2, 2, "find me, find");
    g->HighlightInGrid(false, false, "find");
    EXPECT_EQ(g->Cells(2, 2), "<hi>find</hi> me, <hi>find</hi>");
    g->RemoveAllHighlights(false);
    EXPECT_EQ(g->Cells(2, 2), "find me, find");
}

TEST(PlusGridGroups, SubGroupingAddsSubHeadersInsideTheGroupsAndSubUngroupRestoresThem)
{
    SettingsGrid f(5, 7); // the sub-header text goes into the column right of the sub-grouped one
    auto* g = f.grid;
    const char* keys[] = {"A", "A", "A", "B", "B", "B"};
    const char* subs[] = {"x", "x", "y", "z", "z", "z"};
    for (int r = 1; r <= 6; ++r) {
        g->SetCells(2, r, keys[r - 1]);
        g->SetCells(3, r, subs[r - 1]);
    }
    g->GroupRowsByColumn(2); // column 3 becomes column 2
    ASSERT_EQ(g->RowCount(), 9);
    g->SubGroupRowsByColumn(2);
    // A: header, sub x (2 rows), sub y (1 row); B: header, sub z (3 rows)
    struct Expect {
        int row;
        const char* kind; // G group header, S sub-header, D data
        const char* text; // sub-header text in column 3
    };
    const Expect layout[] = {{1, "G", ""}, {2, "S", "x"}, {3, "D", ""}, {4, "D", ""}, {5, "S", "y"}, {6, "D", ""},
                             {7, "G", ""}, {8, "S", "z"}, {9, "D", ""}, {10, "D", ""}, {11, "D", ""}};
    ASSERT_EQ(g->RowCount(), 12);
    for (const Expect& e : layout) {
        const String kind = e.kind;
        EXPECT_EQ(g->IsNodeRow(e.row), kind != "D") << e.row;
        if (kind == "S") {
            EXPECT_EQ(g->GetNodeValue(e.row), 2) << e.row;
            EXPECT_EQ(g->Cells(3, e.row), e.text) << e.row;
        }
        if (kind == "D")
            EXPECT_EQ(g->Cells(2, e.row), "") << e.row; // the values live in the sub-headers
    }
    EXPECT_EQ(g->GetNodeSpan(1), 6); // the group grew by its two sub-headers
    EXPECT_EQ(g->GetNodeSpan(2), 3);

    g->SubUngroup(2);
    ASSERT_EQ(g->RowCount(), 9);
    const char* back[] = {"", "x", "x", "y", "", "z", "z", "z"};
    for (int r = 1; r <= 8; ++r)
        EXPECT_EQ(g->Cells(2, r), back[r - 1]) << r;
    EXPECT_EQ(g->GetNodeSpan(1), 4);
    g->Ungroup();
    EXPECT_EQ(g->RowCount(), 7);
    for (int r = 1; r <= 6; ++r) {
        EXPECT_EQ(g->Cells(2, r), keys[r - 1]) << r;
        EXPECT_EQ(g->Cells(3, r), subs[r - 1]) << r;
    }
}

TEST(PlusGridScroll, StretchingFillsTheWidthAndChecksTheColumn)
{
    SettingsGrid f(5, 4);
    auto* g = f.grid;
    f.form.Show();
    EXPECT_THROW(g->StretchColumn(5), Exception);
    g->ColumnSize()->SetStretch(true);
    int others = 0;
    for (int c = 0; c < 4; ++c)
        others += g->ColWidths(c);
    EXPECT_EQ(g->ColWidths(4), g->ClientWidth() - others - 1);
    // every other width change is followed by a stretch
    g->SetColWidths(1, g->ColWidths(1) + 20);
    EXPECT_EQ(g->ColWidths(4), g->ClientWidth() - others - 20 - 1);
}

TEST(PlusGridScroll, TheThumbHintNamesTheRowAndTheDragScrollsOnTimer)
{
    SettingsGrid f(3, 1000);
    auto* g = f.grid;
    g->SetDefaultRowHeight(10);
    g->SetBounds(0, 0, 300, 10 * 21 + 17 + 4);
    f.form.Show();
    g->ScrollHints = shBoth;
    String asked;
    g->OnScrollHint = [&](TObject*, int row, String& text) { asked = std::to_string(row); };
    const int last = g->RowCount() - g->VisibleRowCount();
    g->Perform(WM_VSCROLL, MAKELONG(SB_THUMBTRACK, last), 0);
    EXPECT_EQ(asked, std::to_string(last));
    EXPECT_EQ(g->ScrollHintText(), "Row : " + std::to_string(last));
    EXPECT_TRUE(g->ScrollHintShown);
    g->Perform(WM_VSCROLL, SB_ENDSCROLL, 0);
    EXPECT_FALSE(g->ScrollHintShown);
    EXPECT_EQ(g->ScrollHintText(), "");

    // a drag resting near the bottom scrolls down; the event can refuse every step
    g->DragScrollOptions()->Active = true;
    bool accept = true;
    g->DragOver(nullptr, 20, g->Height() - 10, dsDragEnter, accept);
    const int top = g->TopRow();
    g->DragScrollTick();
    EXPECT_EQ(g->TopRow(), top + 1);
    g->OnDragScroll = [](TObject*, int, int, TDragScrollDirection&, bool& can) { can = false; };
    g->DragScrollTick();
    EXPECT_EQ(g->TopRow(), top + 1);
    g->DragOver(nullptr, 20, g->Height() - 10, dsDragLeave, accept);
}

TEST(PlusGridScroll, ScrollBarsStayWhenAskedAndThumbsFollowTheContent)
{
    SettingsGrid f(3, 3);
    auto* g = f.grid;
    f.form.Show();
    g->SetScrollBarAlways(saVert);
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    g->SetRowCount(200);
    g->SetScrollProportional(true);
    GetScrollInfo(g->Handle(), SB_VERT, &info);
    EXPECT_GT(int(info.nPage), 1); // the thumb shows the share of rows in view
    EXPECT_EQ(info.nPos, g->TopRow());
    g->SetTopRow(50);
    GetScrollInfo(g->Handle(), SB_VERT, &info);
    EXPECT_EQ(info.nPos, 50);
    EXPECT_GT(int(info.nPage), 1);
}

TEST(PlusGridLifecycle, AssignCopiesSettingsSizesAndTextsButNoColours)
{
    SettingsGrid a(4, 5), b(2, 2);
    a.grid->SetColWidths(2, 99);
    a.grid->SetColors(1, 1, clRed);
    a.grid->Grouping()->ShowGroupCount = true;
    a.grid->ScrollHints = shVertical;
    b.grid->Assign(a.grid);
    EXPECT_EQ(b.grid->ColCount(), 4);
    EXPECT_EQ(b.grid->RowCount(), 5);
    EXPECT_EQ(b.grid->ColWidths(2), 99);
    EXPECT_EQ(b.grid->Cells(3, 4), "c3r4");
    EXPECT_EQ(b.grid->GetColors(1, 1), clNone);
    EXPECT_TRUE(b.grid->Grouping()->ShowGroupCount);
    EXPECT_EQ(b.grid->ScrollHints, shVertical);
    TStringGrid plain(nullptr);
    b.grid->Assign(&plain); // not a string grid of this kind: nothing changes
    EXPECT_EQ(b.grid->ColCount(), 4);
}

TEST(PlusGridLifecycle, TheGridFollowsItsFormAndGivesItsHandlerBack)
{
    auto* form = new TForm(nullptr);
    form->SetBounds(0, 0, 300, 200);
    int theirs = 0;
    form->OnResize = [&](TObject*) { ++theirs; };
    auto* g = new TPlusStringGrid(form);
    g->SetParent(form);
    g->SetBounds(0, 0, 100, 80);
    g->SizeWithForm = true;
    form->SetBounds(0, 0, 330, 220);
    form->OnResize(form);
    EXPECT_EQ(g->Width(), 130);
    EXPECT_EQ(g->Height(), 100);
    EXPECT_EQ(theirs, 1);
    form->SetBounds(0, 0, 100, 50); // the grid would vanish: it keeps its size
    form->OnResize(form);
    EXPECT_EQ(g->Width(), 130);
    delete g;
    form->OnResize(form);
    EXPECT_EQ(theirs, 3);
    delete form;
}
