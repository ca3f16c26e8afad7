// Test entry point: a QApplication on the offscreen platform with the fixed
// style and fonts, so that drawing and metrics are the same on every machine, and one
// environment that puts process-wide state back after every test.
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/testing/quelm_test_support.h"
#include "platform/win/WinLook.h"

#include <QApplication>
#include <QFont>
#include <QLocale>
#include <QPalette>
#include <QStyle>
#include <gtest/gtest.h>
#include <clocale>
#include <cstdlib>

namespace {

// After each test: the steps that test helpers registered, then the state that the platform's
// run-time library keeps for the whole process and the application's look (style, font, palette,
// the controls' number locale), as the program started with them.
class RestoreProcessState : public ::testing::EmptyTestEventListener {
public:
    RestoreProcessState()
        : user_(UserFormatSettings()), style_(QApplication::style()->name()), font_(QApplication::font()),
          palette_(QApplication::palette()), locale_(QLocale())
    {
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        quelmtest::RunAfterEachTestSteps();
        SetClockForTesting(nullptr);
        SetUserFormatSettings(user_, true);
        FormatSettings() = user_;
        std::setlocale(LC_NUMERIC, "C");
        if (QApplication::style()->name() != style_)
            ApplyStandardLook();
        if (QApplication::font() != font_)
            QApplication::setFont(font_);
        if (QApplication::palette() != palette_)
            QApplication::setPalette(palette_);
        if (QLocale() != locale_)
            QLocale::setDefault(locale_);
    }

private:
    const TFormatSettings user_;
    const QString style_;
    const QFont font_;
    const QPalette palette_;
    const QLocale locale_;
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
