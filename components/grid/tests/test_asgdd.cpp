#include "components/grid/BaseGrid.h"
#include "components/grid/asgdd.h"

#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Block(IDataObject* data, UINT format)
{
    FORMATETC f{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM m;
    if (data->GetData(&f, &m) != S_OK)
        return {};
    std::vector<uint8_t> out = m.hGlobal;
    ReleaseStgMedium(&m);
    return out;
}

// A grid that takes drops: cells from the private format (bytes kept) and text into cells.
class GridTarget : public TPSGDropTarget {
public:
    explicit GridTarget(TStringGrid* g) : grid(g) {}
    TStringGrid* grid;
    std::vector<uint8_t> cells;
    String text;
    int column = -2;
    std::vector<String> files;
    int drops = 0;

protected:
    void DropCells(POINT, IStream* s) override
    {
        cells = s->Bytes();
        ++drops;
    }
    void DropText(POINT p, const String& t) override
    {
        text = t;
        ++drops;
        const TPoint at = grid->ScreenToClient(TPoint(p.x, p.y));
        (void)at;
        int col = 1, row = 1;
        String cell;
        for (char c : t + "\r") {
            if (c == '\t' || c == '\r') {
                grid->SetCells(col, row, cell);
                cell.clear();
                if (c == '\t') {
                    ++col;
                } else {
                    col = 1;
                    ++row;
                }
            } else if (c != '\n') {
                cell += c;
            }
        }
    }
    void DropColumn(POINT, int c) override
    {
        column = c;
        ++drops;
    }
    void DropFiles(POINT, TStrings* names) override
    {
        for (int i = 0; i < names->Count(); ++i)
            files.push_back(names->Get(i));
        ++drops;
    }
};

struct Grids {
    Grids()
    {
        source.SetColCount(4);
        source.SetRowCount(4);
        target.SetColCount(4);
        target.SetRowCount(4);
        dropTarget = new GridTarget(&target);
        EXPECT_EQ(RegisterDragDrop(target.Handle(), dropTarget), S_OK);
        dropTarget->Release(); // the registration keeps it
    }
    ~Grids() { RevokeDragDrop(target.Handle()); }
    TStringGrid source{nullptr};
    TStringGrid target{nullptr};
    GridTarget* dropTarget;
};

} // namespace

