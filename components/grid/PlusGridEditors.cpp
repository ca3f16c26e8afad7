// The string grid's cell editing: which editor a cell gets, opening a special editor over the
// cell, writing each editor's value back, validation of edited values, selecting cells while
// editing, and the editor objects the grid owns.
#include "components/grid/GridEditors.h"
#include "components/grid/CellText.h"
#include "components/grid/HtmlUtils.h"
#include "components/grid/PlusGrid.h"
#include "components/grid/asgcheck.h"
#include "components/grid/PlusInplaceEdit.h"
#include "components/grid/PlusRichEdit.h"
#include "components/grid/PsgUni.h"
#include "components/grid/TextRoutines.h"

#include "platform/framework/Forms.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"

#include <map>

namespace {

std::map<int, TPlusStringGrid::TExternalEditorClass>& ExternalEditorClasses()
{
    static std::map<int, TPlusStringGrid::TExternalEditorClass> classes;
    return classes;
}

bool IsDefaultEditorType(TEditorType t)
{
    switch (t) {
    case edNormal: case edNumeric: case edPositiveNumeric: case edFloat: case edCapital: case edMixedCase:
    case edPassword: case edLowerCase: case edUpperCase: case edValidChars: case edPositiveFloat: return true;
    default: return false;
    }
}

bool IsSpinType(TEditorType t)
{
    return t == edSpinEdit || t == edFloatSpinEdit || t == edTimeSpinEdit || t == edDateSpinEdit;
}

bool IsUnicodeEditorType(TEditorType t)
{
    return t == edUniEdit || t == edUniComboEdit || t == edUniComboList || t == edUniEditBtn || t == edUniMemo;
}

bool IsExternalType(TEditorType t)
{
    return (t >= edTrackbarDropDown && t <= edPlusGridDropDown) || t == edDateTimeEdit;
}

// The integer at the start of the text: decimal, or hexadecimal after "$"; 0 when there is none.
int LeadingInteger(const String& text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool hex = false, negative = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            break;
        value = value * (hex ? 16 : 10) + d;
        if (value > 0x7FFFFFFFLL)
            return negative ? INT32_MIN : INT32_MAX;
    }
    return int(negative ? -value : value);
}

} // namespace

// ---------------------------------------------------------------- editor choice

UINT TPlusStringGrid::GridEditDoneMessage()
{
    static const UINT message = RegisterWindowMessage("GridEditDone");
    return message;
}

void TPlusStringGrid::GetEditorType(int col, int row, TEditorType& editor)
{
    if (OnGetEditorType)
        OnGetEditorType(this, col, row, editor);
}

bool TPlusStringGrid::CellHasNoEditor(int col, int row)
{
    if (!OnGetEditorType)
        return false;
    TEditorType editor = edNormal;
    OnGetEditorType(this, col, row, editor);
    return editor == edNone;
}

bool TPlusStringGrid::EditorWantsTab()
{
    return Options().Contains(goTabs) || OnCellValidate || OnCellValidateWide;
}

void TPlusStringGrid::RegisterExternalEditor(TEditorType type, TExternalEditorClass editorClass)
{
    ExternalEditorClasses()[int(type)] = std::move(editorClass);
}

TWinControl* TPlusStringGrid::ExternalEditor(TEditorType type)
{
    auto found = externalEditors_.find(int(type));
    if (found != externalEditors_.end())
        return found->second;
    auto cls = ExternalEditorClasses().find(int(type));
    if (cls == ExternalEditorClasses().end() || !cls->second.Create)
        return nullptr;
    TWinControl* editor = cls->second.Create(this);
    if (editor) {
        editor->SetVisible(false);
        editor->SetEnabled(false);
    }
    externalEditors_[int(type)] = editor;
    return editor;
}

bool TPlusStringGrid::CanEditShow()
{
    if (EditShowInhibit)
        return false;
    bool result = TBaseGrid::CanEditShow();
    if (HasState(csDesigning))
        return result;
    const TPoint base = BaseCellOf(DisplayToRealColumn(Col()), Row());
    if (result && !Editing && IsClickableControlCell(base.X, base.Y))
        return false;
    if (result && !Editing) {
        LoadingEditorText = true;
        SavedCellText = GetCurrentCellText();
        EditStartText = GetCurrentCellText();
        snapshotCell_ = TPoint(DisplayToRealColumn(Col()), Row());
        ActiveEditorType = DefaultEditor;
        GetEditorType(base.X, base.Y, ActiveEditorType);
        if (ActiveEditorType == edNone) {
            LoadingEditorText = false;
            return false;
        }
        Editing = true;
        if (focusHelper_->Enabled)
            ShowEditFrame();
        if (IsDefaultEditorType(ActiveEditorType)) {
            InplaceEditorInUse = true;
        } else {
            const TPoint b = BaseCellOf(Col(), Row());
            ShowCellEditor(b.X, b.Y);
            EditStarted = true;
            result = false;
        }
        LoadingEditorText = false;
    }
    if (result) {
        EditStarted = true;
        ValidationPending = true;
    }
    return result;
}

TInplaceEdit* TPlusStringGrid::CreateEditor() { return new TPlusInplaceEdit(this); }

TPlusInplaceEdit* TPlusStringGrid::GetInplaceEditor() { return dynamic_cast<TPlusInplaceEdit*>(InplaceEditor()); }

// ---------------------------------------------------------------- editor objects

namespace {

template <typename T>
T* MakeEditor(TPlusStringGrid* grid, T*& slot)
{
    if (!slot) {
        slot = new T(grid);
        slot->SetVisible(false);
        slot->SetEnabled(false);
        slot->SetParent(grid);
    }
    return slot;
}

} // namespace

