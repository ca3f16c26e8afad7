// TPlusStringGrid: the keyboard (key down, characters, key up), moving on after Enter and Tab
// navigation. The framework grid still does the plain cell movement; the grid adds its rules
// before and after it. Every move ends on the base cell of a merged range.
#include "components/grid/PlusGrid.h"
#include "components/grid/PlusGridSearchPanel.h"

#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <algorithm>

namespace {

bool IsArrowOrPage(WORD key)
{
    return key >= VK_PRIOR && key <= VK_DOWN;
}

} // namespace

// ---------------------------------------------------------------- small functions

int TPlusStringGrid::FirstNavigableCol()
{
    return FixedCols() == 0 && HasNodes() ? 1 : FixedCols();
}

int TPlusStringGrid::VisibleFixedRightColCount() const
{
    if (HiddenColCount == 0)
        return fixedRightCols_;
    int count = 0;
    const int total = ColCount() + HiddenColCount;
    for (int real = std::max(0, total - fixedRightCols_); real < total; ++real)
        if (!IsColumnHidden(real))
            ++count;
    return count;
}

bool TPlusStringGrid::IsNavigableCell(int col, int row)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount() || ColWidths(col) <= 0)
        return false;
    if (!Options().Contains(goEditing))
        return !IsFixedCell(col, row) && col >= TBaseGrid::FixedCols();
    return col >= TBaseGrid::FixedCols() && CanEditCellAt(col, row);
}

int TPlusStringGrid::FirstNavigableColInRow(int row)
{
    for (int c = 0; c < ColCount(); ++c)
        if (IsNavigableCell(c, row))
            return c;
    return -1;
}

int TPlusStringGrid::LastNavigableColInRow(int row)
{
    for (int c = ColCount() - 1; c >= 0; --c)
        if (IsNavigableCell(c, row))
            return c;
    return -1;
}

bool TPlusStringGrid::CellChangingAllowed(int oldCol, int oldRow, int newCol, int newRow)
{
    bool allow = true;
    if (newRow != oldRow && OnRowChanging)
        OnRowChanging(this, oldRow, newRow, allow);
    if (newCol != oldCol && OnColChanging)
        OnColChanging(this, oldCol, newCol, allow);
    if (!advancing_ && (newCol != oldCol || newRow != oldRow) && OnCellChanging)
        OnCellChanging(this, oldRow, oldCol, newRow, newCol, allow);
    return allow;
}

// ---------------------------------------------------------------- WM_KEYDOWN
//
// A key down passes the grid's steps in order; a step that ends the key returns true (it has
// fired OnKeyDown where the key counts as consumed, or handed the key to the framework). What no
// step ends goes to the framework grid (plain cell movement), and the steps after it act on the
// cell the key moved to.

void TPlusStringGrid::WMKeyDown(TMessage& m)
{
    WORD key = m.CharCode();
    const TShiftState shift = KeyDataToShiftState(m.LParam);
    keySelection_ = Selection();
    const int leftBefore = LeftCol();

    if (KeyScrollsViewOnly(key)) {
        m.Result = 1;
        return;
    }
    if (KeyStartsOrRefusesEdit(m, key, shift))
        return;
    if (!KeyOperatesCellControl(key))
        return;
    if (KeyMovesHomeOrEnd(m, key, shift, leftBefore))
        return;
    if (KeyScrollsRowSelectSideways(m, key, shift))
        return;
    if (key == VK_TAB && Options().Contains(goTabs)) {
        TabNavigate(shift.Contains(ssShift));
        const TGridRect now = Selection();
        if (!(now == keySelection_))
            SelectionChanged(now.Left, now.Top, now.Right, now.Bottom);
        return;
    }
    if (KeySkipsFixedCells(key, shift))
        return;
    if (key == VK_DOWN && IsLastDataRow(Row()) && Navigation()->AppendOnArrowDown)
        AppendRowAtEnd();

    m.SetCharCode(key);
    Inherited(m);
    key = m.CharCode();

    TMouseActions* actions = MouseActions();
    const int rowForSelection = actions->DisjunctRowSelect() && actions->RowSelectPersistent ? DisplayToRealRow(Row())
                                                                                               : Row();
    if (KeyRunsClipboardShortcut(key, shift))
        return;
    if (KeyInsertsRow(key, shift))
        return;
    if (shift.Contains(ssCtrl) && key == 'A' && (Options().Contains(goRowSelect) || Options().Contains(goRangeSelect))) {
        SelectAllByKey();
    } else if (IsArrowOrPage(key)) {
        KeepDisjunctRowsAfterMove(shift, rowForSelection);
    } else if (key == VK_SPACE && actions->DisjunctRowSelect()) {
        SetRowSelected(rowForSelection, !GetRowSelected(rowForSelection));
    } else if (key == VK_DELETE && Navigation()->AllowDeleteRow && !shift.Contains(ssAlt) &&
               RowCount() - fixedFooters_ - FixedRows() >= 1) {
        if (!DeleteRowByKey())
            return;
    } else if (key == VK_RETURN || key == VK_F2) {
        StoreCellSnapshot(Col(), Row());
        if (key == VK_F2)
            EditKeyHook();
    }
    const TGridRect now = Selection();
    if (!(now == keySelection_)) {
        SelectionChanged(now.Left, now.Top, now.Right, now.Bottom);
        keySelection_ = now;
    }
}

