// The display backlight: level 0..10 in key "CBAK", applied to the panel's
// analogue and PWM brightness files through one of two level tables; the
// board revision word picks the table of the KOE panel. The display task
// sets it up and applies every "CBAK" change it is told of; the power pop-up
// steps, saves and restores the level.
#pragma once

#include "kernel/l_types.h"

typedef enum tag_DISPLAY_BACKLIGHT {
    DISPLAY_BACKLIGHT_OFF = 0,
    DISPLAY_BACKLIGHT_1 = 1,
    DISPLAY_BACKLIGHT_2 = 2,
    DISPLAY_BACKLIGHT_LOW = 3,
    DISPLAY_BACKLIGHT_4 = 4,
    DISPLAY_BACKLIGHT_5 = 5,
    DISPLAY_BACKLIGHT_MEDIUM = 6,
    DISPLAY_BACKLIGHT_7 = 7,
    DISPLAY_BACKLIGHT_8 = 8,
    DISPLAY_BACKLIGHT_HIGH = 9,
    DISPLAY_BACKLIGHT_MAX = 10,
    DISPLAY_BACKLIGHT_DEFAULT = 10
} DISPLAY_BACKLIGHT;

typedef struct tag_BACKLIGHT_LEVELS {
    S32 analog;  // written to the panel's analogue brightness file
    S32 digital; // written to the PWM brightness file
} BACKLIGHT_LEVELS;

// Reads the revision word, creates "CBAK" (10 when never written),
// subscribes the mailbox to its changes and applies the current level.
void H_BACKLIGHT_vSetup(MBOX mailbox);
// Writes the level's two brightness values; a level above 10 is ignored,
// and so is a brightness file that cannot be opened.
void H_BACKLIGHT_vChangeIntensity(DISPLAY_BACKLIGHT level);
// Steps "CBAK" by the amount within 0..10; FALSE when nothing could change.
// The hardware follows through the change mail.
BOOLEAN H_BACKLIGHT_bChange(S32 amount);
void H_BACKLIGHT_vSave(void);
void H_BACKLIGHT_vRestore(void);
void H_BACKLIGHT_vProcessRevisionBits(U32 u32RevisionBits);
