#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/SpreadsheetAutomation.h"

#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <gtest/gtest.h>
#include <vector>
#include <zlib.h>

namespace {

// A zip archive of the given parts, the odd ones deflated, the even ones stored.
std::string Zip(const std::vector<std::pair<std::string, std::string>>& parts)
{
    std::string out, dir;
    auto u16 = [](std::string& s, uint16_t v) { s += char(v & 0xFF), s += char(v >> 8); };
    auto u32 = [](std::string& s, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            s += char((v >> (8 * i)) & 0xFF);
    };
    int k = 0;
    for (const auto& [name, data] : parts) {
        const bool packed = k++ % 2 == 1;
        std::string body = data;
        if (packed) {
            std::string buf(compressBound(uLong(data.size())) + 16, '\0');
            z_stream z{};
            deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
            z.avail_in = uInt(data.size());
            z.next_out = reinterpret_cast<Bytef*>(buf.data());
            z.avail_out = uInt(buf.size());
            deflate(&z, Z_FINISH);
            buf.resize(buf.size() - z.avail_out);
            deflateEnd(&z);
            body = buf;
        }
        const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size()));
        const uint32_t offset = uint32_t(out.size());
        u32(out, 0x04034b50), u16(out, 20), u16(out, 0), u16(out, packed ? 8 : 0), u16(out, 0), u16(out, 0);
        u32(out, crc), u32(out, uint32_t(body.size())), u32(out, uint32_t(data.size()));
        u16(out, uint16_t(name.size())), u16(out, 0);
        out += name + body;
        u32(dir, 0x02014b50), u16(dir, 20), u16(dir, 20), u16(dir, 0), u16(dir, packed ? 8 : 0), u16(dir, 0),
            u16(dir, 0);
        u32(dir, crc), u32(dir, uint32_t(body.size())), u32(dir, uint32_t(data.size()));
        u16(dir, uint16_t(name.size())), u16(dir, 0), u16(dir, 0), u16(dir, 0), u16(dir, 0), u32(dir, 0);
        u32(dir, offset);
        dir += name;
    }
    const uint32_t dirAt = uint32_t(out.size());
    out += dir;
    u32(out, 0x06054b50), u16(out, 0), u16(out, 0), u16(out, uint16_t(parts.size())),
        u16(out, uint16_t(parts.size()));
    u32(out, uint32_t(dir.size())), u32(out, dirAt), u16(out, 0);
    return out;
}

// A workbook of two sheets: "Data" with a used range B2:D4 (shared, inline and numeric values,
// a Boolean, an error and an empty cell) and "Totals" holding one cell; the second is active.
std::string SmallWorkbook()
{
    const std::string sheet1 =
        R"(<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
        R"(<row r="2"><c r="B2" t="s"><v>0</v></c><c r="C2" t="s"><v>1</v></c><c r="D2" t="inlineStr"><is><t>Caf&#233;</t></is></c></row>)"
        R"(<row r="3"><c r="B3"><v>1.5</v></c><c r="C3"><v>10</v></c><c r="D3" t="b"><v>1</v></c></row>)"
        R"(<row r="4"><c r="B4" t="e"><v>#N/A</v></c><c r="D4"><v>-2.25E3</v></c></row>)"
        R"(</sheetData></worksheet>)";
    const std::string sheet2 =
        R"(<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
        R"(<row r="3"><c r="C3" t="s"><v>2</v></c></row></sheetData></worksheet>)";
    return Zip({
        {"[Content_Types].xml", R"(<?xml version="1.0"?><Types/>)"},
        {"xl/workbook.xml",
         R"(<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
         R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><bookViews>)"
         R"(<workbookView activeTab="1"/></bookViews><sheets><sheet name="Data" sheetId="1" r:id="rId1"/>)"
         R"(<sheet name="Totals" sheetId="2" r:id="rId2"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels",
         R"(<?xml version="1.0"?><Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/>)"
         R"(<Relationship Id="rId2" Target="worksheets/sheet2.xml"/></Relationships>)"},
        {"xl/sharedStrings.xml",
         R"(<?xml version="1.0"?><sst><si><t>name</t></si><si><r><t>val</t></r><r><t>ue</t></r></si><si><t>sum</t></si></sst>)"},
        {"xl/worksheets/sheet1.xml", sheet1},
        {"xl/worksheets/sheet2.xml", sheet2},
    });
}

