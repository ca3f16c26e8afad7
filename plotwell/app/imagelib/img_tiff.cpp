#include "plotwell/app/imagelib/img_tiff.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

tsize_t client_read(thandle_t handle, tdata_t buffer, tsize_t size)
{
    return tsize_t(static_cast<img_stream*>(handle)->read(buffer, size));
}

tsize_t client_write(thandle_t handle, tdata_t buffer, tsize_t size)
{
    return static_cast<img_stream*>(handle)->write_n(buffer, size) ? size : 0;
}

// Failure is reported as -1, the value libtiff tests for.
toff_t client_seek(thandle_t handle, toff_t offset, int whence)
{
    auto* stream = static_cast<img_stream*>(handle);
    const int origin = whence == 1 ? SEEK_CUR : (whence == 2 ? SEEK_END : SEEK_SET);
    if (!stream->seek(std::int64_t(offset), origin))
        return toff_t(-1);
    return toff_t(stream->tell());
}

int client_close(thandle_t)
{
    return 1;
}

toff_t client_size(thandle_t handle)
{
    return toff_t(static_cast<img_stream*>(handle)->size());
}

int client_map(thandle_t, tdata_t*, toff_t*)
{
    return 0;
}

void client_unmap(thandle_t, tdata_t, toff_t) {}

} // namespace

std::string img_tiff_software_text()
{
    // libtiff's version text runs over several lines; its first line names the version.
    std::string version = TIFFGetVersion();
    const std::size_t end = version.find('\n');
    if (end != std::string::npos)
        version.resize(end);
    char text[256];
    std::snprintf(text, sizeof text, "Pixtrel (%s), using %s", "PX 2.2.0.6", version.c_str());
    return text;
}

std::int64_t img_write_tiff(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                            std::uint32_t height, int depth, const std::uint8_t* palette,
                            int compression, const std::uint32_t* resolution)
{
    return img_writer_entry(handle, [&](img_thread_state* state, img_stream& s,
                                        std::int32_t& status) -> std::int64_t {
        if (!pixels || width == 0 || height == 0 ||
            !(depth == 24 || depth == 32 || (depth == 8 && palette))) {
            status = IMG_ERR_ARGUMENT;
            return 0;
        }
        img_stream stream = s;
        TIFF* tiff = TIFFClientOpen(s.has_file_name() ? s.file_name() : "memory", "w",
                                    thandle_t(&stream), client_read, client_write, client_seek,
                                    client_close, client_size, client_map, client_unmap);
        if (!tiff) {
            status = IMG_ERR_TIFF_OPEN;
            return 0;
        }
        std::vector<std::uint16_t> red, green, blue;
        if (depth == 8) {
            TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
            TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
            TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
            TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
            TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression == 7 ? 1 : compression);
            red.resize(256);
            green.resize(256);
            blue.resize(256);
            for (int i = 0; i < 256; ++i) {
                red[i] = std::uint16_t(palette[4 * i + 2] / 255.0 * 65535 + 0.5);
                green[i] = std::uint16_t(palette[4 * i + 1] / 255.0 * 65535 + 0.5);
                blue[i] = std::uint16_t(palette[4 * i] / 255.0 * 65535 + 0.5);
            }
            TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
        } else {
            TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, depth == 24 ? 3 : 4);
            if (depth == 32) {
                const std::uint16_t extra[1] = {EXTRASAMPLE_ASSOCALPHA};
                TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
            }
            TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
            TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
            TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
            TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
        }
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, resolution ? resolution[2] : 1);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(resolution ? resolution[0] : 1));
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(resolution ? resolution[1] : 1));
        const std::string software = img_tiff_software_text();
        TIFFSetField(tiff, TIFFTAG_SOFTWARE, software.c_str());
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
        const std::size_t stride = std::size_t(width) * (depth / 8);
        std::vector<std::uint8_t> row(stride);
        for (std::uint32_t r = 0; r < height; ++r) {
            // libtiff may encode in place; it gets a copy of the caller's row.
            std::copy_n(pixels + r * stride, stride, row.begin());
            if (TIFFWriteScanline(tiff, row.data(), r, 0) < 0) {
                status = IMG_ERR_WRITE;
                break;
            }
            if (!img_progress(state, r, height)) {
                status = IMG_ERR_CANCELLED;
                break;
            }
        }
        // The strips and the directory reach the output only when flushed; a failure there is
        // a failed write too.
        if (!TIFFFlush(tiff) && !status)
            status = IMG_ERR_WRITE;
        TIFFClose(tiff);
        return s.size();
    });
}
