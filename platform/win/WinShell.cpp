#include "platform/win/WinShell.h"

#include "platform/rtl/FileUtils.h"

#include <QDesktopServices>
#include <QUrl>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TShellExecuteRecorder* activeRecorder = nullptr;

bool IsProgramFile(const String& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

String Quoted(const String& path)
{
    return "\"" + path + "\"";
}

} // namespace

TShellExecuteRecorder::TShellExecuteRecorder(intptr_t result) : Result(result), previous_(activeRecorder)
{
    activeRecorder = this;
}

TShellExecuteRecorder::~TShellExecuteRecorder()
{
    activeRecorder = previous_;
}

intptr_t TShellExecuteRecorder::Handle(const TShellExecuteCall& call)
{
    calls_.push_back(call);
    return Result;
}

intptr_t ShellExecute(HWND /*parent*/, const String& verb, const String& file, const String& parameters,
                      const String& directory, int showCommand)
{
    if (activeRecorder)
        return activeRecorder->Handle(TShellExecuteCall{verb, file, parameters, directory, showCommand});

    const String path = file.empty() || file[0] == '/' ? file : ExpandFileName(PathJoin(directory.empty() ? GetCurrentDir() : directory, file));
    if (!directory.empty() && !DirectoryExists(directory))
        return SE_ERR_PNF;
    if (!FileExists(path))
        return SE_ERR_FNF;

    if (IsProgramFile(path)) {
        STARTUPINFO si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(showCommand);
        PROCESS_INFORMATION pi;
        const String commandLine = Quoted(path) + (parameters.empty() ? String() : " " + parameters);
        if (!CreateProcess(String(), commandLine, FALSE, NORMAL_PRIORITY_CLASS, directory, si, pi))
            return GetLastError() == ERROR_ACCESS_DENIED ? SE_ERR_ACCESSDENIED : SE_ERR_FNF;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return SHELL_EXECUTE_SUCCESS;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(path))))
        return SE_ERR_NOASSOC;
    return SHELL_EXECUTE_SUCCESS;
}
