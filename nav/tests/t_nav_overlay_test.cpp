// The overlays: the chart overlay's order, locks and decisions with
// recording painters (duplicates, proximity flags, the travelled and
// highlighted route), the orientation mark, the mark position, the boat's
// icons, projections and markers, the highway compass and overlay, the
// sweep and radar overlays, and one chart and one highway picture with the
// real painters.
#include "nav/tests/nav_core_world.h"
#include "nav/tests/nav_pane.h"

#include "kernel/l_mutex.h"
#include "kernel/l_task.h"
#include "nav/core/g_nav_boat_icons.h"
#include "nav/core/neighbour_standins.h"
#include "nav/core/t_nav_alarm.h"
#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_route.h"
#include "nav/core/t_nav_stevrin.h"
#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_group_init.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_track.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace pane;

namespace {

// ---- Recording painters ----

std::mutex s_logLock;
std::vector<std::string> s_log;
std::vector<float> s_flagDistances;
bool s_bListProximity = false; // the waypoint recorder appends to the proximity list

void note(const std::string& s)
{
    std::lock_guard<std::mutex> g(s_logLock);
    s_log.push_back(s);
}

std::string b(BOOLEAN v)
{
    return v ? "1" : "0";
}

NAV_OVERLAY_RENDERERS recorders()
{
    NAV_OVERLAY_RENDERERS r{};
    r.pfnRenderAIS = [](ais_DeviceInfo* t, NAV_VIEW_INFO*, BOOLEAN bRadar) {
        note("ais " + std::to_string(t->aisInfo.MMSI) + " " + b(bRadar));
    };
    r.pfnRenderWaypointTarget = [](NAV_VIEW_INFO*, BOOLEAN bRadar) { note("target " + b(bRadar)); };
    r.pfnRenderWaypointGrid = [](NAV_VIEW_INFO*, BOOLEAN bRadar) { note("grid " + b(bRadar)); };
    r.pfnRenderPolyLineMM = [](POINT*, S32 n, NAV_VIEW_INFO*, BOOLEAN) { note("polyline " + std::to_string(n)); };
    r.pfnRenderAlarmLimits = [](NAV_VIEW_INFO*, BOOLEAN bRadar) { note("limits " + b(bRadar)); };
    r.pfnRenderRoute = [](ROUTE*, NAV_VIEW_INFO*, BOOLEAN bRadar) { note("route " + b(bRadar)); };
    r.pfnRenderTrack = [](TRACK*, NAV_VIEW_INFO*, BOOLEAN bCurrent, U32 style, U32 colour, BOOLEAN bRadar) {
        note("track " + b(bCurrent) + " " + std::to_string(style) + " " + std::to_string(colour) + " " + b(bRadar));
    };
    r.pfnRenderSavedRoute = [](ROUTE* p, NAV_VIEW_INFO*, BOOLEAN, BOOLEAN bHighlighted) {
        note("saved route " + std::string(p->sName, strnlen(p->sName, ROUTE_NAME_CHARS)) + " " + b(bHighlighted));
    };
    r.pfnRenderRouteForPopupWindow = [](ROUTE* p, NAV_VIEW_INFO*, BOOLEAN) {
        note("popup route " + std::string(p->sName, strnlen(p->sName, ROUTE_NAME_CHARS)));
    };
    r.pfnRenderWaypoint = [](S32 i, WAYPOINT*, NAV_VIEW_INFO*, S32 declutter, BOOLEAN bRadar, BOOLEAN bCheck) {
        note("wp " + std::to_string(i) + " " + (declutter == NAV_DECLUTTER_NONE ? "-" : std::to_string(declutter)) +
             " " + b(bRadar) + " " + b(bCheck));
        if (s_bListProximity && s_u32WPPCount < NAV_PROXIMITY_IDS)
            s_ProxTable[s_u32WPPCount++] = (S16)i;
    };
    r.pfnRenderRumbrel = [](RUMBREL* p, NAV_VIEW_INFO*, BOOLEAN bRadar, BOOLEAN bStart, BOOLEAN bEnd,
                            BOOLEAN bMoveCopy) {
        note("rumbrel " + std::string(p->sName, strnlen(p->sName, RUMBREL_NAME_CHARS)) + " " + b(bRadar) + b(bStart) +
             b(bEnd) + b(bMoveCopy));
    };
    r.pfnRenderMoveCopyRumbrelOffsetArrow = [](NAV_VIEW_INFO*, BOOLEAN) { note("move arrow"); };
    r.pfnRenderFTCRumbrel = [](NAV_VIEW_INFO*, BOOLEAN) { note("ftc"); };
    r.pfnRenderRecordingRumbrel = [](NAV_VIEW_INFO*, BOOLEAN) { note("recording"); };
    r.pfnRenderRouteToRumbrel = [](NAV_VIEW_INFO*, BOOLEAN) { note("route to rumbrel"); };
    r.pfnDrawProximityFlag = [](NAV_VIEW_INFO*, POINT*, float d) {
        note("flag");
        std::lock_guard<std::mutex> g(s_logLock);
        s_flagDistances.push_back(d);
    };
    r.pfnRenderCursorRumbrel = [](NAV_VIEW_INFO*, BOOLEAN bRadar) { note("cursor rumbrel " + b(bRadar)); };
    r.pfnRenderCursorWaypoint = [](NAV_VIEW_INFO*, BOOLEAN bRadar) { note("cursor wp " + b(bRadar)); };
    r.pfnRenderBoat = [](NAV_VIEW_INFO*) {
        note(std::string("boat") + (L_MUTEX_GetOwnerTaskID(RES_NAV_DATA) == TASK_MAINTHREAD ? " locked" : ""));
    };
    r.pfnRenderNupArrow = [](NAV_VIEW_INFO*) { note("nup"); };
    r.pfnRenderPerspectiveTrack = [](TRACK*, NAV_VIEW_INFO*, BOOLEAN bCurrent, U32, U32) {
        note("p track " + b(bCurrent));
    };
    r.pfnRenderPerspectiveAis = [](ais_DeviceInfo*, NAV_VIEW_INFO*) { note("p ais"); };
    r.pfnRenderPerspectiveRumbrel = [](NAV_VIEW_INFO*, RUMBREL*, int s, int e, U32 c, U32, BOOLEAN, BOOLEAN) {
        note("p rumbrel " + std::to_string(s) + ".." + std::to_string(e) + " " + std::to_string(c));
    };
    r.pfnRenderPerspectivePolyLineMM = [](POINT*, S32 n, NAV_VIEW_INFO*) { note("p polyline " + std::to_string(n)); };
    r.pfnRenderPerspectiveSkipedLeg = [](ROUTE*, NAV_VIEW_INFO*) { note("p skipped"); };
    r.pfnRenderPerspectiveBoat = [](NAV_VIEW_INFO*) { note("p boat"); };
    return r;
}

std::vector<std::string> takeLog()
{
    std::lock_guard<std::mutex> g(s_logLock);
    std::vector<std::string> out;
    out.swap(s_log);
    return out;
}

std::vector<std::string> only(const std::vector<std::string>& log, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& s : log)
        if (s.rfind(prefix, 0) == 0)
            out.push_back(s);
    return out;
}

