#include "CommonUnits/GeneralUnits/About.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"

#include "platform/win/WinVersion.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

TEST(TfrmAbout, ShowsIdentityAndVersionsWhenActivated)
{
    TVersionResource version(2, 1, 2, 10);
    TVersionInfo::DestroySingleton();
    TVersionInfo::CreateSingleton();
    SetDatabaseVersionSource([] { return String("89"); });

    std::unique_ptr<TfrmAbout> about(New<TfrmAbout>(nullptr));
    EXPECT_EQ(about->Caption(), "RavuzAVEDE 2.1.2 - About");
    EXPECT_EQ(about->lblProductName->Caption(), "RavuzAVEDE");
    EXPECT_EQ(about->ClientWidth(), 611);
    EXPECT_EQ(about->ClientHeight(), 467);
    EXPECT_TRUE(about->Label1->Caption().empty()); // filled on activation
    EXPECT_EQ(about->btnClose->Caption(), "&Close");
    EXPECT_TRUE(about->btnClose->Default());

    QTimer::singleShot(50, [&] {
        EXPECT_EQ(about->Label1->Caption(), "RavuzAVEDE 2.1.2");
        EXPECT_EQ(about->Label2->Caption(), "89");
        EXPECT_EQ(about->Label3->Caption(), "April 2016");
        EXPECT_FALSE(about->Memo2->Text().empty());
        EXPECT_TRUE(about->Memo2->ReadOnly());
        about->btnClose->Widget()->click();
    });
    about->ShowModal();
    EXPECT_FALSE(about->Host()->isVisible());

    SetDatabaseVersionSource(nullptr);
    TVersionInfo::DestroySingleton();
}
