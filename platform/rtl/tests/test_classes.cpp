#include "platform/rtl/Classes.h"
#include "platform/rtl/FileUtils.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(StringList, TextAndLineEnds)
{
    TStringList list;
    list.SetText("a\r\nb\nc\rd");
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list[3], "d");
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n");
    list.LineBreak = lbLF;
    EXPECT_EQ(list.Text(), "a\nb\nc\nd\n");
    EXPECT_THROW(list.Get(4), EStringListError);
}

TEST(StringList, SortedFindAndDuplicates)
{
    TStringList list;
    list.SetSorted(true);
    list.Add("pear");
    list.Add("Apple");
    list.Add("fig");
    list.Add("apple"); // ignored: case-blind duplicate
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0], "Apple");
    int index = -1;
    EXPECT_TRUE(list.Find("FIG", index));
    EXPECT_EQ(index, 1);
    EXPECT_THROW(list.Insert(0, "x"), EStringListError);
    list.Duplicates = dupError;
    EXPECT_THROW(list.Add("pear"), EStringListError);
}

TEST(StringList, NamesValuesAndCommaText)
{
    TStringList list;
    list.SetValue("Key", "1");
    list.SetValue("Other", "two");
    EXPECT_EQ(list.Values("key"), "1");
    list.SetValue("Key", "");
    EXPECT_EQ(list.Count(), 1);
    list.SetCommaText("a, \"b c\",\"d\"\"e\",");
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list[1], "b c");
    EXPECT_EQ(list[2], "d\"e");
    EXPECT_EQ(list[3], "");
    EXPECT_EQ(list.CommaText(), "a,\"b c\",\"d\"\"e\",\"\"");
}

TEST(StringList, OwnsObjectsFreesThem)
{
    struct Counted : TObject {
        explicit Counted(int& n) : n_(n) { ++n_; }
        ~Counted() override { --n_; }
        int& n_;
    };
    int alive = 0;
    {
        TStringList list(true);
        list.AddObject("a", new Counted(alive));
        list.AddObject("b", new Counted(alive));
        list.Delete(0);
        EXPECT_EQ(alive, 1);
    }
    EXPECT_EQ(alive, 0);
}

TEST(Files, PathsMasksAndWriters)
{
    quelmtest::TempDir dir;
    EXPECT_EQ(ExtractFileName("/a/b/c.qmi"), "c.qmi");
    EXPECT_EQ(ExtractFilePath("/a/b/c.qmi"), "/a/b/");
    EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
    EXPECT_EQ(ChangeFileExt("/a/b/db.vantor", ""), "/a/b/db");
    EXPECT_EQ(ChangeFileExt("/a/b/7.qmi", ".err"), "/a/b/7.err");
    EXPECT_TRUE(MatchesMask("12.out", "12.*"));
    EXPECT_FALSE(MatchesMask("123.out", "12.*"));
    EXPECT_TRUE(MatchesMask("A.SET", "*.set", true));

    String path = dir.file("x.txt");
    {
        TTextWriter w(path, lbCRLF);
        w.WriteLine("one");
        w.WriteLine();
        w.Close();
    }
    EXPECT_EQ(ReadFileToString(path), "one\r\n\r\n");
    EXPECT_THROW(TTextWriter(dir.file("no/such/folder/x"), lbLF), EInOutError);

    String unique = CreateUniqueFile("XYT", ".tmp", dir.str());
    EXPECT_TRUE(FileExists(unique));
    EXPECT_TRUE(StartsText(dir.file("XYT"), unique));
    EXPECT_NE(unique, CreateUniqueFile("XYT", ".tmp", dir.str()));
}

} // namespace