void TPlusStringGrid::EndKeyConsumed(TMessage& m, WORD key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
    m.Result = 0;
}

bool TPlusStringGrid::KeyScrollsViewOnly(WORD key)
{
    if (!Navigation()->MoveScrollOnly || !IsArrowOrPage(key) || key == VK_LEFT || key == VK_RIGHT)
        return false;
    const int visible = VisibleRowCount();
    switch (key) {
    case VK_PRIOR: SetTopRowChecked(TopRow() > visible + FixedRows() ? TopRow() - visible : FixedRows()); break;
    case VK_NEXT:
        if (TopRow() + visible < RowCount())
            SetTopRowChecked(std::min(TopRow() + visible, RowCount() - visible));
        break;
    case VK_END: SetTopRowChecked(RowCount() - visible); break;
    case VK_HOME: SetTopRowChecked(FixedRows()); break;
    case VK_UP:
        if (TopRow() > FixedRows())
            SetTopRowChecked(TopRow() - 1);
        break;
    case VK_DOWN:
        if (TopRow() + visible < RowCount())
            SetTopRowChecked(TopRow() + 1);
        break;
    default: break;
    }
    return true;
}

bool TPlusStringGrid::KeyStartsOrRefusesEdit(TMessage& m, WORD key, TShiftState shift)
{
    TMouseActions* actions = MouseActions();
    const bool enterOrF2 = key == VK_RETURN || key == VK_F2;
    if (actions->EditOnDblClickOnly() && enterOrF2) {
        const bool saved = actions->RangeSelectAndEdit;
        actions->RangeSelectAndEdit = true;
        if (CanEditCellAt(Col(), Row())) {
            SetOptions(Options() + TGridOptions{goEditing});
            ShowInplaceEditor();
        }
        actions->RangeSelectAndEdit = saved;
    }
    if (actions->RangeSelectAndEdit && !Options().Contains(goEditing) && enterOrF2) {
        if (!CanEditCellAt(Col(), Row())) {
            EndKeyConsumed(m, key, shift);
            return true;
        }
        SetOptions(Options() + TGridOptions{goEditing});
        ShowInplaceEditor();
    }
    if (key == 'F' && shift.Contains(ssCtrl) && searchFooter_->Visible() && searchPanel_ &&
        searchPanel_->Edit->CanFocus())
        searchPanel_->Edit->SetFocus();
    if (enterOrF2 && Options().Contains(goEditing) && !CanEditCellAt(Col(), Row())) {
        EndKeyConsumed(m, key, shift);
        return true;
    }
    if (key == VK_RETURN && !CanEditCellAt(Col(), Row()) && !IsClickableControlCell(Col(), Row())) {
        TForm* form = GetParentForm(this);
        if (form && form->KeyPreview) {
            Inherited(m);
            return true;
        }
        EndKeyConsumed(m, key, shift);
        return true;
    }
    return false;
}

bool TPlusStringGrid::KeyOperatesCellControl(WORD key)
{
    if ((key != VK_SPACE && key != VK_RETURN) || !IsClickableControlCell(DisplayToRealColumn(Col()), Row()))
        return true;
    const int real = DisplayToRealColumn(Col());
    const int row = Row();
    const bool operable =
        (Options().Contains(goEditing) || MouseActions()->RangeSelectAndEdit) && CanEditCell(real, row);
    const TCellType type = GetCellType(real, row);
    const bool check = type == ctCheckBox || type == ctDataCheckBox || type == ctVirtCheckBox || type == ctRowCheckBox;
    const auto alive = Life();
    if (key == VK_SPACE && check && (operable || ControlLook()->CheckAlwaysActive)) {
        CellControlKey(Col(), row);
        if (!*alive)
            return false;
        if (ShowModified()->Enabled) {
            SetRowModified(row, true);
            RepaintCell(0, row);
        }
    } else if (key == VK_SPACE && type == ctRadio && (operable || ControlLook()->RadioAlwaysActive)) {
        CellControlKey(Col(), row);
    } else if (key == VK_SPACE && type == ctRadioButton && (operable || ControlLook()->RadioAlwaysActive)) {
        if (SelectRadioButton(real, row, true) && OnRadioButtonClick)
            OnRadioButtonClick(this, real, row);
    } else if (type == ctButton || type == ctBitButton) {
        if (operable)
            DoButtonClick(real, row);
    }
    if (!*alive)
        return false;
    RepaintCell(Col(), Row());
    return true;
}

