// The chart cursor's items as the menu task holds them, and what their
// actions do to the navigation tables, the keys, the notes and the clicks.

#include "nav/core/chart_menu_standins.h"
#include "nav/core/t_nav_cursor_items.h"
#include "nav/core/t_nav_menus.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/tests/nav_goto_world.h"
#include "nav/tests/nav_menu_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace navg;
using namespace navr;
using V = std::vector<std::string>;

constexpr LAYER_ID CHART = CHART_VIEW_PRIORITY;
constexpr SPLIT_WINDOW_TYPE FULL = SPLIT_FULL_WINDOW;

U32 ownWaypoints()
{
    U32 n = 0;
    for (U32 i = 0; i < 3000; ++i) {
        const WAYPOINT* p = T_NAV_pGetWaypoint(i);
        n += p != nullptr && p->u8Status == WP_STATUS_PERMANENT;
    }
    return n;
}

class CursorItems : public NavGoTo {
protected:
    void SetUp() override
    {
        NavGoTo::SetUp();
        freshRegistry({{&Chart_Tab, CHART_TAB_PRIORITY}});
        setS("CVEW", CHART);
        setS("CVAS", FULL);
        setF("IPID", 0.0f);
        setF("IPIO", 0.0f);
    }
    void TearDown() override
    {
        s_tNavRumbrelData.pRumbrel = nullptr;
        T_NAV_vResetMoveCopyRumbrel();
        T_MENU_vInitRegistry();
        NavGoTo::TearDown();
    }

    // The items of the chart view's hot menu with this title.
    static V items(const std::string& title)
    {
        V out;
        for (const std::string& s : hotItems(CHART, FULL))
            if (s == title || s.rfind(title + " [", 0) == 0)
                out.push_back(s);
        return out;
    }

    static U16 putRumbrel(U32 slot, const char* name, std::vector<POINT> points)
    {
        RUMBREL* p = T_NAV_pGetRumbrel(slot);
        memset(p, 0, sizeof *p);
        p->nCount = (U32)points.size();
        strncpy(p->sName, name, RUMBREL_NAME_CHARS);
        p->u32DateTime = T0;
        p->u32Visible = 1;
        p->u32DisplayedOnChart = 1;
        p->ptLowerLeft = p->ptUpperRight = points[0];
        for (size_t i = 0; i < points.size(); ++i) {
            p->aTrackPoints[i] = points[i];
            p->ptLowerLeft = {std::min(p->ptLowerLeft.x, points[i].x), std::min(p->ptLowerLeft.y, points[i].y)};
            p->ptUpperRight = {std::max(p->ptUpperRight.x, points[i].x), std::max(p->ptUpperRight.y, points[i].y)};
        }
        return (U16)slot;
    }
};

TEST_F(CursorItems, RoutesThroughTheCursorWaypointGetOneItemEach)
{
    const U16 a = addRoute({w[0], w[1]}, "A");
    addRoute({w[1], w[2]}, "B");
    const std::string full = "Route [Travel Forward, Travel Reverse, Edit, Delete*]";

    T_NAV_vUpdateCursorWaypoint(w[1]);
    EXPECT_EQ(items("Route"), (V{full, full}));
    EXPECT_EQ(s("IRT0"), (S32)a);

    // The route being travelled offers only Edit and Delete.
    setS("CCRT", a);
    T_NAV_vUpdateCursorWaypoint(NONE);
    EXPECT_EQ(items("Route"), V{}) << "the cursor left the waypoint";
    EXPECT_EQ(s("IRT0"), -1);
    T_NAV_vUpdateCursorWaypoint(w[1]);
    EXPECT_EQ(items("Route"), (V{"Route [Edit, Delete*]", full}));

    // Deleting one leaves the other; deleting that one leaves none.
    setS("CCRT", -1);
    T_NAV_vDeleteCursoredRoute0();
    EXPECT_EQ(items("Route"), V{full});
    T_NAV_vDeleteCursoredRoute0();
    EXPECT_EQ(items("Route"), V{});
    EXPECT_EQ(T_NAV_pGetRoute(a)->nCount, 0u);
}

