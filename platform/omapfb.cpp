// The frame-buffer surface over /dev/fb0 (see omapfb.h). The device is
// reached through the stand-in calls of platform/fbdev.h, which take the
// arguments of open, ioctl and mmap.
#include "platform/omapfb.h"

#include "kernel/lm_log.h"
#include "platform/fbdev.h"

#include <linux/omapfb.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The surface given to the last open; the pan works on it.
omapfb_osal_surface_t* g_pS = nullptr;
// The horizontal offset of every flip.
int g_offset = 0;

void vFlip(omapfb_osal_surface_t* pSurface, int displayIdx)
{
    pSurface->varInfo.xoffset = (U32)g_offset;
    pSurface->varInfo.yoffset = pSurface->varInfo.yres * (U32)displayIdx;
    xioctl_trace(pSurface->s.fd, FBIOPAN_DISPLAY, "FBIOPAN_DISPLAY", &pSurface->varInfo);
    usleep(200);
    U32 u32Crtc = 0;
    xioctl_trace(pSurface->s.fd, FBIO_WAITFORVSYNC, "FBIO_WAITFORVSYNC", &u32Crtc);
}

} // namespace

int xioctl_trace(int fd, unsigned long request, const char* pcName, void* arg)
{
    int result;
    do {
        result = FBDEV_s32Ioctl(fd, request, arg);
    } while (result == -1 && errno == EINTR);
    if (result == -1) {
        const int err = errno;
        log_me("errno %d %s\n", err, pcName);
        errno = err;
        perror(pcName);
        return -1;
    }
    return result;
}

int omapfb_open(omapfb_osal_surface_t* pSurface)
{
    g_pS = pSurface;
    pSurface->s.fd = FBDEV_s32Open("/dev/fb0", O_RDWR);
    if (pSurface->s.fd < 0) {
        perror("omapfb_open");
        return -1;
    }
    if (xioctl_trace(pSurface->s.fd, FBIOGET_FSCREENINFO, "FBIOGET_FSCREENINFO", &pSurface->fixInfo) == -1 ||
        xioctl_trace(pSurface->s.fd, FBIOGET_VSCREENINFO, "FBIOGET_VSCREENINFO", &pSurface->varInfo) == -1)
        return -1;
    pSurface->displayIdx = 0;
    // The page size as the driver reported it, before the geometry below.
    pSurface->s.displaySize = (int)(pSurface->varInfo.yres * pSurface->fixInfo.line_length);

    if (xioctl_trace(pSurface->s.fd, FBIOGET_VSCREENINFO, "FBIOGET_VSCREENINFO", &pSurface->varInfo) == -1)
        return -1;
    pSurface->varInfo.xres = pSurface->varInfo.xres_virtual = OMAPFB_WIDTH;
    pSurface->varInfo.yres = OMAPFB_HEIGHT;
    pSurface->varInfo.yres_virtual = OMAPFB_HEIGHT * OMAPFB_PAGES;
    pSurface->varInfo.xoffset = pSurface->varInfo.yoffset = 0;
    g_offset = 0;
    if (xioctl_trace(pSurface->s.fd, FBIOPUT_VSCREENINFO, "FBIOPUT_VSCREENINFO", &pSurface->varInfo) == -1)
        return -1;
    return 0;
}

int omapfb_start(omapfb_osal_surface_t* pSurface)
{
    // Read as well as written: the 3D blend and the screen dump read pages back.
    const size_t length = (size_t)pSurface->varInfo.yres_virtual * pSurface->fixInfo.line_length;
    void* pvBase = FBDEV_pvMap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, pSurface->s.fd, 0);
    if (pvBase == MAP_FAILED) {
        perror("omapfb_start");
        return -1;
    }
    pSurface->s.virtDisplays[0] = static_cast<U8*>(pvBase);
    for (int i = 1; i < OMAPFB_PAGES; ++i)
        pSurface->s.virtDisplays[i] = pSurface->s.virtDisplays[0] + (size_t)i * (size_t)pSurface->s.displaySize;
    return 0;
}

void omapfb_set_chromakey(omapfb_osal_surface_t* pSurface, int key)
{
    struct omapfb_color_key colorKey {};
    FBDEV_s32Ioctl(pSurface->s.fd, OMAPFB_GET_COLOR_KEY, &colorKey);
    colorKey.trans_key = (U32)key;
    colorKey.key_type = key == -1 ? OMAPFB_COLOR_KEY_DISABLED : OMAPFB_COLOR_KEY_VID_SRC;
    FBDEV_s32Ioctl(pSurface->s.fd, OMAPFB_SET_COLOR_KEY, &colorKey);
}

void omapfb_getpbuff(omapfb_osal_surface_t* pSurface, osal_buf_t* pBuf)
{
    pBuf->displayIdx = pSurface->displayIdx;
    pSurface->displayIdx = (pSurface->displayIdx + 1) % OMAPFB_PAGES;
    pBuf->buffer = pSurface->s.virtDisplays[pBuf->displayIdx];
}

