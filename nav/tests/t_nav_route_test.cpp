// Navigation control: the current route step by step (keys, notes, hot
// menus), its ends and the save question, and the travel of stored routes.
#include "nav/tests/nav_core_world.h"

#include "kernel/l_mutex.h"
#include "kernel/l_task.h"
#include "nav/core/t_nav_conf.h"
#include "nav/data/t_nav_group_slot.h"
#include "nav/data/t_nav_twr_route.h"
#include "nav/data/t_nav_twr_waypoint.h"
#include "trolling/u_stevrin_standin.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace navw;

constexpr U16 NONE = 0xFFFF;

// The hot-menu mails as "+Text" / "-Text" with how often each came.
std::map<std::string, int> menuLog()
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
std::vector<std::string> notes()
{
    std::vector<std::string> out;
    for (const AlarmMail& m : alarmMails())
        if (m.cmd == CMD_ID_SET_ALARM && m.priority == NAV_UI_ALARM)
            out.push_back(m.text);
    return out;
}

U16 addWaypoint(POINT pt, const char* name, U8 status = WP_STATUS_PERMANENT)
{
    WAYPOINT w = {};
    w.u8Status = status;
    w.pt = pt;
    strncpy(w.sName, name, sizeof w.sName);
    const S32 id = T_NAV_nAddWaypoint(&w, TRUE);
    EXPECT_GE(id, 0);
    return (U16)id;
}

U8 status(U16 id)
{
    WAYPOINT w = {};
    T_NAV_vCopyWaypoint(id, &w);
    return w.u8Status;
}

U16 addRoute(const std::vector<U16>& ids, const char* name)
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

U32 entries()
{
    return s_CurrentRoute.nCount;
}

class NavRoute : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        T_NAV_vInitNavControl();
        T_NAV_CONF_vReset(0);
        U_STEVRIN_STANDIN_vClearCalls();
        setU("CCST", 3);
        setU("IDTM", T0);
        setB("IPNE", false);
        setB("IPNO", false);
        setU("INIP", 0);
        setS("CCRT", -1);
        boatAt(at(-500, -500));
        for (int i = 0; i < 8; ++i)
            w[i] = addWaypoint(at(0, 1000.0 * (i + 1)), ("WP" + std::to_string(i)).c_str());
        menuLog();
        notes();
        for (SEMA sema : {(SEMA)102, (SEMA)103})
            L_SEMA_SetPending(sema);
    }
    void TearDown() override { T_NAV_CONF_vReset(0); }

    U16 w[8] = {};
};

// ---- The current route ----

