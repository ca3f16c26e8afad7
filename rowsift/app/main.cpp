// rowsift: selects rows and columns of ASCII data files by expressions and conditions.
#include "rowsift/app/RowsiftApp.h"

#include <QApplication>
#include <QtGlobal>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    // Taken before Qt removes the words it knows from the command line.
    std::vector<std::string> words = CRowsiftApp::CommandWords(argc, argv);
    // Without a display (batch use) the window is drawn off screen.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // In batch use standard error carries only rowsift's own messages.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* no_box = std::getenv("ROWSIFT_NO_MESSAGE_BOX");
    if ((no_box && *no_box && std::string(no_box) != "0") ||
        (platform && (std::string(platform) == "offscreen" || std::string(platform) == "minimal")))
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtFatalMsg || type == QtCriticalMsg)
                std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        });
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    CRowsiftApp rowsift;
    return rowsift.Run(std::move(words));
}
