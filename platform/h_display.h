// The display hardware abstraction: what the rest of the system calls to
// get pages, show frames, capture and clear the screen. Each call forwards
// to the LCD driver (platform/dd_lcd.h), whose rules hold.
#pragma once

#include "util/u_pixels.h"
#include "kernel/l_types.h"

// One 800 x 600 RGB565 screen seen as 240,000 32-bit words.
typedef struct tag_SCREEN_BUFFER {
    U32 au32Words[240000];
} SCREEN_BUFFER;

// The frame buffer up, then the display's power-on hook; the mailbox is not used.
void H_DISPLAY_vInitScreen(MBOX mboxCaller);
// Shows the bitmap's pixel buffer (a page, or a whole screen of its own).
void H_DISPLAY_vDisplayBitmap(const BITMAP* pBitmap);
U32* H_DISPLAY_pu32GetDisplayBuffer(void);
void H_DISPLAY_vFreeDisplayBuffer(const U32* pu32Page);
SCREEN_BUFFER* H_DISPLAY_psbGetFrameBufferPointer(void);
void H_DISPLAY_vScreenDump(SCREEN_BUFFER* psbBuffer);
// The screen black with page 0 on display, then the power-off hooks.
void H_DISPLAY_vPowerDown(void);
