// The edit's balloon tip (EM_SHOWBALLOONTIP): a balloon tool tip pointing at the caret, gone
// with the next key, a click, the loss of the focus or EM_HIDEBALLOONTIP.
#include "platform/testing/quelm_test_support.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"
#include "platform/win/WinToolTip.h"

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct EditBalloonFixture : ::testing::Test {
    EditBalloonFixture()
    {
        form.SetBounds(0, 0, 360, 200);
        edit = new TEdit(&form);
        edit->SetParent(&form);
        edit->SetBounds(20, 20, 200, 24);
        other = new TEdit(&form);
        other->SetParent(&form);
        other->SetBounds(20, 120, 200, 24);
        form.Show();
        QApplication::setActiveWindow(form.Host());
        edit->SetFocus();
    }
    void ShowTip(const char* title, const char* text, int icon)
    {
        EDITBALLOONTIP tip;
        tip.pszTitle = title;
        tip.pszText = text;
        tip.ttiIcon = icon;
        EXPECT_EQ(edit->Perform(EM_SHOWBALLOONTIP, 0, LPARAM(&tip)), 1);
    }
    bool TipShown(TEdit* e) const { return e->BalloonWindow() && IsWindowVisible(e->BalloonWindow()); }
    static std::string TipText(HWND tip)
    {
        char buffer[200] = {};
        SendMessage(tip, WM_GETTEXT, sizeof buffer, LPARAM(buffer));
        return buffer;
    }
    // the form's client area with the balloon over it
    QImage Picture(TEdit* e) const
    {
        QImage image = form.Host()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QPainter p(&image);
        HWND tip = e->BalloonWindow();
        const QPoint at = tip->pos() - form.Host()->mapToGlobal(QPoint(0, 0));
        p.setClipRegion(tip->mask().translated(at));
        p.drawPixmap(at, tip->grab());
        return image;
    }

    TForm form{nullptr};
    TEdit* edit = nullptr;
    TEdit* other = nullptr;
};

} // namespace

TEST_F(EditBalloonFixture, BalloonPointsAtTheCaretWithTitleAndIcon)
{
    edit->SetText("12x4");
    edit->Perform(EM_SETSEL, 2, 2);
    ShowTip("Value", "Not a number", TTI_ERROR);
    ASSERT_TRUE(TipShown(edit));
    HWND tip = edit->BalloonWindow();
    EXPECT_EQ(TipText(tip), "Not a number");
    char title[40] = {};
    TTGETTITLE got;
    got.cch = sizeof title;
    got.pszTitle = title;
    SendMessage(tip, TTM_GETTITLE, 0, LPARAM(&got));
    EXPECT_STREQ(title, "Value");
    EXPECT_EQ(got.uTitleBitmap, UINT(TTI_ERROR));
    // the stem's point lies at the caret's x, below the caret's top, inside the edit
    const LRESULT pos = edit->Perform(EM_POSFROMCHAR, 2, 0);
    const QPoint caret = edit->Host()->mapToGlobal(QPoint(LOWORD(uintptr_t(pos)), HIWORD(uintptr_t(pos))));
    RECT r{};
    GetWindowRect(tip, &r);
    EXPECT_GT(r.top, caret.y());
    EXPECT_LE(r.top, edit->Host()->mapToGlobal(QPoint(0, edit->Height())).y());
    EXPECT_TRUE(tip->mask().contains(QPoint(caret.x() - r.left, 0)));
    EXPECT_TRUE(Picture(edit).save(QString::fromStdString(quelmtest::PicturePath("edit_balloon.png"))));
    // a second balloon replaces the first in the same window
    ShowTip("Range", "Between 0 and 10", TTI_WARNING);
    EXPECT_EQ(edit->BalloonWindow(), tip);
    EXPECT_EQ(TipText(tip), "Between 0 and 10");
}

TEST_F(EditBalloonFixture, BalloonGoesWithKeyClickFocusOrRequest)
{
    struct HideCase {
        const char* name;
        std::function<void(EditBalloonFixture&)> hide;
    };
    const std::vector<HideCase> cases{
        {"key", [](EditBalloonFixture& f) { QTest::keyClick(f.edit->Host(), Qt::Key_B); }},
        {"click", [](EditBalloonFixture& f) { QTest::mouseClick(f.edit->Host(), Qt::LeftButton, {}, QPoint(5, 5)); }},
        {"focus", [](EditBalloonFixture& f) { f.other->SetFocus(); }},
        {"EM_HIDEBALLOONTIP", [](EditBalloonFixture& f) { f.edit->Perform(EM_HIDEBALLOONTIP, 0, 0); }},
    };
    for (const HideCase& c : cases) {
        edit->SetFocus();
        ShowTip("Value", "Not a number", TTI_INFO);
        ASSERT_TRUE(TipShown(edit)) << c.name;
        c.hide(*this);
        EXPECT_FALSE(TipShown(edit)) << c.name;
        EXPECT_FALSE(edit->Balloon().Shown) << c.name;
    }
    // a shift alone leaves it
    ShowTip("Value", "Not a number", TTI_INFO);
    QTest::keyClick(edit->Host(), Qt::Key_Shift);
    EXPECT_TRUE(TipShown(edit));
}

// A number edit shows its balloon for a character that is no digit; the next digit takes it away.
TEST_F(EditBalloonFixture, NumberEditWarnsWithItsBalloon)
{
    struct TNumberEdit : TEdit {
        using TEdit::TEdit;
        void CreateParams(TCreateParams& p) override
        {
            TEdit::CreateParams(p);
            p.Style |= ES_NUMBER;
        }
    };
    auto* number = new TNumberEdit(&form);
    number->SetParent(&form);
    number->SetBounds(20, 60, 120, 24);
    number->SetFocus();
    QTest::keyClicks(number->Host(), "4a");
    ASSERT_TRUE(TipShown(number));
    EXPECT_EQ(TipText(number->BalloonWindow()), "You can only type a number here.");
    EXPECT_TRUE(Picture(number).save(QString::fromStdString(quelmtest::PicturePath("edit_number_balloon.png"))));
    QTest::keyClicks(number->Host(), "2");
    EXPECT_FALSE(TipShown(number));
    EXPECT_EQ(number->Text(), "42");
}
