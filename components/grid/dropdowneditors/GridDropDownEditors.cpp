#include "GridDropDownEditors.h"


#include "platform/rtl/DateUtils.h"

namespace {

TPlusStringGrid* OwningGrid(TComponent* owner)
{
    auto* grid = dynamic_cast<TPlusStringGrid*>(owner);
    if (!grid)
        throw Exception("Invalid class typecast");
    return grid;
}

} // namespace

template <class Base>
TGridDropDownEditor<Base>::TGridDropDownEditor(TComponent* owner) : Base(owner), Grid(OwningGrid(owner))
{
}

template <class Base>
void TGridDropDownEditor<Base>::KeyDown(WORD& key, TShiftState shift)
{
    const bool editingKey = key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_PRIOR ||
                            key == VK_NEXT || key == VK_END || key == VK_UP || key == VK_DOWN;
    if (!editingKey || (key == VK_DOWN && shift.Contains(ssAlt))) {
        Base::KeyDown(key, shift);
        return;
    }
    if (key == VK_ESCAPE) {
        PutText(Grid->GetCurrentCellText());
        Grid->ValidationPending = false;
        Grid->HideInplaceEditor();
        if (Grid->CanFocus())
            Grid->SetFocus();
        key = 0;
        return;
    }
    auto writeAndValidate = [&]() {
        const String text = this->Text();
        Grid->SetCurrentCellText(text);
        if (Grid->ValidateCell(text)) {
            PutText(Grid->GetCurrentCellText());
            return true;
        }
        PutText(Grid->ValidatedText);
        this->Invalidate();
        key = 0;
        return false;
    };
    if (key == VK_RETURN)
        BeforeReturn();
    if (key == VK_RETURN || key == VK_UP || key == VK_DOWN) {
        if (!writeAndValidate()) {
            this->SelectAll();
            return;
        }
    }
    if (key == VK_TAB && Grid->EditorWantsTab()) {
        if (!writeAndValidate()) {
            this->SetSelStart(this->GetTextLen());
            return;
        }
        if (Grid->Options().Contains(goTabs)) {
            Grid->HideInplaceEditor();
            if (Grid->CanFocus())
                Grid->SetFocus();
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
    Grid->HideInplaceEditor();
    Base::DoExit();
}

template <class Base>
void TGridDropDownEditor<Base>::Dispatch(TMessage& message)
{
    Base::Dispatch(message);
    if (message.Msg == CM_WANTSPECIALKEY) {
        if ((message.WParam == VK_TAB && Grid->EditorWantsTab()) ||
            (ClaimsReturnAndEsc() && (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE)))
            message.Result = 1;
    }
}

template class TGridDropDownEditor<TPlusTrackBarDropDown>;
template class TGridDropDownEditor<TPlusMemoDropDown>;
template class TGridDropDownEditor<TPlusTimePickerDropDown>;

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
        Grid->HideInplaceEditor();
        if (Grid->CanFocus())
            Grid->SetFocus();
        key = 0;
        return;
    }
    if (key == VK_RETURN) {
        Grid->HideInplaceEditor();
        if (Grid->CanFocus())
            Grid->SetFocus();
        if (Grid->Navigation()->AdvanceOnEnter)
            Grid->AdvanceToNextCell(Grid->Col(), Grid->Row(), true, true);
        key = 0;
        return;
    }
    if (key == VK_TAB && Grid->EditorWantsTab()) {
        Grid->HideInplaceEditor();
        if (Grid->CanFocus())
            Grid->SetFocus();
        Grid->TabToNextCell(GetKeyState(VK_SHIFT) < 0 || shift.Contains(ssShift));
        key = 0;
        return;
    }
    TPlusDateTimePicker::KeyDown(key, shift);
}

// ---------------------------------------------------------------- registration

namespace {

template <class T>
TPlusStringGrid::TExternalEditorClass DropDownClass(std::function<void(T*, const String&)> load,
                                                   std::function<String(T*)> value)
{
    TPlusStringGrid::TExternalEditorClass cls;
    cls.Create = [](TPlusStringGrid* grid) -> TWinControl* {
        auto* editor = new T(grid);
        editor->SetParent(grid);
        return editor;
    };
    cls.Load = [load](TWinControl* control, TPlusStringGrid* grid, int, int, const TRect& r, TColor color) {
        auto* editor = static_cast<T*>(control);
        editor->SetBounds(r.Left, r.Top, 0, 0);
        editor->SetEnabled(true);
        editor->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        load(editor, grid->GetEditText(grid->Col(), grid->Row()));
        editor->SetColor(color);
        editor->SetVisible(true);
    };
    cls.Value = [value](TWinControl* control) { return value(static_cast<T*>(control)); };
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

} // namespace

void RegisterGridDropDownEditors()
{
    TPlusStringGrid::RegisterExternalEditor(
        edTrackbarDropDown,
        DropDownClass<TGridTrackbarDropDown>(
            [](TGridTrackbarDropDown* e, const String& t) {
                e->SetEditorEnabled(true);
                e->SetPosition(LeadingNumber(t));
            },
            [](TGridTrackbarDropDown* e) { return e->Text(); }));
    TPlusStringGrid::RegisterExternalEditor(
        edMemoDropDown, DropDownClass<TGridMemoDropDown>([](TGridMemoDropDown* e, const String& t) { e->SetText(t); },
                                                         [](TGridMemoDropDown* e) {
                                                             String joined;
                                                             for (int i = 0; i < e->MemoText()->Count(); ++i)
                                                                 joined += e->MemoText()->Strings(i);
                                                             return e->MemoText()->Count() ? joined : e->Text();
                                                         }));
    TPlusStringGrid::RegisterExternalEditor(
        edTimePickerDropDown,
        DropDownClass<TGridTimepickerDropDown>(
            [](TGridTimepickerDropDown* e, const String& t) {
                e->SetText(t);
                e->SetEditorEnabled(true);
            },
            [](TGridTimepickerDropDown* e) { return e->Text(); }));
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
