// The drop-down edit with its pop-up on real (offscreen) windows: opening, placing, sizing,
// closing by keys, by a click outside and by the button, and the looks.
#include "components/dropdown/PlusDropDown.h"
#include "platform/testing/quelm_test_support.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinGdi.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using quelmtest::WaitFor;

// ---------------------------------------------------------------- placement rules

struct PlacementCase {
    const char* name;
    TPoint editTopLeft;
    int popupHeight;
    TDropPosition position;
    TRect workArea;
    TPoint expected;
};

class Placement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, OpensBelowOrAboveAndKeepsToTheWorkArea)
{
    const PlacementCase& c = GetParam();
    const TPoint at = DropDownPlacement(c.editTopLeft, 21, 200, c.popupHeight, c.position, 768, c.workArea);
    EXPECT_EQ(at.X, c.expected.X);
    EXPECT_EQ(at.Y, c.expected.Y);
}

const TRect kScreen(0, 0, 1024, 768);

INSTANTIATE_TEST_SUITE_P(
    Rules, Placement,
    ::testing::Values(
        PlacementCase{"BelowOverlappingTheEditByOnePixel", {100, 100}, 200, dpAuto, kScreen, {100, 120}},
        PlacementCase{"AboveWhenNoRoomBelow", {100, 738}, 200, dpAuto, kScreen, {100, 538}},
        // the test adds the pop-up's height to the edit's top, not to its bottom
        PlacementCase{"BelowWhenTheTopLeavesRoom", {100, 567}, 200, dpAuto, kScreen, {100, 587}},
        PlacementCase{"AboveWhenTopPlusHeightReachesTheScreen", {100, 568}, 200, dpAuto, kScreen, {100, 368}},
        PlacementCase{"DownRunsOffTheScreen", {100, 738}, 200, dpDown, kScreen, {100, 758}},
        PlacementCase{"UpEvenWithRoomBelow", {100, 300}, 200, dpUp, kScreen, {100, 100}},
        PlacementCase{"ShiftedLeftToEndAtTheRightEdge", {900, 100}, 200, dpAuto, kScreen, {824, 120}},
        PlacementCase{"LeftEdgeBeyondTheRightEdgeNotMoved", {1030, 100}, 200, dpAuto, kScreen, {1030, 120}},
        PlacementCase{"NoShiftOnAMonitorLeftOfThePrimary", {-100, 100}, 200, dpAuto, TRect(-1280, 0, -80, 768),
                      {-100, 120}}),
    [](const auto& info) { return String(info.param.name); });

// ---------------------------------------------------------------- real windows

// A drop-down hosting a plain control of a given size, with a log of its events.
class HostedDropDown : public TPlusCustomDropDown {
public:
    explicit HostedDropDown(TComponent* owner) : TPlusCustomDropDown(owner)
    {
        CreateDropDownForm();
        box = new TCustomControl(this);
        box->SetBounds(0, 0, 300, 120);
        SetDropDownControl(box);
    }
    TCustomControl* box = nullptr;
    using TPlusCustomDropDown::form_;
};

struct Fixture {
    TForm* form = New<TForm>(nullptr);
    HostedDropDown* dd = new HostedDropDown(form);
    std::vector<String> log;

    explicit Fixture(int formTop = 100)
    {
        form->SetBounds(100, formTop, 400, 200);
        dd->SetParent(form);
        dd->SetBounds(20, 20, 200, 21);
        dd->OnBeforeDropDown = [this](TObject*) { log.push_back("before"); };
        dd->OnDropUp = [this](TObject*, bool cancelled) { log.push_back(cancelled ? "up cancelled" : "up"); };
        form->Show();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
        dd->SetFocus();
    }
    ~Fixture() { delete form; }
    TDropDownForm* popup() const { return dd->DropDownForm(); }
    bool open() const { return dd->IsDroppedDown() && popup()->Visible(); }
    void Open()
    {
        dd->ShowDropDown();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == popup()->Host(); }))
            << "active: " << (QApplication::activeWindow() ? QApplication::activeWindow()->metaObject()->className() : "none")
            << " visible " << popup()->Visible() << " open " << dd->IsDroppedDown();
    }
};

