// The special editors over a cell: which control each editor type opens, the keys that commit
// and cancel, and what each writes back, in order with the grid's events.
#include "components/grid/tests/GridEditorsFixture.h"
#include "components/grid/GridEditors.h"
#include "components/grid/PlusInplaceEdit.h"

#include "components/grid/PsgUni.h"
#include "platform/framework/ControlHost.h"

#include <QDir>
#include <QImage>
#include <QPixmap>

TEST_F(GridEditFixture, EachEditorTypeOpensItsControlOverTheCell)
{
    struct Case {
        TEditorType type;
        std::function<TWinControl*()> control;
    } cases[] = {
        {edSpinEdit, [&] { return (TWinControl*)grid->GetSpinEditor(); }},
        {edFloatSpinEdit, [&] { return (TWinControl*)grid->GetSpinEditor(); }},
        {edComboEdit, [&] { return (TWinControl*)grid->ComboEditor(); }},
        {edComboList, [&] { return (TWinControl*)grid->ComboEditor(); }},
        {edEditBtn, [&] { return (TWinControl*)grid->EditBtnEditor(); }},
        {edNumericEditBtn, [&] { return (TWinControl*)grid->EditBtnEditor(); }},
        {edUnitEditBtn, [&] { return (TWinControl*)grid->UnitEditBtnEditor(); }},
        {edCheckBox, [&] { return (TWinControl*)grid->CheckBoxEditor(); }},
        {edButton, [&] { return (TWinControl*)grid->ButtonEditor(); }},
        {edDateEdit, [&] { return (TWinControl*)grid->GetDatePicker(); }},
        {edTimeEdit, [&] { return (TWinControl*)grid->GetDatePicker(); }},
        {edUniEdit, [&] { return (TWinControl*)grid->UniEditor(); }},
        {edUniMemo, [&] { return (TWinControl*)grid->UniMemoEditor(); }},
        {edUniEditBtn, [&] { return (TWinControl*)grid->UniEditBtnEditor(); }},
        {edUniComboEdit, [&] { return (TWinControl*)grid->UniComboEditor(); }},
    };
    grid->ComboEditor()->Items()->Add("one");
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.type));
        editor = c.type;
        Go(2, 2);
        Open();
        TWinControl* control = c.control();
        EXPECT_TRUE(grid->Editing);
        EXPECT_TRUE(control->Visible());
        EXPECT_TRUE(control->Focused());
        const TRect cell = grid->CellRect(2, 2);
        EXPECT_LE(std::abs(control->Left() - cell.Left), 3);
        EXPECT_LE(std::abs(control->Top() - cell.Top), 3);
        // Esc ends every edit and hides the editor again
        Key(Qt::Key_Escape);
        if (control->Visible()) {
            grid->HideInplaceEditor();
            Pump();
        }
        EXPECT_FALSE(control->Visible());
        EXPECT_FALSE(grid->Editing);
        grid->SetFocus();
        Pump();
    }
}

