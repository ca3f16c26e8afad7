// Feeds arbitrary conditions and cell texts to the filter matcher, under both separator
// settings. Input: one flag byte, then the condition, a 0 byte, and the cell text.
#include "components/grid/FilterMatch.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 512)
        return 0;
    const uint8_t flags = data[0];
    const String input(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = input.find('\0');
    const String condition = input.substr(0, split);
    const String text = split == String::npos ? String() : input.substr(split + 1);
    TFormatSettings& fs = FormatSettings();
    const TFormatSettings saved = fs;
    if (flags & 2) {
        fs.DecimalSeparator = ',';
        fs.ThousandSeparator = '.';
        fs.DateSeparator = '.';
        fs.ShortDateFormat = "dd.mm.yyyy";
    }
    MatchFilterExpression(condition, text, (flags & 1) != 0);
    TDateTime value = 0;
    ParseDateTimeText(text, value);
    fs = saved;
    return 0;
}