TEST_F(CursorItems, WaypointItemsByOwnerMotorNavigationAndIcon)
{
    const U16 stayvane = addWaypoint(at(0, 9000), "HOLD", WP_STATUS_PERMANENT, NAV_STAYVANE_ICON);
    // A waypoint of the first peer, lying on nothing of ours.
    WAYPOINT* peer = T_NAV_TWR_pGetNetworkWaypoint(5, 1);
    *peer = WAYPOINT{};
    peer->u8Status = WP_STATUS_PERMANENT;
    peer->pt = at(0, 9500);
    const U32 peerId = 0x1000 | 5;
    addRoute({w[3], w[4]}, "C");

    struct Case {
        const char* name;
        U32 id;
        bool motor;
        V expected;
    };
    const Case cases[] = {
        {"own", w[3], false, {"Waypoint [Edit, Delete*, Target, Grid]", "Route [Travel Forward, Travel Reverse, Edit, Delete*]"}},
        {"own, motor navigation", w[3], true,
         {"Waypoint [Edit, Delete*, Target, Grid, Stayvane]", "Route [Travel Forward, Travel Reverse, Edit, Delete*]"}},
        {"own position-hold point", stayvane, true, {"Waypoint [Edit, Delete*, Target, Grid]"}},
        {"another unit's", peerId, false, {"Waypoint [Target, Grid]"}},
        {"another unit's, motor navigation", peerId, true, {"Waypoint [Target, Grid, Stayvane]"}},
    };
    for (const Case& c : cases) {
        setB("IPNE", c.motor);
        T_NAV_vUpdateCursorWaypoint(c.id);
        V got = items("Waypoint");
        for (const std::string& r : items("Route"))
            got.push_back(r);
        EXPECT_EQ(got, c.expected) << c.name;
        T_NAV_vUpdateCursorWaypoint(NONE);
        EXPECT_EQ(items("Waypoint"), V{}) << c.name;
    }

    // The last created waypoint's item in every chart pane: Stayvane under
    // the same rule.
    for (bool motor : {false, true}) {
        setB("IPNE", motor);
        setU("CLWC", w[2]);
        T_NAV_vUnregister_Last_Waypoint_Menu();
        T_NAV_vRegister_Last_Waypoint_Menu();
        const std::string base = "Waypoint [Edit, Delete*, Go To, Target, Grid";
        EXPECT_EQ(items("Waypoint"), V{base + (motor ? ", Stayvane]" : "]")}) << motor;
        EXPECT_EQ(hotItem(CHART_PLUS_BIRDS_EYE_VIEW_PRIORITY, SPLIT_LEFT_WINDOW, "Waypoint"),
                  base + (motor ? ", Stayvane]" : "]"));
    }
    setU("CLWC", stayvane);
    T_NAV_vUnregister_Last_Waypoint_Menu();
    T_NAV_vRegister_Last_Waypoint_Menu();
    EXPECT_EQ(items("Waypoint"), V{"Waypoint [Edit, Delete*, Go To, Target, Grid]"});
}

