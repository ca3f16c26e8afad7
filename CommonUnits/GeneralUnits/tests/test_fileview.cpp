#include "CommonUnits/GeneralUnits/FileView.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"

#include "platform/win/WinMessageBox.h"
#include "platform/win/WinVersion.h"
#include "platform/testing/quelm_test_support.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

class FileViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TVersionInfo::DestroySingleton();
        TVersionInfo::CreateSingleton();
    }
    void TearDown() override { TVersionInfo::DestroySingleton(); }

    TVersionResource version{2, 1, 2, 10};
    quelmtest::TempDir dir;
    TMessageBoxInterceptor boxes;
};

} // namespace

TEST_F(FileViewTest, ShowsAnExistingFileUnderItsPath)
{
    const String path = dir.file("17.log");
    quelmtest::WriteFileBytes(path, "first\r\nsecond caf\xE9\r\n");
    std::unique_ptr<TfrmFileView> viewer(New<TfrmFileView>(nullptr));
    EXPECT_EQ(viewer->Caption(), "RavuzAVEDE 2.1.2 - File Viewer");
    viewer->LoadFile(path);
    EXPECT_EQ(viewer->Caption(), "File view of: " + path);
    EXPECT_EQ(viewer->Memo_File->Lines()->Count(), 2);
    EXPECT_EQ(viewer->Memo_File->Lines()->Get(0), "first");
    EXPECT_TRUE(viewer->Memo_File->ReadOnly());
    EXPECT_EQ(viewer->btnClose->Caption(), "&Close");
    EXPECT_TRUE(viewer->btnClose->Default());
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(FileViewTest, MissingFileWarnsAndLeavesAnEmptyViewer)
{
    const String path = dir.file("17.err");
    std::unique_ptr<TfrmFileView> viewer(New<TfrmFileView>(nullptr));
    viewer->LoadFile(path);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Warning);
    EXPECT_EQ(boxes.Last().Text, "File: \"" + path + "\" not found");
    EXPECT_EQ(viewer->Caption(), "RavuzAVEDE 2.1.2 - File Viewer");
    EXPECT_TRUE(viewer->Memo_File->Text().empty());
}

TEST_F(FileViewTest, ShowFileInViewerIsModalUntilClosed)
{
    const String path = dir.file("17.qmi");
    quelmtest::WriteFileBytes(path, "* input\r\n");
    bool sawViewer = false;
    QTimer::singleShot(50, [&] {
        auto* form = dynamic_cast<TfrmFileView*>(Screen->ActiveForm());
        for (int i = 0; !form && i < Screen->FormCount(); ++i)
            form = dynamic_cast<TfrmFileView*>(Screen->Forms(i));
        ASSERT_NE(form, nullptr);
        sawViewer = form->Modal() && form->Memo_File->Text() == "* input";
        form->btnClose->Widget()->click();
    });
    ShowFileInViewer(path);
    EXPECT_TRUE(sawViewer);
    EXPECT_EQ(Screen->FormCount(), 0); // freed
}
