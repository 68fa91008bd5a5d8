// The frame-buffer surface: /dev/fb0 as one 800 x 600 RGB565 surface whose
// virtual height holds four pages one above the other in one shared mapping.
//
// A page is handed out in rotation (0, 1, 2, 3, 0, ...), drawn into and
// shown by panning the display to it and waiting for the next vertical sync.
// The surface knows nothing of page states; the LCD driver keeps those. A
// page never moves while the process runs: the mapping lives until the
// surface is stopped, which normal running never does.
//
// Device requests go through xioctl_trace: an interrupted request is issued
// again, without limit; any other failure is logged with the request's name.
#pragma once

#include "kernel/l_types.h"

#include <linux/fb.h>

constexpr int OMAPFB_PAGES = 4;
constexpr int OMAPFB_WIDTH = 800;
constexpr int OMAPFB_HEIGHT = 600;

typedef enum {
    OSAL_VIDEO_RGB24 = 0,
    OSAL_VIDEO_BGR24 = 1,
    OSAL_VIDEO_ARGB32 = 2,
    OSAL_VIDEO_RGBA32 = 3,
    OSAL_VIDEO_RGB565 = 4,
    OSAL_VIDEO_YCBCR = 5,
    OSAL_VIDEO_YUYV = 6,
    OSAL_VIDEO_UYVY = 7,
    OSAL_VIDEO_YUY422 = 8,
    OSAL_VIDEO_YUV420 = 9,
} osalcolorspaceenum_t;

typedef struct {
    U8* virtDisplays[OMAPFB_PAGES]; // start of each page; entry 0 is the mapping's base
    int displaySize;                // bytes of one page
    int fd;
} osal_surface_t;

// A page handle.
typedef struct {
    U8* buffer;
    int displayIdx;
} osal_buf_t;

typedef struct {
    osal_surface_t s;
    int displayIdx; // the page the next hand-out returns
    struct fb_var_screeninfo varInfo;
    struct fb_fix_screeninfo fixInfo;
} omapfb_osal_surface_t;

int omapfb_open(omapfb_osal_surface_t* pSurface);
int omapfb_start(omapfb_osal_surface_t* pSurface);
// -1 disables the colour key.
void omapfb_set_chromakey(omapfb_osal_surface_t* pSurface, int key);
void omapfb_getpbuff(omapfb_osal_surface_t* pSurface, osal_buf_t* pBuf);
// Pans to the page and returns after the next vertical sync.
void omapfb_putpbuff(omapfb_osal_surface_t* pSurface, const osal_buf_t* pBuf);
// Sets the x offset of this and every later flip; the y offset is not applied.
void omapfb_pan(omapfb_osal_surface_t* pSurface, int x, int y);
void omapfb_fillrgb(omapfb_osal_surface_t* pSurface, U32 u32Value);
int omapfb_setformat(omapfb_osal_surface_t* pSurface, int width, int height, osalcolorspaceenum_t format);
void omapfb_dump(const omapfb_osal_surface_t* pSurface);
int omapfb_stop(omapfb_osal_surface_t* pSurface);
void omapfb_close(omapfb_osal_surface_t* pSurface);

// One device request: 0 or the request's result, -1 after a reported failure.
int xioctl_trace(int fd, unsigned long request, const char* pcName, void* arg);
