#include "plotwell/app/tests/imagelib/imagelib_test_helpers.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace imgtest;

std::int32_t detect(const std::string& bytes44, const std::string& file_name = "")
{
    std::string data = bytes44;
    data.resize(std::max<std::size_t>(data.size(), 44), '\x01');
    if (file_name.empty()) {
        img_input in = img_open_memory_input(data.data(), std::int64_t(data.size()));
        const std::int32_t type = img_guess_file_type(in);
        img_close_input(in);
        return type;
    }
    quelmtest::TempDir dir;
    const std::string path = dir.file(file_name);
    quelmtest::WriteFileBytes(path, data);
    img_input in = img_open_file_input(path.c_str());
    const std::int32_t type = img_guess_file_type(in);
    img_close_input(in);
    return type;
}

TEST(ImageCodecs, DetectionOfEverySignature)
{
    const struct { std::string start; std::int32_t type; } cases[] = {
        {"BM", 1}, {"PAX", 9}, {"GIF89a", 2}, {"GIF87a", 2}, {"\xFF\xD8\xFF\xE0", 3},
        {"\xFF\xD8\xFF\xE1", 3}, {std::string("\x0A\x00", 2), 5}, {"\x0A\x02", 5}, {"\x0A\x03", 5},
        {"\x0A\x05", 5}, {"\x0A\x04", 0}, {"MM", 6}, {"II", 6}, {"\x89PNG\r\n\x1A\n", 4},
        {std::string("\x01\x00\x09\x00\x00", 5), 7}, {"\xD7\xCD\xC6\x9A", 7}, {"8BPS", 10},
        {"TLA\x01", 11}, {"TLAU", 12}, {std::string("\x00\x00", 2), 13}, {"xyz", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(detect(c.start), c.type) << "start " << c.start;
    std::string emf(44, '\x02');
    emf.replace(40, 4, " EMF");
    EXPECT_EQ(detect(emf), 8);
    EXPECT_EQ(img_get_last_error(), 0);
}

TEST(ImageCodecs, DetectionByNameAndShortFiles)
{
    const std::string zeros("\x00\x00\x02", 3);
    EXPECT_EQ(detect(zeros, "picture.TGA"), 14);
    EXPECT_EQ(detect(zeros, "picture.tga"), 14);
    EXPECT_EQ(detect(zeros, "picture.wbmp"), 13);
    EXPECT_EQ(detect(zeros), 13) << "a memory input has no name";
    EXPECT_EQ(detect(std::string("\x00\x01\x01", 3), "mapped.tga"), 0) << "TGA with colour map";
    EXPECT_EQ(detect("BM", "picture.tga"), 1);

    const std::string short_file(43, 'B');
    img_input in = img_open_memory_input(short_file.data(), 43);
    EXPECT_EQ(img_guess_file_type(in), 0);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_READ);
    img_close_input(in);
    EXPECT_EQ(img_guess_file_type(nullptr), 0);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_ARGUMENT);
}

TEST(ImageCodecs, ReadersRefuseUnknownDepthsWithoutReading)
{
    const reader_fn readers[] = {img_read_bmp, img_read_pcx, img_read_tga, img_read_psd,
                                 img_read_png, img_read_jpeg};
    const std::string data(100, 'x');
    for (reader_fn reader : readers) {
        const decoded d = read_memory(data, reader, 16);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.error, IMG_ERR_ARGUMENT);
    }
}

// --- round trips through our own writers and readers ---------------------------------------

struct own_format {
    const char* name;
    int depth;
    std::function<std::int64_t(img_output, const bytes&, int, int, const bytes&)> write;
    reader_fn read;
};

