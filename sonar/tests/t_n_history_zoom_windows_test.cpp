// The magnifiers around the sonar cursor: when they show and where they
// sit (a table of views, panes, cursors and levels), what the Flankview
// and Keelview pictures hold (sides, centre band, terrain rows, range lines
// and depth marks, the interpolation between stored pings) from column
// stores filled by hand, and two pictures from pings through the real
// processing and column adder.
#include "sonar/tests/process_world.h"

#include "sonar/tests/history_world.h"

#include "graphics/color.h"
#include "graphics/g_bmp.h"
#include "graphics/g_icon.h"
#include "graphics/g_pixel.h"
#include "graphics/tests/g_testing.h"
#include "graphics/u_fonts.h"
#include "kernel/l_mutex.h"
#include "sonar/dsp/s_fishid.h"
#include "sonar/dsp/s_transducer.h"
#include "sonar/history/t_n_history.h"
#include "sonar/history/t_n_history_state.h"
#include "sonar/screens/t_n_history_imaging.h"
#include "sonar/screens/t_n_history_zoom_windows.h"
#include "ui/u_view.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <vector>

using namespace t_n_history;

namespace {

constexpr COLOR BACK = 0x1234;       // entry 0, the background
constexpr COLOR BLANK = 0x0841;      // entry 32
constexpr COLOR LINE_WHITE = 0xFFDE; // entry 35
constexpr COLOR MARK = 0xF800;       // entry 36
constexpr COLOR INK = 0x07E0;        // entry 131
constexpr COLOR SAMPLE = 0x8000;     // a picture pixel: SAMPLE | the sample

WINDOW_SPECIFICATION spec(LAYER_ID layer, SPLIT_WINDOW_TYPE active, S32 left, S32 right, S32 top = 599,
                          S32 bottom = 0)
{
    WINDOW_SPECIFICATION s{};
    s.currentLayer = layer;
    s.activeWindow = active;
    s.drawWindowType = active;
    s.drawWindow = {left, top, right, bottom};
    return s;
}

// The sample a picture pixel shows (-1: not a sample colour).
int sampleOf(COLOR c) { return (c & SAMPLE) != 0 && c != LINE_WHITE && c != MARK ? (int)(c & 0xFF) : -1; }

class ZoomWindow : public ::testing::Test {
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
        gCOLOR_pcolColorTable[0] = BACK;
        gCOLOR_pcolColorTable[32] = BLANK;
        gCOLOR_pcolColorTable[35] = LINE_WHITE;
        gCOLOR_pcolColorTable[36] = MARK;
        gCOLOR_pcolColorTable[131] = INK;
        BackGroundColor = BACK;
        // Every table shows its sample in the low byte.
        for (U32 v = 0; v < GRAYSCALE_LEVELS; ++v) {
            const COLOR c = v == 0 ? BACK : (COLOR)(SAMPLE | v);
            StandardBeamGrayScaleTable.acColor[v] = c;
            SidescanGrayScaleTable.acColor[v] = c;
            KeelviewGrayScaleTable.acColor[v] = c;
        }
        StandardBeamGrayScaleTable.ePostProcessMode = POST_PROCESS_NONE;
        SidescanGrayScaleTable.ePostProcessMode = POST_PROCESS_NONE;
        KeelviewGrayScaleTable.ePostProcessMode = POST_PROCESS_NONE;
        SonarViewInfo.BottomView = POST_PROCESS_NONE;
        SonarViewInfo.bFishID = FALSE;
        SonarViewInfo.u32DepthLines = 0;
        s_bCursorActive = FALSE;
        s_bReverseScroll = FALSE;
        s_bEndFill = FALSE;
        s_u32SystemState = 0;
        s_bTerrainMode = FALSE;
        s_bSideLineOn = FALSE;
        s_bSweepingUsedAsSide = FALSE;
        s_bMSSDeployed = FALSE;
        s_bClearFVBuffer = FALSE;
        s_u32FVColor = 0;
        s_u32KVColor = 0;
        s_u32SideScanFilter = 0;
        s_u32KeelviewFilter = 0;
        bTemperatureOverlay = FALSE;
        s_db_TransducerSelectArray[SELECT_IMAGING] = 5;
        process_test::setU32("YST3", 5);
        process_test::setU32("SDBW", 2); // the fused column is the larger sample
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
        H_DATABASE_bUpdateEverythingBoolean(FCID("SSVL"), FALSE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
        process_test::setU32("SDBW", 2);
        process_test::apply("YSNF", 0);
        T_N_PROCESS_vClearAllAccumulators();
        FvZoomWin.bActive = KvZoomWin.bActive = FALSE;
        FvZoomWin.bForceUpdate = KvZoomWin.bForceUpdate = TRUE;
        cursor(true, 400, 300, 1, 1);
    }

