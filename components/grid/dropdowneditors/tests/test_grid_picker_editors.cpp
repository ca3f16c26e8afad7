// The calculator, detail, colour and image drop-downs as cell editors of a shown grid, driven
// by real keys and mouse clicks: which editor a cell gets, the keys that start, end and cancel
// an edit, what reaches the cell, and the events of each edit in order.
#include "components/grid/dropdowneditors/GridDropDownEditors.h"
#include "platform/testing/quelm_test_support.h"

#include "components/grid/tests/GridEditorsFixture.h"

#include "platform/framework/ImgList.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

namespace {

using quelmtest::WaitFor;

template <class Item, class D>
void FillFruits(D* d)
{
    d->Columns()->Add()->Header = "Fruit";
    for (const char* f : {"Apple", "Banana", "Cherry", "Damson"})
        static_cast<Item*>(d->Items()->Add())->Text()->Add(f);
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
        FillFruits<PlusMultiColumnDropDown::TDropDownItem>(Editor<TGridGridDropDown>(edGridDropDown));
        FillFruits<PlusCustomGridDropDown::TDropDownItem>(Editor<TGridPlusGridDropDown>(edPlusGridDropDown));
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
        {edGridDropDown, "TGridGridDropDown", "Apple", "Ch", "Cherry"},
        {edPlusGridDropDown, "TGridPlusGridDropDown", "Apple", "Da", "Damson"},
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

TEST_F(PickerEditFixture, ARefusedValueKeepsTheEditorOnTheCellAndIsNeverWritten)
{
    grid->SetCells(1, 1, "5");
    refuse = "7.00";
    Edit(edCalculatorDropDown, 1, 1);
    TGridCalculatorDropDown* calc = Calculator();
    auto retype = [&] {
        calc->SelectAll();
        Type("7");
    };
    // Return: the editor stays on the cell with the validated text, all of it selected
    retype();
    Key(Qt::Key_Return);
    EXPECT_TRUE(grid->Editing);
    EXPECT_TRUE(calc->Focused());
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Cells(1, 1), "5");
    EXPECT_EQ(calc->Text(), "5");
    EXPECT_EQ(calc->SelLength(), 1);
    // Tab: the same, with the caret after the text; the handler's replacement is shown
    replacement = "6";
    retype();
    Key(Qt::Key_Tab);
    EXPECT_TRUE(grid->Editing);
    EXPECT_EQ(grid->Cells(1, 1), "5");
    EXPECT_EQ(calc->Text(), "6");
    EXPECT_EQ(calc->SelStart(), 1);
    EXPECT_EQ(calc->SelLength(), 0);
    // leaving the editor by a click on another cell: the refused text is not written either
    retype();
    events.clear();
    const TRect other = grid->CellRect(3, 3);
    QTest::mouseClick(grid->Host(), Qt::LeftButton, {}, QPoint(other.Left + 5, other.Top + 5));
    Pump();
    EXPECT_FALSE(grid->Editing);
    EXPECT_FALSE(calc->Visible());
    EXPECT_TRUE(Logged("validate 7.00"));
    EXPECT_EQ(grid->Cells(1, 1), "6");
}

TEST_F(PickerEditFixture, ATypedCharacterStartsTheEditorAndReachesItOnce)
{
    editor = edCalculatorDropDown;
    Go(1, 1);
    Type("7");
    ASSERT_TRUE(grid->Editing);
    EXPECT_TRUE(Calculator()->Focused());
    EXPECT_EQ(grid->EditStartKey, '\0');
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "7.00");
}

