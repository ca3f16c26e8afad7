#pragma once
// The reader's error class and the calls that hand a file or program to the shell.
#include "platform/rtl/SysUtils.h"

class EDxError : public Exception {
public:
    using Exception::Exception;
};

// The shell's default action on the file, with the parameters, working folder and show
// command (SW_SHOWNORMAL...). Returns the shell's result code: above 32 means success.
int ShellExecuteFile(const String& file, const String& parameters, const String& folder, int showCommand);

// Opens a file given with its folder through the shell, working in folder (the file's own
// folder when empty). True when the shell's result code is above 32.
bool ExecuteFileInItsFolder(const String& file, const String& parameters, const String& folder);

// Removes one trailing path delimiter.
void RemoveTrailingBackslash(String& path);
