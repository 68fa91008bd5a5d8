// vondrel-view beside the unit: a snapshot of the page a test presented is
// that page, pixel for pixel.
#include "platform/tests/display_fixture.h"

#include "graphics/g_png.h"
#include "platform/h_display.h"
#include "testing/t_proc.h"

#include <filesystem>
#include <png.h>
#include <unistd.h>

using namespace display_test;

namespace {

// The PNG's pixels as 8-bit RGB, or empty when it cannot be read as 800 x 600.
std::vector<U8> readPng(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<U8> rgb(PNG_IMAGE_SIZE(image));
    const bool ok = image.width == 800 && image.height == 600 &&
                    png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
    png_image_free(&image);
    return ok ? rgb : std::vector<U8>{};
}

class Viewer : public Display {
protected:
    vt::ProcResult snapshot(const std::string& png)
    {
        return vt::runProcess({vt::buildPath("tools/vondrel-view"), "--snapshot", png},
                              {"VONDREL_ROOT=" + unitRoot().path()});
    }
};

TEST_F(Viewer, SnapshotIsThePresentedPage)
{
    H_DISPLAY_vInitScreen(0);
    H_DISPLAY_pu32GetDisplayBuffer();
    U32* p = H_DISPLAY_pu32GetDisplayBuffer(); // page 1, so the y offset matters
    for (size_t i = 0; i < DD_LCD_SCREEN_PIXELS; ++i) {
        const size_t x = i % 800, y = i / 800;
        pixels(p)[i] = (U16)((x / 25) << 11 | (y / 10) << 5 | ((x + y) / 50));
    }
    pixels(p)[0] = 0xFFFF;
    DD_LCD_vDisplayScreen(p);
    ASSERT_EQ(fileHeader().u32PageOnDisplay, 1u);

    const std::string png = unitRoot().at("/tmp/shown.png");
    const vt::ProcResult r = snapshot(png);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<U8> rgb = readPng(png);
    ASSERT_EQ(rgb.size(), 800u * 600 * 3);
    size_t wrong = 0;
    for (size_t i = 0; i < DD_LCD_SCREEN_PIXELS; ++i) {
        U8 want[3];
        G_PNG_vToRgb888(pixels(p)[i], want);
        wrong += memcmp(want, &rgb[3 * i], 3) != 0;
    }
    EXPECT_EQ(wrong, 0u);
}

TEST_F(Viewer, SnapshotWithoutAFrameBufferFailsClearly)
{
    const vt::ProcResult missing = snapshot(unitRoot().at("/tmp/none.png"));
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("dev/fb0"), std::string::npos) << missing.err;

    ASSERT_TRUE(vt::writeFile(fb0Path(), std::string(FBFILE_FILE_BYTES, '\0')));
    const vt::ProcResult noHeader = snapshot(unitRoot().at("/tmp/none.png"));
    EXPECT_EQ(noHeader.status, 2);
    EXPECT_NE(noHeader.err.find("header"), std::string::npos) << noHeader.err;
    EXPECT_FALSE(vt::fileExists(unitRoot().at("/tmp/none.png")));
}

TEST_F(Viewer, WithoutARootTakesRunRootOrSaysWhatItNeeds)
{
    // Started in a project folder with VONDREL_ROOT unset (empty).
    const std::string project = unitRoot().at("/tmp/project");
    vt::makeDirs(project);
    const std::string png = unitRoot().at("/tmp/project.png");
    auto fromProject = [&] {
        return vt::runProcess({"/bin/sh", "-c", "cd \"$1\" && exec \"$0\" --snapshot \"$2\"",
                               std::filesystem::absolute(vt::buildPath("tools/vondrel-view")).string(), project, png},
                              {"VONDREL_ROOT="});
    };
    const vt::ProcResult none = fromProject();
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("give --root DIR or set VONDREL_ROOT"), std::string::npos) << none.err;
    EXPECT_EQ(none.err.find("dev/fb0"), std::string::npos) << none.err;

    // ./run/root (here a link to the unit's root) is the root.
    vt::makeDirs(project + "/run");
    ASSERT_EQ(symlink(unitRoot().path().c_str(), (project + "/run/root").c_str()), 0);
    H_DISPLAY_vInitScreen(0);
    U32* p = H_DISPLAY_pu32GetDisplayBuffer();
    paint(p, 0x07E0);
    DD_LCD_vDisplayScreen(p);
    const vt::ProcResult found = fromProject();
    ASSERT_EQ(found.status, 0) << found.err;
    const std::vector<U8> rgb = readPng(png);
    ASSERT_EQ(rgb.size(), 800u * 600 * 3);
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[1], 0xFF); // green, as painted
    EXPECT_EQ(rgb[2], 0);
}

} // namespace
