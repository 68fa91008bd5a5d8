// The LCD driver: the page table over the frame-buffer surface, presenting
// a composed frame (with the 3D picture laid into its colour-key holes),
// clearing, screen capture, and the driver's empty power and pin hooks.
//
// Page states: IDLE -> ALLOCATED (hand-out); ALLOCATED -> IDLE (returned);
// ALLOCATED or IDLE -> ON_DISPLAY (presented; the page that was on display
// goes back to IDLE in the same step); ON_DISPLAY -> IDLE (returned). At most
// one page is on display. A page may stay ALLOCATED for long as a
// full-screen image buffer; with one page on display and three held, no
// frame can be composed until one comes back.
//
// Without a frame buffer (the device could not be opened or mapped) the
// page table stays empty: hand-outs return null, presenting, clearing and
// capturing do nothing, and the rest of the unit runs without a picture.
//
// The colour key 0x8401 is the one transparent value of the display path:
// the controller's key, the 3D blend and the capture all treat it as "not
// drawn". The page table has its own lock; the flip, which waits for the
// vertical sync, runs outside it in the presenting thread.
#pragma once

#include "kernel/l_types.h"
#include "platform/omapfb.h"

constexpr U16 DD_LCD_COLOR_KEY = 0x8401;
constexpr U32 DD_LCD_SCREEN_PIXELS = 800 * 600;
constexpr U32 DD_LCD_SCREEN_BYTES = DD_LCD_SCREEN_PIXELS * 2;

typedef enum {
    BUFFER_IS_ON_DISPLAY = 1,
    BUFFER_IS_IDLE = 2,
    BUFFER_IS_ALLOCATED = 3,
    BUFFER_IS_WAITING_TO_BE_DISPLAYED = 4, // declared; no operation enters it
} DISPLAY_BUFFER_STATUS;

typedef struct tag_DISPLAY_BUF {
    osal_buf_t buf;
    DISPLAY_BUFFER_STATUS bufferStatus; // 0 before the bring-up
} DISPLAY_BUF;

extern omapfb_osal_surface_t g_lcdSurface;
extern DISPLAY_BUF g_displayBuffers[OMAPFB_PAGES];
// 1 once the device is open and mapped and the page table is filled.
extern int frame_buffer_fd;

// Brings the frame buffer up (four pages, colour key 0x8401) and fills the
// page table with four idle pages; run once, by the display task.
void DD_LCD_vInit(void);
// The first idle page, now allocated; null when none is idle.
U32* DD_LCD_pu32GetDisplayBuffer(void);
// Every page starting at pu32Page becomes idle; any other pointer changes nothing.
void DD_LCD_vFreeDisplayBuffer(const U32* pu32Page);
// The start of the page on display, or null.
U32* DD_LCD_pu32GetFrameBufferPointer(void);

// Shows a screen. A page is presented (marked on display, blended, flipped
// to; the caller waits for the vertical sync); the page already on display
// is left alone; any other buffer, which must hold a whole screen, is copied
// onto the visible page without a flip.
void DD_LCD_vDisplayScreen(const U32* pu32Screen);
// Every page black and page 0 on display; nothing without a page on display.
void DD_LCD_vCLS(void);
// The page on display into a 960,000-byte buffer, its colour-key pixels
// taken from the 3D picture's dump; nothing without a page on display.
void DD_LCD_vScreenDump(U32* pu32Buffer);

// Every one of count destination pixels equal to key takes the source pixel
// at the same place; returns pu16Dst.
U16* Neon_ChromaBlit16(U16* pu16Dst, const U16* pu16Src, int count, U16 key);

// Copy helpers of the driver layer.
void* DD_UTIL_MemcpyProxy(void* dest, const void* src, size_t n, const char* szFile, int lineNo);
void* DD_UTIL_MemsetProxy(void* s, int c, size_t n, const char* szFile, int lineNo);
void DD_UTIL_FastMemcpyProxy(void* dest, const void* src, size_t n);

// Hooks of the driver's interface with nothing to do on this board.
void DD_LCD_vSetupPins(void);
void DD_LCD_vDisplayPowerOff(void);
void DD_LCD_vDisplayPowerOn(void);
void DD_LCD_vLCDPowerOff(void);
void DD_LCD_vLCDPowerOn(void);
void DD_LCD_vEnable(void);
void DD_LCD_vDisable(void);
void DD_LCD_vDisplayOff(void);
void DD_LCD_vDisplayOn(void);
void DD_LCD_vSetVCom(float fDutyCycle);

// Unmaps and closes the frame buffer and empties the page table. Normal
// running never does; tests start again with it.
void DD_LCD_vClose(void);
