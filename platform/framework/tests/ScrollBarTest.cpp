#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"
#include "platform/rtl/SysUtils.h"
#include "platform/testing/quelm_test_support.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const char* CodeName(TScrollCode code)
{
    static const char* names[] = {"LineUp", "LineDown", "PageUp", "PageDown", "Position",
                                  "Track",  "Top",      "Bottom", "EndScroll"};
    return names[code];
}

// A vertical bar of 0..100 with a page of 10 on a shown form; every OnScroll and OnChange is
// logged as "<code> <position>" and "change <position>".
struct ShownBar {
    TForm form{nullptr};
    TScrollBar* bar = new TScrollBar(&form);
    std::vector<String> log;

    ShownBar()
    {
        form.SetBounds(0, 0, 200, 260);
        bar->SetParent(&form);
        bar->SetKind(sbVertical);
        bar->SetBounds(10, 10, 17, 200);
        bar->SetParams(50, 0, 100);
        bar->SetPageSize(10);
        bar->SetLargeChange(10);
        bar->OnScroll = [this](TObject*, TScrollCode code, int& pos) {
            log.push_back(String(CodeName(code)) + " " + IntToStr(pos));
        };
        bar->OnChange = [this](TObject*) { log.push_back("change " + IntToStr(bar->Position())); };
        form.Show();
    }
    ~ShownBar() { form.Close(); }

    QRect Part(QStyle::SubControl part) const { return quelmtest::ScrollBarPart(bar->Widget(), part); }
};

} // namespace

TEST(ScrollBar, MouseOnArrowsTrackAndThumb)
{
    struct Case {
        const char* what;
        QStyle::SubControl part;
        int position;
        std::vector<String> log;
    };
    const Case cases[] = {
        {"lower arrow", QStyle::SC_ScrollBarAddLine, 51, {"LineDown 51", "change 51", "EndScroll 51"}},
        {"upper arrow", QStyle::SC_ScrollBarSubLine, 49, {"LineUp 49", "change 49", "EndScroll 49"}},
        {"track below the thumb", QStyle::SC_ScrollBarAddPage, 60, {"PageDown 60", "change 60", "EndScroll 60"}},
        {"track above the thumb", QStyle::SC_ScrollBarSubPage, 40, {"PageUp 40", "change 40", "EndScroll 40"}},
    };
    for (const Case& c : cases) {
        ShownBar f;
        QTest::mouseClick(f.bar->Widget(), Qt::LeftButton, {}, f.Part(c.part).center());
        EXPECT_EQ(f.bar->Position(), c.position) << c.what;
        EXPECT_EQ(f.bar->Widget()->value(), c.position) << c.what << ": the thumb shows the position";
        EXPECT_EQ(f.log, c.log) << c.what;
    }

    // the thumb dragged past the end stops at the last place a page can start (100 - 10 + 1)
    ShownBar f;
    QScrollBar* w = f.bar->Widget();
    const QPoint grip = f.Part(QStyle::SC_ScrollBarSlider).center();
    QTest::mousePress(w, Qt::LeftButton, {}, grip);
    QTest::mouseMove(w, grip + QPoint(0, 20));
    const int dragged = f.bar->Position();
    EXPECT_GT(dragged, 50) << "the position follows the thumb while it moves";
    QTest::mouseMove(w, grip + QPoint(0, 400));
    QTest::mouseRelease(w, Qt::LeftButton, {}, grip + QPoint(0, 400));
    EXPECT_EQ(f.bar->Position(), 91);
    EXPECT_EQ(f.log.front(), "Track " + IntToStr(dragged));
    const std::vector<String> end(f.log.end() - 4, f.log.end());
    EXPECT_EQ(end, (std::vector<String>{"Track 91", "change 91", "Position 91", "EndScroll 91"}));
}

TEST(ScrollBar, KeysWhileFocused)
{
    struct Case {
        Qt::Key key;
        int position;
    };
    ShownBar f;
    QApplication::setActiveWindow(f.form.Host());
    f.bar->SetFocus();
    ASSERT_TRUE(f.bar->Focused());
    for (const Case c : {Case{Qt::Key_Down, 51}, Case{Qt::Key_Right, 52}, Case{Qt::Key_Up, 51},
                         Case{Qt::Key_PageDown, 61}, Case{Qt::Key_PageUp, 51}, Case{Qt::Key_End, 91},
                         Case{Qt::Key_Home, 0}, Case{Qt::Key_Left, 0}}) {
        f.log.clear();
        QTest::keyClick(f.bar->Widget(), c.key);
        EXPECT_EQ(f.bar->Position(), c.position) << c.key;
        EXPECT_EQ(f.bar->Widget()->value(), c.position) << c.key;
        ASSERT_FALSE(f.log.empty());
        EXPECT_EQ(f.log.back(), "EndScroll " + IntToStr(c.position)) << "the key's release ends the scroll";
    }
}

