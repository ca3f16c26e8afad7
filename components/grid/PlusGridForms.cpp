// TPlusStringGrid: form controls in HTML cells. CHECK, RADIO and BUTTON tags change in the
// cell's text on a click; EDIT, PASSWORD, MASK and COMBO tags are edited in one real control
// laid over the tag, whose text goes back into the tag's VALUE when the control is left.
// Whatever way the control is left (focus elsewhere, Return, Tab, a click on another tag), the
// value is written back exactly once: FormControlActive guards the commit.
#include "components/grid/HtmlRender.h"
#include "components/grid/HtmlUtils.h"
#include "components/grid/PlusGrid.h"

#include <algorithm>

namespace {

bool IsEditType(const String& type)
{
    return type == "EDIT" || type == "PASSWORD" || type == "MASK";
}

} // namespace

// ---------------------------------------------------------------- the two controls

TControlEdit* TPlusStringGrid::FormControlEdit()
{
    if (!formControlEdit_) {
        formControlEdit_ = new TControlEdit(this);
        formControlEdit_->SetVisible(false);
        formControlEdit_->SetParent(this);
    }
    return formControlEdit_;
}

TControlCombo* TPlusStringGrid::FormControlCombo()
{
    if (!formControlCombo_) {
        formControlCombo_ = new TControlCombo(this);
        formControlCombo_->SetVisible(false);
        formControlCombo_->SetParent(this);
    }
    return formControlCombo_;
}

namespace {

// Return and Tab of both controls: the value is committed first, then the focus moves.
template <typename TControl>
bool FormControlKey(TControl* control, char& key)
{
    auto* grid = dynamic_cast<TPlusStringGrid*>(control->Owner());
    if (!grid || (key != 13 && key != 9))
        return false;
    const char pressed = key;
    key = 0;
    grid->CommitCellFormControl(control);
    if (pressed == 13) {
        if (grid->CanFocus())
            grid->SetFocus();
        return true;
    }
    if (grid->Navigation()->AdvanceAuto()) {
        if (grid->CanFocus())
            grid->SetFocus();
        grid->AdvanceToNextCell(grid->Col(), grid->Row(), false, false, true, false, true);
    } else {
        grid->ActivateCellFormControl(grid->FormControlCell.X, grid->FormControlCell.Y, grid->FormControlID);
    }
    return true;
}

} // namespace

void TControlEdit::KeyPress(char& key)
{
    if (!FormControlKey(this, key))
        TMaskEdit::KeyPress(key);
}

void TControlEdit::Dispatch(TMessage& message)
{
    // Tab stays with the edit; Return is declined so that it arrives as a character
    if (message.Msg == CM_WANTSPECIALKEY && (message.WParam == VK_TAB || message.WParam == VK_RETURN)) {
        message.Result = message.WParam == VK_TAB ? 1 : 0;
        return;
    }
    TMaskEdit::Dispatch(message);
}

void TControlCombo::KeyPress(char& key)
{
    if (!FormControlKey(this, key))
        TPsgComboBox::KeyPress(key);
}

void TControlCombo::Dispatch(TMessage& message)
{
    if (message.Msg == CM_WANTSPECIALKEY && message.WParam == VK_TAB) {
        message.Result = 1;
        return;
    }
    TPsgComboBox::Dispatch(message);
}

// ---------------------------------------------------------------- showing and committing