TEST_F(CursorItems, TrackItemsAndTheTrackTheMotorFollows)
{
    const U16 slot = putRumbrel(2, "LAKE LOOP", {at(0, 0), at(50, 0), at(50, 50)});
    struct Case {
        const char* name;
        bool motor, followed;
        std::string expected;
    };
    const Case cases[] = {
        {"plain", false, false, "Rumbrel [Edit, Delete*, Move, Copy]"},
        {"motor navigation", true, false, "Rumbrel [Edit, Delete*, Navigate to Start, Navigate to End, Move, Copy]"},
        {"followed", true, true, "Rumbrel [Edit, Delete*, Navigate to Start, Navigate to End]"},
    };
    static RUMBREL held;
    held = *T_NAV_pGetRumbrel(slot);
    for (const Case& c : cases) {
        setB("IPNE", c.motor);
        s_tNavRumbrelData.pRumbrel = c.followed ? &held : nullptr;
        s_tNavRumbrelData.eRumbrelType = RUMBREL_TYPE_REGULAR;
        T_NAV_vUpdateCursorRumbrel(slot);
        EXPECT_EQ(items("Rumbrel"), V{c.expected}) << c.name;
    }

    // The followed track is neither edited nor deleted.
    clicks();
    notes();
    T_NAV_vEditCursorRumbrel();
    EXPECT_EQ(clicks(), BAD);
    EXPECT_EQ(notes(), V{"The selected data is in use and cannot be edited"});
    T_NAV_vDeleteCursorRumbrel();
    EXPECT_EQ(clicks(), BAD);
    EXPECT_EQ(notes(), V{"This Rumbrel is in use and cannot be deleted"});
    EXPECT_EQ(T_NAV_pGetRumbrel(slot)->nCount, 3u);
    EXPECT_EQ(motorCalls(), std::vector<MotorCall>{});

    // Once the motor lets go it is deleted, on the motor too.
    s_tNavRumbrelData.pRumbrel = nullptr;
    T_NAV_vDeleteCursorRumbrel();
    EXPECT_EQ(clicks(), GOOD);
    EXPECT_EQ(T_NAV_pGetRumbrel(slot)->nCount, 0u);
    EXPECT_EQ(u("ICIT"), (U32)NONE);
    EXPECT_EQ(items("Rumbrel"), V{});
    ASSERT_EQ(motorCalls().size(), 1u);
}

TEST_F(CursorItems, NoTrackUnderTheCursor)
{
    setU("ICIT", NONE);
    clicks();
    T_NAV_vEditCursorRumbrel();
    EXPECT_EQ(clicks(), SILENT);
    EXPECT_EQ(NAV_CHART_STANDIN_vCalls(), V{}) << "no editor";
    T_NAV_vNavigateToStartCursorRumbrel();
    EXPECT_EQ(clicks(), BAD);

    // The copy menu still opens, without a working copy, and starts from
    // direction 0 and 3 m.
    setF("IPID", 45.0f);
    setF("IPIO", 12.0f);
    drain(MENU_BOX);
    T_NAV_vShowCopyCursorRumbrelMenu();
    EXPECT_EQ(f("IPID"), 0.0f);
    EXPECT_EQ(f("IPIO"), 3.0f);
    EXPECT_EQ(s_u32MoveCopyRumbrelId, (U32)NONE);
    EXPECT_EQ(s_tMoveCopyRumbrel.nCount, 0u);
    size_t floating = 0, activated = 0;
    for (const Mail& m : drain(MENU_BOX)) {
        floating += m.cmd == CMD_ID_REGISTER_FLOATING_MENU_ITEM;
        activated += m.cmd == CMD_ID_ACTIVATE_FLOATING_MENU;
    }
    EXPECT_EQ(floating, 3u) << "direction, distance and the action";
    EXPECT_EQ(activated, 1u);
}

TEST_F(CursorItems, FollowingATrackTooFarAwayOnlyShowsANote)
{
    const U16 slot = putRumbrel(4, "FAR", {at(5000, 5000), at(6000, 6000)});
    setU("ICIT", slot);
    clicks();
    alarmMails();
    T_NAV_vNavigateToEndCursorRumbrel();
    EXPECT_EQ(clicks(), BAD);
    const std::vector<AlarmMail> mails = alarmMails();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].text, "Selected location is too far for Stevrin navigation");
    // Shown for 3 s: the navigation update counts it down once a second.
    for (int tick = 1; tick <= 3; ++tick) {
        T_NAV_vUpdateAlarms(FALSE, FALSE, FALSE, FALSE, nullptr);
        EXPECT_EQ(cleared(alarmMails(), NAV_UI_ALARM), tick == 3 ? 1u : 0u) << tick;
    }
    EXPECT_EQ(motorCalls(), std::vector<MotorCall>{});

    // A track near the boat is followed toward the end asked for.
    const U16 near = putRumbrel(5, "NEAR", {at(-500, -450), at(-500, -300)});
    setU("ICIT", near);
    T_NAV_vNavigateToEndCursorRumbrel();
    EXPECT_EQ(clicks(), GOOD);
    const auto calls = motorCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].item, (U32)near);
}

