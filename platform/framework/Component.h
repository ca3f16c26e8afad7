#pragma once
// TComponent: the framework's owned, named component. An owner frees the components it owns
// when it is freed; a component freed earlier leaves its owner's list first. Components that
// asked for it (FreeNotification) hear of each other's removal through Notification.
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

#include <functional>
#include <vector>

class TComponent;

enum TOperation { opInsert, opRemove };

// Component state flags (a set of bits).
enum TComponentStateFlag : unsigned {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
    csUpdating = 1u << 5,
};

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    String ClassName() const override { return "TComponent"; }
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const String& Name() const { return name_; }
    // Names are unique among the components of one owner (case-blind); a clash raises
    // EComponentError "A component named <name> already exists".
    virtual void SetName(const String& name);

    int ComponentCount() const { return int(components_.size()); }
    TComponent* Components(int index) const { return components_.at(size_t(index)); }
    int ComponentIndex() const;
    TComponent* FindComponent(const String& name) const;

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Frees every owned component, last inserted first.
    void DestroyComponents();

    unsigned ComponentState() const { return state_; }
    bool HasState(unsigned flag) const { return (state_ & flag) != 0; }

    // Loading protocol: between BeginLoading and EndLoading the component is csLoading;
    // EndLoading clears it and calls Loaded, where a component applies what it read.
    void BeginLoading() { state_ |= csLoading; }
    void EndLoading();

    // Called once the most derived constructor is done (by Application->CreateForm and the
    // New<T> factory); forms fire OnCreate here.
    virtual void AfterConstruction() {}

    // Ask to be told (Notification opRemove) when `component` is freed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    int Tag = 0;

protected:
    virtual void Loaded() {}
    virtual void Notification(TComponent* component, TOperation operation);
    void SetDesigning(bool on) { state_ = on ? (state_ | csDesigning) : (state_ & ~csDesigning); }
    // Derived destructors call this first so that the components they own are freed while
    // the owner is still whole.
    void BeginDestroy();

private:
    void NotifyAll(TComponent* component, TOperation operation);

    TComponent* owner_ = nullptr;
    String name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    unsigned state_ = 0;
};

QUELM_DECLARE_EXCEPTION(EComponentError, Exception)

// Creates a component and runs its AfterConstruction, as the framework's constructors do.
template <class T, class... Args>
T* New(Args&&... args)
{
    T* object = new T(std::forward<Args>(args)...);
    object->AfterConstruction();
    return object;
}
