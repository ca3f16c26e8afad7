#include "components/grid/dropdowneditors/GridDropDownEditors.h"


#include "platform/rtl/DateUtils.h"

namespace {

TPlusStringGrid* OwningGrid(TComponent* owner)
{
    auto* grid = dynamic_cast<TPlusStringGrid*>(owner);
    if (!grid)
        throw Exception("Invalid class typecast");
    return grid;
}

// Ends the edit and gives the focus back to the grid.
void LeaveToGrid(TPlusStringGrid* grid)
{
    grid->HideInplaceEditor();
    if (grid->CanFocus())
        grid->SetFocus();
}

} // namespace

template <class Base>
TGridDropDownEditor<Base>::TGridDropDownEditor(TComponent* owner) : Base(owner), Grid(OwningGrid(owner))
{
}

template <class Base>
bool TGridDropDownEditor<Base>::IsEditingKey(WORD key) const
{
    return key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_PRIOR || key == VK_NEXT ||
           key == VK_END || key == VK_UP || key == VK_DOWN;
}

template <class Base>
bool TGridDropDownEditor<Base>::WriteAndValidate()
{
    const String text = this->Text();
    Grid->SetCurrentCellText(text);
    if (Grid->ValidateCell(text)) {
        PutText(Grid->GetCurrentCellText());
        return true;
    }
    PutText(Grid->ValidatedText);
    this->Invalidate();
    return false;
}

template <class Base>
void TGridDropDownEditor<Base>::KeyDown(WORD& key, TShiftState shift)
{
    if (!IsEditingKey(key) || (key == VK_DOWN && shift.Contains(ssAlt))) {
        Base::KeyDown(key, shift);
        return;
    }
    if (key == VK_ESCAPE) {
        PutText(Grid->GetCurrentCellText());
        CancelValue();
        Grid->ValidationPending = false;
        LeaveToGrid(Grid);
        key = 0;
        return;
    }
    if (key == VK_RETURN)
        BeforeReturn();
    if (ValidatesKey(key) && !WriteAndValidate()) {
        this->SelectAll();
        key = 0;
        return;
    }
    if (key == VK_TAB && Grid->EditorWantsTab()) {
        if (!WriteAndValidate()) {
            this->SetSelStart(this->GetTextLen());
            this->SetSelLength(0);
            key = 0;
            return;
        }
        if (Grid->Options().Contains(goTabs)) {
            LeaveToGrid(Grid);
            Grid->TabToNextCell(GetKeyState(VK_SHIFT) < 0 || shift.Contains(ssShift));
            key = 0;
            return;
        }
        PostMessage(Grid->Handle(), WM_KEYDOWN, VK_TAB, 0);
    }
    if (this->DroppedDown()) {
        Grid->HideInplaceEditor();
        if (key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN)
            key = 0;
    } else if (key == VK_END) {
        Base::KeyDown(key, shift);
        return;
    }
    Grid->EndEditAndMove(key, shift);
    if (Grid->Navigation()->AdvanceOnEnter && Grid->Navigation()->AdvanceAutoEdit)
        Grid->ShowInplaceEditor();
    key = 0;
}

template <class Base>
void TGridDropDownEditor<Base>::KeyPress(char& key)
{
    if (Grid->OnKeyPress)
        Grid->OnKeyPress(this, key);
    if (key == 27 || key == 13 || key == 9)
        key = 0;
    Base::KeyPress(key);
}

template <class Base>
void TGridDropDownEditor<Base>::Change()
{
    Base::Change();
    if (Grid->OnEditChange && !Grid->LoadingEditorText)
        Grid->OnEditChange(Grid, Grid->Col(), Grid->Row(), this->Text());
}