TEST_F(CursorItems, CopyingNamesTheCopyAfterTheFreeNumber)
{
    putRumbrel(0, "RUMBREL0001", {at(0, 0), at(10, 10)});
    const U16 source = putRumbrel(1, "SHORE", {at(100, 0), at(110, 10), at(120, 0)});
    setU("SIID", 1);
    setU("ICIT", source);
    T_NAV_vShowCopyCursorRumbrelMenu();
    EXPECT_EQ(s_tMoveCopyRumbrel.nCount, 3u);
    EXPECT_EQ(s_tMoveCopyRumbrel.sName[0], '\0');
    T_NAV_vCopyCursorRumbrel();
    EXPECT_EQ(u("SIID"), 2u);
    int copies = 0;
    for (U32 i = 0; i < 50; ++i) {
        const RUMBREL* p = T_NAV_pGetRumbrel(i);
        if (p->nCount != 0 && strncmp(p->sName, "RUMBREL0002", RUMBREL_NAME_CHARS) == 0) {
            ++copies;
            EXPECT_EQ(p->nCount, 3u);
            EXPECT_EQ(p->ptLowerLeft.x, at(100, 0).x);
            EXPECT_EQ(p->ptUpperRight.y, at(110, 10).y);
        }
    }
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(T_NAV_pGetRumbrel(source)->nCount, 3u) << "the source stays";
    EXPECT_EQ(s_u32MoveCopyRumbrelId, (U32)NONE);
    EXPECT_EQ(f("IPIO"), 3.0f);
}

TEST_F(CursorItems, MapOffsetWrapsAcrossTheDateLine)
{
    setB("ICAC", true);
    setS("ICLN", 20000000);
    setS("ICLT", 1000);
    setS("ILON", -20000000);
    setS("ILAT", 400);
    clicks();
    T_NAV_vSetMapOffset();
    EXPECT_EQ(clicks(), GOOD);
    EXPECT_EQ(s("SCON"), -76600);
    EXPECT_EQ(s("SCOT"), 600);
    EXPECT_EQ(b("ICAC"), false);
    EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Clear Map Offset"), "Clear Map Offset");
    EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Set Map Offset"), "");

    T_NAV_vClearMapOffset();
    EXPECT_EQ(clicks(), GOOD);
    EXPECT_EQ(s("SCON"), 0);
    EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Set Map Offset"), "Set Map Offset");
    EXPECT_EQ(tabItem(CHART_TAB_PRIORITY, "Clear Map Offset"), "");

    // Without the cursor only a hint.
    notes();
    T_NAV_vSetMapOffset();
    EXPECT_EQ(clicks(), BAD);
    EXPECT_EQ(notes().size(), 1u);
    EXPECT_EQ(s("SCON"), 0);
}

TEST_F(CursorItems, MarkingWhereAnOwnWaypointLiesNamesIt)
{
    const U32 before = ownWaypoints();
    boatAt(waypoint(w[2]).pt);
    setB("ICAC", false);
    notes();
    clicks();
    T_NAV_vHandleNamedMarkWithIcon("NEW", 0);
    EXPECT_EQ(ownWaypoints(), before);
    EXPECT_EQ(notes(), V{"Waypoint WP2 already exists at this location"});
    EXPECT_EQ(clicks(), GOOD);

    // Elsewhere a waypoint is made, at the cursor when it is shown.
    setB("ICAC", true);
    const POINT there = at(2000, 2000);
    setS("ICLT", there.y);
    setS("ICLN", there.x);
    T_NAV_vHandleNamedMarkWithIcon("SPOT", NAV_STAYVANE_ICON);
    EXPECT_EQ(ownWaypoints(), before + 1);
    EXPECT_EQ(notes(), V{"Stayvane SPOT Created"});
    const U32 id = *u("ICWP");
    EXPECT_EQ(waypoint((U16)id).pt.x, there.x);
    EXPECT_EQ(waypoint((U16)id).u8Icon, NAV_STAYVANE_ICON);
}

