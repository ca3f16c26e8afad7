#include "platform/win/WinLayered.h"
#include "platform/win/WinToolTip.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A window that is a tool: it records the tool tip's notices and may answer them.
class TToolWindow : public QWidget, public IMessageTarget {
public:
    TToolWindow() { setGeometry(100, 100, 240, 120); }
    LRESULT DeliverMessage(UINT msg, WPARAM, LPARAM lParam) override
    {
        if (msg != WM_NOTIFY)
            return 0;
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        notices.push_back(hdr->code);
        ids.push_back(hdr->idFrom);
        return onNotify ? onNotify(*hdr) : 0;
    }
    std::vector<UINT> notices;
    std::vector<UINT_PTR> ids;
    std::function<LRESULT(NMHDR&)> onNotify;
};

std::string Shown(HWND tip)
{
    char buffer[256] = {};
    SendMessage(tip, WM_GETTEXT, sizeof buffer, LPARAM(buffer));
    return buffer;
}

class ToolTipTest : public ::testing::Test {
public:
    void SetUp() override
    {
        owner = new TToolWindow;
        owner->show();
    }
    void TearDown() override
    {
        DestroyWindow(tip);
        delete owner;
    }
    HWND MakeTip(DWORD style)
    {
        tip = CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
        SendMessage(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 30);
        SendMessage(tip, TTM_SETDELAYTIME, TTDT_RESHOW, 15);
        SendMessage(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 250);
        return tip;
    }
    // the owner's whole client area as the tool, its text asked for
    void AddWindowTool(char* text = LPSTR_TEXTCALLBACK)
    {
        TOOLINFO ti;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = owner;
        ti.uId = UINT_PTR(owner);
        ti.lpszText = text;
        ASSERT_TRUE(SendMessage(tip, TTM_ADDTOOL, 0, LPARAM(&ti)));
    }
    void Move(int x, int y)
    {
        QMouseEvent e(QEvent::MouseMove, QPointF(x, y), owner->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(owner, &e);
    }
    void Press(int x, int y)
    {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(x, y), owner->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(owner, &e);
    }
    void Leave()
    {
        QEvent e(QEvent::Leave);
        QApplication::sendEvent(owner, &e);
    }
    bool Visible() const { return IsWindowVisible(tip) != 0; }

    TToolWindow* owner = nullptr;
    HWND tip = nullptr;
};

TEST_F(ToolTipTest, MessagesSetWhatTheGettersAnswer)
{
    MakeTip(TTS_ALWAYSTIP | TTS_BALLOON);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(CreateWindowEx(0, "NoSuchClass", nullptr, 0, 0, 0, 0, 0, owner, nullptr, nullptr, nullptr), nullptr);
    const int d = int(GetDoubleClickTime());
    struct DelayCase {
        UINT which;
        int ms;
        int initial, autoPop, reshow;
    };
    for (const DelayCase& c : std::vector<DelayCase>{{TTDT_AUTOMATIC, 100, 100, 1000, 20},
                                                     {TTDT_INITIAL, 40, 40, 1000, 20},
                                                     {TTDT_AUTOPOP, 700, 40, 700, 20},
                                                     {TTDT_RESHOW, 5, 40, 700, 5},
                                                     {TTDT_INITIAL, -1, d, 700, 5}, // -1: the default
                                                     {TTDT_AUTOMATIC, -1, d, 10 * d, d / 5}}) {
        SendMessage(tip, TTM_SETDELAYTIME, c.which, MAKELPARAM(c.ms, 0));
        EXPECT_EQ(SendMessage(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), c.initial) << c.which << " " << c.ms;
        EXPECT_EQ(SendMessage(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), c.autoPop) << c.which << " " << c.ms;
        EXPECT_EQ(SendMessage(tip, TTM_GETDELAYTIME, TTDT_RESHOW, 0), c.reshow) << c.which << " " << c.ms;
    }
    EXPECT_EQ(SendMessage(tip, TTM_SETMAXTIPWIDTH, 0, 300), -1); // answers the previous width
    EXPECT_EQ(SendMessage(tip, TTM_SETMAXTIPWIDTH, 0, -5), 300);
    EXPECT_EQ(SendMessage(tip, TTM_GETMAXTIPWIDTH, 0, 0), -1);
    EXPECT_EQ(COLORREF(SendMessage(tip, TTM_GETTIPBKCOLOR, 0, 0)), GetSysColor(COLOR_INFOBK));
    SendMessage(tip, TTM_SETTIPBKCOLOR, RGB(1, 2, 3), 0);
    SendMessage(tip, TTM_SETTIPTEXTCOLOR, RGB(200, 0, 0), 0);
    EXPECT_EQ(COLORREF(SendMessage(tip, TTM_GETTIPBKCOLOR, 0, 0)), RGB(1, 2, 3));
    EXPECT_EQ(COLORREF(SendMessage(tip, TTM_GETTIPTEXTCOLOR, 0, 0)), RGB(200, 0, 0));

    struct TitleCase {
        WPARAM icon;
        const char* title;
        UINT wantIcon;
    };
    for (const TitleCase& c : std::vector<TitleCase>{{TTI_ERROR, "ToolTipText", TTI_ERROR},
                                                     {7, "No icon", TTI_NONE},
                                                     {TTI_INFO, nullptr, TTI_INFO}}) {
        EXPECT_EQ(SendMessage(tip, TTM_SETTITLE, c.icon, LPARAM(c.title)), TRUE);
        char buffer[100] = {};
        TTGETTITLE got;
        got.cch = sizeof buffer;
        got.pszTitle = buffer;
        SendMessage(tip, TTM_GETTITLE, 0, LPARAM(&got));
        EXPECT_EQ(got.uTitleBitmap, c.wantIcon);
        EXPECT_STREQ(buffer, c.title ? c.title : "");
    }

    // tools: added, counted, their text changed and read, removed; a record too small is refused
    char text[] = "first";
    TOOLINFO ti;
    ti.hwnd = owner;
    ti.uId = 7;
    ti.rect = RECT{0, 0, 50, 20};
    ti.lpszText = text;
    EXPECT_TRUE(SendMessage(tip, TTM_ADDTOOL, 0, LPARAM(&ti)));
    ti.uId = 8;
    EXPECT_TRUE(SendMessage(tip, TTM_ADDTOOL, 0, LPARAM(&ti)));
    TOOLINFO small = ti;
    small.cbSize = 8;
    EXPECT_FALSE(SendMessage(tip, TTM_ADDTOOL, 0, LPARAM(&small)));
    EXPECT_EQ(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0), 2);
    char changed[] = "second";
    ti.uId = 7;
    ti.lpszText = changed;
    SendMessage(tip, TTM_UPDATETIPTEXT, 0, LPARAM(&ti));
    char buffer[4] = {};
    ti.lpszText = buffer;
    EXPECT_EQ(SendMessage(tip, TTM_GETTEXT, sizeof buffer, LPARAM(&ti)), 3); // cut to the buffer
    EXPECT_STREQ(buffer, "sec");
    SendMessage(tip, TTM_DELTOOL, 0, LPARAM(&ti));
    SendMessage(tip, TTM_DELTOOL, 0, LPARAM(&ti)); // gone already: nothing
    EXPECT_EQ(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    RECT margin{1, 2, 3, 4}, got{};
    SendMessage(tip, TTM_SETMARGIN, 0, LPARAM(&margin));
    SendMessage(tip, TTM_GETMARGIN, 0, LPARAM(&got));
    EXPECT_EQ(got.bottom, 4);
    EXPECT_EQ(DWORD(GetWindowLong(tip, GWL_STYLE)) & (DWORD(TTS_BALLOON) | WS_POPUP), DWORD(TTS_BALLOON) | WS_POPUP);
}

// The mouse resting on a tool shows its tip after the initial delay: the text is asked for
// (TTN_GETDISPINFO), then TTN_SHOW; the tip pops after the auto-pop delay with TTN_POP and stays
// away while the mouse stays; leaving and coming back shows it again.
TEST_F(ToolTipTest, MouseRestingOnAToolShowsAndAutoPops)
{
    MakeTip(TTS_ALWAYSTIP | TTS_NOPREFIX);
    AddWindowTool();
    std::string answer = "Cell B2";
    owner->onNotify = [&](NMHDR& hdr) -> LRESULT {
        if (hdr.code == TTN_GETDISPINFO) {
            auto& info = reinterpret_cast<NMTTDISPINFO&>(hdr);
            EXPECT_EQ(info.uFlags & TTF_IDISHWND, UINT(TTF_IDISHWND));
            info.lpszText = answer.data();
        }
        return 0;
    };
    Move(20, 20);
    EXPECT_FALSE(Visible());
    QTRY_VERIFY_WITH_TIMEOUT(Visible(), 1000);
    EXPECT_EQ(owner->notices, (std::vector<UINT>{TTN_GETDISPINFO, TTN_SHOW}));
    EXPECT_EQ(owner->ids.front(), UINT_PTR(owner));
    EXPECT_EQ(Shown(tip), "Cell B2");
    EXPECT_TRUE(SendMessage(tip, TTM_GETCURRENTTOOL, 0, 0));
    // a plain tip lies below the mouse
    RECT r{};
    GetWindowRect(tip, &r);
    const QPoint mouse = owner->mapToGlobal(QPoint(20, 20));
    EXPECT_EQ(r.left, mouse.x());
    EXPECT_GT(r.top, mouse.y());
    QTRY_VERIFY_WITH_TIMEOUT(!Visible(), 2000);
    EXPECT_EQ(owner->notices.back(), TTN_POP);
    Move(25, 25);
    QTest::qWait(80);
    EXPECT_FALSE(Visible()); // quiet until the mouse leaves
    Leave();
    Move(30, 30);
    QTRY_VERIFY_WITH_TIMEOUT(Visible(), 1000);
}

// Each way a shown tip goes sends TTN_POP; after TTM_POP (the owner's "another item now") the
// next move shows the tip again, asking for the text anew.
TEST_F(ToolTipTest, EveryWayOfHidingSendsThePopNotice)
{
    struct HideCase {
        const char* name;
        std::function<void(ToolTipTest&)> hide;
        bool showsAgainOnMove;
    };
    const std::vector<HideCase> cases{
        {"press", [](ToolTipTest& t) { t.Press(20, 20); }, false},
        {"leave", [](ToolTipTest& t) { t.Leave(); }, true},
        {"TTM_POP", [](ToolTipTest& t) { SendMessage(t.tip, TTM_POP, 0, 0); }, true},
        {"TTM_ACTIVATE off", [](ToolTipTest& t) { SendMessage(t.tip, TTM_ACTIVATE, FALSE, 0); }, false},
        {"TTM_DELTOOL",
         [](ToolTipTest& t) {
             TOOLINFO ti;
             ti.hwnd = t.owner;
             ti.uId = UINT_PTR(t.owner);
             SendMessage(t.tip, TTM_DELTOOL, 0, LPARAM(&ti));
         },
         false},
    };
    for (const HideCase& c : cases) {
        MakeTip(TTS_ALWAYSTIP);
        char text[] = "hint";
        AddWindowTool(text);
        Move(20, 20);
        QTRY_VERIFY_WITH_TIMEOUT(Visible(), 1000);
        owner->notices.clear();
        c.hide(*this);
        EXPECT_FALSE(Visible()) << c.name;
        EXPECT_EQ(owner->notices, std::vector<UINT>{TTN_POP}) << c.name;
        Move(21, 21);
        QTest::qWait(100);
        EXPECT_EQ(Visible(), c.showsAgainOnMove) << c.name;
        DestroyWindow(tip);
        tip = nullptr;
        Leave();
    }
}

// The owner answers TTN_GETDISPINFO as a grid does: its own buffer, a title, colours and a
// width sent to the tip while it answers; all of them show. TTF_DI_SETITEM keeps the text;
// an empty answer shows nothing. Without TTS_NOPREFIX the text ends at a tab and '&' goes.
TEST_F(ToolTipTest, TheTextRequestShapesTheTip)
{
    MakeTip(TTS_ALWAYSTIP | TTS_BALLOON | TTS_NOPREFIX);
    AddWindowTool();
    std::string buffer;
    UINT flags = 0;
    owner->onNotify = [&](NMHDR& hdr) -> LRESULT {
        if (hdr.code != TTN_GETDISPINFO)
            return 0;
        auto& info = reinterpret_cast<NMTTDISPINFO&>(hdr);
        info.lpszText = buffer.data();
        info.uFlags |= flags;
        SendMessage(tip, TTM_SETMAXTIPWIDTH, 0, 300);
        SendMessage(tip, TTM_SETTIPBKCOLOR, RGB(255, 255, 255), 0);
        SendMessage(tip, TTM_SETTITLE, TTI_WARNING, LPARAM("Checked value"));
        return 0;
    };
    buffer.clear();
    for (int i = 0; i < 100; ++i)
        buffer += "word ";
    buffer += "end";
    Move(10, 10);
    QTRY_VERIFY_WITH_TIMEOUT(Visible(), 1000);
    EXPECT_EQ(SendMessage(tip, WM_GETTEXTLENGTH, 0, 0), 503);
    RECT r{};
    GetWindowRect(tip, &r);
    EXPECT_LT(r.right - r.left, 360); // wrapped at the width
    EXPECT_GT(r.bottom - r.top, 60);
    EXPECT_EQ(COLORREF(SendMessage(tip, TTM_GETTIPBKCOLOR, 0, 0)), RGB(255, 255, 255));

    // kept with TTF_DI_SETITEM: the next show asks no more
    SendMessage(tip, TTM_POP, 0, 0);
    buffer = "kept";
    flags = TTF_DI_SETITEM;
    Move(11, 11);
    QTRY_VERIFY_WITH_TIMEOUT(Visible(), 1000);
    SendMessage(tip, TTM_POP, 0, 0);
    owner->notices.clear();
    Move(12, 12);
    QTRY_VERIFY_WITH_TIMEOUT(Visible(), 1000);
    EXPECT_EQ(owner->notices.front(), TTN_SHOW);
    EXPECT_EQ(Shown(tip), "kept");
    DestroyWindow(tip);

    // an empty text shows nothing and sends no TTN_SHOW
    MakeTip(TTS_ALWAYSTIP);
    AddWindowTool();
    buffer.clear();
    flags = 0;
    owner->notices.clear();
    Move(13, 13);
    QTest::qWait(120);
    EXPECT_FALSE(Visible());
    EXPECT_EQ(std::count(owner->notices.begin(), owner->notices.end(), TTN_SHOW), 0);
    DestroyWindow(tip);

    struct PrefixCase {
        DWORD style;
        const char* text;
        const char* shown;
    };
    for (const PrefixCase& c : std::vector<PrefixCase>{{0, "&Save\tCtrl+S", "Save"},
                                                       {0, "Salt && pepper", "Salt & pepper"},
                                                       {TTS_NOPREFIX, "&Save\tCtrl+S", "&Save\tCtrl+S"}}) {
        MakeTip(TTS_ALWAYSTIP | c.style);
        owner->onNotify = nullptr;
        std::string text = c.text;
        AddWindowTool(text.data());
        Leave();
        Move(14, 14);
        QTRY_VERIFY_WITH_TIMEOUT(Visible(), 1000);
        EXPECT_EQ(Shown(tip), c.shown) << c.text;
        DestroyWindow(tip);
        tip = nullptr;
    }
}

// A tracking tip shows at once where TTM_TRACKPOSITION says, follows it, never pops by itself
// and goes with TTM_TRACKACTIVATE off. A balloon's stem points at the point: from below it when
// the screen has room, else from above.
TEST_F(ToolTipTest, TrackingBalloonPointsAtItsPosition)
{
    MakeTip(TTS_ALWAYSTIP | TTS_BALLOON | TTS_NOPREFIX);
    char text[] = "Tracked";
    TOOLINFO ti;
    ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    ti.hwnd = owner;
    ti.uId = 3;
    ti.lpszText = text;
    SendMessage(tip, TTM_ADDTOOL, 0, LPARAM(&ti));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct PointCase {
        QPoint at;
        bool below;
    };
    for (const PointCase& c : std::vector<PointCase>{{QPoint(150, 150), true},
                                                     {QPoint(150, screen.bottom() - 5), false},
                                                     {QPoint(screen.right() - 3, 150), true}}) {
        SendMessage(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(c.at.x(), c.at.y()));
        SendMessage(tip, TTM_TRACKACTIVATE, TRUE, LPARAM(&ti));
        ASSERT_TRUE(Visible());
        RECT r{};
        GetWindowRect(tip, &r);
        const QRect box(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
        EXPECT_TRUE(screen.contains(box)) << c.at.x() << "," << c.at.y();
        EXPECT_EQ(c.below ? box.top() : box.bottom(), c.at.y()) << c.at.x() << "," << c.at.y();
        // the stem's point is the one pixel of its row that the window shows
        const QPoint local = c.at - box.topLeft();
        EXPECT_TRUE(tip->mask().contains(local));
        EXPECT_FALSE(tip->mask().contains(local + QPoint(3, 0)));
        EXPECT_TRUE(tip->mask().contains(QPoint(box.width() / 2, box.height() / 2)));
    }
    QTest::qWait(350); // past the auto-pop delay
    EXPECT_TRUE(Visible());
    owner->notices.clear();
    SendMessage(tip, TTM_TRACKACTIVATE, FALSE, LPARAM(&ti));
    EXPECT_FALSE(Visible());
    EXPECT_EQ(owner->notices, std::vector<UINT>{TTN_POP});
}

// Without TTS_ALWAYSTIP a tool of a window that is not active gets no tip.
TEST_F(ToolTipTest, InactiveWindowGetsNoTipWithoutAlwaysTip)
{
    QWidget other;
    other.setGeometry(400, 100, 50, 50);
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());
    MakeTip(0);
    char text[] = "never";
    AddWindowTool(text);
    ASSERT_FALSE(owner->isActiveWindow());
    Move(20, 20);
    QTest::qWait(120);
    EXPECT_FALSE(Visible());
}

// A tip destroyed by its owner inside its own notice goes once the notice is answered; a
// destroyed or foreign handle is refused; an owner going takes its tip along.
TEST_F(ToolTipTest, DestroyedInsideItsNoticeAndWithItsOwner)
{
    MakeTip(TTS_ALWAYSTIP);
    char text[] = "bye";
    AddWindowTool(text);
    QPointer<QWidget> watch = tip;
    owner->onNotify = [&](NMHDR& hdr) -> LRESULT {
        if (hdr.code == TTN_SHOW)
            EXPECT_TRUE(DestroyWindow(tip));
        return 0;
    };
    Move(20, 20);
    QTRY_VERIFY_WITH_TIMEOUT(watch.isNull(), 1000);
    EXPECT_FALSE(DestroyWindow(tip));
    QWidget plain;
    EXPECT_FALSE(DestroyWindow(&plain));
    owner->onNotify = nullptr;
    MakeTip(TTS_ALWAYSTIP);
    watch = tip;
    delete owner;
    owner = nullptr;
    EXPECT_TRUE(watch.isNull());
    EXPECT_FALSE(DestroyWindow(tip));
    tip = nullptr;
}

// Made translucent as a layered window (alpha by SetLayeredWindowAttributes), the tip keeps
// that alpha: the UpdateLayeredWindow that follows from its own context is refused.
TEST_F(ToolTipTest, LayeredAlphaStays)
{
    MakeTip(TTS_ALWAYSTIP | TTS_BALLOON);
    SetWindowLong(tip, GWL_EXSTYLE, GetWindowLong(tip, GWL_EXSTYLE) | LONG(WS_EX_LAYERED));
    EXPECT_TRUE(GetWindowLong(tip, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(SetLayeredWindowAttributes(tip, 0, 200, LWA_ALPHA));
    HDC own = GetDC(tip);
    BLENDFUNCTION blend{};
    POINT from{0, 0};
    SIZE size{100, 100};
    EXPECT_FALSE(UpdateLayeredWindow(tip, nullptr, nullptr, &size, own, &from, 0, &blend, ULW_ALPHA));
    ReleaseDC(tip, own);
    EXPECT_NEAR(tip->windowOpacity(), 200 / 255.0, 0.01);
}

// Pictures of a balloon with icon and title and of a plain tip, over their tool window.
TEST_F(ToolTipTest, PictureOfBalloonAndPlainTip)
{
    struct LookCase {
        DWORD style;
        int icon;
        const char* title;
        const char* text;
        const char* file;
    };
    for (const LookCase& c : std::vector<LookCase>{
             {TTS_BALLOON, TTI_ERROR, "ToolTipText", "The value must lie between 0 and 100.", "tooltip_balloon.png"},
             {TTS_BALLOON, TTI_INFO, "Information", "Two lines:\r\nthe second one", "tooltip_balloon_info.png"},
             {0, TTI_NONE, nullptr, "A plain tip", "tooltip_plain.png"}}) {
        MakeTip(TTS_ALWAYSTIP | TTS_NOPREFIX | c.style);
        std::string text = c.text;
        AddWindowTool(text.data());
        SendMessage(tip, TTM_SETMAXTIPWIDTH, 0, 300);
        if (c.title)
            SendMessage(tip, TTM_SETTITLE, c.icon, LPARAM(c.title));
        Leave();
        Move(40, 30);
        QTRY_VERIFY_WITH_TIMEOUT(Visible(), 1000);
        QImage picture(420, 220, QImage::Format_RGB32);
        picture.fill(QColor(0xF0, 0xF0, 0xF0));
        QPainter p(&picture);
        const QPoint origin = owner->mapToGlobal(QPoint(0, 0)) - QPoint(20, 20);
        p.fillRect(QRect(owner->mapToGlobal(QPoint(0, 0)) - origin, owner->size()), Qt::white);
        p.setPen(Qt::gray);
        p.drawRect(QRect(owner->mapToGlobal(QPoint(0, 0)) - origin, owner->size()).adjusted(0, 0, -1, -1));
        const QPixmap shot = tip->grab();
        p.setClipRegion(tip->mask().isEmpty() ? QRegion(tip->rect()).translated(tip->pos() - origin)
                                              : tip->mask().translated(tip->pos() - origin));
        p.drawPixmap(tip->pos() - origin, shot);
        p.end();
        EXPECT_TRUE(picture.save(QString::fromLatin1(c.file)));
        DestroyWindow(tip);
        tip = nullptr;
    }
}

} // namespace
