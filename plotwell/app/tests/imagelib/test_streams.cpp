#include "plotwell/app/imagelib/imagelib.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ImageStreams, OpenCloseAndPositions)
{
    quelmtest::TempDir dir;
    EXPECT_EQ(img_open_file_input(""), nullptr);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_OPEN);
    EXPECT_EQ(img_open_file_input(dir.file("missing").c_str()), nullptr);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_OPEN);

    const std::string name = dir.file("ten");
    quelmtest::WriteFileBytes(name, "0123456789");
    img_input in = img_open_file_input(name.c_str());
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(img_close_input(in), 0) << "closing right after opening";
    in = img_open_file_input(name.c_str());
    EXPECT_EQ(img_seek_input(in, 0, 2), 1);
    EXPECT_EQ(img_close_input(in), 10) << "origin 2 puts the position at the end";
    EXPECT_EQ(img_seek_input(nullptr, 0, 0), 0);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_ARGUMENT);

    img_output out = img_open_file_output(dir.file("out").c_str());
    ASSERT_NE(out, nullptr);
    img_stream stream(out);
    EXPECT_TRUE(stream.write_n("abcde", 5));
    EXPECT_EQ(img_close_output(out), 5) << "the size flushes first";

    const std::string long_name = dir.file(std::string(300, 'x'));
    img_output bad = img_open_file_output(long_name.c_str());
    if (bad) {
        EXPECT_EQ(std::string(bad->file_name).size(), 260u);
        img_close_output(bad);
    }
}

TEST(ImageStreams, ForeignOrClosedHandlesFailTheCheck)
{
    img_stream_block fake;
    fake.first_mark = IMG_STREAM_FIRST_MARK;
    fake.second_mark = IMG_STREAM_SECOND_MARK;
    fake.kind = 2;
    std::int32_t w, h;
    EXPECT_EQ(img_read_bmp(&fake, &w, &h, 24, nullptr), nullptr);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_HANDLE);
    EXPECT_EQ(img_read_bmp(nullptr, &w, &h, 24, nullptr), nullptr);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_ARGUMENT);
}

TEST(ImageStreams, FillRectClipsAtTheBorders)
{
    std::vector<std::uint8_t> image(3 * 2 * 3, 0);
    EXPECT_EQ(img_fill_rect(image.data(), 3, 2, 5, 0, 2, 2, 0xFFFFFF, 3), 1);
    EXPECT_EQ(image, std::vector<std::uint8_t>(18, 0)) << "outside the image: nothing";
    EXPECT_EQ(img_fill_rect(image.data(), 3, 2, 2, 1, 10, 10, 0x030201, 3), 1);
    const std::vector<std::uint8_t> expected = {0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                0, 0, 0, 0, 0, 0, 1, 2, 3};
    EXPECT_EQ(image, expected);
    EXPECT_EQ(img_fill_rect(image.data(), 3, 2, 0, 0, 1, 1, 0, 2), 0);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_ARGUMENT);
}

TEST(ImageStreams, UnpackBitsIsOneContinuousStream)
{
    const std::uint8_t packed[] = {0xE4, 0x1B};
    std::uint8_t out[6];
    ASSERT_EQ(img_unpack_bits(packed, 3, 2, 2, out), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 6), (std::vector<std::uint8_t>{3, 2, 1, 0, 0, 1}));
    const std::uint8_t three[] = {0b10110011, 0b10000000};
    std::uint8_t values[3];
    ASSERT_EQ(img_unpack_bits(three, 3, 1, 3, values), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(values, values + 3), (std::vector<std::uint8_t>{5, 4, 7}));
    EXPECT_EQ(img_unpack_bits(packed, 1, 1, 9, out), 0);
}

} // namespace
