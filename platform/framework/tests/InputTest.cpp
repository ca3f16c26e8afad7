// Qt's input as the messages a control receives, in the order the system and the framework
// send them.
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Rec {
    UINT msg;
    WPARAM w;
    bool operator==(const Rec& o) const { return msg == o.msg && w == o.w; }
};

std::string Name(UINT msg)
{
    switch (msg) {
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_DEADCHAR: return "WM_DEADCHAR";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    case WM_SYSCHAR: return "WM_SYSCHAR";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_LBUTTONDBLCLK: return "WM_LBUTTONDBLCLK";
    case WM_RBUTTONDOWN: return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP: return "WM_RBUTTONUP";
    case WM_MBUTTONDOWN: return "WM_MBUTTONDOWN";
    case WM_MBUTTONUP: return "WM_MBUTTONUP";
    case WM_MOUSEWHEEL: return "WM_MOUSEWHEEL";
    case WM_CAPTURECHANGED: return "WM_CAPTURECHANGED";
    case WM_PASTE: return "WM_PASTE";
    default: return std::to_string(msg);
    }
}

std::ostream& operator<<(std::ostream& os, const Rec& r)
{
    return os << Name(r.msg) << "(" << std::hex << r.w << std::dec << ")";
}

bool Recorded(UINT msg)
{
    switch (msg) {
    case WM_KEYDOWN: case WM_KEYUP: case WM_CHAR: case WM_DEADCHAR: case WM_SYSKEYDOWN: case WM_SYSKEYUP:
    case WM_SYSCHAR: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MOUSEWHEEL: case WM_CAPTURECHANGED:
    case WM_PASTE:
        return true;
    default: return false;
    }
}

// A control that takes every key and records what reaches its window procedure.
class TRecorder : public TCustomControl {
public:
    explicit TRecorder(TComponent* owner) : TCustomControl(owner) {}
    std::vector<Rec> seen;
    std::vector<LPARAM> data;
    void WndProc(TMessage& m) override
    {
        if (Recorded(m.Msg)) {
            seen.push_back(Rec{m.Msg, m.Msg == WM_MOUSEWHEEL ? WPARAM(int16_t(HIWORD(m.WParam))) : m.WParam});
            data.push_back(m.LParam);
        }
        if (m.Msg == WM_GETDLGCODE) {
            m.Result = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
            return;
        }
        TCustomControl::WndProc(m);
    }
};

// An edit that records too (its own handling turns Ctrl+V into WM_PASTE).
class TRecordingEdit : public TEdit {
public:
    explicit TRecordingEdit(TComponent* owner) : TEdit(owner) {}
    std::vector<Rec> seen;
    void WndProc(TMessage& m) override
    {
        if (Recorded(m.Msg))
            seen.push_back(Rec{m.Msg, m.WParam});
        TEdit::WndProc(m);
    }
};

void Key(QWidget* w, int key, Qt::KeyboardModifiers mods, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
    if (mods != Qt::NoModifier) { // the modifiers are let go too (Qt keeps the last key's)
        QKeyEvent up(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier);
        QApplication::sendEvent(w->window(), &up);
    }
}

void Mouse(QWidget* w, QEvent::Type type, quint64 time)
{
    const QPoint at(7, 8);
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    e.setTimestamp(time);
    QApplication::sendEvent(w, &e);
}

struct InputCase {
    const char* name;
    std::function<void(QWidget*)> input;
    std::vector<Rec> expected;
};

const WPARAM kWheel = WPARAM(120);

} // namespace

