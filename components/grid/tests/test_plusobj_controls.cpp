#include "platform/testing/quelm_test_support.h"
#include "components/grid/PlusObj.h"
#include "components/grid/PlusXPVS.h"
#include "components/grid/DrawRoutines.h"
#include "components/grid/HtmlRender.h"
#include "components/grid/ProgressShapes.h"

#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/StdCtrls.h"

#include <QCursor>
#include <QImage>
#include <QTest>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// Paints a control into a fresh white device of its size.
struct Shot {
    explicit Shot(TControl* c) : dc(c->Width(), c->Height())
    {
        PatBlt(&dc, 0, 0, c->Width(), c->Height(), WHITENESS);
        c->Perform(WM_PAINT, WPARAM(&dc), 0);
    }
    COLORREF At(int x, int y) { return GetPixel(&dc, x, y); }
    DeviceContext dc;
};

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

TBitmap* Glyph(COLORREF background, COLORREF content)
{
    auto* b = new TBitmap;
    b->SetSize(8, 8);
    FillRectColor(b->Canvas(), TRect(0, 0, 8, 8), TColor(background));
    FillRectColor(b->Canvas(), TRect(2, 2, 6, 6), TColor(content));
    return b;
}


} // namespace

TEST(PlusGridButton, FlatFacesFollowTheMouse)
{
    TPlusGridButton b(nullptr);
    b.SetBounds(0, 0, 40, 22);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(Shot(&b).At(20, 3), face);
    b.Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(b.MouseInside());
    EXPECT_EQ(Shot(&b).At(20, 3), RGB(199, 199, 202));
    b.Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    EXPECT_EQ(b.State(), gbsDown);
    EXPECT_EQ(Shot(&b).At(20, 3), RGB(210, 211, 216));
    int clicks = 0;
    b.OnClick = [&](TObject*) { ++clicks; };
    b.Perform(WM_LBUTTONUP, 0, At(10, 22)); // the client height counts as outside
    EXPECT_EQ(clicks, 0);
    b.Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    b.Perform(WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b.State(), gbsUp);
    EXPECT_FALSE(b.Down()); // a plain button without group never stays down
    b.SetDown(true);
    EXPECT_FALSE(b.Down());
}

TEST(PlusGridButton, GradientCheckGroupsAndDropDown)
{
    TPlusGridButton g(nullptr);
    g.SetBounds(0, 0, 40, 34);
    g.SetColor(clWhite);
    g.ColorTo = clBlack;
    Shot s(&g);
    EXPECT_EQ(s.At(20, 1), COLORREF(0xFFFFFF)); // the first band is Color
    EXPECT_LT(GetRValue(s.At(20, 31)), 40);     // the last ones near ColorTo

    TPlusGridButton c(nullptr);
    c.SetStyle(tasCheck);
    c.SetBounds(0, 0, 30, 22);
    for (bool expected : {true, false, true}) {
        c.Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
        c.Perform(WM_LBUTTONUP, 0, At(5, 5));
        EXPECT_EQ(c.Down(), expected);
    }
    EXPECT_EQ(Shot(&c).At(15, 3), ColorToColorRef(clGray)); // checked face

    TPlusGridButton d(nullptr);
    d.SetBounds(0, 0, 40, 22);
    d.DropDownButton = true;
    int drops = 0, clicks = 0;
    d.OnDropDown = [&](TObject*) { ++drops; };
    d.OnClick = [&](TObject*) { ++clicks; };
    d.Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(35, 5));
    d.Perform(WM_LBUTTONUP, 0, At(35, 5));
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(d.State(), gbsUp);
}

// A grouped button that is down shows the checked colour until the mouse is over it; a
// rounded border leaves the corners out; the drop-down arrow is drawn in the font's colour.
TEST(PlusGridButton, GroupedDownRoundedAndDropDownFaces)
{
    TForm parent(nullptr);
    auto* grouped = new TPlusGridButton(&parent);
    grouped->SetParent(&parent);
    grouped->SetBounds(0, 0, 40, 22);
    grouped->SetGroupIndex(1);
    grouped->SetAllowAllUp(true);
    grouped->SetDown(true);
    grouped->ColorChecked = clTeal;
    EXPECT_EQ(Shot(grouped).At(20, 3), ColorToColorRef(clTeal));
    grouped->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_NE(Shot(grouped).At(20, 3), ColorToColorRef(clTeal));

    TPlusGridButton rounded(nullptr);
    rounded.SetBounds(0, 0, 40, 22);
    rounded.Rounded = true;
    rounded.BorderColor = clRed;
    Shot r(&rounded);
    EXPECT_EQ(r.At(20, 0), ColorToColorRef(clRed));
    EXPECT_EQ(r.At(0, 0), COLORREF(0xFFFFFF));

    TPlusGridButton drop(nullptr);
    drop.SetBounds(0, 0, 40, 22);
    drop.DropDownButton = true;
    drop.Font()->Color = clBlue;
    Shot d(&drop);
    EXPECT_EQ(d.At(32, 10), ColorToColorRef(clBlue));
    EXPECT_NE(d.At(32, 4), ColorToColorRef(clBlue));
}

