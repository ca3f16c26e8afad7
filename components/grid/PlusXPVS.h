#pragma once
// The binding of the visual-style functions: the module "UXTHEME.DLL" is loaded by name and
// its 45 entry points are looked up by name into a table that the drawing code calls. The
// binding runs once at start (BindThemeAPI; repeated calls do nothing) and is released at the
// end (UnbindThemeAPI).
//
// A module that lacks one of the entry points leaves the binding unbound (the table empty and
// the module released) instead of stopping the program's start; callers test Bound() or the
// entry they call.
#include "platform/win/WinModule.h"
#include "platform/win/WinUxTheme.h"

// The entry table: one reference per entry point, named after the function it holds.
struct TThemeAPI {
    decltype(&::OpenThemeData) OpenThemeData = nullptr;
    decltype(&::CloseThemeData) CloseThemeData = nullptr;
    decltype(&::DrawThemeBackground) DrawThemeBackground = nullptr;
    decltype(&::DrawThemeText) DrawThemeText = nullptr;
    decltype(&::GetThemeBackgroundContentRect) GetThemeBackgroundContentRect = nullptr;
    decltype(&::GetThemeBackgroundExtent) GetThemeBackgroundExtent = nullptr;
    decltype(&::GetThemeTextExtent) GetThemeTextExtent = nullptr;
    decltype(&::GetThemeTextMetrics) GetThemeTextMetrics = nullptr;
    decltype(&::GetThemeBackgroundRegion) GetThemeBackgroundRegion = nullptr;
    decltype(&::HitTestThemeBackground) HitTestThemeBackground = nullptr;
    decltype(&::DrawThemeEdge) DrawThemeEdge = nullptr;
    decltype(&::DrawThemeIcon) DrawThemeIcon = nullptr;
    decltype(&::IsThemePartDefined) IsThemePartDefined = nullptr;
    decltype(&::IsThemeBackgroundPartiallyTransparent) IsThemeBackgroundPartiallyTransparent = nullptr;
    decltype(&::GetThemeColor) GetThemeColor = nullptr;
    decltype(&::GetThemeMetric) GetThemeMetric = nullptr;
    decltype(&::GetThemeString) GetThemeString = nullptr;
    decltype(&::GetThemeBool) GetThemeBool = nullptr;
    decltype(&::GetThemeInt) GetThemeInt = nullptr;
    decltype(&::GetThemeEnumValue) GetThemeEnumValue = nullptr;
    decltype(&::GetThemePosition) GetThemePosition = nullptr;
    decltype(&::GetThemeFont) GetThemeFont = nullptr;
    decltype(&::GetThemeRect) GetThemeRect = nullptr;
    decltype(&::GetThemeMargins) GetThemeMargins = nullptr;
    decltype(&::GetThemeIntList) GetThemeIntList = nullptr;
    decltype(&::SetWindowTheme) SetWindowTheme = nullptr;
    decltype(&::GetThemeFilename) GetThemeFilename = nullptr;
    decltype(&::GetThemeSysColor) GetThemeSysColor = nullptr;
    decltype(&::GetThemeSysColorBrush) GetThemeSysColorBrush = nullptr;
    decltype(&::GetThemeSysBool) GetThemeSysBool = nullptr;
    decltype(&::GetThemeSysSize) GetThemeSysSize = nullptr;
    decltype(&::GetThemeSysFont) GetThemeSysFont = nullptr;
    decltype(&::GetThemeSysString) GetThemeSysString = nullptr;
    decltype(&::GetThemeSysInt) GetThemeSysInt = nullptr;
    decltype(&::IsThemeActive) IsThemeActive = nullptr;
    decltype(&::IsAppThemed) IsAppThemed = nullptr;
    decltype(&::GetWindowTheme) GetWindowTheme = nullptr;
    decltype(&::EnableThemeDialogTexture) EnableThemeDialogTexture = nullptr;
    decltype(&::IsThemeDialogTextureEnabled) IsThemeDialogTextureEnabled = nullptr;
    decltype(&::GetThemeAppProperties) GetThemeAppProperties = nullptr;
    decltype(&::SetThemeAppProperties) SetThemeAppProperties = nullptr;
    decltype(&::GetCurrentThemeName) GetCurrentThemeName = nullptr;
    decltype(&::GetThemeDocumentationProperty) GetThemeDocumentationProperty = nullptr;
    decltype(&::DrawThemeParentBackground) DrawThemeParentBackground = nullptr;
    decltype(&::EnableTheming) EnableTheming = nullptr;
};

// One binding instance: its own table, bound flag and module handle. The grid family has
// this one (PlusXPVS); the date-time picker and the drop-down editors keep their own.
class TThemeBinding {
public:
    void Bind();
    void Unbind();
    bool Bound() const { return bound_; }
    HMODULE Library() const { return library_; }
    const TThemeAPI& API() const { return api_; }
    // The entry names in binding order.
    static const char* const EntryNames[45];

private:
    bool bound_ = false;
    HMODULE library_ = nullptr;
    TThemeAPI api_;
};

// The grid family's instance, bound on first use if the start-up has not done it yet.
TThemeBinding& PlusXPVS();
void BindThemeAPI();
void UnbindThemeAPI();
