#pragma once
// Small helpers shared by the test programs.
#include <filesystem>
#include <string>

namespace quelmtest {

// A fresh folder below the temp folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Source folder of the repository (for fixtures checked in beside the tests).
std::string SourceDir();

} // namespace quelmtest
