#include "platform/win/WinOem.h"

#include <gtest/gtest.h>
#include <string>

TEST(OemToCharA, AccentedLettersReachTheSystemCodePage)
{
    // OEM 0x82 e-acute, 0x81 u-umlaut, 0x9C pound sign, 0xB3 box line (none in 1252)
    char text[] = "a\x82\x81\x9C\xB3z";
    OemToCharA(text, text);
    EXPECT_EQ(std::string(text), std::string("a\xE9\xFC\xA3?z"));
}
