#include "platform/win/WinLook.h"

#include <QApplication>
#include <QFont>
#include <QLocale>
#include <QStyleFactory>

void ApplyStandardLook()
{
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    for (const char* name : {"Tahoma", "Arial", "MS Sans Serif", "Helvetica", "Verdana",
                             "Segoe UI"})
        QFont::insertSubstitution(name, "DejaVu Sans");
    for (const char* name : {"Courier New", "Courier"})
        QFont::insertSubstitution(name, "DejaVu Sans Mono");
    QFont::insertSubstitution("Times New Roman", "DejaVu Serif");
    QApplication::setFont(QFont("DejaVu Sans", 8));
}

void UseCNumberFormatsInControls()
{
    QLocale::setDefault(QLocale::c());
}