TGridCombo* TPlusStringGrid::ComboEditor() { return MakeEditor(this, comboEditor_); }
TGridUniCombo* TPlusStringGrid::UniComboEditor() { return MakeEditor(this, uniComboEditor_); }
TGridEditBtn* TPlusStringGrid::EditBtnEditor() { return MakeEditor(this, editBtnEditor_); }
TGridUnitEditBtn* TPlusStringGrid::UnitEditBtnEditor()
{
    const bool created = !unitEditBtnEditor_;
    MakeEditor(this, unitEditBtnEditor_);
    if (created)
        unitEditBtnEditor_->OnUnitChanged = [this](TObject* sender, String unit) { UnitChanged(sender, unit); };
    return unitEditBtnEditor_;
}
TGridUniEdit* TPlusStringGrid::UniEditor() { return MakeEditor(this, uniEditor_); }
TGridUniEditBtn* TPlusStringGrid::UniEditBtnEditor() { return MakeEditor(this, uniEditBtnEditor_); }
TGridUniMemo* TPlusStringGrid::UniMemoEditor() { return MakeEditor(this, uniMemoEditor_); }
TGridCheckBox* TPlusStringGrid::CheckBoxEditor() { return MakeEditor(this, checkBoxEditor_); }
TGridButton* TPlusStringGrid::ButtonEditor() { return MakeEditor(this, buttonEditor_); }

TGridSpin* TPlusStringGrid::GetSpinEditor()
{
    const bool created = !spinEditor_;
    MakeEditor(this, spinEditor_);
    if (created)
        spinEditor_->SetBorderStyle(bsNone);
    return spinEditor_;
}

TGridDatePicker* TPlusStringGrid::GetDatePicker()
{
    if (!datePicker_) {
        datePicker_ = new TGridDatePicker(this);
        datePicker_->SetVisible(false);
        datePicker_->SetEnabled(false);
        datePicker_->OnChange = [this](TObject*) {
            if (!OnEditChange)
                return;
            const String value =
                datePicker_->Kind() == dtkTime ? TimeToStr(datePicker_->Time()) : DateToStr(datePicker_->Date());
            OnEditChange(this, Col(), Row(), value);
        };
    }
    return datePicker_;
}

// ---------------------------------------------------------------- showing a special editor

void TPlusStringGrid::ResolveEditorColors(int col, int row, TColor& color, TFont* font)
{
    ResolveCellEditorColors(*this, col, row, color, font);
}

void TPlusStringGrid::DoGetEditorProp(int col, int row, TEditLink* editLink)
{
    if (OnGetEditorProp)
        OnGetEditorProp(this, col, row, editLink);
}

// Where and how a special editor opens: the cell's rectangle (of its merged range), its size
// inside the grid lines, the cell's colour and font, and the text the editor starts from.
struct TPlusStringGrid::CellEditorPlace {
    TRect r;
    int realCol = 0;
    int row = 0;
    int w = 0;
    int h = 0;
    TColor colour = clWindow;
    mutable TFont font; // editors Assign from it through a non-const pointer
    String editText;
};

void TPlusStringGrid::ShowCellEditor(int col, int row)
{
    ValidationPending = true;
    SpecialEditorOpen = true;
    EditingDonePending = true;
    CellEditorPlace at;
    at.r = InMergedRange(DisplayToRealColumn(col), row) ? MergedCellRect(DisplayToRealColumn(col), row)
                                                         : CellRect(col, row);
    if (BiDiMode != bdLeftToRight)
        at.r.Left += 1;
    at.realCol = DisplayToRealColumn(col);
    at.row = row;
    at.w = at.r.Right - at.r.Left - 1;
    at.h = at.r.Bottom - at.r.Top - 1;
    ResolveEditorColors(col, Row(), at.colour, &at.font);
    ActiveEditor = nullptr;
    if (ActiveEditorType != edCustom)
        EditValid = true;
    at.editText = GetEditText(col, row);

    switch (ActiveEditorType) {
    case edSpinEdit:
    case edFloatSpinEdit:
    case edTimeSpinEdit:
    case edDateSpinEdit: OpenSpinEditor(at); break;
    case edComboEdit:
    case edComboList: OpenComboEditor(at); break;
    case edEditBtn:
    case edNumericEditBtn:
    case edFloatEditBtn: OpenEditBtnEditor(at); break;
    case edCheckBox: OpenCheckBoxEditor(at); break;
    case edDateEdit:
    case edDateEditUpDown:
    case edTimeEdit: OpenDateTimeEditor(at); break;
    case edCustom: ShowEditLink(col, row, at.r); break;
    case edButton: OpenButtonEditor(at); break;
    case edUnitEditBtn: OpenUnitEditBtnEditor(at); break;
    case edUniEdit:
    case edUniMemo: OpenUniEditor(at); break;
    case edUniComboEdit:
    case edUniComboList: OpenUniComboEditor(at); break;
    case edUniEditBtn: OpenUniEditBtnEditor(at); break;
    case edRichEdit: OpenRichTextEditor(at); break;
    default:
        if (IsExternalType(ActiveEditorType))
            OpenExternalEditor(at);
        break;
    }
    EditStartKey = '\0';
}

void TPlusStringGrid::PlaceCellEditor(TWinControl* editor, const CellEditorPlace& at)
{
    editor->SetBounds(at.r.Left, at.r.Top, at.w, at.h);
    editor->SetVisible(true);
    editor->SetEnabled(true);
    editor->SetColor(at.colour);
}

void TPlusStringGrid::ReplayEditStartKey(TWinControl* editor)
{
    if (EditStartKey != '\0')
        PostMessage(editor->Handle(), WM_CHAR, WPARAM(static_cast<unsigned char>(EditStartKey)), 0);
}

void TPlusStringGrid::FocusCellEditor(TWinControl* editor)
{
    if (editor->CanFocus())
        editor->SetFocus();
    ActiveEditor = editor;
    Editing = true;
}

WideString TPlusStringGrid::EditorWideText(const CellEditorPlace& at)
{
    WideString value = GetWideCellText(*this, at.realCol, at.row);
    if (OnGetEditWideText)
        OnGetEditWideText(this, at.realCol, at.row, value);
    return value;
}