    void TearDown() override
    {
        process_test::setU32("ICAC", 0);
        s_bSideLineOn = FALSE;
    }

    static SONAR_WINDOW& window(U32 i) { return SonarViewInfo.Window[i]; }

    static void cursor(bool bActive, S32 x, S32 y, U32 u32FvLevel, U32 u32KvLevel)
    {
        process_test::setU32("ICAC", bActive ? 1 : 0);
        history_test::setS32("ICPX", x);
        history_test::setS32("ICPY", y);
        process_test::setU32("ISIZ", u32FvLevel);
        process_test::setU32("IDIZ", u32KvLevel);
    }

    // The windows laid out for a view as its first frame would.
    static void layOut(LAYER_ID view, U32 side, bool bStrip = false)
    {
        process_test::setU32("SZDZ", 50);
        process_test::setU32("SZDS", 50);
        process_test::setU32("SZS2", 50);
        history_test::strip(view, bStrip);
        process_test::setU32("CVEW", (U32)view);
        process_test::setU32("SSWV", side);
        L_MUTEX_LockWait(RES_S_INFO);
        s_beamSelect = 1;
        db_u32SideBeamView = side;
        CurrentView = NO_VIEW_PRIORITY;
        vVerifyAndUpdateWindowSettings(view);
        for (SONAR_WINDOW& w : SonarViewInfo.Window)
            w.bTriggerTotalScreenUpdate = FALSE;
        L_MUTEX_Unlock(RES_S_INFO);
    }

    // Every stored column of a beam from a rule (column, sample) -> value.
    static void store(BEAM beam, const std::function<U8(U32, U32)>& rule, U8 u8Factor = 1, U32 u32Next = 810)
    {
        FULL_SCREEN_TSU& s = TSUStore[beam];
        L_MUTEX_LockWait(RES_TSU);
        for (U32 c = 0; c < TSU_STORE_COLUMNS; ++c) {
            TSU_STORE_COLUMN& col = s.aTsuStore[c];
            col.u8SampleFactor = u8Factor;
            col.u32SamplesInStore = col.u32TSUDataLength;
            for (U32 i = 0; i < col.u32TSUDataLength; ++i)
                col.au8Data[i] = rule(c, i);
        }
        s.u32NextFreeColumn = u32Next;
        s.u32ColumnsInUse = TSU_STORE_COLUMNS;
        L_MUTEX_Unlock(RES_TSU);
    }

    // A sample range of the side windows giving two samples per screen
    // column of an image that spans u32Columns.
    static void sideRange(U32 u32Columns)
    {
        for (U32 i : {1u, 2u}) {
            window(i).u32UpperSample = 0;
            window(i).u32LowerSample = 2 * u32Columns;
        }
    }

    // Update and draw into a fresh frame; the factor the draw reported.
    S32 frame(bool bFv, WINDOW_SPECIFICATION s)
    {
        screen.clear();
        S32 s32Factor = -1, s32Top = -1;
        if (bFv) {
            T_N_HISTORY_bUpdateFvZoomWindow(&s);
            T_N_HISTORY_bDrawFvZoomWindow(screen, &s, &s32Factor, &s32Top);
        } else {
            T_N_HISTORY_bUpdateKvZoomWindow(&s);
            T_N_HISTORY_bDrawKvZoomWindow(screen, &s, &s32Factor, nullptr);
        }
        return s32Factor;
    }

    // Picture pixel (x, y) of a window as stored.
    static COLOR pic(const FV_ZOOM_WINDOW_TYPE& z, S32 x, S32 y)
    {
        return G_PIXEL_colorGetPhysicalPixel(z.pBitmap, x, y);
    }

