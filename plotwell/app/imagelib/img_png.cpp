#include "plotwell/app/imagelib/img_png.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// libpng reports errors by jumping back into the call that armed the jump buffer; nothing
// with a destructor lives between the arming and the jump.
void error_exit(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void warning_ignored(png_structp, png_const_charp) {}

void read_data(png_structp png, png_bytep data, png_size_t length)
{
    auto* stream = static_cast<img_stream*>(png_get_io_ptr(png));
    if (!stream->read_exactly(data, std::int64_t(length)))
        png_error(png, "read Error");
}

void write_data(png_structp png, png_bytep data, png_size_t length)
{
    auto* stream = static_cast<img_stream*>(png_get_io_ptr(png));
    if (!stream->write_n(data, std::int64_t(length)))
        png_error(png, "Write error");
}

void flush_nothing(png_structp) {}

png_color_16 to_png(const img_png_colour& c)
{
    png_color_16 p{};
    p.index = c.index;
    p.red = c.red;
    p.green = c.green;
    p.blue = c.blue;
    p.gray = c.grey;
    return p;
}

img_png_colour from_png(const png_color_16& p)
{
    img_png_colour c;
    c.index = p.index;
    c.red = p.red;
    c.green = p.green;
    c.blue = p.blue;
    c.grey = p.gray;
    return c;
}

// Walks the chunks from the signature at the stream's position to IEND: true when no chunk
// declares more data than the file holds after its header. libpng allocates an ancillary chunk's
// declared length before it reads it, so a lying length is refused here. The position is kept.
bool chunks_fit_in_file(img_stream& s)
{
    const std::int64_t start = s.tell(), size = s.size();
    bool fits = true;
    for (std::int64_t at = start + 8; at + 8 <= size;) {
        std::uint32_t length;
        std::uint8_t type[4];
        if (!s.seek(at, SEEK_SET) || !s.read4_be(length) || !s.read_exactly(type, 4))
            break;
        if (std::int64_t(length) > size - at - 12) {
            fits = false;
            break;
        }
        if (std::memcmp(type, "IEND", 4) == 0)
            break;
        at += 12 + std::int64_t(length);
    }
    return s.seek(start, SEEK_SET) && fits;
}

struct read_job {
    img_thread_state* state;
    img_stream* stream;
    int depth;
    std::uint8_t* palette;
    std::int32_t status = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::uint8_t* image = nullptr;
    png_bytep* rows = nullptr;
    std::int32_t width = 0, height = 0;
};

void set_transformations(read_job& job, int colour_type, int bit_depth)
{
    png_structp png = job.png;
    png_infop info = job.info;
    img_thread_state* state = job.state;
    png_color_16p file_background = nullptr;
    const bool has_background = png_get_bKGD(png, info, &file_background) != 0;
    state->png_file_background = has_background ? from_png(*file_background) : img_png_colour{};

    if (job.depth == 32) {
        if (colour_type == PNG_COLOR_TYPE_PALETTE)
            png_set_expand(png);
        if (colour_type == PNG_COLOR_TYPE_GRAY && bit_depth < 8)
            png_set_expand(png);
        if (colour_type == PNG_COLOR_TYPE_GRAY || colour_type == PNG_COLOR_TYPE_GRAY_ALPHA)
            png_set_gray_to_rgb(png);
        if (bit_depth == 16)
            png_set_strip_16(png);
        if (!(colour_type & PNG_COLOR_MASK_ALPHA)) {
            if (png_get_valid(png, info, PNG_INFO_tRNS))
                png_set_expand(png);
            else
                png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        }
    } else {
        if (job.depth == 24) {
            if (colour_type == PNG_COLOR_TYPE_PALETTE)
                png_set_expand(png);
            if (colour_type == PNG_COLOR_TYPE_GRAY) {
                if (bit_depth < 8)
                    png_set_expand(png);
                png_set_gray_to_rgb(png);
            }
            if (colour_type == PNG_COLOR_TYPE_GRAY_ALPHA)
                png_set_gray_to_rgb(png);
        } else {
            png_set_packing(png);
            std::uint8_t* pal = job.palette;
            int count = 0;
            if (colour_type == PNG_COLOR_TYPE_PALETTE) {
                png_colorp plte = nullptr;
                int plte_count = 0;
                if (png_get_PLTE(png, info, &plte, &plte_count) && plte_count > 0) {
                    count = std::min(plte_count, 256);
                    for (int i = 0; i < count; ++i) {
                        pal[4 * i] = plte[i].blue;
                        pal[4 * i + 1] = plte[i].green;
                        pal[4 * i + 2] = plte[i].red;
                        pal[4 * i + 3] = 255;
                    }
                } else {
                    for (int i = 0; i < 256; ++i) {
                        pal[4 * i] = pal[4 * i + 1] = pal[4 * i + 2] = std::uint8_t(i);
                        pal[4 * i + 3] = 255;
                    }
                    count = 256;
                }
            } else if (colour_type == PNG_COLOR_TYPE_GRAY) {
                // The grey ramp of the bit depth; 16-bit grey is stripped to 8 bits.
                const int levels = bit_depth >= 8 ? 256 : 1 << bit_depth;
                for (int i = 0; i < levels; ++i) {
                    const std::uint8_t v = std::uint8_t(i * 255 / (levels - 1));
                    pal[4 * i] = pal[4 * i + 1] = pal[4 * i + 2] = v;
                    pal[4 * i + 3] = 255;
                }
                count = levels;
            } else {
                job.status = IMG_ERR_DEPTH;
                return;
            }
            for (int i = count; i < 256; ++i) {
                std::memcpy(pal + 4 * i, pal, 3);
                pal[4 * i + 3] = 255;
            }
            png_bytep alpha = nullptr;
            int alpha_count = 0;
            if (colour_type == PNG_COLOR_TYPE_PALETTE &&
                png_get_tRNS(png, info, &alpha, &alpha_count, nullptr) && alpha) {
                for (int i = 0; i < std::min(alpha_count, 256); ++i)
                    pal[4 * i + 3] = alpha[i];
            }
        }
        if (bit_depth == 16)
            png_set_strip_16(png);
        if (colour_type & PNG_COLOR_MASK_ALPHA || png_get_valid(png, info, PNG_INFO_tRNS)) {
            if (job.depth == 24) {
                if (has_background) {
                    png_set_background(png, file_background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
                } else {
                    png_color_16 background = to_png(state->png_transparent_colour);
                    png_set_background(png, &background, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
                }
            } else if (colour_type == PNG_COLOR_TYPE_GRAY && png_get_valid(png, info, PNG_INFO_tRNS)) {
                // An 8-bit grey picture keeps its grey levels as indexes.
            }
        }
    }
    double file_gamma = state->png_screen_gamma != 0 ? 1.0 / state->png_screen_gamma : 0;
    if (state->png_gamma_correction) {
        double gamma;
        if (png_get_gAMA(png, info, &gamma))
            file_gamma = gamma;
        if (state->png_screen_gamma > 0 && file_gamma > 0)
            png_set_gamma(png, state->png_screen_gamma, file_gamma);
    }
}

// The part of the read that runs under the jump buffer; returns with job.status set.
void read_armed(read_job& job)
{
    png_structp png = job.png;
    png_infop info = job.info;
    if (setjmp(png_jmpbuf(png))) {
        if (!job.status)
            job.status = IMG_ERR_PNG_READ;
        return;
    }
    png_set_read_fn(png, job.stream, read_data);
    png_read_info(png, info);
    png_uint_32 w, h;
    int bit_depth, colour_type;
    png_get_IHDR(png, info, &w, &h, &bit_depth, &colour_type, nullptr, nullptr, nullptr);
    // The rows as stored (a filter byte each) come out of deflate, which packs at most 1032
    // bytes into one: a header that declares more than the rest of the file can hold is refused
    // before the picture is allocated.
    const std::int64_t stored_row = 1 + (std::int64_t(w) * png_get_channels(png, info) * bit_depth + 7) / 8;
    if (!img_stream_can_hold(*job.stream, stored_row * h, 1032)) {
        job.status = IMG_ERR_PNG_READ;
        return;
    }
    set_transformations(job, colour_type, bit_depth);
    if (job.status)
        return;
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(job.depth / 8) * w) {
        job.status = IMG_ERR_LAYOUT;
        return;
    }
    std::size_t bytes;
    if (!img_image_bytes(w, h, job.depth / 8, bytes)) {
        job.status = IMG_ERR_PNG_READ;
        return;
    }
    job.image = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
    job.rows = static_cast<png_bytep*>(std::calloc(h, sizeof(png_bytep)));
    if (!job.image || !job.rows) {
        job.status = IMG_ERR_MEMORY;
        return;
    }
    job.width = std::int32_t(w);
    job.height = std::int32_t(h);
    const std::size_t row_bytes = std::size_t(job.depth / 8) * w;
    for (png_uint_32 r = 0; r < h; ++r)
        job.rows[r] = job.image + r * row_bytes;
    std::int64_t count = 0, reported = -1;
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 r = 0; r < h; ++r) {
            png_read_row(png, job.rows[r], nullptr);
            ++count;
            if (count / passes != reported) {
                reported = count / passes;
                if (!img_progress(job.state, reported, h)) {
                    job.status = IMG_ERR_CANCELLED;
                    return;
                }
            }
        }
    }
    png_read_end(png, info);
    png_textp texts = nullptr;
    int text_count = 0;
    png_get_text(png, info, &texts, &text_count);
    for (int i = 0; i < text_count; ++i) {
        img_text_entry entry;
        entry.key = texts[i].key ? texts[i].key : "";
        entry.text = texts[i].text ? std::string(texts[i].text, texts[i].text_length) : "";
        entry.compressed = texts[i].compression == PNG_TEXT_COMPRESSION_zTXt;
        job.state->png_texts_read.push_back(std::move(entry));
    }
}

