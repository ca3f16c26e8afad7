// The invariant check: in a checking build a broken invariant stops the program with its words,
// its condition and its place; in the release build the condition is not even evaluated.
#include "platform/rtl/Invariant.h"

#include <gtest/gtest.h>

TEST(Invariant, BrokenInvariantAbortsWithItsWords)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(InvariantBroken("the list is sorted", "a <= b", "List.cpp", 12),
                 "Invariant broken: the list is sorted\n  condition: a <= b\n  at List.cpp:12");
}

TEST(Invariant, MacroChecksOnlyInCheckingBuilds)
{
    int evaluated = 0;
    QUELM_INVARIANT(++evaluated > 0, "a kept invariant passes");
    EXPECT_EQ(evaluated, QUELM_CHECKS_INVARIANTS ? 1 : 0);
    if (!QUELM_CHECKS_INVARIANTS)
        GTEST_SKIP() << "invariants are not checked in this build";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const int count = 3;
    EXPECT_DEATH(QUELM_INVARIANT(count < 2, "fewer than two items"),
                 "Invariant broken: fewer than two items\n  condition: count < 2\n  at .*test_invariant.cpp");
}
