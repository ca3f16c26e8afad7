// Window lifecycle, the framework's notifications in their order, timers by id, registered
// messages, redraw switching and the framework's drag.
#include "platform/testing/quelm_test_support.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ControlHost.h"
#include "platform/framework/StdCtrls.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Records the framework messages it gets, by name.
class TLogControl : public TCustomControl {
public:
    explicit TLogControl(TComponent* owner, std::vector<String>* log, String name)
        : TCustomControl(owner), log_(log), name_(std::move(name))
    {
    }
    std::vector<UINT_PTR> timers;
    DWORD extraStyle = 0;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TCustomControl::CreateParams(params);
        params.Style |= extraStyle;
        Log("CreateParams");
    }
    void CreateWnd() override
    {
        TCustomControl::CreateWnd();
        Log("CreateWnd");
    }
    void WndProc(TMessage& m) override
    {
        static const std::map<UINT, const char*> names = {
            {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_NCDESTROY, "WM_NCDESTROY"},
            {CM_ENTER, "CM_ENTER"}, {CM_EXIT, "CM_EXIT"}, {WM_SETFOCUS, "WM_SETFOCUS"},
            {WM_KILLFOCUS, "WM_KILLFOCUS"}, {CM_CANCELMODE, "CM_CANCELMODE"}, {CM_FOCUSCHANGED, "CM_FOCUSCHANGED"},
            {CM_VISIBLECHANGED, "CM_VISIBLECHANGED"}, {CM_ENABLEDCHANGED, "CM_ENABLEDCHANGED"},
            {CM_COLORCHANGED, "CM_COLORCHANGED"}, {CM_FONTCHANGED, "CM_FONTCHANGED"},
            {CM_PARENTFONTCHANGED, "CM_PARENTFONTCHANGED"}, {CM_PARENTCOLORCHANGED, "CM_PARENTCOLORCHANGED"},
            {CM_TEXTCHANGED, "CM_TEXTCHANGED"}, {WM_SETTEXT, "WM_SETTEXT"}, {CM_SHOWINGCHANGED, "CM_SHOWINGCHANGED"},
            {WM_STYLECHANGING, "WM_STYLECHANGING"}, {WM_STYLECHANGED, "WM_STYLECHANGED"},
        };
        if (m.Msg == WM_TIMER)
            timers.push_back(m.WParam);
        else if (auto it = names.find(m.Msg); it != names.end())
            Log(it->second);
        TCustomControl::WndProc(m);
    }

private:
    void Log(const String& what) { log_->push_back(name_ + ":" + what); }
    std::vector<String>* log_;
    String name_;
};

struct WindowFixture : ::testing::Test {
    WindowFixture() { form.SetBounds(0, 0, 300, 200); }
    std::vector<String> log;
    TForm form{nullptr};
};

} // namespace