void setS32(const char (&key)[5], S32 v)
{
    H_DATABASE_bUpdateValueS32(FCID(key), v, P_NORMAL);
}

ROUTE& route(U32 slot, const char* name, std::vector<U16> points, bool bHide = false)
{
    ROUTE* r = T_NAV_pGetRoute(slot);
    *r = ROUTE{};
    r->nCount = (U32)points.size();
    r->bHide = bHide ? 1 : 0;
    r->u32DateTime = 100 + slot;
    memcpy(r->sName, name, strlen(name));
    for (size_t i = 0; i < points.size(); ++i)
        r->anWaypoint[i] = points[i];
    return *r;
}

class Overlays : public Painters {
protected:
    void SetUp() override
    {
        Painters::SetUp();
        navw::publishNeighbourMailboxes();
        T_NAV_ALARM_vInit();
        NAV_STANDIN_vSetAisTargets({});
        g_tNavOverlayRenderers = recorders();
        takeLog();
        s_flagDistances.clear();
        s_bListProximity = false;
        s_u32MoveCopyRumbrelId = NAV_NO_MOVE_COPY_RUMBREL;
        s_tMoveCopyRumbrel = RUMBREL{};
        s_tContourRumbrel = RUMBREL{};
        s_tNavRumbrelData = ST_NAV_RUMBREL_DATA{};
        s_tNavRumbrelData.u16wpt = 0xFFFF;
        for (U32 i = 0; i < NAV_RUMBREL_SLOTS; ++i)
            *T_NAV_pGetRumbrel(i) = RUMBREL{};
    }
    void TearDown() override
    {
        g_tNavOverlayRenderers = g_ctNavDefaultOverlayRenderers;
        s_tNavRumbrelData = ST_NAV_RUMBREL_DATA{};
        Painters::TearDown();
    }
    static void rehash()
    {
        T_NAV_TWR_vHashWaypoints();
        T_NAV_TWR_vDuplicateWaypointsScan();
    }
};

// ---- The chart overlay ----

TEST_F(Overlays, TheChartOverlayDrawsInItsFixedOrderWithTheBoatOutsideTheDataLock)
{
    Pane p;
    std::vector<ais_DeviceInfo> pool(2);
    pool[0].aisInfo.MMSI = 111;
    pool[1].aisInfo.MMSI = 222;
    NAV_STANDIN_vSetAisTargets(pool);
    setBool("SAIS", true);
    setBool("ICAC", false);
    setU32("SNCP", 3);
    setU32("SNCC", 9);
    place(0, p.mm(10, 0), "A", WP_STATUS_TEMPORARY);
    place(1, p.mm(20, 0), "Hold", WP_STATUS_TEMPORARY);
    place(2, p.mm(30, 0), "B", WP_STATUS_TEMPORARY);
    rehash();
    setU32("IPSL", 1);
    T_NAV_TWR_pGetDeclutterWaypointTable(FALSE)[2] = 160; // passed through
    T_NAV_TWR_pGetDeclutterWaypointTable(TRUE)[2] = 170;
    setS32("CCRT", -1);
    route(0, "R0", {0, 2});
    route(1, "Hidden", {0, 2}, true);
    route(3, "R3", {2, 0});
    RUMBREL* r = T_NAV_pGetRumbrel(4);
    r->nCount = 2;
    r->u32Visible = 1;
    memcpy(r->sName, "T4", 2);
    setBool("SIUF", true);
    setBool("SNUP", true);
    setU32("SCOR", 0);

    T_NAV_vDrawChartOverlay(&p.nvi, TRUE, FALSE);

    const std::vector<std::string> expected = {
        "ais 111 0", "ais 222 0", "target 0", "grid 0", "limits 0", "route 0", "track 1 3 9 0",
        "saved route R0 0", "saved route R3 0", "route 0",
        "wp 0 - 0 1", "wp 2 160 0 1",
        "rumbrel T4 0110",
        "wp 1 - 0 0",
        "cursor rumbrel 0", "cursor wp 0", "boat", "nup"};
    EXPECT_EQ(takeLog(), expected);
}