const own_format own_formats[] = {
    {"bmp24", 24, [](img_output o, const bytes& p, int w, int h, const bytes&) {
         return img_write_bmp(o, p.data(), w, h, 24, 0, nullptr, 0, nullptr); }, img_read_bmp},
    {"bmp8", 8, [](img_output o, const bytes& p, int w, int h, const bytes& pal) {
         return img_write_bmp(o, p.data(), w, h, 8, 256, pal.data(), 0, nullptr); }, img_read_bmp},
    {"bmp8rle", 8, [](img_output o, const bytes& p, int w, int h, const bytes& pal) {
         return img_write_bmp(o, p.data(), w, h, 8, 256, pal.data(), 1, nullptr); }, img_read_bmp},
    {"pcx24", 24, [](img_output o, const bytes& p, int w, int h, const bytes&) {
         return img_write_pcx(o, p.data(), w, h, 24, nullptr); }, img_read_pcx},
    {"pcx8", 8, [](img_output o, const bytes& p, int w, int h, const bytes& pal) {
         return img_write_pcx(o, p.data(), w, h, 8, pal.data()); }, img_read_pcx},
    {"tga24", 24, [](img_output o, const bytes& p, int w, int h, const bytes&) {
         return img_write_tga(o, p.data(), w, h, 24, nullptr); }, img_read_tga},
    {"tga8", 8, [](img_output o, const bytes& p, int w, int h, const bytes& pal) {
         return img_write_tga(o, p.data(), w, h, 8, pal.data()); }, img_read_tga},
    {"psd24", 24, [](img_output o, const bytes& p, int w, int h, const bytes&) {
         return img_write_psd(o, p.data(), w, h, 24, nullptr); }, img_read_psd},
    {"psd8", 8, [](img_output o, const bytes& p, int w, int h, const bytes& pal) {
         return img_write_psd(o, p.data(), w, h, 8, pal.data()); }, img_read_psd},
    {"png24", 24, [](img_output o, const bytes& p, int w, int h, const bytes&) {
         return img_write_png(o, p.data(), w, h, w * 3, 8, 0, nullptr, 2, 0, 0, nullptr); }, img_read_png},
    {"png8", 8, [](img_output o, const bytes& p, int w, int h, const bytes& pal) {
         return img_write_png(o, p.data(), w, h, w, 8, 256, pal.data(), 3, 0, 0, nullptr); }, img_read_png},
};

TEST(ImageCodecs, LosslessRoundTripsAtOddAndEvenWidths)
{
    quelmtest::TempDir dir;
    const bytes palette = test_palette();
    for (const own_format& f : own_formats) {
        for (int width : {1, 6, 7, 33}) {
            const int height = 3;
            const bytes pixels = f.depth == 24 ? rgb_picture(width, height) : index_picture(width, height);
            const std::string path = dir.file(std::string(f.name) + std::to_string(width));
            const written w = write_file(path, [&](img_output o) { return f.write(o, pixels, width, height, palette); });
            ASSERT_EQ(w.error, 0) << f.name << " width " << width;
            EXPECT_EQ(w.size, std::int64_t(quelmtest::ReadFileBytes(path).size())) << f.name;
            for (int depth : {f.depth, 24}) {
                const decoded d = read_file(path, f.read, depth);
                ASSERT_TRUE(d.ok) << f.name << " width " << width << " depth " << depth << " error " << d.error;
                EXPECT_EQ(d.width, width);
                EXPECT_EQ(d.height, height);
                const bytes expected = depth == f.depth ? pixels : expand(pixels, palette);
                EXPECT_EQ(d.pixels, expected) << f.name << " width " << width << " depth " << depth;
                if (depth == 8)
                    for (int i = 0; i < 16; ++i)
                        EXPECT_EQ(0, std::memcmp(&d.palette[4 * i], &palette[4 * i], 3)) << f.name << " entry " << i;
            }
        }
    }
}

TEST(ImageCodecs, TruncatedFilesGiveNoImage)
{
    quelmtest::TempDir dir;
    const bytes palette = test_palette();
    for (const own_format& f : own_formats) {
        const int width = 9, height = 7;
        const bytes pixels = f.depth == 24 ? rgb_picture(width, height) : index_picture(width, height);
        const std::string path = dir.file(f.name);
        write_file(path, [&](img_output o) { return f.write(o, pixels, width, height, palette); });
        const std::string whole = quelmtest::ReadFileBytes(path);
        for (std::size_t cut : {std::size_t(0), std::size_t(10), whole.size() / 2, whole.size() - 800,
                                whole.size() - 1}) {
            if (cut >= whole.size())
                continue;
            const decoded d = read_memory(whole.substr(0, cut), f.read, 24);
            // A file cut inside the trailing 256-colour palette of PCX still has its rows.
            if (d.ok) {
                EXPECT_EQ(d.error, 0);
                EXPECT_EQ(std::string(f.name), "pcx8") << "cut at " << cut;
            } else {
                EXPECT_NE(d.error, 0) << f.name << " cut at " << cut;
            }
        }
    }
}

