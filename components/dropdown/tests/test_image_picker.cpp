// The image picker on a real (offscreen) form: items from the image list, choosing by image
// index, the events of a choice, the list keys open and closed, cancelling, and the edit's image.
#include "components/dropdown/PlusImagePickerDropDown.h"
#include "platform/testing/quelm_test_support.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ImgList.h"
#include "platform/win/WinWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using quelmtest::WaitFor;

std::unique_ptr<TBitmap> Square(TColor c, int size = 16)
{
    auto b = std::make_unique<TBitmap>();
    b->SetSize(size, size);
    b->Canvas()->Brush->Color = c;
    b->Canvas()->FillRect(TRect(0, 0, size, size));
    return b;
}

struct ImageFixture {
    TForm* form = New<TForm>(nullptr);
    TImageList* images = new TImageList(16, 16, form);
    TPlusImagePickerDropDown* p = new TPlusImagePickerDropDown(form);
    std::vector<String> log;
    ImageFixture()
    {
        form->SetBounds(100, 100, 400, 300);
        for (TColor c : {clRed, clLime, clBlue}) {
            images->Add(Square(c).get(), nullptr);
        }
        p->SetParent(form);
        p->SetBounds(20, 20, 200, 24);
        p->SetImages(images);
        p->OnChange = [this](TObject*) { log.push_back("change"); };
        p->OnSelect = [this](TObject*) { log.push_back("select"); };
    }
    ~ImageFixture() { delete form; }
    void Show()
    {
        form->Show();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
        p->SetFocus();
    }
    void Open()
    {
        p->ShowDropDown();
        EXPECT_TRUE(WaitFor([&] { return p->IsDroppedDown() && p->DropDownForm()->Visible(); }));
    }
};

TEST(ImagePicker, ItemsFromTheImageListAndChoosingByImageIndex)
{
    ImageFixture f;
    f.p->AddImageListItems();
    ASSERT_EQ(f.p->Items()->Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(f.p->Items()->GetItem(i)->ImageIndex(), i);
        EXPECT_EQ(f.p->Items()->GetItem(i)->Caption(), "");
    }
    f.p->AddImageListItems();
    EXPECT_EQ(f.p->Items()->Count(), 6);
    EXPECT_EQ(f.p->Items()->GetItem(5)->ImageIndex(), 2);

    f.p->SelectImageIndex(2);
    EXPECT_EQ(f.p->ItemIndex(), 2);
    EXPECT_EQ(f.p->GetSelectedImageIndex(), 2);
    EXPECT_EQ(f.log, (std::vector<String>{"change", "select"}));
    f.p->SetItemIndex(2);
    EXPECT_EQ(f.log.size(), 2u) << "the same index fires nothing";
    f.p->SelectImageIndex(7);
    EXPECT_EQ(f.p->ItemIndex(), -1);
    EXPECT_EQ(f.p->GetSelectedImageIndex(), -1);
    f.p->SetItemIndex(-5);
    EXPECT_EQ(f.p->ItemIndex(), -5);
    EXPECT_EQ(f.p->GetSelectedImageIndex(), -1);
    f.p->SetItemIndex(6);
    EXPECT_EQ(f.p->ItemIndex(), -5);
}

TEST(ImagePicker, DownStepsAColumnRowWhenOpenAndOneItemWhenClosed)
{
    ImageFixture f;
    f.p->AddImageListItems();
    f.p->AddImageListItems();
    f.p->AddImageListItems();
    f.p->Columns = 4;
    f.Show();
    f.p->SetItemIndex(1);
    QTest::keyClick(f.p->Host(), Qt::Key_Down);
    EXPECT_EQ(f.p->ItemIndex(), 2);
    f.Open();
    QTest::keyClick(f.p->Host(), Qt::Key_Down);
    EXPECT_EQ(f.p->ItemIndex(), 6);
    EXPECT_TRUE(f.p->IsDroppedDown());
    QTest::keyClick(f.p->Host(), Qt::Key_Escape);
    EXPECT_EQ(f.p->ItemIndex(), 2) << "cancel brings the item chosen at opening back";

    f.p->SetItemIndex(-1);
    QTest::qWait(300);
    f.Open();
    QTest::keyClick(f.p->Host(), Qt::Key_End);
    EXPECT_EQ(f.p->ItemIndex(), 8);
    QTest::keyClick(f.p->Host(), Qt::Key_Escape);
    EXPECT_EQ(f.p->ItemIndex(), -1) << "also when none was chosen";
}

TEST(ImagePicker, AClickTakesTheItemAndTheEditShowsItsPicture)
{
    ImageFixture f;
    f.p->AddImageListItems();
    TImageItem* pictured = f.p->Items()->GetItem(0);
    pictured->Image()->Assign(Square(clYellow, 12).get()); // a picture wins over the image index
    f.Show();
    f.Open();
    TPlusCustomItemSelector* list = f.p->ItemSelector();
    ASSERT_NE(list, nullptr);
    const TRect r = list->Items()->Items(1)->ItemRect;
    QTest::mouseClick(list->Panel()->Host(), Qt::LeftButton, {}, QPoint(r.Left + 4, r.Top + 4));
    EXPECT_FALSE(f.p->IsDroppedDown());
    EXPECT_EQ(f.p->ItemIndex(), 1);

    const TRect e = f.p->GetEditRect();
    const QPoint middle((e.Left + e.Right) / 2, (e.Top + e.Bottom) / 2);
    auto pixel = [&] {
        f.p->Repaint();
        return f.p->Host()->grab().toImage().pixelColor(middle);
    };
    EXPECT_EQ(pixel(), QColor(0, 255, 0));
    f.p->SetItemIndex(0);
    EXPECT_EQ(pixel(), QColor(255, 255, 0));
}

} // namespace
