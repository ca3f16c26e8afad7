#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"

#include "CommonUnits/GeneralUnits/Utils_Registry_Unit.h"
#include "platform/win/WinEnvironment.h"

#include <filesystem>

namespace {

TDatabaseFileNameSource& DatabaseFileNameSource()
{
    static TDatabaseFileNameSource source;
    return source;
}

String DatabaseFileName()
{
    const auto& source = DatabaseFileNameSource();
    const String path = source ? source() : String();
    Assert(!path.empty(), "No database file is open", "CommonUnits\\GeneralUnits\\QuelmFileUtils", __LINE__);
    return path;
}

String RunFileName(int runId, const char* extension)
{
    return IntToStr(runId) + extension;
}

String RunFilePath(int runId, const char* extension)
{
    return JoinPath(GetWorkDir(), RunFileName(runId, extension));
}

} // namespace

void SetDatabaseFileNameSource(TDatabaseFileNameSource source)
{
    DatabaseFileNameSource() = std::move(source);
}

String GetInstallDir()
{
    return IncludeTrailingPathDelimiter(ReadRegistryString(HKEY_LOCAL_MACHINE, REG_INSTALL_DIR));
}

String GetUpdatesDir()
{
    return GetInstallDir() + "Updates" + PathDelim;
}

String GetPlotwellDir()
{
    return IncludeTrailingPathDelimiter(ReadRegistryString(HKEY_LOCAL_MACHINE, REG_PLOTWELL_DIR));
}

String GetExeDir()
{
    return ExtractFileDir(GetModuleFileName());
}

String GetKernelExeName()
{
    return JoinPath(GetExeDir(), ExecutableFileName("Quelmmodel.exe"));
}

String GetRowsiftExeName()
{
    return JoinPath(GetExeDir(), ExecutableFileName("rowsift32.exe"));
}

String GetWorkDir()
{
    // ChangeFileExt leaves a '.' in a folder name alone
    const String folder = ExcludeTrailingPathDelimiter(ChangeFileExt(DatabaseFileName(), ""));
    if (!DirectoryExists(folder))
        CreateDir(folder);
    return folder;
}

String GetDatabaseName()
{
    String name = ExtractFileName(DatabaseFileName());
    RemoveExtension(name);
    return name;
}

String InputFileName(int runId) { return RunFileName(runId, ".qmi"); }
String InputFilePath(int runId) { return RunFilePath(runId, ".qmi"); }
String OutputFileName(int runId) { return RunFileName(runId, ".out"); }
String OutputFilePath(int runId) { return RunFilePath(runId, ".out"); }
String SummaryFileName(int runId) { return RunFileName(runId, ".sum"); }
String SummaryFilePath(int runId) { return RunFilePath(runId, ".sum"); }
String LogFilePath(int runId) { return RunFilePath(runId, ".log"); }
String LogFilePathUpperExt(int runId) { return LogFilePath(runId); }
String ErrorFilePath(int runId) { return RunFilePath(runId, ".err"); }
bool OutputFileExists(int runId) { return FileExists(OutputFilePath(runId)); }
bool SummaryFileExists(int runId) { return FileExists(SummaryFilePath(runId)); }
bool ErrorFileExists(int runId) { return FileExists(ErrorFilePath(runId)); }
bool LogFileExists(int runId) { return FileExists(LogFilePathUpperExt(runId)); }

void DeleteRunOutputFiles(int runId)
{
    DeleteFile(OutputFilePath(runId));
    DeleteFile(SummaryFilePath(runId));
    DeleteFile(LogFilePath(runId));
}

void DeleteAllRunFiles(int runId)
{
    DeleteFilesByMask(GetWorkDir(), IntToStr(runId) + ".*");
}

int DeleteFilesByMask(const String& folder, const String& mask)
{
    namespace fs = std::filesystem;
    std::vector<String> matched;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        if (!it->is_regular_file(ec2))
            continue;
        const String name = it->path().filename().string();
        if (name.empty() || name[0] == '.') // hidden
            continue;
        if (MatchesMask(name, mask, true))
            matched.push_back(it->path().string());
    }
    for (const String& path : matched)
        DeleteFile(path);
    return static_cast<int>(matched.size());
}

String JoinPath(const String& folder, const String& name)
{
    return IncludeTrailingPathDelimiter(folder) + name;
}

void RemoveExtension(String& text)
{
    const size_t dot = text.rfind('.');
    if (dot != String::npos)
        text.resize(dot);
}
