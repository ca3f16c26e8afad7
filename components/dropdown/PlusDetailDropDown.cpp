#include "components/dropdown/PlusDetailDropDown.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinGdi.h"
#include "platform/win/WinWindow.h"

#include <algorithm>

// ---------------------------------------------------------------- items

void TDetailItem::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TDetailItem*>(Source)) {
        SetCaption(s->caption_);
        SetImageIndex(s->imageIndex_);
        image_->Assign(s->image_.get());
        Notes = s->Notes;
        return;
    }
    TCollectionItem::Assign(Source);
}

int TDetailItems::IndexOfCaption(const String& Text) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Caption() == Text)
            return i;
    return -1;
}

// ---------------------------------------------------------------- the drop-down

TPlusDetailDropDown::TPlusDetailDropDown(TComponent* AOwner)
    : TPlusCustomDropDown(AOwner), items_(std::make_unique<TDetailItems>(this)),
      itemAppearance_(std::make_unique<TItemAppearance>(this)), captionFont_(std::make_unique<TFont>()),
      notesFont_(std::make_unique<TFont>())
{
    itemAppearance_->SetColorStyle(1);
    SetEditorEnabled(true);
    DropDownEnabled = true;
    captionFont_->Assign(Font());
    notesFont_->Assign(Font());
    CreateDropDownForm();
}

TPlusDetailDropDown::~TPlusDetailDropDown() = default;

void TPlusDetailDropDown::CreateDropDownForm()
{
    TPlusCustomDropDown::CreateDropDownForm();
    if (!form_)
        return;
    if (!itemSelector_) {
        itemSelector_ = new TPlusCustomItemSelector(this);
        itemSelector_->SetParent(form_);
        itemSelector_->SetSelectorType(stImage);
        itemSelector_->SetBounds(0, 0, itemSelector_->Width(), 150);
        itemSelector_->OnDrawItem = [this](TObject*, TCanvas* c, TRect r, int i) { DrawDetailItem(c, r, i); };
        itemSelector_->OnItemSize = [this](TObject*, TSize& s) { DetailItemSize(s); };
        itemSelector_->UpdateLayout();
        itemSelector_->OnResize = [this](TObject*) { itemSelector_->UpdateLayout(); };
    }
    itemSelector_->SetColor(DropDownColor);
    itemSelector_->UpdateLayout();
    SetDropDownControl(itemSelector_);
}

void TPlusDetailDropDown::LoadSelector()
{
    TPlusCustomItemSelector* s = itemSelector_;
    if (!s)
        return;
    s->OnItemSelect = nullptr;
    s->SetColumns(1);
    s->SetImages(Images());
    s->ItemLayout = Layout;
    s->SetColor(DropDownColor);
    s->ItemAppearance()->Assign(itemAppearance_.get());
    s->Items()->Clear();
    for (int i = 0; i < items_->Count(); ++i) {
        TSelectorItem* it = s->Items()->Add();
        it->SetCaption(items_->Items(i)->Caption());
        it->Image()->Assign(items_->Items(i)->Image());
        it->SetImageIndex(items_->Items(i)->ImageIndex());
    }
    s->UpdateLayout();
    s->SetItemIndex(itemIndex_);
    s->OnItemSelect = [this](TObject*) { SelectorItemSelected(); };
}

void TPlusDetailDropDown::BeforeDropDown()
{
    TPlusCustomDropDown::BeforeDropDown();
    LoadSelector();
    oldItemIndex_ = itemIndex_;
}

void TPlusDetailDropDown::ShowDropDown()
{
    TPlusCustomDropDown::ShowDropDown();
    // only a shown list can take the focus (an OnDropDown may have refused the opening)
    if (itemSelector_ && IsDroppedDown() && itemSelector_->CanFocus())
        itemSelector_->SetFocus();
}

void TPlusDetailDropDown::AdaptDropDownSize()
{
    if (itemSelector_) {
        itemSelector_->Align = alNone;
        if (DropDownWidth() <= 0)
            itemSelector_->SetWidth(Width());
        if (DropDownHeight() <= 0)
            itemSelector_->SetHeight(100);
    }
    TPlusCustomDropDown::AdaptDropDownSize();
}

