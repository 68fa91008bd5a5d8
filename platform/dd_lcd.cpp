// The LCD driver's page table, present, blend, clear and capture (see
// dd_lcd.h). Pixels are read and written as U16 only in the frame-buffer
// mapping and the pixmaps, memory that has no other type; a caller's U32
// buffer is reached through memcpy.
#include "platform/dd_lcd.h"

#include "platform/h_hooks.h"
#include "platform/pixmap.h"
#include "store/h_database.h"
#include "util/dd_util.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

omapfb_osal_surface_t g_lcdSurface;
DISPLAY_BUF g_displayBuffers[OMAPFB_PAGES];
int frame_buffer_fd = 0;

namespace {

// The colours the clear fills the four pages with.
constexpr U16 CLS_COLORS[OMAPFB_PAGES] = {0x0000, 0x0000, 0x0000, 0x0000};

std::mutex s_pageLock;

// Under the lock: the record holding the page that starts at p, or -1.
int s32PageIndex(const void* p)
{
    for (int i = 0; i < OMAPFB_PAGES; ++i)
        if (g_displayBuffers[i].buf.buffer != nullptr && g_displayBuffers[i].buf.buffer == p)
            return i;
    return -1;
}

// Under the lock.
int s32OnDisplayIndex(void)
{
    for (int i = 0; i < OMAPFB_PAGES; ++i)
        if (g_displayBuffers[i].bufferStatus == BUFFER_IS_ON_DISPLAY)
            return i;
    return -1;
}

BOOLEAN bBlendWanted(void)
{
    BOOLEAN b3D = FALSE;
    if (!H_DATABASE_bFetchBoolean(FCID("SP3E"), &b3D, nullptr, nullptr) || !b3D)
        return FALSE;
    return H_HOOKS_bBirdsEyeViewShown();
}

// The 3D picture of pixmap 0 laid into the key pixels of the page, through
// the scratch screen of pixmap 1.
void vBlend3D(U8* pu8Page, size_t size)
{
    void* pvScratch = g_pixmaps[1].pixmap.lAddress;
    const void* pv3D = g_pixmaps[0].pixmap.lAddress;
    const size_t pixmapBytes = (size_t)std::min(g_pixmaps[0].pixmap.lSizeInBytes, g_pixmaps[1].pixmap.lSizeInBytes);
    if (pvScratch == nullptr || pv3D == nullptr || pixmapBytes < size)
        return;
    memcpy(pvScratch, pu8Page, size);
    Neon_ChromaBlit16(static_cast<U16*>(pvScratch), static_cast<const U16*>(pv3D), (int)(size / 2),
                      DD_LCD_COLOR_KEY);
    memcpy(pu8Page, pvScratch, size);
}

} // namespace

void DD_LCD_vInit(void)
{
    if (frame_buffer_fd == 1)
        return; // the pages are mapped for good
    if (omapfb_open(&g_lcdSurface) != 0)
        return;
    if (omapfb_start(&g_lcdSurface) != 0) {
        omapfb_close(&g_lcdSurface);
        return;
    }
    omapfb_set_chromakey(&g_lcdSurface, DD_LCD_COLOR_KEY);
    std::lock_guard<std::mutex> guard(s_pageLock);
    frame_buffer_fd = 1;
    for (DISPLAY_BUF& b : g_displayBuffers) {
        b.bufferStatus = BUFFER_IS_IDLE;
        omapfb_getpbuff(&g_lcdSurface, &b.buf);
    }
}

U32* DD_LCD_pu32GetDisplayBuffer(void)
{
    std::lock_guard<std::mutex> guard(s_pageLock);
    for (DISPLAY_BUF& b : g_displayBuffers) {
        if (b.bufferStatus == BUFFER_IS_IDLE) {
            b.bufferStatus = BUFFER_IS_ALLOCATED;
            return reinterpret_cast<U32*>(b.buf.buffer);
        }
    }
    return nullptr;
}

void DD_LCD_vFreeDisplayBuffer(const U32* pu32Page)
{
    std::lock_guard<std::mutex> guard(s_pageLock);
    if (pu32Page == nullptr)
        return;
    for (DISPLAY_BUF& b : g_displayBuffers)
        if (b.buf.buffer == reinterpret_cast<const U8*>(pu32Page))
            b.bufferStatus = BUFFER_IS_IDLE;
}

U32* DD_LCD_pu32GetFrameBufferPointer(void)
{
    std::lock_guard<std::mutex> guard(s_pageLock);
    const int i = s32OnDisplayIndex();
    return i < 0 ? nullptr : reinterpret_cast<U32*>(g_displayBuffers[i].buf.buffer);
}

void DD_LCD_vDisplayScreen(const U32* pu32Screen)
{
    if (pu32Screen == nullptr)
        return;
    osal_buf_t page{};
    {
        std::lock_guard<std::mutex> guard(s_pageLock);
        if (frame_buffer_fd != 1)
            return;
        const size_t size = (size_t)g_lcdSurface.s.displaySize;
        const int index = s32PageIndex(pu32Screen);
        if (index < 0) {
            // A screen of its own lands straight on the visible page.
            const int shown = s32OnDisplayIndex();
            if (shown >= 0 && g_displayBuffers[shown].buf.buffer != nullptr)
                memmove(g_displayBuffers[shown].buf.buffer, pu32Screen, size);
            return;
        }
        if (g_displayBuffers[index].bufferStatus == BUFFER_IS_ON_DISPLAY)
            return;
        const int shown = s32OnDisplayIndex();
        if (shown >= 0)
            g_displayBuffers[shown].bufferStatus = BUFFER_IS_IDLE;
        g_displayBuffers[index].bufferStatus = BUFFER_IS_ON_DISPLAY;
        page = g_displayBuffers[index].buf;
    }
    if (DD_LCD_bBlendPixmapsReady() && bBlendWanted())
        vBlend3D(page.buffer, (size_t)g_lcdSurface.s.displaySize);
    omapfb_putpbuff(&g_lcdSurface, &page);
}