void TPlusStringGrid::OpenSpinEditor(const CellEditorPlace& at)
{
    TGridSpin* spin = GetSpinEditor();
    spin->Recreate();
    PlaceCellEditor(spin, at);
    spin->ExcelStyleDecimalSeparator = ExcelStyleDecimalSeparator;
    DoGetEditorProp(at.realCol, at.row, EditLink);
    LoadingEditorText = true;
    if (ActiveEditorType == edSpinEdit) {
        spin->SetSpinType(sptNormal);
        spin->SetValue(LeadingInteger(at.editText));
    } else if (ActiveEditorType == edFloatSpinEdit) {
        spin->SetSpinType(sptFloat);
        double v = 0;
        if (!TryStrToFloat(ExtractNumberText(at.editText), v))
            v = 0;
        spin->SetFloatValue(v);
    } else if (ActiveEditorType == edTimeSpinEdit) {
        spin->SetSpinType(sptTime);
        spin->SetText(at.editText);
    } else {
        spin->SetSpinType(sptDate);
        TDateTime d = 0;
        if (at.editText.empty() || !TryStrToDate(at.editText, d))
            d = Now();
        spin->SetDateValue(d);
    }
    LoadingEditorText = false;
    FocusCellEditor(spin);
    ReplayEditStartKey(spin);
    if (SpinUpPending)
        spin->StepUp(false);
    if (SpinDownPending)
        spin->StepDown(false);
    SpinUpPending = SpinDownPending = false;
}

void TPlusStringGrid::OpenComboEditor(const CellEditorPlace& at)
{
    const TRect& r = at.r;
    TGridCombo* combo = ComboEditor();
    Editing = true;
    DoGetEditorProp(at.realCol, at.row, EditLink);
    combo->SetBounds(r.Left, r.Top, 0, 0);
    combo->SetEnabled(true);
    combo->SetDroppedDown(false);
    combo->SetStyle(ActiveEditorType == edComboEdit ? csDropDown : csDropDownList);
    bool preselected = false;
    LoadingEditorText = true;
    if (ActiveEditorType == edComboEdit) {
        combo->Perform(CB_SETITEMHEIGHT, WPARAM(-1), LPARAM(at.h - 6));
        combo->SetBounds(r.Left, r.Top, at.w, at.h);
        combo->SetText(at.editText);
        if (EditorItemIndex != -1 && combo->ItemIndex() == -1)
            combo->SetItemIndex(EditorItemIndex);
        combo->SetColor(at.colour);
        combo->SetMaxLength(MaxComboLength);
    } else {
        combo->SetItemIndex(combo->Items()->IndexOf(GetCellText(at.realCol, at.row)));
        if (combo->ItemIndex() == -1) {
            if (EditorItemIndex == -1) {
                if (combo->Items()->Count() > 0) {
                    combo->SetItemIndex(0);
                    preselected = true;
                }
            } else {
                combo->SetItemIndex(EditorItemIndex);
            }
        }
        combo->SetBounds(r.Left, r.Top, at.w, at.h);
        combo->SetColor(at.colour);
    }
    LoadingEditorText = false;
    combo->SetVisible(true);
    const bool lookFlat = !(Look() == glStandard || Look() == glClassic);
    combo->SetFlat(lookFlat);
    combo->SetEtched(lookFlat);
    if (Navigation()->AutoComboDropSize)
        combo->AutoDropWidth();
    else if (combo->DropWidth() > 0)
        combo->Perform(CB_SETDROPPEDWIDTH, WPARAM(combo->DropWidth()), 0);
    if (combo->CanFocus())
        combo->SetFocus();
    combo->SetDroppedDown(MouseActions()->DirectComboDrop);
    if (preselected) {
        if (OnComboChange)
            OnComboChange(this, at.realCol, at.row, 0, combo->Items()->Strings(0));
        if (OnComboObjectChange)
            OnComboObjectChange(this, at.realCol, at.row, 0, combo->Items()->Strings(0),
                                combo->Items()->Objects(0));
    }
    ReplayEditStartKey(combo);
    ActiveEditor = combo;
}

void TPlusStringGrid::OpenEditBtnEditor(const CellEditorPlace& at)
{
    TGridEditBtn* edit = EditBtnEditor();
    edit->Recreate();
    LoadingEditorText = true;
    edit->SetText(at.editText);
    LoadingEditorText = false;
    edit->SetMaxLength(GetEditLimit());
    PlaceCellEditor(edit, at);
    FocusCellEditor(edit);
    ReplayEditStartKey(edit);
}

void TPlusStringGrid::OpenCheckBoxEditor(const CellEditorPlace& at)
{
    TGridCheckBox* box = CheckBoxEditor();
    box->Recreate();
    box->SetBounds(at.r.Left, at.r.Top, at.w, at.h);
    box->SetCaption(at.editText);
    box->SetEnabled(true);
    box->SetChecked(false);
    box->SetColor(at.colour); // the box covers the cell's own drawing of the text
    box->SetVisible(true);
    if (box->CanFocus())
        box->SetFocus();
    Editing = true;
}

void TPlusStringGrid::OpenDateTimeEditor(const CellEditorPlace& at)
{
    TGridDatePicker* picker = GetDatePicker();
    picker->SetParent(this);
    picker->Recreate();
    TDateTime d = Now();
    if (ActiveEditorType == edTimeEdit) {
        TDateTime t = 0;
        if (!at.editText.empty() && TryStrToTime(at.editText, t))
            d = t;
        picker->SetKind(dtkTime);
        picker->SetTime(d);
        PlaceCellEditor(picker, at);
        DoGetEditorProp(at.realCol, at.row, EditLink);
        FocusCellEditor(picker);
        return;
    }
    if (!at.editText.empty()) {
        if (OnCustomStrToDate) {
            OnCustomStrToDate(this, at.editText, d);
        } else if (TryStrToDateTime(at.editText, d) || TryStrToDate(at.editText, d)) {
            if (picker->MaxDate() != 0 && d > picker->MaxDate())
                d = picker->MaxDate() - 1;
            if (picker->MinDate() != 0 && d <= picker->MinDate())
                d = picker->MinDate() + 1;
        } else {
            d = Now();
        }
    }
    picker->SetKind(dtkDate);
    picker->SetDateMode(ActiveEditorType == edDateEditUpDown ? dmUpDown : dmComboBox);
    picker->SetDateTime(d);
    DoGetEditorProp(at.realCol, at.row, EditLink);
    picker->SetBounds(at.r.Left, at.r.Top, at.w, at.h);
    picker->SetEnabled(true);
    picker->SetVisible(true);
    picker->SetColor(at.colour);
    FocusCellEditor(picker);
    ReplayEditStartKey(picker);
}

