#include "components/dropdown/PlusPickerParts.h"

TTypeAhead::TTypeAhead(TComponent* owner) : timer_(new TTimer(owner))
{
    timer_->SetEnabled(false);
    timer_->SetInterval(500);
    timer_->SetOnTimer([this](TObject*) {
        timer_->SetEnabled(false);
        text_.clear();
    });
}

TTypeAhead::~TTypeAhead()
{
    // the timer goes with its owner, after this
    timer_->SetEnabled(false);
    timer_->SetOnTimer(nullptr);
}

const String& TTypeAhead::Add(char c)
{
    text_.push_back(c);
    timer_->SetEnabled(true);
    return text_;
}
