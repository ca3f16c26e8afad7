// Axis ranges that break the transforms' invariants stop in a checking build: an empty range and
// a logarithmic range through zero.
#include "platform/rtl/Invariant.h"
#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/plot_settings.h"

#include <gtest/gtest.h>

namespace {

void LogFractionThroughZero()
{
    plotwell::plot_settings ps;
    (void)plotwell::log_fraction(ps, 1, 0, 10);
}

} // namespace

TEST(AxisInvariants, BrokenRangesStopTheTransforms)
{
    if (!QUELM_CHECKS_INVARIANTS)
        GTEST_SKIP() << "invariants are not checked in this build";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH((void)plotwell::linear_fraction(1, 5, 5), "Invariant broken: an axis range is finite and not empty");
    EXPECT_DEATH(LogFractionThroughZero(), "Invariant broken: a logarithmic axis range is positive, finite and not empty");
}
