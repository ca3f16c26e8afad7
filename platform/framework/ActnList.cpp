#include "platform/framework/ActnList.h"

#include "platform/framework/Forms.h"

#include <algorithm>

TAction::TAction(TComponent* owner) : TComponent(owner)
{
    if (auto* list = dynamic_cast<TActionList*>(owner))
        SetActionList(list);
}

TAction::~TAction()
{
    // Links forget the action while it is still whole: the removal notices that follow reach
    // controls whose links must not call back into a half-destroyed action.
    for (TControlActionLink* link : std::vector<TControlActionLink*>(links_))
        link->SetAction(nullptr);
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

void TAction::SetCaption(const String& caption)
{
    for (TControlActionLink* link : std::vector<TControlActionLink*>(links_))
        link->SetCaption(caption);
    caption_ = caption;
    Changed();
}

void TAction::SetHint(const String& hint)
{
    for (TControlActionLink* link : std::vector<TControlActionLink*>(links_))
        link->SetHint(hint);
    hint_ = hint;
    Changed();
}

void TAction::SetGroupIndex(int value)
{
    if (value == groupIndex_)
        return;
    for (TControlActionLink* link : std::vector<TControlActionLink*>(links_))
        link->SetGroupIndex(value);
    groupIndex_ = value;
    Changed();
}

void TAction::AddLink(TControlActionLink* link)
{
    if (link && std::find(links_.begin(), links_.end(), link) == links_.end())
        links_.push_back(link);
}

void TAction::RemoveLink(TControlActionLink* link)
{
    std::erase(links_, link);
}
void TAction::SetShortCut(TShortCut shortCut) { shortCut_ = shortCut; Changed(); }

void TAction::SetEnabled(bool on)
{
    if (on == enabled_)
        return;
    for (TControlActionLink* link : std::vector<TControlActionLink*>(links_))
        link->SetEnabled(on);
    enabled_ = on;
    Changed();
}

void TAction::SetChecked(bool on)
{
    if (on == checked_)
        return;
    for (TControlActionLink* link : std::vector<TControlActionLink*>(links_))
        link->SetChecked(on);
    checked_ = on;
    Changed();
}

void TAction::SetVisible(bool on)
{
    if (on == visible_)
        return;
    for (TControlActionLink* link : std::vector<TControlActionLink*>(links_))
        link->SetVisible(on);
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

// ---------------------------------------------------------------- TControlActionLink

TControlActionLink::~TControlActionLink()
{
    SetAction(nullptr);
}

void TControlActionLink::SetAction(TAction* action)
{
    if (action_)
        action_->RemoveLink(this);
    action_ = action;
    if (action_)
        action_->AddLink(this);
}

void TControlActionLink::AssignClient(TObject* client)
{
    auto* control = dynamic_cast<TControl*>(client);
    if (!control)
        throw EConvertError("Invalid class typecast");
    client_ = control;
}

bool TControlActionLink::IsCaptionLinked() { return action_ && client_ && client_->Caption() == action_->Caption(); }
bool TControlActionLink::IsCheckedLinked() { return action_ != nullptr; }
bool TControlActionLink::IsEnabledLinked() { return action_ && client_ && client_->Enabled() == action_->Enabled(); }
bool TControlActionLink::IsVisibleLinked() { return action_ && client_ && client_->Visible() == action_->Visible(); }
bool TControlActionLink::IsHintLinked() { return action_ && client_ && client_->Hint() == action_->Hint(); }
bool TControlActionLink::IsGroupIndexLinked() { return action_ != nullptr; }

void TControlActionLink::SetCaption(const String& value)
{
    if (IsCaptionLinked())
        client_->SetCaption(value);
}

void TControlActionLink::SetChecked(bool) {}

void TControlActionLink::SetEnabled(bool value)
{
    if (IsEnabledLinked())
        client_->SetEnabled(value);
}

void TControlActionLink::SetVisible(bool value)
{
    if (IsVisibleLinked())
        client_->SetVisible(value);
}

void TControlActionLink::SetHint(const String& value)
{
    if (IsHintLinked())
        client_->SetHint(value);
}

void TControlActionLink::SetGroupIndex(int) {}

bool TControlActionLink::Execute()
{
    return action_ && action_->Execute();
}