std::atomic<int> s_aisHolder{0}; // 1 held, 2 released
std::atomic<bool> s_releaseAis{false};
void aisHoldingTask()
{
    L_MUTEX_LockWait(RES_AIS_TARGETS);
    s_aisHolder = 1;
    while (!s_releaseAis.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    L_MUTEX_Unlock(RES_AIS_TARGETS);
    s_aisHolder = 2;
    L_TASK_Terminate(0);
}

TEST_F(Overlays, HiddenAISStillTakesAndReleasesTheTargetLock)
{
    Pane p;
    std::vector<ais_DeviceInfo> pool(1);
    NAV_STANDIN_vSetAisTargets(pool);
    setBool("SAIS", false);

    // Another task holds the targets: the pass waits for them before it
    // draws anything after the AIS step.
    const TASK_PARAM param = {16384, 98, aisHoldingTask};
    ASSERT_EQ(L_TASK_SetParams(62, &param), 0);
    ASSERT_EQ(L_TASK_Start(62), 0);
    while (s_aisHolder.load() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::atomic<bool> bDone{false};
    std::thread pass([&] {
        T_NAV_vDrawChartOverlay(&p.nvi, FALSE, FALSE);
        bDone = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(bDone.load());
    EXPECT_TRUE(only(takeLog(), "target").empty()) << "the pass went on without the lock";
    s_releaseAis = true;
    pass.join();
    const auto log = takeLog();
    EXPECT_TRUE(only(log, "ais").empty());
    EXPECT_EQ(only(log, "target").size(), 1u);
    EXPECT_EQ(L_MUTEX_GetOwnerTaskID(RES_AIS_TARGETS), 0) << "released";
    EXPECT_EQ(L_MUTEX_GetOwnerTaskID(RES_NAV_DATA), 0) << "released";
}

TEST_F(Overlays, ARouteTravelledAndStartingAtTheCursorWaypointIsDrawnActiveAndHighlighted)
{
    Pane p;
    place(0, p.mm(10, 0), "A", WP_STATUS_TEMPORARY);
    place(1, p.mm(20, 0), "B", WP_STATUS_TEMPORARY);
    rehash();
    route(0, "Other", {1, 0});
    route(2, "Travelled", {0, 1});
    setS32("CCRT", 2);
    setS32("ICWP", 0);
    T_NAV_vDrawChartOverlay(&p.nvi, FALSE, FALSE);
    const auto log = takeLog();
    EXPECT_EQ(only(log, "saved route"),
              (std::vector<std::string>{"saved route Other 0", "saved route Travelled 1"}));
    EXPECT_EQ(only(log, "route 0").size(), 2u) << "the travelled route before and after the saved routes";
}

// Twelve listed waypoints 100 .. 1200 m east of the centre; the boat 5 km
// north. Only the ten nearest get flags, drawn farthest first.
TEST_F(Overlays, TheTenNearestListedWaypointsGetFlagsTheNearestDrawnLast)
{
    struct Case {
        bool bCursor;
        const char* what;
    };
    for (const Case c : {Case{true, "centre"}, Case{false, "boat"}}) {
        SCOPED_TRACE(c.what);
        Pane p;
        p.nvi.ptBoatMM = p.mm(0, 5000);
        T_NAV_TWR_vClearTables();
        for (U16 i = 0; i < 12; ++i)
            place(i, p.mm(100 * (12 - i), 0), "W", WP_STATUS_TEMPORARY);
        rehash();
        setBool("ICAC", c.bCursor);
        s_bListProximity = true;
        s_flagDistances.clear();
        T_NAV_vDrawChartOverlay(&p.nvi, FALSE, FALSE);
        ASSERT_EQ(s_flagDistances.size(), 10u);
        EXPECT_EQ(s_u32WPPCount, 10u);
        for (size_t i = 0; i < 10; ++i) {
            const float east = 100.0f * (10 - i);
            const float expected = c.bCursor ? east : std::hypot(east, 5000.0f);
            EXPECT_NEAR(s_flagDistances[i], expected, expected * 0.01f) << i;
        }
        EXPECT_LT(s_flagDistances.back(), s_flagDistances.front());
    }
}

// A duplicate whose twin is permanent and in no visible group is drawn
// without the duplicate check, on all three panes; the next waypoint is
// checked again.
TEST_F(Overlays, ADuplicateWhoseTwinIsHiddenByGroupsSkipsTheCheckOnEveryPane)
{
    Pane p;
    place(0, p.mm(10, 0), "Same", WP_STATUS_PERMANENT);
    place(1, p.mm(10, 0), "Same", WP_STATUS_TEMPORARY);
    place(2, p.mm(40, 0), "Next", WP_STATUS_TEMPORARY);
    rehash();
    ASSERT_TRUE(T_NAV_TWR_bIsDuplicateWaypoint(1));
    ASSERT_FALSE(T_NAV_GROUP_DATA_bIsInAnyVisibleGroup(0));

    T_NAV_vDrawChartOverlay(&p.nvi, FALSE, FALSE);
    EXPECT_EQ(only(takeLog(), "wp"), (std::vector<std::string>{"wp 1 - 0 0", "wp 2 - 0 1"}))
        << "the twin itself is a local permanent waypoint outside every visible group";
    T_NAV_vDrawRadarOverlay(&p.nvi, FALSE, FALSE);
    EXPECT_EQ(only(takeLog(), "wp"), (std::vector<std::string>{"wp 0 - 1 1", "wp 1 - 1 0", "wp 2 - 1 1"}));
    T_NAV_vDrawSweepOverlay(&p.nvi, FALSE, FALSE);
    EXPECT_EQ(only(takeLog(), "wp"), (std::vector<std::string>{"wp 0 - 1 1", "wp 1 - 1 0", "wp 2 - 1 1"}));

    // A temporary twin keeps the check.
    T_NAV_pGetWaypoint(0)->u8Status = WP_STATUS_TEMPORARY;
    T_NAV_vDrawChartOverlay(&p.nvi, FALSE, FALSE);
    EXPECT_EQ(only(takeLog(), "wp"), (std::vector<std::string>{"wp 0 - 0 1", "wp 1 - 0 1", "wp 2 - 0 1"}));
}

TEST_F(Overlays, TheTrollingMotorTracksAreDrawnByTypeOnlyOnceARemoteWasConnected)
{
    Pane p;
    RUMBREL nav{};
    nav.nCount = 3;
    s_tNavRumbrelData.pRumbrel = &nav;
    struct Case {
        RUMBREL_TYPE eType;
        U16 wpt;
        const char* expected; // "" none
    };
    const Case cases[] = {
        {RUMBREL_TYPE_FTC, 0xFFFF, "ftc"},
        {RUMBREL_TYPE_RECORDING, 0xFFFF, "recording"},
        {RUMBREL_TYPE_REGULAR, 5, "route to rumbrel"},
        {RUMBREL_TYPE_REGULAR, 0xFFFF, ""},
        {RUMBREL_TYPE_BACKTRACK, 5, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        s_tNavRumbrelData.eRumbrelType = c.eType;
        s_tNavRumbrelData.u16wpt = c.wpt;
        setBool("SIUF", true);
        T_NAV_vDrawChartOverlay(&p.nvi, FALSE, FALSE);
        auto log = takeLog();
        const size_t n = only(log, "ftc").size() + only(log, "recording").size() + only(log, "route to").size();
        EXPECT_EQ(n, c.expected[0] ? 1u : 0u);
        if (c.expected[0]) {
            EXPECT_EQ(only(log, c.expected).size(), 1u);
        }
        setBool("SIUF", false);
        T_NAV_vDrawChartOverlay(&p.nvi, FALSE, FALSE);
        log = takeLog();
        EXPECT_EQ(only(log, "ftc").size() + only(log, "recording").size() + only(log, "route to").size(), 0u);
    }
    s_tNavRumbrelData.pRumbrel = nullptr;
}

// ---- Orientation mark ----

struct OrientationCase {
    U32 u32Orientation;
    bool bCompassValid;
    LAYER_ID view;
    const char* text; // nullptr: no label
};

TEST_F(Overlays, TheOrientationLabelFollowsTheSettingAndSitsAtTheChartPanesRightEdge)
{
    g_tNavOverlayRenderers.pfnRenderNupArrow = [](NAV_VIEW_INFO*) {};
    g_tNavOverlayRenderers.pfnRenderBoat = [](NAV_VIEW_INFO*) {};
    const OrientationCase cases[] = {
        {0, true, CHART_VIEW_PRIORITY, "N-up"},
        {1, true, CHART_VIEW_PRIORITY, "H-up"},
        {1, false, CHART_VIEW_PRIORITY, "COG"},
        {2, false, RADAR_PLUS_CHART_VIEW_PRIORITY, "C-up"},
        {0, false, SONAR_PPI_PLUS_CHART_VIEW_PRIORITY, "N-up"},
        {3, true, CHART_VIEW_PRIORITY, nullptr},
    };
    const S32 w = (S32)G_ICON_u32GetWidth(&NupBox);
    const S32 h = (S32)G_ICON_u32GetHeight(&NupBox);
    for (const OrientationCase& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "none");
        Pane p(POINT{0, EXACT_Y}, PX_PER_M_1, 12, 0, 400, 300);
        setBool("SNUP", true);
        setU32("SCOR", c.u32Orientation);
        setFloat("IHDC", 10.0f);
        if (!c.bCompassValid)
            H_DATABASE_vRelinquishOwnership(FCID("IHDC"));
        setS32("CVEW", c.view);
        T_NAV_vDrawChartOverlay(&p.nvi, FALSE, FALSE);

        Pane q(POINT{0, EXACT_Y}, PX_PER_M_1, 12, 0, 400, 300);
        if (c.text) {
            const bool bSplit = c.view != CHART_VIEW_PRIORITY;
            POINT at = {bSplit ? 400 - w - 4 : 796 - w, 126 + h / 2 - 6};
            G_STRING_vPut(q.bitmap(), entry(32), &at, labelFont(), (const BYTE*)c.text);
        }
        EXPECT_EQ(p.drawn(), q.drawn());
    }
}

TEST_F(Overlays, TheOrientationBoxSitsTenPixelsInsideASplitChartPane)
{
    for (LAYER_ID view : {CHART_VIEW_PRIORITY, RADAR_PLUS_CHART_VIEW_PRIORITY, SONAR_PPI_PLUS_CHART_VIEW_PRIORITY}) {
        SCOPED_TRACE(view);
        setS32("CVEW", view);
        Pane p(POINT{0, EXACT_Y}, PX_PER_M_1, 12, 0, 800, 600);
        p.nvi.nWindowWidth = 400;
        T_NAV_vRenderNupArrow(&p.nvi);
        const gt::PixelSet drawn = p.drawn();
        ASSERT_FALSE(drawn.empty());
        S32 minX = 10000, maxX = -1;
        for (const auto& px : drawn) {
            minX = std::min<S32>(minX, px.first);
            maxX = std::max<S32>(maxX, px.first);
        }
        const S32 w = (S32)G_ICON_u32GetWidth(&NupBox);
        EXPECT_EQ(minX, view == CHART_VIEW_PRIORITY ? 790 - w : 400 - 10 - w);
        EXPECT_GE(maxX, minX + w - 1);
    }
}

// ---- The mark position ----

TEST_F(Overlays, AMarkWithoutAFixOrCursorIsRefusedWithTheFixError)
{
    navw::alarmMails();
    for (SEMA sema : {(SEMA)102, (SEMA)103})
        L_SEMA_SetPending(sema);
    setBool("ICAC", false);
    POINT pt{1, 2};
    EXPECT_FALSE(T_NAV_vGetPosBeforeMark(&pt));
    EXPECT_TRUE(navw::signalled(SEMA_KEYCLICK_BAD));
    EXPECT_EQ(navw::lastRaise(navw::alarmMails(), NAV_UI_ALARM).text, "GPS Fix required for this operation");
    EXPECT_FALSE(T_NAV_vGetPosBeforeMark(nullptr));

    setS32("ILAT", 700);
    setS32("ILON", -300);
    ASSERT_TRUE(T_NAV_vGetPosBeforeMark(&pt));
    EXPECT_EQ(pt.x, -300);
    EXPECT_EQ(pt.y, 700);

    // The cursor in a chart view; a view with no cursor of its own refuses.
    setBool("ICAC", true);
    setS32("ICLT", 50);
    setS32("ICLN", 60);
    setS32("CVEW", CHART_VIEW_PRIORITY);
    ASSERT_TRUE(T_NAV_vGetPosBeforeMark(&pt));
    EXPECT_EQ(pt.x, 60);
    EXPECT_EQ(pt.y, 50);
    setS32("CVEW", CHART_PLUS_2D_VIEW_PRIORITY);
    setS32("CVAS", SPLIT_LEFT_WINDOW);
    EXPECT_FALSE(T_NAV_vGetPosBeforeMark(&pt));
    EXPECT_TRUE(navw::signalled(SEMA_KEYCLICK_BAD));
    setS32("CVAS", SPLIT_RIGHT_WINDOW);
    EXPECT_TRUE(T_NAV_vGetPosBeforeMark(&pt));

    // A sonar cursor view needs a valid sonar cursor with its depth.
    T_NAV_vSetSonarCursorViewTest([](LAYER_ID view, SPLIT_WINDOW_TYPE) -> BOOLEAN { return view == 10 ? TRUE : FALSE; });
    setS32("CVEW", 10);
    setBool("ICLV", false);
    setFloat("ICDP", 3.0f);
    EXPECT_FALSE(T_NAV_vGetPosBeforeMark(&pt));
    setBool("ICLV", true);
    EXPECT_TRUE(T_NAV_vGetPosBeforeMark(&pt));
    setS32("CVEW", 11);
    EXPECT_FALSE(T_NAV_vGetPosBeforeMark(&pt));
    T_NAV_vSetSonarCursorViewTest(nullptr);
}

// ---- The boat ----

TEST(BoatIcons, TheHeadingPicksAPictureAndItsQuarterTurns)
{
    struct Case {
        float fHeading;
        U32 icon;
        U32 turns;
    };
    const Case cases[] = {{95.0f, 1, 1}, {356.0f, 0, 0}, {0.0f, 0, 0},   {84.0f, 8, 0},
                          {85.0f, 0, 1}, {175.0f, 0, 2}, {270.0f, 0, 3}, {354.0f, 8, 3}};
    for (const Case& c : cases) {
        U32 icon = 99, turns = 99;
        T_NAV_vBoatIconOfHeading(c.fHeading, &icon, &turns);
        EXPECT_EQ(icon, c.icon) << c.fHeading;
        EXPECT_EQ(turns, c.turns) << c.fHeading;
    }
}

class Boat : public Overlays {
protected:
    void SetUp() override
    {
        Overlays::SetUp();
        g_tNavOverlayRenderers = g_ctNavDefaultOverlayRenderers;
        setU32("SCCP", 2);
        setU32("SCOR", 0);
    }
};

TEST_F(Boat, BelowWalkingPaceAnOrdinaryReceiverShowsTheStationaryIconAndACompassTurnsTheIcon)
{
    setFloat("ISOG", 0.2f);
    setU32("GPSC", 1);
    Pane p;
    p.nvi.fBoatHeading = 95.0f;
    T_NAV_vRenderBoat(&p.nvi);
    Pane q;
    const POINT B = q.nvi.CenterOffset;
    POINT at = {B.x - 16 / 2 - 1, B.y - 16 / 2};
    G_ICON_vPut(q.bitmap(), &boat_icon_stationary, &at);
    EXPECT_EQ(p.drawn(), q.drawn()) << "the icon alone: no projection line";

    setU32("GPSC", GPS_TYPE_COMPASS);
    setFloat("IHDC", 95.0f);
    Pane c;
    c.nvi.fBoatHeading = 200.0f; // the compass wins
    T_NAV_vRenderBoat(&c.nvi);
    Pane e;
    const ICON* icon = g_NAV_BoatIcons[1];
    POINT a = {B.x - icon->nHeight / 2, B.y + icon->nWidth / 2 - 1};
    G_ICON_vPutRotated(e.bitmap(), icon, &a, G_ICON_ROTATE_90);
    EXPECT_EQ(c.drawn(), e.drawn());
}

TEST_F(Boat, TheIconSizeFollowsTheScale)
{
    setFloat("ISOG", 3.0f);
    setU32("SCCP", 0);
    struct Case {
        S32 scale;
        const ICON* icon;
    };
    for (const Case c : {Case{13, g_NAV_BoatIcons[0]}, Case{14, g_NAV_BoatIconsMedium[0]},
                         Case{21, g_NAV_BoatIconsMedium[0]}, Case{22, g_NAV_BoatIconsSmall[0]}}) {
        Pane p(POINT{0, EXACT_Y}, PX_PER_M_1 >> (c.scale - 12), c.scale);
        T_NAV_vRenderBoat(&p.nvi);
        Pane q;
        const POINT B = q.nvi.CenterOffset;
        POINT at = {B.x + 1 - c.icon->nWidth / 2, B.y - c.icon->nHeight / 2};
        G_ICON_vPut(q.bitmap(), c.icon, &at);
        EXPECT_EQ(p.drawn(), q.drawn()) << c.scale;
    }
}

TEST_F(Boat, ABoatOutsideTheBoxDrawsOnlyTheCursorLineTowardIt)
{
    setFloat("ISOG", 3.0f);
    Pane p;
    p.nvi.ptBoatMM = p.mm(5000, 0); // 5000 pixels east
    T_NAV_vRenderBoat(&p.nvi);
    EXPECT_TRUE(p.drawn().empty());
    p.nvi.bCursorActive = TRUE;
    T_NAV_vRenderBoat(&p.nvi);
    EXPECT_EQ(p.count(AHEAD), p.drawn().size()) << "only the cursor line's colour";
    EXPECT_EQ(p.at(799, 300), AHEAD);
    EXPECT_EQ(p.at(400, 300), AHEAD);
    EXPECT_NE(p.at(400, 302), AHEAD);
}

TEST_F(Boat, MarkersAtAScaleOfSevenOrLessStandOnTheBoat)
{
    setFloat("ISOG", 3.0f);
    setU32("SCCP", 3);
    const COLOR tick = 0x07FF; // a colour nothing else on the pane has
    COLOR saved = 0;
    COLOR_vFetchColorTableSection(32, 1, &saved);
    COLOR_vSetColorTableSection(32, 1, &tick);
    struct Restore {
        COLOR c;
        ~Restore() { COLOR_vSetColorTableSection(32, 1, &c); }
    } restore{saved};
    for (S32 scale : {7, 12}) {
        Pane p(POINT{0, EXACT_Y}, PX_PER_M_1 / 8, scale);
        p.nvi.fBoatHeading = 0.0f;
        T_NAV_vRenderBoat(&p.nvi);
        S32 far = 0;
        for (const auto& px : p.drawn())
            if (p.at(px.first, px.second) == tick)
                far = std::max<S32>(far, std::abs(px.second - 300));
        if (scale == 7)
            EXPECT_LE(far, 2) << "every tick crosses the boat";
        else
            EXPECT_GT(far, 10) << "ticks stand ahead of the boat";
    }
}

TEST(BoatMarkers, TimesAndDistancesOfTheMarkers)
{
    navt::unitRoot();
    H_DATABASE_vInit();
    U_CONVERT_vInitialiseConversionUtility();
    char text[16];
    // 1 statute mile at 1 m/s: 26.8 minutes.
    T_NAV_vFormatMarkerTime(1.0f, 1.0f, text, sizeof text);
    EXPECT_STREQ(text, "26.8");
    T_NAV_vFormatMarkerTime(1.0f, 0.0f, text, sizeof text);
    EXPECT_STREQ(text, "0.0");
    // 1400 minutes at 0.3 m/s: 15.66 miles.
    T_NAV_vFormatMarkerTime(15.7f, 0.3f, text, sizeof text);
    EXPECT_STREQ(text, ">1 Day");
    T_NAV_vFormatMarkerTime(15.6f, 0.3f, text, sizeof text);
    EXPECT_STREQ(text, "1394.8");
    T_NAV_vFormatMarkerTime(4 * 500.0f, 3.0f, text, sizeof text);
    EXPECT_STREQ(text, ">1 Day");

    struct Case {
        U32 units;
        float d;
        float step;
        const char* value;
        const char* unit;
    };
    const Case cases[] = {
        {U_STAT_MILES, 0.0625f, 0.0625f, "330", "ft"}, {U_STAT_MILES, 2.0f, 1.0f, "2.0", "sm"},
        {U_NAUT_MILES, 2.0f, 1.0f, "1.7", "nm"},       {U_NAUT_MILES_FT, 0.0625f, 0.0625f, "330", "ft"},
        {U_KM, 0.0625f, 0.0625f, "101", "m"},          {U_KM, 60.0f, 15.0f, "97", "km"},
        {U_NAUT_MILES_M, 0.0625f, 0.0625f, "101", "m"}, {99, 3.0f, 1.0f, "3.0", "Unknown"},
    };
    for (const Case& c : cases) {
        H_DATABASE_bUpdateValueU32(FCID("SUDS"), c.units, P_NORMAL);
        const char* unit = nullptr;
        T_NAV_vFormatMarkerDistance(c.d, c.step, text, sizeof text, &unit);
        EXPECT_STREQ(text, c.value) << c.units;
        EXPECT_STREQ(unit, c.unit) << c.units;
    }
}

// ---- The highway compass and overlay ----

class Highway : public Overlays {
protected:
    void SetUp() override
    {
        Overlays::SetUp();
        g_tNavOverlayRenderers = g_ctNavDefaultOverlayRenderers;
        p.nvi.nChartScale = 12;
        p.nvi.nEyeOffsetMM = T_CHART_nCalculateHighwayEyeOffsetMM(12);
        p.nvi.nPixelsPerMMM = T_CHART_nCalculateHighwayPixelsPerMMM(12);
        p.nvi.nHorizonMM = 4 * p.nvi.nEyeOffsetMM;
        p.nvi.CenterOffset = {400, 450};
    }
    Pane p;
};

TEST_F(Highway, AtHeadingZeroThePostsRunFrom320To40WithTheNorthLetter)
{
    NAV_COMPASS_POST posts[NAV_COMPASS_POSTS];
    T_NAV_vHighwayCompassPosts(&p.nvi, posts);
    std::vector<std::string> labels;
    for (U32 i = 0; i < NAV_COMPASS_POSTS; ++i) {
        EXPECT_EQ(posts[i].nLabelAngle, (320 + 5 * (S32)i) % 360);
        EXPECT_EQ(posts[i].nTrueBearing, posts[i].nLabelAngle);
        if (posts[i].bLarge)
            labels.push_back(posts[i].acLabel);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"330", "345", "N", "015", "030"}));
    EXPECT_TRUE(posts[8].bVisible) << "the post ahead";
    EXPECT_FALSE(posts[0].bVisible) << "40 degrees off lies outside the side lines";

    // Magnetic with 10 degrees east: labels in magnetic, posts at true.
    setU32("SUHD", U_DEG_MAGNETIC);
    setFloat("IMGV", 10.0f);
    p.nvi.fHeading = 10.0f;
    T_NAV_vHighwayCompassPosts(&p.nvi, posts);
    EXPECT_EQ(posts[8].nLabelAngle, 0);
    EXPECT_STREQ(posts[8].acLabel, "N");
    EXPECT_EQ(posts[8].nTrueBearing, 10);
    EXPECT_EQ(posts[0].nLabelAngle, 320);
    EXPECT_EQ(posts[0].nTrueBearing, 330);
}

TEST_F(Highway, HiddenWaypointsShowInPerspectiveOnlyWhileTemporary)
{
    const S32 E = p.nvi.nEyeOffsetMM;
    place(0, p.mm(0, E), "HidPerm", WP_STATUS_PERMANENT).bHide = 1;
    place(1, p.mm(0, E), "HidTemp", WP_STATUS_TEMPORARY).bHide = 1;
    place(2, p.mm(0, E), "Temp", WP_STATUS_TEMPORARY);
    place(3, p.mm(0, -10 * E), "Behind", WP_STATUS_TEMPORARY);
    place(4, p.mm(0, E), "NoGroup", WP_STATUS_PERMANENT);
    rehash();
    NAV_STANDIN_vForgetDrawing();
    T_NAV_vDrawHighwayOverlay(&p.nvi);
    std::vector<std::string> names;
    for (const auto& n : NAV_STANDIN_vNamesDrawn())
        names.push_back(n.sText);
    EXPECT_EQ(names, (std::vector<std::string>{"HidTemp", "Temp"}));
}

TEST_F(Highway, NoArrivalCircleOrCorridorWhileAManOverboardWaypointExists)
{
    const S32 E = p.nvi.nEyeOffsetMM;
    place(0, p.mm(0, -E / 4), "From", WP_STATUS_TEMPORARY);
    place(1, p.mm(0, 2 * E), "To", WP_STATUS_TEMPORARY);
    rehash();
    s_CurrentRoute.nCount = 2;
    s_CurrentRoute.anWaypoint[0] = 0;
    s_CurrentRoute.anWaypoint[1] = 1;
    setU32("INIP", 1);
    setFloat("SNAO", 10.0f);
    setFloat("SNAA", 10.0f);
    setBool("CCNC", false);
    T_NAV_vDrawHighwayOverlay(&p.nvi);
    EXPECT_GT(p.count(FINAL), 50u) << "circle and corridor in the limits' colour";

    Pane q = Pane();
    q.nvi = p.nvi;
    q.nvi.pBitmap = q.bitmap();
    gr_InitGC(&q.nvi.GrContext, PIXELDIM{800, 600}, (VSCREENPTR)q.bitmap()->pBuffer);
    s_u16MOBWaypoint = 1;
    T_NAV_vDrawHighwayOverlay(&q.nvi);
    EXPECT_EQ(q.count(FINAL), 0u);
    s_u16MOBWaypoint = NAV_NO_MOB_WAYPOINT;
}

TEST_F(Highway, TheOverlayHoldsTheDataLockUntilTheBoat)
{
    g_tNavOverlayRenderers = recorders();
    g_tNavOverlayRenderers.pfnRenderPerspectiveBoat = [](NAV_VIEW_INFO*) {
        note(std::string("p boat") + (L_MUTEX_GetOwnerTaskID(RES_NAV_DATA) == TASK_MAINTHREAD ? " locked" : ""));
    };
    g_tNavOverlayRenderers.pfnRenderPerspectiveTrack = [](TRACK*, NAV_VIEW_INFO*, BOOLEAN bCurrent, U32, U32) {
        note(std::string("p track ") + (bCurrent ? "1" : "0") +
             (L_MUTEX_GetOwnerTaskID(RES_NAV_DATA) == TASK_MAINTHREAD ? " locked" : ""));
    };
    T_NAV_vDrawHighwayOverlay(&p.nvi);
    const auto log = takeLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "p boat");
    EXPECT_EQ(only(log, "p track"), (std::vector<std::string>{"p track 1 locked"}));
}

// ---- Sweep and radar ----

TEST_F(Overlays, OnRadarThePositionHoldWaypointNeedsAConnectedRemote)
{
    Pane p;
    place(0, p.mm(10, 0), "A", WP_STATUS_TEMPORARY);
    place(1, p.mm(20, 0), "Hold", WP_STATUS_TEMPORARY);
    rehash();
    setU32("IPSL", 1);
    for (bool bRemote : {false, true}) {
        setBool("SIUF", bRemote);
        T_NAV_vDrawRadarOverlay(&p.nvi, TRUE, FALSE);
        const auto log = takeLog();
        std::vector<std::string> expected = {"wp 0 - 1 1"};
        if (bRemote)
            expected.push_back("wp 1 - 1 0");
        EXPECT_EQ(only(log, "wp"), expected) << bRemote;
        EXPECT_EQ(only(log, "cursor"), (std::vector<std::string>{"cursor rumbrel 1", "cursor wp 1"}));
        EXPECT_EQ(log.front(), "target 1");
    }
}

TEST_F(Overlays, TheRadarAisOverlayTakesTheLockAndDrawsOnlyWhenShown)
{
    Pane p;
    std::vector<ais_DeviceInfo> pool(2);
    pool[0].aisInfo.MMSI = 5;
    pool[1].aisInfo.MMSI = 6;
    NAV_STANDIN_vSetAisTargets(pool);
    setBool("SAIS", true);
    T_NAV_vDrawRadarAisOverlay(&p.nvi);
    EXPECT_EQ(takeLog(), (std::vector<std::string>{"ais 5 1", "ais 6 1"}));
    setBool("SAIS", false);
    T_NAV_vDrawRadarAisOverlay(&p.nvi);
    EXPECT_TRUE(takeLog().empty());
}

TEST(RadarDistance, EqualPointsAreZeroApartAndAKilometreIsAKilometre)
{
    U_CONVERT_vInitialiseConversionUtility();
    const POINT a = {100000, 6000000};
    EXPECT_EQ(T_NAV_fRadarDistanceBetweenPoints(&a, &a), 0.0f);
    POSITION pos;
    nv_MeterToDegr(&a, &pos);
    pos.lat += 1.0 / 60.0; // one nautical mile north
    POINT c;
    nv_DegrToMeter(&pos, &c);
    EXPECT_NEAR(T_NAV_fRadarDistanceBetweenPoints(&a, &c), 1852.0f, 10.0f);
}

// ---- Pictures with the real painters ----

TEST_F(Overlays, AChartPaneLooksRight)
{
    g_tNavOverlayRenderers = g_ctNavDefaultOverlayRenderers;
    setU32("SUDS", U_KM);
    setBool("SNWP", true);
    setFloat("ISPD", 2.0f);
    setFloat("ISOG", 2.0f);
    setU32("SCCP", 3);
    setU32("SCOR", 0);
    setBool("SNUP", true);
    setBool("ICAC", false);
    setBool("SCTV", true);
    setU32("SNCP", TRACK_STYLE_WIDE_LINE);
    setU32("SNCC", 7);
    Pane p(POINT{0, EXACT_Y}, PX_PER_M_1 / 2, 12);
    p.nvi.ptBoatMM = p.mm(-300, -250);
    p.nvi.fBoatHeading = 45.0f;
    place(0, p.mm(-150, -100), "Start", WP_STATUS_PERMANENT);
    place(1, p.mm(150, 50), "Point", WP_STATUS_TEMPORARY);
    place(2, p.mm(300, 300), "Reef", WP_STATUS_TEMPORARY);
    place(3, p.mm(-400, 250), "Stump", WP_STATUS_TEMPORARY);
    rehash();
    route(0, "Loop", {3, 1});
    U_NAV_vClearTrack(&s_CurrentTrack);
    for (S32 i = 0; i < 6; ++i)
        U_NAV_vAddTrackPoint(&s_CurrentTrack, p.mm(-600 + 60 * i, -500 + 50 * i + (i % 2) * 20), 0, FALSE);
    s_CurrentRoute.nCount = 3;
    s_CurrentRoute.anWaypoint[0] = 0;
    s_CurrentRoute.anWaypoint[1] = 1;
    s_CurrentRoute.anWaypoint[2] = 2;
    T_NAV_vClearRoutePoint();
    T_NAV_vAddRoutePoint(p.mm(-150, -100));
    T_NAV_vAddRoutePoint(p.mm(150, 50));
    T_NAV_vAddRoutePoint(p.mm(300, 300));
    s_nRoutePointTarget = 1;
    setU32("INIP", 1);
    T_NAV_vDrawChartOverlay(&p.nvi, TRUE, FALSE);
    U_NAV_vClearTrack(&s_CurrentTrack);
    expectGolden(p.bitmap(), "nav_chart_overlay");
}

TEST_F(Highway, APerspectivePaneLooksRight)
{
    const S32 E = p.nvi.nEyeOffsetMM;
    setU32("SPAL", 0);
    place(0, p.mm(-E / 2, -E / 4), "From", WP_STATUS_TEMPORARY);
    place(1, p.mm(E / 2, 2 * E), "Marker", WP_STATUS_TEMPORARY);
    place(2, p.mm(-E, E), "Rock", WP_STATUS_TEMPORARY);
    rehash();
    s_CurrentRoute.nCount = 2;
    s_CurrentRoute.anWaypoint[0] = 0;
    s_CurrentRoute.anWaypoint[1] = 1;
    T_NAV_vClearRoutePoint();
    T_NAV_vAddRoutePoint(p.mm(-E / 2, -E / 4));
    T_NAV_vAddRoutePoint(p.mm(E / 2, 2 * E));
    s_nRoutePointTarget = 1;
    setU32("INIP", 1);
    setFloat("SNAO", 5.0f);
    setFloat("SNAA", 0.0f);
    setBool("CCNC", false);
    T_NAV_vDrawHighwayCompass(&p.nvi);
    T_NAV_vDrawHighwayOverlay(&p.nvi);
    expectGolden(p.bitmap(), "nav_highway_overlay");
}

} // namespace

