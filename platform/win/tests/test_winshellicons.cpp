#include "platform/win/WinShellIcons.h"

#include <QDir>
#include <gtest/gtest.h>
#include <vector>

// A file's icon index goes by its kind; the lists hold 16 and 32 pixel icons; a path that does
// not exist is refused unless its name is to be taken as it is; other list handles are refused.
TEST(ShellIcons, KindsSizesAndRefusals)
{
    struct KindCase {
        const char* path;
        DWORD attributes;
        int index;
    };
    for (const KindCase& c : std::vector<KindCase>{{"a.DOC", 0, 0},
                                                   {"x", FILE_ATTRIBUTE_DIRECTORY, 1},
                                                   {"run.exe", 0, 2},
                                                   {"12.SUM", 0, 3},
                                                   {"p.jpeg", 0, 4},
                                                   {"report.htm", 0, 5}}) {
        SHFILEINFO info;
        info.iIcon = -1;
        EXPECT_NE(SHGetFileInfo(c.path, c.attributes, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES),
                  0u);
        EXPECT_EQ(info.iIcon, c.index) << c.path;
    }
    SHFILEINFO info;
    EXPECT_EQ(SHGetFileInfo("/no/such/file.txt", 0, &info, sizeof info, SHGFI_SYSICONINDEX), 0u);
    auto* small = reinterpret_cast<HIMAGELIST>(SHGetFileInfo(QDir::tempPath().toUtf8().constData(), 0, &info,
                                                             sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    EXPECT_EQ(info.iIcon, 1); // an existing folder
    auto* large = reinterpret_cast<HIMAGELIST>(SHGetFileInfo("", 0, &info, sizeof info, SHGFI_SYSICONINDEX));
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(small, &cx, &cy));
    EXPECT_EQ(cx, 16);
    ASSERT_TRUE(ImageList_GetIconSize(large, &cx, &cy));
    EXPECT_EQ(cy, 32);
    EXPECT_EQ(ImageList_GetImageCount(large), 6);
    DeviceContext dc(40, 40);
    EXPECT_TRUE(ImageList_Draw(large, 1, &dc, 2, 2, ILD_TRANSPARENT));
    EXPECT_NE(GetPixel(&dc, 2 + 16, 2 + 20), COLORREF(0xFFFFFF));
    EXPECT_FALSE(ImageList_Draw(large, 6, &dc, 0, 0, ILD_NORMAL));
    int notAList = 0;
    EXPECT_FALSE(ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(&notAList), &cx, &cy));
    EXPECT_EQ(ImageList_GetIcon(reinterpret_cast<HIMAGELIST>(&notAList), 0, 0), nullptr);
    HICON icon = ImageList_GetIcon(small, 3, 0);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->image.width(), 16);
    DestroyIcon(icon);
}
