#pragma once
// The contents of an Office-style hint of a grid cell: a title, note lines, a picture and a
// help flag. Data only; the string grid's hint window shows it.
#include "components/grid/GDIPicture.h"

#include "platform/framework/Component.h"
#include "platform/rtl/Classes.h"

#include <memory>

class TPlusHintInfo : public TPersistent {
public:
    TPlusHintInfo();
    String ClassName() const override { return "TPlusHintInfo"; }
    // Only a TPlusHintInfo source is taken; anything else leaves every field as it was.
    void Assign(TPersistent* Source) override;

    TGDIPPicture* Picture() const { return picture_.get(); }
    void SetPicture(TGDIPPicture* Value) { picture_->Assign(Value); }
    TStrings* Notes() const { return notes_.get(); }
    // Copies the lines; the list passed in stays the caller's.
    void SetNotes(TStrings* Value);
    bool ShowHelp = false;
    String Title;
    WideString WideTitle;
    WideString WideNotes;

private:
    std::unique_ptr<TGDIPPicture> picture_;
    std::unique_ptr<TStringList> notes_;
};
