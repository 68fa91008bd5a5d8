// What the display task and its power-key pop-up ask of the start-up and
// system-state services, the transducer database and the trolling-motor
// link, stood in until those subsystems are built. The client calls send the mails the real ones send, to the same
// mailboxes, so that nothing changes for the callers when the real modules
// replace this file.
#pragma once

#include "graphics/g_fonts.h"
#include "graphics/g_icon.h"
#include "graphics/g_types.h"
#include "kernel/l_mbox.h"
#include "kernel/l_types.h"
#include "store/h_dbtypes.h"
#include "store/lang.h"
#include "ui/u_dialog.h"
#include "ui/u_keyboard.h"
#include "ui/u_menu.h"

// ---- Start-up and system state ----

// The system state in key "CCST".
typedef enum tag_SYSTEM_STATE : int {
    STATE_STARTUP = 1,
    STATE_BURN_IN = 2,
    STATE_NORMAL_RUN = 3,
    STATE_SIMULATION = 4,
    STATE_PRE_POINT_OF_SALE = 5,
    STATE_POINT_OF_SALE = 6,
    STATE_DIAGNOSTIC = 7,
    STATE_PC_CONNECT = 8,
    STATE_INLINE_TEST = 9
} SYSTEM_STATE;

// ---- Transducer database ----

// The transducer database lives in sonar/, above the display task, so its
// element-bit test reaches the display task through a hook that app/
// installs. The query answers the bit of the element selection for source
// type 0..3 (2D, down-looking, side-looking, 360-degree): 1, 2, 4 or 8
// when set, else 0.
typedef U32 T_DISPLAY_ELEMENT_BIT_QUERY(U32 u32SonarElementSelection, U32 eNetSourceType);
void T_DISPLAY_vInstallElementBitQuery(T_DISPLAY_ELEMENT_BIT_QUERY* pfnQuery);
// The installed query's answer; 0 (no bit set) while none is installed.
U32 T_DISPLAY_u32GetElementBit(U32 u32SonarElementSelection, U32 eNetSourceType);

// ---- Trolling-motor link ----

typedef enum tag_STEVRIN_NG_STATE : int {
    NG_UNKNOWN = 0,
    NG_STOWED = 1,
    NG_DEPLOYING = 2,
    NG_DEPLOYED = 3,
    NG_STOWING = 4,
    NG_PAUSED = 5,
    NG_ERROR = 7
} STEVRIN_NG_STATE;

typedef enum tag_STEVRIN_MOTOR_TYPE : int {
    ST_MT_UNKNOWN = 0,
    ST_MT_V2 = 1,
    ST_MT_POMARIN = 2,
    ST_MT_QUENBY = 3,
    ST_MT_KAVREL = 4,
    ST_MT_V3 = 5,
    ST_MT_POMARIN2 = 6,
    ST_MT_LAST_MOTORTYPE = 7
} STEVRIN_MOTOR_TYPE;

constexpr MBOX STEVRIN_MAILBOX = 70;
constexpr U32 ST_CMD_STOW_MOTOR = 56;
constexpr U32 ST_CMD_DEPLOY_MOTOR = 57;
constexpr U32 ST_CMD_PAUSE_MOTOR = 58;

typedef struct tag_STEVRIN_DATA_MSG {
    GENERIC_MESSAGE header; // CMD_ID_STEVRIN
    U32 eStevrinCmd;
    U32 u32flags;
    U32 u32ItemIndex;
    U32 u32SubIndex;
    void* pMsgData;
} STEVRIN_DATA_MSG;

// Each posts one request to the link task's mailbox 70; nothing happens
// when no mail block can be had.
void U_STEVRIN_vStowMotor(void);
void U_STEVRIN_vDeployMotor(void);
void U_STEVRIN_vPauseMotor(void);
