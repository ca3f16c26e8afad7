// Hints and balloons: the hint window that measures and draws mini-HTML and encoded wide text,
// the grid's hint over a cell (text, place, colour, window class, the cell as the area the hint
// stays for), the balloon settings with the set-up and removal of the balloon tool tip, and the
// on-screen size of a cell's graphic and the line count of a row.
#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"
#include "components/grid/HtmlRender.h"
#include "components/grid/HtmlUtils.h"
#include "components/grid/LayeredWindows.h"

#include "platform/framework/Forms.h"
#include "platform/framework/ImgList.h"
#include "platform/win/WinGdi.h"
#include "platform/win/WinToolTip.h"
#include "platform/win/WinWindow.h"

#include <algorithm>

String HintFontName;

// ---------------------------------------------------------------- hint window

THTMLHintWindow::THTMLHintWindow(TComponent* owner) : THintWindow(owner)
{
}

namespace {

bool IsWideHint(const String& hint)
{
    return GetCellTextKind(hint, true) == 5;
}

} // namespace

TSize THTMLHintWindow::Measure(const String& hint, int maxWidth)
{
    // measured on a canvas of its own: the window's image changes size when it is shown
    if (measure_.Width() < 1)
        measure_.SetSize(1, 1);
    TCanvas* canvas = measure_.Canvas();
    canvas->Font->Assign(Font());
    if (IsWideHint(hint)) {
        wideText_ = DecodeWideCellText(hint);
        if (!HintFontName.empty())
            canvas->Font->Name = HintFontName;
        canvas->RequiredState();
        RECT r = TRect(0, 0, maxWidth, 0);
        const int h = DrawTextW(canvas->Handle(), wideText_.c_str(), int(wideText_.size()), &r,
                                DT_NOPREFIX | DT_CALCRECT | DT_SINGLELINE);
        return TSize{r.right, h};
    }
    wideText_.clear();
    THtmlDrawArgs args;
    args.MeasureOnly = true;
    args.LinkColor = clBlue;
    THtmlDrawResult result;
    DrawHtml(canvas, hint, TRect(0, 0, maxWidth, 4096), args, result);
    return TSize{result.ExtentX, result.ExtentY};
}

TRect THTMLHintWindow::CalcHintRect(int maxWidth, const String& hint, void*)
{
    const TSize size = Measure(hint, maxWidth);
    return TRect(0, 0, size.cx, size.cy);
}

void THTMLHintWindow::ActivateHint(const TRect& rect, const String& hint)
{
    ActivateHintData(rect, hint, nullptr);
}

void THTMLHintWindow::ActivateHintData(const TRect& area, const String& hint, void* data)
{
    TRect rect = area;
    rect.Right = rect.Left + 1008;
    const TSize size = Measure(hint, rect.Right - rect.Left);
    const int margin = wideText_.empty() ? 16 : 8;
    TextWidth = size.cx;
    TextHeight = size.cy;
    rect.Right = rect.Left + size.cx + margin;
    rect.Bottom = rect.Top + size.cy + 4;
    // kept on the screen: shifted left, or up, so that it ends 2 pixels inside
    const int screenWidth = Screen->Width(), screenHeight = Screen->Height();
    if (rect.Right > screenWidth) {
        const int w = rect.Right - rect.Left;
        rect.Right = screenWidth - 2;
        rect.Left = rect.Right - w;
    }
    if (rect.Bottom > screenHeight) {
        rect.Bottom = screenHeight - 2;
        rect.Top = rect.Bottom - size.cy - 4;
    }
    ShownRect = rect;
    THintWindow::ActivateHintData(rect, hint, data);
}

