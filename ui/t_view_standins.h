// STAND-INS: what the view task asks of the info task
// and the class-based engine and gauge views, until those are built. Each
// does the least its caller can rely on and nothing more; the modules that
// replace them delete this file.
//
// - The info task's y origin is 0 (no instrument bar under the divider).
// - The class-based views, the NMEA 2000 data sources and the gateway
//   menus do nothing.
#pragma once

#include "graphics/g_icon.h"
#include "store/database_msg.h"
#include "ui/u_view.h"


// ---- Info task ----

U32 T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_WINDOW_TYPE eSplit);

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