TEST(ImageCodecs, BmpOtherDepths)
{
    quelmtest::TempDir dir;
    const bytes palette = test_palette();
    // 1 bit: rows of (width + 7) / 8 bytes, unused bits zero.
    const bytes one_bit = {0b10110000, 0b01000000, 0b11110000};
    const std::string path1 = dir.file("one.bmp");
    ASSERT_EQ(write_file(path1, [&](img_output o) {
                  return img_write_bmp(o, one_bit.data(), 4, 3, 1, 2, palette.data(), 0, nullptr); }).error, 0);
    decoded d = read_file(path1, img_read_bmp, 1);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, one_bit);
    d = read_file(path1, img_read_bmp, 24);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels[0], palette[6]) << "first pixel is entry 1";

    // 4 bits.
    const bytes nibbles = {0x12, 0x30, 0x45, 0x60};
    const std::string path4 = dir.file("four.bmp");
    ASSERT_EQ(write_file(path4, [&](img_output o) {
                  return img_write_bmp(o, nibbles.data(), 3, 2, 4, 16, palette.data(), 0, nullptr); }).error, 0);
    d = read_file(path4, img_read_bmp, 8);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (bytes{1, 2, 3, 4, 5, 6}));
    d = read_file(path4, img_read_bmp, 1);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.error, IMG_ERR_DEPTH);

    // 16 bits: 5-5-5 words from the conversion, read back with the low bits dropped.
    const bytes rgb = rgb_picture(5, 2);
    bytes words(5 * 2 * 2);
    ASSERT_EQ(img_rgb24_to_rgb16(rgb.data(), 5, 2, words.data(), 1, 1), 1);
    const std::string path16 = dir.file("sixteen.bmp");
    ASSERT_EQ(write_file(path16, [&](img_output o) {
                  return img_write_bmp(o, words.data(), 5, 2, 16, 0, nullptr, 0, nullptr); }).error, 0);
    d = read_file(path16, img_read_bmp, 24);
    ASSERT_TRUE(d.ok);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        EXPECT_EQ(d.pixels[i], rgb[i] & 0xF8);

    EXPECT_EQ(write_file(dir.file("x.bmp"), [&](img_output o) {
                  return img_write_bmp(o, rgb.data(), 5, 2, 32, 0, nullptr, 0, nullptr); }).error,
              IMG_ERR_ARGUMENT);
}

std::string bmp_file(int width, int height, int bits, std::uint32_t compression, const std::string& table,
                     const std::string& data, const std::string& masks = "")
{
    auto u32 = [](std::uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    auto u16 = [](std::uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    const std::uint32_t offset = std::uint32_t(54 + masks.size() + table.size());
    return "BM" + u32(offset + std::uint32_t(data.size())) + u32(0) + u32(offset) + u32(40) +
           u32(std::uint32_t(width)) + u32(std::uint32_t(height)) + u16(1) + u16(std::uint16_t(bits)) +
           u32(compression) + u32(std::uint32_t(data.size())) + u32(0) + u32(0) +
           u32(std::uint32_t(table.size() / 4)) + u32(0) + masks + table + data;
}

TEST(ImageCodecs, BmpTopDownMasksAndRunLengthData)
{
    const std::string bottom_up = bmp_file(1, 2, 24, 0, "", std::string("\x01\x02\x03\x00\x04\x05\x06\x00", 8));
    const std::string top_down = bmp_file(1, -2, 24, 0, "", std::string("\x04\x05\x06\x00\x01\x02\x03\x00", 8));
    const decoded a = read_memory(bottom_up, img_read_bmp, 24);
    const decoded b = read_memory(top_down, img_read_bmp, 24);
    ASSERT_TRUE(a.ok);
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_EQ(a.pixels, (bytes{6, 5, 4, 3, 2, 1}));

    const std::string masks("\x00\xF8\x00\x00\xE0\x07\x00\x00\x1F\x00\x00\x00", 12);
    const decoded m = read_memory(bmp_file(1, 1, 16, 3, "", std::string("\xFF\xFF\x00\x00", 4), masks),
                                  img_read_bmp, 24);
    ASSERT_TRUE(m.ok) << m.error;
    EXPECT_EQ(m.pixels, (bytes{0xF8, 0xFC, 0xF8}));

    // RLE4: an absolute run of 5 pixels (3 data bytes, one pad) keeps the pair alignment.
    std::string table;
    for (int i = 0; i < 16; ++i)
        table += std::string{char(i), char(i), char(i), 0};
    const std::string rle4("\x00\x05\x12\x34\x50\x00\x02\x77\x00\x00\x00\x01", 12);
    const decoded r = read_memory(bmp_file(7, 1, 4, 2, table, rle4), img_read_bmp, 8);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.pixels, (bytes{1, 2, 3, 4, 5, 7, 7}));

    // Without the end-of-bitmap code: error 3 and no picture.
    const decoded cut = read_memory(bmp_file(7, 1, 4, 2, table, rle4.substr(0, 10)), img_read_bmp, 8);
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.error, IMG_ERR_READ);

    // Hostile sizes are refused before anything is allocated.
    const decoded huge = read_memory(bmp_file(0x7FFFFFFF, 0x7FFFFFFF, 24, 0, "", "x"), img_read_bmp, 24);
    EXPECT_FALSE(huge.ok);
    EXPECT_EQ(huge.error, IMG_ERR_INVALID);
    const decoded lots = read_memory(bmp_file(4, 1, 8, 0, std::string(4, '\0'), std::string(4, '\xFF')),
                                     img_read_bmp, 24);
    ASSERT_TRUE(lots.ok) << "indexes beyond the colour table read entry 0";
    EXPECT_EQ(lots.pixels, bytes(12, 0));
}

