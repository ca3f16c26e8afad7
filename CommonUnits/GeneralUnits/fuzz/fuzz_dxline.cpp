// Splits arbitrary lines under arbitrary separator specs: the reader must give fields that
// lie inside the line, or a clear EDxError, never a fault.
#include "CommonUnits/GeneralUnits/DxLine.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t specLength = data[0] % 4;
    if (size < 1 + specLength)
        return 0;
    TDxLine line;
    line.SeparatorSpec.assign(reinterpret_cast<const char*>(data + 1), specLength);
    const String text(reinterpret_cast<const char*>(data + 1 + specLength), size - 1 - specLength);
    try {
        line.SetText(text);
    } catch (const EDxError&) {
        if (line.FieldCount() != 0)
            std::abort();
        return 0;
    }
    if (line.FieldCount() > TDxLine::MaxFields)
        std::abort();
    size_t total = 0;
    for (int i = 0; i <= line.FieldCount() + 1; ++i) {
        total += line.Field(i).size();
        if (line.RestFrom(i).size() > text.size())
            std::abort();
    }
    (void)total;
    return 0;
}