TEST(DropDownPopup, OpensBelowTheEditSizedByTheHostedControl)
{
    Fixture f;
    f.Open();
    ASSERT_TRUE(f.open());
    const TPoint edit = f.form->ClientToScreen(TPoint{20, 20});
    EXPECT_EQ(f.popup()->Left(), edit.X);
    EXPECT_EQ(f.popup()->Top(), edit.Y + f.dd->Height() - 1);
    // the hosted control's width; its height plus the two bars and the border
    EXPECT_EQ(f.popup()->Width(), 300);
    EXPECT_EQ(f.popup()->Height(), 120 + 22 + 22 + 2);
    EXPECT_EQ(f.log, std::vector<String>{"before"});
}

TEST(DropDownPopup, WithoutAControlItIsAsWideAsTheEditAndNeverBelowTheMinimum)
{
    Fixture f;
    f.dd->SetDropDownControl(nullptr);
    f.dd->box->SetVisible(false);
    f.dd->DropDownHeader()->SetVisible(false);
    f.dd->DropDownFooter()->SetVisible(false);
    f.dd->SetBounds(20, 20, 60, 21);
    f.Open();
    EXPECT_EQ(f.popup()->Width(), 80);
    EXPECT_EQ(f.popup()->Height(), 50);
}

TEST(DropDownPopup, WithoutAControlItIsAsWideAsTheEdit)
{
    Fixture f;
    f.dd->SetDropDownControl(nullptr);
    f.dd->box->SetVisible(false);
    f.dd->SetBounds(20, 20, 240, 21);
    f.dd->DropDownHeader()->Height = 40;
    f.Open();
    EXPECT_EQ(f.popup()->Width(), 240);
    EXPECT_EQ(f.popup()->Height(), 40 + 22 + 2);
}

TEST(DropDownPopup, OpensAboveAnEditNearTheScreenBottom)
{
    const int screen = GetSystemMetrics(SM_CYSCREEN);
    Fixture f(screen - 80);
    f.Open();
    const TPoint edit = f.form->ClientToScreen(TPoint{20, 20});
    EXPECT_EQ(f.popup()->Top(), edit.Y - f.popup()->Height());
}

TEST(DropDownPopup, EscCancelsAndRestoresTheText)
{
    Fixture f;
    f.dd->SetText("before");
    f.Open();
    // typing while open changes the edit, Esc in the pop-up takes it back
    f.dd->SetSelStart(6);
    for (char ch : String("XYZ"))
        f.dd->Perform(WM_CHAR, WPARAM(ch), 0);
    EXPECT_EQ(f.dd->GetText(), "beforeXYZ");
    QTest::keyClick(f.popup()->Host(), Qt::Key_Escape);
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.dd->GetText(), "before");
    EXPECT_EQ(f.log.back(), "up cancelled");
}

TEST(DropDownPopup, ReturnClosesKeepingTheText)
{
    Fixture f;
    f.dd->SetText("before");
    f.Open();
    f.dd->SetSelStart(6);
    f.dd->Perform(WM_CHAR, WPARAM('!'), 0);
    QTest::keyClick(f.popup()->Host(), Qt::Key_Return);
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.dd->GetText(), "before!");
    EXPECT_EQ(f.log.back(), "up");
}

TEST(DropDownPopup, AClickOutsideClosesCancelledUnlessTheDescendantKeepsTheValue)
{
    Fixture f;
    f.dd->SetText("kept?");
    f.Open();
    f.dd->SetSelStart(5);
    f.dd->Perform(WM_CHAR, WPARAM('!'), 0);
    QTest::mouseClick(f.form->Host(), Qt::LeftButton, {}, QPoint(350, 150));
    EXPECT_TRUE(WaitFor([&] { return !f.open(); }));
    EXPECT_EQ(f.dd->GetText(), "kept?");
    EXPECT_EQ(f.log.back(), "up cancelled");

    QTest::qWait(300);
    f.Open();
    f.popup()->DeactivateCancels = false;
    f.dd->SetSelStart(5);
    f.dd->Perform(WM_CHAR, WPARAM('!'), 0);
    QTest::mouseClick(f.form->Host(), Qt::LeftButton, {}, QPoint(350, 150));
    EXPECT_TRUE(WaitFor([&] { return !f.open(); }));
    EXPECT_EQ(f.dd->GetText(), "kept?!");
    EXPECT_EQ(f.log.back(), "up");
}

