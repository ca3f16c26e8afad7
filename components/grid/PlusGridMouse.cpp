// TPlusStringGrid: the mouse. A left press records the mouse state (press point, header index,
// sizing candidate) and gives the press to the framework grid, which selects cells and starts
// sizing and moving columns; mouse moves report sizing and keep the hover looks; the release
// ends sizing and moving and sorts on a click in the header row. Presses on a merged range act
// on its base cell.
#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"
#include "components/grid/HtmlRender.h"
#include "components/grid/HtmlUtils.h"
#include "components/grid/TextRoutines.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinShell.h"
#include "platform/win/WinToolTip.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------- the press

namespace {

bool IsSpinType(TEditorType t)
{
    return t == edSpinEdit || t == edFloatSpinEdit || t == edTimeSpinEdit || t == edDateSpinEdit;
}

bool IsComboType(TEditorType t)
{
    return t == edComboEdit || t == edComboList || t == edUniComboEdit || t == edUniComboList;
}

} // namespace

TShiftState TPlusStringGrid::PressShift() const
{
    // the events of a press get one key only: Alt before Shift before Ctrl
    if (GetKeyState(VK_MENU) < 0)
        return TShiftState{ssAlt};
    if (GetKeyState(VK_SHIFT) < 0)
        return TShiftState{ssShift};
    if (GetKeyState(VK_CONTROL) < 0)
        return TShiftState{ssCtrl};
    return TShiftState{};
}

void TPlusStringGrid::WMLButtonDown(TMessage& m)
{
    MarkPressStart();
    int x = m.XPos(), y = m.YPos();
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    if (PressEndsBeforeCell(m, x, y, col, row))
        return;
    const TPoint sizing = RecordPressPoint(col, row, x, y);
    if (col < 0 || row < 0) {
        HideInplaceEditor();
        if (!FixedRowAlways)
            Inherited(m);
        return;
    }
    const bool fixedCell = row < TBaseGrid::FixedRows() || col < TBaseGrid::FixedCols();
    const TPoint base = BaseCellOf(col, row);
    const TRect cellRect = MergedCellRect(base.X, base.Y);
    if (MouseActions()->CaretPositioning)
        EditorClickThrough = true;
    if (StartFixedEdgeSizing(x, y))
        return;
    if (fixedCell || IsFixedCell(col, row))
        HideInplaceEditor();
    const bool extraFixed = !fixedCell && IsFixedCell(col, row);

    if (col < ColCount() && row < RowCount() && PressCellContent(col, row, x, y, cellRect, fixedCell || extraFixed))
        return;

    // a press inside a merged range acts on its base cell
    if (!fixedCell && InMergedRange(col, row) && !(base.X == col && base.Y == row) && !OnMouseDown) {
        x = cellRect.Left + 2;
        y = cellRect.Top + 2;
        m.LParam = MAKELPARAM(x, y);
    }
    if (col >= ColCount() || row >= RowCount()) {
        Inherited(m);
        return;
    }
    RecordSizingOffset(sizing);
    if (PressDisjunctSelection(m, col, row, base))
        return;
    const String text = Cells(DisplayToRealColumn(base.X), base.Y);
    if ((URLShow && IsUrlText(text)) || GetCellTextKind(text, EnableHTML) == 1) {
        if (PressLink(base.X, base.Y, x, y, cellRect))
            return;
    }
    RecordHeaderPress(col, row, x, y, cellRect);

    const int realCol = DisplayToRealColumn(base.X);
    bool editable = Options().Contains(goEditing) || MouseActions()->RangeSelectAndEdit;
    if (editable)
        editable = CanEditCellQuery(realCol, base.Y);
    if (PressCheckOrRadio(col, row, x, y, editable))
        return;
    bool hasCombo = false;
    const bool directEdit = PressStartsDirectEdit(col, row, realCol, base.Y, editable, hasCombo);
    const TGridRect sel = Selection();
    const bool sameCell = cellRect.Contains(TPoint(x, y)) && sel.Left == base.X && sel.Right == base.X &&
                          sel.Top == base.Y && sel.Bottom == base.Y;
    // a press beside the current cell on a cell that may not be edited selects a range
    if (MouseActions()->RangeSelectAndEdit && !sameCell && !fixedCell && !editable)
        SetOptions(Options() - TGridOptions{goEditing});

    if (extraFixed) {
        if (OnClickCell)
            OnClickCell(this, row, col);
        return;
    }
    if (!PassPressToFramework(m))
        return;
    // whatever the framework selected, the current cell stands on a base cell
    SnapToBaseCell();
    if (MouseActions()->NoScrollOnPartialRow && TopRow() != topAtPress_)
        SetTopRowChecked(topAtPress_);
    const bool onEdge = x - cellRect.Left <= 3 || cellRect.Right - x <= 3;
    if ((!onEdge || !Options().Contains(goColSizing) || row >= TBaseGrid::FixedRows()) && OnClickCell)
        OnClickCell(this, row, col);
    if (OnCellValidate)
        StoreCellSnapshot(Col(), Row());
    const bool mergedEdit = !fixedCell && InMergedRange(base.X, base.Y) &&
                            (sameCell || MouseActions()->DirectEdit) && editable;
    OpenEditorAfterPress(base, realCol, mergedEdit, !onEdge && directEdit, hasCombo);
}

void TPlusStringGrid::MarkPressStart()
{
    pressMark_ = true;
    buttonDown_ = true;
    rangeEditMark_ = true;
    spinUpMark_ = false;
    spinDownMark_ = false;
}

bool TPlusStringGrid::PressEndsBeforeCell(TMessage& m, int x, int y, int col, int row)
{
    TMouseActions* actions = MouseActions();
    // the selection resizer's handle starts sizing the selection
    if (SelectionResizerHandle().Contains(TPoint(x, y))) {
        StartSelectionResize(m, x, y, true);
        m.Result = 1;
        return true;
    }
    if (actions->RangeSelectAndEdit && Options().Contains(goEditing) && !Selection().Contains(col, row))
        SetOptions(Options() - TGridOptions{goEditing});
    if (OnCanClickCell) {
        bool allow = true;
        OnCanClickCell(this, row, col, allow);
        if (!allow)
            return true;
    }
    if (mouseZone_ == 5) {
        StartSelectionResize(m, x, y, false);
        return true;
    }
    return false;
}

TPoint TPlusStringGrid::RecordPressPoint(int col, int row, int x, int y)
{
    // a plain press on a data cell starts a new disjunct cell selection
    if (MouseActions()->DisjunctCellSelect() && col >= 0 && row >= 0 && !(PressShift() == TShiftState{ssCtrl}) &&
        !(row < TBaseGrid::FixedRows() || col < TBaseGrid::FixedCols() || IsFixedCell(col, row)) &&
        SelectedCells()->Count() > 0) {
        SelectedCells()->Clear();
        Invalidate();
    }
    LookupText = "";
    dragCandidate_ = false;
    pressedControl_ = TPoint(-1, -1);
    leftAtPress_ = LeftCol();
    topAtPress_ = TopRow();

    // the cell left of and above the press: the one whose edge a press near it would size
    int sc = -1, sr = -1;
    if (row == 0)
        MouseToCell(x - 5, y, sc, sr);
    else if (col != 0)
        MouseToCell(x - 5, y - 4, sc, sr);
    else
        MouseToCell(x, y - 4, sc, sr);
    sizingCandidate_ = TPoint(sc, sr);
    downPoint_ = TPoint(x, y);
    // the list-view header under the mouse shows pressed
    if (Look() == glListView && listViewHover_.X >= 0 &&
        (listViewHover_.X < TBaseGrid::FixedCols() || listViewHover_.Y < TBaseGrid::FixedRows()))
        RepaintCell(listViewHover_.X, listViewHover_.Y);
    return TPoint(sc, sr);
}

bool TPlusStringGrid::StartFixedEdgeSizing(int x, int y)
{
    if (!fixedColHover_ && !fixedRowHover_)
        return false;
    const bool columns = fixedColHover_;
    const int index = FixedEdgeAt(columns, columns ? x : y);
    if (index < 0 || (columns ? TBaseGrid::FixedCols() : TBaseGrid::FixedRows()) <= 0 || HasState(csDesigning))
        return false;
    (columns ? fixedColActive_ : fixedRowActive_) = true;
    fixedSizingIndex_ = index;
    fixedLinePos_ = columns ? x : y;
    return true;
}

void TPlusStringGrid::RecordSizingOffset(TPoint sizing)
{
    if (sizing.X >= 0 && sizing.Y >= 0) {
        const TRect candidate = CellRect(sizing.X, sizing.Y);
        sizingOffset_ = TPoint(downPoint_.X - candidate.Right, downPoint_.Y - candidate.Bottom);
    } else {
        sizingOffset_ = TPoint(0, 0);
    }
}

bool TPlusStringGrid::PressDisjunctSelection(TMessage& m, int col, int row, TPoint base)
{
    TMouseActions* actions = MouseActions();
    wasSelected_ = false;
    disjunctCleared_ = false;
    if (actions->DisjunctRowSelect() && row >= TBaseGrid::FixedRows() &&
        (col != 0 || !actions->HotmailRowSelect())) {
        const TShiftState keys = KeyboardShift();
        if (keys.Contains(ssShift)) {
            const TGridRect before = Selection();
            Inherited(m);
            SetSelection(TGridRect{std::min(base.X, before.Left), std::min(base.Y, before.Top),
                                   std::max(base.X, before.Left), std::max(base.Y, before.Top)});
            return true;
        }
        if (keys.Contains(ssCtrl) || actions->DisjunctRowSelectNoCtrl) {
            wasSelected_ = GetRowSelected(actions->RowSelectPersistent ? DisplayToRealRow(row) : row);
        } else {
            disjunctCleared_ = true;
            if (!keys.Contains(ssAlt))
                ClearRowSelection();
        }
    }
    if (actions->DisjunctColSelect() && col >= TBaseGrid::FixedCols()) {
        if (GetKeyState(VK_CONTROL) < 0) {
            wasSelected_ = GetColSelected(col);
        } else {
            disjunctCleared_ = true;
            ClearColSelection();
        }
    }
    return false;
}

