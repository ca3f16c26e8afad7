#include "platform/framework/ActnList.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/StdCtrls.h"

#include <QAction>
#include <QEventLoop>
#include <QTimer>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TMenuItem* Item(TComponent* owner, TMenuItem* parent, const String& caption, TNotifyEvent onClick = {})
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    item->OnClick = std::move(onClick);
    parent->Add(item);
    return item;
}

} // namespace

TEST(Menus, ShortCutTexts)
{
    struct Case {
        TShortCut shortCut;
        const char* text;
    };
    const Case cases[] = {
        {VK_F9, "F9"},
        {TShortCut(scCtrl | 'C'), "Ctrl+C"},
        {TShortCut(scShift | VK_DELETE), "Shift+Del"},
        {TShortCut(scCtrl | scAlt | VK_F12), "Ctrl+Alt+F12"},
        {TShortCut(VK_INSERT), "Ins"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortCutToText(c.shortCut), c.text);
        EXPECT_EQ(TextToShortCut(c.text), c.shortCut) << c.text;
    }
    EXPECT_EQ(TextToShortCut("ctrl+c"), TShortCut(scCtrl | 'C'));
    EXPECT_EQ(TextToShortCut("Hyper+Q"), 0);
    EXPECT_EQ(ShortCut(VK_F9, TShiftState() << ssCtrl), TShortCut(scCtrl | VK_F9));
}

TEST(Menus, MainMenuLiesAboveTheClientArea)
{
    TForm form(nullptr);
    form.SetClientWidth(300);
    form.SetClientHeight(200);
    auto* panel = new TButton(&form);
    panel->SetParent(&form);
    panel->Align = alTop;
    panel->SetHeight(30);
    form.Realign();
    auto* menu = new TMainMenu(&form);
    Item(&form, menu->Items(), "&File");
    EXPECT_EQ(menu->Form(), &form);
    EXPECT_EQ(form.ClientHeight(), 200) << "the bar adds to the window, not takes from the client area";
    EXPECT_EQ(panel->Top(), 0);
    EXPECT_EQ(panel->Host()->y(), menu->Height()) << "client coordinates start below the bar";
    EXPECT_EQ(menu->Bar()->geometry(), QRect(0, 0, 300, menu->Height()));
    EXPECT_EQ(menu->Bar()->actions().size(), 1);
    EXPECT_EQ(menu->Bar()->actions()[0]->text(), "&File");

    // a control placed in client coordinates keeps them
    panel->Align = alNone;
    panel->SetBounds(10, 20, 50, 25);
    EXPECT_EQ(panel->Top(), 20);
    EXPECT_EQ(panel->Host()->y(), 20 + menu->Height());
}

TEST(Menus, ShortCutsReachEnabledItemsOnly)
{
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    int calculated = 0;
    TMenuItem* calc = Item(&form, menu->Items(), "&Calculate");
    TMenuItem* run = Item(&form, calc, "&Calculate Selected Runs", [&](TObject*) { ++calculated; });
    run->SetShortCut(VK_F9);
    form.Show();
    QApplication::setActiveWindow(form.Host());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Host()));

    QTest::keyClick(form.Host(), Qt::Key_F9);
    EXPECT_EQ(calculated, 1) << "the key runs the item";
    EXPECT_TRUE(menu->IsShortCut(VK_F9));
    EXPECT_EQ(calculated, 2);

    struct Case {
        const char* what;
        bool itemEnabled, menuEnabled;
        int expected;
    };
    const Case cases[] = {
        {"item disabled", false, true, 0},
        {"whole menu disabled", true, false, 0},
        {"both enabled again", true, true, 1},
    };
    for (const Case& c : cases) {
        calculated = 0;
        run->SetEnabled(c.itemEnabled);
        calc->SetEnabled(c.menuEnabled);
        EXPECT_EQ(run->Action()->isEnabled(), c.itemEnabled && c.menuEnabled) << c.what;
        QTest::keyClick(form.Host(), Qt::Key_F9);
        run->Click();
        menu->IsShortCut(VK_F9);
        EXPECT_EQ(calculated, 3 * c.expected) << c.what;
    }
    form.Close();
}

TEST(Menus, ItemsCheckAndGroup)
{
    TForm form(nullptr);
    TPopupMenu popup(&form);
    TMenuItem* a = Item(&form, popup.Items(), "A");
    TMenuItem* b = Item(&form, popup.Items(), "B");
    Item(&form, popup.Items(), "-");
    for (TMenuItem* i : {a, b})
        i->RadioItem = true, i->GroupIndex = 1;
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(popup.Items()->Items(2)->IsLine());
    EXPECT_TRUE(popup.Items()->Items(2)->Action()->isSeparator());

    // the pop-up clicks the chosen item
    int clicked = 0;
    a->OnClick = [&](TObject*) { ++clicked; };
    TObject* popped = nullptr;
    popup.OnPopup = [&](TObject* s) { popped = s; };
    TPopupMenu::ChooseHook = [a](TPopupMenu*) { return a; };
    auto* button = new TButton(&form);
    button->SetParent(&form);
    SetPopupMenu(button, &popup);
    EXPECT_EQ(PopupMenuOf(button), &popup);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
    QApplication::sendEvent(button->Host(), &event);
    TPopupMenu::ChooseHook = nullptr;
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(popped, &popup);
    EXPECT_EQ(popup.PopupComponent, button);
}

TEST(Actions, IdleUpdateFollowsTheWindowsData)
{
    TForm form(nullptr);
    auto* list = new TActionList(&form);
    auto* save = new TAction(list);
    save->SetCaption("&Save");
    bool dirty = false;
    int executed = 0;
    save->OnUpdate = [&](TObject*) { save->SetEnabled(dirty); };
    save->OnExecute = [&](TObject*) { ++executed; };
    auto* menu = new TMainMenu(&form);
    TMenuItem* file = Item(&form, menu->Items(), "&File");
    TMenuItem* item = Item(&form, file, "");
    save->Link(item);
    EXPECT_EQ(item->Caption(), "&Save");

    int idles = 0;
    Application->OnIdle = [&](TObject*, bool& done) {
        ++idles;
        done = true;
    };
    {
        // the event loop runs dry: the application goes idle
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    Application->OnIdle = nullptr;
    EXPECT_GT(idles, 0);
    EXPECT_FALSE(save->Enabled());
    EXPECT_FALSE(item->Enabled());
    item->Click();
    EXPECT_EQ(executed, 0);

    dirty = true;
    Application->Idle();
    EXPECT_TRUE(item->Enabled());
    item->Click();
    EXPECT_EQ(executed, 1);

    // a list's own update may handle its actions
    list->OnUpdate = [](TAction* a, bool& handled) {
        a->SetEnabled(false);
        handled = true;
    };
    Application->Idle();
    EXPECT_FALSE(save->Enabled());
}
