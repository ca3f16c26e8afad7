#include "platform/win/WinUxTheme.h"

#include "platform/win/WinModule.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOption>
#include <qdrawutil.h>
#include <QWidget>
#include <cstring>

namespace {

bool themeActive = true;

struct ThemeHandle {
    QString className;
    HWND window = nullptr;
};

ThemeHandle* AsTheme(HTHEME theme)
{
    return static_cast<ThemeHandle*>(theme);
}

QString FirstClass(LPCWSTR classList)
{
    if (!classList)
        return QString();
    size_t n = 0;
    while (classList[n])
        ++n;
    const QString list = QString::fromUtf16(classList, qsizetype(n));
    return list.section(';', 0, 0).trimmed().toUpper();
}

void CopyWide(const QString& text, LPWSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return;
    const int n = std::min(int(text.size()), size - 1);
    for (int i = 0; i < n; ++i)
        buffer[i] = char16_t(text.at(i).unicode());
    buffer[n] = 0;
}

QStyle::State StateFlags(bool disabled, bool hot, bool pressed)
{
    QStyle::State s = QStyle::State_None;
    if (!disabled)
        s |= QStyle::State_Enabled;
    if (hot)
        s |= QStyle::State_MouseOver;
    if (pressed)
        s |= QStyle::State_Sunken;
    return s;
}

void DrawButtonWithArrow(QPainter* p, QStyle* style, const QRect& r, QStyle::State state, QStyle::PrimitiveElement arrow)
{
    QStyleOptionButton button;
    button.rect = r;
    button.state = state | QStyle::State_Raised;
    button.palette = QApplication::palette();
    style->drawControl(QStyle::CE_PushButtonBevel, &button, p);
    QStyleOption glyph;
    glyph.rect = r.adjusted(2, 2, -2, -2);
    glyph.state = state;
    glyph.palette = QApplication::palette();
    style->drawPrimitive(arrow, &glyph, p);
}

} // namespace

HTHEME OpenThemeData(HWND window, LPCWSTR classList)
{
    if (!themeActive)
        return nullptr;
    const QString name = FirstClass(classList);
    if (name.isEmpty())
        return nullptr;
    auto* theme = new ThemeHandle;
    theme->className = name;
    theme->window = window;
    return theme;
}