TEST(PlusGridButton, GroupedButtonsKeepOneDown)
{
    TCustomControl parent(nullptr);
    auto* a = new TPlusGridButton(&parent);
    auto* b = new TPlusGridButton(&parent);
    a->SetParent(&parent);
    b->SetParent(&parent);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    auto press = [](TPlusGridButton* x) {
        x->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
        x->Perform(WM_LBUTTONUP, 0, At(3, 3));
    };
    press(a);
    EXPECT_TRUE(a->Down());
    press(b);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    press(b); // pressing the down one keeps it down without AllowAllUp
    EXPECT_TRUE(b->Down());
    b->SetAllowAllUp(true);
    press(b);
    EXPECT_FALSE(b->Down());
}

TEST(PlusGridButton, GlyphsShadeAndColourSets)
{
    TPlusGridButton b(nullptr);
    std::unique_ptr<TBitmap> glyph(Glyph(RGB(255, 0, 255), RGB(0, 0, 255)));
    b.SetGlyph(glyph.get());
    ASSERT_FALSE(b.GlyphDisabled()->Empty());
    const TColor grey = b.GlyphDisabled()->Canvas()->Pixels(3, 3); // blue: v = (255 / 3) / 2 + 96
    EXPECT_EQ(ColorToRGB(grey), TColor(RGB(138, 138, 138)));
    std::unique_ptr<TBitmap> other(Glyph(RGB(255, 0, 255), RGB(255, 0, 0)));
    b.SetGlyph(other.get());
    EXPECT_EQ(ColorToRGB(b.GlyphDisabled()->Canvas()->Pixels(3, 3)), TColor(RGB(138, 138, 138))); // kept

    b.GenerateShade();
    EXPECT_EQ(ColorToRGB(b.ShadeBitmap()->Canvas()->Pixels(3, 3)), TColor(RGB(128, 128, 128)));
    EXPECT_EQ(ColorToRGB(b.ShadeBitmap()->Canvas()->Pixels(0, 7)), TColor(RGB(255, 0, 255)));
    std::unique_ptr<TBitmap> black(Glyph(RGB(0, 0, 0), RGB(255, 255, 255)));
    TPlusGridButton d(nullptr);
    d.SetGlyph(black.get());
    d.GenerateShade();
    EXPECT_EQ(ColorToRGB(d.ShadeBitmap()->Canvas()->Pixels(0, 7)), TColor(RGB(128, 128, 128))); // grey all over

    // without caption the glyph stands at the top-left corner
    b.SetBounds(0, 0, 30, 22);
    EXPECT_EQ(Shot(&b).At(3, 3), COLORREF(0x0000FF));

    b.ApplyColorSet(4);
    EXPECT_EQ(b.Color(), TColor(RGB(225, 226, 236)));
    EXPECT_EQ(b.ColorTo, TColor(RGB(152, 150, 179)));
    EXPECT_EQ(b.BorderHotColor, clBlack);
    EXPECT_EQ(GetGridButtonXPScheme(), 1); // the stand-in's style reports "NormalColor"
    SetThemeActiveForTest(false);
    EXPECT_EQ(GetGridButtonXPScheme(), 0);
    SetThemeActiveForTest(true);
}

TEST(PlusCheckBox, StatesClicksAndKeys)
{
    TPlusCheckBox c(nullptr);
    EXPECT_EQ(c.Caption(), "TPlusCheckBox");
    EXPECT_EQ(c.Width(), 98);
    int clicks = 0;
    c.OnClick = [&](TObject*) { ++clicks; };
    c.Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 8));
    c.Perform(WM_LBUTTONUP, 0, At(5, 8));
    EXPECT_TRUE(c.Checked());
    EXPECT_EQ(clicks, 1);
    c.Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 8));
    c.Perform(WM_LBUTTONUP, 0, At(500, 8)); // released outside
    EXPECT_TRUE(c.Checked());
    EXPECT_EQ(clicks, 1);
    c.ReadOnly = true;
    c.Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 8));
    c.Perform(WM_LBUTTONUP, 0, At(5, 8));
    EXPECT_TRUE(c.Checked()); // read-only: clicked but unchanged
    EXPECT_EQ(clicks, 2);
    c.ReadOnly = false;
    c.SetState(cbGrayed);
    c.Perform(WM_KEYDOWN, VK_SPACE, 0);
    c.Perform(WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(c.State(), cbChecked); // grayed becomes checked
    EXPECT_EQ(clicks, 3);

    c.SetBounds(0, 0, 100, 20);
    c.SetAlignment(taRightJustify);
    SetThemeActiveForTest(true);
    EXPECT_EQ(c.BoxRect().Left, 85);
    EXPECT_EQ(c.BoxRect().Right, 99);
    EXPECT_EQ(c.CaptionRect().Left, 6);

    TFileStringList list;
    list.Reset();
    EXPECT_TRUE(list.AtEnd());
    list.Add("one");
    list.Add("two");
    String line;
    list.ReadLine(line);
    EXPECT_EQ(line, "one");
    list.ReadLine(line);
    EXPECT_TRUE(list.AtEnd());
    EXPECT_THROW(list.ReadLine(line), Exception);
}

