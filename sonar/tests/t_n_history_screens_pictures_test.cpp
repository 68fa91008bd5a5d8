// Four 2D screens drawn from one fixed set of pings that went through the
// real processing and the column adder, each compared with its checked-in
// picture: the full-screen view with its colour-column strip and colour
// bar, the dual-beam view, the side-and-down view's slanted panes and the
// zoom view. Each view is laid out as its first frame would lay it out,
// then the same pings are drawn into its windows.
#include "sonar/tests/process_world.h"

#include "sonar/tests/history_world.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_icon.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "kernel/l_mutex.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/screens/t_n_history_frame.h"
#include "sonar/screens/t_n_history_screens.h"

#include <algorithm>
#include <cmath>

using namespace t_n_history;

namespace {

// The info palette of the white scheme: entries 128 to 131.
constexpr COLOR INFO_PALETTE[4] = {0xFFFF, 0xB5B4, 0x424A, 0x0000};
// The 2D range and its samples (at 1463 m/s), which the side windows have
// too.
constexpr float RANGE_METRES = 15.0f;
constexpr U32 RANGE_SAMPLES = 789;
constexpr U32 ROUNDS = 800;

class TwoDPictures : public ::testing::Test {
  protected:
    void SetUp() override
    {
        process_test::world();
        static const bool ready = [] {
            vCreateWindowsAndStores();
            return true;
        }();
        (void)ready;
        U_FONTS_vSelectFontSet(LANGUAGE_ENGLISH);
        G_ICON_vSetIconPalette(&gCOLOR_pcolColorTable[COLOR_SECTION_ICON]);
        COLOR_vSetColorTableSection(COLOR_SECTION_INFO, COLOR_SECTION_INFO_COUNT, INFO_PALETTE);
        T_N_HISTORY_vSet2DColorTable(1);
        SonarViewInfo.BottomView = POST_PROCESS_NONE;
        SonarViewInfo.unitsDepth = U_METRES;
        vRebuild2DTable();
        SonarViewInfo.bFishID = TRUE;
        SonarViewInfo.u32DepthLines = 2;
        SonarViewInfo.bColorIntensityBar = FALSE;
        SonarViewInfo.u32RTSWidth = 0;
        SonarViewInfo.RTSBeam = 1;
        s_bCursorActive = FALSE;
        s_bReverseScroll = FALSE;
        s_bEndFill = FALSE;
        s_bTerrainMode = FALSE;
        s_bSelectTvgView = FALSE;
        bTemperatureOverlay = FALSE;
        S_FISHID_vSetReverseScroll(FALSE);
        for (FULL_SCREEN_TSU& store : TSUStore) {
            store.u32NextFreeColumn = 0;
            store.u32ColumnsInUse = 0;
            for (TSU_STORE_COLUMN& c : store.aTsuStore)
                S_TSU_vResetColumn(&c);
        }
        for (BEAM_INFO& b : s_sBeamInfo) {
            S_FISHID_vInitialiseHistory(&b.FishHistory);
            b.bPinging = TRUE;
            b.s8Gain = 0;
        }
        process_test::apply("YSNF", 0);
        T_N_PROCESS_vClearAllAccumulators();
    }

    // Lays the windows out for the view as its first frame would, then
    // clears the histories and the rebuild flags.
    static void layOut(LAYER_ID view, bool bStrip)
    {
        history_test::strip(view, bStrip);
        process_test::setU32("CVEW", (U32)view);
        L_MUTEX_LockWait(RES_S_INFO);
        s_beamSelect = 1;
        CurrentView = NO_VIEW_PRIORITY;
        vVerifyAndUpdateWindowSettings(view);
        // A manual 2D range as the range keys would set it, and the zoom
        // window's part of it.
        SonarViewInfo.Window[0].bManualDepthRange = TRUE;
        SonarViewInfo.Window[0].fUpperDisplayedMetres = 0.0f;
        SonarViewInfo.Window[0].fLowerDisplayedMetres = RANGE_METRES;
        vCalculateDisplayedDepthRanges(TRUE);
        if (view == VIEW_DUAL_BEAM)
            vSetSplitSonarRange();
        // The zoom window around the bottom the history task last heard of.
        s_fCurrentDepth = 0.62f * RANGE_METRES;
        if (view == VIEW_SONAR_ZOOM)
            vSetupZoomRange(TRUE);
        for (SONAR_WINDOW& w : SonarViewInfo.Window) {
            w.bTriggerTotalScreenUpdate = FALSE;
            L_MUTEX_LockWait(RES_HISTORY);
            G_BMP_vSet(w.ScreenHistory.pBmp, BackGroundColor.load());
            w.ScreenHistory.u16NextFreeColumn = 0;
            L_MUTEX_Unlock(RES_HISTORY);
        }
        L_MUTEX_Unlock(RES_S_INFO);
        ASSERT_EQ(SonarViewInfo.Window[0].u32LowerSample, RANGE_SAMPLES);
    }

