// The string grid's presses, releases and keys on what cells hold (check boxes, radio buttons,
// radio groups, ratings, buttons, links), header selections, the edit link of custom cell
// editors, the transparent edit over fixed cells and the balloon tool tip, driven by real Qt
// input through the framework stand-in on a grid shown offscreen.
#include "components/grid/PlusGrid.h"
#include "components/grid/tests/GridInputFixture.h"

#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"
#include "platform/win/WinShell.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

class CellInput : public ShownGridTest {
protected:
    CellInput() : ShownGridTest(8, 70, false) {}

    void Editable() { grid->SetOptions(grid->Options() + TGridOptions{goEditing}); }
    QPoint At(int col, int row, int dx, int dy) const
    {
        const TRect r = grid->CellRect(col, row);
        return QPoint(r.Left + dx, r.Top + dy);
    }
    void Click(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mouseClick(grid->Host(), Qt::LeftButton, mods, at);
        QApplication::processEvents();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* w = QApplication::focusWidget();
        QTest::keyClick(w ? w : grid->Host(), key, mods);
        QApplication::processEvents();
    }
    TCellGraphic* Make(int col, int row, TCellType type)
    {
        TCellGraphic* g = grid->CreateCellGraphic(col, row);
        g->CellType = type;
        g->CellVAlign = vaCenter;
        return g;
    }
};

// ---------------------------------------------------------------- controls in cells

TEST_F(CellInput, PressesOperateCheckBoxesRadioButtonsAndGroupsOnlyWhereTheyMayBeEdited)
{
    grid->AddCheckBox(2, 2, false);
    Make(3, 2, ctRadioButton);
    Make(3, 3, ctRadioButton);
    std::vector<String> events;
    grid->OnCheckBoxClick = [&](TObject*, int c, int r, bool s) {
        events.push_back("check " + IntToStr(c) + "," + IntToStr(r) + (s ? " on" : " off"));
    };
    grid->OnRadioButtonClick = [&](TObject*, int c, int r) { events.push_back("radio " + IntToStr(c) + "," + IntToStr(r)); };

    // a read-only grid leaves the controls alone, unless CheckAlwaysActive
    Click(Middle(2, 2));
    EXPECT_FALSE(grid->GetCheckBoxState(2, 2));
    grid->ControlLook()->CheckAlwaysActive = true;
    Click(Middle(2, 2));
    EXPECT_TRUE(grid->GetCheckBoxState(2, 2));
    grid->ControlLook()->CheckAlwaysActive = false;

    Editable();
    events.clear();
    Click(Middle(2, 2));
    EXPECT_FALSE(grid->GetCheckBoxState(2, 2));
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 2);
    Click(Middle(3, 3));
    Click(Middle(3, 2));
    EXPECT_EQ(events, (std::vector<String>{"check 2,2 off", "radio 3,3", "radio 3,2"}));
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(grid->Row(), 2);

    // Space toggles the check box of the current cell, once per press
    grid->SetCol(2);
    grid->SetRow(2);
    events.clear();
    Key(Qt::Key_Space);
    EXPECT_TRUE(grid->GetCheckBoxState(2, 2));
    EXPECT_EQ(events, (std::vector<String>{"check 2,2 on"}));
}

TEST_F(CellInput, RatingsTakeHalfStepsAndButtonsClickOnTheirRelease)
{
    Editable();
    grid->AddRating(1, 3, 5, clYellow, clGray);
    std::vector<double> proposed;
    grid->OnRatingChange = [&](TObject*, int, int, double& rate, bool&) { proposed.push_back(rate); };
    const int y = grid->CellRect(1, 3).Top + 5;
    Click(QPoint(grid->CellRect(1, 3).Left + 40, y));
    Click(QPoint(grid->CellRect(1, 3).Left + 45, y));
    EXPECT_EQ(proposed, (std::vector<double>{2.0, 2.5}));
    EXPECT_DOUBLE_EQ(StrToFloat(grid->Cells(1, 3)), 2.5);

    grid->AddButton(4, 4, 40, 18, "Go", haLeft, vaTop);
    TRect button;
    ASSERT_TRUE(grid->GetCellControlRect(4, 4, button));
    int clicks = 0;
    grid->OnButtonClick = [&](TObject*, int c, int r) { clicks += c == 4 && r == 4; };
    const QPoint on((button.Left + button.Right) / 2, (button.Top + button.Bottom) / 2);
    QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, on);
    EXPECT_EQ(grid->PressedButtonCell.X, 4);
    QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, on);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(grid->PressedButtonCell.X, -1);
    // pressed on the button but released beside it: no click
    QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, on);
    QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(1, 6));
    EXPECT_EQ(clicks, 1);
    // Enter on the current button cell clicks it
    grid->SetCol(4);
    grid->SetRow(4);
    Key(Qt::Key_Return);
    EXPECT_EQ(clicks, 2);
}