bool TPlusStringGrid::KeyMovesHomeOrEnd(TMessage& m, WORD key, TShiftState shift, int leftBefore)
{
    if ((key != VK_HOME && key != VK_END) || shift.Contains(ssCtrl))
        return false;
    TNavigation* nav = Navigation();
    const bool home = key == VK_HOME;
    switch (nav->HomeEndKey) {
    case heFirstLastCell: {
        const TPoint base = home ? BaseCellOf(FixedCols(), FixedRows()) : BaseCellOf(ColCount() - 1, RowCount() - 1);
        MoveColRow(base.X, base.Y, true, true);
        EndKeyConsumed(m, key, shift);
        return true;
    }
    case heFirstLastRow: {
        if (FixedRowAlways && RowCount() == 1) {
            Inherited(m);
            return true;
        }
        const int oldRow = Row();
        int row = home ? FixedRows() : RowCount() - fixedFooters_ - 1;
        row = std::clamp(row, FixedRows(), RowCount() - 1);
        const TPoint base = BaseCellOf(Col(), row);
        if (shift.Contains(ssShift) && Options().Contains(goRangeSelect)) {
            MoveColRow(base.X, base.Y, false, true);
            SetSelection(TGridRect{TBaseGrid::FixedCols(), std::min(oldRow, base.Y), ColCount() - 1,
                                   std::max(oldRow, base.Y)});
        } else {
            MoveColRow(base.X, base.Y, true, true);
            if (MouseActions()->DisjunctRowSelect())
                ClearRowSelection();
        }
        if (!home && fixedFooters_ > 0)
            SetTopRowChecked(RowCount() - VisibleRowCount());
        EndKeyConsumed(m, key, shift);
        if (Options().Contains(goRowSelect) && nav->KeepHorizScroll)
            SetLeftCol(leftBefore);
        return true;
    }
    case heFirstLastColumn:
        if (Options().Contains(goRowSelect))
            return false;
        if (FixedRowAlways && RowCount() == 1) {
            Inherited(m);
            return true;
        }
        if (shift.Contains(ssShift) && Options().Contains(goRangeSelect)) {
            const int to = home ? FixedCols() : ColCount() - fixedRightCols_ - 1;
            MoveColRow(to, Row(), false, true);
            RepaintRow(Row());
        } else {
            const TPoint base = home ? BaseCellOf(FirstNavigableCol(), Row()) : BaseCellOf(ColCount() - 1, Row());
            MoveColRow(base.X, base.Y, true, false);
            SetLeftCol(home ? std::max(FixedCols(), base.X) : ColCount() - VisibleColCount());
        }
        EndKeyConsumed(m, key, shift);
        return true;
    }
    return false;
}

bool TPlusStringGrid::KeyScrollsRowSelectSideways(TMessage& m, WORD key, TShiftState shift)
{
    if (!Options().Contains(goRowSelect) || (key != VK_LEFT && key != VK_RIGHT) ||
        VisibleColCount() + TBaseGrid::FixedCols() >= ColCount())
        return false;
    TNavigation* nav = Navigation();
    if (nav->LeftRightRowSelect && !shift.Contains(ssCtrl))
        return false;
    if (key == VK_LEFT && LeftCol() > TBaseGrid::FixedCols())
        SetLeftCol(LeftCol() - 1);
    else if (key == VK_RIGHT && LeftCol() + VisibleColCount() < ColCount())
        SetLeftCol(LeftCol() + 1);
    if (nav->LeftRightRowSelect)
        return false;
    EndKeyConsumed(m, key, shift);
    return true;
}

bool TPlusStringGrid::KeySkipsFixedCells(WORD key, TShiftState shift)
{
    if (!Navigation()->SkipFixedCells || (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN))
        return false;
    const bool rtl = UseRightToLeftAlignment();
    const int dx = key == VK_LEFT ? (rtl ? 1 : -1) : key == VK_RIGHT ? (rtl ? -1 : 1) : 0;
    const int dy = key == VK_UP ? -1 : key == VK_DOWN ? 1 : 0;
    const int minCol = FixedCols(), maxCol = ColCount() - fixedRightCols_ - 1;
    const int minRow = FixedRows(), maxRow = RowCount() - fixedFooters_ - 1;
    int c = Col() + dx, r = Row() + dy;
    if (!(c >= minCol && c <= maxCol && r >= minRow && r <= maxRow && IsFixedCell(c, r)))
        return false;
    while (c >= minCol && c <= maxCol && r >= minRow && r <= maxRow && IsFixedCell(c, r)) {
        c += dx;
        r += dy;
    }
    if (c >= minCol && c <= maxCol && r >= minRow && r <= maxRow) {
        const TPoint base = BaseCellOf(c, r);
        MoveColRow(base.X, base.Y, true, true);
    }
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
    return true;
}

bool TPlusStringGrid::KeyRunsClipboardShortcut(WORD key, TShiftState shift)
{
    if (!Navigation()->AllowClipboardShortCuts)
        return false;
    const bool ctrl = shift.Contains(ssCtrl);
    enum { None, Cut, Copy, Paste } action = None;
    if (ctrl && key == 'X')
        action = Cut;
    else if (ctrl && key == 'V')
        action = Paste;
    else if (ctrl && (key == 'C' || key == VK_INSERT))
        action = Copy;
    else if (shift.Contains(ssShift) && key == VK_INSERT)
        action = Paste;
    else if (shift.Contains(ssShift) && key == VK_DELETE)
        action = Cut;
    if (action == None)
        return false;
    bool allow = true;
    if (action == Cut && OnClipboardCut)
        OnClipboardCut(this, allow);
    if (action == Copy && OnClipboardCopy)
        OnClipboardCopy(this, allow);
    if (action == Paste && OnClipboardPaste)
        OnClipboardPaste(this, allow);
    if (allow) {
        if (action == Cut)
            CutSelectionToClipboard();
        else if (action == Copy)
            CopySelectionToClipboard();
        else
            PasteFromClipboard();
    }
    return true;
}

