#pragma once
// Report blocks that the model kernel writes into a run's summary file "<RunID>.sum": a block
// N opens with a line whose first blank-separated fields are "*", "QUELM", "REPORT:", N.
#include "platform/rtl/SysUtils.h"

// True when the run's summary file exists and holds the opening line of "Project_Summary".
bool IsMorvaRun(int runId);
// The same for the current run of the data module's Runs table.
bool IsMorvaRun();
