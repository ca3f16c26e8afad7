#include "platform/framework/ComCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ControlHost.h"
#include "platform/framework/StdCtrls.h"

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

#include "platform/framework/Forms.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(TrackBar, RangePositionAndChanges)
{
    TTrackBar bar(nullptr);
    int changes = 0;
    bar.OnChange = [&](TObject*) { ++changes; };
    bar.SetMax(100);
    bar.SetPosition(40);
    EXPECT_EQ(changes, 1);
    bar.SetPosition(40); // no change, no event
    EXPECT_EQ(changes, 1);
    struct Case { int set; int expected; };
    for (const Case c : {Case{150, 100}, Case{-5, 0}, Case{55, 55}}) {
        bar.SetPosition(c.set);
        EXPECT_EQ(bar.Position(), c.expected) << c.set;
    }
    bar.SetMin(60); // the position follows the range
    EXPECT_EQ(bar.Position(), 60);
    bar.SetMin(200); // above the maximum: the maximum moves along
    EXPECT_EQ(bar.Max(), 200);

    bar.SetMin(0);
    bar.SetMax(100);
    bar.SetPosition(50);
    bar.SetPageSize(10);
    bar.SetLineSize(3);
    bar.Widget()->setFocus();
    QTest::keyClick(bar.Widget(), Qt::Key_PageUp);
    EXPECT_EQ(bar.Position(), 60);
    QTest::keyClick(bar.Widget(), Qt::Key_Left);
    EXPECT_EQ(bar.Position(), 57);
    bar.SetFrequency(25);
    EXPECT_EQ(bar.Widget()->tickInterval(), 25);
    bar.SetTickStyle(tsNone);
    EXPECT_EQ(bar.Widget()->tickPosition(), QSlider::NoTicks);
    const int width = bar.Width();
    bar.SetOrientation(trVertical);
    EXPECT_EQ(bar.Height(), width);
}

TEST(DateTimePicker, ValueFormatAndUserChanges)
{
    TDateTimePicker picker(nullptr);
    int changes = 0;
    picker.OnChange = [&](TObject*) { ++changes; };
    const TDateTime value = EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 10, 0);
    picker.SetDateTime(value);
    EXPECT_EQ(changes, 0); // only the user's changes fire OnChange
    EXPECT_NEAR(picker.DateTime(), value, 1e-8);
    EXPECT_DOUBLE_EQ(picker.Date(), EncodeDate(2024, 2, 29));
    EXPECT_EQ(picker.Text(), "29/02/2024");

    picker.SetFormat("d MMM yyyy");
    EXPECT_EQ(picker.Text(), "29 Feb 2024");
    picker.SetKind(dtkTime);
    picker.SetFormat("HH:mm");
    EXPECT_EQ(picker.Text(), "13:45");
    picker.SetTime(EncodeTime(8, 5, 0, 0)); // the date stays
    EXPECT_DOUBLE_EQ(picker.Date(), EncodeDate(2024, 2, 29));
    EXPECT_EQ(picker.Text(), "08:05");
    EXPECT_FALSE(picker.Widget()->calendarPopup());

    picker.Widget()->setFocus();
    picker.Widget()->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(picker.Widget(), Qt::Key_Up);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(picker.Text(), "09:05");

    struct Case { const char* picker; const char* qt; };
    for (const Case c : {Case{"dd/MM/yy", "dd/MM/yy"}, Case{"h:mm tt", "h:mm AP"}, Case{"'Day' d", "'Day' d"},
                         Case{"y", "yy"}})
        EXPECT_EQ(PickerFormatToQtFormat(c.picker), c.qt) << c.picker;

    // Days before 30 December 1899 keep their time of day.
    const TDateTime early = -1.25; // 29 December 1899, 06:00
    EXPECT_EQ(DateTimeToQDateTime(early), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_DOUBLE_EQ(QDateTimeToDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), early);
}

TEST(MonthCalendar, DateAndLimits)
{
    TMonthCalendar calendar(nullptr);
    int changes = 0;
    calendar.OnChange = [&](TObject*) { ++changes; };
    calendar.SetDate(EncodeDate(2023, 7, 14) + 0.5);
    EXPECT_DOUBLE_EQ(calendar.Date(), EncodeDate(2023, 7, 14));
    EXPECT_EQ(changes, 0);
    calendar.SetMinDate(EncodeDate(2023, 7, 20));
    EXPECT_DOUBLE_EQ(calendar.Date(), EncodeDate(2023, 7, 20));
    calendar.Widget()->setSelectedDate(QDate(2023, 8, 1)); // as a user's choice
    EXPECT_EQ(changes, 1);
    calendar.SetWeekNumbers(true);
    EXPECT_TRUE(calendar.WeekNumbers());
}

} // namespace