TEST_F(GridEditFixture, SpinEditorStepsAndWritesTheValueBack)
{
    struct Case {
        TEditorType type;
        String start;
        Qt::Key key;
        int times;
        String written;
    } cases[] = {
        {edSpinEdit, "98", Qt::Key_Up, 3, "100"},   // stops at MaxValue
        {edSpinEdit, "1", Qt::Key_Down, 3, "0"},    // stops at MinValue
        {edSpinEdit, "12abc", Qt::Key_Up, 1, "13"}, // the leading number
        {edFloatSpinEdit, "1.5", Qt::Key_Up, 2, "1.70"},
        {edTimeSpinEdit, "10:00:00", Qt::Key_Up, 1, "11:00:00"},
        {edDateSpinEdit, "30/01/2024", Qt::Key_Up, 2, "01/02/2024"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        editor = c.type;
        grid->SetCells(1, 1, c.start);
        Go(1, 1);
        Open();
        ASSERT_TRUE(grid->GetSpinEditor()->Visible());
        for (int i = 0; i < c.times; ++i)
            Key(c.key);
        Key(Qt::Key_Return);
        EXPECT_EQ(grid->Cells(1, 1), c.written);
        EXPECT_FALSE(grid->GetSpinEditor()->Visible());
        grid->SetFocus();
    }
}

TEST_F(GridEditFixture, SpinHomeAndEndGoToTheLimitsAndReportTheDirection)
{
    std::vector<bool> updown;
    grid->OnSpinClick = [&](TObject*, int, int, int, bool up) { updown.push_back(up); };
    editor = edSpinEdit;
    grid->SetCells(1, 1, "50");
    Go(1, 1);
    Open();
    Key(Qt::Key_End);
    EXPECT_EQ(grid->GetSpinEditor()->Value(), 0);
    Key(Qt::Key_Home);
    EXPECT_EQ(grid->GetSpinEditor()->Value(), 100);
    EXPECT_EQ(updown, (std::vector<bool>{false, true}));
    Key(Qt::Key_Escape);
    EXPECT_EQ(grid->Cells(1, 1), "50");
}

TEST_F(GridEditFixture, AnEmptySpinWithAllowEmptyValueWritesAnEmptyCell)
{
    editor = edSpinEdit;
    grid->GetSpinEditor()->AllowEmptyValue = true;
    grid->SetCells(1, 1, "7");
    Go(1, 1);
    Open();
    grid->GetSpinEditor()->SetText("");
    grid->HideInplaceEditor();
    EXPECT_EQ(grid->Cells(1, 1), "");
}

TEST_F(GridEditFixture, ComboListPreselectsTheFirstItemOnceAndCommitsTheChoice)
{
    std::vector<std::string> changes;
    grid->OnComboChange = [&](TObject*, int c, int r, int i, String s) {
        changes.push_back(std::to_string(c) + "," + std::to_string(r) + ":" + std::to_string(i) + " " + s);
    };
    TGridCombo* combo = grid->ComboEditor();
    combo->Items()->Add("red");
    combo->Items()->Add("green");
    combo->Items()->Add("blue");
    editor = edComboList;
    grid->SetCells(1, 1, "none");
    Go(1, 1);
    Open();
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(changes, (std::vector<std::string>{"1,1:0 red"}));
    Key(Qt::Key_Down); // ComboGetUpDown: the next item
    EXPECT_EQ(combo->Text(), "green");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "green");
    EXPECT_FALSE(combo->Visible());
    // a cell whose text is an item: selected, no event
    changes.clear();
    grid->SetFocus();
    Go(1, 1);
    Open();
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_TRUE(changes.empty());
    Key(Qt::Key_Escape);
    // Down without ComboGetUpDown leaves the cell and keeps its text
    grid->Navigation()->ComboGetUpDown = false;
    grid->SetFocus();
    Go(1, 1);
    Open();
    Key(Qt::Key_Down);
    EXPECT_FALSE(combo->Visible());
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Cells(1, 1), "green");
}

TEST_F(GridEditFixture, ComboEditTypesTextCompletesItAndRefusesWhatValidationRefuses)
{
    TGridCombo* combo = grid->ComboEditor();
    combo->Items()->Add("Apple");
    combo->Items()->Add("Banana");
    grid->Lookup = true;
    editor = edComboEdit;
    Go(1, 1);
    Open();
    Type("Ba");
    EXPECT_EQ(combo->Text(), "Banana");
    EXPECT_EQ(combo->ItemIndex(), 1);
    refuse = "Banana";
    Key(Qt::Key_Return);
    EXPECT_TRUE(combo->Visible());
    EXPECT_EQ(grid->Cells(1, 1), "");
    combo->SetText("Kiwi");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "Kiwi");
    EXPECT_FALSE(combo->Visible());
}