void TPlusStringGrid::OpenButtonEditor(const CellEditorPlace& at)
{
    TGridButton* button = ButtonEditor();
    button->Recreate();
    button->SetBounds(at.r.Left - 1, at.r.Top - 1, at.w + 2, at.h + 2);
    button->SetCaption(at.editText);
    button->SetVisible(true);
    button->SetEnabled(true);
    FocusCellEditor(button);
}

void TPlusStringGrid::OpenUnitEditBtnEditor(const CellEditorPlace& at)
{
    TGridUnitEditBtn* edit = UnitEditBtnEditor();
    edit->Recreate();
    edit->SetBounds(at.r.Left, at.r.Top, at.w, edit->Height());
    edit->SetMaxLength(GetEditLimit());
    LoadingEditorText = true;
    edit->SetUnitID(String());
    edit->SetText(String());
    edit->SetValueWithUnit(at.editText);
    LoadingEditorText = false;
    DoGetEditorProp(at.realCol, at.row, EditLink);
    edit->SetVisible(true);
    edit->SetEnabled(true);
    edit->SetColor(at.colour);
    FocusCellEditor(edit);
    edit->SetBounds(at.r.Left, at.r.Top, at.w, at.h);
    ReplayEditStartKey(edit);
}

void TPlusStringGrid::OpenUniEditor(const CellEditorPlace& at)
{
    TCustomUNIEdit* edit = ActiveEditorType == edUniEdit ? static_cast<TCustomUNIEdit*>(UniEditor())
                                                         : static_cast<TCustomUNIEdit*>(UniMemoEditor());
    if (ActiveEditorType == edUniEdit)
        UniEditor()->Recreate();
    else
        UniMemoEditor()->Recreate();
    edit->SetBounds(at.r.Left + XYOffset.X + 1, at.r.Top + XYOffset.Y + 1, std::max(1, at.w - 2 * XYOffset.X - 2),
                    std::max(1, at.h - 2 * XYOffset.Y - 2));
    edit->SetVisible(true);
    edit->SetEnabled(true);
    edit->SetColor(at.colour);
    edit->Font()->Assign(&at.font);
    edit->SetWideText(EditorWideText(at));
    FocusCellEditor(edit);
    if (ActiveEditorType == edUniMemo && !edit->WideText().empty())
        edit->SelectAll();
    ReplayEditStartKey(edit);
}

void TPlusStringGrid::OpenUniComboEditor(const CellEditorPlace& at)
{
    TGridUniCombo* combo = UniComboEditor();
    Editing = true;
    combo->SetBounds(at.r.Left, at.r.Top, 0, 0);
    combo->SetDroppedDown(false);
    combo->SetEnabled(true);
    combo->SetStyle(ActiveEditorType == edUniComboEdit ? csDropDown : csDropDownList);
    const WideString t = EditorWideText(at);
    if (ActiveEditorType == edUniComboList)
        combo->SetItemIndex(combo->WideItems()->IndexOf(t));
    if (combo->ItemIndex() == -1 && combo->WideItems()->Count() > 0)
        combo->SetItemIndex(EditorItemIndex == -1 ? 0 : EditorItemIndex);
    combo->SetBounds(at.r.Left, at.r.Top, at.w, at.h);
    combo->SetWideText(t);
    combo->SetColor(at.colour);
    combo->SetVisible(true);
    combo->Font()->Assign(&at.font);
    const bool lookFlat = !(Look() == glStandard || Look() == glClassic);
    combo->SetFlat(lookFlat);
    combo->SetEtched(lookFlat);
    if (Navigation()->AutoComboDropSize)
        combo->AutoDropWidth();
    if (combo->CanFocus())
        combo->SetFocus();
    combo->SetDroppedDown(MouseActions()->DirectComboDrop);
    if (combo->DropWidth() > 0)
        combo->Perform(CB_SETDROPPEDWIDTH, WPARAM(combo->DropWidth()), 0);
    ActiveEditor = combo;
}

void TPlusStringGrid::OpenUniEditBtnEditor(const CellEditorPlace& at)
{
    TGridUniEditBtn* edit = UniEditBtnEditor();
    edit->Recreate();
    PlaceCellEditor(edit, at);
    edit->Font()->Assign(&at.font);
    edit->SetWideText(EditorWideText(at));
    FocusCellEditor(edit);
    ReplayEditStartKey(edit);
}

void TPlusStringGrid::OpenRichTextEditor(const CellEditorPlace& at)
{
    const TRect& r = at.r;
    TPlusRichEdit* edit = GetRichEditEditor();
    edit->RecreateWindow();
    edit->SetParent(this);
    edit->SetBorderStyle(bsNone);
    edit->SetHideSelection(false);
    edit->SetBounds(r.Left, r.Top, at.w, at.h);
    DoGetEditorProp(at.realCol, at.row, EditLink);
    edit->LockUpdates();
    LoadingEditorText = true;
    LoadRichEditFromCell(at.realCol, at.row, edit);
    LoadingEditorText = false;
    if (Navigation()->EditSelectAll)
        edit->SelectAll();
    edit->SetVisible(true);
    edit->SetEnabled(true);
    RECT formatRect{2, 2, r.Right - r.Left - 2, r.Bottom - r.Top - 2};
    edit->Perform(EM_SETRECT, 0, LPARAM(&formatRect));
    edit->SetColor(at.colour);
    FocusCellEditor(edit);
    ReplayEditStartKey(edit);
    edit->UnlockUpdates();
}

