// The boat simulation: the start, acceleration and steering, the square,
// steering for a destination with the rudder's jitter, the simulated clock,
// the start position taken from the cursor, and the frames it asks for.
//
// Each step is one navigation tick in the simulation state with the test
// clock moved on by a second (or as a row says).
#include "nav/tests/nav_core_world.h"

namespace {

using namespace navw;

constexpr U32 SIM_DATE_TIME = 1213461000;

class BoatSimulation : public NavCore {
protected:
    void SetUp() override
    {
        NavCore::SetUp();
        setU("CCST", 4);
        T_NAV_vInitSimulation();
        start = s_ptSimulationStartPoint;
        s_TimeStamp = (TICKS)L_CLOCK_qwGetTimeInTicks();
    }
    void step(U64 ms = 1000)
    {
        L_CLOCK_vAdvanceTestClock(ms);
        T_NAV_vHandleUpdateTimer();
    }
    POINT boat() const { return {*s("ILON"), *s("ILAT")}; }
    POINT start;
};

POINT defaultStart()
{
    const POSITION p = {34.325, -83.95833333333333};
    POINT pt = {0, 0};
    nv_DegrToMeter(&p, &pt);
    return pt;
}

TEST_F(BoatSimulation, InitialisationPublishesAFixedBoatAtTheStart)
{
    const POINT d = defaultStart();
    EXPECT_TRUE(navt::same(start, d));
    EXPECT_TRUE(navt::same(boat(), d));
    EXPECT_EQ(*s("ICLT"), d.y) << "the cursor starts on the boat";
    EXPECT_EQ(*s("ICLN"), d.x);
    EXPECT_EQ(*u("IPFI"), 2u);
    EXPECT_EQ(*u("CGPS"), 7u);
    EXPECT_EQ(*u("ISA3"), 0xA6472B1Cu);
    EXPECT_EQ(*u("IDTM"), SIM_DATE_TIME);
    EXPECT_EQ(*f("ISOG"), 0.0f);
    EXPECT_NEAR(*f("ILTD"), 34.325, 1e-4);
    EXPECT_NEAR(*f("ILND"), -83.958333, 1e-4);
    EXPECT_EQ(s_BoatDescriptor.fHeadingDegrees, 90.0);
    EXPECT_TRUE(navt::same(s_ptAbsoluteAimPoint, POINT{d.x, d.y + 1000}));

    // A start point of its own, in the settings.
    const POINT mine = at(0, 0);
    setS("SNLT", mine.y);
    setS("SNLN", mine.x);
    T_NAV_vInitSimulation();
    EXPECT_TRUE(navt::same(boat(), mine));
    EXPECT_NEAR(*f("ILTD"), 34.0, 1e-4);
}

TEST_F(BoatSimulation, FromTheStartItAcceleratesAndTurnsToPortTowardsTheFirstCorner)
{
    step();
    EXPECT_NEAR(*f("ISOG"), 0.1, 1e-3);
    EXPECT_EQ(*f("IHDG"), 90.0f) << "at speed 0 the rudder stays amidships";
    EXPECT_EQ(s_BoatDescriptor.fRudderAngle, 0.0f);
    EXPECT_TRUE(navt::same(boat(), start)) << "the move uses the speed before the step";

    float previousHeading = 90.0f;
    U32 steps = 1;
    for (int n = 2; n <= 40; ++n) {
        SCOPED_TRACE(n);
        step();
        ++steps;
        EXPECT_NEAR(*f("ISOG"), std::min(0.1 * n, 2.5), 2e-3);
        const float heading = *f("IHDG");
        const bool north = heading < 5.0f || heading > 355.0f;
        if (!north) {
            EXPECT_LT(heading, previousHeading) << "turning to port";
        }
        previousHeading = heading;
        if (north)
            break;
    }
    EXPECT_TRUE(previousHeading < 5.0f || previousHeading > 355.0f) << "heading for the corner due north";
    EXPECT_GT(boat().x, start.x);
    EXPECT_GT(boat().y, start.y);
    EXPECT_EQ(*u("IDTM"), SIM_DATE_TIME + steps);
}

TEST_F(BoatSimulation, RudderIsLimitedTo20AndTurnsPerStep)
{
    const struct {
        double heading;
        float speed;
        float rudder;
        double after;
    } rows[] = {
        {190, 2.5f, 20, 200},   // aim due north: 170 degrees to starboard
        {170, 2.5f, -20, 160},  // 170 degrees to port
        {10, 2.5f, -20, 0},     // small error: rudder -10/(2.5 x 0.2) = -20
        {4, 2.5f, -8, 0},
        {190, 0.0f, 0, 190},    // no speed, no rudder
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.heading << " at " << r.speed);
        SetUp();
        s_BoatDescriptor.fHeadingDegrees = r.heading;
        s_BoatDescriptor.fSpeedMetresPerSecond = r.speed;
        step();
        EXPECT_NEAR(s_BoatDescriptor.fRudderAngle, r.rudder, 0.01);
        EXPECT_NEAR(*f("IHDG"), r.after, 0.01);
    }
}

