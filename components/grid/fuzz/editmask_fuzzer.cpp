// Feeds arbitrary edit masks and values to the mask engine the cell editors use: parsing a
// mask and putting a value through it must stay inside both texts. Input: the mask, a 0 byte,
// and the value.
#include "platform/framework/Mask.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 512)
        return 0;
    const String input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const String mask = input.substr(0, split);
    const String value = split == String::npos ? String() : input.substr(split + 1);
    const TParsedMask parsed = ParseEditMask(mask);
    for (const TMaskChar& c : parsed.chars)
        (void)c.Accepts(u'7');
    const String shown = FormatMaskText(mask, value);
    // a formatted text put through the same mask again is stable in length
    (void)FormatMaskText(mask, shown);
    return 0;
}