void THTMLHintWindow::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client(0, 0, Width(), Height());
    canvas->Brush->Color = Color();
    canvas->FillRect(client);
    canvas->Pen->Width = 1;
    canvas->Pen->Color = cl3DLight;
    canvas->MoveTo(client.Left, client.Bottom - 2);
    canvas->LineTo(client.Left, client.Top);
    canvas->LineTo(client.Right - 1, client.Top);
    canvas->Pen->Color = cl3DDkShadow;
    canvas->MoveTo(client.Left, client.Bottom - 1);
    canvas->LineTo(client.Right - 1, client.Bottom - 1);
    canvas->LineTo(client.Right - 1, client.Top - 1);
    TRect text(client.Left + 4, 0, client.Right - 4, 0);
    text.Top = client.Top + (client.Bottom - client.Top - TextHeight) / 2;
    text.Bottom = text.Top + TextHeight + 8;
    canvas->Brush->Color = Color();
    canvas->Font->Color = clInfoText;
    if (!wideText_.empty()) {
        if (!HintFontName.empty())
            canvas->Font->Name = HintFontName;
        canvas->Brush->Style = bsClear;
        canvas->RequiredState();
        RECT r = text;
        DrawTextW(canvas->Handle(), wideText_.c_str(), int(wideText_.size()), &r, DT_NOPREFIX | DT_SINGLELINE);
        canvas->Brush->Style = bsSolid;
        return;
    }
    THtmlDrawArgs args;
    args.LinkColor = clBlue;
    THtmlDrawResult result;
    DrawHtml(canvas, Caption(), text, args, result);
}

// ---------------------------------------------------------------- balloon settings

void TBalloonSettings::SetEnable(bool value)
{
    enable_ = value;
    if (OnEnableChange)
        OnEnableChange(this);
}

void TBalloonSettings::Assign(TPersistent* source)
{
    auto* o = dynamic_cast<TBalloonSettings*>(source);
    if (!o || o == this)
        return;
    TextColor = o->TextColor;
    BackgroundColor = o->BackgroundColor;
    InitialDelay = o->InitialDelay;
    AutoHideDelay = o->AutoHideDelay;
    ReshowDelay = o->ReshowDelay;
    enable_ = o->enable_;
}

// ---------------------------------------------------------------- the grid's hints

TBalloonSettings* TPlusStringGrid::Balloon()
{
    if (!balloon_) {
        balloon_ = std::make_unique<TBalloonSettings>();
        balloon_->OnEnableChange = [this](TObject* sender) { BalloonSettingsChanged(sender); };
    }
    return balloon_.get();
}

void TPlusStringGrid::BalloonSettingsChanged(TObject*)
{
    if (Loading())
        return;
    if (Balloon()->Enable())
        InitBalloonHints();
    else
        DoneBalloonHints();
}

void TPlusStringGrid::ShowModifiedChanged(TObject*) { RepaintCol(0); }

void TPlusStringGrid::BandsChanged(TObject*) { Invalidate(); }

void TPlusStringGrid::UnitChanged(TObject* sender, const String& newUnit)
{
    if (OnUnitChanged)
        OnUnitChanged(sender, Col(), Row(), newUnit);
}

void TPlusStringGrid::CreateBalloonToolTipWindow()
{
    // the always-tip, no-prefix balloon style, owned by the grid and kept above other windows
    ++BalloonToolTip.Creations;
    BalloonToolTip.Style = TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON;
    BalloonToolTip.ToolAdded = false;
    HWND tip = CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, BalloonToolTip.Style, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, GetModuleHandle(nullptr), nullptr);
    BalloonToolTip.Window = tip;
    BalloonToolTip.Exists = tip != nullptr;
    BalloonToolTip.Topmost =
        tip && SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TPlusStringGrid::DestroyBalloonToolTipWindow()
{
    if (!BalloonToolTip.Exists)
        return;
    DestroyWindow(BalloonToolTip.Window);
    BalloonToolTip.Window = nullptr;
    BalloonToolTip.Exists = false;
    BalloonToolTip.ToolAdded = false;
    ++BalloonToolTip.Destructions;
}

void TPlusStringGrid::AddBalloonToolTip(int iconType, const String&, const String& title)
{
    // the text is asked from the grid when the balloon shows, so only the title and icon stay
    if (!HandleAllocated() || !BalloonToolTip.Exists)
        return;
    TOOLINFO tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hinst = GetModuleHandle(nullptr);
    tool.hwnd = Handle();
    tool.uId = UINT_PTR(Handle());
    tool.rect = ClientRect();
    tool.lpszText = LPSTR_TEXTCALLBACK;
    BalloonToolTip.ToolAdded = SendMessage(BalloonToolTip.Window, TTM_ADDTOOL, 0, LPARAM(&tool)) != 0;
    BalloonToolTip.ToolFlags = tool.uFlags;
    BalloonToolTip.ToolRect = ClientRect();
    // the title goes through a buffer of 256 characters: a longer one is cut, never overrun
    char buffer[256] = {};
    const size_t length = std::min(title.size(), sizeof buffer - 1);
    std::copy_n(title.data(), length, buffer);
    BalloonToolTip.Title = String(buffer, length);
    BalloonToolTip.Icon = iconType >= 0 && iconType <= 3 ? iconType : 0;
    SendMessage(BalloonToolTip.Window, TTM_SETTITLE, WPARAM(BalloonToolTip.Icon), LPARAM(buffer));
}