void TPlusStringGrid::OpenExternalEditor(const CellEditorPlace& at)
{
    TWinControl* editor = ExternalEditor(ActiveEditorType);
    if (!editor)
        return;
    Editing = true;
    DoGetEditorProp(at.realCol, at.row, EditLink);
    const auto& cls = ExternalEditorClasses()[int(ActiveEditorType)];
    LoadingEditorText = true;
    if (cls.Load)
        cls.Load(editor, this, at.realCol, at.row, TRect(at.r.Left, at.r.Top, at.r.Left + at.w, at.r.Top + at.h),
                 at.colour);
    LoadingEditorText = false;
    FocusCellEditor(editor);
    ReplayEditStartKey(editor);
}

// ---------------------------------------------------------------- writing the value back

void TPlusStringGrid::SetCellFromEditor(int col, int row, const String& value)
{
    TStringGrid::SetEditText(col, row, value);
    SetCellText(col, row, value);
}

void TPlusStringGrid::CommitCellEditor(int col, int row)
{
    SpecialEditorOpen = false;
    Committing = true;
    const int realCol = DisplayToRealColumn(col);
    EditStartKey = '\0';
    auto text = [&](auto editor, String value) {
        SetCellFromEditor(realCol, row, value);
        return static_cast<TWinControl*>(editor);
    };
    auto wide = [&](auto editor) {
        WriteWideEditorValue(realCol, row, editor->WideText());
        return static_cast<TWinControl*>(editor);
    };
    switch (ActiveEditorType) {
    case edSpinEdit:
    case edFloatSpinEdit:
    case edTimeSpinEdit:
    case edDateSpinEdit: CommitSpinEditor(realCol, row); break;
    case edComboEdit:
    case edComboList: EndOpenCellEditor([&] { return text(ComboEditor(), ComboEditor()->Text()); }); break;
    case edEditBtn:
    case edNumericEditBtn:
    case edFloatEditBtn: EndOpenCellEditor([&] { return text(EditBtnEditor(), EditBtnEditor()->Text()); }); break;
    case edCheckBox:
        HideCellEditor(CheckBoxEditor());
        Editing = false;
        break;
    case edDateEdit:
    case edDateEditUpDown: CommitDatePicker(realCol, row); break;
    case edTimeEdit: CommitTimePicker(realCol, row); break;
    case edCustom: CommitEditLink(col, row); break;
    case edButton: EndOpenCellEditor([&] { return static_cast<TWinControl*>(ButtonEditor()); }); break;
    case edUnitEditBtn:
        EndOpenCellEditor([&] { return text(UnitEditBtnEditor(), UnitEditBtnEditor()->GetValueWithUnit()); });
        break;
    case edUniEdit: EndOpenCellEditor([&] { return wide(UniEditor()); }); break;
    case edUniMemo: EndOpenCellEditor([&] { return wide(UniMemoEditor()); }); break;
    case edUniEditBtn: EndOpenCellEditor([&] { return wide(UniEditBtnEditor()); }); break;
    case edUniComboEdit:
    case edUniComboList: EndOpenCellEditor([&] { return wide(UniComboEditor()); }); break;
    case edRichEdit: EndOpenCellEditor([&] { return CommitRichTextEditor(realCol, row); }); break;
    default:
        if (IsExternalType(ActiveEditorType))
            EndOpenCellEditor([&] { return CommitExternalEditor(realCol, row); });
        break;
    }
    if (ActiveEditorType != edNormal && EditingDonePending)
        DoEditingDone(realCol, row);
    Committing = false;
    EditingDonePending = false;
}

void TPlusStringGrid::HideCellEditor(TWinControl* editor)
{
    editor->SetVisible(false);
    editor->SetEnabled(false);
}

void TPlusStringGrid::EndOpenCellEditor(const std::function<TWinControl*()>& writeBack)
{
    if (!Editing)
        return;
    Editing = false;
    if (TWinControl* editor = writeBack())
        HideCellEditor(editor);
}

void TPlusStringGrid::WriteWideEditorValue(int realCol, int row, const WideString& value)
{
    if (OnSetEditWideText)
        OnSetEditWideText(this, realCol, row, value);
    SetEditedWideCellText(*this, realCol, row, value);
}

void TPlusStringGrid::CommitSpinEditor(int realCol, int row)
{
    Editing = false;
    TGridSpin* spin = GetSpinEditor();
    if (spin->AllowEmptyValue && Trim(spin->Text()).empty())
        SetCellText(realCol, row, String());
    else if (ActiveEditorType == edSpinEdit)
        SetCellInteger(realCol, row, spin->Value());
    else if (ActiveEditorType == edFloatSpinEdit)
        SetCellFloat(realCol, row, spin->FloatValue());
    else if (ActiveEditorType == edTimeSpinEdit)
        SetCellFromEditor(realCol, row, spin->Text());
    else
        SetCellDate(realCol, row, spin->DateValue());
    HideCellEditor(spin);
}

void TPlusStringGrid::CommitDatePicker(int realCol, int row)
{
    TGridDatePicker* picker = GetDatePicker();
    SetCellFromEditor(realCol, row, picker->Checked ? picker->Text() : String());
    Editing = false;
    HideCellEditor(picker);
}

void TPlusStringGrid::CommitTimePicker(int realCol, int row)
{
    TGridDatePicker* picker = GetDatePicker();
    TFormatSettings& settings = FormatSettings();
    const String saved = settings.LongTimeFormat;
    if (!picker->Format().empty())
        settings.LongTimeFormat = picker->Format();
    try {
        SetCellFromEditor(realCol, row, picker->Text());
    } catch (...) {
        settings.LongTimeFormat = saved;
        throw;
    }
    settings.LongTimeFormat = saved;
    HideCellEditor(picker);
    Editing = false;
}

TWinControl* TPlusStringGrid::CommitRichTextEditor(int realCol, int row)
{
    TPlusRichEdit* edit = GetRichEditEditor();
    // an editor closed without a change leaves the cell's text as it was
    if (edit->Perform(EM_GETMODIFY, 0, 0)) {
        String text;
        RichEditToCellText(edit, text);
        SetCellFromEditor(realCol, row, text);
    }
    return edit;
}