HRESULT CloseThemeData(HTHEME theme)
{
    delete AsTheme(theme);
    return S_OK;
}

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip)
{
    ThemeHandle* t = AsTheme(theme);
    if (!t || !dc || !rect)
        return E_INVALIDARG;
    TGdiRecord rec = dc->MakeRecord("DrawThemeBackground");
    rec.Rect = *rect;
    rec.Text = FromQString(t->className);
    rec.Points = {POINT{part, state}};
    dc->Record(rec);
    QPainter* p = BeginGdiPaint(dc);
    if (!p)
        return S_OK;
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (clip)
        p->setClipRect(dc->ToDevice(*clip), p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    const QRect r = dc->ToDevice(*rect);
    QStyle* style = QApplication::style();
    const QString& c = t->className;
    if (c == "BUTTON" && (part == BP_CHECKBOX || part == BP_RADIOBUTTON)) {
        const int group = (std::max(1, state) - 1) / 4; // 0 unchecked, 1 checked, 2 mixed
        const int within = (std::max(1, state) - 1) % 4;
        QStyleOptionButton box;
        box.rect = r;
        box.palette = QApplication::palette();
        box.state = StateFlags(within == 3, within == 1, within == 2);
        box.state |= group == 1 ? QStyle::State_On : group == 2 ? QStyle::State_NoChange : QStyle::State_Off;
        style->drawPrimitive(part == BP_CHECKBOX ? QStyle::PE_IndicatorCheckBox : QStyle::PE_IndicatorRadioButton, &box, p);
    } else if (c == "BUTTON") {
        QStyleOptionButton button;
        button.rect = r;
        button.palette = QApplication::palette();
        button.state = StateFlags(state == PBS_DISABLED, state == PBS_HOT, state == PBS_PRESSED);
        button.state |= state == PBS_PRESSED ? QStyle::State_Sunken : QStyle::State_Raised;
        if (state == PBS_DEFAULTED)
            button.features |= QStyleOptionButton::DefaultButton;
        style->drawControl(QStyle::CE_PushButtonBevel, &button, p);
    } else if (c == "COMBOBOX") {
        DrawButtonWithArrow(p, style, r, StateFlags(state == CBXS_DISABLED, state == CBXS_HOT, state == CBXS_PRESSED),
                            QStyle::PE_IndicatorArrowDown);
    } else if (c == "SPIN") {
        DrawButtonWithArrow(p, style, r, StateFlags(state == 4, state == 2, state == 3),
                            part == SPNP_UP ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown);
    } else if (c == "SCROLLBAR") {
        static const QStyle::PrimitiveElement arrows[] = {QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown,
                                                          QStyle::PE_IndicatorArrowLeft, QStyle::PE_IndicatorArrowRight};
        DrawButtonWithArrow(p, style, r, StateFlags(false, false, false), arrows[std::clamp((state - 1) / 4, 0, 3)]);
    } else if (c == "HEADER") {
        QStyleOptionHeader header;
        header.rect = r;
        header.palette = QApplication::palette();
        header.state = StateFlags(false, state == 2, state == 3) | QStyle::State_Raised | QStyle::State_Horizontal;
        style->drawControl(QStyle::CE_HeaderSection, &header, p);
    } else if (c == "PROGRESS") {
        if (part == PP_CHUNK)
            p->fillRect(r, QApplication::palette().highlight());
        else
            qDrawShadePanel(p, r, QApplication::palette(), true, 1, &QApplication::palette().base());
    } else if (c == "TREEVIEW" && part == 2) {
        QStyleOption branch;
        branch.rect = r;
        branch.palette = QApplication::palette();
        branch.state = QStyle::State_Enabled | QStyle::State_Children | (state == 2 ? QStyle::State_Open : QStyle::State_None);
        style->drawPrimitive(QStyle::PE_IndicatorBranch, &branch, p);
    } else if (c == "EDIT") {
        QStyleOptionFrame frame;
        frame.rect = r;
        frame.palette = QApplication::palette();
        frame.state = StateFlags(state == 4, false, false) | QStyle::State_Sunken;
        frame.lineWidth = 1;
        style->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, p);
    } else {
        QStyleOption panel;
        panel.rect = r;
        panel.palette = QApplication::palette();
        panel.state = QStyle::State_Enabled;
        style->drawPrimitive(QStyle::PE_PanelButtonTool, &panel, p);
    }
    p->restore();
    return S_OK;
}

HRESULT DrawThemeText(HTHEME theme, HDC dc, int, int, LPCWSTR text, int count, DWORD flags, DWORD, const RECT* rect)
{
    if (!theme || !dc || !rect)
        return E_INVALIDARG;
    RECT r = *rect;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, count, &r, flags);
    SetBkMode(dc, oldMode);
    return S_OK;
}

HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC, int, int, const RECT* bounding, RECT* content)
{
    if (!theme || !bounding || !content)
        return E_INVALIDARG;
    *content = *bounding;
    InflateRect(content, -2, -2);
    return S_OK;
}

HRESULT GetThemeBackgroundExtent(HTHEME theme, HDC, int, int, const RECT* content, RECT* extent)
{
    if (!theme || !content || !extent)
        return E_INVALIDARG;
    *extent = *content;
    InflateRect(extent, 2, 2);
    return S_OK;
}

HRESULT GetThemeTextExtent(HTHEME theme, HDC dc, int, int, LPCWSTR text, int count, DWORD flags, const RECT* bounding,
                           RECT* extent)
{
    if (!theme || !dc || !extent)
        return E_INVALIDARG;
    RECT r = bounding ? *bounding : RECT{};
    DrawTextW(dc, text, count, &r, flags | DT_CALCRECT);
    *extent = r;
    return S_OK;
}