void TPlusStringGrid::ShowCellFormControl(const String& HTML, const String& CtrlType, int ARow, int ACol,
                                          int DisplayCol, const TRect& Rect, const String& Value,
                                          const String& CtrlID)
{
    const bool edit = IsEditType(CtrlType);
    if (!edit && CtrlType != "COMBO")
        return;
    FormControlCell = TPoint(ACol, ARow);
    FormControlID = CtrlID;
    FormControlType = CtrlType;
    FormControlActive = true;
    if (edit) {
        TControlEdit* e = FormControlEdit();
        e->SetWidth(0);
        e->SetPasswordChar(CtrlType == "PASSWORD" ? '*' : '\0');
        e->SetEditMask(CtrlType == "MASK" ? GetControlProp(HTML, CtrlID) : String());
        e->OnExit = [this](TObject* sender) { CommitCellFormControl(sender); };
        e->SetText(Value);
        e->SetBorderStyle(bsNone);
        e->SetBounds(Rect.Left + 1, Rect.Top + 8, Rect.Right - Rect.Left - 4, 14);
        e->SetMaxLength(GetControlMaxLen(HTML, CtrlID));
        e->SetParent(this);
        e->SetVisible(true);
        e->BringToFront();
        if (e->CanFocus())
            e->SetFocus();
        return;
    }
    TControlCombo* c = FormControlCombo();
    c->SetWidth(0);
    c->SetFlat(false);
    c->SetBounds(Rect.Left - 1, Rect.Top + 4, Rect.Right - Rect.Left, c->Height());
    c->OnSelect = [this](TObject* sender) { FormComboSelect(sender); };
    c->SetParent(this);
    bool editable = true;
    int dropCount = 8;
    TStringList values;
    if (OnControlComboList)
        OnControlComboList(this, ARow, DisplayCol, CtrlID, CtrlType, Value, &values, editable, dropCount);
    c->Items()->Assign(values);
    c->SetStyle(editable ? csDropDown : csDropDownList);
    const int index = c->Items()->IndexOf(Value);
    if (index >= 0)
        c->SetItemIndex(index);
    c->SetText(Value);
    // the open list shows DropCount items; the platform's combo keeps its own edit height
    c->SetDropDownCount(dropCount);
    c->OnExit = [this](TObject* sender) { CommitCellFormControl(sender); };
    c->SetMaxLength(GetControlMaxLen(HTML, CtrlID));
    c->SetVisible(true);
    c->BringToFront();
    c->SetDroppedDown(true);
    if (c->CanFocus())
        c->SetFocus();
}

void TPlusStringGrid::CommitCellFormControl(TObject*)
{
    if (!FormControlActive)
        return;
    FormControlActive = false;
    String value;
    String html = GetCellText(FormControlCell.X, FormControlCell.Y);
    if (IsEditType(FormControlType)) {
        value = FormControlEdit()->Text();
        SetControlValue(html, FormControlID, value);
        SetCellText(FormControlCell.X, FormControlCell.Y, html);
        FormControlEdit()->SetVisible(false);
    } else if (FormControlType == "COMBO") {
        value = FormControlCombo()->Text();
        SetControlValue(html, FormControlID, value);
        SetCellText(FormControlCell.X, FormControlCell.Y, html);
        FormControlCombo()->SetDroppedDown(false);
        FormControlCombo()->SetVisible(false);
    }
    if (OnControlEditDone)
        OnControlEditDone(this, FormControlCell.Y, FormControlCell.X, FormControlID, FormControlType, value);
    FormControlType = "";
}

void TPlusStringGrid::FormComboSelect(TObject*)
{
    if (!OnControlComboSelect)
        return;
    TControlCombo* c = FormControlCombo();
    const int index = c->ItemIndex();
    const String value = index >= 0 && index < c->Items()->Count() ? c->Items()->Strings(index) : String();
    OnControlComboSelect(this, FormControlCell.Y, FormControlCell.X, index, FormControlID, value);
}

void TPlusStringGrid::ActivateCellFormControl(int ACol, int ARow, const String& CtrlID)
{
    const String html = GetCellText(ACol, ARow);
    const String next = NextEditControlID(html, CtrlID);
    const int displayCol = RealToDisplayColumn(ACol);
    String id = next, type, value;
    TRect rect;
    if (next.empty() || !HitCellFormControl(displayCol, ARow, -1, -1, id, type, value, rect)) {
        if (CanFocus())
            SetFocus();
        return;
    }
    ShowCellFormControl(html, type, ARow, ACol, displayCol, rect, value, id);
}

// ---------------------------------------------------------------- hit tests and clicks

