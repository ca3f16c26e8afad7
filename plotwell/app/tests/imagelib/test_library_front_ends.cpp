// PNG, JPEG, TIFF and GIF output read back by the libraries themselves, and the front ends'
// handling of chunks, markers, tags and options.
#include "plotwell/app/tests/imagelib/imagelib_test_helpers.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <cstring>

extern "C" {
#include <jpeglib.h>
}

#include "plotwell/app/gfl/gfl155.h"

namespace {

using namespace imgtest;

// --- PNG ---------------------------------------------------------------------------------

struct png_chunks {
    bool trns = false, bkgd = false, time = false, phys = false, gama = false;
    png_uint_32 phys_x = 0, phys_y = 0;
    int phys_unit = -1, trns_count = 0, colour_type = -1;
    bytes pixels;
};

png_chunks read_with_libpng(const std::string& path)
{
    png_chunks result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return result;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return result;
    }
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    result.colour_type = png_get_color_type(png, info);
    result.trns = png_get_valid(png, info, PNG_INFO_tRNS);
    result.bkgd = png_get_valid(png, info, PNG_INFO_bKGD);
    result.time = png_get_valid(png, info, PNG_INFO_tIME);
    result.gama = png_get_valid(png, info, PNG_INFO_gAMA);
    result.phys = png_get_pHYs(png, info, &result.phys_x, &result.phys_y, &result.phys_unit);
    png_bytep alpha;
    png_color_16p colour;
    if (result.trns)
        png_get_tRNS(png, info, &alpha, &result.trns_count, &colour);
    png_bytepp rows = png_get_rows(png, info);
    const std::size_t row_bytes = png_get_rowbytes(png, info);
    for (png_uint_32 r = 0; r < png_get_image_height(png, info); ++r)
        result.pixels.insert(result.pixels.end(), rows[r], rows[r] + row_bytes);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return result;
}

TEST(ImagePng, PaletteWriteWithTransparencyHasItsChunks)
{
    quelmtest::TempDir dir;
    bytes palette = test_palette();
    const bytes pixels = index_picture(7, 3);
    img_set_write_transparency(1);
    img_set_transparent_colour(0, palette[2], palette[1], palette[0], 0);
    const std::string path = dir.file("t.png");
    const written w = write_file(path, [&](img_output o) {
        return img_write_png(o, pixels.data(), 7, 3, 7, 8, 256, palette.data(), 3, 0, 0, nullptr); });
    img_set_write_transparency(0);
    ASSERT_EQ(w.error, 0);
    const png_chunks c = read_with_libpng(path);
    EXPECT_EQ(c.colour_type, PNG_COLOR_TYPE_PALETTE);
    EXPECT_TRUE(c.trns);
    EXPECT_TRUE(c.bkgd);
    EXPECT_TRUE(c.time);
    EXPECT_TRUE(c.phys);
    EXPECT_FALSE(c.gama);
    EXPECT_EQ(c.phys_x, 1u);
    EXPECT_EQ(c.phys_y, 1u);
    EXPECT_EQ(c.phys_unit, 0);
    EXPECT_EQ(c.pixels, pixels);
}

TEST(ImagePng, RgbRoundTripThroughLibpngAndTextChunks)
{
    quelmtest::TempDir dir;
    const bytes rgb = rgb_picture(9, 4);
    img_thread_state* state = img_get_thread_state();
    state->png_texts_to_write = {{"a plotwell chart", "Title", false}, {"long text", "Comment", true}};
    const std::string path = dir.file("rgb.png");
    ASSERT_EQ(write_file(path, [&](img_output o) {
                  return img_write_png(o, rgb.data(), 9, 4, 27, 8, 0, nullptr, 2, 0.5, 0, nullptr); }).error, 0);
    state->png_texts_to_write.clear();
    const png_chunks c = read_with_libpng(path);
    EXPECT_EQ(c.pixels, rgb);
    EXPECT_TRUE(c.gama);

    state->png_gamma_correction = 0;
    decoded d = read_file(path, img_read_png, 24);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, rgb);
    ASSERT_EQ(state->png_texts_read.size(), 2u);
    EXPECT_EQ(state->png_texts_read[0].key, "Title");
    EXPECT_EQ(state->png_texts_read[1].text, "long text");
    d = read_file(path, img_read_png, 32);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels[3], 255) << "filler alpha";
    state->png_gamma_correction = 1;

    const std::string plain = dir.file("plain.png");
    write_file(plain, [&](img_output o) {
        return img_write_png(o, rgb.data(), 9, 4, 27, 8, 0, nullptr, 2, 0, 0, nullptr); });
    read_file(plain, img_read_png, 24);
    EXPECT_TRUE(state->png_texts_read.empty()) << "a second read clears the texts first";

    EXPECT_EQ(write_file(dir.file("short.png"), [&](img_output o) {
                  return img_write_png(o, rgb.data(), 9, 4, 26, 8, 0, nullptr, 2, 0, 0, nullptr); }).error,
              IMG_ERR_ARGUMENT)
        << "rows shorter than the colour type needs would be read past their end";
}

