#include "About.h"
#include "TVersionInfo_Unit.h"

#include "platform/win/WinVersion.h"

#include <QLabel>
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
    EXPECT_EQ(about->LabelOf(about->lblProductName)->text(), "RavuzAVEDE");
    EXPECT_EQ(about->ClientWidth(), 611);
    EXPECT_EQ(about->ClientHeight(), 467);
    EXPECT_TRUE(about->LabelOf(about->Label1)->text().isEmpty()); // filled on activation

    QTimer::singleShot(50, [&] {
        EXPECT_EQ(about->LabelOf(about->Label1)->text(), "RavuzAVEDE 2.1.2");
        EXPECT_EQ(about->LabelOf(about->Label2)->text(), "89");
        EXPECT_EQ(about->LabelOf(about->Label3)->text(), "April 2016");
        EXPECT_FALSE(about->MemoOf(about->Memo2)->toPlainText().isEmpty());
        EXPECT_TRUE(about->MemoOf(about->Memo2)->isReadOnly());
        about->CloseButton()->click();
    });
    about->ShowModal();
    EXPECT_FALSE(about->Host()->isVisible());

    SetDatabaseVersionSource(nullptr);
    TVersionInfo::DestroySingleton();
}