TEST(ScrollBar, OnScrollChoosesTheTarget)
{
    ShownBar f;
    f.bar->OnScroll = [](TObject*, TScrollCode code, int& pos) {
        if (code == scLineDown)
            pos = 70;
    };
    QTest::mouseClick(f.bar->Widget(), Qt::LeftButton, {}, f.Part(QStyle::SC_ScrollBarAddLine).center());
    EXPECT_EQ(f.bar->Position(), 70);
    EXPECT_EQ(f.bar->Widget()->value(), 70);
}

TEST(ScrollBar, ParentThatHandlesTheMessageDecides)
{
    // a parent that takes the scroll message itself gets the bar's window and the code (the
    // message of the bar's direction), and the bar stays where the parent puts it
    struct Case {
        TScrollBarKind kind;
        UINT msg;
    };
    for (const Case c : {Case{sbVertical, WM_VSCROLL}, Case{sbHorizontal, WM_HSCROLL}}) {
        TForm form(nullptr);
        auto* bar = new TScrollBar(&form);
        bar->SetParent(&form);
        bar->SetKind(c.kind);
        bar->SetParams(5, 0, 20);
        std::vector<String> seen;
        form.WindowProc = [&, old = form.WindowProc](TMessage& m) {
            if ((m.Msg == WM_VSCROLL || m.Msg == WM_HSCROLL) && HWND(m.LParam) == bar->Handle()) {
                seen.push_back((m.Msg == c.msg ? "code " : "wrong message, code ") + IntToStr(int(m.ScrollCode())));
                if (m.ScrollCode() == SB_LINEDOWN)
                    bar->SetPosition(bar->Position() + 3);
                return;
            }
            old(m);
        };
        form.Show();
        QScrollBar* w = bar->Widget();
        QTest::mouseClick(w, Qt::LeftButton, {}, quelmtest::ScrollBarPart(w, QStyle::SC_ScrollBarAddLine).center());
        EXPECT_EQ(bar->Position(), 8) << c.msg;
        EXPECT_EQ(w->value(), 8) << c.msg;
        EXPECT_EQ(seen, (std::vector<String>{"code 1", "code 8"})) << c.msg;
        if (const char* dir = std::getenv("QUELM_SHOTS"))
            w->grab().save(QString::fromUtf8(dir) + (c.kind == sbVertical ? "/scroll_bar_v.png" : "/scroll_bar_h.png"));
        form.Close();
    }
}

TEST(ScrollBar, RangeRules)
{
    TScrollBar bar(nullptr);
    EXPECT_EQ(bar.Kind(), sbHorizontal);
    EXPECT_GT(bar.Width(), bar.Height());
    bar.SetKind(sbVertical);
    EXPECT_GT(bar.Height(), bar.Width()) << "turning the bar swaps its sides";
    EXPECT_THROW(bar.SetParams(0, 10, 5), EInvalidOperation);
    EXPECT_EQ(bar.Max(), 100) << "a refused range changes nothing";

    struct Case {
        int page, set, expected;
    };
    for (const Case c : {Case{0, 150, 100}, Case{0, -3, 0}, Case{20, 100, 81}, Case{20, 81, 81},
                         Case{500, 40, 0}}) {
        bar.SetPageSize(c.page);
        bar.SetPosition(c.set);
        EXPECT_EQ(bar.Position(), c.expected) << "page " << c.page << ", set " << c.set;
    }
    EXPECT_EQ(bar.PageSize(), 101) << "a page is never larger than the range";
    int changes = 0;
    bar.OnChange = [&](TObject*) { ++changes; };
    bar.SetPageSize(10);
    bar.SetPosition(95);
    EXPECT_EQ(bar.Position(), 91);
    bar.SetPageSize(30); // a larger page pulls the position back into reach
    EXPECT_EQ(bar.Position(), 71);
    EXPECT_EQ(changes, 2);
    bar.SetSmallChange(0);
    EXPECT_EQ(bar.SmallChange(), 1);
}

TEST(ScrollBar, PaintsIntoADeviceContext)
{
    TScrollBar bar(nullptr);
    bar.SetKind(sbVertical);
    bar.SetBounds(0, 0, 17, 80);
    DeviceContext dc(40, 100);
    RECT all{0, 0, 40, 100};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(&dc, &all, white);
    DeleteObject(white);
    bar.PaintTo(&dc, 20, 10);
    const QImage* image = dc.Image();
    ASSERT_TRUE(image);
    int changed = 0, outside = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool differs = QColor(image->pixel(x, y)) != QColor(Qt::white);
            const bool inside = x >= 20 && x < 37 && y >= 10 && y < 90;
            (inside ? changed : outside) += differs ? 1 : 0;
        }
    EXPECT_GT(changed, 17 * 80 / 4) << "the bar is drawn at (20, 10)";
    EXPECT_EQ(outside, 0) << "and nowhere else";
}