TEST(ImageCodecs, BmpRle8WriterLayout)
{
    quelmtest::TempDir dir;
    const bytes palette = test_palette();
    const bytes pixels = {1, 2, 3, 4, 5, 6, 6, 6, 6, 6};
    const std::string path = dir.file("rle.bmp");
    ASSERT_EQ(write_file(path, [&](img_output o) {
                  return img_write_bmp(o, pixels.data(), 5, 2, 8, 4, palette.data(), 1, nullptr); }).error, 0);
    const std::string file = quelmtest::ReadFileBytes(path);
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(std::uint8_t(file[at])) | std::uint32_t(std::uint8_t(file[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(file[at + 2])) << 16 | std::uint32_t(std::uint8_t(file[at + 3])) << 24;
    };
    EXPECT_EQ(u32(2), file.size()) << "file size patched";
    EXPECT_EQ(u32(30), 1u);
    EXPECT_EQ(u32(34), file.size() - 54 - 16) << "image size patched";
    const std::string data = file.substr(54 + 16);
    // Bottom row first: six 6s (the odd row repeats its last pixel); then 1 2 3 4 5 5 as an
    // absolute run of five (with its pad byte) and a run of one.
    EXPECT_EQ(data, std::string("\x06\x06\x00\x00\x00\x05\x01\x02\x03\x04\x05\x00\x01\x05\x00\x00\x00\x01", 18));

    bytes long_row(300, 9);
    const std::string path300 = dir.file("run.bmp");
    write_file(path300, [&](img_output o) {
        return img_write_bmp(o, long_row.data(), 300, 1, 8, 16, palette.data(), 1, nullptr); });
    const std::string run = quelmtest::ReadFileBytes(path300).substr(54 + 64);
    EXPECT_EQ(run, std::string("\xFF\x09\x2D\x09\x00\x00\x00\x01", 8));
}

TEST(ImageCodecs, PcxWriterRunsAndLayout)
{
    quelmtest::TempDir dir;
    const bytes palette = test_palette();
    const bytes hundred(100, 7);
    const std::string path = dir.file("runs.pcx");
    write_file(path, [&](img_output o) { return img_write_pcx(o, hundred.data(), 100, 1, 8, palette.data()); });
    std::string file = quelmtest::ReadFileBytes(path);
    EXPECT_EQ(file.substr(128, 4), std::string("\xFF\x07\xE5\x07", 4));
    EXPECT_EQ(file.size(), 128u + 4 + 769);
    EXPECT_EQ(file[file.size() - 769], 12);

    const bytes odd = {0xC5, 1, 2, 3, 4};
    const std::string path5 = dir.file("five.pcx");
    write_file(path5, [&](img_output o) { return img_write_pcx(o, odd.data(), 5, 1, 8, palette.data()); });
    file = quelmtest::ReadFileBytes(path5);
    EXPECT_EQ(std::uint8_t(file[66]), 6) << "bytes per line rounded up to even";
    EXPECT_EQ(file.substr(128, 7), std::string("\xC1\xC5\x01\x02\x03\x04\x00", 7));
    EXPECT_EQ(file.size(), 128u + 7 + 769);
    EXPECT_EQ(write_file(dir.file("bad.pcx"), [&](img_output o) {
                  return img_write_pcx(o, odd.data(), 5, 1, 16, palette.data()); }).error,
              IMG_ERR_ARGUMENT);
}

std::string pcx_header(int bits, int planes, int width, int bytes_per_line, int version = 5)
{
    std::string h(128, '\0');
    h[0] = 10;
    h[1] = char(version);
    h[2] = 1;
    h[3] = char(bits);
    h[8] = char(width - 1);
    h[65] = char(planes);
    h[66] = char(bytes_per_line);
    // header palette: entry i = (i*10, i*10+1, i*10+2)
    for (int i = 0; i < 16; ++i)
        for (int c = 0; c < 3; ++c)
            h[16 + 3 * i + c] = char(i * 10 + c);
    return h;
}

TEST(ImageCodecs, PcxPlanesAndBitDepths)
{
    // 1 bit, 1 plane, width 10: all ten pixels, black and white whatever the header says.
    const std::string mono = pcx_header(1, 1, 10, 2) + std::string("\xA5\xC1\xC0", 3);
    decoded d = read_memory(mono, img_read_pcx, 8);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.pixels, (bytes{1, 0, 1, 0, 0, 1, 0, 1, 1, 1}));
    EXPECT_EQ(d.palette[4], 255);
    d = read_memory(mono, img_read_pcx, 24);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels[0], 255);
    EXPECT_EQ(d.pixels[3], 0);

    // 4 planes of 1 bit: plane i gives bit i of the value; colours from the header palette.
    const std::string planar = pcx_header(1, 4, 2, 2) +
                               std::string("\x80\x00\x40\x00\x00\x00\xC1\xC0\x00", 9);
    d = read_memory(planar, img_read_pcx, 8);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.pixels, (bytes{1 | 8, 2 | 8}));
    EXPECT_EQ(d.palette[4 * 9 + 2], 90);

    // 2 bits in one plane decodes too.
    const std::string two = pcx_header(2, 1, 4, 2) + std::string("\x1B\x00", 2);
    d = read_memory(two, img_read_pcx, 8);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.pixels, (bytes{0, 1, 2, 3}));

    // 8-bit version 5 without the palette marker reads with a grey ramp.
    std::string grey = pcx_header(8, 1, 2, 2) + std::string("\x05\x06", 2) + std::string(769, '\x01');
    d = read_memory(grey, img_read_pcx, 24);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (bytes{5, 5, 5, 6, 6, 6}));

    EXPECT_EQ(read_memory(pcx_header(8, 3, 2, 2) + "abcdef", img_read_pcx, 8).error, IMG_ERR_DEPTH);
    EXPECT_EQ(read_memory(pcx_header(8, 1, 2, 2, 4) + "ab", img_read_pcx, 8).error, IMG_ERR_PCX_HEADER);
    EXPECT_EQ(read_memory(pcx_header(8, 2, 2, 2) + "abcd", img_read_pcx, 24).error, IMG_ERR_DEPTH);
    EXPECT_EQ(read_memory(pcx_header(8, 1, 9, 2) + "ab", img_read_pcx, 8).error, IMG_ERR_PCX_HEADER)
        << "lines shorter than the width";
}

