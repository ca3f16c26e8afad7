#include "components/dropdown/PlusColumnListDropDown.h"

#include "components/dropdown/PlusMultiColumnDropDown.h"

TPlusColumnListDropDown::TPlusColumnListDropDown(TComponent* AOwner, bool laterStyles)
    : TPlusCustomDropDown(AOwner), headerFont_(std::make_unique<TFont>()), laterStyles_(laterStyles)
{
}

TPlusColumnListDropDown::~TPlusColumnListDropDown() = default;

void TPlusColumnListDropDown::InitListLooks()
{
    SetSelectionColorStyle(1);
    ApplyColorStyle(4); // leaves the header font colour of style 4
    HeaderColor = 0xFFFFFF;
    HeaderColorTo = 0x808080;
    HeaderHeight = 25;
    SelectionTextColor = 0;
    DropDownColor = 0xFFFFFF;
    SetDropDownHeight(200);
    AutoSelect = true;
    SetEditorEnabled(true);
    DropDownEnabled = true;
    LineColor = 0xC0C0C0;
    SetSelectionColorStyle(1);
}

void TPlusColumnListDropDown::Loaded()
{
    TPlusCustomDropDown::Loaded();
    UpdateLookupList();
}

String TPlusColumnListDropDown::LookupTextOf(int item) const
{
    return static_cast<const PlusMultiColumnDropDown::TDropDownItem*>(RowItems()->Items(item))->TextOf(LookupColumn);
}

int TPlusColumnListDropDown::IndexOfLookupText(const String& Text) const
{
    for (int i = 0; i < RowItems()->Count(); ++i)
        if (LookupTextOf(i) == Text)
            return i;
    return -1;
}

void TPlusColumnListDropDown::UpdateLookupList()
{
    if (LookupColumn < 0 || RowItems()->Count() == 0)
        return;
    lookupItems_->Clear();
    for (int i = 0; i < RowItems()->Count(); ++i)
        lookupItems_->Add(LookupTextOf(i));
}

void TPlusColumnListDropDown::ShowText(const String& text)
{
    const bool completing = autoCompleting_;
    autoCompleting_ = false; // a text shown is no typing of the user's
    SetText(text);
    autoCompleting_ = completing;
}

void TPlusColumnListDropDown::DropDownFormShown()
{
    TPlusCustomDropDown::DropDownFormShown();
    ColumnsToDropDownWidth();
}

std::vector<int> TPlusColumnListDropDown::FillWidths(const std::vector<int>& widths, int width)
{
    return PlusMultiColumnDropDown::ColumnWidthsToFill(widths, width);
}

// ---------------------------------------------------------------- completion and keys

void TPlusColumnListDropDown::Change()
{
    completionPending_ = false;
    TPlusCustomDropDown::Change();
    if (HasState(csDesigning) || !autoCompleting_)
        return;
    const String text = EditText();
    SetValueModified(!text.empty());
    if (lookupItems_->Count() == 0)
        return;
    RefreshShownItems();
    const auto usable = [this](int i) { return ItemShown(i); };
    const PlusMultiColumnDropDown::TLookupCompletion c =
        PlusMultiColumnDropDown::CompleteFromLookup(lookupItems_.get(), text, SelStart(), usable);
    if (c.Matched) {
        itemIndex_ = completedIndex_ = c.Index;
        completedLength_ = c.TypedLength;
        // only a text typed out in full is settled on the key's release (a completed text
        // replaced by the edit counts as a change of its own, which completes nothing)
        const bool whole = c.Text == text;
        ShowText(c.Text);
        completionPending_ = whole;
        SetSelStart(c.TypedLength);
        SetSelLength(int(c.Text.size()) - c.TypedLength);
        return;
    }
    if (c.TypedLength > 0) {
        const String typed = text.substr(0, size_t(c.TypedLength));
        ShowText(typed);
        SetSelStart(int(typed.size()));
        SetSelLength(0);
    }
}

