#include "nav/core/newdata_standins.h"

#include "kernel/lm_log.h"
#include "nav/core/t_nav_newdata.h"
#include "store/h_database.h"

#include <mutex>

namespace {

std::mutex s_lock;
std::vector<std::string>& calls(void)
{
    static std::vector<std::string>* const p = new std::vector<std::string>;
    return *p;
}

void vRecord(std::string s)
{
    std::lock_guard<std::mutex> guard(s_lock);
    calls().push_back(std::move(s));
}

} // namespace

void T_HTML_vDrawHtmlView(BITMAP*, WINDOW_SPECIFICATION*) {}

void T_NAV_vEnableSonarAdvancedDisplays(BOOLEAN bEnable, U32 u32Value)
{
    vRecord("advanced " + std::to_string((int)bEnable) + " " + std::to_string(u32Value));
}

void T_NAV_vEnableSonar360Displays(BOOLEAN bEnable)
{
    vRecord("360 " + std::to_string((int)bEnable));
}

void T_NAV_vEditLastSavedRoute(void)
{
    S32 s32Route = -1;
    H_DATABASE_bFetchS32(FCID("CLRT"), &s32Route, nullptr, nullptr);
    vRecord("edit " + std::to_string(s32Route));
}

#define NAV_STANDIN_TEXT(s) {s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s}
TEXT_TABLE Cursor_To_Menu = NAV_STANDIN_TEXT("Cursor To");
TEXT_TABLE Waypoint_Menu = NAV_STANDIN_TEXT("Waypoint");

void T_NAV_vUpdateCursorToWaypointMenuRegistration(void)
{
    s_bCursorToWaypointMenuCreated = TRUE;
    vRecord("cursor-to");
}

void T_NAV_vRegister_Last_Waypoint_Menu(void) { vRecord("last-waypoint"); }

void T_NAV_vUpdateCursorWaypoint(U16 u16Id)
{
    H_DATABASE_bUpdateValueU32(FCID("ICWP"), u16Id, P_NORMAL);
    vRecord("cursor-waypoint " + std::to_string(u16Id));
}

void T_NAV_vUpdateCursorRumbrel(U16 u16Slot)
{
    H_DATABASE_bUpdateValueU32(FCID("ICIT"), u16Slot, P_NORMAL);
    vRecord("cursor-track " + std::to_string(u16Slot));
}

void T_NAV_GROUP_vHandleNewData(const MESSAGE_NEW_DATA* pMessage)
{
    const FOURCHARID key = pMessage != nullptr ? pMessage->FourCharId : 0;
    vRecord("group " + std::string(reinterpret_cast<const char*>(&key), 4));
}

void T_NAV_vHandleInfo(void) { vRecord("chart-info"); }
void T_NAV_vViewSnapshot(void) { vRecord("view-snapshot"); }
void T_NAV_vWipeNav(void) { vRecord("wipe-nav"); }

void T_NAV_vCheckKeyRegistration(S32 s32View, S32 s32Split)
{
    vRecord("keys " + std::to_string(s32View) + " " + std::to_string(s32Split));
}

void U_STEVRIN_vUpdateContourStr(const char* pcText)
{
    vRecord(std::string("contour ") + (pcText != nullptr ? pcText : ""));
}

std::vector<std::string> NAV_NEWDATA_STANDIN_vCalls(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    return calls();
}

void NAV_NEWDATA_STANDIN_vForget(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    calls().clear();
}
