#include "CommonUnits/GeneralUnits/tests/settings_fixture.h"

#include "CommonUnits/GeneralUnits/DemoDatabase.h"
#include "CommonUnits/GeneralUnits/QuelmStartup.h"
#include "CommonUnits/GeneralUnits/TForm_Splash_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_RegionalSettings_Unit.h"

#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "platform/win/WinVersion.h"

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QTimer>
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
    EXPECT_EQ(splash->Image1->Top(), 0);
    EXPECT_EQ(splash->Image1->Width(), 464);
    EXPECT_EQ(splash->Image1->Height(), 220);

    // the picture is a 24-bit bitmap file of 464 x 220 pixels
    const unsigned char* bmp = SplashPictureData();
    ASSERT_GT(SplashPictureSize(), 54u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    auto le32 = [&](int at) { return bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | bmp[at + 3] << 24; };
    EXPECT_EQ(le32(18), 464);
    EXPECT_EQ(le32(22), 220);
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(splash->Image1->Picture()->Width(), 464);
    EXPECT_EQ(splash->Image1->Picture()->Height(), 220);
    // the picture shows in the window
    const QImage shown = splash->Host()->grab().toImage();
    const QImage picture = QImage::fromData(bmp, int(SplashPictureSize()), "BMP").convertToFormat(shown.format());
    EXPECT_EQ(shown.pixel(100, 100), picture.pixel(100, 100));
    EXPECT_EQ(shown.pixel(400, 30), picture.pixel(400, 30));
}

namespace {

bool SplashShown()
{
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (dynamic_cast<TForm_Splash*>(Screen->Forms(i)) && Screen->Forms(i)->Host()->isVisible())
            return true;
    return false;
}

class StartupOrder : public SettingsTest {
protected:
    void TearDown() override
    {
        StartupSteps() = TStartupSteps{};
        delete Application->MainForm();
        Application->SetMainForm(nullptr);
        TVersionInfo::DestroySingleton();
        SettingsTest::TearDown();
    }
    TVersionResource version{2, 1, 2, 10};
    std::vector<String> order;
};

} // namespace

TEST_F(StartupOrder, SplashIsUpWhileTheDataModuleAndMainWindowAreMade)
{
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_DATABASE, "/opt/quelm/Projects.vantor");
    FormatSettings().DecimalSeparator = ',';
    StartupSteps().CreateDataModule = [&] {
        order.push_back("data module");
        EXPECT_TRUE(SplashShown());
        EXPECT_TRUE(TVersionInfo::SingletonExists());
        // the machine-wide database is the template; the user works in a copy of their own
        EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, REG_DATABASE), DefaultDemoDatabasePath());
        EXPECT_TRUE(FileExists(DefaultDemoDatabasePath()));
        EXPECT_EQ(FormatSettings().DecimalSeparator, '.');
    };
    TForm* main = nullptr;
    bool shownInTheLoop = false, splashInTheLoop = true;
    StartupSteps().CreateMainForm = [&] {
        order.push_back("main window");
        Application->CreateForm(main);
        QTimer::singleShot(0, [&] {
            shownInTheLoop = main->Host()->isVisible();
            splashInTheLoop = SplashShown();
            QCoreApplication::exit(0); // quit() would close the windows first
        });
    };
    EXPECT_EQ(StartApplication(), 0);
    EXPECT_EQ(order, (std::vector<String>{"data module", "main window"}));
    EXPECT_EQ(Application->MainForm(), main);
    EXPECT_TRUE(shownInTheLoop);
    EXPECT_FALSE(splashInTheLoop);
    EXPECT_EQ(Application->Title(), "RavuzAVEDE 2.1.2");
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(StartupOrder, WithoutAMainWindowTheSplashStaysUp)
{
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_DATABASE, "/opt/quelm/Projects.vantor");
    bool splashInTheLoop = false;
    StartupSteps().CreateDataModule = [&] {
        // the start-up window has had its one round of messages: the loop comes next
        QTimer::singleShot(0, [&] {
            splashInTheLoop = SplashShown();
            QCoreApplication::exit(0); // quit() would close the windows first
        });
    };
    EXPECT_EQ(StartApplication(), 0);
    EXPECT_NE(dynamic_cast<TForm_Splash*>(Application->MainForm()), nullptr);
    EXPECT_TRUE(splashInTheLoop);
}

TEST_F(StartupOrder, AnUnhandledStartUpErrorIsShownAndEndsTheProgram)
{
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_DATABASE, "/opt/quelm/Projects.vantor");
    StartupSteps().CreateDataModule = [] { throw EInOutError("Disk gone"); };
    StartupSteps().CreateMainForm = [&] { order.push_back("main window"); };
    EXPECT_EQ(StartApplication(), 1);
    EXPECT_TRUE(order.empty());
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Error);
    EXPECT_EQ(boxes.Last().Text, "Disk gone.");
    // the start-up window does not outlive the failed start
    for (int i = 0; i < Screen->FormCount(); ++i)
        delete dynamic_cast<TForm_Splash*>(Screen->Forms(i));
}