std::string tga_header(int id, int map_type, int type, int first, int count, int map_bits, int w, int h,
                       int bits, int descriptor)
{
    std::string s(18, '\0');
    s[0] = char(id);
    s[1] = char(map_type);
    s[2] = char(type);
    s[3] = char(first);
    s[5] = char(count);
    s[7] = char(map_bits);
    s[12] = char(w);
    s[14] = char(h);
    s[16] = char(bits);
    s[17] = char(descriptor);
    return s;
}

TEST(ImageCodecs, TgaPacketsOrientationAndColourMaps)
{
    // A repeat packet of 100 pixels crossing row ends (10 × 10).
    const std::string rle = tga_header(0, 0, 10, 0, 0, 0, 10, 10, 24, 32) + std::string("\xE3\x0A\x14\x1E", 4);
    decoded d = read_memory(rle, img_read_tga, 24);
    ASSERT_TRUE(d.ok) << d.error;
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(d.pixels[3 * i] * 65536 + d.pixels[3 * i + 1] * 256 + d.pixels[3 * i + 2], 30 * 65536 + 20 * 256 + 10);

    const std::string rows("\x01\x01\x01\x02\x02\x02", 6);
    const std::string rows_reversed("\x02\x02\x02\x01\x01\x01", 6);
    const decoded bottom = read_memory(tga_header(0, 0, 2, 0, 0, 0, 1, 2, 24, 0) + rows, img_read_tga, 24);
    const decoded top = read_memory(tga_header(0, 0, 2, 0, 0, 0, 1, 2, 24, 32) + rows_reversed, img_read_tga, 24);
    EXPECT_EQ(bottom.pixels, top.pixels);

    const decoded sixteen = read_memory(tga_header(0, 0, 2, 0, 0, 0, 1, 1, 16, 32) + "\xFF\x7F", img_read_tga, 32);
    EXPECT_EQ(sixteen.pixels, (bytes{248, 248, 248, 255}));
    const decoded alpha = read_memory(tga_header(0, 0, 2, 0, 0, 0, 1, 1, 24, 32) + "\x01\x02\x03", img_read_tga, 32);
    EXPECT_EQ(alpha.pixels, (bytes{3, 2, 1, 0}));

    // A colour map from index 16, 16 entries, and an identification field before it.
    std::string map;
    for (int i = 0; i < 16; ++i)
        map += std::string{char(i), char(i + 1), char(i + 2)};
    const std::string mapped = tga_header(3, 1, 1, 16, 16, 24, 2, 1, 8, 32) + "abc" + map + "\x10\x1F";
    d = read_memory(mapped, img_read_tga, 8);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.pixels, (bytes{16, 31}));
    EXPECT_EQ(d.palette[4 * 31], 15);
    d = read_memory(mapped, img_read_tga, 24);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (bytes{2, 1, 0, 17, 16, 15}));
    EXPECT_EQ(read_memory(tga_header(0, 0, 1, 0, 0, 0, 1, 1, 8, 32) + "\x05", img_read_tga, 8).error,
              IMG_ERR_TGA_COLOUR_MAP);
    EXPECT_EQ(read_memory(tga_header(0, 0, 2, 0, 0, 0, 1, 1, 20, 32) + "\x05\x05\x05", img_read_tga, 24).error,
              IMG_ERR_TGA_COLOUR_MAP);
    EXPECT_EQ(read_memory(tga_header(0, 0, 2, 0, 0, 0, 1, 1, 24, 32) + "\x05", img_read_tga, 8).error,
              IMG_ERR_DEPTH);

    quelmtest::TempDir dir;
    const bytes palette = test_palette();
    const bytes four = {0, 1, 2, 3};
    const std::string path = dir.file("two.tga");
    EXPECT_EQ(write_file(path, [&](img_output o) { return img_write_tga(o, four.data(), 2, 2, 8, palette.data()); }).size,
              18 + 768 + 4);
    EXPECT_EQ(quelmtest::ReadFileBytes(path)[17], 40);
}

