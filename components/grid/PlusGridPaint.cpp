// The string grid's painting: the colours and font of each cell, the order in which one cell
// is drawn (fixed-cell look, text, borders, look lines, graphic, draw events, focus rectangle)
// and the background beyond the cells. The framework's paint loop visits only the visible
// cells, so the cost of a paint does not depend on the number of rows.
#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"
#include "components/grid/DrawRoutines.h"
#include "components/grid/HtmlRender.h"
#include "components/grid/TextRoutines.h"
#include "platform/win/WinFrameControl.h"

#include <algorithm>
#include <cmath>

namespace {

// Looks whose fixed cells take the fixed-cell gradient and the raised look lines.
bool GradientLook(TGridLook look) { return look > glClassic; }

TColor MixSelectionColor(TColor selection, TColor cell, bool mixer)
{
    if (!mixer)
        return selection;
    if (selection == clNone)
        return cell;
    if (cell == clNone)
        return selection;
    const TColor a = ColorToRGB(selection), b = ColorToRGB(cell);
    auto mix = [](int x, int y) { return int(std::nearbyint(x / 255.0 * y / 255.0 * 255.0)); };
    const int r = mix(a & 0xFF, b & 0xFF);
    const int g = mix((a >> 8) & 0xFF, (b >> 8) & 0xFF);
    const int bl = mix((a >> 16) & 0xFF, (b >> 16) & 0xFF);
    return TColor(r + g * 256 + bl * 65536);
}

void Line(TCanvas* canvas, int x1, int y1, int x2, int y2)
{
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
}

} // namespace

// ---------------------------------------------------------------- colours

void TPlusStringGrid::GetCellColors(int col, int row, TGridDrawState& state, bool printing, bool applySelection,
                                    bool mapColumn, TBrush* brush, TColor& colorTo, TColor& mirrorColor,
                                    TColor& mirrorColorTo, TFont* font, TAlignment& alignment,
                                    TVAlignment& vAlignment, bool& wordWrap,
                                    TCellGradientDirection& gradientDirection)
{
    const int fixedCols = TBaseGrid::FixedCols();
    const int fixedRows = TBaseGrid::FixedRows();
    const bool fixedArea = col < fixedCols || row < fixedRows;
    font->Assign(fixedArea ? fixedFont_.get() : Font());
    const int rc = mapColumn ? DisplayToRealColumn(col) : col;
    const int sr = (mouseActions_->DisjunctRowSelect() && mouseActions_->RowSelectPersistent) || RowDisablingUsed
                       ? DisplayToRealRow(row)
                       : row;
    TColor brushColor = clNone;
    colorTo = mirrorColor = mirrorColorTo = clNone;
    bool ownColor = false;
    if (const TCellProperties* record = CellProperties(rc, row)) {
        const TCellType type = GetCellType(col, row);
        if (type == ctNone || type == ctRotated || type == ctEmpty) {
            if (record->BrushColor() != clNone) {
                brushColor = record->BrushColor();
                ownColor = true;
            }
        } else {
            brushColor = record->BrushColor();
        }
        if (record->FontColor != clNone)
            font->Color = record->FontColor;
        if (!record->FontStyle.Empty())
            font->Style = record->FontStyle;
        if (!record->FontName.empty())
            font->Name = record->FontName;
        wordWrap = record->WordWrap();
        colorTo = record->BrushColorTo();
        gradientDirection = record->GradientDirection;
    }
    if (state.Contains(gdSelected))
        gradientDirection = GradientVertical;
    if (brushColor == clNone) {
        brushColor = Color();
        if (bands_->Active() && (!printing || bands_->Print) && col >= fixedCols &&
            col <= ColCount() - fixedRightCols_ + HiddenColCount - 1 && row >= fixedRows &&
            row <= RowCount() - fixedFooters_ - 1 && bands_->PrimaryLength() + bands_->SecondaryLength() >= 1)
            brushColor = (row - fixedRows) % (bands_->PrimaryLength() + bands_->SecondaryLength()) <
                                 bands_->PrimaryLength()
                             ? bands_->PrimaryColor()
                             : bands_->SecondaryColor();
        if (fixedArea || MapDisplayColumn(col) >= ColCount() - fixedRightCols_ ||
            row >= RowCount() - fixedFooters_)
            brushColor = FixedColor();
    }
    const bool fixed = fixedArea || IsFixedCell(col, row);
    if (fixed && !printing && !ownColor) {
        brushColor = FixedColor();
        font->Assign(fixedFont_.get());
        state << gdFixed;
    }
    if (fixed && !ownColor && GradientLook(look_)) {
        brushColor = FixedLookColors.From != clNone ? FixedLookColors.From : brushColor;
        colorTo = FixedLookColors.To;
        mirrorColor = FixedLookColors.MirrorFrom;
        mirrorColorTo = FixedLookColors.MirrorTo;
        // The fixed-cell look paints the gradient over the inside of the cell and its lines
        // cover the rest, so the background under it needs no gradient of its own.
        if (applySelection && !Flat() && Options().Contains(goFixedHorzLine) && Options().Contains(goFixedVertLine))
            colorTo = mirrorColor = mirrorColorTo = clNone;
    }
    brush->Color = brushColor;
    GetCellColor(rc, row, state, brush, font);
    const bool selectable = applySelection && !printing && ShowSelection && !SelectionParked && !fixed && col >= fixedCols &&
                            row >= fixedRows;
    auto select = [&]() {
        brush->Color = MixSelectionColor(selectionColor_, brush->Color, selectionColorMixer_);
        colorTo = selectionColorTo_;
        mirrorColor = selectionMirrorColor_;
        mirrorColorTo = selectionMirrorColorTo_;
        if (selectionTextColor_ != clNone)
            font->Color = selectionTextColor_;
    };
    if (selectable && mouseActions_->DisjunctRowSelect()) {
        if (GetRowSelected(sr)) {
            state = TGridDrawState() << gdSelected;
            select();
        } else {
            state >> gdSelected;
        }
    } else if (selectable && mouseActions_->DisjunctColSelect()) {
        if (GetColSelected(col)) {
            state = TGridDrawState() << gdSelected;
            select();
        } else {
            state >> gdSelected;
        }
    } else if (selectable && Selection().Contains(col, row)) {
        select();
        state << gdSelected;
    }
    if (GrayDisabledRows && ((RowDisablingUsed && !GetRowEnabled(sr)) || !Enabled()))
        font->Color = DisabledFontColor;
    GetCellAlignment(rc, row, alignment, vAlignment);
}

