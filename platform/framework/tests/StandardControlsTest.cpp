// Panels, bevels, pictures, radio groups, memos, list boxes, speed buttons and the file dialogs.
#include "platform/framework/Buttons.h"
#include "platform/framework/CheckLst.h"
#include "platform/framework/ControlHost.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
std::vector<String> DrawnTexts(TCustomControl* control)
{
    TGdiRecorder log;
    control->ControlHost()->PaintRecorder = &log;
    control->Invalidate();
    control->Update();
    control->ControlHost()->PaintRecorder = nullptr;
    std::vector<String> texts;
    for (const TGdiRecord& r : log.Of("DrawText"))
        texts.push_back(r.Text);
    return texts;
}
} // namespace

TEST(Panel, CaptionBevelsAndTheAreaLeftToAlignedChildren)
{
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 200, 100);
    panel->SetCaption("Opening last used project ...");
    EXPECT_EQ(DrawnTexts(panel), (std::vector<String>{"Opening last used project ..."}));

    auto* inner = new TPanel(&form);
    inner->SetParent(panel);
    inner->Align = alClient;
    struct Case {
        TBevelCut outer, inner;
        int border, inset;
    };
    for (const Case& c : {Case{bvRaised, bvNone, 0, 1}, Case{bvNone, bvNone, 0, 0}, Case{bvLowered, bvRaised, 2, 4}}) {
        panel->SetBevelOuter(c.outer);
        panel->SetBevelInner(c.inner);
        panel->SetBorderWidth(c.border);
        EXPECT_EQ(inner->BoundsRect(), TRect(c.inset, c.inset, 200 - c.inset, 100 - c.inset));
    }
}

TEST(RadioGroup, ItemsIndexAndClick)
{
    TForm form(nullptr);
    auto* group = new TRadioGroup(&form);
    group->SetParent(&form);
    group->SetCaption(" Choose a report option ");
    group->SetBounds(0, 0, 300, 80);
    int clicks = 0;
    group->OnClick = [&](TObject*) { ++clicks; };
    group->Items()->Add("Report of this run only");
    group->Items()->Add("Report of all runs in project (=Project summary)");
    EXPECT_EQ(group->ItemIndex(), -1);
    ASSERT_EQ(group->ControlCount(), 2);
    EXPECT_EQ(group->Buttons(1)->Caption(), "Report of all runs in project (=Project summary)");
    EXPECT_GE(group->Buttons(1)->Top(), group->Buttons(0)->Top() + group->Buttons(0)->Height());

    group->SetItemIndex(0);
    EXPECT_EQ(clicks, 1);
    form.Show();
    auto* second = static_cast<QRadioButton*>(group->Buttons(1)->Host());
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(5, second->height() / 2));
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(clicks, 2);
    group->SetItemIndex(-1);
    EXPECT_FALSE(second->isChecked()) << "no button stays checked";
    group->Items()->Delete(0);
    EXPECT_EQ(group->ControlCount(), 1);
    form.Close();
}

// Each button lies inside the frame that the style draws below the title (the group box's
// contents), whatever the group's size and number of columns: the frame's line must not run
// through a button.
TEST(RadioGroup, ButtonsLieInsideTheFrameBelowTheTitle)
{
    struct Case {
        int width, height, items, columns;
    } const cases[] = {{306, 94, 3, 1}, {300, 80, 2, 1}, {185, 105, 4, 2}, {400, 60, 1, 1}};
    for (const Case& c : cases) {
        TForm form(nullptr);
        auto* group = new TRadioGroup(&form);
        group->SetParent(&form);
        group->SetCaption(" Window type for model calculations ");
        group->SetBounds(0, 0, c.width, c.height);
        group->SetColumns(c.columns);
        for (int i = 0; i < c.items; ++i)
            group->Items()->Add("Item " + IntToStr(i));
        form.Show();
        const QRect inside = group->Widget()->contentsRect();
        for (int i = 0; i < c.items; ++i) {
            const QRect button = group->Buttons(i)->Host()->geometry();
            EXPECT_TRUE(inside.contains(button)) << c.width << "x" << c.height << " item " << i << ": button ("
                                                 << button.x() << "," << button.y() << " " << button.width() << "x"
                                                 << button.height() << ") outside the frame's inside (" << inside.x()
                                                 << "," << inside.y() << " " << inside.width() << "x"
                                                 << inside.height() << ")";
        }
        form.Close();
    }
}

