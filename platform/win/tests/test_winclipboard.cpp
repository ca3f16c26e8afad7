#include "platform/win/WinClipboard.h"
#include "platform/win/WinGdi.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QWidget>
#include <cstring>
#include <gtest/gtest.h>

namespace {

HGLOBAL BlockOf(const void* bytes, size_t size)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size);
    std::memcpy(GlobalLock(memory), bytes, size);
    GlobalUnlock(memory);
    return memory;
}

std::string BytesOf(HGLOBAL memory)
{
    const auto* p = static_cast<const char*>(GlobalLock(memory));
    std::string bytes(p, GlobalSize(memory));
    GlobalUnlock(memory);
    return bytes;
}

TEST(GlobalMemory, BlocksLockSizeAndFree)
{
    const int before = GlobalBlockCount();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 5);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(GlobalSize(memory), 5u);
    EXPECT_EQ(BytesOf(memory), std::string(5, '\0')); // never stale bytes
    GlobalLock(memory);
    EXPECT_EQ(GlobalUnlock(memory), FALSE); // the last unlock
    EXPECT_EQ(GlobalUnlock(memory), FALSE); // not locked
    EXPECT_EQ(GlobalFree(memory), nullptr);
    // A freed or made-up handle is refused, never touched.
    int notABlock = 0;
    for (HGLOBAL bad : {memory, static_cast<HGLOBAL>(&notABlock)}) {
        EXPECT_EQ(GlobalLock(bad), nullptr);
        EXPECT_EQ(GlobalSize(bad), 0u);
        EXPECT_EQ(GlobalFree(bad), bad);
    }
    HGLOBAL empty = GlobalAlloc(GMEM_FIXED, 0);
    EXPECT_NE(GlobalLock(empty), nullptr);
    GlobalUnlock(empty);
    GlobalFree(empty);
    EXPECT_EQ(GlobalBlockCount(), before);
}

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { QGuiApplication::clipboard()->clear(); }
    void TearDown() override { CloseClipboard(); }
};

TEST_F(ClipboardTest, OneHolderAtATime)
{
    QWidget a, b;
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr); // not open
    EXPECT_EQ(EmptyClipboard(), FALSE);
    ASSERT_TRUE(OpenClipboard(&a));
    EXPECT_EQ(GetOpenClipboardWindow(), &a);
    EXPECT_FALSE(OpenClipboard(&b));
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_EQ(GetClipboardOwner(), &a);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_TRUE(OpenClipboard(&b));
    CloseClipboard();

    // A window freed while holding the clipboard lets go of it.
    auto* gone = new QWidget;
    ASSERT_TRUE(OpenClipboard(gone));
    delete gone;
    EXPECT_TRUE(OpenClipboard(&a));
}

TEST_F(ClipboardTest, TextFormatsAreOneText)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const char text[] = "a\tb\r\n\xE9t\xE9\0garbage";
    ASSERT_TRUE(SetClipboardData(CF_TEXT, BlockOf(text, sizeof text)));
    CloseClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("a\tb\r\nété"));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));

    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(BytesOf(GetClipboardData(CF_TEXT)), std::string("a\tb\r\n\xE9t\xE9", 8) + '\0');
    HGLOBAL wide = GetClipboardData(CF_UNICODETEXT);
    EXPECT_EQ(GlobalSize(wide), 9u * 2);
    EXPECT_EQ(static_cast<const char16_t*>(GlobalLock(wide))[5], u'é');
    GlobalUnlock(wide);
    EXPECT_EQ(GlobalFree(wide), wide); // the clipboard's block cannot be freed by a reader
    CloseClipboard();

    // Text put by another program (Qt) reads as CF_TEXT.
    QGuiApplication::clipboard()->setText("from Qt");
    OpenClipboard(nullptr);
    EXPECT_EQ(BytesOf(GetClipboardData(CF_TEXT)), std::string("from Qt", 8));
    CloseClipboard();
}

TEST_F(ClipboardTest, PrivateFormatsKeepTheirBytes)
{
    const UINT cells = RegisterClipboardFormat("TTest Cells");
    EXPECT_GE(cells, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormat("ttest CELLS"), cells);
    EXPECT_NE(RegisterClipboardFormat("Rich Text Format"), cells);
    EXPECT_EQ(RegisterClipboardFormat(""), 0u);
    char name[6];
    EXPECT_EQ(GetClipboardFormatName(cells, name, sizeof name), 5);
    EXPECT_STREQ(name, "TTest");
    EXPECT_EQ(GetClipboardFormatName(CF_TEXT, name, sizeof name), 0);

    const std::string stream("\x02\0\0\0\x03\0\0\0\xFF\x00" "cell", 14);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, BlockOf("x\ty", 4));
    CloseClipboard();
    // A second session adds its format without emptying.
    ASSERT_TRUE(OpenClipboard(nullptr));
    SetClipboardData(cells, BlockOf(stream.data(), stream.size()));
    const UINT rtf = RegisterClipboardFormat("Rich Text Format");
    SetClipboardData(rtf, BlockOf("{\\rtf1 x}", 10));
    CloseClipboard();

    EXPECT_TRUE(IsClipboardFormatAvailable(cells));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data("text/rtf"), QByteArray("{\\rtf1 x}", 10));
    EXPECT_EQ(CountClipboardFormats(), 4);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(BytesOf(GetClipboardData(cells)), stream);
    std::vector<UINT> formats;
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f))
        formats.push_back(f);
    EXPECT_EQ(formats, (std::vector<UINT>{CF_TEXT, CF_UNICODETEXT, cells, rtf}));
    EXPECT_EQ(SetClipboardData(0x0123, BlockOf("?", 1)), nullptr); // no such format: caller keeps it
    EmptyClipboard();
    EXPECT_FALSE(IsClipboardFormatAvailable(cells));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(GetClipboardData(cells), nullptr);
    CloseClipboard();
}

TEST_F(ClipboardTest, ReplacedContentFreesItsBlocks)
{
    OpenClipboard(nullptr);
    EmptyClipboard();
    const int before = GlobalBlockCount();
    SetClipboardData(CF_TEXT, BlockOf("one", 4));
    GetClipboardData(CF_UNICODETEXT);
    EXPECT_EQ(GlobalBlockCount(), before + 2);
    EmptyClipboard();
    EXPECT_EQ(GlobalBlockCount(), before);
    CloseClipboard();
}

TEST_F(ClipboardTest, BitmapsTravelAsImages)
{
    HBITMAP bitmap = CreateBitmap(3, 2, 1, 32, nullptr);
    ASSERT_NE(bitmap, nullptr);
    bitmap->image.fill(QColor(10, 200, 30));
    bitmap->image.setPixel(2, 1, qRgb(250, 5, 7));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    EXPECT_EQ(SetClipboardData(CF_BITMAP, bitmap), bitmap); // the clipboard owns it now
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(EnumClipboardFormats(0), UINT(CF_BITMAP));
    const QImage shown = QGuiApplication::clipboard()->image();
    ASSERT_EQ(shown.size(), QSize(3, 2));
    EXPECT_EQ(shown.pixel(2, 1), qRgb(250, 5, 7));
    auto* back = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->image.pixel(0, 0), qRgb(10, 200, 30));
    EXPECT_EQ(back->image.pixel(2, 1), qRgb(250, 5, 7));
    EmptyClipboard(); // both bitmaps go (the sanitizer build sees a leak or a double free otherwise)
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    CloseClipboard();
}

} // namespace