TEST_F(CellInput, ARadioGroupPressChoosesTheItemUnderThePoint)
{
    Editable();
    TCellGraphic* g = Make(2, 5, ctRadio);
    auto* items = new TStringList;
    items->Add("a");
    items->Add("b");
    g->CellData = items;
    g->CellCreated = true;
    g->CellIndex = 0;
    g->CellBoolean = true;
    int chosen = -1;
    grid->OnRadioClick = [&](TObject*, int, int, int index) { chosen = index; };
    const TRect r = grid->CellRect(2, 5);
    int x = r.Left;
    while (x < r.Right && grid->HitRadioItem(2, 5, x, Middle(2, 5).y()) != 1)
        ++x;
    ASSERT_LT(x, r.Right);
    Click(QPoint(x + 2, Middle(2, 5).y()));
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(grid->Cells(2, 5), "b");
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 5);
}

// ---------------------------------------------------------------- links

TEST_F(CellInput, LinksOpenThroughTheShellAndCellLinksMoveTheCurrentCell)
{
    TShellExecuteRecorder shell;
    grid->SetCells(1, 2, "http://example.org/x");
    Click(Middle(1, 2));
    EXPECT_TRUE(shell.Calls().empty()); // only with URLShow
    grid->URLShow = true;
    Click(Middle(1, 2));
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].Verb, "open");
    EXPECT_EQ(shell.Calls()[0].File, "http://example.org/x");

    struct Case {
        const char* text;
        int col, row;
    } cases[] = {{"<a href=\"cell://R5C2\">go</a>", 2, 5}, {"<a href=\"cell://nowhere\">go</a>", 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        grid->SetCol(1);
        grid->SetRow(1);
        grid->SetCells(3, 1, c.text);
        Click(At(3, 1, 6, grid->RowHeights(1) / 2));
        EXPECT_EQ(grid->Col(), c.col);
        EXPECT_EQ(grid->Row(), c.row);
    }
    EXPECT_EQ(shell.Calls().size(), 1u);
}

// ---------------------------------------------------------------- header selections

TEST_F(CellInput, PressesOnTheHeadersSelectRowsColumnsOrAll)
{
    grid->SetOptions(grid->Options() + TGridOptions{goRangeSelect});
    grid->MouseActions()->RowSelect = true;
    grid->MouseActions()->ColSelect = true;
    grid->MouseActions()->AllSelect = true;
    struct Case {
        int col, row;
        TGridRect expected;
    } cases[] = {{0, 3, {1, 3, 5, 3}}, {2, 0, {2, 1, 2, 7}}, {0, 0, {1, 1, 5, 7}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.col * 10 + c.row);
        QTest::mouseMove(grid->Host(), Middle(c.col, c.row));
        QApplication::processEvents();
        Click(Middle(c.col, c.row));
        EXPECT_EQ(grid->Selection(), c.expected);
    }
}

// ---------------------------------------------------------------- custom editors

class EditBoxLink : public TEditLink {
public:
    using TEditLink::TEditLink;
    void CreateEditor(TWinControl* parent) override
    {
        if (!edit) {
            edit = new TEdit(this);
            edit->OnKeyDown = [this](TObject* sender, WORD& key, TShiftState shift) { HandleEditKey(sender, key, shift); };
        }
        edit->SetParent(parent);
    }
    TWinControl* GetEditControl() override { return edit; }
    void GetEditorValue(String& s) override { s = edit ? edit->Text() : String(); }
    void SetEditorValue(const String& s) override
    {
        if (edit)
            edit->SetText(s);
    }
    TEdit* edit = nullptr;
};