TEST_F(NavRoute, AGoToGrowsIntoARouteAndEndsAfterTheSaveQuestion)
{
    ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[1]));
    const U16 start = s_CurrentRoute.anWaypoint[0];
    EXPECT_EQ(status(start), WP_STATUS_TEMPORARY) << "a START waypoint where the boat is";
    EXPECT_EQ(*u("INIP"), 1u);
    EXPECT_EQ(*u("IOWP"), start);
    EXPECT_EQ(*u("IDWP"), w[1]);
    EXPECT_NEAR(*f("ITRK"), bearing(at(-500, -500), at(0, 2000)), 1e-3);
    EXPECT_FALSE(*b("IARO"));
    EXPECT_TRUE(*b("IARA"));
    EXPECT_EQ(notes(), std::vector<std::string>{"Navigation started toward waypoint WP1"});
    EXPECT_EQ(menuLog(), (std::map<std::string, int>{{"+Cancel Navigation", 1}, {"+Reset XTE", 1}}));

    struct Step {
        const char* what;
        U16 id;
        bool result;
        U32 entries;
        const char* note;
        std::map<std::string, int> menus;
    };
    const Step steps[] = {
        {"the third entry", w[2], true, 3, "Waypoint WP2 added to the current route",
         {{"+Skip Next Waypoint", 12}, {"+Save Current Route", 12}}},
        {"the last entry again", w[2], true, 3, "Waypoint WP2 already in the current route", {}},
        {"an entry further back", w[1], true, 4, "Waypoint WP1 added to the current route", {}},
        {"no waypoint", NONE, false, 4, nullptr, {}},
        {"a free slot", 2000, false, 4, nullptr, {}},
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(st.what);
        EXPECT_EQ(T_NAV_bWaypointToCurrentRoute(st.id) != FALSE, st.result);
        EXPECT_EQ(entries(), st.entries);
        EXPECT_EQ(notes(), st.note ? std::vector<std::string>{st.note} : std::vector<std::string>{});
        EXPECT_EQ(menuLog(), st.menus);
        EXPECT_EQ(*u("INIP"), 1u);
    }

    // Arrival moves on a leg.
    T_NAV_vOnArrival(nullptr);
    EXPECT_EQ(*u("INIP"), 2u);
    EXPECT_EQ(*u("IOWP"), w[1]);
    EXPECT_EQ(*u("IDWP"), w[2]);
    EXPECT_NEAR(*f("ITRK"), 0.0, 0.01) << "due north from WP1 to WP2";

    // Skipping drops WP2: the fourth entry (WP1 again) is next.
    T_NAV_vSkipNextWaypoint();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_EQ(entries(), 3u);
    EXPECT_EQ(*u("INIP"), 2u);
    EXPECT_EQ(*u("IDWP"), w[1]);
    EXPECT_TRUE(s_bRecalculate);

    // Cancel asks first; navigation goes on until the answer.
    T_NAV_vCancelNavigation();
    EXPECT_EQ(*u("INIP"), 2u);
    EXPECT_EQ(menuLog(), (std::map<std::string, int>{}));
    T_NAV_vEndNavigationOnly();
    EXPECT_EQ(*u("INIP"), 0u);
    EXPECT_EQ(*s("CCRT"), -1);
    EXPECT_FALSE(*b("CCNC"));
    EXPECT_EQ(entries(), 0u);
    EXPECT_EQ(s_CurrentRoute.bRtNotShared, 1u);
    EXPECT_EQ(status(start), WP_STATUS_FREE) << "the temporary START goes";
    EXPECT_EQ(status(w[1]), WP_STATUS_PERMANENT);
    EXPECT_EQ(menuLog(), (std::map<std::string, int>{{"-Cancel Navigation", 1},
                                                     {"-Reset XTE", 1},
                                                     {"-Skip Next Waypoint", 12},
                                                     {"-Save Current Route", 12},
                                                     {"+Clear Current Track", 12},
                                                     {"+Save Current Track", 12}}));
}

TEST_F(NavRoute, TheSaveQuestionComesFromThreeEntriesOnAndNeverAtThePointOfSale)
{
    const struct {
        U32 destinations;
        U32 state;
        bool asks;
    } rows[] = {{1, 3, false}, {2, 3, true}, {2, 6, false}, {5, 3, true}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.destinations << " destinations, state " << r.state);
        SetUp();
        setU("CCST", r.state);
        for (U32 i = 0; i < r.destinations; ++i)
            ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[i + 1]));
        T_NAV_vCancelNavigation();
        EXPECT_EQ(*u("INIP") != 0, r.asks);
        if (r.asks) {
            // Yes stores entries 1 onward and ends.
            T_NAV_vSaveRouteAndEndNavigation();
            EXPECT_EQ(*u("INIP"), 0u);
            const ROUTE* saved = T_NAV_pGetRoute(*u("CLRT"));
            ASSERT_NE(saved, nullptr);
            EXPECT_EQ(saved->nCount, r.destinations);
            EXPECT_EQ(saved->anWaypoint[0], w[1]);
            EXPECT_STREQ(saved->sName, "RT001");
        }
    }
}

TEST_F(NavRoute, EndingKeepsTheRouteItemsWhileAManOverboardWaypointExists)
{
    for (int i = 1; i <= 2; ++i)
        T_NAV_bWaypointToCurrentRoute(w[i]);
    menuLog();
    s_u16MOBWaypoint = w[7];
    T_NAV_vStopNavigating(FALSE, nullptr);
    const auto log = menuLog();
    EXPECT_EQ(log.count("-Skip Next Waypoint"), 0u);
    EXPECT_EQ(log.count("-Save Current Route"), 0u);
    EXPECT_EQ(log.at("-Cancel Navigation"), 1);
}

TEST_F(NavRoute, TheFiftiethEntryIsRefused)
{
    std::vector<U16> ids;
    for (int i = 0; i < 50; ++i)
        ids.push_back(addWaypoint(at(100.0 * i, -3000), ("R" + std::to_string(i)).c_str()));
    for (int i = 0; i < 49; ++i)
        ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(ids[i])) << i;
    EXPECT_EQ(entries(), 50u);
    notes();
    EXPECT_FALSE(T_NAV_bWaypointToCurrentRoute(ids[49]));
    EXPECT_EQ(entries(), 50u);
    EXPECT_EQ(notes(), std::vector<std::string>{"No more waypoints can be added to the route"});
    EXPECT_EQ(s_nRoutePointUsed, 50u);
}