// ---------------------------------------------------------------- paint

void TPlusStringGrid::Paint()
{
    PaintedCellCount = 0;
    mergedDrawn_.clear();
    Canvas()->Pen->Style = psSolid;
    Canvas()->Brush->Style = bsSolid;
    TBaseGrid::Paint();
    Canvas()->Pen->Color = clBlack;
    if (backGround_->HasPicture() || backGround_->ColorTo() != clNone)
        PaintBackgroundOutsideCells();
    ScrollBarsUpdated();
    PaintDesignHelper();
    PaintSelectionResizer();
}

void TPlusStringGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state)
{
    // the floating footer paints the last row in the grid's stead
    if (hideLastRow_ && row == RowCount() - 1) {
        Canvas()->Brush->Style = bsSolid;
        Canvas()->Brush->Color = Color();
        Canvas()->FillRect(rect);
        return;
    }
    // a merged range is drawn once per paint, by whichever of its cells the loop meets first
    if (!drawingMerged_ && InMergedRange(col, row)) {
        const TPoint base = BaseCellOf(col, row);
        if (!mergedDrawn_.insert({base.X, base.Y}).second)
            return;
        drawingMerged_ = true;
        try {
            TBaseGrid::DrawCell(col, row, rect, state);
        } catch (...) {
            drawingMerged_ = false;
            throw;
        }
        drawingMerged_ = false;
        return;
    }
    TBaseGrid::DrawCell(col, row, rect, state);
}

bool TPlusStringGrid::CanScrollByCopy() const
{
    // a background picture or gradient stays put while the cells move
    return !backGround_->HasPicture() && !backGround_->IsGradient() && UpdateCount == 0;
}

// ---------------------------------------------------------------- background

void TPlusStringGrid::DrawFixedBackground(TCanvas* canvas, const TRect& d)
{
    TBitmap* bitmap = backGround_->Bitmap();
    const TRect p(backGround_->Left(), backGround_->Top(), backGround_->Left() + bitmap->Width(),
                  backGround_->Top() + bitmap->Height());
    if (d.Right <= p.Left || p.Right <= d.Left || d.Bottom <= p.Top || p.Bottom <= d.Top)
        return;
    SetBkMode(canvas->Handle(), TRANSPARENT);
    TRect dest = d;
    TRect src(d.Left - p.Left, d.Top - p.Top, d.Right - p.Left, d.Bottom - p.Top);
    if (src.Left < 1) {
        dest.Left = p.Left;
        src.Left = 0;
    }
    if (src.Top < 1) {
        dest.Top = p.Top;
        src.Top = 0;
    }
    if (dest.Right - dest.Left > bitmap->Width() - src.Left) {
        dest.Right = dest.Left + bitmap->Width() - src.Left;
        src.Right = bitmap->Width();
    }
    if (dest.Bottom - dest.Top > bitmap->Height() - src.Top) {
        dest.Bottom = dest.Top + bitmap->Height() - src.Top;
        src.Bottom = bitmap->Height();
    }
    src.Right = src.Left + (dest.Right - dest.Left);
    src.Bottom = src.Top + (dest.Bottom - dest.Top);
    canvas->CopyRect(dest, bitmap->Canvas(), src);
}

void TPlusStringGrid::TileBackground(TCanvas* canvas, const TRect& d, int phaseX, int phaseY)
{
    TBitmap* bitmap = backGround_->Bitmap();
    const int bw = bitmap->Width(), bh = bitmap->Height();
    if (bw <= 0 || bh <= 0)
        return;
    SetBkMode(canvas->Handle(), TRANSPARENT);
    int sy = phaseY;
    for (int y = d.Top - 1; y < d.Bottom; sy = 0) {
        const int h = std::min(bh - sy, d.Bottom - y);
        int sx = phaseX;
        for (int x = d.Left - 1; x < d.Right; sx = 0) {
            const int w = std::min(bw - sx, d.Right - x);
            canvas->CopyRect(TRect(x, y, x + w, y + h), bitmap->Canvas(), TRect(sx, sy, sx + w, sy + h));
            x += w;
        }
        y += h;
    }
}

