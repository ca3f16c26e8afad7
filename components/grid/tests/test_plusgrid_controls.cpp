// Controls in cells: check boxes of every kind, radio groups and radio buttons,
// buttons, ratings, their hit tests and events, and the selection parking and
// scrolling helpers.
#include "components/grid/PlusGrid.h"
#include "components/grid/PlusGridUndoRedo.h"

#include "platform/framework/Forms.h"

#include <gtest/gtest.h>

namespace {

struct ControlsGrid {
    ControlsGrid()
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(5);
        grid->SetRowCount(8);
        grid->SetDefaultColWidth(70);
    }
    TCellGraphic* Make(int col, int row, TCellType type)
    {
        TCellGraphic* g = grid->CreateCellGraphic(col, row);
        g->CellType = type;
        g->CellVAlign = vaCenter;
        return g;
    }
    TCellGraphic* Radio(int col, int row, std::initializer_list<const char*> captions, int index)
    {
        TCellGraphic* g = Make(col, row, ctRadio);
        auto* items = new TStringList;
        for (const char* c : captions)
            items->Add(c);
        g->CellData = items;
        g->CellCreated = true;
        g->CellIndex = index;
        g->CellBoolean = true; // side by side
        return g;
    }
    TForm form{nullptr};
    TPlusStringGrid* grid = nullptr;
};

} // namespace

TEST(PlusGridControls, DataCheckBoxesFollowTheirText)
{
    struct Case {
        const char* text;
        bool checked;
        const char* afterToggle;
        const char* afterTwo;
    } cases[] = {
        {"Y", true, "N", "Y"},      {"N", false, "Y", "N"}, {"y", false, "Y", "N"},
        {"maybe", false, "Y", "N"}, {"", false, "Y", "N"},
    };
    for (const Case& c : cases) {
        ControlsGrid g;
        g.Make(1, 1, ctDataCheckBox);
        g.grid->SetCells(1, 1, c.text);
        bool state = !c.checked;
        EXPECT_TRUE(g.grid->GetCheckBoxState(1, 1, state));
        EXPECT_EQ(state, c.checked) << c.text;
        EXPECT_TRUE(g.grid->ToggleCheckBox(1, 1, false));
        EXPECT_EQ(g.grid->Cells(1, 1), c.afterToggle) << c.text;
        g.grid->ToggleCheckBox(1, 1, false);
        EXPECT_EQ(g.grid->Cells(1, 1), c.afterTwo) << c.text;
    }
    // the check-true text of a cell may come from the event: every such box
    // changes with it
    ControlsGrid g;
    g.Make(1, 1, ctVirtCheckBox);
    g.grid->SetCells(1, 1, "yes");
    g.grid->OnGetCheckTrue = [](TObject*, int, int, String& v) { v = "yes"; };
    bool state = false;
    EXPECT_TRUE(g.grid->GetCheckBoxState(1, 1, state));
    EXPECT_TRUE(state);
}

