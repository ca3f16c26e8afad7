#include "platform/framework/FileCtrl.h"
#include "platform/framework/Forms.h"

#include "platform/testing/quelm_test_support.h"

#include <QFileSystemModel>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct TreeFixture {
    TreeFixture()
    {
        std::filesystem::create_directories(folder.path() / "a" / "b");
        std::filesystem::create_directories(folder.path() / "c");
        quelmtest::WriteFileBytes(folder.file("a/file.txt"), "not a folder");
        tree->SetParent(&form);
        tree->SetBounds(0, 0, 300, 200);
        form.Show();
        tree->OnChange = [this](TObject*) { ++changes; };
    }
    quelmtest::TempDir folder;
    TForm form{nullptr};
    TDirectoryTreeView* tree = new TDirectoryTreeView(&form);
    int changes = 0;
};

} // namespace

TEST(DirectoryTreeView, SettingAFolderInCodeSelectsItWithoutChangeEvent)
{
    TreeFixture f;
    const String target = f.folder.file("a/b");
    EXPECT_TRUE(f.tree->SetDirectory(target + "/"));
    EXPECT_EQ(f.tree->Directory(), target) << "without trailing delimiter";
    EXPECT_EQ(f.changes, 0);
    auto* model = qobject_cast<QFileSystemModel*>(f.tree->Widget()->model());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(FromQString(model->filePath(f.tree->Widget()->currentIndex())), target);

    // a file or a missing path is no folder: the selection stays
    EXPECT_FALSE(f.tree->SetDirectory(f.folder.file("a/file.txt")));
    EXPECT_FALSE(f.tree->SetDirectory(f.folder.file("missing")));
    EXPECT_FALSE(f.tree->SetDirectory(""));
    EXPECT_EQ(f.tree->Directory(), target);
}

TEST(DirectoryTreeView, UsersSelectionChangesTheDirectoryAndFiresOnChange)
{
    TreeFixture f;
    ASSERT_TRUE(f.tree->SetDirectory(f.folder.file("a")));
    auto* model = qobject_cast<QFileSystemModel*>(f.tree->Widget()->model());
    const QModelIndex other = model->index(ToQString(f.folder.file("c")));
    ASSERT_TRUE(other.isValid());
    // the model moving the current index is no choice of the user's
    f.tree->Widget()->setCurrentIndex(other);
    EXPECT_EQ(f.tree->Directory(), f.folder.file("a"));
    EXPECT_EQ(f.changes, 0);
    // a click is
    f.tree->Widget()->setCurrentIndex(model->index(ToQString(f.folder.file("a"))));
    f.tree->Widget()->scrollTo(other);
    const QRect place = f.tree->Widget()->visualRect(other);
    ASSERT_FALSE(place.isEmpty());
    QTest::mouseClick(f.tree->Widget()->viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
    EXPECT_EQ(f.tree->Directory(), f.folder.file("c"));
    EXPECT_EQ(f.changes, 1);
}

TEST(DirectoryTreeView, AFolderMadeAfterwardsCanBeSelected)
{
    TreeFixture f;
    ASSERT_TRUE(f.tree->SetDirectory(f.folder.file("c")));
    std::filesystem::create_directories(f.folder.path() / "c" / "new");
    f.tree->Refresh();
    EXPECT_TRUE(f.tree->SetDirectory(f.folder.file("c/new")));
    EXPECT_EQ(f.tree->Directory(), f.folder.file("c/new"));
}
