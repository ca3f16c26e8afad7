#include "platform/rtl/FileUtils.h"

#include <QFile>
#include "platform/rtl/DateUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

bool FileExists(const String& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool FileIsReadOnly(const String& path)
{
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0)
        return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0;
}

bool DirectoryExists(const String& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool ForceDirectories(const String& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    fs::create_directories(path, ec);
    return DirectoryExists(path);
}

bool CreateDir(const String& path)
{
    return ::mkdir(path.c_str(), 0777) == 0;
}

bool RemoveDir(const String& path)
{
    return ::rmdir(path.c_str()) == 0;
}

bool DeleteFile(const String& path)
{
    return FileExists(path) && std::remove(path.c_str()) == 0;
}

bool RenameFile(const String& from, const String& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyFileTo(const String& from, const String& to, bool failIfExists)
{
    std::error_code ec;
    auto options = failIfExists ? fs::copy_options::none : fs::copy_options::overwrite_existing;
    return fs::copy_file(from, to, options, ec) && !ec;
}

int64_t FileSize(const String& path)
{
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    return ec ? -1 : static_cast<int64_t>(size);
}

TDateTime FileAgeDateTime(const String& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    std::tm local{};
    localtime_r(&st.st_mtime, &local);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), 0);
}

String ExtractFilePath(const String& path)
{
    size_t p = path.rfind(PathDelim);
    return p == String::npos ? String() : path.substr(0, p + 1);
}

String ExtractFileDir(const String& path)
{
    size_t p = path.rfind(PathDelim);
    if (p == String::npos)
        return String();
    if (p == 0)
        return "/";
    return path.substr(0, p);
}

String ExtractFileName(const String& path)
{
    size_t p = path.rfind(PathDelim);
    return p == String::npos ? path : path.substr(p + 1);
}

String ExtractFileExt(const String& path)
{
    size_t slash = path.rfind(PathDelim);
    size_t dot = path.rfind('.');
    if (dot == String::npos || (slash != String::npos && dot < slash))
        return String();
    return path.substr(dot);
}

String ChangeFileExt(const String& path, const String& ext)
{
    size_t slash = path.rfind(PathDelim);
    size_t dot = path.rfind('.');
    if (dot == String::npos || (slash != String::npos && dot < slash))
        return path + ext;
    return path.substr(0, dot) + ext;
}

String IncludeTrailingPathDelimiter(const String& path)
{
    if (!path.empty() && path.back() == PathDelim)
        return path;
    return path + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& path)
{
    if (path.size() > 1 && path.back() == PathDelim)
        return path.substr(0, path.size() - 1);
    return path;
}

String ExpandFileName(const String& path)
{
    if (path.empty())
        return path;
    fs::path p(path);
    if (p.is_relative())
        p = fs::current_path() / p;
    return p.lexically_normal().string();
}

String PathJoin(const String& folder, const String& name)
{
    if (folder.empty())
        return name;
    return IncludeTrailingPathDelimiter(folder) + name;
}

String GetCurrentDir()
{
    std::error_code ec;
    return fs::current_path(ec).string();
}

bool SetCurrentDir(const String& path)
{
    return ::chdir(path.c_str()) == 0;
}

bool MatchesMask(const String& name, const String& mask, bool caseBlind)
{
    // iterative wildcard match with backtracking on the last '*'
    size_t n = 0, m = 0, starM = String::npos, starN = 0;
    auto eq = [caseBlind](char a, char b) {
        if (!caseBlind)
            return a == b;
        return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
    };
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || eq(mask[m], name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != String::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

std::vector<String> FindFiles(const String& folder, const String& mask)
{
    std::vector<String> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        if (!it->is_regular_file(ec2))
            continue;
        String name = it->path().filename().string();
        if (MatchesMask(name, mask))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

String GetTempDir()
{
    for (const char* var : {"TMP", "TEMP", "TMPDIR"}) {
        const char* v = std::getenv(var);
        if (v && *v)
            return IncludeTrailingPathDelimiter(v);
    }
    return "/tmp/";
}

String GetPrivateTempDir()
{
    const String base = GetTempDir();
    const String own = base + "quelm-" + std::to_string(::geteuid());
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST)
        return own + PathDelim; // no folder: writes there fail
    struct stat st {};
    if (::lstat(own.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0)
        return own + PathDelim;
    String fresh = own + "-XXXXXX";
    (void)::mkdtemp(fresh.data()); // on failure the name keeps its X's: a folder that does not exist
    return fresh + PathDelim;
}

String CreateUniqueFile(const String& prefix, const String& suffix, const String& folder)
{
    String dir = folder.empty() ? GetTempDir() : IncludeTrailingPathDelimiter(folder);
    String pattern = dir + prefix + "XXXXXX" + suffix;
    int fd = ::mkstemps(pattern.data(), static_cast<int>(suffix.size()));
    if (fd < 0)
        throw EInOutError("Cannot create a temporary file in " + dir + ": " + std::strerror(errno));
    ::close(fd);
    return pattern;
}

String ReadFileToString(const String& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw EInOutError("Cannot open file \"" + path + "\"");
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteStringToFile(const String& path, const String& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw EInOutError("Cannot create file \"" + path + "\"");
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw EInOutError("Cannot write file \"" + path + "\"");
}

// ---------------------------------------------------------------- TTextWriter

TTextWriter::TTextWriter(const String& path, TLineBreakStyle lineBreak, bool append)
    : path_(path), lineBreak_(lineBreak)
{
    file_ = std::fopen(path.c_str(), append ? "ab" : "wb");
    if (!file_)
        throw EInOutError("Cannot create file \"" + path + "\": " + std::strerror(errno));
}

TTextWriter::~TTextWriter()
{
    if (file_)
        std::fclose(file_);
}

void TTextWriter::Write(const String& text)
{
    if (!file_)
        throw EInOutError("File not open for writing: \"" + path_ + "\"");
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        throw EInOutError("Cannot write file \"" + path_ + "\": " + std::strerror(errno));
}

void TTextWriter::WriteLine(const String& line)
{
    Write(line);
    Write(lineBreak_ == lbCRLF ? "\r\n" : "\n");
}

void TTextWriter::Close()
{
    if (!file_)
        return;
    int failed = std::fclose(file_);
    file_ = nullptr;
    if (failed != 0)
        throw EInOutError("Cannot write file \"" + path_ + "\": " + std::strerror(errno));
}

std::optional<std::string> ReadEmbeddedFile(const String& path)
{
    QFile file(QStringLiteral(":/") + ToQString(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
