// Form controls in HTML cells, driven by real clicks and keys on a grid shown offscreen.
#include "components/grid/HtmlUtils.h"
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

String Tag(const char* type, const char* id, const char* value, int width, const char* extra = "")
{
    return String("<CONTROL TYPE=\"") + type + "\" ID=\"" + id + "\" VALUE=\"" + value + "\" WIDTH=\"" +
           IntToStr(width) + "\"" + extra + ">";
}

String ValueOf(const String& html, const String& id)
{
    // the VALUE of the tag with the ID, read through a rewrite-free parse of every tag
    size_t at = 0;
    while ((at = html.find("<CONTROL", at)) != String::npos) {
        const THtmlControlTag t = ParseControlTag(html.substr(at + 1));
        if (t.ID == id)
            return t.Value;
        ++at;
    }
    return "<none>";
}

class GridForms : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 640, 260);
        grid = new TPlusStringGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 620, 240);
        grid->SetColCount(3);
        grid->SetRowCount(4);
        grid->SetColWidths(0, 30);
        grid->SetColWidths(1, 420);
        grid->SetColWidths(2, 150);
        for (int r = 1; r < 4; ++r)
            grid->SetRowHeights(r, 40);
        grid->SetOptions(grid->Options() + TGridOptions{goEditing});
        grid->SetCells(1, 1, "Agree " + Tag("CHECK", "ok", "TRUE", 16) + " Size " + Tag("RADIO", "s", "TRUE", 16) +
                                 "S " + Tag("RADIO", "m", "FALSE", 16) + "M " + Tag("BUTTON", "go", "Go", 50));
        grid->SetCells(1, 2, "Name " + Tag("EDIT", "name", "Jo", 90) + " Pin " + Tag("PASSWORD", "pin", "", 60) +
                                 " City " + Tag("COMBO", "city", "Delft", 90));
        grid->SetCells(1, 3, "Date " + Tag("MASK", "d", "", 80, " PROP=\"00-00\""));
        grid->SetCells(2, 1, "plain text");
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Host()));
        grid->SetFocus();
        Pump();
    }
    void TearDown() override
    {
        Pump();
        form.reset();
    }
    static void Pump() { QApplication::processEvents(); }
    // Clicks the tag's middle; false when the tag is not laid out in the cell.
    bool ClickTag(int col, int row, const String& id)
    {
        String found = id, type, value;
        TRect r;
        if (!grid->HitCellFormControl(col, row, -1, -1, found, type, value, r))
            return false;
        QTest::mouseClick(grid->Host(), Qt::LeftButton, Qt::NoModifier,
                          QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        Pump();
        return true;
    }
    QWidget* FocusTarget() const
    {
        QWidget* w = QApplication::focusWidget();
        return w ? w : grid->Host();
    }
    std::unique_ptr<TForm> form;
    TPlusStringGrid* grid = nullptr;
};

} // namespace