void TPlusDetailDropDown::DropDownFormShown()
{
    TPlusCustomDropDown::DropDownFormShown();
    if (itemSelector_)
        itemSelector_->UpdateLayout();
}

void TPlusDetailDropDown::HideDropDown(bool Cancel)
{
    TPlusCustomDropDown::HideDropDown(Cancel);
    if (Cancel && itemSelector_ && oldItemIndex_ != -1)
        SetItemIndex(oldItemIndex_);
}

void TPlusDetailDropDown::DetailItemSize(TSize& Size)
{
    const int W = DropDownWidth() > 0 ? DropDownWidth() : (form_ ? form_->Width() : Width());
    const int bar = itemSelector_ && itemSelector_->VertScrollBarVisible() ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    Size = TSize{W - 2 * GetSystemMetrics(SM_CXBORDER) - 4 - bar, ItemHeight};
}

void TPlusDetailDropDown::DrawDetailItem(TCanvas* c, TRect R, int Index)
{
    if (OnDrawSelectedImage) {
        OnDrawSelectedImage(this, c, R);
        return;
    }
    if (Index < 0 || Index >= items_->Count())
        return;
    const TDetailItem* item = items_->Items(Index);
    const String& caption = item->Caption();
    TPicture* picture = item->Image();
    if (picture->Graphic() && !picture->Graphic()->Empty()) {
        const int x = !caption.empty() ? R.Left + 2 : R.Left + (R.Width() - picture->Width()) / 2;
        if (TBitmap* b = dynamic_cast<TBitmap*>(picture->Graphic()))
            b->Transparent = true;
        c->Draw(x, R.Top + (R.Height() - picture->Height()) / 2, picture->Graphic());
        R.Left += picture->Width() + 4;
    } else if (Images() && item->ImageIndex() >= 0) {
        const int w = Images()->Width(), h = Images()->Height();
        const int x = !caption.empty() ? R.Left + 2 : R.Left + (R.Width() - w) / 2;
        Images()->Draw(c, x, R.Top + (R.Height() - h) / 2, item->ImageIndex(), true);
        R.Left += w + 4;
    }
    const bool hot = itemSelector_ && Index == itemSelector_->GetItemHot();
    auto colourFor = [&](TFont* f) {
        if (hot)
            f->Color = itemAppearance_->ColorHotText;
        if (Index == itemIndex_)
            f->Color = itemAppearance_->ColorSelectedText;
    };
    c->Font->Assign(captionFont_.get());
    colourFor(c->Font);
    c->Brush->Style = bsClear;
    R.Left += 4, R.Top += 2, R.Right -= 4;
    RECT r = R;
    c->RequiredState();
    DrawText(c->Handle(), caption.c_str(), -1, &r, DT_END_ELLIPSIS);
    if (item->Notes.empty())
        return;
    R.Top += c->TextHeight("gh");
    c->Font->Assign(notesFont_.get());
    colourFor(c->Font);
    TSize size;
    DrawHtmlCaption(c, item->Notes, R, size, true, Images());
}

void TPlusDetailDropDown::SelectorItemSelected()
{
    SetItemIndex(itemSelector_->ItemIndex());
    if (itemIndex_ >= 0 && itemIndex_ < items_->Count()) {
        const String caption = items_->Items(itemIndex_)->Caption();
        const bool completing = autoCompleting_;
        autoCompleting_ = false;
        SetText(caption);
        autoCompleting_ = completing;
        SetSelStart(0);
        SetSelLength(int(caption.size()));
    }
    if (!internalSelect_)
        HideDropDown(false);
}

void TPlusDetailDropDown::SetItemIndex(int Value)
{
    if (Value != itemIndex_ && Value >= 0 && Value < items_->Count()) {
        itemIndex_ = Value;
        const String caption = items_->Items(Value)->Caption();
        const bool completing = autoCompleting_;
        autoCompleting_ = false; // a caption shown is no typing of the user's
        SetText(caption);
        autoCompleting_ = completing;
        SetSelStart(0);
        SetSelLength(int(caption.size()));
        Invalidate();
        if (itemSelector_)
            itemSelector_->Invalidate();
        if (OnSelect)
            OnSelect(this);
        return;
    }
    if (Value != itemIndex_ && Value == -1) {
        const bool completing = autoCompleting_;
        autoCompleting_ = false;
        SetText("");
        autoCompleting_ = completing;
        itemIndex_ = -1;
    }
}

