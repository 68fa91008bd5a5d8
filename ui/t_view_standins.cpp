// STAND-INS of the view task's neighbours (see the header).
#include "ui/t_view_standins.h"

U32 T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_WINDOW_TYPE /*eSplit*/) { return 0; }


void GUI_OnTick(void) {}
void GUI_vHandleNewData(const MESSAGE_NEW_DATA* /*pData*/) {}
void GUI_vSetRedrawStaticPart(void) {}
BOOLEAN GUI_bStart(void) { return TRUE; }
BOOLEAN GUI_bRunStart(void) { return TRUE; }
void GUI_vSetViewRegisteration(LAYER_ID /*layer*/, BOOLEAN /*bRegistered*/) {}
void GUI_vRestoreSlotsDefault(void) {}
void GUI_vRegisterGatewayMenus(void) {}
void GUI_vUnRegisterGatewayMenus(void) {}
void GUI_vRegisterNMEA2KUnits(void) {}
void GUI_vUnRegisterNMEA2KUnits(void) {}
BOOLEAN NMEA2kSource_bInit(void) { return TRUE; }
