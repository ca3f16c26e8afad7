// TPlusStringGrid: whether a cell counts as selected, the selection as text, the one-pixel look
// border in the non-client area, common-control notifications (date-time picker changes and
// balloon tool tips), and the never-activating pop-up form.
#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"
#include "components/grid/HtmlUtils.h"
#include "components/grid/PsgUni.h"

#include "platform/win/WinCommCtrl.h"

#include <cstring>

// ---------------------------------------------------------------- selection queries

TIntList* TPlusStringGrid::SelectedCells()
{
    if (!selectedCells_)
        selectedCells_ = std::make_unique<TIntList>(-1, -1);
    return selectedCells_.get();
}

bool TPlusStringGrid::IsCellSelected(int col, int row)
{
    if (row < TBaseGrid::FixedRows() || col < TBaseGrid::FixedCols())
        return false;
    const TMouseActions& ma = *mouseActions_;
    if (ma.DisjunctCellSelect())
        return selectedCells_ && selectedCells_->HasValue(PackCell(col, row));
    if (ma.DisjunctRowSelect())
        return GetRowSelected(ma.RowSelectPersistent ? DisplayToRealRow(row) : row);
    if (ma.DisjunctColSelect())
        return GetColSelected(col);
    const TGridRect s = Selection();
    return col >= s.Left && col <= s.Right && row >= s.Top && row <= s.Bottom;
}

namespace {

bool IsRichText(const String& text)
{
    return text.find(kRtfMarker) != String::npos;
}

} // namespace

String TPlusStringGrid::SelectionAsText(bool entireRows)
{
    TGridRect r = Selection();
    if (Options().Contains(goRowSelect) && entireRows) {
        r.Left = 0;
        r.Right = ColCount() - 1;
    }
    auto cellText = [&](int c, int row) {
        String text = GetCellText(DisplayToRealColumn(c), row);
        if (IsRichText(text))
            text = RichTextToPlainText(text);
        if (Multilinecells && CountTextLines(text, true) > 1 && ClipboardQuoteMultiLine)
            QuoteMultiLineText(text);
        return text;
    };
    auto rowText = [&](int row) {
        String line;
        for (int c = r.Left; c <= r.Right; ++c) {
            line += cellText(c, row);
            if (c < r.Right)
                line += '\t';
        }
        return line;
    };
    String out;
    const TMouseActions& ma = *mouseActions_;
    if (ma.DisjunctRowSelect()) {
        for (int row = TBaseGrid::FixedRows(); row < RowCount(); ++row) {
            if (!GetRowSelected(ma.RowSelectPersistent ? DisplayToRealRow(row) : row))
                continue;
            out += rowText(row);
            if (row != r.Bottom)
                out += "\r\n";
        }
        return out;
    }
    for (int row = r.Top; row <= r.Bottom; ++row) {
        out += rowText(row);
        if (row != r.Bottom)
            out += "\r\n";
    }
    return out;
}

// ---------------------------------------------------------------- look border

void TPlusStringGrid::DrawLookBorder(TCanvas* canvas, int width, int height)
{
    static const TGridLook kBorderLooks[] = {glSoft, glVirel, glXP, glListView, glVista, glWin7, glOffice2007};
    if (std::find(std::begin(kBorderLooks), std::end(kBorderLooks), look_) == std::end(kBorderLooks) ||
        BorderStyle == bsNone || borderColor_ == clNone || flat_)
        return;
    canvas->Brush->Style = bsClear;
    canvas->Pen->Width = 1;
    canvas->Pen->Style = psSolid;
    canvas->Pen->Color = borderColor_;
    if (InsetLookBorder) {
        canvas->MoveTo(1, height);
        canvas->LineTo(1, 1);
        canvas->LineTo(width - 2, 1);
        canvas->LineTo(width - 2, height - 2);
        canvas->LineTo(1, height - 2);
        if (Parent()) {
            canvas->Pen->Color = Parent()->Color();
            canvas->Rectangle(0, 0, width, height);
        }
    } else if (CommonControls6) {
        canvas->Rectangle(0, 0, width, height);
    }
    canvas->Brush->Style = bsSolid;
}

void TPlusStringGrid::PaintLookBorder()
{
    if (!HandleAllocated())
        return;
    HDC dc = GetWindowDC(Handle());
    if (!dc)
        return;
    TCanvas canvas;
    canvas.SetHandle(dc);
    DrawLookBorder(&canvas, Width(), Height());
    canvas.SetHandle(nullptr);
    ReleaseDC(Handle(), dc);
}

