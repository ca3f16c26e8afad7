#include "platform/win/WinFrameControl.h"
#include "platform/win/WinLayered.h"
#include "platform/win/WinModule.h"
#include "platform/win/WinUxTheme.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct Device {
    explicit Device(int w = 40, int h = 30) : dc(w, h) { dc.Recorder = &log; }
    COLORREF At(int x, int y) { return GetPixel(&dc, x, y); }
    DeviceContext dc;
    TGdiRecorder log;
};

int CountPixels(DeviceContext& dc, const RECT& r, COLORREF c)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += GetPixel(&dc, x, y) == c;
    return n;
}

} // namespace

TEST(FrameControl, ClassicPushButtonRaisedAndPushed)
{
    Device d;
    RECT r{0, 0, 20, 12};
    DrawFrameControl(&d.dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    EXPECT_EQ(d.At(0, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(d.At(1, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(d.At(19, 11), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(d.At(18, 10), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(d.At(10, 6), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(d.At(20, 12), COLORREF(0xFFFFFF));

    RECT p{0, 15, 20, 27};
    DrawFrameControl(&d.dc, &p, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    EXPECT_EQ(d.At(0, 15), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(d.At(19, 26), GetSysColor(COLOR_BTNHIGHLIGHT));

    // one record each, with the type and state the caller passed
    ASSERT_EQ(d.log.Records.size(), 2u);
    EXPECT_EQ(d.log.Records[1].Op, "DrawFrameControl");
    EXPECT_EQ(d.log.Records[1].Points.at(0).x, LONG(DFC_BUTTON));
    EXPECT_EQ(d.log.Records[1].Flags, UINT(0x210));
}

TEST(FrameControl, ScrollArrowsAndCheckBoxes)
{
    Device d;
    RECT combo{0, 0, 17, 17};
    DrawFrameControl(&d.dc, &combo, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
    const RECT middle{4, 4, 13, 13};
    EXPECT_GE(CountPixels(d.dc, middle, GetSysColor(COLOR_BTNTEXT)), 6); // the arrow
    Device e;
    DrawFrameControl(&e.dc, &combo, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_INACTIVE);
    EXPECT_EQ(CountPixels(e.dc, middle, GetSysColor(COLOR_BTNTEXT)), 0);
    EXPECT_GE(CountPixels(e.dc, middle, GetSysColor(COLOR_BTNSHADOW)), 6);

    Device c;
    RECT box{0, 0, 13, 13};
    DrawFrameControl(&c.dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK);
    EXPECT_EQ(CountPixels(c.dc, RECT{3, 3, 10, 10}, GetSysColor(COLOR_WINDOWTEXT)), 0);
    DrawFrameControl(&c.dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    EXPECT_GT(CountPixels(c.dc, RECT{3, 3, 10, 10}, GetSysColor(COLOR_WINDOWTEXT)), 8);
}

TEST(FrameControl, DrawEdgeAdjustsByTheEdgesDrawn)
{
    Device d;
    RECT r{2, 2, 22, 22};
    DrawEdge(&d.dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE);
    EXPECT_EQ(r.left, 4);
    EXPECT_EQ(r.bottom, 20);
    EXPECT_EQ(d.At(2, 2), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(d.At(3, 3), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(d.At(21, 21), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(d.At(10, 10), GetSysColor(COLOR_BTNFACE));
}

TEST(Modules, VisualStyleModuleIsBoundByName)
{
    HMODULE m = LoadLibraryA("UXTHEME.DLL");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(GetModuleHandleA("uxtheme"), m);
    ASSERT_EQ(UxThemeEntryNames().size(), 45u);
    for (const auto& name : UxThemeEntryNames())
        EXPECT_NE(GetProcAddress(m, name.c_str()), nullptr) << name;
    EXPECT_EQ(GetProcAddress(m, "NoSuchEntry"), nullptr);
    auto isActive = ProcAs<BOOL (*)()>(GetProcAddress(m, "IsThemeActive"));
    EXPECT_TRUE(isActive());
    const int loads = ModuleLoadCount("UXTHEME.DLL");
    EXPECT_TRUE(FreeLibrary(m));
    EXPECT_EQ(ModuleLoadCount("UXTHEME.DLL"), loads - 1);
}

TEST(Modules, OverridesHideModulesAndEntries)
{
    {
        TModuleOverride absent("UXTHEME.DLL");
        EXPECT_EQ(LoadLibraryA("UXTHEME.DLL"), nullptr);
    }
    {
        TModuleOverride missing("UXTHEME.DLL", "DrawThemeEdge");
        HMODULE m = LoadLibraryA("UXTHEME.DLL");
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(GetProcAddress(m, "DrawThemeEdge"), nullptr);
        EXPECT_NE(GetProcAddress(m, "DrawThemeIcon"), nullptr);
        FreeLibrary(m);
    }
    EXPECT_NE(GetProcAddress(GetModuleHandleA("UXTHEME.DLL"), "DrawThemeEdge"), nullptr);
}

TEST(Modules, LayeredWindowFunctions)
{
    HMODULE user = GetModuleHandleA("USER32.DLL");
    ASSERT_NE(user, nullptr);
    auto setAttributes =
        ProcAs<BOOL (*)(HWND, COLORREF, BYTE, DWORD)>(GetProcAddress(user, "SetLayeredWindowAttributes"));
    ASSERT_NE(setAttributes, nullptr);
    EXPECT_FALSE(setAttributes(nullptr, 0, 128, LWA_ALPHA));
    QWidget window;
    EXPECT_TRUE(setAttributes(&window, 0, 128, LWA_ALPHA));
    EXPECT_NEAR(window.windowOpacity(), 128 / 255.0, 0.01);
    POINT pos{10, 20};
    SIZE size{50, 40};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, 0};
    // a window whose attributes were set keeps them: UpdateLayeredWindow refuses it
    EXPECT_FALSE(UpdateLayeredWindow(&window, nullptr, &pos, &size, nullptr, nullptr, 0, &blend, ULW_ALPHA));
    QWidget updated;
    EXPECT_TRUE(UpdateLayeredWindow(&updated, nullptr, &pos, &size, nullptr, nullptr, 0, &blend, ULW_ALPHA));
    EXPECT_EQ(updated.size(), QSize(50, 40));
}

TEST(VisualStyle, DrawThemeBackgroundDrawsAndRecordsThePart)
{
    Device d;
    const char16_t cls[] = u"combobox";
    HTHEME theme = OpenThemeData(nullptr, cls);
    ASSERT_NE(theme, nullptr);
    RECT r{2, 2, 19, 20};
    EXPECT_EQ(DrawThemeBackground(theme, &d.dc, CP_DROPDOWNBUTTON, CBXS_DISABLED, &r, nullptr), S_OK);
    CloseThemeData(theme);
    ASSERT_EQ(d.log.Count("DrawThemeBackground"), 1);
    EXPECT_EQ(d.log.Records[0].Text, "COMBOBOX");
    EXPECT_EQ(d.log.Records[0].Points[0].y, CBXS_DISABLED);
    EXPECT_LT(CountPixels(d.dc, r, 0xFFFFFF), (r.right - r.left) * (r.bottom - r.top));
    EXPECT_EQ(CountPixels(d.dc, RECT{25, 0, 40, 30}, 0xFFFFFF), 15 * 30); // nothing outside

    char16_t file[64], color[64], size[64];
    EXPECT_EQ(GetCurrentThemeName(file, 64, color, 64, size, 64), S_OK);
    EXPECT_EQ(std::u16string(color), u"NormalColor");
    SetThemeActiveForTest(false);
    EXPECT_FALSE(IsThemeActive());
    EXPECT_EQ(OpenThemeData(nullptr, cls), nullptr);
    SetThemeActiveForTest(true);
}
