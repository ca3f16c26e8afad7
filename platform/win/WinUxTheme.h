#pragma once
// The visual-style module "UXTHEME.DLL": themed parts drawn through Qt's style. The system
// binds these functions by name at run time (LoadLibrary/GetProcAddress, see WinModule.h); they
// can also be called directly. Parts and states are the API's numbers; the classes known are
// "BUTTON" (push 1, radio 2, check box 3), "COMBOBOX" (drop-down button 1), "SPIN" (up 1,
// down 2), "HEADER" (item 1), "PROGRESS" (bar 1, chunk 3), "EDIT", "TREEVIEW" (glyph 2),
// "SCROLLBAR" (arrow button 1); anything else draws a plain panel.
#include "platform/win/WinGdi.h"

#include <string>
#include <vector>

using HRESULT = int32_t;
using HTHEME = void*;
using LPCWSTR = const char16_t*;
using LPWSTR = char16_t*;
struct IMAGELIST_PLACEHOLDER;
using HIMAGELIST = IMAGELIST_PLACEHOLDER*;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = int32_t(0x80004005u);
constexpr HRESULT E_NOTIMPL = int32_t(0x80004001u);
constexpr HRESULT E_INVALIDARG = int32_t(0x80070057u);

struct MARGINS {
    int cxLeftWidth = 0;
    int cxRightWidth = 0;
    int cyTopHeight = 0;
    int cyBottomHeight = 0;
};

struct INTLIST {
    int iValueCount = 0;
    int iValues[402] = {};
};

using LOGFONTW = LOGFONT;
using TEXTMETRICW = TEXTMETRIC;

// Part and state numbers used by the grid family.
enum : int { BP_PUSHBUTTON = 1, BP_RADIOBUTTON = 2, BP_CHECKBOX = 3 };
enum : int { PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4, PBS_DEFAULTED = 5 };
enum : int { CBS_UNCHECKEDNORMAL = 1, CBS_UNCHECKEDHOT = 2, CBS_UNCHECKEDPRESSED = 3, CBS_UNCHECKEDDISABLED = 4,
             CBS_CHECKEDNORMAL = 5, CBS_CHECKEDHOT = 6, CBS_CHECKEDPRESSED = 7, CBS_CHECKEDDISABLED = 8,
             CBS_MIXEDNORMAL = 9, CBS_MIXEDHOT = 10, CBS_MIXEDPRESSED = 11, CBS_MIXEDDISABLED = 12 };
enum : int { CP_DROPDOWNBUTTON = 1 };
enum : int { CBXS_NORMAL = 1, CBXS_HOT = 2, CBXS_PRESSED = 3, CBXS_DISABLED = 4 };
enum : int { SPNP_UP = 1, SPNP_DOWN = 2 };
enum : int { HP_HEADERITEM = 1 };
enum : int { PP_BAR = 1, PP_CHUNK = 3 };

HTHEME OpenThemeData(HWND window, LPCWSTR classList);
HRESULT CloseThemeData(HTHEME theme);
HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip);
HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count, DWORD flags,
                      DWORD flags2, const RECT* rect);
HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT* bounding,
                                      RECT* content);
HRESULT GetThemeBackgroundExtent(HTHEME theme, HDC dc, int part, int state, const RECT* content, RECT* extent);
HRESULT GetThemeTextExtent(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count, DWORD flags,
                           const RECT* bounding, RECT* extent);
HRESULT GetThemeTextMetrics(HTHEME theme, HDC dc, int part, int state, TEXTMETRICW* metrics);
HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC dc, int part, int state, const RECT* rect, HRGN* region);
HRESULT HitTestThemeBackground(HTHEME theme, HDC dc, int part, int state, DWORD options, const RECT* rect,
                               HRGN region, POINT test, WORD* code);
HRESULT DrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* dest, UINT edge, UINT flags,
                      RECT* content);
HRESULT DrawThemeIcon(HTHEME theme, HDC dc, int part, int state, const RECT* rect, HIMAGELIST list, int index);
BOOL IsThemePartDefined(HTHEME theme, int part, int state);
BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state);
HRESULT GetThemeColor(HTHEME theme, int part, int state, int prop, COLORREF* color);
HRESULT GetThemeMetric(HTHEME theme, HDC dc, int part, int state, int prop, int* value);
HRESULT GetThemeString(HTHEME theme, int part, int state, int prop, LPWSTR buffer, int size);
HRESULT GetThemeBool(HTHEME theme, int part, int state, int prop, BOOL* value);
HRESULT GetThemeInt(HTHEME theme, int part, int state, int prop, int* value);
HRESULT GetThemeEnumValue(HTHEME theme, int part, int state, int prop, int* value);
HRESULT GetThemePosition(HTHEME theme, int part, int state, int prop, POINT* point);
HRESULT GetThemeFont(HTHEME theme, HDC dc, int part, int state, int prop, LOGFONTW* font);
HRESULT GetThemeRect(HTHEME theme, int part, int state, int prop, RECT* rect);
HRESULT GetThemeMargins(HTHEME theme, HDC dc, int part, int state, int prop, RECT* rect, MARGINS* margins);
HRESULT GetThemeIntList(HTHEME theme, int part, int state, int prop, INTLIST* list);
HRESULT SetWindowTheme(HWND window, LPCWSTR appName, LPCWSTR idList);
HRESULT GetThemeFilename(HTHEME theme, int part, int state, int prop, LPWSTR buffer, int size);
COLORREF GetThemeSysColor(HTHEME theme, int colorId);
HBRUSH GetThemeSysColorBrush(HTHEME theme, int colorId);
BOOL GetThemeSysBool(HTHEME theme, int boolId);
int GetThemeSysSize(HTHEME theme, int sizeId);
HRESULT GetThemeSysFont(HTHEME theme, int fontId, LOGFONTW* font);
HRESULT GetThemeSysString(HTHEME theme, int stringId, LPWSTR buffer, int size);
HRESULT GetThemeSysInt(HTHEME theme, int intId, int* value);
BOOL IsThemeActive();
BOOL IsAppThemed();
HTHEME GetWindowTheme(HWND window);
HRESULT EnableThemeDialogTexture(HWND window, DWORD flags);
BOOL IsThemeDialogTextureEnabled(HWND window);
DWORD GetThemeAppProperties();
void SetThemeAppProperties(DWORD flags);
// Theme file "Fusion", colour scheme "NormalColor", size "NormalSize".
HRESULT GetCurrentThemeName(LPWSTR fileName, int maxFile, LPWSTR colorName, int maxColor, LPWSTR sizeName,
                            int maxSize);
HRESULT GetThemeDocumentationProperty(LPCWSTR themeName, LPCWSTR propertyName, LPWSTR value, int size);
HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect);
HRESULT EnableTheming(BOOL enable);

// The 45 entry points of the module in their binding order.
const std::vector<std::string>& UxThemeEntryNames();

// Tests: switch visual styles off (IsThemeActive and IsAppThemed answer FALSE) for a while.
void SetThemeActiveForTest(bool active);