TEST_F(NavRoute, StartingOnAWaypointUsesItAndEndingDeletesItOnlyWhenTemporary)
{
    for (U8 st : {WP_STATUS_PERMANENT, WP_STATUS_TEMPORARY}) {
        SCOPED_TRACE((int)st);
        SetUp();
        const U16 here = addWaypoint(at(-500, -500), "HERE", st);
        ASSERT_TRUE(T_NAV_bWaypointToCurrentRoute(w[1]));
        EXPECT_EQ(s_CurrentRoute.anWaypoint[0], here) << "no START waypoint";
        T_NAV_vStopNavigating(FALSE, nullptr);
        EXPECT_EQ(status(here), st == WP_STATUS_PERMANENT ? WP_STATUS_PERMANENT : WP_STATUS_FREE);
    }
}

TEST_F(NavRoute, ArrivalAtTheLastDestinationEndsUnlessTheMotorNavigates)
{
    for (bool ipno : {false, true}) {
        SCOPED_TRACE(ipno);
        SetUp();
        setB("IPNO", ipno);
        T_NAV_bWaypointToCurrentRoute(w[1]);
        int completions = 0;
        static int* s_pCount;
        s_pCount = &completions;
        T_NAV_vOnArrival([] { ++*s_pCount; });
        EXPECT_EQ(*u("INIP"), ipno ? 1u : 0u);
        EXPECT_EQ(completions, ipno ? 0 : 1) << "the routine runs when navigation ends";
    }
}

TEST_F(NavRoute, SkippingTheLastDestinationActsAsCancel)
{
    for (int i = 1; i <= 2; ++i)
        T_NAV_bWaypointToCurrentRoute(w[i]);
    T_NAV_vOnArrival(nullptr);
    ASSERT_EQ(*u("INIP"), 2u);
    T_NAV_vSkipNextWaypoint();
    EXPECT_EQ(*u("INIP"), 2u) << "the save question is pending";
    T_NAV_vEndNavigationOnly();
    EXPECT_EQ(*u("INIP"), 0u);

    // Not navigating: a bad click.
    L_SEMA_SetPending(SEMA_KEYCLICK_BAD);
    T_NAV_vSkipNextWaypoint();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
}

TEST_F(NavRoute, EndingWhileIdleClearsTheRecordAndKeysButNoMenu)
{
    const U16 temp = addWaypoint(at(5, 5), "TMP", WP_STATUS_TEMPORARY);
    s_CurrentRoute.anWaypoint[0] = temp;
    strcpy(s_CurrentRoute.sName, "LEFT");
    s_CurrentRoute.u32DateTime = 7;
    setS("CCRT", -1);
    setB("CCNC", true);
    setU("INIP", 0);
    menuLog();
    T_NAV_vEndNavigationNow();
    EXPECT_EQ(menuLog(), (std::map<std::string, int>{}));
    EXPECT_EQ(status(temp), WP_STATUS_TEMPORARY);
    EXPECT_EQ(s_CurrentRoute.sName[0], 0);
    EXPECT_EQ(s_CurrentRoute.u32DateTime, 0u);
    EXPECT_EQ(s_CurrentRoute.bRtNotShared, 1u);
    EXPECT_EQ(*u("INIP"), 0u);
    EXPECT_EQ(*s("CCRT"), -1);
    EXPECT_FALSE(*b("CCNC"));
}

TEST_F(NavRoute, WithTheMotorInChargeNoCancelItemAndTheLinkIsAsked)
{
    setB("IPNE", true);
    T_NAV_bWaypointToCurrentRoute(w[1]);
    T_NAV_bWaypointToCurrentRoute(w[2]);
    const auto log = menuLog();
    EXPECT_EQ(log.count("+Cancel Navigation"), 0u);
    EXPECT_EQ(log.at("+Reset XTE"), 1);

    T_NAV_vSkipNextWaypoint();
    EXPECT_EQ(entries(), 3u) << "the link skips, then mirrors it back";
    T_NAV_vCancelNavigation();
    T_NAV_vSaveRouteAndEndNavigation();
    ASSERT_GE(U_STEVRIN_STANDIN_u32CallCount(), 2u);
    EXPECT_STREQ(U_STEVRIN_STANDIN_pcCall(0), "U_STEVRIN_vSkipNextRoutePt");
    EXPECT_STREQ(U_STEVRIN_STANDIN_pcCall(1), "U_STEVRIN_vSendCommandOneParam");
    const auto req = U_STEVRIN_STANDIN_vRequests();
    EXPECT_EQ(req[1].u32Command, (U32)ST_CMD_CLR_ROUTE_CONFIRM);
    EXPECT_EQ(req[1].u32ItemIndex, NAV_ROUTE_SAVED_CONFIRM);
}

