#include "platform/framework/IniFiles.h"
#include "platform/testing/quelm_test_support.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

const char kSettings[] =
    "; quelm settings\r\n"
    "[Paths]\r\n"
    "  Work Folder = /home/u/work  \r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "\r\n"
    "[Numbers]\r\n"
    "count=42\r\n"
    "mask=0x1F\r\n"
    "bad=4x\r\n"
    "flag=-1\r\n"
    "ratio=0.25\r\n";

TEST(IniFile, ReadsValuesAsTheProfileRulesSay)
{
    quelmtest::TempDir dir;
    const String path = dir.file("q.ini");
    quelmtest::WriteFileBytes(path, kSettings);
    TIniFile ini(path);
    struct Case { const char* section; const char* ident; const char* expected; };
    const Case cases[] = {
        {"paths", "WORK FOLDER", "/home/u/work"}, // names case-blind, names and values trimmed
        {"Paths", "Quoted", "  spaced  "},        // one pair of quotes goes
        {"Paths", "Single", "x"},
        {"Paths", "Missing", "def"},
        {"Nowhere", "count", "def"},
        {"Numbers", "count", "42"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.ident, "def"), c.expected) << c.section << "/" << c.ident;
    EXPECT_EQ(ini.ReadInteger("Numbers", "count", 0), 42);
    EXPECT_EQ(ini.ReadInteger("Numbers", "mask", 0), 31);
    EXPECT_EQ(ini.ReadInteger("Numbers", "bad", 7), 7);
    EXPECT_TRUE(ini.ReadBool("Numbers", "flag", false));
    EXPECT_FALSE(ini.ReadBool("Numbers", "none", false));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Numbers", "ratio", 0), 0.25);
    EXPECT_TRUE(ini.SectionExists("NUMBERS"));
    EXPECT_FALSE(ini.SectionExists("Other"));
    EXPECT_TRUE(ini.ValueExists("Numbers", "Mask"));

    TStringList list;
    ini.ReadSections(&list);
    EXPECT_EQ(list.CommaText(), "Paths,Numbers");
    ini.ReadSection("Paths", &list);
    EXPECT_EQ(list.CommaText(), "\"Work Folder\",Quoted,Single");
    ini.ReadSectionValues("Numbers", &list);
    EXPECT_EQ(list[1], "mask=0x1F");
}

TEST(IniFile, WritesInPlaceAndKeepsTheRest)
{
    quelmtest::TempDir dir;
    const String path = dir.file("q.ini");
    quelmtest::WriteFileBytes(path, kSettings);
    TIniFile ini(path);
    ini.WriteString("paths", "work folder", "/tmp/w");
    ini.WriteString("Paths", "Added", "1");
    ini.WriteBool("New", "On", true);
    ini.DeleteKey("Numbers", "bad");
    ini.EraseSection("numbers");
    EXPECT_EQ(quelmtest::ReadFileBytes(path),
              "; quelm settings\r\n"
              "[Paths]\r\n"
              "work folder=/tmp/w\r\n"
              "Quoted=\"  spaced  \"\r\n"
              "Single='x'\r\n"
              "Added=1\r\n"
              "\r\n"
              "[New]\r\n"
              "On=1\r\n");

    // Another writer's change is seen at the next read; a memory file sees it only on reload.
    TMemIniFile memory(path);
    TIniFile other(path);
    other.WriteInteger("New", "Count", 3);
    EXPECT_EQ(ini.ReadInteger("New", "Count", 0), 3);
    EXPECT_EQ(memory.ReadInteger("New", "Count", 0), 0);
    memory.WriteString("Mem", "Only", "yes");
    EXPECT_EQ(ini.ReadString("Mem", "Only", "no"), "no");
    memory.UpdateFile();
    EXPECT_EQ(ini.ReadString("Mem", "Only", "no"), "yes");
}

TEST(IniFile, NewFilesAndFailures)
{
    quelmtest::TempDir dir;
    TIniFile fresh(dir.file("new.ini"));
    EXPECT_EQ(fresh.ReadString("A", "b", "none"), "none");
    fresh.WriteString("A", "b", "c");
    EXPECT_EQ(quelmtest::ReadFileBytes(dir.file("new.ini")), "[A]\nb=c\n");

    TIniFile nowhere(dir.file("no/such/folder/x.ini"));
    EXPECT_THROW(nowhere.WriteString("A", "b", "c"), EFCreateError);
}

TEST(RegIniFile, SectionsAreSubkeys)
{
    quelmtest::TempDir dir;
    setenv("QUELM_REGISTRY_DIR", dir.str().c_str(), 1);
    {
        TRegIniFile reg("Software\\Quelm");
        EXPECT_EQ(reg.ReadString("Window", "Left", "none"), "none");
        reg.WriteString("Window", "Caption", "Main");
        reg.WriteInteger("Window", "Left", 120);
        reg.WriteBool("Options", "Sound", false);
        EXPECT_EQ(reg.ReadInteger("Window", "Left", 0), 120);
        EXPECT_EQ(reg.ReadString("Window", "Left", ""), "120");
        EXPECT_FALSE(reg.ReadBool("Options", "Sound", true));
        EXPECT_TRUE(reg.ValueExists("window", "caption"));

        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey("\\Software\\Quelm\\Window", false));
        EXPECT_EQ(registry.ReadString("Caption"), "Main");
        registry.WriteInteger("Top", 7); // a number value reads as text too
        EXPECT_EQ(reg.ReadString("Window", "Top", ""), "7");
        EXPECT_EQ(reg.ReadInteger("Window", "Top", 0), 7);

        TStringList list;
        reg.ReadSections(&list);
        list.SetSorted(true);
        EXPECT_EQ(list.CommaText(), "Options,Window");
        TStringList values;
        reg.ReadSectionValues("Window", &values);
        EXPECT_EQ(values.Values("Left"), "120");
        reg.DeleteKey("Window", "Left");
        EXPECT_FALSE(reg.ValueExists("Window", "Left"));
        reg.EraseSection("Options");
        reg.ReadSections(&list);
        EXPECT_EQ(list.CommaText(), "Window");
        EXPECT_FALSE(reg.SectionExists("Options"));
    }
    unsetenv("QUELM_REGISTRY_DIR");
}

} // namespace