TWinControl* TPlusStringGrid::CommitExternalEditor(int realCol, int row)
{
    TWinControl* editor = ExternalEditor(ActiveEditorType);
    if (!editor)
        return nullptr;
    const auto& cls = ExternalEditorClasses()[int(ActiveEditorType)];
    if (cls.Commit)
        cls.Commit(editor, this, realCol, row);
    else if (cls.Value)
        SetCellFromEditor(realCol, row, cls.Value(editor));
    return editor;
}

void TPlusStringGrid::RestoreSavedCellText()
{
    SetCellText(DisplayToRealColumn(Col()), Row(), SavedCellText);
    SetCellText(Col(), Row(), GetCellText(Col(), Row()));
}

// ---------------------------------------------------------------- showing, hiding, done

void TPlusStringGrid::ShowInplaceEditor()
{
    const int realCol = DisplayToRealColumn(Col());
    if (IsClickableControlCell(realCol, Row()))
        return;
    if (Row() < TopRow())
        SetTopRow(Row());
    if (Col() < LeftCol())
        SetLeftCol(Col());
    SavedCellText = GetCurrentCellText();
    ShowEditor();
}

void TPlusStringGrid::HideInplaceEditor()
{
    HideEditFrame();
    if (!Editing)
        return;
    HideEditor();
    if (SpecialEditorOpen || !IsDefaultEditorType(ActiveEditorType))
        CommitCellEditor(Col(), Row());
    Editing = false;
    SelectCell(Col(), Row());
}

void TPlusStringGrid::DoEditingDone(int col, int row)
{
    if (OnEditingDone)
        OnEditingDone(this);
    Editing = false;
    if (HandleAllocated())
        PostMessage(Handle(), GridEditDoneMessage(), WPARAM(col), LPARAM(row));
}

void TPlusStringGrid::Dispatch(TMessage& message)
{
    if (message.Msg == GridEditDoneMessage() && message.Msg != 0) {
        if (OnEditCellDone)
            OnEditCellDone(this, int(message.WParam), int(message.LParam));
        if (MouseActions()->EditOnDblClickOnly()) {
            HideInplaceEditor();
            Editing = false;
            TGridOptions options = Options();
            options >> goEditing;
            SetOptions(options);
        }
        return;
    }
    if (message.Msg == WM_CHAR && !Editing && Options().Contains(goEditing)) {
        const unsigned char c = static_cast<unsigned char>(message.CharCode());
        if (c >= 32)
            EditStartKey = char(c);
    }
    DispatchScrollMessages(message);
    if (message.Msg == WM_CHAR && !SpecialEditorOpen)
        EditStartKey = '\0';
}

// ---------------------------------------------------------------- navigation after an edit

void TPlusStringGrid::EndEditAndMove(WORD key, TShiftState shift)
{
    ValidationPending = false;
    HideInplaceEditor();
    if (key == VK_TAB || (key >= VK_LEFT && key <= VK_DOWN)) {
        WORD k = key;
        TBaseGrid::KeyDown(k, shift);
    }
    const bool alwaysEdit = Navigation()->AlwaysEdit;
    Navigation()->AlwaysEdit = false;
    if (CanFocus())
        SetFocus();
    if (key == VK_RETURN)
        AdvanceToNextCell(Col(), Row(), false, true);
    Navigation()->AlwaysEdit = alwaysEdit;
}

void TPlusStringGrid::TabToNextCell(bool backwards)
{
    int c = Col(), r = Row();
    if (backwards) {
        if (--c < FixedCols()) {
            c = ColCount() - 1;
            if (--r < FixedRows())
                r = RowCount() - 1;
        }
    } else if (++c >= ColCount()) {
        c = FixedCols();
        if (++r >= RowCount())
            r = FixedRows();
    }
    FocusCell(c, r, true);
}

void TPlusStringGrid::AdvanceToNextCell(int col, int row, bool doEdit, bool forward)
{
    // the grid's advance: merged ranges stepped over, cells that may not be edited passed by
    AdvanceToNextCell(col, row, doEdit, false, forward, true, true);
}

// ---------------------------------------------------------------- current cell text

String TPlusStringGrid::GetCurrentCellText()
{
    const TPoint base = BaseCellOf(DisplayToRealColumn(Col()), Row());
    return GetRawCell(base.X, base.Y);
}

void TPlusStringGrid::SetCurrentCellText(const String& text)
{
    const TPoint base = BaseCellOf(DisplayToRealColumn(Col()), Row());
    SetCellText(base.X, base.Y, text);
}

void TPlusStringGrid::SetCurrentCellEditText(const String& text)
{
    const TPoint base = BaseCellOf(Col(), Row());
    SetEditText(base.X, base.Y, text);
}

String TPlusStringGrid::DoEllipsClick(const String& s)
{
    String result = s;
    if (OnEllipsClick)
        OnEllipsClick(this, DisplayToRealColumn(Col()), Row(), result);
    return result;
}

String TPlusStringGrid::GetEditText(int col, int row)
{
    LoadingEditorText = true;
    const int realCol = DisplayToRealColumn(col);
    if (TPlusInplaceEdit* editor = GetInplaceEditor()) {
        TAlignment h = taLeftJustify;
        TVAlignment v = vtaTop;
        GetCellAlignment(realCol, row, h, v);
        editor->SetVAlign(h == taRightJustify);
    }
    const TPoint base = BaseCellOf(realCol, row);
    String text = TStringGrid::GetEditText(base.X, base.Y);
    if (!EditWithTags)
        text = HtmlToPlainText(text);
    return text;
}

void TPlusStringGrid::SetEditText(int col, int row, const String& value)
{
    const TPoint base = BaseCellOf(DisplayToRealColumn(col), row);
    TStringGrid::SetEditText(base.X, base.Y, value);
    CellTextChanged(base.X, base.Y);
}

// ---------------------------------------------------------------- the cell checker and the edit frame

void TPlusStringGrid::SetCellChecker(TPlusStringGridCheck* checker)
{
    if (cellChecker_ == checker)
        return;
    if (cellChecker_)
        RemoveFreeNotification(cellChecker_);
    cellChecker_ = checker;
    if (cellChecker_)
        FreeNotification(cellChecker_);
}

