#include "platform/framework/Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    BeginDestroy();
    // Tell everyone who asked that this component goes away.
    const auto notifies = freeNotifies_;
    freeNotifies_.clear();
    for (TComponent* other : notifies) {
        other->RemoveFreeNotification(this);
        other->Notification(this, opRemove);
    }
    if (owner_)
        owner_->RemoveComponent(this);
}

void TComponent::BeginDestroy()
{
    if (HasState(csDestroying))
        return;
    state_ |= csDestroying;
    DestroyComponents();
}

void TComponent::SetName(const String& name)
{
    if (name == name_)
        return;
    if (owner_ && !name.empty()) {
        TComponent* other = owner_->FindComponent(name);
        if (other && other != this)
            throw EComponentError("A component named " + name + " already exists");
    }
    name_ = name;
}

int TComponent::ComponentIndex() const
{
    if (!owner_)
        return -1;
    const auto& list = owner_->components_;
    const auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

TComponent* TComponent::FindComponent(const String& name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->Name(), name))
            return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->owner_ == this)
        return;
    if (component->owner_)
        component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
    NotifyAll(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    const auto it = std::find(components_.begin(), components_.end(), component);
    if (it == components_.end())
        return;
    NotifyAll(component, opRemove);
    // NotifyAll may have run code that changed the list
    const auto again = std::find(components_.begin(), components_.end(), component);
    if (again != components_.end())
        components_.erase(again);
    component->owner_ = nullptr;
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* last = components_.back();
        components_.pop_back();
        last->owner_ = nullptr;
        Notification(last, opRemove);
        delete last;
    }
}

void TComponent::EndLoading()
{
    state_ &= ~unsigned(csLoading);
    Loaded();
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this)
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this) ==
        component->freeNotifies_.end())
        component->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component), freeNotifies_.end());
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    // An owned component that is removed also leaves the free-notification list.
    if (operation == opRemove && component)
        RemoveFreeNotification(component);
    for (TComponent* c : std::vector<TComponent*>(components_))
        if (c != component)
            c->Notification(component, operation);
}

void TComponent::NotifyAll(TComponent* component, TOperation operation)
{
    Notification(component, operation);
}
