// TPlusStringGrid: the floating footer, a strip under the cells that shows the last row (a fixed
// footer row, typically column totals) or a preview of the current row, and the calculations
// that fill the footer row.
#include "components/grid/PlusGrid.h"

#include "components/grid/HtmlRender.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------- settings

void TFloatingFooter::Assign(TPersistent* source)
{
    auto* o = dynamic_cast<TFloatingFooter*>(source);
    if (!o || o == this)
        return;
    CalculateHiddenRows = o->CalculateHiddenRows;
    color_ = o->color_;
    column_ = o->column_;
    customTemplate_ = o->customTemplate_;
    footerStyle_ = o->footerStyle_;
    SetShowHint(o->showHint_);
    SetVisible(o->visible_);
}

void TFloatingFooter::Repaint()
{
    grid_->InvalidateFooter();
}

void TFloatingFooter::SetBorderColor(TColor value)
{
    if (borderColor_ == value)
        return;
    borderColor_ = value;
    Repaint();
}

void TFloatingFooter::SetColor(TColor value)
{
    color_ = value;
    Repaint();
}

void TFloatingFooter::SetColumn(int value)
{
    column_ = value;
    Repaint();
}

void TFloatingFooter::SetCustomTemplate(const String& value)
{
    customTemplate_ = value;
    Repaint();
}

void TFloatingFooter::SetFooterStyle(TFooterStyle value)
{
    footerStyle_ = value;
    grid_->SetHideLastRow(value == fsFixedLastRow && visible_);
    grid_->Invalidate();
    Repaint();
}

void TFloatingFooter::SetShowHint(bool value)
{
    showHint_ = value;
    if (grid_->footerPanel_)
        grid_->footerPanel_->ShowHint = value;
}

void TFloatingFooter::SetVisible(bool value)
{
    visible_ = value;
    TPlusStringGrid& g = *grid_;
    if (value && !g.footerPanel_) {
        g.footerPanel_ = new TFooterPanel(&g);
        g.footerPanel_->ShowHint = showHint_;
        g.footerPanel_->SetParent(&g);
    }
    if (TFooterPanel* panel = g.footerPanel_) {
        panel->SetHeight(value ? FooterHeight - 1 : 0);
        panel->SetVisible(value);
        g.Realign();
    }
    const bool lastRow = value && footerStyle_ == fsFixedLastRow;
    g.SetFixedFooters(lastRow ? 1 : 0);
    g.SetHideLastRow(lastRow);
    // the rows' room changed: the scroll range follows, and the current row stays in full view
    if (g.HandleAllocated()) {
        g.UpdateScrollBars();
        if (value && g.Row() >= g.TBaseGrid::FixedRows() && g.Row() < g.RowCount())
            g.ClampInView(g.Col(), g.Row());
    }
    g.Invalidate();
}

// ---------------------------------------------------------------- the grid's part

TFloatingFooter* TPlusStringGrid::FloatingFooter()
{
    if (!floatingFooter_) {
        floatingFooter_ = std::make_unique<TFloatingFooter>(this);
        floatingFooter_->FooterHeight = DefaultRowHeight();
    }
    return floatingFooter_.get();
}

int TPlusStringGrid::RowsClientHeight() const
{
    const int height = ClientHeight();
    if (!footerPanel_ || !footerPanel_->Visible() || !floatingFooter_ || !floatingFooter_->Visible())
        return height;
    return std::max(0, height - footerPanel_->Height());
}

void TPlusStringGrid::InvalidateFooter()
{
    if (footerPanel_ && UpdateCount == 0)
        footerPanel_->Invalidate();
}