TEST(Input, QtInputArrivesAsTheSystemsMessagesInItsOrder)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* c = new TRecorder(&form);
    c->SetParent(&form);
    c->SetBounds(10, 10, 200, 100);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Host()));

    const std::vector<InputCase> cases = {
        {"letter", [](QWidget* w) { Key(w, Qt::Key_A, Qt::NoModifier, "a"); },
         {{WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}, {WM_KEYUP, 'A'}}},
        {"shift letter", [](QWidget* w) { Key(w, Qt::Key_A, Qt::ShiftModifier, "A"); },
         {{WM_KEYDOWN, 'A'}, {WM_CHAR, 'A'}, {WM_KEYUP, 'A'}}},
        {"ctrl letter: a control character", [](QWidget* w) { Key(w, Qt::Key_C, Qt::ControlModifier, "\x03"); },
         {{WM_KEYDOWN, 'C'}, {WM_CHAR, 3}, {WM_KEYUP, 'C'}}},
        {"ctrl digit: no character", [](QWidget* w) { Key(w, Qt::Key_1, Qt::ControlModifier, "1"); },
         {{WM_KEYDOWN, '1'}, {WM_KEYUP, '1'}}},
        {"alt letter: system key", [](QWidget* w) { Key(w, Qt::Key_F, Qt::AltModifier, "f"); },
         {{WM_SYSKEYDOWN, 'F'}, {WM_SYSCHAR, 'f'}, {WM_SYSKEYUP, 'F'}}},
        {"ctrl+alt (AltGr) character", [](QWidget* w) { Key(w, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier, "@"); },
         {{WM_KEYDOWN, 'Q'}, {WM_CHAR, '@'}, {WM_KEYUP, 'Q'}}},
        {"enter", [](QWidget* w) { Key(w, Qt::Key_Return, Qt::NoModifier, "\r"); },
         {{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, 13}, {WM_KEYUP, VK_RETURN}}},
        {"ctrl+enter: line feed", [](QWidget* w) { Key(w, Qt::Key_Return, Qt::ControlModifier, "\r"); },
         {{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, 10}, {WM_KEYUP, VK_RETURN}}},
        {"escape", [](QWidget* w) { Key(w, Qt::Key_Escape, Qt::NoModifier, "\x1b"); },
         {{WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 27}, {WM_KEYUP, VK_ESCAPE}}},
        {"backspace", [](QWidget* w) { Key(w, Qt::Key_Backspace, Qt::NoModifier, "\b"); },
         {{WM_KEYDOWN, VK_BACK}, {WM_CHAR, 8}, {WM_KEYUP, VK_BACK}}},
        {"tab to a control that wants it", [](QWidget* w) { Key(w, Qt::Key_Tab, Qt::NoModifier, "\t"); },
         {{WM_KEYDOWN, VK_TAB}, {WM_CHAR, 9}, {WM_KEYUP, VK_TAB}}},
        {"delete: no character", [](QWidget* w) { Key(w, Qt::Key_Delete, Qt::NoModifier, "\x7f"); },
         {{WM_KEYDOWN, VK_DELETE}, {WM_KEYUP, VK_DELETE}}},
        {"arrow", [](QWidget* w) { Key(w, Qt::Key_Left, Qt::ShiftModifier, ""); },
         {{WM_KEYDOWN, VK_LEFT}, {WM_KEYUP, VK_LEFT}}},
        {"function key", [](QWidget* w) { Key(w, Qt::Key_F5, Qt::NoModifier, ""); },
         {{WM_KEYDOWN, VK_F5}, {WM_KEYUP, VK_F5}}},
        {"keypad digit", [](QWidget* w) { Key(w, Qt::Key_7, Qt::KeypadModifier, "7"); },
         {{WM_KEYDOWN, VK_NUMPAD7}, {WM_CHAR, '7'}, {WM_KEYUP, VK_NUMPAD7}}},
        {"dead key, then the composed letter",
         [](QWidget* w) {
             Key(w, Qt::Key_Dead_Acute, Qt::NoModifier, "");
             Key(w, Qt::Key_E, Qt::NoModifier, QString(QChar(0xE9)));
         },
         {{WM_KEYDOWN, 0xDE}, {WM_DEADCHAR, 0xB4}, {WM_KEYUP, 0xDE}, {WM_KEYDOWN, 'E'}, {WM_CHAR, 0xE9},
          {WM_KEYUP, 'E'}}},
        {"composed text of an input method",
         [](QWidget* w) {
             QInputMethodEvent e;
             e.setCommitString(QString::fromUtf8("\xC3\xBC\xE2\x82\xAC"));
             QApplication::sendEvent(w, &e);
         },
         {{WM_CHAR, 0xFC}, {WM_CHAR, 0x20AC}}},
        {"left click",
         [](QWidget* w) {
             QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(5, 6));
             QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(5, 6));
         },
         {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}, {WM_CAPTURECHANGED, 0}}},
        {"right click with ctrl",
         [](QWidget* w) {
             QTest::mousePress(w, Qt::RightButton, Qt::ControlModifier, QPoint(5, 6));
             QTest::mouseRelease(w, Qt::RightButton, Qt::ControlModifier, QPoint(5, 6));
         },
         {{WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL}, {WM_RBUTTONUP, MK_CONTROL}}},
        {"middle click with shift",
         [](QWidget* w) {
             QTest::mousePress(w, Qt::MiddleButton, Qt::ShiftModifier, QPoint(5, 6));
             QTest::mouseRelease(w, Qt::MiddleButton, Qt::ShiftModifier, QPoint(5, 6));
         },
         {{WM_MBUTTONDOWN, MK_MBUTTON | MK_SHIFT}, {WM_MBUTTONUP, MK_SHIFT}}},
        {"double click (press, release, press, double click, release from Qt)",
         [](QWidget* w) {
             Mouse(w, QEvent::MouseButtonPress, 5000);
             Mouse(w, QEvent::MouseButtonRelease, 5050);
             Mouse(w, QEvent::MouseButtonPress, 5200);
             Mouse(w, QEvent::MouseButtonDblClick, 5200);
             Mouse(w, QEvent::MouseButtonRelease, 5250);
         },
         {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}, {WM_CAPTURECHANGED, 0}, {WM_LBUTTONDBLCLK, MK_LBUTTON},
          {WM_LBUTTONUP, 0}, {WM_CAPTURECHANGED, 0}}},
        {"double click event alone",
         [](QWidget* w) { Mouse(w, QEvent::MouseButtonDblClick, 9000); },
         {{WM_LBUTTONDBLCLK, MK_LBUTTON}}},
        {"two presses too far apart in time",
         [](QWidget* w) {
             Mouse(w, QEvent::MouseButtonPress, 20000);
             Mouse(w, QEvent::MouseButtonRelease, 20010);
             Mouse(w, QEvent::MouseButtonPress, 30000);
             Mouse(w, QEvent::MouseButtonRelease, 30010);
         },
         {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}, {WM_CAPTURECHANGED, 0}, {WM_LBUTTONDOWN, MK_LBUTTON},
          {WM_LBUTTONUP, 0}, {WM_CAPTURECHANGED, 0}}},
        {"wheel away from the user, then towards",
         [](QWidget* w) {
             const QPoint at(20, 20), g = w->mapToGlobal(at);
             QWheelEvent up(at, g, QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(w, &up);
             QWheelEvent down(at, g, QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(w, &down);
         },
         {{WM_MOUSEWHEEL, kWheel}, {WM_MOUSEWHEEL, WPARAM(-120)}}},
    };
    for (const InputCase& k : cases) {
        c->seen.clear();
        k.input(c->Host());
        EXPECT_EQ(c->seen, k.expected) << k.name;
    }

    // key data: the keypad's decimal key carries its scan code (bit 22 set), the main '.' not;
    // Alt sets bit 29, a release bits 30 and 31
    c->seen.clear();
    c->data.clear();
    Key(c->Host(), Qt::Key_Period, Qt::KeypadModifier, ".");
    Key(c->Host(), Qt::Key_Period, Qt::NoModifier, ".");
    Key(c->Host(), Qt::Key_X, Qt::AltModifier, "x");
    ASSERT_EQ(c->data.size(), 9u);
    EXPECT_EQ(c->seen[0], (Rec{WM_KEYDOWN, VK_DECIMAL}));
    EXPECT_TRUE(c->data[0] & (LPARAM(1) << 22));
    EXPECT_FALSE(c->data[3] & (LPARAM(1) << 22));
    EXPECT_TRUE(c->data[6] & (LPARAM(1) << 29));
    EXPECT_EQ(c->data[8] & (LPARAM(3) << 30), LPARAM(3) << 30);
}

