#pragma once
// The shell's open action: ShellExecute hands a file to the program that opens it (a
// document goes to its associated program through Qt, a program file is started with the
// parameters in the folder without waiting). Tests install a TShellExecuteRecorder, which
// records every call and answers it instead of opening anything.
#include "platform/win/WinProcess.h"

#include <vector>

// Results of ShellExecute below 33 are errors.
constexpr intptr_t SE_ERR_FNF = 2;           // file not found
constexpr intptr_t SE_ERR_PNF = 3;           // folder not found
constexpr intptr_t SE_ERR_ACCESSDENIED = 5;
constexpr intptr_t SE_ERR_NOASSOC = 31;      // nothing opens this kind of file
constexpr intptr_t SHELL_EXECUTE_SUCCESS = 42; // any value above 32 means success

// verb: empty or "open" (the default action). parameters: the program's command-line
// arguments (ignored for documents). directory: the working folder (empty: the caller's).
intptr_t ShellExecute(HWND parent, const String& verb, const String& file, const String& parameters,
                      const String& directory, int showCommand);

struct TShellExecuteCall {
    String Verb;
    String File;
    String Parameters;
    String Directory;
    int ShowCommand = 0;
};

// Installed for its lifetime (the newest one wins).
class TShellExecuteRecorder {
public:
    explicit TShellExecuteRecorder(intptr_t result = SHELL_EXECUTE_SUCCESS);
    ~TShellExecuteRecorder();
    TShellExecuteRecorder(const TShellExecuteRecorder&) = delete;
    TShellExecuteRecorder& operator=(const TShellExecuteRecorder&) = delete;

    const std::vector<TShellExecuteCall>& Calls() const { return calls_; }
    intptr_t Result; // what every recorded call returns

    intptr_t Handle(const TShellExecuteCall& call); // used by ShellExecute

private:
    std::vector<TShellExecuteCall> calls_;
    TShellExecuteRecorder* previous_ = nullptr;
};
