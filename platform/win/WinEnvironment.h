#pragma once
// Environment, program file and well-known folders of the Windows API subset, with the
// Linux decisions made once: the program file is the running executable, the "Windows
// folder" is $QUELM_WINDIR (else $XDG_CONFIG_HOME/quelm/), and program names lose the
// ".exe" of the system's own spelling.
#include "platform/win/WinDef.h"
#include "platform/rtl/System.h"

#include <optional>

// The value of an environment variable; nothing when it is not set.
std::optional<String> GetEnvironmentVariable(const String& name);

// Replaces every %NAME% reference whose variable is set by its value; a reference to a
// variable that is not set stays as it is (so "%TMP%" expands to itself when TMP is unset).
String ExpandEnvironmentStrings(const String& text);

// Full path of the running program file (the module's file name).
String GetModuleFileName();

// The Windows folder, with a trailing delimiter: $QUELM_WINDIR when set, else
// $XDG_CONFIG_HOME/quelm/ (XDG_CONFIG_HOME defaults to $HOME/.config). Created when missing.
String GetWindowsDirectory();

// The user's configuration folder of the system, with a trailing delimiter:
// $XDG_CONFIG_HOME/quelm/ (not created here).
String GetUserConfigDirectory();

// The file name under which a program that the system names in its Windows spelling is
// installed here: "Quelmmodel.exe" -> "Quelmmodel", "rowsift32.exe" -> "rowsift". Names
// without ".exe" stay as they are. The one mapping of program names.
String ExecutableFileName(const String& windowsName);

// Suspends the calling thread for ms milliseconds (nothing for 0).
void Sleep(DWORD ms);

// Writes a line to the program's debug log (the message handler of the application).
void OutputDebugString(const String& text);

// The user's locale settings that the programs read: the decimal mark, the thousands
// separator, the date separator and the short date format (in the system's own pattern
// letters, such as "dd/MM/yyyy"), as single-byte text.
enum : DWORD { LOCALE_SDECIMAL = 0x0E, LOCALE_STHOUSAND = 0x0F, LOCALE_SDATE = 0x1D, LOCALE_SSHORTDATE = 0x1F };
String GetUserLocaleInfo(DWORD type);
