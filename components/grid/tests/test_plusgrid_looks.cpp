// Looks and colour styles: each look's colours, the styles that looks apply, the colour set,
// the theme adaptation, the control look's settings and a painted grid with nodes, controls in
// cells and every look (pictures written to $QUELM_PICTURES when it is set).
#include "components/grid/PlusGrid.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"

#include <QTest>
#include <cstdlib>
#include <set>
#include <gtest/gtest.h>

namespace {

struct LooksGrid {
    LooksGrid()
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
    }
    TForm form{nullptr};
    TPlusStringGrid* grid = nullptr;
};

// Counts the styles the grid hands to its editors.
struct StyledEditor : IColorStyled, IColorSetTarget {
    void ApplyColorStyle(uint8_t style) override { styles.push_back(style); }
    void ApplyColorSet(const TControlColorSet& colors) override { base = colors.Colors[0]; }
    std::vector<int> styles;
    TColor base = clNone;
};

} // namespace

TEST(GridLookStyles, EachLookSetsItsColours)
{
    struct Case {
        TGridLook look;
        TColor from, to, selection, selectionText, gridLine, fixedLine;
        BYTE style, selectionLook;
        const char* name;
    } cases[] = {
        {glStandard, ColorToRGB(clBtnFace), clNone, clHighlight, clHighlightText, clSilver, clGray, 6, 0, "Standard"},
        {glSoft, ColorToRGB(clBtnFace), clNone, clHighlight, clHighlightText, clSilver, clGray, 6, 0, "Soft"},
        {glClassic, ColorToRGB(clBtnFace), clNone, clHighlight, clHighlightText, clSilver, clGray, 6, 0, "Classic"},
        {glVirel, clWhite, ColorToRGB(clSilver), TColor(0xEACAB6), clBlack, clSilver, clGray, 6, 0, "Virel"},
        {glListView, clWhite, ColorToRGB(clBtnFace), clHighlight, clHighlightText, clSilver, clGray, 6, 0, "ListView"},
        {glVista, TColor(0xFFFFFF), TColor(0xFFFFFF), TColor(0xEACAB6), clBlack, TColor(0xECECF0), TColor(0xD4D2D1), 10,
         1, "Windows Vista"},
        {glWin7, TColor(0xFDFCFA), TColor(0xFAF0E6), TColor(0xEACAB6), clBlack, TColor(0xECECF0), TColor(0xD4D2D1), 11,
         2, "Windows 7"},
        {glOffice2007, TColor(0xFBF9F6), TColor(0xE8DBD2), TColor(0x5EC1F1), clBlack, TColor(0xF1EDEB),
         TColor(0xD1BBA4), 4, 3, "Office2007"},
    };
    for (const Case& c : cases) {
        LooksGrid g;
        g.grid->SetLook(c.look);
        const TFixedLookColors& f = g.grid->FixedLookColors;
        EXPECT_EQ(f.From, c.from) << c.name;
        EXPECT_EQ(f.To, c.to) << c.name;
        EXPECT_EQ(g.grid->SelectionColor(), c.selection) << c.name;
        EXPECT_EQ(g.grid->SelectionTextColor(), c.selectionText) << c.name;
        EXPECT_EQ(g.grid->GridLineColor(), c.gridLine) << c.name;
        EXPECT_EQ(g.grid->GridFixedLineColor(), c.fixedLine) << c.name;
        EXPECT_EQ(g.grid->CurrentColorStyle, c.style) << c.name;
        EXPECT_EQ(g.grid->SelectionLook(), c.selectionLook) << c.name;
        String name = "x";
        TPlusStringGrid::GetLookName(c.look, name);
        EXPECT_EQ(name, c.name);
    }
    String name = "kept";
    TPlusStringGrid::GetLookName(glCustom, name);
    EXPECT_EQ(name, "kept");
}

TEST(GridLookStyles, AnUnchangedLookChangesNothing)
{
    LooksGrid g;
    g.grid->SetSelectionColor(clRed);
    g.grid->SetLook(glXP);
    EXPECT_EQ(g.grid->SelectionColor(), clRed);
    // Office 2007 by look and by style give the same colours
    g.grid->SetLook(glOffice2007);
    const TFixedLookColors byLook = g.grid->FixedLookColors;
    const TColor active = g.grid->ActiveCellColor();
    g.grid->ApplyStyleColors(4);
    EXPECT_EQ(g.grid->FixedLookColors.From, byLook.From);
    EXPECT_EQ(g.grid->FixedLookColors.DownBorder, byLook.DownBorder);
    EXPECT_EQ(g.grid->ActiveCellColor(), active);
    EXPECT_EQ(g.grid->SelectionLook(), 3);
}

