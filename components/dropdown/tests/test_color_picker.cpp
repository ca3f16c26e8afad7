// The colour picker and its panels on real (offscreen) windows: colour texts, the cube's hit
// test and hint, the spectrum's layout, the theme colour boxes and their keys, and the picker's
// value rules, keys and picks.
#include "components/dropdown/PlusColorPickerDropDown.h"
#include "platform/testing/quelm_test_support.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinGdi.h"
#include "platform/win/WinWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using quelmtest::WaitFor;

// ---------------------------------------------------------------- colour texts

struct TextCase {
    const char* name;
    TColor color;
    TColorValueText notation;
    const char* text;
};

class ColourText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ColourText, InEachNotation)
{
    EXPECT_EQ(ColorValueTextOf(GetParam().color, GetParam().notation), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ColourText,
    ::testing::Values(TextCase{"None", 0x0000FF, cvtNone, ""},
                      TextCase{"HexKeepsTheStoredOrder", 0x0000FF, cvtHex, "0000FF"},
                      TextCase{"WebName", 0x0000FF, cvtWebName, "#0000FF"},
                      TextCase{"HtmlIsRedGreenBlue", 0x0000FF, cvtHTML, "#FF0000"},
                      TextCase{"Rgb", 0x0000FF, cvtRGB, "Red:255,Green:0,Blue:0"},
                      TextCase{"HexOfAMixedColour", 0x123456, cvtHex, "123456"},
                      TextCase{"HtmlOfAMixedColour", 0x123456, cvtHTML, "#563412"},
                      TextCase{"SystemColourHexHasEightDigits", clWindow, cvtHex, "FF000005"},
                      TextCase{"SystemColourResolvedForHtml", clWindow, cvtHTML, "#FFFFFF"},
                      TextCase{"SystemColourResolvedForRgb", clWindow, cvtRGB, "Red:255,Green:255,Blue:255"}),
    [](const auto& info) { return String(info.param.name); });

// ---------------------------------------------------------------- the cube

struct CubeFixture {
    TForm* form = New<TForm>(nullptr);
    TPlusColorCubePanel* cube = new TPlusColorCubePanel(form);
    CubeFixture()
    {
        form->SetBounds(100, 100, 220, 200);
        cube->SetParent(form);
    }
    ~CubeFixture() { delete form; }
};

TEST(ColourCube, HitTestAtThePoints)
{
    CubeFixture f;
    struct {
        int x, y, cell;
    } cases[] = {
        {91, 80, 64},      // the middle: white
        {55, 20, 1},       // the first cell
        {61, 20, 1},       // 6 pixels right of a centre is still inside
        {127 + 6, 20, 7},  // the last cell of the first row
        {127 + 7, 20, -1}, // 7 pixels right of it: none
        {0, 0, -1},
        {91, 140, 124},    // the last row's middle
    };
    for (const auto& c : cases)
        EXPECT_EQ(f.cube->CellAtPos(c.x, c.y), c.cell) << c.x << "," << c.y;
    EXPECT_EQ(f.cube->Cell(64).Color, TColor(0xFFFFFF));
    EXPECT_EQ(f.cube->Cell(127).Color, TColor(0x2100A5));
    EXPECT_EQ(f.cube->Cell(127).X, 127);
    EXPECT_EQ(f.cube->Cell(127).Y, 140);
}

TEST(ColourCube, SelectedColourFindsItsCellAndTheHintNamesTheHotOne)
{
    CubeFixture f;
    f.cube->SetSelectedColor(0xFFFFFF);
    EXPECT_EQ(f.cube->SelectedIndex(), 64);
    f.cube->SetSelectedColor(0x123456);
    EXPECT_EQ(f.cube->SelectedIndex(), -1);
    EXPECT_EQ(f.cube->SelectedColor(), TColor(0x123456));

    f.form->Show();
    const TCubeCell& cell = f.cube->Cell(109);
    ASSERT_EQ(cell.Color, TColor(0x0066FF));
    QTest::mouseMove(f.cube->Host(), QPoint(cell.X, cell.Y));
    EXPECT_EQ(f.cube->HotIndex(), 109);
    EXPECT_EQ(f.cube->Hint(), "Red: 255,  Green: 102,  Blue: 0");
    QTest::mouseMove(f.cube->Host(), QPoint(2, 2));
    EXPECT_EQ(f.cube->Hint(), "");
    EXPECT_EQ(f.cube->HotIndex(), 109) << "the hot cell stays marked";

    int selects = 0;
    f.cube->OnSelect = [&](TObject*) { ++selects; };
    QTest::mouseClick(f.cube->Host(), Qt::LeftButton, {}, QPoint(91, 80));
    EXPECT_EQ(f.cube->SelectedIndex(), 64);
    EXPECT_EQ(f.cube->SelectedColor(), TColor(0xFFFFFF));
    QTest::mouseClick(f.cube->Host(), Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(selects, 1);
}

// ---------------------------------------------------------------- the spectrum

TEST(ColourSpectrum, LayoutAndAClickWithoutAMoveTakesNoColour)
{
    TForm* form = New<TForm>(nullptr);
    auto* s = new TPlusColorSpectrumPanel(form);
    s->SetParent(form);
    s->LayoutSpectrum();
    EXPECT_EQ(s->Width(), 150);
    EXPECT_EQ(s->Height(), 174);
    EXPECT_EQ(s->SpectrumImage()->Left(), 11);
    EXPECT_EQ(s->SpectrumImage()->Top(), 10);
    EXPECT_EQ(s->SelectedSwatch, TRect(10, 146, 73, 166));
    EXPECT_EQ(s->HotSwatch, TRect(77, 146, 140, 166));
    form->SetBounds(100, 100, 200, 200);
    form->Show();
    int selects = 0;
    s->OnSelect = [&](TObject*) { ++selects; };
    s->SpectrumImage()->OnMouseDown(s->SpectrumImage(), mbLeft, {}, 64, 64);
    EXPECT_EQ(s->SelectedColor(), clNone);
    // over the row of full colours at the left: red
    s->SpectrumImage()->OnMouseMove(s->SpectrumImage(), {}, 0, 63);
    s->SpectrumImage()->OnMouseDown(s->SpectrumImage(), mbLeft, {}, 0, 63);
    EXPECT_EQ(s->SelectedColor(), TColor(0x0000FF));
    EXPECT_EQ(selects, 2);
    delete form;
}

// ---------------------------------------------------------------- the theme colour boxes

struct ColorSelectorFixture {
    TForm* form = New<TForm>(nullptr);
    TCustomColorSelector* s = new TCustomColorSelector(form);
    ColorSelectorFixture()
    {
        s->SetParent(form);
        s->FillThemeColors();
        s->UpdateLayout();
    }
    ~ColorSelectorFixture() { delete form; }
};

TEST(ColourBoxes, ThemeColoursLayOutInSixRows)
{
    ColorSelectorFixture f;
    EXPECT_EQ(f.s->Width(), 165);
    EXPECT_EQ(f.s->Height(), 84);
    const int rowTops[6] = {4, 20, 32, 44, 56, 68};
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(f.s->Items()->Items(r * 10)->BoxRect.Top, rowTops[r]) << "row " << r;
    EXPECT_EQ(f.s->Items()->Items(9)->BoxRect, TRect(148, 4, 160, 16));
    EXPECT_EQ(f.s->Items()->Items(0)->ColorBoxPos, ipStandAlone);
    EXPECT_EQ(f.s->Items()->Items(59)->ColorBoxPos, ipBottom);
    EXPECT_EQ(f.s->BoxAtPos(4, 4), 0);
    EXPECT_EQ(f.s->BoxAtPos(4, 17), -1) << "the gap below the first row";
}

TEST(ColourBoxes, KeysAndColours)
{
    ColorSelectorFixture f;
    int selects = 0;
    f.s->OnSelect = [&](TObject*) { ++selects; };
    f.s->SetSelectedColor(TColor(0x7F7F7F));
    EXPECT_EQ(f.s->ItemIndex(), 11) << "the first of the two boxes of that colour";
    f.s->SelectBox(3);
    f.s->HandleSelectorKey(VK_DOWN, false, true);
    EXPECT_EQ(f.s->ItemIndex(), 13);
    f.s->HandleSelectorKey(VK_DOWN, false, false);
    EXPECT_EQ(f.s->ItemIndex(), 14);
    f.s->SelectBox(55);
    f.s->HandleSelectorKey(VK_DOWN, false, true);
    EXPECT_EQ(f.s->ItemIndex(), 55);
    f.s->HandleSelectorKey(VK_PRIOR, false, true);
    EXPECT_EQ(f.s->ItemIndex(), 0);
    f.s->HandleSelectorKey(VK_NEXT, false, false);
    EXPECT_EQ(f.s->ItemIndex(), 59);
    // Left and Right step only for a non-editable owner or an open pop-up
    f.s->HandleSelectorKey(VK_LEFT, true, false);
    EXPECT_EQ(f.s->ItemIndex(), 59);
    f.s->HandleSelectorKey(VK_LEFT, false, false);
    EXPECT_EQ(f.s->ItemIndex(), 58);
    const int before = selects;
    f.s->SetSelectedColor(0x123456);
    EXPECT_EQ(f.s->ItemIndex(), -1);
    EXPECT_EQ(selects, before) << "clearing the selection fires nothing";
}

// ---------------------------------------------------------------- the picker

struct ColorPickerFixture {
    TForm* form = New<TForm>(nullptr);
    TPlusColorPickerDropDown* p = new TPlusColorPickerDropDown(form);
    int selects = 0;
    ColorPickerFixture()
    {
        form->SetBounds(100, 100, 400, 300);
        p->SetParent(form);
        p->SetBounds(20, 20, 200, 21);
        p->AddStandardColors();
        p->OnSelect = [this](TObject*) { ++selects; };
    }
    ~ColorPickerFixture() { delete form; }
    String Text()
    {
        String t;
        p->GetColorText(t);
        return t;
    }
    void Show()
    {
        form->Show();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
        p->SetFocus();
    }
    void Open()
    {
        p->ShowDropDown();
        EXPECT_TRUE(WaitFor([&] { return p->IsDroppedDown() && p->DropDownForm()->Visible(); }));
    }
};

TEST(ColourPicker, ValueRules)
{
    ColorPickerFixture f;
    EXPECT_EQ(f.p->Colors()->Count(), 16);
    EXPECT_FALSE(f.p->EditorEnabled());
    f.p->SetSelectedColor(0x0000FF);
    EXPECT_EQ(f.p->ItemIndex(), 9);
    EXPECT_EQ(f.Text(), "Red");
    EXPECT_EQ(f.selects, 1);
    f.p->SetSelectedColor(0x123456);
    EXPECT_EQ(f.p->ItemIndex(), 9) << "a colour of no entry keeps the entry";
    EXPECT_EQ(f.Text(), "Red");
    f.p->SetItemIndex(-1);
    EXPECT_EQ(f.p->SelectedColor(), TColor(0x123456));
    EXPECT_EQ(f.selects, 2);
    f.p->SetItemIndex(16);
    EXPECT_EQ(f.selects, 2);
    f.p->ColorValueText = cvtHTML;
    EXPECT_EQ(f.Text(), "#563412");
}

TEST(ColourPicker, ListKeysWhileClosedAndTypeAhead)
{
    ColorPickerFixture f;
    f.Show();
    f.p->SetItemIndex(2);
    QTest::keyClick(f.p->Host(), Qt::Key_Down);
    EXPECT_EQ(f.p->ItemIndex(), 3);
    QTest::keyClick(f.p->Host(), Qt::Key_Up);
    QTest::keyClick(f.p->Host(), Qt::Key_Up);
    EXPECT_EQ(f.p->ItemIndex(), 1);
    QTest::keyClick(f.p->Host(), Qt::Key_End);
    EXPECT_EQ(f.p->ItemIndex(), 15);
    QTest::keyClick(f.p->Host(), Qt::Key_Home);
    EXPECT_EQ(f.p->ItemIndex(), 0);
    // the list is loaded at the first opening; type-ahead then searches it
    f.Open();
    f.p->HideDropDown(false);
    QTest::keyClicks(f.p->Host(), "si");
    EXPECT_EQ(f.p->SearchText(), "SI");
    EXPECT_EQ(f.p->ItemIndex(), 8);
    EXPECT_EQ(f.p->SelectedColor(), TColor(0xC0C0C0));
    EXPECT_TRUE(WaitFor([&] { return f.p->SearchText().empty(); }, 1000));
}

TEST(ColourPicker, ListPopupTakesAClickAndEscRestores)
{
    ColorPickerFixture f;
    f.Show();
    f.p->SetItemIndex(4);
    f.Open();
    TPlusCustomItemSelector* list = f.p->ItemSelector();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Items()->Count(), 16);
    EXPECT_EQ(list->ItemIndex(), 4);
    QTest::keyClick(f.p->Host(), Qt::Key_Down);
    EXPECT_EQ(f.p->ItemIndex(), 5) << "each stepped colour is taken at once";
    EXPECT_TRUE(f.p->IsDroppedDown());
    QTest::keyClick(f.p->Host(), Qt::Key_Escape);
    EXPECT_FALSE(f.p->IsDroppedDown());
    EXPECT_EQ(f.p->ItemIndex(), 4);

    QTest::qWait(300);
    f.Open();
    const TRect r = list->Items()->Items(12)->ItemRect;
    list->ScrollIntoView(12);
    QTest::mouseClick(list->Panel()->Host(), Qt::LeftButton, {}, QPoint(r.Left + 3, r.Top + 3));
    EXPECT_FALSE(f.p->IsDroppedDown());
    EXPECT_EQ(f.p->ItemIndex(), 12);
    EXPECT_EQ(f.p->SelectedColor(), TColor(0xFF0000));
}

TEST(ColourPicker, DiscreteStepsARowWhenOpenAndABoxWhenClosed)
{
    ColorPickerFixture f;
    f.p->SetColorSelectionStyle(csDiscrete);
    TCustomColorSelector* boxes = f.p->ColorSelector();
    ASSERT_NE(boxes, nullptr);
    f.p->SetSelectedColor(boxes->Items()->Items(3)->Color());
    f.Show();
    f.Open();
    EXPECT_TRUE(boxes->Visible());
    EXPECT_EQ(boxes->ItemIndex(), 3);
    QTest::keyClick(f.p->Host(), Qt::Key_Down);
    EXPECT_EQ(boxes->ItemIndex(), 13);
    EXPECT_EQ(f.p->SelectedColor(), boxes->Items()->Items(13)->Color());
    EXPECT_TRUE(f.p->IsDroppedDown());
    QTest::keyClick(f.p->Host(), Qt::Key_Escape);
    EXPECT_EQ(f.p->SelectedColor(), boxes->Items()->Items(3)->Color()) << "cancel brings the old colour back";
    QTest::keyClick(f.p->Host(), Qt::Key_Down);
    EXPECT_EQ(boxes->ItemIndex(), 4);
}

TEST(ColourPicker, ACubeClickPicksAndClosesAndTheSpectrumSizesThePopup)
{
    ColorPickerFixture f;
    f.p->SetColorSelectionStyle(csColorCube);
    f.Show();
    f.Open();
    TPlusColorCubePanel* cube = f.p->CubePanel();
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(f.p->DropDownForm()->Width(), 182 + 2);
    EXPECT_EQ(f.p->DropDownForm()->Height(), 160 + 2);
    f.selects = 0;
    // white is one of the colours: the entry is chosen, then the entry is let go
    QTest::mouseClick(cube->Host(), Qt::LeftButton, {}, QPoint(91, 80));
    EXPECT_FALSE(f.p->IsDroppedDown());
    EXPECT_EQ(f.p->SelectedColor(), TColor(0xFFFFFF));
    EXPECT_EQ(f.p->ItemIndex(), -1);
    EXPECT_EQ(f.selects, 2);

    f.p->SetColorSelectionStyle(csSpectrum);
    EXPECT_EQ(f.p->DropDownForm()->Width(), 150 + 2);
    EXPECT_EQ(f.p->DropDownForm()->Height(), 174 + 2);
    EXPECT_FALSE(f.p->DropDownForm()->GripSizing);
}

TEST(ColourPicker, EditShowsTheBoxAndTheText)
{
    ColorPickerFixture f;
    f.p->SetSelectedColor(0x0000FF);
    f.Show();
    f.p->Repaint();
    const QImage shown = f.p->Host()->grab().toImage();
    const QImage* image = &shown;
    // the colour box: 14 x 14 from (5, centred)
    EXPECT_EQ(image->pixelColor(10, 10), QColor(255, 0, 0));
    EXPECT_EQ(image->pixelColor(5, 10), QColor(0, 0, 0)) << "its black outline";
}

} // namespace
