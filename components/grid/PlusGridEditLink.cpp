// Custom cell editors: TEditLink, the link through which an application's own control edits
// cells of kind edCustom, the grid's side of driving it (open, focus, commit, the message
// procedure in front of the control), and TGridTransEdit, the borderless edit over a fixed cell.
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinWindow.h"

// ---------------------------------------------------------------- TEditLink

TEditLink::TEditLink(TComponent* owner) : TComponent(owner), EditCell(-1, -1) {}

TEditLink::~TEditLink()
{
    if (PopupForm)
        PopupForm->RemoveFreeNotification(this);
}

void TEditLink::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == PopupForm)
        PopupForm = nullptr;
}

void TEditLink::HandleEditKey(TObject* sender, WORD& key, TShiftState shift)
{
    bool ending = key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_PRIOR || key == VK_NEXT ||
                  key == VK_END || (key >= VK_LEFT && key <= VK_DOWN);
    if ((key == VK_UP || key == VK_DOWN) && WantKeyUpDown)
        ending = false;
    if ((key == VK_LEFT || key == VK_RIGHT) && WantKeyLeftRight)
        ending = false;
    if (key == VK_END && WantKeyHomeEnd)
        ending = false;
    if ((key == VK_PRIOR || key == VK_NEXT) && WantKeyPriorNext)
        ending = false;
    if (key == VK_RETURN && WantKeyReturn)
        ending = false;
    if (key == VK_ESCAPE && WantKeyEscape)
        ending = false;
    if (!ending || !Grid)
        return;
    TPlusStringGrid* grid = Grid;
    if (key == VK_ESCAPE)
        SetEditorValue(grid->SavedCellText);
    String s;
    GetEditorValue(s);
    if (ForcedExit && grid->CanFocus())
        grid->SetFocus();
    ForcedExit = false;
    grid->CommitCellEditor(grid->Col(), grid->Row());
    // the commit's verdict decides, whatever the reselection of the cell validates afterwards
    const bool passed = grid->LastValidationPassed;
    if (EditStyle == esPopup) {
        EndEdit();
        WriteValueToCell(s);
    }
    grid->Editing = false;
    grid->SelectCell(grid->Col(), grid->Row());
    if (passed) {
        if (key == VK_RETURN) {
            grid->AdvanceToNextCell(grid->Col(), grid->Row(), true, false, !shift.Contains(ssShift), true, false);
            key = 0;
        } else if (key == VK_ESCAPE) {
            key = 0;
        } else {
            const WORD pressed = key;
            if (pressed == VK_TAB || (pressed >= VK_LEFT && pressed <= VK_DOWN))
                grid->KeyDown(key, shift);
            if (TWinControl* control = GetEditControl())
                control->SetEnabled(false);
            ForcedExit = true;
            if (grid->CanFocus())
                grid->SetFocus();
            if (pressed == VK_TAB && grid->Options().Contains(goTabs) && grid->HandleAllocated())
                PostMessage(grid->Handle(), WM_KEYDOWN, VK_F2, 0);
        }
    } else {
        grid->ShowCellEditor(grid->Col(), grid->Row());
    }
    grid->LastValidationPassed = true;
}

void TEditLink::SetFocus(bool value)
{
    TWinControl* control = GetEditControl();
    if (!control)
        return;
    if (value) {
        control->SetVisible(true);
        control->SetEnabled(true);
    }
    if (EditStyle == esInplace && !Subclassed && Grid) {
        Grid->linkControl_ = control;
        Grid->linkControlProc_ = control->WindowProc;
        TPlusStringGrid* grid = Grid;
        control->WindowProc = [grid](TMessage& m) { grid->LinkControlWndProc(m); };
        Subclassed = true;
    }
    if (value) {
        if (control->CanFocus())
            control->SetFocus();
    } else if (Grid && Grid->CanFocus()) {
        Grid->SetFocus();
    }
}

