#pragma once
// Report blocks that the model kernel writes into a run's summary file "<RunID>.sum": a block
// N opens with a line whose first blank-separated fields are "*", "QUELM", "REPORT:", N and
// closes with a line whose first fields are "*", "End", "of", "QUELM", "REPORT:", N.
//
// The report of a run calculated as a MORVA run (one whose summary file holds the block
// "Project_Summary") is its "Header" and "Leaching" blocks, marker lines included, copied line
// by line into an HTML page that keeps the kernel's fixed-width layout.
#include "platform/rtl/SysUtils.h"

#include <vector>

// True when the run's summary file exists and holds the opening line of "Project_Summary".
bool IsMorvaRun(int runId);
// The same for the current run of the data module's Runs table.
bool IsMorvaRun();

// The lines of the run's report: the Header block, two empty lines, then the Leaching block.
// Exception "Internal error: run is not a MORVA run." or "The report header was not found.";
// a missing Leaching block is said in an error message and the report holds the Header only.
std::vector<String> RunReportLines(int runId);
// Writes the report of the run as "RAVUZAVEDEReport.htm" in the temporary folder and opens
// it; the exceptions of RunReportLines reach the caller. The screen's cursor is the hour-glass
// meanwhile and the one before afterwards, also after an error.
void ShowRunReport(int runId);
// The same for the current run of the data module's Runs table.
void ShowRunReport();