void TPlusStringGrid::DrawCellBackground(TCanvas* canvas, int rc, int row, const TRect& tr, TGridDrawState state)
{
    const bool fixed = state.Contains(gdFixed);
    const TBackGroundCells cells = backGround_->Cells();
    const bool kindMatches = fixed ? cells == bcFixed || cells == bcAll : cells == bcNormal || cells == bcAll;
    if (!kindMatches)
        return;
    const bool ownColor = GetColors(rc, row) != clNone;
    const int lw = TCustomGrid::GridLineWidth();
    if (backGround_->HasPicture() && !ownColor && (!ShowSelection || !state.Contains(gdSelected))) {
        const TRect d(tr.Left + 1 - lw, tr.Top + 1 - lw, tr.Right, tr.Bottom);
        if (backGround_->Display() == bdTile) {
            // the phase keeps the picture continuous across cells
            const int firstCol = cells == bcNormal ? TBaseGrid::FixedCols() : 0;
            const int firstRow = cells == bcNormal ? TBaseGrid::FixedRows() : 0;
            long long px = 0, py = 0;
            for (int c = firstCol; c < RealToDisplayColumn(rc); ++c)
                px += ColWidths(c);
            for (int r = firstRow; r < row; ++r)
                py += RowHeights(r);
            TileBackground(canvas, d, int(px % backGround_->Bitmap()->Width()),
                           int(py % backGround_->Bitmap()->Height()));
        } else {
            DrawFixedBackground(canvas, d);
        }
    }
    if (!backGround_->IsGradient())
        return;
    const TCellType type = GetCellType(RealToDisplayColumn(rc), row);
    const bool control =
        type == ctCheckBox || type == ctDataCheckBox || type == ctRadio || type == ctButton || type == ctRadioButton;
    const bool drawnSelected = state.Contains(gdSelected) &&
                               !(state.Contains(gdFocused) && !Options().Contains(goDrawFocusSelected));
    if ((ownColor && !control) || (ShowSelection && drawnSelected))
        return;
    const TRect d(tr.Left - 1, tr.Top - lw, tr.Right, tr.Bottom + lw - 1);
    const bool horizontal = backGround_->Display() == bdGradientHorz;
    const int extent = std::max(1, horizontal ? Width() : Height());
    const TColor c1 = GradientColorAt(backGround_->Color(), backGround_->ColorTo(), 0, extent,
                                      horizontal ? d.Left : d.Top);
    const TColor c2 = GradientColorAt(backGround_->Color(), backGround_->ColorTo(), 0, extent,
                                      horizontal ? d.Right : d.Bottom);
    canvas->Brush->Color = c2;
    canvas->Pen->Color = c2;
    FillGradient(canvas, c1, c2, 128, d, horizontal);
}

void TPlusStringGrid::PaintBackgroundOutsideCells()
{
    const int lastCol = ColCount() - 1, lastRow = RowCount() - 1;
    const bool lastColShown = LeftCol() + VisibleColCount() >= ColCount();
    const bool lastRowShown = TopRow() + VisibleRowCount() >= RowCount();
    if (!lastColShown && !lastRowShown)
        return;
    if (backGround_->IsGradient() && backGround_->ColorTo() == clNone)
        return;
    TRect client(0, 0, ClientWidth(), ClientHeight());
    const int lw = TCustomGrid::GridLineWidth();
    HRGN region = nullptr;
    if (lastColShown) {
        TRect e = CellRect(lastCol, TopRow());
        if (e.Right + lw < client.Right && !e.IsEmpty())
            region = CreateRectRgn(e.Right + lw, 0, client.Right, client.Bottom);
    }
    if (lastRowShown) {
        TRect e = CellRect(LeftCol(), lastRow);
        if (e.Bottom + lw < client.Bottom && !e.IsEmpty()) {
            HRGN bottom = CreateRectRgn(0, e.Bottom + lw, client.Right, client.Bottom);
            if (region) {
                CombineRgn(region, region, bottom, RGN_OR);
                DeleteObject(bottom);
            } else {
                region = bottom;
            }
        }
    }
    if (!region)
        return;
    if (searchFooter_->Visible())
        client.Bottom -= 32;
    TCanvas* canvas = Canvas();
    canvas->RequiredState();
    SelectClipRgn(canvas->Handle(), region);
    if (!backGround_->HasPicture()) {
        if (backGround_->IsGradient())
            FillGradient(canvas, backGround_->Color(), backGround_->ColorTo(), 128, client,
                         backGround_->Display() == bdGradientHorz);
    } else if (backGround_->Display() != bdTile) {
        DrawFixedBackground(canvas, client);
    } else if (backGround_->Cells() != bcFixed) {
        TRect t = client;
        if (backGround_->Cells() == bcNormal) {
            const TRect first = CellRect(LeftCol(), TopRow());
            t.Left = first.Left;
            t.Top = first.Top;
        }
        t.Top += XYOffset.Y;
        t.Left += XYOffset.X;
        TileBackground(canvas, t, 0, 0);
    }
    SelectClipRgn(canvas->Handle(), nullptr);
    DeleteObject(region);
}

// ---------------------------------------------------------------- one cell

namespace {

// Draws one cell text with the cell's alignment; `draw` (rect, flags) draws the text itself,
// so that single-byte and wide texts lay out alike.
template <class Draw>
void PaintGridCellTextAligned(TCanvas* canvas, bool hasLineBreak, TRect tr, TAlignment hAlign, TVAlignment vAlign,
                              bool wordWrap, const Draw& draw)
{
    UINT flags = DT_NOPREFIX | DT_END_ELLIPSIS;
    flags |= hAlign == taRightJustify ? DT_RIGHT : hAlign == taCenter ? DT_CENTER : DT_LEFT;
    const bool multiLine = wordWrap || hasLineBreak;
    if (multiLine) {
        flags |= DT_WORDBREAK;
        if (vAlign != vtaTop) {
            RECT calc = tr;
            canvas->RequiredState();
            draw(&calc, flags | DT_CALCRECT);
            const int h = calc.bottom - calc.top;
            const int space = tr.Bottom - tr.Top - h;
            if (space > 0)
                tr.Top += vAlign == vtaCenter ? space / 2 : space;
        }
    } else {
        flags |= DT_SINGLELINE;
        flags |= vAlign == vtaCenter ? DT_VCENTER : vAlign == vtaBottom ? DT_BOTTOM : DT_TOP;
    }
    canvas->RequiredState();
    RECT wr = tr;
    // wrapped lines are drawn whole: a line the cell has no room for is left out, not
    // cut through its letters (the first line always shows)
    if (multiLine) {
        const int lineHeight = std::max(1, canvas->TextHeight("Wg"));
        const int lines = std::max(1, (tr.Bottom - tr.Top) / lineHeight);
        wr.bottom = std::min<LONG>(wr.bottom, tr.Top + lines * lineHeight);
    }
    draw(&wr, flags);
}

} // namespace