// With AutoComboDropSize the list of either combo is as wide as its widest item plus a margin
// (a wider one when the list scrolls), never narrower than the combo.
TEST_F(GridEditFixture, ComboListsWidenToTheirWidestItem)
{
    grid->Navigation()->AutoComboDropSize = true;
    const String wide(40, 'W');
    struct Case {
        TEditorType type;
        int items;
        bool withWide;
    } cases[] = {{edComboEdit, 3, false}, {edComboEdit, 3, true}, {edComboEdit, 30, true},
                 {edUniComboEdit, 3, false}, {edUniComboEdit, 3, true}, {edUniComboEdit, 30, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(int(c.type)) + " " + std::to_string(c.items) + (c.withWide ? " wide" : ""));
        TCustomComboBox* combo = c.type == edComboEdit ? static_cast<TCustomComboBox*>(grid->ComboEditor())
                                                       : grid->UniComboEditor();
        combo->Items()->Clear();
        for (int i = 0; i < c.items; ++i)
            combo->Items()->Add(c.withWide && i == 1 ? wide : "x" + std::to_string(i));
        editor = c.type;
        Go(1, 1);
        Open();
        ASSERT_TRUE(combo->Visible());
        grid->Canvas()->Font->Assign(combo->Font());
        const int textWidth = grid->Canvas()->TextWidth(wide);
        const int expected = !c.withWide ? combo->Width() : textWidth + (c.items > combo->DropDownCount() ? 25 : 8);
        EXPECT_EQ(int(combo->Perform(CB_GETDROPPEDWIDTH, 0, 0)), expected);
        grid->HideInplaceEditor();
        grid->SetFocus();
        Pump();
    }
}

TEST_F(GridEditFixture, ComboWheelStaysOnTheItemsAndFiresOnlyForRealItems)
{
    TGridCombo* combo = grid->ComboEditor();
    combo->Items()->Add("a");
    combo->Items()->Add("b");
    std::vector<int> seen;
    grid->OnComboChange = [&](TObject*, int, int, int i, String) { seen.push_back(i); };
    editor = edComboList;
    grid->SetCells(1, 1, "a");
    Go(1, 1);
    Open();
    combo->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);  // away from the user on the first item
    combo->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0); // towards: b
    combo->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0); // past the last: stays on b
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(combo->ItemIndex(), 1);
}

TEST_F(GridEditFixture, EditButtonFiltersNumbersAndItsButtonAsksTheApplication)
{
    editor = edFloatEditBtn;
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = '.';
    Go(1, 1);
    Open();
    Type("-1,2,5.x");
    EXPECT_EQ(grid->EditBtnEditor()->Text(), "-1,25");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "-1,25");
    grid->OnEllipsClick = [](TObject*, int, int, String& s) { s = "chosen"; };
    editor = edEditBtn;
    grid->EditBtnEditor()->StopEditAfterClick = true;
    grid->SetFocus();
    Go(1, 1);
    Open();
    Key(Qt::Key_F4);
    EXPECT_EQ(grid->Cells(1, 1), "chosen");
    EXPECT_FALSE(grid->EditBtnEditor()->Visible());
}

TEST_F(GridEditFixture, UnitEditorSplitsValueAndUnitAndWritesThemBackTogether)
{
    TGridUnitEditBtn* unit = grid->UnitEditBtnEditor();
    unit->Units()->Add("mm");
    unit->Units()->Add("cm");
    editor = edUnitEditBtn;
    grid->SetCells(1, 1, "12cm");
    Go(1, 1);
    Open();
    EXPECT_EQ(unit->Text(), "12");
    EXPECT_EQ(unit->UnitID(), "cm");
    TPopupMenu::ChooseHook = [](TPopupMenu* menu) { return menu->Items()->Items(0); };
    Key(Qt::Key_F4);
    TPopupMenu::ChooseHook = nullptr;
    EXPECT_EQ(unit->UnitID(), "mm");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "12mm");
}

