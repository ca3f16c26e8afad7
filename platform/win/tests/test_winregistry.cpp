#include "platform/win/WinRegistry.h"

#include "platform/rtl/FileUtils.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Points the store at a fresh folder for the test's lifetime.
class RegistryDir {
public:
    RegistryDir() { setenv("QUELM_REGISTRY_DIR", dir.str().c_str(), 1); }
    ~RegistryDir() { unsetenv("QUELM_REGISTRY_DIR"); }
    quelmtest::TempDir dir;
};

const String Key = "\\SOFTWARE\\RIZOZORERU212";

} // namespace

TEST(RegistryStore, OneFilePerRootInTheRegistryFolder)
{
    RegistryDir store;
    EXPECT_EQ(RegistryStoreFile(HKEY_LOCAL_MACHINE), store.dir.file("HKEY_LOCAL_MACHINE.ini"));
    EXPECT_EQ(RegistryStoreFile(HKEY_CURRENT_USER), store.dir.file("HKEY_CURRENT_USER.ini"));
}

TEST(RegistryStore, WrittenValueIsReadBackUnderTheSameRootOnly)
{
    RegistryDir store;
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey(Key, true));
        reg.WriteString("theDatabase", "/data/Projects.vantor");
        reg.WriteInteger("Count", 10);
        reg.CloseKey();
    }
    TRegistry user(KEY_READ);
    user.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(user.OpenKeyReadOnly(Key));
    EXPECT_TRUE(user.ValueExists("theDatabase"));
    EXPECT_TRUE(user.ValueExists("THEDATABASE")); // names are case-blind
    EXPECT_EQ(user.ReadString("theDatabase"), "/data/Projects.vantor");
    EXPECT_EQ(user.ReadInteger("Count"), 10);
    EXPECT_FALSE(user.ValueExists("Other"));
    EXPECT_EQ(user.ReadString("Other"), "");
    EXPECT_THROW(user.ReadInteger("Other"), ERegistryException);
    EXPECT_THROW(user.ReadString("Count"), ERegistryException);

    TRegistry machine(KEY_READ);
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(machine.OpenKeyReadOnly(Key));
    EXPECT_FALSE(machine.KeyExists(Key));
}

TEST(RegistryStore, TextWithQuotesBackslashesAndLineBreaksSurvives)
{
    RegistryDir store;
    const String tricky = "C:\\Program Files\\\"x\"\r\n\tend \xE9";
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\A\\B", true));
    reg.WriteString("v", tricky);
    reg.WriteString("v", tricky + "2"); // overwrite keeps one value
    TRegistry again;
    ASSERT_TRUE(again.OpenKey("\\SOFTWARE\\a", false));
    EXPECT_TRUE(again.OpenKey("b", false)); // relative to the open key
    EXPECT_EQ(again.CurrentPath(), "SOFTWARE\\a\\b"); // as it was opened
    EXPECT_EQ(again.ReadString("V"), tricky + "2");
    TStringList names;
    again.GetValueNames(names);
    EXPECT_EQ(names.Count(), 1);
}

TEST(RegistryStore, MissingKeyIsNotCreatedWithoutAskingAndReadOnlyRefusesWrites)
{
    RegistryDir store;
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(Key, false));
    EXPECT_FALSE(FileExists(RegistryStoreFile(HKEY_CURRENT_USER)));
    EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException); // no open key

    ASSERT_TRUE(reg.OpenKey(Key, true));
    reg.CloseKey();
    TRegistry readOnly;
    ASSERT_TRUE(readOnly.OpenKeyReadOnly(Key));
    try {
        readOnly.WriteString("theDatabase", "x");
        FAIL() << "a read-only key accepted a write";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'theDatabase'");
    }
}

TEST(RegistryStore, UnwritableStoreRaisesTheRegistryError)
{
    // a folder with content where the store file belongs: no one, root included, can replace it
    RegistryDir store;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Key, true));
    const std::string file = RegistryStoreFile(reg.RootKey());
    std::remove(file.c_str());
    ASSERT_EQ(::mkdir(file.c_str(), 0755), 0);
    quelmtest::WriteFileBytes(file + "/blocker", "x");
    EXPECT_THROW(reg.WriteString("theDatabase", "x"), ERegistryException);
}

TEST(RegistryStore, UnwritableFolderRaisesTheRegistryError)
{
    // a store whose folder cannot be made (a file stands in its way)
    quelmtest::TempDir dir;
    quelmtest::WriteFileBytes(dir.file("blocker"), "x");
    setenv("QUELM_REGISTRY_DIR", (dir.file("blocker") + "/sub").c_str(), 1);
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(Key, true));
    unsetenv("QUELM_REGISTRY_DIR");
}

TEST(RegistryStore, DeleteValueAndKey)
{
    RegistryDir store;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\A\\B\\C", true));
    reg.WriteString("x", "1");
    EXPECT_TRUE(reg.DeleteValue("X"));
    EXPECT_FALSE(reg.DeleteValue("X"));
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey("\\A", false));
    TStringList keys;
    reg.GetKeyNames(keys);
    ASSERT_EQ(keys.Count(), 1);
    EXPECT_EQ(keys[0], "B");
    EXPECT_TRUE(reg.DeleteKey("\\A\\B"));
    EXPECT_FALSE(reg.KeyExists("\\A\\B\\C"));
}
