#pragma once
// An edit with a pop-up list of detail items: each item has a caption, a picture or an image
// of the image list, and notes in mini-HTML drawn in a second font below the caption. The edit
// shows the chosen item's caption; typing completes the text from the captions, and keys typed
// in quick succession (500 ms from the first) select the first item whose caption starts with
// them. While the list is open, the keys and the wheel take each stepped item at once.
#include "components/dropdown/PlusDropDown.h"
#include "components/dropdown/PlusPickerParts.h"

#include "platform/framework/ExtCtrls.h"

using TOnDrawSelectedItem = std::function<void(TObject* Sender, TCanvas* Canvas, TRect R)>;

class TDetailItem : public TPickerItem {
public:
    explicit TDetailItem(TCollection* c) : TPickerItem(c) {}
    String ClassName() const override { return "TDetailItem"; }
    void Assign(TPersistent* Source) override;
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v) { Store(imageIndex_, v); }
    TPicture* Image() const { return image_.get(); }
    void SetImage(TPicture* p) { image_->Assign(p); }
    String Notes;

private:
    int imageIndex_ = -1;
    std::unique_ptr<TPicture> image_ = std::make_unique<TPicture>();
};

class TDetailItems : public TCollection {
public:
    explicit TDetailItems(TPersistent* owner) : TCollection(ItemClassOf<TDetailItem>()), owner_(owner) {}
    TDetailItem* Add() { return static_cast<TDetailItem*>(TCollection::Add()); }
    TDetailItem* Items(int i) const { return static_cast<TDetailItem*>(TCollection::Items(i)); }
    TPersistent* Owner() const override { return owner_; }
    // The first item whose caption equals Text exactly, or -1.
    int IndexOfCaption(const String& Text) const;

private:
    TPersistent* owner_;
};

class TPlusDetailDropDown : public TPlusCustomDropDown {
public:
    explicit TPlusDetailDropDown(TComponent* AOwner);
    ~TPlusDetailDropDown() override;
    String ClassName() const override { return "TPlusDetailDropDown"; }

    TDetailItems* Items() const { return items_.get(); }
    void SetItems(TDetailItems* v) { items_->Assign(v); }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int Value);
    int ItemHeight = 22;
    TItemLayout Layout = ilCaptionRight;
    TItemAppearance* ItemAppearance() const { return itemAppearance_.get(); }
    TFont* CaptionFont() const { return captionFont_.get(); }
    TFont* NotesFont() const { return notesFont_.get(); }
    bool AutoCompleting() const { return autoCompleting_; }
    TNotifyEvent OnSelect;
    TOnDrawSelectedItem OnDrawSelectedImage;

    TPlusCustomItemSelector* ItemSelector() const { return itemSelector_; }
    String SearchText() const { return typeAhead_.Text(); }

    void ShowDropDown() override;
    void HideDropDown(bool Cancel) override;
    void DropDownFormShown() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;
    void SetSelectionColorStyle(uint8_t Style) override;
    void ApplyColorStyle(uint8_t Style) override;

protected:
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void AdaptDropDownSize() override;
    void SelectNext() override;
    void SelectPrevious() override;
    void Change() override;
    void Dispatch(TMessage& m) override;

private:
    void LoadSelector();
    void DrawDetailItem(TCanvas* Canvas, TRect R, int Index);
    void DetailItemSize(TSize& Size);
    void SelectorItemSelected();
    void SelectInList(int v);
    void SelectFirstItem();
    void SelectLastItem();
    void SelectNextItem();
    void SelectPreviousItem();
    bool ListKey(WORD key);
    template <class F> void Internal(F f)
    {
        internalSelect_ = true;
        f();
        internalSelect_ = false;
    }

    std::unique_ptr<TDetailItems> items_;
    std::unique_ptr<TItemAppearance> itemAppearance_;
    std::unique_ptr<TFont> captionFont_, notesFont_;
    int itemIndex_ = -1, oldItemIndex_ = -1;
    TPlusCustomItemSelector* itemSelector_ = nullptr;
    TTypeAhead typeAhead_{this};
    bool internalSelect_ = false;
    bool autoCompleting_ = true;
    bool completionPending_ = false;
    int completedIndex_ = -1, completedLength_ = 0;
};
