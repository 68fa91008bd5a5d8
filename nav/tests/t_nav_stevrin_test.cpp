// The trolling-motor bridge's track events, the motor's contour
// notifications, the start waypoint, the stored-track test, the
// heading-adjust menu, the alarm's answers and the release of every data
// block the mails carry.
#include "nav/tests/nav_stevrin_world.h"

#include "nav/data/t_nav_twr_declutter.h"
#include "nav/data/t_nav_twr_rumbrel.h"
#include "nav/data/t_nav_twr_waypoint.h"

#include <memory>

namespace {

using namespace stw;

std::unique_ptr<RUMBREL> track(U32 n, POINT origin = {0, 0}, const char* name = "TRACK")
{
    auto r = std::make_unique<RUMBREL>();
    *r = RUMBREL{};
    r->nCount = n;
    for (U32 i = 0; i < n && i < RUMBREL_MAX_POINTS; ++i)
        r->aTrackPoints[i] = at(10.0 * i, 20.0 * i);
    r->ptOriginPt = origin;
    memcpy(r->sName, name, strnlen(name, RUMBREL_NAME_CHARS));
    return r;
}

void navStarted(const RUMBREL& r, RUMBREL_TYPE type = RUMBREL_TYPE_REGULAR, U16 closest = 2, BOOLEAN toStart = TRUE)
{
    U_NAV_STEVRIN_vRumbrelNavStarted(&r, toStart, closest, type);
    pump();
}

// The navigation errors raised since the last look at the alarm mailbox.
std::vector<std::string> notes()
{
    std::vector<std::string> out;
    for (const FtcAlarm& a : ftcAlarms())
        if (a.cmd == CMD_ID_SET_ALARM && a.priority == NAV_UI_ALARM)
            out.push_back(a.text);
    return out;
}

const std::string FIX_REQUIRED = "GPS Fix required for this operation";
const std::string NO_WAYPOINTS = "No more waypoints can be saved. Out of waypoint memory.";

void noBoatPosition()
{
    H_DATABASE_vDeleteEntry(FCID("ILAT"));
    H_DATABASE_vDeleteEntry(FCID("ILON"));
}

// ---- The start waypoint ----

TEST_F(Stevrin, ARegularTrackStartsAtTheOwnWaypointOfItsOriginOrANewTemporaryOne)
{
    struct Case {
        const char* name;
        POINT origin;
        S32 existingStatus; // a waypoint already at the start, -1 none
        POINT start;        // where the start waypoint must be
        bool bKeptAtEnd;
    };
    const POINT boat = at(-50, 30);
    const POINT origin = at(300, 400);
    const Case cases[] = {
        {"origin without x: at the boat", {0, origin.y}, -1, boat, false},
        {"origin without y: at the boat", {origin.x, 0}, -1, boat, false},
        {"origin elsewhere", origin, -1, origin, false},
        {"origin on an own waypoint", origin, WP_STATUS_PERMANENT, origin, true},
        {"origin on a man-overboard waypoint", origin, WP_STATUS_MOB, origin, true},
        {"origin on a temporary waypoint", origin, WP_STATUS_TEMPORARY, origin, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        T_NAV_TWR_vClearTables();
        resetStevrin();
        boatAt(boat);
        if (c.existingStatus >= 0) {
            putWaypoint(0, c.start, (U8)c.existingStatus);
            T_NAV_TWR_vHashWaypoints();
        }
        navStarted(*track(5, c.origin), RUMBREL_TYPE_REGULAR, 3, FALSE);

        ASSERT_NE(s_tNavRumbrelData.pRumbrel, nullptr);
        const U16 id = s_tNavRumbrelData.u16wpt;
        const WAYPOINT* w = T_NAV_pGetWaypoint(id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->pt.x, c.start.x);
        EXPECT_EQ(w->pt.y, c.start.y);
        if (c.existingStatus < 0) {
            EXPECT_EQ(w->u8Status, WP_STATUS_TEMPORARY);
            EXPECT_EQ(w->u16Depth, 450) << "IDEP in centimetres";
            EXPECT_EQ(w->sName[0], '\0');
        } else {
            EXPECT_EQ(id, 0);
        }
        EXPECT_FALSE(s_tNavRumbrelData.bToStart);
        EXPECT_EQ(s_tNavRumbrelData.u32ClosestTP, 3u);
        EXPECT_EQ(s_tNavRumbrelData.eRumbrelType, RUMBREL_TYPE_REGULAR);
        EXPECT_TRUE(notes().empty());

        U_NAV_STEVRIN_vRumbrelNavEnded();
        pump();
        EXPECT_EQ(s_tNavRumbrelData.pRumbrel, nullptr);
        EXPECT_EQ(s_tNavRumbrelData.u16wpt, NAV_ID_NONE);
        EXPECT_EQ(w->u8Status != WP_STATUS_FREE, c.bKeptAtEnd);
        EXPECT_EQ(heapMark(), heap);
    }
}

TEST_F(Stevrin, TheStartWaypointsDepthIsTheDepthInCentimetresUpTo655Metres)
{
    struct Case {
        std::optional<float> depth;
        U16 centimetres;
    };
    const Case cases[] = {{4.5f, 450}, {12.346f, 1235}, {700.0f, 65535}, {-3.0f, 0}, {std::nullopt, 0}};
    S32 east = 0;
    for (const Case& c : cases) {
        if (c.depth)
            setF("IDEP", *c.depth);
        else
            H_DATABASE_vDeleteEntry(FCID("IDEP"));
        const POINT p = at(east += 10, 0);
        const U16 id = T_NAV_STEVRIN_u16GetOrCreateWaypointIdAtPos(&p);
        ASSERT_NE(id, NAV_ID_NONE);
        EXPECT_EQ(T_NAV_pGetWaypoint(id)->u16Depth, c.centimetres) << (c.depth ? *c.depth : -1.0f);
        EXPECT_EQ(T_NAV_STEVRIN_u16GetOrCreateWaypointIdAtPos(&p), id) << "found again";
    }
}

TEST_F(Stevrin, WithoutAStartWaypointTheTrackIsDroppedWithItsNotes)
{
    // No position for a track without an origin.
    noBoatPosition();
    navStarted(*track(5));
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel, nullptr);
    EXPECT_EQ(s_tNavRumbrelData.u16wpt, NAV_ID_NONE);
    EXPECT_EQ(notes(), (std::vector<std::string>{FIX_REQUIRED, NO_WAYPOINTS}));
    EXPECT_EQ(heapMark(), heap);

    // No room for one.
    boatAt(at(0, 0));
    for (U32 s = 0; s < NAV_WAYPOINT_SLOTS - 1; ++s)
        putWaypoint((U16)s, at(1000, s));
    T_NAV_TWR_vHashWaypoints();
    navStarted(*track(5));
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel, nullptr);
    EXPECT_EQ(notes(), std::vector<std::string>{NO_WAYPOINTS});
    EXPECT_EQ(heapMark(), heap);
}

