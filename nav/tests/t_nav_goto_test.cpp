// The one-step commands: go-to of the cursor, of a waypoint and of a picked
// point, position hold with the motor, and target and grid.
#include "nav/tests/nav_goto_world.h"

#include "kernel/l_mutex.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/data/t_nav_twr_rumbrel.h"

namespace {

using namespace navg;

// ---- Go-to ----

TEST_F(NavGoTo, GoToTheCursorMakesATemporaryWaypointThatNavigationEndDeletes)
{
    for (const bool sonarCursor : {false, true}) {
        SCOPED_TRACE(sonarCursor ? "sonar cursor view" : "chart cursor");
        SetUp();
        s_bSonarCursorView = sonarCursor ? TRUE : FALSE;
        const POINT cursor = at(300, 4000);
        setS("ICLT", cursor.y);
        setS("ICLN", cursor.x);
        T_NAV_vHandleGoTo_GoToCursorPosition();

        const U16 id = (U16)*u("IDWP");
        const WAYPOINT made = waypoint(id);
        EXPECT_EQ(made.u8Status, WP_STATUS_TEMPORARY);
        EXPECT_EQ(made.pt.x, cursor.x);
        EXPECT_EQ(made.pt.y, cursor.y);
        const std::string name(made.sName, strnlen(made.sName, sizeof made.sName));
        EXPECT_TRUE(name.size() == 5 && name.rfind("WP", 0) == 0) << "a default name: " << name;
        EXPECT_EQ(*u("INIP"), 1u);
        EXPECT_EQ(*u("ICWP"), sonarCursor ? NONE : id);
        EXPECT_EQ(clicks(), GOOD);

        T_NAV_vStopNavigating(FALSE, nullptr);
        EXPECT_EQ(waypoint(id).u8Status, WP_STATUS_FREE) << "navigation's end deletes it";
        EXPECT_EQ(*u("ICWP"), NONE);
    }
}

TEST_F(NavGoTo, GoToTheCursorUsesItsWaypointAndDropsAContourPick)
{
    setU("ICWP", w[3]);
    void* pick = NAV_STANDIN_pNewLakeState({});
    L_MUTEX_LockWait(RES_DORRIM_QUELLMARIMAGE);
    s_pContourAddr = pick;
    s_bInGoToContourMenu = TRUE;
    L_MUTEX_Unlock(RES_DORRIM_QUELLMARIMAGE);

    T_NAV_vHandleGoTo_GoToCursorPosition();
    EXPECT_EQ(*u("IDWP"), w[3]);
    EXPECT_EQ(clicks(), GOOD);
    EXPECT_EQ(s_pContourAddr, nullptr);
    EXPECT_FALSE(s_bInGoToContourMenu);
    EXPECT_FALSE(NAV_STANDIN_bLakeStateLive(pick)) << "the pick is freed";
    NAV_STANDIN_vForgetStevrin();
}

TEST_F(NavGoTo, WithoutACursorPositionOrRoomNothingIsMadeAndTheClickIsBad)
{
    // No cursor position.
    T_NAV_vHandleGoTo_Waypoint(NONE, TRUE);
    EXPECT_EQ(clicks(), BAD);
    EXPECT_EQ(*u("INIP"), 0u);
    T_NAV_vHandleGoTo_Waypoint(NONE, FALSE);
    EXPECT_EQ(clicks(), SILENT) << "no click unless asked";

    // A full table: the error, a bad click, nothing navigated.
    setS("ICLT", at(0, 0).y);
    setS("ICLN", at(0, 0).x);
    WAYPOINT fill = {};
    fill.u8Status = WP_STATUS_PERMANENT;
    fill.pt = at(1, 1);
    strncpy(fill.sName, "FILL", sizeof fill.sName);
    for (U32 i = 0; i < NAV_WAYPOINT_SLOTS; ++i) {
        const S32 id = T_NAV_nAddWaypoint(&fill, TRUE);
        if (id < 0 || id >= NONE)
            break;
    }
    notes();
    T_NAV_vHandleGoTo_Waypoint(NONE, TRUE);
    EXPECT_EQ(clicks(), BAD);
    EXPECT_EQ(notes(), std::vector<std::string>{"No more waypoints can be saved. Out of waypoint memory."});
    EXPECT_EQ(*u("INIP"), 0u);
}

TEST_F(NavGoTo, GoToTheLastEntryOnlyNotesItAndCountsAsSuccess)
{
    setU("CLWC", w[1]);
    T_NAV_vGoToLastWaypoint();
    EXPECT_EQ(clicks(), GOOD);
    EXPECT_TRUE(signalled(SEMA_VIEW_UPDATE));
    notes();
    T_NAV_vGoToLastWaypoint();
    EXPECT_EQ(clicks(), GOOD);
    EXPECT_EQ(notes(), std::vector<std::string>{"Waypoint WP1 already in the current route"});
    EXPECT_EQ(routeEntries().size(), 2u);
}

TEST_F(NavGoTo, AGoToThatTheRouteRefusesClicksBad)
{
    setU("CCST", 11); // a recording plays
    T_NAV_vGoToWaypoint(w[1]);
    EXPECT_EQ(clicks(), BAD);
    EXPECT_EQ(*u("INIP"), 0u);
}

TEST_F(NavGoTo, WithTheMotorInChargeGoToIsHandedOverAndHoldsOnlyAtAHoldPoint)
{
    setB("IPNE", true);
    const U16 hold = addWaypoint(at(0, 500), "HOLD", WP_STATUS_PERMANENT, STEVRIN_STAYVANE_ICON);
    T_NAV_vGoToWaypoint(w[2]);
    T_NAV_vGoToWaypoint(hold);
    EXPECT_EQ(clicks(), GOOD);
    EXPECT_EQ(motorCalls(), (std::vector<MotorCall>{{"U_STEVRIN_vGotoWaypoint", w[2], 0},
                                                    {"U_STEVRIN_vGotoWaypoint", hold, 1}}));
    EXPECT_EQ(*u("INIP"), 0u) << "the motor navigates, the route follows its link";
}

// ---- Position hold ----

TEST_F(NavGoTo, StayvaneFromTheCursorAlwaysHoldsFromTheLastWaypointOnlyAtAHoldPoint)
{
    const POINT boat = at(-500, -500);
    const U16 near = addWaypoint(at(-400, -400), "NEAR");
    const U16 nearHold = addWaypoint(at(-450, -450), "NHLD", WP_STATUS_PERMANENT, STEVRIN_STAYVANE_ICON);
    const U16 far = addWaypoint(at(-500, 0), "FAR"); // 500 m: beyond a quarter mile
    const struct {
        const char* what;
        bool motor;
        bool fromCursor;
        U16 id;
        std::vector<MotorCall> calls;
        Clicks click;
        bool note;
        U32 inip;
    } rows[] = {
        {"cursor, plain icon", true, true, near, {{"U_STEVRIN_vGotoWaypoint", near, 1}}, GOOD, false, 0},
        {"cursor, hold icon", true, true, nearHold, {{"U_STEVRIN_vGotoWaypoint", nearHold, 1}}, GOOD, false, 0},
        {"last, plain icon", true, false, near, {{"U_STEVRIN_vGotoWaypoint", near, 0}}, SILENT, false, 0},
        {"last, hold icon", true, false, nearHold, {{"U_STEVRIN_vGotoWaypoint", nearHold, 1}}, SILENT, false, 0},
        {"cursor, too far", true, true, far, {}, BAD, true, 0},
        {"last, too far", true, false, far, {}, SILENT, true, 0},
        {"cursor, no motor", false, true, near, {}, GOOD, false, 1},
        {"last, no motor", false, false, near, {}, SILENT, false, 1},
        {"cursor, no waypoint", true, true, NONE, {}, BAD, true, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        T_NAV_vEndNavigationNow();
        boatAt(boat);
        setB("IPNE", r.motor);
        setU(r.fromCursor ? "ICWP" : "CLWC", r.id);
        notes();
        clicks();
        drain(MENU_BOX);
        if (r.fromCursor)
            T_NAV_vStayvaneCursorWaypoint();
        else
            T_NAV_vStayvaneLastWaypoint();
        EXPECT_EQ(motorCalls(), r.calls);
        EXPECT_EQ(clicks(), r.click);
        const auto n = notes();
        if (r.note)
            EXPECT_EQ(n, std::vector<std::string>{"Selected location is too far for Stevrin navigation"});
        else
            EXPECT_EQ(*u("INIP"), r.inip);
    }
}

TEST_F(NavGoTo, WithoutABoatPositionNothingIsCloseEnoughForTheMotor)
{
    setB("IPNE", true);
    const U16 near = addWaypoint(at(-400, -400), "NEAR");
    expire("ILAT");
    setU("ICWP", near);
    T_NAV_vStayvaneCursorWaypoint();
    EXPECT_TRUE(motorCalls().empty());
    EXPECT_EQ(clicks(), BAD);
}

// ---- Picked points ----

TEST_F(NavGoTo, APickedRouteStartTravelsForwardAndItsEndInReverse)
{
    const U16 route = addRoute({w[1], w[2], w[3]}, "R");
    const struct {
        const char* what;
        U32 startEnd;
        bool reverse;
        U16 firstDestination;
    } rows[] = {{"start", 1, false, w[1]}, {"end", 2, true, w[3]}, {"whole", 0, false, w[1]}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        T_NAV_vEndNavigationNow();
        clicks();
        ST_POINT_TYPE_INDEX pick = {};
        pick.nType = TWR_POINT_TYPE_ROUTE;
        pick.nIndex = route;
        pick.nRouteStartEnd = r.startEnd;
        T_NAV_vGoToPoint(&pick);
        EXPECT_EQ(*s("CCRT"), (S32)route);
        EXPECT_EQ((bool)s_bCurrentRouteIsInReverse, r.reverse);
        EXPECT_EQ(*u("IDWP"), r.firstDestination);
        EXPECT_EQ(clicks(), GOOD) << "the travel's own click";
        EXPECT_TRUE(signalled(SEMA_VIEW_UPDATE));
    }
}

TEST_F(NavGoTo, APickedPointWithTheMotorGoesToTheLinkAndOtherTypesAreRefused)
{
    const U16 route = addRoute({w[1], w[2]}, "R");
    RUMBREL track = {};
    track.nCount = 2;
    track.u32DateTime = T0;
    track.aTrackPoints[0] = at(-450, -450);
    track.aTrackPoints[1] = at(-450, 3000);
    const U16 nearTrack = T_NAV_u16RumbrelAdd(&track);
    track.aTrackPoints[0] = at(3000, 3000);
    const U16 farTrack = T_NAV_u16RumbrelAdd(&track);
    const U16 near = addWaypoint(at(-400, -400), "NEAR");

    auto pick = [](U32 type, U32 index, U32 routeEnd, U32 trackEnd) {
        ST_POINT_TYPE_INDEX p = {};
        p.nType = type;
        p.nIndex = index;
        p.nRouteStartEnd = routeEnd;
        p.nRumbrelStartEnd = trackEnd;
        return p;
    };
    const struct {
        const char* what;
        bool motor;
        ST_POINT_TYPE_INDEX p;
        std::vector<MotorCall> calls;
        Clicks click;
    } rows[] = {
        {"route start", true, pick(2, route, 1, 0), {{"U_STEVRIN_vFollowRoute", route, 0}}, GOOD},
        {"route end", true, pick(2, route, 2, 0), {{"U_STEVRIN_vFollowRoute", route, 1}}, GOOD},
        {"track start", true, pick(1, nearTrack, 0, 1), {{"U_STEVRIN_vFollowRumbrel", nearTrack, 1}}, GOOD},
        {"track end", true, pick(1, nearTrack, 0, 2), {{"U_STEVRIN_vFollowRumbrel", nearTrack, 0}}, GOOD},
        {"far track", true, pick(1, farTrack, 0, 1), {}, BAD},
        {"near waypoint", true, pick(0, near, 0, 0), {{"U_STEVRIN_vGotoWaypoint", near, 0}}, GOOD},
        {"far waypoint", true, pick(0, w[7], 0, 0), {}, BAD},
        {"type 3", true, pick(3, 0, 0, 0), {}, BAD},
        {"track without the motor", false, pick(1, nearTrack, 0, 1), {}, BAD},
        {"type 3 without the motor", false, pick(3, 0, 0, 0), {}, BAD},
    };
    for (auto r : rows) {
        SCOPED_TRACE(r.what);
        setB("IPNE", r.motor);
        clicks();
        T_NAV_vGoToPoint(&r.p);
        EXPECT_EQ(motorCalls(), r.calls);
        EXPECT_EQ(clicks(), r.click);
    }
    EXPECT_EQ(T_NAV_pGetRumbrelHeader(nearTrack)->u32ClosestTP, 0u) << "the closest point was computed";
    EXPECT_LT(T_NAV_pGetRumbrelHeader(nearTrack)->u32ClosestDTG, 100u);
}

TEST_F(NavGoTo, APickedWaypointWithoutTheMotorIsAGoTo)
{
    ST_POINT_TYPE_INDEX p = {};
    p.nType = TWR_POINT_TYPE_WPT;
    p.nIndex = w[5];
    T_NAV_vGoToPoint(&p);
    EXPECT_EQ(*u("IDWP"), w[5]);
    EXPECT_EQ(clicks(), GOOD);
}

// ---- Target and grid ----

TEST_F(NavGoTo, TargetAndGridReplaceEachOtherSilently)
{
    const struct {
        const char* what;
        bool target;     // set the target, else the grid
        bool otherIsSet; // the other one names a waypoint before
    } rows[] = {{"target alone", true, false},
                {"target over a grid", true, true},
                {"grid alone", false, false},
                {"grid over a target", false, true}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        SetUp();
        const char* key = r.target ? "ITWP" : "IGWP";
        const char* other = r.target ? "IGWP" : "ITWP";
        const std::string menu = r.target ? "Remove Target" : "Remove Grid";
        const std::string otherMenu = r.target ? "Remove Grid" : "Remove Target";
        if (r.otherIsSet) {
            r.target ? T_NAV_vAddWaypointGrid(w[4]) : T_NAV_vAddWaypointTarget(w[4]);
            menuLog();
            clicks();
        }
        r.target ? T_NAV_vAddWaypointTarget(w[2]) : T_NAV_vAddWaypointGrid(w[2]);
        EXPECT_EQ(*u(key), w[2]);
        EXPECT_EQ(*u(other), NONE);
        EXPECT_EQ(clicks(), r.otherIsSet ? SILENT : GOOD);
        std::map<std::string, int> want = {{"+" + menu, (int)NAV_VIEW_COUNT}};
        if (r.otherIsSet)
            want["-" + otherMenu] = (int)NAV_VIEW_COUNT;
        EXPECT_EQ(menuLog(), want);
    }
}

TEST_F(NavGoTo, TheCursorAndLastWaypointWrappersAndTheRemovals)
{
    setU("ICWP", w[1]);
    setU("CLWC", w[2]);
    T_NAV_vTargetCursorWaypoint();
    EXPECT_EQ(*u("ITWP"), w[1]);
    T_NAV_vGridLastWaypoint();
    EXPECT_EQ(*u("IGWP"), w[2]);
    EXPECT_EQ(*u("ITWP"), NONE);
    T_NAV_vTargetLastWaypoint();
    EXPECT_EQ(*u("ITWP"), w[2]);
    T_NAV_vGridCursorWaypoint();
    EXPECT_EQ(*u("IGWP"), w[1]);
    menuLog();
    clicks();

    T_NAV_vRemoveGrid();
    EXPECT_EQ(*u("IGWP"), NONE);
    EXPECT_EQ(clicks(), GOOD);
    EXPECT_EQ(menuLog(), (std::map<std::string, int>{{"-Remove Grid", (int)NAV_VIEW_COUNT}}));
}

TEST_F(NavGoTo, DeletingTheTargetedWaypointRemovesTheTargetAndItsMenu)
{
    T_NAV_vAddWaypointTarget(w[6]);
    menuLog();
    clicks();
    ASSERT_TRUE(T_NAV_bDeleteWaypoint(w[6], TRUE));
    EXPECT_EQ(*u("ITWP"), NONE);
    EXPECT_EQ(menuLog(), (std::map<std::string, int>{{"-Remove Target", (int)NAV_VIEW_COUNT}}));
    EXPECT_EQ(clicks(), SILENT);
}

} // namespace
