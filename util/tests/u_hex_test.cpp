// Hexadecimal text both ways.
#include "util/u_hex.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Hex, BytesToUpperCaseDigitsAndBack)
{
    const U8 in[] = {0xA5, 0x00, 0x0F, 0xF0, 0x9C};
    char text[11] = {};
    U_HEX_v2ASCII(in, text, 5);
    EXPECT_EQ(std::string(text), "A5000FF09C");

    U8 out[5] = {};
    U_HEX_v2Hex(text, out, 5);
    EXPECT_EQ(0, memcmp(in, out, 5));
}

TEST(Hex, LowerCaseDigitsReadLikeUpperCase)
{
    U8 out[3] = {};
    U_HEX_v2Hex("a5fFbc", out, 3);
    EXPECT_EQ(out[0], 0xA5);
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_EQ(out[2], 0xBC);
}

TEST(Hex, WritesNoTerminator)
{
    char text[4] = {'x', 'x', 'x', 'x'};
    const U8 in[] = {0x12};
    U_HEX_v2ASCII(in, text, 1);
    EXPECT_EQ(text[2], 'x');
}

} // namespace