TEST(GridDragDrop, BlocksOfTheSourceDataObject)
{
    SetDragDropRTFMode(false);
    auto* text = new TSourceDataObject("ab", "", -1, nullptr);
    EXPECT_EQ(Block(text, OLE_CF_TEXT), (std::vector<uint8_t>{0x61, 0x62, 0}));
    EXPECT_EQ(Block(text, OLE_CF_UNICODETEXT), (std::vector<uint8_t>{0x61, 0, 0x62, 0, 0, 0}));
    EXPECT_TRUE(Block(text, RtfClipFormat).empty()); // RTF only in RTF mode
    IEnumFORMATETC* e = nullptr;
    ASSERT_EQ(text->EnumFormatEtc(DATADIR_GET, &e), S_OK);
    FORMATETC list[10];
    ULONG fetched = 0;
    EXPECT_EQ(e->Next(10, list, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 3u);
    EXPECT_EQ(list[0].cfFormat, UINT(OLE_CF_TEXT));
    EXPECT_EQ(list[2].cfFormat, RtfClipFormat);
    EXPECT_EQ(e->Skip(5), S_FALSE);
    e->Release();
    text->Release();

    IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>("0123456789"), 10);
    stream->Seek(4, STREAM_SEEK_SET, nullptr); // copied whole, whatever its position
    auto* cells = new TSourceDataObject("x", "", -1, stream);
    const auto block = Block(cells, CellsClipFormat);
    ASSERT_EQ(block.size(), 14u);
    EXPECT_EQ((std::vector<uint8_t>(block.begin(), block.begin() + 5)), (std::vector<uint8_t>{10, 0, 0, 0, '0'}));
    cells->Release();
    stream->Release();

    auto* column = new TSourceDataObject("", "", 3, nullptr);
    EXPECT_EQ(Block(column, ColumnClipFormat), (std::vector<uint8_t>{3, 0, 0, 0}));
    FORMATETC textFormat{OLE_CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(column->QueryGetData(&textFormat), DV_E_FORMATETC);
    column->Release();

    EXPECT_EQ(DragDropEffect(TShiftState() << ssCtrl, DROPEFFECT_COPY | DROPEFFECT_MOVE), DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(DragDropEffect(TShiftState(), DROPEFFECT_COPY | DROPEFFECT_MOVE), DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(DragDropEffect(TShiftState(), DROPEFFECT_COPY), DWORD(DROPEFFECT_COPY));
}

TEST(GridDragDrop, CellRangeFromOneGridToAnother)
{
    Grids g;
    g.source.SetCells(1, 1, "a");
    g.source.SetCells(2, 1, "b");
    const String text = g.source.Cells(1, 1) + "\t" + g.source.Cells(2, 1);
    const std::vector<uint8_t> cellStream = {1, 0, 0, 0, 'a', 0, 0xFE, 'b', 7, 9};
    IStream* stream = SHCreateMemStream(cellStream.data(), UINT(cellStream.size()));
    auto* data = new TSourceDataObject(text, "", -1, stream);
    std::unique_ptr<QMimeData> mime(MimeDataOfDataObject(data));
    data->Release();
    stream->Release();
    EXPECT_EQ(mime->text(), QString("a\tb")); // the text form travels with it
    EXPECT_TRUE(mime->hasFormat("application/x-quelm-clipboard;format=\"TPlusStringGrid Cells\""));

    const DWORD effect = DeliverDrop(g.target.Handle(), mime.get(), POINT{5, 5}, 0, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(g.dropTarget->cells, cellStream); // byte for byte
    EXPECT_EQ(g.dropTarget->drops, 1);          // the cells, not also the text
    EXPECT_EQ(g.dropTarget->OfferedFormats(), uint8_t(ofText | ofCells));
    EXPECT_EQ(DeliverDrop(g.target.Handle(), mime.get(), POINT{5, 5}, MK_CONTROL, DROPEFFECT_COPY | DROPEFFECT_MOVE),
              DWORD(DROPEFFECT_COPY));
}

TEST(GridDragDrop, PlainTextFillsCellsAndFilesArrive)
{
    Grids g;
    QMimeData text;
    text.setText("1\t2\r\n3\t4");
    EXPECT_NE(DeliverDrop(g.target.Handle(), &text, POINT{0, 0}, 0, DROPEFFECT_COPY), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(g.target.Cells(1, 1), "1");
    EXPECT_EQ(g.target.Cells(2, 1), "2");
    EXPECT_EQ(g.target.Cells(1, 2), "3");
    EXPECT_EQ(g.target.Cells(2, 2), "4");

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/one.txt"), QUrl::fromLocalFile("/tmp/two.csv")});
    DeliverDrop(g.target.Handle(), &files, POINT{0, 0}, 0, DROPEFFECT_COPY);
    EXPECT_EQ(g.dropTarget->files, (std::vector<String>{"/tmp/one.txt", "/tmp/two.csv"}));

    // files only, onto a target that does not take files: refused, no hook
    g.dropTarget->AcceptsFiles = false;
    const int before = g.dropTarget->drops;
    EXPECT_EQ(DeliverDrop(g.target.Handle(), &files, POINT{0, 0}, 0, DROPEFFECT_COPY), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(g.dropTarget->drops, before);
}

TEST(GridDragDrop, MalformedDropsFromOutsideAreIgnored)
{
    Grids g;
    const QString cells = "application/x-quelm-clipboard;format=\"TPlusStringGrid Cells\"";
    const QString column = "application/x-quelm-clipboard;format=\"Grid Column\"";
    struct Case {
        QString type;
        QByteArray bytes;
    };
    const Case cases[] = {
        {cells, QByteArray("\xFF\xFF\x00\x00\x01\x02", 6)}, // length far beyond the block
        {cells, QByteArray("\x05", 1)},                     // shorter than the prefix
        {column, QByteArray("\x01\x00", 2)},                // column block too short
    };
    for (const Case& c : cases) {
        QMimeData mime;
        mime.setData(c.type, c.bytes);
        g.dropTarget->AcceptsColumns = true;
        DeliverDrop(g.target.Handle(), &mime, POINT{0, 0}, 0, DROPEFFECT_COPY);
        EXPECT_EQ(g.dropTarget->drops, 0) << c.bytes.toHex().toStdString();
    }
    // a well-formed column block arrives
    QMimeData ok;
    ok.setData(column, QByteArray("\x02\x00\x00\x00", 4));
    DeliverDrop(g.target.Handle(), &ok, POINT{0, 0}, 0, DROPEFFECT_COPY);
    EXPECT_EQ(g.dropTarget->column, 2);

    // a file list whose names run past their block
    const std::vector<uint8_t> dropFiles = {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'a', 'b'};
    class FilesObject : public IDataObject {
    public:
        explicit FilesObject(std::vector<uint8_t> b) : bytes(std::move(b)) {}
        std::vector<uint8_t> bytes;
        HRESULT GetData(const FORMATETC* f, STGMEDIUM* m) override
        {
            if (QueryGetData(f) != S_OK)
                return DV_E_FORMATETC;
            m->tymed = TYMED_HGLOBAL;
            m->hGlobal = bytes;
            return S_OK;
        }
        HRESULT QueryGetData(const FORMATETC* f) override { return f->cfFormat == OLE_CF_HDROP ? S_OK : DV_E_FORMATETC; }
        HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC** r) override
        {
            *r = nullptr;
            return E_NOTIMPL;
        }
    };
    auto* files = new FilesObject(dropFiles);
    EXPECT_THROW(TEnumFormats reader(files), EAssertionFailed); // no format list: the reader refuses
    files->Release();
}
