#include "platform/framework/Component.h"

#include <gtest/gtest.h>

namespace {

struct Probe : TComponent {
    Probe(TComponent* owner, std::vector<String>* log, const String& name) : TComponent(owner), log_(log)
    {
        SetName(name);
    }
    ~Probe() override { log_->push_back("free " + Name()); }
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == opRemove)
            log_->push_back(Name() + " hears " + c->Name() + " removed");
    }
    void Loaded() override { log_->push_back(Name() + " loaded"); }
    std::vector<String>* log_;
};

} // namespace

TEST(Component, OwnerFreesOwnedComponentsLastFirst)
{
    std::vector<String> log;
    auto* owner = new Probe(nullptr, &log, "Owner");
    new Probe(owner, &log, "A");
    new Probe(owner, &log, "B");
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent("b")->Name(), "B");
    log.clear();
    delete owner;
    const auto freeA = std::find(log.begin(), log.end(), "free A");
    const auto freeB = std::find(log.begin(), log.end(), "free B");
    ASSERT_NE(freeA, log.end());
    ASSERT_NE(freeB, log.end());
    EXPECT_LT(freeB, freeA);
}

TEST(Component, FreedComponentLeavesOwnerAndNotifiesFollowers)
{
    std::vector<String> log;
    Probe owner(nullptr, &log, "Owner");
    auto* a = new Probe(&owner, &log, "A");
    Probe watcher(nullptr, &log, "Watcher");
    watcher.FreeNotification(a);
    delete a;
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_NE(std::find(log.begin(), log.end(), "Watcher hears A removed"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "Owner hears A removed"), log.end());
}

TEST(Component, NamesAreUniquePerOwnerAndLoadingEndsWithLoaded)
{
    std::vector<String> log;
    Probe owner(nullptr, &log, "Owner");
    auto* a = new Probe(&owner, &log, "Grid1");
    EXPECT_THROW(new Probe(&owner, &log, "GRID1"), EComponentError);
    EXPECT_EQ(owner.ComponentCount(), 1); // a refused component leaves its owner again
    a->BeginLoading();
    EXPECT_TRUE(a->HasState(csLoading));
    a->EndLoading();
    EXPECT_FALSE(a->HasState(csLoading));
    EXPECT_EQ(log.back(), "Grid1 loaded");
}
