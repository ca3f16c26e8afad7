// Axis ranges that break the transforms' invariants stop in a checking build: an empty range,
// a logarithmic range through zero, and a range so wide that its width overflows (which would
// otherwise keep the rounding loop going for ever).
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

void RoundOverflowingRange()
{
    double lo = 0, hi = 0;
    (void)plotwell::round_axis_range(-1e308, 1e308, lo, hi, 1);
}

} // namespace

TEST(AxisInvariants, BrokenRangesStopTheTransforms)
{
    if (!QUELM_CHECKS_INVARIANTS)
        GTEST_SKIP() << "invariants are not checked in this build";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH((void)plotwell::linear_fraction(1, 5, 5), "Invariant broken: an axis range is finite and not empty");
    EXPECT_DEATH(LogFractionThroughZero(), "Invariant broken: a logarithmic axis range is positive, finite and not empty");
    EXPECT_DEATH(RoundOverflowingRange(), "Invariant broken: a range to round is finite, and so is its width");
}
