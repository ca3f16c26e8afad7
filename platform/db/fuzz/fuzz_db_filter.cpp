// Filter expressions and query parameters come from program text and settings; neither
// parser may crash or loop on any input.
#include "platform/db/DBTables.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const String text(reinterpret_cast<const char*>(data), size);
    TTable table;
    try {
        table.SetFilter(text);
    } catch (const EDatabaseError&) {
    }
    TQuery query;
    query.SQL.SetText(text);
    try {
        query.ParamCount();
        query.FindParam("qName");
    } catch (const Exception&) {
    }
    TDateTime dt = 0;
    SqlTextToDateTime(ToQString(text), dt);
    return 0;
}
