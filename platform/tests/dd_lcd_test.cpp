// The frame buffer, its page table and the display HAL over the stand-in
// device ROOT/dev/fb0.
#include "platform/tests/display_fixture.h"

#include "kernel/l_clock.h"
#include "platform/h_display.h"
#include "platform/omapfb.h"

#include <chrono>
#include <sys/stat.h>

using namespace display_test;

namespace {

class FrameBuffer : public Display {
protected:
    void SetUp() override
    {
        Display::SetUp();
        H_DISPLAY_vInitScreen(0);
        ASSERT_EQ(frame_buffer_fd, 1);
    }
};

TEST_F(FrameBuffer, BringUpCreatesTheDeviceWithFourIdlePagesAndTheColourKey)
{
    struct stat st {};
    ASSERT_EQ(stat(fb0Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_size, (off_t)FBFILE_FILE_BYTES);
    EXPECT_EQ(states(), (std::vector{IDLE, IDLE, IDLE, IDLE}));
    EXPECT_EQ(H_DISPLAY_psbGetFrameBufferPointer(), nullptr) << "no frame shown yet";

    const FBFILE_HEADER h = fileHeader();
    EXPECT_EQ(h.u32YOffset, 0u);
    EXPECT_EQ(h.u8KeyType, OMAPFB_COLOR_KEY_VID_SRC);
    EXPECT_EQ(h.u32Key, 0x8401u);

    omapfb_set_chromakey(&g_lcdSurface, -1);
    EXPECT_EQ(fileHeader().u8KeyType, OMAPFB_COLOR_KEY_DISABLED);
}

TEST_F(FrameBuffer, FourHandOutsThenNullUntilOneIsReturned)
{
    U32* got[4];
    for (int i = 0; i < 4; ++i) {
        got[i] = H_DISPLAY_pu32GetDisplayBuffer();
        ASSERT_NE(got[i], nullptr);
        EXPECT_EQ(reinterpret_cast<U8*>(got[i]) - reinterpret_cast<U8*>(got[0]), (ptrdiff_t)i * 960000);
    }
    EXPECT_EQ(H_DISPLAY_pu32GetDisplayBuffer(), nullptr);
    EXPECT_EQ(states(), (std::vector{HELD, HELD, HELD, HELD}));

    // A pointer that is no page start changes nothing.
    H_DISPLAY_vFreeDisplayBuffer(got[2] + 1);
    H_DISPLAY_vFreeDisplayBuffer(nullptr);
    EXPECT_EQ(H_DISPLAY_pu32GetDisplayBuffer(), nullptr);

    H_DISPLAY_vFreeDisplayBuffer(got[2]);
    H_DISPLAY_vFreeDisplayBuffer(got[2]);
    EXPECT_EQ(states(), (std::vector{HELD, HELD, IDLE, HELD}));
    EXPECT_EQ(H_DISPLAY_pu32GetDisplayBuffer(), got[2]);
    EXPECT_EQ(H_DISPLAY_pu32GetDisplayBuffer(), nullptr);
}

TEST_F(FrameBuffer, PresentingPansToThePageAndIdlesThePreviousOne)
{
    for (int i = 0; i < 4; ++i)
        H_DISPLAY_pu32GetDisplayBuffer();
    const FBFILE_HEADER before = fileHeader();

    H_DISPLAY_vFreeDisplayBuffer(page(3));
    DD_LCD_vDisplayScreen(page(3)); // an idle page may be shown too
    FBFILE_HEADER h = fileHeader();
    EXPECT_EQ(h.u32YOffset, 1800u);
    EXPECT_EQ(h.u32PageOnDisplay, 3u);
    EXPECT_EQ(h.u32PanCount, before.u32PanCount + 1);
    EXPECT_EQ(h.u32VsyncCount, before.u32VsyncCount + 1);
    EXPECT_EQ(states(), (std::vector{HELD, HELD, HELD, ON}));
    EXPECT_EQ(DD_LCD_pu32GetFrameBufferPointer(), page(3));

    DD_LCD_vDisplayScreen(page(1));
    EXPECT_EQ(states(), (std::vector{HELD, ON, HELD, IDLE}));
    EXPECT_EQ(fileHeader().u32YOffset, 600u);

    // The page already on display: no flip.
    const U32 pans = fileHeader().u32PanCount;
    DD_LCD_vDisplayScreen(page(1));
    EXPECT_EQ(fileHeader().u32PanCount, pans);
    EXPECT_EQ(states(), (std::vector{HELD, ON, HELD, IDLE}));

    // With one page on display and three held, no frame can be composed.
    EXPECT_EQ(H_DISPLAY_pu32GetDisplayBuffer(), page(3));
    EXPECT_EQ(H_DISPLAY_pu32GetDisplayBuffer(), nullptr);
}

TEST_F(FrameBuffer, AScreenOfItsOwnIsCopiedOntoTheVisiblePageWithoutAFlip)
{
    std::vector<U32> own(240000);
    paintPattern(own.data(), 5);

    DD_LCD_vDisplayScreen(own.data()); // nothing on display yet: nowhere to copy
    EXPECT_EQ(countOther(page(0), 0), 0u);

    U32* p = H_DISPLAY_pu32GetDisplayBuffer();
    DD_LCD_vDisplayScreen(p);
    const U32 pans = fileHeader().u32PanCount;
    DD_LCD_vDisplayScreen(own.data());
    EXPECT_EQ(memcmp(p, own.data(), 960000), 0);
    EXPECT_EQ(fileHeader().u32PanCount, pans);
    EXPECT_EQ(states(), (std::vector{ON, IDLE, IDLE, IDLE}));
}

TEST_F(FrameBuffer, PagesAreTheDeviceFileThatOthersRead)
{
    U32* p = H_DISPLAY_pu32GetDisplayBuffer();
    paintPattern(p, 9);
    DD_LCD_vDisplayScreen(p);
    const std::string file = vt::readFile(fb0Path());
    ASSERT_EQ(file.size(), FBFILE_FILE_BYTES);
    EXPECT_EQ(memcmp(file.data(), p, 960000), 0);
}

TEST_F(FrameBuffer, ClearBlackensEveryPageAndShowsPageZero)
{
    for (int i = 0; i < 4; ++i)
        paintPattern(H_DISPLAY_pu32GetDisplayBuffer(), (U16)i);
    DD_LCD_vDisplayScreen(page(2));

    H_DISPLAY_vPowerDown();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(countOther(page(i), 0x0000), 0u) << "page " << i;
    EXPECT_EQ(states(), (std::vector{ON, HELD, IDLE, HELD}));
    EXPECT_EQ(fileHeader().u32YOffset, 0u);

    // Page 0 already on display just turns black.
    paint(page(0), 0x1234);
    const U32 pans = fileHeader().u32PanCount;
    DD_LCD_vCLS();
    EXPECT_EQ(countOther(page(0), 0x0000), 0u);
    EXPECT_EQ(fileHeader().u32PanCount, pans);
}

TEST_F(FrameBuffer, ClearAndCaptureDoNothingBeforeTheFirstFrame)
{
    paint(page(1), 0x1234);
    DD_LCD_vCLS();
    EXPECT_EQ(countOther(page(1), 0x1234), 0u);
    EXPECT_EQ(DD_LCD_pu32GetFrameBufferPointer(), nullptr);

    std::vector<U32> capture(240000, 0x55555555);
    DD_LCD_vScreenDump(capture.data());
    EXPECT_EQ(countOther(capture.data(), 0x5555), 0u);
}

TEST_F(FrameBuffer, CaptureKeepsTheKeyPixelsOfTheDump)
{
    // The 3D dump reads page 0 of the device; the page on display is page 1.
    U32* p0 = H_DISPLAY_pu32GetDisplayBuffer();
    U32* p1 = H_DISPLAY_pu32GetDisplayBuffer();
    paintPattern(p0, 100);
    paintPattern(p1, 200);
    const size_t keyAt[] = {0, 1, 799, 800, 240000, 479999};
    for (size_t i : keyAt)
        pixels(p1)[i] = DD_LCD_COLOR_KEY;
    pixels(p1)[12] = 0x8400;
    DD_LCD_vDisplayScreen(p1);

    std::vector<U32> capture(240000, 0);
    H_DISPLAY_vScreenDump(reinterpret_cast<SCREEN_BUFFER*>(capture.data()));
    size_t fromDump = 0;
    for (size_t i = 0; i < DD_LCD_SCREEN_PIXELS; ++i) {
        const U16 got = pixels(capture.data())[i];
        if (pixels(p1)[i] == DD_LCD_COLOR_KEY) {
            EXPECT_EQ(got, patternAt(i, 100)) << i;
            ++fromDump;
        } else if (got != pixels(p1)[i]) {
            ADD_FAILURE() << "pixel " << i << " is " << got << ", the page has " << pixels(p1)[i];
            break;
        }
    }
    EXPECT_EQ(fromDump, std::size(keyAt));
}

// The pan and the vertical-sync wait of a flip: interrupted requests are
// issued again; other failures are logged and the page counts as shown.
TEST_F(FrameBuffer, FlipRetriesInterruptedRequestsAndSurvivesFailingOnes)
{
    U32* p = H_DISPLAY_pu32GetDisplayBuffer();
    FBFILE_HEADER before = fileHeader();
    FBDEV_vFailRequests(FBIOPAN_DISPLAY, 3, EINTR);
    FBDEV_vFailRequests(FBIO_WAITFORVSYNC, 2, EINTR);
    DD_LCD_vDisplayScreen(p);
    FBFILE_HEADER h = fileHeader();
    EXPECT_EQ(h.u32PanCount, before.u32PanCount + 1);
    EXPECT_EQ(h.u32VsyncCount, before.u32VsyncCount + 1);

    U32* q = H_DISPLAY_pu32GetDisplayBuffer();
    before = h;
    FBDEV_vFailRequests(FBIOPAN_DISPLAY, 1, EIO);
    FBDEV_vFailRequests(FBIO_WAITFORVSYNC, 1, EIO);
    DD_LCD_vDisplayScreen(q);
    h = fileHeader();
    EXPECT_EQ(h.u32PanCount, before.u32PanCount);
    EXPECT_EQ(h.u32VsyncCount, before.u32VsyncCount);
    EXPECT_EQ(h.u32YOffset, 0u) << "the display did not move";
    EXPECT_EQ(states(), (std::vector{IDLE, ON, IDLE, IDLE}));
}

TEST_F(FrameBuffer, FlipsKeepThePaceOfTheVerticalSync)
{
    FBDEV_vSetVsyncRate(60);
    U32* p[2] = {H_DISPLAY_pu32GetDisplayBuffer(), H_DISPLAY_pu32GetDisplayBuffer()};
    const U32 syncs = fileHeader().u32VsyncCount;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i)
        DD_LCD_vDisplayScreen(p[i % 2]);
    // Three flips end on three different ticks, at least two periods apart.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(33333));
    EXPECT_EQ(fileHeader().u32VsyncCount, syncs + 3);
}

TEST_F(FrameBuffer, OnlyTheFixedGeometryCanBeSet)
{
    const struct fb_var_screeninfo before = g_lcdSurface.varInfo;
    // Formats the surface does not know end at once, before any request.
    FBDEV_vFailRequests(FBIOPUT_VSCREENINFO, 1, EIO);
    EXPECT_EQ(omapfb_setformat(&g_lcdSurface, 800, 600, OSAL_VIDEO_BGR24), -1);
    EXPECT_EQ(omapfb_setformat(&g_lcdSurface, 800, 600, OSAL_VIDEO_YUYV), -1);
    EXPECT_EQ(memcmp(&before, &g_lcdSurface.varInfo, sizeof before), 0);
    FBDEV_vFailRequests(FBIOPUT_VSCREENINFO, 0, 0);

    EXPECT_EQ(omapfb_setformat(&g_lcdSurface, 800, 600, OSAL_VIDEO_ARGB32), -1);
    EXPECT_EQ(omapfb_setformat(&g_lcdSurface, 640, 480, OSAL_VIDEO_RGB565), -1);
    EXPECT_EQ(omapfb_setformat(&g_lcdSurface, 800, 600, OSAL_VIDEO_RGB565), 0);
    EXPECT_EQ(g_lcdSurface.s.displaySize, 960000);
    EXPECT_EQ(g_lcdSurface.varInfo.yres_virtual, 2400u);
}

TEST_F(FrameBuffer, FillShowsTheNextPageInRotationAndLeavesThePageTableAlone)
{
    omapfb_fillrgb(&g_lcdSurface, 0x12341234);
    EXPECT_EQ(countOther(page(0), 0x1234), 0u);
    EXPECT_EQ(fileHeader().u32YOffset, 0u);
    omapfb_fillrgb(&g_lcdSurface, 0xF800F800);
    EXPECT_EQ(countOther(page(1), 0xF800), 0u);
    EXPECT_EQ(fileHeader().u32YOffset, 600u);
    EXPECT_EQ(states(), (std::vector{IDLE, IDLE, IDLE, IDLE}));

    // A pan keeps the page: its y offset is not applied.
    omapfb_pan(&g_lcdSurface, 0, 1800);
    EXPECT_EQ(fileHeader().u32YOffset, 600u);
}

class NoFrameBuffer : public Display {};

TEST_F(NoFrameBuffer, AFileThatIsNoDeviceIsLeftAloneAndTheUnitRunsWithoutAPicture)
{
    ASSERT_TRUE(vt::writeFile(fb0Path(), "not a frame buffer"));
    H_DISPLAY_vInitScreen(0);
    EXPECT_EQ(frame_buffer_fd, 0);
    EXPECT_EQ(states(), (std::vector<DISPLAY_BUFFER_STATUS>(4, (DISPLAY_BUFFER_STATUS)0)));
    EXPECT_EQ(H_DISPLAY_pu32GetDisplayBuffer(), nullptr);

    std::vector<U32> screen(240000, 0x12341234);
    DD_LCD_vDisplayScreen(screen.data());
    H_DISPLAY_vPowerDown();
    DD_LCD_vScreenDump(screen.data());
    EXPECT_EQ(countOther(screen.data(), 0x1234), 0u);
    EXPECT_EQ(vt::readFile(fb0Path()), "not a frame buffer");
}

TEST_F(NoFrameBuffer, AnExistingDeviceKeepsItsPicture)
{
    H_DISPLAY_vInitScreen(0);
    for (int i = 0; i < 3; ++i)
        H_DISPLAY_pu32GetDisplayBuffer();
    paintPattern(page(2), 3);
    DD_LCD_vDisplayScreen(page(2));
    DD_LCD_vClose();

    // The unit starts again: the display shows what it showed until the first frame.
    H_DISPLAY_vInitScreen(0);
    EXPECT_EQ(fileHeader().u32YOffset, 0u) << "the open resets the scan-out to page 0";
    for (size_t i : {(size_t)0, (size_t)479999})
        EXPECT_EQ(pixels(page(2))[i], patternAt(i, 3));
}

} // namespace