void TPlusColumnListDropDown::KeyDown(WORD& Key, TShiftState Shift)
{
    if (LookupColumn < 0 || RowItems()->Count() == 0) {
        TPlusCustomDropDown::KeyDown(Key, Shift);
        return;
    }
    if (Key == VK_BACK || Key == VK_ESCAPE || Key == VK_DELETE)
        autoCompleting_ = false;
    else if (Key != VK_RETURN)
        autoCompleting_ = true;
    if (Key == VK_RETURN) {
        RefreshShownItems();
        const int i = lookupItems_->IndexOf(EditText());
        if (i >= 0 && ItemShown(i)) {
            ShowText(lookupItems_->Strings(i));
            SetItemIndex(i);
            TPlusCustomDropDown::Change();
        }
    }
    const auto life = Life();
    TPlusCustomDropDown::KeyDown(Key, Shift);
    if (*life && Key == VK_ESCAPE)
        SetItemIndex(lookupItems_->IndexOf(EditText()));
}

void TPlusColumnListDropDown::KeyUp(WORD& Key, TShiftState Shift)
{
    TPlusCustomDropDown::KeyUp(Key, Shift);
    SettleCompletion();
}

void TPlusColumnListDropDown::SettleCompletion()
{
    if (!completionPending_)
        return;
    SetItemIndex(completedIndex_);
    SetSelStart(completedLength_);
    SetSelLength(std::max(0, GetTextLen() - completedLength_));
    completionPending_ = false;
}

void TPlusColumnListDropDown::StepItem(WORD key, int count, bool homeEnd)
{
    if (count == 0)
        return;
    const int i = itemIndex_;
    switch (key) {
    case VK_PRIOR: SetItemIndex(i < 0 ? 0 : std::max(i - 10, 0)); break;
    case VK_NEXT: SetItemIndex(i < 0 ? 0 : std::min(i + 10, count - 1)); break;
    case VK_UP:
        if (i < 0)
            SetItemIndex(0);
        else if (i > 0)
            SetItemIndex(i - 1);
        break;
    case VK_DOWN:
        if (i < 0)
            SetItemIndex(0);
        else if (i < count - 1)
            SetItemIndex(i + 1);
        break;
    case VK_HOME:
        if (homeEnd)
            SetItemIndex(0);
        break;
    case VK_END:
        if (homeEnd)
            SetItemIndex(count - 1);
        break;
    default: break;
    }
}

void TPlusColumnListDropDown::SelectNext()
{
    TPlusCustomDropDown::SelectNext();
    StepKey(VK_DOWN, false);
}

void TPlusColumnListDropDown::SelectPrevious()
{
    TPlusCustomDropDown::SelectPrevious();
    StepKey(VK_UP, false);
}

void TPlusColumnListDropDown::TypeAheadBackspace()
{
    if (SelLength() == 0) {
        if (!lookupEntry_.empty())
            lookupEntry_.pop_back();
        ShowText(lookupEntry_);
    } else {
        String text = EditText();
        text.erase(size_t(SelStart()), size_t(SelLength()));
        ShowText(text);
    }
    SetSelStart(GetTextLen());
    SetSelLength(0);
}

bool TPlusColumnListDropDown::StartsWithLookupKey(const String& text, const String& key) const
{
    if (text.size() < key.size())
        return false;
    return LookupKeyOf(text.substr(0, key.size())) == key;
}

// ---------------------------------------------------------------- looks

void TPlusColumnListDropDown::SetSelectionColorStyle(uint8_t Style)
{
    if (Style == 1) {
        LineColor = 0xF1EDEB;
        FixedLineColor = 0xD1BBA4;
    } else if (Style == 2 || Style == 3) {
        LineColor = 0xECECF0;
        FixedLineColor = 0xD4D2D1;
    }
    TPlusCustomDropDown::SetSelectionColorStyle(Style);
}

void TPlusColumnListDropDown::ApplyColorStyle(uint8_t Style)
{
    TPlusCustomDropDown::ApplyColorStyle(Style);
    if (!headerFont_)
        return;
    const PlusMultiColumnDropDown::TColumnListLook look{HeaderColor,    HeaderColorTo,      headerFont_.get(),
                                                        LineColor,      FixedLineColor,     SelectionTextColor,
                                                        SelectionColor, SelectionColorTo};
    PlusMultiColumnDropDown::ApplyColumnListStyle(Style, look, laterStyles_,
                                                  [this](uint8_t s) { SetSelectionColorStyle(s); });
}
