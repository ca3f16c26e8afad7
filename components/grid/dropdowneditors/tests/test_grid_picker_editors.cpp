// The calculator, detail, colour and image drop-downs as cell editors of a shown grid, driven
// by real keys and mouse clicks: which editor a cell gets, the keys that start, end and cancel
// an edit, what reaches the cell, and the events of each edit in order.
#include "GridDropDownEditors.h"

#include "../../tests/GridEditorsFixture.h"

#include "platform/framework/ImgList.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

namespace {

bool WaitFor(const std::function<bool()>& condition, int ms = 2000)
{
    QElapsedTimer t;
    t.start();
    while (!condition() && t.elapsed() < ms)
        QTest::qWait(5);
    return condition();
}

struct PickerEditFixture : GridEditFixture {
    TImageList* images = new TImageList(16, 16, &form);

    PickerEditFixture()
    {
        RegisterGridDropDownEditors();
        for (TColor c : {clRed, clLime, clBlue}) {
            TBitmap square;
            square.SetSize(16, 16);
            square.Canvas()->Brush->Color = c;
            square.Canvas()->FillRect(TRect(0, 0, 16, 16));
            images->Add(&square, nullptr);
        }
        grid->GridImages = images;
        grid->OnEditChange = [this](TObject*, int, int, String v) { Log("change " + v); };
        grid->OnColorSelected = [this](TObject*, int c, int r, TColor& color, String& v) {
            Log("colour selected " + std::to_string(c) + "," + std::to_string(r) + " " + v);
            if (!colourText.empty())
                v = colourText;
            (void)color;
        };
        grid->OnImageSelected = [this](TObject*, int, int, int& index) {
            Log("image selected " + std::to_string(index));
        };
        auto* detail = Detail();
        for (const char* caption : {"Apple", "Banana", "Cherry"})
            detail->Items()->Add()->SetCaption(caption);
        Colour()->ColorValueText = cvtHex;
        Colour()->AddStandardColors();
    }
    // A key as the user presses it: to the focused control, or to the active window (an open
    // pop-up) when no control holds the focus.
    void Key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QWidget* w = QApplication::focusWidget();
        if (!w)
            w = QApplication::activeWindow();
        QTest::keyClick(w ? w : grid->Host(), k, m);
        Pump();
    }
    template <class T>
    T* Editor(TEditorType type)
    {
        return dynamic_cast<T*>(grid->ExternalEditor(type));
    }
    TGridCalculatorDropDown* Calculator() { return Editor<TGridCalculatorDropDown>(edCalculatorDropDown); }
    TGridDetailPickerDropDown* Detail() { return Editor<TGridDetailPickerDropDown>(edDetailDropDown); }
    TGridColorDropDown* Colour() { return Editor<TGridColorDropDown>(edColorPickerDropDown); }
    TGridImageDropDown* Image() { return Editor<TGridImageDropDown>(edImagePickerDropDown); }
    // Opens the editor of the type on the cell with F2.
    void Edit(TEditorType type, int col, int row)
    {
        editor = type;
        grid->SetFocus();
        Pump();
        Go(col, row);
        Open();
    }
    void Shot(const char* name)
    {
        if (const char* dir = std::getenv("QUELM_SHOTS")) {
            Pump();
            const QImage shot = form.Host()->grab().toImage();
            QImage whole(420, 420, QImage::Format_RGB32);
            whole.fill(Qt::white);
            // the pop-up is a window of its own: drawn below the form where it shows
            QPainter p(&whole);
            p.drawImage(0, 0, shot);
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w != form.Host() && w->isVisible())
                    p.drawImage(w->geometry().topLeft() - form.Host()->geometry().topLeft(), w->grab().toImage());
            p.end();
            whole.save(QString::fromUtf8(dir) + "/grid_editor_" + name + ".png");
        }
    }
    std::string colourText;
};

} // namespace