TEST_F(CellInput, AnEditLinkEditsTheCellAndHandsItsNavigationKeysBack)
{
    Editable();
    auto* link = new EditBoxLink(form.get());
    grid->EditLink = link;
    grid->OnGetEditorType = [](TObject*, int, int, TEditorType& e) { e = edCustom; };
    grid->Navigation()->AdvanceOnEnter = true;
    grid->SetCol(1);
    grid->SetRow(1);
    Key(Qt::Key_F2);
    ASSERT_TRUE(link->edit && link->edit->Visible());
    EXPECT_EQ(link->edit->Text(), "B1");
    EXPECT_EQ(link->Grid, grid);
    // the grid's procedure asks for Tab and the arrows only with goTabs
    TMessage code{WM_GETDLGCODE, 0, 0, 0};
    link->edit->WindowProc(code);
    EXPECT_EQ(code.Result & DLGC_WANTTAB, 0);
    grid->SetOptions(grid->Options() + TGridOptions{goTabs});
    code.Result = 0;
    link->edit->WindowProc(code);
    EXPECT_NE(code.Result & DLGC_WANTTAB, 0);
    grid->SetOptions(grid->Options() - TGridOptions{goTabs});

    // Home and, with WantKeyUpDown, Down stay in the edit
    link->WantKeyUpDown = true;
    for (WORD k : {WORD(VK_HOME), WORD(VK_DOWN)}) {
        WORD key = k;
        link->HandleEditKey(link->edit, key, TShiftState{});
        EXPECT_TRUE(link->edit->Visible()) << k;
    }
    link->edit->SetText("new");
    WORD enter = VK_RETURN;
    link->HandleEditKey(link->edit, enter, TShiftState{});
    EXPECT_EQ(enter, 0);
    EXPECT_EQ(grid->Cells(1, 1), "new");
    // the advance moved on and opened the editor there
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(link->edit->Text(), "C1");

    // Esc puts the start text back and closes the edit
    link->edit->SetText("changed");
    WORD esc = VK_ESCAPE;
    link->HandleEditKey(link->edit, esc, TShiftState{});
    EXPECT_EQ(esc, 0);
    EXPECT_EQ(grid->Cells(2, 1), "C1");
    EXPECT_FALSE(link->edit->Visible());
    EXPECT_FALSE(link->Subclassed);

    // a refused value reopens the editor on the same cell
    grid->OnCellValidate = [](TObject*, int, int, String&, bool& valid) { valid = false; };
    grid->SetCol(3);
    grid->SetRow(3);
    Key(Qt::Key_F2);
    ASSERT_TRUE(link->edit->Visible());
    link->edit->SetText("bad");
    WORD next = VK_NEXT;
    link->HandleEditKey(link->edit, next, TShiftState{});

    EXPECT_EQ(grid->Cells(3, 3), "D3");
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_TRUE(link->edit->Visible());
    EXPECT_TRUE(grid->LastValidationPassed);
    grid->OnCellValidate = nullptr;
    grid->HideInplaceEditor();
    grid->EditLink = nullptr;
}

TEST_F(CellInput, ABaseLinkWithoutAControlCommitsAnEmptyValue)
{
    Editable();
    TEditLink link(nullptr);
    grid->EditLink = &link;
    grid->OnGetEditorType = [](TObject*, int, int, TEditorType& e) { e = edCustom; };
    grid->SetCol(2);
    grid->SetRow(2);
    Key(Qt::Key_F2);
    EXPECT_TRUE(grid->Editing);
    grid->HideInplaceEditor();
    EXPECT_EQ(grid->Cells(2, 2), "");
    grid->EditLink = nullptr;
}

TEST_F(CellInput, FixedCellsAreEditedInTheTransparentEditByTheirClick)
{
    grid->MouseActions()->FixedRowsEdit = fceRightClick;
    QTest::mouseClick(grid->Host(), Qt::LeftButton, Qt::NoModifier, Middle(2, 0));
    EXPECT_FALSE(grid->TransEdit()->Visible());
    QTest::mouseClick(grid->Host(), Qt::RightButton, Qt::NoModifier, Middle(2, 0));
    QApplication::processEvents();
    TGridTransEdit* edit = grid->TransEdit();
    ASSERT_TRUE(edit->Visible());
    EXPECT_EQ(edit->Text(), "C0");
    edit->SetText("Title");
    QTest::keyClick(edit->Host(), Qt::Key_Return);
    EXPECT_FALSE(edit->Visible());
    EXPECT_EQ(grid->Cells(2, 0), "Title");
    // a refusing validation keeps the edit open and the cell unchanged
    grid->OnCellValidate = [](TObject*, int, int, String&, bool& valid) { valid = false; };
    grid->EditFixedCell(3, 0);
    edit->SetText("no");
    EXPECT_FALSE(edit->CommitEdit());
    EXPECT_TRUE(edit->Visible());
    EXPECT_EQ(grid->Cells(3, 0), "D0");
    grid->OnCellValidate = nullptr;
}