void TPlusStringGrid::ShowEditFrame()
{
    if (!editFrameWindow_ || !HandleAllocated())
        return;
    const TPoint base = BaseCellOf(Col(), Row());
    const TPoint span = MergeSpanOf(Col(), Row());
    const TRect first = CellRect(base.X, base.Y);
    const TRect last = CellRect(base.X + std::max(0, span.X), base.Y + std::max(0, span.Y));
    const TRect r(first.Left, first.Top, std::max(first.Right, last.Right), std::max(first.Bottom, last.Bottom));
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    // a blurred, light blue rounded frame 4 pixels outside the cell, 5 at its right and bottom
    const int w = r.Width() + 9, h = r.Height() + 9;
    editFrameWindow_->HandleNeeded();
    const HWND window = editFrameWindow_->Handle();
    ShowWindow(window, SW_HIDE);
    TBitmap mask, picture;
    DrawRoundRectMask(&mask, w, h, 4, 5, 3);
    picture.PixelFormat = pf24bit;
    picture.SetSize(w, h);
    FillRectColor(picture.Canvas(), TRect(0, 0, w, h), TColor(0xFDD397));
    TGridAlphaMask alpha;
    alpha.BuildFromMask(&mask, &picture, TColor(0xFFFF));
    alpha.MaskOpacity = 230;
    POINT at{r.Left - 4, r.Top - 4};
    ::ClientToScreen(Handle(), &at);
    POINT from{0, 0};
    SIZE size{w, h};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha.MaskOpacity, AC_SRC_ALPHA};
    UpdateLayeredWindow(window, nullptr, &at, &size, alpha.Canvas()->Handle(), &from, 0, &blend, ULW_ALPHA);
    // only the ring belongs to the window: the cell itself stays clickable
    HRGN ring = CreateRectRgn(0, 0, w, h);
    HRGN inner = CreateRectRgn(4, 4, 4 + r.Width(), 4 + r.Height());
    CombineRgn(ring, ring, inner, RGN_DIFF);
    DeleteObject(inner);
    SetWindowRgn(window, ring, TRUE);
    SetWindowPos(window, HWND_TOPMOST, at.x, at.y, w, h, SWP_NOACTIVATE);
    ShowWindow(window, SW_SHOWNOACTIVATE);
}

void TPlusStringGrid::MoveEditFrame()
{
    if (!editFrameWindow_ || !editFrameWindow_->HandleAllocated() || !IsWindowVisible(editFrameWindow_->Handle()))
        return;
    ShowEditFrame();
}

void TPlusStringGrid::HideEditFrame()
{
    if (editFrameWindow_ && editFrameWindow_->HandleAllocated())
        ShowWindow(editFrameWindow_->Handle(), SW_HIDE);
}

// ---------------------------------------------------------------- validation

bool TPlusStringGrid::ValidateCell(const String& value) { return ValidateNarrow(value); }

bool TPlusStringGrid::ValidateNarrow(const String& value)
{
    if (!ValidationPending || validating_) {
        ValidatedText = value;
        return true;
    }
    ValidationPending = false;
    validating_ = true;
    const TPoint cell = snapshotCell_.X >= 0 ? snapshotCell_ : TPoint(DisplayToRealColumn(Col()), Row());
    bool valid = true;
    String s = value;
    try {
        if (value != EditStartText) {
            const bool advance = Navigation()->AdvanceOnEnter;
            Navigation()->AdvanceOnEnter = false;
            if (cellChecker_ && cellChecker_->AutoCorrect)
                s = cellChecker_->Correct(cell.X, cell.Y, s);
            if (OnCellValidate)
                OnCellValidate(this, cell.X, cell.Y, s, valid);
            if (cellChecker_ && cellChecker_->AutoMarkError)
                s = cellChecker_->MarkError(cell.X, cell.Y, s);
            Navigation()->AdvanceOnEnter = advance;
            if (valid) {
                SetCellText(cell.X, cell.Y, s);
                CellsChanged(TRect(cell.X, cell.Y, cell.X, cell.Y));
            } else {
                // a refused value never stays in the cell: it gets its text from before the edit
                LastValidationPassed = false;
                SetCellText(cell.X, cell.Y, EditStartText);
                if (s == value)
                    s = EditStartText;
                ValidationPending = true;
                const int displayCol = RealToDisplayColumn(cell.X);
                if (displayCol >= 0 && (Col() != displayCol || Row() != cell.Y))
                    MoveColRow(displayCol, cell.Y, true, true);
                if (!InvalidEntryTitle.empty() || !InvalidEntryText.empty()) {
                    TWinControl* target = SpecialEditorOpen && ActiveEditor ? ActiveEditor : InplaceEditor();
                    if (target) {
                        EDITBALLOONTIP tip;
                        tip.pszTitle = InvalidEntryTitle.c_str();
                        tip.pszText = InvalidEntryText.c_str();
                        tip.ttiIcon = int(InvalidEntryIcon);
                        target->Perform(EM_SHOWBALLOONTIP, 0, LPARAM(&tip));
                    }
                }
            }
        }
    } catch (...) {
        validating_ = false;
        throw;
    }
    if (valid) {
        LastValidationPassed = true;
        EditStartText = GetRawCell(cell.X, cell.Y);
        HideEditFrame();
    }
    ValidatedText = s;
    validating_ = false;
    return valid;
}

bool TPlusStringGrid::ValidateWideCell(const WideString& value)
{
    if (!ValidationPending || validating_)
        return true;
    ValidationPending = false;
    validating_ = true;
    const TPoint cell = snapshotCell_.X >= 0 ? snapshotCell_ : TPoint(DisplayToRealColumn(Col()), Row());
    bool valid = true;
    WideString s = value;
    const WideString before = DecodeWideCellText(EditStartText);
    try {
        if (value != before) {
            if (OnCellValidateWide)
                OnCellValidateWide(this, cell.X, cell.Y, s, valid);
            if (valid) {
                SetEditedWideCellText(*this, cell.X, cell.Y, s);
                EditStartText = GetRawCell(cell.X, cell.Y);
            } else {
                SetCellText(cell.X, cell.Y, EditStartText);
                ValidationPending = true;
            }
        }
    } catch (...) {
        validating_ = false;
        throw;
    }
    WideEditText = valid ? s : (s == value ? before : s);
    validating_ = false;
    return valid;
}