TEST_F(PickerEditFixture, EachTypeGetsItsEditorAndWritesItsValue)
{
    struct Case {
        TEditorType type;
        const char* className;
        String start;
        QString typed;
        String written;
    } cases[] = {
        {edCalculatorDropDown, "TGridCalculatorDropDown", "12", "+3", "15.00"},
        {edDetailDropDown, "TGridDetailPickerDropDown", "Apple", "Ch", "Cherry"},
    };
    int row = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.className);
        grid->SetCells(1, row, c.start);
        Edit(c.type, 1, row);
        TWinControl* control = grid->ExternalEditor(c.type);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->ClassName(), c.className);
        EXPECT_TRUE(control->Visible());
        EXPECT_TRUE(control->Focused());
        EXPECT_EQ(grid->ActiveEditor, control);
        static_cast<TCustomEdit*>(control)->SelectAll();
        Type(c.typed);
        Key(Qt::Key_Return);
        EXPECT_EQ(grid->Cells(1, row), c.written);
        EXPECT_FALSE(control->Visible());
        EXPECT_FALSE(grid->Editing);
        ++row;
    }
}

TEST_F(PickerEditFixture, ColourGoesIntoTheShapeOrTheBackgroundWithItsTextAndEscWritesNothing)
{
    grid->AddShape(1, 1, 0, clRed, clBlack);
    grid->SetShapeColor(1, 1, clRed);
    grid->SetColors(1, 2, clLime);
    grid->SetCells(1, 3, "keep");
    grid->SetColors(1, 3, clLime);

    // a shape cell: the picked colour becomes the shape's
    Edit(edColorPickerDropDown, 1, 1);
    EXPECT_EQ(Colour()->SelectedColor(), TColor(clRed));
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return Colour()->DroppedDown(); }));
    EXPECT_TRUE(grid->Editing) << "Alt+Down opens the pop-up and commits nothing";
    Key(Qt::Key_Down);
    const TColor picked = Colour()->SelectedColor();
    EXPECT_NE(picked, TColor(clRed));
    EXPECT_TRUE(grid->Editing) << "with the pop-up open the arrows pick colours";
    Key(Qt::Key_Return);
    EXPECT_FALSE(grid->Editing);
    EXPECT_EQ(grid->GetShapeColor(1, 1), picked);
    EXPECT_EQ(grid->Cells(1, 1), ColorValueTextOf(picked, cvtHex));

    // a plain cell: the background; the handler's text is written
    colourText = "light";
    Edit(edColorPickerDropDown, 1, 2);
    EXPECT_EQ(Colour()->SelectedColor(), TColor(clLime));
    Key(Qt::Key_Down); // closed: Down ends the edit without validation and moves on
    EXPECT_FALSE(grid->Editing);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->Cells(1, 2), "light");
    EXPECT_EQ(grid->GetColors(1, 2), TColor(clLime));

    // Esc after a pick: neither the colour nor the text of the cell changes
    events.clear();
    Edit(edColorPickerDropDown, 1, 3);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return Colour()->DroppedDown(); }));
    Key(Qt::Key_Down);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(grid->Editing);
    EXPECT_FALSE(Colour()->DroppedDown());
    EXPECT_EQ(grid->GetColors(1, 3), TColor(clLime));
    EXPECT_EQ(grid->Cells(1, 3), "keep");
    EXPECT_FALSE(Logged("colour selected 1,3 light"));
}

TEST_F(PickerEditFixture, ImageIndexGoesIntoAnImageListCellAndAsTextIntoADataImageCell)
{
    grid->CreateCellGraphic(1, 1)->CellType = ctImageList;
    grid->SetCellImageIndex(1, 1, 0);
    grid->CreateCellGraphic(1, 2)->CellType = ctDataImage;
    grid->SetCells(1, 2, "1");

    Edit(edImagePickerDropDown, 1, 1);
    EXPECT_EQ(Image()->Items()->Count(), 3) << "one item per image of the grid's images";
    EXPECT_EQ(Image()->GetSelectedImageIndex(), 0);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return Image()->DroppedDown(); }));
    // a click on the last item of the pop-up picks it
    TPlusCustomItemSelector* list = Image()->ItemSelector();
    ASSERT_NE(list, nullptr);
    const TRect r = list->Items()->Items(2)->ItemRect;
    QTest::mouseClick(list->Panel()->Host(), Qt::LeftButton, {}, QPoint(r.Left + 3, r.Top + 3));
    Pump();
    EXPECT_EQ(Image()->GetSelectedImageIndex(), 2);
    Key(Qt::Key_Return);
    EXPECT_FALSE(grid->Editing);
    int index = -1;
    EXPECT_TRUE(grid->GetCellImageIndex(1, 1, index));
    EXPECT_EQ(index, 2);

    // a data-image cell gets the index as text; with the pop-up open Return picks and ends the edit
    Edit(edImagePickerDropDown, 1, 2);
    EXPECT_EQ(Image()->GetSelectedImageIndex(), 1);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return Image()->DroppedDown(); }));
    const TRect first = list->Items()->Items(0)->ItemRect;
    QTest::mouseClick(list->Panel()->Host(), Qt::LeftButton, {}, QPoint(first.Left + 3, first.Top + 3));
    Pump();
    Key(Qt::Key_Return);
    EXPECT_FALSE(grid->Editing);
    EXPECT_FALSE(Image()->DroppedDown());
    EXPECT_EQ(grid->Cells(1, 2), "0");
    EXPECT_TRUE(Logged("image selected 0"));
}