TEST_F(NavRoute, ADeletedOrMovedWaypointIsFollowedIntoTheRoute)
{
    for (int i = 1; i <= 3; ++i)
        T_NAV_bWaypointToCurrentRoute(w[i]);
    // Clearing a slot outright drops it from the route first.
    T_NAV_vDeleteGpWpSlot(w[2]);
    ASSERT_EQ(entries(), 3u);
    EXPECT_EQ(s_CurrentRoute.anWaypoint[1], w[1]);
    EXPECT_EQ(s_CurrentRoute.anWaypoint[2], w[3]);

    // Compaction moves a waypoint: the route and the leg keys follow.
    const U16 moved = T_NAV_u16MoveWaypoint(w[1]);
    ASSERT_NE(moved, NONE);
    ASSERT_NE(moved, w[1]);
    EXPECT_EQ(s_CurrentRoute.anWaypoint[1], moved);
    EXPECT_EQ(*u("IDWP"), moved);
}

TEST_F(NavRoute, ARouteIsActiveWhileOneOfItsPointsIsInTheCurrentRoute)
{
    const U16 r = addRoute({w[5], w[6]}, "R");
    EXPECT_FALSE(T_NAV_bIsRouteActive(r));
    T_NAV_bWaypointToCurrentRoute(w[6]);
    EXPECT_TRUE(T_NAV_bIsRouteActive(r));
    EXPECT_FALSE(T_NAV_bIsRouteActive(49)) << "a free slot";
}

TEST_F(NavRoute, TheLinksTemporaryRouteGoesWithItsEndAndAChangedRouteIsOfferedForSaving)
{
    for (bool temp : {false, true}) {
        SCOPED_TRACE(temp ? "temporary" : "kept");
        SetUp();
        const U16 t1 = addWaypoint(at(50, 50), "T1", WP_STATUS_TEMPORARY);
        const U16 t2 = addWaypoint(at(60, 60), "T2", WP_STATUS_TEMPORARY);
        const U16 linkRoute = addRoute({t1, t2}, "MOTOR");
        ROUTE r = *T_NAV_pGetRoute(linkRoute);
        T_NAV_vTravelRoute(&r, NONE, 0, FALSE, nullptr);
        ASSERT_EQ(entries(), 3u);
        // Unchanged by the user: no question even with confirmation asked.
        T_NAV_vSaveChangedRouteAndEndNav(TRUE, nullptr, linkRoute, temp ? TRUE : FALSE);
        EXPECT_EQ(*u("INIP"), 0u);
        EXPECT_EQ(T_NAV_pGetRoute(linkRoute)->nCount, temp ? 0u : 2u);
        EXPECT_EQ(status(t1), WP_STATUS_FREE) << "a temporary point of the current route goes in any case";
        EXPECT_EQ(s_s16UnifiedRouteSave, NONE);
    }
    // Changed by the user: asked.
    SetUp();
    ROUTE r = *T_NAV_pGetRoute(addRoute({w[1], w[2]}, "MOTOR"));
    T_NAV_vTravelRoute(&r, NONE, 0, FALSE, nullptr);
    T_NAV_vSetRouteHasChanged();
    T_NAV_vSaveChangedRouteAndEndNav(TRUE, nullptr, NONE, FALSE);
    EXPECT_EQ(*u("INIP"), 1u) << "the question is pending";
}