TEST_F(BoatSimulation, SquareCornersSetSpeedAndNextAimPoint)
{
    const struct {
        U32 corner;     // the step whose aim point the boat reaches
        float speed;    // when it gets there
        U32 next;
        POINT aim;      // the next aim point, from the start
        std::vector<float> speeds; // after each of the following steps
    } rows[] = {
        {0, 2.5f, 1, {-1000, 1000}, {2.45f, 2.40f, 2.35f, 2.30f, 2.25f, 2.20f, 2.15f, 2.10f, 2.05f, 2.0f, 2.0f, 2.0f}},
        {1, 2.0f, 2, {-1000, 0}, {2.1f, 2.2f, 2.3f, 2.4f, 2.5f, 2.5f, 2.5f}},
        {2, 2.5f, 3, {0, 0}, {2.5f, 2.5f, 2.5f}},
        {3, 2.5f, 0, {0, 1000}, {2.5f, 2.5f}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.corner);
        SetUp();
        const POINT reached = {start.x + s_BoatSimulatorAimPoints[r.corner].ptAimpoint.x,
                               start.y + s_BoatSimulatorAimPoints[r.corner].ptAimpoint.y};
        s_u32IndexInAimpointList = r.corner;
        s_ptAbsoluteAimPoint = reached;
        s_BoatDescriptor.CurrentPositionDoubleMM = {reached.x + 5.0, reached.y - 5.0};
        s_BoatDescriptor.fSpeedMetresPerSecond = r.speed;
        for (size_t i = 0; i < r.speeds.size(); ++i) {
            SCOPED_TRACE(i);
            step();
            EXPECT_EQ(s_u32IndexInAimpointList, r.next);
            EXPECT_TRUE(navt::same(s_ptAbsoluteAimPoint, POINT{start.x + r.aim.x, start.y + r.aim.y}));
            EXPECT_NEAR(*f("ISOG"), r.speeds[i], 2e-3);
        }
    }
}

TEST_F(BoatSimulation, NavigatingHoldsTwoAndAHalfAndTheRudderWandersEveryTwentySeconds)
{
    const POINT target = at(600, 900);
    putWaypoint(1, target);
    setU("INIP", 1);
    setU("IDWP", 1);
    // The first step lands 500 ms into a 20 s period.
    const U32 phase = (U32)((L_CLOCK_qwGetTimeInMillis() + 1000) % 20000);
    L_CLOCK_vAdvanceTestClock((20000 + 500 - phase) % 20000);

    const float table[8] = {0, -7, -15, -7, 0, 7, 15, 7};
    U32 expectedIndex = 0;
    for (int n = 1; n <= 22; ++n) {
        SCOPED_TRACE(n);
        // Point the bow at the target so the rudder shows only the jitter.
        const POINT here = {U_NAV_s32NormaliseX(std::llrint(s_BoatDescriptor.CurrentPositionDoubleMM.dX)),
                            U_NAV_s32ClampY(std::llrint(s_BoatDescriptor.CurrentPositionDoubleMM.dY))};
        s_BoatDescriptor.fHeadingDegrees = (float)bearing(here, target);
        step();
        const bool inWindow = n <= 4 || n >= 21;
        if (inWindow)
            expectedIndex = (expectedIndex + 1) % 8;
        EXPECT_EQ(s_u32RudderAdjustmentIndex, expectedIndex);
        EXPECT_NEAR(s_BoatDescriptor.fRudderAngle, inWindow ? table[expectedIndex] : 0.0f, 0.01);
        EXPECT_EQ(*f("ISOG"), 2.5f) << "2.5 m/s from the first navigating step";
        EXPECT_TRUE(navt::same(s_ptAbsoluteAimPoint, target));
    }
    EXPECT_FALSE(s_bSimulatingSquare);

    // Navigation over: the boat keeps steering for the last destination.
    setU("INIP", 0);
    step();
    EXPECT_FALSE(s_bSimulatingSquare);
    EXPECT_TRUE(navt::same(s_ptAbsoluteAimPoint, target));
}

