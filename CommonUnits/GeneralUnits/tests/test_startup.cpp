#include "settings_fixture.h"

#include "QuelmStartup.h"
#include "TForm_Splash_Unit.h"
#include "Utils_RegionalSettings_Unit.h"

#include <QLabel>
#include <QPixmap>
#include <memory>

TEST_F(SettingsTest, FirstStartCopiesTheMachineDatabaseAndSecondStartKeepsTheUsersOwn)
{
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_DATABASE, "/opt/quelm/Projects.vantor");
    SeedUserDatabaseValue(); // first start of this user
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, REG_DATABASE), "/opt/quelm/Projects.vantor");

    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, "/home/me/Mine.vantor");
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_DATABASE, "/opt/quelm/Other.vantor");
    SeedUserDatabaseValue(); // second start
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, REG_DATABASE), "/home/me/Mine.vantor");
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(SettingsTest, SeedingWithoutAMachineValueShowsTheMessagesAndWritesAnEmptyValue)
{
    SeedUserDatabaseValue();
    EXPECT_EQ(BoxTexts(), (std::vector<String>{"\\SOFTWARE\\RIZOZORERU212 key not there", "Key theDatabase not there"}));
    EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, REG_DATABASE));
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, REG_DATABASE), "");
}

TEST(ForceRegionalSettings, RecordsTheUsersValuesOnceAndForcesTheStandardOnes)
{
    const TFormatSettings saved = FormatSettings();
    ResetRecordedRegionalSettingsForTesting();
    TFormatSettings user = saved;
    user.DecimalSeparator = ',';
    user.ThousandSeparator = '.';
    user.DateSeparator = '-';
    user.ShortDateFormat = "d-m-yyyy";
    FormatSettings() = user;

    ForceRegionalSettings();
    EXPECT_EQ(FormatSettings().DecimalSeparator, '.');
    EXPECT_EQ(FormatSettings().ThousandSeparator, ',');
    EXPECT_EQ(FormatSettings().DateSeparator, '/');
    EXPECT_EQ(FormatSettings().ShortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(StrToFloat("1.5"), 1.5);
    EXPECT_EQ(DateToStr(EncodeDate(2001, 3, 5)), "05/03/2001");

    FormatSettings().DateSeparator = '.'; // a temporary switch, then forced again
    ForceRegionalSettings();
    const TRecordedRegionalSettings recorded = RecordedRegionalSettings();
    EXPECT_EQ(recorded.DecimalSeparator, ',');
    EXPECT_EQ(recorded.ThousandSeparator, '.');
    EXPECT_EQ(recorded.DateSeparator, '-');
    EXPECT_EQ(recorded.ShortDateFormat, "d-m-yyyy");
    FormatSettings() = saved;
}

TEST(TForm_Splash, BorderlessCentredPictureWindow)
{
    std::unique_ptr<TForm_Splash> splash(New<TForm_Splash>(nullptr));
    EXPECT_EQ(splash->ClientWidth(), 464);
    EXPECT_EQ(splash->ClientHeight(), 220);
    EXPECT_EQ(splash->BorderStyle(), bsNone);
    EXPECT_EQ(splash->Position, poScreenCenter);
    EXPECT_EQ(splash->Image1->Name(), "Image1");
    EXPECT_EQ(splash->Image1->Left(), 0);
    EXPECT_EQ(splash->Image1->Top(), -1);
    EXPECT_EQ(splash->Image1->Width(), 464);
    EXPECT_EQ(splash->Image1->Height(), 221);

    // the picture is a 24-bit bitmap file of 464 x 220 pixels
    const unsigned char* bmp = SplashPictureData();
    ASSERT_GT(SplashPictureSize(), 54u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    auto le32 = [&](int at) { return bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | bmp[at + 3] << 24; };
    EXPECT_EQ(le32(18), 464);
    EXPECT_EQ(le32(22), 220);
    EXPECT_EQ(bmp[28], 24);
    const QPixmap shown = splash->Image1Picture()->pixmap();
    EXPECT_EQ(shown.width(), 464);
    EXPECT_EQ(shown.height(), 220);
}