TEST(GridLookStyles, StylesColourTheFooterSortHeaderAndEditors)
{
    LooksGrid g;
    StyledEditor editor;
    g.grid->AddStyledEditor(&editor, &editor);
    g.grid->ApplyStyleColors(0);
    EXPECT_EQ(g.grid->SearchFooterColor, TColor(0xFCE1CB));
    EXPECT_EQ(g.grid->SearchFooterColorTo, clNone);
    EXPECT_EQ(g.grid->SelectionColor(), TColor(0x94E6FB));
    g.grid->ApplyColorStyle(14);
    EXPECT_EQ(g.grid->CurrentColorStyle, 14);
    EXPECT_EQ(g.grid->SortSettings()->HeaderColor(), TColor(0xAAAAAA));
    EXPECT_EQ(g.grid->GridFixedLineColor(), TColor(0xBAB5B1));
    EXPECT_EQ(g.grid->FixedLookColors.HoverFrom, TColor(0x6BDFFF));
    EXPECT_EQ(editor.styles.back(), 14);
    // a later style resets what the earlier set
    g.grid->ApplyColorStyle(8);
    EXPECT_EQ(g.grid->SortSettings()->HeaderColor(), clNone);
    EXPECT_EQ(g.grid->SelectionColor(), clHighlight);
    // unknown numbers only reset
    g.grid->ApplyColorStyle(200);
    EXPECT_EQ(g.grid->SelectionTextColor(), clHighlightText);

    // the theme adaptation applies a theme's style once
    g.grid->ThemeForTest = 8; // Office 14 theme 2
    editor.styles.clear();
    g.grid->AdaptToOfficeTheme();
    g.grid->AdaptToOfficeTheme();
    EXPECT_EQ(editor.styles, std::vector<int>{14});
    EXPECT_EQ(g.grid->AdaptedTheme, 8);
    g.grid->RemoveStyledEditor(&editor);
    g.grid->ApplyColorStyle(3);
    EXPECT_EQ(editor.styles.size(), 1u);
}

TEST(GridLookStyles, AColourSetMakesTheGridFlatWithGlyphs)
{
    LooksGrid g;
    StyledEditor editor;
    g.grid->AddStyledEditor(&editor, &editor);
    TControlColorSet set;
    set.Colors[0] = TColor(0xF0F0F0);
    set.Colors[3] = TColor(0x806040);
    set.Colors[6] = TColor(0x00C0FF);
    g.grid->ApplyColorSet(set);
    EXPECT_EQ(g.grid->Look(), glClassic);
    EXPECT_TRUE(g.grid->Flat());
    EXPECT_EQ(g.grid->Color(), TColor(0xF0F0F0));
    EXPECT_EQ(g.grid->FixedColor(), TColor(0x806040));
    EXPECT_EQ(g.grid->SelectionColor(), TColor(0x00C0FF));
    EXPECT_EQ(g.grid->ControlLook()->ControlStyle(), csGlyph);
    EXPECT_FALSE(g.grid->ControlLook()->CheckedGlyph()->Empty());
    EXPECT_FALSE(g.grid->ControlLook()->RadioOffGlyph()->Empty());
    EXPECT_TRUE(g.grid->ControlLook()->FlatButton());
    EXPECT_EQ(g.grid->GridColorSet.Colors[6], TColor(0x00C0FF));
    EXPECT_EQ(editor.base, TColor(0xF0F0F0));
}

TEST(GridLookStyles, ControlLookAndProgressSettings)
{
    LooksGrid g;
    TControlLook* cl = g.grid->ControlLook();
    EXPECT_EQ(cl->FixedGradientHoverFrom(), clGray);
    EXPECT_EQ(cl->CheckSize(), 15);
    EXPECT_EQ(cl->ControlStyle(), csTheme);
    cl->SetFixedGradientFrom(clRed);
    EXPECT_EQ(g.grid->FixedLookColors.From, ColorToRGB(clRed));
    cl->SetFixedGradientFrom(clNone); // skipped for the grid's colours
    EXPECT_EQ(g.grid->FixedLookColors.From, ColorToRGB(clRed));
    cl->SetFixedGradientMirrorFrom(clNone); // always written
    EXPECT_EQ(g.grid->FixedLookColors.MirrorFrom, clNone);
    LooksGrid other;
    cl->SetFixedGradientDownBorder(clBlue);
    cl->SetCheckSize(13);
    cl->SetFlatButton(true);
    other.grid->ControlLook()->Assign(cl);
    TControlLook* o = other.grid->ControlLook();
    EXPECT_EQ(o->FixedGradientDownBorder(), clBlue);
    EXPECT_EQ(o->FixedGradientFrom(), cl->FixedGradientFrom());
    EXPECT_EQ(o->CheckSize(), 13);
    EXPECT_FALSE(o->FlatButton()); // not copied

    int changes = 0;
    TGridProgressAppearance a;
    a.OnChange = [&](TObject*) { ++changes; };
    a.SetSteps(11); // unchanged
    a.SetSteps(5);
    TGridProgressAppearance b;
    b.SetLevel1Perc(40);
    a.Assign(&b);
    EXPECT_EQ(a.Level1Perc(), 40);
    EXPECT_EQ(a.Steps(), 11);
    EXPECT_EQ(changes, 2);
}

