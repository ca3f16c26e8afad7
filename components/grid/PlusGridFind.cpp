// Finding text in the cells of the string grid, the incremental lookup in the sort column and
// the search footer panel.
#include "components/grid/PlusGrid.h"
#include "components/grid/PlusGridSearchPanel.h"

#include "components/grid/DrawRoutines.h"
#include "components/grid/FilterMatch.h"
#include "components/grid/HtmlUtils.h"

#include <algorithm>

// ---------------------------------------------------------------- the panel

namespace {

// The footer's button pictures: small arrows, a cross and a marker pen, drawn once per button.
enum class Glyph { Down, Up, Close, Highlight };

void DrawGlyph(TBitmap* bmp, Glyph kind, TColor color)
{
    bmp->SetSize(12, 12);
    TCanvas* c = bmp->Canvas();
    c->Brush->Color = clFuchsia;
    c->FillRect(TRect(0, 0, 12, 12));
    bmp->Transparent = true;
    bmp->SetTransparentColor(clFuchsia);
    c->Pen->Color = color;
    c->Brush->Color = color;
    switch (kind) {
    case Glyph::Down: {
        c->Polygon({TPoint(2, 4), TPoint(9, 4), TPoint(5, 9)});
        break;
    }
    case Glyph::Up: {
        c->Polygon({TPoint(2, 8), TPoint(9, 8), TPoint(5, 3)});
        break;
    }
    case Glyph::Close:
        for (int d = 0; d < 2; ++d) {
            c->MoveTo(2 + d, 2);
            c->LineTo(10 + d, 10);
            c->MoveTo(9 + d, 2);
            c->LineTo(1 + d, 10);
        }
        break;
    case Glyph::Highlight:
        c->Brush->Color = clYellow;
        c->Pen->Color = clBlack;
        c->Rectangle(TRect(1, 3, 11, 9));
        break;
    }
}

TPlusGridButton* MakeButton(TSearchPanel* panel, Glyph kind)
{
    auto* b = new TPlusGridButton(panel);
    b->SetParent(panel);
    TBitmap glyph;
    DrawGlyph(&glyph, kind, kind == Glyph::Close ? TColor(0x404040) : clNavy);
    b->SetGlyph(&glyph);
    return b;
}

} // namespace

TSearchPanel::TSearchPanel(TComponent* owner) : TPanel(owner)
{
    SetBevelOuter(bvNone);
    SetBorderWidth(0);
    Align = alBottom;
    SetHeight(0);
    CloseButton = MakeButton(this, Glyph::Close);
    CloseButton->SetFlat(true);
    CloseButton->OnClick = [this](TObject* s) {
        if (OnExitClick)
            OnExitClick(s);
    };
    Edit = new TEdit(this);
    Edit->SetParent(this);
    Edit->OnChange = [this](TObject* s) {
        const bool any = !Edit->Text().empty();
        ForwardButton->SetEnabled(any);
        BackwardButton->SetEnabled(any);
        HighlightButton->SetEnabled(any);
        if (OnEditChange)
            OnEditChange(s);
    };
    // Return finds the next match, Ctrl+Return the previous one
    Edit->OnKeyDown = [this](TObject* s, WORD& key, TShiftState shift) {
        if (key != VK_RETURN)
            return;
        key = 0;
        if (shift.Contains(ssCtrl)) {
            if (OnBackwardClick)
                OnBackwardClick(s);
        } else if (OnForwardClick) {
            OnForwardClick(s);
        }
    };
    ForwardButton = MakeButton(this, Glyph::Down);
    ForwardButton->OnClick = [this](TObject* s) {
        if (OnForwardClick)
            OnForwardClick(s);
    };
    BackwardButton = MakeButton(this, Glyph::Up);
    BackwardButton->OnClick = [this](TObject* s) {
        if (OnBackwardClick)
            OnBackwardClick(s);
    };
    HighlightButton = MakeButton(this, Glyph::Highlight);
    HighlightButton->SetStyle(tasCheck);
    HighlightButton->OnClick = [this](TObject* s) {
        if (OnHighlightClick)
            OnHighlightClick(s);
    };
    ForwardButton->SetEnabled(false);
    BackwardButton->SetEnabled(false);
    HighlightButton->SetEnabled(false);
    MatchCase = new TPlusCheckBox(this);
    MatchCase->SetParent(this);
    LayoutControls();
}