// ---- Holding a followed track ----

TEST_F(Stevrin, TheMotorsClosestPointIsKeptInsideTheTrack)
{
    struct Case {
        U32 count;
        U16 closest;
        U32 kept;
    };
    for (const Case& c : {Case{5, 2, 2}, Case{5, 4, 4}, Case{5, 5, 4}, Case{5, 0xFFFF, 4}, Case{0, 3, 0}}) {
        SCOPED_TRACE(::testing::Message() << c.count << " points, index " << c.closest);
        resetStevrin();
        navStarted(*track(c.count), RUMBREL_TYPE_REGULAR, c.closest);
        ASSERT_NE(s_tNavRumbrelData.pRumbrel, nullptr);
        EXPECT_EQ(s_tNavRumbrelData.u32ClosestTP, c.kept);

        U_NAV_STEVRIN_vRumbrelNavReversed(TRUE, c.closest);
        pump();
        ASSERT_NE(s_tNavRumbrelData.pRumbrel, nullptr);
        EXPECT_EQ(s_tNavRumbrelData.u32ClosestTP, c.kept) << "reversed";
    }
}

TEST_F(Stevrin, TracksAreHeldWithTheirTypesLookAndCorners)
{
    struct Case {
        const char* name;
        RUMBREL_TYPE type;
        POINT lowerLeft; // as sent
        POINT upperRight;
        bool bComputed;
        U32 style;
        U32 colour;
        bool bWaypoint;
    };
    const POINT ll = {11, 12};
    const POINT ur = {13, 14};
    const Case cases[] = {
        {"regular, corners given", RUMBREL_TYPE_REGULAR, ll, ur, false, 0, 5, true},
        {"regular, no x of lower left", RUMBREL_TYPE_REGULAR, {0, 12}, ur, true, 0, 5, true},
        {"regular, no y of upper right", RUMBREL_TYPE_REGULAR, ll, {13, 0}, true, 0, 5, true},
        {"contour", RUMBREL_TYPE_FTC, ll, ur, false, 1, 19, false},
        {"back-track", RUMBREL_TYPE_BACKTRACK, ll, ur, false, 0, 5, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetStevrin();
        auto r = track(4);
        r->ptLowerLeft = c.lowerLeft;
        r->ptUpperRight = c.upperRight;
        r->u32Color = 5;
        navStarted(*r, c.type);
        const RUMBREL* held = s_tNavRumbrelData.pRumbrel;
        ASSERT_NE(held, nullptr);
        EXPECT_EQ(s_tNavRumbrelData.eRumbrelType, c.type);
        EXPECT_EQ(held->ptLowerLeft, c.bComputed ? r->aTrackPoints[0] : c.lowerLeft);
        EXPECT_EQ(held->ptUpperRight, c.bComputed ? r->aTrackPoints[3] : c.upperRight);
        EXPECT_EQ(held->u32Style, c.style);
        EXPECT_EQ(held->u32Color, c.colour);
        EXPECT_EQ(s_tNavRumbrelData.u16wpt != NAV_ID_NONE, c.bWaypoint);
    }
}

TEST_F(Stevrin, ATrackOfMoreThan352PointsIsRefusedWhereverItComesIn)
{
    navStarted(*track(4));
    RUMBREL* held = s_tNavRumbrelData.pRumbrel;
    ASSERT_NE(held, nullptr);
    const U16 wpt = s_tNavRumbrelData.u16wpt;

    auto tooLong = track(RUMBREL_MAX_POINTS);
    tooLong->nCount = RUMBREL_MAX_POINTS + 1;
    navStarted(*tooLong);
    U_NAV_STEVRIN_vRumbrelRecordingSync(tooLong.get());
    RUMBREL* heapCopy = heapTrack({});
    heapCopy->nCount = RUMBREL_MAX_POINTS + 1;
    U_NAV_STEVRIN_vOnFTCExtended(heapCopy);
    pump();

    EXPECT_EQ(s_tNavRumbrelData.pRumbrel, held) << "the track held before stays";
    EXPECT_EQ(s_tNavRumbrelData.u16wpt, wpt);
    EXPECT_EQ(s_tNavRumbrelData.eRumbrelType, RUMBREL_TYPE_REGULAR);
    U_NAV_STEVRIN_vRumbrelNavEnded();
    pump();
    EXPECT_EQ(heapMark(), heap);
}

TEST_F(Stevrin, AReversedTrackGetsANewStartWaypointAtTheBoat)
{
    boatAt(at(0, 0));
    navStarted(*track(5), RUMBREL_TYPE_REGULAR, 1, TRUE);
    const U16 first = s_tNavRumbrelData.u16wpt;
    ASSERT_EQ(T_NAV_pGetWaypoint(first)->u8Status, WP_STATUS_TEMPORARY);
    RUMBREL* held = s_tNavRumbrelData.pRumbrel;

    boatAt(at(200, 0));
    U_NAV_STEVRIN_vRumbrelNavReversed(FALSE, 3);
    pump();
    EXPECT_EQ(T_NAV_nFindWaypointAtPosition(at(0, 0), FALSE), NAV_ID_NONE) << "the old temporary start is gone";
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel, held);
    const U16 second = s_tNavRumbrelData.u16wpt;
    ASSERT_NE(second, NAV_ID_NONE);
    EXPECT_EQ(T_NAV_pGetWaypoint(second)->pt, at(200, 0));
    EXPECT_FALSE(s_tNavRumbrelData.bToStart);
    EXPECT_EQ(s_tNavRumbrelData.u32ClosestTP, 3u);

    noBoatPosition();
    U_NAV_STEVRIN_vRumbrelNavReversed(TRUE, 1);
    pump();
    EXPECT_EQ(T_NAV_pGetWaypoint(second)->u8Status, WP_STATUS_FREE);
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel, nullptr);
    EXPECT_EQ(s_tNavRumbrelData.u16wpt, NAV_ID_NONE);
    EXPECT_EQ(notes(), (std::vector<std::string>{FIX_REQUIRED, NO_WAYPOINTS}));

    // Without a held track there is nothing to reverse.
    boatAt(at(0, 0));
    U_NAV_STEVRIN_vRumbrelNavReversed(TRUE, 1);
    pump();
    EXPECT_EQ(s_tNavRumbrelData.u16wpt, NAV_ID_NONE);
    EXPECT_FALSE(T_NAV_bWaypointsExist());
    EXPECT_EQ(heapMark(), heap);
}

