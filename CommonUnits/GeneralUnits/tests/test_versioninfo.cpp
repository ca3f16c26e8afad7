#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"

#include "platform/win/WinVersion.h"

#include <gtest/gtest.h>

TEST(TVersionInfo, SingletonLifecycleAndIdentityTexts)
{
    TVersionResource resource(2, 1, 2, 10);
    TVersionInfo::DestroySingleton();
    try {
        TVersionInfo::GetSingleton();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Error: Object not created, use TVersionInfo.CreateSingleton.");
    }
    TVersionInfo* first = TVersionInfo::CreateSingleton();
    try {
        TVersionInfo::CreateSingleton();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Error: Object already created, use TVersionInfo.GetSingleton.");
    }
    EXPECT_EQ(TVersionInfo::GetSingleton(), first); // the first instance stays
    EXPECT_EQ(first->Major(), "2");
    EXPECT_EQ(first->Minor(), "1");
    EXPECT_EQ(first->Release(), "2");
    EXPECT_EQ(first->Build(), "10");

    EXPECT_EQ(GetProductName(), "RavuzAVEDE");
    EXPECT_EQ(GetApplicationTitle(), "RavuzAVEDE 2.1.2");
    EXPECT_EQ(GetApplicationTitleWithDate(), "RavuzAVEDE 2.1.2 (April 2016)");
    EXPECT_EQ(GetReleaseDate(), "April 2016");
    EXPECT_EQ(ResultAvailable, "Available");
    EXPECT_EQ(ResultNotAvailable, "NotAvailable");
    EXPECT_FALSE(GetAboutText().empty());

    try {
        TVersionInfo::Create();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Error: Do not use TVersionInfo.Create, use TVersionInfo.CreateSingleton.");
    }
    try {
        first->Destroy();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Error: Do not use TVersionInfo.Destroy, this would destroy the singleton object, "
                               "use TVersionInfo.DestroySingleton !");
    }
    EXPECT_TRUE(TVersionInfo::SingletonExists());
    TVersionInfo::DestroySingleton();
    TVersionInfo::DestroySingleton(); // harmless
    EXPECT_FALSE(TVersionInfo::SingletonExists());
}

TEST(TVersionInfo, ProgramWithoutVersionInformationFailsTheAssertion)
{
    TVersionInfo::DestroySingleton();
    try {
        TVersionInfo::CreateSingleton();
        FAIL();
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), "No version information found (TVersionInfo_Unit, line 101)");
    }
    EXPECT_FALSE(TVersionInfo::SingletonExists());
}