void TPlusStringGrid::CalcFloatingFooter(int col)
{
    if (!floatingFooter_ || !floatingFooter_->Visible() || floatingFooter_->FooterStyle() != fsFixedLastRow ||
        !floatingFooter_->Calculate || RowCount() < 1)
        return;
    const int footerRow = RowCount() - 1;
    const int first = col < 0 ? 0 : col;
    const int last = col < 0 ? ColCount() + HiddenColCount - 1 : col;
    const int hidden = floatingFooter_->CalculateHiddenRows ? HiddenRowCount() : 0;
    // the range ends before the footer row; with hidden rows counted it reaches into the real
    // indexes, which makes the calculations read the hidden rows from their records
    const int lastRow = RowCount() - 2 + hidden;
    const int fromRow = TBaseGrid::FixedRows();
    for (int c = first; c <= last; ++c) {
        TCellProperties* props = CellProperties(c, footerRow);
        if (!props)
            continue;
        switch (props->FooterCalcKind) {
        case 1: SetCellFloat(c, footerRow, ColumnSum(c, fromRow, lastRow)); break;
        case 2: SetCellFloat(c, footerRow, ColumnAverage(c, fromRow, lastRow)); break;
        case 3: SetCellInteger(c, footerRow, RowCount() - 1 - fromRow + hidden); break;
        case 4:
            if (lastRow >= fromRow)
                SetCellFloat(c, footerRow, ColumnMin(c, fromRow, lastRow));
            break;
        case 5:
            if (lastRow >= fromRow)
                SetCellFloat(c, footerRow, ColumnMax(c, fromRow, lastRow));
            break;
        case 7: {
            String value;
            if (OnFooterCalc)
                OnFooterCalc(this, c, footerRow + hidden, value);
            else if (floatingFooter_->OnCalcFooter)
                floatingFooter_->OnCalcFooter(this, c, footerRow + hidden, value);
            SetCellText(c, footerRow, value);
            break;
        }
        default: break;
        }
    }
    InvalidateFooter();
}

// ---------------------------------------------------------------- the strip

TFooterPanel::TFooterPanel(TPlusStringGrid* grid) : TPanel(grid), grid_(grid)
{
    Align = alBottom;
    SetBevelOuter(bvNone);
    SetBorderWidth(0);
    SetCaption("");
    SetHeight(0);
}

void TFooterPanel::CreateWnd()
{
    TPanel::CreateWnd();
    TFloatingFooter* f = grid_->FloatingFooter();
    SetHeight(f->Visible() ? f->FooterHeight : 0);
    if (Parent())
        Parent()->Realign();
    if (grid_->OnCreatedFloatingFooter)
        grid_->OnCreatedFloatingFooter(grid_);
}

int TFooterPanel::ColumnsWidth()
{
    int w = 0;
    for (int c = 0; c < grid_->TBaseGrid::FixedCols(); ++c)
        w += grid_->ColWidths(c);
    for (int c = grid_->LeftCol(); c < grid_->ColCount(); ++c)
        w += grid_->ColWidths(c);
    return w;
}

TRect TFooterPanel::MirrorRect(bool rightToLeft, const TRect& r)
{
    if (!rightToLeft)
        return r;
    const int w = ClientWidth();
    return TRect(w - r.Right, r.Top, w - r.Left, r.Bottom);
}

int TFooterPanel::ColumnAt(int x)
{
    int edge = 0;
    const int fixedCols = grid_->TBaseGrid::FixedCols();
    for (int c = 0; c < fixedCols; ++c) {
        edge += grid_->ColWidths(c);
        if (x < edge)
            return c;
    }
    for (int c = std::max(grid_->LeftCol(), fixedCols); c < grid_->ColCount(); ++c) {
        edge += grid_->ColWidths(c);
        if (x < edge)
            return c;
    }
    return -1;
}

String TFooterPanel::ExpandTemplate(const String& templ)
{
    String result;
    size_t pos = 0;
    for (;;) {
        const size_t tag = templ.find("<#", pos);
        if (tag == String::npos)
            break;
        result.append(templ, pos, tag - pos);
        const size_t close = templ.find('>', tag);
        const String content =
            templ.substr(tag + 2, (close == String::npos ? templ.size() : close) - tag - 2);
        int col = 0;
        if (TryStrToInt(content, col) && col >= 0 && col < grid_->TotalColCount())
            result += grid_->GetCellText(col, grid_->Row());
        if (close == String::npos)
            return result;
        pos = close + 1;
    }
    result.append(templ, pos, String::npos);
    return result;
}

namespace {

bool RaisedLook(TGridLook look)
{
    return look == glSoft || look == glVirel || look == glXP || look == glVista;
}

} // namespace

