#include "plotwell/app/imagelib/imagelib.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(ImageFrame, SuccessAfterFailureClearsTheLastError)
{
    std::uint8_t pixel[3] = {1, 2, 3};
    EXPECT_EQ(img_rgb24_to_grey(nullptr, 1, 1), 0);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_ARGUMENT);
    EXPECT_EQ(img_rgb24_to_grey(pixel, 1, 1), 1);
    EXPECT_EQ(img_get_last_error(), 0);
}

TEST(ImageFrame, EachThreadHasItsOwnStateAndOptions)
{
    img_thread_state* mine = img_get_thread_state();
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(img_get_thread_state(), mine) << "a later call finds the record of the first";
    EXPECT_EQ(mine->png_screen_gamma, 2.9);
    EXPECT_EQ(mine->quant_error_limit, 20);
    EXPECT_EQ(mine->jpeg_sampling_count, 10);

    img_set_write_transparency(1);
    img_set_transparent_colour(0, 10, 20, 30, 0);
    img_thread_state* other = nullptr;
    int other_transparency = -1;
    std::thread worker([&] {
        other = img_get_thread_state();
        other_transparency = other ? other->png_write_transparency : -1;
    });
    worker.join();
    EXPECT_NE(other, nullptr);
    EXPECT_NE(other, mine);
    EXPECT_EQ(other_transparency, 0);
    EXPECT_EQ(mine->png_transparent_colour.green, 20);
    img_set_write_transparency(0);
    img_set_transparent_colour(0, 0, 0, 0, 0);
}

TEST(ImageFrame, ShutDownLibraryRefusesCallsWithoutRecording)
{
    img_module_shutdown();
    EXPECT_EQ(img_get_thread_state(), nullptr);
    std::uint8_t pixel[3] = {};
    EXPECT_EQ(img_rgb24_to_grey(pixel, 1, 1), 0);
    img_module_start();
    img_thread_state* fresh = img_get_thread_state();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->last_error, 0);
}

TEST(ImageFrame, ProgressProcedureCancelsWithCode14)
{
    std::vector<std::uint8_t> image(4 * 4 * 3, 7);
    img_set_progress([](std::int32_t row, std::int32_t, std::intptr_t) { return row < 1 ? 1 : 0; }, 0);
    EXPECT_EQ(img_rgb24_to_grey(image.data(), 4, 4), 0);
    EXPECT_EQ(img_get_last_error(), IMG_ERR_CANCELLED);
    img_set_progress(nullptr, 0);
    EXPECT_EQ(img_rgb24_to_grey(image.data(), 4, 4), 1);
}

} // namespace
