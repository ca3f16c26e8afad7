// The shared test main puts back what a test changed for the whole process: the first test of the
// suite changes it, the next one must find the state every test starts with.
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"

#include <QApplication>
#include <QFont>
#include <QLocale>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <gtest/gtest.h>

namespace {

struct StartState {
    QString style;
    QFont font;
    QColor window;
    QLocale locale;
    char decimal;
};

StartState& Start()
{
    static StartState state{QApplication::style()->name(), QApplication::font(),
                            QApplication::palette().color(QPalette::Window), QLocale(),
                            FormatSettings().DecimalSeparator};
    return state;
}

} // namespace

TEST(TestEnvironment, ATestChangesTheProcessWideState)
{
    Start();
    QApplication::setStyle(QStyleFactory::create("Windows"));
    QApplication::setFont(QFont("DejaVu Serif", 20));
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, Qt::magenta);
    QApplication::setPalette(palette);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    FormatSettings().DecimalSeparator = ',';
    SetClockForTesting([] { return EncodeDate(2001, 2, 3); });
    EXPECT_EQ(Date(), EncodeDate(2001, 2, 3));
}

TEST(TestEnvironment, TheNextTestStartsFromTheStandardState)
{
    const StartState& start = Start();
    EXPECT_EQ(QApplication::style()->name(), start.style);
    EXPECT_EQ(QApplication::font(), start.font);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), start.window);
    EXPECT_EQ(QLocale(), start.locale);
    EXPECT_EQ(FormatSettings().DecimalSeparator, start.decimal);
    EXPECT_NE(Date(), EncodeDate(2001, 2, 3));
}
