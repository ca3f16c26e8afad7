#include "components/grid/PlusGrid.h"

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

namespace {

String Ident(const String& name)
{
    return "\x07" + Short(name);
}

// The bytes of the cell and properties records the writer gives for one cell with properties.
String PropertiesRecord(bool hasGraphic)
{
    auto p = [](const String& name) { return Short("CellProperties." + name); };
    String r = "TPF0" + Short("TGridCellPropIO") + String(1, '\0');
    r += p("IsBaseCell") + "\x09";
    r += p("CellSpanX") + IntValue(-1) + p("CellSpanY") + IntValue(-1);
    r += p("Alignment") + Ident("taCenter");
    r += p("BorderColor") + Ident("clBlack") + p("BorderWidth") + IntValue(0);
    r += p("BrushColor") + Ident("clRed") + p("BrushColorTo") + IntValue(0x123456);
    r += p("BrushStyle") + Ident("bsSolid");
    r += p("CellObject") + IntValue(0);
    r += p("FontColor") + Ident("clBtnFace");
    r += p("FontName") + "\x06" + Short("Arial");
    r += p("FontSize") + IntValue(300);
    r += p("FontStyle") + "\x0b" + Short("fsBold") + Short("fsUnderline") + String(1, '\0');
    r += p("Editor") + Ident("edComboList");
    r += p("GradientDirection") + Ident("GradientHorizontal");
    r += p("ReadOnly") + "\x09";
    r += p("VAlignment") + Ident("vtaBottom");
    r += p("WordWrap") + "\x08";
    r += p("NodeLevel") + IntValue(2);
    r += Short("HasGraphic") + (hasGraphic ? "\x09" : "\x08") + String(2, '\0');
    return r;
}

void SetProperties(TPlusStringGrid& grid, int col, int row)
{
    TCellProperties& p = *grid.EnsureCellProperties(col, row);
    p.Alignment = taCenter;
    p.BorderColor = clBlack;
    p.BorderWidth = 0;
    p.SetBrushColor(clRed);
    p.SetBrushColorTo(TColor(0x123456));
    p.BrushStyle = bsSolid;
    p.FontColor = clBtnFace;
    p.FontName = "Arial";
    p.FontSize = 300;
    p.FontStyle = TFontStyles() << fsBold << fsUnderline;
    p.Editor = edComboList;
    p.GradientDirection = GradientHorizontal;
    p.ReadOnly = true;
    p.SetVAlignment(vtaBottom);
    p.SetWordWrap(false);
    p.NodeLevel = 2;
}

} // namespace

TEST(PlusGridStream, CellPropertiesAndGraphicAreWrittenByteForByte)
{
    StreamFixture f;
    f.grid->SetCellText(1, 2, "x");
    SetProperties(*f.grid, 1, 2);
    TMemoryStream stream;
    f.grid->WriteBinaryCellStream(TRect(1, 2, 1, 2), &stream);
    const String bytes = Bytes(stream);
    const String cell = "TPF0" + Short("TGridCellIO") + String(1, '\0') + Short("Col") + "\x02\x01" + Short("Row") +
                        "\x02\x02" + Short("Cell") + "\x06\x01x" + Short("HasProp") + "\x09" + String(2, '\0');
    const size_t at = bytes.find("TPF0", 4);
    ASSERT_NE(at, String::npos);
    EXPECT_EQ(bytes.substr(at), cell + PropertiesRecord(false));

    // a progress graphic: its record follows, the value as an 80-bit extended (1.0 here)
    TCellGraphic* g = f.grid->CreateCellGraphic(1, 2);
    g->CellType = ctProgress;
    g->CellValue = 1.0;
    g->CellText = "t";
    TMemoryStream withGraphic;
    f.grid->WriteBinaryCellStream(TRect(1, 2, 1, 2), &withGraphic);
    auto q = [](const String& name) { return Short("CellGraphic." + name); };
    String graphic = "TPF0" + Short("TGridGraphicIO") + String(1, '\0');
    graphic += q("CellType") + Ident("ctProgress") + q("CellVAlign") + Ident("vaTop") + q("CellHAlign") +
               Ident("haLeft") + q("CellIndex") + IntValue(0) + q("CellTransparent") + "\x08" + q("CellCreated") +
               "\x08" + q("CellBoolean") + "\x08" + q("CellAngle") + IntValue(0);
    graphic += q("CellValue") + "\x05" + String("\0\0\0\0\0\0\0\x80\xff\x3f", 10);
    graphic += q("CellErrFrom") + IntValue(0) + q("CellErrLen") + IntValue(0) + q("CellText") + "\x06\x01t" +
               String(2, '\0');
    EXPECT_EQ(Bytes(withGraphic).substr(at), cell + PropertiesRecord(true) + graphic);
}