TEST(ImagePng, InterlacedSixteenBitAndPaletteAlpha)
{
    quelmtest::TempDir dir;
    // 16-bit RGB, interlaced: read at 24 bits gives the high bytes.
    bytes wide(5 * 3 * 6);
    for (std::size_t i = 0; i < wide.size(); ++i)
        wide[i] = std::uint8_t(i * 7);
    const std::string path = dir.file("i16.png");
    ASSERT_EQ(write_file(path, [&](img_output o) {
                  return img_write_png(o, wide.data(), 5, 3, 30, 16, 0, nullptr, 2, 0, 1, nullptr); }).error, 0);
    static int last_row;
    last_row = -1;
    img_set_progress([](std::int32_t row, std::int32_t, std::intptr_t) { last_row = std::max(last_row, int(row)); return 1; }, 0);
    const decoded d = read_file(path, img_read_png, 24);
    img_set_progress(nullptr, 0);
    ASSERT_TRUE(d.ok) << d.error;
    for (std::size_t i = 0; i < d.pixels.size(); ++i)
        ASSERT_EQ(d.pixels[i], wide[2 * i]);
    EXPECT_EQ(last_row, 3) << "progress reaches the row count";

    // A palette with three tRNS values read at 8 bits.
    bytes palette = test_palette();
    palette[3] = 0;
    palette[7] = 100;
    palette[11] = 200;
    img_set_write_transparency(1);
    const bytes pixels = {0, 1, 2, 0, 1, 2, 0, 1};
    const std::string pal = dir.file("pal.png");
    write_file(pal, [&](img_output o) {
        return img_write_png(o, pixels.data(), 4, 2, 4, 8, 3, palette.data(), 3, 0, 0, nullptr); });
    img_set_write_transparency(0);
    const decoded p = read_file(pal, img_read_png, 8);
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.palette[3], 0);
    EXPECT_EQ(p.palette[7], 100);
    EXPECT_EQ(p.palette[11], 200);
    EXPECT_EQ(p.palette[15], 255);
    EXPECT_EQ(read_memory("\x89PNG\r\n\x1A\n broken", img_read_png, 24).error, IMG_ERR_PNG_READ);
}

// --- JPEG --------------------------------------------------------------------------------

struct jpeg_decoded {
    int width = 0, height = 0, components = 0;
    int quant0 = 0;
    bytes pixels;
};