void TPlusStringGrid::RecordHeaderPress(int col, int row, int x, int y, const TRect& cellRect)
{
    headerIndex_ = -1;
    PressHeaderSelection(col, row);
    if (row < TBaseGrid::FixedRows() && col >= TBaseGrid::FixedCols())
        headerIndex_ = col;
    else if (col < TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows())
        headerIndex_ = row;
    clickOffset_ = TPoint(x - cellRect.Left, y - cellRect.Top);
}

bool TPlusStringGrid::PressStartsDirectEdit(int col, int row, int realCol, int baseRow, bool editable, bool& hasCombo)
{
    TMouseActions* actions = MouseActions();
    hasCombo = false;
    if (col >= TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows() && ControlLook()->DropDownAlwaysVisible()) {
        if (OnHasComboBox) {
            OnHasComboBox(this, realCol, baseRow, hasCombo);
        } else {
            TEditorType type = DefaultEditor;
            GetEditorType(realCol, baseRow, type);
            hasCombo = IsComboType(type);
        }
    }
    const bool directEdit = col >= TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows() &&
                            (editable || (actions->EditOnDblClickOnly() && hasCombo)) &&
                            (actions->DirectEdit || (ControlLook()->DropDownAlwaysVisible() && hasCombo));
    if (directEdit) {
        HideInplaceEditor();
        if (CanFocus())
            SetFocus();
    }
    return directEdit;
}

bool TPlusStringGrid::PassPressToFramework(TMessage& m)
{
    const bool alwaysEdit = Navigation()->AlwaysEdit;
    const bool keepLeft = Options().Contains(goRowSelect) && Navigation()->KeepHorizScroll;
    if (keepLeft)
        BeginUpdate();
    const auto alive = Life();
    if (!SelectionParked) {
        try {
            Navigation()->AlwaysEdit = false;
            Inherited(m);
            if (!*alive)
                return false;
            Navigation()->AlwaysEdit = alwaysEdit;
        } catch (...) {
            if (*alive) {
                Navigation()->AlwaysEdit = alwaysEdit;
                if (keepLeft) {
                    SetLeftCol(leftAtPress_);
                    EndUpdate();
                }
            }
            throw;
        }
    }
    if (keepLeft) {
        SetLeftCol(leftAtPress_);
        EndUpdate();
    }
    return true;
}

void TPlusStringGrid::OpenEditorAfterPress(TPoint base, int realCol, bool mergedEdit, bool directEdit, bool hasCombo)
{
    if (mergedEdit && !Editing) {
        ShowInplaceEditor();
    } else if (directEdit && !IsClickableControlCell(realCol, base.Y) && !Editing) {
        if (MouseActions()->EditOnDblClickOnly() && hasCombo && !Options().Contains(goEditing)) {
            SetOptions(Options() + TGridOptions{goEditing});
            if (CanFocus())
                SetFocus();
        }
        if (base.X == Col() && base.Y == Row()) {
            StoreCellSnapshot(Col(), Row());
            ShowEditor();
        }
    }
}

bool TPlusStringGrid::PressCellContent(int col, int row, int x, int y, const TRect& cellRect, bool fixedCell)
{
    TMouseActions* actions = MouseActions();
    const TPoint base = BaseCellOf(col, row);
    const int realCol = DisplayToRealColumn(base.X);
    const bool nodeRow = IsNodeRow(row);
    // fixed cells drawn as buttons are held down until the release
    if (fixedCell && FixedAsButtons && Options().Contains(goFixedVertLine) && Options().Contains(goFixedHorzLine) &&
        !(nodeRow && HitNodeGlyph(row, x))) {
        pressedControl_ = TPoint(col, row);
        RepaintCell(col, row);
    }
    // a spin button that is always shown: the half under the press steps the opening editor
    if (ControlLook()->SpinButtonsAlwaysVisible() && !fixedCell) {
        bool hasSpin = false;
        if (OnHasSpinEdit) {
            OnHasSpinEdit(this, realCol, base.Y, hasSpin);
        } else {
            TEditorType type = DefaultEditor;
            GetEditorType(realCol, base.Y, type);
            hasSpin = IsSpinType(type);
        }
        if (hasSpin && x > cellRect.Right - 18) {
            if (y <= cellRect.Top + (cellRect.Bottom - cellRect.Top) / 2)
                spinUpMark_ = true;
            else
                spinDownMark_ = true;
            SpinUpPending = spinUpMark_;
            SpinDownPending = spinDownMark_;
        }
    }
    if (row < TBaseGrid::FixedRows() && col == 0 && nodeRow && HitNodeGlyph(row, x) && actions->NodeAllExpandContract) {
        if (IsNodeContracted(row))
            ExpandAllNodes();
        else
            ContractAllNodes();
    }
    if (row >= TBaseGrid::FixedRows() && col == 0 && nodeRow && HitNodeGlyph(row, x)) {
        if (OnMouseDown)
            OnMouseDown(this, mbLeft, PressShift(), x, y);
        if (OnClickCell)
            OnClickCell(this, row, col);
        NodeClick(row, x);
        if (actions->MoveRowOnNodeClick && row < RowCount())
            SetRow(row);
        return true;
    }
    if (IsRadioCell(realCol, base.Y) && (CanEditCellAt(realCol, base.Y) || ControlLook()->RadioAlwaysActive)) {
        HideInplaceEditor();
        ClickRadioGroup(realCol, base.Y, x - cellRect.Left, y - cellRect.Top);
        if (CanFocus())
            SetFocus();
        return true;
    }
    if (col == 0 && row >= TBaseGrid::FixedRows() && HasNodes() && !actions->RowSelect &&
        !Options().Contains(goRowSizing)) {
        if (OnMouseDown)
            OnMouseDown(this, mbLeft, PressShift(), x, y);
        if (OnClickCell)
            OnClickCell(this, row, col);
        return true;
    }
    // a press on the selection (or on a header while headers do not move) may start an OLE drag:
    // the selection stays as it is until the mouse moves or the button comes up
    if (dragDropSettings_ && dragDropSettings_->OleDropSource && col >= TBaseGrid::FixedCols() &&
        (IsCellSelected(base.X, base.Y) || (row < TBaseGrid::FixedRows() && !EnhRowColMove)) &&
        !Options().Contains(goEditing) && !IsButtonCell(realCol, base.Y) && !IsCheckBoxCell(realCol, base.Y) &&
        ((!actions->ColSelect && !actions->AllSelect) || row >= TBaseGrid::FixedRows())) {
        if ((x - cellRect.Left > 3 && cellRect.Right - x > 3) || !Options().Contains(goColSizing)) {
            if (CanFocus())
                SetFocus();
            if (OnMouseDown)
                OnMouseDown(this, mbLeft, PressShift(), x, y);
            dragCandidate_ = true;
            if (OnClickCell)
                OnClickCell(this, row, col);
            return true;
        }
    }
    if (IsRatingCell(realCol, base.Y) && CanEditCellAt(realCol, base.Y)) {
        HideInplaceEditor();
        // one half per 9 pixels from the cell's left edge, halves rounded to the even neighbour
        double rate = std::nearbyint(double(x - cellRect.Left) / 9.0) / 2.0;
        if (DoRatingChange(realCol, base.Y, rate))
            SetCellFloat(realCol, base.Y, rate);
        return true;
    }
    if (IsButtonCell(realCol, base.Y)) {
        HideInplaceEditor();
        if (!fixedCell) {
            selectGuard_ = true;
            SelectCell(base.X, base.Y);
            selectGuard_ = false;
        }
        TRect button;
        if (GetCellControlRect(base.X, base.Y, button) && button.Contains(TPoint(x, y))) {
            if (CellControlMouseDown(base.X, base.Y, x, y) && PressedButtonCell.X >= 0) {
                pressedControl_ = PressedButtonCell;
                SetMouseCapture(true);
            }
            if (OnClickCell)
                OnClickCell(this, row, col);
            return true;
        }
    }
    return false;
}

void TPlusStringGrid::ShowSizingHint(int x, int y)
{
    if (!HasState(csDesigning) && !HintShowSizing)
        return;
    String text;
    TPoint anchor(0, 0);
    if (fixedColActive_) {
        text = "cw=<b>" + IntToStr(fixedLinePos_) + "</b>";
    } else if (fixedRowActive_) {
        text = "rh=<b>" + IntToStr(fixedLinePos_) + "</b>";
    } else if (GridState() == gsColSizing) {
        anchor = sizingCandidate_.X >= 0 ? TPoint(sizingCandidate_.X, std::max(0, sizingCandidate_.Y))
                                         : TPoint(ColCount() - 1, 0);
        text = "cw=<b>" + IntToStr(x - CellRect(anchor.X, anchor.Y).Left - sizingOffset_.X) + "</b>";
    } else if (GridState() == gsRowSizing) {
        anchor = sizingCandidate_.Y >= 0 ? TPoint(std::max(0, sizingCandidate_.X), sizingCandidate_.Y)
                                         : TPoint(0, RowCount() - 1);
        text = "rh=<b>" + IntToStr(y - CellRect(anchor.X, anchor.Y).Top - sizingOffset_.Y) + "</b>";
    } else {
        return;
    }
    if (!sizingHint_)
        sizingHint_ = new THTMLHintWindow(this);
    TRect r = sizingHint_->CalcHintRect(200, text, nullptr);
    const TRect cell = CellRect(anchor.X, anchor.Y);
    const TPoint at = ClientToScreen(TPoint(cell.Left, cell.Top));
    r = TRect(at.X, at.Y, at.X + r.Right - r.Left, at.Y + r.Bottom - r.Top);
    sizingHint_->SetColor(HintColor);
    sizingHint_->ActivateHint(r, text);
    SizingHintText = text;
    sizingHintShown_ = true;
}

