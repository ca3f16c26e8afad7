#include "platform/framework/Controls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ControlHost.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Logs the messages and events it sees; paints a red square.
class ControlProbe : public TCustomControl {
public:
    explicit ControlProbe(TComponent* owner) : TCustomControl(owner) {}
    std::vector<String> log;
    bool swallowKeys = false;
    bool failPaint = false;
    int paints = 0;

    void KeyDown(WORD& key, TShiftState shift) override
    {
        log.push_back("keydown " + IntToStr(key) + (shift.Contains(ssCtrl) ? " ctrl" : ""));
        if (swallowKeys)
            key = 0;
    }
    void KeyPress(char& key) override { log.push_back("char " + IntToStr(static_cast<unsigned char>(key))); }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        log.push_back(Format("down %d %d,%d%s", {int(b), x, y, String(s.Contains(ssDouble) ? " double" : "")}));
    }
    void Click() override { log.push_back("click"); }
    bool DoMouseWheelDown(TShiftState, TPoint) override
    {
        log.push_back("wheeldown");
        return true;
    }
    void Paint() override
    {
        ++paints;
        if (failPaint)
            throw Exception("paint failed");
        Canvas()->Brush->Color = clRed;
        Canvas()->FillRect(Rect(0, 0, 10, 10));
    }
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_VSCROLL || m.Msg == WM_HSCROLL) {
            log.push_back(Format("scroll %d %d", {int(m.ScrollCode()), m.ScrollPos()}));
            SetScrollPos(Handle(), m.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, 7, TRUE);
            return;
        }
        if (m.Msg == WM_GETDLGCODE) {
            m.Result = DLGC_WANTARROWS;
            return;
        }
        TCustomControl::Dispatch(m);
    }
};

struct Shown {
    Shown()
    {
        form.SetClientWidth(200);
        form.SetClientHeight(150);
        probe = new ControlProbe(&form);
        probe->SetParent(&form);
        probe->SetBounds(10, 10, 100, 80);
        form.Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
        probe->SetFocus();
        QApplication::processEvents();
    }
    TForm form{nullptr};
    ControlProbe* probe = nullptr;
};

} // namespace

