#include "platform/framework/Forms.h"
#include "platform/testing/quelm_test_support.h"
#include "platform/framework/ControlHost.h"
#include "platform/win/WinGdi.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using quelmtest::WaitFor;

// Logs the activation messages a form gets.
class LoggingPopup : public TPopupForm {
public:
    using TPopupForm::TPopupForm;
    std::vector<String>* log = nullptr;

protected:
    void Dispatch(TMessage& m) override
    {
        if (log && m.Msg == WM_ACTIVATE)
            log->push_back(LOWORD(m.WParam) == WA_INACTIVE ? "popup inactive" : "popup active");
        TPopupForm::Dispatch(m);
    }
};

struct PopupFixture {
    TForm* owner = New<TForm>(nullptr);
    LoggingPopup* popup = New<LoggingPopup>(owner);
    std::vector<String> log;

    PopupFixture()
    {
        popup->log = &log;
        owner->SetBounds(100, 100, 300, 200);
        owner->Show();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == owner->Host(); }));
        popup->SetBounds(120, 300, 150, 100);
        popup->Show();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == popup->Host(); }));
    }
    ~PopupFixture() { delete owner; }
};

TEST(PopupForm, ClosesOnAClickOutsideAndTheOwnerKeepsItsLook)
{
    PopupFixture f;
    EXPECT_EQ(f.log, std::vector<String>{"popup active"});
    EXPECT_TRUE(f.popup->Host()->isVisible());
    EXPECT_TRUE(f.owner->ActiveLook()); // lost activation, but the pop-up gave the look back
    EXPECT_TRUE(f.popup->ActiveLook());

    QTest::qWait(5);
    const DWORD before = GetTickCount();
    QTest::mouseClick(f.owner->Host(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(WaitFor([&] { return !f.popup->Host()->isVisible(); }));
    EXPECT_EQ(f.log.back(), "popup inactive");
    EXPECT_GE(f.popup->DeactivationTick(), before);
    EXPECT_FALSE(f.popup->ActiveLook());
    EXPECT_TRUE(f.owner->ActiveLook());
}

TEST(PopupForm, EscapeClosesWhereWanted)
{
    PopupFixture f;
    f.popup->EscapeCloses = false;
    QTest::keyClick(f.popup->Host(), Qt::Key_Escape);
    EXPECT_TRUE(f.popup->Host()->isVisible());
    f.popup->EscapeCloses = true;
    QTest::keyClick(f.popup->Host(), Qt::Key_Escape);
    EXPECT_FALSE(f.popup->Host()->isVisible());
}

TEST(PopupForm, StaysOpenWhenDeactivationDoesNotCloseOrIsRefused)
{
    PopupFixture f;
    f.popup->DeactivateCloses = false;
    QTest::mouseClick(f.owner->Host(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(WaitFor([&] { return !f.log.empty() && f.log.back() == "popup inactive"; }));
    EXPECT_TRUE(f.popup->Host()->isVisible());
}

TEST(PopupForm, AHandlerThatFreesItsPopupLeavesNothingBehind)
{
    PopupFixture f;
    // Freeing the pop-up from its own close handler while it loses activation.
    f.popup->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
    QPointer<QWidget> host = f.popup->Host();
    QTest::mouseClick(f.owner->Host(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(WaitFor([&] { return host.isNull(); }));
    EXPECT_EQ(f.owner->ComponentCount(), 0);
}

// A control with a hint that logs CM_HINTSHOW and may change or refuse it.
class HintProbe : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int hintShows = 0;
    bool refuse = false;
    String replace;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == CM_HINTSHOW) {
            ++hintShows;
            auto* info = reinterpret_cast<THintInfo*>(m.LParam);
            EXPECT_EQ(info->HintControl, this);
            if (!replace.empty())
                info->HintStr = replace;
            m.Result = refuse ? 1 : 0;
            return;
        }
        TCustomControl::Dispatch(m);
    }
};

struct HintFixture {
    TForm* form = New<TForm>(nullptr);
    HintProbe* probe = new HintProbe(form);
    HintFixture()
    {
        Application->HintPause = 40;
        Application->HintHidePause = 150;
        probe->SetParent(form);
        probe->SetBounds(10, 10, 100, 30);
        probe->ShowHint = true;
        probe->SetHint("Save the run|Writes the run to the project database");
        form->Show();
    }
    ~HintFixture()
    {
        Application->CancelHint();
        Application->HintPause = 500;
        Application->HintHidePause = 2500;
        delete form;
    }
    void Enter()
    {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(probe->Host(), &enter);
    }
    bool Showing() const { return Application->HintWindow() && Application->HintWindow()->Showing(); }
};

TEST(Hints, ShowAfterThePauseAndHideAfterTheHidePause)
{
    HintFixture f;
    QElapsedTimer since;
    since.start();
    f.Enter();
    QTest::qWait(10);
    if (since.elapsed() < 30) // a loaded machine may have slept past the pause
        EXPECT_FALSE(f.Showing()); // not before the pause
    ASSERT_TRUE(WaitFor([&] { return f.Showing(); }));
    EXPECT_EQ(f.probe->hintShows, 1);
    EXPECT_EQ(Application->HintWindow()->Caption(), "Save the run");
    EXPECT_EQ(Application->HintText, "Writes the run to the project database");
    const QRect r = Application->HintWindow()->Host()->geometry();
    const QPoint mouse = f.probe->Host()->mapToGlobal(QPoint(5, 5));
    EXPECT_EQ(r.left(), mouse.x());
    EXPECT_GT(r.top(), mouse.y());
    EXPECT_TRUE(WaitFor([&] { return !f.Showing(); }));

    // Leaving the control before the pause ends shows nothing.
    f.Enter();
    QEvent leave(QEvent::Leave);
    f.Enter(); // the same control again: the pending hint stands
    QApplication::sendEvent(f.probe->Host(), &leave);
    QTest::qWait(80);
    EXPECT_FALSE(f.Showing());
    EXPECT_EQ(f.probe->hintShows, 1);
}

TEST(Hints, ControlAndApplicationMayChangeOrRefuse)
{
    HintFixture f;
    f.probe->replace = "Changed";
    String seen;
    Application->OnShowHint = [&](String& text, bool& canShow, THintInfo& info) {
        seen = text;
        info.HideTimeout = 0; // stays until cancelled
        canShow = true;
    };
    f.Enter();
    ASSERT_TRUE(WaitFor([&] { return f.Showing(); }));
    EXPECT_EQ(seen, "Changed");
    QTest::qWait(200);
    EXPECT_TRUE(f.Showing());
    QTest::mouseClick(f.form->Host(), Qt::LeftButton, {}, QPoint(150, 150)); // a press hides it
    EXPECT_FALSE(f.Showing());
    Application->OnShowHint = nullptr;

    f.probe->refuse = true;
    f.Enter();
    ASSERT_TRUE(WaitFor([&] { return f.probe->hintShows == 2; })); // asked once more, however slow the machine
    QTest::qWait(20);
    EXPECT_FALSE(f.Showing());
    EXPECT_EQ(f.probe->hintShows, 2);
}

TEST(Hints, AHintIsAsWideAsItsTextAndKeepsOnTheScreen)
{
    HintFixture f;
    Application->HintHidePause = 0; // stays until cancelled
    const auto shownFor = [&](const String& hint) {
        Application->CancelHint();
        f.probe->SetHint(hint);
        f.Enter();
        EXPECT_TRUE(WaitFor([&] { return f.Showing(); })) << hint;
        return Application->HintWindow()->Host()->frameGeometry();
    };
    const QRect screen(0, 0, Screen->Width(), Screen->Height());

    const QRect shortHint = shownFor("Double click to select for graph");
    // the text's width in the hint's own font
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Application->HintWindow()->Font()->Handle());
    SIZE text{};
    GetTextExtentPoint32(dc, "Double click to select for graph", 32, &text);
    SelectObject(dc, old);
    DeleteDC(dc);
    const int textWidth = int(text.cx);
    EXPECT_GE(shortHint.width(), textWidth);
    EXPECT_LE(shortHint.width(), textWidth + 8);

    // a hint longer than the screen is wide wraps into lines that fit it
    String words;
    for (int i = 0; i < 60; ++i)
        words += "sixty words that go on and on ";
    const QRect longHint = shownFor(words);
    EXPECT_TRUE(screen.contains(longHint)) << longHint.width() << " x " << longHint.height();
    EXPECT_GT(longHint.height(), 3 * shortHint.height());

    // near the screen's right and bottom edges the hint moves onto the screen
    f.form->SetBounds(Screen->Width() - 60, Screen->Height() - 45, 60, 45);
    f.probe->SetBounds(0, 0, 60, 45);
    const QRect atTheEdge = shownFor("Double click to select for graph");
    EXPECT_TRUE(screen.contains(atTheEdge)) << atTheEdge.x() << "," << atTheEdge.y();
    EXPECT_EQ(atTheEdge.width(), shortHint.width());
}

TEST(Hints, AControlFreedWhileItsHintIsPendingIsForgotten)
{
    HintFixture f;
    f.Enter();
    delete f.probe;
    QTest::qWait(80);
    EXPECT_EQ(Application->HintControl(), nullptr);
    EXPECT_FALSE(f.Showing());
}

} // namespace