TEST(GridLookStyles, PicturesOfNodesControlsAndLooks)
{
    TForm form{nullptr};
    form.SetClientWidth(520);
    form.SetClientHeight(300);
    auto* g = new TPlusStringGrid(&form);
    g->SetParent(&form);
    g->SetBounds(0, 0, 520, 300);
    g->SetColCount(6);
    g->SetRowCount(11);
    g->SetColWidths(0, 44);
    g->SetColWidths(1, 90);
    g->SetColWidths(2, 150);
    for (int c = 1; c < 6; ++c)
        g->SetCells(c, 0, std::vector<const char*>{"", "Item", "Choice", "Done", "Progress", "Rate"}[size_t(c)]);
    for (int r = 1; r < 11; ++r)
        g->SetCells(1, r, "Row " + std::to_string(r));
    g->AddNode(1, 5);
    g->AddNode(3, 2);
    g->AddNode(7, 4);
    g->ContractNode(7);
    TCellGraphic* radio = g->CreateCellGraphic(2, 2);
    radio->CellType = ctRadio;
    auto* items = new TStringList;
    items->Add("one");
    items->Add("two");
    items->Add("three");
    radio->CellData = items;
    radio->CellCreated = true;
    radio->CellIndex = 1;
    radio->CellBoolean = true;
    for (int r = 3; r <= 5; ++r) {
        TCellGraphic* rb = g->CreateCellGraphic(2, r);
        rb->CellType = ctRadioButton;
        rb->CellVAlign = vaCenter;
        rb->CellBoolean = r == 4;
        g->SetCells(2, r, "option " + std::to_string(r));
    }
    g->AddCheckBox(3, 1, true);
    g->AddCheckBox(3, 2, false);
    g->AddDataCheckBox(3, 3);
    g->SetCells(3, 3, "Y");
    g->AddProgress(4, 1, TColor(0x50B050), clWhite);
    g->SetCells(4, 1, "40");
    g->AddProgress(4, 2, TColor(0x50B050), clWhite);
    g->SetCells(4, 2, "85");
    g->AddRating(5, 1, 4, TColor(0x00C0FF), clWhite);
    g->SetCells(5, 1, "3");
    g->AddButton(5, 2, 50, 18, "Go", haLeft, vaCenter);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
    const char* dir = std::getenv("QUELM_PICTURES");
    auto shoot = [&](const String& name) {
        g->Invalidate();
        g->Update();
        const QImage image = g->ControlHost()->SurfaceImage()->copy();
        if (dir)
            image.save(QString::fromStdString(std::string(dir) + "/grid_" + name + ".png"));
        return image;
    };
    const QImage xp = shoot("nodes_controls");
    // the contracted node hides its rows; the radio item and the check boxes are drawn
    EXPECT_EQ(g->RowCount(), 8);
    const TRect head = g->CellRect(2, 0);
    const TRect check = g->CellRect(3, 1);
    EXPECT_NE(xp.pixelColor(check.Left + 8, check.Top + 11), xp.pixelColor(check.Right - 3, check.Top + 11));
    // the progress bar fills about its share of the cell
    const TRect bar = g->CellRect(4, 2);
    EXPECT_NE(xp.pixelColor(bar.Left + 8, bar.Top + 6), xp.pixelColor(bar.Right - 6, bar.Top + 6));
    std::set<QRgb> headers;
    for (TGridLook look : {glStandard, glSoft, glClassic, glVirel, glListView, glVista, glWin7, glOffice2007}) {
        g->SetLook(look);
        String name;
        TPlusStringGrid::GetLookName(look, name);
        for (char& ch : name)
            if (ch == ' ')
                ch = '_';
        const QImage image = shoot("look_" + name);
        headers.insert(image.pixel(head.Left + 20, head.Top + 4));
        // the node column keeps its fixed colour on every row
        const TRect level = g->CellRect(0, 2);
        EXPECT_EQ(image.pixel(level.Right - 2, level.Top + 2),
                  image.pixel(g->CellRect(0, 6).Right - 2, g->CellRect(0, 6).Top + 2))
            << name;
    }
    // the plain looks share the button face; the gradient looks each have their own
    EXPECT_GE(headers.size(), 4u);
}