struct write_job {
    img_thread_state* state;
    img_stream* stream;
    const std::uint8_t* pixels;
    std::uint32_t width, height, row_bytes;
    int bit_depth, colours;
    const std::uint8_t* palette;
    int colour_type;
    double gamma;
    int interlace;
    const std::uint32_t* resolution;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_colorp plte = nullptr;
    png_bytep alpha = nullptr;
    png_textp texts = nullptr;
    std::int32_t status = 0;
};

void write_armed(write_job& job)
{
    png_structp png = job.png;
    png_infop info = job.info;
    if (setjmp(png_jmpbuf(png))) {
        if (!job.status)
            job.status = IMG_ERR_WRITE;
        return;
    }
    png_set_write_fn(png, job.stream, write_data, flush_nothing);
    png_set_IHDR(png, info, job.width, job.height, job.bit_depth, job.colour_type, job.interlace,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    img_thread_state* state = job.state;
    if (job.colours >= 1 && job.colours <= 256) {
        for (int i = 0; i < job.colours; ++i) {
            job.plte[i].red = job.palette[4 * i + 2];
            job.plte[i].green = job.palette[4 * i + 1];
            job.plte[i].blue = job.palette[4 * i];
            job.alpha[i] = job.palette[4 * i + 3];
        }
        png_set_PLTE(png, info, job.plte, job.colours);
        if ((job.colour_type == 2 || job.colour_type == 3 || job.colour_type == 6) &&
            state->png_write_transparency) {
            png_set_tRNS(png, info, job.alpha, job.colours, nullptr);
            png_color_16 background = to_png(state->png_transparent_colour);
            png_set_bKGD(png, info, &background);
        }
    }
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    png_time stamp;
    png_convert_from_struct_tm(&stamp, &utc);
    png_set_tIME(png, info, &stamp);
    if (job.colour_type & PNG_COLOR_MASK_ALPHA) {
        png_color_16 background = to_png(state->png_transparent_colour);
        png_set_bKGD(png, info, &background);
    }
    const std::uint32_t x = job.resolution ? job.resolution[0] : 1;
    const std::uint32_t y = job.resolution ? job.resolution[1] : 1;
    const int unit = job.resolution ? int(job.resolution[2]) : 0;
    png_set_pHYs(png, info, x, y, unit);
    if (job.gamma > 0)
        png_set_gAMA(png, info, job.gamma);
    const std::size_t text_count = state->png_texts_to_write.size();
    if (text_count) {
        for (std::size_t i = 0; i < text_count; ++i) {
            const img_text_entry& e = state->png_texts_to_write[i];
            job.texts[i].compression = e.compressed ? PNG_TEXT_COMPRESSION_zTXt : PNG_TEXT_COMPRESSION_NONE;
            job.texts[i].key = const_cast<char*>(e.key.c_str());
            job.texts[i].text = const_cast<char*>(e.text.c_str());
            job.texts[i].text_length = e.text.size();
        }
        png_set_text(png, info, job.texts, int(text_count));
    }
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    std::int64_t count = 0, reported = -1;
    for (int pass = 0; pass < passes; ++pass) {
        for (std::uint32_t r = 0; r < job.height; ++r) {
            png_write_row(png, job.pixels + std::size_t(r) * job.row_bytes);
            ++count;
            if (count / passes != reported) {
                reported = count / passes;
                if (!img_progress(state, reported, job.height)) {
                    job.status = IMG_ERR_CANCELLED;
                    return;
                }
            }
        }
    }
    png_write_end(png, info);
}

} // namespace