void TPlusStringGrid::DrawPlainCellText(TCanvas* canvas, const String& text, TRect tr, TAlignment hAlign,
                                        TVAlignment vAlign, bool wordWrap)
{
    PaintGridCellTextAligned(canvas, text.find('\n') != String::npos, tr, hAlign, vAlign, wordWrap,
                             [&](RECT* r, UINT flags) { ::DrawText(canvas->Handle(), text, r, flags); });
}

void TPlusStringGrid::DrawFixedCellEdges(TCanvas* canvas, const TRect& outer)
{
    if (!Flat() && GradientLook(look_)) {
        TRect lr = outer;
        lr.Bottom += 1;
        if (Options().Contains(goFixedHorzLine)) {
            canvas->Pen->Width = 1;
            canvas->Pen->Color = HalfColor(ColorToRGB(FixedColor()));
            Line(canvas, lr.Left, lr.Bottom - 1, lr.Right - 1, lr.Bottom - 1);
        }
        canvas->Pen->Color = clWhite;
        canvas->Pen->Width = 1;
        Line(canvas, lr.Right - 2, lr.Top + 1, lr.Left + 1, lr.Top + 1);
        canvas->LineTo(lr.Left + 1, lr.Bottom - 1);
    } else if (look_ == glClassic) {
        canvas->Pen->Color = clWhite;
        Line(canvas, outer.Left + 1, outer.Bottom - 2, outer.Left + 1, outer.Top + 1);
        canvas->LineTo(outer.Right - 1, outer.Top + 1);
        canvas->Pen->Color = clGray;
        Line(canvas, outer.Right - 2, outer.Top + 1, outer.Right - 2, outer.Bottom - 2);
        canvas->LineTo(outer.Left, outer.Bottom - 2);
    }
}

void TPlusStringGrid::DrawCurrentCellFocus(TCanvas* canvas, int rc, int row, const TRect& outer)
{
    const int fixedCols = TBaseGrid::FixedCols();
    const int fixedRows = TBaseGrid::FixedRows();
    if (!HideFocusRect && HasFocusForDrawing() && !Options().Contains(goRowSelect) && Row() >= fixedRows &&
        Col() >= fixedCols) {
        const TPoint base = BaseCellOf(rc, row);
        if (RealToDisplayColumn(base.X) == Col() && base.Y == Row()) {
            TRect fr = outer;
            const int grow = GridLineWidth() - 1;
            fr = TRect(fr.Left - grow, fr.Top - grow, fr.Right + grow - 1, fr.Bottom + grow - 1);
            canvas->Brush->Color = clWhite;
            canvas->Font->Color = clBlack;
            canvas->DrawFocusRect(fr);
        }
    }
}