void TPlusStringGrid::InitBalloonHints()
{
    TBalloonSettings* b = Balloon();
    if (b->Created)
        return;
    b->Created = true;
    HandleNeeded();
    CreateBalloonToolTipWindow();
    AddBalloonToolTip(3, "ToolTipText", "ToolTipText");
    HWND tip = BalloonToolTip.Window;
    // a delay of -1 keeps the tool tip's own
    SendMessage(tip, TTM_SETDELAYTIME, TTDT_INITIAL, LPARAM(LOWORD(b->InitialDelay)));
    SendMessage(tip, TTM_SETDELAYTIME, TTDT_RESHOW, LPARAM(LOWORD(b->ReshowDelay)));
    SendMessage(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, LPARAM(LOWORD(b->AutoHideDelay)));
    BalloonToolTip.InitialDelay = b->InitialDelay;
    BalloonToolTip.ReshowDelay = b->ReshowDelay;
    BalloonToolTip.AutoHideDelay = b->AutoHideDelay;
    BalloonToolTip.Alpha = b->Transparency != 0 ? 255 - b->Transparency : 255;
    if (b->Transparency != 0)
        ShowLayeredWindowAlpha(tip, TColor(0), BYTE(BalloonToolTip.Alpha), TRect(0, 0, 100, 100));
}

void TPlusStringGrid::DoneBalloonHints()
{
    DestroyBalloonToolTipWindow();
    Balloon()->Created = false;
}