    gt::TestBitmap screen{800, 600, 0x0002};
};

// ---- When and where ----

TEST_F(ZoomWindow, ShownPlacedAndSizedAboutTheCursor)
{
    struct Case {
        const char* what;
        bool bFv;
        LAYER_ID view;
        SPLIT_WINDOW_TYPE active;
        S32 left, right;
        bool bCursor;
        S32 cx, cy;
        U32 level;
        S32 factor;   // 0: no window
        S32 boxLeft;  // outer box, -1: not checked
        S32 boxBottom;
        S32 zoomWidth;
        S32 rightEdge; // -1: not checked
        S32 bottomEdge;
    } cases[] = {
        {"level 0", true, VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799, true, 400, 300, 0, 0, -1, -1, 0, -1, -1},
        {"cursor off", true, VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799, false, 400, 300, 1, 0, -1, -1, 0, -1, -1},
        {"not a Flankview pane", true, VIEW_KEELVIEW_PLUS_FLANKVIEW, SPLIT_LEFT_WINDOW, 0, 397, true, 200, 300, 1, 0,
         -1, -1, 0, -1, -1},
        // Centred: 399 / 2 = 199 high with the border (551 - 14) / 2 = 268.
        {"mid pane", true, VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799, true, 400, 300, 1, 2, 400 - 199, 300 - 134, 389,
         799, 0},
        {"level 3", true, VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799, true, 400, 300, 3, 6, 201, 166, 389, 799, 0},
        {"near the left edge", true, VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799, true, 90, 300, 2, 4, 0, 166, 389, -1,
         -1},
        {"near the right edge", true, VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799, true, 750, 300, 1, 2, 799 - 399, 166,
         389, -1, -1},
        {"near the bottom", true, VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799, true, 400, 60, 1, 2, 201, 0, 389, -1, -1},
        {"under the top edge", true, VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799, true, 400, 540, 1, 2, 201, 551 - 268,
         389, -1, -1},
        {"right pane of 52", true, VIEW_FLANKVIEW_PLUS_2D, SPLIT_RIGHT_WINDOW, 403, 799, true, 600, 300, 1, 2, 600 - 99,
         166, 188, 799, 0},
        {"Keelview full", false, VIEW_KEELVIEW, SPLIT_FULL_WINDOW, 0, 799, true, 400, 350, 1, 2, 201, 350 - 123, 389,
         799, 105},
        {"Keelview in 40", false, VIEW_KEELVIEW_PLUS_FLANKVIEW, SPLIT_LEFT_WINDOW, 0, 397, true, 200, 350, 1, 2,
         200 - 99, 227, 189, 398, 105},
        // The Keelview half of the left pane of 42 starts at 55 + 599 / 2.
        {"Keelview in 42", false, VIEW_KEELVIEW_PLUS_FLANKVIEW_PLUS_2D, SPLIT_LEFT_WINDOW, 0, 397, true, 200, 300, 1,
         2, 101, 354, 188, 397, 354},
        {"Keelview level 0", false, VIEW_KEELVIEW, SPLIT_FULL_WINDOW, 0, 799, true, 400, 350, 0, 0, -1, -1, 0, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        layOut(c.view, SIDE_BEAM_BOTH);
        cursor(c.bCursor, c.cx, c.cy, c.bFv ? c.level : 0, c.bFv ? 0 : c.level);
        const S32 factor = frame(c.bFv, spec(c.view, c.active, c.left, c.right));
        const FV_ZOOM_WINDOW_TYPE& z = c.bFv ? FvZoomWin : KvZoomWin;
        EXPECT_EQ(factor, c.factor);
        EXPECT_EQ(z.bActive != FALSE, c.factor != 0);
        if (c.factor == 0)
            continue;
        EXPECT_EQ(z.s32ZoomWidth, c.zoomWidth);
        EXPECT_EQ(z.pBitmap->pixels_wide, (U32)c.zoomWidth) << "the bitmap follows the picture";
        EXPECT_EQ(z.ptWindow.x - 5, c.boxLeft);
        EXPECT_EQ(z.ptWindow.y - 5, c.boxBottom);
        if (c.rightEdge >= 0) {
            EXPECT_EQ(z.s32RightEdge, c.rightEdge);
            EXPECT_EQ(z.s32BottomEdge, c.bottomEdge);
        }
        // The white border's outer corners and the picture inside.
        EXPECT_EQ(screen.at(c.boxLeft, c.boxBottom), LINE_WHITE);
        EXPECT_EQ(screen.at(c.boxLeft + z.s32ZoomWidth + 9, c.boxBottom + z.s32ZoomHeight + 9), LINE_WHITE);
        if (c.boxLeft > 0) {
            EXPECT_NE(screen.at(c.boxLeft - 1, c.boxBottom + 20), LINE_WHITE);
        }
    }
}

TEST_F(ZoomWindow, RebuiltOnlyWhenTheCursorTheLevelOrASettingChanges)
{
    layOut(VIEW_SIDEVIEW, SIDE_BEAM_RIGHT);
    sideRange(799);
    store(3, [](U32, U32) { return (U8)40; });
    WINDOW_SPECIFICATION s = spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799);
    ASSERT_EQ(frame(true, s), 2);
    EXPECT_EQ(sampleOf(pic(FvZoomWin, 100, 100)), 40);

    // New pings alone leave the still picture.
    store(3, [](U32, U32) { return (U8)90; });
    frame(true, s);
    EXPECT_EQ(sampleOf(pic(FvZoomWin, 100, 100)), 40);
    // A moved cursor, another level and a forced rebuild each rebuild it.
    cursor(true, 402, 300, 1, 1);
    frame(true, s);
    EXPECT_EQ(sampleOf(pic(FvZoomWin, 100, 100)), 90);
    store(3, [](U32, U32) { return (U8)70; });
    cursor(true, 402, 300, 2, 1);
    EXPECT_EQ(frame(true, s), 4);
    EXPECT_EQ(sampleOf(pic(FvZoomWin, 100, 100)), 70);
    store(3, [](U32, U32) { return (U8)30; });
    L_MUTEX_LockWait(RES_S_INFO);
    FvZoomWin.bForceUpdate = TRUE;
    L_MUTEX_Unlock(RES_S_INFO);
    frame(true, s);
    EXPECT_EQ(sampleOf(pic(FvZoomWin, 100, 100)), 30);
}

TEST_F(ZoomWindow, WithoutImagingWindowsOrStoresThePictureIsEmptyButShown)
{
    store(2, [](U32, U32) { return (U8)40; });
    store(3, [](U32, U32) { return (U8)40; });
    struct Case {
        const char* what;
        bool bFv;
        bool bNoWindows; // else no stores
    } cases[] = {{"Flankview, no windows", true, true},
                 {"Flankview, no stores", true, false},
                 {"Keelview, no window", false, true},
                 {"Keelview, no stores", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LAYER_ID view = c.bFv ? VIEW_SIDEVIEW : VIEW_KEELVIEW;
        layOut(view, SIDE_BEAM_BOTH);
        cursor(true, 400, 300, c.bFv ? 1 : 0, c.bFv ? 0 : 1);
        (c.bFv ? FvZoomWin : KvZoomWin).bForceUpdate = TRUE;
        SONAR_WINDOW* windows[3] = {s_sBeamInfo[2].pMain, s_sBeamInfo[3].pMain, s_sBeamInfo[5].pMain};
        FULL_SCREEN_TSU* stores[2] = {s_sBeamInfo[2].pTSUStore, s_sBeamInfo[3].pTSUStore};
        if (c.bNoWindows)
            s_sBeamInfo[2].pMain = s_sBeamInfo[3].pMain = s_sBeamInfo[5].pMain = nullptr;
        else
            s_sBeamInfo[2].pTSUStore = s_sBeamInfo[3].pTSUStore = nullptr;
        const S32 factor = frame(c.bFv, spec(view, SPLIT_FULL_WINDOW, 0, 799));
        s_sBeamInfo[2].pMain = windows[0];
        s_sBeamInfo[3].pMain = windows[1];
        s_sBeamInfo[5].pMain = windows[2];
        s_sBeamInfo[2].pTSUStore = stores[0];
        s_sBeamInfo[3].pTSUStore = stores[1];
        EXPECT_EQ(factor, 2);
        const FV_ZOOM_WINDOW_TYPE& z = c.bFv ? FvZoomWin : KvZoomWin;
        for (S32 y = 0; y < z.s32ZoomHeight; y += 7)
            for (S32 x = 0; x < z.s32ZoomWidth; x += 5)
                ASSERT_EQ(pic(z, x, y), BACK) << x << "," << y;
        EXPECT_EQ(screen.at(z.ptWindow.x + 10, z.ptWindow.y + 10), BACK);
    }
}

TEST_F(ZoomWindow, CursorMarksStraddleTheBorderAndStayInsideTheArea)
{
    struct Case {
        const char* what;
        S32 cx, cy;
        S32 xt, yt;
    } cases[] = {{"middle", 400, 300, 399, 299}, {"in the top rows", 400, 548, 399, 551 - 5},
                 {"at the left edge", 1, 300, 2, 299}, {"at the right edge", 797, 300, 794, 299}};
    layOut(VIEW_SIDEVIEW, SIDE_BEAM_RIGHT);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cursor(true, c.cx, c.cy, 1, 0);
        ASSERT_EQ(frame(true, spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799)), 2);
        const FV_ZOOM_WINDOW_TYPE& z = FvZoomWin;
        // The column marks, 3 wide and 36 high, over the lower and upper
        // border; the row marks, 36 wide and 3 high, over the left and right.
        for (S32 dy : {0, 35}) {
            EXPECT_EQ(screen.at(c.xt, z.ptWindow.y - 24 + dy), MARK);
            EXPECT_EQ(screen.at(c.xt + 2, z.ptWindow.y + z.s32ZoomHeight - 12 + dy), MARK);
        }
        EXPECT_NE(screen.at(c.xt - 1, z.ptWindow.y - 24), MARK);
        for (S32 dx : {0, 35}) {
            const S32 left = z.ptWindow.x - 24 + dx, right = z.ptWindow.x + z.s32ZoomWidth - 12 + dx;
            if (left >= 0) {
                EXPECT_EQ(screen.at(left, c.yt), MARK);
            }
            if (right <= 799) {
                EXPECT_EQ(screen.at(right, c.yt + 2), MARK);
            }
        }
        EXPECT_NE(screen.at(z.ptWindow.x - 24, c.yt + 3), MARK);
    }
}

