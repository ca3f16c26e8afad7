// Test entry point: a QApplication on the offscreen platform with the fixed
// style and fonts, so that drawing and metrics are the same on every machine, and one
// environment that puts process-wide state back after every test.
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/testing/quelm_test_support.h"
#include "platform/win/WinLook.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <clocale>
#include <cstdlib>

namespace {

// After each test: the steps that test helpers registered, then the state that the platform's
// run-time library keeps for the whole process, as the program started with it.
class RestoreProcessState : public ::testing::EmptyTestEventListener {
public:
    RestoreProcessState() : user_(UserFormatSettings()) {}
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        quelmtest::RunAfterEachTestSteps();
        SetClockForTesting(nullptr);
        SetUserFormatSettings(user_, true);
        FormatSettings() = user_;
        std::setlocale(LC_NUMERIC, "C");
    }

private:
    const TFormatSettings user_;
};

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ApplyStandardLook();
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new RestoreProcessState);
    return RUN_ALL_TESTS();
}