TEST(PlusGridControls, TogglesAskTheCellAndReportTheChange)
{
    ControlsGrid g;
    g.Make(1, 1, ctCheckBox);
    g.Make(2, 1, ctDataCheckBox);
    g.grid->SetReadOnly(1, 1, true);
    std::vector<std::pair<int, bool>> changes;
    g.grid->OnCheckBoxChange = [&](TObject*, int col, int, bool state) { changes.push_back({col, state}); };
    EXPECT_FALSE(g.grid->ToggleCheckBox(1, 1, true));
    EXPECT_TRUE(changes.empty());
    EXPECT_TRUE(g.grid->ToggleCheckBox(1, 1, false));
    g.grid->ControlLook()->CheckAlwaysActive = true;
    EXPECT_TRUE(g.grid->ToggleCheckBox(1, 1, true));
    EXPECT_EQ(changes, (std::vector<std::pair<int, bool>>{{1, true}, {1, false}}));
    // no control, or a cell outside the grid: nothing
    EXPECT_FALSE(g.grid->ToggleCheckBox(3, 1, false));
    EXPECT_FALSE(g.grid->ToggleCheckBox(-1, 1, false));
    EXPECT_FALSE(g.grid->ToggleCheckBox(1, 99, false));
    bool state = true;
    EXPECT_FALSE(g.grid->GetCheckBoxState(3, 1, state));
    EXPECT_TRUE(state); // untouched
    // ChangeCheckBoxState tells only real changes; SetCheckBoxState tells nothing
    changes.clear();
    EXPECT_TRUE(g.grid->ChangeCheckBoxState(2, 1, true));
    EXPECT_TRUE(g.grid->ChangeCheckBoxState(2, 1, true));
    EXPECT_TRUE(g.grid->SetCheckBoxState(2, 1, false));
    EXPECT_EQ(g.grid->Cells(2, 1), "N");
    EXPECT_EQ(changes, (std::vector<std::pair<int, bool>>{{2, true}}));
    // the undo list records the toggle as the two check texts
    TPlusGridUndoRedo undo(&g.form);
    g.grid->SetUndoRedo(&undo);
    const int before = undo.Changes().Count();
    g.grid->ToggleCheckBox(2, 1, false);
    EXPECT_GT(undo.Changes().Count(), before);
    g.grid->SetUndoRedo(nullptr);
}

TEST(PlusGridControls, RowCheckBoxesAreTheRowSelection)
{
    ControlsGrid g;
    g.grid->MouseActions()->SetHotmailRowSelect(true);
    EXPECT_TRUE(g.grid->IsCheckBoxCell(0, 3));
    EXPECT_TRUE(g.grid->ToggleCheckBox(0, 3, false));
    EXPECT_TRUE(g.grid->GetRowSelected(3));
    bool state = false;
    EXPECT_TRUE(g.grid->GetCheckBoxState(0, 3, state));
    EXPECT_TRUE(state);
    EXPECT_TRUE(g.grid->ChangeCheckBoxState(0, 3, false));
    EXPECT_FALSE(g.grid->GetRowSelected(3));
}

TEST(PlusGridControls, RadioGroupsAndRadioButtons)
{
    ControlsGrid g;
    TCellGraphic* radio = g.Radio(1, 1, {"low", "mid", "high"}, 2);
    g.grid->SelectRadioGroupItem(1, 1, false);
    EXPECT_EQ(radio->CellIndex, 0); // wraps
    EXPECT_EQ(g.grid->Cells(1, 1), "low");
    // driven by text: a text that is no caption selects the first
    radio->CellIndex = -1;
    g.grid->SetCells(1, 1, "other");
    g.grid->SelectRadioGroupItem(1, 1, false);
    EXPECT_EQ(radio->CellIndex, 0);
    radio->CellIndex = -2; // kept as the caption in the text only
    g.grid->SetCells(1, 1, "mid");
    g.grid->SelectRadioGroupItem(1, 1, false);
    EXPECT_EQ(radio->CellIndex, -2);
    EXPECT_EQ(radio->CellVariant, 2);
    EXPECT_EQ(g.grid->Cells(1, 1), "high");
    // an empty caption list has nothing to select
    TCellGraphic* empty = g.Radio(2, 1, {}, 0);
    g.grid->SelectRadioGroupItem(2, 1, false);
    EXPECT_EQ(empty->CellIndex, 0);
    int index = 7;
    EXPECT_TRUE(g.grid->GetRadioIndex(1, 1, index));
    EXPECT_EQ(index, -2);
    EXPECT_TRUE(g.grid->SetRadioIndex(1, 1, -1));
    EXPECT_EQ(g.grid->Cells(1, 1), "");
    EXPECT_FALSE(g.grid->SetRadioIndex(3, 1, 0));

    for (int r = 1; r <= 3; ++r)
        g.Make(3, r, ctRadioButton);
    EXPECT_TRUE(g.grid->SelectRadioButton(3, 1, false));
    EXPECT_TRUE(g.grid->SelectRadioButton(3, 1, false)); // already checked: still True
    EXPECT_TRUE(g.grid->SelectRadioButton(3, 2, false));
    EXPECT_FALSE(g.grid->GetCellGraphicOf(3, 1)->CellBoolean);
    EXPECT_TRUE(g.grid->GetCellGraphicOf(3, 2)->CellBoolean);
    g.grid->CheckRadioButtonInColumn(3, 3);
    EXPECT_FALSE(g.grid->GetCellGraphicOf(3, 2)->CellBoolean);
    EXPECT_TRUE(g.grid->GetCellGraphicOf(3, 3)->CellBoolean);
    EXPECT_FALSE(g.grid->SelectRadioButton(1, 1, false));
}

