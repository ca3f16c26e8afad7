#pragma once
// What the detail, image and colour pickers share: their items' caption and the storing of an
// item's properties, and the type-ahead that gathers typed characters into a search text.
#include "platform/framework/ExtCtrls.h"
#include "platform/rtl/Classes.h"

// An item of a picker: a property stored through Store tells the collection only when its
// value really changed.
class TPickerItem : public TCollectionItem {
public:
    explicit TPickerItem(TCollection* c) : TCollectionItem(c) {}
    String Caption() const { return caption_; }
    void SetCaption(const String& v) { Store(caption_, v); }

protected:
    template <class T>
    void Store(T& field, const T& value)
    {
        if (value != field) {
            field = value;
            Changed(false);
        }
    }
    String caption_;
};

// Characters typed within 500 ms of the first one of a burst search together: the search text
// is forgotten when the 500 ms timer (a component of the picker) ticks.
class TTypeAhead {
public:
    explicit TTypeAhead(TComponent* owner);
    ~TTypeAhead();
    TTypeAhead(const TTypeAhead&) = delete;
    TTypeAhead& operator=(const TTypeAhead&) = delete;
    // Adds a typed character and gives the search text so far.
    const String& Add(char c);
    const String& Text() const { return text_; }

private:
    TTimer* timer_;
    String text_;
};
