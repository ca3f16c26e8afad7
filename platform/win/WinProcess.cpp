#include "platform/win/WinProcess.h"

#include "platform/rtl/FileUtils.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

struct ProcessRecord {
    pid_t pid = 0;
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
    WORD showMode = SW_SHOWNORMAL;
    int openHandles = 2; // the process handle and the thread handle
};

struct HandleEntry {
    std::shared_ptr<ProcessRecord> process;
};

std::mutex tableMutex;
std::map<uintptr_t, HandleEntry>& Table()
{
    static std::map<uintptr_t, HandleEntry> table;
    return table;
}
std::vector<pid_t>& Orphans() // closed before they ended; reaped later
{
    static std::vector<pid_t> orphans;
    return orphans;
}
uintptr_t nextHandle = 0x1000;

DWORD StatusToExitCode(int status)
{
    if (WIFEXITED(status))
        return static_cast<DWORD>(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return static_cast<DWORD>(128 + WTERMSIG(status));
    return 1;
}

// Collects the status of the process without blocking; true when it has ended.
bool Poll(ProcessRecord& p)
{
    if (p.ended)
        return true;
    int status = 0;
    const pid_t r = ::waitpid(p.pid, &status, WNOHANG);
    if (r == p.pid) {
        p.ended = true;
        p.exitCode = StatusToExitCode(status);
    } else if (r < 0 && errno == ECHILD) {
        p.ended = true; // reaped elsewhere; the status is lost
        p.exitCode = 1;
    }
    return p.ended;
}

void ReapOrphans()
{
    auto& orphans = Orphans();
    std::erase_if(orphans, [](pid_t pid) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        return r == pid || (r < 0 && errno == ECHILD);
    });
}

DWORD ErrnoToError(int e)
{
    switch (e) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case ENOEXEC: return ERROR_BAD_FORMAT;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case ENOTDIR: return ERROR_DIRECTORY;
    default: return ERROR_INVALID_PARAMETER;
    }
}

