// plotwell: the plotting program. The command line is the tail of an xy call.
#include "plotwell/app/plot_app.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinLook.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <clocale>

int main(int argc, char** argv)
{
    // Batch runs never show a window: they need no display.
    bool batch = false;
    for (int i = 1; i < argc; ++i)
        if (std::strstr(argv[i], "-#") || std::strstr(argv[i], "-@")) batch = true;
    if (batch && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TQApplication qt(argc, argv);
    ApplyStandardLook();
    std::setlocale(LC_NUMERIC, "C");
    plotwell::CPlotApp app;
    std::string line;
    for (int i = 1; i < argc; ++i) {
        std::string w = argv[i];
        if (!line.empty()) line += ' ';
        line += w.find_first_of(" \t") != std::string::npos ? "\"" + w + "\"" : w;
    }
    app.command_line = line;
    app.program_folder = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath().toStdString();
    app.InitInstance();
    return app.Run();
}
