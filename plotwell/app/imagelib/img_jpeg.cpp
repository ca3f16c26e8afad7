#include "plotwell/app/imagelib/img_jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace {

constexpr std::size_t buffer_size = 4096;

struct error_manager {
    jpeg_error_mgr pub;
    std::jmp_buf* jump;
};

// Formats the message for the library's debug trace (which prints nothing) and returns to the
// armed jump buffer.
void error_exit(j_common_ptr info)
{
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    std::jmp_buf* jump = reinterpret_cast<error_manager*>(info->err)->jump;
    std::longjmp(*jump, 1);
}

struct source_manager {
    jpeg_source_mgr pub;
    img_stream* stream;
    JOCTET* buffer;
    bool start_of_file;
};

void init_source(j_decompress_ptr info)
{
    reinterpret_cast<source_manager*>(info->src)->start_of_file = true;
}

boolean fill_input_buffer(j_decompress_ptr info)
{
    auto* src = reinterpret_cast<source_manager*>(info->src);
    std::int64_t n = src->stream->read(src->buffer, buffer_size);
    if (n <= 0) {
        if (src->start_of_file)
            ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = std::size_t(n);
    src->start_of_file = false;
    return TRUE;
}

void skip_input_data(j_decompress_ptr info, long count)
{
    auto* src = reinterpret_cast<source_manager*>(info->src);
    if (count <= 0)
        return;
    while (count > long(src->pub.bytes_in_buffer)) {
        count -= long(src->pub.bytes_in_buffer);
        fill_input_buffer(info);
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= std::size_t(count);
}

void term_source(j_decompress_ptr) {}

struct destination_manager {
    jpeg_destination_mgr pub;
    img_stream* stream;
    JOCTET* buffer;
};

void init_destination(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<destination_manager*>(info->dest);
    dest->buffer = static_cast<JOCTET*>(
        (*info->mem->alloc_small)(j_common_ptr(info), JPOOL_IMAGE, buffer_size));
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = buffer_size;
}

boolean empty_output_buffer(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<destination_manager*>(info->dest);
    if (!dest->stream->write_n(dest->buffer, buffer_size))
        ERREXIT(info, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = buffer_size;
    return TRUE;
}

void term_destination(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<destination_manager*>(info->dest);
    const std::size_t used = buffer_size - dest->pub.free_in_buffer;
    if (used > 0 && !dest->stream->write_n(dest->buffer, std::int64_t(used)))
        ERREXIT(info, JERR_FILE_WRITE);
}

} // namespace

struct img_jpeg_read_state {
    jpeg_decompress_struct info;
    error_manager error;
    std::jmp_buf jump;
    img_stream* stream;
    JSAMPLE* row_buffer;
    bool grey;
    bool created;
};

namespace {

void destroy_read(img_jpeg_read_state* state)
{
    if (!state)
        return;
    if (state->created)
        jpeg_destroy_decompress(&state->info);
    delete state->stream;
    std::free(state->row_buffer);
    std::free(state);
}

} // namespace

img_jpeg_row_reader::~img_jpeg_row_reader()
{
    destroy_read(open_);
}

bool img_jpeg_row_reader::open(img_input handle, std::int32_t* width, std::int32_t* height,
                               bool grey)
{
    state_->jpeg_comments_read.clear();
    state_->jpeg_markers_read.clear();
    auto* st = static_cast<img_jpeg_read_state*>(std::calloc(1, sizeof(img_jpeg_read_state)));
    if (!st) {
        status_ = IMG_ERR_MEMORY;
        return false;
    }
    open_ = st;
    st->grey = grey;
    st->stream = new img_stream(handle);
    st->info.err = jpeg_std_error(&st->error.pub);
    st->error.pub.error_exit = error_exit;
    st->error.jump = &st->jump;
    if (setjmp(st->jump)) {
        destroy_read(st);
        open_ = nullptr;
        status_ = IMG_ERR_JPEG;
        return false;
    }
    jpeg_create_decompress(&st->info);
    st->created = true;
    auto* src = static_cast<source_manager*>((*st->info.mem->alloc_small)(
        j_common_ptr(&st->info), JPOOL_PERMANENT, sizeof(source_manager)));
    src->buffer = static_cast<JOCTET*>(
        (*st->info.mem->alloc_small)(j_common_ptr(&st->info), JPOOL_PERMANENT, buffer_size));
    src->stream = st->stream;
    src->pub.init_source = init_source;
    src->pub.fill_input_buffer = fill_input_buffer;
    src->pub.skip_input_data = skip_input_data;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = term_source;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    st->info.src = &src->pub;
    jpeg_save_markers(&st->info, JPEG_COM, 0xFFFF);
    for (int m = 1; m <= 14; ++m)
        jpeg_save_markers(&st->info, JPEG_APP0 + m, 0xFFFF);
    jpeg_read_header(&st->info, TRUE);
    st->info.scale_num = unsigned(state_->jpeg_scale_num);
    st->info.scale_denom = unsigned(state_->jpeg_scale_denom);
    jpeg_calc_output_dimensions(&st->info);
    std::size_t bytes;
    // Each 8 x 8 block of a component costs at least one bit of Huffman code (arithmetic coding
    // goes lower, to about 64 blocks a byte): a header that declares more pixels than its file
    // can code is refused before the decoder allocates its buffers.
    const std::int64_t pixels_per_byte = st->info.arith_code ? 64 * 64 : 64 * 8;
    const std::int64_t declared = std::int64_t(st->info.image_width) * st->info.image_height;
    if (!img_image_bytes(st->info.output_width, st->info.output_height, 4, bytes) ||
        declared / pixels_per_byte > st->stream->size()) {
        destroy_read(st);
        open_ = nullptr;
        status_ = IMG_ERR_JPEG;
        return false;
    }
    for (jpeg_saved_marker_ptr m = st->info.marker_list; m; m = m->next) {
        if (m->marker == JPEG_COM) {
            state_->jpeg_comments_read.emplace_back(reinterpret_cast<const char*>(m->data),
                                                    m->data_length);
        } else if (m->data_length > 0) {
            img_jpeg_marker marker;
            marker.code = m->marker;
            marker.data.assign(m->data, m->data + m->data_length);
            state_->jpeg_markers_read.push_back(std::move(marker));
        }
    }
    jpeg_start_decompress(&st->info);
    st->row_buffer = static_cast<JSAMPLE*>(
        std::malloc(2 * std::size_t(st->info.output_width) * std::size_t(st->info.output_components)));
    if (!st->row_buffer) {
        status_ = IMG_ERR_MEMORY;
        return false;
    }
    if (width)
        *width = std::int32_t(st->info.output_width);
    if (height)
        *height = std::int32_t(st->info.output_height);
    return true;
}

int img_jpeg_row_reader::read_row(std::uint8_t* row, std::int32_t& row_index)
{
    img_jpeg_read_state* st = open_;
    if (!st)
        return 0;
    if (st->info.output_scanline >= st->info.output_height) {
        status_ = IMG_ERR_NO_MORE_ROWS;
        return 0;
    }
    if (setjmp(st->jump)) {
        status_ = IMG_ERR_READ;
        return 0;
    }
    const int components = st->info.output_components;
    const std::size_t width = st->info.output_width;
    JSAMPROW target = st->row_buffer;
    const bool direct = (st->grey && components == 1) || (!st->grey && components == 3);
    const bool cmyk = components == 4 &&
                      (st->info.jpeg_color_space == JCS_CMYK || st->info.jpeg_color_space == JCS_YCCK);
    if (!direct && !(st->grey && components == 3) && !(!st->grey && (components == 1 || cmyk))) {
        status_ = IMG_ERR_DEPTH;
        return 0;
    }
    if (direct)
        target = row;
    jpeg_read_scanlines(&st->info, &target, 1);
    if (!direct) {
        const JSAMPLE* in = st->row_buffer;
        if (st->grey) {
            for (std::size_t x = 0; x < width; ++x)
                row[x] = std::uint8_t(0.299 * in[3 * x] + 0.587 * in[3 * x + 1] + 0.114 * in[3 * x + 2]);
        } else if (components == 1) {
            for (std::size_t x = 0; x < width; ++x)
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = in[x];
        } else {
            for (std::size_t x = 0; x < width; ++x) {
                const unsigned k = in[4 * x + 3];
                row[3 * x] = std::uint8_t(in[4 * x] * k / 255);
                row[3 * x + 1] = std::uint8_t(in[4 * x + 1] * k / 255);
                row[3 * x + 2] = std::uint8_t(in[4 * x + 2] * k / 255);
            }
        }
    }
    row_index = std::int32_t(st->info.output_scanline) - 1;
    return 1;
}

int img_jpeg_row_reader::close()
{
    img_jpeg_read_state* st = open_;
    if (!st)
        return 0;
    open_ = nullptr;
    if (setjmp(st->jump)) {
        status_ = IMG_ERR_READ;
        destroy_read(st);
        return 0;
    }
    // Finishing early makes libjpeg report too little data; the read has failed then anyway.
    if (st->info.output_scanline >= st->info.output_height)
        jpeg_finish_decompress(&st->info);
    destroy_read(st);
    return 1;
}

std::uint8_t* img_read_jpeg(img_input handle, std::int32_t* width, std::int32_t* height,
                            int depth, std::uint8_t*)
{
    return img_reader_entry(handle, width, height, [&](img_thread_state* state, img_stream&,
                                        std::int32_t& status) -> std::uint8_t* {
        if (depth != 8 && depth != 24) {
            status = IMG_ERR_ARGUMENT;
            return nullptr;
        }
        --state->depth;
        img_jpeg_row_reader reader(state);
        std::int32_t w = 0, h = 0;
        img_global_buffer image;
        if (!reader.open(handle, &w, &h, depth == 8)) {
            status = reader.status();
        } else {
            const int n = depth / 8;
            std::size_t bytes;
            if (!img_image_bytes(w, h, n, bytes)) {
                status = IMG_ERR_JPEG;
            } else if (!image.allocate(std::int64_t(bytes))) {
                status = IMG_ERR_MEMORY;
            } else {
                for (std::int32_t r = 0; r < h; ++r) {
                    std::int32_t index;
                    if (!reader.read_row(image.data() + std::size_t(r) * std::size_t(w) * n, index)) {
                        status = reader.status();
                        break;
                    }
                    if (!img_progress(state, r, h)) {
                        status = IMG_ERR_CANCELLED;
                        break;
                    }
                }
            }
            if (!reader.close() && !status)
                status = reader.status();
        }
        ++state->depth;
        if (width)
            *width = w;
        if (height)
            *height = h;
        return status ? nullptr : image.release();
    });
}

namespace {

struct write_state {
    jpeg_compress_struct info;
    error_manager error;
    std::jmp_buf jump;
    bool created;
};

// Runs the compression under the jump buffer; returns the code.
std::int32_t compress(write_state* st, img_thread_state* state, img_stream& s,
                      const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                      int quality, int progressive, int depth, const std::uint32_t* density)
{
    std::int32_t status = 0;
    if (setjmp(st->jump))
        return status ? status : IMG_ERR_WRITE;
    jpeg_create_compress(&st->info);
    st->created = true;
    auto* dest = static_cast<destination_manager*>((*st->info.mem->alloc_small)(
        j_common_ptr(&st->info), JPOOL_PERMANENT, sizeof(destination_manager)));
    dest->stream = &s;
    dest->pub.init_destination = init_destination;
    dest->pub.empty_output_buffer = empty_output_buffer;
    dest->pub.term_destination = term_destination;
    st->info.dest = &dest->pub;
    st->info.image_width = width;
    st->info.image_height = height;
    st->info.input_components = depth == 8 ? 1 : 3;
    st->info.in_color_space = depth == 8 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&st->info);
    jpeg_set_quality(&st->info, quality, TRUE);
    if (state->jpeg_custom_sampling) {
        const int count = std::min(std::min(int(state->jpeg_sampling_count), int(st->info.num_components)), 10);
        for (int i = 0; i < count; ++i) {
            st->info.comp_info[i].h_samp_factor = state->jpeg_h_sampling[i];
            st->info.comp_info[i].v_samp_factor = state->jpeg_v_sampling[i];
        }
    }
    if (progressive)
        jpeg_simple_progression(&st->info);
    st->info.density_unit = UINT8(density ? density[2] : 0);
    st->info.X_density = UINT16(density ? density[0] : 1);
    st->info.Y_density = UINT16(density ? density[1] : 1);
    switch (state->jpeg_dct_method) {
    case 1: st->info.dct_method = JDCT_ISLOW; break;
    case 2: st->info.dct_method = JDCT_IFAST; break;
    case 3: st->info.dct_method = JDCT_FLOAT; break;
    default: break;
    }
    st->info.smoothing_factor = state->jpeg_smoothing;
    jpeg_start_compress(&st->info, TRUE);
    for (const std::string& text : state->jpeg_comments_to_write)
        if (!text.empty())
            jpeg_write_marker(&st->info, JPEG_COM, reinterpret_cast<const JOCTET*>(text.data()),
                              unsigned(text.size()));
    for (const img_jpeg_marker& marker : state->jpeg_markers_to_write)
        jpeg_write_marker(&st->info, marker.code, marker.data.data(), unsigned(marker.data.size()));
    const std::size_t stride = std::size_t(width) * (depth / 8);
    for (std::uint32_t r = 0; r < height; ++r) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + std::size_t(r) * stride);
        jpeg_write_scanlines(&st->info, &row, 1);
        if (!img_progress(state, r, height)) {
            // The file stays unfinished: finishing now would make libjpeg fail on missing rows.
            return IMG_ERR_CANCELLED;
        }
    }
    jpeg_finish_compress(&st->info);
    return 0;
}

} // namespace

std::int64_t img_write_jpeg(img_output handle, const std::uint8_t* pixels, std::uint32_t width,
                            std::uint32_t height, int quality, int progressive, int depth,
                            const std::uint32_t* density)
{
    return img_writer_entry(handle, [&](img_thread_state* state, img_stream& s,
                                        std::int32_t& status) -> std::int64_t {
        if (!pixels || width == 0 || height == 0 || width > 65500 || height > 65500 ||
            (depth != 8 && depth != 24)) {
            status = IMG_ERR_ARGUMENT;
            return 0;
        }
        auto* st = static_cast<write_state*>(std::calloc(1, sizeof(write_state)));
        if (!st) {
            status = IMG_ERR_MEMORY;
            return 0;
        }
        st->info.err = jpeg_std_error(&st->error.pub);
        st->error.pub.error_exit = error_exit;
        st->error.jump = &st->jump;
        status = compress(st, state, s, pixels, width, height, quality, progressive, depth, density);
        if (st->created)
            jpeg_destroy_compress(&st->info);
        std::free(st);
        return s.size();
    });
}