// ---------------------------------------------------------------- selecting cells while editing

void TPlusStringGrid::DoCellChanging(int col, int row, bool& allow)
{
    if (row != Row() && OnRowChanging)
        OnRowChanging(this, Row(), row, allow);
    if (col != Col() && OnColChanging)
        OnColChanging(this, Col(), col, allow);
    if (!(col == Col() && row == Row()) && OnCellChanging)
        OnCellChanging(this, Row(), Col(), row, col, allow);
}

void TPlusStringGrid::RepaintActiveCellHeaders(int oldCol, int oldRow, int newCol, int newRow)
{
    if (FixedRows() > 0) {
        RepaintCell(oldCol, FixedRows() - 1);
        RepaintCell(newCol, FixedRows() - 1);
    }
    if (FixedCols() > 0) {
        RepaintCell(FixedCols() - 1, oldRow);
        RepaintCell(FixedCols() - 1, newRow);
    }
}

bool TPlusStringGrid::SelectCell(int col, int row)
{
    if (InternalMove)
        return true;
    if (!Parent())
        return true;
    bool allow = true;
    bool result = false;
    if (col < 0 || row < 0)
        return false;
    const int realTarget = DisplayToRealColumn(col);
    if (IsCoveredCell(realTarget, row) && !Options().Contains(goRangeSelect)) {
        const TPoint base = BaseCellOf(realTarget, row);
        const int baseCol = RealToDisplayColumn(base.X);
        if (baseCol >= 0 && !(baseCol == Col() && base.Y == Row())) {
            MoveColRow(baseCol, base.Y, true, true);
            RepaintCell(baseCol, base.Y);
            if (MouseActions()->DirectEdit)
                ShowEditor();
        }
        return false;
    }
    if (col == 0 && NodeCount > 0 && !Options().Contains(goRowSelect))
        return false;
    if (Navigation()->SkipDisabledRows && RowDisablingUsed && !GetRowEnabled(row))
        return false;
    const TPoint old(Col(), Row());
    const TRect selRect(Selection().Left, Selection().Top, Selection().Right, Selection().Bottom);
    String t = GetCellText(realTarget, row);
    TInplaceEdit* editor = InplaceEditor();
    const bool editorFocused = editor && editor->Visible() && editor->Focused();

    // editing follows the target cell: on for cells that may be edited, off for the others
    if (IsClickableControlCell(realTarget, row)) {
        bool canEdit = CanEditCell(realTarget, row);
        if (!AlwaysEditing)
            AlwaysEditing = !canEdit && (Options().Contains(goEditing) || MouseActions()->RangeSelectAndEdit);
        if (!Options().Contains(goEditing) && !Options().Contains(goRowSelect) && canEdit) {
            EditingSwitchedByGrid = true;
            TGridOptions o = Options();
            o << goEditing;
            SetOptions(o);
        }
    } else {
        bool canEdit = Options().Contains(goEditing) || AlwaysEditing;
        if (canEdit)
            canEdit = CanEditCell(realTarget, row);
        if (canEdit && MouseActions()->DirectEdit) {
            ActiveEditorType = DefaultEditor;
            if (CellHasNoEditor(realTarget, row))
                canEdit = false;
        }
        if (MouseActions()->EditOnDblClickOnly())
            canEdit = false;
        if (canEdit) {
            AlwaysEditing = false;
            if (!Options().Contains(goEditing)) {
                EditingSwitchedByGrid = true;
                TGridOptions o = Options();
                if (o.Contains(goRowSelect) && MouseActions()->RangeSelectAndEdit)
                    o >> goRowSelect;
                o << goEditing;
                SetOptions(o);
            }
        } else if (Options().Contains(goEditing) && !(ValidationPending && Editing)) {
            AlwaysEditing = true;
            EditingSwitchedByGrid = true;
            TGridOptions o = Options();
            o >> goEditing;
            SetOptions(o);
        }
    }

    if (!ValidationPending || editorFocused) {
        DoCellChanging(col, row, allow);
        if (IsFixedCell(realTarget, row) || !allow)
            return false;
        result = TBaseGrid::SelectCell(col, row);
        // the default editor that moves along chooses its editor again for the new cell
        if (result && editorFocused && Editing && !SpecialEditorOpen && !(col == old.X && row == old.Y))
            Editing = false;
    } else {
        const String keep = SavedCellText;
        const int editCol = snapshotCell_.X >= 0 ? snapshotCell_.X : DisplayToRealColumn(Col());
        if (CellHoldsWideText(*this, editCol, Row()) || IsUnicodeEditorType(ActiveEditorType))
            result = ValidateWideCell(WideEditText);
        else
            result = ValidateCell(GetCurrentCellText());
        DoCellChanging(col, row, allow);
        if (!allow)
            result = false;
        if (result) {
            result = TBaseGrid::SelectCell(col, row);
        } else {
            t = keep;
            // the refused value's editor opens again on the cell that keeps the focus
            if (!Editing)
                PostMessage(Handle(), WM_KEYDOWN, VK_F2, 0);
        }
    }

    if (ActiveCellShow()) {
        RepaintActiveCellHeaders(old.X, old.Y, col, row);
        if (selRect.Left != old.X && selRect.Top != old.Y)
            RepaintActiveCellHeaders(selRect.Left, selRect.Top, col, row);
    }
    if (ActiveRowShow()) {
        RepaintRow(row);
        RepaintRow(selRect.Top);
    }
    if (SelectionRectangle())
        Invalidate();
    if (!HasState(csLoading) && row != LastUpdatedRow && OnRowUpdate) {
        OnRowUpdate(this, LastUpdatedRow, row);
        LastUpdatedRow = row;
    }
    SavedCellText = t;
    return result;
}