TEST(PlusGridControls, CheckGlyphAndButtonGeometry)
{
    ControlsGrid g;
    g.Make(1, 1, ctCheckBox);
    const TRect r = g.grid->CellRect(1, 1);
    EXPECT_TRUE(g.grid->HitCellCheckBox(1, 1, r.Right - 2, r.Top + 1));
    g.grid->MouseActions()->PreciseCheckBoxCheck = true;
    const int top = r.Top + (r.Height() - 15) / 2;
    EXPECT_FALSE(g.grid->HitCellCheckBox(1, 1, r.Left + 1, top + 5));
    EXPECT_TRUE(g.grid->HitCellCheckBox(1, 1, r.Left + 2, top + 5));
    EXPECT_TRUE(g.grid->HitCellCheckBox(1, 1, r.Left + 16, top + 14));
    EXPECT_FALSE(g.grid->HitCellCheckBox(1, 1, r.Left + 17, top + 5));
    EXPECT_FALSE(g.grid->HitCellCheckBox(2, 1, r.Left + 2, top + 5));

    TCellGraphic* button = g.Make(2, 2, ctButton);
    button->CellValue = 2 | (1 << 16);
    button->CellIndex = 40 | (20 << 16);
    button->CellVAlign = vaTop;
    const TRect c = g.grid->CellRect(2, 2);
    TRect b;
    ASSERT_TRUE(g.grid->GetCellControlRect(2, 2, b));
    EXPECT_EQ(b, TRect(c.Left + 2, c.Top + 1, c.Left + 42, c.Top + 21));
    button->CellHAlign = haFull;
    ASSERT_TRUE(g.grid->GetCellControlRect(2, 2, b));
    EXPECT_EQ(b.Left, c.Left);
    EXPECT_EQ(b.Right, c.Right);
    EXPECT_FALSE(g.grid->GetCellControlRect(3, 3, b));
}