std::uint8_t* img_read_png(img_input handle, std::int32_t* width, std::int32_t* height,
                           int depth, std::uint8_t* palette)
{
    return img_reader_entry(handle, width, height, [&](img_thread_state* state, img_stream& s,
                                        std::int32_t& status) -> std::uint8_t* {
        if ((depth != 8 && depth != 24 && depth != 32) || (depth == 8 && !palette)) {
            status = IMG_ERR_ARGUMENT;
            return nullptr;
        }
        state->png_texts_read.clear();
        if (!chunks_fit_in_file(s)) {
            status = IMG_ERR_PNG_READ;
            return nullptr;
        }
        read_job job{state, &s, depth, palette};
        job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, error_exit, warning_ignored);
        if (job.png)
            job.info = png_create_info_struct(job.png);
        if (!job.png || !job.info) {
            png_destroy_read_struct(job.png ? &job.png : nullptr, nullptr, nullptr);
            status = IMG_ERR_PNG_SETUP;
            return nullptr;
        }
        // Bounds for hostile files: the pixel cap applies before any row is allocated.
        png_set_user_limits(job.png, std::uint32_t(std::min<std::int64_t>(img_pixel_limit(), 0x7FFFFFFF)),
                            std::uint32_t(std::min<std::int64_t>(img_pixel_limit(), 0x7FFFFFFF)));
        // No chunk, nor what a compressed chunk inflates to, is larger than the file can hold
        // (deflate packs at most 1032 bytes into one); beyond 8 MB only as large as the file.
        const std::int64_t file_bytes = std::max<std::int64_t>(s.size(), 1);
        const std::int64_t chunk_limit =
            std::min({file_bytes * 1032, std::max<std::int64_t>(file_bytes, 8000000), std::int64_t(0x7FFFFFFF)});
        png_set_chunk_malloc_max(job.png, png_alloc_size_t(chunk_limit));
        png_set_chunk_cache_max(job.png, 1000);
        read_armed(job);
        png_destroy_read_struct(&job.png, &job.info, nullptr);
        std::free(job.rows);
        status = job.status;
        if (width)
            *width = job.width;
        if (height)
            *height = job.height;
        if (status) {
            std::free(job.image);
            return nullptr;
        }
        return job.image;
    });
}