TEST_F(CursorItems, AWaypointInARouteIsNotDeleted)
{
    addRoute({w[5], w[6]}, "D");
    struct Case {
        const char* name;
        const char* key;
        U16 id;
        bool deleted;
    };
    const Case cases[] = {
        {"cursor waypoint in a stored route", "ICWP", w[5], false},
        {"last waypoint in a stored route", "CLWC", w[6], false},
        {"cursor waypoint in no route", "ICWP", w[7], true},
    };
    for (const Case& c : cases) {
        setU(c.key, c.id);
        clicks();
        notes();
        motorCalls();
        std::string(c.key) == "ICWP" ? T_NAV_vDeleteCursorWaypoint() : T_NAV_vDeleteLastWaypoint();
        EXPECT_EQ(waypoint(c.id).u8Status == WP_STATUS_FREE, c.deleted) << c.name;
        EXPECT_EQ(clicks(), c.deleted ? GOOD : BAD) << c.name;
        EXPECT_EQ(notes(), c.deleted ? V{} : V{"Waypoint cannot be deleted because it is used in a route"}) << c.name;
        EXPECT_EQ(motorCalls().size(), c.deleted ? 1u : 0u) << c.name;
    }
}

TEST_F(CursorItems, SavingTheCurrentRouteLeavesOutItsStart)
{
    s_CurrentRoute.nCount = 3;
    s_CurrentRoute.anWaypoint[0] = w[0];
    s_CurrentRoute.anWaypoint[1] = w[1];
    s_CurrentRoute.anWaypoint[2] = w[2];
    clicks();
    T_NAV_vSaveCurrentRoute();
    EXPECT_EQ(clicks(), GOOD);
    int saved = 0;
    for (U32 i = 0; i < 50; ++i) {
        const ROUTE* r = T_NAV_pGetRoute(i);
        if (r != nullptr && r->nCount != 0) {
            ++saved;
            EXPECT_EQ(std::vector<U16>(r->anWaypoint, r->anWaypoint + r->nCount), (std::vector<U16>{w[1], w[2]}));
        }
    }
    EXPECT_EQ(saved, 1);
}

TEST_F(CursorItems, MovingATrackReplacesItUnderItsName)
{
    const U16 source = putRumbrel(3, "BAY", {at(0, 0), at(20, 20)});
    setU("ICIT", source);
    T_NAV_vShowMoveCursorRumbrelMenu();
    // The working copy moved by the direction and distance chosen.
    for (U32 i = 0; i < s_tMoveCopyRumbrel.nCount; ++i)
        s_tMoveCopyRumbrel.aTrackPoints[i].x += 30;
    motorCalls();
    T_NAV_vMoveCursorRumbrel();
    std::vector<std::string> names;
    for (U32 i = 0; i < 50; ++i) {
        const RUMBREL* p = T_NAV_pGetRumbrel(i);
        if (p->nCount != 0) {
            names.push_back(std::string(p->sName, strnlen(p->sName, RUMBREL_NAME_CHARS)));
            EXPECT_EQ(p->aTrackPoints[0].x, at(0, 0).x + 30);
            EXPECT_EQ(p->ptUpperRight.x, at(20, 20).x + 30);
        }
    }
    EXPECT_EQ(names, V{"BAY"}) << "one track, the moved one";
    EXPECT_EQ(motorCalls().size(), 1u) << "the motor forgets the old one";
    EXPECT_EQ(u("ICIT"), (U32)NONE);
    EXPECT_EQ(s_u32MoveCopyRumbrelId, (U32)NONE);
}

