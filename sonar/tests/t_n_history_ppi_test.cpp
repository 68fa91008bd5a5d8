// The 360 ping processing: which sectors a ping of either face writes, the
// interpolation between pings, the gap fill, the sweep-area test and the
// freeze while zoomed with the cursor active. The colour table is the
// identity here, so a sector's colours are the samples drawn into it.
#include "sonar/history/t_n_history_ppi.h"
#include "sonar/process/t_n_process_state.h"
#include "graphics/tests/g_testing.h"
#include "sonar/tests/history_world.h"

#include "graphics/g_icon.h"
#include "graphics/u_fonts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace history_test;
using namespace t_n_history;

namespace {

constexpr COLOR UNTOUCHED = 0xBEEF;

class PPIProcessing : public ::testing::Test {
protected:
    void SetUp() override
    {
        worldWithWindows();
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
        L_MUTEX_LockWait(RES_S_INFO);
        vInit360();
        for (U32 i = 0; i < GRAYSCALE_LEVELS; ++i)
            SweepscanGrayScaleTable.acColor[i] = (COLOR)i;
        SweepscanGrayScaleTable.ePostProcessMode = POST_PROCESS_SIDESCAN;
        SonarViewInfo.Window[4].u32UpperSample = 0;
        SonarViewInfo.Window[4].u32LowerSample = PPI_MAX_SAMPLES;
        s_sBeamInfo[2].s8Gain = 0;
        s_sBeamInfo[3].s8Gain = 0;
        s_u32SweepScanFilter = 0;
        s_bSweepTerrainMode = FALSE;
        s_u32PPISectorStepFactor = 1;
        s_PPIDisplayDescriptor.u32MaxSamples = PPI_MAX_SAMPLES;
        L_MUTEX_Unlock(RES_S_INFO);
        s_bMSSDeployed = TRUE;
        s_bMSSConnected = TRUE;
        s_bCursorActive = FALSE;
        setS32("YMHL", 0);
        setU32("PPIZ", 0);
        for (auto& row : s_aPPIColorData)
            std::fill(std::begin(row), std::end(row), UNTOUCHED);
        T_N_PROCESS_vClearMssBuffer();
    }

    // A ping whose samples are all v, as the accumulator's strip holds it.
    static void ping(S32 pos, BEAM beam, U32 n, bool cw, U8 v)
    {
        RETURN_ACCUMULATOR& a = t_n_process::Accumulator[beam];
        memset(a.pu8RtsData, v, PPI_MAX_SAMPLES);
        a.u32RtsSamples = PPI_MAX_SAMPLES;
        T_N_HISTORY_vProcessPPISonar(pos, beam, n, cw ? TRUE : FALSE);
    }

    static COLOR row(S32 sector) { return s_aPPIColorData[sector][10]; }