TEST_F(NavRoute, AnEditedStoredRouteOfTheSameLengthReplacesThePoints)
{
    const U16 temp = addWaypoint(at(70, 70), "TMP", WP_STATUS_TEMPORARY);
    ROUTE r = *T_NAV_pGetRoute(addRoute({w[1], temp}, "EDIT"));
    T_NAV_vTravelMemoryRoute(&r, 0, FALSE);
    ROUTE edited = r;
    edited.anWaypoint[1] = w[3];
    edited.u32DateTime = T0 + 5;
    T_NAV_vUpdateCurrentRoute(&edited);
    EXPECT_EQ(s_CurrentRoute.anWaypoint[2], w[3]);
    EXPECT_EQ(s_CurrentRoute.u32DateTime, T0 + 5);
    EXPECT_EQ(status(temp), WP_STATUS_FREE);

    edited.nCount = 3; // another length: nothing
    edited.anWaypoint[2] = w[4];
    T_NAV_vUpdateCurrentRoute(&edited);
    EXPECT_EQ(entries(), 3u);
}

// ---- Route travel ----

class NavTravel : public NavRoute {
protected:
    void SetUp() override
    {
        NavRoute::SetUp();
        route = addRoute({w[0], w[1], w[2], w[3], w[4]}, "LAKE");
        menuLog();
        notes();
    }
    // Arrivals until the route is on leg p.
    void toLeg(U32 p)
    {
        while (*u("INIP") < p)
            T_NAV_vOnArrival(nullptr);
    }
    U16 route = NONE;
};

TEST_F(NavTravel, AStoredRouteIsTravelledForwardOrInReverse)
{
    T_NAV_vTravelSavedRoute(route, 0, FALSE);
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_EQ(*s("CCRT"), (S32)route);
    ASSERT_EQ(entries(), 6u);
    for (U32 i = 1; i <= 5; ++i)
        EXPECT_EQ(s_CurrentRoute.anWaypoint[i], w[i - 1]);
    EXPECT_EQ(*u("INIP"), 1u);
    EXPECT_STREQ(s_CurrentRoute.sName, "LAKE");
    EXPECT_EQ(notes().back(), "Navigation begun along route LAKE");

    T_NAV_vTravelSavedRoute(route, 0, TRUE);
    EXPECT_EQ(s_CurrentRoute.anWaypoint[1], w[4]);
    EXPECT_EQ(*u("IDWP"), w[4]);
    EXPECT_EQ(notes().back(), "Navigation begun along route LAKE in reverse");

    L_SEMA_SetPending(SEMA_KEYCLICK_BAD);
    T_NAV_vTravelSavedRoute(48, 0, FALSE);
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD)) << "no such route";
}

TEST_F(NavTravel, ReversingHeadsBackToTheLegOrigin)
{
    const struct {
        bool reverse; // the travel reversed
        U32 leg;
        int expect;   // stored point now steered to; -1 navigation ended
    } rows[] = {
        {false, 1, -1}, {false, 2, 4}, {false, 3, 1}, {false, 4, 2}, {true, 2, 4}, {true, 3, 3},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << (r.reverse ? "reverse" : "forward") << " leg " << r.leg);
        SetUp();
        T_NAV_vTravelSavedRoute(route, 0, r.reverse);
        toLeg(r.leg);
        T_NAV_vReverseRoute();
        if (r.expect < 0) {
            EXPECT_EQ(*u("INIP"), 0u);
            continue;
        }
        EXPECT_EQ(*u("IDWP"), w[r.expect]);
        EXPECT_EQ(s_bCurrentRouteIsInReverse, !r.reverse);
        EXPECT_EQ(*s("CCRT"), (S32)route);
    }
}