// The platform check box and button take their keys as messages (their widgets keep Qt's own
// key handling), so the keys go in as WM_KEYDOWN.
TEST_F(GridEditFixture, CheckBoxAndButtonEditorsWriteNothing)
{
    grid->SetCells(1, 1, "caption");
    editor = edCheckBox;
    Go(1, 1);
    Open();
    TGridCheckBox* box = grid->CheckBoxEditor();
    box->Perform(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(box->Checked());
    box->Perform(WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(grid->Cells(1, 1), "caption");
    // Enter moved on and opened the next cell's check box
    EXPECT_EQ(grid->Col(), 2);
    grid->HideInplaceEditor();
    grid->SetFocus();
    editor = edButton;
    Go(1, 1);
    Open();
    TGridButton* button = grid->ButtonEditor();
    EXPECT_EQ(button->Caption(), "caption");
    button->Perform(WM_KEYDOWN, VK_DOWN, 0);
    Pump();
    EXPECT_FALSE(button->Visible());
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Cells(1, 1), "caption");
}

TEST_F(GridEditFixture, UnicodeTextTypedIsStoredInTheWideFormAndReadBackUnchanged)
{
    const WideString text = u"\u65e5\u672c \u0436\u00e9\u20ac";
    struct Case {
        TEditorType type;
    } cases[] = {{edUniEdit}, {edUniEditBtn}, {edUniMemo}, {edUniComboEdit}};
    int row = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.type));
        editor = c.type;
        Go(1, row);
        Open();
        TypeUnicode(QString::fromStdU16String(text));
        if (c.type == edUniMemo)
            Key(Qt::Key_Tab);
        else
            Key(Qt::Key_Return);
        grid->HideInplaceEditor();
        EXPECT_TRUE(CellHoldsWideText(*grid, 1, row));
        EXPECT_EQ(GetWideCellText(*grid, 1, row), text);
        // and an editor opened on it again shows it whole
        grid->SetFocus();
        Go(1, row);
        Open();
        EXPECT_EQ(GetControlWideText(grid->ActiveEditor), text);
        Key(Qt::Key_Escape);
        grid->HideInplaceEditor();
        ++row;
    }
}

// Each text-bearing editor kind hands its ending keys and its exit to the grid the same way:
// leaving the control writes the shown text, Tab (with goTabs) writes it and moves on, Esc
// puts back the cell's text and ends the edit.
TEST_F(GridEditFixture, EveryEditorKindWritesOnExitAndTabAndRestoresOnEsc)
{
    grid->SetOptions(grid->Options() + TGridOptions{goTabs});
    struct Kind {
        TEditorType type;
        bool tabMoves; // the combos' Tab takes the focus chain out of the control: the cell stays
    } kinds[] = {{edUniEdit, true},  {edUniEditBtn, true}, {edUniMemo, true},    {edUniComboEdit, false},
                 {edSpinEdit, true}, {edEditBtn, true},    {edComboEdit, false}};
    enum Ending { Leave, Tab, Esc };
    int row = 1;
    for (const Kind& kind : kinds) {
        for (Ending ending : {Leave, Tab, Esc}) {
            SCOPED_TRACE(std::to_string(int(kind.type)) + " ending " + std::to_string(int(ending)));
            editor = kind.type;
            grid->SetCells(1, row, "4");
            Go(1, row);
            Open();
            ASSERT_TRUE(grid->Editing);
            TWinControl* control = grid->ActiveEditor;
            ASSERT_NE(control, nullptr);
            Type("7");
            const WideString shown = GetControlWideText(control);
            EXPECT_NE(shown, u"4") << "the typed digit reached the editor";
            if (ending == Leave)
                grid->SetFocus();
            else
                Key(ending == Tab ? Qt::Key_Tab : Qt::Key_Escape);
            Pump();
            if (ending == Esc) {
                EXPECT_EQ(GetWideCellText(*grid, 1, row), u"4");
                EXPECT_EQ(grid->Col(), 1);
            } else {
                EXPECT_EQ(GetWideCellText(*grid, 1, row), shown);
                EXPECT_EQ(grid->Col(), ending == Tab && kind.tabMoves ? 2 : 1);
            }
            EXPECT_FALSE(control->Visible());
            grid->HideInplaceEditor();
            grid->SetFocus();
            Pump();
            ++row;
            if (row >= grid->RowCount())
                grid->SetRowCount(row + 1);
        }
    }
    // the date picker hands Tab and Return to the grid too, with its date in the cell (its
    // platform widget keeps Qt's key handling, so the keys go in as messages)
    for (WPARAM k : {WPARAM(VK_TAB), WPARAM(VK_RETURN)}) {
        SCOPED_TRACE(int(k));
        editor = edDateEdit;
        grid->SetCells(1, 1, "24/12/2024");
        Go(1, 1);
        Open();
        ASSERT_TRUE(grid->GetDatePicker()->Visible());
        grid->GetDatePicker()->Perform(WM_KEYDOWN, k, 0);
        Pump();
        EXPECT_EQ(grid->Cells(1, 1), "24/12/2024");
        EXPECT_TRUE(grid->Col() != 1 || grid->Row() != 1) << "the key moved on";
        if (k == VK_TAB)
            EXPECT_EQ(grid->Col(), 2);
        grid->HideInplaceEditor();
        grid->SetFocus();
        Pump();
    }
    // the editors without typed text end the edit when the focus leaves them
    struct Silent {
        TEditorType type;
        TWinControl* control;
    } silent[] = {{edCheckBox, grid->CheckBoxEditor()}, {edButton, grid->ButtonEditor()},
                  {edDateEdit, grid->GetDatePicker()},  {edUnitEditBtn, grid->UnitEditBtnEditor()},
                  {edFloatSpinEdit, grid->GetSpinEditor()}};
    for (const Silent& s : silent) {
        SCOPED_TRACE(int(s.type));
        editor = s.type;
        Go(2, 1);
        Open();
        ASSERT_TRUE(grid->Editing);
        TWinControl* control = s.control;
        ASSERT_TRUE(control->Visible());
        grid->SetFocus();
        Pump();
        EXPECT_FALSE(grid->Editing);
        EXPECT_FALSE(control->Visible());
    }
}