TEST_F(Stevrin, TheStartWaypointIsFollowedWhenTheTableMovesIt)
{
    navStarted(*track(5));
    const U16 first = s_tNavRumbrelData.u16wpt;
    const U16 moved = T_NAV_u16MoveWaypoint(first);
    ASSERT_NE(moved, NAV_ID_NONE);
    ASSERT_NE(moved, first);
    EXPECT_EQ(s_tNavRumbrelData.u16wpt, moved);
    U_NAV_STEVRIN_vRumbrelNavEnded();
    pump();
    EXPECT_FALSE(T_NAV_bWaypointsExist()) << "the moved temporary waypoint is the one deleted";
}

// ---- Recording ----

TEST_F(Stevrin, ARecordingGrowsPointByPointUpTo352)
{
    const POINT start = {100, -100};
    U_NAV_STEVRIN_vRumbrelRecordingStarted(&start);
    pump();
    const RUMBREL* rec = s_tNavRumbrelData.pRumbrel;
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(s_tNavRumbrelData.eRumbrelType, RUMBREL_TYPE_RECORDING);
    EXPECT_EQ(s_tNavRumbrelData.u32ClosestTP, 0xFFFFu);
    EXPECT_EQ(rec->nCount, 1u);
    EXPECT_EQ(rec->aTrackPoints[0], start);
    EXPECT_EQ(rec->ptLowerLeft, start);
    EXPECT_EQ(rec->ptUpperRight, start);
    EXPECT_EQ(rec->u32DateTime, T0);
    EXPECT_EQ(rec->u32Style, 1u);
    EXPECT_EQ(rec->u32Color, 17u);

    for (S32 i = 1; i <= 360; ++i) {
        const POINT p = {100 - i, -100 + 2 * (i % 7) - 6};
        U_NAV_STEVRIN_vRumbrelRecordPoint(&p);
        pump();
    }
    EXPECT_EQ(rec->nCount, RUMBREL_MAX_POINTS) << "points past 352 are dropped";
    EXPECT_EQ(rec->aTrackPoints[351], (POINT{100 - 351, -100 + 2 * (351 % 7) - 6}));
    EXPECT_EQ(rec->ptLowerLeft, (POINT{100 - 351, -106}));
    EXPECT_EQ(rec->ptUpperRight, (POINT{100, -100 + 6}));
    EXPECT_EQ(s_tNavRumbrelData.u32ClosestTP, 0xFFFFu);

    U_NAV_STEVRIN_vRumbrelRecordingEnded();
    pump();
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel, nullptr);
    const POINT late = {1, 1};
    U_NAV_STEVRIN_vRumbrelRecordPoint(&late);
    pump();
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel, nullptr);
    EXPECT_EQ(heapMark(), heap);
}