void TPlusDetailDropDown::SelectFirstItem()
{
    if (items_->Count() > 0)
        SetItemIndex(0);
}

void TPlusDetailDropDown::SelectLastItem()
{
    if (items_->Count() > 0)
        SetItemIndex(items_->Count() - 1);
}

void TPlusDetailDropDown::SelectNextItem()
{
    if (items_->Count() == 0)
        return;
    if (itemIndex_ < 0)
        SetItemIndex(0);
    else if (itemIndex_ + 1 < items_->Count())
        SetItemIndex(itemIndex_ + 1);
}

void TPlusDetailDropDown::SelectPreviousItem()
{
    if (items_->Count() == 0)
        return;
    if (itemIndex_ < 0)
        SetItemIndex(0);
    else if (itemIndex_ - 1 >= 0)
        SetItemIndex(itemIndex_ - 1);
}

void TPlusDetailDropDown::SelectInList(int v)
{
    if (!itemSelector_ || v < 0 || v >= itemSelector_->Items()->Count())
        return;
    Internal([&] {
        itemSelector_->SetItemIndex(v);
        itemSelector_->ScrollIntoView(itemSelector_->ItemIndex());
    });
}

void TPlusDetailDropDown::SelectNext()
{
    TPlusCustomDropDown::SelectNext();
    if (!IsDroppedDown() || !itemSelector_) {
        SelectNextItem();
        return;
    }
    SelectInList(itemSelector_->ItemIndex() < 0 ? 0 : itemSelector_->ItemIndex() + 1);
    Invalidate();
}

void TPlusDetailDropDown::SelectPrevious()
{
    TPlusCustomDropDown::SelectPrevious();
    if (!IsDroppedDown() || !itemSelector_) {
        SelectPreviousItem();
        return;
    }
    SelectInList(itemSelector_->ItemIndex() < 0 ? 0 : itemSelector_->ItemIndex() - 1);
    Invalidate();
}

// ---------------------------------------------------------------- completion and keys

void TPlusDetailDropDown::Change()
{
    completionPending_ = false;
    TPlusCustomDropDown::Change();
    if (HasState(csDesigning) || !autoCompleting_)
        return;
    const String text = EditText();
    SetValueModified(!GetText().empty());
    const int caret = std::min<int>(SelStart(), int(text.size()));
    const String typed = text.substr(0, size_t(caret));
    const String upper = AnsiUpperCase(typed);
    if (!upper.empty()) {
        for (int i = 0; i < items_->Count(); ++i) {
            const String caption = AnsiUpperCase(items_->Items(i)->Caption());
            if (caption.compare(0, upper.size(), upper) != 0)
                continue;
            // the user's own letters are kept; the caption supplies the rest, at most 255
            const String completed =
                text.substr(0, upper.size()) + items_->Items(i)->Caption().substr(upper.size(), 255);
            itemIndex_ = i;
            completedIndex_ = i;
            completedLength_ = int(upper.size());
            autoCompleting_ = false; // the text set here is no typing of the user's
            SetText(completed);
            autoCompleting_ = true;
            completionPending_ = true;
            SetSelStart(int(upper.size()));
            SetSelLength(int(completed.size() - upper.size()));
            return;
        }
    }
    if (items_->Count() > 0 && !typed.empty()) {
        autoCompleting_ = false;
        SetText(typed);
        autoCompleting_ = true;
        SetSelStart(int(typed.size()));
        SetSelLength(0);
    }
}