void TFooterPanel::PaintFixedLastRow(int width)
{
    TCanvas* canvas = Canvas();
    TPlusStringGrid& g = *grid_;
    const TFloatingFooter& f = *g.FloatingFooter();
    const bool rtl = g.UseRightToLeftAlignment();
    canvas->Brush->Style = bsSolid;
    canvas->Brush->Color = f.Color();
    canvas->FillRect(MirrorRect(rtl, TRect(0, 0, width, Height())));
    if (g.RowCount() < 1)
        return;
    const int row = g.RowCount() - 1;
    const bool raised = RaisedLook(g.Look()) && !g.Flat();
    const int fixedCols = g.TBaseGrid::FixedCols();
    std::vector<int> columns;
    for (int c = 0; c < fixedCols; ++c)
        columns.push_back(c);
    for (int c = std::max(g.LeftCol(), fixedCols); c < g.ColCount(); ++c)
        columns.push_back(c);

    int x = 0;
    for (int c : columns) {
        const int w = g.ColWidths(c);
        const bool fixedCol = c < fixedCols;
        const int rc = g.DisplayToRealColumn(c);
        // a merged cell is drawn by its base cell over the merged width; covered cells not at all
        if (g.IsBaseOrPlainCell(rc, row)) {
            int cellWidth = w;
            const TCellProperties* props = g.CellProperties(rc, row);
            if (props && props->CellSpanX > 0)
                for (int k = 1; k <= props->CellSpanX && c + k < g.ColCount(); ++k)
                    cellWidth += g.ColWidths(c + k);
            TRect cell(x, 0, x + cellWidth, Height());
            if (g.Options().Contains(goFixedHorzLine) && raised)
                cell.Left += 1;
            if (g.Options().Contains(goFixedHorzLine))
                cell.Top += 1;
            cell.Right -= 1;
            cell = MirrorRect(rtl, cell);
            TColor background = clNone;
            if (!fixedCol && g.OnGetCellColor) {
                TBrush brush;
                brush.Color = clNone;
                TFont font;
                font.Assign(g.Font());
                g.OnGetCellColor(&g, row, rc, TGridDrawState() << gdFixed, &brush, &font);
                background = brush.Color;
            }
            if (background == clNone && g.GetColors(rc, row) != clNone)
                background = g.GetColors(rc, row);
            if (background != clNone) {
                canvas->Brush->Color = background;
                canvas->FillRect(cell);
            }
            canvas->Brush->Color = background != clNone ? background : f.Color();
            if (g.OnFooterPaint)
                g.OnFooterPaint(this, c, canvas, cell);
            else
                g.DrawCellText(canvas, c, row, cell, TGridDrawState() << gdFixed);
        }
        if (g.Options().Contains(goFixedVertLine)) {
            canvas->Pen->Width = 1;
            canvas->Pen->Color = fixedCol ? g.GridLineColor() : g.Look() == glVista ? g.GridLineColor() : clGray;
            const TRect line = MirrorRect(rtl, TRect(x + w - 1, 0, x + w, Height()));
            canvas->MoveTo(line.Left, 0);
            canvas->LineTo(line.Left, Height());
            if (raised) {
                canvas->Pen->Color = clWhite;
                const TRect lead = MirrorRect(rtl, TRect(x, 0, x + 1, Height()));
                canvas->MoveTo(lead.Left, 0);
                canvas->LineTo(lead.Left, Height());
            }
        }
        x += w;
    }
    if (g.Options().Contains(goFixedHorzLine)) {
        canvas->Pen->Color = g.GridLineColor();
        const TRect top = MirrorRect(rtl, TRect(0, 0, width, 1));
        canvas->MoveTo(top.Left, 0);
        canvas->LineTo(top.Right, 0);
    }
}

void TFooterPanel::PaintPreviewFrame(const TRect& area)
{
    TCanvas* canvas = Canvas();
    canvas->Brush->Style = bsSolid;
    canvas->Brush->Color = grid_->FloatingFooter()->Color();
    canvas->FillRect(area);
    canvas->Pen->Width = 1;
    canvas->Pen->Color = clGray;
    canvas->MoveTo(area.Left, area.Bottom - 1);
    canvas->LineTo(area.Right - 1, area.Bottom - 1);
    canvas->LineTo(area.Right - 1, area.Top - 1);
    canvas->Pen->Color = clWhite;
    canvas->MoveTo(area.Right - 2, area.Top);
    canvas->LineTo(area.Left, area.Top);
    canvas->LineTo(area.Left, area.Bottom - 1);
}