TEST(DropDownPopup, APressOnTheButtonRightAfterClosingKeepsItClosed)
{
    Fixture f;
    QWidget* button = f.dd->Button()->SpeedButton()->Host();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(WaitFor([&] { return f.open(); })) << "a press opens the pop-up";
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == f.popup()->Host(); }));
    // the press activates the edit's form first, which closes the pop-up; the press itself
    // then does not reopen it
    f.form->Show();
    ASSERT_TRUE(WaitFor([&] { return !f.open(); }));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::qWait(50);
    EXPECT_FALSE(f.open());
    EXPECT_NE(f.popup()->DeactivationTick(), 0u);
    // later presses open it again
    QTest::qWait(300);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(WaitFor([&] { return f.open(); }));
}

TEST(DropDownPopup, KeysToggleThePopup)
{
    Fixture f;
    f.dd->Perform(WM_KEYDOWN, VK_F4, 0);
    EXPECT_TRUE(f.open());
    f.dd->Perform(WM_KEYDOWN, VK_F4, 0);
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.log.back(), "up");
    WORD key = VK_DOWN;
    QTest::qWait(300);
    f.dd->KeyDown(key, TShiftState() << ssAlt);
    EXPECT_TRUE(f.open());
    key = VK_UP;
    f.dd->KeyDown(key, TShiftState() << ssAlt);
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.log.back(), "up") << "Alt+Up closes without cancelling";
}

TEST(DropDownPopup, RefusedReadOnlyOrDisabledNeverOpens)
{
    Fixture f;
    f.dd->OnDropDown = [](TObject*, bool& accept) { accept = false; };
    f.dd->ShowDropDown();
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.log, std::vector<String>{"before"}) << "OnBeforeDropDown has fired";
    f.dd->OnDropDown = nullptr;
    f.dd->SetReadOnly(true);
    f.dd->ShowDropDown();
    EXPECT_FALSE(f.open());
    f.dd->SetReadOnly(false);
    f.dd->SetEnabled(false);
    f.dd->ShowDropDown();
    EXPECT_FALSE(f.open());
}

TEST(DropDownPopup, RemembersTheUserSizeUntilTheSizeIsSetAgain)
{
    Fixture f;
    f.Open();
    f.popup()->SetBounds(f.popup()->Left(), f.popup()->Top(), 350, 260);
    f.dd->HideDropDown(false);
    QTest::qWait(300);
    f.Open();
    EXPECT_EQ(f.popup()->Width(), 350);
    EXPECT_EQ(f.popup()->Height(), 260);
    f.dd->HideDropDown(false);
    f.dd->SetDropDownHeight(90);
    f.Open();
    EXPECT_EQ(f.popup()->Width(), 350) << "the remembered width stays";
    EXPECT_EQ(f.popup()->Height(), 90);
}

