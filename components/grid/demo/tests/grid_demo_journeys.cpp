// grid_demo driven as a person drives it on their own CSV file: the built program starts in a
// fresh home, a journey script clicks the header and the filter list and presses the clipboard
// keys, and the test waits for what the window's status line says.
#include "platform/testing/journey/JourneyRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// 6,000 data rows: Id counts down from 16000, Kind is k0..k6 by the row, Note is empty. A file
// this long keeps the default column widths (64 pixels, the row numbers' column 48), so the
// script knows where the headers and their filter buttons are.
fs::path WriteFields(const fs::path& folder)
{
    const fs::path file = folder / "fields.csv";
    std::ofstream out(file);
    out << "Id,Kind,Note\n";
    for (int i = 0; i < 6000; ++i)
        out << (16000 - i) << ",k" << (i % 7) << ",\n";
    return file;
}

TEST(GridDemoJourney, SortByHeaderFilterFromTheListThenCopyAndPasteACell)
{
    journey::Journey run{GRID_DEMO_PROGRAM};
    const fs::path csv = WriteFields(run.Temp());
    // the headers: Id from x 49 to 112 (its filter button 97..109), Kind from 114 to 177 (button
    // 162..174); the header row is 22 pixels high
    const journey::JourneyResult result = run.Run(R"(
window ^String grid: .*fields\.csv
text name=Status is ^Rows shown: 6000 of 6000; cell 1,1: 16000$
# a click on the Id header sorts by it: the smallest Id comes first
click name=Grid at 70,10
text name=Status is ^Rows shown: 6000 of 6000; cell 1,1: 10001$
shot sorted
# the Kind header's button opens its list: (All), k0, k1, k2, k3...; k3 is picked with Return
click name=Grid at 168,10
find class=QListWidget
key Down Down Down Down Return
text name=Status is ^Rows shown: 857 of 6000; cell 1,1: 10005$
shot filtered
# the Id goes to the clipboard and comes back two columns to the right
key Ctrl+C Right Right Ctrl+V
text name=Status is ^Rows shown: 857 of 6000; cell 3,1: 10005$
close
)",
                                                  {csv.string()});
    EXPECT_EQ(result.exitStatus, 0) << result.Describe();
    EXPECT_FALSE(result.driverFailed) << result.Describe();
}

// The sample grid with rows hidden, grouped by region, every group closed and opened again,
// ungrouped and all rows shown, with the demo's buttons; the program then closes normally.
TEST(GridDemoJourney, GroupsAndUngroupsWhileRowsAreHidden)
{
    journey::Journey run{GRID_DEMO_PROGRAM};
    const journey::JourneyResult result = run.Run(R"(
window ^String grid
click class=QAbstractButton text=^Hide rows 3-5$
shot hidden
click class=QAbstractButton text=^Group by region$
shot grouped
click class=QAbstractButton text=^Contract groups$
shot contracted
click class=QAbstractButton text=^Expand groups$
shot expanded
click class=QAbstractButton text=^Ungroup$
shot ungrouped
click class=QAbstractButton text=^Show all rows$
shot shown
close
)");
    EXPECT_EQ(result.exitStatus, 0) << result.Describe();
    EXPECT_FALSE(result.driverFailed) << result.Describe();
}

} // namespace
