#pragma once
// A non-editable drop-down whose value is one of its image items: the edit shows the chosen
// item's picture (or image-list image) centred; the pop-up shows all items with their captions
// in Columns columns. Keys and the wheel step through the list, and keys typed in quick
// succession (500 ms from the first) select the first item whose caption starts with them.
#include "components/dropdown/PlusDropDown.h"
#include "components/dropdown/PlusPickerParts.h"

#include "platform/framework/ExtCtrls.h"

using TOnDrawSelectedItem = std::function<void(TObject* Sender, TCanvas* Canvas, TRect R)>;

class TImageItem : public TPickerItem {
public:
    explicit TImageItem(TCollection* c) : TPickerItem(c) {}
    String ClassName() const override { return "TImageItem"; }
    void Assign(TPersistent* Source) override;
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v) { Store(imageIndex_, v); }
    TPicture* Image() const { return image_.get(); }
    void SetImage(TPicture* p) { image_->Assign(p); }
    String Hint;

private:
    int imageIndex_ = -1;
    std::unique_ptr<TPicture> image_ = std::make_unique<TPicture>();
};

class TImageItems : public TCollection {
public:
    explicit TImageItems(TPersistent* owner) : TCollection(ItemClassOf<TImageItem>()), owner_(owner) {}
    TImageItem* Add() { return static_cast<TImageItem*>(TCollection::Add()); }
    TImageItem* GetItem(int i) const { return static_cast<TImageItem*>(TCollection::Items(i)); }
    TImageItem* Items(int i) const { return GetItem(i); }
    TPersistent* Owner() const override { return owner_; }

private:
    TPersistent* owner_;
};

class TPlusImagePickerDropDown : public TPlusCustomDropDown {
public:
    explicit TPlusImagePickerDropDown(TComponent* AOwner);
    ~TPlusImagePickerDropDown() override;
    String ClassName() const override { return "TPlusImagePickerDropDown"; }

    TImageItems* Items() const { return items_.get(); }
    void SetItems(TImageItems* v) { items_->Assign(v); }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int Value);
    int Columns = 1;
    TItemLayout Layout = ilCaptionRight;
    TItemAppearance* ItemAppearance() const { return itemAppearance_.get(); }
    TNotifyEvent OnSelect;
    TOnDrawSelectedItem OnDrawSelectedImage;
    TDrawItemEvent OnDrawItem;

    // One item per image of Images, after the items there are.
    void AddImageListItems();
    // -1 without a chosen item, else the chosen item's ImageIndex.
    int GetSelectedImageIndex() const;
    // Chooses the first item showing that image, or none.
    void SelectImageIndex(int AImageIndex);

    TPlusCustomItemSelector* ItemSelector() const { return itemSelector_; }
    String SearchText() const { return typeAhead_.Text(); }

    void HideDropDown(bool Cancel) override;
    void SetSelectionColorStyle(uint8_t Style) override;
    void ApplyColorStyle(uint8_t Style) override;

protected:
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void AdaptDropDownSize() override;
    void SelectNext() override;
    void SelectPrevious() override;
    void PaintWindow(HDC dc) override;
    void Dispatch(TMessage& m) override;

private:
    void LoadSelector();
    void SelectorItemSelected();
    void SelectInList(int v);
    void ListKey(WORD key, bool picked);
    void DrawSelectedImage(HDC dc);
    template <class F> void Internal(F f)
    {
        internalSelect_ = true;
        f();
        internalSelect_ = false;
    }

    std::unique_ptr<TImageItems> items_;
    std::unique_ptr<TItemAppearance> itemAppearance_;
    int itemIndex_ = -1, oldItemIndex_ = -1;
    TPlusCustomItemSelector* itemSelector_ = nullptr;
    TTypeAhead typeAhead_{this};
    bool internalSelect_ = false;
};