int TPlusStringGrid::FixedEdgeAt(bool columns, int pos)
{
    // the far edge of fixed column (row) i lies after the sizes before it and one pixel per line
    const int count = columns ? TBaseGrid::FixedCols() : TBaseGrid::FixedRows();
    int start = 0;
    for (int i = 0; i < count; ++i) {
        const int size = columns ? ColWidths(i) : RowHeights(i);
        if (std::abs(start + size - pos) < 3)
            return i;
        start += size + 1;
    }
    return -1;
}

void TPlusStringGrid::ClickRadioGroup(int col, int row, int dx, int dy)
{
    const TPoint base = BaseCellOf(RealToDisplayColumn(col), row);
    if (!(base.X < TBaseGrid::FixedCols() || base.Y < TBaseGrid::FixedRows())) {
        SetCol(base.X);
        SetRow(base.Y);
    }
    const TRect r = MergedCellRect(base.X, base.Y);
    CellControlMouseDown(base.X, base.Y, r.Left + dx, r.Top + dy);
}

bool TPlusStringGrid::PressLink(int col, int row, int x, int y, const TRect& cellRect)
{
    const int realCol = DisplayToRealColumn(col);
    String text = Cells(realCol, row);
    const bool html = GetCellTextKind(text, EnableHTML) == 1;
    String anchor;
    THtmlDrawResult hit;
    if (!html) {
        anchor = text;
    } else {
        TRect tr(cellRect.Left + XYOffset.X + 1, cellRect.Top + XYOffset.Y + 1, cellRect.Right - XYOffset.X,
                 cellRect.Bottom);
        if (IsCheckBoxCell(realCol, row))
            tr.Left += ControlLook()->CheckSize();
        ScrollBarCellHitArea(realCol, row, tr);
        THtmlDrawArgs args;
        args.HitX = x;
        args.HitY = y;
        args.HitTestOnly = true;
        args.LinkColor = URLColor;
        Canvas()->Font->Assign(Font());
        if (DrawHtml(Canvas(), text, tr, args, hit))
            anchor = hit.AnchorUnderPoint;
    }
    if (anchor.empty()) {
        if (html && UpperCase(text).find("<CONTROL") != String::npos) {
            if (OnClickCell)
                OnClickCell(this, row, col);
            HideInplaceEditor();
            SetSelection(TGridRect{col, row, col, row});
            return true;
        }
        return false;
    }
    bool open = true;
    if (!hit.ControlID.empty()) {
        // a form control takes the press whole: its click, value and edit (PlusGridForms.cpp)
        CellFormControlMouseDown(col, row, x, y);
        return true;
    }
    if (OnAnchorClick)
        OnAnchorClick(this, row, col, anchor, open);
    if (!open)
        return true;
    const String upper = UpperCase(anchor);
    if (upper.find("CELL://") == String::npos) {
        ShellExecute(Application ? Application->Handle() : nullptr, "open", anchor, "", "", SW_SHOWNORMAL);
        return true;
    }
    int refCol = -1, refRow = -1;
    if (anchor.size() > 7 && ParseRCCellRef(anchor.substr(7), refCol, refRow) && refCol >= 0 && refRow >= 0 &&
        refCol < ColCount() && refRow < RowCount()) {
        const TPoint target = BaseCellOf(refCol, refRow);
        MoveColRow(target.X, target.Y, true, true);
        ScrollCellIntoView(target.X, target.Y);
    }
    return true;
}

void TPlusStringGrid::PressHeaderSelection(int col, int row)
{
    TMouseActions* actions = MouseActions();
    const int fixedCols = TBaseGrid::FixedCols(), fixedRows = TBaseGrid::FixedRows();
    if (!Options().Contains(goRangeSelect))
        return;
    const TGridRect sel = Selection();
    if (col < fixedCols && row < fixedRows && actions->AllSelect && mouseZone_ == 3) {
        if (CanFocus())
            SetFocus();
        ParkSelection();
        const TGridRect all{fixedCols, fixedRows, ColCount() - 1, RowCount() - 1};
        SelectAllClick(all);
        SetSelection(all);
        SelectionParked = false;
        return;
    }
    if (col < fixedCols && row >= fixedRows && actions->RowSelect && mouseZone_ == 2) {
        if (Editing && CanFocus())
            SetFocus();
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        ParkSelection();
        SetSelection(shift ? TGridRect{fixedCols, std::min(row, sel.Top), ColCount() - 1, std::max(row, sel.Top)}
                           : TGridRect{fixedCols, row, ColCount() - 1, row});
        SelectionParked = false;
        headerDragAnchor_ = row;
        return;
    }
    if (col >= fixedCols && row < fixedRows && actions->ColSelect && mouseZone_ == 1) {
        if (Editing && CanFocus())
            SetFocus();
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        ParkSelection();
        TGridRect r{col, fixedRows, col, RowCount() - 1};
        if (shift) {
            r.Left = std::min(col, sel.Left);
            r.Right = std::max(col, sel.Right);
        }
        SetSelection(r);
        SelectionParked = false;
        headerDragAnchor_ = col;
    }
}

bool TPlusStringGrid::PressCheckOrRadio(int col, int row, int x, int y, bool editable)
{
    TMouseActions* actions = MouseActions();
    if (!(editable || ControlLook()->CheckAlwaysActive || (col == 0 && actions->HotmailRowSelect())))
        return false;
    const TPoint base = BaseCellOf(col, row);
    const int realCol = DisplayToRealColumn(base.X);
    const bool radio = IsRadioButtonCell(realCol, base.Y);
    if (!(radio || IsCheckBoxCell(realCol, base.Y)) || !HitCellCheckBox(realCol, base.Y, x, y))
        return false;
    HideInplaceEditor();
    if (CanFocus())
        SetFocus();
    const int realRow = RealRowIndex(base.Y);
    // the current cell moves first, so that the control's events see it
    if (!Navigation()->AlwaysEdit && base.X >= TBaseGrid::FixedCols() && base.Y >= TBaseGrid::FixedRows())
        MoveColRow(base.X, base.Y, true, true);
    const auto alive = Life();
    if (radio) {
        if (CellControlMouseDown(base.X, base.Y, x, y) && *alive && OnRadioButtonClick)
            OnRadioButtonClick(this, realCol, base.Y);
    } else {
        CellControlMouseDown(base.X, base.Y, x, y);
    }
    if (!*alive)
        return true;
    if (ShowModified()->Enabled) {
        SetRowModified(base.Y, true);
        RepaintCell(0, base.Y);
    }
    if (col == 0 && actions->HotmailRowSelect()) {
        SetSelection(TGridRect{TBaseGrid::FixedCols(), base.Y, ColCount() - 1, base.Y});
        SetRowSelected(realRow, !GetRowSelected(realRow));
        if (realRow != base.Y)
            RepaintCell(0, base.Y);
    }
    if (HideFocusRect)
        RepaintCell(base.X, base.Y);
    if (!radio && row < TBaseGrid::FixedRows() && actions->CheckAllCheck) {
        const bool state = GetCheckBoxState(realCol, base.Y);
        for (int r = TBaseGrid::FixedRows(); r < RowCount(); ++r) {
            if (actions->HotmailRowSelect())
                SetRowSelected(RealRowIndex(r), state);
            else
                SetCheckBoxState(realCol, r, state);
        }
        Invalidate();
    }
    if (OnMouseDown)
        OnMouseDown(this, mbLeft, KeyboardShift(), x, y);
    Click();
    return true;
}

void TPlusStringGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TMouseActions* actions = MouseActions();
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    if (actions->RangeSelectAndEdit && button == mbLeft && !actions->EditOnDblClickOnly()) {
        if (col == Col() && row == Row() && !Options().Contains(goEditing) && CanEditCellAt(col, row)) {
            SetOptions(Options() + TGridOptions{goEditing});
            inMouseDown_ = true;
            TBaseGrid::MouseDown(button, shift, x, y);
            inMouseDown_ = false;
            ShowInplaceEditor();
            return;
        }
        if (shift.Contains(ssShift) && !(col == Col() && row == Row()) && Options().Contains(goEditing)) {
            SetOptions(Options() - TGridOptions{goEditing});
            inMouseDown_ = true;
            TBaseGrid::MouseDown(button, shift, x, y);
            inMouseDown_ = false;
            return;
        }
    }
    inMouseDown_ = true;
    try {
        TBaseGrid::MouseDown(button, shift, x, y);
    } catch (...) {
        inMouseDown_ = false;
        throw;
    }
    inMouseDown_ = false;
    if (shift.Contains(ssShift) && SelectionRectangle())
        InvalidateRangeArea(Selection());
    // fixed cells edited by a click open the transparent edit over the cell
    if (col < 0 || row < 0)
        return;
    const bool inFixedRow = row < TBaseGrid::FixedRows(), inFixedCol = col < TBaseGrid::FixedCols();
    TRect inner = CellRect(col, row);
    inner.Left += 4;
    inner.Top += 4;
    inner.Right -= 4;
    inner.Bottom -= 4;
    const bool inside = inner.Contains(TPoint(x, y));
    if (button == mbLeft && inFixedRow && actions->FixedRowsEdit == fceLeftClick) {
        if (!Options().Contains(goColSizing) || inside)
            EditFixedCell(col, row);
        return;
    }
    if (button == mbLeft && inFixedCol && actions->FixedColsEdit == fceLeftClick) {
        if (!Options().Contains(goRowSizing) || inside)
            EditFixedCell(col, row);
        return;
    }
    if (button == mbRight && ((inFixedRow && actions->FixedRowsEdit == fceRightClick) ||
                              (inFixedCol && actions->FixedColsEdit == fceRightClick)))
        EditFixedCell(col, row);
}

// ---------------------------------------------------------------- moving the mouse

