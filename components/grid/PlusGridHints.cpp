// TPlusStringGrid: the hint over a cell, the on-screen size of a cell's graphic and the line
// count of a row.
#include "PlusGrid.h"

#include "CellText.h"
#include "HtmlUtils.h"

#include "platform/framework/Forms.h"
#include "platform/framework/ImgList.h"

#include <algorithm>

namespace {

// Check boxes and radio buttons in cells are drawn this many pixels square.
constexpr int kCheckSize = 15;
constexpr int kRadioSize = 10;

} // namespace

void TPlusStringGrid::BuildCellHint(String& hintStr, bool& canShow, THintInfo& info)
{
    (void)canShow;
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
            OnGridHint(this, row, col, hintStr);
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