std::int64_t img_write_png(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                           std::uint32_t height, std::uint32_t row_bytes, int bit_depth,
                           int colours, const std::uint8_t* palette, int colour_type,
                           double gamma, int interlace, const std::uint32_t* resolution)
{
    return img_writer_entry(handle, [&](img_thread_state* state, img_stream& s,
                                        std::int32_t& status) -> std::int64_t {
        if (!pixels || (colours >= 1 && colours <= 256 && !palette)) {
            status = IMG_ERR_ARGUMENT;
            return 0;
        }
        // libpng reads whole rows of the colour type and depth; rows shorter than that would
        // be read past their end.
        int channels = 0;
        switch (colour_type) {
        case PNG_COLOR_TYPE_GRAY: channels = 1; break;
        case PNG_COLOR_TYPE_PALETTE: channels = 1; break;
        case PNG_COLOR_TYPE_GRAY_ALPHA: channels = 2; break;
        case PNG_COLOR_TYPE_RGB: channels = 3; break;
        case PNG_COLOR_TYPE_RGB_ALPHA: channels = 4; break;
        default: break;
        }
        if (!channels || bit_depth <= 0 || bit_depth > 16 || width == 0 || height == 0 ||
            std::uint64_t(row_bytes) * 8 < std::uint64_t(width) * channels * bit_depth) {
            status = IMG_ERR_ARGUMENT;
            return 0;
        }
        write_job job{state, &s, pixels, width, height, row_bytes, bit_depth, colours, palette,
                      colour_type, gamma, interlace, resolution};
        job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, error_exit, warning_ignored);
        if (job.png)
            job.info = png_create_info_struct(job.png);
        if (!job.png || !job.info) {
            png_destroy_write_struct(job.png ? &job.png : nullptr, nullptr);
            status = IMG_ERR_PNG_SETUP;
            return 0;
        }
        job.plte = static_cast<png_colorp>(std::calloc(256, sizeof(png_color)));
        job.alpha = static_cast<png_bytep>(std::calloc(256, 1));
        job.texts = static_cast<png_textp>(std::calloc(state->png_texts_to_write.size() + 1, sizeof(png_text)));
        if (!job.plte || !job.alpha || !job.texts)
            job.status = IMG_ERR_MEMORY;
        else
            write_armed(job);
        png_destroy_write_struct(&job.png, &job.info);
        std::free(job.plte);
        std::free(job.alpha);
        std::free(job.texts);
        status = job.status;
        return status ? 0 : s.size();
    });
}

void img_set_write_transparency(int flag)
{
    if (img_thread_state* state = img_get_thread_state())
        state->png_write_transparency = flag;
}

void img_set_transparent_colour(int index, int red, int green, int blue, int grey)
{
    if (img_thread_state* state = img_get_thread_state()) {
        state->png_transparent_colour.index = std::uint8_t(index);
        state->png_transparent_colour.red = std::uint16_t(red);
        state->png_transparent_colour.green = std::uint16_t(green);
        state->png_transparent_colour.blue = std::uint16_t(blue);
        state->png_transparent_colour.grey = std::uint16_t(grey);
    }
}
