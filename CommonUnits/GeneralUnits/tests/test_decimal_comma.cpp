// Under a locale with a decimal comma the system still formats and parses numbers and
// dates with its own forced settings. CTest runs this suite once more with
// LC_ALL=de_DE.UTF-8; the suite makes that locale when the machine lacks it.
#include "CommonUnits/GeneralUnits/QuelmStartup.h"
#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_RegionalSettings_Unit.h"

#include "platform/rtl/FileUtils.h"
#include "platform/testing/quelm_test_support.h"

#include <QLocale>
#include <QString>
#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Switches the process to a German locale; false when none can be had.
bool EnterGermanLocale(quelmtest::TempDir& localeDir)
{
    if (std::setlocale(LC_ALL, "de_DE.UTF-8"))
        return true;
    // build the locale from the machine's locale sources into a folder of our own
    const String command = "localedef -i de_DE -f UTF-8 " + localeDir.file("de_DE.UTF-8") + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 && !DirectoryExists(localeDir.file("de_DE.UTF-8")))
        return false;
    setenv("LOCPATH", localeDir.str().c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

} // namespace

TEST(DecimalComma, NumbersAndDatesKeepTheirPointAndOrder)
{
    quelmtest::TempDir localeDir;
    if (!EnterGermanLocale(localeDir))
        GTEST_SKIP() << "no locale with a decimal comma on this machine";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",") << "the German locale is not in force";
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    // a German user's own separators are recorded at start-up, then forced away
    const TFormatSettings saved = FormatSettings();
    const TFormatSettings savedUser = UserFormatSettings();
    ResetRecordedRegionalSettingsForTesting();
    if (QLocale::system().decimalPoint() == ",") {
        LoadUserRegionalSettings();
        EXPECT_EQ(FormatSettings().DecimalSeparator, ',');
    }
    ForceRegionalSettings();
    if (QLocale::system().decimalPoint() == ",") {
        EXPECT_EQ(RecordedRegionalSettings().DecimalSeparator, ',');
        EXPECT_EQ(RecordedRegionalSettings().ThousandSeparator, '.');
    }

    // what the system's own routines give, under the user's locale
    EXPECT_EQ(FloatToStr(1234.5), "1234.5");
    EXPECT_EQ(FloatField(3, 6), "3.0   ");
    EXPECT_EQ(FloatFieldRight(1e-5, 8), " 1E-0005");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1,234.50");
    EXPECT_EQ(Format("%.2f|%g", {2.5, 0.125}), "2.50|0.125");
    EXPECT_DOUBLE_EQ(StrToFloat("2.75"), 2.75);
    EXPECT_THROW(StrToFloat("2,75"), EConvertError);
    EXPECT_EQ(DateToStr(EncodeDate(2001, 3, 5)), "05/03/2001");
    EXPECT_EQ(FormatDateDMY(EncodeDate(2001, 3, 5)), "05-Mar-2001");
    EXPECT_EQ(SqlDateLiteral(EncodeDate(2001, 3, 5)), "'2001-03-05'");

    // start-up pins the C locale for numbers again (Qt adopts the user's one when it starts)
    PinNumberLocale();
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
    EXPECT_EQ(QLocale().toString(2.5), "2.5");
    EXPECT_DOUBLE_EQ(std::strtod("2.5", nullptr), 2.5);

    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    ResetRecordedRegionalSettingsForTesting();
    SetUserFormatSettings(savedUser, false);
    FormatSettings() = saved;
}
