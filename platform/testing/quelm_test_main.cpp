// Test entry point: a QApplication on the offscreen platform with the fixed
// style and fonts, so that drawing and metrics are the same on every machine.
#include "platform/win/WinLook.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <clocale>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ApplyStandardLook();
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
