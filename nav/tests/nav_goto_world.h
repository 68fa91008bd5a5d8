// The navigation core's world for the one-step commands, the motor link's
// route updates and man overboard: the NavCore world with navigation
// control and the go-to hooks set up, eight waypoints laid out north of
// the origin (WP0 to WP7, 1 km apart), the boat south-west of them, and
// readers of the hot-menu mails, the notes, the key clicks and the motor
// calls.
#pragma once

#include "nav/tests/nav_core_world.h"

#include "nav/core/t_nav_conf.h"
#include "nav/core/t_nav_goto.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "trolling/u_stevrin_standin.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace navg {

using namespace navw;

constexpr U16 NONE = 0xFFFF;

// The hot-menu mails as "+Text" / "-Text" with how often each came.
inline std::map<std::string, int> menuLog()
{
    std::map<std::string, int> out;
    for (const Mail& m : drain(MENU_BOX)) {
        if (m.cmd == CMD_ID_REGISTER_MENU_ITEM)
            ++out[std::string("+") + (*m.as<MSG_ADD_MENU_ITEM>().descriptor.pMenuName)[0]];
        else if (m.cmd == CMD_ID_UNREGISTER_MENU_ITEM)
            ++out[std::string("-") + (*m.as<MSG_REMOVE_MENU>().pMenuName)[0]];
    }
    return out;
}

// The texts of the notes and errors raised since the last call.
inline std::vector<std::string> notes()
{
    std::vector<std::string> out;
    for (const AlarmMail& m : alarmMails())
        if (m.cmd == CMD_ID_SET_ALARM && m.priority == NAV_UI_ALARM)
            out.push_back(m.text);
    return out;
}

// Which key clicks were given since the last call (the click semaphores
// are flags: two good clicks read as one).
struct Clicks {
    bool good = false;
    bool bad = false;
    bool operator==(const Clicks&) const = default;
};
constexpr Clicks GOOD = {true, false};
constexpr Clicks BAD = {false, true};
constexpr Clicks SILENT = {false, false};
inline Clicks clicks()
{
    return {signalled(SEMA_KEYCLICK_GOOD), signalled(SEMA_KEYCLICK_BAD)};
}
inline std::ostream& operator<<(std::ostream& os, const Clicks& c)
{
    return os << "{good " << c.good << ", bad " << c.bad << "}";
}

// The motor calls since the last call: name, item and flag.
struct MotorCall {
    std::string call;
    U32 item;
    U32 flag;
    bool operator==(const MotorCall&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const MotorCall& c)
{
    return os << c.call << "(" << c.item << ", " << c.flag << ")";
}
inline std::vector<MotorCall> motorCalls()
{
    std::vector<MotorCall> out;
    const auto requests = U_STEVRIN_STANDIN_vRequests();
    for (U32 i = 0; i < U_STEVRIN_STANDIN_u32CallCount() && i < requests.size(); ++i)
        out.push_back({U_STEVRIN_STANDIN_pcCall(i), requests[i].u32ItemIndex, requests[i].u32Flag});
    U_STEVRIN_STANDIN_vClearCalls();
    return out;
}

inline U16 addWaypoint(POINT pt, const char* name, U8 status = WP_STATUS_PERMANENT, U8 icon = 0)
{
    WAYPOINT w = {};
    w.u8Status = status;
    w.u8Icon = icon;
    w.pt = pt;
    strncpy(w.sName, name, sizeof w.sName);
    const S32 id = T_NAV_nAddWaypoint(&w, TRUE);
    EXPECT_GE(id, 0);
    return (U16)id;
}

inline WAYPOINT waypoint(U16 id)
{
    WAYPOINT w = {};
    T_NAV_vCopyWaypoint(id, &w);
    return w;
}

inline U16 addRoute(const std::vector<U16>& ids, const char* name)
{
    ROUTE r = {};
    r.nCount = (U32)ids.size();
    for (size_t i = 0; i < ids.size(); ++i)
        r.anWaypoint[i] = ids[i];
    strncpy(r.sName, name, sizeof r.sName);
    r.u32DateTime = T0;
    const U16 slot = T_NAV_u16RouteAdd(&r);
    EXPECT_NE(slot, NONE);
    return slot;
}

inline std::vector<U16> routeEntries()
{
    return std::vector<U16>(s_CurrentRoute.anWaypoint, s_CurrentRoute.anWaypoint + s_CurrentRoute.nCount);
}

class NavGoTo : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        T_NAV_TWR_vInstallHooks(nullptr);
        T_NAV_vInitNavControl();
        T_NAV_vInitGoTo();
        T_NAV_CONF_vReset(0);
        U_STEVRIN_STANDIN_vClearCalls();
        s_bSonarCursorView = FALSE;
        setU("CCST", 3);
        setU("IDTM", T0);
        setB("IPNE", false);
        setB("IPNO", false);
        setU("INIP", 0);
        setS("CCRT", -1);
        setU("ICWP", NONE);
        setU("ITWP", NONE);
        setU("IGWP", NONE);
        boatAt(at(-500, -500));
        for (int i = 0; i < 8; ++i)
            w[i] = addWaypoint(at(0, 1000.0 * (i + 1)), ("WP" + std::to_string(i)).c_str());
        menuLog();
        notes();
        clicks();
    }
    void TearDown() override
    {
        T_NAV_CONF_vReset(0);
        T_NAV_TWR_vInstallHooks(nullptr);
    }

    U16 w[8] = {};
};

} // namespace navg
