// The keyboard task (task 8, mailbox 10, key "TKBD"): it samples the key
// layer every 25 ms and mails each key event to the first user of the key,
// keeps the users that tasks register by class, and watches three keys
// held down: GOTO (the long-GOTO signal at 1500 ms), POWER (the shutdown
// message at 1 and 2 s, the power-off at 3 s) and VIEW (the view-selection
// hot menu after 1000 ms). It also powers the unit off or resets it on
// request and offers the "Restore Defaults" menu action.
//
// The VIEW key is delivered at its release: a short press reaches a
// KEY_DOWN user as one KEY_DOWN mail when the key comes up, so that a long
// press can open the hot menu instead.
#pragma once

#include "graphics/g_types.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "ui/h_keyboard.h"
#include "ui/u_keyboard.h"
#include "ui/u_menu_client.h"
#include "ui/u_view.h"

constexpr TASK KEYBOARD_TASK = 8;
constexpr MBOX KEYBOARD_MAILBOX = 10;
constexpr SEMA SEMA_MBOX_KEYB = 40;                 // mail on mailbox 10
constexpr SEMA SEMA_TIMER_KEYB = 72;                // the 25 ms poll
constexpr SEMA SEMA_TIMER_POS = 75;                 // the store-demo player's step
constexpr SEMA SEMA_SERIAL_KEYBOARD_DISABLE = 108;  // only wakes the task
constexpr LAYER_ID SHUTDOWN_LAYER = 330;
constexpr LAYER_ID SELECT_VIEW_HOT_MENU = 334;       // the pseudo view of the view-selection hot menu
constexpr MENU_PRIORITY MENU_RESTORE_FACTORY_DEFAULTS = (MENU_PRIORITY)148;

// Entry of task 8; never returns.
void T_KEYBOARD_vMain(void);

// The steps of the task, for its own loop; tests run them in their thread
// with the task not started. vStart publishes "TKBD", starts the key layer
// and the 25 ms timer; vPollKeys is one tick of that timer; vHandleMail
// handles one mail of mailbox 10 and disposes of it.
void T_KEYBOARD_vStart(void);
void T_KEYBOARD_vPollKeys(void);
void T_KEYBOARD_vHandleMail(MSGHEADER* pHeader);

// Tells the tasks, the settings last, that the unit stops; then resets the
// unit or, after the power key has come up (5 s at most), switches it off.
// Runs in the keyboard task and never returns.
[[noreturn]] void T_KEYBOARD_vShutdown(SHUTDOWN_TYPE eType);
// The menu action "Restore Defaults": every task but this one is sent
// CMD_ID_RESET_POS between "SDBV" and "SRDF" set TRUE.
void T_KEYBOARD_vRestoreFactoryDefaults(void);
// Gives each key but POWER the repeat, acceleration and cursor mode of its
// first user, when that user changed since the last call.
void T_KEYBOARD_vReConfigure(void);
// Draw callback of SHUTDOWN_LAYER: the message of the present stage.
void T_KEYBOARD_vDrawShutdownMessage(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);

// The orderly shutdown of the tasks that the keyboard task runs first; it
// lives above this layer, so the composition root installs it. The list
// names the mailbox keys that are not told, ended by 0. Without it the
// keyboard task tells only its own four tasks.
typedef void T_KEYBOARD_SHUTDOWN_FN(FOURCHARID* pfcidNoKillList);
void T_KEYBOARD_vInstallShutdown(T_KEYBOARD_SHUTDOWN_FN* pfnShutdown);
