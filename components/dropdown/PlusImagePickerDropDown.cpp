#include "components/dropdown/PlusImagePickerDropDown.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinGdi.h"
#include "platform/win/WinWindow.h"

#include <algorithm>

// ---------------------------------------------------------------- items

void TImageItem::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TImageItem*>(Source)) {
        SetCaption(s->caption_);
        SetImageIndex(s->imageIndex_);
        image_->Assign(s->image_.get());
        Hint = s->Hint;
        return;
    }
    TCollectionItem::Assign(Source);
}

// ---------------------------------------------------------------- the picker

TPlusImagePickerDropDown::TPlusImagePickerDropDown(TComponent* AOwner)
    : TPlusCustomDropDown(AOwner), items_(std::make_unique<TImageItems>(this)),
      itemAppearance_(std::make_unique<TItemAppearance>(this))
{
    itemAppearance_->SetColorStyle(1);
    SetEditorEnabled(false);
    DropDownEnabled = true;
    SetCursor(crArrow);
    CreateDropDownForm();
}

TPlusImagePickerDropDown::~TPlusImagePickerDropDown() = default;

void TPlusImagePickerDropDown::CreateDropDownForm()
{
    TPlusCustomDropDown::CreateDropDownForm();
    if (!form_)
        return;
    if (!itemSelector_) {
        itemSelector_ = new TPlusCustomItemSelector(this);
        itemSelector_->SetParent(form_);
        itemSelector_->SetSelectorType(stImage);
        itemSelector_->SetBounds(0, 0, itemSelector_->Width(), 150);
    }
    itemSelector_->SetColor(DropDownColor);
    itemSelector_->UpdateLayout();
    SetDropDownControl(itemSelector_);
}

void TPlusImagePickerDropDown::LoadSelector()
{
    TPlusCustomItemSelector* s = itemSelector_;
    if (!s)
        return;
    s->OnItemSelect = nullptr;
    s->SetColumns(Columns);
    s->SetImages(Images());
    s->ItemLayout = Layout;
    s->SetColor(DropDownColor);
    s->ItemAppearance()->Assign(itemAppearance_.get());
    s->Items()->Clear();
    for (int i = 0; i < items_->Count(); ++i) {
        TSelectorItem* it = s->Items()->Add();
        it->SetCaption(items_->GetItem(i)->Caption());
        it->Image()->Assign(items_->GetItem(i)->Image());
        it->SetImageIndex(items_->GetItem(i)->ImageIndex());
        it->Hint = items_->GetItem(i)->Hint;
    }
    s->UpdateLayout();
    s->SetItemIndex(itemIndex_);
    s->OnItemSelect = [this](TObject*) { SelectorItemSelected(); };
    s->ShowHint = ShowHint;
}

void TPlusImagePickerDropDown::BeforeDropDown()
{
    TPlusCustomDropDown::BeforeDropDown();
    LoadSelector();
    if (itemSelector_) {
        if (OnDrawItem)
            itemSelector_->OnDrawItem = [this](TObject*, TCanvas* c, TRect r, int i) { OnDrawItem(this, c, r, i); };
        else
            itemSelector_->OnDrawItem = nullptr;
    }
    oldItemIndex_ = itemIndex_;
}

void TPlusImagePickerDropDown::AdaptDropDownSize()
{
    if (itemSelector_) {
        itemSelector_->Align = alNone;
        const TSize size = itemSelector_->GetPanelSize();
        if (DropDownWidth() <= 0)
            itemSelector_->SetWidth(size.cx);
        if (DropDownHeight() <= 0)
            itemSelector_->SetHeight(size.cy);
    }
    TPlusCustomDropDown::AdaptDropDownSize();
    if (form_ && itemSelector_ && itemSelector_->VertScrollBarVisible())
        form_->SetWidth(form_->Width() + GetSystemMetrics(SM_CXVSCROLL));
}

void TPlusImagePickerDropDown::HideDropDown(bool Cancel)
{
    TPlusCustomDropDown::HideDropDown(Cancel);
    if (Cancel && itemSelector_)
        SetItemIndex(oldItemIndex_);
}

void TPlusImagePickerDropDown::SelectorItemSelected()
{
    SetItemIndex(itemSelector_->ItemIndex());
    if (!internalSelect_)
        HideDropDown(false);
}

void TPlusImagePickerDropDown::SetItemIndex(int Value)
{
    if (Value == itemIndex_ || Value >= items_->Count())
        return;
    itemIndex_ = Value;
    Invalidate();
    const auto life = Life();
    if (OnChange)
        OnChange(this);
    if (*life && OnSelect)
        OnSelect(this);
}

void TPlusImagePickerDropDown::AddImageListItems()
{
    if (!Images())
        return;
    for (int i = 0; i < Images()->Count(); ++i)
        items_->Add()->SetImageIndex(i);
}

int TPlusImagePickerDropDown::GetSelectedImageIndex() const
{
    if (itemIndex_ < 0 || itemIndex_ >= items_->Count())
        return -1;
    return items_->GetItem(itemIndex_)->ImageIndex();
}

void TPlusImagePickerDropDown::SelectImageIndex(int AImageIndex)
{
    for (int i = 0; i < items_->Count(); ++i)
        if (items_->GetItem(i)->ImageIndex() == AImageIndex) {
            SetItemIndex(i);
            return;
        }
    SetItemIndex(-1);
}

// ---------------------------------------------------------------- keys and wheel

void TPlusImagePickerDropDown::SelectInList(int v)
{
    if (!itemSelector_ || v < 0 || v >= itemSelector_->Items()->Count())
        return;
    Internal([&] {
        itemSelector_->SetItemIndex(v);
        itemSelector_->ScrollIntoView(itemSelector_->ItemIndex());
    });
}

