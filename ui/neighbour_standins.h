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

// The system state in key "CCST", written by the start-up task
// (system/t_startup.h) and by the PC-connect and inline-test tasks. The type
// is kept here, below them, so that the display, view and keyboard tasks
// can name the states.
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

// The link's command set: eStevrinCmd of the mails to mailbox 70.
typedef enum _tag_STEVRIN_CMDS : U32 {
    ST_CMD_NO_CMD_ID = 0,
    ST_CMD_GOTO_WAYPOINT = 1,
    ST_CMD_GOTO_RUMBREL = 2,
    ST_CMD_UPDATE_PLAYBACK = 3,
    ST_CMD_GOTO_ROUTE = 4,
    ST_CMD_UPDATE_ROUTE = 5,
    ST_CMD_SKIP_NEXT_ROUTEPT = 6,
    ST_CMD_START_FTC = 7,
    ST_CMD_EXTEND_FTC = 8,
    ST_CMD_OFFSET_FTC = 9,
    ST_CMD_GOTO_BACKTRACK = 10,
    ST_CMD_REVERSE_NAV = 11,
    ST_CMD_STOP_GOTO = 12,
    ST_CMD_START_RECORD = 13,
    ST_CMD_UPDATE_RECORD = 14,
    ST_CMD_STOP_RECORD = 15,
    ST_CMD_START_STAYVANE = 16,
    ST_CMD_SAVE_STAYVANE = 17,
    ST_CMD_STOP_STAYVANE = 18,
    ST_CMD_STAYVANE_RESUME = 19,
    ST_CMD_START_AUTOPILOT = 20,
    ST_CMD_START_AP_HEADING = 21,
    ST_CMD_STOP_AUTOPILOT = 22,
    ST_CMD_MARK_WAYPOINT = 23,
    ST_CMD_SET_PROP = 24,
    ST_CMD_ADJUST_AUTOPILOT = 25,
    ST_CMD_PRESET_DATA = 26,
    ST_CMD_ERASE_TWR = 27,
    ST_CMD_SAVE_RECORD = 28,
    ST_CMD_MARK_STAYVANE = 29,
    ST_CMD_ADD_TO_ROUTE = 30,
    ST_CMD_DELETE_WAYPOINT = 31,
    ST_CMD_DELETE_RUMBREL = 32,
    ST_CMD_AUTOPILOT_MODE = 33,
    ST_CMD_RESUME_NAV = 34,
    ST_CMD_DELETE_DATA = 35,
    ST_CMD_SYNC_NAVIGATION = 36,
    ST_CMD_UPDATE_SW = 37,
    ST_CMD_QUERY_SW = 38,
    ST_CMD_START_AUTOUPLOAD = 39,
    ST_CMD_STOP_AUTOUPLOAD = 40,
    ST_CMD_SET_THRUST = 41,
    ST_CMD_SET_CRUISE = 42,
    ST_CMD_SET_TARGET = 43,
    ST_CMD_SEND_CMD_NOPARAM = 44,
    ST_CMD_CLR_ROUTE_CONFIRM = 45,
    ST_CMD_UPDATE_WAYPOINT = 46,
    ST_CMD_UPDATE_AUTOPILOT = 47,
    ST_CMD_UPDATE_STAYVANE = 48,
    ST_CMD_UPDATE_RUMBREL_NAME = 49,
    ST_CMD_UNIFIED_NEXT_ROUTEPT = 50,
    ST_CMD_UPDATE_GOTO_WAYPOINT = 51,
    ST_CMD_UPDATE_GOTO_STAYVANE = 52,
    ST_CMD_RECORD_CONFIRM = 53,
    ST_CMD_SEND_CMD_ONEPARAM = 54,
    ST_CMD_MOTORCYCLE = 55,
    ST_CMD_STOW_MOTOR = 56,
    ST_CMD_DEPLOY_MOTOR = 57,
    ST_CMD_PAUSE_STOWDEPLOY = 58,
    ST_CMD_LAST_CMD_ID = 59
} STEVRIN_CMD;

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
