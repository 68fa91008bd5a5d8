// STAND-INS: what the keyboard task and the view-key task ask of modules
// not built yet. Each does the least its caller can rely on; the modules
// that replace them delete these declarations.
//
// - The menu task's hot-menu activation and the menu registry's main-menu
//   action: nothing is opened or registered (the registration answers
//   FALSE, as while the menu task has not published "TMNU"); each call is
//   noted so that a test can read back what was asked.
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
#include "ui/menu_types.h"
#include "ui/neighbour_standins.h"

#include <vector>

// ---- Menu task and menu registry ----

typedef S32 MENU_PRIORITY;
typedef enum tag_MENU_USER_LEVEL : int {
    M_BASIC = 1,
    M_ADVANCED = 2,
    M_SUPER_USER = 3,
    M_DIAGNOSTIC = 4
} MENU_USER_LEVEL;

// The "Setup" tab of the main menu, as the start-up task declares it.
extern const TEXT_TABLE* const T_KEYBOARD_STANDIN_pSetupTabName;

void T_MENU_vActivateSpecifiedHotMenu(LAYER_ID view);
BOOLEAN U_MENU_bRegisterMainActionMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTab, MENU_PRIORITY prio,
                                       MENU_ACTION_FUNC* pAction, BOOLEAN bConfirm, MENU_USER_LEVEL level);

// One noted call: its name without the prefix and its arguments (0 or
// null where the call has none).
typedef struct tag_KEYS_STANDIN_CALL {
    const char* pcCall;
    S32 s32View;
    const TEXT_TABLE* pName;
    const TEXT_TABLE* pTab;
    MENU_PRIORITY prio;
    MENU_ACTION_FUNC* pAction;
    BOOLEAN bConfirm;
    MENU_USER_LEVEL level;
} KEYS_STANDIN_CALL;
// The calls noted since the previous take, oldest first.
std::vector<KEYS_STANDIN_CALL> KEYS_STANDIN_vTakeCalls(void);

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