void TEditLink::SetRect(TRect r)
{
    TWinControl* control = GetEditControl();
    if (!control)
        return;
    const int line = Grid ? Grid->GridLineWidth() : 1;
    control->SetBounds(r.Left, r.Top, r.Right - r.Left - line, r.Bottom - r.Top - line);
}

void TEditLink::SetVisible(bool value)
{
    if (TWinControl* control = GetEditControl())
        control->SetVisible(value);
}

void TEditLink::ReleaseEditControl()
{
    TWinControl* control = GetEditControl();
    if (!control || EditStyle != esInplace)
        return;
    if (Subclassed && Grid && Grid->linkControl_ == control) {
        control->WindowProc = Grid->linkControlProc_;
        Grid->linkControl_ = nullptr;
        Grid->linkControlProc_ = nullptr;
    }
    Subclassed = false;
    if (control->HandleAllocated())
        control->SetVisible(false);
}

void TEditLink::WriteValueToCell(const String& s)
{
    if (!Grid)
        return;
    const bool own = EditCell.X >= 0 && EditCell.X < Grid->ColCount() && EditCell.Y >= 0 && EditCell.Y < Grid->RowCount();
    const int col = own ? EditCell.X : Grid->Col();
    const int row = own ? EditCell.Y : Grid->Row();
    Grid->SetCellFromEditor(Grid->DisplayToRealColumn(col), row, s);
}

void TEditLink::CommitAndRelease()
{
    String s;
    GetEditorValue(s);
    WriteValueToCell(s);
    if (Grid)
        Grid->HideInplaceEditor();
    ReleaseEditControl();
}

void TEditLink::EndEdit()
{
    CommitAndRelease();
    if (EditStyle == esPopup && PopupForm) {
        DestroyEditor();
        PopupForm->SetVisible(false);
    }
}

void TEditLink::EditExit(TObject*)
{
    String s;
    GetEditorValue(s);
    if (ForcedExit) {
        WriteValueToCell(s);
        return;
    }
    EndEdit();
    if (Grid)
        Grid->ignoreSetFocus_ = true;
}

// ---------------------------------------------------------------- the grid's side

void TPlusStringGrid::LinkControlWndProc(TMessage& m)
{
    if (!linkControlProc_)
        return;
    linkControlProc_(m);
    if (m.Msg == WM_GETDLGCODE && Options().Contains(goTabs))
        m.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
}

void TPlusStringGrid::ShowEditLink(int col, int row, const TRect& cellRect)
{
    TEditLink* link = EditLink;
    if (!link)
        return;
    const int realCol = DisplayToRealColumn(col);
    link->Grid = this;
    link->EditCell = TPoint(col, row);
    TRect r = cellRect;
    if (link->EditStyle == esPopup) {
        if (!link->PopupForm) {
            link->PopupForm = new TForm(link);
            link->PopupForm->SetName("gridform");
            link->PopupForm->FreeNotification(link);
            link->PopupForm->OnDeactivate = [link](TObject* sender) { link->EditExit(sender); };
        }
        TForm* form = link->PopupForm;
        const int width = link->AutoPopupWidth ? cellRect.Right - cellRect.Left : link->PopupWidth;
        TPoint at = ClientToScreen(TPoint(cellRect.Left, cellRect.Top));
        if (link->PopupLeft != -1 && link->PopupTop != -1)
            at = TPoint(link->PopupLeft, link->PopupTop);
        form->SetBorderStyle(bsNone);
        form->SetFormStyle(fsStayOnTop);
        form->SetBounds(at.X, at.Y, width, link->PopupHeight);
        form->Show();
        link->CreateEditor(form);
        r = TRect(0, 0, width, link->PopupHeight);
    } else {
        link->CreateEditor(this);
    }
    link->SetRect(r);
    link->SetVisible(true);
    TColor color = Color();
    TFont font;
    font.Assign(Font());
    ResolveEditorColors(col, row, color, &font);
    link->SetCellProps(color, Font());
    link->SetProperties();
    DoGetEditorProp(realCol, row, link);
    link->SetEditorValue(GetEditText(col, row));
    link->SetFocus(true);
    Editing = true;
    if (EditStartKey != '\0') {
        if (TWinControl* control = link->GetEditControl(); control && control->HandleAllocated())
            PostMessage(control->Handle(), WM_CHAR, WPARAM(static_cast<unsigned char>(EditStartKey)), 0);
    }
}

