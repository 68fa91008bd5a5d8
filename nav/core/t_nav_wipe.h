// Formatting the navigation storage from the Setup tab: asked first, then
// the whole navigation flash is erased and the unit starts again.
#pragma once

#include "graphics/g_types.h"
#include "store/h_database.h"
#include "ui/u_view.h"

constexpr LAYER_ID NAV_FORMAT_NOTICE_LAYER = 293;
constexpr TASK NAV_KEYBOARD_TASK = 8;
constexpr int NAV_WIPE_EXIT_STATUS = 5;

// The system's shutdown, handed in by the composition root (the system
// layer lies beside this one): every task but those listed (ended by 0) is
// stopped. Without it the wipe ends the process straight away.
typedef void NAV_SHUTDOWN_FN(FOURCHARID* pfcidNoKillList);
void T_NAV_vInstallShutdown(NAV_SHUTDOWN_FN* pfnShutdown);

// Queues the question "Continue Format Nav Directories"; its yes wipes.
void T_NAV_vWipeNav(void);
// Shows the formatting notice, stops the keyboard task so that no key
// reaches the navigation task while its storage is gone, erases and
// recreates the navigation directories, shuts the system down but for the
// view and display tasks and ends the process with status 5. Never returns.
BOOLEAN T_NAV_bWipeFlash(void);
// The formatting notice's layer callback.
void T_NAV_vBusyFormatNoticeDisplay(BITMAP* pBitmap, WINDOW_SPECIFICATION* psWindowSpec);