bool TPlusStringGrid::KeyInsertsRow(WORD key, TShiftState shift)
{
    TNavigation* nav = Navigation();
    if (key != VK_INSERT || !nav->AllowInsertRow || shift.Contains(ssCtrl) || shift.Contains(ssShift) ||
        shift.Contains(ssAlt))
        return false;
    bool canInsert = true;
    if (OnCanInsertRow)
        OnCanInsertRow(this, Row(), canInsert);
    if (!canInsert)
        return true;
    int inserted;
    if (nav->InsertPosition == pInsertAfter) {
        inserted = DisplayToRealRow(Row()) + 1;
        InsertRows(Row() + 1, 1);
        if (Row() + 1 < RowCount())
            SetRow(Row() + 1);
    } else {
        inserted = DisplayToRealRow(Row());
        InsertRows(Row(), 1);
    }
    if (OnAutoInsertRow)
        OnAutoInsertRow(this, inserted);
    Modified = true;
    return true;
}

void TPlusStringGrid::SelectAllByKey()
{
    const TGridRect all{FirstNavigableCol(), FixedRows(), ColCount() - fixedRightCols_ - 1,
                        RowCount() - fixedFooters_ - 1};
    if (all.Right < all.Left || all.Bottom < all.Top)
        return;
    if (MouseActions()->DisjunctRowSelect())
        for (int r = all.Top; r <= all.Bottom; ++r)
            SetRowSelected(r, true);
    SelectAllHook(all);
    SetSelection(all);
}

void TPlusStringGrid::KeepDisjunctRowsAfterMove(TShiftState shift, int rowForSelection)
{
    if (!MouseActions()->DisjunctRowSelect())
        return;
    if (!shift.Contains(ssShift) && !shift.Contains(ssCtrl))
        ClearRowSelection();
    if (shift.Contains(ssShift)) {
        const TGridRect s = Selection();
        for (int r = s.Top; r <= s.Bottom; ++r)
            SetRowSelected(r, true);
    } else {
        SetRowSelected(rowForSelection, true);
    }
}

bool TPlusStringGrid::DeleteRowByKey()
{
    bool canDelete = true;
    if (OnCanDeleteRow)
        OnCanDeleteRow(this, Row(), canDelete);
    if (!canDelete)
        return false;
    const int row = Row();
    if (RowCount() - fixedFooters_ - FixedRows() == 1 && !FixedRowAlways)
        ClearRows(row, 1);
    else
        RemoveRows(row, 1);
    if (OnAutoDeleteRow)
        OnAutoDeleteRow(this, row);
    SnapToBaseCell();
    StoreCellSnapshot(Col(), Row());
    Modified = true;
    return true;
}

// ---------------------------------------------------------------- KeyDown, KeyUp