jpeg_decoded read_with_libjpeg(const std::string& path)
{
    jpeg_decoded result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    if (info.quant_tbl_ptrs[0])
        result.quant0 = info.quant_tbl_ptrs[0]->quantval[0];
    jpeg_start_decompress(&info);
    result.width = int(info.output_width);
    result.height = int(info.output_height);
    result.components = info.output_components;
    bytes row(std::size_t(info.output_width) * info.output_components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW r = row.data();
        jpeg_read_scanlines(&info, &r, 1);
        result.pixels.insert(result.pixels.end(), row.begin(), row.end());
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return result;
}

TEST(ImageJpeg, WrittenFilesDecodeWithLibjpeg)
{
    quelmtest::TempDir dir;
    bytes flat(16 * 8 * 3);
    for (std::size_t i = 0; i < flat.size(); i += 3) {
        flat[i] = 200;
        flat[i + 1] = 100;
        flat[i + 2] = 50;
    }
    img_thread_state* state = img_get_thread_state();
    state->jpeg_comments_to_write = {"made by plotwell"};
    const std::string path = dir.file("q25.jpg");
    ASSERT_EQ(write_file(path, [&](img_output o) {
                  return img_write_jpeg(o, flat.data(), 16, 8, 25, 0, 24, nullptr); }).error, 0);
    state->jpeg_comments_to_write.clear();
    const jpeg_decoded j = read_with_libjpeg(path);
    EXPECT_EQ(j.width, 16);
    EXPECT_EQ(j.components, 3);
    EXPECT_EQ(j.quant0, 32) << "libjpeg's luminance DC entry 16 scaled for quality 25";
    for (std::size_t i = 0; i < flat.size(); ++i)
        EXPECT_NEAR(j.pixels[i], flat[i], 6);

    const decoded d = read_file(path, img_read_jpeg, 24);
    ASSERT_TRUE(d.ok) << d.error;
    ASSERT_EQ(state->jpeg_comments_read.size(), 1u);
    EXPECT_EQ(state->jpeg_comments_read[0], "made by plotwell");
    const decoded g = read_file(path, img_read_jpeg, 8);
    ASSERT_TRUE(g.ok);
    EXPECT_NEAR(g.pixels[0], 124, 6);

    // Grey writing, progressive, and reading a file without its end-of-image marker.
    const bytes grey(33 * 9, 90);
    const std::string gpath = dir.file("grey.jpg");
    ASSERT_EQ(write_file(gpath, [&](img_output o) {
                  return img_write_jpeg(o, grey.data(), 33, 9, 90, 1, 8, nullptr); }).error, 0);
    std::string data = quelmtest::ReadFileBytes(gpath);
    data.resize(data.size() - 2);
    const decoded cut = read_memory(data, img_read_jpeg, 24);
    ASSERT_TRUE(cut.ok) << cut.error;
    EXPECT_EQ(cut.pixels[0], cut.pixels[1]);
    EXPECT_EQ(read_memory("", img_read_jpeg, 24).error, IMG_ERR_JPEG);
    EXPECT_EQ(read_memory("\xFF\xD8\xFF\xE0garbage", img_read_jpeg, 24).error, IMG_ERR_JPEG);
}

TEST(ImageJpeg, ScaledReadingAndApplicationMarkers)
{
    quelmtest::TempDir dir;
    const bytes rgb = rgb_picture(64, 48);
    img_thread_state* state = img_get_thread_state();
    img_jpeg_marker exif;
    exif.code = 0xE1;
    exif.data = {'E', 'x', 'i', 'f', 0, 0};
    state->jpeg_markers_to_write = {exif};
    const std::string path = dir.file("m.jpg");
    write_file(path, [&](img_output o) { return img_write_jpeg(o, rgb.data(), 64, 48, 75, 0, 24, nullptr); });
    state->jpeg_markers_to_write.clear();
    state->jpeg_scale_denom = 2;
    const decoded d = read_file(path, img_read_jpeg, 24);
    state->jpeg_scale_denom = 1;
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 32);
    EXPECT_EQ(d.height, 24);
    ASSERT_EQ(state->jpeg_markers_read.size(), 1u) << "APP0 is not kept, APP1 is";
    EXPECT_EQ(state->jpeg_markers_read[0].code, 0xE1);
    EXPECT_EQ(state->jpeg_markers_read[0].data, exif.data);
}

// --- TIFF --------------------------------------------------------------------------------

TEST(ImageTiff, TagsAndPixelsReadBackWithLibtiff)
{
    quelmtest::TempDir dir;
    const bytes palette = test_palette();
    bytes with_white = palette;
    with_white[4 * 255] = with_white[4 * 255 + 1] = with_white[4 * 255 + 2] = 255;
    const bytes indexes = index_picture(7, 5);
    const std::string p8 = dir.file("p8.tif");
    ASSERT_EQ(write_file(p8, [&](img_output o) {
                  return img_write_tiff(o, indexes.data(), 7, 5, 8, with_white.data(), 7, nullptr); }).error, 0);
    TIFF* tiff = TIFFOpen(p8.c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    std::uint16_t compression = 0, unit = 0, photometric = 0;
    float xres = 0;
    std::uint16_t *red, *green, *blue;
    char* software = nullptr;
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &xres);
    ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue));
    ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_SOFTWARE, &software));
    EXPECT_EQ(compression, COMPRESSION_NONE) << "code 7 becomes 1 for palette pictures";
    EXPECT_EQ(photometric, PHOTOMETRIC_PALETTE);
    EXPECT_EQ(unit, 1);
    EXPECT_EQ(xres, 1.0f);
    EXPECT_EQ(red[255], 65535);
    EXPECT_EQ(green[255], 65535);
    EXPECT_EQ(blue[255], 65535);
    EXPECT_EQ(red[1], palette[6] * 257);
    EXPECT_EQ(std::string(software), img_tiff_software_text());
    EXPECT_EQ(img_tiff_software_text().rfind("Pixtrel (PX 2.2.0.6), using ", 0), 0u);
    bytes row(7);
    for (std::uint32_t r = 0; r < 5; ++r) {
        ASSERT_EQ(TIFFReadScanline(tiff, row.data(), r, 0), 1);
        EXPECT_EQ(row, bytes(indexes.begin() + r * 7, indexes.begin() + r * 7 + 7));
    }
    TIFFClose(tiff);

    for (int depth : {24, 32}) {
        const int n = depth / 8;
        bytes pixels(6 * 3 * n);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = std::uint8_t(i * 11);
        const std::string path = dir.file("rgb" + std::to_string(depth) + ".tif");
        ASSERT_EQ(write_file(path, [&](img_output o) {
                      return img_write_tiff(o, pixels.data(), 6, 3, depth, nullptr, 5, nullptr); }).error, 0);
        tiff = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(tiff, nullptr);
        TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
        EXPECT_EQ(compression, COMPRESSION_LZW);
        if (depth == 32) {
            std::uint16_t count = 0, *extra = nullptr;
            ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &extra));
            EXPECT_EQ(count, 1);
            EXPECT_EQ(extra[0], EXTRASAMPLE_ASSOCALPHA);
        }
        bytes line(6 * n);
        for (std::uint32_t r = 0; r < 3; ++r) {
            ASSERT_EQ(TIFFReadScanline(tiff, line.data(), r, 0), 1);
            EXPECT_EQ(line, bytes(pixels.begin() + r * 6 * n, pixels.begin() + (r + 1) * 6 * n));
        }
        TIFFClose(tiff);
    }
    EXPECT_EQ(write_file(dir.file("x.tif"), [&](img_output o) {
                  return img_write_tiff(o, indexes.data(), 7, 5, 16, nullptr, 1, nullptr); }).error,
              IMG_ERR_ARGUMENT);
}