TEST(PlusGridStream, PropertiesAndGraphicsComeBack)
{
    StreamFixture f;
    f.grid->SetColCount(8);
    SetProperties(*f.grid, 1, 1);
    f.grid->SetCellText(1, 1, "props");

    TBitmap bitmap;
    bitmap.SetSize(6, 4);
    bitmap.Canvas()->Brush->Color = clLime;
    bitmap.Canvas()->FillRect(TRect(0, 0, 6, 4));
    auto* owned = new TBitmap;
    owned->Assign(&bitmap);
    f.grid->AddBitmap(2, 1, owned, false, haLeft, vaTop);
    f.grid->GetCellGraphicOf(2, 1)->CellCreated = true; // the copy belongs to the cell

    TCellGraphic* radio = f.grid->CreateCellGraphic(3, 1);
    radio->CellType = ctRadio;
    radio->CellData = new TStringList{"one", "tw\xf6"};
    radio->CellCreated = true;
    radio->CellIndex = 1;

    TCellGraphic* images = f.grid->CreateCellGraphic(4, 1);
    images->CellType = ctImages;
    auto* indexes = new TIntList(4, 1);
    indexes->Add(3);
    indexes->Add(-7);
    images->CellData = indexes;
    images->CellCreated = true;

    TCellGraphic* file = f.grid->CreateCellGraphic(5, 1);
    file->CellType = ctFilePicture;
    auto* fp = new TFilePicture;
    EXPECT_ANY_THROW(fp->SetFilename("/no/such/picture.png")); // the name stays
    file->CellData = fp;
    file->CellCreated = true;

    f.grid->AddProgress(1, 2, clRed, clWhite);
    f.grid->GetCellGraphicOf(1, 2)->CellValue = -2.75e-3;
    f.grid->MergeCellRange(2, 2, 2, 2);
    f.grid->SetCellText(2, 2, "merged");

    // a graphic that only refers to a bitmap it does not own is not carried
    TCellGraphic* borrowed = f.grid->CreateCellGraphic(6, 1);
    borrowed->CellType = ctBitmap;
    borrowed->CellData = &bitmap;
    borrowed->CellCreated = false;

    TMemoryStream stream;
    f.grid->WriteBinaryCellStream(TRect(1, 1, 6, 3), &stream);
    borrowed->CellType = ctNone; // the bitmap is the test's
    borrowed->CellData = nullptr;

    StreamFixture g;
    g.grid->SetColCount(10);
    g.grid->SetRowCount(10);
    stream.SetPosition(0);
    g.grid->ReadBinaryCellStream(&stream, TPoint{2, 3});

    const TCellProperties* p = g.grid->CellProperties(2, 3);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(g.grid->GetCellText(2, 3), "props");
    EXPECT_EQ(p->BrushColor(), clRed);
    EXPECT_EQ(p->BrushColorTo(), TColor(0x123456));
    EXPECT_EQ(p->FontName, "Arial");
    EXPECT_EQ(p->FontSize, 300);
    EXPECT_TRUE(p->FontStyle.Contains(fsUnderline));
    EXPECT_EQ(p->Editor, edComboList);
    EXPECT_EQ(p->VAlignment(), vtaBottom);
    EXPECT_FALSE(p->WordWrap());
    EXPECT_TRUE(p->ReadOnly);

    TCellGraphic* gb = g.grid->GetCellGraphicOf(3, 3);
    ASSERT_NE(gb, nullptr);
    auto* readBitmap = dynamic_cast<TBitmap*>(gb->CellData);
    ASSERT_NE(readBitmap, nullptr);
    EXPECT_TRUE(gb->CellCreated);
    EXPECT_EQ(readBitmap->Width(), 6);
    EXPECT_EQ(readBitmap->Canvas()->Pixels(3, 2), clLime);

    TCellGraphic* gr = g.grid->GetCellGraphicOf(4, 3);
    ASSERT_NE(gr, nullptr);
    auto* captions = dynamic_cast<TStringList*>(gr->CellData);
    ASSERT_NE(captions, nullptr);
    EXPECT_EQ(captions->Count(), 2);
    EXPECT_EQ(captions->Strings(1), "tw\xf6");
    EXPECT_EQ(gr->CellIndex, 1);

    auto* readIndexes = dynamic_cast<TIntList*>(g.grid->GetCellGraphicOf(5, 3)->CellData);
    ASSERT_NE(readIndexes, nullptr);
    EXPECT_EQ(readIndexes->GetCommaText(), "3,-7");
    auto* readFile = dynamic_cast<TFilePicture*>(g.grid->GetCellGraphicOf(6, 3)->CellData);
    ASSERT_NE(readFile, nullptr);
    EXPECT_EQ(readFile->Filename(), "/no/such/picture.png");

    EXPECT_DOUBLE_EQ(g.grid->GetCellGraphicOf(2, 4)->CellValue, -2.75e-3);
    EXPECT_EQ(g.grid->GetCellType(2, 4), ctProgress);
    EXPECT_TRUE(g.grid->InMergedRange(4, 5));
    EXPECT_EQ(g.grid->BaseCellOf(4, 5), TPoint(3, 4));
    EXPECT_EQ(g.grid->GetCellType(7, 3), ctEmpty);
}