void TSearchPanel::LayoutControls()
{
    const bool mirrored = BiDiMode == bdRightToLeft;
    auto place = [&](TControl* c, int left, int top, int width, int height) {
        if (mirrored)
            left = Width() - width - left;
        c->SetBounds(left, top, width, height);
    };
    place(CloseButton, 5, 7, 14, 14);
    place(Edit, 25, 6, 110, Edit->Height() > 0 ? Edit->Height() : 21);
    place(ForwardButton, 140, 5, 90, ForwardButton->Visible() ? 23 : 0);
    place(BackwardButton, 235, 5, 90, BackwardButton->Visible() ? 23 : 0);
    place(HighlightButton, 330, 5, 90, HighlightButton->Visible() ? 23 : 0);
    place(MatchCase, HighlightButton->Visible() ? 425 : 330, 8, 120, MatchCase->Visible() ? 18 : 0);
}

void TSearchPanel::Paint()
{
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    if (ColorTo != clNone) {
        FillGradient(c, Color(), ColorTo, 32, r, false);
    } else {
        c->Brush->Color = Color();
        c->FillRect(r);
    }
    c->Pen->Color = LineColor;
    c->MoveTo(r.Left, r.Top);
    c->LineTo(r.Right, r.Top);
}

// ---------------------------------------------------------------- searching

bool TPlusStringGrid::CellMatchesSearch(int ACol, int ARow)
{
    const bool matchCase = searchOptions_.Contains(soMatchCase);
    const int col = searchOptions_.Contains(soIncludeHiddenColumns) ? ACol : DisplayToRealColumn(ACol);
    String text = searchOptions_.Contains(soIncludeHiddenRows) ? GetAllCells(col, ARow) : GetCellText(col, ARow);
    if (searchOptions_.Contains(soIgnoreHTML))
        text = HtmlToPlainText(text);
    if (searchOptions_.Contains(soMatchExpression)) {
        try {
            return MatchFilterExpression(searchText_, text, matchCase);
        } catch (const Exception&) {
            return false;
        }
    }
    if (!matchCase)
        text = AnsiUpperCase(text);
    if (searchText_ == "\"\"")
        return text.empty();
    const size_t p = text.find(searchText_);
    bool hit = searchOptions_.Contains(soMatchStart) ? p == 0 : p != String::npos;
    if (searchOptions_.Contains(soMatchFull))
        hit = hit && text == searchText_;
    return hit;
}