template <class Base>
void TGridDropDownEditor<Base>::DoExit()
{
    // the focus moving into the editor's own pop-up does not end editing: it comes back when
    // the pop-up closes
    if (this->DroppedDown() || (this->DropDownForm() && this->DropDownForm()->Visible())) {
        Base::DoExit();
        return;
    }
    // leaving the control ends editing; a text the validation refuses is not written, the
    // validated one is
    if (Grid->Editing && Grid->ActiveEditor == this && !Grid->ValidateCell(this->Text()))
        PutText(Grid->ValidatedText);
    Grid->HideInplaceEditor();
    Base::DoExit();
}

template <class Base>
void TGridDropDownEditor<Base>::PlaceCaretAtMouse()
{
    POINT screen{0, 0};
    GetCursorPos(&screen);
    const TPoint p = this->ScreenToClient(TPoint(int(screen.x), int(screen.y)));
    if (p.X < 0 || p.X > this->Width() || p.Y < 0 || p.Y > this->Height())
        return;
    const LRESULT at = this->Perform(EM_CHARFROMPOS, 0, MAKELPARAM(p.X, p.Y));
    if (at == -1)
        return;
    this->SetSelStart(LOWORD(uintptr_t(at)));
    this->SetSelLength(0);
    Grid->EditorClickThrough = false;
}

template <class Base>
void TGridDropDownEditor<Base>::Dispatch(TMessage& message)
{
    Base::Dispatch(message);
    if (message.Msg == WM_SETFOCUS && PositionsCaret() && Grid->EditorClickThrough)
        PlaceCaretAtMouse();
    if (message.Msg == CM_WANTSPECIALKEY) {
        if ((message.WParam == VK_TAB && Grid->EditorWantsTab()) ||
            (ClaimsReturnAndEsc() && (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE)))
            message.Result = 1;
    }
}

template class TGridDropDownEditor<TPlusTrackBarDropDown>;
template class TGridDropDownEditor<TPlusMemoDropDown>;
template class TGridDropDownEditor<TPlusTimePickerDropDown>;
template class TGridDropDownEditor<TPlusCalculatorDropdown>;
template class TGridDropDownEditor<TPlusDetailDropDown>;
template class TGridDropDownEditor<TPlusColorPickerDropDown>;
template class TGridDropDownEditor<TPlusImagePickerDropDown>;
template class TGridDropDownEditor<TPlusMultiColumnDropDown>;
template class TGridDropDownEditor<TCustomPlusGridDropDown>;

// ---------------------------------------------------------------- colour and image pickers

bool TGridColorDropDown::IsEditingKey(WORD key) const
{
    if (DroppedDown())
        return key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE;
    return TGridDropDownEditor::IsEditingKey(key) || key == VK_HOME;
}

void TGridColorDropDown::CancelValue()
{
    SetSelectedColor(LoadedColor);
    Cancelled = true;
}

void TGridImageDropDown::CancelValue()
{
    SetItemIndex(LoadedItemIndex);
    Cancelled = true;
}

// ---------------------------------------------------------------- TGridDateTimePicker

TGridDateTimePicker::TGridDateTimePicker(TComponent* owner)
    : TPlusDateTimePicker(owner), Grid(dynamic_cast<TPlusStringGrid*>(owner))
{
}

void TGridDateTimePicker::KeyDown(WORD& key, TShiftState shift)
{
    if (!Grid || (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE)) {
        TPlusDateTimePicker::KeyDown(key, shift);
        return;
    }
    if (key == VK_ESCAPE) {
        SetDate(Grid->DateTimeShown);
        Grid->ValidationPending = false;
        LeaveToGrid(Grid);
        key = 0;
        return;
    }
    if (key == VK_RETURN) {
        LeaveToGrid(Grid);
        if (Grid->Navigation()->AdvanceOnEnter)
            Grid->AdvanceToNextCell(Grid->Col(), Grid->Row(), true, true);
        key = 0;
        return;
    }
    if (key == VK_TAB && Grid->EditorWantsTab()) {
        LeaveToGrid(Grid);
        Grid->TabToNextCell(GetKeyState(VK_SHIFT) < 0 || shift.Contains(ssShift));
        key = 0;
        return;
    }
    TPlusDateTimePicker::KeyDown(key, shift);
}