TEST_F(NavTravel, TravelFromTheCursorWaypointStartsAtItsFirstOccurrence)
{
    const struct {
        const char* what;
        bool twice; // the route with WP5 twice, else the plain one
        U16 cursor;
        bool reverse;
        int inip; // 0: nothing happened
        U16 dest;
    } rows[] = {
        {"twice, forward", true, w[5], false, 2, w[5]},
        {"twice, reverse", true, w[5], true, 4, w[5]},
        {"the first point, forward", false, w[0], false, 1, w[0]},
        {"the first point, reverse", false, w[0], true, 1, w[4]},
        {"off the route", false, w[7], false, 0, 0},
        {"no cursor waypoint", false, NONE, false, 0, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        SetUp();
        const U16 twice = addRoute({w[0], w[5], w[1], w[5], w[2]}, "TWICE");
        setU("IRT0", r.twice ? twice : route);
        setU("ICWP", r.cursor);
        r.reverse ? T_NAV_vReverseFromPoint0() : T_NAV_vForwardFromPoint0();
        EXPECT_EQ(*u("INIP"), (U32)r.inip);
        if (r.inip == 0) {
            EXPECT_FALSE(signalled(SEMA_KEYCLICK_GOOD));
            EXPECT_FALSE(signalled(SEMA_KEYCLICK_BAD));
            continue;
        }
        EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
        EXPECT_EQ(*u("IDWP"), r.dest);
        EXPECT_EQ(entries(), 6u) << "the whole route is built";
    }
}

TEST_F(NavTravel, AFiftyPointRouteStopsAfterFortyNine)
{
    std::vector<U16> ids;
    for (int i = 0; i < 50; ++i)
        ids.push_back(addWaypoint(at(100.0 * i, -3000), ("R" + std::to_string(i)).c_str()));
    const U16 big = addRoute(ids, "BIG");
    notes();
    setU("CLRT", big);
    T_NAV_vTravelForward();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_BAD));
    EXPECT_EQ(entries(), 50u);
    EXPECT_EQ(s_CurrentRoute.anWaypoint[49], ids[48]);
    EXPECT_EQ(*s("CCRT"), -1);
    EXPECT_EQ(*u("INIP"), 1u) << "navigation toward the points added runs";
    const auto n = notes();
    EXPECT_NE(std::find(n.begin(), n.end(), "No more waypoints can be added to the route"), n.end());
}

TEST_F(NavTravel, TheRecordFormInReverseFromZeroOrOneStartsAtTheLastPoint)
{
    for (U16 start : {0, 1, 3}) {
        SCOPED_TRACE(start);
        SetUp();
        ROUTE r = *T_NAV_pGetRoute(route);
        POINT none = {0, 0};
        T_NAV_vTravelRoute(&r, NONE, start, TRUE, &none);
        EXPECT_EQ(*u("IDWP"), start <= 1 ? w[4] : w[start - 1]);
        EXPECT_EQ(s_pCurrentRoute, nullptr);
    }
    // From a given origin: entry 0 is a START at that origin.
    SetUp();
    ROUTE r = *T_NAV_pGetRoute(route);
    POINT origin = at(300, 300);
    T_NAV_vTravelRoute(&r, route, 0, FALSE, &origin);
    WAYPOINT first = {};
    T_NAV_vCopyWaypoint(s_CurrentRoute.anWaypoint[0], &first);
    EXPECT_TRUE(navt::same(first.pt, origin));
    EXPECT_EQ(entries(), 6u);
    EXPECT_EQ(*s("CCRT"), (S32)route);
}

TEST_F(NavTravel, WithTheMotorInChargeTheLinkTravels)
{
    setB("IPNE", true);
    setU("IRT2", route);
    T_NAV_vTravelReverseRoute2();
    EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
    EXPECT_EQ(*s("CCRT"), (S32)route);
    EXPECT_EQ(*u("INIP"), 0u) << "the link mirrors the motor's travel back";
    ASSERT_EQ(U_STEVRIN_STANDIN_u32CallCount(), 1u);
    EXPECT_STREQ(U_STEVRIN_STANDIN_pcCall(0), "U_STEVRIN_vFollowRouteFromPt");
    T_NAV_vReverseRoute();
    EXPECT_STREQ(U_STEVRIN_STANDIN_pcCall(1), "U_STEVRIN_vReverseRoute");
}

} // namespace

// ---- Travel under the simulated boat ----

namespace {

using namespace navw;

// The confirmation dialog's layer was registered since the last call.
bool questionShown()
{
    bool shown = false;
    for (const Mail& m : drain(VIEW_BOX))
        shown |= m.cmd == CMD_ID_REGISTER_LAYER && m.as<MSG_REGISTER_LAYER>().layer == NAV_CONF_LAYER;
    return shown;
}

TEST_F(NavRoute, TheSimulatedBoatTravelsAStoredRouteLegByLegAndIsAskedToSaveIt)
{
    setU("CCST", 4);
    T_NAV_vInitSimulation();
    s_TimeStamp = (TICKS)L_CLOCK_qwGetTimeInTicks();
    const POINT start = s_ptSimulationStartPoint;
    const double s = mercatorPerMetre();
    std::vector<U16> ids;
    for (int i = 1; i <= 3; ++i)
        ids.push_back(addWaypoint({start.x, start.y + (S32)std::lround(200.0 * i * s)}, "SIM"));
    const U16 r = addRoute(ids, "SIMRT");
    setF("SNAO", 100.0f);
    setF("SNAA", 25.0f);
    setB("SNCM", false);
    setB("CCNC", false);
    T_NAV_vTravelSavedRoute(r, 0, FALSE);
    ASSERT_EQ(*u("INIP"), 1u);
    drain(VIEW_BOX);

    std::vector<U32> legs = {1};
    bool asked = false;
    for (int second = 0; second < 1200 && !asked; ++second) {
        L_CLOCK_vAdvanceTestClock(1000);
        T_NAV_vHandleUpdateTimer();
        alarmMails();
        drain(MENU_BOX);
        const U32 inip = *u("INIP");
        if (inip != legs.back())
            legs.push_back(inip);
        asked = questionShown();
    }
    EXPECT_EQ(legs, (std::vector<U32>{1, 2, 3}));
    EXPECT_TRUE(asked) << "arrival at the last point asks whether to save the route";
    EXPECT_EQ(*u("INIP"), 3u) << "navigation goes on until the answer";
}

} // namespace

