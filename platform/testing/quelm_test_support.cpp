#include "platform/testing/quelm_test_support.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace quelmtest {

QRect ScrollBarPart(QScrollBar* bar, QStyle::SubControl part)
{
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_All;
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    if (bar->orientation() == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar);
}

bool WaitFor(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms)
        QTest::qWait(5);
    return condition();
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quelmtest-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string PicturePath(const std::string& name)
{
    if (const char* dir = std::getenv("QUELM_PICTURE_DIR"); dir && *dir)
        return (std::filesystem::path(dir) / name).string();
    static std::unique_ptr<TempDir> folder;
    static std::string owner;
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    const std::string current = test ? std::string(test->test_suite_name()) + "." + test->name() : std::string();
    if (!folder || owner != current) {
        folder.reset(); // the previous test's pictures go first
        folder = std::make_unique<TempDir>();
        owner = current;
    }
    return folder->file(name);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    out << bytes;
}

std::string SourceDir()
{
    const char* dir = std::getenv("QUELM_TEST_SOURCE_DIR");
    return dir ? dir : QUELM_SOURCE_DIR;
}

} // namespace quelmtest

namespace quelmtest {

namespace {
std::vector<std::function<void()>>& Steps()
{
    static std::vector<std::function<void()>> steps;
    return steps;
}
} // namespace

bool AfterEachTest(std::function<void()> restore)
{
    Steps().push_back(std::move(restore));
    return true;
}

void RunAfterEachTestSteps()
{
    for (auto step = Steps().rbegin(); step != Steps().rend(); ++step)
        (*step)();
}

} // namespace quelmtest