TEST(ListBox, ItemsSelectionAndChecks)
{
    TForm form(nullptr);
    auto* list = new TListBox(&form);
    list->SetParent(&form);
    list->SetSorted(true);
    for (const char* s : {"pear", "Apple", "fig"})
        list->Items()->Add(s);
    EXPECT_EQ(list->Items()->Get(0), "Apple");
    EXPECT_EQ(list->Items()->Get(2), "pear");
    EXPECT_EQ(list->ItemIndex(), -1);
    list->SetItemIndex(1);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_TRUE(list->Selected(1));
    list->SetMultiSelect(true);
    list->SetSelected(2, true);
    EXPECT_EQ(list->SelCount(), 2);

    auto* checks = new TCheckListBox(&form);
    checks->SetParent(&form);
    checks->Items()->Add("Summary");
    checks->Items()->Add("Detailed");
    int userChecks = 0;
    checks->OnClickCheck = [&](TObject*) { ++userChecks; };
    checks->SetChecked(1, true);
    EXPECT_TRUE(checks->Checked(1));
    EXPECT_FALSE(checks->Checked(0));
    EXPECT_EQ(userChecks, 0) << "only the user's checks fire";
    checks->Widget()->item(0)->setCheckState(Qt::Checked); // as a click on the box does
    EXPECT_EQ(userChecks, 1);
    EXPECT_THROW(checks->Checked(5), EStringListError);
}

TEST(SpeedButton, HintClickAndGroups)
{
    TForm form(nullptr);
    auto* exit = new TSpeedButton(&form);
    exit->SetParent(&form);
    exit->SetCaption("Exit");
    exit->SetHint("Exits the application");
    exit->SetShowHint(true);
    EXPECT_EQ(exit->Widget()->toolTip(), "Exits the application");
    exit->SetShowHint(false);
    EXPECT_EQ(exit->Widget()->toolTip(), "");
    int clicks = 0;
    exit->OnClick = [&](TObject*) { ++clicks; };
    QTest::mouseClick(exit->Widget(), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    auto* a = new TSpeedButton(&form);
    auto* b = new TSpeedButton(&form);
    for (TSpeedButton* s : {a, b}) {
        s->SetParent(&form);
        s->SetGroupIndex(1);
    }
    a->SetDown(true);
    b->Click();
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    b->Click();
    EXPECT_TRUE(b->Down()) << "stays down without AllowAllUp";
}

TEST(FileDialogs, InterceptorAnswersAndRecords)
{
    TForm form(nullptr);
    TOpenDialog open(&form);
    open.Title = "Select a database";
    open.Filter = "Databases (*.vantor)|*.vantor|All files|*.*";
    {
        TFileDialogInterceptor dialogs;
        dialogs.Answer("/data/Projects.vantor");
        dialogs.Cancel();
        EXPECT_TRUE(open.Execute());
        EXPECT_EQ(open.FileName, "/data/Projects.vantor");
        EXPECT_EQ(open.Files()->Count(), 1);
        EXPECT_FALSE(open.Execute());
        EXPECT_EQ(open.FileName, "/data/Projects.vantor") << "a cancel keeps the name";

        TSaveDialog save(&form);
        save.DefaultExt = "txt";
        dialogs.Answer("/tmp/report");
        EXPECT_TRUE(save.Execute());
        EXPECT_EQ(save.FileName, "/tmp/report.txt");

        String folder = "/home";
        dialogs.Answer("/home/user/archive");
        EXPECT_TRUE(SelectDirectory("Archive folder", "", folder));
        EXPECT_EQ(folder, "/home/user/archive");
        EXPECT_FALSE(SelectDirectory("Archive folder", "", folder)) << "an empty script cancels";

        ASSERT_EQ(dialogs.Requests().size(), 5u);
        EXPECT_EQ(dialogs.Requests()[0].Kind, "Open");
        EXPECT_EQ(dialogs.Requests()[0].Title, "Select a database");
        EXPECT_EQ(dialogs.Requests()[2].Kind, "Save");
        EXPECT_EQ(dialogs.Requests()[3].Kind, "Folder");
        EXPECT_EQ(dialogs.Requests()[3].InitialDir, "/home");
    }
    EXPECT_FALSE(open.Execute()) << "offscreen without an interceptor: cancelled, never shown";
}