void ShowLayeredWindowAlpha(HWND wnd, TColor colorKey, BYTE alpha, const TRect& r)
{
    if (!wnd)
        return;
    SetWindowLong(wnd, GWL_EXSTYLE, GetWindowLong(wnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    CallSetLayeredWindowAttributes(wnd, COLORREF(colorKey), alpha, LWA_ALPHA);
    HDC screen = GetDC(nullptr);
    HDC own = GetDC(wnd);
    POINT source{r.Left, r.Top};
    SIZE size{r.Right - r.Left, r.Bottom - r.Top};
    BLENDFUNCTION blend{};
    CallUpdateLayeredWindow(wnd, screen, nullptr, &size, own, &source, COLORREF(colorKey), &blend, ULW_ALPHA);
    ReleaseDC(wnd, own);
    ReleaseDC(nullptr, screen);
}

bool TPlusStringGrid::HintShow(THintInfo& info)
{
    HintFontName = Font()->Name;
    bool canShow = true;
    BuildCellHint(info.HintStr, canShow, info);
    int col = -1, row = -1;
    MouseToCell(info.CursorPos.X, info.CursorPos.Y, col, row);
    // the hint stays while the mouse is on this cell; another cell asks again
    if (col >= 0 && row >= 0 && col < ColCount() && row < RowCount())
        info.CursorRect = CellRect(col, row);
    if (!canShow || info.HintStr.empty())
        return false;
    const uint8_t kind = GetCellTextKind(info.HintStr, true);
    if (UseInternalHintClass && (kind == 1 || kind == 5))
        info.HintWindowClass = [](TComponent* owner) -> THintWindow* { return new THTMLHintWindow(owner); };
    return true;
}

// ---------------------------------------------------------------- cell hints and graphic sizes

namespace {

// Check boxes and radio buttons in cells are drawn this many pixels square.
constexpr int kCheckSize = 15;
constexpr int kRadioSize = 10;

} // namespace

void TPlusStringGrid::BuildCellHint(String& hintStr, bool& canShow, THintInfo& info)
{
    int col = -1, row = -1;
    MouseToCell(info.CursorPos.X, info.CursorPos.Y, col, row);
    if (col >= 0 && row >= 0 && col < ColCount() && row < RowCount()) {
        HintCell = TPoint(col, row);
        const TRect r = MergedCellRect(col, row);
        const int realCol = DisplayToRealColumn(col);
        TPoint at(info.CursorPos.X, r.Bottom + 6);
        const TCellGraphic* graphic = GetCellGraphicOf(realCol, row);
        if (graphic && graphic->CellType == ctComment) {
            hintStr = graphic->CellText;
            at = TPoint(r.Right, r.Top);
        }
        const String raw = Cells(realCol, row);
        const bool html = EnableHTML && GetCellTextKind(raw, true) == ctkHtml;
        if (HintShowCells && col >= TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows() &&
            col < ColCount() - fixedRightCols_ && row < RowCount() - fixedFooters_) {
            at.Y = r.Top;
            hintStr = HTMLHint ? raw : HtmlToPlainText(raw);
        }
        if (HintShowLargeText) {
            TBitmap measure;
            measure.SetSize(1, 1);
            measure.Canvas()->Font->Assign(row < TBaseGrid::FixedRows() ? FixedFont() : Font());
            const String plain = HtmlToPlainText(raw);
            const int textWidth = measure.Canvas()->TextWidth(plain) + 2 * XYOffset.X;
            const int textHeight = measure.Canvas()->TextHeight(plain.empty() ? "gh" : plain) * CountTextLines(plain, true);
            if (!plain.empty() && (r.Width() < textWidth || r.Height() < textHeight)) {
                at.Y = r.Top;
                hintStr = html && !HTMLHint ? plain : raw;
            }
        }
        if (OnGridHint)
            OnGridHint(this, row, realCol, hintStr);
        info.HintPos = ClientToScreen(at);
    }
    info.HintColor = HintColor;
}

void TPlusStringGrid::GetCellGraphicSize(int col, int row, TPoint& size)
{
    size = TPoint(0, 0);
    TCellGraphic* g = GetCellGraphicOf(col, row);
    if (!g)
        return;
    const String text = Cells(col, row);
    const bool beside = g->CellHAlign == haBeforeText || g->CellHAlign == haAfterText;
    const bool overUnder = g->CellVAlign == vaUnderText || g->CellVAlign == vaAboveText;
    TBitmap measure;
    measure.SetSize(1, 1);
    TCanvas* canvas = measure.Canvas();
    canvas->Font->Assign(Font());
    const TRect cell = MergedCellRect(RealToDisplayColumn(col), row);
    switch (g->CellType) {
    case ctBitmap:
        if (auto* bitmap = dynamic_cast<TBitmap*>(g->CellData)) {
            size.X = beside || text.empty() ? bitmap->Width() : 0;
            size.Y = overUnder || text.empty() ? bitmap->Height() : 0;
        }
        break;
    case ctImageList:
    case ctDataImage:
        if (GridImages) {
            size.X = beside || text.empty() ? GridImages->Width() : 0;
            size.Y = overUnder || text.empty() ? GridImages->Height() : 0;
        }
        break;
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox: size = TPoint(kCheckSize, kCheckSize); break;
    case ctButton:
    case ctBitButton:
        size.X = g->CellIndex & 0xFFFF;
        size.Y = (g->CellIndex >> 16) & 0xFFFF;
        if (!text.empty()) {
            if (g->CellHAlign == haCenter)
                size.X = 0;
            else if (g->CellHAlign == haFull)
                size.X = canvas->TextWidth(g->CellText) + 4;
            if (overUnder)
                size.X = 0;
            if (!overUnder)
                size.Y = 0;
        } else if (g->CellHAlign == haFull) {
            size.X = canvas->TextWidth(g->CellText) + 4;
        }
        break;
    case ctProgressPie: size = TPoint(20, 20); break;
    case ctRadioButton: size = TPoint(kRadioSize, kRadioSize); break;
    case ctRating: size = TPoint(g->CellAngle * 18, 16); break;
    default: break;
    }
    if (g->CellVAlign == vaFull)
        size.Y = cell.Height();
    const bool buttonWithoutText = (g->CellType == ctButton || g->CellType == ctBitButton) && text.empty() &&
                                   !g->CellText.empty();
    if (g->CellHAlign == haFull && g->CellType != ctRating && !buttonWithoutText)
        size.X = cell.Width();
}

int TPlusStringGrid::MaxRowLineCount(int row)
{
    if (ColCount() == 0 || !Multilinecells || row < 0 || row >= RowCount())
        return 1;
    int lines = 1;
    for (int c = 0; c < ColCount(); ++c)
        lines = std::max(lines, CountTextLines(Cells(DisplayToRealColumn(c), row), true));
    return lines;
}
