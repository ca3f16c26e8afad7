#include "plotwell/app/imagelib/img_codecs.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

struct img_signature {
    std::int32_t type;
    std::int32_t offset;
    std::int32_t length;
    const char* bytes;
};

// Searched in this order; the first match decides.
const img_signature img_signature_table[21] = {
    {IMG_TYPE_BMP, 0, 2, "BM"},
    {IMG_TYPE_PAX, 0, 3, "PAX"},
    {IMG_TYPE_GIF, 0, 6, "GIF89a"},
    {IMG_TYPE_GIF, 0, 6, "GIF87a"},
    {IMG_TYPE_JPEG, 0, 4, "\xFF\xD8\xFF\xE0"},
    {IMG_TYPE_JPEG, 0, 3, "\xFF\xD8\xFF"},
    {IMG_TYPE_PCX, 0, 2, "\x0A\x00"},
    {IMG_TYPE_PCX, 0, 2, "\x0A\x02"},
    {IMG_TYPE_PCX, 0, 2, "\x0A\x03"},
    {IMG_TYPE_PCX, 0, 2, "\x0A\x05"},
    {IMG_TYPE_TIFF, 0, 2, "MM"},
    {IMG_TYPE_TIFF, 0, 2, "II"},
    {IMG_TYPE_PNG, 0, 8, "\x89PNG\r\n\x1A\n"},
    {IMG_TYPE_WMF, 0, 5, "\x01\x00\x09\x00\x00"},
    {IMG_TYPE_WMF, 0, 4, "\xD7\xCD\xC6\x9A"},
    {IMG_TYPE_EMF, 40, 4, " EMF"},
    {IMG_TYPE_PSD, 0, 4, "8BPS"},
    {IMG_TYPE_TLA, 0, 4, "TLA\x01"},
    {IMG_TYPE_TLAU, 0, 4, "TLAU"},
    {IMG_TYPE_WBMP, 0, 2, "\x00\x00"},
    {IMG_TYPE_TGA, 0, 0, ""},
};

std::int32_t type_from_extension(const char* name)
{
    const char* dot = std::strrchr(name, '.');
    if (!dot)
        return IMG_TYPE_UNKNOWN;
    std::string extension(dot);
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".wbmp" || extension == ".wbm")
        return IMG_TYPE_WBMP;
    if (extension == ".tga")
        return IMG_TYPE_TGA;
    return IMG_TYPE_UNKNOWN;
}

} // namespace

std::int32_t img_guess_file_type(img_input handle)
{
    if (!img_get_thread_state())
        return 0;
    if (!handle) {
        img_set_last_error(IMG_ERR_ARGUMENT);
        return 0;
    }
    img_stream stream(handle);
    std::uint8_t buffer[44] = {};
    if (!stream.read_exactly(buffer, 44)) {
        img_set_last_error(IMG_ERR_READ);
        return 0;
    }
    std::int32_t found = IMG_TYPE_UNKNOWN;
    for (const img_signature& entry : img_signature_table) {
        if (entry.length == 0)
            continue;
        if (std::memcmp(buffer + entry.offset, entry.bytes, std::size_t(entry.length)) == 0) {
            found = entry.type;
            break;
        }
    }
    std::int32_t result = found;
    if (found == IMG_TYPE_UNKNOWN || found == IMG_TYPE_WBMP) {
        // Only a named file has an extension; a TGA file without an identification field and
        // colour map starts with two zero bytes and is known by its name only.
        const std::int32_t by_name =
            stream.has_file_name() ? type_from_extension(stream.file_name()) : IMG_TYPE_UNKNOWN;
        if (found == IMG_TYPE_WBMP && by_name == IMG_TYPE_TGA)
            result = IMG_TYPE_TGA;
    }
    img_set_last_error(0);
    return result;
}
