// Random sequences of set, insert, remove, hide, unhide, group, ungroup and merge on a string
// grid, with the grid's invariants checked after each operation (see stringgrid_ops.h).
#include "components/grid/fuzz/stringgrid_ops.h"

#include "platform/framework/Forms.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static TQApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 512)
        return 0;
    stringgrid_ops::Run(data, size);
    return 0;
}