// Every colour style on a new grid (of the XP look): the look it sets and the colours of the
// fixed cells (at rest and under the mouse), the selection, the active cell, the fixed lines and
// the sort header.
TEST(GridLookStyles, EveryStyleSetsItsLookAndColours)
{
    const TColor none = clNone;
    struct Case {
        int style;
        TGridLook look;
        int selectionLook;
        TColor from, to, hoverFrom, selection, active, fixedLine, sortHeader;
    } cases[] = {
        {0, glXP, 0, TColor(0xFCE1CB), TColor(0xE0A57D), none, TColor(0x94E6FB), TColor(0x94E6FB),
         clGray, none},
        {1, glXP, 0, TColor(0xECE2E1), TColor(0xB39698), none, TColor(0x94E6FB), TColor(0x94E6FB),
         clGray, none},
        {2, glXP, 0, TColor(0xCFF0EA), TColor(0x8CC0B1), none, TColor(0x94E6FB), TColor(0x94E6FB),
         clGray, none},
        {3, glXP, 0, TColor(0xFFFFFF), TColor(0xCCD4D8), none, clHighlight, TColor(0xD8D5D4),
         clGray, none},
        {4, glOffice2007, 3, TColor(0xFBF9F6), TColor(0xE8DBD2), TColor(0xE4E2DF), TColor(0x5EC1F1),
         TColor(0x9DD8F9), TColor(0xD1BBA4), none},
        {5, glOffice2007, 3, TColor(0xF7F7F7), TColor(0xDEDEDE), TColor(0xE4E2DF), TColor(0x5EC1F1),
         TColor(0x9DD8F9), clGray, none},
        {6, glXP, 0, clBtnFace, clBtnFace, none, clHighlight, clBtnFace, clGray, none},
        {7, glXP, 0, TColor(0xFFFFFF), clBtnFace, none, clHighlight, TColor(0x94E6FB), clGray, none},
        {8, glXP, 0, TColor(0xFFFFFF), TColor(0xC8D0D4), none, clHighlight, clGray, clGray, none},
        {9, glOffice2007, 3, TColor(0xF3F3F1), TColor(0xCAC9C8), TColor(0xE4E2DF), TColor(0x95C7F5),
         TColor(0x99CCFF), clGray, none},
        {10, glVista, 1, TColor(0xFFFFFF), TColor(0xFFFFFF), TColor(0xFFF7E3), TColor(0xEACAB6), TColor(0xFDF8F1),
         TColor(0xD4D2D1), TColor(0xFCF9F2)},
        {11, glWin7, 2, TColor(0xFDFCFA), TColor(0xFAF0E6), TColor(0xFEFBF8), TColor(0xEACAB6), TColor(0xFCEBDC),
         TColor(0xD4D2D1), TColor(0xFCF9F2)},
        {12, glStandard, 0, TColor(0xC8D0D4), none, none, clHighlight, clGray, clGray, none},
        {13, glOffice2007, 0, TColor(0xF5E7DA), TColor(0xF5E7DA), TColor(0x6BDFFF), TColor(0xFFDBB7),
         TColor(0x5BD5FF), TColor(0xC7B0A0), TColor(0xD6CEC7)},
        {14, glOffice2007, 0, TColor(0xE8E3DF), TColor(0xE8E3DF), TColor(0x6BDFFF), TColor(0xFFDBB7),
         TColor(0x5BD5FF), TColor(0xBAB5B1), TColor(0xAAAAAA)},
        {15, glOffice2007, 0, TColor(0x6A6A6A), TColor(0x6A6A6A), TColor(0x6BDFFF), TColor(0xFFDBB7),
         TColor(0x5BD5FF), TColor(0x444444), TColor(0xBABABA)},
    };
    for (const Case& c : cases) {
        LooksGrid g;
        g.grid->ApplyColorStyle(uint8_t(c.style));
        const TFixedLookColors& f = g.grid->FixedLookColors;
        EXPECT_EQ(g.grid->Look(), c.look) << c.style;
        EXPECT_EQ(g.grid->SelectionLook(), c.selectionLook) << c.style;
        EXPECT_EQ(f.From, c.from) << c.style;
        EXPECT_EQ(f.To, c.to) << c.style;
        EXPECT_EQ(f.HoverFrom, c.hoverFrom) << c.style;
        EXPECT_EQ(g.grid->SelectionColor(), c.selection) << c.style;
        EXPECT_EQ(g.grid->ActiveCellColor(), c.active) << c.style;
        EXPECT_EQ(g.grid->GridFixedLineColor(), c.fixedLine) << c.style;
        EXPECT_EQ(g.grid->SortSettings()->HeaderColor(), c.sortHeader) << c.style;
        EXPECT_EQ(g.grid->CurrentColorStyle, c.style);
    }
}
