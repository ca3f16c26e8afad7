#include "platform/rtl/Classes.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(List, EditsKeepOrderAndRefuseBadIndexes)
{
    int a = 1, b = 2, c = 3;
    TList list;
    list.Add(&a);
    list.Add(&c);
    list.Insert(1, &b);
    list.Add(nullptr);
    EXPECT_EQ(list.IndexOf(&c), 2);
    list.Pack();
    ASSERT_EQ(list.Count(), 3);
    list.Move(0, 2); // b c a
    EXPECT_EQ(list[0], &b);
    EXPECT_EQ(list.Last(), &a);
    EXPECT_EQ(list.Remove(&c), 1);
    EXPECT_EQ(list.Remove(&c), -1);
    EXPECT_EQ(list.Extract(&a), &a);
    EXPECT_EQ(list.Count(), 1);
    list.Add(&c);
    list.Add(&a);
    list.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
    EXPECT_EQ(list[0], &a);
    EXPECT_EQ(list[2], &c);

    const std::vector<std::function<void()>> bad = {
        [&] { list.Get(3); }, [&] { list.Get(-1); }, [&] { list.Put(3, &a); }, [&] { list.Insert(4, &a); },
        [&] { list.Delete(3); }, [&] { list.Exchange(0, 5); }, [&] { list.Move(0, 3); },
    };
    for (const auto& call : bad)
        EXPECT_THROW(call(), EListError);
    try {
        list.Get(7);
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (7)");
    }
}

TEST(MemoryStream, WritesReadsSeeksAndGrows)
{
    TMemoryStream stream;
    stream.WriteValue<int32_t>(0x01020304);
    stream.WriteBuffer("abc", 3);
    EXPECT_EQ(stream.Size(), 7);
    EXPECT_EQ(stream.Position(), 7);
    EXPECT_EQ(static_cast<unsigned char>(stream.Bytes()[0]), 0x04); // little-endian

    stream.SetPosition(0);
    EXPECT_EQ(stream.ReadValue<int32_t>(), 0x01020304);
    char buf[8] = {};
    EXPECT_EQ(stream.Read(buf, 8), 3); // short read at the end
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(stream.Read(buf, 8), 0);
    EXPECT_THROW(stream.ReadBuffer(buf, 1), EReadError);

    EXPECT_EQ(stream.Seek(-2, soEnd), 5);
    EXPECT_EQ(stream.Seek(-10, soCurrent), -1); // before the start: refused
    EXPECT_EQ(stream.Position(), 5);
    // Writing past the end fills the gap with zeros.
    stream.Seek(10, soBeginning);
    stream.WriteBuffer("z", 1);
    EXPECT_EQ(stream.Size(), 11);
    EXPECT_EQ(stream.Bytes()[8], '\0');
    stream.SetSize(2);
    EXPECT_EQ(stream.Position(), 2);
}

