// Test entry point: a QApplication on the offscreen platform with the fixed
// style and fonts, so that drawing and metrics are the same on every machine.
#include <QApplication>
#include <QFont>
#include <QStyleFactory>
#include <gtest/gtest.h>
#include <clocale>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    for (const char* name : {"Tahoma", "Arial", "MS Sans Serif", "Helvetica", "Verdana", "Segoe UI"})
        QFont::insertSubstitution(name, "DejaVu Sans");
    for (const char* name : {"Courier New", "Courier"})
        QFont::insertSubstitution(name, "DejaVu Sans Mono");
    QFont::insertSubstitution("Times New Roman", "DejaVu Serif");
    QApplication::setFont(QFont("DejaVu Sans", 8));
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