void TPlusStringGrid::KeyDown(WORD& key, TShiftState shift)
{
    // Tab from the in-place editor ends the edit and moves on as Tab in the grid does
    if (key == VK_TAB && Options().Contains(goTabs) && InplaceEditor() && InplaceEditor()->Focused()) {
        HideInplaceEditor();
        if (LastValidationPassed)
            TabNavigate(shift.Contains(ssShift));
        key = 0;
        return;
    }
    keyDownCell_ = TPoint(Col(), Row());
    ++inputDepth_;
    // Page Down and Ctrl+End stop on the last data row: the framework's own step would aim past
    // it, at a footer row, which never becomes the current cell, and the cell would not move
    const int lastDataRow = RowCount() - fixedFooters_ - 1;
    const bool toLastDataRow = fixedFooters_ > 0 && lastDataRow >= FixedRows() &&
                               ((key == VK_NEXT && Row() + std::max(1, VisibleRowCount()) > lastDataRow) ||
                                (key == VK_END && shift.Contains(ssCtrl)));
    if (toLastDataRow) {
        TCustomControl::KeyDown(key, shift);
        if (key != 0) {
            Perform(WM_VSCROLL, key == VK_NEXT ? SB_PAGEDOWN : SB_BOTTOM, 0);
            const TPoint target = BaseCellOf(Col(), lastDataRow);
            if (target.X != Col() || target.Y != Row())
                MoveColRow(target.X, target.Y, !(shift.Contains(ssShift) && Options().Contains(goRangeSelect)), true);
        }
    } else {
        TBaseGrid::KeyDown(key, shift);
    }
    --inputDepth_;
    TNavigation* nav = Navigation();
    if (nav->CursorAdvance != caDefault) {
        const bool snake = nav->CursorAdvance == caSnake;
        const int lastDataCol = ColCount() - fixedRightCols_ - 1;
        const int lastDataRow = RowCount() - fixedFooters_ - 1;
        int col = Col(), row = Row();
        switch (key) {
        case VK_LEFT:
            if (keyDownCell_.X == FixedCols()) {
                col = lastDataCol;
                if (snake && row > FixedRows())
                    --row;
            }
            break;
        case VK_UP:
            if (keyDownCell_.Y == FixedRows()) {
                row = lastDataRow;
                if (snake && col > FixedCols())
                    --col;
            }
            break;
        case VK_RIGHT:
            if (keyDownCell_.X == ColCount() - 1) {
                col = FixedCols();
                if (snake && row < lastDataRow)
                    ++row;
            }
            break;
        case VK_DOWN:
            if (keyDownCell_.Y == RowCount() - 1) {
                row = FixedRows();
                if (snake && col < lastDataCol)
                    ++col;
            }
            break;
        default: break;
        }
        if ((col != Col() || row != Row()) && col >= 0 && row >= 0 && col < ColCount() && row < RowCount()) {
            const TPoint base = BaseCellOf(col, row);
            MoveColRow(base.X, base.Y, true, true);
        }
    }
    // disabled rows are stepped over; with no enabled row that way the cell stays
    if (RowDisablingUsed && nav->SkipDisabledRows && (key == VK_UP || key == VK_DOWN) &&
        (Row() == keyDownCell_.Y || !GetRowEnabled(Row()))) {
        int found = -1;
        if (key == VK_UP) {
            for (int r = keyDownCell_.Y - 1; r >= FixedRows() && found < 0; --r)
                if (GetRowEnabled(r))
                    found = r;
        } else {
            for (int r = keyDownCell_.Y + 1; r < RowCount() && found < 0; ++r)
                if (GetRowEnabled(r))
                    found = r;
        }
        const int target = found >= 0 ? found : keyDownCell_.Y;
        if (target != Row()) {
            const TPoint base = BaseCellOf(Col(), target);
            MoveColRow(base.X, base.Y, true, true);
        }
    }
}

void TPlusStringGrid::KeyUp(WORD& key, TShiftState shift)
{
    if (key == VK_PRIOR || key == VK_NEXT || key == VK_END || (key >= VK_LEFT && key <= VK_DOWN) ||
        key == VK_INSERT || key == VK_DELETE)
        LookupText = "";
    const WORD pressed = key;
    TBaseGrid::KeyUp(key, shift);
    const bool arrow = pressed >= VK_LEFT && pressed <= VK_DOWN;
    const bool tab = pressed == VK_TAB && Options().Contains(goTabs);
    if (Navigation()->AlwaysEdit && (arrow || tab) && !IsClickableControlCell(Col(), Row()))
        ShowInplaceEditor();
    if (arrow || pressed == VK_TAB) {
        const TGridRect now = Selection();
        if (!(now == keySelection_)) {
            SelectionChanged(now.Left, now.Top, now.Right, now.Bottom);
            keySelection_ = now;
        }
    }
}

// ---------------------------------------------------------------- characters

void TPlusStringGrid::WMChar(TMessage& m)
{
    unsigned char c = static_cast<unsigned char>(m.CharCode());
    TMouseActions* actions = MouseActions();
    const String text = GetCellText(DisplayToRealColumn(Col()), Row());
    if (EnableHTML && UpperCase(text).find("<CONTROL") != String::npos) {
        m.Result = 1;
        return;
    }
    if (actions->EditOnDblClickOnly() && CanEditCellAt(Col(), Row()))
        SetOptions(Options() + TGridOptions{goEditing});
    if (Navigation()->AllowClipboardShortCuts && GetKeyState(VK_CONTROL) < 0 && (c == 3 || c == 22 || c == 24))
        return;
    if (actions->RangeSelectAndEdit && c != 9 && c != 27 && GetKeyState(VK_CONTROL) >= 0 &&
        CanEditCellAt(Col(), Row()) && !IsClickableControlCell(Col(), Row())) {
        char copy = char(c);
        if (OnKeyPress)
            OnKeyPress(this, copy);
        EditStartKey = char(c);
        SetOptions(Options() + TGridOptions{goEditing});
        ScrollInView(Col(), Row());
        Inherited(m);
        return;
    }
    if (Options().Contains(goEditing) && c != 9 && (c == 8 || c >= 32)) {
        char typed = char(c);
        if (OnKeyPress)
            OnKeyPress(this, typed);
        if (typed == 0)
            return;
        EditStartKey = typed;
        if (IsClickableControlCell(Col(), Row()))
            return;
        // the framework grid opens the editor with the character
        m.SetCharCode(static_cast<unsigned char>(typed));
        if (!EditorMode() || !InplaceEditor() || !InplaceEditor()->Visible()) {
            StoreCellSnapshot(Col(), Row());
            TBaseGrid::WndProc(m);
            return;
        }
    }
    Inherited(m);
}

