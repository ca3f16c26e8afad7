// Message-map dispatch, menus of the frame window and dialog controls of the MFC subset.
#include "platform/mfc/AfxWin.h"

#include <QMainWindow>
#include <gtest/gtest.h>

namespace {
class TBase : public CFrameWnd {
public:
    std::vector<std::string> calls;
    void OnOne() { calls.push_back("base one"); }
    void OnTwo() { calls.push_back("base two"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TBase, CFrameWnd)
    ON_COMMAND(1, OnOne)
    ON_COMMAND(2, OnTwo)
END_MESSAGE_MAP()

class TDerived : public TBase {
public:
    void OnTwo() { calls.push_back("derived two"); }
    void OnSelect() { calls.push_back("select"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TDerived, TBase)
    ON_COMMAND(2, OnTwo)
    ON_LBN_SELCHANGE(7, OnSelect)
END_MESSAGE_MAP()
} // namespace

TEST(MessageMap, TheMostDerivedEntryWinsAndBasesAreSearched)
{
    TDerived w;
    EXPECT_TRUE(w.OnCommand(2, BN_CLICKED));
    EXPECT_TRUE(w.OnCommand(1, BN_CLICKED));
    EXPECT_TRUE(w.OnCommand(7, LBN_SELCHANGE));
    EXPECT_FALSE(w.OnCommand(7, BN_CLICKED)) << "the notification code is part of the key";
    EXPECT_FALSE(w.OnCommand(99, BN_CLICKED));
    EXPECT_EQ(w.calls, (std::vector<std::string>{"derived two", "base one", "select"}));
}

TEST(FrameMenu, PopupsAndItemsAreDeletedAndRenamed)
{
    TDerived w;
    w.Create("t", {{"&File", {{1, "&One\tF5", 0}}}, {"&Edit", {{2, "Two", MF_GRAYED}, {0, nullptr, 0}, {3, "Three", 0}}},
                   {"&Help", {{4, "Four", 0}}}},
             {{"F5", 1}});
    CMenu* menu = w.GetMenu();
    EXPECT_EQ(menu->Texts(), (std::vector<std::string>{"&File", "&Edit", "&Help"}));
    EXPECT_TRUE(menu->DeleteMenu(2, MF_BYPOSITION));
    EXPECT_EQ(menu->GetMenuItemCount(), 2);
    EXPECT_TRUE(menu->ModifyMenu(2, MF_ENABLED, 2, "&Zoom out"));
    EXPECT_EQ(menu->GetMenuString(2), "&Zoom out");
    EXPECT_TRUE(menu->DeleteMenu(3, MF_BYCOMMAND));
    CMenu* edit = menu->GetSubMenu(1);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Texts(), (std::vector<std::string>{"&Zoom out", ""}));
    w.DestroyWindow();
}

TEST(Dialogs, RadioRunsAreGroupsAndUnmappedOkEndsTheDialog)
{
    static const DLGTEMPLATE t = {"T", "Test", 100, 100,
                                  {{11, DlgKind::Radio, "a", 0, 0, 10, 10}, {12, DlgKind::Radio, "b", 0, 10, 10, 10},
                                   {20, DlgKind::CheckBox, "c", 0, 20, 10, 10}, {31, DlgKind::Radio, "x", 0, 30, 10, 10},
                                   {32, DlgKind::Radio, "y", 0, 40, 10, 10}, {IDOK, DlgKind::DefButton, "OK", 0, 50, 10, 10}}};
    CDialog::TestHook = [](CDialog& d) {
        d.CheckDlgButton(11, 1);
        d.CheckDlgButton(31, 1);
        d.CheckDlgButton(12, 1);
        EXPECT_FALSE(d.IsDlgButtonChecked(11));
        EXPECT_TRUE(d.IsDlgButtonChecked(31)) << "another run of radio buttons";
        d.OnCommand(IDOK, BN_CLICKED);
    };
    CDialog d(t, nullptr);
    EXPECT_EQ(d.DoModal(), IDOK);
    CDialog::TestHook = nullptr;
}