void omapfb_putpbuff(omapfb_osal_surface_t* pSurface, const osal_buf_t* pBuf)
{
    vFlip(pSurface, pBuf->displayIdx);
}

void omapfb_pan(omapfb_osal_surface_t* /*pSurface*/, int x, int /*y*/)
{
    g_offset = x;
    if (g_pS == nullptr)
        return;
    g_pS->varInfo.xoffset = (U32)x;
    xioctl_trace(g_pS->s.fd, FBIOPAN_DISPLAY, "FBIOPAN_DISPLAY", &g_pS->varInfo);
}

void omapfb_fillrgb(omapfb_osal_surface_t* pSurface, U32 u32Value)
{
    osal_buf_t buf{};
    omapfb_getpbuff(pSurface, &buf);
    if (buf.buffer == nullptr)
        return;
    std::fill_n(reinterpret_cast<U32*>(buf.buffer), pSurface->s.displaySize / 4, u32Value);
    vFlip(pSurface, buf.displayIdx);
}

int omapfb_setformat(omapfb_osal_surface_t* pSurface, int width, int height, osalcolorspaceenum_t format)
{
    struct fb_var_screeninfo& var = pSurface->varInfo;
    switch (format) {
    case OSAL_VIDEO_RGB24:
        var.bits_per_pixel = 24;
        var.nonstd = 7;
        break;
    case OSAL_VIDEO_ARGB32:
        var.bits_per_pixel = 32;
        var.nonstd = 13;
        var.transp = {24, 8, 0};
        var.red = {16, 8, 0};
        var.green = {8, 8, 0};
        var.blue = {0, 8, 0};
        break;
    case OSAL_VIDEO_RGBA32:
        var.bits_per_pixel = 32;
        var.nonstd = 13;
        var.red = {8, 8, 0};
        var.green = {16, 8, 0};
        var.blue = {24, 8, 0};
        var.transp = {0, 8, 0};
        break;
    case OSAL_VIDEO_RGB565:
        var.bits_per_pixel = 16;
        var.nonstd = 0;
        break;
    case OSAL_VIDEO_YCBCR:
        var.bits_per_pixel = 16;
        var.nonstd = 1;
        break;
    default:
        return -1;
    }
    const U32 u32Bits = var.bits_per_pixel;
    var.xres = (U32)width;
    var.yres = (U32)height;
    var.xoffset = var.yoffset = 0;
    var.activate = FB_ACTIVATE_FORCE;
    var.yres_virtual = (U32)height * OMAPFB_PAGES;
    const int result = xioctl_trace(pSurface->s.fd, FBIOPUT_VSCREENINFO, "FBIOPUT_VSCREENINFO", &var);
    if (result == -1)
        return result;
    if (var.xres != (U32)width || var.yres != (U32)height || var.bits_per_pixel != u32Bits ||
        var.yres_virtual != (U32)height * OMAPFB_PAGES) {
        printf("%d, %d, %d\n", var.xres, var.yres, var.bits_per_pixel);
        return -1;
    }
    pSurface->s.displaySize = height * (int)pSurface->fixInfo.line_length;
    return 0;
}

void omapfb_dump(const omapfb_osal_surface_t* pSurface)
{
    const struct fb_var_screeninfo& v = pSurface->varInfo;
    const struct {
        const char* name;
        U32 value;
    } fields[] = {
        {"xres", v.xres},
        {"yres", v.yres},
        {"xres_virtual", v.xres_virtual},
        {"yres_virtual", v.yres_virtual},
        {"xoffset", v.xoffset},
        {"yoffset", v.yoffset},
        {"bits_per_pixel", v.bits_per_pixel},
        {"nonstd", v.nonstd},
        {"activate", v.activate},
        {"height", v.height},
        {"width", v.width},
        {"red.length", v.red.length},
        {"blue.length", v.blue.length},
        {"green.length", v.green.length},
        {"transp.length", v.transp.length},
        {"red.offset", v.red.offset},
        {"blue.offset", v.blue.offset},
        {"green.offset", v.green.offset},
        {"transp.offset", v.transp.offset},
    };
    for (const auto& f : fields)
        printf("%s = %d\n", f.name, (int)f.value);
}

int omapfb_stop(omapfb_osal_surface_t* pSurface)
{
    const size_t length = (size_t)pSurface->varInfo.yres_virtual * pSurface->fixInfo.line_length;
    if (FBDEV_s32Unmap(pSurface->s.virtDisplays[0], length) != 0) {
        perror("omapfb_stop");
        return -1;
    }
    return 0;
}

void omapfb_close(omapfb_osal_surface_t* pSurface)
{
    FBDEV_s32Close(pSurface->s.fd);
}