TEST_F(PickerEditFixture, KeysThatEndCommitOrCancelAnEdit)
{
    struct Case {
        const char* name;
        TEditorType type;
        bool open;       // the pop-up is opened first
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        bool editing;    // still editing afterwards
        int col, row;    // the current cell afterwards
        bool validated;  // the value went through validation
    } cases[] = {
        {"calc Return", edCalculatorDropDown, false, Qt::Key_Return, {}, false, 2, 2, true},
        {"calc Up", edCalculatorDropDown, false, Qt::Key_Up, {}, false, 1, 1, true},
        {"calc Down", edCalculatorDropDown, false, Qt::Key_Down, {}, false, 1, 3, true},
        {"calc PageUp", edCalculatorDropDown, false, Qt::Key_PageUp, {}, false, 1, 2, false},
        {"calc Tab", edCalculatorDropDown, false, Qt::Key_Tab, {}, false, 1, 2, true}, // no goTabs: the grid keeps the cell
        {"calc Home", edCalculatorDropDown, false, Qt::Key_Home, {}, true, 1, 2, false},
        {"calc Alt+Down", edCalculatorDropDown, false, Qt::Key_Down, Qt::AltModifier, true, 1, 2, false},
        {"detail Up", edDetailDropDown, false, Qt::Key_Up, {}, false, 1, 1, true},
        {"colour Up", edColorPickerDropDown, false, Qt::Key_Up, {}, false, 1, 1, false},
        // a picker without typing hands only Return, Esc, the arrows and the page keys to its key handling
        {"colour Home", edColorPickerDropDown, false, Qt::Key_Home, {}, true, 1, 2, false},
        {"colour PageDown", edColorPickerDropDown, false, Qt::Key_PageDown, {}, false, 1, 2, false},
        {"colour Return", edColorPickerDropDown, false, Qt::Key_Return, {}, false, 2, 2, false}, // text unchanged
        {"colour open Up", edColorPickerDropDown, true, Qt::Key_Up, {}, true, 1, 2, false},
        {"colour open Home", edColorPickerDropDown, true, Qt::Key_Home, {}, true, 1, 2, false},
        {"image open Down", edImagePickerDropDown, true, Qt::Key_Down, {}, false, 1, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->SetCells(1, 2, "Apple");
        grid->SetColors(1, 2, clRed);
        Edit(c.type, 1, 2);
        TPlusCustomDropDown* control = static_cast<TPlusCustomDropDown*>(grid->ExternalEditor(c.type));
        if (c.type != edColorPickerDropDown && c.type != edImagePickerDropDown) {
            control->SelectAll();
            Type("9");
        }
        if (c.open) {
            Key(Qt::Key_Down, Qt::AltModifier);
            ASSERT_TRUE(WaitFor([&] { return control->DroppedDown(); }));
        }
        events.clear();
        Key(c.key, c.mods);
        EXPECT_EQ(grid->Editing, c.editing);
        EXPECT_EQ(control->Visible(), c.editing);
        EXPECT_EQ(grid->Col(), c.col);
        EXPECT_EQ(grid->Row(), c.row);
        const bool validated =
            std::any_of(events.begin(), events.end(), [](const std::string& e) { return e.rfind("validate", 0) == 0; });
        EXPECT_EQ(validated, c.validated);
        if (!c.editing && c.type == edCalculatorDropDown)
            EXPECT_EQ(grid->Cells(1, 2), "9.00");
        if (c.editing) {
            Key(Qt::Key_Escape);
            EXPECT_FALSE(control->DroppedDown());
            EXPECT_FALSE(grid->Editing);
            EXPECT_EQ(grid->Cells(1, 2), "Apple") << "Esc writes nothing new";
            EXPECT_EQ(grid->GetColors(1, 2), TColor(clRed));
        }
    }
}
