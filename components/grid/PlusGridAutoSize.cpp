// Auto-sizing columns and rows of the string grid to their contents, and the placement of
// rotated text in a cell.
#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"
#include "components/grid/HtmlRender.h"
#include "components/grid/PlusRichEdit.h"
#include "components/grid/TextRoutines.h"

#include <algorithm>
#include <cmath>

int TPlusStringGrid::HorizontalTextMargins() const
{
    return XYOffsetTopLeftOnly ? XYOffset.X : 2 * XYOffset.X;
}

int TPlusStringGrid::VerticalTextMargins() const
{
    return XYOffsetTopLeftOnly ? XYOffset.Y : 2 * XYOffset.Y;
}

void TPlusStringGrid::PrepareMeasureFont(int realCol, int row)
{
    TCanvas* c = measure_->Canvas();
    const bool fixed = row < TBaseGrid::FixedRows() || realCol < TBaseGrid::FixedCols();
    c->Font->Assign(fixed ? FixedFont() : Font());
    c->Brush->Color = Color();
    GetCellColor(realCol, row, TGridDrawState(), c->Brush, c->Font);
    if (FontSizeDelta != 0)
        c->Font->SetSize(c->Font->Size() + FontSizeDelta);
}

void TPlusStringGrid::MeasureCellText(int RealCol, int DisplayCol, TPoint& Size, bool ReserveButton,
                                      bool WrapToWidth, int ARow)
{
    if (!measure_) {
        measure_ = std::make_unique<TBitmap>();
        measure_->SetSize(1, 1);
    }
    PrepareMeasureFont(RealCol, ARow);
    TCanvas* c = measure_->Canvas();
    String text = GetCellText(RealCol, ARow);
    const uint8_t kind = GetCellTextKind(text, EnableHTML);
    TRect r = ComputeCellRect(DisplayCol, ARow);
    if (XYOffsetTopLeftOnly) {
        r.Left += XYOffset.X;
        r.Top += XYOffset.Y;
    } else {
        r.Left += XYOffset.X;
        r.Right -= XYOffset.X;
        r.Top += XYOffset.Y;
        r.Bottom -= XYOffset.Y;
    }
    if (ReserveButton)
        r.Right -= 17;
    if (kind == ctkHtml) {
        if (!WrapToWidth)
            r.Right = 65535;
        r.Bottom = 65535;
        THtmlDrawArgs args;
        args.MeasureOnly = true;
        args.LinkColor = URLColor;
        THtmlDrawResult result;
        DrawHtml(c, text, r, args, result);
        Size = TPoint(result.ExtentX + 2, result.ExtentY + 2);
        return;
    }
    TPlusRichEdit* richRenderer = nullptr;
    if (kind == ctkRtf && !HasState(csDesigning)) {
        // the renderer formats the rich text; its font and plain text stand in for the steps
        // below, and the size it then asks for is the cell's
        richRenderer = GetRichEditRenderer();
        richRenderer->Clear();
        richRenderer->SetBounds(0, 0, 0, 0);
        richRenderer->SetWordWrap(false);
        LoadRichEditFromCell(RealCol, ARow, richRenderer);
        TTextAttributes* a = richRenderer->SelAttributes();
        c->Font->Name = a->Name();
        c->Font->SetSize(a->Size());
        c->Font->Style = a->Style();
        text = richRenderer->Text();
    }
    if (kind == ctkWide)
        text = WideToString(DecodeWideCellText(text));
    int w = 0, h = 0;
    if (WrapToWidth) {
        TRect calc(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
        h = c->TextHeight("gh") * std::max(1, CountTextLines(text, true));
        // a wrapped text: as many lines as its words need at the rectangle's width
        int lineWidth = 0, lines = 1;
        const int width = std::max(1, calc.Right - calc.Left);
        String word;
        auto flush = [&] {
            const int ww = c->TextWidth(word + " ");
            if (lineWidth > 0 && lineWidth + ww > width) {
                ++lines;
                lineWidth = 0;
            }
            lineWidth += ww;
            word.clear();
        };
        for (char ch : text) {
            if (ch == ' ')
                flush();
            else if (ch == '\n') {
                flush();
                ++lines;
                lineWidth = 0;
            } else if (ch != '\r')
                word += ch;
        }
        flush();
        h = std::max(h, lines * c->TextHeight("gh"));
        w = calc.Right - calc.Left;
    } else {
        String rest = text;
        int lines = 0;
        do {
            String line;
            if (Multilinecells)
                CutFirstLine(rest, true, line);
            else {
                line = rest;
                rest.clear();
            }
            if (URLShowInText)
                StripUrlScheme(line);
            w = std::max(w, c->TextWidth(line));
            ++lines;
        } while (!rest.empty());
        h = lines * c->TextHeight("gh");
    }
    const TCellGraphic* g = GetCellGraphicOf(RealCol, ARow);
    if (g && g->CellType == ctRotated && g->CellAngle != 0) {
        const double a = g->CellAngle * M_PI / 180.0;
        const int rw = std::abs(int(std::lround(h * std::sin(a)))) + std::abs(int(std::lround(w * std::cos(a))));
        const int rh = std::abs(int(std::lround(h * std::cos(a)))) + std::abs(int(std::lround(w * std::sin(a))));
        w = rw;
        h = rh;
    }
    Size = TPoint(w, h);
    if (richRenderer) {
        richRenderer->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
        richRenderer->SetWordWrap(true);
        richRenderer->SetWordWrap(false);
        richRenderer->SetWordWrap(WordWrap);
        SetWindowTransparentStyle(richRenderer->Handle());
        // a line added and taken away again makes the renderer ask for the size it needs
        TStrings* lines = richRenderer->Lines();
        lines->Add("");
        lines->Delete(lines->Count() - 1);
        Size = TPoint(richRenderer->ReqWidth(), richRenderer->ReqHeight());
    }
}

TPoint TPlusStringGrid::CellTextExtent(int realCol, int row)
{
    TPoint size;
    MeasureCellText(realCol, RealToDisplayColumn(realCol), size, false, false, row);
    return size;
}

void TPlusStringGrid::AutoSizeColumn(int ACol, bool GrowOnly)
{
    if (ACol < 0 || ACol >= ColCount())
        return;
    const int real = DisplayToRealColumn(ACol);
    int first = 0, last = RowCount() - 1;
    if (columnSize_->Rows == arNormal) {
        first = TBaseGrid::FixedRows();
        last = RowCount() - fixedFooters_ - 1;
    } else if (columnSize_->Rows == arFixed) {
        last = TBaseGrid::FixedRows() - 1;
    }
    int widest = 0;
    for (int r = first; r <= last; ++r) {
        if (IsMergedAcross(real, r))
            continue;
        TPoint size;
        MeasureCellText(real, ACol, size, false, false, r);
        int w = size.X;
        if (sortSettings_->Show && ACol == sortSettings_->Column && r == sortSettings_->Row)
            w += 10;
        if (filterDropDownAuto_ && r == filterDropDownRow_ && BuildColumnFilterList(real))
            w += 12;
        widest = std::max(widest, w);
    }
    int width = HorizontalTextMargins() + widest + 2 * (GridLineWidth() + 1);
    if (GrowOnly && ColWidths(ACol) >= width)
        return;
    if (OnUpdateColumnSize)
        OnUpdateColumnSize(this, ACol, width);
    SetColWidths(ACol, ClampToLimits(width, MinColumnWidth, MaxColumnWidth));
}

void TPlusStringGrid::AutoSizeColumnWithMargin(int ACol, int Margin)
{
    AutoSizeColumn(ACol, AutoSizeGrowOnly);
    if (Margin != 0 && ACol >= 0 && ACol < ColCount())
        SetColWidths(ACol, ClampToLimits(ColWidths(ACol) + Margin, MinColumnWidth, MaxColumnWidth));
}

void TPlusStringGrid::AutoSizeColumns(bool AllColumns, int Margin)
{
    const int first = AllColumns ? 0 : TBaseGrid::FixedCols();
    const int last = AllColumns ? ColCount() - 1 : ColCount() - fixedRightCols_ - 1;
    BeginUpdate();
    for (int c = first; c <= last; ++c) {
        AutoSizeColumnWithMargin(c, 0);
        if (Margin != 0)
            SetColWidths(c, ClampToLimits(ColWidths(c) + Margin, MinColumnWidth, MaxColumnWidth));
    }
    EndUpdate();
}

void TPlusStringGrid::AutoSizeRow(int ARow, bool GrowOnly)
{
    if (ARow < 0 || ARow >= RowCount())
        return;
    int highest = 0;
    for (int i = 0; i < ColCount(); ++i) {
        const int real = DisplayToRealColumn(i);
        if (IsMergedDown(real, ARow) || excludedColumns_->HasValue(i))
            continue;
        TPoint size;
        MeasureCellText(real, i, size, false, WordWrap, ARow);
        int h = size.Y;
        const TCellType type = GetCellType(real, ARow);
        if (type == ctCheckBox || type == ctDataCheckBox || type == ctVirtCheckBox || type == ctRadioButton)
            h = DefaultRowHeight();
        if (IsCoveredCell(real, ARow))
            h = 0;
        highest = std::max(highest, h);
    }
    int height = VerticalTextMargins() + highest + 2 * GridLineWidth() + (XYOffsetTopLeftOnly ? 2 : 0);
    if (GrowOnly && RowHeights(ARow) >= height)
        return;
    SetRowHeights(ARow, ClampToLimits(height, MinRowHeight, MaxRowHeight));
}

void TPlusStringGrid::AutoSizeRowWithMargin(int ARow, int Margin)
{
    AutoSizeRow(ARow, AutoSizeGrowOnly);
    if (Margin != 0 && ARow >= 0 && ARow < RowCount())
        SetRowHeights(ARow, ClampToLimits(RowHeights(ARow) + Margin, MinRowHeight, MaxRowHeight));
}

void TPlusStringGrid::SetRowHeightByLines(int ARow, int Lines, int Extra)
{
    if (!measure_) {
        measure_ = std::make_unique<TBitmap>();
        measure_->SetSize(1, 1);
    }
    PrepareMeasureFont(TBaseGrid::FixedCols(), ARow);
    const int h = measure_->Canvas()->TextHeight("gh");
    SetRowHeights(ARow, ClampToLimits(Lines * (h + h / 8) + Extra, MinRowHeight, MaxRowHeight));
}

void TPlusStringGrid::AutoSizeCells(bool IncludeFixed, int ExtraWidth, int ExtraHeight)
{
    const int firstCol = IncludeFixed ? 0 : TBaseGrid::FixedCols();
    const int firstRow = IncludeFixed ? 0 : TBaseGrid::FixedRows();
    BeginUpdate();
    for (int i = firstCol; i < ColCount(); ++i) {
        int current = AutoSizeGrowOnly ? ColWidths(i) : 0;
        const int real = DisplayToRealColumn(i);
        for (int j = firstRow; j < RowCount(); ++j) {
            const TPoint size = CellTextExtent(real, j);
            int w = size.X + ExtraWidth + XYOffset.X;
            const int h = size.Y + ExtraHeight + XYOffset.Y;
            if (!IsMergedAcross(real, j) && w > current) {
                w = ClampToLimits(w, MinColumnWidth, MaxColumnWidth);
                if (w > current) {
                    SetColWidths(i, w);
                    current = w;
                }
            }
            if (!IsMergedDown(real, j) && h > RowHeights(j)) {
                const int hh = ClampToLimits(h, MinRowHeight, MaxRowHeight);
                if (hh > RowHeights(j))
                    SetRowHeights(j, hh);
            }
        }
    }
    EndUpdate();
}

void TPlusStringGrid::SetAutoSize(bool value)
{
    autoSize_ = value;
    if (value && !Loading())
        AutoSizeColumns(false, 10);
}

void PlaceRectForAngle(TRect& R, TAlignment HAlign, TVAlignment VAlign, int CyCos, int CxSin, int CySin, int CxCos,
                       int Angle)
{
    const int bw = CxCos + CySin;
    const int bh = CxSin + CyCos;
    int left = R.Left, top = R.Top;
    if (HAlign == taRightJustify)
        left = R.Right - bw;
    else if (HAlign == taCenter)
        left = R.Left + (R.Right - R.Left - bw) / 2;
    if (VAlign == vtaBottom)
        top = R.Bottom - bh;
    else if (VAlign == vtaCenter)
        top = R.Top + (R.Bottom - R.Top - bh) / 2;
    int dx = 0, dy = 0;
    if (Angle <= 90)
        dy = CxSin;
    else if (Angle <= 180)
        dx = CxCos, dy = bh;
    else if (Angle <= 270)
        dx = bw, dy = CyCos;
    else
        dx = CySin;
    R.Left = left + dx;
    R.Top = top + dy;
}