TEST(PlusGridControls, MouseAndKeyEntriesFireTheControlEvents)
{
    ControlsGrid g;
    // the cells carry properties, so the grid must be editable for their controls to take clicks
    g.grid->SetOptions(g.grid->Options() << goEditing);
    g.grid->SetDefaultRowHeight(24);
    g.Make(1, 1, ctCheckBox);
    g.Radio(2, 1, {"a", "b", "c"}, 0);
    g.Make(3, 1, ctRadioButton);
    TCellGraphic* button = g.Make(4, 1, ctButton);
    button->CellIndex = 40 | (18 << 16);
    button->CellValue = 2 | (2 << 16);
    button->CellText = "Go";
    TCellGraphic* rating = g.Make(1, 2, ctRating);
    rating->CellAngle = 5;
    std::vector<String> log;
    g.grid->OnCheckBoxClick = [&](TObject*, int c, int r, bool s) {
        log.push_back("check " + std::to_string(c) + "," + std::to_string(r) + (s ? " on" : " off"));
    };
    g.grid->OnRadioClick = [&](TObject*, int c, int, int i) {
        log.push_back("radio " + std::to_string(c) + " " + std::to_string(i));
    };
    g.grid->OnButtonClick = [&](TObject*, int c, int r) {
        log.push_back("button " + std::to_string(c) + "," + std::to_string(r));
    };
    double offered = 0;
    bool allowRate = false;
    g.grid->OnRatingChange = [&](TObject*, int, int, double& rate, bool& allow) {
        offered = rate;
        allow = allowRate;
    };
    TRect r = g.grid->CellRect(1, 1);
    EXPECT_TRUE(g.grid->CellControlMouseDown(1, 1, r.Left + 5, r.Top + 5));
    EXPECT_TRUE(g.grid->CellControlKey(1, 1));

    // the second radio item lies right of the first glyph and caption
    r = g.grid->CellRect(2, 1);
    const std::vector<TRect> items = g.grid->RadioItemRects(g.grid->Canvas(), r, g.grid->GetRadioItems(2, 1), 3, true);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(g.grid->HitRadioItem(2, 1, items[1].Left + 1, items[1].Top + 1), 1);
    EXPECT_TRUE(g.grid->CellControlMouseDown(2, 1, items[1].Left + 1, items[1].Top + 1));
    EXPECT_EQ(g.grid->Cells(2, 1), "b");
    EXPECT_TRUE(g.grid->CellControlKey(2, 1));
    EXPECT_EQ(g.grid->Cells(2, 1), "c");

    r = g.grid->CellRect(3, 1);
    EXPECT_TRUE(g.grid->CellControlMouseDown(3, 1, r.Left + 4, r.Top + 4));

    // a button is pressed on the way down and clicked on a release over it
    r = g.grid->CellRect(4, 1);
    EXPECT_FALSE(g.grid->CellControlMouseDown(4, 1, r.Left + 60, r.Top + 5));
    EXPECT_TRUE(g.grid->CellControlMouseDown(4, 1, r.Left + 5, r.Top + 5));
    EXPECT_TRUE(button->CellBoolean);
    EXPECT_TRUE(g.grid->CellControlMouseUp(4, 1, r.Left + 6, r.Top + 6));
    EXPECT_FALSE(button->CellBoolean);
    g.grid->CellControlMouseDown(4, 1, r.Left + 5, r.Top + 5);
    g.grid->CellControlMouseUp(2, 2, 0, 0); // released elsewhere: no click
    EXPECT_FALSE(button->CellBoolean);
    EXPECT_FALSE(g.grid->CellControlMouseUp(4, 1, r.Left + 5, r.Top + 5));

    // a rating asks before it takes the star under the mouse
    r = g.grid->CellRect(1, 2);
    g.grid->SetCells(1, 2, "1");
    EXPECT_TRUE(g.grid->CellControlMouseDown(1, 2, r.Left + 1 + 2 * 18 + 5, r.Top + 5));
    EXPECT_EQ(offered, 3.0);
    EXPECT_EQ(g.grid->Cells(1, 2), "1");
    allowRate = true;
    g.grid->CellControlMouseDown(1, 2, r.Left + 1 + 3 * 18 + 5, r.Top + 5);
    EXPECT_EQ(g.grid->Cells(1, 2), "4");
    EXPECT_FALSE(g.grid->CellControlMouseDown(1, 2, r.Left + 1 + 5 * 18 + 5, r.Top + 5));

    EXPECT_FALSE(g.grid->CellControlMouseDown(-1, 1, 0, 0));
    EXPECT_FALSE(g.grid->CellControlMouseDown(1, 50, 0, 0));
    EXPECT_EQ(log, (std::vector<String>{"check 1,1 on", "check 1,1 off", "radio 2 1", "radio 2 2", "radio 3 0",
                                        "button 4,1"}));
}