TEST_F(Stevrin, PointsGoOnlyIntoARecording)
{
    navStarted(*track(3));
    const POINT p = {5, 5};
    U_NAV_STEVRIN_vRumbrelRecordPoint(&p);
    pump();
    ASSERT_NE(s_tNavRumbrelData.pRumbrel, nullptr);
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel->nCount, 3u);
    U_NAV_STEVRIN_vRumbrelRecordingEnded(); // a recording's end ends whatever is held
    pump();
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel, nullptr);
    EXPECT_EQ(heapMark(), heap);
}

TEST_F(Stevrin, ARecordingTakenOverIsHeldUnindexedInTheRecordingColour)
{
    navStarted(*track(3));
    auto r = track(6);
    r->ptLowerLeft = {0, 0};
    U_NAV_STEVRIN_vRumbrelRecordingSync(r.get());
    pump();
    const RUMBREL* held = s_tNavRumbrelData.pRumbrel;
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->nCount, 6u);
    EXPECT_EQ(s_tNavRumbrelData.eRumbrelType, RUMBREL_TYPE_RECORDING);
    EXPECT_EQ(s_tNavRumbrelData.u32ClosestTP, 0xFFFFu);
    EXPECT_EQ(s_tNavRumbrelData.u16wpt, NAV_ID_NONE);
    EXPECT_FALSE(T_NAV_bWaypointsExist()) << "the regular track's start went with it";
    EXPECT_EQ(held->ptLowerLeft, r->aTrackPoints[0]);
    EXPECT_EQ(held->ptUpperRight, r->aTrackPoints[5]);
    EXPECT_EQ(held->u32Style, 1u);
    EXPECT_EQ(held->u32Color, 17u);

    // It records on.
    const POINT p = at(100, 200);
    U_NAV_STEVRIN_vRumbrelRecordPoint(&p);
    pump();
    EXPECT_EQ(held->nCount, 7u);
}

TEST_F(Stevrin, ARecordingWithoutAFreeBlockLeavesNothingHeld)
{
    const POINT start = {1, 2};
    U_NAV_STEVRIN_vRumbrelRecordingStarted(&start); // the mail is made before the heap runs dry
    std::vector<void*> taken;
    while (void* p = H_MEMORY_pvMallocNoWait(sizeof(RUMBREL)))
        taken.push_back(p);
    pump();
    for (void* p : taken)
        H_MEMORY_vFree(p);
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel, nullptr);
    EXPECT_EQ(heapMark(), heap);
}

// ---- The motor's contour notifications ----

