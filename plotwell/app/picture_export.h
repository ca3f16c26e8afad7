#pragma once
// Picture export: the chart drawn once more into an enhanced metafile (EMF) or into a memory bitmap
// of the requested size, which export_picture crops to the drawn area, scales, reduces to the
// requested colour depth and writes. Every file is written under a temporary name in the target
// folder and renamed on success, so a failed export never leaves a partial file under the user's
// name.
#include "platform/mfc/AfxWin.h"

#include <cstdint>
#include <string>

namespace plotwell {

// The type code of a file name's extension (upper-cased): 1 BMP, 2 GIF, 3 JPG/JPEG, 4 PNG, 5 PCX,
// 6 TIF/TIFF, 8 EMF, 10 PSD, 14 TGA; 0 for any other or none.
int export_file_type(const std::string& file_name);

// Writes the chart of the window as a picture file (main-window flag: 1 main, 0 Statistics).
void export_chart(CWnd* window, int main_window);

// Settings of one bitmap export.
struct bitmap_export_settings {
    int type = 4;
    int depth = 24;
    bool colour = true;
    bool transparent = false;
    double scale = 1.0;
};

// Writes the memory bitmap's pixels as a picture file; false (with the reason) on failure.
bool export_picture(HBITMAP bitmap, const std::string& file_name, HDC dc, const bitmap_export_settings& s,
                    int width, int height, std::string& error);

// The GIF library loaded by name for one export; empty when it is absent.
class gif_library {
public:
    gif_library();
    ~gif_library();
    gif_library(const gif_library&) = delete;
    gif_library& operator=(const gif_library&) = delete;
    bool loaded() const { return handle_ != nullptr; }
    void* symbol(const char* name) const;

private:
    void* handle_ = nullptr;
};

} // namespace plotwell