// One grid edited through each new editor in turn, with keys and clicks as a user gives them.
TEST_F(PickerEditFixture, EditsThroughEachEditorFireTheirEventsInOrder)
{
    grid->OnEditingDone = [this](TObject*) { Log("editing done"); };
    grid->OnColorSelect = [this](TObject*, int, int, TColor, const String& v) { Log("colour pick " + v); };
    grid->SetCells(1, 1, "2");
    grid->CreateCellGraphic(4, 1)->CellType = ctImageList;
    grid->SetCellImageIndex(4, 1, 0);

    Edit(edCalculatorDropDown, 1, 1);
    Calculator()->SelectAll();
    Type("2*4");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "8.00");
    EXPECT_EQ(grid->Col(), 2) << "Return moves on";

    Edit(edDetailDropDown, 2, 1);
    Type("Ba");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(2, 1), "Banana");

    auto pick = [&](TPlusCustomDropDown* d, TPlusCustomItemSelector* list, int item) {
        Key(Qt::Key_Down, Qt::AltModifier);
        ASSERT_TRUE(WaitFor([&] { return d->DroppedDown(); }));
        list = list ? list : (d == Colour() ? Colour()->ItemSelector() : Image()->ItemSelector());
        ASSERT_NE(list, nullptr);
        list->ScrollIntoView(item);
        const TRect r = list->Items()->Items(item)->ItemRect;
        QTest::mouseClick(list->Panel()->Host(), Qt::LeftButton, {}, QPoint(r.Left + 3, r.Top + 3));
        Pump();
    };
    Edit(edColorPickerDropDown, 3, 1);
    pick(Colour(), nullptr, 12);
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->GetColors(3, 1), TColor(0xFF0000));

    Edit(edImagePickerDropDown, 4, 1);
    pick(Image(), nullptr, 1);
    Key(Qt::Key_Return);
    int index = -1;
    EXPECT_TRUE(grid->GetCellImageIndex(4, 1, index));
    EXPECT_EQ(index, 1);

    EXPECT_EQ(events, (std::vector<std::string>{
                          // the calculator: each value shown, completed on Return, validated, done
                          "change 2", "change 2.00", "change 4.00", "change 8.00", "validate 8.00",
                          "editing done", "done 1,1",
                          // the detail list: the typed prefix completed to the caption
                          "change Banana", "change Banana", "change Banana", "change Banana", "validate Banana",
                          "editing done", "done 2,1",
                          // the colour: picked in the pop-up, then written (its text was not changed)
                          "colour pick FF0000", "colour selected 3,1 FF0000", "editing done", "done 3,1",
                          // the image
                          "image selected 1", "editing done", "done 4,1"}));
}

// Each new editor open over its cell with its pop-up shown, drawn; with QUELM_SHOTS set the
// pictures are kept there.
TEST_F(PickerEditFixture, EachEditorOpenOverItsCellIsDrawn)
{
    grid->SetDefaultColWidth(90);
    grid->SetCells(1, 1, "12.5");
    grid->SetCells(1, 2, "Banana");
    grid->SetColors(1, 3, clLime);
    grid->CreateCellGraphic(1, 4)->CellType = ctImageList;
    grid->SetCellImageIndex(1, 4, 2);
    struct Case {
        const char* name;
        TEditorType type;
        int row;
    } cases[] = {
        {"calculator", edCalculatorDropDown, 1},
        {"detail", edDetailDropDown, 2},
        {"colour", edColorPickerDropDown, 3},
        {"image", edImagePickerDropDown, 4},
        {"multicolumn", edGridDropDown, 2},
        {"plusgrid", edPlusGridDropDown, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Edit(c.type, 1, c.row);
        auto* d = static_cast<TPlusCustomDropDown*>(grid->ExternalEditor(c.type));
        EXPECT_TRUE(d->Visible());
        const TRect cell = grid->CellRect(1, c.row);
        EXPECT_EQ(d->Left(), cell.Left);
        EXPECT_EQ(d->Top(), cell.Top);
        Key(Qt::Key_Down, Qt::AltModifier);
        ASSERT_TRUE(WaitFor([&] { return d->DroppedDown(); }));
        Shot(c.name);
        Key(Qt::Key_Escape);
        EXPECT_FALSE(grid->Editing);
    }
}