void TPlusDetailDropDown::KeyDown(WORD& Key, TShiftState Shift)
{
    if (items_->Count() == 0) {
        TPlusCustomDropDown::KeyDown(Key, Shift);
        return;
    }
    if (Key == VK_BACK || Key == VK_ESCAPE || Key == VK_DELETE) {
        autoCompleting_ = false;
    } else if (Key == VK_RETURN) {
        const int i = items_->IndexOfCaption(EditText());
        if (i != -1) {
            const bool completing = autoCompleting_;
            autoCompleting_ = false;
            SetText(items_->Items(i)->Caption());
            autoCompleting_ = completing;
            SetItemIndex(i);
            Change();
        }
    } else {
        autoCompleting_ = true;
    }
    TPlusCustomDropDown::KeyDown(Key, Shift);
    if (Key == VK_ESCAPE) {
        const int i = items_->IndexOfCaption(EditText());
        if (i >= 0)
            SetItemIndex(i);
    }
}

void TPlusDetailDropDown::KeyUp(WORD& Key, TShiftState Shift)
{
    TPlusCustomDropDown::KeyUp(Key, Shift);
    if (completionPending_) {
        SetItemIndex(completedIndex_);
        completionPending_ = false;
    }
}

bool TPlusDetailDropDown::ListKey(WORD key)
{
    TPlusCustomItemSelector* s = itemSelector_;
    const bool open = IsDroppedDown() && s;
    switch (key) {
    case VK_PRIOR:
    case VK_NEXT: {
        if (!s)
            break;
        if (s->Items()->Count() != items_->Count())
            LoadSelector();
        const int n = s->VisibleItemCount();
        if (n <= 0)
            break;
        if (key == VK_PRIOR)
            SelectInList(std::max(s->ItemIndex() - n, 0));
        else if (const int v = std::min(s->ItemIndex() + n, items_->Count() - 1); v >= 0)
            SelectInList(v);
        break;
    }
    case VK_END:
        if (open)
            Internal([&] { s->SelectLast(); });
        else if (!EditorEnabled())
            SelectLastItem();
        break;
    case VK_HOME:
        if (open)
            Internal([&] { s->SelectFirst(); });
        else if (!EditorEnabled())
            SelectFirstItem();
        break;
    case VK_LEFT:
        if (open && !EditorEnabled())
            Internal([&] { s->SelectPrevious(); });
        break;
    case VK_RIGHT:
        if (open && !EditorEnabled())
            Internal([&] { s->SelectNext(); });
        break;
    case VK_UP:
        if (open) {
            SelectInList(s->ItemIndex() < 0 ? 0 : s->ItemIndex() - 1);
            Invalidate();
        } else {
            SelectPreviousItem();
        }
        break;
    case VK_DOWN:
        if (open) {
            SelectInList(s->ItemIndex() < 0 ? 0 : s->ItemIndex() + 1);
            Invalidate();
        } else {
            SelectNextItem();
        }
        break;
    default:
        if (s && GetKeyState(VK_CONTROL) >= 0 && key >= 0x20 && key < 0x80) {
            const String& text = typeAhead_.Add(char(key));
            Internal([&] { s->SelectByText(text); });
        }
        break;
    }
    return open && (key == VK_PRIOR || key == VK_NEXT || (key >= VK_LEFT && key <= VK_DOWN));
}

void TPlusDetailDropDown::Dispatch(TMessage& m)
{
    if (m.Msg != WM_KEYDOWN) {
        TPlusCustomDropDown::Dispatch(m);
        return;
    }
    if (Enabled() && GetKeyState(VK_MENU) >= 0) {
        const auto life = Life();
        const bool swallowed = ListKey(WORD(m.WParam));
        if (!*life)
            return;
        if (swallowed) {
            m.WParam = 0;
            m.Result = 1;
            return;
        }
    }
    EditKeyDown(m);
}

// ---------------------------------------------------------------- looks

void TPlusDetailDropDown::SetSelectionColorStyle(uint8_t Style)
{
    TPlusCustomDropDown::SetSelectionColorStyle(Style);
    if (itemSelector_)
        itemSelector_->ItemAppearance()->SetColorStyle(Style);
}

void TPlusDetailDropDown::ApplyColorStyle(uint8_t Style)
{
    TPlusCustomDropDown::ApplyColorStyle(Style);
    ApplyItemAppearanceStyle(itemAppearance_.get(), Style);
}
