// The navigation update: readouts of one tick, the arrival, passing,
// off-course and drift decisions handed to the alarms, the AIS walk, the
// leg restart and the cursor readouts.
#include "nav/tests/nav_core_world.h"

#include "kernel/l_mutex.h"

#include <string>
#include <utility>

namespace {

using namespace navw;

const POINT A = at(0, 0);
const POINT B = at(0, 2000); // 2 km north of A
const POINT C = at(0, 4000);

void tick()
{
    T_NAV_vHandleUpdateTimer();
}

// ---- Readouts ----

TEST_F(NavCore, ReadoutsFollowTheBoatAgainstTheLeg)
{
    struct Row {
        const char* name;
        double east, north; // boat
        float heading;
        double xte;  // expected, metres
        bool closing;
    };
    const Row rows[] = {
        {"on the leg line", 0, 500, 0, 0, true},
        {"right of the leg course", 100, 500, 0, 100, true},
        {"left of the leg course", -100, 500, 0, -100, true},
        {"heading away from the destination", 0, 500, 180, 0, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        navigate({A, B});
        const POINT boat = at(r.east, r.north);
        boatAt(boat);
        setF("IHDG", r.heading);
        tick();

        EXPECT_NEAR(*f("IBRG"), bearing(boat, B), 1e-4);
        EXPECT_NEAR(*f("IDTG"), distance(boat, B), 0.01);
        EXPECT_NEAR(*f("IXTE"), r.xte, 1.5);
        if (r.xte == 0) {
            EXPECT_NEAR(*f("IXTE"), 0.0, 0.05);
        }
        if (r.closing) {
            EXPECT_GT(*f("IDCV"), 4.9f);
            const S32 ttg = *s("ITTG");
            EXPECT_NEAR(ttg, distance(boat, B) / *f("IDCV"), 1.0);
            EXPECT_EQ(*u("IETA"), T0 + (U32)ttg);
            EXPECT_EQ(*s("ITTF"), ttg) << "one leg: the final point is the destination";
        } else {
            EXPECT_LT(*f("IDCV"), -4.9f);
            EXPECT_EQ(*s("ITTG"), -1);
            EXPECT_EQ(*u("IETA"), 0xFFFFFFFFu);
            EXPECT_EQ(*s("ITTF"), -1);
            EXPECT_EQ(*u("IETF"), 0xFFFFFFFFu);
        }
    }
}

TEST_F(NavCore, TimeToGoEndsJustShortOfOneHundredHours)
{
    const struct {
        U32 seconds;
        S32 ttg;
    } rows[] = {{359939, 359939}, {359940, -1}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.seconds);
        SetUp();
        navigate({A, B});
        const POINT boat = at(0, 500);
        boatAt(boat);
        setF("IHDG", (float)bearing(boat, B));
        setF("ISOG", (float)(distance(boat, B) / r.seconds));
        tick();
        EXPECT_EQ(*s("ITTG"), r.ttg);
        EXPECT_EQ(*u("IETA"), r.ttg == -1 ? 0xFFFFFFFFu : T0 + (U32)r.ttg);
    }
}

TEST_F(NavCore, DistanceTravelledStartsAtTheFirstNavigatingTick)
{
    navigate({A, B});
    boatAt(at(0, 500));
    tick();
    EXPECT_FALSE(f("IDST")) << "the first tick only starts the count";
    boatAt(at(0, 600));
    tick();
    EXPECT_NEAR(*f("IDST"), 100.0, 1.0);
    boatAt(at(0, 650));
    tick();
    EXPECT_NEAR(*f("IDST"), 150.0, 1.5);

    // Navigation ends: the readout keeps its value; the next one starts anew.
    setU("INIP", 0);
    boatAt(at(0, 900));
    tick();
    EXPECT_NEAR(*f("IDST"), 150.0, 1.5);
    H_DATABASE_vDeleteEntry(FCID("IDST"));
    setU("INIP", 1);
    tick();
    EXPECT_FALSE(f("IDST"));
    boatAt(at(0, 1000));
    tick();
    EXPECT_NEAR(*f("IDST"), 100.0, 1.0);
}

TEST_F(NavCore, SpeedMadeGoodNeedsSixSecondsAndMoreThanFiveMetres)
{
    const struct {
        U32 legSeconds;
        double made; // metres along the leg
        bool written;
    } rows[] = {{5, 100, false}, {6, 100, true}, {100, 4, false}, {100, 7, true}, {100, -50, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.legSeconds << " s, " << r.made << " m");
        SetUp();
        navigate({A, B});
        s_u32TimeOWT = T0 - r.legSeconds;
        setF("ISMG", 99.0f);
        boatAt(at(0, r.made));
        tick();
        ASSERT_EQ(f("ISMG").has_value(), r.written);
        if (r.written) {
            const double expected = distance(A, at(0, r.made)) / r.legSeconds;
            EXPECT_NEAR(*f("ISMG"), expected, 0.01 * expected);
        }
        EXPECT_EQ(*s("IETM"), 0) << "the navigation started this tick";
    }
}

TEST_F(NavCore, NoPositionDoesNothingAtAll)
{
    const struct {
        const char* name;
        void (*spoil)();
    } rows[] = {
        {"latitude missing", [] { H_DATABASE_vDeleteEntry(FCID("ILAT")); }},
        {"longitude missing", [] { H_DATABASE_vDeleteEntry(FCID("ILON")); }},
        {"latitude not valid", [] { expire("ILAT"); }},
        {"x exactly 0", [] { setS("ILON", 0); }},
        {"y exactly 0", [] { setS("ILAT", 0); }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        navigate({A, B});
        setU("CCST", 4); // the simulation would move the boat
        setB("ICAC", true);
        setS("ICLT", B.y);
        setS("ICLN", B.x);
        r.spoil();
        T_NAV_ALARM_vSetNavUIRawNoteWithTimeout("probe", 1); // the next counted tick clears it
        alarmMails();
        tick();
        EXPECT_TRUE(alarmMails().empty()) << "the alarms must not count this tick";
        for (const char* key : {"IBRG", "IDTG", "IXTE", "ICBH", "ICBD", "IETM"})
            EXPECT_FALSE(f(key)) << key;
        EXPECT_EQ(*u("IDTM"), T0);
        EXPECT_EQ(*f("ISOG"), 5.0f);
    }
}

// ---- Decisions ----

TEST_F(NavCore, ContinuousNavigationLatchesAtTheLastPointAndRaisesNoArrival)
{
    struct Step {
        double north;
        bool reached; // CCNC
        bool off;
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
    } runs[] = {
        {"entering the radius", {{500, false, false}, {1990, true, false}, {1500, true, false}, {2030, true, false},
                                 {2100, true, true}}},
        {"passing without entering it", {{2030, true, false}, {500, true, false}}},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        SetUp();
        navigate({A, B});
        setB("SNCM", true);
        for (const Step& st : run.steps) {
            SCOPED_TRACE(st.north);
            boatAt(at(0, st.north));
            tick();
            EXPECT_EQ(*b("CCNC"), st.reached);
            const auto mails = alarmMails();
            EXPECT_EQ(raised(mails, NAV_ARRIVAL_ALARM), 0u);
            EXPECT_EQ(raised(mails, NAV_PAST_WAYPOINT_ALARM), 0u);
            EXPECT_EQ(raised(mails, NAV_OFF_COURSE_ALARM), st.off ? 1u : 0u);
            EXPECT_FALSE(b("IACE"));
            EXPECT_FALSE(b("IPPD"));
        }
    }
}

TEST_F(NavCore, OrdinaryNavigationArrivesInsideTheRadiusAndPassesBehindThePoint)
{
    const struct {
        double north;
        bool arrival, past, off;
    } rows[] = {{1500, false, false, false}, {1990, true, false, false}, {2010, true, true, false},
                {2030, false, true, false}, {2100, false, true, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.north);
        SetUp();
        navigate({A, B, C});
        boatAt(at(0, r.north));
        tick();
        // Passing wins the shared slot when both hold.
        const auto mails = alarmMails();
        EXPECT_EQ(raised(mails, NAV_PAST_WAYPOINT_ALARM), r.past ? 1u : 0u);
        EXPECT_EQ(raised(mails, NAV_ARRIVAL_ALARM), r.arrival && !r.past ? 1u : 0u);
        EXPECT_EQ(raised(mails, NAV_OFF_COURSE_ALARM), r.off ? 1u : 0u)
            << "past the point is only off course at the last point";
        if (r.arrival || r.past) {
            // Dismissing it runs the route's step to the next leg.
            lastRaise(mails, r.past ? NAV_PAST_WAYPOINT_ALARM : NAV_ARRIVAL_ALARM).set.pFunctionAlarmCancel();
            EXPECT_EQ(*u("INIP"), 2u) << "the route moved on to its next leg";
        }
        EXPECT_EQ(*b("IACE"), r.arrival);
        EXPECT_EQ(*b("IPPD"), r.past);
        EXPECT_NEAR(*f("IDTF"), distance(at(0, r.north), B) + distance(B, C), 1.0);
    }
}

TEST_F(NavCore, TrollingMotorRouteArrivesOnlyAtTheLastPointAndNeverPasses)
{
    const struct {
        U32 inip;
        double east, north;
        bool arrival, off;
    } rows[] = {
        {1, 0, 1990, false, false}, // inside, but not the last point
        {1, 0, 2030, false, false}, // past: never a passing alarm
        {2, 0, 3990, true, false},
        {2, 0, 4030, false, false},
        {2, 200, 3000, false, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.inip << " " << r.east << "/" << r.north);
        SetUp();
        navigate({A, B, C}, r.inip);
        setB("IPNO", true);
        setF("SIOC", 50.0f);
        setF("SIAA", 20.0f);
        setF("SNAO", 0.0f); // the unit's own limits must not count
        setF("SNAA", 0.0f);
        boatAt(at(r.east, r.north));
        tick();
        const auto mails = alarmMails();
        EXPECT_EQ(raised(mails, NAV_ARRIVAL_ALARM), 0u);
        EXPECT_EQ(raised(mails, NAV_PAST_WAYPOINT_ALARM), 0u);
        EXPECT_EQ(raised(mails, NAV_OFF_COURSE_ALARM), 0u);
        EXPECT_EQ(raised(mails, NAV_ST_ARRIVAL_ALARM), r.arrival ? 1u : 0u);
        EXPECT_EQ(raised(mails, NAV_ST_OFFCOURSE_ALARM), r.off ? 1u : 0u);
        EXPECT_EQ(*b("IPPD"), false);
        EXPECT_FALSE(f("IDST")) << "distance travelled counts only for the unit's own navigation";
    }
}

TEST_F(NavCore, OffCourseByCrossTrackErrorOrShortOfTheLegOrigin)
{
    const struct {
        const char* name;
        double east, north;
        bool off;
    } rows[] = {
        {"on the line, between the points", 0, 500, false},
        {"short of the origin by more than the limit", 0, -100, true},
        {"short of the origin within the limit", 0, -30, false},
        {"beyond the limit to the right", 70, 500, true},
        {"beyond the limit to the left", -70, 500, true},
        {"within the limit to the left", -30, 500, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        navigate({A, B});
        boatAt(at(r.east, r.north));
        tick();
        EXPECT_EQ(raised(alarmMails(), NAV_OFF_COURSE_ALARM), r.off ? 1u : 0u);
    }
    SetUp();
    navigate({A, B});
    setF("SNAO", 0.0f);
    boatAt(at(500, 500));
    tick();
    EXPECT_EQ(raised(alarmMails(), NAV_OFF_COURSE_ALARM), 0u) << "a limit of 0 switches the alarm off";
}

TEST_F(NavCore, ManOverboardCountsTimeAndRaisesOnlyDrift)
{
    const struct {
        const char* name;
        double east, north;
    } rows[] = {{"inside the radius", 0, 1995}, {"past the point", 0, 2200}, {"far off the line", 300, 1000}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        navigate({A, B});
        s_u16MOBWaypoint = 1;
        s_u32TimeOWT = T0 - 42;
        setF("CNDA", 10.0f);
        setS("IDLT", A.y);
        setS("IDLN", A.x);
        boatAt(at(r.east, r.north));
        tick();
        EXPECT_EQ(*f("IVMG"), 0.0f);
        EXPECT_EQ(*u("MOBT"), 42u);
        const auto mails = alarmMails();
        ASSERT_EQ(mails.size(), 1u);
        EXPECT_EQ(mails[0].cmd, CMD_ID_SET_ALARM);
        EXPECT_EQ(mails[0].priority, NAV_DRIFT_ALARM);
    }
}

TEST_F(NavCore, EveryTickWithAPositionUpdatesTheAlarmsOnceWithTheDrift)
{
    const struct {
        const char* name;
        void (*arrange)();
    } rows[] = {
        {"not navigating", [] { setU("INIP", 0); }},
        {"speed missing", [] { H_DATABASE_vDeleteEntry(FCID("ISOG")); }},
        {"heading not valid", [] { expire("IHDG"); }},
        {"continuous-navigation flag missing", [] { H_DATABASE_vDeleteEntry(FCID("CCNC")); }},
        {"destination waypoint missing", [] { T_NAV_pGetWaypoint(1)->u8Status = WP_STATUS_FREE; }},
        {"man overboard", [] { s_u16MOBWaypoint = 1; }},
        {"navigating", [] {}},
        {"trolling motor navigating", [] { setB("IPNO", true); setF("SIOC", 50); setF("SIAA", 20); }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        navigate({A, B});
        setF("CNDA", 50.0f);
        const POINT anchor = at(0, 300);
        setS("IDLT", anchor.y);
        setS("IDLN", anchor.x);
        boatAt(at(0, 400)); // 100 m from the anchor
        r.arrange();
        // A note that the second counted tick clears: one count a tick.
        T_NAV_ALARM_vSetNavUIRawNoteWithTimeout("probe", 2);
        alarmMails();
        tick();
        auto mails = alarmMails();
        EXPECT_EQ(raised(mails, NAV_DRIFT_ALARM), 1u);
        EXPECT_EQ(cleared(mails, NAV_UI_ALARM), 0u);
        setF("CNDA", 150.0f);
        tick();
        mails = alarmMails();
        EXPECT_EQ(cleared(mails, NAV_DRIFT_ALARM), 1u);
        EXPECT_EQ(cleared(mails, NAV_UI_ALARM), 1u);
    }
}

TEST_F(NavCore, MissingInputsOrDestinationWriteNoReadout)
{
    navigate({A, B});
    T_NAV_pGetWaypoint(1)->u8Status = WP_STATUS_FREE;
    boatAt(at(0, 500));
    tick();
    for (const char* key : {"IBRG", "IDTG", "IXTE", "IDCV"})
        EXPECT_FALSE(f(key)) << key;
    EXPECT_FALSE(s("ITTG"));
}

TEST_F(NavCore, AisTargetTimingOutMidWalkDoesNotHideTheNextOne)
{
    setU("IDTM", T0);
    setB("SAIS", true);
    boatAt(A);
    const S32 fresh = (S32)T0 - 10;
    const S32 stale = (S32)T0 - 2000;
    struct Target {
        U32 mmsi;
        S32 lastTime;
        BOOLEAN alarm;
    };
    std::vector<ais_DeviceInfo> pool;
    for (const Target& t : {Target{1, fresh, TRUE}, Target{2, stale, TRUE}, Target{3, fresh, FALSE},
                            Target{4, stale, FALSE}, Target{5, stale, FALSE}, Target{6, fresh, TRUE}}) {
        ais_DeviceInfo d{};
        d.aisInfo.MMSI = t.mmsi;
        d.ReceiveLastTime = t.lastTime;
        d.bStandinHasAlarm = t.alarm;
        pool.push_back(d);
    }
    NAV_STANDIN_vSetAisTargets(pool);
    tick();
    const auto mails = alarmMails();
    EXPECT_EQ(raised(mails, AIS_CPA_ALARM), 2u);
    EXPECT_EQ(lastRaise(mails, AIS_CPA_ALARM).text, "AIS Alarm for <6>");
    EXPECT_EQ(NAV_STANDIN_u32AisTargetCount(), 3u);
    std::vector<std::pair<U32, bool>> active;
    L_MUTEX_LockWait(RES_AIS_TARGETS);
    ais_DeviceInfo* pTarget = nullptr;
    for (S32 i = 0; T_NMEA_bScanAisPoints(i, &pTarget); ++i)
        active.push_back({pTarget->aisInfo.MMSI, pTarget->bAisAlarmActive != 0});
    L_MUTEX_Unlock(RES_AIS_TARGETS);
    const std::vector<std::pair<U32, bool>> expected = {{1, true}, {3, false}, {6, true}};
    EXPECT_EQ(active, expected);

    setB("SAIS", false);
    tick();
    EXPECT_EQ(raised(alarmMails(), AIS_CPA_ALARM), 0u) << "the walk is off";
}

// ---- The leg restart, the cursor, the zoom hold ----

TEST_F(NavCore, ResetXteMakesTheBoatTheLegStartUnlessTheListIsFull)
{
    const struct {
        U32 used;
        bool inserted;
    } rows[] = {{3, true}, {49, true}, {50, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.used);
        SetUp();
        navigate({A, B, C});
        for (U32 i = 0; i < NAV_LEG_POINTS; ++i)
            s_ptRoutePoint[i] = {(S32)i, -(S32)i};
        s_nRoutePointUsed = r.used;
        s_nRoutePointTarget = 1;
        POINT before[NAV_LEG_POINTS];
        memcpy(before, s_ptRoutePoint, sizeof before);
        const POINT boat = at(300, 700);
        boatAt(boat);

        T_NAV_vResetXTE();

        EXPECT_NEAR(*f("ITRK"), bearing(boat, B), 1e-4) << "the leg course is recalculated in every case";
        EXPECT_TRUE(s_bRecalculate);
        EXPECT_TRUE(signalled(102));
        if (!r.inserted) {
            EXPECT_EQ(s_nRoutePointUsed, 50u);
            EXPECT_EQ(s_nRoutePointTarget, 1u);
            EXPECT_EQ(memcmp(before, s_ptRoutePoint, sizeof before), 0);
            continue;
        }
        EXPECT_EQ(s_nRoutePointUsed, r.used + 1);
        EXPECT_EQ(s_nRoutePointTarget, 2u);
        EXPECT_TRUE(navt::same(s_ptRoutePoint[0], before[0]));
        EXPECT_TRUE(navt::same(s_ptRoutePoint[1], boat));
        for (U32 i = 1; i < r.used; ++i)
            EXPECT_TRUE(navt::same(s_ptRoutePoint[i + 1], before[i])) << i;
    }
}

TEST_F(NavCore, CursorReadoutsFollowAnActiveCursor)
{
    boatAt(A);
    setS("ICLT", B.y);
    setS("ICLN", B.x);
    setB("ICAC", false);
    tick();
    EXPECT_FALSE(f("ICBD"));
    setB("ICAC", true);
    tick();
    EXPECT_NEAR(*f("ICBD"), 2000.0, 20.0);
    EXPECT_NEAR(*f("ICBH"), bearing(A, B), 1e-4);
}

TEST_F(NavCore, ZoomKeyHeldLongerThan1799MsIsReportedOnce)
{
    s_u32ZoomKeyDownTime = H_TICK_u32ReadFreeRunningTimerInMilliSeconds();
    L_CLOCK_vAdvanceTestClock(1500);
    tick();
    EXPECT_FALSE(b("KZHD"));
    L_CLOCK_vAdvanceTestClock(400);
    tick(); // no position: the hold is still seen
    EXPECT_TRUE(*b("KZHD"));
    EXPECT_EQ(s_u32ZoomKeyDownTime, 0u);
}

TEST_F(NavCore, TargetBearingNeedsABoatARouteAndTheWaypoint)
{
    EXPECT_EQ(T_NAV_vGetTargetBearing(1), 0.0f) << "no boat";
    boatAt(at(100, 0));
    EXPECT_EQ(T_NAV_vGetTargetBearing(1), 0.0f) << "empty route";
    navigate({A, B});
    boatAt(at(100, 0));
    EXPECT_NEAR(T_NAV_vGetTargetBearing(1), bearing(at(100, 0), B), 1e-4);
    EXPECT_EQ(T_NAV_vGetTargetBearing(2), 0.0f) << "past the route's end";
    T_NAV_pGetWaypoint(1)->u8Status = WP_STATUS_FREE;
    EXPECT_EQ(T_NAV_vGetTargetBearing(1), 0.0f);
}

} // namespace