// The faces side by side, written to a PNG when GRID_FACES_PNG names one (to look at).
TEST(PlusGridButton, FacesPicture)
{
    const QByteArray path = qgetenv("GRID_FACES_PNG");
    if (path.isEmpty())
        GTEST_SKIP() << "set GRID_FACES_PNG to write the picture";
    QImage sheet(420, 260, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    std::unique_ptr<TBitmap> glyph(Glyph(RGB(255, 0, 255), RGB(0, 128, 0)));
    auto place = [&](TControl* c, int x, int y) {
        Shot s(c);
        p.drawImage(x, y, *s.dc.Image());
    };
    for (int look = 0; look < 2; ++look) {
        for (int i = 0; i < 5; ++i) {
            TPlusGridButton b(nullptr);
            b.SetBounds(0, 0, 76, 24);
            b.SetCaption("Find");
            b.SetGlyph(glyph.get());
            b.BorderColor = clGray;
            if (look == 1)
                b.ApplyColorSet(2);
            if (i == 1)
                b.Perform(CM_MOUSEENTER, 0, 0);
            if (i == 2) {
                b.Perform(CM_MOUSEENTER, 0, 0);
                b.Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
            }
            if (i == 3) {
                b.SetStyle(tasCheck);
                b.SetDown(true);
            }
            if (i == 4)
                b.SetEnabled(false);
            place(&b, 4 + i * 82, 4 + look * 30);
        }
    }
    for (int i = 0; i < 3; ++i) {
        TPlusCheckBox c(nullptr);
        c.SetBounds(0, 0, 120, 20);
        c.SetCaption(i == 0 ? "Match case" : i == 1 ? "Checked" : "Grayed");
        c.SetState(TCheckBoxState(i));
        place(&c, 4 + i * 130, 70);
        SetThemeActiveForTest(false);
        place(&c, 4 + i * 130, 100);
        SetThemeActiveForTest(true);
    }
    // mini-HTML cells, progress bars and shapes below
    DeviceContext cells(412, 120);
    PatBlt(&cells, 0, 0, 412, 120, WHITENESS);
    TCanvas canvas;
    canvas.SetHandle(&cells);
    canvas.Font->Name = "DejaVu Sans";
    const char* html[] = {"Rate <b>12.5</b> kg/ha, see <a href=\"doc\">details</a> <font color=\"clred\">late</font>",
                          "<p align=\"center\">H<sub>2</sub>O and m<sup>3</sup> <i>italic</i> <u>under</u></p>",
                          "<ul><li>first item<li>second item</ul>",
                          "<hi>found</hi> text <e>mispelled</e> <control type=\"check\" value=\"true\" width=\"16\"> on"};
    for (int i = 0; i < 4; ++i) {
        const TRect r(2 + (i % 2) * 206, 2 + (i / 2) * 40, 2 + (i % 2) * 206 + 200, 2 + (i / 2) * 40 + 36);
        canvas.Brush->Color = clWhite;
        canvas.Pen->Color = clSilver;
        canvas.Brush->Style = bsClear;
        canvas.Rectangle(r);
        THtmlDrawArgs args;
        THtmlDrawResult result;
        DrawHtml(&canvas, html[i], r, args, result);
    }
    TProgressLook look;
    DrawProgressBar(&canvas, TRect(2, 86, 100, 104), 75, look);
    DrawSimpleProgressBar(&canvas, TRect(110, 86, 200, 104), clBlue, clWhite, clSilver, clBlack, 42.6, 0, 0, 0, 0, "",
                          clNone, false);
    DrawValueBar(&canvas, TRect(210, 84, 290, 106), -40, 100, true, clRed, clLime);
    for (int shape = 0; shape < 6; ++shape)
        DrawCellShape(&canvas, 300 + shape * 18, 88, 16, 16, uint8_t(13 + shape % 6), clYellow, clBlack);
    canvas.SetHandle(nullptr);
    p.drawImage(4, 130, *cells.Image());
    p.end();
    sheet.save(QString::fromLocal8Bit(path));
}

// The caption's accelerator clicks the button; the drop-down part shows its menu under the
// button; an action gives its state and runs on a click, a grouped button may pass Checked.
TEST(PlusGridButton, AcceleratorMenuAndAction)
{
    TForm form(nullptr);
    form.SetBounds(50, 50, 200, 100);
    auto* b = new TPlusGridButton(&form);
    b->SetParent(&form);
    b->SetBounds(10, 20, 60, 22);
    b->SetCaption("&Find");
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
    EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'F', 0), 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'X', 0), 0);
    b->SetEnabled(false);
    EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'F', 0), 0);
    b->SetEnabled(true);

    auto* menu = new TPopupMenu(&form);
    b->DropDownButton = true;
    b->SetDropDownMenu(menu);
    TPoint shownAt(-1, -1);
    int dropped = 0;
    b->OnDropDown = [&](TObject*) { ++dropped; };
    TPopupMenu::ChooseHook = [&](TPopupMenu*) -> TMenuItem* {
        shownAt = TPoint(QCursor::pos().x(), QCursor::pos().y());
        return nullptr;
    };
    menu->OnPopup = [&](TObject*) {};
    struct Hook {
        ~Hook() { TPopupMenu::ChooseHook = nullptr; }
    } hook;
    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(55, 10)); // the right 12 pixels
    b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(55, 10));
    EXPECT_EQ(dropped, 1);
    EXPECT_NE(shownAt, TPoint(-1, -1)); // the menu was popped up
    EXPECT_EQ(clicks, 1);               // and no click followed
    EXPECT_FALSE(b->Down());
    delete menu;
    EXPECT_EQ(b->DropDownMenu(), nullptr);

    TAction action(&form);
    action.SetCaption("&Next");
    int runs = 0;
    action.OnExecute = [&](TObject*) { ++runs; };
    b->OnClick = nullptr;
    b->SetAction(&action);
    EXPECT_EQ(b->Caption(), "&Next");
    b->DropDownButton = false;
    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(runs, 1);
    action.SetCaption("N&ext");
    EXPECT_EQ(b->Caption(), "N&ext"); // the button showed the action's caption
    b->SetCaption("Own");
    action.SetCaption("Other");
    EXPECT_EQ(b->Caption(), "Own"); // no longer linked
    action.SetEnabled(false);
    EXPECT_FALSE(b->Enabled());
    action.SetEnabled(true);
    // Checked passes only to a grouped button that may be all up and shows the action's state
    action.SetChecked(true);
    EXPECT_FALSE(b->Down());
    b->SetGroupIndex(3);
    b->SetAllowAllUp(true);
    action.SetChecked(false);
    action.SetChecked(true);
    EXPECT_TRUE(b->Down());
    action.SetGroupIndex(3);
    action.SetGroupIndex(5);
    EXPECT_EQ(b->GroupIndex(), 5);
    TPlusGridButtonActionLink link;
    TLabel label(nullptr);
    EXPECT_THROW(link.AssignClient(&label), EConvertError);
}