TEST(PlusGridControls, QueriesOfTheOtherCellKinds)
{
    ControlsGrid g;
    TCellGraphic* shape = g.Make(1, 1, ctShape);
    shape->CellIndex = int(clRed);
    EXPECT_EQ(g.grid->GetShapeColor(1, 1), clRed);
    g.grid->SetShapeColor(1, 1, clBlue);
    EXPECT_EQ(g.grid->GetShapeColor(1, 1), clBlue);
    EXPECT_EQ(g.grid->GetShapeColor(2, 1), clNone);
    g.grid->AddComment(2, 1, "note");
    String comment;
    EXPECT_TRUE(g.grid->GetCellComment(2, 1, comment));
    EXPECT_EQ(comment, "note");
    TCellGraphic* balloon = g.Make(3, 1, ctBalloon);
    auto* list = new TStringList;
    list->Add("Title");
    list->Add("Text");
    balloon->CellData = list;
    balloon->CellIndex = 2;
    int icon = -1;
    String text, title;
    EXPECT_TRUE(g.grid->GetCellBalloonInfo(3, 1, icon, text, title));
    EXPECT_EQ(title, "Title");
    EXPECT_EQ(text, "Text");
    EXPECT_EQ(icon, 2);
    EXPECT_FALSE(g.grid->GetCellBalloonInfo(1, 1, icon, text, title));
    TCellGraphic* bar = g.Make(4, 1, ctScrollbar);
    g.grid->SetScrollBarCellRange(4, 1, 10, 100);
    g.grid->SetScrollBarCellPosition(4, 1, 30);
    int page = 0, max = 0;
    g.grid->GetScrollBarCellRange(4, 1, page, max);
    EXPECT_EQ(page, 10);
    EXPECT_EQ(max, 100);
    EXPECT_EQ(g.grid->GetScrollBarCellPosition(4, 1), 30);
    EXPECT_FALSE(g.grid->IsScrollBarCellTracking(4, 1));
    bar->CellBoolean = true;
    EXPECT_TRUE(g.grid->IsScrollBarCellTracking(4, 1));
    EXPECT_EQ(g.grid->GetScrollBarCellPosition(4, 2), -1);
    EXPECT_TRUE(g.grid->IsClickableControlCell(4, 1) == false);
    g.Make(4, 2, ctBitButton);
    EXPECT_TRUE(g.grid->IsButtonCell(4, 2));
    EXPECT_FALSE(g.grid->IsClickableControlCell(4, 2));
}

TEST(PlusGridControls, ParkingAndScrollingTheSelection)
{
    ControlsGrid g;
    g.grid->SetRowCount(60);
    g.grid->SetCol(2);
    g.grid->SetRow(3);
    const TGridRect was = g.grid->Selection();
    g.grid->ParkSelection();
    EXPECT_TRUE(g.grid->SelectionParked);
    g.grid->RestoreSelection();
    EXPECT_FALSE(g.grid->SelectionParked);
    EXPECT_EQ(g.grid->Selection(), was);
    // parked, then the grid shrank: the first normal cell
    g.grid->SetRow(50);
    g.grid->ParkSelection();
    g.grid->SetRowCount(20);
    g.grid->RestoreSelection();
    EXPECT_EQ(g.grid->Selection().Top, 1);
    EXPECT_EQ(g.grid->Selection().Left, 1);
    // a visible cell changes nothing; a far one scrolls it to the middle and
    // makes it current
    g.grid->SetRowCount(60);
    g.grid->SetTopRow(1);
    g.grid->SetRow(2);
    const int top = g.grid->TopRow();
    g.grid->ScrollCellIntoView(2, 3);
    EXPECT_EQ(g.grid->TopRow(), top);
    EXPECT_EQ(g.grid->Row(), 2);
    g.grid->ScrollCellIntoView(2, 40);
    EXPECT_EQ(g.grid->Row(), 40);
    EXPECT_GT(g.grid->TopRow(), top);
    EXPECT_LE(g.grid->TopRow(), 40);
    g.grid->ScrollCellIntoView(2, 600); // outside: nothing
    EXPECT_EQ(g.grid->Row(), 40);
}
