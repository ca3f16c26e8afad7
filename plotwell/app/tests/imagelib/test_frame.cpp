#include "imagelib.h"

#include <gtest/gtest.h>

namespace {

TEST(ImageFrame, Placeholder)
{
    EXPECT_NE(img_get_thread_state(), nullptr);
}

} // namespace