void TPlusStringGrid::MouseMove(TShiftState shift, int x, int y)
{
    if (buttonDown_ && MouseActions()->RangeSelectAndEdit && Options().Contains(goEditing) && !Editing)
        SetOptions(Options() - TGridOptions{goEditing});
    const TGridRect before = Selection();
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    TrackHoverCells(col, row, x, y);
    if (DragSelectionResizer(col, row))
        return;
    WidenHeaderSelectionByDrag(col, row, y);
    bool cursorHandled = UpdateMouseZone(col, row, x, y);
    TCursor wantedCursor = crDefault;
    ShowMoveCursor(col, row, x, y, cursorHandled, wantedCursor);
    DropHintAndBalloonOfOtherCell(col, row);
    if (buttonDown_ && shift.Contains(ssLeft) && OleDragMouseMove(x, y))
        return;
    TBaseGrid::MouseMove(shift, x, y);
    // the framework chose its sizing cursor; the grid's own cursor wins where it has one
    if (cursorHandled && wantedCursor != crDefault && Cursor() != wantedCursor)
        SetCursor(wantedCursor);
    if (Navigation()->KeepHorizScroll && buttonDown_ && GridState() != gsColMoving && LeftCol() != leftAtPress_) {
        SuspendPaint();
        SetLeftCol(leftAtPress_);
        ResetUpdateCount();
        Invalidate();
    }
    // the current cell never rests inside a merged range while the mouse selects
    if (GridState() == gsSelecting && InMergedRange(Col(), Row()) && !IsBaseOrPlainCell(Col(), Row()))
        SnapToBaseCell();
    ReportSizingAndMoving(x, y);
    EnhancedMoveDisplay(col, row, x, y);
    const TGridRect now = Selection();
    if (!(now == before))
        SelectionChanged(now.Left, now.Top, now.Right, now.Bottom);
}

void TPlusStringGrid::TrackHoverCells(int col, int row, int x, int y)
{
    if (col >= 0 && row >= 0 && !HasState(csDesigning)) {
        if (HoverRow && row != HoverRowIndex) {
            const int old = HoverRowIndex;
            HoverRowIndex = row;
            RepaintRow(row);
            if (old >= 0 && old < RowCount())
                RepaintRow(old);
        }
        HoverScrollBarCell(col, row);
    }
    if (HoverFixedCells != hfNone && !(hoverFixedCell_ == TPoint(col, row))) {
        const TPoint old = hoverFixedCell_;
        hoverFixedCell_ = TPoint(col, row);
        auto inFixedBand = [this](TPoint c) {
            return c.X >= 0 && c.Y >= 0 && (c.Y < TBaseGrid::FixedRows() || c.X < TBaseGrid::FixedCols());
        };
        if (inFixedBand(old))
            RepaintCell(old.X, old.Y);
        if (inFixedBand(hoverFixedCell_))
            RepaintCell(col, row);
    }
    if (!HasState(csDesigning))
        HoverLooks(col, row, x, y);
}

bool TPlusStringGrid::DragSelectionResizer(int col, int row)
{
    if (!selectionResizing_ || !buttonDown_)
        return false;
    if (col >= TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows()) {
        const TGridRect s{resizeOrigin_.Left, resizeOrigin_.Top, std::max(resizeOrigin_.Left, col),
                          std::max(resizeOrigin_.Top, row)};
        if (!(s == Selection())) {
            SetSelection(s);
            Invalidate();
        }
    }
    return true;
}

void TPlusStringGrid::WidenHeaderSelectionByDrag(int col, int row, int y)
{
    TMouseActions* actions = MouseActions();
    const int fixedCols = TBaseGrid::FixedCols(), fixedRows = TBaseGrid::FixedRows();
    if (headerDragAnchor_ >= 0 && actions->RowSelect && mouseZone_ == 2 && row >= fixedRows &&
        row <= RowCount() - fixedFooters_) {
        const int to = std::min(RowCount() - 1, std::max(fixedRows, row));
        SetSelection(TGridRect{fixedCols, std::min(headerDragAnchor_, to), ColCount() - 1,
                               std::max(headerDragAnchor_, to)});
        if (y > Height() - 4)
            SetTopRowChecked(TopRow() + 1);
        else if (fixedRows > 0 && y < RowHeights(0) && TopRow() > fixedRows) {
            SetTopRowChecked(TopRow() - 1);
            scrolledUp_ = true;
        }
    }
    if (headerDragAnchor_ >= 0 && actions->ColSelect && mouseZone_ == 1 && col >= 0) {
        const int to = std::max(fixedCols, col);
        SetSelection(TGridRect{std::min(headerDragAnchor_, to), fixedRows, std::max(headerDragAnchor_, to),
                               RowCount() - 1});
    }
}

bool TPlusStringGrid::UpdateMouseZone(int col, int row, int x, int y)
{
    if (HasState(csDesigning))
        return false;
    TMouseActions* actions = MouseActions();
    const int fixedCols = TBaseGrid::FixedCols(), fixedRows = TBaseGrid::FixedRows();
    if (GridState() == gsColSizing)
        colSized_ = true;
    if (GridState() == gsRowSizing)
        rowSized_ = true;
    mouseZone_ = 0;
    if (SelectionResizerHandle().Contains(TPoint(x, y))) {
        mouseZone_ = 5;
    } else if (col >= 0 && row >= 0) {
        const int lastRow = RowCount() - 1;
        if (row < fixedRows && col < fixedCols && actions->AllSelect)
            mouseZone_ = 3;
        else if (row < fixedRows && col >= fixedCols && actions->ColSelect && !IsOnColumnSizingEdge(x, y))
            mouseZone_ = 1;
        else if (col < fixedCols && row <= lastRow && (row >= fixedRows || scrolledUp_) && actions->RowSelect &&
                 !IsOnColumnSizingEdge(x, y) && !(IsNodeRow(row) && HitNodeGlyph(row, x)))
            mouseZone_ = 2;
        if (mouseZone_ != 0) {
            keepMouseZone_ = true;
            return true;
        }
    }
    return false;
}

void TPlusStringGrid::ShowMoveCursor(int col, int row, int x, int y, bool& cursorHandled, TCursor& wantedCursor)
{
    TMouseActions* actions = MouseActions();
    // the edges of fixed columns and rows size them with SizeFixedCol / SizeFixedRow
    const bool onCell = col >= 0 && row >= 0 && !HasState(csDesigning);
    fixedColHover_ = onCell && actions->SizeFixedCol && FixedEdgeAt(true, x) >= 0;
    fixedRowHover_ = onCell && actions->SizeFixedRow && FixedEdgeAt(false, y) >= 0;
    if (fixedColActive_)
        fixedLinePos_ = x;
    if (fixedRowActive_)
        fixedLinePos_ = y;
    auto showCursor = [&](TCursor cursor) {
        cursorHandled = true;
        keepMouseZone_ = true;
        wantedCursor = cursor;
        if (Cursor() != cursor) {
            if (!linkCursorShown_)
                normalCursor_ = Cursor();
            linkCursorShown_ = true;
            SetCursor(cursor);
        }
    };
    if (fixedColHover_ || fixedColActive_)
        showCursor(crHSplit);
    else if (fixedRowHover_ || fixedRowActive_)
        showCursor(crVSplit);
    // a link under the mouse shows the hand
    else if (col >= 0 && row >= 0 && col < ColCount() && row < RowCount() && URLShow &&
             IsUrlText(Cells(DisplayToRealColumn(col), row)) &&
             GetCellTextKind(Cells(DisplayToRealColumn(col), row), EnableHTML) != 1)
        showCursor(crHandPoint);
    else if (!HasState(csDesigning)) {
        bool onAnchor = false;
        if (HoverLink(col, row, x, y, onAnchor) && onAnchor)
            showCursor(crHandPoint);
    }
    if (!cursorHandled && linkCursorShown_) {
        linkCursorShown_ = false;
        keepMouseZone_ = true;
        SetCursor(normalCursor_);
    }
}

void TPlusStringGrid::DropHintAndBalloonOfOtherCell(int col, int row)
{
    if (col != HintCell.X || row != HintCell.Y) {
        Application->CancelHint();
        HintCell = TPoint(-1, -1);
    }
    if (Balloon()->Enable() && !(BalloonCell == TPoint(col >= 0 ? DisplayToRealColumn(col) : col, row))) {
        if (BalloonToolTip.Exists && BalloonCell.X >= 0) {
            SendMessage(BalloonToolTip.Window, TTM_POP, 0, 0);
            ++BalloonToolTip.Pops;
        }
        BalloonCell = TPoint(-1, -1);
    }
}

void TPlusStringGrid::ReportSizingAndMoving(int x, int y)
{
    if (fixedColActive_ && OnColumnSizing)
        OnColumnSizing(this, 0, fixedLinePos_);
    if (fixedRowActive_ && OnRowSizing)
        OnRowSizing(this, 0, fixedLinePos_);
    if (GridState() == gsColSizing && OnColumnSizing && sizingCandidate_.X >= 0) {
        const TRect candidate = CellRect(sizingCandidate_.X, std::max(0, sizingCandidate_.Y));
        OnColumnSizing(this, sizingCandidate_.X, x - candidate.Left - sizingOffset_.X);
    }
    if (GridState() == gsRowSizing && OnRowSizing && sizingCandidate_.Y >= 0) {
        const TRect candidate = CellRect(std::max(0, sizingCandidate_.X), sizingCandidate_.Y);
        OnRowSizing(this, sizingCandidate_.Y, y - candidate.Top - sizingOffset_.Y);
    }
    ShowSizingHint(x, y);
    if (GridState() == gsColMoving && headerIndex_ >= 0 && OnColumnMove) {
        bool allow = true;
        OnColumnMove(this, headerIndex_, allow);
        if (!allow)
            Perform(WM_CANCELMODE, 0, 0);
    }
    if (GridState() == gsRowMoving && headerIndex_ >= 0 && OnRowMove) {
        bool allow = true;
        OnRowMove(this, headerIndex_, allow);
        if (!allow)
            Perform(WM_CANCELMODE, 0, 0);
    }
}