// ---- Flankview pictures ----

// Left samples are odd, right samples even, both growing with depth.
U8 leftSample(U32, U32 i) { return (U8)(1 + 2 * std::min<U32>(i / 8, 120)); }
U8 rightSample(U32, U32 i) { return (U8)(2 + 2 * std::min<U32>(i / 8, 120)); }

TEST_F(ZoomWindow, FlankviewSidesBandAndRangeLines)
{
    store(2, leftSample);
    store(3, rightSample);
    const WINDOW_SPECIFICATION s = spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799);
    const S32 row = 100;
    auto picRow = [&](std::vector<int>& v) {
        v.clear();
        for (S32 x = 0; x < FvZoomWin.s32ZoomWidth; ++x)
            v.push_back(sampleOf(pic(FvZoomWin, x, row)));
    };
    std::vector<int> v;
    {
        SCOPED_TRACE("left only: deep at the left, shallow at the right, across the whole width");
        layOut(VIEW_SIDEVIEW, SIDE_BEAM_LEFT);
        sideRange(799);
        ASSERT_EQ(frame(true, s), 2);
        picRow(v);
        EXPECT_EQ(pic(FvZoomWin, 0, row), BACK);
        for (size_t x = 1; x < v.size(); ++x) {
            ASSERT_EQ(v[x] % 2, 1) << x;
            if (x > 1) {
                ASSERT_LE(v[x], v[x - 1]) << x;
            }
        }
        EXPECT_GT(v[1], v.back());
    }
    {
        SCOPED_TRACE("right only: shallow at the left, deep at the right");
        layOut(VIEW_SIDEVIEW, SIDE_BEAM_RIGHT);
        sideRange(799);
        FvZoomWin.bForceUpdate = TRUE;
        ASSERT_EQ(frame(true, s), 2);
        picRow(v);
        for (size_t x = 0; x + 1 < v.size(); ++x) {
            ASSERT_EQ(v[x] % 2, 0) << x;
            ASSERT_GT(v[x], 0) << x;
            if (x > 0) {
                ASSERT_GE(v[x], v[x - 1]) << x;
            }
        }
        EXPECT_EQ(pic(FvZoomWin, (S32)v.size() - 1, row), BACK);
    }
    // Both sides, cursor at 400, factor 2: the picture's left edge is screen
    // column 206 + 194; the inner edges 397 and 402 fall on picture columns
    // 188 and 198, the middle band 398..401 on 190..195.
    layOut(VIEW_SIDEVIEW, SIDE_BEAM_BOTH);
    sideRange(397);
    s_bSideLineOn = TRUE;
    struct Case {
        const char* what;
        U32 palette;
        COLOR line;
    } cases[] = {{"white lines", 0, LINE_WHITE}, {"dark lines", 2, BLANK}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        s_u32FVColor = c.palette;
        FvZoomWin.bForceUpdate = TRUE;
        ASSERT_EQ(frame(true, s), 2);
        ASSERT_EQ(FvZoomWin.ptWindow.x, 206);
        auto at = [&](S32 x) { return pic(FvZoomWin, x, row); };
        for (S32 x = 1; x <= 185; ++x)
            ASSERT_EQ(sampleOf(at(x)) % 2, 1) << x;
        EXPECT_EQ(sampleOf(at(187)), 1) << "the shallowest left sample next to the centre";
        for (S32 x : {188, 189, 195, 196})
            EXPECT_EQ(at(x), BACK) << x;
        for (S32 x = 190; x <= 194; ++x)
            EXPECT_EQ(at(x), INK) << x;
        EXPECT_EQ(sampleOf(at(198)), 2) << "the shallowest right sample";
        for (S32 x = 199; x < 384; ++x)
            ASSERT_EQ(sampleOf(at(x)) % 2, 0) << x;
        // Line 5 at screen column 5 x 99 is two picture columns wide; line 4
        // (the centre, picture column 186) is left out.
        EXPECT_EQ(at(384), c.line);
        EXPECT_EQ(at(385), c.line);
        EXPECT_NE(at(383), c.line);
        EXPECT_NE(at(386), c.line);
        EXPECT_NE(at(186), c.line);
    }
}