std::string be16(int v) { return std::string{char(v >> 8), char(v)}; }
std::string be32(std::uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

std::string psd_file(int channels, int w, int h, int bits, int mode, const std::string& resources,
                     int compression, const std::string& data)
{
    return "8BPS" + be16(1) + std::string(6, '\0') + be16(channels) + be32(h) + be32(w) + be16(bits) +
           be16(mode) + be32(0) + be32(std::uint32_t(resources.size())) + resources + be32(0) +
           be16(compression) + data;
}

TEST(ImageCodecs, PsdModesAndBlocks)
{
    // RGB with an alpha channel, PackBits: counts for 4 channels, only 3 read.
    std::string counts, rows;
    for (int c = 0; c < 4; ++c) {
        counts += be16(3);
        rows += std::string{char(-1), char(10 * (c + 1)), char(0)}; // repeat 2 times value, then a no-op
        rows.back() = char(-128);
    }
    const std::string resource = "8BIM" + be16(1000) + std::string("\x02" "ab\x00", 4) + be32(3) + "xyz" + std::string(1, '\0');
    decoded d = read_memory(psd_file(4, 2, 1, 8, 3, resource, 1, counts + rows), img_read_psd, 24);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.pixels, (bytes{10, 20, 30, 10, 20, 30}));

    const std::string cmyk = psd_file(4, 1, 1, 8, 4, "", 0, std::string("\xFF\x00\xFF\xFF", 4));
    d = read_memory(cmyk, img_read_psd, 24);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.pixels, (bytes{255, 0, 255}));
    EXPECT_EQ(read_memory(cmyk, img_read_psd, 8).error, IMG_ERR_DEPTH);
    EXPECT_EQ(read_memory(psd_file(3, 1, 1, 16, 3, "", 0, std::string(6, '\0')), img_read_psd, 24).error,
              IMG_ERR_PSD_MODE);
    EXPECT_EQ(read_memory(psd_file(3, 1, 1, 8, 3, "8BIX", 0, "abc"), img_read_psd, 24).error, IMG_ERR_READ);
    EXPECT_EQ(read_memory("8BPX" + std::string(30, '\0'), img_read_psd, 24).error, IMG_ERR_NOT_PSD);
    // A run that needs more input than its row's count.
    EXPECT_EQ(read_memory(psd_file(1, 4, 1, 8, 1, "", 1, be16(2) + std::string("\x05\x01", 2)), img_read_psd, 8).error,
              IMG_ERR_READ);
    // Bitmap mode, compressed: 1 is black.
    d = read_memory(psd_file(1, 3, 1, 1, 0, "", 1, be16(2) + std::string("\x00\xA0", 2)), img_read_psd, 24);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.pixels, (bytes{0, 0, 0, 255, 255, 255, 0, 0, 0}));

    quelmtest::TempDir dir;
    const bytes rgb = rgb_picture(3, 2);
    EXPECT_EQ(write_file(dir.file("small.psd"), [&](img_output o) { return img_write_psd(o, rgb.data(), 3, 2, 24, nullptr); }).size,
              26 + 4 + 4 + 4 + 2 + 18);
}