void TPlusStringGrid::CMMouseLeave(TMessage& m)
{
    Inherited(m);
    mouseZone_ = 0;
    fixedColHover_ = false;
    fixedRowHover_ = false;
    if (HoverFixedCells != hfNone && hoverFixedCell_.X >= 0) {
        const TPoint old = hoverFixedCell_;
        hoverFixedCell_ = TPoint(-1, -1);
        RepaintCell(old.X, old.Y);
    }
    if (HoverRow && HoverRowIndex >= 0) {
        const int old = HoverRowIndex;
        HoverRowIndex = -1;
        RepaintRow(old);
    }
    // the hover looks end with the mouse outside
    HoverLooks(-1, -1, -1, -1);
    bool handled = false;
    HoverLink(-1, -1, -1, -1, handled);
}

void TPlusStringGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                      TGridDrawInfo& FixedInfo)
{
    TBaseGrid::CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs, FixedInfo);
    if (State == gsColSizing && OnColumnSize) {
        int col = -1, row = -1;
        MouseToCell(X - 6, Y, col, row);
        if (col >= 0) {
            bool allow = true;
            OnColumnSize(this, col, allow);
            if (!allow)
                State = gsNormal;
        }
    }
    if (State == gsRowSizing && OnRowSize) {
        int col = -1, row = -1;
        MouseToCell(X, Y - 6, col, row);
        if (row >= 0) {
            bool allow = true;
            OnRowSize(this, row, allow);
            if (!allow)
                State = gsNormal;
        }
    }
}

bool TPlusStringGrid::IsOnColumnSizingEdge(int x, int y)
{
    TGridDrawInfo info;
    TGridState state = gsNormal;
    int index = -1, pos = 0, ofs = 0;
    TBaseGrid::CalcSizingState(x, y, state, index, pos, ofs, info);
    return state == gsColSizing;
}

// ---------------------------------------------------------------- columns and rows moved or sized

void TPlusStringGrid::ColumnMoved(int fromIndex, int toIndex)
{
    const int from = DisplayToRealColumn(fromIndex), to = DisplayToRealColumn(toIndex);
    // the release that moved a column does not also sort by the column it landed on
    movedMark_ = true;
    TBaseGrid::ColumnMoved(fromIndex, toIndex);
    // the sort follows its data: the sorted column and the index list move with the columns
    auto follow = [from, to](int c) {
        if (c == from)
            return to;
        if (from < to && c > from && c <= to)
            return c - 1;
        if (from > to && c >= to && c < from)
            return c + 1;
        return c;
    };
    TSortSettings* sort = SortSettings();
    if (sort->Column >= 0)
        sort->Column = follow(sort->Column);
    TSortIndexList* index = SortIndexList();
    for (int i = 0; i < index->Count(); ++i) {
        const int item = index->GetItem(i);
        const int column = item & 0xFFFF;
        index->SetItem(i, (item & ~0xFFFF) | (follow(column) & 0xFFFF));
    }
}

void TPlusStringGrid::RowMoved(int fromIndex, int toIndex)
{
    // the footer row painted by the floating footer stays the last row: a move onto it is
    // ignored, and the row heights the framework grid already moved go back
    if (HideLastRow() && toIndex == RowCount() - 1 && fromIndex != toIndex && fromIndex >= 0 &&
        fromIndex < RowCount()) {
        const int first = std::min(fromIndex, toIndex), last = std::max(fromIndex, toIndex);
        std::vector<int> heights;
        for (int r = first; r <= last; ++r)
            heights.push_back(RowHeights(r));
        if (fromIndex < toIndex)
            std::rotate(heights.begin(), heights.end() - 1, heights.end());
        else
            std::rotate(heights.begin(), heights.begin() + 1, heights.end());
        for (int r = first; r <= last; ++r)
            if (RowHeights(r) != heights[size_t(r - first)])
                SetRowHeights(r, heights[size_t(r - first)]);
        return;
    }
    movedMark_ = true;
    TBaseGrid::RowMoved(fromIndex, toIndex);
}

// ---------------------------------------------------------------- the release

void TPlusStringGrid::WMLButtonUp(TMessage& m)
{
    ResetReleaseMarks();
    const int x = m.XPos(), y = m.YPos();
    const auto alive = Life();
    if (!EndFixedEdgeSizing(x, y))
        return;
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    const int displayCol = col;
    const bool onButton = ReleaseIsOnCellButton(col, row, x, y);
    if (!LetGoPressedButton(col, row, x, y))
        return;
    if (sizingHintShown_) {
        sizingHintShown_ = false;
        if (sizingHint_)
            sizingHint_->ReleaseHandle();
    }
    if (onButton)
        return;
    const bool sizingRelease =
        row >= 0 && row < TBaseGrid::FixedRows() && col >= 0 && Options().Contains(goColSizing) &&
        (GridState() == gsColSizing || Cursor() == crHSplit);
    if (OnClick && pressMark_ && !sizingRelease && col >= 0 && row >= 0 &&
        (row < TBaseGrid::FixedRows() || col < TBaseGrid::FixedCols()))
        OnClick(this);
    pressMark_ = false;
    if (!*alive)
        return;
    bool moveEnded = false;
    if (!EndEnhancedMove(moveEnded))
        return;
    if (SelectDragCandidateOnRelease(col, row, x, y))
        return;
    ReleaseDisjunct(col, row);
    Inherited(m);
    if (!*alive)
        return;
    if (!EndSelectionResize())
        return;
    SnapToBaseCell();
    if (colSized_ && OnEndColumnSize && sizedMark_ && sizingCandidate_.X >= 0)
        OnEndColumnSize(this, sizingCandidate_.X);
    if (rowSized_ && OnEndRowSize && sizingCandidate_.Y >= 0)
        OnEndRowSize(this, sizingCandidate_.Y);
    colSized_ = false;
    rowSized_ = false;
    if (movedMark_ || sizedMark_ || moveEnded || col < 0 || row < 0)
        return;
    if (col >= TBaseGrid::FixedCols() || SortSettings()->FixedCols) {
        const int realCol = DisplayToRealColumn(col);
        if (IsCheckBoxCell(realCol, row) && OnCheckBoxMouseUp)
            OnCheckBoxMouseUp(this, realCol, row, GetCheckBoxState(realCol, row));
        if (IsRadioCell(realCol, row) && OnRadioMouseUp) {
            int index = -1;
            GetRadioIndex(realCol, row, index);
            OnRadioMouseUp(this, realCol, row, index);
        }
        if (!*alive)
            return;
        HeaderSortClick(displayCol, row, x, y);
    }
}

void TPlusStringGrid::ResetReleaseMarks()
{
    movedMark_ = false;
    sizedMark_ = false;
    disjunctCleared_ = false;
    buttonDown_ = false;
    mouseZone_ = 0;
    rangeEditMark_ = false;
    headerDragAnchor_ = -1;
    scrolledUp_ = false;
    CellFormControlMouseUp();
}

bool TPlusStringGrid::EndFixedEdgeSizing(int x, int y)
{
    if (!fixedColActive_ && !fixedRowActive_)
        return true;
    const auto alive = Life();
    const bool columns = fixedColActive_;
    fixedColActive_ = fixedRowActive_ = false;
    fixedColHover_ = fixedRowHover_ = false;
    const int index = fixedSizingIndex_;
    int before = 0;
    for (int i = 0; i < index; ++i)
        before += columns ? ColWidths(i) : RowHeights(i);
    const int size = std::max(0, (columns ? x : y) - before);
    if (columns) {
        SetColWidths(index, size);
        if (OnEndColumnSize)
            OnEndColumnSize(this, index);
        int width = size;
        if (*alive && OnUpdateColumnSize) {
            OnUpdateColumnSize(this, index, width);
            if (*alive && width != ColWidths(index))
                SetColWidths(index, width);
        }
    } else {
        SetRowHeights(index, size);
        if (OnEndRowSize)
            OnEndRowSize(this, index);
    }
    return *alive;
}

bool TPlusStringGrid::ReleaseIsOnCellButton(int col, int row, int x, int y)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return false;
    const TPoint base = BaseCellOf(col, row);
    if (!IsButtonCell(DisplayToRealColumn(base.X), base.Y))
        return false;
    TRect button;
    return GetCellControlRect(base.X, base.Y, button) && button.Contains(TPoint(x, y));
}

bool TPlusStringGrid::LetGoPressedButton(int col, int row, int x, int y)
{
    const auto alive = Life();
    if (PressedButtonCell.X >= 0) {
        const TPoint base = col >= 0 && row >= 0 ? BaseCellOf(col, row) : TPoint(col, row);
        CellControlMouseUp(base.X, base.Y, x, y);
        if (!*alive)
            return false;
        pressedControl_ = TPoint(-1, -1);
        SetMouseCapture(false);
    } else if (pressedControl_.X >= 0) {
        // a fixed cell drawn as a button
        const TPoint pressed = pressedControl_;
        pressedControl_ = TPoint(-1, -1);
        if (pressed.X < ColCount() && pressed.Y < RowCount()) {
            RepaintCell(pressed.X, pressed.Y);
            if (pressed.X < TBaseGrid::FixedCols() || pressed.Y < TBaseGrid::FixedRows())
                DoButtonClick(DisplayToRealColumn(pressed.X), pressed.Y);
            if (!*alive)
                return false;
        }
        SetMouseCapture(false);
    }
    return true;
}

bool TPlusStringGrid::EndEnhancedMove(bool& moveEnded)
{
    // an enhanced move ends: dropped with the drag cursor, else called off before the framework
    // grid's release could move anything
    moveEnded = false;
    if (!((GridState() == gsColMoving || GridState() == gsRowMoving) && EnhRowColMove && Screen &&
          (Screen->Cursor() == crDrag || Screen->Cursor() == crNoDrop)))
        return true;
    const auto alive = Life();
    const bool columns = GridState() == gsColMoving;
    const bool dropped = Screen->Cursor() != crNoDrop;
    EndMoveDisplay();
    DragEndHook();
    if (!*alive)
        return false;
    if (!dropped) {
        Perform(WM_CANCELMODE, 0, 0);
        if (columns)
            RepaintRow(0);
        else
            RepaintCol(0);
    }
    moveEnded = true;
    return true;
}