// ---- Saved tracks and the selection preview ----

namespace {

// Tracks of a few metre steps from `from`, stored with their file.
S32 storeTrack(POINT from, const char* name)
{
    auto t = std::make_unique<TRACK>();
    U_NAV_vClearTrack(t.get());
    for (S32 i = 0; i < 5; ++i)
        U_NAV_vAddTrackPoint(t.get(), {from.x + 10 * i, from.y + 5 * i}, 0, FALSE);
    return T_NAV_nAddTrack(t.get(), 1000, name, TRUE);
}

class StoredOverlays : public Overlays {
protected:
    void SetUp() override
    {
        Overlays::SetUp();
        T_NAV_NVRAM_vInit();
        g_tNavOverlayRenderers.pfnRenderTrack = [](TRACK* t, NAV_VIEW_INFO*, BOOLEAN bCurrent, U32 style, U32 colour,
                                                   BOOLEAN bRadar) {
            note("track " + std::string(t->sName, strnlen(t->sName, TRACK_NAME_CHARS)) + " " + b(bCurrent) + " " +
                 std::to_string(style) + " " + std::to_string(colour) + " " + b(bRadar) +
                 (L_MUTEX_GetOwnerTaskID(RES_LOADED_TRACK) == TASK_MAINTHREAD ? " loaded" : ""));
        };
    }
};

} // namespace

