#pragma once
// Folders from the registry and the open database, and the names of the per-run files.
//
// Every per-run file is named by the run's integer key (RunID) and lies in the work
// folder: the open database's path without its extension. The names have one spelling with
// lower-case extensions (.qmi .out .sum .log .err .bot), shared with the model kernel. The
// temporary folder is the run-time library's GetTempDir ($TMP, $TEMP, $TMPDIR, /tmp).
#include "platform/rtl/FileUtils.h"

#include <functional>

String GetInstallDir();   // install folder, with a trailing delimiter
String GetUpdatesDir();   // GetInstallDir + "Updates/"
String GetPlotwellDir();  // plotwell's folder, with a trailing delimiter
String GetExeDir();       // folder of quelmgui's program file, without a trailing delimiter
String GetKernelExeName();
String GetRowsiftExeName();
// The open database's path without its extension and without a trailing delimiter; the
// folder is made (one level) when missing, ignoring failure.
String GetWorkDir();
// The database file name without folder, cut at its last '.'.
String GetDatabaseName();

// Where GetWorkDir and GetDatabaseName find the path of the open database file. The data
// module installs its DatabaseFileName here when it is created; tests install a fixed path.
using TDatabaseFileNameSource = std::function<String()>;
void SetDatabaseFileNameSource(TDatabaseFileNameSource source);

String InputFileName(int runId);    // "<RunID>.qmi"
String InputFilePath(int runId);
String OutputFileName(int runId);   // "<RunID>.out"
String OutputFilePath(int runId);
String SummaryFileName(int runId);  // "<RunID>.sum"
String SummaryFilePath(int runId);
String LogFilePath(int runId);      // "<RunID>.log"
String LogFilePathUpperExt(int runId); // the same file as LogFilePath
String ErrorFilePath(int runId);    // "<RunID>.err"
bool OutputFileExists(int runId);
bool SummaryFileExists(int runId);
bool ErrorFileExists(int runId);
bool LogFileExists(int runId);

// Deletes the run's .out, .sum and .log; missing files are ignored.
void DeleteRunOutputFiles(int runId);
// Deletes every "<RunID>.*" in the work folder.
void DeleteAllRunFiles(int runId);
// Deletes every plain, not hidden file of the folder whose name matches the mask
// (wildcards '*' and '?', letter case ignored), ignoring failures; returns how many matched.
int DeleteFilesByMask(const String& folder, const String& mask);

// The folder with a trailing delimiter added when missing, then the name.
String JoinPath(const String& folder, const String& name);
// Cuts the text at its last '.'; unchanged without one.
void RemoveExtension(String& text);