// ---------------------------------------------------------------- registration

namespace {

// The drop-down made once per grid: hidden, with the grid as owner and parent, its pop-up's
// header and footer button clicks reported by the grid for the current cell.
template <class T>
TWinControl* CreateDropDown(TPlusStringGrid* grid)
{
    auto* editor = new T(grid);
    editor->SetParent(grid);
    editor->OnDropDownHeaderButtonClick = [grid](TObject*, int index) {
        if (grid->OnDropDownHeaderButtonClick)
            grid->OnDropDownHeaderButtonClick(grid, grid->Col(), grid->Row(), index);
    };
    editor->OnDropDownFooterButtonClick = [grid](TObject*, int index) {
        if (grid->OnDropDownFooterButtonClick)
            grid->OnDropDownFooterButtonClick(grid, grid->Col(), grid->Row(), index);
    };
    return editor;
}

// Loading one drop-down over a cell: the grid's colour style, placed on the cell without
// a border, then the editor's own value from the cell (edit text, real column, row).
template <class T>
using TLoadValue = std::function<void(T* editor, TPlusStringGrid* grid, const String& text, int realCol, int row)>;

template <class T>
TPlusStringGrid::TExternalEditorClass DropDownClass(TLoadValue<T> load, std::function<String(T*)> value)
{
    TPlusStringGrid::TExternalEditorClass cls;
    cls.Create = [](TPlusStringGrid* grid) { return CreateDropDown<T>(grid); };
    cls.Load = [load](TWinControl* control, TPlusStringGrid* grid, int realCol, int row, const TRect& r,
                      TColor color) {
        auto* editor = static_cast<T*>(control);
        editor->ApplyColorStyle(grid->CurrentColorStyle);
        editor->SetBounds(r.Left, r.Top, 0, 0);
        editor->SetEnabled(true);
        editor->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        editor->SetColor(color);
        load(editor, grid, grid->GetEditText(grid->Col(), grid->Row()), realCol, row);
        editor->SetVisible(true);
    };
    if (value)
        cls.Value = [value](TWinControl* control) { return value(static_cast<T*>(control)); };
    return cls;
}

// A picker drop-down: `selected` hears of each choice the user makes (never of the editor's own
// loading of a cell), and `commit` writes a value that Esc did not cancel.
template <class T>
TPlusStringGrid::TExternalEditorClass PickerClass(TLoadValue<T> load,
                                                  std::function<void(TPlusStringGrid* grid, T* editor)> selected,
                                                  std::function<void(T* editor, TPlusStringGrid* grid, int realCol, int row)> commit)
{
    auto cls = DropDownClass<T>(load, nullptr);
    auto create = cls.Create;
    cls.Create = [create, selected](TPlusStringGrid* grid) {
        auto* editor = static_cast<T*>(create(grid));
        editor->OnSelect = [grid, editor, selected](TObject*) {
            if (!grid->LoadingEditorText)
                selected(grid, editor);
        };
        return static_cast<TWinControl*>(editor);
    };
    cls.Commit = [commit](TWinControl* control, TPlusStringGrid* grid, int realCol, int row) {
        auto* editor = static_cast<T*>(control);
        if (!editor->Cancelled)
            commit(editor, grid, realCol, row);
    };
    return cls;
}

int LeadingNumber(const String& text)
{
    int v = 0;
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && v < 100000000; ++i)
        v = v * 10 + (text[i] - '0');
    return negative ? -v : v;
}

template <class T>
String TextOf(T* editor)
{
    return editor->Text();
}

