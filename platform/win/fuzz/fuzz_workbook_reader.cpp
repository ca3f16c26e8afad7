// Workbook reader: any bytes give a workbook or EOleException, never a crash, a leak or a read
// outside the input; a workbook it gives answers every call within its used range.
#include "platform/win/SpreadsheetAutomation.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        auto book = ReadWorkbookBytes(std::string(reinterpret_cast<const char*>(data), size));
        for (int i = 1; i <= book->SheetCount(); ++i) {
            const TSpreadsheetRange used = book->Sheets(i)->UsedRange();
            if (long(used.LastRow - used.FirstRow) * (used.LastCol - used.FirstCol) < 100000)
                for (const auto& row : used.Value())
                    for (const auto& v : row)
                        (void)v.AsString();
            (void)book->Sheets(i)->Range(used.Address());
        }
    } catch (const EOleException&) {
    }
    return 0;
}