void TPlusStringGrid::KeyPress(char& key)
{
    TNavigation* nav = Navigation();
    if (key == 27) {
        if (Options().Contains(goEditing) && ValidationPending)
            RestoreSavedCellText();
        if (OnKeyPress)
            OnKeyPress(this, key);
        return;
    }
    if (key == '\r' && !nav->AdvanceOnEnter && !CanEditCellAt(Col(), Row())) {
        if (OnKeyPress)
            OnKeyPress(this, key);
        key = 0;
        return;
    }
    const bool editorHasFocus = InplaceEditor() && InplaceEditor()->Focused();
    if (key == '\r' && (editorHasFocus || IsClickableControlCell(Col(), Row())) && nav->AdvanceOnEnter) {
        HideInplaceEditor();
        AdvanceToNextCell(Col(), Row(), Editing, false, true, false, false);
        if (!nav->AdvanceAutoEdit) {
            if (OnKeyPress)
                OnKeyPress(this, key);
            key = 0;
            return;
        }
    }
    if (!Options().Contains(goEditing) && nav->AutoGotoWhenSorted && key != '\r' && key != 27) {
        if (nav->AutoGotoIncremental) {
            if (key == 8) {
                if (!LookupText.empty())
                    LookupText.pop_back();
            } else {
                LookupText += key;
            }
            searchAge_ = 0;
        } else {
            LookupText = String(1, key);
        }
        const int found = LookupInSortedColumn(AnsiUpperCase(LookupText));
        if (found < 0) {
            LookupText = "";
        } else {
            const TPoint base = BaseCellOf(Col(), found);
            MoveColRow(base.X, base.Y, true, true);
        }
    }
    ++inputDepth_;
    TBaseGrid::KeyPress(key);
    --inputDepth_;
}

// ---------------------------------------------------------------- moving on after Enter

void TPlusStringGrid::AdvanceToNextCell(int col, int row, bool doEdit, bool recursing, bool forward, bool autoEdit,
                                        bool force)
{
    TNavigation* nav = Navigation();
    if (!nav->AdvanceOnEnter && !force)
        return;
    if (MouseActions()->RangeSelectAndEdit && !Options().Contains(goEditing))
        SetOptions(Options() + TGridOptions{goEditing});
    if (!recursing) {
        advanceOrigin_ = TPoint(col, row);
        navigationDepth_ = 0;
    }
    // a grid where no cell may be edited is walked once round, then the cell stays
    if (++navigationDepth_ > ColCount() * RowCount() + 1) {
        if (advanceOrigin_.X >= 0 && advanceOrigin_.Y >= 0 && advanceOrigin_.X < ColCount() &&
            advanceOrigin_.Y < RowCount()) {
            const TPoint base = BaseCellOf(advanceOrigin_.X, advanceOrigin_.Y);
            MoveColRow(base.X, base.Y, true, true);
        }
        return;
    }
    const TPoint start(col, row);
    EditStartKey = 0;
    const TPoint span = MergeSpanOf(BaseCellOf(col, row).X, BaseCellOf(col, row).Y);
    const int spanX = std::max(0, span.X), spanY = std::max(0, span.Y);
    const int lastDataRow = RowCount() - fixedFooters_ - 1;
    const int lastDataCol = ColCount() - fixedRightCols_ - 1;
    TPoint target = start;
    if (forward && nav->AdvanceDirection() == adLeftRight) {
        if (col + spanX < ColCount() - VisibleFixedRightColCount() - 1) {
            target = TPoint(col + spanX + 1, row);
        } else if (row < lastDataRow) {
            target = TPoint(FirstNavigableCol(), row + 1);
        } else if (nav->AdvanceInsert()) {
            bool canAdd = true;
            if (OnCanAddRow)
                OnCanAddRow(this, canAdd);
            target = TPoint(FirstNavigableCol(), row);
            if (canAdd) {
                InsertRows(RowCount() - fixedFooters_, 1);
                target.Y = row + 1;
                if (OnAutoAddRow)
                    OnAutoAddRow(this, RowCount() - fixedFooters_ - 1);
                bool editable = false;
                for (int c = FixedCols(); c < ColCount() && !editable; ++c)
                    editable = CanEditCellAt(c, target.Y);
                if (!editable)
                    return;
            }
        } else if (nav->AdvanceOnEnterLoop) {
            target = TPoint(FirstNavigableCol(), FixedRows());
        }
    } else if (forward) {
        if (row + spanY >= lastDataRow) {
            if (col + 1 != ColCount() - fixedRightCols_) {
                target = TPoint(col + 1 >= ColCount() ? FirstNavigableCol() : col + 1, FixedRows());
            } else if (nav->AdvanceInsert()) {
                SetColCount(ColCount() + 1);
                target = TPoint(col + spanX + 1, FixedRows());
                if (OnAutoInsertCol)
                    OnAutoInsertCol(this, ColCount() - fixedRightCols_ - 1);
            } else {
                target = TPoint(FirstNavigableCol(), FixedRows());
            }
            Invalidate();
        } else {
            target = TPoint(col, row + spanY + 1);
        }
    } else if (nav->AdvanceDirection() == adLeftRight) {
        if (col > FirstNavigableCol())
            target = TPoint(col - 1, row);
        else if (row > FixedRows())
            target = TPoint(lastDataCol, row - 1);
        else
            target = TPoint(lastDataCol, lastDataRow);
    } else {
        if (row > FixedRows())
            target = TPoint(col, row - 1);
        else if (col > FirstNavigableCol())
            target = TPoint(col - 1, lastDataRow);
        else
            target = TPoint(lastDataCol, lastDataRow);
    }
    target.X = std::clamp(target.X, 0, ColCount() - 1);
    target.Y = std::clamp(target.Y, 0, RowCount() - 1);
    target = BaseCellOf(target.X, target.Y);
    if (!CanEditCellAt(target.X, target.Y) && Options().Contains(goEditing)) {
        AdvanceToNextCell(target.X, target.Y, doEdit, true, forward, autoEdit, force);
        return;
    }
    const TPoint origin = advanceOrigin_;
    int newRow = target.Y, newCol = target.X;
    bool allow = true;
    if (OnAutoAdvance)
        OnAutoAdvance(this, origin.Y, origin.X, newRow, newCol, allow);
    newCol = std::clamp(newCol, TBaseGrid::FixedCols(), ColCount() - 1);
    newRow = std::clamp(newRow, TBaseGrid::FixedRows(), RowCount() - 1);
    const TPoint dest = BaseCellOf(newCol, newRow);
    advancing_ = true;
    if (allow && OnCellChanging)
        OnCellChanging(this, origin.Y, origin.X, dest.Y, dest.X, allow);
    if (allow)
        MoveColRow(dest.X, dest.Y, true, true);
    advancing_ = false;
    if (!doEdit)
        return;
    if ((autoEdit && nav->AdvanceAutoEdit) || IsClickableControlCell(Col(), Row())) {
        if (!CanEditCellAt(Col(), Row()))
            return;
        if (!IsClickableControlCell(Col(), Row()))
            ShowInplaceEditor();
    }
    if (MouseActions()->DisjunctRowSelect()) {
        ClearRowSelection();
        SetRowSelected(Row(), true);
    }
}

