#pragma once
// The GIF export library loaded by name ("libgfl155"). plotwell finds its seven functions by
// name and calls them in this order: gflLibraryInit, gflEnableLZW, gflGetDefaultSaveParams,
// gflGetFormatIndexByName, gflSaveBitmap (gflGetErrorString on a failure), gflLibraryExit.
#include <cstdint>

extern "C" {

using GFL_ERROR = std::int16_t;
using GFL_BOOL = std::uint8_t;

enum : GFL_ERROR {
    GFL_NO_ERROR = 0,
    GFL_ERROR_FILE_OPEN = 1,
    GFL_ERROR_FILE_WRITE = 4,
    GFL_ERROR_NO_MEMORY = 5,
    GFL_ERROR_BAD_FORMAT_INDEX = 7,
    GFL_ERROR_BAD_PARAMETERS = 8,
    GFL_ERROR_NOT_INITIALISED = 9,
};

// Bitmap kinds.
enum : std::uint16_t { GFL_BINARY = 1, GFL_GREY = 2, GFL_COLORS = 4 };

struct GFL_COLORMAP {
    std::uint8_t Red[256];
    std::uint8_t Green[256];
    std::uint8_t Blue[256];
};

struct GFL_BITMAP {
    std::uint16_t Type;              // GFL_COLORS or GFL_GREY (8 bits per pixel)
    std::int32_t Width;
    std::int32_t Height;
    std::uint32_t BytesPerLine;
    std::uint16_t ComponentsPerPixel; // 1
    std::uint16_t BitsPerComponent;   // 8
    std::uint16_t Xdpi;
    std::uint16_t Ydpi;
    std::int16_t TransparentIndex;    // -1: none
    std::int32_t ColorUsed;
    GFL_COLORMAP* ColorMap;           // GFL_COLORS only
    std::uint8_t* Data;               // Height rows of BytesPerLine bytes, top first
};

struct GFL_SAVE_PARAMS {
    std::int32_t FormatIndex;
    std::uint8_t Compression;         // 1: LZW-compressed picture data (GIF always is)
    std::uint8_t Interlaced;
    std::uint8_t Reserved[2];
};

__attribute__((visibility("default"))) GFL_ERROR gflLibraryInit();
__attribute__((visibility("default"))) void gflEnableLZW(GFL_BOOL enable);
__attribute__((visibility("default"))) void gflGetDefaultSaveParams(GFL_SAVE_PARAMS* params);
__attribute__((visibility("default"))) std::int32_t gflGetFormatIndexByName(const char* name);
__attribute__((visibility("default"))) GFL_ERROR gflSaveBitmap(const char* file_name,
                                                                const GFL_BITMAP* bitmap,
                                                                const GFL_SAVE_PARAMS* params);
__attribute__((visibility("default"))) const char* gflGetErrorString(GFL_ERROR error);
__attribute__((visibility("default"))) void gflLibraryExit();

} // extern "C"