bool TPlusStringGrid::SelectDragCandidateOnRelease(int col, int row, int x, int y)
{
    // a press that could have started a drag and did not: the release selects where it is
    if (!dragCandidate_)
        return false;
    dragCandidate_ = false;
    if (col < TBaseGrid::FixedCols() || row < TBaseGrid::FixedRows() || col >= ColCount() || row >= RowCount())
        return false;
    const auto alive = Life();
    TMouseActions* actions = MouseActions();
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (actions->DisjunctRowSelect() && !ctrl)
        ClearRowSelection();
    if (actions->DisjunctRowSelect() && (ctrl || actions->DisjunctRowSelectNoCtrl)) {
        SetRowSelected(row, !GetRowSelected(row));
        if (*alive && OnMouseUp)
            OnMouseUp(this, mbLeft, TShiftState{ssCtrl}, x, y);
        return true;
    }
    const bool indicator = TBaseGrid::FixedCols() > 0;
    if (indicator)
        RepaintCell(0, Row());
    const TPoint base = BaseCellOf(col, row);
    if (Options().Contains(goRowSelect))
        SetSelection(TGridRect{TBaseGrid::FixedCols(), base.Y, ColCount() - 1, base.Y});
    else
        SetSelection(TGridRect{base.X, base.Y, base.X, base.Y});
    if (indicator)
        RepaintCell(0, Row());
    return false;
}

bool TPlusStringGrid::EndSelectionResize()
{
    // a dragged selection resizer pastes the selection of the press into the new one
    if (!selectionResizing_)
        return true;
    const auto alive = Life();
    selectionResizing_ = false;
    const TGridRect origin = resizeOrigin_, now = Selection();
    if (OnSelectionResize)
        OnSelectionResize(this, origin, now);
    if (!*alive)
        return false;
    if (!(origin == now))
        PasteFromClipboard();
    if (!*alive)
        return false;
    if (OnSelectionResized)
        OnSelectionResized(this, origin, now);
    if (!*alive)
        return false;
    movedMark_ = true; // the release does not sort
    return true;
}

void TPlusStringGrid::ReleaseDisjunct(int col, int row)
{
    TMouseActions* actions = MouseActions();
    if (col < 0 || row < 0)
        return;
    if (actions->DisjunctRowSelect() && (!IsNodeRow(row) || col != 0)) {
        if (!(col == 0 && actions->HotmailRowSelect()))
            SelectRowsInRange(false);
        if (row >= TBaseGrid::FixedRows() && row < RowCount() - fixedFooters_ && wasSelected_)
            SetRowSelected(actions->RowSelectPersistent ? DisplayToRealRow(row) : row, false);
        wasSelected_ = false;
    }
    if (IsNodeRow(row) && Grouping()->AutoSelectGroup && col > 0 && !IsNodeContracted(row)) {
        const int span = GetNodeSpan(row);
        if (actions->DisjunctRowSelect()) {
            for (int r = row + 1; r < row + span && r < RowCount(); ++r)
                SetRowSelected(DisplayToRealRow(r), true);
        } else if (span > 0) {
            SetSelection(TGridRect{TBaseGrid::FixedCols(), row, ColCount() - 1, std::min(RowCount() - 1, row + span - 1)});
        }
    }
    if (actions->DisjunctColSelect()) {
        SelectColsInRange(false);
        if (col >= TBaseGrid::FixedCols() && col < ColCount() - fixedRightCols_ && wasSelected_)
            SetColSelected(col, false);
        wasSelected_ = false;
    }
}

void TPlusStringGrid::HeaderSortClick(int displayCol, int row, int x, int y)
{
    // a double click on a header edge sized a column: its release does not sort
    if (sizingClick_) {
        sizingClick_ = false;
        return;
    }
    const TRect r = CellRect(displayCol, row);
    if (row == 0 && Options().Contains(goColSizing) && (x - r.Left < 4 || r.Right - x < 4))
        return;
    // the drop-down button and the filter button at a header's right end do not sort
    if (x > r.Right - 16 &&
        (CanShowFixedDropDown(displayCol, row) || BuildColumnFilterList(DisplayToRealColumn(displayCol))))
        return;
    int pressCol = -1, pressRow = -1;
    MouseToCell(downPoint_.X, downPoint_.Y, pressCol, pressRow);
    TSortSettings* sort = SortSettings();
    if (row != sort->Row || pressRow != row || TBaseGrid::FixedRows() == 0 || !sort->Show || RowCount() <= 2 ||
        HitCellCheckBox(DisplayToRealColumn(displayCol), row, x, y))
        return;
    HideInplaceEditor();
    if (sort->AutoColumnMerge)
        SplitAllMergedCells();
    const bool indexKey = GetKeyState(sort->IndexSortKey == ikCtrl ? VK_CONTROL : VK_SHIFT) < 0;
    const bool keepLeft = Navigation()->KeepHorizScroll && Options().Contains(goRowSelect);
    const int left = LeftCol();
    if (keepLeft)
        BeginUpdate();
    const DWORD start = GetTickCount();
    try {
        SortByHeaderClick(DisplayToRealColumn(displayCol), indexKey);
    } catch (...) {
        if (keepLeft) {
            SetLeftCol(left);
            EndUpdate();
        }
        throw;
    }
    if (keepLeft) {
        SetLeftCol(left);
        EndUpdate();
    }
    sortDuration_ = GetTickCount() - start;
    if (sort->AutoColumnMerge)
        MergeListedColumns();
    if (CellControlList()->Count() > 0)
        UpdateCellControls(true);
    SnapToBaseCell();
}

void TPlusStringGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (GridState() == gsColSizing && x > Width()) {
        Perform(WM_CANCELMODE, 0, 0);
        return;
    }
    if (GridState() == gsRowSizing && y > Height()) {
        Perform(WM_CANCELMODE, 0, 0);
        return;
    }
    const TGridRect before = Selection();
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    // the filter list opens from the drop-down button at the right of a filter row's header
    if (button == mbLeft && !HasState(csDesigning)) {
        const int realCol = col >= 0 ? DisplayToRealColumn(col) : -1;
        if (row != FilterDropDownRow() || col < 0 || realCol == filterListColumn_ || !ShowFilterList(x, y, col, row))
            HideFilterList();
    }
    if (button == mbLeft && MouseActions()->DisjunctCellSelect() && col >= 0 && row >= 0 && col < ColCount() &&
        row < RowCount()) {
        const TPoint base = BaseCellOf(col, row);
        if (!IsFixedCell(base.X, base.Y) && base.X >= TBaseGrid::FixedCols() && base.Y >= TBaseGrid::FixedRows() &&
            OnSelectCell) {
            bool canSelect = true;
            OnSelectCell(this, base.X, base.Y, canSelect);
            if (!canSelect)
                return;
        }
        ReleaseDisjunctCells(button, shift, col, row);
    }
    if (GridState() == gsColMoving && button == mbRight)
        return;
    TBaseGrid::MouseUp(button, shift, x, y);
    if (HasState(csDesigning) && button == mbLeft)
        DesignHelperClick(x, y);
    const TGridRect now = Selection();
    if (!(now == before))
        SelectionChanged(now.Left, now.Top, now.Right, now.Bottom);
}

// ---------------------------------------------------------------- double click, right button

void TPlusStringGrid::WMLButtonDblClk(TMessage& m)
{
    int col = -1, row = -1;
    const int x = m.XPos(), y = m.YPos();
    MouseToCell(x, y, col, row);
    if (col < 0 && !FixedRowAlways) {
        col = ColCount() - 1;
        row = 0;
    }
    if (row >= 0 && row < TBaseGrid::FixedRows() && col >= 0 && Options().Contains(goColSizing) &&
        MouseActions()->AutoSizeColOnDblClick) {
        const TRect r = CellRect(col, row);
        // a double click on a header edge sizes the column left of that edge to its text
        int sizeCol = -1;
        if (std::abs(x - r.Left) < 4 && col - 1 >= TBaseGrid::FixedCols())
            sizeCol = col - 1;
        else if (std::abs(r.Right - x) < 4 && col >= TBaseGrid::FixedCols())
            sizeCol = col;
        if (sizeCol >= 0) {
            sizingClick_ = true;
            bool allow = true;
            if (OnColumnSize)
                OnColumnSize(this, sizeCol, allow);
            if (allow) {
                int width = 0;
                TBitmap measure;
                measure.SetSize(1, 1);
                TCanvas* canvas = measure.Canvas();
                for (int rr = 0; rr < RowCount(); ++rr) {
                    canvas->Font->Assign(rr < TBaseGrid::FixedRows() ? FixedFont() : Font());
                    width = std::max(width, canvas->TextWidth(Cells(DisplayToRealColumn(sizeCol), rr)));
                }
                if (width > 0)
                    SetColWidths(sizeCol, width + 2 * XYOffset.X + 4);
                if (OnEndColumnSize)
                    OnEndColumnSize(this, sizeCol);
            }
            Inherited(m);
            return;
        }
    }
    if (col >= 0 && row >= 0 && IsClickableControlCell(col, row)) {
        Inherited(m);
        return;
    }
    Inherited(m);
    int hitCol = -1, hitRow = -1;
    MouseToCell(x, y, hitCol, hitRow);
    if (OnDblClickCell && hitCol >= 0 && hitRow >= 0)
        OnDblClickCell(this, hitRow, hitCol);
    if (MouseActions()->EditOnDblClickOnly() && hitCol >= 0 && hitRow >= 0) {
        TMouseActions* actions = MouseActions();
        const bool saved = actions->RangeSelectAndEdit;
        actions->RangeSelectAndEdit = true;
        if (CanEditCellAt(hitCol, hitRow)) {
            SetOptions(Options() + TGridOptions{goEditing});
            ShowInplaceEditor();
        }
        actions->RangeSelectAndEdit = saved;
    }
    if (hitCol >= 0 && hitRow >= 0 &&
        ((hitRow < TBaseGrid::FixedRows() && MouseActions()->FixedRowsEdit == fceDblClick) ||
         (hitCol < TBaseGrid::FixedCols() && MouseActions()->FixedColsEdit == fceDblClick)))
        EditFixedCell(hitCol, hitRow);
}