TEST_F(ZoomWindow, TerrainRowsStartAtTheirPingsBottomWithoutTheBand)
{
    // Water 3 above the bottom, ground 101 below it; the pings' bottoms
    // alternate between 2 m and 4 m.
    auto bottomSamples = [](U32 c) { return ((c % 2 ? 4.0 : 2.0) * 2000000.0 / 1463.0 + 13.0) / 26.0; };
    auto rule = [&](U32 c, U32 i) { return (U8)((double)i < (U32)bottomSamples(c) ? 3 : 101); };
    store(2, rule);
    store(3, rule);
    for (BEAM b : {2, 3})
        for (U32 c = 0; c < TSU_STORE_COLUMNS; ++c)
            TSUStore[b].aTsuStore[c].fDepthMetres = c % 2 ? 4.0f : 2.0f;
    layOut(VIEW_SIDEVIEW, SIDE_BEAM_BOTH);
    sideRange(397);
    const WINDOW_SPECIFICATION s = spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799);

    ASSERT_EQ(frame(true, s), 2);
    EXPECT_EQ(sampleOf(pic(FvZoomWin, 187, 100)), 3) << "without terrain the row starts in the water";
    s_bTerrainMode = TRUE;
    FvZoomWin.bForceUpdate = TRUE;
    ASSERT_EQ(frame(true, s), 2);
    for (S32 y = 0; y < FvZoomWin.s32ZoomHeight; y += 3) {
        EXPECT_EQ(sampleOf(pic(FvZoomWin, 187, y)), 101) << y;
        EXPECT_EQ(sampleOf(pic(FvZoomWin, 198, y)), 101) << y;
        for (S32 x = 190; x <= 194; ++x)
            ASSERT_NE(pic(FvZoomWin, x, y), INK) << x << "," << y;
    }
}