void TPlusStringGrid::SearchCells(TPoint Start, const String& Text, TPoint& Found, TCellSearchOptions Options)
{
    Found = TPoint(-1, -1);
    searchOptions_ = Options;
    searchText_ = Options.Contains(soMatchCase) ? Text : AnsiUpperCase(Text);
    const int fixedCols = TBaseGrid::FixedCols(), fixedRows = TBaseGrid::FixedRows();
    if (ColCount() == fixedCols || ColCount() == 0 || GetAllRowCount() == fixedRows || RowCount() == 0)
        return;
    int c1, c2, r1, r2;
    if (Options.Contains(soIncludeFixed)) {
        c1 = 0, c2 = ColCount() - 1, r1 = 0, r2 = RowCount() - 1;
    } else {
        c1 = fixedCols, c2 = ColCount() - fixedRightCols_ - 1;
        r1 = fixedRows, r2 = RowCount() - fixedFooters_ - 1;
    }
    if (Options.Contains(soSelectionOnly)) {
        const TGridRect s = Selection();
        c1 = s.Left, c2 = s.Right, r1 = s.Top, r2 = s.Bottom;
    }
    if (Options.Contains(soIncludeHiddenColumns))
        c2 += HiddenColCount;
    if (Options.Contains(soIncludeHiddenRows))
        r2 += HiddenRowCount();
    if (Options.Contains(soCurrentRowOnly))
        r1 = r2 = Row();
    else if (Options.Contains(soPresetRow))
        r1 = r2 = PresetRow;
    if (Options.Contains(soCurrentColumnOnly))
        c1 = c2 = Col();
    else if (Options.Contains(soPresetColumn))
        c1 = c2 = PresetColumn;
    if (c1 > c2 || r1 > r2 || c1 < 0 || r1 < 0)
        return;

    // the scan order as one line of positions: outer lines (rows or columns), inner cells
    const bool byRow = Options.Contains(soRowByRow);
    const bool backward = Options.Contains(soBackward);
    const int o1 = byRow ? r1 : c1, o2 = byRow ? r2 : c2;
    const int i1 = byRow ? c1 : r1, i2 = byRow ? c2 : r2;
    const int64_t inner = i2 - i1 + 1;
    const int64_t total = int64_t(o2 - o1 + 1) * inner;
    int64_t at;
    if (Start.X == -1 && Start.Y == -1) {
        at = backward ? total - 1 : 0;
    } else if (!backward && Start.X > c2 && Start.Y > r2) {
        at = 0;
    } else if (backward && Start.X < c1 && Start.Y < r1) {
        at = total - 1;
    } else {
        const int so = byRow ? Start.Y : Start.X, si = byRow ? Start.X : Start.Y;
        if (!backward) {
            if (so < o1)
                at = 0;
            else if (so > o2)
                return;
            else
                at = int64_t(so - o1) * inner + std::clamp<int64_t>(si - i1 + 1, 0, inner);
        } else {
            if (so > o2)
                at = total - 1;
            else if (so < o1)
                return;
            else
                at = int64_t(so - o1) * inner + std::clamp<int64_t>(si - i1, 0, inner) - 1;
        }
    }
    for (; at >= 0 && at < total; at += backward ? -1 : 1) {
        const int o = o1 + int(at / inner), i = i1 + int(at % inner);
        const int col = byRow ? i : o, row = byRow ? o : i;
        if (excludedColumns_->HasValue(col))
            continue;
        NotifyProgress(1, row);
        if (!CellMatchesSearch(col, row))
            continue;
        LastFoundCell = TPoint(col, row);
        Found = LastFoundCell;
        if (Options.Contains(soAutoGoto)) {
            int target = row;
            if (Options.Contains(soIncludeHiddenRows) && HiddenRowCount() > 0) {
                if (IsRowHidden(row))
                    for (int r = row - 1; r >= 0; --r)
                        if (!IsRowHidden(r) && IsNodeRow(RealToDisplayRow(r)) && GetNodeState(RealToDisplayRow(r))) {
                            ExpandNode(RealToDisplayRow(r));
                            break;
                        }
                target = DisplayRowIndex(row);
            }
            if (target >= 0 && target < RowCount()) {
                if (mouseActions_->DisjunctRowSelect()) {
                    ClearRowSelection();
                    SetRowSelected(target, true);
                    SetRow(target);
                } else {
                    SetRow(target);
                    if (col < ColCount())
                        SetCol(col);
                }
            }
        }
        return;
    }
}

void TPlusStringGrid::FindCellFrom(TPoint Start, const String& Text, TPoint& Found, TCellSearchOptions Options)
{
    NotifyProgress(0, -1);
    SearchCells(Start, Text, Found, Options);
    NotifyProgress(Found.X < 0 ? 2 : 4, -1);
    if (Options.Contains(soAutoGoto) && Found.X >= 0) {
        const int step = 1;
        if (Row() == TopRow() + VisibleRowCount() - 1 && RowCount() > VisibleRowCount() + TBaseGrid::FixedRows())
            SetTopRowChecked(TopRow() + step);
    }
}