TRect TPlusStringGrid::HTMLCellTextRect(int displayCol, int row)
{
    const TPoint base = BaseCellOf(displayCol, row);
    const TRect r = MergedCellRect(base.X, base.Y);
    const int w = GridLineWidth();
    const TRect inner(r.Left + w, r.Top + w, r.Right - w, r.Bottom - w);
    return TRect(inner.Left + XYOffset.X, inner.Top + XYOffset.Y, inner.Right - XYOffset.X, inner.Bottom - 1);
}

bool TPlusStringGrid::HitCellFormControl(int displayCol, int row, int x, int y, String& ctrlID, String& ctrlType,
                                         String& ctrlValue, TRect& ctrlRect)
{
    if (displayCol < 0 || row < 0 || displayCol >= ColCount() || row >= RowCount())
        return false;
    const String text = GetCellText(DisplayToRealColumn(displayCol), row);
    if (!EnableHTML || !HasControlTag(text))
        return false;
    // the cell's font and wrapping, as the painting lays the text out
    TBitmap measure;
    TCanvas* canvas = measure.Canvas();
    TGridDrawState state;
    TColor colorTo = clNone, mirrorColor = clNone, mirrorColorTo = clNone;
    TAlignment hAlign = taLeftJustify;
    TVAlignment vAlign = vtaTop;
    bool wordWrap = WordWrap;
    TCellGradientDirection direction = GradientVertical;
    canvas->Font->Assign(Font());
    GetCellColors(displayCol, row, state, false, false, true, canvas->Brush, colorTo, mirrorColor, mirrorColorTo,
                  canvas->Font, hAlign, vAlign, wordWrap, direction);
    if (FontSizeDelta != 0)
        canvas->Font->SetSize(std::max(1, canvas->Font->Size() + FontSizeDelta));
    THtmlDrawArgs args;
    args.HitX = x;
    args.HitY = y;
    args.HitTestOnly = true;
    args.LinkColor = URLColor;
    args.WrapWords = wordWrap;
    THtmlDrawResult result;
    result.ControlID = x < 0 ? ctrlID : String();
    DrawHtml(canvas, text, HTMLCellTextRect(displayCol, row), args, result);
    if (result.ControlType.empty())
        return false;
    ctrlID = result.ControlID;
    ctrlType = result.ControlType;
    ctrlValue = result.ControlValue;
    ctrlRect = result.ControlRect;
    return true;
}

bool TPlusStringGrid::CellFormControlMouseDown(int displayCol, int row, int x, int y)
{
    String id, type, value;
    TRect rect;
    if (!HitCellFormControl(displayCol, row, x, y, id, type, value, rect))
        return false;
    if (!(Options().Contains(goEditing) || EditingSwitchedByGrid) || !CanEditCellQuery(displayCol, row))
        return false;
    const int realCol = DisplayToRealColumn(displayCol);
    FormControlPressed = true;
    if (FormControlActive)
        CommitCellFormControl(this);
    String html = GetCellText(realCol, row);
    if (type == "BUTTON") {
        HTMLButtonCell = TPoint(realCol, row);
        HTMLButtonPressed = true;
        RepaintCell(displayCol, row);
    } else if (type == "CHECK") {
        value = value == "TRUE" ? "FALSE" : "TRUE";
        SetControlValue(html, id, value);
        SetCellText(realCol, row, html);
    } else if (type == "RADIO") {
        html = ClearRadioControls(html);
        value = "TRUE";
        SetControlValue(html, id, value);
        SetCellText(realCol, row, html);
    }
    if (OnControlClick)
        OnControlClick(this, row, displayCol, id, type, value);
    ShowCellFormControl(html, type, row, realCol, displayCol, rect, value, id);
    return true;
}

bool TPlusStringGrid::CellFormControlMouseUp()
{
    const bool taken = FormControlPressed;
    FormControlPressed = false;
    if (!HTMLButtonPressed)
        return taken;
    HTMLButtonPressed = false;
    const int displayCol = RealToDisplayColumn(HTMLButtonCell.X);
    if (displayCol >= 0 && HTMLButtonCell.Y >= 0)
        RepaintCell(displayCol, HTMLButtonCell.Y);
    return taken;
}