void TPlusStringGrid::WMRButtonDown(TMessage& m)
{
    const auto alive = Life();
    Inherited(m);
    if (!*alive)
        return;
    int col = -1, row = -1;
    MouseToCell(m.XPos(), m.YPos(), col, row);
    TMouseActions* actions = MouseActions();
    if (actions->SelectOnRightClick && col >= TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows() &&
        !IsFixedCell(col, row)) {
        const TGridRect s = Selection();
        if (!s.Contains(col, row)) {
            const int left = LeftCol();
            const TPoint base = BaseCellOf(col, row);
            MoveColRow(base.X, base.Y, true, true);
            if (Navigation()->KeepHorizScroll)
                SetLeftCol(left);
        } else if (OnSelectCell) {
            bool canSelect = true;
            OnSelectCell(this, col, row, canSelect);
        }
        if (actions->DisjunctRowSelect()) {
            if (GetKeyState(VK_CONTROL) < 0 || actions->DisjunctRowSelectNoCtrl) {
                SetRowSelected(row, !GetRowSelected(row));
            } else {
                ClearRowSelection();
                SetRowSelected(row, true);
            }
        }
    }
    if (OnRightClickCell)
        OnRightClickCell(this, row, col);
}

// ---------------------------------------------------------------- selection resizer

TRect TPlusStringGrid::SelectionResizerHandle()
{
    if (!SelectionResizer() || !SelectionRectangle())
        return TRect();
    const TGridRect s = Selection();
    if (s.Right < 0 || s.Bottom < 0 || s.Right >= ColCount() || s.Bottom >= RowCount())
        return TRect();
    const TRect r = CellRect(s.Right, s.Bottom);
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return TRect();
    if (UseRightToLeftAlignment())
        return TRect(r.Left, r.Bottom - 6, r.Left + 6, r.Bottom);
    return TRect(r.Right - 6, r.Bottom - 6, r.Right, r.Bottom);
}

bool TPlusStringGrid::StartSelectionResize(TMessage& m, int x, int y, bool onHandle)
{
    resizeOrigin_ = Selection();
    CopySelectionToClipboard();
    selectionResizing_ = true;
    const TGridRect sel = Selection();
    const int col = Col(), row = Row();
    if (!Options().Contains(goEditing) && !(onHandle && MouseActions()->RangeSelectAndEdit)) {
        const auto alive = Life();
        Inherited(m);
        if (!*alive)
            return true;
    }
    SetSelection(sel);
    SetCol(col);
    SetRow(row);
    // SetCol and SetRow collapse the selection onto the current cell: the origin comes back
    SetSelection(sel);
    MouseMove(TShiftState{}, x, y);
    return true;
}

void TPlusStringGrid::PaintSelectionResizer()
{
    const TRect handle = SelectionResizerHandle();
    if (handle.Right <= handle.Left)
        return;
    TCanvas* canvas = Canvas();
    const TColor brush = canvas->Brush->Color, pen = canvas->Pen->Color;
    canvas->Brush->Style = bsSolid;
    canvas->Brush->Color = clBlack;
    canvas->Pen->Color = clWhite;
    canvas->Rectangle(handle.Left, handle.Top, handle.Right, handle.Bottom);
    canvas->Brush->Color = brush;
    canvas->Pen->Color = pen;
}

// ---------------------------------------------------------------- hover looks

void TPlusStringGrid::HoverLooks(int col, int row, int x, int y)
{
    const int fixedCols = TBaseGrid::FixedCols(), fixedRows = TBaseGrid::FixedRows();
    auto inFixedBand = [&](TPoint c) { return c.X >= 0 && c.Y >= 0 && (c.X < fixedCols || c.Y < fixedRows); };
    auto repaint = [&](TPoint c) {
        if (c.X >= 0 && c.Y >= 0 && c.X < ColCount() && c.Y < RowCount())
            RepaintCell(c.X, c.Y);
    };
    // the list-view header under the mouse is drawn hot
    if (Look() == glListView && !(listViewHover_ == TPoint(col, row))) {
        const TPoint old = listViewHover_;
        listViewHover_ = TPoint(col, row);
        if (inFixedBand(old))
            repaint(old);
        if (inFixedBand(listViewHover_))
            repaint(listViewHover_);
    }
    // the button of a button cell under the mouse is drawn hot
    TPoint hot(-1, -1);
    if (col >= 0 && row >= 0 && col < ColCount() && row < RowCount()) {
        const TPoint base = BaseCellOf(col, row);
        TRect button;
        if (IsButtonCell(DisplayToRealColumn(base.X), base.Y) && GetCellControlRect(base.X, base.Y, button) &&
            button.Contains(TPoint(x, y)))
            hot = base;
    }
    if (!(hot == hotButton_)) {
        const TPoint old = hotButton_;
        hotButton_ = hot;
        repaint(old);
        repaint(hot);
    }
}

bool TPlusStringGrid::HoverLink(int col, int row, int x, int y, bool& cursorHandled)
{
    // the anchor under the mouse: the hand cursor, underlining and the enter and exit events
    String anchor;
    int anchorIndex = -1;
    if (col >= 0 && row >= 0 && col < ColCount() && row < RowCount()) {
        const TPoint base = BaseCellOf(col, row);
        const int realCol = DisplayToRealColumn(base.X);
        const String text = Cells(realCol, base.Y);
        if (GetCellTextKind(text, EnableHTML) == 1) {
            const TRect cell = MergedCellRect(base.X, base.Y);
            TRect tr(cell.Left + XYOffset.X + 1, cell.Top + XYOffset.Y + 1, cell.Right - XYOffset.X, cell.Bottom);
            if (IsCheckBoxCell(realCol, base.Y))
                tr.Left += ControlLook()->CheckSize();
            ScrollBarCellHitArea(realCol, base.Y, tr);
            THtmlDrawArgs args;
            args.HitX = x;
            args.HitY = y;
            args.HitTestOnly = true;
            args.LinkColor = URLColor;
            const bool fixed = base.X < TBaseGrid::FixedCols() || base.Y < TBaseGrid::FixedRows();
            Canvas()->Font->Assign(fixed ? FixedFont() : Font());
            THtmlDrawResult hit;
            if (DrawHtml(Canvas(), text, tr, args, hit) && hit.ControlID.empty() && !hit.AnchorUnderPoint.empty()) {
                anchor = hit.AnchorUnderPoint;
                anchorIndex = hit.MouseLink;
            }
        }
    }
    const TPoint cell = anchor.empty() ? TPoint(-1, -1) : BaseCellOf(col, row);
    if (URLUnderlineOnHover && (!(cell == linkHover_) || anchorIndex != linkHoverAnchor_)) {
        const TPoint old = linkHover_;
        linkHover_ = cell;
        linkHoverAnchor_ = anchorIndex;
        if (old.X >= 0 && old.X < ColCount() && old.Y < RowCount())
            RepaintCell(old.X, old.Y);
        if (cell.X >= 0)
            RepaintCell(cell.X, cell.Y);
    }
    if (!anchor.empty()) {
        if (anchor != anchorHint_) {
            anchorHint_.clear();
            Application->CancelHint();
        }
        cursorHandled = true;
        if (anchor != enteredAnchor_) {
            enteredAnchor_ = anchor;
            if (OnAnchorEnter)
                OnAnchorEnter(this, row, col, anchor);
        }
        return true;
    }
    if (!enteredAnchor_.empty()) {
        enteredAnchor_.clear();
        if (OnAnchorExit)
            OnAnchorExit(this, row, col, String());
    }
    return false;
}

// ---------------------------------------------------------------- release: disjunct cells, filter list

bool TPlusStringGrid::CanShowFixedDropDown(int col, int row)
{
    bool allow = ControlLook()->FixedDropDownButton;
    if (allow && OnCanShowFixedDropDown)
        OnCanShowFixedDropDown(this, col, row, allow);
    return allow;
}

void TPlusStringGrid::ReleaseDisjunctCells(TMouseButton button, TShiftState shift, int col, int row)
{
    TIntList* cells = SelectedCells();
    const TPoint base = BaseCellOf(col, row);
    auto repaintListed = [&] {
        for (int i = 0; i < cells->Count(); ++i) {
            const int packed = cells->GetItem(i);
            const int c = packed & 0xFFFF, r = (packed >> 16) & 0xFFFF;
            if (c < ColCount() && r < RowCount())
                RepaintCell(c, r);
        }
    };
    (void)button;
    auto fixedAt = [this](int c, int r) {
        return IsFixedCell(c, r) || c < TBaseGrid::FixedCols() || r < TBaseGrid::FixedRows();
    };
    if (fixedAt(base.X, base.Y)) {
        if (!shift.Contains(ssCtrl) && !fixedAt(col, row)) {
            cells->Clear();
            Invalidate();
        }
        return;
    }
    if (shift.Contains(ssShift)) {
        if (!cells->HasValue(PackCell(col, row)))
            cells->Add(PackCell(col, row));
    } else if (shift.Contains(ssCtrl)) {
        if (cells->HasValue(PackCell(base.X, base.Y)))
            cells->RemoveValue(PackCell(base.X, base.Y));
        else
            cells->Add(PackCell(base.X, base.Y));
    } else {
        repaintListed();
        cells->Clear();
        cells->Add(PackCell(base.X, base.Y));
    }
    // a range dragged over joins the list
    const TGridRect s = Selection();
    if (s.Left != s.Right || s.Top != s.Bottom) {
        for (int c = s.Left; c <= s.Right; ++c)
            for (int r = s.Top; r <= s.Bottom; ++r)
                if (!(c == base.X && r == base.Y) && !cells->HasValue(PackCell(c, r)))
                    cells->Add(PackCell(c, r));
        repaintListed();
    }
    RepaintCell(col, row);
}

void TPlusStringGrid::HideFilterList()
{
    if (filterList_ && filterList_->Visible())
        filterList_->SetVisible(false);
    filterListColumn_ = -1;
}