int TPlusStringGrid::LookupInSortedColumn(const String& Text)
{
    if (RowCount() <= 1)
        return -1;
    const TSortSettings& s = *sortSettings_;
    int col = TBaseGrid::FixedCols();
    if (s.Show && !s.IndexShow)
        col = s.Column;
    else if (s.Show && sortIndexList_->Count() > 0)
        col = sortIndexList_->ColumnAt(0);
    if (col < 0)
        return -1;
    for (int r = TBaseGrid::FixedRows(); r < RowCount(); ++r)
        if (AnsiUpperCase(GetCellPlainText(col, r).substr(0, Text.size())) == Text)
            return r;
    return -1;
}

// ---------------------------------------------------------------- the footer's handlers

TCellSearchOptions TPlusStringGrid::SearchFooterOptions()
{
    const TSearchFooter& sf = *searchFooter_;
    TCellSearchOptions options;
    options << soAutoGoto;
    if (searchPanel_->HighlightButton->Down())
        options << soIgnoreHTML;
    if (searchPanel_->MatchCase->Checked())
        options << soMatchCase;
    if (sf.SearchActiveColumnOnly)
        options << soCurrentColumnOnly;
    if (sf.SearchMatchStart)
        options << soMatchStart;
    if (sf.SearchDirection == sdLeftRight)
        options << soRowByRow;
    if (sf.SearchColumn >= 0 && sf.SearchColumn < ColCount()) {
        options << soPresetColumn;
        PresetColumn = sf.SearchColumn;
    }
    return options;
}

void TPlusStringGrid::SearchFooterEditChange(TObject*)
{
    if (!searchPanel_)
        return;
    const String text = searchPanel_->Edit->Text();
    bool defaultSearch = true;
    if (OnSearchEditChange)
        OnSearchEditChange(this, text, defaultSearch);
    const TSearchFooter& sf = *searchFooter_;
    if (!defaultSearch || !sf.AutoSearch)
        return;
    TCellSearchOptions options = SearchFooterOptions();
    if (sf.SearchFixedCells)
        options << soIncludeFixed;
    if (sf.SearchHiddenRows)
        options << soIncludeHiddenRows;
    TColor color = clWindow;
    const bool highlighting = searchPanel_->HighlightButton->Down();
    if (highlighting)
        RemoveSearchHighlights();
    if (!text.empty()) {
        TPoint found;
        FindCellFrom(TPoint(-1, -1), text, found, options);
        LastFoundCell = found;
        DoSearchFooterAction(text, found.X, found.Y, saFindFirst);
        if (found.X < 0) {
            color = clRed;
        } else {
            ScrollInView(found.X, found.Y);
            if (highlighting || sf.AlwaysHighLight)
                HighlightSearchText(text);
        }
    }
    if (searchPanel_->Edit->Color() != color) {
        searchPanel_->Edit->SetColor(color);
        searchPanel_->Edit->Invalidate();
    }
}

void TPlusStringGrid::SearchFooterFind(bool backward)
{
    if (!searchPanel_)
        return;
    const String text = searchPanel_->Edit->Text();
    const TSearchFooter& sf = *searchFooter_;
    if (!sf.AutoSearch && text != footerSearchText_)
        LastFoundCell = TPoint(-1, -1);
    footerSearchText_ = text;
    TCellSearchOptions options = SearchFooterOptions();
    if (backward)
        options << soBackward;
    TPoint found;
    FindCellFrom(LastFoundCell, text, found, options);
    LastFoundCell = found;
    if (found.X >= 0)
        ScrollInView(found.X, found.Y);
    DoSearchFooterAction(text, found.X, found.Y, backward ? saFindPrevious : saFindNext);
    searchPanel_->Invalidate();
}

void TPlusStringGrid::SearchFooterFindNext(TObject*) { SearchFooterFind(false); }

void TPlusStringGrid::SearchFooterFindPrevious(TObject*) { SearchFooterFind(true); }

