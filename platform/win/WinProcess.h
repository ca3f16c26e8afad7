#pragma once
// Processes of the Windows API subset: CreateProcess with a command line, a current
// folder, a show mode and a priority class; waiting on the process handle with a
// time-out; its exit code; closing handles.
//
// Linux decisions: the command line is split as the Windows start-up code splits it
// (blanks separate, double quotes group, backslashes escape only before a quote) and the
// first word is the program, looked up relative to the caller's folder or on PATH. The
// idle priority class is nice 19. The show mode is accepted and kept but has no effect: the
// programs started this way show no window of their own. Handles that are closed before
// their process ends do not leave zombies behind: such processes are reaped later.
#include "platform/win/WinDef.h"
#include "platform/rtl/System.h"

#include <vector>

using HANDLE = void*;

constexpr DWORD STARTF_USESHOWWINDOW = 0x1;

// Priority classes (creation flags)
constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;
constexpr DWORD IDLE_PRIORITY_CLASS = 0x40;
constexpr DWORD BELOW_NORMAL_PRIORITY_CLASS = 0x4000;

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD STILL_ACTIVE = 259;

// GetLastError codes of these calls
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_BAD_FORMAT = 11;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_DIRECTORY = 267;

struct STARTUPINFO {
    DWORD cb = sizeof(STARTUPINFO);
    DWORD dwFlags = 0;
    WORD wShowWindow = SW_SHOWNORMAL;
};

struct PROCESS_INFORMATION {
    HANDLE hProcess = nullptr;
    HANDLE hThread = nullptr;
    DWORD dwProcessId = 0;
    DWORD dwThreadId = 0;
};

// Starts the program named by the first word of the command line (or by applicationName
// when not empty) with the remaining words as its arguments, in currentDirectory (the
// caller's folder when empty), with the caller's environment. False when the program
// cannot be started (missing, not executable, bad folder); GetLastError tells why.
BOOL CreateProcess(const String& applicationName, const String& commandLine, BOOL inheritHandles,
                   DWORD creationFlags, const String& currentDirectory, const STARTUPINFO& startupInfo,
                   PROCESS_INFORMATION& processInformation);

// WAIT_OBJECT_0 when the process has ended, WAIT_TIMEOUT when it still runs after the
// time-out (milliseconds, INFINITE to wait without limit), WAIT_FAILED for a bad handle.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// STILL_ACTIVE while the process runs; its exit status afterwards (128 + signal when a
// signal ended it).
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode);
BOOL CloseHandle(HANDLE handle);
DWORD GetLastError();

// The words of a command line, split by the rules of the Windows start-up code.
std::vector<String> CommandLineToArgs(const String& commandLine);