TEST(ImageCodecs, FixturesFromAnotherEncoder)
{
    const bytes expected = fixture_pixels();
    // The PNG fixtures carry gAMA 0.45455; compared without gamma correction here.
    img_thread_state* state = img_get_thread_state();
    state->png_gamma_correction = 0;
    const struct { const char* file; reader_fn read; int depth; int tolerance; } cases[] = {
        {"rgb24.bmp", img_read_bmp, 24, 0}, {"pal8.bmp", img_read_bmp, 24, 0},
        {"pal8rle.bmp", img_read_bmp, 24, 0}, {"pal8rle.bmp", img_read_bmp, 8, 0},
        {"pal8.bmp", img_read_bmp, 8, 0}, {"rgb24.pcx", img_read_pcx, 24, 0},
        {"pal8.pcx", img_read_pcx, 24, 0}, {"pal8.pcx", img_read_pcx, 8, 0},
        {"rgb24.tga", img_read_tga, 24, 0}, {"rgb24rle.tga", img_read_tga, 24, 0},
        {"pal8.tga", img_read_tga, 24, 0}, {"pal8.tga", img_read_tga, 8, 0},
        {"rgb.psd", img_read_psd, 24, 0}, {"rgbraw.psd", img_read_psd, 24, 0},
        {"rgb24.png", img_read_png, 24, 0}, {"pal8.png", img_read_png, 24, 0},
        {"pal8.png", img_read_png, 8, 0}, {"rgb48.png", img_read_png, 24, 0},
    };
    for (const auto& c : cases) {
        const decoded d = read_file(fixture(c.file), c.read, c.depth);
        ASSERT_TRUE(d.ok) << c.file << " at " << c.depth << ": error " << d.error;
        EXPECT_EQ(d.width, 5);
        EXPECT_EQ(d.height, 3);
        const bytes pixels = c.depth == 8 ? expand(d.pixels, d.palette) : d.pixels;
        ASSERT_EQ(pixels.size(), expected.size()) << c.file;
        int worst = 0;
        for (std::size_t i = 0; i < pixels.size(); ++i)
            worst = std::max(worst, std::abs(int(pixels[i]) - int(expected[i])));
        EXPECT_LE(worst, c.tolerance) << c.file << " at " << c.depth << ": " << ::testing::PrintToString(pixels);
    }
    // JPEGs of the sharp-edged fixture differ most at the edges; on average they must stay close
    // (the tight colour check is in test_jpeg_colours.cpp).
    for (const char* file : {"rgb.jpg", "cmyk.jpg"}) {
        const decoded d = read_file(fixture(file), img_read_jpeg, 24);
        ASSERT_TRUE(d.ok) << file << ": error " << d.error;
        ASSERT_EQ(d.pixels.size(), expected.size()) << file;
        double total = 0;
        for (std::size_t i = 0; i < d.pixels.size(); ++i)
            total += std::abs(int(d.pixels[i]) - int(expected[i]));
        EXPECT_LE(total / double(d.pixels.size()), 6.0) << file;
    }
    // Grey fixtures: equal channels at 24 bits.
    const std::pair<const char*, reader_fn> greys[] = {{"grey.jpg", img_read_jpeg}, {"grey.psd", img_read_psd}};
    for (const auto& [file, read] : greys) {
        const decoded d = read_file(fixture(file), read, 24);
        ASSERT_TRUE(d.ok) << file;
        for (std::size_t i = 0; i < d.pixels.size(); i += 3) {
            EXPECT_EQ(d.pixels[i], d.pixels[i + 1]) << file;
            EXPECT_EQ(d.pixels[i], d.pixels[i + 2]) << file;
        }
        const decoded g = read_file(fixture(file), read, 8);
        ASSERT_TRUE(g.ok) << file;
    }
    state->png_gamma_correction = 0;
    // RGBA at 24 bits: the transparent first column is composited over the file's background
    // (white, from its bKGD chunk).
    const decoded rgba = read_file(fixture("rgba.png"), img_read_png, 24);
    ASSERT_TRUE(rgba.ok);
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(rgba.pixels[i], (i / 3) % 5 == 0 ? 255 : expected[i]) << "byte " << i;
    const decoded rgba32 = read_file(fixture("rgba.png"), img_read_png, 32);
    ASSERT_TRUE(rgba32.ok);
    EXPECT_EQ(rgba32.pixels[3], 0);
    EXPECT_EQ(rgba32.pixels[7], 255);
    EXPECT_EQ(read_file(fixture("cmyk.jpg"), img_read_jpeg, 8).error, IMG_ERR_DEPTH);
    // With the default correction (screen gamma 2.9) the picture is brightened:
    // 255 × (200 / 255)^(1 / (2.9 × 0.45455)) is 212.
    state->png_gamma_correction = 1;
    const decoded bright = read_file(fixture("rgb24.png"), img_read_png, 24);
    ASSERT_TRUE(bright.ok);
    EXPECT_EQ(bright.pixels[24], 212);
    EXPECT_EQ(bright.pixels[0], 255);
    EXPECT_EQ(read_file(fixture("rgb24.png"), img_read_png, 8).error, IMG_ERR_DEPTH);
}

} // namespace