void TPlusStringGrid::DrawCellText(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state)
{
    ++PaintedCellCount;
    const int rc = DisplayToRealColumn(col);
    const int fixedCols = TBaseGrid::FixedCols();
    const int fixedRows = TBaseGrid::FixedRows();
    TRect r = rect;
    bool wordWrap = WordWrap;
    TColor colorTo, mirrorColor, mirrorColorTo;
    TAlignment hAlign = taLeftJustify;
    TVAlignment vAlign = vtaTop;
    TCellGradientDirection direction = GradientVertical;
    TGridDrawState cellState = state;
    GetCellColors(col, row, cellState, false, false, true, canvas->Brush, colorTo, mirrorColor, mirrorColorTo,
                  canvas->Font, hAlign, vAlign, wordWrap, direction);
    const bool fixed = IsFixedCell(col, row) || col < fixedCols || row < fixedRows;
    // selected text takes the selection's text colour
    if (state.Contains(gdSelected) && ShowSelection && !fixed && selectionTextColor_ != clNone)
        canvas->Font->Color = selectionTextColor_;
    if (state.Contains(gdSelected) && !HasFocusForDrawing() && selectionColor_ == clNone)
        canvas->Brush->Color = clHighlight;
    if (FontSizeDelta != 0)
        canvas->Font->SetSize(std::max(1, canvas->Font->Size() + FontSizeDelta));
    const TColor savedBrush = canvas->Brush->Color;
    const TColor savedFont = canvas->Font->Color;
    if (fixed && GradientLook(look_))
        DrawFixedLook(canvas, col, row, r);
    // the modified mark of the row header
    if (col == 0 && showModified_->Enabled && GetRowModified(row)) {
        canvas->Brush->Color = showModified_->Color();
        canvas->Pen->Color = showModified_->Color();
        canvas->Rectangle(r.Right - 4, r.Top, r.Right, r.Bottom);
        canvas->Brush->Color = savedBrush;
    }
    if (OnCustomCellBkgDraw)
        OnCustomCellBkgDraw(this, canvas, rc, row, state, r, false);

    if (backGround_->HasPicture() || backGround_->IsGradient())
        DrawCellBackground(canvas, rc, row, r, state);
    TCellGraphic* graphic = GetCellGraphicOf(rc, row);
    String text = GetCellText(rc, row);
    // the graphic takes its place first; text beside it gets the rest of the cell
    TRect textRect = r;
    // a scroll-bar cell shows its bar at the right and its text from the bar's position on
    const int textScroll = IsScrollBarCell(rc, row) ? DrawScrollBarCell(canvas, rc, row, textRect) : 0;
    if (graphic)
        DrawCellGraphic(canvas, graphic, col, row, textRect, text);
    const bool drawText = !(OwnerDrawCells && (OnDrawCell || OnCustomCellDraw)) && !text.empty() &&
                          !(graphic && (graphic->CellType == ctProgress || graphic->CellType == ctRangeIndicator ||
                                        graphic->CellType == ctXPProgress || graphic->CellType == ctRating ||
                                        graphic->CellType == ctRotated || graphic->CellType == ctRadio));
    // the filter button at the right end of a header cell of the filter row; the text keeps
    // clear of it
    if (row == filterDropDownRow_ && row < fixedRows && ShowsFilterButton(rc)) {
        DrawFilterButton(canvas, rc, textRect);
        textRect.Right -= 16;
    }
    // the sort indicator of the sorted column's header
    if (row == fixedRows - 1 && fixed && sortSettings_->Show &&
        (sortSettings_->IndexShow ? sortIndexList_->IndexOfColumn(rc) >= 0 : rc == sortSettings_->Column))
        DrawSortIndicator(canvas, rc, textRect);
    if (drawText) {
        canvas->Brush->Style = bsClear;
        TRect tr(textRect.Left + XYOffset.X, textRect.Top + XYOffset.Y, textRect.Right - XYOffset.X,
                 textRect.Bottom - 1);
        HRGN outerClip = nullptr;
        bool hadClip = false;
        if (textScroll > 0) {
            outerClip = CreateRectRgn(0, 0, 0, 0);
            hadClip = GetClipRgn(canvas->Handle(), outerClip) == 1;
            IntersectClipRect(canvas->Handle(), tr.Left, tr.Top, tr.Right, tr.Bottom);
            tr.Top -= textScroll;
        }
        const uint8_t textKind = GetCellTextKind(text, EnableHTML);
        if (textKind == ctkRtf) {
            // rich text draws itself over the brush (left as it is on a selected cell of a grid
            // without the focus and without a selection colour)
            if (!(state.Contains(gdSelected) && !HasFocusForDrawing() && selectionColor_ == clNone)) {
                canvas->Brush->Style = bsSolid;
                canvas->Pen->Color = canvas->Brush->Color;
                canvas->FillRect(tr);
            }
            canvas->Brush->Style = bsClear;
            DrawRichTextCell(rc, row, canvas, tr);
            canvas->Font->Color = clBlack;
        } else if (EnableHTML && textKind == 1) {
            THtmlDrawArgs args;
            args.LinkColor = URLColor;
            args.WrapWords = wordWrap;
            args.ControlDown = HTMLButtonPressed && HTMLButtonCell == TPoint(rc, row);
            args.UnderlineOnHover = URLUnderlineOnHover;
            args.HoverLink = linkHover_ == TPoint(col, row) ? linkHoverAnchor_ : -1;
            THtmlDrawResult result;
            DrawHtml(canvas, text, tr, args, result);
        } else if (textKind == ctkWide) {
            // the stored wide form is never shown: its characters are drawn like a plain text
            const WideString wide = DecodeWideCellText(text);
            if (!wide.empty())
                PaintGridCellTextAligned(
                    canvas, wide.find(u'\n') != WideString::npos, tr, hAlign, vAlign, wordWrap,
                    [&](RECT* r, UINT flags) { DrawTextW(canvas->Handle(), wide.c_str(), int(wide.size()), r, flags); });
        } else {
            DrawPlainCellText(canvas, text, tr, hAlign, vAlign, wordWrap);
        }
        if (outerClip) {
            SelectClipRgn(canvas->Handle(), hadClip ? outerClip : nullptr);
            DeleteObject(outerClip);
        }
        canvas->Brush->Style = bsSolid;
    }
    canvas->Brush->Color = savedBrush;
    canvas->Font->Color = savedFont;
    TRect outer(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1);
    DrawCellBorders(canvas, rc, row, outer);
    // the raised look lines of fixed cells
    if (fixed)
        DrawFixedCellEdges(canvas, outer);
    if (rc == 0 && NodeCount > 0)
        DrawTreeLines(canvas, row, r);
    if (OnDrawCell)
        OnDrawCell(this, rc, row, TRect(r.Left + 1, r.Top + 1, r.Right - GridLineWidth(), r.Bottom - GridLineWidth()),
                   state);
    if (OnCustomCellDraw)
        OnCustomCellDraw(this, canvas, rc, row, state, r, false);
    // the focus rectangle of the current cell
    DrawCurrentCellFocus(canvas, rc, row, outer);
}

bool TPlusStringGrid::ShowsFilterButton(int realCol)
{
    if (!filterDropDownAuto_ && !OnGetColumnFilter)
        return false;
    // the automatic list always holds the clear entry or a value of a row: a paint need not
    // collect the column's values for the answer
    if (filterDropDownAuto_ && !OnGetColumnFilter && realCol >= TBaseGrid::FixedCols())
        return !FilterDropDownClear.empty() || RowCount() - fixedFooters_ > TBaseGrid::FixedRows() ||
               !hiddenRows_.empty();
    return BuildColumnFilterList(realCol);
}

