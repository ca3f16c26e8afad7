// A device context whose mapping broke (a zero extent or an unknown map mode set behind the
// mapping calls' back) stops at its next coordinate conversion in a checking build, instead of
// dividing by zero.
#include "platform/rtl/Invariant.h"
#include "platform/win/WinGdi.h"

#include <gtest/gtest.h>

namespace {

void ConvertWithZeroWindowExtent()
{
    DeviceContext dc(16, 16);
    SetMapMode(&dc, MM_ANISOTROPIC);
    dc.windowExt.cx = 0;
    (void)dc.ToDevice(1, 1);
}

void ScaleWithUnknownMapMode()
{
    DeviceContext dc(16, 16);
    dc.mapMode = 99;
    (void)dc.ScaleX(4);
}

} // namespace

TEST(InvariantMapping, BrokenMappingStopsTheNextConversion)
{
    if (!QUELM_CHECKS_INVARIANTS)
        GTEST_SKIP() << "invariants are not checked in this build";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(ConvertWithZeroWindowExtent(), "Invariant broken: no window or viewport extent is zero");
    EXPECT_DEATH(ScaleWithUnknownMapMode(), "Invariant broken: the map mode is one of MM_TEXT .. MM_ANISOTROPIC");
}