    // The sectors that any ping wrote.
    static std::vector<S32> written()
    {
        std::vector<S32> out;
        for (S32 s = 0; s < (S32)PPI_SECTORS; ++s)
            if (row(s) != UNTOUCHED)
                out.push_back(s);
        return out;
    }
};

TEST_F(PPIProcessing, EachFaceLandsOnItsOwnSectorCorrectedByTheHeadingOffset)
{
    struct Case {
        S32 pos;
        BEAM beam;
        S32 headingOffset; // "YMHL", degrees
        S32 sector;
    };
    const Case cases[] = {
        {100, 3, 0, 900},  // the rear face looks half a turn away
        {100, 2, 0, 100},
        {0, 2, 10, 1556},  // 10 degrees are 44 sectors, not 44.4
        {900, 3, 10, 56},
        {1599, 2, -1, 3},  // a negative offset turns the other way, across sector 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sector);
        SetUp();
        setS32("YMHL", c.headingOffset);
        ping(c.pos, c.beam, 1, true, 40);
        EXPECT_EQ(written(), std::vector<S32>{c.sector});
        EXPECT_EQ(row(c.sector), 40);
    }
}

TEST_F(PPIProcessing, RowsBetweenTwoPingsFollowTheLineFromThePreviousSampleToTheCurrent)
{
    struct Case {
        bool cw;
        U8 previous, current;
        COLOR rows[4]; // sectors 100 .. 103
    };
    const Case cases[] = {
        {true, 100, 60, {90, 80, 70, 60}},
        {false, 100, 60, {60, 70, 80, 90}},
        {true, 60, 100, {70, 80, 90, 100}},
        {false, 60, 100, {100, 90, 80, 70}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cw << " " << (int)c.previous << " -> " << (int)c.current);
        SetUp();
        // The first ping in a direction only starts the interpolation; it
        // leaves the next one expected at 100.
        ping(c.cw ? 96 : 104, 2, 4, c.cw, c.previous);
        ping(100, 2, 4, c.cw, c.current);
        for (S32 k = 0; k < 4; ++k)
            EXPECT_EQ(row(100 + k), c.rows[k]) << "sector " << 100 + k;
    }
}

TEST_F(PPIProcessing, ShortAndLargeStepsCopyTheCurrentPingToEachSector)
{
    // N 2 never interpolates.
    ping(98, 2, 2, true, 100);
    ping(100, 2, 2, true, 60);
    EXPECT_EQ(written(), (std::vector<S32>{98, 99, 100, 101}));
    EXPECT_EQ(row(100), 60);
    EXPECT_EQ(row(101), 60);

    // N 127 (a network server or a recording may send it) is copied
    // plainly, wrapping across sector 0, without reaching into the 16
    // interpolation rows.
    SetUp();
    ping(1423, 2, 127, true, 100);
    ping(1550, 2, 127, true, 60);
    std::vector<S32> expected;
    for (S32 s = 0; s < 77; ++s)
        expected.push_back(s);
    for (S32 s = 1550; s < 1600; ++s)
        expected.push_back(s);
    std::vector<S32> second;
    for (S32 s : written())
        if (row(s) == 60)
            second.push_back(s);
    EXPECT_EQ(second, expected);
}

TEST_F(PPIProcessing, AFewLostPingsAreFilledWithTheNextAndALargeJumpIsNot)
{
    // Expected at 500, the ping arrives at 503: 500-506 get its colours.
    ping(496, 2, 4, true, 30);
    ping(503, 2, 4, true, 100);
    for (S32 s = 500; s <= 506; ++s)
        EXPECT_EQ(row(s), 100) << "sector " << s;
    EXPECT_EQ(row(507), UNTOUCHED);
    // The next is expected at 507 and interpolates from the filling ping.
    ping(507, 2, 4, true, 60);
    EXPECT_EQ(row(507), 90);
    EXPECT_EQ(row(510), 60);

    // 40 sectors on with N 4 is no gap: nothing between is written.
    SetUp();
    ping(496, 2, 4, true, 30);
    ping(540, 2, 4, true, 100);
    for (S32 s = 500; s < 540; ++s)
        EXPECT_EQ(row(s), UNTOUCHED) << "sector " << s;
    EXPECT_NE(row(540), UNTOUCHED);
}

TEST_F(PPIProcessing, AQuickSweepBeingLaidOutWaitsForTheStartEdge)
{
    s_MSSObject.SweepingSetting = QUICK_SWEEP_SETTING;
    s_MSSObject.s32SweepStart = 800;
    for (S32 pos = 772; pos <= 796; pos += 4)
        EXPECT_FALSE(bIsSectorInSweepArea(pos, TRUE, 4)) << pos;
    for (S32 pos = 800; pos <= 816; pos += 4)
        EXPECT_TRUE(bIsSectorInSweepArea(pos, TRUE, 4)) << pos;

    // Started while turning counter-clockwise: drawn at once.
    SetUp();
    s_MSSObject.SweepingSetting = QUICK_SWEEP_SETTING;
    s_MSSObject.s32SweepStart = 800;
    EXPECT_TRUE(bIsSectorInSweepArea(780, FALSE, 4));
}

TEST_F(PPIProcessing, AQuickSweepKeepsThePingsOfItsAreaOnly)
{
    s_MSSObject.SweepingSetting = QUICK_SWEEP_ON;
    s_MSSObject.s32SweepStart = 100;
    s_MSSObject.s32SweepRange = 200;
    for (S32 pos = 0; pos < 1600; ++pos) {
        const bool inside = pos >= 1500 || pos <= 100;
        EXPECT_EQ(bIsSectorInSweepArea(pos, TRUE, 4) != FALSE, inside) << pos;
    }
    // A dropped ping changes no sector and hides the sweep line.
    ping(800, 2, 4, true, 50);
    EXPECT_TRUE(written().empty());
    EXPECT_TRUE(s_bMSSSweepLineHide.load());
    ping(50, 2, 4, true, 50);
    EXPECT_EQ(row(50), 50);
    EXPECT_FALSE(s_bMSSSweepLineHide.load());
}

TEST_F(PPIProcessing, AZoomedPictureWithTheCursorActiveKeepsStillUntilTheNextFrame)
{
    setU32("PPIZ", 1);
    s_bCursorActive = TRUE;
    setFloat("IHDG", 45.0f);
    ping(300, 2, 1, true, 77);
    EXPECT_TRUE(written().empty());
    EXPECT_TRUE(s_bMSSDataLocked.load());

    // The cursor closes; the first frame releases the freeze and rebuilds
    // the picture from the raw store, which kept the frozen ping.
    s_bCursorActive = FALSE;
    setU32("PPIZ", 0);
    gt::TestBitmap frame(800, 600, 0);
    WINDOW_SPECIFICATION window = {};
    window.currentLayer = VIEW_PPI_DISPLAY;
    window.drawWindowType = SPLIT_FULL_WINDOW;
    window.drawWindow = {0, 599, 799, 0};
    T_N_HISTORY_vDrawPPIDisplay(frame, &window);
    EXPECT_FALSE(s_bMSSDataLocked.load());
    EXPECT_EQ(row(300), 77);
    EXPECT_EQ(row(301), 0) << "an empty raw row rebuilds to the first colour";
}

} // namespace