TEST_F(GridEditFixture, EventsOfOneEditComeInOrder)
{
    grid->OnEditChange = [this](TObject*, int, int, String v) { Log("change " + v); };
    grid->OnEditingDone = [this](TObject*) { Log("editing done"); };
    editor = edEditBtn;
    Go(1, 1);
    Open();
    Type("ab");
    Key(Qt::Key_Return);
    EXPECT_EQ(events, (std::vector<std::string>{"change a", "change ab", "validate ab", "editing done", "done 1,1"}));
}

// Each editor open over a cell, drawn; with QUELM_SHOTS set the pictures are kept there.
TEST_F(GridEditFixture, EveryEditorOpenOverACellIsDrawn)
{
    const char* dir = std::getenv("QUELM_SHOTS");
    grid->SetDefaultColWidth(110);
    grid->SetColCount(4);
    for (int c = 0; c < 4; ++c)
        grid->SetCells(c, 0, "Column " + std::to_string(c));
    grid->SetCells(1, 1, "12");
    grid->SetCells(1, 2, "3.25");
    grid->SetCells(1, 3, "green");
    grid->SetCells(2, 1, "12cm");
    grid->ComboEditor()->Items()->Add("red");
    grid->ComboEditor()->Items()->Add("green");
    grid->UnitEditBtnEditor()->Units()->Add("cm");
    grid->UnitEditBtnEditor()->Units()->Add("mm");
    SetWideCellText(*grid, 2, 2, u"\u65e5\u672c\u8a9e \u00e9t\u00e9");
    struct Case {
        const char* name;
        TEditorType type;
        int col, row;
    } cases[] = {
        {"inplace", edNormal, 1, 1},    {"spin", edSpinEdit, 1, 1},      {"floatspin", edFloatSpinEdit, 1, 2},
        {"combo", edComboList, 1, 3},   {"editbtn", edEditBtn, 1, 2},    {"unit", edUnitEditBtn, 2, 1},
        {"checkbox", edCheckBox, 1, 3}, {"button", edButton, 1, 3},      {"date", edDateEdit, 3, 1},
        {"uniedit", edUniEdit, 2, 2},   {"unimemo", edUniMemo, 2, 2},    {"unicombo", edUniComboEdit, 2, 2},
        {"unieditbtn", edUniEditBtn, 2, 2},
    };
    grid->SetCells(3, 1, "24/12/2024");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        editor = c.type;
        Go(c.col, c.row);
        Open();
        ASSERT_TRUE(grid->Editing);
        Pump();
        const QImage shot = form.Host()->grab().toImage();
        EXPECT_FALSE(shot.isNull());
        if (dir)
            shot.save(QString::fromUtf8(dir) + "/grid_editor_" + c.name + ".png");
        grid->HideInplaceEditor();
        grid->SetFocus();
        Pump();
    }
}

