// The sonar cursor and the history task's key handling, driven as the task
// drives them: key mails into vHandleKeys with the view, pane and stores set
// up as the screens leave them.
#include "sonar/history/t_n_history_cursor.h"

#include "kernel/l_sema.h"
#include "sonar/history/t_n_history_conf.h"
#include "sonar/history/t_n_history_mss.h"
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/screens/t_n_history_frame.h"
#include "sonar/screens/t_n_history_imaging.h"
#include "sonar/tests/history_world.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace t_n_history;
using namespace history_test;

namespace {

struct Clicks {
    bool good;
    bool bad;
};

Clicks clicks()
{
    Clicks c{false, false};
    while (L_SEMA_WaitTicks(SEMA_KEYCLICK_GOOD, 0) == 0)
        c.good = true;
    while (L_SEMA_WaitTicks(SEMA_KEYCLICK_BAD, 0) == 0)
        c.bad = true;
    return c;
}

S32 s32(const char (&key)[5], S32 absent = -99999)
{
    S32 v = absent;
    H_DATABASE_bFetchS32(FCID(key), &v, nullptr, nullptr);
    return v;
}

bool boolean(const char (&key)[5])
{
    BOOLEAN v = FALSE;
    H_DATABASE_bFetchBoolean(FCID(key), &v, nullptr, nullptr);
    return v != FALSE;
}

MSG_KEY_CHANGE key(U32 u32Key, CURSOR_POSITION c = CURSOR_UP, U32 count = 1)
{
    MSG_KEY_CHANGE m{};
    m.key = u32Key;
    m.state = KEY_DOWN;
    m.count = count;
    m.cursor = c;
    return m;
}

void press(U32 u32Key, CURSOR_POSITION c = CURSOR_UP, U32 count = 1)
{
    const MSG_KEY_CHANGE m = key(u32Key, c, count);
    vHandleKeys(&m);
}

class Cursor : public ::testing::Test {
protected:
    void SetUp() override
    {
        worldWithWindows();
        keyboardStandIn();
        setView(VIEW_SONAR, SPLIT_FULL_WINDOW);
        vMakeCursorInactive();
        keyMails();
        s_u32SystemState = 3;
        s_u32PPIZoom = 0;
        SonarViewInfo.Window[0].Beam = 0;
        SonarViewInfo.bBottomLockZoom = FALSE;
        if (s_sBeamInfo[0].pTSUStore == nullptr)
            s_sBeamInfo[0].pTSUStore = &TSUStore[0];
        if (s_sBeamInfo[1].pTSUStore == nullptr)
            s_sBeamInfo[1].pTSUStore = &TSUStore[1];
        pStore = s_sBeamInfo[0].pTSUStore;
        for (U32 i = 0; i < TSU_STORE_COLUMNS; ++i) {
            TSU_STORE_COLUMN& c = pStore->aTsuStore[i];
            c.fDepthMetres = (float)i; // the depth names the column
            c.HeadingSource = HEADING_SOURCE_GPS;
            c.fHeadingTrueDegrees = 0.0f;
            c.Location = SONAR_PING_LOCATION{TRUE, 1000, 2000};
            s_sBeamInfo[1].pTSUStore->aTsuStore[i] = c;
        }
        CursorWindow = WINDOW_LOCATION{};
        CursorWindow.s32ClipLeft = 0;
        CursorWindow.s32ClipRight = 795;
        CursorWindow.s32ClipBottom = 0;
        CursorWindow.s32ClipTop = 400;
        s_bFvEnhanceDialogActive = FALSE;
        s_bKvEnhanceDialogActive = FALSE;
        s_bSweepEnhanceDialogActive = FALSE;
        clicks();
    }
    void TearDown() override
    {
        vMakeCursorInactive();
        s_u32SystemState = 3;
    }
    static void setView(LAYER_ID view, SPLIT_WINDOW_TYPE split)
    {
        setS32("CVEW", view);
        setS32("CVAS", split);
    }
    FULL_SCREEN_TSU* pStore = nullptr;
};

TEST_F(Cursor, FirstKeyCentresLaterKeysMoveByTheRepeatCountWithinThePane)
{
    press(KEY_CURSOR, CURSOR_EAST);
    EXPECT_TRUE(s_bCursorActive.load());
    EXPECT_TRUE(boolean("ICAC"));
    EXPECT_EQ(s32("ICPX"), 397);
    EXPECT_EQ(s32("ICPY"), 200);
    EXPECT_TRUE(clicks().good);
    EXPECT_TRUE(has(keyMails(), CMD_ID_REGISTER_FOR_KEYS, KEY_EXIT));

    press(KEY_CURSOR, CURSOR_WEST, 500); // held: at most 200 a step, no click
    EXPECT_EQ(s32("ICPX"), 197);
    EXPECT_FALSE(clicks().good);
    press(KEY_CURSOR, CURSOR_NORTH_WEST, 500);
    EXPECT_EQ(s32("ICPX"), 0); // clamped to the pane
    EXPECT_EQ(s32("ICPY"), 400);
    press(KEY_CURSOR, CURSOR_SOUTH_EAST, 3);
    EXPECT_EQ(s32("ICPX"), 3);
    EXPECT_EQ(s32("ICPY"), 397);
}

TEST_F(Cursor, GapsBetweenPanesAreJumped)
{
    setView(VIEW_SONAR_ZOOM, SPLIT_FULL_WINDOW);
    s_u32UnZoomedWidth = 400; // zoom window up to 396, main from 400
    CursorWindow.s32ClipLeft = 390;
    CursorWindow.s32ClipRight = 795;
    press(KEY_CURSOR);
    for (int i = 0; i < 300; ++i) {
        press(KEY_CURSOR, i < 150 ? CURSOR_WEST : CURSOR_EAST);
        const S32 x = s32("ICPX");
        EXPECT_FALSE(x > 396 && x < 400) << x;
    }
    vMakeCursorInactive();

    setView(VIEW_DUAL_BEAM, SPLIT_FULL_WINDOW);
    CursorWindow.s32ClipLeft = 0;
    CursorWindow.s32ClipRight = 795;
    press(KEY_CURSOR); // x 397
    press(KEY_CURSOR, CURSOR_EAST);
    EXPECT_EQ(s32("ICPX"), 401);
    press(KEY_CURSOR, CURSOR_WEST);
    EXPECT_EQ(s32("ICPX"), 397);
}

TEST_F(Cursor, HorizontalPanesMapToTheStoredPingAcrossTheRingWrap)
{
    pStore->u32NextFreeColumn = 10;
    press(KEY_CURSOR);
    press(KEY_CURSOR, CURSOR_EAST, 200);
    press(KEY_CURSOR, CURSOR_EAST, 200); // right edge: the newest ping
    EXPECT_EQ(s32("ICPX"), 795);
    EXPECT_FLOAT_EQ(f32("ICDP"), 9.0f);
    for (int i = 0; i < 4; ++i)
        press(KEY_CURSOR, CURSOR_WEST, 200);
    EXPECT_EQ(s32("ICPX"), 0); // 795 columns back: 10 - 1 - 795 + 820
    EXPECT_FLOAT_EQ(f32("ICDP"), 34.0f);
    EXPECT_TRUE(boolean("ICLV"));
    EXPECT_EQ(s32("ICLN"), 1000);
    EXPECT_EQ(s32("ICLT"), 2000);
}

TEST_F(Cursor, SidePaneRangeBottomDepthAndMissingNavigation)
{
    setView(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW);
    db_u32SideBeamView = SIDE_BEAM_BOTH;
    SonarViewInfo.Window[1].fUpperDisplayedMetres = 0.0f;
    SonarViewInfo.Window[1].fLowerDisplayedMetres = 40.0f;
    CursorWindow.s32ClipLeft = 0;
    CursorWindow.s32ClipRight = 400;
    FULL_SCREEN_TSU* pSide = s_sBeamInfo[0].pTSUStore;
    pSide->u32NextFreeColumn = 300;
    for (U32 i = 0; i < TSU_STORE_COLUMNS; ++i)
        pSide->aTsuStore[i].fDepthMetres = 1.5f;
    press(KEY_CURSOR); // centre: range 0, on the track
    EXPECT_FLOAT_EQ(f32("ICCD"), 0.0f);
    EXPECT_FLOAT_EQ(f32("ICDP"), 1.5f);
    press(KEY_CURSOR, CURSOR_WEST, 200); // left edge: port, 40 m
    EXPECT_FLOAT_EQ(f32("ICCD"), 40.0f);
    EXPECT_FLOAT_EQ(f32("ICDP"), 0.0f); // off the track
    EXPECT_LT(s32("ICLN"), 1000); // to port (west) of a ping heading north

    // A ping without heading publishes nothing but a frame request.
    for (U32 i = 0; i < TSU_STORE_COLUMNS; ++i)
        pSide->aTsuStore[i].HeadingSource = HEADING_SOURCE_NO_DATA;
    setFloat("ICCD", -5.0f);
    press(KEY_CURSOR, CURSOR_EAST, 100);
    EXPECT_FLOAT_EQ(f32("ICCD"), -5.0f);
    // A ping without a position publishes only that position.
    for (U32 i = 0; i < TSU_STORE_COLUMNS; ++i) {
        pSide->aTsuStore[i].HeadingSource = HEADING_SOURCE_GPS;
        pSide->aTsuStore[i].Location = SONAR_PING_LOCATION{FALSE, 7000, 8000};
    }
    press(KEY_CURSOR, CURSOR_EAST, 10);
    EXPECT_FLOAT_EQ(f32("ICCD"), -5.0f);
    EXPECT_EQ(s32("ICLN"), 7000);
    EXPECT_EQ(s32("ICLT"), 8000);
    for (U32 i = 0; i < TSU_STORE_COLUMNS; ++i)
        pSide->aTsuStore[i].Location = SONAR_PING_LOCATION{TRUE, 1000, 2000};
    // An unknown side setting publishes no range and is not fatal.
    for (U32 i = 0; i < TSU_STORE_COLUMNS; ++i)
        pSide->aTsuStore[i].HeadingSource = HEADING_SOURCE_GPS;
    db_u32SideBeamView = 0;
    press(KEY_CURSOR, CURSOR_EAST, 10);
    EXPECT_FLOAT_EQ(f32("ICCD"), -5.0f);
    db_u32SideBeamView = SIDE_BEAM_BOTH;
}

TEST_F(Cursor, The360CursorStaysInsideThePictureAndReadsBearings)
{
    setView(VIEW_PPI_DISPLAY, SPLIT_FULL_WINDOW);
    s_bMSSDeployed = TRUE;
    s_MSSObject.SweepingSetting = SWEEP_SETTING_OFF;
    s_u32360HeadingOffsetEnabled = 0;
    s_u32PPIZoom = 0;
    s_PPIDisplayDescriptor.CenterX = 400;
    s_PPIDisplayDescriptor.CenterY = 300;
    s_PPIDisplayDescriptor.u32CenterRadius = 2;
    s_PPIDisplayDescriptor.u32Width = 100;
    press(KEY_CURSOR);
    EXPECT_TRUE(boolean("ICAC"));
    EXPECT_EQ(s32("ICPX"), 400);
    struct Case {
        CURSOR_POSITION dir;
        float bearing;
    } cases[] = {{CURSOR_NORTH, 0.0f}, {CURSOR_EAST, 90.0f}, {CURSOR_SOUTH, 180.0f}, {CURSOR_WEST, 270.0f}};
    for (const Case& c : cases) {
        s_pt360CursorOffset = POINT{0, 0};
        for (int i = 0; i < 10; ++i)
            press(KEY_CURSOR, c.dir, 5);
        EXPECT_NEAR(f32("ICMB"), c.bearing, 0.01f) << c.dir;
        EXPECT_GT(f32("ICMD", -1.0f), -0.5f);
    }
    clicks();
    for (int i = 0; i < 30; ++i)
        press(KEY_CURSOR, CURSOR_NORTH_EAST, 5);
    const POINT o = s_PPIDisplayDescriptor.s32CursorOffset;
    EXPECT_LE(std::hypot((double)o.x, (double)o.y), 102.0);
    EXPECT_TRUE(clicks().bad);
}

class Cursor360 : public Cursor {
protected:
    void SetUp() override
    {
        Cursor::SetUp();
        setView(VIEW_PPI_DISPLAY, SPLIT_FULL_WINDOW);
        s_bMSSDeployed = TRUE;
        s_bMSSRetracting = FALSE;
        s_bLockedPosValid = FALSE;
        s_MSSObject.SweepingSetting = SWEEP_SETTING_OFF;
        s_u32360HeadingOffsetEnabled = 0;
        s_PPIDisplayDescriptor.CenterX = 400;
        s_PPIDisplayDescriptor.CenterY = 300;
        s_PPIDisplayDescriptor.u32CenterRadius = 2;
        s_PPIDisplayDescriptor.u32Width = 300;
        s_fPPIPixelsPerMM = 0.1f; // 10 Mercator metres a pixel
        setS32("YMHL", 0);
        H_DATABASE_bUpdateEverythingBoolean(FCID("SNIM"), TRUE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    }
    void TearDown() override
    {
        Cursor::TearDown();
        s_MSSObject.SweepingSetting = SWEEP_SETTING_OFF;
        s_u32360HeadingOffsetEnabled = 0;
        s_bMSSRetracting = FALSE;
        s_bMSSDataLocked = FALSE;
    }
};

TEST_F(Cursor360, TheCursorsPositionTurnsWithTheHeadingAroundTheBoat)
{
    s_u32SystemState = 4; // simulation: "IHDG" without a compass
    struct Case {
        float heading;
        S32 boatX;
        S32 wantX, wantY; // 50 pixels straight up the picture is 500 m ahead
    } cases[] = {
        {0.0f, 1000, 1000, 2500},
        {90.0f, 1000, 1500, 2000},
        {180.0f, 1000, 1000, 1500},
        {270.0f, 1000, 500, 2000},
        {90.0f, 20038000, 20038500 - 40076600, 2000}, // east across the date line
    };
    for (const Case& c : cases) {
        vMakeCursorInactive();
        setS32("ILON", c.boatX);
        setS32("ILAT", 2000);
        setFloat("IHDG", c.heading);
        setS32("ICLN", -1);
        press(KEY_CURSOR);
        for (int i = 0; i < 10; ++i)
            press(KEY_CURSOR, CURSOR_NORTH, 5);
        EXPECT_NEAR(s32("ICLN"), c.wantX, 1) << c.heading << " " << c.boatX;
        EXPECT_NEAR(s32("ICLT"), c.wantY, 1) << c.heading << " " << c.boatX;
        EXPECT_TRUE(boolean("ICLV"));
    }

    // Outside simulation the compass is needed; without it (and without a
    // frozen picture) the position is not touched.
    s_u32SystemState = 3;
    H_DATABASE_vDeleteEntry(FCID("IHDC"));
    setS32("ICLN", -1);
    press(KEY_CURSOR, CURSOR_NORTH, 5);
    EXPECT_EQ(s32("ICLN"), -1);
    // The frozen picture's boat and heading stand in for the live ones.
    s_ptLockedPosition = POINT{5000, 6000};
    s_fLockedHeading = 0.0f;
    s_bLockedPosValid = TRUE;
    press(KEY_CURSOR, CURSOR_SOUTH, 5);
    EXPECT_NEAR(s32("ICLN"), 5000, 1);
    EXPECT_NEAR(s32("ICLT"), 6500, 1);
    s_bLockedPosValid = FALSE;
}

TEST_F(Cursor360, ARetractingUnitRefusesTheCursorAndTheZoom)
{
    s_bMSSRetracting = TRUE;
    setU32("PPIZ", 1);
    for (U32 k : {KEY_CURSOR, KEY_ZOOM_IN}) {
        clicks();
        press(k);
        EXPECT_TRUE(clicks().bad) << k;
    }
    EXPECT_FALSE(s_bCursorActive.load());
    EXPECT_EQ(u32("PPIZ"), 1u);
    s_bMSSRetracting = FALSE;
    press(KEY_CURSOR);
    EXPECT_TRUE(s_bCursorActive.load());
}

TEST_F(Cursor360, ExitLeavesAnAreaLayoutAndTheHeadingOffsetSetting)
{
    MSS_STATUS_DESCRIPTOR& m = s_MSSObject;
    // An area laid out while another was in force goes back to that one.
    m.SweepingSetting = ISOLATE_SWEEP_SETTING;
    m.bIsLastSweepFull = FALSE;
    m.s32SweepStartSaved = 300;
    m.s32SweepRangeSaved = 100;
    m.s32SweepStart = 900;
    m.s32SweepRange = 400;
    keyMails();
    press(KEY_EXIT);
    EXPECT_EQ(m.SweepingSetting, ISOLATE_SWEEP_ON);
    EXPECT_EQ(m.s32SweepStart, 300);
    EXPECT_EQ(m.s32SweepRange, 100);
    EXPECT_EQ(s32("YASS"), (S32)ISOLATE_SWEEP_ON);
    EXPECT_EQ(s32("YISR"), 100);
    EXPECT_TRUE(has(keyMails(), CMD_ID_UNREGISTER_FOR_KEYS, KEY_EXIT));
    // After the full circle it goes back to the full circle.
    m.SweepingSetting = ISOLATE_SWEEP_SETTING;
    m.bIsLastSweepFull = TRUE;
    press(KEY_EXIT);
    EXPECT_EQ(m.SweepingSetting, SWEEP_SETTING_OFF);
    EXPECT_EQ(s32("YASS"), 0);

    // The heading-offset setting ends without keeping the unconfirmed angle.
    s_u32360HeadingOffsetEnabled = 1;
    setU32("MHLE", 1);
    setS32("YMHL", 12);
    s_s32HeadingOffsetDegrees = 25;
    setS32("YQSS", 77);
    keyMails();
    clicks();
    press(KEY_EXIT);
    EXPECT_EQ(u32("MHLE"), 0u);
    EXPECT_EQ(s_s32HeadingOffsetDegrees.load(), 12);
    EXPECT_EQ(s32("YQSS"), -1);
    EXPECT_EQ(s32("YQSR"), -1);
    const auto mails = keyMails();
    EXPECT_TRUE(has(mails, CMD_ID_UNREGISTER_FOR_KEYS, KEY_INFO));
    EXPECT_TRUE(has(mails, CMD_ID_UNREGISTER_FOR_KEYS, KEY_EXIT));
    const Clicks c = clicks();
    EXPECT_FALSE(c.good || c.bad);
}

TEST_F(Cursor360, InfoConfirmsAnAreaAndLaysAQuickSweepInsideIt)
{
    MSS_STATUS_DESCRIPTOR& m = s_MSSObject;
    m.SweepingSetting = ISOLATE_SWEEP_SETTING;
    m.SweepStatus = FULL_SWEEP;
    m.s32SweepStart = 500;
    m.s32SweepRange = 200;
    keyMails();
    press(KEY_INFO);
    EXPECT_EQ(m.SweepingSetting, ISOLATE_SWEEP_ON);
    EXPECT_EQ(u32("YSPL"), (U32)SWEEP_IN_AREA);
    EXPECT_TRUE(has(keyMails(), CMD_ID_UNREGISTER_FOR_KEYS, KEY_EXIT));

    // The area runs from 300 up to 500; the sweep line is one edge of the
    // quick sweep, the area's edge the transducer came from the other.
    struct Case {
        BOOLEAN clockwise;
        S32 line;
        bool taken;
        S32 wantStart, wantRange;
    } cases[] = {
        {FALSE, 470, false, 0, 0},  // 30 sectors before the clockwise edge
        {FALSE, 400, true, 500, 100},
        {TRUE, 320, false, 0, 0},   // 20 sectors past the counter-clockwise edge
        {TRUE, 350, true, 350, 50},
    };
    for (const Case& c : cases) {
        m.SweepingSetting = ISOLATE_SWEEP_ON;
        m.SweepStatus = SWEEP_IN_AREA;
        m.s32SweepStart = 500;
        m.s32SweepRange = 200;
        s_bClockwise = c.clockwise;
        s_s32PPISector = c.line;
        setS32("YQSS", -1);
        setS32("YQSR", -1);
        setU32("YSPL", 99);
        keyMails();
        clicks();
        press(KEY_INFO);
        EXPECT_EQ(u32("YSPL"), (U32)SWEEP_IN_AREA) << c.line;
        if (!c.taken) {
            EXPECT_TRUE(clicks().bad) << c.line;
            EXPECT_EQ(m.SweepingSetting, ISOLATE_SWEEP_ON) << c.line;
            EXPECT_EQ(s32("YQSS"), -1) << c.line;
            continue;
        }
        EXPECT_EQ(m.SweepingSetting, QUICK_SWEEP_IN_ISOLATE_SETTING) << c.line;
        EXPECT_EQ(m.s32QuickSweepRangeInIsolate, c.wantRange) << c.line;
        EXPECT_EQ(s32("YQSS"), c.wantStart) << c.line;
        EXPECT_EQ(s32("YQSR"), c.wantRange) << c.line;
        EXPECT_TRUE(has(keyMails(), CMD_ID_REGISTER_FOR_KEYS, KEY_EXIT)) << c.line;
        EXPECT_EQ(s_bQuickSweepLeftEdgeSet.load() != FALSE, !c.clockwise) << c.line;
        if (!c.clockwise) {
            EXPECT_EQ(s_s32QuickSweepLeftEdge.load(), c.line);
        }
    }
}

TEST_F(Cursor, AStatementOnScreenTakesTheKeyFirst)
{
    T_N_HISTORY_CONF_vSetup("Note", nullptr, nullptr, 0, 0);
    press(KEY_CURSOR);
    EXPECT_FALSE(s_bCursorActive.load()); // the key removed the notice
    EXPECT_FALSE(t_n_history_conf::sSnapshot().bUp);
    press(KEY_CURSOR);
    EXPECT_TRUE(s_bCursorActive.load());
}

TEST_F(Cursor, LeavingTheCursorDuringPlaybackRestoresThePlaybackMode)
{
    s_u32SystemState = 11;
    setU32("CPSP", 2);
    press(KEY_CURSOR);
    EXPECT_EQ(u32("CPSP"), 6u);
    press(KEY_EXIT);
    EXPECT_EQ(u32("CPSP"), 2u);
    EXPECT_FALSE(boolean("ICAC"));
    EXPECT_TRUE(has(keyMails(), CMD_ID_UNREGISTER_FOR_KEYS, KEY_EXIT));
}

// ---- Keys ----

TEST_F(Cursor, ZoomKeysStepTheirLevelOrAreRefused)
{
    setView(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW);
    db_u32SideBeamView = SIDE_BEAM_BOTH;
    press(KEY_CURSOR);
    setU32("ISIZ", 3);
    clicks();
    press(KEY_ZOOM_IN);
    EXPECT_EQ(u32("ISIZ"), 3u);
    EXPECT_TRUE(clicks().bad);
    press(KEY_ZOOM_OUT);
    EXPECT_EQ(u32("ISIZ"), 2u);
    EXPECT_TRUE(clicks().good);
    vMakeCursorInactive();

    setView(VIEW_PPI_DISPLAY, SPLIT_FULL_WINDOW);
    s_bMSSDeployed = TRUE;
    s_MSSObject.SweepingSetting = SWEEP_SETTING_OFF;
    s_PPIDisplayDescriptor.u32Width = 840;
    setU32("PPIZ", 2);
    press(KEY_ZOOM_IN); // 2 x 72 + 840 = 984 is not below 976
    EXPECT_EQ(u32("PPIZ"), 2u);
    EXPECT_TRUE(clicks().bad);
    s_PPIDisplayDescriptor.u32Width = 800;
    press(KEY_ZOOM_IN);
    EXPECT_EQ(u32("PPIZ"), 3u);
    EXPECT_EQ(s_u32PPIZoom.load(), 3u);

    setView(VIEW_SONAR_ZOOM, SPLIT_FULL_WINDOW);
    setU32("SSZL", 1);
    SonarViewInfo.bBottomLockZoom = TRUE;
    clicks();
    press(KEY_ZOOM_IN);
    EXPECT_EQ(u32("SSZL"), 1u);
    EXPECT_TRUE(clicks().bad);
    SonarViewInfo.bBottomLockZoom = FALSE;
    press(KEY_ZOOM_IN);
    EXPECT_EQ(u32("SSZL"), 2u);
    press(KEY_CURSOR);
    press(KEY_ZOOM_OUT); // the cursor does not take the zoom view's keys
    EXPECT_EQ(u32("SSZL"), 1u);
}

TEST_F(Cursor, ExitWithNothingActiveResamplesAndClicks)
{
    bForceResample = FALSE;
    s_MSSObject.SweepingSetting = SWEEP_SETTING_OFF;
    press(KEY_EXIT);
    EXPECT_TRUE(bForceResample.load());
    EXPECT_TRUE(clicks().good);
}

TEST_F(Cursor, SweepAreaAndHeadingOffsetEdits)
{
    setView(VIEW_PPI_DISPLAY, SPLIT_FULL_WINDOW);
    s_u32360HeadingOffsetEnabled = 0;
    s_MSSObject.SweepingSetting = ISOLATE_SWEEP_SETTING;
    struct Case {
        S32 start, range;
        CURSOR_POSITION dir;
        U32 step;
        S32 wantStart, wantRange;
    } cases[] = {
        {400, 50, CURSOR_NORTH, 10, 400, 44},
        {400, 790, CURSOR_SOUTH, 5, 400, 798},
        {1595, 200, CURSOR_EAST, 10, 5, 200},
        {5, 200, CURSOR_WEST, 10, 1595, 200},
        {400, 100, CURSOR_NORTH, 10, 390, 80},
    };
    for (const Case& c : cases) {
        s_MSSObject.s32SweepStart = c.start;
        s_MSSObject.s32SweepRange = c.range;
        press(KEY_CURSOR, c.dir, c.step);
        EXPECT_EQ(s_MSSObject.s32SweepStart, c.wantStart) << c.start << " " << c.range;
        EXPECT_EQ(s_MSSObject.s32SweepRange, c.wantRange) << c.start << " " << c.range;
    }

    s_MSSObject.SweepingSetting = SWEEP_SETTING_OFF;
    s_u32360HeadingOffsetEnabled = 1;
    s_s32HeadingOffsetDegrees = 28;
    press(KEY_CURSOR, CURSOR_EAST, 5);
    EXPECT_EQ(s_s32HeadingOffsetDegrees.load(), 30);
    press(KEY_CURSOR, CURSOR_EAST, 5);
    EXPECT_EQ(s_s32HeadingOffsetDegrees.load(), 30);
    s_u32360HeadingOffsetEnabled = 0;
    s_bMSSDataLocked = FALSE;
}

TEST_F(Cursor, InfoOnANarrowQuickSweepIsRefusedAndStillPublishesTheStatus)
{
    setView(VIEW_PPI_DISPLAY, SPLIT_FULL_WINDOW);
    s_bMSSDeployed = TRUE;
    s_u32360HeadingOffsetEnabled = 0;
    s_MSSObject.SweepingSetting = QUICK_SWEEP_SETTING;
    s_MSSObject.SweepStatus = FULL_SWEEP;
    s_MSSObject.s32SweepRange = 44;
    setU32("YSPL", 99);
    press(KEY_INFO);
    EXPECT_TRUE(clicks().bad);
    EXPECT_EQ(s_MSSObject.SweepingSetting, QUICK_SWEEP_SETTING);
    EXPECT_EQ(u32("YSPL"), (U32)FULL_SWEEP);
    s_MSSObject.s32SweepRange = 45;
    press(KEY_INFO);
    EXPECT_EQ(s_MSSObject.SweepingSetting, QUICK_SWEEP_ON);
    EXPECT_EQ(u32("YSPL"), (U32)SWEEP_IN_AREA);
    s_MSSObject.SweepingSetting = SWEEP_SETTING_OFF;
}

TEST_F(Cursor, KeelviewDialogStopsAtItsLastItemAndItsTopValue)
{
    s_bKvEnhanceDialogActive = TRUE;
    s_s32KvActiveDialogItem = 1;
    press(KEY_CURSOR, CURSOR_SOUTH);
    press(KEY_CURSOR, CURSOR_SOUTH);
    EXPECT_EQ(s_s32KvActiveDialogItem.load(), 3);
    clicks();
    press(KEY_CURSOR, CURSOR_SOUTH);
    EXPECT_EQ(s_s32KvActiveDialogItem.load(), 3);
    EXPECT_TRUE(clicks().bad);
    H_DATABASE_bUpdateEverythingU32(s_fcidKvEnhanceId[3], 3, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    press(KEY_CURSOR, CURSOR_EAST);
    EXPECT_TRUE(clicks().bad);
    press(KEY_CURSOR, CURSOR_WEST);
    EXPECT_TRUE(clicks().good);
    U32 v = 0;
    H_DATABASE_bFetchU32(s_fcidKvEnhanceId[3], &v, nullptr, nullptr);
    EXPECT_EQ(v, 2u);
    press(KEY_EXIT);
    EXPECT_FALSE(s_bKvEnhanceDialogActive.load());
}

} // namespace