TEST_F(StoredOverlays, TheSavedTrackPassLoadsDrawsAndReleasesEachVisibleTrackNearTheView)
{
    Pane p;
    ASSERT_EQ(storeTrack(p.mm(10, 10), "Near"), 0);
    ASSERT_EQ(storeTrack(p.mm(-20, 0), "Hidden"), 1);
    ASSERT_EQ(storeTrack(p.mm(100000, 0), "Far"), 2);
    ASSERT_EQ(storeTrack(p.mm(0, -300), "South"), 3);
    T_NAV_vSetTrackVisibility(1, FALSE);
    ASSERT_TRUE(T_NAV_bSetTrackStyle(3, TRACK_STYLE_THIN_LINE));
    ASSERT_TRUE(T_NAV_bSetTrackColor(3, 5));
    ASSERT_TRUE(T_NAV_bSetTrackStyle(0, TRACK_STYLE_SHORT_DASHED_LINE));
    ASSERT_TRUE(T_NAV_bSetTrackColor(0, 9));

    T_NAV_vRenderSavedTracks(&p.nvi, FALSE);
    EXPECT_EQ(takeLog(), (std::vector<std::string>{"track Near 0 1 9 0 loaded", "track South 0 2 5 0 loaded"}));
    EXPECT_EQ(L_MUTEX_GetOwnerTaskID(RES_LOADED_TRACK), 0) << "released";
    EXPECT_EQ(L_MUTEX_GetOwnerTaskID(RES_NAV_DATA), 0);

    // Radar limits by its float scale: 800 pixels at 4 pixels a metre
    // leaves the track 300 m south out. A track drawn before is drawn from
    // its kept decode, without loading it again.
    p.nvi.fPixelsPerMM = 4.0f;
    T_NAV_vRenderSavedTracks(&p.nvi, TRUE);
    EXPECT_EQ(takeLog(), (std::vector<std::string>{"track Near 0 1 9 1"}));

    // A changed track (here renamed) is loaded afresh.
    H_DATABASE_bUpdateValueU32(FCID("CCST"), 3, P_NORMAL); // the rename reaches the file
    T_NAV_vRenameTrack(0, "Renamed");
    T_NAV_vRenderSavedTracks(&p.nvi, TRUE);
    EXPECT_EQ(takeLog(), (std::vector<std::string>{"track Renamed 0 1 9 1 loaded"}));
    // So is a track whose slot was emptied and filled again.
    T_NAV_vDeleteTrack(0, TRUE);
    ASSERT_EQ(storeTrack(p.mm(12, 10), "Again"), 0);
    T_NAV_vRenderSavedTracks(&p.nvi, TRUE);
    EXPECT_EQ(takeLog().size(), 1u);
    T_NAV_vRenderSavedTracks(&p.nvi, TRUE);
    const auto again = takeLog();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].rfind("track Again", 0), 0u);

    // Nothing in the store demonstration.
    H_DATABASE_bUpdateValueU32(FCID("CCST"), 6, P_NORMAL);
    setBool("IPCG", true);
    T_NAV_vRenderSavedTracks(&p.nvi, FALSE);
    EXPECT_TRUE(takeLog().empty());
}

