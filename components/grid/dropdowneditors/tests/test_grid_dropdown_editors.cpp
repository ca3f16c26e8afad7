// The drop-down cell editors over a grid cell, driven through real keys.
#include "components/grid/dropdowneditors/GridDropDownEditors.h"

#include "components/grid/tests/GridEditorsFixture.h"

#include <QImage>
#include <QPixmap>

struct DropDownEditFixture : GridEditFixture {
    DropDownEditFixture() { RegisterGridDropDownEditors(); }
};

TEST_F(DropDownEditFixture, EachDropDownTypeOpensOverTheCellAndWritesItsTextBack)
{
    struct Case {
        TEditorType type;
        String start;
        QString typed;
        String written;
    } cases[] = {
        {edTrackbarDropDown, "7", "", "7"},
        {edMemoDropDown, "", "note", "note"},
        {edTimePickerDropDown, "10:30:00", "", "10:30:00"},
    };
    const char* dir = std::getenv("QUELM_SHOTS");
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
        EXPECT_TRUE(control->Focused());
        Type(c.typed);
        if (dir) {
            const QImage shot = form.Host()->grab().toImage();
            shot.save(QString::fromUtf8(dir) + "/grid_dropdown_" + QString::number(int(c.type)) + ".png");
        }
        Key(Qt::Key_Return);
        EXPECT_EQ(grid->Cells(1, row), c.written);
        EXPECT_FALSE(control->Visible());
        EXPECT_FALSE(grid->Editing);
        grid->SetFocus();
        ++row;
    }
}

TEST_F(DropDownEditFixture, EscRestoresAndARefusedValueKeepsTheEditorOpen)
{
    editor = edMemoDropDown;
    grid->SetCells(1, 1, "5");
    Go(1, 1);
    Open();
    TWinControl* control = grid->ExternalEditor(edMemoDropDown);
    static_cast<TCustomEdit*>(control)->SelectAll();
    Type("9");
    Key(Qt::Key_Escape);
    EXPECT_EQ(grid->Cells(1, 1), "5");
    EXPECT_FALSE(control->Visible());
    refuse = "7";
    grid->SetFocus();
    Open();
    static_cast<TCustomEdit*>(control)->SelectAll();
    Type("7");
    Key(Qt::Key_Return);
    EXPECT_TRUE(control->Visible());
    EXPECT_EQ(grid->Cells(1, 1), "5");
}

TEST_F(DropDownEditFixture, DateTimeEditorWritesTheDateAndTimeAndEscKeepsTheShownDate)
{
    editor = edDateTimeEdit;
    grid->SetCells(1, 1, "24/12/2024 10:30:00");
    Go(1, 1);
    Open();
    auto* picker = dynamic_cast<TGridDateTimePicker*>(grid->ExternalEditor(edDateTimeEdit));
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(picker->Visible());
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "24/12/2024 10:30:00");
}