    // One ping of the beam through the processing and the column adder:
    // noise, a bottom echo fading below the bottom, and a school of fish
    // where asked (sample positions; 0: none).
    static void ping(BEAM beam, U32 u32Frequency, U32 u32Bottom, U32 u32Fish, U32 u32Seed)
    {
        PING_DESCRIPTOR* p = process_test::ping(beam, 4000, u32Frequency);
        U8* raw = p->pu8RawSonarData;
        U32 state = u32Seed * 2654435761u + beam;
        for (U32 i = 0; i < 4000; ++i) {
            state = state * 1103515245u + 12345u;
            raw[i] = (U8)(18 + ((state >> 16) & 15));
        }
        for (U32 i = u32Bottom; i < 4000; ++i)
            raw[i] = (U8)std::max<U32>(60, i < u32Bottom + 30 ? 250 - (i - u32Bottom) * 3
                                                               : 140 - std::min<U32>(80, (i - u32Bottom) / 8));
        if (u32Fish != 0)
            for (U32 i = u32Fish; i < u32Fish + 6; ++i)
                raw[i] = 235;
        process_test::vProcessPing(p);
        T_N_HISTORY_vAddColumns(1, beam, 0);
    }

    // The fixed set: per round one ping of each beam, 83 kHz, 200 kHz and
    // the two side beams, over a bottom that rises and falls, with fish now
    // and then.
    static void pings()
    {
        for (U32 i = 0; i < ROUNDS; ++i) {
            const float f = (float)i;
            const U32 bottom = (U32)((0.62f + 0.12f * std::sin(f / 31.0f)) * (float)RANGE_SAMPLES);
            const U32 fish = i % 47 < 6 ? (U32)(0.3f * (float)RANGE_SAMPLES) + (i % 47) * 4 : 0;
            ping(0, 83000, bottom + 6, fish, i);
            ping(1, 200000, bottom, fish, i + 500);
            ping(2, 455000, (U32)((0.45f + 0.1f * std::sin(f / 19.0f)) * (float)RANGE_SAMPLES),
                 i % 61 < 5 ? (U32)(0.25f * (float)RANGE_SAMPLES) : 0, i + 1000);
            ping(3, 455000, (U32)((0.5f + 0.08f * std::cos(f / 23.0f)) * (float)RANGE_SAMPLES),
                 i % 53 < 5 ? (U32)(0.35f * (float)RANGE_SAMPLES) : 0, i + 1500);
        }
    }

    static WINDOW_SPECIFICATION full(LAYER_ID layer)
    {
        WINDOW_SPECIFICATION spec{};
        spec.currentLayer = layer;
        spec.activeWindow = SPLIT_FULL_WINDOW;
        spec.drawWindowType = SPLIT_FULL_WINDOW;
        spec.drawWindow = {0, 599, 799, 0};
        return spec;
    }
};

TEST_F(TwoDPictures, FullScreenWithColourColumnAndColourBar)
{
    SonarViewInfo.bColorIntensityBar = TRUE;
    SonarViewInfo.u32RTSWidth = 66;
    layOut(VIEW_SONAR, true);
    pings();
    gt::TestBitmap screen(800, 600, 0x0002);
    WINDOW_SPECIFICATION spec = full(VIEW_SONAR);
    T_N_HISTORY_vDrawFullScreenSonar(screen, &spec);
    gt::expectGolden(screen, "sonar/tests/golden", "twod_full_strip_bar");
}

TEST_F(TwoDPictures, DualBeam)
{
    H_DATABASE_bUpdateEverythingU32(FCID("YST1"), 1, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    layOut(VIEW_DUAL_BEAM, false);
    pings();
    gt::TestBitmap screen(800, 600, 0x0002);
    WINDOW_SPECIFICATION spec = full(VIEW_DUAL_BEAM);
    T_N_HISTORY_vDrawDualBeamView(screen, &spec);
    gt::expectGolden(screen, "sonar/tests/golden", "twod_dual_beam");
}

TEST_F(TwoDPictures, SideAndDownSlanted)
{
    SonarViewInfo.eQuadLayout = QUAD_LAYOUT_3_PANE_SLANTED;
    layOut(VIEW_SIDEVIEW_AND_DOWN, false);
    pings();
    gt::TestBitmap screen(800, 600, 0x0002);
    WINDOW_SPECIFICATION spec = full(VIEW_SIDEVIEW_AND_DOWN);
    T_N_HISTORY_vDrawDownAndSidebeamView(screen, &spec);
    SonarViewInfo.eQuadLayout = QUAD_LAYOUT_HORIZONTAL;
    gt::expectGolden(screen, "sonar/tests/golden", "twod_side_down_slanted");
}

TEST_F(TwoDPictures, Zoom)
{
    SonarViewInfo.bBottomLockZoom = FALSE;
    SonarViewInfo.u32ZoomLevel = 0;
    s_u32UnZoomedWidth = 400;
    layOut(VIEW_SONAR_ZOOM, true);
    pings();
    gt::TestBitmap screen(800, 600, 0x0002);
    WINDOW_SPECIFICATION spec = full(VIEW_SONAR_ZOOM);
    T_N_HISTORY_vDrawZoomSonar(screen, &spec);
    gt::expectGolden(screen, "sonar/tests/golden", "twod_zoom");
}

} // namespace