TEST(Streams, FileRoundTripAndCopy)
{
    quelmtest::TempDir dir;
    const String path = dir.file("cells.bin");
    {
        TFileStream file(path, fmCreate);
        TStringStream text("hello");
        EXPECT_EQ(text.Position(), 0);
        text.Seek(0, soEnd);
        text.WriteString(String("\0tail", 5));
        EXPECT_EQ(file.CopyFrom(&text, 0), 10); // 0: the whole source from its start
        file.SetPosition(2);
        char two[2];
        file.ReadBuffer(two, 2);
        EXPECT_EQ(String(two, 2), "ll");
    }
    EXPECT_EQ(quelmtest::ReadFileBytes(path), String("hello\0tail", 10));

    TMemoryStream memory;
    memory.LoadFromFile(path);
    EXPECT_EQ(memory.Position(), 0);
    EXPECT_EQ(memory.Size(), 10);
    {
        TFileStream readOnly(path, fmOpenRead | fmShareDenyWrite);
        EXPECT_THROW(readOnly.WriteBuffer("x", 1), EWriteError);
        readOnly.Seek(5, soBeginning);
        TMemoryStream part;
        EXPECT_EQ(part.CopyFrom(&readOnly, 3), 3);
        EXPECT_EQ(String(part.Bytes().begin(), part.Bytes().end()), String("\0ta", 3));
        EXPECT_THROW(part.CopyFrom(&readOnly, 5), EReadError); // only 2 bytes left
    }
    {
        TFileStream rw(path, fmOpenReadWrite);
        rw.Seek(0, soEnd);
        rw.WriteBuffer("!", 1);
        rw.SetSize(4);
        EXPECT_EQ(rw.Size(), 4);
    }
    EXPECT_EQ(quelmtest::ReadFileBytes(path), "hell");

    try {
        TFileStream missing(dir.file("none.bin"), fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(String(e.what()), "Cannot open file \"" + dir.file("none.bin") + "\"");
    }
    EXPECT_THROW(TFileStream(dir.file("no/such/folder.bin"), fmCreate), EFCreateError);
    EXPECT_THROW(memory.SaveToFile(dir.file("no/such/folder.bin")), EFCreateError);
}

class TTestColumn : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    String ClassName() const override { return "TTestColumn"; }
    String DisplayName() const override { return Title.empty() ? TCollectionItem::DisplayName() : Title; }
    void Assign(TPersistent* source) override
    {
        if (auto* other = dynamic_cast<TTestColumn*>(source)) {
            Title = other->Title;
            Width = other->Width;
            return;
        }
        TCollectionItem::Assign(source);
    }
    void SetWidth(int width)
    {
        Width = width;
        Changed(false);
    }
    String Title;
    int Width = 64;
};

class TTestColumns : public TCollection {
public:
    TTestColumns() : TCollection(ItemClassOf<TTestColumn>()) {}
    TTestColumn* Column(int i) const { return static_cast<TTestColumn*>(Items(i)); }
    std::vector<String> Updates;

protected:
    void Update(TCollectionItem* item) override
    {
        Updates.push_back(item ? item->DisplayName() : String("all"));
        TCollection::Update(item);
    }
};

TEST(Collection, ItemsAddMoveDeleteAndNotify)
{
    TTestColumns columns;
    auto* a = static_cast<TTestColumn*>(columns.Add());
    a->Title = "A";
    auto* b = static_cast<TTestColumn*>(columns.Add());
    b->Title = "B";
    auto* first = static_cast<TTestColumn*>(columns.Insert(0));
    EXPECT_EQ(columns.Updates, (std::vector<String>{"all", "all", "all", "all"}));
    EXPECT_EQ(first->Index(), 0);
    EXPECT_EQ(first->DisplayName(), "TTestColumn");
    EXPECT_EQ(first->ID(), 2);
    EXPECT_EQ(columns.FindItemID(1), b);

    columns.Updates.clear();
    b->SetWidth(80);
    EXPECT_EQ(columns.Updates, std::vector<String>{"B"});
    columns.BeginUpdate();
    b->SetWidth(90);
    b->SetIndex(0);
    delete a; // an item freed by itself leaves its collection
    EXPECT_EQ(columns.Updates.size(), 1u); // held
    columns.EndUpdate();
    EXPECT_EQ(columns.Updates.back(), "all");
    ASSERT_EQ(columns.Count(), 2);
    EXPECT_EQ(columns.Column(0), b);
    EXPECT_EQ(first->Index(), 1);

    // Moving an item to another collection.
    TTestColumns other;
    first->SetCollection(&other);
    EXPECT_EQ(columns.Count(), 1);
    EXPECT_EQ(other.Column(0), first);
    EXPECT_EQ(first->Collection(), &other);

    // Assign copies the items; a deleted item's ID is not reused.
    other.Assign(&columns);
    ASSERT_EQ(other.Count(), 1);
    EXPECT_EQ(other.Column(0)->Title, "B");
    EXPECT_EQ(other.Column(0)->Width, 90);
    EXPECT_EQ(other.Column(0)->ID(), 1);
    EXPECT_THROW(other.Assign(nullptr), EConvertError);
    EXPECT_THROW(columns.Delete(5), EListError);
    columns.Delete(0);
    EXPECT_EQ(columns.Count(), 0);
}

} // namespace
