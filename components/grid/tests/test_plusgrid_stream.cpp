#include "PlusGrid.h"

#include "platform/framework/Forms.h"
#include "platform/rtl/SysUtils.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

struct StreamFixture {
    StreamFixture()
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(6);
        grid->SetRowCount(8);
    }
    TForm form{nullptr};
    TPlusStringGrid* grid = nullptr;
};

String Bytes(TMemoryStream& stream)
{
    return String(stream.Bytes().begin(), stream.Bytes().end());
}

String Short(const String& s)
{
    return String(1, char(s.size())) + s;
}

// The tag and bytes of an integer property value, smallest tag first.
String IntValue(int32_t v)
{
    String out;
    if (v >= -128 && v <= 127)
        return String{'\x02', char(v)};
    if (v >= -32768 && v <= 32767) {
        out = "\x03";
        out.append(reinterpret_cast<const char*>(&v), 2);
        return out;
    }
    out = "\x04";
    out.append(reinterpret_cast<const char*>(&v), 4);
    return out;
}

} // namespace

TEST(PlusGridStream, OneCellIsWrittenByteForByte)
{
    StreamFixture f;
    f.grid->SetColWidths(2, 64);
    f.grid->SetRowHeights(3, 21);
    f.grid->SetCellText(2, 3, "abc");
    TMemoryStream stream;
    f.grid->WriteBinaryCellStream(TRect(2, 3, 2, 3), &stream);

    const int32_t id = int32_t(reinterpret_cast<intptr_t>(f.grid->Handle()));
    String expected = "TPF0" + Short("TGridPropIO") + String(1, '\0');
    expected += Short("ColCount") + "\x02\x01" + Short("RowCount") + "\x02\x01";
    expected += Short("ColWidths") + "\x06\x02" "64" + Short("RowHeights") + "\x06\x02" "21";
    expected += Short("FullGrid") + "\x08" + Short("ID") + IntValue(id) + String(2, '\0');
    expected += "TPF0" + Short("TGridCellIO") + String(1, '\0');
    expected += Short("Col") + "\x02\x02" + Short("Row") + "\x02\x03";
    expected += Short("Cell") + "\x06\x03" "abc" + Short("HasProp") + "\x08" + String(2, '\0');
    EXPECT_EQ(Bytes(stream), expected);
}

TEST(PlusGridStream, TextTagsAndRoundTrip)
{
    struct Case {
        String text;
        char tag;
    } cases[] = {
        {String(300, 'x'), '\x0c'},        // long ASCII
        {"na\xefve caf\xe9", '\x14'}, // UTF-8 shorter than twice its length
        {"\xe9", '\x12'},              // one accented letter alone: wide string
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        StreamFixture f;
        f.grid->SetCellText(1, 1, c.text);
        TMemoryStream stream;
        f.grid->WriteBinaryCellStream(TRect(1, 1, 1, 1), &stream);
        const String bytes = Bytes(stream);
        const size_t cell = bytes.find(Short("Cell"));
        ASSERT_NE(cell, String::npos);
        EXPECT_EQ(bytes[cell + 5], c.tag);

        StreamFixture g;
        stream.SetPosition(0);
        g.grid->ReadBinaryCellStream(&stream, TPoint{4, 5});
        EXPECT_EQ(g.grid->GetCellText(4, 5), c.text);
    }
}

TEST(PlusGridStream, CellsKeepTheirOffsetsFromTheTarget)
{
    StreamFixture f;
    f.grid->SetCellText(2, 3, "a");
    f.grid->SetCellText(3, 4, "b");
    TMemoryStream stream;
    f.grid->WriteBinaryCellStream(TRect(2, 3, 3, 4), &stream);
    StreamFixture g;
    g.grid->SetColCount(10);
    g.grid->SetRowCount(10);
    stream.SetPosition(0);
    g.grid->ReadBinaryCellStream(&stream, TPoint{5, 7});
    EXPECT_EQ(g.grid->GetCellText(5, 7), "a");
    EXPECT_EQ(g.grid->GetCellText(6, 8), "b");
    EXPECT_EQ(g.grid->GetCellText(6, 7), "");
}

