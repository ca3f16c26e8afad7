#pragma once
// One run of the model kernel and the small readers of its files.
//
// The kernel "<exe folder>/Quelmmodel" is started as "<RunID>.qmi" in the work folder and
// waited for (RunAndWait); its outcome is read from "<RunID>.err" alone: no file means
// success, an empty file or one of exactly 12 lines an interruption from the keyboard, any
// other file a model error. The kernel's exit code is not used.
#include "platform/rtl/SysUtils.h"


enum TRunResultState { rsSucceeded = 0, rsModelError = 1, rsNotStarted = 2, rsInterrupted = 3 };

// The window of the kernel; passed unchanged to RunAndWait as its show mode.
enum TRunWindowMode { rwNormal = 0, rwMinimized = 1, rwHidden = 2 };

// inputFileName is the bare "<RunID>.qmi", relative to the work folder. A window mode
// outside 0..2 is refused by the launcher (Exception "hier").
TRunResultState RunKernel(const String& inputFileName, TRunWindowMode windowMode);

// The outcome that an error file at that path stands for (step 5 of a kernel run).
TRunResultState ClassifyErrorFile(const String& errorFilePath);

// Number of lines of a text file; a last line without an end counts. EInOutError when the
// file cannot be opened.
int CountLines(const String& filePath);

// The whole file with every line ended by CR LF and every character of code 128 or above
// removed. EInOutError when the file cannot be opened.
String ReadTextFile(const String& filePath);

// Appends the output variables named in the header line of a kernel output file (its first
// line that does not begin with "*": the words from the third on) to the check list's items,
// each with its check mark set to `checked`; the items it had stay. A missing file shows
// "Internal error: output file not found"; an empty line or the end of the file before the
// header adds nothing.
class TCheckListBox;
void LoadOutputHeaderItems(bool checked, const String& filePath, TCheckListBox* list);
