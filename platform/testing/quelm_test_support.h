#pragma once
// Small helpers shared by the test programs.
#include <filesystem>
#include <functional>
#include <string>

#include <QRect>
#include <QStyle>

class QScrollBar;

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

// Where a test saves a picture of what it drew, for a person to look at: <name> in the folder
// $QUELM_PICTURE_DIR when that is set (kept), else in a temporary folder of the running test that
// goes when the next test asks for one or the program ends. Never the working folder or a fixed
// name in the shared temp folder.
std::string PicturePath(const std::string& name);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Processes events until <condition> holds or <ms> milliseconds have passed; returns the condition.
bool WaitFor(const std::function<bool()>& condition, int ms = 2000);

// Where the style puts a part (arrow, track beside the thumb, thumb) of a scroll bar as it
// stands now, in the bar's coordinates: the place to click or drag.
QRect ScrollBarPart(QScrollBar* bar, QStyle::SubControl part);

// Source folder of the repository (for fixtures checked in beside the tests).
std::string SourceDir();

// Registers a step that puts process-wide state back after every test, whatever the test did
// and however it ended; the steps run in the reverse order of their registration. The test
// main itself restores the format settings, the clock and the C number locale.
// Returns true, so that a header can register with an inline variable.
bool AfterEachTest(std::function<void()> restore);
void RunAfterEachTestSteps();

} // namespace quelmtest
