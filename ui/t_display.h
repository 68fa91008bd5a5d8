// The display task (task 4, mailbox 4, key "TDSP"): it brings the frame
// buffer up, publishes the palette setting and the backlight, follows the
// system state with the colour table, blanks the screen at shutdown, and
// runs the power-key pop-up, a panel over every view whose rows set the
// backlight, the background colour, the sonar, the 360-degree ping and,
// with a trolling motor connected, the propeller and the self-deploying
// motor.
#pragma once

#include "graphics/g_types.h"
#include "ui/menu_types.h"
#include "kernel/l_types.h"
#include "ui/neighbour_standins.h"
#include "ui/u_view.h"

// The pop-up's rows in display order, top to bottom.
typedef enum tag_POWER_KEY_MENU_ITEMS : int {
    PwrMnu_Prop_Control = 0,
    PwrMnu_Prop_Thrust = 1,
    PwrMnu_Motor_Stow = 2,
    PwrMnu_Motor_Deploy = 3,
    PwrMnu_Motor_Pause = 4,
    PwrMnu_Sonar_Control = 5,
    PwrMnu_Backlight_Adj = 6,
    PwrMnu_Contrast_Adj = 7,
    PwrMnu_BowMounted_Adj = 8,
    PwrMnu_Last_Item = 9
} POWER_KEY_MENU_ITEMS;

constexpr TASK DISPLAY_TASK = 4;
constexpr MBOX DISPLAY_MAILBOX = 4;
constexpr SEMA SEMA_DISPLAY_MAIL = 35;      // mail on mailbox 4
constexpr SEMA SEMA_DISPLAY_RETRY = 70;     // the 100 ms retry timer
constexpr SEMA SEMA_DISPLAY_UNUSED = 71;    // waited on, signalled by nobody here
constexpr SEMA SEMA_DISPLAY_READY = 182;    // the start-up task waits for it

constexpr LAYER_ID CONTRAST_LAYER = 326;
constexpr LAYER_ID PRESS_POWER_LAYER = 328;

// Shows a whole screen the sender made; the task frees the bitmap header.
typedef struct tag_MSG_DISPLAY_SCREEN {
    GENERIC_MESSAGE header; // CMD_ID_DISPLAY_SCREEN
    BITMAP* pBitmap;
} MSG_DISPLAY_SCREEN;

// Entry of task 4; never returns.
void T_DISPLAY_vMain(void);

// Draw callback of CONTRAST_LAYER, run in the view task's thread while the
// pop-up is open. It also refreshes the records the task's key handling
// works on and repairs out-of-range "IPRP" and "SSEN" values.
void T_DISPLAY_vDrawLayer(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
