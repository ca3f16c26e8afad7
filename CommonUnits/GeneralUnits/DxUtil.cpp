#include "CommonUnits/GeneralUnits/DxUtil.h"

#include "platform/rtl/FileUtils.h"
#include "platform/win/WinShell.h"

int ShellExecuteFile(const String& file, const String& parameters, const String& folder, int showCommand)
{
    // The texts are passed whole: cutting a path at a fixed length would open another file.
    return static_cast<int>(ShellExecute(nullptr, String(), file, parameters, folder, showCommand));
}

bool ExecuteFileInItsFolder(const String& file, const String& parameters, const String& folder)
{
    String workFolder = folder.empty() ? ExtractFilePath(file) : folder;
    RemoveTrailingBackslash(workFolder);
    return ShellExecuteFile(file, parameters, workFolder, SW_SHOWNORMAL) > 32;
}

void RemoveTrailingBackslash(String& path)
{
    if (!path.empty() && path.back() == PathDelim)
        path.pop_back();
}