// ---------------------------------------------------------------- balloon tool tip

TEST_F(CellInput, TheBalloonToolTipRegistersTheGridWithTitleAndIcon)
{
    grid->CreateBalloonToolTipWindow();
    EXPECT_EQ(grid->BalloonToolTip.Style, 0x43u);
    EXPECT_TRUE(grid->BalloonToolTip.Topmost);
    grid->AddBalloonToolTip(7, "", String(300, 'x'));
    EXPECT_TRUE(grid->BalloonToolTip.ToolAdded);
    EXPECT_EQ(grid->BalloonToolTip.Icon, 0);
    EXPECT_EQ(grid->BalloonToolTip.Title.size(), 255u);
    EXPECT_EQ(grid->BalloonToolTip.ToolRect, grid->ClientRect());
    grid->AddBalloonToolTip(2, "", "T");
    EXPECT_EQ(grid->BalloonToolTip.Icon, 2);
    grid->DestroyBalloonToolTipWindow();
    EXPECT_FALSE(grid->BalloonToolTip.Exists);

    // switching balloons on while the grid loads creates nothing
    const int made = grid->BalloonToolTip.Creations;
    grid->BeginLoading();
    grid->Balloon()->SetEnable(true);
    EXPECT_EQ(grid->BalloonToolTip.Creations, made);
    grid->EndLoading();
}

} // namespace

namespace {

// ---------------------------------------------------------------- sizing fixed columns

TEST_F(CellInput, AFixedColumnIsSizedFromWithinTwoPixelsOfItsEdge)
{
    grid->MouseActions()->SizeFixedCol = true;
    const int edge = grid->ColWidths(0); // the right edge of fixed column 0
    std::vector<int> ended;
    grid->OnEndColumnSize = [&](TObject*, int col) { ended.push_back(col); };
    struct Case {
        int offset;
        bool sizes;
    } cases[] = {{-2, true}, {2, true}, {-3, false}, {3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        grid->SetColWidths(0, 70);
        ended.clear();
        const QPoint at(edge + c.offset, 10);
        QTest::mouseMove(grid->Host(), at);
        QApplication::processEvents();
        EXPECT_EQ(grid->FixedColSizingHover(), c.sizes);
        EXPECT_EQ(grid->Cursor() == crHSplit, c.sizes);
        QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_EQ(grid->FixedColSizing(), c.sizes);
        QTest::mouseMove(grid->Host(), QPoint(100, 10));
        QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
        EXPECT_EQ(grid->ColWidths(0), c.sizes ? 100 : 70);
        EXPECT_EQ(ended, c.sizes ? std::vector<int>{0} : std::vector<int>{});
        QTest::mouseMove(grid->Host(), Middle(3, 3));
        EXPECT_NE(grid->Cursor(), crHSplit);
    }
}

} // namespace

namespace {

TEST_F(CellInput, TheSizingHintTellsTheWidthTheColumnWouldGet)
{
    grid->SetOptions(grid->Options() + TGridOptions{goColSizing});
    grid->HintShowSizing = true;
    const int edge = grid->CellRect(2, 0).Right;
    QTest::mousePress(grid->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(edge, 5));
    QTest::mouseMove(grid->Host(), QPoint(edge + 15, 5));
    EXPECT_TRUE(grid->SizingHintShown());
    EXPECT_EQ(grid->SizingHintText, "cw=<b>85</b>");
    QTest::mouseRelease(grid->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(edge + 15, 5));
    EXPECT_FALSE(grid->SizingHintShown());
    EXPECT_EQ(grid->ColWidths(2), 85);
}

} // namespace