void TPlusStringGrid::WMNCPaint(TMessage& message)
{
    Inherited(message);
    if (UpdateCount == 0) {
        PaintLookBorder();
        message.Result = 0;
    }
}

// ---------------------------------------------------------------- notifications

String TPlusStringGrid::BalloonCellText(int col, int row)
{
    const String raw = GetCellText(col, row);
    String text;
    const uint8_t kind = GetCellTextKind(raw, true);
    if (kind == 1)
        text = HtmlToPlainText(raw);
    else if (IsRichText(raw))
        text = RichTextToPlainText(raw);
    else if (raw.size() >= 2 && raw.compare(0, 2, kWideCellMarker) == 0)
        text = WideToString(DecodeWideCellText(raw));
    else
        text = raw;
    for (char& ch : text)
        if (ch == '\t')
            ch = ' ';
    size_t start = 0;
    while (start < text.size() && (text[start] == '\r' || text[start] == '\n' || text[start] == '\t'))
        ++start;
    text.erase(0, start);
    if (text.size() > 1024)
        text = text.substr(0, 1021) + "...";
    return text;
}

void TPlusStringGrid::WMNotify(TMessage& message)
{
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    if (!header) {
        Inherited(message);
        return;
    }
    switch (header->code) {
    case DTN_DATETIMECHANGE: {
        if (OnDateTimeChange) {
            const auto* change = reinterpret_cast<const NMDATETIMECHANGE*>(message.LParam);
            const SYSTEMTIME& st = change->st;
            TDateTime value = 0;
            TDateTime time = 0;
            if (st.wYear != 0 && st.wMonth != 0 && st.wDay != 0 && TryEncodeDate(st.wYear, st.wMonth, st.wDay, value) &&
                TryEncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, time))
                value = value + time;
            else
                value = 0;
            OnDateTimeChange(this, Col(), Row(), value);
        }
        Inherited(message);
        return;
    }
    case TTN_SHOW:
    case TTN_POP: return;
    case TTN_GETDISPINFOA: {
        if (!Balloon()->Enable())
            break;
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(message.LParam);
        POINT cursor{};
        GetCursorPos(&cursor);
        const TPoint at = ScreenToClient(TPoint(cursor.x, cursor.y));
        int col = -1, row = -1;
        MouseToCell(at.X, at.Y, col, row);
        if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
            return;
        const int realCol = DisplayToRealColumn(col);
        String text = BalloonCellText(realCol, row);
        String title = " ";
        int icon = 1;
        int cellIcon = icon;
        String cellText, cellTitle;
        if (GetCellBalloonInfo(realCol, row, cellIcon, cellText, cellTitle)) {
            icon = cellIcon;
            text = cellText;
            title = cellTitle;
        }
        if (OnCellBalloon)
            OnCellBalloon(this, realCol, row, title, text, icon);
        BalloonCell = TPoint(realCol, row);
        balloonText_ = text;
        info->lpszText = balloonText_.data();
        if (title.size() > 100)
            title = title.substr(0, 97) + "...";
        BalloonToolTip.Title = title;
        BalloonToolTip.Icon = icon;
        HWND tip = header->hwndFrom;
        if (tip) {
            SendMessage(tip, TTM_SETMAXTIPWIDTH, 0, 300);
            if (Balloon()->TextColor != clNone)
                SendMessage(tip, TTM_SETTIPTEXTCOLOR, WPARAM(ColorToRGB(Balloon()->TextColor)), 0);
            if (Balloon()->BackgroundColor != clNone)
                SendMessage(tip, TTM_SETTIPBKCOLOR, WPARAM(ColorToRGB(Balloon()->BackgroundColor)), 0);
            SendMessage(tip, TTM_SETTITLEA, WPARAM(icon), LPARAM(title.c_str()));
        }
        return;
    }
    default: break;
    }
    Inherited(message);
}

// ---------------------------------------------------------------- the never-activating form

namespace {
constexpr LRESULT kNoActivate = 3; // MA_NOACTIVATE
}

TNoActiveForm::TNoActiveForm(TComponent* owner) : TForm(owner) {}

void TNoActiveForm::CreateParams(TCreateParams& params)
{
    TForm::CreateParams(params);
    params.Style = WS_POPUP | WS_DISABLED | WS_BORDER;
    params.WindowClass.style |= CS_SAVEBITS;
}

void TNoActiveForm::WndProc(TMessage& message)
{
    if (message.Msg == WM_MOUSEACTIVATE) {
        message.Result = kNoActivate;
        return;
    }
    TForm::WndProc(message);
    if (message.Msg == WM_ACTIVATE)
        message.Result = 1;
}
