#include "plotwell/app/gfl/gfl155.h"

#include <gif_lib.h>

#include <cstring>
#include <strings.h>
#include <vector>

namespace {

// GIF is the only format; its index is 1 (0 names no format).
constexpr std::int32_t gif_format_index = 1;
int init_count = 0;
bool lzw_enabled = false;

} // namespace

extern "C" {

GFL_ERROR gflLibraryInit()
{
    ++init_count;
    return GFL_NO_ERROR;
}

void gflEnableLZW(GFL_BOOL enable)
{
    lzw_enabled = enable != 0;
}

void gflGetDefaultSaveParams(GFL_SAVE_PARAMS* params)
{
    if (!params)
        return;
    std::memset(params, 0, sizeof *params);
    params->FormatIndex = -1;
}

std::int32_t gflGetFormatIndexByName(const char* name)
{
    return name && strcasecmp(name, "gif") == 0 ? gif_format_index : -1;
}

GFL_ERROR gflSaveBitmap(const char* file_name, const GFL_BITMAP* bitmap,
                        const GFL_SAVE_PARAMS* params)
{
    if (init_count <= 0)
        return GFL_ERROR_NOT_INITIALISED;
    if (!params || params->FormatIndex != gif_format_index)
        return GFL_ERROR_BAD_FORMAT_INDEX;
    if (!file_name || !*file_name || !bitmap || !bitmap->Data || bitmap->Width <= 0 ||
        bitmap->Height <= 0 || bitmap->Width > 65535 || bitmap->Height > 65535 ||
        bitmap->ComponentsPerPixel != 1 || bitmap->BitsPerComponent != 8 ||
        bitmap->BytesPerLine < std::uint32_t(bitmap->Width) ||
        (bitmap->Type != GFL_COLORS && bitmap->Type != GFL_GREY) ||
        (bitmap->Type == GFL_COLORS && !bitmap->ColorMap))
        return GFL_ERROR_BAD_PARAMETERS;

    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) {
        if (bitmap->Type == GFL_COLORS) {
            colours[i].Red = bitmap->ColorMap->Red[i];
            colours[i].Green = bitmap->ColorMap->Green[i];
            colours[i].Blue = bitmap->ColorMap->Blue[i];
        } else {
            colours[i].Red = colours[i].Green = colours[i].Blue = GifByteType(i);
        }
    }
    ColorMapObject* map = GifMakeMapObject(256, colours);
    if (!map)
        return GFL_ERROR_NO_MEMORY;
    int error = 0;
    GifFileType* gif = EGifOpenFileName(file_name, false, &error);
    if (!gif) {
        GifFreeMapObject(map);
        return GFL_ERROR_FILE_OPEN;
    }
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, bitmap->Width, bitmap->Height, 8, 0, map) == GIF_OK;
    if (ok && bitmap->TransparentIndex >= 0 && bitmap->TransparentIndex < 256) {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
        gcb.UserInputFlag = false;
        gcb.DelayTime = 0;
        gcb.TransparentColor = bitmap->TransparentIndex;
        GifByteType extension[4];
        EGifGCBToExtension(&gcb, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, 0, 0, bitmap->Width, bitmap->Height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> line(std::size_t(bitmap->Width));
    for (std::int32_t y = 0; ok && y < bitmap->Height; ++y) {
        std::memcpy(line.data(), bitmap->Data + std::size_t(y) * bitmap->BytesPerLine, line.size());
        ok = EGifPutLine(gif, line.data(), bitmap->Width) == GIF_OK;
    }
    const bool closed = EGifCloseFile(gif, &error) == GIF_OK;
    GifFreeMapObject(map);
    return ok && closed ? GFL_NO_ERROR : GFL_ERROR_FILE_WRITE;
}

const char* gflGetErrorString(GFL_ERROR error)
{
    switch (error) {
    case GFL_NO_ERROR: return "No error";
    case GFL_ERROR_FILE_OPEN: return "Can't open file";
    case GFL_ERROR_FILE_WRITE: return "Can't write file";
    case GFL_ERROR_NO_MEMORY: return "Not enough memory";
    case GFL_ERROR_BAD_FORMAT_INDEX: return "Bad format index";
    case GFL_ERROR_BAD_PARAMETERS: return "Bad parameters";
    case GFL_ERROR_NOT_INITIALISED: return "Library not initialised";
    default: return "Unknown error";
    }
}

void gflLibraryExit()
{
    if (init_count > 0)
        --init_count;
}

} // extern "C"