TEST_F(Stevrin, TheMotorsStartOfThisUnitsFollowingOnlyEndsTheInitiative)
{
    void* followed = follow(contour(4));
    ASSERT_TRUE(s_tFTCData.bInitiatedByMe);
    boatAt(at(30, 40));
    RUMBREL* motorTrack = heapTrack({at(1, 1), at(2, 5), at(3, 2)});
    motorTrack->u32ClosestTP = 2;

    U_NAV_STEVRIN_vOnFTCStarted(motorTrack);
    pump();

    EXPECT_FALSE(s_tFTCData.bInitiatedByMe);
    EXPECT_EQ(s_tFTCData.pStevrinStructAddr, followed);
    EXPECT_TRUE(NAV_STANDIN_bLakeStateLive(followed));
    EXPECT_FALSE(s_tContourRumbrel.u32Visible) << "the motor's own track is drawn now";
    EXPECT_EQ(s_tContourRumbrel.nCount, 4u);
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel, motorTrack);
    EXPECT_EQ(s_tNavRumbrelData.eRumbrelType, RUMBREL_TYPE_FTC);
    EXPECT_EQ(motorTrack->u32Style, 1u);
    EXPECT_EQ(motorTrack->u32Color, 19u);
    EXPECT_EQ(motorTrack->u32DateTime, T0);
    EXPECT_EQ(motorTrack->u32ClosestTP, 0u);
    EXPECT_EQ(motorTrack->ptLowerLeft, at(1, 1));
    EXPECT_EQ(motorTrack->ptUpperRight, (POINT{at(3, 2).x, at(2, 5).y}));
    EXPECT_EQ(s_tNavRumbrelData.u32ClosestTP, 0u);
    EXPECT_TRUE(s_tNavRumbrelData.bValidBoatPos);
    EXPECT_EQ(s_tNavRumbrelData.ptBoatAtFTCSegStart, at(30, 40));
    EXPECT_TRUE(ftcAlarms().empty());

    // A second start is not this unit's: its contour state goes.
    U_NAV_STEVRIN_vOnFTCStarted(heapTrack({at(5, 5)}));
    pump();
    EXPECT_EQ(s_tFTCData.pStevrinStructAddr, nullptr);
    EXPECT_FALSE(NAV_STANDIN_bLakeStateLive(followed));
    EXPECT_EQ(s_tContourRumbrel.nCount, 0u);
    ASSERT_NE(s_tNavRumbrelData.pRumbrel, nullptr);
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel->aTrackPoints[0], at(5, 5));
    const auto alarms = ftcAlarms();
    ASSERT_EQ(alarms.size(), 1u);
    EXPECT_EQ(alarms[0].cmd, CMD_ID_CLEAR_ALARM);
}

TEST_F(Stevrin, AFollowingStartedOnTheMotorEndsThisUnitsContour)
{
    void* followed = follow(contour(4));
    s_tFTCData.bInitiatedByMe = FALSE; // as after the motor's first start
    U_NAV_STEVRIN_vOnFTCStarted(heapTrack({at(5, 5)}));
    pump();
    EXPECT_EQ(s_tFTCData.pStevrinStructAddr, nullptr);
    EXPECT_FALSE(NAV_STANDIN_bLakeStateLive(followed));
    EXPECT_NE(s_tNavRumbrelData.pRumbrel, nullptr);
}