bool IsExecutableFile(const String& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The program file of the first word: a word with a '/' is a path (relative to the
// caller's folder); a bare name is looked up on PATH. Empty when none is found.
String ResolveProgram(const String& word, DWORD& error)
{
    error = ERROR_FILE_NOT_FOUND;
    if (word.empty())
        return String();
    if (word.find('/') != String::npos) {
        const String path = word[0] == '/' ? word : PathJoin(GetCurrentDir(), word);
        if (!FileExists(path))
            return String();
        if (!IsExecutableFile(path)) {
            error = ERROR_ACCESS_DENIED;
            return String();
        }
        return path;
    }
    const char* pathVar = std::getenv("PATH");
    for (const String& dir : SplitString(pathVar ? pathVar : "/usr/bin:/bin", ':')) {
        const String candidate = PathJoin(dir.empty() ? String(".") : dir, word);
        if (IsExecutableFile(candidate))
            return candidate;
    }
    return String();
}

int NiceOf(DWORD creationFlags)
{
    if (creationFlags & IDLE_PRIORITY_CLASS)
        return 19;
    if (creationFlags & BELOW_NORMAL_PRIORITY_CLASS)
        return 10;
    return INT_MIN; // unchanged
}

} // namespace

std::vector<String> CommandLineToArgs(const String& commandLine)
{
    std::vector<String> words;
    size_t i = 0;
    const size_t n = commandLine.size();
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (true) {
        while (i < n && isBlank(commandLine[i]))
            ++i;
        if (i >= n)
            break;
        String word;
        bool quoted = false;
        while (i < n && (quoted || !isBlank(commandLine[i]))) {
            char c = commandLine[i];
            if (c == '\\') {
                size_t slashes = 0;
                while (i < n && commandLine[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && commandLine[i] == '"') {
                    word.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        word += '"';
                        ++i;
                    }
                } else {
                    word.append(slashes, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < n && commandLine[i + 1] == '"') {
                    word += '"'; // "" inside quotes is one quote
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            word += c;
            ++i;
        }
        words.push_back(word);
    }
    return words;
}

BOOL CreateProcess(const String& applicationName, const String& commandLine, BOOL /*inheritHandles*/,
                   DWORD creationFlags, const String& currentDirectory, const STARTUPINFO& startupInfo,
                   PROCESS_INFORMATION& processInformation)
{
    processInformation = PROCESS_INFORMATION{};
    {
        std::lock_guard lock(tableMutex);
        ReapOrphans();
    }
    std::vector<String> words = CommandLineToArgs(commandLine);
    const String programWord = !applicationName.empty() ? applicationName : (words.empty() ? String() : words[0]);
    if (words.empty())
        words.push_back(programWord);
    DWORD error = ERROR_SUCCESS;
    const String program = ResolveProgram(programWord, error);
    if (program.empty()) {
        lastError = error;
        return FALSE;
    }
    if (!currentDirectory.empty() && !DirectoryExists(currentDirectory)) {
        lastError = ERROR_DIRECTORY;
        return FALSE;
    }

    // Everything the child needs is prepared before fork: between fork and exec only
    // async-signal-safe calls are made.
    std::vector<char*> argv;
    for (String& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const int nice = NiceOf(creationFlags);
    const char* folder = currentDirectory.empty() ? nullptr : currentDirectory.c_str();

    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        lastError = ErrnoToError(errno);
        return FALSE;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(errorPipe[0]);
        ::close(errorPipe[1]);
        lastError = ErrnoToError(errno);
        return FALSE;
    }
    if (pid == 0) {
        // no handles of the caller reach the new program
        ::syscall(SYS_close_range, 3, ~0U, 4 /* CLOSE_RANGE_CLOEXEC */);
        ::signal(SIGPIPE, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        int e = 0;
        if (nice != INT_MIN)
            ::setpriority(PRIO_PROCESS, 0, nice);
        if (folder && ::chdir(folder) != 0)
            e = errno == ENOENT ? ENOTDIR : errno;
        if (e == 0) {
            ::execve(program.c_str(), argv.data(), environ);
            e = errno;
        }
        ssize_t ignored = ::write(errorPipe[1], &e, sizeof e);
        (void)ignored;
        ::_exit(127);
    }
    ::close(errorPipe[1]);
    int childError = 0;
    ssize_t got;
    do {
        got = ::read(errorPipe[0], &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    ::close(errorPipe[0]);
    if (got == static_cast<ssize_t>(sizeof childError)) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        lastError = childError == ENOTDIR ? ERROR_DIRECTORY : ErrnoToError(childError);
        return FALSE;
    }

    auto record = std::make_shared<ProcessRecord>();
    record->pid = pid;
    record->showMode = (startupInfo.dwFlags & STARTF_USESHOWWINDOW) ? startupInfo.wShowWindow : WORD(SW_SHOWNORMAL);
    std::lock_guard lock(tableMutex);
    const uintptr_t processHandle = nextHandle++;
    const uintptr_t threadHandle = nextHandle++;
    Table()[processHandle] = HandleEntry{record};
    Table()[threadHandle] = HandleEntry{record};
    processInformation.hProcess = reinterpret_cast<HANDLE>(processHandle);
    processInformation.hThread = reinterpret_cast<HANDLE>(threadHandle);
    processInformation.dwProcessId = static_cast<DWORD>(pid);
    processInformation.dwThreadId = static_cast<DWORD>(pid);
    lastError = ERROR_SUCCESS;
    return TRUE;
}

namespace {

std::shared_ptr<ProcessRecord> Lookup(HANDLE handle)
{
    std::lock_guard lock(tableMutex);
    auto it = Table().find(reinterpret_cast<uintptr_t>(handle));
    return it == Table().end() ? nullptr : it->second.process;
}

} // namespace

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    auto process = Lookup(handle);
    if (!process) {
        lastError = ERROR_INVALID_HANDLE;
        return WAIT_FAILED;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    auto step = std::chrono::microseconds(200);
    while (true) {
        {
            std::lock_guard lock(tableMutex);
            if (Poll(*process))
                return WAIT_OBJECT_0;
        }
        if (milliseconds != INFINITE && Clock::now() >= deadline)
            return WAIT_TIMEOUT;
        std::this_thread::sleep_for(step);
        step = std::min<std::chrono::microseconds>(step * 2, std::chrono::milliseconds(5));
    }
}

BOOL GetExitCodeProcess(HANDLE handle, DWORD* exitCode)
{
    auto process = Lookup(handle);
    if (!process || !exitCode) {
        lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    std::lock_guard lock(tableMutex);
    Poll(*process);
    *exitCode = process->exitCode;
    return TRUE;
}

BOOL CloseHandle(HANDLE handle)
{
    std::lock_guard lock(tableMutex);
    auto it = Table().find(reinterpret_cast<uintptr_t>(handle));
    if (it == Table().end()) {
        lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    auto process = it->second.process;
    Table().erase(it);
    if (--process->openHandles == 0 && !Poll(*process))
        Orphans().push_back(process->pid);
    ReapOrphans();
    return TRUE;
}

DWORD GetLastError()
{
    return lastError;
}