namespace {

// The texts the grid drew inside a cell during one paint of the whole grid.
std::vector<String> PaintedTextsOfCell(TPlusStringGrid* grid, int col, int row)
{
    TGdiRecorder log;
    grid->ControlHost()->PaintRecorder = &log;
    grid->Invalidate();
    grid->Update();
    grid->ControlHost()->PaintRecorder = nullptr;
    const TRect cell = grid->CellRect(col, row);
    std::vector<String> texts;
    for (const TGdiRecord& r : log.Records)
        if (r.Op == "DrawText" && r.Rect.left >= cell.Left && r.Rect.right <= cell.Right && r.Rect.top >= cell.Top &&
            r.Rect.bottom <= cell.Bottom)
            texts.push_back(r.Text);
    return texts;
}

} // namespace

// A plain cell edited with a wide editor keeps the plain form the user sees (Esc leaves it as
// it was), and a cell in the wide form is drawn as its text, never as the stored form.
TEST_F(GridEditFixture, WideEditorsKeepAPlainCellPlainAndWideCellsDrawTheirText)
{
    grid->SetOptions(grid->Options() + TGridOptions{goTabs});
    enum Ending { Return, Esc, Tab, Leave };
    const TEditorType kinds[] = {edUniEdit, edUniEditBtn, edUniMemo, edUniComboEdit};
    const String original = "caf\xe9";
    int row = 1;
    for (TEditorType kind : kinds) {
        for (Ending ending : {Return, Esc, Tab, Leave}) {
            if (kind == edUniMemo && ending == Return)
                continue; // the memo types a line break
            SCOPED_TRACE(std::to_string(int(kind)) + " ending " + std::to_string(int(ending)));
            editor = kind;
            grid->SetCells(1, row, original);
            Go(1, row);
            Open();
            ASSERT_TRUE(grid->Editing);
            TWinControl* control = grid->ActiveEditor;
            Type("s");
            const WideString shown = GetControlWideText(control);
            ASSERT_NE(shown, StringToWide(original)) << "the typed letter reached the editor";
            if (ending == Leave)
                grid->SetFocus();
            else
                Key(ending == Return ? Qt::Key_Return : ending == Tab ? Qt::Key_Tab : Qt::Key_Escape);
            Pump();
            grid->HideInplaceEditor();
            const String expected = ending == Esc ? original : WideToString(shown);
            EXPECT_EQ(grid->Cells(1, row), expected);
            const std::vector<String> painted = PaintedTextsOfCell(grid, 1, row);
            EXPECT_EQ(painted, std::vector<String>{expected});
            grid->SetFocus();
            Pump();
            ++row;
            if (row >= grid->RowCount())
                grid->SetRowCount(row + 1);
        }
    }
    // text beyond the code page stays in the wide form and is drawn as its characters
    struct Wide {
        WideString text;
        String painted;
    } wides[] = {{u"wide \u00e9", "wide \xe9"}, {u"\u65e5\u672c", "??"}, {u"", ""}};
    Go(2, 1);
    for (const Wide& w : wides) {
        SetWideCellText(*grid, 2, 1, w.text);
        const std::vector<String> painted = PaintedTextsOfCell(grid, 2, 1);
        EXPECT_EQ(painted, w.text.empty() ? std::vector<String>{} : std::vector<String>{w.painted});
    }
    if (const char* dir = std::getenv("QUELM_SHOTS")) {
        SetWideCellText(*grid, 2, 1, u"\u65e5\u672c\u8a9e \u00e9t\u00e9");
        Pump();
        form.Host()->grab().toImage().save(QString::fromUtf8(dir) + "/grid_wide_cells_after_edit.png");
    }
}
