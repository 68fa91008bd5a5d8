// Sonar windows and depth ranges: the layout of every sonar view (beams,
// column lengths, scroll direction, beam links, the real-time beam), the
// automatic range on the test clock, the side-looking and zoom ranges, and
// the blend of the 200 kHz beam.
#include "kernel/l_clock.h"
#include "sonar/tests/history_world.h"

#include <cmath>
#include <string>

namespace history_test {
namespace {

using namespace t_n_history;

constexpr BEAM NONE = SONAR_NO_BEAM;

struct Win {
    BEAM beam;
    U32 height; // checked when the window has a beam
    bool vertical;
    bool linked; // pMain of its beam
};

struct LayoutCase {
    const char* name;
    LAYER_ID view;
    BEAM sel;
    U32 side; // "SSWV"
    QUAD_LAYOUT quad;
    bool strip;
    Win w[SONAR_WINDOWS];
    BEAM rts;
};

const Win off = {NONE, 0, false, false};

// Split positions: "SZCS" 50 gives a 398-pixel left pane, "SZDS" and
// "SZDZ" 30 a 557-pixel right pane, "SZS2" 50 a 397-pixel right pane.
const LayoutCase layoutCases[] = {
    {"chart_keelview", 33, 0, 3, QUAD_LAYOUT_HORIZONTAL, false, {{5, 600, false, true}, off, off, off, off}, NONE},
    {"chart_2d", 35, 0, 3, QUAD_LAYOUT_HORIZONTAL, false, {{0, 600, false, true}, off, off, off, off}, 0},
    {"3d_2d_strip", 60, 1, 3, QUAD_LAYOUT_HORIZONTAL, true, {{1, 495, false, true}, off, off, off, off}, 1},
    {"chart_flankview_both",
     38,
     0,
     3,
     QUAD_LAYOUT_HORIZONTAL,
     true,
     {{0, 600, false, true}, {2, 197, true, true}, {3, 197, true, true}, off, off},
     NONE},
    {"keelview", 39, 0, 3, QUAD_LAYOUT_HORIZONTAL, false, {{5, 600, false, true}, off, off, off, off}, 5},
    {"keelview_strip", 39, 0, 3, QUAD_LAYOUT_HORIZONTAL, true, {{5, 495, false, true}, off, off, off, off}, 5},
    {"keelview_flankview_left",
     40,
     0,
     1,
     QUAD_LAYOUT_HORIZONTAL,
     false,
     {{5, 600, false, true}, {2, 557, true, true}, {NONE, 276, true, false}, off, off},
     NONE},
    {"keelview_2d", 41, 0, 3, QUAD_LAYOUT_HORIZONTAL, false, {{0, 600, false, true}, {5, 600, false, true}, off, off, off}, 0},
    {"keelview_flankview_2d_right",
     42,
     0,
     2,
     QUAD_LAYOUT_HORIZONTAL,
     false,
     {{0, 300, false, true}, {NONE, 276, true, false}, {3, 557, true, true}, {5, 300, false, true}, off},
     NONE},
    {"quad_vertical",
     46,
     0,
     3,
     QUAD_LAYOUT_VERTICAL,
     false,
     {{1, 299, false, true}, {2, 398, true, true}, {3, 398, true, true}, off, off},
     NONE},
    {"quad_horizontal",
     46,
     0,
     3,
     QUAD_LAYOUT_HORIZONTAL,
     false,
     {{1, 299, false, true}, {2, 297, false, true}, {3, 297, false, true}, off, off},
     NONE},
    {"quad_flat", 46, 0, 3, QUAD_LAYOUT_3_PANE_FLAT, false,
     {{1, 600, false, true}, {2, 600, false, true}, {3, 600, false, true}, off, off}, NONE},
    {"quad_slanted", 46, 0, 3, QUAD_LAYOUT_3_PANE_SLANTED, false,
     {{1, 334, false, true}, {2, 334, false, true}, {3, 334, false, true}, off, off}, NONE},
    {"sideview_left",
     47,
     0,
     1,
     QUAD_LAYOUT_HORIZONTAL,
     false,
     {{1, 300, false, true}, {2, 800, true, true}, {NONE, 399, true, false}, off, off},
     NONE},
    {"sideview_right",
     47,
     0,
     2,
     QUAD_LAYOUT_HORIZONTAL,
     false,
     {{1, 300, false, true}, {NONE, 398, true, false}, {3, 800, true, true}, off, off},
     NONE},
    {"sideview_both",
     47,
     0,
     3,
     QUAD_LAYOUT_HORIZONTAL,
     false,
     {{1, 300, false, true}, {2, 398, true, true}, {3, 399, true, true}, off, off},
     NONE},
    {"sonar", 49, 0, 3, QUAD_LAYOUT_HORIZONTAL, false, {{0, 600, false, true}, off, off, off, off}, 0},
    {"sonar_strip", 49, 0, 3, QUAD_LAYOUT_HORIZONTAL, true, {{0, 495, false, true}, off, off, off, off}, 0},
    {"sonar_blend", 49, 4, 3, QUAD_LAYOUT_HORIZONTAL, false, {{4, 600, false, true}, off, off, off, off}, 1},
    {"flasher_strip", 55, 1, 3, QUAD_LAYOUT_HORIZONTAL, true, {{1, 495, false, true}, off, off, off, off}, 1},
    {"zoom", 50, 1, 3, QUAD_LAYOUT_HORIZONTAL, false, {{1, 600, false, true}, {1, 600, false, false}, off, off, off}, NONE},
    {"dual_beam", 51, 0, 3, QUAD_LAYOUT_HORIZONTAL, false, {{1, 600, false, true}, {0, 600, false, true}, off, off, off}, NONE},
    {"flankview_2d",
     52,
     1,
     3,
     QUAD_LAYOUT_HORIZONTAL,
     false,
     {{1, 600, false, true}, {2, 196, true, true}, {3, 196, true, true}, off, off},
     1},
    {"mega_digit_strip", 53, 0, 3, QUAD_LAYOUT_HORIZONTAL, true, {{0, 600, false, true}, off, off, off, off}, 0},
    {"ppi",
     56,
     0,
     3,
     QUAD_LAYOUT_HORIZONTAL,
     false,
     {{1, 300, false, true}, {2, 398, true, true}, {3, 399, true, true}, off, {3, 399, true, false}},
     NONE},
    {"ppi_2d_strip", 57, 0, 3, QUAD_LAYOUT_HORIZONTAL, true, {{0, 495, false, true}, off, off, off, {3, 495, false, false}}, 0},
    {"ppi_chart_strip", 58, 4, 3, QUAD_LAYOUT_HORIZONTAL, true, {{4, 495, false, true}, off, off, off, {3, 495, false, false}}, 1},
    {"not_sonar", 23, 0, 3, QUAD_LAYOUT_HORIZONTAL, true, {off, off, off, off, off}, NONE},
};

void layOut(const LayoutCase& c)
{
    setS32("SZCS", 50);
    setS32("SZDS", 30);
    setS32("SZDZ", 30);
    setS32("SZS2", 50);
    strip(c.view, c.strip);
    L_MUTEX_LockWait(RES_S_INFO);
    s_beamSelect = c.sel;
    db_u32SideBeamView = c.side;
    SonarViewInfo.eQuadLayout = c.quad;
    s_u32UnZoomedWidth = 400;
    s_db_TransducerSelectArray[0] = s_db_TransducerSelectArray[1] = s_db_TransducerSelectArray[2] = 0;
    CurrentView = c.view;
    L_MUTEX_Unlock(RES_S_INFO);
    vSetupSonarWindows();
}

TEST(HistoryLayout, EveryViewGetsItsBeamsHeightsScrollAndStrip)
{
    worldWithWindows();
    for (const LayoutCase& c : layoutCases) {
        SCOPED_TRACE(c.name);
        layOut(c);
        const SONAR_VIEW_INFO& v = SonarViewInfo;
        const SONAR_WINDOW* expectedMain[SONAR_BEAMS] = {};
        for (U32 i = 0; i < SONAR_WINDOWS; ++i) {
            SCOPED_TRACE("window " + std::to_string(i));
            const SONAR_WINDOW& w = v.Window[i];
            EXPECT_EQ(w.Beam, c.w[i].beam);
            if (c.w[i].beam != NONE || c.w[i].height != 0) {
                EXPECT_EQ(w.u32HistoryHeight, c.w[i].height);
            }
            EXPECT_EQ(w.bVerticalScroll != FALSE, c.w[i].vertical);
            if (c.w[i].linked)
                expectedMain[c.w[i].beam] = &w;
            const BITMAP* b = w.ScreenHistory.pBmp;
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->pixels_wide, c.w[i].vertical ? 600u : 800u);
            EXPECT_EQ(b->pixels_high, c.w[i].vertical ? 800u : 600u);
            EXPECT_EQ(b->__u32PixelWidthOfBuffer, b->pixels_wide);
        }
        for (U32 beam = 0; beam < SONAR_BEAMS; ++beam)
            EXPECT_EQ(s_sBeamInfo[beam].pMain, expectedMain[beam]) << "beam " << beam;
        EXPECT_EQ(v.RTSBeam, c.rts);
        EXPECT_EQ(u32("CSRB"), (U32)c.rts);
    }
}

TEST(HistoryLayout, ZoomViewLinksTheZoomWindowAndShortensTheLookback)
{
    worldWithWindows();
    layOut(layoutCases[20]);
    EXPECT_EQ(SonarViewInfo.Window[1].Beam, 1);
    EXPECT_EQ(s_sBeamInfo[1].pZoom, &SonarViewInfo.Window[1]);
    EXPECT_EQ(s_sBeamInfo[1].pMain, &SonarViewInfo.Window[0]);
    EXPECT_EQ(SonarViewInfo.Window[0].u32DepthRangeLookback, 200u);
}

TEST(HistoryLayout, DualBeamShowsTheSecondDownBeamOfTransducer15InAnySlot)
{
    worldWithWindows();
    for (U32 slot = 0; slot < 3; ++slot) {
        layOut(layoutCases[21]);
        s_db_TransducerSelectArray[slot] = 15;
        vSetupSonarWindows();
        EXPECT_EQ(SonarViewInfo.Window[1].Beam, 2) << "slot " << slot;
        EXPECT_EQ(s_sBeamInfo[2].pMain, &SonarViewInfo.Window[1]);
    }
}

TEST(HistoryLayout, TheSharedLeftPaneOfView42StaysInsideItsRows)
{
    worldWithWindows();
    layOut(layoutCases[8]);
    for (U32 i : {0u, 3u}) {
        const BITMAP* b = SonarViewInfo.Window[i].ScreenHistory.pBmp;
        EXPECT_EQ(b->pixels_high_full_screen, 300u);
        EXPECT_EQ(b->s32ClipTop_full_screen, 299);
        EXPECT_EQ(b->__u32PixelHeightOfBuffer, 300u);
        // Drawing honours the clip box: it must not reach above those rows.
        EXPECT_LE(b->s32ClipTop, 299);
    }
    // The next layout gives the windows their whole height back.
    layOut(layoutCases[16]);
    EXPECT_EQ(SonarViewInfo.Window[0].ScreenHistory.pBmp->pixels_high_full_screen, 600u);
}

TEST(HistoryLayout, ALayoutClearsEveryHistoryToTheBackground)
{
    worldWithWindows();
    BITMAP* b = SonarViewInfo.Window[0].ScreenHistory.pBmp;
    COLOR* px = reinterpret_cast<COLOR*>(b->pBuffer);
    px[0] = 0xFFFF;
    px[HISTORY_MEMORY_COLUMNS * HISTORY_MEMORY_ROWS - 1] = 0xFFFF;
    layOut(layoutCases[16]);
    EXPECT_EQ(px[0], BACKGROUND);
    EXPECT_EQ(px[HISTORY_MEMORY_COLUMNS * HISTORY_MEMORY_ROWS - 1], BACKGROUND);
}

// ---- Ranges ----

void metresAndView(LAYER_ID view)
{
    vForgetRanges();
    L_CLOCK_vResetTestClock();
    g_u32SpeedOfSoundInWater = 1463;
    SonarViewInfo.unitsDepth = U_METRES;
    CurrentView = view;
    SONAR_WINDOW& w0 = SonarViewInfo.Window[0];
    w0.fUpperDisplayedMetres = 0.0f;
    w0.fLowerDisplayedMetres = 0.0f;
    w0.bManualDepthRange = FALSE;
}

TEST(HistoryRanges, SamplesComeFromTheRoundedDigits)
{
    world();
    g_u32SpeedOfSoundInWater = 1463;
    EXPECT_EQ(u32CalculateSamples(10, U_METRES), 526u);
    EXPECT_EQ(u32CalculateSamples(100, U_FEET), 1603u);
    EXPECT_EQ(u32CalculateSamples(0, U_FEET), 0u);
    EXPECT_EQ(u32Digits(30.48f, U_FEET), 100u);
    EXPECT_EQ(u32Digits(10.4f, U_METRES), 10u);
    EXPECT_EQ(u32Digits(10.5f, U_METRES), 11u);
}

TEST(HistoryRanges, AFallingBottomKeepsTheRangeFiveSecondsThenShrinksStepByStep)
{
    world();
    metresAndView(49);
    s_fCurrentDepth = 100.0f;
    vAutoSelectLowerDepthRange();
    EXPECT_FLOAT_EQ(SonarViewInfo.Window[0].fLowerDisplayedMetres, 120.0f);

    s_fCurrentDepth = 20.0f;
    for (int second = 0; second < 5; ++second) {
        L_CLOCK_vAdvanceTestClock(1000);
        vAutoSelectLowerDepthRange();
        EXPECT_FLOAT_EQ(SonarViewInfo.Window[0].fLowerDisplayedMetres, 120.0f) << "after " << second + 1 << " s";
    }
    std::vector<float> ranges;
    for (int step = 0; step < 60 && SonarViewInfo.Window[0].fLowerDisplayedMetres > 25.0f; ++step) {
        L_CLOCK_vAdvanceTestClock(500);
        vAutoSelectLowerDepthRange();
        const float f = SonarViewInfo.Window[0].fLowerDisplayedMetres;
        if (ranges.empty() || ranges.back() != f)
            ranges.push_back(f);
    }
    ASSERT_FALSE(ranges.empty());
    EXPECT_FLOAT_EQ(ranges.back(), 25.0f);
    EXPECT_GE(ranges.size(), 3u) << "the range went down in one jump";
    for (size_t i = 1; i < ranges.size(); ++i)
        EXPECT_LT(ranges[i], ranges[i - 1]);
    L_CLOCK_vResetTestClock();
}

TEST(HistoryRanges, TheAutomaticRangeCoversTheUpperRange)
{
    world();
    metresAndView(49);
    SonarViewInfo.Window[0].fUpperDisplayedMetres = 30.0f;
    s_fCurrentDepth = 10.0f;
    vAutoSelectLowerDepthRange();
    EXPECT_FLOAT_EQ(SonarViewInfo.Window[0].fLowerDisplayedMetres, 40.0f);
}

TEST(HistoryRanges, ARangeChangeIsPublishedAndRedrawnOnlyWhenItChanged)
{
    world();
    metresAndView(41);
    SONAR_WINDOW& w0 = SonarViewInfo.Window[0];
    SONAR_WINDOW& w1 = SonarViewInfo.Window[1];
    w0.fLowerDisplayedMetres = 10.0f;
    vCalculateDisplayedDepthRanges(FALSE);
    EXPECT_EQ(w0.u32LowerDigits, 10u);
    EXPECT_EQ(w0.u32LowerSample, 526u);
    EXPECT_EQ(w1.u32LowerSample, 526u);
    EXPECT_TRUE(w0.bTriggerTotalScreenUpdate && w1.bTriggerTotalScreenUpdate);
    EXPECT_FLOAT_EQ(f32("CSLD"), 10.0f);

    w0.bTriggerTotalScreenUpdate = w1.bTriggerTotalScreenUpdate = FALSE;
    bForceResample = FALSE;
    setFloat("CSLD", -5.0f);
    vCalculateDisplayedDepthRanges(FALSE);
    EXPECT_FALSE(w0.bTriggerTotalScreenUpdate || w1.bTriggerTotalScreenUpdate || bForceResample.load());
    EXPECT_FLOAT_EQ(f32("CSLD"), -5.0f);
    vCalculateDisplayedDepthRanges(TRUE);
    EXPECT_TRUE(w0.bTriggerTotalScreenUpdate && bForceResample.load());
}

// A Flankview transducer with the automatic side range ("SSDR" 0).
void autoSide(float depthMetres)
{
    s_fCurrentDepth = depthMetres;
    vSetSideBeamRange(FALSE);
}

TEST(HistoryRanges, TheAutomaticSideRangeFollowsTheBottomInFeet)
{
    world();
    metresAndView(47);
    SonarViewInfo.unitsDepth = U_FEET;
    s_db_TransducerSelectArray[1] = 5;
    s_bMSSDeployed = FALSE;
    s_bSweepingUsedAsSide = FALSE;
    setFloat("SSDR", 0.0f);
    setU32("YST3", 5);
    const struct {
        float feet;
        float range;
    } cases[] = {{15, 75}, {30, 120}, {45, 150}, {100, 240}, {8, 50}, {22, 100}};
    for (const auto& c : cases) {
        autoSide(c.feet * 0.3048f);
        const float got = (float)dConvertFromInternal(SonarViewInfo.Window[1].fLowerDisplayedMetres, D_DEPTH, U_FEET);
        EXPECT_NEAR(got, c.range, 0.01) << c.feet << " ft";
        EXPECT_NEAR(f32("CSIR"), c.range * 0.3048f, 0.01);
        EXPECT_EQ(SonarViewInfo.Window[1].u32LowerDigits, (U32)c.range);
        EXPECT_EQ(SonarViewInfo.Window[2].u32LowerDigits, (U32)c.range);
    }
    // Under 2 m from the depth last used: the range stays.
    autoSide(22 * 0.3048f + 1.9f);
    EXPECT_NEAR(dConvertFromInternal(SonarViewInfo.Window[1].fLowerDisplayedMetres, D_DEPTH, U_FEET), 100, 0.01);
    // A fixed side range is kept and "CSIR" says no automatic range.
    setFloat("SSDR", 30.0f);
    autoSide(50.0f);
    EXPECT_FLOAT_EQ(SonarViewInfo.Window[1].fLowerDisplayedMetres, 30.0f);
    EXPECT_FLOAT_EQ(f32("CSIR"), 0.0f);
}

TEST(HistoryRanges, A2DTransducerCapsTheSideRangeAndABadUnitKeepsTheLastGoodOne)
{
    world();
    metresAndView(52);
    s_db_TransducerSelectArray[1] = 0;
    s_bMSSDeployed = FALSE;
    setU32("YST3", 0);
    SonarViewInfo.Window[0].fLowerDisplayedMetres = 80.0f;
    SonarViewInfo.Window[0].bManualDepthRange = TRUE;
    vSetSideBeamRange(TRUE);
    EXPECT_FLOAT_EQ(SonarViewInfo.Window[1].fLowerDisplayedMetres, 50.0f);
    EXPECT_FALSE(SonarViewInfo.Window[1].bManualDepthRange);
    SonarViewInfo.Window[0].fLowerDisplayedMetres = 30.0f;
    vSetSideBeamRange(TRUE);
    EXPECT_FLOAT_EQ(SonarViewInfo.Window[1].fLowerDisplayedMetres, 30.0f);
    EXPECT_TRUE(SonarViewInfo.Window[1].bManualDepthRange);
    EXPECT_FLOAT_EQ(SonarViewInfo.Window[4].fLowerDisplayedMetres, 30.0f);

    // Not a depth unit: logged, and the range is worked in the last good one.
    SonarViewInfo.unitsDepth = U_NONE;
    vSetSideBeamRange(TRUE);
    EXPECT_EQ(SonarViewInfo.unitsDepth, U_METRES);
    EXPECT_EQ(SonarViewInfo.Window[1].u32LowerDigits, 30u);
    EXPECT_TRUE(sonar_test::fatalLog().empty());
}

// The zoom window over a 0-40 m main range at zoom factor 2: a 20 m span.
void zoomAt(float depth, bool force = false)
{
    s_fCurrentDepth = depth;
    vSetupZoomRange(force ? TRUE : FALSE);
}

TEST(HistoryRanges, TheZoomWindowMovesOnlyWhenTheBottomLeaves60To90Percent)
{
    world();
    metresAndView(50);
    SonarViewInfo.bBottomLockZoom = FALSE;
    SonarViewInfo.u32ZoomLevel = 0;
    SonarViewInfo.Window[0].fLowerDisplayedMetres = 40.0f;
    SONAR_WINDOW& w1 = SonarViewInfo.Window[1];
    zoomAt(15.0f, true);
    EXPECT_EQ(w1.u32UpperDigits, 0u);
    EXPECT_EQ(w1.u32LowerDigits, 20u);
    for (float depth : {12.5f, 17.0f, 17.5f}) {
        w1.bTriggerTotalScreenUpdate = FALSE;
        zoomAt(depth);
        EXPECT_EQ(w1.u32UpperDigits, 0u) << depth;
        EXPECT_FALSE(w1.bTriggerTotalScreenUpdate) << depth;
    }
    zoomAt(19.0f); // 95 per cent
    EXPECT_EQ(w1.u32UpperDigits, 6u);
    EXPECT_EQ(w1.u32LowerDigits, 26u);
    EXPECT_TRUE(w1.bTriggerTotalScreenUpdate);
    EXPECT_NEAR((19.0f - w1.fUpperDisplayedMetres) / 20.0f, 0.65f, 0.001f);
    EXPECT_EQ(w1.u32LowerSample, u32CalculateSamples(26, U_METRES));
    // No bottom yet: nothing moves.
    zoomAt(0.0f, true);
    EXPECT_EQ(w1.u32UpperDigits, 6u);
}

TEST(HistoryRanges, BottomLockZoomShowsAFifthOfTheSpanBelowTheBottom)
{
    world();
    metresAndView(50);
    SonarViewInfo.bBottomLockZoom = TRUE;
    SonarViewInfo.fBottomRange = 10.0f;
    SONAR_WINDOW& w1 = SonarViewInfo.Window[1];
    zoomAt(30.0f, true);
    EXPECT_EQ(w1.u32UpperDigits, 10u);
    EXPECT_EQ(w1.u32UpperSample, 526u);
    EXPECT_EQ(w1.u32LowerSample, 526u / 5);
    EXPECT_EQ(w1.u32LowerDigits, 0u);
    EXPECT_FLOAT_EQ(w1.fLowerDisplayedMetres, 2.0f);
    EXPECT_FALSE(w1.bManualDepthRange);
    SonarViewInfo.bBottomLockZoom = FALSE;
}

// ---- Blends ----

TEST(HistoryBlend, The200kHzBeamAddsNothingBelow220Metres)
{
    world();
    const COLOR c = 0x7E0;
    BackGroundColor = BACKGROUND;
    const struct {
        U32 speed;
        U32 firstHidden;
    } cases[] = {{1463, 11567}, {1500, 11282}};
    for (const auto& k : cases) {
        g_u32SpeedOfSoundInWater = k.speed;
        EXPECT_EQ(colorBlend200(c, k.firstHidden - 1, FALSE), c) << k.speed;
        EXPECT_EQ(colorBlend200(c, k.firstHidden, FALSE), BACKGROUND) << k.speed;
    }
    g_u32SpeedOfSoundInWater = 1463;
    EXPECT_EQ(colorBlend83(c, 0, TRUE), BACKGROUND);
    EXPECT_EQ(colorBlend83(c, 99999, FALSE), c);
}

TEST(HistoryBlend, StartUpInstallsTheBlendsAndEmptyStores)
{
    worldWithWindows();
    EXPECT_EQ(s_sBeamInfo[0].beamBlend, 4);
    EXPECT_EQ(s_sBeamInfo[0].pfBlend, &colorBlend83);
    EXPECT_EQ(s_sBeamInfo[1].pfBlend, &colorBlend200);
    EXPECT_EQ(s_sBeamInfo[2].beamBlend, 5);
    EXPECT_EQ(s_sBeamInfo[3].pfBlend, &colorBlendKVRight);
    EXPECT_EQ(s_sBeamInfo[4].pTSUStore, nullptr);
    for (U32 b = 0; b < SONAR_STORED_BEAMS; ++b) {
        ASSERT_EQ(s_sBeamInfo[b].pTSUStore, &TSUStore[b]);
        EXPECT_EQ(TSUStore[b].u32ColumnsInUse, 0u);
        EXPECT_EQ(TSUStore[b].aTsuStore[819].u32TSUDataLength, TSU_SLOT_BYTES);
        EXPECT_EQ(TSUStore[b].aTsuStore[819].u8SampleFactor, 1);
    }
    // Every column has a slot of its own.
    EXPECT_EQ(TSUStore[0].aTsuStore[1].au8Data - TSUStore[0].aTsuStore[0].au8Data, (ptrdiff_t)TSU_SLOT_BYTES);
    EXPECT_NE(TSUStore[1].aTsuStore[0].au8Data, TSUStore[2].aTsuStore[0].au8Data);
}

} // namespace
} // namespace history_test
