// STAND-INS: what the view task asks of the menu registry, the info task
// and the class-based engine and gauge views, until those are built. Each
// does the least its caller can rely on and nothing more; the modules that
// replace them delete this file.
//
// - The menu registry's client calls send nothing and return FALSE, as
//   they do while the menu task has not published "TMNU". They note each
//   call, so that what the view task asked of the menu can be read back.
// - The info task's y origin is 0 (no instrument bar under the divider) and
//   its alpha is the white palette's byte.
// - The class-based views, the NMEA 2000 data sources and the gateway
//   menus do nothing.
#pragma once

#include "graphics/g_icon.h"
#include "store/database_msg.h"
#include "ui/u_view.h"

#include <vector>

// ---- Menu registry ----

typedef S32 MENU_PRIORITY;
constexpr MENU_PRIORITY MENU_SELECT_ACTIVE_SIDE = 20;
constexpr MENU_PRIORITY MENU_SET_SPLIT_LOCATION = 21;

typedef enum tag_MENU_USER_LEVEL : int {
    M_BASIC = 1,
    M_ADVANCED = 2,
    M_SUPER_USER = 3,
    M_DIAGNOSTIC = 4
} MENU_USER_LEVEL;

// The open menu published under "CMNU".
typedef enum tag_ACTIVE_MENU : int {
    NO_MENU = 0,
    QUICK_SETUP_MENU = 1,
    EXPRESS_MENU = 2,
    MAIN_MENU = 3,
    EXPRESS_SUB_MENU = 4,
    MAIN_SUB_MENU = 5,
    MAIN_SUB_MENU_1 = 6,
    MAIN_SUB_MENU_2 = 7,
    MAIN_SUB_MENU_3 = 8,
    INFO_MENU = 9,
    FLOATING_MENU = 10,
    SINGLE_CENTERED_MENU = 11,
    INFO_SUB_MENU = 12,
    MAIN_GRP_MENU = 13
} ACTIVE_MENU;

BOOLEAN U_MENU_bRegisterExpressMenu(LAYER_ID view, SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bRegisterHotSelectorMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                        FOURCHARID key, U32 u32Count, const TEXT_TABLE* const* ppChoices,
                                        const U32* pu32Values, MENU_USER_LEVEL level, LAYER_ID view,
                                        SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bRegisterHotSliderMenu(const TEXT_TABLE* pName, const ICON* pIcon, MENU_PRIORITY prio,
                                      FOURCHARID key, const MENU_LIMITS* pLimits, const TEXT_TABLE* pLeft,
                                      const TEXT_TABLE* pRight, const TEXT_TABLE* pSuffix, MENU_USER_LEVEL level,
                                      LAYER_ID view, SPLIT_WINDOW_TYPE split);
BOOLEAN U_MENU_bRegisterMainSelectorMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTab, MENU_PRIORITY prio,
                                         FOURCHARID key, U32 u32Count, const TEXT_TABLE* const* ppChoices,
                                         const U32* pu32Values, MENU_USER_LEVEL level);
BOOLEAN U_MENU_bUnregisterMainMenuItem(const TEXT_TABLE* pName, const TEXT_TABLE* pTab);
BOOLEAN U_MENU_bUnregisterHotMenuItem(const TEXT_TABLE* pName, LAYER_ID view, SPLIT_WINDOW_TYPE split);

// One noted menu call; fields a call does not have are 0 or null.
typedef struct tag_U_MENU_STANDIN_CALL {
    const char* pcCall; // the call's name without its prefix, e.g. "bRegisterExpressMenu"
    const TEXT_TABLE* pName;
    const TEXT_TABLE* pTab;
    MENU_PRIORITY prio;
    FOURCHARID key;
    LAYER_ID view;
    SPLIT_WINDOW_TYPE split;
} U_MENU_STANDIN_CALL;

// The calls noted since the previous take, oldest first.
std::vector<U_MENU_STANDIN_CALL> U_MENU_STANDIN_vTakeCalls(void);

// ---- Info task ----

U32 T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_WINDOW_TYPE eSplit);
U8 T_INFO_u8ConvertAlphaVector(U32 u32AlphaVector);

// ---- Class-based views, NMEA 2000 sources and gateway menus ----

void GUI_OnTick(void);
void GUI_vHandleNewData(const MESSAGE_NEW_DATA* pData);
void GUI_vSetRedrawStaticPart(void);
BOOLEAN GUI_bStart(void);
BOOLEAN GUI_bRunStart(void);
void GUI_vSetViewRegisteration(LAYER_ID layer, BOOLEAN bRegistered);
void GUI_vRestoreSlotsDefault(void);
void GUI_vRegisterGatewayMenus(void);
void GUI_vUnRegisterGatewayMenus(void);
void GUI_vRegisterNMEA2KUnits(void);
void GUI_vUnRegisterNMEA2KUnits(void);
BOOLEAN NMEA2kSource_bInit(void);