void DD_LCD_vCLS(void)
{
    U8* pu8Page0 = nullptr;
    {
        std::lock_guard<std::mutex> guard(s_pageLock);
        if (frame_buffer_fd != 1 || s32OnDisplayIndex() < 0)
            return;
        const size_t pixels = (size_t)g_lcdSurface.s.displaySize / 2;
        for (int i = 0; i < OMAPFB_PAGES; ++i)
            std::fill_n(reinterpret_cast<U16*>(g_displayBuffers[i].buf.buffer), pixels, CLS_COLORS[i]);
        pu8Page0 = g_displayBuffers[0].buf.buffer;
    }
    DD_LCD_vDisplayScreen(reinterpret_cast<const U32*>(pu8Page0));
}

void DD_LCD_vScreenDump(U32* pu32Buffer)
{
    if (pu32Buffer == nullptr)
        return;
    const U16* pu16Shown = nullptr;
    size_t pixels = 0;
    {
        std::lock_guard<std::mutex> guard(s_pageLock);
        const int shown = s32OnDisplayIndex();
        if (frame_buffer_fd != 1 || shown < 0)
            return;
        pu16Shown = reinterpret_cast<const U16*>(g_displayBuffers[shown].buf.buffer);
        pixels = (size_t)g_lcdSurface.s.displaySize / 2;
    }
    H_HOOKS_vDumpActiveDisplayBuffer(pu32Buffer);
    U8* pu8Out = reinterpret_cast<U8*>(pu32Buffer);
    for (size_t i = 0; i < pixels; ++i) {
        const U16 pixel = pu16Shown[i];
        if (pixel != DD_LCD_COLOR_KEY)
            memcpy(pu8Out + 2 * i, &pixel, 2);
    }
}

U16* Neon_ChromaBlit16(U16* pu16Dst, const U16* pu16Src, int count, U16 key)
{
    if (pu16Dst == nullptr || pu16Src == nullptr || count <= 0)
        return pu16Dst;
    int i = 0;
#if defined(__SSE2__)
    const __m128i k = _mm_set1_epi16((short)key);
    for (; i + 16 <= count; i += 16) {
        __m128i* pd = reinterpret_cast<__m128i*>(pu16Dst + i);
        const __m128i* ps = reinterpret_cast<const __m128i*>(pu16Src + i);
        const __m128i d0 = _mm_loadu_si128(pd), d1 = _mm_loadu_si128(pd + 1);
        const __m128i s0 = _mm_loadu_si128(ps), s1 = _mm_loadu_si128(ps + 1);
        const __m128i m0 = _mm_cmpeq_epi16(d0, k), m1 = _mm_cmpeq_epi16(d1, k);
        _mm_storeu_si128(pd, _mm_or_si128(_mm_and_si128(m0, s0), _mm_andnot_si128(m0, d0)));
        _mm_storeu_si128(pd + 1, _mm_or_si128(_mm_and_si128(m1, s1), _mm_andnot_si128(m1, d1)));
    }
#endif
    // The tail (and the whole on other processors): a count need not be a
    // multiple of 16, and nothing past it is touched.
    for (; i < count; ++i)
        if (pu16Dst[i] == key)
            pu16Dst[i] = pu16Src[i];
    return pu16Dst;
}

void* DD_UTIL_MemcpyProxy(void* dest, const void* src, size_t n, const char* /*szFile*/, int /*lineNo*/)
{
    return memcpy(dest, src, n);
}

void* DD_UTIL_MemsetProxy(void* s, int c, size_t n, const char* /*szFile*/, int /*lineNo*/)
{
    return memset(s, c, n);
}

void DD_UTIL_FastMemcpyProxy(void* dest, const void* src, size_t n)
{
    // The word copy counts in int; a larger block goes in int-sized steps.
    U8* pu8Dest = static_cast<U8*>(dest);
    const U8* pu8Src = static_cast<const U8*>(src);
    while (n > 0) {
        const size_t step = std::min(n, (size_t)INT_MAX);
        DD_UTIL_Memcpy(pu8Dest, pu8Src, (int)step);
        pu8Dest += step;
        pu8Src += step;
        n -= step;
    }
}

void DD_LCD_vSetupPins(void) {}
void DD_LCD_vDisplayPowerOff(void) {}
void DD_LCD_vDisplayPowerOn(void) {}
void DD_LCD_vLCDPowerOff(void) {}
void DD_LCD_vLCDPowerOn(void) {}
void DD_LCD_vEnable(void) {}
void DD_LCD_vDisable(void) {}
void DD_LCD_vDisplayOff(void) {}
void DD_LCD_vDisplayOn(void) {}
void DD_LCD_vSetVCom(float /*fDutyCycle*/) {}

void DD_LCD_vClose(void)
{
    std::lock_guard<std::mutex> guard(s_pageLock);
    if (frame_buffer_fd == 1) {
        omapfb_stop(&g_lcdSurface);
        omapfb_close(&g_lcdSurface);
    }
    frame_buffer_fd = 0;
    g_lcdSurface = {};
    for (DISPLAY_BUF& b : g_displayBuffers)
        b = {};
}