TEST_F(StoredOverlays, TheSelectionPreviewDrawsTheBoatThenEachKnownItemOfTheList)
{
    Pane p;
    place(7, p.mm(10, 0), "W7", WP_STATUS_PERMANENT);
    rehash();
    route(2, "R2", {7});
    ASSERT_EQ(storeTrack(p.mm(0, 0), "T0"), 0);
    ASSERT_TRUE(T_NAV_bSetTrackStyle(0, TRACK_STYLE_WIDE_LINE));
    ASSERT_TRUE(T_NAV_bSetTrackColor(0, 11));
    RUMBREL* r = T_NAV_pGetRumbrel(3);
    r->nCount = 2;
    memcpy(r->sName, "M3", 2);
    const U16 unit = T_NAV_GROUP_DATA_u16Getu7UnitID();
    const U16 list[] = {7,
                        0x8800 | 2,
                        (U16)(0x8000 | unit | 0),
                        (U16)(0x8000 | ((unit + 64) & 0x17C0) | 0), // another unit's track
                        0x4C00 | 3,
                        2999 + 1, // past the waypoint slots
                        0x8800 | 50,
                        0xC005,   // a group
                        0xFFFF,
                        0x8800 | 2};
    T_NAV_vDrawChartTwrSelected(&p.nvi, list);
    EXPECT_EQ(takeLog(), (std::vector<std::string>{"boat locked", "wp 7 7 0 0", "popup route R2",
                                                   "track T0 0 3 11 0 loaded", "rumbrel M3 0110"}));
    T_NAV_vDrawChartTwrSelected(&p.nvi, nullptr);
    EXPECT_EQ(takeLog(), (std::vector<std::string>{"boat locked"}));
}

TEST_F(Overlays, DeletingTheTravelledRouteFromTheMenuEndsNavigation)
{
    Pane p;
    place(0, p.mm(10, 0), "A", WP_STATUS_TEMPORARY);
    place(1, p.mm(20, 0), "B", WP_STATUS_TEMPORARY);
    rehash();
    ROUTE& travelled = route(0, "Trip", {0, 1});
    ROUTE& other = route(1, "Other", {1, 0});
    s_CurrentRoute = travelled;
    setU32("INIP", 1);
    U32 inip = 0;
    T_NAV_vDeleteRouteMenuInSkelvinMenu(&other);
    H_DATABASE_bFetchU32(FCID("INIP"), &inip, nullptr, nullptr);
    EXPECT_EQ(inip, 1u) << "another route leaves navigation alone";
    T_NAV_vDeleteRouteMenuInSkelvinMenu(&travelled);
    H_DATABASE_bFetchU32(FCID("INIP"), &inip, nullptr, nullptr);
    EXPECT_EQ(inip, 0u);
}