// A transparent check box shows its parent's painting under it; an opaque one its colour.
TEST(PlusCheckBox, TransparentShowsTheParentsBackground)
{
    struct TBackdrop : TCustomControl {
        using TCustomControl::TCustomControl;
        void Paint() override
        {
            FillRectColor(Canvas(), TRect(0, 0, 50, Height()), clYellow);
            FillRectColor(Canvas(), TRect(50, 0, Width(), Height()), clLime);
        }
    };
    TBackdrop parent(nullptr);
    parent.SetBounds(0, 0, 200, 60);
    auto* box = new TPlusCheckBox(&parent);
    box->SetParent(&parent);
    box->SetBounds(40, 10, 98, 20);
    box->SetCaption("");
    EXPECT_EQ(Shot(box).At(30, 2), ColorToRGB(clWindow));
    box->SetTransparent(true);
    Shot s(box);
    EXPECT_EQ(s.At(5, 1), ColorToRGB(clYellow)); // parent x = 45
    EXPECT_EQ(s.At(90, 2), ColorToRGB(clLime));  // parent x = 130
    EXPECT_NE(s.At(7, 10), ColorToRGB(clYellow)); // the box is drawn over it
    box->SetCaption("Match case");
    QImage look(*Shot(box).dc.Image());
    look.scaled(look.size() * 4).save(QString::fromStdString(quelmtest::PicturePath("plus-checkbox-transparent.png")));
}
