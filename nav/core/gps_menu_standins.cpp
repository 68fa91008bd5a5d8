// STAND-INS (see the header).
#include "nav/core/gps_menu_standins.h"

#include <mutex>

namespace {

struct STATE {
    std::mutex lock;
    BOOLEAN abBaseChart[2] = {FALSE, FALSE};
    std::vector<std::string> calls;
};

STATE& st(void)
{
    static STATE* const p = new STATE;
    return *p;
}

void vNote(const char* pc)
{
    std::lock_guard<std::mutex> guard(st().lock);
    st().calls.push_back(pc);
}

} // namespace

void T_CHART_vCallRegisterChartSelectMenuItem(void) { vNote("chart-select"); }
void T_CHART_vChartDeclutter(void) { vNote("declutter"); }

BOOLEAN T_CHART_bMapfoldBaseChartOnCard(U32 u32Card)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return u32Card < 2 ? st().abBaseChart[u32Card] : FALSE;
}

void T_NAV_GROUP_vSetup(void) { vNote("group-setup"); }
void T_NAV_GROUP_vWaypointSettings_Setup(void) { vNote("waypoint-settings"); }
void T_NAV_vRegisterWaypointAndRouteMenuItems(void) { vNote("waypoint-route-items"); }

void NAV_GPS_STANDIN_vSetBaseChart(U32 u32Card, BOOLEAN bPresent)
{
    std::lock_guard<std::mutex> guard(st().lock);
    if (u32Card < 2)
        st().abBaseChart[u32Card] = bPresent;
}

std::vector<std::string> NAV_GPS_STANDIN_vCalls(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    return st().calls;
}

void NAV_GPS_STANDIN_vForget(void)
{
    std::lock_guard<std::mutex> guard(st().lock);
    st().calls.clear();
    st().abBaseChart[0] = st().abBaseChart[1] = FALSE;
}