// --- GIF export library ------------------------------------------------------------------

TEST(GifExportLibrary, SavesGif89aThroughItsSevenFunctions)
{
    void* library = dlopen(GFL155_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto init = reinterpret_cast<decltype(&gflLibraryInit)>(dlsym(library, "gflLibraryInit"));
    auto enable = reinterpret_cast<decltype(&gflEnableLZW)>(dlsym(library, "gflEnableLZW"));
    auto defaults = reinterpret_cast<decltype(&gflGetDefaultSaveParams)>(dlsym(library, "gflGetDefaultSaveParams"));
    auto index = reinterpret_cast<decltype(&gflGetFormatIndexByName)>(dlsym(library, "gflGetFormatIndexByName"));
    auto save = reinterpret_cast<decltype(&gflSaveBitmap)>(dlsym(library, "gflSaveBitmap"));
    auto message = reinterpret_cast<decltype(&gflGetErrorString)>(dlsym(library, "gflGetErrorString"));
    auto done = reinterpret_cast<decltype(&gflLibraryExit)>(dlsym(library, "gflLibraryExit"));
    ASSERT_TRUE(init && enable && defaults && index && save && message && done);

    quelmtest::TempDir dir;
    const bytes palette = test_palette();
    for (int width : {7, 8}) {
        const bytes pixels = index_picture(width, 5);
        ASSERT_EQ(init(), GFL_NO_ERROR);
        enable(1);
        GFL_SAVE_PARAMS params;
        defaults(&params);
        params.FormatIndex = index("gif");
        params.Compression = 1;
        GFL_COLORMAP map;
        for (int i = 0; i < 256; ++i) {
            map.Red[i] = palette[4 * i + 2];
            map.Green[i] = palette[4 * i + 1];
            map.Blue[i] = palette[4 * i];
        }
        GFL_BITMAP bitmap{};
        bitmap.Type = GFL_COLORS;
        bitmap.Width = width;
        bitmap.Height = 5;
        bitmap.BytesPerLine = std::uint32_t(width);
        bitmap.ComponentsPerPixel = 1;
        bitmap.BitsPerComponent = 8;
        bitmap.Xdpi = bitmap.Ydpi = std::uint16_t(width / 8);
        bitmap.TransparentIndex = 0;
        bitmap.ColorUsed = 256;
        bitmap.ColorMap = &map;
        bitmap.Data = const_cast<std::uint8_t*>(pixels.data());
        const std::string path = dir.file("chart" + std::to_string(width) + ".gif");
        ASSERT_EQ(save(path.c_str(), &bitmap, &params), GFL_NO_ERROR);
        done();
        EXPECT_EQ(quelmtest::ReadFileBytes(path).substr(0, 6), "GIF89a");

        int error = 0;
        GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
        ASSERT_NE(gif, nullptr);
        ASSERT_EQ(DGifSlurp(gif), GIF_OK);
        EXPECT_EQ(gif->SWidth, width);
        EXPECT_EQ(gif->SHeight, 5);
        ASSERT_EQ(gif->ImageCount, 1);
        EXPECT_EQ(bytes(gif->SavedImages[0].RasterBits, gif->SavedImages[0].RasterBits + width * 5), pixels);
        GraphicsControlBlock gcb;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, 0, &gcb), GIF_OK);
        EXPECT_EQ(gcb.TransparentColor, 0);
        EXPECT_EQ(gif->SColorMap->Colors[3].Red, palette[14]);
        DGifCloseFile(gif, &error);
    }
    GFL_SAVE_PARAMS params;
    defaults(&params);
    GFL_BITMAP empty{};
    init();
    const GFL_ERROR error = save(dir.file("x.gif").c_str(), &empty, &params);
    EXPECT_NE(error, GFL_NO_ERROR) << "a format index that is not GIF";
    EXPECT_STRNE(message(error), "");
    done();
    dlclose(library);
}

} // namespace