HRESULT GetThemeTextMetrics(HTHEME theme, HDC dc, int, int, TEXTMETRICW* metrics)
{
    if (!theme || !dc)
        return E_INVALIDARG;
    return GetTextMetrics(dc, metrics) ? S_OK : E_FAIL;
}

HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC, int, int, const RECT* rect, HRGN* region)
{
    if (!theme || !rect || !region)
        return E_INVALIDARG;
    *region = CreateRectRgnIndirect(rect);
    return S_OK;
}

HRESULT HitTestThemeBackground(HTHEME theme, HDC, int, int, DWORD, const RECT* rect, HRGN, POINT test, WORD* code)
{
    if (!theme || !rect || !code)
        return E_INVALIDARG;
    *code = PtInRect(rect, test) ? 1 : 0; // HTCLIENT or HTNOWHERE
    return S_OK;
}

HRESULT DrawThemeEdge(HTHEME theme, HDC, int, int, const RECT* dest, UINT, UINT, RECT* content)
{
    if (!theme || !dest)
        return E_INVALIDARG;
    if (content) {
        *content = *dest;
        InflateRect(content, -2, -2);
    }
    return S_OK;
}

HRESULT DrawThemeIcon(HTHEME, HDC, int, int, const RECT*, HIMAGELIST, int) { return E_NOTIMPL; }
BOOL IsThemePartDefined(HTHEME theme, int, int) { return theme != nullptr; }
BOOL IsThemeBackgroundPartiallyTransparent(HTHEME, int, int) { return TRUE; }

HRESULT GetThemeColor(HTHEME theme, int, int, int, COLORREF* color)
{
    if (!theme || !color)
        return E_INVALIDARG;
    *color = QColorToColorRef(QApplication::palette().button().color());
    return S_OK;
}

HRESULT GetThemeMetric(HTHEME, HDC, int, int, int, int*) { return E_NOTIMPL; }
HRESULT GetThemeString(HTHEME, int, int, int, LPWSTR, int) { return E_NOTIMPL; }
HRESULT GetThemeBool(HTHEME, int, int, int, BOOL*) { return E_NOTIMPL; }
HRESULT GetThemeInt(HTHEME, int, int, int, int*) { return E_NOTIMPL; }
HRESULT GetThemeEnumValue(HTHEME, int, int, int, int*) { return E_NOTIMPL; }
HRESULT GetThemePosition(HTHEME, int, int, int, POINT*) { return E_NOTIMPL; }
HRESULT GetThemeFont(HTHEME, HDC, int, int, int, LOGFONTW*) { return E_NOTIMPL; }
HRESULT GetThemeRect(HTHEME, int, int, int, RECT*) { return E_NOTIMPL; }
HRESULT GetThemeMargins(HTHEME, HDC, int, int, int, RECT*, MARGINS*) { return E_NOTIMPL; }
HRESULT GetThemeIntList(HTHEME, int, int, int, INTLIST*) { return E_NOTIMPL; }
HRESULT SetWindowTheme(HWND, LPCWSTR, LPCWSTR) { return S_OK; }
HRESULT GetThemeFilename(HTHEME, int, int, int, LPWSTR, int) { return E_NOTIMPL; }
COLORREF GetThemeSysColor(HTHEME, int colorId) { return GetSysColor(colorId); }
HBRUSH GetThemeSysColorBrush(HTHEME, int colorId) { return GetSysColorBrush(colorId); }
BOOL GetThemeSysBool(HTHEME, int) { return FALSE; }
int GetThemeSysSize(HTHEME, int sizeId) { return GetSystemMetrics(sizeId); }
HRESULT GetThemeSysFont(HTHEME, int, LOGFONTW*) { return E_NOTIMPL; }
HRESULT GetThemeSysString(HTHEME, int, LPWSTR, int) { return E_NOTIMPL; }
HRESULT GetThemeSysInt(HTHEME, int, int*) { return E_NOTIMPL; }
BOOL IsThemeActive() { return themeActive ? TRUE : FALSE; }
BOOL IsAppThemed() { return themeActive ? TRUE : FALSE; }
HTHEME GetWindowTheme(HWND) { return nullptr; }
HRESULT EnableThemeDialogTexture(HWND, DWORD) { return S_OK; }
BOOL IsThemeDialogTextureEnabled(HWND) { return FALSE; }
DWORD GetThemeAppProperties() { return themeActive ? 3 : 0; }
void SetThemeAppProperties(DWORD) {}