// ---------------------------------------------------------------- Tab navigation

void TPlusStringGrid::TabMoveTo(int col, int row)
{
    col = std::clamp(col, 0, ColCount() - 1);
    row = std::clamp(row, 0, RowCount() - 1);
    const TPoint base = BaseCellOf(col, row);
    programmaticMove_ = true;
    MoveColRow(std::max(base.X, TBaseGrid::FixedCols()), std::max(base.Y, TBaseGrid::FixedRows()), true, true);
    programmaticMove_ = false;
}

void TPlusStringGrid::TabPassToParent()
{
    if (Parent() && Navigation()->TabToNextAtEnd)
        PostMessage(Parent()->Handle(), WM_KEYDOWN, VK_TAB, 0);
}

void TPlusStringGrid::TabStepBackward()
{
    const int lastCol = ColCount() - VisibleFixedRightColCount() - 1;
    const int lastRow = RowCount() - fixedFooters_ - 1;
    const int firstCol = FirstNavigableCol();
    const TPoint base = BaseCellOf(Col(), Row());
    if (Navigation()->TabAdvanceDirection == adTopBottom) {
        if (Row() > FixedRows())
            TabMoveTo(Col(), base.Y - 1);
        else
            TabMoveTo(Col() > firstCol ? Col() - 1 : lastCol, lastRow);
        return;
    }
    const int rowAbove = Row() > FixedRows() ? Row() - 1 : lastRow;
    if (Col() > firstCol) {
        for (int c = base.X - 1; c >= firstCol; --c)
            if (IsNavigableCell(c, Row()) && IsBaseOrPlainCell(c, Row())) {
                TabMoveTo(c, Row());
                return;
            }
        const int col = LastNavigableColInRow(rowAbove);
        if (col >= 0)
            TabMoveTo(col, rowAbove);
        return;
    }
    for (int c = lastCol; c >= TBaseGrid::FixedCols(); --c)
        if (IsNavigableCell(c, rowAbove)) {
            TabMoveTo(c, rowAbove);
            return;
        }
}

void TPlusStringGrid::TabStepForwardDown(int rangeRight, int rangeBottom)
{
    const int lastCol = ColCount() - VisibleFixedRightColCount() - 1;
    const int lastRow = RowCount() - fixedFooters_ - 1;
    if (rangeBottom + 1 <= lastRow) {
        TabMoveTo(Col(), rangeBottom + 1);
    } else if (Col() < lastCol) {
        TabMoveTo(rangeRight + 1 <= lastCol ? rangeRight + 1 : Col() + 1, FixedRows());
    } else {
        TabMoveTo(FirstNavigableCol(), FixedRows());
        TabPassToParent();
    }
}

void TPlusStringGrid::TabStepForwardInRow(int rangeRight)
{
    const int lastCol = ColCount() - VisibleFixedRightColCount() - 1;
    const int lastRow = RowCount() - fixedFooters_ - 1;
    for (int c = rangeRight + 1; c <= lastCol; ++c)
        if (IsNavigableCell(c, Row())) {
            TabMoveTo(c, Row());
            return;
        }
    if (Row() < lastRow) {
        const int col = FirstNavigableColInRow(Row() + 1);
        if (CellChangingAllowed(Col(), Row(), col < 0 ? FixedCols() : col, Row() + 1))
            TabMoveTo(col < 0 ? FixedCols() : col, Row() + 1);
    } else {
        const int col = FirstNavigableColInRow(FixedRows());
        if (col >= 0)
            TabMoveTo(col, FixedRows());
        TabPassToParent();
    }
}