TEST_F(CursorItems, TheInfoKeyAndTheCursorToList)
{
    // Without the cursor: the chart info menu, which needs a position.
    setB("ICAC", false);
    clicks();
    T_NAV_vHandleInfo();
    EXPECT_EQ(clicks(), GOOD);
    expire("ILAT");
    T_NAV_vHandleInfo();
    EXPECT_EQ(clicks(), BAD);
    EXPECT_EQ(notes(), V{"GPS Fix required for this operation"});

    // With the cursor: a track near it, else the port information there.
    boatAt(at(-500, -500));
    const U16 slot = putRumbrel(6, "NEAR", {at(0, 0), at(0, 100)});
    setB("ICAC", true);
    setS("ICLT", at(0, 50).y);
    setS("ICLN", at(0, 50).x);
    setF("ICTD", 34.0f);
    setF("ICND", -84.0f);
    setS("ICPM", 4096);
    setU("ICIT", NONE);
    NAV_CHART_STANDIN_vForget();
    T_NAV_vHandleInfo();
    EXPECT_EQ(NAV_CHART_STANDIN_vCalls(), V{"rumbrel-info " + std::to_string(slot)});
    setS("ICLN", at(5000, 50).x);
    T_NAV_vHandleInfo();
    EXPECT_EQ(NAV_CHART_STANDIN_vCalls().back(), "port-info " + std::to_string(at(5000, 50).x) + " " +
                                                     std::to_string(at(0, 50).y));
    EXPECT_EQ(clicks(), GOOD);

    // A point picked from the list: a waypoint or a track's first point;
    // anything else is refused.
    setF("IHDG", 10.0f);
    ST_POINT_TYPE_INDEX pick = {};
    pick.nType = 1;
    pick.nIndex = slot;
    T_NAV_vCursorToTWRPoint(&pick);
    EXPECT_EQ(s("ICLT"), at(0, 0).y);
    EXPECT_EQ(u("ICIT"), (U32)slot);
    pick.nType = 0;
    pick.nIndex = w[4];
    T_NAV_vCursorToTWRPoint(&pick);
    EXPECT_EQ(s("ICLT"), waypoint(w[4]).pt.y);
    EXPECT_EQ(u("ICWP"), (U32)w[4]);
    clicks();
    pick.nType = 5;
    T_NAV_vCursorToTWRPoint(&pick);
    EXPECT_EQ(clicks(), BAD);
}

TEST_F(CursorItems, CursorKeysFollowThePane)
{
    std::vector<std::string> log;
    auto keys = [&] {
        V out;
        for (const Mail& m : drain(KEYBOARD_BOX))
            out.push_back(m.cmd == CMD_ID_REGISTER_FOR_KEYS ? "+" + std::to_string(m.as<MSG_REGISTER_FOR_KEYS>().keys)
                                                            : "-" + std::to_string(m.as<MSG_UNREGISTER_FOR_KEYS>().keys));
        return out;
    };
    drain(KEYBOARD_BOX);
    T_NAV_vCheckKeyRegistration(CHART_PLUS_2D_VIEW_PRIORITY, SPLIT_LEFT_WINDOW);
    EXPECT_EQ(keys(), V{}) << "the sonar pane";
    T_NAV_vCheckKeyRegistration(CHART_PLUS_2D_VIEW_PRIORITY, SPLIT_RIGHT_WINDOW);
    EXPECT_EQ(keys(), (V{"+96", "+512", "+16"}));
    T_NAV_vCheckKeyRegistration(CHART, FULL);
    EXPECT_EQ(keys(), V{}) << "already held";
    T_NAV_vCheckKeyRegistration(1, FULL);
    EXPECT_EQ(keys(), V{"-624"});
}

} // namespace