TEST(DropDownPopup, NonEditableEditOpensOnAPressAndTakesNoCharacters)
{
    Fixture f;
    f.dd->SetText("fixed");
    f.dd->SetEditorEnabled(false);
    f.dd->Perform(WM_CHAR, WPARAM('x'), 0);
    EXPECT_EQ(f.dd->GetText(), "fixed");
    QTest::mousePress(f.dd->Host(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(f.dd->Host(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(WaitFor([&] { return f.open(); }));
}

TEST(DropDownPopup, FooterButtonsCloseByTheirModalResult)
{
    Fixture f;
    f.dd->SetText("start");
    auto add = [&](const char* caption, TModalResult mr) {
        TFooterButton* b = f.dd->DropDownFooter()->Buttons()->Add();
        b->SetCaption(caption);
        b->ModalResult = mr;
    };
    add("OK", mrOk);
    add("Cancel", mrCancel);
    add("Retry", mrRetry);
    std::vector<int> clicks;
    f.dd->OnDropDownFooterButtonClick = [&](TObject* sender, int index) {
        EXPECT_EQ(sender, f.dd);
        clicks.push_back(index);
    };
    f.Open();
    TPlusFooter* footer = f.popup()->Footer();
    ASSERT_NE(footer, nullptr);
    ASSERT_EQ(footer->ButtonCount(), 3);
    // right-aligned: the first item is the rightmost, the caption ends 2 pixels left of the last
    EXPECT_GT(footer->Button(0)->Left(), footer->Button(1)->Left());
    EXPECT_GT(footer->Button(1)->Left(), footer->Button(2)->Left());
    EXPECT_EQ(footer->Button(0)->Left() + footer->Button(0)->Width(), footer->GetButtonsRect().Right);
    EXPECT_EQ(footer->GetCaptionRect().Right, footer->Button(2)->Left() - 2);
    EXPECT_THROW(footer->Button(3), Exception);
    try {
        footer->Button(3);
    } catch (const Exception& e) {
        EXPECT_EQ(String(e.Message()), "Index out of bounds in list read access");
    }

    footer->Button(2)->Click(); // retry: neither closes nor cancels
    EXPECT_TRUE(f.open());
    f.dd->SetSelStart(5);
    f.dd->Perform(WM_CHAR, WPARAM('!'), 0);
    footer->Button(1)->Click(); // cancel
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.dd->GetText(), "start");
    EXPECT_EQ(clicks, (std::vector<int>{2, 1}));
    QTest::qWait(300);
    f.Open();
    f.dd->SetSelStart(5);
    f.dd->Perform(WM_CHAR, WPARAM('?'), 0);
    f.popup()->Footer()->Button(0)->Click(); // OK
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.dd->GetText(), "start?");
}

// ---------------------------------------------------------------- looks

TEST(DropDownLooks, ColourArithmetic)
{
    EXPECT_EQ(ShiftColor(0xF5F0E1, -10, -10, 0), TColor(0xF5D8CA));
    EXPECT_EQ(ShiftColor(0xF9D2B2, -10, -10, 0), TColor(0xF9BDA0));
    EXPECT_EQ(ShiftColor(0x000000, 20, -5, 0), TColor(0x000014)) << "only channels of 0 are lifted";
    EXPECT_EQ(BlendColor(0x0000FF, 0xFFFFFF, 100), TColor(0x0000FF));
    EXPECT_EQ(BlendColor(0x0000FF, 0xFFFFFF, 0), TColor(0xFFFFFF));
    EXPECT_EQ(BlendColor(0x000000, 0xFFFFFF, 20), TColor(0xCCCCCC));
    TPlusButtonAppearance a;
    EXPECT_EQ(a.ColorChecked, TColor(0xF5D8CA));
    EXPECT_EQ(a.ColorCheckedTo, TColor(0xF9BDA0));
}

TColor PixelAt(TBitmap& b, int x, int y) { return b.Canvas()->Pixels(x, y); }

TEST(DropDownLooks, GradientBands)
{
    TBitmap b;
    b.SetSize(100, 10);
    DrawGradient(b.Canvas(), 0x0000FF, 0xFF0000, 0, TRect(0, 0, 100, 10), true);
    EXPECT_EQ(PixelAt(b, 0, 5), TColor(0x0000FF)) << "steps 0 draws one stripe of the first colour";
    EXPECT_EQ(PixelAt(b, 98, 5), TColor(0x0000FF));
    DrawGradient(b.Canvas(), 0x00FF00, 0x00FF00, 10, TRect(0, 0, 100, 10), true);
    EXPECT_EQ(PixelAt(b, 50, 5), TColor(0x00FF00));
    DrawGradient(b.Canvas(), 0x000000, 0x0000FF, 2, TRect(0, 0, 100, 10), true);
    EXPECT_EQ(PixelAt(b, 10, 5), TColor(0x000000));
    EXPECT_EQ(PixelAt(b, 80, 5), TColor(0x000080)) << "band i takes i/steps of the difference";
}

TEST(DropDownLooks, ColourStylesAndSets)
{
    TForm* form = New<TForm>(nullptr);
    auto* dd = new TPlusCustomDropDown(form);
    EXPECT_EQ(dd->VirelStyle(), 4);
    EXPECT_EQ(dd->DropDownColor, TColor(0xF3E5DA));
    EXPECT_EQ(dd->DropDownColorEnd, TColor(0xF0DED0));
    EXPECT_EQ(dd->DropDownBorderColor, clNone);
    EXPECT_EQ(dd->DropDownHeader()->ColorTo, TColor(0xFFD2AF));
    EXPECT_EQ(dd->ButtonAppearance()->BorderColorDown, TColor(0x42AEFE));
    EXPECT_EQ(dd->SelectionColorStyle(), 1);
    EXPECT_EQ(dd->Width(), 200);
    EXPECT_EQ(dd->GetText(), "");
    for (int style : {8, 20}) {
        dd->ApplyColorStyle(uint8_t(style));
        EXPECT_EQ(dd->VirelStyle(), style);
        EXPECT_EQ(dd->DropDownColor, TColor(0xF3E5DA)) << "style " << style << " changes no colour";
    }
    dd->ApplyColorStyle(0);
    EXPECT_EQ(dd->DropDownColor, TColor(0xFFFFFF));
    EXPECT_EQ(dd->ButtonAppearance()->Color, TColor(0xFCE1CB));
    TControlColorSet set;
    set.Colors[0] = 0x112233;
    set.Colors[1] = 0x445566;
    set.Colors[6] = 0x778899;
    set.Colors[9] = 0xAABBCC;
    dd->ApplyColorSet(set);
    EXPECT_EQ(dd->Button()->FaceColor, TColor(0x112233));
    EXPECT_EQ(dd->Button()->FaceColorHot, TColor(0xAABBCC));
    EXPECT_EQ(dd->Button()->FaceColorDown, TColor(0x778899));
    EXPECT_EQ(dd->BorderColor(), TColor(0x445566));
    set.Colors[1] = clNone;
    dd->ApplyColorSet(set);
    EXPECT_EQ(dd->BorderColor(), clNone);
    dd->SetSelectionColorStyle(2);
    EXPECT_EQ(dd->SelectionColor, TColor(0xFDF8F1));
    dd->SetSelectionColorStyle(7);
    EXPECT_EQ(dd->SelectionColor, TColor(0xFDF8F1)) << "other numbers leave the colours alone";
    delete form;
}

TEST(DropDownLooks, FitTextToWidth)
{
    TBitmap b;
    b.SetSize(10, 10);
    String r;
    FitTextToWidth(b.Canvas(), "a rather long caption", 1, r, true);
    EXPECT_EQ(r, "a rather long caption") << "nothing fits: unchanged";
    FitTextToWidth(b.Canvas(), "short", 1000, r, true);
    EXPECT_EQ(r, "short");
    const int w = GetTextSize(b.Canvas(), "abcdef...").cx;
    FitTextToWidth(b.Canvas(), "abcdefghijkl", w + 1, r, true);
    EXPECT_EQ(r, "abcdef...");
}

} // namespace

namespace {

TEST(DropDownLooks, AssignCopiesTheSettings)
{
    TForm* form = New<TForm>(nullptr);
    auto* a = new TPlusCustomDropDown(form);
    auto* b = new TPlusCustomDropDown(form);
    a->ApplyColorStyle(13);
    a->SetDropDownWidth(321);
    a->SetEditorEnabled(false);
    a->ReturnAsTab = true;
    a->DropDownHeader()->Caption = "Head";
    a->SetDropDownButtonHint("Open");
    a->SetSelectionColorStyle(3);
    b->Assign(a);
    EXPECT_EQ(b->DropDownColorEnd, a->DropDownColorEnd);
    EXPECT_EQ(b->DropDownWidth(), 321);
    EXPECT_FALSE(b->EditorEnabled());
    EXPECT_TRUE(b->ReturnAsTab);
    EXPECT_EQ(b->DropDownHeader()->Caption, "Head");
    EXPECT_EQ(b->ButtonAppearance()->ColorHot, a->ButtonAppearance()->ColorHot);
    EXPECT_EQ(b->DropDownButtonHint(), "Open");
    EXPECT_EQ(b->SelectionColorStyle(), 3);
    EXPECT_EQ(b->SelectionColor, a->SelectionColor);
    b->Assign(form); // anything else is ignored
    EXPECT_EQ(b->DropDownWidth(), 321);
    delete form;
}

} // namespace

// ---------------------------------------------------------------- shadow, grip, bar buttons

namespace {

TEST(DropDownPopup, ShadowFollowsTheSettingAtEachOpeningAndOnlyTheGripCornerSizes)
{
    Fixture f;
    f.dd->DropDownShadow = false;
    f.Open();
    EXPECT_FALSE(GetWindowLong(f.popup()->Handle(), GCL_STYLE) & LONG(CS_DROPSHADOW));
    f.dd->HideDropDown(false);
    QTest::qWait(300);
    f.dd->DropDownShadow = true;
    f.dd->ReshowForShadow = true;
    f.Open();
    EXPECT_TRUE(GetWindowLong(f.popup()->Handle(), GCL_STYLE) & LONG(CS_DROPSHADOW));
    EXPECT_TRUE(f.open());

    TDropDownForm* p = f.popup();
    const TPoint corner = p->ClientToScreen(TPoint{p->Width() - 5, p->Height() - 5});
    const TPoint inside = p->ClientToScreen(TPoint{p->Width() - 20, p->Height() - 5});
    auto hit = [&](TPoint at) { return int(p->Perform(WM_NCHITTEST, 0, MAKELPARAM(at.X, at.Y))); };
    EXPECT_EQ(hit(corner), HTNOWHERE);
    p->GripSizing = true;
    EXPECT_EQ(hit(corner), HTBOTTOMRIGHT);
    EXPECT_EQ(hit(inside), HTNOWHERE);
    EXPECT_EQ(p->Perform(WM_GETDLGCODE, 0, 0), LRESULT(DLGC_WANTARROWS | DLGC_WANTALLKEYS));
}

struct ButtonRow {
    TForm* form = New<TForm>(nullptr);
    TPlusButtonAppearance look;
    std::vector<TPlusButton*> b;
    ButtonRow()
    {
        form->SetBounds(300, 300, 200, 60);
        for (int i = 0; i < 3; ++i) {
            auto* x = new TPlusButton(form);
            x->SetParent(form);
            x->SetBounds(10 + 30 * i, 10, 23, 22);
            x->Appearance = &look;
            b.push_back(x);
        }
        form->Show();
    }
    ~ButtonRow() { delete form; }
};

TEST(DropDownBars, PushToggleAndGroupedButtons)
{
    ButtonRow r;
    r.b[0]->SetDown(true);
    EXPECT_FALSE(r.b[0]->Down()) << "a push button is never down";
    r.b[0]->Style = 1;
    r.b[0]->SetDown(true);
    EXPECT_TRUE(r.b[0]->Down());
    r.b[0]->SetDown(false);
    EXPECT_FALSE(r.b[0]->Down());

    // a group: one down at a time; without AllowAllUp the down one cannot be raised
    for (TPlusButton* x : r.b)
        x->GroupIndex = 1, x->Style = 0;
    r.b[1]->SetDown(true);
    r.b[2]->SetDown(true);
    EXPECT_FALSE(r.b[1]->Down());
    EXPECT_TRUE(r.b[2]->Down());
    r.b[2]->SetDown(false);
    EXPECT_TRUE(r.b[2]->Down());
    r.b[0]->AllowAllUp = true;
    r.b[0]->SetDown(true);
    EXPECT_FALSE(r.b[2]->Down());
    EXPECT_TRUE(r.b[2]->AllowAllUp) << "the group takes the sender's AllowAllUp";
    r.b[0]->SetDown(false);
    EXPECT_FALSE(r.b[0]->Down());

    // a click on a grouped button puts it down
    QTest::mouseClick(r.b[1]->Host(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(r.b[1]->Down());
}

TEST(DropDownBars, AcceleratorClicksAndTheHotLookEndsOnATimerTick)
{
    ButtonRow r;
    int clicks = 0;
    r.b[0]->SetCaption("&Apply");
    r.b[0]->OnClick = [&](TObject*) { ++clicks; };
    EXPECT_EQ(r.b[0]->Perform(CM_DIALOGCHAR, 'A', 0), 1);
    EXPECT_EQ(r.b[0]->Perform(CM_DIALOGCHAR, 'p', 0), 0);
    r.b[0]->SetEnabled(false);
    EXPECT_EQ(r.b[0]->Perform(CM_DIALOGCHAR, 'A', 0), 0);
    EXPECT_EQ(clicks, 1);

    QCursor::setPos(0, 0); // far from the buttons
    r.b[1]->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(r.b[1]->MouseInside());
    EXPECT_TRUE(r.b[1]->HotTimerRunning());
    r.b[1]->Perform(WM_TIMER, TPlusButton::HotTimerId, 0);
    EXPECT_FALSE(r.b[1]->MouseInside());
    EXPECT_FALSE(r.b[1]->HotTimerRunning());
    r.b[2]->Perform(CM_MOUSEENTER, 0, 0);
    r.b[2]->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(r.b[2]->HotTimerRunning());
}

} // namespace