TEST(Input, TheMouseIsCapturedWhileAButtonIsDown)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* c = new TRecorder(&form);
    c->SetParent(&form);
    c->SetBounds(10, 10, 200, 100);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Host()));

    QTest::mousePress(c->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(GetCapture(), c->Handle());
    EXPECT_TRUE(c->MouseCapture());
    QTest::mouseRelease(c->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    const std::vector<Rec> expected = {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}, {WM_CAPTURECHANGED, 0}};
    EXPECT_EQ(c->seen, expected) << "the release's handling lets the capture go";

    // without csCaptureMouse a press takes no capture
    c->ControlStyle >> csCaptureMouse;
    QTest::mousePress(c->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    QTest::mouseRelease(c->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

TEST(Input, PasteKeysBecomeThePasteMessage)
{
    TForm form(nullptr);
    auto* edit = new TRecordingEdit(&form);
    edit->SetParent(&form);
    QGuiApplication::clipboard()->setText("clip");
    Key(edit->Host(), Qt::Key_V, Qt::ControlModifier, "\x16");
    const std::vector<Rec> ctrlV = {{WM_KEYDOWN, 'V'}, {WM_CHAR, 0x16}, {WM_PASTE, 0}, {WM_KEYUP, 'V'}};
    EXPECT_EQ(edit->seen, ctrlV);
    edit->seen.clear();
    Key(edit->Host(), Qt::Key_Insert, Qt::ShiftModifier, "");
    const std::vector<Rec> shiftIns = {{WM_KEYDOWN, VK_INSERT}, {WM_PASTE, 0}, {WM_KEYUP, VK_INSERT}};
    EXPECT_EQ(edit->seen, shiftIns);
    EXPECT_EQ(edit->Text(), "clipclip");
}