bool TPlusStringGrid::ShowFilterList(int x, int y, int col, int row)
{
    const TRect r = CellRect(col, row);
    if (!(x > r.Right - 16 && x < r.Right - 3 && y < r.Top + 19))
        return false;
    const int realCol = DisplayToRealColumn(col);
    if (!BuildColumnFilterList(realCol))
        return false;
    filterListColumn_ = realCol;
    FilterDropDownCol = realCol;
    if (!filterList_) {
        filterList_ = new TListBox(this);
        filterList_->SetParent(this);
        // a click or Return picks the item, Esc closes the list
        auto own = filterList_->WindowProc;
        filterList_->WindowProc = [this, own](TMessage& m) {
            own(m);
            const bool pick = m.Msg == WM_LBUTTONUP || (m.Msg == WM_KEYDOWN && m.WParam == VK_RETURN);
            if (!pick && !(m.Msg == WM_KEYDOWN && m.WParam == VK_ESCAPE))
                return;
            const int index = filterList_->ItemIndex();
            HideFilterList();
            if (CanFocus())
                SetFocus();
            if (pick && index >= 0)
                FilterListSelect(filterList_, index);
        };
    }
    TFilterDropDown* look = FilterDropDown();
    filterList_->SetColor(look->Color);
    filterList_->Font()->Assign(look->Font());
    filterList_->Items()->Clear();
    TBitmap measure;
    measure.SetSize(1, 1);
    measure.Canvas()->Font->Assign(look->Font());
    int widest = 0;
    for (int i = 0; i < FilterValues()->Count(); ++i) {
        String item = FilterValues()->Strings(i);
        const size_t eq = item.find('=');
        if (eq != String::npos)
            item.resize(eq);
        filterList_->Items()->Add(item);
        widest = std::max(widest, measure.Canvas()->TextWidth(item));
    }
    filterList_->SetItemIndex(filterList_->Items()->Count() > 0 ? 0 : -1);
    int width = look->Width, height = look->Height;
    if (look->AutoSize) {
        const int itemHeight = measure.Canvas()->TextHeight("gh") + 2;
        height = filterList_->Items()->Count() * itemHeight + 2 * GetSystemMetrics(SM_CYEDGE);
        width = widest + 8 + 2 * GetSystemMetrics(SM_CXEDGE);
    }
    int left = r.Right - 16;
    if (look->ColumnWidth) {
        width = r.Right - r.Left;
        left = r.Left;
    }
    if (left + width > Width())
        left = std::max(0, CellRect(col, 0).Right - width);
    filterList_->SetBounds(left, r.Top + 16, width, height);
    filterList_->SetVisible(true);
    if (filterList_->CanFocus())
        filterList_->SetFocus();
    return true;
}

bool TPlusStringGrid::DrawHotFixedLook(TCanvas* canvas, int col, int row, const TRect& rect)
{
    const TPoint cell(col, row);
    const bool listView = Look() == glListView && listViewHover_ == cell;
    const bool hover = HoverFixedCells != hfNone && hoverFixedCell_ == cell && IsHoverFixedCell(col, row);
    if (!listView && !hover)
        return false;
    TControlLook* cl = ControlLook();
    const bool down = buttonDown_ && pressMark_;
    TColor from = down ? cl->FixedGradientDownFrom() : cl->FixedGradientHoverFrom();
    TColor to = down ? cl->FixedGradientDownTo() : cl->FixedGradientHoverTo();
    TColor mirrorFrom = down ? cl->FixedGradientDownMirrorFrom() : cl->FixedGradientHoverMirrorFrom();
    TColor mirrorTo = down ? cl->FixedGradientDownMirrorTo() : cl->FixedGradientHoverMirrorTo();
    TColor border = down ? cl->FixedGradientDownBorder() : cl->FixedGradientHoverBorder();
    if (from == clNone) {
        // the list-view look's own hot and pressed header colours
        from = down ? TColor(0xF0D8BC) : TColor(0xFFF2E0);
        to = down ? TColor(0xE8C9A6) : TColor(0xFBE6C8);
        mirrorFrom = mirrorTo = clNone;
        border = TColor(0xD8B690);
    }
    DrawGradientBackground(canvas, rect, from, to == clNone ? from : to, mirrorFrom, mirrorTo, true, border, false,
                           true);
    return true;
}

// ---------------------------------------------------------------- enhanced move display

void TPlusStringGrid::EnhancedMoveDisplay(int col, int row, int x, int y)
{
    const bool columns = GridState() == gsColMoving;
    if (!(columns || GridState() == gsRowMoving) || !EnhRowColMove || RowCount() <= 1 || fixedColActive_ ||
        fixedRowActive_ || HasState(csDesigning) || (x == downPoint_.X && y == downPoint_.Y) || headerIndex_ < 0)
        return;
    bool allow = true;
    DragStartHook();
    const int fixedCols = TBaseGrid::FixedCols(), fixedRows = TBaseGrid::FixedRows();
    if (!moveIndicator_) {
        moveIndicator_ = new TPopupButton(this);
        moveIndicator_->SetVisible(false);
    }
    String caption;
    int width = 0, height = 0;
    if (columns && headerIndex_ >= fixedCols && headerIndex_ < ColCount()) {
        caption = Cells(DisplayToRealColumn(headerIndex_), 0);
        width = ColWidths(headerIndex_);
        height = RowHeights(row >= 0 ? row : 0);
    } else if (!columns && headerIndex_ >= fixedRows && headerIndex_ < RowCount()) {
        caption = Cells(0, headerIndex_);
        height = RowHeights(headerIndex_);
        width = ColWidths(col >= 0 ? col : 0);
    } else {
        return;
    }
    // the indicator, or with ShowCells the picture of the moved column or row as far as it is
    // in view, keeps the point where the header was gripped
    const TPoint at = ClientToScreen(TPoint(x - clickOffset_.X, y - clickOffset_.Y));
    moveIndicator_->SetBounds(at.X, at.Y, width, height);
    const bool showCells = DragDropSettings()->ShowCells();
    if (showCells && !dragCellsWindow_)
        ShowCellsPicture(columns ? TGridRect{headerIndex_, 0, headerIndex_, RowCount() - 1}
                                 : TGridRect{0, headerIndex_, ColCount() - 1, headerIndex_},
                         at);
    if (showCells && dragCellsWindow_)
        dragCellsWindow_->SetBounds(at.X, at.Y, dragCellsWindow_->Width(), dragCellsWindow_->Height());
    if (columns) {
        if (col >= fixedCols) {
            moveTarget_ = TPoint(col, 0);
            const TRect r = CellRect(col, 0);
            const int edge = col < headerIndex_ ? r.Left : r.Left + ColWidths(col);
            const bool visible = col - LeftCol() < VisibleColCount() && r.Right > r.Left;
            ShowDropArrow(0, ClientToScreen(TPoint(edge - 5, r.Top - 8)), visible);
            ShowDropArrow(1, ClientToScreen(TPoint(edge - 5, r.Bottom)), visible);
            if (OnColumnMoving)
                OnColumnMoving(this, col, allow);
        }
    } else if (row >= fixedRows && !(row == RowCount() - 1 && HideLastRow())) {
        // the two row arrows point at the drop edge from both sides of the row's first cell
        moveTarget_ = TPoint(0, row);
        const TRect r = CellRect(0, row);
        const int edge = row < headerIndex_ ? r.Top : r.Top + RowHeights(row);
        const bool visible = row - TopRow() < VisibleRowCount() && r.Bottom > r.Top;
        ShowDropArrow(2, ClientToScreen(TPoint(r.Left - 10, edge - 5)), visible);
        ShowDropArrow(3, ClientToScreen(TPoint(r.Right, edge - 5)), visible);
        if (OnRowMoving)
            OnRowMoving(this, row, allow);
    }
    // past the scrolled cells the grid scrolls one column or row per move
    if (columns) {
        int fixedWidth = 0;
        for (int c = 0; c < fixedCols; ++c)
            fixedWidth += ColWidths(c);
        if (x < fixedWidth && LeftCol() > fixedCols) {
            SetLeftCol(LeftCol() - 1);
            Repaint();
        } else if (x > Width() && LeftCol() + VisibleColCount() < ColCount()) {
            SetLeftCol(LeftCol() + 1);
            Repaint();
        }
    } else {
        int fixedHeight = 0;
        for (int r = 0; r < fixedRows; ++r)
            fixedHeight += RowHeights(r);
        if (y < fixedHeight && TopRow() > fixedRows) {
            SetTopRowChecked(TopRow() - 1);
            Repaint();
        } else if (y > Height() && TopRow() + VisibleRowCount() < RowCount()) {
            SetTopRowChecked(TopRow() + 1);
            Repaint();
        }
    }
    TControlLook* cl = ControlLook();
    moveIndicator_->GradFrom = cl->FixedGradientFrom();
    moveIndicator_->GradTo = cl->FixedGradientTo();
    moveIndicator_->GradMirrorFrom = cl->FixedGradientMirrorFrom();
    moveIndicator_->GradMirrorTo = cl->FixedGradientMirrorTo();
    if (moveIndicator_->GradFrom == clNone)
        moveIndicator_->GradFrom = moveIndicator_->GradTo = FixedColor();
    moveIndicator_->SetCaption(caption);
    if (moveIndicator_->Visible() != !showCells)
        moveIndicator_->SetVisible(!showCells);
    moveIndicator_->Invalidate();
    if (Screen)
        Screen->SetCursor(allow ? crDrag : crNoDrop);
}

bool TPlusStringGrid::EndMoveDisplay()
{
    const bool shown = (moveIndicator_ && moveIndicator_->Visible()) || dragCellsWindow_;
    if (moveIndicator_)
        moveIndicator_->SetVisible(false);
    if (!oleDragging_)
        FreeDragCellsWindow();
    HideDropArrows(true, true);
    moveTarget_ = TPoint(-1, -1);
    if (Screen && (Screen->Cursor() == crDrag || Screen->Cursor() == crNoDrop))
        Screen->SetCursor(crDefault);
    return shown;
}
