// The bitmap formats of picture export: crop, grey, scale, colour depth and the writers.
#include "plotwell/app/export_settings_dialogs.h"
#include "plotwell/app/gfl/gfl155.h"
#include "plotwell/app/imagelib/imagelib.h"
#include "plotwell/app/picture_export.h"
#include "plotwell/app/plot_app.h"

#include <cstring>
#include <vector>

namespace plotwell {

namespace {
using gfl_init_proc = GFL_ERROR (*)();
using gfl_enable_lzw_proc = void (*)(GFL_BOOL);
using gfl_default_params_proc = void (*)(GFL_SAVE_PARAMS*);
using gfl_format_index_proc = std::int32_t (*)(const char*);
using gfl_save_proc = GFL_ERROR (*)(const char*, const GFL_BITMAP*, const GFL_SAVE_PARAMS*);
using gfl_error_string_proc = const char* (*)(GFL_ERROR);
using gfl_exit_proc = void (*)();

bool write_gif(const std::string& file_name, const std::vector<std::uint8_t>& pixels, int width, int height,
               const std::uint8_t* palette, bool colour, bool transparent, std::string& error)
{
    gif_library gif;
    if (!gif.loaded()) {
        error = "GIF pictures cannot be written: libgfl155 is not available.";
        return false;
    }
    static const char* const names[] = {"gflLibraryInit", "gflEnableLZW", "gflGetDefaultSaveParams", "gflGetFormatIndexByName",
                                        "gflSaveBitmap", "gflGetErrorString", "gflLibraryExit"};
    void* procs[7];
    for (int i = 0; i < 7; ++i) {
        procs[i] = gif.symbol(names[i]);
        if (!procs[i]) {
            error = std::string("Unable to load ") + (i == 0 ? "glfLibraryInit" : names[i]);
            return false;
        }
    }
    reinterpret_cast<gfl_init_proc>(procs[0])();
    reinterpret_cast<gfl_enable_lzw_proc>(procs[1])(1);
    GFL_SAVE_PARAMS params{};
    reinterpret_cast<gfl_default_params_proc>(procs[2])(&params);
    params.FormatIndex = reinterpret_cast<gfl_format_index_proc>(procs[3])("gif");
    params.Compression = 1;
    GFL_COLORMAP map{};
    for (int i = 0; i < 256; ++i) {
        map.Red[i] = palette[i * 4 + 2];
        map.Green[i] = palette[i * 4 + 1];
        map.Blue[i] = palette[i * 4];
    }
    GFL_BITMAP bitmap{};
    bitmap.Type = colour ? GFL_COLORS : GFL_GREY;
    bitmap.Width = width;
    bitmap.Height = height;
    bitmap.BytesPerLine = static_cast<std::uint32_t>(width);
    bitmap.ComponentsPerPixel = 1;
    bitmap.BitsPerComponent = 8;
    bitmap.Xdpi = bitmap.Ydpi = static_cast<std::uint16_t>(width / 8);
    bitmap.TransparentIndex = transparent ? 0 : -1;
    bitmap.ColorUsed = 256;
    bitmap.ColorMap = &map;
    bitmap.Data = const_cast<std::uint8_t*>(pixels.data());
    const GFL_ERROR e = reinterpret_cast<gfl_save_proc>(procs[4])(file_name.c_str(), &bitmap, &params);
    if (e != GFL_NO_ERROR) error = std::string("GflError :") + reinterpret_cast<gfl_error_string_proc>(procs[5])(e);
    reinterpret_cast<gfl_exit_proc>(procs[6])();
    return e == GFL_NO_ERROR;
}
} // namespace

bool export_picture(HBITMAP bitmap, const std::string& file_name, HDC dc, const bitmap_export_settings& s, int width,
                    int height, std::string& error)
{
    CPlotApp& app = plot_app();
    const plot_graphics& gr = app.layer;
    int depth = s.type == TYPE_JPEG ? 24 : s.depth;
    // 16-bit pictures only fit the BMP writer; the others write 24 bits instead of an empty file.
    if (depth == 16 && s.type != TYPE_BMP) depth = 24;
    if (s.type == TYPE_GIF) depth = 8;

    // palette: the colours the drawing used (every table colour at depth 8), or greys
    std::uint8_t palette[1024] = {};
    int entries = 0;
    const auto& table = gr.colours();
    for (int i = 0; i < 256; ++i) {
        if (s.colour) {
            if (depth != 8 && !gr.colours_used()[static_cast<std::size_t>(i)]) continue;
            palette[entries * 4 + 0] = static_cast<std::uint8_t>(table[static_cast<std::size_t>(i)][2]);
            palette[entries * 4 + 1] = static_cast<std::uint8_t>(table[static_cast<std::size_t>(i)][1]);
            palette[entries * 4 + 2] = static_cast<std::uint8_t>(table[static_cast<std::size_t>(i)][0]);
        } else {
            palette[entries * 4 + 0] = palette[entries * 4 + 1] = palette[entries * 4 + 2] = static_cast<std::uint8_t>(i);
        }
        ++entries;
    }
    HPALETTE hpalette = img_create_palette(palette, std::max(entries, 1));
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    img_hbitmap_to_rgb24(bitmap, dc, hpalette, pixels.data());
    if (hpalette) DeleteObject(hpalette);

    // crop to the drawn area
    const drawn_extent_box& e = gr.drawn_extent;
    if (!e.empty() && (e.min_x > 0 || e.max_x < width || e.min_y > 0 || e.max_y < height)) {
        const int left = std::max(e.min_x, 0), top = std::max(e.min_y, 0);
        const int right = std::min(e.max_x, width), bottom = std::min(e.max_y, height);
        if (right > left && bottom > top) {
            std::vector<std::uint8_t> cut(static_cast<std::size_t>(right - left) * (bottom - top) * 3);
            for (int y = top; y < bottom; ++y)
                std::memcpy(&cut[static_cast<std::size_t>(y - top) * (right - left) * 3],
                            &pixels[(static_cast<std::size_t>(y) * width + left) * 3], static_cast<std::size_t>(right - left) * 3);
            pixels.swap(cut);
            width = right - left;
            height = bottom - top;
        }
    }
    if (!s.colour) img_rgb24_to_grey(pixels.data(), width, height);
    if (s.scale > 1 && depth != 8) {
        const int w2 = static_cast<int>(width * s.scale), h2 = static_cast<int>(height * s.scale);
        std::vector<std::uint8_t> big(static_cast<std::size_t>(w2) * h2 * 3);
        img_resize_rgb24(pixels.data(), width, height, big.data(), w2, h2, 0xFFFFFFFFu);
        pixels.swap(big);
        width = w2;
        height = h2;
    }
    std::vector<std::uint8_t> out;
    if (depth == 8) {
        out.resize(static_cast<std::size_t>(width) * height);
        if (s.colour) {
            img_rgb24_to_palette8(pixels.data(), width, height, out.data(), 256, palette, 1);
        } else {
            img_rgb24_to_grey8(pixels.data(), width, height, out.data());
            for (int i = 0; i < 256; ++i) palette[i * 4] = palette[i * 4 + 1] = palette[i * 4 + 2] = static_cast<std::uint8_t>(i);
        }
        entries = 256;
        if (s.scale > 1) {
            const int w2 = static_cast<int>(width * s.scale), h2 = static_cast<int>(height * s.scale);
            std::vector<std::uint8_t> big(static_cast<std::size_t>(w2) * h2);
            img_resize_palette8(out.data(), width, height, big.data(), w2, h2, 256, palette);
            out.swap(big);
            width = w2;
            height = h2;
        }
    } else if (depth == 16) {
        out.resize(static_cast<std::size_t>(width) * height * 2);
        img_rgb24_to_rgb16(pixels.data(), width, height, out.data(), 1, 1);
    } else {
        out.swap(pixels);
    }

    if (s.type == TYPE_GIF) return write_gif(file_name, out, width, height, palette, s.colour, s.transparent, error);

    img_output output = img_open_file_output(file_name.c_str());
    if (!output) {
        error = "Cannot open " + file_name;
        return false;
    }
    std::int32_t status = 0;
    switch (s.type) {
    case TYPE_BMP:
        img_write_bmp(output, out.data(), width, height, depth, depth == 8 ? entries : 0, depth == 8 ? palette : nullptr,
                      depth == 8 ? 1 : 0, nullptr);
        break;
    case TYPE_JPEG: img_write_jpeg(output, out.data(), width, height, 25, 0, 24, nullptr); break;
    case TYPE_PNG:
        if (depth == 8) {
            img_set_write_transparency(s.transparent ? 1 : 0);
            if (s.transparent) img_set_transparent_colour(0, palette[2], palette[1], palette[0], 0);
            img_write_png(output, out.data(), width, height, width, 8, entries, palette, 3, 0, 0, nullptr);
            img_set_write_transparency(0);
        } else {
            img_write_png(output, out.data(), width, height, static_cast<std::uint32_t>(width) * 3, 8, entries, palette, 2, 0,
                          0, nullptr);
        }
        break;
    case TYPE_PCX: img_write_pcx(output, out.data(), width, height, depth, palette); break;
    case TYPE_PSD: img_write_psd(output, out.data(), width, height, depth, palette); break;
    case TYPE_TIFF: img_write_tiff(output, out.data(), width, height, depth, palette, 7, nullptr); break;
    case TYPE_TGA: img_write_tga(output, out.data(), width, height, depth == 8 ? 8 : 24, palette); break;
    default: break;
    }
    status = img_get_last_error();
    img_close_output(output);
    if (status == 0) status = img_get_last_error();
    if (status != 0) {
        error = format_text("Cannot write %s (image library error %d)", file_name.c_str(), status);
        return false;
    }
    return true;
}

} // namespace plotwell
