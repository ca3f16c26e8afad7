// Hints and balloons: a cell's own hint shown after the hint pause in the HTML hint window,
// the window's measuring, margins and screen fitting, and the balloon tool tip's life.
#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"

#include "platform/framework/Forms.h"

#include "platform/framework/ControlHost.h"

#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>

TEST(PlusGridHints, EachCellShowsItsOwnHintAfterThePause)
{
    TForm form{nullptr};
    form.SetClientWidth(420);
    form.SetClientHeight(260);
    auto* g = new TPlusStringGrid(&form);
    g->SetParent(&form);
    g->SetBounds(0, 0, 400, 250);
    g->SetHint("grid");
    g->ShowHint = true;
    g->HintColor = TColor(0xE0FFFF);
    g->OnGridHint = [](TObject*, int row, int col, String& hint) {
        if (row == 2)
            hint = "<b>cell</b> " + std::to_string(col) + "," + std::to_string(row);
        else if (row == 3)
            hint.clear();
    };
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Host()));
    const int pause = Application->HintPause;
    Application->HintPause = 30;
    const TRect cell = g->CellRect(2, 2);
    Application->HintMouseEntered(g, TPoint(cell.Left + 5, cell.Top + 5));
    QTest::qWait(30);
    EXPECT_TRUE(
        QTest::qWaitFor([] { return Application->HintWindow() && Application->HintWindow()->Showing(); }, 2000));
    auto* window = dynamic_cast<THTMLHintWindow*>(Application->HintWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Caption(), "<b>cell</b> 2,2");
    EXPECT_EQ(window->Color(), TColor(0xE0FFFF));
    EXPECT_EQ(g->HintCell, TPoint(2, 2));
    window->Update();
    if (const char* dir = std::getenv("QUELM_PICTURES"))
        window->ControlHost()->SurfaceImage()->save(QString::fromStdString(std::string(dir) + "/grid_hint.png"));
    Application->CancelHint();
    // a cell whose hint is emptied shows none
    const TRect empty = g->CellRect(2, 3);
    Application->HintMouseEntered(g, TPoint(empty.Left + 5, empty.Top + 5));
    QTest::qWait(150);
    EXPECT_FALSE(Application->HintWindow()->Showing());
    Application->CancelHint();
    Application->HintPause = pause;
}

TEST(PlusGridHints, HintWindowSizesAndPlaces)
{
    THTMLHintWindow w(nullptr);
    const String html = "<b>Bold</b> and plain";
    const TRect calc = w.CalcHintRect(1000, html, nullptr);
    EXPECT_GT(calc.Right, 20);
    EXPECT_GT(calc.Bottom, 5);
    w.ActivateHint(TRect(10, 10, 20, 20), html);
    EXPECT_EQ(w.ShownRect.Right - w.ShownRect.Left, calc.Right + 16);
    EXPECT_EQ(w.ShownRect.Bottom - w.ShownRect.Top, calc.Bottom + 4);
    const WideString wide = {u'\u00e9', u't', u'\u00e9'};
    const String encoded = EncodeWideCellText(wide);
    const TRect wcalc = w.CalcHintRect(1000, encoded, nullptr);
    w.ActivateHint(TRect(10, 10, 20, 20), encoded);
    EXPECT_EQ(w.ShownRect.Right - w.ShownRect.Left, wcalc.Right + 8);
    // the wide hint is drawn as its characters
    TGdiRecorder log;
    w.ControlHost()->PaintRecorder = &log;
    w.Invalidate();
    w.Update();
    w.ControlHost()->PaintRecorder = nullptr;
    std::vector<String> painted;
    for (const TGdiRecord& r : log.Records)
        if (r.Op == "DrawText")
            painted.push_back(r.Text);
    EXPECT_EQ(painted, std::vector<String>{"\xe9t\xe9"});
    // characters beyond the code page are measured as themselves, not as question marks
    const TRect cjk = w.CalcHintRect(1000, EncodeWideCellText(u"\u65e5\u672c\u8a9e\u65e5\u672c\u8a9e"), nullptr);
    const TRect marks = w.CalcHintRect(1000, EncodeWideCellText(u"??????"), nullptr);
    EXPECT_NE(cjk.Right, marks.Right);
    if (const char* dir = std::getenv("QUELM_PICTURES")) {
        w.ActivateHint(TRect(10, 10, 20, 20), EncodeWideCellText(u"\u65e5\u672c\u8a9e \u00e9t\u00e9"));
        w.Update();
        w.ControlHost()->SurfaceImage()->save(QString::fromStdString(std::string(dir) + "/grid_wide_hint.png"));
    }
    // past the screen's right edge: shifted left, 2 pixels inside, same width
    const int sw = Screen->Width();
    w.ActivateHint(TRect(sw - 5, 10, sw, 20), html);
    EXPECT_EQ(w.ShownRect.Right, sw - 2);
    EXPECT_EQ(w.ShownRect.Right - w.ShownRect.Left, calc.Right + 16);
    w.ReleaseHandle();
}

TEST(PlusGridHints, BalloonToolTipLife)
{
    TForm form{nullptr};
    auto* g = new TPlusStringGrid(&form);
    g->SetParent(&form);
    g->Balloon()->Transparency = 55;
    g->Balloon()->InitialDelay = 300;
    g->Balloon()->SetEnable(true);
    g->InitBalloonHints(); // once only
    EXPECT_EQ(g->BalloonToolTip.Creations, 1);
    EXPECT_EQ(g->BalloonToolTip.Alpha, 200);
    EXPECT_EQ(g->BalloonToolTip.InitialDelay, 300);
    EXPECT_EQ(g->BalloonToolTip.ReshowDelay, -1);
    EXPECT_EQ(g->BalloonToolTip.Title, "ToolTipText");
    g->Balloon()->SetEnable(false);
    g->Balloon()->SetEnable(true);
    EXPECT_EQ(g->BalloonToolTip.Creations, 2);
    EXPECT_EQ(g->BalloonToolTip.Destructions, 1);
    TBalloonSettings copy;
    copy.Assign(g->Balloon());
    EXPECT_TRUE(copy.Enable());
    EXPECT_EQ(copy.InitialDelay, 300);
    EXPECT_EQ(copy.Transparency, 0);
}
