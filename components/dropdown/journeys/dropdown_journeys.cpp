// The drop-down demo driven as a person drives it: the built program starts in a fresh home and
// a journey script presses keys on its shown form; the test reads what the form then shows.
#include "platform/testing/journey/JourneyRunner.h"

#include <gtest/gtest.h>

namespace {

// Alt+Down, Right and Return in one burst: the last two reach the form before the track bar's
// pop-up has the keyboard, and still move the slider one step and accept it (7 becomes 8).
TEST(DropDownDemoJourney, TrackBarTakesKeysTypedAheadOfItsPopup)
{
    journey::Journey run{DROPDOWN_DEMO_PROGRAM};
    const journey::JourneyResult result = run.Run(R"(
window ^Drop-down editors$
focus name=TrackBar
key Alt+Down Right Return
text name=Status is ^Track bar accepted: 8$
shot trackbar_burst
key Alt+Down Left Left Escape
text name=Status is ^Track bar cancelled, back to 8$
close
)");
    EXPECT_EQ(result.exitStatus, 0) << result.Describe();
    EXPECT_FALSE(result.driverFailed) << result.Describe();
}

// Alt+Down opens the date field's calendar; Right and Return there take the next day.
TEST(DropDownDemoJourney, DateFieldOpensItsCalendarOnAltDown)
{
    journey::Journey run{DROPDOWN_DEMO_PROGRAM};
    const journey::JourneyResult result = run.Run(R"(
window ^Drop-down editors$
focus name=DateTime
key Alt+Down
find class=QCalendarWidget
key Right Return
text name=DateTime is 11
close
)");
    EXPECT_EQ(result.exitStatus, 0) << result.Describe();
    EXPECT_FALSE(result.driverFailed) << result.Describe();
}

} // namespace
