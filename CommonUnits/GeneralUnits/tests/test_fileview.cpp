#include "CommonUnits/GeneralUnits/FileView.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"

#include "platform/win/WinMessageBox.h"
#include "platform/win/WinVersion.h"
#include "platform/testing/quelm_test_support.h"

#include <QFontInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
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

TEST_F(FileViewTest, LongOutputScrollsBothWaysWithItsColumnsLinedUp)
{
    // a model output: a header of names over many rows of numbers wider than the window
    std::string out = "      Time  WaterFlux  SoluteFlux  Concentration  WiderThanTheWindow" + std::string(120, '.') + "\r\n";
    for (int i = 0; i < 400; ++i)
        out += "  " + std::to_string(1000 + i) + ".000  1.111E-01  0.000E+00      7.777E-03\r\n";
    const String path = dir.file("17.out");
    quelmtest::WriteFileBytes(path, out);
    std::unique_ptr<TfrmFileView> viewer(New<TfrmFileView>(nullptr));
    viewer->LoadFile(path);
    viewer->Show();
    TMemo* memo = viewer->Memo_File;
    int bars = 0;
    for (QScrollBar* bar : memo->Host()->findChildren<QScrollBar*>()) {
        EXPECT_TRUE(bar->isVisible() && bar->isEnabled()) << bar->orientation();
        ++bars;
        // the user reaches the far end of the file with the bar
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        EXPECT_GT(bar->value(), 0) << bar->orientation();
    }
    EXPECT_EQ(bars, 2);
    EXPECT_EQ(memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0) + memo->ClientHeight() / QFontMetrics(memo->Host()->font()).height(),
              401); // the last line shows at the bottom
    EXPECT_TRUE(QFontInfo(memo->Host()->font()).fixedPitch());
    // the same column stands at the same place on every line, whatever its characters
    const auto xOf = [&](int line, int column) {
        const auto start = int(memo->Perform(EM_LINEINDEX, WPARAM(line), 0));
        return short(LOWORD(memo->Perform(EM_POSFROMCHAR, WPARAM(start + column), 0)));
    };
    EXPECT_EQ(xOf(0, 20), xOf(1, 20));
    EXPECT_EQ(xOf(0, 40), xOf(400, 40));
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