TEST_F(Stevrin, TheMotorsContourNotificationsReplaceTheHeldTrack)
{
    struct Case {
        const char* name;
        void (*send)(RUMBREL*);
        bool bSegmentStart; // the boat's position is taken and the index reset
        bool bReversal;     // the followed contour is reversed first
    };
    const Case cases[] = {
        {"extended", U_NAV_STEVRIN_vOnFTCExtended, true, false},
        {"new offset", U_NAV_STEVRIN_vOnFTCNewOffset, false, false},
        {"reversed", U_NAV_STEVRIN_vOnFTCReversed, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetStevrin();
        follow(contour(4));
        RUMBREL* first = heapTrack({at(1, 1), at(2, 2), at(3, 3), at(4, 4)});
        U_NAV_STEVRIN_vOnFTCStarted(first);
        pump();
        s_tNavRumbrelData.u32ClosestTP = 3;
        expire("ILAT");
        const size_t requests = lakeCalls("request").size();
        NAV_STANDIN_vQueueLakeAnswer(LAKE_ANSWER_NEW, lakeTrack(contour(4, 2)));

        RUMBREL* next = heapTrack({at(9, 9), at(8, 8)});
        next->u32DateTime = 77;
        c.send(next);
        pump();

        EXPECT_EQ(s_tNavRumbrelData.pRumbrel, next);
        EXPECT_EQ(s_tNavRumbrelData.eRumbrelType, RUMBREL_TYPE_FTC);
        EXPECT_EQ(next->u32DateTime, 77u) << "a date of its own is kept";
        EXPECT_EQ(next->u32Color, 19u);
        EXPECT_FALSE(s_tNavRumbrelData.bValidBoatPos) << "ILAT is not valid";
        EXPECT_EQ(s_tNavRumbrelData.u32ClosestTP, c.bSegmentStart ? 0u : 1u) << "inside the two points";
        EXPECT_EQ(lakeCalls("request").size(), requests + (c.bReversal ? 1 : 0));
        EXPECT_EQ(s_tFTCData.bReverseFTCData != FALSE, c.bReversal);
        EXPECT_NE(s_tFTCData.pStevrinStructAddr, nullptr) << "still followed";
        drainAll();
    }
}

TEST_F(Stevrin, ContourNotificationsWithoutATrackAreIgnoredButTheEndEnds)
{
    follow(contour(4));
    RUMBREL* held = heapTrack({at(1, 1)});
    U_NAV_STEVRIN_vOnFTCStarted(held);
    pump();
    for (S32 sub = NAV_ST_FTC_NOTIFY_START; sub <= NAV_ST_FTC_NOTIFY_REVERSE; ++sub) {
        auto* m = static_cast<NAV_STEVRIN_DATA_MSG*>(H_MEMORY_pvMalloc(sizeof(NAV_STEVRIN_DATA_MSG)));
        memset(static_cast<void*>(m), 0, sizeof *m);
        m->header.Cmd = CMD_ID_NAV_STEVRIN;
        m->eStCmd = NAV_STEVRIN_FTC;
        m->eStSubCmd = sub;
        ASSERT_EQ(L_MBOX_Send(NAV_MAILBOX, &m->header.msghdr, 3, 0), 0);
    }
    pump();
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel, held);
    EXPECT_NE(s_tFTCData.pStevrinStructAddr, nullptr);
    EXPECT_TRUE(lakeCalls("request").size() == 1) << "no reversal without a track";

    U_NAV_STEVRIN_vOnFTCEnded();
    pump();
    EXPECT_EQ(s_tFTCData.pStevrinStructAddr, nullptr);
    EXPECT_EQ(s_tNavRumbrelData.pRumbrel, held) << "the end of the contour leaves the motor's track";
}

// ---- Is a stored track the one followed ----