HRESULT GetCurrentThemeName(LPWSTR fileName, int maxFile, LPWSTR colorName, int maxColor, LPWSTR sizeName, int maxSize)
{
    if (!themeActive)
        return E_FAIL;
    CopyWide("Fusion", fileName, maxFile);
    CopyWide("NormalColor", colorName, maxColor);
    CopyWide("NormalSize", sizeName, maxSize);
    return S_OK;
}

HRESULT GetThemeDocumentationProperty(LPCWSTR, LPCWSTR, LPWSTR, int) { return E_NOTIMPL; }

HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect)
{
    if (!dc)
        return E_INVALIDARG;
    RECT r{};
    if (rect)
        r = *rect;
    else
        GetClientRect(window, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    return S_OK;
}

HRESULT EnableTheming(BOOL enable)
{
    themeActive = enable != FALSE;
    return S_OK;
}

void SetThemeActiveForTest(bool active)
{
    themeActive = active;
}

namespace {
#define ENTRY(name) {#name, AsProc(&::name)}
const std::vector<std::pair<std::string, FARPROC>>& Entries()
{
    static const std::vector<std::pair<std::string, FARPROC>> entries = {
        ENTRY(OpenThemeData), ENTRY(CloseThemeData), ENTRY(DrawThemeBackground), ENTRY(DrawThemeText),
        ENTRY(GetThemeBackgroundContentRect), ENTRY(GetThemeBackgroundExtent), ENTRY(GetThemeTextExtent),
        ENTRY(GetThemeTextMetrics), ENTRY(GetThemeBackgroundRegion), ENTRY(HitTestThemeBackground),
        ENTRY(DrawThemeEdge), ENTRY(DrawThemeIcon), ENTRY(IsThemePartDefined),
        ENTRY(IsThemeBackgroundPartiallyTransparent), ENTRY(GetThemeColor), ENTRY(GetThemeMetric),
        ENTRY(GetThemeString), ENTRY(GetThemeBool), ENTRY(GetThemeInt), ENTRY(GetThemeEnumValue),
        ENTRY(GetThemePosition), ENTRY(GetThemeFont), ENTRY(GetThemeRect), ENTRY(GetThemeMargins),
        ENTRY(GetThemeIntList), ENTRY(SetWindowTheme), ENTRY(GetThemeFilename), ENTRY(GetThemeSysColor),
        ENTRY(GetThemeSysColorBrush), ENTRY(GetThemeSysBool), ENTRY(GetThemeSysSize), ENTRY(GetThemeSysFont),
        ENTRY(GetThemeSysString), ENTRY(GetThemeSysInt), ENTRY(IsThemeActive), ENTRY(IsAppThemed),
        ENTRY(GetWindowTheme), ENTRY(EnableThemeDialogTexture), ENTRY(IsThemeDialogTextureEnabled),
        ENTRY(GetThemeAppProperties), ENTRY(SetThemeAppProperties), ENTRY(GetCurrentThemeName),
        ENTRY(GetThemeDocumentationProperty), ENTRY(DrawThemeParentBackground), ENTRY(EnableTheming),
    };
    return entries;
}
#undef ENTRY
} // namespace

const std::vector<std::string>& UxThemeEntryNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const auto& e : Entries())
            n.push_back(e.first);
        return n;
    }();
    return names;
}

void RegisterUxThemeModule()
{
    RegisterModule("UXTHEME.DLL", Entries());
}