TEST(PlusGridStream, TextStreamWritesSizeWidthsAndCells)
{
    StreamFixture f;
    f.grid->SetColCount(3);
    f.grid->SetRowCount(3);
    for (int c = 0; c < 3; ++c)
        f.grid->SetColWidths(c, 40 + c);
    TMemoryStream empty;
    f.grid->WriteTextCellStream(&empty);
    EXPECT_EQ(Bytes(empty), "3,3\r\ncw 0,40\r\ncw 1,41\r\ncw 2,42\r\n");

    f.grid->SetCellText(2, 1, "a\r\nb");
    f.grid->SetCellText(0, 2, "plain");
    TMemoryStream stream;
    f.grid->WriteTextCellStream(&stream);
    EXPECT_EQ(Bytes(stream), "3,3\r\ncw 0,40\r\ncw 1,41\r\ncw 2,42\r\n2,1,a\x09\x08" "b\r\n0,2,plain\r\n");

    // without SaveFixedCells the data area is carried, counted from the first data cell
    f.grid->SetFixedRows(1);
    f.grid->SetFixedCols(1);
    f.grid->SaveFixedCells = false;
    TMemoryStream data;
    f.grid->WriteTextCellStream(&data);
    EXPECT_EQ(Bytes(data), "2,2\r\ncw 0,40\r\ncw 1,41\r\ncw 2,42\r\n1,0,a\x09\x08" "b\r\n");

    for (bool multi : {true, false}) {
        StreamFixture g;
        g.grid->Multilinecells = multi;
        stream.SetPosition(0);
        g.grid->ReadTextCellStream(&stream);
        EXPECT_EQ(g.grid->ColCount(), 3);
        EXPECT_EQ(g.grid->RowCount(), 3);
        EXPECT_EQ(g.grid->ColWidths(2), 42);
        EXPECT_EQ(g.grid->GetCellText(2, 1), multi ? "a\r\nb" : "a");
        EXPECT_EQ(g.grid->GetCellText(0, 2), "plain");
    }
}

TEST(PlusGridStream, TextStreamWhoseSizeLineOutgrowsItsBytesLeavesTheGridAsItWas)
{
    // 90 bytes whose first line declares 321 x 2,111,140 cells
    String bytes = "321,2111140\r\n";
    while (bytes.size() < 90)
        bytes += "0,0,x\r\n";
    bytes.resize(90);
    StreamFixture g;
    g.grid->SetCells(1, 1, "kept");
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), long(bytes.size()));
    stream.SetPosition(0);
    try {
        g.grid->ReadTextCellStream(&stream);
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(String(e.Message()),
                  "Invalid stream format: its size line declares 321 x 2111140 cells, more than its 77 remaining bytes "
                  "describe");
    }
    EXPECT_EQ(g.grid->ColCount(), 6);
    EXPECT_EQ(g.grid->RowCount(), 8);
    EXPECT_EQ(g.grid->Cells(1, 1), "kept");

    // what the grid itself writes for a large empty grid is read back whole
    StreamFixture big;
    big.grid->SetColCount(300);
    big.grid->SetRowCount(3000);
    big.grid->SetCells(299, 2999, "corner");
    TMemoryStream written;
    big.grid->WriteTextCellStream(&written);
    written.SetPosition(0);
    StreamFixture back;
    back.grid->ReadTextCellStream(&written);
    EXPECT_EQ(back.grid->ColCount(), 300);
    EXPECT_EQ(back.grid->RowCount(), 3000);
    EXPECT_EQ(back.grid->Cells(299, 2999), "corner");
}

TEST(PlusGridStream, TextStreamStopsAtAForeignLineAndRefusesBadNumbers)
{
    struct Case {
        const char* what;
        String bytes;
        bool raises;
        int64_t stopsAt; // where the stream is left (-1: at its end)
    } cases[] = {
        {"a line without commas ends reading", "2,2\r\n0,0,x\r\nnext part\r\n", false, 12},
        {"an empty row ends reading", "2,2\r\n0,,x\r\n", false, 5},
        {"a malformed number", "2,2\r\n0,z,x\r\n", true, -1},
        {"a size beyond the limits", "2,2000000000\r\n", true, -1},
        {"a width line for a column outside the grid", "2,2\r\ncw 9,50\r\n1,1,y\r\n", false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StreamFixture g;
        TMemoryStream stream;
        stream.WriteBuffer(c.bytes.data(), long(c.bytes.size()));
        stream.SetPosition(0);
        if (c.raises) {
            EXPECT_ANY_THROW(g.grid->ReadTextCellStream(&stream));
            EXPECT_LE(g.grid->RowCount(), 8);
            continue;
        }
        g.grid->ReadTextCellStream(&stream);
        EXPECT_EQ(stream.Position(), c.stopsAt < 0 ? stream.Size() : c.stopsAt);
        EXPECT_EQ(g.grid->RowCount(), 2);
    }
}
