#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"

#include "CommonUnits/GeneralUnits/FileView.h"
#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinEnvironment.h"
#include "platform/win/WinProcess.h"

#include <fstream>
#include <memory>
#include <sys/stat.h>

namespace {

unsigned pollPeriod = 100;
int lastExitCode = -1;

WORD ShowWindowOf(int showMode)
{
    switch (showMode) {
    case 0: return SW_SHOWNORMAL;
    case 1: return SW_SHOWMINIMIZED;
    case 2: return SW_HIDE;
    default: throw Exception("hier");
    }
}

// The program path inside double quotes of a shell script: only these characters keep a
// special meaning there.
String ShellQuoted(const String& path)
{
    String out = "\"";
    for (char c : path) {
        if (c == '"' || c == '\\' || c == '$' || c == '`')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

void WriteRunScript(const String& folder, const String& program, const String& arguments, bool pause)
{
    const String path = JoinPath(folder, "run.sh");
    {
        TTextWriter script(path, lbLF);
        script.WriteLine("#!/bin/sh");
        script.WriteLine(ShellQuoted(program) + " " + arguments);
        if (pause)
            script.WriteLine("printf 'Press Enter to continue . . . '; read -r _");
        script.Close();
    }
    ::chmod(path.c_str(), 0755);
}

bool StartProcess(const String& program, const String& arguments, const String& folder, int showMode,
                  bool pause, PROCESS_INFORMATION& pi)
{
    STARTUPINFO si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = ShowWindowOf(showMode); // checked before run.sh is written
    WriteRunScript(folder, program, arguments, pause);
    const String commandLine = "\"" + program + "\" " + arguments;
    if (!CreateProcess(String(), commandLine, FALSE, IDLE_PRIORITY_CLASS, folder, si, pi)) {
        OutputDebugString("Could not start " + program + " (error " + IntToStr(int(GetLastError())) + ")");
        return false;
    }
    return true;
}

} // namespace

bool RunAndWait(const String& program, const String& arguments, const String& folder, int showMode)
{
    PROCESS_INFORMATION pi;
    lastExitCode = -1;
    if (!StartProcess(program, arguments, folder, showMode, false, pi))
        return false;
    DWORD wait;
    do {
        Screen->SetCursor(crHourGlass);
        wait = WaitForSingleObject(pi.hProcess, pollPeriod);
        Application->ProcessMessages();
    } while (wait == WAIT_TIMEOUT);
    DWORD code = 0;
    if (GetExitCodeProcess(pi.hProcess, &code))
        lastExitCode = static_cast<int>(code);
    OutputDebugString(program + " ended with exit code " + IntToStr(lastExitCode));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

bool RunNoWait(const String& program, const String& arguments, const String& folder, int showMode)
{
    PROCESS_INFORMATION pi;
    if (!StartProcess(program, arguments, folder, showMode, true, pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

int LastRunExitCode()
{
    return lastExitCode;
}

unsigned RunAndWaitPollPeriod()
{
    return pollPeriod;
}

void SetRunAndWaitPollPeriod(unsigned milliseconds)
{
    pollPeriod = milliseconds;
}

void ShowFileInViewer(const String& filePath)
{
    std::unique_ptr<TfrmFileView> viewer(New<TfrmFileView>(nullptr));
    viewer->LoadFile(filePath);
    viewer->ShowModal();
}

void SyncPlotIniFile()
{
    // plotwell reads plotwell.ini from the Windows folder of this system, so that is where
    // it is kept (not a folder named in the registry)
    const String iniFile = JoinPath(GetWindowsDirectory(), "plotwell.ini");
    const String plotwellDir = GetPlotwellDir();
    String firstLine = "-";
    if (FileExists(iniFile)) {
        TStringList lines;
        lines.LoadFromFile(iniFile); // a read failure reaches the caller
        firstLine = lines.Count() > 0 ? lines[0] : String();
    }
    if (SameText(plotwellDir, firstLine))
        return;
    try {
        TTextWriter ini(iniFile, lbLF);
        ini.WriteLine(plotwellDir);
        ini.Close();
    } catch (const Exception&) {
        MessageDlg("Error writing plotwell.ini.\rLog on with Administrator rights and start " + GetProductName() +
                       " once before continuing.",
                   mtError, {mbOK}, 0);
    }
}