TEST(PlusGridStream, FullGridResizesTarget)
{
    StreamFixture f;
    f.grid->SetColCount(3);
    f.grid->SetRowCount(2);
    f.grid->SetColWidths(1, 90);
    f.grid->SetRowHeights(1, 30);
    f.grid->SetCellText(2, 1, "end");
    TMemoryStream stream;
    f.grid->WriteBinaryCellStream(TRect(0, 0, 2, 1), &stream);
    StreamFixture g;
    g.grid->SetCellText(5, 7, "gone");
    stream.SetPosition(0);
    g.grid->ReadBinaryCellStream(&stream, TPoint{0, 0});
    EXPECT_EQ(g.grid->ColCount(), 3);
    EXPECT_EQ(g.grid->RowCount(), 2);
    EXPECT_EQ(g.grid->ColWidths(1), 90);
    EXPECT_EQ(g.grid->RowHeights(1), 30);
    EXPECT_EQ(g.grid->GetCellText(2, 1), "end");
}

TEST(PlusGridStream, TruncatedOrGarbageStreamsRaise)
{
    StreamFixture f;
    f.grid->SetCellText(0, 0, "hello");
    f.grid->SetCellText(1, 0, "world");
    TMemoryStream good;
    f.grid->WriteBinaryCellStream(TRect(0, 0, 1, 0), &good);
    const String bytes = Bytes(good);

    // every cut that ends inside a record raises; the grid keeps what it had before
    for (size_t cut = 1; cut + 1 < bytes.size(); ++cut) {
        StreamFixture g;
        TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), long(cut));
        stream.SetPosition(0);
        bool raised = false;
        try {
            g.grid->ReadBinaryCellStream(&stream, TPoint{0, 0});
        } catch (const EReadError&) {
            raised = true;
        }
        // a cut exactly between records is a shorter, valid stream
        if (!raised)
            EXPECT_TRUE(g.grid->GetCellText(1, 0).empty()) << cut;
    }

    struct Case {
        const char* what;
        String bytes;
    } cases[] = {
        {"bad signature", "TPF1" + bytes.substr(4)},
        {"huge long string", "TPF0" + Short("TGridPropIO") + String(1, '\0') + Short("ColWidths") +
                                 String("\x0c\xff\xff\xff\x7f", 5)},
        {"huge wide string", "TPF0" + Short("TGridPropIO") + String(1, '\0') + Short("ColWidths") +
                                 String("\x12\xff\xff\xff\x7f", 5)},
        {"negative binary", "TPF0" + Short("TGridPropIO") + String(1, '\0') + Short("X") +
                                String("\x0a\xff\xff\xff\xff", 5)},
        {"full grid of two billion rows",
         "TPF0" + Short("TGridPropIO") + String(1, '\0') + Short("ColCount") + "\x02\x01" + Short("RowCount") +
             String("\x04\xff\xff\xff\x7f", 5) + Short("FullGrid") + "\x09" + String(2, '\0')},
        {"full grid with too few widths",
         "TPF0" + Short("TGridPropIO") + String(1, '\0') + Short("ColCount") + "\x02\x03" + Short("RowCount") +
             "\x02\x01" + Short("ColWidths") + "\x06\x02" "64" + Short("RowHeights") + "\x06\x02" "21" +
             Short("FullGrid") + "\x09" + String(2, '\0')},
        {"unknown tag", "TPF0" + Short("TGridPropIO") + String(1, '\0') + Short("X") + "\x33" + String(2, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StreamFixture g;
        g.grid->SetCellText(1, 1, "keep");
        TMemoryStream stream;
        stream.WriteBuffer(c.bytes.data(), long(c.bytes.size()));
        stream.SetPosition(0);
        EXPECT_THROW(g.grid->ReadBinaryCellStream(&stream, TPoint{0, 0}), EReadError);
        EXPECT_EQ(g.grid->RowCount(), 8);
        EXPECT_EQ(g.grid->GetCellText(1, 1), "keep");
    }
}