void RegisterTextDropDowns()
{
    TPlusStringGrid::RegisterExternalEditor(
        edTrackbarDropDown, DropDownClass<TGridTrackbarDropDown>(
                                [](TGridTrackbarDropDown* e, TPlusStringGrid*, const String& t, int, int) {
                                    e->SetEditorEnabled(true);
                                    e->SetPosition(LeadingNumber(t));
                                },
                                TextOf<TGridTrackbarDropDown>));
    TPlusStringGrid::RegisterExternalEditor(
        edMemoDropDown,
        DropDownClass<TGridMemoDropDown>(
            [](TGridMemoDropDown* e, TPlusStringGrid*, const String& t, int, int) { e->SetText(t); },
            [](TGridMemoDropDown* e) {
                String joined;
                for (int i = 0; i < e->MemoText()->Count(); ++i)
                    joined += e->MemoText()->Strings(i);
                return e->MemoText()->Count() ? joined : e->Text();
            }));
    TPlusStringGrid::RegisterExternalEditor(
        edCalculatorDropDown,
        DropDownClass<TGridCalculatorDropDown>(
            [](TGridCalculatorDropDown* e, TPlusStringGrid*, const String& t, int, int) { e->SetText(t); },
            TextOf<TGridCalculatorDropDown>));
    TPlusStringGrid::RegisterExternalEditor(
        edTimePickerDropDown, DropDownClass<TGridTimepickerDropDown>(
                                  [](TGridTimepickerDropDown* e, TPlusStringGrid*, const String& t, int, int) {
                                      e->SetText(t);
                                      e->SetEditorEnabled(true);
                                  },
                                  TextOf<TGridTimepickerDropDown>));
    TPlusStringGrid::RegisterExternalEditor(
        edDetailDropDown, DropDownClass<TGridDetailPickerDropDown>(
                              [](TGridDetailPickerDropDown* e, TPlusStringGrid*, const String& t, int, int) {
                                  e->SetText(t);
                                  e->SetEditorEnabled(true);
                                  const int item = e->Items()->IndexOfCaption(e->Text());
                                  if (item >= 0)
                                      e->SetItemIndex(item);
                              },
                              TextOf<TGridDetailPickerDropDown>));
}

void RegisterColumnDropDowns()
{
    // the application fills the lists while the editor opens (OnGetEditorProp, before this)
    TPlusStringGrid::RegisterExternalEditor(
        edGridDropDown, DropDownClass<TGridGridDropDown>(
                            [](TGridGridDropDown* e, TPlusStringGrid*, const String& t, int, int) {
                                e->SetEditorEnabled(true);
                                e->BeforeLookupUpdate();
                                e->UpdateLookupList();
                                e->SetItemIndex(t.empty() ? 0 : e->IndexOfLookupText(t));
                                e->SetTextDirect(t);
                            },
                            [](TGridGridDropDown* e) { return e->GetText(); }));
    TPlusStringGrid::RegisterExternalEditor(
        edPlusGridDropDown, DropDownClass<TGridPlusGridDropDown>(
                                [](TGridPlusGridDropDown* e, TPlusStringGrid*, const String& t, int, int) {
                                    e->SetEditorEnabled(true);
                                    e->GetGrid()->FixedRowAlways = true;
                                    e->BeforeLookupUpdate();
                                    e->UpdateLookupList();
                                    e->SetTextDirect(t);
                                },
                                TextOf<TGridPlusGridDropDown>));
}

void RegisterColorDropDown()
{
    auto cls = PickerClass<TGridColorDropDown>(
        [](TGridColorDropDown* e, TPlusStringGrid* grid, const String& text, int realCol, int row) {
            // the text that Return writes and validates is the cell's own, never an earlier cell's
            e->SetTextDirect(text);
            e->Cancelled = false;
            e->LoadedColor = grid->GetCellType(realCol, row) == ctShape ? grid->GetShapeColor(realCol, row)
                                                                       : grid->GetColors(realCol, row);
            e->SetSelectedColor(e->LoadedColor);
        },
        [](TPlusStringGrid* grid, TGridColorDropDown* editor) {
            if (grid->OnColorSelect)
                grid->OnColorSelect(grid, grid->Col(), grid->Row(), editor->SelectedColor(),
                                    editor->GetColorValueText());
        },
        [](TGridColorDropDown* editor, TPlusStringGrid* grid, int realCol, int row) {
            TColor color = editor->SelectedColor();
            String value = editor->GetColorValueText();
            if (grid->OnColorSelected)
                grid->OnColorSelected(grid, realCol, row, color, value);
            grid->SetCellFromEditor(realCol, row, value);
            if (grid->GetCellType(realCol, row) == ctShape)
                grid->SetShapeColor(realCol, row, color);
            else
                grid->SetColors(realCol, row, color);
        });
    TPlusStringGrid::RegisterExternalEditor(edColorPickerDropDown, cls);
}

