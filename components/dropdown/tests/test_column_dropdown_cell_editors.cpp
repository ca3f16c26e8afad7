// The multi-column and grid drop-downs as in-place editors of a string-grid cell: registered
// with the grid through its editor hook and driven in the grid's calling order (rows filled,
// lookup list updated, the cell text chosen), the value chosen goes into the cell.
#include "components/dropdown/PlusCustomGridDropDown.h"
#include "components/dropdown/PlusMultiColumnDropDown.h"

#include "components/grid/tests/GridEditorsFixture.h"

namespace {

const char* const kFruits[] = {"Apple", "Banana", "Cherry", "Damson"};

template <class D, class Item>
void FillFruits(D* d)
{
    d->Items()->Clear();
    d->Columns()->Clear();
    d->Columns()->Add()->Header = "Fruit";
    for (const char* f : kFruits)
        static_cast<Item*>(d->Items()->Add())->Text()->Add(f);
}

// The hook the grid's editor classes give: the drop-down over the cell, loaded in the grid's order.
template <class D, class Item>
TPlusStringGrid::TExternalEditorClass ColumnDropDownClass()
{
    TPlusStringGrid::TExternalEditorClass cls;
    cls.Create = [](TPlusStringGrid* grid) -> TWinControl* {
        auto* d = new D(grid);
        d->SetParent(grid);
        return d;
    };
    cls.Load = [](TWinControl* control, TPlusStringGrid* grid, int, int, const TRect& r, TColor color) {
        auto* d = static_cast<D*>(control);
        d->SetEnabled(true);
        FillFruits<D, Item>(d); // the application's editor-property event
        d->BeforeLookupUpdate();
        d->UpdateLookupList();
        d->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        const String text = grid->GetEditText(grid->Col(), grid->Row());
        d->SetItemIndex(text.empty() ? 0 : d->IndexOfLookupText(text));
        d->SetTextDirect(text);
        d->SetColor(color);
        d->SetVisible(true);
    };
    cls.Value = [](TWinControl* control) { return static_cast<D*>(control)->GetText(); };
    return cls;
}

struct ColumnDropDownCellFixture : GridEditFixture {
    ColumnDropDownCellFixture()
    {
        TPlusStringGrid::RegisterExternalEditor(
            edGridDropDown, ColumnDropDownClass<TPlusMultiColumnDropDown, PlusMultiColumnDropDown::TDropDownItem>());
        TPlusStringGrid::RegisterExternalEditor(
            edPlusGridDropDown, ColumnDropDownClass<TPlusGridDropDown, PlusCustomGridDropDown::TDropDownItem>());
    }
};

TEST_F(ColumnDropDownCellFixture, ChosenRowGoesIntoTheCell)
{
    struct Case {
        TEditorType type;
        String start;
        Qt::Key key;      // pressed in the closed editor
        String written;
    } cases[] = {
        {edGridDropDown, "Banana", Qt::Key_Down, "Cherry"},
        {edPlusGridDropDown, "Banana", Qt::Key_Down, "Cherry"},
        {edGridDropDown, "", Qt::Key_Down, "Banana"},
        {edPlusGridDropDown, "Damson", Qt::Key_Up, "Cherry"},
    };
    int row = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.type));
        editor = c.type;
        grid->SetCells(1, row, c.start);
        Go(1, row);
        Open();
        TWinControl* control = grid->ExternalEditor(c.type);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->Visible());
        Key(c.key);
        grid->HideInplaceEditor();
        EXPECT_EQ(grid->Cells(1, row), c.written);
        EXPECT_FALSE(control->Visible());
        grid->SetFocus();
        ++row;
    }
}

TEST_F(ColumnDropDownCellFixture, TypedTextCompletesAndIsWritten)
{
    editor = edPlusGridDropDown;
    Go(2, 2);
    Open();
    auto* d = dynamic_cast<TPlusGridDropDown*>(grid->ExternalEditor(edPlusGridDropDown));
    ASSERT_NE(d, nullptr);
    d->SetTextDirect("");
    Type("ch");
    EXPECT_EQ(d->EditText(), "Cherry");
    grid->HideInplaceEditor();
    EXPECT_EQ(grid->Cells(2, 2), "Cherry");
}

} // namespace