void TPlusStringGrid::CommitEditLink(int col, int row)
{
    TEditLink* link = EditLink;
    if (!link) {
        Editing = false;
        return;
    }
    // the value belongs to the cell the link was opened on, even when the current cell moved on
    if (link->Grid == this && link->EditCell.X >= 0 && link->EditCell.X < ColCount() && link->EditCell.Y >= 0 &&
        link->EditCell.Y < RowCount()) {
        col = link->EditCell.X;
        row = link->EditCell.Y;
    }
    String value;
    link->GetEditorValue(value);
    // the edit's value goes through the validation; an unchanged text is written without events
    if (ValidateCell(value))
        SetCellFromEditor(DisplayToRealColumn(col), row, ValidatedText);
    if (link->EditStyle != esPopup)
        link->SetVisible(false);
    link->ReleaseEditControl();
    Editing = false;
}

// ---------------------------------------------------------------- the transparent edit

TGridTransEdit::TGridTransEdit(TComponent* owner) : TCustomEdit(owner)
{
    grid_ = dynamic_cast<TPlusStringGrid*>(owner);
    SetBorderStyle(bsNone);
    SetVisible(false);
}

bool TGridTransEdit::CommitEdit()
{
    if (!grid_) {
        SetVisible(false);
        return true;
    }
    String value = Text();
    bool valid = true;
    if (grid_->OnCellValidate)
        grid_->OnCellValidate(grid_, Col, Row, value, valid);
    if (valid) {
        if (grid_->OnEditingDone)
            grid_->OnEditingDone(grid_);
        grid_->SetCellText(Col, Row, value);
        SetVisible(false);
        return true;
    }
    if (CanFocus())
        SetFocus();
    return false;
}

void TGridTransEdit::KeyDown(WORD& key, TShiftState shift)
{
    TCustomEdit::KeyDown(key, shift);
    // Enter commits the edit (no new line, no beep); Esc leaves the cell as it was
    if (key == VK_RETURN) {
        key = 0;
        if (CommitEdit() && grid_ && grid_->CanFocus())
            grid_->SetFocus();
    } else if (key == VK_ESCAPE) {
        key = 0;
        SetVisible(false);
        if (grid_ && grid_->CanFocus())
            grid_->SetFocus();
    }
}

void TGridTransEdit::DoExit()
{
    TCustomEdit::DoExit();
    if (Visible())
        CommitEdit();
}

TGridTransEdit* TPlusStringGrid::TransEdit()
{
    if (!transEdit_) {
        transEdit_ = new TGridTransEdit(this);
        transEdit_->SetParent(this);
        transEdit_->SetVisible(false);
    }
    return transEdit_;
}

void TPlusStringGrid::EditFixedCell(int col, int row)
{
    TGridTransEdit* edit = TransEdit();
    if (edit->Visible() && !edit->CommitEdit())
        return;
    const int realCol = DisplayToRealColumn(col);
    bool allow = true;
    if (OnCanEditCell)
        OnCanEditCell(this, row, realCol, allow);
    if (!allow)
        return;
    TRect r = CellRect(col, row);
    r.Left += 1;
    r.Top += 1;
    r.Right -= 1;
    r.Bottom -= 1;
    edit->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    edit->SetText(Cells(realCol, row));
    edit->Col = realCol;
    edit->Row = row;
    edit->SetVisible(true);
    if (edit->CanFocus())
        edit->SetFocus();
}