TEST_F(Stevrin, AStoredTrackIsUnderNavigationOnlyAsTheRegularTrackFollowed)
{
    struct Case {
        const char* name;
        RUMBREL_TYPE type;
        void (*change)(RUMBREL&); // of the stored copy
        U32 slot;
        bool bUnder;
    };
    const Case cases[] = {
        {"the same regular track", RUMBREL_TYPE_REGULAR, [](RUMBREL&) {}, 7, true},
        {"another date and colour", RUMBREL_TYPE_REGULAR, [](RUMBREL& r) { r.u32DateTime = 5, r.u32Color = 2; }, 7,
         true},
        {"another name", RUMBREL_TYPE_REGULAR, [](RUMBREL& r) { r.sName[11] = 'X'; }, 7, false},
        {"another point", RUMBREL_TYPE_REGULAR, [](RUMBREL& r) { r.aTrackPoints[4].y += 1; }, 7, false},
        {"another count", RUMBREL_TYPE_REGULAR, [](RUMBREL& r) { r.nCount = 4; }, 7, false},
        {"a contour", RUMBREL_TYPE_FTC, [](RUMBREL&) {}, 7, false},
        {"a back-track", RUMBREL_TYPE_BACKTRACK, [](RUMBREL&) {}, 7, false},
        {"past the table", RUMBREL_TYPE_REGULAR, [](RUMBREL&) {}, 50, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetStevrin();
        auto r = track(5, {0, 0}, "LAKE TRACK 1");
        if (c.slot < NAV_RUMBREL_SLOTS) {
            RUMBREL* stored = T_NAV_pGetRumbrel(c.slot);
            *stored = *r;
            c.change(*stored);
        }
        navStarted(*r, c.type);
        ASSERT_NE(s_tNavRumbrelData.pRumbrel, nullptr);
        EXPECT_EQ(T_NAV_STEVRIN_bIsRumbrelUnderNavigation(c.slot) != FALSE, c.bUnder);
        EXPECT_FALSE(T_NAV_STEVRIN_bIsRumbrelUnderNavigation(c.slot + 1));
    }

    // A recording with the same points is no followed track either.
    resetStevrin();
    auto r = track(2, {0, 0}, "REC");
    *T_NAV_pGetRumbrel(3) = *r;
    U_NAV_STEVRIN_vRumbrelRecordingStarted(&r->aTrackPoints[0]);
    U_NAV_STEVRIN_vRumbrelRecordPoint(&r->aTrackPoints[1]);
    pump();
    memcpy(s_tNavRumbrelData.pRumbrel->sName, r->sName, RUMBREL_NAME_CHARS);
    EXPECT_FALSE(T_NAV_STEVRIN_bIsRumbrelUnderNavigation(3));
    resetStevrin();
    EXPECT_FALSE(T_NAV_STEVRIN_bIsRumbrelUnderNavigation(3)) << "nothing held";
}

// ---- The heading-adjust menu ----

TEST_F(Stevrin, TheHeadingMenuProposesTheBearingAndSendsTheChosenHeading)
{
    struct Case {
        std::optional<float> bearing;
        U32 proposed;
    };
    for (const Case& c : {Case{123.9f, 123}, Case{-5.0f, 0}, Case{std::nullopt, 0}}) {
        SCOPED_TRACE(c.proposed);
        resetStevrin();
        drainAll();
        if (c.bearing)
            setF("IBRG", *c.bearing);
        else
            H_DATABASE_vDeleteEntry(FCID("IBRG"));
        setU("IPAO", 999);

        U_NAV_STEVRIN_vDisplayAutopilotAdjustMenu();
        pump();

        EXPECT_EQ(u("IPAO"), c.proposed);
        EXPECT_TRUE(s_bDisplayAPNewHeadingLine.load());
        EXPECT_TRUE(signalled(SEMA_KEYCLICK_GOOD));
        const auto menu = uiMails(MENU_BOX);
        ASSERT_EQ(commands(menu), (std::vector<CMD_ID>{CMD_ID_CLEAR_MENU, CMD_ID_REGISTER_FLOATING_MENU,
                                                       CMD_ID_REGISTER_FLOATING_MENU_ITEM,
                                                       CMD_ID_ACTIVATE_FLOATING_MENU}));
        const auto& title = menu[1].as<MSG_ADD_FLOATING_MENU>();
        EXPECT_EQ(title.pFloatingMenuName, &Navigate_Rumbrel);
        EXPECT_STREQ((*title.pFloatingMenuName)[0], "Navigate Rumbrel");
        EXPECT_EQ(title.GoToKeyHandler, nullptr);
        EXPECT_EQ(title.ExitKeyHandler, T_NAV_STEVRIN_vOnNewAPHeadingMenuExit);
        EXPECT_TRUE(title.bDisplayAltName);
        EXPECT_STREQ(title.aStrAltName, "");
        const auto& item = menu[2].as<MSG_ADD_MENU_ITEM>();
        EXPECT_EQ(item.pTabName, &Navigate_Rumbrel);
        EXPECT_STREQ((*item.descriptor.pMenuName)[0], "Adjust Direction");
        EXPECT_EQ(item.pMenuIcon, nullptr);
        EXPECT_EQ(item.descriptor.control, M_ANGLE_ADJUST);
        EXPECT_EQ((S32)item.descriptor.menuPriority, 603);
        EXPECT_EQ(item.descriptor.menuUserLevel, M_BASIC);
        const auto& angle = item.descriptor.parameters.angleAdjust;
        EXPECT_EQ(angle.FourCharId, FCID("IPAO"));
        EXPECT_EQ(angle.minValue.s32Val, 0);
        EXPECT_EQ(angle.maxValue.s32Val, 360);
        EXPECT_EQ(angle.stepValue.s32Val, 1);
        EXPECT_TRUE(angle.bWrapOver);
        EXPECT_STREQ((*angle.pChkItemName)[0], "Set New Heading");
        EXPECT_NE(angle.pChkIcon, nullptr);
        EXPECT_EQ(angle.fnCbOnInfo, T_NAV_STEVRIN_vOnSetNewAPHeading);
        EXPECT_EQ(menu[3].as<MSG_ACTIVATE_FLOATING_MENU>().pFloatingMenuName, &Navigate_Rumbrel);
    }

    setU("IPAO", 271);
    T_NAV_STEVRIN_vOnSetNewAPHeading();
    EXPECT_FALSE(s_bDisplayAPNewHeadingLine.load());
    const auto link = linkMails();
    ASSERT_EQ(link.size(), 1u);
    EXPECT_EQ(link[0].u32Command, ST_CMD_ADJUST_AUTOPILOT);
    EXPECT_EQ(link[0].u32ItemIndex, 271u);
    EXPECT_FALSE(link[0].bTrack);

    s_bDisplayAPNewHeadingLine = TRUE;
    T_NAV_STEVRIN_vOnNewAPHeadingMenuExit();
    EXPECT_FALSE(s_bDisplayAPNewHeadingLine.load());
    EXPECT_TRUE(linkMails().empty());
}

// ---- The alarm's answers ----

TEST_F(Stevrin, NoStopsTheMotorsContourNavigationAndYesGoesOn)
{
    struct Case {
        std::optional<U32> mode;
        bool bStopped;
    };
    for (const Case& c : {Case{9, true}, Case{3, false}, Case{std::nullopt, false}}) {
        SCOPED_TRACE(c.mode ? (int)*c.mode : -1);
        if (c.mode)
            setU("IPMD", *c.mode);
        else
            H_DATABASE_vDeleteEntry(FCID("IPMD"));
        setB("IPRP", true);

        T_NAV_STEVRIN_vContinueFTCNavReqFromUser();
        EXPECT_TRUE(ftcAlarms().empty());
        EXPECT_TRUE(linkMails().empty());

        T_NAV_STEVRIN_vCancelFTCNavReqFromUser();
        const auto alarms = ftcAlarms();
        ASSERT_EQ(alarms.size(), 1u);
        EXPECT_EQ(alarms[0].cmd, CMD_ID_CLEAR_ALARM);
        EXPECT_EQ(alarms[0].priority, FTC_MINDEPTH_ALARM);
        const auto link = linkMails();
        EXPECT_EQ(link.size(), c.bStopped ? 1u : 0u);
        if (!link.empty()) {
            EXPECT_EQ(link[0].u32Command, ST_CMD_STOP_GOTO);
        }
        EXPECT_EQ(b("IPRP"), !c.bStopped) << "the propeller";
    }
}

// ---- Data blocks ----

TEST_F(Stevrin, EveryDataBlockIsReleasedWhetherTheMailIsUsedOrNot)
{
    struct Case {
        S32 cmd;
        S32 sub;
    };
    const Case ignored[] = {
        {0, 0}, {4, 1}, {NAV_STEVRIN_FTC, NAV_ST_FTC_OFFSET}, {NAV_STEVRIN_FTC, 0}, {NAV_STEVRIN_FTC, 12},
        {NAV_STEVRIN_FTC, NAV_ST_FTC_END}, {NAV_STEVRIN_RUMBREL, 7}, {NAV_STEVRIN_RUMBREL, NAV_ST_RUMBREL_NAV_ENDED},
        {NAV_STEVRIN_RUMBREL, NAV_ST_RUMBREL_REC_ENDED}, {NAV_STEVRIN_MENU, 1},
    };
    navStarted(*track(3));
    RUMBREL* held = s_tNavRumbrelData.pRumbrel;
    for (const Case& c : ignored) {
        SCOPED_TRACE(::testing::Message() << c.cmd << "/" << c.sub);
        auto* m = static_cast<NAV_STEVRIN_DATA_MSG*>(H_MEMORY_pvMalloc(sizeof(NAV_STEVRIN_DATA_MSG)));
        memset(static_cast<void*>(m), 0, sizeof *m);
        m->header.Cmd = CMD_ID_NAV_STEVRIN;
        m->eStCmd = c.cmd;
        m->eStSubCmd = c.sub;
        m->pData = H_MEMORY_pvMalloc(sizeof(POINT));
        ASSERT_EQ(L_MBOX_Send(NAV_MAILBOX, &m->header.msghdr, 3, 0), 0);
        pump();
        const bool bEnds = c.cmd == NAV_STEVRIN_RUMBREL;
        EXPECT_EQ(s_tNavRumbrelData.pRumbrel, bEnds && c.sub != 7 ? nullptr : held);
        if (s_tNavRumbrelData.pRumbrel == nullptr) {
            navStarted(*track(3));
            held = s_tNavRumbrelData.pRumbrel;
        }
    }
    EXPECT_TRUE(uiMails(MENU_BOX).empty());

    // Every event the link sends, each with the data it carries.
    auto r = track(4);
    const POINT p = at(1, 2);
    navStarted(*r);
    U_NAV_STEVRIN_vRumbrelNavReversed(TRUE, 1);
    U_NAV_STEVRIN_vRumbrelNavStarted(nullptr, TRUE, 1, RUMBREL_TYPE_REGULAR);
    U_NAV_STEVRIN_vRumbrelNavEnded();
    U_NAV_STEVRIN_vRumbrelNavReversed(TRUE, 1); // nothing held
    U_NAV_STEVRIN_vRumbrelRecordingStarted(&p);
    U_NAV_STEVRIN_vRumbrelRecordPoint(&p);
    U_NAV_STEVRIN_vRumbrelRecordingSync(r.get());
    U_NAV_STEVRIN_vRumbrelRecordingEnded();
    U_NAV_STEVRIN_vOnFTCStarted(heapTrack({p}));
    U_NAV_STEVRIN_vOnFTCExtended(heapTrack({p}));
    U_NAV_STEVRIN_vOnFTCNewOffset(heapTrack({p}));
    U_NAV_STEVRIN_vOnFTCReversed(heapTrack({p}));
    U_NAV_STEVRIN_vOnFTCEnded();
    pump();
    resetStevrin();
    EXPECT_EQ(heapMark(), heap);
}

} // namespace
