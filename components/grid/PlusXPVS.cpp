#include "components/grid/PlusXPVS.h"

#include <utility>

const char* const TThemeBinding::EntryNames[45] = {
    "OpenThemeData", "CloseThemeData", "DrawThemeBackground", "DrawThemeText", "GetThemeBackgroundContentRect",
    "GetThemeBackgroundExtent", "GetThemeTextExtent", "GetThemeTextMetrics", "GetThemeBackgroundRegion",
    "HitTestThemeBackground", "DrawThemeEdge", "DrawThemeIcon", "IsThemePartDefined",
    "IsThemeBackgroundPartiallyTransparent", "GetThemeColor", "GetThemeMetric", "GetThemeString", "GetThemeBool",
    "GetThemeInt", "GetThemeEnumValue", "GetThemePosition", "GetThemeFont", "GetThemeRect", "GetThemeMargins",
    "GetThemeIntList", "SetWindowTheme", "GetThemeFilename", "GetThemeSysColor", "GetThemeSysColorBrush",
    "GetThemeSysBool", "GetThemeSysSize", "GetThemeSysFont", "GetThemeSysString", "GetThemeSysInt",
    "IsThemeActive", "IsAppThemed", "GetWindowTheme", "EnableThemeDialogTexture", "IsThemeDialogTextureEnabled",
    "GetThemeAppProperties", "SetThemeAppProperties", "GetCurrentThemeName", "GetThemeDocumentationProperty",
    "DrawThemeParentBackground", "EnableTheming",
};

namespace {

template <class F>
bool Look(HMODULE library, const char* name, F& slot)
{
    slot = ProcAs<F>(GetProcAddress(library, name));
    return slot != nullptr;
}

} // namespace

void TThemeBinding::Bind()
{
    if (bound_)
        return;
    library_ = LoadLibraryA("UXTHEME.DLL");
    if (!library_)
        return; // no visual styles: the table stays empty
    TThemeAPI t;
    const char* const* n = EntryNames;
    const bool all =
        Look(library_, n[0], t.OpenThemeData) && Look(library_, n[1], t.CloseThemeData) &&
        Look(library_, n[2], t.DrawThemeBackground) && Look(library_, n[3], t.DrawThemeText) &&
        Look(library_, n[4], t.GetThemeBackgroundContentRect) && Look(library_, n[5], t.GetThemeBackgroundExtent) &&
        Look(library_, n[6], t.GetThemeTextExtent) && Look(library_, n[7], t.GetThemeTextMetrics) &&
        Look(library_, n[8], t.GetThemeBackgroundRegion) && Look(library_, n[9], t.HitTestThemeBackground) &&
        Look(library_, n[10], t.DrawThemeEdge) && Look(library_, n[11], t.DrawThemeIcon) &&
        Look(library_, n[12], t.IsThemePartDefined) &&
        Look(library_, n[13], t.IsThemeBackgroundPartiallyTransparent) && Look(library_, n[14], t.GetThemeColor) &&
        Look(library_, n[15], t.GetThemeMetric) && Look(library_, n[16], t.GetThemeString) &&
        Look(library_, n[17], t.GetThemeBool) && Look(library_, n[18], t.GetThemeInt) &&
        Look(library_, n[19], t.GetThemeEnumValue) && Look(library_, n[20], t.GetThemePosition) &&
        Look(library_, n[21], t.GetThemeFont) && Look(library_, n[22], t.GetThemeRect) &&
        Look(library_, n[23], t.GetThemeMargins) && Look(library_, n[24], t.GetThemeIntList) &&
        Look(library_, n[25], t.SetWindowTheme) && Look(library_, n[26], t.GetThemeFilename) &&
        Look(library_, n[27], t.GetThemeSysColor) && Look(library_, n[28], t.GetThemeSysColorBrush) &&
        Look(library_, n[29], t.GetThemeSysBool) && Look(library_, n[30], t.GetThemeSysSize) &&
        Look(library_, n[31], t.GetThemeSysFont) && Look(library_, n[32], t.GetThemeSysString) &&
        Look(library_, n[33], t.GetThemeSysInt) && Look(library_, n[34], t.IsThemeActive) &&
        Look(library_, n[35], t.IsAppThemed) && Look(library_, n[36], t.GetWindowTheme) &&
        Look(library_, n[37], t.EnableThemeDialogTexture) && Look(library_, n[38], t.IsThemeDialogTextureEnabled) &&
        Look(library_, n[39], t.GetThemeAppProperties) && Look(library_, n[40], t.SetThemeAppProperties) &&
        Look(library_, n[41], t.GetCurrentThemeName) && Look(library_, n[42], t.GetThemeDocumentationProperty) &&
        Look(library_, n[43], t.DrawThemeParentBackground) && Look(library_, n[44], t.EnableTheming);
    if (!all) {
        // a module without every entry point is treated as no module at all
        FreeLibrary(library_);
        library_ = nullptr;
        return;
    }
    api_ = t;
    bound_ = true;
}

void TThemeBinding::Unbind()
{
    if (!bound_)
        return;
    FreeLibrary(library_);
    library_ = nullptr;
    bound_ = false;
    api_ = TThemeAPI{}; // no stale references to a released module
}

namespace {
TThemeBinding& Instance()
{
    static TThemeBinding binding;
    return binding;
}

// Start-up and end of the unit.
struct UnitLife {
    UnitLife() { BindThemeAPI(); }
    ~UnitLife() { UnbindThemeAPI(); }
};
UnitLife unitLife;
int startCount = 0;
} // namespace

void BindThemeAPI()
{
    if (startCount++ > 0)
        return;
    Instance().Bind();
}

void UnbindThemeAPI()
{
    Instance().Unbind();
}

TThemeBinding& PlusXPVS()
{
    if (startCount == 0)
        BindThemeAPI();
    return Instance();
}