void RegisterImageDropDown()
{
    auto cls = PickerClass<TGridImageDropDown>(
        [](TGridImageDropDown* e, TPlusStringGrid* grid, const String&, int realCol, int row) {
            e->Cancelled = false;
            const TCellType type = grid->GetCellType(realCol, row);
            if (type == ctImageList || type == ctDataImage) {
                e->SetImages(grid->GridImages);
                if (e->Items()->Count() == 0)
                    e->AddImageListItems();
                int index = -1;
                if (type == ctImageList)
                    grid->GetCellImageIndex(realCol, row, index);
                else
                    index = grid->GetCellInteger(realCol, row);
                e->SelectImageIndex(index);
            }
            e->LoadedItemIndex = e->ItemIndex();
            e->SetText(e->ItemIndex() < 0 ? String() : e->Items()->Items(e->ItemIndex())->Caption());
        },
        [](TPlusStringGrid* grid, TGridImageDropDown* editor) {
            if (grid->OnImageSelect)
                grid->OnImageSelect(grid, grid->Col(), grid->Row(), editor->GetSelectedImageIndex());
        },
        [](TGridImageDropDown* editor, TPlusStringGrid* grid, int realCol, int row) {
            int index = editor->GetSelectedImageIndex();
            if (grid->OnImageSelected)
                grid->OnImageSelected(grid, realCol, row, index);
            const TCellType type = grid->GetCellType(realCol, row);
            if (type == ctImageList)
                grid->SetCellImageIndex(realCol, row, index);
            else if (type == ctDataImage)
                grid->SetCellFromEditor(realCol, row, IntToStr(index));
        });
    TPlusStringGrid::RegisterExternalEditor(edImagePickerDropDown, cls);
}

void RegisterDateTimePicker()
{
    TPlusStringGrid::TExternalEditorClass dateTime;
    dateTime.Create = [](TPlusStringGrid* grid) -> TWinControl* {
        auto* picker = new TGridDateTimePicker(grid);
        picker->SetParent(grid);
        return picker;
    };
    dateTime.Load = [](TWinControl* control, TPlusStringGrid* grid, int, int, const TRect& r, TColor color) {
        auto* picker = static_cast<TGridDateTimePicker*>(control);
        TDateTime d = 0;
        const String text = grid->GetEditText(grid->Col(), grid->Row());
        if (text.empty() || !TryStrToDateTime(text, d))
            d = Now();
        picker->SetKind(dkDateTime);
        picker->SetDateTime(d);
        grid->DateTimeShown = d;
        picker->SetBounds(r.Left, r.Top, r.Width(), std::max(picker->Height(), r.Height()));
        picker->SetEnabled(true);
        picker->SetVisible(true);
        picker->SetColor(color);
    };
    dateTime.Value = [](TWinControl* control) {
        auto* picker = static_cast<TGridDateTimePicker*>(control);
        return picker->Checked ? DateTimeToStr(picker->DateTime()) : String();
    };
    TPlusStringGrid::RegisterExternalEditor(edDateTimeEdit, dateTime);
}

} // namespace

void RegisterGridDropDownEditors()
{
    RegisterTextDropDowns();
    RegisterColumnDropDowns();
    RegisterColorDropDown();
    RegisterImageDropDown();
    RegisterDateTimePicker();
}