TEST_F(ZoomWindow, RowsLieLinearlyBetweenTheTwoNearestStoredPings)
{
    // Each stored ping one even value; factor 2 puts every other row half
    // way between two pings, and the ring's wrap is crossed on the way.
    store(3, [](U32 c, U32) { return (U8)(60 + 2 * (c % 64)); });
    layOut(VIEW_SIDEVIEW, SIDE_BEAM_RIGHT);
    sideRange(799);
    ASSERT_EQ(frame(true, spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799)), 2);
    std::vector<int> col;
    for (S32 y = 0; y < FvZoomWin.s32ZoomHeight; ++y)
        col.push_back(sampleOf(pic(FvZoomWin, 50, y)));
    U32 exact = 0, between = 0;
    for (size_t y = 1; y + 1 < col.size(); ++y) {
        if (col[y] % 2 == 0) {
            ++exact;
            continue;
        }
        ++between;
        ASSERT_EQ(col[y - 1] % 2, 0) << y;
        ASSERT_EQ(col[y], (col[y - 1] + col[y + 1]) / 2) << y;
    }
    EXPECT_NEAR((double)exact, (double)between, 2.0);
    // Rows run from the oldest ping at the bottom to younger ones upwards:
    // two rows up is one ping younger.
    U32 younger = 0;
    for (size_t y = 0; y + 2 < col.size(); ++y)
        younger += col[y + 2] - col[y] == 2;
    EXPECT_GT(younger, col.size() * 8 / 10);

    // The first row of a rebuild comes from freshly built pings, never from
    // the buffers the last picture left.
    store(3, [](U32, U32) { return (U8)200; });
    FvZoomWin.bForceUpdate = TRUE;
    frame(true, spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799));
    EXPECT_EQ(sampleOf(pic(FvZoomWin, 50, 0)), 200);
}

TEST_F(ZoomWindow, ASideWithoutSamplesOrWithFactorZeroStaysEmpty)
{
    store(3, rightSample, 0);
    layOut(VIEW_SIDEVIEW, SIDE_BEAM_RIGHT);
    sideRange(799);
    ASSERT_EQ(frame(true, spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799)), 2);
    for (S32 x = 0; x < FvZoomWin.s32ZoomWidth; x += 3)
        ASSERT_EQ(pic(FvZoomWin, x, 50), BACK) << x;

    // Few samples held: the rest of the row is empty.
    store(3, rightSample, 1);
    for (TSU_STORE_COLUMN& c : TSUStore[3].aTsuStore)
        c.u32SamplesInStore = 800;
    FvZoomWin.bForceUpdate = TRUE;
    frame(true, spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799));
    EXPECT_GT(sampleOf(pic(FvZoomWin, 0, 50)), 0);
    EXPECT_EQ(pic(FvZoomWin, FvZoomWin.s32ZoomWidth - 2, 50), BACK);
}

