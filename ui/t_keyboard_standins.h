// STAND-INS: what the keyboard task and the view-key task ask of modules
// not built yet. Each does the least its caller can rely on; the modules
// that replace them delete these declarations.
//
// - The class-based view-selection menu and its saved visibility: nothing.
// - The store-demo player that runs inside the keyboard task: it never
//   starts, so every hook does nothing.
// - The capture review's full-screen image: there is none to release.
// - The navigation task's snapshot preview layer: never shown, nothing to
//   remove.
#pragma once

#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "store/lang.h"
#include "ui/u_keyboard.h"
#include "ui/u_view.h"


// ---- Class-based views ----

void GUI_vUnRegisterSelectViewMenu(void);
void GUI_vRegisterSelectViewMenu(void);
void GUI_vSaveN2KViewsVisibility(void);

// ---- Store-demo player (runs in the keyboard task) ----

// At the task's start: the player's state cleared.
void T_KEYBOARD_vPOSReset(void);
// Before the events of a sample are handled.
void T_KEYBOARD_vPOSKeyHook(void);
// "CCST", "SDBV", "CSD0" and "CSD1" changed.
void T_KEYBOARD_vPOSHandleNewData(FOURCHARID key, U32 u32Value);
// CMD_ID_KEY_CHANGE to the keyboard task's own mailbox.
void T_KEYBOARD_vPOSHandleKey(const MSG_KEY_CHANGE* pKey);
// CMD_ID_RUN_SYSTEM.
void T_KEYBOARD_vPOSRunSystem(void);
// A tick of SEMA_TIMER_POS.
void T_KEYBOARD_vPOSStep(void);

// ---- Capture review and navigation ----

// After a key mail of the view-key task: the full-screen review image's
// page returned and its header freed, when there is one.
void T_VIEWKEY_vReleaseReviewImage(void);
void T_NAV_vUnRegisterSnapshotPreviewLayer(void);