void TPlusStringGrid::TabStepToNextRow()
{
    const int lastCol = ColCount() - VisibleFixedRightColCount() - 1;
    const int lastRow = RowCount() - fixedFooters_ - 1;
    const int firstCol = FirstNavigableCol();
    for (int row = Row() + 1; row <= lastRow; ++row)
        for (int c = firstCol; c <= lastCol; ++c)
            if (IsBaseOrPlainCell(c, row) && IsNavigableCell(c, row)) {
                TabMoveTo(c, row);
                return;
            }
}

void TPlusStringGrid::TabStepPastLastCell()
{
    TNavigation* nav = Navigation();
    if (nav->TabToNextAtEnd || !nav->AdvanceInsert()) {
        TabMoveTo(TBaseGrid::FixedCols(), FixedRows());
    } else {
        bool canAdd = true;
        if (OnCanAddRow)
            OnCanAddRow(this, canAdd);
        if (canAdd) {
            InsertRows(RowCount() - fixedFooters_, 1);
            TabMoveTo(TBaseGrid::FixedCols(), RowCount() - fixedFooters_ - 1);
            if (OnAutoAddRow)
                OnAutoAddRow(this, RowCount() - fixedFooters_ - 1);
        } else {
            TabMoveTo(TBaseGrid::FixedCols(), FixedRows());
        }
    }
    TabPassToParent();
}

void TPlusStringGrid::TabStep(bool backward)
{
    if (backward) {
        TabStepBackward();
        return;
    }
    const int lastCol = ColCount() - VisibleFixedRightColCount() - 1;
    const int lastRow = RowCount() - fixedFooters_ - 1;
    const TPoint base = BaseCellOf(Col(), Row());
    const TPoint span = MergeSpanOf(base.X, base.Y);
    const int rangeRight = base.X + std::max(0, span.X);
    const int rangeBottom = base.Y + std::max(0, span.Y);
    if (Navigation()->TabAdvanceDirection == adTopBottom)
        TabStepForwardDown(rangeRight, rangeBottom);
    else if (rangeRight + 1 <= lastCol)
        TabStepForwardInRow(rangeRight);
    else if (Row() < lastRow)
        TabStepToNextRow();
    else
        TabStepPastLastCell();
}

void TPlusStringGrid::TabNavigate(bool backward)
{
    if (OnKeyDown) {
        WORD key = VK_TAB;
        OnKeyDown(this, key, backward ? TShiftState{ssShift} : TShiftState{});
        if (key != VK_TAB)
            return;
    }
    if (lastTabCell_ == TPoint(Col(), Row()))
        return;
    const bool outermost = lastTabCell_.X < 0;
    if (outermost)
        navigationDepth_ = 0;
    lastTabCell_ = TPoint(Col(), Row());
    const TPoint startCell(Col(), Row());
    TabStep(backward);
    // cells that may not be edited are passed over, at most once round the grid
    const bool moved = !(TPoint(Col(), Row()) == startCell);
    if (Options().Contains(goEditing) && moved && !CanEditCellAt(Col(), Row()) &&
        ++navigationDepth_ < ColCount() * RowCount()) {
        lastTabCell_ = TPoint(-1, -1);
        TabNavigate(backward);
    }
    if (outermost || !moved) {
        if (Navigation()->AdvanceAutoEdit && Options().Contains(goEditing) && !IsClickableControlCell(Col(), Row()) &&
            CanEditCellAt(Col(), Row()))
            ShowInplaceEditor();
    }
    lastTabCell_ = TPoint(-1, -1);
    if (Navigation()->AlwaysEdit && CanFocus() && !Editing)
        SetFocus();
}

void TPlusStringGrid::SimulateCellClick(int col, int row)
{
    const TRect r = CellRect(col, row);
    programmaticMove_ = true;
    auto down = OnMouseDown;
    auto up = OnMouseUp;
    OnMouseDown = nullptr;
    OnMouseUp = nullptr;
    TBaseGrid::MouseDown(mbLeft, TShiftState{}, r.Left + 2, r.Top + 2);
    TBaseGrid::MouseUp(mbLeft, TShiftState{}, r.Left + 2, r.Top + 2);
    OnMouseDown = down;
    OnMouseUp = up;
    programmaticMove_ = false;
}

void TPlusStringGrid::AppendRowAtEnd()
{
    bool canAdd = true;
    if (OnCanAddRow)
        OnCanAddRow(this, canAdd);
    if (!canAdd)
        return;
    InsertRows(RowCount() - fixedFooters_, 1);
    if (fixedFooters_ > 0)
        SetRow(std::min(Row() + 1, RowCount() - fixedFooters_ - 1));
    if (OnAutoAddRow)
        OnAutoAddRow(this, RowCount() - fixedFooters_ - 1);
}
