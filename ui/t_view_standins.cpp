// STAND-INS of the view task's neighbours (see the header).
#include "ui/t_view_standins.h"

#include <mutex>

namespace {

std::mutex s_callLock;
std::vector<U_MENU_STANDIN_CALL> s_calls;

BOOLEAN bNote(const U_MENU_STANDIN_CALL& call)
{
    std::lock_guard<std::mutex> guard(s_callLock);
    s_calls.push_back(call);
    return FALSE;
}

} // namespace

BOOLEAN U_MENU_bRegisterExpressMenu(LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return bNote({"bRegisterExpressMenu", nullptr, nullptr, 0, 0, view, split});
}

BOOLEAN U_MENU_bRegisterHotSelectorMenu(const TEXT_TABLE* pName, const ICON* /*pIcon*/, MENU_PRIORITY prio,
                                        FOURCHARID key, U32 /*u32Count*/, const TEXT_TABLE* const* /*ppChoices*/,
                                        const U32* /*pu32Values*/, MENU_USER_LEVEL /*level*/, LAYER_ID view,
                                        SPLIT_WINDOW_TYPE split)
{
    return bNote({"bRegisterHotSelectorMenu", pName, nullptr, prio, key, view, split});
}

BOOLEAN U_MENU_bRegisterHotSliderMenu(const TEXT_TABLE* pName, const ICON* /*pIcon*/, MENU_PRIORITY prio,
                                      FOURCHARID key, const MENU_LIMITS* /*pLimits*/, const TEXT_TABLE* /*pLeft*/,
                                      const TEXT_TABLE* /*pRight*/, const TEXT_TABLE* /*pSuffix*/,
                                      MENU_USER_LEVEL /*level*/, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return bNote({"bRegisterHotSliderMenu", pName, nullptr, prio, key, view, split});
}

BOOLEAN U_MENU_bRegisterMainSelectorMenu(const TEXT_TABLE* pName, const TEXT_TABLE* pTab, MENU_PRIORITY prio,
                                         FOURCHARID key, U32 /*u32Count*/, const TEXT_TABLE* const* /*ppChoices*/,
                                         const U32* /*pu32Values*/, MENU_USER_LEVEL /*level*/)
{
    return bNote({"bRegisterMainSelectorMenu", pName, pTab, prio, key, -1, SPLIT_FULL_WINDOW});
}

BOOLEAN U_MENU_bUnregisterMainMenuItem(const TEXT_TABLE* pName, const TEXT_TABLE* pTab)
{
    return bNote({"bUnregisterMainMenuItem", pName, pTab, 0, 0, -1, SPLIT_FULL_WINDOW});
}

BOOLEAN U_MENU_bUnregisterHotMenuItem(const TEXT_TABLE* pName, LAYER_ID view, SPLIT_WINDOW_TYPE split)
{
    return bNote({"bUnregisterHotMenuItem", pName, nullptr, 0, 0, view, split});
}

std::vector<U_MENU_STANDIN_CALL> U_MENU_STANDIN_vTakeCalls(void)
{
    std::lock_guard<std::mutex> guard(s_callLock);
    std::vector<U_MENU_STANDIN_CALL> calls;
    calls.swap(s_calls);
    return calls;
}

U32 T_INFO_u32DrawInfoLayer_Instrumentation2_YOrigin(SPLIT_WINDOW_TYPE /*eSplit*/) { return 0; }

U8 T_INFO_u8ConvertAlphaVector(U32 u32AlphaVector) { return (U8)(u32AlphaVector & 0xFF); }

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
