// The PNG writer and the command that turns raw pixels into a picture.
#include "graphics/g_pixel.h"
#include "graphics/g_png.h"
#include "graphics/tests/g_testing.h"
#include "testing/t_proc.h"
#include "testing/t_root.h"

#include <gtest/gtest.h>

namespace {

TEST(Png, WritesTheSurfaceTopRowFirstWithFullRangeChannels)
{
    gt::TestBitmap bmp(3, 2, 0x0000);
    G_PIXEL_vPut(bmp, 0, 1, 0xFFFF); // top left
    G_PIXEL_vPut(bmp, 2, 0, 0xF800); // bottom right
    G_PIXEL_vPut(bmp, 1, 0, 0x8410);
    vt::TempRoot root;
    const std::string path = root.path() + "/writer.png";
    ASSERT_TRUE(G_PNG_bWriteBitmap(bmp, path.c_str()));
    const gt::Rgb rgb = gt::readPng(path);
    ASSERT_EQ(rgb.width, 3u);
    ASSERT_EQ(rgb.height, 2u);
    const std::vector<U8> expected = {255, 255, 255, 0, 0, 0, 0, 0, 0, //
                                      0,   0,   0,   132, 130, 132, 255, 0, 0};
    EXPECT_EQ(rgb.data, expected);

    EXPECT_FALSE(G_PNG_bWriteBitmap(bmp, "/nonexistent-folder/x.png"));
}

TEST(PngTool, TurnsRawPixelsIntoAPictureAndRefusesShortInput)
{
    // 3 x 2 pixels, stride 4, after a 5-byte header: top row white, black,
    // red; bottom row blue, green, white.
    std::string raw = "HEAD.";
    const COLOR pixels[] = {0xFFFF, 0x0000, 0xF800, 0x1234, 0x001F, 0x07E0, 0xFFFF};
    for (COLOR c : pixels)
        raw += {(char)(c & 0xFF), (char)(c >> 8)};
    vt::TempRoot root;
    const std::string input = root.path() + "/page.raw";
    const std::string output = root.path() + "/page.png";
    ASSERT_TRUE(vt::writeFile(input, raw));
    const std::string tool = vt::buildPath("tools/vondrel-png");

    vt::ProcResult r = vt::runProcess({tool, "3", "2", input, output, "5"});
    ASSERT_EQ(r.status, 0) << r.err;
    const gt::Rgb rgb = gt::readPng(output);
    const std::vector<U8> expected = {255, 255, 255, 0, 0, 0,   255, 0, 0, //
                                      0,   0,   255, 0, 255, 0, 255, 255, 255};
    EXPECT_EQ(rgb.data, expected);

    r = vt::runProcess({tool, "3", "2", input, output, "6"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("need"), std::string::npos) << r.err;
    r = vt::runProcess({tool, "3", "-2", input, output});
    EXPECT_EQ(r.status, 1);
}

} // namespace
