#include "ComCtrls.h"
#include "Forms.h"
#include "ControlHost.h"
#include "StdCtrls.h"

#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct PagesFixture {
    PagesFixture()
    {
        pages->SetParent(&form);
        pages->SetBounds(0, 0, 400, 300);
        for (const char* caption : {"Scenario", "Simulation Control", "Output Control"}) {
            auto* sheet = new TTabSheet(&form);
            sheet->SetCaption(caption);
            sheet->SetPageControl(pages);
            sheets.push_back(sheet);
        }
    }
    TForm form{nullptr};
    TPageControl* pages = new TPageControl(&form);
    std::vector<TTabSheet*> sheets;
};

} // namespace

TEST(PageControl, PagesTabsAndTheActivePage)
{
    PagesFixture f;
    TPageControl* pages = f.pages;
    EXPECT_EQ(pages->PageCount(), 3);
    EXPECT_EQ(pages->ActivePage(), f.sheets[0]);
    EXPECT_EQ(pages->Widget()->tabText(1), "Simulation Control");
    EXPECT_EQ(f.sheets[1]->Parent(), pages);
    EXPECT_EQ(f.sheets[2]->PageIndex(), 2);

    // the sheets fill the page area from the start, before anything is shown
    const TRect area = pages->DisplayRect();
    EXPECT_GT(area.Top, 0);
    EXPECT_LE(area.Bottom, 300);
    for (TTabSheet* s : f.sheets) {
        EXPECT_EQ(s->Width(), area.Right - area.Left);
        EXPECT_EQ(s->Height(), area.Bottom - area.Top);
    }
    // and a child aligned to the client follows the sheet
    auto* edit = new TEdit(&f.form);
    edit->SetParent(f.sheets[1]);
    edit->Align = alClient;
    f.sheets[1]->Realign();
    EXPECT_EQ(edit->Width(), f.sheets[1]->Width());

    int changes = 0;
    pages->OnChange = [&](TObject*) { ++changes; };
    pages->SetActivePageIndex(2);
    EXPECT_EQ(pages->ActivePage(), f.sheets[2]);
    EXPECT_EQ(pages->Widget()->currentIndex(), 2);
    EXPECT_EQ(changes, 0) << "setting the page in code fires no change";

    f.sheets[2]->SetTabVisible(false);
    EXPECT_NE(pages->ActivePage(), f.sheets[2]) << "a hidden tab's page is not shown";
    EXPECT_EQ(f.sheets[2]->TabIndex(), -1);
    EXPECT_EQ(pages->FindNextPage(f.sheets[1], true), f.sheets[0]);
    pages->SetActivePage(f.sheets[2]);
    EXPECT_NE(pages->ActivePage(), f.sheets[2]);

    delete f.sheets[1];
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->Widget()->count(), 2);
}

TEST(PageControl, UsersTabClickAsksOnChanging)
{
    PagesFixture f;
    TPageControl* pages = f.pages;
    f.form.Show();
    bool allow = false;
    std::vector<String> log;
    pages->OnChanging = [&](TObject*, bool& allowChange) {
        log.push_back("changing from " + pages->ActivePage()->Caption());
        allowChange = allow;
    };
    pages->OnChange = [&](TObject*) { log.push_back("change to " + pages->ActivePage()->Caption()); };
    QTabBar* bar = pages->Widget()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(pages->ActivePage(), f.sheets[0]) << "refused";
    EXPECT_EQ(pages->Widget()->currentIndex(), 0);
    allow = true;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(pages->ActivePage(), f.sheets[1]);
    EXPECT_EQ(log, (std::vector<String>{"changing from Scenario", "changing from Scenario",
                                        "change to Simulation Control"}));
    f.form.Close();
}

TEST(StatusBar, PanelsSideBySide)
{
    TForm form(nullptr);
    form.SetClientWidth(300);
    form.SetClientHeight(200);
    auto* bar = new TStatusBar(&form);
    bar->SetParent(&form);
    form.Realign();
    EXPECT_EQ(bar->Top() + bar->Height(), 200) << "at the bottom of the form";
    EXPECT_EQ(bar->Width(), 300);
    bar->Panels()->Add()->SetWidth(100);
    bar->Panels()->Add()->SetWidth(80);
    bar->Panels()->Items(0)->SetText("Runs: 3");
    bar->Panels()->Items(1)->SetText("Ready");
    EXPECT_EQ(bar->PanelRect(0).Left, 0);
    EXPECT_EQ(bar->PanelRect(0).Right, 100);
    EXPECT_EQ(bar->PanelRect(1).Left, 102);
    EXPECT_EQ(bar->PanelRect(1).Right, 300) << "the last panel takes the rest";

    TGdiRecorder log;
    bar->ControlHost()->PaintRecorder = &log;
    auto texts = [&] {
        log.Clear();
        bar->Invalidate();
        bar->Update();
        std::vector<String> shown;
        for (const TGdiRecord& r : log.Of("DrawText"))
            shown.push_back(r.Text);
        return shown;
    };
    EXPECT_EQ(texts(), (std::vector<String>{"Runs: 3", "Ready"}));
    bar->SetSimplePanel(true);
    bar->SetSimpleText("Calculating");
    EXPECT_EQ(texts(), (std::vector<String>{"Calculating"}));
    bar->ControlHost()->PaintRecorder = nullptr;
}
