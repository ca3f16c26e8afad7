// Hints and balloons: the hint window that measures and draws mini-HTML and encoded wide text,
// the grid's preparation of a cell's hint (text, colour, window class, the cell as the area the
// hint stays for), and the balloon settings with the set-up and removal of the balloon tool tip.
#include "PlusGrid.h"

#include "CellText.h"
#include "HtmlRender.h"

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

String WideToUtf8(const WideString& text)
{
    return FromQString(WideToQString(text));
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
        wideText_ = WideToUtf8(DecodeWideCellText(hint));
        if (!HintFontName.empty())
            canvas->Font->Name = HintFontName;
        canvas->RequiredState();
        RECT r = TRect(0, 0, maxWidth, 0);
        const int h = ::DrawText(canvas->Handle(), wideText_, &r, DT_NOPREFIX | DT_CALCRECT | DT_SINGLELINE);
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
        ::DrawText(canvas->Handle(), wideText_, &r, DT_NOPREFIX | DT_SINGLELINE);
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
        balloon_->OnEnableChange = [this](TObject*) {
            if (Loading())
                return;
            if (balloon_->Enable())
                InitBalloonHints();
            else
                DoneBalloonHints();
        };
    }
    return balloon_.get();
}

void TPlusStringGrid::InitBalloonHints()
{
    TBalloonSettings* b = Balloon();
    if (b->Created)
        return;
    b->Created = true;
    ++BalloonToolTip.Creations;
    BalloonToolTip.Exists = true;
    BalloonToolTip.Title = "ToolTipText";
    BalloonToolTip.Icon = 3;
    BalloonToolTip.InitialDelay = b->InitialDelay;
    BalloonToolTip.ReshowDelay = b->ReshowDelay;
    BalloonToolTip.AutoHideDelay = b->AutoHideDelay;
    BalloonToolTip.Alpha = b->Transparency != 0 ? 255 - b->Transparency : 255;
}

void TPlusStringGrid::DoneBalloonHints()
{
    TBalloonSettings* b = Balloon();
    if (BalloonToolTip.Exists) {
        BalloonToolTip.Exists = false;
        ++BalloonToolTip.Destructions;
    }
    b->Created = false;
}

bool TPlusStringGrid::HintShow(THintInfo& info)
{
    HintFontName = Font()->Name;
    int col = -1, row = -1;
    MouseToCell(info.CursorPos.X, info.CursorPos.Y, col, row);
    String hint = info.HintStr;
    if (col >= 0 && row >= 0 && col < ColCount() && row < RowCount()) {
        HintCell = TPoint(col, row);
        if (OnGridHint)
            OnGridHint(this, row, DisplayToRealColumn(col), hint);
        // the hint stays while the mouse is on this cell; another cell asks again
        info.CursorRect = CellRect(col, row);
    }
    if (hint.empty())
        return false;
    info.HintStr = hint;
    info.HintColor = HintColor;
    const uint8_t kind = GetCellTextKind(hint, true);
    if (UseInternalHintClass && (kind == 1 || kind == 5))
        info.HintWindowClass = [](TComponent* owner) -> THintWindow* { return new THTMLHintWindow(owner); };
    return true;
}