// ---- Keelview pictures ----

TEST_F(ZoomWindow, KeelviewColumnsAgeFromTheRightAndCarryDepthMarks)
{
    // Ping c holds c / 4 + 30 at every depth.
    auto rule = [](U32 c, U32) { return (U8)(c / 4 + 30); };
    store(2, rule);
    store(3, rule);
    struct Case {
        const char* what;
        LAYER_ID view;
        SPLIT_WINDOW_TYPE active;
        S32 left, right;
        S32 cx;
        S32 age; // of the ping shown in the cursor's column
    } cases[] = {{"full screen", VIEW_KEELVIEW, SPLIT_FULL_WINDOW, 0, 799, 600, 799 - 600},
                 // Beside the 2D pane the pings age from twice the pane.
                 {"right pane of 41", VIEW_KEELVIEW_PLUS_2D, SPLIT_RIGHT_WINDOW, 403, 799, 600, 800 - 600}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        layOut(c.view, SIDE_BEAM_BOTH);
        s_sBeamInfo[5].pMain->u32UpperSample = 0;
        s_sBeamInfo[5].pMain->u32LowerSample = 988;
        cursor(true, c.cx, 350, 0, 1);
        KvZoomWin.bForceUpdate = TRUE;
        ASSERT_EQ(frame(false, spec(c.view, c.active, c.left, c.right)), 2);
        const S32 x = c.cx - KvZoomWin.ptWindow.x;
        EXPECT_EQ(sampleOf(pic(KvZoomWin, x, KvZoomWin.s32ZoomHeight / 2)), (int)((810 - 1 - c.age) / 4 + 30));
    }

    // Depth marks at a quarter of the image each, white or dark.
    layOut(VIEW_KEELVIEW, SIDE_BEAM_BOTH);
    SonarViewInfo.u32DepthLines = 3;
    for (U32 palette : {0u, 2u}) {
        SCOPED_TRACE(palette);
        s_u32KVColor = palette;
        cursor(true, 400, 300, 0, 1);
        KvZoomWin.bForceUpdate = TRUE;
        ASSERT_EQ(frame(false, spec(VIEW_KEELVIEW, SPLIT_FULL_WINDOW, 0, 799)), 2);
        const COLOR line = palette == 2 ? BLANK : LINE_WHITE;
        // The second of the three rows 105 + 1 + k x 123 is the one inside
        // the picture, shown magnified about row 300.
        std::set<S32> rows;
        for (S32 r = 0; r < KvZoomWin.s32ZoomHeight; ++r)
            if (pic(KvZoomWin, 20, r) == line)
                rows.insert(KvZoomWin.ptWindow.y + r);
        const std::set<S32> expected = {300 + 2 * (105 + 1 + 246 - 300) - 1};
        EXPECT_EQ(rows, expected);
    }
    SonarViewInfo.u32DepthLines = 0;
    s_u32KVColor = 0;
}

TEST_F(ZoomWindow, KeelviewFusesBothBeamsAndRebuildsFromFreshPings)
{
    store(2, [](U32, U32 i) { return (U8)(i < 400 ? 50 : 10); });
    store(3, [](U32, U32 i) { return (U8)(i < 400 ? 20 : 80); });
    layOut(VIEW_KEELVIEW, SIDE_BEAM_BOTH);
    window(0).u32UpperSample = 0;
    window(0).u32LowerSample = 2 * (599 - 105); // two samples per screen row
    cursor(true, 400, 352, 0, 1);
    ASSERT_EQ(frame(false, spec(VIEW_KEELVIEW, SPLIT_FULL_WINDOW, 0, 799)), 2);
    // Screen row 399 holds sample 400: above it the left beam wins, below
    // it the right one; the picture's top row is the shallowest.
    const S32 zh = KvZoomWin.s32ZoomHeight;
    EXPECT_EQ(sampleOf(pic(KvZoomWin, 30, zh - 1)), 50);
    EXPECT_EQ(sampleOf(pic(KvZoomWin, 30, 1)), 80);
    EXPECT_EQ(sampleOf(pic(KvZoomWin, 30, 0)), 10) << "the right beam's deepest entry stays empty";

    store(2, [](U32, U32) { return (U8)33; });
    store(3, [](U32, U32) { return (U8)33; });
    KvZoomWin.bForceUpdate = TRUE;
    frame(false, spec(VIEW_KEELVIEW, SPLIT_FULL_WINDOW, 0, 799));
    EXPECT_EQ(sampleOf(pic(KvZoomWin, 0, zh / 2)), 33) << "the first column from freshly built pings";
}

