#include "ActnList.h"

#include "Forms.h"

#include <algorithm>

TAction::TAction(TComponent* owner) : TComponent(owner)
{
    if (auto* list = dynamic_cast<TActionList*>(owner))
        SetActionList(list);
}

TAction::~TAction()
{
    SetActionList(nullptr);
}

void TAction::SetActionList(TActionList* list)
{
    if (list_)
        std::erase(list_->actions_, this);
    list_ = list;
    if (list_)
        list_->actions_.push_back(this);
}

void TAction::SetCaption(const String& caption) { caption_ = caption; Changed(); }
void TAction::SetHint(const String& hint) { hint_ = hint; Changed(); }
void TAction::SetShortCut(TShortCut shortCut) { shortCut_ = shortCut; Changed(); }

void TAction::SetEnabled(bool on)
{
    if (on == enabled_)
        return;
    enabled_ = on;
    Changed();
}

void TAction::SetChecked(bool on)
{
    if (on == checked_)
        return;
    checked_ = on;
    Changed();
}

void TAction::SetVisible(bool on)
{
    if (on == visible_)
        return;
    visible_ = on;
    Changed();
}

void TAction::Changed()
{
    for (TMenuItem* item : items_) {
        item->SetCaption(caption_);
        item->SetEnabled(enabled_);
        item->SetChecked(checked_);
        item->SetVisible(visible_);
        item->SetShortCut(shortCut_);
        item->Hint = hint_;
    }
    for (TControl* control : controls_) {
        control->SetCaption(caption_);
        control->SetEnabled(enabled_);
        control->SetVisible(visible_);
        control->SetHint(hint_);
    }
}

bool TAction::Execute()
{
    if (!enabled_ || (list_ && !list_->State))
        return false;
    if (list_ && list_->OnExecute) {
        bool handled = false;
        list_->OnExecute(this, handled);
        if (handled)
            return true;
    }
    if (!OnExecute)
        return false;
    OnExecute(this);
    return true;
}

bool TAction::Update()
{
    if (!OnUpdate)
        return false;
    OnUpdate(this);
    return true;
}

void TAction::Link(TMenuItem* item)
{
    items_.push_back(item);
    item->OnClick = [this](TObject*) { Execute(); };
    Changed();
}

void TAction::Link(TControl* control)
{
    controls_.push_back(control);
    control->OnClick = [this](TObject*) { Execute(); };
    Changed();
}

void TAction::Unlink(const TObject* client)
{
    std::erase_if(items_, [client](TMenuItem* i) { return i == client; });
    std::erase_if(controls_, [client](TControl* c) { return c == client; });
}

TActionList::TActionList(TComponent* owner) : TComponent(owner)
{
    Application->AddIdleHandler(this, [this] { UpdateActions(); });
}

TActionList::~TActionList()
{
    Application->RemoveIdleHandler(this);
    for (TAction* action : actions_)
        action->list_ = nullptr;
}

void TActionList::UpdateActions()
{
    if (!State)
        return;
    const auto actions = actions_;
    for (TAction* action : actions) {
        bool handled = false;
        if (OnUpdate)
            OnUpdate(action, handled);
        if (!handled)
            action->Update();
    }
}