TEST_F(GridForms, ClicksToggleChecksAndRadiosInTheCellText)
{
    struct Case {
        const char* before;
        const char* after;
    } checks[] = {{"TRUE", "FALSE"}, {"FALSE", "TRUE"}, {"true", "TRUE"}, {"", "TRUE"}, {"yes", "TRUE"}};
    std::vector<std::string> clicks;
    grid->OnControlClick = [&](TObject*, int row, int col, const String& id, const String& type, const String& val) {
        clicks.push_back(IntToStr(col) + "," + IntToStr(row) + " " + id + " " + type + " " + val);
    };
    for (const Case& c : checks) {
        grid->SetCells(1, 1, "Agree " + Tag("CHECK", "ok", c.before, 16));
        ASSERT_TRUE(ClickTag(1, 1, "ok")) << c.before;
        EXPECT_EQ(ValueOf(grid->Cells(1, 1), "ok"), c.after) << c.before;
    }
    EXPECT_EQ(clicks.back(), "1,1 ok CHECK TRUE");

    // a radio: the clicked one TRUE, every other radio of the cell FALSE; a button changes nothing
    grid->SetCells(1, 1, Tag("RADIO", "a", "TRUE", 16) + "A " + Tag("RADIO", "b", "FALSE", 16) + "B " +
                             Tag("CHECK", "c", "TRUE", 16) + Tag("BUTTON", "go", "Go", 50));
    ASSERT_TRUE(ClickTag(1, 1, "b"));
    EXPECT_EQ(ValueOf(grid->Cells(1, 1), "a"), "FALSE");
    EXPECT_EQ(ValueOf(grid->Cells(1, 1), "b"), "TRUE");
    EXPECT_EQ(ValueOf(grid->Cells(1, 1), "c"), "TRUE");
    const String before = grid->Cells(1, 1);
    ASSERT_TRUE(ClickTag(1, 1, "go"));
    EXPECT_EQ(grid->Cells(1, 1), before);
    EXPECT_EQ(clicks.back(), "1,1 go BUTTON Go");
    EXPECT_FALSE(grid->HTMLButtonPressed); // the release brought it up

    // a cell that may not be edited ignores the clicks
    const size_t n = clicks.size();
    grid->SetOptions(grid->Options() - TGridOptions{goEditing});
    ASSERT_TRUE(ClickTag(1, 1, "a"));
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    grid->SetReadOnly(1, 1, true);
    ASSERT_TRUE(ClickTag(1, 1, "a"));
    EXPECT_EQ(ValueOf(grid->Cells(1, 1), "a"), "FALSE");
    EXPECT_EQ(clicks.size(), n);
}

TEST_F(GridForms, EditsWriteTheirValueBackOnceWhenLeft)
{
    std::vector<std::string> done;
    grid->OnControlEditDone = [&](TObject*, int row, int col, const String& id, const String& type,
                                  const String& val) {
        done.push_back(IntToStr(col) + "," + IntToStr(row) + " " + id + " " + type + " " + val);
    };
    ASSERT_TRUE(ClickTag(1, 2, "name"));
    TControlEdit* edit = grid->FormControlEdit();
    ASSERT_TRUE(edit->Visible());
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(edit->Text(), "Jo");
    EXPECT_TRUE(grid->FormControlActive);
    QTest::keyClick(FocusTarget(), Qt::Key_End);
    QTest::keyClicks(FocusTarget(), "e & Ann");
    QTest::keyClick(FocusTarget(), Qt::Key_Return);
    Pump();
    EXPECT_EQ(ValueOf(grid->Cells(1, 2), "name"), "Joe & Ann");
    EXPECT_FALSE(edit->Visible());
    EXPECT_TRUE(grid->Focused());
    EXPECT_EQ(done, std::vector<std::string>{"1,2 name EDIT Joe & Ann"});
    EXPECT_EQ(grid->FormControlType, "");

    // a password shows stars and stores the plain text
    ASSERT_TRUE(ClickTag(1, 2, "pin"));
    EXPECT_EQ(edit->PasswordChar(), '*');
    QTest::keyClicks(FocusTarget(), "s3cret");
    QTest::keyClick(FocusTarget(), Qt::Key_Return);
    Pump();
    EXPECT_EQ(ValueOf(grid->Cells(1, 2), "pin"), "s3cret");

    // a mask edits with the PROP mask and stores the formatted text
    ASSERT_TRUE(ClickTag(1, 3, "d"));
    EXPECT_EQ(edit->EditMask(), "00-00");
    EXPECT_EQ(edit->PasswordChar(), '\0');
    QTest::keyClicks(FocusTarget(), "1231");
    grid->SetFocus(); // leaving by focus commits too
    Pump();
    EXPECT_EQ(ValueOf(grid->Cells(1, 3), "d"), "12-31");
    EXPECT_EQ(done.size(), 3u);

    // a click on another tag while an edit is open commits that edit first
    ASSERT_TRUE(ClickTag(1, 2, "name"));
    QTest::keyClick(FocusTarget(), Qt::Key_End);
    QTest::keyClicks(FocusTarget(), "!");
    ASSERT_TRUE(ClickTag(1, 1, "ok"));
    EXPECT_EQ(ValueOf(grid->Cells(1, 2), "name"), "Joe & Ann!");
    EXPECT_EQ(done.size(), 4u);
}