void TPlusStringGrid::DrawFilterButton(TCanvas* canvas, int realCol, const TRect& rect)
{
    const bool active = filter_->HasColumnFilter(realCol);
    TBitmap* glyph = active ? filterDropDown_->GlyphActive() : filterDropDown_->Glyph();
    if (glyph && !glyph->Empty()) {
        glyph->Transparent = true;
        canvas->Draw(rect.Right - 16, rect.Top, glyph);
        return;
    }
    // the default button: a raised face with a down arrow, the arrow in the highlight colour
    // while the column has a condition
    const int h = std::min(rect.Bottom - rect.Top, 18);
    const TRect face(rect.Right - 16, rect.Top + 1, rect.Right - 1, rect.Top + h - 1);
    if (face.Right - face.Left < 8 || face.Bottom - face.Top < 6)
        return;
    const TColor savedBrush = canvas->Brush->Color, savedPen = canvas->Pen->Color;
    const TBrushStyle savedStyle = canvas->Brush->Style;
    RECT r = face;
    DrawFrameControl(canvas->Handle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    const int cx = (face.Left + face.Right) / 2, cy = (face.Top + face.Bottom) / 2;
    const TColor arrow = active ? clHighlight : clBlack;
    canvas->Brush->Style = bsSolid;
    canvas->Brush->Color = arrow;
    canvas->Pen->Color = arrow;
    canvas->Polygon({TPoint(cx - 4, cy - 2), TPoint(cx + 4, cy - 2), TPoint(cx, cy + 2)});
    canvas->Brush->Style = savedStyle;
    canvas->Brush->Color = savedBrush;
    canvas->Pen->Color = savedPen;
}

void TPlusStringGrid::DrawFixedLook(TCanvas* canvas, int col, int row, const TRect& rect)
{
    if (Flat())
        return;
    const int fixedCols = TBaseGrid::FixedCols();
    const int fixedRows = TBaseGrid::FixedRows();
    if (activeCellShow_ && ((col + 1 == fixedCols && row == Row()) || (col == Col() && row + 1 == fixedRows))) {
        DrawGradientBackground(canvas, rect, activeCellColor_, activeCellColorTo_, clNone, clNone, true, clNone, false,
                               true);
        return;
    }
    if (DrawHotFixedLook(canvas, col, row, rect))
        return;
    DrawGradientBackground(canvas, rect, canvas->Brush->Color, FixedLookColors.To, FixedLookColors.MirrorFrom,
                           FixedLookColors.MirrorTo, true, look_ == glVista ? clWhite : clNone, true, true);
}

void TPlusStringGrid::DrawSortIndicator(TCanvas* canvas, int col, TRect& rect)
{
    const int x = rect.Right - 10;
    const int y = rect.Top + (rect.Bottom - rect.Top) / 2;
    const TColor savedBrush = canvas->Brush->Color;
    const TColor savedPen = canvas->Pen->Color;
    if (sortSettings_->IndexShow) {
        const int position = sortIndexList_->IndexOfColumn(col);
        if (position < 0)
            return;
        const bool ascending = sortIndexList_->AscendingAt(position);
        canvas->Brush->Color = sortSettings_->IndexColor;
        canvas->Pen->Color = clBlack;
        if (ascending)
            canvas->Polygon({TPoint(x - 6, y + 8), TPoint(x + 6, y + 8), TPoint(x, y - 4)});
        else
            canvas->Polygon({TPoint(x - 7, y - 5), TPoint(x + 7, y - 5), TPoint(x, y + 8)});
        const int oldSize = canvas->Font->Size();
        const TColor oldColor = canvas->Font->Color;
        canvas->Font->SetSize(6);
        canvas->Font->Color = clBlack;
        canvas->Brush->Style = bsClear;
        canvas->TextOut(x - 2, ascending ? y - 2 : y - 4, std::to_string(position + 1));
        canvas->Brush->Style = bsSolid;
        canvas->Font->SetSize(oldSize);
        canvas->Font->Color = oldColor;
    } else if (sortSettings_->Direction == sdDescending) {
        canvas->Pen->Width = 1;
        canvas->Pen->Color = clWhite;
        Line(canvas, x + 4, y - 4, x, y + 4);
        canvas->Pen->Color = clGray;
        canvas->LineTo(x - 4, y - 4);
        canvas->LineTo(x + 4, y - 4);
    } else {
        canvas->Pen->Width = 1;
        canvas->Pen->Color = clWhite;
        Line(canvas, x - 4, y + 4, x + 4, y + 4);
        canvas->LineTo(x, y - 4);
        canvas->Pen->Color = clGray;
        canvas->LineTo(x - 4, y + 4);
    }
    canvas->Pen->Color = savedPen;
    canvas->Brush->Color = savedBrush;
    rect.Right -= 20; // the header text stays clear of the indicator
}

void TPlusStringGrid::DrawCellBorders(TCanvas* canvas, int col, int row, TRect rect)
{
    TCellBorders borders;
    TPen saved;
    saved.Assign(canvas->Pen);
    DoGetCellBorder(col, row, canvas->Pen, borders);
    if (borders.Empty()) {
        canvas->Pen->Assign(&saved);
        return;
    }
    const int w = canvas->Pen->Width;
    const int hx = Options().Contains(goVertLine) ? (w + 1) / 2 : 0;
    const int hy = Options().Contains(goHorzLine) ? (w + 1) / 2 : 0;
    TRect r(rect.Left + hx, rect.Top + hy, rect.Right - hx, rect.Bottom - hy);
    if (borders.Contains(cbLeft))
        Line(canvas, std::max(0, r.Left - hx), r.Top - hy, std::max(0, r.Left - hx), r.Bottom);
    if (borders.Contains(cbRight))
        Line(canvas, r.Right - 1, r.Top - hy, r.Right - 1, r.Bottom);
    if (borders.Contains(cbTop)) {
        const int y = GridLineWidth() == 0 ? r.Top + 1 : std::max(0, r.Top - GridLineWidth() + w / 2);
        Line(canvas, r.Left, y, r.Right, y);
    }
    if (borders.Contains(cbBottom))
        Line(canvas, r.Left - GridLineWidth() - 1, r.Bottom - 1 - w / 2, r.Right, r.Bottom - 1 - w / 2);
    canvas->Pen->Assign(&saved);
}

// ---------------------------------------------------------------- graphics

void TPlusStringGrid::DrawCellGraphic(TCanvas* canvas, TCellGraphic* g, int col, int row, TRect& rect,
                                      const String& text)
{
    const TRect cell = rect;
    const TColor savedBrush = canvas->Brush->Color;
    const TColor savedPen = canvas->Pen->Color;
    const int savedPenWidth = canvas->Pen->Width;
    switch (g->CellType) {
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox:
    case ctRadioButton:
    case ctRadio: DrawControlGraphic(canvas, g, col, row, cell, rect, text); break;
    case ctNode: DrawNodeGlyph(canvas, g, row, cell); break;
    case ctProgress: DrawProgressGraphic(canvas, g, cell, text); break;
    case ctProgressPie: DrawProgressPieGraphic(canvas, g, PlaceCellGraphic(g, cell, 20, 20, rect)); break;
    case ctComment:
        canvas->Brush->Color = g->CellIndex != 0 ? TColor(g->CellIndex) : clRed;
        canvas->Pen->Color = canvas->Brush->Color;
        canvas->Polygon({TPoint(cell.Right - 7, cell.Top), TPoint(cell.Right, cell.Top), TPoint(cell.Right, cell.Top + 7)});
        break;
    case ctButton:
    case ctBitButton: DrawButtonGraphic(canvas, g, col, row, cell, rect); break;
    case ctRating: DrawRatingGraphic(canvas, g, cell, text); break;
    case ctShape: DrawShapeGraphic(canvas, g, PlaceCellGraphic(g, cell, 14, 14, rect)); break;
    case ctRangeIndicator: DrawRangeIndicatorGraphic(canvas, g, cell, text); break;
    case ctBitmap:
        if (auto* bitmap = dynamic_cast<TBitmap*>(g->CellData); bitmap && !bitmap->Empty())
            DrawBitmapGraphic(canvas, g, bitmap, PlaceCellGraphic(g, cell, bitmap->Width(), bitmap->Height(), rect));
        break;
    case ctRotated: DrawRotatedGraphic(canvas, g, cell, text); break;
    default: break;
    }
    canvas->Brush->Color = savedBrush;
    canvas->Pen->Color = savedPen;
    canvas->Pen->Width = savedPenWidth;
}

TRect TPlusStringGrid::PlaceCellGraphic(const TCellGraphic* g, const TRect& cell, int w, int h, TRect& textRect)
{
    int x = cell.Left + 2, y = cell.Top + 2;
    switch (g->CellHAlign) {
    case haRight:
    case haAfterText: x = cell.Right - w - 2; break;
    case haCenter: x = cell.Left + (cell.Right - cell.Left - w) / 2; break;
    default: break;
    }
    switch (g->CellVAlign) {
    case vaBottom: y = cell.Bottom - h - 2; break;
    case vaCenter: y = cell.Top + (cell.Bottom - cell.Top - h) / 2; break;
    default: break;
    }
    if (g->CellHAlign == haBeforeText)
        textRect.Left = x + w + 1;
    else if (g->CellHAlign == haAfterText)
        textRect.Right = x - 1;
    return TRect(x, y, x + w, y + h);
}

void TPlusStringGrid::DrawProgressGraphic(TCanvas* canvas, const TCellGraphic* g, const TRect& cell,
                                          const String& text)
{
    double value = 0;
    String number = ExtractNumberText(text);
    TFormatSettings dot = FormatSettings();
    dot.DecimalSeparator = '.';
    if (!TryStrToFloat(number, value, dot))
        value = 0;
    value = std::clamp(value, 0.0, 100.0);
    TRect bar(cell.Left + 2, cell.Top + 2, cell.Right - 2, cell.Bottom - 2);
    canvas->Pen->Color = clGray;
    canvas->Brush->Color = g->CellColor2 != clNone ? g->CellColor2 : clWhite;
    canvas->Rectangle(bar);
    const int fillW = int((bar.Right - bar.Left - 2) * value / 100.0);
    if (fillW > 0)
        FillRectColor(canvas, TRect(bar.Left + 1, bar.Top + 1, bar.Left + 1 + fillW, bar.Bottom - 1),
                      g->CellColor != clNone ? g->CellColor : clHighlight);
    const String label = std::to_string(int(std::lround(value))) + "%";
    canvas->Brush->Style = bsClear;
    RECT wr = bar;
    canvas->RequiredState();
    ::DrawText(canvas->Handle(), label, &wr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    canvas->Brush->Style = bsSolid;
}

void TPlusStringGrid::DrawProgressPieGraphic(TCanvas* canvas, const TCellGraphic* g, const TRect& box)
{
    canvas->Pen->Color = clGray;
    canvas->Brush->Color = clWhite;
    canvas->Ellipse(box);
    const double value = std::clamp(g->CellAngle, 0, 100);
    if (value <= 0)
        return;
    std::vector<TPoint> points;
    const double cx = box.Left + 10, cy = box.Top + 10;
    points.push_back(TPoint(int(cx), int(cy)));
    const int steps = std::max(2, int(value / 2));
    for (int i = 0; i <= steps; ++i) {
        const double a = -M_PI / 2 + 2 * M_PI * value / 100.0 * i / steps;
        points.push_back(TPoint(int(std::lround(cx + 9 * std::cos(a))), int(std::lround(cy + 9 * std::sin(a)))));
    }
    canvas->Brush->Color = g->CellColor != clNone ? g->CellColor : clRed;
    canvas->Polygon(points);
}

void TPlusStringGrid::DrawButtonGraphic(TCanvas* canvas, TCellGraphic* g, int col, int row, const TRect& cell,
                                        TRect& textRect)
{
    int w = g->CellIndex & 0xFFFF, h = (g->CellIndex >> 16) & 0x7FFF;
    if (g->CellHAlign == haFull)
        w = cell.Right - cell.Left - 4;
    if (g->CellVAlign == vaFull)
        h = cell.Bottom - cell.Top - 4;
    const TRect box = PlaceCellGraphic(g, cell, std::max(4, w), std::max(4, h), textRect);
    g->CellValue = double((box.Left - cell.Left) | ((box.Top - cell.Top) << 16));
    canvas->RequiredState();
    RECT wr = box;
    const bool hot = hotButton_ == TPoint(col, row) && !g->CellBoolean;
    DrawFrameControl(canvas->Handle(), &wr, DFC_BUTTON,
                     DFCS_BUTTONPUSH | (g->CellBoolean ? DFCS_PUSHED : 0) | (hot ? DFCS_HOT : 0));
    if (hot) {
        // the button under the mouse lights up inside its edges
        canvas->Brush->Style = bsSolid;
        canvas->Brush->Color = TColor(0xFBF1E5);
        canvas->FillRect(TRect(box.Left + 2, box.Top + 2, box.Right - 2, box.Bottom - 2));
    }
    canvas->Brush->Style = bsClear;
    const TColor oldFont = canvas->Font->Color;
    canvas->Font->Color = clBtnText;
    canvas->RequiredState();
    ::DrawText(canvas->Handle(), g->CellText, &wr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    canvas->Font->Color = oldFont;
    canvas->Brush->Style = bsSolid;
}

void TPlusStringGrid::DrawRatingGraphic(TCanvas* canvas, const TCellGraphic* g, const TRect& cell,
                                        const String& text)
{
    double value = 0;
    TFormatSettings dot = FormatSettings();
    dot.DecimalSeparator = '.';
    TryStrToFloat(ExtractNumberText(text), value, dot);
    for (int i = 0; i < g->CellAngle; ++i) {
        const int x = cell.Left + 2 + i * 18, y = cell.Top + (cell.Bottom - cell.Top - 16) / 2;
        std::vector<TPoint> star;
        for (int k = 0; k < 10; ++k) {
            const double a = -M_PI / 2 + k * M_PI / 5;
            const double rr = k % 2 == 0 ? 7.5 : 3.2;
            star.push_back(TPoint(int(std::lround(x + 8 + rr * std::cos(a))), int(std::lround(y + 8 + rr * std::sin(a)))));
        }
        const bool filled = i < int(std::lround(value));
        canvas->Brush->Color = filled ? (g->CellColor != clNone ? g->CellColor : clYellow)
                                      : (g->CellColor2 != clNone ? g->CellColor2 : clWhite);
        canvas->Pen->Color = clGray;
        canvas->Polygon(star);
    }
}

void TPlusStringGrid::DrawShapeGraphic(TCanvas* canvas, const TCellGraphic* g, const TRect& box)
{
    canvas->Brush->Color = g->CellColor != clNone ? g->CellColor : clBlack;
    canvas->Pen->Color = g->CellColor2 != clNone ? g->CellColor2 : canvas->Brush->Color;
    const int midX = (box.Left + box.Right) / 2, midY = (box.Top + box.Bottom) / 2;
    switch (g->CellAngle % 4) {
    case 0: canvas->Ellipse(box); break;
    case 1: canvas->Rectangle(box); break;
    case 2: canvas->Polygon({TPoint(box.Left, box.Bottom), TPoint(box.Right, box.Bottom), TPoint(midX, box.Top)}); break;
    default:
        canvas->Polygon(
            {TPoint(midX, box.Top), TPoint(box.Right, midY), TPoint(midX, box.Bottom), TPoint(box.Left, midY)});
        break;
    }
}

void TPlusStringGrid::DrawRangeIndicatorGraphic(TCanvas* canvas, const TCellGraphic* g, const TRect& cell,
                                                const String& text)
{
    int value = 0;
    try {
        value = StrToInt(Trim(text));
    } catch (...) {
        value = 0;
    }
    const int cellW = cell.Right - cell.Left;
    const int mid = cell.Left + cellW / 2;
    const int half = cellW / 2 - 2;
    const int len = int(std::lround(half * std::min(1.0, std::abs(value) / double(std::max(1, g->CellIndex)))));
    if (value < 0)
        FillRectColor(canvas, TRect(mid - len, cell.Top + 3, mid, cell.Bottom - 3),
                      g->CellColor != clNone ? g->CellColor : clRed);
    else if (value > 0)
        FillRectColor(canvas, TRect(mid, cell.Top + 3, mid + len, cell.Bottom - 3),
                      g->CellColor2 != clNone ? g->CellColor2 : clGreen);
    if (g->CellBoolean) {
        canvas->Brush->Style = bsClear;
        RECT wr = cell;
        canvas->RequiredState();
        ::DrawText(canvas->Handle(), text, &wr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        canvas->Brush->Style = bsSolid;
    }
}

void TPlusStringGrid::DrawBitmapGraphic(TCanvas* canvas, const TCellGraphic* g, TBitmap* bitmap, const TRect& box)
{
    if (g->CellTransparent)
        DrawTransparentBitmap(canvas, bitmap, canvas->Brush->Color, box);
    else
        canvas->Draw(box.Left, box.Top, bitmap);
}

void TPlusStringGrid::DrawRotatedGraphic(TCanvas* canvas, const TCellGraphic* g, const TRect& cell,
                                         const String& text)
{
    const int oldOrientation = canvas->Font->Orientation;
    canvas->Font->Orientation = g->CellAngle * 10;
    canvas->Brush->Style = bsClear;
    canvas->TextOut(cell.Left + 2, cell.Bottom - 4, text);
    canvas->Brush->Style = bsSolid;
    canvas->Font->Orientation = oldOrientation;
}