TEST(Controls, KeyPressGivesKeyDownThenCharEvenWhenTheKeyWasSwallowed)
{
    Shown s;
    s.probe->swallowKeys = true;
    QTest::keyClick(s.probe->Host(), Qt::Key_A);
    QTest::keyClick(s.probe->Host(), Qt::Key_Return);
    QTest::keyClick(s.probe->Host(), Qt::Key_Down);
    QTest::keyClick(s.probe->Host(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(s.probe->log, (std::vector<String>{"keydown 65", "char 97", "keydown 13", "char 13", "keydown 40",
                                                 "keydown 17 ctrl", "keydown 67 ctrl", "char 3"}));
}

TEST(Controls, MouseGivesDownClickAndDoubleClickRecords)
{
    Shown s;
    QTest::mouseClick(s.probe->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 6));
    QTest::mouseDClick(s.probe->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(7, 8));
    ASSERT_GE(s.probe->log.size(), 3u);
    EXPECT_EQ(s.probe->log[0], "down 0 5,6");
    EXPECT_EQ(s.probe->log[1], "click");
    EXPECT_NE(std::find(s.probe->log.begin(), s.probe->log.end(), "down 0 7,8 double"), s.probe->log.end());
    s.probe->log.clear();
    QWheelEvent wheel(QPointF(5, 5), QPointF(s.probe->Host()->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, -240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(s.probe->Host(), &wheel);
    EXPECT_EQ(s.probe->log, (std::vector<String>{"wheeldown", "wheeldown"}));
}

TEST(Controls, PaintRunsOnInvalidateAndAtOnceDrawingShowsInTheImage)
{
    Shown s;
    TControlHost* host = s.probe->ControlHost();
    host->PaintPending();
    const int before = s.probe->paints;
    s.probe->Invalidate();
    s.probe->Update();
    EXPECT_EQ(s.probe->paints, before + 1);
    EXPECT_EQ(host->SurfaceImage()->pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(host->SurfaceImage()->pixelColor(50, 50), ColorRefToQColor(GetSysColor(COLOR_BTNFACE)));
    // at once: a blue line outside any paint
    s.probe->Canvas()->Pen->Color = clBlue;
    s.probe->Canvas()->MoveTo(0, 40);
    s.probe->Canvas()->LineTo(90, 40);
    EXPECT_EQ(host->SurfaceImage()->pixelColor(30, 40), QColor(0, 0, 255));
    QApplication::processEvents(); // the context goes back after the event
    EXPECT_EQ(s.probe->Canvas()->Handle(), nullptr);
    EXPECT_EQ(s.probe->paints, before + 1); // showing it needed no paint
}

TEST(Controls, ExceptionsInPaintReachTheApplicationHandler)
{
    Shown s;
    std::vector<String> seen;
    Application->OnException = [&](TObject* sender, Exception* e) {
        seen.push_back(e->Message());
        EXPECT_EQ(sender, s.probe);
    };
    s.probe->failPaint = true;
    s.probe->Invalidate();
    s.probe->Update();
    Application->OnException = nullptr;
    EXPECT_EQ(seen, (std::vector<String>{"paint failed"}));
}

TEST(Controls, ScrollBarsSendScrollMessagesAndTheWindowPlacesThem)
{
    Shown s;
    HWND h = s.probe->Handle();
    ShowScrollBar(h, SB_VERT, TRUE);
    EXPECT_EQ(s.probe->ClientWidth(), 100 - GetSystemMetrics(SM_CXVSCROLL));
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = 50;
    info.nPage = 10;
    info.nPos = 3;
    SetScrollInfo(h, SB_VERT, &info, TRUE);
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 3);
    auto* bar = s.probe->Host()->findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(s.probe->log.back(), "scroll 1 4");
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 7); // where the window put it
    EXPECT_EQ(bar->value(), 7);
    EXPECT_EQ(s.probe->Perform(WM_GETDLGCODE, 0, 0), LRESULT(DLGC_WANTARROWS));
    EXPECT_EQ(SendMessage(h, WM_GETDLGCODE, 0, 0), LRESULT(DLGC_WANTARROWS));
}

TEST(Controls, TimerFiresAndItsExceptionsAreHandled)
{
    TTimer timer(nullptr);
    int fired = 0;
    std::vector<String> seen;
    Application->OnException = [&](TObject*, Exception* e) { seen.push_back(e->Message()); };
    timer.SetInterval(5);
    timer.SetOnTimer([&](TObject*) {
        if (++fired == 2)
            throw Exception("tick");
    });
    QElapsedTimer clock;
    clock.start();
    while (fired < 3 && clock.elapsed() < 2000)
        QTest::qWait(5);
    timer.SetEnabled(false);
    Application->OnException = nullptr;
    EXPECT_GE(fired, 3);
    EXPECT_EQ(seen, (std::vector<String>{"tick"}));
}

TEST(Controls, AlignedControlsFillTheirParent)
{
    TForm form(nullptr);
    form.SetClientWidth(300);
    form.SetClientHeight(200);
    auto make = [&](TAlign align, int w, int h) {
        auto* c = new ControlProbe(&form);
        c->SetBounds(0, 0, w, h);
        c->Align = align;
        c->SetParent(&form);
        return c;
    };
    ControlProbe* top = make(alTop, 10, 30);
    ControlProbe* bottom = make(alBottom, 10, 20);
    ControlProbe* left = make(alLeft, 50, 10);
    ControlProbe* client = make(alClient, 10, 10);
    form.SetClientHeight(240); // a resize places them again
    EXPECT_EQ(top->BoundsRect(), TRect(0, 0, 300, 30));
    EXPECT_EQ(bottom->BoundsRect(), TRect(0, 220, 300, 240));
    EXPECT_EQ(left->BoundsRect(), TRect(0, 30, 50, 220));
    EXPECT_EQ(client->BoundsRect(), TRect(50, 30, 300, 220));
}