TEST_F(BoatSimulation, SimulatedClockRunsOneSecondPerStepWhateverTheRealTime)
{
    s_BoatDescriptor.fSpeedMetresPerSecond = 2.5f;
    s_BoatDescriptor.fHeadingDegrees = 0.0;
    const U64 gaps[] = {1000, 5000, 200, 1000};
    U32 dtm = SIM_DATE_TIME;
    for (U64 ms : gaps) {
        SCOPED_TRACE(ms);
        const POINT before = boat();
        step(ms);
        EXPECT_EQ(*u("IDTM"), ++dtm);
        // Heading north at 2.5 m/s: the move is the real time's.
        EXPECT_NEAR(distance(before, boat()), 2.5 * ms / 1000.0, 0.02 * 2.5 * ms / 1000.0 + 1.0);
    }
}

TEST_F(BoatSimulation, StepIsSkippedWithoutSpeedHeadingOrClock)
{
    for (const char* key : {"ISOG", "IHDG", "IDTM"}) {
        SCOPED_TRACE(key);
        SetUp();
        s_BoatDescriptor.fSpeedMetresPerSecond = 2.5f;
        step(); // moves
        const POINT before = boat();
        const U32 dtm = *u("IDTM");
        T_NAV_ALARM_vSetNavUIRawNoteWithTimeout("probe", 1); // the next counted tick clears it
        alarmMails();
        H_DATABASE_vDeleteEntry(k(key));
        step();
        EXPECT_TRUE(navt::same(boat(), before));
        if (std::string(key) != "IDTM") {
            EXPECT_EQ(*u("IDTM"), dtm);
        }
        EXPECT_EQ(cleared(alarmMails(), NAV_UI_ALARM), 1u) << "the rest of the update goes on";
    }
}

TEST_F(BoatSimulation, StepsAskForFramesInChartViews)
{
    const struct {
        S32 view;
        S32 pane;
        bool frame;
    } rows[] = {{28, 1, true}, {23, 1, true}, {26, 3, true}, {58, 2, true}, {58, 3, false}, {12, 1, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.view << "/" << r.pane);
        setS("CVEW", r.view);
        setS("CVAS", r.pane);
        L_SEMA_SetPending(SEMA_VIEW_UPDATE);
        step();
        EXPECT_EQ(signalled(SEMA_VIEW_UPDATE), r.frame);
    }
}

TEST_F(BoatSimulation, StartPositionComesFromTheActiveCursor)
{
    const POINT cursor = at(-3000, 2500);
    const struct {
        const char* name;
        int cursorActive; // -1 missing
        U32 state;
        bool taken;
        bool moved;
    } rows[] = {
        {"no cursor", -1, 4, false, false},
        {"cursor not active", 0, 4, false, false},
        {"cursor active, simulating", 1, 4, true, true},
        {"cursor active, point of sale", 1, 6, true, true},
        {"cursor active, normal run", 1, 3, true, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        setU("CCST", r.state);
        if (r.cursorActive >= 0)
            setB("ICAC", r.cursorActive == 1);
        setS("ICLT", cursor.y);
        setS("ICLN", cursor.x);
        L_SEMA_SetPending(102);
        L_SEMA_SetPending(103);
        T_NAV_vSetBoatSimulationStartPosition();
        EXPECT_EQ(signalled(102), r.taken);
        EXPECT_EQ(signalled(103), !r.taken);
        EXPECT_EQ(s("SNLT").has_value(), r.taken);
        if (r.taken) {
            EXPECT_EQ(*s("SNLT"), cursor.y);
            EXPECT_EQ(*s("SNLN"), cursor.x);
        } else {
            const auto mails = alarmMails();
            ASSERT_EQ(mails.size(), 1u);
            EXPECT_EQ(mails[0].priority, NAV_UI_ALARM);
            EXPECT_EQ(mails[0].text, Position_Cursor_First[0]);
            EXPECT_EQ(mails[0].set.pFunctionAlarmCancel, T_NAV_vUINoteCancelled);
        }
        EXPECT_EQ(navt::same(boat(), cursor), r.moved);
    }
}

} // namespace