void TPlusStringGrid::SearchFooterClose(TObject*)
{
    if (OnSearchFooterClose)
        OnSearchFooterClose(this);
    searchFooter_->SetVisible(false);
    UpdateSearchPanel();
}

void TPlusStringGrid::SearchFooterHighlight(TObject*)
{
    if (!searchPanel_)
        return;
    // the marks of an earlier text go first, so that only the edit's text stays marked
    RemoveSearchHighlights();
    const String text = searchPanel_->Edit->Text();
    if (searchPanel_->HighlightButton->Down() && !text.empty())
        HighlightSearchText(text);
    Invalidate();
}

void TPlusStringGrid::HighlightSearchText(const String& text)
{
    const bool matchCase = searchPanel_ && searchPanel_->MatchCase->Checked();
    const int column = searchFooter_->SearchColumn;
    if (column < 0)
        HighlightInGrid(false, matchCase, text);
    else
        HighlightInColumn(false, matchCase, text, column);
}

void TPlusStringGrid::RemoveSearchHighlights()
{
    const int column = searchFooter_->SearchColumn;
    if (column < 0)
        RemoveAllHighlights(false);
    else
        UnHighlightColumn(false, column);
}

void TPlusStringGrid::UpdateSearchPanel()
{
    if (Loading())
        return;
    const TSearchFooter& sf = *searchFooter_;
    // the marks of the footer's search go with it (with AlwaysHighLight they are redone by the
    // next search)
    if (searchPanel_ && ((searchPanel_->HighlightButton->Down() && searchPanel_->Visible() && !sf.Visible()) ||
                         sf.AlwaysHighLight))
        RemoveAllHighlights(false);
    if (!searchPanel_) {
        if (!sf.Visible())
            return;
        searchPanel_ = new TSearchPanel(this);
        searchPanel_->SetParent(this);
        searchPanel_->OnEditChange = [this](TObject* s) { SearchFooterEditChange(s); };
        searchPanel_->OnForwardClick = [this](TObject* s) { SearchFooterFindNext(s); };
        searchPanel_->OnBackwardClick = [this](TObject* s) { SearchFooterFindPrevious(s); };
        searchPanel_->OnExitClick = [this](TObject* s) { SearchFooterClose(s); };
        searchPanel_->OnHighlightClick = [this](TObject* s) { SearchFooterHighlight(s); };
        if (OnCreatedSearchFooter)
            OnCreatedSearchFooter(this);
    }
    TSearchPanel& p = *searchPanel_;
    p.SetColor(sf.Color());
    p.ColorTo = sf.ColorTo();
    p.LineColor = GridLineColor();
    p.Font()->Assign(sf.Font());
    p.ForwardButton->SetCaption(sf.FindNextCaption());
    p.BackwardButton->SetCaption(sf.FindPrevCaption());
    p.HighlightButton->SetCaption(sf.HighLightCaption());
    p.MatchCase->SetCaption(sf.MatchCaseCaption());
    auto hint = [](TControl* c, const String& text) {
        c->SetHint(text);
        c->ShowHint = !text.empty();
    };
    hint(p.CloseButton, sf.HintClose());
    hint(p.ForwardButton, sf.HintFindNext());
    hint(p.BackwardButton, sf.HintFindPrev());
    hint(p.HighlightButton, sf.HintHighlight());
    p.HighlightButton->SetVisible(sf.ShowHighLight());
    p.CloseButton->SetVisible(sf.ShowClose());
    p.MatchCase->SetVisible(sf.ShowMatchCase());
    p.MatchCase->SetTransparent(true);
    p.BackwardButton->SetVisible(sf.ShowFindPrev());
    p.ForwardButton->SetVisible(sf.ShowFindNext());
    p.SetWidth(ClientWidth());
    p.SetHeight(sf.Visible() ? 32 : 0);
    p.SetTop(ClientHeight() - p.Height());
    p.SetVisible(sf.Visible());
    p.LayoutControls();
    if (sf.Visible() && Row() >= TopRow() + VisibleRowCount() - 1)
        SetTopRowChecked(TopRow() + 1);
}
