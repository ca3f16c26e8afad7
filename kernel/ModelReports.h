#pragma once
// One run of the stand-in kernel from its input file to its output files, and the files it
// leaves in the work folder:
//   <RunID>.err  absent after success; the error listing after a faulty input; empty or of
//                exactly 12 lines after an interruption (the GUI tells these apart by that);
//   <RunID>.out  comment lines ("*"), one header line (two words, then the output depths),
//                then the rows of every print variable that is on and the profile rows;
//   <RunID>.sum  a summary, with the report blocks "Project_Summary", "Header" and
//                "Leaching" for restricted runs;
//   <RunID>.log  the course of the run.
#include "kernel/ModelSimulation.h"

#include <csignal>

namespace quelmmodel {

// How a run ended; the process's exit code.
enum RunOutcome { roSucceeded = 0, roModelError = 1, roInterrupted = 3 };

struct RunOptions {
    // Set asynchronously (SIGINT); polled once a simulated day and while waiting.
    volatile std::sig_atomic_t* interrupted = nullptr;
    int delayMilliseconds = 0; // spread over the run, to make it slow on purpose
    String failMode;           // "", "error", "interrupt", "interrupt-empty", "silent"
};

// Runs the input file given on the command line ("<RunID>.qmi", relative to the current
// folder or with a folder); every output goes beside it.
RunOutcome RunModel(const String& inputPath, const RunOptions& options);

// The error listing; never exactly 12 lines, which would read as an interruption.
void WriteErrorListing(const String& path, const String& runId, const std::vector<String>& lines);
// The listing of an interrupted run: exactly 12 lines, or an empty file.
void WriteInterruptedListing(const String& path, const String& runId, bool empty);

String FormatValue(double value, char kind, int width, int digits);

} // namespace quelmmodel