// ---- The trolling-motor link's task beside the navigation task ----

namespace {

using namespace navw;

// Under the navigation-data mutex: at most 50 entries, and "INIP" 0 or an
// entry of the route.
bool consistent()
{
    L_MUTEX_LockWait(RES_NAV_DATA);
    const U32 count = s_CurrentRoute.nCount;
    U32 inip = 0;
    H_DATABASE_bFetchU32(FCID("INIP"), &inip, nullptr, nullptr);
    L_MUTEX_Unlock(RES_NAV_DATA);
    return count <= ROUTE_MAX_POINTS && (inip == 0 || inip < count);
}

// Two kernel tasks (a mutex is owned by a task, not a thread).
constexpr TASK NAV_TASK = 60;
constexpr TASK LINK_TASK = 61;
constexpr int ROUNDS = 10000;
std::atomic<int> s_bad{0};
std::atomic<bool> s_navDone{false};
std::atomic<bool> s_linkDone{false};
U16 s_race[8];
U16 s_raceRoute;

void navigationTask()
{
    for (int i = 0; i < ROUNDS; ++i) {
        T_NAV_bWaypointToCurrentRoute(s_race[i % 8]);
        if (i % 5 == 0)
            T_NAV_vTravelSavedRoute(s_raceRoute, (U32)(i % 3), (i & 1) ? TRUE : FALSE);
        if (i % 11 == 0)
            T_NAV_vStopNavigating(FALSE, nullptr);
        s_bad += consistent() ? 0 : 1;
    }
    s_navDone = true;
    L_TASK_Terminate(0);
}

void linkTask()
{
    for (int i = 0; i < ROUNDS; ++i) {
        T_NAV_vOnArrival(nullptr);
        T_NAV_vSkipCurrentRouteWaypoint();
        if (i % 7 == 0)
            T_NAV_vStopNavigating(FALSE, nullptr);
        s_bad += consistent() ? 0 : 1;
    }
    s_linkDone = true;
    L_TASK_Terminate(0);
}

TEST_F(NavRoute, TheMotorLinkAndTheNavigationTaskShareTheRouteSafely)
{
    s_raceRoute = addRoute({w[0], w[1], w[2], w[3], w[4], w[5]}, "RACE");
    std::copy(std::begin(w), std::end(w), s_race);
    // No menu, alarm, view or keyboard task: the mails of 10,000 rounds
    // would pile up.
    for (const char* key : {"TMNU", "TALR", "TVUE", "TKBD"})
        H_DATABASE_vDeleteEntry(k(key));
    setB("IPNO", true); // an arrival at the end keeps navigating

    const TASK_PARAM nav = {16384, 98, navigationTask};
    const TASK_PARAM link = {16384, 98, linkTask};
    ASSERT_EQ(L_TASK_SetParams(NAV_TASK, &nav), 0);
    ASSERT_EQ(L_TASK_SetParams(LINK_TASK, &link), 0);
    ASSERT_EQ(L_TASK_Start(NAV_TASK), 0);
    ASSERT_EQ(L_TASK_Start(LINK_TASK), 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(240);
    while ((!s_navDone || !s_linkDone) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(s_navDone && s_linkDone) << "stuck";
    EXPECT_EQ(s_bad.load(), 0);
    EXPECT_TRUE(consistent());
    T_NAV_vStopNavigating(FALSE, nullptr);
    EXPECT_EQ(*u("INIP"), 0u);
}

} // namespace
