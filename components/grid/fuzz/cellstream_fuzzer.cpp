// Reads arbitrary bytes as a binary cell stream into a small grid: a malformed stream may raise
// its reading error, but never reads out of bounds, allocates for a count the bytes cannot hold
// or grows the grid past the stream's limits.
#include "PlusGrid.h"

#include "platform/framework/Forms.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static TQApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    static TForm form(nullptr);
    static TPlusStringGrid* grid = [] {
        auto* g = new TPlusStringGrid(&form);
        g->SetParent(&form);
        return g;
    }();
    grid->SetColCount(6);
    grid->SetRowCount(8);
    TMemoryStream stream;
    stream.WriteBuffer(data, long(size));
    stream.SetPosition(0);
    try {
        grid->ReadBinaryCellStream(&stream, TPoint{int(size % 7), int(size % 5)});
    } catch (const Exception&) {
    }
    if (grid->ColCount() > 65536 || grid->RowCount() > 65536)
        std::abort();
    return 0;
}