// ---- Pictures from pings ----

class ZoomPictures : public ZoomWindow {
  protected:
    void SetUp() override
    {
        ZoomWindow::SetUp();
        S_TRANSDUCER_vImagingEnable(5);
        for (U32 v = 0; v < GRAYSCALE_LEVELS; ++v) {
            SidescanGrayScaleTable.acColor[v] = v == 0 ? BACK : (COLOR)((v >> 3) << 11 | (v >> 4) << 5);
            KeelviewGrayScaleTable.acColor[v] = v == 0 ? BACK : (COLOR)((v >> 2) << 5 | (v >> 4));
        }
    }
    void TearDown() override
    {
        S_TRANSDUCER_vImagingEnable(0);
        ZoomWindow::TearDown();
    }

    static void ping(BEAM beam, float fBottom, float fTarget, U32 u32Seed)
    {
        const SONAR_WINDOW* w = s_sBeamInfo[beam].pMain != nullptr ? s_sBeamInfo[beam].pMain : s_sBeamInfo[5].pMain;
        const U32 range = w != nullptr && w->u32LowerSample > 0 ? w->u32LowerSample : 800;
        PING_DESCRIPTOR* p = process_test::ping(beam, 4000);
        U8* raw = p->pu8RawSonarData;
        U32 state = u32Seed * 2654435761u + beam;
        for (U32 i = 0; i < 4000; ++i) {
            state = state * 1103515245u + 12345u;
            raw[i] = (U8)(18 + ((state >> 16) & 15));
        }
        const U32 bottom = (U32)(fBottom * (float)range);
        for (U32 i = bottom; i < 4000; ++i)
            raw[i] = (U8)std::max<U32>(60, i < bottom + 30 ? 250 - (i - bottom) * 3
                                                           : 140 - std::min<U32>(80, (i - bottom) / 8));
        if (fTarget > 0.0f) {
            const U32 t = (U32)(fTarget * (float)range);
            for (U32 i = t; i < t + 12 && i < 4000; ++i)
                raw[i] = 240;
        }
        process_test::vProcessPing(p);
        T_N_HISTORY_vAddColumns(1, beam, 0);
    }

    static void pingSides(U32 n)
    {
        for (U32 i = 0; i < n; ++i) {
            const float f = (float)i;
            ping(2, 0.35f + 0.1f * std::sin(f / 18.0f), i % 90 < 10 ? 0.7f : 0.0f, i);
            ping(3, 0.45f + 0.08f * std::cos(f / 23.0f), i % 70 < 6 ? 0.25f : 0.0f, i + 1000);
        }
    }
};

TEST_F(ZoomPictures, FlankviewMagnifierOverTheWaterfall)
{
    layOut(VIEW_SIDEVIEW, SIDE_BEAM_BOTH, true);
    H_DATABASE_bUpdateEverythingBoolean(FCID("SSVL"), TRUE, P_NORMAL, D_UNKNOWN, nullptr, DB_TIMEOUT_NEVER);
    pingSides(300);
    cursor(true, 330, 380, 1, 0);
    WINDOW_SPECIFICATION s = spec(VIEW_SIDEVIEW, SPLIT_FULL_WINDOW, 0, 799);
    screen.clear();
    T_N_HISTORY_vDrawVerticalScrollView(screen, &s);
    S32 s32Factor = 0;
    ASSERT_TRUE(T_N_HISTORY_bDrawFvZoomWindow(screen, &s, &s32Factor, nullptr));
    EXPECT_EQ(s32Factor, 2);
    gt::expectGolden(screen, "sonar/tests/golden", "flankview_magnifier");
}

TEST_F(ZoomPictures, KeelviewMagnifierOverTheKeelview)
{
    layOut(VIEW_KEELVIEW, SIDE_BEAM_BOTH, true);
    process_test::setU32("SDBW", 1);
    SonarViewInfo.u32DepthLines = 3;
    pingSides(420);
    cursor(true, 560, 400, 0, 2);
    WINDOW_SPECIFICATION s = spec(VIEW_KEELVIEW, SPLIT_FULL_WINDOW, 0, 799);
    screen.clear();
    T_N_HISTORY_vDrawKeelview(screen, &s);
    S32 s32Factor = 0;
    ASSERT_TRUE(T_N_HISTORY_bDrawKvZoomWindow(screen, &s, &s32Factor, nullptr));
    EXPECT_EQ(s32Factor, 4);
    gt::expectGolden(screen, "sonar/tests/golden", "keelview_magnifier");
    SonarViewInfo.u32DepthLines = 0;
}

} // namespace
