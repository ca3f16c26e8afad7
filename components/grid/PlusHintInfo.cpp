#include "components/grid/PlusHintInfo.h"

TPlusHintInfo::TPlusHintInfo() : picture_(std::make_unique<TGDIPPicture>()), notes_(std::make_unique<TStringList>())
{
}

void TPlusHintInfo::SetNotes(TStrings* Value)
{
    notes_->Clear();
    if (Value)
        notes_->AddStrings(*Value);
}

void TPlusHintInfo::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TPlusHintInfo*>(Source);
    if (!other)
        return;
    Title = other->Title;
    SetNotes(other->Notes());
    ShowHelp = other->ShowHelp;
    picture_->Assign(other->Picture());
    WideTitle = other->WideTitle;
    WideNotes = other->WideNotes;
}