void TPlusImagePickerDropDown::SelectNext()
{
    TPlusCustomDropDown::SelectNext();
    if (!Enabled() || ReadOnly() || !itemSelector_)
        return;
    if (IsDroppedDown())
        itemSelector_->HotNext();
    else
        Internal([&] { itemSelector_->SelectNext(); });
}

void TPlusImagePickerDropDown::SelectPrevious()
{
    TPlusCustomDropDown::SelectPrevious();
    if (!Enabled() || ReadOnly() || !itemSelector_)
        return;
    if (IsDroppedDown())
        itemSelector_->HotPrevious();
    else
        Internal([&] { itemSelector_->SelectPrevious(); });
}

void TPlusImagePickerDropDown::ListKey(WORD key, bool picked)
{
    TPlusCustomItemSelector* s = itemSelector_;
    const bool open = IsDroppedDown();
    const int count = items_->Count();
    // the own list's stepping while the pop-up is closed
    auto step = [&](int delta) {
        if (count == 0)
            return;
        if (itemIndex_ < 0)
            SetItemIndex(0);
        else if (itemIndex_ + delta >= 0 && itemIndex_ + delta < count)
            SetItemIndex(itemIndex_ + delta);
    };
    switch (key) {
    case VK_RETURN:
        if (!picked && OnSelect)
            OnSelect(this);
        break;
    case VK_PRIOR:
    case VK_NEXT: {
        if (!s)
            break;
        if (s->Items()->Count() != count)
            LoadSelector();
        const int n = s->VisibleItemCount();
        if (n <= 0)
            break;
        if (key == VK_PRIOR)
            SelectInList(std::max(s->ItemIndex() - n, 0));
        else if (const int v = std::min(s->ItemIndex() + n, count - 1); v >= 0)
            SelectInList(v);
        break;
    }
    case VK_END:
        if (open && s)
            Internal([&] { s->SelectLast(); });
        else if (!open && count > 0)
            SetItemIndex(count - 1);
        break;
    case VK_HOME:
        if (open && s)
            Internal([&] { s->SelectFirst(); });
        else if (!open && count > 0)
            SetItemIndex(0);
        break;
    case VK_LEFT:
        if (open && s && !EditorEnabled())
            Internal([&] { s->SelectPrevious(); });
        break;
    case VK_RIGHT:
        if (open && s && !EditorEnabled())
            Internal([&] { s->SelectNext(); });
        break;
    case VK_UP:
        if (open && s)
            SelectInList(s->ItemIndex() < 0 ? 0 : s->ItemIndex() - Columns);
        else if (!open)
            step(-1);
        break;
    case VK_DOWN:
        if (open && s)
            SelectInList(s->ItemIndex() < 0 ? 0 : s->ItemIndex() + Columns);
        else if (!open)
            step(1);
        break;
    default:
        if (s && GetKeyState(VK_CONTROL) >= 0 && key >= 0x20 && key < 0x80) {
            const String& text = typeAhead_.Add(char(key));
            Internal([&] { s->SelectByText(text); });
        }
        break;
    }
}

void TPlusImagePickerDropDown::Dispatch(TMessage& m)
{
    if (m.Msg != WM_KEYDOWN) {
        TPlusCustomDropDown::Dispatch(m);
        return;
    }
    const WORD key = WORD(m.WParam);
    bool picked = false;
    if (key == VK_RETURN && Enabled() && IsDroppedDown() && itemSelector_ && itemSelector_->GetItemHot() >= 0) {
        itemSelector_->SetItemIndex(itemSelector_->GetItemHot());
        picked = true;
    }
    const auto life = Life();
    EditKeyDown(m);
    if (!*life || !Enabled() || GetKeyState(VK_MENU) < 0)
        return;
    ListKey(key, picked);
}

// ---------------------------------------------------------------- looks

void TPlusImagePickerDropDown::PaintWindow(HDC dc)
{
    TPlusCustomDropDown::PaintWindow(dc);
    DrawSelectedImage(dc);
}

void TPlusImagePickerDropDown::DrawSelectedImage(HDC dc)
{
    TCanvas c;
    c.SetHandle(dc);
    const TRect r = GetEditRect();
    if (OnDrawSelectedImage) {
        OnDrawSelectedImage(this, &c, r);
    } else if (itemIndex_ >= 0 && itemIndex_ < items_->Count()) {
        const TImageItem* item = items_->GetItem(itemIndex_);
        TPicture* picture = item->Image();
        if (picture->Graphic() && !picture->Graphic()->Empty()) {
            c.Draw(r.Left + (r.Width() - picture->Width()) / 2, r.Top + (r.Height() - picture->Height()) / 2,
                   picture->Graphic());
        } else if (Images() && item->ImageIndex() >= 0) {
            Images()->Draw(&c, r.Left + (r.Width() - Images()->Width()) / 2,
                           r.Top + (r.Height() - Images()->Height()) / 2, item->ImageIndex(), true);
        }
    }
    c.SetHandle(nullptr);
}

void TPlusImagePickerDropDown::SetSelectionColorStyle(uint8_t Style)
{
    TPlusCustomDropDown::SetSelectionColorStyle(Style);
    if (itemSelector_)
        itemSelector_->ItemAppearance()->SetColorStyle(Style);
}

void TPlusImagePickerDropDown::ApplyColorStyle(uint8_t Style)
{
    TPlusCustomDropDown::ApplyColorStyle(Style);
    ApplyItemAppearanceStyle(itemAppearance_.get(), Style);
}
