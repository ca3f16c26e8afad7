#include "platform/win/WinProcess.h"
#include "platform/win/WinShell.h"
#include "platform/win/WinVersion.h"
#include "platform/win/WinEnvironment.h"

#include "platform/rtl/FileUtils.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(CommandLineToArgs, SplitsAsTheWindowsStartUpCode)
{
    const struct {
        String line;
        std::vector<String> words;
    } cases[] = {
        {"\"/opt/q/Quelmmodel\" 17.qmi", {"/opt/q/Quelmmodel", "17.qmi"}},
        {"  a   b\tc  ", {"a", "b", "c"}},
        {"\"a b\" c", {"a b", "c"}},
        {"rowsift UserDefinedGraph.set -o 'x y' -xy", {"rowsift", "UserDefinedGraph.set", "-o", "'x", "y'", "-xy"}},
        {"a\\\\b \"c\\\"d\"", {"a\\\\b", "c\"d"}},
        {"\"a\\\\\" b", {"a\\", "b"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"x\"\"", {"x"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommandLineToArgs(c.line), c.words) << c.line;
}

namespace {

DWORD RunToEnd(const String& commandLine, const String& folder, DWORD flags = NORMAL_PRIORITY_CLASS)
{
    STARTUPINFO si;
    PROCESS_INFORMATION pi;
    EXPECT_TRUE(CreateProcess(String(), commandLine, FALSE, flags, folder, si, pi)) << commandLine;
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_TRUE(CloseHandle(pi.hThread));
    EXPECT_TRUE(CloseHandle(pi.hProcess));
    return code;
}

} // namespace

TEST(CreateProcess, ChildRunsInItsFolderAtIdlePriorityAndReportsItsExitCode)
{
    quelmtest::TempDir dir;
    const DWORD code = RunToEnd("\"/bin/sh\" -c \"pwd > where.txt; nice > nice.txt; exit 3\"", dir.str(),
                                IDLE_PRIORITY_CLASS);
    EXPECT_EQ(code, 3u);
    EXPECT_EQ(quelmtest::ReadFileBytes(dir.file("where.txt")), dir.str() + "\n");
    EXPECT_EQ(quelmtest::ReadFileBytes(dir.file("nice.txt")), "19\n");
}

TEST(CreateProcess, ProgramOnPathAndRelativeToTheCaller)
{
    quelmtest::TempDir dir;
    EXPECT_EQ(RunToEnd("sh -c \"exit 0\"", dir.str()), 0u);
    EXPECT_EQ(RunToEnd("true", String()), 0u);
}

TEST(CreateProcess, FailuresAreResultsWithAReason)
{
    quelmtest::TempDir dir;
    quelmtest::WriteFileBytes(dir.file("plain.txt"), "not a program");
    const struct {
        String line;
        String folder;
        DWORD error;
    } cases[] = {
        {"\"" + dir.file("missing") + "\" x", dir.str(), ERROR_FILE_NOT_FOUND},
        {"no-such-program-on-the-path", dir.str(), ERROR_FILE_NOT_FOUND},
        {"\"" + dir.file("plain.txt") + "\"", dir.str(), ERROR_ACCESS_DENIED},
        {"/bin/sh -c true", dir.file("no-folder"), ERROR_DIRECTORY},
        {"", dir.str(), ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        STARTUPINFO si;
        PROCESS_INFORMATION pi;
        EXPECT_FALSE(CreateProcess(String(), c.line, FALSE, IDLE_PRIORITY_CLASS, c.folder, si, pi)) << c.line;
        EXPECT_EQ(GetLastError(), c.error) << c.line;
        EXPECT_EQ(pi.hProcess, nullptr);
    }
}

TEST(WaitForSingleObject, TimesOutWhileTheChildRunsAndEndsWhenItIsDone)
{
    STARTUPINFO si;
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(CreateProcess(String(), "sleep 0.3", FALSE, NORMAL_PRIORITY_CLASS, String(), si, pi));
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 20), WAIT_TIMEOUT);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, INFINITE), WAIT_OBJECT_0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(pi.hProcess));
}

TEST(ShellExecute, RecorderRecordsInsteadOfOpening)
{
    TShellExecuteRecorder recorder;
    EXPECT_EQ(ShellExecute(nullptr, "", "/x/report.html", "", "/x", SW_SHOWNORMAL), SHELL_EXECUTE_SUCCESS);
    ASSERT_EQ(recorder.Calls().size(), 1u);
    EXPECT_EQ(recorder.Calls()[0].File, "/x/report.html");
    EXPECT_EQ(recorder.Calls()[0].Directory, "/x");
    EXPECT_EQ(recorder.Calls()[0].ShowCommand, SW_SHOWNORMAL);
    recorder.Result = SE_ERR_NOASSOC;
    EXPECT_EQ(ShellExecute(nullptr, "", "a", "", "", SW_SHOW), SE_ERR_NOASSOC);
}

TEST(ShellExecute, StartsAProgramFileInItsFolderAndReportsMissingFiles)
{
    quelmtest::TempDir dir;
    const String script = dir.file("prog");
    quelmtest::WriteFileBytes(script, "#!/bin/sh\necho \"$1\" > \"$(pwd)/ran.txt\"\n");
    ::chmod(script.c_str(), 0755);
    EXPECT_GT(ShellExecute(nullptr, "", script, "-c", dir.str(), SW_SHOW), 32);
    // the shell makes the file before it writes into it: wait for the whole line
    for (int i = 0; i < 500 && (!FileExists(dir.file("ran.txt")) || quelmtest::ReadFileBytes(dir.file("ran.txt")).empty()); ++i)
        usleep(10000);
    EXPECT_EQ(quelmtest::ReadFileBytes(dir.file("ran.txt")), "-c\n");
    EXPECT_EQ(ShellExecute(nullptr, "", dir.file("missing.html"), "", dir.str(), SW_SHOW), SE_ERR_FNF);
    EXPECT_EQ(ShellExecute(nullptr, "", script, "", dir.file("nofolder"), SW_SHOW), SE_ERR_PNF);
}

TEST(VersionResource, OnlyTheRunningProgramHasTheDeclaredVersion)
{
    DWORD handle = 1;
    EXPECT_EQ(GetFileVersionInfoSize(GetModuleFileName(), &handle), 0u);
    EXPECT_EQ(handle, 0u);
    {
        TVersionResource resource(2, 1, 2, 10);
        const DWORD size = GetFileVersionInfoSize(GetModuleFileName(), &handle);
        ASSERT_GT(size, 0u);
        EXPECT_EQ(GetFileVersionInfoSize("/bin/sh", &handle), 0u);
        std::vector<char> buffer(size);
        ASSERT_TRUE(GetFileVersionInfo(GetModuleFileName(), handle, size, buffer.data()));
        void* info = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValue(buffer.data(), "\\", &info, &length));
        auto* fixed = static_cast<VS_FIXEDFILEINFO*>(info);
        EXPECT_EQ(fixed->dwFileVersionMS, (2u << 16) | 1u);
        EXPECT_EQ(fixed->dwFileVersionLS, (2u << 16) | 10u);
        EXPECT_FALSE(VerQueryValue(buffer.data(), "\\StringFileInfo", &info, &length));
    }
    EXPECT_EQ(GetFileVersionInfoSize(GetModuleFileName(), &handle), 0u);
}
