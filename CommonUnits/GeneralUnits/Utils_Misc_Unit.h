#pragma once
// Starting other programs (with the command kept in run.sh for the user), the file viewer
// call, and plotwell.ini, through which quelmgui tells plotwell where its settings live.
#include "platform/rtl/SysUtils.h"

// Show modes of RunAndWait and RunNoWait: 0 normal, 1 minimised, 2 hidden. Any other value
// raises Exception "hier" before anything is written or started.
//
// Both write "run.sh" into the folder (a "#!/bin/sh" script holding the command line: the
// program path in double quotes, a blank, the arguments; RunNoWait adds a line that waits
// for Enter) and start the program at idle priority in the folder. A folder where run.sh
// cannot be written raises EInOutError and nothing starts. A program that cannot be
// started gives false.
//
// RunAndWait waits for the process, polling it every RunAndWaitPollPeriod milliseconds
// with the hour-glass cursor up and processing the pending window messages between polls;
// the cursor stays the hour-glass afterwards. The process's exit code is kept
// (LastRunExitCode) and logged.
bool RunAndWait(const String& program, const String& arguments, const String& folder, int showMode);
bool RunNoWait(const String& program, const String& arguments, const String& folder, int showMode);

// Exit code of the last process that RunAndWait saw end; -1 when the last one did not start.
int LastRunExitCode();
unsigned RunAndWaitPollPeriod();
void SetRunAndWaitPollPeriod(unsigned milliseconds); // 100 unless a test changes it

// Shows the text file modally in a new file viewer, which is freed afterwards.
void ShowFileInViewer(const String& filePath);

// Keeps the first line of plotwell.ini in the Windows folder equal to plotwell's folder
// (compared without regard to letter case). When it differs the file is rewritten with
// that one line; a failure to write shows an error box and start-up goes on. A failure to
// read the existing file is raised.
void SyncPlotIniFile();