namespace {

TEST(ImageCodecs, WriteFailuresAreReported)
{
    using namespace imgtest;
    const bytes rgb = rgb_picture(20, 20);
    const bytes indexes = index_picture(20, 20);
    const bytes palette = test_palette();
    const std::function<std::int64_t(img_output)> writers[] = {
        [&](img_output o) { return img_write_bmp(o, rgb.data(), 20, 20, 24, 0, nullptr, 0, nullptr); },
        [&](img_output o) { return img_write_bmp(o, indexes.data(), 20, 20, 8, 256, palette.data(), 1, nullptr); },
        [&](img_output o) { return img_write_pcx(o, rgb.data(), 20, 20, 24, nullptr); },
        [&](img_output o) { return img_write_tga(o, rgb.data(), 20, 20, 24, nullptr); },
        [&](img_output o) { return img_write_psd(o, rgb.data(), 20, 20, 24, nullptr); },
        [&](img_output o) { return img_write_png(o, rgb.data(), 20, 20, 60, 8, 0, nullptr, 2, 0, 0, nullptr); },
        [&](img_output o) { return img_write_jpeg(o, rgb.data(), 20, 20, 90, 0, 24, nullptr); },
        [&](img_output o) { return img_write_tiff(o, rgb.data(), 20, 20, 24, nullptr, 1, nullptr); },
    };
    for (std::size_t i = 0; i < std::size(writers); ++i) {
        bytes big(100000);
        img_output whole = img_open_memory_output(big.data(), std::int64_t(big.size()));
        writers[i](whole);
        ASSERT_EQ(img_get_last_error(), 0) << "writer " << i;
        const std::int64_t size = img_memory_written(whole);
        img_close_output(whole);
        for (std::int64_t room : {std::int64_t(0), std::int64_t(40), size / 2, size - 1}) {
            bytes memory(std::size_t(room) + 1);
            img_output out = img_open_memory_output(memory.data(), room);
            writers[i](out);
            const std::int32_t error = img_get_last_error();
            EXPECT_NE(error, 0) << "writer " << i << " with " << room << " bytes of room";
            img_close_output(out);
        }
    }
}

} // namespace

namespace {

TEST(ImageCodecs, CancelledReadGivesNoImageAndCode14)
{
    using namespace imgtest;
    quelmtest::TempDir dir;
    const bytes rgb = rgb_picture(4, 6);
    const std::string path = dir.file("c.bmp");
    write_file(path, [&](img_output o) { return img_write_bmp(o, rgb.data(), 4, 6, 24, 0, nullptr, 0, nullptr); });
    img_set_progress([](std::int32_t row, std::int32_t, std::intptr_t) { return row < 3 ? 1 : 0; }, 0);
    const decoded d = read_file(path, img_read_bmp, 24);
    const written w = write_file(dir.file("c.tga"), [&](img_output o) {
        return img_write_tga(o, rgb.data(), 4, 6, 24, nullptr); });
    img_set_progress(nullptr, 0);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.error, IMG_ERR_CANCELLED);
    EXPECT_EQ(w.error, IMG_ERR_CANCELLED);
    EXPECT_EQ(w.size, 18 + 4 * 3 * 4) << "the rows written so far stay in the file";
}

} // namespace