struct WorkbookFixture {
    WorkbookFixture()
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(2);
        grid->SetRowCount(2);
        grid->SetCells(0, 0, "before");
    }
    String Write(const std::string& bytes, const String& name = "book.xlsx")
    {
        const String path = dir.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    QTemporaryDir dir;
    TForm form{nullptr};
    TPlusStringGrid* grid;
};

TEST(Workbook, NamedSheetFillsTheGridFromItsUsedRange)
{
    WorkbookFixture f;
    f.grid->ImportExcelWorkbook(f.Write(SmallWorkbook()), "Data");
    ASSERT_EQ(f.grid->ColCount(), 3);
    ASSERT_EQ(f.grid->RowCount(), 3);
    const char* expected[3][3] = {{"name", "value", "Caf\xe9"}, {"1.5", "10", "True"}, {"", "", "-2250"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(f.grid->Cells(c, r), expected[r][c]) << c << "," << r;
}

TEST(Workbook, ActiveSheetOfOneCellAndFixedOffsets)
{
    WorkbookFixture f;
    f.grid->LoadXlsFile(f.Write(SmallWorkbook()));
    EXPECT_EQ(f.grid->Cells(0, 0), "sum");
    WorkbookFixture g;
    g.grid->SaveFixedCells = false;
    g.grid->SetFixedRows(1);
    g.grid->SetFixedCols(1);
    g.grid->ImportExcelWorkbook(g.Write(SmallWorkbook()), "Data");
    EXPECT_EQ(g.grid->ColCount(), 4);
    EXPECT_EQ(g.grid->RowCount(), 4);
    EXPECT_EQ(g.grid->Cells(1, 1), "name");
}

TEST(Workbook, UnreadableWorkbooksRaiseAndLeaveTheGridUnchanged)
{
    std::string truncated = SmallWorkbook();
    truncated.resize(truncated.size() / 2);
    const struct {
        const char* name;
        std::string bytes;
        const char* file;
        const char* sheet;
        const char* message; // the start of the message, then what it must hold
        const char* holds;
    } cases[] = {
        {"text named .xlsx", "just text", "book.xlsx", "", "Workbook cannot be read: ",
         "book.xlsx is not a workbook (neither a binary .xls nor an .xlsx file)"},
        {"text named .xls", "a;b\r\n1;2\r\n", "book.xls", "", "Workbook cannot be read: ",
         "book.xls is not a workbook (neither a binary .xls nor an .xlsx file)"},
        {"empty", "", "book.xls", "", "Workbook cannot be read: ", "is not a workbook"},
        {"truncated", truncated, "book.xlsx", "", "Workbook cannot be read", ""},
        {"missing sheet", SmallWorkbook(), "book.xlsx", "Nope", "Excel worksheet Nope not found", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WorkbookFixture f;
        try {
            f.grid->ImportExcelWorkbook(f.Write(c.bytes, c.file), c.sheet);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(String(e.Message()).rfind(c.message, 0), 0u) << e.Message();
            EXPECT_NE(String(e.Message()).find(c.holds), String::npos) << e.Message();
        }
        EXPECT_EQ(f.grid->Cells(0, 0), "before");
        EXPECT_EQ(f.grid->ColCount(), 2);
        EXPECT_EQ(f.grid->RowCount(), 2);
    }
    WorkbookFixture f;
    EXPECT_THROW(f.grid->ImportExcelWorkbook(f.dir.path().toStdString() + "/absent.xlsx", ""), Exception);
}

TEST(Workbook, AddressesOfTheUsedRange)
{
    WorkbookFixture f;
    const std::string sheet =
        R"(<worksheet><sheetData><row r="10"><c r="AB10"><v>7</v></c></row><row r="1"><c r="A1"><v>1</v></c></row>)"
        R"(</sheetData></worksheet>)";
    auto book = ReadWorkbookBytes(Zip({
        {"xl/workbook.xml", R"(<workbook><sheets><sheet name="S" r:id="r1" xmlns:r="x"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels", R"(<Relationships><Relationship Id="r1" Target="s.xml"/></Relationships>)"},
        {"xl/s.xml", sheet},
    }));
    EXPECT_EQ(book->Sheets(1)->UsedRange().Address(), "$A$1:$AB$10");
    f.grid->ImportExcelWorkbook(f.Write(Zip({
                                    {"xl/workbook.xml", R"(<workbook><sheets><sheet name="S" r:id="r1" xmlns:r="x"/></sheets></workbook>)"},
                                    {"xl/_rels/workbook.xml.rels",
                                     R"(<Relationships><Relationship Id="r1" Target="s.xml"/></Relationships>)"},
                                    {"xl/s.xml", sheet},
                                })),
                                "");
    EXPECT_EQ(f.grid->ColCount(), 28);
    EXPECT_EQ(f.grid->RowCount(), 10);
    EXPECT_EQ(f.grid->Cells(27, 9), "7");
}


// workbook.xls (written by make_workbook_xls.py beside it): "Summary" first, holding "sum" in
// A1, and "Data" with a used range B2:D5 (texts, numbers, a Boolean, a date).
std::string BinaryWorkbook()
{
    std::ifstream in(String(QUELM_GRID_TEST_FILES) + "/workbook.xls", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(Workbook, BinaryWorkbookFillsTheGrid)
{
    const std::string bytes = BinaryWorkbook();
    ASSERT_TRUE(IsCompoundFile(bytes));
    WorkbookFixture f;
    f.grid->ImportExcelWorkbook(f.Write(bytes, "book.xls"), "Data");
    ASSERT_EQ(f.grid->ColCount(), 3);
    ASSERT_EQ(f.grid->RowCount(), 4);
    const char* expected[4][3] = {
        {"name", "value", "Caf\xe9"}, {"1.5", "10", "1"}, {"", "", "-2250"}, {"2024-01-31", "", ""}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(f.grid->Cells(c, r), expected[r][c]) << c << "," << r;
    // the file's content decides, not its name; the first sheet is the active one
    WorkbookFixture g;
    g.grid->LoadXlsFile(g.Write(bytes, "renamed.xlsx"));
    EXPECT_EQ(g.grid->Cells(0, 0), "sum");
    EXPECT_EQ(g.grid->ColCount(), 1);
}

TEST(Workbook, DamagedBinaryWorkbooksRaiseAndLeaveTheGridUnchanged)
{
    const std::string bytes = BinaryWorkbook();
    ASSERT_GT(bytes.size(), 2048u);
    // scrambled past its header: the reading library reads outside its buffers on this one, which
    // must stay in the reader's own process
    std::string scrambled = bytes;
    for (size_t i = 512; i < scrambled.size(); ++i)
        scrambled[i] = char(scrambled[i] ^ 0x5A);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"signature only", bytes.substr(0, 8)},
        {"truncated", bytes.substr(0, bytes.size() / 2)},
        {"scrambled", scrambled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WorkbookFixture f;
        try {
            f.grid->ImportExcelWorkbook(f.Write(c.bytes, "book.xls"), "");
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(String(e.Message()).rfind("Workbook cannot be read: ", 0), 0u) << e.Message();
        }
        EXPECT_EQ(f.grid->Cells(0, 0), "before");
        EXPECT_EQ(f.grid->ColCount(), 2);
        EXPECT_EQ(f.grid->RowCount(), 2);
    }
}

} // namespace
