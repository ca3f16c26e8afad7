#include "components/grid/PlusHintInfo.h"
#include "components/grid/PlusStyleIF.h"

#include "platform/win/WinUxTheme.h"
#include "platform/testing/quelm_test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>
#include <cstdlib>

namespace {

// A registry store of its own for the test.
struct Store {
    Store()
    {
        const char* old = std::getenv("QUELM_REGISTRY_DIR");
        saved = old ? old : "";
        hadOld = old != nullptr;
        setenv("QUELM_REGISTRY_DIR", dir.str().c_str(), 1);
    }
    ~Store()
    {
        if (hadOld)
            setenv("QUELM_REGISTRY_DIR", saved.c_str(), 1);
        else
            unsetenv("QUELM_REGISTRY_DIR");
    }
    void Key(const String& path, int theme = -1)
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey(path, true));
        if (theme != -1)
            reg.WriteInteger("Theme", theme);
        reg.CloseKey();
    }
    quelmtest::TempDir dir;
    std::string saved;
    bool hadOld = false;
};

const char* const k14 = "Software\\Microsoft\\Office\\14.0\\Common";
const char* const k12 = "Software\\Microsoft\\Office\\12.0\\Common";

} // namespace

TEST(PlusStyleIF, StyleCodesFromOfficeAndTheVisualStyle)
{
    struct Case {
        int theme14, theme12; // -2: no key, -1: key without value
        bool styles;
        uint8_t code;
    };
    const Case cases[] = {
        {2, 1, true, 8},   // 14.0 wins over 12.0
        {-1, 1, true, 4},  // 14.0 key without a value: 12.0 counts
        {0, 3, true, 0},   // another 14.0 value: 0, nothing else consulted
        {-5, -2, true, 0},
        {-2, 3, true, 6},
        {-2, -2, true, 0},  // the stand-in's style reports "NormalColor"
        {-2, -2, false, 3}, // no visual style
    };
    for (const Case& c : cases) {
        Store s;
        if (c.theme14 != -2)
            s.Key(k14, c.theme14);
        if (c.theme12 != -2)
            s.Key(k12, c.theme12);
        SetThemeActiveForTest(c.styles);
        EXPECT_EQ(GetSystemStyleTheme(), c.code) << c.theme14 << " " << c.theme12;
        SetThemeActiveForTest(true);
    }
    EXPECT_EQ(GetXPColorScheme(), 1);
    EXPECT_TRUE(IsComCtl32V6()); // no version information counts as new

    Store s;
    s.Key("Software\\Microsoft\\Office\\11.0\\Common\\General");
    EXPECT_EQ(GetInstalledOfficeVersion(), 0);
    TThemeNotifier quiet(nullptr);
    EXPECT_FALSE(quiet.Watching());
    quiet.RegisterWindow(reinterpret_cast<HWND>(1)); // nothing without a watch
    EXPECT_TRUE(quiet.Windows().empty());
    s.Key("Software\\Microsoft\\Office\\12.0\\Common\\General");
    EXPECT_EQ(GetInstalledOfficeVersion(), 1);
    s.Key("Software\\Microsoft\\Office\\14.0\\Common\\General");
    EXPECT_EQ(GetInstalledOfficeVersion(), 2);
}

TEST(PlusStyleIF, NotifierTellsOfAThemeChange)
{
    Store s;
    s.Key("Software\\Microsoft\\Office\\14.0\\Common\\General");
    s.Key(k14, 1);
    TThemeNotifier::PollInterval = 20;
    TCustomControl owner(nullptr);
    TThemeNotifier* notifier = GetThemeNotifier(&owner);
    ASSERT_TRUE(notifier->Watching());
    EXPECT_EQ(GetThemeNotifier(&owner), notifier); // one per process
    TCustomControl listener(nullptr);
    notifier->RegisterWindow(listener.Handle());
    notifier->RegisterWindow(listener.Handle());
    EXPECT_EQ(notifier->Windows().size(), 1u);
    int changes = 0;
    notifier->OnOfficeThemeChange = [&](TObject* sender) {
        EXPECT_EQ(sender, notifier);
        ++changes;
    };
    s.Key(k14, 3);
    QElapsedTimer t;
    t.start();
    while (changes == 0 && t.elapsed() < 3000)
        QTest::qWait(10);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(GetSystemStyleTheme(), 9);
    notifier->UnRegisterWindow(listener.Handle());
    notifier->UnRegisterWindow(listener.Handle());
    EXPECT_TRUE(notifier->Windows().empty());
    delete notifier;
    TThemeNotifier::PollInterval = 250;
}

TEST(PlusHintInfo, AssignCopiesOnlyFromItsOwnClass)
{
    TPlusHintInfo a;
    TStringList lines;
    lines.Add("first");
    a.SetNotes(&lines);
    lines.Add("second"); // the hint keeps its copy
    EXPECT_EQ(a.Notes()->Count(), 1);
    a.Title = "Title";
    a.ShowHelp = true;
    a.WideTitle = u"W";
    TPlusHintInfo b;
    b.Assign(&a);
    EXPECT_EQ(b.Title, "Title");
    EXPECT_TRUE(b.ShowHelp);
    EXPECT_EQ(b.Notes()->Get(0), "first");
    EXPECT_EQ(b.WideTitle, u"W");
    TFont other;
    b.Title = "kept";
    b.Assign(&other);
    EXPECT_EQ(b.Title, "kept");
}