TEST_F(WindowFixture, CreationRecreationAndDestruction)
{
    auto* panel = new TLogControl(&form, &log, "panel");
    panel->SetParent(&form);
    auto* child = new TLogControl(&form, &log, "child");
    child->SetParent(panel);
    child->extraStyle = WS_CLIPCHILDREN;
    EXPECT_FALSE(child->HandleAllocated());
    child->HandleNeeded();
    const std::vector<String> created = {"panel:CreateParams", "panel:WM_CREATE", "panel:CreateWnd",
                                         "child:CreateParams", "child:WM_CREATE", "child:CreateWnd"};
    EXPECT_EQ(log, created) << "parents are created before their children";
    EXPECT_TRUE(GetWindowLong(child->Handle(), GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_TRUE(GetWindowLong(child->Handle(), GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(GetWindowLong(child->Handle(), GCL_STYLE) & CS_DBLCLKS);

    log.clear();
    child->SetText("kept");
    panel->RecreateWnd();
    const std::vector<String> recreated = {"child:WM_SETTEXT", "child:CM_TEXTCHANGED",
                                           "child:WM_DESTROY", "child:WM_NCDESTROY",
                                           "panel:WM_DESTROY", "panel:WM_NCDESTROY",
                                           "panel:CreateParams", "panel:WM_CREATE", "panel:CreateWnd"};
    ASSERT_GE(log.size(), recreated.size());
    EXPECT_EQ(std::vector<String>(log.begin(), log.begin() + long(recreated.size())), recreated);
    EXPECT_EQ(child->Text(), "kept");

    log.clear();
    SetWindowLong(child->Handle(), GWL_STYLE, GetWindowLong(child->Handle(), GWL_STYLE) | WS_BORDER);
    EXPECT_EQ(log, (std::vector<String>{"child:WM_STYLECHANGING", "child:WM_STYLECHANGED"}));
    EXPECT_TRUE(GetWindowLong(child->Handle(), GWL_STYLE) & WS_BORDER);
}

TEST_F(WindowFixture, PopUpTopMostWindowsFromTheirParameters)
{
    auto* popup = new TLogControl(&form, &log, "popup");
    struct TPopup : TLogControl {
        using TLogControl::TLogControl;
        void CreateParams(TCreateParams& p) override
        {
            TLogControl::CreateParams(p);
            p.Style = WS_POPUP | WS_CLIPCHILDREN;
            p.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
            p.WindowClass.style |= CS_DROPSHADOW;
        }
    };
    delete popup;
    auto* p = new TPopup(&form, &log, "popup");
    p->HandleNeeded();
    EXPECT_TRUE(p->Host()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(p->Host()->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(GetWindowLong(p->Handle(), GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(GetWindowLong(p->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLong(p->Handle(), GCL_STYLE) & CS_DROPSHADOW);
}

TEST_F(WindowFixture, PropertySettersSendTheirNotifications)
{
    auto* panel = new TLogControl(&form, &log, "panel");
    panel->SetParent(&form);
    auto* child = new TLogControl(&form, &log, "child");
    child->SetParent(panel);
    child->ParentFont = true;
    child->ParentColor = true;
    log.clear();
    panel->SetColor(clRed);
    panel->Font()->SetSize(14);
    panel->Font()->Changed(); // the font's fields are plain: a change is announced
    panel->SetEnabled(false);
    panel->SetVisible(false);
    panel->SetCaption("title");
    panel->SetCaption("title"); // no change, no message
    const std::vector<String> want = {
        "panel:CM_COLORCHANGED", "child:CM_PARENTCOLORCHANGED", "child:CM_COLORCHANGED",
        "panel:CM_FONTCHANGED",  "child:CM_PARENTFONTCHANGED",  "child:CM_FONTCHANGED",
        "panel:CM_ENABLEDCHANGED", "panel:CM_VISIBLECHANGED",   "panel:WM_SETTEXT",
        "panel:CM_TEXTCHANGED"};
    EXPECT_EQ(log, want);
    EXPECT_EQ(child->Color(), clRed);
    EXPECT_TRUE(child->ParentColor);
    EXPECT_EQ(child->Font()->Size(), 14);
    EXPECT_FALSE(panel->Enabled());
    EXPECT_TRUE(child->Enabled()) << "a control keeps its own flag inside a disabled parent";
    EXPECT_FALSE(child->Host()->isEnabled());
}

TEST_F(WindowFixture, FocusMovesSendExitAndEnterInTheFrameworksOrder)
{
    auto* a = new TLogControl(&form, &log, "a");
    a->SetParent(&form);
    a->SetBounds(0, 0, 50, 50);
    auto* panel = new TLogControl(&form, &log, "panel");
    panel->SetParent(&form);
    panel->SetBounds(60, 0, 100, 100);
    auto* b = new TLogControl(&form, &log, "b");
    b->SetParent(panel);
    b->SetBounds(5, 5, 40, 40);
    form.Show();
    QApplication::setActiveWindow(form.Host());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Host()));
    a->SetFocus();
    log.clear();
    b->SetFocus();
    const std::vector<String> want = {"a:WM_KILLFOCUS", "b:WM_SETFOCUS", "a:CM_CANCELMODE",
                                      "a:CM_EXIT",      "panel:CM_ENTER", "b:CM_ENTER"};
    EXPECT_EQ(log, want);
    log.clear();
    panel->SetFocus(); // from a child to its parent: the parent stays entered
    EXPECT_EQ(log, (std::vector<String>{"b:WM_KILLFOCUS", "panel:WM_SETFOCUS", "b:CM_CANCELMODE", "b:CM_EXIT"}));
}

TEST_F(WindowFixture, TimersFireByIdUntilKilledOrTheirWindowGoes)
{
    auto* c = new TLogControl(&form, &log, "c");
    c->SetParent(&form);
    EXPECT_EQ(SetTimer(c->Handle(), 7, 10, nullptr), UINT_PTR(7));
    EXPECT_EQ(SetTimer(c->Handle(), 9, 15, nullptr), UINT_PTR(9));
    QTest::qWaitFor([&] { return c->timers.size() >= 4; }, 2000);
    EXPECT_NE(std::count(c->timers.begin(), c->timers.end(), UINT_PTR(7)), 0);
    EXPECT_NE(std::count(c->timers.begin(), c->timers.end(), UINT_PTR(9)), 0);
    EXPECT_TRUE(KillTimer(c->Handle(), 7));
    EXPECT_FALSE(KillTimer(c->Handle(), 7)) << "a killed timer is gone";
    QTest::qWait(20);
    c->timers.clear();
    QTest::qWait(60);
    EXPECT_EQ(std::count(c->timers.begin(), c->timers.end(), UINT_PTR(7)), 0);
    EXPECT_NE(std::count(c->timers.begin(), c->timers.end(), UINT_PTR(9)), 0);

    // a freed control's timers and posted messages are dropped
    QPointer<QWidget> host = c->Handle();
    PostMessage(c->Handle(), WM_TIMER, 9, 0);
    delete c;
    EXPECT_TRUE(host.isNull());
    QTest::qWait(40);
    EXPECT_FALSE(KillTimer(nullptr, 9));

    // a timer without a window calls its procedure with a fresh id
    static int calls = 0;
    calls = 0;
    const UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { ++calls; });
    EXPECT_NE(id, UINT_PTR(0));
    QTest::qWaitFor([] { return calls > 0; }, 2000);
    EXPECT_TRUE(KillTimer(nullptr, id));
}

TEST_F(WindowFixture, RegisteredMessagesAndRedrawSwitching)
{
    const UINT a = RegisterWindowMessage("GridEditDone");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("grideditdone"), a);
    EXPECT_NE(RegisterWindowMessage("Other"), a);

    auto* c = new TLogControl(&form, &log, "c");
    c->SetParent(&form);
    c->SetBounds(0, 0, 50, 50);
    form.Show();
    c->Update();
    TControlHost* host = c->ControlHost();
    const int before = host->PaintCount;
    c->Perform(WM_SETREDRAW, 0, 0);
    c->Invalidate();
    c->Update();
    EXPECT_EQ(host->PaintCount, before) << "no painting while redraw is off";
    c->Perform(WM_SETREDRAW, 1, 0);
    c->Update();
    EXPECT_EQ(host->PaintCount, before + 1) << "the area invalidated meanwhile is painted";
}

TEST_F(WindowFixture, DragFromOneControlToAnother)
{
    auto* source = new TLogControl(&form, &log, "source");
    source->SetParent(&form);
    source->SetBounds(0, 0, 50, 50);
    auto* target = new TLogControl(&form, &log, "target");
    target->SetParent(&form);
    target->SetBounds(100, 0, 50, 50);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
    std::vector<TDragState> states;
    TObject* dropped = nullptr;
    TObject* endTarget = nullptr;
    target->OnDragOver = [&](TObject*, TObject* src, int, int, TDragState state, bool& accept) {
        states.push_back(state);
        accept = src == source;
    };
    target->OnDragDrop = [&](TObject*, TObject* src, int, int) { dropped = src; };
    source->OnEndDrag = [&](TObject*, TObject* t, int, int) { endTarget = t; };
    source->DragMode = dmAutomatic;
    QTest::mousePress(source->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(source->Dragging());
    // the source has the mouse: moves arrive there in its client coordinates
    QTest::mouseMove(source->Host(), QPoint(110, 10));
    QTest::mouseMove(source->Host(), QPoint(115, 12));
    QTest::mouseRelease(source->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(115, 12));
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(states, (std::vector<TDragState>{dsDragEnter, dsDragMove}));
    EXPECT_EQ(dropped, source);
    EXPECT_EQ(endTarget, target);
}

namespace {

// A top-level layered pop-up that paints magenta with a white square in the middle.
class TLayeredPopup : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void CreateParams(TCreateParams& p) override
    {
        TCustomControl::CreateParams(p);
        p.Style = WS_POPUP;
        p.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED;
    }
    void Paint() override
    {
        Canvas()->Brush->Color = TColor(RGB(255, 0, 255));
        Canvas()->FillRect(ClientRect());
        Canvas()->Brush->Color = clWhite;
        Canvas()->FillRect(TRect(10, 5, 30, 15));
    }
};

QImage Shown(TWinControl* w)
{
    QApplication::processEvents();
    // drawn as the window system would compose it: onto nothing, without a background
    QImage image(w->Host()->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    // rendering starts at the top-left of what is painted, which the window's shape bounds
    const QRegion shape = w->Host()->mask();
    const QPoint at = shape.isEmpty() ? QPoint() : shape.boundingRect().intersected(w->Host()->rect()).topLeft();
    w->Host()->render(&image, at, QRegion(), QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

// A layered window shows its per-pixel alpha (premultiplied source bytes) times the constant
// alpha; fully transparent pixels are outside the window's shape, so the mouse goes through.
TEST_F(WindowFixture, LayeredWindowShowsPerPixelAlpha)
{
    auto* w = new TLayeredPopup(&form);
    w->SetBounds(0, 0, 40, 20);
    w->HandleNeeded();
    w->Show();
    DeviceContext source(40, 20);
    auto* bits = reinterpret_cast<quint32*>(source.Image()->bits());
    const int stride = source.Image()->bytesPerLine() / 4;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            bits[y * stride + x] = x < 20 ? 0xFFFF0000u                     // opaque red
                                          : (y < 10 ? 0x80000080u : 0u);  // half blue, nothing
    POINT at{0, 0}, from{0, 0};
    SIZE size{40, 20};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ASSERT_TRUE(UpdateLayeredWindow(w->Handle(), nullptr, &at, &size, &source, &from, 0, &blend, ULW_ALPHA));
    QImage shown = Shown(w);
    EXPECT_EQ(shown.pixelColor(5, 5), QColor(255, 0, 0, 255));
    const QColor half = shown.pixelColor(30, 5);
    EXPECT_NEAR(half.alpha(), 128, 2);
    EXPECT_EQ(half.red(), 0);
    EXPECT_GT(half.blue(), 240);
    EXPECT_EQ(shown.pixelColor(30, 15).alpha(), 0);
    EXPECT_TRUE(w->Host()->mask().contains(QPoint(30, 5)));
    EXPECT_FALSE(w->Host()->mask().contains(QPoint(30, 15)));
    // the constant alpha applies on top
    blend.SourceConstantAlpha = 128;
    UpdateLayeredWindow(w->Handle(), nullptr, nullptr, nullptr, &source, &from, 0, &blend, ULW_ALPHA);
    shown = Shown(w);
    EXPECT_NEAR(shown.pixelColor(5, 5).alpha(), 128, 2);
    EXPECT_NEAR(shown.pixelColor(30, 5).alpha(), 64, 2);
    shown.save(QString::fromStdString(quelmtest::PicturePath("layered-per-pixel.png")));
}

// A colour key takes the key's pixels out of what the window paints, and out of its shape;
// the constant alpha applies to the rest. The shape follows later paints.
TEST_F(WindowFixture, LayeredWindowColourKeyHidesTheKeyPixels)
{
    auto* w = new TLayeredPopup(&form);
    w->SetBounds(0, 0, 40, 20);
    w->HandleNeeded();
    w->Show();
    ASSERT_TRUE(SetLayeredWindowAttributes(w->Handle(), RGB(255, 0, 255), 0, LWA_COLORKEY));
    QImage shown = Shown(w);
    EXPECT_EQ(shown.pixelColor(2, 2).alpha(), 0);             // magenta: keyed out
    EXPECT_EQ(shown.pixelColor(20, 10), QColor(255, 255, 255)); // white: shown
    QApplication::processEvents();
    EXPECT_FALSE(w->Host()->mask().contains(QPoint(2, 2)));
    EXPECT_TRUE(w->Host()->mask().contains(QPoint(20, 10)));
    ASSERT_TRUE(SetLayeredWindowAttributes(w->Handle(), RGB(255, 0, 255), 128, LWA_COLORKEY | LWA_ALPHA));
    shown = Shown(w);
    EXPECT_EQ(shown.pixelColor(2, 2).alpha(), 0);
    EXPECT_NEAR(shown.pixelColor(20, 10).alpha(), 128, 2);
    // another key: magenta shows, white goes
    ASSERT_TRUE(SetLayeredWindowAttributes(w->Handle(), RGB(255, 255, 255), 0, LWA_COLORKEY));
    shown = Shown(w);
    EXPECT_EQ(shown.pixelColor(2, 2), QColor(255, 0, 255));
    EXPECT_EQ(shown.pixelColor(20, 10).alpha(), 0);
    QApplication::processEvents();
    EXPECT_TRUE(w->Host()->mask().contains(QPoint(2, 2)));
    EXPECT_FALSE(w->Host()->mask().contains(QPoint(20, 10)));
}

// A window made with WS_EX_LAYERED shows nothing until it is told how.
TEST_F(WindowFixture, LayeredWindowShowsNothingBeforeItIsToldHow)
{
    auto* w = new TLayeredPopup(&form);
    w->SetBounds(0, 0, 40, 20);
    w->HandleNeeded();
    w->Show();
    EXPECT_EQ(Shown(w).pixelColor(20, 10).alpha(), 0);
}

namespace {
// A window with a 4-pixel band of its own, painted red, whose bottom-right client corner sizes it.
class TBanded : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<std::pair<UINT, WPARAM>> mouse;
    std::vector<POINT> at;

protected:
    void WndProc(TMessage& m) override
    {
        switch (m.Msg) {
        case WM_NCCALCSIZE: {
            auto* r = reinterpret_cast<RECT*>(m.LParam);
            InflateRect(r, -4, -4);
            return;
        }
        case WM_NCPAINT: {
            TCustomControl::WndProc(m);
            HDC dc = GetWindowDC(Handle());
            RECT all{0, 0, Width(), Height()};
            HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
            FillRect(dc, &all, red);
            DeleteObject(red);
            ReleaseDC(Handle(), dc);
            return;
        }
        case WM_NCHITTEST: {
            POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
            ::ScreenToClient(Handle(), &p);
            if (p.x > ClientWidth() - 10 && p.y > ClientHeight() - 10) {
                m.Result = HTBOTTOMRIGHT;
                return;
            }
            break;
        }
        case WM_NCLBUTTONDOWN: case WM_NCLBUTTONUP: case WM_LBUTTONDOWN: case WM_LBUTTONUP:
            mouse.emplace_back(m.Msg, m.WParam);
            at.push_back(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
            if (m.Msg == WM_NCLBUTTONDOWN)
                return; // no system sizing under test
            break;
        default: break;
        }
        TCustomControl::WndProc(m);
    }
    void Paint() override
    {
        Canvas()->Brush->Color = clBlue;
        Canvas()->FillRect(ClientRect());
    }
};
} // namespace

// WM_NCCALCSIZE leaves a band around the client area: client coordinates, children and
// painting start inside it, WM_NCPAINT paints it on the window's context, and the mouse over
// it gives WM_NCHITTEST's code with the non-client messages.
TEST_F(WindowFixture, NonClientBandIsPaintedAndHitTested)
{
    auto* c = new TBanded(&form);
    c->SetParent(&form);
    c->SetBounds(10, 10, 100, 60);
    auto* child = new TLogControl(c, &log, "child");
    child->SetParent(c);
    child->SetBounds(0, 0, 10, 10);
    auto* plain = new TLogControl(&form, &log, "plain");
    plain->extraStyle = WS_BORDER;
    plain->SetParent(&form);
    plain->SetBounds(120, 10, 50, 30);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(120, 50, 80, 24);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
    QApplication::processEvents();

    EXPECT_EQ(c->ClientWidth(), 92);
    EXPECT_EQ(c->ClientHeight(), 52);
    EXPECT_EQ(child->Host()->pos(), QPoint(4, 4));
    EXPECT_EQ(child->Left(), 0);
    POINT origin{0, 0};
    ClientToScreen(c->Handle(), &origin);
    EXPECT_EQ(QPoint(origin.x, origin.y), c->Host()->mapToGlobal(QPoint(4, 4)));
    RECT client;
    GetClientRect(c->Handle(), &client);
    EXPECT_EQ(client.right, 92);
    const QImage shot = c->Host()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(1, 1)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(shot.pixel(99, 59)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(shot.pixel(50, 40)), QColor(0, 0, 255));
    // the default frame of a bordered window: one black pixel; an edit keeps its border inside
    EXPECT_EQ(plain->ClientWidth(), 48);
    EXPECT_EQ(QColor(plain->Host()->grab().toImage().pixel(0, 5)), QColor(0, 0, 0));
    EXPECT_EQ(edit->ClientWidth(), 80);

    QTest::mouseClick(c->Host(), Qt::LeftButton, {}, QPoint(2, 30)); // on the band
    QTest::mouseClick(c->Host(), Qt::LeftButton, {}, QPoint(30, 20)); // in the client area
    QTest::mouseClick(c->Host(), Qt::LeftButton, {}, QPoint(92, 52)); // the sizing corner
    ASSERT_EQ(c->mouse.size(), 6u);
    EXPECT_EQ(c->mouse[0], std::make_pair(UINT(WM_NCLBUTTONDOWN), WPARAM(HTBORDER)));
    EXPECT_EQ(c->mouse[1], std::make_pair(UINT(WM_NCLBUTTONUP), WPARAM(HTBORDER)));
    const QPoint screen = c->Host()->mapToGlobal(QPoint(2, 30));
    EXPECT_EQ(c->at[0].x, screen.x()); // non-client positions are screen positions
    EXPECT_EQ(c->mouse[2].first, UINT(WM_LBUTTONDOWN));
    EXPECT_EQ(c->at[2].x, 26); // client positions start inside the band
    EXPECT_EQ(c->at[2].y, 16);
    EXPECT_EQ(c->mouse[4], std::make_pair(UINT(WM_NCLBUTTONDOWN), WPARAM(HTBOTTOMRIGHT)));
    // a changed frame is measured again
    SetWindowPos(c->Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    EXPECT_EQ(c->ClientWidth(), 92);
    c->Host()->grab().toImage().save(QString::fromStdString(quelmtest::PicturePath("window-nonclient-band.png")));
}

// BeginPaint in a paint handler gets the region being painted; outside a paint it takes the
// invalid region, which then counts as painted.
TEST_F(WindowFixture, BeginPaintClipsToTheUpdateRegion)
{
    struct TPainting : TCustomControl {
        using TCustomControl::TCustomControl;
        std::vector<RECT> painted;
        void WndProc(TMessage& m) override
        {
            if (m.Msg == WM_PAINT) {
                PAINTSTRUCT ps;
                BeginPaint(Handle(), &ps);
                painted.push_back(ps.rcPaint);
                EndPaint(Handle(), &ps);
            }
            TCustomControl::WndProc(m);
        }
    };
    auto* c = new TPainting(&form);
    c->SetParent(&form);
    c->SetBounds(0, 0, 100, 80);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
    QApplication::processEvents();
    c->painted.clear();
    const RECT part{10, 20, 30, 50};
    InvalidateRect(c->Handle(), &part, FALSE);
    c->Update();
    ASSERT_FALSE(c->painted.empty());
    EXPECT_EQ(c->painted.back().left, 10);
    EXPECT_EQ(c->painted.back().top, 20);
    EXPECT_EQ(c->painted.back().right, 30);
    EXPECT_EQ(c->painted.back().bottom, 50);

    const RECT other{40, 10, 60, 30};
    InvalidateRect(c->Handle(), &other, TRUE);
    PAINTSTRUCT ps;
    BeginPaint(c->Handle(), &ps);
    EXPECT_EQ(ps.rcPaint.left, 40);
    EXPECT_EQ(ps.rcPaint.bottom, 30);
    EXPECT_TRUE(ps.fErase);
    EndPaint(c->Handle(), &ps);
    BeginPaint(c->Handle(), &ps); // nothing is invalid any more
    EXPECT_EQ(ps.rcPaint.right - ps.rcPaint.left, 0);
    EndPaint(c->Handle(), &ps);
}
