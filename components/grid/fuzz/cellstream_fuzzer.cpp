// Reads arbitrary bytes as a binary cell stream and as a text cell stream into small grids: a
// malformed stream may raise its reading error, but never reads out of bounds, allocates for a
// count the bytes cannot hold or grows a grid past the stream's limits; the grids it leaves can
// be written out again.
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static TQApplication app(*argc, *argv);
    return 0;
}

namespace {

// The grids show no scroll bars: a stream that grows a grid past its window would otherwise
// make a bar appear and go again on every run, and the window surfaces that costs are no part
// of reading a stream.
TPlusStringGrid* NewGrid(TForm& form)
{
    auto* g = new TPlusStringGrid(&form);
    g->SetParent(&form);
    g->SetScrollBars(ssNone);
    return g;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    static TForm form(nullptr);
    static TPlusStringGrid* binaryGrid = NewGrid(form);
    static TPlusStringGrid* textGrid = NewGrid(form);
    TMemoryStream stream;
    stream.WriteBuffer(data, long(size));

    binaryGrid->SetColCount(6);
    binaryGrid->SetRowCount(8);
    binaryGrid->ClearAll();
    stream.SetPosition(0);
    try {
        binaryGrid->ReadBinaryCellStream(&stream, TPoint{int(size % 7), int(size % 5)});
    } catch (const Exception&) {
    }
    if (binaryGrid->ColCount() > 65536 || binaryGrid->RowCount() > 65536)
        std::abort();
    TMemoryStream again;
    binaryGrid->WriteBinaryCellStream(TRect(0, 0, std::min(binaryGrid->ColCount(), 8) - 1,
                                            std::min(binaryGrid->RowCount(), 8) - 1),
                                      &again);

    textGrid->SetColCount(4);
    textGrid->SetRowCount(4);
    textGrid->ClearAll();
    stream.SetPosition(0);
    try {
        textGrid->ReadTextCellStream(&stream);
    } catch (const Exception&) {
    }
    if (textGrid->ColCount() > 65536 || textGrid->RowCount() > 10000000)
        std::abort();
    return 0;
}