void TFooterPanel::Paint()
{
    TPlusStringGrid& g = *grid_;
    const TFloatingFooter& f = *g.FloatingFooter();
    BiDiMode = g.BiDiMode;
    const bool rtl = g.UseRightToLeftAlignment();
    TCanvas* canvas = Canvas();
    int width = std::min(ColumnsWidth(), ClientWidth());
    if (f.FooterStyle() == fsCustomPaint)
        width = ClientWidth();
    // beyond the columns the strip shows the grid's colour
    canvas->Brush->Style = bsSolid;
    canvas->Brush->Color = g.Color();
    canvas->FillRect(MirrorRect(rtl, TRect(width, 0, ClientWidth(), Height())));
    const TRect area = MirrorRect(rtl, TRect(0, 0, width, Height()));
    canvas->Font->Assign(g.Font());

    switch (f.FooterStyle()) {
    case fsFixedLastRow: PaintFixedLastRow(width); break;
    case fsColumnPreview: {
        PaintPreviewFrame(area);
        if (g.OnFooterPaint) {
            g.OnFooterPaint(this, f.Column(), canvas, area);
            break;
        }
        const TColor saved = g.SelectionTextColor();
        g.selectionTextColor_ = 0;
        try {
            canvas->Brush->Color = f.Color();
            const int col = g.RealToDisplayColumn(f.Column());
            if (col >= 0 && col < g.ColCount() && g.Row() >= 0 && g.Row() < g.RowCount())
                g.DrawCellText(canvas, col, g.Row(), area, TGridDrawState() << gdFixed);
        } catch (...) {
            g.selectionTextColor_ = saved;
            throw;
        }
        g.selectionTextColor_ = saved;
        break;
    }
    case fsCustomPreview: {
        PaintPreviewFrame(area);
        TRect textArea = area;
        textArea.Top += 2;
        textArea.Left += 2;
        const String text = HasState(csDesigning) ? f.CustomTemplate() : ExpandTemplate(f.CustomTemplate());
        THtmlDrawArgs args;
        args.LinkColor = g.URLColor;
        THtmlDrawResult result;
        canvas->Brush->Style = bsClear;
        DrawHtml(canvas, text, textArea, args, result);
        canvas->Brush->Style = bsSolid;
        break;
    }
    case fsCustomPaint:
        if (g.OnFooterPaint)
            g.OnFooterPaint(this, f.Column(), canvas, MirrorRect(rtl, ClientRect()));
        break;
    }
    if (f.BorderColor() != clNone) {
        canvas->Pen->Width = 1;
        canvas->Pen->Color = f.BorderColor();
        const TRect top = MirrorRect(rtl, TRect(0, 0, width, 1));
        canvas->MoveTo(top.Left, 0);
        canvas->LineTo(top.Right, 0);
    }
}

void TFooterPanel::WndProc(TMessage& message)
{
    if (message.Msg == CM_HINTSHOW) {
        auto* info = reinterpret_cast<THintInfo*>(message.LParam);
        TFloatingFooter* f = grid_->FloatingFooter();
        if (info) {
            const int col = ColumnAt(info->CursorPos.X);
            if (col >= 0 && grid_->OnGridHint)
                grid_->OnGridHint(grid_, grid_->RowCount() - 1, grid_->DisplayToRealColumn(col), info->HintStr);
            hintColumn_ = f->ShowHint() ? col : -1;
        }
        message.Result = f->ShowHint() ? 0 : 1;
        return;
    }
    if (message.Msg == CM_MOUSELEAVE)
        hintColumn_ = -1;
    TPanel::WndProc(message);
}

void TFooterPanel::MouseMove(TShiftState shift, int x, int y)
{
    TPanel::MouseMove(shift, x, y);
    if (!grid_->FloatingFooter()->ShowHint())
        return;
    const int col = ColumnAt(x);
    if (col != hintColumn_) {
        Application->CancelHint();
        hintColumn_ = col;
    }
}

void TFooterPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TPanel::MouseUp(button, shift, x, y);
    if (grid_->OnClick)
        grid_->OnClick(grid_);
    if (grid_->OnClickCell)
        grid_->OnClickCell(grid_, grid_->RowCount() - 1, ColumnAt(x));
}