TEST_F(GridForms, TabOpensTheNextEditableTagOfTheCell)
{
    ASSERT_TRUE(ClickTag(1, 2, "name"));
    QTest::keyClick(FocusTarget(), Qt::Key_Tab);
    Pump();
    EXPECT_EQ(grid->FormControlID, "pin");
    EXPECT_TRUE(grid->FormControlEdit()->Focused());
    QTest::keyClick(FocusTarget(), Qt::Key_Tab);
    Pump();
    EXPECT_EQ(grid->FormControlID, "city");
    EXPECT_EQ(grid->FormControlType, "COMBO");
    EXPECT_TRUE(grid->FormControlCombo()->Visible());
    QTest::keyClick(FocusTarget(), Qt::Key_Tab);
    Pump();
    EXPECT_FALSE(grid->FormControlActive);
    EXPECT_TRUE(grid->Focused());
    EXPECT_EQ(ValueOf(grid->Cells(1, 2), "city"), "Delft");

    // with AdvanceAuto, Tab moves the current cell on instead
    grid->Navigation()->SetAdvanceAuto(true);
    grid->SetCol(1);
    grid->SetRow(2);
    ASSERT_TRUE(ClickTag(1, 2, "name"));
    QTest::keyClick(FocusTarget(), Qt::Key_Tab);
    Pump();
    EXPECT_FALSE(grid->FormControlActive);
    EXPECT_NE(std::make_pair(grid->Col(), grid->Row()), std::make_pair(1, 2));
}

TEST_F(GridForms, ComboListComesFromTheEventAndPickOnlyListsRefuseFreeText)
{
    std::vector<std::string> selected;
    grid->OnControlComboList = [](TObject*, int row, int col, const String& id, const String&, const String& val,
                                  TStringList* values, bool& edit, int& dropCount) {
        EXPECT_EQ(row, 2);
        EXPECT_EQ(col, 1);
        EXPECT_EQ(id, "city");
        EXPECT_EQ(val, "Delft");
        values->Add("Breda");
        values->Add("Delft");
        values->Add("Ede");
        edit = false;
        dropCount = 3;
    };
    grid->OnControlComboSelect = [&](TObject*, int row, int col, int index, const String& id, const String& v) {
        selected.push_back(IntToStr(col) + "," + IntToStr(row) + " " + IntToStr(index) + " " + id + " " + v);
    };
    ASSERT_TRUE(ClickTag(1, 2, "city"));
    TControlCombo* combo = grid->FormControlCombo();
    ASSERT_TRUE(combo->Visible());
    EXPECT_EQ(combo->Style(), csDropDownList);
    EXPECT_EQ(combo->DropDownCount(), 3);
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->SetDroppedDown(false);
    Pump();
    QTest::keyClick(FocusTarget(), Qt::Key_Down);
    Pump();
    QTest::keyClicks(FocusTarget(), "xyz"); // a pick-only list takes no free text
    QTest::keyClick(FocusTarget(), Qt::Key_Return);
    Pump();
    ASSERT_FALSE(selected.empty());
    EXPECT_EQ(selected.front(), "1,2 2 city Ede");
    EXPECT_EQ(ValueOf(grid->Cells(1, 2), "city"), "Ede");
    EXPECT_FALSE(combo->Visible());
}

TEST_F(GridForms, PictureOfACellWithFormControls)
{
    ASSERT_TRUE(ClickTag(1, 2, "name"));
    const QImage shot = form->Host()->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    if (const char* dir = std::getenv("QUELM_SHOTS"))
        shot.save(QString::fromUtf8(dir) + "/grid_form_controls.png");
}
